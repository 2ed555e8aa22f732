// Effect kinds, emitters and particles: the kind file, IDs and removal, one particle per tick for
// the lifetime, the random emission offsets, motion and fading, the bound on the particle list,
// and the back-to-front order against the exchange sort it must reproduce.
#include "game/actors/effects.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <random>
#include <set>

#include "game/actors/bullets.h"
#include "game/actors/creatures.h"
#include "game/core/fatal.h"
#include "game/core/game_core.h"
#include "game/core/random.h"
#include "game/world/registry.h"
#include "tests/support/test_support.h"

namespace {

using game::EffectLists;

class EffectsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = testsupport::ScratchDir();
    ResetAll();
    game::Core().AppDir = dir_.string() + "/";
    game::RandomSeed(12345);
  }
  void TearDown() override { ResetAll(); }
  static void ResetAll() {
    game::GameCoreReset();
    game::RegistryReset();
    game::EffectsReset();
    game::BulletsReset();
    game::CreaturesReset();
  }
  const game::TEffect& Load(const std::string& name, const std::string& text) {
    testsupport::WriteFile(dir_ / "Data/Effects" / (name + ".cro"), text);
    game::LoadEffectKind((dir_ / "Data/Effects" / (name + ".cro")).string());
    return EffectLists().EffectKinds.back();
  }
  // A kind made in memory with a file's defaults, emitting for a long time.
  static game::TEffect& AddKind(const std::string& name, int32_t lifetime = 1000000) {
    game::TEffect kind;
    kind.Name = name;
    kind.Scale = 1.0f;
    kind.Alpha = 1.0f;
    kind.Lifetime = lifetime;
    EffectLists().EffectKinds.push_back(kind);
    return EffectLists().EffectKinds.back();
  }
  static const game::TEffect& Effect(uint16_t id) {
    int32_t i = game::FindEffect(id);
    EXPECT_GE(i, 0) << id;
    return EffectLists().Effects[static_cast<size_t>(std::max(i, 0))];
  }
  std::filesystem::path dir_;
};

TEST_F(EffectsTest, KindDefaultsAndKeys) {
  const game::TEffect& bare = Load("bare", "");
  EXPECT_EQ(bare.Name, "");
  EXPECT_EQ(bare.ID, 0);
  EXPECT_EQ(bare.Texture, nullptr);
  EXPECT_EQ(bare.Lifetime, 0);
  EXPECT_EQ(bare.Scale, 1.0f);
  EXPECT_EQ(bare.Alpha, 1.0f);
  EXPECT_EQ(bare.AlphaChange, 0.0f);
  EXPECT_EQ(bare.PosRnd, 0.0f);
  EXPECT_EQ(bare.OffsetY, 0.0f);
  EXPECT_EQ(bare.Speed, (std::array<float, 3>{0, 0, 0}));
  EXPECT_FALSE(bare.CantMove);

  const game::TEffect& full = Load("full",
                                   "NAME = \"Camp Fire\"\n"
                                   "CANTMOVE\n"
                                   "PE_LIFETIME = 40\n"
                                   "PE_OFFSETY = 0.5\n"
                                   "P_SCALE = 0.25\n"
                                   "P_POSRND = 0.3\n"
                                   "p_alpha = 0.8\n"
                                   "P_ALPHACHANGE = -0.02\n"
                                   "P_SPEEDY = 0.05\n"
                                   "P_SPEEDYCHANGE = -0.001\n"
                                   "P_SPEEDX = 9\n"
                                   "PE_LIFETIME = 50 // the last line wins\n");
  EXPECT_EQ(full.Name, "Camp Fire");
  EXPECT_TRUE(full.CantMove);
  EXPECT_EQ(full.Lifetime, 50);
  EXPECT_EQ(full.OffsetY, 0.5f);
  EXPECT_EQ(full.Scale, 0.25f);
  EXPECT_EQ(full.PosRnd, 0.3f);
  EXPECT_EQ(full.Alpha, 0.8f);
  EXPECT_EQ(full.AlphaChange, -0.02f);
  EXPECT_EQ(full.Speed, (std::array<float, 3>{0.0f, 0.05f, 0.0f})) << "only the vertical speed has a key";
  EXPECT_EQ(full.SpeedChange, (std::array<float, 3>{0.0f, -0.001f, 0.0f}));

  EXPECT_THROW(Load("bad", "PE_LIFETIME = 1.5\n"), game::FatalError);
}

