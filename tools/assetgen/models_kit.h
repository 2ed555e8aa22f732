// A small kit for the generated models: vector maths, rigid bones posed per key frame, two-bone
// reaching for limbs, low-poly primitives with their skin rectangles, skin painting, and writing
// the results as MD2, OBJ and PNG files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "game/models/md2_write.h"

namespace assetgen::models {

struct Vec3 {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
};
inline Vec3 operator+(Vec3 a, Vec3 b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec3 operator-(Vec3 a, Vec3 b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vec3 operator*(Vec3 a, float s) {
  return {a.x * s, a.y * s, a.z * s};
}
float Dot(Vec3 a, Vec3 b);
Vec3 Cross(Vec3 a, Vec3 b);
float Length(Vec3 a);
Vec3 Normalize(Vec3 a);  // zero stays zero

// An affine transform: three columns and a translation, applied to column vectors.
struct Xform {
  Vec3 cx{1, 0, 0};
  Vec3 cy{0, 1, 0};
  Vec3 cz{0, 0, 1};
  Vec3 t{};
  Vec3 Apply(Vec3 p) const { return cx * p.x + cy * p.y + cz * p.z + t; }
  Vec3 ApplyDir(Vec3 d) const { return cx * d.x + cy * d.y + cz * d.z; }
};
Xform operator*(const Xform& a, const Xform& b);  // a after b
Xform Translate(Vec3 t);
Xform Scale(Vec3 s);
Xform RotX(float degrees);
Xform RotY(float degrees);
Xform RotZ(float degrees);
// Yaw (Y) after pitch (X) after roll (Z), angles in degrees as (pitch, yaw, roll) = (x, y, z).
Xform Euler(Vec3 degrees);
// A bone frame at `origin` whose +Y runs along `yAxis`, turned about it so +Z leans toward `zHint`.
Xform BoneFrame(Vec3 origin, Vec3 yAxis, Vec3 zHint);

// Two segments of lengths l1, l2 from `root` toward `target` (reach clamped), bending toward
// `pole`: the middle joint and the end point.
void ReachTwoBone(Vec3 root, Vec3 target, float l1, float l2, Vec3 pole, Vec3* middle, Vec3* end);

// A rectangle of the skin in pixels, counted from the picture's top-left corner.
struct Rect {
  int x = 0;
  int y = 0;
  int w = 0;
  int h = 0;
};
// The six faces of a block: +X, -X, +Y, -Y, +Z, -Z.
struct BoxSkin {
  Rect px, nx, py, ny, pz, nz;
  static BoxSkin All(Rect r) { return {r, r, r, r, r, r}; }
};

// Geometry under construction: every vertex belongs to one bone and is given in its frame.
// Faces are counter-clockwise seen from outside. Texture coordinates are skin pixels.
class Mesh {
 public:
  int Vertex(int bone, Vec3 local);
  int Uv(float px, float py);
  void Tri(int a, int b, int c, int ta, int tb, int tc);
  // A quad from its corners (bottom-left, bottom-right, top-right, top-left as seen from outside)
  // mapped onto `skin` with the picture upright; own vertices, so its edges stay hard.
  void Quad(int bone, Vec3 p0, Vec3 p1, Vec3 p2, Vec3 p3, Rect skin);
  // A block from eight corners: bottom (-x-z, +x-z, +x+z, -x+z), then the top in the same order.
  void Hexa(int bone, const Vec3 (&c)[8], const BoxSkin& skin);
  // An axis-aligned box of half sizes `half` centred at `centre`, placed by `place`.
  void Box(int bone, const Xform& place, Vec3 centre, Vec3 half, const BoxSkin& skin);
  // A block whose bottom (at y0) and top (at y1) rectangles have their own half sizes and centres.
  void Tapered(int bone, const Xform& place, float y0, Vec3 bottomCentre, float bx, float bz, float y1,
               Vec3 topCentre, float tx, float tz, const BoxSkin& skin);
  // A surface of revolution about the local Y axis through rings of (height, radius): smooth
  // sides wrapped once around `side`, flat caps mapped as discs into `cap` where the end ring
  // has a radius.
  void Lathe(int bone, const Xform& place, const std::vector<std::pair<float, float>>& rings, int sides,
             Rect side, Rect cap, bool capBottom = true, bool capTop = true);
  // An ellipsoid of the given radii, `slices` around and `stacks` from pole to pole.
  void Ellipsoid(int bone, const Xform& place, Vec3 centre, Vec3 radii, int slices, int stacks, Rect skin);

  // Positions of every vertex with the bones at `bones`.
  std::vector<Vec3> Posed(const std::vector<Xform>& bones) const;
  size_t VertexCount() const { return bones_.size(); }
  size_t TriangleCount() const { return triangles_.size(); }
  const std::vector<game::TGmTriangle>& Triangles() const { return triangles_; }
  const std::vector<game::TMD2TexCoord>& TexCoords() const { return uvs_; }

 private:
  std::vector<int> bones_;
  std::vector<Vec3> locals_;
  std::vector<game::TMD2TexCoord> uvs_;
  std::vector<game::TGmTriangle> triangles_;
};

// One key frame: its name and the posed positions.
struct KeyFrame {
  std::string name;
  std::vector<Vec3> positions;
};

// Writes the mesh with the given key frames as an MD2 file; false after printing why.
bool WriteMd2(const std::filesystem::path& path, const Mesh& mesh, const std::vector<KeyFrame>& frames,
              int skinWidth, int skinHeight, const std::string& skinName);
// Writes the mesh at rest (all bones at identity) as an OBJ file with texture coordinates.
bool WriteObj(const std::filesystem::path& path, const Mesh& mesh, int skinWidth, int skinHeight,
              const std::string& comment);

struct Rgb {
  float r = 0.0f;
  float g = 0.0f;
  float b = 0.0f;
};
inline Rgb operator*(Rgb c, float s) {
  return {c.r * s, c.g * s, c.b * s};
}
inline Rgb operator+(Rgb a, Rgb b) {
  return {a.r + b.r, a.g + b.g, a.b + b.b};
}
Rgb Mix(Rgb a, Rgb b, float t);
Rgb Hex(uint32_t rgb);  // 0xRRGGBB

// Smooth value noise in 0..1 with a period of `period` cells, and a few octaves of it.
float Noise(float x, float y, uint32_t seed);
float Fbm(float x, float y, uint32_t seed, int octaves = 4);
// A hash of integers to 0..1, for scattering details.
float Hash01(int x, int y, uint32_t seed);

// An RGBA skin painted by per-pixel shaders.
class Canvas {
 public:
  Canvas(int width, int height);
  int Width() const { return width_; }
  int Height() const { return height_; }
  // Paints `r` by calling `shade(u, v)` with u, v in 0..1 across the rectangle (v = 0 at its top).
  void Paint(Rect r, const std::function<Rgb(float u, float v, int x, int y)>& shade);
  Rgb Get(int x, int y) const;
  void Set(int x, int y, Rgb c);
  bool WritePng(const std::filesystem::path& path) const;

 private:
  int width_;
  int height_;
  std::vector<uint8_t> rgba_;
};

// The rectangle a mesh maps onto inside a painted cell: inset so that filtering between mipmap
// levels takes its colour from the cell, not from the neighbours.
Rect Inset(Rect cell, int pixels);

}  // namespace assetgen::models
