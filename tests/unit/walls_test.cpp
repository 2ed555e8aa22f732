// Wall kinds and walls: the kind file with its defaults and after-reading steps, placing, the touch
// tile turned by the angle, and the animation of a tick.
#include "game/actors/walls.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

#include "game/core/fatal.h"
#include "game/core/game_core.h"
#include "game/models/mesh.h"
#include "game/world/registry.h"
#include "tests/support/actor_models.h"
#include "tests/support/test_support.h"

namespace {

using game::WallLists;

class WallsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = testsupport::ScratchDir();
    game::GameCoreReset();
    game::RegistryReset();
    game::WallsReset();
    game::MeshFreeAll();
    game::Core().AppDir = dir_.string() + "/";
    game::Registry().MapWidth = 19;
    game::Registry().MapHeight = 19;
  }
  void TearDown() override {
    game::WallsReset();
    game::MeshFreeAll();
    game::RegistryReset();
    game::GameCoreReset();
  }
  // Writes Data/Walls/NAME.cro and loads it; the new kind.
  const game::TWall& Load(const std::string& name, const std::string& text) {
    testsupport::WriteFile(dir_ / "Data/Walls" / (name + ".cro"), text);
    game::LoadWallKind((dir_ / "Data/Walls" / (name + ".cro")).string());
    return WallLists().WallKinds.back();
  }
  // A kind made in memory.
  static void AddKind(const std::string& name, game::TGmMesh* model = nullptr, bool ghost = false) {
    game::TWall kind;
    kind.Name = name;
    kind.Model = model;
    kind.Scale = 1.0f;
    kind.AnimSpeed = 0.3f;
    kind.Ghost = ghost;
    WallLists().WallKinds.push_back(kind);
  }
  std::filesystem::path dir_;
};

TEST_F(WallsTest, KindDefaultsAndKeys) {
  const game::TWall& bare = Load("bare", "");
  EXPECT_EQ(bare.Name, "");
  EXPECT_EQ(bare.Scale, 1.0f);
  EXPECT_EQ(bare.AnimSpeed, 0.3f);
  EXPECT_TRUE(bare.DiagonalTouch);
  EXPECT_FALSE(bare.Ghost);
  EXPECT_FALSE(bare.Animated);
  EXPECT_EQ(bare.AnimType, 0);
  EXPECT_EQ(bare.Model, nullptr);
  EXPECT_EQ(bare.TouchScript, "");
  // The quarter turn is added even without a ROTATEY line, with pi to full precision.
  EXPECT_EQ(bare.RotateY, static_cast<float>(std::numbers::pi / 2));

  const game::TWall& gate = Load("gate",
                                 "name = \"Stone Gate\"\n"
                                 "SCALEMODEL = 1.5\n"
                                 "ROTATEX = 90\nROTATEY = 90\nROTATEZ = -45\n"
                                 "ANIMATED\nANIMSPEED = 0.25\nANIMTYPE = 1\n"
                                 "TOUCHTILEX = 1\nTOUCHTILEY = -2\n"
                                 "DIAGONALTOUCH = false\nGHOST = TRUE\n"
                                 "SCALEMODEL = 2 // the last line wins\n"
                                 "UNKNOWNKEY = 7\n");
  EXPECT_EQ(gate.Name, "Stone Gate");
  EXPECT_EQ(gate.Scale, 2.0f);
  EXPECT_EQ(gate.RotateX, static_cast<float>(90.0f * std::numbers::pi / 180.0));
  EXPECT_EQ(gate.RotateY,
            static_cast<float>(static_cast<double>(static_cast<float>(std::numbers::pi / 2)) + std::numbers::pi / 2));
  EXPECT_EQ(gate.RotateZ, static_cast<float>(-45.0f * std::numbers::pi / 180.0));
  EXPECT_TRUE(gate.Animated);
  EXPECT_EQ(gate.AnimSpeed, 0.25f);
  EXPECT_EQ(gate.AnimType, 1);
  EXPECT_EQ(gate.TouchTileX, 1);
  EXPECT_EQ(gate.TouchTileY, -2);
  EXPECT_FALSE(gate.DiagonalTouch);
  EXPECT_TRUE(gate.Ghost);
}

TEST_F(WallsTest, TouchScriptBlocksBecomeOneLine) {
  const game::TWall& door = Load("door",
                                 "NAME=Door\n"
                                 "[TOUCHSCRIPT]\n"
                                 "begin\n"
                                 "  NAME = inside the block is no key // comment goes\n"
                                 "end.\n"
                                 "[ /touchscript ]\n"
                                 "MODEL = nothing.md2\n"
                                 "[TOUCHSCRIPT]\n"
                                 "{ again }\n"
                                 "[/TOUCHSCRIPT]\n");
  EXPECT_EQ(door.Name, "Door");
  EXPECT_EQ(door.TouchScript, "begin   NAME = inside the block is no key  end. { again } ");
  EXPECT_EQ(door.Model, nullptr) << "a model file that does not exist gives no model";
}

