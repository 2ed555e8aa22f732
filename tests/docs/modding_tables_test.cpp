// The reference tables of the documents against the code they describe: a table that drifts from
// the code tells modders something the game does not do.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "game/actors/bullets.h"
#include "game/actors/creatures.h"
#include "game/actors/effects.h"
#include "game/actors/items.h"
#include "game/actors/walls.h"
#include "game/gui/gui.h"
#include "game/script/declarations.h"
#include "game/script/script_funcs.h"
#include "game/world/diagnostics.h"
#include "tests/support/game_reset.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> Lines(const std::string& document) {
  std::istringstream in(testsupport::ReadFile(fs::path(TESSERA_SOURCE_DIR) / document));
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The lines of the section that starts with `heading`, up to the next heading of any level (a
// '#' line inside a fenced block is no heading).
std::vector<std::string> Section(const std::string& document, const std::string& heading) {
  std::vector<std::string> all = Lines(document), section;
  bool inside = false, fenced = false;
  for (const std::string& line : all) {
    if (line.rfind("```", 0) == 0) fenced = !fenced;
    if (!fenced && line.rfind('#', 0) == 0) {
      if (inside) break;
      inside = line == heading;
      continue;
    }
    if (inside) section.push_back(line);
  }
  EXPECT_TRUE(inside || !section.empty()) << document << " has no heading \"" << heading << "\"";
  return section;
}

// The cells of every body row of the section's tables.
std::vector<std::vector<std::string>> TableRows(const std::vector<std::string>& section) {
  std::vector<std::vector<std::string>> rows;
  for (size_t n = 0; n < section.size(); ++n) {
    const std::string& line = section[n];
    const bool header = n + 1 < section.size() && section[n + 1].rfind("|---", 0) == 0;
    if (line.rfind("| ", 0) != 0 || header) continue;
    std::vector<std::string> cells;
    std::string cell;
    // Cells are split at bars outside backticks: a declaration never holds a bar, a value may.
    bool code = false;
    for (size_t i = 1; i < line.size(); ++i) {
      char c = line[i];
      if (c == '`') code = !code;
      if (c == '|' && !code) {
        size_t b = cell.find_first_not_of(' '), e = cell.find_last_not_of(' ');
        cells.push_back(b == std::string::npos ? "" : cell.substr(b, e - b + 1));
        cell.clear();
      } else {
        cell += c;
      }
    }
    rows.push_back(cells);
  }
  return rows;
}

// The texts in backticks of one cell.
std::vector<std::string> CodeSpans(const std::string& cell) {
  std::vector<std::string> spans;
  size_t at = 0;
  while ((at = cell.find('`', at)) != std::string::npos) {
    size_t end = cell.find('`', at + 1);
    if (end == std::string::npos) break;
    spans.push_back(cell.substr(at + 1, end - at - 1));
    at = end + 1;
  }
  return spans;
}

std::string UpperName(const std::string& declaration) {
  std::istringstream words(declaration);
  std::string kind, name;
  words >> kind >> name;
  name = name.substr(0, name.find_first_of("(:;"));
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return name;
}

std::vector<std::string> GameDeclarations() {
  return std::vector<std::string>(std::begin(game::kScriptDeclarations), std::end(game::kScriptDeclarations));
}

// The modder's table lists what the game compiles scripts against, word for word and in the
// game's order, and every routine it lists is one the script host binds.
TEST(ModdingTables, TheGameFunctionsAreTheDeclaredAndBoundOnes) {
  std::vector<std::string> documented;
  for (const auto& row : TableRows(Section("docs/modding.md", "### The game's functions"))) {
    ASSERT_FALSE(row.empty());
    std::vector<std::string> spans = CodeSpans(row[0]);
    ASSERT_EQ(spans.size(), 1u) << row[0];
    documented.push_back(spans[0]);
    EXPECT_FALSE(row.size() < 2 || row[1].empty()) << spans[0] << " has no effect described";
  }
  EXPECT_EQ(documented, GameDeclarations());

  std::vector<std::string> names;
  for (const std::string& d : documented) names.push_back(UpperName(d));
  EXPECT_EQ(names, game::ScriptFunctionNames());
}

// The language reference lists the same declarations in its code block.
TEST(ModdingTables, TheLanguageReferenceListsTheSameDeclarations) {
  std::vector<std::string> listed;
  bool inFence = false;
  for (const std::string& line : Section("docs/script-language.md", "## The game's functions")) {
    if (line.rfind("```", 0) == 0) {
      if (inFence) break;
      inFence = true;
      continue;
    }
    if (inFence && !line.empty()) listed.push_back(line.substr(0, line.find_last_not_of(';') + 1));
  }
  EXPECT_EQ(listed, GameDeclarations());
}

struct KindTable {
  const char* heading;
  const char* folder;
  std::function<void(const std::string&)> load;
};

// Every key a kind's table documents is one its loader takes: a key the loader does not know is
// reported to the modder, so a documented key that draws that report is a documentation fault or
// a loader fault. Script blocks are written as blocks, so that a misspelt tag is caught too.
TEST(ModdingTables, EveryDocumentedKeyIsKnownToItsKind) {
  const std::vector<KindTable> kinds = {
      {"### Walls (`Data/Walls/`)", "Walls", game::LoadWallKind},
      {"### Creatures (`Data/Creatures/`)", "Creatures", game::LoadCreatureKind},
      {"### Bullets (`Data/Bullets/`)", "Bullets", game::LoadBulletKind},
      {"### Effects (`Data/Effects/`)", "Effects", game::LoadEffectKind},
      {"### Items (`Data/Items/`)", "Items", game::LoadItemKind},
  };
  fs::path dir = testsupport::ScratchDir();
  for (const KindTable& kind : kinds) {
    SCOPED_TRACE(kind.heading);
    std::string text;
    size_t keys = 0;
    for (const auto& row : TableRows(Section("docs/modding.md", kind.heading))) {
      ASSERT_FALSE(row.empty());
      std::vector<std::string> spans = CodeSpans(row[0]);
      ASSERT_FALSE(spans.empty()) << row[0];
      if (spans[0].front() == '[') {
        ASSERT_EQ(spans.size(), 2u) << row[0];
        text += spans[0] + "\nbegin end.\n" + spans[1] + "\n";
      } else {
        for (const std::string& key : spans) text += key + " = 1\n";
      }
      keys += spans.size();
    }
    EXPECT_GE(keys, 2u) << "the table was not found";
    testsupport::ResetGameWorld();
    game::DiagnosticsReset();
    fs::path file = dir / (std::string(kind.folder) + ".cro");
    testsupport::WriteFile(file, text);
    kind.load(file.string());
    for (const game::TProblem& p : game::Problems())
      EXPECT_EQ(p.Message.find("unknown key"), std::string::npos) << game::FormatProblem(p) << "\n" << text;
  }
  testsupport::ResetGameWorld();
  game::DiagnosticsReset();
}

// What the GUI reader made of a file, field by field.
std::string Describe(const std::vector<game::TGmWindow>& windows) {
  std::ostringstream o;
  for (const game::TGmWindow& w : windows) {
    o << "window " << w.Name << " " << w.X << " " << w.Y << " " << w.W << " " << w.H << " " << int{w.AlignX} << " "
      << int{w.AlignY} << " " << w.Modal << w.Transparent << w.AlwaysShow << " " << w.CreateEvent << " {"
      << w.CreateScript << "}\n";
    for (const game::TGmButton& b : w.Buttons)
      o << " button " << b.Name << " " << b.Caption << " " << (b.Texture != nullptr) << " " << b.X << " " << b.Y << " "
        << b.W << " " << b.H << " " << int{b.AlignX} << " " << int{b.AlignY} << " {" << b.ClickScript << "}\n";
    for (const game::TGmLabel& l : w.Labels)
      o << " label " << l.Name << " " << l.Caption << " " << l.X << " " << l.Y << " " << int{l.AlignX} << " "
        << int{l.AlignY} << "\n";
    for (const game::TGmItemSlot& i : w.ItemSlots) o << " slot " << i.Name << " " << i.X << " " << i.Y << "\n";
  }
  return o.str();
}

eng::TTexture* AnyTexture(const std::string&) {
  static eng::TTexture texture;
  return &texture;
}

std::string ReadGui(const std::string& text) {
  std::vector<game::TGmWindow> windows;
  game::GuiReadDefinitions(text, "test.cro", windows, AnyTexture);
  return Describe(windows);
}

// The GUI reader names no key it does not know, so each documented key is written into a window
// or widget of its kind and must change what the reader makes of it.
TEST(ModdingTables, EveryDocumentedGuiKeyTakesEffect) {
  const std::map<std::string, std::string> starts = {{"window", "WINDOW = W\n"},
                                                     {"button", "WINDOW = W\nBUTTON = B\n"},
                                                     {"label", "WINDOW = W\nLABEL = L\n"},
                                                     {"item slot", "WINDOW = W\nITEMSLOT = S\n"}};
  size_t keys = 0;
  for (const auto& row : TableRows(Section("docs/modding.md", "### GUI windows (`Data/GUI/`)"))) {
    ASSERT_GE(row.size(), 3u);
    auto start = starts.find(row[0]);
    ASSERT_NE(start, starts.end()) << "no kind of widget \"" << row[0] << "\"";
    std::vector<std::string> spans = CodeSpans(row[1]);
    ASSERT_FALSE(spans.empty()) << row[1];
    std::vector<std::string> lines;
    if (spans[0].front() == '[') {
      ASSERT_EQ(spans.size(), 2u) << row[1];
      lines.push_back(spans[0] + "\nbegin end.\n" + spans[1] + "\n");
    } else {
      // Booleans are true only as "true" or alone; every other value reads from "7".
      for (const std::string& key : spans) lines.push_back(key + (row[2] == "boolean" ? " = true\n" : " = 7\n"));
    }
    const std::string before = ReadGui(start->second);
    for (const std::string& line : lines) {
      EXPECT_NE(ReadGui(start->second + line), before) << row[0] << ": " << line;
      ++keys;
    }
  }
  EXPECT_GE(keys, 20u) << "the table was not found";
  game::DiagnosticsReset();
}

// The check above must be able to fail: a key no kind has draws the report it looks for.
TEST(ModdingTables, AnUnknownKeyIsReported) {
  fs::path file = testsupport::ScratchDir() / "wall.cro";
  testsupport::WriteFile(file, "NAME = Test\nTOUCHTILE = 1\n");
  testsupport::ResetGameWorld();
  game::DiagnosticsReset();
  game::LoadWallKind(file.string());
  ASSERT_EQ(game::Problems().size(), 1u);
  const std::string& message = game::Problems()[0].Message;
  EXPECT_NE(message.find("unknown key"), std::string::npos) << message;
  EXPECT_NE(message.find("TOUCHTILE"), std::string::npos) << message;
  testsupport::ResetGameWorld();
  game::DiagnosticsReset();
}

}  // namespace

