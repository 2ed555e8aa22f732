// The pass scan of the distance map, kept as written so that the fast one can be checked against it.
#include "game/actors/movement_oracle.h"

#include "game/actors/movement.h"
#include "game/world/registry.h"

namespace game {

void BuildDistanceMapPassScan(int32_t index, int32_t targetX, int32_t targetY) {
  int32_t sx = 0, sy = 0;
  SeedDistanceMap(index, &sx, &sy);
  auto& dm = Movement().DistanceMap;
  const int32_t width = Registry().MapWidth;
  const int32_t height = Registry().MapHeight;
  const bool hasTarget =
      targetX >= 0 && targetY >= 0 && targetX <= width && targetY <= height;
  for (int32_t d = 1; d <= DistanceMapPassLimit; ++d) {
    bool active = false;
    for (int32_t y = 0; y <= height; ++y) {
      for (int32_t x = 0; x <= width; ++x) {
        if (dm[x][y] != d) continue;
        const int32_t nx[4] = {x - 1, x, x + 1, x};
        const int32_t ny[4] = {y, y - 1, y, y + 1};
        for (int k = 0; k < 4; ++k) {
          if (nx[k] < 0 || ny[k] < 0 || nx[k] > width || ny[k] > height || dm[nx[k]][ny[k]] != 0) continue;
          dm[nx[k]][ny[k]] = d + 1;
          if (!(hasTarget && dm[targetX][targetY] > 0)) active = true;
        }
      }
    }
    if (!active) break;
  }
}

}  // namespace game