TEST_F(EffectsTest, IdsFillGapsAndRemovalClearsEveryHolder) {
  AddKind("Glow");
  EXPECT_EQ(game::CreateEffect("Spark", 0, 0, 0), 0) << "no such kind";
  EXPECT_TRUE(EffectLists().Effects.empty());
  EXPECT_EQ(game::CreateEffect("glow", 1, 2, 3), 1);
  EXPECT_EQ(game::CreateEffect("GLOW", 0, 0, 0), 2);
  EXPECT_EQ(game::CreateEffect("Glow", 0, 0, 0), 3);
  EXPECT_EQ(Effect(1).PosX, 1.0f);
  EXPECT_EQ(Effect(1).PosY, 2.0f);
  EXPECT_EQ(Effect(1).PosZ, 3.0f);
  EXPECT_EQ(game::FindEffect(0), -1);
  EXPECT_EQ(game::FindEffect(4), -1);

  // Creatures and bullets holding the ID lose it; other IDs stay.
  game::TCreature holder, other;
  holder.EffectID = 2;
  other.EffectID = 3;
  game::CreatureLists().Creatures = {holder, other};
  game::TBullet flying;
  flying.EffectID = 2;
  game::BulletLists().Bullets = {flying};
  game::UpdateEffects();
  ASSERT_EQ(EffectLists().Particles.size(), 3u);
  game::RemoveEffect(2);
  EXPECT_EQ(game::FindEffect(2), -1);
  EXPECT_EQ(game::FindEffect(3), 1) << "later effects move up";
  EXPECT_EQ(game::CreatureLists().Creatures[0].EffectID, 0);
  EXPECT_EQ(game::CreatureLists().Creatures[1].EffectID, 3);
  EXPECT_EQ(game::BulletLists().Bullets[0].EffectID, 0);
  EXPECT_EQ(EffectLists().Particles.size(), 3u) << "the particles outlive their emitter";
  game::RemoveEffect(2);
  game::RemoveEffect(77);
  EXPECT_EQ(EffectLists().Effects.size(), 2u) << "unknown IDs do nothing";

  // The freed ID is handed out again, and it does not adopt the old particles.
  EXPECT_EQ(game::CreateEffect("Glow", 0, 0, 0), 2);
  game::RemoveEffectWithParticles(2);
  EXPECT_EQ(EffectLists().Particles.size(), 3u);
  game::RemoveEffectWithParticles(1);
  EXPECT_EQ(EffectLists().Particles.size(), 2u);
  EXPECT_EQ(game::FindEffect(1), -1);
}

TEST_F(EffectsTest, MoveRequestsAreIgnoredByCantMoveEffects) {
  AddKind("Follow");
  AddKind("Pinned").CantMove = true;
  uint16_t follow = game::CreateEffect("Follow", 1, 0, 1);
  uint16_t pinned = game::CreateEffect("Pinned", 1, 0, 1);
  // A creature walking along X drags its effects each tick.
  for (int tick = 1; tick <= 3; ++tick) {
    game::MoveEffect(follow, 1.0f + static_cast<float>(tick), 0.0f, 1.0f);
    game::MoveEffect(pinned, 1.0f + static_cast<float>(tick), 0.0f, 1.0f);
    game::UpdateEffects();
  }
  EXPECT_EQ(Effect(follow).PosX, 4.0f);
  EXPECT_EQ(Effect(pinned).PosX, 1.0f);
  std::multiset<float> xs;
  for (const game::TParticle& p : EffectLists().Particles) xs.insert(p.PosX);
  EXPECT_EQ(xs, (std::multiset<float>{1, 1, 1, 2, 3, 4})) << "the pinned one keeps emitting where it was created";
  game::MoveEffect(99, 0, 0, 0);  // nothing to move
}

TEST_F(EffectsTest, OneParticlePerTickForTheLifetimeAndOnceWithout) {
  AddKind("Once", 0);
  AddKind("Lowest", INT32_MIN);  // counts down without wrapping
  AddKind("Three", 3);
  game::CreateEffect("Once", 0, 0, 0);
  game::CreateEffect("Lowest", 0, 0, 0);
  game::CreateEffect("Three", 0, 0, 0);
  std::vector<size_t> effects, particles;
  for (int tick = 0; tick < 4; ++tick) {
    game::UpdateEffects();
    effects.push_back(EffectLists().Effects.size());
    particles.push_back(EffectLists().Particles.size());
  }
  // Two removals in the first tick do not make the pass skip the effect after them.
  EXPECT_EQ(effects, (std::vector<size_t>{1, 1, 0, 0}));
  EXPECT_EQ(particles, (std::vector<size_t>{3, 4, 5, 5}));
}

