// Back to the state at process start for every module a game load fills, for tests that load the
// game's content in-process. Header-only: only the test executables that link the game use it.
#pragma once

#include "game/actors/ai.h"
#include "game/actors/bullets.h"
#include "game/actors/creatures.h"
#include "game/actors/effects.h"
#include "game/actors/items.h"
#include "game/actors/movement.h"
#include "game/actors/walls.h"
#include "game/core/camera.h"
#include "game/core/game_core.h"
#include "game/core/players.h"
#include "game/core/state_dump.h"
#include "game/models/mesh.h"
#include "game/script/script_funcs.h"
#include "game/script/script_host.h"
#include "game/world/floor.h"
#include "game/world/map.h"
#include "game/world/registry.h"

namespace testsupport {

// Meshes, the map, the script host and its stores, walls, creatures, bullets, effects, items, the
// floor, the kinds, the players, the distance and shot maps, the AI, the state dump's sections, the
// camera, the game core.
inline void ResetGameWorld() {
  game::MeshFreeAll();
  game::MapReset();
  game::ScriptHostReset();
  game::ScriptFunctionsReset();
  game::WallsReset();
  game::CreaturesReset();
  game::BulletsReset();
  game::EffectsReset();
  game::ItemsReset();
  game::FloorReset();
  game::RegistryReset();
  game::PlayersReset();
  game::MovementReset();
  game::AiReset();
  game::StateDumpReset();
  game::CameraReset();
  game::GameCoreReset();
}

}  // namespace testsupport
