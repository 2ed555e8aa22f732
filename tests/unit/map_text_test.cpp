// Map text: compiling, decompiling, exact round trips and every compile error with its place.
#include "game/world/map_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <sstream>

namespace {

std::vector<uint8_t> Bytes(const game::TMapFile& map) {
  std::vector<uint8_t> bytes;
  std::string error;
  EXPECT_TRUE(game::MapFileWrite(map, &bytes, &error)) << error;
  return bytes;
}

game::TMapFile Compile(const std::string& text) {
  game::TMapFile map;
  game::TMapTextError error;
  EXPECT_TRUE(game::MapCompileText(text, "t.txt", &map, &error)) << error.Text() << "\n" << text;
  return map;
}

std::string Decompile(const game::TMapFile& map) {
  std::string text, error;
  EXPECT_TRUE(game::MapDecompile(map, &text, &error)) << error;
  return text;
}

// compile(decompile(bytes)) must give the bytes back exactly.
void ExpectRoundTrip(const game::TMapFile& map) {
  std::vector<uint8_t> bytes = Bytes(map);
  game::TMapFile read;
  std::string error;
  ASSERT_TRUE(game::MapFileReadFromMemory(bytes.data(), bytes.size(), &read, &error)) << error;
  std::string text = Decompile(read);
  EXPECT_EQ(Bytes(Compile(text)), bytes) << text;
}

std::string CompileError(const std::string& text) {
  game::TMapFile map;
  game::TMapTextError error;
  EXPECT_FALSE(game::MapCompileText(text, "bad.txt", &map, &error)) << text;
  return error.Text();
}

const char kField[] =
    "# a field\n"
    "size 4 3\n"
    "legend . Plane grass.jpg\n"
    "legend r \"Plane\" \"rock.jpg\"  # a second texture\n"
    "legend ~ Water\n"
    "floor\n"
    "....\n"
    ".r~.\n"
    "\n"
    "  ..r.   # indented rows are fine\n"
    "end\n"
    "cell 3 0 Water\n"
    "wall Stone 1 1 0 1\n"
    "wall \"Stone Gate\" 2 2 -90.5 2\n"
    "creature Orc 0 0 45 10 0\n"
    "creature \"\xCE\xF0\xEA\" 3 2 1e2 11 3\n"
    "script \"Start Map\" <<END\n"
    "begin\n"
    "  Msg('a // b');   \n"
    "\n"
    "end;\n"
    "END\n"
    "script Empty <<X\n"
    "X\n";

TEST(MapText, CompilesWhatItReads) {
  game::TMapFile map = Compile(kField);
  EXPECT_EQ(map.MapWidth, 3);
  EXPECT_EQ(map.MapHeight, 2);
  EXPECT_EQ(map.FloorKindNames, (std::vector<std::string>{"Plane", "Water"}));
  EXPECT_EQ(map.FloorTextureNames, (std::vector<std::string>{"grass.jpg", "rock.jpg"}));
  EXPECT_EQ(map.WallKindNames, (std::vector<std::string>{"Stone", "Stone Gate"}));
  EXPECT_EQ(map.CreatureKindNames, (std::vector<std::string>{"Orc", "\xCE\xF0\xEA"}));
  EXPECT_EQ(map.Cell(1, 1).Texture, 1);
  EXPECT_EQ(map.Cell(2, 1).Kind, 1);
  EXPECT_EQ(map.Cell(2, 2).Texture, 1);
  EXPECT_EQ(map.Cell(3, 0).Kind, 1) << "a cell line overrides the grid";
  ASSERT_EQ(map.Walls.size(), 2u);
  EXPECT_EQ(map.Walls[1].Kind, 1);
  EXPECT_EQ(map.Walls[1].Angle, -90.5f);
  ASSERT_EQ(map.Creatures.size(), 2u);
  EXPECT_EQ(map.Creatures[1].Angle, 100.0f);
  EXPECT_EQ(map.Creatures[1].Owner, 3);
  ASSERT_EQ(map.Blocks.size(), 2u);
  std::vector<std::string> lines = {"begin", "  Msg('a // b');   ", "", "end;"};
  EXPECT_EQ(map.Blocks[0].Lines, lines) << "script lines are kept verbatim";
  EXPECT_TRUE(map.Blocks[1].Lines.empty());
  ExpectRoundTrip(map);

  // CR LF text compiles to the same map.
  std::string crlf;
  for (char c : std::string(kField)) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  EXPECT_EQ(Bytes(Compile(crlf)), Bytes(map));
}

TEST(MapText, DecompiledTextIsStable) {
  game::TMapFile map = Compile(kField);
  std::string once = Decompile(map);
  std::string twice = Decompile(Compile(once));
  EXPECT_EQ(once, twice);
  EXPECT_NE(once.find("legend . \"Plane\" \"grass.jpg\""), std::string::npos) << once;
  EXPECT_NE(once.find("wall \"Stone Gate\" 2 2 -90.5 2"), std::string::npos) << once;
}

TEST(MapText, ExactForWhatTheTextCannotWriteByName) {
  game::TMapFile map;
  map.MapWidth = 2;
  map.MapHeight = 1;
  // Duplicate and unused names, names that need escapes, a kind named "plane" in lower case.
  map.FloorKindNames = {"Plane", "plane", "Plane", "Unused"};
  map.FloorTextureNames = {"a.jpg", "a.jpg", "b \"q\".jpg", "tab\there\\"};
  map.WallKindNames = {"W", "W", "@1", "#x"};
  map.CreatureKindNames = {};
  map.Cells = {{0, 1}, {2, 0}, {1, 0}, {2, 3}, {0, 2}, {1, 0}};
  map.Walls = {{1, 0, 0, 0.0f, 0}, {2, 1, 0, -0.0f, 65535}, {3, 2, 1, std::numeric_limits<float>::quiet_NaN(), 1}};
  map.Walls.push_back({0, 0, 1, std::numeric_limits<float>::infinity(), 2});
  map.Walls.push_back({0, 1, 1, std::numeric_limits<float>::denorm_min(), 3});
  map.Walls.push_back({0, 2, 0, 0.1f, 4});
  map.Blocks = {{"END", {"END", "END_1", "x"}}, {"cr", {"a\rb", "c\nd", ""}}, {"", {""}}};
  ExpectRoundTrip(map);
  std::string text = Decompile(map);
  EXPECT_NE(text.find("@2"), std::string::npos) << "a repeated name goes by index";
  EXPECT_NE(text.find("<<END_2"), std::string::npos) << "the delimiter avoids the block's lines";
  EXPECT_NE(text.find("script \"cr\" lines"), std::string::npos) << text;

  // Bit patterns of odd angles survive.
  game::TMapFile back = Compile(text);
  uint32_t a, b;
  std::memcpy(&a, &map.Walls[2].Angle, 4);
  std::memcpy(&b, &back.Walls[2].Angle, 4);
  EXPECT_EQ(a, b);
  EXPECT_TRUE(std::signbit(back.Walls[1].Angle));
}

TEST(MapText, MoreCellKindsThanLegendCharacters) {
  game::TMapFile map;
  map.MapWidth = 11;
  map.MapHeight = 11;
  map.FloorKindNames = {"Plane"};
  for (int i = 0; i < 144; ++i) map.FloorTextureNames.push_back("t" + std::to_string(i) + ".jpg");
  for (int i = 0; i < 144; ++i) map.Cells.push_back({0, static_cast<uint16_t>(i)});
  ExpectRoundTrip(map);
  EXPECT_NE(Decompile(map).find("cell 11 11 \"Plane\" \"t143.jpg\""), std::string::npos);
}

const char kHead[] = "size 3 2\nlegend . Plane g.jpg\nfloor\n...\n...\nend\n";  // lines 1-6

// Maps the game reads but the compiler refuses as written: records outside the map or on a
// taken tile, owners that are no player, indices outside the name tables. They decompile to text
// that gives the same bytes back, with a warning on the line of each oddity, and compiling that
// text warns about the same lines.
TEST(MapText, OddMapsRoundTripWithWarnings) {
  game::TMapFile map;
  map.MapWidth = 2;
  map.MapHeight = 1;
  map.FloorKindNames = {"Plane"};
  map.FloorTextureNames = {"a.jpg"};
  map.WallKindNames = {"Stone"};
  map.CreatureKindNames = {"Orc"};
  map.Cells = {{0, 0}, {0, 4}, {0, 0}, {3, 0}, {0, 0}, {0, 0}};
  map.Walls = {{0, 1, 1, 0, 1}, {0, 25, 3, 0, 2}, {0, 1, 1, 90, 3}, {5, 0, 0, 0, 4}, {0, -1, 0, 0, 5}};
  map.Creatures = {{0, 0, 0, 0, 1, 255}, {0, 0, 0, 0, 2, 1}, {0, 2, 1, 0, 3, 0}, {0, 2, 9, 0, 4, 7}};
  ExpectRoundTrip(map);

  std::string text;
  std::string error;
  std::vector<game::TMapTextError> warnings;
  ASSERT_TRUE(game::MapDecompile(map, &text, &error, &warnings)) << error;
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  auto lineOf = [&](const game::TMapTextError& w) { return lines.at(static_cast<size_t>(w.Line - 1)); };
  std::vector<std::string> seen;
  for (const game::TMapTextError& w : warnings) seen.push_back(lineOf(w) + " | " + w.Message);
  std::vector<std::string> want = {
      "legend ~ \"Plane\" @4 | @4 is outside the floor texture table (1 names): the game loads no picture for it "
      "(a white placeholder)",
      "legend = @3 | @3 is outside the floor kind table (1 names): the game's cells keep what they had",
      "wall \"Stone\" 25 3 0 2 as-is | the game cannot place this wall: tile (25, 3) is outside the map (X 0 to 2, "
      "Y 0 to 1); it stops loading the map there (later walls, every creature and the scripts are left out)",
      "wall \"Stone\" 1 1 90 3 as-is | the game cannot place this wall: a wall already stands on tile (1, 1); it "
      "stops loading the map there (later walls, every creature and the scripts are left out)",
      "wall @5 0 0 0 4 | @5 is outside the wall kind table (1 names): the game cannot place the wall and stops "
      "loading the map there",
      "wall \"Stone\" -1 0 0 5 as-is | the game cannot place this wall: tile (-1, 0) is outside the map (X 0 to 2, "
      "Y 0 to 1); it stops loading the map there (later walls, every creature and the scripts are left out)",
      "creature \"Orc\" 0 0 0 1 255 as-is | owner 255 is not a player (0 to 3)",
      "creature \"Orc\" 0 0 0 2 1 as-is | the game cannot place this creature: a creature already stands on tile "
      "(0, 0); it stops loading the map there (later creatures and the scripts are left out)",
      "creature \"Orc\" 2 9 0 4 7 as-is | the game cannot place this creature: tile (2, 9) is outside the map (X 0 "
      "to 2, Y 0 to 1); it stops loading the map there (later creatures and the scripts are left out)",
      "creature \"Orc\" 2 9 0 4 7 as-is | owner 7 is not a player (0 to 3)",
  };
  EXPECT_EQ(seen, want) << text;

  // The compiler warns about the same lines (an as-is record at its tile, an owner at its value).
  game::TMapFile back;
  game::TMapTextError compileError;
  game::TMapTextNotes notes;
  ASSERT_TRUE(game::MapCompileText(text, "odd.txt", &back, &compileError, &notes)) << compileError.Text();
  std::vector<int> compiledLines, decompiledLines;
  for (const game::TMapTextError& w : notes.Warnings) compiledLines.push_back(w.Line);
  for (const game::TMapTextError& w : warnings) decompiledLines.push_back(w.Line);
  EXPECT_EQ(compiledLines, decompiledLines);
  EXPECT_EQ(notes.Warnings[0].File, "odd.txt");
}

TEST(MapText, AsIsAndIndicesOutsideATableAreWarnedAbout) {
  std::string h = kHead;  // lines 1-6, a 3 x 2 map
  game::TMapFile map;
  game::TMapTextError error;
  game::TMapTextNotes notes;
  ASSERT_TRUE(game::MapCompileText(h +
                                       "wall Stone 1 1 0 1 as-is\n"        // nothing odd
                                       "wall @3 0 0 0 2\n"                 // outside the finished table
                                       "wall @1 2 0 0 3\n"                 // inside it: Gate comes later
                                       "wall Gate 2 1 0 4\n"
                                       "creature Orc 5 5 0 1 9 as-is\n",
                                   "w.txt", &map, &error, &notes))
      << error.Text();
  ASSERT_EQ(notes.Warnings.size(), 4u);
  EXPECT_EQ(notes.Warnings[0].Text(), "w.txt:7:20: nothing on this line needs as-is");
  EXPECT_EQ(notes.Warnings[1].Text(),
            "w.txt:8:6: @3 is outside the wall kind table (2 names): the game cannot place the wall and stops "
            "loading the map there");
  EXPECT_EQ(notes.Warnings[2].Line, 11);
  EXPECT_NE(notes.Warnings[2].Message.find("tile (5, 5) is outside the map"), std::string::npos);
  EXPECT_EQ(notes.Warnings[3].Text(), "w.txt:11:22: owner 9 is not a player (0 to 3)");
  EXPECT_EQ(map.Walls[1].Kind, 3);
  EXPECT_EQ(map.Walls[2].Kind, 1) << "@N names an entry of the finished table";
  EXPECT_EQ(map.WallKindNames, (std::vector<std::string>{"Stone", "Gate"}));
  EXPECT_EQ(map.Creatures[0].Owner, 9);

  // The places of the records, for checks that come later.
  ASSERT_EQ(notes.Walls.size(), 4u);
  EXPECT_EQ(notes.Walls[3].Kind.Line, 10);
  EXPECT_EQ(notes.Walls[3].Kind.Column, 6);
  EXPECT_EQ(notes.Walls[3].ID.Column, 17);
  EXPECT_EQ(notes.Creatures[0].Tile.Column, 14);
  EXPECT_EQ(notes.FirstUse[2].at(1).Line, 9) << "Gate's first use is @1 on line 9";
  EXPECT_EQ(notes.FirstUse[0].at(0).Line, 2) << "the legend line uses Plane";
}

TEST(MapText, ErrorsNameTheFileLineAndColumn) {
  std::string h = kHead;
  EXPECT_EQ(CompileError("size 3 2\nlegend . Plane g.jpg\nfloor\n...\n.x.\nend\n"),
            "bad.txt:5:2: unknown legend character 'x'");
  EXPECT_EQ(CompileError(h + "wall Stone 3 0 0 1\n"),
            "bad.txt:7:12: tile (3, 0) is outside the map (X 0 to 2, Y 0 to 1)");
  EXPECT_EQ(CompileError(h + "creature Orc 0 -1 0 1 0\n"),
            "bad.txt:7:14: tile (0, -1) is outside the map (X 0 to 2, Y 0 to 1)");
  EXPECT_EQ(CompileError(h + "cell 0 2 Plane g.jpg\n"),
            "bad.txt:7:6: tile (0, 2) is outside the map (X 0 to 2, Y 0 to 1)");
  EXPECT_EQ(CompileError("size 101 5\n"), "bad.txt:1:6: map size 101 x 5 exceeds 100 x 100 tiles (largest tile index 99)");
  EXPECT_EQ(CompileError("size 5 200\n"), "bad.txt:1:8: map size 5 x 200 exceeds 100 x 100 tiles (largest tile index 99)");
  EXPECT_EQ(CompileError("size 0 5\n"), "bad.txt:1:6: the number of tiles 0 is outside 1 to 2147483647");
  EXPECT_EQ(CompileError(h + "wall A 1 1 0 1\nwall B 1 1 90 2\n"),
            "bad.txt:8:8: a wall already stands on tile (1, 1) (line 7)");
  EXPECT_EQ(CompileError(h + "creature A 1 1 0 1 0\ncreature B 1 1 90 2 1\n"),
            "bad.txt:8:12: a creature already stands on tile (1, 1) (line 7)");
  EXPECT_EQ(CompileError(h + "creature A 1 1 0 1 4\n"), "bad.txt:7:20: the owner (a player) 4 is outside 0 to 3");
  EXPECT_EQ(CompileError(h + "wall A 1 1 0 65536\n"), "bad.txt:7:14: the ID 65536 is outside 0 to 65535");
  EXPECT_EQ(CompileError(h + "wall A 1 1 1,5 1\n"), "bad.txt:7:12: expected an angle in degrees, found '1,5'");
  EXPECT_EQ(CompileError(h + "wall A 1 1 1e39 1\n"), "bad.txt:7:12: angle 1e39 does not fit a 32-bit float");
  EXPECT_EQ(CompileError(h + "wall A one 1 0 1\n"), "bad.txt:7:8: expected a whole number for X, found 'one'");
  EXPECT_EQ(CompileError(h + "wall A 1 1 0\n"), "bad.txt:7: too few values; the form is: wall KIND X Y ANGLE ID [as-is]");
  EXPECT_EQ(CompileError(h + "wall A 1 1 0 1 extra\n"),
            "bad.txt:7:16: unexpected 'extra'; the form is: wall KIND X Y ANGLE ID [as-is]");
  EXPECT_EQ(CompileError(h + "wall A 1 1 0 1 \"as-is\"\n"),
            "bad.txt:7:16: unexpected 'as-is'; the form is: wall KIND X Y ANGLE ID [as-is]");
  EXPECT_EQ(CompileError(h + "creature A 1 1 0 1 256 as-is\n"), "bad.txt:7:20: the owner (a player) 256 is outside 0 to 255");
  EXPECT_EQ(CompileError(h + "tree A\n"), "bad.txt:7:1: unknown statement 'tree'");
  EXPECT_EQ(CompileError(h + "wall \"A 1 1 0 1\n"), "bad.txt:7:6: a string has no closing quote");
  EXPECT_EQ(CompileError(h + "wall \"A\\q\" 1 1 0 1\n"), "bad.txt:7:8: unknown escape \\q (known: \\\" \\\\ \\xHH)");
  EXPECT_EQ(CompileError(h + "legend . Water\n"), "bad.txt:7:8: legend character '.' is defined twice");
  EXPECT_EQ(CompileError(h + "legend ab Water\n"),
            "bad.txt:7:8: a legend character is one character (not a blank, '#' or '\"')");
  EXPECT_EQ(CompileError(h + "cell 0 0 Plane\n"), "bad.txt:7:10: floor kind \"Plane\" needs a texture");
  EXPECT_EQ(CompileError(h + "cell 0 0 Water w.jpg\n"),
            "bad.txt:7:16: floor kind \"Water\" carries no texture (only \"Plane\" does)");
  EXPECT_EQ(CompileError(h + "script Start <<END\nbegin\n"), "bad.txt:7:1: script block \"Start\" has no closing line END");
  EXPECT_EQ(CompileError(h + "script Start lines\n\"a\" \"b\"\nend\n"), "bad.txt:8:5: one quoted string per line");
  EXPECT_EQ(CompileError(h + "size 3 2\n"), "bad.txt:7:1: the size is given twice (first on line 1)");
  EXPECT_EQ(CompileError(h + "floor\n...\n...\nend\n"), "bad.txt:7:1: the floor grid is given twice (first on line 3)");
  EXPECT_EQ(CompileError("size 3 2\nlegend . Plane g.jpg\nfloor\n...\n....\nend\n"),
            "bad.txt:5: floor row 1 has 4 tiles; the size says 3");
  EXPECT_EQ(CompileError("size 3 2\nlegend . Plane g.jpg\nfloor\n...\nend\n"),
            "bad.txt:3: the floor grid has 1 rows; the size says 2");
  EXPECT_EQ(CompileError("size 3 2\nlegend . Plane g.jpg\nfloor\n...\n"),
            "bad.txt:3:1: the floor grid has no closing line 'end'");
  EXPECT_EQ(CompileError("size 3 2\nlegend . Plane g.jpg\nfloor\n. .\n"), "bad.txt:4:2: a floor row has no blanks inside");
  EXPECT_EQ(CompileError("legend . Plane g.jpg\n"), "bad.txt: the map has no size line");
  EXPECT_EQ(CompileError("size 1 1\n"), "bad.txt: the map has no floor grid");
}

TEST(MapText, NamesAndReferences) {
  std::string h = kHead;
  game::TMapFile map = Compile(
      "wallkinds Door \"Door\" Gate\n"  // a declared table keeps its order and repeats
      "wallkinds Extra\n" +
      h +
      "wall Gate 0 0 0 1\n"
      "wall @1 1 0 0 2\n"
      "wall New 2 0 0 3\n"
      "wall \"@0\" 0 1 0 4\n"
      "wall \"\\x41\\\\\" 1 1 0 5\n");
  std::vector<std::string> want = {"Door", "Door", "Gate", "Extra", "New", "@0", "A\\"};
  EXPECT_EQ(map.WallKindNames, want);
  ASSERT_EQ(map.Walls.size(), 5u);
  EXPECT_EQ(map.Walls[0].Kind, 2);
  EXPECT_EQ(map.Walls[1].Kind, 1);
  EXPECT_EQ(map.Walls[2].Kind, 4) << "an undeclared name is appended";
  EXPECT_EQ(map.Walls[3].Kind, 5) << "a quoted @ is a name";
  EXPECT_EQ(map.Walls[4].Kind, 6);
  EXPECT_EQ(map.FloorKindNames, std::vector<std::string>{"Plane"});
  EXPECT_EQ(CompileError(h + "wallkinds @3\n"), "bad.txt:7:11: a table lists names; write a name beginning with @ in quotes");
}

}  // namespace
