// The demo scenario (maps/proba.map, the map the game starts, over the demo's kinds) as its scripts
// rely on it: the IDs that "Creature Died" counts are on the sides it counts them for and add up to
// the counts "Start Map" sets, the walls that "Touch Wall" names are the kinds it expects, every
// door and gate opens from inside the fort onto somewhere new, the squads start shut in with only
// the militia outside for the enemy to reach, each locked room opens to its gate; every script of
// the scenario compiles against the game's functions as the game joins its lines, every one of
// those functions is used by some script of it, and every message it shows fits the screen.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "engine/font.h"
#include "game/actors/creatures.h"
#include "game/actors/walls.h"
#include "game/core/game_data.h"
#include "game/core/players.h"
#include "game/script/declarations.h"
#include "game/script/script_host.h"
#include "game/world/defs.h"
#include "game/world/map.h"
#include "game/world/registry.h"
#include "script_engine/script.h"
#include "tests/support/game_reset.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;
using Tile = std::pair<int, int>;

const fs::path kGame = TESSERA_GAME_DIR;

// A script source as the game joins a block: each line cut at its "//" and followed by a blank.
std::string Joined(const std::vector<std::string>& lines) {
  std::string source;
  for (const std::string& l : lines) source += game::StripComment(l) + " ";
  return source;
}

// The compile error of `source` against the game's 31 functions, or "" when it compiles.
std::string CompileError(const std::string& source, const std::string& name) {
  script::TScriptCompiler compiler;
  compiler.SetFileName(name);
  compiler.OnUses = [](script::TScriptCompiler& c, const std::string& unit) {
    if (unit != "SYSTEM") return false;
    bool ok = true;
    for (const char* d : game::kScriptDeclarations) ok = c.AddFunction(d) && ok;
    return ok;
  };
  return compiler.Compile(source) ? "" : compiler.ErrorText();
}

