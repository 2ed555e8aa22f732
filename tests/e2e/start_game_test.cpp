// scripts/start-game.sh, which ./run.sh ends with: the game starts in its own folder, and the file
// names of the path options are taken from the folder the user started in.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;
using testsupport::ProcessResult;

std::string StartGame() { return (fs::path(TESSERA_SOURCE_DIR) / "scripts/start-game.sh").string(); }

// A build folder whose "game" prints where it runs and what it was given, one word a line.
fs::path FakeBuild(const fs::path& dir) {
  fs::path build = dir / "fakebuild";
  fs::create_directories(build / "game");
  testsupport::WriteFile(build / "bin/tessera", "#!/bin/sh\npwd\nfor a in \"$@\"; do echo \"$a\"; done\n");
  fs::permissions(build / "bin/tessera", fs::perms::owner_all);
  return build;
}

TEST(StartGame, PathOptionsAreTakenFromTheStartingFolder) {
  fs::path dir = testsupport::ScratchDir();
  fs::path build = FakeBuild(dir);
  fs::create_directories(dir / "here");
  ProcessResult r = testsupport::RunProcess(
      {"/bin/bash", StartGame(), build.string(), "here", "--map", "edit.map", "--input", "/abs/in.txt", "--record",
       "rec/r.txt", "--screenshot", "s.png", "--screenshot", "40:t.png", "--dump-state", "120:state.txt",
       "--dump-state", "plain.txt", "--dump-state", "x:y.txt", "--ticks", "5", "--seed", "7", "--headless"},
      dir);
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string here = fs::canonical(dir / "here").string();
  const std::string want = fs::canonical(build / "game").string() + "\n" +
                           "--map\n" + here + "/edit.map\n"
                           "--input\n/abs/in.txt\n"
                           "--record\n" + here + "/rec/r.txt\n"
                           "--screenshot\n" + here + "/s.png\n"
                           "--screenshot\n40:" + here + "/t.png\n"
                           "--dump-state\n120:" + here + "/state.txt\n"
                           "--dump-state\n" + here + "/plain.txt\n"
                           "--dump-state\n" + here + "/x:y.txt\n"
                           "--ticks\n5\n--seed\n7\n--headless\n";
  EXPECT_EQ(r.out, want);
}

// The real game, started from a folder of the user's: a relative map is found there (its message
// proves it was read) and the screenshot lands there.
TEST(StartGame, TheGameLoadsARelativeMapFromAnotherFolder) {
  fs::path dir = testsupport::ScratchDir();
  testsupport::WriteFile(dir / "mine/size.txt", "size 4 4\nlegend . Plane grass.jpg\nfloor\n....\n....\n....\n....\nend\n"
                                                "wall Nowhere 1 1 0 1\n");
  ProcessResult c = testsupport::RunProcess(
      {testsupport::BinPath("tessera-mapc").string(), "compile", "mine/size.txt", "mine/edit.map"}, dir);
  ASSERT_EQ(c.status, 0) << c.err;
  ProcessResult r = testsupport::RunProcess({"/bin/bash", StartGame(), TESSERA_BINARY_DIR, ".", "--headless",
                                             "--fixed-clock", "--ticks", "3", "--map", "mine/edit.map",
                                             "--screenshot", "mine/shot.png"},
                                            dir);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("Wall \"Nowhere\" not found."), std::string::npos) << r.err;
  EXPECT_TRUE(fs::exists(dir / "mine/shot.png"));

  r = testsupport::RunProcess(
      {"/bin/bash", StartGame(), TESSERA_BINARY_DIR, ".", "--headless", "--ticks", "3", "--map", "absent.map"}, dir);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(fs::canonical(dir).string() + "/absent.map"), std::string::npos)
      << "the message names the file where the user looked for it: " << r.err;
}

}  // namespace
