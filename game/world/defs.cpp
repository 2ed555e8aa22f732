// Definition-file routines, conversions, name rules and the untyped core of the reader.
#include "game/world/defs.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <system_error>

#include "game/core/fatal.h"
#include "game/core/game_core.h"
#include "game/world/diagnostics.h"

namespace game {

namespace {

constexpr char kEndOfFile = 26;  // a byte 26 ends definition text

// Where each kind of a kind list was read from, by (list address, index).
std::map<std::pair<const void*, size_t>, TDefRead> g_sources;

// Doubles at or beyond this magnitude round to infinity as a 32-bit float (FLT_MAX plus half a
// unit in the last place).
constexpr double kFloatOverflow = 3.4028235677973366e38;

bool IsBlank(char c) { return c == ' '; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Upper case of one Windows-1251 byte: ASCII letters, the Russian alphabet (E0..FF -> C0..DF)
// and the other Cyrillic letters of the code page, whose pairs sit at scattered places.
unsigned char UpperAnsiByte(unsigned char c) {
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
  if (c >= 0xE0) return static_cast<unsigned char>(c - 32);
  switch (c) {
    case 0x83: return 0x81;  // gje
    case 0x90: return 0x80;  // dje
    case 0x9A: return 0x8A;  // lje
    case 0x9C: return 0x8C;  // nje
    case 0x9D: return 0x8D;  // kje
    case 0x9E: return 0x8E;  // tshe
    case 0x9F: return 0x8F;  // dzhe
    case 0xA2: return 0xA1;  // short u
    case 0xB3: return 0xB2;  // Ukrainian i
    case 0xB4: return 0xA5;  // ghe with upturn
    case 0xB8: return 0xA8;  // io
    case 0xBA: return 0xAA;  // Ukrainian ie
    case 0xBC: return 0xA3;  // je
    case 0xBE: return 0xBD;  // dze
    case 0xBF: return 0xAF;  // yi
    default: return c;
  }
}

// The position (0-based) of the first "=" at 1-based position 2 or later, or npos.
size_t ValueSeparator(const std::string& cleaned) {
  return cleaned.size() < 2 ? std::string::npos : cleaned.find('=', 1);
}

// The power of ten of a number's leading digit (roughly), from a text already checked to be a
// decimal number without sign; saturates far beyond the range of any float.
long DecimalExponent(std::string_view number) {
  size_t i = 0;
  long position = 0;
  bool seenDigit = false;
  bool fraction = false;
  for (; i < number.size() && number[i] != 'e' && number[i] != 'E'; ++i) {
    if (number[i] == '.') {
      fraction = true;
    } else if (!seenDigit && number[i] == '0') {
      if (fraction) --position;
    } else if (!seenDigit) {
      seenDigit = true;
      if (fraction) --position;
    } else if (!fraction) {
      ++position;
    }
  }
  if (!seenDigit) return 0;
  long exponent = 0;
  if (i < number.size()) {
    ++i;
    bool negative = false;
    if (i < number.size() && (number[i] == '+' || number[i] == '-')) negative = number[i++] == '-';
    for (; i < number.size(); ++i)
      if (exponent < 1000000) exponent = exponent * 10 + (number[i] - '0');
    if (negative) exponent = -exponent;
  }
  return position + exponent;
}

// Text whose lines end in CR alone: a CR that is not followed by LF, and no LF at all.
bool IsCrOnly(std::string_view text) {
  if (text.find('\n') != std::string_view::npos) return false;
  size_t cr = text.find('\r');
  return cr != std::string_view::npos && cr + 1 < text.size();
}

// Edits (insert, remove, change, swap of neighbours) that turn `a` into `b`.
size_t EditDistance(const std::string& a, const std::string& b) {
  std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1));
  for (size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    for (size_t j = 1; j <= b.size(); ++j) {
      size_t change = a[i - 1] == b[j - 1] ? 0 : 1;
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + change});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
    }
  }
  return d[a.size()][b.size()];
}

std::string BackslashesToSlashes(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c == '\\') c = '/';
  return out;
}

