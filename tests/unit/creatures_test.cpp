// Creature kinds and creatures: the kind file with its model entries, speeds and after-reading
// steps, placing and IDs, lookup, and the model matrix.
#include "game/actors/creatures.h"

#include <gtest/gtest.h>

#include <cmath>

#include "game/actors/actors.h"
#include "game/core/game_core.h"
#include "game/models/mesh.h"
#include "game/world/registry.h"
#include "tests/support/actor_models.h"
#include "tests/support/test_support.h"

namespace {

using game::CreatureLists;

class CreaturesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = testsupport::ScratchDir();
    game::GameCoreReset();
    game::RegistryReset();
    game::CreaturesReset();
    game::MeshFreeAll();
    game::Core().AppDir = dir_.string() + "/";
    game::Registry().MapWidth = 19;
    game::Registry().MapHeight = 19;
    testsupport::WriteFramesMd2(dir_ / "Data/Models/eight.md2", 8);
    testsupport::WriteFramesMd2(dir_ / "Data/Models/five.md2", 5);
  }
  void TearDown() override {
    game::CreaturesReset();
    game::MeshFreeAll();
    game::RegistryReset();
    game::GameCoreReset();
  }
  const game::TCreature& Load(const std::string& text) {
    testsupport::WriteFile(dir_ / "Data/Creatures/kind.cro", text);
    game::LoadCreatureKind((dir_ / "Data/Creatures/kind.cro").string());
    return CreatureLists().CreatureKinds.back();
  }
  static void AddKind(const std::string& name) {
    game::TCreature kind;
    kind.Name = name;
    kind.Health = kind.HealthMax = 3;
    CreatureLists().CreatureKinds.push_back(kind);
  }
  std::filesystem::path dir_;
};

TEST_F(CreaturesTest, KindDefaults) {
  const game::TCreature& c = Load("NAME=Orc\n");
  EXPECT_EQ(c.Name, "Orc");
  EXPECT_EQ(c.Scale, 1.0f);
  EXPECT_EQ(c.AnimSpeed, 0.3f);
  EXPECT_EQ(c.MoveSpeed, 0.05f);
  EXPECT_EQ(c.ShotRange, 5);
  EXPECT_EQ(c.HealthMax, 1);
  EXPECT_EQ(c.Health, 1);
  EXPECT_EQ(c.ModelCount, 0);
  EXPECT_EQ(c.Shots, 0);
  EXPECT_EQ(c.ID, 0);
  EXPECT_FALSE(c.Alive);
  EXPECT_EQ(c.RotateY, 1.5707963f) << "the quarter turn of creatures";
}

TEST_F(CreaturesTest, KeysFillTheKindAndThePointsStartFull) {
  const game::TCreature& c = Load(
      "NAME = \"Red Soldier\"\nSCALEMODEL=0.8\nROTATEX=90\nROTATEY=180\nROTATEZ=-90\n"
      "ANIMSPEED=0.2\nMOVESPEED=0.07\nMOVEPOINTS=8\nATACKPOINTS=2\nHEALTH=10\nDAMAGE=3\n"
      "BULLET=Slug\nSHOTS=6\nSHOTRANGE=7\nSHOTDAMAGE=4\nFLATNORMALS=false\n");
  EXPECT_EQ(c.Name, "Red Soldier");
  EXPECT_EQ(c.Scale, 0.8f);
  // Degrees become radians with 3.1415926.
  EXPECT_EQ(c.RotateX, static_cast<float>(90.0 * 3.1415926 / 180.0));
  EXPECT_EQ(c.RotateY, static_cast<float>(180.0 * 3.1415926 / 180.0) + 1.5707963f);
  EXPECT_EQ(c.RotateZ, static_cast<float>(-90.0 * 3.1415926 / 180.0));
  EXPECT_EQ(c.AnimSpeed, 0.2f);
  EXPECT_EQ(c.MoveSpeed, 0.07f);
  EXPECT_EQ(c.MovePointsMax, 8);
  EXPECT_EQ(c.MovePoints, 8);
  EXPECT_EQ(c.AtackPointsMax, 2);
  EXPECT_EQ(c.AtackPoints, 2);
  EXPECT_EQ(c.HealthMax, 10);
  EXPECT_EQ(c.Health, 10);
  EXPECT_EQ(c.Damage, 3);
  EXPECT_EQ(c.Bullet, "Slug");
  EXPECT_EQ(c.Shots, 6);
  EXPECT_EQ(c.ShotRange, 7);
  EXPECT_EQ(c.ShotDamage, 4);

  const game::TCreature& dying = Load("HEALTH=0\n");
  EXPECT_EQ(dying.HealthMax, 0);
  EXPECT_EQ(dying.Health, 0) << "a creature with zero health, which dies after its next damage";
}

