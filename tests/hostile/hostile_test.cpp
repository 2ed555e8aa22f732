// The hostile-file suite. Every row of tests/data/hostile/expectations.txt names a broken file, how
// the game reads it, what must come of it (loaded, refused, or the start-up error) and a piece of
// text the outcome must hold. Each file is read by hostile_probe in its own process under
// AddressSanitizer and UndefinedBehaviorSanitizer with a 1 GB resident limit; it must not crash,
// hang or have more than 256 MB in use at once, and a refusal must name the file.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "game/world/map_file.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;

constexpr int kTimeoutSeconds = 60;  // far above the slowest file under the sanitizers
constexpr uint64_t kMaxHeapBytes = uint64_t{256} << 20;

const fs::path kHostile = fs::path(TESSERA_TEST_DATA_DIR) / "hostile";

struct Row {
  std::string how;
  std::string file;     // below the hostile folder (or made at run time), or an absolute path
  std::string outcome;  // loaded, refused, fatal
  std::string text;     // must appear in the probe's output
  int line = 0;         // in expectations.txt
};

// gtest names a failing row by this.
void PrintTo(const Row& row, std::ostream* os) { *os << row.how << " " << row.file; }

std::vector<Row> ReadRows() {
  std::vector<Row> rows;
  std::ifstream in(kHostile / "expectations.txt");
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    Row row;
    row.line = number;
    words >> row.how >> row.file >> row.outcome;
    std::getline(words >> std::ws, row.text);
    rows.push_back(row);
  }
  return rows;
}

// Files that cannot live in the repository: made afresh in a scratch game folder for each run.
void MakeFifo(const fs::path& path) { ASSERT_EQ(mkfifo(path.c_str(), 0600), 0) << path; }
void MakeFolder(const fs::path& path) { fs::create_directories(path); }
std::function<void(const fs::path&)> Sparse(uintmax_t bytes) {
  return [bytes](const fs::path& path) {
    testsupport::WriteFile(path, "");
    fs::resize_file(path, bytes);
  };
}
std::function<void(const fs::path&)> Text(std::string text) {
  return [text](const fs::path& path) { testsupport::WriteFile(path, text); };
}
std::string Repeat(const std::string& piece, size_t times) {
  std::string out;
  for (size_t i = 0; i < times; ++i) out += piece;
  return out;
}
const std::string kMegabyte(1 << 20, 'x');

// Maps too large to keep in the repository, written by the game's own map writer.
std::function<void(const fs::path&)> Map(std::function<void(game::TMapFile*)> fill) {
  return [fill](const fs::path& path) {
    game::TMapFile map;
    map.FloorKindNames = {"Plane"};
    map.FloorTextureNames = {"grass.jpg"};
    map.WallKindNames = {"Stone", "Bush"};
    map.CreatureKindNames = {"Beast"};
    map.MapWidth = map.MapHeight = 4;
    fill(&map);
    map.Cells.assign((map.MapWidth + 1u) * (map.MapHeight + 1u), game::TMapCell{});
    std::string error;
    ASSERT_TRUE(game::MapFileSave(path.string(), map, &error)) << error;
  };
}

// The largest map: 100 x 100 tiles, a wall on each and a creature on every fourth.
// NOTE: placing a creature searches every ID in use, so 10,000 creatures cost minutes under the
// sanitizers; a quarter of them is load enough here.
void FullMap(game::TMapFile* map) {
  map->MapWidth = map->MapHeight = 99;
  for (int i = 0; i < 10000; ++i) {
    map->Walls.push_back({static_cast<uint16_t>(i % 2), i % 100, i / 100, 0.0f, static_cast<uint16_t>(i)});
    if (i % 4 == 0)
      map->Creatures.push_back({0, i % 100, i / 100, 0.0f, static_cast<uint16_t>(i), static_cast<uint8_t>(i % 4)});
  }
}

void ManyBlocks(game::TMapFile* map) { map->Blocks.assign(65535, game::TMapScriptBlock{"b", {}}); }

