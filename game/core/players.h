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

// Back to the state at process start (tests).
void PlayersReset();

}  // namespace game
