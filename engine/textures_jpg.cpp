// The JPEG reader: the platform's picture decoder does the decoding.
#include "engine/textures_jpg.h"

#include <cstdio>
#include <string>

#include "engine/platform/platform.h"

namespace eng {

namespace {

// The readers' common size limit, as the decoder asks for it.
void JudgeSize(uint32_t width, uint32_t height, char* reason, size_t capacity) {
  std::snprintf(reason, capacity, "%s", ImageSizeProblem(width, height).c_str());
}

bool DecodeBuffer(MemoryBuffer* mem, TImage* image) {
  *image = TImage{};
  int width = 0;
  int height = 0;
  std::string error;
  bool ok = platform::DecodeJpeg(mem->Memory, mem->Size, &image->Pixels, &width, &height, &error, JudgeSize);
  if (ok) {
    image->Width = static_cast<uint16_t>(width);
    image->Height = static_cast<uint16_t>(height);
  } else {
    *image = TImage{};
    // The decoder's own words say why.
    TextureLogFailure("JPEG - " + (error.empty() ? std::string("Cannot decode the picture") : error));
  }
  MemFree(mem);
  return ok;
}

}  // namespace

bool JpgLoadFromFile(const std::string& fileName, TImage* image) {
  MemoryBuffer mem;
  if (!MemLoadFromFile(&mem, fileName)) {
    *image = TImage{};
    return false;
  }
  return DecodeBuffer(&mem, image);
}

bool JpgLoadFromMemory(const MemoryBuffer& buffer, TImage* image) {
  MemoryBuffer mem;
  MemLoadFromMemory(&mem, buffer.Memory, buffer.Size);
  return DecodeBuffer(&mem, image);
}

}  // namespace eng
