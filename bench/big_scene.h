// The crowded 100 x 100 map the frame benchmarks draw: every tile holds a wall or a creature of
// the demo's kinds (8,000 and 2,000), placed in a fixed random order. The camera stays where the
// demo map put it, so that most of the map lies outside the view, as it would in play.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <random>
#include <vector>

#include "game/actors/creatures.h"
#include "game/actors/walls.h"
#include "game/world/floor.h"
#include "game/world/registry.h"

namespace bench {

constexpr int kBigWalls = 8000;
constexpr int kBigCreatures = 2000;

inline void PlaceBigScene() {
  game::WallLists().Walls.clear();
  game::CreatureLists().Creatures.clear();
  game::Registry().MapWidth = game::FloorGridSize - 1;
  game::Registry().MapHeight = game::FloorGridSize - 1;
  game::FloorInit();
  std::mt19937 random(11);
  std::vector<int32_t> tiles(game::FloorGridSize * game::FloorGridSize);
  for (size_t i = 0; i < tiles.size(); ++i) tiles[i] = static_cast<int32_t>(i);
  std::shuffle(tiles.begin(), tiles.end(), random);
  const char* walls[3] = {"Stone", "Pillar", "Crate"};
  const char* creatures[3] = {"Blue Soldier", "Red Soldier", "Beast"};
  int placedWalls = 0, placedCreatures = 0;
  for (size_t i = 0; i < tiles.size(); ++i) {
    int32_t x = tiles[i] % game::FloorGridSize, y = tiles[i] / game::FloorGridSize;
    if (placedWalls < kBigWalls) {
      if (game::CreateWall(walls[i % 3], x, y, 0.0f, 0) != 0) ++placedWalls;
    } else if (placedCreatures < kBigCreatures) {
      if (game::CreateCreature(creatures[i % 3], x, y, 0.0f) != 0) ++placedCreatures;
    }
  }
  std::printf("big map: %d walls, %d creatures on %d x %d tiles\n", placedWalls, placedCreatures,
              game::FloorGridSize, game::FloorGridSize);
}

}  // namespace bench
