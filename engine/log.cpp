// The engine's log file.
#include "engine/log.h"

#include <cmath>
#include <cstdio>

#include "engine/main.h"
#include "engine/timers.h"

namespace eng {

namespace {

struct LogState {
  std::FILE* file = nullptr;
  bool active = false;
  int64_t startTime = 0;
};

LogState g_log;

void WriteLine(std::string_view line) {
  if (!g_log.file) return;
  std::fwrite(line.data(), 1, line.size(), g_log.file);
  std::fwrite("\r\n", 1, 2, g_log.file);
  std::fflush(g_log.file);
}

}  // namespace

void LogOpen() {
  if (!FeatureEnabled(FeatureLog) || g_log.file) return;
  g_log.active = true;
  g_log.startTime = static_cast<int64_t>(std::trunc(TimerTicks()));
  // A file that cannot be created leaves no handle; writes then do nothing.
  g_log.file = std::fopen("log.txt", "wb");
  LogAdd("################", false);
  LogAdd("# Tessera 1.00 #", false);
  LogAdd("################", false);
  LogAdd("Begin");
}

void LogAdd(std::string_view text, bool stamped) {
  if (!g_log.active) return;
  if (stamped) {
    int64_t elapsed = static_cast<int64_t>(std::trunc(TimerTicks())) - g_log.startTime;
    std::string line = LogStamp(elapsed);
    line += text;
    WriteLine(line);
  } else {
    WriteLine(text);
  }
}

void LogClose() {
  if (g_log.file) std::fclose(g_log.file);
  g_log.file = nullptr;
  g_log.active = false;
}

bool LogActive() { return g_log.active; }

std::string LogStamp(int64_t elapsedMs) {
  if (elapsedMs >= 100000000 || elapsedMs < 0) return {};
  char buffer[24];
  std::snprintf(buffer, sizeof buffer, "[%08lldms] ", static_cast<long long>(elapsedMs));
  return buffer;
}

void LogReset() {
  LogClose();
  g_log = LogState{};
}

}  // namespace eng
