// Periodic timers and the engine clock.
#include "engine/timers.h"

#include <vector>

#include "engine/platform/platform.h"

namespace eng {

namespace {

struct TimersState {
  TTimer head;               // permanent, inactive
  int count = 0;
  bool firing = false;       // immediate deletion forbidden while the list is walked
  std::vector<TTimer*> deferred;
  bool clockStarted = false;
  double clockStart = 0.0;
  bool fixedClock = false;
  double fixedTime = 0.0;
  bool fixedLongStep = true;  // the next fixed step is the 15 ms one
};

TimersState g_timers;

double RealMilliseconds() {
  double frequency = static_cast<double>(platform::PerformanceFrequency());
  return static_cast<double>(platform::PerformanceCounter()) * 1000.0 * (1.0 / frequency);
}

TTimer* LastTimer() {
  TTimer* t = &g_timers.head;
  while (t->Next) t = t->Next;
  return t;
}

void Unlink(TTimer* timer) {
  if (timer->Prev) timer->Prev->Next = timer->Next;
  if (timer->Next) timer->Next->Prev = timer->Prev;
  delete timer;
  --g_timers.count;
}

}  // namespace

TTimer* TimerAdd(std::function<void()> proc, int32_t interval) {
  TTimer* timer = new TTimer;
  timer->Active = true;
  timer->Interval = interval;
  timer->OnTimer = std::move(proc);
  timer->LastTick = TimerTicks();
  TTimer* last = LastTimer();
  last->Next = timer;
  timer->Prev = last;
  ++g_timers.count;
  return timer;
}

void TimerDelete(TTimer*& timer) {
  if (!timer) return;
  if (g_timers.firing) {
    // NOTE: the record stays linked until the walk ends; marking it inactive keeps a deleted
    // timer from firing later in the same walk.
    timer->Active = false;
    g_timers.deferred.push_back(timer);
  } else {
    Unlink(timer);
  }
  timer = nullptr;
}

double TimerTicks() {
  if (g_timers.fixedClock) return g_timers.fixedTime;
  if (!g_timers.clockStarted) {
    g_timers.clockStart = RealMilliseconds();
    g_timers.clockStarted = true;
  }
  return RealMilliseconds() - g_timers.clockStart;
}

void TimerReset() {
  double now = TimerTicks();
  for (TTimer* t = &g_timers.head; t; t = t->Next) t->LastTick = now;
}

void TimersProcess(bool paused) {
  g_timers.firing = true;
  if (!paused) {
    // Records added during the walk are first visited in the next pass.
    int toVisit = g_timers.count;
    TTimer* t = &g_timers.head;
    for (int i = 0; i <= toVisit && t; ++i, t = t->Next) {
      double now = TimerTicks();
      if (t->Active) {
        if (t->LastTick + t->Interval < now) {
          t->LastTick += t->Interval;
          if (t->OnTimer) t->OnTimer();
        }
      } else {
        t->LastTick = now;
      }
    }
  } else {
    TimerReset();
    platform::SleepMs(10);
  }
  g_timers.firing = false;
  for (TTimer* t : g_timers.deferred) Unlink(t);
  g_timers.deferred.clear();
}

int TimerCount() { return g_timers.count; }

void TimersFreeAll() {
  TTimer* t = g_timers.head.Next;
  while (t) {
    TTimer* next = t->Next;
    delete t;
    t = next;
  }
  g_timers.head.Next = nullptr;
  g_timers.count = 0;
  g_timers.deferred.clear();
}

void TimerSetFixedClock(bool fixed) {
  g_timers.fixedClock = fixed;
  g_timers.fixedTime = 0.0;
  g_timers.fixedLongStep = true;
}

bool TimerFixedClock() { return g_timers.fixedClock; }

void TimerAdvanceFixedClock() {
  if (!g_timers.fixedClock) return;
  g_timers.fixedTime += g_timers.fixedLongStep ? 15.0 : 1.0;
  g_timers.fixedLongStep = !g_timers.fixedLongStep;
}

void TimerSetFixedTime(double ms) { g_timers.fixedTime = ms; }

void TimersReset() {
  TimersFreeAll();
  g_timers = TimersState{};
}

}  // namespace eng
