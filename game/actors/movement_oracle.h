// The distance map built the direct way, by scanning the whole map once per pass: the reference
// that the breadth-first queue of BuildDistanceMap is tested against, and the baseline of the
// tick benchmark; and the shot map built by testing every wall of its window.
#pragma once

#include <cstdint>

namespace game {

// BuildDistanceMap by repeated scans: for d = 1, 2, ... every cell of value d, row by row, gives
// each free straight neighbour d + 1; an assignment marks the pass active unless a target is given
// and its cell is already above 0; it stops after an inactive pass or after pass 1000.
void BuildDistanceMapPassScan(int32_t index, int32_t targetX, int32_t targetY);

// BuildShotMap testing every wall square of the range window against every line, instead of the
// squares along the line.
void BuildShotMapEverySquare(int32_t x, int32_t y, int32_t range);

}  // namespace game
