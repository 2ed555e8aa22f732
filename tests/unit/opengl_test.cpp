// The pixel-format ladder and the fullscreen refresh choice, with the system's answers faked.
#include <gtest/gtest.h>

#include <vector>

#include "engine/opengl.h"
#include "engine/screen.h"

namespace {

int g_maxSamples = 0;
bool UpToMaxSamples(const eng::platform::PixelFormat& f) { return f.samples <= g_maxSamples; }
bool Nothing(const eng::platform::PixelFormat&) { return false; }
bool Only16Bit(const eng::platform::PixelFormat& f) { return f.depthBits == 16 && f.samples == 0; }

std::vector<std::pair<int, int>> Pairs(const std::vector<eng::PixelFormatTry>& tries) {
  std::vector<std::pair<int, int>> out;
  for (const auto& t : tries) out.emplace_back(t.depth, t.fsaa);
  return out;
}

TEST(PixelFormatLadder, ReachesFsaaFourFromEight) {
  g_maxSamples = 4;
  bool found = false;
  auto tries = eng::SearchPixelFormat(8, 0, 32, UpToMaxSamples, &found);
  EXPECT_TRUE(found);
  EXPECT_EQ(Pairs(tries), (std::vector<std::pair<int, int>>{
                              {24, 8}, {16, 8}, {8, 8}, {24, 6}, {16, 6}, {8, 6}, {24, 4}}));
}

TEST(PixelFormatLadder, GivesUpAfterFsaaZeroAtDepthEight) {
  bool found = true;
  auto tries = eng::SearchPixelFormat(2, 0, 32, Nothing, &found);
  EXPECT_FALSE(found);
  EXPECT_EQ(Pairs(tries), (std::vector<std::pair<int, int>>{
                              {24, 2}, {16, 2}, {8, 2}, {24, 0}, {16, 0}, {8, 0}}));
}

TEST(PixelFormatLadder, OddFsaaStepsBelowZeroOnce) {
  bool found = true;
  auto tries = eng::SearchPixelFormat(1, 0, 32, Nothing, &found);
  EXPECT_FALSE(found);
  ASSERT_EQ(tries.size(), 6u);
  EXPECT_EQ(tries[3].fsaa, -1);
  EXPECT_EQ(tries.back().depth, 8);
}

TEST(PixelFormatLadder, FindsTheDepthTheSystemHas) {
  bool found = false;
  auto tries = eng::SearchPixelFormat(0, 0, 32, Only16Bit, &found);
  EXPECT_TRUE(found);
  EXPECT_EQ(Pairs(tries), (std::vector<std::pair<int, int>>{{24, 0}, {16, 0}}));
}

bool AllModesPass(const eng::platform::DisplayMode&) { return true; }
bool FailAbove60(const eng::platform::DisplayMode& m) { return m.refresh <= 60; }

TEST(FullscreenRefresh, HighestRateNotAboveTheDesktopsAmongExactModes) {
  std::vector<eng::platform::DisplayMode> modes = {
      {800, 600, 32, 60}, {800, 600, 16, 85}, {800, 600, 32, 75}, {1024, 768, 32, 85}, {800, 600, 32, 100}};
  EXPECT_EQ(eng::BestRefreshRate(modes, 800, 600, 32, 85, AllModesPass), 75);
  EXPECT_EQ(eng::BestRefreshRate(modes, 800, 600, 32, 100, AllModesPass), 100);
  EXPECT_EQ(eng::BestRefreshRate(modes, 640, 480, 32, 100, AllModesPass), 0);
}

TEST(FullscreenRefresh, WalkStopsAtTheFirstFailedTest) {
  std::vector<eng::platform::DisplayMode> modes = {{800, 600, 32, 60}, {800, 600, 32, 75}, {800, 600, 32, 70}};
  EXPECT_EQ(eng::BestRefreshRate(modes, 800, 600, 32, 100, FailAbove60), 60)
      << "70 Hz comes after the failed 75 Hz test and is never tried";
}

}  // namespace
