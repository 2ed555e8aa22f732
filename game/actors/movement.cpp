// The grid services of creature movement: facing, the distance map (a breadth-first queue that
// reproduces the pass scan exactly), the shot map, the route target and the next step.
#include "game/actors/movement.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "game/actors/creatures.h"
#include "game/actors/movement_oracle.h"
#include "game/actors/walls.h"
#include "game/core/players.h"
#include "game/world/registry.h"

namespace game {

namespace {

TMovementState g_move;

// Scratch of the breadth-first wave: the distance map with a border of blocked cells around it,
// so that no step needs a bounds test, and the cells of the layers in the order they were
// reached. Cell (x, y) is at (x + 1) * kPaddedSize + y + 1. NOTE: 16-bit cells would fit (values
// run from -3 to 1001) but measured slower than 32-bit ones in the tick benchmark.
constexpr int32_t kPaddedSize = GridSize + 2;
int32_t g_padded[kPaddedSize * kPaddedSize];
int32_t g_wave[GridSize * GridSize + 1];  // + 1: a write past the last cell is never kept

bool InsideMap(int64_t x, int64_t y) {
  return x >= 0 && y >= 0 && x <= Registry().MapWidth && y <= Registry().MapHeight;
}

void HeldTile(const TCreature& c, int32_t* x, int32_t* y) {
  *x = c.State == StateWalk ? c.NextX : c.TileX;
  *y = c.State == StateWalk ? c.NextY : c.TileY;
}

void ClearGrid(int32_t (&grid)[GridSize][GridSize]) {
  for (int32_t x = 0; x <= Registry().MapWidth; ++x)
    std::fill(grid[x], grid[x] + Registry().MapHeight + 1, 0);
}

// The walls of the distance map through `setCell`: -1 on every wall that is not a ghost; one
// pass over the list, which is long on big maps.
template <typename TSetCell>
void MarkWalls(TSetCell setCell) {
  for (const TWall& w : ReadWallLists().Walls)
    if (!w.Ghost && InsideMap(w.X, w.Y)) setCell(w.X, w.Y, CellWall);
}

// The creatures' part of the distance map's seed through `setCell` (x, y, value), after the walls:
// the held tiles of the other living creatures (allies, enemies), then the creature's own held
// tile, which it returns.
template <typename TSetCell>
void SeedCreatures(int32_t index, TSetCell setCell, int32_t* startX, int32_t* startY) {
  const std::vector<TCreature>& all = CreatureLists().Creatures;
  const TCreature& cr = all[static_cast<size_t>(index)];
  for (size_t j = 0; j < all.size(); ++j) {
    const TCreature& other = all[j];
    if (static_cast<int32_t>(j) == index || !other.Alive) continue;
    int32_t x = 0, y = 0;
    HeldTile(other, &x, &y);
    if (InsideMap(x, y)) setCell(x, y, AreAllies(cr.Owner, other.Owner) ? CellAlly : CellEnemy);
  }
  HeldTile(cr, startX, startY);
  if (InsideMap(*startX, *startY)) setCell(*startX, *startY, 1);
}

// The walls' part of the queue's padded grid: its blocked border and everything beyond the map,
// the walls that are not ghosts, 0 elsewhere. Marking them walks the whole wall list, which is
// long on big maps, so it is kept while the walls and the map's size stay as they were. The shot map takes its walls from it too.
struct TWallSeed {
  uint64_t Version = ~uint64_t{0};
  int32_t Width = -1;
  int32_t Height = -1;
  int32_t Padded[kPaddedSize * kPaddedSize];
};
TWallSeed g_wallSeed;

const int32_t* WallSeed() {
  const int32_t width = Registry().MapWidth;
  const int32_t height = Registry().MapHeight;
  TWallSeed& seed = g_wallSeed;
  if (seed.Version == WallsChanges() && seed.Width == width && seed.Height == height) return seed.Padded;
  std::fill(seed.Padded, seed.Padded + kPaddedSize * (width + 3), CellWall);
  for (int32_t x = 0; x <= width; ++x)
    std::fill(seed.Padded + (x + 1) * kPaddedSize + 1, seed.Padded + (x + 1) * kPaddedSize + height + 2, 0);
  MarkWalls([](int32_t x, int32_t y, int32_t value) { g_wallSeed.Padded[(x + 1) * kPaddedSize + y + 1] = value; });
  seed.Version = WallsChanges();
  seed.Width = width;
  seed.Height = height;
  return seed.Padded;
}

// The map's cells of a padded grid into `grid`.
void CopyPaddedMap(const int32_t* padded, int32_t (&grid)[GridSize][GridSize]) {
  for (int32_t x = 0; x <= Registry().MapWidth; ++x)
    std::copy(padded + (x + 1) * kPaddedSize + 1, padded + (x + 1) * kPaddedSize + Registry().MapHeight + 2, grid[x]);
}

// The straight neighbours in the order the wave visits them.
constexpr int32_t kStraightX[4] = {-1, 0, 1, 0};
constexpr int32_t kStraightY[4] = {0, -1, 0, 1};

struct TPoint {
  double X;
  double Y;
};

double Cross(TPoint a, TPoint b) { return a.X * b.Y - a.Y * b.X; }

// Whether segment p-q crosses segment a-b: both intersection parameters within [0, 1]; parallel
// segments never cross.
bool Crosses(TPoint p, TPoint q, TPoint a, TPoint b) {
  TPoint r{q.X - p.X, q.Y - p.Y};
  TPoint s{b.X - a.X, b.Y - a.Y};
  double d = Cross(r, s);
  if (d == 0.0) return false;
  TPoint ap{a.X - p.X, a.Y - p.Y};
  double t = Cross(ap, s) / d;
  double u = Cross(ap, r) / d;
  return t >= 0.0 && t <= 1.0 && u >= 0.0 && u <= 1.0;
}

bool StrictlyInside(TPoint p, int32_t wx, int32_t wy) {
  return p.X > wx && p.X < wx + 1 && p.Y > wy && p.Y < wy + 1;
}

// A wall square blocks a shot line when an end of the line lies strictly inside it or the line
// crosses one of its two diagonals.
bool SquareBlocks(TPoint p, TPoint q, int32_t wx, int32_t wy) {
  if (StrictlyInside(p, wx, wy) || StrictlyInside(q, wx, wy)) return true;
  TPoint a{double(wx), double(wy)}, b{double(wx + 1), double(wy + 1)};
  TPoint c{double(wx + 1), double(wy)}, d{double(wx), double(wy + 1)};
  return Crosses(p, q, a, b) || Crosses(p, q, c, d);
}

// The tiles of the range window [X0, X1] x [Y0, Y1] of a shot map.
struct TWindow {
  int64_t X0, X1, Y0, Y1;
};

// Whether a wall square of the window blocks the line p-q. Only the squares that come within a
// margin of the line can hold an end of it or meet a diagonal on it: column by column, those the
// line's stretch over the column passes, looked up on the map; the exact test decides. The margin
// keeps borderline squares for the exact test.
bool LineBlocked(TPoint p, TPoint q, const TWindow& window, const int32_t (&shot)[GridSize][GridSize]) {
  constexpr double kMargin = 1e-3;
  // Tiles lie at 0 .. 99 and the line within a tile of them: floor by truncation past an offset.
  auto floorOf = [](double v) { return static_cast<int64_t>(v + 16.0) - 16; };
  const double minX = std::min(p.X, q.X), maxX = std::max(p.X, q.X);
  const double minY = std::min(p.Y, q.Y), maxY = std::max(p.Y, q.Y);
  const double dx = q.X - p.X;
  const double slope = dx != 0.0 ? (q.Y - p.Y) / dx : 0.0;
  // The squares [c, c + 1] that meet [lo - margin, hi + margin]; one that only touches it lies a
  // margin away, where no rounding of the exact test reaches.
  const int64_t cx0 = std::max(window.X0, floorOf(minX - kMargin));
  const int64_t cx1 = std::min(window.X1, floorOf(maxX + kMargin));
  for (int64_t cx = cx0; cx <= cx1; ++cx) {
    double lo = minY, hi = maxY;
    if (dx != 0.0) {
      const double xa = std::max(minX, double(cx) - kMargin), xb = std::min(maxX, double(cx) + 1.0 + kMargin);
      if (xa > xb) continue;
      const double ya = p.Y + (xa - p.X) * slope, yb = p.Y + (xb - p.X) * slope;
      lo = std::min(ya, yb);
      hi = std::max(ya, yb);
    }
    const int64_t cy0 = std::max(window.Y0, floorOf(lo - kMargin));
    const int64_t cy1 = std::min(window.Y1, floorOf(hi + kMargin));
    for (int64_t cy = cy0; cy <= cy1; ++cy)
      if (shot[cx][cy] == CellWall && SquareBlocks(p, q, static_cast<int32_t>(cx), static_cast<int32_t>(cy)))
        return true;
  }
  return false;
}

// The same answer by testing every wall square of the window that comes near the line's bounding
// box: the reference of the one above.
bool LineBlockedByAnyWall(TPoint p, TPoint q, const TWindow& window, const int32_t (&shot)[GridSize][GridSize]) {
  constexpr double kMargin = 1e-3;
  const double minX = std::min(p.X, q.X) - kMargin, maxX = std::max(p.X, q.X) + kMargin;
  const double minY = std::min(p.Y, q.Y) - kMargin, maxY = std::max(p.Y, q.Y) + kMargin;
  for (int64_t cy = window.Y0; cy <= window.Y1; ++cy)
    for (int64_t cx = window.X0; cx <= window.X1; ++cx) {
      if (shot[cx][cy] != CellWall || cx > maxX || cx + 1 < minX || cy > maxY || cy + 1 < minY) continue;
      if (SquareBlocks(p, q, static_cast<int32_t>(cx), static_cast<int32_t>(cy))) return true;
    }
  return false;
}

template <bool kEverySquare>
void BuildShotMapWith(int32_t x, int32_t y, int32_t range) {
  auto& shot = g_move.ShotMap;
  CopyPaddedMap(WallSeed(), shot);
  if (range < 0) return;
  const int64_t x0 = std::max<int64_t>(0, int64_t(x) - range);
  const int64_t x1 = std::min<int64_t>(Registry().MapWidth, int64_t(x) + range);
  const int64_t y0 = std::max<int64_t>(0, int64_t(y) - range);
  const int64_t y1 = std::min<int64_t>(Registry().MapHeight, int64_t(y) + range);
  const TWindow window{x0, x1, y0, y1};

  const TPoint from{x + 0.5, y + 0.5};
  const double reach = static_cast<double>(range) + 0.3;
  constexpr double kAimX[5] = {0.5, 0.3, 0.7, 0.3, 0.7};
  constexpr double kAimY[5] = {0.5, 0.3, 0.3, 0.7, 0.7};
  for (int64_t ty = y0; ty <= y1; ++ty) {
    for (int64_t tx = x0; tx <= x1; ++tx) {
      if (shot[tx][ty] == CellWall) continue;
      double dx = static_cast<double>(tx - x), dy = static_cast<double>(ty - y);
      if (std::sqrt(dx * dx + dy * dy) > reach) continue;
      for (int k = 0; k < 5; ++k) {
        const TPoint aim{tx + kAimX[k], ty + kAimY[k]};
        if (!(kEverySquare ? LineBlockedByAnyWall(from, aim, window, shot) : LineBlocked(from, aim, window, shot))) {
          shot[tx][ty] = 1;
          break;
        }
      }
    }
  }
}

}  // namespace

TMovementState& Movement() { return g_move; }

bool IsDiagonalAngle(float angle) {
  if (!std::isfinite(angle)) return false;
  double rounded = std::nearbyint(static_cast<double>(angle));  // the default mode: halves to even
  return std::fmod(rounded, 90.0) != 0.0;
}

float StepLength(float angle) { return IsDiagonalAngle(angle) ? DiagonalStepLength : StraightStepLength; }

void UpdateWorldPosition(int32_t index) {
  TCreature& c = CreatureLists().Creatures[static_cast<size_t>(index)];
  // Most creatures stand: without progress the step adds a zero of either sign to the tile's
  // place, so the sine and cosine change nothing (unless the facing is not finite, when they
  // make the place not a number).
  if (c.StepProgress == 0.0f && std::isfinite(c.Angle)) {
    c.WorldX = static_cast<float>(2.0 * c.TileX);
    c.WorldZ = static_cast<float>(2.0 * c.TileY);
    return;
  }
  double radians = static_cast<double>(c.Angle) * std::numbers::pi / 180.0;
  c.WorldX = static_cast<float>(2.0 * c.TileX + std::cos(radians) * c.StepProgress);
  c.WorldZ = static_cast<float>(2.0 * c.TileY + std::sin(radians) * c.StepProgress);
}

void SeedDistanceMap(int32_t index, int32_t* startX, int32_t* startY) {
  auto& dm = g_move.DistanceMap;
  ClearGrid(dm);
  auto setCell = [](int32_t x, int32_t y, int32_t value) { g_move.DistanceMap[x][y] = value; };
  MarkWalls(setCell);
  SeedCreatures(index, setCell, startX, startY);
}

void BuildDistanceMap(int32_t index, int32_t targetX, int32_t targetY) {
  const bool kept = g_move.KeptWaveOf == index && g_move.Builder == nullptr;
  g_move.KeptWaveOf = -1;
  // Until the wave reaches the target, a pass with a target is the same pass as without one; a
  // wave that never reaches it is the full wave.
  // A wave stopped beside an enemy has left cells it would still reach at 0: only the cells that
  // hold a wall or a creature say for certain that the target was not reached.
  if (kept && (!InsideMap(targetX, targetY) || g_move.DistanceMap[targetX][targetY] < 0 ||
               (g_move.DistanceMap[targetX][targetY] == 0 && !g_move.WaveStopped)))
    return;
  ++g_move.DistanceMapsBuilt;
  g_move.WaveStopped = false;
  if (g_move.Builder != nullptr)
    g_move.Builder(index, targetX, targetY);
  else
    BuildDistanceMapQueue(index, targetX, targetY);
}

void SetDistanceMapBuilder(TDistanceMapBuilder builder) { g_move.Builder = builder; }

void KeepDistanceMapFor(int32_t index) { g_move.KeptWaveOf = index; }

namespace {

// The tiles straight beside a living enemy of the creature a wave is built for: with a stamp per
// padded cell, so that marking them needs no clearing.
struct TEnemySides {
  uint32_t Stamp = 0;
  uint32_t Cell[kPaddedSize * kPaddedSize] = {};
};
TEnemySides g_sides;

// Marks the tiles straight beside the living enemies of creature `index` (by their tiles, as the
// AI weighs them); false when an enemy stands where a wall with a touch tile stands too, for then
// the route target beside it may lie anywhere.
bool MarkEnemySides(int32_t index) {
  const std::vector<TCreature>& all = CreatureLists().Creatures;
  const TCreature& cr = all[static_cast<size_t>(index)];
  if (++g_sides.Stamp == 0) {
    std::fill(std::begin(g_sides.Cell), std::end(g_sides.Cell), 0u);
    g_sides.Stamp = 1;
  }
  for (const TCreature& enemy : all) {
    if (!enemy.Alive || AreAllies(cr.Owner, enemy.Owner)) continue;
    const int64_t ex = enemy.TileX, ey = enemy.TileY;
    auto touchWall = [&](const TWall& w) {
      return !w.Ghost && w.X == ex && w.Y == ey && (w.TouchTileX != 0 || w.TouchTileY != 0);
    };
    if (InsideMap(ex, ey) && AnyWallOn(enemy.TileX, enemy.TileY, touchWall)) return false;
    for (int32_t k = 0; k < 4; ++k) {
      const int64_t x = ex + kStraightX[k], y = ey + kStraightY[k];
      if (InsideMap(x, y)) g_sides.Cell[(x + 1) * kPaddedSize + y + 1] = g_sides.Stamp;
    }
  }
  return true;
}

// The pass scan visits the cells of value d row by row and stops after a pass that marked itself
// inactive: with a target, an assignment marks the pass active only while the target's cell is not
// yet above 0. Every pass fills exactly the next layer of the breadth-first wave, so the queue
// fills the same layers; what it must reproduce is only which pass is the last. In the pass that
// reaches the target that depends on the scan order: the pass stays active when an assignment
// came before the target's in row order (source cell first, then the neighbour's rank), which the
// queue finds out once that pass is done, from the cells it made.
// With `toNearestEnemy` and no target the wave may stop after the pass that first reaches a tile
// beside an enemy; returns whether it did.
bool RunWave(int32_t index, int32_t targetX, int32_t targetY, bool toNearestEnemy) {
  auto& dm = g_move.DistanceMap;
  const int32_t width = Registry().MapWidth;
  const bool hasTarget = InsideMap(targetX, targetY);
  constexpr int32_t kStep[4] = {-kPaddedSize, -1, kPaddedSize, 1};  // the straight neighbours' order

  // The seed goes straight into the padded grid, whose border and everything beyond the map are
  // blocked; the distance map is written once, at the end.
  const int32_t* walls = WallSeed();
  std::copy(walls, walls + kPaddedSize * (width + 3), g_padded);
  int32_t sx = 0, sy = 0;
  SeedCreatures(
      index, [](int32_t x, int32_t y, int32_t value) { g_padded[(x + 1) * kPaddedSize + y + 1] = value; }, &sx,
      &sy);
  const int32_t target = hasTarget ? (targetX + 1) * kPaddedSize + targetY + 1 : -1;
  const bool stopBesideEnemy = toNearestEnemy && !hasTarget && MarkEnemySides(index);
  bool stopped = false;

  if (InsideMap(sx, sy)) {
    size_t head = 0, tail = 0;
    g_wave[tail++] = (sx + 1) * kPaddedSize + sy + 1;
    // A start beside an enemy is the nearest tile beside one already.
    stopped = stopBesideEnemy && g_sides.Cell[g_wave[0]] == g_sides.Stamp;
    for (int32_t d = 1; d <= DistanceMapPassLimit && !stopped; ++d) {
      const bool targetReached = hasTarget && g_padded[target] > 0;
      const size_t layerStart = head, layerEnd = tail;
      const int32_t nextValue = d + 1;
      // One direction at a time over the layer: two cells of a layer never share the neighbour in
      // the same direction, so no step reads a cell the step before it has just written, which
      // the processor would otherwise have to wait for. The order of a layer changes nothing.
      // Without a branch on whether the neighbour is free: which neighbours are is unpredictable.
      for (int32_t k = 0; k < 4; ++k) {
        const int32_t step = kStep[k];
        for (size_t i = layerStart; i < layerEnd; ++i) {
          const int32_t next = g_wave[i] + step;
          const int32_t value = g_padded[next];
          const bool free = value == 0;
          g_padded[next] = free ? nextValue : value;
          g_wave[tail] = next;
          tail += free;
        }
      }
      head = layerEnd;
      bool active = tail > layerEnd;
      if (targetReached) {
        active = false;
      } else if (hasTarget && g_padded[target] == nextValue) {
        // Every cell of value d + 1 was made by this pass; the first of its makings in row order.
        const int32_t rowLength = width + 1;
        int32_t firstKey = std::numeric_limits<int32_t>::max(), targetKey = firstKey;
        for (size_t i = layerStart; i < layerEnd; ++i) {
          const int32_t cell = g_wave[i];
          const int32_t x = cell / kPaddedSize - 1, y = cell % kPaddedSize - 1;
          for (int32_t k = 0; k < 4; ++k) {
            if (g_padded[cell + kStep[k]] != nextValue) continue;
            const int32_t key = (y * rowLength + x) * 4 + k;
            firstKey = std::min(firstKey, key);
            if (cell + kStep[k] == target) targetKey = std::min(targetKey, key);
          }
        }
        active = firstKey < targetKey;
      }
      if (!active) break;
      if (stopBesideEnemy)
        for (size_t i = layerEnd; i < tail && !stopped; ++i) stopped = g_sides.Cell[g_wave[i]] == g_sides.Stamp;
    }
  }
  CopyPaddedMap(g_padded, dm);
  return stopped;
}

}  // namespace

void BuildDistanceMapQueue(int32_t index, int32_t targetX, int32_t targetY) {
  RunWave(index, targetX, targetY, false);
}

void BuildDistanceMapToNearestEnemy(int32_t index) {
  g_move.KeptWaveOf = -1;
  ++g_move.DistanceMapsBuilt;
  if (g_move.Builder != nullptr) {
    g_move.Builder(index, -1, -1);
    g_move.WaveStopped = false;
  } else {
    g_move.WaveStopped = RunWave(index, -1, -1, true);
  }
}

void BuildShotMap(int32_t x, int32_t y, int32_t range) { BuildShotMapWith<false>(x, y, range); }

void BuildShotMapEverySquare(int32_t x, int32_t y, int32_t range) { BuildShotMapWith<true>(x, y, range); }

void AdjustRouteTarget(int32_t* x, int32_t* y, bool allowDiagonal) {
  const auto& dm = g_move.DistanceMap;
  // The touch tile of the first wall there that has one and whose touch tile the wave reached.
  auto touchTile = [&](const TWall& w) {
    if (w.Ghost || w.X != *x || w.Y != *y || (w.TouchTileX == 0 && w.TouchTileY == 0)) return false;
    int64_t tx = int64_t(*x) + w.TouchTileX, ty = int64_t(*y) + w.TouchTileY;
    if (!InsideMap(tx, ty) || dm[tx][ty] <= 1) return false;
    *x = static_cast<int32_t>(tx);
    *y = static_cast<int32_t>(ty);
    return true;
  };
  if (InsideMap(*x, *y) && AnyWallOn(*x, *y, touchTile)) return;
  int32_t best = std::numeric_limits<int32_t>::max();
  int32_t bestX = *x, bestY = *y;
  for (int32_t dy = -1; dy <= 1; ++dy) {
    for (int32_t dx = -1; dx <= 1; ++dx) {
      if (!allowDiagonal && dx != 0 && dy != 0) continue;
      int64_t nx = int64_t(*x) + dx, ny = int64_t(*y) + dy;
      if (!InsideMap(nx, ny)) continue;
      int32_t v = dm[nx][ny];
      if (v >= 1 && v < best) {
        best = v;
        bestX = static_cast<int32_t>(nx);
        bestY = static_cast<int32_t>(ny);
      }
    }
  }
  *x = bestX;
  *y = bestY;
}

void NextStep(int32_t index) {
  TCreature& c = CreatureLists().Creatures[static_cast<size_t>(index)];
  const auto& dm = g_move.DistanceMap;
  int32_t x = c.RouteX, y = c.RouteY;
  if (!InsideMap(x, y)) return;
  int32_t v = dm[x][y];
  if (v < 1) return;
  const bool diagonals = !(PlayerTable().TurnBased && c.MovePoints < 2);
  auto free = [&](int64_t cx, int64_t cy) { return InsideMap(cx, cy) && dm[cx][cy] > 0; };
  // NOTE: the walk back ends once the value falls to 0 or below: from a route cell of 1 the
  // diagonal test could otherwise match a wall's -1 and run on without end.
  while (v > 0) {
    if (v == 3 && diagonals && x != c.TileX && y != c.TileY && free(x, c.TileY) && free(c.TileX, y)) {
      c.NextX = x;
      c.NextY = y;
      return;
    }
    if (v == 2) {
      c.NextX = x;
      c.NextY = y;
      return;
    }
    bool moved = false;
    if (diagonals) {
      constexpr int32_t kDiagonalX[4] = {-1, -1, 1, 1};
      constexpr int32_t kDiagonalY[4] = {-1, 1, -1, 1};
      for (int k = 0; k < 4 && !moved; ++k) {
        int32_t nx = x + kDiagonalX[k], ny = y + kDiagonalY[k];
        if (InsideMap(nx, ny) && dm[nx][ny] == v - 2 && free(nx, y) && free(x, ny)) {
          x = nx;
          y = ny;
          v -= 2;
          moved = true;
        }
      }
    }
    if (moved) continue;
    for (int k = 0; k < 4; ++k) {
      int32_t nx = x + kStraightX[k], ny = y + kStraightY[k];
      if (InsideMap(nx, ny) && dm[nx][ny] == v - 1) {
        x = nx;
        y = ny;
        break;
      }
    }
    v -= 1;
  }
}

void MovementReset() {
  g_move = TMovementState{};
}

}  // namespace game
