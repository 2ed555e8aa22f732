// The PNG reader: the PngSuite images against reference decodes, then hand-built files for the
// filters, bit depths, transparency, split image data and every refusal.
#include "engine/textures_png.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "engine/main.h"
#include "engine/sha256.h"
#include "engine/textures.h"
#include "tests/support/test_support.h"

namespace {

using Bytes = std::vector<uint8_t>;

void PutBE32(Bytes* out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out->push_back(static_cast<uint8_t>(v >> shift));
}

Bytes Chunk(const char* type, const Bytes& data) {
  Bytes out;
  PutBE32(&out, static_cast<uint32_t>(data.size()));
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  uLong crc = crc32(0, out.data() + 4, static_cast<uInt>(out.size() - 4));
  PutBE32(&out, static_cast<uint32_t>(crc));
  return out;
}

Bytes Ihdr(uint32_t width, uint32_t height, uint8_t depth, uint8_t colourType, uint8_t compression = 0,
           uint8_t interlace = 0) {
  Bytes data;
  PutBE32(&data, width);
  PutBE32(&data, height);
  data.insert(data.end(), {depth, colourType, compression, 0, interlace});
  return Chunk("IHDR", data);
}

Bytes Zip(const Bytes& raw) {
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  Bytes out(size);
  compress2(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()), 9);
  out.resize(size);
  return out;
}

const Bytes kSignature = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

Bytes Png(std::initializer_list<Bytes> chunks, bool withEnd = true) {
  Bytes out = kSignature;
  for (const Bytes& c : chunks) out.insert(out.end(), c.begin(), c.end());
  if (withEnd) {
    Bytes end = Chunk("IEND", {});
    out.insert(out.end(), end.begin(), end.end());
  }
  return out;
}

class PngReader : public ::testing::Test {
 protected:
  void SetUp() override {
    eng::TexturesReset();
    eng::RegisterImageReaders();
  }
  void TearDown() override { eng::TexturesReset(); }

  // Decodes through the texture manager's reader lookup, as the game and the tool do; the
  // message is the first failure logged.
  bool Decode(const Bytes& file, eng::TImage* image, std::string* message = nullptr) {
    auto path = testsupport::ScratchDir() / "image.png";
    testsupport::WriteBytes(path, file);
    bool ok = eng::TextureReadImage(path.string(), image);
    if (message) *message = eng::TextureFailureMessage();
    return ok;
  }
  std::string FailureOf(const Bytes& file) {
    eng::TImage image;
    std::string message;
    EXPECT_FALSE(Decode(file, &image, &message));
    EXPECT_TRUE(image.Pixels.empty());
    return message;
  }
};

// Rows of a grey image (top row first in the file), each with its filter type byte.
Bytes GreyRows(std::initializer_list<Bytes> rows) {
  Bytes raw;
  for (const Bytes& r : rows) raw.insert(raw.end(), r.begin(), r.end());
  return raw;
}

// Output rows are stored bottom first: this picks row `y` counted from the top.
Bytes GreyRowFromTop(const eng::TImage& image, int y) {
  Bytes row;
  size_t base = static_cast<size_t>(image.Height - 1 - y) * image.Width * 4;
  for (size_t x = 0; x < image.Width; ++x) row.push_back(image.Pixels[base + x * 4]);
  return row;
}

TEST_F(PngReader, PngSuiteMatchesTheReferenceDecodes) {
  std::ifstream expected(std::string(TESSERA_TEST_DATA_DIR) + "/pngsuite_expected.txt");
  ASSERT_TRUE(expected.good());
  std::string line;
  int checked = 0, refused = 0;
  while (std::getline(expected, line)) {
    std::istringstream fields(line);
    std::string name, first;
    fields >> name >> first;
    std::string path = std::string(TESSERA_TESTDATA_DIR) + "/pngsuite/" + name;
    eng::TImage image;
    bool ok = eng::TextureReadImage(path, &image);
    if (first == "FAIL") {
      std::string message;
      std::getline(fields >> std::ws, message);
      EXPECT_FALSE(ok) << name;
      EXPECT_EQ(eng::TextureFailureMessage(), message) << name;
      ++refused;
    } else {
      int height = 0;
      std::string hash;
      fields >> height >> hash;
      ASSERT_TRUE(ok) << name << ": " << eng::TextureFailureMessage();
      EXPECT_EQ(image.Width, std::stoi(first)) << name;
      EXPECT_EQ(image.Height, height) << name;
      EXPECT_EQ(eng::Sha256Hex(image.Pixels.data(), image.Pixels.size()), hash) << name;
      ++checked;
    }
  }
  EXPECT_EQ(checked, 21);
  EXPECT_EQ(refused, 39);
}

