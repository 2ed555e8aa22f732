// Creatures act: the distance and shot maps over the tile grid, route stepping, orders from the
// player and the AI, selection, arrival (melee blows and wall touches), and the per-tick update of
// every creature (walking, animation, blows, shots, damage and death).
#pragma once

#include <cstdint>

#include "game/actors/actors.h"  // FacingAngle, the one rule every actor turns by

namespace game {

// The per-tile grids hold 100 x 100 cells, indexed [x][y]; a map uses 0..MapWidth x 0..MapHeight.
constexpr int32_t GridSize = 100;

// Distance map cells that the wave does not cross.
constexpr int32_t CellWall = -1;   // a wall that is not a ghost
constexpr int32_t CellAlly = -2;   // held by a creature allied to the one the map is built for
constexpr int32_t CellEnemy = -3;  // held by an enemy of it

// World distances of one step. The diagonal one is the 32-bit value 2.8284, not 2 x sqrt(2):
// walkers arrive on the tick that value decides.
constexpr float StraightStepLength = 2.0f;
constexpr float DiagonalStepLength = 2.8284f;

// How many passes the distance wave runs at most.
constexpr int32_t DistanceMapPassLimit = 1000;

// Builds the distance map for creature `index` toward (targetX, targetY), or with targetX -1 for
// no target; the benchmark and the tests swap in the pass scan through SetDistanceMapBuilder.
using TDistanceMapBuilder = void (*)(int32_t index, int32_t targetX, int32_t targetY);

struct TMovementState {
  int32_t DistanceMap[GridSize][GridSize] = {};  // [x][y]; see BuildDistanceMap
  int32_t ShotMap[GridSize][GridSize] = {};      // [x][y]; see BuildShotMap
  TDistanceMapBuilder Builder = nullptr;         // null: the breadth-first queue
  int32_t KeptWaveOf = -1;                       // see KeepDistanceMapFor; -1 none
  uint64_t DistanceMapsBuilt = 0;                // by BuildDistanceMap, kept waves not counted
  bool WaveStopped = false;  // the last map stopped beside an enemy (BuildDistanceMapToNearestEnemy)
};

TMovementState& Movement();

// Whether a facing is diagonal: rounded to the nearest integer (halves to even) it is not a
// multiple of 90.
bool IsDiagonalAngle(float angle);
// The world length of a step taken at this facing.
float StepLength(float angle);
// WorldX, WorldZ from the tile, the facing and the step progress.
void UpdateWorldPosition(int32_t index);

// The distance map for creature `index`: 0 everywhere, -1 on walls that are not ghosts, -2 and -3
// on tiles held by other living allies and enemies, 1 on the creature's own held tile (its tile,
// or the tile it steps onto while walking), then the wave over free tiles through the four
// straight neighbours, one step per pass: 2, 3, ... With a target the wave stops after the first
// pass that set no cell before the target's cell was above 0; it never runs more than 1000
// passes. A target outside the map is never reached.
void BuildDistanceMap(int32_t index, int32_t targetX, int32_t targetY);
// The breadth-first implementation of BuildDistanceMap, whatever builder is set.
void BuildDistanceMapQueue(int32_t index, int32_t targetX, int32_t targetY);
// The full wave (no target) for the AI's weighing of creature `index`. The queue may stop it after
// the pass that first reaches a tile straight beside a living enemy (the enemy's TileX, TileY), or
// start it on one, unless an enemy stands on a tile that also holds a wall with a touch tile:
// every cell up to that pass holds what the full wave gives, the cells beyond it 0, and nothing
// the AI reads of the map from its weighing to the order's walk back lies beyond it. Another
// builder builds the whole wave.
void BuildDistanceMapToNearestEnemy(int32_t index);
// Swaps the builder BuildDistanceMap uses (null: the queue).
void SetDistanceMapBuilder(TDistanceMapBuilder builder);
// Says that the distance map is the wave without a target just built by the queue for creature
// `index` (whole, or stopped beside the nearest enemy), and that nothing it depends on has changed
// since: the next BuildDistanceMap for that creature then keeps it whenever a target could not
// have stopped the wave earlier (a target outside the map, on a cell that holds a wall or a
// creature, or on a cell a whole wave did not reach). The AI orders a creature right after
// weighing its wave. Any build forgets the mark.
void KeepDistanceMapFor(int32_t index);
// The distance map before the wave: cleared, walls, other creatures and the creature itself;
// returns the creature's held tile, where the wave starts.
void SeedDistanceMap(int32_t index, int32_t* startX, int32_t* startY);

// The shot map of a shooter on (x, y) with `range` tiles: 1 on the tiles of the range window
// within range + 0.3 that at least one of five lines from the shooter's tile centre reaches
// without crossing a wall's square, -1 on walls that are not ghosts, 0 elsewhere. Creatures never
// block; a negative range marks nothing.
void BuildShotMap(int32_t x, int32_t y, int32_t range);

// Where to go instead of a blocked ordered tile, from the current distance map: the touch tile
// of a wall standing there when the wave reached beyond the walker's own tile there; else the
// cell of the 3 x 3 block around (x, y) (rows before columns, diagonals only with
// `allowDiagonal`) with the smallest value of at least 1, the first of equals. Unchanged when
// none qualifies.
void AdjustRouteTarget(int32_t* x, int32_t* y, bool allowDiagonal);
// Walks the distance map back from the creature's route target and sets NextX, NextY to the
// first step: diagonal only where both tiles beside the corner are free, and not in turn-based
// play with fewer than 2 move points. Nothing changes when the route cell is below 1.
void NextStep(int32_t index);

// The order of one creature to tile (x, y), from the player or the AI: a shot at an enemy there
// in line of fire, else a walk toward the tile (beside it when it is blocked), with a melee blow
// or a wall touch on arrival. Ignored while a bullet flies, for dead or busy creatures and for
// tiles outside the map.
void OrderCreature(int32_t index, int32_t x, int32_t y);
// OrderCreature for every selected creature of the current player, in list order.
void OrderSelected(int32_t x, int32_t y);
// Selects the living creatures of the current player on (x, y); with `keep` false the player's
// other creatures lose their selection. In turn-based play `keep` counts as false and nothing is
// selected while a creature does not stand or a bullet flies. True when one was selected.
bool SelectCreatureAt(int32_t x, int32_t y, bool keep);
// A standing creature with a pending order: strikes its enemy target when it stands straight
// next to it, standing, with an action point left; and touches the walls of the ordered tile
// that it may touch from where it stands.
void CreatureArrived(int32_t index);
// Whether creature `index` would strike its target on arrival: the target is a living, standing
// enemy straight next to it and it has an action point left.
bool CreatureCanStrike(int32_t index);
// A hit on creature `index`: it plays its Damage animation from the start and loses `damage`
// health, not below 0 (a negative damage heals).
void DamageCreature(int32_t index, int32_t damage);
// One tick of every living creature, in list order (none while the game is frozen): position,
// arrival, walking, blows, shots, damage and death, the following effect, animation, picking.
void UpdateCreatures();

// The map script block that runs after a creature has died, with it as the current creature.
inline constexpr const char* CreatureDiedBlock = "Creature Died";
// The GUI event fired when a creature of a human player has finished an order.
inline constexpr const char* CreatureActedEvent = "CrActed";

// Back to the state at process start (tests).
void MovementReset();

}  // namespace game
