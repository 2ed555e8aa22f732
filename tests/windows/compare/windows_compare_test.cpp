// The Windows build against the host build, on the same content: the same fixed-clock run of the
// demo map draws the same picture under Wine, and the image reader reads every test picture to the
// same pixels. Needs the Windows build (cmake --preset windows) and Wine.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/image_write.h"
#include "engine/textures.h"
#include "engine/textures_png.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;
using testsupport::ProcessResult;
using testsupport::RunProcess;

fs::path WindowsBin(const std::string& name) {
  return fs::path(TESSERA_WINDOWS_BUILD_DIR) / "bin" / (name + ".exe");
}

// Runs a program of the Windows build under Wine.
ProcessResult RunWindows(const std::string& name, std::vector<std::string> args, const fs::path& cwd) {
  args.insert(args.begin(), {TESSERA_WINE, WindowsBin(name).string()});
  return RunProcess(args, cwd, 300);
}

class WindowsBuild : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(WindowsBin("tessera")))
      GTEST_SKIP() << "no Windows build in " << TESSERA_WINDOWS_BUILD_DIR
                   << " (cmake --preset windows && cmake --build --preset windows)";
  }
};

struct PixelDifference {
  size_t pixels = 0;
  size_t beyond8 = 0;  // pixels with a channel differing by more than 8 levels
  size_t any = 0;      // pixels that differ at all
  int largest = 0;
};

PixelDifference Compare(const eng::TImage& a, const eng::TImage& b) {
  PixelDifference d;
  d.pixels = static_cast<size_t>(a.Width) * a.Height;
  for (size_t i = 0; i < d.pixels; ++i) {
    int worst = 0;
    for (size_t c = 0; c < 4; ++c) worst = std::max(worst, std::abs(a.Pixels[i * 4 + c] - b.Pixels[i * 4 + c]));
    d.largest = std::max(d.largest, worst);
    if (worst > 0) ++d.any;
    if (worst > 8) ++d.beyond8;
  }
  return d;
}

TEST_F(WindowsBuild, DemoMapScreenshotMatchesTheHostBuild) {
  // A recorded cursor: the live one sits wherever the display server put it relative to a window
  // whose frame each window system draws its own way, and a replay ignores live input.
  const std::vector<std::string> args = {"--headless", "--ticks", "120", "--fixed-clock", "--seed", "1",
                                         "--input", "input.txt", "--screenshot", "shot.png"};
  fs::path host = testsupport::ScratchDir() / "host";
  fs::path windows = host.parent_path() / "windows";
  for (const fs::path& dir : {host, windows}) {
    fs::create_directories(dir);
    testsupport::LinkGameContent(dir);
    testsupport::WriteFile(dir / "input.txt", "1 mouse_move 400 300\n");
  }

  std::vector<std::string> hostArgs = {testsupport::BinPath("tessera").string()};
  hostArgs.insert(hostArgs.end(), args.begin(), args.end());
  ProcessResult h = RunProcess(hostArgs, host);
  ASSERT_EQ(h.status, 0) << h.err;
  ProcessResult w = RunWindows("tessera", args, windows);
  ASSERT_EQ(w.status, 0) << w.err;

  eng::TImage a, b;
  ASSERT_TRUE(eng::PngLoadFromFile((host / "shot.png").string(), &a));
  ASSERT_TRUE(eng::PngLoadFromFile((windows / "shot.png").string(), &b));
  ASSERT_EQ(a.Width, 800);
  ASSERT_EQ(a.Height, 600);
  ASSERT_EQ(b.Width, a.Width);
  ASSERT_EQ(b.Height, a.Height);
  PixelDifference d = Compare(a, b);
  std::printf("screenshot: %zu of %zu pixels differ, %zu by more than 8 levels, largest %d\n", d.any,
              d.pixels, d.beyond8, d.largest);
  // The same rasteriser draws both; what may differ is the edge of a multisampled format.
  EXPECT_LE(d.beyond8 * 100, d.pixels) << "more than 1 % of the pixels differ by more than 8 levels";
  // A frame that is mostly black would match trivially.
  size_t lit = 0;
  for (size_t i = 0; i < a.Pixels.size(); i += 4) lit += (a.Pixels[i] | a.Pixels[i + 1] | a.Pixels[i + 2]) > 16;
  EXPECT_GT(lit * 2, d.pixels) << "the demo map covers most of the frame";
}

// The JPEG pictures the game ships, and JPEG files of the kinds modders make, read by both
// builds' tessera-image: the decoder is the one part of the readers that is the platform's. (The
// readers' own tests run under Wine as well.)
TEST_F(WindowsBuild, ImageToolReadsThePicturesToTheSamePixels) {
  fs::path dir = testsupport::ScratchDir();
  std::vector<fs::path> pictures;
  for (const auto& entry : fs::recursive_directory_iterator(fs::path(TESSERA_GAME_DIR) / "Data")) {
    std::string ext = entry.path().extension().string();
    if (ext == ".jpg") pictures.push_back(entry.path());
  }
  std::vector<uint8_t> rgba;
  const int width = 37, height = 23;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      rgba.insert(rgba.end(), {static_cast<uint8_t>(x * 7), static_cast<uint8_t>(y * 11),
                               static_cast<uint8_t>((x ^ y) * 5), 255});
  const std::pair<const char*, eng::JpegOptions> kinds[] = {
      {"baseline.jpg", {90, false, false}}, {"progressive.jpg", {75, true, false}},
      {"grey.jpg", {60, false, true}}, {"low.jpg", {10, false, false}}};
  for (const auto& [name, options] : kinds) {
    testsupport::WriteBytes(dir / name, eng::EncodeJpeg(width, height, rgba.data(), true, options));
    pictures.push_back(dir / name);
  }
  for (const fs::path& picture : pictures) {
    ProcessResult h = RunProcess({testsupport::BinPath("tessera-image").string(), picture.string()}, dir);
    ProcessResult win = RunWindows("tessera-image", {"Z:" + picture.string()}, dir);
    EXPECT_EQ(h.status, 0) << picture << ": " << h.out;
    std::string windowsOut = win.out;  // a console line ends in CR LF there
    if (windowsOut.size() >= 2 && windowsOut.compare(windowsOut.size() - 2, 2, "\r\n") == 0)
      windowsOut.erase(windowsOut.size() - 2, 1);
    EXPECT_EQ(windowsOut, h.out) << picture;
  }
  EXPECT_GE(pictures.size(), 7u) << "the demo's floors and the made files";
}

}  // namespace
