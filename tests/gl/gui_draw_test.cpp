// The GUI drawn on the virtual display with the game's own font and images, read back pixel by
// pixel: window, button and slot looks, the computer's turn, the message box, the frame-rate text
// and the cursor. Pictures are kept for people to look at.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "engine/font.h"
#include "engine/image_write.h"
#include "engine/mouse.h"
#include "engine/opengl.h"
#include "engine/textures.h"
#include "game/core/game_core.h"
#include "game/core/players.h"
#include "game/gui/gui.h"
#include "game/world/diagnostics.h"
#include "tests/support/gl_fixture.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;

const fs::path kGameGui = fs::path(TESSERA_GAME_DIR) / "Data" / "GUI";

// Window Plain at 100, 100 (200 x 120) with an untextured button B (80 x 30 at 10, 10), an empty
// item slot at 110, 20 and a label; window Always, shown in every turn, at 500, 100.
const char* kWindows =
    "WINDOW = Plain\nX=100\nY=100\nW=200\nH=120\n"
    "BUTTON = B\nCAPTION = Go\nX=10\nY=10\nW=80\nH=30\n"
    "LABEL = L\nCAPTION = \"A label\"\nX=10\nY=90\n"
    "ITEMSLOT = S\nX=110\nY=20\n"
    "WINDOW = Always\nALWAYSSHOW\nX=500\nY=100\nW=200\nH=120\n"
    "BUTTON = B\nCAPTION = Go\nX=10\nY=10\nW=80\nH=30\n"
    "BUTTON = Textured\nTEXTURE = missing.tga\nX=100\nY=10\nW=80\nH=30\n";

class GuiDraw : public testsupport::GlTest {
 protected:
  void SetUp() override {
    GlTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    dir_ = testsupport::ScratchDir();
    fs::create_directories(dir_ / "Data" / "GUI");
    for (const char* name : {"font.tfi", "font.tga", "cursor.tga"})
      fs::create_symlink(kGameGui / name, dir_ / "Data" / "GUI" / name);
    testsupport::WriteFile(dir_ / "Data" / "GUI" / "test.cro", kWindows);
    game::Core().AppDir = dir_.string() + "/";
    game::GUIReset();
    game::DiagnosticsReset();
    game::PlayersReset();
    game::PlayersStart();
    eng::FontReset();
    eng::MouseReset();
    eng::SetMode2D();
    Clear();
    game::GUI_Init();
    ASSERT_NE(game::GuiState().Font, nullptr);
    ASSERT_EQ(game::GuiState().Definitions.size(), 3u);
  }
  void TearDown() override {
    game::GUIReset();
    eng::FontReset();
    eng::MouseReset();
    game::Core().AppDir.clear();
  }

  static int Grey(uint32_t rgba) { return static_cast<int>(rgba & 0xFF); }
  static bool IsGrey(uint32_t rgba, int level, int tolerance = 1) {
    int r = rgba & 0xFF, g = (rgba >> 8) & 0xFF, b = (rgba >> 16) & 0xFF;
    return std::abs(r - level) <= tolerance && std::abs(g - level) <= tolerance && std::abs(b - level) <= tolerance;
  }
  // Draws the GUI once and reads the frame.
  static std::vector<uint8_t> Frame() {
    Clear();
    game::GUI_Draw();
    return ReadPixels();
  }
  // Columns and rows holding pixels darker than `threshold` inside the rectangle.
  static void InkBox(const std::vector<uint8_t>& px, int x0, int y0, int x1, int y1, int threshold, int* left,
                     int* right, int* top, int* bottom) {
    *left = *top = 100000;
    *right = *bottom = -1;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x)
        if (Grey(PixelAt(px, x, y)) < threshold) {
          *left = std::min(*left, x);
          *right = std::max(*right, x);
          *top = std::min(*top, y);
          *bottom = std::max(*bottom, y);
        }
  }
  // The darkest grey level inside a rectangle.
  static int Darkest(const std::vector<uint8_t>& px, int x0, int y0, int x1, int y1) {
    int darkest = 255;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) darkest = std::min(darkest, Grey(PixelAt(px, x, y)));
    return darkest;
  }
  static void Save(std::vector<uint8_t> px, const std::string& name) {
    for (size_t i = 3; i < px.size(); i += 4) px[i] = 255;
    fs::path out = fs::path(TESSERA_BINARY_DIR) / "screenshots";
    fs::create_directories(out);
    std::string error;
    EXPECT_TRUE(eng::WritePng((out / name).string(), 800, 600, px.data(), true, &error)) << error;
  }

  fs::path dir_;
};

