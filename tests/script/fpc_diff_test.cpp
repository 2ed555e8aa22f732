// Differential test: every corpus program that runs to completion is also compiled with Free
// Pascal (through a small prelude that stands in for the host functions) and must print exactly
// what the corpus expects of our engine. Skipped where fpc is not installed.
#include <gtest/gtest.h>

#include <regex>

#include "tests/script/corpus.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;

std::string FindFpc() {
  for (const char* dir : {"/usr/bin", "/usr/local/bin"}) {
    fs::path p = fs::path(dir) / "fpc";
    if (fs::exists(p)) return p.string();
  }
  return {};
}

std::vector<std::string> ComparablePrograms() {
  std::vector<std::string> out;
  for (const std::string& name : corpus::AllPrograms()) {
    if (corpus::ExpectedStatus(name) == 0 && !corpus::SkipsFreePascal(name)) out.push_back(name);
  }
  return out;
}

class FpcDiffTest : public ::testing::TestWithParam<std::string> {};

TEST_P(FpcDiffTest, SameOutputAsFreePascal) {
  std::string fpc = FindFpc();
  if (fpc.empty()) GTEST_SKIP() << "fpc (Free Pascal) is not installed; install fp-compiler";
  const std::string name = GetParam();
  std::string body = testsupport::ReadFile(corpus::ProgramsDir() / (name + ".pas"));
  // The prelude carries the program's uses clause; a header or "uses SYSTEM" would clash with it.
  body = std::regex_replace(body, std::regex(R"(^\s*program\s+\w+\s*;)", std::regex::icase), "");
  body = std::regex_replace(body, std::regex(R"(^\s*uses\s+system\s*;)", std::regex::icase), "");
  std::string prelude = testsupport::ReadFile(fs::path(TESSERA_SOURCE_DIR) / "tests/script/fpc_prelude.pas");
  fs::path dir = testsupport::ScratchDir();
  fs::path source = dir / "prog.pas";
  testsupport::WriteFile(source, prelude + body);
  testsupport::ProcessResult build = testsupport::RunProcess(
      {fpc, "-O1", "-v0", "-FU" + dir.string(), "-o" + (dir / "prog").string(), source.string()}, dir, 120);
  ASSERT_EQ(build.status, 0) << build.out << build.err;
  testsupport::ProcessResult run = testsupport::RunProcess({(dir / "prog").string()}, dir, 60);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, testsupport::ReadFile(corpus::ProgramsDir() / (name + ".out")));
}

INSTANTIATE_TEST_SUITE_P(Programs, FpcDiffTest, ::testing::ValuesIn(ComparablePrograms()),
                         [](const ::testing::TestParamInfo<std::string>& param) {
                           return corpus::TestName(param.param);
                         });

}  // namespace
