// The model-building kit of the content generator.
#include "tools/assetgen/models_kit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>

#include "engine/image_write.h"

namespace assetgen::models {

namespace {

constexpr float kPi = 3.14159265358979f;

float Radians(float degrees) {
  return degrees * kPi / 180.0f;
}

bool WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  std::error_code ec;
  std::filesystem::create_directories(path.parent_path(), ec);
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "assetgen: cannot write %s\n", path.string().c_str());
    return false;
  }
  return true;
}

uint32_t Mix32(uint32_t h) {
  h ^= h >> 16;
  h *= 0x7feb352dU;
  h ^= h >> 15;
  h *= 0x846ca68bU;
  h ^= h >> 16;
  return h;
}

}  // namespace

float Dot(Vec3 a, Vec3 b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
Vec3 Cross(Vec3 a, Vec3 b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float Length(Vec3 a) {
  return std::sqrt(Dot(a, a));
}
Vec3 Normalize(Vec3 a) {
  float l = Length(a);
  return l > 0.0f ? a * (1.0f / l) : a;
}

Xform operator*(const Xform& a, const Xform& b) {
  Xform r;
  r.cx = a.ApplyDir(b.cx);
  r.cy = a.ApplyDir(b.cy);
  r.cz = a.ApplyDir(b.cz);
  r.t = a.Apply(b.t);
  return r;
}

Xform Translate(Vec3 t) {
  Xform r;
  r.t = t;
  return r;
}

Xform Scale(Vec3 s) {
  Xform r;
  r.cx = {s.x, 0, 0};
  r.cy = {0, s.y, 0};
  r.cz = {0, 0, s.z};
  return r;
}

Xform RotX(float degrees) {
  float c = std::cos(Radians(degrees)), s = std::sin(Radians(degrees));
  Xform r;
  r.cy = {0, c, s};
  r.cz = {0, -s, c};
  return r;
}

Xform RotY(float degrees) {
  float c = std::cos(Radians(degrees)), s = std::sin(Radians(degrees));
  Xform r;
  r.cx = {c, 0, -s};
  r.cz = {s, 0, c};
  return r;
}

Xform RotZ(float degrees) {
  float c = std::cos(Radians(degrees)), s = std::sin(Radians(degrees));
  Xform r;
  r.cx = {c, s, 0};
  r.cy = {-s, c, 0};
  return r;
}

Xform Euler(Vec3 degrees) {
  return RotY(degrees.y) * RotX(degrees.x) * RotZ(degrees.z);
}

Xform BoneFrame(Vec3 origin, Vec3 yAxis, Vec3 zHint) {
  Xform r;
  Vec3 y = Normalize(yAxis);
  Vec3 x = Cross(y, zHint);
  if (Length(x) < 1e-5f) x = Cross(y, Vec3{0.3f, 0.2f, 1.0f});
  x = Normalize(x);
  r.cx = x;
  r.cy = y;
  r.cz = Cross(x, y);
  r.t = origin;
  return r;
}

void ReachTwoBone(Vec3 root, Vec3 target, float l1, float l2, Vec3 pole, Vec3* middle, Vec3* end) {
  Vec3 d = target - root;
  float dist = Length(d);
  Vec3 dir = dist > 1e-6f ? d * (1.0f / dist) : Vec3{0, -1, 0};
  dist = std::clamp(dist, std::fabs(l1 - l2) + 1e-3f, l1 + l2 - 1e-4f);
  float a = (l1 * l1 - l2 * l2 + dist * dist) / (2.0f * dist);
  float h = std::sqrt(std::max(0.0f, l1 * l1 - a * a));
  Vec3 side = pole - dir * Dot(pole, dir);
  if (Length(side) < 1e-5f) side = Cross(dir, Vec3{1, 0, 0});
  side = Normalize(side);
  *middle = root + dir * a + side * h;
  *end = root + dir * dist;
}

int Mesh::Vertex(int bone, Vec3 local) {
  bones_.push_back(bone);
  locals_.push_back(local);
  return static_cast<int>(bones_.size()) - 1;
}

int Mesh::Uv(float px, float py) {
  uvs_.push_back({static_cast<int16_t>(std::lround(px)), static_cast<int16_t>(std::lround(py))});
  return static_cast<int>(uvs_.size()) - 1;
}

void Mesh::Tri(int a, int b, int c, int ta, int tb, int tc) {
  triangles_.push_back({static_cast<uint32_t>(a), static_cast<uint32_t>(b), static_cast<uint32_t>(c),
                        static_cast<uint32_t>(ta), static_cast<uint32_t>(tb), static_cast<uint32_t>(tc)});
}

void Mesh::Quad(int bone, Vec3 p0, Vec3 p1, Vec3 p2, Vec3 p3, Rect skin) {
  int v0 = Vertex(bone, p0), v1 = Vertex(bone, p1), v2 = Vertex(bone, p2), v3 = Vertex(bone, p3);
  auto x0 = static_cast<float>(skin.x), x1 = static_cast<float>(skin.x + skin.w);
  auto y0 = static_cast<float>(skin.y), y1 = static_cast<float>(skin.y + skin.h);
  int t0 = Uv(x0, y1), t1 = Uv(x1, y1), t2 = Uv(x1, y0), t3 = Uv(x0, y0);
  Tri(v0, v1, v2, t0, t1, t2);
  Tri(v0, v2, v3, t0, t2, t3);
}

void Mesh::Hexa(int bone, const Vec3 (&c)[8], const BoxSkin& s) {
  Quad(bone, c[1], c[0], c[4], c[5], s.nz);  // front (-Z)
  Quad(bone, c[3], c[2], c[6], c[7], s.pz);  // back (+Z)
  Quad(bone, c[2], c[1], c[5], c[6], s.px);  // right (+X)
  Quad(bone, c[0], c[3], c[7], c[4], s.nx);  // left (-X)
  Quad(bone, c[7], c[6], c[5], c[4], s.py);  // top
  Quad(bone, c[0], c[1], c[2], c[3], s.ny);  // bottom
}

void Mesh::Box(int bone, const Xform& place, Vec3 centre, Vec3 half, const BoxSkin& skin) {
  Tapered(bone, place, centre.y - half.y, {centre.x, 0, centre.z}, half.x, half.z, centre.y + half.y,
          {centre.x, 0, centre.z}, half.x, half.z, skin);
}

void Mesh::Tapered(int bone, const Xform& place, float y0, Vec3 bc, float bx, float bz, float y1, Vec3 tc,
                   float tx, float tz, const BoxSkin& skin) {
  const Vec3 c[8] = {
      place.Apply({bc.x - bx, y0, bc.z - bz}), place.Apply({bc.x + bx, y0, bc.z - bz}),
      place.Apply({bc.x + bx, y0, bc.z + bz}), place.Apply({bc.x - bx, y0, bc.z + bz}),
      place.Apply({tc.x - tx, y1, tc.z - tz}), place.Apply({tc.x + tx, y1, tc.z - tz}),
      place.Apply({tc.x + tx, y1, tc.z + tz}), place.Apply({tc.x - tx, y1, tc.z + tz}),
  };
  Hexa(bone, c, skin);
}

void Mesh::Lathe(int bone, const Xform& place, const std::vector<std::pair<float, float>>& rings, int sides,
                 Rect side, Rect cap, bool capBottom, bool capTop) {
  const size_t n = static_cast<size_t>(sides);
  auto at = [&](size_t ring, size_t j) {
    float a = 2.0f * kPi * static_cast<float>(j % n) / static_cast<float>(n);
    float r = rings[ring].second;
    return place.Apply({r * std::cos(a), rings[ring].first, -r * std::sin(a)});
  };
  // Side vertices are shared around each ring (smooth shading); the seam only repeats the
  // texture coordinate.
  std::vector<std::vector<int>> ids(rings.size());
  std::vector<std::vector<int>> uv(rings.size());
  for (size_t i = 0; i < rings.size(); ++i) {
    for (size_t j = 0; j < n; ++j) ids[i].push_back(Vertex(bone, at(i, j)));
    float v = static_cast<float>(side.y + side.h) -
              static_cast<float>(side.h) * static_cast<float>(i) / static_cast<float>(rings.size() - 1);
    for (size_t j = 0; j <= n; ++j)
      uv[i].push_back(Uv(static_cast<float>(side.x) +
                             static_cast<float>(side.w) * static_cast<float>(j) / static_cast<float>(n),
                         v));
  }
  for (size_t i = 0; i + 1 < rings.size(); ++i) {
    for (size_t j = 0; j < n; ++j) {
      int a = ids[i][j], b = ids[i][(j + 1) % n], c = ids[i + 1][(j + 1) % n], d = ids[i + 1][j];
      int ta = uv[i][j], tb = uv[i][j + 1], tc = uv[i + 1][j + 1], td = uv[i + 1][j];
      if (rings[i].second > 0.0f) Tri(a, b, c, ta, tb, tc);
      if (rings[i + 1].second > 0.0f) Tri(a, c, d, ta, tc, td);
    }
  }
  auto addCap = [&](size_t ring, bool top) {
    if (rings[ring].second <= 0.0f) return;
    float cx = static_cast<float>(cap.x) + static_cast<float>(cap.w) * 0.5f;
    float cy = static_cast<float>(cap.y) + static_cast<float>(cap.h) * 0.5f;
    int centre = Vertex(bone, place.Apply({0, rings[ring].first, 0}));
    int tcentre = Uv(cx, cy);
    std::vector<int> edge, tedge;
    for (size_t j = 0; j < n; ++j) {
      float a = 2.0f * kPi * static_cast<float>(j) / static_cast<float>(n);
      edge.push_back(Vertex(bone, at(ring, j)));
      tedge.push_back(Uv(cx + std::cos(a) * static_cast<float>(cap.w) * 0.5f,
                         cy - std::sin(a) * static_cast<float>(cap.h) * 0.5f));
    }
    for (size_t j = 0; j < n; ++j) {
      size_t k = (j + 1) % n;
      if (top)
        Tri(centre, edge[j], edge[k], tcentre, tedge[j], tedge[k]);
      else
        Tri(centre, edge[k], edge[j], tcentre, tedge[k], tedge[j]);
    }
  };
  if (capBottom) addCap(0, false);
  if (capTop) addCap(rings.size() - 1, true);
}

void Mesh::Ellipsoid(int bone, const Xform& place, Vec3 centre, Vec3 radii, int slices, int stacks,
                     Rect skin) {
  std::vector<std::pair<float, float>> rings;
  for (int i = 0; i <= stacks; ++i) {
    float phi = -kPi / 2 + kPi * static_cast<float>(i) / static_cast<float>(stacks);
    float r = i == 0 || i == stacks ? 0.0f : std::cos(phi);
    rings.push_back({std::sin(phi), r});
  }
  Lathe(bone, place * Translate(centre) * Scale(radii), rings, slices, skin, skin, false, false);
}

std::vector<Vec3> Mesh::Posed(const std::vector<Xform>& bones) const {
  std::vector<Vec3> out(locals_.size());
  for (size_t i = 0; i < locals_.size(); ++i)
    out[i] = bones[static_cast<size_t>(bones_[i])].Apply(locals_[i]);
  return out;
}

bool WriteMd2(const std::filesystem::path& path, const Mesh& mesh, const std::vector<KeyFrame>& frames,
              int skinWidth, int skinHeight, const std::string& skinName) {
  game::TMD2Source src;
  src.SkinWidth = skinWidth;
  src.SkinHeight = skinHeight;
  src.Skins.push_back(skinName);
  src.TexCoords = mesh.TexCoords();
  src.Triangles = mesh.Triangles();
  for (const KeyFrame& f : frames) {
    game::TMD2Source::Frame out;
    out.Name = f.name;
    for (const Vec3& p : f.positions) out.Vertices.push_back({p.x, p.y, p.z});
    src.Frames.push_back(std::move(out));
  }
  game::TMD2Model model;
  std::string error;
  if (!game::MD2Build(src, &model, &error)) {
    std::fprintf(stderr, "assetgen: %s: %s\n", path.string().c_str(), error.c_str());
    return false;
  }
  return WriteBytes(path, game::MD2Write(model));
}

bool WriteObj(const std::filesystem::path& path, const Mesh& mesh, int skinWidth, int skinHeight,
              const std::string& comment) {
  std::vector<Xform> identity(64);
  std::vector<Vec3> positions = mesh.Posed(identity);
  std::string text = "# " + comment + "\n";
  char line[128];
  for (const Vec3& p : positions) {
    std::snprintf(line, sizeof line, "v %.5f %.5f %.5f\n", static_cast<double>(p.x), static_cast<double>(p.y),
                  static_cast<double>(p.z));
    text += line;
  }
  // OBJ texture coordinates count V from the bottom of the picture.
  for (const game::TMD2TexCoord& t : mesh.TexCoords()) {
    std::snprintf(line, sizeof line, "vt %.5f %.5f\n", static_cast<double>(t.S) / skinWidth,
                  1.0 - static_cast<double>(t.T) / skinHeight);
    text += line;
  }
  for (const game::TGmTriangle& t : mesh.Triangles()) {
    std::snprintf(line, sizeof line, "f %u/%u %u/%u %u/%u\n", t.VertexA + 1, t.TexA + 1, t.VertexB + 1,
                  t.TexB + 1, t.VertexC + 1, t.TexC + 1);
    text += line;
  }
  return WriteBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
}

Rgb Mix(Rgb a, Rgb b, float t) {
  return a * (1.0f - t) + b * t;
}

Rgb Hex(uint32_t rgb) {
  return {static_cast<float>((rgb >> 16) & 0xFF) / 255.0f, static_cast<float>((rgb >> 8) & 0xFF) / 255.0f,
          static_cast<float>(rgb & 0xFF) / 255.0f};
}

float Hash01(int x, int y, uint32_t seed) {
  uint32_t h =
      Mix32(static_cast<uint32_t>(x) * 0x9E3779B1U ^ Mix32(static_cast<uint32_t>(y) + seed * 0x85EBCA77U));
  return static_cast<float>(h & 0xFFFFFF) / static_cast<float>(0xFFFFFF);
}

float Noise(float x, float y, uint32_t seed) {
  int xi = static_cast<int>(std::floor(x)), yi = static_cast<int>(std::floor(y));
  float fx = x - static_cast<float>(xi), fy = y - static_cast<float>(yi);
  float sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
  float a = Hash01(xi, yi, seed), b = Hash01(xi + 1, yi, seed);
  float c = Hash01(xi, yi + 1, seed), d = Hash01(xi + 1, yi + 1, seed);
  return (a + (b - a) * sx) * (1 - sy) + (c + (d - c) * sx) * sy;
}

float Fbm(float x, float y, uint32_t seed, int octaves) {
  float sum = 0, amp = 0.5f, norm = 0;
  for (int i = 0; i < octaves; ++i) {
    sum += Noise(x, y, seed + static_cast<uint32_t>(i) * 101U) * amp;
    norm += amp;
    x *= 2.03f;
    y *= 2.03f;
    amp *= 0.5f;
  }
  return sum / norm;
}

Canvas::Canvas(int width, int height)
    : width_(width),
      height_(height),
      rgba_(static_cast<size_t>(width) * static_cast<size_t>(height) * 4, 255) {
}

void Canvas::Paint(Rect r, const std::function<Rgb(float, float, int, int)>& shade) {
  for (int y = r.y; y < r.y + r.h; ++y) {
    for (int x = r.x; x < r.x + r.w; ++x) {
      float u = (static_cast<float>(x - r.x) + 0.5f) / static_cast<float>(r.w);
      float v = (static_cast<float>(y - r.y) + 0.5f) / static_cast<float>(r.h);
      Set(x, y, shade(u, v, x, y));
    }
  }
}

Rgb Canvas::Get(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return {};
  size_t i = (static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)) * 4;
  return {rgba_[i] / 255.0f, rgba_[i + 1] / 255.0f, rgba_[i + 2] / 255.0f};
}

void Canvas::Set(int x, int y, Rgb c) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  size_t i = (static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)) * 4;
  auto byte = [](float v) { return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); };
  rgba_[i] = byte(c.r);
  rgba_[i + 1] = byte(c.g);
  rgba_[i + 2] = byte(c.b);
  rgba_[i + 3] = 255;
}

bool Canvas::WritePng(const std::filesystem::path& path) const {
  return WriteBytes(path, eng::EncodePng(width_, height_, rgba_.data(), false));
}

Rect Inset(Rect cell, int pixels) {
  return {cell.x + pixels, cell.y + pixels, cell.w - 2 * pixels, cell.h - 2 * pixels};
}

}  // namespace assetgen::models
