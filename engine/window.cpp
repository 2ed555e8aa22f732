// The game window.
#include "engine/window.h"

#include "engine/application.h"
#include "engine/log.h"
#include "engine/main.h"
#include "engine/opengl.h"
#include "engine/platform/platform.h"
#include "engine/screen.h"
#include "engine/utils.h"

namespace eng {

namespace {

void CentreOnDesktop(ScreenState& s) {
  s.X = (s.Desktop.width - s.Width) / 2;
  s.Y = (s.Desktop.height - s.Height) / 2;
}

}  // namespace

bool WindowCreate(int32_t width, int32_t height) {
  ScreenState& s = Screen();
  s.Width = width;
  s.Height = height;
  if (FeatureEnabled(FeatureCentreWindow)) CentreOnDesktop(s);
  // The pixel-format probes make their own throw-away windows.
  if (!GL().FormatChosen) return true;

  int x = s.FullScreen ? 0 : s.X;
  int y = s.FullScreen ? 0 : s.Y;
  int stage = 0;
  if (!platform::CreateGameWindow(s.Caption, x, y, width, height, s.FullScreen, GL().Chosen, &stage)) {
    LogAdd("Window system: " + platform::LastError());
    switch (stage) {
      case 1: ErrorBox("Cannot create window"); break;
      case 2: ErrorBox("Cannot create OpenGL context"); break;
      case 4: ErrorBox("Cannot set pixel format"); break;
      case 5: ErrorBox("Cannot get device context"); break;
      default: ErrorBox("Cannot set current OpenGL context"); break;
    }
    platform::DestroyGameWindow();
    return false;
  }
  platform::GetFrameSizes(&s.CaptionHeight, &s.FrameX, &s.FrameY);
  if (s.FullScreen) platform::SetAlwaysOnTop(true);
  platform::RaiseWindow();
  return true;
}

void WindowDestroy() { platform::DestroyGameWindow(); }

void WindowUpdate() {
  ScreenState& s = Screen();
  if (!platform::HasWindow()) return;
  if (s.FullScreen && App().Focused) {
    platform::SetFullscreen(true, {s.Width, s.Height, s.BPP, s.Refresh});
    platform::SetAlwaysOnTop(true);
  } else {
    platform::SetFullscreen(false, {});
    platform::SetAlwaysOnTop(false);
    if (FeatureEnabled(FeatureCentreWindow)) CentreOnDesktop(s);
    platform::SetWindowGeometry(s.X, s.Y, s.Width, s.Height);
  }
  platform::SetCaption(s.Caption);
  s.RenderWidth = s.Width;
  s.RenderHeight = s.Height;
  ApplyProjection();
}

}  // namespace eng
