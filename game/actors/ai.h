// The AI: plays the turns of the players that are not human, one order at a time through the same
// OrderCreature as the mouse, and ends the turn when none of its creatures can do anything more.
#pragma once

#include <cstdint>
#include <vector>

namespace game {

struct TAiState {
  int32_t AiCalmTicks = 0;      // consecutive ticks of the AI's turn in which nothing moved
  uint32_t DoneTurn = 0;        // the turn (TurnsEnded) that the marks below belong to
  std::vector<bool> Done;       // per creature index: its orders start nothing this turn
};

TAiState& AiState();

// Once per tick after the world update, unless the game is frozen: in turn-based play during a
// computer player's turn, once everything has rested for a tick, orders the first creature of that
// player, in list order, that can still reach an enemy and act; ends the turn on a calm tick from
// the third on in which it gave no order. An order that starts nothing (the creature neither
// walks, strikes nor shoots) counts as none and leaves that creature out for the rest of the turn.
void AiTick();

// Back to the state at process start (tests).
void AiReset();

}  // namespace game
