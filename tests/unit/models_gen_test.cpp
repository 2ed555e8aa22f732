// The generated demo models: assetgen writes the same bytes every time, every model loads with
// the frame counts the definition files rely on, creatures stand on the ground facing -Z, walls
// fit their tile, the door opens away from its front, the lever throws over and the chest's lid
// lifts, and the skins are power-of-two pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "game/models/mesh.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;

struct Box {
  float minX = 1e9f, minY = 1e9f, minZ = 1e9f, maxX = -1e9f, maxY = -1e9f, maxZ = -1e9f;
};

Box BoxOf(const game::TGmMeshFrame& f) {
  Box b;
  for (const game::TGmVector& v : f.Vertices) {
    b.minX = std::min(b.minX, v.X), b.maxX = std::max(b.maxX, v.X);
    b.minY = std::min(b.minY, v.Y), b.maxY = std::max(b.maxY, v.Y);
    b.minZ = std::min(b.minZ, v.Z), b.maxZ = std::max(b.maxZ, v.Z);
  }
  return b;
}

// Each test generates its own copy: the test runner may run tests of one suite in parallel
// processes, so nothing is shared between them.
class GeneratedModels : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = testsupport::ScratchDir();
    testsupport::ProcessResult r =
        testsupport::RunProcess({testsupport::BinPath("assetgen").string(), dir_.string(), "models"}, dir_);
    ASSERT_EQ(r.status, 0) << r.err;
    game::MeshFreeAll();
  }
  void TearDown() override { game::MeshFreeAll(); }

  fs::path Model(const std::string& name) const { return dir_ / "Data" / "Models" / name; }
  game::TGmMesh* Load(const std::string& name) const {
    game::TGmMesh* mesh = game::MeshLoad(Model(name).string());
    EXPECT_NE(mesh, nullptr) << name;
    return mesh;
  }

  fs::path dir_;
};

const char* const kCreatures[] = {"soldier", "beast"};
const std::map<std::string, uint32_t> kAnimationFrames = {
    {"stand", 16}, {"walk", 12}, {"atack", 12}, {"shot", 10}, {"damage", 8}};

TEST_F(GeneratedModels, SameBytesEveryRun) {
  fs::path again = dir_ / "again";
  fs::create_directories(again);
  testsupport::ProcessResult r =
      testsupport::RunProcess({testsupport::BinPath("assetgen").string(), again.string(), "models"}, again);
  ASSERT_EQ(r.status, 0) << r.err;
  size_t files = 0;
  for (const auto& entry : fs::recursive_directory_iterator(dir_ / "Data")) {
    if (!entry.is_regular_file()) continue;
    ++files;
    fs::path twin = again / fs::relative(entry.path(), dir_);
    EXPECT_EQ(testsupport::ReadBytes(entry.path()), testsupport::ReadBytes(twin)) << twin;
  }
  EXPECT_EQ(files, 35u);
}

TEST_F(GeneratedModels, CreaturesHaveEveryAnimationStandingOnTheGround) {
  for (const char* creature : kCreatures) {
    uint32_t vertices = 0;
    for (const auto& [anim, frames] : kAnimationFrames) {
      std::string name = std::string(creature) + "_" + anim + ".md2";
      game::TGmMesh* mesh = Load(name);
      ASSERT_NE(mesh, nullptr);
      EXPECT_EQ(mesh->FrameCount, frames) << name;
      EXPECT_TRUE(mesh->Animated && mesh->Looped) << name;
      EXPECT_GT(mesh->TexCoordCount, 0u) << name;
      // One mesh in five poses: the animations can replace each other at any frame.
      if (vertices == 0) vertices = mesh->VertexCount;
      EXPECT_EQ(mesh->VertexCount, vertices) << name;
      for (uint32_t f = 0; f < mesh->FrameCount; ++f) {
        Box b = BoxOf(mesh->Frames[f]);
        // Some foot or paw touches the ground (within the file's rounding) and nothing sinks.
        EXPECT_NEAR(b.minY, 0.0f, 0.03f) << name << " frame " << f;
        EXPECT_GT(b.maxY, 0.9f) << name << " frame " << f;
        EXPECT_LT(b.maxY, 2.1f) << name << " frame " << f;
        // Only a blow reaches into the neighbouring tile, and never past its centre.
        float reach = std::max({-b.minX, b.maxX, -b.minZ, b.maxZ});
        EXPECT_LT(reach, anim == "atack" ? 2.0f : 1.5f) << name << " frame " << f;
      }
    }
  }
}

