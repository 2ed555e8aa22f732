// tessera-check: loads a game folder's definition files and map the way the game does, without a
// window, compiles every script, and lists every problem as FILE:LINE:COL: message.
#include <cstdio>
#include <string>

#include "game/core/game_data.h"
#include "game/world/diagnostics.h"

namespace {

const char kUsage[] =
    "usage: tessera-check [--map FILE] [GAME_DIR]\n"
    "Checks the game folder GAME_DIR (default: the current directory): its Data/ definition files,\n"
    "the map (maps/proba.map, or FILE relative to GAME_DIR) and every script they carry.\n"
    "Exit status: 0 no problem, 1 problems found (listed on standard output), 2 usage.\n";

}  // namespace

int main(int argc, char** argv) {
  std::string gameDir = ".";
  std::string mapFile = "maps/proba.map";
  bool dirGiven = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--map" && i + 1 < argc) {
      mapFile = argv[++i];
    } else if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (!arg.empty() && arg[0] != '-' && !dirGiven) {
      gameDir = arg;
      dirGiven = true;
    } else {
      std::fputs(kUsage, stderr);
      return 2;
    }
  }

  game::DiagnosticsSetEcho(false);
  size_t count = game::CheckGameData(gameDir, mapFile);
  for (const game::TProblem& problem : game::Problems()) {
    game::TProblem shown = problem;
    if (shown.File.rfind("./", 0) == 0) shown.File.erase(0, 2);
    std::printf("%s\n", game::FormatProblem(shown).c_str());
  }
  if (count > 0) std::fprintf(stderr, "tessera-check: %zu problem%s\n", count, count == 1 ? "" : "s");
  return count > 0 ? 1 : 0;
}