TEST_F(WallsTest, AfterReadingStepsReachTheMesh) {
  testsupport::WriteFramesMd2(dir_ / "Data/Models/door.md2", 6);
  testsupport::WriteFramesMd2(dir_ / "Data/Models/loop.md2", 6);
  // FLIPNORMALS counts on its last line; FLATNORMALS is the kind's flag and the mesh's.
  const game::TWall& once = Load("once", "MODEL=door.md2\nANIMTYPE=1\nFLIPNORMALS\nFLATNORMALS\nFLIPNORMALS=no\n");
  ASSERT_NE(once.Model, nullptr);
  EXPECT_EQ(once.Model->FrameCount, 6u);
  EXPECT_FALSE(once.Model->Looped) << "play-once walls do not blend the last frame toward the first";
  EXPECT_TRUE(once.Model->FlatNormals);
  game::TGmTriangle asRead = once.Model->Triangles[0];

  const game::TWall& loop = Load("loop", "FLIPNORMALS\nMODEL=loop.md2\nANIMTYPE=2\n");
  ASSERT_NE(loop.Model, nullptr);
  EXPECT_TRUE(loop.Model->Looped);
  EXPECT_FALSE(loop.Model->FlatNormals);
  // The flip applies to the mesh held at the end of the file, whatever the line order.
  EXPECT_EQ(loop.Model->Triangles[0].VertexA, asRead.VertexC);
  EXPECT_EQ(loop.Model->Triangles[0].VertexC, asRead.VertexA);
}

TEST_F(WallsTest, ANumberThatDoesNotConvertEndsTheStartNamingFileAndLine) {
  try {
    Load("bad", "NAME=Bad\n\nANIMSPEED = 1,5\n");
    FAIL() << "no error";
  } catch (const game::FatalError& e) {
    EXPECT_STREQ(e.what(), "'1,5' is not a valid floating point value");
    EXPECT_EQ(e.file(), (dir_ / "Data/Walls/bad.cro").string());
    EXPECT_EQ(e.line(), 3);
  }
}

TEST_F(WallsTest, PlacingRules) {
  AddKind("Stone");
  AddKind("stone");  // same name in another case: never found, the first one wins
  AddKind("Bush", nullptr, true);
  EXPECT_EQ(game::CreateWall("STONE", 0, 0, 0, 0), 1);
  EXPECT_EQ(WallLists().Walls.back().Name, "Stone");
  // Outside 0..MapWidth x 0..MapHeight.
  EXPECT_EQ(game::CreateWall("Stone", -1, 0, 0, 0), 0);
  EXPECT_EQ(game::CreateWall("Stone", 0, -1, 0, 0), 0);
  EXPECT_EQ(game::CreateWall("Stone", 20, 0, 0, 0), 0);
  EXPECT_EQ(game::CreateWall("Stone", 0, 20, 0, 0), 0);
  EXPECT_EQ(game::CreateWall("Stone", 19, 19, 0, 0), 2);
  // One wall per tile, a ghost included, whichever comes first.
  EXPECT_EQ(game::CreateWall("Stone", 0, 0, 90, 0), 0);
  EXPECT_EQ(game::CreateWall("Bush", 5, 5, 0, 0), 3);
  EXPECT_EQ(game::CreateWall("Stone", 5, 5, 0, 0), 0);
  EXPECT_EQ(game::CreateWall("Bush", 5, 5, 0, 0), 0);
  // No such kind.
  EXPECT_EQ(game::CreateWall("Marble", 6, 6, 0, 0), 0);
  EXPECT_EQ(WallLists().Walls.size(), 3u) << "failures add nothing";

  // A given ID is used as it is, even one already carried; ID 0 takes the smallest free one.
  EXPECT_EQ(game::CreateWall("Stone", 7, 7, 0, 9), 9);
  EXPECT_EQ(game::CreateWall("Stone", 7, 8, 0, 1), 1);
  WallLists().Walls[1].ID = 7;  // IDs now 1, 7, 3, 9, 1
  EXPECT_EQ(game::CreateWall("Stone", 7, 9, 0, 0), 2);
  EXPECT_EQ(game::CreateWall("Stone", 7, 10, 0, 0), 4);
  const game::TWall& w = WallLists().Walls.back();
  EXPECT_EQ(w.X, 7);
  EXPECT_EQ(w.Y, 10);
  EXPECT_EQ(game::FindWall(1), 0) << "the first wall with the ID";
  EXPECT_EQ(game::FindWall(7), 1);
  EXPECT_EQ(game::FindWall(4), 6);
  EXPECT_EQ(game::FindWall(5), -1);
}

