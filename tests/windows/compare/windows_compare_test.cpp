// The Windows build against the host build, on the same content: the same fixed-clock run of the
// small map draws the same picture under Wine, a recorded skirmish leaves the same state dumps, the
// image reader reads every test picture to the same pixels, and the package's modding tools answer
// as the host's do. Needs the Windows build (cmake --preset windows) and Wine.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/image_write.h"
#include "engine/textures.h"
#include "engine/textures_png.h"
#include "tests/support/state_dump_reader.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;
using testsupport::ProcessResult;
using testsupport::RunProcess;
using testsupport::StateDumpReader;

fs::path WindowsBin(const std::string& name) {
  return fs::path(TESSERA_WINDOWS_BUILD_DIR) / "bin" / (name + ".exe");
}

// Runs a program of the Windows build under Wine.
ProcessResult RunWindows(const std::string& name, std::vector<std::string> args, const fs::path& cwd) {
  args.insert(args.begin(), {TESSERA_WINE, WindowsBin(name).string()});
  return RunProcess(args, cwd, 300);
}

// The small walled-compound map the recordings' pixels and tiles were made on: maps/proba.map, or
// maps/compound.map in a game folder where proba.map is the larger scenario.
std::string SmallMap() {
  return fs::exists(fs::path(TESSERA_GAME_DIR) / "maps/compound.map") ? "maps/compound.map" : "maps/proba.map";
}

// Runs the game of both builds with the same arguments and recorded input (input.txt), each in a
// folder of its own with the content linked in.
void RunGameOnBoth(const std::vector<std::string>& args, const std::string& input, fs::path* host,
                   fs::path* windows) {
  *host = testsupport::ScratchDir() / "host";
  *windows = host->parent_path() / "windows";
  for (const fs::path& dir : {*host, *windows}) {
    fs::create_directories(dir);
    testsupport::LinkGameContent(dir);
    testsupport::WriteFile(dir / "input.txt", input);
  }
  std::vector<std::string> hostArgs = {testsupport::BinPath("tessera").string()};
  hostArgs.insert(hostArgs.end(), args.begin(), args.end());
  // The host build is the sanitised one: slow to draw every frame on a busy machine.
  ProcessResult h = RunProcess(hostArgs, *host, 600);
  ASSERT_EQ(h.status, 0) << h.err;
  ProcessResult w = RunWindows("tessera", args, *windows);
  ASSERT_EQ(w.status, 0) << w.err;
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
  const std::vector<std::string> args = {"--headless", "--ticks", "120", "--fixed-clock", "--seed", "1", "--map",
                                         SmallMap(), "--input", "input.txt", "--screenshot", "shot.png"};
  fs::path host, windows;
  ASSERT_NO_FATAL_FAILURE(RunGameOnBoth(args, "1 mouse_move 400 300\n", &host, &windows));

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
  EXPECT_GT(lit * 2, d.pixels) << "the map covers most of the frame";
}

// The first line where two texts differ, to say where two dumps part.
std::string FirstDifference(const std::string& a, const std::string& b) {
  size_t line = 1, start = 0;
  for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
    if (a[i] != b[i]) {
      auto lineAt = [&](const std::string& s) { return s.substr(start, s.find('\n', start) - start); };
      return "line " + std::to_string(line) + ": \"" + lineAt(a) + "\" against \"" + lineAt(b) + "\"";
    }
    if (a[i] == '\n') {
      ++line;
      start = i + 1;
    }
  }
  return a.size() == b.size() ? "none" : "one ends at line " + std::to_string(line);
}

