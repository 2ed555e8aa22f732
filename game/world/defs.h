// Definition files (*.cro): the line routines every loader shares, the number conversions, the
// name rules, and the one table-driven reader that kind loaders and the GUI loader describe
// themselves to (key table, defaults, script tags, after-reading steps).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace game {

// ---- Line routines -------------------------------------------------------------------------

// The line without blanks outside double quotes, without quote marks, without tabs and without
// everything from the first "//" on (a "//" inside quotes starts the comment all the same).
std::string CleanLine(std::string_view line);
// The cleaned line up to its first "=" at position 2 or later; an "=" at position 1 belongs to
// the key; a line without such "=" is all key.
std::string GetKey(std::string_view line);
// The cleaned line after its first "=" at position 2 or later (may hold more "="); empty when
// there is none.
std::string GetValue(std::string_view line);
// True for "TRUE" in any case and for the empty value (a key written alone); false otherwise.
bool ParseBool(std::string_view value);
// The raw line cut before its first "//"; blanks, tabs and quotes kept.
std::string StripComment(std::string_view line);

// ---- Case ----------------------------------------------------------------------------------

// Upper case of ASCII letters a to z only (definition keys, creature parameter names).
std::string UpperAscii(std::string_view text);
// Upper case as the Windows-1251 code page defines it: ASCII and the Cyrillic letters (kind,
// window, widget and item names).
std::string UpperAnsi(std::string_view text);
// Whether two names are equal after UpperAnsi of both.
bool SameName(std::string_view a, std::string_view b);

// ---- Conversions ---------------------------------------------------------------------------

// Optional leading blanks, optional sign, then decimal digits or hexadecimal digits after "$",
// "x", "X", "0x" or "0X". Decimal must fit 32-bit signed; hexadecimal may use all 32 bits
// ($FFFFFFFF is -1). False (value untouched) for anything else, the empty text included.
bool TryStrToInt(std::string_view text, int32_t* value);
// Optional blanks, optional sign, digits with an optional "." and fraction (at least one digit
// in all), optional exponent "E"/"e" with optional sign and digits, optional trailing blanks;
// "." is the separator whatever the locale. The value must fit a 32-bit float.
bool TryStrToFloat(std::string_view text, float* value);
// The messages of the two conversion failures.
std::string InvalidIntegerMessage(std::string_view text);
std::string InvalidFloatMessage(std::string_view text);

// ---- Paths ---------------------------------------------------------------------------------

// Core().AppDir + folder + value, with every backslash read as a separator and, when the exact
// path does not exist, each component matched without regard to case.
std::string DataPath(std::string_view folder, std::string_view value);
// The path itself when it exists; otherwise the path whose components match the existing entries
// case-insensitively, as far as they can be found (the rest kept as given).
std::string ResolvePathCase(const std::string& path);
// A whole file as bytes; throws FatalError "File not found" naming the file when it cannot be read.
std::string ReadWholeFile(const std::string& path);

// ---- Content problems (reported through the problem list) -----------------------------------

// "unknown key K (closest known key: C)" at the line.
void ReportUnknownKey(const std::string& file, int32_t line, const std::string& key,
                      const std::vector<std::string>& known);
// A kind file that gives its kind no NAME: nothing can find the kind.
void ReportNamelessKind(const std::string& file);

// ---- Script text ---------------------------------------------------------------------------

// A script is kept as one line: its block's lines joined, each followed by one blank. These say
// where each joined line came from, so that a position the compiler reports in the one line can
// be reported at the line and column of the file.
struct TScriptLineStart {
  uint32_t Offset = 0;  // where the line starts in the joined text (0-based)
  int32_t Line = 0;     // its line in the file (1-based)
};
struct TScriptLines {
  std::string File;
  std::vector<TScriptLineStart> Starts;  // in text order
};
// Notes that the next line appended to `text` is line `line` of `file`.
void MarkScriptLine(TScriptLines& lines, const std::string& text, const std::string& file, int32_t line);

// ---- The reader ----------------------------------------------------------------------------

// One key line as the reader hands it to a key table entry.
struct TDefLine {
  std::string Key;           // GetKey, upper-cased in ASCII
  std::string Value;         // GetValue
  const std::string* File;   // for error messages
  int Line;                  // from 1

  // The value as a 32-bit integer; throws FatalError "'v' is not a valid integer value".
  int32_t Int() const;
  // The value as a 32-bit float; throws FatalError "'v' is not a valid floating point value".
  float Float() const;
  bool Bool() const { return ParseBool(Value); }
  // AppDir + folder + value (see DataPath). A file that is not there is reported (the loaders
  // go on: a texture becomes the placeholder, a model none).
  std::string FileName(std::string_view folder) const;
};

// The untyped core of the reader: what happens to each line of one file.
struct TDefHandler {
  // Script tag pairs (opening, closing), upper case. Each pair has its own open flag; for every
  // line outside the early step the pairs are tried in order: its opening tag opens it, its closing
  // tag closes it, and a line inside it goes to Script; the first pair that takes the line wins.
  std::vector<std::pair<std::string, std::string>> Tags;
  std::function<void(const TDefLine&)> Early;                // every line, before the tags
  std::function<void(size_t tag, std::string_view text)> Script;  // StripComment(line) + " "
  std::function<void(size_t tag, int32_t line)> ScriptLine;  // just before Script: its line number
  std::function<void(const TDefLine&)> Entry;                // every other line
};

// Reads definition text: lines end at LF or CR LF, a byte 26 ends the text.
void ReadDefinitionText(std::string_view text, const std::string& file, const TDefHandler& handler);

