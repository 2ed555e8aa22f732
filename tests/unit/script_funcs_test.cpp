// The script function library called from scripts through the real host: the two stores, the
// creature and wall functions with their limits, the camera, unknown IDs, and the binding table
// against the declarations.
#include "game/script/script_funcs.h"

#include <gtest/gtest.h>

#include <cctype>
#include <tuple>

#include "game/actors/creatures.h"
#include "game/actors/effects.h"
#include "game/actors/walls.h"
#include "game/core/camera.h"
#include "game/core/game_core.h"
#include "game/core/players.h"
#include "game/gui/gui.h"
#include "game/models/mesh.h"
#include "game/script/declarations.h"
#include "game/script/script_host.h"
#include "game/world/diagnostics.h"
#include "game/world/registry.h"
#include "tests/support/actor_models.h"
#include "tests/support/script_world.h"

namespace {

class ScriptFuncsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testsupport::ResetScriptWorld();
    game::Registry().MapWidth = game::Registry().MapHeight = 19;
    game::TCreature orc;
    orc.Name = "Orc";
    orc.Health = orc.HealthMax = 20;
    orc.Shots = 3;
    orc.ShotRange = 6;
    orc.MovePoints = 4;
    orc.MovePointsMax = 5;
    orc.AtackPoints = 1;
    orc.AtackPointsMax = 2;
    orc.Damage = 7;
    orc.ShotDamage = 9;
    game::CreatureLists().CreatureKinds.push_back(orc);
    ASSERT_EQ(game::CreateCreature("Orc", 5, 5, 0.0f), 1);
    game::TWall kind;
    kind.Name = "Door";
    kind.Model = testsupport::BoxMesh({-1, 0, -1}, {1, 2, 1}, 4);
    game::WallLists().WallKinds.push_back(kind);
    ASSERT_EQ(game::CreateWall("Door", 5, 8, 0.0f, 3), 3);
  }
  void TearDown() override { testsupport::ResetScriptWorld(); }
  // Runs a program; it must compile.
  static void Run(const std::string& source) {
    game::Script_RunSource(source, game::TScriptOrigin{"test", "", 0, {}});
    ASSERT_TRUE(game::GuiMessages().empty()) << game::GuiMessages().front() << " for " << source;
  }
  static int32_t Int(const std::string& name) { return testsupport::StoreInt(name); }
  static game::TCreature& Orc() { return game::CreatureLists().Creatures[0]; }
  static game::TWall& Door() { return game::WallLists().Walls[0]; }
};

TEST_F(ScriptFuncsTest, TheStoresAreExactSeparateAndOnlyGrow) {
  Run("begin SetInt('a', 1); SetInt('a', 2); SetInt('A', 3); SetBool('a', true);"
      " SetInt('missing', GetInt('nothing') + 5); if GetBool('none') then SetInt('x', 1); end.");
  const game::TScriptStores& s = game::ScriptStores();
  ASSERT_EQ(s.Ints.size(), 3u);
  EXPECT_EQ(s.Ints[0], std::make_pair(std::string("a"), 2)) << "overwritten in place";
  EXPECT_EQ(s.Ints[1], std::make_pair(std::string("A"), 3)) << "names are case-sensitive";
  EXPECT_EQ(Int("missing"), 5);
  ASSERT_EQ(s.Bools.size(), 1u) << "the same name in the other store is another variable";
  EXPECT_TRUE(s.Bools[0].second);
  Run("begin SetInt('got', GetInt('a')); if GetBool('a') then SetInt('bool', 1); end.");
  EXPECT_EQ(Int("got"), 2) << "kept between runs";
  EXPECT_EQ(Int("bool"), 1);
}

TEST_F(ScriptFuncsTest, ParametersReadByAnyCaseAndOnlyHealthIsSetAndClamped) {
  Run("begin"
      " SetInt('shots', Cr_GetParam(1, 'shots')); SetInt('range', Cr_GetParam(1, 'ShotRange'));"
      " SetInt('mp', Cr_GetParam(1, 'MOVEPOINTS')); SetInt('mpm', Cr_GetParam(1, 'movepointsmax'));"
      " SetInt('ap', Cr_GetParam(1, 'AtackPoints')); SetInt('apm', Cr_GetParam(1, 'AtackPointsMax'));"
      " SetInt('hp', Cr_GetParam(1, 'health')); SetInt('hpm', Cr_GetParam(1, 'HealthMax'));"
      " SetInt('dmg', Cr_GetParam(1, 'Damage')); SetInt('sdmg', Cr_GetParam(1, 'ShotDamage'));"
      " SetInt('other', Cr_GetParam(1, 'Speed') + Cr_GetParam(99, 'Health') + 1);"
      " end.");
  EXPECT_EQ(Int("shots"), 3);
  EXPECT_EQ(Int("range"), 6);
  EXPECT_EQ(Int("mp"), 4);
  EXPECT_EQ(Int("mpm"), 5);
  EXPECT_EQ(Int("ap"), 1);
  EXPECT_EQ(Int("apm"), 2);
  EXPECT_EQ(Int("hp"), 20);
  EXPECT_EQ(Int("hpm"), 20);
  EXPECT_EQ(Int("dmg"), 7);
  EXPECT_EQ(Int("sdmg"), 9);
  EXPECT_EQ(Int("other"), 1) << "unknown names and creatures give 0";

  Run("begin Cr_SetParam(1, 'health', 1000); end.");
  EXPECT_EQ(Orc().Health, 20) << "lowered to HealthMax";
  Run("begin Cr_SetParam(1, 'Health', -50); Cr_SetParam(1, 'Shots', 99); end.");
  EXPECT_EQ(Orc().Health, -50) << "no lower bound";
  EXPECT_EQ(Orc().Shots, 3) << "only HEALTH is settable";
  Orc().Health = 30;
  Run("begin Cr_SetParam(1, 'Speed', 0); end.");
  EXPECT_EQ(Orc().Health, 20) << "any name lowers a health above the maximum";
}

