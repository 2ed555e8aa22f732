// Orders, selection, arrival (blows and wall touches) and the per-tick update of the creatures.
#include <algorithm>
#include <cstdlib>
#include <limits>
#include <vector>

#include "game/actors/bullets.h"
#include "game/actors/creatures.h"
#include "game/actors/effects.h"
#include "game/actors/movement.h"
#include "game/actors/walls.h"
#include "game/core/players.h"
#include "game/gui/gui.h"
#include "game/models/mesh.h"
#include "game/script/script_host.h"
#include "game/world/registry.h"

namespace game {

namespace {

std::vector<TCreature>& All() { return CreatureLists().Creatures; }
TCreature& Cr(int32_t index) { return All()[static_cast<size_t>(index)]; }
bool ValidIndex(int32_t index) { return index >= 0 && static_cast<size_t>(index) < All().size(); }

bool InsideMap(int64_t x, int64_t y) {
  return x >= 0 && y >= 0 && x <= Registry().MapWidth && y <= Registry().MapHeight;
}

bool BulletInFlight() { return !BulletLists().Bullets.empty(); }
bool Enemies(const TCreature& a, const TCreature& b) { return !AreAllies(a.Owner, b.Owner); }

bool StraightNeighbours(const TCreature& a, const TCreature& b) {
  int64_t dx = std::llabs(int64_t(a.TileX) - b.TileX), dy = std::llabs(int64_t(a.TileY) - b.TileY);
  return (dx == 0 && dy == 1) || (dx == 1 && dy == 0);
}

// The animation frame as the blow and shot frames count it: Trunc(Frame).
int64_t WholeFrame(float frame) {
  if (!(frame > -9.0e18f && frame < 9.0e18f)) return -1;
  return static_cast<int64_t>(frame);
}

// "CrActed": a creature of a human player has come to rest at the end of an order, so that its
// windows can show what it has left.
void FinishedOrder(int32_t index) {
  const TCreature& c = Cr(index);
  const TPlayer* owner = PlayerOf(c.Owner);
  if (owner == nullptr || !owner->Human) return;
  ScriptContext().CurrentCreatureID = c.ID;
  GUI_FireEvent(CreatureActedEvent);
}

void TouchWallsOfOrder(int32_t index) {
  const int32_t ox = Cr(index).OrderX, oy = Cr(index).OrderY;
  if (std::llabs(int64_t(Cr(index).TileX) - ox) > 1 || std::llabs(int64_t(Cr(index).TileY) - oy) > 1) return;
  // By index, and every test again after each touch: the scripts may turn walls into ghosts.
  for (size_t w = 0; w < ReadWallLists().Walls.size(); ++w) {
    const TWall& wall = ReadWallLists().Walls[w];
    if (wall.X != ox || wall.Y != oy || wall.Ghost) continue;
    const TCreature& c = Cr(index);
    bool hasTouchTile = wall.TouchTileX != 0 || wall.TouchTileY != 0;
    if (hasTouchTile && (int64_t(wall.X) + wall.TouchTileX != c.TileX || int64_t(wall.Y) + wall.TouchTileY != c.TileY))
      continue;
    if (!wall.DiagonalTouch && c.TileX != wall.X && c.TileY != wall.Y) continue;
    // The script host stores the context, runs the map's "Touch Wall" blocks and then, unless
    // they asked otherwise, the wall's own script.
    Script_TouchWall(static_cast<int32_t>(w), index);
  }
}

void LandBlow(int32_t index, int32_t damage) {
  int32_t target = Cr(index).Target;
  if (ValidIndex(target)) DamageCreature(target, damage);
  Cr(index).Target = -1;
  Cr(index).HasOrder = false;
}

void Strike(int32_t index) { LandBlow(index, Cr(index).Damage); }

// The bullet leaves; a bullet kind that cannot be created makes the shot hit at once.
void FireShot(int32_t index) {
  const TCreature& c = Cr(index);
  if (CreateBullet(c.Bullet, c.TileX, c.TileY, c.OrderX, c.OrderY)) {
    TBullet& bullet = BulletLists().Bullets.back();
    bullet.Target = c.Target;
    if (c.ShotDamage != 0) bullet.Damage = c.ShotDamage;
    Cr(index).Target = -1;
    Cr(index).HasOrder = false;
  } else {
    LandBlow(index, c.ShotDamage);
  }
}

void Die(int32_t index) {
  GuiDragEndForCreature(index);
  TCreature& c = Cr(index);
  c.Alive = false;
  c.Selected = false;
  TPlayer* owner = PlayerOf(c.Owner);
  if (owner != nullptr && owner->SelectedCreature == index) owner->SelectedCreature = -1;
  ScriptContext().CurrentCreatureID = c.ID;
  Script_RunBlock(CreatureDiedBlock);
}

// The end of an Atack, Shot or Damage state, however it came: at the end of its frames, when its
// frame would wrap, or at once for a missing model. A blow or shot that its frames did not
// deliver is delivered now, once. Returns whether the creature died.
bool EndActionState(int32_t index) {
  TCreature& c = Cr(index);
  uint8_t state = c.State;
  if (state == StateAtack && c.Target != -1) Strike(index);
  if (state == StateShot && c.Target != -1) FireShot(index);
  Cr(index).State = StateStand;
  Cr(index).Frame = 0.0f;
  if (state == StateDamage) {
    if (Cr(index).Health <= 0) {
      Die(index);
      return true;
    }
  } else {
    FinishedOrder(index);
  }
  return false;
}

bool PastLastFrame(const TCreature& c, const TGmMesh& model) {
  return static_cast<double>(c.Frame) > static_cast<double>(model.FrameCount) - 1.0;
}

void WalkStep(int32_t index) {
  {
    TCreature& c = Cr(index);
    c.Angle = FacingAngle(c.TileX, c.TileY, c.NextX, c.NextY);
    c.StepProgress += c.MoveSpeed;
    const float length = StepLength(c.Angle);
    if (c.StepProgress >= length) {
      if (PlayerTable().TurnBased) {
        c.MovePoints -= 1;
        if (IsDiagonalAngle(c.Angle)) c.MovePoints -= 1;
      }
      c.StepProgress -= length;
      c.TileX = c.NextX;
      c.TileY = c.NextY;
      bool allowDiagonal = true;
      if (c.Target != -1) {
        if (ValidIndex(c.Target) && Cr(c.Target).Alive) {
          const TCreature& target = Cr(c.Target);
          c.RouteX = target.TileX;  // it may have moved
          c.RouteY = target.TileY;
          if (Enemies(c, target)) {
            allowDiagonal = false;
            if (c.Shots > 0 && c.AtackPoints > 0) {
              allowDiagonal = true;
              BuildShotMap(c.TileX, c.TileY, c.ShotRange);
              if (Movement().ShotMap[c.OrderX][c.OrderY] == 1) {
                c.State = StateShot;
                c.AtackPoints -= 1;
                c.Shots -= 1;
              }
            }
          }
        } else {
          c.Target = -1;
          c.HasOrder = false;
        }
      }
      if (c.State != StateShot) {
        BuildDistanceMap(index, c.RouteX, c.RouteY);
        const auto& dm = Movement().DistanceMap;
        if (dm[c.RouteX][c.RouteY] < 0) AdjustRouteTarget(&c.RouteX, &c.RouteY, allowDiagonal);
        if (dm[c.RouteX][c.RouteY] <= 1) c.State = StateStand;
        if (PlayerTable().TurnBased && c.MovePoints <= 0) c.State = StateStand;
        if (c.State == StateStand) {
          c.StepProgress = 0.0f;
          if (c.HasOrder)
            CreatureArrived(index);
          else
            FinishedOrder(index);
        }
        if (Cr(index).State == StateWalk) NextStep(index);
      }
    }
  }
  TCreature& c = Cr(index);
  if (c.State == StateStand || c.State == StateShot) {
    c.StepProgress = 0.0f;
    c.Frame = 0.0f;
  }
  UpdateWorldPosition(index);
}

// The Atack or Shot state's tick: facing the ordered tile, the blow or the bullet at its frame,
// the end after the last frame; a missing model ends the state at once. Returns the model.
const TGmMesh* ActionStep(int32_t index, const char* modelName, int32_t deliveryFrame, void (*deliver)(int32_t)) {
  const TGmMesh* model = GetModel(Cr(index), modelName);
  if (model == nullptr) {
    EndActionState(index);
    return nullptr;
  }
  TCreature& c = Cr(index);
  c.Angle = FacingAngle(c.TileX, c.TileY, c.OrderX, c.OrderY);
  if (WholeFrame(c.Frame) == deliveryFrame && c.Target != -1) deliver(index);
  if (PastLastFrame(Cr(index), *model)) EndActionState(index);
  return model;
}

// One creature's tick; a creature that dies is not animated or picked any more.
void UpdateCreature(int32_t index) {
  UpdateWorldPosition(index);
  const TGmMesh* model = nullptr;
  if (Cr(index).State == StateStand) {
    model = GetModel(Cr(index), "Stand");
    if (Cr(index).HasOrder) CreatureArrived(index);
  }
  if (Cr(index).State == StateWalk) {
    model = GetModel(Cr(index), "Walk");
    WalkStep(index);
  }
  if (Cr(index).State == StateAtack) model = ActionStep(index, "Atack", Cr(index).AtackFrame, Strike);
  if (Cr(index).State == StateShot) model = ActionStep(index, "Shot", Cr(index).ShotFrame, FireShot);
  if (Cr(index).State == StateDamage) {
    model = GetModel(Cr(index), "Damage");
    if ((model == nullptr || PastLastFrame(Cr(index), *model)) && EndActionState(index)) return;
  }
  if (Cr(index).EffectID != 0) MoveEffect(Cr(index).EffectID, Cr(index).WorldX, 0.0f, Cr(index).WorldZ);
  if (model == nullptr) return;

  TCreature& c = Cr(index);
  float speed = GetStateAnimSpeed(c);
  if (speed == 0.0f) speed = c.AnimSpeed;
  if (model->FrameCount > 1) c.Frame += speed;
  bool action = c.State == StateAtack || c.State == StateShot || c.State == StateDamage;
  // NOTE: an action state ends where its frame would wrap, so that no animation speed can make it
  // loop for ever; a single-frame model would never move, so it plays for one tick.
  if (action && model->FrameCount <= 1) {
    if (EndActionState(index)) return;
  } else if (static_cast<double>(c.Frame) >= static_cast<double>(model->FrameCount) - 0.1) {
    if (!action)
      c.Frame = 0.0f;
    else if (EndActionState(index))
      return;
  }
  CreaturePick(index, model);
}

}  // namespace

void OrderCreature(int32_t index, int32_t x, int32_t y) {
  if (!ValidIndex(index) || BulletInFlight()) return;
  TCreature& c = Cr(index);
  if (!c.Alive || !InsideMap(x, y) || (c.State != StateStand && c.State != StateWalk)) return;
  bool allowDiagonal = true;
  c.HasOrder = true;
  c.OrderX = x;
  c.OrderY = y;
  c.Target = -1;
  for (size_t j = 0; j < All().size(); ++j) {
    const TCreature& other = All()[j];
    if (static_cast<int32_t>(j) == index || !other.Alive || other.TileX != x || other.TileY != y) continue;
    // One's own creature: a walk keeps its route, only the new order tile is kept.
    if (other.Owner == c.Owner) return;
    c.Target = static_cast<int32_t>(j);
    if (Enemies(c, other)) {
      allowDiagonal = false;
      if (c.Shots > 0 && c.AtackPoints > 0) {
        allowDiagonal = true;
        BuildShotMap(c.TileX, c.TileY, c.ShotRange);
        if (Movement().ShotMap[x][y] == 1 && c.State == StateStand) {
          c.State = StateShot;
          c.Frame = 0.0f;
          c.Angle = FacingAngle(c.TileX, c.TileY, x, y);
          c.AtackPoints -= 1;
          c.Shots -= 1;
          return;
        }
      }
    }
    break;
  }
  if (AnyWallOn(x, y, [&](const TWall& w) { return !w.Ghost && w.X == x && w.Y == y && !w.DiagonalTouch; }))
    allowDiagonal = false;
  // Without move points the order stays pending: an adjacent enemy or wall is still reached.
  if (PlayerTable().TurnBased && c.MovePoints <= 0) return;
  BuildDistanceMap(index, x, y);
  const auto& dm = Movement().DistanceMap;
  if (dm[x][y] < 0) AdjustRouteTarget(&x, &y, allowDiagonal);
  if (dm[x][y] > 1) {
    c.RouteX = x;
    c.RouteY = y;
    if (c.State == StateStand) {
      c.State = StateWalk;
      c.Frame = 0.0f;
      NextStep(index);
      c.Angle = FacingAngle(c.TileX, c.TileY, c.NextX, c.NextY);
    }
  } else if (c.State == StateWalk) {
    c.RouteX = c.NextX;  // the step under way is finished
    c.RouteY = c.NextY;
  }
}

void OrderSelected(int32_t x, int32_t y) {
  const uint8_t current = PlayerTable().CurrentPlayer;
  for (size_t i = 0; i < All().size(); ++i)
    if (All()[i].Selected && All()[i].Owner == current) OrderCreature(static_cast<int32_t>(i), x, y);
}

bool SelectCreatureAt(int32_t x, int32_t y, bool keep) {
  if (PlayerTable().TurnBased) {
    keep = false;
    if (BulletInFlight()) return false;
    for (const TCreature& c : All())
      if (c.Alive && c.State != StateStand) return false;
  }
  const uint8_t current = PlayerTable().CurrentPlayer;
  TPlayer* player = PlayerOf(current);
  auto chosen = [&](const TCreature& c) { return c.Alive && c.Owner == current && c.TileX == x && c.TileY == y; };
  bool found = false;
  for (size_t i = 0; i < All().size(); ++i) {
    if (!chosen(All()[i])) continue;
    All()[i].Selected = true;
    if (player != nullptr) player->SelectedCreature = static_cast<int32_t>(i);
    found = true;
  }
  if (found && !keep)
    for (TCreature& c : All())
      if (c.Owner == current && !chosen(c)) c.Selected = false;
  return found;
}

bool CreatureCanStrike(int32_t index) {
  if (!ValidIndex(index)) return false;
  const TCreature& c = Cr(index);
  if (!ValidIndex(c.Target)) return false;
  const TCreature& target = Cr(c.Target);
  return target.Alive && Enemies(c, target) && StraightNeighbours(c, target) && c.AtackPoints > 0 &&
         target.State == StateStand;
}

void CreatureArrived(int32_t index) {
  if (!ValidIndex(index)) return;
  TCreature& c = Cr(index);
  c.HasOrder = false;
  bool struck = false;
  if (c.Target != -1) {
    if (!ValidIndex(c.Target) || !Cr(c.Target).Alive) {
      FinishedOrder(index);
      return;
    }
    const TCreature& target = Cr(c.Target);
    if (Enemies(c, target) && StraightNeighbours(c, target)) {
      if (c.AtackPoints <= 0 || target.State != StateStand) {
        FinishedOrder(index);
        return;
      }
      c.State = StateAtack;
      c.Frame = 0.0f;
      c.AtackPoints -= 1;
      struck = true;
    }
  }
  TouchWallsOfOrder(index);
  if (!struck) FinishedOrder(index);
}

void DamageCreature(int32_t index, int32_t damage) {
  if (!ValidIndex(index)) return;
  TCreature& c = Cr(index);
  c.State = StateDamage;
  c.Frame = 0.0f;
  int64_t health = int64_t(c.Health) - damage;
  c.Health = static_cast<int32_t>(std::clamp<int64_t>(health, 0, std::numeric_limits<int32_t>::max()));
}

void UpdateCreatures() {
  for (size_t i = 0; i < All().size(); ++i) {
    // A message box opened by a script during this pass freezes the creatures after it too.
    if (GuiFlags().GameFrozen) return;
    if (All()[i].Alive) UpdateCreature(static_cast<int32_t>(i));
  }
}

}  // namespace game
