// The game's random numbers: one linear congruential generator (seed * 0x08088405 + 1, the
// classic Pascal run-time's), so that a seed given on the command line replays a game exactly.
#pragma once

#include <cstdint>

namespace game {

// Seeds the generator.
void RandomSeed(uint32_t seed);
// Seeds the generator from the clock.
void Randomize();
// An integer in 0 .. range - 1 (0 when range <= 0).
int32_t Random(int32_t range);
// A float in [0, 1).
double RandomFloat();

}  // namespace game