TEST_F(EffectsTest, EmissionOffsetsSpreadOverTheRoundedGridOnEachAxis) {
  // No spread: exactly at the emitter, lifted by the offset.
  game::TEffect& exact = AddKind("Exact");
  exact.OffsetY = 0.75f;
  game::CreateEffect("Exact", 3.0f, 1.0f, -2.0f);
  game::UpdateEffects();
  ASSERT_EQ(EffectLists().Particles.size(), 1u);
  const game::TParticle& p = EffectLists().Particles[0];
  EXPECT_EQ(p.PosX, 3.0f);
  EXPECT_EQ(p.PosY, 1.75f);
  EXPECT_EQ(p.PosZ, -2.0f);
  game::EffectsReset();

  // The offsets of P_POSRND 0.5 are the 50 values -0.25, -0.24, ..., 0.24, drawn x, y, z in turn.
  AddKind("Spread").PosRnd = 0.5f;
  game::CreateEffect("Spread", 10.0f, 0.0f, 10.0f);
  game::RandomSeed(99);
  const int ticks = 3000;
  for (int tick = 0; tick < ticks; ++tick) game::UpdateEffects();
  ASSERT_EQ(EffectLists().Particles.size(), static_cast<size_t>(ticks));
  game::RandomSeed(99);
  std::set<int> seen[3];
  for (const game::TParticle& q : EffectLists().Particles) {
    const float pos[3] = {q.PosX - 10.0f, q.PosY, q.PosZ - 10.0f};
    for (int axis = 0; axis < 3; ++axis) {
      int k = game::Random(50);
      EXPECT_NEAR(pos[axis], k * 0.01 - 0.25, 2e-6) << "axis " << axis;
      seen[axis].insert(static_cast<int>(std::lround((pos[axis] + 0.25) * 100.0)));
    }
  }
  for (int axis = 0; axis < 3; ++axis) {
    EXPECT_EQ(seen[axis].size(), 50u) << "axis " << axis;
    EXPECT_EQ(*seen[axis].begin(), 0);
    EXPECT_EQ(*seen[axis].rbegin(), 49);
  }
}

TEST_F(EffectsTest, TheSpreadCountRoundsHalvesToEven) {
  // 0.125 x 100 = 12.5 gives 12 values, 0.375 x 100 = 37.5 gives 38.
  struct Case {
    float posRnd;
    int values;
  };
  for (Case c : {Case{0.125f, 12}, Case{0.375f, 38}, Case{0.004f, 0}}) {
    game::EffectsReset();
    AddKind("Spread").PosRnd = c.posRnd;
    game::CreateEffect("Spread", 0.0f, 0.0f, 0.0f);
    for (int tick = 0; tick < 2000; ++tick) game::UpdateEffects();
    float lo = 1e9f, hi = -1e9f;
    for (const game::TParticle& p : EffectLists().Particles) {
      lo = std::min(lo, p.PosX);
      hi = std::max(hi, p.PosX);
    }
    double half = c.posRnd / 2.0;
    EXPECT_NEAR(lo, -half, 1e-6) << c.posRnd;
    EXPECT_NEAR(hi, (c.values == 0 ? 0 : c.values - 1) * 0.01 - half, 1e-6) << c.posRnd;
  }
}

TEST_F(EffectsTest, ParticlesAccelerateMoveAndFadeInTheTickTheyAreBorn) {
  game::TEffect& smoke = AddKind("Smoke", 1);
  smoke.Alpha = 0.5f;
  smoke.AlphaChange = -0.2f;
  smoke.Speed = {0.0f, 0.25f, 0.0f};
  smoke.SpeedChange = {0.0f, -0.125f, 0.0f};
  smoke.Scale = 0.5f;
  game::CreateEffect("Smoke", 0, 1, 0);
  game::UpdateEffects();
  ASSERT_EQ(EffectLists().Particles.size(), 1u);
  const game::TParticle& p = EffectLists().Particles[0];
  // Velocity first takes the acceleration, then moves the particle.
  EXPECT_EQ(p.VelY, 0.125f);
  EXPECT_EQ(p.PosY, 1.125f);
  EXPECT_FLOAT_EQ(p.Alpha, 0.3f);
  EXPECT_EQ(p.Scale, 0.5f);
  game::UpdateEffects();
  EXPECT_EQ(EffectLists().Particles[0].VelY, 0.0f);
  EXPECT_EQ(EffectLists().Particles[0].PosY, 1.125f);
  game::UpdateEffects();
  EXPECT_TRUE(EffectLists().Particles.empty()) << "gone when its alpha reaches 0 or below";

  // A rising alpha stops at 1 and never fades.
  game::TEffect& bright = AddKind("Bright", 1);
  bright.Alpha = 0.9f;
  bright.AlphaChange = 0.3f;
  game::CreateEffect("Bright", 0, 0, 0);
  for (int tick = 0; tick < 50; ++tick) game::UpdateEffects();
  ASSERT_EQ(EffectLists().Particles.size(), 1u);
  EXPECT_EQ(EffectLists().Particles[0].Alpha, 1.0f);
}

