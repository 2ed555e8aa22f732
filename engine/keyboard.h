// Polled keyboard state, written by the window procedure and read by the game once per tick.
// Codes are PC set-1 scan codes; 0x80 + code for the extended navigation keys; 0xFC, 0xFE and
// 0xFD stand for either Shift, Ctrl and Alt.
#pragma once

#include <cstdint>
#include <string>

namespace eng {

constexpr uint8_t KeyEscape = 0x01;
constexpr uint8_t KeyEnter = 0x1C;
constexpr uint8_t KeyE = 0x12;
constexpr uint8_t KeyT = 0x14;
constexpr uint8_t KeyM = 0x32;
constexpr uint8_t KeyF4 = 0x3E;
constexpr uint8_t KeyLeftShift = 0x2A;
constexpr uint8_t KeyRightShift = 0x36;
constexpr uint8_t KeyLeftCtrl = 0x1D;
constexpr uint8_t KeyRightCtrl = 0x9D;
constexpr uint8_t KeyLeftAlt = 0x38;
constexpr uint8_t KeyRightAlt = 0xB8;
constexpr uint8_t KeyShift = 0xFC;
constexpr uint8_t KeyCtrl = 0xFE;
constexpr uint8_t KeyAlt = 0xFD;

bool KeyDown(uint8_t code);
bool KeyUp(uint8_t code);
bool KeyPress(uint8_t code);
uint8_t KeyLastDown();
uint8_t KeyLastUp();
// Clears Up and Press, allows Press again for every code, sets LastDown and LastUp to 0; Down
// is not changed.
void KeyClearState();
// Clears every held key (focus gain).
void KeyReleaseAll();

// The combined code of a key (0xFC/0xFE/0xFD for the modifiers), or the code itself.
uint8_t KeyCombinedCode(uint8_t code);
// A key went down (auto-repeat included) or up.
void KeyboardOnDown(uint8_t code);
void KeyboardOnUp(uint8_t code);
// A typed character, kept in a text buffer that the game does not read.
void KeyboardOnChar(uint8_t ch);
const std::string& KeyboardText();

// Back to the state at process start: everything false, Press not yet allowed (tests).
void KeyboardReset();

}  // namespace eng
