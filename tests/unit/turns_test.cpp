// Turns and the game tick's part in them: EndTurn, the switch to turn-based play and the wait for
// walkers, and through GameTick the mouse selection and orders and the right click (the keys T
// and E are played through whole-game runs).
#include <gtest/gtest.h>

#include "engine/keyboard.h"
#include "engine/mouse.h"
#include "tests/support/world_fixture.h"

namespace {

using game::PlayerTable;
using game::StateStand;
using game::StateWalk;

class Turns : public testsupport::WorldTest {
 protected:
  void SetUp() override {
    WorldTest::SetUp();
    eng::KeyboardReset();
    eng::MouseReset();
    eng::KeyClearState();
    eng::MouseClearState();
    game::CameraStart();
    SetMap(19, 19);
    AddKind({});
  }
  void TearDown() override {
    eng::KeyboardReset();
    eng::MouseReset();
    WorldTest::TearDown();
  }
  // Puts the cursor ray through the centre of tile (x, y) from the camera, as the drawn frame
  // would.
  static void CursorOn(int32_t x, int32_t y) {
    eng::TVec3 eye = game::GmCamera().Camera.Position;
    eng::TVec3 centre{2.0f * static_cast<float>(x), 0.0f, 2.0f * static_cast<float>(y)};
    game::Core().CursorWorldPoint = eye + (centre - eye) * 4.0f;
  }
  static void Click(int button, int32_t x, int32_t y) {
    CursorOn(x, y);
    eng::MouseOnDown(button);
    game::GameTick();
    eng::MouseOnUp(button);
    game::GameTick();
  }
  static const std::vector<std::string>& Events() { return game::GuiFiredEvents(); }
};

TEST_F(Turns, EndTurnSkipsPlayersWithoutLivingCreaturesAndRefillsPoints) {
  int32_t mine = Place("Unit", 1, 1, 0);
  int32_t theirs = Place("Unit", 8, 8, 1);
  int32_t dead = Place("Unit", 9, 9, 2);
  C(dead).Alive = false;  // player 2's only creature
  for (int32_t i : {mine, theirs}) {
    C(i).MovePoints = 0;
    C(i).AtackPoints = 0;
    C(i).Shots = 1;
    C(i).Health = 3;
  }
  game::EndTurn();
  EXPECT_EQ(PlayerTable().CurrentPlayer, 1);
  EXPECT_EQ(C(theirs).MovePoints, 8);
  EXPECT_EQ(C(theirs).AtackPoints, 2);
  EXPECT_EQ(C(theirs).Shots, 1) << "shots are never refilled";
  EXPECT_EQ(C(theirs).Health, 3) << "nor health";
  EXPECT_EQ(C(mine).MovePoints, 0) << "only the new player's creatures";
  game::EndTurn();
  EXPECT_EQ(PlayerTable().CurrentPlayer, 0) << "2 and 3 skipped";
  EXPECT_EQ(C(mine).AtackPoints, 2);
  EXPECT_EQ(PlayerTable().TurnsEnded, 2u);
  EXPECT_TRUE(Events().empty()) << "no selection, no SelCr";

  ASSERT_TRUE(game::SelectCreatureAt(1, 1, false));
  game::EndTurn();
  game::EndTurn();
  ASSERT_EQ(Events().size(), 1u);
  EXPECT_EQ(Events()[0], "SelCr");
  EXPECT_EQ(game::ScriptContext().CurrentCreatureID, C(mine).ID);
  PlayerTable().Players[0].SelectedCreature = -1;  // as its death leaves it
  game::EndTurn();
  game::EndTurn();
  EXPECT_EQ(Events().size(), 1u);

  for (game::TCreature& c : game::CreatureLists().Creatures) c.Alive = false;
  PlayerTable().CurrentPlayer = 2;
  game::EndTurn();
  EXPECT_EQ(PlayerTable().CurrentPlayer, 2) << "nobody alive: the same player after four tries";
}

TEST_F(Turns, TurnBasedPlayWaitsForTheWalkersStepsOnce) {
  int32_t a = Place("Unit", 1, 1, 0);
  int32_t b = Place("Unit", 1, 5, 0);
  game::OrderCreature(a, 9, 1);
  game::OrderCreature(b, 9, 5);
  Tick(20);
  game::SetTurnBasedMode(true);
  game::SetTurnBasedMode(true);
  EXPECT_EQ(Count(Events(), "TurnBasedMode"), 1);
  EXPECT_TRUE(PlayerTable().WaitingForStop);
  EXPECT_FALSE(PlayerTable().TurnBased);
  EXPECT_EQ(std::pair(C(a).RouteX, C(a).RouteY), std::pair(2, 1)) << "the walk ends where the step leads";
  int ticks = 0;
  while (C(a).State == StateWalk || C(b).State == StateWalk) {
    EXPECT_FALSE(PlayerTable().TurnBased);
    Tick();
    ++ticks;
  }
  EXPECT_EQ(ticks, 21);
  EXPECT_TRUE(PlayerTable().TurnBased) << "in the first tick in which nobody walks";
  EXPECT_FALSE(PlayerTable().WaitingForStop);
  EXPECT_EQ(C(a).TileX, 2);
  EXPECT_EQ(C(b).TileX, 2);
  game::SetTurnBasedMode(true);
  EXPECT_EQ(Count(Events(), "TurnBasedMode"), 1) << "once turn-based, T fires nothing";
  game::SetTurnBasedMode(false);
  EXPECT_FALSE(PlayerTable().TurnBased);

  game::PlayersReset();
  game::PlayersStart();
  game::SetTurnBasedMode(true);
  EXPECT_TRUE(PlayerTable().TurnBased) << "nobody walking: at once";

  // A walker after an enemy stops there too, instead of taking up the chase on that tile.
  game::PlayersReset();
  game::PlayersStart();
  int32_t chaser = Place("Unit", 1, 9, 0);
  Place("Unit", 8, 9, 1);
  game::OrderCreature(chaser, 8, 9);
  Tick(10);
  game::SetTurnBasedMode(true);
  TickUntilStands(chaser);
  EXPECT_EQ(C(chaser).TileX, 2);
  EXPECT_TRUE(PlayerTable().TurnBased);
}

TEST_F(Turns, MouseSelectsAndOrdersTheCurrentHumanPlayersCreatures) {
  int32_t a = Place("Unit", 10, 10, 0);
  int32_t enemy = Place("Unit", 12, 8, 1);
  Click(0, 10, 10);
  EXPECT_TRUE(C(a).Selected);
  ASSERT_EQ(Events().size(), 1u);
  EXPECT_EQ(Events()[0], "SelCr");
  EXPECT_EQ(game::ScriptContext().CurrentCreatureID, C(a).ID);
  Click(0, 10, 13);
  EXPECT_EQ(C(a).State, StateWalk);
  EXPECT_EQ(std::pair(C(a).RouteX, C(a).RouteY), std::pair(10, 13));

  Click(2, 12, 8);
  ASSERT_EQ(Events().size(), 2u);
  EXPECT_EQ(Events()[1], "RClickOnCr");
  EXPECT_EQ(game::ScriptContext().CurrentCreatureID, C(enemy).ID) << "any player's creature";
  Click(2, 5, 5);
  EXPECT_EQ(Events().size(), 2u) << "nobody on the tile: nothing";
  EXPECT_FALSE(C(enemy).Selected) << "a right click selects nothing";

  // The GUI has the mouse: no world clicks.
  game::GuiFlags().MouseOverGui = true;
  Click(0, 4, 4);
  EXPECT_EQ(std::pair(C(a).RouteX, C(a).RouteY), std::pair(10, 13));
  game::GuiFlags().MouseOverGui = false;
  game::GuiFlags().ModalOpen = true;
  Click(0, 4, 4);
  EXPECT_EQ(std::pair(C(a).RouteX, C(a).RouteY), std::pair(10, 13));
  game::GuiFlags().ModalOpen = false;
  PlayerTable().CurrentPlayer = 1;  // the computer's turn: the mouse orders nothing
  Click(0, 4, 4);
  EXPECT_EQ(std::pair(C(a).RouteX, C(a).RouteY), std::pair(10, 13));
}

}  // namespace
