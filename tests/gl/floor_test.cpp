// The floor drawn on the virtual display: its extent, its front face, texture binds, and what
// FloorSet and LoadKinds leave in the grid.
#include "game/world/floor.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <memory>

#include "engine/opengl.h"
#include "game/core/camera.h"
#include "game/core/game_core.h"
#include "game/world/registry.h"
#include "tests/support/actor_models.h"
#include "tests/support/gl_fixture.h"
#include "tests/support/test_support.h"

namespace {

// A one-pixel texture of one colour (R, G, B, A bytes in memory order).
std::unique_ptr<testsupport::RawTexture> SolidTexture(uint32_t rgba) {
  return std::make_unique<testsupport::RawTexture>(
      1, 1, std::vector<uint8_t>{static_cast<uint8_t>(rgba), static_cast<uint8_t>(rgba >> 8),
                                 static_cast<uint8_t>(rgba >> 16), static_cast<uint8_t>(rgba >> 24)});
}

constexpr uint32_t kRed = 0xFF0000FF;   // R, G, B, A in memory
constexpr uint32_t kBlue = 0xFFFF0000;

class FloorTest : public testsupport::GlTest {
 protected:
  void SetUp() override {
    GlTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    game::GameCoreReset();
    game::RegistryReset();
    game::FloorReset();
    game::CameraReset();
    game::Core().AppDir = testsupport::ScratchDir().string() + "/";
    game::Registry().MapWidth = 19;
    game::Registry().MapHeight = 19;
    game::FloorInit();
    // Made here, not in the constructor: the GL context exists only from GlTest::SetUp on.
    red_ = SolidTexture(kRed);
    blue_ = SolidTexture(kBlue);
    game::Floor().FloorTextures[0] = &red_->tex;
    game::Floor().FloorTextures.push_back(&blue_->tex);
    game::Floor().FloorTextureNames.push_back("blue");
    Clear();
  }
  void TearDown() override {
    game::FloorReset();
    game::RegistryReset();
    game::CameraReset();
    game::GameCoreReset();
    glDisable(GL_TEXTURE_2D);
    eng::SetMode2D();
  }
  // Looks straight down from `height` (negative: from below) with world X to the right and world
  // Z down the screen; world (-5..45) fills the window both ways.
  static void TopDownView(float height) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-25, 25, -25, 25, 1, 200);
    glMatrixMode(GL_MODELVIEW);
    glEnable(GL_DEPTH_TEST);
    glColor4ub(255, 255, 255, 255);
    eng::TCamera3D& camera = game::GmCamera().Camera;
    camera.Position = {20, height, 20};
    eng::CameraLookAt(camera, {20, 0, 20}, {0, 0, -1});
  }
  // Window pixel of world (x, z) in the top-down view.
  static int Px(float x) { return static_cast<int>((x + 5.0f) * 16.0f); }
  static int Py(float z) { return static_cast<int>((z + 5.0f) * 12.0f); }
  static uint32_t Rgb(const std::vector<uint8_t>& px, float x, float z) { return PixelAt(px, Px(x), Py(z)) & 0xFFFFFF; }

  std::unique_ptr<testsupport::RawTexture> red_;
  std::unique_ptr<testsupport::RawTexture> blue_;
};

TEST_F(FloorTest, InitMakesEveryDefaultTileAPlane) {
  ASSERT_EQ(game::Floor().FloorKinds.size(), 1u);
  EXPECT_EQ(game::Floor().FloorKinds[0].Name, "Plane");
  EXPECT_EQ(game::Floor().FloorTextureNames[0], "grass.jpg");
  const game::TFloor& cell = game::FloorCell(7, 19);
  EXPECT_EQ(cell.Name, "Plane");
  EXPECT_EQ(cell.Matrix[12], 14.0f);
  EXPECT_EQ(cell.Matrix[14], 38.0f);
  EXPECT_EQ(cell.Matrix[0], 1.0f);
  EXPECT_EQ(game::FloorCell(20, 0).Name, "") << "beyond the default 20 x 20 the grid is empty";
  EXPECT_EQ(game::FloorCell(20, 0).Matrix[15], 0.0f);
}

TEST_F(FloorTest, DrawsTwentyByTwentyTilesFromMinusOneToThirtyNine) {
  TopDownView(50.0f);
  game::FloorDraw();
  auto px = ReadPixels();
  EXPECT_EQ(Rgb(px, 0, 0), 0x0000FFu);
  EXPECT_EQ(Rgb(px, 20, 20), 0x0000FFu);
  EXPECT_EQ(Rgb(px, -0.8f, -0.8f), 0x0000FFu);
  EXPECT_EQ(Rgb(px, 38.8f, 38.8f), 0x0000FFu);
  EXPECT_EQ(Rgb(px, -1.3f, 20), 0u);
  EXPECT_EQ(Rgb(px, 20, -1.3f), 0u);
  EXPECT_EQ(Rgb(px, 39.3f, 20), 0u);
  EXPECT_EQ(Rgb(px, 20, 39.3f), 0u);
  EXPECT_EQ(game::Floor().LastDrawBinds, 1) << "one texture: one bind";
  GLboolean culling = glIsEnabled(GL_CULL_FACE);
  EXPECT_FALSE(culling) << "culling is switched off again";
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D)) << "texturing stays on";
}

TEST_F(FloorTest, OnlyTheUpperFaceIsDrawn) {
  TopDownView(-50.0f);
  game::FloorDraw();
  auto px = ReadPixels();
  for (float x : {0.0f, 10.0f, 20.0f, 38.0f})
    EXPECT_EQ(Rgb(px, x, 20), 0u) << "seen from below the floor is culled";
}

