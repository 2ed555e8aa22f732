// The AI's turn: the rest test and the calm ticks, which creature acts and which is passed over,
// one order per tick, and the end of the turn, also when orders start nothing.
#include "game/actors/ai.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "game/actors/bullets.h"
#include "game/actors/effects.h"
#include "game/actors/movement.h"
#include "game/actors/movement_oracle.h"
#include "tests/support/world_fixture.h"

namespace {

using game::AiState;
using game::PlayerTable;
using game::StateStand;
using game::StateWalk;

class AiTest : public testsupport::WorldTest {
 protected:
  void SetUp() override {
    WorldTest::SetUp();
    AddKind({});
    PlayerTable().TurnBased = true;
    PlayerTable().CurrentPlayer = 1;  // the computer's turn
  }
  // Ticks until the turn has passed to another player (at most `limit`); the ticks taken, or -1.
  static int TicksToEndTurn(int limit = 5000) {
    for (int t = 1; t <= limit; ++t) {
      Tick();
      if (PlayerTable().CurrentPlayer != 1) return t;
    }
    return -1;
  }
};

TEST_F(AiTest, AWalledOffCreatureNeverActsAndTheTurnEndsOnTheThirdCalmTick) {
  Place("Unit", 1, 1, 0);
  int32_t ai = Place("Unit", 6, 6, 1);
  for (int32_t x = 5; x <= 7; ++x)
    for (int32_t y = 5; y <= 7; ++y)
      if (x != 6 || y != 6) AddWall(x, y);
  Tick();
  EXPECT_EQ(AiState().AiCalmTicks, 1);
  Tick();
  EXPECT_EQ(PlayerTable().CurrentPlayer, 1);
  Tick();
  EXPECT_EQ(PlayerTable().CurrentPlayer, 0) << "players 2 and 3 own nothing and are skipped";
  EXPECT_EQ(AiState().AiCalmTicks, 0);
  EXPECT_EQ(C(ai).State, StateStand);
  EXPECT_FALSE(C(ai).HasOrder);
  Tick(5);
  EXPECT_EQ(PlayerTable().CurrentPlayer, 0) << "no AI in a human player's turn";
}

TEST_F(AiTest, NothingIsDecidedUnlessTurnBasedForAComputerPlayerAtRest) {
  Place("Unit", 1, 1, 0);
  Place("Unit", 5, 1, 1);
  PlayerTable().TurnBased = false;
  Tick(5);
  EXPECT_EQ(AiState().AiCalmTicks, 0) << "no AI in real-time play";
  PlayerTable().TurnBased = true;
  int32_t walker = Place("Unit", 8, 8, 0);
  game::OrderCreature(walker, 8, 4);
  Tick(5);
  EXPECT_EQ(AiState().AiCalmTicks, 0) << "a creature of any player walks";
  TickUntilStands(walker);
  game::BulletLists().Bullets.push_back(game::TBullet{});
  game::AiTick();
  EXPECT_EQ(AiState().AiCalmTicks, 0) << "a bullet flies";
  game::BulletLists().Bullets.clear();
  game::AiTick();
  EXPECT_EQ(AiState().AiCalmTicks, 1);
}

TEST_F(AiTest, TheFirstCreatureThatCanActActsOneOrderPerTick) {
  int32_t human = Place("Unit", 4, 4, 0);
  C(human).Health = 100;
  int32_t first = Place("Unit", 4, 3, 1);   // straight next to the enemy
  int32_t second = Place("Unit", 5, 4, 1);  // also
  Tick(2);
  EXPECT_EQ(C(first).State, StateStand);
  EXPECT_TRUE(C(first).HasOrder) << "ordered on the second calm tick; it strikes on the next";
  EXPECT_FALSE(C(second).HasOrder) << "one order per tick";
  Tick();
  EXPECT_EQ(C(first).State, game::StateAtack);
  EXPECT_EQ(AiState().AiCalmTicks, 0);
  ASSERT_NE(TicksToEndTurn(), -1);
  EXPECT_EQ(C(human).Health, 100 - 4 * 3) << "two blows each: every action point spent";
  EXPECT_EQ(C(first).AtackPoints, 0);
  EXPECT_EQ(C(second).AtackPoints, 0);
}

TEST_F(AiTest, SkipsThoseThatCannotActAndWalksThoseThatCan) {
  Place("Unit", 1, 1, 0);
  AddShooter("Gunner", 3, 2);
  int32_t empty = Place("Gunner", 8, 1, 1);
  C(empty).AtackPoints = 0;  // shots but no action points: passed over though it could walk
  int32_t brawler = Place("Unit", 8, 8, 1);
  C(brawler).AtackPoints = 0;  // no shots, no action points: walks toward the enemy
  C(brawler).MovePoints = 3;
  ASSERT_NE(TicksToEndTurn(), -1);
  EXPECT_EQ(C(empty).TileX, 8);
  EXPECT_EQ(C(empty).TileY, 1);
  EXPECT_EQ(C(brawler).MovePoints, 0);
  EXPECT_LT(C(brawler).TileX + C(brawler).TileY, 16) << "it came nearer";
}

TEST_F(AiTest, WithoutMovePointsOnlyThoseStraightBesideAnEnemyStrike) {
  int32_t human = Place("Unit", 4, 4, 0);
  C(human).Health = 100;
  int32_t far = Place("Unit", 8, 8, 1);
  int32_t diagonal = Place("Unit", 5, 5, 1);
  int32_t beside = Place("Unit", 3, 4, 1);
  for (int32_t ai : {far, diagonal, beside}) C(ai).MovePoints = 0;
  ASSERT_NE(TicksToEndTurn(), -1);
  EXPECT_EQ(C(human).Health, 100 - 2 * 3) << "the one beside it struck with both action points";
  EXPECT_EQ(C(beside).AtackPoints, 0);
  for (int32_t ai : {far, diagonal}) {
    EXPECT_EQ(C(ai).AtackPoints, 2) << ai;
    EXPECT_FALSE(C(ai).HasOrder) << ai;
  }
  EXPECT_EQ(C(diagonal).TileX, 5);
  EXPECT_EQ(C(diagonal).TileY, 5);
}

TEST_F(AiTest, EqualDistancesChooseTheEarlierEnemy) {
  int32_t west = Place("Unit", 1, 5, 0);
  int32_t east = Place("Unit", 9, 5, 0);
  int32_t ai = Place("Unit", 5, 5, 1);
  Tick(2);
  EXPECT_EQ(C(ai).Target, west);
  EXPECT_EQ(C(ai).State, StateWalk);
  EXPECT_NE(C(ai).Target, east);
}

TEST_F(AiTest, OrdersThatStartNothingDoNotKeepTheTurnFromEnding) {
  // Shooters of range 1 diagonally next to enemies: 1.41 tiles is beyond range + 0.3, the route
  // target is their own tile, and melee needs a straight neighbour.
  AddShooter("Pistol", 5, 1);
  Place("Unit", 2, 2, 0);
  Place("Unit", 7, 7, 0);
  int32_t a = Place("Pistol", 3, 3, 1);
  int32_t b = Place("Pistol", 6, 6, 1);
  int ticks = TicksToEndTurn(20);
  EXPECT_EQ(ticks, 3);
  for (int32_t s : {a, b}) {
    EXPECT_EQ(C(s).State, StateStand);
    EXPECT_EQ(C(s).Shots, 5);
    EXPECT_EQ(C(s).MovePoints, 8);
  }
  // The next turn of the computer player tries them again.
  game::EndTurn();
  ASSERT_EQ(PlayerTable().CurrentPlayer, 1);
  Tick(2);
  EXPECT_TRUE(C(a).HasOrder) << "the marks last one turn";
}

// The AI weighs a wave that stops beside the nearest enemy; the whole wave by the pass scan must
// play the same turns: on random maps with walls, ghosts, walls with touch tiles (also under
// creatures), melee creatures and shooters of four players, tick by tick.
TEST_F(AiTest, TheWaveStoppedBesideTheNearestEnemyPlaysWhatTheWholeWavePlays) {
  auto addKinds = [] {
    testsupport::KindTraits quick;
    quick.name = "Quick";
    quick.moveSpeed = 0.7f;
    quick.movePoints = 6;
    AddKind(quick);
    quick.name = "Gunner";
    quick.shots = 3;
    quick.shotRange = 4;
    AddKind(quick);
  };
  std::mt19937 random(31);
  auto pick = [&](int32_t lo, int32_t hi) { return std::uniform_int_distribution<int32_t>(lo, hi)(random); };
  auto describe = [](const game::TCreature& c) {
    return std::to_string(c.TileX) + "," + std::to_string(c.TileY) + " s" + std::to_string(c.State) + " n" +
           std::to_string(c.NextX) + "," + std::to_string(c.NextY) + " r" + std::to_string(c.RouteX) + "," +
           std::to_string(c.RouteY) + " t" + std::to_string(c.Target) + " h" + std::to_string(c.Health) + " p" +
           std::to_string(c.MovePoints) + "/" + std::to_string(c.AtackPoints) + "/" + std::to_string(c.Shots);
  };
  int stopped = 0;
  for (int world = 0; world < 40; ++world) {
    ResetAll();
    addKinds();
    const int32_t w = pick(5, 16), h = pick(5, 16);
    SetMap(w, h);
    const int density = pick(0, 30);
    for (int32_t y = 0; y <= h; ++y)
      for (int32_t x = 0; x <= w; ++x)
        if (pick(0, 99) < density) AddWall(x, y, pick(0, 7) == 0, pick(0, 1) == 0, pick(0, 5) == 0 ? pick(-1, 1) : 0, pick(-1, 1));
    for (int32_t n = pick(2, 10); n > 0; --n) {
      // Creatures may stand on walls' tiles: the map loader allows it.
      uint16_t id = game::CreateCreature(pick(0, 1) ? "Quick" : "Gunner", pick(0, w), pick(0, h), 0.0f);
      if (id != 0) C(game::FindCreature(id)).Owner = static_cast<uint8_t>(pick(0, 3) == 0 ? pick(2, 3) : pick(0, 1));
    }
    PlayerTable().TurnBased = true;
    PlayerTable().CurrentPlayer = 1;
    const std::vector<game::TCreature> creatures = game::CreatureLists().Creatures;
    const std::vector<game::TWall> walls = game::ReadWallLists().Walls;
    const game::TPlayersState players = PlayerTable();
    std::vector<std::string> ticks[2];
    for (int builder = 0; builder < 2; ++builder) {
      game::CreatureLists().Creatures = creatures;
      game::WallLists().Walls = walls;
      PlayerTable() = players;
      game::AiReset();
      game::BulletLists() = {};
      game::EffectLists() = {};
      game::SetDistanceMapBuilder(builder == 0 ? game::BuildDistanceMapPassScan : nullptr);
      for (int t = 0; t < 150; ++t) {
        Tick();
        stopped += builder == 1 && game::Movement().WaveStopped;
        std::string all = "player " + std::to_string(PlayerTable().CurrentPlayer);
        for (const game::TCreature& c : game::CreatureLists().Creatures) all += " | " + describe(c);
        ticks[builder].push_back(all);
      }
    }
    game::SetDistanceMapBuilder(nullptr);
    for (size_t t = 0; t < ticks[0].size(); ++t)
      ASSERT_EQ(ticks[1][t], ticks[0][t]) << "world " << world << ", tick " << t + 1;
  }
  EXPECT_GT(stopped, 100) << "the waves must stop early often enough to mean something";
}

}  // namespace
