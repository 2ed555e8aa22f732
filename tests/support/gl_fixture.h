// A GL context for rendering tests: the engine's own window and context, made once per test
// process on the virtual display, 800 x 600, 2D mode, with the engine's fixed state.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "engine/math3d.h"
#include "engine/textures.h"

namespace testsupport {

// A GL texture made from pixels in the test, outside the texture manager, so that pictures do not
// depend on image files. Nearest filtering; deleted with the object.
struct RawTexture {
  eng::TTexture tex;
  RawTexture(int width, int height, const std::vector<uint8_t>& rgba);
  ~RawTexture();
  RawTexture(const RawTexture&) = delete;
  RawTexture& operator=(const RawTexture&) = delete;
};

// Window coordinates (GL's, y from the bottom, unrounded) of a world point under the game's 3D
// projection and the game camera's view matrix; false when it cannot be projected.
bool ProjectToWindow(eng::TVec3 world, double* x, double* yFromBottom);

class GlTest : public ::testing::Test {
 protected:
  // Skips the test when there is no display (the test scripts always provide one).
  void SetUp() override;
  // Reads the back buffer: RGBA, bottom row first, RenderWidth x RenderHeight.
  static std::vector<uint8_t> ReadPixels();
  // The RGBA pixel at window pixel (x, y), y counted from the top.
  static uint32_t PixelAt(const std::vector<uint8_t>& pixels, int x, int y);
  // Clears colour and depth to black.
  static void Clear();
};

}  // namespace testsupport
