// The per-frame back-to-front order of 5,000 particles as a frame after a tick finds them (the
// last order, every particle moved a little, a few new ones at the end), with our sort and with
// the exchange sort it reproduces, in the same run; and the same with coincident particles
// (equal distances), whose order the exchange sort leaves in its own way. Prints the time ratios.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "game/actors/effects.h"

namespace {

constexpr size_t kParticles = 5000;
constexpr size_t kNewPerTick = 25;

// A list the last frame left farthest first, then moved: distances change by a little, so
// neighbours may swap; the particles of this tick come last. With `coincident`, particles share
// distances in groups of four, as puffs of an emitter that stands still do.
std::vector<game::TParticle> FrameAfterTick(bool coincident) {
  std::mt19937 rng(42);
  std::uniform_real_distribution<float> jitter(-0.05f, 0.05f), anywhere(20.0f, 60.0f);
  std::vector<game::TParticle> list(kParticles);
  for (size_t i = 0; i < kParticles; ++i) {
    float d = 60.0f - 40.0f * static_cast<float>(i) / kParticles;
    list[i].CameraDistance = coincident ? 60.0f - static_cast<float>(i / 4) * 0.03f : d + jitter(rng);
    list[i].Serial = i + 1;
  }
  for (size_t i = kParticles - kNewPerTick; i < kParticles; ++i) list[i].CameraDistance = anywhere(rng);
  return list;
}

void ExchangeSort(std::vector<game::TParticle>& list) {
  for (size_t i = 0; i + 1 < list.size(); ++i)
    for (size_t j = i + 1; j < list.size(); ++j)
      if (list[i].CameraDistance < list[j].CameraDistance) std::swap(list[i], list[j]);
}

void Run(benchmark::State& state, bool coincident, bool ours) {
  const std::vector<game::TParticle> start = FrameAfterTick(coincident);
  for (auto _ : state) {
    std::vector<game::TParticle> list = start;
    if (ours)
      game::SortParticlesBackToFront(list);
    else
      ExchangeSort(list);
    benchmark::DoNotOptimize(list.data());
  }
}

void BM_SortOurs(benchmark::State& state) { Run(state, false, true); }
void BM_SortExchange(benchmark::State& state) { Run(state, false, false); }
void BM_SortOursCoincident(benchmark::State& state) { Run(state, true, true); }
void BM_SortExchangeCoincident(benchmark::State& state) { Run(state, true, false); }
// One unit for all, so that the ratios compare like with like.
BENCHMARK(BM_SortOurs)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SortExchange)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SortOursCoincident)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SortExchangeCoincident)->Unit(benchmark::kMicrosecond);

// Keeps each benchmark's CPU time per iteration (steadier than wall time on a shared machine)
// to print the ratios after the table.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      if (!run.error_occurred && run.iterations > 0) times[run.run_name.function_name] = run.GetAdjustedCPUTime();
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> times;
};

bool SameOrder(bool coincident) {
  std::vector<game::TParticle> a = FrameAfterTick(coincident), b = a;
  game::SortParticlesBackToFront(a);
  ExchangeSort(b);
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].Serial != b[i].Serial) return false;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  // The comparison means nothing unless both give the same order.
  if (!SameOrder(false) || !SameOrder(true)) {
    std::fprintf(stderr, "the two sorts disagree\n");
    return 1;
  }
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  auto ratio = [&](const char* ours, const char* exchange, const char* what) {
    auto a = reporter.times.find(ours), b = reporter.times.find(exchange);
    if (a != reporter.times.end() && b != reporter.times.end())
      std::printf("ratio ours / exchange sort, %s: %.4f (below 1 is faster)\n", what, a->second / b->second);
  };
  ratio("BM_SortOurs", "BM_SortExchange", "distinct distances");
  ratio("BM_SortOursCoincident", "BM_SortExchangeCoincident", "coincident particles");
  benchmark::Shutdown();
  return 0;
}
