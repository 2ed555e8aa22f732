// Polled mouse state: buttons 0 left, 1 middle, 2 right; wheel 0 up (away from the user), 1 down;
// the cursor in window client pixels.
#pragma once

namespace eng {

int MouseX();
int MouseY();
bool MouseDown(int button);
bool MouseUp(int button);
bool MouseClick(int button);
bool MouseWheel(int direction);
// Clears Up, Click and both wheel entries and allows Click again; Down is not changed.
void MouseClearState();
// Clears every held button (focus gain).
void MouseReleaseAll();

// Window procedure input. A double click counts as a plain press.
void MouseOnDown(int button);
void MouseOnUp(int button);
void MouseOnWheel(int delta);
void MouseOnMove(int x, int y);

// Back to the state at process start (tests).
void MouseReset();

}  // namespace eng
