// The readable text form of a map (docs/map-format.md): compiling it into the binary map record
// and decompiling a map back to text, so that compiling the decompiled text gives the same bytes.
#pragma once

#include <string>
#include <string_view>

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

// Compiles map text; on failure `error` holds the first fault with its place.
bool MapCompileText(std::string_view text, const std::string& fileName, TMapFile* map,
                    TMapTextError* error);
// The text of a map. Fails (with the reason) only for what the text cannot name: an index
// outside its name table.
bool MapDecompile(const TMapFile& map, std::string* text, std::string* error);

}  // namespace game
