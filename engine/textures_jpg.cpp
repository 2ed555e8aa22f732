// The JPEG reader, over libjpeg-turbo's decompressor.
#include "engine/textures_jpg.h"

#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE declared first
#include <string>

#include <jpeglib.h>

namespace eng {

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

// NOTE: libjpeg reports fatal errors by longjmp back into this function; nothing with a
// destructor may live in the frames it crosses, so the pixels are written through `image`.
bool Decode(const uint8_t* data, uint32_t size, TImage* image) {
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
    image->Pixels.clear();
    TextureLogFailure(std::string("JPEG - ") + err.message);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  cinfo.mem->max_memory_to_use = kMaxDecoderMemory;
  cinfo.progress = &progress;
  jpeg_mem_src(&cinfo, data, size);
  jpeg_read_header(&cinfo, TRUE);
  unsigned long long pixels = static_cast<unsigned long long>(cinfo.image_width) * cinfo.image_height;
  // The messages are made before the decoder is destroyed, which frees nothing they use.
  std::snprintf(err.message, sizeof err.message, "%s",
                pixels == 0 ? "Image has no pixels"
                            : ImageSizeProblem(cinfo.image_width, cinfo.image_height).c_str());
  if (err.message[0] == '\0' && pixels > kMaxPixelsPerByte * size)
    std::snprintf(err.message, sizeof err.message, "Image data too short: %u x %u pixels from %u bytes",
                  cinfo.image_width, cinfo.image_height, size);
  if (err.message[0] != '\0') {
    jpeg_destroy_decompress(&cinfo);
    TextureLogFailure(std::string("JPEG - ") + err.message);
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
