// tessera-mapc run as a program: compile and decompile through files and pipes, errors and
// exit status.
#include <gtest/gtest.h>

#include "game/world/map_file.h"
#include "tests/support/test_support.h"

namespace {

using testsupport::ProcessResult;

class Mapc : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = testsupport::ScratchDir(); }
  ProcessResult Run(const std::vector<std::string>& args) {
    std::vector<std::string> argv = {testsupport::BinPath("tessera-mapc").string()};
    argv.insert(argv.end(), args.begin(), args.end());
    return testsupport::RunProcess(argv, dir_);
  }
  std::filesystem::path dir_;
};

const char kMap[] =
    "size 3 2  # three across, two down\n"
    "legend . Plane grass.jpg\n"
    "legend ~ Water\n"
    "floor\n"
    ".~.\n"
    "...\n"
    "end\n"
    "wall Stone 1 1 90 5\n"
    "creature Orc 0 0 0 1 0\n"
    "creature \"Orc Chief\" 2 1 180 2 1\n"
    "script \"Start Map\" <<END\n"
    "begin Msg('hello'); end;\n"
    "END\n";

TEST_F(Mapc, CompileDecompileCompileGivesTheSameBytes) {
  testsupport::WriteFile(dir_ / "m.txt", kMap);
  ProcessResult c = Run({"compile", "m.txt", "m.map"});
  ASSERT_EQ(c.status, 0) << c.err;
  EXPECT_EQ(c.err, "");
  ProcessResult d = Run({"decompile", "m.map", "back.txt"});
  ASSERT_EQ(d.status, 0) << d.err;
  ProcessResult c2 = Run({"compile", "back.txt", "again.map"});
  ASSERT_EQ(c2.status, 0) << c2.err;
  EXPECT_EQ(testsupport::ReadBytes(dir_ / "again.map"), testsupport::ReadBytes(dir_ / "m.map"));

  game::TMapFile map;
  std::string error;
  ASSERT_TRUE(game::MapFileLoad((dir_ / "m.map").string(), &map, &error)) << error;
  EXPECT_EQ(map.MapWidth, 2);
  EXPECT_EQ(map.Creatures.size(), 2u);
  EXPECT_EQ(map.CreatureKindNames[1], "Orc Chief");

  // Standard output works for decompiling.
  ProcessResult piped = Run({"decompile", "m.map", "-"});
  ASSERT_EQ(piped.status, 0);
  EXPECT_EQ(piped.out, testsupport::ReadFile(dir_ / "back.txt"));
}

TEST_F(Mapc, FaultsAreReportedWithTheirPlace) {
  std::string bad = kMap;
  bad.replace(bad.find(".~.\n"), 4, ".?.\n");
  testsupport::WriteFile(dir_ / "bad.txt", bad);
  ProcessResult r = Run({"compile", "bad.txt", "out.map"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "bad.txt:5:2: unknown legend character '?'\n");
  EXPECT_FALSE(std::filesystem::exists(dir_ / "out.map")) << "nothing is written for a faulty map";

  testsupport::WriteBytes(dir_ / "short.map", {0x01, 0x00, 0x05});
  r = Run({"decompile", "short.map", "x.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "short.map: Read beyond end of file\n");

  r = Run({"compile", "missing.txt", "x.map"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "missing.txt: cannot read the file\n");
  EXPECT_EQ(Run({"compile", "only-one"}).status, 2);
  EXPECT_EQ(Run({"link", "a", "b"}).status, 2);
  EXPECT_EQ(Run({"--help"}).status, 0);
}

}  // namespace
