// What loading the kinds tells a modder: unknown keys with the likely intended one, files that are
// empty, binary, CR-only or nameless, missing or misplaced folders, textures and models that
// cannot be read; and that a key repeated thousands of times keeps one texture and one mesh.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/main.h"
#include "engine/textures.h"
#include "game/actors/creatures.h"
#include "game/actors/walls.h"
#include "game/core/game_core.h"
#include "game/core/game_data.h"
#include "game/models/mesh.h"
#include "game/world/defs.h"
#include "game/world/diagnostics.h"
#include "game/world/registry.h"
#include "tests/support/actor_models.h"
#include "tests/support/problems.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;

class LoadProblemsTest : public testsupport::GameFolderTest {
 protected:
  void Write(const std::string& relative, const std::string& text) { testsupport::WriteFile(dir_ / relative, text); }
  // Loads the kind folders, quietly, and returns every problem as "FILE:LINE: message" lines.
  std::vector<std::string> LoadKinds() {
    game::PlugKindLoaders();
    testing::internal::CaptureStderr();
    game::LoadKindFolders();
    testing::internal::GetCapturedStderr();
    return testsupport::ProblemLines(game::Problems());
  }
};

TEST_F(LoadProblemsTest, UnknownKeysNameTheLikelyIntendedKey) {
  Write("Data/Walls/stone.cro",
        "NAME=Stone\n"
        "TEXTUER=stone.tga\n"       // swapped letters
        "SCALEMOEDL=2\n"            // swapped letters
        "GOHST\n"                   // no "=": a flag that is no key
        "FLATNORMALS\n"             // a known flag without "="
        "FLIPNORMALS=true\n"        // read by the after-reading steps only
        "COLOR=red\n"               // nothing near
        "[TOUCHSCRIPT]\n"
        "NotAKey(1);\n"             // script lines are never keys
        "[/TOUCHSCRIPT]\n"
        "[TOUCHSCRIPTS]\n"          // a mistyped tag
        "// TEXTUER=commented out\n");
  Write("Data/Creatures/orc.cro", "NAME=Orc\nHEALTH=5\nHEALHT=6\n[TOUCHSCRIPT]\n");
  std::vector<std::string> want = {
      "Data/Walls/stone.cro:2: unknown key \"TEXTUER\" (did you mean TEXTURE?); the line is ignored",
      "Data/Walls/stone.cro:3: unknown key \"SCALEMOEDL\" (did you mean SCALEMODEL?); the line is ignored",
      "Data/Walls/stone.cro:4: \"GOHST\" is no key this file knows and has no \"=\" (did you mean GHOST?); the "
      "line is ignored",
      "Data/Walls/stone.cro:7: unknown key \"COLOR\"; the line is ignored",
      "Data/Walls/stone.cro:11: \"[TOUCHSCRIPTS]\" is no key this file knows and has no \"=\" (did you mean "
      "[TOUCHSCRIPT]?); the line is ignored",
      "Data/Creatures/orc.cro:3: unknown key \"HEALHT\" (did you mean HEALTH?); the line is ignored",
      // Creatures have no script blocks: the tag is a stray line.
      "Data/Creatures/orc.cro:4: \"[TOUCHSCRIPT]\" is no key this file knows and has no \"=\"; the line is ignored",
  };
  EXPECT_EQ(LoadKinds(), want);
  ASSERT_EQ(game::WallLists().WallKinds.size(), 1u);
  EXPECT_TRUE(game::WallLists().WallKinds[0].FlatNormals) << "the known lines still count";
}

TEST_F(LoadProblemsTest, ClosestKeyOnlyForLikelyTypos) {
  const std::vector<std::string> known = {"NAME", "TEXTURE", "MODEL", "SHOTS", "SHOTRANGE"};
  EXPECT_EQ(game::ClosestKey("TEXTUR", known), "TEXTURE");
  EXPECT_EQ(game::ClosestKey("MODLE", known), "MODEL");
  EXPECT_EQ(game::ClosestKey("SHOT", known), "SHOTS");
  EXPECT_EQ(game::ClosestKey("NAM", known), "NAME");
  EXPECT_EQ(game::ClosestKey("NA", known), "") << "two letters of four is too much to guess";
  EXPECT_EQ(game::ClosestKey("FOO", known), "");
  EXPECT_EQ(game::ClosestKey(std::string(1 << 20, 'A'), known), "") << "a 1 MB line is no typo, and costs nothing";
}

TEST_F(LoadProblemsTest, FilesThatCannotBeReadLineByLineAreReportedAsAWhole) {
  Write("Data/Walls/a_empty.cro", "");
  Write("Data/Walls/b_blank.cro", "  \r\n\t\n");
  Write("Data/Walls/c_binary.cro", std::string("NAME=Bin\nGARBAGE\0\x01\x02=\n", 21));
  Write("Data/Walls/d_cr.cro", "NAME=Stone\rTEXTURE=stone.tga\rSCALEMODEL=2\r");
  Write("Data/Walls/e_noname.cro", "SCALEMODEL=2\n");
  Write("Data/Walls/f_emptyname.cro", "SCALEMODEL=2\nNAME=\n");
  Write("Data/Walls/g_fine.cro", "NAME=Fine\n\x1a" "TEXTUER=after the end of file byte\n");
  std::vector<std::string> want = {
      "Data/Walls/a_empty.cro: the file is empty",
      "Data/Walls/b_blank.cro: the file holds nothing but blanks",
      "Data/Walls/c_binary.cro:2: the file holds NUL bytes: it is not a text file",
      "Data/Walls/d_cr.cro: the lines end in CR alone, so the whole file reads as one line; save it with LF or CR "
      "LF line ends",
      // The one long line starts with NAME=, so the name is all of it.
      "Data/Walls/e_noname.cro: no NAME line: nothing can find this kind",
      "Data/Walls/f_emptyname.cro:2: the NAME is empty: nothing can find this kind",
  };
  EXPECT_EQ(LoadKinds(), want);
  // Every file still gives its kind, as the registry always did.
  EXPECT_EQ(game::WallLists().WallKinds.size(), 7u);
}

