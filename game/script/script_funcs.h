// The script function library: the 31 routines scripts call (declared under the unit "SYSTEM",
// bound by their upper-case names) and the two stores of named variables that keep script state
// between runs.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "script_engine/script.h"

namespace game {

// Two separate stores; names compare exactly; entries are only ever added or overwritten.
struct TScriptStores {
  std::vector<std::pair<std::string, int32_t>> Ints;
  std::vector<std::pair<std::string, bool>> Bools;
};

TScriptStores& ScriptStores();

// The OnUses answer: for "SYSTEM" declares the 31 routines in table order and accepts; any other
// unit is refused (the compile then fails).
bool Script_Register(script::TScriptCompiler& compiler, const std::string& unit);
// Binds the 31 implementations to an executor under their upper-case names.
void Script_BindFunctions(script::TScriptExec& exec);
// The upper-case binding names, in declaration order (tests).
std::vector<std::string> ScriptFunctionNames();

// Back to the state at process start: empty stores (tests).
void ScriptFunctionsReset();

}  // namespace game
