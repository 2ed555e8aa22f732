// Checks of the content as a whole.
#include "game/world/content_check.h"

#include <algorithm>
#include <map>
#include <optional>
#include <unordered_map>
#include <vector>

#include "engine/data_file.h"
#include "game/actors/bullets.h"
#include "game/actors/creatures.h"
#include "game/actors/effects.h"
#include "game/actors/items.h"
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

// The names of the kinds of a folder, from its loader's list or the name-only one.
template <typename T>
void AddNames(const std::vector<T>& kinds, std::vector<std::string>* names) {
  for (const T& k : kinds) names->push_back(k.Name);
}

std::vector<std::string> KindNamesOf(TKindFolder folder) {
  std::vector<std::string> names;
  AddNames(Registry().NamedKinds[folder], &names);
  switch (folder) {
    case KindWalls: AddNames(ReadWallLists().WallKinds, &names); break;
    case KindCreatures: AddNames(CreatureLists().CreatureKinds, &names); break;
    case KindBullets: AddNames(BulletLists().BulletKinds, &names); break;
    case KindEffects: AddNames(EffectLists().EffectKinds, &names); break;
    case KindItems: AddNames(ItemLists().ItemKinds, &names); break;
    case KindFolderCount: break;
  }
  return names;
}

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

// Reports every kind of `kinds` (of folder `from`) whose `key` names no kind of folder `to`.
template <typename T>
int32_t CheckReferences(const std::vector<T>& kinds, TKindFolder from, const std::string& key,
                        std::string T::*field, TKindFolder to) {
  int32_t problems = 0;
  for (size_t i = 0; i < kinds.size(); ++i) {
    const std::string& name = kinds[i].*field;
    std::string reason = name.empty() ? "" : UnknownKindReason(to, name);
    if (reason.empty()) continue;
    TProblem p = KindKeyPlace(kinds, i, from, key);
    p.Message = key + ": " + reason;
    ReportProblem(p);
    ++problems;
  }
  return problems;
}

// One sort of record (walls or creatures) of a map, in file order, with the tiles and IDs of the
// records before it as the loader would have left them.
template <typename Record>
int32_t CheckRecords(const TMapFile& map, const std::vector<Record>& records, TKindFolder folder,
                     const std::vector<std::string>& table, const std::vector<TMapTextRecord>* places,
                     const std::string& file, bool placing) {
  const char* noun = KindNoun(folder);
  int32_t problems = 0;
  // A map may hold thousands of records of a few kinds: each kind's name is judged once, and a
  // record's name for the messages is only made when there is something to say.
  std::vector<std::optional<std::string>> kindReason(table.size());
  std::unordered_map<uint64_t, int32_t> held;  // tile -> record standing there
  held.reserve(placing ? records.size() : 0);
  std::map<uint16_t, size_t> firstWithId;
  for (size_t i = 0; i < records.size(); ++i) {
    const Record& r = records[i];
    TMapTextRecord at = places && i < places->size() ? (*places)[i] : TMapTextRecord{};
    // Messages are made only while the file's problem list takes them: a hostile map may hold
    // tens of thousands of bad records, and only their count is told past the limit.
    auto report = [&](TMapTextPlace place, auto&& message) {
      ++problems;
      if (ProblemListFull(file)) return;
      // Without the text's lines, the record is named by its number and what it holds.
      std::string prefix;
      if (at.Kind.Line <= 0) {
        std::string name = r.Kind < table.size() ? Quoted(table[r.Kind]) : "kind index " + std::to_string(r.Kind);
        prefix = std::string(noun) + " " + std::to_string(i + 1) + " (" + name + " on " + Tile(r.X, r.Y) + ", ID " +
                 std::to_string(r.ID) + "): ";
      }
      ReportProblem({file, place.Line, place.Column, prefix + message()});
    };
    // In the order the placing operations test: a record that fails one test is not placed, and
    // so holds no tile for the later ones.
    bool inside = r.X >= 0 && r.Y >= 0 && r.X <= map.MapWidth && r.Y <= map.MapHeight;
    const uint64_t tile = static_cast<uint64_t>(static_cast<uint32_t>(r.Y)) << 32 | static_cast<uint32_t>(r.X);
    auto taken = placing && inside ? held.find(tile) : held.end();
    if (r.Kind >= table.size()) {
      report(at.Kind, [&] {
        return "cannot be placed: kind index " + std::to_string(r.Kind) + " is outside the " + noun +
               " kind table (" + Names(table.size()) + ")";
      });
      continue;
    }
    if (placing && !inside) {
      report(at.Tile, [&] {
        return "cannot be placed: tile " + Tile(r.X, r.Y) + " is outside the map (0.." +
               std::to_string(map.MapWidth) + " x 0.." + std::to_string(map.MapHeight) + ")";
      });
      continue;
    }
    if (taken != held.end()) {
      report(at.Tile, [&] {
        return "cannot be placed: tile " + Tile(r.X, r.Y) + " already holds " + noun + " " +
               std::to_string(taken->second + 1);
      });
      continue;
    }
    std::optional<std::string>& reason = kindReason[r.Kind];
    if (!reason) reason = UnknownKindReason(folder, table[r.Kind]);
    if (!reason->empty()) {
      report(at.Kind, [&] { return "cannot be placed: " + *reason; });
      continue;
    }
    if (placing) held.emplace(tile, static_cast<int32_t>(i));
    const auto inserted = firstWithId.emplace(r.ID, i);
    const size_t carrier = inserted.first->second;
    if (!inserted.second)
      report(at.ID, [&] {
        return "ID " + std::to_string(r.ID) + " is already carried by " + noun + " " +
               std::to_string(carrier + 1) + ": scripts find only that one";
      });
  }
  return problems;
}