TEST_F(EffectsTest, ParticlesThatNeverFadeAreBoundedOldestFirst) {
  // Five emitters that never stop, and particles that never fade: each particle's height tells
  // its age.
  game::TEffect& rising = AddKind("Rising");
  rising.Speed = {0.0f, 1.0f, 0.0f};
  for (int i = 0; i < 5; ++i) game::CreateEffect("Rising", static_cast<float>(i), 0.0f, 0.0f);
  std::mt19937 shuffle(3);
  const int ticks = static_cast<int>(game::MaxParticles) / 5 + 40;
  for (int tick = 1; tick <= ticks; ++tick) {
    game::UpdateEffects();
    // The per-frame sort reorders the list now and then; age, not place, decides who goes.
    if (tick % 500 == 0) {
      std::vector<game::TParticle>& list = EffectLists().Particles;
      std::vector<int> order(list.size());
      for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
      std::shuffle(order.begin(), order.end(), shuffle);
      for (size_t i = 0; i < list.size(); ++i) list[i].CameraDistance = static_cast<float>(order[i]);
      game::SortParticlesBackToFront(list);
    }
  }
  ASSERT_EQ(EffectLists().Particles.size(), game::MaxParticles);
  // The particles born in the first 40 ticks (heights ticks, ticks - 1, ...) are gone.
  float highest = 0.0f;
  for (const game::TParticle& p : EffectLists().Particles) highest = std::max(highest, p.PosY);
  EXPECT_EQ(highest, static_cast<float>(ticks - 40));
  std::map<float, int> perHeight;
  for (const game::TParticle& p : EffectLists().Particles) ++perHeight[p.PosY];
  EXPECT_EQ(perHeight.size(), game::MaxParticles / 5);
  for (const auto& [height, count] : perHeight) EXPECT_EQ(count, 5) << height;
}

// The exchange sort exactly as the drawing describes it: for i < j, swap when i is nearer.
void ExchangeSortOracle(std::vector<game::TParticle>& list) {
  for (size_t i = 0; i + 1 < list.size(); ++i)
    for (size_t j = i + 1; j < list.size(); ++j)
      if (list[i].CameraDistance < list[j].CameraDistance) std::swap(list[i], list[j]);
}

std::vector<uint64_t> Serials(const std::vector<game::TParticle>& list) {
  std::vector<uint64_t> s;
  for (const game::TParticle& p : list) s.push_back(p.Serial);
  return s;
}

TEST_F(EffectsTest, BackToFrontOrderEqualsTheExchangeSortTiesIncluded) {
  std::mt19937 rng(2024);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  int withTies = 0, distinct = 0;
  for (int round = 0; round < 6000; ++round) {
    size_t n = rng() % (round % 10 == 0 ? 300 : 40);
    int mode = static_cast<int>(rng() % 7);
    uint32_t values = 1 + rng() % 12;
    std::vector<game::TParticle> list(n);
    for (size_t i = 0; i < n; ++i) {
      list[i].Serial = i + 1;
      float& d = list[i].CameraDistance;
      switch (mode) {
        case 0: d = static_cast<float>(rng() % values); break;                      // many ties
        case 1: d = static_cast<float>(rng()) / 1000.0f; break;                     // distinct
        case 2: d = static_cast<float>(n - i) + (rng() % 3 == 0 ? 0.5f : 0.0f); break;
        case 3: d = rng() % 7 == 0 ? nan : static_cast<float>(rng() % 10); break;
        case 4: d = static_cast<float>(i % values); break;                          // rising, repeating
        case 5:  // last frame's order in coincident groups, this tick's puffs at the end
          d = i + 5 < n ? static_cast<float>((n - i) / 3) : static_cast<float>(rng() % (n / 3 + 1));
          break;
        default: d = rng() % 2 ? 0.0f : -0.0f; if (rng() % 4 == 0) d = 1.0f; break;  // equal zeros
      }
    }
    bool tie = false;
    for (size_t i = 0; i < n; ++i)
      for (size_t j = i + 1; j < n; ++j)
        tie = tie || !(list[i].CameraDistance < list[j].CameraDistance || list[j].CameraDistance < list[i].CameraDistance);
    (tie ? withTies : distinct)++;
    std::vector<game::TParticle> expected = list;
    ExchangeSortOracle(expected);
    game::SortParticlesBackToFront(list);
    ASSERT_EQ(Serials(list), Serials(expected)) << "round " << round << " mode " << mode;
  }
  EXPECT_GT(withTies, 1000);
  EXPECT_GT(distinct, 500);

  // The one-line case that shows the exchange sort is not stable: equal distances change places.
  std::vector<game::TParticle> list(4);
  const float d[4] = {1, 2, 1, 3};
  for (size_t i = 0; i < 4; ++i) {
    list[i].CameraDistance = d[i];
    list[i].Serial = i + 1;
  }
  game::SortParticlesBackToFront(list);
  EXPECT_EQ(Serials(list), (std::vector<uint64_t>{4, 2, 3, 1}));
}

}  // namespace
