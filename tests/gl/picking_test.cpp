// Picking through the real projection, and the start view as the game draws it: the floor under
// the start camera with the tile cursor outline (also written to a PNG for looking at).
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "engine/mouse.h"
#include "engine/opengl.h"
#include "engine/screenshot.h"
#include "game/core/camera.h"
#include "game/core/game_core.h"
#include "game/core/players.h"
#include "game/world/floor.h"
#include "game/world/registry.h"
#include "tests/support/gl_fixture.h"
#include "tests/support/test_support.h"

namespace {

struct Expected {
  bool hit = false;
  int tileX = 10000, tileY = 10000;
  bool nearEdge = false;  // too close to a tile border to call
  double worldX = 0, worldZ = 0;
};

// The floor point under window pixel (x, y) for the start camera, from first principles: the
// look-at basis and the 45 degree perspective of an 800 x 600 window.
Expected FromFirstPrinciples(int x, int y) {
  const double eye[3] = {40, 30, 40}, centre[3] = {20, 0, 20};
  double z[3] = {eye[0] - centre[0], eye[1] - centre[1], eye[2] - centre[2]};
  double zl = std::sqrt(z[0] * z[0] + z[1] * z[1] + z[2] * z[2]);
  for (double& c : z) c /= zl;
  double xa[3] = {z[2], 0, -z[0]};  // (0, 1, 0) x z
  double xl = std::sqrt(xa[0] * xa[0] + xa[2] * xa[2]);
  for (double& c : xa) c /= xl;
  double ya[3] = {z[1] * xa[2] - z[2] * xa[1], z[2] * xa[0] - z[0] * xa[2], z[0] * xa[1] - z[1] * xa[0]};
  double winY = 600.0 - y - 1;
  double ndcX = 2.0 * x / 800.0 - 1.0, ndcY = 2.0 * winY / 600.0 - 1.0;
  double f = 1.0 / std::tan(22.5 * M_PI / 180.0);
  double cam[3] = {ndcX * (800.0 / 600.0) / f, ndcY / f, -1.0};
  double dir[3];
  for (int i = 0; i < 3; ++i) dir[i] = xa[i] * cam[0] + ya[i] * cam[1] + z[i] * cam[2];
  Expected e;
  if (dir[1] >= 0) return e;
  double t = -eye[1] / dir[1];
  e.worldX = eye[0] + dir[0] * t;
  e.worldZ = eye[2] + dir[2] * t;
  auto near = [](double v, double edge) { return std::fabs(v - edge) < 0.05; };
  double gx = e.worldX / 2, gz = e.worldZ / 2;
  e.nearEdge = near(gx - std::floor(gx), 0.5) || near(gz - std::floor(gz), 0.5) || near(e.worldX, -1) ||
               near(e.worldX, 39) || near(e.worldZ, -1) || near(e.worldZ, 39);
  if (e.worldX > -1 && e.worldX < 39 && e.worldZ > -1 && e.worldZ < 39) {
    e.hit = true;
    e.tileX = static_cast<int>(std::lround(gx));
    e.tileY = static_cast<int>(std::lround(gz));
  }
  return e;
}

class PickingTest : public testsupport::GlTest {
 protected:
  void SetUp() override {
    GlTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    game::GameCoreReset();
    game::RegistryReset();
    game::FloorReset();
    game::CameraReset();
    eng::MouseReset();
    game::Core().ScreenHeight = 600;
    game::Core().AppDir = std::string(TESSERA_GAME_DIR) + "/";
    game::LoadKinds();
    game::PlayersStart();  // the outline is drawn only for a human current player
    game::CameraStart();
    Clear();
  }
  void TearDown() override {
    game::PlayersReset();
    game::FloorReset();
    game::RegistryReset();
    game::CameraReset();
    game::GameCoreReset();
    eng::MouseReset();
    eng::SetMode2D();
  }
  // What the game does for the cursor: unproject in the draw, pick in the tick.
  static void PickAt(int x, int y) {
    eng::MouseOnMove(x, y);
    eng::SetMode3D(45.0f);
    eng::CameraLoadMatrix(game::GmCamera().Camera);
    game::UnprojectCursor(eng::MouseX(), eng::MouseY());
    game::PickFloorTile(game::GmCamera().Camera.Position);
  }
};

TEST_F(PickingTest, TheCursorPicksTheTileComputedIndependently) {
  int checked = 0, misses = 0;
  for (int y = 20; y < 600; y += 45) {
    for (int x = 15; x < 800; x += 65) {
      Expected e = FromFirstPrinciples(x, y);
      if (e.nearEdge) continue;
      PickAt(x, y);
      EXPECT_EQ(game::Core().CursorTileX, e.tileX) << x << "," << y << " world " << e.worldX << "," << e.worldZ;
      EXPECT_EQ(game::Core().CursorTileY, e.tileY) << x << "," << y;
      if (e.hit) {
        EXPECT_NEAR(game::Core().PickPoint.X, e.worldX, 0.02) << x << "," << y;
        EXPECT_NEAR(game::Core().PickPoint.Z, e.worldZ, 0.02) << x << "," << y;
      } else {
        ++misses;
      }
      ++checked;
    }
  }
  EXPECT_GT(checked, 100);
  EXPECT_GT(misses, 5) << "some points look past the floor";
  // The middle of the window looks at the ground target.
  PickAt(400, 300);
  EXPECT_EQ(game::Core().CursorTileX, 10);
  EXPECT_EQ(game::Core().CursorTileY, 10);
  EXPECT_NEAR(game::Core().PickDistance, 41.23f, 0.1f);
}

// Window position (x from the left, y from the top) of a world point under the 3D view.
bool Project(double wx, double wy, double wz, double* x, double* y) {
  if (!testsupport::ProjectToWindow(
          {static_cast<float>(wx), static_cast<float>(wy), static_cast<float>(wz)}, x, y))
    return false;
  *y = 600.0 - *y - 0.5;  // pixel rows from the top; pixel centres at .5
  return true;
}

// The largest value of one channel (0 red, 1 green, 2 blue) in the 5 x 5 pixels around (cx, cy):
// a one-pixel line may step past the exact spot.
int Brightest(const std::vector<uint8_t>& px, int cx, int cy, int channel) {
  int best = 0;
  for (int dy = -2; dy <= 2; ++dy)
    for (int dx = -2; dx <= 2; ++dx) {
      size_t row = static_cast<size_t>(600 - 1 - (cy + dy));
      size_t i = (row * 800 + static_cast<size_t>(cx + dx)) * 4;
      uint32_t p = px[i] | (px[i + 1] << 8) | (px[i + 2] << 16);
      best = std::max(best, static_cast<int>((p >> (8 * channel)) & 0xFF));
    }
  return best;
}

TEST_F(PickingTest, StartViewShowsTheGrassFloorAndTheTileCursor) {
  if (!std::filesystem::exists(std::string(TESSERA_GAME_DIR) + "/Data/Textures/grass.jpg"))
    GTEST_SKIP() << "the grass texture has not been generated into " << TESSERA_GAME_DIR;
  eng::MouseOnMove(330, 420);
  game::GameDraw();  // the cursor's far point
  game::PickFloorTile(game::GmCamera().Camera.Position);
  int tx = game::Core().CursorTileX, ty = game::Core().CursorTileY;
  Expected e = FromFirstPrinciples(330, 420);
  ASSERT_TRUE(e.hit);
  ASSERT_EQ(tx, e.tileX);
  ASSERT_EQ(ty, e.tileY);
  Clear();
  game::GameDraw();
  std::vector<uint8_t> px = ReadPixels();
  std::filesystem::path shot = std::filesystem::path(TESSERA_BINARY_DIR) / "test-artifacts" / "start_view.png";
  std::filesystem::create_directories(shot.parent_path());
  std::string error;
  EXPECT_TRUE(eng::ScreenshotSaveBackBuffer(shot.string(), &error)) << error;

  // The outline: the middle of each tile edge is nearly white, the tile's middle is grass.
  double x, y;
  ASSERT_TRUE(Project(2.0 * tx, 0, 2.0 * ty, &x, &y));
  uint32_t centre = PixelAt(px, static_cast<int>(x), static_cast<int>(y));
  EXPECT_LT(static_cast<int>(centre & 0xFF), 200) << "grass is not white";
  EXPECT_GT(static_cast<int>((centre >> 8) & 0xFF), static_cast<int>(centre & 0xFF)) << "grass is green";
  const double edges[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
  for (const auto& edge : edges) {
    ASSERT_TRUE(Project(2.0 * tx + edge[0], 0.01, 2.0 * ty + edge[1], &x, &y));
    EXPECT_GT(Brightest(px, static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y)), 0), 200)
        << "outline at edge " << edge[0] << "," << edge[1];
  }

