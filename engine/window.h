// The game window: creation at the stored size and position, destruction, and bringing its style,
// size and place in line with the screen options.
#pragma once

#include <cstdint>

namespace eng {

// Stores the size (and, with flag 0x0400, centres the position on the desktop). Until a pixel
// format has been chosen there is nothing to create yet; afterwards the real window is created
// with its GL context. False after an error box on failure.
bool WindowCreate(int32_t width, int32_t height);
void WindowDestroy();
// Style, caption, size, place and projection after the screen options changed (or the display
// did): fullscreen in the chosen mode when fullscreen and focused, otherwise a framed window.
void WindowUpdate();

}  // namespace eng
