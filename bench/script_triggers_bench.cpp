// Script triggers of the demo content: every trigger compiles its script anew, so each script's
// compile-and-run through the game's script host is timed (microseconds): the blocks of both demo
// maps, every wall kind's touch script, every item's use script, every window's create and click
// scripts, and a whole wall touch (the map's "Touch Wall" block and the door's own script). A
// script that shows a message is timed up to the message, the wait the player sees; OK is pressed
// outside the timing. The baseline, timed in the same run, is the empty program through the same
// path; the table after the runs gives each trigger's time and its ratio to the baseline.
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
#include "game/world/defs.h"
#include "game/world/diagnostics.h"
#include "game/world/map_file.h"

namespace {

const char kBaseline[] = "Trigger/baseline: begin end.";

bool AnyPaused() {
  for (script::TExecStatus s : game::ScriptPoolStatus())
    if (s == script::TExecStatus::Paused) return true;
  return false;
}

// OK for every message the last run showed, so that paused scripts do not pile up in the pool.
void PressOKUntilDone(benchmark::State& state) {
  if (!AnyPaused()) return;
  state.PauseTiming();
  for (int ok = 0; ok < 100 && AnyPaused(); ++ok) game::Script_ResumeAll();
  state.ResumeTiming();
}

void RunSource(benchmark::State& state, const game::TContentScript& script) {
  for (auto _ : state) {
    game::Script_RunSource(script.Source, script.Origin);
    PressOKUntilDone(state);
  }
}

void TouchDoor(benchmark::State& state) {
  int32_t door = -1;
  for (size_t i = 0; i < game::WallLists().Walls.size(); ++i)
    if (!game::WallLists().Walls[i].TouchScript.empty()) door = static_cast<int32_t>(i);
  if (door < 0 || game::CreatureLists().Creatures.empty()) {
    state.SkipWithError("the demo map has no wall with a touch script");
    return;
  }
  for (auto _ : state) {
    game::Script_TouchWall(door, 0);
    PressOKUntilDone(state);
  }
}

class TriggerReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    // Processor time: the machine running the benchmarks is rarely idle, and wall time would
    // count the other processes' share. A repeated run's coefficient of variation is a fraction,
    // not a time: the table leaves it out.
    for (const Run& r : runs)
      if (r.aggregate_unit == benchmark::kTime)
        times_.push_back({r.run_name.function_name, r.aggregate_name, r.GetAdjustedCPUTime()});
    ConsoleReporter::ReportRuns(runs);
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\nCompile and run per trigger (processor microseconds; ratio to the empty program):\n");
    for (const TTime& t : times_) {
      // Each row against the baseline's row of the same kind (a single run, a mean, a median); a
      // spread has no ratio.
      double baseline = 0;
      for (const TTime& b : times_)
        if (b.Name == kBaseline && b.Aggregate == t.Aggregate && t.Aggregate != "stddev") baseline = b.Micros;
      std::string name = t.Aggregate.empty() ? t.Name : t.Name + " (" + t.Aggregate + ")";
      std::printf("  %-72s %8.1f us  %6.2f\n", name.c_str(), t.Micros, baseline > 0 ? t.Micros / baseline : 0.0);
    }
  }

 private:
  struct TTime {
    std::string Name, Aggregate;
    double Micros = 0;
  };
  std::vector<TTime> times_;
};

}  // namespace

int main(int argc, char** argv) {
  game::DiagnosticsSetEcho(false);
  std::string message = game::LoadGameData(TESSERA_GAME_DIR, "maps/compound.map");
  if (!message.empty()) {
    std::fprintf(stderr, "the demo map did not load: %s\n", message.c_str());
    return 1;
  }
  static std::vector<game::TContentScript> scripts = game::ContentScripts();
  // The windows' create and click scripts act on open windows only: run here with none open, their
  // calls cost what a call that finds no window costs.
  for (game::TContentScript& script : game::WindowScripts(game::ReadWindowDefinitions()))
    scripts.push_back(std::move(script));
  // The demo scenario's blocks too, run in this world: the IDs they name that it lacks make its
  // functions do nothing, which costs what a call costs.
  game::TMapFile demo;
  std::string error;
  if (!game::MapFileLoad(std::string(TESSERA_GAME_DIR) + "/maps/proba.map", &demo, &error)) {
    std::fprintf(stderr, "the demo scenario's map did not load: %s\n", error.c_str());
    return 1;
  }
  for (game::TMapScriptBlock block : demo.Blocks) {
    for (std::string& line : block.Lines) line = game::StripComment(line);  // as the game does at start
    game::TContentScript script;
    script.Source = game::ScriptBlockSource(block, &script.Origin);
    script.Origin.What = "proba.map: " + script.Origin.What;
    scripts.push_back(std::move(script));
  }
  static const game::TContentScript baseline{"begin end.", {}};
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
