// The problem list and its one-line report.
#include "game/world/diagnostics.h"

#include <cstdio>
#include <map>
#include <unordered_set>

#include "engine/data_file.h"
#include "engine/log.h"
#include "game/core/game_core.h"

namespace game {

namespace {

struct TFileCounts {
  size_t Shown = 0;  // written to stderr
  size_t Kept = 0;   // in the list
  std::unordered_set<std::string> Written;  // messages of this file already on stderr
};

struct TDiagnosticsState {
  std::vector<TProblem> Problems;
  std::map<std::string, TFileCounts> Counts;
  bool Echo = true;
};

TDiagnosticsState g_diagnostics;

void WriteLine(const std::string& line) {
  if (!g_diagnostics.Echo) return;
  eng::LogAdd(line);
  std::fprintf(stderr, "tessera: %s\n", line.c_str());
}

void LogLine(const std::string& line) {
  if (g_diagnostics.Echo) eng::LogAdd(line);
}

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
  TFileCounts& counts = g_diagnostics.Counts[problem.File];
  // Problems without a file are few (the textures of the game itself) and never capped.
  bool capped = !problem.File.empty();
  if (capped && counts.Kept > MaxProblemsKeptPerFile) return;
  // Messages quote the files they complain about; a binary file must not garble the terminal.
  TProblem shown = problem;
  shown.Message = eng::PrintableText(problem.Message, 400);
  if (capped && counts.Kept == MaxProblemsKeptPerFile) {
    ++counts.Kept;
    shown.Line = shown.Column = 0;
    shown.Message = "more problems in this file are not listed";
    g_diagnostics.Problems.push_back(shown);
    WriteLine(FormatProblem(shown));
    return;
  }
  ++counts.Kept;
  g_diagnostics.Problems.push_back(shown);
  std::string line = FormatProblem(shown);
  if (!counts.Written.insert(shown.Message).second) {
    LogLine(line);
    return;
  }
  if (!capped || counts.Shown < MaxProblemsShownPerFile) {
    WriteLine(line);
  } else {
    LogLine(line);
    if (counts.Shown == MaxProblemsShownPerFile && g_diagnostics.Echo) {
      TProblem note{shown.File, 0, 0, "more problems in this file are not shown here; the log and tessera-check list them"};
      std::fprintf(stderr, "tessera: %s\n", FormatProblem(note).c_str());
    }
  }
  ++counts.Shown;
}

bool ProblemListFull(const std::string& file) {
  if (file.empty()) return false;
  auto counts = g_diagnostics.Counts.find(file);
  return counts != g_diagnostics.Counts.end() && counts->second.Kept > MaxProblemsKeptPerFile;
}

const std::vector<TProblem>& Problems() { return g_diagnostics.Problems; }

std::string ShownPath(const std::string& path) {
  const std::string& base = Core().AppDir;
  if (base.empty() || path.size() <= base.size()) return path;
  // On Windows the game folder comes with backslashes while paths built from it may use slashes;
  // only the shown text depends on it.
  auto separator = [](char c) { return c == '/' || c == '\\'; };
  for (size_t i = 0; i < base.size(); ++i)
    if (path[i] != base[i] && !(separator(path[i]) && separator(base[i]))) return path;
  return path.substr(base.size());
}

void DiagnosticsSetEcho(bool echo) { g_diagnostics.Echo = echo; }

void DiagnosticsReset() { g_diagnostics = TDiagnosticsState{}; }

}  // namespace game
