// Every example of README.md and docs/*.md that is marked runnable, run as written. A fenced
// block is marked by the word "test" after its language:
//   ```sh test        commands, run by bash from the repository's top folder after ./run.sh
//   ```pascal test    a script: it compiles with the game's declarations (tessera-script check)
//   ```map test       map text: it compiles (tessera-mapc), and so does each of its script blocks
//                     as the game joins it into one line
//   ```recording test recorded input: the game replays it to the end and exits with status 0
//   ```gui test       a GUI file: it reads without a problem, and each of its scripts compiles
//   ```cro test Walls a kind's definition file (the word after "test" names its folder under Data/):
//                     the game's loader reads it without a problem against this build's models and
//                     textures, and its script compiles
// Each block runs in a fresh copy of the top folder, in which build/bin is the tools of this
// build and build/game/ a game folder of its own over this build's content.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/main.h"
#include "game/actors/bullets.h"
#include "game/actors/creatures.h"
#include "game/actors/effects.h"
#include "game/actors/items.h"
#include "game/actors/walls.h"
#include "game/core/game_core.h"
#include "game/gui/gui.h"
#include "game/world/defs.h"
#include "game/world/diagnostics.h"
#include "game/world/map_text.h"
#include "tests/support/game_reset.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;
using testsupport::ProcessResult;
using testsupport::RunProcess;

struct Example {
  std::string document;  // relative to the top folder
  int line = 0;          // of the opening fence
  std::string kind;      // the language word
  std::string body;
  std::vector<std::string> words;  // the words after "test"
};

// Names the example when a test fails.
void PrintTo(const Example& e, std::ostream* os) { *os << e.document << ":" << e.line; }

// The runnable blocks of one Markdown text.
std::vector<Example> ExamplesIn(const std::string& document, const std::string& text) {
  std::vector<Example> found;
  std::istringstream in(text);
  std::string line;
  int lineNo = 0;
  Example* open = nullptr;
  bool inFence = false;
  while (std::getline(in, line)) {
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind("```", 0) != 0) {
      if (open) open->body += line + "\n";
      continue;
    }
    if (inFence) {
      inFence = false;
      open = nullptr;
      continue;
    }
    inFence = true;
    std::istringstream words(line.substr(3));
    std::vector<std::string> info;
    for (std::string w; words >> w;) info.push_back(w);
    if (info.size() >= 2 && std::find(info.begin() + 1, info.end(), "test") != info.end()) {
      auto test = std::find(info.begin() + 1, info.end(), "test");
      found.push_back({document, lineNo, info[0], "", std::vector<std::string>(test + 1, info.end())});
      open = &found.back();
    }
  }
  return found;
}

std::vector<std::string> Documents() {
  std::vector<std::string> names = {"README.md"};
  std::vector<std::string> docs;
  for (const fs::directory_entry& e : fs::directory_iterator(fs::path(TESSERA_SOURCE_DIR) / "docs"))
    if (e.path().extension() == ".md") docs.push_back("docs/" + e.path().filename().string());
  std::sort(docs.begin(), docs.end());
  names.insert(names.end(), docs.begin(), docs.end());
  return names;
}

std::vector<Example> AllExamples() {
  std::vector<Example> all;
  for (const std::string& doc : Documents()) {
    std::vector<Example> found = ExamplesIn(doc, testsupport::ReadFile(fs::path(TESSERA_SOURCE_DIR) / doc));
    all.insert(all.end(), found.begin(), found.end());
  }
  return all;
}

// A copy of the top folder for one example: the sources linked, build/bin this build's tools,
// build/game/ a folder of its own with this build's Data/ linked and a copy of its maps/, so that
// examples may write maps there without touching the build.
fs::path Sandbox() {
  fs::path root = testsupport::ScratchDir();
  for (const fs::directory_entry& e : fs::directory_iterator(TESSERA_SOURCE_DIR)) {
    std::string name = e.path().filename().string();
    if (name == "build" || name == ".git") continue;
    fs::create_symlink(e.path(), root / name);
  }
  fs::create_directories(root / "build/game");
  fs::create_directory_symlink(TESSERA_BIN_DIR, root / "build/bin");
  testsupport::LinkGameContent(root / "build/game", {"Data"});
  fs::copy(fs::path(TESSERA_GAME_DIR) / "maps", root / "build/game/maps", fs::copy_options::recursive);
  return root;
}

