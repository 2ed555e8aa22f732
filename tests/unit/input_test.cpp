// Keyboard and mouse state machines as the window procedure drives them, and the scan-code table.
#include <gtest/gtest.h>

#include <set>

#include "engine/application.h"
#include "engine/keyboard.h"
#include "engine/mouse.h"
#include "engine/platform/platform.h"

namespace {

using eng::platform::Event;
using eng::platform::EventType;

class InputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    eng::KeyboardReset();
    eng::MouseReset();
    eng::AppReset();
  }
  static void Send(EventType type, int code = 0, bool system = false, bool repeat = false) {
    Event e;
    e.type = type;
    e.code = code;
    e.system = system;
    e.repeat = repeat;
    eng::WindowProc(e);
  }
};

TEST_F(InputTest, NoPressOrClickBeforeTheFirstClear) {
  Send(EventType::KeyDown, 0x14);
  Send(EventType::MouseDown, 0);
  EXPECT_TRUE(eng::KeyDown(0x14));
  EXPECT_FALSE(eng::KeyPress(0x14));
  EXPECT_TRUE(eng::MouseDown(0));
  EXPECT_FALSE(eng::MouseClick(0));
}

TEST_F(InputTest, PressAndReleaseWithinOneTick) {
  eng::KeyClearState();
  Send(EventType::KeyDown, 0x12);
  Send(EventType::KeyUp, 0x12);
  EXPECT_TRUE(eng::KeyPress(0x12));
  EXPECT_TRUE(eng::KeyUp(0x12));
  EXPECT_FALSE(eng::KeyDown(0x12));
  EXPECT_EQ(eng::KeyLastDown(), 0x12);
  EXPECT_EQ(eng::KeyLastUp(), 0x12);
  Send(EventType::KeyDown, 0x12);  // pressed again in the same period: still one Press
  EXPECT_TRUE(eng::KeyPress(0x12));
  eng::KeyClearState();
  EXPECT_FALSE(eng::KeyPress(0x12));
  EXPECT_FALSE(eng::KeyUp(0x12));
  EXPECT_TRUE(eng::KeyDown(0x12)) << "clearing leaves Down alone";
  EXPECT_EQ(eng::KeyLastDown(), 0);
}

TEST_F(InputTest, HeldKeyPressesAgainOnlyWithAutoRepeat) {
  eng::KeyClearState();
  Send(EventType::KeyDown, 0x32);
  EXPECT_TRUE(eng::KeyPress(0x32));
  eng::KeyClearState();
  EXPECT_TRUE(eng::KeyDown(0x32));
  EXPECT_FALSE(eng::KeyPress(0x32)) << "a held key without new down messages";
  Send(EventType::KeyDown, 0x32, false, true);
  EXPECT_TRUE(eng::KeyPress(0x32)) << "an auto-repeat message presses again";
}

TEST_F(InputTest, AltSetsBothCodesAndReleaseClearsBoth) {
  eng::KeyClearState();
  Send(EventType::KeyDown, 0x38);
  EXPECT_TRUE(eng::KeyDown(0x38));
  EXPECT_TRUE(eng::KeyDown(0xFD));
  EXPECT_TRUE(eng::KeyPress(0xFD));
  EXPECT_EQ(eng::KeyLastDown(), 0x38) << "LastDown is the key itself";
  Send(EventType::KeyUp, 0x38);
  EXPECT_FALSE(eng::KeyDown(0x38));
  EXPECT_FALSE(eng::KeyDown(0xFD));
  EXPECT_TRUE(eng::KeyUp(0xFD));
  // Right Ctrl and right Shift fold into the same combined codes.
  Send(EventType::KeyDown, 0x9D);
  Send(EventType::KeyDown, 0x36);
  EXPECT_TRUE(eng::KeyDown(0xFE));
  EXPECT_TRUE(eng::KeyDown(0xFC));
}

TEST_F(InputTest, AltF4EndsTheLoopButF4AloneDoesNot) {
  eng::App().Working = true;
  Send(EventType::KeyDown, 0x3E, false);
  EXPECT_TRUE(eng::App().Working);
  Send(EventType::KeyDown, 0x3E, true);
  EXPECT_FALSE(eng::App().Working);
}

TEST_F(InputTest, ClickAndReleaseWithinOneTick) {
  eng::MouseClearState();
  Send(EventType::MouseDown, 0);
  Send(EventType::MouseUp, 0);
  EXPECT_TRUE(eng::MouseClick(0));
  EXPECT_TRUE(eng::MouseUp(0));
  EXPECT_FALSE(eng::MouseDown(0));
  // Release re-arms Click within the same period, unlike keys.
  Send(EventType::MouseDown, 0);
  eng::MouseClearState();
  EXPECT_FALSE(eng::MouseClick(0));
  EXPECT_TRUE(eng::MouseDown(0));
}

TEST_F(InputTest, WheelLastMessageDecides) {
  eng::MouseClearState();
  Event e;
  e.type = EventType::MouseWheel;
  e.wheel = 1;
  eng::WindowProc(e);
  e.wheel = -1;
  eng::WindowProc(e);
  EXPECT_FALSE(eng::MouseWheel(0));
  EXPECT_TRUE(eng::MouseWheel(1));
  e.wheel = 3;
  eng::WindowProc(e);
  EXPECT_TRUE(eng::MouseWheel(0));
  EXPECT_FALSE(eng::MouseWheel(1));
  eng::MouseClearState();
  EXPECT_FALSE(eng::MouseWheel(0));
}

