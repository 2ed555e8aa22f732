// Map text: a line-oriented parser that collects statements, then builds the binary map record;
// and the decompiler, which writes every name table explicitly so that nothing is lost.
#include "game/world/map_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <optional>
#include <set>
#include <utility>
#include <vector>

namespace game {

namespace {

constexpr int kMaxTiles = MapMaxIndex + 1;

// Grid characters the decompiler hands out, most readable first. Not '#' (comments), not '"'
// (strings), not blanks, and not 'e', so that a row can never read "end".
const char kLegendAlphabet[] =
    ".~=+*%&o:;!?$^-_/|<>()[]{},'`@\\0123456789abcdfghijklmnpqrstuvwxyz"
    "ABCDEFGHIJKLMNOPQRSTUVWXYZ";

enum Table { FloorKindTable, FloorTextureTable, WallKindTable, CreatureKindTable, TableCount };
const char* const kTableNames[TableCount] = {"floor kind", "floor texture", "wall kind", "creature kind"};
// What the game does with an index outside a table: it reads an empty name, or none at all.
const char* const kOutsideTableEffects[TableCount] = {
    "the game's cells keep what they had", "the game loads no picture for it (a white placeholder)",
    "the game cannot place the wall and stops loading the map there",
    "the game cannot place the creature and stops loading the map there"};

// The trailing word that keeps a record the game cannot place, or an owner that is no player.
const char kAsIs[] = "as-is";
constexpr int kMaxPlayer = 3;

struct Pos {
  int line = 0;
  int col = 0;
};

// Internal: the first fault ends the compile.
struct Failure {
  Pos pos;
  std::string message;
};

[[noreturn]] void Fail(Pos pos, std::string message) { throw Failure{pos, std::move(message)}; }

struct Token {
  bool quoted = false;
  std::string text;
  Pos pos;
};

// A reference to a name table entry: a name, or "@N" for the entry at index N.
struct NameRef {
  bool byIndex = false;
  uint32_t index = 0;
  std::string name;
  Pos pos;
  Table table = FloorKindTable;
  uint16_t resolved = 0;
};

struct LegendEntry {
  size_t kind = 0;                // into refs
  std::optional<size_t> texture;  // into refs
  Pos pos;
};

struct CellStmt {
  int32_t x = 0, y = 0;
  Pos tilePos;
  size_t kind = 0;
  std::optional<size_t> texture;
};

struct WallStmt {
  size_t kind = 0;
  int32_t x = 0, y = 0;
  Pos tilePos, idPos;
  float angle = 0.0f;
  uint16_t id = 0;
  bool asIs = false;
  Pos asIsPos;
};

struct CreatureStmt {
  size_t kind = 0;
  int32_t x = 0, y = 0;
  Pos tilePos, idPos;
  float angle = 0.0f;
  uint16_t id = 0;
  uint8_t owner = 0;
  bool asIs = false;
  Pos asIsPos;
};

struct GridRow {
  std::string cells;
  std::vector<int> cols;
  int line = 0;
};

std::string Quote(std::string_view s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c == 0x7F) {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

std::string Printable(std::string_view s) {
  std::string q = Quote(s);
  return q.substr(1, q.size() - 2);
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Splits text into lines at LF; a CR before the line end is not part of the line.
std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t lf = text.find('\n', pos);
    size_t stop = lf == std::string_view::npos ? text.size() : lf;
    std::string_view line = text.substr(pos, stop - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    pos = lf == std::string_view::npos ? text.size() : lf + 1;
  }
  return lines;
}

std::vector<Token> Tokenize(std::string_view line, int lineNo) {
  std::vector<Token> tokens;
  size_t i = 0;
  while (i < line.size()) {
    if (IsBlank(line[i])) {
      ++i;
      continue;
    }
    if (line[i] == '#') break;
    Token t;
    t.pos = {lineNo, static_cast<int>(i) + 1};
    if (line[i] == '"') {
      t.quoted = true;
      ++i;
      bool closed = false;
      while (i < line.size()) {
        char c = line[i];
        if (c == '"') {
          closed = true;
          ++i;
          break;
        }
        if (c == '\\') {
          Pos at{lineNo, static_cast<int>(i) + 1};
          if (i + 1 >= line.size()) Fail(at, "a string ends in the middle of an escape");
          char e = line[i + 1];
          if (e == '"' || e == '\\') {
            t.text += e;
            i += 2;
          } else if (e == 'x') {
            int hi = i + 2 < line.size() ? HexValue(line[i + 2]) : -1;
            int lo = i + 3 < line.size() ? HexValue(line[i + 3]) : -1;
            if (hi < 0 || lo < 0) Fail(at, "\\x needs two hexadecimal digits");
            t.text += static_cast<char>(hi * 16 + lo);
            i += 4;
          } else {
            Fail(at, "unknown escape \\" + Printable(std::string(1, e)) + " (known: \\\" \\\\ \\xHH)");
          }
          continue;
        }
        t.text += c;
        ++i;
      }
      if (!closed) Fail(t.pos, "a string has no closing quote");
    } else {
      while (i < line.size() && !IsBlank(line[i]) && line[i] != '#' && line[i] != '"') t.text += line[i++];
    }
    tokens.push_back(std::move(t));
  }
  return tokens;
}

// A whole number in decimal with an optional sign, within [lo, hi].
int64_t ParseInteger(const Token& t, int64_t lo, int64_t hi, const char* what) {
  const std::string& s = t.text;
  bool ok = !t.quoted && !s.empty();
  size_t i = 0;
  bool negative = false;
  if (ok && (s[0] == '+' || s[0] == '-')) {
    negative = s[0] == '-';
    i = 1;
  }
  if (i >= s.size()) ok = false;
  int64_t v = 0;
  for (; ok && i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') {
      ok = false;
      break;
    }
    if (v < 10000000000LL) v = v * 10 + (s[i] - '0');
  }
  if (!ok) Fail(t.pos, std::string("expected a whole number for ") + what + ", found '" + Printable(s) + "'");
  if (negative) v = -v;
  if (v < lo || v > hi)
    Fail(t.pos, std::string(what) + " " + Printable(s) + " is outside " + std::to_string(lo) + " to " +
                    std::to_string(hi));
  return v;
}

// An angle in degrees: a decimal number (optional fraction and exponent), or 0x and eight
// hexadecimal digits giving the float's bits (for values no decimal can name).
float ParseAngle(const Token& t) {
  const std::string& s = t.text;
  auto bad = [&]() { Fail(t.pos, "expected an angle in degrees, found '" + Printable(s) + "'"); };
  if (t.quoted || s.empty()) bad();
  if (s.size() == 10 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    uint32_t bits = 0;
    for (size_t i = 2; i < 10; ++i) {
      int h = HexValue(s[i]);
      if (h < 0) bad();
      bits = bits * 16 + static_cast<uint32_t>(h);
    }
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
  }
  size_t i = 0;
  bool negative = false;
  if (s[0] == '+' || s[0] == '-') {
    negative = s[0] == '-';
    i = 1;
  }
  size_t start = i, digits = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  }
  if (digits == 0) bad();
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    size_t expDigits = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++expDigits;
    if (expDigits == 0) bad();
  }
  if (i != s.size()) bad();
  float f = 0.0f;
  auto r = std::from_chars(s.data() + start, s.data() + s.size(), f, std::chars_format::general);
  if (r.ec == std::errc::result_out_of_range || !std::isfinite(f))
    Fail(t.pos, "angle " + s + " does not fit a 32-bit float");
  if (r.ec != std::errc() || r.ptr != s.data() + s.size()) bad();
  return negative ? -f : f;
}

