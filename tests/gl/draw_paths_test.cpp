// The two ways the world reaches GL give the same picture: meshes sent as vertex arrays or corner
// by corner, and actors outside the view skipped or sent, drawn pixel for pixel alike under the
// software rasteriser; on the demo scenario from several views, and on a crowded map whose actors
// stand across every edge of the screen and behind the eye, with flares' sparks among them. The crowded view is kept as
// test-artifacts/crowd_view.png for looking at.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/math3d.h"
#include "engine/mouse.h"
#include "engine/opengl.h"
#include "engine/screenshot.h"
#include "game/actors/creatures.h"
#include "game/actors/effects.h"
#include "game/actors/walls.h"
#include "game/core/camera.h"
#include "game/core/game_core.h"
#include "game/models/mesh.h"
#include "game/world/floor.h"
#include "game/world/registry.h"
#include "tests/support/game_reset.h"
#include "tests/support/gl_fixture.h"

namespace {

namespace fs = std::filesystem;

struct TDrawn {
  std::vector<uint8_t> Pixels;
  game::TDrawCounts Counts;
};

class DrawPathsTest : public testsupport::GlTest {
 protected:
  void SetUp() override {
    GlTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    if (!fs::exists(fs::path(TESSERA_GAME_DIR) / "maps/proba.map"))
      GTEST_SKIP() << "the demo content has not been built into " << TESSERA_GAME_DIR;
    testsupport::ResetGameWorld();
    eng::MouseReset();
    startDir_ = fs::current_path();
    fs::current_path(TESSERA_GAME_DIR);
    eng::MouseOnMove(400, 5);  // over the sky: no tile cursor
    game::Core().Options.map = "maps/proba.map";
    game::GameLoad();
    // The first frame is lit before the material that drawing the particles leaves behind; every
    // frame compared here comes after one.
    Draw(false, false);
  }
  void TearDown() override {
    game::DrawSettings() = game::TDrawSettings{};
    if (!startDir_.empty()) fs::current_path(startDir_);
    testsupport::ResetGameWorld();
    eng::MouseReset();
    eng::SetMode2D();
  }

  // One frame drawn the given way. The frame counters are set so that moving and animated
  // actors are drawn between ticks.
  static TDrawn Draw(bool arrays, bool cull) {
    game::DrawSettings().VertexArrays = arrays;
    game::DrawSettings().CullOutsideView = cull;
    game::Core().FramesThisTick = 1;
    game::Core().FramesPerTick = 3;
    Clear();
    game::GameDraw();
    TDrawn drawn{ReadPixels(), game::DrawCounts()};
    return drawn;
  }

  // The view from `eye` toward `centre`, set straight on the camera.
  static void Look(eng::TVec3 eye, eng::TVec3 centre) {
    game::GmCamera().Camera.Position = eye;
    eng::CameraLookAt(game::GmCamera().Camera, centre, {0.0f, 1.0f, 0.0f});
  }

  // Draws the current view the plain way (a call per corner attribute, everything sent) and every
  // other way, and expects the same pixels; returns the fully optimised drawing's counts.
  static game::TDrawCounts ExpectSamePicture(const std::string& view) {
    const TDrawn plain = Draw(false, false);
    EXPECT_EQ(plain.Counts.Culled, 0) << view;
    game::TDrawCounts counts;
    for (int way = 1; way < 4; ++way) {
      const bool arrays = (way & 1) != 0, cull = (way & 2) != 0;
      const TDrawn other = Draw(arrays, cull);
      EXPECT_EQ(other.Counts.Drawn + other.Counts.Culled, plain.Counts.Drawn) << view;
      size_t differ = 0, first = 0;
      for (size_t i = 0; i < plain.Pixels.size(); ++i)
        if (plain.Pixels[i] != other.Pixels[i] && differ++ == 0) first = i / 4;
      EXPECT_EQ(differ, 0u) << view << ": arrays " << arrays << ", culling " << cull << "; the first at x "
                            << first % 800 << ", y " << 599 - first / 800 << " from the top";
      if (arrays && cull) counts = other.Counts;
    }
    return counts;
  }

