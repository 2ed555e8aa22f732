// The content checks: every map record that cannot be placed, with its index and reason, as if the
// load went on past the first failure; floor kinds and counts; names kinds give other kinds.
#include "game/world/content_check.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/textures.h"
#include "game/actors/bullets.h"
#include "game/actors/creatures.h"
#include "game/actors/walls.h"
#include "game/core/game_core.h"
#include "game/core/game_data.h"
#include "game/models/mesh.h"
#include "game/world/floor.h"
#include "game/world/map.h"
#include "tests/support/problems.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;

class ContentCheckTest : public testsupport::GameFolderTest {
 protected:
  void SetUp() override {
    GameFolderTest::SetUp();
    game::Registry().MapWidth = 19;
    game::Registry().MapHeight = 19;
  }
  static void AddKinds() {
    game::FloorInit();
    for (const char* name : {"Stone", "Bush"}) {
      game::TWall wall;
      wall.Name = name;
      game::WallLists().WallKinds.push_back(wall);
    }
    game::TCreature orc;
    orc.Name = "Orc";
    game::CreatureLists().CreatureKinds.push_back(orc);
  }
};

// What a check reports, quietly, as lines.
template <typename F>
std::vector<std::string> Reported(F check) {
  game::DiagnosticsReset();
  game::DiagnosticsSetEcho(false);
  check();
  std::vector<std::string> lines = testsupport::ProblemLines(game::Problems());
  game::DiagnosticsReset();
  return lines;
}

game::TMapFile SmallMap() {
  game::TMapFile map;
  map.FloorKindNames = {"Plane"};
  map.FloorTextureNames = {"grass.jpg"};
  map.WallKindNames = {"Stone", "Marble", "bush"};
  map.CreatureKindNames = {"Orc", "Elf"};
  map.MapWidth = 4;
  map.MapHeight = 2;
  map.Cells.assign(15, game::TMapCell{});
  return map;
}

TEST_F(ContentCheckTest, EveryRecordThatCannotBePlacedIsNamedWithItsIndexAndReason) {
  AddKinds();
  game::TMapFile map = SmallMap();
  map.Walls = {
      {0, 1, 1, 0.0f, 10},  // placed
      {1, 2, 1, 0.0f, 11},  // no such kind
      {2, 1, 1, 0.0f, 12},  // tile taken by wall 0
      {0, 5, 0, 0.0f, 13},  // outside (largest X is 4)
      {7, 0, 0, 0.0f, 14},  // kind index outside the table
      {0, 2, 1, 0.0f, 15},  // wall 1 failed, so its tile is free
      {0, -1, 2, 0.0f, 16},
  };
  map.Creatures = {
      {0, 1, 1, 0.0f, 20, 0},  // on a wall's tile: allowed
      {0, 1, 1, 0.0f, 21, 1},  // on creature 0
      {1, 3, 2, 0.0f, 22, 0},
      {0, 4, 3, 0.0f, 23, 0},
  };
  std::vector<std::string> want = {
      "maps/m.map: wall 2 (\"Marble\" on (2, 1), ID 11): cannot be placed: no wall kind is named \"Marble\"",
      "maps/m.map: wall 3 (\"bush\" on (1, 1), ID 12): cannot be placed: tile (1, 1) already holds wall 1",
      "maps/m.map: wall 4 (\"Stone\" on (5, 0), ID 13): cannot be placed: tile (5, 0) is outside the map (0..4 x 0..2)",
      "maps/m.map: wall 5 (kind index 7 on (0, 0), ID 14): cannot be placed: kind index 7 is outside the wall kind "
      "table (3 names)",
      "maps/m.map: wall 7 (\"Stone\" on (-1, 2), ID 16): cannot be placed: tile (-1, 2) is outside the map (0..4 x 0..2)",
      "maps/m.map: creature 2 (\"Orc\" on (1, 1), ID 21): cannot be placed: tile (1, 1) already holds creature 1",
      "maps/m.map: creature 3 (\"Elf\" on (3, 2), ID 22): cannot be placed: no creature kind is named \"Elf\"",
      "maps/m.map: creature 4 (\"Orc\" on (4, 3), ID 23): cannot be placed: tile (4, 3) is outside the map (0..4 x "
      "0..2)",
  };
  EXPECT_EQ(Reported([&] { game::CheckMapRecords(map, "maps/m.map"); }), want);

  // The loader stops at the first of them, with the message the player sees; the check named it.
  std::vector<uint8_t> bytes;
  std::string error;
  ASSERT_TRUE(game::MapFileWrite(map, &bytes, &error)) << error;
  EXPECT_EQ(game::MapLoadFromMemory(bytes.data(), bytes.size(), "m.map"), "Wall \"Marble\" not found.");
  EXPECT_EQ(game::WallLists().Walls.size(), 1u);
}

