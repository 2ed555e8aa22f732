// The game core: entry, callbacks, tick and draw order.
#include "game/core/game_core.h"

#include <GL/gl.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>

#include "engine/application.h"
#include "engine/input_stream.h"
#include "engine/keyboard.h"
#include "engine/load_timing.h"
#include "engine/main.h"
#include "engine/mouse.h"
#include "engine/opengl.h"
#include "engine/output_files.h"
#include "engine/platform/platform.h"
#include "engine/screen.h"
#include "engine/screenshot.h"
#include "engine/timers.h"
#include "engine/utils.h"
#include "game/actors/ai.h"
#include "game/actors/creatures.h"
#include "game/actors/movement.h"
#include "game/actors/walls.h"
#include "game/core/camera.h"
#include "game/core/fatal.h"
#include "game/core/game_data.h"
#include "game/core/players.h"
#include "game/core/random.h"
#include "game/core/state_dump.h"
#include "game/gui/gui.h"
#include "game/models/mesh.h"
#include "game/script/script_host.h"
#include "game/world/content_check.h"
#include "game/world/defs.h"
#include "game/world/floor.h"
#include "game/world/map.h"
#include "game/world/registry.h"

namespace game {

namespace {

constexpr int32_t kTickInterval = 16;  // ms of engine time per game tick
// Under --autoplay a message box waits this many ticks for its OK.
constexpr long kAutoplayMessageTicks = 120;
// What key M shows: "проба" in Windows-1251.
constexpr const char* kKeyMMessage = "\xEF\xF0\xEE\xE1\xE0";

TGameCore g_core;
bool g_engineRan = false;

void ApplyScreenOptions() {
  eng::SetScreenOptions(static_cast<uint16_t>(g_core.ScreenWidth),
                        static_cast<uint16_t>(g_core.ScreenHeight), 32, 0, g_core.FullScreen,
                        g_core.VSync);
}

// One directional light fixed in the world, then the outline of the tile under the cursor.
void DrawLightAndTileCursor() {
  const GLfloat ambient[4] = {3.5f, 3.5f, 3.5f, 1.0f};
  const GLfloat diffuse[4] = {0.7f, 0.7f, 0.7f, 1.0f};
  const GLfloat direction[4] = {-0.3f, 0.7f, 0.5f, 0.0f};
  glLightfv(GL_LIGHT1, GL_AMBIENT, ambient);
  glLightfv(GL_LIGHT1, GL_DIFFUSE, diffuse);
  glEnable(GL_LIGHTING);
  glEnable(GL_LIGHT1);
  glLightfv(GL_LIGHT1, GL_POSITION, direction);  // after the view matrix: fixed in the world
  const TGuiFlags& gui = GuiFlags();
  if (g_core.CursorTileX != 10000 && !gui.ModalOpen && !gui.MouseOverGui && CurrentPlayerHuman()) {
    // The translation stays on the matrix; what is drawn next loads the camera's matrix itself.
    glTranslatef(2.0f * static_cast<float>(g_core.CursorTileX), 0.0f,
                 2.0f * static_cast<float>(g_core.CursorTileY));
    DrawLine3D(1.0f, 0.01f, -1.0f, 1.0f, 0.01f, 1.0f);
    DrawLine3D(-1.0f, 0.01f, -1.0f, -1.0f, 0.01f, 1.0f);
    DrawLine3D(1.0f, 0.01f, 1.0f, -1.0f, 0.01f, 1.0f);
    DrawLine3D(1.0f, 0.01f, -1.0f, -1.0f, 0.01f, -1.0f);
  }
}

// Selection and orders by mouse, in a human player's turn while the mouse
// is the world's.
void MouseOrders() {
  const TGuiFlags& gui = GuiFlags();
  if (gui.ModalOpen || !CurrentPlayerHuman() || gui.MouseOverGui || PlayerTable().WaitingForStop) return;
  const std::vector<TCreature>& all = CreatureLists().Creatures;
  if (eng::MouseClick(0)) {
    if (SelectCreatureAt(g_core.CursorTileX, g_core.CursorTileY, false)) {
      int32_t selected = PlayerTable().Players[PlayerTable().CurrentPlayer].SelectedCreature;
      ScriptContext().CurrentCreatureID = all[static_cast<size_t>(selected)].ID;
      GUI_FireEvent("SelCr");
    } else {
      OrderSelected(g_core.CursorTileX, g_core.CursorTileY);
    }
  }
  if (eng::MouseUp(2) && g_core.RightClickPending) {
    for (const TCreature& c : all) {
      if (!c.Alive || c.TileX != g_core.CursorTileX || c.TileY != g_core.CursorTileY) continue;
      ScriptContext().CurrentCreatureID = c.ID;
      GUI_FireEvent("RClickOnCr");
      break;
    }
  }
}

void WriteDump(const std::string& path) {
  std::string error;
  if (!StateDumpWrite(path, &error)) {
    eng::ReportOutputFailure(error);
    eng::EngineExit();
  }
}

// The moments of the run asked for on the command line: the dumps of this tick now, and the
// screenshots of this tick from the next frame, which shows the state at the end of this tick.
void TakeTimedCaptures() {
  for (const TTimedFile& shot : g_core.Options.screenshots)
    if (shot.tick == g_core.TicksDone) eng::ScreenshotCaptureNext(shot.path);
  for (const TTimedFile& dump : g_core.Options.dumps)
    if (dump.tick == g_core.TicksDone) WriteDump(dump.path);
}

}  // namespace

TGameCore& Core() { return g_core; }

bool ParseTimedFile(const std::string& text, TTimedFile* out) {
  size_t colon = text.find(':');
  bool timed = colon != std::string::npos && colon > 0 &&
               text.find_first_not_of("0123456789") == colon;
  if (!timed) {
    *out = {0, text};
    return !text.empty();
  }
  // A tick too large for a long never comes; say so rather than wait for it.
  if (colon > 15) return false;
  long tick = std::strtol(text.c_str(), nullptr, 10);
  *out = {tick, text.substr(colon + 1)};
  return tick >= 1 && !out->path.empty();
}

int GameMain(const GameOptions& options) {
  g_core.Options = options;
  eng::platform::SetHeadless(options.headless);
  eng::TimerSetFixedClock(options.fixedClock);
  std::string error;
  if (!options.input.empty() && !eng::InputStreamOpenReplay(options.input, &error)) {
    std::fprintf(stderr, "tessera: %s\n", error.c_str());
    return 2;
  }
  // An output that cannot be written is found now rather than after the whole run.
  for (const auto* files : {&options.screenshots, &options.dumps})
    for (const TTimedFile& file : *files)
      if (error.empty()) error = eng::OutputPathProblem(file.path);
  if (error.empty() && !options.record.empty()) eng::InputStreamOpenRecord(options.record, &error);
  if (!error.empty()) {
    eng::ReportOutputFailure(error);
    return 1;
  }
  for (const TTimedFile& shot : options.screenshots)
    if (shot.tick == 0) eng::ScreenshotRequest(shot.path);
  eng::App().DrawEvery = options.fixedClock ? static_cast<int32_t>(options.drawEvery) : 1;

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
  try {
    eng::EngineInit(8, 0);
  } catch (const FatalError& e) {
    // A data file the game cannot start without: say which and where, then end.
    std::string where = e.file();
    if (e.line() > 0) where += ":" + std::to_string(e.line());
    eng::ErrorBox(where.empty() ? e.what() : where + ": " + e.what());
    return 1;
  }
  return g_engineRan && !eng::OutputFailed() ? 0 : 1;
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
  eng::SetDepthRange(GameNear, GameFar);
  // Before the GUI and the script host, whose own sections take the place of the defaults.
  StateDumpAddGameSections();
  {
    eng::LoadTimer timer("GUI");
    GUI_Init();
  }
  {
    eng::LoadTimer timer("kinds");
    LoadSelectRing();
    PlugKindLoaders();
    LoadKinds();
  }
  PlayersStart();
  CameraStart();
  {
    eng::LoadTimer timer("map");
    // A map named on the command line is taken as given, relative to the working directory.
    MapStart(g_core.Options.map.empty() ? DataPath("maps/", "proba.map") : ResolvePathCase(g_core.Options.map));
  }
  {
    eng::LoadTimer timer("content check");
    // What the loaders could not tell alone: names that match no kind, and every map record that
    // cannot be placed, not only the one the load stopped at.
    CheckContent();
  }
  if (g_core.Options.autoplay) {
    for (TPlayer& player : PlayerTable().Players) player.Human = false;
    SetTurnBasedMode(true);
  }
}

void GameDraw() {
  eng::SetMode3D(GameFieldOfView);
  eng::CameraLoadMatrix(GmCamera().Camera);
  UnprojectCursor(eng::MouseX(), eng::MouseY());
  DrawLightAndTileCursor();
  DrawWorld();
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  eng::SetMode2D();
  GUI_Draw();
  CameraInertiaStep();
  ++g_core.FramesThisTick;
  if (g_core.FramesThisTick > g_core.FramesPerTick) g_core.FramesPerTick = g_core.FramesThisTick;
}

void GameTick() {
  eng::InputStreamTickBegin();

  if (eng::KeyDown(eng::KeyEscape)) eng::EngineExit();  // the rest of the tick still runs
  if (eng::KeyDown(eng::KeyAlt) && eng::KeyPress(eng::KeyEnter)) ToggleFullScreen(false);
  if (eng::KeyDown(eng::KeyCtrl) && eng::KeyPress(eng::KeyEnter)) ToggleFullScreen(true);

  GUI_Update();
  if (eng::MouseClick(2)) {
    g_core.RightClickPending = true;
    g_core.RightDownX = eng::MouseX();
    g_core.RightDownY = eng::MouseY();
  }
  if (std::abs(eng::MouseX() - g_core.RightDownX) > 2 || std::abs(eng::MouseY() - g_core.RightDownY) > 2)
    g_core.RightClickPending = false;
  if (!g_core.RightClickPending && !GuiFlags().ModalOpen) CameraMouseControl();
  PickFloorTile(GmCamera().Camera.Position);
  if (!GuiFlags().GameFrozen) {
    UpdateWorld();
    AiTick();
  }
  g_core.FrozenTicks = GuiFlags().GameFrozen ? g_core.FrozenTicks + 1 : 0;
  if (g_core.Options.autoplay && g_core.FrozenTicks >= kAutoplayMessageTicks) {
    // A match that plays itself answers every message box once the box has waited its ticks.
    g_core.FrozenTicks = 0;
    GameMessageOK();
  }
  TurnBasedSwitchOver();
  MouseOrders();
  if (eng::KeyUp(eng::KeyT)) SetTurnBasedMode(true);
  if (eng::KeyUp(eng::KeyE)) EndTurn();
  if (eng::KeyDown(eng::KeyM)) GameMessage(kKeyMMessage);  // every tick while held

  g_core.PrevMouseX = eng::MouseX();
  g_core.PrevMouseY = eng::MouseY();
  eng::MouseClearState();
  eng::KeyClearState();
  g_core.FramesPerTick = g_core.FramesThisTick;
  g_core.FramesThisTick = 0;

  ++g_core.TicksDone;
  TakeTimedCaptures();
  if (g_core.Options.ticks > 0 && g_core.TicksDone >= g_core.Options.ticks) eng::EngineExit();
}

void GameExit() {
  for (const TTimedFile& dump : g_core.Options.dumps)
    if (dump.tick == 0) WriteDump(dump.path);
  // A moment the run never reached leaves its file unwritten: say so rather than end quietly.
  for (const auto* files : {&g_core.Options.dumps, &g_core.Options.screenshots})
    for (const TTimedFile& file : *files)
      if (file.tick > g_core.TicksDone)
        eng::ReportOutputFailure("the run ended after tick " + std::to_string(g_core.TicksDone) + ", before tick " +
                                 std::to_string(file.tick) + ": " + file.path + " was not written");
  MeshFreeAll();
  Script_FreeAll();
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