// The floor of a map: kinds that are no floor kind (once per name, at its first cell) and floor
// texture indices outside their table (once).
int32_t CheckFloor(const TMapFile& map, const std::string& file, const TMapTextNotes* notes) {
  int32_t problems = 0;
  std::vector<char> knownKinds(map.FloorKindNames.size());
  for (size_t k = 0; k < knownKinds.size(); ++k)
    knownKinds[k] = std::any_of(Floor().FloorKinds.begin(), Floor().FloorKinds.end(),
                                [&](const TFloor& f) { return SameName(f.Name, map.FloorKindNames[k]); });
  std::map<uint16_t, int32_t> cellsOfKind;
  std::map<uint16_t, std::pair<int32_t, int32_t>> firstCell;
  bool badTexture = false;  // only the first is told: the rest are likely the same fault
  for (int32_t y = 0; y <= map.MapHeight; ++y) {
    for (int32_t x = 0; x <= map.MapWidth; ++x) {
      size_t at = static_cast<size_t>(y) * (map.MapWidth + 1u) + static_cast<size_t>(x);
      if (at >= map.Cells.size()) continue;
      uint16_t kind = map.Cells[at].Kind;
      uint16_t texture = map.Cells[at].Texture;
      if (MapCellHasTexture(MapTableName(map.FloorKindNames, kind)) && texture >= map.FloorTextureNames.size() &&
          !badTexture) {
        badTexture = true;
        ReportProblem({file, 0, 0,
                       "floor texture index " + std::to_string(texture) + " of cell " + Tile(x, y) +
                           " is outside the floor texture table (" + Names(map.FloorTextureNames.size()) + ")"});
        ++problems;
      }
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
    TMapTextPlace place = notes && kind < notes->FirstUse[0].size() ? notes->FirstUse[0][kind] : TMapTextPlace{};
    ReportProblem({file, place.Line, place.Column,
                   what + ": cell " + Tile(x, y) +
                       (count > 1 ? " and " + std::to_string(count - 1) + " more keep what they had"
                                  : " keeps what it had")});
    ++problems;
  }
  return problems;
}

}  // namespace

bool KindNameExists(TKindFolder folder, const std::string& name) {
  std::vector<std::string> names = KindNamesOf(folder);
  return std::any_of(names.begin(), names.end(), [&](const std::string& n) { return SameName(n, name); });
}

std::string UnknownKindReason(TKindFolder folder, const std::string& name) {
  std::vector<std::string> names = KindNamesOf(folder);
  if (std::any_of(names.begin(), names.end(), [&](const std::string& n) { return SameName(n, name); })) return {};
  std::vector<std::string> upper;
  for (const std::string& n : names) upper.push_back(UpperAnsi(n));
  std::string near = ClosestKey(UpperAnsi(name), upper);
  std::string guess;
  for (size_t i = 0; i < upper.size() && !near.empty() && guess.empty(); ++i)
    if (upper[i] == near) guess = " (did you mean " + Quoted(names[i]) + "?)";
  return "no " + std::string(KindNoun(folder)) + " kind is named " + Quoted(name) + guess + KindFolderNote(folder);
}

int32_t CheckKindReferences() {
  return CheckReferences(CreatureLists().CreatureKinds, KindCreatures, "BULLET", &TCreature::Bullet, KindBullets) +
         CheckReferences(BulletLists().BulletKinds, KindBullets, "EFFECT", &TBullet::Effect, KindEffects);
}

int32_t CheckMapRecords(const TMapFile& map, const std::string& file, const TMapTextNotes* notes, bool placing) {
  int32_t problems = 0;
  auto report = [&](const std::string& message) {
    ReportProblem({file, 0, 0, message});
    ++problems;
  };
  if (map.WallCountInFile < 0)
    report("the wall count is " + std::to_string(map.WallCountInFile) + ": no walls are read");
  if (map.CreatureCountInFile < 0)
    report("the creature count is " + std::to_string(map.CreatureCountInFile) + ": no creatures are read");
  problems += CheckFloor(map, file, notes);
  problems += CheckRecords(map, map.Walls, KindWalls, map.WallKindNames, notes ? &notes->Walls : nullptr, file,
                           placing);
  problems += CheckRecords(map, map.Creatures, KindCreatures, map.CreatureKindNames,
                           notes ? &notes->Creatures : nullptr, file, placing);
  return problems;
}

size_t CheckContent() {
  size_t problems = static_cast<size_t>(CheckKindReferences());
  const TMapState& state = MapState();
  if (!state.LoadedFrom.empty()) {
    std::string file = ShownPath(state.LoadedFrom);
    problems += static_cast<size_t>(CheckMapRecords(state.Loaded, file));
    if (state.TrailingBytes > 0) {
      ReportProblem({file, 0, 0,
                     std::to_string(state.TrailingBytes) +
                         " bytes follow the end of the map and are ignored (is it a map file?)"});
      ++problems;
    }
  }
  return problems;
}

}  // namespace game