// Depth-first search for an existing path whose components match parts[i..] without regard to
// case, below `done` (empty or ending in "/"). On success `best` is that path; otherwise `best`
// is the deepest match found, with the rest of the parts as asked.
bool ResolveParts(const std::string& done, const std::vector<std::string>& parts, size_t i,
                  std::string* best, size_t* bestDepth) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (i == parts.size()) {
    *best = done.size() > 1 && done.back() == '/' ? done.substr(0, done.size() - 1) : done;
    return true;
  }
  const std::string& part = parts[i];
  bool last = i + 1 == parts.size();
  auto descend = [&](const std::string& name) {
    std::string next = done + name;
    if (last) {
      *best = next;
      return true;
    }
    return ResolveParts(next + "/", parts, i + 1, best, bestDepth);
  };
  auto tryName = [&](const std::string& name) {
    if (i + 1 > *bestDepth) {
      *bestDepth = i + 1;
      std::string rest;
      for (size_t j = i + 1; j < parts.size(); ++j) rest += "/" + parts[j];
      *best = done + name + rest;
    }
    fs::path here(done + name);
    return (last ? fs::exists(here, ec) : fs::is_directory(here, ec)) && descend(name);
  };
  // The name as asked first; other spellings only when it leads nowhere.
  bool special = part.empty() || part == "." || part == "..";
  if ((special || fs::exists(fs::path(done + part), ec)) && tryName(part)) return true;
  if (special) return false;
  std::string wanted = UpperAnsi(part);
  std::vector<std::string> others;
  for (fs::directory_iterator it(done.empty() ? "." : done, ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    if (name != part && UpperAnsi(name) == wanted) others.push_back(name);
  }
  std::sort(others.begin(), others.end());
  for (const std::string& name : others)
    if (tryName(name)) return true;
  return false;
}

// `base` + `rest` when it exists; otherwise the path whose components after `base` (empty or
// ending in "/") match the existing entries case-insensitively, as far as they can be found.
std::string ResolveBelow(const std::string& base, const std::string& rest) {
  namespace fs = std::filesystem;
  std::error_code ec;
  std::string path = base + rest;
  if (rest.empty() || fs::exists(fs::path(path), ec)) return path;
  std::vector<std::string> parts;
  for (size_t pos = 0;;) {
    size_t slash = rest.find('/', pos);
    parts.push_back(rest.substr(pos, slash == std::string::npos ? std::string::npos : slash - pos));
    if (slash == std::string::npos) break;
    pos = slash + 1;
  }
  std::string best = path;
  size_t bestDepth = 0;
  ResolveParts(base, parts, 0, &best, &bestDepth);
  return best;
}

}  // namespace

// ---- Line routines -------------------------------------------------------------------------

std::string CleanLine(std::string_view line) {
  std::string out;
  out.reserve(line.size());
  bool quoted = false;
  bool comment = false;
  for (size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (c == '/' && i + 1 < line.size() && line[i + 1] == '/') comment = true;
    if (c == '"') quoted = !quoted;
    if ((c != ' ' || quoted) && c != '"' && c != '\t' && !comment) out.push_back(c);
  }
  return out;
}

std::string GetKey(std::string_view line) {
  std::string cleaned = CleanLine(line);
  size_t eq = ValueSeparator(cleaned);
  return eq == std::string::npos ? cleaned : cleaned.substr(0, eq);
}

std::string GetValue(std::string_view line) {
  std::string cleaned = CleanLine(line);
  size_t eq = ValueSeparator(cleaned);
  return eq == std::string::npos ? std::string() : cleaned.substr(eq + 1);
}

bool ParseBool(std::string_view value) { return value.empty() || UpperAscii(value) == "TRUE"; }

std::string StripComment(std::string_view line) {
  for (size_t i = 0; i + 1 < line.size(); ++i)
    if (line[i] == '/' && line[i + 1] == '/') return std::string(line.substr(0, i));
  return std::string(line);
}

// ---- Case ----------------------------------------------------------------------------------

std::string UpperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return out;
}

