// Scripts with the real GUI: window and widget functions called from scripts, create scripts
// nested three deep, a pause inside a nested run and the order of resuming after the message box's
// OK, and items used and handed over through the GUI's inventory view.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/font.h"
#include "game/actors/creatures.h"
#include "game/actors/items.h"
#include "game/gui/gui.h"
#include "game/gui/gui_items.h"
#include "tests/support/font_builder.h"
#include "tests/support/script_world.h"

namespace {

using testsupport::StoreInt;

class ScriptGui : public ::testing::Test {
 protected:
  void SetUp() override {
    testsupport::ResetScriptWorld();
    eng::FontReset();
    // Every printable character 8 pixels wide, so that caption widths are known.
    std::vector<testsupport::TestGlyph> glyphs;
    for (uint32_t c = 32; c < 127; ++c) glyphs.push_back({c, 0, 6, 10, 0, 0, 8});
    const uint8_t pad[4] = {0, 0, 0, 0};
    std::vector<uint8_t> bytes = testsupport::BuildFont(1, 12, 0, pad, glyphs);
    game::GuiState().Font = eng::Font_LoadFromMemory(bytes.data(), bytes.size(), "even.tfi");
    game::GuiState().Definitions.push_back(game::MessageWindowDefinition());
  }
  void TearDown() override {
    game::GUIReset();
    eng::FontReset();
  }
  static void Read(const std::string& text) {
    game::GuiReadDefinitions(text, "Data/GUI/test.cro", game::GuiState().Definitions, nullptr);
  }
  static void Run(const std::string& source) { game::Script_RunSource(source, {"test script", "", 0, {}}); }
  // The open windows not yet marked closed, bottom to top.
  static std::vector<std::string> OpenNames() {
    std::vector<std::string> names;
    for (const game::TGmWindow& w : game::GuiState().Open)
      if (!w.Closed) names.push_back(w.Name);
    return names;
  }
  static game::TGmWindow& Open(const std::string& name) {
    for (game::TGmWindow& w : game::GuiState().Open)
      if (w.Name == name) return w;
    throw std::runtime_error("not open: " + name);
  }
};

TEST_F(ScriptGui, WindowAndWidgetFunctionsActOnOpenWindowsOnly) {
  Read("WINDOW = Panel\nW = 100\nH = 80\n"
       "[CREATESCRIPT]\n"
       "begin\n"
       "  Window_SetSize('panel', 120, 90);  // already open while its create script runs\n"
       "end.\n"
       "[/CREATESCRIPT]\n"
       "BUTTON = Go\nCAPTION = go\nLABEL = Title\nCAPTION = x\nITEMSLOT = Bag\n");
  Run("begin Label_SetCaption('Panel', 'Title', 'never'); SetInt('closed width', Label_GetWidth('Panel', 'Title')); "
      "Window_SetSize('Panel', 1, 1); end.");
  EXPECT_TRUE(game::GuiState().Open.empty());
  EXPECT_EQ(StoreInt("closed width"), 0);
  EXPECT_EQ(game::GuiState().Definitions.back().W, 100) << "the definition is never changed";

  Run("begin\n"
      "  Window_Create('PANEL');\n"
      "  Button_SetCaption('Panel', 'go', 'Go on'); Button_SetPos('Panel', 'Go', 7, -8);\n"
      "  Label_SetCaption('Panel', 'TITLE', 'Hello'); Label_SetPos('Panel', 'Title', 30, 40);\n"
      "  SetInt('width', Label_GetWidth('panel', 'title')); SetInt('missing', Label_GetWidth('Panel', 'None'));\n"
      "  ItemSlot_SetOwnerID('Panel', 'bag', 12);\n"
      "end.");
  ASSERT_EQ(OpenNames(), std::vector<std::string>{"Panel"});
  game::TGmWindow& panel = Open("Panel");
  EXPECT_EQ(panel.W, 120);
  EXPECT_EQ(panel.H, 90);
  EXPECT_EQ(panel.Buttons[0].Caption, "Go on");
  EXPECT_EQ(std::pair(panel.Buttons[0].X, panel.Buttons[0].Y), std::pair(7, -8));
  EXPECT_EQ(panel.Labels[0].Caption, "Hello");
  EXPECT_EQ(std::pair(panel.Labels[0].X, panel.Labels[0].Y), std::pair(30, 40));
  EXPECT_EQ(StoreInt("width"), 5 * 8);
  EXPECT_EQ(StoreInt("missing"), 0);
  EXPECT_EQ(panel.ItemSlots[0].OwnerID, 12);

  Run("begin Window_Close('panel'); Window_Create('Nowhere'); end.");
  EXPECT_TRUE(game::GuiState().Open.empty()) << "closed, removed at the end of the next creation";
  EXPECT_TRUE(game::GuiMessages().empty());
}

TEST_F(ScriptGui, CreateScriptsNestThreeDeepAndEachFinishesBeforeItsOpenerGoesOn) {
  auto window = [](const std::string& name, int digit, const std::string& opens, int after) {
    std::string d = std::to_string(digit), a = std::to_string(after);
    return "WINDOW = " + name + "\n[CREATESCRIPT]\nbegin\n  SetInt('order', GetInt('order') * 10 + " + d +
           ");\n" + (opens.empty() ? "" : "  Window_Create('" + opens + "');\n") +
           "  SetInt('order', GetInt('order') * 10 + " + a + ");\nend.\n[/CREATESCRIPT]\n";
  };
  Read(window("Outer", 1, "Middle", 6) + window("Middle", 2, "Inner", 5) + window("Inner", 3, "", 4));
  Run("begin Window_Create('Outer'); SetInt('order', GetInt('order') * 10 + 7); end.");
  EXPECT_EQ(StoreInt("order"), 1234567);
  EXPECT_EQ(OpenNames(), (std::vector<std::string>{"Outer", "Middle", "Inner"}));
  EXPECT_EQ(game::ScriptPoolStatus().size(), 4u) << "four scripts ran at once, one slot each";
  Run("begin end.");
  EXPECT_EQ(game::ScriptPoolStatus().size(), 4u) << "a finished script's slot is reused";
}

TEST_F(ScriptGui, AMessageInANestedCreateScriptPausesBothAndOKResumesTheOuterFirst) {
  Read("WINDOW = Ask\n[CREATESCRIPT]\n"
       "begin SetInt('order', GetInt('order') * 10 + 2); GameMessage('Ready?'); "
       "SetInt('order', GetInt('order') * 10 + 4); end.\n[/CREATESCRIPT]\n");
  Run("begin SetInt('order', 1); Window_Create('Ask'); SetInt('order', GetInt('order') * 10 + 3); end.");
  EXPECT_EQ(StoreInt("order"), 12) << "both stopped at the message";
  EXPECT_TRUE(game::GuiFlags().GameFrozen);
  EXPECT_EQ(OpenNames(), (std::vector<std::string>{"Ask", game::MessageWindowName}));
  EXPECT_EQ(game::ScriptPoolStatus(),
            (std::vector<script::TExecStatus>{script::TExecStatus::Paused, script::TExecStatus::Paused}));

  testsupport::PressOK();
  EXPECT_EQ(StoreInt("order"), 1234) << "slot order: the outer script goes on first";
  EXPECT_FALSE(game::GuiFlags().GameFrozen);
  EXPECT_EQ(OpenNames(), std::vector<std::string>{"Ask"});
}

TEST_F(ScriptGui, TheGuisInventoryViewUsesAndHandsOverItems) {
  game::TGmItem medkit;
  medkit.Name = "Medkit";
  medkit.Count = 1;
  medkit.UseScript = "begin SetInt('used by', Cr_ID); end. ";
  game::TGmItem stone;
  stone.Name = "Stone";
  stone.Count = 1;
  game::ItemLists().ItemKinds = {medkit, stone};
  for (uint16_t id : {5, 6}) {
    game::TCreature c;
    c.ID = id;
    game::CreatureLists().Creatures.push_back(c);
  }
  Run("begin Cr_GiveItem(5, 'medkit'); Cr_GiveItem(5, 'MEDKIT'); Cr_GiveItem(5, 'Stone'); end.");

  game::TGuiItemView view;
  ASSERT_EQ(game::GuiItemCount(0), 2);
  ASSERT_TRUE(game::GuiItemAt(0, 1, &view));
  EXPECT_EQ(view.Name, "Stone");
  EXPECT_FALSE(view.Usable);
  ASSERT_TRUE(game::GuiItemNamed(0, "MEDKIT", &view));
  EXPECT_EQ(view.Count, 2);
  EXPECT_TRUE(view.Usable);
  EXPECT_FALSE(game::GuiItemAt(0, 2, &view));
  EXPECT_FALSE(game::GuiItemAt(7, 0, &view));
  EXPECT_EQ(game::GuiItemCount(-1), 0);

  game::GuiUseItem(0, "Medkit");
  EXPECT_EQ(StoreInt("used by"), 5);
  ASSERT_TRUE(game::GuiItemNamed(0, "Medkit", &view));
  EXPECT_EQ(view.Count, 1);

  // The drag of the last stone ends when it is handed over.
  game::GuiState().Drag = {0, "Stone"};
  game::GuiGiveItem(0, 1, "stone");
  EXPECT_EQ(game::GuiItemCount(0), 1);
  EXPECT_EQ(game::GuiState().Drag.Creature, -1);
  ASSERT_TRUE(game::GuiItemNamed(1, "Stone", &view));
  EXPECT_EQ(view.Count, 1);
}

}  // namespace
