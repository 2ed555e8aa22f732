// Wall kinds, walls, their animation, picking and drawing.
#include "game/actors/walls.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "game/actors/actors.h"
#include "game/core/camera.h"
#include "game/core/game_core.h"
#include "game/models/mesh.h"
#include "game/world/assets.h"
#include "game/world/defs.h"
#include "game/world/registry.h"

namespace game {

namespace {

constexpr int kIdCount = 65536;

TWallLists g_walls;

// The largest map's tiles a side.
constexpr int32_t kTiles = 100;

// Counts every placing and reset of walls, over the whole run (a reset does not restart it), so
// that the picking index below knows when it no longer describes the list.
uint64_t g_wallsGeneration = 0;
// Counts those and every other change the walls may have had: a ghost switched, the walls handed
// out to change (WallLists). What is kept about the walls is kept for one count.
uint64_t g_wallsChanges = 0;

// Walls by floor cell, for picking: a wall sits in every cell that the ground-plane box of its
// placed model, over all its frames, overlaps. A tick then tests only the walls of the cells the
// cursor line crosses at heights where walls are, instead of every wall on the map. Cells are
// tiles: cell (cx, cz) spans world X 2cx - 1 .. 2cx + 1 (and Z alike); the index covers a border
// of kPickPad cells around the largest map, and a wall reaching beyond it is tested always.
constexpr int32_t kPickPad = 4;
constexpr int32_t kPickCells = kTiles + 2 * kPickPad;
// Generous: the index only chooses whom to test; the exact test decides.
constexpr double kPickMargin = 0.1;

struct TWallPickIndex {
  uint64_t Generation = ~uint64_t{0};
  size_t Count = 0;
  const TWall* Data = nullptr;
  bool Empty = true;             // no wall can be picked at all
  double MinY = 0.0, MaxY = 0.0;  // the heights the pickable walls reach
  std::vector<int32_t> Start;    // cell c's walls are Walls[Start[c] .. Start[c + 1])
  std::vector<int32_t> Walls;
  std::vector<int32_t> Always;   // walls reaching beyond the index
  std::vector<int32_t> Candidates;  // scratch of each tick
};
TWallPickIndex g_pick;

// The walls a tick must animate: those with a model that are animated or past their last frame.
// The others keep their frame, and on big maps they are nearly all of them.
struct TAnimatedWalls {
  uint64_t Changes = ~uint64_t{0};  // the count of changes it was made at
  std::vector<int32_t> Walls;
};
TAnimatedWalls g_animated;

// The wall on each tile of the largest map: CreateWall places one to a tile; a tile that holds
// several all the same (walls pushed straight into the list) is marked so.
struct TTileWalls {
  uint64_t Changes = ~uint64_t{0};  // the count of changes it was made at
  int32_t Wall[kTiles][kTiles];
};
TTileWalls g_tileWalls;

bool ChangesItsFrame(const TWall& w) {
  return w.Model != nullptr && (w.Animated || w.Frame > static_cast<float>(w.Model->FrameCount));
}

// The cell of a world coordinate; far outside the index, one cell beyond its edge.
int32_t PickCell(double world) {
  const double cell = std::floor((world + 1.0) / 2.0) + kPickPad;
  return static_cast<int32_t>(std::clamp(cell, -1.0, static_cast<double>(kPickCells)));
}

// The box of the model's frames, all of them, placed by the matrix: its extent in world space.
bool PlacedBounds(const TWall& w, double lo[3], double hi[3]) {
  float box[6];
  if (!MeshBoundsAll(w.Model, box, box + 3)) return false;
  const eng::TMatrix4& m = w.Matrix;
  bool finite = true;
  for (int axis = 0; axis < 3; ++axis) {
    lo[axis] = HUGE_VAL;
    hi[axis] = -HUGE_VAL;
  }
  for (int corner = 0; corner < 8; ++corner) {
    const double v[3] = {box[corner & 1 ? 3 : 0], box[corner & 2 ? 4 : 1], box[corner & 4 ? 5 : 2]};
    for (int axis = 0; axis < 3; ++axis) {
      double at = m[axis] * v[0] + m[4 + axis] * v[1] + m[8 + axis] * v[2] + m[12 + axis];
      finite = finite && std::isfinite(at);
      lo[axis] = std::min(lo[axis], at);
      hi[axis] = std::max(hi[axis], at);
    }
  }
  for (int axis = 0; axis < 3; ++axis) {
    // A placement that is not finite is never left out: the wall is tested always.
    if (!finite) {
      lo[axis] = -HUGE_VAL;
      hi[axis] = HUGE_VAL;
      continue;
    }
    double slack = kPickMargin + 1e-3 * std::max(std::fabs(lo[axis]), std::fabs(hi[axis]));
    lo[axis] -= slack;
    hi[axis] += slack;
  }
  return true;
}

void BuildWallPickIndex() {
  const std::vector<TWall>& walls = g_walls.Walls;
  TWallPickIndex& index = g_pick;
  index.Generation = g_wallsGeneration;
  index.Count = walls.size();
  index.Data = walls.data();
  index.Empty = true;
  index.MinY = HUGE_VAL;
  index.MaxY = -HUGE_VAL;
  index.Always.clear();
  // Counted first, then filled: one flat array instead of a list per cell.
  struct TSpan {
    int32_t Wall, X0, X1, Z0, Z1;
  };
  std::vector<TSpan> spans;
  std::vector<int32_t> count(static_cast<size_t>(kPickCells) * kPickCells + 1, 0);
  for (size_t i = 0; i < walls.size(); ++i) {
    double lo[3], hi[3];
    if (!PlacedBounds(walls[i], lo, hi)) continue;
    index.Empty = false;
    index.MinY = std::min(index.MinY, lo[1]);
    index.MaxY = std::max(index.MaxY, hi[1]);
    if (lo[0] < -2.0 * kPickPad || lo[2] < -2.0 * kPickPad || hi[0] > 2.0 * (kPickCells - kPickPad) - 2.0 ||
        hi[2] > 2.0 * (kPickCells - kPickPad) - 2.0) {
      index.Always.push_back(static_cast<int32_t>(i));
      continue;
    }
    TSpan span{static_cast<int32_t>(i), PickCell(lo[0]), PickCell(hi[0]), PickCell(lo[2]), PickCell(hi[2])};
    for (int32_t x = span.X0; x <= span.X1; ++x)
      for (int32_t z = span.Z0; z <= span.Z1; ++z) ++count[static_cast<size_t>(x * kPickCells + z)];
    spans.push_back(span);
  }
  index.Start.assign(count.size(), 0);
  for (size_t c = 1; c < count.size(); ++c) index.Start[c] = index.Start[c - 1] + count[c - 1];
  index.Walls.assign(static_cast<size_t>(index.Start.back()), 0);
  std::vector<int32_t> fill(index.Start.begin(), index.Start.end() - 1);
  for (const TSpan& span : spans)
    for (int32_t x = span.X0; x <= span.X1; ++x)
      for (int32_t z = span.Z0; z <= span.Z1; ++z)
        index.Walls[static_cast<size_t>(fill[static_cast<size_t>(x * kPickCells + z)]++)] = span.Wall;
}

// The walls the cursor line may meet nearer than the pick distance found so far, in list order:
// those of the cells its ground-plane shadow crosses while it is within that distance of the eye
// and at the heights of the walls. Anything doubtful (an eye or a line that is not finite) gives
// every wall.
const std::vector<int32_t>& WallPickCandidates() {
  TWallPickIndex& index = g_pick;
  const std::vector<TWall>& walls = g_walls.Walls;
  if (index.Generation != g_wallsGeneration || index.Count != walls.size() || index.Data != walls.data())
    BuildWallPickIndex();
  std::vector<int32_t>& out = index.Candidates;
  out.clear();
  if (index.Empty) return out;
  const eng::TVec3 eye = GmCamera().Camera.Position;
  const eng::TVec3 far = Core().CursorWorldPoint;
  const double e[3] = {eye.X, eye.Y, eye.Z};
  const double d[3] = {double(far.X) - eye.X, double(far.Y) - eye.Y, double(far.Z) - eye.Z};
  const double length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
  // The stretch of the line u in [u0, u1]: within the pick distance of the eye, at the walls' heights.
  const double reach = (double(Core().PickDistance) * 1.001 + kPickMargin) / length;
  double u0 = -reach, u1 = reach;
  if (d[1] != 0.0) {
    double a = (index.MinY - e[1]) / d[1], b = (index.MaxY - e[1]) / d[1];
    if (a > b) std::swap(a, b);
    u0 = std::max(u0, a);
    u1 = std::min(u1, b);
  } else if (e[1] < index.MinY || e[1] > index.MaxY) {
    return out;
  }
  if (!std::isfinite(e[0]) || !std::isfinite(e[2]) || !std::isfinite(u0) || !std::isfinite(u1)) {
    for (size_t i = 0; i < walls.size(); ++i) out.push_back(static_cast<int32_t>(i));
    return out;
  }
  if (u0 > u1) return out;
  auto clampCell = [](int32_t c) { return std::clamp(c, 0, kPickCells - 1); };
  const double zA = e[2] + u0 * d[2], zB = e[2] + u1 * d[2];
  const int32_t row0 = clampCell(PickCell(std::min(zA, zB) - kPickMargin));
  const int32_t row1 = clampCell(PickCell(std::max(zA, zB) + kPickMargin));
  for (int32_t row = row0; row <= row1; ++row) {
    // The part of the shadow within this row of cells, widened by the margin.
    double ua = u0, ub = u1;
    if (d[2] != 0.0) {
      const double bandLo = 2.0 * (row - kPickPad) - 1.0 - kPickMargin;
      const double bandHi = 2.0 * (row - kPickPad) + 1.0 + kPickMargin;
      double a = (bandLo - e[2]) / d[2], b = (bandHi - e[2]) / d[2];
      if (a > b) std::swap(a, b);
      ua = std::max(ua, a);
      ub = std::min(ub, b);
      if (ua > ub) continue;
    }
    const double xA = e[0] + ua * d[0], xB = e[0] + ub * d[0];
    const int32_t col0 = clampCell(PickCell(std::min(xA, xB) - kPickMargin));
    const int32_t col1 = clampCell(PickCell(std::max(xA, xB) + kPickMargin));
    for (int32_t col = col0; col <= col1; ++col) {
      const size_t cell = static_cast<size_t>(col * kPickCells + row);
      out.insert(out.end(), index.Walls.begin() + index.Start[cell], index.Walls.begin() + index.Start[cell + 1]);
    }
  }
  out.insert(out.end(), index.Always.begin(), index.Always.end());
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
  return out;
}


const TDefFormat<TWall>& WallFormat() {
  static const TDefFormat<TWall> format = [] {
    // Walls turn their degrees into radians with pi to full precision.
    constexpr double pi = std::numbers::pi;
    TDefFormat<TWall> f;
    f.Defaults = [](TWall& w) {
      w.Scale = 1.0f;
      w.AnimSpeed = 0.3f;
      w.DiagonalTouch = true;
    };
    f.Tags.push_back({"[TOUCHSCRIPT]", "[/TOUCHSCRIPT]",
                      [](TWall& w, std::string_view text) { w.TouchScript += text; },
                      [](TWall& w, const std::string& file, int32_t line) {
                        MarkScriptLine(w.TouchScriptLines, w.TouchScript, file, line);
                      }});
    f.Keys = {
        DefField("NAME", &TWall::Name),
        {"TEXTURE",
         [](TWall& w, const TDefLine& line) {
           w.Texture = LoadKindTexture(line, "Data/Textures/", eng::WorldTextureFlags, w.Texture);
         }},
        {"MODEL", [](TWall& w, const TDefLine& line) { w.Model = LoadKindModel(line, w.Model); }},
        DefField("SCALEMODEL", &TWall::Scale),
        DefDegrees("ROTATEX", &TWall::RotateX, pi),
        DefDegrees("ROTATEY", &TWall::RotateY, pi),
        DefDegrees("ROTATEZ", &TWall::RotateZ, pi),
        DefField("FLATNORMALS", &TWall::FlatNormals),
        // Read after the file, where its last line counts; listed so that it is a known key.
        {"FLIPNORMALS", [](TWall&, const TDefLine&) {}},
        DefField("ANIMATED", &TWall::Animated),
        DefField("ANIMSPEED", &TWall::AnimSpeed),
        DefField("ANIMTYPE", &TWall::AnimType),
        DefField("TOUCHTILEX", &TWall::TouchTileX),
        DefField("TOUCHTILEY", &TWall::TouchTileY),
        DefField("DIAGONALTOUCH", &TWall::DiagonalTouch),
        DefField("GHOST", &TWall::Ghost),
    };
    f.AfterKeys = {"FLIPNORMALS"};
    f.AfterReading = [](TWall& w, const TDefRead& read) {
      ApplyKindMeshSteps(w.Model, w.FlatNormals, read);
      w.RotateY = static_cast<float>(static_cast<double>(w.RotateY) + std::numbers::pi / 2.0);
      // A play-once animation must not blend its last frame toward the first.
      if (w.AnimType == 1 && w.Model != nullptr) w.Model->Looped = false;
    };
    return f;
  }();
  return format;
}

bool InsideMap(int32_t x, int32_t y) {
  return x >= 0 && y >= 0 && x <= Registry().MapWidth && y <= Registry().MapHeight;
}

// The smallest ID from 1 up that no wall carries; 0 when every one is taken.
uint16_t FreeWallId() {
  std::vector<bool> used(kIdCount, false);
  for (const TWall& w : g_walls.Walls) used[w.ID] = true;
  for (int id = 1; id < kIdCount; ++id)
    if (!used[static_cast<size_t>(id)]) return static_cast<uint16_t>(id);
  return 0;
}

}  // namespace

TWallLists& WallLists() {
  ++g_wallsChanges;
  return g_walls;
}

const TWallLists& ReadWallLists() { return g_walls; }

int32_t WallOnTile(int32_t x, int32_t y) {
  if (x < 0 || y < 0 || x >= kTiles || y >= kTiles) return SeveralWalls;
  TTileWalls& tiles = g_tileWalls;
  if (tiles.Changes != g_wallsChanges) {
    for (auto& column : tiles.Wall) std::fill(std::begin(column), std::end(column), -1);
    for (size_t i = 0; i < g_walls.Walls.size(); ++i) {
      const TWall& w = g_walls.Walls[i];
      if (w.X < 0 || w.Y < 0 || w.X >= kTiles || w.Y >= kTiles) continue;
      int32_t& cell = tiles.Wall[w.X][w.Y];
      cell = cell == -1 ? static_cast<int32_t>(i) : SeveralWalls;
    }
    tiles.Changes = g_wallsChanges;
  }
  return tiles.Wall[x][y];
}

void LoadWallKind(const std::string& fileName) {
  LoadDefinitionKind(fileName, WallFormat(), g_walls.WallKinds);
}

void TurnTouchOffset(float angle, int32_t* touchX, int32_t* touchY) {
  int32_t tx = *touchX, ty = *touchY;
  if (angle > 45.0f && angle <= 135.0f) {
    *touchX = -ty;
    *touchY = tx;
  } else if (angle > 135.0f && angle <= 225.0f) {
    *touchX = -tx;
    *touchY = -ty;
  } else if (angle > 225.0f) {
    *touchX = ty;
    *touchY = -tx;
  }
}

uint16_t CreateWall(const std::string& kindName, int32_t x, int32_t y, float angle, uint16_t id) {
  if (!InsideMap(x, y)) return 0;
  for (const TWall& w : g_walls.Walls)
    if (w.X == x && w.Y == y) return 0;
  int32_t kind = FindKind(g_walls.WallKinds, kindName);
  if (kind < 0) return 0;
  if (id == 0) id = FreeWallId();
  if (id == 0) return 0;

  TWall wall = g_walls.WallKinds[static_cast<size_t>(kind)];
  wall.ID = id;
  wall.X = x;
  wall.Y = y;
  wall.Angle = angle;
  if (wall.TouchTileX != 0 || wall.TouchTileY != 0) TurnTouchOffset(angle, &wall.TouchTileX, &wall.TouchTileY);
  wall.Matrix = ActorMatrix(2.0f * static_cast<float>(x), 2.0f * static_cast<float>(y), angle, wall.RotateX,
                            wall.RotateY, wall.RotateZ, wall.Scale);
  g_walls.Walls.push_back(std::move(wall));
  ++g_wallsGeneration;
  ++g_wallsChanges;
  return id;
}

int32_t FindWall(uint16_t id) {
  for (size_t i = 0; i < g_walls.Walls.size(); ++i)
    if (g_walls.Walls[i].ID == id) return static_cast<int32_t>(i);
  return -1;
}

void AnimateWall(TWall& w) {
  if (w.Model == nullptr) return;
  float frames = static_cast<float>(w.Model->FrameCount);
  if (w.Animated) {
    if (w.Model->FrameCount > 1) w.Frame += w.AnimSpeed;
    if (w.AnimType == 1 && w.Frame >= frames - 1.0f) {
      w.Frame = frames - 1.0f;
      w.Animated = false;
    }
  }
  // Looping walls wrap only past the frame count, so the last key frame blends toward the first.
  if (w.Frame > frames) w.Frame = 0.0f;
}

void UpdateWalls() {
  TAnimatedWalls& animated = g_animated;
  if (animated.Changes != g_wallsChanges) {
    animated.Walls.clear();
    for (size_t i = 0; i < g_walls.Walls.size(); ++i)
      if (ChangesItsFrame(g_walls.Walls[i])) animated.Walls.push_back(static_cast<int32_t>(i));
    animated.Changes = g_wallsChanges;
  }
  size_t kept = 0;
  for (int32_t i : animated.Walls) {
    TWall& w = g_walls.Walls[static_cast<size_t>(i)];
    AnimateWall(w);
    if (ChangesItsFrame(w)) animated.Walls[kept++] = i;
  }
  animated.Walls.resize(kept);
  // Picking after all frames are set gives what picking each wall after its own frame gave: a
  // wall's pick reads only its own frame.
  for (int32_t i : WallPickCandidates()) {
    const TWall& w = g_walls.Walls[static_cast<size_t>(i)];
    if (!w.Ghost) PickActorModel(w.Model, w.Frame, w.Matrix, w.X, w.Y);
  }
}

void PickEveryWall() {
  for (const TWall& w : g_walls.Walls)
    if (w.Model != nullptr && !w.Ghost) PickActorModel(w.Model, w.Frame, w.Matrix, w.X, w.Y);
}

void DrawWalls() {
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_CULL_FACE);
  float f = DrawFraction();
  const eng::TCamera3D& camera = GmCamera().Camera;
  const eng::TFrustum view = DrawFrustum(camera.Matrix);
  const TWall* skippedLast = nullptr;
  float skippedFrame = 0.0f;
  for (const TWall& w : g_walls.Walls) {
    if (w.Model == nullptr) continue;
    float frame = w.Animated ? w.Frame + f * w.AnimSpeed : w.Frame;
    if (MeshOutsideView(view, w.Model, frame, w.Matrix)) {
      ++DrawCounts().Culled;
      skippedLast = &w;
      skippedFrame = frame;
      continue;
    }
    skippedLast = nullptr;
    ++DrawCounts().Drawn;
    eng::CameraLoadMatrix(camera);
    glMultMatrixf(w.Matrix.data());
    glBindTexture(GL_TEXTURE_2D, w.Texture != nullptr ? w.Texture->ID : 0);
    MeshDraw(w.Model, frame);
  }
  // What comes after sees the matrix, texture and current normal of the last wall, drawn or not.
  if (skippedLast != nullptr)
    MeshLeavePlaced(camera, skippedLast->Matrix, skippedLast->Texture != nullptr ? skippedLast->Texture->ID : 0,
                    skippedLast->Model, skippedFrame);
  glDisable(GL_CULL_FACE);
}

uint64_t WallsChanges() { return g_wallsChanges; }

void SetWallGhost(int32_t index, bool ghost) {
  if (index < 0 || static_cast<size_t>(index) >= g_walls.Walls.size()) return;
  g_walls.Walls[static_cast<size_t>(index)].Ghost = ghost;
  ++g_wallsChanges;
}

void WallsReset() {
  g_walls = TWallLists{};
  ++g_wallsGeneration;
  ++g_wallsChanges;
}

}  // namespace game