std::string UpperAnsi(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(UpperAnsiByte(static_cast<unsigned char>(c)));
  return out;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (UpperAnsiByte(static_cast<unsigned char>(a[i])) !=
        UpperAnsiByte(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

// ---- Conversions ---------------------------------------------------------------------------

bool TryStrToInt(std::string_view text, int32_t* value) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  bool hex = false;
  if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i >= text.size()) return false;
  uint64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    if (hex) {
      int d = HexDigit(text[i]);
      if (d < 0) return false;
      magnitude = magnitude * 16 + static_cast<uint64_t>(d);
      if (magnitude > 0xFFFFFFFFull) return false;
    } else {
      if (!IsDigit(text[i])) return false;
      magnitude = magnitude * 10 + static_cast<uint64_t>(text[i] - '0');
      if (magnitude > 2147483648ull) return false;
    }
  }
  int64_t result;
  if (hex) {
    // Hexadecimal fills all 32 bits: $FFFFFFFF is -1, and a sign applies to that pattern.
    result = static_cast<int32_t>(static_cast<uint32_t>(magnitude));
    if (negative) result = -result;
    *value = static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(result)));
    return true;
  }
  result = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
  if (result > INT32_MAX || result < INT32_MIN) return false;
  *value = static_cast<int32_t>(result);
  return true;
}

bool TryStrToFloat(std::string_view text, float* value) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  std::string_view number = text.substr(begin, end - begin);
  // The grammar is checked here, so that from_chars sees only what the game accepts (no "inf",
  // "nan", hexadecimal or ",").
  size_t i = 0;
  if (i < number.size() && (number[i] == '+' || number[i] == '-')) ++i;
  size_t digits = 0;
  while (i < number.size() && IsDigit(number[i])) ++i, ++digits;
  if (i < number.size() && number[i] == '.') {
    ++i;
    while (i < number.size() && IsDigit(number[i])) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < number.size() && (number[i] == 'e' || number[i] == 'E')) {
    ++i;
    if (i < number.size() && (number[i] == '+' || number[i] == '-')) ++i;
    size_t expDigits = 0;
    while (i < number.size() && IsDigit(number[i])) ++i, ++expDigits;
    if (expDigits == 0) return false;
  }
  if (i != number.size()) return false;
  // from_chars takes no leading "+".
  std::string_view unsigned_part = number;
  bool negative = false;
  if (unsigned_part[0] == '+' || unsigned_part[0] == '-') {
    negative = unsigned_part[0] == '-';
    unsigned_part.remove_prefix(1);
  }
  double d = 0.0;
  auto result = std::from_chars(unsigned_part.data(), unsigned_part.data() + unsigned_part.size(), d,
                                std::chars_format::general);
  if (result.ec == std::errc::result_out_of_range) {
    // Too small underflows to zero; too large does not fit.
    if (DecimalExponent(unsigned_part) > 0) return false;
    d = 0.0;
  } else if (result.ec != std::errc() || result.ptr != unsigned_part.data() + unsigned_part.size()) {
    return false;
  }
  if (std::fabs(d) >= kFloatOverflow) return false;
  *value = static_cast<float>(negative ? -d : d);
  return true;
}

// The value comes from the file as it is: a NUL byte in it would cut the message short wherever it
// is shown, and a 1 MB value would fill the message box.
std::string InvalidIntegerMessage(std::string_view text) {
  return "'" + eng::PrintableText(text) + "' is not a valid integer value";
}

std::string InvalidFloatMessage(std::string_view text) {
  return "'" + eng::PrintableText(text) + "' is not a valid floating point value";
}

int32_t TDefLine::Int() const {
  int32_t v = 0;
  if (!TryStrToInt(Value, &v)) throw FatalError(InvalidIntegerMessage(Value), File ? *File : "", Line);
  return v;
}

float TDefLine::Float() const {
  float v = 0.0f;
  if (!TryStrToFloat(Value, &v)) throw FatalError(InvalidFloatMessage(Value), File ? *File : "", Line);
  return v;
}

std::string TDefLine::FileName(std::string_view folder) const { return DataPath(folder, Value); }

