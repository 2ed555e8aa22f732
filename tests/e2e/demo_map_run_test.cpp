// Whole-game runs of map loading: the demo map and the demo scenario's map start without a
// message, a map whose wall cannot be placed is reported and the game plays on, and a missing map
// ends the start naming the file.
#include <gtest/gtest.h>

#include <string>

#include "game/world/map_file.h"
#include "game/world/map_text.h"
#include "tests/support/test_support.h"

namespace {

using testsupport::ProcessResult;

class MapRun : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = testsupport::ScratchDir(); }
  ProcessResult Run(std::vector<std::string> extra = {}) {
    std::vector<std::string> argv = {testsupport::BinPath("tessera").string(), "--headless", "--fixed-clock",
                                     "--ticks", "20"};
    argv.insert(argv.end(), extra.begin(), extra.end());
    return testsupport::RunProcess(argv, dir_);
  }
  void WriteMap(const std::string& text, const std::string& path = "maps/proba.map") {
    game::TMapFile map;
    game::TMapTextError error;
    ASSERT_TRUE(game::MapCompileText(text, "test.txt", &map, &error)) << error.Text();
    std::string reason;
    ASSERT_TRUE(game::MapFileSave((dir_ / path).string(), map, &reason)) << reason;
  }
  std::filesystem::path dir_;
};

TEST_F(MapRun, TheDemoMapsStartWithoutAMessage) {
  testsupport::LinkGameContent(dir_);
  for (std::vector<std::string> map : {std::vector<std::string>{}, {"--map", "maps/compound.map"}}) {
    ProcessResult r = Run(map);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err.find("not found"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("Map size"), std::string::npos) << r.err;
  }
}

TEST_F(MapRun, AWallThatCannotBePlacedIsReportedAndTheGamePlaysOn) {
  testsupport::LinkGameContent(dir_, {"Data"});
  std::filesystem::create_directories(dir_ / "maps");
  WriteMap("size 5 5\nlegend . Plane grass.jpg\nfloor\n.....\n.....\n.....\n.....\n.....\nend\n"
           "wall Stone 1 1 0 1\nwall Marble 2 2 0 2\ncreature \"Blue Soldier\" 3 3 0 1 0\n");
  ProcessResult r = Run();
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("Wall \"Marble\" not found."), std::string::npos) << r.err;
}

TEST_F(MapRun, TheMapOptionLoadsAnotherMap) {
  testsupport::LinkGameContent(dir_, {"Data"});
  std::filesystem::create_directories(dir_ / "maps");
  WriteMap("size 3 3\nlegend . Plane grass.jpg\nfloor\n...\n...\n...\nend\nwall Granite 1 1 0 1\n", "other.map");
  ProcessResult r = Run({"--map", "other.map"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("Wall \"Granite\" not found."), std::string::npos) << "the other map was read: " << r.err;
  r = Run({"--map", "nowhere.map"});
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.err.find("nowhere.map"), std::string::npos) << r.err;
}

TEST_F(MapRun, AMissingOrShortMapEndsTheStartNamingTheFile) {
  testsupport::LinkGameContent(dir_, {"Data"});
  ProcessResult r = Run();
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.err.find("maps/proba.map"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("File not found"), std::string::npos) << r.err;

  std::filesystem::create_directories(dir_ / "maps");
  testsupport::WriteBytes(dir_ / "maps/proba.map", {1, 0, 5, 0, 'P', 'l', 'a'});
  r = Run();
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.err.find("maps/proba.map: Read beyond end of file"), std::string::npos) << r.err;
}

}  // namespace
