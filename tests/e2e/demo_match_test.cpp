// The first minutes of a demo match as a newcomer plays them, by recorded input on the map the game
// starts: the welcome boxes answered, a rifleman selected and walked, a key handed to a neighbour
// by drag and drop, the hall door and the south door opened by touch, a beast shot dead and its
// death counted by the map's script, a medkit used, T and its notice, turns ended by key and by
// the panel's button, and the computer's turn watched, in which a beast bites; and a rifleman who
// has spent his rounds on the beasts of the den striking one of them dead. Checked through
// state dumps at chosen ticks and through pictures compared with the committed references in
// tests/e2e/reference/ (the pictures of a run are written to test-artifacts/demo_match/ for
// looking at).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "engine/textures.h"
#include "engine/textures_png.h"
#include "game/core/camera.h"
#include "game/core/game_core.h"
#include "game/world/registry.h"
#include "tests/support/state_dump_reader.h"
#include "tests/support/test_support.h"
#include "tests/support/tile_pixel.h"

namespace {

namespace fs = std::filesystem;
using testsupport::ProcessResult;
using testsupport::StateDumpReader;

// The window pixel (y from the top) over the point `height` above the centre of tile (x, y) with
// the camera where the map's "Start Map" block puts it. A creature or a door is clicked on its
// body: a wall in front may hide the floor under it, and the model nearest the eye takes the
// click. A floor tile is checked against the game's own picking.
std::pair<int, int> TilePixel(int32_t x, int32_t y, float height = 0.0f, float offsetX = 0.0f, float offsetZ = 0.0f) {
  static const std::vector<float> cam = [] {
    std::string map = testsupport::ReadFile(fs::path(TESSERA_SOURCE_DIR) / "content/maps/demo.txt");
    std::smatch m;
    const std::string n = "\\s*(-?[0-9.]+)\\s*";
    EXPECT_TRUE(std::regex_search(map, m, std::regex("Cam_SetPos\\(" + n + "," + n + "," + n + "," + n + "," + n + "\\)")));
    std::vector<float> v;
    for (size_t i = 1; i < m.size(); ++i) v.push_back(std::stof(m[i]));
    return v;
  }();
  if (cam.size() != 5) return {0, 0};
  game::TGmCamera& camera = game::GmCamera();
  camera.Camera.Position = {cam[0], cam[1], cam[2]};
  eng::CameraLookAt(camera.Camera, {cam[3], 0.0f, cam[4]}, {0.0f, 1.0f, 0.0f});
  auto [px, py] = testsupport::WorldPixel(2.0 * x + offsetX, height, 2.0 * y + offsetZ);
  if (height != 0.0f) return {px, py};
  game::Registry().MapWidth = game::Registry().MapHeight = 29;
  game::Core().CursorWorldPoint = game::UnprojectWindowPixel(px, py, 800, 600);
  game::PickFloorTile(camera.Camera.Position);
  EXPECT_EQ(game::Core().CursorTileX, x) << "pixel " << px << "," << py;
  EXPECT_EQ(game::Core().CursorTileY, y) << "pixel " << px << "," << py;
  return {px, py};
}

// Where the GUI puts what the recording clicks (800 x 600): the message box's OK, the creature
// panel's item slots and its "End turn" button (Data/GUI/panel.cro, in the lower left corner), and
// the turn-based notice's OK (Data/GUI/notice.cro).
constexpr int kMessageOK[2] = {400, 318};
constexpr int kPanelSlot1[2] = {220, 546};
constexpr int kPanelEndTurn[2] = {450, 546};
constexpr int kNoticeOK[2] = {400, 60};

// The runs draw every 8th frame; the cursor's tile is found in drawn frames, so the mouse comes to
// a tile 20 ticks before it is pressed there.
constexpr const char* kDrawEvery = "8";
constexpr long kMoveAhead = 20;

class Recording {
 public:
  static constexpr float kBody = 1.0f;
  Recording& Click(long tick, int32_t x, int32_t y) { return ClickTile(tick, x, y, 0.0f); }
  // A creature, a door or a wall on tile (x, y): clicked on its body.
  Recording& ClickOn(long tick, int32_t x, int32_t y) { return ClickTile(tick, x, y, kBody); }
  Recording& ClickTile(long tick, int32_t x, int32_t y, float height, float offsetX = 0.0f, float offsetZ = 0.0f) {
    auto [px, py] = TilePixel(x, y, height, offsetX, offsetZ);
    return ClickAt(tick, px, py, kMoveAhead);
  }
  Recording& ClickAt(long tick, int px, int py, long ahead = 5) {
    std::string at = " " + std::to_string(px) + " " + std::to_string(py);
    Add(tick - ahead, "mouse_move" + at);
    Add(tick, "mouse_down 0" + at);
    Add(tick + 2, "mouse_up 0" + at);
    return *this;
  }
  // Pressed on a GUI point, carried to tile (x, y) and let go there long enough after for a drawn
  // frame to have found the tile.
  Recording& Drag(long tick, const int (&from)[2], int32_t x, int32_t y) {
    auto [px, py] = TilePixel(x, y, kBody);
    std::string start = " " + std::to_string(from[0]) + " " + std::to_string(from[1]);
    std::string end = " " + std::to_string(px) + " " + std::to_string(py);
    Add(tick - 5, "mouse_move" + start);
    Add(tick, "mouse_down 0" + start);
    Add(tick + 2, "mouse_move" + end);
    Add(tick + 30, "mouse_up 0" + end);
    return *this;
  }
  Recording& Key(long tick, const char* code) {
    Add(tick, std::string("key_down ") + code);
    Add(tick + 1, std::string("key_up ") + code);
    return *this;
  }
  std::string Text() const {
    std::vector<std::pair<long, std::string>> sorted = events_;
    std::stable_sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::string text;
    for (const auto& [tick, line] : sorted) text += std::to_string(tick) + " " + line + "\n";
    return text;
  }