TEST_F(CreaturesTest, ModelKeysAddEntriesAndSpeedKeysReachOnlyExistingOnes) {
  const game::TCreature& c = Load(
      "WALKANIMSPEED=0.9\n"  // before WALKMODEL: no Walk entry yet, so nothing
      "WALKMODEL=eight.md2\n"
      "STANDMODEL=five.md2\n"
      "STANDANIMSPEED=0.12\n"
      "STANDMODEL=eight.md2\n"  // a second Stand entry; the speed keys reach the first
      "STANDANIMSPEED=0.15\n"
      "DAMAGEMODEL=missing.md2\n"
      "DAMAGEANIMSPEED=0.5\n");
  ASSERT_EQ(c.ModelCount, 4);
  EXPECT_EQ(c.ModelNames, (std::vector<std::string>{"Walk", "Stand", "Stand", "Damage"}));
  EXPECT_EQ(c.ModelSpeeds, (std::vector<float>{0.0f, 0.15f, 0.0f, 0.5f}));
  ASSERT_NE(c.Models[0], nullptr);
  EXPECT_EQ(c.Models[0]->FrameCount, 8u);
  EXPECT_EQ(c.Models[1]->FrameCount, 5u);
  EXPECT_EQ(c.Models[3], nullptr) << "a missing file leaves the entry without a mesh";
  EXPECT_EQ(game::GetModel(c, "Stand"), c.Models[1]);
  EXPECT_EQ(game::GetModel(c, "stand"), nullptr) << "model names compare exactly";
  EXPECT_EQ(game::GetModel(c, "Atack"), nullptr);

  game::TCreature creature = c;
  creature.State = game::StateWalk;
  EXPECT_EQ(game::GetStateAnimSpeed(creature), 0.0f) << "WALKANIMSPEED came too early: AnimSpeed is used";
  creature.State = game::StateStand;
  EXPECT_EQ(game::GetStateAnimSpeed(creature), 0.15f);
  creature.State = game::StateDamage;
  EXPECT_EQ(game::GetStateAnimSpeed(creature), 0.5f);
  creature.State = game::StateShot;
  EXPECT_EQ(game::GetStateAnimSpeed(creature), 0.0f);
  creature.State = 5;
  EXPECT_EQ(game::GetStateAnimSpeed(creature), 0.0f);
}

TEST_F(CreaturesTest, AttackFramesOutsideTheModelMeanItsLastFrame) {
  struct Case {
    const char* value;
    int32_t atack, shot;
  };
  // The Atack model has 8 frames (0..7), the Shot model 5 (0..4).
  const Case cases[] = {{"0", 7, 4}, {"-1", 7, 4}, {"8", 7, 4}, {"100", 7, 4}, {"7", 7, 4},
                        {"4", 4, 4}, {"1", 1, 1},  {"5", 5, 4}};
  for (const Case& k : cases) {
    const game::TCreature& c =
        Load(std::string("ATACKMODEL=eight.md2\nSHOTMODEL=five.md2\nATACKFRAME=") + k.value + "\nSHOTFRAME=" + k.value + "\n");
    EXPECT_EQ(c.AtackFrame, k.atack) << "ATACKFRAME " << k.value;
    EXPECT_EQ(c.ShotFrame, k.shot) << "SHOTFRAME " << k.value;
  }
  // Without the model nothing is corrected.
  const game::TCreature& none = Load("ATACKFRAME=-1\nSHOTFRAME=0\n");
  EXPECT_EQ(none.AtackFrame, -1);
  EXPECT_EQ(none.ShotFrame, 0);
  // A model key naming a missing file is no model for the correction either.
  const game::TCreature& missing = Load("ATACKMODEL=missing.md2\nATACKFRAME=0\n");
  EXPECT_EQ(missing.AtackFrame, 0);
}

TEST_F(CreaturesTest, NormalStepsReachEveryModel) {
  const game::TCreature& plain = Load("STANDMODEL=eight.md2\nWALKMODEL=five.md2\n");
  game::TGmTriangle asRead = plain.Models[0]->Triangles[0];
  EXPECT_FALSE(plain.Models[0]->FlatNormals);
  const game::TCreature& c = Load("FLIPNORMALS\nFLATNORMALS\nSTANDMODEL=eight.md2\nWALKMODEL=five.md2\nDAMAGEMODEL=missing.md2\n");
  for (int i = 0; i < 2; ++i) {
    EXPECT_TRUE(c.Models[static_cast<size_t>(i)]->FlatNormals) << i;
    EXPECT_EQ(c.Models[static_cast<size_t>(i)]->Triangles[0].VertexA, asRead.VertexC) << i;
  }
}

