// Items: the kind file, giving and taking by name in any case, using (the script runs with the
// carrier as the current creature and one unit goes whatever the script did), and the same
// operations from scripts.
#include "game/actors/items.h"

#include <gtest/gtest.h>

#include "game/actors/creatures.h"
#include "game/core/game_core.h"
#include "game/gui/gui.h"
#include "game/script/script_funcs.h"
#include "game/script/script_host.h"
#include "game/world/diagnostics.h"
#include "game/world/registry.h"
#include "tests/support/script_world.h"
#include "tests/support/test_support.h"

namespace {

class ItemsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testsupport::ResetScriptWorld();
    dir_ = testsupport::ScratchDir();
    game::Core().AppDir = dir_.string() + "/";
    game::Registry().MapWidth = game::Registry().MapHeight = 19;
    game::TCreature orc;
    orc.Name = "Orc";
    game::CreatureLists().CreatureKinds.push_back(orc);
    ASSERT_EQ(game::CreateCreature("Orc", 1, 1, 0.0f), 1);
    ASSERT_EQ(game::CreateCreature("Orc", 2, 1, 0.0f), 2);
    game::CreatureLists().Creatures[1].ID = 77;
    Load("key", "NAME = Key\n");
    Load("potion",
         "NAME = \"Red Potion\"\n"
         "[USESCRIPT]\n"
         "begin SetInt('user', Cr_ID); SetInt('uses', GetInt('uses') + 1); end.\n"
         "[/USESCRIPT]\n");
  }
  void TearDown() override { testsupport::ResetScriptWorld(); }
  const game::TGmItem& Load(const std::string& name, const std::string& text) {
    testsupport::WriteFile(dir_ / "Data/Items" / (name + ".cro"), text);
    game::LoadItemKind((dir_ / "Data/Items" / (name + ".cro")).string());
    return game::ItemLists().ItemKinds.back();
  }
  static std::vector<game::TGmItem>& Items(size_t creature) { return game::CreatureLists().Creatures[creature].Items; }
  static int32_t Int(const std::string& name) { return testsupport::StoreInt(name); }
  std::filesystem::path dir_;
};

TEST_F(ItemsTest, TheKindFileGivesNameCountOneAndTheJoinedUseScript) {
  const game::TGmItem& two = Load("two", "[USESCRIPT]\nbegin // opened\n[/USESCRIPT]\nname=Rope\n"
                                         "[ usescript ]\nend.\n[/USESCRIPT]\n");
  EXPECT_EQ(two.Name, "Rope");
  EXPECT_EQ(two.Count, 1);
  EXPECT_EQ(two.Texture, nullptr);
  EXPECT_EQ(two.UseScript, "begin  end. ") << "both blocks, comments cut, each line with one blank";
  ASSERT_EQ(two.UseScriptLines.Starts.size(), 2u);
  EXPECT_EQ(two.UseScriptLines.Starts[1].Offset, 7u);
  EXPECT_EQ(two.UseScriptLines.Starts[1].Line, 6);
  const game::TGmItem& none = Load("none", "");
  EXPECT_EQ(none.Count, 1) << "set before the file is read";
}

TEST_F(ItemsTest, GivingTwiceCountsTwoInOneEntryAndNamesDifferingInCaseAreOneItem) {
  game::GiveItem(0, "key");
  game::GiveItem(0, "KEY");
  game::GiveItem(0, "red potion");
  ASSERT_EQ(Items(0).size(), 2u);
  EXPECT_EQ(Items(0)[0].Name, "Key") << "the kind's own name";
  EXPECT_EQ(Items(0)[0].Count, 2);
  EXPECT_EQ(Items(0)[1].Count, 1);
  EXPECT_EQ(Items(0)[1].UseScript, game::ItemLists().ItemKinds[1].UseScript);

  game::GiveItem(0, "Sword");  // no such kind
  game::GiveItem(5, "Key");    // no such creature
  game::RemoveItem(0, "Sword");
  EXPECT_EQ(Items(0).size(), 2u);

  game::RemoveItem(0, "kEy");
  EXPECT_EQ(Items(0)[0].Count, 1);
  game::RemoveItem(0, "Key");
  ASSERT_EQ(Items(0).size(), 1u) << "gone at 0; the later entry moved up";
  EXPECT_EQ(Items(0)[0].Name, "Red Potion");
  EXPECT_TRUE(Items(1).empty());
}