TEST_F(ScriptFuncsTest, DamageClampsAtZeroHealsWithoutBoundAndPlaysTheDamageState) {
  Orc().Frame = 3.5f;
  Run("begin Cr_Damage(1, 5); end.");
  EXPECT_EQ(Orc().Health, 15);
  EXPECT_EQ(Orc().State, game::StateDamage);
  EXPECT_EQ(Orc().Frame, 0.0f);
  EXPECT_TRUE(Orc().Alive) << "death is the creature update's";
  Run("begin Cr_Damage(1, 100); end.");
  EXPECT_EQ(Orc().Health, 0);
  Run("begin Cr_Damage(1, -50); end.");
  EXPECT_EQ(Orc().Health, 50) << "a negative damage heals past the maximum";
  Run("begin Cr_Damage(1, -2147483647); Cr_Damage(1, -2147483647); end.");
  EXPECT_EQ(Orc().Health, 2147483647) << "healing saturates instead of wrapping to a kill";
}

TEST_F(ScriptFuncsTest, CreatureNameAngleAndLookingAtAWall) {
  Run("begin if Cr_GetName(1) = 'Orc' then SetInt('name', 1); if Cr_GetName(2) = '' then SetInt('none', 1); end.");
  EXPECT_EQ(Int("name"), 1);
  EXPECT_EQ(Int("none"), 1);
  Run("begin Cr_SetAngle(1, 123.5); end.");
  EXPECT_FLOAT_EQ(Orc().Angle, 123.5f);
  Run("begin Cr_LookAtWall(1, 3); end.");  // the door is 3 tiles toward +Y
  EXPECT_FLOAT_EQ(Orc().Angle, 90.0f);
  Run("begin Cr_LookAtWall(1, 4); Cr_LookAtWall(2, 3); end.");
  EXPECT_FLOAT_EQ(Orc().Angle, 90.0f) << "unknown wall or creature: nothing";
  Door().X = 2;
  Door().Y = 2;  // dx -3, dy -3
  Run("begin Cr_LookAtWall(1, 3); end.");
  EXPECT_FLOAT_EQ(Orc().Angle, 225.0f);
}

TEST_F(ScriptFuncsTest, AnEffectStartsAtTheCreatureAndIsItsOwn) {
  game::TEffect smoke;
  smoke.Name = "Smoke";
  game::EffectLists().EffectKinds.push_back(smoke);
  Orc().WorldX = 10.5f;
  Orc().WorldZ = 9.0f;
  Run("begin Cr_EffectCreate(1, 'SMOKE'); end.");
  ASSERT_EQ(game::EffectLists().Effects.size(), 1u);
  const game::TEffect& e = game::EffectLists().Effects[0];
  EXPECT_EQ(Orc().EffectID, e.ID);
  EXPECT_NE(e.ID, 0);
  EXPECT_EQ(std::make_tuple(e.PosX, e.PosY, e.PosZ), std::make_tuple(10.5f, 0.0f, 9.0f));
  Run("begin Cr_EffectCreate(1, 'Fog'); Cr_EffectCreate(7, 'Smoke'); end.");
  EXPECT_EQ(Orc().EffectID, 0) << "no kind of that name: the creature's effect ID becomes 0";
  EXPECT_EQ(game::EffectLists().Effects.size(), 1u) << "the earlier effect runs on; nothing for an unknown creature";
}

