// tessera-script: compile and run script files from the command line.
//   tessera-script run FILE          compile and run; exit 0, 1 (compile error) or 2 (run-time error)
//   tessera-script check FILE...     compile only; exit 1 if any file does not compile
//   tessera-script dump FILE         print the compiled code
#include <cstdio>
#include <string>

#include "script_engine/script.h"
#include "tools/script/console_binding.h"

namespace {

bool ReadSource(const std::string& path, std::string& out) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  out.clear();
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
  bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

int Usage() {
  std::fprintf(stderr,
               "usage: tessera-script run FILE\n"
               "       tessera-script check FILE...\n"
               "       tessera-script dump FILE\n");
  return 64;
}

// Compiles a file with the game's declarations; prints the error and returns false on failure.
bool CompileFile(const std::string& path, script::TScriptCompiler& compiler) {
  std::string source;
  if (!ReadSource(path, source)) {
    std::fprintf(stderr, "%s: cannot read file\n", path.c_str());
    return false;
  }
  compiler.SetFileName(path);
  compiler.OnUses = tool::DeclareGameFunctions;
  if (!compiler.Compile(source)) {
    std::fprintf(stderr, "%s\n", compiler.ErrorText().c_str());
    return false;
  }
  return true;
}

int Run(const std::string& path) {
  script::TScriptCompiler compiler;
  if (!CompileFile(path, compiler)) return 1;
  tool::ConsoleBinding binding;
  script::TScriptExec exec;
  tool::BindGameFunctions(exec, binding);
  if (!exec.LoadData(compiler.GetOutput())) {
    std::fprintf(stderr, "%s: cannot load compiled program: %s\n", path.c_str(), exec.LastError().message.c_str());
    return 1;
  }
  bool ok = exec.Run();
  std::fflush(stdout);
  if (!ok) {
    const script::TRuntimeError& e = exec.LastError();
    std::fprintf(stderr, "%s:%d:%d: Runtime error: %s\n", path.c_str(), e.line, e.col, e.message.c_str());
    return 2;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  std::string command = argv[1];
  if (command == "run" && argc == 3) return Run(argv[2]);
  if (command == "check") {
    int status = 0;
    for (int i = 2; i < argc; ++i) {
      script::TScriptCompiler compiler;
      if (!CompileFile(argv[i], compiler)) status = 1;
    }
    return status;
  }
  if (command == "dump" && argc == 3) {
    script::TScriptCompiler compiler;
    if (!CompileFile(argv[2], compiler)) return 1;
    std::fputs(compiler.ListCode().c_str(), stdout);
    return 0;
  }
  return Usage();
}
