// Console implementations of the game's script functions.
#include "tools/script/console_binding.h"
#include "game/script/declarations.h"

#include <cctype>
#include <string_view>

namespace tool {


namespace {

std::string UpperName(const char* declaration) {
  std::string_view d(declaration);
  size_t start = d.find(' ') + 1;
  size_t end = start;
  while (end < d.size() && (std::isalnum(static_cast<unsigned char>(d[end])) || d[end] == '_')) ++end;
  std::string name(d.substr(start, end - start));
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return name;
}

std::string DisplayName(const char* declaration) {
  std::string_view d(declaration);
  size_t start = d.find(' ') + 1;
  size_t end = start;
  while (end < d.size() && (std::isalnum(static_cast<unsigned char>(d[end])) || d[end] == '_')) ++end;
  return std::string(d.substr(start, end - start));
}

// "Name(arg, arg)" for a call that has no console effect.
std::string Trace(const std::string& name, script::TNativeCall& call) {
  std::string line = name;
  if (call.Count() > 0) {
    line += "(";
    for (int i = 0; i < call.Count(); ++i) {
      if (i) line += ", ";
      switch (call.ParamType(i)) {
        case script::TScriptType::String: line += std::string(call.Str(i)); break;
        case script::TScriptType::Single:
        case script::TScriptType::Double: {
          char buf[64];
          std::snprintf(buf, sizeof buf, "%g", call.Float(i));
          line += buf;
          break;
        }
        case script::TScriptType::Boolean: line += call.Bool(i) ? "True" : "False"; break;
        default: line += std::to_string(call.Int(i)); break;
      }
    }
    line += ")";
  }
  return line;
}

}  // namespace

bool DeclareGameFunctions(script::TScriptCompiler& compiler, const std::string& unit) {
  if (unit != "SYSTEM") return false;
  bool ok = true;
  for (const char* d : game::kScriptDeclarations) ok = compiler.AddFunction(d) && ok;
  return ok;
}

void BindGameFunctions(script::TScriptExec& exec, ConsoleBinding& b) {
  using script::MakeNative;
  const script::TNativeEntry stores[] = {
      {"SETINT", MakeNative([&b](const std::string& name, int32_t v) { b.ints[name] = v; })},
      {"GETINT", MakeNative([&b](const std::string& name) {
         auto it = b.ints.find(name);
         return it == b.ints.end() ? 0 : it->second;
       })},
      {"SETBOOL", MakeNative([&b](const std::string& name, bool v) { b.bools[name] = v; })},
      {"GETBOOL", MakeNative([&b](const std::string& name) {
         auto it = b.bools.find(name);
         return it != b.bools.end() && it->second;
       })},
      {"GAMEMESSAGE", MakeNative([&b](std::string_view text) {
         std::fwrite(text.data(), 1, text.size(), b.out);
         std::fputc('\n', b.out);
       })},
  };
  for (const auto& entry : stores) exec.RegisterFunction(entry.name, entry.function);
  // Everything else prints a trace line (procedures) or returns its type's zero (functions).
  for (size_t i = 5; i < 31; ++i) {
    std::string display = DisplayName(game::kScriptDeclarations[i]);
    bool isFunction = std::string_view(game::kScriptDeclarations[i]).substr(0, 8) == "function";
    exec.RegisterFunction(UpperName(game::kScriptDeclarations[i]), [&b, display, isFunction](script::TNativeCall& call) {
      if (isFunction) {
        if (call.ResultType() == script::TScriptType::String) {
          call.ReturnStr("");
        } else {
          call.ReturnInt(0);
        }
        return;
      }
      std::string line = Trace(display, call);
      std::fprintf(b.out, "%s\n", line.c_str());
    });
  }
}

}  // namespace tool