std::string FormatAngle(float f) {
  if (!std::isfinite(f)) {
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", bits);
    return hex;
  }
  char buffer[64];
  auto r = std::to_chars(buffer, buffer + sizeof buffer, f);  // shortest text that reads back
  return std::string(buffer, r.ptr);
}

std::string TileText(int32_t x, int32_t y) { return "(" + std::to_string(x) + ", " + std::to_string(y) + ")"; }

std::string OutsideMapText(int32_t x, int32_t y, int32_t tilesX, int32_t tilesY) {
  return "tile " + TileText(x, y) + " is outside the map (X 0 to " + std::to_string(tilesX - 1) + ", Y 0 to " +
         std::to_string(tilesY - 1) + ")";
}

// Why a record kept with as-is goes wrong in the game, in the words the compiler and the
// decompiler both use.
std::string CannotPlaceText(bool creature, const std::string& why) {
  return std::string("the game cannot place this ") + (creature ? "creature" : "wall") + ": " + why +
         "; it stops loading the map there (" +
         (creature ? "later creatures and the scripts" : "later walls, every creature and the scripts") +
         " are left out)";
}

std::string NoPlayerText(int owner) {
  return "owner " + std::to_string(owner) + " is not a player (0 to " + std::to_string(kMaxPlayer) + ")";
}

std::string OutsideTableText(uint32_t index, Table table, size_t size) {
  return "@" + std::to_string(index) + " is outside the " + kTableNames[table] + " table (" + std::to_string(size) +
         " names): " + kOutsideTableEffects[table];
}

class Compiler {
 public:
  explicit Compiler(std::string_view text) : lines_(SplitLines(text)) {}

  TMapFile Run() {
    for (lineIndex_ = 0; lineIndex_ < lines_.size(); ++lineIndex_) Statement();
    return Build();
  }

  // Filled by Build: where the records stand, first uses of the table entries, warnings.
  TMapTextNotes& Notes() { return notes_; }

