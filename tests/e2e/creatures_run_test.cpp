// Whole-game runs of creatures acting, driven by recorded input on small maps with the demo's
// kinds and observed through state dumps: selecting and walking, melee on arrival, shots,
// damage and death, the keys T and E, the AI's turns, --autoplay, and the capture options.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

#include "game/core/camera.h"
#include "game/core/game_core.h"
#include "game/world/registry.h"
#include "tests/support/grass_map.h"
#include "tests/support/state_dump_reader.h"
#include "tests/support/test_support.h"
#include "tests/support/tile_pixel.h"

namespace {

using testsupport::ProcessResult;
using testsupport::StateDumpReader;
using testsupport::TilePixel;

// The runs draw every 8th frame, and the cursor's world point is found in the drawn frames: a
// click's cursor moves 20 ticks before it, and clicks lie at least 25 ticks apart.
constexpr const char* kDrawEvery = "8";
constexpr long kMoveAhead = 20;

// Recorded input, kept in the order of the ticks. Runs that draw more rarely move the cursor
// further ahead of a click.
class Input {
 public:
  explicit Input(long moveAhead = kMoveAhead) : moveAhead_(moveAhead) {}
  Input& Click(long tick, int32_t x, int32_t y, int button = 0) {
    auto [px, py] = TilePixel(x, y);
    std::string at = " " + std::to_string(px) + " " + std::to_string(py);
    Add(tick - moveAhead_, "mouse_move" + at);
    Add(tick, "mouse_down " + std::to_string(button) + at);
    Add(tick + 1, "mouse_up " + std::to_string(button) + at);
    return *this;
  }
  Input& Key(long tick, const char* code) {
    Add(tick, std::string("key_down ") + code);
    Add(tick + 1, std::string("key_up ") + code);
    return *this;
  }
  // The wheel turned toward the screen a few times: the camera comes closer (for pictures).
  Input& ZoomIn(long tick) {
    for (long t = tick; t < tick + 10; ++t) Add(t, "wheel 120");
    return *this;
  }
  std::string Text() const {
    std::vector<std::pair<long, std::string>> sorted = events_;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::string text;
    for (const auto& [tick, line] : sorted) text += std::to_string(tick) + " " + line + "\n";
    return text;
  }

 private:
  void Add(long tick, const std::string& line) {
    EXPECT_GE(tick, 1) << line;
    events_.emplace_back(tick, line);
  }
  long moveAhead_;
  std::vector<std::pair<long, std::string>> events_;
};

class CreaturesRun : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = testsupport::ScratchDir();
    testsupport::LinkGameContent(dir_, {"Data"});
    std::filesystem::create_directories(dir_ / "maps");
  }
  // A 20 x 20 grass map with these wall and creature lines.
  void WriteMap(const std::string& things) {
    ASSERT_EQ(testsupport::WriteGrassMap(dir_ / "maps/proba.map", things), "");
  }
  ProcessResult Run(long ticks, const std::string& input, std::vector<std::string> extra = {}) {
    std::vector<std::string> argv = {testsupport::BinPath("tessera").string(), "--headless", "--fixed-clock",
                                     "--ticks", std::to_string(ticks), "--dump-state", "state.txt",
                                     "--draw-every", kDrawEvery};
    if (!input.empty()) {
      testsupport::WriteFile(dir_ / "input.txt", input);
      argv.insert(argv.end(), {"--input", "input.txt"});
    }
    argv.insert(argv.end(), extra.begin(), extra.end());
    return testsupport::RunProcess(argv, dir_, 600);
  }
  StateDumpReader Dump(const std::string& name = "state.txt") {
    return StateDumpReader(testsupport::ReadFile(dir_ / name));
  }
  std::filesystem::path dir_;
};

