// Where a frame's time goes: the game's drawing of the demo map and of a full 100 x 100 map (8,000
// walls and 2,000 creatures) against an empty frame (clear, both projections, finish) in the same
// run, each with the rasteriser held to one pixel by the scissor (the game's own CPU and the
// driver's per-call work) and with the whole window rasterised; the world drawn the plain way (a
// call per corner attribute, every actor sent) and the game's way (vertex arrays, actors outside
// the view skipped). bench_frame_cpu takes the driver out of the time as well, and bench_startup
// times start-up. Run under a display: xvfb-run -a bench/bench_frame.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

#include "bench/bench_support.h"
#include "game/models/mesh.h"

namespace {

using bench::TScene;

// The rasteriser held to one pixel (argument 0) or given the whole window (1).
void Raster(int64_t whole) {
  if (whole != 0) {
    glDisable(GL_SCISSOR_TEST);
  } else {
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, 1, 1);
  }
}

// CPU milliseconds per frame of the last (longest) run of each case, for the ratios after the
// table: "demo/0", "demo_empty/1", ...
std::map<std::string, double> g_frameMs;

void BM_Frame(benchmark::State& state, TScene scene, bool empty, bool plain) {
  if (!bench::UseScene(scene)) state.SkipWithError("the demo scene cannot be had back after the big one");
  Raster(state.range(0));
  game::DrawSettings().VertexArrays = !plain;
  game::DrawSettings().CullOutsideView = !plain;
  double before = bench::ThreadCpuMs();
  for (auto _ : state) empty ? bench::EmptyFrame() : bench::GameFrame();
  double spent = bench::ThreadCpuMs() - before;
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
  if (int status = bench::OpenWindow("bench_frame")) return status;
  if (!bench::LoadDemoContent("bench_frame", [] { game::GameLoad(); })) return 1;

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
