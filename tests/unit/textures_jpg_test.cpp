// The JPEG reader on baseline, progressive and grey files made by the encoder, and on broken and
// hostile ones; extensions through the texture manager.
#include "engine/textures_jpg.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/image_write.h"
#include "engine/main.h"
#include "engine/textures.h"
#include "tests/support/test_support.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr int kW = 48;
constexpr int kH = 32;

// Top half red, bottom half blue, bottom row first; a grey ramp across the columns of the bottom
// half's green channel, so left-right order is visible too.
Bytes Picture() {
  Bytes rgba(static_cast<size_t>(kW) * kH * 4);
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) {
      uint8_t* p = &rgba[(static_cast<size_t>(y) * kW + static_cast<size_t>(x)) * 4];
      bool bottom = y < kH / 2;
      p[0] = bottom ? 0 : 220;
      p[1] = bottom ? static_cast<uint8_t>(x * 5) : 30;
      p[2] = bottom ? 220 : 30;
      p[3] = 255;
    }
  }
  return rgba;
}

bool Decode(const Bytes& file, eng::TImage* image) {
  eng::MemoryBuffer mem;
  mem.Memory = const_cast<uint8_t*>(file.data());
  mem.Size = static_cast<uint32_t>(file.size());
  return eng::JpgLoadFromMemory(mem, image);
}

// Mean difference over the colour channels; alpha must be 255 everywhere.
double MeanDifference(const Bytes& a, const Bytes& b) {
  double sum = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    if (i % 4 == 3) {
      EXPECT_EQ(b[i], 255);
      continue;
    }
    sum += std::abs(int{a[i]} - int{b[i]});
  }
  return sum / static_cast<double>(a.size() / 4 * 3);
}

TEST(JpgReader, BaselineAndProgressiveGiveTheSamePixelsBottomRowFirst) {
  Bytes picture = Picture();
  Bytes baseline = eng::EncodeJpeg(kW, kH, picture.data(), true, {.quality = 95});
  Bytes progressive = eng::EncodeJpeg(kW, kH, picture.data(), true, {.quality = 95, .progressive = true});
  ASSERT_FALSE(baseline.empty());
  ASSERT_NE(baseline, progressive);
  eng::TImage a, b;
  ASSERT_TRUE(Decode(baseline, &a));
  ASSERT_TRUE(Decode(progressive, &b));
  EXPECT_EQ(a.Width, kW);
  EXPECT_EQ(a.Height, kH);
  ASSERT_EQ(a.Pixels.size(), picture.size());
  EXPECT_LE(MeanDifference(picture, a.Pixels), 4.0);
  // Well inside each half the colours are close: blue at the bottom, red at the top.
  const uint8_t* low = &a.Pixels[(4 * kW + 20) * 4];
  const uint8_t* high = &a.Pixels[(static_cast<size_t>(kH - 4) * kW + 20) * 4];
  EXPECT_NEAR(low[2], 220, 8);
  EXPECT_NEAR(low[1], 100, 8);
  EXPECT_NEAR(high[0], 220, 8);
  // Progressive scans carry the same coefficients as the baseline scan.
  EXPECT_EQ(a.Pixels, b.Pixels);
}

TEST(JpgReader, GreyFilesComeOutAsEqualChannels) {
  Bytes picture = Picture();
  Bytes grey = eng::EncodeJpeg(kW, kH, picture.data(), true, {.quality = 95, .grey = true});
  eng::TImage image;
  ASSERT_TRUE(Decode(grey, &image));
  ASSERT_EQ(image.Pixels.size(), picture.size());
  for (size_t i = 0; i < image.Pixels.size(); i += 4) {
    ASSERT_EQ(image.Pixels[i], image.Pixels[i + 1]);
    ASSERT_EQ(image.Pixels[i], image.Pixels[i + 2]);
    ASSERT_EQ(image.Pixels[i + 3], 255);
  }
  // Luma of red (220, 30, 30) is about 86, of the blue half's middle about 84: check the top-left
  // and the bottom row's ends instead, where the ramp differs most.
  int left = image.Pixels[(2 * kW + 1) * 4];
  int right = image.Pixels[(2 * kW + kW - 2) * 4];
  EXPECT_LT(left + 60, right);
}

