// assetgen OUTDIR [NAME...]: runs the named content generators (all of them without names).
#include <algorithm>
#include <cstdio>
#include <string>

#include "tools/assetgen/assetgen.h"

namespace assetgen {

std::vector<Generator>& Generators() {
  static std::vector<Generator> generators;
  return generators;
}

}  // namespace assetgen

int main(int argc, char** argv) {
  auto& generators = assetgen::Generators();
  std::sort(generators.begin(), generators.end(),
            [](const assetgen::Generator& a, const assetgen::Generator& b) { return a.name < b.name; });
  if (argc < 2 || std::string(argv[1]) == "--help") {
    std::printf("usage: assetgen OUTDIR [NAME...]\ngenerators:\n");
    for (const auto& g : generators) std::printf("  %-12s %s\n", g.name.c_str(), g.about.c_str());
    return argc < 2 ? 2 : 0;
  }
  std::filesystem::path outDir = argv[1];
  int failures = 0;
  for (const auto& g : generators) {
    bool wanted = argc == 2;
    for (int i = 2; i < argc; ++i) wanted = wanted || g.name == argv[i];
    if (wanted && !g.run(outDir)) ++failures;
  }
  for (int i = 2; i < argc; ++i) {
    bool known = std::any_of(generators.begin(), generators.end(),
                             [&](const assetgen::Generator& g) { return g.name == argv[i]; });
    if (!known) {
      std::fprintf(stderr, "assetgen: no generator named %s\n", argv[i]);
      ++failures;
    }
  }
  return failures ? 1 : 0;
}
