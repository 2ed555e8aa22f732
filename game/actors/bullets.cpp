// Bullet kinds, bullets in flight, their landing and their drawing.
#include "game/actors/bullets.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "game/actors/actors.h"
#include "game/actors/creatures.h"
#include "game/actors/effects.h"
#include "game/actors/movement.h"
#include "game/core/camera.h"
#include "game/models/mesh.h"
#include "game/world/assets.h"
#include "game/world/defs.h"
#include "game/world/registry.h"

namespace game {

namespace {

// Bullet kinds, like creature kinds, turn degrees into radians with this value of pi and add this
// quarter turn.
constexpr double kBulletPi = 3.1415926;
constexpr float kQuarterTurn = 1.5707963f;

TBulletLists g_bullets;

const TDefFormat<TBullet>& BulletFormat() {
  static const TDefFormat<TBullet> format = [] {
    TDefFormat<TBullet> f;
    f.Defaults = [](TBullet& b) {
      b.Scale = 1.0f;
      b.AnimSpeed = 0.3f;
      b.MoveSpeed = 0.4f;
    };
    f.Keys = {
        DefField("NAME", &TBullet::Name),
        {"TEXTURE",
         [](TBullet& b, const TDefLine& line) {
           b.Texture = LoadKindTexture(line, "Data/Textures/", eng::WorldTextureFlags, b.Texture);
         }},
        {"MODEL", [](TBullet& b, const TDefLine& line) { b.Model = LoadKindModel(line, b.Model); }},
        DefField("SCALEMODEL", &TBullet::Scale),
        DefDegrees("ROTATEX", &TBullet::RotateX, kBulletPi),
        DefDegrees("ROTATEY", &TBullet::RotateY, kBulletPi),
        DefDegrees("ROTATEZ", &TBullet::RotateZ, kBulletPi),
        DefField("OFFSETX", &TBullet::OffsetX),
        DefField("OFFSETY", &TBullet::OffsetY),
        DefField("FLATNORMALS", &TBullet::FlatNormals),
        // Read after the file, where its last line counts; listed so that it is a known key.
        {"FLIPNORMALS", [](TBullet&, const TDefLine&) {}},
        DefField("ANIMSPEED", &TBullet::AnimSpeed),
        DefField("MOVESPEED", &TBullet::MoveSpeed),
        DefField("EFFECT", &TBullet::Effect),
        DefField("DAMAGE", &TBullet::Damage),
    };
    f.AfterKeys = {"FLIPNORMALS"};
    f.AfterReading = [](TBullet& b, const TDefRead& read) {
      ApplyKindMeshSteps(b.Model, b.FlatNormals, read);
      b.RotateY += kQuarterTurn;
    };
    return f;
  }();
  return format;
}

bool InsideMap(int32_t x, int32_t y) {
  return x >= 0 && y >= 0 && x <= Registry().MapWidth && y <= Registry().MapHeight;
}

double Radians(float degrees) { return static_cast<double>(degrees) * std::numbers::pi / 180.0; }

}  // namespace

TBulletLists& BulletLists() { return g_bullets; }

void LoadBulletKind(const std::string& fileName) {
  LoadDefinitionKind(fileName, BulletFormat(), g_bullets.BulletKinds);
}

bool CreateBullet(const std::string& kindName, int32_t fromX, int32_t fromY, int32_t toX, int32_t toY) {
  if (!InsideMap(fromX, fromY) || !InsideMap(toX, toY)) return false;
  int32_t kind = FindKind(g_bullets.BulletKinds, kindName);
  if (kind < 0) return false;

  TBullet b = g_bullets.BulletKinds[static_cast<size_t>(kind)];
  b.Target = -1;
  b.Angle = FacingAngle(fromX, fromY, toX, toY);
  double a = Radians(b.Angle);
  b.WorldX = static_cast<float>(2.0 * fromX + std::cos(a) * b.OffsetX);
  b.WorldZ = static_cast<float>(2.0 * fromY + std::sin(a) * b.OffsetX);
  double dx = 2.0 * toX - b.WorldX, dz = 2.0 * toY - b.WorldZ;
  b.DistanceLeft = static_cast<float>(std::sqrt(dx * dx + dz * dz));
  if (!b.Effect.empty()) b.EffectID = CreateEffect(b.Effect, b.WorldX, b.OffsetY, b.WorldZ);
  g_bullets.Bullets.push_back(std::move(b));
  return true;
}

void UpdateBullets() {
  std::vector<TBullet>& list = g_bullets.Bullets;
  // A landed bullet leaves the list, so the index then stays for the next one.
  for (size_t i = 0; i < list.size();) {
    TBullet& b = list[i];
    // A bullet without a model still flies: orders wait until no bullet is left in the air.
    if (b.Model != nullptr && b.Model->FrameCount > 1) {
      b.Frame += b.AnimSpeed;
      if (b.Frame > static_cast<float>(b.Model->FrameCount)) b.Frame = 0.0f;
    }
    double a = Radians(b.Angle);
    b.WorldX = static_cast<float>(b.WorldX + std::cos(a) * b.MoveSpeed);
    b.WorldZ = static_cast<float>(b.WorldZ + std::sin(a) * b.MoveSpeed);
    if (b.EffectID != 0) MoveEffect(b.EffectID, b.WorldX, b.OffsetY, b.WorldZ);
    // NOTE: a 32-bit subtraction on purpose; its rounding decides the landing tick when the
    // distance is a multiple of the speed.
    b.DistanceLeft = b.DistanceLeft - b.MoveSpeed;
    if (b.DistanceLeft > 0.0f) {
      ++i;
      continue;
    }
    // The target takes the blow wherever it stands and whatever it does.
    if (b.Target >= 0) DamageCreature(b.Target, b.Damage);
    // The trail goes with the bullet, particles and all.
    if (b.EffectID != 0) RemoveEffectWithParticles(b.EffectID);
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
  }
}

void DrawBullets() {
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_CULL_FACE);
  float f = DrawFraction();
  const eng::TCamera3D& camera = GmCamera().Camera;
  for (TBullet& b : g_bullets.Bullets) {
    b.DrawX = b.WorldX;
    b.DrawZ = b.WorldZ;
    float frame = b.Frame;
    if (f > 0.0f) {
      double a = Radians(b.Angle);
      b.DrawX += static_cast<float>(std::cos(a)) * f * b.MoveSpeed;
      b.DrawZ += static_cast<float>(std::sin(a)) * f * b.MoveSpeed;
      frame = b.Frame + f * b.AnimSpeed;
    }
    b.Matrix = ActorMatrix(b.DrawX, b.DrawZ, b.Angle, b.RotateX, b.RotateY, b.RotateZ, b.Scale);
    b.Matrix[13] = b.OffsetY;  // the translation is the leftmost factor: its column is the position
    if (b.Model == nullptr) continue;
    eng::CameraLoadMatrix(camera);
    glMultMatrixf(b.Matrix.data());
    glBindTexture(GL_TEXTURE_2D, b.Texture != nullptr ? b.Texture->ID : 0);
    MeshDraw(b.Model, frame);
  }
  glDisable(GL_CULL_FACE);
}

void BulletsReset() { g_bullets = TBulletLists{}; }

}  // namespace game
