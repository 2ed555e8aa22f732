// The TGA reader on hand-built files: origins, depths, run-length packets, colour maps, grey,
// refused kinds and truncated or hostile files.
#include "engine/textures_tga.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "engine/main.h"
#include "engine/textures.h"
#include "tests/support/test_support.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct TgaHeader {
  uint8_t idLength = 0;
  uint8_t mapType = 0;
  uint8_t imageType = 2;
  uint16_t mapFirst = 0;
  uint16_t mapLength = 0;
  uint8_t mapBits = 0;
  uint16_t width = 0;
  uint16_t height = 0;
  uint8_t depth = 24;
  uint8_t descriptor = 0;
};

Bytes Tga(const TgaHeader& h, std::initializer_list<Bytes> parts) {
  Bytes out = {h.idLength, h.mapType, h.imageType,
               static_cast<uint8_t>(h.mapFirst), static_cast<uint8_t>(h.mapFirst >> 8),
               static_cast<uint8_t>(h.mapLength), static_cast<uint8_t>(h.mapLength >> 8), h.mapBits,
               0, 0, 0, 0,  // origin, ignored
               static_cast<uint8_t>(h.width), static_cast<uint8_t>(h.width >> 8),
               static_cast<uint8_t>(h.height), static_cast<uint8_t>(h.height >> 8), h.depth,
               h.descriptor};
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

bool Decode(const Bytes& file, eng::TImage* image) {
  eng::MemoryBuffer mem;
  mem.Memory = const_cast<uint8_t*>(file.data());
  mem.Size = static_cast<uint32_t>(file.size());
  return eng::TgaLoadFromMemory(mem, image);  // decodes a copy; `file` stays as it was
}

// 3 x 2 picture. Top row: red, green, blue; bottom row: white, black, (10, 20, 30).
// Expected output, bottom row first, alpha 255.
const Bytes kPictureRgba = {255, 255, 255, 255, 0, 0, 0, 255, 10, 20, 30, 255,
                            255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255};

TEST(TgaReader, BottomLeft24AndTopLeft32GiveTheSamePicture) {
  // 24 bits, rows stored bottom first, pixels as B, G, R.
  Bytes bottomUp = Tga({.width = 3, .height = 2, .depth = 24},
                       {{255, 255, 255, 0, 0, 0, 30, 20, 10}, {0, 0, 255, 0, 255, 0, 255, 0, 0}});
  // 32 bits, top-left origin (descriptor bit 0x20), pixels as B, G, R, A.
  Bytes topDown = Tga({.width = 3, .height = 2, .depth = 32, .descriptor = 0x28},
                      {{0, 0, 255, 11, 0, 255, 0, 12, 255, 0, 0, 13},
                       {255, 255, 255, 14, 0, 0, 0, 15, 30, 20, 10, 16}});
  eng::TImage a, b;
  ASSERT_TRUE(Decode(bottomUp, &a));
  ASSERT_TRUE(Decode(topDown, &b));
  EXPECT_EQ(a.Width, 3);
  EXPECT_EQ(a.Height, 2);
  EXPECT_EQ(a.Pixels, kPictureRgba);
  Bytes withAlpha = kPictureRgba;
  const uint8_t alpha[6] = {14, 15, 16, 11, 12, 13};
  for (int i = 0; i < 6; ++i) withAlpha[i * 4 + 3] = alpha[i];
  EXPECT_EQ(b.Pixels, withAlpha);
}

TEST(TgaReader, RightToLeftRowsAreMirrored) {
  Bytes file = Tga({.width = 3, .height = 1, .depth = 24, .descriptor = 0x10},
                   {{3, 2, 1, 6, 5, 4, 9, 8, 7}});
  eng::TImage image;
  ASSERT_TRUE(Decode(file, &image));
  EXPECT_EQ(image.Pixels, (Bytes{7, 8, 9, 255, 4, 5, 6, 255, 1, 2, 3, 255}));
}

TEST(TgaReader, RunLengthPacketsDecodeAsTheRawImage) {
  // 4 x 2. Bottom row all (1, 2, 3); top row (4, 5, 6) twice, (7, 8, 9), (10, 11, 12).
  Bytes raw = Tga({.width = 4, .height = 2, .depth = 24},
                  {{3, 2, 1, 3, 2, 1, 3, 2, 1, 3, 2, 1}, {6, 5, 4, 6, 5, 4, 9, 8, 7, 12, 11, 10}});
  Bytes rle = Tga({.imageType = 10, .width = 4, .height = 2, .depth = 24},
                  {{0x83, 3, 2, 1},                      // repeat 4
                   {0x81, 6, 5, 4},                      // repeat 2
                   {0x01, 9, 8, 7, 12, 11, 10}});        // 2 literal pixels
  eng::TImage a, b;
  ASSERT_TRUE(Decode(raw, &a));
  ASSERT_TRUE(Decode(rle, &b));
  EXPECT_EQ(a.Pixels, b.Pixels);
  EXPECT_EQ(b.Pixels[4 * 4], 4);  // first pixel of the top row
  EXPECT_EQ(b.Pixels[7 * 4], 10);

  // A packet running past the last pixel is cut there.
  Bytes longPacket = Tga({.imageType = 10, .width = 2, .height = 1, .depth = 32},
                         {{0xFF, 1, 2, 3, 4}, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF}});
  ASSERT_TRUE(Decode(longPacket, &a));
  EXPECT_EQ(a.Pixels, (Bytes{3, 2, 1, 4, 3, 2, 1, 4}));
}

