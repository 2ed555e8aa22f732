// Small models for the actor tests: boxes built straight into the mesh list, and MD2 files of a
// chosen number of key frames written through the game's own MD2 writer.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "game/models/md2_write.h"
#include "game/models/mesh.h"
#include "tests/support/test_support.h"

namespace testsupport {

// A closed box from `lo` to `hi` with counter-clockwise outward faces, `frames` equal key frames
// (bounds computed), in the global mesh list.
inline game::TGmMesh* BoxMesh(game::TGmVector lo, game::TGmVector hi, uint32_t frames = 1) {
  game::TGmMesh* mesh = game::MeshNew();
  const game::TGmVector corners[8] = {{lo.X, lo.Y, lo.Z}, {hi.X, lo.Y, lo.Z}, {hi.X, hi.Y, lo.Z}, {lo.X, hi.Y, lo.Z},
                                      {lo.X, lo.Y, hi.Z}, {hi.X, lo.Y, hi.Z}, {hi.X, hi.Y, hi.Z}, {lo.X, hi.Y, hi.Z}};
  const uint32_t faces[12][3] = {{0, 3, 2}, {0, 2, 1}, {4, 5, 6}, {4, 6, 7}, {0, 1, 5}, {0, 5, 4},
                                 {3, 7, 6}, {3, 6, 2}, {0, 4, 7}, {0, 7, 3}, {1, 2, 6}, {1, 6, 5}};
  mesh->VertexCount = 8;
  mesh->TriangleCount = 12;
  for (const auto& f : faces) mesh->Triangles.push_back({f[0], f[1], f[2], 0, 0, 0});
  mesh->FrameCount = frames;
  for (uint32_t i = 0; i < frames; ++i) {
    game::TGmMeshFrame frame;
    frame.Vertices.assign(corners, corners + 8);
    frame.Normals.resize(8);
    frame.FaceNormals.resize(12);
    game::MeshCalcBounds(&frame);
    mesh->Frames.push_back(std::move(frame));
  }
  game::MeshCalcNormals(mesh);
  mesh->Animated = mesh->Looped = frames > 1;
  return mesh;
}

// Writes an MD2 file of `frames` key frames (one triangle moving up a little each frame).
inline void WriteFramesMd2(const std::filesystem::path& path, uint32_t frames) {
  game::TMD2Source source;
  source.SkinWidth = 64;
  source.SkinHeight = 64;
  source.TexCoords = {{0, 0}, {63, 0}, {0, 63}};
  source.Triangles = {{0, 1, 2, 0, 1, 2}};
  for (uint32_t f = 0; f < frames; ++f) {
    float y = 0.1f * static_cast<float>(f);
    source.Frames.push_back({"f" + std::to_string(f), {{0, y, 0}, {1, y, 0}, {0, y + 1, 1}}});
  }
  game::TMD2Model model;
  std::string error;
  if (!game::MD2Build(source, &model, &error)) ADD_FAILURE() << error;
  WriteBytes(path, game::MD2Write(model));
}

}  // namespace testsupport
