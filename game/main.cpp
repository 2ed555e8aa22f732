// The command line of the game. With no options the game runs exactly as it is played; the options
// serve tests, tools and diagnosis.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "game/core/game_core.h"

namespace {

const char kUsage[] =
    "usage: tessera [options]\n"
    "  --headless         show no message boxes (they go to standard error); for virtual displays\n"
    "  --ticks N          end after N game ticks (16 ms each)\n"
    "  --screenshot [TICK:]FILE\n"
    "                     write the last frame (or the frame after game tick TICK) to FILE as PNG;\n"
    "                     repeatable\n"
    "  --input FILE       replay recorded input from FILE\n"
    "  --record FILE      record the input to FILE\n"
    "  --fixed-clock      advance the clock by fixed steps: deterministic, faster than real time\n"
    "  --seed N           seed the random numbers with N instead of the clock\n"
    "  --log              write the engine's log file log.txt\n"
    "  --map FILE         load FILE instead of maps/proba.map\n"
    "  --autoplay         the AI plays every player, turn-based from the start\n"
    "  --draw-every N     with --fixed-clock, draw only every Nth frame (and the captured ones)\n"
    "  --dump-state [TICK:]FILE\n"
    "                     write the game state at the end (or after game tick TICK) to FILE as\n"
    "                     text (docs/state-dump.md); repeatable\n"
    "  --help             show this text\n"
    "The game reads Data/ and maps/ from the current directory and takes file names relative to it\n"
    "(./run.sh takes them from the folder it was started in).\n"
    "Exit status: 0; 1 the game could not start, or a file it was to write could not be written;\n"
    "2 an option or a recording it cannot use.\n";

// 64 bits whatever the system's long: a seed may use all 32 of its bits.
bool ParseNumber(const char* text, long long* value) {
  char* end = nullptr;
  *value = std::strtoll(text, &end, 10);
  return end != text && *end == '\0';
}

}  // namespace

// In sanitizer builds: the GL driver is unloaded before the leak check runs, so its allocations
// cannot be told apart from ours and would fail every run. The unit tests keep the leak check.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }

int main(int argc, char** argv) {
  game::GameOptions options;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&](const char* what) -> const char* {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "tessera: %s needs %s\n%s", arg.c_str(), what, kUsage);
        std::exit(2);
      }
      return argv[++i];
    };
    long long number = 0;
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (arg == "--headless") {
      options.headless = true;
    } else if (arg == "--ticks") {
      if (!ParseNumber(value("a number"), &number) || number < 1 || number > 0x7FFFFFFF) {
        std::fprintf(stderr, "tessera: --ticks needs a number from 1 up\n");
        return 2;
      }
      options.ticks = static_cast<long>(number);
    } else if (arg == "--screenshot" || arg == "--dump-state") {
      game::TTimedFile file;
      if (!game::ParseTimedFile(value("a file name"), &file)) {
        std::fprintf(stderr, "tessera: %s needs FILE or TICK:FILE with a tick from 1 up\n", arg.c_str());
        return 2;
      }
      (arg == "--screenshot" ? options.screenshots : options.dumps).push_back(file);
    } else if (arg == "--input") {
      options.input = value("a file name");
    } else if (arg == "--record") {
      options.record = value("a file name");
    } else if (arg == "--fixed-clock") {
      options.fixedClock = true;
    } else if (arg == "--seed") {
      if (!ParseNumber(value("a number"), &number) || number < 0 || number > 0xFFFFFFFFLL) {
        std::fprintf(stderr, "tessera: --seed needs a number from 0 to 4294967295\n");
        return 2;
      }
      options.seeded = true;
      options.seed = static_cast<uint32_t>(number);
    } else if (arg == "--log") {
      options.log = true;
    } else if (arg == "--map") {
      options.map = value("a file name");
    } else if (arg == "--autoplay") {
      options.autoplay = true;
    } else if (arg == "--draw-every") {
      if (!ParseNumber(value("a number"), &number) || number < 1 || number > 1000000) {
        std::fprintf(stderr, "tessera: --draw-every needs a number from 1 to 1000000\n");
        return 2;
      }
      options.drawEvery = static_cast<long>(number);
    } else {
      std::fprintf(stderr, "tessera: unknown option %s\n%s", arg.c_str(), kUsage);
      return 2;
    }
  }
  if (options.drawEvery > 1 && !options.fixedClock) {
    std::fprintf(stderr, "tessera: --draw-every works only with --fixed-clock\n");
    return 2;
  }
  return game::GameMain(options);
}
