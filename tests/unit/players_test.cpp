// The player table: the values at load and who is allied with whom.
#include "game/core/players.h"

#include <gtest/gtest.h>

namespace {

class PlayersTest : public ::testing::Test {
 protected:
  void SetUp() override { game::PlayersReset(); }
  void TearDown() override { game::PlayersReset(); }
};

TEST_F(PlayersTest, LoadTimeTable) {
  game::PlayersStart();
  const game::TPlayersState& t = game::PlayerTable();
  const bool human[] = {true, false, false, true};
  const uint8_t side[] = {0, 1, 0, 0};
  for (int p = 0; p < game::PlayerCount; ++p) {
    EXPECT_EQ(t.Players[static_cast<size_t>(p)].Human, human[p]) << p;
    EXPECT_EQ(t.Players[static_cast<size_t>(p)].Side, side[p]) << p;
    EXPECT_EQ(t.Players[static_cast<size_t>(p)].SelectedCreature, -1) << p;
  }
  EXPECT_EQ(t.CurrentPlayer, 0);
  EXPECT_FALSE(t.TurnBased);
  EXPECT_FALSE(t.WaitingForStop);
  EXPECT_TRUE(game::CurrentPlayerHuman());
  game::PlayerTable().CurrentPlayer = 1;
  EXPECT_FALSE(game::CurrentPlayerHuman());
}

TEST_F(PlayersTest, AlliesShareASide) {
  game::PlayersStart();
  EXPECT_TRUE(game::AreAllies(0, 0));
  EXPECT_TRUE(game::AreAllies(0, 2));
  EXPECT_TRUE(game::AreAllies(3, 2));
  EXPECT_FALSE(game::AreAllies(0, 1));
  EXPECT_FALSE(game::AreAllies(1, 3));
  // An owner byte the table does not have is an ally of itself only.
  EXPECT_EQ(game::PlayerOf(4), nullptr);
  EXPECT_TRUE(game::AreAllies(200, 200));
  EXPECT_FALSE(game::AreAllies(200, 0));
  EXPECT_FALSE(game::AreAllies(1, 9));
  game::PlayerTable().CurrentPlayer = 7;
  EXPECT_FALSE(game::CurrentPlayerHuman());
}

}  // namespace
