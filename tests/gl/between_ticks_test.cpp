// What is drawn between ticks: the game core's frame counters (raised while a tick runs long,
// reset at the tick's end), a walking creature's drawn position and frame, and a wall's drawn
// frame, which moves only while the wall is animated. Frames are compared as pictures: a model
// whose key frames differ in height is drawn at Frame + f x speed exactly when its picture equals
// the one drawn at that frame without interpolation. Also: the windowless unprojection of the
// tools against the game's own.
#include <gtest/gtest.h>

#include "engine/mouse.h"
#include "engine/opengl.h"
#include "game/actors/creatures.h"
#include "game/actors/movement.h"
#include "game/actors/walls.h"
#include "game/core/camera.h"
#include "game/core/game_core.h"
#include "game/core/players.h"
#include "game/gui/gui.h"
#include "game/models/mesh.h"
#include "game/world/floor.h"
#include "game/world/registry.h"
#include "tests/support/actor_models.h"
#include "tests/support/gl_fixture.h"

namespace {

using game::Core;

class BetweenTicks : public testsupport::GlTest {
 protected:
  void SetUp() override {
    GlTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    Reset();
    Core().ScreenHeight = 600;
    game::Registry().MapWidth = 19;
    game::Registry().MapHeight = 19;
    game::PlayersStart();
    game::CameraStart();
    // Every frame after the first sees the full diffuse material that drawing the particles
    // leaves behind; the pictures compared here are such frames.
    game::GameDraw();
    Core().FramesThisTick = Core().FramesPerTick = 0;
  }
  void TearDown() override {
    Reset();
    eng::SetDepthRange(0.1f, 100.0f);  // the engine's own range, which the other tests draw with
    eng::SetMode2D();
  }
  static void Reset() {
    game::GameCoreReset();
    game::RegistryReset();
    game::FloorReset();
    game::CameraReset();
    game::CreaturesReset();
    game::WallsReset();
    game::MovementReset();
    game::PlayersReset();
    game::GUIReset();
    game::MeshFreeAll();
    eng::MouseReset();
  }
  // Four key frames, each a box taller than the one before, so that every fractional frame
  // draws a different height.
  static game::TGmMesh* GrowingBox() {
    game::TGmMesh* mesh = testsupport::BoxMesh({-0.5f, 0.0f, -0.5f}, {0.5f, 1.0f, 0.5f}, 4);
    for (uint32_t f = 0; f < 4; ++f) {
      for (game::TGmVector& v : mesh->Frames[f].Vertices)
        if (v.Y > 0.5f) v.Y = 1.0f + 1.5f * static_cast<float>(f);
      game::MeshCalcBounds(&mesh->Frames[f]);
    }
    game::MeshCalcNormals(mesh);
    return mesh;
  }
  // The picture GameDraw makes with the frame counters as given; the counters after it.
  static std::vector<uint8_t> Draw(int32_t framesThisTick, int32_t framesPerTick) {
    Core().FramesThisTick = framesThisTick;
    Core().FramesPerTick = framesPerTick;
    Clear();
    game::GameDraw();
    return ReadPixels();
  }
  static size_t Lit(const std::vector<uint8_t>& px) {
    size_t n = 0;
    for (size_t i = 0; i < px.size(); i += 4) n += (px[i] | px[i + 1] | px[i + 2]) != 0;
    return n;
  }
};

TEST_F(BetweenTicks, FrameCountersRiseDuringALongTickAndResetAtItsEnd) {
  game::TCreature kind;
  kind.Name = "Walker";
  kind.Scale = 1.0f;
  kind.MoveSpeed = 0.5f;
  kind.AnimSpeed = 0.25f;
  kind.Models = {GrowingBox(), GrowingBox()};
  kind.ModelNames = {"Stand", "Walk"};
  kind.ModelSpeeds = {0.0f, 0.0f};
  kind.ModelCount = 2;
  game::CreatureLists().CreatureKinds.push_back(kind);
  ASSERT_NE(game::CreateCreature("Walker", 10, 10, 0.0f), 0);
  game::TCreature& c = game::CreatureLists().Creatures[0];
  game::OrderCreature(0, 15, 10);
  ASSERT_EQ(c.State, game::StateWalk);

  Core().FramesPerTick = 2;  // the previous tick saw two frames
  std::vector<float> drawnX;
  for (int frame = 0; frame < 4; ++frame) {
    game::GameDraw();
    drawnX.push_back(c.DrawX);
  }
  EXPECT_EQ(Core().FramesThisTick, 4);
  EXPECT_EQ(Core().FramesPerTick, 4) << "raised while the tick runs longer than the last one";
  EXPECT_EQ(drawnX[0], 20.0f);
  EXPECT_EQ(drawnX[1], 20.25f) << "f = 1/2";
  EXPECT_EQ(drawnX[2], 20.5f) << "f = 2/2";
  EXPECT_EQ(drawnX[3], 20.5f) << "f = 3/3, never beyond one tick's motion";

  game::GameTick();
  EXPECT_EQ(Core().FramesPerTick, 4) << "this tick's frames";
  EXPECT_EQ(Core().FramesThisTick, 0);
  EXPECT_EQ(c.WorldX, 20.5f);
  game::GameDraw();
  EXPECT_EQ(c.DrawX, 20.5f) << "the next tick starts where the last frame ended";
  game::GameDraw();
  EXPECT_EQ(c.DrawX, 20.625f) << "f = 1/4";
  game::GuiFlags().GameFrozen = true;
  game::GameDraw();
  EXPECT_EQ(c.DrawX, 20.5f) << "frozen: no motion between ticks";
  game::GuiFlags().GameFrozen = false;

  // The drawn frame: Frame 1 at f = 1/2 with speed 0.25 is the picture of frame 1.125.
  c.Frame = 1.0f;
  c.WorldX = 20.0f;
  std::vector<uint8_t> interpolated = Draw(1, 2);
  c.Frame = 1.125f;
  c.WorldX = 20.25f;
  c.State = game::StateWalk;
  std::vector<uint8_t> direct = Draw(0, 0);
  EXPECT_GT(Lit(direct), 500u) << "the creature is in view";
  EXPECT_EQ(interpolated, direct);
  c.Frame = 1.0f;
  c.WorldX = 20.25f;
  EXPECT_NE(Draw(0, 0), direct) << "another frame draws another picture";
}

TEST_F(BetweenTicks, AWallsFrameMovesOnlyWhileItIsAnimated) {
  game::TWall kind;
  kind.Name = "Gate";
  kind.Scale = 1.0f;
  kind.AnimSpeed = 0.5f;
  kind.Model = GrowingBox();
  game::WallLists().WallKinds.push_back(kind);
  ASSERT_NE(game::CreateWall("Gate", 10, 10, 0.0f, 0), 0);
  game::TWall& w = game::WallLists().Walls[0];
  w.Frame = 1.0f;

  std::vector<uint8_t> still = Draw(1, 2);
  EXPECT_GT(Lit(still), 500u);
  EXPECT_EQ(still, Draw(0, 0)) << "not animated: the stored frame";
  w.Animated = true;
  std::vector<uint8_t> moving = Draw(1, 2);
  EXPECT_NE(moving, still);
  w.Animated = false;
  w.Frame = 1.25f;
  EXPECT_EQ(moving, Draw(0, 0)) << "animated: Frame + f x AnimSpeed = 1 + 0.5 x 0.5";
}

TEST_F(BetweenTicks, TheToolsUnprojectAsTheGameDoes) {
  eng::SetDepthRange(game::GameNear, game::GameFar);  // as the game's load sets it
  for (int y = 10; y < 600; y += 97) {
    for (int x = 5; x < 800; x += 113) {
      eng::SetMode3D(game::GameFieldOfView);
      eng::CameraLoadMatrix(game::GmCamera().Camera);
      eng::TVec3 gl = game::UnprojectCursor(x, y);
      eng::TVec3 tool = game::UnprojectWindowPixel(x, y, 800, 600);
      EXPECT_NEAR(tool.X, gl.X, 0.01f) << x << "," << y;
      EXPECT_NEAR(tool.Y, gl.Y, 0.01f) << x << "," << y;
      EXPECT_NEAR(tool.Z, gl.Z, 0.01f) << x << "," << y;
    }
  }
}

}  // namespace