TEST_F(CreaturesRun, SelectAndWalkStraightDiagonallyAndAroundAWall) {
  WriteMap("wall Stone 12 8 0 1\n"
           "creature \"Blue Soldier\" 8 10 0 1 0\n");
  Input in;
  in.Click(30, 8, 10).Click(60, 10, 10);  // select, then two tiles east
  in.Click(170, 11, 9);                   // one diagonal step
  in.Click(250, 13, 8);                   // behind the wall: around it
  in.ZoomIn(255);                         // closer, for the picture of the last walk
  ProcessResult r = Run(420, in.Text(), {"--dump-state", "150:walked.txt", "--screenshot", "300:midwalk.png"});
  ASSERT_EQ(r.status, 0) << r.err;

  StateDumpReader walked = Dump("walked.txt");
  EXPECT_EQ(walked.Int("core", "Tick"), 150);
  EXPECT_EQ(walked.Creature(0, "TileX"), 10);
  EXPECT_EQ(walked.Creature(0, "TileY"), 10);
  EXPECT_EQ(walked.Creature(0, "Selected"), 1);
  EXPECT_EQ(walked.Events(), std::vector<std::string>({"\"SelCr\"", "\"CrActed\""}));

  StateDumpReader end = Dump();
  EXPECT_EQ(end.Int("core", "Tick"), 420);
  EXPECT_EQ(end.Creature(0, "State"), 0);
  EXPECT_EQ(end.Creature(0, "TileX"), 13);
  EXPECT_EQ(end.Creature(0, "TileY"), 8);
  EXPECT_EQ(end.Int("players", "player.0.SelectedCreature"), 0);
  EXPECT_GT(testsupport::ReadBytes(dir_ / "midwalk.png").size(), 1000u);
}

TEST_F(CreaturesRun, MeleeOnArrivalAndAShotAtAnEnemyInLineOfFire) {
  WriteMap("creature Beast 6 10 0 1 0\n"
           "creature \"Red Soldier\" 9 10 180 2 1\n"
           "creature \"Blue Soldier\" 6 13 0 3 0\n"
           "creature Beast 12 13 180 4 1\n");
  Input in;
  in.Click(30, 6, 10).Click(60, 9, 10);     // the beast runs up to the soldier and bites
  in.Click(250, 6, 13).Click(280, 12, 13);  // the blue soldier shoots the other beast
  in.ZoomIn(285);                           // closer, for the picture of the round in flight
  ProcessResult r = Run(420, in.Text(), {"--dump-state", "305:flight.txt", "--screenshot", "305:flight.png"});
  ASSERT_EQ(r.status, 0) << r.err;
  StateDumpReader flight = Dump("flight.txt");
  ASSERT_EQ(flight.Int("bullets", "count"), 1);
  EXPECT_EQ(flight.Int("bullets", "bullet.0.Target"), 3);
  EXPECT_EQ(flight.Int("bullets", "bullet.0.Damage"), 4) << "the shooter's shot damage";
  EXPECT_NE(flight.Int("bullets", "bullet.0.EffectID"), 0) << "trailing its smoke";
  EXPECT_GT(flight.Int("effects", "particles"), 3);
  EXPECT_EQ(flight.Creature(3, "Health"), 14) << "not yet landed";
  EXPECT_GT(testsupport::ReadBytes(dir_ / "flight.png").size(), 1000u);
  StateDumpReader d = Dump();
  EXPECT_EQ(d.Creature(0, "TileX"), 8) << "beside the enemy";
  EXPECT_EQ(d.Creature(0, "AtackPoints"), 1);
  EXPECT_EQ(d.Creature(1, "Health"), 10 - 4);
  EXPECT_EQ(d.Creature(2, "TileX"), 6) << "the shooter shot from where it stood";
  EXPECT_EQ(d.Creature(2, "Shots"), 5);
  EXPECT_EQ(d.Creature(3, "Health"), 14 - 4);
  EXPECT_EQ(d.Int("bullets", "count"), 0) << "landed";
}

