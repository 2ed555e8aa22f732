// The JPEG reader, over libjpeg-turbo's decompressor.
#include "engine/textures_jpg.h"

#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE declared first

#include <jpeglib.h>

namespace eng {

namespace {

// A picture the file cannot justify is refused before anything is allocated for it: even a flat
// picture costs a few bits per 8 x 8 block, so no honest file holds more than this many pixels
// per byte.
constexpr unsigned long long kMaxPixelsPerByte = 1024;

struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};

[[noreturn]] void OnFatalError(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

// Warnings (corrupt but readable data) are not fatal and not shown.
void OnMessage(j_common_ptr, int) {}

// NOTE: libjpeg reports fatal errors by longjmp back into this function; nothing with a
// destructor may live in the frames it crosses, so the pixels are written through `image`.
bool Decode(const uint8_t* data, uint32_t size, TImage* image) {
  jpeg_decompress_struct cinfo;
  ErrorManager err;
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = OnFatalError;
  err.pub.emit_message = OnMessage;
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    image->Pixels.clear();
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, data, size);
  jpeg_read_header(&cinfo, TRUE);
  unsigned long long pixels = static_cast<unsigned long long>(cinfo.image_width) * cinfo.image_height;
  if (pixels == 0 || cinfo.image_width > 0xFFFF || cinfo.image_height > 0xFFFF ||
      pixels > kMaxPixelsPerByte * size) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  cinfo.out_color_space = JCS_EXT_RGBA;  // grey and colour files alike; alpha comes out 255
  jpeg_start_decompress(&cinfo);
  size_t width = cinfo.output_width;
  size_t height = cinfo.output_height;
  image->Pixels.resize(width * height * 4);
  while (cinfo.output_scanline < cinfo.output_height) {
    // The first row of the file is the top of the picture: it goes last.
    JSAMPROW row = image->Pixels.data() + (height - 1 - cinfo.output_scanline) * width * 4;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  image->Width = static_cast<uint16_t>(width);
  image->Height = static_cast<uint16_t>(height);
  return true;
}

bool DecodeBuffer(MemoryBuffer* mem, TImage* image) {
  *image = TImage{};
  bool ok = Decode(mem->Memory, mem->Size, image);
  if (!ok) *image = TImage{};
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
