// The compiled-program format: round trips, and refusal of damaged or hostile input.
#include <gtest/gtest.h>

#include <string>

#include "script_engine/loader.h"
#include "script_engine/opcodes.h"
#include "script_engine/program.h"
#include "script_engine/script.h"

namespace {

const char* kProgram =
    "type TRec = record n: integer; s: string; end;\n"
    "var a: array of TRec; i: integer; t: string; r: TRec;\n"
    "function Join(const x: TRec): string; begin Result := x.s + IntToStr(x.n); end;\n"
    "begin\n"
    "  SetLength(a, 3);\n"
    "  for i := 0 to 2 do begin a[i].n := i; a[i].s := Chr(65 + i); end;\n"
    "  try t := Join(a[2]) + Copy('xyz', 2, 1); r := a[1]; except t := '?'; end;\n"
    "  GameMessage(t + r.s);\n"
    "end.";

std::string Compile() {
  script::TScriptCompiler c;
  c.OnUses = [](script::TScriptCompiler& comp, const std::string&) {
    return comp.AddFunction("procedure GameMessage( MsgText: string )");
  };
  EXPECT_TRUE(c.Compile(kProgram)) << c.ErrorText();
  return c.GetOutput();
}

// Loads and, when the loader accepts, runs: must never crash (the sanitizers watch).
bool LoadAndRun(const std::string& bytes, std::string* message = nullptr) {
  script::TScriptExec exec;
  exec.SetStepLimit(100000);
  std::string seen;
  exec.RegisterFunction("GAMEMESSAGE", [&seen](script::TNativeCall& call) { seen = std::string(call.Str(0)); });
  if (!exec.LoadData(bytes)) {
    if (message) *message = exec.LastError().message;
    return false;
  }
  exec.Run();
  if (message) *message = seen;
  return true;
}

TEST(ScriptLoader, RoundTripsAndRuns) {
  std::string bytes = Compile();
  std::string seen;
  ASSERT_TRUE(LoadAndRun(bytes, &seen));
  EXPECT_EQ(seen, "C2yB");
  script::TProgram p;
  std::string reason;
  ASSERT_TRUE(script::ReadProgram(bytes, p, reason)) << reason;
  EXPECT_EQ(script::WriteProgram(p), bytes);
  EXPECT_EQ(Compile(), bytes);  // compiling is deterministic
}

TEST(ScriptLoader, EveryCorruptedByteIsRefused) {
  const std::string bytes = Compile();
  for (size_t i = 0; i < bytes.size(); ++i) {
    for (uint8_t mask : {0x01, 0x80, 0xFF}) {
      std::string bad = bytes;
      bad[i] = static_cast<char>(bad[i] ^ mask);
      std::string why;
      EXPECT_FALSE(LoadAndRun(bad, &why)) << "byte " << i << " mask " << int(mask);
    }
  }
}

TEST(ScriptLoader, TruncationsAndTrailingBytesAreRefusedWithAReason) {
  const std::string bytes = Compile();
  for (size_t n = 0; n < bytes.size(); ++n) {
    std::string why;
    EXPECT_FALSE(LoadAndRun(bytes.substr(0, n), &why)) << n;
    EXPECT_FALSE(why.empty());
  }
  std::string why;
  EXPECT_FALSE(LoadAndRun(bytes + "x", &why));
  EXPECT_EQ(why, "trailing bytes after program");
  EXPECT_FALSE(LoadAndRun(bytes.substr(0, 10), &why));
  EXPECT_EQ(why, "truncated program");
  std::string other = bytes;
  other[4] = static_cast<char>(script::kProgramFormatVersion + 1);  // a later format's version
  EXPECT_FALSE(LoadAndRun(other, &why));
  EXPECT_EQ(why, "unsupported format version " + std::to_string(script::kProgramFormatVersion + 1));
  EXPECT_FALSE(LoadAndRun("hello, world, this is not code", &why));
  EXPECT_EQ(why, "not a compiled script");
}

// Rewrites a valid program with one operand changed (checksum recomputed), as a hostile or buggy
// producer would: the validator must refuse every out-of-range operand.
TEST(ScriptLoader, OperandsOutOfRangeAreRefusedEvenWithAValidChecksum) {
  script::TProgram program;
  std::string reason;
  ASSERT_TRUE(script::ReadProgram(Compile(), program, reason));
  int refused = 0, total = 0;
  for (size_t f = 0; f < program.functions.size(); ++f) {
    for (size_t i = 0; i < program.functions[f].code.size(); ++i) {
      const script::Instr original = program.functions[f].code[i];
      const char* kinds = script::kOpcodeOperands[original.op];
      for (int k = 0; k < 3; ++k) {
        if (kinds[k] == '_' || kinds[k] == 'I') continue;
        for (int32_t value : {-7, 1 << 24}) {
          script::TProgram p = program;
          script::Instr& in = p.functions[f].code[i];
          (k == 0 ? in.a : k == 1 ? in.b : in.c) = value;
          ++total;
          std::string bytes = script::WriteProgram(p);
          std::string why;
          if (!LoadAndRun(bytes, &why)) ++refused;
        }
      }
    }
  }
  EXPECT_GT(total, 100);
  // -1 is a legal "no result" destination; every other out-of-range operand is refused.
  EXPECT_EQ(refused, total);
}

TEST(ScriptLoader, StructuralDamageIsRefused) {
  script::TProgram program;
  std::string reason;
  ASSERT_TRUE(script::ReadProgram(Compile(), program, reason));
  auto refuses = [](script::TProgram p, const char* what) {
    std::string why;
    EXPECT_FALSE(LoadAndRun(script::WriteProgram(p), &why)) << what;
  };
  {
    script::TProgram p = program;
    p.functions.clear();
    refuses(p, "no routines");
  }
  {
    script::TProgram p = program;
    p.functions[0].code.back().op = script::OP_NOP;  // falls off the end
    refuses(p, "no final return");
  }
  {
    script::TProgram p = program;
    p.functions[0].code[0].op = script::OP_COUNT;
    refuses(p, "unknown opcode");
  }
  {
    script::TProgram p = program;
    p.functions[0].slotKinds.assign(p.functions[0].slotKinds.size(), 0);  // managed slots lost
    refuses(p, "slot kinds");
  }
  {
    script::TProgram p = program;
    p.layouts[0].managed.push_back(1000);
    refuses(p, "layout");
  }
  {
    script::TProgram p = program;
    p.globalSlots = p.functions[0].frameSize + 1;
    refuses(p, "globals");
  }
}

}  // namespace
