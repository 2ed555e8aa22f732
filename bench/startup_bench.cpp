// Start-up to the first frame with the demo content (maps/proba.map in the built game folder),
// split into the game's own work and the driver's, each measured over and over in the same run:
//   - the game's load (GameLoad from a fresh reset every time), with its parts timed inside each
//     load in the thread's processor time: the GUI, the kinds' own reading, the models, decoding
//     and uploading textures, the map and its start script, the content check;
//   - the driver's part, the baseline: a window with its GL context made and released again;
//   - the first frame after a fresh context and load, against the frame after it: the difference
//     is the driver compiling its shaders for the states the game uses.
// The table is followed by the game's own part, the driver's, their ratio, how often a load was
// preempted, and the slowest files.
// Run under a display: xvfb-run -a -s "-screen 0 1280x1024x24" build/bench/bin/bench_startup.
#include <GL/gl.h>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "engine/font.h"
#include "engine/load_timing.h"
#include "engine/mouse.h"
#include "engine/opengl.h"
#include "engine/textures.h"
#include "game/core/game_core.h"
#include "game/gui/gui.h"
#include "game/world/diagnostics.h"
#include "tests/support/game_reset.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Times this thread gave up the processor (waiting: on a file, the display, a lock) and had it
// taken away (the machine being busy) so far.
void ContextSwitches(double* waited, double* preempted) {
  rusage usage{};
  getrusage(RUSAGE_THREAD, &usage);
  *waited = static_cast<double>(usage.ru_nvcsw);
  *preempted = static_cast<double>(usage.ru_nivcsw);
}

using bench::ThreadCpuMs;

// Back to the state before the first load: every game module, the GUI, fonts and textures (the
// GL names of the textures are deleted) and the image readers registered again.
void ResetLoadedGame() {
  testsupport::ResetGameWorld();
  game::GUIReset();
  game::DiagnosticsReset();
  eng::FontReset();
  eng::TexturesReset();
  eng::RegisterImageReaders();
  eng::MouseReset();
  game::Core().Options.map = "maps/proba.map";  // the demo scenario
}

// Loads the demo content as the game does at start; GL has done its work when it returns.
void LoadGame() {
  game::GameLoad();
  glFinish();
}

// Mean milliseconds per load of each part over every load of the game benchmark, and of the
// whole load and the context, for the summary after the table.
struct Summary {
  std::map<std::string, double> partMs;
  std::vector<std::string> partOrder;
  double loadMs = 0.0;
  double loadCpuMs = 0.0;
  double waits = 0.0;        // a load's voluntary context switches
  double preemptions = 0.0;  // and involuntary ones
  double contextMs = 0.0;
  double firstFrameMs = 0.0;
  double laterFrameMs = 0.0;
};
Summary g_summary;

// Milliseconds of each file (part and name) summed over the loads of the game benchmark.
std::map<std::pair<std::string, std::string>, double> g_fileMs;

// The table's time and CPU columns are the load's wall and processor time (the reset between
// loads is not counted); the parts are processor time, which a busy machine does not inflate.
void BM_GameLoad(benchmark::State& state) {
  std::map<std::string, double> parts;
  std::vector<std::string> order;
  double total = 0.0, cpu = 0.0, waited = 0.0, preempted = 0.0;
  g_fileMs.clear();
  for (auto _ : state) {
    state.PauseTiming();
    ResetLoadedGame();
    eng::LoadTimingClear();
    state.ResumeTiming();
    double cpuStart = ThreadCpuMs(), waitedStart = 0.0, preemptedStart = 0.0;
    ContextSwitches(&waitedStart, &preemptedStart);
    Clock::time_point start = Clock::now();
    LoadGame();
    total += MsSince(start);
    cpu += ThreadCpuMs() - cpuStart;
    double waitedEnd = 0.0, preemptedEnd = 0.0;
    ContextSwitches(&waitedEnd, &preemptedEnd);
    waited += waitedEnd - waitedStart;
    preempted += preemptedEnd - preemptedStart;
    for (const eng::TLoadPartTime& part : eng::LoadPartTimes()) {
      if (!parts.count(part.Part)) order.push_back(part.Part);
      parts[part.Part] += part.Ms;
    }
    for (const eng::TLoadFileTime& file : eng::LoadFileTimes()) g_fileMs[{file.Part, file.File}] += file.Ms;
  }
  auto n = static_cast<double>(state.iterations());
  double timed = 0.0;
  for (auto& [name, ms] : parts) {
    ms /= n;
    timed += ms;
    state.counters[name] = ms;
  }
  // What no timer covers: the players, the camera, the state dump's sections.
  parts["other"] = cpu / n - timed;
  order.push_back("other");
  g_summary.partMs = parts;
  g_summary.partOrder = order;
  g_summary.loadMs = total / n;
  g_summary.loadCpuMs = cpu / n;
  g_summary.waits = waited / n;
  g_summary.preemptions = preempted / n;
  for (auto& entry : g_fileMs) entry.second /= n;
}

