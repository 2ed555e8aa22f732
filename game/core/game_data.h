// What the game reads at start, in one place: the kind loaders of the five definition folders, and
// loading the kinds and a map without a window for the designer's tools.
#pragma once

#include <string>
#include <vector>

#include "game/gui/gui.h"

namespace game {

// Plugs the kind loader of every definition folder into the registry (the game's load step and
// the tools both use it, so that they read the content alike).
void PlugKindLoaders();

// The kinds as the game's load reads them, without a window: AppDir = `gameDir` (a "/" is added
// when missing), the loaders plugged in, then every kind folder. Throws FatalError as the game's
// load does (a number that does not convert).
void LoadGameKinds(const std::string& gameDir);

// The game's load steps without a window, GUI or scripts: the kinds (LoadGameKinds), the player
// table, the camera, then the map `mapFile` (relative to `gameDir` unless absolute) placed as the
// game places it, then the content checks (CheckContent), so that Problems() holds every problem
// the game would report. Returns the map's message ("" when it loaded). Throws FatalError as the
// game's load does (a missing map, a number that does not convert).
std::string LoadGameData(const std::string& gameDir, const std::string& mapFile);

// The GUI's window definitions of the game folder of the last load, read by the GUI's own reader
// without their textures: the message box first, then each file's windows in file order.
std::vector<TGmWindow> ReadWindowDefinitions();

// Every check of the content, for the content checker and the map compiler (problems go to
// ReportProblem, so they read as the game's own warnings): LoadGameData, then every wall and
// creature record of the map placed as the game would place it (all of them, not only up to the
// first that fails), every script compiled against the game's functions (the windows' create and
// click scripts too), and the window and item names that scripts give as literal texts looked up. A FatalError of the load is reported as a
// problem and ends the checks. Returns the number of problems reported.
size_t CheckGameData(const std::string& gameDir, const std::string& mapFile);

}  // namespace game
