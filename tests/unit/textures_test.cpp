// The texture manager's CPU side: reader registration and lookup, the log lines of a failed read,
// colour keys, the pixel conversions and power-of-two padding.
#include "engine/textures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "engine/log.h"
#include "engine/main.h"
#include "tests/support/test_support.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::vector<std::string> g_calls;

bool ReaderA(const std::string&, eng::TImage* image) {
  g_calls.push_back("A");
  image->Width = image->Height = 1;
  image->Pixels = {1, 1, 1, 1};
  return true;
}
bool ReaderB(const std::string&, eng::TImage*) {
  g_calls.push_back("B");
  return false;
}
bool ReaderC(const std::string&, eng::TImage* image) {
  g_calls.push_back("C");
  image->Width = image->Height = 1;
  image->Pixels = {3, 3, 3, 3};
  return true;
}
// Claims a size its pixels do not have.
bool ReaderLiar(const std::string&, eng::TImage* image) {
  g_calls.push_back("Liar");
  image->Width = image->Height = 64;
  image->Pixels = {1, 2, 3, 4};
  return true;
}
bool NoMemoryReader(const eng::MemoryBuffer&, eng::TImage*) { return false; }

class TextureManager : public ::testing::Test {
 protected:
  void SetUp() override {
    eng::TexturesReset();
    g_calls.clear();
    dir_ = testsupport::ScratchDir();
  }
  void TearDown() override { eng::TexturesReset(); }
  void Register(const std::string& ext, eng::TextureFileReader reader) {
    eng::RegisterCallback(eng::CallbackTextureExtension, ext);
    eng::RegisterCallback(eng::CallbackTextureFileReader, reader);
    eng::RegisterCallback(eng::CallbackTextureMemoryReader, NoMemoryReader);
  }
  std::string Touch(const std::string& name) {
    testsupport::WriteBytes(dir_ / name, {0});
    return (dir_ / name).string();
  }
  std::filesystem::path dir_;
};

TEST_F(TextureManager, EngineReadersRegisterInOrderWithUpperCasedExtensions) {
  eng::RegisterImageReaders();
  ASSERT_EQ(eng::TextureFormatCount(), 3u);
  EXPECT_EQ(eng::TextureFormatAt(0).Extension, "JPG");
  EXPECT_EQ(eng::TextureFormatAt(1).Extension, "TGA");
  EXPECT_EQ(eng::TextureFormatAt(2).Extension, "PNG");
  for (uint32_t i = 0; i < 3; ++i) {
    EXPECT_NE(eng::TextureFormatAt(i).FileReader, nullptr);
    EXPECT_NE(eng::TextureFormatAt(i).MemoryReader, nullptr);
  }
}

TEST_F(TextureManager, OnlyTheMemoryReaderCompletesAnEntry) {
  eng::RegisterCallback(eng::CallbackTextureExtension, std::string("xyz"));
  eng::RegisterCallback(eng::CallbackTextureFileReader, ReaderA);
  EXPECT_EQ(eng::TextureFormatCount(), 0u);
  eng::RegisterCallback(eng::CallbackLoad + 0, ReaderA);  // wrong ID: ignored
  eng::RegisterCallback(eng::CallbackTextureMemoryReader, NoMemoryReader);
  ASSERT_EQ(eng::TextureFormatCount(), 1u);
  EXPECT_EQ(eng::TextureFormatAt(0).Extension, "XYZ");
  EXPECT_EQ(eng::TextureFormatAt(0).FileReader, ReaderA);
}

TEST_F(TextureManager, ReadersAreTriedFromTheLastRegistered) {
  Register("img", ReaderA);
  Register("IMG", ReaderB);
  Register("other", ReaderC);
  eng::TImage image;
  ASSERT_TRUE(eng::TextureReadImage(Touch("picture.Img"), &image));
  EXPECT_EQ(g_calls, (std::vector<std::string>{"B", "A"}));
  EXPECT_EQ(image.Pixels, (Bytes{1, 1, 1, 1}));
  EXPECT_TRUE(eng::TextureFailureMessage().empty());

  // The extension is what follows the last dot; a name without one is its own extension.
  g_calls.clear();
  ASSERT_TRUE(eng::TextureReadImage(Touch("a.img.other"), &image));
  EXPECT_EQ(g_calls, (std::vector<std::string>{"C"}));
  g_calls.clear();
  Register("noext", ReaderC);
  auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(dir_);
  testsupport::WriteBytes(dir_ / "NOEXT", {0});
  EXPECT_TRUE(eng::TextureReadImage("NOEXT", &image));
  std::filesystem::current_path(cwd);
  EXPECT_EQ(g_calls, (std::vector<std::string>{"C"}));
}

