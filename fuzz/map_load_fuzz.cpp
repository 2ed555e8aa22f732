// Fuzz target: a map file applied to the world (MapLoadFromMemory) and then checked as the game
// checks it (CheckContent): sizes, cells, name indices, walls and creatures on any tile, stored
// IDs and owners, files that end early. Whatever the bytes, nothing is written outside the
// 100 x 100 grids, the size never exceeds 99, a load either succeeds, reports a placement, or ends
// with the start-up error, and a placement that failed is among the problems the check reports.
// NOTE: runs without a GL context; the floor's placeholder textures are made through GL calls
// that do nothing then.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/textures.h"
#include "game/actors/creatures.h"
#include "game/actors/walls.h"
#include "game/core/fatal.h"
#include "game/core/game_core.h"
#include "game/models/mesh.h"
#include "game/world/content_check.h"
#include "game/world/diagnostics.h"
#include "game/world/floor.h"
#include "game/world/map.h"
#include "game/world/registry.h"

namespace {

// Aborts (a finding) with the broken promise named, so a crash report says which one.
void Check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "map load broke its promise: %s\n", what);
  std::abort();
}

// An empty folder as the game folder: every texture the map names is missing, and looking for it
// under another case lists one empty folder instead of the whole root.
const std::string& EmptyGameDir() {
  static const std::string dir = [] {
    std::filesystem::path path = std::filesystem::temp_directory_path() / "tessera-fuzz-map-load";
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    return path.string() + "/";
  }();
  return dir;
}

void ClearWorld() {
  eng::TexturesReset();
  game::MapReset();
  game::WallsReset();
  game::CreaturesReset();
  game::FloorReset();
  game::RegistryReset();
  game::DiagnosticsReset();
}

void ResetWorld() {
  ClearWorld();
  game::DiagnosticsSetEcho(false);
  game::Core().AppDir = EmptyGameDir();
  game::Registry().MapWidth = 19;
  game::Registry().MapHeight = 19;
  game::FloorInit();
  for (const char* name : {"Stone", "Bush", ""}) {
    game::TWall wall;
    wall.Name = name;
    wall.Scale = 1.0f;
    wall.Ghost = std::string(name) == "Bush";
    game::WallLists().WallKinds.push_back(wall);
  }
  game::TCreature orc;
  orc.Name = "Orc";
  orc.Scale = 1.0f;
  game::CreatureLists().CreatureKinds.push_back(orc);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ResetWorld();
  std::string message;
  bool fatal = false;
  try {
    message = game::MapLoadFromMemory(data, size, "fuzz.map");
  } catch (const game::FatalError& e) {
    fatal = true;
    Check(std::string(e.what()) == "Read beyond end of file" && e.file() == "fuzz.map",
          "a failed load ends with the start-up error naming the file");
  }
  Check(game::Registry().MapWidth <= 99 && game::Registry().MapHeight <= 99, "the size stays within 99");
  if (!fatal && !message.empty())
    Check(message == "Map size exceeds 100 x 100 tiles." || message.rfind("Wall \"", 0) == 0 ||
          message.rfind("Creature \"", 0) == 0,
          "a load reports only the size or a placement");
  for (const game::TWall& w : game::ReadWallLists().Walls)
    Check(w.X >= 0 && w.Y >= 0 && w.X <= game::Registry().MapWidth && w.Y <= game::Registry().MapHeight,
          "walls stand inside the map");
  for (const game::TCreature& c : game::CreatureLists().Creatures)
    Check(c.TileX >= 0 && c.TileY >= 0 && c.TileX <= game::Registry().MapWidth &&
              c.TileY <= game::Registry().MapHeight,
          "creatures stand inside the map");
  Check(game::Floor().FloorGrid.size() == static_cast<size_t>(game::FloorGridSize) * game::FloorGridSize,
        "the floor grid keeps its size");
  if (!fatal) {
    game::CheckContent();
    bool placementFailed = message.rfind("Wall \"", 0) == 0 || message.rfind("Creature \"", 0) == 0;
    bool named = false;
    for (const game::TProblem& p : game::Problems())
      named = named || p.Message.find(" cannot be placed: ") != std::string::npos;
    // Unless the file's problems filled the list before the check came to that record.
    Check(!placementFailed || named || game::ProblemListFull("fuzz.map"),
          "the record the load stopped at is named by the check");
  }
  // Whatever a run allocates is freed within it: otherwise every run looks like a leak to the
  // fuzzer, which then runs it a second time to find out.
  ClearWorld();
  return 0;
}
