// One game tick during a busy AI turn (picking, the world update, the AI's decision, the switch
// to turn-based play) on a generated 100 x 100 map with 3,000 walls and 200 creatures, with the
// breadth-first distance map and, in the same run, with the pass scan it replaced. Each tick is
// timed on the thread's CPU clock; after the table come the 99th percentile and the mean of all
// ticks, of the ticks in which the AI decides (where the distance maps are built), of the deciding
// ticks that end a turn of spent move points and of the ticks that build no distance map at all
// (which both builders play alike), their ratios, and the ratio of the distance map alone. The
// pass-scan tick is the tick as first written: it builds every map it asks for in full, while
// ours stops the AI's wave beside the nearest enemy and keeps it for the order that follows it
// where the target cannot change it.
#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "game/actors/ai.h"
#include "game/actors/bullets.h"
#include "game/actors/creatures.h"
#include "game/actors/effects.h"
#include "game/actors/movement.h"
#include "game/actors/movement_oracle.h"
#include "game/actors/walls.h"
#include "game/core/camera.h"
#include "game/core/game_core.h"
#include "game/core/game_data.h"
#include "game/core/players.h"
#include "game/world/registry.h"

namespace {

constexpr int kWalls = 3000;
constexpr int kCreatures = 200;
constexpr int kTicksPerRun = 1000;

struct TWorld {
  std::vector<game::TCreature> creatures;
  game::TPlayersState players;
  game::TAiState ai;
  game::TBulletLists bullets;
  game::TEffectLists effects;
};

TWorld g_start;
std::vector<double> g_ticks[2];      // microseconds per tick: 0 the queue, 1 the pass scan
std::vector<double> g_decisions[2];  // the same, of the ticks that began at rest in the AI's turn
std::vector<double> g_turnEnd[2];    // the deciding ticks at the end of a turn of spent move points
std::vector<double> g_noMap[2];      // the ticks that built no distance map at all

double ThreadMicroseconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_nsec) / 1e3;
}

// The demo's kinds on a 100 x 100 map: stone walls scattered at random, the blue squad (the
// human's) in the west half and the red squad and beasts (the AI's) in the east half; the AI's
// turn in turn-based play, the cursor over the middle of the map.
void BuildWorld() {
  game::Core().AppDir = std::string(TESSERA_GAME_DIR) + "/";
  game::PlugKindLoaders();
  game::LoadKinds();
  game::PlayersStart();
  game::CameraStart();
  game::Registry().MapWidth = 99;
  game::Registry().MapHeight = 99;
  std::mt19937 random(7);
  std::uniform_int_distribution<int32_t> tile(0, 99);
  for (int placed = 0; placed < kWalls;)
    if (game::CreateWall("Stone", tile(random), tile(random), 0.0f, 0) != 0) ++placed;
  const char* kinds[3] = {"Blue Soldier", "Red Soldier", "Beast"};
  for (int placed = 0; placed < kCreatures;) {
    bool human = placed < kCreatures / 2;
    int32_t x = human ? tile(random) / 2 : 50 + tile(random) / 2, y = tile(random);
    bool onWall = false;
    for (const game::TWall& w : game::ReadWallLists().Walls) onWall = onWall || (w.X == x && w.Y == y);
    if (onWall) continue;
    uint16_t id = game::CreateCreature(kinds[human ? 0 : 1 + placed % 2], x, y, 0.0f);
    if (id == 0) continue;
    game::CreatureLists().Creatures.back().Owner = human ? 0 : 1;
    ++placed;
  }
  game::PlayerTable().TurnBased = true;
  game::PlayerTable().CurrentPlayer = 1;
  eng::TVec3 eye = game::GmCamera().Camera.Position;
  game::Core().CursorWorldPoint = eye + (eng::TVec3{100.0f, 0.0f, 100.0f} - eye) * 3.0f;
  g_start = {game::CreatureLists().Creatures, game::PlayerTable(), game::AiState(), game::BulletLists(),
             game::EffectLists()};
}

void Restore() {
  game::CreatureLists().Creatures = g_start.creatures;
  game::PlayerTable() = g_start.players;
  game::AiState() = g_start.ai;
  game::BulletLists() = g_start.bullets;
  game::EffectLists() = g_start.effects;
}

// What drawing leaves for picking: each creature's model matrix where it stands.
void PlaceMatrices() {
  for (game::TCreature& c : game::CreatureLists().Creatures) c.Matrix = game::CreatureMatrix(c, c.WorldX, c.WorldZ);
}

void Tick() {
  game::PickFloorTile(game::GmCamera().Camera.Position);
  game::UpdateWorld();
  game::AiTick();
  game::TurnBasedSwitchOver();
}

// One tick after drawing has placed the models: its CPU time in microseconds, and whether the AI
// decided in it (after a calm tick of the AI's turn it does).
double TimedTick(bool* decides, bool* builtMap) {
  PlaceMatrices();
  *decides = game::AiState().AiCalmTicks >= 1;
  const uint64_t maps = game::Movement().DistanceMapsBuilt;
  double before = ThreadMicroseconds();
  Tick();
  double spent = ThreadMicroseconds() - before;
  *builtMap = game::Movement().DistanceMapsBuilt != maps;
  return spent;
}

