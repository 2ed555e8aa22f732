// The engine's log file, "log.txt": a banner, then one stamped line per event, CR LF endings,
// written straight through. Governed by feature flag 0x0080.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace eng {

// Opens "log.txt" in the current directory (truncating it) when flag 0x0080 is set and no file is
// open, and writes the banner and "Begin".
void LogOpen();
// Writes Text (after the time stamp when Stamped) and CR LF, when the log is active.
void LogAdd(std::string_view text, bool stamped = true);
// Closes the file if one is open; later LogAdd calls write nothing.
void LogClose();
bool LogActive();
// The stamp for an elapsed time: "[00001234ms] "; empty from 100,000,000 ms on.
std::string LogStamp(int64_t elapsedMs);
// Back to the state at process start (tests).
void LogReset();

}  // namespace eng
