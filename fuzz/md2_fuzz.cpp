// Fuzzes the MD2 reader and the mesh builder through the mesh loader, then draws nothing but walks
// every corner at a few frames, so that any index the builder let through is dereferenced.
#include <cstddef>
#include <cstdint>

#include "game/core/fatal.h"
#include "game/models/mesh.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    game::TGmMesh* mesh = game::MeshLoadFromMemory("fuzz.md2", data, size);
    if (mesh) {
      for (float frame : {0.0f, 0.5f, 1.75f, 1000.0f}) game::MeshCorners(mesh, frame);
      game::MeshFlipNormals(mesh);
    }
  } catch (const game::FatalError&) {
    // A wrong identifier: the reader's one fatal answer.
  }
  game::MeshFreeAll();
  return 0;
}
