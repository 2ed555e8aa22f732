// The player table, turns and the switch to turn-based play.
#include "game/core/players.h"

#include "game/actors/ai.h"
#include "game/actors/creatures.h"
#include "game/gui/gui.h"
#include "game/script/script_host.h"

namespace game {

namespace {

TPlayersState g_players;

bool OwnsLivingCreature(uint8_t player) {
  for (const TCreature& c : CreatureLists().Creatures)
    if (c.Alive && c.Owner == player) return true;
  return false;
}

bool AnyCreatureWalks() {
  for (const TCreature& c : CreatureLists().Creatures)
    if (c.Alive && c.State == StateWalk) return true;
  return false;
}

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
  g_players.TurnsEnded = 0;
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

void EndTurn() {
  // With nobody owning a living creature the same player is current again after four advances.
  for (int tries = 0; tries < PlayerCount; ++tries) {
    g_players.CurrentPlayer = static_cast<uint8_t>((g_players.CurrentPlayer + 1) % PlayerCount);
    if (OwnsLivingCreature(g_players.CurrentPlayer)) break;
  }
  ++g_players.TurnsEnded;
  AiState().AiCalmTicks = 0;
  // Shots and health are never refilled.
  for (TCreature& c : CreatureLists().Creatures) {
    if (!c.Alive || c.Owner != g_players.CurrentPlayer) continue;
    c.MovePoints = c.MovePointsMax;
    c.AtackPoints = c.AtackPointsMax;
  }
  const TPlayer& player = g_players.Players[g_players.CurrentPlayer];
  const std::vector<TCreature>& all = CreatureLists().Creatures;
  if (player.Human && player.SelectedCreature >= 0 && static_cast<size_t>(player.SelectedCreature) < all.size()) {
    ScriptContext().CurrentCreatureID = all[static_cast<size_t>(player.SelectedCreature)].ID;
    GUI_FireEvent("SelCr");
  }
  // The new player's windows appear and the old one's close at once.
  GUI_Draw();
  GUI_Update();
}

void SetTurnBasedMode(bool on) {
  if (!on) {
    g_players.TurnBased = false;
    return;
  }
  if (g_players.TurnBased || g_players.WaitingForStop) return;
  GUI_FireEvent("TurnBasedMode");
  bool walking = false;
  for (TCreature& c : CreatureLists().Creatures) {
    if (!c.Alive || c.State != StateWalk) continue;
    c.RouteX = c.NextX;  // the walk ends on the tile being stepped onto
    c.RouteY = c.NextY;
    // NOTE: a walker after a target would take the target's tile as its route again on that tile
    // and walk on; without the target its walk really ends there.
    c.Target = -1;
    walking = true;
  }
  if (walking)
    g_players.WaitingForStop = true;
  else
    g_players.TurnBased = true;
}

void TurnBasedSwitchOver() {
  if (!g_players.WaitingForStop || AnyCreatureWalks()) return;
  g_players.WaitingForStop = false;
  g_players.TurnBased = true;
}

void PlayersReset() { g_players = TPlayersState{}; }

}  // namespace game
