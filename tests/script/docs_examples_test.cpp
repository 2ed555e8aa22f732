// Every program in docs/script-language.md runs with `tessera-script run` as written, and prints
// what the page shows under it: a ```pascal block followed by a paragraph starting "prints" and a
// plain ``` block with the expected output. (The documents' example test only compiles them.)
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace {

struct Example {
  int line = 0;  // of the opening fence
  std::string source;
  bool hasOutput = false;
  std::string output;
};

std::vector<Example> ReadExamples(const std::string& markdown) {
  std::istringstream in(markdown);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  std::vector<Example> out;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].rfind("```pascal", 0) != 0) continue;  // "```pascal test" too
    Example e;
    e.line = static_cast<int>(i) + 1;
    for (++i; i < lines.size() && lines[i] != "```"; ++i) e.source += lines[i] + "\n";
    // The expected output, if the next paragraph says so.
    size_t j = i + 1;
    while (j < lines.size() && lines[j].empty()) ++j;
    if (j < lines.size() && lines[j].rfind("prints", 0) == 0) {
      ++j;
      while (j < lines.size() && lines[j].empty()) ++j;
      if (j < lines.size() && lines[j] == "```") {
        e.hasOutput = true;
        for (++j; j < lines.size() && lines[j] != "```"; ++j) e.output += lines[j] + "\n";
        i = j;
      }
    }
    out.push_back(e);
  }
  return out;
}

TEST(ScriptDocs, EveryProgramOnTheLanguagePageRunsAndPrintsWhatItShows) {
  std::string page = testsupport::ReadFile(std::filesystem::path(TESSERA_SOURCE_DIR) / "docs/script-language.md");
  std::vector<Example> examples = ReadExamples(page);
  ASSERT_GE(examples.size(), 6u);
  std::filesystem::path dir = testsupport::ScratchDir();
  for (const Example& e : examples) {
    SCOPED_TRACE("docs/script-language.md:" + std::to_string(e.line));
    std::string name = "example" + std::to_string(e.line) + ".pas";
    testsupport::WriteFile(dir / name, e.source);
    testsupport::ProcessResult r =
        testsupport::RunProcess({testsupport::BinPath("tessera-script").string(), "run", name}, dir);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(e.hasOutput) << "an example without the output it prints";
    EXPECT_EQ(r.out, e.output);
  }
}

}  // namespace
