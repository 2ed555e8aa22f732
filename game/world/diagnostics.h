// Problems a modder needs to see, in one shape: FILE:LINE:COL: message. The game's loaders report
// them here; the game writes each to standard error (once per file and message, even with the log
// off) and to the log, and the content checker collects them instead of loading a window.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace game {

struct TProblem {
  std::string File;     // as ShownPath gives it; empty when the problem has no file
  int32_t Line = 0;     // 1-based; 0 when not known
  int32_t Column = 0;   // 1-based; 0 when not known
  std::string Message;
};

// One file's problems beyond these counts are left out, with one note saying so: a garbage file
// of a million lines must not flood the terminal (stderr) nor the memory (the list). Problems
// without a file are not counted.
constexpr size_t MaxProblemsShownPerFile = 10;
constexpr size_t MaxProblemsKeptPerFile = 1000;

// "FILE:LINE:COL: message", leaving out what is not known.
std::string FormatProblem(const TProblem& problem);

// Reports a problem: kept in the list, written to standard error the first time this file and
// message come together, and to the log; within the per-file limits above.
void ReportProblem(const TProblem& problem);

// Whether `file` has reached its limit, so that further problems of it are only counted: callers
// that check thousands of records skip making messages nobody will see.
bool ProblemListFull(const std::string& file);

// Whether ReportProblem writes to standard error and the log (on at start); off, problems are only
// kept, for callers that show them in their own way or not at all (the fuzz targets).
void DiagnosticsSetEcho(bool echo);

// Every problem reported since the last reset, in order.
const std::vector<TProblem>& Problems();

// A path as problems show it: relative to the game folder (AppDir) when it lies below it.
std::string ShownPath(const std::string& path);

// Back to the state at process start, echo on (tests, and the checker between files).
void DiagnosticsReset();

}  // namespace game
