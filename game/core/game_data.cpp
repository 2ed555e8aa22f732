// The kind loaders and the windowless load of the tools.
#include "game/core/game_data.h"

#include <filesystem>

#include "game/actors/bullets.h"
#include "game/actors/creatures.h"
#include "game/actors/effects.h"
#include "game/actors/walls.h"
#include "game/core/camera.h"
#include "game/core/game_core.h"
#include "game/core/players.h"
#include "game/world/content_check.h"
#include "game/world/defs.h"
#include "game/world/map.h"
#include "game/world/registry.h"

namespace game {

void PlugKindLoaders() {
  SetKindLoader(KindWalls, LoadWallKind);
  SetKindLoader(KindCreatures, LoadCreatureKind);
  SetKindLoader(KindBullets, LoadBulletKind);
  SetKindLoader(KindEffects, LoadEffectKind);
}

void LoadGameKinds(const std::string& gameDir) {
  std::string dir = gameDir.empty() ? std::string("./") : gameDir;
  if (dir.back() != '/') dir += '/';
  Core().AppDir = dir;
  PlugKindLoaders();
  LoadKinds();
}

std::string LoadGameData(const std::string& gameDir, const std::string& mapFile) {
  LoadGameKinds(gameDir);
  PlayersStart();
  CameraStart();
  std::filesystem::path map(mapFile);
  std::string message = MapLoad(ResolvePathCase(map.is_absolute() ? mapFile : Core().AppDir + mapFile));
  CheckContent();
  return message;
}

}  // namespace game
