// Walls: the fixed objects of the map. Wall kinds read from Data/Walls/*.cro, walls placed on the
// tiles (one per tile), their animation and picking each tick, and their drawing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/math3d.h"
#include "engine/textures.h"
#include "game/world/defs.h"

namespace game {

struct TGmMesh;

// One record type for wall kinds and walls; a wall is a copy of its kind sharing the kind's
// texture and mesh.
struct TWall {
  std::string Name;
  uint16_t ID = 0;
  eng::TTexture* Texture = nullptr;
  TGmMesh* Model = nullptr;
  eng::TMatrix4 Matrix{};       // model matrix, set when the wall is placed
  float RotateX = 0.0f;         // radians; RotateY includes a quarter turn
  float RotateY = 0.0f;
  float RotateZ = 0.0f;
  float Frame = 0.0f;
  bool Animated = false;
  float AnimSpeed = 0.0f;       // frames per tick
  uint8_t AnimType = 0;         // 1: play once and stop on the last frame; otherwise loop
  float Scale = 0.0f;
  float Angle = 0.0f;           // degrees, from the map
  bool FlatNormals = false;
  int32_t X = 0;
  int32_t Y = 0;
  bool DiagonalTouch = false;   // may be touched from a diagonal neighbour
  int32_t TouchTileX = 0;       // offset of the one tile it is touched from; 0, 0 none
  int32_t TouchTileY = 0;
  bool Ghost = false;           // blocks nothing, is never touched or picked
  std::string TouchScript;      // the [TOUCHSCRIPT] lines, each followed by one blank
  TScriptLines TouchScriptLines;  // where they are in the kind's file (error positions)
};

struct TWallLists {
  std::vector<TWall> WallKinds;  // one per definition file, in load order
  std::vector<TWall> Walls;      // the walls of the map, in placing order, never removed
};

// The walls to change: whoever asks for them this way may change any of them, so what was kept
// about them (the walls to animate, the wall on each tile, the distance map's wall seed) is made
// again before it is next used. Code that only reads takes ReadWallLists.
TWallLists& WallLists();
// The walls to read.
const TWallLists& ReadWallLists();

// Reads one wall kind file into WallKinds (the registry's loader for Data/Walls/). Throws
// FatalError for a number that does not convert.
void LoadWallKind(const std::string& fileName);
// Places a wall of the named kind (case-insensitive, first match) on (x, y), facing `angle`
// degrees, with `id` (0: the smallest ID no wall carries). Returns its ID, or 0 when the tile is
// outside the map, any wall (ghost or not) stands there, or no kind has the name.
uint16_t CreateWall(const std::string& kindName, int32_t x, int32_t y, float angle, uint16_t id);
// What WallOnTile answers for a tile that may hold several walls (also any tile beyond the
// largest map): the caller looks through the list.
constexpr int32_t SeveralWalls = -2;
// The index of the wall on tile (x, y), -1 when none stands there, or SeveralWalls.
int32_t WallOnTile(int32_t x, int32_t y);
// Whether `test` holds for a wall on tile (x, y), the walls tried in list order: the one
// WallOnTile names, or the whole list where the tile may hold several. `test` checks the tile too.
template <typename TTest>
bool AnyWallOn(int32_t x, int32_t y, TTest&& test) {
  const std::vector<TWall>& walls = ReadWallLists().Walls;
  const int32_t on = WallOnTile(x, y);
  if (on != SeveralWalls) return on >= 0 && test(walls[static_cast<size_t>(on)]);
  for (const TWall& w : walls)
    if (test(w)) return true;
  return false;
}
// Index of the first wall with this ID, or -1.
int32_t FindWall(uint16_t id);
// The touch tile offset of a wall at Angle 0 turned for `angle` degrees in quarter turns.
void TurnTouchOffset(float angle, int32_t* touchX, int32_t* touchY);
// One tick: animation of every wall with a model, then picking of those that are not ghosts. Only
// the walls that are animated or past their last frame change, and they are kept in a list, made
// again after the walls were placed, reset or handed out to change (WallLists). The
// picking tests only the walls near the cursor line, through an index of the walls by tile that
// is rebuilt when walls are placed or reset (a wall's tile, model and matrix never change after).
void UpdateWalls();
// One wall's animation step of a tick (nothing without a model).
void AnimateWall(TWall& wall);
// Picking of every wall that is not a ghost, one by one in list order, without the index: what
// the tick's picking must equal (tests).
void PickEveryWall();
// Draws every wall with a model, interpolating the frame of animated walls; back faces culled.
void DrawWalls();

// Counts every change the walls may have had: a wall placed, the walls reset, a ghost switched,
// the walls handed out to change. What is built from the walls is kept while it stays the same.
uint64_t WallsChanges();
// Makes wall `index` a ghost or not: the one way to switch it after placing.
void SetWallGhost(int32_t index, bool ghost);

// Back to the state at process start (tests). Meshes and textures stay with their owners.
void WallsReset();

}  // namespace game