// Re-chunks the image data of a file into IDAT chunks of the given sizes (the last takes the
// rest), with an empty IDAT chunk after the first.
Bytes SplitImageData(const Bytes& file, const std::vector<size_t>& sizes) {
  Bytes head, data, tail;
  size_t pos = 8;
  bool seenData = false;
  while (pos + 12 <= file.size()) {
    uint32_t length = (uint32_t{file[pos]} << 24) | (uint32_t{file[pos + 1]} << 16) |
                      (uint32_t{file[pos + 2]} << 8) | file[pos + 3];
    std::string type(file.begin() + static_cast<std::ptrdiff_t>(pos + 4),
                     file.begin() + static_cast<std::ptrdiff_t>(pos + 8));
    auto begin = file.begin() + static_cast<std::ptrdiff_t>(pos);
    auto end = begin + 12 + length;
    if (type == "IDAT") {
      data.insert(data.end(), begin + 8, begin + 8 + length);
      seenData = true;
    } else {
      (seenData ? tail : head).insert((seenData ? tail : head).end(), begin, end);
    }
    pos += 12 + length;
  }
  Bytes out = kSignature;
  out.insert(out.end(), head.begin(), head.end());
  size_t at = 0;
  for (size_t i = 0; at < data.size(); ++i) {
    size_t n = i < sizes.size() ? std::min(sizes[i], data.size() - at) : data.size() - at;
    Bytes piece(data.begin() + static_cast<std::ptrdiff_t>(at), data.begin() + static_cast<std::ptrdiff_t>(at + n));
    Bytes c = Chunk("IDAT", piece);
    out.insert(out.end(), c.begin(), c.end());
    if (i == 0) {
      Bytes empty = Chunk("IDAT", {});
      out.insert(out.end(), empty.begin(), empty.end());
    }
    at += n;
  }
  out.insert(out.end(), tail.begin(), tail.end());
  return out;
}

TEST_F(PngReader, ImageDataSplitOverManyChunksDecodesTheSame) {
  for (const char* name : {"basn6a08.png", "basn3p04.png", "basn0g01.png"}) {
    Bytes file = testsupport::ReadBytes(std::string(TESSERA_TESTDATA_DIR) + "/pngsuite/" + name);
    eng::TImage whole;
    ASSERT_TRUE(Decode(file, &whole)) << name;
    std::vector<size_t> ones(5000, 1);
    for (const auto& sizes : {ones, std::vector<size_t>{3, 7, 100, 2}, std::vector<size_t>{1, 500}}) {
      eng::TImage split;
      ASSERT_TRUE(Decode(SplitImageData(file, sizes), &split)) << name;
      EXPECT_EQ(split.Pixels, whole.Pixels) << name;
    }
  }
}

