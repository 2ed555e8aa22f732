// The state dump: its number and text formats, sections added by modules in their order and
// replaced by name, the game's own sections; and the command line's TICK:FILE.
#include "game/core/state_dump.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>

#include "tests/support/state_dump_reader.h"
#include "tests/support/test_support.h"
#include "tests/support/world_fixture.h"

namespace {

class StateDump : public testsupport::WorldTest {
 protected:
  void SetUp() override {
    WorldTest::SetUp();
    game::StateDumpReset();
  }
  void TearDown() override {
    game::StateDumpReset();
    WorldTest::TearDown();
  }
};

TEST_F(StateDump, NumbersAndTextHaveOneFormat) {
  EXPECT_EQ(game::FormatDumpFloat(0.0f), "0");
  EXPECT_EQ(game::FormatDumpFloat(2.0499992f), "2.0499992");
  EXPECT_EQ(game::FormatDumpFloat(0.05f), "0.05");
  EXPECT_EQ(game::FormatDumpFloat(-1.5f), "-1.5");
  EXPECT_EQ(game::FormatDumpFloat(10000.0f), "10000");
  EXPECT_EQ(game::FormatDumpFloat(5.96046448e-08f), "0.000000059604645") << "no exponent";
  EXPECT_EQ(game::FormatDumpFloat(1e30f), "1000000015047466219876688855040") << "the float's own digits";
  EXPECT_EQ(game::FormatDumpFloat(-std::numeric_limits<float>::infinity()), "-inf");
  EXPECT_EQ(game::FormatDumpFloat(std::numeric_limits<float>::quiet_NaN()), "nan");
  for (float f : {0.1f, 2.8284f, 41.231056f, -1234.5677f, 1.17549435e-38f, 3.40282347e+38f})
    EXPECT_EQ(std::strtof(game::FormatDumpFloat(f).c_str(), nullptr), f) << "reads back exactly";

  EXPECT_EQ(game::FormatDumpText("Blue Soldier"), "\"Blue Soldier\"");
  EXPECT_EQ(game::FormatDumpText("a\"b\\c"), "\"a\\\"b\\\\c\"");
  EXPECT_EQ(game::FormatDumpText("\xEF\xF0\n"), "\"\\xEF\\xF0\\x0A\"");
}

TEST_F(StateDump, SectionsKeepTheirOrderAndAreReplacedByName) {
  game::StateDumpAddSection("first", [](game::TStateDumpWriter& w) { w.Int("a", -3); });
  game::StateDumpAddSection("second", [](game::TStateDumpWriter& w) { w.Bool("b", true); });
  game::StateDumpAddSection("first", [](game::TStateDumpWriter& w) { w.Text("c", "x y"); });
  EXPECT_EQ(game::StateDumpText(), "tessera-state 1\n[first]\nc \"x y\"\n[second]\nb 1\n");
}

TEST_F(StateDump, TheGameSectionsShowTheWorld) {
  AddKind({});
  int32_t a = Place("Unit", 2, 3, 1, 90.0f);
  AddWall(4, 4, true);
  game::GUI_FireEvent("SelCr");
  game::StateDumpAddSection("gui", [](game::TStateDumpWriter& w) { w.Int("own", 1); });
  game::StateDumpAddGameSections();
  testsupport::StateDumpReader dump(game::StateDumpText());
  EXPECT_EQ(dump.Sections(), (std::vector<std::string>{"gui", "core", "players", "ai", "creatures", "walls",
                                                        "bullets", "effects", "script", "items"}))
      << "a module's own section stays";
  EXPECT_EQ(dump.Get("gui", "own"), "1");
  EXPECT_EQ(dump.Int("creatures", "count"), 1);
  EXPECT_EQ(dump.Get("creatures", "creature.0.Name"), "\"Unit\"");
  EXPECT_EQ(dump.Int("creatures", "creature.0.Owner"), 1);
  EXPECT_EQ(dump.Int("creatures", "creature.0.TileY"), 3);
  EXPECT_EQ(dump.Float("creatures", "creature.0.Angle"), 90.0f);
  EXPECT_EQ(dump.Float("creatures", "creature.0.WorldZ"), 6.0f);
  EXPECT_EQ(dump.Int("creatures", "creature.0.Health"), C(a).Health);
  EXPECT_EQ(dump.Int("walls", "wall.0.Ghost"), 1);
  EXPECT_EQ(dump.Int("players", "player.1.Side"), 1);
  EXPECT_EQ(dump.Int("core", "CursorTileX"), 10000);
  EXPECT_EQ(dump.Int("bullets", "count"), 0);
}

TEST(TimedFile, TickColonFileOrAPlainFile) {
  game::TTimedFile f;
  ASSERT_TRUE(game::ParseTimedFile("120:shot.png", &f));
  EXPECT_EQ(f.tick, 120);
  EXPECT_EQ(f.path, "shot.png");
  ASSERT_TRUE(game::ParseTimedFile("out/state.txt", &f));
  EXPECT_EQ(f.tick, 0);
  EXPECT_EQ(f.path, "out/state.txt");
  ASSERT_TRUE(game::ParseTimedFile("C:/x.png", &f)) << "a drive letter is no tick";
  EXPECT_EQ(f.tick, 0);
  ASSERT_TRUE(game::ParseTimedFile("a12:b", &f));
  EXPECT_EQ(f.path, "a12:b");
  EXPECT_FALSE(game::ParseTimedFile("0:x", &f)) << "ticks count from 1";
  EXPECT_FALSE(game::ParseTimedFile("5:", &f));
  EXPECT_FALSE(game::ParseTimedFile("", &f));
  EXPECT_FALSE(game::ParseTimedFile("99999999999999999999:x", &f));
}

}  // namespace
