// Map loading: the map file applied to the world in file order.
#include "game/world/map.h"

#include <algorithm>
#include <new>
#include <vector>

#include "game/actors/creatures.h"
#include "game/actors/walls.h"
#include "game/core/fatal.h"
#include "game/core/game_core.h"
#include "game/gui/gui.h"
#include "game/script/script_host.h"
#include "game/world/defs.h"
#include "game/world/diagnostics.h"
#include "game/world/floor.h"
#include "game/world/registry.h"

namespace game {

namespace {

// The reason MapFileReadFromMemory gives for a size the grids cannot hold.
const char kSizeTooLarge[] = "Map size exceeds 100 x 100 tiles.";

TMapState g_map;

// A floor cell of the map: its kind, and for a "Plane" its texture, shared with every cell that
// names the same file. A texture that cannot be read is reported at the map that names it.
// `added` holds, by the map's texture index (one slot more than the table), what this load has
// added already: a name with a folder in it is kept without the folder, so the lookup by name
// never finds it again, and each cell would otherwise load the file anew (and report it),
// thousands of textures for one file.
void ApplyCell(const TMapFile& map, const std::string& fileName, int32_t x, int32_t y,
               std::vector<int32_t>* added) {
  const TMapCell& cell = map.Cell(x, y);
  const std::string& kindName = MapTableName(map.FloorKindNames, cell.Kind);
  FloorSet(kindName, x, y);
  if (!MapCellHasTexture(kindName)) return;
  TFloor& floor = FloorCell(x, y);
  floor.Texture = -1;
  const std::string& textureName = MapTableName(map.FloorTextureNames, cell.Texture);
  const std::vector<std::string>& names = Floor().FloorTextureNames;
  for (size_t i = 0; i < names.size(); ++i)
    if (names[i] == textureName) floor.Texture = static_cast<int32_t>(i);  // the last equal one wins
  if (floor.Texture >= 0) return;
  // Indices outside the table all name the empty name: they share the slot after the table's.
  size_t slot = std::min<size_t>(cell.Texture, map.FloorTextureNames.size());
  if ((*added)[slot] >= 0) {
    floor.Texture = (*added)[slot];
    return;
  }
  std::string path = Core().AppDir + "Data/Textures/" + textureName;
  floor.Texture = FloorAddTexture(path);
  (*added)[slot] = floor.Texture;
  if (!eng::TextureFailureReason().empty())
    ReportProblem({ShownPath(fileName), 0, 0,
                   "floor texture \"" + ShownPath(path) + "\" of cell (" + std::to_string(x) + ", " +
                       std::to_string(y) + ") cannot be read: " + eng::TextureFailureReason()});
}

// A placement failure is shown in the game message box; the list keeps it for tests.
void Report(const std::string& text) {
  g_map.Messages.push_back(text);
  GameMessage(text);
}

}  // namespace

TMapState& MapState() { return g_map; }

std::string MapLoad(const std::string& fileName) {
  // FatalError naming the file when it is missing, no regular file or above the map size limit.
  std::string bytes = ReadWholeFile(fileName, eng::MaxMapFileBytes);
  try {
    return MapLoadFromMemory(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), fileName);
  } catch (const std::bad_alloc&) {
    // The game cannot go on without its map, but it ends with the reason, not an abort.
    throw FatalError("Not enough memory to load the map", fileName);
  }
}

std::string MapLoadFromMemory(const uint8_t* data, size_t size, const std::string& fileName) {
  g_map.Loaded = TMapFile{};
  g_map.LoadedFrom = fileName;
  g_map.TrailingBytes = 0;
  TMapFile& map = g_map.Loaded;
  std::string readError;
  size_t consumed = 0;
  bool complete = MapFileReadFromMemory(data, size, &map, &readError, &consumed);
  if (complete) g_map.TrailingBytes = size - consumed;
  // Refused before the size is taken: nothing of the map reaches the world.
  if (!complete && readError == kSizeTooLarge) return readError;
  // NOTE: a file that ends early still has what came before its end applied, in file order: a
  // placement that fails there stops the load before the end is reached, as reading front to
  // back would; only otherwise does the end of the file end the program.

  Registry().MapWidth = map.MapWidth;
  Registry().MapHeight = map.MapHeight;
  std::vector<int32_t> addedTextures(map.FloorTextureNames.size() + 1, -1);
  for (int32_t y = 0; y <= map.MapHeight; ++y)
    for (int32_t x = 0; x <= map.MapWidth; ++x)
      if (map.Cells.size() > static_cast<size_t>(y) * (map.MapWidth + 1u) + static_cast<size_t>(x))
        ApplyCell(map, fileName, x, y, &addedTextures);

  std::vector<TWall>& walls = WallLists().Walls;
  for (const TMapWall& w : map.Walls) {
    // An index outside the name table names no kind (not even a kind without a name).
    bool named = w.Kind < map.WallKindNames.size();
    const std::string& name = MapTableName(map.WallKindNames, w.Kind);
    // ID 1, so that no free ID is searched; the stored one replaces it.
    if (!named || CreateWall(name, w.X, w.Y, w.Angle, 1) == 0) return "Wall \"" + name + "\" not found.";
    walls.back().ID = w.ID;
  }

  std::vector<TCreature>& creatures = CreatureLists().Creatures;
  for (const TMapCreature& c : map.Creatures) {
    bool named = c.Kind < map.CreatureKindNames.size();
    const std::string& name = MapTableName(map.CreatureKindNames, c.Kind);
    if (!named || CreateCreature(name, c.X, c.Y, c.Angle) == 0) return "Creature \"" + name + "\" not found.";
    creatures.back().ID = c.ID;
    creatures.back().Owner = c.Owner;
  }

  if (!complete) throw FatalError(readError, fileName);
  ScriptBlocks().Blocks = std::move(map.Blocks);
  ScriptBlocks().File = fileName;
  map.Blocks.clear();
  return {};
}

void MapRunStartBlock() {
  for (TScriptBlock& block : ScriptBlocks().Blocks)
    for (std::string& line : block.Lines) line = StripComment(line);
  Script_RunBlock("Start Map");
}

void MapStart(const std::string& fileName) {
  std::string error = MapLoad(fileName);
  if (!error.empty()) Report(error);
  MapRunStartBlock();  // also after a load that failed
}

void MapReset() { g_map = TMapState{}; }

}  // namespace game
