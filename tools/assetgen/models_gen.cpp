// Registers the "models" generator: writes every demo model and skin, then lists the models with
// their frame, vertex and triangle counts.
#include "tools/assetgen/models_gen.h"

#include <cstdio>

#include "tools/assetgen/assetgen.h"

namespace assetgen {

namespace {

bool RunModels(const std::filesystem::path& outDir) {
  models::ModelReport report;
  if (!models::GenerateSoldier(outDir, &report) || !models::GenerateBeast(outDir, &report) ||
      !models::GenerateProps(outDir, &report))
    return false;
  for (const models::ModelInfo& m : report)
    std::printf("models: %-20s frames %3zu vertices %4zu triangles %4zu\n", m.file.c_str(), m.frames,
                m.vertices, m.triangles);
  return true;
}

const Registration kModels({"models", "creature, wall, prop and bullet models with their skins", RunModels});

}  // namespace

}  // namespace assetgen