TEST_F(WallsTest, TouchTileTurnsWithTheAngle) {
  struct Case {
    float angle;
    int x, y;
  };
  // TOUCHTILEX 1 at Angle 0 means "touched from the tile at +X".
  const Case cases[] = {{0, 1, 0},    {45, 1, 0},   {45.01f, 0, 1}, {90, 0, 1},  {135, 0, 1}, {136, -1, 0},
                        {180, -1, 0}, {225, -1, 0}, {226, 0, -1},   {270, 0, -1}, {359, 0, -1}, {400, 0, -1},
                        {-90, 1, 0}};
  for (const Case& c : cases) {
    int32_t x = 1, y = 0;
    game::TurnTouchOffset(c.angle, &x, &y);
    EXPECT_EQ(x, c.x) << "angle " << c.angle;
    EXPECT_EQ(y, c.y) << "angle " << c.angle;
  }
  // A diagonal offset turns the same way.
  int32_t x = 1, y = 2;
  game::TurnTouchOffset(90, &x, &y);
  EXPECT_EQ(x, -2);
  EXPECT_EQ(y, 1);

  // Placing turns the kind's offset; the kind keeps its own.
  Load("door", "NAME=Door\nTOUCHTILEX=1\n");
  ASSERT_EQ(game::CreateWall("Door", 4, 4, 90, 0), 1);
  ASSERT_EQ(game::CreateWall("Door", 5, 4, 180, 0), 2);
  ASSERT_EQ(game::CreateWall("Door", 6, 4, 270, 0), 3);
  EXPECT_EQ(WallLists().Walls[0].TouchTileX, 0);
  EXPECT_EQ(WallLists().Walls[0].TouchTileY, 1);
  EXPECT_EQ(WallLists().Walls[1].TouchTileX, -1);
  EXPECT_EQ(WallLists().Walls[2].TouchTileY, -1);
  EXPECT_EQ(WallLists().WallKinds[0].TouchTileX, 1);
}

TEST_F(WallsTest, MatrixPlacesTheModelOnItsTile) {
  Load("block", "NAME=Block\nSCALEMODEL=0.5\n");
  ASSERT_EQ(game::CreateWall("Block", 3, 4, 90, 0), 1);
  const eng::TMatrix4& m = WallLists().Walls[0].Matrix;
  // The model's origin stands on the tile centre.
  eng::TVec3 origin = eng::MatrixTransformPoint(m, {0, 0, 0});
  EXPECT_FLOAT_EQ(origin.X, 6.0f);
  EXPECT_FLOAT_EQ(origin.Y, 0.0f);
  EXPECT_FLOAT_EQ(origin.Z, 8.0f);
  // With ROTATEY 0 the model's -Z side faces the touch tile's direction: +Z at Angle 90.
  eng::TVec3 front = eng::MatrixTransformPoint(m, {0, 0, -2});
  EXPECT_NEAR(front.X, 6.0f, 1e-5);
  EXPECT_NEAR(front.Z, 9.0f, 1e-5);
  EXPECT_NEAR(eng::MatrixTransformPoint(m, {0, 2, 0}).Y, 1.0f, 1e-6) << "scaled";
}

TEST_F(WallsTest, AnimationPlaysOnceOrLoops) {
  game::TGmMesh* ten = testsupport::BoxMesh({-1, 0, -1}, {1, 2, 1}, 10);
  AddKind("Once", ten);
  AddKind("Loop", ten);
  AddKind("Still", testsupport::BoxMesh({-1, 0, -1}, {1, 2, 1}, 1));
  AddKind("Empty");
  WallLists().WallKinds[0].AnimType = 1;
  ASSERT_NE(game::CreateWall("Once", 1, 1, 0, 0), 0);
  ASSERT_NE(game::CreateWall("Loop", 2, 1, 0, 0), 0);
  ASSERT_NE(game::CreateWall("Still", 3, 1, 0, 0), 0);
  ASSERT_NE(game::CreateWall("Empty", 4, 1, 0, 0), 0);
  for (game::TWall& w : WallLists().Walls) {
    w.Animated = true;
    w.AnimSpeed = 0.5f;
  }
  game::TWall& once = WallLists().Walls[0];
  game::TWall& loop = WallLists().Walls[1];
  game::TWall& still = WallLists().Walls[2];
  game::TWall& empty = WallLists().Walls[3];

  for (int tick = 0; tick < 17; ++tick) game::UpdateWalls();
  EXPECT_FLOAT_EQ(once.Frame, 8.5f);
  EXPECT_TRUE(once.Animated);
  game::UpdateWalls();  // 9.0 reaches the last frame: it stops there
  EXPECT_FLOAT_EQ(once.Frame, 9.0f);
  EXPECT_FALSE(once.Animated);
  for (int tick = 0; tick < 5; ++tick) game::UpdateWalls();
  EXPECT_FLOAT_EQ(once.Frame, 9.0f);

  // The loop went on past the last frame, blending toward the first, and wraps only past 10.
  EXPECT_FLOAT_EQ(loop.Frame, 1.0f) << "10.0 stayed, 10.5 wrapped to 0, then two more steps";
  loop.Frame = 9.5f;
  game::UpdateWalls();
  EXPECT_FLOAT_EQ(loop.Frame, 10.0f) << "exactly the frame count does not wrap yet";
  game::UpdateWalls();
  EXPECT_FLOAT_EQ(loop.Frame, 0.0f);
  // A stopped wall past the end wraps too.
  loop.Animated = false;
  loop.Frame = 10.25f;
  game::UpdateWalls();
  EXPECT_FLOAT_EQ(loop.Frame, 0.0f);

  EXPECT_FLOAT_EQ(still.Frame, 0.0f) << "one key frame: nothing to advance";
  EXPECT_FLOAT_EQ(empty.Frame, 0.0f) << "no model: no animation";
  EXPECT_TRUE(empty.Animated);
}

