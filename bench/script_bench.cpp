// Script engine speed: six programs run by our VM and by Lua 5.4 in the same process (compile and
// run each iteration, as whole runs), and the compile time of a typical 40-line game script.
// Ratios (ours / Lua, lower is better) of the CPU time are printed after the table: CPU time, since
// the machines these run on are often shared and busy, which wall time would count against
// whichever side ran while others did.
#include <benchmark/benchmark.h>

#include <cctype>
#include <cstdio>
#include <map>
#include <string>

#include "script_engine/script.h"
#include "game/script/declarations.h"

#if TESSERA_HAVE_LUA
extern "C" {
#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>
}
#endif

namespace {

struct Program {
  const char* name;
  const char* pascal;
  const char* lua;
};

const Program kPrograms[] = {
    {"fib27",
     "function Fib(n: integer): integer;\n"
     "begin\n"
     "  if n < 2 then Result := n else Result := Fib(n - 1) + Fib(n - 2);\n"
     "end;\n"
     "begin SetInt('r', Fib(27)); end.",
     "local function fib(n) if n < 2 then return n end return fib(n - 1) + fib(n - 2) end\n"
     "return fib(27)"},
    {"loop20m_div_mod",
     "var i, s: integer;\n"
     "begin\n"
     "  s := 0;\n"
     "  for i := 1 to 20000000 do s := (s + i div 3 + i mod 7) mod 1000003;\n"
     "  SetInt('r', s);\n"
     "end.",
     "local s = 0\n"
     "for i = 1, 20000000 do s = (s + i // 3 + i % 7) % 1000003 end\n"
     "return s"},
    {"string200k_pos_copy",
     "var s: string; i, count, p: integer;\n"
     "begin\n"
     "  s := '';\n"
     "  for i := 1 to 200000 do s := s + Chr(65 + i mod 26);\n"
     "  count := 0;\n"
     "  for i := 1 to Length(s) - 2 do\n"
     "    if Copy(s, i, 3) = 'XYZ' then count := count + 1;\n"
     "  p := Pos('ZAB', s) + Pos('QQ', s);\n"
     "  SetInt('r', count + p);\n"
     "end.",
     "local s = ''\n"
     "for i = 1, 200000 do s = s .. string.char(65 + i % 26) end\n"
     "local count = 0\n"
     "for i = 1, #s - 2 do if string.sub(s, i, i + 2) == 'XYZ' then count = count + 1 end end\n"
     "local p = (string.find(s, 'ZAB', 1, true) or 0) + (string.find(s, 'QQ', 1, true) or 0)\n"
     "return count + p"},
    {"bubble_sort_3000",
     "var a: array of integer; i, j, t, n, seed: integer;\n"
     "begin\n"
     "  n := 3000;\n"
     "  SetLength(a, n);\n"
     "  seed := 12345;\n"
     "  for i := 0 to n - 1 do begin seed := (seed * 1103 + 12345) mod 65536; a[i] := seed; end;\n"
     "  for i := 0 to n - 2 do\n"
     "    for j := 0 to n - 2 - i do\n"
     "      if a[j] > a[j + 1] then begin t := a[j]; a[j] := a[j + 1]; a[j + 1] := t; end;\n"
     "  SetInt('r', a[0] + a[n - 1]);\n"
     "end.",
     "local n = 3000\n"
     "local a = {}\n"
     "local seed = 12345\n"
     "for i = 0, n - 1 do seed = (seed * 1103 + 12345) % 65536; a[i] = seed end\n"
     "for i = 0, n - 2 do\n"
     "  for j = 0, n - 2 - i do\n"
     "    if a[j] > a[j + 1] then local t = a[j]; a[j] = a[j + 1]; a[j + 1] = t end\n"
     "  end\n"
     "end\n"
     "return a[0] + a[n - 1]"},
    {"calls1m_3args",
     "function Add3(a, b, c: integer): integer;\n"
     "begin\n"
     "  Result := a + b - c;\n"
     "end;\n"
     "var i, s: integer;\n"
     "begin\n"
     "  s := 0;\n"
     "  for i := 1 to 1000000 do s := Add3(s, i, 3) mod 1000003;\n"
     "  SetInt('r', s);\n"
     "end.",
     "local function add3(a, b, c) return a + b - c end\n"
     "local s = 0\n"
     "for i = 1, 1000000 do s = add3(s, i, 3) % 1000003 end\n"
     "return s"},
    // A nested routine counting into its enclosing function's locals, sorting characters with
    // set membership; in Lua a closure with upvalues and range tests.
    {"nested_sets_2m",
     "function Scan(n: integer): integer;\n"
     "var letters, digits, others, i: integer;\n"
     "  procedure Count(ch: char);\n"
     "  begin\n"
     "    if ch in ['a'..'z', 'A'..'Z', '_'] then Inc(letters)\n"
     "    else if ch in ['0'..'9'] then Inc(digits)\n"
     "    else Inc(others);\n"
     "  end;\n"
     "begin\n"
     "  letters := 0; digits := 0; others := 0;\n"
     "  for i := 1 to n do Count(Chr(32 + i * 7 mod 91));\n"
     "  Result := (letters * 7 + digits * 3 + others) mod 1000003;\n"
     "end;\n"
     "begin SetInt('r', Scan(2000000)); end.",
     "local function scan(n)\n"
     "  local letters, digits, others = 0, 0, 0\n"
     "  local function count(ch)\n"
     "    if (ch >= 97 and ch <= 122) or (ch >= 65 and ch <= 90) or ch == 95 then letters = letters + 1\n"
     "    elseif ch >= 48 and ch <= 57 then digits = digits + 1\n"
     "    else others = others + 1 end\n"
     "  end\n"
     "  for i = 1, n do count(32 + i * 7 % 91) end\n"
     "  return (letters * 7 + digits * 3 + others) % 1000003\n"
     "end\n"
     "return scan(2000000)"},
};


// A typical game script of 40 lines: a touch handler with a small inventory check and messages.
const char* const kTypical40Lines =
    "var\n"
    "  id, hp, keys, i: integer;\n"
    "  name, msg: string;\n"
    "  opened: boolean;\n"
    "function Plural(n: integer; const word: string): string;\n"
    "begin\n"
    "  if n = 1 then Result := '1 ' + word else Result := IntToStr(n) + ' ' + word + 's';\n"
    "end;\n"
    "begin\n"
    "  id := Cr_ID;\n"
    "  name := Cr_GetName(id);\n"
    "  hp := Cr_GetParam(id, 'HEALTH');\n"
    "  keys := GetInt('keys_' + name);\n"
    "  opened := GetBool('door_' + IntToStr(Wall_ID));\n"
    "  if opened then begin\n"
    "    Wall_IgnoreStandardScript;\n"
    "    Exit;\n"
    "  end;\n"
    "  if keys > 0 then begin\n"
    "    Dec(keys);\n"
    "    SetInt('keys_' + name, keys);\n"
    "    SetBool('door_' + IntToStr(Wall_ID), True);\n"
    "    Wall_SetGhost(Wall_ID, True);\n"
    "    Wall_PlayAnim(Wall_ID);\n"
    "    Cr_LookAtWall(id, Wall_ID);\n"
    "    msg := name + ' opens the door. ' + Plural(keys, 'key') + ' left.';\n"
    "  end else begin\n"
    "    case hp of\n"
    "      0..10: msg := name + ' is too weak to force the door.';\n"
    "      11..50: begin Cr_Damage(id, 5); msg := name + ' hurts a shoulder.'; end;\n"
    "    else\n"
    "      msg := name + ' needs a key.';\n"
    "    end;\n"
    "  end;\n"
    "  for i := 1 to 3 do\n"
    "    if Pos('!', msg) = 0 then msg := msg + '!';\n"
    "  Window_Create('Info');\n"
    "  Label_SetCaption('Info', 'Text', msg);\n"
    "  GameMessage(msg);\n"
    "end.\n";

bool DeclareGame(script::TScriptCompiler& c, const std::string& unit) {
  if (unit != "SYSTEM") return false;
  for (const char* d : game::kScriptDeclarations) c.AddFunction(d);
  return true;
}

void RunScript(benchmark::State& state, const Program& p) {
  int32_t result = 0;
  for (auto _ : state) {
    script::TScriptCompiler compiler;
    compiler.OnUses = DeclareGame;
    if (!compiler.Compile(p.pascal)) {
      state.SkipWithError(compiler.ErrorText().c_str());
      return;
    }
    script::TScriptExec exec;
    exec.SetStepLimit(INT64_MAX);
    exec.RegisterFunction("SETINT", script::MakeNative([&result](const std::string&, int32_t v) { result = v; }));
    exec.LoadData(compiler.GetOutput());
    if (!exec.Run()) {
      state.SkipWithError(exec.ErrorText().c_str());
      return;
    }
    benchmark::DoNotOptimize(result);
  }
  state.counters["result"] = result;
}

#if TESSERA_HAVE_LUA
void RunLua(benchmark::State& state, const Program& p) {
  int64_t result = 0;
  for (auto _ : state) {
    lua_State* L = luaL_newstate();
    luaL_openlibs(L);
    if (luaL_loadstring(L, p.lua) != LUA_OK || lua_pcall(L, 0, 1, 0) != LUA_OK) {
      state.SkipWithError(lua_tostring(L, -1));
      lua_close(L);
      return;
    }
    result = lua_tointeger(L, -1);
    lua_close(L);
    benchmark::DoNotOptimize(result);
  }
  state.counters["result"] = static_cast<double>(result);
}
#endif

void BM_CompileTypical40Lines(benchmark::State& state) {
  for (auto _ : state) {
    script::TScriptCompiler compiler;
    compiler.OnUses = DeclareGame;
    bool ok = compiler.Compile(kTypical40Lines);
    if (!ok) {
      state.SkipWithError(compiler.ErrorText().c_str());
      return;
    }
    std::string out = compiler.GetOutput();
    benchmark::DoNotOptimize(out);
  }
}
BENCHMARK(BM_CompileTypical40Lines)->Unit(benchmark::kMicrosecond);

// What a trigger costs before its script runs: compile, new executor, bind, load.
void BM_CompileAndLoadTypical40Lines(benchmark::State& state) {
  for (auto _ : state) {
    script::TScriptCompiler compiler;
    compiler.OnUses = DeclareGame;
    compiler.Compile(kTypical40Lines);
    script::TScriptExec exec;
    for (const char* d : game::kScriptDeclarations) {
      std::string decl = d;
      size_t start = decl.find(' ') + 1;
      std::string name = decl.substr(start, decl.find_first_of(" (:", start) - start);
      for (char& ch : name) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
      exec.RegisterFunction(name, [](script::TNativeCall&) {});
    }
    bool ok = exec.LoadData(compiler.GetOutput());
    benchmark::DoNotOptimize(ok);
  }
}
BENCHMARK(BM_CompileAndLoadTypical40Lines)->Unit(benchmark::kMicrosecond);

// Prints ours / Lua for each program after the usual table.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    // With --benchmark_repetitions the median stands for a program: single repetitions scatter
    // on a busy machine, and only aggregates are reported with --benchmark_report_aggregates_only.
    for (const Run& r : runs) {
      const std::string name = r.run_name.str();
      if (r.run_type == Run::RT_Aggregate) {
        if (r.aggregate_name == "median") times_[name] = {r.GetAdjustedCPUTime(), true};
      } else if (!times_[name].fromMedian) {
        times_[name] = {r.GetAdjustedCPUTime(), false};
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\nScript VM CPU time / Lua 5.4 CPU time (below 1 means faster than Lua):\n");
    for (const Program& p : kPrograms) {
      auto ours = times_.find(std::string("BM_Script/") + p.name);
      auto lua = times_.find(std::string("BM_Lua/") + p.name);
      if (ours == times_.end() || lua == times_.end() || lua->second.cpu <= 0) continue;
      std::printf("  %-22s %.3f\n", p.name, ours->second.cpu / lua->second.cpu);
    }
  }

 private:
  struct Time {
    double cpu = 0;
    bool fromMedian = false;
  };
  std::map<std::string, Time> times_;
};

}  // namespace

int main(int argc, char** argv) {
  for (const Program& p : kPrograms) {
    benchmark::RegisterBenchmark((std::string("BM_Script/") + p.name).c_str(),
                                 [&p](benchmark::State& s) { RunScript(s, p); })
        ->Unit(benchmark::kMillisecond);
#if TESSERA_HAVE_LUA
    benchmark::RegisterBenchmark((std::string("BM_Lua/") + p.name).c_str(),
                                 [&p](benchmark::State& s) { RunLua(s, p); })
        ->Unit(benchmark::kMillisecond);
#endif
  }
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
