// A console stand-in for the game's script function library: the 31 declarations as the game
// registers them, with implementations that print to standard output instead of acting on a game.
#pragma once

#include <cstdio>
#include <map>
#include <string>

#include "script_engine/script.h"

namespace tool {

// The state behind the console functions: the two variable stores and the output stream.
struct ConsoleBinding {
  std::map<std::string, int32_t> ints;
  std::map<std::string, bool> bools;
  std::FILE* out = stdout;
};

// Declares the 31 functions on a compiler (as the OnUses handler for "SYSTEM") .
bool DeclareGameFunctions(script::TScriptCompiler& compiler, const std::string& unit);
// Binds the console implementations to an executor.
void BindGameFunctions(script::TScriptExec& exec, ConsoleBinding& binding);

}  // namespace tool
