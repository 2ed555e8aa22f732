// Whole-game runs of scripts on small test maps, observed through state dumps: every game function
// that does not need a GUI window called from the map's blocks, the scripts paused by a message,
// and a creature walking up to a door that the map's "Touch Wall" block keeps shut once.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "game/core/camera.h"
#include "game/core/game_core.h"
#include "game/world/registry.h"
#include "tests/support/grass_map.h"
#include "tests/support/state_dump_reader.h"
#include "tests/support/test_support.h"

namespace {

using testsupport::ProcessResult;
using testsupport::StateDumpReader;

constexpr int kWidth = 800, kHeight = 600;

// Where the ray through window pixel (px, py) meets the plane of the floor, also off the map.
eng::TVec3 FloorUnder(double px, double py) {
  eng::TVec3 eye = game::GmCamera().Camera.Position;
  eng::TVec3 far = game::UnprojectWindowPixel(static_cast<int>(px), static_cast<int>(py), kWidth, kHeight);
  return eye + (far - eye) * (eye.Y / (eye.Y - far.Y));
}

// A window pixel over the middle of tile (x, y) at the start camera, found by Newton steps on the
// game's own picking (tile centres lie 2 apart in world X and Z), then checked by that picking.
std::pair<int, int> PixelOnTile(int32_t x, int32_t y) {
  game::CameraStart();
  game::Registry().MapWidth = game::Registry().MapHeight = 19;
  double px = kWidth / 2.0, py = kHeight / 2.0;
  const double tx = 2.0 * x, tz = 2.0 * y, h = 6.0;
  for (int step = 0; step < 8; ++step) {
    eng::TVec3 p = FloorUnder(px, py), right = FloorUnder(px + h, py), down = FloorUnder(px, py + h);
    double a = (right.X - p.X) / h, b = (down.X - p.X) / h, c = (right.Z - p.Z) / h, d = (down.Z - p.Z) / h;
    double det = a * d - b * c;
    if (det == 0.0) break;
    double ex = tx - p.X, ez = tz - p.Z;
    px += (d * ex - b * ez) / det;
    py += (a * ez - c * ex) / det;
  }
  // The floor's two picking triangles leave a hair's gap along the map's diagonal, where a tile
  // centre may lie: a pixel beside it is taken then.
  for (int nudge : {0, 1, -1, 2, -2}) {
    int x0 = static_cast<int>(std::lround(px)) + nudge, y0 = static_cast<int>(std::lround(py));
    game::Core().CursorWorldPoint = game::UnprojectWindowPixel(x0, y0, kWidth, kHeight);
    game::PickFloorTile(game::GmCamera().Camera.Position);
    if (game::Core().CursorTileX == x && game::Core().CursorTileY == y) return {x0, y0};
  }
  ADD_FAILURE() << "no pixel picks tile " << x << "," << y << " near " << px << "," << py;
  return {0, 0};
}

class ScriptRun : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = testsupport::ScratchDir();
    testsupport::LinkGameContent(dir_, {"Data"});
    std::filesystem::create_directories(dir_ / "maps");
  }
  // A 20 x 20 grass map with these wall, creature and script lines.
  void WriteMap(const std::string& things) {
    ASSERT_EQ(testsupport::WriteGrassMap(dir_ / "maps/proba.map", things), "");
  }
  ProcessResult Run(long ticks, const std::string& input) {
    testsupport::WriteFile(dir_ / "input.txt", input);
    // Drawing every 8th frame keeps the long walks short; the cursor is picked in drawn frames.
    return testsupport::RunProcess({testsupport::BinPath("tessera").string(), "--headless", "--fixed-clock",
                                    "--ticks", std::to_string(ticks), "--dump-state", "state.txt", "--input",
                                    "input.txt", "--draw-every", "8"},
                                   dir_, 600);
  }
  StateDumpReader Dump() { return StateDumpReader(testsupport::ReadFile(dir_ / "state.txt")); }
  // The value of store entry `name` ("int" or "bool" store); a failure when it is not there.
  static std::string Stored(const StateDumpReader& d, const std::string& store, const std::string& name) {
    long long count = d.Int("script", store + "s");
    for (long long i = 0; i < count; ++i) {
      std::string key = store + "." + std::to_string(i) + ".";
      if (d.Get("script", key + "Name") == "\"" + name + "\"") return d.Get("script", key + "Value");
    }
    ADD_FAILURE() << "no " << store << " named " << name;
    return "";
  }
  static bool HasStored(const StateDumpReader& d, const std::string& store, const std::string& name) {
    long long count = d.Int("script", store + "s");
    for (long long i = 0; i < count; ++i)
      if (d.Get("script", store + "." + std::to_string(i) + ".Name") == "\"" + name + "\"") return true;
    return false;
  }
  std::filesystem::path dir_;
};

