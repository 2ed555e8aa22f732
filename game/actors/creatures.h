// Creature kinds and creatures: kinds read from Data/Creatures/*.cro with one model per animation
// state, creatures placed on the tiles by the map, lookup by ID, drawing, the selection rings, and
// picking a creature's model under the cursor.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/math3d.h"
#include "engine/textures.h"
#include "game/actors/items.h"

namespace game {

struct TGmMesh;

// Animation states.
enum TCreatureState : uint8_t {
  StateStand = 0,
  StateWalk = 1,
  StateAtack = 2,
  StateShot = 3,
  StateDamage = 4
};

// One record type for creature kinds and creatures; a creature is a copy of its kind sharing the
// kind's texture and meshes.
struct TCreature {
  std::string Name;
  uint16_t ID = 0;
  eng::TTexture* Texture = nullptr;
  std::vector<TGmMesh*> Models;        // in the order their keys appear in the file
  std::vector<std::string> ModelNames; // "Stand", "Walk", "Atack", "Shot" or "Damage"
  std::vector<float> ModelSpeeds;      // frame step per tick; 0: AnimSpeed
  int32_t ModelCount = 0;
  eng::TMatrix4 Matrix{};              // built at each draw; picking uses the last one
  float Scale = 0.0f;
  float RotateX = 0.0f;                // radians; RotateY includes a quarter turn
  float RotateY = 0.0f;
  float RotateZ = 0.0f;
  float Frame = 0.0f;
  float AnimSpeed = 0.0f;
  float Angle = 0.0f;                  // facing in degrees: 0 toward +X, 90 toward +Y
  bool FlatNormals = false;
  uint8_t State = StateStand;
  bool Selected = false;
  bool Alive = false;
  int32_t TileX = 0;
  int32_t TileY = 0;
  int32_t RouteX = 0;
  int32_t RouteY = 0;
  int32_t NextX = 0;
  int32_t NextY = 0;
  float StepProgress = 0.0f;
  float WorldX = 0.0f;                 // foot point: tile x 2 plus the step offset
  float WorldZ = 0.0f;
  float DrawX = 0.0f;                  // where the last draw put it
  float DrawZ = 0.0f;
  float MoveSpeed = 0.0f;              // world units per tick
  bool HasOrder = false;
  int32_t OrderX = 0;
  int32_t OrderY = 0;
  int32_t Target = -1;                 // index into Creatures; -1 none
  int32_t AtackFrame = 0;
  int32_t ShotFrame = 0;
  std::string Bullet;
  int32_t Shots = 0;
  int32_t ShotRange = 0;
  uint8_t Owner = 0;
  uint16_t EffectID = 0;
  int32_t MovePoints = 0;
  int32_t MovePointsMax = 0;
  int32_t AtackPoints = 0;
  int32_t AtackPointsMax = 0;
  int32_t Health = 0;
  int32_t HealthMax = 0;
  int32_t Damage = 0;
  int32_t ShotDamage = 0;
  std::vector<TGmItem> Items;          // carried, at most one entry per name; none when placed
};

struct TCreatureLists {
  std::vector<TCreature> CreatureKinds;  // one per definition file, in load order
  std::vector<TCreature> Creatures;      // every creature placed, in placing order; never removed
  eng::TTexture* SelectRing = nullptr;
};

TCreatureLists& CreatureLists();

// The model name of an animation state ("Stand" .. "Damage"), or empty outside 0..4.
const char* StateModelName(uint8_t state);

// Reads one creature kind file into CreatureKinds (the registry's loader for Data/Creatures/).
// Throws FatalError for a number that does not convert.
void LoadCreatureKind(const std::string& fileName);
// Appends a model entry named `modelName` with speed 0, its mesh loaded from `fileName` (none
// when the file gives none).
void AddModel(TCreature& kind, const std::string& modelName, const std::string& fileName);
// The mesh of the first model entry named exactly `modelName`, or null.
TGmMesh* GetModel(const TCreature& creature, const std::string& modelName);
// Sets the speed of the first model entry named `modelName`; nothing when there is none.
void SetModelSpeed(TCreature& kind, const std::string& modelName, float speed);
// The speed of the first model of the current State's name; 0 when there is none.
float GetStateAnimSpeed(const TCreature& creature);

// Places a living creature of the named kind (case-insensitive, first match) on (x, y) facing
// `angle` degrees, with the smallest ID no creature ever placed carries. Returns the ID, or 0 when
// the tile is outside the map, a living creature stands there, or no kind has the name.
uint16_t CreateCreature(const std::string& kindName, int32_t x, int32_t y, float angle);
// Index of the first creature with this ID, dead or alive, or -1.
int32_t FindCreature(uint16_t id);

// The model matrix of a creature drawn at (drawX, drawZ).
eng::TMatrix4 CreatureMatrix(const TCreature& creature, float drawX, float drawZ);
// Draws every living creature with the model of its state, interpolated between ticks; sets
// DrawX, DrawZ and Matrix of each.
void DrawCreatures();
// Picking of one creature with the model its update chose: a hit on the model (at the Matrix of
// the last draw) nearer than PickDistance makes the creature's tile the cursor tile, even where
// the body overhangs another tile. Returns whether it did.
bool CreaturePick(int32_t index, const TGmMesh* model);

// Loads the selection ring texture (Data/Textures/select_ring.tga).
void LoadSelectRing();
// Draws the ring under every selected living creature of the current player, blended.
void DrawSelectRings();

// Back to the state at process start (tests). Meshes and textures stay with their owners.
void CreaturesReset();

}  // namespace game