 private:
  int LineNo() const { return static_cast<int>(lineIndex_) + 1; }

  void Statement() {
    std::vector<Token> t = Tokenize(lines_[lineIndex_], LineNo());
    if (t.empty()) return;
    if (t[0].quoted) Fail(t[0].pos, "a line starts with a statement word, not a string");
    const std::string& word = t[0].text;
    if (word == "size") {
      Size(t);
    } else if (word == "floorkinds") {
      Declare(t, FloorKindTable);
    } else if (word == "floortextures") {
      Declare(t, FloorTextureTable);
    } else if (word == "wallkinds") {
      Declare(t, WallKindTable);
    } else if (word == "creaturekinds") {
      Declare(t, CreatureKindTable);
    } else if (word == "legend") {
      Legend(t);
    } else if (word == "floor") {
      Floor(t);
    } else if (word == "cell") {
      Cell(t);
    } else if (word == "wall") {
      Wall(t);
    } else if (word == "creature") {
      Creature(t);
    } else if (word == "script") {
      Script(t);
    } else {
      Fail(t[0].pos, "unknown statement '" + Printable(word) + "'");
    }
  }

  static void Arity(const std::vector<Token>& t, size_t min, size_t max, const char* usage) {
    if (t.size() < min) Fail({t[0].pos.line, 0}, std::string("too few values; the form is: ") + usage);
    if (t.size() > max) Fail(t[max].pos, "unexpected '" + Printable(t[max].text) + "'; the form is: " + usage);
  }

  void Size(const std::vector<Token>& t) {
    Arity(t, 3, 3, "size TILES_X TILES_Y");
    if (sizeGiven_) Fail(t[0].pos, "the size is given twice (first on line " + std::to_string(sizePos_.line) + ")");
    int64_t w = ParseInteger(t[1], 1, INT32_MAX, "the number of tiles");
    int64_t h = ParseInteger(t[2], 1, INT32_MAX, "the number of tiles");
    if (w > kMaxTiles || h > kMaxTiles)
      Fail(t[w > kMaxTiles ? 1 : 2].pos, "map size " + std::to_string(w) + " x " + std::to_string(h) +
                                             " exceeds 100 x 100 tiles (largest tile index 99)");
    sizeGiven_ = true;
    sizePos_ = t[0].pos;
    tilesX_ = static_cast<int32_t>(w);
    tilesY_ = static_cast<int32_t>(h);
  }

  void Declare(const std::vector<Token>& t, Table table) {
    for (size_t i = 1; i < t.size(); ++i) {
      if (!t[i].quoted && !t[i].text.empty() && t[i].text[0] == '@')
        Fail(t[i].pos, "a table lists names; write a name beginning with @ in quotes");
      tables_[table].push_back(t[i].text);
    }
  }

  size_t Ref(const Token& t, Table table) {
    NameRef r;
    r.pos = t.pos;
    r.table = table;
    if (!t.quoted && t.text.size() > 1 && t.text[0] == '@') {
      r.byIndex = true;
      Token number = t;
      number.text = t.text.substr(1);
      r.index = static_cast<uint32_t>(ParseInteger(number, 0, 65535, "a table index"));
    } else {
      r.name = t.text;
    }
    refs_.push_back(std::move(r));
    return refs_.size() - 1;
  }

  void Legend(const std::vector<Token>& t) {
    Arity(t, 3, 4, "legend CHARACTER FLOOR_KIND [TEXTURE]");
    const Token& c = t[1];
    if (c.quoted || c.text.size() != 1)
      Fail(c.pos, "a legend character is one character (not a blank, '#' or '\"')");
    unsigned char ch = static_cast<unsigned char>(c.text[0]);
    if (legend_.count(ch)) Fail(c.pos, "legend character '" + Printable(c.text) + "' is defined twice");
    LegendEntry e;
    e.pos = c.pos;
    e.kind = Ref(t[2], FloorKindTable);
    if (t.size() > 3) e.texture = Ref(t[3], FloorTextureTable);
    legend_[ch] = e;
  }

  void Floor(const std::vector<Token>& t) {
    Arity(t, 1, 1, "floor, then one row per line, then end");
    if (gridGiven_) Fail(t[0].pos, "the floor grid is given twice (first on line " + std::to_string(gridLine_) + ")");
    gridGiven_ = true;
    gridLine_ = t[0].pos.line;
    for (++lineIndex_; lineIndex_ < lines_.size(); ++lineIndex_) {
      std::string_view line = lines_[lineIndex_];
      size_t hash = line.find('#');
      if (hash != std::string_view::npos) line = line.substr(0, hash);
      size_t begin = 0;
      while (begin < line.size() && IsBlank(line[begin])) ++begin;
      size_t end = line.size();
      while (end > begin && IsBlank(line[end - 1])) --end;
      if (begin == end) continue;
      std::string_view row = line.substr(begin, end - begin);
      if (row == "end") return;
      GridRow r;
      r.line = LineNo();
      for (size_t i = begin; i < end; ++i) {
        if (IsBlank(line[i])) Fail({LineNo(), static_cast<int>(i) + 1}, "a floor row has no blanks inside");
        r.cells += line[i];
        r.cols.push_back(static_cast<int>(i) + 1);
      }
      rows_.push_back(std::move(r));
    }
    Fail(t[0].pos, "the floor grid has no closing line 'end'");
  }

