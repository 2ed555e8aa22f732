// The game's random numbers.
#include "game/core/random.h"

#include <chrono>

namespace game {

namespace {

uint32_t g_randSeed = 0;

uint32_t Next() {
  g_randSeed = g_randSeed * 0x08088405u + 1u;
  return g_randSeed;
}

}  // namespace

void RandomSeed(uint32_t seed) { g_randSeed = seed; }

void Randomize() {
  auto now = std::chrono::steady_clock::now().time_since_epoch();
  RandomSeed(static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::microseconds>(now).count()));
}

int32_t Random(int32_t range) {
  uint32_t r = Next();
  if (range <= 0) return 0;
  return static_cast<int32_t>((static_cast<uint64_t>(r) * static_cast<uint64_t>(range)) >> 32);
}

double RandomFloat() { return static_cast<double>(Next()) / 4294967296.0; }

}  // namespace game
