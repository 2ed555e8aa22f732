// Problems a modder needs to see, in one shape: FILE:LINE:COL: message. The game's loaders report
// them here; the game writes each to standard error (once per file and message, even with the log
// off) and to the log, and the content checker collects them instead of loading a window.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace game {

struct TProblem {
  std::string File;     // as the game opened it; empty when the problem has no file
  int32_t Line = 0;     // 1-based; 0 when not known
  int32_t Column = 0;   // 1-based; 0 when not known
  std::string Message;
};

// "FILE:LINE:COL: message", leaving out what is not known.
std::string FormatProblem(const TProblem& problem);

// Reports a problem: kept in the list, written to standard error the first time this file and
// message come together, and to the log.
void ReportProblem(const TProblem& problem);

// Whether ReportProblem writes to standard error (on at start); the content checker lists the
// problems itself.
void DiagnosticsSetEcho(bool on);

// Every problem reported since the last reset, in order.
const std::vector<TProblem>& Problems();

// Back to the state at process start (tests, and the checker between files).
void DiagnosticsReset();

}  // namespace game