TEST_F(GuiDraw, WindowsButtonsAndSlotsHaveTheirLooks) {
  game::Window_Create("Plain");
  auto px = Frame();
  // The window: background 221, outline 34 through its edge pixels.
  EXPECT_TRUE(IsGrey(PixelAt(px, 250, 200), 221));
  EXPECT_TRUE(IsGrey(PixelAt(px, 100, 150), 34));
  EXPECT_TRUE(IsGrey(PixelAt(px, 299, 150), 34));
  EXPECT_TRUE(IsGrey(PixelAt(px, 150, 219), 34));
  EXPECT_TRUE(IsGrey(PixelAt(px, 150, 220), 0)) << "nothing outside";
  // The button at 110, 110: face 187, outline 68, light bevel at the top left, dark at the
  // bottom right.
  EXPECT_TRUE(IsGrey(PixelAt(px, 115, 125), 187));
  EXPECT_TRUE(IsGrey(PixelAt(px, 110, 125), 68));
  EXPECT_TRUE(IsGrey(PixelAt(px, 150, 111), 255));
  EXPECT_TRUE(IsGrey(PixelAt(px, 111, 125), 255));
  EXPECT_TRUE(IsGrey(PixelAt(px, 150, 138), 119));
  EXPECT_TRUE(IsGrey(PixelAt(px, 188, 125), 119));
  // Its caption is dark ink in the middle.
  int left, right, top, bottom;
  InkBox(px, 112, 112, 188, 138, 120, &left, &right, &top, &bottom);
  ASSERT_GE(right, left) << "the caption is drawn";
  EXPECT_NEAR((left + right) / 2.0, 150.0, 2.0);
  EXPECT_NEAR((top + bottom) / 2.0, 125.0, 3.0);
  // The empty slot at 210, 120: 64 x 64 of 187 in an outline of 68.
  EXPECT_TRUE(IsGrey(PixelAt(px, 240, 150), 187));
  EXPECT_TRUE(IsGrey(PixelAt(px, 210, 150), 68));
  EXPECT_TRUE(IsGrey(PixelAt(px, 273, 150), 68));
  EXPECT_TRUE(IsGrey(PixelAt(px, 274, 150), 221));
  // The label's text starts at its point, 110, 190.
  InkBox(px, 102, 186, 290, 215, 120, &left, &right, &top, &bottom);
  EXPECT_GE(left, 109);
  EXPECT_LE(left, 112);
  EXPECT_GE(top, 190);

  game::TGmButton& b = game::GuiState().Open[0].Buttons[0];
  b.Hover = true;
  px = Frame();
  EXPECT_TRUE(IsGrey(PixelAt(px, 115, 125), 204)) << "hovered";
  b.Pressed = true;
  px = Frame();
  EXPECT_TRUE(IsGrey(PixelAt(px, 115, 125), 187)) << "pressed shows the plain face";
  EXPECT_TRUE(IsGrey(PixelAt(px, 150, 111), 119)) << "and the bevel swapped";
  EXPECT_TRUE(IsGrey(PixelAt(px, 150, 138), 255));
  Save(px, "gui_window_pressed.png");
}

