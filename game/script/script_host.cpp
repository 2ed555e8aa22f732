// The script host's interface before the host exists: runs are recorded, nothing is compiled.
#include "game/script/script_host.h"

namespace game {

namespace {

struct TScriptHostState {
  TScriptContext Context;
  std::vector<std::string> Runs;
};

TScriptHostState g_host;

}  // namespace

TScriptContext& ScriptContext() { return g_host.Context; }

void Script_RunSource(const std::string&, const TScriptOrigin& origin) { g_host.Runs.push_back(origin.What); }
void Script_RunBlock(const std::string& name) { g_host.Runs.push_back("block " + name); }
void Script_PauseAll() {}
void Script_ResumeAll() {}
void Script_FreeAll() {}

const std::vector<std::string>& ScriptHostRuns() { return g_host.Runs; }

void ScriptHostReset() { g_host = TScriptHostState{}; }

}  // namespace game
