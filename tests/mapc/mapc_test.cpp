// tessera-mapc run as a program: compile and decompile through files and pipes, errors and
// exit status.
#include <gtest/gtest.h>

#include <algorithm>

#include "game/world/map_file.h"
#include "tests/support/test_support.h"

namespace {

using testsupport::ProcessResult;

class Mapc : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = testsupport::ScratchDir(); }
  ProcessResult Run(const std::vector<std::string>& args) {
    std::vector<std::string> argv = {testsupport::BinPath("tessera-mapc").string()};
    argv.insert(argv.end(), args.begin(), args.end());
    return testsupport::RunProcess(argv, dir_);
  }
  std::filesystem::path dir_;
};

const char kMap[] =
    "size 3 2  # three across, two down\n"
    "legend . Plane grass.jpg\n"
    "legend ~ Water\n"
    "floor\n"
    ".~.\n"
    "...\n"
    "end\n"
    "wall Stone 1 1 90 5\n"
    "creature Orc 0 0 0 1 0\n"
    "creature \"Orc Chief\" 2 1 180 2 1\n"
    "script \"Start Map\" <<END\n"
    "begin Msg('hello'); end;\n"
    "END\n";

TEST_F(Mapc, CompileDecompileCompileGivesTheSameBytes) {
  testsupport::WriteFile(dir_ / "m.txt", kMap);
  ProcessResult c = Run({"compile", "m.txt", "m.map"});
  ASSERT_EQ(c.status, 0) << c.err;
  EXPECT_EQ(c.err, "");
  ProcessResult d = Run({"decompile", "m.map", "back.txt"});
  ASSERT_EQ(d.status, 0) << d.err;
  ProcessResult c2 = Run({"compile", "back.txt", "again.map"});
  ASSERT_EQ(c2.status, 0) << c2.err;
  EXPECT_EQ(testsupport::ReadBytes(dir_ / "again.map"), testsupport::ReadBytes(dir_ / "m.map"));

  game::TMapFile map;
  std::string error;
  ASSERT_TRUE(game::MapFileLoad((dir_ / "m.map").string(), &map, &error)) << error;
  EXPECT_EQ(map.MapWidth, 2);
  EXPECT_EQ(map.Creatures.size(), 2u);
  EXPECT_EQ(map.CreatureKindNames[1], "Orc Chief");

  // Standard output works for decompiling.
  ProcessResult piped = Run({"decompile", "m.map", "-"});
  ASSERT_EQ(piped.status, 0);
  EXPECT_EQ(piped.out, testsupport::ReadFile(dir_ / "back.txt"));
}

