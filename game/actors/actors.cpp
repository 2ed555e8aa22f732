// The model matrix, the draw fraction and model picking shared by the actors.
#include "game/actors/actors.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>
#include <vector>

#include "game/core/camera.h"
#include "game/core/game_core.h"
#include "game/gui/gui.h"
#include "game/models/mesh.h"
#include "game/world/defs.h"

namespace game {

namespace {

eng::TMatrix4 Translation(float x, float y, float z) {
  eng::TMatrix4 m = eng::MatrixIdentity();
  m[12] = x;
  m[13] = y;
  m[14] = z;
  return m;
}

// Right-handed rotations about the world axes (column-major).
eng::TMatrix4 RotationX(double a) {
  eng::TMatrix4 m = eng::MatrixIdentity();
  float c = static_cast<float>(std::cos(a)), s = static_cast<float>(std::sin(a));
  m[5] = c;
  m[6] = s;
  m[9] = -s;
  m[10] = c;
  return m;
}

eng::TMatrix4 RotationY(double a) {
  eng::TMatrix4 m = eng::MatrixIdentity();
  float c = static_cast<float>(std::cos(a)), s = static_cast<float>(std::sin(a));
  m[0] = c;
  m[2] = -s;
  m[8] = s;
  m[10] = c;
  return m;
}

eng::TMatrix4 RotationZ(double a) {
  eng::TMatrix4 m = eng::MatrixIdentity();
  float c = static_cast<float>(std::cos(a)), s = static_cast<float>(std::sin(a));
  m[0] = c;
  m[1] = s;
  m[4] = -s;
  m[5] = c;
  return m;
}

eng::TMatrix4 Scaling(float s) {
  eng::TMatrix4 m{};
  m[0] = m[5] = m[10] = s;
  m[15] = 1.0f;
  return m;
}

// Whether the whole line s + (t - s) * u meets the box [lo, hi] (faces included).
bool LineMeetsBox(eng::TVec3 s, eng::TVec3 t, const float lo[3], const float hi[3]) {
  const float start[3] = {s.X, s.Y, s.Z};
  const float dir[3] = {t.X - s.X, t.Y - s.Y, t.Z - s.Z};
  double enter = -std::numeric_limits<double>::infinity();
  double leave = std::numeric_limits<double>::infinity();
  for (int axis = 0; axis < 3; ++axis) {
    if (dir[axis] == 0.0f) {
      if (start[axis] < lo[axis] || start[axis] > hi[axis]) return false;
      continue;
    }
    double a = (static_cast<double>(lo[axis]) - start[axis]) / dir[axis];
    double b = (static_cast<double>(hi[axis]) - start[axis]) / dir[axis];
    if (a > b) std::swap(a, b);
    enter = std::max(enter, a);
    leave = std::min(leave, b);
    if (enter > leave) return false;
  }
  return true;
}

// Whether the whole line through s and t passes within the sphere that holds the frame's box once
// the matrix has placed it: the box's half diagonal stretched by the matrix's Frobenius norm,
// which no direction exceeds. A cheap test that lets most actors off without inverting their
// matrix; it never turns away a line that meets the box. It runs for every actor every tick, so
// it compares squares (no root, no division): the line's distance d from the centre satisfies
// d^2 |t - s|^2 = |w x (t - s)|^2 with w from s to the centre.
bool LineNearPlacedBox(eng::TVec3 s, eng::TVec3 t, const float lo[3], const float hi[3], const eng::TMatrix4& m) {
  double c[3];
  for (int row = 0; row < 3; ++row)
    c[row] = double(m[row]) * (0.5 * (double(lo[0]) + hi[0])) + double(m[4 + row]) * (0.5 * (double(lo[1]) + hi[1])) +
             double(m[8 + row]) * (0.5 * (double(lo[2]) + hi[2])) + double(m[12 + row]);
  double half = 0.0, stretch = 0.0;
  for (int axis = 0; axis < 3; ++axis) half += 0.25 * double(hi[axis] - lo[axis]) * double(hi[axis] - lo[axis]);
  for (int column = 0; column < 3; ++column)
    for (int row = 0; row < 3; ++row) stretch += double(m[column * 4 + row]) * double(m[column * 4 + row]);
  // At least (sqrt(half x stretch) x 1.001 + 1e-4)^2: a margin for the float steps of placing.
  const double radius2 = half * stretch * 1.003 + 5e-5;
  const double d[3] = {double(t.X) - s.X, double(t.Y) - s.Y, double(t.Z) - s.Z};
  const double w[3] = {c[0] - s.X, c[1] - s.Y, c[2] - s.Z};
  const double dd = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
  if (dd == 0.0) return true;
  const double x = w[1] * d[2] - w[2] * d[1], y = w[2] * d[0] - w[0] * d[2], z = w[0] * d[1] - w[1] * d[0];
  // The slack covers the rounding of the cross product when the line passes near the centre.
  return x * x + y * y + z * z <= radius2 * dd * (1.0 + 1e-9);
}

}  // namespace

eng::TMatrix4 ActorMatrix(float x, float z, float angleDegrees, float rotateX, float rotateY,
                          float rotateZ, float scale) {
  double turn = -(static_cast<double>(angleDegrees) * std::numbers::pi / 180.0) - rotateY;
  eng::TMatrix4 m = Translation(x, 0.0f, z);
  m = eng::MatrixMultiply(m, RotationZ(rotateZ));
  m = eng::MatrixMultiply(m, RotationY(turn));
  m = eng::MatrixMultiply(m, RotationX(rotateX));
  return eng::MatrixMultiply(m, Scaling(scale));
}

void ApplyKindMeshSteps(TGmMesh* mesh, bool flatNormals, const TDefRead& read) {
  if (mesh == nullptr) return;
  if (flatNormals) mesh->FlatNormals = true;
  std::optional<std::string> flip = read.Last("FLIPNORMALS");
  if (flip && ParseBool(*flip)) MeshFlipNormals(mesh);
}

float FacingAngle(int32_t fromX, int32_t fromY, int32_t toX, int32_t toY) {
  double dx = static_cast<double>(toX) - fromX;
  double dy = static_cast<double>(toY) - fromY;
  if (dx == 0.0) return dy > 0.0 ? 90.0f : 270.0f;
  if (dy == 0.0) return dx > 0.0 ? 0.0f : 180.0f;
  double a = std::atan(std::fabs(dy / dx)) * 180.0 / std::numbers::pi;
  if (dx > 0.0 && dy > 0.0) return static_cast<float>(a);
  if (dx < 0.0 && dy > 0.0) return static_cast<float>(180.0 - a);
  if (dx < 0.0) return static_cast<float>(180.0 + a);
  return static_cast<float>(360.0 - a);
}

float DrawFraction() {
  // While the message box freezes the game, nothing moves between ticks either.
  const TGameCore& core = Core();
  if (core.FramesPerTick <= 0 || GuiFlags().GameFrozen) return 0.0f;
  return static_cast<float>(core.FramesThisTick) / static_cast<float>(core.FramesPerTick);
}

namespace {

// The nearest triangle hit of frame `f` of a mesh placed by `matrix` on the line from `eye` through
// `farPoint`; infinity when the line misses.
float NearestTriangleHit(const TGmMesh& mesh, const TGmMeshFrame& f, const float lo[3], const float hi[3],
                         const eng::TMatrix4& matrix, eng::TVec3 eye, eng::TVec3 farPoint) {
  constexpr float kNone = std::numeric_limits<float>::infinity();
  // The box test in the model's own space: the line brought back through the inverse matrix.
  eng::TMatrix4 inverse;
  if (!eng::MatrixInverse(matrix, &inverse)) return kNone;
  if (!LineMeetsBox(eng::MatrixTransformPoint(inverse, eye), eng::MatrixTransformPoint(inverse, farPoint), lo, hi))
    return kNone;
  // Each vertex placed once, not once for every triangle that shares it: the same values.
  static std::vector<eng::TVec3> placed;
  placed.resize(f.Vertices.size());
  for (size_t i = 0; i < f.Vertices.size(); ++i) {
    const TGmVector& v = f.Vertices[i];
    placed[i] = eng::MatrixTransformPoint(matrix, {v.X, v.Y, v.Z});
  }
  float nearest = kNone;
  for (const TGmTriangle& tri : mesh.Triangles) {
    eng::TVec3 at;
    if (!RayTriangleHit(eye, farPoint, placed[tri.VertexA], placed[tri.VertexB], placed[tri.VertexC], &at)) continue;
    float d = eng::Length(eye - at);
    if (d < nearest) nearest = d;
  }
  return nearest;
}

// The nearest hits of the last few placed meshes tested, with all they depend on. While the
// cursor, the camera and an actor's placement and key frame stay the same, as they do for most
// actors from one tick to the next, its triangles are not tested again. A mesh's frames and
// triangles do not change once it is loaded; its serial tells a mesh made later at the same
// address apart. Values are compared bit for bit: equal bits give equal results.
struct TNearestHit {
  const TGmMesh* Mesh = nullptr;
  uint64_t Serial = 0;
  uint32_t Frame = 0;
  eng::TMatrix4 Matrix{};
  eng::TVec3 Eye{};
  eng::TVec3 Far{};
  float Nearest = 0.0f;
};
struct TNearestHits {
  std::array<TNearestHit, 8> Hits{};
  size_t Next = 0;
};
TNearestHits g_nearestHits;

bool SameBits(const void* a, const void* b, size_t size) { return std::memcmp(a, b, size) == 0; }

TNearestHit* KeptNearestHit(const TNearestHit& key) {
  for (TNearestHit& hit : g_nearestHits.Hits)
    if (hit.Mesh == key.Mesh && hit.Serial == key.Serial && hit.Frame == key.Frame &&
        SameBits(&hit.Matrix, &key.Matrix, sizeof key.Matrix) && SameBits(&hit.Eye, &key.Eye, sizeof key.Eye) &&
        SameBits(&hit.Far, &key.Far, sizeof key.Far))
      return &hit;
  return nullptr;
}

}  // namespace

bool MeshRayHit(const TGmMesh& mesh, uint32_t frame, const eng::TMatrix4& matrix, eng::TVec3 eye,
                eng::TVec3 farPoint, float* distance) {
  if (mesh.FrameCount == 0 || mesh.Frames.empty() || mesh.TriangleCount == 0) return false;
  // A frame past the end (a looping wall between its last frame and the wrap) is the last one.
  frame = std::min<uint32_t>(frame, static_cast<uint32_t>(mesh.Frames.size()) - 1);
  const TGmMeshFrame& f = mesh.Frames[frame];

  const float lo[3] = {f.MinX, f.MinY, f.MinZ};
  const float hi[3] = {f.MaxX, f.MaxY, f.MaxZ};
  if (!LineNearPlacedBox(eye, farPoint, lo, hi, matrix)) return false;
  TNearestHit key;
  key.Mesh = &mesh;
  key.Serial = mesh.Serial;
  key.Frame = frame;
  key.Matrix = matrix;
  key.Eye = eye;
  key.Far = farPoint;
  TNearestHit* kept = KeptNearestHit(key);
  if (kept == nullptr) {
    kept = &g_nearestHits.Hits[g_nearestHits.Next];
    g_nearestHits.Next = (g_nearestHits.Next + 1) % g_nearestHits.Hits.size();
    key.Nearest = NearestTriangleHit(mesh, f, lo, hi, matrix, eye, farPoint);
    *kept = key;
  }
  // The nearest of all hits, taken only when nearer than what was picked before: what taking
  // each hit that is nearer than the one before gives.
  if (!(kept->Nearest < *distance)) return false;
  *distance = kept->Nearest;
  return true;
}

bool PickActorModel(const TGmMesh* mesh, float frame, const eng::TMatrix4& matrix, int32_t tileX,
                    int32_t tileY) {
  if (mesh == nullptr) return false;
  TGameCore& core = Core();
  // Trunc of the frame; a negative frame is frame 0.
  uint32_t key = frame > 0.0f ? static_cast<uint32_t>(std::min(frame, 4.0e9f)) : 0u;
  float distance = core.PickDistance;
  if (!MeshRayHit(*mesh, key, matrix, GmCamera().Camera.Position, core.CursorWorldPoint, &distance))
    return false;
  core.PickDistance = distance;
  core.CursorTileX = tileX;
  core.CursorTileY = tileY;
  return true;
}

}  // namespace game
