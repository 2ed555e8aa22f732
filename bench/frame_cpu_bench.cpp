// The game's own CPU per frame: the drawing of the demo map and of a full 100 x 100 map (8,000
// walls and 2,000 creatures, 10,000 actors) against an empty frame (clear, both projections,
// finish), with a GL that counts the calls and draws nothing (bench/null_gl.cpp), so that neither
// the driver nor the rasteriser is in the time. Each scene is drawn four ways in the same run: the
// plain way (a call per corner attribute, every actor sent: the baseline), with vertex arrays, with
// actors outside the view skipped, and with both (the game's way). Goals for the game's way: under
// 1 ms for the demo, under 8 ms for the big map. Run under a display (the window and context are
// still the driver's): xvfb-run -a bench/bench_frame_cpu.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <utility>

#include "bench/bench_support.h"
#include "bench/null_gl.h"
#include "game/models/mesh.h"

namespace {

using bench::TScene;

// How a frame is drawn: nothing of the world, or the world with the two switches.
enum TWay { WayEmpty, WayPlain, WayArrays, WayCull, WayBoth, WayCount };
const char* const kWayNames[WayCount] = {"empty", "plain", "arrays", "cull", "arrays+cull"};

struct TResult {
  double Ms = 0.0;
  double Calls = 0.0;
  double Vertices = 0.0;
  int32_t Drawn = 0;
  int32_t Culled = 0;
};
std::map<std::pair<int, int>, TResult> g_results;  // (scene, way) -> the last run's figures

void BM_FrameCpu(benchmark::State& state, TScene scene, TWay way) {
  if (!bench::UseScene(scene)) state.SkipWithError("the demo scene cannot be had back after the big one");
  game::DrawSettings().VertexArrays = way == WayArrays || way == WayBoth;
  game::DrawSettings().CullOutsideView = way == WayCull || way == WayBoth;
  nullgl::Counts() = nullgl::TCounts{};
  const double before = bench::ThreadCpuMs();
  for (auto _ : state) way == WayEmpty ? bench::EmptyFrame() : bench::GameFrame();
  const double spent = bench::ThreadCpuMs() - before;
  if (state.iterations() == 0) return;
  const auto frames = static_cast<double>(state.iterations());
  TResult& r = g_results[{static_cast<int>(scene), way}];
  r.Ms = spent / frames;
  r.Calls = static_cast<double>(nullgl::Counts().Calls) / frames;
  r.Vertices = static_cast<double>(nullgl::Counts().Vertices) / frames;
  r.Drawn = game::DrawCounts().Drawn;
  r.Culled = game::DrawCounts().Culled;
  state.counters["gl_calls"] = r.Calls;
  state.counters["vertices"] = r.Vertices;
}

// Registration order is running order: the demo's frames come before the big map replaces it.
BENCHMARK_CAPTURE(BM_FrameCpu, demo_empty, TScene::Demo, WayEmpty)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FrameCpu, demo_plain, TScene::Demo, WayPlain)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FrameCpu, demo_arrays, TScene::Demo, WayArrays)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FrameCpu, demo_cull, TScene::Demo, WayCull)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FrameCpu, demo_arrays_cull, TScene::Demo, WayBoth)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FrameCpu, big_empty, TScene::Big, WayEmpty)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FrameCpu, big_plain, TScene::Big, WayPlain)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FrameCpu, big_arrays, TScene::Big, WayArrays)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FrameCpu, big_cull, TScene::Big, WayCull)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FrameCpu, big_arrays_cull, TScene::Big, WayBoth)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (int status = bench::OpenWindow("bench_frame_cpu")) return status;
  if (!bench::LoadDemoContent("bench_frame_cpu", [] { game::GameLoad(); })) return 1;

  benchmark::RunSpecifiedBenchmarks();
  for (TScene scene : {TScene::Demo, TScene::Big}) {
    const char* name = scene == TScene::Demo ? "demo" : "big";
    auto empty = g_results.find({static_cast<int>(scene), WayEmpty});
    auto plain = g_results.find({static_cast<int>(scene), WayPlain});
    if (empty == g_results.end() || plain == g_results.end()) continue;
    std::printf("%s: empty frame %.2f us\n", name, empty->second.Ms * 1e3);
    for (int way = WayPlain; way < WayCount; ++way) {
      auto r = g_results.find({static_cast<int>(scene), way});
      if (r == g_results.end()) continue;
      const TResult& v = r->second;
      std::printf("  %-12s frame %8.3f ms, ratio to empty %7.1f, the game's drawing %8.3f ms (%5.1fx faster than "
                  "plain); %9.0f GL calls, %9.0f vertices; objects drawn %d, skipped %d\n",
                  kWayNames[way], v.Ms, v.Ms / empty->second.Ms, v.Ms - empty->second.Ms,
                  (plain->second.Ms - empty->second.Ms) / (v.Ms - empty->second.Ms), v.Calls, v.Vertices, v.Drawn,
                  v.Culled);
    }
  }
  benchmark::Shutdown();
  return 0;
}
