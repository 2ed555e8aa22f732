// The script host: the map's script blocks, compiling a source into an executor of the pool and
// running it, the script context (current creature, current wall, the ignore flag), pausing every
// running script while the message box waits and resuming them after OK, the triggers that run
// scripts, and the report of every compile and run-time error at its place in its file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "game/world/defs.h"
#include "game/world/map_file.h"
#include "script_engine/script.h"

namespace game {

// Written by the triggers just before a script runs; never reset after a run.
struct TScriptContext {
  uint16_t CurrentCreatureID = 0;  // Cr_ID
  uint16_t CurrentWallID = 0;      // Wall_ID
  bool IgnoreStandardScript = false;
};

TScriptContext& ScriptContext();

// The map's script blocks, in map order; names compare exactly. The map loader fills the table
// (and strips the comments once the map has started); only "Start Map" and "Touch Wall" are run.
using TScriptBlock = TMapScriptBlock;
struct TScriptBlockTable {
  std::string File;  // the map file, for error reports
  std::vector<TScriptBlock> Blocks;
};
TScriptBlockTable& ScriptBlocks();

// Where a script source came from, for error reports. A source is one line of text: its block's
// lines joined, each followed by one blank. `Starts` maps a position back: the position at
// offset o of the source lies on file line L and column o - Offset + 1 of the last start
// {Offset, L} with Offset <= o. Without starts the source is one line, line `Line` of the file
// (0: unknown). For a map block, File is the map and the lines count from the block's first line.
//   What: "map script \"Start Map\"", "touch script of wall kind \"Door\"",
//         "use script of item \"Key\"", "create script of window \"Stats\"", ...
struct TScriptOrigin {
  std::string What;
  std::string File;
  int32_t Line = 0;
  std::vector<TScriptLineStart> Starts;
};

// The origin of a script text joined from a definition file's block.
TScriptOrigin ScriptOriginOf(std::string what, const TScriptLines& lines);
// A map block's source (its lines, each followed by one blank) and its origin.
std::string ScriptBlockSource(const TScriptBlock& block, TScriptOrigin* origin);
// The file line and column of the source's line `line`, column `column` (1-based, as the script
// engine reports them). 0 for what is not known.
void ScriptFilePosition(const std::string& source, const TScriptOrigin& origin, int32_t line, int32_t column,
                        int32_t* fileLine, int32_t* fileColumn);

// Compiles `source` with the game's 31 functions and loads it into an executor of the pool:
// returns its slot, or -1 after reporting the error and showing "Script Error". A slot whose
// executor is running or paused is never taken; the pool grows only when every slot is.
int32_t Script_Compile(const std::string& source, const TScriptOrigin& origin);
// Compiles `source` as Script_Compile does, without loading or running it and without a message:
// a failure is reported exactly as the game reports it. True when it compiles (content checks).
bool Script_Check(const std::string& source, const TScriptOrigin& origin);
// Script_Compile, then runs the executor when it compiled. A run-time error ends the run and is
// reported with its place; the changes made before it stay.
void Script_RunSource(const std::string& source, const TScriptOrigin& origin);
// Runs every map script block named exactly `name`, in table order, each compiled from its own
// lines and run before the next is looked at.
void Script_RunBlock(const std::string& name);
// Pauses every running script (the message box opens).
void Script_PauseAll();
// Runs again, in slot order, every script that was paused when this call started (OK pressed);
// each continues after the call that paused it. A script that shows another message pauses again
// and goes on after the next OK.
void Script_ResumeAll();
// Frees every executor of the pool (exit).
void Script_FreeAll();

// Triggers. A creature touches a wall (both by list index): the context becomes that wall and
// creature with the ignore flag cleared, the map's "Touch Wall" blocks run, then the wall's own
// touch script unless it is empty or the blocks (before their first pause) asked to skip it.
void Script_TouchWall(int32_t wallIndex, int32_t creatureIndex);

// The pool's slots with their executors' status, in slot order (state dump, tests).
std::vector<script::TExecStatus> ScriptPoolStatus();
// "not loaded", "loaded", "running" or "paused".
const char* ScriptStatusName(script::TExecStatus status);

// Every run asked for since the last reset: "block NAME" or the origin's What (tests).
const std::vector<std::string>& ScriptHostRuns();

// Back to the state at process start: context, blocks, pool (tests).
void ScriptHostReset();

}  // namespace game
