// The "items" generator: the item icons of Data/Items/ (64 x 64 PNG with alpha, the size an item
// slot draws them), shapes edged by 4 x 4 samples per pixel.
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "engine/image_write.h"
#include "tools/assetgen/assetgen.h"
#include "tools/assetgen/texture_kit.h"

namespace assetgen {

namespace {

constexpr int kIconSize = 64;

// Distance outside a rectangle with rounded corners (negative inside).
double RoundedBox(double x, double y, double cx, double cy, double halfW, double halfH, double radius) {
  double qx = std::fabs(x - cx) - (halfW - radius), qy = std::fabs(y - cy) - (halfH - radius);
  double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
  return outside + std::min(std::max(qx, qy), 0.0) - radius;
}

// The medkit: a white case with a dark rim and a handle on top, a red cross on its face.
bool MedkitAt(double x, double y, Colour* colour) {
  const double handle = RoundedBox(x, y, 32, 15, 10, 6, 3);
  const double handleHole = RoundedBox(x, y, 32, 16, 6, 3, 1.5);
  const double body = RoundedBox(x, y, 32, 37, 26, 20, 5);
  const bool cross = (std::fabs(x - 32) < 4.5 && std::fabs(y - 37) < 13) || (std::fabs(x - 32) < 13 && std::fabs(y - 37) < 4.5);
  if (body < 0) {
    if (body > -2.2) *colour = {60, 60, 66};
    else if (cross) *colour = {200, 30, 36};
    else *colour = Mix(Colour{248, 248, 244}, Colour{196, 198, 200}, (y - 17) / 40.0);
    return true;
  }
  if (handle < 0 && handleHole >= 0) {
    *colour = {60, 60, 66};
    return true;
  }
  return false;
}

// Top row first.
std::vector<uint8_t> Render(bool (*shape)(double, double, Colour*)) {
  const int n = kIconSize, samples = 4;
  std::vector<uint8_t> rgba(static_cast<size_t>(n) * n * 4);
  for (int y = 0; y < n; ++y) {
    for (int x = 0; x < n; ++x) {
      double r = 0, g = 0, b = 0;
      int covered = 0;
      for (int sy = 0; sy < samples; ++sy) {
        for (int sx = 0; sx < samples; ++sx) {
          Colour c{};
          if (!shape(x + (sx + 0.5) / samples, y + (sy + 0.5) / samples, &c)) continue;
          r += c.r;
          g += c.g;
          b += c.b;
          ++covered;
        }
      }
      uint8_t* p = &rgba[(static_cast<size_t>(y) * n + static_cast<size_t>(x)) * 4];
      // Uncovered pixels keep a neutral colour so that filtering does not darken the edges.
      p[0] = covered ? Byte(r / covered) : 128;
      p[1] = covered ? Byte(g / covered) : 128;
      p[2] = covered ? Byte(b / covered) : 128;
      p[3] = Byte(255.0 * covered / (samples * samples));
    }
  }
  return rgba;
}

bool Run(const std::filesystem::path& outDir) {
  std::vector<uint8_t> medkit = Render(MedkitAt);
  return WriteOut("items", outDir / "Data/Items/medkit.png", eng::EncodePng(kIconSize, kIconSize, medkit.data(), false));
}

const Registration kRegistration({"items", "medkit.png (Data/Items), the item icons", Run});

}  // namespace

}  // namespace assetgen
