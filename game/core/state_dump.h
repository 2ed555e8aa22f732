// The state dump: a text picture of the game's state for tests and diagnosis (--dump-state),
// built from sections that the modules owning the state register. The format is described in
// docs/state-dump.md.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace game {

// Writes the lines of one section: "KEY VALUE", one value per line. Keys are words without
// blanks, unique within their section; records use dotted keys ("creature.3.Health").
class TStateDumpWriter {
 public:
  explicit TStateDumpWriter(std::string* out) : out_(out) {}
  void Int(std::string_view key, int64_t value);
  void Bool(std::string_view key, bool value);
  // The shortest plain decimal that reads back as the same 32-bit float; no exponent.
  void Float(std::string_view key, float value);
  // In double quotes; '"' and '\' escaped with '\', bytes outside 32..126 as \xHH.
  void Text(std::string_view key, std::string_view value);

 private:
  void Key(std::string_view key);
  std::string* out_;
};

// The number formats of the dump, for the writer and the tests.
std::string FormatDumpFloat(float value);
std::string FormatDumpText(std::string_view value);

using TStateDumpSection = std::function<void(TStateDumpWriter&)>;

// Adds a section at the end of the dump; a section of the same name is replaced in its place.
void StateDumpAddSection(const std::string& name, TStateDumpSection writer);
// The sections of the game core and the actors (core, players, ai, creatures, walls, bullets,
// effects), of the recorded GUI events (gui) unless the GUI has added its own, and the script
// host's (script, items).
void StateDumpAddGameSections();
// The whole dump, every section in the order it was added.
std::string StateDumpText();
// Writes the dump to `path`; false with the reason when it cannot.
bool StateDumpWrite(const std::string& path, std::string* error);

// Back to the state at process start (tests).
void StateDumpReset();

}  // namespace game
