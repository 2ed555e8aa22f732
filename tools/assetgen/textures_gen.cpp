// The "textures" generator: the floor's tileable grass (JPEG), the selection ring, the mouse
// cursor, the smoke puff of particle trails and the flare's spark (32-bit TGA with alpha). Everything comes from a fixed seed and plain arithmetic, so
// every build writes the same bytes.
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

constexpr int kGrassSize = 256;  // a power of two: the floor repeats it
constexpr int kRingSize = 128;
constexpr int kCursorSize = 32;  // the GUI draws the cursor 32 x 32, its tip 4 pixels in
constexpr int kPuffSize = 64;
constexpr int kSparkSize = 64;

// Grass: a mottled ground of four noise octaves, then a few thousand short blades stroked over it,
// every coordinate taken modulo the size so that the edges meet.
std::vector<uint8_t> MakeGrass() {
  const int n = kGrassSize;
  std::vector<Colour> field(static_cast<size_t>(n) * n);
  const Colour dark{34, 62, 20}, light{92, 132, 44}, dry{118, 122, 58};
  for (int y = 0; y < n; ++y) {
    for (int x = 0; x < n; ++x) {
      double v = 0, weight = 0, amplitude = 1;
      for (int octave = 0; octave < 4; ++octave) {
        int cells = 4 << octave;  // 4, 8, 16, 32 cells across
        double scale = static_cast<double>(cells) / n;
        v += amplitude * TileableNoise(x * scale, y * scale, cells, 11u + static_cast<uint32_t>(octave));
        weight += amplitude;
        amplitude *= 0.55;
      }
      v /= weight;
      double patches = TileableNoise(x * 6.0 / n, y * 6.0 / n, 6, 97u);
      Colour c = Mix(dark, light, std::clamp(0.15 + (v - 0.3) * 1.5, 0.0, 1.0));
      c = Mix(c, dry, std::clamp((patches - 0.62) * 2.0, 0.0, 0.45));
      field[static_cast<size_t>(y) * n + static_cast<size_t>(x)] = c;
    }
  }

  Random rng{0x67726173735F3031ull};
  for (int blade = 0; blade < 5200; ++blade) {
    double x0 = rng.Range(0, n), y0 = rng.Range(0, n);
    double lean = rng.Range(-0.6, 0.6);
    double length = rng.Range(3.0, 9.0);
    double norm = std::sqrt(lean * lean + 1.0);
    double dx = lean / norm, dy = -1.0 / norm;
    double shade = rng.Range(0.0, 1.0);
    Colour tip = Mix(Colour{70, 118, 32}, Colour{150, 186, 74}, shade);
    Colour root = Mix(Colour{28, 52, 16}, Colour{60, 96, 28}, shade);
    int steps = static_cast<int>(length * 2);
    for (int s = 0; s <= steps; ++s) {
      double t = static_cast<double>(s) / steps;
      double px = x0 + dx * length * t, py = y0 + dy * length * t;
      int ix = ((static_cast<int>(std::floor(px)) % n) + n) % n;
      int iy = ((static_cast<int>(std::floor(py)) % n) + n) % n;
      Colour& dst = field[static_cast<size_t>(iy) * n + static_cast<size_t>(ix)];
      dst = Mix(dst, Mix(root, tip, t), 0.55 * (1.0 - 0.4 * t));
    }
  }

  return ToRgba(field);
}

// The selection ring: one soft band of light green around the centre, transparent elsewhere.
// Transparent pixels keep the ring's colour so filtering never darkens its edge.
std::vector<uint8_t> MakeRing() {
  const int n = kRingSize;
  std::vector<uint8_t> rgba(static_cast<size_t>(n) * n * 4);
  const double centre = (n - 1) / 2.0;
  for (int y = 0; y < n; ++y) {
    for (int x = 0; x < n; ++x) {
      double dx = x - centre, dy = y - centre;
      double r = std::sqrt(dx * dx + dy * dy) / (n / 2.0);
      double t = (r - 0.80) / 0.13;
      double a = std::max(0.0, 1.0 - t * t);
      a = a * a;
      uint8_t* p = &rgba[(static_cast<size_t>(y) * n + static_cast<size_t>(x)) * 4];
      p[0] = 150;
      p[1] = 255;
      p[2] = 90;
      p[3] = Byte(a * 255);
    }
  }
  return rgba;
}

struct Point {
  double x, y;
};

// The arrow's outline, in pixels from the top-left corner; the tip is at (4, 4), where the GUI
// puts the mouse position.
const Point kArrow[] = {{4, 4}, {4, 25}, {9, 20.5}, {13, 29}, {16.5, 27.5}, {12.5, 19}, {19.5, 19}};

bool InsideArrow(Point p) {
  bool inside = false;
  size_t count = std::size(kArrow);
  for (size_t i = 0, j = count - 1; i < count; j = i++) {
    const Point& a = kArrow[i];
    const Point& b = kArrow[j];
    if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x) inside = !inside;
  }
  return inside;
}

double DistanceToArrowEdge(Point p) {
  double best = 1e9;
  size_t count = std::size(kArrow);
  for (size_t i = 0; i < count; ++i) {
    const Point& a = kArrow[i];
    const Point& b = kArrow[(i + 1) % count];
    double ex = b.x - a.x, ey = b.y - a.y;
    double t = std::clamp(((p.x - a.x) * ex + (p.y - a.y) * ey) / (ex * ex + ey * ey), 0.0, 1.0);
    double qx = a.x + ex * t - p.x, qy = a.y + ey * t - p.y;
    best = std::min(best, std::sqrt(qx * qx + qy * qy));
  }
  return best;
}

