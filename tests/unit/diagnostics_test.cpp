// The problem list: its one-line shape, once per file and message on standard error, and the
// limits that keep a garbage file from flooding the terminal or the memory.
#include "game/world/diagnostics.h"

#include <gtest/gtest.h>

#include <string>

#include "game/core/game_core.h"
#include "tests/support/problems.h"

namespace {

using game::TProblem;

class DiagnosticsTest : public ::testing::Test {
 protected:
  void SetUp() override { game::DiagnosticsReset(); }
  void TearDown() override {
    game::DiagnosticsReset();
    game::GameCoreReset();
  }
};

TEST_F(DiagnosticsTest, ShapeOfALine) {
  EXPECT_EQ(game::FormatProblem({"Data/Walls/a.cro", 3, 7, "m"}), "Data/Walls/a.cro:3:7: m");
  EXPECT_EQ(game::FormatProblem({"Data/Walls/a.cro", 3, 0, "m"}), "Data/Walls/a.cro:3: m");
  EXPECT_EQ(game::FormatProblem({"Data/Walls/a.cro", 0, 7, "m"}), "Data/Walls/a.cro: m");
  EXPECT_EQ(game::FormatProblem({"", 3, 7, "m"}), "m");

  game::Core().AppDir = "/games/tessera/";
  EXPECT_EQ(game::ShownPath("/games/tessera/Data/Walls/a.cro"), "Data/Walls/a.cro");
  EXPECT_EQ(game::ShownPath("/elsewhere/a.cro"), "/elsewhere/a.cro");
  EXPECT_EQ(game::ShownPath("/games/tessera/"), "/games/tessera/");
}

TEST_F(DiagnosticsTest, OncePerFileAndMessageOnStandardErrorEveryTimeInTheList) {
  testing::internal::CaptureStderr();
  game::ReportProblem({"a.cro", 1, 0, "unknown key \"X\""});
  game::ReportProblem({"a.cro", 9, 0, "unknown key \"X\""});
  game::ReportProblem({"b.cro", 1, 0, "unknown key \"X\""});
  game::ReportProblem({"a.cro", 2, 0, "unknown key \"Y\""});
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(err,
            "tessera: a.cro:1: unknown key \"X\"\n"
            "tessera: b.cro:1: unknown key \"X\"\n"
            "tessera: a.cro:2: unknown key \"Y\"\n");
  ASSERT_EQ(game::Problems().size(), 4u);
  EXPECT_EQ(game::Problems()[1].Line, 9);
}

TEST_F(DiagnosticsTest, WithoutEchoProblemsAreOnlyKept) {
  game::DiagnosticsSetEcho(false);
  testing::internal::CaptureStderr();
  for (int i = 0; i < 20; ++i) game::ReportProblem({"a.cro", i + 1, 0, "line " + std::to_string(i)});
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(game::Problems().size(), 20u);
  game::DiagnosticsReset();
  testing::internal::CaptureStderr();
  game::ReportProblem({"a.cro", 1, 0, "echoed again after a reset"});
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "tessera: a.cro:1: echoed again after a reset\n");
}

TEST_F(DiagnosticsTest, MessagesQuotingBinaryBytesArePrintable) {
  testing::internal::CaptureStderr();
  game::ReportProblem({"x.cro", 1, 0, std::string("unknown key \"\x1b[2J\0\"", 19)});
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(err, "tessera: x.cro:1: unknown key \"\\x1B[2J\\x00\"\n");
  EXPECT_EQ(game::Problems()[0].Message, "unknown key \"\\x1B[2J\\x00\"");
}

TEST_F(DiagnosticsTest, OneFileCannotFloodTheTerminalOrTheMemory) {
  testing::internal::CaptureStderr();
  for (int i = 0; i < 5000; ++i) game::ReportProblem({"junk.cro", i + 1, 0, "line " + std::to_string(i)});
  for (int i = 0; i < 30; ++i) game::ReportProblem({"", 0, 0, "texture " + std::to_string(i)});
  game::ReportProblem({"other.cro", 1, 0, "still shown"});
  std::string err = testing::internal::GetCapturedStderr();

  EXPECT_EQ(testsupport::CountOf(err, "tessera: junk.cro:"), game::MaxProblemsShownPerFile + 2)
      << "the shown ones, the note that more are not shown, and the note that more are not listed";
  EXPECT_EQ(testsupport::CountOf(err, "junk.cro: more problems in this file are not shown"), 1u);
  EXPECT_EQ(testsupport::CountOf(err, "junk.cro: more problems in this file are not listed"), 1u);
  EXPECT_EQ(testsupport::CountOf(err, "tessera: texture "), 30u) << "problems without a file are not capped";
  EXPECT_NE(err.find("tessera: other.cro:1: still shown"), std::string::npos);

  size_t junk = 0;
  for (const TProblem& p : game::Problems()) junk += p.File == "junk.cro";
  EXPECT_EQ(junk, game::MaxProblemsKeptPerFile + 1) << "kept ones and the note";
  EXPECT_EQ(game::Problems().back().Message, "still shown");
}

}  // namespace
