// The AI's turn: the rest test, the calm-tick counter, one order per tick, the end of the turn.
#include "game/actors/ai.h"

#include <cstdlib>

#include "game/actors/bullets.h"
#include "game/actors/creatures.h"
#include "game/actors/movement.h"
#include "game/core/players.h"

namespace game {

namespace {

TAiState g_ai;

// Nothing may move while the AI decides: every living creature stands and no bullet flies.
bool AtRest() {
  bool anyAlive = false;
  for (const TCreature& c : CreatureLists().Creatures) {
    if (!c.Alive) continue;
    anyAlive = true;
    if (c.State != StateStand) return false;
  }
  return !(anyAlive && !BulletLists().Bullets.empty());
}

// Whether the order just given set something going: a walk, a shot, or a blow on the next tick.
bool OrderStarted(int32_t index) {
  const TCreature& c = CreatureLists().Creatures[static_cast<size_t>(index)];
  if (c.State == StateWalk || c.State == StateShot) return true;
  return c.State == StateStand && c.HasOrder && CreatureCanStrike(index);
}

// The distance-map value beside the nearest enemy of creature `index` (10000: none reachable) and
// that enemy's tile, from the distance map just built for it.
int32_t NearestEnemy(int32_t index, int32_t* goalX, int32_t* goalY) {
  const std::vector<TCreature>& all = CreatureLists().Creatures;
  const TCreature& cr = all[static_cast<size_t>(index)];
  const auto& dm = Movement().DistanceMap;
  int32_t best = 10000;
  *goalX = 0;
  *goalY = 0;
  for (const TCreature& enemy : all) {
    if (!enemy.Alive || AreAllies(cr.Owner, enemy.Owner)) continue;
    int32_t x = enemy.TileX, y = enemy.TileY;
    AdjustRouteTarget(&x, &y, false);
    int32_t v = dm[x][y];
    if (v > 0 && v < best) {  // ties keep the earlier enemy
      best = v;
      *goalX = enemy.TileX;
      *goalY = enemy.TileY;
    }
  }
  return best;
}

// Whether a living enemy of creature `index` stands on its tile or straight next to it: only then
// can the adjusted tile beside an enemy be the creature's own, the one tile of distance 1.
bool EnemyBeside(int32_t index) {
  const std::vector<TCreature>& all = CreatureLists().Creatures;
  const TCreature& cr = all[static_cast<size_t>(index)];
  for (const TCreature& enemy : all) {
    if (!enemy.Alive || AreAllies(cr.Owner, enemy.Owner)) continue;
    if (std::abs(int64_t(enemy.TileX) - cr.TileX) + std::abs(int64_t(enemy.TileY) - cr.TileY) <= 1) return true;
  }
  return false;
}

}  // namespace

TAiState& AiState() { return g_ai; }

void AiTick() {
  const TPlayersState& players = PlayerTable();
  if (!players.TurnBased || CurrentPlayerHuman()) return;
  if (!AtRest()) {
    g_ai.AiCalmTicks = 0;
    return;
  }
  g_ai.AiCalmTicks += 1;
  if (g_ai.AiCalmTicks == 1) return;  // the first calm tick only waits

  std::vector<TCreature>& all = CreatureLists().Creatures;
  if (g_ai.DoneTurn != players.TurnsEnded || g_ai.Done.size() != all.size()) {
    g_ai.Done.assign(all.size(), false);
    g_ai.DoneTurn = players.TurnsEnded;
  }
  for (size_t i = 0; i < all.size(); ++i) {
    const TCreature& cr = all[i];
    if (!cr.Alive || cr.Owner != players.CurrentPlayer || g_ai.Done[i]) continue;
    // These are passed over whatever the distances say, so they need no wave.
    if (cr.AtackPoints == 0 && (cr.Shots > 0 || cr.MovePoints <= 0)) continue;
    const int32_t index = static_cast<int32_t>(i);
    // Without move points only a blow or a shot at an enemy beside it remains; at the end of a
    // turn most creatures are here, and a wave for each would make that tick the slowest of all.
    if (cr.MovePoints <= 0 && !EnemyBeside(index)) continue;
    BuildDistanceMapToNearestEnemy(index);
    int32_t goalX = 0, goalY = 0;
    int32_t best = NearestEnemy(index, &goalX, &goalY);
    if (best == 10000 || (best == 1 && cr.AtackPoints == 0) || (best > 1 && cr.MovePoints <= 0)) continue;
    // Nothing the wave depends on changes before the order builds its own map.
    KeepDistanceMapFor(index);
    OrderCreature(index, goalX, goalY);
    KeepDistanceMapFor(-1);
    if (OrderStarted(index)) return;  // one order per tick
    g_ai.Done[i] = true;
  }
  if (g_ai.AiCalmTicks >= 3) {
    g_ai.AiCalmTicks = 0;
    EndTurn();
  }
}

void AiReset() { g_ai = TAiState{}; }

}  // namespace game
