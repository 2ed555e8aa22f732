// tessera-probe: loads the kinds and a map the way the game does, without a window, and answers
// queries about them with the game's own rules: why a creature cannot reach or shoot a tile.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "game/actors/creatures.h"
#include "game/actors/movement.h"
#include "game/core/camera.h"
#include "game/core/fatal.h"
#include "game/core/game_core.h"
#include "game/core/game_data.h"
#include "game/world/registry.h"

namespace {

const char kUsage[] =
    "usage: tessera-probe --data DIR MAP QUERY...\n"
    "Loads the kinds under DIR/Data and the map MAP (relative to DIR unless absolute) as the game\n"
    "does, and answers each query on its own lines:\n"
    "  distance ID [TX TY]  the distance map of the creature with that ID (toward TX TY): one row\n"
    "                       per tile Y, the values for tile X = 0.. separated by blanks\n"
    "                       (-1 wall, -2 ally, -3 enemy, 0 not reached, 1 the creature's tile)\n"
    "  adjust ID X Y DIAG   the tile a creature heads for when ordered onto blocked tile X Y\n"
    "                       (DIAG 1: diagonal neighbours allowed)\n"
    "  shot X Y RANGE       the shot map of a shooter on X Y: 1 can be shot at, -1 wall\n"
    "  order ID X Y         what ordering that creature to X Y starts, in real-time play:\n"
    "                       state S route RX RY next NX NY angle A target T atackpoints AP shots SH\n"
    "  pick X Y             the floor tile under window pixel X Y of an 800 x 600 window at the\n"
    "                       start camera (10000 10000: none)\n"
    "Queries do not change what later queries see. Exit status: 0 answered, 1 the data or a\n"
    "creature ID is wrong, 2 usage.\n";

int Usage(const std::string& why) {
  std::fprintf(stderr, "tessera-probe: %s\n%s", why.c_str(), kUsage);
  return 2;
}

bool ParseInt(const std::string& text, long* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  *value = std::strtol(text.c_str(), &end, 10);
  return *end == '\0' && *value >= -1000000 && *value <= 1000000;
}

// The arguments of a query: exactly `count` numbers must follow.
bool TakeNumbers(const std::vector<std::string>& args, size_t* at, size_t count, std::vector<int32_t>* out) {
  out->clear();
  for (size_t k = 0; k < count; ++k) {
    long v = 0;
    if (*at + k >= args.size() || !ParseInt(args[*at + k], &v)) return false;
    out->push_back(static_cast<int32_t>(v));
  }
  *at += count;
  return true;
}

void PrintGrid(const int32_t (&grid)[game::GridSize][game::GridSize]) {
  const game::TRegistry& reg = game::Registry();
  for (int32_t y = 0; y <= reg.MapHeight; ++y) {
    std::string row;
    for (int32_t x = 0; x <= reg.MapWidth; ++x) {
      if (x > 0) row += ' ';
      row += std::to_string(grid[x][y]);
    }
    std::printf("%s\n", row.c_str());
  }
}

int CreatureIndex(int32_t id) {
  int32_t index = id >= 0 && id <= 65535 ? game::FindCreature(static_cast<uint16_t>(id)) : -1;
  if (index < 0) std::fprintf(stderr, "tessera-probe: no creature has ID %d\n", id);
  return index;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  for (const std::string& arg : args) {
    if (arg != "--help" && arg != "-h") continue;
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (args.size() < 3 || args[0] != "--data") return Usage("needs --data DIR MAP and queries");
  try {
    std::string message = game::LoadGameData(args[1], args[2]);
    if (!message.empty()) std::fprintf(stderr, "tessera-probe: %s: %s\n", args[2].c_str(), message.c_str());
  } catch (const game::FatalError& e) {
    std::string where = e.file();
    if (e.line() > 0) where += ":" + std::to_string(e.line());
    std::fprintf(stderr, "tessera-probe: %s%s%s\n", where.c_str(), where.empty() ? "" : ": ", e.what());
    return 1;
  }
  if (args.size() == 3) return Usage("no query");

  game::TMovementState& move = game::Movement();
  std::vector<int32_t> n;
  for (size_t at = 3; at < args.size();) {
    const std::string query = args[at++];
    if (query == "distance") {
      if (!TakeNumbers(args, &at, 1, &n)) return Usage("distance needs ID [TX TY]");
      int32_t target[2] = {-1, -1};
      std::vector<int32_t> t;
      if (TakeNumbers(args, &at, 2, &t)) {
        target[0] = t[0];
        target[1] = t[1];
      }
      int index = CreatureIndex(n[0]);
      if (index < 0) return 1;
      game::BuildDistanceMap(index, target[0], target[1]);
      PrintGrid(move.DistanceMap);
    } else if (query == "adjust") {
      if (!TakeNumbers(args, &at, 4, &n) || (n[3] != 0 && n[3] != 1)) return Usage("adjust needs ID X Y DIAG (0 or 1)");
      int index = CreatureIndex(n[0]);
      if (index < 0) return 1;
      int32_t x = n[1], y = n[2];
      game::BuildDistanceMap(index, x, y);
      game::AdjustRouteTarget(&x, &y, n[3] == 1);
      std::printf("%d %d\n", x, y);
    } else if (query == "shot") {
      if (!TakeNumbers(args, &at, 3, &n)) return Usage("shot needs X Y RANGE");
      game::BuildShotMap(n[0], n[1], n[2]);
      PrintGrid(move.ShotMap);
    } else if (query == "order") {
      if (!TakeNumbers(args, &at, 3, &n)) return Usage("order needs ID X Y");
      int index = CreatureIndex(n[0]);
      if (index < 0) return 1;
      std::vector<game::TCreature> before = game::CreatureLists().Creatures;
      game::OrderCreature(index, n[1], n[2]);
      const game::TCreature& c = game::CreatureLists().Creatures[static_cast<size_t>(index)];
      std::printf("state %d route %d %d next %d %d angle %.4f target %d atackpoints %d shots %d\n", c.State, c.RouteX,
                  c.RouteY, c.NextX, c.NextY, static_cast<double>(c.Angle), c.Target, c.AtackPoints, c.Shots);
      game::CreatureLists().Creatures = std::move(before);
    } else if (query == "pick") {
      if (!TakeNumbers(args, &at, 2, &n)) return Usage("pick needs X Y");
      game::Core().CursorWorldPoint = game::UnprojectWindowPixel(n[0], n[1], 800, 600);
      game::PickFloorTile(game::GmCamera().Camera.Position);
      std::printf("%d %d\n", game::Core().CursorTileX, game::Core().CursorTileY);
    } else {
      return Usage("unknown query '" + query + "'");
    }
  }
  return 0;
}
