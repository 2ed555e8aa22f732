// The player table: four players, each human or played by the computer, with a side (equal sides
// are allies) and a selected creature; which player's turn it is, and the turn-based flags.
#pragma once

#include <array>
#include <cstdint>

namespace game {

constexpr int32_t PlayerCount = 4;

struct TPlayer {
  bool Human = false;              // orders come from the mouse; otherwise from the AI
  uint8_t Side = 0;                // equal sides are allies
  int32_t SelectedCreature = -1;   // index into the creature list; -1 none
};

struct TPlayersState {
  std::array<TPlayer, PlayerCount> Players{};
  uint8_t CurrentPlayer = 0;
  bool TurnBased = false;
  bool WaitingForStop = false;     // turn-based play asked for; walkers finish their step
  uint32_t TurnsEnded = 0;         // EndTurn calls so far (the AI's per-turn marks; the state dump)
};

TPlayersState& PlayerTable();

// The load-time table: player 0 human side 0, 1 computer side 1, 2 computer side 0, 3 human
// side 0; nobody selected; player 0's turn, real-time play.
void PlayersStart();
// The player record of an owner byte, or null for an owner outside 0..3.
TPlayer* PlayerOf(uint8_t owner);
// Whether the creatures of two owners are allies: the same owner, or two players of one side.
// An owner outside the table has no side and so no ally but itself.
bool AreAllies(uint8_t ownerA, uint8_t ownerB);
// Whether the current player is human.
bool CurrentPlayerHuman();

// Passes the turn to the next player, in order, that owns a living creature (at most four
// tries), refills the move and action points of that player's living creatures, fires "SelCr"
// for a human player with a selected creature, then lets the GUI draw and update once.
void EndTurn();
// On: fires "TurnBasedMode" and switches to turn-based play, at once when no creature walks,
// else once the walkers have finished the step under way (WaitingForStop). Only the first call
// does anything. Off: leaves turn-based play.
void SetTurnBasedMode(bool on);
// The tick's switch-over: while waiting, turn-based play begins in the first tick in which no
// living creature walks.
void TurnBasedSwitchOver();

// Back to the state at process start (tests).
void PlayersReset();

}  // namespace game
