// The kind registry: which files are read, in what order, and lookup by name.
#include "game/world/registry.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "game/core/fatal.h"
#include "game/core/game_core.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = testsupport::ScratchDir();
    game::GameCoreReset();
    game::RegistryReset();
    game::Core().AppDir = dir_.string() + "/";
  }
  void TearDown() override {
    game::RegistryReset();
    game::GameCoreReset();
  }
  void Write(const std::string& relative, const std::string& text) { testsupport::WriteFile(dir_ / relative, text); }
  std::vector<std::string> Names(int folder) {
    std::vector<std::string> names;
    for (const game::TNamedKind& k : game::Registry().NamedKinds[folder]) names.push_back(k.Name);
    return names;
  }
  std::vector<std::string> FileNames(int folder) {
    std::vector<std::string> names;
    for (const std::string& p : game::Registry().FilesRead[folder]) names.push_back(fs::path(p).filename().string());
    return names;
  }
  fs::path dir_;
};

TEST_F(RegistryTest, ListsRegularCroFilesSortedAndNothingElse) {
  Write("Data/Walls/b.cro", "NAME=B");
  Write("Data/Walls/a.cro", "NAME=A");
  Write("Data/Walls/C.CRO", "NAME=C");
  Write("Data/Walls/.cro", "NAME=Dot");
  Write("Data/Walls/d.cro.bak", "NAME=Backup");
  Write("Data/Walls/e.crox", "NAME=Other");
  Write("Data/Walls/readme.txt", "x");
  fs::create_directories(dir_ / "Data/Walls/x.cro");
  testsupport::WriteFile(dir_ / "Data/Walls/x.cro/inner.cro", "NAME=Inner");
  fs::create_symlink(dir_ / "Data/Walls/a.cro", dir_ / "Data/Walls/link.cro");

  std::vector<std::string> listed;
  for (const std::string& p : game::ListDefinitionFiles(dir_.string() + "/Data/Walls/"))
    listed.push_back(fs::path(p).filename().string());
  std::vector<std::string> want = {".cro", "C.CRO", "a.cro", "b.cro", "link.cro"};
  EXPECT_EQ(listed, want);
  EXPECT_TRUE(game::ListDefinitionFiles(dir_.string() + "/Data/Nowhere/").empty());
}

TEST_F(RegistryTest, ReadsTheFiveFoldersInOrder) {
  // Folders are found whatever their case; a missing folder reads nothing.
  Write("Data/Items/i.cro", "NAME=Potion");
  Write("Data/Walls/w2.cro", "NAME=Stone");
  Write("Data/Walls/w1.cro", "NAME=Door");
  Write("data/effects/e.cro", "NAME=Smoke");
  Write("Data/Creatures/c.cro", "NAME=Orc");
  std::vector<std::string> order;
  for (int folder = 0; folder < game::KindFolderCount; ++folder) {
    game::SetKindLoader(game::TKindFolder(folder), [&order, folder](const std::string& path) {
      order.push_back(std::to_string(folder) + ":" + fs::path(path).filename().string());
    });
  }
  game::LoadKindFolders();
  std::vector<std::string> want = {"0:w1.cro", "0:w2.cro", "1:c.cro", "3:e.cro", "4:i.cro"};
  EXPECT_EQ(order, want);
  EXPECT_EQ(FileNames(game::KindBullets).size(), 0u);
  EXPECT_EQ(game::Registry().FilesRead[game::KindEffects][0], (dir_ / "data/effects/e.cro").string());
}

TEST_F(RegistryTest, NameOnlyLoaderAndLookup) {
  Write("Data/Walls/1.cro", "NAME=Stone\nMODEL=whatever.md2\nSCALEMODEL=not a number\n");
  Write("Data/Walls/2.cro", "name = stone\n");
  Write("Data/Walls/3.cro", "// no name\n");
  Write("Data/Walls/4.cro", "NAME=\"\xEF\xF0\xEE\xE1\xE0 \xB8\"\n");  // "проба ё"
  game::LoadKindFolders();
  std::vector<std::string> want = {"Stone", "stone", "", "\xEF\xF0\xEE\xE1\xE0 \xB8"};
  EXPECT_EQ(Names(game::KindWalls), want) << "keys outside the table are not converted";

  const std::vector<game::TNamedKind>& walls = game::Registry().NamedKinds[game::KindWalls];
  EXPECT_EQ(game::FindKind(walls, "stone"), 0) << "two kinds named alike: the first in list order wins";
  EXPECT_EQ(game::FindKind(walls, "STONE"), 0);
  EXPECT_EQ(game::FindKind(walls, ""), 2);
  EXPECT_EQ(game::FindKind(walls, "\xCF\xD0\xCE\xC1\xC0 \xA8"), 3) << "Cyrillic compares without case";
  EXPECT_EQ(game::FindKind(walls, "\xCF\xD0\xCE\xC1\xC0"), -1);
  EXPECT_EQ(game::FindKind(walls, "Ston"), -1);
  EXPECT_EQ(game::FindKind(game::Registry().NamedKinds[game::KindItems], "Stone"), -1);
}

TEST_F(RegistryTest, AFatalNumberStopsTheLoadNamingTheFile) {
  Write("Data/Walls/a.cro", "NAME=A\n");
  Write("Data/Walls/b.cro", "NAME=B\nANIMTYPE=1x\n");
  Write("Data/Walls/c.cro", "NAME=C\n");
  game::SetKindLoader(game::KindWalls, [](const std::string& path) {
    game::TDefFormat<game::TNamedKind> f;
    f.Keys.push_back({"ANIMTYPE", [](game::TNamedKind&, const game::TDefLine& l) { l.Int(); }});
    std::vector<game::TNamedKind> kinds;
    game::LoadDefinitionKind(path, f, kinds);
  });
  try {
    game::LoadKindFolders();
    FAIL() << "no error";
  } catch (const game::FatalError& e) {
    EXPECT_STREQ(e.what(), "'1x' is not a valid integer value");
    EXPECT_EQ(fs::path(e.file()).filename(), "b.cro");
    EXPECT_EQ(e.line(), 2);
  }
  EXPECT_EQ(FileNames(game::KindWalls), (std::vector<std::string>{"a.cro", "b.cro"}));
}

}  // namespace