  void Cell(const std::vector<Token>& t) {
    Arity(t, 4, 5, "cell X Y FLOOR_KIND [TEXTURE]");
    CellStmt c;
    c.tilePos = t[1].pos;
    c.x = static_cast<int32_t>(ParseInteger(t[1], INT32_MIN, INT32_MAX, "X"));
    c.y = static_cast<int32_t>(ParseInteger(t[2], INT32_MIN, INT32_MAX, "Y"));
    c.kind = Ref(t[3], FloorKindTable);
    if (t.size() > 4) c.texture = Ref(t[4], FloorTextureTable);
    cells_.push_back(std::move(c));
  }

  // The optional trailing as-is of a record statement at token `at`.
  static bool AsIs(const std::vector<Token>& t, size_t at, const char* usage, Pos* pos) {
    if (t.size() <= at) return false;
    if (t[at].quoted || t[at].text != kAsIs)
      Fail(t[at].pos, "unexpected '" + Printable(t[at].text) + "'; the form is: " + usage);
    *pos = t[at].pos;
    return true;
  }

  void Wall(const std::vector<Token>& t) {
    const char* usage = "wall KIND X Y ANGLE ID [as-is]";
    Arity(t, 6, 7, usage);
    WallStmt w;
    w.kind = Ref(t[1], WallKindTable);
    w.tilePos = t[2].pos;
    w.x = static_cast<int32_t>(ParseInteger(t[2], INT32_MIN, INT32_MAX, "X"));
    w.y = static_cast<int32_t>(ParseInteger(t[3], INT32_MIN, INT32_MAX, "Y"));
    w.angle = ParseAngle(t[4]);
    w.idPos = t[5].pos;
    w.id = static_cast<uint16_t>(ParseInteger(t[5], 0, 65535, "the ID"));
    w.asIs = AsIs(t, 6, usage, &w.asIsPos);
    walls_.push_back(w);
  }

  void Creature(const std::vector<Token>& t) {
    const char* usage = "creature KIND X Y ANGLE ID OWNER [as-is]";
    Arity(t, 7, 8, usage);
    CreatureStmt c;
    c.kind = Ref(t[1], CreatureKindTable);
    c.tilePos = t[2].pos;
    c.x = static_cast<int32_t>(ParseInteger(t[2], INT32_MIN, INT32_MAX, "X"));
    c.y = static_cast<int32_t>(ParseInteger(t[3], INT32_MIN, INT32_MAX, "Y"));
    c.angle = ParseAngle(t[4]);
    c.idPos = t[5].pos;
    c.id = static_cast<uint16_t>(ParseInteger(t[5], 0, 65535, "the ID"));
    c.asIs = AsIs(t, 7, usage, &c.asIsPos);
    // The file has a byte for the owner; only as-is keeps one that is no player.
    c.owner = static_cast<uint8_t>(ParseInteger(t[6], 0, c.asIs ? 255 : kMaxPlayer, "the owner (a player)"));
    if (c.owner > kMaxPlayer) Warn(t[6].pos, NoPlayerText(c.owner));
    creatures_.push_back(c);
  }

  void Warn(Pos pos, std::string message) { notes_.Warnings.push_back({{}, pos.line, pos.col, std::move(message)}); }

  void Script(const std::vector<Token>& t) {
    Arity(t, 3, 3, "script NAME <<DELIMITER (verbatim lines) or script NAME lines (quoted lines)");
    TMapScriptBlock block;
    block.Name = t[1].text;
    Pos start = t[0].pos;
    if (!t[2].quoted && t[2].text.size() > 2 && t[2].text.compare(0, 2, "<<") == 0) {
      std::string delimiter = t[2].text.substr(2);
      for (++lineIndex_; lineIndex_ < lines_.size(); ++lineIndex_) {
        if (lines_[lineIndex_] == delimiter) {
          blocks_.push_back(std::move(block));
          return;
        }
        block.Lines.emplace_back(lines_[lineIndex_]);
      }
      Fail(start, "script block " + Quote(block.Name) + " has no closing line " + Printable(delimiter));
    }
    if (t[2].quoted || t[2].text != "lines")
      Fail(t[2].pos, "expected <<DELIMITER or lines after the block name");
    for (++lineIndex_; lineIndex_ < lines_.size(); ++lineIndex_) {
      std::vector<Token> lt = Tokenize(lines_[lineIndex_], LineNo());
      if (lt.empty()) continue;
      if (!lt[0].quoted && lt[0].text == "end" && lt.size() == 1) {
        blocks_.push_back(std::move(block));
        return;
      }
      if (!lt[0].quoted) Fail(lt[0].pos, "a script line in a lines block is a quoted string");
      if (lt.size() > 1) Fail(lt[1].pos, "one quoted string per line");
      block.Lines.push_back(lt[0].text);
    }
    Fail(start, "script block " + Quote(block.Name) + " has no closing line 'end'");
  }

