// The problem list and its one-line report.
#include "game/world/diagnostics.h"

#include <cstdio>
#include <set>
#include <utility>

#include "engine/log.h"

namespace game {

namespace {

struct TDiagnosticsState {
  std::vector<TProblem> Problems;
  std::set<std::pair<std::string, std::string>> Written;  // (file, message) already on stderr
  bool Echo = true;
};

TDiagnosticsState g_diagnostics;

}  // namespace

std::string FormatProblem(const TProblem& problem) {
  std::string text;
  if (!problem.File.empty()) {
    text = problem.File;
    if (problem.Line > 0) {
      text += ":" + std::to_string(problem.Line);
      if (problem.Column > 0) text += ":" + std::to_string(problem.Column);
    }
    text += ": ";
  }
  return text + problem.Message;
}

void ReportProblem(const TProblem& problem) {
  g_diagnostics.Problems.push_back(problem);
  std::string line = FormatProblem(problem);
  eng::LogAdd(line);
  if (g_diagnostics.Echo && g_diagnostics.Written.emplace(problem.File, problem.Message).second)
    std::fprintf(stderr, "tessera: %s\n", line.c_str());
}

void DiagnosticsSetEcho(bool on) { g_diagnostics.Echo = on; }

const std::vector<TProblem>& Problems() { return g_diagnostics.Problems; }

void DiagnosticsReset() { g_diagnostics = TDiagnosticsState{}; }

}  // namespace game