TEST_F(ScriptRun, TheMapsBlocksCallEveryFunctionOutsideTheGuiAndAMessageHoldsTheRest) {
  WriteMap("wall Door 8 8 0 1\n"
           "wall Stone 5 9 0 2\n"
           "wall Door 12 3 0 3\n"
           "creature \"Blue Soldier\" 5 5 0 1 0\n"
           "creature \"Red Soldier\" 15 15 180 2 1\n"
           "creature Beast 17 2 0 3 1\n"
           "script \"Start Map\" <<END\n"
           "begin\n"
           "  SetInt('id at start', Cr_ID); SetInt('wall at start', Wall_ID);\n"
           "  SetInt('a', 5); SetInt('A', GetInt('a') + 1);\n"
           "  SetBool('a', GetInt('never set') = 0); SetBool('unset', GetBool('never set'));\n"
           "  SetInt('shots', Cr_GetParam(1, 'shots')); SetInt('unknown', Cr_GetParam(1, 'SPEED') + Cr_GetParam(99, 'HEALTH'));\n"
           "  SetBool('name', Cr_GetName(2) = 'Red Soldier'); SetBool('no name', Cr_GetName(99) = '');\n"
           "  Cr_SetParam(1, 'health', 1000);\n"
           "  Cr_Damage(2, 3); Cr_Damage(3, 100000);\n"
           "  Cr_SetAngle(3, 45.5);\n"
           "  Cr_LookAtWall(1, 2);\n"
           "  Cr_GiveItem(1, 'medkit'); Cr_GiveItem(1, 'MEDKIT'); Cr_GiveItem(1, 'Key'); Cr_GiveItem(1, 'Nothing');\n"
           "  Cr_RemoveItem(1, 'key'); Cr_GiveItem(2, 'Flare');\n"
           "  Cr_EffectCreate(3, 'Flare');\n"
           "  Wall_SetFrame(1, 2.5); Wall_SetFrame(3, -1);\n"
           "  Wall_SetGhost(2, true);\n"
           "  Wall_PlayAnim(3);\n"
           "  Cam_SetPos(14, 14, 22, 14, 10);\n"
           "  EndTurn;\n"
           "  GameMessage('First block done');\n"
           "  SetInt('after the message', 1);\n"
           "end.\n"
           "END\n"
           "script \"Start Map\" <<END\n"
           "begin SetInt('second block', GetInt('A')); end.\n"
           "END\n"
           "script \"Not Run\" <<END\n"
           "begin SetInt('never', 1); end.\n"
           "END\n");
  // The cursor stays in the middle of the window: the camera the script set looks at tile (7, 5).
  ProcessResult r = Run(20, "1 mouse_move 400 300\n");
  ASSERT_EQ(r.status, 0) << r.err;
  StateDumpReader d = Dump();

  EXPECT_EQ(Stored(d, "int", "id at start"), "0");
  EXPECT_EQ(Stored(d, "int", "wall at start"), "0");
  EXPECT_EQ(Stored(d, "int", "a"), "5") << "names are case-sensitive";
  EXPECT_EQ(Stored(d, "int", "A"), "6");
  EXPECT_EQ(Stored(d, "bool", "a"), "1") << "the two stores are separate";
  EXPECT_EQ(Stored(d, "bool", "unset"), "0");
  EXPECT_EQ(Stored(d, "int", "shots"), std::to_string(d.Creature(0, "Shots")));
  EXPECT_NE(d.Creature(0, "Shots"), 0);
  EXPECT_EQ(Stored(d, "int", "unknown"), "0");
  EXPECT_EQ(Stored(d, "bool", "name"), "1");
  EXPECT_EQ(Stored(d, "bool", "no name"), "1");
  EXPECT_EQ(Stored(d, "int", "second block"), "6") << "the second block ran while the first waited";
  EXPECT_FALSE(HasStored(d, "int", "after the message")) << "no OK was pressed";
  EXPECT_FALSE(HasStored(d, "int", "never"));
  EXPECT_EQ(d.Int("script", "runs"), 1);
  EXPECT_EQ(d.Get("script", "run.0"), "\"block Start Map\"");
  EXPECT_EQ(d.Int("script", "slots"), 2) << "the paused first block keeps its slot";
  EXPECT_EQ(d.Get("script", "slot.0"), "\"paused\"");
  EXPECT_EQ(d.Get("script", "slot.1"), "\"loaded\"");
  std::vector<std::string> messages;
  for (long long i = 0; i < d.Int("gui", "messages"); ++i) messages.push_back(d.Get("gui", "message." + std::to_string(i)));
  EXPECT_EQ(messages, std::vector<std::string>({"\"First block done\""}));

  EXPECT_EQ(d.Creature(0, "Health"), d.Creature(0, "HealthMax"));
  EXPECT_EQ(d.Creature(1, "Health"), d.Creature(1, "HealthMax") - 3);
  EXPECT_EQ(d.Creature(2, "Health"), 0);
  EXPECT_EQ(d.Float("creatures", "creature.2.Angle"), 45.5f);
  EXPECT_EQ(d.Float("creatures", "creature.0.Angle"), 90.0f) << "wall 2 lies straight ahead in +Y";
  EXPECT_NE(d.Creature(2, "EffectID"), 0);
  EXPECT_GE(d.Int("effects", "count"), 1);

  EXPECT_EQ(d.Int("items", "creature.0.items"), 1);
  EXPECT_EQ(d.Get("items", "creature.0.item.0.Name"), "\"Medkit\"");
  EXPECT_EQ(d.Int("items", "creature.0.item.0.Count"), 2);
  EXPECT_EQ(d.Int("items", "creature.1.items"), 1);
  EXPECT_EQ(d.Get("items", "creature.1.item.0.Name"), "\"Flare\"");
  EXPECT_EQ(d.Int("items", "creature.2.items"), 0);

  EXPECT_EQ(d.Float("walls", "wall.0.Frame"), 2.5f);
  EXPECT_EQ(d.Int("walls", "wall.0.Animated"), 0);
  EXPECT_EQ(d.Int("walls", "wall.1.Ghost"), 1);
  EXPECT_EQ(d.Int("walls", "wall.2.Animated"), 1);
  EXPECT_EQ(d.Int("walls", "wall.2.Ghost"), 0);

  EXPECT_EQ(d.Int("players", "TurnsEnded"), 1);
  EXPECT_EQ(d.Int("players", "CurrentPlayer"), 1);
  EXPECT_EQ(d.Int("core", "CursorTileX"), 7);
  EXPECT_EQ(d.Int("core", "CursorTileY"), 5);
}

