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
  std::vector<std::string> finals;   // written at shut-down
  std::vector<std::string> next;     // written with the next frame
  bool finalFrame = false;           // the frame being drawn is the final one
  bool finalWritten = false;         // the final frame reached the capture
  bool failed = false;
};

ScreenshotState g_shot;

void Save(const std::string& path) {
  std::string error;
  if (ScreenshotSaveBackBuffer(path, &error)) return;
  g_shot.failed = true;
  ReportOutputFailure(error);
}

}  // namespace

void ScreenshotRequest(const std::string& path) { g_shot.finals.push_back(path); }

void ScreenshotCaptureNext(const std::string& path) { g_shot.next.push_back(path); }

bool ScreenshotPending() { return !g_shot.next.empty(); }

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
  std::vector<std::string> paths = std::move(g_shot.next);
  g_shot.next.clear();
  if (g_shot.finalFrame) {
    paths.insert(paths.end(), g_shot.finals.begin(), g_shot.finals.end());
    g_shot.finalWritten = true;
  }
  bool failedBefore = g_shot.failed;
  for (const std::string& path : paths) Save(path);
  if (!failedBefore && g_shot.failed) EngineExit();
}

bool ScreenshotWriteFinal() {
  if (g_shot.finals.empty() && g_shot.next.empty()) return !g_shot.failed;
  std::vector<std::string> waiting = g_shot.finals;
  waiting.insert(waiting.end(), g_shot.next.begin(), g_shot.next.end());
  g_shot.finalFrame = true;
  ScreenClear();
  CallDraw();
  ScreenFlush();
  g_shot.finalFrame = false;
  if (!g_shot.finalWritten) {
    g_shot.failed = true;
    for (const std::string& path : waiting) ReportOutputFailure("cannot write " + path + ": no frame was drawn");
  }
  return !g_shot.failed;
}

void ScreenshotReset() { g_shot = ScreenshotState{}; }

}  // namespace eng
