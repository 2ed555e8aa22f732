// The object kind registry and the world walks.
#include "game/world/registry.h"

#include <GL/gl.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "game/actors/bullets.h"
#include "game/actors/creatures.h"
#include "game/actors/effects.h"
#include "game/actors/movement.h"
#include "game/actors/walls.h"
#include "game/core/game_core.h"
#include "game/models/mesh.h"
#include "game/world/diagnostics.h"
#include "game/world/floor.h"

namespace game {

const std::array<const char*, KindFolderCount> KindFolderPaths = {
    "Data/Walls/", "Data/Creatures/", "Data/Bullets/", "Data/Effects/", "Data/Items/"};

namespace {

constexpr int32_t kDefaultMapSize = 19;  // largest tile index: 20 x 20 tiles

TRegistry g_registry;

// Reads only the NAME of a kind, for folders whose kind module has not plugged its loader in.
const TDefFormat<TNamedKind>& NamedKindFormat() {
  static const TDefFormat<TNamedKind> format = [] {
    TDefFormat<TNamedKind> f;
    f.Keys.push_back(DefField("NAME", &TNamedKind::Name));
    // The kind's own loader knows the other keys; this stand-in knows only the name.
    f.ReportUnknownKeys = false;
    return f;
  }();
  return format;
}

TKindLoader NamedKindLoader(TKindFolder folder) {
  return [folder](const std::string& path) {
    LoadDefinitionKind(path, NamedKindFormat(), g_registry.NamedKinds[folder]);
  };
}

bool EndsWithCro(const std::string& name) {
  return name.size() >= 4 && UpperAscii(name.substr(name.size() - 4)) == ".CRO";
}

}  // namespace

TRegistry& Registry() { return g_registry; }

const char* KindNoun(TKindFolder folder) {
  static const char* const nouns[KindFolderCount] = {"wall", "creature", "bullet", "effect", "item"};
  return folder >= 0 && folder < KindFolderCount ? nouns[folder] : "";
}

void SetKindLoader(TKindFolder folder, TKindLoader loader) {
  g_registry.Loaders[folder] = loader ? std::move(loader) : NamedKindLoader(folder);
}

std::vector<std::string> ListDefinitionFiles(const std::string& folder) {
  namespace fs = std::filesystem;
  std::vector<std::string> names;
  std::string dir = ResolvePathCase(folder);
  std::error_code ec;
  if (!fs::is_directory(fs::path(dir), ec)) return {};
  for (fs::directory_iterator it(fs::path(dir), ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    // Regular files only (a link to one counts); never a folder, whatever its name.
    std::error_code typeError;
    if (EndsWithCro(name) && it->is_regular_file(typeError)) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  if (!dir.empty() && dir.back() != '/') dir += '/';
  for (std::string& name : names) name = dir + name;
  return names;
}

void LoadKinds() {
  g_registry.MapWidth = kDefaultMapSize;
  g_registry.MapHeight = kDefaultMapSize;
  FloorInit();
  LoadKindFolders();
  // Kinds that share a model file got copies; nothing loads models after the kinds.
  MeshForgetFiles();
}

void LoadKindFolders() {
  namespace fs = std::filesystem;
  std::error_code ec;
  std::string data = ResolvePathCase(Core().AppDir + "Data");
  bool haveData = fs::is_directory(fs::path(data), ec);
  if (!haveData)
    ReportProblem({ShownPath(data), 0, 0,
                   fs::exists(fs::path(data), ec) ? "Data is not a folder: no kinds are loaded"
                                                  : "the folder Data/ is missing: no kinds are loaded"});
  for (int folder = 0; folder < KindFolderCount; ++folder) {
    std::string folderPath = KindFolderPaths[folder];
    folderPath.pop_back();  // "Walls/" of a file named Walls would not exist at all
    std::string dir = ResolvePathCase(Core().AppDir + folderPath);
    if (fs::is_directory(fs::path(dir), ec)) {
      g_registry.Folders[folder] = TFolderState::Present;
    } else if (fs::exists(fs::path(dir), ec)) {
      g_registry.Folders[folder] = TFolderState::NotAFolder;
      ReportProblem({ShownPath(dir), 0, 0, "this should be the folder of the " + std::string(KindNoun(TKindFolder(folder))) +
                                      " kinds, but it is not a folder: none are loaded"});
    } else {
      g_registry.Folders[folder] = TFolderState::Missing;
    }
    for (const std::string& path : ListDefinitionFiles(Core().AppDir + KindFolderPaths[folder])) {
      g_registry.FilesRead[folder].push_back(path);
      if (!g_registry.Loaders[folder]) g_registry.Loaders[folder] = NamedKindLoader(TKindFolder(folder));
      g_registry.Loaders[folder](path);
    }
  }
}

std::string KindFolderNote(TKindFolder folder) {
  std::string path = KindFolderPaths[folder];
  switch (g_registry.Folders[folder]) {
    case TFolderState::Missing:
      return " (the folder " + path + " is missing)";
    case TFolderState::NotAFolder:
      return " (" + path.substr(0, path.size() - 1) + " is not a folder)";
    case TFolderState::Present:
      return g_registry.FilesRead[folder].empty() ? " (" + path + " holds no definition files)" : "";
    case TFolderState::NotLooked:
      break;
  }
  return "";
}

void DrawWorld() {
  DrawCounts() = TDrawCounts{};
  FloorDraw();
  DrawWalls();
  DrawCreatures();
  DrawBullets();
  DrawSelectRings();
  // Without writing depth, so that particles never hide one another.
  glDepthMask(GL_FALSE);
  DrawEffects();
  glDepthMask(GL_TRUE);
}

void UpdateWorld() {
  UpdateWalls();
  UpdateCreatures();
  UpdateBullets();
  UpdateEffects();
}

void RegistryReset() {
  g_registry = TRegistry{};
  DefinitionSourcesReset();
  for (int folder = 0; folder < KindFolderCount; ++folder)
    g_registry.Loaders[folder] = NamedKindLoader(TKindFolder(folder));
}

}  // namespace game
