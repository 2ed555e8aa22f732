// Walls, props and the bullet: a stone block and a pillar that fill a tile, a double door that
// opens away from its front (-Z) in 10 play-once frames (with a second, iron-clad skin for the
// locked gate), a swaying bush, a crate and a barrel as OBJ files, a lever and a chest that play
// once, and the bullet slug pointing along -Z. Every model stands on y = 0 (the bullet is
// centred on its origin) and fits the 2 x 2 tile.
#include <cmath>

#include "tools/assetgen/models_gen.h"
#include "tools/assetgen/models_kit.h"

namespace assetgen::models {

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr float kWallHeight = 2.0f;
constexpr float kCapTop = 2.16f;
constexpr float kDoorTop = 1.9f;  // the opening: 1.5 wide, tall enough for a soldier

Rgb Shaded(Rgb base, float v, float amount) {
  return base * (1.06f - amount * v);
}

// Rows of bricks with mortar joints; `rows` courses across the rectangle, alternate courses offset.
Rgb Bricks(float u, float v, int x, int y, int rows, int perRow, Rgb stone, uint32_t seed) {
  float row = v * static_cast<float>(rows);
  int r = static_cast<int>(row);
  float across = u * static_cast<float>(perRow) + (r % 2 ? 0.5f : 0.0f);
  int c = static_cast<int>(std::floor(across));
  float fu = across - static_cast<float>(c), fv = row - static_cast<float>(r);
  const Rgb mortar = Hex(0x5C564C);
  if (fv < 0.08f || fu < 0.04f) return mortar * (0.9f + 0.1f * Hash01(x, y, seed));
  float tone = 0.82f + 0.22f * Hash01(c, r, seed + 1);
  float grain = 0.9f + 0.16f * Fbm(static_cast<float>(x) * 0.15f, static_cast<float>(y) * 0.15f, seed + 2, 3);
  // Each brick a little lighter at its top edge, darker at its foot.
  float bevel = fv < 0.22f ? 1.1f : (fv > 0.88f ? 0.85f : 1.0f);
  return stone * (tone * grain * bevel);
}

bool WriteSkin(const Canvas& c, const std::filesystem::path& out, const char* name) {
  return c.WritePng(out / "Data" / "Textures" / name);
}

void Note(ModelReport* report, const std::string& file, size_t frames, const Mesh& mesh) {
  report->push_back({file, frames, mesh.VertexCount(), mesh.TriangleCount()});
}

bool StoneBlock(const std::filesystem::path& out, ModelReport* report) {
  Canvas c(256, 256);
  const Rect sides{0, 0, 256, 160}, capSide{0, 160, 256, 32}, capTop{0, 192, 128, 64},
      base{128, 192, 128, 64};
  const Rgb stone = Hex(0x9C9486);
  c.Paint(sides, [&](float u, float v, int x, int y) {
    return Shaded(Bricks(u, v, x, y, 5, 3, stone, 31), v, 0.2f);
  });
  c.Paint(capSide, [&](float, float v, int x, int y) {
    return Shaded(
        stone * (1.05f + 0.1f * Fbm(static_cast<float>(x) * 0.2f, static_cast<float>(y) * 0.3f, 32, 3)), v,
        0.3f);
  });
  c.Paint(capTop, [&](float u, float, int x, int y) {
    float slab = std::fabs(u - 0.5f) < 0.01f ? 0.7f : 1.0f;
    return stone *
           (1.1f * slab *
            (0.9f + 0.15f * Fbm(static_cast<float>(x) * 0.15f, static_cast<float>(y) * 0.15f, 33, 4)));
  });
  c.Paint(base, [&](float, float, int x, int y) { return stone * (0.7f + 0.1f * Hash01(x, y, 34)); });

  Mesh m;
  BoxSkin body = BoxSkin::All(Inset(sides, 2));
  body.py = Inset(capTop, 2);
  body.ny = Inset(base, 2);
  m.Box(0, Xform{}, {0, kWallHeight / 2, 0}, {0.96f, kWallHeight / 2, 0.96f}, body);
  BoxSkin cap = BoxSkin::All(Inset(capSide, 2));
  cap.py = Inset(capTop, 2);
  cap.ny = Inset(base, 2);
  m.Tapered(0, Xform{}, kWallHeight - 0.02f, {}, 1.0f, 1.0f, kCapTop, {}, 0.95f, 0.95f, cap);
  KeyFrame f{"block", m.Posed({Xform{}})};
  if (!WriteMd2(out / "Data" / "Models" / "wall_stone.md2", m, {f}, 256, 256, "wall_stone.png")) return false;
  Note(report, "wall_stone.md2", 1, m);
  return WriteSkin(c, out, "wall_stone.png");
}

bool Pillar(const std::filesystem::path& out, ModelReport* report) {
  Canvas c(256, 256);
  const Rgb sand = Hex(0xC8B48E);
  const Rect shaft{0, 0, 256, 128}, block{0, 128, 128, 64}, top{128, 128, 128, 64}, ring{0, 192, 256, 64};
  c.Paint(shaft, [&](float u, float v, int x, int y) {
    // Eight flutes, one per side: darker grooves between light faces.
    float flute = std::fmod(u * 8.0f, 1.0f);
    float groove = 0.8f + 0.2f * std::sin(flute * kPi);
    return Shaded(sand * (groove * (0.92f + 0.12f * Fbm(static_cast<float>(x) * 0.1f,
                                                        static_cast<float>(y) * 0.05f, 41, 3))),
                  v, 0.15f);
  });
  c.Paint(block, [&](float u, float v, int x, int y) {
    float edge = (u < 0.08f || u > 0.92f || v < 0.12f || v > 0.88f) ? 0.85f : 1.0f;
    return Shaded(sand * (edge * (0.9f + 0.12f * Fbm(static_cast<float>(x) * 0.2f,
                                                     static_cast<float>(y) * 0.2f, 42, 3))),
                  v, 0.2f);
  });
  c.Paint(top, [&](float, float, int x, int y) {
    return sand *
           (1.05f * (0.9f + 0.12f * Fbm(static_cast<float>(x) * 0.2f, static_cast<float>(y) * 0.2f, 43, 3)));
  });
  c.Paint(ring, [&](float, float v, int x, int y) {
    return Shaded(sand * (0.95f + 0.1f * Hash01(x, y, 44)), v, 0.25f);
  });

  Mesh m;
  BoxSkin blockSkin = BoxSkin::All(Inset(block, 2));
  blockSkin.py = Inset(top, 2);
  m.Box(0, Xform{}, {0, 0.12f, 0}, {0.62f, 0.12f, 0.62f}, blockSkin);
  m.Lathe(0, Xform{}, {{0.24f, 0.5f}, {0.32f, 0.44f}, {0.36f, 0.37f}}, 8, Inset(ring, 2), Inset(top, 2),
          false, false);
  m.Lathe(0, Translate({0, 0, 0}) * RotY(22.5f), {{0.36f, 0.37f}, {1.4f, 0.36f}, {2.35f, 0.32f}}, 8,
          Inset(shaft, 2), Inset(top, 2), false, false);
  m.Lathe(0, RotY(22.5f), {{2.35f, 0.32f}, {2.42f, 0.36f}, {2.52f, 0.46f}}, 8, Inset(ring, 2), Inset(top, 2),
          false, false);
  m.Box(0, Xform{}, {0, 2.62f, 0}, {0.58f, 0.1f, 0.58f}, blockSkin);
  KeyFrame f{"pillar", m.Posed({Xform{}})};
  if (!WriteMd2(out / "Data" / "Models" / "pillar.md2", m, {f}, 256, 256, "pillar.png")) return false;
  Note(report, "pillar.md2", 1, m);
  return WriteSkin(c, out, "pillar.png");
}

// Where the door's parts lie on its 256 x 256 skin.
struct DoorSkinMap {
  Rect leafFront{0, 0, 128, 256}, leafBack{128, 0, 64, 128}, jamb{192, 0, 64, 128}, lintel{128, 128, 128, 64},
      edge{128, 192, 64, 64}, capTop{192, 192, 64, 64};
};
const DoorSkinMap kDoorSkin;

// How a door's skin looks: the demo's plain wooden door, and the locked gate in the same frame,
// clad in iron with a keyhole where the door has its ring handles.
struct DoorLook {
  const char* skin;
  Rgb wood;
  Rgb stone;
  bool ironclad;
};

void PaintDoor(Canvas& c, const DoorLook& look) {
  const Rgb stone = look.stone, wood = look.wood, iron = Hex(0x2C2C30);
  const DoorSkinMap& k = kDoorSkin;
  c.Paint(k.leafFront, [&](float u, float v, int x, int y) {
    // Vertical planks, two iron bands with studs, a ring handle near the free edge.
    float plank = std::fmod(u * 4.0f, 1.0f);
    float seam = plank < 0.05f ? 0.6f : 1.0f;
    float grain = 0.85f + 0.25f * Noise(static_cast<float>(x) * 0.5f, static_cast<float>(y) * 0.04f, 51);
    Rgb base =
        Shaded(wood * (seam * grain * (0.92f + 0.1f * Hash01(static_cast<int>(u * 4), 0, 52))), v, 0.25f);
    if (look.ironclad) {
      // Iron sheets over the planks: a rim and a diagonal cross, riveted, and a keyhole plate
      // where the leaves meet.
      float rim = std::min({u, 1 - u, v * 2, (1 - v) * 2});
      bool cross = std::fabs(u - v) < 0.09f || std::fabs(u - (1 - v)) < 0.09f;
      if (rim < 0.09f || cross)
        base = iron * (1.05f + 0.15f * Noise(static_cast<float>(x) * 0.3f, static_cast<float>(y) * 0.3f, 58));
      float ru = std::fmod(u * 5.0f, 1.0f), rv = std::fmod(v * 10.0f, 1.0f);
      if (rim < 0.09f && std::fabs(ru - 0.5f) < 0.14f && std::fabs(rv - 0.5f) < 0.08f) base = Hex(0x8C8A86);
      float px = (u - 0.86f) * 2.0f, py = v - 0.5f;
      if (std::fabs(px) < 0.13f && std::fabs(py) < 0.09f) {
        base = Hex(0xA88A3C) * (1.0f - 0.6f * std::fabs(py));  // brass plate
        float kx = px, ky = py + 0.02f;
        if (kx * kx + ky * ky * 4 < 0.0008f || (std::fabs(kx) < 0.012f && ky > 0 && ky < 0.05f))
          base = Hex(0x101010);  // the keyhole
      }
      return base;
    }
    for (float band : {0.2f, 0.78f}) {
      if (std::fabs(v - band) < 0.035f) {
        base = iron * (1.0f + 0.2f * (band - v) / 0.035f);
        if (std::fmod(u * 6.0f, 1.0f) < 0.18f) base = Hex(0x77767A);
      }
    }
    float hx = u - 0.86f, hy = v - 0.52f;
    float ringR = std::sqrt(hx * hx * 4 + hy * hy);
    if (std::fabs(ringR - 0.05f) < 0.015f) base = Hex(0x8A8060);
    return base;
  });
  c.Paint(k.leafBack, [&](float u, float v, int x, int y) {
    float plank = std::fmod(u * 4.0f, 1.0f);
    return Shaded(
        wood * ((plank < 0.06f ? 0.6f : 0.95f) *
                (0.85f + 0.2f * Noise(static_cast<float>(x) * 0.5f, static_cast<float>(y) * 0.04f, 53))),
        v, 0.2f);
  });
  c.Paint(k.jamb, [&](float u, float v, int x, int y) {
    return Shaded(Bricks(u, v, x, y, 6, 1, stone, 54), v, 0.15f);
  });
  c.Paint(k.lintel, [&](float u, float v, int x, int y) {
    return Shaded(Bricks(u, v, x, y, 1, 2, stone, 55), v, 0.2f);
  });
  c.Paint(k.edge, [&](float, float, int x, int y) { return wood * (0.7f + 0.1f * Hash01(x, y, 56)); });
  c.Paint(k.capTop, [&](float, float, int x, int y) {
    return stone *
           (1.1f * (0.9f + 0.15f * Fbm(static_cast<float>(x) * 0.15f, static_cast<float>(y) * 0.15f, 57, 4)));
  });
}

// The door: stone jambs and k.lintel, two wooden leaves hinged at the jambs (bones 1 and 2). Frame
// 1 is shut, frame 10 open; the leaves swing toward +Z and stay inside the tile. One model, two
// skins: the door and the locked gate.
bool Door(const std::filesystem::path& out, ModelReport* report) {
  const DoorSkinMap& k = kDoorSkin;
  for (const DoorLook& look : {DoorLook{"door.png", Hex(0x7B5230), Hex(0x9C9486), false},
                               DoorLook{"gate.png", Hex(0x5A3A26), Hex(0x7E7A72), true}}) {
    Canvas c(256, 256);
    PaintDoor(c, look);
    if (!WriteSkin(c, out, look.skin)) return false;
  }

  Mesh m;
  BoxSkin jambSkin = BoxSkin::All(Inset(k.jamb, 2));
  jambSkin.py = Inset(k.capTop, 2);
  for (float side : {-1.0f, 1.0f})
    m.Box(0, Xform{}, {side * 0.875f, kWallHeight / 2, 0}, {0.125f, kWallHeight / 2, 0.3f}, jambSkin);
  BoxSkin lintelSkin = BoxSkin::All(Inset(k.lintel, 2));
  lintelSkin.py = Inset(k.capTop, 2);
  m.Box(0, Xform{}, {0, (kDoorTop + kWallHeight) / 2, 0}, {0.75f, (kWallHeight - kDoorTop) / 2, 0.3f},
        lintelSkin);
  BoxSkin capSkin = BoxSkin::All(Inset(k.lintel, 2));
  capSkin.py = Inset(k.capTop, 2);
  m.Tapered(0, Xform{}, kWallHeight - 0.02f, {}, 1.0f, 0.34f, kCapTop, {}, 0.95f, 0.3f, capSkin);
  m.Box(0, Xform{}, {0, 0.015f, 0}, {0.75f, 0.015f, 0.28f}, BoxSkin::All(Inset(k.capTop, 2)));
  // Leaves: bone 1 hinged at x = -0.75, bone 2 at x = +0.75; the outside (front, -Z) carries the
  // bands and handles.
  for (int leaf = 0; leaf < 2; ++leaf) {
    float dir = leaf == 0 ? 1.0f : -1.0f;
    BoxSkin skin = BoxSkin::All(Inset(k.edge, 2));
    Rect front = Inset(k.leafFront, 2);
    if (leaf == 1)
      front = {front.x + front.w, front.y, -front.w, front.h};  // mirrored: handles meet in the middle
    skin.nz = front;
    skin.pz = Inset(k.leafBack, 2);
    m.Box(1 + leaf, Xform{}, {dir * 0.372f, (kDoorTop + 0.02f) / 2, 0},
          {0.37f, (kDoorTop - 0.04f) / 2, 0.045f}, skin);
  }
  std::vector<KeyFrame> frames;
  const int n = 10;
  for (int i = 0; i < n; ++i) {
    float s = static_cast<float>(i) / static_cast<float>(n - 1);
    float open = 92.0f * s * s * (3 - 2 * s);
    std::vector<Xform> bones = {Xform{}, Translate({-0.75f, 0, 0}) * RotY(-open),
                                Translate({0.75f, 0, 0}) * RotY(open)};
    frames.push_back({"open" + std::to_string(i + 1), m.Posed(bones)});
  }
  if (!WriteMd2(out / "Data" / "Models" / "door.md2", m, frames, 256, 256, "door.png")) return false;
  Note(report, "door.md2", frames.size(), m);
  return true;
}

// The bush: overlapping leafy blobs on a short trunk, bending in a slow 12-frame loop.
bool Bush(const std::filesystem::path& out, ModelReport* report) {
  Canvas c(128, 128);
  const Rect leaves{0, 0, 128, 96}, trunk{0, 96, 128, 32};
  c.Paint(leaves, [&](float, float v, int x, int y) {
    float n = Fbm(static_cast<float>(x) * 0.12f, static_cast<float>(y) * 0.12f, 61, 4);
    float speck = Hash01(x, y, 62);
    Rgb base = Mix(Hex(0x2E5A22), Hex(0x6E9A3A), n);
    if (speck > 0.93f) base = Hex(0x8DB84A);
    if (speck < 0.05f) base = Hex(0x1E3A16);
    return Shaded(base, v, 0.3f);
  });
  c.Paint(trunk, [&](float, float v, int x, int y) {
    return Shaded(Hex(0x5A4028) * (0.85f + 0.2f * Hash01(x / 3, y, 63)), v, 0.2f);
  });

  Mesh m;
  m.Lathe(0, Xform{}, {{0, 0.09f}, {0.35f, 0.06f}}, 6, Inset(trunk, 2), Inset(trunk, 2), false, false);
  const struct {
    Vec3 centre;
    Vec3 radii;
  } blobs[] = {{{0, 0.62f, 0}, {0.6f, 0.5f, 0.6f}},
               {{0.42f, 0.45f, 0.22f}, {0.38f, 0.34f, 0.36f}},
               {{-0.4f, 0.42f, 0.18f}, {0.36f, 0.32f, 0.36f}},
               {{0.08f, 0.46f, -0.45f}, {0.38f, 0.34f, 0.34f}},
               {{-0.22f, 0.92f, -0.12f}, {0.36f, 0.32f, 0.36f}},
               {{0.24f, 0.98f, 0.16f}, {0.3f, 0.28f, 0.3f}},
               {{-0.12f, 0.5f, 0.5f}, {0.32f, 0.3f, 0.3f}}};
  for (const auto& b : blobs) m.Ellipsoid(0, Xform{}, b.centre, b.radii, 8, 5, Inset(leaves, 2));
  const std::vector<Vec3> rest = m.Posed({Xform{}});
  std::vector<KeyFrame> frames;
  const int n = 12;
  for (int i = 0; i < n; ++i) {
    float t = 2 * kPi * static_cast<float>(i) / static_cast<float>(n);
    std::vector<Vec3> p = rest;
    for (Vec3& v : p) {
      // Lumpy leaves (the same offset for coinciding points keeps the blobs closed), bending
      // more toward the top.
      float lump = 0.06f * (Noise(v.x * 3.1f + 7, v.z * 3.1f + v.y * 2.3f, 64) - 0.5f);
      if (v.y > 0.3f) v = v + Normalize(Vec3{v.x, 0.3f, v.z}) * lump;  // the trunk stays put
      float bend = std::pow(std::max(0.0f, v.y) / 1.3f, 2.0f);
      v.x += 0.07f * bend * std::sin(t);
      v.z += 0.04f * bend * std::sin(t + 1.3f);
    }
    frames.push_back({"sway" + std::to_string(i + 1), p});
  }
  if (!WriteMd2(out / "Data" / "Models" / "bush.md2", m, frames, 128, 128, "bush.png")) return false;
  Note(report, "bush.md2", frames.size(), m);
  return WriteSkin(c, out, "bush.png");
}

bool Crate(const std::filesystem::path& out, ModelReport* report) {
  Canvas c(128, 128);
  const Rect side{0, 0, 128, 64}, top{0, 64, 64, 64}, unused{64, 64, 64, 64};
  const Rgb wood = Hex(0xA0763E);
  auto planks = [&](float, float v, int x, int y, uint32_t seed) {
    float across = v * 5.0f;
    int plank = static_cast<int>(across);
    float seam = across - static_cast<float>(plank) < 0.06f ? 0.55f : 1.0f;
    float grain = 0.85f + 0.25f * Noise(static_cast<float>(x) * 0.05f, static_cast<float>(y) * 0.6f, seed);
    return wood * (seam * grain * (0.9f + 0.15f * Hash01(plank, 0, seed + 1)));
  };
  c.Paint(side, [&](float u, float v, int x, int y) {
    // Planks inside a frame of darker boards and one diagonal brace.
    bool frame = u < 0.1f || u > 0.9f || v < 0.1f || v > 0.9f;
    bool brace = std::fabs((u - 0.1f) / 0.8f - (v - 0.1f) / 0.8f) < 0.07f;
    Rgb base = planks(u, v, x, y, 71);
    if (brace)
      base = wood *
             (0.78f * (0.9f + 0.15f * Noise(static_cast<float>(x) * 0.3f, static_cast<float>(y) * 0.3f, 72)));
    if (frame)
      base = wood *
             (0.7f * (0.9f + 0.15f * Noise(static_cast<float>(x) * 0.6f, static_cast<float>(y) * 0.05f, 73)));
    if (frame && ((u < 0.1f && v < 0.1f) || (u > 0.9f && v < 0.1f) || (u < 0.1f && v > 0.9f) ||
                  (u > 0.9f && v > 0.9f)))
      base = Hex(0x3A3A3E);  // iron corners
    return Shaded(base, v, 0.2f);
  });
  c.Paint(top, [&](float u, float v, int x, int y) {
    bool frame = u < 0.1f || u > 0.9f || v < 0.1f || v > 0.9f;
    Rgb base = planks(v, u, x, y, 74) * 1.08f;
    if (frame) base = wood * 0.75f;
    return base;
  });
  c.Paint(unused, [&](float, float, int, int) { return wood * 0.7f; });

  Mesh m;
  BoxSkin skin = BoxSkin::All(Inset(side, 2));
  skin.py = Inset(top, 2);
  skin.ny = Inset(unused, 2);
  m.Box(0, Xform{}, {0, 0.65f, 0}, {0.65f, 0.65f, 0.65f}, skin);
  if (!WriteObj(out / "Data" / "Models" / "crate.obj", m, 128, 128, "crate: 1.3 units, standing on y = 0"))
    return false;
  Note(report, "crate.obj", 1, m);
  return WriteSkin(c, out, "crate.png");
}

bool Barrel(const std::filesystem::path& out, ModelReport* report) {
  Canvas c(128, 128);
  const Rect side{0, 0, 128, 96}, lid{0, 96, 32, 32}, rest{32, 96, 96, 32};
  const Rgb wood = Hex(0x8A5A2E), iron = Hex(0x303034);
  c.Paint(side, [&](float u, float v, int x, int y) {
    float staves = u * 12.0f;
    int stave = static_cast<int>(staves);
    float seam = staves - static_cast<float>(stave) < 0.07f ? 0.55f : 1.0f;
    Rgb base =
        wood * (seam * (0.85f + 0.2f * Hash01(stave, 1, 81)) *
                (0.9f + 0.15f * Noise(static_cast<float>(x) * 0.6f, static_cast<float>(y) * 0.05f, 82)));
    for (float hoop : {0.1f, 0.3f, 0.7f, 0.9f})
      if (std::fabs(v - hoop) < 0.035f) base = iron * (1.1f - 3.0f * std::fabs(v - hoop));
    return base;
  });
  c.Paint(lid, [&](float u, float v, int x, int y) {
    float r = std::sqrt((u - 0.5f) * (u - 0.5f) + (v - 0.5f) * (v - 0.5f));
    Rgb base = wood * (0.95f * (std::fmod(u * 4.0f, 1.0f) < 0.08f ? 0.6f : 1.0f) *
                       (0.9f + 0.15f * Hash01(x / 2, y, 83)));
    if (r > 0.42f) base = iron;
    return base;
  });
  c.Paint(rest, [&](float, float, int, int) { return wood * 0.7f; });

  Mesh m;
  m.Lathe(0, Xform{}, {{0, 0.42f}, {0.15f, 0.47f}, {0.6f, 0.51f}, {1.05f, 0.47f}, {1.2f, 0.42f}}, 12,
          Inset(side, 1), Inset(lid, 1));
  if (!WriteObj(out / "Data" / "Models" / "barrel.obj", m, 128, 128,
                "barrel: 1.2 units tall, standing on y = 0"))
    return false;
  Note(report, "barrel.obj", 1, m);
  return WriteSkin(c, out, "barrel.png");
}

// The lever: an iron arm with a red grip standing in a slot of a stone plinth (bone 1 pivots on
// the axle). Frame 1 leans the arm toward the front (-Z), frame 8 pulls it over toward +Z; the
// whole lever fits its tile and stands as high as a soldier's chest.
bool Lever(const std::filesystem::path& out, ModelReport* report) {
  Canvas c(128, 128);
  const Rect stoneSide{0, 0, 64, 64}, stoneTop{64, 0, 64, 64}, ironCell{0, 64, 64, 32}, grip{64, 64, 64, 32},
      slab{0, 96, 128, 32};
  const Rgb stone = Hex(0x8E887C);
  c.Paint(stoneSide, [&](float u, float v, int x, int y) {
    // Dressed stone with a band of warning chevrons under the top.
    Rgb base = Shaded(Bricks(u, v, x, y, 3, 1, stone, 101), v, 0.2f);
    if (v > 0.08f && v < 0.24f)
      base = std::fmod(u * 4.0f + v * 3.0f, 1.0f) < 0.5f ? Hex(0xC8A028) : Hex(0x2A2622);
    return base;
  });
  c.Paint(stoneTop, [&](float u, float v, int x, int y) {
    float slot = std::fabs(u - 0.5f) < 0.12f && std::fabs(v - 0.5f) < 0.36f ? 0.35f : 1.0f;
    return stone *
           (slot * (1.05f + 0.1f * Fbm(static_cast<float>(x) * 0.2f, static_cast<float>(y) * 0.2f, 102, 3)));
  });
  c.Paint(ironCell, [&](float, float v, int x, int y) {
    return Shaded(Hex(0x4A4C52) *
                      (0.9f + 0.2f * Noise(static_cast<float>(x) * 0.4f, static_cast<float>(y) * 0.2f, 103)),
                  v, 0.2f);
  });
  c.Paint(grip, [&](float, float v, int x, int y) {
    return Shaded(Hex(0xC0302A) * (0.92f + 0.12f * Hash01(x / 2, y, 104)), v, 0.3f);
  });
  c.Paint(slab, [&](float, float, int x, int y) {
    return stone * (0.8f + 0.15f * Fbm(static_cast<float>(x) * 0.15f, static_cast<float>(y) * 0.15f, 105, 3));
  });

  Mesh m;
  BoxSkin plinth = BoxSkin::All(Inset(stoneSide, 2));
  plinth.py = Inset(stoneTop, 2);
  plinth.ny = Inset(slab, 2);
  m.Box(0, Xform{}, {0, 0.07f, 0}, {0.5f, 0.07f, 0.45f}, BoxSkin::All(Inset(slab, 2)));
  m.Tapered(0, Xform{}, 0.14f, {}, 0.34f, 0.3f, 0.72f, {}, 0.27f, 0.24f, plinth);
  BoxSkin iron = BoxSkin::All(Inset(ironCell, 2));
  m.Box(0, Xform{}, {0, 0.76f, 0}, {0.16f, 0.05f, 0.06f}, iron);  // the axle's bearing
  // The arm, in its own frame: the axle at the origin, the arm along +Y.
  m.Box(1, Xform{}, {0, 0.36f, 0}, {0.035f, 0.4f, 0.035f}, iron);
  m.Box(1, Xform{}, {0, 0.8f, 0}, {0.15f, 0.06f, 0.06f}, BoxSkin::All(Inset(grip, 2)));
  std::vector<KeyFrame> frames;
  const int n = 8;
  for (int i = 0; i < n; ++i) {
    float s = static_cast<float>(i) / static_cast<float>(n - 1);
    float lean = -38.0f + 76.0f * s * s * (3 - 2 * s);
    frames.push_back(
        {"pull" + std::to_string(i + 1), m.Posed({Xform{}, Translate({0, 0.76f, 0}) * RotX(lean)})});
  }
  if (!WriteMd2(out / "Data" / "Models" / "lever.md2", m, frames, 128, 128, "lever.png")) return false;
  Note(report, "lever.md2", frames.size(), m);
  return WriteSkin(c, out, "lever.png");
}

// The chest: a banded wooden box with a brass lock on its front (-Z) and a lid hinged at the
// back (bone 1). Frame 1 is shut; over 8 frames the lid swings up and back, showing the dark
// inside.
bool Chest(const std::filesystem::path& out, ModelReport* report) {
  Canvas c(128, 128);
  const Rect side{0, 0, 128, 48}, lid{0, 48, 128, 48}, inside{0, 96, 64, 32}, brass{64, 96, 64, 32};
  const Rgb wood = Hex(0x8A5A2C), iron = Hex(0x34343A);
  auto planks = [&](float v, int x, int y, float rows, uint32_t seed) {
    float across = v * rows;
    int plank = static_cast<int>(across);
    float seam = across - static_cast<float>(plank) < 0.08f ? 0.55f : 1.0f;
    return wood *
           (seam * (0.85f + 0.2f * Noise(static_cast<float>(x) * 0.06f, static_cast<float>(y) * 0.7f, seed)) *
            (0.9f + 0.15f * Hash01(plank, 0, seed + 1)));
  };
  // Iron corners and two straps: the same places on the sides and on the lid, so they meet.
  auto banded = [&](Rgb base, float u) {
    for (float strap : {0.22f, 0.78f})
      if (std::fabs(u - strap) < 0.04f) return iron * 1.1f;
    return u < 0.04f || u > 0.96f ? iron : base;
  };
  c.Paint(side, [&](float u, float v, int x, int y) {
    return Shaded(banded(planks(v, x, y, 3, 111), u), v, 0.25f);
  });
  c.Paint(lid, [&](float u, float v, int x, int y) {
    return Shaded(banded(planks(v, x, y, 4, 113), u), v, 0.1f) * 1.08f;
  });
  c.Paint(inside, [&](float, float v, int x, int y) { return planks(v, x, y, 4, 115) * 0.35f; });
  c.Paint(brass, [&](float u, float v, int, int) {
    float kx = u - 0.5f, ky = v - 0.45f;
    if (kx * kx + ky * ky * 0.5f < 0.004f || (std::fabs(kx) < 0.03f && ky > 0 && ky < 0.25f))
      return Hex(0x141210);
    return Hex(0xB89440) * (1.1f - 0.4f * v);
  });

  Mesh m;
  const float depth = 0.36f, height = 0.56f;
  BoxSkin body = BoxSkin::All(Inset(side, 2));
  body.py = Inset(inside, 2);
  m.Box(0, Xform{}, {0, height / 2, 0}, {0.55f, height / 2, depth}, body);
  m.Box(0, Xform{}, {0, height - 0.12f, -depth - 0.02f}, {0.09f, 0.1f, 0.02f}, BoxSkin::All(Inset(brass, 1)));
  // The lid in its hinge's frame: the hinge runs along X at the body's back top edge.
  BoxSkin lidSkin = BoxSkin::All(Inset(lid, 2));
  lidSkin.ny = Inset(inside, 2);
  m.Tapered(1, Xform{}, 0.0f, {0, 0, -depth}, 0.57f, depth + 0.02f, 0.2f, {0, 0, -depth}, 0.55f, depth - 0.1f,
            lidSkin);
  std::vector<KeyFrame> frames;
  const int n = 8;
  for (int i = 0; i < n; ++i) {
    float s = static_cast<float>(i) / static_cast<float>(n - 1);
    float open = 105.0f * s * s * (3 - 2 * s);
    frames.push_back(
        {"open" + std::to_string(i + 1), m.Posed({Xform{}, Translate({0, height, depth}) * RotX(open)})});
  }
  if (!WriteMd2(out / "Data" / "Models" / "chest.md2", m, frames, 128, 128, "chest.png")) return false;
  Note(report, "chest.md2", frames.size(), m);
  return WriteSkin(c, out, "chest.png");
}

// The bullet: a brass slug with a glowing copper tip, 0.6 long, nose toward -Z.
bool Bullet(const std::filesystem::path& out, ModelReport* report) {
  Canvas c(64, 64);
  const Rect side{0, 0, 64, 48}, base{0, 48, 16, 16}, rest{16, 48, 48, 16};
  c.Paint(side, [&](float, float v, int x, int y) {
    // v runs from the nose (top) to the base (bottom).
    Rgb body = Mix(Hex(0xFFD040), Hex(0xFFF4B0), 0.3f + 0.2f * Hash01(x, y, 91));
    Rgb tip = Hex(0xFF8A30);
    return v < 0.35f ? Mix(tip, Hex(0xFFE080), v / 0.35f) : body * (1.0f - 0.2f * (v - 0.35f));
  });
  c.Paint(base, [&](float, float, int, int) { return Hex(0xC09030); });
  c.Paint(rest, [&](float, float, int, int) { return Hex(0xFFD040); });

  Mesh m;
  m.Lathe(0, Translate({0, 0, 0.3f}) * RotX(-90),
          {{0, 0.085f}, {0.32f, 0.09f}, {0.44f, 0.075f}, {0.53f, 0.045f}, {0.6f, 0.0f}}, 8, Inset(side, 1),
          Inset(base, 1), true, false);
  KeyFrame f{"slug", m.Posed({Xform{}})};
  if (!WriteMd2(out / "Data" / "Models" / "bullet.md2", m, {f}, 64, 64, "bullet.png")) return false;
  Note(report, "bullet.md2", 1, m);
  return WriteSkin(c, out, "bullet.png");
}

}  // namespace

bool GenerateProps(const std::filesystem::path& out, ModelReport* report) {
  return StoneBlock(out, report) && Pillar(out, report) && Door(out, report) && Bush(out, report) &&
         Crate(out, report) && Barrel(out, report) && Bullet(out, report) && Lever(out, report) &&
         Chest(out, report);
}

}  // namespace assetgen::models
