// The demo content as the game loads it at start (GameLoad in the game folder): the kinds and what
// their files say, the demo map placed without a message, the start view with walls, both squads
// and the selection ring of one selected soldier (written to test-artifacts/demo_start.png for
// looking at), a rifle round in flight with its smoke trail (test-artifacts/bullet_trail.png), and
// the demo scenario's first view.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <regex>
#include <string>

#include "engine/mouse.h"
#include "engine/opengl.h"
#include "engine/screenshot.h"
#include "game/actors/bullets.h"
#include "game/actors/creatures.h"
#include "game/actors/effects.h"
#include "game/actors/walls.h"
#include "game/core/camera.h"
#include "game/core/game_core.h"
#include "game/core/random.h"
#include "game/core/players.h"
#include "game/gui/gui.h"
#include "game/models/mesh.h"
#include "game/script/script_host.h"
#include "game/world/floor.h"
#include "game/world/map.h"
#include "game/world/registry.h"
#include "tests/support/game_reset.h"
#include "tests/support/gl_fixture.h"

namespace {

namespace fs = std::filesystem;

const game::TWall& WallKind(const std::string& name) {
  int32_t i = game::FindKind(game::WallLists().WallKinds, name);
  EXPECT_GE(i, 0) << name;
  return game::WallLists().WallKinds[static_cast<size_t>(std::max(i, 0))];
}

const game::TCreature& CreatureKind(const std::string& name) {
  int32_t i = game::FindKind(game::CreatureLists().CreatureKinds, name);
  EXPECT_GE(i, 0) << name;
  return game::CreatureLists().CreatureKinds[static_cast<size_t>(std::max(i, 0))];
}

class DemoMapTest : public testsupport::GlTest {
 protected:
  // The map the game is started on (--map), below the game folder; empty: the game's own, the
  // scenario. The kinds and the start view are looked at on the small map, whose layout is plain.
  virtual std::string Map() const { return "maps/compound.map"; }
  void SetUp() override {
    GlTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    if (!fs::exists(fs::path(TESSERA_GAME_DIR) / (Map().empty() ? "maps/proba.map" : Map())))
      GTEST_SKIP() << "the demo content has not been built into " << TESSERA_GAME_DIR;
    ResetAll();
    startDir_ = fs::current_path();
    fs::current_path(TESSERA_GAME_DIR);
    eng::MouseOnMove(400, 5);  // over the sky: no tile cursor in the pictures
    game::Core().Options.map = Map();
    game::GameLoad();
    // Every frame after the first sees the full diffuse material that drawing the particles
    // leaves behind; the pictures compared here are such frames.
    Draw();
  }
  void TearDown() override {
    if (!startDir_.empty()) fs::current_path(startDir_);
    ResetAll();
    eng::SetMode2D();
  }
  static void ResetAll() {
    testsupport::ResetGameWorld();
    eng::MouseReset();
  }
  static std::vector<uint8_t> Draw() {
    game::Core().FramesThisTick = 0;
    game::Core().FramesPerTick = 0;
    Clear();
    game::GameDraw();
    return ReadPixels();
  }
  // Window position of a world point under the start view (x from the left, y from the top).
  static bool Project(float wx, float wy, float wz, int* x, int* y) {
    double px, py;
    if (!testsupport::ProjectToWindow({wx, wy, wz}, &px, &py)) return false;
    *x = static_cast<int>(std::lround(px));
    *y = 600 - 1 - static_cast<int>(std::lround(py));
    return *x >= 3 && *y >= 3 && *x < 797 && *y < 597;
  }
  // Pixels of the 7 x 7 block around (x, y) that `wanted` accepts.
  static int Count(const std::vector<uint8_t>& px, int x, int y, bool (*wanted)(int r, int g, int b)) {
    int n = 0;
    for (int dy = -3; dy <= 3; ++dy)
      for (int dx = -3; dx <= 3; ++dx) {
        uint32_t p = PixelAt(px, x + dx, y + dy);
        if (wanted(static_cast<int>(p & 0xFF), static_cast<int>((p >> 8) & 0xFF), static_cast<int>((p >> 16) & 0xFF)))
          ++n;
      }
    return n;
  }

