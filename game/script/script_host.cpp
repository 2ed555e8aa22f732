// The script host: compile, the executor pool, runs, pause and resume, triggers, error reports.
#include "game/script/script_host.h"

#include <memory>

#include "game/actors/creatures.h"
#include "game/actors/walls.h"
#include "game/gui/gui.h"
#include "game/script/script_funcs.h"
#include "game/world/diagnostics.h"

namespace game {

namespace {

// One executor of the pool with what the host knows about its run.
struct TScriptSlot {
  script::TScriptExec Exec;
  std::string Source;     // kept for mapping run-time error positions back
  TScriptOrigin Origin;
  bool InRun = false;     // its Run is on the call stack (a native of it is calling out)
  uint64_t PausedAt = 0;  // pause serial of its latest pause
};

struct TScriptHostState {
  TScriptContext Context;
  TScriptBlockTable Blocks;
  // Slots are held by pointer: a nested compile may grow or reorder the pool while a caller
  // further up the stack still runs one of them.
  std::vector<std::unique_ptr<TScriptSlot>> Pool;
  uint64_t PauseSerial = 0;
  std::vector<std::string> Runs;
};

TScriptHostState g_host;

bool Busy(const TScriptSlot& slot) {
  script::TExecStatus status = slot.Exec.Status();
  return slot.InRun || status == script::TExecStatus::Running || status == script::TExecStatus::Paused;
}

void ReportAt(const std::string& source, const TScriptOrigin& origin, int32_t line, int32_t column,
              const std::string& message) {
  TProblem problem;
  problem.File = origin.File;
  ScriptFilePosition(source, origin, line, column, &problem.Line, &problem.Column);
  problem.Message = origin.What.empty() ? message : origin.What + ": " + message;
  ReportProblem(problem);
}

// Compiles with the game's declarations; a failure is reported at its place in the file.
bool CompileSource(const std::string& source, const TScriptOrigin& origin, std::string* output) {
  script::TScriptCompiler compiler;
  compiler.OnUses = Script_Register;
  if (!compiler.Compile(source)) {
    const script::TCompileError& error = compiler.Error();
    std::string message = error.message;
    if (!error.token.empty()) message += " near '" + error.token + "'";
    ReportAt(source, origin, error.line, error.col, message);
    return false;
  }
  if (output != nullptr) *output = compiler.GetOutput();
  return true;
}

// Runs (or continues) a slot's executor and reports a run-time error that ended it.
void RunSlot(TScriptSlot* slot) {
  slot->InRun = true;
  bool ok = slot->Exec.Run();
  slot->InRun = false;
  if (!ok && slot->Exec.Status() == script::TExecStatus::Loaded) {
    const script::TRuntimeError& error = slot->Exec.LastError();
    ReportAt(slot->Source, slot->Origin, error.line, error.col, "run-time error: " + error.message);
  }
}

TScriptSlot* SlotAt(int32_t index) {
  if (index < 0 || static_cast<size_t>(index) >= g_host.Pool.size()) return nullptr;
  return g_host.Pool[static_cast<size_t>(index)].get();
}

}  // namespace

TScriptContext& ScriptContext() { return g_host.Context; }

TScriptBlockTable& ScriptBlocks() { return g_host.Blocks; }

TScriptOrigin ScriptOriginOf(std::string what, const TScriptLines& lines) {
  TScriptOrigin origin;
  origin.What = std::move(what);
  origin.File = lines.File;
  origin.Starts = lines.Starts;
  if (!lines.Starts.empty()) origin.Line = lines.Starts.front().Line;
  return origin;
}

std::string ScriptBlockSource(const TScriptBlock& block, TScriptOrigin* origin) {
  *origin = TScriptOrigin{};
  origin->What = "map script \"" + block.Name + "\"";
  origin->File = g_host.Blocks.File;
  std::string source;
  int32_t lineNo = 0;
  for (const std::string& line : block.Lines) {
    origin->Starts.push_back({static_cast<uint32_t>(source.size()), ++lineNo});
    source += line;
    source += ' ';
  }
  origin->Line = 1;
  return source;
}

void ScriptFilePosition(const std::string& source, const TScriptOrigin& origin, int32_t line, int32_t column,
                        int32_t* fileLine, int32_t* fileColumn) {
  *fileLine = 0;
  *fileColumn = 0;
  if (line < 1 || column < 1) return;
  // The engine counts lines at line feeds; a joined source has none unless a line held one.
  size_t offset = 0;
  for (int32_t l = 1; l < line; ++l) {
    size_t lf = source.find('\n', offset);
    if (lf == std::string::npos) return;
    offset = lf + 1;
  }
  offset += static_cast<size_t>(column - 1);
  if (origin.Starts.empty()) {
    *fileLine = origin.Line;
    *fileColumn = origin.Line > 0 ? static_cast<int32_t>(offset) + 1 : 0;
    return;
  }
  const TScriptLineStart* start = &origin.Starts.front();
  for (const TScriptLineStart& s : origin.Starts)
    if (s.Offset <= offset) start = &s;
  *fileLine = start->Line;
  *fileColumn = offset >= start->Offset ? static_cast<int32_t>(offset - start->Offset) + 1 : 0;
}

bool Script_Check(const std::string& source, const TScriptOrigin& origin) {
  return CompileSource(source, origin, nullptr);
}

int32_t Script_Compile(const std::string& source, const TScriptOrigin& origin) {
  std::string output;
  if (!CompileSource(source, origin, &output)) {
    GameMessage("Script Error");
    return -1;
  }

  // The first slot whose executor is neither running nor paused is reused; otherwise one more.
  size_t index = 0;
  while (index < g_host.Pool.size() && Busy(*g_host.Pool[index])) ++index;
  if (index == g_host.Pool.size()) g_host.Pool.emplace_back();
  g_host.Pool[index] = std::make_unique<TScriptSlot>();
  TScriptSlot& slot = *g_host.Pool[index];
  slot.Source = source;
  slot.Origin = origin;
  Script_BindFunctions(slot.Exec);
  if (!slot.Exec.LoadData(output)) {
    ReportAt(source, origin, 0, 0, "cannot load the compiled script: " + slot.Exec.LastError().message);
    // The last slot fills the hole, so that the pool stays as small as it can be.
    if (index + 1 < g_host.Pool.size()) g_host.Pool[index] = std::move(g_host.Pool.back());
    g_host.Pool.pop_back();
    GameMessage("Script Error");
    return -1;
  }
  return static_cast<int32_t>(index);
}

void Script_RunSource(const std::string& source, const TScriptOrigin& origin) {
  g_host.Runs.push_back(origin.What);
  int32_t index = Script_Compile(source, origin);
  if (TScriptSlot* slot = SlotAt(index)) RunSlot(slot);
}

void Script_RunBlock(const std::string& name) {
  g_host.Runs.push_back("block " + name);
  // By index: no reference into the table is held while the scripts run.
  for (size_t b = 0; b < g_host.Blocks.Blocks.size(); ++b) {
    if (g_host.Blocks.Blocks[b].Name != name) continue;
    TScriptOrigin origin;
    std::string source = ScriptBlockSource(g_host.Blocks.Blocks[b], &origin);
    int32_t index = Script_Compile(source, origin);
    if (TScriptSlot* slot = SlotAt(index)) RunSlot(slot);
  }
}

void Script_PauseAll() {
  ++g_host.PauseSerial;
  for (const std::unique_ptr<TScriptSlot>& slot : g_host.Pool) {
    if (slot->Exec.Status() != script::TExecStatus::Running) continue;
    slot->Exec.Pause();
    slot->PausedAt = g_host.PauseSerial;
  }
}

void Script_ResumeAll() {
  // Only what was paused before this call: a script paused by a message shown while this walk
  // runs waits for the next OK.
  uint64_t before = g_host.PauseSerial;
  size_t count = g_host.Pool.size();
  for (size_t i = 0; i < count && i < g_host.Pool.size(); ++i) {
    TScriptSlot* slot = g_host.Pool[i].get();
    if (slot->InRun || slot->Exec.Status() != script::TExecStatus::Paused || slot->PausedAt > before) continue;
    RunSlot(slot);
  }
}

void Script_FreeAll() { g_host.Pool.clear(); }

void Script_TouchWall(int32_t wallIndex, int32_t creatureIndex) {
  const std::vector<TWall>& walls = ReadWallLists().Walls;
  const std::vector<TCreature>& creatures = CreatureLists().Creatures;
  if (wallIndex < 0 || static_cast<size_t>(wallIndex) >= walls.size()) return;
  if (creatureIndex < 0 || static_cast<size_t>(creatureIndex) >= creatures.size()) return;
  TScriptContext& context = g_host.Context;
  context.CurrentWallID = walls[static_cast<size_t>(wallIndex)].ID;
  context.CurrentCreatureID = creatures[static_cast<size_t>(creatureIndex)].ID;
  context.IgnoreStandardScript = false;
  Script_RunBlock("Touch Wall");
  // Read when the blocks' runs return: at their end or at their first pause.
  if (context.IgnoreStandardScript) return;
  const TWall& wall = ReadWallLists().Walls[static_cast<size_t>(wallIndex)];
  if (wall.TouchScript.empty()) return;
  std::string source = wall.TouchScript;
  Script_RunSource(source, ScriptOriginOf("touch script of wall kind \"" + wall.Name + "\"", wall.TouchScriptLines));
}

std::vector<script::TExecStatus> ScriptPoolStatus() {
  std::vector<script::TExecStatus> status;
  for (const std::unique_ptr<TScriptSlot>& slot : g_host.Pool) status.push_back(slot->Exec.Status());
  return status;
}

const char* ScriptStatusName(script::TExecStatus status) {
  switch (status) {
    case script::TExecStatus::NotLoaded: return "not loaded";
    case script::TExecStatus::Loaded: return "loaded";
    case script::TExecStatus::Running: return "running";
    case script::TExecStatus::Paused: return "paused";
  }
  return "";
}

const std::vector<std::string>& ScriptHostRuns() { return g_host.Runs; }

void ScriptHostReset() {
  g_host.Pool.clear();
  g_host = TScriptHostState{};
}

}  // namespace game