TEST_F(ScriptFuncsTest, WallFramesGhostsAndAnimation) {
  Run("begin Wall_SetFrame(3, 2.5); end.");
  EXPECT_EQ(Door().Frame, 2.5f);
  Run("begin Wall_SetFrame(3, -0.5); end.");
  EXPECT_EQ(Door().Frame, 2.5f) << "a negative frame does nothing";
  Run("begin Wall_SetFrame(3, 3.01); end.");
  EXPECT_EQ(Door().Frame, 2.5f) << "beyond the last frame does nothing";
  Run("begin Wall_SetFrame(3, 3); end.");
  EXPECT_EQ(Door().Frame, 3.0f) << "the last frame itself is allowed";
  Door().Model = nullptr;
  Run("begin Wall_SetFrame(3, 0); end.");
  EXPECT_EQ(Door().Frame, 3.0f) << "a wall without a model has no frames";

  Run("begin Wall_SetGhost(3, true); Wall_PlayAnim(3); Wall_SetGhost(9, true); Wall_PlayAnim(9); end.");
  EXPECT_TRUE(Door().Ghost);
  EXPECT_TRUE(Door().Animated);
  Run("begin Wall_SetGhost(3, false); end.");
  EXPECT_FALSE(Door().Ghost);
}

TEST_F(ScriptFuncsTest, TheCameraLooksFromTheEyeAtTheGroundPoint) {
  Run("begin Cam_SetPos(10, 20, 30, 4.5, 6); end.");
  const game::TGmCamera& camera = game::GmCamera();
  EXPECT_EQ(camera.Camera.Position.X, 10.0f);
  EXPECT_EQ(camera.Camera.Position.Y, 20.0f);
  EXPECT_EQ(camera.Camera.Position.Z, 30.0f);
  EXPECT_EQ(camera.GroundTargetX, 4.5f);
  EXPECT_EQ(camera.GroundTargetZ, 6.0f);
  eng::TCamera3D expected;
  expected.Position = {10.0f, 20.0f, 30.0f};
  eng::CameraLookAt(expected, {4.5f, 0.0f, 6.0f}, {0.0f, 1.0f, 0.0f});
  EXPECT_EQ(camera.Camera.Matrix, expected.Matrix);
}

// A button's "End turn" ends it as the key does: the next player with a living creature is on.
TEST_F(ScriptFuncsTest, EndTurnHandsTheTurnOn) {
  ASSERT_EQ(game::CreateCreature("Orc", 7, 7, 0.0f), 2);
  game::CreatureLists().Creatures[1].Owner = 2;
  game::CreatureLists().Creatures[1].MovePoints = 0;
  ASSERT_EQ(game::PlayerTable().CurrentPlayer, 0);
  Run("begin EndTurn; end.");
  EXPECT_EQ(game::PlayerTable().CurrentPlayer, 2) << "player 1 owns nothing";
  EXPECT_EQ(game::PlayerTable().TurnsEnded, 1u);
  EXPECT_EQ(game::CreatureLists().Creatures[1].MovePoints, 5) << "the new player's points are refilled";
}

TEST_F(ScriptFuncsTest, TheBindingsAreTheDeclaredNamesInUpperCaseInOrder) {
  std::vector<std::string> names = game::ScriptFunctionNames();
  ASSERT_EQ(names.size(), static_cast<size_t>(game::kScriptFunctionCount));
  for (size_t i = 0; i < names.size(); ++i) {
    std::string declaration = game::kScriptDeclarations[i];
    size_t start = declaration.find(' ') + 1;
    size_t end = declaration.find_first_of(" (:", start);
    std::string name = declaration.substr(start, end == std::string::npos ? std::string::npos : end - start);
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(names[i], name);
  }
  // Every one of them is callable: a script calling all 31 compiles and runs to its end.
  Run("begin SetInt('a', 1); GetInt('a'); SetBool('b', true); GetBool('b'); EndTurn;"
      " Cam_SetPos(1, 2, 3, 4, 5); Cr_ID; Cr_GetName(1); Cr_SetParam(1, 'x', 1); Cr_GetParam(1, 'x');"
      " Cr_SetAngle(1, 0); Cr_LookAtWall(1, 3); Cr_GiveItem(1, 'x'); Cr_RemoveItem(1, 'x');"
      " Cr_EffectCreate(1, 'x'); Cr_Damage(1, 0); Wall_ID; Wall_IgnoreStandardScript;"
      " Wall_SetFrame(3, 0); Wall_SetGhost(3, false); Wall_PlayAnim(3); Window_Create('w');"
      " Window_Close('w'); Window_SetSize('w', 1, 2); Button_SetCaption('w', 'b', 'c');"
      " Button_SetPos('w', 'b', 1, 2); Label_SetCaption('w', 'l', 'c'); Label_SetPos('w', 'l', 1, 2);"
      " Label_GetWidth('w', 'l'); ItemSlot_SetOwnerID('w', 's', 1); SetInt('end', 1); end.");
  EXPECT_EQ(Int("end"), 1);
  EXPECT_TRUE(game::Problems().empty()) << game::FormatProblem(game::Problems().front());
}

}  // namespace
