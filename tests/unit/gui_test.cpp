// The GUI without a window: definition files, opening and closing windows, the script library's
// setters, the layout, the message box and the input pass driven through the polled mouse.
#include "game/gui/gui.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "engine/font.h"
#include "engine/mouse.h"
#include "game/actors/creatures.h"
#include "game/actors/items.h"
#include "game/core/fatal.h"
#include "game/core/game_core.h"
#include "game/core/players.h"
#include "game/core/state_dump.h"
#include "game/script/script_host.h"
#include "game/world/diagnostics.h"
#include "tests/support/font_builder.h"
#include "tests/support/test_support.h"

namespace {

using game::GuiState;
using game::TGmWindow;

// Every printable ASCII character 8 pixels wide; line height 12.
eng::engTFont* LoadEvenFont() {
  std::vector<testsupport::TestGlyph> glyphs;
  for (uint32_t c = 32; c < 127; ++c) glyphs.push_back({c, 0, 6, 10, 0, 0, 8});
  const uint8_t pad[4] = {0, 0, 0, 0};
  std::vector<uint8_t> bytes = testsupport::BuildFont(1, 12, 0, pad, glyphs);
  return eng::Font_LoadFromMemory(bytes.data(), bytes.size(), "even.tfi");
}

class Gui : public ::testing::Test {
 protected:
  void SetUp() override {
    game::GUIReset();
    game::ScriptHostReset();
    game::DiagnosticsReset();
    game::PlayersReset();
    game::PlayersStart();
    game::CreaturesReset();
    game::ItemsReset();
    game::StateDumpReset();
    eng::FontReset();
    eng::MouseReset();
    eng::MouseClearState();
    GuiState().Font = LoadEvenFont();
    GuiState().Definitions.push_back(game::MessageWindowDefinition());
  }
  void TearDown() override {
    game::GUIReset();
    eng::FontReset();
    eng::MouseReset();
  }

  static void Read(const std::string& text, const std::string& file = "test.cro") {
    game::GuiReadDefinitions(text, file, GuiState().Definitions, nullptr);
  }
  static const TGmWindow* Definition(const std::string& name) {
    for (const TGmWindow& w : GuiState().Definitions)
      if (w.Name == name) return &w;
    throw std::runtime_error("no definition: " + name);
  }
  static std::vector<std::string> OpenNames() {
    std::vector<std::string> names;
    for (const TGmWindow& w : GuiState().Open) names.push_back(w.Name);
    return names;
  }
  static TGmWindow& Open(const std::string& name) {
    for (TGmWindow& w : GuiState().Open)
      if (w.Name == name) return w;
    throw std::runtime_error("not open: " + name);
  }
  static std::vector<std::string> Runs() { return game::ScriptHostRuns(); }

