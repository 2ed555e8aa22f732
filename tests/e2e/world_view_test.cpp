// Whole-game runs of the camera wiring: the wheel zooms, a right drag turns, and a right click
// that has not moved keeps the mouse camera control off. Compared through the final frames of
// deterministic runs.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/test_support.h"

namespace {

using testsupport::ProcessResult;

class WorldView : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = testsupport::ScratchDir();
    testsupport::LinkGameContent(dir_);
  }

  // The final frame of a 40-tick run on the small test map (no start script moves its camera or
  // opens a box) with the cursor in the middle of the window plus `input`.
  std::vector<uint8_t> Frame(const std::string& name, const std::string& input) {
    testsupport::WriteFile(dir_ / (name + ".txt"), "1 mouse_move 400 300\n" + input);
    ProcessResult r = testsupport::RunProcess(
        {testsupport::BinPath("tessera").string(), "--headless", "--fixed-clock", "--map", "maps/compound.map",
         "--ticks", "40", "--input", (dir_ / (name + ".txt")).string(), "--screenshot",
         (dir_ / (name + ".png")).string()},
        dir_);
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<uint8_t> png = testsupport::ReadBytes(dir_ / (name + ".png"));
    EXPECT_GT(png.size(), 100u) << name;
    return png;
  }

  std::filesystem::path dir_;
};

TEST_F(WorldView, WheelAndRightDragMoveTheCameraUnlessARightClickIsPending) {
  std::vector<uint8_t> still = Frame("still", "");
  EXPECT_EQ(Frame("again", ""), still) << "runs are deterministic";
  std::vector<uint8_t> zoomed = Frame("zoomed", "9 wheel 120\n");
  EXPECT_NE(zoomed, still) << "the wheel zooms";
  std::vector<uint8_t> pending =
      Frame("pending", "5 mouse_down 2 400 300\n6 mouse_up 2 400 300\n9 wheel 120\n");
  EXPECT_EQ(pending, still) << "a right click that has not moved keeps the camera control off";
  std::vector<uint8_t> released = Frame(
      "released", "5 mouse_down 2 400 300\n6 mouse_up 2 400 300\n7 mouse_move 404 300\n8 mouse_move 400 300\n"
                  "9 wheel 120\n");
  EXPECT_EQ(released, zoomed) << "moving more than 2 pixels away ends the pending click";
  std::vector<uint8_t> turned =
      Frame("turned", "5 mouse_down 2 400 300\n6 mouse_move 430 300\n7 mouse_move 460 300\n"
                      "8 mouse_up 2 460 300\n9 mouse_move 400 300\n");
  EXPECT_NE(turned, still) << "a right drag turns";
  EXPECT_NE(turned, zoomed);
}

}  // namespace
