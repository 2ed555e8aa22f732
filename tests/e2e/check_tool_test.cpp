// tessera-check on a game folder with one planted fault of every kind it looks for: each is
// listed with its file, line and column; the demo content passes; a start-up error is a problem.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "game/world/map_file.h"
#include "game/world/map_text.h"
#include "tests/support/test_support.h"

namespace {

using testsupport::ProcessResult;

class CheckTool : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = testsupport::ScratchDir(); }
  void Write(const std::string& path, const std::string& text) { testsupport::WriteFile(dir_ / path, text); }
  // The map compiler refuses tiles outside or taken twice; `extra` plants such records afterwards.
  void WriteMap(const std::string& text, const std::function<void(game::TMapFile&)>& extra = {}) {
    game::TMapFile map;
    game::TMapTextError error;
    ASSERT_TRUE(game::MapCompileText(text, "test.txt", &map, &error)) << error.Text();
    if (extra) extra(map);
    std::string reason;
    std::filesystem::create_directories(dir_ / "maps");
    ASSERT_TRUE(game::MapFileSave((dir_ / "maps/proba.map").string(), map, &reason)) << reason;
  }
  ProcessResult Check(std::vector<std::string> args = {}) {
    std::vector<std::string> argv = {testsupport::BinPath("tessera-check").string()};
    argv.insert(argv.end(), args.begin(), args.end());
    return testsupport::RunProcess(argv, dir_);
  }
  static std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  std::filesystem::path dir_;
};

