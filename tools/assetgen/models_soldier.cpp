// The soldier: a helmeted rifleman of about 1.8 units, facing -Z with his feet on y = 0, posed
// by a rigid skeleton whose arms and legs reach for the rifle grips and foot positions. Five
// animations (Stand, Walk, Atack, Shot, Damage) and one skin per team colour.
#include <cmath>
#include <cstdio>

#include "tools/assetgen/models_anim.h"
#include "tools/assetgen/models_gen.h"
#include "tools/assetgen/models_kit.h"

namespace assetgen::models {

namespace {

constexpr int kSkin = 256;
constexpr float kPi = 3.14159265358979f;

enum Bone {
  kPelvis,
  kSpine,
  kHead,
  kUpperArmR,
  kForeArmR,
  kUpperArmL,
  kForeArmL,
  kThighR,
  kShinR,
  kThighL,
  kShinL,
  kFootR,
  kFootL,
  kRifle,
  kBoneCount
};

// Body measurements.
constexpr Vec3 kSpineOffset{0, 0.07f, 0};
constexpr Vec3 kNeckOffset{0, 0.5f, 0};
constexpr Vec3 kChestOffset{0, 0.3f, 0};
constexpr float kShoulderX = 0.235f, kShoulderY = 0.44f;
constexpr float kUpperArm = 0.29f, kForeArm = 0.27f;
constexpr float kHipX = 0.1f, kHipY = -0.06f;
constexpr float kThigh = 0.44f, kShin = 0.43f;
constexpr float kAnkle = 0.085f;
// Where the hands hold the rifle, in the rifle's frame (barrel along -Z).
constexpr Vec3 kGripR{0, -0.07f, 0.01f};
constexpr Vec3 kGripL{0, -0.045f, -0.34f};

struct Pose {
  Vec3 pelvis{0, 0.97f, 0};
  Vec3 pelvisRot;  // degrees: pitch, yaw, roll
  Vec3 spineRot{-3, 0, 0};
  Vec3 headRot;
  Vec3 footL{-0.13f, kAnkle, -0.04f};
  Vec3 footR{0.13f, kAnkle, 0.04f};
  float footPitchL = 0;
  float footPitchR = 0;
  Vec3 riflePos{0.09f, -0.12f, -0.27f};  // in the chest's frame
  Vec3 rifleRot{-22, 28, 0};
};

Pose Ready() {
  return Pose{};
}

Pose Aim() {
  Pose p;
  p.spineRot = {-2, -8, 0};
  p.headRot = {-10, 6, 4};
  p.riflePos = {0.15f, 0.11f, -0.24f};
  p.rifleRot = {1, 8, 0};
  p.footL = {-0.14f, kAnkle, -0.14f};
  p.footR = {0.14f, kAnkle, 0.1f};
  return p;
}

// The skin: cells of 32 x 32 pixels; the mesh maps into each cell inset by 4 pixels.
Rect Cell(int col, int row) {
  return Inset(Rect{col * 32, row * 32, 32, 32}, 4);
}

struct SkinMap {
  Rect helmet = Cell(0, 0), jacket = Cell(2, 0), vest = Cell(3, 0), jacketBack = Cell(4, 0);
  Rect sleeve = Cell(5, 0), trousers = Cell(6, 0), boots = Cell(0, 1), sole = Cell(1, 1);
  Rect skin = Cell(2, 1), face = Cell(3, 1), glove = Cell(4, 1), belt = Cell(5, 1), buckle = Cell(6, 1);
  Rect pack = Cell(7, 1), packTop = Cell(7, 0), metal = Cell(0, 2), metalDark = Cell(1, 2);
  Rect wood = Cell(2, 2), shoulder = Cell(3, 2), helmetTop = Cell(1, 0);
};
const SkinMap kMap;

// Vertical faces get painted light from above and a darker foot, which keeps shapes readable under
// the game's even lighting.
Rgb Shaded(Rgb base, float v, float amount = 0.22f) {
  return base * (1.08f - amount * v);
}

Rgb Cloth(Rgb base, float u, float v, int x, int y, uint32_t seed) {
  float weave = ((x + y) % 2 == 0) ? 1.02f : 0.98f;
  float n = 0.9f + 0.2f * Fbm(static_cast<float>(x) * 0.25f, static_cast<float>(y) * 0.25f, seed, 3);
  (void)u;
  return Shaded(base * (weave * n), v);
}

void PaintSkin(Canvas& c, Rgb team) {
  const Rgb olive = Hex(0x6E6148), dark = Hex(0x24221C), skin = Hex(0xD8A27A);
  const Rgb teamDark = team * 0.62f;
  auto cell = [](int col, int row) { return Rect{col * 32, row * 32, 32, 32}; };
  // Fill everything with the jacket colour first, so stray filtering never shows white.
  c.Paint({0, 0, kSkin, kSkin}, [&](float, float, int, int) { return team * 0.8f; });
  c.Paint(cell(0, 0), [&](float u, float v, int x, int y) {
    // Helmet sides: team colour with a dark band near the rim.
    Rgb base = Cloth(team, u, v, x, y, 11) * 0.95f;
    if (v > 0.68f && v < 0.84f) base = teamDark * 0.9f;
    return base;
  });
  c.Paint(cell(1, 0), [&](float u, float, int x, int y) { return Cloth(team * 1.05f, u, 0.0f, x, y, 12); });
  c.Paint(cell(2, 0), [&](float u, float v, int x, int y) { return Cloth(team, u, v, x, y, 13); });
  c.Paint(cell(3, 0), [&](float u, float v, int x, int y) {
    // Chest: two straps and a row of pouches along the bottom.
    Rgb base = Cloth(team, u, v, x, y, 14);
    if (std::fabs(u - 0.3f) < 0.06f || std::fabs(u - 0.7f) < 0.06f) base = teamDark * 0.85f;
    if (v > 0.62f && v < 0.92f && std::fmod(u * 3.0f, 1.0f) > 0.12f) base = Shaded(olive * 1.1f, v, 0.3f);
    return base;
  });
  c.Paint(cell(4, 0), [&](float u, float v, int x, int y) {
    Rgb base = Cloth(team, u, v, x, y, 15);
    if (std::fabs(u - 0.3f) < 0.06f || std::fabs(u - 0.7f) < 0.06f) base = teamDark * 0.85f;
    return base;
  });
  c.Paint(cell(5, 0), [&](float u, float v, int x, int y) {
    Rgb base = Cloth(team, u, v, x, y, 16);
    if (v < 0.18f) base = teamDark;  // shoulder patch
    return base;
  });
  c.Paint(cell(6, 0), [&](float u, float v, int x, int y) { return Cloth(olive, u, v * 0.6f, x, y, 17); });
  c.Paint(cell(7, 0), [&](float u, float, int x, int y) {
    return Cloth(Mix(olive, team, 0.35f) * 1.05f, u, 0.1f, x, y, 18);
  });
  c.Paint(cell(0, 1), [&](float u, float v, int x, int y) {
    Rgb base = Cloth(dark, u, v, x, y, 19) * 1.1f;
    if (v > 0.85f) base = dark * 0.6f;
    return base;
  });
  c.Paint(cell(1, 1), [&](float, float, int, int) { return dark * 0.5f; });
  c.Paint(cell(2, 1), [&](float, float v, int x, int y) {
    return Shaded(skin, v, 0.12f) * (0.97f + 0.05f * Hash01(x, y, 3));
  });
  c.Paint(cell(3, 1), [&](float u, float v, int, int) {
    // Face: brows, eyes and a mouth line on skin, lit from above.
    Rgb base = Shaded(skin, v, 0.15f);
    bool eyes = v > 0.36f && v < 0.5f && (std::fabs(u - 0.3f) < 0.09f || std::fabs(u - 0.7f) < 0.09f);
    bool brows = v > 0.26f && v < 0.33f && (std::fabs(u - 0.3f) < 0.12f || std::fabs(u - 0.7f) < 0.12f);
    bool mouth = v > 0.74f && v < 0.8f && std::fabs(u - 0.5f) < 0.16f;
    if (brows) base = Hex(0x3A2A1E);
    if (eyes) base = Hex(0x202028);
    if (mouth) base = skin * 0.6f;
    if (v > 0.55f && v < 0.7f && std::fabs(u - 0.5f) < 0.06f) base = skin * 0.85f;  // nose shadow
    return base;
  });
  c.Paint(cell(4, 1), [&](float u, float v, int x, int y) { return Cloth(Hex(0x3B3327), u, v, x, y, 20); });
  c.Paint(cell(5, 1), [&](float, float v, int x, int y) {
    Rgb base = Hex(0x5A3F22) * (0.9f + 0.1f * Hash01(x / 2, y, 21));
    if (v < 0.15f || v > 0.85f) base = base * 0.7f;
    return base;
  });
  c.Paint(cell(6, 1), [&](float u, float v, int x, int y) {
    Rgb base = Hex(0x5A3F22) * (0.9f + 0.1f * Hash01(x / 2, y, 22));
    if (std::fabs(u - 0.5f) < 0.14f && std::fabs(v - 0.5f) < 0.3f) base = Hex(0xB8A060);  // buckle
    return base;
  });
  c.Paint(cell(7, 1), [&](float u, float v, int x, int y) {
    Rgb base = Cloth(Mix(olive, team, 0.35f), u, v, x, y, 23);
    if (v > 0.1f && v < 0.2f) base = base * 0.6f;                        // flap edge
    if (std::fabs(u - 0.5f) < 0.05f && v < 0.45f) base = Hex(0x2A2418);  // strap
    return base;
  });
  c.Paint(cell(0, 2), [&](float, float v, int x, int y) {
    return Shaded(Hex(0x3A3D42), v, 0.3f) * (0.95f + 0.08f * Hash01(x, y, 24));
  });
  c.Paint(cell(1, 2),
          [&](float, float, int x, int y) { return Hex(0x1E2024) * (0.95f + 0.1f * Hash01(x, y, 25)); });
  c.Paint(cell(2, 2), [&](float, float v, int x, int y) {
    float grain = 0.85f + 0.25f * Noise(static_cast<float>(x) * 0.6f, static_cast<float>(y) * 0.08f, 26);
    return Shaded(Hex(0x7A4A24) * grain, v, 0.2f);
  });
  c.Paint(cell(3, 2),
          [&](float u, float v, int x, int y) { return Cloth(teamDark * 1.15f, u, v, x, y, 27); });
}

// The mesh: every part rigidly attached to one bone, given in the bone's frame.
Mesh BuildMesh() {
  Mesh m;
  const Xform id;
  const SkinMap& s = kMap;
  auto box = BoxSkin::All;

  // Hips and belt.
  m.Tapered(kPelvis, id, -0.11f, {}, 0.16f, 0.1f, 0.07f, {}, 0.175f, 0.115f, box(s.trousers));
  BoxSkin belt = box(s.belt);
  belt.nz = s.buckle;
  m.Box(kPelvis, id, {0, 0.06f, 0}, {0.182f, 0.035f, 0.122f}, belt);

  // Torso: abdomen, chest with the vest in front, sloping shoulders, and the pack.
  BoxSkin torso = box(s.jacket);
  torso.nz = s.vest;
  torso.pz = s.jacketBack;
  m.Tapered(kSpine, id, 0.0f, {}, 0.165f, 0.11f, 0.2f, {}, 0.19f, 0.125f, box(s.jacket));
  m.Tapered(kSpine, id, 0.2f, {}, 0.19f, 0.125f, 0.45f, {0, 0, 0.005f}, 0.222f, 0.135f, torso);
  BoxSkin shoulders = box(s.shoulder);
  m.Tapered(kSpine, id, 0.45f, {0, 0, 0.005f}, 0.222f, 0.135f, 0.52f, {0, 0, 0.01f}, 0.14f, 0.1f, shoulders);
  BoxSkin pack = box(s.pack);
  pack.py = s.packTop;
  m.Tapered(kSpine, id, 0.1f, {0, 0, 0.2f}, 0.15f, 0.07f, 0.45f, {0, 0, 0.19f}, 0.14f, 0.065f, pack);
  m.Lathe(kSpine, Translate({-0.15f, 0.5f, 0.17f}) * RotZ(-90), {{0, 0.055f}, {0.3f, 0.055f}}, 6, s.packTop,
          s.pack);

  // Head: neck, head with the face in front, helmet dome with a brim.
  m.Box(kHead, id, {0, 0.04f, 0.005f}, {0.055f, 0.05f, 0.055f}, box(s.skin));
  BoxSkin head = box(s.skin);
  head.nz = s.face;
  m.Box(kHead, id, {0, 0.14f, -0.005f}, {0.08f, 0.09f, 0.09f}, head);
  m.Lathe(
      kHead, Translate({0, -0.02f, 0.01f}) * Scale({1.1f, 1.1f, 1.18f}),
      {{0.175f, 0.145f}, {0.2f, 0.138f}, {0.245f, 0.122f}, {0.285f, 0.09f}, {0.31f, 0.045f}, {0.318f, 0.0f}},
      10, s.helmet, s.helmet, true, false);

  // Arms: sleeves, forearms and gloved hands.
  for (int side = 0; side < 2; ++side) {
    int upper = side == 0 ? kUpperArmR : kUpperArmL, fore = side == 0 ? kForeArmR : kForeArmL;
    m.Tapered(upper, id, -kUpperArm - 0.02f, {}, 0.052f, 0.056f, 0.04f, {}, 0.07f, 0.072f, box(s.sleeve));
    m.Tapered(fore, id, -kForeArm, {}, 0.043f, 0.046f, 0.01f, {}, 0.054f, 0.056f, box(s.jacket));
    m.Box(fore, id, {0, -kForeArm - 0.045f, 0}, {0.042f, 0.055f, 0.05f}, box(s.glove));
  }

  // Legs: trousers, boots and feet.
  for (int side = 0; side < 2; ++side) {
    int thigh = side == 0 ? kThighR : kThighL, shin = side == 0 ? kShinR : kShinL;
    int foot = side == 0 ? kFootR : kFootL;
    m.Tapered(thigh, id, -kThigh - 0.02f, {}, 0.07f, 0.075f, 0.04f, {}, 0.095f, 0.1f, box(s.trousers));
    m.Tapered(shin, id, -0.27f, {}, 0.06f, 0.065f, 0.02f, {}, 0.074f, 0.078f, box(s.trousers));
    m.Tapered(shin, id, -kShin + 0.02f, {}, 0.062f, 0.066f, -0.25f, {}, 0.066f, 0.07f, box(s.boots));
    BoxSkin boot = box(s.boots);
    boot.ny = s.sole;
    m.Tapered(foot, id, -kAnkle, {0, 0, -0.06f}, 0.06f, 0.125f, 0.04f, {0, 0, -0.02f}, 0.058f, 0.085f, boot);
  }

  // Rifle, origin at the pistol grip, barrel along -Z: stock, grip, receiver, magazine,
  // handguard, barrel and sight.
  BoxSkin wood = box(s.wood), metal = box(s.metal), dark = box(s.metalDark);
  m.Tapered(kRifle, id, -0.11f, {0, 0, 0.2f}, 0.03f, 0.09f, 0.02f, {0, 0, 0.16f}, 0.033f, 0.13f, wood);
  m.Box(kRifle, RotX(-15), {0, -0.05f, 0.03f}, {0.022f, 0.05f, 0.024f}, wood);
  m.Box(kRifle, id, {0, 0.0f, -0.12f}, {0.042f, 0.055f, 0.16f}, metal);
  m.Box(kRifle, RotX(12), {0, -0.1f, -0.13f}, {0.026f, 0.07f, 0.036f}, dark);
  m.Box(kRifle, id, {0, -0.005f, -0.37f}, {0.045f, 0.045f, 0.09f}, wood);
  m.Box(kRifle, id, {0, 0.01f, -0.6f}, {0.024f, 0.024f, 0.16f}, dark);
  m.Box(kRifle, id, {0, 0.065f, -0.1f}, {0.012f, 0.02f, 0.05f}, dark);
  return m;
}

// The bones for one pose: the trunk by angles, the rifle in the chest's frame, arms and legs by
// reaching for the grips and feet.
std::vector<Xform> PoseBones(const Pose& p) {
  std::vector<Xform> b(kBoneCount);
  b[kPelvis] = Translate(p.pelvis) * Euler(p.pelvisRot);
  b[kSpine] = b[kPelvis] * Translate(kSpineOffset) * Euler(p.spineRot);
  b[kHead] = b[kSpine] * Translate(kNeckOffset) * Euler(p.headRot);
  b[kRifle] = b[kSpine] * Translate(kChestOffset) * Translate(p.riflePos) * Euler(p.rifleRot);

  for (int side = 0; side < 2; ++side) {
    float sx = side == 0 ? 1.0f : -1.0f;
    Vec3 shoulder = b[kSpine].Apply({sx * kShoulderX, kShoulderY, 0});
    Vec3 target = b[kRifle].Apply(side == 0 ? kGripR : kGripL);
    Vec3 pole = b[kSpine].ApplyDir({sx * 0.7f, -0.6f, 0.35f});
    Vec3 elbow, wrist;
    ReachTwoBone(shoulder, target, kUpperArm, kForeArm, pole, &elbow, &wrist);
    b[side == 0 ? kUpperArmR : kUpperArmL] = BoneFrame(shoulder, shoulder - elbow, pole);
    b[side == 0 ? kForeArmR : kForeArmL] = BoneFrame(elbow, elbow - wrist, pole);

    Vec3 hip = b[kPelvis].Apply({sx * kHipX, kHipY, 0});
    Vec3 foot = side == 0 ? p.footR : p.footL;
    Vec3 knee, ankle;
    Vec3 kneePole = b[kPelvis].ApplyDir({sx * 0.12f, 0, -1});
    ReachTwoBone(hip, foot, kThigh, kShin, kneePole, &knee, &ankle);
    Vec3 back = kneePole * -1.0f;
    b[side == 0 ? kThighR : kThighL] = BoneFrame(hip, hip - knee, back);
    b[side == 0 ? kShinR : kShinL] = BoneFrame(knee, knee - ankle, back);
    float pitch = side == 0 ? p.footPitchR : p.footPitchL;
    b[side == 0 ? kFootR : kFootL] = Translate(ankle) * RotY(p.pelvisRot.y * 0.5f) * RotX(pitch);
  }
  return b;
}

std::vector<KeyFrame> Frames(const Mesh& mesh, const std::vector<Pose>& poses, const std::string& name) {
  std::vector<KeyFrame> frames;
  for (size_t i = 0; i < poses.size(); ++i)
    frames.push_back({name + std::to_string(i + 1), mesh.Posed(PoseBones(poses[i]))});
  return frames;
}

// Stand: breathing and a slow look around, 16 looping frames.
std::vector<Pose> StandPoses() {
  std::vector<Pose> out;
  for (int i = 0; i < 16; ++i) {
    float t = 2 * kPi * static_cast<float>(i) / 16.0f;
    Pose p = Ready();
    p.pelvis.y += 0.008f * std::sin(t);
    p.spineRot.x = -3 - 1.5f * std::sin(t);
    p.headRot.y = 10 * std::sin(t * 0.5f + 0.3f) * std::sin(t * 0.5f + 0.3f) - 4;
    p.headRot.x = 2 * std::sin(t);
    p.rifleRot.x = -22 + 2 * std::sin(t + 0.6f);
    p.riflePos.y += 0.01f * std::sin(t);
    out.push_back(p);
  }
  return out;
}

// Walk: one stride cycle (two steps) of kWalkStride units in 12 looping frames.
constexpr float kWalkStride = 1.4f;
std::vector<Pose> WalkPoses() {
  std::vector<Pose> out;
  const int n = 12;
  for (int i = 0; i < n; ++i) {
    float phase = static_cast<float>(i) / static_cast<float>(n);
    Pose p = Ready();
    auto foot = [&](float ph, float x, Vec3* pos, float* pitch) {
      ph = ph - std::floor(ph);
      float z, lift = 0;
      if (ph < 0.5f) {  // on the ground, sliding back as the body moves on
        z = -kWalkStride / 4 + kWalkStride / 2 * (ph / 0.5f);
        *pitch = 0;
      } else {  // swinging forward
        float s = (ph - 0.5f) / 0.5f;
        float e = s * s * (3 - 2 * s);
        z = kWalkStride / 4 - kWalkStride / 2 * e;
        lift = 0.16f * std::sin(kPi * s);
        *pitch = 25 * std::sin(kPi * s) - 10 * std::sin(2 * kPi * s);
      }
      *pos = {x, kAnkle + lift, z};
    };
    foot(phase, 0.12f, &p.footR, &p.footPitchR);
    foot(phase + 0.5f, -0.12f, &p.footL, &p.footPitchL);
    // Lowest when both feet are down and wide apart, highest as one passes the other.
    float bob = -std::cos(4 * kPi * phase);
    p.pelvis = {0.02f * std::sin(2 * kPi * phase), 0.94f + 0.02f * bob, 0};
    p.pelvisRot = {0, 6 * std::sin(2 * kPi * phase), 2 * std::sin(2 * kPi * phase)};
    p.spineRot = {-7, -8 * std::sin(2 * kPi * phase), -2 * std::sin(2 * kPi * phase)};
    p.headRot = {4, 2 * std::sin(2 * kPi * phase), 0};
    p.rifleRot.x = -20 + 3 * bob;
    p.riflePos.y += 0.015f * bob;
    out.push_back(p);
  }
  return out;
}

// Atack: wind up to the right, swing the rifle across in a lunge (the blow lands at frame 7,
// index 6), recover; 12 frames.
std::vector<Pose> AtackPoses() {
  Pose ready = Ready();
  Pose wind = ready;
  wind.pelvisRot = {0, -18, 0};
  wind.spineRot = {4, -45, 0};
  wind.headRot = {0, 25, 0};
  wind.riflePos = {0.24f, 0.08f, 0.02f};
  wind.rifleRot = {28, -75, 10};
  wind.footL = {-0.14f, kAnkle, -0.12f};
  wind.footR = {0.16f, kAnkle, 0.14f};
  Pose strike = ready;
  strike.pelvis = {-0.03f, 0.88f, -0.16f};
  strike.pelvisRot = {0, 6, 0};
  strike.spineRot = {-16, 20, 0};
  strike.headRot = {8, -14, 0};
  strike.riflePos = {0.0f, 0.05f, -0.44f};
  strike.rifleRot = {4, 35, -8};
  strike.footL = {-0.16f, kAnkle, -0.5f};
  strike.footR = {0.15f, kAnkle + 0.06f, 0.28f};  // up on the toes
  strike.footPitchR = -20;
  Pose follow = strike;
  follow.spineRot = {-12, 35, 0};
  follow.riflePos = {-0.12f, 0.0f, -0.38f};
  follow.rifleRot = {0, 70, -10};
  std::vector<Key<Pose>> keys = {{0, ready}, {3, wind}, {6, strike}, {8, follow}, {11.5f, ready}};
  std::vector<Pose> out;
  for (int i = 0; i < 12; ++i) out.push_back(Sample(keys, static_cast<float>(i), false, 12));
  return out;
}

// Shot: raise to the shoulder, fire with a kick at frame 5 (index 4), settle, lower; 10 frames.
std::vector<Pose> ShotPoses() {
  Pose ready = Ready(), aim = Aim(), kick = Aim();
  kick.riflePos.z += 0.09f;
  kick.riflePos.y += 0.03f;
  kick.rifleRot.x += 16;
  kick.spineRot.x += 6;
  kick.headRot.x += 8;
  kick.pelvis.z += 0.03f;
  std::vector<Key<Pose>> keys = {{0, ready},  {2.5f, aim}, {3.6f, aim},  {4, kick},
                                 {5.2f, aim}, {6.5f, aim}, {9.5f, ready}};
  std::vector<Pose> out;
  for (int i = 0; i < 10; ++i) out.push_back(Sample(keys, static_cast<float>(i), false, 10));
  return out;
}

// Damage: thrown back by the hit, stagger, recover; 8 frames.
std::vector<Pose> DamagePoses() {
  Pose ready = Ready();
  Pose hit = ready;
  hit.pelvis = {0, 0.92f, 0.12f};
  hit.pelvisRot = {6, 8, 0};
  hit.spineRot = {22, 12, 8};
  hit.headRot = {28, -10, 10};
  hit.riflePos = {0.12f, 0.08f, -0.12f};
  hit.rifleRot = {40, 10, 20};
  hit.footR = {0.16f, kAnkle, 0.3f};
  hit.footPitchR = 15;
  Pose stagger = hit;
  stagger.pelvis = {0.02f, 0.9f, 0.1f};
  stagger.spineRot = {8, 4, -6};
  stagger.headRot = {4, 0, -4};
  stagger.rifleRot = {5, 20, 5};
  stagger.riflePos = {0.1f, -0.05f, -0.2f};
  std::vector<Key<Pose>> keys = {{0, ready}, {1.5f, hit}, {3.5f, stagger}, {7, ready}};
  std::vector<Pose> out;
  for (int i = 0; i < 8; ++i) out.push_back(Sample(keys, static_cast<float>(i), false, 8));
  return out;
}

}  // namespace

bool GenerateSoldier(const std::filesystem::path& out, ModelReport* report) {
  const Mesh mesh = BuildMesh();
  const std::filesystem::path models = out / "Data" / "Models";
  const std::filesystem::path textures = out / "Data" / "Textures";
  struct Anim {
    const char* file;
    const char* frameName;
    std::vector<Pose> poses;
  };
  const Anim anims[] = {
      {"soldier_stand.md2", "stand", StandPoses()},    {"soldier_walk.md2", "walk", WalkPoses()},
      {"soldier_atack.md2", "atack", AtackPoses()},    {"soldier_shot.md2", "shot", ShotPoses()},
      {"soldier_damage.md2", "damage", DamagePoses()},
  };
  for (const Anim& a : anims) {
    if (!WriteMd2(models / a.file, mesh, Frames(mesh, a.poses, a.frameName), kSkin, kSkin,
                  "soldier_blue.png"))
      return false;
    report->push_back({a.file, a.poses.size(), mesh.VertexCount(), mesh.TriangleCount()});
  }
  const struct {
    const char* file;
    uint32_t colour;
  } teams[] = {{"soldier_blue.png", 0x2F5FB8},
               {"soldier_red.png", 0xB23A2E},
               {"soldier_green.png", 0x3C8A34},
               {"soldier_sand.png", 0xC8A048}};
  for (const auto& t : teams) {
    Canvas canvas(kSkin, kSkin);
    PaintSkin(canvas, Hex(t.colour));
    if (!canvas.WritePng(textures / t.file)) return false;
  }
  return true;
}

}  // namespace assetgen::models
