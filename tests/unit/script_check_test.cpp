// Finding the literal names that scripts give: only a whole string literal as the argument counts,
// in any letter case of the function, past comments, nested calls and other arguments.
#include "game/script/script_check.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> Texts(const std::vector<game::TScriptLiteral>& literals) {
  std::vector<std::string> texts;
  for (const game::TScriptLiteral& l : literals) texts.push_back(l.Text);
  return texts;
}

TEST(ScriptLiterals, OnlyAWholeLiteralInThatArgumentCounts) {
  std::string source =
      "begin Cr_GiveItem(Cr_ID, 'Key'); cr_giveitem(GetInt('who'), 'It''s'); { Cr_GiveItem(1, 'Commented') }\n"
      "  Cr_GiveItem(1, 'Ro' + 'pe'); Cr_GiveItem(1, name); Cr_GiveItem('First', 'x'#65);\n"
      "  Cr_GiveItem(StrToInt(Copy('12', 1, 2)), 'Nested'); SetInt('Cr_GiveItem', 1); end.";
  std::vector<game::TScriptLiteral> found = game::ScriptLiteralArguments(source, "Cr_GiveItem", 1);
  EXPECT_EQ(Texts(found), (std::vector<std::string>{"Key", "It's", "xA", "Nested"}));
  ASSERT_EQ(found.size(), 4u);
  EXPECT_EQ(found[0].Line, 1);
  EXPECT_EQ(found[0].Column, 26);
  EXPECT_EQ(found[2].Line, 2);
  EXPECT_EQ(Texts(game::ScriptLiteralArguments(source, "CR_GIVEITEM", 0)), (std::vector<std::string>{"First"}));
  EXPECT_TRUE(game::ScriptLiteralArguments("begin Window_Create('unterminated); end.", "Window_Create", 0).empty());
}

}  // namespace