// Past the file's limit the records are still counted, though their messages are no longer made.
TEST_F(ContentCheckTest, AMapOfThousandsOfBadRecordsCountsThemAllAndKeepsTheLimit) {
  AddKinds();
  game::TMapFile map = SmallMap();
  for (int i = 0; i < 3000; ++i) map.Walls.push_back({1, i % 5, i % 3, 0.0f, static_cast<uint16_t>(i + 1)});
  for (int i = 0; i < 5; ++i) map.Creatures.push_back({0, i, 0, 0.0f, 7, 0});  // one ID, four repeats
  game::DiagnosticsReset();
  game::DiagnosticsSetEcho(false);
  EXPECT_EQ(game::CheckMapRecords(map, "m.map"), 3000 + 4);
  ASSERT_EQ(game::Problems().size(), game::MaxProblemsKeptPerFile + 1);
  EXPECT_EQ(game::Problems()[0].Message, "wall 1 (\"Marble\" on (0, 0), ID 1): cannot be placed: no wall kind is "
                                         "named \"Marble\"");
  EXPECT_EQ(game::Problems().back().Message, "more problems in this file are not listed");
  EXPECT_TRUE(game::ProblemListFull("m.map"));
  EXPECT_FALSE(game::ProblemListFull("other.map"));
  game::DiagnosticsReset();
}

TEST_F(ContentCheckTest, FloorKindsAndCounts) {
  AddKinds();
  game::TMapFile map = SmallMap();
  map.FloorKindNames = {"Plane", "Water", "plane"};
  map.Cells[3].Kind = 1;
  map.Cells[7].Kind = 1;
  map.Cells[8].Kind = 2;  // another case of "Plane": still the floor kind
  map.Cells[14].Kind = 9;
  map.WallCountInFile = -3;
  std::vector<std::string> want = {
      "m.map: the wall count is -3: no walls are read",
      "m.map: floor kind \"Water\" is no floor kind: cell (3, 0) and 1 more keep what they had",
      "m.map: floor kind index 9 is outside the floor kind table (3 names): cell (4, 2) keeps what it had",
  };
  EXPECT_EQ(Reported([&] { game::CheckMapRecords(map, "m.map"); }), want);
}

// The whole path the game and the checker take: files on disk, the windowless load, the checks.
TEST_F(ContentCheckTest, TheWindowlessLoadReportsReferencesAndRecordsAtTheirFiles) {
  testsupport::WriteFile(dir_ / "Data/Walls/stone.cro", "NAME=Stone\n");
  testsupport::WriteFile(dir_ / "Data/Creatures/orc.cro", "NAME=Orc\nSHOTS=2\nBULLET=Arrow\n");
  testsupport::WriteFile(dir_ / "Data/Creatures/elf.cro", "NAME=Elf\nBULLET=bolt\n");
  testsupport::WriteFile(dir_ / "Data/Creatures/ent.cro", "NAME=Ent\n");
  testsupport::WriteFile(dir_ / "Data/Bullets/bolt.cro", "NAME=Bolt\n");
  game::TMapFile map = SmallMap();
  map.WallKindNames = {"Stone"};
  map.CreatureKindNames = {"Orc", "Troll"};
  map.Walls = {{0, 0, 0, 0.0f, 1}, {0, 0, 0, 0.0f, 2}};
  map.Creatures = {{1, 2, 2, 0.0f, 3, 1}};
  std::vector<uint8_t> bytes;
  std::string error;
  ASSERT_TRUE(game::MapFileWrite(map, &bytes, &error)) << error;
  bytes.insert(bytes.end(), {1, 2, 3});
  testsupport::WriteBytes(dir_ / "maps/m.map", bytes);

  testing::internal::CaptureStderr();
  std::string message = game::LoadGameData(dir_.string(), "maps/m.map");
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(message, "Wall \"Stone\" not found.");
  std::vector<std::string> want = {
      "texture \"Data/Textures/grass.jpg\" cannot be read: no such file",
      "Data/Creatures/orc.cro:3: BULLET: no bullet kind is named \"Arrow\"",
      "maps/m.map: wall 2 (\"Stone\" on (0, 0), ID 2): cannot be placed: tile (0, 0) already holds wall 1",
      "maps/m.map: creature 1 (\"Troll\" on (2, 2), ID 3): cannot be placed: no creature kind is named \"Troll\"",
      "maps/m.map: 3 bytes follow the end of the map and are ignored (is it a map file?)",
  };
  EXPECT_EQ(testsupport::ProblemLines(game::Problems()), want);
  for (const std::string& line : want) EXPECT_NE(err.find("tessera: " + line + "\n"), std::string::npos) << line;
}

