// The floor: floor kinds (only "Plane"), the 100 x 100 grid of floor cells, the floor textures,
// and drawing the grid as one textured quad per tile; also the small drawing routines DrawPlane
// and DrawLine3D.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/math3d.h"
#include "engine/textures.h"

namespace game {

struct TGmMesh;

constexpr int32_t FloorGridSize = 100;  // tiles per side of the grid

// One record type for floor kinds and floor cells.
struct TFloor {
  std::string Name;
  int32_t Texture = 0;          // index into FloorTextures; -1 only while a map is read
  TGmMesh* Mesh = nullptr;      // drawn instead of the quad; nothing sets it
  eng::TMatrix4 Matrix{};       // model matrix of the cell; zero in an empty cell
};

struct TFloorState {
  std::vector<TFloor> FloorKinds;
  std::vector<TFloor> FloorGrid = std::vector<TFloor>(FloorGridSize * FloorGridSize);
  std::vector<eng::TTexture*> FloorTextures;
  std::vector<std::string> FloorTextureNames;  // file names without folder, parallel
  int32_t LastDrawBinds = 0;                   // texture binds of the last FloorDraw
  // Every cell handed out by FloorCell lies below these in X and Y, so a reset need not visit
  // the rest of the grid.
  int32_t ReachedX = 0;
  int32_t ReachedY = 0;
};

TFloorState& Floor();
// Cell (x, y), both 0..99.
TFloor& FloorCell(int32_t x, int32_t y);

// The grass texture as index 0, the kind "Plane", and every cell of the map size a "Plane".
void FloorInit();
// Loads a floor texture (world texture flags, no colour key), appends it and its bare file name,
// and returns its index. Never fails (a missing file gives the placeholder).
int32_t FloorAddTexture(const std::string& fileName);
// Makes cell (x, y) a copy of the named floor kind (case-insensitive) placed at (2x, 0, 2y);
// nothing for a tile outside the map or a name that is no floor kind.
void FloorSet(const std::string& kindName, int32_t x, int32_t y);
// Draws every cell of the map under the camera's view matrix, binding a texture only when the
// index changes, with back-face culling.
void FloorDraw();

// One quad in the XZ plane, normal (0, 0, 1), corners counter-clockwise seen from above.
void DrawPlane(float halfX, float halfZ);
// One line segment.
void DrawLine3D(float x1, float y1, float z1, float x2, float y2, float z2);

// Back to the state at process start (tests). Textures stay with the texture manager.
void FloorReset();

}  // namespace game
