// What the benchmarks that open a window share: the thread's processor clock, the headless window
// with its GL context, the demo content, the two frames they time and the crowded map they draw.
#pragma once

#include <GL/gl.h>
#include <time.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <vector>

#include "engine/application.h"
#include "engine/main.h"
#include "engine/math3d.h"
#include "engine/opengl.h"
#include "engine/platform/platform.h"
#include "engine/screen.h"
#include "engine/textures.h"
#include "game/actors/creatures.h"
#include "game/actors/walls.h"
#include "game/core/camera.h"
#include "game/core/fatal.h"
#include "game/core/game_core.h"
#include "game/world/floor.h"
#include "game/world/registry.h"

namespace bench {

// This thread's processor time in milliseconds: what the work itself cost, whatever else the
// machine runs.
inline double ThreadCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// The game's window, headless, with its GL context, the image readers registered and the 2D
// projection set. llvmpipe is asked to rasterise on the calling thread, so that the thread's
// processor time holds the rasterising too. Returns 0, or the exit status after telling
// `program`'s reason on standard error: 2 without a display, 1 without a context.
inline int OpenWindow(const char* program) {
  if (!std::getenv("DISPLAY")) {
    std::fprintf(stderr, "%s: no display; run it under xvfb-run -a\n", program);
    return 2;
  }
  setenv("LP_NUM_THREADS", "0", 0);
  eng::platform::SetHeadless(true);
  eng::DisableFeature(eng::FeatureLog);
  if (!eng::platform::Init()) {
    std::fprintf(stderr, "%s: %s\n", program, eng::platform::LastError().c_str());
    return 1;
  }
  eng::ScreenReadDesktop();
  eng::App().Initialised = true;
  eng::GL().FSAA = 0;
  if (!eng::GLCreateContext()) {
    std::fprintf(stderr, "%s: no GL context: %s\n", program, eng::platform::LastError().c_str());
    return 1;
  }
  eng::TexturesReset();
  eng::RegisterImageReaders();
  eng::SetMode2D();
  return 0;
}

// Makes the built game folder the current one and sets the demo scenario as the map to load.
inline void UseDemoContent() {
  std::filesystem::current_path(TESSERA_GAME_DIR);
  game::Core().Options.map = "maps/proba.map";
}

// `load` (the demo content as the game loads it), or false after telling `program`'s reason.
template <typename Load>
bool LoadDemoContent(const char* program, Load&& load) {
  UseDemoContent();
  try {
    load();
  } catch (const game::FatalError& e) {
    std::fprintf(stderr, "%s: the demo content in %s cannot be loaded: %s %s (the bench preset's full build "
                 "makes it)\n", program, TESSERA_GAME_DIR, e.file().c_str(), e.what());
    return false;
  }
  return true;
}

// A frame without the world (clear, both projections, finish): the baseline of a game frame.
inline void EmptyFrame() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  eng::SetMode3D(45.0f);
  eng::CameraLoadMatrix(game::GmCamera().Camera);
  eng::SetMode2D();
  glFinish();
}

inline void GameFrame() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  game::GameDraw();
  glFinish();
}

// The crowded 100 x 100 map the frame benchmarks draw: every tile holds a wall or a creature of
// the demo's kinds (8,000 and 2,000), placed in a fixed random order. The camera stays where the
// demo map put it, so that most of the map lies outside the view, as it would in play.
constexpr int kBigWalls = 8000;
constexpr int kBigCreatures = 2000;

inline void PlaceBigScene() {
  game::WallLists().Walls.clear();
  game::CreatureLists().Creatures.clear();
  game::Registry().MapWidth = game::FloorGridSize - 1;
  game::Registry().MapHeight = game::FloorGridSize - 1;
  game::FloorInit();
  std::mt19937 random(11);
  std::vector<int32_t> tiles(game::FloorGridSize * game::FloorGridSize);
  for (size_t i = 0; i < tiles.size(); ++i) tiles[i] = static_cast<int32_t>(i);
  std::shuffle(tiles.begin(), tiles.end(), random);
  const char* walls[3] = {"Stone", "Pillar", "Crate"};
  const char* creatures[3] = {"Blue Soldier", "Red Soldier", "Beast"};
  int placedWalls = 0, placedCreatures = 0;
  for (size_t i = 0; i < tiles.size(); ++i) {
    int32_t x = tiles[i] % game::FloorGridSize, y = tiles[i] / game::FloorGridSize;
    if (placedWalls < kBigWalls) {
      if (game::CreateWall(walls[i % 3], x, y, 0.0f, 0) != 0) ++placedWalls;
    } else if (placedCreatures < kBigCreatures) {
      if (game::CreateCreature(creatures[i % 3], x, y, 0.0f) != 0) ++placedCreatures;
    }
  }
  std::printf("big map: %d walls, %d creatures on %d x %d tiles\n", placedWalls, placedCreatures,
              game::FloorGridSize, game::FloorGridSize);
}

// Which world the frame benchmarks draw: the demo, until the crowded map replaces it for good.
enum class TScene { Demo, Big };

// Makes `scene` the world drawn; false when it cannot be had (the demo after the crowded map).
inline bool UseScene(TScene scene) {
  static TScene current = TScene::Demo;
  if (scene == TScene::Big && current != TScene::Big) {
    PlaceBigScene();
    current = TScene::Big;
  }
  return scene == current;
}

}  // namespace bench
