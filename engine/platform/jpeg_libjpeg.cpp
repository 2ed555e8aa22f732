// The picture decoder for JPEG files over libjpeg-turbo's decompressor, on every platform: the
// same library release decodes to the same pixels everywhere.
#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE declared first
#include <string>

#include <jpeglib.h>

#include "engine/platform/platform.h"

namespace eng::platform {

namespace {

// A picture the file cannot justify is refused before anything is allocated for it: even a flat
// picture costs a few bits per 8 x 8 block, so no honest file holds more than this many pixels
// per byte.
constexpr unsigned long long kMaxPixelsPerByte = 1024;
// Progressive files may repeat scans without end, each one a pass over the whole picture; no
// encoder writes more than a few dozen.
constexpr int kMaxScans = 500;
// The decoder's own working memory (whole-picture coefficient buffers of progressive files); it
// has no backing store, so a file that needs more is refused with the decoder's message.
constexpr long kMaxDecoderMemory = 256L << 20;

struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void OnFatalError(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  err->pub.format_message(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

// Ends a progressive decode that has read more scans than any honest file holds.
void OnProgress(j_common_ptr cinfo) {
  if (!cinfo->is_decompressor) return;
  auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
  if (d->progressive_mode && d->input_scan_number > kMaxScans) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    std::snprintf(err->message, sizeof err->message, "more than %d scans", kMaxScans);
    std::longjmp(err->jump, 1);
  }
}

// Warnings (corrupt but readable data) are not fatal and not shown.
void OnMessage(j_common_ptr, int) {}

}  // namespace

// NOTE: libjpeg reports fatal errors by longjmp back into this function; nothing with a
// destructor may live in the frames it crosses, so the pixels and the reason are written through
// `rgba` and `error`.
bool DecodeJpeg(const uint8_t* data, size_t size, std::vector<uint8_t>* rgba, int* width, int* height,
                std::string* error, PictureSizeJudge judge) {
  rgba->clear();
  *width = *height = 0;
  if (error) error->clear();
  if (size > 0xFFFFFFFFu) {
    if (error) *error = "File too large";
    return false;
  }
  jpeg_decompress_struct cinfo;
  ErrorManager err;
  err.message[0] = '\0';
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = OnFatalError;
  err.pub.emit_message = OnMessage;
  jpeg_progress_mgr progress{};
  progress.progress_monitor = OnProgress;
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    rgba->clear();
    if (error) *error = err.message;
    return false;
  }
  jpeg_create_decompress(&cinfo);
  cinfo.mem->max_memory_to_use = kMaxDecoderMemory;
  cinfo.progress = &progress;
  jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(&cinfo, TRUE);
  unsigned long long pixels = static_cast<unsigned long long>(cinfo.image_width) * cinfo.image_height;
  // The reasons are made before the decoder is destroyed, which frees nothing they use.
  if (pixels == 0)
    std::snprintf(err.message, sizeof err.message, "Image has no pixels");
  else if (cinfo.image_width > 0xFFFF || cinfo.image_height > 0xFFFF)
    std::snprintf(err.message, sizeof err.message, "Image too large: %u x %u pixels", cinfo.image_width,
                  cinfo.image_height);
  else if (judge)
    judge(cinfo.image_width, cinfo.image_height, err.message, sizeof err.message);
  if (err.message[0] == '\0' && pixels > kMaxPixelsPerByte * size)
    std::snprintf(err.message, sizeof err.message, "Image data too short: %u x %u pixels from %zu bytes",
                  cinfo.image_width, cinfo.image_height, size);
  if (err.message[0] != '\0') {
    jpeg_destroy_decompress(&cinfo);
    if (error) *error = err.message;
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
