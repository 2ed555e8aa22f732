// Every example of README.md and docs/*.md that is marked runnable, run as written. A fenced
// block is marked by the word "test" after its language:
//   ```sh test        commands, run by bash from the repository's top folder after ./run.sh
//   ```pascal test    a script: it compiles with the game's declarations (tessera-script check)
//   ```map test       map text: it compiles (tessera-mapc), and so does each of its script blocks
//                     as the game joins it into one line
//   ```recording test recorded input: the game replays it to the end and exits with status 0
//   ```gui test       a GUI file: it reads without a problem, and each of its scripts compiles
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

#include "game/gui/gui.h"
#include "game/world/defs.h"
#include "game/world/diagnostics.h"
#include "game/world/map_text.h"
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
      found.push_back({document, lineNo, info[0], ""});
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
  for (const char* kind : {"sh", "pascal", "map", "recording", "gui"})
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
}

}  // namespace