  // ---- Building ----------------------------------------------------------------------------

  // Names first, so that @N means entry N of the finished table wherever it stands. An index
  // outside the table is kept (the game reads such maps) with a warning.
  void Resolve() {
    for (NameRef& r : refs_) {
      if (r.byIndex) continue;
      std::vector<std::string>& table = tables_[r.table];
      size_t i = 0;
      while (i < table.size() && table[i] != r.name) ++i;
      if (i == table.size()) {
        if (table.size() >= 0xFFFF)
          Fail(r.pos, std::string("the ") + kTableNames[r.table] + " table is full (65535 names)");
        table.push_back(r.name);
      }
      r.resolved = static_cast<uint16_t>(i);
    }
    for (NameRef& r : refs_) {
      if (!r.byIndex) continue;
      size_t size = tables_[r.table].size();
      if (r.index >= size) Warn(r.pos, OutsideTableText(r.index, r.table, size));
      r.resolved = static_cast<uint16_t>(r.index);
    }
    for (const NameRef& r : refs_) {
      std::vector<TMapTextPlace>& uses = notes_.FirstUse[r.table];
      if (uses.size() <= r.resolved) uses.resize(r.resolved + 1u);
      if (uses[r.resolved].Line == 0) uses[r.resolved] = {r.pos.line, r.pos.col};
    }
  }

  // The cell a floor kind and texture reference give, checking that a texture goes with "Plane"
  // and nothing else.
  TMapCell FloorCell(size_t kind, const std::optional<size_t>& texture) {
    TMapCell cell;
    const NameRef& k = refs_[kind];
    cell.Kind = k.resolved;
    const std::string& name = MapTableName(tables_[FloorKindTable], k.resolved);
    if (MapCellHasTexture(name)) {
      if (!texture) Fail(k.pos, "floor kind \"Plane\" needs a texture");
      cell.Texture = refs_[*texture].resolved;
    } else if (texture) {
      Fail(refs_[*texture].pos, "floor kind " + Quote(name) + " carries no texture (only \"Plane\" does)");
    }
    return cell;
  }

  bool Inside(int32_t x, int32_t y) const { return x >= 0 && y >= 0 && x < tilesX_ && y < tilesY_; }

  void CheckTile(int32_t x, int32_t y, Pos pos) {
    if (!Inside(x, y)) Fail(pos, OutsideMapText(x, y, tilesX_, tilesY_));
  }

  // A wall or creature on a tile outside the map, or on one its kind already holds, is refused;
  // with as-is it is kept and warned about, for the game reads such maps. `tiles` holds the
  // tiles of the earlier records of the kind, with their lines.
  void CheckPlacement(bool creature, int32_t x, int32_t y, Pos tilePos, bool asIs, Pos asIsPos, bool oddOwner,
                      std::map<std::pair<int32_t, int32_t>, int>* tiles) {
    std::string why;
    if (!Inside(x, y)) {
      why = OutsideMapText(x, y, tilesX_, tilesY_);
    } else {
      auto [it, fresh] = tiles->emplace(std::make_pair(x, y), tilePos.line);
      if (!fresh)
        why = std::string("a ") + (creature ? "creature" : "wall") + " already stands on tile " + TileText(x, y) +
              " (line " + std::to_string(it->second) + ")";
    }
    if (why.empty()) {
      if (asIs && !oddOwner) Warn(asIsPos, "nothing on this line needs as-is");
      return;
    }
    if (!asIs) Fail(tilePos, why);
    Warn(tilePos, CannotPlaceText(creature, why));
  }