std::string Report(const Example& e, const ProcessResult& r) {
  return e.document + ":" + std::to_string(e.line) + ": status " + std::to_string(r.status) +
         (r.timedOut ? " (timed out)" : "") + "\n--- example ---\n" + e.body + "--- stdout ---\n" + r.out +
         "--- stderr ---\n" + r.err;
}

// Compiles a script file with the game's declarations.
void ExpectScriptCompiles(const Example& e, const fs::path& root, const fs::path& file) {
  ProcessResult r = RunProcess({(root / "build/bin/tessera-script").string(), "check", file.string()}, root);
  EXPECT_EQ(r.status, 0) << Report(e, r);
}

void RunCommands(const Example& e, const fs::path& root) {
  testsupport::WriteFile(root / "example.sh", e.body);
  ProcessResult r = RunProcess({"/bin/bash", "-euo", "pipefail", (root / "example.sh").string()}, root, 300);
  EXPECT_EQ(r.status, 0) << Report(e, r);
}

void CompileScript(const Example& e, const fs::path& root) {
  testsupport::WriteFile(root / "example.pas", e.body);
  ExpectScriptCompiles(e, root, root / "example.pas");
}

void CompileMap(const Example& e, const fs::path& root) {
  testsupport::WriteFile(root / "example.txt", e.body);
  ProcessResult r = RunProcess(
      {(root / "build/bin/tessera-mapc").string(), "compile", "example.txt", "example.map"}, root);
  ASSERT_EQ(r.status, 0) << Report(e, r);
  // Each block as the game receives it: every line without its comment, followed by a blank.
  game::TMapFile map;
  game::TMapTextError error;
  ASSERT_TRUE(game::MapCompileText(e.body, "example.txt", &map, &error)) << error.Text();
  for (size_t i = 0; i < map.Blocks.size(); ++i) {
    std::string source;
    for (const std::string& l : map.Blocks[i].Lines) source += game::StripComment(l) + " ";
    fs::path file = root / ("block" + std::to_string(i) + ".pas");
    testsupport::WriteFile(file, source);
    SCOPED_TRACE("script block \"" + map.Blocks[i].Name + "\"");
    ExpectScriptCompiles(e, root, file);
  }
}

void ReadGuiFile(const Example& e, const fs::path& root) {
  std::vector<game::TGmWindow> windows;
  game::DiagnosticsReset();
  game::GuiReadDefinitions(e.body, "example.cro", windows, nullptr);
  EXPECT_TRUE(game::Problems().empty()) << game::FormatProblem(game::Problems().front());
  int n = 0;
  auto compile = [&](const std::string& source) {
    fs::path file = root / ("script" + std::to_string(n++) + ".pas");
    testsupport::WriteFile(file, source);
    ExpectScriptCompiles(e, root, file);
  };
  for (const game::TGmWindow& w : windows) {
    if (!w.CreateScript.empty()) compile(w.CreateScript);
    for (const game::TGmButton& b : w.Buttons)
      if (!b.ClickScript.empty()) compile(b.ClickScript);
  }
}

void ReadKindFile(const Example& e, const fs::path& root) {
  ASSERT_EQ(e.words.size(), 1u) << e.document << ":" << e.line << ": name the kind's folder after \"test\"";
  const std::string& folder = e.words[0];
  testsupport::ResetGameWorld();
  game::DiagnosticsReset();
  // The files the example names are looked up in this build's game folder.
  game::Core().AppDir = std::string(TESSERA_GAME_DIR) + "/";
  eng::RegisterImageReaders();  // the game registers them at start; the textures named are read
  fs::path file = root / "example.cro";
  testsupport::WriteFile(file, e.body);
  std::string script;
  if (folder == "Walls") {
    game::LoadWallKind(file.string());
    script = game::WallLists().WallKinds.back().TouchScript;
  } else if (folder == "Items") {
    game::LoadItemKind(file.string());
    script = game::ItemLists().ItemKinds.back().UseScript;
  } else if (folder == "Creatures") {
    game::LoadCreatureKind(file.string());
  } else if (folder == "Bullets") {
    game::LoadBulletKind(file.string());
  } else if (folder == "Effects") {
    game::LoadEffectKind(file.string());
  } else {
    FAIL() << e.document << ":" << e.line << ": no kind folder " << folder;
  }
  for (const game::TProblem& p : game::Problems()) ADD_FAILURE() << e.document << ":" << e.line << ": " << game::FormatProblem(p);
  testsupport::ResetGameWorld();
  game::DiagnosticsReset();
  if (!script.empty()) {
    testsupport::WriteFile(root / "example.pas", script);
    ExpectScriptCompiles(e, root, root / "example.pas");
  }
}

