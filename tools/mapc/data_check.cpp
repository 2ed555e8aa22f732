// The map compiler's check against a game folder.
#include "tools/mapc/data_check.h"

#include <filesystem>
#include <map>
#include <system_error>

#include "game/actors/creatures.h"
#include "game/actors/walls.h"
#include "game/core/fatal.h"
#include "game/core/game_data.h"
#include "game/world/defs.h"
#include "game/world/floor.h"
#include "game/world/map.h"
#include "game/world/registry.h"

namespace mapc {

namespace {

// The kinds a folder holds, for a message that shows what the name could have been.
template <typename T>
std::string KindNames(const std::vector<T>& kinds) {
  if (kinds.empty()) return "there are none";
  std::string names;
  for (const T& k : kinds) names += (names.empty() ? "" : ", ") + ("\"" + k.Name + "\"");
  return "the kinds there: " + names;
}

// Checks the kind and the ID of each record of one sort (walls or creatures).
template <typename Record, typename Kind>
void CheckRecords(const std::vector<Record>& records, const std::vector<std::string>& names,
                  const std::vector<game::TMapTextRecord>& places, const std::vector<Kind>& kinds,
                  const char* what, const std::string& folder, const std::string& textFile, TDataCheck* check) {
  std::map<uint16_t, int> firstLine;
  for (size_t i = 0; i < records.size(); ++i) {
    const Record& r = records[i];
    const game::TMapTextRecord& at = places[i];
    // An index outside the name table names no kind at all; the compiler has said so already.
    if (r.Kind < names.size() && game::FindKind(kinds, names[r.Kind]) < 0)
      check->Errors.push_back({textFile, at.Kind.Line, at.Kind.Column,
                               std::string("no ") + what + " kind \"" + names[r.Kind] + "\" in " + folder + " (" +
                                   KindNames(kinds) + ")"});
    auto [it, fresh] = firstLine.emplace(r.ID, at.ID.Line);
    // Scripts find a record by its ID, and only ever the first one that carries it.
    if (!fresh)
      check->Errors.push_back({textFile, at.ID.Line, at.ID.Column,
                               std::string(what) + " ID " + std::to_string(r.ID) + " is already used (first on line " +
                                   std::to_string(it->second) + ")"});
  }
}

}  // namespace

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
  CheckRecords(map.Walls, map.WallKindNames, notes.Walls, game::ReadWallLists().WallKinds, "wall",
               dir + game::KindFolderPaths[game::KindWalls], textFile, &check);
  CheckRecords(map.Creatures, map.CreatureKindNames, notes.Creatures, game::CreatureLists().CreatureKinds,
               "creature", dir + game::KindFolderPaths[game::KindCreatures], textFile, &check);

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
    size_t placedWalls = game::ReadWallLists().Walls.size();
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
