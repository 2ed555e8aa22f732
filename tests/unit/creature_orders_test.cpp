// Creatures acting: orders, walking with its 32-bit step arithmetic, melee and shots, move and
// action points, the end of the action states, damage and death, wall touches, selection and the
// picking of creature models.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "engine/math3d.h"
#include "tests/support/world_fixture.h"

namespace {

using game::StateAtack;
using game::StateDamage;
using game::StateShot;
using game::StateStand;
using game::StateWalk;

class CreatureOrders : public testsupport::WorldTest {
 protected:
  void SetUp() override {
    WorldTest::SetUp();
    AddKind({});
  }
  // Ticks until `done` holds (at most `limit`); the ticks taken, or -1.
  static int TickUntil(const std::function<bool()>& done, int limit = 3000) {
    for (int t = 1; t <= limit; ++t) {
      Tick();
      if (done()) return t;
    }
    return -1;
  }
  static std::pair<int32_t, int32_t> Tile(int32_t i) { return {C(i).TileX, C(i).TileY}; }
};

TEST_F(CreatureOrders, OrdersOntoOwnTilesStartNothing) {
  int32_t a = Place("Unit", 2, 2, 0);
  int32_t b = Place("Unit", 4, 2, 0);
  game::OrderCreature(a, 2, 2);
  EXPECT_EQ(C(a).State, StateStand);
  EXPECT_TRUE(C(a).HasOrder) << "pending: the next tick's arrival clears it";
  Tick();
  EXPECT_FALSE(C(a).HasOrder);
  game::OrderCreature(a, 4, 2);
  EXPECT_EQ(C(a).State, StateStand) << "onto a creature of the same owner";
  EXPECT_EQ(C(a).Target, -1);
  EXPECT_EQ(C(a).OrderX, 4);

  game::OrderCreature(a, 2, 6);
  ASSERT_EQ(C(a).State, StateWalk);
  game::OrderCreature(a, 4, 2);
  EXPECT_EQ(std::pair(C(a).RouteX, C(a).RouteY), std::pair(2, 6)) << "a walk keeps its route";
  EXPECT_EQ(C(a).OrderX, 4) << "the order tile is still recorded";

  game::OrderCreature(b, 10, 2);
  game::OrderCreature(b, 2, -1);
  EXPECT_EQ(C(b).State, StateStand) << "tiles outside the map are ignored";
  C(b).Alive = false;
  game::OrderCreature(b, 5, 5);
  EXPECT_EQ(C(b).State, StateStand);
}

TEST_F(CreatureOrders, StepProgressIsA32BitSumAndTheExcessCarries) {
  int32_t a = Place("Unit", 1, 1, 0);
  game::OrderCreature(a, 4, 1);
  ASSERT_EQ(C(a).State, StateWalk);
  Tick(40);
  EXPECT_EQ(Tile(a), std::pair(1, 1));
  EXPECT_LT(C(a).StepProgress, 2.0f);
  EXPECT_EQ(C(a).WorldX, 2.0f + C(a).StepProgress);
  Tick();
  EXPECT_EQ(Tile(a), std::pair(2, 1)) << "the 41st tick arrives";
  EXPECT_EQ(C(a).StepProgress, 2.0499992f - 2.0f) << "the excess is carried into the next step";
  EXPECT_EQ(std::pair(C(a).NextX, C(a).NextY), std::pair(3, 1));

  int32_t d = Place("Unit", 6, 6, 0);
  game::OrderCreature(d, 7, 7);
  ASSERT_EQ(C(d).Angle, 45.0f);
  for (int t = 1; t <= 56; ++t) Tick();
  EXPECT_EQ(Tile(d), std::pair(6, 6));
  Tick();
  EXPECT_EQ(Tile(d), std::pair(7, 7)) << "a diagonal step of 2.8284 takes 57 ticks";
  EXPECT_EQ(C(d).State, StateStand);
  EXPECT_EQ(C(d).StepProgress, 0.0f) << "standing clears the progress";
  EXPECT_EQ(C(d).WorldX, 14.0f);
}

// Without step progress a creature stands on its tile's centre, whatever it faces, except that a
// facing a script made infinite still makes its place not a number, as the step's sum does.
TEST_F(CreatureOrders, WithoutProgressTheWorldPlaceIsTheTileUnlessTheFacingIsNotFinite) {
  int32_t a = Place("Unit", 3, 4, 0);
  for (float angle : {0.0f, 123.4f, -0.0f, 1.0e30f}) {
    C(a).Angle = angle;
    C(a).StepProgress = angle < 0.0f ? -0.0f : 0.0f;
    game::UpdateWorldPosition(a);
    EXPECT_EQ(C(a).WorldX, 6.0f) << angle;
    EXPECT_EQ(C(a).WorldZ, 8.0f) << angle;
  }
  C(a).Angle = std::numeric_limits<float>::infinity();
  game::UpdateWorldPosition(a);
  EXPECT_TRUE(std::isnan(C(a).WorldX));
  EXPECT_TRUE(std::isnan(C(a).WorldZ));
}

TEST_F(CreatureOrders, DiagonalStepsOnlyPastFreeCornersAndAroundWalls) {
  int32_t a = Place("Unit", 1, 1, 0);
  AddWall(2, 1);
  game::OrderCreature(a, 2, 2);
  EXPECT_EQ(std::pair(C(a).NextX, C(a).NextY), std::pair(1, 2)) << "one side blocked: two straight steps";
  int ticks = TickUntilStands(a);
  EXPECT_EQ(Tile(a), std::pair(2, 2));
  EXPECT_EQ(ticks, 81) << "41 ticks, then 40 with the carried excess";

  game::OrderCreature(a, 2, 0);  // onto the far side of the wall: around it
  TickUntilStands(a);
  EXPECT_EQ(Tile(a), std::pair(2, 0));
}

TEST_F(CreatureOrders, MeleeOnArrivalNextToAStandingEnemy) {
  int32_t a = Place("Unit", 1, 4, 0);
  int32_t e = Place("Unit", 3, 4, 1);
  game::OrderCreature(a, 3, 4);
  EXPECT_EQ(C(a).Target, e);
  EXPECT_EQ(std::pair(C(a).RouteX, C(a).RouteY), std::pair(2, 4)) << "the straight tile beside the enemy";
  ASSERT_NE(TickUntil([&] { return C(a).State == StateAtack; }), -1);
  EXPECT_EQ(Tile(a), std::pair(2, 4));
  EXPECT_EQ(C(a).AtackPoints, 1);
  ASSERT_NE(TickUntil([&] { return C(e).State == StateDamage; }), -1);
  EXPECT_EQ(C(e).Health, 10 - 3);
  EXPECT_EQ(C(a).Target, -1);
  EXPECT_FALSE(C(a).HasOrder);
  EXPECT_EQ(C(a).Angle, 0.0f) << "facing the ordered tile";
  TickUntilStands(e);
  EXPECT_EQ(C(e).Health, 7) << "one blow only";

  // Diagonal to the enemy: the first tile touching it straight in the 3 x 3 order, then the blow.
  int32_t b = Place("Unit", 2, 3, 0);
  game::OrderCreature(b, 3, 4);
  EXPECT_EQ(std::pair(C(b).RouteX, C(b).RouteY), std::pair(3, 3));
  ASSERT_NE(TickUntil([&] { return C(e).Health == 4; }), -1);
  EXPECT_EQ(Tile(b), std::pair(3, 3));

  // A busy enemy is not struck; no action points, no blow.
  TickUntilStands(e);
  C(e).State = StateDamage;
  C(e).Frame = 0.0f;
  game::OrderCreature(b, 3, 4);
  Tick();
  EXPECT_EQ(C(b).State, StateStand);
  C(e).State = StateStand;
  C(b).AtackPoints = 0;
  game::OrderCreature(b, 3, 4);
  Tick();
  EXPECT_EQ(C(b).State, StateStand);
  EXPECT_EQ(C(e).Health, 4);
}

TEST_F(CreatureOrders, ShotsNeedTheShotMapAndHitAtOnceWithoutABulletKind) {
  AddShooter("Shooter", 2, 3);
  int32_t s = Place("Shooter", 1, 1, 0);
  int32_t e = Place("Unit", 3, 3, 1);
  game::OrderCreature(s, 3, 3);
  ASSERT_EQ(C(s).State, StateShot) << "2.83 tiles, in range 3";
  EXPECT_EQ(C(s).Shots, 1);
  EXPECT_EQ(C(s).AtackPoints, 1);
  EXPECT_EQ(C(s).Angle, 45.0f);
  ASSERT_NE(TickUntil([&] { return C(e).State == StateDamage; }), -1);
  EXPECT_EQ(C(e).Health, 10 - 4) << "no bullet kind \"Slug\": the shot hits at once with ShotDamage";
  EXPECT_TRUE(game::BulletLists().Bullets.empty());
  TickUntilStands(s);
  TickUntilStands(e);

  // Out of range: it walks toward the enemy and shoots from the first tile that has the ordered
  // tile in its shot map.
  int32_t far = Place("Unit", 8, 1, 1);
  game::OrderCreature(s, 8, 1);
  ASSERT_EQ(C(s).State, StateWalk);
  ASSERT_NE(TickUntil([&] { return C(s).State == StateShot; }), -1);
  EXPECT_EQ(Tile(s), std::pair(5, 1));
  EXPECT_EQ(C(s).Shots, 0);
  ASSERT_NE(TickUntil([&] { return C(far).State == StateDamage; }), -1);

  // Without shots left the shooter walks up and strikes.
  TickUntilStands(s);
  TickUntilStands(far);
  game::OrderCreature(s, 8, 1);
  EXPECT_EQ(C(s).State, StateWalk);
  EXPECT_EQ(std::pair(C(s).RouteX, C(s).RouteY), std::pair(7, 1));
}

TEST_F(CreatureOrders, ABulletStillHitsATargetThatWalkedAwayAndTakesItsTrailAlong) {
  game::TBullet slug;  // no model: it flies and lands all the same
  slug.Name = "Slug";
  slug.MoveSpeed = 0.4f;
  slug.Damage = 7;
  slug.Effect = "Smoke";
  game::BulletLists().BulletKinds.push_back(slug);
  game::TEffect smoke;
  smoke.Name = "Smoke";
  smoke.Lifetime = 1000;
  smoke.Alpha = 1.0f;
  smoke.AlphaChange = -0.01f;
  game::EffectLists().EffectKinds.push_back(smoke);
  AddShooter("Shooter", 2, 5);
  int32_t s = Place("Shooter", 1, 1, 0);
  int32_t e = Place("Unit", 4, 1, 1);
  game::OrderCreature(e, 4, 8);  // it walks away south
  Tick(5);
  game::OrderCreature(s, 4, 1);  // still on its tile until the step ends
  ASSERT_EQ(C(s).State, StateShot);
  ASSERT_NE(TickUntil([&] { return !game::BulletLists().Bullets.empty(); }), -1);
  const game::TBullet& flying = game::BulletLists().Bullets[0];
  EXPECT_EQ(flying.Target, e);
  EXPECT_EQ(flying.Damage, 4) << "the shooter's ShotDamage replaces the round's own";
  EXPECT_NE(flying.EffectID, 0);
  EXPECT_EQ(C(s).Target, -1);
  game::OrderCreature(s, 1, 4);
  EXPECT_FALSE(C(s).HasOrder) << "no orders while a bullet flies";
  ASSERT_NE(TickUntil([&] { return game::BulletLists().Bullets.empty(); }), -1);
  EXPECT_EQ(C(e).State, StateDamage);
  EXPECT_EQ(C(e).Health, 10 - 4);
  EXPECT_GT(C(e).TileY, 1) << "it was hit where it had walked to";
  EXPECT_TRUE(game::EffectLists().Effects.empty()) << "the trail ends with the bullet";

  // Without ShotDamage the round's own damage is dealt.
  TickUntilStands(e);
  TickUntilStands(s);
  C(s).ShotDamage = 0;
  game::OrderCreature(s, C(e).TileX, C(e).TileY);
  ASSERT_EQ(C(s).State, StateShot);
  ASSERT_NE(TickUntil([&] { return C(e).State == StateDamage; }), -1);
  EXPECT_EQ(C(e).Health, 0) << "7 from 6, and never below 0";
}

TEST_F(CreatureOrders, TurnBasedPlayCountsMovePoints) {
  game::PlayerTable().TurnBased = true;
  int32_t a = Place("Unit", 1, 1, 0);
  C(a).MovePoints = 3;
  game::OrderCreature(a, 3, 3);
  EXPECT_EQ(C(a).Angle, 45.0f);
  TickUntilStands(a);
  // A diagonal step (2), then one move point left: the last step is straight.
  EXPECT_EQ(Tile(a), std::pair(2, 3));
  EXPECT_EQ(C(a).MovePoints, 0);
  game::OrderCreature(a, 6, 3);
  EXPECT_EQ(C(a).State, StateStand) << "no move points: no walk";
  EXPECT_TRUE(C(a).HasOrder);

  // Still pending, so a straight neighbour is struck without moving.
  int32_t e = Place("Unit", 3, 3, 1);
  game::OrderCreature(a, 3, 3);
  Tick();
  EXPECT_EQ(C(a).State, StateAtack);
  ASSERT_NE(TickUntil([&] { return C(e).State == StateDamage; }), -1);
}

TEST_F(CreatureOrders, TheLastOrderOfATickWinsAndTheStepUnderWayIsFinished) {
  int32_t a = Place("Unit", 4, 4, 0);
  game::OrderCreature(a, 4, 8);
  Tick(10);
  game::OrderCreature(a, 8, 4);
  game::OrderCreature(a, 0, 4);
  EXPECT_EQ(std::pair(C(a).RouteX, C(a).RouteY), std::pair(0, 4));
  EXPECT_EQ(std::pair(C(a).NextX, C(a).NextY), std::pair(4, 5)) << "the step under way";
  TickUntilStands(a);
  EXPECT_EQ(Tile(a), std::pair(0, 4));

  // Ordered onto a tile it cannot reach while walking: it stops on the tile it steps onto.
  AddWall(8, 8);
  game::OrderCreature(a, 0, 8);
  Tick(5);
  for (int32_t x : {7, 9})
    for (int32_t y : {7, 8, 9}) AddWall(x, y);
  AddWall(8, 7);
  AddWall(8, 9);
  game::OrderCreature(a, 8, 8);
  EXPECT_EQ(std::pair(C(a).RouteX, C(a).RouteY), std::pair(0, 5));
  TickUntilStands(a);
  EXPECT_EQ(Tile(a), std::pair(0, 5));
}

TEST_F(CreatureOrders, ActionStatesEndAndDeliverWhateverTheirModels) {
  testsupport::KindTraits noAtack;
  noAtack.name = "NoAtack";
  noAtack.atackModel = false;
  AddKind(noAtack);
  testsupport::KindTraits fast;
  fast.name = "Fast";
  fast.animSpeed = 1.0f;  // frames 0, 1, ..., 7, 8: never above 7 before the wrap
  AddKind(fast);
  testsupport::KindTraits skipper;
  skipper.name = "Skipper";
  skipper.animSpeed = 2.0f;  // Trunc(Frame) 0, 2, 4, 6: never the blow frame 5
  skipper.atackFrame = 5;
  AddKind(skipper);
  testsupport::KindTraits still;
  still.name = "Still";
  still.frames = 1;
  AddKind(still);

  int32_t e = Place("Unit", 5, 5, 1);
  C(e).Health = 100;
  int health = 100;
  for (auto [kind, x, y] : {std::tuple{"NoAtack", 4, 5}, std::tuple{"Fast", 6, 5}, std::tuple{"Skipper", 5, 4},
                            std::tuple{"Still", 5, 6}}) {
    SCOPED_TRACE(kind);
    int32_t a = Place(kind, x, y, 0);
    game::OrderCreature(a, 5, 5);
    int ticks = TickUntil([&] { return C(a).State == StateStand && !C(a).HasOrder; }, 200);
    ASSERT_NE(ticks, -1) << "the state ended";
    health -= 3;
    EXPECT_EQ(C(e).Health, health) << "the blow landed once";
    EXPECT_EQ(C(a).Target, -1);
    TickUntilStands(e);
    C(a).Alive = false;
  }
}

TEST_F(CreatureOrders, DeathAtTheEndOfDamageResetsTheSelection) {
  testsupport::KindTraits heavy;
  heavy.name = "Heavy";
  heavy.damage = 20;
  AddKind(heavy);
  int32_t a = Place("Heavy", 2, 2, 1);
  int32_t v = Place("Unit", 3, 2, 0);
  ASSERT_TRUE(game::SelectCreatureAt(3, 2, false));
  ASSERT_EQ(game::PlayerTable().Players[0].SelectedCreature, v);
  game::OrderCreature(a, 3, 2);
  ASSERT_NE(TickUntil([&] { return C(v).State == StateDamage; }), -1);
  EXPECT_EQ(C(v).Health, 0) << "never below 0";
  EXPECT_TRUE(C(v).Alive) << "alive until its damage animation ends";
  ASSERT_NE(TickUntil([&] { return !C(v).Alive; }), -1);
  EXPECT_FALSE(C(v).Selected);
  EXPECT_EQ(game::PlayerTable().Players[0].SelectedCreature, -1);
  EXPECT_EQ(game::ScriptHostRuns().back(), "block Creature Died");
  EXPECT_EQ(game::ScriptContext().CurrentCreatureID, C(v).ID);
  float frame = C(v).Frame;
  Tick(3);
  EXPECT_EQ(C(v).Frame, frame) << "the dead are not updated";
  game::OrderCreature(a, 3, 2);
  EXPECT_EQ(C(a).Target, -1) << "nothing living stands there any more";

  // Health set to 0 without damage: alive until the next damage ends; a negative one kills too.
  int32_t w = Place("Unit", 6, 6, 0);
  C(w).Health = 0;
  Tick(50);
  EXPECT_TRUE(C(w).Alive);
  game::DamageCreature(w, 0);
  TickUntil([&] { return !C(w).Alive; }, 100);
  EXPECT_FALSE(C(w).Alive);
  int32_t n = Place("Unit", 7, 7, 0);
  C(n).State = StateDamage;
  C(n).Health = -5;
  TickUntil([&] { return !C(n).Alive; }, 100);
  EXPECT_FALSE(C(n).Alive);
  game::DamageCreature(n, -2000000000);
  game::DamageCreature(n, -2000000000);
  EXPECT_EQ(C(n).Health, 2147483647) << "healing stops at the largest health";
}

TEST_F(CreatureOrders, WallsBlockAndAreTouchedFromWhereTheyAllow) {
  // Touched only from its touch tile, turned by the wall's angle: (1, 0) at 90 is (0, 1).
  size_t door = AddWall(5, 5, false, true, 1, 0, 90.0f, "begin SetInt('opened', GetInt('opened') + 1); end. ");
  int32_t a = Place("Unit", 2, 5, 0);
  game::OrderCreature(a, 5, 5);
  EXPECT_EQ(std::pair(C(a).RouteX, C(a).RouteY), std::pair(5, 6));
  TickUntilStands(a);
  EXPECT_EQ(Tile(a), std::pair(5, 6));
  const std::vector<std::string>& runs = game::ScriptHostRuns();
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0], "block Touch Wall");
  EXPECT_EQ(runs[1], "touch script of wall kind \"" + game::WallLists().Walls[door].Name + "\"");
  EXPECT_EQ(game::ScriptContext().CurrentWallID, game::WallLists().Walls[door].ID);
  EXPECT_EQ(game::ScriptContext().CurrentCreatureID, C(a).ID);

  // From elsewhere next to it the door is not touched.
  game::ScriptContext().IgnoreStandardScript = true;
  C(a).TileX = 4;
  C(a).TileY = 5;
  game::OrderCreature(a, 5, 5);
  TickUntilStands(a);
  EXPECT_EQ(Tile(a), std::pair(5, 6)) << "it walks round to the touch tile";
  EXPECT_EQ(runs.size(), 4u);
  EXPECT_FALSE(game::ScriptContext().IgnoreStandardScript) << "every touch starts with the flag clear";

  // Without diagonal touch, ordered from a diagonal tile: to a straight neighbour first.
  AddWall(8, 1, false, false);
  int32_t b = Place("Unit", 7, 2, 0);
  game::OrderCreature(b, 8, 1);
  TickUntilStands(b);
  EXPECT_TRUE(Tile(b) == std::pair(7, 1) || Tile(b) == std::pair(8, 2)) << Tile(b).first << " " << Tile(b).second;
  EXPECT_EQ(runs.size(), 5u) << "touched, no touch script";

  // A ghost is walked through and never touched.
  AddWall(2, 8, true);
  int32_t c = Place("Unit", 1, 8, 0);
  game::OrderCreature(c, 2, 8);
  TickUntilStands(c);
  EXPECT_EQ(Tile(c), std::pair(2, 8));
  EXPECT_EQ(runs.size(), 5u);
}

