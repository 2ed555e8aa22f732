// The picture decoder for JPEG files over libjpeg-turbo's decompressor, on every platform: the
// same library release decodes to the same pixels everywhere.
#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE declared first

#include <jpeglib.h>

#include "engine/platform/platform.h"

namespace eng::platform {

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

}  // namespace

// NOTE: libjpeg reports fatal errors by longjmp back into this function; nothing with a
// destructor may live in the frames it crosses, so the pixels are written through `rgba`.
bool DecodeJpeg(const uint8_t* data, size_t size, std::vector<uint8_t>* rgba, int* width, int* height) {
  rgba->clear();
  *width = *height = 0;
  if (size == 0 || size > 0xFFFFFFFFu) return false;
  jpeg_decompress_struct cinfo;
  ErrorManager err;
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = OnFatalError;
  err.pub.emit_message = OnMessage;
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    rgba->clear();
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(&cinfo, TRUE);
  unsigned long long pixels = static_cast<unsigned long long>(cinfo.image_width) * cinfo.image_height;
  if (pixels == 0 || cinfo.image_width > 0xFFFF || cinfo.image_height > 0xFFFF ||
      pixels > kMaxPixelsPerByte * size) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  cinfo.out_color_space = JCS_EXT_RGBA;  // grey and colour files alike; alpha comes out 255
  jpeg_start_decompress(&cinfo);
  size_t w = cinfo.output_width;
  size_t h = cinfo.output_height;
  rgba->resize(w * h * 4);
  while (cinfo.output_scanline < cinfo.output_height) {
    // The first row of the file is the top of the picture: it goes last.
    JSAMPROW row = rgba->data() + (h - 1 - cinfo.output_scanline) * w * 4;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  *width = static_cast<int>(w);
  *height = static_cast<int>(h);
  return true;
}

}  // namespace eng::platform