void ReplayRecording(const Example& e, const fs::path& root) {
  // To the last tick the recording names, and a little beyond.
  long last = 0;
  std::istringstream lines(e.body);
  for (std::string l; std::getline(lines, l);) {
    long tick = std::strtol(l.c_str(), nullptr, 10);
    last = std::max(last, tick);
  }
  testsupport::WriteFile(root / "example.rec", e.body);
  ProcessResult r = RunProcess({(root / "build/bin/tessera").string(), "--headless", "--fixed-clock", "--input",
                                (root / "example.rec").string(), "--ticks", std::to_string(last + 10)},
                               root / "build/game");
  EXPECT_EQ(r.status, 0) << Report(e, r);
}

class DocsExample : public ::testing::TestWithParam<Example> {};

TEST_P(DocsExample, RunsAsWritten) {
  const Example& e = GetParam();
  fs::path root = Sandbox();
  if (e.kind == "sh")
    RunCommands(e, root);
  else if (e.kind == "pascal")
    CompileScript(e, root);
  else if (e.kind == "map")
    CompileMap(e, root);
  else if (e.kind == "recording")
    ReplayRecording(e, root);
  else if (e.kind == "gui")
    ReadGuiFile(e, root);
  else if (e.kind == "cro")
    ReadKindFile(e, root);
  else
    ADD_FAILURE() << e.document << ":" << e.line << ": no way to run a '" << e.kind << "' example";
}

