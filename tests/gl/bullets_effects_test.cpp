// Bullets and particles on screen: a bullet drawn where it flies (interpolated between ticks, at
// its flight height), its trail of camera-facing particles behind it, a particle's alpha taken
// from the material, and the GL state both leave behind.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "engine/opengl.h"
#include "engine/screenshot.h"
#include "game/actors/bullets.h"
#include "game/actors/creatures.h"
#include "game/actors/effects.h"
#include "game/core/camera.h"
#include "game/core/game_core.h"
#include "game/models/mesh.h"
#include "game/world/registry.h"
#include "tests/support/actor_models.h"
#include "tests/support/gl_fixture.h"

namespace {

std::vector<uint8_t> Solid(int r, int g, int b) {
  std::vector<uint8_t> px;
  for (int i = 0; i < 4; ++i) px.insert(px.end(), {static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b), 255});
  return px;
}

class BulletsEffectsDrawTest : public testsupport::GlTest {
 protected:
  void SetUp() override {
    GlTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    ResetAll();
    game::Registry().MapWidth = 19;
    game::Registry().MapHeight = 19;
    game::CameraStart();
    red_ = std::make_unique<testsupport::RawTexture>(2, 2, Solid(255, 0, 0));
    green_ = std::make_unique<testsupport::RawTexture>(2, 2, Solid(0, 255, 0));

    game::TBullet slug;
    slug.Name = "Slug";
    slug.Model = testsupport::BoxMesh({-0.4f, -0.4f, -0.4f}, {0.4f, 0.4f, 0.4f});
    slug.Texture = &red_->tex;
    slug.Scale = 1.0f;
    slug.AnimSpeed = 0.3f;
    slug.MoveSpeed = 0.4f;
    slug.OffsetY = 1.0f;
    slug.Effect = "Glow";
    game::BulletLists().BulletKinds.push_back(slug);
    game::TEffect glow;
    glow.Name = "Glow";
    glow.Texture = &green_->tex;
    glow.Scale = 0.5f;
    glow.Alpha = 0.5f;
    glow.Lifetime = 1000;
    game::EffectLists().EffectKinds.push_back(glow);
  }
  void TearDown() override {
    ResetAll();
    red_.reset();
    green_.reset();
    eng::SetMode2D();
  }
  static void ResetAll() {
    game::BulletsReset();
    game::EffectsReset();
    game::CreaturesReset();
    game::MeshFreeAll();
    game::RegistryReset();
    game::CameraReset();
    game::GameCoreReset();
  }
  static void Tick() {
    game::UpdateBullets();
    game::UpdateEffects();
  }
  // The world part of the game's draw, on black: bullets, then particles without depth writes,
  // lit as the game's bright light lights them (every colour saturated, the alpha the material's).
  static std::vector<uint8_t> Draw() {
    Clear();
    eng::SetMode3D(45.0f);
    eng::CameraLoadMatrix(game::GmCamera().Camera);
    const GLfloat bright[4] = {5.0f, 5.0f, 5.0f, 1.0f}, usual[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, bright);
    glEnable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);
    game::DrawBullets();
    glDepthMask(GL_FALSE);
    game::DrawEffects();
    glDepthMask(GL_TRUE);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, usual);
    return ReadPixels();
  }
  static uint32_t At(const std::vector<uint8_t>& px, float x, float y, float z) {
    double wx, wy;
    EXPECT_TRUE(testsupport::ProjectToWindow({x, y, z}, &wx, &wy));
    return PixelAt(px, static_cast<int>(wx), 600 - 1 - static_cast<int>(wy));
  }
  static int R(uint32_t p) { return static_cast<int>(p & 0xFF); }
  static int G(uint32_t p) { return static_cast<int>((p >> 8) & 0xFF); }
  static int B(uint32_t p) { return static_cast<int>((p >> 16) & 0xFF); }

  std::unique_ptr<testsupport::RawTexture> red_, green_;
};

