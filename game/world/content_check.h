// Checks of the game's content beyond what its loaders see on their own, shared by the content
// checker (tessera-check) and the map compiler (tessera-mapc compile --data): every problem goes
// through ReportProblem, so that the tools and the game's warnings say the same in the same words.
#pragma once

#include <cstdint>
#include <string>

#include "game/world/map_file.h"
#include "game/world/map_text.h"
#include "game/world/registry.h"

namespace game {

// Whether a kind of the folder has this name (case-insensitive): in its loader's list, or among
// the names the registry read when no loader was plugged in for the folder.
bool KindNameExists(TKindFolder folder, const std::string& name);

// Every wall and creature record of `map` against the kinds loaded, going on past the first
// problem: a kind name that no kind has (the message lists the kinds there), an ID that an earlier
// wall (or creature) already carries (scripts only ever find the first), and, when `placing`, a
// tile the game would not place the record on (outside the map, or taken: a wall by a wall, a
// creature by a creature). Positions come from `notes` when the map was compiled from text;
// otherwise the message names the record. Returns the number of problems reported.
int32_t CheckMapRecords(const TMapFile& map, const std::string& file, const TMapTextNotes* notes, bool placing);

// The names that kind files give other kinds: every creature kind's BULLET must name a bullet
// kind and every bullet kind's EFFECT an effect kind (case-insensitive), each reported at its
// line. Empty values name nothing and are fine. Returns the number of problems reported.
int32_t CheckKindReferences();

}  // namespace game
