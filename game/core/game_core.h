// The game core: the program entry, the engine callbacks (load, draw, the 16 ms tick, exit) and the
// game-wide state that the other game modules read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/math3d.h"

namespace game {

// The 3D projection of the game's view: field of view in degrees, near and far planes.
constexpr float GameFieldOfView = 45.0f;
constexpr float GameNear = 0.1f;
constexpr float GameFar = 200.0f;

// A file to write at the end of a game tick, or at the end of the run (tick 0).
struct TTimedFile {
  long tick = 0;
  std::string path;
};

// Options of the command line; the defaults are the game as it is played.
struct GameOptions {
  bool headless = false;        // no message boxes; meant for a virtual display
  long ticks = 0;               // end after this many game ticks (0 = play until the user quits)
  std::vector<TTimedFile> screenshots;  // frames to write as PNG
  std::vector<TTimedFile> dumps;        // state dumps to write
  bool autoplay = false;        // every player is played by the AI, turn-based from the start
  long drawEvery = 1;           // with the fixed clock: draw every Nth frame (and captured ones)
  std::string input;            // replay this recorded input
  std::string record;           // record the input here
  bool fixedClock = false;      // deterministic clock, faster than real time
  bool seeded = false;
  uint32_t seed = 0;
  bool log = false;             // keep the engine's log file on
  std::string map;              // load this map instead of maps/proba.map
};

struct TGameCore {
  std::string AppDir;           // current directory at load, ending in "/"
  int32_t ScreenWidth = 0;
  int32_t ScreenHeight = 0;
  int32_t WindowedWidth = 0;
  int32_t WindowedHeight = 0;
  int32_t SavedWindowX = 0;
  int32_t SavedWindowY = 0;
  bool FullScreen = false;
  bool VSync = false;
  int32_t FramesThisTick = 0;   // frames drawn since the last tick ended
  int32_t FramesPerTick = 0;    // frames of the previous tick, raised while the current one runs longer
  int32_t PrevMouseX = 0;
  int32_t PrevMouseY = 0;
  bool RightClickPending = false;
  int32_t RightDownX = 0;
  int32_t RightDownY = 0;
  int32_t ShownFPS = 0;
  eng::TVec3 CursorWorldPoint;  // far-plane point under the cursor (drawn frame)
  eng::TVec3 PickPoint;         // where the cursor ray met the floor
  float PickDistance = 10000.0f;  // eye to PickPoint; 10000 = nothing hit
  int32_t CursorTileX = 10000;  // tile under the cursor; 10000 = none
  int32_t CursorTileY = 10000;
  long TicksDone = 0;           // game ticks completed (for --ticks)
  long FrozenTicks = 0;         // consecutive ticks the message box has frozen the game
  GameOptions Options;
};

TGameCore& Core();

// The program entry: timer, callbacks, log switch, screen options, then the engine's loop.
// Returns the process exit status: 0; 1 when the game could not start or an output file
// (screenshot, recording) could not be written; 2 for a recording it cannot replay.
int GameMain(const GameOptions& options);

// "TICK:FILE" is a file for the end of that tick (a whole number from 1 up); anything else is a
// file for the end of the run. False for a tick that is not a number from 1 up or an empty file.
bool ParseTimedFile(const std::string& text, TTimedFile* out);

void GameLoad();
void GameDraw();
void GameTick();
void GameExit();

// Toggles fullscreen: Alt+Enter keeps the screen size, Ctrl+Enter takes the desktop's; going back
// restores the windowed size at the remembered position.
void ToggleFullScreen(bool desktopSize);

// Back to the state at process start (tests).
void GameCoreReset();

}  // namespace game
