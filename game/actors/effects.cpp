// Effect kinds, the emitters, their particles and the particles' drawing.
#include "game/actors/effects.h"

#include <GL/gl.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <deque>
#include <numeric>

#include "game/actors/bullets.h"
#include "game/actors/creatures.h"
#include "game/core/camera.h"
#include "game/core/random.h"
#include "game/world/assets.h"
#include "game/world/defs.h"
#include "game/world/registry.h"

namespace game {

namespace {

TEffectLists g_effects;

const TDefFormat<TEffect>& EffectFormat() {
  static const TDefFormat<TEffect> format = [] {
    TDefFormat<TEffect> f;
    f.Defaults = [](TEffect& e) {
      e.Scale = 1.0f;
      e.Alpha = 1.0f;
    };
    f.Keys = {
        DefField("NAME", &TEffect::Name),
        // Particle textures live beside the effect files, not with the model skins.
        {"TEXTURE",
         [](TEffect& e, const TDefLine& line) {
           e.Texture = LoadKindTexture(line, "Data/Effects/", eng::WorldTextureFlags, e.Texture);
         }},
        DefField("CANTMOVE", &TEffect::CantMove),
        DefField("PE_LIFETIME", &TEffect::Lifetime),
        DefField("PE_OFFSETY", &TEffect::OffsetY),
        DefField("P_SCALE", &TEffect::Scale),
        DefField("P_POSRND", &TEffect::PosRnd),
        DefField("P_ALPHA", &TEffect::Alpha),
        DefField("P_ALPHACHANGE", &TEffect::AlphaChange),
        {"P_SPEEDY", [](TEffect& e, const TDefLine& line) { e.Speed[1] = line.Float(); }},
        {"P_SPEEDYCHANGE", [](TEffect& e, const TDefLine& line) { e.SpeedChange[1] = line.Float(); }},
    };
    return f;
  }();
  return format;
}

// The smallest ID from 1 up that no living effect carries; 0 when every one is taken. With n
// effects it is at most n + 1, so only IDs up to there need marking.
uint16_t FreeEffectId() {
  const size_t limit = std::min<size_t>(g_effects.Effects.size() + 1, 65535);
  std::vector<bool> used(limit + 1, false);
  for (const TEffect& e : g_effects.Effects)
    if (e.ID <= limit) used[e.ID] = true;
  for (size_t id = 1; id <= limit; ++id)
    if (!used[id]) return static_cast<uint16_t>(id);
  return 0;
}

// One emission offset: Random(n) x 0.01 - PosRnd / 2 with n = PosRnd x 100 rounded to the nearest
// integer, halves to even. A spread too wide for the generator's range is clamped to it.
double EmissionOffset(float posRnd) {
  double scaled = std::nearbyint(static_cast<double>(posRnd) * 100.0);  // the default mode: halves to even
  int32_t n = 0;
  if (scaled >= static_cast<double>(INT32_MAX))
    n = INT32_MAX;
  else if (scaled > 0.0)
    n = static_cast<int32_t>(scaled);
  return static_cast<double>(Random(n)) * 0.01 - static_cast<double>(posRnd) / 2.0;
}

void Emit(const TEffect& e) {
  TParticle p;
  p.Texture = e.Texture;
  p.Scale = e.Scale;
  // Three draws, one per axis, in this order: a seeded game replays the same particles.
  double rx = EmissionOffset(e.PosRnd);
  double ry = EmissionOffset(e.PosRnd);
  double rz = EmissionOffset(e.PosRnd);
  p.PosX = static_cast<float>(static_cast<double>(e.PosX) + rx);
  p.PosY = static_cast<float>(static_cast<double>(e.PosY) + ry);
  p.PosZ = static_cast<float>(static_cast<double>(e.PosZ) + rz);
  p.PosY += e.OffsetY;
  p.Alpha = e.Alpha;
  p.AlphaChange = e.AlphaChange;
  p.VelX = e.Speed[0];
  p.VelY = e.Speed[1];
  p.VelZ = e.Speed[2];
  p.AccX = e.SpeedChange[0];
  p.AccY = e.SpeedChange[1];
  p.AccZ = e.SpeedChange[2];
  p.EffectID = e.ID;
  p.Serial = g_effects.NextSerial++;
  g_effects.Particles.push_back(p);
}

// Moves and fades every particle; the faded leave, the others keep their order.
void MoveParticles() {
  std::vector<TParticle>& list = g_effects.Particles;
  auto faded = [](TParticle& p) {
    p.VelX += p.AccX;
    p.VelY += p.AccY;
    p.VelZ += p.AccZ;
    p.PosX += p.VelX;
    p.PosY += p.VelY;
    p.PosZ += p.VelZ;
    p.Alpha += p.AlphaChange;
    if (p.Alpha > 1.0f) p.Alpha = 1.0f;
    return p.Alpha <= 0.0f;
  };
  list.erase(std::remove_if(list.begin(), list.end(), faded), list.end());
}

// Drops the oldest particles beyond MaxParticles; the rest keep their order.
void BoundParticles() {
  std::vector<TParticle>& list = g_effects.Particles;
  if (list.size() <= MaxParticles) return;
  size_t excess = list.size() - MaxParticles;
  std::vector<uint64_t> serials(list.size());
  for (size_t i = 0; i < list.size(); ++i) serials[i] = list[i].Serial;
  std::nth_element(serials.begin(), serials.begin() + static_cast<std::ptrdiff_t>(excess), serials.end());
  uint64_t keepFrom = serials[excess];  // serials are unique: exactly `excess` are older
  list.erase(std::remove_if(list.begin(), list.end(), [&](const TParticle& p) { return p.Serial < keepFrom; }),
             list.end());
}

// The exchange sort itself, on the distances with the particles' indices riding along (for lists
// with NaN).
void ExchangeSort(std::vector<float>& key, std::vector<size_t>& index) {
  const size_t n = key.size();
  for (size_t i = 0; i + 1 < n; ++i) {
    for (size_t j = i + 1; j < n; ++j) {
      if (key[i] < key[j]) {
        std::swap(key[i], key[j]);
        std::swap(index[i], index[j]);
      }
    }
  }
}

// Counts of marked list positions below a position (a Fenwick tree).
class TPositionCounts {
 public:
  explicit TPositionCounts(size_t n) : tree_(n + 1, 0) {}
  void Mark(size_t position) {
    for (size_t i = position + 1; i < tree_.size(); i += i & (~i + 1)) ++tree_[i];
  }
  size_t Below(size_t position) const {
    size_t count = 0;
    for (size_t i = position; i > 0; i -= i & (~i + 1)) count += tree_[i];
    return count;
  }

