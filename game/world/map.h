// Loading the one map: the size, the floor, the walls and creatures placed through their kinds,
// and the map's script blocks; then the report of a failed placement and the start script.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "game/world/map_file.h"

namespace game {

// The map's script blocks go to the script host's table (ScriptBlocks), which runs them.
struct TMapState {
  std::vector<std::string> Messages;  // what MapStart reported, in order (tests)
  // The last map MapLoad read (script blocks handed on to ScriptBlocks) and its file, for the
  // content checks; LoadedFrom is empty until a map was read.
  TMapFile Loaded;
  std::string LoadedFrom;
  size_t TrailingBytes = 0;  // bytes after the end of the map, which nothing reads
};

TMapState& MapState();

// Reads the map file and places what it holds: the size (a size above 99 is refused with
// "Map size exceeds 100 x 100 tiles." before anything changes), the floor cells, the walls and
// creatures in file order until the first that cannot be placed ("Wall \"NAME\" not found." or
// "Creature \"NAME\" not found.", later records and the script blocks left unread), then the
// script blocks. Returns the empty text on success, else that message. Throws FatalError naming
// the file when it is missing, no regular file, larger than the map file limit, or ends before
// its counts say. A floor texture the map names that cannot be read is reported at the map file.
std::string MapLoad(const std::string& fileName);
// MapLoad on the bytes of a map file; `fileName` names the file in a FatalError.
std::string MapLoadFromMemory(const uint8_t* data, size_t size, const std::string& fileName);
// Comment stripping of every script line of the loaded map, then its "Start Map" block.
void MapRunStartBlock();
// MapLoad, the report of its message, comment stripping of every script line, then the start
// script "Start Map" (also after a failed load).
void MapStart(const std::string& fileName);

// Back to the state at process start (tests).
void MapReset();

}  // namespace game
