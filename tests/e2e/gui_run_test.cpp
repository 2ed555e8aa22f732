// Whole-game runs of the GUI with recorded input, read through the final frame and the state
// dump: key M and the message box's OK, the demo's windows on selection and right clicks, and
// the script library's window functions called by a map's start script, dragging items out of
// slots and dropping them, and the release rules of buttons under a modal message box.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "engine/textures.h"
#include "engine/textures_png.h"
#include "game/core/game_core.h"
#include "game/gui/gui.h"
#include "game/world/diagnostics.h"
#include "tests/support/grass_map.h"
#include "tests/support/state_dump_reader.h"
#include "tests/support/test_support.h"
#include "tests/support/tile_pixel.h"

namespace {

using testsupport::ProcessResult;
using testsupport::StateDumpReader;

class GuiRun : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = testsupport::ScratchDir();
    testsupport::LinkGameContent(dir_);
  }

  // Runs the small test map (or the map of an own world) for `ticks` ticks with `input`; the
  // final frame is decoded into frame_.
  // With `dump`, the state at the end is in dump_; the state at the end of each of `moments`
  // (ticks) is in moments_.
  ProcessResult Run(const std::string& name, long ticks, const std::string& input, bool dump = false,
                    const std::vector<long>& moments = {}) {
    testsupport::WriteFile(dir_ / (name + ".txt"), input);
    std::vector<std::string> argv = {testsupport::BinPath("tessera").string(), "--headless", "--fixed-clock",
                                     "--ticks", std::to_string(ticks), "--input", (dir_ / (name + ".txt")).string(),
                                     "--screenshot", (dir_ / (name + ".png")).string()};
    // The scenario the game starts greets the player with boxes of its own.
    if (!ownWorld_) argv.insert(argv.end(), {"--map", "maps/compound.map"});
    if (dump) argv.insert(argv.end(), {"--dump-state", (dir_ / (name + ".dump")).string()});
    for (long tick : moments) {
      std::string file = (dir_ / (name + "." + std::to_string(tick) + ".dump")).string();
      argv.insert(argv.end(), {"--dump-state", std::to_string(tick) + ":" + file});
    }
    ProcessResult r = testsupport::RunProcess(argv, dir_, 600);
    if (dump) dump_ = StateDumpReader(testsupport::ReadFile(dir_ / (name + ".dump")));
    moments_.clear();
    for (long tick : moments)
      moments_.emplace(tick, StateDumpReader(testsupport::ReadFile(dir_ / (name + "." + std::to_string(tick) + ".dump"))));
    frame_ = eng::TImage{};
    EXPECT_TRUE(eng::PngLoadFromFile((dir_ / (name + ".png")).string(), &frame_)) << name;
    return r;
  }
  // The grey level of window pixel (x, y), y from the top; -1 when the pixel is not grey.
  int GreyAt(int x, int y) const {
    size_t i = (static_cast<size_t>(frame_.Height - 1 - y) * frame_.Width + static_cast<size_t>(x)) * 4;
    const std::vector<uint8_t>& p = frame_.Pixels;
    return p[i] == p[i + 1] && p[i + 1] == p[i + 2] ? p[i] : -1;
  }

  // The index of the open window of that name in the dump, bottom to top; -1 when it is not open.
  int Window(const std::string& name) const {
    for (int i = 0; i < dump_.Int("gui", "windows"); ++i)
      if (dump_.Get("gui", "window." + std::to_string(i) + ".Name") == "\"" + name + "\"") return i;
    return -1;
  }
  std::string Field(int window, const std::string& field) const {
    return dump_.Get("gui", "window." + std::to_string(window) + "." + field);
  }
  long long IntField(int window, const std::string& field) const {
    return std::strtoll(Field(window, field).c_str(), nullptr, 10);
  }

  // A world of its own in a fresh folder: the game's data with `guiFile` as the only GUI file, and
  // a 20 x 20 grass map with the map text's `records` (creatures, scripts) after the floor.
  void OwnWorld(const std::string& guiFile, const std::string& records) {
    ownWorld_ = true;
    dir_ = testsupport::ScratchDir();
    const std::filesystem::path game(TESSERA_GAME_DIR);
    std::filesystem::copy(game / "Data", dir_ / "Data", std::filesystem::copy_options::recursive);
    for (const auto& entry : std::filesystem::directory_iterator(dir_ / "Data/GUI"))
      if (entry.path().extension() == ".cro") std::filesystem::remove(entry.path());
    testsupport::WriteFile(dir_ / "Data/GUI/own.cro", guiFile);
    ASSERT_EQ(testsupport::WriteGrassMap(dir_ / "maps/proba.map", records), "");
  }

  std::filesystem::path dir_;
  eng::TImage frame_;
  StateDumpReader dump_{""};
  std::map<long, StateDumpReader> moments_;
  bool ownWorld_ = false;
};