TEST_F(ScriptRun, EachClickOnTheMessageBoxsOKTakesTheScriptOnToItsNextMessage) {
  // Two messages, then an endless loop of them: every OK clicked lets the block run up to its
  // next message, and the game keeps taking input all the while.
  WriteMap("creature \"Blue Soldier\" 5 5 0 1 0\n"
           "script \"Start Map\" <<END\n"
           "begin\n"
           "  GameMessage('one');\n"
           "  SetInt('a', 1);\n"
           "  GameMessage('two');\n"
           "  SetInt('b', 1);\n"
           "  while true do begin\n"
           "    SetInt('loop', GetInt('loop') + 1);\n"
           "    GameMessage('again');\n"
           "  end;\n"
           "end.\n"
           "END\n");
  auto ok = [](long tick) {
    // The GUI sees the last position given in a tick, so the mouse leaves a tick after the release.
    std::string t = std::to_string(tick), down = std::to_string(tick + 2), up = std::to_string(tick + 4);
    return t + " mouse_move 400 318\n" + down + " mouse_down 0 400 318\n" + up + " mouse_up 0 400 318\n" +
           std::to_string(tick + 6) + " mouse_move 700 500\n";
  };
  auto messages = [](const StateDumpReader& d) {
    std::vector<std::string> shown;
    for (long long i = 0; i < d.Int("gui", "messages"); ++i) shown.push_back(d.Get("gui", "message." + std::to_string(i)));
    return shown;
  };

  ProcessResult r = Run(20, "1 mouse_move 700 500\n");
  ASSERT_EQ(r.status, 0) << r.err;
  StateDumpReader d = Dump();
  EXPECT_FALSE(HasStored(d, "int", "a")) << "held at its first statement";
  EXPECT_EQ(messages(d), std::vector<std::string>({"\"one\""}));
  EXPECT_EQ(d.Int("gui", "GameFrozen"), 1);

  r = Run(40, "1 mouse_move 700 500\n" + ok(10));
  ASSERT_EQ(r.status, 0) << r.err;
  d = Dump();
  EXPECT_EQ(Stored(d, "int", "a"), "1");
  EXPECT_FALSE(HasStored(d, "int", "b")) << "held again at the second message";
  EXPECT_EQ(messages(d), std::vector<std::string>({"\"one\"", "\"two\""}));

  r = Run(80, "1 mouse_move 700 500\n" + ok(10) + ok(25) + ok(40) + ok(55));
  ASSERT_EQ(r.status, 0) << r.err;
  d = Dump();
  EXPECT_EQ(Stored(d, "int", "b"), "1");
  EXPECT_EQ(Stored(d, "int", "loop"), "3") << "one turn of the loop per OK";
  EXPECT_EQ(messages(d), std::vector<std::string>({"\"one\"", "\"two\"", "\"again\"", "\"again\"", "\"again\""}));
  EXPECT_EQ(d.Int("gui", "GameFrozen"), 1) << "the world waits on the latest message";
  EXPECT_EQ(d.Int("script", "slots"), 1);
  EXPECT_EQ(d.Get("script", "slot.0"), "\"paused\"");
}

