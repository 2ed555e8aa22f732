// What the texture generators share: a deterministic random source, tileable value noise, colour
// arithmetic and writing a file. Everything is plain arithmetic on doubles, so every build and
// every machine produces the same bytes.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "engine/image_write.h"

namespace assetgen {

// splitmix64: the same numbers on every machine.
struct Random {
  uint64_t state;
  uint64_t Next() {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  double Unit() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }  // [0, 1)
  double Range(double lo, double hi) { return lo + (hi - lo) * Unit(); }
};

// The noise value of one lattice point.
inline double LatticeValue(uint32_t x, uint32_t y, uint32_t seed) {
  Random r{(uint64_t{x} * 0x8DA6B343u) ^ (uint64_t{y} * 0xD8163841u) ^ (uint64_t{seed} * 0xCB1AB31Fu)};
  return r.Unit();
}

// Value noise on a lattice of `period` cells that wraps around, so the result tiles.
inline double TileableNoise(double x, double y, int period, uint32_t seed) {
  double fx = std::floor(x), fy = std::floor(y);
  int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
  double tx = x - fx, ty = y - fy;
  tx = tx * tx * (3 - 2 * tx);
  ty = ty * ty * (3 - 2 * ty);
  auto at = [&](int cx, int cy) {
    return LatticeValue(static_cast<uint32_t>(((cx % period) + period) % period),
                        static_cast<uint32_t>(((cy % period) + period) % period), seed);
  };
  double top = at(ix, iy) + (at(ix + 1, iy) - at(ix, iy)) * tx;
  double bottom = at(ix, iy + 1) + (at(ix + 1, iy + 1) - at(ix, iy + 1)) * tx;
  return top + (bottom - top) * ty;
}

struct Colour {
  double r, g, b;
};

inline Colour Mix(Colour a, Colour b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
inline Colour Scale(Colour c, double s) { return {c.r * s, c.g * s, c.b * s}; }
inline uint8_t Byte(double v) { return static_cast<uint8_t>(std::clamp(std::lround(v), 0l, 255l)); }

// Opaque RGBA bytes of a colour field, in the field's row order.
inline std::vector<uint8_t> ToRgba(const std::vector<Colour>& field) {
  std::vector<uint8_t> rgba(field.size() * 4);
  for (size_t i = 0; i < field.size(); ++i) {
    rgba[i * 4] = Byte(field[i].r);
    rgba[i * 4 + 1] = Byte(field[i].g);
    rgba[i * 4 + 2] = Byte(field[i].b);
    rgba[i * 4 + 3] = 255;
  }
  return rgba;
}

// Writes an encoded file, making its folder; an empty encoding counts as a failure. Reasons go to
// standard error under the generator's name.
inline bool WriteOut(const char* generator, const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  std::error_code ec;
  std::filesystem::create_directories(path.parent_path(), ec);
  std::string error;
  if (bytes.empty() || !eng::WriteBytesToFile(path.string(), bytes, &error)) {
    std::fprintf(stderr, "assetgen %s: %s\n", generator,
                 error.empty() ? ("cannot encode " + path.string()).c_str() : error.c_str());
    return false;
  }
  return true;
}

}  // namespace assetgen
