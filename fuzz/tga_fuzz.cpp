// Fuzz target: the TGA reader's from-memory entry point on arbitrary bytes. A decode that
// succeeds must deliver exactly Width x Height RGBA pixels.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "engine/textures.h"
#include "engine/textures_tga.h"

// A million pixels at most: larger pictures are refused from the header as at the game's limit,
// and the time they would take to decode goes to more inputs.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  eng::SetImagePixelLimit(uint64_t{1} << 20);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 0xFFFFFFFFu) return 0;
  eng::MemoryBuffer buffer;
  buffer.Memory = const_cast<uint8_t*>(data);  // the reader decodes a copy
  buffer.Size = static_cast<uint32_t>(size);
  eng::TImage image;
  bool ok = eng::TgaLoadFromMemory(buffer, &image);
  size_t expected = static_cast<size_t>(image.Width) * image.Height * 4;
  if (ok != !image.Pixels.empty() || (ok && image.Pixels.size() != expected)) std::abort();
  return 0;
}