// The tick animates only the walls that can change; whatever was changed through WallLists() in
// between, every wall's frame must be what animating every wall gives.
TEST_F(WallsTest, AnimatingTheChangingWallsIsAnimatingEveryWall) {
  game::TGmMesh* models[3] = {testsupport::BoxMesh({-1, 0, -1}, {1, 2, 1}, 6),
                              testsupport::BoxMesh({-1, 0, -1}, {1, 2, 1}, 1), nullptr};
  for (int kind = 0; kind < 6; ++kind) {
    AddKind("Kind" + std::to_string(kind), models[kind % 3]);
    WallLists().WallKinds.back().AnimType = kind < 3 ? 1 : 0;
    WallLists().WallKinds.back().Animated = kind % 2 == 0;
  }
  std::mt19937 random(9);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
  for (int32_t y = 0; y <= 19; ++y)
    for (int32_t x = 0; x <= 19; ++x)
      if (pick(0, 2) == 0) game::CreateWall("Kind" + std::to_string(pick(0, 5)), x, y, 0, 0);
  // Every wall, one by one, on a copy.
  auto animateEvery = [](std::vector<game::TWall> walls) {
    for (game::TWall& w : walls) game::AnimateWall(w);
    return walls;
  };
  for (int tick = 0; tick < 300; ++tick) {
    if (pick(0, 3) == 0) {
      // Changes between ticks: an animation played, a frame set (also past the end), or a new wall.
      game::TWall& w = WallLists().Walls[static_cast<size_t>(pick(0, static_cast<int>(WallLists().Walls.size()) - 1))];
      switch (pick(0, 2)) {
        case 0: w.Animated = true; break;
        case 1: w.Frame = 0.75f * static_cast<float>(pick(0, 10)); break;
        default: game::CreateWall("Kind" + std::to_string(pick(0, 5)), pick(0, 19), pick(0, 19), 0, 0); break;
      }
    }
    const std::vector<game::TWall> expected = animateEvery(game::ReadWallLists().Walls);
    game::UpdateWalls();
    const std::vector<game::TWall>& got = game::ReadWallLists().Walls;
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < got.size(); ++i) {
      ASSERT_EQ(got[i].Frame, expected[i].Frame) << "tick " << tick << ", wall " << i;
      ASSERT_EQ(got[i].Animated, expected[i].Animated) << "tick " << tick << ", wall " << i;
    }
  }
}

TEST_F(WallsTest, WallOnTileFollowsPlacingResetsAndWallsPushedStraightIn) {
  AddKind("Stone");
  EXPECT_EQ(game::WallOnTile(3, 4), -1);
  ASSERT_NE(game::CreateWall("Stone", 3, 4, 0, 0), 0);
  ASSERT_NE(game::CreateWall("Stone", 19, 0, 0, 0), 0);
  EXPECT_EQ(game::WallOnTile(3, 4), 0) << "placed after the last lookup";
  EXPECT_EQ(game::WallOnTile(19, 0), 1);
  EXPECT_EQ(game::WallOnTile(4, 3), -1);
  EXPECT_EQ(game::WallOnTile(-1, 0), game::SeveralWalls) << "beyond the largest map: look through the list";
  EXPECT_EQ(game::WallOnTile(0, 100), game::SeveralWalls);
  // A second wall on a taken tile, pushed into the list past CreateWall.
  game::TWall extra = WallLists().Walls[0];
  WallLists().Walls.push_back(extra);
  EXPECT_EQ(game::WallOnTile(3, 4), game::SeveralWalls);
  EXPECT_EQ(game::WallOnTile(19, 0), 1);
  game::WallsReset();
  EXPECT_EQ(game::WallOnTile(3, 4), -1);
}

}  // namespace
