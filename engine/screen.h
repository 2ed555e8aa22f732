// Display modes, the window's size and position, clearing and presenting the back buffer.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "engine/platform/platform.h"

namespace eng {

struct ScreenState {
  int32_t Width = 800;          // window client size
  int32_t Height = 600;
  int32_t X = 0;                // window position
  int32_t Y = 0;
  bool FullScreen = false;
  bool VSync = false;
  int32_t BPP = 32;
  int32_t Refresh = 0;          // 0 best available, 1 driver default, else hertz
  int32_t RenderWidth = 800;    // projection and viewport size
  int32_t RenderHeight = 600;
  int32_t ModeWidth = 0;        // screen size used for display-mode bookkeeping
  int32_t ModeHeight = 0;
  bool DesktopRead = false;
  platform::DisplayMode Desktop;
  std::vector<std::pair<int32_t, int32_t>> Resolutions;  // distinct sizes, enumeration order
  int32_t CaptionHeight = 0;
  int32_t FrameX = 0;
  int32_t FrameY = 0;
  std::string Caption = "Tessera 1.00";
};

ScreenState& Screen();

// Reads the desktop mode and the resolution list (once).
void ScreenReadDesktop();
// Clears the buffers that feature flags 0x0001, 0x0004 and 0x0010 ask for.
void ScreenClear();
// Applies the vertical-sync wish when the driver can, finishes and presents the back buffer.
void ScreenFlush();

// Steps 1 to 4 of applying screen options once the engine has started: sizes, forced fullscreen
// for desktop-sized requests, the fullscreen mode (a refusal warns "Cannot set fullscreen mode."
// and stays windowed), the log line.
void ScreenApplyOptions(int32_t width, int32_t height, int32_t bpp, bool fullscreen, bool vsync);

// The best refresh rate for a fullscreen mode: among `modes` with exactly width, height and bpp,
// the highest rate not above the desktop's for which `test` succeeds; the walk stops at the first
// mode whose test fails. 0 when none qualifies.
int32_t BestRefreshRate(const std::vector<platform::DisplayMode>& modes, int32_t width,
                        int32_t height, int32_t bpp, int32_t desktopRefresh,
                        bool (*test)(const platform::DisplayMode&));
// Whether the display offers the mode (refresh 0 matches any rate): the engine's mode test.
bool ScreenTestMode(const platform::DisplayMode& mode);

// Back to the state at process start (tests).
void ScreenReset();

}  // namespace eng
