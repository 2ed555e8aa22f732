// The "models" content generator: the demo creatures, walls, props and the bullet, with their
// skins. Each family of models lives in its own file and reports what it wrote.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace assetgen::models {

struct ModelInfo {
  std::string file;
  size_t frames;
  size_t vertices;
  size_t triangles;
};
using ModelReport = std::vector<ModelInfo>;

// Each writes its models below OUT/Data/Models and skins below OUT/Data/Textures; false after
// printing why.
bool GenerateSoldier(const std::filesystem::path& out, ModelReport* report);
bool GenerateBeast(const std::filesystem::path& out, ModelReport* report);
bool GenerateProps(const std::filesystem::path& out, ModelReport* report);

}  // namespace assetgen::models
