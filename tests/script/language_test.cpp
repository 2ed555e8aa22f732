// Language limits that corpus files cannot show without being huge: operator chains of ten thousand
// terms, the nesting limit and its message, routines nested fifty deep, and deep recursion of a
// nested routine.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>

#include "script_engine/script.h"

namespace {

// Compiles and runs a program whose results come out through SetInt; returns them by name.
std::map<std::string, int32_t> RunProgram(const std::string& source, std::string* listing = nullptr) {
  script::TScriptCompiler c;
  c.OnUses = [](script::TScriptCompiler& comp, const std::string& unit) {
    return unit == "SYSTEM" && comp.AddFunction("procedure SetInt( IntName: string; IntValue: integer )");
  };
  std::map<std::string, int32_t> out;
  if (!c.Compile(source)) {
    ADD_FAILURE() << c.ErrorText();
    return out;
  }
  if (listing) *listing = c.ListCode();
  script::TScriptExec exec;
  exec.RegisterFunction("SETINT", script::MakeNative([&out](const std::string& name, int32_t v) { out[name] = v; }));
  EXPECT_TRUE(exec.LoadData(c.GetOutput()));
  EXPECT_TRUE(exec.Run()) << exec.ErrorText();
  return out;
}

std::string CompileError(const std::string& source) {
  script::TScriptCompiler c;
  EXPECT_FALSE(c.Compile(source));
  return c.ErrorText();
}

// "a op a op a ..." with `count` operands.
std::string Chain(const std::string& operand, const std::string& op, int count) {
  std::string s = operand;
  for (int i = 1; i < count; ++i) s += op + operand;
  return s;
}

// The largest frame of any routine in a listing ("routine 0 main (params 0, result 0, frame 9)").
int LargestFrame(const std::string& listing) {
  std::istringstream in(listing);
  std::string line;
  int largest = 0;
  while (std::getline(in, line)) {
    size_t at = line.find("frame ");
    if (line.rfind("routine ", 0) == 0 && at != std::string::npos) largest = std::max(largest, std::stoi(line.substr(at + 6)));
  }
  return largest;
}

TEST(ScriptLanguage, ChainsOfTenThousandOperatorsCompileRunAndKeepFramesSmall) {
  const int n = 10000;
  std::string source =
      "var a, b: integer; s: string; ok: boolean;\n"
      "procedure InRoutine;\n"
      "var x: integer;\n"
      "begin\n"
      "  x := 2;\n"
      "  SetInt('routine', " + Chain("x", " * 1 + ", n) + ");\n"
      "end;\n"
      "begin\n"
      "  a := 1; b := 3;\n"
      "  SetInt('sum', " + Chain("a", " + ", n) + ");\n"
      "  SetInt('alternating', a" + Chain(" + b - a", "", n / 2) + ");\n"
      "  SetInt('precedence', " + Chain("b * b", " - ", n) + ");\n"
      "  s := " + Chain("'x'", " + ", n) + ";\n"
      "  SetInt('length', Length(s));\n"
      "  s := IntToStr(a) + " + Chain("IntToStr(b)", " + ", n) + ";\n"
      "  SetInt('calls', Length(s));\n"
      "  ok := " + Chain("(a = 2)", " or ", n) + " or (b = 3);\n"
      "  SetInt('or', Ord(ok));\n"
      "  if " + Chain("(a < b)", " and ", n) + " then SetInt('and', 1);\n"
      "  if " + Chain("(a > b)", " or ", n) + " then SetInt('or false', 1) else SetInt('or false', 0);\n"
      "  InRoutine;\n"
      "end.";
  std::string listing;
  auto r = RunProgram(source, &listing);
  EXPECT_EQ(r["sum"], n);
  EXPECT_EQ(r["alternating"], 1 + 2 * (n / 2));
  EXPECT_EQ(r["precedence"], 9 - 9 * (n - 1));
  EXPECT_EQ(r["length"], n);
  EXPECT_EQ(r["calls"], n + 1);
  EXPECT_EQ(r["or"], 1);
  EXPECT_EQ(r["and"], 1);
  EXPECT_EQ(r["or false"], 0);
  EXPECT_EQ(r["routine"], 2 * n);
  // The steps of a chain share their temporaries: a frame does not grow with the chain's length.
  EXPECT_LT(LargestFrame(listing), 40) << listing.substr(0, 200);
}

TEST(ScriptLanguage, ConstantChainsFoldAtAnyLength) {
  auto r = RunProgram("const K = " + Chain("2", " + ", 10000) + "; begin SetInt('k', K); end.");
  EXPECT_EQ(r["k"], 20000);
}

TEST(ScriptLanguage, NestingIsLimitedAt200LevelsWithAMessageThatSaysSo) {
  auto nest = [](const std::string& open, const std::string& close, int depth) {
    std::string s;
    for (int i = 0; i < depth; ++i) s += open;
    s += "1";
    for (int i = 0; i < depth; ++i) s += close;
    return s;
  };
  EXPECT_EQ(RunProgram("var a: integer; begin a := " + nest("(", ")", 200) + "; SetInt('p', a); end.")["p"], 1);
  EXPECT_EQ(RunProgram("var a: integer; begin a := " + nest("-", "", 200) + "; SetInt('m', a); end.")["m"], 1);
  // SetInt's own parenthesis is the first of 200 calls.
  EXPECT_EQ(RunProgram("begin SetInt('c', " + nest("Abs(", ")", 199) + "); end.")["c"], 1);
  std::string tooDeep = CompileError("var a: integer; begin a := " + nest("(", ")", 201) + "; end.");
  EXPECT_NE(tooDeep.find("script:1:228: Expression nested too deeply (parentheses, brackets and calls nest at most "
                         "200 levels) near '('"),
            std::string::npos)
      << tooDeep;
  EXPECT_NE(CompileError("var a: integer; begin a := " + nest("Abs(", ")", 201) + "; end.").find("nested too deeply"),
            std::string::npos);
  EXPECT_NE(CompileError("var a: array[0..1] of integer; begin a[0] := " + nest("a[", "]", 201) + "; end.")
                .find("nested too deeply"),
            std::string::npos);
}

TEST(ScriptLanguage, RoutinesNestedFiftyDeepReachEveryEnclosingFrame) {
  // P1 declares P2 declares ... P50; each Pk has a local vk. The innermost adds to v1 and v25 and
  // reads v49; every level but P1 then adds its own local to v1 on the way out.
  const int depth = 50;
  std::string source;
  for (int k = 1; k <= depth; ++k) {
    source += "procedure P" + std::to_string(k) + ";\nvar v" + std::to_string(k) + ": integer;\n";
  }
  for (int k = depth; k >= 1; --k) {
    std::string body = "v" + std::to_string(k) + " := " + std::to_string(k) + ";\n";
    if (k == depth) {
      body += "v1 := v1 + 1000; v25 := v25 + v49 * 100;\n";
    } else {
      body += "P" + std::to_string(k + 1) + ";\n";
      if (k > 1) body += "v1 := v1 + v" + std::to_string(k) + ";\n";
    }
    if (k == 25) body += "SetInt('v25', v25);\n";
    if (k == 1) body += "SetInt('v1', v1);\n";
    source += "begin\n" + body + "end;\n";
  }
  source += "begin P1; end.";
  auto r = RunProgram(source);
  EXPECT_EQ(r["v25"], 25 + 4900);
  // v1 starts at 1, gains 1000 in P50, then vk for each level k = 49 .. 2 (v25 having grown).
  int expected = 1 + 1000 + 4900;
  for (int k = 2; k < depth; ++k) expected += k;
  EXPECT_EQ(r["v1"], expected);
}

TEST(ScriptLanguage, NestedRecursionRunsToTheCallDepthLimit) {
  std::string source =
      "function Outer(n: integer): integer;\n"
      "var count: integer;\n"
      "  procedure Down(k: integer);\n"
      "  begin\n"
      "    Inc(count);\n"
      "    if k > 0 then Down(k - 1);\n"
      "  end;\n"
      "begin\n"
      "  count := 0;\n"
      "  Down(n);\n"
      "  Result := count;\n"
      "end;\n"
      "begin SetInt('n', Outer(990)); end.";
  EXPECT_EQ(RunProgram(source)["n"], 991);
  script::TScriptCompiler c;
  ASSERT_TRUE(c.Compile("procedure A; procedure B; begin B; end; begin B; end; begin A; end."));
  script::TScriptExec exec;
  ASSERT_TRUE(exec.LoadData(c.GetOutput()));
  EXPECT_FALSE(exec.Run());
  EXPECT_NE(exec.ErrorText().find("Stack overflow"), std::string::npos);
}

}  // namespace