TEST(TgaReader, GreyImagesRawAndRunLength) {
  Bytes raw = Tga({.imageType = 3, .width = 2, .height = 2, .depth = 8}, {{0, 100, 200, 255}});
  Bytes rle = Tga({.imageType = 11, .width = 2, .height = 2, .depth = 8},
                  {{0x00, 0}, {0x80, 100}, {0x01, 200, 255}});
  eng::TImage a, b;
  ASSERT_TRUE(Decode(raw, &a));
  ASSERT_TRUE(Decode(rle, &b));
  EXPECT_EQ(a.Pixels, (Bytes{0, 0, 0, 255, 100, 100, 100, 255, 200, 200, 200, 255, 255, 255, 255, 255}));
  EXPECT_EQ(a.Pixels, b.Pixels);
}

TEST(TgaReader, ColourMapsWith24BitEntries) {
  // Entries stored B, G, R: red, green, blue. An image ID field comes first and is skipped.
  Bytes map = {0, 0, 255, 0, 255, 0, 255, 0, 0};
  Bytes file = Tga({.idLength = 3, .mapType = 1, .imageType = 1, .mapLength = 3, .mapBits = 24,
                    .width = 2, .height = 2, .depth = 8},
                   {{'I', 'D', '!'}, map, {0, 1, 2, 3}});
  eng::TImage image;
  ASSERT_TRUE(Decode(file, &image));
  // Sample 3 lies outside the map and reads black.
  EXPECT_EQ(image.Pixels, (Bytes{255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 0, 0, 0, 255}));

  // With first entry 5, sample s takes entry s - 5; run-length encoded this time.
  Bytes offset = Tga({.mapType = 1, .imageType = 9, .mapFirst = 5, .mapLength = 3, .mapBits = 24,
                      .width = 3, .height = 1, .depth = 8},
                     {map, {0x02, 7, 5, 4}});
  ASSERT_TRUE(Decode(offset, &image));
  EXPECT_EQ(image.Pixels, (Bytes{0, 0, 255, 255, 255, 0, 0, 255, 0, 0, 0, 255}));
}

class TgaThroughManager : public ::testing::Test {
 protected:
  void SetUp() override {
    eng::TexturesReset();
    eng::RegisterImageReaders();
    dir_ = testsupport::ScratchDir();
  }
  void TearDown() override { eng::TexturesReset(); }
  std::string Write(const std::string& name, const Bytes& bytes) {
    testsupport::WriteBytes(dir_ / name, bytes);
    return (dir_ / name).string();
  }
  std::filesystem::path dir_;
};

