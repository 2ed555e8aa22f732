// The game core: entry, callbacks, tick and draw order.
#include "game/core/game_core.h"

#include <GL/gl.h>

#include <clocale>
#include <filesystem>

#include "engine/input_stream.h"
#include "engine/keyboard.h"
#include "engine/main.h"
#include "engine/mouse.h"
#include "engine/opengl.h"
#include "engine/platform/platform.h"
#include "engine/screen.h"
#include "engine/screenshot.h"
#include "engine/timers.h"
#include "game/core/random.h"

namespace game {

namespace {

constexpr int32_t kTickInterval = 16;  // ms of engine time per game tick

TGameCore g_core;
bool g_engineRan = false;

void ApplyScreenOptions() {
  eng::SetScreenOptions(static_cast<uint16_t>(g_core.ScreenWidth),
                        static_cast<uint16_t>(g_core.ScreenHeight), 32, 0, g_core.FullScreen,
                        g_core.VSync);
}

}  // namespace

TGameCore& Core() { return g_core; }

int GameMain(const GameOptions& options) {
  g_core.Options = options;
  eng::platform::SetHeadless(options.headless);
  eng::TimerSetFixedClock(options.fixedClock);
  std::string error;
  if (!options.input.empty() && !eng::InputStreamOpenReplay(options.input, &error)) {
    std::fprintf(stderr, "tessera: %s\n", error.c_str());
    return 2;
  }
  if (!options.record.empty() && !eng::InputStreamOpenRecord(options.record, &error)) {
    std::fprintf(stderr, "tessera: %s\n", error.c_str());
    return 2;
  }
  if (!options.screenshot.empty()) eng::ScreenshotRequest(options.screenshot);

  // Program entry.
  eng::TimerAdd(GameTick, kTickInterval);
  eng::RegisterCallback(eng::CallbackLoad, GameLoad);
  eng::RegisterCallback(eng::CallbackDraw, GameDraw);
  eng::RegisterCallback(eng::CallbackExit, GameExit);
  if (!options.log) eng::DisableFeature(eng::FeatureLog);
  g_core.ScreenWidth = 800;
  g_core.ScreenHeight = 600;
  g_core.WindowedWidth = 800;
  g_core.WindowedHeight = 600;
  g_core.FullScreen = false;
  g_core.VSync = false;
  ApplyScreenOptions();
  eng::EngineInit(8, 0);
  return g_engineRan ? 0 : 1;
}

void GameLoad() {
  g_engineRan = true;
  eng::DisableFeature(eng::FeatureCentreWindow);
  eng::ScreenFlush();
  g_core.AppDir = std::filesystem::current_path().string() + "/";
  // Numbers in data files use "." whatever the user's locale says.
  std::setlocale(LC_NUMERIC, "C");
  if (g_core.Options.seeded)
    RandomSeed(g_core.Options.seed);
  else
    Randomize();
  eng::SetDepthRange(0.1f, 200.0f);
  // The GUI, the selection ring, the object kinds, the player table, the camera and the map are
  // loaded here, in that order, as those modules arrive.
}

void GameDraw() {
  eng::SetMode3D(45.0f);
  // The camera's view matrix, the cursor unprojection, the light, the tile cursor and the world
  // are drawn here, between the 3D projection and the 2D pass.
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  eng::SetMode2D();
  // The GUI and the cursor are drawn in the 2D pass; the camera's inertia step follows it.
  ++g_core.FramesThisTick;
  if (g_core.FramesThisTick > g_core.FramesPerTick) g_core.FramesPerTick = g_core.FramesThisTick;
}

void GameTick() {
  eng::InputStreamTickBegin();

  if (eng::KeyDown(eng::KeyEscape)) eng::EngineExit();  // the rest of the tick still runs
  if (eng::KeyDown(eng::KeyAlt) && eng::KeyPress(eng::KeyEnter)) ToggleFullScreen(false);
  if (eng::KeyDown(eng::KeyCtrl) && eng::KeyPress(eng::KeyEnter)) ToggleFullScreen(true);

  // GUI input, right-button and camera control, picking, the world update and the AI, the switch
  // to turn-based play, mouse orders and the T and E keys run here as those modules arrive.

  g_core.PrevMouseX = eng::MouseX();
  g_core.PrevMouseY = eng::MouseY();
  eng::MouseClearState();
  eng::KeyClearState();
  g_core.FramesPerTick = g_core.FramesThisTick;
  g_core.FramesThisTick = 0;

  ++g_core.TicksDone;
  if (g_core.Options.ticks > 0 && g_core.TicksDone >= g_core.Options.ticks) eng::EngineExit();
}

void GameExit() {
  // Meshes and script executors are freed here once those modules exist.
}

void ToggleFullScreen(bool desktopSize) {
  g_core.FullScreen = !g_core.FullScreen;
  if (g_core.FullScreen) {
    g_core.SavedWindowX = eng::Screen().X;
    g_core.SavedWindowY = eng::Screen().Y;
    if (desktopSize) {
      g_core.ScreenWidth = static_cast<int32_t>(eng::GetSystemValue(9));
      g_core.ScreenHeight = static_cast<int32_t>(eng::GetSystemValue(10));
    }
  } else {
    g_core.ScreenWidth = g_core.WindowedWidth;
    g_core.ScreenHeight = g_core.WindowedHeight;
    eng::SetWindowPosition(g_core.SavedWindowX, g_core.SavedWindowY);
  }
  ApplyScreenOptions();
}

void GameCoreReset() {
  g_core = TGameCore{};
  g_engineRan = false;
}

}  // namespace game
