// Whole-game runs of the GUI with recorded input, read through the final frame: key M and the
// message box's OK.
#include <gtest/gtest.h>

#include <string>

#include "engine/textures.h"
#include "engine/textures_png.h"
#include "game/core/game_core.h"
#include "game/gui/gui.h"
#include "game/world/diagnostics.h"
#include "tests/support/test_support.h"

namespace {

using testsupport::ProcessResult;

class GuiRun : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = testsupport::ScratchDir();
    testsupport::LinkGameContent(dir_);
  }

  // Runs the demo for `ticks` ticks with `input`; the final frame is decoded into frame_.
  ProcessResult Run(const std::string& name, long ticks, const std::string& input) {
    testsupport::WriteFile(dir_ / (name + ".txt"), input);
    ProcessResult r = testsupport::RunProcess(
        {testsupport::BinPath("tessera").string(), "--headless", "--fixed-clock", "--ticks", std::to_string(ticks),
         "--input", (dir_ / (name + ".txt")).string(), "--screenshot", (dir_ / (name + ".png")).string()},
        dir_);
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

  std::filesystem::path dir_;
  eng::TImage frame_;
};

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

}  // namespace