// ---- Paths ---------------------------------------------------------------------------------

std::string DataPath(std::string_view folder, std::string_view value) {
  return ResolvePathCase(BackslashesToSlashes(Core().AppDir) + BackslashesToSlashes(folder) +
                         BackslashesToSlashes(value));
}

std::string ResolvePathCase(const std::string& path) {
  if (path.empty()) return path;
  // Only what lies below the game folder is content, authored perhaps where case does not matter;
  // the game folder itself is taken as given, so that a missing file costs one listing per level
  // of content, not one of every folder up to the root.
  const std::string& base = Core().AppDir;
  if (!base.empty() && base.back() == '/' && path.size() > base.size() && path.compare(0, base.size(), base) == 0)
    return ResolveBelow(base, path.substr(base.size()));
  return path[0] == '/' ? ResolveBelow("/", path.substr(1)) : ResolveBelow("", path);
}

std::string ReadWholeFile(const std::string& path, uint64_t maxBytes) {
  std::string bytes;
  eng::DataFileResult read = eng::ReadDataFile(path, maxBytes, &bytes);
  if (read.Status == eng::DataFileStatus::Missing) throw FatalError("File not found", path, 0);
  if (read.Status != eng::DataFileStatus::Ok) throw FatalError(DataFileMessage(read), path, 0);
  return bytes;
}

bool ReadDefinitionFile(const std::string& path, std::string* text) {
  eng::DataFileResult read = eng::ReadDataFile(path, eng::MaxDataFileBytes, text);
  if (read.Status == eng::DataFileStatus::TooLarge) {
    ReportProblem({ShownPath(path), 0, 0, "the file " + read.Reason + ": it is not read"});
    return false;
  }
  if (read.Status != eng::DataFileStatus::Ok) throw FatalError(DataFileMessage(read), path, 0);
  return true;
}

std::string DataFileMessage(const eng::DataFileResult& result) {
  if (result.Status == eng::DataFileStatus::Missing) return "File not found";
  std::string text = result.Reason;
  if (!text.empty()) text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
  return text;
}

// ---- The reader ----------------------------------------------------------------------------

std::optional<std::string> TDefRead::Last(const std::string& key) const {
  auto it = last_.find(key);
  if (it == last_.end()) return std::nullopt;
  return it->second.first;
}

int TDefRead::LastLine(const std::string& key) const {
  auto it = last_.find(key);
  return it == last_.end() ? 0 : it->second.second;
}

const TDefRead* FindDefinitionSource(const void* list, size_t index) {
  auto it = g_sources.find({list, index});
  return it == g_sources.end() ? nullptr : &it->second;
}

void KeepDefinitionSource(const void* list, size_t index, TDefRead read) {
  g_sources[{list, index}] = std::move(read);
}

void DefinitionSourcesReset() { g_sources.clear(); }

bool LinesAreText(std::string_view text) {
  size_t eof = text.find(kEndOfFile);
  if (eof != std::string_view::npos) text = text.substr(0, eof);
  if (text.find('\0') != std::string_view::npos) return false;
  return !IsCrOnly(text);
}

bool CheckDefinitionText(std::string_view text, const std::string& file) {
  size_t eof = text.find(kEndOfFile);
  std::string_view read = eof == std::string_view::npos ? text : text.substr(0, eof);
  if (read.find_first_not_of(" \t\r\n") == std::string_view::npos) {
    ReportProblem({file, 0, 0, text.empty() ? "the file is empty" : "the file holds nothing but blanks"});
    return false;
  }
  // A byte order mark becomes part of the first key, so that NAME is not found.
  if (read.substr(0, 3) == "\xEF\xBB\xBF")
    ReportProblem({file, 1, 0, "the file starts with a UTF-8 byte order mark, which becomes part of the first key; "
                               "save it without one"});
  size_t nul = read.find('\0');
  if (nul != std::string_view::npos) {
    int line = 1 + static_cast<int>(std::count(read.begin(), read.begin() + static_cast<std::ptrdiff_t>(nul), '\n'));
    ReportProblem({file, line, 0, "the file holds NUL bytes: it is not a text file"});
    return false;
  }
  if (IsCrOnly(read)) {
    ReportProblem({file, 0, 0,
                   "the lines end in CR alone, so the whole file reads as one line; save it with LF or CR LF "
                   "line ends"});
    return false;
  }
  return true;
}

