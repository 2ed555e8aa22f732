// The main loop, the window procedure and frame counting.
#pragma once

#include <cstdint>

#include "engine/platform/platform.h"
#include "engine/timers.h"

namespace eng {

struct AppState {
  bool Working = false;       // the loop runs while set
  bool Initialised = false;
  bool Focused = true;
  bool Paused = false;
  bool AutoPause = true;      // pause on focus loss
  bool ShowCursor = true;     // system cursor over the client area; start-up clears it
  bool CursorShown = true;    // what the system was last told
  double DrawClock = 0.0;
  double UpdateClock = 0.0;
  int32_t FramesThisSecond = 0;
  int32_t FPS = 1000;         // until the first second has passed
  int64_t FpsSum = 0;
  int32_t Seconds = 0;
  TTimer* FpsTimer = nullptr;
  int32_t DrawEvery = 1;      // draw only every Nth frame the clock allows (long headless runs)
  int64_t FramesDue = 0;      // frames the clock allowed while DrawEvery is above 1
};

AppState& App();

// Load, then passes until the working flag is cleared.
void MainLoop();
// One pass: messages, timers, Update, at most one frame.
void LoopPass();
// The frame-clock rule: under 1 ms since the last frame nothing; 1 to 2 ms the clock grows by
// 1 ms and a frame is drawn (true); 2 ms or more the clock is re-based to now and the frame
// skipped.
bool FrameClockStep(double* drawClock, double now);
// Whether a frame the clock allows is drawn: every DrawEvery-th one, and always one that a
// screenshot waits for.
bool FrameWanted();
// Clear, Draw, present, and count the frame unless paused.
void DrawFrame();
// The per-second counter's timer procedure.
void FpsTick();
// Reacts to one window event (the window procedure).
void WindowProc(const platform::Event& event);
// Hides or shows the system cursor as the pause and show-cursor flags say.
void UpdateSystemCursor();

// Back to the state at process start (tests).
void AppReset();

}  // namespace eng
