// Bullet kinds and bullets: the kind file, starting a flight, the 32-bit flight that decides the
// landing tick, the damage on landing, bullets without a model, and the trail that follows the
// bullet and goes with it.
#include "game/actors/bullets.h"

#include <gtest/gtest.h>

#include <cmath>

#include "game/actors/actors.h"
#include "game/actors/creatures.h"
#include "game/actors/effects.h"
#include "game/core/fatal.h"
#include "game/core/game_core.h"
#include "game/core/random.h"
#include "game/models/mesh.h"
#include "game/world/registry.h"
#include "tests/support/actor_models.h"
#include "tests/support/test_support.h"

namespace {

using game::BulletLists;

class BulletsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = testsupport::ScratchDir();
    ResetAll();
    game::Core().AppDir = dir_.string() + "/";
    game::Registry().MapWidth = 19;
    game::Registry().MapHeight = 19;
    game::RandomSeed(7);
  }
  void TearDown() override { ResetAll(); }
  static void ResetAll() {
    game::GameCoreReset();
    game::RegistryReset();
    game::BulletsReset();
    game::EffectsReset();
    game::CreaturesReset();
    game::MeshFreeAll();
  }
  const game::TBullet& Load(const std::string& name, const std::string& text) {
    testsupport::WriteFile(dir_ / "Data/Bullets" / (name + ".cro"), text);
    game::LoadBulletKind((dir_ / "Data/Bullets" / (name + ".cro")).string());
    return BulletLists().BulletKinds.back();
  }
  // A kind made in memory, with the defaults a file without lines gives.
  static game::TBullet& AddKind(const std::string& name, game::TGmMesh* model = nullptr) {
    game::TBullet kind;
    kind.Name = name;
    kind.Model = model;
    kind.Scale = 1.0f;
    kind.AnimSpeed = 0.3f;
    kind.MoveSpeed = 0.4f;
    BulletLists().BulletKinds.push_back(kind);
    return BulletLists().BulletKinds.back();
  }
  static game::TEffect& AddEffectKind(const std::string& name) {
    game::TEffect kind;
    kind.Name = name;
    kind.Scale = 1.0f;
    kind.Alpha = 1.0f;
    kind.Lifetime = 1000;
    game::EffectLists().EffectKinds.push_back(kind);
    return game::EffectLists().EffectKinds.back();
  }
  // A living creature on (x, y) with this much health.
  static size_t AddCreature(int32_t x, int32_t y, int32_t health) {
    game::TCreature c;
    c.ID = static_cast<uint16_t>(game::CreatureLists().Creatures.size() + 1);
    c.TileX = x;
    c.TileY = y;
    c.Health = c.HealthMax = health;
    c.Alive = true;
    game::CreatureLists().Creatures.push_back(c);
    return game::CreatureLists().Creatures.size() - 1;
  }
  // The ticks a flight of `distance` at `speed` takes when the distance is rounded to 32 bits
  // after each subtraction.
  static int ExpectedTicks(float distance, float speed) {
    int ticks = 0;
    for (volatile float left = distance; left > 0.0f;) {
      ++ticks;
      left = left - speed;  // a statement: g++ deprecates using a volatile assignment's value
    }
    return ticks;
  }
  // Ticks until the first bullet lands; 0 if it is still flying after `limit` ticks.
  static int TicksToLand(int limit = 1000) {
    for (int tick = 1; tick <= limit; ++tick) {
      game::UpdateBullets();
      if (BulletLists().Bullets.empty()) return tick;
    }
    return 0;
  }
  std::filesystem::path dir_;
};