// A click on tile (x, y) with the left (0) or right (2) button, the cursor arriving 20 ticks
// before (the world point under it is found in the frames drawn meanwhile).
std::string ClickTile(long tick, int32_t x, int32_t y, int button) {
  auto [px, py] = testsupport::TilePixel(x, y);
  std::string at = " " + std::to_string(px) + " " + std::to_string(py) + "\n";
  return std::to_string(tick - 20) + " mouse_move" + at + std::to_string(tick) + " mouse_down " +
         std::to_string(button) + at + std::to_string(tick + 1) + " mouse_up " + std::to_string(button) + at;
}

TEST_F(GuiRun, KeyMShowsTheMessageBoxUntilOK) {
  // M held for one tick; the box (200 x 100, centred) waits on top of the world.
  ProcessResult r = Run("m", 30, "1 mouse_move 700 500\n5 key_down 0x32\n6 key_up 0x32\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("tessera: \xEF\xF0\xEE\xE1\xE0\n"), std::string::npos) << r.err;
  EXPECT_EQ(GreyAt(310, 260), 221) << "the box's face";
  EXPECT_EQ(GreyAt(300, 260), 34) << "its outline";
  EXPECT_EQ(GreyAt(365, 318), 187) << "the OK button";

  // Pressed and released over OK: the box is gone.
  r = Run("ok", 30,
          "1 mouse_move 700 500\n5 key_down 0x32\n6 key_up 0x32\n10 mouse_move 400 318\n"
          "12 mouse_down 0 400 318\n14 mouse_up 0 400 318\n20 mouse_move 700 500\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(GreyAt(310, 260), 221);
  EXPECT_NE(GreyAt(365, 318), 187);

  // Released off the button: the box stays.
  r = Run("off", 30,
          "1 mouse_move 700 500\n5 key_down 0x32\n6 key_up 0x32\n10 mouse_move 400 318\n"
          "12 mouse_down 0 400 318\n13 mouse_move 600 318\n14 mouse_up 0 600 318\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(GreyAt(310, 260), 221);
}

TEST_F(GuiRun, EveryScriptOfTheDemoWindowsCompiles) {
  game::Core().AppDir = std::string(TESSERA_GAME_DIR) + "/";
  game::DiagnosticsReset();
  game::GuiLoadDefinitions(nullptr);
  EXPECT_TRUE(game::Problems().empty());
  std::vector<std::string> sources;
  for (const game::TGmWindow& w : game::GuiState().Definitions) {
    if (!w.CreateScript.empty()) sources.push_back(w.CreateScript);
    for (const game::TGmButton& b : w.Buttons)
      if (!b.ClickScript.empty()) sources.push_back(b.ClickScript);
  }
  EXPECT_GE(sources.size(), 5u) << "the panel, the info window and their buttons";
  for (size_t i = 0; i < sources.size(); ++i) {
    std::filesystem::path file = dir_ / ("script" + std::to_string(i) + ".pas");
    testsupport::WriteFile(file, sources[i]);
    ProcessResult r = testsupport::RunProcess({testsupport::BinPath("tessera-script").string(), "check", file.string()}, dir_);
    EXPECT_EQ(r.status, 0) << sources[i] << "\n" << r.out << r.err;
  }
  game::GUIReset();
  game::Core().AppDir.clear();
}

TEST_F(GuiRun, TheDemoPanelAndInfoWindowShowTheClickedCreatures) {
  // The first blue soldier (ID 1, on tile 9, 11) selected, then the first red one (ID 5, on
  // 15, 9) right-clicked; the cursor ends away from both windows.
  std::string input = ClickTile(30, 9, 11, 0) + ClickTile(70, 15, 9, 2) + "90 mouse_move 600 300\n";
  ProcessResult r = Run("demo", 100, input, true);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err.find("tessera:"), std::string::npos) << r.err;
  int panel = Window("CrPanel"), info = Window("CrInfo");
  ASSERT_GE(panel, 0) << "the selection opens the panel";
  ASSERT_GE(info, 0) << "the right click opens the info window, for an enemy too";
  EXPECT_LT(panel, info) << "opened later, on top";
  EXPECT_EQ(Field(panel, "label.0.Caption"), "\"Blue Soldier\"");
  EXPECT_NE(Field(panel, "label.1.Caption").find("Health "), std::string::npos);
  EXPECT_EQ(Field(panel, "slot.0.Item"), "\"Medkit\"") << "the start script's medkit, in the first slot";
  EXPECT_EQ(IntField(panel, "slot.0.Count"), 1);
  EXPECT_EQ(IntField(panel, "slot.0.Owner"), 0);
  EXPECT_EQ(Field(panel, "slot.1.Item"), "\"\"");
  EXPECT_EQ(Field(panel, "button.0.Caption"), "\"End turn\"");
  // The panel sits in the lower left corner, aligned by its bottom edge.
  EXPECT_EQ(IntField(panel, "ScreenX"), 8);
  EXPECT_EQ(IntField(panel, "ScreenY") + IntField(panel, "H"), 592);
  EXPECT_EQ(Field(info, "label.0.Caption"), "\"Red Soldier\"");
  EXPECT_EQ(IntField(info, "ScreenX") + IntField(info, "W"), 792);
  EXPECT_EQ(dump_.Events(), (std::vector<std::string>{"\"SelCr\"", "\"RClickOnCr\""}));
  EXPECT_EQ(GreyAt(IntField(panel, "ScreenX") + 3, IntField(panel, "ScreenY") + 3), 221) << "the panel's face";
  EXPECT_EQ(GreyAt(IntField(info, "ScreenX") + 3, IntField(info, "ScreenY") + 70), 221) << "the info window's face";
}

// The window functions of the script library, called by the start script of a map on a window of
// a GUI folder of its own.
TEST_F(GuiRun, TheScriptLibraryOpensSetsAndClosesWindows) {
  OwnWorld("WINDOW = Lib\nX = 100\nY = 100\nW = 100\nH = 50\n"
           "BUTTON = Go\nCAPTION = Go\nX = 5\nY = 5\nW = 60\nH = 24\n"
           "LABEL = Text\nCAPTION = Width\nX = 5\nY = 30\n"
           "LABEL = Wide\nX = 5\nY = 50\n"
           "ITEMSLOT = Slot\nX = 200\nY = 10\n"
           "WINDOW = Gone\nX = 0\nY = 0\nW = 10\nH = 10\n",
           "creature \"Blue Soldier\" 3 3 0 1 0\ncreature \"Red Soldier\" 12 12 0 7 1\n"
           "script \"Start Map\" <<END\n"
           "begin\n"
           "  Window_Create('Gone');\n"
           "  Window_Create('lib');\n"
           "  Window_SetSize('Lib', 300, 120);\n"
           "  Button_SetCaption('Lib', 'Go', 'Started');\n"
           "  Button_SetPos('Lib', 'go', 20, 80);\n"
           "  Label_SetCaption('Lib', 'Wide', IntToStr(Label_GetWidth('Lib', 'Text')) + ' ' +\n"
           "    IntToStr(Label_GetWidth('Lib', 'Missing')));\n"
           "  Label_SetPos('Lib', 'Wide', 150, 10);\n"
           "  Cr_GiveItem(7, 'Medkit');\n"
           "  ItemSlot_SetOwnerID('Lib', 'Slot', 7);\n"
           "  Window_Close('Gone');\n"
           "end.\nEND\n");
  if (HasFatalFailure()) return;

  ProcessResult r = Run("lib", 10, "1 mouse_move 700 500\n", true);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err.find("tessera:"), std::string::npos) << r.err;
  ASSERT_EQ(dump_.Int("gui", "windows"), 1) << "Gone was closed";
  EXPECT_EQ(Field(0, "Name"), "\"Lib\"");
  EXPECT_EQ(IntField(0, "W"), 300);
  EXPECT_EQ(IntField(0, "H"), 120);
  EXPECT_EQ(Field(0, "button.0.Caption"), "\"Started\"");
  EXPECT_EQ(IntField(0, "button.0.ScreenX"), 120);
  EXPECT_EQ(IntField(0, "button.0.ScreenY"), 180);
  std::string wide = Field(0, "label.1.Caption");
  EXPECT_GT(std::strtol(wide.c_str() + 1, nullptr, 10), 20) << wide << ": five letters are wider than 20 pixels";
  EXPECT_NE(wide.find(" 0\""), std::string::npos) << wide << ": a missing label is 0 wide";
  EXPECT_EQ(IntField(0, "label.1.ScreenX"), 250);
  EXPECT_EQ(IntField(0, "label.1.ScreenY"), 110);
  EXPECT_EQ(IntField(0, "slot.0.OwnerID"), 7);
  EXPECT_EQ(IntField(0, "slot.0.Owner"), 1);
  EXPECT_EQ(Field(0, "slot.0.Item"), "\"Medkit\"");
  // The widened window's face reaches past its first width; the moved button is drawn there.
  EXPECT_EQ(GreyAt(390, 200), 221);
  EXPECT_EQ(GreyAt(123, 200), 187) << "the button at its new place";
}

// Window Bag shows the first three entries of the blue soldier (ID 1, on tile 9, 11): three
// medkits and a pebble, which has no use script; window Theirs shows the first entry of the red
// soldier (ID 7) diagonally next to it.
const char* kBagWindows =
    "WINDOW = Bag\nX = 20\nY = 20\nW = 300\nH = 90\n"
    "ITEMSLOT = Mine0\nX = 10\nY = 10\nITEMSLOT = Mine1\nX = 80\nY = 10\nITEMSLOT = Mine2\nX = 150\nY = 10\n"
    "BUTTON = Go\nCAPTION = Go\nX = 230\nY = 10\nW = 60\nH = 24\n"
    "[CLICKSCRIPT]\nbegin\n  SetInt('Clicks', GetInt('Clicks') + 1);\n"
    "  Label_SetCaption('Bag', 'Clicks', IntToStr(GetInt('Clicks')));\nend.\n[/CLICKSCRIPT]\n"
    "LABEL = Clicks\nCAPTION = 0\nX = 230\nY = 50\n"
    "WINDOW = Theirs\nX = 20\nY = 120\nW = 84\nH = 84\nITEMSLOT = Slot\nX = 10\nY = 10\n";
const char* kBagWorld =
    "creature \"Blue Soldier\" 9 11 0 1 0\ncreature \"Red Soldier\" 10 12 0 7 1\n"
    "script \"Start Map\" <<END\n"
    "begin\n"
    "  Window_Create('Bag');\n"
    "  Window_Create('Theirs');\n"
    "  ItemSlot_SetOwnerID('Bag', 'Mine0', 1);\n"
    "  ItemSlot_SetOwnerID('Bag', 'Mine1', 1);\n"
    "  ItemSlot_SetOwnerID('Bag', 'Mine2', 1);\n"
    "  ItemSlot_SetOwnerID('Theirs', 'Slot', 7);\n"
    "  Cr_GiveItem(1, 'Medkit');\n  Cr_GiveItem(1, 'Medkit');\n  Cr_GiveItem(1, 'Medkit');\n"
    "  Cr_GiveItem(1, 'Pebble');\n"
    "end.\nEND\n";

// Where slot k of Bag (64 x 64 at 30 + 70 k, 30) and the slot of Theirs are grabbed.
std::string Slot(int k) { return " " + std::to_string(30 + 70 * k + 32) + " 62\n"; }

std::string At(long tick, const std::string& what, std::pair<int, int> pixel) {
  return std::to_string(tick) + " " + what + " " + std::to_string(pixel.first) + " " + std::to_string(pixel.second) + "\n";
}

TEST_F(GuiRun, ItemsDraggedOutOfSlotsAreUsedGivenOrPutBack) {
  OwnWorld(kBagWindows, kBagWorld);
  if (HasFatalFailure()) return;
  testsupport::WriteFile(dir_ / "Data/Items/pebble.cro", "NAME = Pebble\nTEXTURE = key.png\n");
  const std::pair<int, int> owner = testsupport::TilePixel(9, 11), enemy = testsupport::TilePixel(10, 12);
  std::string input =
      // The empty third slot: pressed and moved over the world, nothing is carried.
      "2 mouse_move" + Slot(2) + "4 mouse_down 0" + Slot(2) + At(6, "mouse_move", owner) +
      At(12, "mouse_up 0", owner) +
      // The only pebble, dragged over the world (tick 20), then let go on its owner.
      "14 mouse_move" + Slot(1) + "16 mouse_down 0" + Slot(1) + At(18, "mouse_move", owner) +
      At(40, "mouse_up 0", owner) +
      // One of the three medkits, dragged (tick 50), then let go on the enemy next to the owner.
      "42 mouse_move" + Slot(0) + "44 mouse_down 0" + Slot(0) + At(46, "mouse_move", enemy) +
      At(70, "mouse_up 0", enemy) + "72 mouse_move 700 500\n";
  ProcessResult r = Run("drag", 80, input, true, {10, 20, 42, 50});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err.find("tessera:"), std::string::npos) << r.err;
  ASSERT_EQ(Window("Bag"), 0);
  ASSERT_EQ(Window("Theirs"), 1);
  auto slot = [](const StateDumpReader& d, int w, int k, const std::string& field) {
    return d.Get("gui", "window." + std::to_string(w) + ".slot." + std::to_string(k) + "." + field);
  };

  const StateDumpReader& empty = moments_.at(10);
  EXPECT_EQ(empty.Int("gui", "drag.Creature"), -1) << "an empty slot starts no drag";
  EXPECT_EQ(empty.Get("gui", "drag.Item"), "\"\"");

  const StateDumpReader& pebble = moments_.at(20);
  EXPECT_EQ(pebble.Int("gui", "drag.Creature"), 0);
  EXPECT_EQ(pebble.Get("gui", "drag.Item"), "\"Pebble\"");
  EXPECT_EQ(slot(pebble, 0, 1, "Item"), "\"\"") << "the only unit is on the mouse";
  EXPECT_EQ(slot(pebble, 0, 1, "Count"), "0");
  EXPECT_EQ(slot(pebble, 0, 0, "Count"), "3");

  const StateDumpReader& kept = moments_.at(42);
  EXPECT_EQ(kept.Int("gui", "drag.Creature"), -1);
  EXPECT_EQ(slot(kept, 0, 1, "Item"), "\"Pebble\"") << "dropped on its owner, a pebble has no use";
  EXPECT_EQ(slot(kept, 0, 1, "Count"), "1");
  EXPECT_EQ(slot(kept, 0, 0, "Count"), "3");

  const StateDumpReader& medkit = moments_.at(50);
  EXPECT_EQ(medkit.Get("gui", "drag.Item"), "\"Medkit\"");
  EXPECT_EQ(slot(medkit, 0, 0, "Item"), "\"Medkit\"");
  EXPECT_EQ(slot(medkit, 0, 0, "Count"), "2") << "one of three is on the mouse";

  EXPECT_EQ(dump_.Int("gui", "drag.Creature"), -1);
  EXPECT_EQ(Field(0, "slot.0.Count"), "2");
  EXPECT_EQ(Field(1, "slot.0.Item"), "\"Medkit\"") << "the diagonal enemy was given one";
  EXPECT_EQ(Field(1, "slot.0.Count"), "1");
  EXPECT_EQ(dump_.Creature(0, "TileX"), 9) << "nobody moved meanwhile";
  EXPECT_EQ(dump_.Creature(1, "TileX"), 10);
}

