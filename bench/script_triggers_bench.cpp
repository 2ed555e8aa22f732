// Script triggers of the demo content: every trigger compiles its script anew, so each script's
// compile-and-run through the game's script host is timed (microseconds), together with a whole
// wall touch (the map's "Touch Wall" block and the door's own script). The baseline, timed in the
// same run, is the empty program through the same path; the table after the runs gives each
// trigger's time and its ratio to the baseline.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "game/actors/creatures.h"
#include "game/actors/walls.h"
#include "game/core/game_data.h"
#include "game/script/script_check.h"
#include "game/script/script_host.h"
#include "game/world/diagnostics.h"

namespace {

const char kBaseline[] = "Trigger/baseline: begin end.";

void RunSource(benchmark::State& state, const game::TContentScript& script) {
  for (auto _ : state) game::Script_RunSource(script.Source, script.Origin);
  // A script that stopped at a message would time nothing after it.
  for (script::TExecStatus s : game::ScriptPoolStatus())
    if (s == script::TExecStatus::Paused) state.SkipWithError("the script paused");
}

void TouchDoor(benchmark::State& state) {
  int32_t door = -1;
  for (size_t i = 0; i < game::WallLists().Walls.size(); ++i)
    if (!game::WallLists().Walls[i].TouchScript.empty()) door = static_cast<int32_t>(i);
  if (door < 0 || game::CreatureLists().Creatures.empty()) {
    state.SkipWithError("the demo map has no wall with a touch script");
    return;
  }
  for (auto _ : state) game::Script_TouchWall(door, 0);
}

class TriggerReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    // Processor time: the machine running the benchmarks is rarely idle, and wall time would
    // count the other processes' share.
    for (const Run& r : runs) times_.emplace_back(r.benchmark_name(), r.GetAdjustedCPUTime());
    ConsoleReporter::ReportRuns(runs);
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    double baseline = 0;
    for (const auto& [name, time] : times_)
      if (name == kBaseline) baseline = time;
    std::printf("\nCompile and run per trigger (processor microseconds; ratio to the empty program):\n");
    for (const auto& [name, time] : times_)
      std::printf("  %-64s %8.1f us  %6.2f\n", name.c_str(), time, baseline > 0 ? time / baseline : 0.0);
  }

 private:
  std::vector<std::pair<std::string, double>> times_;
};

}  // namespace

int main(int argc, char** argv) {
  game::DiagnosticsSetEcho(false);
  std::string message = game::LoadGameData(TESSERA_GAME_DIR, "maps/proba.map");
  if (!message.empty()) {
    std::fprintf(stderr, "the demo map did not load: %s\n", message.c_str());
    return 1;
  }
  static const game::TContentScript baseline{"begin end.", {}};
  static const std::vector<game::TContentScript> scripts = game::ContentScripts();
  benchmark::RegisterBenchmark(kBaseline, [](benchmark::State& s) { RunSource(s, baseline); })
      ->Unit(benchmark::kMicrosecond);
  for (const game::TContentScript& script : scripts)
    benchmark::RegisterBenchmark(("Trigger/" + script.Origin.What).c_str(),
                                 [&script](benchmark::State& s) { RunSource(s, script); })
        ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("Trigger/a wall touch: \"Touch Wall\" and the door's script", TouchDoor)
      ->Unit(benchmark::kMicrosecond);

  benchmark::Initialize(&argc, argv);
  TriggerReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