std::string ExampleName(const ::testing::TestParamInfo<Example>& info) {
  std::string name = info.param.document + "_" + std::to_string(info.param.line);
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(Docs, DocsExample, ::testing::ValuesIn(AllExamples()), ExampleName);

// The marker is easy to get wrong in a way that silently tests nothing: every kind of example
// must be found, and a fence inside a block must not swallow the rest of a document.
TEST(DocsExamples, TheMarkedBlocksAreFound) {
  std::vector<Example> all = AllExamples();
  for (const char* kind : {"sh", "pascal", "map", "recording", "gui", "cro"})
    EXPECT_TRUE(std::any_of(all.begin(), all.end(), [&](const Example& e) { return e.kind == kind; }))
        << "no runnable '" << kind << "' example in the documents";
  for (const char* doc : {"README.md", "docs/content.md", "docs/map-format.md"})
    EXPECT_TRUE(std::any_of(all.begin(), all.end(), [&](const Example& e) { return e.document == doc; }))
        << doc << " has no runnable example";

  std::vector<Example> parsed = ExamplesIn("t.md",
                                           "```sh test\n"
                                           "echo one\n"
                                           "```\n"
                                           "```text\n"
                                           "not run\n"
                                           "```\n"
                                           "```map test\r\n"
                                           "size 1 1\r\n"
                                           "```\n");
  ASSERT_EQ(parsed.size(), 2u);
  EXPECT_EQ(parsed[0].body, "echo one\n");
  EXPECT_EQ(parsed[1].kind, "map");
  EXPECT_EQ(parsed[1].line, 7);
  EXPECT_EQ(parsed[1].body, "size 1 1\n");
  EXPECT_TRUE(parsed[0].words.empty());
  EXPECT_EQ(ExamplesIn("t.md", "```cro test Walls\nNAME = X\n```\n").at(0).words, std::vector<std::string>{"Walls"});
}

// "How to play" starts the demo match with a ./run.sh command that a test cannot type (it builds
// and opens a window). The map it starts must be one the build makes, the game must play it, and
// it must be the match the section describes: the section quotes the map's first message.
TEST(DocsExamples, HowToPlayStartsTheMatchItDescribes) {
  std::istringstream readme(testsupport::ReadFile(fs::path(TESSERA_SOURCE_DIR) / "README.md"));
  std::string line, command, section;
  bool inSection = false;
  while (std::getline(readme, line)) {
    if (line.rfind("## ", 0) == 0) inSection = line == "## How to play";
    if (!inSection) continue;
    section += line + " ";
    if (command.empty() && line.rfind("./run.sh", 0) == 0) command = line;
  }
  ASSERT_FALSE(command.empty()) << "no ./run.sh line under \"## How to play\"";
  // ./run.sh takes names from the top folder, where the build's game folder is build/game; without
  // --map the game starts maps/proba.map.
  std::string map = "build/game/maps/proba.map";
  if (command.rfind("./run.sh --map ", 0) == 0) {
    map = command.substr(15);
  } else {
    ASSERT_EQ(command, "./run.sh");
  }
  const std::string gameDir = "build/game/";
  ASSERT_EQ(map.rfind(gameDir, 0), 0u) << map;
  fs::path file = fs::path(TESSERA_GAME_DIR) / map.substr(gameDir.size());
  ASSERT_TRUE(fs::exists(file)) << file;
  fs::path dump = testsupport::ScratchDir() / "state.txt";
  ProcessResult r = RunProcess({testsupport::BinPath("tessera").string(), "--headless", "--fixed-clock", "--ticks",
                                "30", "--map", file.string(), "--dump-state", dump.string()},
                               TESSERA_GAME_DIR);
  ASSERT_EQ(r.status, 0) << r.err;

  // The messages the game has shown are in the state dump, in order, as quoted texts (bytes
  // beyond ASCII stay escaped, which a quote in the README would not match).
  std::istringstream state(testsupport::ReadFile(dump));
  std::string first;
  while (std::getline(state, line)) {
    if (line.rfind("message.0 \"", 0) != 0) continue;
    for (size_t i = 11; i + 1 < line.size(); ++i) {
      if (line[i] == '\\' && (line[i + 1] == '"' || line[i + 1] == '\\')) ++i;
      first += line[i];
    }
  }
  ASSERT_FALSE(first.empty()) << "the map shows no message";
  // The section wraps its lines: compare with every run of blanks as one.
  auto squeeze = [](const std::string& text) {
    std::string out;
    for (char c : text)
      if (c != ' ' || (!out.empty() && out.back() != ' ')) out += c;
    return out;
  };
  EXPECT_NE(squeeze(section).find(squeeze(first)), std::string::npos)
      << "\"## How to play\" does not quote the first message of " << map << ": " << first;
}

}  // namespace

namespace {

// The lines of the shell blocks that are not marked runnable: builds of whole presets that take
// longer than a test may, which ./test.sh and the benchmark and fuzzing runs make as written.
std::vector<std::string> UnmarkedShellLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  bool inFence = false, collect = false;
  while (std::getline(in, line)) {
    if (line.rfind("```", 0) == 0) {
      collect = !inFence && line.substr(3) == "sh";
      inFence = !inFence;
    } else if (collect) {
      lines.push_back(line);
    }
  }
  return lines;
}

// The word after `flag` on a command line, or "" when there is none.
std::string WordAfter(const std::string& line, const std::string& flag) {
  std::istringstream words(line);
  for (std::string w; words >> w;)
    if (w == flag && words >> w) return w;
  return "";
}

