// tessera-script: compile and run script files from the command line.
//   tessera-script run [--step-limit N] FILE   compile and run; exit 0, 1 (compile error) or 2
//                                              (run-time error); N = 0: no step budget
//   tessera-script check FILE...               compile only; exit 1 if any file does not compile
//   tessera-script dump FILE                   print the compiled code
#include <cstdint>
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

// The game ends a script run after this many VM instructions; so does `run` unless told otherwise.
constexpr int64_t kGameStepLimit = 50000000;

constexpr const char* kUsage =
    "usage: tessera-script run [--step-limit N] FILE\n"
    "       tessera-script check FILE...\n"
    "       tessera-script dump FILE\n"
    "       tessera-script --help\n"
    "\n"
    "  run     compile FILE and run it with a console stand-in for the game's functions\n"
    "          (exit status 0, 1 when it does not compile, 2 after a run-time error)\n"
    "  check   compile only\n"
    "  dump    print the compiled code\n"
    "\n"
    "options of run:\n"
    "  --step-limit N   end the run with a run-time error after N VM instructions; 0 means no\n"
    "                   limit (default 50000000, the game's budget)\n";

int Usage() {
  std::fputs(kUsage, stderr);
  return 64;
}

// A whole non-negative decimal number; false for anything else.
bool ParseCount(const std::string& text, int64_t& out) {
  if (text.empty() || text.size() > 18) return false;
  out = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    out = out * 10 + (c - '0');
  }
  return true;
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

int Run(const std::string& path, int64_t stepLimit) {
  script::TScriptCompiler compiler;
  if (!CompileFile(path, compiler)) return 1;
  tool::ConsoleBinding binding;
  script::TScriptExec exec;
  exec.SetStepLimit(stepLimit == 0 ? INT64_MAX : stepLimit);
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
  if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc < 3) return Usage();
  std::string command = argv[1];
  if (command == "run") {
    int64_t stepLimit = kGameStepLimit;
    int arg = 2;
    if (std::string(argv[arg]) == "--step-limit") {
      if (argc != 5 || !ParseCount(argv[arg + 1], stepLimit)) return Usage();
      arg += 2;
    }
    if (arg != argc - 1) return Usage();
    return Run(argv[arg], stepLimit);
  }
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
