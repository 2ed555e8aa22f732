// The log file: stamps, banner, CR LF, and the flag that keeps it closed.
#include "engine/log.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/main.h"
#include "engine/timers.h"
#include "tests/support/test_support.h"

namespace {

class LogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    eng::EngineReset();
    eng::TimerSetFixedClock(true);
    old_ = std::filesystem::current_path();
    dir_ = testsupport::ScratchDir();
    std::filesystem::current_path(dir_);
  }
  void TearDown() override {
    eng::EngineReset();
    std::filesystem::current_path(old_);
  }
  std::filesystem::path old_, dir_;
};

TEST(LogStamp, PaddedToEightDigitsUpToTheLimit) {
  EXPECT_EQ(eng::LogStamp(0), "[00000000ms] ");
  EXPECT_EQ(eng::LogStamp(9), "[00000009ms] ");
  EXPECT_EQ(eng::LogStamp(10), "[00000010ms] ");
  EXPECT_EQ(eng::LogStamp(1234), "[00001234ms] ");
  EXPECT_EQ(eng::LogStamp(99999999), "[99999999ms] ");
  EXPECT_EQ(eng::LogStamp(100000000), "");
}

TEST_F(LogTest, BannerUnstampedThenStampedLinesWithCrLf) {
  eng::TimerSetFixedTime(1000.9);  // the start time is the truncated clock
  eng::LogOpen();
  eng::TimerSetFixedTime(1010.5);
  eng::LogAdd("Current mode: 1280 x 1024");
  eng::LogAdd("plain", false);
  eng::TimerSetFixedTime(1000.0 + 100000000.0);
  eng::LogAdd("late");
  eng::LogClose();
  EXPECT_EQ(testsupport::ReadFile(dir_ / "log.txt"),
            "################\r\n"
            "# Tessera 1.00 #\r\n"
            "################\r\n"
            "[00000000ms] Begin\r\n"
            "[00000010ms] Current mode: 1280 x 1024\r\n"
            "plain\r\n"
            "late\r\n");
}

TEST_F(LogTest, ClearedFlagCreatesNoFileAndDisablingClosesAnOpenOne) {
  eng::DisableFeature(eng::FeatureLog);
  eng::LogOpen();
  eng::LogAdd("nothing");
  EXPECT_FALSE(std::filesystem::exists(dir_ / "log.txt"));

  eng::EngineReset();
  eng::TimerSetFixedClock(true);
  eng::LogOpen();
  eng::LogAdd("kept");
  eng::DisableFeature(eng::FeatureLog);
  eng::LogAdd("dropped");
  std::string text = testsupport::ReadFile(dir_ / "log.txt");
  EXPECT_NE(text.find("kept"), std::string::npos);
  EXPECT_EQ(text.find("dropped"), std::string::npos);
}

TEST_F(LogTest, OpeningTwiceKeepsTheFirstFile) {
  eng::LogOpen();
  eng::LogAdd("one");
  eng::LogOpen();
  eng::LogAdd("two");
  eng::LogClose();
  std::string text = testsupport::ReadFile(dir_ / "log.txt");
  EXPECT_NE(text.find("one"), std::string::npos);
  EXPECT_NE(text.find("two"), std::string::npos);
  EXPECT_EQ(text.find("Begin"), text.rfind("Begin")) << "one banner only";
}

}  // namespace
