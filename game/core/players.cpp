// The player table.
#include "game/core/players.h"

namespace game {

namespace {

TPlayersState g_players;

}  // namespace

TPlayersState& PlayerTable() { return g_players; }

void PlayersStart() {
  g_players.Players[0] = {true, 0, -1};
  g_players.Players[1] = {false, 1, -1};
  g_players.Players[2] = {false, 0, -1};
  g_players.Players[3] = {true, 0, -1};
  g_players.CurrentPlayer = 0;
  g_players.TurnBased = false;
  g_players.WaitingForStop = false;
}

TPlayer* PlayerOf(uint8_t owner) {
  return owner < PlayerCount ? &g_players.Players[owner] : nullptr;
}

bool AreAllies(uint8_t ownerA, uint8_t ownerB) {
  if (ownerA == ownerB) return true;
  const TPlayer* a = PlayerOf(ownerA);
  const TPlayer* b = PlayerOf(ownerB);
  return a != nullptr && b != nullptr && a->Side == b->Side;
}

bool CurrentPlayerHuman() {
  const TPlayer* player = PlayerOf(g_players.CurrentPlayer);
  return player != nullptr && player->Human;
}

void PlayersReset() { g_players = TPlayersState{}; }

}  // namespace game
