// The PNG reader (big-endian chunks; zlib inflates the image data).
#include "engine/textures_png.h"

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace eng {

namespace {

constexpr uint8_t kSignature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
// Deflate cannot expand one input byte into more than about 1032 output bytes; image data that
// would need more than that from the bytes left in the file cannot be there.
constexpr uint64_t kMaxInflateRatio = 1032;
// Rows are inflated in slices of about this many bytes, so that each slice is unfiltered and
// converted while it is still in the cache.
constexpr size_t kSliceBytes = 256 * 1024;

constexpr uint32_t ChunkType(const char (&name)[5]) {
  return (static_cast<uint32_t>(static_cast<uint8_t>(name[0])) << 24) |
         (static_cast<uint32_t>(static_cast<uint8_t>(name[1])) << 16) |
         (static_cast<uint32_t>(static_cast<uint8_t>(name[2])) << 8) |
         static_cast<uint32_t>(static_cast<uint8_t>(name[3]));
}
constexpr uint32_t kIHDR = ChunkType("IHDR");
constexpr uint32_t kPLTE = ChunkType("PLTE");
constexpr uint32_t kIDAT = ChunkType("IDAT");
constexpr uint32_t kTRNS = ChunkType("tRNS");
constexpr uint32_t kIEND = ChunkType("IEND");

enum class RowKind { Palette, Rgb, GreyAlpha, Rgba };

struct PngDecoder {
  MemoryBuffer* mem = nullptr;
  TImage* image = nullptr;
  bool haveHeader = false;
  uint32_t width = 0;
  uint32_t height = 0;
  uint8_t depth = 0;
  uint8_t colourType = 0;
  // Palette rows look samples up here: colour and alpha, R G B A in memory order.
  uint8_t palette[256][4] = {};
  bool rgbKeyed = false;  // tRNS of an RGB image: this colour is transparent
  uint16_t keyR = 0, keyG = 0, keyB = 0;
  uint32_t chunkLeft = 0;  // unread data bytes of the current IDAT chunk
  bool decoded = false;

  bool Fail(const char* message) {
    TextureLogFailure(message);
    return false;
  }

  uint32_t ReadBE32() {
    uint32_t v = 0;
    MemReadSwap(mem, &v, 4);
    return v;
  }

  bool Run();
  bool ReadHeaderChunk(uint32_t length);
  bool ReadPalette(uint32_t length);
  void ReadTransparency(uint32_t length);
  bool DecodeImage();
  bool NextIdatChunk();
};

void Skip(MemoryBuffer* mem, uint32_t count) { MemSeek(mem, count, MemSeekCurrent); }

// Sample scaling of grey images to the full 0..255 range (a 1-bit 1 is white).
uint8_t GreyLevel(uint32_t sample, uint8_t depth) {
  switch (depth) {
    case 1: return sample ? 255 : 0;
    case 4: return static_cast<uint8_t>(sample * 17);
    default: return static_cast<uint8_t>(sample);
  }
}

bool PngDecoder::Run() {
  uint8_t signature[8] = {};
  MemRead(mem, signature, 8);
  if (std::memcmp(signature, kSignature, 8) != 0) return Fail("PNG - Invalid header");

  // NOTE: a file without IEND ends the loop when its bytes run out; a chunk header needs 8.
  while (MemRemaining(*mem) >= 8) {
    uint32_t length = ReadBE32();
    uint32_t type = ReadBE32();
    if (!haveHeader && type != kIHDR) return Fail("PNG - Header not found");
    if (length > MemRemaining(*mem)) return Fail("PNG - Invalid chunk size");
    uint32_t end = mem->Position + length;
    if (type == kIHDR) {
      if (!ReadHeaderChunk(length)) return false;
    } else if (type == kPLTE) {
      if (!ReadPalette(length)) return false;
    } else if (type == kIDAT) {
      if (!decoded) {
        chunkLeft = length;
        if (!DecodeImage()) return false;
        decoded = true;
        end = mem->Position + chunkLeft;  // the decode may have moved on to later chunks
      }
    } else if (type == kTRNS) {
      ReadTransparency(length);
    }
    MemSeek(mem, end, MemSeekSet);
    Skip(mem, 4);  // CRC, never checked
    if (type == kIEND) break;
  }
  if (!decoded) return Fail("PNG - Image data not found");
  return true;
}

bool PngDecoder::ReadHeaderChunk(uint32_t length) {
  if (length < 13) return Fail("PNG - Invalid header size");
  width = ReadBE32();
  height = ReadBE32();
  uint8_t b[5] = {};
  MemRead(mem, b, 5);
  depth = b[0];
  colourType = b[1];
  uint8_t compression = b[2];
  uint8_t interlace = b[4];
  haveHeader = true;
  if (compression != 0) return Fail("PNG - Invalid compression method");
  if (interlace != 0) return Fail("PNG - Interlace not supported.");
  if (colourType == 0) {
    for (uint32_t i = 0; i < 256; ++i) {
      uint8_t g = GreyLevel(i, depth);
      palette[i][0] = palette[i][1] = palette[i][2] = g;
    }
  }
  return true;
}

bool PngDecoder::ReadPalette(uint32_t length) {
  if (length > 768) return Fail("PNG - Invalid palette size");
  uint8_t rgb[768] = {};
  MemRead(mem, rgb, length);
  for (uint32_t i = 0; i < length / 3; ++i) std::memcpy(palette[i], &rgb[i * 3], 3);
  return true;
}

// tRNS as the PNG format defines it: one alpha per palette entry (entries beyond it stay opaque),
// or the one grey sample value or RGB colour that is transparent. Other colour types have none.
void PngDecoder::ReadTransparency(uint32_t length) {
  uint8_t data[256] = {};
  uint32_t n = MemRead(mem, data, std::min<uint32_t>(length, 256));
  if (colourType == 3) {
    for (uint32_t i = 0; i < n; ++i) palette[i][3] = data[i];
  } else if (colourType == 0 && n >= 2) {
    uint32_t grey = (static_cast<uint32_t>(data[0]) << 8) | data[1];
    if (depth <= 8 && grey < (1u << depth)) palette[grey][3] = 0;
  } else if (colourType == 2 && n >= 6) {
    rgbKeyed = true;
    keyR = static_cast<uint16_t>((data[0] << 8) | data[1]);
    keyG = static_cast<uint16_t>((data[2] << 8) | data[3]);
    keyB = static_cast<uint16_t>((data[4] << 8) | data[5]);
  }
}

// Makes the next chunk current when the current IDAT chunk is used up; false when it is not an
// IDAT chunk or does not fit in the file.
bool PngDecoder::NextIdatChunk() {
  Skip(mem, 4);  // CRC of the chunk just used up
  uint32_t length = ReadBE32();
  uint32_t type = ReadBE32();
  if (type != kIDAT) return Fail("PNG - IDAT chunk expected");
  if (length > MemRemaining(*mem)) return Fail("PNG - Invalid chunk size");
  chunkLeft = length;
  return true;
}

// The Paeth predictor of (Left, Up, UpLeft): with p = Left + Up - UpLeft, the one of the three
// nearest to p, ties going to Left, then Up. |p - Left| = |Up - UpLeft| and so on, written so that
// the compiler can pick without branches.
inline uint8_t Paeth(int left, int up, int upLeft) {
  int pa = std::abs(up - upLeft);
  int pb = std::abs(left - upLeft);
  int pc = std::abs(left + up - 2 * upLeft);
  int best = left;
  if (pb < pa) {
    pa = pb;
    best = up;
  }
  if (pc < pa) best = upLeft;
  return static_cast<uint8_t>(best);
}

// Filters 1 to 4 for a filter unit known at compile time (1 to 4 bytes), so the inner loops
// unroll; Left and UpLeft are 0 before the row start.
template <size_t Unit>
void UnfilterRow(uint8_t type, uint8_t* row, const uint8_t* prev, size_t rowBytes) {
  size_t lead = std::min(Unit, rowBytes);
  switch (type) {
    case 1:
      for (size_t i = Unit; i < rowBytes; ++i) row[i] = static_cast<uint8_t>(row[i] + row[i - Unit]);
      break;
    case 2:
      for (size_t i = 0; i < rowBytes; ++i) row[i] = static_cast<uint8_t>(row[i] + prev[i]);
      break;
    case 3:
      for (size_t i = 0; i < lead; ++i) row[i] = static_cast<uint8_t>(row[i] + (prev[i] >> 1));
      for (size_t i = Unit; i < rowBytes; ++i)
        row[i] = static_cast<uint8_t>(row[i] + ((row[i - Unit] + prev[i]) >> 1));
      break;
    case 4:
      // With Left = UpLeft = 0 the predictor is Up.
      for (size_t i = 0; i < lead; ++i) row[i] = static_cast<uint8_t>(row[i] + prev[i]);
      for (size_t i = Unit; i < rowBytes; ++i)
        row[i] = static_cast<uint8_t>(row[i] + Paeth(row[i - Unit], prev[i], prev[i - Unit]));
      break;
    default:
      break;  // 0 and unknown types: as inflated
  }
}

// Undoes filter `type` on `row` (rowBytes bytes) against `prev` with filter unit `unit` (1 to 4).
void Unfilter(uint8_t type, uint8_t* row, const uint8_t* prev, size_t rowBytes, size_t unit) {
  switch (unit) {
    case 1: UnfilterRow<1>(type, row, prev, rowBytes); break;
    case 2: UnfilterRow<2>(type, row, prev, rowBytes); break;
    case 3: UnfilterRow<3>(type, row, prev, rowBytes); break;
    default: UnfilterRow<4>(type, row, prev, rowBytes); break;
  }
}

// Turns one unfiltered row into RGBA pixels.
struct RowConverter {
  RowKind kind;
  uint8_t depth;
  uint32_t width;
  const uint8_t (*palette)[4];
  uint32_t rgbKey;  // RGBA of the transparent colour of an RGB image; 0 = none

  void operator()(const uint8_t* row, uint8_t* out) const {
    switch (kind) {
      case RowKind::Palette:
        if (depth == 8) {
          for (uint32_t x = 0; x < width; ++x) std::memcpy(out + x * 4, palette[row[x]], 4);
        } else {
          uint32_t perByte = 8u / depth;
          uint32_t mask = (1u << depth) - 1;
          for (uint32_t x = 0; x < width; ++x) {
            uint32_t shift = 8 - depth * (x % perByte + 1);
            std::memcpy(out + x * 4, palette[(row[x / perByte] >> shift) & mask], 4);
          }
        }
        break;
      case RowKind::Rgb:
        for (uint32_t x = 0; x < width; ++x) {
          uint8_t* p = out + x * 4;
          p[0] = row[x * 3];
          p[1] = row[x * 3 + 1];
          p[2] = row[x * 3 + 2];
          p[3] = 255;
          if (rgbKey) {
            uint32_t v;
            std::memcpy(&v, p, 4);
            if (v == rgbKey) p[3] = 0;
          }
        }
        break;
      case RowKind::GreyAlpha:
        for (uint32_t x = 0; x < width; ++x) {
          uint8_t a = row[x * 2 + 1];
          uint8_t g = a == 0 ? 0 : row[x * 2];
          uint8_t* p = out + x * 4;
          p[0] = p[1] = p[2] = g;
          p[3] = a;
        }
        break;
      case RowKind::Rgba:
        std::memcpy(out, row, static_cast<size_t>(width) * 4);
        break;
    }
  }
};

bool PngDecoder::DecodeImage() {
  uint64_t w = width;
  uint64_t rowBytes = 0;
  size_t unit = 1;
  RowKind kind = RowKind::Palette;
  if ((colourType == 0 || colourType == 3) && (depth == 1 || depth == 4 || depth == 8)) {
    rowBytes = (w * depth + 7) / 8;
    unit = 1;
    kind = RowKind::Palette;
  } else if (colourType == 2 && depth == 8) {
    rowBytes = w * 3;
    unit = 3;
    kind = RowKind::Rgb;
  } else if (colourType == 4 && depth == 8) {
    rowBytes = w * 2;
    unit = 2;
    kind = RowKind::GreyAlpha;
  } else if (colourType == 6 && depth == 8) {
    rowBytes = w * 4;
    unit = 4;
    kind = RowKind::Rgba;
  } else {
    return Fail("PNG - Unsupported ColorType");
  }
  // Sizes are bounded before anything is allocated: by the readers' common limit, and by the data
  // left in the file, which must be able to inflate to every row, or a tiny file could ask for
  // gigabytes.
  uint64_t stride = rowBytes + 1;
  uint64_t rawSize = stride * height;
  if (width == 0 || height == 0) return Fail("PNG - Invalid image size");
  std::string tooLarge = ImageSizeProblem(width, height);
  if (!tooLarge.empty()) {
    TextureLogFailure("PNG - " + tooLarge);
    return false;
  }
  if (rawSize > kMaxInflateRatio * (chunkLeft + uint64_t{MemRemaining(*mem)}) + 64)
    return Fail("PNG - Invalid image size");

  z_stream zs{};
  if (inflateInit(&zs) != Z_OK) return Fail("PNG - ZLib error: insufficient memory");
#if ZLIB_VERNUM >= 0x1290
  // Chunk CRCs are not checked either; skipping the stream's checksum saves a pass over the data.
  inflateValidate(&zs, 0);
#endif
  // Rows are inflated into a window of whole rows that is reused down the picture, so the
  // working set stays in the cache; `previous` keeps the last unfiltered row of the window
  // before (zero above the first row).
  size_t rowsPerWindow = std::clamp<size_t>(kSliceBytes / static_cast<size_t>(stride), 1, height);
  std::vector<uint8_t> window(rowsPerWindow * static_cast<size_t>(stride));
  std::vector<uint8_t> previous(static_cast<size_t>(rowBytes), 0);
  image->Pixels.resize(static_cast<size_t>(w * height * 4));
  RowConverter convert{kind, depth, width, palette, 0};
  if (rgbKeyed && keyR < 256 && keyG < 256 && keyB < 256)
    convert.rgbKey = static_cast<uint32_t>(keyR) | (static_cast<uint32_t>(keyG) << 8) |
                     (static_cast<uint32_t>(keyB) << 16) | 0xFF000000u;

  size_t filled = 0;  // bytes of the window holding inflated data
  uint32_t rowsDone = 0;
  bool ok = true;
  bool streamEnded = false;
  while (rowsDone < height) {
    if (chunkLeft == 0 && !streamEnded) {
      if (!NextIdatChunk()) {
        ok = false;
        break;
      }
      continue;  // empty IDAT chunks are allowed
    }
    if (!streamEnded) {
      size_t wanted = std::min<uint64_t>(window.size(), (height - rowsDone) * stride);
      zs.next_in = mem->Memory + mem->Position;
      zs.avail_in = chunkLeft;
      zs.next_out = window.data() + filled;
      zs.avail_out = static_cast<uInt>(wanted - filled);
      int result = inflate(&zs, Z_NO_FLUSH);
      uint32_t used = chunkLeft - zs.avail_in;
      mem->Position += used;
      chunkLeft -= used;
      filled = static_cast<size_t>(zs.next_out - window.data());
      if (result == Z_NEED_DICT) result = Z_DATA_ERROR;  // PNG streams have no preset dictionary
      if (result < 0) {
        TextureLogFailure(std::string("PNG - ZLib error: ") + zError(result));
        ok = false;
        break;
      }
      if (result == Z_STREAM_END) streamEnded = true;
      if (filled < wanted && !streamEnded) continue;  // the window is not full yet
    }
    size_t complete = filled / static_cast<size_t>(stride);
    if (complete == 0) {
      ok = Fail("PNG - Image data ends early");
      break;
    }
    for (size_t i = 0; i < complete; ++i, ++rowsDone) {
      uint8_t* line = window.data() + i * stride;
      uint8_t* row = line + 1;
      const uint8_t* prev = i == 0 ? previous.data() : row - stride;
      Unfilter(line[0], row, prev, static_cast<size_t>(rowBytes), unit);
      convert(row, image->Pixels.data() + static_cast<size_t>(height - 1 - rowsDone) * w * 4);
    }
    std::memcpy(previous.data(), window.data() + (complete - 1) * stride + 1, static_cast<size_t>(rowBytes));
    size_t rest = filled - complete * static_cast<size_t>(stride);
    std::memmove(window.data(), window.data() + complete * stride, rest);
    filled = rest;
  }
  inflateEnd(&zs);
  if (!ok) return false;
  image->Width = static_cast<uint16_t>(width);
  image->Height = static_cast<uint16_t>(height);
  return true;
}

bool DecodeBuffer(MemoryBuffer* mem, TImage* image) {
  *image = TImage{};
  PngDecoder decoder;
  decoder.mem = mem;
  decoder.image = image;
  for (auto& entry : decoder.palette) entry[3] = 255;
  bool ok = decoder.Run();
  if (!ok) *image = TImage{};
  MemFree(mem);
  return ok;
}

}  // namespace

bool PngLoadFromFile(const std::string& fileName, TImage* image) {
  MemoryBuffer mem;
  if (!MemLoadFromFile(&mem, fileName)) {
    *image = TImage{};
    return false;
  }
  return DecodeBuffer(&mem, image);
}

bool PngLoadFromMemory(const MemoryBuffer& buffer, TImage* image) {
  MemoryBuffer mem;
  MemLoadFromMemory(&mem, buffer.Memory, buffer.Size);
  return DecodeBuffer(&mem, image);
}

}  // namespace eng
