// The frame clock rule, the per-second counter and feature-flag side effects.
#include "engine/application.h"

#include <gtest/gtest.h>

#include "engine/log.h"
#include "engine/main.h"

namespace {

TEST(FrameClock, UnderOneMillisecondNothing) {
  double clock = 100.0;
  EXPECT_FALSE(eng::FrameClockStep(&clock, 100.999));
  EXPECT_DOUBLE_EQ(clock, 100.0);
}

TEST(FrameClock, OneToTwoMillisecondsDrawsAndAddsExactlyOne) {
  double clock = 100.0;
  EXPECT_TRUE(eng::FrameClockStep(&clock, 101.0));
  EXPECT_DOUBLE_EQ(clock, 101.0);
  EXPECT_TRUE(eng::FrameClockStep(&clock, 102.9));
  EXPECT_DOUBLE_EQ(clock, 102.0) << "the clock grows by 1.0, not to now";
}

TEST(FrameClock, TwoMillisecondsOrMoreSkipsAndRebases) {
  double clock = 100.0;
  EXPECT_FALSE(eng::FrameClockStep(&clock, 102.0));
  EXPECT_DOUBLE_EQ(clock, 102.0);
  EXPECT_FALSE(eng::FrameClockStep(&clock, 150.5));
  EXPECT_DOUBLE_EQ(clock, 150.5);
  EXPECT_TRUE(eng::FrameClockStep(&clock, 151.5));
}

TEST(FpsCounter, CountsWholeSecondsAndStartsAtAThousand) {
  eng::AppReset();
  EXPECT_EQ(eng::GetSystemValue(1), 1000u);
  eng::App().FramesThisSecond = 57;
  eng::FpsTick();
  EXPECT_EQ(eng::GetSystemValue(1), 57u);
  EXPECT_EQ(eng::App().FramesThisSecond, 0);
  eng::App().FramesThisSecond = 61;
  eng::FpsTick();
  EXPECT_EQ(eng::App().FpsSum, 118);
  EXPECT_EQ(eng::App().Seconds, 2);
  eng::AppReset();
}

TEST(Features, DefaultWordAndClearing) {
  eng::EngineReset();
  EXPECT_EQ(eng::Features(), 0x2487u);
  eng::DisableFeature(0x0080);
  eng::DisableFeature(0x0400);
  EXPECT_EQ(eng::Features(), 0x2007u) << "the game runs with 0x2007";
  eng::DisableFeature(0x0400);
  EXPECT_EQ(eng::Features(), 0x2007u);
  eng::EngineReset();
}

TEST(Features, DisablingTheLogStopsWriting) {
  eng::EngineReset();
  EXPECT_TRUE(eng::FeatureEnabled(eng::FeatureLog));
  eng::DisableFeature(eng::FeatureLog);
  eng::LogOpen();
  EXPECT_FALSE(eng::LogActive()) << "no log file once flag 0x0080 is clear";
  eng::EngineReset();
}

TEST(Callbacks, NullPutsTheDefaultBackAndUnknownIdsAreIgnored) {
  eng::EngineReset();
  static int loads = 0;
  static double lastElapsed = 0;
  eng::RegisterCallback(eng::CallbackLoad, +[] { ++loads; });
  eng::RegisterCallback(eng::CallbackUpdate, +[](double ms) { lastElapsed = ms; });
  eng::RegisterCallback(7, +[] { ++loads; });
  eng::CallLoad();
  eng::CallUpdate(2.5);
  EXPECT_EQ(loads, 1);
  EXPECT_DOUBLE_EQ(lastElapsed, 2.5);
  eng::RegisterCallback(eng::CallbackLoad, static_cast<eng::EngineProc>(nullptr));
  eng::CallLoad();
  EXPECT_EQ(loads, 1);
  eng::CallDraw();  // the do-nothing default
  eng::EngineReset();
}

}  // namespace
