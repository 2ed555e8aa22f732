// PNG, TGA and JPEG writing.
#include "engine/image_write.h"

#include <zlib.h>

#include <cerrno>
#include <csetjmp>
#include <cstddef>
#include <cstdlib>
#include <cstdio>  // before jpeglib.h, which needs FILE
#include <cstring>

#include <jpeglib.h>

namespace eng {

namespace {

void PutBE32(std::vector<uint8_t>* out, uint32_t v) {
  out->push_back(static_cast<uint8_t>(v >> 24));
  out->push_back(static_cast<uint8_t>(v >> 16));
  out->push_back(static_cast<uint8_t>(v >> 8));
  out->push_back(static_cast<uint8_t>(v));
}

void PutChunk(std::vector<uint8_t>* out, const char type[4], const std::vector<uint8_t>& data) {
  PutBE32(out, static_cast<uint32_t>(data.size()));
  size_t start = out->size();
  out->insert(out->end(), type, type + 4);
  out->insert(out->end(), data.begin(), data.end());
  uLong crc = crc32(0L, Z_NULL, 0);
  crc = crc32(crc, out->data() + start, static_cast<uInt>(out->size() - start));
  PutBE32(out, static_cast<uint32_t>(crc));
}

}  // namespace

std::vector<uint8_t> EncodePng(int width, int height, const uint8_t* rgba, bool bottomUp) {
  std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> header;
  PutBE32(&header, static_cast<uint32_t>(width));
  PutBE32(&header, static_cast<uint32_t>(height));
  header.insert(header.end(), {8, 6, 0, 0, 0});  // 8-bit RGBA, no interlace
  PutChunk(&out, "IHDR", header);

  size_t rowBytes = static_cast<size_t>(width) * 4;
  std::vector<uint8_t> raw;
  raw.reserve((rowBytes + 1) * static_cast<size_t>(height));
  for (int y = 0; y < height; ++y) {
    int row = bottomUp ? height - 1 - y : y;
    raw.push_back(0);  // filter: none
    const uint8_t* src = rgba + static_cast<size_t>(row) * rowBytes;
    raw.insert(raw.end(), src, src + rowBytes);
  }
  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  std::vector<uint8_t> packed(packedSize);
  compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 6);
  packed.resize(packedSize);
  PutChunk(&out, "IDAT", packed);
  PutChunk(&out, "IEND", {});
  return out;
}

std::vector<uint8_t> EncodeTga(int width, int height, const uint8_t* rgba, bool bottomUp) {
  std::vector<uint8_t> out(18, 0);
  out[2] = 2;  // uncompressed true colour
  out[12] = static_cast<uint8_t>(width & 0xFF);
  out[13] = static_cast<uint8_t>(width >> 8);
  out[14] = static_cast<uint8_t>(height & 0xFF);
  out[15] = static_cast<uint8_t>(height >> 8);
  out[16] = 32;
  out[17] = 8;  // eight alpha bits, origin bottom left
  size_t rowBytes = static_cast<size_t>(width) * 4;
  out.reserve(out.size() + rowBytes * static_cast<size_t>(height));
  for (int y = 0; y < height; ++y) {
    int row = bottomUp ? y : height - 1 - y;
    const uint8_t* src = rgba + static_cast<size_t>(row) * rowBytes;
    for (int x = 0; x < width; ++x, src += 4) {
      out.push_back(src[2]);  // stored B, G, R, A
      out.push_back(src[1]);
      out.push_back(src[0]);
      out.push_back(src[3]);
    }
  }
  return out;
}

bool WritePng(const std::string& path, int width, int height, const uint8_t* rgba, bool bottomUp,
              std::string* error) {
  return WriteBytesToFile(path, EncodePng(width, height, rgba, bottomUp), error);
}

namespace {

struct JpegErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};

[[noreturn]] void OnJpegError(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<JpegErrorManager*>(cinfo->err)->jump, 1);
}

// NOTE: errors come back by longjmp; the frames it crosses hold nothing with a destructor, and the
// rows and the output block are reached through pointers that do not change after setjmp.
bool CompressJpeg(int width, int height, const uint8_t* rows, std::ptrdiff_t rowStep,
                  const JpegOptions& options, unsigned char** block, unsigned long* blockSize) {
  jpeg_compress_struct cinfo;
  JpegErrorManager err;
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = OnJpegError;
  if (setjmp(err.jump)) {
    jpeg_destroy_compress(&cinfo);
    return false;
  }
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, block, blockSize);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = 4;
  cinfo.in_color_space = JCS_EXT_RGBA;
  jpeg_set_defaults(&cinfo);
  if (options.grey) jpeg_set_colorspace(&cinfo, JCS_GRAYSCALE);
  jpeg_set_quality(&cinfo, options.quality, TRUE);
  if (options.progressive) jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(rows + rowStep * static_cast<std::ptrdiff_t>(cinfo.next_scanline));
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return true;
}

}  // namespace

std::vector<uint8_t> EncodeJpeg(int width, int height, const uint8_t* rgba, bool bottomUp,
                                const JpegOptions& options) {
  if (width <= 0 || height <= 0) return {};
  std::ptrdiff_t rowBytes = static_cast<std::ptrdiff_t>(width) * 4;
  // The file starts with the top row.
  const uint8_t* first = bottomUp ? rgba + rowBytes * (height - 1) : rgba;
  std::ptrdiff_t step = bottomUp ? -rowBytes : rowBytes;
  unsigned char* block = nullptr;
  unsigned long blockSize = 0;
  bool ok = CompressJpeg(width, height, first, step, options, &block, &blockSize);
  std::vector<uint8_t> out;
  if (ok && block) out.assign(block, block + blockSize);
  std::free(block);
  return out;
}

bool WriteBytesToFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    if (error) *error = "cannot write " + path + ": " + std::strerror(errno);
    return false;
  }
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  // A full disk often shows only when the buffer is flushed at close.
  int writeErrno = ok ? 0 : errno;
  if (std::fclose(f) != 0 && ok) {
    ok = false;
    writeErrno = errno;
  }
  if (!ok && error) *error = "cannot write " + path + ": " + std::strerror(writeErrno);
  return ok;
}

}  // namespace eng
