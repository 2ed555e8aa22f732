// The script examples of the modder's guide, run as written through the game's script host on a
// small world: each compiles, runs to its end (pressing OK for its messages) and does what the
// guide says.
#include <gtest/gtest.h>

#include <sstream>

#include "game/actors/creatures.h"
#include "game/actors/walls.h"
#include "game/core/game_core.h"
#include "game/gui/gui.h"
#include "game/script/script_funcs.h"
#include "game/script/script_host.h"
#include "game/world/defs.h"
#include "game/world/diagnostics.h"
#include "game/world/registry.h"
#include "tests/support/script_world.h"
#include "tests/support/test_support.h"

namespace {

std::vector<std::string> PascalBlocks(const std::string& markdown) {
  std::vector<std::string> blocks;
  std::istringstream in(markdown);
  std::string line, block;
  bool inside = false;
  while (std::getline(in, line)) {
    if (!inside && line.rfind("```pascal", 0) == 0) {
      inside = true;
      block.clear();
    } else if (inside && line == "```") {
      inside = false;
      blocks.push_back(block);
    } else if (inside) {
      block += line + "\n";
    }
  }
  return blocks;
}

TEST(DocsScripts, EveryExampleRunsAndDoesWhatThePageSays) {
  std::vector<std::string> blocks = PascalBlocks(testsupport::ReadFile(TESSERA_SOURCE_DIR "/docs/modding.md"));
  ASSERT_EQ(blocks.size(), 3u);
  for (const std::string& source : blocks) {
    testsupport::ResetScriptWorld();
    game::Registry().MapWidth = game::Registry().MapHeight = 19;
    game::TCreature orc;
    orc.Name = "Orc";
    orc.Health = 10;
    orc.HealthMax = 40;
    game::CreatureLists().CreatureKinds.push_back(orc);
    game::TWall door;
    door.Name = "Door";
    game::WallLists().WallKinds.push_back(door);
    ASSERT_EQ(game::CreateCreature("Orc", 1, 1, 0.0f), 1);
    ASSERT_EQ(game::CreateWall("Door", 2, 1, 0.0f, 18), 18);
    game::ScriptContext() = {1, 18, false};

    // As the game keeps a block: comments cut, lines joined.
    std::string joined;
    std::istringstream lines(source);
    for (std::string line; std::getline(lines, line);) joined += game::StripComment(line) + " ";
    game::Script_RunSource(joined, game::TScriptOrigin{"docs example", "", 0, {}});
    for (int ok = 0; ok < 5; ++ok) testsupport::PressOK();
    EXPECT_TRUE(game::Problems().empty()) << game::FormatProblem(game::Problems().front()) << "\n" << source;
    for (script::TExecStatus s : game::ScriptPoolStatus()) EXPECT_EQ(s, script::TExecStatus::Loaded) << source;

    if (source.find("is hurt") != std::string::npos) {
      EXPECT_EQ(game::GuiMessages(), (std::vector<std::string>{"Orc is hurt: 10 health left."}));
    } else if (source.find("Lever25") != std::string::npos) {
      EXPECT_TRUE(game::ScriptContext().IgnoreStandardScript);
      EXPECT_EQ(game::GuiMessages(), (std::vector<std::string>{"The door is bolted. Somewhere a lever works the bolt."}));
    } else {
      EXPECT_EQ(game::GuiMessages(), (std::vector<std::string>{"Halt! Who goes there?", "A friend of the keep."}));
      EXPECT_TRUE(testsupport::StoreBool("Greeted"));
    }
  }
  testsupport::ResetScriptWorld();
}

}  // namespace
