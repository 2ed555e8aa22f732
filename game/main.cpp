// The command line of the game. With no options the game runs exactly as it is played; the options
// serve tests, tools and diagnosis.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/data_file.h"
#include "game/core/game_core.h"
#include "game/world/defs.h"

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

// A whole decimal number from 0 to `largest`: digits only (no sign, blank or "0x"), so that
// "-1", " 5" or "5s" are refused instead of read as something else.
bool ParseNumber(const char* text, uint64_t largest, uint64_t* value) {
  uint64_t v = 0;
  if (*text == '\0') return false;
  for (const char* p = text; *p; ++p) {
    if (*p < '0' || *p > '9') return false;
    v = v * 10 + static_cast<uint64_t>(*p - '0');
    if (v > largest) return false;
  }
  *value = v;
  return true;
}

// An input file named on the command line must be a regular file: a directory or a FIFO is
// refused here, with the option named, before a window opens.
bool RegularInput(const char* option, const std::string& path) {
  eng::DataFileResult file = eng::CheckDataFile(path, eng::MaxMapFileBytes);
  // A missing file is the game's own start-up error, which names the file.
  if (file.Status == eng::DataFileStatus::Ok || file.Status == eng::DataFileStatus::Missing) return true;
  std::fprintf(stderr, "tessera: %s %s: %s\n", option, path.c_str(), file.Reason.c_str());
  return false;
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
      if (i + 1 >= argc || argv[i + 1][0] == '\0') {
        std::fprintf(stderr, "tessera: %s needs %s\n%s", arg.c_str(), what, kUsage);
        std::exit(2);
      }
      return argv[++i];
    };
    uint64_t number = 0;
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (arg == "--headless") {
      options.headless = true;
    } else if (arg == "--ticks") {
      if (!ParseNumber(value("a number"), INT32_MAX, &number) || number < 1) {
        std::fprintf(stderr, "tessera: --ticks needs a number from 1 to %d\n", INT32_MAX);
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
      if (!RegularInput("--input", options.input)) return 2;
    } else if (arg == "--record") {
      options.record = value("a file name");
    } else if (arg == "--fixed-clock") {
      options.fixedClock = true;
    } else if (arg == "--seed") {
      if (!ParseNumber(value("a number"), UINT32_MAX, &number)) {
        std::fprintf(stderr, "tessera: --seed needs a number from 0 to 4294967295\n");
        return 2;
      }
      options.seeded = true;
      options.seed = static_cast<uint32_t>(number);
    } else if (arg == "--log") {
      options.log = true;
    } else if (arg == "--map") {
      options.map = value("a file name");
      if (!RegularInput("--map", game::ResolvePathCase(options.map))) return 2;
    } else if (arg == "--autoplay") {
      options.autoplay = true;
    } else if (arg == "--draw-every") {
      if (!ParseNumber(value("a number"), 1000000, &number) || number < 1) {
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