TEST_F(GuiRun, AButtonClicksOnlyWhenReleasedOverItAndNotUnderTheMessageBox) {
  OwnWorld(kBagWindows, kBagWorld);
  if (HasFatalFailure()) return;
  testsupport::WriteFile(dir_ / "Data/Items/pebble.cro", "NAME = Pebble\nTEXTURE = key.png\n");
  const std::string go = " 280 42\n", off = " 400 450\n";
  std::string input =
      // Pressed, moved off, released off: no click.
      "2 mouse_move" + go + "4 mouse_down 0" + go + "6 mouse_move" + off + "8 mouse_up 0" + off +
      // Pressed, moved off and back, released over it: one click.
      "12 mouse_move" + go + "14 mouse_down 0" + go + "16 mouse_move" + off + "18 mouse_move" + go +
      "20 mouse_up 0" + go +
      // Key M: the modal box eats a whole click on the button below it.
      "24 key_down 0x32\n25 key_up 0x32\n28 mouse_down 0" + go + "30 mouse_up 0" + go +
      // OK, then the button takes clicks again.
      "34 mouse_move 400 318\n36 mouse_down 0 400 318\n38 mouse_up 0 400 318\n" +
      "40 mouse_move" + go + "42 mouse_down 0" + go + "44 mouse_up 0" + go + "46 mouse_move 700 500\n";
  ProcessResult r = Run("buttons", 50, input, true, {10, 22, 32});
  ASSERT_EQ(r.status, 0) << r.err;
  auto clicks = [](const StateDumpReader& d) { return d.Get("gui", "window.0.label.0.Caption"); };
  EXPECT_EQ(clicks(moments_.at(10)), "\"0\"") << "released off the button";
  EXPECT_EQ(clicks(moments_.at(22)), "\"1\"") << "moved back before the release";
  const StateDumpReader& boxed = moments_.at(32);
  EXPECT_EQ(boxed.Int("gui", "GameFrozen"), 1);
  EXPECT_EQ(boxed.Int("gui", "ModalOpen"), 1);
  EXPECT_EQ(clicks(boxed), "\"1\"") << "the box on top takes the click";
  EXPECT_EQ(dump_.Int("gui", "GameFrozen"), 0);
  EXPECT_EQ(dump_.Int("gui", "windows"), 2) << "the box is gone";
  EXPECT_EQ(clicks(dump_), "\"2\"");
}

