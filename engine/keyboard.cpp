// Polled keyboard state.
#include "engine/keyboard.h"

#include <array>

namespace eng {

namespace {

constexpr size_t kTextLimit = 4096;

struct KeyboardState {
  std::array<bool, 256> down{};
  std::array<bool, 256> up{};
  std::array<bool, 256> press{};
  std::array<bool, 256> canPress{};  // false until the first clear: no Press before it
  uint8_t lastDown = 0;
  uint8_t lastUp = 0;
  std::string text;
};

KeyboardState g_keyboard;

void MarkDown(uint8_t k) {
  g_keyboard.down[k] = true;
  g_keyboard.up[k] = false;
  if (g_keyboard.canPress[k]) {
    g_keyboard.press[k] = true;
    g_keyboard.canPress[k] = false;
  }
}

}  // namespace

bool KeyDown(uint8_t code) { return g_keyboard.down[code]; }
bool KeyUp(uint8_t code) { return g_keyboard.up[code]; }
bool KeyPress(uint8_t code) { return g_keyboard.press[code]; }
uint8_t KeyLastDown() { return g_keyboard.lastDown; }
uint8_t KeyLastUp() { return g_keyboard.lastUp; }

void KeyClearState() {
  g_keyboard.up.fill(false);
  g_keyboard.press.fill(false);
  g_keyboard.canPress.fill(true);
  g_keyboard.lastDown = 0;
  g_keyboard.lastUp = 0;
}

void KeyReleaseAll() { g_keyboard.down.fill(false); }

uint8_t KeyCombinedCode(uint8_t code) {
  switch (code) {
    case KeyLeftShift:
    case KeyRightShift: return KeyShift;
    case KeyLeftCtrl:
    case KeyRightCtrl: return KeyCtrl;
    case KeyLeftAlt:
    case KeyRightAlt: return KeyAlt;
    default: return code;
  }
}

void KeyboardOnDown(uint8_t code) {
  MarkDown(code);
  g_keyboard.lastDown = code;
  MarkDown(KeyCombinedCode(code));
}

void KeyboardOnUp(uint8_t code) {
  // CanPress is left alone: pressed, released and pressed again within one clear period reports
  // Press once.
  g_keyboard.down[code] = false;
  g_keyboard.up[code] = true;
  g_keyboard.lastUp = code;
  uint8_t combined = KeyCombinedCode(code);
  g_keyboard.down[combined] = false;
  g_keyboard.up[combined] = true;
}

void KeyboardOnChar(uint8_t ch) {
  if (g_keyboard.text.size() < kTextLimit) g_keyboard.text.push_back(static_cast<char>(ch));
}

const std::string& KeyboardText() { return g_keyboard.text; }

void KeyboardReset() { g_keyboard = KeyboardState{}; }

}  // namespace eng