TEST_F(CreatureOrders, SelectionKeepsAndLocks) {
  int32_t a = Place("Unit", 1, 1, 0);
  int32_t b = Place("Unit", 2, 2, 0);
  int32_t enemy = Place("Unit", 3, 3, 1);
  EXPECT_TRUE(game::SelectCreatureAt(1, 1, false));
  EXPECT_TRUE(game::SelectCreatureAt(2, 2, true));
  EXPECT_TRUE(C(a).Selected && C(b).Selected) << "Keep";
  EXPECT_EQ(game::PlayerTable().Players[0].SelectedCreature, b);
  EXPECT_FALSE(game::SelectCreatureAt(3, 3, false)) << "not the current player's";
  EXPECT_FALSE(C(enemy).Selected);
  EXPECT_TRUE(C(a).Selected) << "a failed selection changes nothing";
  EXPECT_TRUE(game::SelectCreatureAt(1, 1, false));
  EXPECT_FALSE(C(b).Selected);

  game::OrderSelected(1, 5);
  EXPECT_EQ(C(a).State, StateWalk);
  EXPECT_EQ(C(b).State, StateStand);
  EXPECT_TRUE(game::SelectCreatureAt(2, 2, false)) << "real-time play selects while others walk";
  game::PlayerTable().TurnBased = true;
  EXPECT_FALSE(game::SelectCreatureAt(2, 2, false)) << "turn-based: not while a creature walks";
  TickUntilStands(a);
  EXPECT_TRUE(game::SelectCreatureAt(1, 5, true));
  EXPECT_FALSE(C(b).Selected) << "turn-based play ignores Keep";
}