// The script blocks of a definition file, cut out as the loaders cut them.
std::vector<std::string> BlocksOf(const fs::path& file) {
  std::vector<std::string> blocks;
  bool open = false;
  std::istringstream text(testsupport::ReadFile(file));
  for (std::string line; std::getline(text, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::string key = game::UpperAscii(game::GetKey(line));
    if (!open && key.size() > 2 && key.front() == '[' && key[1] != '/' && key.back() == ']') {
      open = true;
      blocks.emplace_back();
    } else if (open && key.rfind("[/", 0) == 0) {
      open = false;
    } else if (open) {
      blocks.back() += game::StripComment(line) + " ";
    }
  }
  return blocks;
}

class DemoScenario : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(kGame / "maps/proba.map"))
      GTEST_SKIP() << "the demo content has not been built into " << kGame;
    testsupport::ResetGameWorld();
    ASSERT_EQ(game::LoadGameData(kGame.string(), "maps/proba.map"), "");
    for (const game::TScriptBlock& b : game::ScriptBlocks().Blocks) blocks_[b.Name] = Joined(b.Lines);
  }
  void TearDown() override { testsupport::ResetGameWorld(); }

  static const game::TWall* Wall(uint16_t id) {
    int32_t i = game::FindWall(id);
    return i < 0 ? nullptr : &game::WallLists().Walls[static_cast<size_t>(i)];
  }
  static int SideOf(const game::TCreature& c) { return game::PlayerTable().Players[c.Owner].Side; }
  static bool Human(const game::TCreature& c) { return game::PlayerTable().Players[c.Owner].Human; }
  static Tile TouchTile(const game::TWall& w) { return {w.X + w.TouchTileX, w.Y + w.TouchTileY}; }

  // The tiles a walker can reach from `from`, four ways, with the walls whose IDs are in `open`
  // standing open (ghosts do not block). Creatures are left out: they move.
  static std::set<Tile> Reach(Tile from, const std::set<uint16_t>& open = {}) {
    const int w = game::Registry().MapWidth, h = game::Registry().MapHeight;
    std::set<Tile> blocked;
    for (const game::TWall& wall : game::WallLists().Walls)
      if (!wall.Ghost && !open.count(wall.ID)) blocked.insert({wall.X, wall.Y});
    std::set<Tile> seen = {from};
    std::vector<Tile> todo = {from};
    while (!todo.empty()) {
      auto [x, y] = todo.back();
      todo.pop_back();
      for (Tile n : {Tile{x - 1, y}, Tile{x + 1, y}, Tile{x, y - 1}, Tile{x, y + 1}})
        if (n.first >= 0 && n.second >= 0 && n.first <= w && n.second <= h && !blocked.count(n) &&
            seen.insert(n).second)
          todo.push_back(n);
    }
    return seen;
  }
  static std::vector<const game::TCreature*> Owned(int owner) {
    std::vector<const game::TCreature*> out;
    for (const game::TCreature& c : game::CreatureLists().Creatures)
      if (c.Owner == owner) out.push_back(&c);
    return out;
  }
  static Tile At(const game::TCreature& c) { return {c.TileX, c.TileY}; }

  // The integer a block's `SetInt('NAME', N)` sets, or -1.
  int SetIntIn(const std::string& block, const std::string& name) const {
    std::smatch m;
    std::string source = blocks_.at(block);
    if (!std::regex_search(source, m, std::regex("SetInt\\('" + name + "', (\\d+)\\)"))) return -1;
    return std::stoi(m[1]);
  }

  // Every script of the scenario as the game receives it, named for messages: the map's blocks,
  // the wall kinds' touch scripts, and the blocks of the item and GUI files.
  std::vector<std::pair<std::string, std::string>> AllScripts() const {
    std::vector<std::pair<std::string, std::string>> scripts;
    for (const auto& [name, source] : blocks_) scripts.push_back({"proba.map " + name, source});
    for (const game::TWall& kind : game::WallLists().WallKinds)
      if (!kind.TouchScript.empty()) scripts.push_back({kind.Name, kind.TouchScript});
    for (const char* folder : {"Items", "GUI"})
      for (const fs::directory_entry& e : fs::directory_iterator(kGame / "Data" / folder))
        if (e.path().extension() == ".cro")
          for (const std::string& source : BlocksOf(e.path()))
            scripts.push_back({e.path().filename().string(), source});
    return scripts;
  }

  std::map<std::string, std::string> blocks_;
};

TEST_F(DemoScenario, CreatureIDsAreWhereTheScriptsCountThem) {
  EXPECT_EQ(game::Registry().MapWidth, 29);
  EXPECT_EQ(game::Registry().MapHeight, 29);
  // "Creature Died" counts IDs 1-19 as ours and 20-39 as theirs; "Start Map" starts the counts.
  int ours = 0, theirs = 0;
  std::set<int> owners;
  for (const game::TCreature& c : game::CreatureLists().Creatures) {
    owners.insert(c.Owner);
    if (c.ID >= 1 && c.ID <= 19) {
      EXPECT_EQ(SideOf(c), 0) << c.Name << " " << c.ID;
      ++ours;
    } else if (c.ID >= 20 && c.ID <= 39) {
      EXPECT_EQ(SideOf(c), 1) << c.Name << " " << c.ID;
      ++theirs;
    } else {
      ADD_FAILURE() << c.Name << " " << c.ID << " is in neither range the scripts count";
    }
    EXPECT_EQ(game::FindCreature(c.ID), &c - game::CreatureLists().Creatures.data()) << "IDs are unique";
  }
  EXPECT_EQ(owners, (std::set<int>{0, 1, 2, 3})) << "two human squads, the computer's ally and its enemy";
  EXPECT_EQ(SetIntIn("Start Map", "Ours"), ours);
  EXPECT_EQ(SetIntIn("Start Map", "Theirs"), theirs);
  // The items "Start Map" hands out go to creatures that are there.
  std::string start = blocks_.at("Start Map");
  const std::regex give("Cr_GiveItem\\((\\d+),");
  for (std::sregex_iterator it(start.begin(), start.end(), give), end; it != end; ++it)
    EXPECT_GE(game::FindCreature(static_cast<uint16_t>(std::stoi((*it)[1]))), 0) << (*it)[0];
}

