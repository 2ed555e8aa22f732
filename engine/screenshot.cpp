// Saving frames as PNG.
#include "engine/screenshot.h"

#include <GL/gl.h>

#include <vector>

#include "engine/image_write.h"
#include "engine/main.h"
#include "engine/output_files.h"
#include "engine/platform/platform.h"
#include "engine/screen.h"

namespace eng {

namespace {

struct ScreenshotState {
  std::string path;
  bool armed = false;
  bool written = false;
  std::string error;
};

ScreenshotState g_shot;

}  // namespace

void ScreenshotRequest(const std::string& path) { g_shot.path = path; }

bool ScreenshotSaveBackBuffer(const std::string& path, std::string* error) {
  // The drawable's real size, not the size the engine asked for: a screenshot is an observation.
  int width = 0;
  int height = 0;
  platform::GetDrawableSize(&width, &height);
  if (width <= 0 || height <= 0) {
    *error = "cannot write " + path + ": no window to read";
    return false;
  }
  std::vector<uint8_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  // The frame is opaque on screen whatever alpha the drawing left behind.
  for (size_t i = 3; i < pixels.size(); i += 4) pixels[i] = 255;
  return WritePng(path, width, height, pixels.data(), true, error);
}

void ScreenshotCaptureFrame() {
  if (!g_shot.armed) return;
  g_shot.armed = false;
  g_shot.written = ScreenshotSaveBackBuffer(g_shot.path, &g_shot.error);
}

bool ScreenshotWriteFinal() {
  if (g_shot.path.empty()) return true;
  g_shot.armed = true;
  g_shot.error = "cannot write " + g_shot.path + ": no frame was drawn";
  ScreenClear();
  CallDraw();
  ScreenFlush();
  if (!g_shot.written) ReportOutputFailure(g_shot.error);
  return g_shot.written;
}

}  // namespace eng
