// The JPEG reader: the platform's picture decoder does the decoding.
#include "engine/textures_jpg.h"

#include "engine/platform/platform.h"

namespace eng {

namespace {

bool DecodeBuffer(MemoryBuffer* mem, TImage* image) {
  *image = TImage{};
  int width = 0;
  int height = 0;
  bool ok = platform::DecodeJpeg(mem->Memory, mem->Size, &image->Pixels, &width, &height);
  if (ok) {
    image->Width = static_cast<uint16_t>(width);
    image->Height = static_cast<uint16_t>(height);
  } else {
    *image = TImage{};
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
