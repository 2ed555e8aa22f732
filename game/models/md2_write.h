// Writing MD2 files, for the content generator, the model tool and the tests: a packed model to
// its file image, and a model in game space (Y up, counter-clockwise front faces) to a packed
// model that the reader and MeshFromMD2 turn back into the same mesh.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "game/models/format_md2.h"
#include "game/models/mesh.h"

namespace game {

// A model as the game draws it: positions per key frame in world units, triangles with the mesh's
// corner order, texture coordinates as skin pixels counted from the picture's top-left corner.
struct TMD2Source {
  int32_t SkinWidth = 0;
  int32_t SkinHeight = 0;
  std::vector<std::string> Skins;  // skin names stored in the file (at most 63 characters each)
  std::vector<TMD2TexCoord> TexCoords;
  std::vector<TGmTriangle> Triangles;
  struct Frame {
    std::string Name;  // at most 15 characters
    std::vector<TGmVector> Vertices;
  };
  std::vector<Frame> Frames;
};

// The file image of a packed model: the header's version, skin size and identifier are taken from
// the model, its counts, frame size and offsets from the arrays (skins, texture coordinates,
// triangles, frames, in that order; no GL commands). Frames must hold equally many vertices.
std::vector<uint8_t> MD2Write(const TMD2Model& model);

// Packs a game-space model: each frame's box becomes its scale and translation and positions are
// rounded to bytes (so they come back within half a step of 1/255 of the box), axes and corner
// order are turned into the file's. False with a reason for inconsistent input (an index outside
// its array, frames of different sizes, more than 32767 vertices or texture coordinates).
bool MD2Build(const TMD2Source& source, TMD2Model* model, std::string* error);

}  // namespace game