  // One tick of input as the game runs it: positions from the last draw (the layout on an
  // 800 x 600 screen), then the input pass, then the one-shot mouse state cleared.
  static void Tick() {
    for (TGmWindow& w : GuiState().Open) game::GuiLayoutWindow(w, 800, 600, GuiState().Font);
    game::GUI_Update();
    eng::MouseClearState();
  }
  static void MoveTo(int x, int y) {
    eng::MouseOnMove(x, y);
    Tick();
  }
  static void Press() {
    eng::MouseOnDown(0);
    Tick();
  }
  static void Release() {
    eng::MouseOnUp(0);
    Tick();
  }
};

// ---- Definition files ----------------------------------------------------------------------

TEST_F(Gui, DefinitionKeysSetTheCurrentWidgetOfEachKind) {
  Read("WINDOW = Panel\n"
       "CREATEEVENT = SelCr\n"
       "MODAL\n"
       "TRANSPARENT = no\n"
       "ALWAYSSHOW = True\n"
       "X = 10\nY=$20\nW=300\nH=200\n"
       "ALIGNX = 258      // low 8 bits: 2\n"
       "CAPTION = ignored: windows have none\n"
       "BUTTON = Go\n"
       "CAPTION = \"End turn\"\n"
       "X=5\nY=6\nW=70\nH=20\nALIGNY=1\n"
       "MODAL = false\n"
       "LABEL = Name\n"
       "CAPTION = two words\n"
       "X=7\nALIGNX=1\n"
       "ITEMSLOT = S1\n"
       "X=8\nY=9\nCAPTION=none\n");
  const TGmWindow* w = Definition("Panel");
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->CreateEvent, "SelCr");
  EXPECT_TRUE(w->Modal) << "a key alone is true";
  EXPECT_FALSE(w->Transparent);
  EXPECT_TRUE(w->AlwaysShow);
  EXPECT_FALSE(w->ActiveOnAITurn) << "no key sets it";
  EXPECT_EQ(w->X, 10);
  EXPECT_EQ(w->Y, 32);
  EXPECT_EQ(w->W, 300);
  EXPECT_EQ(w->H, 200);
  EXPECT_EQ(w->AlignX, 2);
  EXPECT_EQ(w->File, "test.cro");
  ASSERT_EQ(w->Buttons.size(), 1u);
  EXPECT_EQ(w->Buttons[0].Caption, "End turn");
  EXPECT_EQ(w->Buttons[0].X, 5);
  EXPECT_EQ(w->Buttons[0].H, 20);
  EXPECT_EQ(w->Buttons[0].AlignY, 1);
  ASSERT_EQ(w->Labels.size(), 1u);
  EXPECT_EQ(w->Labels[0].Caption, "twowords") << "blanks outside quotes go";
  EXPECT_EQ(w->Labels[0].X, 7);
  ASSERT_EQ(w->ItemSlots.size(), 1u);
  EXPECT_EQ(w->ItemSlots[0].X, 8);
  EXPECT_EQ(w->ItemSlots[0].Y, 9);
  EXPECT_EQ(w->ItemSlots[0].OwnerID, 0);
}

TEST_F(Gui, ScriptBlocksBelongToTheCurrentButtonOrWindow) {
  Read("WINDOW = A\n"
       "[CREATESCRIPT]\n"
       "begin // opening\n"
       "  Window_SetSize('A', 1, 2);\n"
       "[/CREATESCRIPT]\n"
       "BUTTON = B\n"
       "[CLICKSCRIPT]\n"
       "  EndTurn; // ends\n"
       "[/CLICKSCRIPT]\n"
       "[CREATESCRIPT]\n"
       "  ignored: a create block after a widget\n"
       "[/CREATESCRIPT]\n"
       "LABEL = L\n"
       "[CLICKSCRIPT]\n"
       "  ignored: labels have no click script\n"
       "[/CLICKSCRIPT]\n");
  const TGmWindow* a = Definition("A");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->CreateScript, "begin    Window_SetSize('A', 1, 2); ");
  ASSERT_EQ(a->CreateScriptLines.Starts.size(), 2u);
  EXPECT_EQ(a->CreateScriptLines.Starts[0].Line, 3);
  EXPECT_EQ(a->CreateScriptLines.Starts[1].Offset, 7u) << "\"begin\", the blank before the comment, the joining blank";
  EXPECT_EQ(a->CreateScriptLines.Starts[1].Line, 4);
  ASSERT_EQ(a->Buttons.size(), 1u);
  EXPECT_EQ(a->Buttons[0].ClickScript, "  EndTurn;  ");
  ASSERT_EQ(a->Buttons[0].ClickScriptLines.Starts.size(), 1u);
  EXPECT_EQ(a->Buttons[0].ClickScriptLines.Starts[0].Line, 8);
  EXPECT_EQ(a->Buttons[0].ClickScriptLines.File, "test.cro");
}

TEST_F(Gui, WidgetLinesCountInsideScriptBlocksAndBeforeTheFirstWindow) {
  Read("X = 5\n"
       "BUTTON = Extra\n"
       "W = 9\n"
       "WINDOW = A\n"
       "BUTTON = B\n"
       "[CLICKSCRIPT]\n"
       "  first;\n"
       "WINDOW = Inner\n"
       "  lost: the current widget is a window now\n"
       "[/CLICKSCRIPT]\n"
       "X = 3\n");
  const TGmWindow& message = GuiState().Definitions[0];
  EXPECT_EQ(message.X, 400) << "keys before any widget line set nothing";
  ASSERT_EQ(message.Buttons.size(), 2u) << "a button before the first WINDOW joins the message window";
  EXPECT_EQ(message.Buttons[1].Name, "Extra");
  EXPECT_EQ(message.Buttons[1].W, 9);
  ASSERT_EQ(game::Problems().size(), 1u);
  EXPECT_EQ(game::Problems()[0].Line, 2);
  const TGmWindow* a = Definition("A");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->Buttons[0].ClickScript, "  first; ");
  const TGmWindow* inner = Definition("Inner");
  ASSERT_NE(inner, nullptr);
  EXPECT_EQ(inner->X, 3);
  EXPECT_TRUE(inner->CreateScript.empty());
}

