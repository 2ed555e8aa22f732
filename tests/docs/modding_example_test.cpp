// The worked example of docs/modding.md, done as a reader does it: the files it shows (blocks whose
// fence names a file=) are written where it says, its commands run from the top folder (each
// ./run.sh stood in for by the copy of content/custom/ into the game folder that its build makes),
// and the game loads the new kind and places it on the map, then plays the map.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "game/actors/creatures.h"
#include "game/core/game_data.h"
#include "game/world/defs.h"
#include "game/world/registry.h"
#include "tests/support/game_reset.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;

const char kCustom[] = "content/custom/";

struct Guide {
  std::map<std::string, std::string> files;  // path as the guide names it -> text
  std::vector<std::string> commands;         // lines of its plain sh blocks
};

Guide ReadGuide() {
  Guide guide;
  std::istringstream in(testsupport::ReadFile(fs::path(TESSERA_SOURCE_DIR) / "docs/modding.md"));
  std::string line, file, body;
  bool inFence = false, shell = false;
  while (std::getline(in, line)) {
    if (line.rfind("```", 0) == 0) {
      if (inFence) {
        if (!file.empty()) guide.files[file] = body;
        inFence = shell = false;
        file.clear();
        continue;
      }
      inFence = true;
      body.clear();
      std::istringstream words(line.substr(3));
      std::vector<std::string> info;
      for (std::string w; words >> w;) info.push_back(w);
      for (const std::string& w : info)
        if (w.rfind("file=", 0) == 0) file = w.substr(5);
      shell = info.size() == 1 && info[0] == "sh";
      continue;
    }
    if (!inFence) continue;
    body += line + "\n";
    if (shell) guide.commands.push_back(line);
  }
  return guide;
}

class ModdingExample : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = testsupport::ScratchDir();
    game_ = root_ / "build/game";
    // A game folder of the build's content in which new files land beside the build's, never in it.
    fs::create_directories(game_ / "Data");
    fs::create_directories(game_ / "maps");
    for (const fs::directory_entry& folder : fs::directory_iterator(fs::path(TESSERA_GAME_DIR) / "Data")) {
      fs::path mine = game_ / "Data" / folder.path().filename();
      fs::create_directories(mine);
      for (const fs::directory_entry& f : fs::directory_iterator(folder.path()))
        fs::create_symlink(f.path(), mine / f.path().filename());
    }
    fs::create_directories(root_ / "build");
    fs::create_directory_symlink(TESSERA_BIN_DIR, root_ / "build/bin");
    testsupport::ResetGameWorld();
  }
  void TearDown() override { testsupport::ResetGameWorld(); }

  // What the build does with content/custom/: every file copied into the game folder.
  void CopyCustom() const {
    fs::path custom = root_ / kCustom;
    if (!fs::exists(custom)) return;
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(custom)) {
      if (!e.is_regular_file()) continue;
      fs::path to = game_ / fs::relative(e.path(), custom);
      fs::create_directories(to.parent_path());
      fs::copy_file(e.path(), to, fs::copy_options::overwrite_existing);
    }
  }

  fs::path root_, game_;
};

TEST_F(ModdingExample, TheNewKindIsLoadedAndPlacedOnTheMap) {
  Guide guide = ReadGuide();
  ASSERT_EQ(guide.files.size(), 2u) << "the creature's file and the map's";
  ASSERT_TRUE(guide.files.count("content/custom/Data/Creatures/jackal.cro"));
  ASSERT_TRUE(guide.files.count("mymaps/jackals.txt"));
  for (const auto& [path, text] : guide.files) {
    fs::create_directories((root_ / path).parent_path());
    testsupport::WriteFile(root_ / path, text);
  }

  // The guide's commands from the top folder. Each ./run.sh builds, which copies content/custom/
  // into the game folder; this test does that copy, and the last one starts the game.
  std::vector<std::string> play;
  ASSERT_FALSE(guide.commands.empty());
  for (const std::string& command : guide.commands) {
    if (command.rfind("./run.sh", 0) == 0) {
      CopyCustom();
      std::istringstream words(command.substr(8));
      play.clear();
      for (std::string w; words >> w;) play.push_back(w);
      continue;
    }
    testsupport::ProcessResult r =
        testsupport::RunProcess({"/bin/bash", "-euo", "pipefail", "-c", command}, root_);
    ASSERT_EQ(r.status, 0) << command << "\n" << r.err;
  }
  ASSERT_EQ(play.size(), 2u) << "the last ./run.sh starts the game on the new map";
  ASSERT_EQ(play[0], "--map");
  fs::path mapFile = root_ / play[1];
  ASSERT_TRUE(fs::exists(mapFile)) << mapFile;

  // The game's own load: the kind with its models and skin, three jackals of the computer.
  ASSERT_EQ(game::LoadGameData(game_.string(), mapFile.string()), "");
  int32_t kind = game::FindKind(game::CreatureLists().CreatureKinds, "jackal");
  ASSERT_GE(kind, 0);
  const game::TCreature& jackal = game::CreatureLists().CreatureKinds[static_cast<size_t>(kind)];
  EXPECT_EQ(jackal.ModelNames, (std::vector<std::string>{"Stand", "Walk", "Atack", "Shot", "Damage"}));
  for (const game::TGmMesh* model : jackal.Models) EXPECT_NE(model, nullptr);
  // Without a window textures are not read; the skin the file names is there for the game.
  std::istringstream cro(guide.files["content/custom/Data/Creatures/jackal.cro"]);
  for (std::string line; std::getline(cro, line);)
    if (game::UpperAscii(game::GetKey(line)) == "TEXTURE")
      EXPECT_TRUE(fs::exists(game_ / "Data/Textures" / game::GetValue(line))) << line;
  EXPECT_FLOAT_EQ(jackal.Scale, 0.7f);
  EXPECT_EQ(jackal.HealthMax, 6);
  EXPECT_EQ(jackal.Shots, 0);
  int placed = 0;
  for (const game::TCreature& c : game::CreatureLists().Creatures)
    if (c.Name == "Jackal") {
      ++placed;
      EXPECT_EQ(c.Owner, 1);
    }
  EXPECT_EQ(placed, 3);

  // And the game plays the map.
  testsupport::ProcessResult r =
      testsupport::RunProcess({testsupport::BinPath("tessera").string(), "--headless", "--fixed-clock",
                               "--ticks", "30", "--map", mapFile.string()},
                              game_);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err.find("not found"), std::string::npos) << r.err;
}

}  // namespace
