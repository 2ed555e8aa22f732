// The first view of the demo scenario: the camera where its "Start Map" block puts it frames the
// fort, with both human squads, the hall door and the lever on the screen in their colours, and
// leaves the camera within the limits that turning and zooming keep (written to
// test-artifacts/demo_scenario_start.png for looking at).
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <regex>
#include <string>

#include "engine/mouse.h"
#include "engine/opengl.h"
#include "engine/screenshot.h"
#include "game/actors/creatures.h"
#include "game/actors/walls.h"
#include "game/core/camera.h"
#include "game/core/game_core.h"
#include "game/core/players.h"
#include "game/models/mesh.h"
#include "game/world/floor.h"
#include "game/world/map.h"
#include "game/world/registry.h"
#include "tests/support/gl_fixture.h"

namespace {

namespace fs = std::filesystem;

class DemoScenarioView : public testsupport::GlTest {
 protected:
  void SetUp() override {
    GlTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    if (!fs::exists(fs::path(TESSERA_GAME_DIR) / "maps/demo.map"))
      GTEST_SKIP() << "the demo content has not been built into " << TESSERA_GAME_DIR;
    ResetAll();
    startDir_ = fs::current_path();
    fs::current_path(TESSERA_GAME_DIR);
    eng::MouseOnMove(400, 5);  // over the sky: no tile cursor in the picture
    game::Core().Options.map = "maps/demo.map";
    game::GameLoad();
  }
  void TearDown() override {
    if (!startDir_.empty()) fs::current_path(startDir_);
    ResetAll();
    eng::SetMode2D();
  }
  static void ResetAll() {
    game::MeshFreeAll();
    game::MapReset();
    game::WallsReset();
    game::CreaturesReset();
    game::FloorReset();
    game::RegistryReset();
    game::PlayersReset();
    game::CameraReset();
    game::GameCoreReset();
    eng::MouseReset();
  }
  // Window position of a world point (x from the left, y from the top), if it is on the screen.
  static bool OnScreen(float wx, float wy, float wz, int* x, int* y) {
    double px, py;
    if (!testsupport::ProjectToWindow({wx, wy, wz}, &px, &py)) return false;
    *x = static_cast<int>(std::lround(px));
    *y = 600 - 1 - static_cast<int>(std::lround(py));
    return *x >= 3 && *y >= 3 && *x < 797 && *y < 597;
  }

  fs::path startDir_;
};

TEST_F(DemoScenarioView, StartMapFramesTheFortAndBothSquads) {
  // The camera as "Start Map" places it (Cam_SetPos: eye, then the ground point looked at).
  std::string start;
  for (const game::TMapScriptBlock& b : game::MapState().ScriptBlocks)
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
  game::TOrbit orbit = game::CameraOrbit();
  EXPECT_GE(orbit.Dist, 18.0f);
  EXPECT_LE(orbit.Dist, 50.0f);
  EXPECT_GE(orbit.Pitch, 0.4f);
  EXPECT_LE(orbit.Pitch, 1.0f);

  game::Core().FramesThisTick = 0;
  game::Core().FramesPerTick = 0;
  Clear();
  game::GameDraw();
  std::vector<uint8_t> px = ReadPixels();
  fs::path shot = fs::path(TESSERA_BINARY_DIR) / "test-artifacts" / "demo_scenario_start.png";
  fs::create_directories(shot.parent_path());
  std::string error;
  EXPECT_TRUE(eng::ScreenshotSaveBackBuffer(shot.string(), &error)) << error;

  // Each human soldier is on the screen and shows its squad's colour on its body.
  auto blue = [](int r, int g, int b) { return b > r + 40 && b > g + 20; };
  auto green = [](int r, int g, int b) { return g > r + 30 && g > b + 30; };
  int shown = 0;
  for (const game::TCreature& c : game::CreatureLists().Creatures) {
    if (!game::PlayerTable().Players[c.Owner].Human) continue;
    int x, y;
    ASSERT_TRUE(OnScreen(c.WorldX, 1.1f, c.WorldZ, &x, &y)) << c.Name << " " << c.ID;
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
    EXPECT_TRUE(OnScreen(2.0f * static_cast<float>(w.X), 0.8f, 2.0f * static_cast<float>(w.Y), &x, &y))
        << w.Name;
  }
}

}  // namespace
