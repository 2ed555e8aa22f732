// tessera-image FILE [--png OUT]: decodes FILE with the game's own readers and prints
// "WIDTH HEIGHT SHA256" (the digest of the RGBA pixels, bottom row first, as the game sees them),
// or "FAIL" and the reader's message. --png writes those pixels as a PNG file.
#include <cstdio>
#include <string>

#include "engine/image_write.h"
#include "engine/main.h"
#include "engine/sha256.h"
#include "engine/textures.h"

namespace {

int Usage() {
  std::fprintf(stderr, "usage: tessera-image FILE [--png OUT]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string file;
  std::string pngOut;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--png" && i + 1 < argc) {
      pngOut = argv[++i];
    } else if (arg == "--help" || arg == "-h") {
      Usage();
      return 0;
    } else if (file.empty() && !arg.starts_with("--")) {
      file = arg;
    } else {
      return Usage();
    }
  }
  if (file.empty()) return Usage();

  eng::RegisterImageReaders();
  eng::TImage image;
  if (!eng::TextureReadImage(file, &image)) {
    std::printf("FAIL %s\n", eng::TextureFailureMessage().c_str());
    return 1;
  }
  std::printf("%u %u %s\n", image.Width, image.Height,
              eng::Sha256Hex(image.Pixels.data(), image.Pixels.size()).c_str());
  if (!pngOut.empty()) {
    std::string error;
    if (!eng::WritePng(pngOut, image.Width, image.Height, image.Pixels.data(), true, &error)) {
      std::fprintf(stderr, "tessera-image: %s\n", error.c_str());
      return 1;
    }
  }
  return 0;
}