  TMapFile Build() {
    if (!sizeGiven_) Fail({}, "the map has no size line");
    if (!gridGiven_) Fail({}, "the map has no floor grid");
    for (int table = 0; table < TableCount; ++table)
      if (tables_[table].size() > 0xFFFF)
        Fail({}, std::string("the ") + kTableNames[table] + " table has more than 65535 names");
    Resolve();
    TMapFile map;
    map.MapWidth = static_cast<uint16_t>(tilesX_ - 1);
    map.MapHeight = static_cast<uint16_t>(tilesY_ - 1);

    std::map<unsigned char, TMapCell> legendCells;
    for (const auto& [ch, entry] : legend_) legendCells[ch] = FloorCell(entry.kind, entry.texture);
    if (rows_.size() != static_cast<size_t>(tilesY_))
      Fail({gridLine_, 0}, "the floor grid has " + std::to_string(rows_.size()) + " rows; the size says " +
                               std::to_string(tilesY_));
    map.Cells.resize(static_cast<size_t>(tilesX_) * static_cast<size_t>(tilesY_));
    for (int32_t y = 0; y < tilesY_; ++y) {
      const GridRow& row = rows_[static_cast<size_t>(y)];
      if (row.cells.size() != static_cast<size_t>(tilesX_))
        Fail({row.line, 0}, "floor row " + std::to_string(y) + " has " + std::to_string(row.cells.size()) +
                                " tiles; the size says " + std::to_string(tilesX_));
      for (int32_t x = 0; x < tilesX_; ++x) {
        unsigned char ch = static_cast<unsigned char>(row.cells[static_cast<size_t>(x)]);
        auto it = legendCells.find(ch);
        if (it == legendCells.end())
          Fail({row.line, row.cols[static_cast<size_t>(x)]},
               "unknown legend character '" + Printable(std::string(1, static_cast<char>(ch))) + "'");
        map.Cell(x, y) = it->second;
      }
    }
    for (const CellStmt& c : cells_) {
      CheckTile(c.x, c.y, c.tilePos);
      map.Cell(c.x, c.y) = FloorCell(c.kind, c.texture);
    }

    std::map<std::pair<int32_t, int32_t>, int> wallTiles;
    for (const WallStmt& w : walls_) {
      CheckPlacement(false, w.x, w.y, w.tilePos, w.asIs, w.asIsPos, false, &wallTiles);
      map.Walls.push_back({refs_[w.kind].resolved, w.x, w.y, w.angle, w.id});
      notes_.Walls.push_back({Place(refs_[w.kind].pos), Place(w.tilePos), Place(w.idPos)});
    }
    std::map<std::pair<int32_t, int32_t>, int> creatureTiles;
    for (const CreatureStmt& c : creatures_) {
      CheckPlacement(true, c.x, c.y, c.tilePos, c.asIs, c.asIsPos, c.owner > kMaxPlayer, &creatureTiles);
      map.Creatures.push_back({refs_[c.kind].resolved, c.x, c.y, c.angle, c.id, c.owner});
      notes_.Creatures.push_back({Place(refs_[c.kind].pos), Place(c.tilePos), Place(c.idPos)});
    }
    if (blocks_.size() > 0xFFFF) Fail({}, "more than 65535 script blocks");
    for (const TMapScriptBlock& b : blocks_) {
      if (b.Name.size() > 0xFFFF) Fail({}, "a script block name is longer than 65535 bytes");
      if (b.Lines.size() > 0xFFFF) Fail({}, "script block " + Quote(b.Name) + " has more than 65535 lines");
      for (const std::string& l : b.Lines)
        if (l.size() > 0xFFFF) Fail({}, "a line of script block " + Quote(b.Name) + " is longer than 65535 bytes");
    }
    for (const std::vector<std::string>& table : tables_)
      for (const std::string& name : table)
        if (name.size() > 0xFFFF) Fail({}, "a name is longer than 65535 bytes");
    map.Blocks = blocks_;
    map.FloorKindNames = tables_[FloorKindTable];
    map.FloorTextureNames = tables_[FloorTextureTable];
    map.WallKindNames = tables_[WallKindTable];
    map.CreatureKindNames = tables_[CreatureKindTable];
    return map;
  }

  static TMapTextPlace Place(Pos pos) { return {pos.line, pos.col}; }

  std::vector<std::string_view> lines_;
  size_t lineIndex_ = 0;
  TMapTextNotes notes_;

  bool sizeGiven_ = false;
  Pos sizePos_;
  int32_t tilesX_ = 0, tilesY_ = 0;
  std::vector<std::string> tables_[TableCount];
  std::deque<NameRef> refs_;
  std::map<unsigned char, LegendEntry> legend_;
  bool gridGiven_ = false;
  int gridLine_ = 0;
  std::vector<GridRow> rows_;
  std::vector<CellStmt> cells_;
  std::vector<WallStmt> walls_;
  std::vector<CreatureStmt> creatures_;
  std::vector<TMapScriptBlock> blocks_;
};

// ---- Decompiling -------------------------------------------------------------------------