// A bullet flies to the tile it was fired at and hits its target there or wherever it has gone:
// the beast is shot on the tile it is leaving and walks on under the bullet.
TEST_F(CreaturesRun, ABulletFliesToTheOrderedTileAndStillHitsATargetThatWalkedOn) {
  WriteMap("creature \"Blue Soldier\" 6 10 0 1 0\n"
           "creature Beast 14 10 180 2 1\n");
  Input in;
  in.Key(5, "0x14");     // turn-based at once: nobody walks
  in.Click(30, 6, 10);   // the soldier is selected
  in.Key(40, "0x12");    // E: the AI sends the beast west toward the soldier
  in.Key(60, "0x12");    // E while it walks: the soldier's turn, the beast walks on
  in.Click(120, 13, 10); // not a selection while a creature walks: the soldier fires at the beast
  ProcessResult r = Run(200, in.Text(), {"--dump-state", "140:flight.txt"});
  ASSERT_EQ(r.status, 0) << r.err;

  StateDumpReader flight = Dump("flight.txt");
  EXPECT_EQ(flight.Int("players", "CurrentPlayer"), 0);
  ASSERT_EQ(flight.Int("bullets", "count"), 1);
  EXPECT_EQ(flight.Int("bullets", "bullet.0.Target"), 1);
  EXPECT_EQ(flight.Float("bullets", "bullet.0.Angle"), 0.0) << "east, along row 10";
  EXPECT_NEAR(flight.Float("bullets", "bullet.0.WorldZ"), 20.0, 1e-4);
  EXPECT_NEAR(flight.Float("bullets", "bullet.0.WorldX") + flight.Float("bullets", "bullet.0.DistanceLeft"), 26.0,
              1e-3)
      << "it lands on the centre of tile 13, the tile it was fired at";
  EXPECT_EQ(flight.Creature(1, "TileX"), 12) << "the beast has left that tile";
  EXPECT_EQ(flight.Creature(1, "State"), 1) << "and walks on";
  EXPECT_EQ(flight.Creature(1, "Health"), 14);
  EXPECT_EQ(flight.Creature(0, "Shots"), 5);

  StateDumpReader d = Dump();
  EXPECT_EQ(d.Int("bullets", "count"), 0) << "landed";
  EXPECT_LE(d.Creature(1, "TileX"), 12) << "nowhere near the tile the bullet landed on";
  EXPECT_EQ(d.Creature(1, "Health"), 14 - 4) << "the bullet hits its target wherever it is";
  EXPECT_EQ(d.Creature(0, "TileX"), 6) << "the soldier fired from where it stood";
}

TEST_F(CreaturesRun, KeyTStopsTheWalkersOnTheirNextTileAndOrdersWaitForIt) {
  WriteMap("creature \"Blue Soldier\" 6 9 0 1 0\n"
           "creature \"Blue Soldier\" 6 11 0 2 0\n"
           "creature \"Red Soldier\" 16 16 0 3 1\n");
  Input in;
  in.Click(30, 6, 9).Click(60, 12, 9).Click(90, 6, 11).Click(120, 12, 11);
  in.Key(130, "0x14");     // T while both walk
  in.Click(150, 6, 15);    // ignored: waiting for the walkers
  ProcessResult r = Run(200, in.Text(), {"--dump-state", "155:waiting.txt"});
  ASSERT_EQ(r.status, 0) << r.err;
  StateDumpReader waiting = Dump("waiting.txt");
  EXPECT_EQ(waiting.Int("players", "WaitingForStop"), 1);
  EXPECT_EQ(waiting.Int("players", "TurnBased"), 0);
  StateDumpReader d = Dump();
  EXPECT_EQ(d.Int("players", "TurnBased"), 1);
  EXPECT_EQ(d.Int("players", "WaitingForStop"), 0);
  EXPECT_EQ(d.Creature(0, "TileX"), 8) << "the step under way when T came";
  EXPECT_EQ(d.Creature(1, "TileX"), 7);
  EXPECT_EQ(d.Creature(1, "TileY"), 11) << "the clicked order was ignored";
  std::vector<std::string> events = d.Events();
  EXPECT_EQ(std::count(events.begin(), events.end(), "\"TurnBasedMode\""), 1);
  EXPECT_EQ(std::count(events.begin(), events.end(), "\"SelCr\""), 2);
}

