// The script host: the map's script blocks, compiling a source into an executor of the pool and
// running it, the script context (current creature, current wall, the ignore flag), pausing every
// running script while the message box waits and resuming them after OK.
// NOTE: until the host arrives this module only records the runs it is asked for, so that the
// triggers can be built and tested against this interface.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace game {

// Written by the triggers just before a script runs; never reset after a run.
struct TScriptContext {
  uint16_t CurrentCreatureID = 0;  // Cr_ID
  uint16_t CurrentWallID = 0;      // Wall_ID
  bool IgnoreStandardScript = false;
};

TScriptContext& ScriptContext();

// Where a script source came from, for error reports: what it is ("wall kind Door, touch
// script"), the file it was read from and the line of its first source line there (0: unknown).
struct TScriptOrigin {
  std::string What;
  std::string File;
  int32_t Line = 0;
};

// Compiles `source` and runs it (its result is ignored); a compile failure shows "Script Error".
void Script_RunSource(const std::string& source, const TScriptOrigin& origin);
// Runs every map script block named exactly `name`, in table order.
void Script_RunBlock(const std::string& name);
// Pauses every running script; resumes every paused one.
void Script_PauseAll();
void Script_ResumeAll();
// Frees every executor of the pool (exit).
void Script_FreeAll();

// Every run asked for since the last reset: "block NAME" or the origin's What (tests).
const std::vector<std::string>& ScriptHostRuns();

// Back to the state at process start (tests).
void ScriptHostReset();

}  // namespace game