  // The floor's far corner (-1, 0, -1) is in view: just inside it there is grass, just beyond it
  // the black of the empty scene.
  ASSERT_TRUE(Project(-1, 0, -1, &x, &y));
  ASSERT_GT(y, 10);
  EXPECT_NE(PixelAt(px, static_cast<int>(x), static_cast<int>(y) + 6) & 0xFFFFFF, 0u);
  EXPECT_EQ(PixelAt(px, static_cast<int>(x), static_cast<int>(y) - 6) & 0xFFFFFF, 0u);
  // Along the far edges, inside and outside.
  ASSERT_TRUE(Project(19, 0, -1, &x, &y));
  EXPECT_NE(PixelAt(px, static_cast<int>(x), static_cast<int>(y) + 4) & 0xFFFFFF, 0u);
  EXPECT_EQ(PixelAt(px, static_cast<int>(x), static_cast<int>(y) - 4) & 0xFFFFFF, 0u);
  ASSERT_TRUE(Project(-1, 0, 19, &x, &y));
  EXPECT_NE(PixelAt(px, static_cast<int>(x), static_cast<int>(y) + 4) & 0xFFFFFF, 0u);
  EXPECT_EQ(PixelAt(px, static_cast<int>(x), static_cast<int>(y) - 4) & 0xFFFFFF, 0u);
}

TEST_F(PickingTest, NoOutlineWithoutATile) {
  if (!std::filesystem::exists(std::string(TESSERA_GAME_DIR) + "/Data/Textures/grass.jpg"))
    GTEST_SKIP() << "the grass texture has not been generated into " << TESSERA_GAME_DIR;
  eng::MouseOnMove(400, 5);  // beyond the far corner of the floor
  game::GameDraw();
  game::PickFloorTile(game::GmCamera().Camera.Position);
  ASSERT_EQ(game::Core().CursorTileX, 10000);
  Clear();
  game::GameDraw();
  std::vector<uint8_t> missed = ReadPixels();
  game::Core().CursorTileX = 10;
  game::Core().CursorTileY = 10;
  Clear();
  game::GameDraw();
  std::vector<uint8_t> picked = ReadPixels();
  double x, y;
  ASSERT_TRUE(Project(21, 0.01, 20, &x, &y));
  int cx = static_cast<int>(std::lround(x)), cy = static_cast<int>(std::lround(y));
  EXPECT_GT(Brightest(picked, cx, cy, 0), 200);
  EXPECT_LT(Brightest(missed, cx, cy, 0), 200) << "no tile, no outline";
}

}  // namespace
