// The readable text form of a map (docs/map-format.md): compiling it into the binary map record
// and decompiling a map back to text, so that compiling the decompiled text gives the same bytes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "game/world/map_file.h"

namespace game {

struct TMapTextError {
  std::string File;
  int Line = 0;    // from 1; 0 when the error concerns the file as a whole
  int Column = 0;  // from 1; 0 when it concerns the whole line
  std::string Message;
  // "file:line:col: message" (line and column left out when 0).
  std::string Text() const;
};

// A place in the map text (line and column from 1).
struct TMapTextPlace {
  int Line = 0;
  int Column = 0;
};

// Where a wall or creature statement wrote its kind, its tile and its ID.
struct TMapTextRecord {
  TMapTextPlace Kind, Tile, ID;
};

// What a compile leaves besides the map: where each record came from, so that later checks can
// name the line, and the warnings (records kept with `as-is`, indices outside a name table).
struct TMapTextNotes {
  std::vector<TMapTextRecord> Walls;      // parallel to the map's walls
  std::vector<TMapTextRecord> Creatures;  // parallel to the map's creatures
  // Per name table (floor kinds, floor textures, wall kinds, creature kinds), by index: the
  // first place a statement refers to the entry (Line 0 when none does).
  std::vector<TMapTextPlace> FirstUse[4];
  std::vector<TMapTextError> Warnings;
};

// Compiles map text; on failure `error` holds the first fault with its place. `notes`
// (optional) receives the places of the records and the warnings.
bool MapCompileText(std::string_view text, const std::string& fileName, TMapFile* map,
                    TMapTextError* error, TMapTextNotes* notes = nullptr);
// The text of any map the reader accepts; compiling it gives the same map back. What the
// compiler would refuse as written (a record on a tile outside the map or already taken, an
// owner that is no player, an index outside its name table) is written in the form it takes back
// (`as-is`, `@N`), and `warnings` (optional) receives one entry for each, placed on its line of
// the text (File left empty). Fails only for a map record whose cell list does not match its size.
bool MapDecompile(const TMapFile& map, std::string* text, std::string* error,
                  std::vector<TMapTextError>* warnings = nullptr);

}  // namespace game