  fs::path startDir_;
};

TEST_F(DemoMapTest, KindsAndMapLoadAsWritten) {
  // Walls.
  EXPECT_EQ(game::WallLists().WallKinds.size(), 9u);
  for (const char* name : {"Stone", "Pillar", "Door", "Bush", "Crate", "Barrel", "Gate", "Lever", "Chest"}) {
    const game::TWall& kind = WallKind(name);
    ASSERT_NE(kind.Model, nullptr) << name;
    ASSERT_NE(kind.Texture, nullptr) << name;
    EXPECT_GT(kind.Texture->Width, 4) << name << ": the skin, not the placeholder";
  }
  const game::TWall& door = WallKind("Door");
  EXPECT_EQ(door.AnimType, 1);
  EXPECT_FALSE(door.Model->Looped);
  EXPECT_EQ(door.Model->FrameCount, 10u);
  EXPECT_EQ(door.TouchTileX, 1);
  EXPECT_FALSE(door.DiagonalTouch);
  // One line, comments gone: the door opens and lets creatures through.
  const std::string& script = door.TouchScript;
  EXPECT_EQ(script.rfind("begin ", 0), 0u) << script;
  EXPECT_LT(script.find("Wall_PlayAnim(Wall_ID);"), script.find("Wall_SetGhost(Wall_ID, true);")) << script;
  EXPECT_EQ(script.substr(script.size() - 5), "end. ") << script;
  EXPECT_EQ(script.find("//"), std::string::npos) << script;
  EXPECT_EQ(script.find('\n'), std::string::npos) << script;
  EXPECT_TRUE(WallKind("Bush").Ghost);
  EXPECT_TRUE(WallKind("Bush").Animated);
  EXPECT_FALSE(WallKind("Stone").Ghost);

  // Creatures.
  EXPECT_EQ(game::CreatureLists().CreatureKinds.size(), 6u);
  for (const char* name : {"Blue Soldier", "Red Soldier", "Beast", "Scout", "Militia", "Beast Alpha"}) {
    const game::TCreature& kind = CreatureKind(name);
    EXPECT_EQ(kind.ModelNames, (std::vector<std::string>{"Stand", "Walk", "Atack", "Shot", "Damage"})) << name;
    for (const game::TGmMesh* model : kind.Models) EXPECT_NE(model, nullptr) << name;
    ASSERT_NE(kind.Texture, nullptr);
    EXPECT_GT(kind.Texture->Width, 4) << name;
    EXPECT_EQ(kind.AtackFrame, 6) << name;
    EXPECT_GT(kind.Health, 0) << name;
  }
  const game::TCreature& blue = CreatureKind("Blue Soldier");
  EXPECT_EQ(blue.ShotFrame, 4);
  EXPECT_GT(blue.Shots, 0);
  EXPECT_EQ(blue.Bullet, "Bullet");
  EXPECT_FLOAT_EQ(blue.ModelSpeeds[1], 0.43f);
  EXPECT_EQ(CreatureKind("Beast").Shots, 0) << "beasts fight in melee only";
  // The soldiers' round, and the smoke it trails, with their textures from their own folders.
  const auto& bullets = game::BulletLists().BulletKinds;
  ASSERT_EQ(bullets.size(), 1u);
  EXPECT_TRUE(game::SameName(bullets[0].Name, blue.Bullet));
  EXPECT_NE(bullets[0].Model, nullptr);
  ASSERT_NE(bullets[0].Texture, nullptr);
  EXPECT_GT(bullets[0].Texture->Width, 4);
  EXPECT_EQ(bullets[0].OffsetY, 1.4f);
  const auto& effects = game::EffectLists().EffectKinds;
  EXPECT_EQ(effects.size(), 2u) << "the trail and the flare";
  int32_t trail = game::FindKind(effects, bullets[0].Effect);
  ASSERT_GE(trail, 0);
  const game::TEffect& smoke = effects[static_cast<size_t>(trail)];
  ASSERT_NE(smoke.Texture, nullptr);
  EXPECT_EQ(smoke.Texture->Width, 64) << "smoke.tga from Data/Effects/, not the placeholder";
  EXPECT_LT(smoke.AlphaChange, 0.0f) << "the smoke fades";
  EXPECT_GT(smoke.Lifetime, 2 * 19 * 1.5 / bullets[0].MoveSpeed)
      << "the trail outlasts a flight across the map";
  // The flare a creature lights: sparks that rise, fall back and fade, for a good while.
  int32_t flare = game::FindKind(effects, "Flare");
  ASSERT_GE(flare, 0);
  const game::TEffect& sparks = effects[static_cast<size_t>(flare)];
  ASSERT_NE(sparks.Texture, nullptr);
  EXPECT_EQ(sparks.Texture->Width, 64) << "spark.tga from Data/Effects/";
  EXPECT_LT(sparks.AlphaChange, 0.0f);
  EXPECT_GT(sparks.Speed[1], 0.0f);
  EXPECT_LT(sparks.SpeedChange[1], 0.0f);
  EXPECT_GE(sparks.Lifetime, 600) << "ten seconds or more";

  // The map: everything placed, nothing reported.
  EXPECT_TRUE(game::MapState().Messages.empty()) << game::MapState().Messages[0];
  EXPECT_EQ(game::Registry().MapWidth, 19);
  EXPECT_EQ(game::Registry().MapHeight, 19);
  EXPECT_GE(game::Floor().FloorTextureNames.size(), 3u) << "grass, dirt and paving";
  int blueCount = 0, redCount = 0, beasts = 0;
  for (const game::TCreature& c : game::CreatureLists().Creatures) {
    if (c.Name == "Blue Soldier" && c.Owner == 0) ++blueCount;
    if (c.Name == "Red Soldier" && c.Owner == 1) ++redCount;
    if (c.Name == "Beast" && c.Owner == 1) ++beasts;
    EXPECT_EQ(game::FindCreature(c.ID), &c - game::CreatureLists().Creatures.data()) << "IDs are unique";
  }
  EXPECT_EQ(blueCount, 4);
  EXPECT_EQ(redCount, 4);
  EXPECT_EQ(beasts, 3);
  // Every door's touch tile is inside the map and free of walls, so it can be touched.
  for (const game::TWall& w : game::WallLists().Walls) {
    EXPECT_EQ(game::FindWall(w.ID), &w - game::WallLists().Walls.data()) << "IDs are unique";
    if (w.Name != "Door") continue;
    int tx = w.X + w.TouchTileX, ty = w.Y + w.TouchTileY;
    EXPECT_TRUE(tx >= 0 && ty >= 0 && tx <= 19 && ty <= 19);
    for (const game::TWall& other : game::WallLists().Walls) EXPECT_FALSE(other.X == tx && other.Y == ty) << other.Name;
  }
}

TEST_F(DemoMapTest, StartViewShowsWallsBothSquadsAndTheSelectionRing) {
  std::vector<game::TCreature>& creatures = game::CreatureLists().Creatures;
  std::vector<uint8_t> plain = Draw();

  // Select a blue soldier the way a click would (clicking arrives with the orders).
  size_t chosen = 0;
  while (chosen < creatures.size() && creatures[chosen].Owner != 0) ++chosen;
  ASSERT_LT(chosen, creatures.size());
  creatures[chosen].Selected = true;
  game::PlayerTable().Players[0].SelectedCreature = static_cast<int32_t>(chosen);
  // A selected creature of another player shows no ring while player 0 is current.
  size_t enemy = 0;
  while (creatures[enemy].Owner != 1) ++enemy;
  creatures[enemy].Selected = true;
  std::vector<uint8_t> px = Draw();
  fs::path shot = fs::path(TESSERA_BINARY_DIR) / "test-artifacts" / "demo_start.png";
  fs::create_directories(shot.parent_path());
  std::string error;
  EXPECT_TRUE(eng::ScreenshotSaveBackBuffer(shot.string(), &error)) << error;

  auto changedNear = [&](const game::TCreature& c) {
    int n = 0;
    for (float dx : {-0.75f, 0.0f, 0.75f})
      for (float dz : {-0.75f, 0.0f, 0.75f}) {
        int x, y;
        if (!Project(c.WorldX + dx, 0.05f, c.WorldZ + dz, &x, &y)) continue;
        for (int oy = -2; oy <= 2; ++oy)
          for (int ox = -2; ox <= 2; ++ox) n += PixelAt(px, x + ox, y + oy) != PixelAt(plain, x + ox, y + oy);
      }
    return n;
  };
  EXPECT_GT(changedNear(creatures[chosen]), 20) << "the ring lies under the selected soldier";
  EXPECT_EQ(changedNear(creatures[enemy]), 0) << "no ring for another player's creature";
  size_t changed = 0;
  for (size_t i = 0; i < px.size(); ++i) changed += px[i] != plain[i];
  EXPECT_LT(changed, 4u * 60 * 60) << "nothing else changed";

  // Each squad shows its colour on the soldiers' bodies; walls show grey stone.
  auto blue = [](int r, int g, int b) { return b > r + 40 && b > g + 20; };
  auto red = [](int r, int g, int b) { return r > g + 60 && r > b + 60; };
  auto grey = [](int r, int g, int b) { return std::abs(r - g) < 20 && std::abs(g - b) < 24 && r > 90; };
  for (const game::TCreature& c : creatures) {
    if (c.Name == "Beast") continue;
    int x, y;
    ASSERT_TRUE(Project(c.WorldX, 1.1f, c.WorldZ, &x, &y)) << c.ID;
    bool isBlue = c.Owner == 0;
    EXPECT_GT(Count(px, x, y, isBlue ? +blue : +red), 2) << c.Name << " " << c.ID << " at " << x << "," << y;
    EXPECT_EQ(Count(px, x, y, isBlue ? +red : +blue), 0) << c.Name << " " << c.ID;
  }
  int stones = 0, grey_stones = 0;
  for (const game::TWall& w : game::WallLists().Walls) {
    if (w.Name != "Stone") continue;
    int x, y;
    if (!Project(2.0f * static_cast<float>(w.X), 2.16f, 2.0f * static_cast<float>(w.Y), &x, &y)) continue;
    ++stones;
    grey_stones += Count(px, x, y, +grey) > 20;
  }
  EXPECT_GT(stones, 10);
  EXPECT_GT(grey_stones, stones * 3 / 4) << "the tops of the stone walls are grey";
}

TEST_F(DemoMapTest, ARifleRoundFliesWithItsSmokeTrailAndHitsItsTarget) {
  std::vector<game::TCreature>& creatures = game::CreatureLists().Creatures;
  size_t shooter = 0, target = 0;
  while (shooter < creatures.size() && creatures[shooter].Name != "Blue Soldier") ++shooter;
  while (target < creatures.size() && creatures[target].Name != "Red Soldier") ++target;
  ASSERT_LT(shooter, creatures.size());
  ASSERT_LT(target, creatures.size());
  std::vector<uint8_t> plain = Draw();

  // The smoke's spread is random: the same puffs in every run.
  game::RandomSeed(5);
  // The shot as the shooter makes it: the bullet, then its target and the shooter's damage.
  const game::TCreature& from = creatures[shooter];
  game::TCreature& to = creatures[target];
  ASSERT_TRUE(game::CreateBullet(from.Bullet, from.TileX, from.TileY, to.TileX, to.TileY));
  game::BulletLists().Bullets[0].Target = static_cast<int32_t>(target);
  game::BulletLists().Bullets[0].Damage = from.ShotDamage;
  const float startX = game::BulletLists().Bullets[0].WorldX, startZ = game::BulletLists().Bullets[0].WorldZ;
  const float distance = game::BulletLists().Bullets[0].DistanceLeft;
  ASSERT_GT(distance, 8.0f);
  int ticks = 0;
  while (game::BulletLists().Bullets[0].DistanceLeft > distance * 0.45f) {
    game::UpdateWorld();
    ++ticks;
  }
  const game::TBullet& b = game::BulletLists().Bullets[0];
  EXPECT_LE(game::EffectLists().Particles.size(), static_cast<size_t>(ticks)) << "one puff per tick at most";
  EXPECT_GT(game::EffectLists().Particles.size(), 10u);

  std::vector<uint8_t> px = Draw();
  fs::path shot = fs::path(TESSERA_BINARY_DIR) / "test-artifacts" / "bullet_trail.png";
  fs::create_directories(shot.parent_path());
  std::string error;
  EXPECT_TRUE(eng::ScreenshotSaveBackBuffer(shot.string(), &error)) << error;
  auto changed = [&](float wx, float wy, float wz) {
    int x, y, n = 0;
    if (!Project(wx, wy, wz, &x, &y)) return -1;
    for (int dy = -3; dy <= 3; ++dy)
      for (int dx = -3; dx <= 3; ++dx) n += PixelAt(px, x + dx, y + dy) != PixelAt(plain, x + dx, y + dy);
    return n;
  };
  EXPECT_GT(changed(b.WorldX, b.OffsetY, b.WorldZ), 10) << "the round";
  // The smoke behind it, a few ticks back, is still thick.
  float backX = b.WorldX - (b.WorldX - startX) * 0.15f, backZ = b.WorldZ - (b.WorldZ - startZ) * 0.15f;
  EXPECT_GT(changed(backX, b.OffsetY, backZ), 20) << "the trail";
  // Pale smoke over the grass and earth: brighter, and greyer (blue gains on green).
  int x, y;
  ASSERT_TRUE(Project(backX, b.OffsetY, backZ, &x, &y));
  auto sums = [&](const std::vector<uint8_t>& p, int* light, int* blueOverGreen) {
    *light = *blueOverGreen = 0;
    for (int dy = -3; dy <= 3; ++dy)
      for (int dx = -3; dx <= 3; ++dx) {
        uint32_t c = PixelAt(p, x + dx, y + dy);
        int r = static_cast<int>(c & 0xFF), g = static_cast<int>((c >> 8) & 0xFF),
            bl = static_cast<int>((c >> 16) & 0xFF);
        *light += r + g + bl;
        *blueOverGreen += bl - g;
      }
  };
  int lightBefore, greyBefore, lightAfter, greyAfter;
  sums(plain, &lightBefore, &greyBefore);
  sums(px, &lightAfter, &greyAfter);
  EXPECT_GT(lightAfter - lightBefore, 49 * 3 * 30) << "brighter by 30 a channel on average";
  EXPECT_GT(greyAfter - greyBefore, 49 * 10) << "greyer";

  // Landing: the target is hurt, and the trail with its smoke is gone at once.
  int health = to.Health;
  while (!game::BulletLists().Bullets.empty()) game::UpdateWorld();
  EXPECT_EQ(to.Health, health - from.ShotDamage);
  EXPECT_EQ(to.State, game::StateDamage);
  EXPECT_TRUE(game::EffectLists().Effects.empty());
  EXPECT_TRUE(game::EffectLists().Particles.empty());
}

// The demo scenario's first view: the camera where its "Start Map" block puts it frames the fort,
// with both human squads, the hall door and the lever on the screen in their colours, and leaves
// the camera within the limits that turning and zooming keep (written to
// test-artifacts/demo_scenario_start.png for looking at).
class DemoScenarioView : public DemoMapTest {
 protected:
  std::string Map() const override { return ""; }
  // Places the camera as "Start Map" does (Cam_SetPos: the eye, then the ground point looked at).
  static void StartCamera() {
    std::string start;
    for (const game::TScriptBlock& b : game::ScriptBlocks().Blocks)
      if (b.Name == "Start Map")
        for (const std::string& l : b.Lines) start += l + "\n";
    std::smatch m;
    const std::string number = "\\s*(-?[0-9.]+)\\s*";
    ASSERT_TRUE(std::regex_search(start, m,
                                  std::regex("Cam_SetPos\\(" + number + "," + number + "," + number + "," +
                                             number + "," + number + "\\)")))
        << start;
    game::TGmCamera& camera = game::GmCamera();
    camera.Camera.Position = {std::stof(m[1]), std::stof(m[2]), std::stof(m[3])};
    camera.GroundTargetX = std::stof(m[4]);
    camera.GroundTargetZ = std::stof(m[5]);
    eng::CameraLookAt(camera.Camera, {camera.GroundTargetX, 0.0f, camera.GroundTargetZ}, {0.0f, 1.0f, 0.0f});
  }
  // The welcome messages answered as the player does: the boxes sit over the middle of the view.
  static void AnswerTheWelcome() {
    for (int box = 0; box < 10 && game::GuiFlags().GameFrozen; ++box) game::GameMessageOK();
    game::GuiRemoveClosedWindows();
    EXPECT_FALSE(game::GuiFlags().GameFrozen) << "more welcome messages than ten";
  }
  static void SavePicture(const std::string& name) {
    fs::path shot = fs::path(TESSERA_BINARY_DIR) / "test-artifacts" / name;
    fs::create_directories(shot.parent_path());
    std::string error;
    EXPECT_TRUE(eng::ScreenshotSaveBackBuffer(shot.string(), &error)) << error;
  }
};

TEST_F(DemoScenarioView, StartMapFramesTheFortAndBothSquads) {
  ASSERT_NO_FATAL_FAILURE(StartCamera());
  EXPECT_TRUE(game::GuiFlags().GameFrozen) << "the welcome waits for OK";
  AnswerTheWelcome();
  game::TOrbit orbit = game::CameraOrbit();
  EXPECT_GE(orbit.Dist, 18.0f);
  EXPECT_LE(orbit.Dist, 50.0f);
  EXPECT_GE(orbit.Pitch, 0.4f);
  EXPECT_LE(orbit.Pitch, 1.0f);

  std::vector<uint8_t> px = Draw();
  SavePicture("demo_scenario_start.png");

  // Each human soldier is on the screen and shows its squad's colour on its body.
  auto blue = [](int r, int g, int b) { return b > r + 40 && b > g + 20; };
  auto green = [](int r, int g, int b) { return g > r + 30 && g > b + 30; };
  int shown = 0;
  for (const game::TCreature& c : game::CreatureLists().Creatures) {
    if (!game::PlayerTable().Players[c.Owner].Human) continue;
    int x, y;
    ASSERT_TRUE(Project(c.WorldX, 1.1f, c.WorldZ, &x, &y)) << c.Name << " " << c.ID;
    int colour = 0;
    for (int dy = -3; dy <= 3; ++dy)
      for (int dx = -3; dx <= 3; ++dx) {
        uint32_t p = PixelAt(px, x + dx, y + dy);
        int r = static_cast<int>(p & 0xFF), g = static_cast<int>((p >> 8) & 0xFF),
            b = static_cast<int>((p >> 16) & 0xFF);
        colour += c.Owner == 0 ? blue(r, g, b) : green(r, g, b);
      }
    EXPECT_GT(colour, 2) << c.Name << " " << c.ID << " at " << x << "," << y;
    ++shown;
  }
  EXPECT_EQ(shown, 7);
  // The first things to touch: the hall door and the yard's lever.
  for (uint16_t id : {50, 55}) {
    int32_t i = game::FindWall(id);
    ASSERT_GE(i, 0) << id;
    const game::TWall& w = game::WallLists().Walls[static_cast<size_t>(i)];
    int x, y;
    EXPECT_TRUE(Project(2.0f * static_cast<float>(w.X), 0.8f, 2.0f * static_cast<float>(w.Y), &x, &y))
        << w.Name;
  }
}

// A flare lit over a soldier (as its use script's Cr_EffectCreate starts it) throws sparks above
// the soldier's head: warm, bright pixels there that were not there before, and nowhere far off
// (test-artifacts/demo_flare.png).
TEST_F(DemoScenarioView, AFlareBurnsOverItsCarrier) {
  ASSERT_NO_FATAL_FAILURE(StartCamera());
  std::vector<game::TCreature>& creatures = game::CreatureLists().Creatures;
  int32_t i = game::FindCreature(1);
  ASSERT_GE(i, 0);
  game::TCreature& carrier = creatures[static_cast<size_t>(i)];
  std::vector<uint8_t> plain = Draw();
  game::RandomSeed(5);  // the sparks' spread is random: the same sparks in every run
  carrier.EffectID = game::CreateEffect("Flare", carrier.WorldX, 0.0f, carrier.WorldZ);
  ASSERT_NE(carrier.EffectID, 0);
  for (int tick = 0; tick < 40; ++tick) game::UpdateWorld();
  std::vector<uint8_t> px = Draw();
  SavePicture("demo_flare.png");

  auto warm = [](uint32_t p) {
    int r = static_cast<int>(p & 0xFF), g = static_cast<int>((p >> 8) & 0xFF);
    int b = static_cast<int>((p >> 16) & 0xFF);
    return r > 200 && g > 120 && r > b + 60;
  };
  int x, y;
  ASSERT_TRUE(Project(carrier.WorldX, 2.2f, carrier.WorldZ, &x, &y));
  int near = 0, far = 0;
  for (int py = 3; py < 597; ++py)
    for (int pxl = 3; pxl < 797; ++pxl) {
      if (!warm(PixelAt(px, pxl, py)) || warm(PixelAt(plain, pxl, py))) continue;
      (std::abs(pxl - x) <= 25 && std::abs(py - y) <= 30 ? near : far) += 1;
    }
  EXPECT_GT(near, 15) << "sparks over the carrier at " << x << "," << y;
  EXPECT_EQ(far, 0);
}

}  // namespace