TEST_F(Mapc, FaultsAreReportedWithTheirPlace) {
  std::string bad = kMap;
  bad.replace(bad.find(".~.\n"), 4, ".?.\n");
  testsupport::WriteFile(dir_ / "bad.txt", bad);
  ProcessResult r = Run({"compile", "bad.txt", "out.map"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "bad.txt:5:2: unknown legend character '?'\n");
  EXPECT_FALSE(std::filesystem::exists(dir_ / "out.map")) << "nothing is written for a faulty map";

  testsupport::WriteBytes(dir_ / "short.map", {0x01, 0x00, 0x05});
  r = Run({"decompile", "short.map", "x.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "short.map: Read beyond end of file\n");

  r = Run({"compile", "missing.txt", "x.map"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "missing.txt: cannot read the file\n");
  EXPECT_EQ(Run({"compile", "only-one"}).status, 2);
  EXPECT_EQ(Run({"link", "a", "b"}).status, 2);
  EXPECT_EQ(Run({"--help"}).status, 0);
}

// A game folder of two wall kinds and one creature kind, read by the game's own loaders.
void WriteGameFolder(const std::filesystem::path& game) {
  testsupport::WriteFile(game / "Data/Walls/stone.cro", "NAME = Stone\n");
  testsupport::WriteFile(game / "Data/Walls/gate.cro", "NAME = \"Stone Gate\"\nGHOST\n");
  testsupport::WriteFile(game / "Data/Creatures/orc.cro", "NAME = Orc\nHEALTH = 3\n");
}

const char kDataMap[] =
    "size 4 3\n"                        // 1
    "legend . Plane grass.jpg\n"        // 2
    "legend ~ Water\n"                  // 3
    "floor\n....\n.~..\n....\nend\n"    // 4-8
    "wall stone 0 0 0 1\n"              // 9: the game finds kinds whatever their case
    "wall \"Stone Gate\" 1 0 0 2\n"     // 10
    "wall Stnoe 2 0 0 3\n"              // 11: no such kind
    "wall Stone 3 0 0 2\n"              // 12: ID 2 again
    "creature Orc 0 1 0 2 0\n"          // 13: a creature may share an ID with a wall
    "creature Troll 1 1 0 3 1\n"        // 14: no such kind
    "creature ORC 2 2 0 2 1\n";         // 15: creature ID 2 again

TEST_F(Mapc, DataRefusesUnknownKindsAndRepeatedIdsWithTheirLines) {
  WriteGameFolder(dir_ / "game");
  testsupport::WriteFile(dir_ / "m.txt", kDataMap);
  ProcessResult r = Run({"compile", "--data", "game", "m.txt", "m.map"});
  EXPECT_EQ(r.status, 1);
  // In this order, each on a line of its own (the game's loaders may say more about the folder).
  const char* reports[] = {
      "m.txt:3:10: warning: \"Water\" is not a floor kind of the game (\"Plane\" is): its cells keep what they had\n",
      "m.txt:11:6: no wall kind \"Stnoe\" in game/Data/Walls/ (the kinds there: \"Stone Gate\", \"Stone\")\n",
      "m.txt:12:18: wall ID 2 is already used (first on line 10)\n",
      "m.txt:14:10: no creature kind \"Troll\" in game/Data/Creatures/ (the kinds there: \"Orc\")\n",
      "m.txt:15:20: creature ID 2 is already used (first on line 13)\n"};
  size_t from = 0;
  for (const char* report : reports) {
    size_t at = r.err.find(report, from);
    EXPECT_NE(at, std::string::npos) << report << "in\n" << r.err;
    if (at != std::string::npos) from = at;
  }
  EXPECT_EQ(r.err.find("m.txt:9:"), std::string::npos) << "the kind \"stone\" is found as the game finds it";
  EXPECT_FALSE(std::filesystem::exists(dir_ / "m.map"));

  // Without --data the compiler knows no kinds and no IDs, as before.
  r = Run({"compile", "m.txt", "m.map"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");

  // Put right, the map compiles; a floor kind the game lacks stays a warning.
  std::string fixed = kDataMap;
  fixed.replace(fixed.find("Stnoe 2 0 0 3"), 13, "Stone 2 0 0 3");
  fixed.replace(fixed.find("Stone 3 0 0 2"), 13, "Stone 3 0 0 4");
  fixed.replace(fixed.find("Troll 1 1 0 3"), 13, "Orc 1 1 0 3");
  fixed.replace(fixed.find("ORC 2 2 0 2"), 11, "ORC 2 2 0 4");
  testsupport::WriteFile(dir_ / "fixed.txt", fixed);
  r = Run({"compile", "--data", "game", "fixed.txt", "fixed.map"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("fixed.txt:3:10: warning: \"Water\""), std::string::npos) << r.err;
  EXPECT_TRUE(std::filesystem::exists(dir_ / "fixed.map"));
}

// What the compiler takes only with as-is is refused against the game's data: the game would stop
// loading there. The line is the record's.
TEST_F(Mapc, DataRefusesWhatTheGameCannotPlace) {
  WriteGameFolder(dir_ / "game");
  std::string text =
      "size 4 3\nlegend . Plane grass.jpg\nfloor\n....\n....\n....\nend\n"  // 1-7
         "wall Stone 0 0 0 1\n"                                                // 8
         "wall Stone 9 9 0 2 as-is\n"                                          // 9
         "creature Orc 1 1 0 1 0\n";                                           // 10
  testsupport::WriteFile(dir_ / "odd.txt", text);
  ProcessResult r = Run({"compile", "--data", "game", "odd.txt", "odd.map"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("odd.txt:9:12: warning: the game cannot place this wall"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("odd.txt:9:12: the game stops loading the map here: Wall \"Stone\" not found.\n"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(Run({"compile", "odd.txt", "odd.map"}).status, 0) << "without --data a warning only";

  r = Run({"compile", "--data", "nowhere", "odd.txt", "odd.map"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("nowhere: there is no Data/ folder here"), std::string::npos) << r.err;
  testsupport::WriteFile(dir_ / "bad/Data/Walls/w.cro", "NAME = W\nSCALEMODEL = 1,5\n");
  r = Run({"compile", "--data", "bad", "odd.txt", "odd.map"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("w.cro:2: '1,5' is not a valid floating point value"), std::string::npos) << r.err;
  EXPECT_EQ(Run({"compile", "odd.txt", "odd.map", "--data"}).status, 2);
  EXPECT_EQ(Run({"decompile", "--data", "game", "odd.map", "x.txt"}).status, 2);
}

// A map the game reads but the compiler refuses as written decompiles to text that compiles back
// to the same bytes, with the oddities warned about on their lines of the text.
TEST_F(Mapc, DecompilingAnOddMapWarnsAndRoundTrips) {
  game::TMapFile map;
  map.MapWidth = map.MapHeight = 1;
  map.FloorKindNames = {"Plane"};
  map.FloorTextureNames = {"grass.jpg"};
  map.WallKindNames = {"Stone"};
  map.CreatureKindNames = {"Orc"};
  map.Cells.resize(4);
  map.Walls = {{0, 5, 0, 0, 1}};
  map.Creatures = {{0, 1, 1, 0, 1, 255}};
  std::string error;
  ASSERT_TRUE(game::MapFileSave((dir_ / "odd.map").string(), map, &error)) << error;
  ProcessResult d = Run({"decompile", "odd.map", "odd.txt"});
  ASSERT_EQ(d.status, 0) << d.err;
  std::string text = testsupport::ReadFile(dir_ / "odd.txt");
  auto lineOf = [&](const std::string& line) {
    size_t at = text.find("\n" + line + "\n");
    return at == std::string::npos ? -1 : 2 + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<long>(at), '\n'));
  };
  int wallLine = lineOf("wall \"Stone\" 5 0 0 1 as-is");
  int creatureLine = lineOf("creature \"Orc\" 1 1 0 1 255 as-is");
  ASSERT_GT(wallLine, 0) << text;
  ASSERT_GT(creatureLine, 0) << text;
  EXPECT_NE(d.err.find("odd.txt:" + std::to_string(wallLine) +
                       ": warning: the game cannot place this wall: tile (5, 0) is outside the map"),
            std::string::npos)
      << d.err << text;
  EXPECT_NE(d.err.find("odd.txt:" + std::to_string(creatureLine) + ": warning: owner 255 is not a player (0 to 3)"),
            std::string::npos)
      << d.err;
  ProcessResult c = Run({"compile", "odd.txt", "again.map"});
  ASSERT_EQ(c.status, 0) << c.err;
  EXPECT_EQ(testsupport::ReadBytes(dir_ / "again.map"), testsupport::ReadBytes(dir_ / "odd.map"));

  // A negative wall count reads as none; the text cannot keep it, and says so.
  std::vector<uint8_t> bytes = testsupport::ReadBytes(dir_ / "again.map");
  game::TMapFile noWalls = map;
  noWalls.Walls.clear();
  std::vector<uint8_t> plain;
  ASSERT_TRUE(game::MapFileWrite(noWalls, &plain, &error));
  // The wall count follows the cells: find it by writing the map without walls and comparing.
  size_t at = 0;
  while (at < plain.size() && plain[at] == bytes[at]) ++at;
  ASSERT_LT(at + 4, plain.size());
  plain[at] = plain[at + 1] = plain[at + 2] = plain[at + 3] = 0xFF;
  testsupport::WriteBytes(dir_ / "negative.map", plain);
  d = Run({"decompile", "negative.map", "negative.txt"});
  ASSERT_EQ(d.status, 0) << d.err;
  EXPECT_NE(d.err.find("negative.map: warning: the text compiles to other bytes from byte " + std::to_string(at)),
            std::string::npos)
      << d.err;
}

}  // namespace
