// Checks of the content as a whole, once every kind is loaded and the map is read: names that one
// kind gives another (a creature's BULLET, a bullet's EFFECT) that match no kind, and every record
// of the map that cannot be placed, not only the first one the map loader stops at. The game runs
// them after loading and reports what they find; the content checker runs them after its
// windowless load and lists the same problems.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "game/world/diagnostics.h"
#include "game/world/map_file.h"
#include "game/world/registry.h"

namespace game {

// Whether a kind of `folder` has this name (without regard to case), among the kinds loaded by
// the folder's own loader or, for a folder whose loader is not plugged in, the name-only one.
bool KindNameKnown(TKindFolder folder, const std::string& name);
// The reason a reference to kind `name` of `folder` fails, for a message:
// `no bullet kind is named "X"` plus the folder's note (KindFolderNote); empty when it is known.
std::string UnknownKindReason(TKindFolder folder, const std::string& name);

// Every name a loaded kind gives another kind that matches none: creatures' BULLET, bullets'
// EFFECT. Each problem stands at the kind file and the line of the key when they are known.
std::vector<TProblem> CheckKindReferences();

// Every problem of a map read into `map` from `file` (a path as ShownPath gives it), against the
// loaded kinds, in file order: counts below 0, floor kinds that are no floor kind, and each wall
// and creature record that would not be placed, with its index (from 0) and why (a kind index
// outside the name table, a tile outside the map, a tile already taken, no kind of that name, no
// free ID), as if the loader went on past the first failure.
std::vector<TProblem> CheckMapRecords(const TMapFile& map, const std::string& file);

// Both checks on what is loaded (the map MapLoad read last, if any), each problem reported
// through ReportProblem. Returns the number of problems found.
size_t CheckContent();

}  // namespace game