const std::map<std::string, std::function<void(const fs::path&)>>& Generated() {
  static const std::map<std::string, std::function<void(const fs::path&)>> made = {
      {"Data/Textures/pipe.png", MakeFifo},
      {"Data/Textures/folder.tga", MakeFolder},
      {"Data/Textures/huge_sparse.tga", Sparse(uintmax_t{600} << 20)},
      {"Data/Models/pipe.md2", MakeFifo},
      {"Data/Models/folder.obj", MakeFolder},
      {"Data/Models/long_line.obj", Text("v 1 2 3\nv " + kMegabyte + "\nf 1 1 1\n")},
      {"Data/Walls/long_line.cro", Text("NAME=Long\n" + kMegabyte + "\nSCALEMODEL=2\n")},
      {"Data/Walls/long_value.cro", Text("NAME=" + kMegabyte + "\n")},
      {"Data/Walls/texture_5000.cro", Text("NAME=Heavy\n" + Repeat("TEXTURE=missing.tga\n", 5000))},
      {"Data/Walls/model_2000.cro", Text("NAME=Heavy\n" + Repeat("MODEL=good.md2\n", 2000))},
      {"Data/Creatures/standmodel_2000.cro", Text("NAME=Heavy\n" + Repeat("STANDMODEL=good.md2\n", 2000))},
      {"maps/pipe.map", MakeFifo},
      {"maps/folder.map", MakeFolder},
      {"maps/over_64mb.map", Sparse((uintmax_t{64} << 20) + 1)},
      {"recordings/pipe.rec", MakeFifo},
      {"recordings/folder.rec", MakeFolder},
      {"recordings/long_line.rec", Text("1 mouse_move 1 2\n2 " + kMegabyte + "\n")},
      {"recordings/over_64mb.rec", Sparse((uintmax_t{64} << 20) + 1)},
      {"Data/GUI/pipe.tfi", MakeFifo},
      {"Data/GUI/pipe.cro", MakeFifo},
      {"Data/GUI/folder.cro", MakeFolder},
      {"Data/GUI/long_line.cro", Text("WINDOW = Long\nCAPTION = " + kMegabyte + "\n" + kMegabyte + "\nW = 10\n")},
      {"maps/full_99.map", Map(FullMap)},
      {"maps/blocks_65535.map", Map(ManyBlocks)},
  };
  return made;
}