TEST_F(PngReader, FiltersUndoneByHand) {
  // 6 x 7 grey. Row 0 unfiltered; row 1 Paeth, picking Up, UpLeft, Up, Left, Up, and Up on a tie
  // between Up and UpLeft; row 2 Average; row 3 Average with sums above 255; row 4 Sub; row 5 Up;
  // row 6 an unknown filter type, left as inflated.
  Bytes raw = GreyRows({{0, 100, 200, 50, 50, 10, 0},
                        {4, 156, 7, 3, 1, 5, 20},
                        {3, 1, 2, 3, 4, 5, 6},
                        {3, 250, 0, 0, 0, 0, 0},
                        {1, 200, 100, 0, 0, 1, 255},
                        {2, 100, 0, 0, 0, 0, 0},
                        {7, 9, 9, 9, 9, 9, 9}});
  eng::TImage image;
  ASSERT_TRUE(Decode(Png({Ihdr(6, 7, 8, 0), Chunk("IDAT", Zip(raw))}), &image));
  EXPECT_EQ(GreyRowFromTop(image, 0), (Bytes{100, 200, 50, 50, 10, 0}));
  EXPECT_EQ(GreyRowFromTop(image, 1), (Bytes{0, 107, 53, 54, 15, 20}));
  EXPECT_EQ(GreyRowFromTop(image, 2), (Bytes{1, 56, 57, 59, 42, 37}));
  EXPECT_EQ(GreyRowFromTop(image, 3), (Bytes{250, 153, 105, 82, 62, 49}));
  EXPECT_EQ(GreyRowFromTop(image, 4), (Bytes{200, 44, 44, 44, 45, 44}));
  EXPECT_EQ(GreyRowFromTop(image, 5), (Bytes{44, 44, 44, 44, 45, 44}));
  EXPECT_EQ(GreyRowFromTop(image, 6), (Bytes{9, 9, 9, 9, 9, 9}));

  // RGB: the filter unit is one pixel (3 bytes).
  Bytes rgb = {1, 10, 20, 30, 1, 2, 3,   // Sub
               3, 0, 0, 0, 0, 0, 0};     // Average
  ASSERT_TRUE(Decode(Png({Ihdr(2, 2, 8, 2), Chunk("IDAT", Zip(rgb))}), &image));
  EXPECT_EQ(image.Pixels, (Bytes{5, 10, 15, 255, 8, 16, 24, 255, 10, 20, 30, 255, 11, 22, 33, 255}));
}

TEST_F(PngReader, GreyDepthsAreScaledAndPalettesAreNot) {
  eng::TImage image;
  // 1 bit: 1 0 1 1 0 0 0 0.
  ASSERT_TRUE(Decode(Png({Ihdr(8, 1, 1, 0), Chunk("IDAT", Zip({0, 0xB0}))}), &image));
  EXPECT_EQ(GreyRowFromTop(image, 0), (Bytes{255, 0, 255, 255, 0, 0, 0, 0}));
  // 4 bits: 15, 7, 1.
  ASSERT_TRUE(Decode(Png({Ihdr(3, 1, 4, 0), Chunk("IDAT", Zip({0, 0xF7, 0x10}))}), &image));
  EXPECT_EQ(GreyRowFromTop(image, 0), (Bytes{255, 119, 17}));
  // A 1-bit palette image looks its samples up as they are.
  ASSERT_TRUE(Decode(Png({Ihdr(3, 1, 1, 3), Chunk("PLTE", {1, 2, 3, 4, 5, 6}), Chunk("IDAT", Zip({0, 0x40}))}),
                     &image));
  EXPECT_EQ(image.Pixels, (Bytes{1, 2, 3, 255, 4, 5, 6, 255, 1, 2, 3, 255}));
}