TEST_F(BulletsTest, KindDefaultsKeysAndAfterReadingSteps) {
  const game::TBullet& bare = Load("bare", "");
  EXPECT_EQ(bare.Name, "");
  EXPECT_EQ(bare.Scale, 1.0f);
  EXPECT_EQ(bare.AnimSpeed, 0.3f);
  EXPECT_EQ(bare.MoveSpeed, 0.4f);
  EXPECT_EQ(bare.Damage, 0);
  EXPECT_EQ(bare.OffsetX, 0.0f);
  EXPECT_EQ(bare.Effect, "");
  EXPECT_EQ(bare.Model, nullptr);
  EXPECT_EQ(bare.Target, -1);
  EXPECT_EQ(bare.RotateY, 1.5707963f) << "the quarter turn is added without a ROTATEY line";

  testsupport::WriteFramesMd2(dir_ / "Data/Models/slug.md2", 3);
  const game::TBullet& full = Load("full",
                                   "name = \"Fire Ball\"\n"
                                   "MODEL = slug.md2\n"
                                   "SCALEMODEL = 0.5\n"
                                   "ROTATEX = 90\nROTATEY = 90\nROTATEZ = -45\n"
                                   "OFFSETX = 1.25\nOFFSETY = 1.4\n"
                                   "ANIMSPEED = 0.5\nMOVESPEED = 0.25\n"
                                   "EFFECT = Smoke Trail\n"
                                   "DAMAGE = 7\n"
                                   "FLATNORMALS\nFLIPNORMALS\n"
                                   "DAMAGE = 9 // the last line wins\n"
                                   "SHOTS = 3\n");
  EXPECT_EQ(full.Name, "Fire Ball");
  ASSERT_NE(full.Model, nullptr);
  EXPECT_EQ(full.Model->FrameCount, 3u);
  EXPECT_TRUE(full.FlatNormals);
  EXPECT_TRUE(full.Model->FlatNormals) << "the kind's flag reaches its mesh";
  EXPECT_EQ(full.Scale, 0.5f);
  EXPECT_EQ(full.RotateX, static_cast<float>(90.0f * 3.1415926 / 180.0));
  EXPECT_EQ(full.RotateY, static_cast<float>(90.0f * 3.1415926 / 180.0) + 1.5707963f);
  EXPECT_EQ(full.RotateZ, static_cast<float>(-45.0f * 3.1415926 / 180.0));
  EXPECT_EQ(full.OffsetX, 1.25f);
  EXPECT_EQ(full.OffsetY, 1.4f);
  EXPECT_EQ(full.AnimSpeed, 0.5f);
  EXPECT_EQ(full.MoveSpeed, 0.25f);
  EXPECT_EQ(full.Effect, "SmokeTrail") << "blanks outside quotes are dropped";
  EXPECT_EQ(full.Damage, 9);

  // FLIPNORMALS turns the mesh's normals over; its last line decides.
  game::TGmMesh* plain = game::MeshLoad((dir_ / "Data/Models/slug.md2").string());
  const game::TBullet& flipped = Load("flipped", "MODEL = slug.md2\nFLIPNORMALS = no\nFLIPNORMALS\n");
  const game::TBullet& kept = Load("kept", "MODEL = slug.md2\nFLIPNORMALS\nFLIPNORMALS = false\n");
  ASSERT_NE(flipped.Model, nullptr);
  ASSERT_NE(kept.Model, nullptr);
  EXPECT_EQ(flipped.Model->Frames[0].Normals[0].Y, -plain->Frames[0].Normals[0].Y);
  EXPECT_EQ(kept.Model->Frames[0].Normals[0].Y, plain->Frames[0].Normals[0].Y);
  EXPECT_NE(plain->Frames[0].Normals[0].Y, 0.0f);

  EXPECT_THROW(Load("bad", "MOVESPEED = 0,4\n"), game::FatalError);
}

