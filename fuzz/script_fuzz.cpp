// Fuzz target for the script engine: compiles arbitrary text with a few host declarations and runs
// whatever compiles with the game's call depth (1,000) and a step budget of one million, pausing
// and resuming on every GameMessage call. The game's own budget is 50 million steps; an endless
// loop ends through the same check either way, and at a fiftieth of the cost the fuzzer tries far
// more programs in its time.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "script_engine/script.h"

namespace {

const char* const kDeclarations[] = {
    "procedure SetInt( IntName: string; IntValue: integer )",
    "function GetInt( IntName: string ): integer",
    "procedure GameMessage( MsgText: string )",
    "procedure Cam_SetPos( X, Y, Z, CX, CZ: single )",
    "function Cr_ID: word",
    "function Cr_GetName( CrID: word ): string",
    "procedure Wall_SetGhost( WallID: word; Ghost: boolean )",
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 8192) return 0;
  std::string source(reinterpret_cast<const char*>(data), size);
  script::TScriptCompiler compiler;
  compiler.OnUses = [](script::TScriptCompiler& c, const std::string& unit) {
    if (unit != "SYSTEM") return false;
    for (const char* d : kDeclarations) c.AddFunction(d);
    return true;
  };
  if (!compiler.Compile(source)) {
    // Every failure must carry a position and a message.
    if (compiler.Error().message.empty() || compiler.Error().line < 1) std::abort();
    return 0;
  }
  script::TScriptExec exec;
  exec.SetStepLimit(1000000);
  exec.SetMaxCallDepth(1000);
  int32_t store = 0;
  exec.RegisterFunction("SETINT", script::MakeNative([&store](const std::string&, int32_t v) { store = v; }));
  exec.RegisterFunction("GETINT", script::MakeNative([&store](const std::string&) { return store; }));
  exec.RegisterFunction("GAMEMESSAGE", [&exec](script::TNativeCall&) { exec.Pause(); });
  exec.RegisterFunction("CAM_SETPOS", script::MakeNative([](float, float, float, float, float) {}));
  exec.RegisterFunction("CR_ID", script::MakeNative([]() { return 7; }));
  exec.RegisterFunction("CR_GETNAME", script::MakeNative([](int) { return std::string("Name"); }));
  // WALL_SETGHOST stays unbound: a call to it is a run-time error.
  // The compiler's own output must always load.
  if (!exec.LoadData(compiler.GetOutput())) std::abort();
  exec.Run();
  for (int resumes = 0; resumes < 3 && exec.Status() == script::TExecStatus::Paused; ++resumes) exec.Run();
  if (exec.Status() == script::TExecStatus::Paused) exec.SetLoaded();
  if (exec.Status() != script::TExecStatus::Loaded) std::abort();
  return 0;
}