// The cursor: a white arrow with a black border, edges smoothed by 4 x 4 samples per pixel.
// Stored top row first here; written bottom row first.
std::vector<uint8_t> MakeCursor() {
  const int n = kCursorSize;
  const int samples = 4;
  std::vector<uint8_t> rgba(static_cast<size_t>(n) * n * 4);
  for (int y = 0; y < n; ++y) {
    for (int x = 0; x < n; ++x) {
      int covered = 0, white = 0;
      for (int sy = 0; sy < samples; ++sy) {
        for (int sx = 0; sx < samples; ++sx) {
          Point p{x + (sx + 0.5) / samples, y + (sy + 0.5) / samples};
          bool inside = InsideArrow(p);
          double d = DistanceToArrowEdge(p);
          if (inside || d <= 0.6) ++covered;
          if (inside && d >= 1.4) ++white;
        }
      }
      uint8_t* p = &rgba[(static_cast<size_t>(y) * n + static_cast<size_t>(x)) * 4];
      double level = covered ? 255.0 * white / covered : 0.0;
      p[0] = p[1] = p[2] = Byte(level);
      p[3] = Byte(255.0 * covered / (samples * samples));
    }
  }
  return rgba;
}

// A puff of smoke for particles: a soft, slightly lumpy disc of pale warm grey whose alpha falls to
// 0 well inside the square, so the quad's edges never show. Like the ring, transparent pixels keep
// the colour so that filtering never darkens the rim.
std::vector<uint8_t> MakePuff() {
  const int n = kPuffSize;
  std::vector<uint8_t> rgba(static_cast<size_t>(n) * n * 4);
  const double centre = (n - 1) / 2.0;
  for (int y = 0; y < n; ++y) {
    for (int x = 0; x < n; ++x) {
      double dx = (x - centre) / (n / 2.0), dy = (y - centre) / (n / 2.0);
      double r = std::sqrt(dx * dx + dy * dy);
      double lumps = TileableNoise(x * 6.0 / n, y * 6.0 / n, 6, 23u);
      double edge = 0.78 + 0.16 * (lumps - 0.5);
      double t = std::clamp(r / edge, 0.0, 1.0);
      double a = (1.0 - t * t) * (1.0 - t * t) * (0.8 + 0.2 * lumps);
      double shade = 0.88 + 0.12 * lumps - 0.08 * t;
      uint8_t* p = &rgba[(static_cast<size_t>(y) * n + static_cast<size_t>(x)) * 4];
      p[0] = Byte(236 * shade);
      p[1] = Byte(230 * shade);
      p[2] = Byte(218 * shade);
      p[3] = Byte(a * 255);
    }
  }
  return rgba;
}

// The spark: a round glow, white at its heart, orange toward its edge and clear well inside the
// picture's border, so the square never shows.
std::vector<uint8_t> MakeSpark() {
  const int n = kSparkSize;
  std::vector<uint8_t> rgba(static_cast<size_t>(n) * n * 4);
  const double centre = (n - 1) / 2.0;
  for (int y = 0; y < n; ++y) {
    for (int x = 0; x < n; ++x) {
      double r = std::hypot(x - centre, y - centre) / (n / 2.0 - 2.0);
      double glow = std::clamp(1.0 - r, 0.0, 1.0);
      Colour c = Mix(Colour{255, 120, 30}, Colour{255, 250, 220}, std::pow(glow, 1.5));
      uint8_t* p = &rgba[(static_cast<size_t>(y) * n + static_cast<size_t>(x)) * 4];
      p[0] = Byte(c.r);
      p[1] = Byte(c.g);
      p[2] = Byte(c.b);
      p[3] = Byte(255.0 * std::min(1.0, 1.6 * std::pow(glow, 1.5)));
    }
  }
  return rgba;
}

bool Run(const std::filesystem::path& outDir) {
  std::vector<uint8_t> grass = MakeGrass();
  std::vector<uint8_t> ring = MakeRing();
  std::vector<uint8_t> cursor = MakeCursor();
  // The pictures above are built top row first.
  bool ok = WriteOut("textures", outDir / "Data/Textures/grass.jpg",
                     eng::EncodeJpeg(kGrassSize, kGrassSize, grass.data(), false, {.quality = 90}));
  ok = WriteOut("textures", outDir / "Data/Textures/select_ring.tga", eng::EncodeTga(kRingSize, kRingSize, ring.data(), false)) && ok;
  ok = WriteOut("textures", outDir / "Data/GUI/cursor.tga", eng::EncodeTga(kCursorSize, kCursorSize, cursor.data(), false)) && ok;
  std::vector<uint8_t> puff = MakePuff();
  ok = WriteOut("textures", outDir / "Data/Effects/smoke.tga", eng::EncodeTga(kPuffSize, kPuffSize, puff.data(), false)) && ok;
  std::vector<uint8_t> spark = MakeSpark();
  ok = WriteOut("textures", outDir / "Data/Effects/spark.tga", eng::EncodeTga(kSparkSize, kSparkSize, spark.data(), false)) &&
       ok;
  return ok;
}

const Registration kRegistration(
    {"textures",
     "grass.jpg, select_ring.tga (Data/Textures), cursor.tga (Data/GUI), smoke.tga and spark.tga (Data/Effects)",
     Run});

}  // namespace

}  // namespace assetgen