// Plays kTicksPerRun ticks from the start of the AI's turn, each run from the same world, with the
// distance map of the benchmark's argument. With `turnEnd`, the AI's creatures have spent their
// move points: every calm tick tries each of them, the turn ends when none can act, and only the
// ticks in which the AI decides are kept.
void PlayTicks(benchmark::State& state, bool turnEnd) {
  const int variant = static_cast<int>(state.range(0));
  game::SetDistanceMapBuilder(variant == 0 ? nullptr : game::BuildDistanceMapPassScan);
  for (auto _ : state) {
    state.PauseTiming();
    Restore();
    if (turnEnd)
      for (game::TCreature& c : game::CreatureLists().Creatures)
        if (c.Owner == 1) c.MovePoints = 0;
    state.ResumeTiming();
    for (int t = 0; t < kTicksPerRun && game::PlayerTable().CurrentPlayer == 1; ++t) {
      bool decides = false, builtMap = false;
      double spent = TimedTick(&decides, &builtMap);
      if (turnEnd) {
        if (decides) g_turnEnd[variant].push_back(spent);
        continue;
      }
      g_ticks[variant].push_back(spent);
      if (decides) g_decisions[variant].push_back(spent);
      if (!builtMap) g_noMap[variant].push_back(spent);
    }
  }
  game::SetDistanceMapBuilder(nullptr);
}

void BM_Tick(benchmark::State& state) { PlayTicks(state, false); }
BENCHMARK(BM_Tick)->Arg(0)->Arg(1)->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_TurnEnd(benchmark::State& state) { PlayTicks(state, true); }
BENCHMARK(BM_TurnEnd)->Arg(0)->Arg(1)->Iterations(5)->Unit(benchmark::kMillisecond);

// The distance map alone: the full wave of every 10th creature of the start, by either builder.
void BM_DistanceMap(benchmark::State& state) {
  Restore();
  const int32_t count = static_cast<int32_t>(game::CreatureLists().Creatures.size());
  for (auto _ : state) {
    for (int32_t i = 0; i < count; i += 10) {
      if (state.range(0) == 0)
        game::BuildDistanceMapQueue(i, -1, -1);
      else
        game::BuildDistanceMapPassScan(i, -1, -1);
    }
    benchmark::DoNotOptimize(game::Movement().DistanceMap[50][50]);
  }
}
BENCHMARK(BM_DistanceMap)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Both builders must play the same turn, or the comparison means nothing.
bool SameTurnByBothBuilders() {
  std::vector<game::TCreature> after[2];
  for (int variant = 0; variant < 2; ++variant) {
    game::SetDistanceMapBuilder(variant == 0 ? nullptr : game::BuildDistanceMapPassScan);
    Restore();
    for (int t = 0; t < 300; ++t) {
      PlaceMatrices();
      Tick();
    }
    after[variant] = game::CreatureLists().Creatures;
  }
  game::SetDistanceMapBuilder(nullptr);
  for (size_t i = 0; i < after[0].size(); ++i) {
    const game::TCreature &a = after[0][i], &b = after[1][i];
    if (a.TileX != b.TileX || a.TileY != b.TileY || a.State != b.State || a.Health != b.Health) return false;
  }
  return true;
}

double Percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  size_t at = static_cast<size_t>(p * static_cast<double>(values.size() - 1));
  return values[at];
}

double Mean(const std::vector<double>& values) {
  double sum = 0.0;
  for (double v : values) sum += v;
  return values.empty() ? 0.0 : sum / static_cast<double>(values.size());
}

// Keeps each benchmark's CPU time per iteration for the ratio after the table.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      if (!run.error_occurred && run.iterations > 0) times[run.benchmark_name()] = run.GetAdjustedCPUTime();
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> times;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  BuildWorld();
  if (!SameTurnByBothBuilders()) {
    std::fprintf(stderr, "the two distance maps play different turns\n");
    return 1;
  }
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const char* names[2] = {"queue", "pass scan"};
  for (const auto& [what, ticks] :
       {std::pair{"every tick", g_ticks}, std::pair{"AI decides", g_decisions}, std::pair{"turn's end", g_turnEnd},
        std::pair{"no map", g_noMap}}) {
    for (int v = 0; v < 2; ++v)
      std::printf("%-10s with the %-9s: %5zu ticks, mean %7.1f us, p99 %7.1f us, max %7.1f us\n", what, names[v],
                  ticks[v].size(), Mean(ticks[v]), Percentile(ticks[v], 0.99),
                  ticks[v].empty() ? 0.0 : *std::max_element(ticks[v].begin(), ticks[v].end()));
    if (!ticks[0].empty() && !ticks[1].empty())
      std::printf("%-10s ratio pass scan / queue: mean %.1f, p99 %.1f (above 1: the queue is faster)\n", what,
                  Mean(ticks[1]) / Mean(ticks[0]), Percentile(ticks[1], 0.99) / Percentile(ticks[0], 0.99));
  }
  auto queue = reporter.times.find("BM_DistanceMap/0"), scan = reporter.times.find("BM_DistanceMap/1");
  if (queue != reporter.times.end() && scan != reporter.times.end())
    std::printf("distance map alone ratio pass scan / queue: %.1f\n", scan->second / queue->second);
  benchmark::Shutdown();
  return 0;
}