TEST_F(ContentCheckTest, AReferenceIntoAMissingFolderSaysSo) {
  game::TCreature orc;
  orc.Name = "Orc";
  orc.Bullet = "Arrow";
  game::CreatureLists().CreatureKinds.push_back(orc);
  game::Registry().Folders[game::KindBullets] = game::TFolderState::Missing;
  EXPECT_EQ(Reported([] { game::CheckKindReferences(); }),
            std::vector<std::string>{"BULLET: no bullet kind is named \"Arrow\" (the folder Data/Bullets/ is missing)"});
  // Bullet kinds that their own loader read count as well as the name-only ones.
  game::TBullet arrow;
  arrow.Name = "ARROW";
  arrow.Effect = "Smoke";
  game::BulletLists().BulletKinds.push_back(arrow);
  EXPECT_TRUE(game::KindNameExists(game::KindBullets, "arrow"));
  EXPECT_EQ(Reported([] { game::CheckKindReferences(); }),
            std::vector<std::string>{"EFFECT: no effect kind is named \"Smoke\""});
}

// Names near a kind's are likely typos; IDs carried twice leave the second out of the scripts'
// reach; a map compiled from text is told about at the lines of its text, and without placing only
// what the compiler cannot know is checked.
TEST_F(ContentCheckTest, TyposRepeatedIdsAndTextPlaces) {
  AddKinds();
  game::TMapFile map = SmallMap();
  map.WallKindNames = {"Stone", "Stnoe"};
  map.Walls = {{0, 1, 1, 0.0f, 7}, {0, 2, 1, 0.0f, 7}, {1, 3, 1, 0.0f, 8}, {0, 9, 9, 0.0f, 9}};
  map.Creatures = {{0, 1, 1, 0.0f, 7, 0}};  // creatures' IDs are their own
  EXPECT_EQ(Reported([&] { game::CheckMapRecords(map, "m.map"); }),
            (std::vector<std::string>{
                "m.map: wall 2 (\"Stone\" on (2, 1), ID 7): ID 7 is already carried by wall 1: scripts find only "
                "that one",
                "m.map: wall 3 (\"Stnoe\" on (3, 1), ID 8): cannot be placed: no wall kind is named \"Stnoe\" (did you "
                "mean \"Stone\"?)",
                "m.map: wall 4 (\"Stone\" on (9, 9), ID 9): cannot be placed: tile (9, 9) is outside the map (0..4 x 0..2)",
            }));

  game::TMapTextNotes notes;
  notes.Walls = {{{10, 6}, {10, 12}, {10, 16}}, {{11, 6}, {11, 12}, {11, 16}}, {{12, 6}, {12, 12}, {12, 16}},
                 {{13, 6}, {13, 12}, {13, 16}}};
  EXPECT_EQ(Reported([&] { game::CheckMapRecords(map, "m.txt", &notes, false); }),
            (std::vector<std::string>{
                "m.txt:11:16: ID 7 is already carried by wall 1: scripts find only that one",
                "m.txt:12:6: cannot be placed: no wall kind is named \"Stnoe\" (did you mean \"Stone\"?)",
            }));
}

}  // namespace