// The driver's part: the window and its GL context, made and released.
void BM_Context(benchmark::State& state) {
  double total = 0.0;
  for (auto _ : state) {
    eng::GLDestroyContext();
    Clock::time_point start = Clock::now();
    if (!eng::GLCreateContext()) {
      state.SkipWithError("no GL context");
      break;
    }
    eng::SetMode2D();
    glFinish();
    double ms = MsSince(start);
    state.SetIterationTime(ms / 1e3);
    total += ms;
  }
  if (state.iterations() > 0) g_summary.contextMs = total / static_cast<double>(state.iterations());
}

// The first frame of a fresh context and load, and the frame after it (manual time: the first).
void BM_FirstFrame(benchmark::State& state) {
  double first = 0.0, later = 0.0;
  for (auto _ : state) {
    eng::GLDestroyContext();
    if (!eng::GLCreateContext()) {
      state.SkipWithError("no GL context");
      break;
    }
    ResetLoadedGame();
    LoadGame();
    for (int frame = 0; frame < 2; ++frame) {
      Clock::time_point start = Clock::now();
      glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
      game::GameDraw();
      glFinish();
      double ms = MsSince(start);
      (frame == 0 ? first : later) += ms;
      if (frame == 0) state.SetIterationTime(ms / 1e3);
    }
  }
  auto n = static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1));
  state.counters["later frame ms"] = later / n;
  g_summary.firstFrameMs = first / n;
  g_summary.laterFrameMs = later / n;
}

BENCHMARK(BM_GameLoad)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_Context)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_FirstFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The files that took longest, in the mean over the loads (a file a load reads twice counts
// twice), with their part.
void PrintSlowestFiles(size_t count) {
  std::vector<std::pair<double, std::pair<std::string, std::string>>> files;
  for (const auto& [key, ms] : g_fileMs) files.push_back({ms, key});
  std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  std::printf("the slowest files, mean processor milliseconds a load:\n");
  const std::string prefix = std::string(TESSERA_GAME_DIR) + "/";
  for (size_t i = 0; i < files.size() && i < count; ++i) {
    std::string name = files[i].second.second;
    if (name.compare(0, prefix.size(), prefix) == 0) name = name.substr(prefix.size());
    std::printf("  %7.3f ms  %-15s %s\n", files[i].first, files[i].second.first.c_str(), name.c_str());
  }
}

// The game's start script shows its welcome message, which a headless run writes to standard
// error on every load; it is sent to /dev/null while the benchmarks run.
int g_savedStderr = -1;
void QuietStderr(bool quiet) {
  std::fflush(stderr);
  if (quiet) {
    g_savedStderr = dup(2);
    int null = open("/dev/null", O_WRONLY);
    if (null >= 0) {
      dup2(null, 2);
      close(null);
    }
  } else if (g_savedStderr >= 0) {
    dup2(g_savedStderr, 2);
    close(g_savedStderr);
    g_savedStderr = -1;
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (int status = bench::OpenWindow("bench_startup")) return status;
  eng::LoadTimingEnable(true, ThreadCpuMs);
  if (!bench::LoadDemoContent("bench_startup", [] {
        ResetLoadedGame();
        LoadGame();
      }))
    return 1;

  QuietStderr(true);
  benchmark::RunSpecifiedBenchmarks();
  QuietStderr(false);

  const Summary& s = g_summary;
  if (s.loadMs > 0.0) {
    std::printf("\nthe game's own part: %.2f ms a load (goal under 50 ms), of which %.2f ms this thread's "
                "processor time; the parts in processor time:\n", s.loadMs, s.loadCpuMs);
    for (const std::string& part : s.partOrder)
      std::printf("  %-16s %7.2f ms\n", part.c_str(), s.partMs.at(part));
    std::printf("  a load waited %.1f times and was preempted %.1f times (the gap between its wall and "
                "processor time)\n", s.waits, s.preemptions);
  }
  if (!g_fileMs.empty()) PrintSlowestFiles(15);
  if (s.contextMs > 0.0)
    std::printf("the driver's part: window and GL context %.2f ms; first frame %.2f ms against %.2f ms for the "
                "next (%.2f ms of shader compiling)\n",
                s.contextMs, s.firstFrameMs, s.laterFrameMs, s.firstFrameMs - s.laterFrameMs);
  if (s.loadMs > 0.0 && s.contextMs > 0.0)
    std::printf("ratio game load / context (wall time): %.2f\n", s.loadMs / s.contextMs);
  benchmark::Shutdown();
  return 0;
}
