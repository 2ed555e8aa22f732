// Fuzzes the OBJ reader and the mesh builder through the mesh loader, then walks every corner so
// that any index outside the arrays is dereferenced.
#include <cstddef>
#include <cstdint>

#include "game/core/fatal.h"
#include "game/models/mesh.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    game::TGmMesh* mesh = game::MeshLoadFromMemory("fuzz.obj", data, size);
    if (mesh) {
      game::MeshCorners(mesh, 0.0f);
      game::MeshFlipNormals(mesh);
    }
  } catch (const game::FatalError&) {
    // A number that does not convert: the reader's one fatal answer.
  }
  game::MeshFreeAll();
  return 0;
}
