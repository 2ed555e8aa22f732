// Definition files (*.cro): the line routines every loader shares, the number conversions, the
// name rules, and the one table-driven reader that kind loaders and the GUI loader describe
// themselves to (key table, defaults, script tags, after-reading steps).
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "engine/data_file.h"
#include "game/world/diagnostics.h"

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
// case-insensitively, as far as they can be found (the rest kept as given). Below AppDir only the
// components after it are matched so.
std::string ResolvePathCase(const std::string& path);
// A whole regular file of at most `maxBytes` as bytes; throws FatalError naming the file when it
// cannot be read: "File not found", or why (a directory, a FIFO or device, too large).
std::string ReadWholeFile(const std::string& path, uint64_t maxBytes = eng::MaxDataFileBytes);
// The message of a refused data file, as a start-up error shows it ("File not found",
// "Is a directory", ...).
std::string DataFileMessage(const eng::DataFileResult& result);

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
  bool HasSeparator = false; // the cleaned line holds "=" at position 2 or later

  // The value as a 32-bit integer; throws FatalError "'v' is not a valid integer value".
  int32_t Int() const;
  // The value as a 32-bit float; throws FatalError "'v' is not a valid floating point value".
  float Float() const;
  bool Bool() const { return ParseBool(Value); }
  // AppDir + folder + value (see DataPath). The loaders report a file that cannot be read, with
  // the reason (game/world/assets.h).
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
// Whether the text can be judged line by line: no NUL byte (before a byte 26) and not CR-only.
bool LinesAreText(std::string_view text);

// What a reading saw, for the after-reading steps and the content checks: the last value of every
// key line, and where it stood.
class TDefRead {
 public:
  std::string File;
  // The value of the last line with this key outside script blocks, if there was one.
  std::optional<std::string> Last(const std::string& key) const;
  // The line number of that last line; 0 when there was none.
  int LastLine(const std::string& key) const;
  void Note(const std::string& key, const std::string& value, int line = 0) { last_[key] = {value, line}; }

 private:
  std::map<std::string, std::pair<std::string, int>> last_;
};

// Where the kind at `index` of a kind list was read from (kept by LoadDefinitionKind), or null
// for a kind that did not come from a file. The list is told apart by its address.
const TDefRead* FindDefinitionSource(const void* list, size_t index);
// Forgets every source (with the kind lists; the registry's reset calls it).
void DefinitionSourcesReset();

// Problems of a definition file's text as a whole, reported at `file` (a path as ShownPath
// gives it): empty, a UTF-8 byte order mark, NUL bytes (a binary file), CR-only line ends (the
// whole file reads as one line). Returns whether the text is fit for line-by-line problems (not
// empty, no NUL, not CR-only).
bool CheckDefinitionText(std::string_view text, const std::string& file);
// The known key nearest to `key` by edits (letters inserted, removed, changed or swapped), when
// it is near enough to be a likely typo; empty otherwise.
std::string ClosestKey(const std::string& key, const std::vector<std::string>& known);
// Reports a key line that no entry of the reader knows (with the likely intended key).
void ReportUnknownKey(const TDefLine& line, const std::vector<std::string>& known);
// Reads a kind file whole. A file too large for the limit or for the memory left is reported and
// gives false (the kind keeps its defaults); any other failure throws FatalError naming the file
// ("File not found", "Is a directory", ...), as the registry only hands over files it has found.
bool ReadDefinitionFile(const std::string& path, std::string* text);
// Reports a kind file without a NAME line, or whose NAME is empty (nothing can find the kind);
// an empty text has been reported as such already.
void ReportKindWithoutName(const TDefRead& read, const std::string& file, std::string_view text);
// Keeps where the kind at `index` of `list` was read from (see FindDefinitionSource).
void KeepDefinitionSource(const void* list, size_t index, TDefRead read);

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
  std::vector<std::string> AfterKeys;  // keys only the after-reading steps read (from TDefRead)
  std::function<void(T&)> Defaults;                        // on the new, zeroed record
  std::function<void(T&, const TDefRead&)> AfterReading;
  bool ReportUnknownKeys = true;       // a key line that matches nothing is reported as a typo
};

// Every key and tag the format knows, for the unknown-key report.
template <typename T>
std::vector<std::string> KnownDefKeys(const TDefFormat<T>& format) {
  std::vector<std::string> known(format.AfterKeys);
  for (const TDefKey<T>& key : format.EarlyKeys) known.push_back(key.Key);
  for (const TDefKey<T>& key : format.Keys) known.push_back(key.Key);
  for (const TDefScriptTag<T>& tag : format.Tags) {
    known.push_back(tag.Open);
    known.push_back(tag.Close);
  }
  return known;
}

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
// Key lines that match nothing are reported (see TDefFormat), unless the text is binary or
// CR-only, which its reader reports as a whole.
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
  const bool reportUnknown = format.ReportUnknownKeys && LinesAreText(text);
  std::vector<std::string> known;
  if (reportUnknown) known = KnownDefKeys(format);
  handler.Entry = [&](const TDefLine& line) {
    if (read && !line.Key.empty()) read->Note(line.Key, line.Value, line.Line);
    bool matched = false;
    for (const TDefKey<T>& key : format.Keys) {
      if (key.Key != line.Key) continue;
      key.Assign(record, line);
      matched = true;
    }
    if (!matched && reportUnknown && !line.Key.empty() &&
        std::find(known.begin(), known.end(), line.Key) == known.end())
      ReportUnknownKey(line, known);
  };
  if (read) read->File = file;
  ReadDefinitionText(text, file, handler);
}

// One kind file: appends a zeroed record to `list`, sets the defaults, reads the file and applies
// the after-reading steps. Returns the new record's index. Throws FatalError for a file that
// cannot be read or a number that does not convert. A file whose text is empty, binary or
// CR-only, that names no kind, or that needs more memory than is left, is reported (the record
// stays, with what was read).
template <typename T>
size_t LoadDefinitionKind(const std::string& path, const TDefFormat<T>& format,
                          std::vector<T>& list) {
  list.push_back(T{});
  size_t index = list.size() - 1;
  if (format.Defaults) format.Defaults(list[index]);
  std::string text;
  if (!ReadDefinitionFile(path, &text)) return index;
  TDefRead read;
  try {
    CheckDefinitionText(text, ShownPath(path));
    ReadDefinition(text, path, format, list[index], &read);
    if (format.AfterReading) format.AfterReading(list[index], read);
  } catch (const std::bad_alloc&) {
    ReportProblem({ShownPath(path), 0, 0, "not enough memory to read this file"});
  }
  ReportKindWithoutName(read, ShownPath(path), text);
  KeepDefinitionSource(&list, index, std::move(read));
  return index;
}

}  // namespace game