TEST_F(CreaturesTest, PlacingRulesAndIds) {
  AddKind("Orc");
  AddKind("ORC");
  EXPECT_EQ(game::CreateCreature("orc", 2, 3, 45), 1);
  const game::TCreature& orc = CreatureLists().Creatures[0];
  EXPECT_EQ(orc.Name, "Orc") << "the first kind of that name, whatever the case";
  EXPECT_EQ(orc.TileX, 2);
  EXPECT_EQ(orc.TileY, 3);
  EXPECT_EQ(orc.WorldX, 4.0f);
  EXPECT_EQ(orc.WorldZ, 6.0f);
  EXPECT_EQ(orc.Angle, 45.0f);
  EXPECT_EQ(orc.Target, -1);
  EXPECT_TRUE(orc.Alive);
  EXPECT_EQ(orc.Health, 3);
  EXPECT_EQ(orc.Owner, 0);
  EXPECT_EQ(orc.State, game::StateStand);

  EXPECT_EQ(game::CreateCreature("Orc", -1, 0, 0), 0);
  EXPECT_EQ(game::CreateCreature("Orc", 0, -1, 0), 0);
  EXPECT_EQ(game::CreateCreature("Orc", 20, 0, 0), 0);
  EXPECT_EQ(game::CreateCreature("Orc", 0, 20, 0), 0);
  EXPECT_EQ(game::CreateCreature("Goblin", 0, 0, 0), 0);
  EXPECT_EQ(game::CreateCreature("Orc", 2, 3, 0), 0) << "a living creature holds the tile";
  EXPECT_EQ(CreatureLists().Creatures.size(), 1u);

  // IDs fill gaps: with 1 and 3 in use the next one is 2.
  EXPECT_EQ(game::CreateCreature("Orc", 19, 19, 0), 2);
  CreatureLists().Creatures[1].ID = 3;
  EXPECT_EQ(game::CreateCreature("Orc", 5, 5, 0), 2);

  // A dead creature's tile can be taken again, but its ID is never handed out again.
  CreatureLists().Creatures[0].Alive = false;
  EXPECT_EQ(game::CreateCreature("Orc", 2, 3, 0), 4);
  EXPECT_EQ(CreatureLists().Creatures.size(), 4u);
  EXPECT_EQ(game::FindCreature(1), 0) << "dead creatures are found too";
  EXPECT_EQ(game::FindCreature(4), 3);
  EXPECT_EQ(game::FindCreature(9), -1);
  CreatureLists().Creatures[3].ID = 2;
  EXPECT_EQ(game::FindCreature(2), 2) << "the first with the ID";
}

// The matrix written out column by column: T(x, 0, z) Rz(w) Ry(b) Rx(u) S(s).
TEST(CreatureMatrix, MatchesTheExplicitColumns) {
  struct Case {
    float angle, u, rotY, w, scale, x, z;
  };
  const Case cases[] = {{0, 0, 1.5707963f, 0, 1, 0, 0},         {90, 0, 1.5707963f, 0, 1, 4, 6},
                        {33, 0.4f, 2.0f, -0.7f, 0.85f, 10, 12}, {315, 1.5707963f, 1.5707963f, 0.2f, 2, -1, 38},
                        {-45, -0.3f, 0, 3.0f, 0.5f, 7.5f, 2.25f}};
  for (const Case& k : cases) {
    game::TCreature c;
    c.Angle = k.angle;
    c.RotateX = k.u;
    c.RotateY = k.rotY;
    c.RotateZ = k.w;
    c.Scale = k.scale;
    eng::TMatrix4 m = game::CreatureMatrix(c, k.x, k.z);
    double b = -(k.angle * 3.14159265358979 / 180.0) - k.rotY;
    double su = std::sin(k.u), cu = std::cos(k.u), sb = std::sin(b), cb = std::cos(b), sw = std::sin(k.w),
           cw = std::cos(k.w);
    const double cols[3][3] = {{cb * cw, cb * sw, -sb},
                               {su * sb * cw - cu * sw, su * sb * sw + cu * cw, su * cb},
                               {cu * sb * cw + su * sw, cu * sb * sw - su * cw, cu * cb}};
    for (int col = 0; col < 3; ++col) {
      for (int row = 0; row < 3; ++row)
        EXPECT_NEAR(m[static_cast<size_t>(col * 4 + row)], cols[col][row] * k.scale, 2e-6)
            << "angle " << k.angle << " column " << col << " row " << row;
      EXPECT_EQ(m[static_cast<size_t>(col * 4 + 3)], 0.0f);
    }
    EXPECT_FLOAT_EQ(m[12], k.x);
    EXPECT_FLOAT_EQ(m[13], 0.0f);
    EXPECT_FLOAT_EQ(m[14], k.z);
    EXPECT_FLOAT_EQ(m[15], 1.0f);
  }
}

TEST(CreatureMatrix, AKindWithoutRotateYFacesItsAngle) {
  // ROTATEY 0 still carries the quarter turn: the model's -Z side looks along the facing.
  game::TCreature c;
  c.RotateY = 1.5707963f;
  c.Scale = 1.0f;
  for (float angle : {0.0f, 90.0f, 180.0f, 270.0f, 45.0f}) {
    c.Angle = angle;
    eng::TVec3 ahead = eng::MatrixTransformPoint(game::CreatureMatrix(c, 0, 0), {0, 0, -1});
    double a = angle * 3.14159265358979 / 180.0;
    EXPECT_NEAR(ahead.X, std::cos(a), 1e-6) << angle;
    EXPECT_NEAR(ahead.Z, std::sin(a), 1e-6) << angle;
  }
}

}  // namespace
