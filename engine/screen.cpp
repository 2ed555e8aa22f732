// Display modes, window size bookkeeping, clearing and presenting.
#include "engine/screen.h"

#include <GL/gl.h>

#include <algorithm>

#include "engine/log.h"
#include "engine/main.h"
#include "engine/opengl.h"
#include "engine/screenshot.h"
#include "engine/utils.h"

namespace eng {

namespace {

ScreenState g_screen;

}  // namespace

ScreenState& Screen() { return g_screen; }

void ScreenReadDesktop() {
  if (g_screen.DesktopRead) return;
  g_screen.Desktop = platform::GetDesktopMode();
  g_screen.DesktopRead = true;
  g_screen.Resolutions.clear();
  for (const platform::DisplayMode& m : platform::ListDisplayModes()) {
    std::pair<int32_t, int32_t> size{m.width, m.height};
    if (std::find(g_screen.Resolutions.begin(), g_screen.Resolutions.end(), size) ==
        g_screen.Resolutions.end())
      g_screen.Resolutions.push_back(size);
  }
}

void ScreenClear() {
  GLbitfield mask = 0;
  if (FeatureEnabled(FeatureClearColour)) mask |= GL_COLOR_BUFFER_BIT;
  if (FeatureEnabled(FeatureClearDepth)) mask |= GL_DEPTH_BUFFER_BIT;
  if (FeatureEnabled(FeatureClearStencil)) mask |= GL_STENCIL_BUFFER_BIT;
  glClear(mask);
}

void ScreenFlush() {
  if (GL().Caps.SwapControl) {
    int interval = platform::GetSwapInterval();
    if (g_screen.VSync && interval != 1) platform::SetSwapInterval(1);
    if (!g_screen.VSync && interval != 0) platform::SetSwapInterval(0);
    glFinish();
  }
  ScreenshotCaptureFrame();
  platform::SwapWindow();
}

int32_t BestRefreshRate(const std::vector<platform::DisplayMode>& modes, int32_t width,
                        int32_t height, int32_t bpp, int32_t desktopRefresh,
                        bool (*test)(const platform::DisplayMode&)) {
  int32_t best = 0;
  for (const platform::DisplayMode& m : modes) {
    if (m.width != width || m.height != height || m.bpp != bpp) continue;
    if (m.refresh > desktopRefresh) continue;
    if (!test(m)) break;
    best = std::max(best, static_cast<int32_t>(m.refresh));
  }
  return best;
}

bool ScreenTestMode(const platform::DisplayMode& mode) {
  for (const platform::DisplayMode& m : platform::ListDisplayModes()) {
    if (m.width == mode.width && m.height == mode.height && m.bpp == mode.bpp &&
        (mode.refresh == 0 || m.refresh == mode.refresh))
      return true;
  }
  return false;
}

void ScreenApplyOptions(int32_t width, int32_t height, int32_t bpp, bool fullscreen, bool vsync) {
  ScreenReadDesktop();
  g_screen.Width = g_screen.RenderWidth = width;
  g_screen.Height = g_screen.RenderHeight = height;
  g_screen.BPP = bpp;
  g_screen.FullScreen = fullscreen;
  g_screen.VSync = vsync;
  if (width >= g_screen.Desktop.width && height >= g_screen.Desktop.height) g_screen.FullScreen = true;

  if (g_screen.FullScreen) {
    int32_t best = BestRefreshRate(platform::ListDisplayModes(), width, height, bpp,
                                   g_screen.Desktop.refresh, ScreenTestMode);
    if (g_screen.Refresh == 0)
      g_screen.Refresh = best;
    else if (g_screen.Refresh == 1)
      g_screen.Refresh = 0;
    platform::DisplayMode wanted{width, height, bpp, g_screen.Refresh};
    if (!ScreenTestMode(wanted)) {
      WarningBox("Cannot set fullscreen mode.");
      g_screen.FullScreen = false;
    } else {
      g_screen.ModeWidth = width;
      g_screen.ModeHeight = height;
    }
  }
  if (!g_screen.FullScreen) {
    // Back to the desktop's own mode: the window keeps its size, the mode bookkeeping takes the
    // desktop's.
    g_screen.ModeWidth = g_screen.Desktop.width;
    g_screen.ModeHeight = g_screen.Desktop.height;
    g_screen.BPP = g_screen.Desktop.bpp;
    g_screen.Refresh = g_screen.Desktop.refresh;
  }

  std::string line = "Set screen options: " + std::to_string(g_screen.Width) + "x" +
                     std::to_string(g_screen.Height) + "x" + std::to_string(g_screen.BPP);
  line += g_screen.FullScreen ? "bpp fullscreen" : "bpp windowed";
  LogAdd(line);
}

void ScreenReset() { g_screen = ScreenState{}; }

}  // namespace eng
