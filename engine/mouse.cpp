// Polled mouse state.
#include "engine/mouse.h"

#include <array>
#include <cmath>

#include "engine/main.h"

namespace eng {

namespace {

struct MouseState {
  std::array<bool, 3> down{};
  std::array<bool, 3> up{};
  std::array<bool, 3> click{};
  std::array<bool, 3> canClick{};  // false until the first clear: no Click before it
  std::array<bool, 2> wheel{};
  int x = 0;  // client pixels as the system last reported them
  int y = 0;
};

MouseState g_mouse;

bool ValidButton(int button) { return button >= 0 && button < 3; }

// Resolution correction is off in this program (scale 1, offset 0); the rule is kept so that a
// program that turns it on gets rounded, corrected coordinates.
int Corrected(int position, double offset, double scale) {
  if (!FeatureEnabled(FeatureResolutionCorrection)) return position;
  return static_cast<int>(std::lround((position - offset) / scale));
}

}  // namespace

int MouseX() { return Corrected(g_mouse.x, 0.0, 1.0); }
int MouseY() { return Corrected(g_mouse.y, 0.0, 1.0); }
bool MouseDown(int button) { return ValidButton(button) && g_mouse.down[button]; }
bool MouseUp(int button) { return ValidButton(button) && g_mouse.up[button]; }
bool MouseClick(int button) { return ValidButton(button) && g_mouse.click[button]; }
bool MouseWheel(int direction) { return direction >= 0 && direction < 2 && g_mouse.wheel[direction]; }

void MouseClearState() {
  g_mouse.up.fill(false);
  g_mouse.click.fill(false);
  g_mouse.wheel.fill(false);
  g_mouse.canClick.fill(true);
}

void MouseReleaseAll() { g_mouse.down.fill(false); }

void MouseOnDown(int button) {
  if (!ValidButton(button)) return;
  g_mouse.down[button] = true;
  if (g_mouse.canClick[button]) {
    g_mouse.click[button] = true;
    g_mouse.canClick[button] = false;
  }
}

void MouseOnUp(int button) {
  if (!ValidButton(button)) return;
  g_mouse.down[button] = false;
  g_mouse.up[button] = true;
  g_mouse.canClick[button] = true;
}

void MouseOnWheel(int delta) {
  g_mouse.wheel[0] = delta > 0;
  g_mouse.wheel[1] = delta <= 0;
}

void MouseOnMove(int x, int y) {
  g_mouse.x = x;
  g_mouse.y = y;
}

void MouseReset() { g_mouse = MouseState{}; }

}  // namespace eng