TEST_F(BulletsEffectsDrawTest, ABulletFliesAtItsHeightWithItsTrailBehindIt) {
  ASSERT_TRUE(game::CreateBullet("Slug", 3, 10, 17, 10));
  for (int tick = 0; tick < 10; ++tick) Tick();
  const game::TBullet& b = game::BulletLists().Bullets[0];
  ASSERT_NEAR(b.WorldX, 10.0f, 1e-4);
  // One lone particle elsewhere, to read its alpha on black.
  game::CreateEffect("Glow", 20.0f, 1.0f, 30.0f);
  game::UpdateEffects();
  ASSERT_EQ(game::EffectLists().Particles.size(), 12u) << "eleven of the trail (the last inside the bullet) and the lone one";

  std::vector<uint8_t> px = Draw();
  std::filesystem::path shot = std::filesystem::path(TESSERA_BINARY_DIR) / "test-artifacts" / "bullet_trail_plain.png";
  std::filesystem::create_directories(shot.parent_path());
  std::string error;
  EXPECT_TRUE(eng::ScreenshotSaveBackBuffer(shot.string(), &error)) << error;

  uint32_t slug = At(px, b.WorldX, 1.0f, b.WorldZ);
  EXPECT_GT(R(slug), 150) << std::hex << slug;
  EXPECT_LT(G(slug), 40) << "the particle at the bullet is hidden inside it";
  EXPECT_EQ(At(px, b.WorldX, -0.8f, b.WorldZ) & 0xFFFFFF, 0u) << "drawn at its flight height, not lower";
  uint32_t trail = At(px, 7.6f, 1.0f, 20.0f);
  EXPECT_GT(G(trail), 150) << "overlapping particles behind the bullet";
  EXPECT_EQ(R(trail), 0);
  EXPECT_EQ(At(px, 4.5f, 1.0f, 20.0f) & 0xFFFFFF, 0u) << "nothing before the first tick's particle";
  EXPECT_EQ(At(px, 12.0f, 1.0f, 20.0f) & 0xFFFFFF, 0u) << "nothing ahead of the bullet";
  uint32_t lone = At(px, 20.0f, 1.0f, 30.0f);
  EXPECT_NEAR(G(lone), 128, 6) << "half the texture's green through the material's alpha 0.5";
  EXPECT_EQ(R(lone) + B(lone), 0);
  // The square faces the camera: its half-size 0.5 along the camera's right and up.
  const eng::TMatrix4& m = game::GmCamera().Camera.Matrix;
  eng::TVec3 right{m[0], m[4], m[8]}, up{m[1], m[5], m[9]};
  eng::TVec3 centre{20.0f, 1.0f, 30.0f};
  EXPECT_GT(G(At(px, centre.X + right.X * 0.4f + up.X * 0.4f, centre.Y + right.Y * 0.4f + up.Y * 0.4f,
                  centre.Z + right.Z * 0.4f + up.Z * 0.4f)), 100);
  EXPECT_EQ(G(At(px, centre.X + right.X * 0.6f, centre.Y + right.Y * 0.6f, centre.Z + right.Z * 0.6f)), 0);
  EXPECT_EQ(G(At(px, centre.X + up.X * 0.6f, centre.Y + up.Y * 0.6f, centre.Z + up.Z * 0.6f)), 0);

  // What the particles leave behind: no blending, an opaque material.
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
  GLfloat material[4];
  glGetMaterialfv(GL_FRONT, GL_DIFFUSE, material);
  EXPECT_EQ(material[3], 1.0f);
  glGetMaterialfv(GL_BACK, GL_DIFFUSE, material);
  EXPECT_EQ(material[3], 1.0f);
  EXPECT_EQ(game::EffectLists().Particles.front().CameraDistance >= game::EffectLists().Particles.back().CameraDistance, true)
      << "the list stays back to front";
}

TEST_F(BulletsEffectsDrawTest, DrawingInterpolatesTheFlightAndTheFrame) {
  game::BulletLists().BulletKinds[0].Model = testsupport::BoxMesh({-0.4f, -0.4f, -0.4f}, {0.4f, 0.4f, 0.4f}, 4);
  ASSERT_TRUE(game::CreateBullet("Slug", 3, 10, 3, 2));
  Tick();
  game::TBullet& b = game::BulletLists().Bullets[0];
  ASSERT_EQ(b.Angle, 270.0f);
  game::Core().FramesPerTick = 0;
  Draw();
  EXPECT_EQ(b.DrawX, b.WorldX) << "no interpolation before a tick has been timed";
  EXPECT_EQ(b.DrawZ, b.WorldZ);

  // Halfway through the tick: half a step further along the flight.
  game::Core().FramesPerTick = 4;
  game::Core().FramesThisTick = 2;
  std::vector<uint8_t> px = Draw();
  EXPECT_NEAR(b.DrawX, b.WorldX, 1e-6);
  EXPECT_NEAR(b.DrawZ, b.WorldZ - 0.2f, 1e-6);
  EXPECT_EQ(b.Matrix[12], b.DrawX);
  EXPECT_EQ(b.Matrix[13], 1.0f) << "the flight height";
  EXPECT_EQ(b.Matrix[14], b.DrawZ);
  EXPECT_GT(R(At(px, b.DrawX, 1.0f, b.DrawZ)), 150);

  // A bullet without a model still flies and moves its trail; nothing of it is drawn.
  game::BulletLists().Bullets[0].Model = nullptr;
  float z = b.WorldZ;
  Tick();
  EXPECT_NEAR(game::BulletLists().Bullets[0].WorldZ, z - 0.4f, 1e-6);
  px = Draw();
  EXPECT_LT(R(At(px, b.DrawX, 1.0f, b.DrawZ)), 40);
}

}  // namespace
