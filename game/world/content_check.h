// Checks of the game's content that its loaders cannot make on their own, shared by the content
// checker and the map compiler: every problem goes through ReportProblem, so the game's warnings
// and the tools say the same thing in the same words.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "game/world/map_file.h"
#include "game/world/registry.h"

namespace game {

// Whether a kind of the folder has this name (case-insensitive): in its loader's list, or among
// the names the registry read when no loader was plugged in for the folder.
bool KindNameExists(TKindFolder folder, const std::string& name);

// Lines of a map's records in the text it was compiled from (empty: not known).
struct TMapRecordLines {
  std::vector<int32_t> Walls;
  std::vector<int32_t> Creatures;
};

// Every wall and creature record of `map` that the game could not place, with the kinds loaded:
// an unknown kind name, a tile outside the map, a tile already taken (a wall by a wall, a creature
// by a creature). Unlike the game's load, it goes on past the first, so that every one is named.
// Returns the number of problems reported.
int32_t CheckMapRecords(const TMapFile& map, const std::string& file, const TMapRecordLines& lines = {});

// The names that kind files give other kinds: every creature kind's BULLET must name a bullet
// kind and every bullet kind's EFFECT an effect kind (case-insensitive), each reported at its
// line. Empty values name nothing and are fine. Returns the number of problems reported.
int32_t CheckKindReferences();

}  // namespace game