  // Draws with `draw` per corner and from vertex arrays, from the view of `eye` toward `centre`,
  // and expects the same pixels, more than `minLit` of them lit.
  template <typename DrawFn>
  static void ExpectSameBothWays(eng::TVec3 eye, eng::TVec3 centre, size_t minLit, DrawFn draw) {
    std::vector<uint8_t> pictures[2];
    for (int arrays = 0; arrays < 2; ++arrays) {
      game::DrawSettings().VertexArrays = arrays != 0;
      Clear();
      eng::SetMode3D(45.0f);
      Look(eye, centre);
      eng::CameraLoadMatrix(game::GmCamera().Camera);
      draw();
      pictures[arrays] = ReadPixels();
    }
    size_t lit = 0, differ = 0;
    for (size_t i = 0; i < pictures[0].size(); ++i) {
      lit += pictures[0][i] != 0;
      differ += pictures[0][i] != pictures[1][i];
    }
    EXPECT_GT(lit, minLit);
    EXPECT_EQ(differ, 0u);
  }

  fs::path startDir_;
};


TEST_F(DrawPathsTest, DemoScenarioFromSeveralViews) {
  // The start view, then views that cut through the compound and the squads at the screen's edges,
  // one from low among them with actors behind the eye.
  EXPECT_GT(ExpectSamePicture("start view").Drawn, 100);
  Look({10.0f, 14.0f, 34.0f}, {14.0f, 0.0f, 16.0f});
  ExpectSamePicture("from the south");
  Look({4.0f, 3.0f, 22.0f}, {30.0f, 1.0f, 20.0f});
  game::TDrawCounts low = ExpectSamePicture("low among the walls");
  EXPECT_GT(low.Culled, 0) << "actors behind the eye are skipped";
  Look({-20.0f, 30.0f, -20.0f}, {0.0f, 0.0f, 0.0f});
  ExpectSamePicture("at the north-west corner from outside the map");
}

TEST_F(DrawPathsTest, CrowdedMapAcrossEveryEdge) {
  // A 40 x 40 map holding a wall or a creature on every tile, some walking and all mid-animation,
  // so that the blended frames and the between-ticks positions are drawn too.
  game::WallLists().Walls.clear();
  game::CreatureLists().Creatures.clear();
  game::Registry().MapWidth = game::Registry().MapHeight = 39;
  game::FloorInit();
  const char* walls[] = {"Stone", "Pillar", "Crate", "Bush", "Door"};
  const char* creatures[] = {"Blue Soldier", "Red Soldier", "Beast"};
  int n = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x, ++n) {
      if (n % 3 == 0) {
        ASSERT_NE(game::CreateWall(walls[n % 5], x, y, static_cast<float>(n % 4) * 90.0f, 0), 0) << x << "," << y;
      } else {
        ASSERT_NE(game::CreateCreature(creatures[(n / 3) % 3], x, y, static_cast<float>(n % 8) * 45.0f), 0) << x << "," << y;
      }
    }
  n = 0;
  for (game::TWall& w : game::WallLists().Walls) w.Frame = static_cast<float>(n++ % 7) * 0.37f;
  for (game::TCreature& c : game::CreatureLists().Creatures) {
    c.Frame = static_cast<float>(n++ % 11) * 0.29f;
    if (n % 4 == 0) c.State = game::StateWalk;
  }

  // Flares across the map, their sparks in the air and fading.
  for (int i = 0; i < 16; ++i) {
    const float x = static_cast<float>((i * 37) % 40) * 2.0f, z = static_cast<float>((i * 23) % 40) * 2.0f;
    ASSERT_NE(game::CreateEffect("Flare", x, 0.5f, z), 0) << i;
  }
  for (int tick = 0; tick < 90; ++tick) game::UpdateEffects();
  ASSERT_GT(game::EffectLists().Particles.size(), 500u);

