// Checks of the content as a whole, once every kind is loaded and the map is read: names that one
// kind gives another (a creature's BULLET, a bullet's EFFECT) that match no kind, and every record
// of the map that cannot be placed, not only the first one the map loader stops at. The game runs
// them after loading and reports what they find; the content checker runs them after its
// windowless load and lists the same problems.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "game/world/diagnostics.h"
#include "game/world/map_file.h"
#include "game/world/map_text.h"
#include "game/world/registry.h"

namespace game {

// Whether a kind of `folder` has this name (without regard to case), among the kinds loaded by
// the folder's own loader or, for a folder whose loader is not plugged in, the name-only one.
bool KindNameExists(TKindFolder folder, const std::string& name);
// The reason a reference to kind `name` of `folder` fails, for a message: `no bullet kind is
// named "X"`, the likely intended kind when one is near, and the folder's note (KindFolderNote);
// empty when the kind exists.
std::string UnknownKindReason(TKindFolder folder, const std::string& name);

// Reports every name a loaded kind gives another kind that matches none (creatures' BULLET,
// bullets' EFFECT), at the kind file and the line of the key when they are known. Returns how
// many.
int32_t CheckKindReferences();

// Reports every problem of a map read into `map` from `file` (a path as ShownPath gives it)
// against the loaded kinds, in file order, as if the loader went on past the first failure:
// counts below 0, floor kinds that are no floor kind, floor texture indices outside their table,
// and each wall and creature record with a kind index outside its table or a name no kind has,
// an ID an earlier record of its sort already carries (scripts find only the first) and, when
// `placing`, a tile the game would refuse (outside the map, or taken: a wall by a wall, a
// creature by a creature). With `notes` (a map compiled from text) each problem stands at its
// line of the text; otherwise it names the record by its number, from 1. Returns how many.
int32_t CheckMapRecords(const TMapFile& map, const std::string& file, const TMapTextNotes* notes = nullptr,
                        bool placing = true);

// Both checks on what is loaded (the map MapLoad read last, if any, and bytes after its end).
// Returns the number of problems reported.
size_t CheckContent();

}  // namespace game
