// Load timing: a stack of live timers, so that a nested timer's time is taken out of its outer one.
#include "engine/load_timing.h"

#include <chrono>

namespace eng {

namespace {

double SteadyMs() {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

struct LoadTimingState {
  bool enabled = false;
  TLoadClock clock = SteadyMs;
  LoadTimer* innermost = nullptr;
  std::vector<TLoadPartTime> parts;
  std::vector<TLoadFileTime> files;
};

LoadTimingState g_timing;

TLoadPartTime& PartEntry(const char* part) {
  for (TLoadPartTime& entry : g_timing.parts)
    if (entry.Part == part) return entry;
  g_timing.parts.push_back(TLoadPartTime{part, 0.0, 0});
  return g_timing.parts.back();
}

}  // namespace

void LoadTimingEnable(bool on, TLoadClock clock) {
  g_timing.enabled = on;
  g_timing.clock = clock ? clock : SteadyMs;
  if (on) LoadTimingClear();
}

bool LoadTimingEnabled() { return g_timing.enabled; }

void LoadTimingClear() {
  g_timing.parts.clear();
  g_timing.files.clear();
}

const std::vector<TLoadPartTime>& LoadPartTimes() { return g_timing.parts; }

const std::vector<TLoadFileTime>& LoadFileTimes() { return g_timing.files; }

LoadTimer::LoadTimer(const char* part, std::string_view file) {
  if (!g_timing.enabled) return;
  part_ = part;
  file_ = file;
  outer_ = g_timing.innermost;
  g_timing.innermost = this;
  start_ = g_timing.clock();
}

LoadTimer::~LoadTimer() {
  if (!part_) return;
  double ms = g_timing.clock() - start_;
  // NOTE: timing switched off (or cleared) while this timer ran still unwinds the stack, so that
  // the next timer does not hang below a dead one.
  g_timing.innermost = outer_;
  if (outer_) outer_->nestedMs_ += ms;
  if (!g_timing.enabled) return;
  TLoadPartTime& entry = PartEntry(part_);
  entry.Ms += ms - nestedMs_;
  ++entry.Count;
  if (!file_.empty()) g_timing.files.push_back(TLoadFileTime{part_, std::move(file_), ms});
}

}  // namespace eng
