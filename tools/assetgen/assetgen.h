// The demo content generator: each generator writes its files (textures, models) below an output
// folder, deterministically, so that a build always produces the same bytes.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace assetgen {

struct Generator {
  std::string name;   // what the command line names it by, e.g. "textures"
  std::string about;  // one line for --help
  // Writes the generator's files below `outDir` (the game folder holding Data/); returns false
  // after printing a reason to standard error.
  bool (*run)(const std::filesystem::path& outDir);
};

// Generators add themselves at start-up, one registration per source file.
std::vector<Generator>& Generators();

struct Registration {
  explicit Registration(Generator generator) { Generators().push_back(std::move(generator)); }
};

}  // namespace assetgen
