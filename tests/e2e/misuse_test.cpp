// The game and its image tool used carelessly: options out of range, paths that are folders,
// devices or pipes, files of the wrong kind; and content with faults a modder must be told about
// on standard error while the game plays on.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "game/world/map_file.h"
#include "game/world/map_text.h"
#include "tests/support/problems.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;
using testsupport::ProcessResult;

class Misuse : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = testsupport::ScratchDir(); }
  ProcessResult Game(std::vector<std::string> args, int timeout = 120) {
    args.insert(args.begin(), testsupport::BinPath("tessera").string());
    return testsupport::RunProcess(args, dir_, timeout);
  }
  fs::path dir_;
};

// Each refused before a window opens: a clear message, status 2 (1 for a file the run was to
// write), and never a hang (a FIFO or /dev/zero read as a map or a recording would block or never
// end; a FIFO written to would wait for a reader).
TEST_F(Misuse, CommandLinesThatAreRefused) {
  fs::create_directories(dir_ / "folder");
  ASSERT_EQ(mkfifo((dir_ / "pipe").c_str(), 0600), 0);
  testsupport::WriteBytes(dir_ / "binary.rec", {0x89, 'P', 'N', 'G', 0, 0x1b, '[', '2', 'J', '\n'});
  testsupport::WriteFile(dir_ / "garbage.rec", "10 mouse_move 1 2\nhello world\n");
  struct Case {
    std::vector<std::string> args;
    std::string message;
    int status = 2;
  };
  const Case cases[] = {
      {{"--ticks", "-1"}, "--ticks needs a number from 1 to 2147483647"},
      {{"--ticks", "0"}, "--ticks needs a number from 1 to 2147483647"},
      {{"--ticks", "2147483648"}, "--ticks needs a number from 1 to 2147483647"},
      {{"--ticks", "99999999999999999999999"}, "--ticks needs a number from 1 to 2147483647"},
      {{"--ticks", "12abc"}, "--ticks needs a number from 1 to 2147483647"},
      {{"--ticks", " 5"}, "--ticks needs a number from 1 to 2147483647"},
      {{"--ticks"}, "--ticks needs a number"},
      {{"--seed", "-1"}, "--seed needs a number from 0 to 4294967295"},
      {{"--seed", "4294967296"}, "--seed needs a number from 0 to 4294967295"},
      {{"--seed", "0x10"}, "--seed needs a number from 0 to 4294967295"},
      {{"--map", "folder"}, "--map folder: is a directory"},
      {{"--map", "pipe"}, "--map pipe: is not a regular file (a FIFO, a device or a socket)"},
      {{"--map", "/dev/zero"}, "--map /dev/zero: is not a regular file"},
      {{"--map", ""}, "--map needs a file name"},
      {{"--input", "folder"}, "--input folder: is a directory"},
      {{"--input", "/dev/zero"}, "--input /dev/zero: is not a regular file"},
      {{"--input", "pipe"}, "--input pipe: is not a regular file"},
      {{"--input", "garbage.rec"}, "garbage.rec:2: a tick number from 1 up expected"},
      // Bytes of a binary file are quoted printably, and the file is called what it is.
      {{"--input", "binary.rec"}, "(this file holds binary data, not a recording)"},
      {{"--record", "folder"}, "cannot write folder: Is a directory", 1},
      {{"--record", "pipe"}, "cannot write pipe: it is a FIFO or a socket, not a file", 1},
      {{"--fullscreen"}, "unknown option --fullscreen"},
      {{"proba.map"}, "unknown option proba.map"},
  };
  for (const Case& c : cases) {
    ProcessResult r = Game(c.args, 20);
    std::string shown;
    for (const std::string& a : c.args) shown += " [" + a + "]";
    EXPECT_FALSE(r.timedOut) << shown;
    EXPECT_EQ(r.status, c.status) << shown << "\n" << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << shown << "\n" << r.err;
    EXPECT_EQ(r.err.find('\x1b'), std::string::npos) << shown << ": raw control bytes reached the terminal";
  }
}

TEST_F(Misuse, AFileThatIsNoMapEndsTheStartNamingIt) {
  testsupport::LinkGameContent(dir_, {"Data"});
  testsupport::WriteFile(dir_ / "notes.txt", "These are my notes about the map, not a map.\n");
  ProcessResult r = Game({"--headless", "--fixed-clock", "--ticks", "5", "--map", "notes.txt"});
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_NE(r.err.find("notes.txt: Read beyond end of file"), std::string::npos) << r.err;
}

