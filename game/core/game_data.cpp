// The kind loaders and the windowless load of the tools.
#include "game/core/game_data.h"

#include <filesystem>
#include <vector>

#include "engine/main.h"
#include "game/actors/bullets.h"
#include "game/actors/creatures.h"
#include "game/actors/effects.h"
#include "game/actors/items.h"
#include "game/actors/walls.h"
#include "game/core/camera.h"
#include "game/core/fatal.h"
#include "game/core/game_core.h"
#include "game/core/players.h"
#include "game/script/script_check.h"
#include "game/script/script_host.h"
#include "game/world/content_check.h"
#include "game/world/defs.h"
#include "game/world/diagnostics.h"
#include "game/world/map.h"
#include "game/world/registry.h"

namespace game {

namespace {

std::string MapPath(const std::string& dir, const std::string& mapFile) {
  std::filesystem::path map(mapFile);
  return ResolvePathCase(map.is_absolute() ? mapFile : dir + mapFile);
}

std::string GameDirWithSlash(const std::string& gameDir) {
  std::string dir = gameDir.empty() ? std::string("./") : gameDir;
  if (dir.back() != '/') dir += '/';
  return dir;
}

}  // namespace

void PlugKindLoaders() {
  SetKindLoader(KindWalls, LoadWallKind);
  SetKindLoader(KindCreatures, LoadCreatureKind);
  SetKindLoader(KindItems, LoadItemKind);
  SetKindLoader(KindBullets, LoadBulletKind);
  SetKindLoader(KindEffects, LoadEffectKind);
}

void LoadGameKinds(const std::string& gameDir) {
  Core().AppDir = GameDirWithSlash(gameDir);
  // Without a window the textures are still decoded, so that one that cannot be read is told.
  eng::RegisterImageReaders();
  PlugKindLoaders();
  LoadKinds();
}

std::string LoadGameData(const std::string& gameDir, const std::string& mapFile) {
  LoadGameKinds(gameDir);
  PlayersStart();
  CameraStart();
  std::string message = MapLoad(MapPath(Core().AppDir, mapFile));
  CheckContent();
  return message;
}

std::vector<TGmWindow> ReadWindowDefinitions() {
  std::vector<TGmWindow> definitions{MessageWindowDefinition()};
  for (const std::string& path : ListDefinitionFiles(DataPath("Data/GUI/", "")))
    GuiReadDefinitions(ReadWholeFile(path), path, definitions, nullptr);
  return definitions;
}

size_t CheckGameData(const std::string& gameDir, const std::string& mapFile) {
  size_t before = Problems().size();
  try {
    std::string message = LoadGameData(gameDir, mapFile);
    const TMapState& map = MapState();
    std::string shown = ShownPath(map.LoadedFrom);
    // The content checks name every record the load stopped at; a map refused as a whole (its
    // size) has no record to name, and is told here.
    bool told = false;
    for (size_t i = before; i < Problems().size(); ++i) told = told || Problems()[i].File == shown;
    if (!message.empty() && !told) ReportProblem({shown, 0, 0, message});
    // Checked even when a record stops the game's load before it reaches them.
    if (ScriptBlocks().Blocks.empty() && !map.Loaded.Blocks.empty()) {
      ScriptBlocks().Blocks = map.Loaded.Blocks;
      ScriptBlocks().File = map.LoadedFrom;
    }
    std::vector<TGmWindow> windows = ReadWindowDefinitions();
    std::vector<std::string> windowNames;
    for (const TGmWindow& window : windows) windowNames.push_back(window.Name);
    std::vector<TContentScript> scripts = ContentScripts();
    for (TContentScript& script : WindowScripts(windows)) scripts.push_back(std::move(script));
    CheckScripts(scripts, windowNames);
  } catch (const FatalError& e) {
    ReportProblem({e.file(), e.line(), 0, e.what()});
  }
  return Problems().size() - before;
}

}  // namespace game
