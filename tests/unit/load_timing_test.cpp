// Load timing: parts get their own time without the parts nested in them, files their whole time,
// and nothing is kept while timing is off.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "engine/load_timing.h"

namespace {

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

const eng::TLoadPartTime* Part(const char* name) {
  for (const eng::TLoadPartTime& part : eng::LoadPartTimes())
    if (part.Part == name) return &part;
  return nullptr;
}

class LoadTimingTest : public ::testing::Test {
 protected:
  void TearDown() override { eng::LoadTimingEnable(false); }
};

TEST_F(LoadTimingTest, NestedPartsAreTakenOutOfTheOuterOne) {
  eng::LoadTimingEnable(true);
  {
    eng::LoadTimer outer("kinds");
    Sleep(20);
    for (int i = 0; i < 2; ++i) {
      eng::LoadTimer inner("models", i == 0 ? "a.md2" : "b.md2");
      Sleep(30);
    }
  }
  const eng::TLoadPartTime* kinds = Part("kinds");
  const eng::TLoadPartTime* models = Part("models");
  ASSERT_TRUE(kinds && models);
  EXPECT_EQ(kinds->Count, 1u);
  EXPECT_EQ(models->Count, 2u);
  EXPECT_GE(models->Ms, 60.0);
  // The outer part keeps its own 20 ms, not the 80 ms it lived.
  EXPECT_GE(kinds->Ms, 20.0);
  EXPECT_LT(kinds->Ms, 55.0);
  // Parts in the order first seen: the outer one began first but ended last.
  ASSERT_EQ(eng::LoadPartTimes().size(), 2u);
  EXPECT_EQ(eng::LoadPartTimes()[0].Part, "models");

  ASSERT_EQ(eng::LoadFileTimes().size(), 2u);
  EXPECT_EQ(eng::LoadFileTimes()[0].File, "a.md2");
  EXPECT_EQ(eng::LoadFileTimes()[1].Part, "models");
  EXPECT_GE(eng::LoadFileTimes()[1].Ms, 30.0);

  eng::LoadTimingClear();
  EXPECT_TRUE(eng::LoadPartTimes().empty());
  EXPECT_TRUE(eng::LoadFileTimes().empty());
}

TEST_F(LoadTimingTest, OffKeepsNothingAndSwitchingOffMidwayLeavesNoStaleTimer) {
  { eng::LoadTimer timer("map", "proba.map"); }
  EXPECT_TRUE(eng::LoadPartTimes().empty());
  EXPECT_TRUE(eng::LoadFileTimes().empty());

  eng::LoadTimingEnable(true);
  {
    eng::LoadTimer outer("kinds");
    eng::LoadTimingEnable(false);
  }
  // Had the dead outer timer stayed on the stack, this one would write into it.
  eng::LoadTimingEnable(true);
  {
    eng::LoadTimer alone("map");
    Sleep(5);
  }
  ASSERT_NE(Part("map"), nullptr);
  EXPECT_EQ(Part("kinds"), nullptr);
  EXPECT_GE(Part("map")->Ms, 5.0);
}

}  // namespace
