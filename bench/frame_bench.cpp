// Where a frame's time goes: the game's drawing of the demo map and of a full 100 x 100 map (8,000
// walls and 2,000 creatures) against an empty frame (clear, both projections, finish) in the same
// run, each with the rasteriser held to one pixel by the scissor (the game's own CPU and the
// driver's per-call work) and with the whole window rasterised; the world drawn the plain way (a
// call per corner attribute, every actor sent) and the game's way (vertex arrays, actors outside
// the view skipped). bench_frame_cpu takes the driver out of the time as well. Before the table, start-up to the
// first frame, split into the driver's part (window and context) and the game's own (kinds, models,
// textures, the map), measured once. Run under a display: xvfb-run -a bench/bench_frame.
//
// llvmpipe is asked to rasterise on the calling thread, so that the thread's CPU time, which the
// table reports, holds the rasterising too when it is not held back.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "bench/big_scene.h"
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
#include "game/models/mesh.h"
#include "game/world/floor.h"
#include "game/world/registry.h"

namespace {

double ClockMs(clockid_t clock) {
  timespec t{};
  clock_gettime(clock, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

enum class TScene { Demo, Big };
TScene g_scene = TScene::Demo;

void BuildBigScene() {
  bench::PlaceBigScene();
  g_scene = TScene::Big;
}

void UseScene(benchmark::State& state, TScene scene) {
  if (scene == TScene::Big && g_scene != TScene::Big) BuildBigScene();
  if (scene != g_scene) state.SkipWithError("the demo scene cannot be had back after the big one");
}

// The rasteriser held to one pixel (argument 0) or given the whole window (1).
void Raster(int64_t whole) {
  if (whole != 0) {
    glDisable(GL_SCISSOR_TEST);
  } else {
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, 1, 1);
  }
}

void EmptyFrame() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  eng::SetMode3D(45.0f);
  eng::CameraLoadMatrix(game::GmCamera().Camera);
  eng::SetMode2D();
  glFinish();
}

void GameFrame() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  game::GameDraw();
  glFinish();
}

// CPU milliseconds per frame of the last (longest) run of each case, for the ratios after the
// table: "demo/0", "demo_empty/1", ...
std::map<std::string, double> g_frameMs;

void BM_Frame(benchmark::State& state, TScene scene, bool empty, bool plain) {
  UseScene(state, scene);
  Raster(state.range(0));
  game::DrawSettings().VertexArrays = !plain;
  game::DrawSettings().CullOutsideView = !plain;
  double before = ClockMs(CLOCK_THREAD_CPUTIME_ID);
  for (auto _ : state) empty ? EmptyFrame() : GameFrame();
  double spent = ClockMs(CLOCK_THREAD_CPUTIME_ID) - before;
  glDisable(GL_SCISSOR_TEST);
  std::string name = std::string(scene == TScene::Demo ? "demo" : "big") +
                     (empty ? "_empty/" : plain ? "_plain/" : "/") + std::to_string(state.range(0));
  if (state.iterations() > 0) g_frameMs[name] = spent / static_cast<double>(state.iterations());
}

// Registration order is running order: the demo's frames come before the big map replaces it.
BENCHMARK_CAPTURE(BM_Frame, demo_empty, TScene::Demo, true, false)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Frame, demo_plain, TScene::Demo, false, true)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Frame, demo, TScene::Demo, false, false)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Frame, big_empty, TScene::Big, true, false)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Frame, big_plain, TScene::Big, false, true)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Frame, big, TScene::Big, false, false)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (!std::getenv("DISPLAY")) {
    std::fprintf(stderr, "bench_frame: no display; run it under xvfb-run -a\n");
    return 2;
  }
  setenv("LP_NUM_THREADS", "0", 0);

  double t0 = ClockMs(CLOCK_MONOTONIC);
  eng::platform::SetHeadless(true);
  eng::DisableFeature(eng::FeatureLog);
  if (!eng::platform::Init()) {
    std::fprintf(stderr, "bench_frame: %s\n", eng::platform::LastError().c_str());
    return 1;
  }
  eng::ScreenReadDesktop();
  eng::App().Initialised = true;
  eng::GL().FSAA = 0;
  if (!eng::GLCreateContext()) {
    std::fprintf(stderr, "bench_frame: no GL context: %s\n", eng::platform::LastError().c_str());
    return 1;
  }
  eng::TexturesReset();
  eng::RegisterImageReaders();
  eng::SetMode2D();
  glFinish();
  double t1 = ClockMs(CLOCK_MONOTONIC);
  std::filesystem::current_path(TESSERA_GAME_DIR);
  game::Core().Options.map = "maps/proba.map";  // the demo scenario
  try {
    game::GameLoad();
  } catch (const game::FatalError& e) {
    std::fprintf(stderr, "bench_frame: the demo content in %s cannot be loaded: %s %s (the bench preset's full "
                 "build makes it)\n", TESSERA_GAME_DIR, e.file().c_str(), e.what());
    return 1;
  }
  glFinish();
  double t2 = ClockMs(CLOCK_MONOTONIC);
  GameFrame();
  double t3 = ClockMs(CLOCK_MONOTONIC);
  std::printf("start-up, measured once: window and GL context %.1f ms (the driver), game load %.1f ms "
              "(kinds, models, textures, the map; goal under 50 ms), first frame %.1f ms\n",
              t1 - t0, t2 - t1, t3 - t2);

  benchmark::RunSpecifiedBenchmarks();
  for (const char* scene : {"demo", "big"})
    for (const char* raster : {"0", "1"})
      for (const char* way : {"_plain", ""}) {
        auto frame = g_frameMs.find(std::string(scene) + way + "/" + raster);
        auto empty = g_frameMs.find(std::string(scene) + "_empty/" + raster);
        if (frame == g_frameMs.end() || empty == g_frameMs.end()) continue;
        std::printf("%-4s %-22s %-10s: frame %.3f ms, empty frame %.3f ms, ratio %.1f, the game's drawing %.3f ms\n",
                    scene, raster[0] == '0' ? "(one pixel rasterised)" : "(whole window)",
                    way[0] != '\0' ? "plain" : "game's way", frame->second, empty->second,
                    frame->second / empty->second, frame->second - empty->second);
      }
  benchmark::Shutdown();
  return 0;
}
