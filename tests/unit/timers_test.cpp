// Timers: catch-up one interval per pass, deferred deletion during the walk, the fixed clock.
#include "engine/timers.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class TimersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    eng::TimersReset();
    eng::TimerSetFixedClock(true);
    eng::TimerSetFixedTime(0.0);
  }
  void TearDown() override { eng::TimersReset(); }
};

TEST_F(TimersTest, LateTimerFiresOncePerPassAndAdvancesByWholeIntervals) {
  int fired = 0;
  eng::TTimer* t = eng::TimerAdd([&] { ++fired; }, 16);
  eng::TimerSetFixedTime(16.0);
  eng::TimersProcess(false);
  EXPECT_EQ(fired, 0) << "due only when LastTick + Interval < now, strictly";
  eng::TimerSetFixedTime(100.0);  // six intervals late
  for (int pass = 1; pass <= 6; ++pass) {
    eng::TimersProcess(false);
    EXPECT_EQ(fired, pass);
    EXPECT_DOUBLE_EQ(t->LastTick, 16.0 * pass);
  }
  eng::TimersProcess(false);
  EXPECT_EQ(fired, 6) << "caught up: 96 + 16 is not below 100";
}

TEST_F(TimersTest, InactiveTimerOnlyFollowsTheClock) {
  int fired = 0;
  eng::TTimer* t = eng::TimerAdd([&] { ++fired; }, 10);
  t->Active = false;
  eng::TimerSetFixedTime(50.0);
  eng::TimersProcess(false);
  EXPECT_EQ(fired, 0);
  EXPECT_DOUBLE_EQ(t->LastTick, 50.0);
}

TEST_F(TimersTest, DeletionDuringTheWalkIsDeferredAndStopsTheVictim) {
  std::vector<char> order;
  eng::TTimer* b = nullptr;
  eng::TTimer* self = nullptr;
  eng::TTimer* a = eng::TimerAdd([&] { order.push_back('a'); eng::TimerDelete(b); }, 10);
  b = eng::TimerAdd([&] { order.push_back('b'); }, 10);
  self = eng::TimerAdd([&] { order.push_back('s'); eng::TimerDelete(self); }, 10);
  eng::TTimer* d = eng::TimerAdd([&] { order.push_back('d'); }, 10);
  ASSERT_EQ(eng::TimerCount(), 4);
  eng::TimerSetFixedTime(11.0);
  eng::TimersProcess(false);
  EXPECT_EQ(b, nullptr);
  EXPECT_EQ(self, nullptr);
  EXPECT_EQ(std::string(order.begin(), order.end()), "asd") << "the walk goes on past the deleted records";
  EXPECT_EQ(eng::TimerCount(), 2);
  EXPECT_EQ(a->Next, d);
  EXPECT_EQ(d->Prev, a);
  eng::TimerSetFixedTime(21.0);
  order.clear();
  eng::TimersProcess(false);
  EXPECT_EQ(std::string(order.begin(), order.end()), "ad");
}

TEST_F(TimersTest, TimerAddedDuringTheWalkWaitsForTheNextPass) {
  int late = 0;
  bool added = false;
  eng::TimerAdd([&] {
    if (!added) eng::TimerAdd([&] { ++late; }, 1);
    added = true;
  }, 1);
  eng::TimerSetFixedTime(5.0);
  eng::TimersProcess(false);
  EXPECT_EQ(late, 0);
  eng::TimerSetFixedTime(10.0);
  eng::TimersProcess(false);
  EXPECT_EQ(late, 1);
}

TEST_F(TimersTest, PauseResetsInsteadOfFiring) {
  int fired = 0;
  eng::TTimer* t = eng::TimerAdd([&] { ++fired; }, 10);
  eng::TimerSetFixedTime(500.0);
  eng::TimersProcess(true);
  EXPECT_EQ(fired, 0);
  EXPECT_DOUBLE_EQ(t->LastTick, 500.0);
}

TEST_F(TimersTest, DeleteOutsideTheWalkUnlinksAtOnceAndNullIsIgnored) {
  eng::TTimer* a = eng::TimerAdd([] {}, 10);
  eng::TTimer* b = eng::TimerAdd([] {}, 10);
  eng::TimerDelete(a);
  EXPECT_EQ(a, nullptr);
  EXPECT_EQ(eng::TimerCount(), 1);
  eng::TTimer* none = nullptr;
  eng::TimerDelete(none);
  EXPECT_EQ(eng::TimerCount(), 1);
  EXPECT_EQ(b->Prev->Next, b);
}

TEST_F(TimersTest, FixedClockGivesOneTickPerSixteenMilliseconds) {
  eng::TimerSetFixedClock(true);
  int fired = 0;
  eng::TimerAdd([&] { ++fired; }, 16);
  for (int pass = 0; pass < 2 * 100; ++pass) {
    eng::TimerAdvanceFixedClock();
    eng::TimersProcess(false);
  }
  EXPECT_DOUBLE_EQ(eng::TimerTicks(), 1600.0);
  EXPECT_EQ(fired, 99) << "the first tick comes one interval after the start";
}

}  // namespace