TEST_F(CreatureOrders, ACreatureModelClaimsTheCursorTileItCovers) {
  int32_t a = Place("Unit", 3, 3, 0);
  game::TCreature& c = C(a);
  c.Matrix = game::CreatureMatrix(c, c.WorldX, c.WorldZ);
  // A ray from above and in front through the creature's chest (6, 1, 6) meets the floor on the
  // next tile, (3, 4).
  game::GmCamera().Camera.Position = {6.0f, 10.0f, -4.0f};
  game::Core().CursorWorldPoint = {6.0f, -170.0f, 196.0f};
  game::PickFloorTile(game::GmCamera().Camera.Position);
  EXPECT_EQ(game::Core().CursorTileX, 3);
  EXPECT_EQ(game::Core().CursorTileY, 4) << "the floor behind the body";
  game::UpdateCreatures();
  EXPECT_EQ(game::Core().CursorTileX, 3);
  EXPECT_EQ(game::Core().CursorTileY, 3);
  EXPECT_LT(game::Core().PickDistance, 10000.0f);
  C(a).Alive = false;
  game::Core().PickDistance = 10000.0f;
  game::Core().CursorTileY = 9;
  game::UpdateCreatures();
  EXPECT_EQ(game::Core().CursorTileY, 9) << "the dead are not picked";
}

TEST_F(CreatureOrders, HumanPlayersHearWhenTheirCreaturesHaveActed) {
  int32_t a = Place("Unit", 1, 1, 0);
  int32_t ai = Place("Unit", 8, 8, 1);
  game::OrderCreature(a, 1, 3);
  game::OrderCreature(ai, 8, 6);
  TickUntilStands(a);
  TickUntilStands(ai);
  EXPECT_EQ(Count(game::GuiFiredEvents(), "CrActed"), 1) << "only for the human player's creature";
  EXPECT_EQ(game::ScriptContext().CurrentCreatureID, C(a).ID);
}

}  // namespace