TEST_F(PngReader, TransparencyAsThePngFormatDefinesIt) {
  eng::TImage image;
  // Palette: one alpha per entry; entries 0 and 1 share a colour but not their alpha; entry 2
  // lies beyond the tRNS data and stays opaque.
  Bytes palette = {1, 2, 3, 1, 2, 3, 9, 9, 9};
  ASSERT_TRUE(Decode(Png({Ihdr(4, 1, 8, 3), Chunk("PLTE", palette), Chunk("tRNS", {0, 128}),
                          Chunk("IDAT", Zip({0, 0, 1, 2, 1}))}),
                     &image));
  EXPECT_EQ(image.Pixels, (Bytes{1, 2, 3, 0, 1, 2, 3, 128, 9, 9, 9, 255, 1, 2, 3, 128}));

  // A tRNS chunk longer than the palette is consumed whole: the chunks after it still line up.
  Bytes longAlpha(300, 77);
  ASSERT_TRUE(Decode(Png({Ihdr(2, 1, 8, 3), Chunk("PLTE", palette), Chunk("tRNS", longAlpha),
                          Chunk("IDAT", Zip({0, 2, 0}))}),
                     &image));
  EXPECT_EQ(image.Pixels, (Bytes{9, 9, 9, 77, 1, 2, 3, 77}));

  // Grey: the given sample value is transparent, compared before scaling.
  ASSERT_TRUE(Decode(Png({Ihdr(2, 1, 8, 0), Chunk("tRNS", {0, 100}), Chunk("IDAT", Zip({0, 100, 101}))}), &image));
  EXPECT_EQ(image.Pixels, (Bytes{100, 100, 100, 0, 101, 101, 101, 255}));
  ASSERT_TRUE(Decode(Png({Ihdr(2, 1, 4, 0), Chunk("tRNS", {0, 15}), Chunk("IDAT", Zip({0, 0xF1}))}), &image));
  EXPECT_EQ(image.Pixels, (Bytes{255, 255, 255, 0, 17, 17, 17, 255}));
  // A grey value the depth cannot hold keys nothing out.
  ASSERT_TRUE(Decode(Png({Ihdr(1, 1, 8, 0), Chunk("tRNS", {1, 44}), Chunk("IDAT", Zip({0, 44}))}), &image));
  EXPECT_EQ(image.Pixels, (Bytes{44, 44, 44, 255}));

  // RGB: the given colour is transparent.
  ASSERT_TRUE(Decode(Png({Ihdr(2, 1, 8, 2), Chunk("tRNS", {0, 10, 0, 20, 0, 30}),
                          Chunk("IDAT", Zip({0, 10, 20, 30, 10, 20, 31}))}),
                     &image));
  EXPECT_EQ(image.Pixels, (Bytes{10, 20, 30, 0, 10, 20, 31, 255}));

  // Grey with alpha: a pixel with alpha 0 is 0, 0, 0, 0 whatever its grey value.
  ASSERT_TRUE(Decode(Png({Ihdr(2, 1, 8, 4), Chunk("IDAT", Zip({0, 77, 0, 77, 1}))}), &image));
  EXPECT_EQ(image.Pixels, (Bytes{0, 0, 0, 0, 77, 77, 77, 1}));
}