// A modder's faults, each told once on standard error with the file and line or record that holds
// it, while the game starts and plays on with the placeholders.
TEST_F(Misuse, ContentFaultsAreToldOnceWithTheirCulprit) {
  fs::create_directories(dir_ / "Data");
  testsupport::LinkGameContent(dir_, {"Data/Creatures", "Data/Bullets", "Data/Models", "Data/GUI"});
  fs::create_directories(dir_ / "Data/Walls");
  fs::create_directories(dir_ / "Data/Textures");
  fs::copy_file(fs::path(TESSERA_GAME_DIR) / "Data/Textures/grass.jpg", dir_ / "Data/Textures/grass.jpg");
  testsupport::WriteFile(dir_ / "Data/Walls/stone.cro", "NAME=Stone\nTEXTURE=granite.tga\nMODEL=wall_stone.md2\nSCALEMODLE=2\n");
  testsupport::WriteFile(dir_ / "Data/Walls/rock.cro", "NAME=Rock\nTEXTURE=granite.tga\nMODEL=boulder.md2\n");
  game::TMapFile map;
  game::TMapTextError error;
  ASSERT_TRUE(game::MapCompileText("size 4 4\nlegend . Plane grass.jpg\nlegend m Plane mud.jpg\nfloor\n"
                                   "..mm\n..mm\n....\n....\nend\n"
                                   "wall Stone 0 0 0 1\nwall Stone 1 0 0 2\nwall Rock 2 0 0 3\n"
                                   "wall Marble 3 3 0 4\n"
                                   "creature \"Blue Soldier\" 1 1 0 1 0\ncreature Goblin 2 2 0 2 1\n",
                                   "m.txt", &map, &error))
      << error.Text();
  map.Walls.push_back({0, 0, 0, 0.0f, 5});  // a second wall on (0, 0): the compiler refuses to write one
  fs::create_directories(dir_ / "maps");
  std::string reason;
  ASSERT_TRUE(game::MapFileSave((dir_ / "maps/proba.map").string(), map, &reason)) << reason;

  ProcessResult r = Game({"--headless", "--fixed-clock", "--ticks", "10"});
  EXPECT_EQ(r.status, 0) << r.err;
  const char* const lines[] = {
      "tessera: Data/Walls/rock.cro:2: texture \"Data/Textures/granite.tga\" cannot be read: no such file\n",
      "tessera: Data/Walls/rock.cro:3: model \"Data/Models/boulder.md2\" cannot be read: no such file\n",
      "tessera: Data/Walls/stone.cro:2: texture \"Data/Textures/granite.tga\" cannot be read: no such file\n",
      "tessera: Data/Walls/stone.cro:4: unknown key \"SCALEMODLE\" (did you mean SCALEMODEL?); the line is ignored\n",
      "tessera: maps/proba.map: floor texture \"Data/Textures/mud.jpg\" of cell (2, 0) cannot be read: no such file\n",
      "tessera: maps/proba.map: wall 4 (\"Marble\" on (3, 3), ID 4): cannot be placed: no wall kind is named "
      "\"Marble\"\n",
      "tessera: maps/proba.map: wall 5 (\"Stone\" on (0, 0), ID 5): cannot be placed: tile (0, 0) already holds wall 1\n",
      "tessera: maps/proba.map: creature 2 (\"Goblin\" on (2, 2), ID 2): cannot be placed: no creature kind is named "
      "\"Goblin\"\n",
  };
  for (const char* line : lines) EXPECT_EQ(testsupport::CountOf(r.err, line), 1u) << line << "\n" << r.err;
  // The player's message box is as it always was.
  EXPECT_NE(r.err.find("Wall \"Marble\" not found."), std::string::npos) << r.err;
}

TEST_F(Misuse, TheImageToolSaysWhyAFileIsRefused) {
  testsupport::WriteBytes(dir_ / "deep.tga", {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 16, 0,
                                              1, 2, 3, 4, 5, 6, 7, 8});
  testsupport::WriteBytes(dir_ / "huge.tga", {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x20, 0x4E, 0x20, 0x4E, 24, 0});
  testsupport::WriteFile(dir_ / "words.jpg", "not a picture");
  fs::create_directories(dir_ / "folder.png");
  ASSERT_EQ(mkfifo((dir_ / "pipe.png").c_str(), 0600), 0);
  struct Case {
    std::string file;
    std::string out;
  };
  const Case cases[] = {
      {"deep.tga", "FAIL TGA - Unsupported pixel depth: 16 bits\n"},
      {"huge.tga", "FAIL TGA - Image too large: 20000 x 20000 pixels (at most 16384 a side and 67108864 in all)\n"},
      {"words.jpg", "FAIL JPEG - Not a JPEG file: starts with 0x6e 0x6f\n"},
      {"folder.png", "FAIL folder.png is a directory\n"},
      {"pipe.png", "FAIL pipe.png is not a regular file (a FIFO, a device or a socket)\n"},
  };
  for (const Case& c : cases) {
    ProcessResult r = testsupport::RunProcess({testsupport::BinPath("tessera-image").string(), c.file}, dir_, 20);
    EXPECT_FALSE(r.timedOut) << c.file;
    EXPECT_EQ(r.status, 1) << c.file;
    EXPECT_EQ(r.out, c.out) << c.file;
  }
}

}  // namespace
