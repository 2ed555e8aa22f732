// Checks of the content as a whole.
#include "game/world/content_check.h"

#include <algorithm>
#include <map>

#include "engine/data_file.h"
#include "game/actors/bullets.h"
#include "game/actors/creatures.h"
#include "game/actors/effects.h"
#include "game/actors/walls.h"
#include "game/world/defs.h"
#include "game/world/floor.h"
#include "game/world/map.h"

namespace game {

namespace {

// A name as messages quote it: a name of thousands of letters is cut, so the reason still shows.
std::string Quoted(const std::string& name) { return "\"" + eng::PrintableText(name, 60) + "\""; }

std::string Names(size_t count) { return std::to_string(count) + (count == 1 ? " name" : " names"); }

std::string Tile(int32_t x, int32_t y) { return "(" + std::to_string(x) + ", " + std::to_string(y) + ")"; }

// Where kind `index` of `list` was read from: the file and the line of `key`, as far as known.
template <typename T>
TProblem KindKeyPlace(const std::vector<T>& list, size_t index, TKindFolder folder, const std::string& key) {
  TProblem place;
  const TDefRead* source = FindDefinitionSource(&list, index);
  // A source whose name differs belongs to a kind list that was refilled by hand (tests).
  if (source && source->Last("NAME").value_or("") == list[index].Name) {
    place.File = ShownPath(source->File);
    place.Line = source->LastLine(key);
  } else if (index < Registry().FilesRead[folder].size()) {
    place.File = ShownPath(Registry().FilesRead[folder][index]);
  }
  return place;
}

// The records placed so far, by tile, as the map loader would have placed them.
using TTileHolders = std::map<std::pair<int32_t, int32_t>, size_t>;

// Why a record cannot be placed on a map of largest tile (width, height), in the order the placing
// operations test: the kind index, the tile, the tile's occupant, the kind's name; empty when it
// can.
std::string RecordProblem(int32_t width, int32_t height, const TTileHolders& held, TKindFolder folder,
                          const std::vector<std::string>& table, uint16_t kind, int32_t x, int32_t y) {
  if (kind >= table.size())
    return "kind index " + std::to_string(kind) + " is outside the " + KindNoun(folder) + " kind table (" +
           Names(table.size()) + ")";
  if (x < 0 || y < 0 || x > width || y > height)
    return "tile " + Tile(x, y) + " is outside the map (0.." + std::to_string(width) + " x 0.." +
           std::to_string(height) + ")";
  auto other = held.find({x, y});
  if (other != held.end())
    return "tile " + Tile(x, y) + " already holds " + KindNoun(folder) + " " + std::to_string(other->second);
  return UnknownKindReason(folder, table[kind]);
}

std::string RecordName(TKindFolder folder, size_t index, const std::vector<std::string>& table, uint16_t kind,
                       int32_t x, int32_t y, uint16_t id) {
  std::string name = kind < table.size() ? Quoted(table[kind]) : "kind index " + std::to_string(kind);
  return std::string(KindNoun(folder)) + " " + std::to_string(index) + " (" + name + " on " + Tile(x, y) +
         ", ID " + std::to_string(id) + ")";
}

// Every kind of `kinds` (of folder `from`) whose `key` names no kind of folder `to`.
template <typename T>
void CheckReferences(const std::vector<T>& kinds, TKindFolder from, const std::string& key,
                     std::string T::*field, TKindFolder to, std::vector<TProblem>* problems) {
  for (size_t i = 0; i < kinds.size(); ++i) {
    const std::string& name = kinds[i].*field;
    std::string reason = name.empty() ? "" : UnknownKindReason(to, name);
    if (reason.empty()) continue;
    TProblem p = KindKeyPlace(kinds, i, from, key);
    p.Message = key + ": " + reason;
    problems->push_back(p);
  }
}

}  // namespace

bool KindNameKnown(TKindFolder folder, const std::string& name) {
  if (FindKind(Registry().NamedKinds[folder], name) >= 0) return true;
  switch (folder) {
    case KindWalls: return FindKind(WallLists().WallKinds, name) >= 0;
    case KindCreatures: return FindKind(CreatureLists().CreatureKinds, name) >= 0;
    case KindBullets: return FindKind(BulletLists().BulletKinds, name) >= 0;
    case KindEffects: return FindKind(EffectLists().EffectKinds, name) >= 0;
    case KindItems:
    case KindFolderCount: break;
  }
  return false;
}

std::string UnknownKindReason(TKindFolder folder, const std::string& name) {
  if (KindNameKnown(folder, name)) return {};
  return "no " + std::string(KindNoun(folder)) + " kind is named " + Quoted(name) + KindFolderNote(folder);
}

std::vector<TProblem> CheckKindReferences() {
  std::vector<TProblem> problems;
  CheckReferences(CreatureLists().CreatureKinds, KindCreatures, "BULLET", &TCreature::Bullet, KindBullets, &problems);
  CheckReferences(BulletLists().BulletKinds, KindBullets, "EFFECT", &TBullet::Effect, KindEffects, &problems);
  return problems;
}

std::vector<TProblem> CheckMapRecords(const TMapFile& map, const std::string& file) {
  std::vector<TProblem> problems;
  auto report = [&](std::string message) { problems.push_back({file, 0, 0, std::move(message)}); };
  if (map.WallCountInFile < 0)
    report("the wall count is " + std::to_string(map.WallCountInFile) + ": no walls are read");
  if (map.CreatureCountInFile < 0)
    report("the creature count is " + std::to_string(map.CreatureCountInFile) + ": no creatures are read");

  // Floor kinds: one problem per name, at its first cell.
  std::map<uint16_t, int32_t> cellsOfKind;
  std::map<uint16_t, std::pair<int32_t, int32_t>> firstCell;
  size_t badTextures = 0;  // only the first is told: the rest are likely the same fault
  // Which entries of the floor kind table name a floor kind, worked out once per name.
  std::vector<char> knownKinds(map.FloorKindNames.size());
  for (size_t k = 0; k < knownKinds.size(); ++k)
    knownKinds[k] = std::any_of(Floor().FloorKinds.begin(), Floor().FloorKinds.end(),
                                [&](const TFloor& f) { return SameName(f.Name, map.FloorKindNames[k]); });
  for (int32_t y = 0; y <= map.MapHeight; ++y) {
    for (int32_t x = 0; x <= map.MapWidth; ++x) {
      size_t at = static_cast<size_t>(y) * (map.MapWidth + 1u) + static_cast<size_t>(x);
      if (at >= map.Cells.size()) continue;
      uint16_t kind = map.Cells[at].Kind;
      const std::string& name = MapTableName(map.FloorKindNames, kind);
      uint16_t texture = map.Cells[at].Texture;
      if (MapCellHasTexture(name) && texture >= map.FloorTextureNames.size() && badTextures++ == 0)
        report("floor texture index " + std::to_string(texture) + " of cell " + Tile(x, y) +
               " is outside the floor texture table (" + Names(map.FloorTextureNames.size()) + ")");
      if (kind < knownKinds.size() && knownKinds[kind]) continue;
      if (cellsOfKind[kind]++ == 0) firstCell[kind] = {x, y};
    }
  }
  for (const auto& [kind, count] : cellsOfKind) {
    auto [x, y] = firstCell[kind];
    std::string what = kind < map.FloorKindNames.size()
                           ? "floor kind " + Quoted(map.FloorKindNames[kind]) + " is no floor kind"
                           : "floor kind index " + std::to_string(kind) + " is outside the floor kind table (" +
                                 Names(map.FloorKindNames.size()) + ")";
    report(what + ": cell " + Tile(x, y) +
           (count > 1 ? " and " + std::to_string(count - 1) + " more keep what they had" : " keeps what it had"));
  }

  // Walls stand on tiles without walls, creatures on tiles without (living) creatures: the two
  // never block each other.
  TTileHolders walls;
  for (size_t i = 0; i < map.Walls.size(); ++i) {
    const TMapWall& w = map.Walls[i];
    std::string reason =
        RecordProblem(map.MapWidth, map.MapHeight, walls, KindWalls, map.WallKindNames, w.Kind, w.X, w.Y);
    if (reason.empty())
      walls[{w.X, w.Y}] = i;
    else
      report(RecordName(KindWalls, i, map.WallKindNames, w.Kind, w.X, w.Y, w.ID) + " cannot be placed: " + reason);
  }
  TTileHolders creatures;
  for (size_t i = 0; i < map.Creatures.size(); ++i) {
    const TMapCreature& c = map.Creatures[i];
    std::string reason = RecordProblem(map.MapWidth, map.MapHeight, creatures, KindCreatures,
                                       map.CreatureKindNames, c.Kind, c.X, c.Y);
    if (reason.empty())
      creatures[{c.X, c.Y}] = i;
    else
      report(RecordName(KindCreatures, i, map.CreatureKindNames, c.Kind, c.X, c.Y, c.ID) +
             " cannot be placed: " + reason);
  }
  return problems;
}

size_t CheckContent() {
  std::vector<TProblem> problems = CheckKindReferences();
  const TMapState& state = MapState();
  if (!state.LoadedFrom.empty()) {
    std::string file = ShownPath(state.LoadedFrom);
    for (TProblem& p : CheckMapRecords(state.Loaded, file)) problems.push_back(std::move(p));
    if (state.TrailingBytes > 0)
      problems.push_back({file, 0, 0,
                          std::to_string(state.TrailingBytes) +
                              " bytes follow the end of the map and are ignored (is it a map file?)"});
  }
  for (const TProblem& p : problems) ReportProblem(p);
  return problems.size();
}

}  // namespace game