TEST_F(DemoScenario, TheWallsTheScriptsNameAreWhatTheyExpect) {
  const std::map<uint16_t, std::string> kinds = {{50, "Door"}, {51, "Door"},  {52, "Door"},  {53, "Gate"},
                                                 {54, "Gate"}, {55, "Lever"}, {56, "Chest"}, {57, "Chest"}};
  for (const auto& [id, kind] : kinds) {
    const game::TWall* w = Wall(id);
    ASSERT_NE(w, nullptr) << id;
    EXPECT_EQ(w->Name, kind) << id;
  }
  // The constants of "Touch Wall" name those walls.
  std::string touch = blocks_.at("Touch Wall");
  const std::map<std::string, std::string> constants = {
      {"EastGate", "Door"}, {"EastLever", "Lever"}, {"TrappedChest", "Chest"}};
  for (const auto& [name, kind] : constants) {
    std::smatch m;
    ASSERT_TRUE(std::regex_search(touch, m, std::regex(name + " = (\\d+);"))) << name;
    const game::TWall* w = Wall(static_cast<uint16_t>(std::stoi(m[1])));
    ASSERT_NE(w, nullptr) << name;
    EXPECT_EQ(w->Name, kind) << name;
  }
  // Other walls number from 100, clear of the ones the scripts name.
  for (const game::TWall& w : game::WallLists().Walls) {
    EXPECT_TRUE(kinds.count(w.ID) || w.ID >= 100) << w.Name << " " << w.ID;
    EXPECT_EQ(game::FindWall(w.ID), &w - game::WallLists().Walls.data()) << "IDs are unique";
  }
}

TEST_F(DemoScenario, DoorsOpenFromInsideOntoSomewhereNew) {
  std::set<Tile> inside;
  for (int owner : {0, 3})
    for (const game::TCreature* c : Owned(owner)) {
      std::set<Tile> r = Reach(At(*c));
      inside.insert(r.begin(), r.end());
    }
  for (const game::TWall& w : game::WallLists().Walls) {
    if (w.Name != "Door" && w.Name != "Gate") continue;
    Tile front = TouchTile(w), back = {2 * w.X - front.first, 2 * w.Y - front.second};
    EXPECT_TRUE(inside.count(front)) << w.Name << " " << w.ID << ": its touch tile is reached from inside";
    EXPECT_FALSE(Reach(front).count(back)) << w.Name << " " << w.ID << ": it leads somewhere new";
    EXPECT_TRUE(Reach(front, {w.ID}).count(back)) << w.Name << " " << w.ID;
  }
}

TEST_F(DemoScenario, SquadsStartShutInWithTheMilitiaOutside) {
  std::vector<const game::TCreature*> blue = Owned(0), scouts = Owned(3), militia = Owned(2),
                                      enemy = Owned(1);
  ASSERT_FALSE(blue.empty() || scouts.empty() || militia.empty() || enemy.empty());
  for (const game::TCreature* c : enemy) {
    std::set<Tile> r = Reach(At(*c));
    for (const game::TCreature* h : blue) EXPECT_FALSE(r.count(At(*h))) << c->ID << " reaches " << h->ID;
    for (const game::TCreature* h : scouts) EXPECT_FALSE(r.count(At(*h))) << c->ID << " reaches " << h->ID;
    bool militiaReached = false;
    for (const game::TCreature* m : militia) militiaReached = militiaReached || r.count(At(*m));
    EXPECT_TRUE(militiaReached) << c->Name << " " << c->ID << " has someone to go for when the battle starts";
  }
  for (const game::TCreature* c : militia) EXPECT_FALSE(Human(*c));
  // The hall and the yard meet at the hall door; the yard's lever is in reach of the scouts.
  std::set<Tile> hall = Reach(At(*blue[0])), hallAndYard = Reach(At(*blue[0]), {50});
  EXPECT_FALSE(hall.count(At(*scouts[0])));
  EXPECT_TRUE(hallAndYard.count(At(*scouts[0])));
  const game::TWall* lever = Wall(55);
  ASSERT_NE(lever, nullptr);
  EXPECT_TRUE(Reach(At(*scouts[0])).count({lever->X - 1, lever->Y}) ||
              Reach(At(*scouts[0])).count({lever->X, lever->Y + 1}));
  // The storeroom's chest is reached only through the storeroom's gate.
  const game::TWall* chest = Wall(56);
  ASSERT_NE(chest, nullptr);
  Tile beforeChest = {chest->X, chest->Y - 1};
  EXPECT_FALSE(hall.count(beforeChest));
  EXPECT_TRUE(Reach(At(*blue[0]), {54}).count(beforeChest));
}

