// The "items" generator: the item icons of Data/Items/ (64 x 64 PNG with alpha, the size an item
// slot draws them): the medkit, the key and the flare. Icons are drawn from signed distances
// (negative inside), so that a shape, its dark outline and its shading come from one function.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <utility>
#include <vector>

#include "engine/image_write.h"
#include "tools/assetgen/assetgen.h"
#include "tools/assetgen/texture_kit.h"

namespace assetgen {

namespace {

constexpr int kIconSize = 64;
constexpr double kOutline = 1.6;  // pixels of dark edge around every shape

struct Vec {
  double x, y;
};

double Distance(Vec a, Vec b) {
  return std::hypot(a.x - b.x, a.y - b.y);
}

// Distance from p to the segment a-b, minus the radius: a rod with round ends.
double Capsule(Vec p, Vec a, Vec b, double radius) {
  double ex = b.x - a.x, ey = b.y - a.y;
  double t = std::clamp(((p.x - a.x) * ex + (p.y - a.y) * ey) / (ex * ex + ey * ey), 0.0, 1.0);
  return Distance(p, {a.x + ex * t, a.y + ey * t}) - radius;
}

double Ring(Vec p, Vec centre, double radius, double halfWidth) {
  return std::fabs(Distance(p, centre) - radius) - halfWidth;
}

// Coordinates along (t) and across (n) the line from `origin` in direction `dir` (unit).
Vec Along(Vec p, Vec origin, Vec dir) {
  double dx = p.x - origin.x, dy = p.y - origin.y;
  return {dx * dir.x + dy * dir.y, dx * dir.y - dy * dir.x};
}

double Rectangle(Vec q, double t0, double t1, double n0, double n1) {
  double dt = std::max(t0 - q.x, q.x - t1), dn = std::max(n0 - q.y, q.y - n1);
  return std::max(dt, dn);
}

// One sample of an icon: its distance to the shape's edge and its colour there.
struct Sample {
  double distance;
  Colour colour;
};

// An icon, top row first: 4 x 4 samples per pixel; inside the shape the colour, within
// kOutline of its edge a dark rim. Uncovered pixels keep a neutral colour at alpha 0, so that
// filtering does not darken the edges.
template <typename Shape>
std::vector<uint8_t> RenderIcon(Shape shape) {
  const int n = kIconSize, samples = 4;
  const Colour rim{40, 34, 30};
  std::vector<uint8_t> rgba(static_cast<size_t>(n) * n * 4);
  for (int y = 0; y < n; ++y) {
    for (int x = 0; x < n; ++x) {
      Colour sum{0, 0, 0};
      int covered = 0;
      for (int sy = 0; sy < samples; ++sy)
        for (int sx = 0; sx < samples; ++sx) {
          Sample s = shape(Vec{x + (sx + 0.5) / samples, y + (sy + 0.5) / samples});
          if (s.distance > 0) continue;
          Colour c = s.distance > -kOutline ? rim : s.colour;
          sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b};
          ++covered;
        }
      uint8_t* p = &rgba[(static_cast<size_t>(y) * n + static_cast<size_t>(x)) * 4];
      p[0] = covered ? Byte(sum.r / covered) : 128;
      p[1] = covered ? Byte(sum.g / covered) : 128;
      p[2] = covered ? Byte(sum.b / covered) : 128;
      p[3] = Byte(255.0 * covered / (samples * samples));
    }
  }
  return rgba;
}

// The key: a brass bow (a ring), a shaft running to the lower right and a two-toothed bit.
Sample KeyAt(Vec p) {
  const Vec bow{19, 19};
  const Vec dir{std::sqrt(0.5), std::sqrt(0.5)};
  Vec q = Along(p, bow, dir);
  double ring = Ring(p, bow, 10.5, 4.5);
  double shaft = Rectangle(q, 13, 50, -3.4, 3.4);
  double bit = std::max(Rectangle(q, 34, 47, 2, 12), -Rectangle(q, 39, 42, 6, 13));  // a notch between teeth
  double d = std::min({ring, shaft, bit});
  const Colour brass{214, 170, 62}, shine{255, 236, 160}, shade{150, 108, 36};
  // Lit from the upper left: brighter toward the light, a highlight near the top edges.
  double light = std::clamp(0.5 - 0.03 * (p.x + p.y - 40) + (d > -3.0 ? 0.25 : 0.0), 0.0, 1.0);
  Colour c = light > 0.5 ? Mix(brass, shine, (light - 0.5) * 1.6) : Mix(shade, brass, light * 2);
  return {d, c};
}

// The flare: a red paper tube with a white band and a grey cap, its upper end burning with a
// white-hot core inside a yellow and orange flame, a few sparks around it.
Sample FlareAt(Vec p) {
  const Vec bottom{17, 52}, top{39, 28};
  double tube = Capsule(p, bottom, top, 6.5);
  double cap = Capsule(p, {bottom.x - 2, bottom.y + 2}, {bottom.x + 2.5, bottom.y - 2.5}, 7.2);
  const Vec flame{45, 20};
  double fire = Distance(p, flame) - 10.0 + 3.0 * std::max(0.0, (flame.y - p.y) / 10.0);
  const Vec sparks[] = {{56, 8}, {58, 24}, {33, 9}, {50, 35}};
  double spark = 1e9;
  for (const Vec& s : sparks) spark = std::min(spark, Distance(p, s) - 2.6);
  if (fire <= 0 || spark <= 0) {
    // Flames carry no dark rim: they glow.
    double heat = std::clamp(Distance(p, flame) / 10.0, 0.0, 1.0);
    Colour c = heat < 0.35 ? Colour{255, 252, 232}
                           : Mix(Colour{255, 226, 90}, Colour{250, 120, 30}, (heat - 0.35) / 0.65);
    if (fire > 0) c = {255, 200, 80};
    return {-kOutline - 1, c};
  }
  double d = std::min(tube, cap);
  Vec q = Along(p, bottom,
                {(top.x - bottom.x) / Distance(top, bottom), (top.y - bottom.y) / Distance(top, bottom)});
  double roundness = std::clamp(1.0 - std::fabs(q.y - 2.0) / 7.0, 0.0, 1.0);  // brighter toward the light
  Colour c = Mix(Colour{120, 20, 18}, Colour{226, 58, 40}, roundness);
  if (q.x > 12 && q.x < 17) c = Mix(Colour{170, 170, 164}, Colour{250, 250, 244}, roundness);
  if (cap < 0 && q.x < 4) c = Mix(Colour{70, 70, 76}, Colour{150, 150, 158}, roundness);
  return {d, c};
}

// Distance outside a rectangle with rounded corners (negative inside).
double RoundedBox(double x, double y, double cx, double cy, double halfW, double halfH, double radius) {
  double qx = std::fabs(x - cx) - (halfW - radius), qy = std::fabs(y - cy) - (halfH - radius);
  double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
  return outside + std::min(std::max(qx, qy), 0.0) - radius;
}

// The medkit: a white case with a dark rim and a handle on top, a red cross on its face. Its rim,
// wider and greyer than the shared one, is its own: every sample inside lies beyond the outline.
Sample MedkitAt(Vec p) {
  const double x = p.x, y = p.y;
  const double handle = RoundedBox(x, y, 32, 15, 10, 6, 3);
  const double handleHole = RoundedBox(x, y, 32, 16, 6, 3, 1.5);
  const double body = RoundedBox(x, y, 32, 37, 26, 20, 5);
  const bool cross = (std::fabs(x - 32) < 4.5 && std::fabs(y - 37) < 13) ||
                     (std::fabs(x - 32) < 13 && std::fabs(y - 37) < 4.5);
  const double inside = -kOutline - 1;
  if (body < 0) {
    if (body > -2.2) return {inside, {60, 60, 66}};
    if (cross) return {inside, {200, 30, 36}};
    return {inside, Mix(Colour{248, 248, 244}, Colour{196, 198, 200}, (y - 17) / 40.0)};
  }
  if (handle < 0 && handleHole >= 0) return {inside, {60, 60, 66}};
  return {1.0, {}};
}

bool Run(const std::filesystem::path& outDir) {
  bool ok = true;
  const std::pair<const char*, Sample (*)(Vec)> icons[] = {
      {"medkit.png", MedkitAt}, {"key.png", KeyAt}, {"flare.png", FlareAt}};
  for (const auto& [file, shape] : icons) {
    std::vector<uint8_t> rgba = RenderIcon(shape);
    ok = WriteOut("items", outDir / "Data/Items" / file,
                  eng::EncodePng(kIconSize, kIconSize, rgba.data(), false)) &&
         ok;
  }
  return ok;
}

const Registration kRegistration({"items", "medkit.png, key.png and flare.png (Data/Items), the item icons", Run});

}  // namespace

}  // namespace assetgen