 private:
  void Add(long tick, const std::string& line) { events_.emplace_back(tick, line); }
  std::vector<std::pair<long, std::string>> events_;
};

// Two pictures alike when seen from a step back: both are cut into 8 x 8 blocks and the mean colour
// of each block compared, which lets edges and filtering move by a pixel or change a little between
// rasterisers. The frame counter in the top left corner is left out: it counts real time.
struct Likeness {
  size_t blocks = 0, differing = 0;  // blocks whose mean differs by more than 24 levels in a channel
  double meanDifference = 0.0;       // over all blocks and channels
};

Likeness Compare(const eng::TImage& a, const eng::TImage& b) {
  Likeness l;
  double total = 0.0;
  for (int by = 0; by + 8 <= a.Height; by += 8)
    for (int bx = 0; bx + 8 <= a.Width; bx += 8) {
      if (bx < 120 && by < 24) continue;
      double sum[2][3] = {};
      for (int y = by; y < by + 8; ++y)
        for (int x = bx; x < bx + 8; ++x)
          for (int c = 0; c < 3; ++c) {
            size_t i = (static_cast<size_t>(y) * a.Width + static_cast<size_t>(x)) * 4 + static_cast<size_t>(c);
            sum[0][c] += a.Pixels[i];
            sum[1][c] += b.Pixels[i];
          }
      bool differs = false;
      for (int c = 0; c < 3; ++c) {
        double d = std::fabs(sum[0][c] - sum[1][c]) / 64.0;
        total += d;
        differs = differs || d > 24.0;
      }
      ++l.blocks;
      l.differing += differs;
    }
  l.meanDifference = l.blocks ? total / (3.0 * static_cast<double>(l.blocks)) : 0.0;
  return l;
}

class DemoMatch : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(fs::path(TESSERA_GAME_DIR) / "maps/proba.map"))
      GTEST_SKIP() << "the demo content has not been built into " << TESSERA_GAME_DIR;
    dir_ = testsupport::ScratchDir();
    testsupport::LinkGameContent(dir_);
  }
  // The game as ./run.sh starts it (no --map), with the recording, the dumps at `dumps` and the
  // pictures at `shots` (dN.txt and sN.png).
  ProcessResult Play(const Recording& input, long ticks, const std::vector<long>& dumps,
                     const std::vector<long>& shots) {
    testsupport::WriteFile(dir_ / "input.txt", input.Text());
    std::vector<std::string> argv = {testsupport::BinPath("tessera").string(),
                                     "--headless",
                                     "--fixed-clock",
                                     "--seed",
                                     "1",
                                     "--draw-every",
                                     kDrawEvery,
                                     "--ticks",
                                     std::to_string(ticks),
                                     "--input",
                                     "input.txt"};
    for (long t : dumps) argv.insert(argv.end(), {"--dump-state", std::to_string(t) + ":d" + std::to_string(t) + ".txt"});
    for (long t : shots) argv.insert(argv.end(), {"--screenshot", std::to_string(t) + ":s" + std::to_string(t) + ".png"});
    return testsupport::RunProcess(argv, dir_, 1800);
  }
  StateDumpReader Dump(long tick) const {
    return StateDumpReader(testsupport::ReadFile(dir_ / ("d" + std::to_string(tick) + ".txt")));
  }
  // The index of the creature with this ID in a dump, or -1.
  static int Index(const StateDumpReader& d, int id) {
    for (int i = 0; i < d.Int("creatures", "count"); ++i)
      if (d.Creature(i, "ID") == id) return i;
    ADD_FAILURE() << "no creature " << id;
    return -1;
  }
  static int WallIndex(const StateDumpReader& d, int id) {
    for (int i = 0; i < d.Int("walls", "count"); ++i)
      if (d.Int("walls", "wall." + std::to_string(i) + ".ID") == id) return i;
    ADD_FAILURE() << "no wall " << id;
    return -1;
  }
  static long long Of(const StateDumpReader& d, int id, const std::string& field) {
    int i = Index(d, id);
    return i < 0 ? -1 : d.Creature(i, field);
  }
  // What the creature carries, "NAME COUNT" joined by commas, from the dump's items section.
  static std::string ItemsOf(const StateDumpReader& d, int id) {
    int i = Index(d, id);
    if (i < 0) return "?";
    std::string key = "creature." + std::to_string(i) + ".item", text;
    for (long long n = 0; n < d.Int("items", "creature." + std::to_string(i) + ".items"); ++n) {
      std::string name = d.Get("items", key + "." + std::to_string(n) + ".Name");
      if (!text.empty()) text += ",";
      text += name.substr(1, name.size() - 2) + " " + d.Get("items", key + "." + std::to_string(n) + ".Count");
    }
    return text;
  }
  // A script integer by name; a failure and -1 when the scripts never set it.
  static long long ScriptInt(const StateDumpReader& d, const std::string& name) {
    for (long long n = 0; n < d.Int("script", "ints"); ++n)
      if (d.Get("script", "int." + std::to_string(n) + ".Name") == "\"" + name + "\"")
        return d.Int("script", "int." + std::to_string(n) + ".Value");
    ADD_FAILURE() << "no script integer " << name;
    return -1;
  }
  static std::vector<std::string> Windows(const StateDumpReader& d) {
    std::vector<std::string> out;
    for (long long n = 0; n < d.Int("gui", "windows"); ++n) {
      std::string name = d.Get("gui", "window." + std::to_string(n) + ".Name");
      out.push_back(name.substr(1, name.size() - 2));
    }
    return out;
  }
  static bool WallOpen(const StateDumpReader& d, int id) {
    int i = WallIndex(d, id);
    return i >= 0 && d.Int("walls", "wall." + std::to_string(i) + ".Ghost") == 1;
  }
  static std::vector<std::string> List(const StateDumpReader& d, const std::string& section, const std::string& count,
                                       const std::string& item) {
    std::vector<std::string> out;
    for (long long i = 0; i < d.Int(section, count); ++i) out.push_back(d.Get(section, item + "." + std::to_string(i)));
    return out;
  }
  static long Count(const std::vector<std::string>& list, const std::string& value) {
    return std::count(list.begin(), list.end(), value);
  }
  // The picture of tick `tick` against its reference, and kept for looking at.
  void ExpectLikeReference(long tick, const std::string& name) {
    fs::path shot = dir_ / ("s" + std::to_string(tick) + ".png");
    fs::path keep = fs::path(TESSERA_BINARY_DIR) / "test-artifacts/demo_match" / (name + ".png");
    fs::create_directories(keep.parent_path());
    fs::copy_file(shot, keep, fs::copy_options::overwrite_existing);
    eng::TImage actual, reference;
    ASSERT_TRUE(eng::PngLoadFromFile(shot.string(), &actual)) << shot;
    fs::path ref = fs::path(TESSERA_SOURCE_DIR) / "tests/e2e/reference" / (name + ".png");
    ASSERT_TRUE(eng::PngLoadFromFile(ref.string(), &reference)) << ref << " (this run's picture: " << keep << ")";
    ASSERT_EQ(actual.Width, reference.Width);
    ASSERT_EQ(actual.Height, reference.Height);
    Likeness l = Compare(actual, reference);
    EXPECT_LE(l.differing * 100, l.blocks * 2) << name << ": " << l.differing << " of " << l.blocks
                                               << " blocks differ (this run's picture: " << keep << ")";
    EXPECT_LE(l.meanDifference, 4.0) << name << " (this run's picture: " << keep << ")";
  }

  fs::path dir_;
};

}  // namespace