TEST_F(TextureManager, PixelsThatDoNotMatchTheSizeCountAsAFailedRead) {
  Register("img", ReaderLiar);
  eng::TImage image;
  std::string path = Touch("x.img");
  EXPECT_FALSE(eng::TextureReadImage(path, &image));
  EXPECT_TRUE(image.Pixels.empty());
  EXPECT_EQ(eng::TextureFailureMessage(), "Unable to load texture: " + path);
}

TEST_F(TextureManager, FailedReadsLogTheirLines) {
  eng::EngineReset();  // the log switched on, as at process start
  eng::RegisterImageReaders();
  auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(dir_);
  eng::LogOpen();
  eng::TImage image;
  EXPECT_FALSE(eng::TextureReadImage("missing.tga", &image));
  EXPECT_EQ(eng::TextureFailureMessage(), "Cannot read missing.tga");
  testsupport::WriteBytes(dir_ / "broken.png", {1, 2, 3});
  EXPECT_FALSE(eng::TextureReadImage("broken.png", &image));
  EXPECT_EQ(eng::TextureFailureMessage(), "PNG - Invalid header");
  testsupport::WriteBytes(dir_ / "picture.bmp", {1, 2, 3});
  EXPECT_FALSE(eng::TextureReadImage("picture.bmp", &image));
  eng::LogClose();
  std::filesystem::current_path(cwd);
  std::string log = testsupport::ReadFile(dir_ / "log.txt");
  for (const char* line : {"ms] Cannot read missing.tga\r\n", "ms] PNG - Invalid header\r\n",
                           "ms] Unable to load texture: broken.png\r\n",
                           "ms] Unable to load texture: picture.bmp\r\n"})
    EXPECT_NE(log.find(line), std::string::npos) << line << " in\n" << log;
  eng::EngineReset();
}

// Pixel helpers: RGBA bytes.
Bytes Px(uint8_t r, uint8_t g, uint8_t b, uint8_t a) { return {r, g, b, a}; }
Bytes Image(std::initializer_list<Bytes> pixels) {
  Bytes out;
  for (const Bytes& p : pixels) out.insert(out.end(), p.begin(), p.end());
  return out;
}
Bytes PixelOf(const Bytes& image, size_t i) { return Bytes(image.begin() + static_cast<std::ptrdiff_t>(i * 4), image.begin() + static_cast<std::ptrdiff_t>(i * 4 + 4)); }

TEST(ColourKey, NeighbourOrderDecidesTheColourOfATransparentPixel) {
  // 3 x 3, the middle pixel (4) transparent; its only opaque neighbours are i + W (blue) and
  // i - 1 (red). i - 1 comes later in the order, so red wins; alpha stays 0.
  const Bytes clear = Px(9, 9, 9, 0);
  Bytes image = Image({clear, clear, clear, Px(255, 0, 0, 255), Px(50, 50, 50, 0), clear,
                       clear, Px(0, 0, 255, 255), clear});
  eng::ApplyColourKey(image.data(), eng::NoColourKey, 3, 3);
  EXPECT_EQ(PixelOf(image, 4), Px(255, 0, 0, 0));
  // Pixel 2 ends the top row; its i + 1 is pixel 3 (red) of the next row.
  EXPECT_EQ(PixelOf(image, 2), Px(255, 0, 0, 0));
  // Pixel 0 sees i + 1 (transparent) and i + W (red): neighbours are by index.
  EXPECT_EQ(PixelOf(image, 0), Px(255, 0, 0, 0));
  // Opaque pixels are untouched.
  EXPECT_EQ(PixelOf(image, 7), Px(0, 0, 255, 255));

  // A transparent pixel with no opaque neighbour becomes transparent black.
  Bytes lone = Px(40, 50, 60, 0);
  eng::ApplyColourKey(lone.data(), eng::NoColourKey, 1, 1);
  EXPECT_EQ(lone, Px(0, 0, 0, 0));
}

TEST(ColourKey, NeighboursWrapAcrossRowEndsByIndex) {
  // 2 x 2: pixel 1 (end of the top row in memory) sees i + 1 = pixel 2, the next row's first.
  Bytes image = Image({Px(0, 0, 0, 0), Px(1, 1, 1, 0), Px(0, 200, 0, 255), Px(0, 0, 0, 0)});
  eng::FillTransparentPixel(image.data(), 1, 2, 2);
  // Order: i+W (3, clear), i+1 (2, green), i-1 (0, clear), i-W (-1, outside), i-W-1, i-W+1 (0,
  // clear), i+W-1 (2, green again), i+W+1 (4, outside).
  EXPECT_EQ(PixelOf(image, 1), Px(0, 200, 0, 0));
}

