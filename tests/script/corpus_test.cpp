// Runs every corpus program through `tessera-script run` and compares standard output, exit
// status and the first line of standard error with what the corpus expects.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "tests/script/corpus.h"
#include "tests/support/test_support.h"

namespace corpus {

namespace fs = std::filesystem;

std::vector<std::string> AllPrograms() {
  std::vector<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(ProgramsDir())) {
    if (entry.path().extension() != ".pas") continue;
    fs::path rel = fs::relative(entry.path(), ProgramsDir());
    rel.replace_extension();
    names.push_back(rel.generic_string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

int ExpectedStatus(const std::string& name) {
  fs::path path = ProgramsDir() / (name + ".status");
  if (!fs::exists(path)) return 0;
  return std::stoi(testsupport::ReadFile(path));
}

bool SkipsFreePascal(const std::string& name) {
  std::ifstream in(ProgramsDir() / (name + ".pas"));
  std::string first;
  std::getline(in, first);
  return first.find("nofpc") != std::string::npos;
}

std::string TestName(const std::string& name) {
  std::string out = name;
  for (char& c : out) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return out;
}

}  // namespace corpus

namespace {

std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

class CorpusTest : public ::testing::TestWithParam<std::string> {};

TEST_P(CorpusTest, OutputStatusAndErrorAsExpected) {
  const std::string name = GetParam();
  testsupport::ProcessResult r = testsupport::RunProcess(
      {testsupport::BinPath("tessera-script").string(), "run", name + ".pas"}, corpus::ProgramsDir(), 120);
  ASSERT_FALSE(r.timedOut);
  EXPECT_EQ(r.status, corpus::ExpectedStatus(name)) << r.err;
  EXPECT_EQ(r.out, testsupport::ReadFile(corpus::ProgramsDir() / (name + ".out")));
  std::filesystem::path errFile = corpus::ProgramsDir() / (name + ".err");
  if (std::filesystem::exists(errFile)) {
    EXPECT_EQ(FirstLine(r.err), FirstLine(testsupport::ReadFile(errFile)));
  } else {
    EXPECT_EQ(r.err, "");
  }
}

INSTANTIATE_TEST_SUITE_P(Programs, CorpusTest, ::testing::ValuesIn(corpus::AllPrograms()),
                         [](const ::testing::TestParamInfo<std::string>& param) {
                           return corpus::TestName(param.param);
                         });

TEST(ScriptCommand, CheckCompilesOnlyAndReportsEveryFailure) {
  auto dir = corpus::ProgramsDir();
  testsupport::ProcessResult ok = testsupport::RunProcess(
      {testsupport::BinPath("tessera-script").string(), "check", "basics/hello.pas", "runtime_errors/infinite_loop.pas"},
      dir);
  EXPECT_EQ(ok.status, 0);
  EXPECT_EQ(ok.out, "");  // nothing runs
  testsupport::ProcessResult bad = testsupport::RunProcess(
      {testsupport::BinPath("tessera-script").string(), "check", "compile_errors/unknown_type.pas", "basics/hello.pas",
       "compile_errors/missing_dot.pas"},
      dir);
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.err.find("compile_errors/unknown_type.pas:1:8: Unknown type near 'TMissing'"), std::string::npos);
  EXPECT_NE(bad.err.find("compile_errors/missing_dot.pas:"), std::string::npos);
}

TEST(ScriptCommand, DumpListsTheCompiledCode) {
  testsupport::ProcessResult r = testsupport::RunProcess(
      {testsupport::BinPath("tessera-script").string(), "dump", "routines/recursion.pas"}, corpus::ProgramsDir());
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("routine 0 main"), std::string::npos);
  EXPECT_NE(r.out.find("routine 2 Fib"), std::string::npos);
  EXPECT_NE(r.out.find("CALLN"), std::string::npos);
  EXPECT_NE(r.out.find("RET"), std::string::npos);
}

TEST(ScriptCommand, StepLimitOptionSetsOrLiftsTheBudget) {
  std::string bin = testsupport::BinPath("tessera-script").string();
  std::filesystem::path dir = testsupport::ScratchDir();
  // 60 million loop steps: over the game's budget of 50 million.
  testsupport::WriteFile(dir / "long.pas",
                         "var i, n: integer; begin for i := 1 to 60000000 do ; n := i; GameMessage(IntToStr(n)); end.");
  testsupport::ProcessResult capped = testsupport::RunProcess({bin, "run", "long.pas"}, dir);
  EXPECT_EQ(capped.status, 2);
  EXPECT_NE(capped.err.find("Step limit exceeded"), std::string::npos) << capped.err;
  testsupport::ProcessResult unlimited = testsupport::RunProcess({bin, "run", "--step-limit", "0", "long.pas"}, dir);
  EXPECT_EQ(unlimited.status, 0) << unlimited.err;
  EXPECT_EQ(unlimited.out, "60000000\n");
  testsupport::ProcessResult small = testsupport::RunProcess({bin, "run", "--step-limit", "1000", "long.pas"}, dir);
  EXPECT_EQ(small.status, 2);
  EXPECT_NE(small.err.find("long.pas:1:"), std::string::npos);
  EXPECT_NE(small.err.find("Step limit exceeded"), std::string::npos);
  for (const char* bad : {"-5", "x", "", "1e9"}) {
    testsupport::ProcessResult r = testsupport::RunProcess({bin, "run", "--step-limit", bad, "long.pas"}, dir);
    EXPECT_EQ(r.status, 64) << bad;
    EXPECT_NE(r.err.find("--step-limit N"), std::string::npos) << bad;
  }
  EXPECT_EQ(testsupport::RunProcess({bin, "run", "--step-limit", "5"}, dir).status, 64);  // no file
  testsupport::ProcessResult help = testsupport::RunProcess({bin, "--help"}, dir);
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--step-limit N"), std::string::npos);
  EXPECT_NE(help.out.find("0 means no"), std::string::npos);
}

TEST(ScriptCommand, BadUsageAndMissingFile) {
  testsupport::ProcessResult usage =
      testsupport::RunProcess({testsupport::BinPath("tessera-script").string(), "frobnicate"}, corpus::ProgramsDir());
  EXPECT_NE(usage.status, 0);
  EXPECT_NE(usage.err.find("usage:"), std::string::npos);
  testsupport::ProcessResult missing = testsupport::RunProcess(
      {testsupport::BinPath("tessera-script").string(), "run", "no/such/file.pas"}, corpus::ProgramsDir());
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("cannot read file"), std::string::npos);
}

}  // namespace
