// Picking of creature and wall models under the cursor ray, without a window: the camera position
// and the cursor's far point are set by hand, the floor is picked first as the tick does, then the
// models may claim the cursor tile.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "game/actors/actors.h"
#include "game/actors/creatures.h"
#include "game/actors/walls.h"
#include "game/core/camera.h"
#include "game/core/game_core.h"
#include "game/models/mesh.h"
#include "game/world/registry.h"
#include "tests/support/actor_models.h"

namespace {

using eng::TVec3;
using game::Core;

class ActorPicking : public ::testing::Test {
 protected:
  void SetUp() override {
    game::GameCoreReset();
    game::RegistryReset();
    game::CameraReset();
    game::CreaturesReset();
    game::WallsReset();
    game::MeshFreeAll();
    game::Registry().MapWidth = 19;
    game::Registry().MapHeight = 19;
  }
  void TearDown() override {
    game::CreaturesReset();
    game::WallsReset();
    game::MeshFreeAll();
    game::CameraReset();
    game::RegistryReset();
    game::GameCoreReset();
  }
  // The cursor ray from the start camera's eye through `aim`, and the floor picked under it.
  static void AimAt(TVec3 aim) {
    TVec3 eye{40, 30, 40};
    game::GmCamera().Camera.Position = eye;
    Core().CursorWorldPoint = eye + (aim - eye) * 5.0f;
    game::PickFloorTile(eye);
  }
  // A creature whose model is `mesh`, unturned, standing on (x, y), with the matrix a draw gives.
  static int32_t AddCreature(game::TGmMesh* mesh, int32_t x, int32_t y) {
    game::TCreature kind;
    kind.Name = "K" + std::to_string(game::CreatureLists().CreatureKinds.size());
    kind.Scale = 1.0f;
    game::AddModel(kind, "Stand", "none.md2");
    kind.Models[0] = mesh;
    game::CreatureLists().CreatureKinds.push_back(kind);
    EXPECT_NE(game::CreateCreature(kind.Name, x, y, 0), 0);
    game::TCreature& c = game::CreatureLists().Creatures.back();
    c.Matrix = game::CreatureMatrix(c, c.WorldX, c.WorldZ);
    return static_cast<int32_t>(game::CreatureLists().Creatures.size()) - 1;
  }
  static bool Pick(int32_t index) {
    const game::TCreature& c = game::CreatureLists().Creatures[static_cast<size_t>(index)];
    return game::CreaturePick(index, game::GetModel(c, "Stand"));
  }
};

// The creature on tile (5, 5) holds a long arm out over tile (6, 5); the ray aimed at the arm's top
// above tile (6, 5) meets the floor on tile (5, 4).
constexpr TVec3 kArmTop{12.5f, 2.0f, 10.0f};

TEST_F(ActorPicking, ACreatureNearerThanTheFloorTakesTheCursorTileWhereItsBodyOverhangs) {
  int32_t armed = AddCreature(testsupport::BoxMesh({-0.3f, 0, -0.3f}, {3.0f, 2.0f, 0.3f}), 5, 5);
  AimAt(kArmTop);
  ASSERT_EQ(Core().CursorTileX, 5);
  ASSERT_EQ(Core().CursorTileY, 4);
  float floorDistance = Core().PickDistance;
  EXPECT_TRUE(Pick(armed));
  EXPECT_EQ(Core().CursorTileX, 5);
  EXPECT_EQ(Core().CursorTileY, 5);
  EXPECT_NEAR(Core().PickDistance, eng::Length(TVec3{40, 30, 40} - kArmTop), 1e-3);
  EXPECT_LT(Core().PickDistance, floorDistance);

  // Aimed past the arm, at open floor on tile (6, 5): the floor's tile stays.
  AimAt({12.0f, 0.0f, 11.6f});
  ASSERT_EQ(Core().CursorTileX, 6);
  ASSERT_EQ(Core().CursorTileY, 6);
  EXPECT_FALSE(Pick(armed));
  EXPECT_EQ(Core().CursorTileX, 6);
  EXPECT_EQ(Core().CursorTileY, 6);
}

TEST_F(ActorPicking, TheNearestModelWinsWhateverTheListOrder) {
  // A low block on (5, 4) under the same ray is hit farther from the eye than the arm.
  game::TGmMesh* arm = testsupport::BoxMesh({-0.3f, 0, -0.3f}, {3.0f, 2.0f, 0.3f});
  game::TGmMesh* block = testsupport::BoxMesh({-0.5f, 0, -0.5f}, {1.5f, 1.0f, 0.5f});
  for (bool blockFirst : {false, true}) {
    game::CreaturesReset();
    int32_t first = blockFirst ? AddCreature(block, 5, 4) : AddCreature(arm, 5, 5);
    int32_t second = blockFirst ? AddCreature(arm, 5, 5) : AddCreature(block, 5, 4);
    AimAt(kArmTop);
    Pick(first);
    Pick(second);
    EXPECT_EQ(Core().CursorTileX, 5) << blockFirst;
    EXPECT_EQ(Core().CursorTileY, 5) << blockFirst;
  }
  // Alone, the block takes the tile from the floor.
  game::CreaturesReset();
  int32_t alone = AddCreature(block, 5, 4);
  AimAt(kArmTop);
  game::CreatureLists().Creatures[0].TileX = 7;  // the tile comes from the creature, not the model
  EXPECT_TRUE(Pick(alone));
  EXPECT_EQ(Core().CursorTileX, 7);
  EXPECT_EQ(Core().CursorTileY, 4);
}

TEST_F(ActorPicking, AGhostWallIsNeverPicked) {
  game::TGmMesh* box = testsupport::BoxMesh({-1, 0, -1}, {1, 2, 1});
  for (bool ghost : {true, false}) {
    game::WallsReset();
    game::TWall kind;
    kind.Name = "Box";
    kind.Model = box;
    kind.Scale = 1.0f;
    kind.Ghost = ghost;
    game::WallLists().WallKinds.push_back(kind);
    ASSERT_EQ(game::CreateWall("Box", 6, 5, 0, 0), 1);
    AimAt(kArmTop);  // the box on (6, 5) stands where the ray comes down
    game::UpdateWalls();
    if (ghost) {
      EXPECT_EQ(Core().CursorTileX, 5) << "the floor's tile";
      EXPECT_EQ(Core().CursorTileY, 4);
    } else {
      EXPECT_EQ(Core().CursorTileX, 6);
      EXPECT_EQ(Core().CursorTileY, 5);
    }
  }
  // A script may make a wall a ghost later: from then on it is skipped.
  game::WallLists().Walls[0].Ghost = true;
  AimAt(kArmTop);
  game::UpdateWalls();
  EXPECT_EQ(Core().CursorTileX, 5);
}

// The tick picks walls through an index of the walls by tile; on crowded random maps, under
// cursor lines from everywhere (steep, grazing, level, from below the floor, off the map), it
// must leave exactly what testing every wall one by one leaves.
TEST_F(ActorPicking, TheWallIndexPicksWhatTestingEveryWallPicks) {
  game::Registry().MapWidth = 29;
  game::Registry().MapHeight = 29;
  // A tall post, a wide slab turned on its side by the kind, and a box that grows in its second
  // frame far beyond its tile.
  game::TGmMesh* post = testsupport::BoxMesh({-0.3f, 0, -0.3f}, {0.3f, 4, 0.3f});
  game::TGmMesh* slab = testsupport::BoxMesh({-1, 0, -0.2f}, {1, 1, 0.2f});
  game::TGmMesh* grower = testsupport::BoxMesh({-0.5f, 0, -0.5f}, {0.5f, 1, 0.5f}, 2);
  for (game::TGmVector& v : grower->Frames[1].Vertices) v = {v.X * 5, v.Y * 3, v.Z * 5};
  game::MeshCalcBounds(&grower->Frames[1]);
  std::mt19937 random(5);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  int wallsPicked = 0, cases = 0;
  for (int world = 0; world < 40; ++world) {
    game::WallsReset();
    const game::TGmMesh* models[3] = {post, slab, grower};
    for (int k = 0; k < 3; ++k) {
      game::TWall kind;
      kind.Name = "K" + std::to_string(k);
      kind.Model = const_cast<game::TGmMesh*>(models[k]);
      kind.Scale = 0.5f + 2.0f * unit(random);
      kind.RotateX = k == 1 ? 1.2f : 0.0f;
      kind.RotateZ = k == 1 ? 0.4f : 0.0f;
      game::WallLists().WallKinds.push_back(kind);
    }
    for (int n = 0; n < 300; ++n) {
      int32_t x = static_cast<int32_t>(30 * unit(random)), y = static_cast<int32_t>(30 * unit(random));
      if (game::CreateWall("K" + std::to_string(n % 3), x, y, 360 * unit(random), 0) == 0) continue;
      game::TWall& w = game::WallLists().Walls.back();
      w.Frame = 2.5f * unit(random);  // past the last frame too
      w.Ghost = unit(random) < 0.1f;
    }
    game::UpdateWalls();  // frames past the end wrap to 0 now, not between the two ways below
    for (int line = 0; line < 100; ++line, ++cases) {
      TVec3 eye{80 * unit(random) - 10, 40 * unit(random) - 5, 80 * unit(random) - 10};
      TVec3 aim{60 * unit(random), 3 * unit(random), 60 * unit(random)};
      if (line % 10 == 0) aim.Y = eye.Y;  // level
      if (line % 10 == 1) aim = {eye.X, 0, eye.Z};  // straight down
      game::GmCamera().Camera.Position = eye;
      Core().CursorWorldPoint = eye + (aim - eye) * 3.0f;
      game::PickFloorTile(eye);
      const game::TGameCore floor = Core();
      game::PickEveryWall();
      const int32_t wantX = Core().CursorTileX, wantY = Core().CursorTileY;
      const float wantDistance = Core().PickDistance;
      wallsPicked += wantDistance != floor.PickDistance;
      Core() = floor;
      game::UpdateWalls();
      ASSERT_EQ(Core().CursorTileX, wantX) << world << " " << line;
      ASSERT_EQ(Core().CursorTileY, wantY) << world << " " << line;
      ASSERT_EQ(Core().PickDistance, wantDistance) << world << " " << line;
    }
  }
  EXPECT_GT(wallsPicked, cases / 4) << "the lines must meet walls often enough to mean something";
}

TEST_F(ActorPicking, MeshRayHitUsesTheFrameBoxAndTheNearestTriangle) {
  game::TGmMesh* box = testsupport::BoxMesh({-1, 0, -1}, {1, 2, 1}, 3);
  eng::TMatrix4 at = game::ActorMatrix(10, 10, 30, 0, 0, 0, 1);
  // Off the centre: a point on the edge between the two top triangles is inside neither.
  TVec3 eye{10.4f, 20, 9.7f}, below{10.4f, -20, 9.7f};
  float d = 1000.0f;
  ASSERT_TRUE(game::MeshRayHit(*box, 0, at, eye, below, &d));
  EXPECT_NEAR(d, 18.0f, 1e-4) << "the top face, not the bottom one";
  // Only nearer hits count.
  float nearer = 17.0f;
  EXPECT_FALSE(game::MeshRayHit(*box, 0, at, eye, below, &nearer));
  EXPECT_EQ(nearer, 17.0f);
  // A frame past the end is the last one.
  d = 1000.0f;
  EXPECT_TRUE(game::MeshRayHit(*box, 7, at, eye, below, &d));
  // The box test comes first: a frame whose bounds lie elsewhere is never tested.
  box->Frames[2].MinX = 50;
  box->Frames[2].MaxX = 51;
  d = 1000.0f;
  EXPECT_FALSE(game::MeshRayHit(*box, 2, at, eye, below, &d));
  EXPECT_TRUE(game::MeshRayHit(*box, 1, at, eye, below, &d));
  // A ray beside the model, a singular matrix and an empty mesh never hit.
  d = 1000.0f;
  EXPECT_FALSE(game::MeshRayHit(*box, 0, at, {12, 20, 12}, {12, -20, 12}, &d));
  EXPECT_FALSE(game::MeshRayHit(*box, 0, game::ActorMatrix(10, 10, 0, 0, 0, 0, 0), eye, below, &d));
  game::TGmMesh* empty = game::MeshNew();
  EXPECT_FALSE(game::MeshRayHit(*empty, 0, at, eye, below, &d));
  EXPECT_FALSE(game::PickActorModel(nullptr, 0, at, 1, 1));
}

// Hits are kept from one test to the next while nothing they depend on changes. Whatever was asked
// before, each answer must be the one a mesh never tested before gives, also for placements,
// eyes and cursor points one float step apart, and for a mesh made again at the same address.
TEST_F(ActorPicking, KeptHitsAnswerAsAFreshTestWould) {
  auto makeBox = [](float top) {
    game::TGmMesh* box = testsupport::BoxMesh({-1, 0, -1}, {1, top, 1}, 2);
    for (game::TGmVector& v : box->Frames[1].Vertices) v.Y += 0.5f;
    game::MeshCalcBounds(&box->Frames[1]);
    return box;
  };
  game::TGmMesh* box = makeBox(2.0f);
  const eng::TMatrix4 placements[3] = {game::ActorMatrix(10, 10, 30, 0, 0, 0, 1),
                                       game::ActorMatrix(std::nextafter(10.0f, 11.0f), 10, 30, 0, 0, 0, 1),
                                       game::ActorMatrix(10, 10, 75, 0, 0, 0, 1.5f)};
  const TVec3 eyes[2] = {{10.4f, 20, 9.7f}, {std::nextafter(10.4f, 11.0f), 20, 9.7f}};
  const TVec3 cursors[3] = {{10.4f, -20, 9.7f}, {11.9f, -20, 9.0f}, {10.4f, -20, std::nextafter(9.7f, 0.0f)}};
  std::mt19937 random(5);
  auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
  int hits = 0;
  for (int query = 0; query < 600; ++query) {
    const uint32_t frame = static_cast<uint32_t>(pick(2));
    const eng::TMatrix4& at = placements[pick(3)];
    const TVec3 eye = eyes[pick(2)], cursor = cursors[pick(3)];
    const float before = pick(3) == 0 ? 18.3f : 1000.0f;
    float kept = before, fresh = before;
    const bool keptHit = game::MeshRayHit(*box, frame, at, eye, cursor, &kept);
    const bool freshHit = game::MeshRayHit(*makeBox(2.0f), frame, at, eye, cursor, &fresh);
    ASSERT_EQ(keptHit, freshHit) << "query " << query;
    ASSERT_EQ(kept, fresh) << "query " << query;
    hits += keptHit;
  }
  EXPECT_GT(hits, 100);
  // The same address, made again: a taller box is met higher up.
  const eng::TMatrix4 at = game::ActorMatrix(10, 10, 30, 0, 0, 0, 1);
  float d = 1000.0f;
  ASSERT_TRUE(game::MeshRayHit(*box, 0, at, eyes[0], cursors[0], &d));
  EXPECT_NEAR(d, 18.0f, 1e-4);
  game::TGmMesh* taller = makeBox(3.0f);
  game::TGmMesh* prev = box->Prev;
  game::TGmMesh* next = box->Next;
  *box = std::move(*taller);
  box->Prev = prev;
  box->Next = next;
  taller->Triangles.clear();
  d = 1000.0f;
  ASSERT_TRUE(game::MeshRayHit(*box, 0, at, eyes[0], cursors[0], &d));
  EXPECT_NEAR(d, 17.0f, 1e-4);
}

// The quick rejection before the matrix is inverted must never turn a hit away: lines through a
// point inside a box placed anywhere, turned, tilted and scaled, always meet its faces.
TEST_F(ActorPicking, EveryLineThroughAPlacedBoxHitsIt) {
  game::TGmMesh* box = testsupport::BoxMesh({-0.4f, 0, -0.3f}, {0.6f, 1.8f, 0.3f});
  std::mt19937 random(11);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  for (int n = 0; n < 2000; ++n) {
    eng::TMatrix4 at = game::ActorMatrix(40 * unit(random), 40 * unit(random), 360 * unit(random), 3 * unit(random),
                                         3 * unit(random), 3 * unit(random), 0.2f + 3 * unit(random));
    TVec3 inside = eng::MatrixTransformPoint(
        at, {-0.39f + 0.98f * unit(random), 0.01f + 1.78f * unit(random), -0.29f + 0.58f * unit(random)});
    TVec3 direction{unit(random) - 0.5f, unit(random) - 0.5f, unit(random) - 0.5f};
    float d = 1e30f;
    EXPECT_TRUE(game::MeshRayHit(*box, 0, at, inside - direction * 30.0f, inside + direction * 30.0f, &d)) << n;
  }
}

}  // namespace
