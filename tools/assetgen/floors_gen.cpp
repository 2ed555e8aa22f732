// The "floors" generator: floor textures besides the grass, for the demo map: flagstone paving for
// courtyards and trodden earth for paths. Both tile (the floor repeats one copy per tile) and come
// from fixed seeds, so every build writes the same bytes.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "engine/image_write.h"
#include "tools/assetgen/assetgen.h"
#include "tools/assetgen/texture_kit.h"

namespace assetgen {

namespace {

constexpr int kSize = 256;  // a power of two: the floor repeats it

// Noise of several octaves, 0..1, over a picture of kSize pixels.
double Fractal(int x, int y, int firstCells, int octaves, uint32_t seed) {
  double v = 0, weight = 0, amplitude = 1;
  for (int o = 0; o < octaves; ++o) {
    int cells = firstCells << o;
    double scale = static_cast<double>(cells) / kSize;
    v += amplitude * TileableNoise(x * scale, y * scale, cells, seed + static_cast<uint32_t>(o));
    weight += amplitude;
    amplitude *= 0.5;
  }
  return v / weight;
}

// Flagstones: three rows of stones of uneven length (a row wraps around), each stone with its own
// tint, worn lighter toward its middle, in dark mortar joints.
std::vector<uint8_t> MakePaving() {
  const int n = kSize;
  const int rows = 3;
  const double joint = 3.0;  // half the mortar width, pixels
  const Colour stone{156, 146, 126}, mortar{66, 60, 50};
  Random rng{0x706176696E673031ull};
  // Row boundaries (y) and, per row, stone boundaries (x) starting at a random offset.
  std::vector<int> rowTop = {0, 88, 170};
  std::vector<std::vector<double>> cuts(rows);
  std::vector<std::vector<double>> tints(rows);
  for (int r = 0; r < rows; ++r) {
    double x = rng.Range(0, n);
    double covered = 0;
    while (covered < n - 60) {
      double w = rng.Range(62, 120);
      if (n - covered - w < 60) w = n - covered;
      cuts[r].push_back(std::fmod(x + covered, n));
      tints[r].push_back(rng.Range(0.86, 1.08));
      covered += w;
    }
  }
  std::vector<Colour> field(static_cast<size_t>(n) * n);
  for (int y = 0; y < n; ++y) {
    int r = y >= rowTop[2] ? 2 : (y >= rowTop[1] ? 1 : 0);
    int top = rowTop[static_cast<size_t>(r)];
    int bottom = r + 1 < rows ? rowTop[static_cast<size_t>(r) + 1] : n;
    double dy = std::min(y - top, bottom - y) + 0.5;
    for (int x = 0; x < n; ++x) {
      // The stone this pixel lies on and the distance to its nearest cut, around the wrap.
      const std::vector<double>& c = cuts[static_cast<size_t>(r)];
      size_t stoneIndex = 0;
      double best = 1e9, start = -1e9;
      for (size_t i = 0; i < c.size(); ++i) {
        double d = std::fmod(x - c[i] + n, static_cast<double>(n));
        best = std::min({best, d + 0.5, n - d - 0.5});
        if (d < std::fmod(x - start + n, static_cast<double>(n)) || start < -1e8) {
          start = c[i];
          stoneIndex = i;
        }
      }
      double edge = std::min(best, dy);
      double grain = Fractal(x, y, 8, 4, 301u);
      double wear = std::clamp(edge / 24.0, 0.0, 1.0);
      Colour s = Scale(stone, tints[static_cast<size_t>(r)][stoneIndex] * (0.80 + 0.32 * grain) * (0.90 + 0.12 * wear));
      double spots = Fractal(x, y, 32, 2, 377u);
      if (spots > 0.74) s = Scale(s, 0.94);
      Colour m = Scale(mortar, 0.85 + 0.3 * Fractal(x, y, 32, 2, 353u));
      double t = std::clamp((edge - joint) / 1.5, 0.0, 1.0);
      // A light rim where the stone meets the joint gives the stones some relief.
      if (edge > joint && edge < joint + 2.5) s = Scale(s, 1.06);
      field[static_cast<size_t>(y) * n + static_cast<size_t>(x)] = Mix(m, s, t);
    }
  }
  return ToRgba(field);
}

// Trodden earth: brown mottling in four octaves, darker damp patches and scattered pebbles.
std::vector<uint8_t> MakeDirt() {
  const int n = kSize;
  const Colour dark{84, 62, 40}, light{146, 114, 76}, damp{70, 54, 38};
  std::vector<Colour> field(static_cast<size_t>(n) * n);
  for (int y = 0; y < n; ++y) {
    for (int x = 0; x < n; ++x) {
      double v = Fractal(x, y, 4, 5, 501u);
      Colour c = Mix(dark, light, std::clamp((v - 0.25) * 1.8, 0.0, 1.0));
      double wet = Fractal(x, y, 3, 2, 557u);
      c = Mix(c, damp, std::clamp((wet - 0.6) * 2.5, 0.0, 0.6));
      c = Scale(c, 0.94 + 0.12 * LatticeValue(x, y, 571u));  // grit
      field[static_cast<size_t>(y) * n + static_cast<size_t>(x)] = c;
    }
  }
  Random rng{0x646972745F303031ull};
  for (int pebble = 0; pebble < 110; ++pebble) {
    double cx = rng.Range(0, n), cy = rng.Range(0, n), radius = rng.Range(1.0, 2.8);
    Colour tone = Mix(Colour{92, 84, 72}, Colour{150, 138, 118}, rng.Unit());
    int reach = static_cast<int>(radius) + 2;
    for (int oy = -reach; oy <= reach; ++oy) {
      for (int ox = -reach; ox <= reach; ++ox) {
        double d = std::hypot(ox + 0.5 - (cx - std::floor(cx)), oy + 0.5 - (cy - std::floor(cy)));
        if (d > radius + 0.5) continue;
        int px = ((static_cast<int>(cx) + ox) % n + n) % n;
        int py = ((static_cast<int>(cy) + oy) % n + n) % n;
        Colour& dst = field[static_cast<size_t>(py) * n + static_cast<size_t>(px)];
        double cover = 0.85 * std::clamp(radius + 0.5 - d, 0.0, 1.0);
        // Lit from above: the upper half lighter, a shadow under the lower edge.
        double shade = oy < 0 ? 1.08 : 0.9;
        dst = Mix(dst, Scale(tone, shade), cover);
      }
    }
  }
  return ToRgba(field);
}

bool Run(const std::filesystem::path& outDir) {
  std::vector<uint8_t> paving = MakePaving();
  std::vector<uint8_t> dirt = MakeDirt();
  bool ok = WriteOut("floors", outDir / "Data/Textures/paving.jpg", eng::EncodeJpeg(kSize, kSize, paving.data(), false, {.quality = 90}));
  ok = WriteOut("floors", outDir / "Data/Textures/dirt.jpg", eng::EncodeJpeg(kSize, kSize, dirt.data(), false, {.quality = 90})) && ok;
  return ok;
}

const Registration kRegistration({"floors", "paving.jpg and dirt.jpg (Data/Textures), floor textures of the demo map", Run});

}  // namespace

}  // namespace assetgen
