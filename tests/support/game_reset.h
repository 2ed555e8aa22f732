// Back to the state at process start for every module a game load fills, for tests that load the
// game's content in-process. Header-only: only the test executables that link the game use it.
#pragma once

#include "game/actors/bullets.h"
#include "game/actors/creatures.h"
#include "game/actors/effects.h"
#include "game/actors/walls.h"
#include "game/core/camera.h"
#include "game/core/game_core.h"
#include "game/core/players.h"
#include "game/models/mesh.h"
#include "game/world/floor.h"
#include "game/world/map.h"
#include "game/world/registry.h"

namespace testsupport {

// Meshes, the map, walls, creatures, bullets, effects, the floor, the kinds, the players, the
// camera, the game core.
inline void ResetGameWorld() {
  game::MeshFreeAll();
  game::MapReset();
  game::WallsReset();
  game::CreaturesReset();
  game::BulletsReset();
  game::EffectsReset();
  game::FloorReset();
  game::RegistryReset();
  game::PlayersReset();
  game::CameraReset();
  game::GameCoreReset();
}

}  // namespace testsupport
