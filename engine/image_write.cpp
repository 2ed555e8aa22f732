// PNG writing.
#include "engine/image_write.h"

#include <zlib.h>

#include <cstdio>

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

bool WriteBytesToFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    if (error) *error = "cannot write " + path;
    return false;
  }
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = std::fclose(f) == 0 && ok;
  if (!ok && error) *error = "cannot write " + path;
  return ok;
}

}  // namespace eng
