// What the script tests share: the game's modules that scripts touch, back to their start, and
// reading the script variable stores.
#pragma once

#include <string>

#include "game/actors/creatures.h"
#include "game/actors/effects.h"
#include "game/actors/items.h"
#include "game/actors/walls.h"
#include "game/core/camera.h"
#include "game/core/game_core.h"
#include "game/gui/gui.h"
#include "game/models/mesh.h"
#include "game/script/script_funcs.h"
#include "game/script/script_host.h"
#include "game/world/diagnostics.h"
#include "game/world/registry.h"

namespace testsupport {

// The script host, the stores, the GUI's records, the problem list and the world scripts act on.
inline void ResetScriptWorld() {
  game::ScriptHostReset();
  game::ScriptFunctionsReset();
  game::GUIReset();
  game::DiagnosticsReset();
  game::ItemsReset();
  game::EffectsReset();
  game::WallsReset();
  game::CreaturesReset();
  game::MeshFreeAll();
  game::CameraReset();
  game::RegistryReset();
  game::GameCoreReset();
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

// What the message box's OK button does.
inline void PressOK() {
  game::GuiFlags().GameFrozen = false;
  game::Script_ResumeAll();
}

}  // namespace testsupport
