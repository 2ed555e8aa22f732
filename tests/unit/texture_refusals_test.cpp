// The texture manager's refusals: the picture size limit at its edges, and a reader that runs out
// of memory, which must refuse that one file instead of ending the program.
#include <gtest/gtest.h>

#include <new>
#include <string>

#include "engine/textures.h"
#include "tests/support/test_support.h"

namespace {

TEST(ImageSizeLimit, EdgesOfTheLimit) {
  struct Case {
    uint64_t width, height;
    bool allowed;
  };
  const Case cases[] = {
      {1, 1, true},          {8192, 8192, true},   {16384, 4096, true},  {4096, 16384, true},
      {16384, 1, true},      {8193, 8192, false},  {16385, 1, false},    {1, 16385, false},
      {16384, 16384, false}, {65535, 65535, false}, {0, 0, true},  // no pixels is the readers' own refusal
  };
  for (const Case& c : cases) {
    std::string problem = eng::ImageSizeProblem(c.width, c.height);
    EXPECT_EQ(problem.empty(), c.allowed) << c.width << " x " << c.height << ": " << problem;
  }
  EXPECT_EQ(eng::ImageSizeProblem(20000, 300),
            "Image too large: 20000 x 300 pixels (at most 16384 a side and 67108864 in all)");
}

TEST(ImageSizeLimit, ALoweredLimitRefusesMoreAndNeverRisesAboveTheGamesOwn) {
  eng::SetImagePixelLimit(uint64_t{1} << 20);
  EXPECT_TRUE(eng::ImageSizeProblem(1024, 1024).empty());
  EXPECT_EQ(eng::ImageSizeProblem(1025, 1024),
            "Image too large: 1025 x 1024 pixels (at most 16384 a side and 1048576 in all)");
  eng::SetImagePixelLimit(uint64_t{1} << 40);  // above the game's: its own holds
  EXPECT_FALSE(eng::ImageSizeProblem(8193, 8192).empty());
  eng::SetImagePixelLimit(0);
  EXPECT_TRUE(eng::ImageSizeProblem(8192, 8192).empty());
  EXPECT_FALSE(eng::ImageSizeProblem(8193, 8192).empty());
}

bool ThrowingReader(const std::string&, eng::TImage*) { throw std::bad_alloc(); }
bool ThrowingMemoryReader(const eng::MemoryBuffer&, eng::TImage*) { throw std::bad_alloc(); }

TEST(TextureRefusals, AReaderOutOfMemoryRefusesThatFileOnly) {
  eng::TexturesReset();
  eng::TextureRegisterExtension("big");
  eng::TextureRegisterFileReader(ThrowingReader);
  eng::TextureRegisterMemoryReader(ThrowingMemoryReader);
  auto dir = testsupport::ScratchDir();
  testsupport::WriteFile(dir / "picture.big", "anything");
  std::string path = (dir / "picture.big").string();

  eng::TImage image;
  EXPECT_FALSE(eng::TextureReadImage(path, &image));
  EXPECT_TRUE(image.Pixels.empty());
  EXPECT_EQ(eng::TextureFailureReason(), "Not enough memory to decode " + path);
  // The game's path gives the placeholder, as for any file that cannot be read.
  eng::TTexture* texture = eng::TextureLoadFromFile(path, eng::NoColourKey, eng::InterfaceTextureFlags);
  ASSERT_NE(texture, nullptr);
  EXPECT_EQ(texture->Width, 4);
  EXPECT_EQ(eng::TextureCount(), 1u);
  eng::TexturesReset();
}

}  // namespace