// Those blocks cannot run in a test, so what they name is checked instead: the presets they
// build and test with, the test labels they select, the scripts they call, and the benchmark and
// fuzz programs with the seed folders that their loops and placeholders stand for.
TEST(DocsExamples, TheUnmarkedBuildCommandsNameWhatTheBuildHas) {
  const fs::path top(TESSERA_SOURCE_DIR);
  ProcessResult listed = RunProcess({"/bin/sh", "-c", "cmake --list-presets=all"}, top);
  ASSERT_EQ(listed.status, 0) << listed.err;
  auto presetIn = [&](const std::string& kind, const std::string& name) {
    size_t from = listed.out.find("Available " + kind + " presets:");
    if (from == std::string::npos) return false;
    size_t to = listed.out.find("Available ", from + 1);
    return listed.out.substr(from, to - from).find("\"" + name + "\"") != std::string::npos;
  };
  auto labelGiven = [&](const std::string& label) {
    for (const char* folder : {"tests", "fuzz"}) {
      for (const fs::directory_entry& e : fs::recursive_directory_iterator(top / folder)) {
        if (e.path().filename() != "CMakeLists.txt") continue;
        std::istringstream words(testsupport::ReadFile(e.path()));
        bool afterLabels = false;
        for (std::string w; words >> w;) {
          const bool last = w.back() == ')';
          if (last) w.pop_back();
          if (w == label && afterLabels) return true;
          if (w == "LABELS") afterLabels = true;
          if (last) afterLabels = false;
        }
      }
    }
    return false;
  };
  auto programs = [&](const std::string& folder, const std::string& suffix) {
    std::vector<std::string> names;
    for (const fs::directory_entry& e : fs::directory_iterator(top / folder)) {
      std::string file = e.path().filename().string();
      if (file.size() > suffix.size() &&
          file.compare(file.size() - suffix.size(), suffix.size(), suffix) == 0)
        names.push_back(file.substr(0, file.size() - suffix.size()));
    }
    return names;
  };

  size_t checked = 0;
  for (const std::string& doc : Documents()) {
    for (const std::string& line : UnmarkedShellLines(testsupport::ReadFile(top / doc))) {
      SCOPED_TRACE(doc + ": " + line);
      std::string command = line.substr(0, line.find('#'));
      if (command.find("cmake --preset") != std::string::npos) {
        EXPECT_TRUE(presetIn("configure", WordAfter(command, "--preset")));
        ++checked;
      }
      if (command.find("cmake --build --preset") != std::string::npos) {
        EXPECT_TRUE(presetIn("build", WordAfter(command.substr(command.find("--build")), "--preset")));
        ++checked;
      }
      if (command.find("ctest --preset") != std::string::npos) {
        EXPECT_TRUE(presetIn("test", WordAfter(command.substr(command.find("ctest")), "--preset")));
        ++checked;
      }
      if (!WordAfter(command, "-L").empty()) {
        EXPECT_TRUE(labelGiven(WordAfter(command, "-L")));
        // The comment lists the other labels one may give instead.
        size_t others = line.find("labels:");
        if (others != std::string::npos) {
          std::istringstream words(line.substr(others + 7));
          for (std::string w; words >> w;) {
            if (w.back() == ',') w.pop_back();
            EXPECT_TRUE(labelGiven(w)) << "label " << w;
          }
        }
        ++checked;
      }
      std::istringstream words(command);
      for (std::string w; words >> w;) {
        if (w.rfind("./scripts/", 0) == 0 || w.rfind("scripts/", 0) == 0) {
          EXPECT_TRUE(fs::exists(top / w)) << w;
          ++checked;
        }
      }
      if (command.find("build/bench/bin/bench_*") != std::string::npos) {
        EXPECT_FALSE(programs("bench", "_bench.cpp").empty()) << "no benchmark for the loop to run";
        ++checked;
      }
      if (command.find("fuzz_NAME") != std::string::npos) {
        EXPECT_NE(command.find("fuzz/corpus/NAME"), std::string::npos) << "the run names no seed folder";
        std::vector<std::string> targets = programs("fuzz", "_fuzz.cpp");
        EXPECT_FALSE(targets.empty());
        for (const std::string& name : targets)
          EXPECT_TRUE(fs::is_directory(top / "fuzz/corpus" / name) &&
                      !fs::is_empty(top / "fuzz/corpus" / name))
              << "fuzz_" << name << " has no seeds";
        ++checked;
      }
    }
  }
  // The presets, the labels, setup.sh and wine.sh, the benchmark loop and the fuzzing run.
  EXPECT_GE(checked, 10u);
}

}  // namespace