namespace {

// The defaults a kind's table gives as a number or a boolean (true 1, false 0), key by key. A row
// of several keys gives one default for all, or one each in the same order.
std::map<std::string, double> DocumentedDefaults(const std::string& heading) {
  std::map<std::string, double> defaults;
  for (const auto& row : TableRows(Section("docs/modding.md", heading))) {
    if (row.size() < 3) continue;
    std::vector<std::string> keys = CodeSpans(row[0]);
    std::vector<std::string> parts;
    std::istringstream cell(row[2]);
    for (std::string part; std::getline(cell, part, ',');) parts.push_back(part);
    if (parts.size() > 1 && parts.size() != keys.size()) continue;
    for (size_t k = 0; k < keys.size(); ++k) {
      std::istringstream words(parts.empty() ? "" : parts[parts.size() == 1 ? 0 : k]);
      std::string word;
      words >> word;
      char* end = nullptr;
      double value = std::strtod(word.c_str(), &end);
      if (word == "true" || word == "false")
        defaults[keys[k]] = word == "true" ? 1.0 : 0.0;
      else if (!word.empty() && *end == '\0')
        defaults[keys[k]] = value;
    }
  }
  return defaults;
}

// A kind read from a file that names it and nothing else, and what it holds for each key.
template <typename T>
using Readings = std::map<std::string, std::function<double(const T&)>>;

template <typename T>
void ExpectDocumentedDefaults(const std::string& heading, void (*load)(const std::string&),
                              const std::vector<T>& kinds, const Readings<T>& readings) {
  SCOPED_TRACE(heading);
  testsupport::ResetGameWorld();
  fs::path file = testsupport::ScratchDir() / "kind.cro";
  testsupport::WriteFile(file, "NAME = Bare\n");
  load(file.string());
  ASSERT_FALSE(kinds.empty());
  std::map<std::string, double> documented = DocumentedDefaults(heading);
  for (const auto& [key, read] : readings) {
    auto doc = documented.find(key);
    if (doc == documented.end()) {
      ADD_FAILURE() << key << " has no default written as a number or a boolean";
      continue;
    }
    EXPECT_NEAR(read(kinds.back()), doc->second, 1e-4) << key;  // the quarter turn is a float
  }
  testsupport::ResetGameWorld();
}

// Radians as the loaders keep them, in the degrees the tables give; the game's own quarter turn
// about Y is not the modder's.
double Degrees(float radians) {
  return static_cast<double>(radians) * 180.0 / 3.14159265358979323846;
}

// The model keys that walls and creatures share, with the keys of the kind itself.
template <typename T>
Readings<T> WithModelKeys(Readings<T> readings) {
  readings["SCALEMODEL"] = [](const T& k) { return k.Scale; };
  readings["ROTATEX"] = [](const T& k) { return Degrees(k.RotateX); };
  readings["ROTATEY"] = [](const T& k) { return Degrees(k.RotateY) - 90.0; };
  readings["ROTATEZ"] = [](const T& k) { return Degrees(k.RotateZ); };
  readings["FLATNORMALS"] = [](const T& k) { return k.FlatNormals; };
  return readings;
}

// What the game does with a key the modder leaves out is what the guide says it does.
TEST(ModdingTables, EveryDocumentedDefaultIsTheLoadersOwn) {
  using game::TBullet, game::TCreature, game::TEffect, game::TWall;
  ExpectDocumentedDefaults<TWall>(
      "### Walls (`Data/Walls/`)", game::LoadWallKind, game::WallLists().WallKinds,
      WithModelKeys<TWall>({{"ANIMATED", [](const TWall& w) { return w.Animated; }},
                            {"ANIMSPEED", [](const TWall& w) { return w.AnimSpeed; }},
                            {"ANIMTYPE", [](const TWall& w) { return w.AnimType; }},
                            {"TOUCHTILEX", [](const TWall& w) { return w.TouchTileX; }},
                            {"TOUCHTILEY", [](const TWall& w) { return w.TouchTileY; }},
                            {"DIAGONALTOUCH", [](const TWall& w) { return w.DiagonalTouch; }},
                            {"GHOST", [](const TWall& w) { return w.Ghost; }}}));
  ExpectDocumentedDefaults<TCreature>(
      "### Creatures (`Data/Creatures/`)", game::LoadCreatureKind, game::CreatureLists().CreatureKinds,
      WithModelKeys<TCreature>({{"ANIMSPEED", [](const TCreature& c) { return c.AnimSpeed; }},
                                {"ATACKFRAME", [](const TCreature& c) { return c.AtackFrame; }},
                                {"SHOTFRAME", [](const TCreature& c) { return c.ShotFrame; }},
                                {"MOVESPEED", [](const TCreature& c) { return c.MoveSpeed; }},
                                {"MOVEPOINTS", [](const TCreature& c) { return c.MovePointsMax; }},
                                {"ATACKPOINTS", [](const TCreature& c) { return c.AtackPointsMax; }},
                                {"HEALTH", [](const TCreature& c) { return c.HealthMax; }},
                                {"DAMAGE", [](const TCreature& c) { return c.Damage; }},
                                {"SHOTS", [](const TCreature& c) { return c.Shots; }},
                                {"SHOTRANGE", [](const TCreature& c) { return c.ShotRange; }},
                                {"SHOTDAMAGE", [](const TCreature& c) { return c.ShotDamage; }}}));
  ExpectDocumentedDefaults<TBullet>("### Bullets (`Data/Bullets/`)", game::LoadBulletKind,
                                    game::BulletLists().BulletKinds,
                                    {{"ANIMSPEED", [](const TBullet& b) { return b.AnimSpeed; }},
                                     {"OFFSETX", [](const TBullet& b) { return b.OffsetX; }},
                                     {"OFFSETY", [](const TBullet& b) { return b.OffsetY; }},
                                     {"MOVESPEED", [](const TBullet& b) { return b.MoveSpeed; }},
                                     {"DAMAGE", [](const TBullet& b) { return b.Damage; }}});
  ExpectDocumentedDefaults<TEffect>("### Effects (`Data/Effects/`)", game::LoadEffectKind,
                                    game::EffectLists().EffectKinds,
                                    {{"PE_LIFETIME", [](const TEffect& e) { return e.Lifetime; }},
                                     {"PE_OFFSETY", [](const TEffect& e) { return e.OffsetY; }},
                                     {"P_SCALE", [](const TEffect& e) { return e.Scale; }},
                                     {"P_POSRND", [](const TEffect& e) { return e.PosRnd; }},
                                     {"P_ALPHA", [](const TEffect& e) { return e.Alpha; }},
                                     {"P_ALPHACHANGE", [](const TEffect& e) { return e.AlphaChange; }},
                                     {"P_SPEEDY", [](const TEffect& e) { return e.Speed[1]; }},
                                     {"P_SPEEDYCHANGE", [](const TEffect& e) { return e.SpeedChange[1]; }},
                                     {"CANTMOVE", [](const TEffect& e) { return e.CantMove; }}});
}

}  // namespace