TEST_F(BulletsTest, CreateBulletStartsAtTheOffsetTowardTheTarget) {
  AddKind("Bullet").OffsetX = 1.0f;
  BulletLists().BulletKinds.back().Damage = 3;
  // Outside the map on any side, or an unknown kind: nothing starts.
  EXPECT_FALSE(game::CreateBullet("Bullet", -1, 0, 5, 5));
  EXPECT_FALSE(game::CreateBullet("Bullet", 0, 20, 5, 5));
  EXPECT_FALSE(game::CreateBullet("Bullet", 0, 0, 20, 5));
  EXPECT_FALSE(game::CreateBullet("Bullet", 0, 0, 5, -1));
  EXPECT_FALSE(game::CreateBullet("Rocket", 0, 0, 5, 5));
  EXPECT_TRUE(BulletLists().Bullets.empty());

  ASSERT_TRUE(game::CreateBullet("bULLET", 1, 1, 4, 5)) << "kind names compare without case";
  ASSERT_EQ(BulletLists().Bullets.size(), 1u);
  const game::TBullet& b = BulletLists().Bullets[0];
  EXPECT_EQ(b.Target, -1);
  EXPECT_EQ(b.Damage, 3) << "the kind's damage until the shooter replaces it";
  EXPECT_EQ(b.Angle, game::FacingAngle(1, 1, 4, 5));
  EXPECT_NEAR(b.Angle, 53.130102, 1e-5);
  // 1.0 ahead of the shooter's tile centre along the 3-4-5 diagonal.
  EXPECT_NEAR(b.WorldX, 2.0f + 0.6f, 1e-6);
  EXPECT_NEAR(b.WorldZ, 2.0f + 0.8f, 1e-6);
  EXPECT_NEAR(b.DistanceLeft, 10.0f - 1.0f, 1e-5);
  EXPECT_EQ(b.EffectID, 0) << "no trail named";

  // The new bullet is always the last one.
  ASSERT_TRUE(game::CreateBullet("Bullet", 3, 3, 3, 0));
  EXPECT_EQ(BulletLists().Bullets.back().Angle, 270.0f);
  EXPECT_NEAR(BulletLists().Bullets.back().WorldZ, 5.0f, 1e-6);
}

TEST_F(BulletsTest, FacingFollowsTheQuadrants) {
  EXPECT_EQ(game::FacingAngle(5, 5, 6, 5), 0.0f);
  EXPECT_EQ(game::FacingAngle(5, 5, 5, 6), 90.0f);
  EXPECT_EQ(game::FacingAngle(5, 5, 4, 5), 180.0f);
  EXPECT_EQ(game::FacingAngle(5, 5, 5, 4), 270.0f);
  EXPECT_EQ(game::FacingAngle(5, 5, 5, 5), 270.0f) << "no offset at all faces 270";
  EXPECT_EQ(game::FacingAngle(5, 5, 6, 6), 45.0f);
  EXPECT_EQ(game::FacingAngle(5, 5, 4, 6), 135.0f);
  EXPECT_EQ(game::FacingAngle(5, 5, 4, 4), 225.0f);
  EXPECT_EQ(game::FacingAngle(5, 5, 6, 4), 315.0f);
}

TEST_F(BulletsTest, ThirtyTwoBitDistanceLandsANeighbourShotInTheSixthTick) {
  AddKind("Bullet");
  ASSERT_TRUE(game::CreateBullet("Bullet", 3, 3, 4, 3));
  const game::TBullet& b = BulletLists().Bullets[0];
  EXPECT_EQ(b.DistanceLeft, 2.0f);
  for (int tick = 1; tick <= 5; ++tick) game::UpdateBullets();
  ASSERT_EQ(BulletLists().Bullets.size(), 1u) << "in exact arithmetic the bullet would land in the fifth tick";
  EXPECT_EQ(BulletLists().Bullets[0].DistanceLeft, 0x1p-24f) << "0.0000000596 left after five ticks";
  EXPECT_NEAR(BulletLists().Bullets[0].WorldX, 8.0f, 1e-5);
  game::UpdateBullets();
  EXPECT_TRUE(BulletLists().Bullets.empty());

  // Three tiles away diagonally at 0.3 per tick: the landing tick follows the rounded distance.
  BulletLists().BulletKinds[0].MoveSpeed = 0.3f;
  ASSERT_TRUE(game::CreateBullet("Bullet", 0, 0, 3, 3));
  int expected = ExpectedTicks(BulletLists().Bullets[0].DistanceLeft, 0.3f);
  EXPECT_GT(expected, 28);
  EXPECT_EQ(TicksToLand(), expected);
}

