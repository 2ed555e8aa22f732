// Where a tile lies on the screen at the start camera, for recorded clicks on the world.
// Header-only: only the test executables that link the game use it.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "game/core/camera.h"
#include "game/core/game_core.h"
#include "game/world/registry.h"

namespace testsupport {

// The window pixel (y from the top) of world point (wx, wy, wz) seen by the game's camera as it
// stands, on an 800 x 600 screen.
inline std::pair<int, int> WorldPixel(double wx, double wy, double wz) {
  const eng::TMatrix4& view = game::GmCamera().Camera.Matrix;
  double p[4] = {wx, wy, wz, 1.0}, eye[4] = {};
  for (int r = 0; r < 4; ++r)
    for (int k = 0; k < 4; ++k) eye[r] += view[static_cast<size_t>(k * 4 + r)] * p[k];
  double f = 1.0 / std::tan(game::GameFieldOfView / 2.0 * M_PI / 180.0);
  double ndcX = f / (800.0 / 600.0) * eye[0] / -eye[2], ndcY = f * eye[1] / -eye[2];
  return {static_cast<int>(std::lround((ndcX + 1.0) / 2.0 * 800.0)),
          static_cast<int>(std::lround(600.0 - 1.0 - (ndcY + 1.0) / 2.0 * 600.0))};
}

// The window pixel over the centre of tile (x, y) at the start camera, checked against the
// game's own picking so that a click there picks that tile.
inline std::pair<int, int> TilePixel(int32_t x, int32_t y) {
  game::CameraStart();
  auto [px, py] = WorldPixel(2.0 * x, 0.0, 2.0 * y);
  game::Registry().MapWidth = game::Registry().MapHeight = 19;
  game::Core().CursorWorldPoint = game::UnprojectWindowPixel(px, py, 800, 600);
  game::PickFloorTile(game::GmCamera().Camera.Position);
  EXPECT_EQ(game::Core().CursorTileX, x) << "pixel " << px << "," << py;
  EXPECT_EQ(game::Core().CursorTileY, y) << "pixel " << px << "," << py;
  return {px, py};
}

}  // namespace testsupport
