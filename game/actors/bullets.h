// Bullets: the visible projectile of a shot. Bullet kinds read from Data/Bullets/*.cro; bullets
// in flight from the shooter's tile toward the ordered tile, damaging their target on landing;
// their drawing. While any bullet flies, creatures take no orders and the AI waits.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/math3d.h"
#include "engine/textures.h"

namespace game {

struct TGmMesh;

// One record type for bullet kinds and bullets in flight; a bullet is a copy of its kind.
struct TBullet {
  std::string Name;
  eng::TTexture* Texture = nullptr;
  TGmMesh* Model = nullptr;
  eng::TMatrix4 Matrix{};
  float RotateX = 0.0f;        // radians; RotateY includes a quarter turn
  float RotateY = 0.0f;
  float RotateZ = 0.0f;
  float OffsetX = 0.0f;        // start: forward from the shooter's tile centre
  float OffsetY = 0.0f;        // flight height
  float Frame = 0.0f;
  float AnimSpeed = 0.0f;
  float Scale = 0.0f;
  float Angle = 0.0f;          // flight direction, degrees
  bool FlatNormals = false;
  std::string Effect;          // effect kind of the trail
  uint16_t EffectID = 0;       // the trail; 0 none
  float MoveSpeed = 0.0f;      // world units per tick
  float WorldX = 0.0f;
  float WorldZ = 0.0f;
  float DrawX = 0.0f;
  float DrawZ = 0.0f;
  float DistanceLeft = 0.0f;   // world distance still to fly
  int32_t Target = -1;         // index into Creatures; -1 none
  int32_t Damage = 0;
};

struct TBulletLists {
  std::vector<TBullet> BulletKinds;  // one per definition file, in load order
  std::vector<TBullet> Bullets;      // in flight; a landed bullet leaves the list
};

TBulletLists& BulletLists();

// Reads one bullet kind file into BulletKinds (the registry's loader for Data/Bullets/).
void LoadBulletKind(const std::string& fileName);
// Starts a bullet of the named kind from tile (fromX, fromY) toward (toX, toY); the new bullet is
// the last of the list, with Target -1 and its trail started when its kind names one. False for a
// tile outside the map or an unknown kind.
bool CreateBullet(const std::string& kindName, int32_t fromX, int32_t fromY, int32_t toX, int32_t toY);
// One tick of every bullet: flight (with or without a model), trail, and landing once its distance
// is used up: the target creature (if any) takes State Damage, Frame 0 and the damage, and the
// trail is removed with its particles.
void UpdateBullets();
// Draws every bullet, interpolated between ticks.
void DrawBullets();

// Back to the state at process start (tests).
void BulletsReset();

}  // namespace game