TEST_F(CreaturesRun, KeyEPassesTheTurnAndAWalledOffAiCreatureNeverActs) {
  WriteMap("wall Stone 15 14 0 1\nwall Stone 15 16 0 2\nwall Stone 14 15 0 3\nwall Stone 16 15 0 4\n"
           "wall Stone 14 14 0 5\nwall Stone 16 14 0 6\nwall Stone 14 16 0 7\nwall Stone 16 16 0 8\n"
           "creature \"Red Soldier\" 15 15 0 1 1\n"
           "creature \"Blue Soldier\" 6 10 0 2 0\n");
  Input in;
  in.Key(5, "0x14");                      // turn-based at once: nobody walks
  in.Click(30, 6, 10).Click(60, 8, 10);   // two steps: 2 move points
  in.Key(160, "0x12");                    // E: the AI's turn, which ends by itself
  ProcessResult r = Run(200, in.Text(), {"--dump-state", "150:walked.txt", "--dump-state", "163:ai.txt"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Dump("walked.txt").Creature(1, "MovePoints"), 8 - 2);
  EXPECT_EQ(Dump("ai.txt").Int("players", "CurrentPlayer"), 1);
  StateDumpReader d = Dump();
  EXPECT_EQ(d.Int("players", "CurrentPlayer"), 0) << "0 -> 1 -> 0";
  EXPECT_EQ(d.Int("players", "TurnsEnded"), 2);
  EXPECT_EQ(d.Creature(1, "MovePoints"), 8) << "refilled";
  EXPECT_EQ(d.Creature(0, "TileX"), 15) << "walled off: never acts";
  EXPECT_EQ(d.Creature(0, "Shots"), 6);
}

TEST_F(CreaturesRun, TheAiKillsTheSelectedCreatureAndTheSelectionResets) {
  WriteMap("creature \"Blue Soldier\" 10 11 0 1 0\n"
           "creature Beast 10 8 90 2 1\n");
  Input in(55);           // a long run that draws every 50th frame
  in.Click(60, 10, 11);
  in.Key(70, "0x14");
  in.Key(80, "0x12");     // the beast's first turn: two bites, 8 of 10 health
  in.Key(900, "0x12");    // its second: the third bite kills
  in.ZoomIn(100);         // closer, for the picture of the soldier falling (no clicks follow)
  ProcessResult r = Run(1000, in.Text(), {"--draw-every", "50", "--dump-state", "880:bitten.txt", "--dump-state",
                                          "946:dying.txt", "--screenshot", "946:dying.png"});
  ASSERT_EQ(r.status, 0) << r.err;
  StateDumpReader bitten = Dump("bitten.txt");
  EXPECT_EQ(bitten.Creature(0, "Health"), 2);
  EXPECT_EQ(bitten.Int("players", "CurrentPlayer"), 0);
  StateDumpReader dying = Dump("dying.txt");
  EXPECT_EQ(dying.Creature(0, "State"), 4) << "the damage animation plays";
  EXPECT_EQ(dying.Creature(0, "Alive"), 1);
  EXPECT_GT(testsupport::ReadBytes(dir_ / "dying.png").size(), 1000u);
  StateDumpReader d = Dump();
  EXPECT_EQ(d.Creature(0, "Alive"), 0);
  EXPECT_EQ(d.Creature(0, "Health"), 0);
  EXPECT_EQ(d.Creature(0, "Selected"), 0);
  EXPECT_EQ(d.Int("players", "player.0.SelectedCreature"), -1);
  EXPECT_EQ(d.Int("players", "CurrentPlayer"), 1) << "player 0 has nobody left";
  std::vector<std::string> events = d.Events();
  EXPECT_EQ(std::count(events.begin(), events.end(), "\"SelCr\""), 2)
      << "the click and the return of the turn, not after the death";
  EXPECT_EQ(d.Get("script", "run.0"), "\"block Start Map\"");
  EXPECT_NE(testsupport::ReadFile(dir_ / "state.txt").find("\"block Creature Died\""), std::string::npos);
}

TEST_F(CreaturesRun, AutoplayPlaysTheDemoMatchAndDrawingEveryNthFrameChangesNothing) {
  std::filesystem::remove(dir_ / "maps");
  testsupport::LinkGameContent(dir_, {"maps"});
  // The small test map: eight soldiers of six shots each and no greeting boxes to wait out.
  ProcessResult every = Run(600, "", {"--autoplay", "--map", "maps/compound.map", "--draw-every", "20",
                                      "--dump-state", "every.txt"});
  ASSERT_EQ(every.status, 0) << every.err;
  ProcessResult sparse = Run(600, "", {"--autoplay", "--map", "maps/compound.map", "--draw-every", "57",
                                       "--dump-state", "sparse.txt"});
  ASSERT_EQ(sparse.status, 0) << sparse.err;
  StateDumpReader a = Dump("every.txt"), b = Dump("sparse.txt");
  EXPECT_EQ(a.Int("players", "TurnBased"), 1);
  EXPECT_EQ(a.Int("players", "player.0.Human"), 0);
  long long shots = 0, lost = 0;
  for (int i = 0; i < a.Int("creatures", "count"); ++i) {
    shots += a.Creature(i, "Shots");
    lost += a.Creature(i, "HealthMax") - a.Creature(i, "Health");
    for (const char* field : {"TileX", "TileY", "Health", "State", "Shots", "Alive"})
      EXPECT_EQ(a.Creature(i, field), b.Creature(i, field)) << "creature " << i << " " << field;
  }
  EXPECT_LT(shots, 8 * 6) << "the soldiers fired";
  EXPECT_GT(lost, 0) << "and hit";
  EXPECT_EQ(a.Int("players", "TurnsEnded"), b.Int("players", "TurnsEnded"));
}

TEST_F(CreaturesRun, CapturesThatCannotBeWrittenOrNeverComeEndTheRunWithAnError) {
  WriteMap("creature \"Blue Soldier\" 8 10 0 1 0\n");
  // Found before the run starts.
  ProcessResult r = Run(20, "", {"--dump-state", "10:nowhere/state.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("nowhere/state.txt"), std::string::npos) << r.err;
  EXPECT_FALSE(std::filesystem::exists(dir_ / "state.txt")) << "no run";
  r = Run(20, "", {"--screenshot", "5:nowhere/shot.png"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("nowhere/shot.png"), std::string::npos) << r.err;

  r = Run(20, "", {"--dump-state", "30:late.txt", "--screenshot", "40:late.png"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("late.txt was not written"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("late.png was not written"), std::string::npos) << r.err;
  EXPECT_EQ(Dump().Int("core", "Tick"), 20) << "the final dump is still written";

  r = Run(20, "", {"--screenshot", "19:a.png", "--screenshot", "20:b.png", "--screenshot", "c.png"});
  ASSERT_EQ(r.status, 0) << r.err;
  for (const char* png : {"a.png", "b.png", "c.png"})
    EXPECT_GT(testsupport::ReadBytes(dir_ / png).size(), 1000u) << png;

  r = Run(20, "", {"--draw-every", "0"});
  EXPECT_EQ(r.status, 2);
  r = Run(20, "", {"--dump-state", "0:x.txt"});
  EXPECT_EQ(r.status, 2);
  r = testsupport::RunProcess({testsupport::BinPath("tessera").string(), "--headless", "--draw-every", "3"}, dir_);
  EXPECT_EQ(r.status, 2) << "only with the fixed clock";
}

}  // namespace

namespace {

// The excerpt of docs/state-dump.md against a dump the game writes: every key it shows is there.
// (The document's runnable example is run by the documents' own test.)
TEST(StateDumpDoc, TheExcerptMatchesWhatTheGameWrites) {
  std::string doc = testsupport::ReadFile(std::filesystem::path(TESSERA_SOURCE_DIR) / "docs/state-dump.md");
  std::filesystem::path dir = testsupport::ScratchDir();
  testsupport::LinkGameContent(dir);
  ProcessResult r = testsupport::RunProcess({testsupport::BinPath("tessera").string(), "--headless", "--fixed-clock",
                                             "--ticks", "30", "--autoplay", "--dump-state", "state.txt"},
                                            dir);
  ASSERT_EQ(r.status, 0) << r.err;
  StateDumpReader dump(testsupport::ReadFile(dir / "state.txt"));
  size_t excerpt = doc.find("```\ntessera-state 1\n");
  ASSERT_NE(excerpt, std::string::npos);
  std::istringstream lines(doc.substr(excerpt + 4, doc.find("```", excerpt + 4) - excerpt - 4));
  std::string section;
  int keys = 0;
  for (std::string line; std::getline(lines, line);) {
    if (line == "tessera-state 1" || line == "...") continue;
    if (line.front() == '[') {
      section = line.substr(1, line.size() - 2);
      continue;
    }
    EXPECT_TRUE(dump.Has(section, line.substr(0, line.find(' ')))) << line;
    ++keys;
  }
  EXPECT_GT(keys, 15);
  EXPECT_EQ(dump.Header(), "tessera-state 1");
}

}  // namespace
