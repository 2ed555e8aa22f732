// The OBJ model reader: vertex positions, texture coordinates, normals and the first triangle of
// every face of a Wavefront OBJ text file, for one-frame meshes. Only "v", "vt", "vn" and "f"
// lines are read; everything else is skipped.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace game {

// Faces hold three vertex indices, then three texture coordinate indices, 0-based.
struct TObjMdl {
  uint32_t VertexCount = 0;
  uint32_t FaceCount = 0;
  uint32_t NormalCount = 0;
  uint32_t TexCoordCount = 0;
  std::vector<std::array<float, 3>> Vertices;
  std::vector<std::array<int32_t, 6>> Faces;
  std::vector<std::array<float, 3>> Normals;  // read, never used by the mesh
  std::vector<std::array<float, 2>> TexCoords;
};

// The reader's one model, overwritten by every load.
TObjMdl& ObjModel();
// Empties the model (tests start from zero).
void ObjReset();

// Reads an OBJ file image into ObjModel(). Lines with fewer fields than their keyword needs are
// skipped; face indices outside the arrays become 0, and a face is dropped when there are no
// vertices. Throws FatalError naming `fileName` and the line for a number that does not convert.
// False, with the model empty and the reason in `reason` (when given), for a model too large to
// build.
bool ObjLoadFromMemory(const std::string& fileName, const char* text, size_t size,
                       std::string* reason = nullptr);
// Reads the regular file and calls ObjLoadFromMemory; false when the file cannot be read or is
// refused.
bool ObjLoadFromFile(const std::string& fileName);

// The n-th (1-based) run of characters other than `delimiter` in `line`; empty when there is none.
std::string ObjField(const std::string& line, int n, char delimiter);
// The number of runs of characters other than `delimiter` in `line`.
int ObjFieldCount(const std::string& line, char delimiter);

}  // namespace game