TEST_F(InputTest, CursorFollowsMoveAndButtonMessages) {
  Event e;
  e.type = EventType::MouseMove;
  e.x = 123;
  e.y = 45;
  eng::WindowProc(e);
  EXPECT_EQ(eng::MouseX(), 123);
  EXPECT_EQ(eng::MouseY(), 45);
}

TEST_F(InputTest, FocusGainClearsEverythingAndLossPauses) {
  eng::App().Working = true;
  eng::KeyClearState();
  eng::MouseClearState();
  Send(EventType::KeyDown, 0x1C);
  Send(EventType::MouseDown, 2);
  Send(EventType::FocusLost);
  EXPECT_FALSE(eng::App().Focused);
  EXPECT_TRUE(eng::App().Paused);
  Send(EventType::FocusGained);
  EXPECT_TRUE(eng::App().Focused);
  EXPECT_FALSE(eng::App().Paused);
  EXPECT_FALSE(eng::KeyDown(0x1C));
  EXPECT_FALSE(eng::KeyPress(0x1C));
  EXPECT_FALSE(eng::MouseDown(2));
  EXPECT_FALSE(eng::MouseClick(2));
  Send(EventType::KeyDown, 0x1C);
  EXPECT_TRUE(eng::KeyPress(0x1C)) << "focus gain re-arms Press";
}

TEST(ScanCodes, KeysTheGameUsesAndTheNavigationBlock) {
  using eng::platform::ScanCodeFromHid;
  // HID usage numbers: A = 4 ... Z = 29, 1 = 30 ... 0 = 39, Return 40, Escape 41, F1 58.
  EXPECT_EQ(ScanCodeFromHid(41), 0x01);   // Escape
  EXPECT_EQ(ScanCodeFromHid(40), 0x1C);   // Enter
  EXPECT_EQ(ScanCodeFromHid(88), 0x1C);   // keypad Enter reads as Enter
  EXPECT_EQ(ScanCodeFromHid(8), 0x12);    // E
  EXPECT_EQ(ScanCodeFromHid(23), 0x14);   // T
  EXPECT_EQ(ScanCodeFromHid(16), 0x32);   // M
  EXPECT_EQ(ScanCodeFromHid(4), 0x1E);    // A
  EXPECT_EQ(ScanCodeFromHid(29), 0x2C);   // Z
  EXPECT_EQ(ScanCodeFromHid(30), 0x02);   // 1
  EXPECT_EQ(ScanCodeFromHid(39), 0x0B);   // 0
  EXPECT_EQ(ScanCodeFromHid(61), 0x3E);   // F4
  EXPECT_EQ(ScanCodeFromHid(68), 0x57);   // F11
  EXPECT_EQ(ScanCodeFromHid(75), 0xC9);   // Page Up
  EXPECT_EQ(ScanCodeFromHid(78), 0xD1);   // Page Down
  EXPECT_EQ(ScanCodeFromHid(77), 0xCF);   // End
  EXPECT_EQ(ScanCodeFromHid(74), 0xC7);   // Home
  EXPECT_EQ(ScanCodeFromHid(80), 0xCB);   // Left
  EXPECT_EQ(ScanCodeFromHid(82), 0xC8);   // Up
  EXPECT_EQ(ScanCodeFromHid(79), 0xCD);   // Right
  EXPECT_EQ(ScanCodeFromHid(81), 0xD0);   // Down
  EXPECT_EQ(ScanCodeFromHid(73), 0xD2);   // Insert
  EXPECT_EQ(ScanCodeFromHid(76), 0xD3);   // Delete
  EXPECT_EQ(ScanCodeFromHid(224), 0x1D);  // left Ctrl
  EXPECT_EQ(ScanCodeFromHid(228), 0x9D);  // right Ctrl
  EXPECT_EQ(ScanCodeFromHid(226), 0x38);  // left Alt
  EXPECT_EQ(ScanCodeFromHid(230), 0xB8);  // right Alt
  EXPECT_EQ(ScanCodeFromHid(225), 0x2A);  // left Shift
  EXPECT_EQ(ScanCodeFromHid(229), 0x36);  // right Shift
  EXPECT_EQ(ScanCodeFromHid(0), 0);
  EXPECT_EQ(ScanCodeFromHid(-1), 0);
  EXPECT_EQ(ScanCodeFromHid(100000), 0);
}

TEST(ScanCodes, EveryMainKeyHasItsOwnCode) {
  // The letters, digits, F-keys and the editing block must not share codes, or one key would
  // read as another.
  std::set<int> seen;
  for (int hid = 4; hid <= 82; ++hid) {
    if (hid == 50) continue;  // the non-US # key sits where backslash does
    int code = eng::platform::ScanCodeFromHid(hid);
    ASSERT_NE(code, 0) << "HID " << hid;
    EXPECT_TRUE(seen.insert(code).second) << "HID " << hid << " repeats code " << code;
  }
}

}  // namespace