// A name table as the decompiler refers to it: an entry goes by its name when it is the first
// entry with that name, else by "@index".
// An index outside the table goes by "@index" too, and `oddity` receives the warning for it.
class TableRefs {
 public:
  TableRefs(const std::vector<std::string>& names, Table table) : names_(names), table_(table) {
    std::set<std::string> seen;
    for (const std::string& n : names) first_.push_back(seen.insert(n).second);
  }
  std::string Ref(uint16_t index, std::string* oddity) const {
    if (index >= names_.size()) {
      *oddity = OutsideTableText(index, table_, names_.size());
      return "@" + std::to_string(index);
    }
    return first_[index] ? Quote(names_[index]) : "@" + std::to_string(index);
  }

 private:
  const std::vector<std::string>& names_;
  Table table_;
  std::vector<bool> first_;
};

void WriteTable(std::string& out, const char* keyword, const std::vector<std::string>& table) {
  // A few names per line keeps long tables readable; repeated lines append.
  constexpr size_t kPerLine = 8;
  if (table.empty()) {
    out += keyword;
    out += '\n';
    return;
  }
  for (size_t i = 0; i < table.size(); i += kPerLine) {
    out += keyword;
    for (size_t j = i; j < table.size() && j < i + kPerLine; ++j) out += " " + Quote(table[j]);
    out += '\n';
  }
}

}  // namespace

std::string TMapTextError::Text() const {
  std::string where = File;
  if (Line > 0) {
    where += ":" + std::to_string(Line);
    if (Column > 0) where += ":" + std::to_string(Column);
  }
  return where + ": " + Message;
}

bool MapCompileText(std::string_view text, const std::string& fileName, TMapFile* map,
                    TMapTextError* error, TMapTextNotes* notes) {
  try {
    Compiler compiler(text);
    *map = compiler.Run();
    if (notes) {
      *notes = std::move(compiler.Notes());
      for (TMapTextError& w : notes->Warnings) w.File = fileName;
      std::stable_sort(notes->Warnings.begin(), notes->Warnings.end(), [](const TMapTextError& a, const TMapTextError& b) {
        return std::make_pair(a.Line, a.Column) < std::make_pair(b.Line, b.Column);
      });
    }
    return true;
  } catch (const Failure& f) {
    if (error) *error = {fileName, f.pos.line, f.pos.col, f.message};
    return false;
  }
}

