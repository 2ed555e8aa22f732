// Content checks that go beyond what a load reports.
#include "game/world/content_check.h"

#include <map>
#include <set>
#include <utility>
#include <vector>

#include "game/actors/bullets.h"
#include "game/actors/creatures.h"
#include "game/actors/effects.h"
#include "game/actors/items.h"
#include "game/actors/walls.h"
#include "game/core/game_core.h"
#include "game/world/defs.h"
#include "game/world/diagnostics.h"

namespace game {

namespace {

// The kinds a folder holds, for a message that shows what the name could have been.
template <typename T>
std::string KindNames(const std::vector<T>& kinds) {
  if (kinds.empty()) return "there are none";
  std::string names;
  for (const T& k : kinds) names += (names.empty() ? "" : ", ") + ("\"" + k.Name + "\"");
  return "the kinds there: " + names;
}

std::string FolderShown(TKindFolder folder) {
  std::string dir = Core().AppDir == "./" ? std::string() : Core().AppDir;
  return dir + KindFolderPaths[folder];
}

// One sort of record (walls or creatures).
template <typename Record, typename Kind>
int32_t CheckRecords(const TMapFile& map, const std::vector<Record>& records, const std::vector<std::string>& names,
                     const std::vector<TMapTextRecord>* places, const std::vector<Kind>& kinds, TKindFolder folder,
                     const char* what, const std::string& file, bool placing) {
  int32_t problems = 0;
  std::map<uint16_t, size_t> firstWithID;
  std::set<std::pair<int32_t, int32_t>> taken;
  for (size_t i = 0; i < records.size(); ++i) {
    const Record& r = records[i];
    TMapTextRecord at = places != nullptr && i < places->size() ? (*places)[i] : TMapTextRecord{};
    // Without the text's lines, the record is named by its place in the file.
    std::string prefix = at.Kind.Line > 0 ? std::string() : std::string(what) + " " + std::to_string(i + 1) + ": ";
    auto report = [&](TMapTextPlace place, const std::string& message) {
      ReportProblem({file, place.Line, place.Column, prefix + message});
      ++problems;
    };

    // An index outside the name table names no kind at all; the map compiler says so itself.
    bool named = r.Kind < names.size();
    if (named && FindKind(kinds, names[r.Kind]) < 0 && FindKind(Registry().NamedKinds[folder], names[r.Kind]) < 0)
      report(at.Kind, std::string("no ") + what + " kind \"" + names[r.Kind] + "\" in " + FolderShown(folder) + " (" +
                          KindNames(kinds) + ")");
    auto [first, fresh] = firstWithID.emplace(r.ID, i);
    if (!fresh) {
      const TMapTextRecord* firstAt = places != nullptr && first->second < places->size() ? &(*places)[first->second] : nullptr;
      std::string where = firstAt != nullptr && firstAt->ID.Line > 0 ? "on line " + std::to_string(firstAt->ID.Line)
                                                                     : std::string("by ") + what + " " + std::to_string(first->second + 1);
      report(at.ID, std::string(what) + " ID " + std::to_string(r.ID) + " is already used (first " + where + ")");
    }
    if (!placing) continue;
    if (r.X < 0 || r.Y < 0 || r.X > map.MapWidth || r.Y > map.MapHeight) {
      report(at.Tile, "the game cannot place this " + std::string(what) + ": tile (" + std::to_string(r.X) + ", " +
                          std::to_string(r.Y) + ") is outside the map (X 0 to " + std::to_string(map.MapWidth) +
                          ", Y 0 to " + std::to_string(map.MapHeight) + ")");
    } else if (!taken.insert({r.X, r.Y}).second) {
      report(at.Tile, "the game cannot place this " + std::string(what) + ": an earlier " + what + " stands on tile (" +
                          std::to_string(r.X) + ", " + std::to_string(r.Y) + ")");
    }
  }
  return problems;
}

// Every line of the folder's files with this key and a value that `exists` does not accept.
template <typename F>
int32_t CheckKeyNames(TKindFolder folder, const std::string& key, const char* kind, F exists) {
  int32_t problems = 0;
  for (const std::string& file : Registry().FilesRead[folder]) {
    TDefHandler handler;
    handler.Entry = [&](const TDefLine& line) {
      if (line.Key != key || line.Value.empty() || exists(line.Value)) return;
      ReportProblem({file, line.Line, 0, key + ": no " + kind + " kind is named \"" + line.Value + "\""});
      ++problems;
    };
    ReadDefinitionText(ReadWholeFile(file), file, handler);
  }
  return problems;
}

}  // namespace

bool KindNameExists(TKindFolder folder, const std::string& name) {
  if (FindKind(Registry().NamedKinds[folder], name) >= 0) return true;
  switch (folder) {
    case KindWalls: return FindKind(WallLists().WallKinds, name) >= 0;
    case KindCreatures: return FindKind(CreatureLists().CreatureKinds, name) >= 0;
    case KindBullets: return FindKind(BulletLists().BulletKinds, name) >= 0;
    case KindEffects: return FindKind(EffectLists().EffectKinds, name) >= 0;
    case KindItems: return FindKind(ItemLists().ItemKinds, name) >= 0;
    case KindFolderCount: break;
  }
  return false;
}

int32_t CheckMapRecords(const TMapFile& map, const std::string& file, const TMapTextNotes* notes, bool placing) {
  return CheckRecords(map, map.Walls, map.WallKindNames, notes != nullptr ? &notes->Walls : nullptr,
                      WallLists().WallKinds, KindWalls, "wall", file, placing) +
         CheckRecords(map, map.Creatures, map.CreatureKindNames, notes != nullptr ? &notes->Creatures : nullptr,
                      CreatureLists().CreatureKinds, KindCreatures, "creature", file, placing);
}

int32_t CheckKindReferences() {
  int32_t problems = CheckKeyNames(KindCreatures, "BULLET", "bullet",
                                   [](const std::string& name) { return KindNameExists(KindBullets, name); });
  problems += CheckKeyNames(KindBullets, "EFFECT", "effect",
                            [](const std::string& name) { return KindNameExists(KindEffects, name); });
  return problems;
}

}  // namespace game
