// A GL context for rendering tests: the engine's own window and context, made once per test
// process on the virtual display, 800 x 600, 2D mode, with the engine's fixed state.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace testsupport {

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