struct ProbeRun {
  int status = -1;
  bool timedOut = false;
  long maxResidentKb = 0;
  std::string out;
  std::string err;
};

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Runs the probe with the sanitizers' memory limit; wait4 gives its peak resident size.
ProbeRun RunProbe(const std::vector<std::string>& args, const fs::path& scratch) {
  ProbeRun run;
  fs::path out = scratch / "probe.out";
  fs::path err = scratch / "probe.err";
  pid_t pid = fork();
  if (pid == 0) {
    FILE* o = std::freopen(out.c_str(), "wb", stdout);
    FILE* e = std::freopen(err.c_str(), "wb", stderr);
    if (!o || !e) _exit(127);
    setenv("ASAN_OPTIONS", "hard_rss_limit_mb=1024:quarantine_size_mb=64:detect_leaks=1", 1);
    setenv("LSAN_OPTIONS", "suppressions=" HOSTILE_LSAN_SUPPRESSIONS, 1);
    setenv("UBSAN_OPTIONS", "print_stacktrace=1:halt_on_error=1", 1);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  auto start = std::chrono::steady_clock::now();
  int status = 0;
  struct rusage usage {};
  for (;;) {
    pid_t done = wait4(pid, &status, WNOHANG, &usage);
    if (done == pid) break;
    if (std::chrono::steady_clock::now() - start > std::chrono::seconds(kTimeoutSeconds)) {
      run.timedOut = true;
      kill(pid, SIGKILL);
      wait4(pid, &status, 0, &usage);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  run.maxResidentKb = usage.ru_maxrss;
  run.out = Slurp(out);
  run.err = Slurp(err);
  return run;
}

class HostileFile : public ::testing::TestWithParam<Row> {};

TEST_P(HostileFile, ReadCleanly) {
  const Row& row = GetParam();
  SCOPED_TRACE("expectations.txt:" + std::to_string(row.line) + ": " + row.file);
  fs::path scratch = testsupport::ScratchDir();
  fs::path file = fs::path(row.file).is_absolute() ? fs::path(row.file) : kHostile / row.file;
  auto made = Generated().find(row.file);
  if (made != Generated().end()) {
    file = scratch / "game" / row.file;
    fs::create_directories(file.parent_path());
    // Generated kinds that name a model find a good one beside them.
    fs::create_directories(scratch / "game/Data/Models");
    fs::copy_file(kHostile / "Data/Models/good.md2", scratch / "game/Data/Models/good.md2",
                  fs::copy_options::overwrite_existing);
    made->second(file);
  }
  ASSERT_TRUE(fs::exists(fs::symlink_status(file)) || row.file.starts_with("/dev/")) << "no such hostile file";

  ProbeRun run = RunProbe({HOSTILE_PROBE, row.how, file.string(), TESSERA_GAME_DIR}, scratch);
  std::string all = run.out + run.err;
  EXPECT_FALSE(run.timedOut) << "hung\n" << all;
  EXPECT_EQ(run.status, 0) << "crashed or stopped by a sanitizer\n" << all;
  // The heap's peak is the file's cost; the resident size also holds the sanitizers' shadow and
  // quarantine, which the 1 GB hard limit bounds.
  size_t peakAt = run.out.find("PEAK heap ");
  ASSERT_NE(peakAt, std::string::npos) << all;
  uint64_t peak = std::stoull(run.out.substr(peakAt + 10));
  EXPECT_LE(peak, kMaxHeapBytes) << "peak heap in bytes; resident " << run.maxResidentKb << " KB";
  EXPECT_NE(run.out.find("OUTCOME " + row.outcome + "\n"), std::string::npos) << all;
  EXPECT_NE(all.find(row.text), std::string::npos) << "wanted: " << row.text << "\n" << all;
  if (row.outcome != "loaded") {
    // A refusal or a start-up error names the file it is about.
    std::string name = file.filename().string();
    bool named = false;
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);)
      if ((line.starts_with("MESSAGE ") || line.starts_with("PROBLEM ")) && line.find(name) != std::string::npos)
        named = true;
    EXPECT_TRUE(named) << "the file is not named\n" << all;
  }
}

std::string RowName(const ::testing::TestParamInfo<Row>& info) {
  std::string name = info.param.file;
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name + "_" + std::to_string(info.param.line);
}

INSTANTIATE_TEST_SUITE_P(Table, HostileFile, ::testing::ValuesIn(ReadRows()), RowName);

// The table covers the folder: every committed file has a row, and there are at least 100 files.
TEST(HostileTable, EveryFileHasARowAndEnoughFilesExist) {
  std::vector<Row> rows = ReadRows();
  std::map<std::string, int> listed;
  for (const Row& row : rows) ++listed[row.file];
  size_t files = 0;
  for (const auto& entry : fs::recursive_directory_iterator(kHostile)) {
    if (!entry.is_regular_file()) continue;
    std::string relative = fs::relative(entry.path(), kHostile).generic_string();
    // The table, its maker, and the good files the broken ones are made from.
    if (relative == "expectations.txt" || relative == "make_hostile.py" || relative.ends_with("/.keep") ||
        entry.path().filename().string().starts_with("good"))
      continue;
    ++files;
    EXPECT_TRUE(listed.count(relative)) << relative << " has no row in expectations.txt";
  }
  for (const auto& [file, count] : listed) {
    bool exists = fs::exists(fs::symlink_status(kHostile / file)) || Generated().count(file) || file.starts_with("/dev/");
    EXPECT_TRUE(exists) << file << " is in expectations.txt but neither in the folder nor made at run time";
  }
  EXPECT_GE(files + Generated().size(), 100u);
}

}  // namespace