 private:
  std::vector<size_t> tree_;
};

// Where the exchange sort leaves a group of equal distances v, from the group's places among the
// particles at v or farther (`at`, rising, in list order) and how many are farther (`passes`).
// Each pass of the sort moves the farthest particle left to the front. Seen among the particles at
// v or farther alone (nearer ones never change their order), a pass moves every particle of the
// group one place forward, except that when the group's first particle is at the very front it
// skips over the group's particles right behind it and lands after them: the run at the front
// turns by one. The group keeps its order once nothing farther is left. Returns the group's
// members (0 .. m - 1, in list order) in their final order.
std::vector<size_t> TieOrder(const std::vector<size_t>& at, size_t passes) {
  const size_t m = at.size();
  std::deque<size_t> run;  // the members at the front, in their current order
  size_t next = 0;         // the first member not yet in the run
  size_t done = 0;         // passes so far; a member not in the run is then at at[i] - done
  for (;;) {
    while (next < m && at[next] - done <= run.size()) run.push_back(next++);
    if (done == passes) break;
    if (run.empty()) {
      done += std::min(at[next] - done, passes - done);  // until the next member reaches the front
      continue;
    }
    size_t turns = passes - done;
    if (next < m) turns = std::min(turns, at[next] - done - run.size());  // until it joins the run
    for (size_t k = turns % run.size(); k > 0; --k) {
      run.push_back(run.front());
      run.pop_front();
    }
    done += turns;
  }
  std::vector<size_t> order(run.begin(), run.end());
  for (; next < m; ++next) order.push_back(next);
  return order;
}

// Reorders each group of equal distances in `index` (sorted farthest first, equal ones in list
// order) as the exchange sort would have left it.
void OrderTies(const std::vector<float>& key, std::vector<size_t>& index) {
  const size_t n = index.size();
  bool ties = false;
  for (size_t i = 1; i < n && !ties; ++i) ties = key[index[i - 1]] == key[index[i]];
  if (!ties) return;  // distinct distances have only one order
  TPositionCounts farOrEqual(n);
  std::vector<size_t> at, group;
  for (size_t begin = 0; begin < n;) {
    size_t end = begin + 1;
    while (end < n && key[index[end]] == key[index[begin]]) ++end;
    for (size_t i = begin; i < end; ++i) farOrEqual.Mark(index[i]);
    if (end - begin > 1) {
      at.clear();
      for (size_t i = begin; i < end; ++i) at.push_back(farOrEqual.Below(index[i]));
      group.assign(index.begin() + static_cast<std::ptrdiff_t>(begin), index.begin() + static_cast<std::ptrdiff_t>(end));
      std::vector<size_t> order = TieOrder(at, begin);
      for (size_t i = 0; i < order.size(); ++i) index[begin + i] = group[order[i]];
    }
    begin = end;
  }
}

}  // namespace

TEffectLists& EffectLists() { return g_effects; }

void LoadEffectKind(const std::string& fileName) {
  LoadDefinitionKind(fileName, EffectFormat(), g_effects.EffectKinds);
}

uint16_t CreateEffect(const std::string& kindName, float x, float y, float z) {
  int32_t kind = FindKind(g_effects.EffectKinds, kindName);
  if (kind < 0) return 0;
  uint16_t id = FreeEffectId();
  if (id == 0) return 0;
  TEffect e = g_effects.EffectKinds[static_cast<size_t>(kind)];
  e.ID = id;
  e.PosX = x;
  e.PosY = y;
  e.PosZ = z;
  g_effects.Effects.push_back(std::move(e));
  return id;
}

int32_t FindEffect(uint16_t id) {
  for (size_t i = 0; i < g_effects.Effects.size(); ++i)
    if (g_effects.Effects[i].ID == id) return static_cast<int32_t>(i);
  return -1;
}

void MoveEffect(uint16_t id, float x, float y, float z) {
  int32_t index = FindEffect(id);
  if (index < 0) return;
  TEffect& e = g_effects.Effects[static_cast<size_t>(index)];
  if (e.CantMove) return;
  e.PosX = x;
  e.PosY = y;
  e.PosZ = z;
}

void RemoveEffect(uint16_t id) {
  int32_t index = FindEffect(id);
  if (index < 0) return;
  g_effects.Effects.erase(g_effects.Effects.begin() + index);
  for (TCreature& c : CreatureLists().Creatures)
    if (c.EffectID == id) c.EffectID = 0;
  for (TBullet& b : BulletLists().Bullets)
    if (b.EffectID == id) b.EffectID = 0;
  // The particles stay, but no longer belong to the ID: a later effect may be given it.
  for (TParticle& p : g_effects.Particles)
    if (p.EffectID == id) p.EffectID = 0;
}

void RemoveEffectWithParticles(uint16_t id) {
  if (FindEffect(id) < 0) return;
  std::vector<TParticle>& list = g_effects.Particles;
  list.erase(std::remove_if(list.begin(), list.end(), [id](const TParticle& p) { return p.EffectID == id; }),
             list.end());
  RemoveEffect(id);
}

void UpdateEffects() {
  // Removing an effect moves the later ones up, so the index stays for the next one.
  for (size_t i = 0; i < g_effects.Effects.size();) {
    TEffect& e = g_effects.Effects[i];
    Emit(e);
    // Lifetime - 1 < 1, without wrapping below the smallest integer.
    if (e.Lifetime < 2) {
      RemoveEffect(e.ID);
    } else {
      e.Lifetime -= 1;
      ++i;
    }
  }
  MoveParticles();
  BoundParticles();
}

void SortParticlesBackToFront(std::vector<TParticle>& particles) {
  const size_t n = particles.size();
  if (n < 2) return;
  std::vector<float> key(n);
  bool hasNaN = false, ordered = true;
  for (size_t i = 0; i < n; ++i) {
    key[i] = particles[i].CameraDistance;
    hasNaN = hasNaN || std::isnan(key[i]);
    if (i > 0 && key[i - 1] < key[i]) ordered = false;
  }
  // Without NaN, a list already farthest first makes the exchange sort swap nothing.
  if (!hasNaN && ordered) return;

  std::vector<size_t> index(n);
  std::iota(index.begin(), index.end(), size_t{0});
  if (hasNaN) {
    // NaN compares false both ways, which no ordering can stand for: only the sort itself knows.
    ExchangeSort(key, index);
  } else {
    // Farthest first; equal distances for now in list order, then as the exchange sort leaves them.
    std::stable_sort(index.begin(), index.end(), [&](size_t a, size_t b) { return key[a] > key[b]; });
    OrderTies(key, index);
  }
  std::vector<TParticle> sorted(n);
  for (size_t i = 0; i < n; ++i) sorted[i] = particles[index[i]];
  particles.swap(sorted);
}

void DrawEffects() {
  const eng::TCamera3D& camera = GmCamera().Camera;
  for (TParticle& p : g_effects.Particles)
    p.CameraDistance = eng::Length(eng::TVec3{p.PosX, p.PosY, p.PosZ} - camera.Position);
  SortParticlesBackToFront(g_effects.Particles);

  glEnable(GL_BLEND);
  glEnable(GL_TEXTURE_2D);
  const eng::TMatrix4& m = camera.Matrix;
  const eng::TVec3 right{m[0], m[4], m[8]};
  const eng::TVec3 up{m[1], m[5], m[9]};
  const eng::TVec3 toEye{m[2], m[6], m[10]};  // the quads face the camera, and so does their light
  for (const TParticle& p : g_effects.Particles) {
    const eng::TVec3 at{p.PosX, p.PosY, p.PosZ};
    const eng::TVec3 r = right * p.Scale, u = up * p.Scale;
    const eng::TVec3 corners[4] = {at - r - u, at + r - u, at + r + u, at - r + u};
    const float tex[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    eng::CameraLoadMatrix(camera);
    glBindTexture(GL_TEXTURE_2D, p.Texture != nullptr ? p.Texture->ID : 0);
    const GLfloat diffuse[4] = {1.0f, 1.0f, 1.0f, p.Alpha};
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
    glBegin(GL_QUADS);
    glNormal3f(toEye.X, toEye.Y, toEye.Z);
    for (int k = 0; k < 4; ++k) {
      glTexCoord2f(tex[k][0], tex[k][1]);
      glVertex3f(corners[k].X, corners[k].Y, corners[k].Z);
    }
    glEnd();
  }
  glDisable(GL_BLEND);
  const GLfloat opaque[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, opaque);
}

void EffectsReset() { g_effects = TEffectLists{}; }

}  // namespace game