bool MapDecompile(const TMapFile& map, std::string* text, std::string* error,
                  std::vector<TMapTextError>* warnings) {
  std::string out;
  int32_t tilesX = map.MapWidth + 1, tilesY = map.MapHeight + 1;
  if (map.Cells.size() != static_cast<size_t>(tilesX) * static_cast<size_t>(tilesY)) {
    if (error) *error = "the map's cell list does not match its size";
    return false;
  }
  // The line being written is the number of line ends so far, plus one.
  int line = 1;
  auto emit = [&](const std::string& piece) {
    out += piece;
    line += static_cast<int>(std::count(piece.begin(), piece.end(), '\n'));
  };
  auto warn = [&](const std::string& oddity) {
    if (warnings && !oddity.empty()) warnings->push_back({{}, line, 0, oddity});
  };
  TableRefs floorKinds(map.FloorKindNames, FloorKindTable);
  TableRefs floorTextures(map.FloorTextureNames, FloorTextureTable);
  TableRefs wallKinds(map.WallKindNames, WallKindTable);
  TableRefs creatureKinds(map.CreatureKindNames, CreatureKindTable);
  emit("# Tessera map (docs/map-format.md)\n");
  emit("size " + std::to_string(tilesX) + " " + std::to_string(tilesY) + "\n\n");
  std::string tables;
  WriteTable(tables, "floorkinds", map.FloorKindNames);
  WriteTable(tables, "floortextures", map.FloorTextureNames);
  WriteTable(tables, "wallkinds", map.WallKindNames);
  WriteTable(tables, "creaturekinds", map.CreatureKindNames);
  emit(tables);

  // One legend character per distinct cell, in the order the grid meets them; cells beyond the
  // alphabet are written as cell lines.
  auto cellKey = [&](const TMapCell& c) {
    bool textured = MapCellHasTexture(MapTableName(map.FloorKindNames, c.Kind));
    return std::make_pair(c.Kind, textured ? static_cast<int32_t>(c.Texture) : -1);
  };
  std::map<std::pair<uint16_t, int32_t>, char> chars;
  std::vector<std::pair<uint16_t, int32_t>> order;
  const size_t alphabet = sizeof kLegendAlphabet - 1;
  for (const TMapCell& c : map.Cells) {
    auto key = cellKey(c);
    if (!chars.count(key) && order.size() < alphabet) {
      chars[key] = kLegendAlphabet[order.size()];
      order.push_back(key);
    }
  }
  // The references of a cell; an index outside a table is warned about where it is written.
  auto floorRefs = [&](std::pair<uint16_t, int32_t> key, std::vector<std::string>* oddities) {
    std::string kindOddity, textureOddity;
    std::string refs = floorKinds.Ref(key.first, &kindOddity);
    if (key.second >= 0) refs += " " + floorTextures.Ref(static_cast<uint16_t>(key.second), &textureOddity);
    for (const std::string& o : {kindOddity, textureOddity})
      if (!o.empty()) oddities->push_back(o);
    return refs;
  };
  emit("\n# legend CHARACTER FLOOR_KIND [TEXTURE]\n");
  for (const auto& key : order) {
    std::vector<std::string> oddities;
    std::string refs = floorRefs(key, &oddities);
    for (const std::string& o : oddities) warn(o);
    emit("legend " + std::string(1, chars[key]) + " " + refs + "\n");
  }
  emit("\nfloor\n");
  std::string grid;
  std::vector<std::pair<std::string, std::vector<std::string>>> overflow;
  for (int32_t y = 0; y < tilesY; ++y) {
    for (int32_t x = 0; x < tilesX; ++x) {
      auto key = cellKey(map.Cell(x, y));
      auto it = chars.find(key);
      if (it != chars.end()) {
        grid += it->second;
      } else {
        grid += kLegendAlphabet[0];
        std::vector<std::string> oddities;
        std::string refs = floorRefs(key, &oddities);
        overflow.push_back({"cell " + std::to_string(x) + " " + std::to_string(y) + " " + refs + "\n", oddities});
      }
    }
    grid += '\n';
  }
  emit(grid);
  emit("end\n");
  for (const auto& [cellLine, oddities] : overflow) {
    for (const std::string& o : oddities) warn(o);
    emit(cellLine);
  }

  // Records the compiler refuses as written get as-is, decided exactly as the compiler decides:
  // outside the map, or on a tile an earlier record of their kind holds (inside the map).
  std::set<std::pair<int32_t, int32_t>> wallTiles, creatureTiles;
  auto placement = [&](bool creature, int32_t x, int32_t y, std::set<std::pair<int32_t, int32_t>>* tiles) {
    if (x < 0 || y < 0 || x >= tilesX || y >= tilesY) return CannotPlaceText(creature, OutsideMapText(x, y, tilesX, tilesY));
    if (!tiles->insert({x, y}).second)
      return CannotPlaceText(creature, std::string("a ") + (creature ? "creature" : "wall") +
                                           " already stands on tile " + TileText(x, y));
    return std::string();
  };
  if (!map.Walls.empty()) emit("\n# wall KIND X Y ANGLE ID\n");
  for (const TMapWall& w : map.Walls) {
    std::string kindOddity;
    std::string kind = wallKinds.Ref(w.Kind, &kindOddity);
    std::string placeOddity = placement(false, w.X, w.Y, &wallTiles);
    warn(kindOddity);
    warn(placeOddity);
    emit("wall " + kind + " " + std::to_string(w.X) + " " + std::to_string(w.Y) + " " + FormatAngle(w.Angle) + " " +
         std::to_string(w.ID) + (placeOddity.empty() ? "" : std::string(" ") + kAsIs) + "\n");
  }
  if (!map.Creatures.empty()) emit("\n# creature KIND X Y ANGLE ID OWNER\n");
  for (const TMapCreature& c : map.Creatures) {
    std::string kindOddity;
    std::string kind = creatureKinds.Ref(c.Kind, &kindOddity);
    std::string placeOddity = placement(true, c.X, c.Y, &creatureTiles);
    std::string ownerOddity = c.Owner > kMaxPlayer ? NoPlayerText(c.Owner) : std::string();
    warn(kindOddity);
    warn(placeOddity);
    warn(ownerOddity);
    bool asIs = !placeOddity.empty() || !ownerOddity.empty();
    emit("creature " + kind + " " + std::to_string(c.X) + " " + std::to_string(c.Y) + " " + FormatAngle(c.Angle) +
         " " + std::to_string(c.ID) + " " + std::to_string(c.Owner) + (asIs ? std::string(" ") + kAsIs : "") + "\n");
  }

  for (const TMapScriptBlock& b : map.Blocks) {
    bool verbatim = true;
    for (const std::string& l : b.Lines)
      if (l.find_first_of("\r\n") != std::string::npos) verbatim = false;
    out += "\n";
    if (verbatim) {
      std::string delimiter = "END";
      for (int n = 1;; ++n) {
        bool clash = false;
        for (const std::string& l : b.Lines) clash = clash || l == delimiter;
        if (!clash) break;
        delimiter = "END_" + std::to_string(n);
      }
      out += "script " + Quote(b.Name) + " <<" + delimiter + "\n";
      for (const std::string& l : b.Lines) out += l + "\n";
      out += delimiter + "\n";
    } else {
      out += "script " + Quote(b.Name) + " lines\n";
      for (const std::string& l : b.Lines) out += Quote(l) + "\n";
      out += "end\n";
    }
  }
  *text = std::move(out);
  return true;
}

}  // namespace game
