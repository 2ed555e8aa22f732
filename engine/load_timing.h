// Where the time of loading goes: each part of a load (the kinds, the models, decoding and
// uploading textures, the map, ...) timed without the parts nested inside it, and each file on its
// own. Off unless switched on (benchmarks and profiling), so a load pays one test per timer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace eng {

// One part of the load: its own time (the nested parts' time taken out) and how often it ran.
struct TLoadPartTime {
  std::string Part;
  double Ms = 0.0;
  uint32_t Count = 0;
};

// One timer that named a file: its whole time, nested parts included.
struct TLoadFileTime {
  std::string Part;
  std::string File;
  double Ms = 0.0;
};

// A clock in milliseconds from any fixed start.
using TLoadClock = double (*)();

// Switches the measuring on or off; switching it on forgets earlier measurements. The timers read
// `clock` (a steady wall clock when null): a benchmark on a busy machine may give this thread's
// processor time instead.
void LoadTimingEnable(bool on, TLoadClock clock = nullptr);
bool LoadTimingEnabled();
// Forgets the measurements (parts and files); stays on or off.
void LoadTimingClear();
// The parts in the order they were first seen.
const std::vector<TLoadPartTime>& LoadPartTimes();
const std::vector<TLoadFileTime>& LoadFileTimes();

// Times its own lifetime as `part` (a string that outlives the timer, usually a literal), and as
// `file` when one is given. Timers nest: an inner one's time counts for its part, not the outer's.
class LoadTimer {
 public:
  explicit LoadTimer(const char* part, std::string_view file = {});
  ~LoadTimer();
  LoadTimer(const LoadTimer&) = delete;
  LoadTimer& operator=(const LoadTimer&) = delete;

 private:
  const char* part_ = nullptr;  // null while timing is off
  std::string file_;
  double start_ = 0.0;
  double nestedMs_ = 0.0;
  LoadTimer* outer_ = nullptr;
};

}  // namespace eng
