// The script host through its real compile and run: map blocks by exact name and order, "Script
// Error" for sources that do not compile, error reports at their file line and column, pausing on
// a message and resuming after OK (twice in one script, and in an endless loop), the touch trigger
// and its ignore flag, the context, and a pool that grows only with scripts held at a pause.
#include "game/script/script_host.h"

#include <gtest/gtest.h>

#include "game/actors/creatures.h"
#include "game/actors/walls.h"
#include "game/core/game_core.h"
#include "game/gui/gui.h"
#include "game/script/script_funcs.h"
#include "game/world/diagnostics.h"
#include "game/world/registry.h"
#include "tests/support/script_world.h"
#include "tests/support/test_support.h"

namespace {

using script::TExecStatus;

class ScriptHostTest : public ::testing::Test {
 protected:
  void SetUp() override { testsupport::ResetScriptWorld(); }
  void TearDown() override { testsupport::ResetScriptWorld(); }
  static void Run(const std::string& source, const std::string& what = "test") {
    game::TScriptOrigin origin;
    origin.What = what;
    game::Script_RunSource(source, origin);
  }
  static void PressOK() { testsupport::PressOK(); }
  static int32_t Int(const std::string& name) { return testsupport::StoreInt(name); }
  static void AddBlock(const std::string& name, std::vector<std::string> lines) {
    game::ScriptBlocks().Blocks.push_back({name, std::move(lines)});
  }
  static size_t Messages() { return game::GuiMessages().size(); }
};

TEST_F(ScriptHostTest, BlocksRunByExactNameInTableOrderEachFromItsOwnLines) {
  game::Script_RunBlock("Start Map");  // a map without the block: nothing runs, nothing is shown
  EXPECT_TRUE(game::ScriptPoolStatus().empty());
  EXPECT_EQ(Messages(), 0u);

  AddBlock("Touch Wall", {"var a: integer;", "begin a := GetInt('order'); SetInt('order', a * 10 + 1);", "end."});
  AddBlock("touch wall", {"begin SetInt('order', -1); end."});
  AddBlock("Other", {"begin SetInt('other', 1); end."});
  AddBlock("Touch Wall", {"begin", "  SetInt('order', GetInt('order') * 10 + 2);", "end."});
  game::Script_RunBlock("Touch Wall");
  EXPECT_EQ(Int("order"), 12) << "both blocks ran, first the first";
  EXPECT_EQ(Int("other"), 0);
  EXPECT_EQ(Messages(), 0u);
}

TEST_F(ScriptHostTest, ASourceThatDoesNotCompileShowsScriptErrorAndRunsNothing) {
  Run("uses Dos; begin SetInt('x', 1); end.");
  Run("begin SetInt('y', 1) end");  // no final dot
  Run("");
  ASSERT_EQ(game::GuiMessages(), (std::vector<std::string>{"Script Error", "Script Error", "Script Error"}));
  EXPECT_EQ(Int("x"), 0);
  EXPECT_EQ(Int("y"), 0);
  EXPECT_TRUE(game::ScriptPoolStatus().empty()) << "a failed compile takes no slot";

  Run("uses SYSTEM; begin SetInt('z', 1); end.");
  EXPECT_EQ(Int("z"), 1) << "the game's own unit may be named";
  EXPECT_EQ(Messages(), 3u);
}

TEST_F(ScriptHostTest, ErrorsAreReportedAtTheirFileLineAndColumn) {
  // A wall kind whose script spans two blocks of the file: the joined line maps back to both.
  std::filesystem::path dir = testsupport::ScratchDir();
  testsupport::WriteFile(dir / "door.cro",
                         "NAME = Door\n"                  // 1
                         "[TOUCHSCRIPT]\n"                 // 2
                         "var n: integer;\n"               // 3
                         "[/TOUCHSCRIPT]\n"                // 4
                         "GHOST = false\n"                 // 5
                         "[TOUCHSCRIPT]\n"                 // 6
                         "begin\n"                         // 7
                         "  n := 0;\n"                     // 8
                         "  SetInt('a', 10 div n);\n"      // 9
                         "  Frobnicate(n);\n"              // 10
                         "end.\n"                          // 11
                         "[/TOUCHSCRIPT]\n");
  game::LoadWallKind((dir / "door.cro").string());
  const game::TWall& kind = game::WallLists().WallKinds.back();
  game::TScriptOrigin origin = game::ScriptOriginOf("touch script of wall kind \"Door\"", kind.TouchScriptLines);
  game::Script_RunSource(kind.TouchScript, origin);
  ASSERT_EQ(game::Problems().size(), 1u);
  game::TProblem compile = game::Problems()[0];
  EXPECT_EQ(compile.File, (dir / "door.cro").string());
  EXPECT_EQ(compile.Line, 10);
  EXPECT_EQ(compile.Column, 3);
  EXPECT_NE(compile.Message.find("touch script of wall kind \"Door\": "), std::string::npos) << compile.Message;
  EXPECT_NE(compile.Message.find("Frobnicate"), std::string::npos) << compile.Message;
  EXPECT_EQ(game::GuiMessages(), (std::vector<std::string>{"Script Error"}));

  // A run-time error: reported where it happened, not shown, the changes before it kept.
  testsupport::WriteFile(dir / "trap.cro",
                         "NAME = Trap\n"                   // 1
                         "[TOUCHSCRIPT]\n"                  // 2
                         "var n: integer;\n"                // 3
                         "begin SetInt('c', 7);\n"          // 4
                         "  SetInt('a', 10 div n);\n"       // 5
                         "  SetInt('b', 1);\n"              // 6
                         "end.\n"                           // 7
                         "[/TOUCHSCRIPT]\n");
  game::LoadWallKind((dir / "trap.cro").string());
  const game::TWall& trap = game::WallLists().WallKinds.back();
  game::Script_RunSource(trap.TouchScript, game::ScriptOriginOf("trap", trap.TouchScriptLines));
  ASSERT_EQ(game::Problems().size(), 2u);
  game::TProblem runtime = game::Problems()[1];
  EXPECT_EQ(runtime.Line, 5);
  EXPECT_EQ(runtime.Column, 18) << "the div";
  EXPECT_NE(runtime.Message.find("run-time error"), std::string::npos) << runtime.Message;
  EXPECT_EQ(Int("c"), 7);
  EXPECT_EQ(Int("b"), 0);
  EXPECT_EQ(Messages(), 1u) << "run-time errors show nothing";

  // A map block: the map file and the line within the block.
  game::ScriptBlocks().File = "maps/proba.map";
  AddBlock("Start Map", {"begin", "  SetInt('x', 1);", "  SetInt('x', 'two');", "end."});
  game::Script_RunBlock("Start Map");
  ASSERT_EQ(game::Problems().size(), 3u);
  game::TProblem block = game::Problems()[2];
  EXPECT_EQ(block.File, "maps/proba.map");
  EXPECT_EQ(block.Line, 3);
  EXPECT_GE(block.Column, 3);
  EXPECT_EQ(block.Message.rfind("map script \"Start Map\": ", 0), 0u) << block.Message;
}

TEST_F(ScriptHostTest, AMessagePausesTheScriptUntilOKAndASecondOneUntilTheNextOK) {
  Run("begin GameMessage('one'); SetInt('a', 1); GameMessage('two'); SetInt('b', 1); end.");
  EXPECT_EQ(game::GuiMessages(), (std::vector<std::string>{"one"}));
  EXPECT_EQ(Int("a"), 0) << "stopped at its first statement";
  EXPECT_EQ(game::ScriptPoolStatus(), (std::vector<TExecStatus>{TExecStatus::Paused}));

  PressOK();
  EXPECT_EQ(game::GuiMessages(), (std::vector<std::string>{"one", "two"}));
  EXPECT_EQ(Int("a"), 1);
  EXPECT_EQ(Int("b"), 0);
  EXPECT_EQ(game::ScriptPoolStatus(), (std::vector<TExecStatus>{TExecStatus::Paused})) << "held again";

  PressOK();
  EXPECT_EQ(Int("b"), 1) << "the statements after the second message ran after the second OK";
  EXPECT_EQ(game::ScriptPoolStatus(), (std::vector<TExecStatus>{TExecStatus::Loaded}));
  PressOK();  // nothing paused: nothing happens
  EXPECT_EQ(Messages(), 2u);
}

TEST_F(ScriptHostTest, AnEndlessLoopOfMessagesShowsOnePerOKAndNeverBlocks) {
  Run("var i: integer; begin while true do begin Inc(i); SetInt('i', i); GameMessage(IntToStr(i)); end; end.");
  for (int ok = 1; ok <= 5; ++ok) {
    EXPECT_EQ(Messages(), static_cast<size_t>(ok));
    EXPECT_EQ(game::GuiMessages().back(), std::to_string(ok));
    EXPECT_EQ(Int("i"), ok);
    PressOK();
  }
  EXPECT_EQ(game::ScriptPoolStatus().size(), 1u);
  // Other scripts still run while it waits.
  Run("begin SetInt('other', 1); end.");
  EXPECT_EQ(Int("other"), 1);
}

TEST_F(ScriptHostTest, EveryPausedScriptResumesInSlotOrderAndOnlyThose) {
  Run("begin GameMessage('a'); SetInt('order', GetInt('order') * 10 + 1); end.");
  Run("begin GameMessage('b'); SetInt('order', GetInt('order') * 10 + 2); end.");
  EXPECT_EQ(game::ScriptPoolStatus(), (std::vector<TExecStatus>{TExecStatus::Paused, TExecStatus::Paused}));
  PressOK();
  EXPECT_EQ(Int("order"), 12);
  EXPECT_EQ(game::ScriptPoolStatus(), (std::vector<TExecStatus>{TExecStatus::Loaded, TExecStatus::Loaded}));
}

TEST_F(ScriptHostTest, ThePoolGrowsOnlyWithScriptsHeldAtAPause) {
  for (int i = 0; i < 10; ++i) Run("begin SetInt('n', GetInt('n') + 1); end.");
  EXPECT_EQ(Int("n"), 10);
  EXPECT_EQ(game::ScriptPoolStatus().size(), 1u) << "a finished executor's slot is taken again";

  Run("begin GameMessage('wait'); end.");
  EXPECT_EQ(game::ScriptPoolStatus().size(), 1u) << "the finished one made room";
  Run("begin GameMessage('wait too'); end.");
  Run("begin SetInt('n', 0); end.");
  EXPECT_EQ(game::ScriptPoolStatus(),
            (std::vector<TExecStatus>{TExecStatus::Paused, TExecStatus::Paused, TExecStatus::Loaded}));
  PressOK();
  for (int i = 0; i < 5; ++i) Run("begin SetInt('n', 1); end.");
  EXPECT_EQ(game::ScriptPoolStatus().size(), 3u) << "never more than the most held at once";

  // A failed compile in between takes nothing.
  Run("begin");
  EXPECT_EQ(game::ScriptPoolStatus().size(), 3u);
  game::Script_FreeAll();
  EXPECT_TRUE(game::ScriptPoolStatus().empty());
}

TEST_F(ScriptHostTest, ATouchRunsTheMapBlockThenTheWallsOwnScriptUnlessIgnored) {
  game::Registry().MapWidth = game::Registry().MapHeight = 9;
  game::TWall kind;
  kind.Name = "Lever";
  kind.TouchScript = "begin SetInt('own', GetInt('own') + 1); SetInt('ownwall', Wall_ID); end. ";
  game::WallLists().WallKinds.push_back(kind);
  game::TCreature creatureKind;
  creatureKind.Name = "Orc";
  game::CreatureLists().CreatureKinds.push_back(creatureKind);
  ASSERT_EQ(game::CreateWall("Lever", 2, 2, 0.0f, 7), 7);
  ASSERT_NE(game::CreateCreature("Orc", 3, 2, 0.0f), 0);
  game::CreatureLists().Creatures[0].ID = 40;

  AddBlock("Touch Wall", {"begin",
                          "  SetInt('block', GetInt('block') + 1);",
                          "  SetInt('cr', Cr_ID);",
                          "  if GetBool('skip') then Wall_IgnoreStandardScript;",
                          "end."});
  game::Script_TouchWall(0, 0);
  EXPECT_EQ(Int("block"), 1);
  EXPECT_EQ(Int("cr"), 40);
  EXPECT_EQ(Int("own"), 1);
  EXPECT_EQ(Int("ownwall"), 7);

  game::ScriptStores().Bools.push_back({"skip", true});
  game::Script_TouchWall(0, 0);
  EXPECT_EQ(Int("block"), 2);
  EXPECT_EQ(Int("own"), 1) << "ignored for this touch";
  EXPECT_TRUE(game::ScriptContext().IgnoreStandardScript) << "the flag stays set after the touch";

  game::ScriptStores().Bools.back().second = false;
  game::Script_TouchWall(0, 0);
  EXPECT_EQ(Int("own"), 2) << "the next touch cleared the flag";

  // A message in the block before the ignore call: the flag is read at the pause, so the wall's
  // own script runs at once; the block's ignore call after OK comes too late for this touch.
  game::ScriptBlocks().Blocks[0].Lines[1] = "  GameMessage('touched');";
  game::ScriptStores().Bools.back().second = true;
  game::Script_TouchWall(0, 0);
  EXPECT_EQ(Int("own"), 3);
  PressOK();
  EXPECT_EQ(Int("own"), 3);
}

TEST_F(ScriptHostTest, TheContextIsWhatTheLastTriggerStored) {
  AddBlock("Start Map", {"begin SetInt('cr', Cr_ID + 1); SetInt('wall', Wall_ID + 1); end."});
  game::Script_RunBlock("Start Map");
  EXPECT_EQ(Int("cr"), 1) << "0 at map start";
  EXPECT_EQ(Int("wall"), 1);
  game::ScriptContext().CurrentCreatureID = 12;
  game::ScriptContext().CurrentWallID = 30;
  game::Script_RunBlock("Start Map");
  EXPECT_EQ(Int("cr"), 13) << "never reset after a run";
  EXPECT_EQ(Int("wall"), 31);
}

TEST_F(ScriptHostTest, SourcePositionsMapBackThroughTheLineStarts) {
  game::TScriptOrigin origin;
  origin.Starts = {{0, 4}, {6, 5}, {10, 9}};
  std::string source = "begin x := 1; end. ";
  int32_t line = 0, column = 0;
  game::ScriptFilePosition(source, origin, 1, 1, &line, &column);
  EXPECT_EQ(std::make_pair(line, column), std::make_pair(4, 1));
  game::ScriptFilePosition(source, origin, 1, 7, &line, &column);
  EXPECT_EQ(std::make_pair(line, column), std::make_pair(5, 1));
  game::ScriptFilePosition(source, origin, 1, 15, &line, &column);
  EXPECT_EQ(std::make_pair(line, column), std::make_pair(9, 5));
  game::ScriptFilePosition(source, origin, 2, 1, &line, &column);
  EXPECT_EQ(std::make_pair(line, column), std::make_pair(0, 0)) << "no second line in the source";

  game::TScriptOrigin oneLine;
  oneLine.Line = 12;
  game::ScriptFilePosition(source, oneLine, 1, 8, &line, &column);
  EXPECT_EQ(std::make_pair(line, column), std::make_pair(12, 8));
  game::ScriptFilePosition(source, game::TScriptOrigin{}, 1, 8, &line, &column);
  EXPECT_EQ(std::make_pair(line, column), std::make_pair(0, 0)) << "unknown stays unknown";
}

}  // namespace
