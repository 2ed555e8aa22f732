// Saving frames as PNG.
#include "engine/screenshot.h"

#include <GL/gl.h>

#include <cstdio>
#include <vector>

#include "engine/image_write.h"
#include "engine/main.h"
#include "engine/platform/platform.h"
#include "engine/screen.h"

namespace eng {

namespace {

struct ScreenshotState {
  std::vector<std::string> finals;   // written at shut-down
  std::vector<std::string> next;     // written with the next frame
  bool finalFrame = false;           // the frame being drawn is the final one
  std::string failure;
};

ScreenshotState g_shot;

void Save(const std::string& path) {
  std::string error;
  if (ScreenshotSaveBackBuffer(path, &error) || !g_shot.failure.empty()) return;
  g_shot.failure = error;
  std::fprintf(stderr, "tessera: screenshot: %s\n", error.c_str());
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
  if (g_shot.finalFrame) paths.insert(paths.end(), g_shot.finals.begin(), g_shot.finals.end());
  bool failedBefore = !g_shot.failure.empty();
  for (const std::string& path : paths) Save(path);
  if (!failedBefore && !g_shot.failure.empty()) EngineExit();
}

bool ScreenshotWriteFinal() {
  if (g_shot.finals.empty() && g_shot.next.empty()) return g_shot.failure.empty();
  g_shot.finalFrame = true;
  ScreenClear();
  CallDraw();
  ScreenFlush();
  g_shot.finalFrame = false;
  return g_shot.failure.empty();
}

const std::string& ScreenshotFailure() { return g_shot.failure; }

void ScreenshotReset() { g_shot = ScreenshotState{}; }

}  // namespace eng
