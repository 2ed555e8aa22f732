// The camera: matrices, the orbit values, pan, turn and zoom with their limits, inertia, mouse
// control, and picking the floor tile under a ray.
#include "game/core/camera.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine/math3d.h"
#include "engine/mouse.h"
#include "game/core/game_core.h"
#include "game/world/registry.h"

namespace {

using eng::TVec3;

TEST(Math3d, InverseOfAGeneralMatrix) {
  eng::TMatrix4 m = {2, 0.5f, -1, 0, 1, 3, 0.25f, 0, 0, -2, 4, 0, 5, -3, 7, 1};
  m[3] = 0.1f;  // not affine: the inverse must not assume it
  eng::TMatrix4 inv;
  ASSERT_TRUE(eng::MatrixInverse(m, &inv));
  eng::TMatrix4 product = eng::MatrixMultiply(m, inv);
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(product[i], (i % 5 == 0) ? 1.0f : 0.0f, 1e-5f) << i;
  eng::TMatrix4 singular = {1, 2, 3, 4, 2, 4, 6, 8, 0, 1, 0, 0, 0, 0, 1, 0};
  eng::TMatrix4 untouched = eng::MatrixIdentity();
  EXPECT_FALSE(eng::MatrixInverse(singular, &untouched));
  EXPECT_EQ(untouched, eng::MatrixIdentity());
}

TEST(Math3d, LookAtIsTheStandardViewMatrix) {
  // gluLookAt's matrix built independently: rows s, u, -f and the translation.
  const double eye[3] = {40, 30, 40}, centre[3] = {20, 0, 20}, up[3] = {0, 1, 0};
  double f[3] = {centre[0] - eye[0], centre[1] - eye[1], centre[2] - eye[2]};
  double fl = std::sqrt(f[0] * f[0] + f[1] * f[1] + f[2] * f[2]);
  for (double& c : f) c /= fl;
  double s[3] = {f[1] * up[2] - f[2] * up[1], f[2] * up[0] - f[0] * up[2], f[0] * up[1] - f[1] * up[0]};
  double sl = std::sqrt(s[0] * s[0] + s[1] * s[1] + s[2] * s[2]);
  for (double& c : s) c /= sl;
  double u[3] = {s[1] * f[2] - s[2] * f[1], s[2] * f[0] - s[0] * f[2], s[0] * f[1] - s[1] * f[0]};
  auto dot = [](const double* a, const double* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; };
  double want[16] = {s[0], u[0], -f[0], 0, s[1], u[1], -f[1], 0, s[2], u[2], -f[2], 0,
                     -dot(s, eye), -dot(u, eye), dot(f, eye), 1};

  eng::TCamera3D camera;
  camera.Position = {40, 30, 40};
  eng::CameraLookAt(camera, {20, 0, 20}, {0, 1, 0});
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(camera.Matrix[i], want[i], 1e-5) << i;
  TVec3 centreInView = eng::MatrixTransformPoint(camera.Matrix, {20, 0, 20});
  EXPECT_NEAR(centreInView.X, 0.0f, 1e-4f);
  EXPECT_NEAR(centreInView.Y, 0.0f, 1e-4f);
  EXPECT_NEAR(centreInView.Z, -std::sqrt(1700.0f), 1e-4f);

  // Looking straight along the up vector has no view: the matrix stays as it was.
  eng::TCamera3D degenerate;
  degenerate.Position = {0, 10, 0};
  eng::CameraLookAt(degenerate, {0, 0, 0}, {0, 1, 0});
  EXPECT_EQ(degenerate.Matrix, eng::MatrixIdentity());
}

class CameraTest : public ::testing::Test {
 protected:
  void SetUp() override {
    game::CameraReset();
    game::GameCoreReset();
    game::RegistryReset();
    eng::MouseReset();
    game::Registry().MapWidth = 19;
    game::Registry().MapHeight = 19;
    game::CameraStart();
  }
  void TearDown() override {
    game::CameraReset();
    game::GameCoreReset();
    game::RegistryReset();
    eng::MouseReset();
  }
  static game::TGmCamera& Cam() { return game::GmCamera(); }
  static float DistToTarget() {
    const TVec3& e = Cam().Camera.Position;
    return eng::Length(e - TVec3{Cam().GroundTargetX, 0, Cam().GroundTargetZ});
  }
};

TEST_F(CameraTest, StartValues) {
  game::TOrbit o = game::CameraOrbit();
  EXPECT_NEAR(o.Dist, 41.231f, 0.001f);
  EXPECT_FLOAT_EQ(o.Yaw, static_cast<float>(45.0 * 0.017453292));
  EXPECT_NEAR(o.Pitch, 0.7560f, 0.0005f);
  EXPECT_FLOAT_EQ(Cam().GroundTargetX, 20.0f);
  EXPECT_FLOAT_EQ(Cam().GroundTargetZ, 20.0f);
  EXPECT_EQ(Cam().PanVelX, 0.0f);
  EXPECT_EQ(Cam().ZoomVel, 0.0f);
}

TEST_F(CameraTest, YawIsExactOnTheAxesAndInRange) {
  auto yawDegrees = [](TVec3 eye) {
    Cam().Camera.Position = eye;
    return game::CameraOrbit().Yaw / 0.017453292f;
  };
  EXPECT_FLOAT_EQ(yawDegrees({30, 10, 20}), 0.0f);
  EXPECT_FLOAT_EQ(yawDegrees({20, 10, 30}), 90.0f);
  EXPECT_FLOAT_EQ(yawDegrees({10, 10, 20}), 180.0f);
  EXPECT_FLOAT_EQ(yawDegrees({20, 10, 10}), 270.0f);
  EXPECT_NEAR(yawDegrees({30, 10, 10}), 315.0f, 1e-3f);
  // An eye exactly above the target: no yaw, pitch 0, and no undefined values.
  Cam().Camera.Position = {20, 10, 20};
  game::TOrbit o = game::CameraOrbit();
  EXPECT_EQ(o.Yaw, 0.0f);
  EXPECT_EQ(o.Pitch, 0.0f);
}

TEST_F(CameraTest, ZoomStopsAt18And50AndKillsTheSpeed) {
  game::CameraZoom(true, game::CameraOrbit().Dist - 20.0f);
  EXPECT_NEAR(game::CameraOrbit().Dist, 20.0f, 1e-4f);
  Cam().ZoomVel = 3.0f;
  game::CameraZoom(true, 1.0f);
  EXPECT_NEAR(game::CameraOrbit().Dist, 19.0f, 1e-4f);
  EXPECT_EQ(Cam().ZoomVel, 3.0f) << "inside the limits the speed stays";
  game::CameraZoom(true, 3.0f);
  EXPECT_NEAR(game::CameraOrbit().Dist, 18.0f, 1e-4f);
  EXPECT_EQ(Cam().ZoomVel, 0.0f);
  Cam().ZoomVel = 3.0f;
  game::CameraZoom(false, 31.0f);
  EXPECT_NEAR(game::CameraOrbit().Dist, 49.0f, 1e-4f);
  game::CameraZoom(false, 3.0f);
  EXPECT_NEAR(game::CameraOrbit().Dist, 50.0f, 1e-4f);
  EXPECT_EQ(Cam().ZoomVel, 0.0f);
  EXPECT_NEAR(game::CameraOrbit().Pitch, 0.7560f, 0.0005f) << "zoom keeps the angles";
}

TEST_F(CameraTest, TurnClampsPitchAndLeavesYawFree) {
  game::CameraTurn(0.0f, 1000.0f);
  EXPECT_NEAR(game::CameraOrbit().Pitch, 0.4f, 1e-5f);
  game::CameraTurn(0.0f, -1000.0f);
  EXPECT_NEAR(game::CameraOrbit().Pitch, 1.0f, 1e-5f);
  game::CameraTurn(0.0f, 10.0f);  // 0.1 rad steeper
  EXPECT_NEAR(game::CameraOrbit().Pitch, 0.9f, 1e-5f);
  float yaw = game::CameraOrbit().Yaw;
  game::CameraTurn(50.0f, 0.0f);
  EXPECT_NEAR(game::CameraOrbit().Yaw, yaw + 0.5f, 1e-4f);
  game::CameraTurn(700.0f, 0.0f);  // more than a full circle
  EXPECT_NEAR(std::remainder(game::CameraOrbit().Yaw - (yaw + 7.5f), 2.0 * M_PI), 0.0, 1e-3);
  EXPECT_NEAR(DistToTarget(), 41.231f, 0.001f) << "turning keeps the distance";
  // The eye looks at the target after a turn.
  TVec3 target = eng::MatrixTransformPoint(Cam().Camera.Matrix, {Cam().GroundTargetX, 0, Cam().GroundTargetZ});
  EXPECT_NEAR(target.X, 0.0f, 1e-3f);
  EXPECT_NEAR(target.Y, 0.0f, 1e-3f);
}

TEST_F(CameraTest, PanMovesAlongTheViewAndClampsTheTargetNotTheEye) {
  // Y moves along the view direction (toward the eye for positive Y), X across it.
  game::CameraPan(0.0f, 1.0f);
  float step = 41.231f * 0.05f / 20.0f * std::cos(0.785398f);
  EXPECT_NEAR(Cam().GroundTargetX, 20.0f - step, 1e-4f);
  EXPECT_NEAR(Cam().GroundTargetZ, 20.0f - step, 1e-4f);
  game::CameraStart();
  game::CameraPan(1.0f, 0.0f);
  float yaw = 45.0f * 0.017453292f;
  EXPECT_NEAR(Cam().GroundTargetX, 20.0f + std::cos(yaw + 1.57f) * 41.231f * 0.05f / 20.0f, 1e-4f);
  EXPECT_NEAR(Cam().GroundTargetZ, 20.0f + std::sin(yaw + 1.57f) * 41.231f * 0.05f / 20.0f, 1e-4f);

  game::CameraPan(0.0f, -100000.0f);
  EXPECT_EQ(Cam().GroundTargetX, 38.0f);
  EXPECT_EQ(Cam().GroundTargetZ, 38.0f);
  EXPECT_GT(Cam().Camera.Position.X, 38.0f) << "the eye may leave the map";
  EXPECT_NEAR(DistToTarget(), 41.231f, 0.001f);
  game::CameraPan(0.0f, 100000.0f);
  EXPECT_EQ(Cam().GroundTargetX, 0.0f);
  EXPECT_EQ(Cam().GroundTargetZ, 0.0f);

  game::Registry().MapWidth = 4;
  game::Registry().MapHeight = 9;
  game::CameraPan(0.0f, -100000.0f);
  EXPECT_EQ(Cam().GroundTargetX, 8.0f);
  EXPECT_EQ(Cam().GroundTargetZ, 18.0f);
}

TEST_F(CameraTest, InertiaStepsFiveTimesBelow100Fps) {
  game::Core().ShownFPS = 120;
  Cam().TurnVelX = 10.0f;
  float yaw = game::CameraOrbit().Yaw;
  game::CameraInertiaStep();
  EXPECT_NEAR(Cam().TurnVelX, 7.0f, 1e-5f);
  EXPECT_NEAR(game::CameraOrbit().Yaw, yaw + 0.07f, 1e-4f);

  game::CameraStart();
  game::Core().ShownFPS = 99;
  Cam().TurnVelX = 10.0f;
  Cam().ZoomVel = 1.0f;
  Cam().ZoomIn = true;
  game::CameraInertiaStep();
  EXPECT_NEAR(Cam().TurnVelX, 10.0f * std::pow(0.7f, 5.0f), 1e-4f);
  EXPECT_NEAR(game::CameraOrbit().Yaw, yaw + (7.0f + 4.9f + 3.43f + 2.401f + 1.6807f) / 100.0f, 1e-4f);
  EXPECT_NEAR(Cam().ZoomVel, std::pow(0.95f, 5.0f), 1e-5f);
  float zoomed = 0.95f + 0.9025f + 0.857375f + 0.81450625f + 0.7737809375f;
  EXPECT_NEAR(game::CameraOrbit().Dist, 41.231f - zoomed, 0.001f);

  // Tiny velocities no longer move the camera.
  game::CameraStart();
  Cam().PanVelX = 0.0001f;
  game::CameraInertiaStep();
  EXPECT_EQ(Cam().GroundTargetX, 20.0f);
}

TEST_F(CameraTest, MouseControlTakesTheFirstMatchingLine) {
  game::Core().PrevMouseX = 100;
  game::Core().PrevMouseY = 100;
  eng::MouseOnMove(110, 95);
  eng::MouseOnDown(1);
  eng::MouseOnDown(2);
  eng::MouseOnWheel(1);
  game::CameraMouseControl();
  EXPECT_FLOAT_EQ(Cam().PanVelX, 2.0f);
  EXPECT_FLOAT_EQ(Cam().PanVelY, -1.0f);
  EXPECT_EQ(Cam().TurnVelX, 0.0f) << "the middle button wins over the right";
  EXPECT_EQ(Cam().ZoomVel, 0.0f);

  eng::MouseOnUp(1);
  game::CameraMouseControl();
  EXPECT_FLOAT_EQ(Cam().TurnVelX, 2.0f);
  EXPECT_FLOAT_EQ(Cam().TurnVelY, -1.0f);

  eng::MouseOnUp(2);
  game::CameraMouseControl();
  EXPECT_TRUE(Cam().ZoomIn);
  EXPECT_FLOAT_EQ(Cam().ZoomVel, 0.4f);
  eng::MouseClearState();
  eng::MouseOnWheel(-1);
  game::CameraMouseControl();
  EXPECT_FALSE(Cam().ZoomIn);
  EXPECT_FLOAT_EQ(Cam().ZoomVel, 0.8f);
}

TEST(RayTriangle, StrictlyInsideOnTheWholeLine) {
  TVec3 p1{0, 0, 0}, p2{2, 0, 0}, p3{0, 0, 2};
  TVec3 hit;
  ASSERT_TRUE(game::RayTriangleHit({0.5f, 5, 0.5f}, {0.5f, -5, 0.5f}, p1, p2, p3, &hit));
  EXPECT_NEAR(hit.X, 0.5f, 1e-6f);
  EXPECT_NEAR(hit.Y, 0.0f, 1e-6f);
  EXPECT_NEAR(hit.Z, 0.5f, 1e-6f);
  // The segment stops short of the plane, or points away from it: the line still hits.
  EXPECT_TRUE(game::RayTriangleHit({0.5f, 5, 0.5f}, {0.5f, 4, 0.5f}, p1, p2, p3, &hit));
  EXPECT_TRUE(game::RayTriangleHit({0.5f, 5, 0.5f}, {0.5f, 6, 0.5f}, p1, p2, p3, &hit));
  EXPECT_NEAR(hit.Y, 0.0f, 1e-5f);
  // Either winding.
  EXPECT_TRUE(game::RayTriangleHit({0.5f, 5, 0.5f}, {0.5f, -5, 0.5f}, p1, p3, p2, &hit));
  // Points on an edge or a corner miss; so does a line in the plane's direction.
  hit = {9, 9, 9};
  EXPECT_FALSE(game::RayTriangleHit({1, 5, 0}, {1, -5, 0}, p1, p2, p3, &hit));
  EXPECT_FALSE(game::RayTriangleHit({0, 5, 1}, {0, -5, 1}, p1, p2, p3, &hit));
  EXPECT_FALSE(game::RayTriangleHit({1, 5, 1}, {1, -5, 1}, p1, p2, p3, &hit));
  EXPECT_FALSE(game::RayTriangleHit({0, 5, 0}, {0, -5, 0}, p1, p2, p3, &hit));
  EXPECT_FALSE(game::RayTriangleHit({1.5f, 5, 1.5f}, {1.5f, -5, 1.5f}, p1, p2, p3, &hit));
  EXPECT_FALSE(game::RayTriangleHit({0, 1, 0}, {1, 1, 1}, p1, p2, p3, &hit));
  EXPECT_EQ(hit.X, 9.0f) << "a miss leaves the hit point alone";
}

class PickTest : public CameraTest {
 protected:
  void Pick(TVec3 eye, TVec3 through) {
    game::Core().CursorWorldPoint = through;
    game::PickFloorTile(eye);
  }
};

TEST_F(PickTest, TilesRoundHalfToEven) {
  Pick({1, 10, 5}, {1, -10, 5});
  EXPECT_EQ(game::Core().CursorTileX, 0) << "X = 1.0 is tile 0";
  EXPECT_EQ(game::Core().CursorTileY, 2) << "Z = 5.0 is tile 2";
  EXPECT_FLOAT_EQ(game::Core().PickDistance, 10.0f);
  EXPECT_FLOAT_EQ(game::Core().PickPoint.X, 1.0f);
  Pick({3, 10, 7}, {3, -10, 7});
  EXPECT_EQ(game::Core().CursorTileX, 2) << "X = 3.0 is tile 2";
  EXPECT_EQ(game::Core().CursorTileY, 4) << "Z = 7.0 is tile 4";
  Pick({2.9f, 4, 3.1f}, {2.9f, -4, 3.1f});
  EXPECT_EQ(game::Core().CursorTileX, 1);
  EXPECT_EQ(game::Core().CursorTileY, 2);
  // The outer half of the edge tiles belongs to them.
  Pick({-0.9f, 4, 38.9f}, {-0.9f, -4, 38.9f});
  EXPECT_EQ(game::Core().CursorTileX, 0);
  EXPECT_EQ(game::Core().CursorTileY, 19);
  // The two triangles meet on the diagonal; both halves pick.
  Pick({10, 4, 30}, {10, -4, 30});
  EXPECT_EQ(game::Core().CursorTileX, 5);
  EXPECT_EQ(game::Core().CursorTileY, 15);
  Pick({30, 4, 10}, {30, -4, 10});
  EXPECT_EQ(game::Core().CursorTileX, 15);
  EXPECT_EQ(game::Core().CursorTileY, 5);
}

TEST_F(PickTest, MissesGiveNoTile) {
  Pick({1, 10, 5}, {1, -10, 5});
  ASSERT_EQ(game::Core().CursorTileX, 0);
  // Upward, away from the map behind the eye.
  Pick({20, 30, 20}, {60, 31, 60});
  EXPECT_EQ(game::Core().CursorTileX, 10000);
  EXPECT_EQ(game::Core().CursorTileY, 10000);
  EXPECT_EQ(game::Core().PickDistance, 10000.0f);
  // Down, but beyond the outer edge.
  Pick({39.5f, 10, 20}, {39.5f, -10, 20});
  EXPECT_EQ(game::Core().CursorTileX, 10000);
  Pick({20, 10, -1.5f}, {20, -10, -1.5f});
  EXPECT_EQ(game::Core().CursorTileY, 10000);
  // Parallel to the floor.
  Pick({20, 10, 20}, {30, 10, 30});
  EXPECT_EQ(game::Core().CursorTileX, 10000);
}

}  // namespace