TEST_F(CheckTool, FindsEveryPlantedFaultAtItsFileAndLine) {
  Write("Data/Walls/stone.cro", "NAME = Stone\n");
  Write("Data/Walls/door.cro",
        "NAME = Door\n"
        "MODLE = door.md2\n"
        "[TOUCHSCRIPT]\n"
        "begin\n"
        "  Wall_Open(Wall_ID);\n"
        "end.\n"
        "[/TOUCHSCRIPT]\n");
  Write("Data/Walls/lamp.cro", "NAME = Lamp\nMODEL = lamp.md2\nTEXTURE = lamp.png\n");
  Write("Data/Walls/unnamed.cro", "GHOST = true\n");
  Write("Data/Creatures/orc.cro", "NAME = Orc\nBULLET = Arrow\n");
  Write("Data/Bullets/bolt.cro", "NAME = Bolt\nEFFECT = Smoke\n");
  Write("Data/Items/key.cro",
        "NAME = Key\n"
        "[USESCRIPT]\n"
        "begin\n"
        "  Window_Create('Panel'); Window_Create('Nowhere');\n"
        "  Cr_GiveItem(Cr_ID, 'Sword'); Cr_GiveItem(Cr_ID, 'KEY');\n"
        "  Cr_EffectCreate(Cr_ID, 'Sparks');\n"
        "end.\n"
        "[/USESCRIPT]\n");
  Write("Data/GUI/panel.cro",
        "WINDOW = Panel\n"
        "[CREATESCRIPT]\n"
        "begin Label_Show('Panel', 'Title'); end.\n"
        "[/CREATESCRIPT]\n"
        "BUTTON = Close\n"
        "[CLICKSCRIPT]\n"
        "begin Window_Close('Panel'); Window_Create('Gone'); end.\n"
        "[/CLICKSCRIPT]\n");
  WriteMap("size 5 5\nlegend . Plane grass.jpg\nfloor\n.....\n.....\n.....\n.....\n.....\nend\n"
           "wall Stone 0 0 0 1\n"
           "wall Marble 1 1 0 2\n"
           "wall Stone 3 1 0 3\n"
           "wall Door 0 1 0 4\n"
           "creature Orc 2 2 0 1 0\n"
           "creature Orc 2 3 0 2 1\n"
           "creature Troll 3 3 0 3 1\n"
           "script \"Start Map\" <<END\n"
           "begin // greet\n"
           "  GameMessage('hi' + );\n"
           "end.\n"
           "END\n",
           [](game::TMapFile& map) {
             map.Walls[2].X = 7;      // outside
             map.Walls[3].Y = 0;      // the Door onto the first Stone's tile, with its ID
             map.Walls[3].ID = 1;
             map.Creatures[1].Y = 2;  // the second Orc onto the first one's
           });

  ProcessResult r = Check();
  EXPECT_EQ(r.status, 1) << r.err;
  std::vector<std::string> lines = Lines(r.out);
  auto has = [&](const std::string& prefix, const std::string& part) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) {
      return l.rfind(prefix, 0) == 0 && l.find(part) != std::string::npos;
    });
  };
  EXPECT_TRUE(has("Data/Walls/door.cro:2: ", "unknown key \"MODLE\" (did you mean MODEL?)")) << r.out;
  EXPECT_TRUE(has("Data/Walls/door.cro:5:3: ", "touch script of wall kind \"Door\": Unknown identifier near 'Wall_Open'")) << r.out;
  EXPECT_TRUE(has("Data/Walls/lamp.cro:2: ", "lamp.md2")) << r.out;
  EXPECT_TRUE(has("Data/Walls/lamp.cro:3: ", "lamp.png")) << r.out;
  EXPECT_TRUE(has("Data/Walls/unnamed.cro: ", "no NAME")) << r.out;
  EXPECT_TRUE(has("Data/Creatures/orc.cro:2: ", "BULLET: no bullet kind is named \"Arrow\"")) << r.out;
  EXPECT_TRUE(has("Data/Bullets/bolt.cro:2: ", "EFFECT: no effect kind is named \"Smoke\"")) << r.out;
  EXPECT_TRUE(has("Data/Items/key.cro:4:41: ", "Window_Create: no window is named \"Nowhere\"")) << r.out;
  EXPECT_TRUE(has("Data/Items/key.cro:5:22: ", "Cr_GiveItem: no item kind is named \"Sword\"")) << r.out;
  EXPECT_TRUE(has("Data/Items/key.cro:6:26: ", "Cr_EffectCreate: no effect kind is named \"Sparks\"")) << r.out;
  EXPECT_TRUE(has("Data/GUI/panel.cro:3:7: ", "create script of window \"Panel\": Unknown identifier near 'Label_Show'"))
      << r.out;
  EXPECT_TRUE(has("Data/GUI/panel.cro:7:44: ",
                  "click script of button \"Close\" in window \"Panel\": Window_Create: no window is named \"Gone\""))
      << r.out;
  EXPECT_TRUE(has("maps/proba.map: ", "wall 2 (\"Marble\" on (1, 1), ID 2): cannot be placed: no wall kind is named \"Marble\"")) << r.out;
  EXPECT_TRUE(has("maps/proba.map: ", "wall 3 (\"Stone\" on (7, 1), ID 3): cannot be placed: tile (7, 1) is outside the map")) << r.out;
  EXPECT_TRUE(has("maps/proba.map: ", "wall 4 (\"Door\" on (0, 0), ID 1): cannot be placed: tile (0, 0) already holds wall 1")) << r.out;
  EXPECT_TRUE(has("maps/proba.map: ", "creature 2 (\"Orc\" on (2, 2), ID 2): cannot be placed: tile (2, 2) already holds creature 1")) << r.out;
  EXPECT_TRUE(has("maps/proba.map: ", "creature 3 (\"Troll\" on (3, 3), ID 3): cannot be placed: no creature kind is named \"Troll\"")) << r.out;
  EXPECT_TRUE(has("maps/proba.map:2:", "map script \"Start Map\": ")) << r.out;
  // The game's own floor texture, which this folder lacks, has no kind file to stand at.
  EXPECT_TRUE(has("texture \"Data/Textures/grass.jpg\" cannot be read", "no such file")) << r.out;
  EXPECT_EQ(lines.size(), 19u) << "nothing else, and nothing twice:\n" << r.out;
  EXPECT_NE(r.err.find("19 problems"), std::string::npos) << r.err;
}

TEST_F(CheckTool, TheDemoContentPasses) {
  for (const char* map : {"maps/proba.map", "maps/compound.map"}) {
    ProcessResult r = Check({"--map", map, TESSERA_GAME_DIR});
    EXPECT_EQ(r.status, 0) << map << "\n" << r.out << r.err;
    EXPECT_EQ(r.out, "");
  }
}

TEST_F(CheckTool, AStartUpErrorIsAProblemNamingItsFileAndLine) {
  Write("Data/Walls/stone.cro", "NAME = Stone\nSCALEMODEL = 1,5\n");
  ProcessResult r = Check({dir_.string()});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find((dir_ / "Data/Walls/stone.cro").string() + ":2: '1,5' is not a valid floating point value"),
            std::string::npos) << r.out;

  std::filesystem::remove(dir_ / "Data/Walls/stone.cro");
  r = Check({"--map", "maps/other.map", dir_.string()});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("other.map: File not found"), std::string::npos) << r.out;
  r = Check({"--frobnicate"});
  EXPECT_EQ(r.status, 2);
}

}  // namespace