TEST_F(Gui, EachFileStartsOnTheMessageWindowAndBadNumbersNameTheirLine) {
  Read("WINDOW = A\nBUTTON = B\n");
  Read("W = 7\nLABEL = Stray\n", "second.cro");
  EXPECT_EQ(Definition("A")->Buttons.size(), 1u);
  EXPECT_EQ(GuiState().Definitions[0].Labels.size(), 2u) << "a new file starts on the message window again";
  try {
    Read("WINDOW = A\nX = 1,5\n", "bad.cro");
    FAIL() << "an unconvertible number ends the load";
  } catch (const game::FatalError& e) {
    EXPECT_STREQ(e.what(), "'1,5' is not a valid integer value");
    EXPECT_EQ(e.file(), "bad.cro");
    EXPECT_EQ(e.line(), 2);
  }
}

TEST_F(Gui, EveryGuiFileIsReadInNameOrderWithoutAWindow) {
  std::filesystem::path dir = testsupport::ScratchDir();
  std::filesystem::create_directories(dir / "Data" / "GUI");
  testsupport::WriteFile(dir / "Data" / "GUI" / "b.cro", "WINDOW = FromB\n");
  testsupport::WriteFile(dir / "Data" / "GUI" / "A.CRO", "WINDOW = FromA\nBUTTON = Tex\nTEXTURE = none.tga\n");
  testsupport::WriteFile(dir / "Data" / "GUI" / "c.txt", "WINDOW = NotRead\n");
  game::Core().AppDir = dir.string() + "/";
  game::GuiLoadDefinitions(nullptr);
  game::Core().AppDir.clear();
  std::vector<std::string> names;
  for (const TGmWindow& w : GuiState().Definitions) names.push_back(w.Name);
  EXPECT_EQ(names, (std::vector<std::string>{game::MessageWindowName, "FromA", "FromB"}));
  EXPECT_EQ(GuiState().Definitions[1].Buttons[0].Texture, nullptr) << "no loader, no images";
}

// ---- Opening and closing -------------------------------------------------------------------

