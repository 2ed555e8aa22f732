// What the script tests share: the game's modules that scripts touch, back to their start, and
// reading the script variable stores.
#pragma once

#include <string>

#include "game/gui/gui.h"
#include "game/script/script_funcs.h"
#include "game/script/script_host.h"
#include "game/world/diagnostics.h"
#include "tests/support/game_reset.h"

namespace testsupport {

// The game world (ResetGameWorld), the GUI's records and the problem list.
inline void ResetScriptWorld() {
  ResetGameWorld();
  game::GUIReset();
  game::DiagnosticsReset();
}

// A variable of the integer or boolean store; 0 or false when it was never set.
inline int32_t StoreInt(const std::string& name) {
  for (const auto& [n, v] : game::ScriptStores().Ints)
    if (n == name) return v;
  return 0;
}
inline bool StoreBool(const std::string& name) {
  for (const auto& [n, v] : game::ScriptStores().Bools)
    if (n == name) return v;
  return false;
}

// The message box's OK, pressed.
inline void PressOK() { game::GameMessageOK(); }

}  // namespace testsupport
