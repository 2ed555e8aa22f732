// The map compiler's check against a game folder.
#include "tools/mapc/data_check.h"

#include <filesystem>
#include <system_error>

#include "game/actors/creatures.h"
#include "game/actors/walls.h"
#include "game/core/fatal.h"
#include "game/core/game_data.h"
#include "game/world/content_check.h"
#include "game/world/defs.h"
#include "game/world/diagnostics.h"
#include "game/world/floor.h"
#include "game/world/map.h"
#include "game/world/registry.h"

namespace mapc {

TDataCheck CheckAgainstGameData(const std::string& gameDir, const game::TMapFile& map,
                                const std::vector<uint8_t>& bytes, const game::TMapTextNotes& notes,
                                const std::string& textFile) {
  TDataCheck check;
  std::error_code ec;
  std::string dir = gameDir.empty() || gameDir.back() == '/' ? gameDir : gameDir + "/";
  if (!std::filesystem::is_directory(game::ResolvePathCase(dir + "Data"), ec)) {
    check.Errors.push_back({gameDir, 0, 0, "there is no Data/ folder here; --data names a game folder, such as build/game"});
    return check;
  }
  try {
    game::LoadGameKinds(dir);
  } catch (const game::FatalError& e) {
    check.Errors.push_back({e.file(), e.line(), 0, e.what()});
    return check;
  }
  // The records' kinds and IDs, as the content checker checks them; where the game would stop
  // placing is the game's own load's to say, below.
  size_t before = game::Problems().size();
  game::DiagnosticsSetEcho(false);
  game::CheckMapRecords(map, textFile, &notes, false);
  game::DiagnosticsSetEcho(true);
  for (size_t i = before; i < game::Problems().size(); ++i) {
    const game::TProblem& p = game::Problems()[i];
    check.Errors.push_back({p.File, p.Line, p.Column, p.Message});
  }

  std::vector<bool> kindUsed(map.FloorKindNames.size());
  for (const game::TMapCell& c : map.Cells)
    if (c.Kind < kindUsed.size()) kindUsed[c.Kind] = true;
  const std::vector<game::TMapTextPlace>& floorUses = notes.FirstUse[0];
  for (size_t i = 0; i < kindUsed.size(); ++i) {
    if (!kindUsed[i] || game::FindKind(game::Floor().FloorKinds, map.FloorKindNames[i]) >= 0) continue;
    game::TMapTextPlace at = i < floorUses.size() ? floorUses[i] : game::TMapTextPlace{};
    check.Warnings.push_back({textFile, at.Line, at.Column,
                              "\"" + map.FloorKindNames[i] +
                                  "\" is not a floor kind of the game (\"Plane\" is): its cells keep what they had"});
  }
  if (!check.Errors.empty()) return check;

  // Last, the game's own placing: whatever it refuses (a tile outside the map, a taken tile, a
  // name outside its table) is where the game would stop loading.
  std::string stop;
  try {
    stop = game::MapLoadFromMemory(bytes.data(), bytes.size(), textFile);
  } catch (const game::FatalError& e) {
    stop = e.what();
  }
  if (!stop.empty()) {
    size_t placedWalls = game::WallLists().Walls.size();
    size_t placedCreatures = game::CreatureLists().Creatures.size();
    game::TMapTextPlace at;
    if (placedWalls < notes.Walls.size())
      at = notes.Walls[placedWalls].Tile;
    else if (placedCreatures < notes.Creatures.size())
      at = notes.Creatures[placedCreatures].Tile;
    check.Errors.push_back({textFile, at.Line, at.Column, "the game stops loading the map here: " + stop});
  }
  return check;
}

}  // namespace mapc