// What a reading saw, for the after-reading steps: the last value of every key line.
class TDefRead {
 public:
  std::string File;
  // The value of the last line with this key outside script blocks, if there was one.
  std::optional<std::string> Last(const std::string& key) const;
  void Note(const std::string& key, const std::string& value) { last_[key] = value; }
  // Key lines outside script blocks that no key of the table took: (line, key).
  std::vector<std::pair<int32_t, std::string>> UnknownKeys;

 private:
  std::map<std::string, std::string> last_;
};

template <typename T>
struct TDefKey {
  std::string Key;                                        // upper case
  std::function<void(T&, const TDefLine&)> Assign;
};

template <typename T>
struct TDefScriptTag {
  using TAppend = std::function<void(T&, std::string_view text)>;
  using TAtLine = std::function<void(T&, const std::string& file, int32_t line)>;
  TDefScriptTag(std::string open, std::string close, TAppend append, TAtLine atLine = {})
      : Open(std::move(open)), Close(std::move(close)), Append(std::move(append)), AtLine(std::move(atLine)) {}

  std::string Open;  // for example "[TOUCHSCRIPT]"
  std::string Close;
  TAppend Append;    // text = StripComment(line) + " "
  // Optional: told the file and line of each block line just before Append gets it, so that a
  // position in the joined text can be mapped back to the file (MarkScriptLine).
  TAtLine AtLine;
};

// How one kind of definition file is read. Keys are compared by exact equality, in table order;
// every matching entry assigns, so a key given twice assigns twice.
template <typename T>
struct TDefFormat {
  std::vector<TDefKey<T>> EarlyKeys;  // compared on every line, inside script blocks too
  std::vector<TDefScriptTag<T>> Tags;
  std::vector<TDefKey<T>> Keys;
  std::function<void(T&)> Defaults;                        // on the new, zeroed record
  bool KeysComplete = true;  // Keys lists every key of the kind: LoadDefinitionKind reports others
  std::function<void(T&, const TDefRead&)> AfterReading;
};

// A key table entry that converts the value by the field's type: integers (narrower ones keep
// the low bits), float, bool (ParseBool), string.
template <typename T, typename F>
TDefKey<T> DefField(std::string key, F T::*field) {
  return {std::move(key), [field](T& record, const TDefLine& line) {
            if constexpr (std::is_same_v<F, bool>)
              record.*field = line.Bool();
            else if constexpr (std::is_same_v<F, float>)
              record.*field = line.Float();
            else if constexpr (std::is_same_v<F, std::string>)
              record.*field = line.Value;
            else if constexpr (std::is_integral_v<F>)
              record.*field = static_cast<F>(line.Int());
            else
              static_assert(std::is_same_v<F, void>, "no conversion for this field type");
          }};
}

// A rotation key: degrees in the file, radians in the record (value x pi / 180 with the kind's
// own pi).
template <typename T>
TDefKey<T> DefDegrees(std::string key, float T::*field, double pi) {
  return {std::move(key), [field, pi](T& record, const TDefLine& line) {
            record.*field = static_cast<float>(static_cast<double>(line.Float()) * pi / 180.0);
          }};
}

// Reads one file's text into `record` (no defaults, no after-reading steps) and says what it saw.
template <typename T>
void ReadDefinition(std::string_view text, const std::string& file, const TDefFormat<T>& format,
                    T& record, TDefRead* read = nullptr) {
  TDefHandler handler;
  for (const TDefScriptTag<T>& tag : format.Tags) handler.Tags.emplace_back(tag.Open, tag.Close);
  if (!format.EarlyKeys.empty()) {
    handler.Early = [&](const TDefLine& line) {
      for (const TDefKey<T>& key : format.EarlyKeys)
        if (key.Key == line.Key) key.Assign(record, line);
    };
  }
  handler.Script = [&](size_t tag, std::string_view lineText) {
    if (format.Tags[tag].Append) format.Tags[tag].Append(record, lineText);
  };
  handler.ScriptLine = [&](size_t tag, int32_t lineNo) {
    if (format.Tags[tag].AtLine) format.Tags[tag].AtLine(record, file, lineNo);
  };
  handler.Entry = [&](const TDefLine& line) {
    if (read && !line.Key.empty()) read->Note(line.Key, line.Value);
    bool taken = false;
    for (const TDefKey<T>& key : format.Keys) {
      if (key.Key != line.Key) continue;
      key.Assign(record, line);
      taken = true;
    }
    for (const TDefKey<T>& key : format.EarlyKeys) taken = taken || key.Key == line.Key;
    if (read && !taken && !line.Key.empty()) read->UnknownKeys.emplace_back(line.Line, line.Key);
  };
  if (read) read->File = file;
  ReadDefinitionText(text, file, handler);
}

// One kind file: appends a zeroed record to `list`, sets the defaults, reads the file and applies
// the after-reading steps. Returns the new record's index. Throws FatalError for a file that
// cannot be read or a number that does not convert.
template <typename T>
size_t LoadDefinitionKind(const std::string& path, const TDefFormat<T>& format,
                          std::vector<T>& list) {
  list.push_back(T{});
  size_t index = list.size() - 1;
  if (format.Defaults) format.Defaults(list[index]);
  std::string text = ReadWholeFile(path);
  TDefRead read;
  ReadDefinition(text, path, format, list[index], &read);
  if (format.AfterReading) format.AfterReading(list[index], read);
  // What a modder would want to hear about: keys the kind does not know, and a kind that cannot
  // be found because it has no name.
  std::vector<std::string> known;
  for (const TDefKey<T>& key : format.Keys) known.push_back(key.Key);
  if (format.KeysComplete)
    for (const auto& [line, key] : read.UnknownKeys) ReportUnknownKey(path, line, key, known);
  if (list[index].Name.empty()) ReportNamelessKind(path);
  return index;
}

}  // namespace game