TEST_F(GuiRun, KeyMFreezesTheComputersTurnUntilTheBoxsOKIsClicked) {
  OwnWorld("", "creature \"Blue Soldier\" 3 3 0 1 0\ncreature \"Red Soldier\" 12 12 0 7 1\n");
  if (HasFatalFailure()) return;
  // T: turn-based play; E: the human's turn ends and the computer's begins; M at once: the box.
  // During the computer's turn the box still takes its OK.
  std::string input =
      "1 mouse_move 700 500\n2 key_down 0x14\n3 key_up 0x14\n6 key_down 0x12\n7 key_up 0x12\n"
      "8 key_down 0x32\n9 key_up 0x32\n"
      "60 mouse_move 400 318\n62 mouse_down 0 400 318\n64 mouse_up 0 400 318\n66 mouse_move 700 500\n";
  ProcessResult r = Run("freeze", 120, input, true, {10, 58});
  ASSERT_EQ(r.status, 0) << r.err;
  const StateDumpReader& early = moments_.at(10);
  const StateDumpReader& late = moments_.at(58);
  for (const StateDumpReader* d : {&early, &late}) {
    EXPECT_EQ(d->Int("players", "TurnBased"), 1);
    EXPECT_EQ(d->Int("players", "CurrentPlayer"), 1) << "the computer's turn";
    EXPECT_EQ(d->Int("gui", "GameFrozen"), 1);
    EXPECT_EQ(d->Int("gui", "windows"), 1);
  }
  EXPECT_EQ(dump_.Get("gui", "message.0"), "\"\\xEF\\xF0\\xEE\\xE1\\xE0\"");
  for (const char* field : {"TileX", "TileY", "State", "HasOrder", "MovePoints"})
    EXPECT_EQ(late.Creature(1, field), early.Creature(1, field)) << field << ": the computer waits for the OK";
  EXPECT_EQ(late.Creature(1, "TileX"), 12);
  EXPECT_EQ(late.Float("creatures", "creature.1.StepProgress"), early.Float("creatures", "creature.1.StepProgress"));

  EXPECT_EQ(dump_.Int("gui", "GameFrozen"), 0);
  EXPECT_EQ(dump_.Int("gui", "windows"), 0) << "OK closed the box";
  EXPECT_EQ(late.Int("ai", "AiCalmTicks"), early.Int("ai", "AiCalmTicks"));
  EXPECT_EQ(late.Creature(1, "HasOrder"), 0);
  EXPECT_EQ(dump_.Creature(1, "HasOrder"), 1) << "after the OK the computer plays on";
  EXPECT_EQ(dump_.Creature(1, "State"), 1) << "walking";
}

}  // namespace
