// Camera control with inertia, and picking the tile under the cursor.
#include "game/core/camera.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <array>
#include <cmath>
#include <numbers>
#include <utility>

#include "engine/mouse.h"
#include "game/core/game_core.h"
#include "game/world/registry.h"

namespace game {

namespace {

constexpr double kDegToRad = 0.017453292;  // the factor the yaw is converted with
constexpr float kPanQuarterTurn = 1.57f;   // not an exact quarter turn; the pan keeps it
constexpr float kMinPitch = 0.4f;
constexpr float kMaxPitch = 1.0f;
constexpr float kMinDist = 18.0f;
constexpr float kMaxDist = 50.0f;
constexpr float kDragGain = 0.2f;
constexpr float kWheelGain = 0.4f;
constexpr float kVelocityEpsilon = 0.0001f;
constexpr int32_t kNoTile = 10000;
constexpr float kNoHit = 10000.0f;

TGmCamera g_camera;

// Puts the eye back on the orbit around the ground target and looks at the target.
void PlaceEye(const TOrbit& o) {
  double dist = o.Dist, yaw = o.Yaw, pitch = o.Pitch;
  g_camera.Camera.Position = {
      static_cast<float>(g_camera.GroundTargetX + std::sin(pitch) * std::cos(yaw) * dist),
      static_cast<float>(std::cos(pitch) * dist),
      static_cast<float>(g_camera.GroundTargetZ + std::sin(pitch) * std::sin(yaw) * dist)};
  eng::CameraLookAt(g_camera.Camera, {g_camera.GroundTargetX, 0.0f, g_camera.GroundTargetZ},
                    {0.0f, 1.0f, 0.0f});
}

// Direction of (x, z) in degrees, 0 to under 360, exact on the axes.
double DirectionDegrees(double x, double z) {
  if (z == 0.0) return x < 0.0 ? 180.0 : 0.0;
  if (x == 0.0) return z > 0.0 ? 90.0 : 270.0;
  double deg = std::atan2(z, x) * 180.0 / M_PI;
  if (deg < 0.0) deg += 360.0;
  if (deg >= 360.0) deg -= 360.0;
  return deg;
}

// GLU's perspective matrix (column-major, as gluPerspective multiplies it in).
std::array<double, 16> Perspective(double fovy, double aspect, double zNear, double zFar) {
  double radians = fovy / 2.0 * std::numbers::pi / 180.0;
  double cotangent = std::cos(radians) / std::sin(radians);
  double depth = zFar - zNear;
  std::array<double, 16> m{};
  m[0] = cotangent / aspect;
  m[5] = cotangent;
  m[10] = -(zFar + zNear) / depth;
  m[11] = -1.0;
  m[14] = -2.0 * zNear * zFar / depth;
  return m;
}

std::array<double, 16> Multiply(const std::array<double, 16>& a, const std::array<double, 16>& b) {
  std::array<double, 16> m{};
  for (int c = 0; c < 4; ++c)
    for (int r = 0; r < 4; ++r)
      for (int k = 0; k < 4; ++k) m[c * 4 + r] += a[k * 4 + r] * b[c * 4 + k];
  return m;
}

// Gauss-Jordan with partial pivoting; false for a singular matrix.
bool Invert(std::array<double, 16> m, std::array<double, 16>* out) {
  std::array<double, 16> inv{};
  for (int i = 0; i < 4; ++i) inv[i * 4 + i] = 1.0;
  auto at = [](std::array<double, 16>& a, int r, int c) -> double& { return a[c * 4 + r]; };
  for (int col = 0; col < 4; ++col) {
    int pivot = col;
    for (int r = col + 1; r < 4; ++r)
      if (std::fabs(at(m, r, col)) > std::fabs(at(m, pivot, col))) pivot = r;
    if (at(m, pivot, col) == 0.0) return false;
    for (int c = 0; c < 4; ++c) {
      std::swap(at(m, col, c), at(m, pivot, c));
      std::swap(at(inv, col, c), at(inv, pivot, c));
    }
    double scale = at(m, col, col);
    for (int c = 0; c < 4; ++c) {
      at(m, col, c) /= scale;
      at(inv, col, c) /= scale;
    }
    for (int r = 0; r < 4; ++r) {
      if (r == col) continue;
      double factor = at(m, r, col);
      for (int c = 0; c < 4; ++c) {
        at(m, r, c) -= factor * at(m, col, c);
        at(inv, r, c) -= factor * at(inv, col, c);
      }
    }
  }
  *out = inv;
  return true;
}

}  // namespace

TGmCamera& GmCamera() { return g_camera; }

TOrbit CameraOrbit() {
  const eng::TVec3& eye = g_camera.Camera.Position;
  double dx = static_cast<double>(eye.X) - g_camera.GroundTargetX;
  double dz = static_cast<double>(eye.Z) - g_camera.GroundTargetZ;
  double y = eye.Y;
  double dist = std::sqrt(dx * dx + y * y + dz * dz);
  TOrbit o;
  o.Dist = static_cast<float>(dist);
  o.Yaw = static_cast<float>(DirectionDegrees(dx, dz) * kDegToRad);
  // Rounding can push the cosine a hair past 1; an eye on the target has no pitch.
  double c = dist > 0.0 ? y / dist : 1.0;
  if (c > 1.0) c = 1.0;
  if (c < -1.0) c = -1.0;
  o.Pitch = static_cast<float>(std::acos(c));
  return o;
}

void CameraStart() {
  g_camera.Camera.Position = {40.0f, 30.0f, 40.0f};
  g_camera.GroundTargetX = 20.0f;
  g_camera.GroundTargetZ = 20.0f;
  eng::CameraLookAt(g_camera.Camera, {20.0f, 0.0f, 20.0f}, {0.0f, 1.0f, 0.0f});
}

void CameraPan(float x, float y) {
  TOrbit o = CameraOrbit();
  float xs = x * o.Dist * 0.05f;
  float ys = y * o.Dist * 0.05f;
  g_camera.GroundTargetX -= std::cos(o.Yaw) * ys / 20.0f;
  g_camera.GroundTargetZ -= std::sin(o.Yaw) * ys / 20.0f;
  g_camera.GroundTargetX += std::cos(o.Yaw + kPanQuarterTurn) * xs / 20.0f;
  g_camera.GroundTargetZ += std::sin(o.Yaw + kPanQuarterTurn) * xs / 20.0f;
  float maxX = 2.0f * static_cast<float>(Registry().MapWidth);
  float maxZ = 2.0f * static_cast<float>(Registry().MapHeight);
  if (g_camera.GroundTargetX < 0.0f) g_camera.GroundTargetX = 0.0f;
  if (g_camera.GroundTargetZ < 0.0f) g_camera.GroundTargetZ = 0.0f;
  if (g_camera.GroundTargetX > maxX) g_camera.GroundTargetX = maxX;
  if (g_camera.GroundTargetZ > maxZ) g_camera.GroundTargetZ = maxZ;
  PlaceEye(o);
}

void CameraTurn(float x, float y) {
  TOrbit o = CameraOrbit();
  o.Yaw += x / 100.0f;
  o.Pitch -= y / 100.0f;
  if (o.Pitch < kMinPitch) o.Pitch = kMinPitch;
  if (o.Pitch > kMaxPitch) o.Pitch = kMaxPitch;
  PlaceEye(o);
}

void CameraZoom(bool zoomIn, float speed) {
  TOrbit o = CameraOrbit();
  if (zoomIn)
    o.Dist -= speed;
  else
    o.Dist += speed;
  if (o.Dist < kMinDist) {
    o.Dist = kMinDist;
    g_camera.ZoomVel = 0.0f;
  }
  if (o.Dist > kMaxDist) {
    o.Dist = kMaxDist;
    g_camera.ZoomVel = 0.0f;
  }
  PlaceEye(o);
}

void CameraMouseControl() {
  float dx = static_cast<float>(eng::MouseX() - Core().PrevMouseX);
  float dy = static_cast<float>(eng::MouseY() - Core().PrevMouseY);
  if (eng::MouseDown(1)) {
    g_camera.PanVelX += dx * kDragGain;
    g_camera.PanVelY += dy * kDragGain;
  } else if (eng::MouseDown(2)) {
    g_camera.TurnVelX += dx * kDragGain;
    g_camera.TurnVelY += dy * kDragGain;
  } else if (eng::MouseWheel(0)) {
    g_camera.ZoomIn = true;
    g_camera.ZoomVel += kWheelGain;
  } else if (eng::MouseWheel(1)) {
    g_camera.ZoomIn = false;
    g_camera.ZoomVel += kWheelGain;
  }
}

void CameraInertiaStep() {
  // Below 100 frames per second five steps per frame keep the camera's settling time per second
  // about the same.
  int steps = Core().ShownFPS < 100 ? 5 : 1;
  for (int i = 0; i < steps; ++i) {
    g_camera.PanVelX *= 0.7f;
    g_camera.PanVelY *= 0.7f;
    g_camera.TurnVelX *= 0.7f;
    g_camera.TurnVelY *= 0.7f;
    g_camera.ZoomVel *= 0.95f;
    if (std::fabs(g_camera.PanVelX) > kVelocityEpsilon || std::fabs(g_camera.PanVelY) > kVelocityEpsilon)
      CameraPan(g_camera.PanVelX, g_camera.PanVelY);
    if (std::fabs(g_camera.TurnVelX) > kVelocityEpsilon || std::fabs(g_camera.TurnVelY) > kVelocityEpsilon)
      CameraTurn(g_camera.TurnVelX, g_camera.TurnVelY);
    if (std::fabs(g_camera.ZoomVel) > kVelocityEpsilon) CameraZoom(g_camera.ZoomIn, g_camera.ZoomVel);
  }
}

eng::TVec3 UnprojectCursor(int x, int y) {
  GLint viewport[4];
  GLdouble modelview[16];
  GLdouble projection[16];
  glGetIntegerv(GL_VIEWPORT, viewport);
  glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
  glGetDoublev(GL_PROJECTION_MATRIX, projection);
  GLdouble wx = 0.0, wy = 0.0, wz = 0.0;
  double winY = static_cast<double>(Core().ScreenHeight) - y - 1;
  // A singular matrix leaves the result at the origin rather than undefined.
  gluUnProject(x, winY, 1.0, modelview, projection, viewport, &wx, &wy, &wz);
  Core().CursorWorldPoint = {static_cast<float>(wx), static_cast<float>(wy), static_cast<float>(wz)};
  return Core().CursorWorldPoint;
}

eng::TVec3 UnprojectWindowPixel(int x, int y, int width, int height) {
  std::array<double, 16> view{};
  for (int i = 0; i < 16; ++i) view[static_cast<size_t>(i)] = GmCamera().Camera.Matrix[static_cast<size_t>(i)];
  double aspect = height != 0 ? static_cast<double>(width) / height : 1.0;
  std::array<double, 16> inverse{};
  if (!Invert(Multiply(Perspective(GameFieldOfView, aspect, GameNear, GameFar), view), &inverse)) return {};
  // Window to normalised device coordinates, on the far plane (depth 1).
  double in[4] = {(x + 0.0) / width * 2.0 - 1.0, (height - y - 1.0) / height * 2.0 - 1.0, 1.0, 1.0};
  double out[4] = {};
  for (int r = 0; r < 4; ++r)
    for (int k = 0; k < 4; ++k) out[r] += inverse[static_cast<size_t>(k * 4 + r)] * in[k];
  if (out[3] == 0.0) return {};
  return {static_cast<float>(out[0] / out[3]), static_cast<float>(out[1] / out[3]), static_cast<float>(out[2] / out[3])};
}

void PickFloorTile(eng::TVec3 eye) {
  TGameCore& core = Core();
  core.PickDistance = kNoHit;
  core.CursorTileX = kNoTile;
  core.CursorTileY = kNoTile;
  float w2 = 2.0f * static_cast<float>(Registry().MapWidth);
  float h2 = 2.0f * static_cast<float>(Registry().MapHeight);
  eng::TVec3 hit;
  bool found = RayTriangleHit(eye, core.CursorWorldPoint, {-1.0f, 0.0f, -1.01f}, {w2 + 1.0f, 0.0f, -1.0f},
                              {w2 + 1.0f, 0.0f, h2 + 1.01f}, &hit) ||
               RayTriangleHit(eye, core.CursorWorldPoint, {-1.0f, 0.0f, -1.0f}, {-1.0f, 0.0f, h2 + 1.0f},
                              {w2 + 1.0f, 0.0f, h2 + 1.0f}, &hit);
  if (!found) return;
  core.PickPoint = hit;
  // nearbyint rounds half to even in the default rounding mode: X = 1.0 is tile 0, 3.0 tile 2.
  core.CursorTileX = static_cast<int32_t>(std::nearbyint(hit.X / 2.0f));
  core.CursorTileY = static_cast<int32_t>(std::nearbyint(hit.Z / 2.0f));
  core.PickDistance = eng::Length(eye - hit);
}

bool RayTriangleHit(eng::TVec3 s, eng::TVec3 t, eng::TVec3 p1, eng::TVec3 p2, eng::TVec3 p3,
                    eng::TVec3* hit) {
  eng::TVec3 n = eng::Cross(p2 - p1, p3 - p1);
  float d = eng::Dot(n, t - s);
  if (d == 0.0f) return false;
  float along = -(eng::Dot(n, s) - eng::Dot(n, p1)) / d;
  eng::TVec3 h = s + (t - s) * along;
  if (!(eng::Dot(eng::Cross(p2 - p1, h - p1), n) > 0.0f)) return false;
  if (!(eng::Dot(eng::Cross(p3 - p2, h - p2), n) > 0.0f)) return false;
  if (!(eng::Dot(eng::Cross(p1 - p3, h - p3), n) > 0.0f)) return false;
  *hit = h;
  return true;
}

void CameraReset() { g_camera = TGmCamera{}; }

}  // namespace game