TEST(ColourKey, AKeyColourMakesMatchingPixelsTransparent) {
  // Key $00FF00FF: R = $FF (bits 16-23), G = 0, B = $FF.
  Bytes image = Image({Px(255, 0, 255, 255), Px(10, 20, 30, 255), Px(255, 0, 254, 255), Px(1, 2, 3, 0)});
  eng::ApplyColourKey(image.data(), 0x00FF00FF, 4, 1);
  EXPECT_EQ(PixelOf(image, 0), Px(10, 20, 30, 0));  // from i + 1
  EXPECT_EQ(PixelOf(image, 2), Px(255, 0, 254, 255));  // one off in blue: not the key
  EXPECT_EQ(PixelOf(image, 1), Px(10, 20, 30, 255));
  // Not the key colour: kept although its alpha is 0.
  EXPECT_EQ(PixelOf(image, 3), Px(1, 2, 3, 0));
}

TEST(PowerOfTwo, NextPowerOfTwo) {
  const std::pair<uint32_t, uint32_t> cases[] = {{0, 0},     {1, 1},       {2, 2},      {3, 4},
                                                 {100, 128}, {128, 128},   {129, 256},  {50, 64},
                                                 {65535, 65536}, {0x40000001u, 0x80000000u}};
  for (auto [n, expected] : cases) EXPECT_EQ(eng::NextPowerOfTwo(n), expected) << n;
}

TEST(PowerOfTwo, PaddingPutsThePictureInTheLowestRowsAndColumns) {
  std::vector<uint8_t> pixels(100 * 50 * 4);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>(1 + i % 250);
  std::vector<uint8_t> original = pixels;
  uint16_t w = 100, h = 50;
  float u = 1, v = 1;
  eng::ConvertToPowerOfTwo(&pixels, &w, &h, &u, &v);
  EXPECT_EQ(w, 128);
  EXPECT_EQ(h, 64);
  EXPECT_FLOAT_EQ(u, 0.78125f);
  EXPECT_FLOAT_EQ(v, 0.78125f);
  ASSERT_EQ(pixels.size(), 128u * 64u * 4u);
  for (size_t y = 0; y < 64; ++y) {
    for (size_t x = 0; x < 128; ++x) {
      const uint8_t* p = &pixels[(y * 128 + x) * 4];
      if (x < 100 && y < 50) {
        ASSERT_EQ(0, std::memcmp(p, &original[(y * 100 + x) * 4], 4)) << x << "," << y;
      } else {
        ASSERT_EQ(p[0] | p[1] | p[2] | p[3], 0) << x << "," << y;
      }
    }
  }
  // Already powers of two: nothing moves, U = V = 1.
  std::vector<uint8_t> square(16 * 4, 7);
  w = h = 4;
  eng::ConvertToPowerOfTwo(&square, &w, &h, &u, &v);
  EXPECT_EQ(w, 4);
  EXPECT_FLOAT_EQ(u, 1.0f);
  EXPECT_EQ(square, std::vector<uint8_t>(16 * 4, 7));
}

TEST(TextureConversions, GreyThenInvertThenPadThenDropAlpha) {
  eng::TTexture t;
  t.Width = 3;
  t.Height = 1;
  t.Flags = eng::TexGrayscale;
  // 0.3 * 255 = 76.5 rounds to 77; 0.11 * 255 = 28.05 to 28; 0.3*10 + 0.59*20 + 0.11*30 = 18.1.
  Bytes pixels = Image({Px(255, 0, 0, 5), Px(0, 0, 255, 6), Px(10, 20, 30, 7)});
  eng::TextureConvertPixels(&t, &pixels);
  EXPECT_EQ(pixels, Image({Px(77, 77, 77, 5), Px(28, 28, 28, 6), Px(18, 18, 18, 7)}));

  t.Flags = eng::TexInvert;
  pixels = Image({Px(255, 0, 10, 5)});
  t.Width = 1;
  eng::TextureConvertPixels(&t, &pixels);
  EXPECT_EQ(pixels, Image({Px(0, 255, 245, 5)}));  // alpha untouched

  // All of them: grey and invert before padding, so the padding stays transparent black, and
  // RGB drops alpha last.
  t = eng::TTexture{};
  t.Width = 3;
  t.Height = 1;
  t.Flags = eng::TexGrayscale | eng::TexInvert | eng::TexPowerOfTwo | eng::TexRGB;
  pixels = Image({Px(255, 255, 255, 1), Px(0, 0, 0, 2), Px(100, 100, 100, 3)});
  eng::TextureConvertPixels(&t, &pixels);
  EXPECT_EQ(t.Width, 4);
  EXPECT_FLOAT_EQ(t.U, 0.75f);
  EXPECT_EQ(pixels, (Bytes{0, 0, 0, 255, 255, 255, 155, 155, 155, 0, 0, 0}));
}

}  // namespace