TEST_F(LoadProblemsTest, MissingDataAndMisplacedFolders) {
  EXPECT_EQ(LoadKinds(), std::vector<std::string>{"Data: the folder Data/ is missing: no kinds are loaded"});

  ResetLoaded();
  game::Core().AppDir = dir_.string() + "/";
  Write("Data/Walls", "a file where the folder should be");
  Write("Data/Creatures/orc.cro", "NAME=Orc\n");
  EXPECT_EQ(LoadKinds(), std::vector<std::string>{"Data/Walls: this should be the folder of the wall kinds, but "
                                                  "it is not a folder: none are loaded"});
  EXPECT_EQ(game::KindFolderNote(game::KindWalls), " (Data/Walls is not a folder)");
  EXPECT_EQ(game::KindFolderNote(game::KindBullets), " (the folder Data/Bullets/ is missing)");
  EXPECT_EQ(game::KindFolderNote(game::KindCreatures), "");
  fs::create_directories(dir_ / "Data/Items");
  game::Registry().Folders[game::KindItems] = game::TFolderState::Present;
  EXPECT_EQ(game::KindFolderNote(game::KindItems), " (Data/Items/ holds no definition files)");
}

TEST_F(LoadProblemsTest, UnreadableTexturesAndModelsAreReportedAtTheirLine) {
  testsupport::WriteFramesMd2(dir_ / "Data/Models/box.md2", 2);
  Write("Data/Models/bad.md2", "IDP2 and nothing more");
  Write("Data/Textures/bad.png", "not a png");
  Write("Data/Textures/picture.bmp", "BM");
  fs::create_directories(dir_ / "Data/Textures/folder.tga");
  Write("Data/Walls/w.cro",
        "NAME=W\n"
        "TEXTURE=missing.tga\n"
        "TEXTURE=bad.png\n"
        "TEXTURE=folder.tga\n"
        "TEXTURE=picture.bmp\n"
        "MODEL=missing.md2\n"
        "MODEL=bad.md2\n"
        "MODEL=box.obj.txt\n"
        "MODEL=box.md2\n");
  std::vector<std::string> want = {
      "Data/Walls/w.cro:2: texture \"Data/Textures/missing.tga\" cannot be read: no such file",
      "Data/Walls/w.cro:3: texture \"Data/Textures/bad.png\" cannot be read: PNG - Invalid header",
      "Data/Walls/w.cro:4: texture \"Data/Textures/folder.tga\" cannot be read: is a directory",
      "Data/Walls/w.cro:5: texture \"Data/Textures/picture.bmp\" cannot be read: no image reader for files ending "
      "in \".BMP\"",
      "Data/Walls/w.cro:6: model \"Data/Models/missing.md2\" cannot be read: no such file",
      "Data/Walls/w.cro:7: model \"Data/Models/bad.md2\" cannot be read: truncated header",
      "Data/Walls/w.cro:8: model \"Data/Models/box.obj.txt\" cannot be read: not an MD2 or OBJ file",
  };
  eng::RegisterImageReaders();
  EXPECT_EQ(LoadKinds(), want);
  ASSERT_NE(game::WallLists().WallKinds[0].Model, nullptr) << "the last MODEL line loaded";
}

// A key repeated thousands of times must not keep thousands of textures or meshes.
TEST_F(LoadProblemsTest, RepeatedKeysKeepOnlyWhatTheLastOneNames) {
  testsupport::WriteFramesMd2(dir_ / "Data/Models/box.md2", 1);
  std::string text = "NAME=Heavy\n";
  for (int i = 0; i < 300; ++i) text += "TEXTURE=missing.tga\nMODEL=box.md2\n";
  Write("Data/Walls/heavy.cro", text);
  std::string creature = "NAME=Orc\n";
  for (int i = 0; i < 100; ++i) creature += "TEXTURE=missing.tga\nSTANDMODEL=box.md2\n";
  Write("Data/Creatures/orc.cro", creature);
  LoadKinds();
  EXPECT_EQ(eng::TextureCount(), 2u) << "one placeholder per kind";
  EXPECT_EQ(game::MeshCount(), 2u) << "one mesh per kind";
  const game::TCreature& orc = game::CreatureLists().CreatureKinds.at(0);
  ASSERT_EQ(orc.ModelCount, 100) << "every model key still adds its entry";
  EXPECT_NE(orc.Models[0], nullptr);
  EXPECT_EQ(orc.Models[1], nullptr) << "later entries of a name are never used, so they get no mesh";
  EXPECT_EQ(game::GetModel(orc, "Stand"), orc.Models[0]);
  // The repeated model key is worth a line; the missing texture once per file on stderr.
  size_t repeats = 0;
  for (const game::TProblem& p : game::Problems()) repeats += p.Message == "STANDMODEL is given again: only its first line counts";
  EXPECT_EQ(repeats, 99u);
}

}  // namespace
