// The demo scenario's scripts and windows as creatures' deaths and finished orders drive them, with
// the real script host and GUI definitions: "Creature Died" counts who still stands and ends the
// match once, "CrActed" shows the creature that acted in the panel.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "game/actors/creatures.h"
#include "game/actors/movement.h"
#include "game/core/game_core.h"
#include "game/core/game_data.h"
#include "game/core/players.h"
#include "game/gui/gui.h"
#include "game/script/script_funcs.h"
#include "game/script/script_host.h"
#include "game/world/defs.h"
#include "game/world/registry.h"
#include "tests/support/game_reset.h"

namespace {

namespace fs = std::filesystem;

const fs::path kGame = TESSERA_GAME_DIR;

class DemoEvents : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(kGame / "maps/proba.map"))
      GTEST_SKIP() << "the demo content has not been built into " << kGame;
    Reset();
    ASSERT_EQ(game::LoadGameData(kGame.string(), "maps/proba.map"), "");
    game::Core().AppDir = kGame.string() + "/";
    game::GuiLoadDefinitions(nullptr);
    game::PlayersStart();
    // As the game starts a map: the blocks lose their comments, then "Start Map" runs.
    for (game::TScriptBlock& block : game::ScriptBlocks().Blocks)
      for (std::string& line : block.Lines) line = game::StripComment(line);
    game::Script_RunBlock("Start Map");
    // The briefing's messages, each answered as the player would.
    for (int i = 0; i < 10 && game::GuiFlags().GameFrozen; ++i) game::GameMessageOK();
    ASSERT_FALSE(game::GuiFlags().GameFrozen);
    messagesAtStart_ = game::GuiState().Messages.size();
  }
  void TearDown() override { Reset(); }
  static void Reset() {
    testsupport::ResetGameWorld();
    game::GUIReset();
  }

  static int32_t Index(uint16_t id) {
    const auto& all = game::CreatureLists().Creatures;
    for (size_t i = 0; i < all.size(); ++i)
      if (all[i].ID == id) return static_cast<int32_t>(i);
    ADD_FAILURE() << "no creature " << id;
    return 0;
  }
  static game::TCreature& Cr(uint16_t id) { return game::CreatureLists().Creatures[static_cast<size_t>(Index(id))]; }
  static int32_t Int(const std::string& name) {
    for (const auto& [key, value] : game::ScriptStores().Ints)
      if (key == name) return value;
    return -1;
  }
  static bool Bool(const std::string& name) {
    for (const auto& [key, value] : game::ScriptStores().Bools)
      if (key == name) return value;
    return false;
  }
  static const game::TGmWindow* Open(const std::string& name) {
    for (const game::TGmWindow& w : game::GuiState().Open)
      if (w.Name == name && !w.Closed) return &w;
    return nullptr;
  }
  static std::string Caption(const game::TGmWindow& w, const std::string& label) {
    for (const game::TGmLabel& l : w.Labels)
      if (l.Name == label) return l.Caption;
    return "(no label " + label + ")";
  }
  // World updates until `done` holds, at most `limit`; false if it never did.
  template <typename F>
  static bool UpdateUntil(F done, int limit = 2000) {
    for (int i = 0; i < limit; ++i) {
      if (done()) return true;
      game::UpdateWorld();
    }
    return done();
  }
  std::vector<std::string> NewMessages() const {
    const auto& all = game::GuiState().Messages;
    return {all.begin() + static_cast<std::ptrdiff_t>(messagesAtStart_), all.end()};
  }

  size_t messagesAtStart_ = 0;
};

TEST_F(DemoEvents, EachDeathRecountsTheSidesAndTheLastEnemyEndsTheMatchOnce) {
  ASSERT_EQ(Int("Ours"), 10);
  ASSERT_EQ(Int("Theirs"), 10);
  game::DamageCreature(Index(21), 1000);
  ASSERT_TRUE(UpdateUntil([] { return !Cr(21).Alive; }));
  EXPECT_EQ(game::ScriptContext().CurrentCreatureID, 21) << "the dead beast is the block's Cr_ID";
  EXPECT_EQ(Int("Theirs"), 9);
  EXPECT_EQ(Int("Ours"), 10);
  EXPECT_NE(Open("Briefing"), nullptr) << "the block shows the count";
  EXPECT_TRUE(NewMessages().empty());

  // Every other enemy at once: their health is gone at the blow, so the first of them to finish
  // dying already finds nobody standing, wins the match and freezes the game until OK.
  for (uint16_t id : {22, 23, 24, 25, 26, 31, 32, 33, 34}) game::DamageCreature(Index(id), 1000);
  ASSERT_TRUE(UpdateUntil([] { return game::GuiFlags().GameFrozen; }));
  EXPECT_EQ(Int("Theirs"), 0);
  EXPECT_TRUE(Bool("MatchOver"));
  ASSERT_EQ(NewMessages().size(), 1u);
  EXPECT_EQ(NewMessages()[0].rfind("Victory!", 0), 0u) << NewMessages()[0];
  game::GameMessageOK();
  ASSERT_TRUE(UpdateUntil([] {
    const auto& all = game::CreatureLists().Creatures;
    return std::none_of(all.begin(), all.end(), [](const game::TCreature& c) { return c.ID > 20 && c.Alive; });
  }));
  EXPECT_EQ(NewMessages().size(), 1u) << "the verdict comes once";

  // A death on our side still recounts.
  game::DamageCreature(Index(8), 1000);
  ASSERT_TRUE(UpdateUntil([] { return !Cr(8).Alive; }));
  EXPECT_EQ(Int("Ours"), 9);
  EXPECT_EQ(NewMessages().size(), 1u);
}

TEST_F(DemoEvents, AHumanCreatureThatFinishesAnOrderIsShownInThePanel) {
  // The first rifleman selected, the second ordered one tile on and wounded beforehand: the panel
  // that opens when it arrives shows the one that acted, not the selected one.
  ASSERT_TRUE(game::PlayerTable().Players[Cr(1).Owner].Human);
  ASSERT_EQ(game::PlayerTable().CurrentPlayer, Cr(1).Owner);
  ASSERT_TRUE(game::SelectCreatureAt(Cr(1).TileX, Cr(1).TileY, false));
  game::TCreature& walker = Cr(2);
  walker.Health = 7;
  const int32_t x = walker.TileX, y = walker.TileY;
  game::OrderCreature(Index(2), x, y - 1);
  ASSERT_EQ(walker.State, game::StateWalk) << "the tile north of it is free";
  ASSERT_TRUE(UpdateUntil([] { return Cr(2).State == game::StateStand; }));
  EXPECT_EQ(Cr(2).TileY, y - 1);
  const game::TGmWindow* panel = Open("CrPanel");
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(Caption(*panel, "Health"), "Health 7 / " + std::to_string(Cr(2).HealthMax));
  EXPECT_EQ(game::GuiState().Events.back(), "CrActed");

  // A computer player's creature finishing an order opens nothing.
  game::GUIReset();
  game::GuiLoadDefinitions(nullptr);
  const int32_t militia = Index(8);
  game::OrderCreature(militia, Cr(8).TileX + 1, Cr(8).TileY);
  ASSERT_TRUE(UpdateUntil([] { return Cr(8).State == game::StateStand; }));
  EXPECT_EQ(Open("CrPanel"), nullptr);
  EXPECT_TRUE(game::GuiState().Events.empty());
}

}  // namespace