TEST_F(BulletsTest, LandingDamagesTheTargetWhereverItIsNow) {
  AddKind("Bullet").Damage = 4;
  size_t walker = AddCreature(6, 2, 10);
  size_t weak = AddCreature(9, 9, 3);
  size_t bystander = AddCreature(7, 2, 10);
  ASSERT_TRUE(game::CreateBullet("Bullet", 2, 2, 6, 2));
  BulletLists().Bullets[0].Target = static_cast<int32_t>(walker);
  // The target walks away while the bullet flies.
  game::TCreature& w = game::CreatureLists().Creatures[walker];
  w.State = game::StateWalk;
  w.TileX = 6;
  w.TileY = 5;
  w.Frame = 3.5f;
  ASSERT_GT(TicksToLand(), 0);
  EXPECT_EQ(w.State, game::StateDamage);
  EXPECT_EQ(w.Frame, 0.0f);
  EXPECT_EQ(w.Health, 6);
  EXPECT_EQ(game::CreatureLists().Creatures[bystander].Health, 10) << "a bullet passes through everyone else";
  EXPECT_EQ(game::CreatureLists().Creatures[bystander].State, game::StateStand);

  // Health stops at 0; the shooter's damage replaces the kind's.
  ASSERT_TRUE(game::CreateBullet("Bullet", 2, 2, 9, 9));
  BulletLists().Bullets[0].Target = static_cast<int32_t>(weak);
  BulletLists().Bullets[0].Damage = 50;
  ASSERT_GT(TicksToLand(), 0);
  EXPECT_EQ(game::CreatureLists().Creatures[weak].Health, 0);
  EXPECT_EQ(game::CreatureLists().Creatures[weak].State, game::StateDamage);

  // No target, or an index no creature has: the bullet just lands.
  ASSERT_TRUE(game::CreateBullet("Bullet", 2, 2, 3, 2));
  ASSERT_TRUE(game::CreateBullet("Bullet", 2, 2, 3, 2));
  BulletLists().Bullets[1].Target = 99;
  EXPECT_GT(TicksToLand(), 0);
  EXPECT_TRUE(BulletLists().Bullets.empty());
  EXPECT_EQ(game::CreatureLists().Creatures[walker].Health, 6);

  // Extreme values cannot overflow: a huge negative damage stops at the largest health.
  ASSERT_TRUE(game::CreateBullet("Bullet", 2, 2, 3, 2));
  BulletLists().Bullets[0].Target = static_cast<int32_t>(walker);
  BulletLists().Bullets[0].Damage = INT32_MIN;
  ASSERT_GT(TicksToLand(), 0);
  EXPECT_EQ(w.Health, INT32_MAX);
}

TEST_F(BulletsTest, BulletsLandingInOneTickAreAllHandled) {
  AddKind("Bullet").Damage = 1;
  size_t target = AddCreature(5, 5, 10);
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(game::CreateBullet("Bullet", 4, 5, 5, 5));
    BulletLists().Bullets.back().Target = static_cast<int32_t>(target);
  }
  ASSERT_TRUE(game::CreateBullet("Bullet", 0, 5, 5, 5));  // still far away
  for (int tick = 0; tick < 6; ++tick) game::UpdateBullets();
  ASSERT_EQ(BulletLists().Bullets.size(), 1u) << "each landing moves the next bullet up into the same pass";
  EXPECT_FLOAT_EQ(BulletLists().Bullets[0].WorldX, 2.4f);
  EXPECT_EQ(game::CreatureLists().Creatures[target].Health, 7);
}

TEST_F(BulletsTest, ABulletWithoutAModelStillFliesAndLands) {
  AddKind("Ghost Round");
  ASSERT_TRUE(game::CreateBullet("Ghost Round", 0, 0, 0, 4));
  size_t target = AddCreature(0, 4, 5);
  BulletLists().Bullets[0].Target = static_cast<int32_t>(target);
  BulletLists().Bullets[0].Damage = 2;
  game::UpdateBullets();
  EXPECT_NEAR(BulletLists().Bullets[0].WorldZ, 0.4f, 1e-6);
  EXPECT_EQ(BulletLists().Bullets[0].Frame, 0.0f);
  EXPECT_EQ(TicksToLand(), ExpectedTicks(8.0f, 0.4f) - 1);
  EXPECT_EQ(game::CreatureLists().Creatures[target].Health, 3);
}