TEST_F(DemoScenario, EveryScriptCompiles) {
  ASSERT_EQ(blocks_.size(), 3u);
  for (const char* name : {"Start Map", "Touch Wall", "Creature Died"})
    ASSERT_TRUE(blocks_.count(name)) << name;
  std::vector<std::pair<std::string, std::string>> scripts = AllScripts();
  EXPECT_GE(scripts.size(), 3u + 4u + 5u) << "the map's, the walls', the items' and the GUI's";
  for (const auto& [name, source] : scripts) EXPECT_EQ(CompileError(source, name), "");
}

// The demo is where a modder sees each of the game's functions at work, so each one is called by
// some script of it. Names inside texts and comments do not count.
TEST_F(DemoScenario, EveryGameFunctionIsUsedBySomeScript) {
  std::set<std::string> used;
  const std::regex noise("'(?:[^']|'')*'|\\{[^}]*\\}|\\(\\*(?:[^*]|\\*+[^*)])*\\*+\\)");
  const std::regex word("[A-Za-z_][A-Za-z0-9_]*");
  for (const auto& [name, source] : AllScripts()) {
    std::string code = std::regex_replace(source, noise, " ");
    for (std::sregex_iterator it(code.begin(), code.end(), word), end; it != end; ++it)
      used.insert(game::UpperAscii(it->str()));
  }
  std::string missing;
  for (const char* declaration : game::kScriptDeclarations) {
    std::smatch m;
    std::string text = declaration;
    ASSERT_TRUE(std::regex_search(text, m, std::regex("^(?:procedure|function) ([A-Za-z_]+)"))) << text;
    if (!used.count(game::UpperAscii(m[1].str()))) missing += " " + m[1].str();
  }
  EXPECT_EQ(missing, "") << "no script of the demo calls these";
}

// Every message the scenario shows fits the 800-pixel screen: the message box is as wide as its
// text and 40 pixels more. Names a script joins in are taken at the longest creature kind name.
TEST_F(DemoScenario, MessagesFitTheScreen) {
  eng::engTFont* font = eng::Font_Load((kGame / "Data/GUI/font.tfi").string());
  ASSERT_NE(font, nullptr);
  std::string longestName;
  for (const game::TCreature& kind : game::CreatureLists().CreatureKinds)
    if (kind.Name.size() > longestName.size()) longestName = kind.Name;
  const std::regex call("GameMessage\\(((?:'(?:[^']|'')*'|[^;'])*)\\);");
  const std::regex part("'((?:[^']|'')*)'|[^+']+");
  size_t messages = 0;
  for (const auto& [name, source] : AllScripts())
    for (std::sregex_iterator it(source.begin(), source.end(), call), end; it != end; ++it) {
      std::string text, argument = (*it)[1];
      for (std::sregex_iterator p(argument.begin(), argument.end(), part); p != end; ++p) {
        if ((*p)[1].matched)
          text += std::regex_replace((*p)[1].str(), std::regex("''"), "'");
        else if ((*p)[0].str().find_first_not_of(' ') != std::string::npos)
          text += longestName;
      }
      ++messages;
      EXPECT_LE(eng::Text_Width(font, text, 0) + 40, 800.0f) << name << ": " << text;
    }
  EXPECT_GE(messages, 9u);
  eng::Font_Delete(font);
}

}  // namespace
