// Periodic timers and the engine's millisecond clock. Timers live in a doubly linked list behind
// a permanent inactive head; the main loop walks it once per pass.
#pragma once

#include <cstdint>
#include <functional>

namespace eng {

struct TTimer {
  bool Active = false;
  int32_t Interval = 0;    // milliseconds
  double LastTick = 0.0;   // engine clock when the timer last fired (or was reset)
  std::function<void()> OnTimer;
  TTimer* Prev = nullptr;
  TTimer* Next = nullptr;
};

// Appends an active timer firing every `interval` ms, its LastTick set to now.
TTimer* TimerAdd(std::function<void()> proc, int32_t interval);
// Unlinks and frees the timer, or defers that to the end of the walk when timers are firing; a
// deferred timer no longer fires. Sets the caller's reference to null; null does nothing.
void TimerDelete(TTimer*& timer);
// Milliseconds since the module started, from the performance counter (or the fixed clock).
double TimerTicks();
// LastTick of every record, the head included, becomes now.
void TimerReset();
// One pass of the main loop over the timers: forbids immediate deletion, fires every active timer
// that is due (LastTick + Interval < now; LastTick advances by exactly one Interval, so a late
// timer fires once per pass until it has caught up), then deletes the deferred ones. Paused, it
// only resets the timers and sleeps 10 ms.
void TimersProcess(bool paused);
// Number of timers, the head not counted.
int TimerCount();
// Frees every timer (shut-down).
void TimersFreeAll();

// The fixed clock makes runs deterministic and faster than real time: each loop pass advances
// the clock alternately by 15 ms and 1 ms, which gives one 16 ms game tick and one drawn frame per
// two passes under the main loop's frame rule.
void TimerSetFixedClock(bool fixed);
bool TimerFixedClock();
// Called at the start of every loop pass; advances the fixed clock (no effect on the real clock).
void TimerAdvanceFixedClock();
// Sets the fixed clock to a value (tests).
void TimerSetFixedTime(double ms);

// Back to the state at process start (tests).
void TimersReset();

}  // namespace eng
