// The image tools as content authors use them: tessera-image on good, refused, missing and
// unknown files, its --png output; assetgen's textures, which must be the same bytes on every run
// and read back through the game's readers as the pictures they are meant to be.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/main.h"
#include "engine/sha256.h"
#include "engine/textures.h"
#include "tests/support/test_support.h"

namespace {

using testsupport::RunProcess;

std::string Suite(const std::string& name) { return std::string(TESSERA_TESTDATA_DIR) + "/pngsuite/" + name; }

// The expected line for a PngSuite file, without its name.
std::string Expected(const std::string& name) {
  std::ifstream in(std::string(TESSERA_TEST_DATA_DIR) + "/pngsuite_expected.txt");
  std::string line;
  while (std::getline(in, line))
    if (line.starts_with(name + " ")) return line.substr(name.size() + 1);
  return "";
}

class ImageTool : public ::testing::Test {
 protected:
  testsupport::ProcessResult Run(const std::vector<std::string>& args) {
    std::vector<std::string> argv = {testsupport::BinPath("tessera-image").string()};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunProcess(argv, dir_);
  }
  void SetUp() override { dir_ = testsupport::ScratchDir(); }
  std::filesystem::path dir_;
};

TEST_F(ImageTool, PrintsSizeAndPixelHashAndWritesWhatTheGameSees) {
  auto r = Run({Suite("ftbrn2c08.png"), "--png", "out.png"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, Expected("ftbrn2c08.png") + "\n");
  // The written file holds the same pixels, transparency included.
  auto again = Run({"out.png"});
  EXPECT_EQ(again.out, r.out);
}

TEST_F(ImageTool, FailuresPrintTheFirstReason) {
  auto interlaced = Run({Suite("ibasn0g08.png")});
  EXPECT_EQ(interlaced.status, 1);
  EXPECT_EQ(interlaced.out, "FAIL PNG - Interlace not supported.\n");
  auto missing = Run({"nothing.tga"});
  EXPECT_EQ(missing.out, "FAIL Cannot read nothing.tga\n");
  testsupport::WriteFile(dir_ / "picture.bmp", "BM");
  auto unknown = Run({"picture.bmp"});
  EXPECT_EQ(unknown.out, "FAIL Unable to load texture: picture.bmp\n");
  EXPECT_EQ(Run({}).status, 2);
  EXPECT_EQ(Run({"a.png", "b.png"}).status, 2);
}

struct Decoded {
  eng::TImage image;
  const uint8_t* At(int x, int yFromTop) const {
    size_t row = static_cast<size_t>(image.Height - 1 - yFromTop);
    return &image.Pixels[(row * image.Width + static_cast<size_t>(x)) * 4];
  }
};

Decoded Read(const std::filesystem::path& path) {
  eng::TexturesReset();
  eng::RegisterImageReaders();
  Decoded d;
  EXPECT_TRUE(eng::TextureReadImage(path.string(), &d.image)) << path << ": " << eng::TextureFailureMessage();
  eng::TexturesReset();
  return d;
}

// Mean colour difference between two columns (or rows) of an opaque picture.
double LineDifference(const Decoded& d, bool columns, int a, int b) {
  double sum = 0;
  int n = columns ? d.image.Height : d.image.Width;
  for (int i = 0; i < n; ++i) {
    const uint8_t* p = columns ? d.At(a, i) : d.At(i, a);
    const uint8_t* q = columns ? d.At(b, i) : d.At(i, b);
    for (int c = 0; c < 3; ++c) sum += std::abs(int{p[c]} - int{q[c]});
  }
  return sum / (n * 3);
}

TEST(AssetgenTextures, SameBytesEveryRunAndThePicturesReadBack) {
  auto first = testsupport::ScratchDir();
  auto second = first.parent_path() / (first.filename().string() + ".again");
  std::filesystem::remove_all(second);
  auto assetgen = testsupport::BinPath("assetgen").string();
  ASSERT_EQ(RunProcess({assetgen, first.string(), "textures"}, first).status, 0);
  ASSERT_EQ(RunProcess({assetgen, second.string(), "textures"}, first).status, 0);
  const char* files[] = {"Data/Textures/grass.jpg", "Data/Textures/select_ring.tga", "Data/GUI/cursor.tga",
                         "Data/Effects/smoke.tga"};
  for (const char* f : files) {
    auto bytes = testsupport::ReadBytes(first / f);
    EXPECT_FALSE(bytes.empty()) << f;
    EXPECT_EQ(bytes, testsupport::ReadBytes(second / f)) << f;
    // The build's content step made the same files.
    EXPECT_EQ(bytes, testsupport::ReadBytes(std::filesystem::path(TESSERA_GAME_DIR) / f)) << f;
  }

  // Grass: opaque, and its opposite edges meet about as well as neighbouring lines do.
  Decoded grass = Read(first / files[0]);
  ASSERT_EQ(grass.image.Width, 256);
  ASSERT_EQ(grass.image.Height, 256);
  for (size_t i = 3; i < grass.image.Pixels.size(); i += 4) ASSERT_EQ(grass.image.Pixels[i], 255);
  for (bool columns : {true, false}) {
    double seam = LineDifference(grass, columns, 255, 0);
    double neighbours = (LineDifference(grass, columns, 100, 101) + LineDifference(grass, columns, 30, 31)) / 2;
    EXPECT_LT(seam, 2.0 * neighbours) << (columns ? "columns" : "rows");
    EXPECT_GT(neighbours, 1.0);  // a texture, not a flat colour
  }

  // Ring: transparent in the middle and the corners, nearly opaque on the band.
  Decoded ring = Read(first / files[1]);
  ASSERT_EQ(ring.image.Width, 128);
  EXPECT_EQ(ring.At(64, 64)[3], 0);
  EXPECT_EQ(ring.At(0, 0)[3], 0);
  EXPECT_GT(ring.At(64 + 51, 64)[3], 200);
  EXPECT_GT(ring.At(64, 64 - 51)[3], 200);

  // Cursor: the tip at (4, 4) from the top left, a white body, a black border, clear elsewhere.
  Decoded cursor = Read(first / files[2]);
  ASSERT_EQ(cursor.image.Width, 32);
  EXPECT_GT(cursor.At(4, 4)[3], 100);
  EXPECT_EQ(cursor.At(3, 2)[3], 0);
  EXPECT_EQ(cursor.At(7, 14)[0], 255);
  EXPECT_EQ(cursor.At(7, 14)[3], 255);
  EXPECT_LT(cursor.At(4, 14)[0], 40);
  EXPECT_GT(cursor.At(4, 14)[3], 200);
  EXPECT_EQ(cursor.At(28, 4)[3], 0);
  EXPECT_EQ(cursor.At(4, 31)[3], 0);

  // Smoke: a pale, soft puff, densest in the middle and clear at the square's edges.
  Decoded smoke = Read(first / files[3]);
  ASSERT_EQ(smoke.image.Width, 64);
  ASSERT_EQ(smoke.image.Height, 64);
  EXPECT_GT(smoke.At(32, 32)[3], 150);
  EXPECT_GT(smoke.At(32, 32)[0], 180);
  EXPECT_LT(smoke.At(32, 16)[3], smoke.At(32, 32)[3]);
  for (int i = 0; i < 64; ++i) {
    EXPECT_EQ(smoke.At(i, 0)[3], 0) << i;
    EXPECT_EQ(smoke.At(0, i)[3], 0) << i;
    EXPECT_EQ(smoke.At(63, i)[3], 0) << i;
  }
}

TEST(BuiltContent, EveryGeneratedTextureReadsThroughTheGameReaders) {
  // Whatever the build writes below Data/ as an image must decode (a failure would show as the
  // white placeholder in the game).
  int images = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(std::filesystem::path(TESSERA_GAME_DIR) / "Data")) {
    std::string ext = entry.path().extension().string();
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext != ".tga" && ext != ".png" && ext != ".jpg") continue;
    Decoded d = Read(entry.path());
    EXPECT_GT(d.image.Width, 0) << entry.path();
    ++images;
  }
  EXPECT_GE(images, 4);  // grass, ring, cursor, font page
}

}  // namespace
