// The "gui" generator: the images of the demo's textured buttons, a wide one for words and a
// small square one for a single letter. Light faces, so that the GUI's dark captions read well on
// them; a rounded darker rim; transparent corners.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "engine/image_write.h"
#include "tools/assetgen/assetgen.h"
#include "tools/assetgen/texture_kit.h"

namespace assetgen {

namespace {

constexpr int kWideWidth = 100;
constexpr int kWideHeight = 28;
constexpr int kSmallSize = 22;
constexpr double kRadius = 6.0;
constexpr double kRim = 2.0;

// Signed distance from a point to the edge of a rounded rectangle (negative inside).
double RoundedBoxDistance(double x, double y, double width, double height, double radius) {
  double qx = std::abs(x - width / 2) - (width / 2 - radius);
  double qy = std::abs(y - height / 2) - (height / 2 - radius);
  double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
  return outside + std::min(std::max(qx, qy), 0.0) - radius;
}

// A button face of the given size, top row first: a parchment gradient lit from above, a rim,
// and edges smoothed by 4 x 4 samples per pixel.
std::vector<uint8_t> MakeButton(int width, int height, uint32_t seed) {
  const int samples = 4;
  const Colour top{246, 238, 214}, bottom{214, 198, 160}, rim{104, 82, 52};
  std::vector<uint8_t> rgba(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      double covered = 0, rimShare = 0;
      for (int sy = 0; sy < samples; ++sy)
        for (int sx = 0; sx < samples; ++sx) {
          double d = RoundedBoxDistance(x + (sx + 0.5) / samples, y + (sy + 0.5) / samples, width, height, kRadius);
          if (d > 0) continue;
          covered += 1;
          if (d > -kRim) rimShare += 1;
        }
      double t = static_cast<double>(y) / (height - 1);
      Colour face = Mix(top, bottom, t);
      // A faint grain, so the face does not look flat.
      face = Scale(face, 0.97 + 0.06 * TileableNoise(x * 0.35, y * 0.35, 64, seed));
      Colour c = covered > 0 ? Mix(face, rim, rimShare / covered) : rim;
      uint8_t* p = &rgba[(static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 4];
      p[0] = Byte(c.r);
      p[1] = Byte(c.g);
      p[2] = Byte(c.b);
      p[3] = Byte(255.0 * covered / (samples * samples));
    }
  }
  return rgba;
}

bool Run(const std::filesystem::path& outDir) {
  std::vector<uint8_t> wide = MakeButton(kWideWidth, kWideHeight, 5u);
  std::vector<uint8_t> small = MakeButton(kSmallSize, kSmallSize, 6u);
  bool ok = WriteOut("gui", outDir / "Data/GUI/button.tga", eng::EncodeTga(kWideWidth, kWideHeight, wide.data(), false));
  ok = WriteOut("gui", outDir / "Data/GUI/button_small.tga", eng::EncodeTga(kSmallSize, kSmallSize, small.data(), false)) && ok;
  return ok;
}

const Registration kRegistration({"gui", "button.tga and button_small.tga (Data/GUI): textured buttons", Run});

}  // namespace

}  // namespace assetgen