// The frame header's size (start of frame: length, precision, height, width) set to w x h.
Bytes WithSize(Bytes file, uint16_t w, uint16_t h) {
  for (size_t i = 0; i + 8 < file.size(); ++i) {
    if (file[i] == 0xFF && file[i + 1] == 0xC0) {
      file[i + 5] = static_cast<uint8_t>(h >> 8);
      file[i + 6] = static_cast<uint8_t>(h);
      file[i + 7] = static_cast<uint8_t>(w >> 8);
      file[i + 8] = static_cast<uint8_t>(w);
      break;
    }
  }
  return file;
}

TEST(JpgReader, BrokenAndHostileFiles) {
  eng::TImage image;
  EXPECT_FALSE(Decode({}, &image));
  EXPECT_FALSE(Decode({'n', 'o', 't', ' ', 'a', ' ', 'j', 'p', 'e', 'g'}, &image));
  EXPECT_TRUE(image.Pixels.empty());

  Bytes picture = Picture();
  Bytes file = eng::EncodeJpeg(kW, kH, picture.data(), true, {});
  // Cut inside the header: refused. Cut inside the scan: the decoder fills in and goes on.
  EXPECT_FALSE(Decode(Bytes(file.begin(), file.begin() + 100), &image));
  size_t scan = 0;
  for (size_t i = 0; i + 1 < file.size() && !scan; ++i)
    if (file[i] == 0xFF && file[i + 1] == 0xDA) scan = i;  // start of scan
  ASSERT_GT(scan, 0u);
  ASSERT_TRUE(Decode(Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>((scan + file.size()) / 2)), &image));
  EXPECT_EQ(image.Pixels.size(), picture.size());

  // A frame header claiming 65000 x 65000 pixels in a file of a few hundred bytes is refused
  // before the decoder allocates for it.
  EXPECT_FALSE(Decode(WithSize(file, 65000, 65000), &image));
}

// The readers registered as the engine registers them, and a good file of the picture.
class JpgThroughManager : public ::testing::Test {
 protected:
  void SetUp() override {
    eng::TexturesReset();
    eng::RegisterImageReaders();
    dir = testsupport::ScratchDir();
    picture = Picture();
    file = eng::EncodeJpeg(kW, kH, picture.data(), true, {});
  }
  void TearDown() override { eng::TexturesReset(); }
  std::filesystem::path dir;
  Bytes picture;
  Bytes file;
};

// Through the texture manager every refusal says why: the decoder's own words, or the size.
TEST_F(JpgThroughManager, RefusalsSayWhy) {
  struct Case {
    const char* name;
    Bytes bytes;
    std::string reason;
  };
  const Case cases[] = {
      {"text.jpg", {'n', 'o', 't', ' ', 'a', ' ', 'j', 'p', 'e', 'g'}, "JPEG - Not a JPEG file: starts with 0x6e 0x6f"},
      {"cut.jpg", Bytes(file.begin(), file.begin() + 100), "JPEG - "},
      {"huge.jpg", WithSize(file, 20000, 20000),
       "JPEG - Image too large: 20000 x 20000 pixels (at most 16384 a side and 67108864 in all)"},
      {"thin.jpg", WithSize(file, 8000, 8000), "JPEG - Image data too short: 8000 x 8000 pixels from "},
  };
  for (const Case& c : cases) {
    testsupport::WriteBytes(dir / c.name, c.bytes);
    eng::TImage image;
    EXPECT_FALSE(eng::TextureReadImage((dir / c.name).string(), &image)) << c.name;
    EXPECT_EQ(eng::TextureFailureReason().rfind(c.reason, 0), 0u) << c.name << ": " << eng::TextureFailureReason();
    EXPECT_GT(eng::TextureFailureReason().size(), std::string("JPEG - ").size()) << c.name;
  }
}

TEST_F(JpgThroughManager, ExtensionsCompareUpperCased) {
  testsupport::WriteBytes(dir / "texture.JPG", file);
  testsupport::WriteBytes(dir / "texture.jpeg", file);
  eng::TImage image;
  EXPECT_TRUE(eng::TextureReadImage((dir / "texture.JPG").string(), &image));
  EXPECT_EQ(image.Width, kW);
  std::string jpeg = (dir / "texture.jpeg").string();
  EXPECT_FALSE(eng::TextureReadImage(jpeg, &image));
  EXPECT_EQ(eng::TextureFailureMessage(), "Unable to load texture: " + jpeg);
}

}  // namespace
