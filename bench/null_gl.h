// What the counting GL of a benchmark has been asked to do since its counts were last cleared.
#pragma once

#include <cstdint>

namespace nullgl {

struct TCounts {
  int64_t Calls = 0;      // every GL entry point
  int64_t Vertices = 0;   // vertices given one by one or drawn from arrays
  int64_t DrawCalls = 0;  // array draws
  int64_t Matrices = 0;   // matrices loaded or multiplied
  int64_t Binds = 0;      // texture binds
};

TCounts& Counts();

}  // namespace nullgl