TEST_F(PngReader, EveryRefusalHasItsMessage) {
  Bytes rgba4x4(4 * (1 + 16), 0);
  for (size_t r = 0; r < 4; ++r) rgba4x4[r * 17] = 0;
  Bytes data = Zip(rgba4x4);

  EXPECT_EQ(FailureOf({'G', 'I', 'F', '8', '9', 'a', 0, 0}), "PNG - Invalid header");
  EXPECT_EQ(FailureOf(Png({Chunk("PLTE", {1, 2, 3}), Ihdr(4, 4, 8, 6)})), "PNG - Header not found");
  EXPECT_EQ(FailureOf(Png({Chunk("IHDR", Bytes(12, 1))})), "PNG - Invalid header size");
  EXPECT_EQ(FailureOf(Png({Ihdr(4, 4, 8, 6, 1), Chunk("IDAT", data)})), "PNG - Invalid compression method");
  EXPECT_EQ(FailureOf(Png({Ihdr(4, 4, 8, 6, 0, 1), Chunk("IDAT", data)})), "PNG - Interlace not supported.");
  EXPECT_EQ(FailureOf(Png({Ihdr(4, 4, 8, 5), Chunk("IDAT", data)})), "PNG - Unsupported ColorType");
  EXPECT_EQ(FailureOf(Png({Ihdr(4, 4, 2, 3), Chunk("IDAT", data)})), "PNG - Unsupported ColorType");
  EXPECT_EQ(FailureOf(Png({Ihdr(4, 4, 16, 2), Chunk("IDAT", data)})), "PNG - Unsupported ColorType");
  EXPECT_EQ(FailureOf(Png({Ihdr(4, 4, 8, 6), Chunk("tEXt", {'a', 0, 'b'})})), "PNG - Image data not found");
  EXPECT_EQ(FailureOf(Png({Ihdr(4, 4, 8, 3), Chunk("PLTE", Bytes(771, 5)), Chunk("IDAT", data)})),
            "PNG - Invalid palette size");

  // Image data that stops before the last row, in the stream and in the chunk sequence.
  Bytes half(rgba4x4.begin(), rgba4x4.begin() + 34);
  EXPECT_EQ(FailureOf(Png({Ihdr(4, 4, 8, 6), Chunk("IDAT", Zip(half))})), "PNG - Image data ends early");
  Bytes firstPart(data.begin(), data.begin() + 5), rest(data.begin() + 5, data.end());
  EXPECT_EQ(FailureOf(Png({Ihdr(4, 4, 8, 6), Chunk("IDAT", firstPart), Chunk("tEXt", {'a', 0, 'b'}),
                           Chunk("IDAT", rest)})),
            "PNG - IDAT chunk expected");
  Bytes garbage(40, 0xFF);
  EXPECT_EQ(FailureOf(Png({Ihdr(4, 4, 8, 6), Chunk("IDAT", garbage)})), "PNG - ZLib error: data error");

  // Lengths and sizes the file cannot hold.
  Bytes whole = Png({Ihdr(4, 4, 8, 6), Chunk("IDAT", data)});
  Bytes cut(whole.begin(), whole.begin() + 33 + 8 + static_cast<std::ptrdiff_t>(data.size()) / 2);
  EXPECT_EQ(FailureOf(cut), "PNG - Invalid chunk size");
  EXPECT_EQ(FailureOf(Png({Ihdr(4000, 4000, 8, 6), Chunk("IDAT", data)})), "PNG - Invalid image size");
  EXPECT_EQ(FailureOf(Png({Ihdr(0, 4, 8, 6), Chunk("IDAT", data)})), "PNG - Invalid image size");
  // Beyond the common limit the header alone refuses the picture, naming its size.
  EXPECT_EQ(FailureOf(Png({Ihdr(0xFFFF, 0xFFFF, 8, 6), Chunk("IDAT", data)})),
            "PNG - Image too large: 65535 x 65535 pixels (at most 16384 a side and 67108864 in all)");
  EXPECT_EQ(FailureOf(Png({Ihdr(70000, 1, 8, 0), Chunk("IDAT", Zip(Bytes(70001, 0)))})),
            "PNG - Image too large: 70000 x 1 pixels (at most 16384 a side and 67108864 in all)");
  EXPECT_EQ(FailureOf(Png({Ihdr(8193, 8192, 8, 0), Chunk("IDAT", data)})),
            "PNG - Image too large: 8193 x 8192 pixels (at most 16384 a side and 67108864 in all)");
}

TEST_F(PngReader, ToleratedOddities) {
  eng::TImage image;
  // No IEND: the chunk loop ends with the file.
  ASSERT_TRUE(Decode(Png({Ihdr(1, 1, 8, 0), Chunk("IDAT", Zip({0, 42}))}, false), &image));
  EXPECT_EQ(image.Pixels, (Bytes{42, 42, 42, 255}));
  // A header read again after the image data does not change what was decoded.
  ASSERT_TRUE(Decode(Png({Ihdr(1, 1, 8, 0), Chunk("IDAT", Zip({0, 42})), Ihdr(300, 300, 8, 0)}), &image));
  EXPECT_EQ(image.Width, 1);
  EXPECT_EQ(image.Pixels.size(), 4u);
  // Data after the end of the stream and further IDAT chunks are ignored.
  Bytes extra = Zip({0, 42});
  extra.push_back(0x55);
  ASSERT_TRUE(Decode(Png({Ihdr(1, 1, 8, 0), Chunk("IDAT", extra), Chunk("IDAT", {1, 2, 3})}), &image));
  EXPECT_EQ(image.Pixels, (Bytes{42, 42, 42, 255}));
}

}  // namespace