  Look({40.0f, 30.0f, 40.0f}, {40.0f, 0.0f, 20.0f});
  game::TDrawCounts above = ExpectSamePicture("above the middle");
  EXPECT_GT(above.Culled, above.Drawn) << "most of the map lies outside the view";
  EXPECT_GT(above.Drawn, 50);
  fs::path shot = fs::path(TESSERA_BINARY_DIR) / "test-artifacts" / "crowd_view.png";
  fs::create_directories(shot.parent_path());
  std::string error;
  EXPECT_TRUE(eng::ScreenshotSaveBackBuffer(shot.string(), &error)) << error;

  Look({41.0f, 1.5f, 41.0f}, {60.0f, 1.0f, 50.0f});
  game::TDrawCounts inside = ExpectSamePicture("standing in the crowd");
  EXPECT_GT(inside.Culled, inside.Drawn);
}

TEST_F(DrawPathsTest, UntexturedMeshKeepsTheCoordinateTheLastMeshLeft) {
  // A mesh without texture coordinates is drawn with whatever coordinate is current, which the
  // textured mesh before it leaves: both ways must leave the same one.
  game::TGmMesh* textured = game::CreatureLists().CreatureKinds.at(0).Models.at(0);
  game::TGmMesh bare = *textured;
  bare.TexCoordCount = 0;
  bare.TexCoords.clear();
  ExpectSameBothWays({4.0f, 3.0f, 4.0f}, {0.0f, 1.0f, 0.0f}, 1000u, [&] {
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, game::CreatureLists().CreatureKinds[0].Texture->ID);
    game::MeshDraw(textured, 2.5f);
    glTranslatef(1.5f, 0.0f, -1.0f);
    game::MeshDraw(&bare, 1.25f);
    glDisable(GL_TEXTURE_2D);
  });
}

// A strip of many thin triangles, more than one batch of arrays holds, drawn both ways.
TEST_F(DrawPathsTest, MeshLargerThanOneBatch) {
  game::TGmMesh* mesh = game::MeshNew();
  const uint32_t columns = 6000;  // 12,000 triangles
  mesh->VertexCount = 2 * (columns + 1);
  mesh->TriangleCount = 2 * columns;
  mesh->TexCoordCount = mesh->VertexCount;
  mesh->FrameCount = 2;
  mesh->Frames.resize(2);
  for (uint32_t f = 0; f < 2; ++f)
    for (uint32_t i = 0; i <= columns; ++i) {
      const float x = -3.0f + 6.0f * static_cast<float>(i) / columns;
      const float wave = 0.3f * std::sin(static_cast<float>(i) * 0.01f + static_cast<float>(f));
      mesh->Frames[f].Vertices.push_back({x, wave, 0.0f});
      mesh->Frames[f].Vertices.push_back({x, 1.0f + wave, 0.2f * static_cast<float>(f)});
    }
  for (uint32_t i = 0; i <= columns; ++i) {
    mesh->TexCoords.push_back({static_cast<float>(i) / columns, 0.0f});
    mesh->TexCoords.push_back({static_cast<float>(i) / columns, 1.0f});
  }
  for (uint32_t i = 0; i < columns; ++i) {
    const uint32_t a = 2 * i, b = a + 1, c = a + 2, d = a + 3;
    mesh->Triangles.push_back({a, c, b, a, c, b});
    mesh->Triangles.push_back({b, c, d, b, c, d});
  }
  for (game::TGmMeshFrame& f : mesh->Frames) {
    f.Normals.resize(mesh->VertexCount);
    f.FaceNormals.resize(mesh->TriangleCount);
    game::MeshCalcBounds(&f);
  }
  game::MeshCalcNormals(mesh);
  mesh->Animated = mesh->Looped = true;
  // The strip spans the screen.
  ExpectSameBothWays({0.0f, 0.5f, 6.0f}, {0.0f, 0.5f, 0.0f}, 100000u, [&] {
    glEnable(GL_LIGHTING);
    game::MeshDraw(mesh, 0.4f);
    glDisable(GL_LIGHTING);
  });
}

}  // namespace