TEST_F(TgaThroughManager, SixteenBitMapEntriesAreRefusedWithTheirMessage) {
  std::string path = Write("map16.tga", Tga({.mapType = 1, .imageType = 1, .mapLength = 2, .mapBits = 16,
                                             .width = 2, .height = 1, .depth = 8},
                                            {{0x1F, 0x00, 0xE0, 0x03}, {0, 1}}));
  eng::TImage image;
  EXPECT_FALSE(eng::TextureReadImage(path, &image));
  EXPECT_TRUE(image.Pixels.empty());
  EXPECT_EQ(eng::TextureFailureMessage(), "Unsupported color palette type in TGA-file!");
}

// Every refusal says why in the reader's own words, ahead of the texture manager's line.
TEST_F(TgaThroughManager, RefusalsSayWhy) {
  struct Case {
    const char* name;
    Bytes bytes;
    const char* reason;
  };
  const Case cases[] = {
      {"rgb16.tga", Tga({.width = 2, .height = 1, .depth = 16}, {{1, 2, 3, 4}}), "TGA - Unsupported pixel depth: 16 bits"},
      {"empty.tga", Tga({.width = 0, .height = 5, .depth = 24}, {}), "TGA - Image has no pixels"},
      {"short.tga", Tga({.width = 4, .height = 4, .depth = 24}, {{1, 2, 3}}),
       "TGA - Image data ends early: 4 x 4 pixels need at least 48 bytes, 3 left"},
      {"huge.tga", Tga({.imageType = 10, .width = 20000, .height = 20000, .depth = 24}, {Bytes(1 << 16, 0xFF)}),
       "TGA - Image too large: 20000 x 20000 pixels (at most 16384 a side and 67108864 in all)"},
  };
  for (const Case& c : cases) {
    std::string path = Write(c.name, c.bytes);
    eng::TImage image;
    EXPECT_FALSE(eng::TextureReadImage(path, &image)) << c.name;
    EXPECT_EQ(eng::TextureFailureMessage(), c.reason) << c.name;
    EXPECT_EQ(eng::TextureFailureReason(), c.reason) << c.name;
  }
}

TEST(TgaReader, TruncatedAndHostileFiles) {
  eng::TImage image;
  Bytes full = Tga({.width = 3, .height = 2, .depth = 24},
                   {{255, 255, 255, 0, 0, 0, 30, 20, 10}, {0, 0, 255, 0, 255, 0, 255, 0, 0}});
  for (size_t cut : {full.size() - 1, size_t{18}, size_t{10}, size_t{0}}) {
    Bytes truncated(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(cut));
    EXPECT_FALSE(Decode(truncated, &image)) << "cut at " << cut;
    EXPECT_TRUE(image.Pixels.empty());
  }
  // A run-length file that ends inside a packet: the missing pixels read as zeros.
  Bytes shortRle = Tga({.imageType = 10, .width = 4, .height = 1, .depth = 24}, {{0x03, 3, 2, 1, 6, 5, 4}});
  ASSERT_TRUE(Decode(shortRle, &image));
  EXPECT_EQ(image.Pixels, (Bytes{1, 2, 3, 255, 4, 5, 6, 255, 0, 0, 0, 255, 0, 0, 0, 255}));
  // A header asking for 65535 x 65535 pixels from a few bytes is refused before any allocation.
  EXPECT_FALSE(Decode(Tga({.width = 0xFFFF, .height = 0xFFFF, .depth = 32}, {Bytes(100, 7)}), &image));
  EXPECT_FALSE(Decode(Tga({.imageType = 10, .width = 0xFFFF, .height = 0xFFFF, .depth = 32},
                          {Bytes(100, 0xFF)}), &image));
  // Empty sizes and depths below 8 bits.
  EXPECT_FALSE(Decode(Tga({.width = 0, .height = 5, .depth = 24}, {Bytes(30, 1)}), &image));
  EXPECT_FALSE(Decode(Tga({.width = 2, .height = 2, .depth = 4}, {Bytes(30, 1)}), &image));
}

}  // namespace