TEST_F(GuiDraw, ComputerTurnShowsOnlyAlwaysShowWindowsWithDimmedButtons) {
  game::Window_Create("Plain");
  game::Window_Create("Always");
  auto px = Frame();
  EXPECT_TRUE(IsGrey(PixelAt(px, 250, 200), 221));
  EXPECT_TRUE(IsGrey(PixelAt(px, 639, 124), 255)) << "the button image at full opacity in a human turn";
  EXPECT_NEAR(Darkest(px, 512, 112, 588, 138), 51, 3) << "the caption too";
  game::PlayerTable().CurrentPlayer = 1;
  px = Frame();
  EXPECT_TRUE(IsGrey(PixelAt(px, 250, 200), 0)) << "not drawn in the computer's turn";
  EXPECT_TRUE(IsGrey(PixelAt(px, 650, 200), 221));
  // The image and the caption at opacity 170 over the window's 221 and the face's 187.
  EXPECT_TRUE(IsGrey(PixelAt(px, 639, 124), (255 * 170 + 221 * 85) / 255, 2)) << Grey(PixelAt(px, 639, 124));
  EXPECT_NEAR(Darkest(px, 512, 112, 588, 138), (51 * 170 + 187 * 85) / 255, 3);
  EXPECT_TRUE(IsGrey(PixelAt(px, 515, 125), 187)) << "an image-less face stays opaque";
}

TEST_F(GuiDraw, AMissingButtonImageShowsThePlaceholderCentred) {
  game::Window_Create("Always");
  auto px = Frame();
  // Button at 600, 110, 80 x 30: the 4 x 4 white placeholder at 638, 123.
  EXPECT_TRUE(IsGrey(PixelAt(px, 639, 124), 255));
  EXPECT_TRUE(IsGrey(PixelAt(px, 641, 126), 255));
  EXPECT_TRUE(IsGrey(PixelAt(px, 637, 124), 221)) << "no face, no outline";
  EXPECT_TRUE(IsGrey(PixelAt(px, 600, 125), 221));
}

TEST_F(GuiDraw, MessageBoxTextIsInsideTheBoxAndCentred) {
  // "Проба" and a long Latin text: the box widens around the text, centred on the screen.
  const std::string text = "\xCF\xF0\xEE\xE1\xE0: the door is locked, find the key in the stores first";
  game::GameMessage(text);
  const game::TGmWindow& box = game::GuiState().Open.back();
  int width = static_cast<int>(std::nearbyint(eng::Text_Width(game::GuiState().Font, text, 0)));
  ASSERT_GT(width, 160);
  EXPECT_EQ(box.W, width + 40);
  auto px = Frame();
  Save(px, "gui_message_box.png");
  const int boxLeft = 400 - box.W / 2;
  EXPECT_EQ(box.ScreenX, boxLeft);
  EXPECT_TRUE(IsGrey(PixelAt(px, boxLeft, 300), 34)) << "the outline";
  EXPECT_TRUE(IsGrey(PixelAt(px, boxLeft - 1, 300), 0));
  EXPECT_TRUE(IsGrey(PixelAt(px, boxLeft + box.W - 1, 300), 34));
  int left, right, top, bottom;
  InkBox(px, boxLeft + 1, 251, boxLeft + box.W - 1, 300, 150, &left, &right, &top, &bottom);
  ASSERT_GE(right, left);
  EXPECT_NEAR((left + right) / 2.0, 400.0, 2.0) << "centred";
  EXPECT_GE(left, boxLeft + 15) << "margins on both sides";
  EXPECT_LE(right, boxLeft + box.W - 15);
  EXPECT_GE(top, 250 + 24 - 2);
  // The OK button (78 x 28) 54 pixels below the top, centred.
  EXPECT_TRUE(IsGrey(PixelAt(px, 361, 318), 68));
  EXPECT_TRUE(IsGrey(PixelAt(px, 438, 318), 68));
  EXPECT_TRUE(IsGrey(PixelAt(px, 365, 318), 187));
}