// The first minutes as a newcomer plays them, as one recording. In real time: the welcome
// answered; rifleman 1 walked up to rifleman 2 and its key dragged from the panel onto him;
// rifleman 4 through the hall door, which opens at his touch, across the yard to the south door,
// which opens too, and two shots at the beast outside; rifleman 1 uses its medkit, follows, and
// two more shots kill the beast, which the map's "Creature Died" block counts. Then T, the
// notice answered, the turn ended by the panel's button, and the computer's beasts on the move.
TEST_F(DemoMatch, FirstMinutes) {
  Recording in;
  in.ClickAt(20, kMessageOK[0], kMessageOK[1]).ClickAt(40, kMessageOK[0], kMessageOK[1]);
  in.ClickAt(60, kMessageOK[0], kMessageOK[1]);
  in.ClickOn(100, 4, 15).Click(130, 5, 15);  // rifleman 1 steps up beside rifleman 2
  in.Drag(200, kPanelSlot1, 6, 15);          // its key onto rifleman 2
  in.ClickOn(260, 7, 18);                    // rifleman 4
  // The hall door, on the ground at its north-east corner: the wall south of it hides the rest.
  in.ClickTile(290, 9, 18, 0.0f, 0.8f, -0.8f);
  in.ClickOn(420, 12, 25);  // through it and across the yard to the south door
  in.ClickOn(900, 13, 28);  // the beast behind it, twice
  in.ClickOn(980, 13, 28);
  in.Click(1060, 10, 27);   // out of the doorway
  in.ClickOn(1200, 5, 15);  // rifleman 1
  in.Drag(1230, kPanelSlot1, 5, 15);  // its medkit onto itself
  in.ClickOn(1300, 13, 28);           // after the beast: it shoots once in line of fire
  in.ClickOn(1900, 13, 28);
  in.Key(2050, "0x14");  // T
  in.ClickAt(2090, kNoticeOK[0], kNoticeOK[1]);
  in.ClickAt(2150, kPanelEndTurn[0], kPanelEndTurn[1]);
  ProcessResult r = Play(in, 2700, {250, 400, 850, 1100, 1300, 2000, 2080, 2700}, {1000, 2080, 2700});
  ASSERT_EQ(r.status, 0) << r.err;

  // The key changed hands; the welcome's three messages were answered and the panel is open.
  StateDumpReader handed = Dump(250);
  EXPECT_EQ(handed.Int("gui", "GameFrozen"), 0);
  EXPECT_EQ(handed.Int("gui", "messages"), 3);
  EXPECT_EQ(Windows(handed), std::vector<std::string>({"Briefing", "CrPanel"}));
  EXPECT_EQ(Of(handed, 1, "TileX"), 5);
  EXPECT_EQ(Of(handed, 1, "TileY"), 15);
  EXPECT_EQ(ItemsOf(handed, 1), "Medkit 1");
  EXPECT_EQ(ItemsOf(handed, 2), "Medkit 1,Key 1");
  EXPECT_EQ(handed.Int("players", "player.0.SelectedCreature"), Index(handed, 1));

  // One touch opened the hall door, the next the south door.
  StateDumpReader hall = Dump(400);
  EXPECT_TRUE(WallOpen(hall, 50));
  EXPECT_FALSE(WallOpen(hall, 52));
  EXPECT_EQ(Of(hall, 4, "TileX"), 8);
  EXPECT_EQ(ScriptInt(hall, "Touches"), 1);
  StateDumpReader south = Dump(850);
  EXPECT_TRUE(WallOpen(south, 52));
  EXPECT_EQ(Of(south, 4, "TileX"), 12);
  EXPECT_EQ(Of(south, 4, "TileY"), 24);
  EXPECT_EQ(ScriptInt(south, "Touches"), 2);
  EXPECT_EQ(south.Int("players", "TurnBased"), 0);

  // Two shots of 4 from rifleman 4: his action points are spent, the beast is at 6.
  StateDumpReader shot = Dump(1100);
  EXPECT_EQ(Of(shot, 21, "Health"), 14 - 2 * 4);
  EXPECT_EQ(Of(shot, 4, "Shots"), 6 - 2);
  EXPECT_EQ(Of(shot, 4, "AtackPoints"), 0);

  // The medkit's use script ran and the medkit is gone (at full health it heals nothing).
  StateDumpReader healed = Dump(1300);
  EXPECT_EQ(ScriptInt(healed, "MedkitsUsed"), 1);
  EXPECT_EQ(ItemsOf(healed, 1), "");
  EXPECT_EQ(Of(healed, 1, "Health"), 10);

  // Rifleman 1's two shots killed the beast; "Creature Died" counted both sides again.
  StateDumpReader died = Dump(2000);
  EXPECT_EQ(Of(died, 21, "Alive"), 0);
  EXPECT_EQ(Of(died, 21, "Health"), 0);
  EXPECT_EQ(Of(died, 1, "Shots"), 6 - 2);
  EXPECT_EQ(ScriptInt(died, "Theirs"), 9);
  EXPECT_EQ(ScriptInt(died, "Ours"), 10);
  std::vector<std::string> runs = List(died, "script", "runs", "run");
  EXPECT_EQ(Count(runs, "\"block Creature Died\""), 1);
  EXPECT_EQ(Count(runs, "\"use script of item \\\"Medkit\\\"\""), 1);
  EXPECT_EQ(died.Int("players", "TurnBased"), 0);

  // T: turn-based play at once (nobody walks) and its notice, still waiting for OK.
  StateDumpReader turns = Dump(2080);
  EXPECT_EQ(turns.Int("players", "TurnBased"), 1);
  EXPECT_EQ(turns.Int("players", "CurrentPlayer"), 0);
  EXPECT_EQ(Count(turns.Events(), "\"TurnBasedMode\""), 1);
  EXPECT_EQ(Count(Windows(turns), "TurnNotice"), 1);

  // The panel's button ended the turn: the computer moves its beasts, the player's panel is gone.
  StateDumpReader computer = Dump(2700);
  EXPECT_EQ(computer.Int("players", "CurrentPlayer"), 1);
  EXPECT_EQ(computer.Int("players", "TurnsEnded"), 1);
  EXPECT_NE(Of(computer, 22, "TileX"), 4) << "the beast from the den is on its way";
  EXPECT_EQ(Count(Windows(computer), "CrPanel"), 0);

  ExpectLikeReference(1000, "demo_match_first_shot");
  ExpectLikeReference(2080, "demo_match_turn_notice");
  ExpectLikeReference(2700, "demo_match_computer_turn");
}