TEST_F(BulletsTest, ModelsWithSeveralFramesAnimateAndWrapPastTheFrameCount) {
  AddKind("Spin", testsupport::BoxMesh({-0.1f, -0.1f, -0.1f}, {0.1f, 0.1f, 0.1f}, 2)).AnimSpeed = 0.75f;
  AddKind("Still", testsupport::BoxMesh({-0.1f, -0.1f, -0.1f}, {0.1f, 0.1f, 0.1f}, 1));
  ASSERT_TRUE(game::CreateBullet("Spin", 0, 0, 19, 0));
  ASSERT_TRUE(game::CreateBullet("Still", 0, 0, 19, 0));
  std::vector<float> frames;
  for (int tick = 0; tick < 4; ++tick) {
    game::UpdateBullets();
    frames.push_back(BulletLists().Bullets[0].Frame);
    EXPECT_EQ(BulletLists().Bullets[1].Frame, 0.0f) << "one frame: nothing to animate";
  }
  // 2.25 is past the two frames: back to 0; 1.5 and 2.0 are not (the last frame blends to the first).
  EXPECT_EQ(frames, (std::vector<float>{0.75f, 1.5f, 0.0f, 0.75f}));
  BulletLists().Bullets[0].Frame = 2.0f;
  BulletLists().Bullets[0].AnimSpeed = 0.0f;
  game::UpdateBullets();
  EXPECT_EQ(BulletLists().Bullets[0].Frame, 2.0f);
}

TEST_F(BulletsTest, TheTrailFollowsTheBulletAndGoesWithItParticlesIncluded) {
  AddKind("Tracer").Effect = "trail";
  BulletLists().BulletKinds[0].OffsetY = 1.5f;
  AddKind("Dud").Effect = "No Such Effect";
  game::TEffect& trail = AddEffectKind("Trail");
  trail.AlphaChange = -0.01f;
  game::TEffect& smoke = AddEffectKind("Smoke");
  smoke.Lifetime = 2;

  // Another effect's particles must outlive the landing.
  uint16_t other = game::CreateEffect("Smoke", 30.0f, 0.0f, 30.0f);
  ASSERT_NE(other, 0);
  ASSERT_TRUE(game::CreateBullet("Dud", 0, 0, 5, 0));
  EXPECT_EQ(BulletLists().Bullets[0].EffectID, 0) << "an unknown effect leaves the bullet without a trail";
  game::BulletLists().Bullets.clear();

  ASSERT_TRUE(game::CreateBullet("Tracer", 1, 1, 1, 4));
  uint16_t id = BulletLists().Bullets[0].EffectID;
  ASSERT_NE(id, 0);
  ASSERT_GE(game::FindEffect(id), 0);
  const game::TEffect& e = game::EffectLists().Effects[static_cast<size_t>(game::FindEffect(id))];
  EXPECT_EQ(e.PosX, 2.0f);
  EXPECT_EQ(e.PosY, 1.5f) << "at the flight height";
  EXPECT_EQ(e.PosZ, 2.0f);

  // Each tick the bullets move their trails before the effects emit: one particle per tick, where
  // the bullet is.
  for (int tick = 1; tick <= 3; ++tick) {
    game::UpdateBullets();
    game::UpdateEffects();
    const game::TEffect& now = game::EffectLists().Effects[static_cast<size_t>(game::FindEffect(id))];
    EXPECT_EQ(now.PosZ, BulletLists().Bullets[0].WorldZ);
    EXPECT_EQ(now.PosY, 1.5f);
  }
  size_t trailParticles = 0;
  for (const game::TParticle& p : game::EffectLists().Particles) trailParticles += p.PosY == 1.5f;
  EXPECT_EQ(trailParticles, 3u);
  size_t otherParticles = game::EffectLists().Particles.size() - trailParticles;
  EXPECT_EQ(otherParticles, 2u) << "the smoke's two particles, its emitter already gone";

  while (!BulletLists().Bullets.empty()) {
    game::UpdateBullets();
    game::UpdateEffects();
  }
  EXPECT_EQ(game::FindEffect(id), -1);
  EXPECT_EQ(game::EffectLists().Particles.size(), otherParticles) << "no particle of the trail lingers";
}

}  // namespace