TEST_F(GeneratedModels, CreaturesFaceMinusZ) {
  // The aiming soldier's rifle reaches far forward; behind him there is only his pack.
  game::TGmMesh* shot = Load("soldier_shot.md2");
  ASSERT_NE(shot, nullptr);
  Box aim = BoxOf(shot->Frames[3]);
  EXPECT_LT(aim.minZ, -0.8f);
  EXPECT_LT(aim.maxZ, 0.5f);
  // The beast's head, the highest part (horns), is at its front.
  game::TGmMesh* beast = Load("beast_stand.md2");
  ASSERT_NE(beast, nullptr);
  const auto& v = beast->Frames[0].Vertices;
  auto top = std::max_element(v.begin(), v.end(), [](auto& a, auto& b) { return a.Y < b.Y; });
  EXPECT_LT(top->Z, -0.3f);
  // The bullet's point (a single vertex at the smallest Z) is on the axis.
  game::TGmMesh* bullet = Load("bullet.md2");
  ASSERT_NE(bullet, nullptr);
  Box b = BoxOf(bullet->Frames[0]);
  EXPECT_NEAR(b.minZ, -0.3f, 0.01f);
  EXPECT_NEAR(b.maxZ, 0.3f, 0.01f);
  for (const game::TGmVector& p : bullet->Frames[0].Vertices)
    if (p.Z < b.minZ + 0.01f) {
      EXPECT_LT(std::hypot(p.X, p.Y), 0.01f);
    }
}

TEST_F(GeneratedModels, WallsAndPropsFitTheirTile) {
  const struct {
    const char* name;
    uint32_t frames;
    float minHeight;
  } walls[] = {{"wall_stone.md2", 1, 2.0f}, {"pillar.md2", 1, 2.5f}, {"door.md2", 10, 2.0f},
               {"bush.md2", 12, 1.0f},      {"crate.obj", 1, 1.2f},  {"barrel.obj", 1, 1.1f},
               {"lever.md2", 8, 1.3f},      {"chest.md2", 8, 0.7f}};
  for (const auto& w : walls) {
    game::TGmMesh* mesh = Load(w.name);
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->FrameCount, w.frames) << w.name;
    EXPECT_GT(mesh->TexCoordCount, 0u) << w.name;
    for (uint32_t f = 0; f < mesh->FrameCount; ++f) {
      Box b = BoxOf(mesh->Frames[f]);
      EXPECT_NEAR(b.minY, 0.0f, 0.02f) << w.name;
      EXPECT_GT(b.maxY, w.minHeight) << w.name;
      EXPECT_LE(std::max({-b.minX, b.maxX, -b.minZ, b.maxZ}), 1.0f + 0.01f) << w.name << " frame " << f;
    }
  }
}

TEST_F(GeneratedModels, DoorOpensAwayFromItsFront) {
  game::TGmMesh* door = Load("door.md2");
  ASSERT_NE(door, nullptr);
  Box shut = BoxOf(door->Frames[0]), open = BoxOf(door->Frames[9]);
  EXPECT_LT(shut.maxZ, 0.35f);  // only the depth of the frame and its cap
  EXPECT_GT(open.maxZ, 0.7f);   // the leaves swung back toward +Z
  EXPECT_GT(open.minZ, -0.35f);
  // Opening is monotonic: each frame reaches at least as far back as the one before.
  for (uint32_t f = 1; f < door->FrameCount; ++f)
    EXPECT_GE(BoxOf(door->Frames[f]).maxZ, BoxOf(door->Frames[f - 1]).maxZ - 1e-3f) << f;
  // Shut, the opening is blocked up to the lintel; open, the middle of the passage is empty.
  int inPassage = 0;
  for (const game::TGmVector& p : door->Frames[9].Vertices)
    if (std::fabs(p.X) < 0.5f && p.Y > 0.1f && p.Y < 1.8f) ++inPassage;
  EXPECT_EQ(inPassage, 0);
}