// The likeness is loose enough for another rasteriser, and still tells apart two moments of the
// match that differ only in the windows shown and a few figures moved.
TEST(DemoMatchPictures, TheToleranceSeesTheWindowsComeAndGo) {
  fs::path dir = fs::path(TESSERA_SOURCE_DIR) / "tests/e2e/reference";
  eng::TImage notice, computer;
  ASSERT_TRUE(eng::PngLoadFromFile((dir / "demo_match_turn_notice.png").string(), &notice));
  ASSERT_TRUE(eng::PngLoadFromFile((dir / "demo_match_computer_turn.png").string(), &computer));
  ASSERT_EQ(notice.Width, computer.Width);
  ASSERT_EQ(notice.Height, computer.Height);
  Likeness same = Compare(notice, notice);
  EXPECT_EQ(same.differing, 0u);
  Likeness l = Compare(notice, computer);
  EXPECT_GT(l.differing * 100, l.blocks * 2) << l.differing << " of " << l.blocks;
}

// The computer's turn when a soldier stands in the open south door: the beast outside runs up
// and bites him.
TEST_F(DemoMatch, TheBeastAtTheSouthDoorBitesInTheComputersTurn) {
  Recording in;
  in.ClickAt(20, kMessageOK[0], kMessageOK[1]).ClickAt(40, kMessageOK[0], kMessageOK[1]);
  in.ClickAt(60, kMessageOK[0], kMessageOK[1]);
  in.ClickOn(100, 7, 18);
  in.ClickTile(130, 9, 18, 0.0f, 0.8f, -0.8f);  // the hall door
  in.ClickOn(260, 12, 25);                       // the south door
  in.Key(850, "0x14");                           // T
  in.ClickAt(880, kNoticeOK[0], kNoticeOK[1]);
  in.Key(920, "0x12");                           // E
  ProcessResult r = Play(in, 1200, {900, 950, 1200}, {1100});
  ASSERT_EQ(r.status, 0) << r.err;

  StateDumpReader notice = Dump(900);
  EXPECT_EQ(notice.Int("players", "TurnBased"), 1);
  EXPECT_EQ(notice.Int("players", "CurrentPlayer"), 0);
  EXPECT_TRUE(WallOpen(notice, 52));
  // E: the computer's turn; the beast is the first of its creatures and makes for the soldier.
  StateDumpReader turn = Dump(950);
  EXPECT_EQ(turn.Int("players", "CurrentPlayer"), 1);
  EXPECT_EQ(turn.Int("players", "TurnsEnded"), 1);
  EXPECT_EQ(Of(turn, 21, "OrderX"), 12);
  EXPECT_EQ(Of(turn, 21, "OrderY"), 24);
  // In the doorway it bites with both its action points, 4 each.
  StateDumpReader bitten = Dump(1200);
  EXPECT_EQ(Of(bitten, 21, "TileX"), 12);
  EXPECT_EQ(Of(bitten, 21, "TileY"), 25);
  EXPECT_EQ(Of(bitten, 21, "AtackPoints"), 0);
  EXPECT_EQ(Of(bitten, 4, "Health"), 10 - 2 * 4);
  EXPECT_EQ(Of(bitten, 4, "Alive"), 1);
  EXPECT_EQ(bitten.Int("players", "CurrentPlayer"), 1);
  ExpectLikeReference(1100, "demo_match_bite");
}