TEST_F(WindowsBuild, ARecordedSkirmishLeavesTheSameStateDumps) {
  // Dumps while a soldier walks, while its round flies trailing smoke, and after the computer's
  // turn: positions, step progress, angles and particles are floats the two builds compute and
  // write on their own.
  const std::vector<std::string> dumps = {"walking.txt", "flight.txt", "state.txt"};
  const std::vector<std::string> args = {"--headless", "--fixed-clock", "--ticks", "700", "--seed", "1",
                                         "--map", SmallMap(), "--draw-every", "10", "--input", "input.txt",
                                         "--dump-state", "100:" + dumps[0], "--dump-state", "204:" + dumps[1],
                                         "--dump-state", dumps[2]};
  const std::string input = testsupport::ReadFile(fs::path(TESSERA_SOURCE_DIR) /
                                                  "tests/windows/compare/demo_skirmish_input.txt");
  fs::path host, windows;
  ASSERT_NO_FATAL_FAILURE(RunGameOnBoth(args, input, &host, &windows));

  for (const std::string& name : dumps) {
    std::string a = testsupport::ReadFile(host / name), b = testsupport::ReadFile(windows / name);
    EXPECT_TRUE(a == b) << name << " differs, first at " << FirstDifference(a, b);
  }

  // The recording still does what it is for: equal dumps of a run where nothing happens would
  // prove little.
  StateDumpReader walking(testsupport::ReadFile(host / dumps[0]));
  EXPECT_EQ(walking.Creature(0, "State"), 1) << "the soldier walks";
  StateDumpReader flight(testsupport::ReadFile(host / dumps[1]));
  EXPECT_EQ(flight.Int("bullets", "count"), 1) << "its round flies";
  EXPECT_GT(flight.Int("effects", "particles"), 0);
  StateDumpReader end(testsupport::ReadFile(host / dumps[2]));
  EXPECT_EQ(end.Creature(0, "TileX"), 12);
  EXPECT_LT(end.Creature(5, "Health"), end.Creature(5, "HealthMax")) << "the shot hit";
  EXPECT_EQ(end.Int("players", "TurnBased"), 1);
  EXPECT_LT(end.Creature(0, "Health"), end.Creature(0, "HealthMax")) << "the computer's side answered";
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

// The package a player unpacks: the game folder with every program, and the modding tools in it
// judging its content, and answering questions about its map, as the host's tools do.
TEST_F(WindowsBuild, ThePackageCarriesTheProgramsAndItsModdingToolsAnswerAsOnTheHost) {
  const fs::path build(TESSERA_WINDOWS_BUILD_DIR);
  ProcessResult list = RunProcess({TESSERA_CMAKE, "-E", "tar", "tf", (build / "tessera-windows.zip").string()}, build);
  ASSERT_EQ(list.status, 0) << list.err;
  for (const char* entry : {"Tessera/tessera.exe", "Tessera/tessera-image.exe", "Tessera/tessera-model.exe",
                            "Tessera/tessera-mapc.exe", "Tessera/tessera-script.exe", "Tessera/tessera-check.exe",
                            "Tessera/tessera-probe.exe", "Tessera/README.txt", "Tessera/maps/proba.map",
                            "Tessera/Data/"})
    EXPECT_NE(list.out.find(entry), std::string::npos) << entry << " is not in the package";

  // The staged folder the zip was made from; output lines there end in CR LF.
  const fs::path package = build / "package/Tessera";
  auto runBoth = [&](const std::string& tool, const std::vector<std::string>& args) {
    std::vector<std::string> hostArgs = {testsupport::BinPath(tool).string()};
    hostArgs.insert(hostArgs.end(), args.begin(), args.end());
    ProcessResult h = RunProcess(hostArgs, fs::path(TESSERA_GAME_DIR));
    std::vector<std::string> windowsArgs = {TESSERA_WINE, (package / (tool + ".exe")).string()};
    windowsArgs.insert(windowsArgs.end(), args.begin(), args.end());
    ProcessResult w = RunProcess(windowsArgs, package, 300);
    std::string out;
    for (char ch : w.out)
      if (ch != '\r') out.push_back(ch);
    EXPECT_EQ(w.status, h.status) << tool << ": " << w.err;
    EXPECT_EQ(out, h.out) << tool;
    return h;
  };
  ProcessResult check = runBoth("tessera-check", {"."});
  EXPECT_EQ(check.status, 0) << check.out;
  const std::vector<std::string> queries = {"distance", "1", "15", "11", "shot", "9", "11", "8", "order", "1", "12",
                                            "11", "order", "1", "15", "11", "pick", "350", "299", "pick", "516", "425"};
  std::vector<std::string> probe = {"--data", ".", SmallMap()};
  probe.insert(probe.end(), queries.begin(), queries.end());
  ProcessResult answers = runBoth("tessera-probe", probe);
  EXPECT_EQ(answers.status, 0) << answers.err;
  // The picks are the skirmish recording's clicks on the two soldiers: its pixels still hit them.
  const std::string picks = "9 11\n15 11\n";
  ASSERT_GE(answers.out.size(), picks.size());
  EXPECT_EQ(answers.out.substr(answers.out.size() - picks.size()), picks) << answers.out;
}

}  // namespace
