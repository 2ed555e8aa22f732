// A small world for the tests of creatures acting: every game module reset, a map of a chosen
// size, creature and wall kinds made in memory with box models, and ticks of the world as the
// game's tick runs them.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "game/actors/ai.h"
#include "game/actors/bullets.h"
#include "game/actors/creatures.h"
#include "game/actors/effects.h"
#include "game/actors/movement.h"
#include "game/actors/walls.h"
#include "game/core/camera.h"
#include "game/core/game_core.h"
#include "game/core/players.h"
#include "game/gui/gui.h"
#include "game/models/mesh.h"
#include "game/script/script_host.h"
#include "game/world/registry.h"
#include "tests/support/actor_models.h"
#include "tests/support/game_reset.h"

namespace testsupport {

// What a creature kind made in memory has; the defaults are a soldier-like kind with every model.
struct KindTraits {
  std::string name = "Unit";
  uint32_t frames = 8;          // key frames of every model
  bool atackModel = true;
  bool shotModel = true;
  bool damageModel = true;
  float animSpeed = 0.3f;
  float moveSpeed = 0.05f;
  int32_t movePoints = 8;
  int32_t atackPoints = 2;
  int32_t health = 10;
  int32_t damage = 3;
  int32_t shots = 0;
  int32_t shotRange = 5;
  int32_t shotDamage = 4;
  int32_t atackFrame = 0;       // 0: the last frame, as the kind reader corrects it
  int32_t shotFrame = 0;
};

class WorldTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetAll(); }
  void TearDown() override { ResetAll(); }

  static void ResetAll() {
    ResetGameWorld();
    game::GUIReset();
    game::ScriptHostReset();
    game::PlayersStart();
    SetMap(9, 9);
  }

  // Largest tile indices.
  static void SetMap(int32_t width, int32_t height) {
    game::Registry().MapWidth = width;
    game::Registry().MapHeight = height;
  }

  static void AddKind(const KindTraits& traits) {
    game::TCreature kind;
    kind.Name = traits.name;
    kind.Scale = 1.0f;
    kind.AnimSpeed = traits.animSpeed;
    kind.MoveSpeed = traits.moveSpeed;
    auto model = [&](const char* name) {
      kind.Models.push_back(BoxMesh({-0.4f, 0.0f, -0.4f}, {0.4f, 1.8f, 0.4f}, traits.frames));
      kind.ModelNames.push_back(name);
      kind.ModelSpeeds.push_back(0.0f);
    };
    model("Stand");
    model("Walk");
    if (traits.atackModel) model("Atack");
    if (traits.shotModel) model("Shot");
    if (traits.damageModel) model("Damage");
    kind.ModelCount = static_cast<int32_t>(kind.Models.size());
    int32_t last = static_cast<int32_t>(traits.frames) - 1;
    kind.AtackFrame = traits.atackFrame == 0 ? last : traits.atackFrame;
    kind.ShotFrame = traits.shotFrame == 0 ? last : traits.shotFrame;
    kind.MovePoints = kind.MovePointsMax = traits.movePoints;
    kind.AtackPoints = kind.AtackPointsMax = traits.atackPoints;
    kind.Health = kind.HealthMax = traits.health;
    kind.Damage = traits.damage;
    kind.Shots = traits.shots;
    kind.ShotRange = traits.shotRange;
    kind.ShotDamage = traits.shotDamage;
    kind.Bullet = "Slug";
    game::CreatureLists().CreatureKinds.push_back(kind);
  }

  // A kind like the default one that shoots.
  static void AddShooter(const std::string& name, int32_t shots, int32_t range) {
    KindTraits traits;
    traits.name = name;
    traits.shots = shots;
    traits.shotRange = range;
    AddKind(traits);
  }

  // Places a creature of the kind on (x, y) for `owner`; its index.
  static int32_t Place(const std::string& kind, int32_t x, int32_t y, uint8_t owner, float angle = 0.0f) {
    uint16_t id = game::CreateCreature(kind, x, y, angle);
    EXPECT_NE(id, 0) << kind << " at " << x << " " << y;
    int32_t index = game::FindCreature(id);
    game::CreatureLists().Creatures[static_cast<size_t>(index)].Owner = owner;
    return index;
  }

  static game::TCreature& C(int32_t index) { return game::CreatureLists().Creatures[static_cast<size_t>(index)]; }

  // A wall on (x, y) of a kind made for it; its index.
  static size_t AddWall(int32_t x, int32_t y, bool ghost = false, bool diagonalTouch = true, int32_t touchX = 0,
                        int32_t touchY = 0, float angle = 0.0f, const std::string& touchScript = "") {
    game::TWall kind;
    kind.Name = "Wall" + std::to_string(game::WallLists().WallKinds.size());
    kind.Scale = 1.0f;
    kind.AnimSpeed = 0.3f;
    kind.Ghost = ghost;
    kind.DiagonalTouch = diagonalTouch;
    kind.TouchTileX = touchX;
    kind.TouchTileY = touchY;
    kind.TouchScript = touchScript;
    game::WallLists().WallKinds.push_back(kind);
    EXPECT_NE(game::CreateWall(kind.Name, x, y, angle, 0), 0);
    return game::WallLists().Walls.size() - 1;
  }

  // One tick of the world as the game's tick runs it (no input): the world update, the AI and
  // the switch to turn-based play.
  static void Tick(int n = 1) {
    for (int i = 0; i < n; ++i) {
      game::UpdateWorld();
      game::AiTick();
      game::TurnBasedSwitchOver();
    }
  }

  // Ticks until the creature stands (at most `limit`); the ticks taken.
  static int TickUntilStands(int32_t index, int limit = 2000) {
    for (int t = 1; t <= limit; ++t) {
      Tick();
      if (C(index).State == game::StateStand) return t;
    }
    ADD_FAILURE() << "creature " << index << " still busy after " << limit << " ticks";
    return limit;
  }

  static int Count(const std::vector<std::string>& list, const std::string& item) {
    return static_cast<int>(std::count(list.begin(), list.end(), item));
  }
};

}  // namespace testsupport