TEST_F(Gui, CreateCopiesTheDefinitionOnTopAndReopeningStartsFresh) {
  Read("WINDOW = A\nLABEL = L\nCAPTION = start\nWINDOW = B\n[CREATESCRIPT]\nbegin end.\n[/CREATESCRIPT]\n");
  game::Window_Create("a");
  game::Window_Create("B");
  EXPECT_EQ(OpenNames(), (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(Runs(), (std::vector<std::string>{"create script of window \"B\""}));
  game::Label_SetCaption("A", "l", "changed");
  EXPECT_EQ(Open("A").Labels[0].Caption, "changed");
  EXPECT_EQ(Definition("A")->Labels[0].Caption, "start") << "definitions never change";
  uint32_t firstSerial = Open("A").Serial;
  game::Window_Create("A");
  EXPECT_EQ(OpenNames(), (std::vector<std::string>{"B", "A"})) << "the old copy goes, the new one is on top";
  EXPECT_EQ(Open("A").Labels[0].Caption, "start");
  EXPECT_NE(Open("A").Serial, firstSerial);
  game::Window_Create("Nowhere");
  EXPECT_EQ(OpenNames(), (std::vector<std::string>{"B", "A"}));
}

TEST_F(Gui, ClosedWindowsGoAtTheNextCreateOrUpdate) {
  Read("WINDOW = A\nWINDOW = B\nWINDOW = C\n");
  game::Window_Create("A");
  game::Window_Create("B");
  game::Window_Close("a");
  EXPECT_EQ(OpenNames().size(), 2u) << "closing only marks";
  game::Window_Create("C");
  EXPECT_EQ(OpenNames(), (std::vector<std::string>{"B", "C"}));
  game::Window_Close("C");
  game::Window_Close("NotOpen");
  Tick();
  EXPECT_EQ(OpenNames(), (std::vector<std::string>{"B"}));
}

TEST_F(Gui, EventsOpenEveryMatchingWindowInDefinitionOrder) {
  Read("WINDOW = P\nCREATEEVENT = selcr\nWINDOW = Q\nCREATEEVENT = RClickOnCr\nWINDOW = R\nCREATEEVENT = SelCr\n");
  game::GUI_FireEvent("SELCR");
  game::GUI_FireEvent("Nothing");
  EXPECT_EQ(OpenNames(), (std::vector<std::string>{"P", "R"}));
  EXPECT_EQ(game::GuiFiredEvents(), (std::vector<std::string>{"SELCR", "Nothing"}));
}

TEST_F(Gui, SettersActOnEveryMatchingWidgetOfOpenWindowsOnly) {
  Read("WINDOW = W\nBUTTON = B\nBUTTON = b\nLABEL = L\nCAPTION = abc\nITEMSLOT = S\n");
  game::Button_SetCaption("W", "B", "x");
  EXPECT_EQ(game::Label_GetWidth("W", "L"), 0) << "not open";
  game::Window_Create("W");
  game::Window_SetSize("w", 123, 45);
  game::Button_SetCaption("W", "B", "Go");
  game::Button_SetPos("W", "B", -3, 4);
  game::Label_SetPos("W", "L", 11, 12);
  game::ItemSlot_SetOwnerID("W", "s", 7);
  const TGmWindow& w = Open("W");
  EXPECT_EQ(w.W, 123);
  EXPECT_EQ(w.H, 45);
  for (const game::TGmButton& b : w.Buttons) {
    EXPECT_EQ(b.Caption, "Go");
    EXPECT_EQ(b.X, -3);
    EXPECT_EQ(b.Y, 4);
  }
  EXPECT_EQ(w.Labels[0].X, 11);
  EXPECT_EQ(w.ItemSlots[0].OwnerID, 7);
  EXPECT_EQ(game::Label_GetWidth("W", "L"), 24);
  EXPECT_EQ(game::Label_GetWidth("W", "Missing"), 0);
  EXPECT_EQ(Definition("W")->Buttons[0].Caption, "");
}

// ---- Layout --------------------------------------------------------------------------------

TEST_F(Gui, LayoutScalesTheVirtualScreenThenAligns) {
  TGmWindow w;
  w.X = 400;
  w.Y = 300;
  w.W = 200;
  w.H = 100;
  w.AlignX = w.AlignY = 1;
  game::GuiLayoutWindow(w, 1024, 768, nullptr);
  EXPECT_EQ(w.ScreenX, 412);
  EXPECT_EQ(w.ScreenY, 334);
  game::GuiLayoutWindow(w, 800, 600, nullptr);
  EXPECT_EQ(w.ScreenX, 300);
  EXPECT_EQ(w.ScreenY, 250);
  w.X = 799;
  w.W = 201;
  w.AlignX = 2;
  w.AlignY = 7;  // not an alignment: the point stays
  game::GuiLayoutWindow(w, 1280, 1024, nullptr);
  EXPECT_EQ(w.ScreenX, 1278 - 201) << "1280 * 799 div 800 = 1278";
  EXPECT_EQ(w.ScreenY, 512);
}

TEST_F(Gui, WidgetsAlignWithinTheirWindow) {
  TGmWindow w;
  w.W = 100;
  w.H = 50;
  game::TGmButton b;
  b.X = 50;
  b.Y = 10;
  b.W = 31;
  b.H = 9;
  b.AlignX = 1;
  b.AlignY = 2;
  w.Buttons.push_back(b);
  game::TGmLabel odd, even, right;
  odd.Caption = "a";  // 8 wide: half is 4
  odd.AlignX = 1;
  odd.AlignY = 1;
  even.Caption = "abc";  // 24 wide
  even.AlignX = 2;
  even.AlignY = 2;
  right.Caption = "abc";
  right.X = 5;
  w.Labels = {odd, even, right};
  game::TGmItemSlot s;
  s.X = 3;
  s.Y = 4;
  w.ItemSlots.push_back(s);
  w.X = 80;  // 800 x 600 screen: 80, 60
  w.Y = 60;
  game::GuiLayoutWindow(w, 800, 600, GuiState().Font);
  EXPECT_EQ(w.Buttons[0].ScreenX, 80 + 50 - 15);
  EXPECT_EQ(w.Buttons[0].ScreenY, 60 + 10 - 9);
  EXPECT_EQ(w.Labels[0].ScreenX, 80 - 4);
  EXPECT_EQ(w.Labels[0].ScreenY, 60 - 6) << "half the line height";
  EXPECT_EQ(w.Labels[1].ScreenX, 80 - 24);
  EXPECT_EQ(w.Labels[1].ScreenY, 60 - 12);
  EXPECT_EQ(w.Labels[2].ScreenX, 85);
  EXPECT_EQ(w.ItemSlots[0].ScreenX, 83);
  EXPECT_EQ(w.ItemSlots[0].ScreenY, 64);
}

TEST_F(Gui, LayoutOfHugeNumbersWrapsInsteadOfOverflowing) {
  TGmWindow w;
  w.X = INT32_MAX;
  w.W = INT32_MIN;
  w.AlignX = 2;
  game::TGmButton b;
  b.X = INT32_MAX;
  b.W = INT32_MIN;
  b.AlignX = 1;
  w.Buttons.push_back(b);
  game::GuiLayoutWindow(w, 1280, 1024, nullptr);  // no undefined behaviour (sanitizer builds check)
  int64_t expected = int64_t{1280} * INT32_MAX / 800 - int64_t{INT32_MIN};
  EXPECT_EQ(w.ScreenX, static_cast<int32_t>(static_cast<uint64_t>(expected)));
}

// ---- The message box -----------------------------------------------------------------------

TEST_F(Gui, MessageBoxWidensForLongTextsAndStaysCentred) {
  game::GameMessage("short");
  EXPECT_TRUE(game::GuiFlags().GameFrozen);
  TGmWindow& box = Open(game::MessageWindowName);
  EXPECT_EQ(box.W, 200);
  EXPECT_EQ(box.Labels[0].Caption, "short");
  EXPECT_EQ(box.Labels[0].X, 100);
  EXPECT_EQ(box.Buttons[0].X, 100);

  const std::string wide(21, 'w');  // 168 pixels: more than 200 - 40
  game::GameMessage(wide);
  ASSERT_EQ(OpenNames().size(), 1u) << "a second message replaces the box";
  TGmWindow& wider = Open(game::MessageWindowName);
  EXPECT_EQ(wider.W, 208);
  EXPECT_EQ(wider.Labels[0].X, 104);
  game::GuiLayoutWindow(wider, 800, 600, GuiState().Font);
  EXPECT_EQ(wider.ScreenX, 400 - 104);
  EXPECT_EQ(wider.ScreenY, 250);
  EXPECT_EQ(wider.Labels[0].ScreenX, 296 + 104 - 84) << "the text is centred in the box";
  EXPECT_EQ(wider.Buttons[0].ScreenX, 296 + 104 - 39);

  game::GameMessage(std::string(20, 'w'));  // exactly 160: no widening
  EXPECT_EQ(Open(game::MessageWindowName).W, 200);
  EXPECT_EQ(game::GuiMessages().size(), 3u);
}

TEST_F(Gui, OKClosesTheBoxAndThawsTheWorld) {
  game::GameMessage("hello");
  game::GuiLayoutWindow(Open(game::MessageWindowName), 800, 600, GuiState().Font);
  MoveTo(400, 250 + 54 + 14);  // the middle of the OK button
  EXPECT_TRUE(game::GuiFlags().ModalOpen);
  EXPECT_TRUE(game::GuiFlags().MouseOverGui);
  Press();
  EXPECT_TRUE(Open(game::MessageWindowName).Buttons[0].Pressed);
  EXPECT_TRUE(game::GuiFlags().GameFrozen);
  Release();
  EXPECT_FALSE(game::GuiFlags().GameFrozen);
  EXPECT_TRUE(OpenNames().empty());
  Tick();
  EXPECT_FALSE(game::GuiFlags().ModalOpen);
}

// ---- Input ---------------------------------------------------------------------------------

// Window A (non-modal) at 100, 100 with button Under; a modal window M over it at 300, 300.
const char* kTwoWindows =
    "WINDOW = A\nW=200\nH=100\nX=100\nY=100\n"
    "BUTTON = Under\nX=10\nY=10\nW=50\nH=20\n[CLICKSCRIPT]\nbegin end.\n[/CLICKSCRIPT]\n"
    "WINDOW = M\nMODAL\nW=100\nH=100\nX=300\nY=300\n"
    "BUTTON = Top\nX=10\nY=10\nW=50\nH=20\n[CLICKSCRIPT]\nbegin end.\n[/CLICKSCRIPT]\n";

TEST_F(Gui, ATopModalWindowTakesEveryClickOutsideIt) {
  Read(kTwoWindows);
  game::Window_Create("A");
  game::Window_Create("M");
  MoveTo(120, 115);  // on Under
  EXPECT_FALSE(Open("A").Buttons[0].Hover);
  EXPECT_FALSE(game::GuiFlags().MouseOverGui);
  EXPECT_TRUE(game::GuiFlags().ModalOpen);
  Press();
  Release();
  EXPECT_TRUE(Runs().empty());
  MoveTo(320, 315);  // on Top
  Press();
  Release();
  EXPECT_EQ(Runs(), (std::vector<std::string>{"click script of button \"Top\" in window \"M\""}));
}

TEST_F(Gui, AReleaseRunsTheClickOnlyOverThePressedButton) {
  Read(kTwoWindows);
  game::Window_Create("A");
  MoveTo(120, 115);
  EXPECT_TRUE(Open("A").Buttons[0].Hover);
  EXPECT_FALSE(game::GuiFlags().ModalOpen);
  Press();
  EXPECT_TRUE(Open("A").Buttons[0].Pressed);
  MoveTo(180, 115);  // off the button, still over the window
  EXPECT_FALSE(Open("A").Buttons[0].Pressed);
  EXPECT_TRUE(game::GuiFlags().MouseOverGui);
  Release();
  EXPECT_TRUE(Runs().empty()) << "released elsewhere";

  MoveTo(120, 115);
  Press();
  MoveTo(180, 115);
  MoveTo(121, 116);  // back before the release
  EXPECT_TRUE(Open("A").Buttons[0].Pressed);
  Release();
  EXPECT_EQ(Runs().size(), 1u);

  // The border pixels are not inside.
  MoveTo(110, 115);
  EXPECT_FALSE(Open("A").Buttons[0].Hover);
  MoveTo(100, 150);
  EXPECT_FALSE(game::GuiFlags().MouseOverGui);
}

TEST_F(Gui, ReopeningTheWindowLetsGoOfItsPressedButton) {
  Read(kTwoWindows);
  game::Window_Create("A");
  MoveTo(120, 115);
  Press();
  game::Window_Create("A");  // a script reopens it while the button is held
  Release();
  EXPECT_TRUE(Runs().empty());
}

TEST_F(Gui, TransparentWindowsLeaveTheirAreaToTheWorld) {
  Read("WINDOW = T\nTRANSPARENT\nW=200\nH=100\nX=100\nY=100\nBUTTON = B\nX=10\nY=10\nW=50\nH=20\n");
  game::Window_Create("T");
  MoveTo(150, 150);
  EXPECT_FALSE(game::GuiFlags().MouseOverGui);
  MoveTo(120, 115);
  EXPECT_TRUE(game::GuiFlags().MouseOverGui) << "its buttons still take the mouse";
}

TEST_F(Gui, DuringAComputerTurnOnlyTheMessageBoxTakesInput) {
  Read("WINDOW = Always\nALWAYSSHOW\nW=200\nH=100\nX=100\nY=100\n"
       "BUTTON = B\nX=10\nY=10\nW=50\nH=20\n[CLICKSCRIPT]\nbegin end.\n[/CLICKSCRIPT]\n");
  game::Window_Create("Always");
  game::PlayerTable().CurrentPlayer = 1;
  MoveTo(120, 115);
  EXPECT_FALSE(game::GuiFlags().MouseOverGui);
  Press();
  Release();
  EXPECT_TRUE(Runs().empty());
  game::GameMessage("computer's turn");
  game::GuiLayoutWindow(Open(game::MessageWindowName), 800, 600, GuiState().Font);
  MoveTo(400, 318);
  Press();
  Release();
  EXPECT_FALSE(game::GuiFlags().GameFrozen);
}

TEST_F(Gui, SelectionWindowsCloseWhenTheHumanPlayerHasNoSelection) {
  Read("WINDOW = Panel\nCREATEEVENT = SelCr\nWINDOW = Lower\nCREATEEVENT = selcr\n");
  game::PlayerTable().Players[0].SelectedCreature = 0;
  game::CreatureLists().Creatures.resize(1);
  game::GUI_FireEvent("SelCr");
  Tick();
  EXPECT_EQ(OpenNames().size(), 2u);
  game::PlayerTable().CurrentPlayer = 1;  // the computer's turn: nothing is cleaned up
  game::PlayerTable().Players[1].SelectedCreature = -1;
  Tick();
  EXPECT_EQ(OpenNames().size(), 2u);
  game::PlayerTable().CurrentPlayer = 0;
  game::PlayerTable().Players[0].SelectedCreature = -1;
  Tick();
  EXPECT_EQ(OpenNames(), (std::vector<std::string>{"Lower"})) << "the event name must match exactly";
}

TEST_F(Gui, SlotOwnersAreTheSelectedCreatureOrTheirOwnID) {
  game::CreatureLists().Creatures.resize(3);
  game::CreatureLists().Creatures[2].ID = 9;
  game::TGmItemSlot slot;
  EXPECT_EQ(game::GuiSlotOwner(slot), -1);
  game::PlayerTable().Players[0].SelectedCreature = 1;
  EXPECT_EQ(game::GuiSlotOwner(slot), 1);
  slot.OwnerID = 9;
  EXPECT_EQ(game::GuiSlotOwner(slot), 2);
  slot.OwnerID = 10;
  EXPECT_EQ(game::GuiSlotOwner(slot), -1);
}

// ---- Item slots, the drag and the drop ------------------------------------------------------

// A window of three slots at (100, 100) on the virtual screen; the selected creature 0 stands on
// tile (5, 5) with three medkits (usable) and one rope (no use script); a creature of the other
// side stands diagonally next to it, another two tiles away.
class GuiItems : public Gui {
 protected:
  void SetUp() override {
    Gui::SetUp();
    Read("WINDOW = Bag\nX=100\nY=100\nW=300\nH=100\n"
         "ITEMSLOT = S0\nX=10\nY=10\nITEMSLOT = S1\nX=80\nY=10\nITEMSLOT = S2\nX=150\nY=10\n");
    std::vector<game::TGmItem>& kinds = game::ItemLists().ItemKinds;
    kinds.push_back({"Medkit", nullptr, 1, "begin end. ", {}});
    kinds.push_back({"Rope", nullptr, 1, "", {}});
    std::vector<game::TCreature>& all = game::CreatureLists().Creatures;
    all.resize(3);
    const int tiles[3][2] = {{5, 5}, {6, 6}, {7, 5}};
    for (size_t i = 0; i < all.size(); ++i) {
      all[i].ID = static_cast<uint16_t>(i + 1);
      all[i].Alive = true;
      all[i].Owner = i == 0 ? 0 : 1;
      all[i].TileX = tiles[i][0];
      all[i].TileY = tiles[i][1];
    }
    for (int i = 0; i < 3; ++i) game::GiveItem(0, "Medkit");
    game::GiveItem(0, "rope");
    game::PlayerTable().Players[0].SelectedCreature = 0;
    game::Window_Create("Bag");
  }
  static int Count(int creature, const std::string& item) {
    int entry = game::FindItem(creature, item);
    return entry < 0 ? 0 : game::CreatureLists().Creatures[static_cast<size_t>(creature)].Items[static_cast<size_t>(entry)].Count;
  }
  // Picks up what slot k shows (slots are 64 pixels wide, 70 apart, from (110, 110)).
  static void PickUp(int k) {
    MoveTo(110 + 70 * k + 30, 140);
    Press();
  }
  // Lets go away from the window, over tile (x, y).
  static void DropOnTile(int x, int y) {
    game::Core().CursorTileX = x;
    game::Core().CursorTileY = y;
    eng::MouseOnMove(600, 500);
    Release();
  }
  static std::string DumpLine(const std::string& key) {
    std::string dump = game::StateDumpText();
    size_t at = dump.find("\n" + key + " ");
    if (at == std::string::npos) return "(none)";
    size_t end = dump.find('\n', at + 1);
    return dump.substr(at + 2 + key.size(), end - at - 2 - key.size());
  }
};

TEST_F(GuiItems, SlotsShowTheirEntryLessTheUnitBeingDragged) {
  game::GuiAddStateDumpSection();
  PickUp(2);  // the owner carries two entries: nothing to pick up
  EXPECT_EQ(GuiState().Drag.Creature, -1);
  EXPECT_TRUE(game::GuiFlags().MouseOverGui);
  Release();

  PickUp(0);
  EXPECT_EQ(GuiState().Drag.Creature, 0);
  EXPECT_EQ(DumpLine("window.0.slot.0.Item"), "\"Medkit\"");
  EXPECT_EQ(DumpLine("window.0.slot.0.Count"), "2");
  EXPECT_EQ(DumpLine("drag.Item"), "\"Medkit\"");
  Release();  // over the window: the drag is cancelled
  EXPECT_EQ(GuiState().Drag.Creature, -1);
  EXPECT_EQ(Count(0, "Medkit"), 3);

  PickUp(1);
  EXPECT_EQ(DumpLine("window.0.slot.1.Item"), "\"\"") << "the only unit is away on the mouse";
  EXPECT_EQ(DumpLine("window.0.slot.1.Count"), "0");
  EXPECT_EQ(DumpLine("window.0.slot.1.ScreenX"), "180");
  EXPECT_EQ(DumpLine("window.0.slot.1.Owner"), "0");
  EXPECT_EQ(DumpLine("windows"), "1");
  EXPECT_EQ(DumpLine("window.0.Name"), "\"Bag\"");
}

TEST_F(GuiItems, DropsGiveToNeighboursUseOnTheOwnerAndIgnoreTheRest) {
  PickUp(0);
  DropOnTile(6, 6);  // the enemy diagonally next to the owner
  EXPECT_EQ(Count(0, "Medkit"), 2);
  EXPECT_EQ(Count(1, "Medkit"), 1);

  PickUp(0);
  DropOnTile(7, 5);  // two tiles away
  PickUp(0);
  DropOnTile(9, 9);  // nobody there
  EXPECT_EQ(Count(0, "Medkit"), 2);
  EXPECT_EQ(Count(2, "Medkit"), 0);

  PickUp(1);
  DropOnTile(5, 5);  // the rope has no use script
  EXPECT_EQ(Count(0, "Rope"), 1);
  EXPECT_TRUE(Runs().empty());

  PickUp(0);
  DropOnTile(5, 5);
  EXPECT_EQ(Count(0, "Medkit"), 1);
  EXPECT_EQ(Runs().size(), 1u);

  // Giving away the last unit frees the entry: the rope moves up into the first slot.
  PickUp(0);
  DropOnTile(6, 6);
  EXPECT_EQ(game::FindItem(0, "Medkit"), -1);
  EXPECT_EQ(Count(1, "Medkit"), 2);
  EXPECT_EQ(game::FindItem(0, "Rope"), 0);
  EXPECT_EQ(GuiState().Drag.Creature, -1);
}

TEST_F(GuiItems, ADragEndsWhenItsEntryGoesOrItsOwnerDies) {
  PickUp(1);
  game::RemoveItem(0, "Rope");  // a script takes it meanwhile
  EXPECT_EQ(GuiState().Drag.Creature, -1);
  DropOnTile(6, 6);
  EXPECT_EQ(Count(1, "Rope"), 0);

  PickUp(0);
  game::GuiDragEndForCreature(0);
  EXPECT_EQ(GuiState().Drag.Creature, -1);
  DropOnTile(6, 6);
  EXPECT_EQ(Count(1, "Medkit"), 0);
}

}  // namespace
