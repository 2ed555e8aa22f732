// tessera-probe: each query on a small map whose answers are worked out by hand, picking on the
// small test map, and the refusals.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "game/world/map_file.h"
#include "game/world/map_text.h"
#include "tests/support/test_support.h"

namespace {

using testsupport::ProcessResult;

class ProbeTool : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = testsupport::ScratchDir();
    testsupport::LinkGameContent(dir_, {"Data"});
    // A stone wall, a door touched from the tile south of it (its touch tile (1, 0) turned by
    // 90 degrees), a blue soldier (player 0) in the corner and a red one (player 1).
    const char* text =
        "size 6 5\nlegend . Plane grass.jpg\nfloor\n......\n......\n......\n......\n......\nend\n"
        "wall Stone 2 1 0 1\nwall Door 3 3 90 2\n"
        "creature \"Blue Soldier\" 0 0 0 1 0\ncreature \"Red Soldier\" 4 0 180 2 1\n";
    game::TMapFile map;
    game::TMapTextError error;
    ASSERT_TRUE(game::MapCompileText(text, "probe.txt", &map, &error)) << error.Text();
    std::string reason;
    ASSERT_TRUE(game::MapFileSave((dir_ / "small.map").string(), map, &reason)) << reason;
  }
  ProcessResult Probe(std::vector<std::string> queries, const std::string& map = "small.map") {
    std::vector<std::string> argv = {testsupport::BinPath("tessera-probe").string(), "--data", dir_.string(), map};
    argv.insert(argv.end(), queries.begin(), queries.end());
    return testsupport::RunProcess(argv, dir_);
  }
  std::filesystem::path dir_;
};

TEST_F(ProbeTool, DistanceMapsWithAndWithoutATarget) {
  ProcessResult r = Probe({"distance", "1"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "1 2 3 4 -3 8\n"
            "2 3 -1 5 6 7\n"
            "3 4 5 6 7 8\n"
            "4 5 6 -1 8 9\n"
            "5 6 7 8 9 10\n");
  // Toward (1, 1): the wave stops one pass after the one that reached it.
  r = Probe({"distance", "1", "1", "1", "distance", "2"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.substr(0, r.out.find("-3 4 3 2 1 2\n")),
            "1 2 3 4 -3 0\n"
            "2 3 -1 0 0 0\n"
            "3 4 0 0 0 0\n"
            "4 0 0 -1 0 0\n"
            "0 0 0 0 0 0\n")
      << "then the red soldier's map: " << r.out;
}

TEST_F(ProbeTool, AdjustedRouteTargets) {
  ProcessResult r = Probe({"adjust", "1", "3", "3", "1", "adjust", "1", "2", "1", "0", "adjust", "1", "4", "0", "1"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "3 4\n"   // the door's touch tile
            "2 0\n"   // the stone's nearest straight neighbour, rows first
            "3 0\n"); // beside the enemy
}

TEST_F(ProbeTool, ShotMap) {
  ProcessResult r = Probe({"shot", "0", "0", "7"});
  ASSERT_EQ(r.status, 0) << r.err;
  std::vector<std::vector<int>> rows;
  std::istringstream in(r.out);
  for (std::string line; std::getline(in, line);) {
    std::istringstream cells(line);
    rows.emplace_back();
    for (int v; cells >> v;) rows.back().push_back(v);
    ASSERT_EQ(rows.back().size(), 6u) << line;
  }
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0], std::vector<int>(6, 1)) << "creatures never block";
  EXPECT_EQ(rows[1][2], -1);
  EXPECT_EQ(rows[3][3], -1);
  EXPECT_EQ(rows[2][1], 1);
  EXPECT_EQ(rows[2][4], 0) << "behind the stone";
  r = Probe({"shot", "0", "0", "-1"});
  EXPECT_EQ(r.out, "0 0 0 0 0 0\n0 0 -1 0 0 0\n0 0 0 0 0 0\n0 0 0 -1 0 0\n0 0 0 0 0 0\n");
}

TEST_F(ProbeTool, OrdersLeaveLaterQueriesUntouched) {
  ProcessResult r = Probe({"order", "1", "4", "0", "order", "1", "1", "2", "order", "1", "0", "0"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "state 3 route 0 0 next 0 0 angle 0.0000 target 1 atackpoints 1 shots 5\n"
            "state 1 route 1 2 next 0 1 angle 90.0000 target -1 atackpoints 2 shots 6\n"
            "state 0 route 0 0 next 0 0 angle 0.0000 target -1 atackpoints 2 shots 6\n");
}

TEST_F(ProbeTool, PickOnTheDemoMapAndRefusals) {
  std::filesystem::remove(dir_ / "Data");
  ProcessResult r = testsupport::RunProcess(
      {testsupport::BinPath("tessera-probe").string(), "--data", TESSERA_GAME_DIR, "maps/compound.map",
       "pick", "400", "300", "pick", "400", "5"},
      dir_);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "10 10\n10000 10000\n") << "the middle of the window, then the sky";

  testsupport::LinkGameContent(dir_, {"Data"});
  r = Probe({"distance", "9"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("no creature has ID 9"), std::string::npos) << r.err;
  r = Probe({"adjust", "1", "2", "2", "5"});
  EXPECT_EQ(r.status, 2);
  r = Probe({"fly", "1"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("unknown query 'fly'"), std::string::npos) << r.err;
  r = Probe({"pick", "1"});
  EXPECT_EQ(r.status, 2);
  r = Probe({"pick", "1", "1"}, "nowhere.map");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("nowhere.map"), std::string::npos) << r.err;
}

}  // namespace