TEST_F(ScriptRun, AWalkToADoorTouchesItAndTheMapBlockKeepsItShutTheFirstTime) {
  // The door opens from its touch tile (9, 5); the stone has no touch script.
  WriteMap("wall Door 8 5 0 7\n"
           "wall Stone 5 7 0 8\n"
           "creature \"Blue Soldier\" 5 5 0 4 0\n"
           "script \"Touch Wall\" <<END\n"
           "begin\n"
           "  SetInt('touches', GetInt('touches') + 1);\n"
           "  SetInt('wall ' + IntToStr(GetInt('touches')), Wall_ID);\n"
           "  SetInt('creature', Cr_ID);\n"
           "  if GetInt('touches') = 1 then Wall_IgnoreStandardScript;\n"
           "end.\n"
           "END\n"
           "script \"Touch Wall\" <<END\n"
           "begin SetInt('second block', GetInt('second block') + 1); end.\n"
           "END\n");
  auto at = [](std::pair<int, int> p) { return " " + std::to_string(p.first) + " " + std::to_string(p.second) + "\n"; };
  std::string creature = at(PixelOnTile(5, 5)), door = at(PixelOnTile(8, 5)), stone = at(PixelOnTile(5, 7));
  std::string in;
  auto click = [&](long tick, const std::string& where) {
    in += std::to_string(tick - 20) + " mouse_move" + where;
    in += std::to_string(tick) + " mouse_down 0" + where + std::to_string(tick + 1) + " mouse_up 0" + where;
  };
  click(30, creature);
  click(60, door);   // walks round to the touch tile: touched, the block holds the door shut
  click(400, door);  // touched again from where it stands: it opens
  click(500, stone);
  ProcessResult r = Run(900, in);
  ASSERT_EQ(r.status, 0) << r.err;
  StateDumpReader d = Dump();
  EXPECT_EQ(Stored(d, "int", "touches"), "3");
  EXPECT_EQ(Stored(d, "int", "second block"), "3") << "both \"Touch Wall\" blocks run at every touch";
  EXPECT_EQ(Stored(d, "int", "wall 1"), "7");
  EXPECT_EQ(Stored(d, "int", "wall 2"), "7");
  EXPECT_EQ(Stored(d, "int", "wall 3"), "8");
  EXPECT_EQ(Stored(d, "int", "creature"), "4");
  EXPECT_EQ(d.Int("walls", "wall.0.Ghost"), 1) << "the door's own script ran at the second touch";
  EXPECT_GT(d.Float("walls", "wall.0.Frame"), 0.0f) << "and its leaves swung";
  EXPECT_EQ(d.Int("script", "CurrentWallID"), 8);
  EXPECT_EQ(d.Int("script", "CurrentCreatureID"), 4);
  // The demo GUI's creature panel opens again at the selection and after every order, with its
  // create script: only the map's and the walls' runs are counted here.
  std::vector<std::string> runs;
  for (long long i = 0; i < d.Int("script", "runs"); ++i) {
    std::string run = d.Get("script", "run." + std::to_string(i));
    if (run.find("create script of window") == std::string::npos) runs.push_back(run);
  }
  EXPECT_EQ(runs, std::vector<std::string>({"\"block Start Map\"", "\"block Touch Wall\"", "\"block Touch Wall\"",
                                            "\"touch script of wall kind \\\"Door\\\"\"", "\"block Touch Wall\""}));
  EXPECT_EQ(d.Int("script", "slots"), 1) << "no script was held, so one slot served every run";
}

}  // namespace
