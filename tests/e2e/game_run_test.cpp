// Whole-game runs of the frame and loop: headless screenshot, recorded Escape, the fullscreen keys
// observed through the drawable's size, and the log file.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "tests/support/test_support.h"

namespace {

using testsupport::ProcessResult;

struct PngSize {
  int width = 0;
  int height = 0;
};

PngSize ReadPngSize(const std::filesystem::path& path) {
  std::vector<uint8_t> b = testsupport::ReadBytes(path);
  PngSize s;
  if (b.size() < 24 || b[1] != 'P' || b[12] != 'I') return s;
  s.width = (b[16] << 24) | (b[17] << 16) | (b[18] << 8) | b[19];
  s.height = (b[20] << 24) | (b[21] << 16) | (b[22] << 8) | b[23];
  return s;
}

class GameRun : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = testsupport::ScratchDir();
    testsupport::LinkGameContent(dir_);
  }

  ProcessResult Run(std::vector<std::string> args, const std::string& input = "") {
    std::vector<std::string> argv = {testsupport::BinPath("tessera").string(), "--headless", "--fixed-clock"};
    if (!input.empty()) {
      testsupport::WriteFile(dir_ / "input.txt", input);
      argv.push_back("--input");
      argv.push_back((dir_ / "input.txt").string());
    }
    argv.insert(argv.end(), args.begin(), args.end());
    return testsupport::RunProcess(argv, dir_);
  }

  // The stamp of the first log line containing `text`, or -1.
  long StampOf(const std::string& text) {
    std::string log = testsupport::ReadFile(dir_ / "log.txt");
    size_t at = log.find(text);
    if (at == std::string::npos) return -1;
    size_t lineStart = log.rfind('\n', at);
    lineStart = lineStart == std::string::npos ? 0 : lineStart + 1;
    return std::stol(log.substr(lineStart + 1, 8));
  }

  std::filesystem::path dir_;
};

TEST_F(GameRun, HeadlessRunWritesTheClearedFrame) {
  // Every frame of the scenario costs a fifth of a second of software rendering under the
  // sanitizers; drawing each eighth keeps the run short on a busy machine, and the capture's
  // frame is drawn whatever the spacing.
  ProcessResult r = Run({"--ticks", "120", "--draw-every", "8", "--screenshot", "out.png"});
  ASSERT_EQ(r.status, 0) << r.err;
  PngSize size = ReadPngSize(dir_ / "out.png");
  EXPECT_EQ(size.width, 800);
  EXPECT_EQ(size.height, 600);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "log.txt")) << "the game switches its log off";
}

TEST_F(GameRun, RecordedEscapeEndsTheRunAfterThatTick) {
  ProcessResult escaped = Run({"--ticks", "1000", "--log"}, "30 key_down 0x01\n");
  ASSERT_EQ(escaped.status, 0) << escaped.err;
  long escapedEnd = StampOf("Timers to free: ");
  ProcessResult counted = Run({"--ticks", "30", "--log"});
  ASSERT_EQ(counted.status, 0) << counted.err;
  long countedEnd = StampOf("Timers to free: ");
  EXPECT_GT(escapedEnd, 30 * 16);
  EXPECT_EQ(escapedEnd, countedEnd) << "Escape held in tick 30 ends the loop in that tick's pass";
}

TEST_F(GameRun, CtrlEnterTakesTheDesktopSizeAndComesBack) {
  const char* toggle =
      "10 key_down 0x1D\n10 key_down 0x1C\n11 key_up 0x1C\n11 key_up 0x1D\n";
  ProcessResult full = Run({"--ticks", "20", "--screenshot", "full.png"}, toggle);
  ASSERT_EQ(full.status, 0) << full.err;
  PngSize fullSize = ReadPngSize(dir_ / "full.png");
  EXPECT_EQ(fullSize.width, 1280) << "the virtual display is 1280 x 1024";
  EXPECT_EQ(fullSize.height, 1024);

  std::string twice = std::string(toggle) + "20 key_down 0x1D\n20 key_down 0x1C\n21 key_up 0x1C\n21 key_up 0x1D\n";
  ProcessResult back = Run({"--ticks", "30", "--screenshot", "back.png"}, twice);
  ASSERT_EQ(back.status, 0) << back.err;
  PngSize backSize = ReadPngSize(dir_ / "back.png");
  EXPECT_EQ(backSize.width, 800);
  EXPECT_EQ(backSize.height, 600);
}

