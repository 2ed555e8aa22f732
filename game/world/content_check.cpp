// Content checks that go beyond what a load reports.
#include "game/world/content_check.h"

#include <set>
#include <utility>

#include "game/actors/bullets.h"
#include "game/actors/creatures.h"
#include "game/actors/effects.h"
#include "game/actors/items.h"
#include "game/actors/walls.h"
#include "game/world/defs.h"
#include "game/world/diagnostics.h"
#include "game/world/registry.h"

namespace game {

namespace {

int32_t LineOf(const std::vector<int32_t>& lines, size_t index) {
  return index < lines.size() ? lines[index] : 0;
}

// What stops the game from placing one record; empty when nothing does.
std::string PlacementProblem(const TMapFile& map, bool named, int32_t x, int32_t y, bool found,
                             bool taken, const char* takenBy) {
  if (!named) return "its kind index names nothing in the map's name table";
  if (x < 0 || y < 0 || x > map.MapWidth || y > map.MapHeight)
    return "tile outside the map (0.." + std::to_string(map.MapWidth) + ", 0.." + std::to_string(map.MapHeight) + ")";
  if (taken) return std::string("tile taken by an earlier ") + takenBy;
  if (!found) return "no kind of that name";
  return {};
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

int32_t CheckKindReferences() {
  int32_t problems = CheckKeyNames(KindCreatures, "BULLET", "bullet", [](const std::string& name) {
    return KindNameExists(KindBullets, name);
  });
  problems += CheckKeyNames(KindBullets, "EFFECT", "effect", [](const std::string& name) {
    return KindNameExists(KindEffects, name);
  });
  return problems;
}

int32_t CheckMapRecords(const TMapFile& map, const std::string& file, const TMapRecordLines& lines) {
  int32_t problems = 0;
  auto report = [&](int32_t line, const std::string& what, const std::string& problem) {
    ReportProblem({file, line, 0, what + ": " + problem});
    ++problems;
  };

  std::set<std::pair<int32_t, int32_t>> walls;
  for (size_t i = 0; i < map.Walls.size(); ++i) {
    const TMapWall& w = map.Walls[i];
    bool named = w.Kind < map.WallKindNames.size();
    const std::string& name = MapTableName(map.WallKindNames, w.Kind);
    bool found = KindNameExists(KindWalls, name);
    std::string problem = PlacementProblem(map, named, w.X, w.Y, found, walls.count({w.X, w.Y}) > 0, "wall");
    std::string what = "wall " + std::to_string(i + 1) + " \"" + name + "\" at " + std::to_string(w.X) + ", " +
                       std::to_string(w.Y);
    if (!problem.empty())
      report(LineOf(lines.Walls, i), what, problem);
    else
      walls.insert({w.X, w.Y});
  }

  std::set<std::pair<int32_t, int32_t>> creatures;
  for (size_t i = 0; i < map.Creatures.size(); ++i) {
    const TMapCreature& c = map.Creatures[i];
    bool named = c.Kind < map.CreatureKindNames.size();
    const std::string& name = MapTableName(map.CreatureKindNames, c.Kind);
    bool found = KindNameExists(KindCreatures, name);
    std::string problem =
        PlacementProblem(map, named, c.X, c.Y, found, creatures.count({c.X, c.Y}) > 0, "creature");
    std::string what = "creature " + std::to_string(i + 1) + " \"" + name + "\" at " + std::to_string(c.X) + ", " +
                       std::to_string(c.Y);
    if (!problem.empty())
      report(LineOf(lines.Creatures, i), what, problem);
    else
      creatures.insert({c.X, c.Y});
  }
  return problems;
}

}  // namespace game