TEST_F(ItemsTest, UsingRunsTheScriptAsTheCarrierThenConsumesOneUnit) {
  game::GiveItem(1, "Red Potion");
  game::GiveItem(1, "Red Potion");
  game::UseItem(1, "RED POTION");
  EXPECT_EQ(Int("user"), 77);
  EXPECT_EQ(game::ScriptContext().CurrentCreatureID, 77);
  ASSERT_EQ(Items(1).size(), 1u);
  EXPECT_EQ(Items(1)[0].Count, 1);
  game::UseItem(1, "Red Potion");
  EXPECT_TRUE(Items(1).empty());
  EXPECT_EQ(Int("uses"), 2);
  game::UseItem(1, "Red Potion");  // none left: nothing runs
  EXPECT_EQ(Int("uses"), 2);
}

TEST_F(ItemsTest, AUseWhoseScriptRemovesTheItemConsumesTwoUnits) {
  Load("scroll", "NAME = Scroll\n[USESCRIPT]\nbegin Cr_RemoveItem(Cr_ID, 'scroll'); Cr_GiveItem(Cr_ID, 'Key'); end.\n[/USESCRIPT]\n");
  for (int i = 0; i < 3; ++i) game::GiveItem(0, "Scroll");
  game::UseItem(0, Items(0)[0].Name);  // the entry's own name, as a drag hands it over
  ASSERT_EQ(Items(0).size(), 2u);
  EXPECT_EQ(Items(0)[0].Count, 1) << "the script's removal and the use's";
  EXPECT_EQ(Items(0)[1].Name, "Key") << "the script gave while the entries were in use";

  game::GiveItem(1, "Scroll");
  game::UseItem(1, Items(1)[0].Name);  // the script removes the last unit, and the name with it
  ASSERT_EQ(Items(1).size(), 1u);
  EXPECT_EQ(Items(1)[0].Name, "Key");
}

TEST_F(ItemsTest, AUseScriptThatDoesNotCompileStillConsumesTheItem) {
  Load("broken", "NAME = Broken\n[USESCRIPT]\nbegin\n  Nonsense;\nend.\n[/USESCRIPT]\n");
  game::GiveItem(0, "Broken");
  game::UseItem(0, "Broken");
  EXPECT_TRUE(Items(0).empty());
  EXPECT_EQ(game::GuiMessages(), (std::vector<std::string>{"Script Error"}));
  ASSERT_EQ(game::Problems().size(), 1u);
  EXPECT_EQ(game::Problems()[0].Line, 4) << "reported at the line of the kind file";
  EXPECT_EQ(game::Problems()[0].Column, 3);
  EXPECT_NE(game::Problems()[0].Message.find("use script of item \"Broken\""), std::string::npos);
}

TEST_F(ItemsTest, ScriptsGiveAndTakeByCreatureID) {
  game::Script_RunSource("begin Cr_GiveItem(77, 'key'); Cr_GiveItem(77, 'Key'); Cr_GiveItem(9, 'Key');"
                         " Cr_GiveItem(1, 'red potion'); Cr_RemoveItem(1, 'Red Potion'); Cr_RemoveItem(1, 'Key'); end.",
                         game::TScriptOrigin{});
  ASSERT_EQ(Items(1).size(), 1u);
  EXPECT_EQ(Items(1)[0].Count, 2);
  EXPECT_TRUE(Items(0).empty());
}

}  // namespace