// Only a creature without rounds strikes (one with rounds shoots an enemy beside it), so rifleman
// 1 spends his six on two beasts of the den, three each, through the north gate his key opens,
// with his action points filled up by four presses of E in real time. Then he walks up to one of
// them and his rifle butt kills it.
TEST_F(DemoMatch, ARiflemanOutOfRoundsStrikesABeastDead) {
  Recording in;
  in.ClickAt(20, kMessageOK[0], kMessageOK[1]).ClickAt(40, kMessageOK[0], kMessageOK[1]);
  in.ClickAt(60, kMessageOK[0], kMessageOK[1]);
  in.ClickOn(100, 4, 15);            // rifleman 1
  in.Drag(130, kPanelSlot1, 4, 15);  // his key taken in hand, which a message says
  in.ClickAt(190, kMessageOK[0], kMessageOK[1]);
  in.ClickOn(240, 5, 12);  // the north gate
  in.ClickOn(400, 6, 7);   // beast 23, twice
  in.ClickOn(480, 6, 7);
  for (long t = 540; t < 560; t += 5) in.Key(t, "0x12");  // E four times: his points again
  in.ClickOn(580, 6, 7);                                  // beast 23 once more
  in.ClickOn(660, 4, 5);                                  // beast 22: a step north brings it into range
  for (long t = 800; t < 820; t += 5) in.Key(t, "0x12");
  in.ClickOn(840, 4, 5);  // beast 22, twice: his last rounds
  in.ClickOn(920, 4, 5);
  for (long t = 980; t < 1000; t += 5) in.Key(t, "0x12");
  in.ClickOn(1020, 6, 7);  // beast 23: he walks up and strikes
  ProcessResult r = Play(in, 1300, {400, 1000, 1200, 1300}, {1300});
  ASSERT_EQ(r.status, 0) << r.err;

  // The key opened the north gate and stays in its lock.
  StateDumpReader gate = Dump(400);
  EXPECT_TRUE(WallOpen(gate, 53));
  EXPECT_EQ(ItemsOf(gate, 1), "Medkit 1");
  EXPECT_EQ(Of(gate, 1, "TileX"), 5);
  EXPECT_EQ(Of(gate, 1, "TileY"), 13);
  // Six shots of 4, three on each beast; his points are full again, his rounds gone.
  StateDumpReader spent = Dump(1000);
  EXPECT_EQ(Of(spent, 1, "Shots"), 0);
  EXPECT_EQ(Of(spent, 1, "AtackPoints"), 2);
  EXPECT_EQ(Of(spent, 22, "Health"), 14 - 3 * 4);
  EXPECT_EQ(Of(spent, 23, "Health"), 14 - 3 * 4);
  EXPECT_EQ(spent.Int("players", "CurrentPlayer"), 0);
  EXPECT_EQ(spent.Int("players", "TurnsEnded"), 12);
  EXPECT_EQ(spent.Int("players", "TurnBased"), 0);
  // On his way to beast 23, with no round in flight: nothing takes its last 2 points but his blow.
  StateDumpReader walking = Dump(1200);
  EXPECT_EQ(Of(walking, 1, "State"), 1);
  EXPECT_EQ(walking.Int("bullets", "count"), 0);
  EXPECT_EQ(Of(walking, 23, "Health"), 2);
  EXPECT_EQ(Of(walking, 23, "Alive"), 1);
  EXPECT_EQ(Of(walking, 1, "AtackPoints"), 2);
  // One blow of 2, one action point, no round: the beast is dead and the map's script counted it.
  StateDumpReader struck = Dump(1300);
  EXPECT_EQ(Of(struck, 1, "TileX"), 5);
  EXPECT_EQ(Of(struck, 1, "TileY"), 7);
  EXPECT_EQ(Of(struck, 1, "AtackPoints"), 1);
  EXPECT_EQ(Of(struck, 1, "Shots"), 0);
  EXPECT_EQ(Of(struck, 23, "Health"), 0);
  EXPECT_EQ(Of(struck, 23, "Alive"), 0);
  EXPECT_EQ(Of(struck, 22, "Health"), 2);
  EXPECT_EQ(ScriptInt(struck, "Theirs"), 9);
  EXPECT_EQ(Count(List(struck, "script", "runs", "run"), "\"block Creature Died\""), 1);
  ExpectLikeReference(1300, "demo_match_blow");
}
