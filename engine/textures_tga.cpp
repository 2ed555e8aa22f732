// The TGA reader (little-endian Truevision format).
#include "engine/textures_tga.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <utility>
#include <vector>


namespace eng {

namespace {

struct TgaHeader {
  uint8_t idLength = 0;
  uint8_t colourMapType = 0;
  uint8_t imageType = 0;
  uint16_t colourMapFirst = 0;
  uint16_t colourMapLength = 0;
  uint8_t colourMapEntryBits = 0;
  uint16_t width = 0;
  uint16_t height = 0;
  uint8_t depth = 0;
  uint8_t descriptor = 0;
};

// The reader's own words for a refusal go to the log ahead of the texture manager's line.
bool Fail(const std::string& why) {
  TextureLogFailure(why);
  return false;
}

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

TgaHeader ReadHeader(MemoryBuffer* mem) {
  uint8_t b[18] = {};  // a short file reads as zeros
  MemRead(mem, b, sizeof b);
  TgaHeader h;
  h.idLength = b[0];
  h.colourMapType = b[1];
  h.imageType = b[2];
  h.colourMapFirst = Le16(b + 3);
  h.colourMapLength = Le16(b + 5);
  h.colourMapEntryBits = b[7];
  h.width = Le16(b + 12);
  h.height = Le16(b + 14);
  h.depth = b[16];
  h.descriptor = b[17];
  return h;
}

// Run-length packets: a count byte (low 7 bits + 1 pixels), high bit set for one repeated pixel,
// clear for that many literal pixels. Packets are cut at the image's end.
void DecodeRle(MemoryBuffer* mem, uint8_t* out, size_t pixelCount, size_t bytesPerPixel) {
  size_t done = 0;
  uint8_t pixel[32];
  while (done < pixelCount) {
    uint8_t packet = 0;
    MemRead(mem, &packet, 1);
    size_t count = std::min<size_t>((packet & 0x7F) + 1u, pixelCount - done);
    uint8_t* dst = out + done * bytesPerPixel;
    if (packet & 0x80) {
      std::memset(pixel, 0, sizeof pixel);
      MemRead(mem, pixel, static_cast<uint32_t>(bytesPerPixel));
      for (size_t i = 0; i < count; ++i) std::memcpy(dst + i * bytesPerPixel, pixel, bytesPerPixel);
    } else {
      MemRead(mem, dst, static_cast<uint32_t>(count * bytesPerPixel));
    }
    done += count;
  }
}

void MirrorRows(std::vector<uint8_t>* raw, size_t width, size_t height, size_t bytesPerPixel) {
  for (size_t y = 0; y < height; ++y) {
    uint8_t* row = raw->data() + y * width * bytesPerPixel;
    for (size_t l = 0, r = width - 1; l < r; ++l, --r)
      std::swap_ranges(row + l * bytesPerPixel, row + (l + 1) * bytesPerPixel, row + r * bytesPerPixel);
  }
}

void FlipRows(std::vector<uint8_t>* raw, size_t width, size_t height, size_t bytesPerPixel) {
  size_t rowBytes = width * bytesPerPixel;
  for (size_t y = 0; y < height / 2; ++y)
    std::swap_ranges(raw->begin() + static_cast<std::ptrdiff_t>(y * rowBytes),
                     raw->begin() + static_cast<std::ptrdiff_t>((y + 1) * rowBytes),
                     raw->begin() + static_cast<std::ptrdiff_t>((height - 1 - y) * rowBytes));
}

bool Decode(MemoryBuffer* mem, TImage* image) {
  TgaHeader h = ReadHeader(mem);
  MemSeek(mem, h.idLength, MemSeekCurrent);
  std::vector<uint8_t> colourMap;
  if (h.colourMapType == 1) {
    colourMap.resize(static_cast<size_t>(h.colourMapLength) * h.colourMapEntryBits / 8);
    MemRead(mem, colourMap.data(), static_cast<uint32_t>(colourMap.size()));
  }

  size_t bytesPerPixel = h.depth / 8u;
  size_t width = h.width;
  size_t height = h.height;
  size_t pixelCount = width * height;
  if (pixelCount == 0) return Fail("TGA - Image has no pixels");
  if (bytesPerPixel == 0) return Fail("TGA - Unsupported pixel depth: " + std::to_string(h.depth) + " bits");
  std::string tooLarge = ImageSizeProblem(width, height);
  if (!tooLarge.empty()) return Fail("TGA - " + tooLarge);
  bool rle = h.imageType >= 9;
  // Refuse sizes the file cannot hold: raw data needs every byte, run-length data at least one
  // repeat packet per 128 pixels. This also bounds the memory a hostile header can ask for.
  size_t available = MemRemaining(*mem);
  size_t needed = rle ? (pixelCount + 127) / 128 * (1 + bytesPerPixel) : pixelCount * bytesPerPixel;
  if (available < needed)
    return Fail("TGA - Image data ends early: " + std::to_string(width) + " x " + std::to_string(height) +
                " pixels need at least " + std::to_string(needed) + " bytes, " + std::to_string(available) +
                " left");

  std::vector<uint8_t> raw(pixelCount * bytesPerPixel);
  uint8_t imageType = h.imageType;
  if (rle) {
    DecodeRle(mem, raw.data(), pixelCount, bytesPerPixel);
    imageType = static_cast<uint8_t>(imageType - 8);
  } else {
    MemRead(mem, raw.data(), static_cast<uint32_t>(raw.size()));
  }

  if (h.descriptor & 0x10) MirrorRows(&raw, width, height, bytesPerPixel);
  if (h.descriptor & 0x20) FlipRows(&raw, width, height, bytesPerPixel);

  if (imageType != 2) {
    if (h.colourMapType == 1 && h.colourMapEntryBits != 24) {
      TextureLogFailure("Unsupported color palette type in TGA-file!");
      return false;
    }
    // Every 8-bit sample becomes 3 bytes (B, G, R order, as true-colour pixels are stored).
    std::vector<uint8_t> expanded(pixelCount * 3);
    bool mapped = h.colourMapType == 1;
    for (size_t i = 0; i < pixelCount; ++i) {
      uint8_t s = raw[i];
      uint8_t* dst = &expanded[i * 3];
      if (mapped) {
        // An index outside the map reads black instead of memory beyond it.
        int entry = static_cast<int>(s) - static_cast<int>(h.colourMapFirst);
        if (entry >= 0 && static_cast<size_t>(entry) * 3 + 3 <= colourMap.size())
          std::memcpy(dst, &colourMap[static_cast<size_t>(entry) * 3], 3);
      } else {
        dst[0] = dst[1] = dst[2] = s;
      }
    }
    raw = std::move(expanded);
    bytesPerPixel = 3;
  }

  if (bytesPerPixel != 3 && bytesPerPixel != 4)
    return Fail("TGA - Unsupported pixel depth: " + std::to_string(h.depth) + " bits");
  image->Pixels.resize(pixelCount * 4);
  uint8_t* out = image->Pixels.data();
  const uint8_t* in = raw.data();
  for (size_t i = 0; i < pixelCount; ++i, out += 4, in += bytesPerPixel) {
    out[0] = in[2];
    out[1] = in[1];
    out[2] = in[0];
    out[3] = bytesPerPixel == 4 ? in[3] : 255;
  }
  image->Width = h.width;
  image->Height = h.height;
  return true;
}

bool DecodeBuffer(MemoryBuffer* mem, TImage* image) {
  *image = TImage{};
  bool ok = Decode(mem, image);
  if (!ok) *image = TImage{};
  MemFree(mem);
  return ok;
}

}  // namespace

bool TgaLoadFromFile(const std::string& fileName, TImage* image) {
  MemoryBuffer mem;
  if (!MemLoadFromFile(&mem, fileName)) {
    *image = TImage{};
    return false;
  }
  return DecodeBuffer(&mem, image);
}

bool TgaLoadFromMemory(const MemoryBuffer& buffer, TImage* image) {
  MemoryBuffer mem;
  MemLoadFromMemory(&mem, buffer.Memory, buffer.Size);
  return DecodeBuffer(&mem, image);
}

}  // namespace eng