std::string ClosestKey(const std::string& key, const std::vector<std::string>& known) {
  std::string best;
  size_t bestDistance = 0;
  for (const std::string& candidate : known) {
    // Lengths further apart than two edits can bridge are not compared (a 1 MB line is no typo).
    if (key.size() > candidate.size() + 2 || candidate.size() > key.size() + 2) continue;
    size_t d = EditDistance(key, candidate);
    // Near enough to be a slip of the fingers, not another word: at most two edits, and fewer
    // than half the letters of the shorter word.
    size_t shorter = std::min(key.size(), candidate.size());
    if (d == 0 || d > 2 || 2 * d >= shorter) continue;
    if (best.empty() || d < bestDistance) {
      best = candidate;
      bestDistance = d;
    }
  }
  return best;
}

void ReportUnknownKey(const TDefLine& line, const std::vector<std::string>& known) {
  std::string file = line.File ? ShownPath(*line.File) : std::string();
  std::string key = eng::PrintableText(line.Key, 60);
  std::string closest = ClosestKey(line.Key, known);
  std::string message = line.HasSeparator ? "unknown key \"" + key + "\""
                                          : "\"" + key + "\" is no key this file knows and has no \"=\"";
  if (!closest.empty()) message += " (did you mean " + closest + "?)";
  message += "; the line is ignored";
  ReportProblem({file, line.Line, 0, message});
}

void ReportKindWithoutName(const TDefRead& read, const std::string& file, std::string_view text) {
  if (text.find_first_not_of(" \t\r\n") == std::string_view::npos) return;  // reported as empty
  std::optional<std::string> name = read.Last("NAME");
  if (!name)
    ReportProblem({file, 0, 0, "no NAME line: nothing can find this kind"});
  else if (name->empty())
    ReportProblem({file, read.LastLine("NAME"), 0, "the NAME is empty: nothing can find this kind"});
}

void MarkScriptLine(TScriptLines& lines, const std::string& text, const std::string& file, int32_t line) {
  lines.File = file;
  lines.Starts.push_back({static_cast<uint32_t>(text.size()), line});
}

void ReadDefinitionText(std::string_view text, const std::string& file, const TDefHandler& handler) {
  size_t eof = text.find(kEndOfFile);
  if (eof != std::string_view::npos) text = text.substr(0, eof);
  std::vector<bool> open(handler.Tags.size(), false);
  size_t pos = 0;
  int lineNo = 0;
  while (pos < text.size()) {
    size_t lf = text.find('\n', pos);
    size_t stop = lf == std::string_view::npos ? text.size() : lf;
    std::string_view raw = text.substr(pos, stop - pos);
    if (lf != std::string_view::npos && !raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    pos = lf == std::string_view::npos ? text.size() : lf + 1;
    ++lineNo;

    std::string cleaned = CleanLine(raw);
    size_t eq = ValueSeparator(cleaned);
    TDefLine line{UpperAscii(eq == std::string::npos ? cleaned : cleaned.substr(0, eq)),
                  eq == std::string::npos ? std::string() : cleaned.substr(eq + 1), &file, lineNo,
                  eq != std::string::npos};
    if (handler.Early) handler.Early(line);
    bool taken = false;
    for (size_t t = 0; t < handler.Tags.size() && !taken; ++t) {
      if (line.Key == handler.Tags[t].first) {
        open[t] = true;
        taken = true;
      } else if (line.Key == handler.Tags[t].second) {
        open[t] = false;
        taken = true;
      } else if (open[t]) {
        if (handler.ScriptLine) handler.ScriptLine(t, lineNo);
        if (handler.Script) handler.Script(t, StripComment(raw) + " ");
        taken = true;
      }
    }
    if (!taken && handler.Entry) handler.Entry(line);
  }
}

}  // namespace game