// The lever's grip starts in front (-Z) and ends behind (+Z), passing over the top; the chest's
// lid lifts from the box's top to stand behind it, and the box itself stays put.
TEST_F(GeneratedModels, LeverThrowsOverAndChestLidLifts) {
  game::TGmMesh* lever = Load("lever.md2");
  ASSERT_NE(lever, nullptr);
  auto grip = [&](uint32_t frame) {
    // The grip is what stands highest above the plinth at any lean.
    const auto& v = lever->Frames[frame].Vertices;
    return *std::max_element(v.begin(), v.end(), [](auto& a, auto& b) { return a.Y < b.Y; });
  };
  EXPECT_LT(grip(0).Z, -0.3f);
  EXPECT_GT(grip(lever->FrameCount - 1).Z, 0.3f);
  for (uint32_t f = 1; f < lever->FrameCount; ++f) EXPECT_GT(grip(f).Z, grip(f - 1).Z) << f;
  EXPECT_GT(grip(lever->FrameCount / 2).Y, grip(0).Y) << "upright in the middle of the throw";

  game::TGmMesh* chest = Load("chest.md2");
  ASSERT_NE(chest, nullptr);
  Box shut = BoxOf(chest->Frames[0]), open = BoxOf(chest->Frames[chest->FrameCount - 1]);
  EXPECT_LT(shut.maxY, 0.8f);
  EXPECT_GT(open.maxY, 1.1f) << "the lid stands up";
  EXPECT_NEAR(open.minZ, shut.minZ, 0.01f) << "the front, with its lock, does not move";
  EXPECT_GT(open.maxZ, shut.maxZ) << "the lid swings back";
}

TEST_F(GeneratedModels, SkinsArePowerOfTwoPictures) {
  const char* skins[] = {"soldier_blue.png", "soldier_red.png", "soldier_green.png", "soldier_sand.png",
                         "beast.png",        "beast_alpha.png", "wall_stone.png",    "pillar.png",
                         "door.png",         "gate.png",        "bush.png",          "crate.png",
                         "barrel.png",       "bullet.png",      "lever.png",         "chest.png"};
  for (const char* name : skins) {
    std::vector<uint8_t> png = testsupport::ReadBytes(dir_ / "Data" / "Textures" / name);
    ASSERT_GT(png.size(), 33u) << name;
    EXPECT_EQ(png[1], 'P');
    uint32_t w = (png[16] << 24) | (png[17] << 16) | (png[18] << 8) | png[19];
    uint32_t h = (png[20] << 24) | (png[21] << 16) | (png[22] << 8) | png[23];
    EXPECT_TRUE(w >= 64 && (w & (w - 1)) == 0) << name << " " << w;
    EXPECT_TRUE(h >= 64 && (h & (h - 1)) == 0) << name << " " << h;
  }
  // Skins that share a layout differ: each team has its colour, the alpha its coat, the gate its iron.
  for (auto [a, b] : {std::pair{"soldier_blue.png", "soldier_red.png"},
                      {"soldier_green.png", "soldier_sand.png"},
                      {"soldier_blue.png", "soldier_green.png"},
                      {"beast.png", "beast_alpha.png"},
                      {"door.png", "gate.png"}})
    EXPECT_NE(testsupport::ReadBytes(dir_ / "Data" / "Textures" / a),
              testsupport::ReadBytes(dir_ / "Data" / "Textures" / b))
        << a << " " << b;
}

}  // namespace
