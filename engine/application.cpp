// The main loop, the window procedure and frame counting.
#include "engine/application.h"

#include "engine/input_stream.h"
#include "engine/keyboard.h"
#include "engine/main.h"
#include "engine/mouse.h"
#include "engine/opengl.h"
#include "engine/screen.h"
#include "engine/screenshot.h"
#include "engine/window.h"

namespace eng {

namespace {

AppState g_app;

void PumpMessages() {
  platform::Event event;
  while (platform::PollEvent(&event)) {
    if (!InputStreamAcceptsLiveEvent(event)) continue;
    WindowProc(event);
  }
}

}  // namespace

AppState& App() { return g_app; }

void MainLoop() {
  // The process affinity step of the original frame has no counterpart: the loop is
  // single-threaded and the clock is monotonic on every core.
  ScreenClear();
  CallLoad();
  ScreenFlush();
  g_app.DrawClock = g_app.UpdateClock = TimerTicks();
  TimerReset();
  g_app.FpsTimer = TimerAdd(FpsTick, 1000);
  while (g_app.Working) LoopPass();
}

void LoopPass() {
  TimerAdvanceFixedClock();
  PumpMessages();
  TimersProcess(g_app.Paused);
  double now = TimerTicks();
  CallUpdate(now - g_app.UpdateClock);
  g_app.UpdateClock = now;
  if (!g_app.Paused && FrameClockStep(&g_app.DrawClock, now) && FrameWanted()) DrawFrame();
}

bool FrameWanted() {
  if (g_app.DrawEvery <= 1) return true;
  ++g_app.FramesDue;
  return g_app.FramesDue % g_app.DrawEvery == 0 || ScreenshotPending();
}

bool FrameClockStep(double* drawClock, double now) {
  double elapsed = now - *drawClock;
  if (elapsed < 1.0) return false;
  if (elapsed < 2.0) {
    *drawClock += 1.0;
    return true;
  }
  *drawClock += elapsed;
  return false;
}

void DrawFrame() {
  ScreenClear();
  CallDraw();
  ScreenFlush();
  if (!g_app.Paused) ++g_app.FramesThisSecond;
}

void FpsTick() {
  g_app.FPS = g_app.FramesThisSecond;
  g_app.FpsSum += g_app.FramesThisSecond;
  g_app.FramesThisSecond = 0;
  ++g_app.Seconds;
}

void WindowProc(const platform::Event& event) {
  using platform::EventType;
  InputStreamRecord(event);
  switch (event.type) {
    case EventType::Close:
    case EventType::Quit:
      g_app.Working = false;
      break;
    case EventType::Paint:
      if (g_app.Working) DrawFrame();
      break;
    case EventType::DisplayChange:
      WindowUpdate();
      break;
    case EventType::FocusLost:
      if (g_app.Working) {
        g_app.Focused = false;
        if (g_app.AutoPause) g_app.Paused = true;
        if (Screen().FullScreen && !GL().ContextSetup) {
          platform::SetFullscreen(false, {});
          WindowUpdate();
        }
      }
      break;
    case EventType::FocusGained:
      g_app.Focused = true;
      g_app.Paused = false;
      KeyReleaseAll();
      KeyClearState();
      MouseReleaseAll();
      MouseClearState();
      if (Screen().FullScreen && !GL().ContextSetup) {
        const ScreenState& s = Screen();
        SetScreenOptions(static_cast<uint16_t>(s.Width), static_cast<uint16_t>(s.Height),
                         static_cast<uint16_t>(s.BPP), static_cast<uint16_t>(s.Refresh),
                         s.FullScreen, s.VSync);
      }
      break;
    case EventType::Moved:
      Screen().X = event.x;
      Screen().Y = event.y;
      break;
    case EventType::KeyDown:
      KeyboardOnDown(static_cast<uint8_t>(event.code));
      // Alt+F4 ends the program like closing the window.
      if (event.system && event.code == KeyF4) g_app.Working = false;
      break;
    case EventType::KeyUp:
      KeyboardOnUp(static_cast<uint8_t>(event.code));
      break;
    case EventType::Char:
      KeyboardOnChar(static_cast<uint8_t>(event.code));
      break;
    case EventType::MouseDown:
      if (event.x >= 0) MouseOnMove(event.x, event.y);  // a recorded press may leave it out
      MouseOnDown(event.code);
      break;
    case EventType::MouseUp:
      if (event.x >= 0) MouseOnMove(event.x, event.y);
      MouseOnUp(event.code);
      break;
    case EventType::MouseWheel:
      MouseOnWheel(event.wheel);
      break;
    case EventType::MouseMove:
      MouseOnMove(event.x, event.y);
      break;
    case EventType::None:
      break;
  }
  UpdateSystemCursor();
}

void UpdateSystemCursor() {
  bool show = g_app.Paused || g_app.ShowCursor;
  if (show != g_app.CursorShown) {
    platform::ShowSystemCursor(show);
    g_app.CursorShown = show;
  }
}

void AppReset() {
  if (g_app.FpsTimer) g_app.FpsTimer = nullptr;
  g_app = AppState{};
}

}  // namespace eng
