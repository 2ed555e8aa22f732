// The beast: a hunched, spined quadruped about 2.2 units long and 1.25 tall at the horns, facing
// -Z, that fights with its jaws. Its legs reach for planted paws; five animations (Stand, Walk,
// Atack, Shot as a roar, Damage) share one skin layout, painted in two coats.
#include <cmath>

#include "tools/assetgen/models_anim.h"
#include "tools/assetgen/models_gen.h"
#include "tools/assetgen/models_kit.h"

namespace assetgen::models {

namespace {

constexpr int kSkin = 256;
constexpr float kPi = 3.14159265358979f;

enum Bone {
  kBody,
  kNeck,
  kHead,
  kJaw,
  kUpperFL,
  kLowerFL,
  kUpperFR,
  kLowerFR,
  kUpperBL,
  kLowerBL,
  kUpperBR,
  kLowerBR,
  kPawFL,
  kPawFR,
  kPawBL,
  kPawBR,
  kTail1,
  kTail2,
  kTail3,
  kBoneCount
};

constexpr Vec3 kNeckOffset{0, 0.14f, -0.56f};
constexpr Vec3 kHeadOffset{0, 0.06f, -0.3f};
constexpr Vec3 kJawOffset{0, -0.075f, -0.1f};
constexpr Vec3 kTailOffset{0, 0.1f, 0.54f};
constexpr float kTailSegment = 0.2f;
constexpr float kUpperLeg = 0.36f, kLowerLeg = 0.37f;
constexpr float kPawY = 0.06f;
// Leg roots in the body's frame: front (shoulders) and back (hips), right side (+X).
constexpr Vec3 kFrontRoot{0.19f, -0.13f, -0.42f};
constexpr Vec3 kBackRoot{0.16f, -0.08f, 0.36f};

struct Pose {
  Vec3 body{0, 0.78f, 0};
  Vec3 bodyRot;
  Vec3 neckRot{28, 0, 0};
  Vec3 headRot{-22, 0, 0};
  float jaw = 6;  // degrees open
  Vec3 pawFL{-0.2f, kPawY, -0.44f};
  Vec3 pawFR{0.2f, kPawY, -0.4f};
  Vec3 pawBL{-0.17f, kPawY, 0.36f};
  Vec3 pawBR{0.17f, kPawY, 0.4f};
  Vec3 tail{28, 0, 0};  // droop of the first segment (down), yaw sway, droop of the later ones
};

Rect Cell(int col, int row, int cols = 1, int rows = 1) {
  return Inset(Rect{col * 32, row * 32, 32 * cols, 32 * rows}, 3);
}

struct SkinMap {
  Rect back = Cell(0, 0, 2, 1), side = Cell(2, 0, 2, 1), belly = Cell(4, 0), rump = Cell(5, 0),
       chestFront = Cell(6, 0);
  Rect skull = Cell(0, 1), face = Cell(1, 1), snout = Cell(2, 1), snoutTip = Cell(3, 1), jaw = Cell(4, 1);
  Rect mouth = Cell(5, 1), bone = Cell(6, 1), claw = Cell(7, 1), leg = Cell(0, 2), paw = Cell(1, 2),
       tail = Cell(2, 2);
};
const SkinMap kMap;

Rgb Shaded(Rgb base, float v, float amount = 0.25f) {
  return base * (1.08f - amount * v);
}

Rgb Fur(Rgb base, int x, int y, uint32_t seed, float stripes) {
  float strand = 0.85f + 0.3f * Noise(static_cast<float>(x) * 0.9f, static_cast<float>(y) * 0.15f, seed);
  float band =
      stripes > 0
          ? std::sin(static_cast<float>(x) * stripes +
                     2.0f * Noise(static_cast<float>(x) * 0.05f, static_cast<float>(y) * 0.1f, seed + 1))
          : -1.0f;
  return base * (strand * (band > 0.55f ? 0.45f : 1.0f));
}

// The coat of one skin: the demo's brown beast, and the alpha of the pack in charcoal grey.
struct Coat {
  const char* file;
  uint32_t fur, furDark, belly;
};

void PaintSkin(Canvas& c, const Coat& coat) {
  const Rgb fur = Hex(coat.fur), furDark = Hex(coat.furDark), belly = Hex(coat.belly), bone = Hex(0xEEE4CC);
  auto cell = [](int col, int row, int cols = 1, int rows = 1) {
    return Rect{col * 32, row * 32, 32 * cols, 32 * rows};
  };
  c.Paint({0, 0, kSkin, kSkin}, [&](float, float, int, int) { return furDark; });
  c.Paint(cell(0, 0, 2, 1),
          [&](float, float, int x, int y) { return Fur(Mix(fur, furDark, 0.3f), x, y, 101, 0.45f) * 1.05f; });
  c.Paint(cell(2, 0, 2, 1), [&](float, float v, int x, int y) {
    // Flanks: striped fur fading to the lighter belly colour at the bottom.
    Rgb base = Fur(fur, x, y, 102, 0.4f);
    return Shaded(Mix(base, belly * 0.8f, std::max(0.0f, v - 0.6f) * 2.0f), v, 0.15f);
  });
  c.Paint(cell(4, 0), [&](float, float, int x, int y) { return Fur(belly, x, y, 103, 0); });
  c.Paint(cell(5, 0), [&](float, float v, int x, int y) { return Shaded(Fur(fur, x, y, 104, 0.5f), v); });
  c.Paint(cell(6, 0),
          [&](float, float v, int x, int y) { return Shaded(Fur(Mix(fur, belly, 0.35f), x, y, 105, 0), v); });
  c.Paint(cell(0, 1), [&](float, float, int x, int y) { return Fur(furDark * 1.2f, x, y, 106, 0); });
  c.Paint(cell(1, 1), [&](float u, float v, int x, int y) {
    // Face: dark brow over two glowing eyes.
    Rgb base = Shaded(Fur(fur, x, y, 107, 0), v);
    if (v < 0.25f) base = furDark;
    for (float ex : {0.22f, 0.78f}) {
      float dx = (u - ex) / 0.16f, dy = (v - 0.42f) / 0.13f;
      float d = dx * dx + dy * dy;
      if (d < 1.0f) base = d < 0.35f ? Hex(0xFFF070) : Hex(0xF0A020);
    }
    return base;
  });
  c.Paint(cell(2, 1), [&](float, float v, int x, int y) {
    return Shaded(Fur(Mix(fur, furDark, 0.4f), x, y, 108, 0), v);
  });
  c.Paint(cell(3, 1), [&](float u, float v, int, int) {
    Rgb base = Hex(0x3A2A26);
    if (v < 0.45f && std::fabs(std::fabs(u - 0.5f) - 0.18f) < 0.08f) base = Hex(0x140E0C);  // nostrils
    return base;
  });
  c.Paint(cell(4, 1),
          [&](float, float v, int x, int y) { return Shaded(Fur(Mix(fur, belly, 0.3f), x, y, 109, 0), v); });
  c.Paint(cell(5, 1),
          [&](float, float, int x, int y) { return Hex(0x6A1018) * (0.8f + 0.3f * Hash01(x, y, 110)); });
  c.Paint(cell(6, 1), [&](float, float v, int x, int y) {
    return Shaded(bone * (0.92f + 0.1f * Hash01(x, y, 111)), v, 0.3f);
  });
  c.Paint(cell(7, 1), [&](float, float v, int, int) { return Shaded(Hex(0x2A2624), v, 0.2f); });
  c.Paint(cell(0, 2),
          [&](float, float v, int x, int y) { return Shaded(Fur(fur, x, y, 112, 0.6f), v, 0.35f); });
  c.Paint(cell(1, 2), [&](float, float v, int x, int y) { return Shaded(Fur(furDark, x, y, 113, 0), v); });
  c.Paint(cell(2, 2),
          [&](float u, float, int x, int y) { return Fur(Mix(fur, furDark, u), x, y, 114, 0.5f); });
}

// A block running along Z from zf (front) to zb (back), with its own centre height and half
// sizes (width, height) at each end.
void Segment(Mesh& m, int bone, float zf, float yf, float wf, float hf, float zb, float yb, float wb,
             float hb, const BoxSkin& skin) {
  const Vec3 c[8] = {{-wf, yf - hf, zf}, {wf, yf - hf, zf}, {wb, yb - hb, zb}, {-wb, yb - hb, zb},
                     {-wf, yf + hf, zf}, {wf, yf + hf, zf}, {wb, yb + hb, zb}, {-wb, yb + hb, zb}};
  m.Hexa(bone, c, skin);
}

// A four-sided spike from a base centre along `dir`.
void Spike(Mesh& m, int bone, Vec3 base, Vec3 dir, float length, float wx, float wz, Rect skin) {
  m.Tapered(bone, BoneFrame(base, dir, {0, 0, 1}), 0, {}, wx, wz, length, {}, 0.004f, 0.004f,
            BoxSkin::All(skin));
}

Mesh BuildMesh() {
  Mesh m;
  const SkinMap& s = kMap;
  const Xform id;
  // Body: high, humped chest and a narrower hind part, belly below, a row of spines on top.
  BoxSkin chest{s.side, s.side, s.back, s.belly, s.side, s.chestFront};
  Segment(m, kBody, -0.64f, 0.06f, 0.24f, 0.26f, -0.05f, 0.03f, 0.25f, 0.26f, chest);
  BoxSkin hind{s.side, s.side, s.back, s.belly, s.rump, s.side};
  Segment(m, kBody, -0.08f, 0.01f, 0.23f, 0.23f, 0.52f, 0.03f, 0.17f, 0.18f, hind);
  for (int i = 0; i < 6; ++i) {
    float z = -0.52f + 0.17f * static_cast<float>(i);
    float top = z < 0 ? 0.3f : 0.23f - 0.05f * z;
    float len = 0.24f - 0.025f * static_cast<float>(i);
    Spike(m, kBody, {0, top, z}, {0, 1, 0.55f}, len, 0.04f, 0.07f, s.bone);
  }
  // Neck and head: skull with the face in front, snout, horns, teeth; the lower jaw is its own bone.
  Segment(m, kNeck, -0.34f, 0.02f, 0.13f, 0.13f, 0.04f, -0.02f, 0.18f, 0.19f,
          {s.side, s.side, s.back, s.belly, s.side, s.side});
  BoxSkin skull{s.skull, s.skull, s.skull, s.jaw, s.skull, s.face};
  Segment(m, kHead, -0.2f, 0.01f, 0.14f, 0.11f, 0.06f, 0.02f, 0.15f, 0.13f, skull);
  BoxSkin snout{s.snout, s.snout, s.snout, s.mouth, s.snout, s.snoutTip};
  Segment(m, kHead, -0.47f, -0.04f, 0.07f, 0.05f, -0.19f, -0.02f, 0.1f, 0.075f, snout);
  for (float side : {-1.0f, 1.0f}) {
    Spike(m, kHead, {side * 0.1f, 0.1f, -0.02f}, {side * 0.35f, 0.6f, 0.75f}, 0.3f, 0.035f, 0.035f, s.bone);
    Spike(m, kHead, {side * 0.055f, -0.07f, -0.38f}, {0, -1, 0.1f}, 0.07f, 0.012f, 0.012f, s.bone);
    Spike(m, kJaw, {side * 0.05f, 0.0f, -0.26f}, {0, 1, -0.1f}, 0.06f, 0.011f, 0.011f, s.bone);
  }
  BoxSkin jaw{s.jaw, s.jaw, s.mouth, s.jaw, s.jaw, s.jaw};
  Segment(m, kJaw, -0.33f, -0.02f, 0.055f, 0.028f, 0.0f, -0.01f, 0.09f, 0.04f, jaw);
  // Legs: thick upper legs, thinner lower legs, clawed paws.
  const int uppers[] = {kUpperFL, kUpperFR, kUpperBL, kUpperBR},
            lowers[] = {kLowerFL, kLowerFR, kLowerBL, kLowerBR};
  const int paws[] = {kPawFL, kPawFR, kPawBL, kPawBR};
  for (int i = 0; i < 4; ++i) {
    m.Tapered(uppers[i], id, -kUpperLeg - 0.03f, {}, 0.07f, 0.08f, 0.06f, {}, 0.11f, 0.13f,
              BoxSkin::All(s.leg));
    m.Tapered(lowers[i], id, -kLowerLeg, {}, 0.05f, 0.055f, 0.02f, {}, 0.07f, 0.075f, BoxSkin::All(s.leg));
    m.Tapered(paws[i], id, -kPawY, {0, 0, -0.04f}, 0.065f, 0.095f, 0.03f, {0, 0, -0.01f}, 0.05f, 0.06f,
              BoxSkin::All(s.paw));
    for (float x : {-0.035f, 0.0f, 0.035f})
      Spike(m, paws[i], {x, -0.04f, -0.13f}, {0, -0.3f, -1}, 0.06f, 0.012f, 0.012f, s.claw);
  }
  // Tail: three tapering segments.
  m.Tapered(kTail1, RotX(90), -0.02f, {}, 0.07f, 0.07f, kTailSegment, {}, 0.055f, 0.055f,
            BoxSkin::All(s.tail));
  m.Tapered(kTail2, RotX(90), -0.02f, {}, 0.055f, 0.055f, kTailSegment, {}, 0.04f, 0.04f,
            BoxSkin::All(s.tail));
  m.Tapered(kTail3, RotX(90), -0.02f, {}, 0.04f, 0.04f, kTailSegment + 0.04f, {}, 0.006f, 0.006f,
            BoxSkin::All(s.tail));
  return m;
}

std::vector<Xform> PoseBones(const Pose& p) {
  std::vector<Xform> b(kBoneCount);
  b[kBody] = Translate(p.body) * Euler(p.bodyRot);
  b[kNeck] = b[kBody] * Translate(kNeckOffset) * Euler(p.neckRot);
  b[kHead] = b[kNeck] * Translate(kHeadOffset) * Euler(p.headRot) * Scale({1.3f, 1.3f, 1.3f});
  b[kJaw] = b[kHead] * Translate(kJawOffset) * RotX(-p.jaw);
  b[kTail1] = b[kBody] * Translate(kTailOffset) * RotY(p.tail.y) * RotX(p.tail.x);
  b[kTail2] = b[kTail1] * Translate({0, 0, kTailSegment}) * RotY(p.tail.y * 0.8f) * RotX(p.tail.z);
  b[kTail3] = b[kTail2] * Translate({0, 0, kTailSegment}) * RotY(p.tail.y * 0.8f) * RotX(p.tail.z);

  struct Leg {
    int upper, lower, paw;
    Vec3 root;
    Vec3 target;
    float bend;  // +1: the middle joint points back (front legs), -1: forward (hind legs)
  };
  const Leg legs[] = {
      {kUpperFL, kLowerFL, kPawFL, {-kFrontRoot.x, kFrontRoot.y, kFrontRoot.z}, p.pawFL, 1},
      {kUpperFR, kLowerFR, kPawFR, kFrontRoot, p.pawFR, 1},
      {kUpperBL, kLowerBL, kPawBL, {-kBackRoot.x, kBackRoot.y, kBackRoot.z}, p.pawBL, -1},
      {kUpperBR, kLowerBR, kPawBR, kBackRoot, p.pawBR, -1},
  };
  for (const Leg& leg : legs) {
    Vec3 root = b[kBody].Apply(leg.root);
    Vec3 pole = b[kBody].ApplyDir({0, 0, leg.bend});
    Vec3 middle, end;
    ReachTwoBone(root, leg.target, kUpperLeg, kLowerLeg, pole, &middle, &end);
    b[static_cast<size_t>(leg.upper)] = BoneFrame(root, root - middle, pole);
    b[static_cast<size_t>(leg.lower)] = BoneFrame(middle, middle - end, pole);
    b[static_cast<size_t>(leg.paw)] = Translate(end) * RotY(p.bodyRot.y * 0.5f);
  }
  return b;
}

// The beast is built at a comfortable working size and shrunk as a whole, so that at rest it
// stays within about 1.2 units of its tile centre.
constexpr float kOverallScale = 0.85f;

std::vector<KeyFrame> Frames(const Mesh& mesh, const std::vector<Pose>& poses, const std::string& name) {
  std::vector<KeyFrame> frames;
  for (size_t i = 0; i < poses.size(); ++i) {
    std::vector<Vec3> positions = mesh.Posed(PoseBones(poses[i]));
    for (Vec3& p : positions) p = p * kOverallScale;
    frames.push_back({name + std::to_string(i + 1), positions});
  }
  return frames;
}

std::vector<Pose> StandPoses() {
  std::vector<Pose> out;
  for (int i = 0; i < 16; ++i) {
    float t = 2 * kPi * static_cast<float>(i) / 16.0f;
    Pose p;
    p.body.y += 0.012f * std::sin(t);
    p.bodyRot.x = 1.0f * std::sin(t);
    p.neckRot = {28 + 3 * std::sin(t - 0.5f), 8 * std::sin(t * 0.5f) * std::sin(t * 0.5f) - 4, 0};
    p.headRot.x = -22 - 2 * std::sin(t);
    p.jaw = 6 + 5 * std::max(0.0f, std::sin(t));
    p.tail = {28 - 4 * std::sin(t), 16 * std::sin(t), 12};
    out.push_back(p);
  }
  return out;
}

// Walk: a trot with diagonal pairs, one cycle of kStride units in 12 looping frames.
constexpr float kStride = 1.3f;
std::vector<Pose> WalkPoses() {
  std::vector<Pose> out;
  const int n = 12;
  for (int i = 0; i < n; ++i) {
    float phase = static_cast<float>(i) / static_cast<float>(n);
    Pose p;
    auto paw = [&](float ph, Vec3 rest) {
      ph -= std::floor(ph);
      float z, lift = 0;
      if (ph < 0.5f) {
        z = -kStride / 4 + kStride / 2 * (ph / 0.5f);
      } else {
        float s = (ph - 0.5f) / 0.5f;
        z = kStride / 4 - kStride / 2 * (s * s * (3 - 2 * s));
        lift = 0.15f * std::sin(kPi * s);
      }
      return Vec3{rest.x, kPawY + lift, rest.z + z};
    };
    Pose rest;
    p.pawFL = paw(phase, rest.pawFL);
    p.pawBR = paw(phase, rest.pawBR);
    p.pawFR = paw(phase + 0.5f, rest.pawFR);
    p.pawBL = paw(phase + 0.5f, rest.pawBL);
    float bob = std::cos(4 * kPi * phase);
    p.body = {0, 0.77f + 0.02f * bob, 0};
    p.bodyRot = {1.5f * std::sin(4 * kPi * phase), 3 * std::sin(2 * kPi * phase),
                 2 * std::sin(2 * kPi * phase)};
    p.neckRot = {24 + 3 * bob, -3 * std::sin(2 * kPi * phase), 0};
    p.headRot = {-18 - 2 * bob, 0, 0};
    p.jaw = 10;
    p.tail = {20, 14 * std::sin(2 * kPi * phase + 1.0f), 8};
    out.push_back(p);
  }
  return out;
}

// Atack: gather, lunge with the jaws wide, snap shut at frame 7 (index 6), draw back; 12 frames.
std::vector<Pose> AtackPoses() {
  Pose rest;
  Pose gather = rest;
  gather.body = {0, 0.7f, 0.14f};
  gather.bodyRot = {-4, 0, 0};
  gather.neckRot = {4, 0, 0};
  gather.headRot = {-10, 0, 0};
  gather.jaw = 18;
  gather.tail = {5, 0, 20};
  Pose lunge = rest;
  lunge.body = {0, 0.8f, -0.34f};
  lunge.bodyRot = {3, 0, 0};
  lunge.neckRot = {6, 0, 0};
  lunge.headRot = {-14, 0, 0};
  lunge.jaw = 48;
  lunge.pawFL = {-0.2f, kPawY, -0.8f};
  lunge.pawFR = {0.2f, kPawY + 0.06f, -0.72f};
  lunge.tail = {10, 0, 15};
  Pose snap = lunge;
  snap.body.z = -0.4f;
  snap.headRot = {-24, 0, 0};
  snap.jaw = 0;
  Pose pull = snap;
  pull.body = {0, 0.76f, -0.2f};
  pull.headRot = {-30, 8, 10};
  pull.jaw = 4;
  std::vector<Key<Pose>> keys = {{0, rest}, {2.5f, gather}, {5, lunge}, {6, snap}, {8, pull}, {11.5f, rest}};
  std::vector<Pose> out;
  for (int i = 0; i < 12; ++i) out.push_back(Sample(keys, static_cast<float>(i), false, 12));
  return out;
}

// Shot: the beast cannot shoot; it rears its head and roars (loudest at frame 5); 10 frames.
std::vector<Pose> ShotPoses() {
  Pose rest;
  Pose rear = rest;
  rear.body = {0, 0.82f, 0.06f};
  rear.bodyRot = {8, 0, 0};
  rear.neckRot = {48, 0, 0};
  rear.headRot = {-4, 0, 0};
  rear.jaw = 50;
  rear.tail = {-30, 0, 18};
  Pose shake = rear;
  shake.headRot = {-8, 12, 10};
  std::vector<Key<Pose>> keys = {{0, rest}, {2.5f, rear}, {4.5f, shake}, {6, rear}, {9.5f, rest}};
  std::vector<Pose> out;
  for (int i = 0; i < 10; ++i) out.push_back(Sample(keys, static_cast<float>(i), false, 10));
  return out;
}

// Damage: knocked back and sideways with a yelp, then recover; 8 frames.
std::vector<Pose> DamagePoses() {
  Pose rest;
  Pose hit = rest;
  hit.body = {0.04f, 0.72f, 0.18f};
  hit.bodyRot = {6, 12, 14};
  hit.neckRot = {42, -10, 0};
  hit.headRot = {-2, -15, -12};
  hit.jaw = 36;
  hit.tail = {60, -20, 5};
  Pose stagger = hit;
  stagger.body = {-0.02f, 0.74f, 0.12f};
  stagger.bodyRot = {2, 4, -6};
  stagger.neckRot = {22, 4, 0};
  stagger.jaw = 12;
  std::vector<Key<Pose>> keys = {{0, rest}, {1.5f, hit}, {3.5f, stagger}, {7, rest}};
  std::vector<Pose> out;
  for (int i = 0; i < 8; ++i) out.push_back(Sample(keys, static_cast<float>(i), false, 8));
  return out;
}

}  // namespace

bool GenerateBeast(const std::filesystem::path& out, ModelReport* report) {
  const Mesh mesh = BuildMesh();
  const std::filesystem::path models = out / "Data" / "Models";
  struct Anim {
    const char* file;
    const char* frameName;
    std::vector<Pose> poses;
  };
  const Anim anims[] = {
      {"beast_stand.md2", "stand", StandPoses()},    {"beast_walk.md2", "walk", WalkPoses()},
      {"beast_atack.md2", "atack", AtackPoses()},    {"beast_shot.md2", "roar", ShotPoses()},
      {"beast_damage.md2", "damage", DamagePoses()},
  };
  for (const Anim& a : anims) {
    if (!WriteMd2(models / a.file, mesh, Frames(mesh, a.poses, a.frameName), kSkin, kSkin, "beast.png"))
      return false;
    report->push_back({a.file, a.poses.size(), mesh.VertexCount(), mesh.TriangleCount()});
  }
  for (const Coat& coat : {Coat{"beast.png", 0x8A5A28, 0x3E2814, 0xC8AC80},
                           Coat{"beast_alpha.png", 0x5E5C66, 0x242228, 0xA8A298}}) {
    Canvas canvas(kSkin, kSkin);
    PaintSkin(canvas, coat);
    if (!canvas.WritePng(out / "Data" / "Textures" / coat.file)) return false;
  }
  return true;
}

}  // namespace assetgen::models