TEST_F(FloorTest, BindsOnlyWhenTheTextureChanges) {
  game::Registry().MapWidth = 3;
  game::Registry().MapHeight = 1;
  TopDownView(50.0f);
  // Drawing order is row by row: (0,0) (1,0) (2,0) (3,0) (0,1) ...
  int textures[8] = {0, 0, 1, 1, 1, 0, 1, 0};
  for (int i = 0; i < 8; ++i) game::FloorCell(i % 4, i / 4).Texture = textures[i];
  game::FloorDraw();
  EXPECT_EQ(game::Floor().LastDrawBinds, 5);
  auto px = ReadPixels();
  EXPECT_EQ(Rgb(px, 2, 0), 0x0000FFu) << "tile (1, 0) is red";
  EXPECT_EQ(Rgb(px, 4, 0), 0xFF0000u) << "tile (2, 0) is blue";
  EXPECT_EQ(Rgb(px, 6, 0), 0xFF0000u);
  EXPECT_EQ(Rgb(px, 0, 2), 0xFF0000u);
  EXPECT_EQ(Rgb(px, 2, 2), 0x0000FFu);
  EXPECT_EQ(Rgb(px, 0, 4), 0u) << "rows beyond MapHeight are not drawn";
  for (int i = 0; i < 8; ++i) game::FloorCell(i % 4, i / 4).Texture = i % 2;
  game::FloorDraw();
  EXPECT_EQ(game::Floor().LastDrawBinds, 8);
}

TEST_F(FloorTest, ACellWithAMeshDrawsItInsteadOfTheQuad) {
  // A box over the middle of tile (5, 5) only, in the cell's own space.
  game::FloorCell(5, 5).Mesh = testsupport::BoxMesh({-0.5f, 0, -0.5f}, {0.5f, 0.2f, 0.5f});
  TopDownView(50.0f);
  game::FloorDraw();
  auto px = ReadPixels();
  EXPECT_EQ(Rgb(px, 10, 10), 0x0000FFu) << "the mesh, drawn with the cell's texture";
  EXPECT_EQ(Rgb(px, 9.2f, 9.2f), 0u) << "no quad around it";
  EXPECT_EQ(Rgb(px, 8.0f, 10), 0x0000FFu) << "the neighbours keep their quads";
  game::MeshFreeAll();
  game::FloorCell(5, 5).Mesh = nullptr;
}

TEST_F(FloorTest, FloorSetCopiesKnownKindsInsideTheMap) {
  game::Registry().MapWidth = 29;
  game::Registry().MapHeight = 29;
  game::FloorSet("plane", 25, 27);
  EXPECT_EQ(game::FloorCell(25, 27).Name, "Plane") << "names compare without case";
  EXPECT_EQ(game::FloorCell(25, 27).Matrix[12], 50.0f);
  EXPECT_EQ(game::FloorCell(25, 27).Matrix[14], 54.0f);
  game::FloorSet("Water", 26, 27);
  EXPECT_EQ(game::FloorCell(26, 27).Name, "") << "no such floor kind: the cell keeps what it had";
  game::FloorCell(3, 3).Texture = 1;
  game::FloorSet("Plane", 3, 3);
  EXPECT_EQ(game::FloorCell(3, 3).Texture, 0) << "the kind's texture comes with it";
  game::FloorSet("Plane", 30, 0);
  game::FloorSet("Plane", -1, 0);
  EXPECT_EQ(game::FloorCell(0, 30).Name, "");
  // Empty cells draw nothing visible.
  TopDownView(50.0f);
  game::FloorDraw();
  auto px = ReadPixels();
  EXPECT_EQ(Rgb(px, 42, 2), 0u);
}

TEST_F(FloorTest, FloorAddTextureKeepsTheBareName) {
  int32_t a = game::FloorAddTexture(game::Core().AppDir + "Data\\Textures\\rock.jpg");
  int32_t b = game::FloorAddTexture("C:rock2.tga");
  EXPECT_EQ(a, 2);
  EXPECT_EQ(b, 3);
  EXPECT_EQ(game::Floor().FloorTextureNames[2], "rock.jpg");
  EXPECT_EQ(game::Floor().FloorTextureNames[3], "rock2.tga");
  EXPECT_NE(game::Floor().FloorTextures[2], nullptr) << "a missing file still gives a texture";
}

TEST_F(FloorTest, LoadKindsSetsTheSizeTheFloorAndReadsTheFolders) {
  std::filesystem::path dir = game::Core().AppDir;
  testsupport::WriteFile(dir / "Data/Walls/stone.cro", "NAME=Stone\n");
  testsupport::WriteFile(dir / "Data/Items/potion.cro", "NAME=Potion\n");
  game::FloorReset();
  game::Registry().MapWidth = 5;
  game::LoadKinds();
  EXPECT_EQ(game::Registry().MapWidth, 19);
  EXPECT_EQ(game::Registry().MapHeight, 19);
  EXPECT_EQ(game::FloorCell(19, 19).Name, "Plane");
  EXPECT_EQ(game::Floor().FloorTextures.size(), 1u);
  ASSERT_EQ(game::Registry().NamedKinds[game::KindWalls].size(), 1u);
  EXPECT_EQ(game::Registry().NamedKinds[game::KindWalls][0].Name, "Stone");
  EXPECT_EQ(game::Registry().NamedKinds[game::KindItems][0].Name, "Potion");
}

}  // namespace