TEST_F(GameRun, AltEnterWithoutAMatchingModeWarnsAndStaysWindowed) {
  // The virtual display offers only its own 1280 x 1024 mode, so 800 x 600 fullscreen is refused.
  const char* toggle = "10 key_down 0x38\n10 key_down 0x1C sys\n11 key_up 0x1C sys\n11 key_up 0x38\n";
  ProcessResult r = Run({"--ticks", "20", "--screenshot", "alt.png", "--log"}, toggle);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("Cannot set fullscreen mode."), std::string::npos) << r.err;
  PngSize size = ReadPngSize(dir_ / "alt.png");
  EXPECT_EQ(size.width, 800);
  EXPECT_EQ(size.height, 600);
  EXPECT_GT(StampOf("WARNING: Cannot set fullscreen mode."), 0);
}

TEST_F(GameRun, LogFileHasBannerLadderResourcesAndEndAllStamped) {
  ProcessResult r = Run({"--ticks", "70", "--log"});
  ASSERT_EQ(r.status, 0) << r.err;
  std::string log = testsupport::ReadFile(dir_ / "log.txt");
  EXPECT_EQ(log.rfind("################\r\n# Tessera 1.00 #\r\n################\r\n[00000000ms] Begin\r\n", 0), 0u)
      << log;
  const char* stamped[] = {
      "Current mode: 1280 x 1024", "wglChoosePixelFormatARB: zDepth = 24; stencil = 0; fsaa = 8",
      "wglChoosePixelFormatARB: zDepth = 8; stencil = 0; fsaa = 6",
      "wglChoosePixelFormatARB: zDepth = 24; stencil = 0; fsaa = 4", "Create OpenGL Context",
      "Make Current OpenGL Context", "GL_VERSION: ", "GL_RENDERER: ", "Timers to free: 2",
      "Render Targets to free: 0", "Textures to free: ", "Fonts to free: ", "Sounds to free: 0",
      "Average FPS: ", "End"};
  for (const char* text : stamped) {
    std::regex line("\\[\\d{8}ms\\] " + std::regex_replace(std::string(text), std::regex(R"([.^$|()\[\]{}*+?\\])"), R"(\$&)"));
    EXPECT_TRUE(std::regex_search(log, line)) << "missing stamped line: " << text;
  }
  EXPECT_EQ(log.find("fsaa = 2"), std::string::npos) << "the ladder stops at the first format found";
  EXPECT_LT(log.find("Sounds to free"), log.find("Average FPS")) ;
  EXPECT_LT(log.find("Average FPS"), log.find("] End"));
  EXPECT_EQ(log.substr(log.size() - 2), "\r\n");
}

TEST_F(GameRun, BadOptionsAndBadRecordingsAreRefused) {
  ProcessResult r = Run({"--ticks", "zero"});
  EXPECT_EQ(r.status, 2);
  r = Run({"--ticks", "5"}, "5 jump\n");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("input.txt:1: unknown event 'jump'"), std::string::npos) << r.err;
  r = Run({"--frobnicate"});
  EXPECT_EQ(r.status, 2);
}

// A file the run was asked to write and could not is a failed run, named on standard error: found
// before the game starts where it can be, at the end (a full device) where it cannot.
TEST_F(GameRun, OutputsThatCannotBeWrittenFailTheRun) {
  ProcessResult r = Run({"--ticks", "5", "--screenshot", "shots/out.png"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("cannot write shots/out.png: there is no folder shots"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("Current mode"), std::string::npos) << "refused before a window opens";

  std::filesystem::create_directory(dir_ / "taken.png");
  r = Run({"--ticks", "5", "--screenshot", "taken.png"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("cannot write taken.png: it is a folder"), std::string::npos) << r.err;

  r = Run({"--ticks", "5", "--record", "missing/rec.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("cannot write missing/rec.txt"), std::string::npos) << r.err;

  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  r = Run({"--ticks", "5", "--screenshot", "/dev/full"});
  EXPECT_EQ(r.status, 1) << "the screenshot is written after the last tick, and fails there";
  EXPECT_NE(r.err.find("cannot write /dev/full: No space left on device"), std::string::npos) << r.err;
  r = Run({"--ticks", "5", "--record", "/dev/full"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("cannot write /dev/full"), std::string::npos) << r.err;
}

TEST_F(GameRun, RecordingReplaysToTheSameRecording) {
  const char* input = "3 mouse_move 100 200\n4 mouse_down 0 100 200\n5 mouse_up 0 100 200\n6 key_down 0x14\n7 key_up 0x14\n";
  ProcessResult r = Run({"--ticks", "10", "--record", "rec.txt"}, input);
  ASSERT_EQ(r.status, 0) << r.err;
  std::string rec = testsupport::ReadFile(dir_ / "rec.txt");
  EXPECT_NE(rec.find("\n4 mouse_down 0 100 200\n5 mouse_up 0 100 200\n6 key_down 0x14\n7 key_up 0x14\n"), std::string::npos)
      << rec;
}

}  // namespace
