// Checking a compiled map against a game folder's content, with the game's own loaders: the
// kinds are read and found by name exactly as the game does, and the map is then placed as the
// game places it, so that the compiler and the game cannot disagree.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "game/world/map_file.h"
#include "game/world/map_text.h"

namespace mapc {

struct TDataCheck {
  std::vector<game::TMapTextError> Errors;    // the map would not load as written
  std::vector<game::TMapTextError> Warnings;  // it loads, but not as it seems to say
};

// Checks `map` (compiled from `textFile`, whose places are in `notes`; `bytes` is its file
// image) against the game folder `gameDir`: every wall and creature kind must exist, wall IDs and
// creature IDs must each be unique, and the game must place every record; floor kinds that are
// not the game's are warned about. A game folder without Data/ or a kind file that stops the
// game's load is an error without a line.
TDataCheck CheckAgainstGameData(const std::string& gameDir, const game::TMapFile& map,
                                const std::vector<uint8_t>& bytes, const game::TMapTextNotes& notes,
                                const std::string& textFile);

}  // namespace mapc