TEST_F(GuiDraw, FrameRateTextAndCursorFollowTheMouse) {
  eng::MouseOnMove(300, 400);
  auto px = Frame();
  int left = 1000, right = -1;
  for (int y = 0; y < 22; ++y)
    for (int x = 0; x < 120; ++x)
      if (Grey(PixelAt(px, x, y)) > 128) {
        left = std::min(left, x);
        right = std::max(right, x);
      }
  EXPECT_GE(left, 10);
  EXPECT_LE(left, 13) << "\"FPS: \" starts at 10, 2";
  EXPECT_GT(right, 40);
  // The cursor's tip sits on the mouse position: its image is drawn from 4 pixels up and left.
  EXPECT_GT(Grey(PixelAt(px, 303, 410)), 100);
  EXPECT_TRUE(IsGrey(PixelAt(px, 295, 400), 0));
}

// The demo's windows as the game opens them, their labels filled as their create scripts fill
// them: every caption and slot lies inside its window, and a picture is kept.
TEST_F(GuiDraw, DemoWindowsHoldTheirText) {
  game::Core().AppDir = std::string(TESSERA_GAME_DIR) + "/";
  // The fixture's own windows were read with a deliberately missing button image; only what the
  // demo's files bring counts here.
  game::GUIReset();
  game::DiagnosticsReset();
  game::GUI_Init();
  for (const game::TProblem& problem : game::Problems()) ADD_FAILURE() << game::FormatProblem(problem);
  for (const char* name : {"CrPanel", "CrInfo", "TurnNotice"}) game::Window_Create(name);
  ASSERT_EQ(game::GuiState().Open.size(), 3u);
  game::Label_SetCaption("CrPanel", "Name", "Blue Soldier");
  game::Label_SetCaption("CrPanel", "Health", "Health 100 / 100");
  game::Label_SetCaption("CrPanel", "Points", "Move 10  Action 10");
  game::Label_SetCaption("CrPanel", "Shots", "Shots 100");
  game::Label_SetCaption("CrInfo", "Name", "Red Soldier");
  game::Label_SetCaption("CrInfo", "Health", "Health 100 / 100");
  game::Label_SetCaption("CrInfo", "Attack", "Strike 10  Shot 10  Range 10");
  eng::MouseOnMove(700, 300);
  auto px = Frame();
  Save(px, "gui_demo_windows.png");
  const eng::engTFont* font = game::GuiState().Font;
  for (const game::TGmWindow& w : game::GuiState().Open) {
    EXPECT_GE(w.ScreenX, 0) << w.Name;
    EXPECT_LE(w.ScreenX + w.W, 800) << w.Name;
    EXPECT_LE(w.ScreenY + w.H, 600) << w.Name;
    for (const game::TGmLabel& l : w.Labels) {
      float width = eng::Text_Width(font, l.Caption, 0);
      EXPECT_GE(l.ScreenX, w.ScreenX + 4) << w.Name << " " << l.Name;
      EXPECT_LE(l.ScreenX + width, w.ScreenX + w.W - 4) << w.Name << " " << l.Name;
      EXPECT_GE(l.ScreenY, w.ScreenY) << w.Name << " " << l.Name;
      EXPECT_LE(l.ScreenY + font->LineHeight, w.ScreenY + w.H) << w.Name << " " << l.Name;
    }
    for (const game::TGmButton& b : w.Buttons) {
      EXPECT_GE(b.ScreenX, w.ScreenX) << b.Name;
      EXPECT_LE(b.ScreenX + b.W, w.ScreenX + w.W) << b.Name;
      EXPECT_LE(b.ScreenY + b.H, w.ScreenY + w.H) << b.Name;
      ASSERT_NE(b.Texture, nullptr) << b.Name;
      EXPECT_GT(b.Texture->Width, 4) << "the generated image, not the placeholder";
      EXPECT_LE(b.Texture->Width, b.W);
      EXPECT_LE(eng::Text_Width(font, b.Caption, 0), b.W - 8) << b.Name;
    }
    for (const game::TGmItemSlot& s : w.ItemSlots) {
      EXPECT_LE(s.ScreenX + 64, w.ScreenX + w.W) << s.Name;
      EXPECT_LE(s.ScreenY + 64, w.ScreenY + w.H) << s.Name;
    }
  }
}

}  // namespace
