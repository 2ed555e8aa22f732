// Definition files: the line routines, the conversions, the name rules and the table-driven reader.
#include "game/world/defs.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "game/core/fatal.h"
#include "game/core/game_core.h"
#include "tests/support/test_support.h"

namespace {

using game::CleanLine;
using game::GetKey;
using game::GetValue;
using game::ParseBool;
using game::StripComment;

TEST(DefLines, CleanLineDropsBlanksQuotesTabsAndComments) {
  EXPECT_EQ(CleanLine("NAME = Stone Wall"), "NAME=StoneWall");
  EXPECT_EQ(CleanLine("NAME = \"Stone Wall\""), "NAME=Stone Wall");
  EXPECT_EQ(CleanLine("\tSCALEMODEL\t=\t1.5 // bigger"), "SCALEMODEL=1.5");
  EXPECT_EQ(CleanLine("// NAME=Hidden"), "");
  // A "//" inside quotes starts the comment all the same; the blank before it was quoted.
  EXPECT_EQ(CleanLine("CAPTION=\"a // b\""), "CAPTION=a ");
  // A single "/" is text; the comment flag is set at the first of two.
  EXPECT_EQ(CleanLine("A=b/c"), "A=b/c");
  EXPECT_EQ(CleanLine("A=b/"), "A=b/");
  EXPECT_EQ(CleanLine("\"\""), "");
}

TEST(DefLines, KeyAndValueSplitAtTheFirstEqualsFromPositionTwo) {
  EXPECT_EQ(GetKey("name=Orc"), "name");
  EXPECT_EQ(GetValue("name=Orc"), "Orc");
  EXPECT_EQ(GetKey("FLATNORMALS"), "FLATNORMALS");
  EXPECT_EQ(GetValue("FLATNORMALS"), "");
  EXPECT_EQ(GetValue("FLATNORMALS="), "");
  // "=" at position 1 is part of the key; the value comes from a later "=" only.
  EXPECT_EQ(GetKey("=5"), "=5");
  EXPECT_EQ(GetValue("=5"), "");
  EXPECT_EQ(GetKey("=a=b"), "=a");
  EXPECT_EQ(GetValue("=a=b"), "b");
  EXPECT_EQ(GetValue("A=b=c"), "b=c");
  EXPECT_EQ(GetKey("="), "=");
  EXPECT_EQ(GetValue("="), "");
  EXPECT_EQ(GetKey(""), "");
  // A tag with text behind it: the blank goes and the text joins the key.
  EXPECT_EQ(GetKey("[TOUCHSCRIPT] now"), "[TOUCHSCRIPT]now");
  EXPECT_EQ(GetValue("TEXTURE = my file.tga"), "myfile.tga");
  EXPECT_EQ(GetValue("TEXTURE = \"my file.tga\""), "my file.tga");
}

TEST(DefLines, ParseBoolAndStripComment) {
  EXPECT_TRUE(ParseBool(""));
  EXPECT_TRUE(ParseBool("True"));
  EXPECT_TRUE(ParseBool("TRUE"));
  EXPECT_TRUE(ParseBool("tRuE"));
  EXPECT_FALSE(ParseBool("false"));
  EXPECT_FALSE(ParseBool("0"));
  EXPECT_FALSE(ParseBool("yes"));
  EXPECT_FALSE(ParseBool("1"));
  EXPECT_FALSE(ParseBool("TRUE "));

  EXPECT_EQ(StripComment("  x := 'a//b'; // note"), "  x := 'a");
  EXPECT_EQ(StripComment("\tdo \"this\";"), "\tdo \"this\";");
  EXPECT_EQ(StripComment("a / b"), "a / b");
  EXPECT_EQ(StripComment("//"), "");
  EXPECT_EQ(StripComment("/"), "/");
}

TEST(DefConversions, Integers) {
  int32_t v = 0;
  auto ok = [&](const char* text, int32_t want) {
    v = 12345;
    EXPECT_TRUE(game::TryStrToInt(text, &v)) << text;
    EXPECT_EQ(v, want) << text;
  };
  ok("0", 0);
  ok("42", 42);
  ok("  -17", -17);
  ok("+8", 8);
  ok("007", 7);
  ok("$1F", 31);
  ok("x1f", 31);
  ok("X10", 16);
  ok("0x10", 16);
  ok("0XfF", 255);
  ok("-$10", -16);
  ok("2147483647", 2147483647);
  ok("-2147483648", INT32_MIN);
  ok("$FFFFFFFF", -1);
  ok("$80000000", INT32_MIN);
  ok("$000000000001", 1);
  for (const char* bad : {"", " ", "-", "+", "$", "0x", "x", "12a", "1 ", "1.0", "1,5", "--1", "+-1",
                          "2147483648", "-2147483649", "$100000000", "$G", "0x-1", "- 1", "\t1"}) {
    v = 99;
    EXPECT_FALSE(game::TryStrToInt(bad, &v)) << "'" << bad << "'";
    EXPECT_EQ(v, 99) << "a failed conversion leaves the value";
  }
}

TEST(DefConversions, Floats) {
  float v = 0.0f;
  auto ok = [&](const char* text, float want) {
    v = -99.0f;
    EXPECT_TRUE(game::TryStrToFloat(text, &v)) << text;
    EXPECT_FLOAT_EQ(v, want) << text;
  };
  ok("1.5", 1.5f);
  ok("-0.25", -0.25f);
  ok("+3", 3.0f);
  ok("3.", 3.0f);
  ok(".5", 0.5f);
  ok("1e3", 1000.0f);
  ok("2.5E-2", 0.025f);
  ok("7e+1", 70.0f);
  ok("  4.0  ", 4.0f);
  ok("1e-60", 0.0f);  // underflows to zero
  ok("340282346638528859811704183484516925440", 3.4028234664e38f);
  for (const char* bad : {"", "1,5", ".", "-", "e5", "1e", "1e+", "1.2.3", "inf", "nan", "0x10", "1 5",
                          "1e39", "-1e39", "1e999999999999", "abc", "5f"}) {
    v = 7.0f;
    EXPECT_FALSE(game::TryStrToFloat(bad, &v)) << "'" << bad << "'";
    EXPECT_EQ(v, 7.0f);
  }
}

TEST(DefNames, UpperCaseAsciiAndWindows1251) {
  EXPECT_EQ(game::UpperAscii("name=Orc"), "NAME=ORC");
  // ASCII upper-casing leaves Cyrillic alone; the ANSI rule maps it.
  const std::string lowerCyr = "\xEF\xF0\xEE\xE1\xE0";  // "проба"
  const std::string upperCyr = "\xCF\xD0\xCE\xC1\xC0";  // "ПРОБА"
  EXPECT_EQ(game::UpperAscii(lowerCyr), lowerCyr);
  EXPECT_EQ(game::UpperAnsi(lowerCyr), upperCyr);
  EXPECT_EQ(game::UpperAnsi("\xB8\xBF\xB3\xA2"), "\xA8\xAF\xB2\xA1");  // ё ї і ў
  EXPECT_EQ(game::UpperAnsi("\xFF\xDF"), "\xDF\xDF");                 // я, Я
  EXPECT_EQ(game::UpperAnsi("\xB5\xD7"), "\xB5\xD7") << "micro sign and multiplication stay";
  EXPECT_TRUE(game::SameName("stone", "Stone"));
  EXPECT_TRUE(game::SameName(lowerCyr, upperCyr));
  EXPECT_FALSE(game::SameName("Stone", "Stones"));
  EXPECT_FALSE(game::SameName("\xE0", "\xC1"));
}

// ---- The reader --------------------------------------------------------------------------

struct TTestKind {
  std::string Name;
  int32_t Count = 0;
  uint8_t Align = 0;
  float Scale = 0.0f;
  float Rotate = 0.0f;
  bool Flat = false;
  std::string Texture;
  std::string Script;
  std::vector<std::string> Assigned;  // keys in the order they were assigned
  bool FlipAtEnd = false;
  bool AfterRan = false;
};

game::TDefFormat<TTestKind> TestFormat() {
  game::TDefFormat<TTestKind> f;
  f.Keys.push_back(game::DefField("NAME", &TTestKind::Name));
  f.Keys.push_back(game::DefField("COUNT", &TTestKind::Count));
  f.Keys.push_back(game::DefField("ALIGN", &TTestKind::Align));
  f.Keys.push_back(game::DefField("SCALEMODEL", &TTestKind::Scale));
  f.Keys.push_back(game::DefDegrees("ROTATEY", &TTestKind::Rotate, 3.1415926));
  f.Keys.push_back(game::DefField("FLATNORMALS", &TTestKind::Flat));
  f.Keys.push_back({"TEXTURE", [](TTestKind& k, const game::TDefLine& l) { k.Texture = l.Value; }});
  f.Keys.push_back({"FLIPNORMALS", nullptr});
  // Two entries for one key: both assign, in table order.
  f.Keys.push_back({"COUNT", [](TTestKind& k, const game::TDefLine& l) { k.Assigned.push_back("COUNT#2=" + l.Value); }});
  f.Tags.push_back({"[TOUCHSCRIPT]", "[/TOUCHSCRIPT]", [](TTestKind& k, std::string_view t) { k.Script += t; }});
  f.Defaults = [](TTestKind& k) { k.Scale = 1.0f; };
  f.AfterReading = [](TTestKind& k, const game::TDefRead& read) {
    k.AfterRan = true;
    auto flip = read.Last("FLIPNORMALS");
    k.FlipAtEnd = flip && game::ParseBool(*flip);
  };
  for (game::TDefKey<TTestKind>& key : f.Keys) {
    if (!key.Assign) key.Assign = [](TTestKind&, const game::TDefLine&) {};
    auto inner = key.Assign;
    std::string name = key.Key;
    key.Assign = [inner, name](TTestKind& k, const game::TDefLine& l) {
      inner(k, l);
      k.Assigned.push_back(name);
    };
  }
  return f;
}

TTestKind Read(const std::string& text) {
  TTestKind k;
  game::TDefRead read;
  game::TDefFormat<TTestKind> f = TestFormat();
  game::ReadDefinition(text, "test.cro", f, k, &read);
  if (f.AfterReading) f.AfterReading(k, read);
  return k;
}

TEST(DefReader, KeysValuesAndTypes) {
  TTestKind k = Read(
      "name=Orc\n"
      "TEXTURE = my file.tga\n"
      "count = $10\n"
      "ALIGN = 258\n"
      "SCALEMODEL = 1.5 // bigger\n"
      "// SCALEMODEL = 9\n"
      "ROTATEY = 180\n"
      "misspelled = 3\n"
      "stray text\n"
      "\n");
  EXPECT_EQ(k.Name, "Orc");
  EXPECT_EQ(k.Texture, "myfile.tga");
  EXPECT_EQ(k.Count, 16);
  EXPECT_EQ(k.Align, 2) << "narrow fields keep the low bits";
  EXPECT_FLOAT_EQ(k.Scale, 1.5f);
  EXPECT_FLOAT_EQ(k.Rotate, static_cast<float>(180.0 * 3.1415926 / 180.0));
  EXPECT_EQ(Read("TEXTURE=\"my file.tga\"").Texture, "my file.tga");
}

TEST(DefReader, BooleansTableOrderAndRepeatedKeys) {
  EXPECT_TRUE(Read("FLATNORMALS\n").Flat);
  EXPECT_TRUE(Read("FLATNORMALS=\n").Flat);
  EXPECT_TRUE(Read("flatnormals = True\n").Flat);
  EXPECT_FALSE(Read("FLATNORMALS=false\n").Flat);
  EXPECT_FALSE(Read("FLATNORMALS=0\n").Flat);
  EXPECT_FALSE(Read("FLATNORMALS=yes\n").Flat);

  TTestKind k = Read("COUNT=1\nNAME=a\nCOUNT=2\n");
  EXPECT_EQ(k.Count, 2) << "the last line wins";
  std::vector<std::string> want = {"COUNT", "COUNT#2=1", "COUNT", "NAME", "COUNT", "COUNT#2=2", "COUNT"};
  EXPECT_EQ(k.Assigned, want) << "every matching entry assigns, in table order, each time the key comes";

  // Keys compare after ASCII upper-casing only; the value of "=5" is empty and nothing matches.
  EXPECT_EQ(Read("=5\n").Assigned.size(), 0u);
}

TEST(DefReader, AfterReadingSeesTheLastValueOfUnstoredKeys) {
  EXPECT_TRUE(Read("FLIPNORMALS\n").FlipAtEnd);
  EXPECT_FALSE(Read("FLIPNORMALS\nFLIPNORMALS=false\n").FlipAtEnd);
  EXPECT_TRUE(Read("FLIPNORMALS=no\nFLIPNORMALS=TRUE\n").FlipAtEnd);
  EXPECT_FALSE(Read("NAME=x\n").FlipAtEnd);
  EXPECT_TRUE(Read("").AfterRan);
}

TEST(DefReader, ScriptBlocks) {
  TTestKind k = Read(
      "NAME=Door\n"
      "[TOUCHSCRIPT]\n"
      "  Msg('a//b'); // cut\n"
      "NAME=NotAKey\n"
      "[/TOUCHSCRIPT]\n"
      "[touchscript]\n"
      "\tx := 1;\n"
      "[TOUCHSCRIPT]\n"
      "[ /touchscript ]\n"
      "NAME=Door2\n");
  EXPECT_EQ(k.Script, "  Msg('a NAME=NotAKey \tx := 1; ")
      << "block lines lose their comment and get one blank; blocks append; an opening tag inside a "
         "block is dropped";
  EXPECT_EQ(k.Name, "Door2");

  // A tag with text behind it is no tag: no block opens, and the line is an unknown key.
  TTestKind t = Read("[TOUCHSCRIPT] x\nNAME=After\n");
  EXPECT_EQ(t.Script, "");
  EXPECT_EQ(t.Name, "After");

  // A file that ends inside a block simply ends.
  EXPECT_EQ(Read("[TOUCHSCRIPT]\nline").Script, "line ");
}

TEST(DefReader, LineEndsAndEndOfFileByte) {
  TTestKind k = Read("NAME=Crlf\r\nCOUNT=3\r\n[TOUCHSCRIPT]\r\nabc\r\n");
  EXPECT_EQ(k.Name, "Crlf");
  EXPECT_EQ(k.Count, 3);
  EXPECT_EQ(k.Script, "abc ") << "the CR of CR LF is not part of the line";
  EXPECT_EQ(Read("NAME=Cut\x1A\nNAME=Lost\n").Name, "Cut");
  EXPECT_EQ(Read("NAME=NoNewline").Name, "NoNewline");
  // A CR alone is no line end: it stays in the value.
  EXPECT_EQ(Read("NAME=a\rb\n").Name, "a\rb");
}

TEST(DefReader, SeveralTagPairsAndEarlyKeys) {
  // The shape of a GUI file: widget lines are seen on every line, click blocks take precedence
  // over create blocks, and a block's text goes to whatever the loader says.
  struct TGui {
    std::vector<std::string> Widgets;
    std::string Click, Create, Caption;
  };
  game::TDefFormat<TGui> f;
  f.EarlyKeys.push_back({"BUTTON", [](TGui& g, const game::TDefLine& l) { g.Widgets.push_back(l.Value); }});
  f.Tags.push_back({"[CLICKSCRIPT]", "[/CLICKSCRIPT]", [](TGui& g, std::string_view t) { g.Click += t; }});
  f.Tags.push_back({"[CREATESCRIPT]", "[/CREATESCRIPT]", [](TGui& g, std::string_view t) { g.Create += t; }});
  f.Keys.push_back(game::DefField("CAPTION", &TGui::Caption));
  TGui g;
  game::ReadDefinition(
      "[CREATESCRIPT]\nc1\n[CLICKSCRIPT]\nk1\n[CREATESCRIPT]\n[/CLICKSCRIPT]\nc2\n[/CREATESCRIPT]\n"
      "BUTTON=Ok\nCAPTION=\"O K\"\n[CLICKSCRIPT]\nBUTTON=Inner\n[/CLICKSCRIPT]\n",
      "gui.cro", f, g);
  EXPECT_EQ(g.Create, "c1 c2 ");
  EXPECT_EQ(g.Click, "k1 [CREATESCRIPT] BUTTON=Inner ");
  EXPECT_EQ(g.Caption, "O K");
  std::vector<std::string> widgets = {"Ok", "Inner"};
  EXPECT_EQ(g.Widgets, widgets) << "early keys are seen inside blocks too";
}

TEST(DefReader, UnconvertibleNumbersAreFatalWithFileAndLine) {
  try {
    Read("NAME=x\nSCALEMODEL = 1,5\n");
    FAIL() << "no error";
  } catch (const game::FatalError& e) {
    EXPECT_STREQ(e.what(), "'1,5' is not a valid floating point value");
    EXPECT_EQ(e.file(), "test.cro");
    EXPECT_EQ(e.line(), 2);
  }
  try {
    Read("\n\n\nCOUNT = \"1 2\"\n");
    FAIL() << "no error";
  } catch (const game::FatalError& e) {
    EXPECT_STREQ(e.what(), "'1 2' is not a valid integer value");
    EXPECT_EQ(e.line(), 4);
  }
  try {
    Read(std::string("COUNT = 1\0\x01" "2\n", 13));
    FAIL() << "no error";
  } catch (const game::FatalError& e) {
    EXPECT_STREQ(e.what(), "'1\\x00\\x012' is not a valid integer value") << "a NUL must not cut the message";
  }
  try {
    Read("SCALEMODEL = " + std::string(5000, '9') + "x\n");
    FAIL() << "no error";
  } catch (const game::FatalError& e) {
    EXPECT_LT(std::string(e.what()).size(), 200u) << "a long value is cut in the message";
  }
  EXPECT_THROW(Read("SCALEMODEL\n"), game::FatalError) << "an empty scale value does not convert";
  EXPECT_NO_THROW(Read("[TOUCHSCRIPT]\nCOUNT=abc\n")) << "inside a block nothing converts";
}

TEST(DefReader, LoadDefinitionKindAppendsFirstThenDefaultsThenAfterReading) {
  std::filesystem::path dir = testsupport::ScratchDir();
  testsupport::WriteFile(dir / "a.cro", "NAME=A\nSCALEMODEL=2\n");
  testsupport::WriteFile(dir / "bad.cro", "NAME=B\nCOUNT=1.0\n");
  testsupport::WriteFile(dir / "empty.cro", "");
  std::vector<TTestKind> kinds;
  game::TDefFormat<TTestKind> f = TestFormat();
  EXPECT_EQ(game::LoadDefinitionKind((dir / "empty.cro").string(), f, kinds), 0u);
  EXPECT_FLOAT_EQ(kinds[0].Scale, 1.0f) << "defaults apply to an empty file";
  EXPECT_TRUE(kinds[0].AfterRan);
  EXPECT_EQ(game::LoadDefinitionKind((dir / "a.cro").string(), f, kinds), 1u);
  EXPECT_FLOAT_EQ(kinds[1].Scale, 2.0f);
  try {
    game::LoadDefinitionKind((dir / "bad.cro").string(), f, kinds);
    FAIL() << "no error";
  } catch (const game::FatalError& e) {
    EXPECT_EQ(e.file(), (dir / "bad.cro").string());
    EXPECT_EQ(e.line(), 2);
    EXPECT_STREQ(e.what(), "'1.0' is not a valid integer value");
  }
  EXPECT_EQ(kinds.size(), 3u) << "the record exists before the file is read";
  EXPECT_EQ(kinds[2].Name, "B");
  EXPECT_THROW(game::LoadDefinitionKind((dir / "missing.cro").string(), f, kinds), game::FatalError);
}

TEST(DefPaths, BackslashesAndCaseInsensitiveComponents) {
  std::filesystem::path dir = testsupport::ScratchDir();
  testsupport::WriteFile(dir / "Data" / "Textures" / "Rock.TGA", "x");
  game::GameCoreReset();
  game::Core().AppDir = dir.string() + "/";
  EXPECT_EQ(game::DataPath("Data/Textures/", "Rock.TGA"), (dir / "Data/Textures/Rock.TGA").string());
  EXPECT_EQ(game::DataPath("Data\\Textures\\", "rock.tga"), (dir / "Data/Textures/Rock.TGA").string());
  EXPECT_EQ(game::DataPath("data/textures/", "sub\\ROCK.tga"), (dir / "Data/Textures/sub/ROCK.tga").string())
      << "a component that exists under no case is kept as asked";
  EXPECT_EQ(game::DataPath("DATA/", "Textures"), (dir / "Data/Textures").string());
  game::GameCoreReset();
}

}  // namespace
