// The object kind registry (the world module): the map size, reading every definition file of the
// five kind folders once at start, lookup of kinds by name, and the per-frame and per-tick walks
// over the world (DrawWorld, UpdateWorld).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "game/world/defs.h"

namespace game {

// The kind folders, in the order they are read.
enum TKindFolder : int {
  KindWalls = 0,
  KindCreatures,
  KindBullets,
  KindEffects,
  KindItems,
  KindFolderCount
};

// Folder of each kind below AppDir, ending in "/".
extern const std::array<const char*, KindFolderCount> KindFolderPaths;
// What one kind of each folder is called in messages: "wall", "creature", "bullet", ...
const char* KindNoun(TKindFolder folder);

// Reads one definition file of a folder (the folder's kind loader).
using TKindLoader = std::function<void(const std::string& path)>;

// A kind of a folder whose own loader has not been plugged in: only its name is read.
struct TNamedKind {
  std::string Name;
};

// What LoadKindFolders found where a kind folder should be.
enum class TFolderState : uint8_t {
  NotLooked,   // not loaded yet
  Present,     // a folder (perhaps without .cro files)
  Missing,     // nothing there
  NotAFolder,  // a file or something else in the folder's place
};

struct TRegistry {
  int32_t MapWidth = 0;   // largest tile X index (19 after LoadKinds until a map says otherwise)
  int32_t MapHeight = 0;  // largest tile Y index
  std::array<TKindLoader, KindFolderCount> Loaders;
  std::array<std::vector<std::string>, KindFolderCount> FilesRead;  // paths handed to the loaders
  std::array<std::vector<TNamedKind>, KindFolderCount> NamedKinds;  // read by the name-only loader
  std::array<TFolderState, KindFolderCount> Folders{};              // what LoadKindFolders found
};

TRegistry& Registry();

// Plugs the kind loader of a folder in (null puts the name-only loader back).
void SetKindLoader(TKindFolder folder, TKindLoader loader);
// The regular files of a folder whose names end in ".cro" (any case), sorted by name, as full
// paths; a missing folder gives none. The folder is found without regard to case.
std::vector<std::string> ListDefinitionFiles(const std::string& folder);
// Map size 19 x 19, FloorInit, then every kind folder (LoadKindFolders).
void LoadKinds();
// Every file of the five folders, in folder order, handed to the folder's loader. A missing Data/
// folder, and a kind folder that is not a folder, are reported; a single missing kind folder is
// named later by the checks that look for a kind in it (KindFolderNote).
void LoadKindFolders();
// Why a name looked up among the kinds of `folder` may be missing, for a message: " (the folder
// Data/Walls/ is missing)", " (Data/Walls/ holds no definition files)" and so on; empty when the
// folder has definition files.
std::string KindFolderNote(TKindFolder folder);

// Index of the first kind whose name equals `name` without regard to case (Windows-1251 upper
// case of both), or -1.
template <typename T>
int32_t FindKind(const std::vector<T>& kinds, std::string_view name) {
  for (size_t i = 0; i < kinds.size(); ++i)
    if (SameName(kinds[i].Name, name)) return static_cast<int32_t>(i);
  return -1;
}

// The world in drawing order: floor, walls, creatures, bullets, selection rings; then, with depth
// writes off, the effects. Expects the 3D projection and the camera set.
void DrawWorld();
// One tick of the world: walls, creatures, bullets, effects.
void UpdateWorld();

// Back to the state at process start, loaders included (tests).
void RegistryReset();

}  // namespace game
