// PC set-1 scan codes for USB HID usages, the codes SDL reports keys by. Every backend carries the
// table, so that its tests run wherever the engine is built.
#include <array>

#include "engine/platform/platform.h"

namespace eng::platform {

namespace {

// HID usage (SDL scancode) to PC set-1 scan code. Keys that set 1 sends with the E0 prefix and
// that the engine reports as extended get 0x80 + code.
constexpr std::array<uint8_t, 256> MakeScanCodeTable() {
  std::array<uint8_t, 256> t{};
  // Letters A..Z (HID 4..29).
  constexpr uint8_t letters[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17,
                                   0x24, 0x25, 0x26, 0x32, 0x31, 0x18, 0x19, 0x10, 0x13,
                                   0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};
  for (int i = 0; i < 26; ++i) t[4 + i] = letters[i];
  // Digits 1..9, 0 (HID 30..39) are set-1 codes 0x02..0x0B.
  for (int i = 0; i < 10; ++i) t[30 + i] = static_cast<uint8_t>(0x02 + i);
  t[40] = 0x1C;  // Return
  t[41] = 0x01;  // Escape
  t[42] = 0x0E;  // Backspace
  t[43] = 0x0F;  // Tab
  t[44] = 0x39;  // Space
  t[45] = 0x0C;  // -
  t[46] = 0x0D;  // =
  t[47] = 0x1A;  // [
  t[48] = 0x1B;  // ]
  t[49] = 0x2B;  // backslash
  t[50] = 0x2B;  // non-US # (same key position as backslash)
  t[51] = 0x27;  // ;
  t[52] = 0x28;  // '
  t[53] = 0x29;  // `
  t[54] = 0x33;  // ,
  t[55] = 0x34;  // .
  t[56] = 0x35;  // /
  t[57] = 0x3A;  // Caps Lock
  for (int i = 0; i < 10; ++i) t[58 + i] = static_cast<uint8_t>(0x3B + i);  // F1..F10
  t[68] = 0x57;  // F11
  t[69] = 0x58;  // F12
  t[70] = 0x54;  // Print Screen (SysRq)
  t[71] = 0x46;  // Scroll Lock
  t[72] = 0xC5;  // Pause
  t[73] = 0xD2;  // Insert
  t[74] = 0xC7;  // Home
  t[75] = 0xC9;  // Page Up
  t[76] = 0xD3;  // Delete
  t[77] = 0xCF;  // End
  t[78] = 0xD1;  // Page Down
  t[79] = 0xCD;  // Right
  t[80] = 0xCB;  // Left
  t[81] = 0xD0;  // Down
  t[82] = 0xC8;  // Up
  t[83] = 0x45;  // Num Lock
  t[84] = 0x35;  // keypad /  (the system reports it like /)
  t[85] = 0x37;  // keypad *
  t[86] = 0x4A;  // keypad -
  t[87] = 0x4E;  // keypad +
  t[88] = 0x1C;  // keypad Enter (the system reports it like Enter)
  constexpr uint8_t keypad[10] = {0x4F, 0x50, 0x51, 0x4B, 0x4C, 0x4D, 0x47, 0x48, 0x49, 0x52};
  for (int i = 0; i < 10; ++i) t[89 + i] = keypad[i];  // keypad 1..9, 0
  t[99] = 0x53;   // keypad .
  t[100] = 0x56;  // non-US backslash
  t[101] = 0x5D;  // Application (menu)
  t[224] = 0x1D;  // left Ctrl
  t[225] = 0x2A;  // left Shift
  t[226] = 0x38;  // left Alt
  t[227] = 0x5B;  // left Windows
  t[228] = 0x9D;  // right Ctrl
  t[229] = 0x36;  // right Shift
  t[230] = 0xB8;  // right Alt
  t[231] = 0x5C;  // right Windows
  return t;
}

constexpr std::array<uint8_t, 256> kScanCodes = MakeScanCodeTable();

}  // namespace

uint8_t ScanCodeFromHid(int hidUsage) {
  if (hidUsage < 0 || hidUsage >= static_cast<int>(kScanCodes.size())) return 0;
  return kScanCodes[static_cast<size_t>(hidUsage)];
}

}  // namespace eng::platform
