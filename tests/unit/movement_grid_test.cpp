// The grid services of movement: the facing rule, the distance map against the pass scan it
// replaces (thousands of random maps and the 1000-pass limit), the shot map, the route target and
// the walk back to the next step.
#include "game/actors/movement.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "game/actors/movement_oracle.h"
#include "tests/support/world_fixture.h"

namespace {

using game::Movement;

class MovementGrid : public testsupport::WorldTest {
 protected:
  void SetUp() override {
    WorldTest::SetUp();
    AddKind({});
  }
  // The distance map of `index` by both builders; fails the test where they differ.
  static bool SameByBothBuilders(int32_t index, int32_t tx, int32_t ty, std::string* where) {
    game::BuildDistanceMapPassScan(index, tx, ty);
    static int32_t expected[game::GridSize][game::GridSize];
    std::memcpy(expected, Movement().DistanceMap, sizeof expected);
    game::BuildDistanceMapQueue(index, tx, ty);
    for (int32_t x = 0; x <= game::Registry().MapWidth; ++x)
      for (int32_t y = 0; y <= game::Registry().MapHeight; ++y)
        if (expected[x][y] != Movement().DistanceMap[x][y]) {
          *where = "cell " + std::to_string(x) + " " + std::to_string(y) + ": pass scan " +
                   std::to_string(expected[x][y]) + ", queue " + std::to_string(Movement().DistanceMap[x][y]);
          return false;
        }
    return true;
  }
  // Walls on `density` percent of the map's tiles, one in ten a ghost.
  template <typename TPick>
  static void ScatterWalls(int density, TPick& pick) {
    for (bool ghost : {false, true}) {
      game::TWall kind;
      kind.Name = ghost ? "Ghost" : "Wall";
      kind.Ghost = ghost;
      game::WallLists().WallKinds.push_back(kind);
    }
    for (int32_t y = 0; y <= game::Registry().MapHeight; ++y)
      for (int32_t x = 0; x <= game::Registry().MapWidth; ++x)
        if (pick(0, 99) < density) game::CreateWall(pick(0, 9) == 0 ? "Ghost" : "Wall", x, y, 0.0f, 0);
  }
  static std::string Row(int32_t y, const int32_t (&grid)[game::GridSize][game::GridSize]) {
    std::string row;
    for (int32_t x = 0; x <= game::Registry().MapWidth; ++x) row += (x ? " " : "") + std::to_string(grid[x][y]);
    return row;
  }
};

// (The quadrants of the facing rule are tested with the bullets, which share it.)
TEST_F(MovementGrid, FacingRuleAndDiagonalSteps) {
  EXPECT_NEAR(game::FacingAngle(0, 0, 2, 1), 26.565051f, 1e-5f);
  EXPECT_NEAR(game::FacingAngle(0, 0, -2, -1), 206.565051f, 1e-4f);

  EXPECT_TRUE(game::IsDiagonalAngle(45.0f));
  EXPECT_FALSE(game::IsDiagonalAngle(90.0f));
  EXPECT_FALSE(game::IsDiagonalAngle(89.5f)) << "89.5 rounds to even 90";
  EXPECT_FALSE(game::IsDiagonalAngle(90.5f)) << "90.5 rounds to even 90";
  EXPECT_FALSE(game::IsDiagonalAngle(0.5f)) << "0.5 rounds to 0";
  EXPECT_TRUE(game::IsDiagonalAngle(1.5f)) << "1.5 rounds to 2";
  EXPECT_FALSE(game::IsDiagonalAngle(-270.0f));
  EXPECT_EQ(game::StepLength(45.0f), 2.8284f);
  EXPECT_EQ(game::StepLength(180.0f), 2.0f);
}

TEST_F(MovementGrid, DistanceMapMarksAndStopsWhereTheScanStops) {
  SetMap(3, 1);
  int32_t cr = Place("Unit", 0, 0, 0);
  // Reached first by the pass: nothing was set before it in that pass, so the pass is inactive.
  game::BuildDistanceMap(cr, 1, 0);
  EXPECT_EQ(Row(0, Movement().DistanceMap), "1 2 0 0");
  EXPECT_EQ(Row(1, Movement().DistanceMap), "2 0 0 0");
  // Reached after (1, 0) was set in the same pass: one more pass runs.
  game::BuildDistanceMap(cr, 0, 1);
  EXPECT_EQ(Row(0, Movement().DistanceMap), "1 2 3 0");
  EXPECT_EQ(Row(1, Movement().DistanceMap), "2 3 0 0");

  SetMap(4, 2);
  AddWall(1, 1);
  AddWall(4, 0, /*ghost=*/true);
  Place("Unit", 3, 1, 2);  // an ally (player 2 shares side 0)
  int32_t enemy = Place("Unit", 3, 2, 1);
  C(enemy).State = game::StateWalk;  // a walker holds the tile it steps onto
  C(enemy).NextX = 2;
  C(enemy).NextY = 2;
  game::BuildDistanceMap(cr, -1, -1);
  EXPECT_EQ(Row(0, Movement().DistanceMap), "1 2 3 4 5");
  EXPECT_EQ(Row(1, Movement().DistanceMap), "2 -1 4 -2 6");
  EXPECT_EQ(Row(2, Movement().DistanceMap), "3 4 -3 8 7") << "the tile the walker leaves is free";
}

TEST_F(MovementGrid, QueueEqualsThePassScanOnRandomMaps) {
  std::mt19937 random(20240611);
  auto pick = [&](int32_t lo, int32_t hi) { return std::uniform_int_distribution<int32_t>(lo, hi)(random); };
  int compared = 0;
  for (int map = 0; map < 1500; ++map) {
    ResetAll();
    AddKind({});
    // Mostly small maps, where every stop rule is met often; every 100th the full 100 x 100.
    int32_t w = map % 100 == 0 ? 99 : pick(0, 20), h = map % 100 == 0 ? 99 : pick(0, 20);
    SetMap(w, h);
    ScatterWalls(pick(0, 45), pick);
    const int32_t creatures = pick(1, 12);
    for (int32_t n = 0; n < creatures; ++n) {
      uint16_t id = game::CreateCreature("Unit", pick(0, w), pick(0, h), 0.0f);
      if (id == 0) continue;  // a creature already stands there
      game::TCreature& c = C(game::FindCreature(id));
      c.Owner = static_cast<uint8_t>(pick(0, 3));
      c.Alive = pick(0, 7) != 0;
      if (pick(0, 3) == 0) {
        c.State = game::StateWalk;
        c.NextX = std::clamp(c.TileX + pick(-1, 1), 0, w);
        c.NextY = std::clamp(c.TileY + pick(-1, 1), 0, h);
      }
    }
    const int32_t count = static_cast<int32_t>(game::CreatureLists().Creatures.size());
    for (int target = 0; target < 2; ++target) {
      int32_t cr = pick(0, count - 1);
      int32_t tx = -1, ty = -1;
      switch (pick(0, 4)) {
        case 0: break;                                                   // the full wave
        case 1: tx = pick(0, w); ty = pick(0, h); break;                 // anywhere: free, wall, creature
        case 2: tx = C(cr).TileX; ty = C(cr).TileY; break;               // its own tile
        case 3: tx = pick(-3, w + 3); ty = pick(-3, h + 3); break;       // also outside the map
        default: {                                                       // another creature's tile
          const game::TCreature& other = C(pick(0, count - 1));
          tx = other.TileX;
          ty = other.TileY;
        }
      }
      std::string where;
      ASSERT_TRUE(SameByBothBuilders(cr, tx, ty, &where))
          << "map " << map << " (" << w << " x " << h << ") creature " << cr << " target " << tx << " " << ty << ": "
          << where;
      ++compared;
    }
  }
  EXPECT_EQ(compared, 3000);
}

// The AI's order keeps the full wave it has just built only where a target could not have
// stopped the wave earlier; elsewhere, and for any other creature, the map is built again. Either
// way the order sees the map the pass scan builds for it.
TEST_F(MovementGrid, AKeptFullWaveIsTheTargetedMapOrIsBuiltAgain) {
  std::mt19937 random(77);
  auto pick = [&](int32_t lo, int32_t hi) { return std::uniform_int_distribution<int32_t>(lo, hi)(random); };
  int kept = 0, rebuilt = 0;
  for (int map = 0; map < 300; ++map) {
    ResetAll();
    AddKind({});
    const int32_t w = pick(2, 20), h = pick(2, 20);
    SetMap(w, h);
    for (int32_t y = 0; y <= h; ++y)
      for (int32_t x = 0; x <= w; ++x)
        if (pick(0, 99) < 30) AddWall(x, y);
    for (int32_t n = 0; n < 6; ++n) {
      uint16_t id = game::CreateCreature("Unit", pick(0, w), pick(0, h), 0.0f);
      if (id != 0) C(game::FindCreature(id)).Owner = static_cast<uint8_t>(pick(0, 1));
    }
    const int32_t count = static_cast<int32_t>(game::CreatureLists().Creatures.size());
    if (count == 0) continue;
    const int32_t cr = pick(0, count - 1);
    // Free tiles, walls, creatures, the own tile and tiles outside the map, reached or not.
    const int32_t tx = pick(-1, w + 1), ty = pick(-1, h + 1);
    const bool other = pick(0, 5) == 0;  // the mark names another creature: never kept
    game::BuildDistanceMap(cr, -1, -1);
    const uint64_t built = Movement().DistanceMapsBuilt;
    game::KeepDistanceMapFor(other ? (cr + 1) % count : cr);
    game::BuildDistanceMap(cr, tx, ty);
    const bool wasKept = Movement().DistanceMapsBuilt == built;
    if (wasKept) {
      ++kept;
    } else {
      ++rebuilt;
    }
    if (other && count > 1) {
      EXPECT_FALSE(wasKept) << "map " << map;
    }
    EXPECT_EQ(Movement().KeptWaveOf, -1) << "a mark serves one build";
    static int32_t got[game::GridSize][game::GridSize];
    std::memcpy(got, Movement().DistanceMap, sizeof got);
    game::BuildDistanceMapPassScan(cr, tx, ty);
    for (int32_t y = 0; y <= h; ++y)
      ASSERT_EQ(Row(y, got), Row(y, Movement().DistanceMap))
          << "map " << map << " row " << y << " target " << tx << " " << ty << (wasKept ? " (kept)" : "");
  }
  EXPECT_GT(kept, 50);
  EXPECT_GT(rebuilt, 50) << "targets the wave reaches, and other creatures' marks";
}

// The queue keeps the walls' part of its seed between maps: walls placed, ghosts switched, the
// map resized and creatures moved in between must all show in the next map and shot map.
TEST_F(MovementGrid, TheKeptWallSeedFollowsEveryChangeOfTheWalls) {
  std::mt19937 random(1207);
  auto pick = [&](int32_t lo, int32_t hi) { return std::uniform_int_distribution<int32_t>(lo, hi)(random); };
  static int32_t expected[game::GridSize][game::GridSize];
  SetMap(15, 15);
  for (int n = 0; n < 4; ++n) Place("Unit", 2 * n, n, n % 2);
  std::string where;
  for (int step = 0; step < 600; ++step) {
    const int32_t w = game::Registry().MapWidth, h = game::Registry().MapHeight;
    const size_t walls = game::WallLists().Walls.size();
    switch (pick(0, 4)) {
      case 0: {
        const int32_t x = pick(0, w), y = pick(0, h);
        bool taken = false;
        for (const game::TWall& wall : game::WallLists().Walls) taken = taken || (wall.X == x && wall.Y == y);
        if (!taken) AddWall(x, y, /*ghost=*/pick(0, 3) == 0, true, pick(-1, 1), pick(-1, 1));
        break;
      }
      case 1:
        if (walls > 0) game::SetWallGhost(pick(0, static_cast<int32_t>(walls) - 1), pick(0, 1) == 1);
        break;
      case 2: SetMap(pick(5, 20), pick(5, 20)); break;
      case 3: C(pick(0, 3)).TileX = pick(0, w); break;
      default: break;
    }
    const int32_t cr = pick(0, 3);
    const int32_t tx = pick(0, 2) == 0 ? -1 : pick(0, w), ty = pick(0, h);
    ASSERT_TRUE(SameByBothBuilders(cr, tx, ty, &where)) << "step " << step << ": " << where;
    // The touch table of the kept seed: the route target on the queue's map and on the scan's.
    int32_t ax = pick(0, w), ay = pick(0, h), bx = ax, by = ay;
    game::BuildDistanceMap(cr, -1, -1);
    game::AdjustRouteTarget(&ax, &ay, true);
    game::BuildDistanceMapPassScan(cr, -1, -1);
    game::AdjustRouteTarget(&bx, &by, true);
    ASSERT_EQ(std::pair(ax, ay), std::pair(bx, by)) << "step " << step;
    const int32_t sx = pick(0, w), sy = pick(0, h), range = pick(0, 8);
    game::BuildShotMapEverySquare(sx, sy, range);
    std::memcpy(expected, Movement().ShotMap, sizeof expected);
    game::BuildDistanceMap(cr, -1, -1);  // the queue's seed is kept for the shot map
    game::BuildShotMap(sx, sy, range);
    for (int32_t y = 0; y <= h; ++y)
      ASSERT_EQ(Row(y, Movement().ShotMap), Row(y, expected)) << "step " << step << ", shot map row " << y;
  }
}

// The AI's wave stops after the pass that reaches a tile beside the nearest enemy: the cells it
// set are the full wave's, the rest 0, and a target it may not have reached yet is built anew.
TEST_F(MovementGrid, TheAIsWaveStopsBesideTheNearestEnemy) {
  SetMap(20, 3);
  int32_t cr = Place("Unit", 0, 0, 0);
  Place("Unit", 6, 0, 1);
  Place("Unit", 19, 3, 1);
  game::BuildDistanceMapToNearestEnemy(cr);
  EXPECT_TRUE(Movement().WaveStopped);
  EXPECT_EQ(Row(0, Movement().DistanceMap), "1 2 3 4 5 6 -3 0 0 0 0 0 0 0 0 0 0 0 0 0 0")
      << "the pass that sets 6 beside the enemy is the last";
  EXPECT_EQ(Row(1, Movement().DistanceMap), "2 3 4 5 6 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0");
  game::KeepDistanceMapFor(cr);
  const uint64_t built = Movement().DistanceMapsBuilt;
  game::BuildDistanceMap(cr, 6, 0);
  EXPECT_EQ(Movement().DistanceMapsBuilt, built) << "an enemy's tile: the stopped wave serves";
  game::KeepDistanceMapFor(cr);
  game::BuildDistanceMap(cr, 12, 2);
  EXPECT_EQ(Movement().DistanceMapsBuilt, built + 1) << "a tile the stopped wave left at 0";
  EXPECT_FALSE(Movement().WaveStopped);
  EXPECT_EQ(Movement().DistanceMap[12][2], 15);

  // Beside an enemy from the start: only the start.
  int32_t beside = Place("Unit", 5, 0, 0);
  game::BuildDistanceMapToNearestEnemy(beside);
  EXPECT_TRUE(Movement().WaveStopped);
  EXPECT_EQ(Movement().DistanceMap[5][0], 1);
  EXPECT_EQ(Movement().DistanceMap[5][1], 0);
  // An enemy on a tile that also holds a wall with a touch tile: the whole wave.
  AddWall(19, 3, false, true, -1, 0);
  game::BuildDistanceMapToNearestEnemy(cr);
  EXPECT_FALSE(Movement().WaveStopped);
  EXPECT_EQ(Movement().DistanceMap[20][0], 23) << "around the enemy on (6, 0)";
}

TEST_F(MovementGrid, TheWaveStopsAfterPass1000InASerpentineMaze) {
  SetMap(99, 99);
  // Every odd row is a wall with one gap, at the east end and the west end in turn: the way from
  // (0, 0) through the maze is about 5,000 steps long.
  for (int32_t y = 1; y <= 99; y += 2)
    for (int32_t x = 0; x <= 99; ++x)
      if (x != ((y / 2) % 2 == 0 ? 99 : 0)) AddWall(x, y);
  int32_t cr = Place("Unit", 0, 0, 0);
  Place("Unit", 50, 98, 1);
  std::string where;
  for (auto target : {std::pair{-1, -1}, std::pair{50, 98}, std::pair{0, 2}, std::pair{99, 99}}) {
    ASSERT_TRUE(SameByBothBuilders(cr, target.first, target.second, &where)) << where;
  }
  game::BuildDistanceMap(cr, -1, -1);
  const auto& dm = Movement().DistanceMap;
  int32_t highest = 0;
  for (int32_t x = 0; x <= 99; ++x)
    for (int32_t y = 0; y <= 99; ++y) highest = std::max(highest, dm[x][y]);
  EXPECT_EQ(highest, 1001) << "pass 1000 sets 1001 and is the last";
  // Row 0 holds 1..100, the gap 101, row 2 102..201 from the east end back west, and so on:
  // row 18 is entered at its east end with 910, and 1001 lies 91 tiles further west.
  EXPECT_EQ(dm[0][0], 1);
  EXPECT_EQ(dm[99][1], 101);
  EXPECT_EQ(dm[0][2], 201);
  EXPECT_EQ(dm[99][18], 910);
  EXPECT_EQ(dm[8][18], 1001);
  EXPECT_EQ(dm[7][18], 0) << "one step too far";
  EXPECT_EQ(dm[50][50], 0);
}

TEST_F(MovementGrid, AnEmptyFullSizeMapIsCoveredCornerToCorner) {
  SetMap(99, 99);
  int32_t cr = Place("Unit", 0, 0, 0);
  std::string where;
  ASSERT_TRUE(SameByBothBuilders(cr, -1, -1, &where)) << where;
  EXPECT_EQ(Movement().DistanceMap[99][99], 199);
  ASSERT_TRUE(SameByBothBuilders(cr, 99, 99, &where)) << where;
}

TEST_F(MovementGrid, ShotMapWallsBlockGhostsAndCreaturesDoNot) {
  SetMap(12, 12);
  game::BuildShotMap(5, 5, 2);
  int32_t marked = 0;
  for (int32_t x = 0; x <= 12; ++x)
    for (int32_t y = 0; y <= 12; ++y) marked += Movement().ShotMap[x][y];
  // Within 2.3 tiles: the 21 tiles of the 5 x 5 block less its four corners (2.83 away).
  EXPECT_EQ(marked, 21);
  EXPECT_EQ(Movement().ShotMap[6][3], 1) << "2.24 tiles away";
  EXPECT_EQ(Movement().ShotMap[7][7], 0);

  game::BuildShotMap(5, 5, 7);
  EXPECT_EQ(Movement().ShotMap[12][7], 1) << "7.28 tiles is within range + 0.3";
  EXPECT_EQ(Movement().ShotMap[12][8], 0) << "7.62 tiles is not";

  AddWall(4, 2);
  size_t ghost = AddWall(4, 8, true);
  Place("Unit", 4, 10, 1);
  game::BuildShotMap(2, 2, 6);
  EXPECT_EQ(Movement().ShotMap[4][2], game::CellWall);
  EXPECT_EQ(Movement().ShotMap[6][2], 0) << "straight behind the wall";
  EXPECT_EQ(Movement().ShotMap[3][2], 1);
  EXPECT_EQ(Movement().ShotMap[6][4], 1) << "the lines pass above the wall's square";
  game::BuildShotMap(2, 8, 6);
  EXPECT_EQ(Movement().ShotMap[4][8], 1) << "a ghost is shot through and can be shot at";
  EXPECT_EQ(Movement().ShotMap[6][8], 1);
  game::BuildShotMap(4, 8, 4);
  EXPECT_EQ(Movement().ShotMap[4][12], 1) << "creatures never block";
  game::SetWallGhost(static_cast<int32_t>(ghost), false);
  game::BuildShotMap(4, 8, 4);
  EXPECT_EQ(Movement().ShotMap[4][12], 0) << "a shooter on a wall's tile is shut in by its square";

  game::BuildShotMap(5, 5, -1);
  EXPECT_EQ(Movement().ShotMap[5][5], 0) << "a negative range marks nothing";
  EXPECT_EQ(Movement().ShotMap[4][2], game::CellWall);
  game::BuildShotMap(0, 0, 2000000000);
  EXPECT_EQ(Movement().ShotMap[12][12], 1) << "a huge range covers the map";
}

// The shot map looks only at the squares along each line; testing every wall of the window must
// give the same map, also for lines that graze corners and edges of squares.
TEST_F(MovementGrid, ShotMapEqualsTestingEveryWallOnRandomMaps) {
  std::mt19937 random(20261207);
  auto pick = [&](int32_t lo, int32_t hi) { return std::uniform_int_distribution<int32_t>(lo, hi)(random); };
  static int32_t expected[game::GridSize][game::GridSize];
  for (int map = 0; map < 400; ++map) {
    ResetAll();
    AddKind({});
    const bool big = map % 100 == 0;
    const int32_t w = big ? 99 : pick(0, 30), h = big ? 99 : pick(0, 30);
    SetMap(w, h);
    ScatterWalls(pick(0, 60), pick);
    for (int shot = 0; shot < 4; ++shot) {
      // Also shooters on walls, on the map's edge and beyond it, and ranges past the map.
      const int32_t x = pick(-2, w + 2), y = pick(-2, h + 2);
      const int32_t range = pick(0, 5) == 0 && !big ? pick(-1, 200) : pick(0, 12);
      game::BuildShotMapEverySquare(x, y, range);
      std::memcpy(expected, Movement().ShotMap, sizeof expected);
      game::BuildShotMap(x, y, range);
      for (int32_t cx = 0; cx <= w; ++cx)
        for (int32_t cy = 0; cy <= h; ++cy)
          ASSERT_EQ(Movement().ShotMap[cx][cy], expected[cx][cy])
              << "map " << map << ", shooter " << x << " " << y << " range " << range << ", tile " << cx << " " << cy;
    }
  }
}

TEST_F(MovementGrid, RouteTargetTakesTheTouchTileThenTheNearest3x3Cell) {
  SetMap(9, 9);
  size_t door = AddWall(5, 5, false, true, 1, 0, 90.0f);  // touch tile (1, 0) turned: (0, 1)
  ASSERT_EQ(game::WallLists().Walls[door].TouchTileY, 1);
  int32_t cr = Place("Unit", 1, 1, 0);
  game::BuildDistanceMap(cr, 5, 5);
  int32_t x = 5, y = 5;
  game::AdjustRouteTarget(&x, &y, true);
  EXPECT_EQ(x, 5);
  EXPECT_EQ(y, 6) << "the touch tile, though others are nearer";

  auto& dm = Movement().DistanceMap;
  dm[5][6] = -1;  // the touch tile shut: the nearest 3 x 3 cell of value 1 or more
  for (int32_t dx = -1; dx <= 1; ++dx)
    for (int32_t dy = -1; dy <= 1; ++dy) dm[5 + dx][5 + dy] = 0;
  dm[4][4] = 3;
  dm[6][4] = 3;
  dm[4][6] = 2;
  dm[6][5] = 4;
  x = 5, y = 5;
  game::AdjustRouteTarget(&x, &y, true);
  EXPECT_EQ(std::pair(x, y), std::pair(4, 6));
  x = 5, y = 5;
  game::AdjustRouteTarget(&x, &y, false);
  EXPECT_EQ(std::pair(x, y), std::pair(6, 5)) << "without diagonals";
  dm[4][6] = 3;
  x = 5, y = 5;
  game::AdjustRouteTarget(&x, &y, true);
  EXPECT_EQ(std::pair(x, y), std::pair(4, 4)) << "equal values: rows before columns, lower first";
  dm[5][4] = 1;
  x = 5, y = 5;
  game::AdjustRouteTarget(&x, &y, false);
  EXPECT_EQ(std::pair(x, y), std::pair(5, 4)) << "the walker's own tile (1) qualifies";
  for (int32_t dx = -1; dx <= 1; ++dx)
    for (int32_t dy = -1; dy <= 1; ++dy) dm[5 + dx][5 + dy] = -2;
  x = 5, y = 5;
  game::AdjustRouteTarget(&x, &y, true);
  EXPECT_EQ(std::pair(x, y), std::pair(5, 5)) << "nothing qualifies: unchanged";
  x = 0, y = 0;
  game::AdjustRouteTarget(&x, &y, true);
  EXPECT_EQ(std::pair(x, y), std::pair(1, 1)) << "cells outside the map are passed over";
}

TEST_F(MovementGrid, NextStepCutsCornersOnlyPastFreeTiles) {
  int32_t cr = Place("Unit", 0, 0, 0);
  auto next = [&](int32_t rx, int32_t ry) {
    C(cr).RouteX = rx;
    C(cr).RouteY = ry;
    C(cr).NextX = C(cr).NextY = -7;
    game::BuildDistanceMap(cr, rx, ry);
    game::NextStep(cr);
    return std::pair(C(cr).NextX, C(cr).NextY);
  };
  EXPECT_EQ(next(3, 3), std::pair(1, 1)) << "diagonals all the way back";
  EXPECT_EQ(next(1, 1), std::pair(1, 1));
  EXPECT_EQ(next(3, 0), std::pair(1, 0));
  size_t wall = AddWall(1, 0);
  EXPECT_EQ(next(1, 1), std::pair(0, 1)) << "a wall beside the corner: around it";
  game::SetWallGhost(static_cast<int32_t>(wall), true);
  int32_t friendOnCorner = Place("Unit", 0, 1, 0);
  EXPECT_EQ(next(1, 1), std::pair(1, 0)) << "a creature beside the corner blocks it too";
  C(friendOnCorner).Alive = false;

  game::PlayerTable().TurnBased = true;
  C(cr).MovePoints = 1;
  EXPECT_EQ(next(1, 1), std::pair(0, 1)) << "one move point: straight steps only, (-1, 0) first";
  C(cr).MovePoints = 2;
  EXPECT_EQ(next(1, 1), std::pair(1, 1));
  game::PlayerTable().TurnBased = false;

  EXPECT_EQ(next(0, 0), std::pair(-7, -7)) << "the own tile: no step";

  // Routed to its own tile (1) with a wall diagonally next to it and both tiles beside that
  // corner free: the diagonal test matches the wall's -1 (1 - 2); the walk back ends there.
  C(cr).Alive = false;
  int32_t walker = Place("Unit", 5, 5, 0);
  AddWall(4, 4);
  C(walker).RouteX = 5;
  C(walker).RouteY = 5;
  C(walker).NextX = C(walker).NextY = -7;
  game::BuildDistanceMap(walker, 5, 5);
  game::NextStep(walker);
  EXPECT_EQ(std::pair(C(walker).NextX, C(walker).NextY), std::pair(-7, -7));
}

}  // namespace
