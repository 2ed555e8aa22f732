// The host contract through the C++ API: units, native declarations and calls, pause and resume,
// setting a paused executor back to loaded, nested runs, limits and errors.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "script_engine/script.h"
#include "game/script/declarations.h"

namespace {

using script::MakeNative;
using script::TExecStatus;
using script::TNativeCall;
using script::TScriptCompiler;
using script::TScriptExec;


bool DeclareGame(TScriptCompiler& c, const std::string& unit) {
  if (unit != "SYSTEM") return false;
  for (const char* d : game::kScriptDeclarations) {
    if (!c.AddFunction(d)) return false;
  }
  return true;
}

// Compiles with the game's declarations; fails the test on a compile error.
std::string CompileGame(const std::string& source) {
  TScriptCompiler c;
  c.OnUses = DeclareGame;
  EXPECT_TRUE(c.Compile(source)) << c.ErrorText();
  return c.GetOutput();
}

// A host with a message log: GameMessage records its text and, when asked, pauses the executor.
struct Host {
  std::vector<std::string> log;
  bool pauseOnMessage = false;
  void Bind(TScriptExec& exec) {
    exec.RegisterFunction("GAMEMESSAGE", [this, &exec](TNativeCall& call) {
      log.emplace_back(call.Str(0));
      if (pauseOnMessage) exec.Pause();
    });
    exec.RegisterFunction("SETINT", MakeNative([this](const std::string& name, int32_t v) {
      log.push_back("SetInt " + name + "=" + std::to_string(v));
    }));
  }
};

TEST(ScriptHost, UsesNamingAnyUnitButSystemFails) {
  std::vector<std::string> asked;
  TScriptCompiler c;
  c.OnUses = [&asked](TScriptCompiler& comp, const std::string& unit) {
    asked.push_back(unit);
    return DeclareGame(comp, unit);
  };
  EXPECT_TRUE(c.Compile("uses SYSTEM; begin GameMessage('x') end."));
  EXPECT_EQ(asked, (std::vector<std::string>{"SYSTEM", "SYSTEM"}));
  asked.clear();
  EXPECT_FALSE(c.Compile("uses System, Graphics; begin end."));
  EXPECT_EQ(asked, (std::vector<std::string>{"SYSTEM", "SYSTEM", "GRAPHICS"}));
  EXPECT_EQ(c.Error().message, "Unknown unit");
  EXPECT_EQ(c.Error().token, "Graphics");
  EXPECT_EQ(c.ErrorText(), "script:1:14: Unknown unit near 'Graphics'");
  EXPECT_TRUE(c.GetOutput().empty());
  // Without the SYSTEM declarations the library is unknown.
  TScriptCompiler bare;
  EXPECT_FALSE(bare.Compile("begin GameMessage('x') end."));
  EXPECT_EQ(bare.Error().message, "Unknown identifier");
}

TEST(ScriptHost, CompileErrorsCarryFileLineColumnAndToken) {
  TScriptCompiler c;
  c.OnUses = DeclareGame;
  c.SetFileName("Data/Walls/door.cro");
  ASSERT_FALSE(c.Compile("var a: integer; begin a := 1 + ; end. "));
  EXPECT_EQ(c.ErrorText(), "Data/Walls/door.cro:1:32: Expression expected near ';'");
  ASSERT_FALSE(c.Compile("begin\n  GameMessage(IntToStr(Cr_ID + 'x'));\nend."));
  EXPECT_EQ(c.Error().line, 2);
  EXPECT_EQ(c.Error().col, 30);
}

TEST(ScriptHost, AddFunctionRefusesHeadingsNativesCannotTake) {
  TScriptCompiler c;
  EXPECT_FALSE(c.AddFunction("procedure P(var x: integer)"));
  EXPECT_FALSE(c.AddFunction("procedure P(a: array of integer)"));
  EXPECT_FALSE(c.AddFunction("function F: TSomething"));
  EXPECT_FALSE(c.AddFunction("procedure ("));
  // A bad declaration made during OnUses fails the compile.
  c.OnUses = [](TScriptCompiler& comp, const std::string&) {
    EXPECT_FALSE(comp.AddFunction("procedure Broken(x: )"));
    return true;
  };
  EXPECT_FALSE(c.Compile("begin end."));
  EXPECT_NE(c.Error().message.find("Invalid native declaration"), std::string::npos);
}

TEST(ScriptHost, AllGameDeclarationsReachNativesWithTheirValues) {
  std::string code = CompileGame(
      "var s: string; w: word; b: boolean;\n"
      "begin\n"
      "  SetInt('k', -5); SetBool('f', True); GameMessage('m');\n"
      "  EndTurn; Cam_SetPos(1.5, 2, -3, 4.25, 5);\n"
      "  w := Cr_ID; s := Cr_GetName(w);\n"
      "  Cr_SetParam(70000, 'Health', 2147483647); w := Cr_GetParam(w, s);\n"
      "  Cr_SetAngle(2, 0.1); Cr_LookAtWall(3, 4); Cr_GiveItem(1, 'Key'); Cr_RemoveItem(1, 'Key');\n"
      "  Cr_EffectCreate(1, 'Fire'); Cr_Damage(1, -3); w := Wall_ID; Wall_IgnoreStandardScript;\n"
      "  Wall_SetFrame(9, 2.5); Wall_SetGhost(9, False); Wall_PlayAnim(9); Window_Create('W');\n"
      "  Window_Close('W'); Window_SetSize('W', 10, 20); Button_SetCaption('W', 'B', 'C');\n"
      "  Button_SetPos('W', 'B', 1, 2); Label_SetCaption('W', 'L', 'T'); Label_SetPos('W', 'L', 3, 4);\n"
      "  SetInt('width', Label_GetWidth('W', 'L')); ItemSlot_SetOwnerID('W', 'S', 0);\n"
      "  b := GetBool('f'); SetInt('got', GetInt('k'));\n"
      "  if b then SetInt('bool', 1);\n"
      "end.");
  TScriptExec exec;
  std::vector<std::string> calls;
  // One generic recorder per routine: name and the arguments as the native sees them.
  for (const char* d : game::kScriptDeclarations) {
    std::string decl = d;
    size_t start = decl.find(' ') + 1;
    size_t end = decl.find_first_of(" (:", start);
    std::string name = decl.substr(start, end - start);
    std::string upper = name;
    for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    exec.RegisterFunction(upper, [&calls, name](TNativeCall& call) {
      std::string line = name;
      for (int i = 0; i < call.Count(); ++i) {
        switch (call.ParamType(i)) {
          case script::TScriptType::String: line += " '" + std::string(call.Str(i)) + "'"; break;
          case script::TScriptType::Single: line += " " + std::to_string(call.Float(i)); break;
          case script::TScriptType::Boolean: line += call.Bool(i) ? " true" : " false"; break;
          default: line += " " + std::to_string(call.Int(i)); break;
        }
      }
      calls.push_back(line);
      if (name == "Cr_ID") call.ReturnInt(65536 + 7);  // wraps to the word 7
      if (name == "Cr_GetName") call.ReturnStr("Orc");
      if (name == "Cr_GetParam") call.ReturnInt(12);
      if (name == "Label_GetWidth") call.ReturnInt(33);
      if (name == "GetBool") call.ReturnBool(true);
      if (name == "GetInt") call.ReturnInt(-5);
    });
  }
  ASSERT_TRUE(exec.LoadData(code));
  ASSERT_TRUE(exec.Run()) << exec.ErrorText();
  const std::vector<std::string> expected = {
      "SetInt 'k' -5", "SetBool 'f' true", "GameMessage 'm'", "EndTurn",
      "Cam_SetPos 1.500000 2.000000 -3.000000 4.250000 5.000000", "Cr_ID", "Cr_GetName 7",
      "Cr_SetParam 4464 'Health' 2147483647", "Cr_GetParam 7 'Orc'", "Cr_SetAngle 2 0.100000", "Cr_LookAtWall 3 4",
      "Cr_GiveItem 1 'Key'", "Cr_RemoveItem 1 'Key'", "Cr_EffectCreate 1 'Fire'", "Cr_Damage 1 -3", "Wall_ID",
      "Wall_IgnoreStandardScript", "Wall_SetFrame 9 2.500000", "Wall_SetGhost 9 false", "Wall_PlayAnim 9",
      "Window_Create 'W'", "Window_Close 'W'", "Window_SetSize 'W' 10 20", "Button_SetCaption 'W' 'B' 'C'",
      "Button_SetPos 'W' 'B' 1 2", "Label_SetCaption 'W' 'L' 'T'", "Label_SetPos 'W' 'L' 3 4",
      "Label_GetWidth 'W' 'L'", "SetInt 'width' 33", "ItemSlot_SetOwnerID 'W' 'S' 0", "GetBool 'f'", "GetInt 'k'",
      "SetInt 'got' -5", "SetInt 'bool' 1",
  };
  EXPECT_EQ(calls, expected);
}

TEST(ScriptHost, PauseInsideNativeAndResumeContinuesAfterTheCall) {
  Host host;
  host.pauseOnMessage = true;
  TScriptExec exec;
  host.Bind(exec);
  ASSERT_TRUE(exec.LoadData(CompileGame(
      "var i: integer; begin i := 41; GameMessage('first'); i := i + 1; SetInt('i', i); end.")));
  EXPECT_EQ(exec.Status(), TExecStatus::Loaded);
  EXPECT_TRUE(exec.Run());
  EXPECT_EQ(exec.Status(), TExecStatus::Paused);
  EXPECT_EQ(host.log, (std::vector<std::string>{"first"}));
  EXPECT_TRUE(exec.Run());
  EXPECT_EQ(exec.Status(), TExecStatus::Loaded);
  EXPECT_EQ(host.log, (std::vector<std::string>{"first", "SetInt i=42"}));
  // A finished executor runs again from the start.
  host.pauseOnMessage = false;
  EXPECT_TRUE(exec.Run());
  EXPECT_EQ(host.log.back(), "SetInt i=42");
  EXPECT_EQ(host.log.size(), 4u);
}

TEST(ScriptHost, SecondPauseEndsTheScriptOnceSetBackToLoaded) {
  Host host;
  host.pauseOnMessage = true;
  TScriptExec exec;
  host.Bind(exec);
  ASSERT_TRUE(exec.LoadData(CompileGame(
      "var s: string; begin s := 'a'; GameMessage('one'); s := s + 'b'; GameMessage('two' + s);"
      " SetInt('never', 1); end.")));
  EXPECT_TRUE(exec.Run());
  ASSERT_EQ(exec.Status(), TExecStatus::Paused);
  // What the host does when the player presses OK: resume, and end a run that paused again.
  EXPECT_TRUE(exec.Run());
  ASSERT_EQ(exec.Status(), TExecStatus::Paused);
  exec.SetLoaded();
  EXPECT_EQ(exec.Status(), TExecStatus::Loaded);
  EXPECT_EQ(host.log, (std::vector<std::string>{"one", "twoab"}));
  exec.SetLoaded();  // no effect when not paused
  EXPECT_EQ(exec.Status(), TExecStatus::Loaded);
  EXPECT_FALSE(TScriptExec().Run());  // nothing loaded
}

TEST(ScriptHost, PausedInsideARoutineResumesInsideIt) {
  Host host;
  host.pauseOnMessage = true;
  TScriptExec exec;
  host.Bind(exec);
  ASSERT_TRUE(exec.LoadData(CompileGame(
      "function Work(n: integer): string;\n"
      "var t: string;\n"
      "begin\n"
      "  t := 'n=' + IntToStr(n);\n"
      "  try\n"
      "    GameMessage(t);\n"
      "    Result := t + '!';\n"
      "  finally\n"
      "    SetInt('finally', n);\n"
      "  end;\n"
      "end;\n"
      "begin SetInt(Work(5), 1); end.")));
  EXPECT_TRUE(exec.Run());
  EXPECT_EQ(exec.Status(), TExecStatus::Paused);
  EXPECT_TRUE(exec.Run());
  EXPECT_EQ(host.log, (std::vector<std::string>{"n=5", "SetInt finally=5", "SetInt n=5!=1"}));
}

// Each level's native call compiles and runs the next level on an executor of its own.
struct Nester {
  std::vector<std::string> log;
  std::vector<std::unique_ptr<TScriptExec>> execs;
  TScriptExec* pauseTarget = nullptr;  // paused by the innermost level
  void Bind(TScriptExec& exec) {
    exec.RegisterFunction("GAMEMESSAGE", [this](TNativeCall& call) {
      log.emplace_back(call.Str(0));
      if (call.Str(0) == "level 3" && pauseTarget) pauseTarget->Pause();
    });
    exec.RegisterFunction("WINDOW_CREATE", [this](TNativeCall& call) {
      std::string level(call.Str(0));
      int next = std::stoi(level) + 1;
      if (next > 3) return;
      TScriptCompiler c;
      c.OnUses = DeclareGame;
      ASSERT_TRUE(c.Compile("begin GameMessage('level " + std::to_string(next) + "'); Window_Create('" +
                            std::to_string(next) + "'); GameMessage('end " + std::to_string(next) + "'); end."));
      execs.push_back(std::make_unique<TScriptExec>());
      TScriptExec& inner = *execs.back();
      Bind(inner);
      ASSERT_TRUE(inner.LoadData(c.GetOutput()));
      EXPECT_TRUE(inner.Run());
      EXPECT_EQ(inner.Status(), TExecStatus::Loaded);
    });
  }
};

TEST(ScriptHost, NestedRunsThreeDeep) {
  Nester n;
  TScriptExec outer;
  n.Bind(outer);
  ASSERT_TRUE(outer.LoadData(
      CompileGame("begin GameMessage('level 1'); Window_Create('1'); GameMessage('end 1'); end.")));
  EXPECT_TRUE(outer.Run());
  EXPECT_EQ(n.log, (std::vector<std::string>{"level 1", "level 2", "level 3", "end 3", "end 2", "end 1"}));
}

TEST(ScriptHost, PauseOfAnOuterExecutorTakesEffectWhenControlReturnsToIt) {
  Nester n;
  TScriptExec outer;
  n.pauseTarget = &outer;
  n.Bind(outer);
  ASSERT_TRUE(outer.LoadData(
      CompileGame("begin GameMessage('level 1'); Window_Create('1'); GameMessage('end 1'); end.")));
  EXPECT_TRUE(outer.Run());
  // The inner levels finish; the outer run stops right after its Window_Create call.
  EXPECT_EQ(outer.Status(), TExecStatus::Paused);
  EXPECT_EQ(n.log, (std::vector<std::string>{"level 1", "level 2", "level 3", "end 3", "end 2"}));
  EXPECT_TRUE(outer.Run());
  EXPECT_EQ(n.log.back(), "end 1");
  EXPECT_EQ(outer.Status(), TExecStatus::Loaded);
}

TEST(ScriptHost, RunAndLoadAreRefusedFromInsideTheirOwnRun) {
  TScriptExec exec;
  bool runResult = true, loadResult = true;
  exec.RegisterFunction("GAMEMESSAGE", [&](TNativeCall&) {
    EXPECT_EQ(exec.Status(), TExecStatus::Running);
    runResult = exec.Run();
    loadResult = exec.LoadData(CompileGame("begin end."));
  });
  ASSERT_TRUE(exec.LoadData(CompileGame("begin GameMessage('x'); end.")));
  EXPECT_TRUE(exec.Run());
  EXPECT_FALSE(runResult);
  EXPECT_FALSE(loadResult);
  EXPECT_EQ(exec.Status(), TExecStatus::Loaded);
}

TEST(ScriptHost, SetLoadedFromInsideANativeAbandonsTheRun) {
  TScriptExec exec;
  Host host;
  host.Bind(exec);
  exec.RegisterFunction("GAMEMESSAGE", [&](TNativeCall&) {
    exec.Pause();
    exec.SetLoaded();
  });
  ASSERT_TRUE(exec.LoadData(CompileGame("var s: string; begin s := 'x'; GameMessage(s); SetInt(s, 1); end.")));
  EXPECT_TRUE(exec.Run());
  EXPECT_EQ(exec.Status(), TExecStatus::Loaded);
  EXPECT_TRUE(host.log.empty());
}

TEST(ScriptHost, RunTimeErrorsEndTheRunAndAreNotThrown) {
  TScriptExec exec;
  Host host;
  host.Bind(exec);
  ASSERT_TRUE(exec.LoadData(CompileGame("var a, b: integer;\nbegin\n  SetInt('before', 1);\n  a := a div b;\n"
                                        "  SetInt('after', 1);\nend.")));
  EXPECT_FALSE(exec.Run());
  EXPECT_EQ(exec.Status(), TExecStatus::Loaded);
  EXPECT_EQ(exec.LastError().message, "Division by zero");
  EXPECT_EQ(exec.LastError().line, 4);
  EXPECT_EQ(exec.ErrorText(), "4:10: Division by zero");
  EXPECT_EQ(host.log, (std::vector<std::string>{"SetInt before=1"}));
  // The executor can run again after an error.
  EXPECT_FALSE(exec.Run());
  EXPECT_EQ(host.log.size(), 2u);
}

TEST(ScriptHost, UnboundNativesAndFailingNativesRaiseCatchableErrors) {
  TScriptExec exec;
  Host host;
  host.Bind(exec);
  exec.RegisterFunction("ENDTURN", [](TNativeCall& call) { call.Fail("cannot end the turn now"); });
  ASSERT_TRUE(exec.LoadData(CompileGame(
      "begin\n"
      "  try EndTurn; except GameMessage(ExceptionParam); end;\n"
      "  try Wall_PlayAnim(1); except GameMessage('unbound ' + ExceptionParam); end;\n"
      "  Wall_PlayAnim(2);\n"
      "end.")));
  EXPECT_FALSE(exec.Run());
  EXPECT_EQ(host.log, (std::vector<std::string>{"cannot end the turn now", "unbound WALL_PLAYANIM"}));
  EXPECT_EQ(exec.LastError().line, 4);
  // Binding after the load is honoured.
  exec.RegisterFunction("WALL_PLAYANIM", [&host](TNativeCall& call) { host.log.push_back("anim " + std::to_string(call.Int(0))); });
  EXPECT_TRUE(exec.Run());
  EXPECT_EQ(host.log.back(), "anim 2");
}

TEST(ScriptLimits, StepBudgetEndsEndlessLoopsAndCannotBeCaught) {
  TScriptExec exec;
  Host host;
  host.Bind(exec);
  exec.SetStepLimit(100000);
  ASSERT_TRUE(exec.LoadData(CompileGame(
      "var n: integer; begin while True do try while True do n := n + 1; except GameMessage('caught'); end; end.")));
  EXPECT_FALSE(exec.Run());
  EXPECT_EQ(exec.LastError().message, "Step limit exceeded");
  EXPECT_TRUE(host.log.empty());
  // A loop that fits the budget finishes.
  ASSERT_TRUE(exec.LoadData(CompileGame("var i, n: integer; begin for i := 1 to 1000 do n := n + i; SetInt('n', n); end.")));
  EXPECT_TRUE(exec.Run());
}

TEST(ScriptLimits, CallDepthOf1000IsAllowedAndOneMoreIsAnError) {
  TScriptExec exec;
  Host host;
  host.Bind(exec);
  const char* source =
      "var depth: integer;\n"
      "procedure Down(n: integer); begin if n > 0 then Down(n - 1); end;\n"
      "begin depth := GetInt('depth'); Down(depth - 1); SetInt('done', depth); end.";
  exec.RegisterFunction("GETINT", MakeNative([](const std::string&) { return 1000; }));
  ASSERT_TRUE(exec.LoadData(CompileGame(source)));
  EXPECT_TRUE(exec.Run()) << exec.ErrorText();
  exec.RegisterFunction("GETINT", MakeNative([](const std::string&) { return 1001; }));
  EXPECT_FALSE(exec.Run());
  EXPECT_EQ(exec.LastError().message, "Stack overflow");
  EXPECT_EQ(exec.LastError().line, 2);
}

TEST(ScriptLimits, LargeAllocationsAreRunTimeErrors) {
  TScriptExec exec;
  ASSERT_TRUE(exec.LoadData(CompileGame("var a: array of integer; s: string; begin SetLength(s, 2000000000); end.")));
  EXPECT_FALSE(exec.Run());
  EXPECT_EQ(exec.LastError().message, "Out of memory");
  ASSERT_TRUE(exec.LoadData(CompileGame("var a: array of double; begin SetLength(a, 500000000); end.")));
  EXPECT_FALSE(exec.Run());
  ASSERT_TRUE(exec.LoadData(CompileGame("var s: string; begin s := 'ab'; while True do s := s + s; end.")));
  EXPECT_FALSE(exec.Run());
  EXPECT_EQ(exec.LastError().message, "Out of memory");
}

}  // namespace
