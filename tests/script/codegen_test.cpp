// Code generation, checked on the listing of what programs compile to: fused compare-and-branch,
// immediate operands, in-place string appends, constant folding, loop shapes, sets, the static link
// of nested routines, with.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "script_engine/script.h"

namespace {

// The instructions of routine `routine` as "OPCODE a b c" lines (operands as listed).
std::vector<std::string> Code(const std::string& source, int routine = 0) {
  script::TScriptCompiler c;
  EXPECT_TRUE(c.Compile(source)) << c.ErrorText();
  std::istringstream in(c.ListCode());
  std::vector<std::string> out;
  std::string line;
  int current = -1;
  while (std::getline(in, line)) {
    if (line.rfind("routine ", 0) == 0) {
      current = std::stoi(line.substr(8));
      continue;
    }
    if (current != routine) continue;
    std::istringstream fields(line);
    std::string index, text, word;
    fields >> index;
    while (fields >> word) {
      if (word == ";") break;
      text += (text.empty() ? "" : " ") + word;
    }
    out.push_back(text);
  }
  return out;
}

int Count(const std::vector<std::string>& code, const std::string& opcode) {
  int n = 0;
  for (const std::string& line : code) {
    if (line.substr(0, line.find(' ')) == opcode) ++n;
  }
  return n;
}

TEST(ScriptCodegen, IncrementOfALocalIsOneImmediateAdd) {
  auto code = Code("var i: integer; begin i := i + 1; i := 5 - 3 * 2; end.");
  EXPECT_EQ(code[0], "ADDK_I 0 0 1");
  EXPECT_EQ(code[1], "LOADI 0 -1");  // folded constant straight into the variable
  EXPECT_EQ(code[2], "RET");
}

TEST(ScriptCodegen, IntegerConditionsCompareAndBranchInOneInstruction) {
  auto code = Code("var a, b: integer; begin if a < b then a := 1; if a = 7 then b := 2; end.");
  EXPECT_EQ(Count(code, "JGE"), 1);
  EXPECT_EQ(Count(code, "JNEK"), 1);
  EXPECT_EQ(Count(code, "LT"), 0);
  EXPECT_EQ(Count(code, "JF"), 0);
}

TEST(ScriptCodegen, ShortCircuitConditionsJumpWithoutMaterializingBooleans) {
  auto code = Code("var a, b: integer; begin if (a > 0) and (b > 0) or (a = 5) then a := 1; end.");
  EXPECT_EQ(Count(code, "AND"), 0);
  EXPECT_EQ(Count(code, "OR"), 0);
  EXPECT_EQ(Count(code, "JLEK") + Count(code, "JGTK") + Count(code, "JEQK") + Count(code, "JNEK"), 3);
}

TEST(ScriptCodegen, WhileLoopTestsItsConditionAtTheBottom) {
  auto code = Code("var i: integer; begin while i < 10 do i := i + 1; end.");
  ASSERT_EQ(code.size(), 4u);
  EXPECT_EQ(code[0], "JMP 2");
  EXPECT_EQ(code[1], "ADDK_I 0 0 1");
  EXPECT_EQ(code[2], "JLTK 0 10 1");
  EXPECT_EQ(code[3], "RET");
}

TEST(ScriptCodegen, ForLoopEvaluatesTheLimitOnceAndStepsWithFori) {
  auto code = Code("var i, n: integer; begin for i := 1 to n * 2 do n := n + 1; end.");
  EXPECT_EQ(Count(code, "MULK_I"), 1);
  EXPECT_EQ(Count(code, "FORI"), 1);
  EXPECT_EQ(Count(code, "JGT"), 1);
}

TEST(ScriptCodegen, AppendingToAStringWritesIntoTheVariable) {
  auto code = Code("var s, t: string; begin s := s + t; s := s + 'ab' + t + Chr(65); end.");
  EXPECT_EQ(code[0], "CONCAT 0 0 1");
  // Each further part is appended in place: no temporary copies of s.
  EXPECT_EQ(Count(code, "CONCAT"), 3);
  EXPECT_EQ(Count(code, "CONCATC"), 1);
  for (const std::string& line : code) {
    if (line.rfind("CONCAT", 0) == 0) {
      EXPECT_EQ(line.substr(line.find(' '), 4), " 0 0") << line;
    }
  }
}

TEST(ScriptCodegen, SelfReferenceDisablesInPlaceAppend) {
  auto code = Code("var s: string; begin s := s + 'x' + s; end.");
  // s + 'x' goes to a temporary; only the final concatenation targets s.
  EXPECT_EQ(Count(code, "CONCAT") + Count(code, "CONCATC"), 2);
  EXPECT_NE(code[1].find("CONCAT"), std::string::npos);
}

TEST(ScriptCodegen, ConstantExpressionsFold) {
  auto code = Code("const K = 6 * 7; S = 'a' + 'b'; var i: integer; t: string; begin i := K div 4 + Ord('A'); t := S + S; end.");
  EXPECT_EQ(code[0], "LOADI 0 75");
  EXPECT_EQ(code[1], "LOADS 1 0");
  EXPECT_EQ(Count(code, "DIV_I") + Count(code, "DIVK_I"), 0);
}

TEST(ScriptCodegen, GlobalsAreReachedThroughGlobalInstructionsInRoutines) {
  auto code = Code("var g: integer; s: string; procedure P; begin g := g + 1; s := 'x'; end; begin P; end.", 1);
  EXPECT_EQ(Count(code, "GETG"), 1);
  EXPECT_EQ(Count(code, "SETG"), 1);
  EXPECT_EQ(Count(code, "SETGM"), 1);
  auto main = Code("var g: integer; procedure P; begin end; begin g := g + 1; P; end.");
  EXPECT_EQ(main[0], "ADDK_I 0 0 1");  // the main block addresses globals as its own slots
  EXPECT_EQ(main[1], "CALL 1 1 -1");
}

TEST(ScriptCodegen, ArithmeticWidthFollowsTheOperandTypes) {
  auto code = Code("var i: integer; c: cardinal; l: int64; b: byte; begin i := i * i; l := c + c; l := l + i; b := b + b; end.");
  EXPECT_EQ(code[0], "MUL_I 0 0 0");
  EXPECT_EQ(Count(code, "ADD_L"), 2);  // cardinal widens to Int64
  EXPECT_EQ(Count(code, "CVT_U8"), 1);  // byte arithmetic wraps when stored
}

TEST(ScriptCodegen, MembershipInAConstantSetIsOneInstruction) {
  auto code = Code("var c: char; n: integer; begin if c in ['a'..'z', '_'] then n := 1; end.");
  EXPECT_EQ(Count(code, "SETINK"), 1);
  EXPECT_EQ(Count(code, "SETK") + Count(code, "REFL"), 0);  // no set is built
  auto folded = Code("var n: integer; begin if 'q' in ['a'..'z'] then n := 1; end.");
  EXPECT_EQ(Count(folded, "SETINK") + Count(folded, "JF") + Count(folded, "JT"), 0);
}

TEST(ScriptCodegen, ConstructorsGatherTheirConstantMembersAtCompileTime) {
  auto code = Code("var s: set of byte; i: integer; begin s := [1, 3..5, i, 200]; end.");
  EXPECT_EQ(Count(code, "SETK"), 1);    // 1, 3, 4, 5 and 200 in one constant
  EXPECT_EQ(Count(code, "SETINC"), 1);  // only i at run time
  EXPECT_EQ(Count(code, "SETRNG"), 0);
}

TEST(ScriptCodegen, NestedRoutinesReachEnclosingFramesThroughTheStaticLink) {
  const char* source =
      "procedure A;\n"
      "var x: integer;\n"
      "  procedure B;\n"
      "    procedure C;\n"
      "    begin x := 5; end;\n"
      "  begin C; end;\n"
      "begin B; end;\n"
      "begin A; end.";
  // A and B pass their own frames to the routines declared in them; C follows its link (slot 0:
  // B's frame) to B's link (A's frame) and stores into x, A's slot 0, there.
  auto a = Code(source, 1);
  EXPECT_EQ(a[0], "REFL 1 0");
  auto b = Code(source, 2);
  EXPECT_EQ(b[0], "REFL 1 0");
  auto c = Code(source, 3);
  EXPECT_EQ(c[0], "LDR 2 0");
  EXPECT_EQ(c[1], "REFFLD 1 2 0");
  EXPECT_EQ(Count(c, "STR"), 1);
}

TEST(ScriptCodegen, WithWorksOutTheRecordOnce) {
  auto code = Code(
      "type T = record a, b, c: integer; end; var r: array[1..9] of T; i: integer;"
      "begin with r[i] do begin a := 1; b := a; c := b; end; end.");
  EXPECT_EQ(Count(code, "REFIDX"), 1);
  EXPECT_EQ(Count(code, "REFFLD"), 5);  // each field use offsets the one reference
}

TEST(ScriptCodegen, TypedConstantTablesAreStoredOnceBeforeTheProgram) {
  auto code = Code("type P = record x, y: integer; end; const T: array[0..1] of P = ((x: 1; y: 2), (x: 3; y: 4));"
                   "var n: integer; begin n := T[1].y; end.");
  EXPECT_EQ(code[0], "LOADI 0 1");
  EXPECT_EQ(code[3], "LOADI 3 4");
  EXPECT_EQ(code[4], "MOV 4 3");  // T[1].y is read where it lives
}

}  // namespace
