// Mesh drawing through OpenGL: what MeshDraw sends (blended positions and normals, texture
// coordinates only when the mesh has them, no other state touched), and headless renders of every
// generated model with its skin at a few frames of each animation, checked for a silhouette where
// the model's box projects and kept as PNG sheets in the test's scratch folder.
#include "game/models/mesh.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>

#include "engine/image_write.h"
#include "engine/opengl.h"
#include "engine/screen.h"
#include "engine/textures.h"
#include "tests/support/gl_fixture.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;

constexpr double kPi = 3.14159265358979323846;

// A square of two triangles in the XY plane, frame 0 at x 0..1 and frame 1 at x 2..3.
game::TGmMesh* SlidingSquare(bool withTexCoords) {
  game::TGmMesh* mesh = game::MeshNew();
  mesh->VertexCount = 4;
  mesh->TriangleCount = 2;
  mesh->Triangles = {{0, 1, 2, 0, 1, 2}, {0, 2, 3, 0, 2, 3}};
  if (withTexCoords) {
    mesh->TexCoordCount = 4;
    mesh->TexCoords = {{0, 0}, {1, 0}, {1, 1}, {0.125f, 0.875f}};
  }
  mesh->FrameCount = 2;
  for (float x : {0.0f, 2.0f}) {
    game::TGmMeshFrame f;
    f.Vertices = {{x, 0, 0}, {x + 1, 0, 0}, {x + 1, 1, 0}, {x, 1, 0}};
    f.Normals.resize(4);
    f.FaceNormals.resize(2);
    game::MeshCalcBounds(&f);
    mesh->Frames.push_back(f);
  }
  game::MeshCalcNormals(mesh);
  mesh->Animated = mesh->Looped = true;
  return mesh;
}

class MeshDrawTest : public testsupport::GlTest {
 protected:
  void SetUp() override {
    GlTest::SetUp();
    game::MeshFreeAll();
  }
  void TearDown() override { game::MeshFreeAll(); }
};

TEST_F(MeshDrawTest, TextureCoordinatesOnlyWhenTheMeshHasThem) {
  float current[4];
  glTexCoord2f(0.25f, 0.75f);
  game::MeshDraw(SlidingSquare(false), 0.5f);
  glGetFloatv(GL_CURRENT_TEXTURE_COORDS, current);
  EXPECT_EQ(current[0], 0.25f);
  EXPECT_EQ(current[1], 0.75f);

  game::MeshDraw(SlidingSquare(true), 0.5f);
  glGetFloatv(GL_CURRENT_TEXTURE_COORDS, current);
  EXPECT_EQ(current[0], 0.125f);  // the last corner's coordinate
  EXPECT_EQ(current[1], 0.875f);
  glGetFloatv(GL_CURRENT_NORMAL, current);
  EXPECT_NEAR(current[2], 1.0f, 1e-6f);
}

TEST_F(MeshDrawTest, LeavesOtherStateAlone) {
  game::TGmMesh* mesh = SlidingSquare(true);
  const GLenum caps[] = {GL_TEXTURE_2D, GL_LIGHTING, GL_CULL_FACE, GL_BLEND, GL_DEPTH_TEST, GL_NORMALIZE};
  glEnable(GL_TEXTURE_2D);
  glDisable(GL_LIGHTING);
  GLboolean before[std::size(caps)];
  for (size_t i = 0; i < std::size(caps); ++i) before[i] = glIsEnabled(caps[i]);
  GLint modeBefore = 0, modeAfter = 0;
  glGetIntegerv(GL_MATRIX_MODE, &modeBefore);
  game::MeshDraw(mesh, 0.3f);
  game::MeshDraw(nullptr, 0.0f);
  for (size_t i = 0; i < std::size(caps); ++i) EXPECT_EQ(glIsEnabled(caps[i]), before[i]) << i;
  glGetIntegerv(GL_MATRIX_MODE, &modeAfter);
  EXPECT_EQ(modeAfter, modeBefore);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  glDisable(GL_TEXTURE_2D);
}

TEST_F(MeshDrawTest, DrawsTheBlendedPositions) {
  game::TGmMesh* mesh = SlidingSquare(false);
  // 2D mode: one world unit = 100 pixels, y down; the square slides 200 pixels right over a frame.
  const struct {
    float frame;
    int left;
  } cases[] = {{0.0f, 0}, {0.5f, 100}, {1.0f, 200}, {1.5f, 100}, {2.5f, 0}};
  for (const auto& c : cases) {
    Clear();
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glColor3ub(255, 255, 255);
    glPushMatrix();
    glTranslatef(100, 100, 0);
    glScalef(100, 100, 1);
    game::MeshDraw(mesh, c.frame);
    glPopMatrix();
    std::vector<uint8_t> px = ReadPixels();
    const int x = 100 + c.left;
    EXPECT_EQ(PixelAt(px, x + 50, 150) & 0xFFFFFF, 0xFFFFFFu) << c.frame;
    EXPECT_EQ(PixelAt(px, x - 5, 150) & 0xFFFFFF, 0u) << c.frame;
    EXPECT_EQ(PixelAt(px, x + 105, 150) & 0xFFFFFF, 0u) << c.frame;
  }
}

// Every generated model, rendered lit and textured at the game camera's elevation, at the first,
// middle and last frame of each animation, from two sides.
class GeneratedModelRender : public testsupport::GlTest {
 protected:
  // A window rectangle, y up.
  struct Rect {
    int x0, y0, x1, y1;
  };

  // Each test generates its own copy (tests may run in parallel processes); the sheets stay in
  // build/.../test-scratch/GeneratedModelRender.<test>/ for people to look at.
  void SetUp() override {
    GlTest::SetUp();
    dir_ = testsupport::ScratchDir();
    testsupport::ProcessResult r =
        testsupport::RunProcess({testsupport::BinPath("assetgen").string(), dir_.string(), "models"}, dir_);
    ASSERT_EQ(r.status, 0) << r.err;
    game::MeshFreeAll();
  }
  void TearDown() override {
    game::MeshFreeAll();
    eng::TexturesFreeAll();
    eng::SetMode2D();
  }

  game::TGmMesh* LoadModel(const std::string& name) {
    return game::MeshLoad((dir_ / "Data" / "Models" / name).string());
  }
  eng::TTexture* LoadSkin(const std::string& name) {
    return eng::TextureLoadFromFile((dir_ / "Data" / "Textures" / name).string(), eng::NoColourKey,
                                    eng::WorldTextureFlags);
  }

  // The background is magenta, a colour no skin uses, so dark parts still count as the model.
  static void ClearToKey() {
    glClearColor(1, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearColor(0, 0, 0, 0);
  }
  static bool IsModel(const uint8_t* p) { return std::abs(p[0] - 255) + p[1] + std::abs(p[2] - 255) > 40; }

  // Draws the mesh at `frame`, turned to a creature's facing `angle`, into the viewport, lit as in
  // the game and seen from the game camera's direction and elevation at `distance` from a point
  // `lookY` above the origin. Returns where the frame's bounding box lands.
  static Rect DrawCell(const game::TGmMesh* mesh, const eng::TTexture* skin, Rect viewport, float frame,
                       float angle, double distance, double lookY) {
    const int w = viewport.x1 - viewport.x0, h = viewport.y1 - viewport.y0;
    glViewport(viewport.x0, viewport.y0, w, h);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, static_cast<double>(w) / h, 0.1, 200.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const double el = 43 * kPi / 180;
    gluLookAt(std::cos(el) * distance * std::sqrt(0.5), lookY + std::sin(el) * distance,
              std::cos(el) * distance * std::sqrt(0.5), 0, lookY, 0, 0, 1, 0);
    const float ambient[4] = {3.5f, 3.5f, 3.5f, 1}, diffuse[4] = {0.7f, 0.7f, 0.7f, 1},
                dir[4] = {-0.3f, 0.7f, 0.5f, 0};
    glLightfv(GL_LIGHT1, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, diffuse);
    glLightfv(GL_LIGHT1, GL_POSITION, dir);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT1);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, skin->ID);
    glRotatef(-angle - 90.0f, 0, 1, 0);
    game::MeshDraw(mesh, frame);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);

    GLdouble model[16], proj[16];
    GLint view[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, proj);
    glGetIntegerv(GL_VIEWPORT, view);
    const game::TGmMeshFrame& f = mesh->Frames[game::MeshFrameAt(*mesh, frame).Current];
    Rect r{1 << 20, 1 << 20, -(1 << 20), -(1 << 20)};
    for (int k = 0; k < 8; ++k) {
      GLdouble wx, wy, wz;
      gluProject(k & 1 ? f.MaxX : f.MinX, k & 2 ? f.MaxY : f.MinY, k & 4 ? f.MaxZ : f.MinZ, model, proj, view,
                 &wx, &wy, &wz);
      r.x0 = std::min(r.x0, static_cast<int>(std::floor(wx)));
      r.x1 = std::max(r.x1, static_cast<int>(std::ceil(wx)));
      r.y0 = std::min(r.y0, static_cast<int>(std::floor(wy)));
      r.y1 = std::max(r.y1, static_cast<int>(std::ceil(wy)));
    }
    return {std::max(r.x0, viewport.x0), std::max(r.y0, viewport.y0), std::min(r.x1, viewport.x1 - 1),
            std::min(r.y1, viewport.y1 - 1)};
  }

  // Renders integer frames at two facing angles into a grid, checks each cell's silhouette
  // against its projected box, and writes the sheet.
  void RenderSheet(const std::string& name, const std::string& skinName) {
    SCOPED_TRACE(name);
    game::TGmMesh* mesh = LoadModel(name);
    ASSERT_NE(mesh, nullptr);
    eng::TTexture* skin = LoadSkin(skinName);
    ASSERT_NE(skin, nullptr);
    std::vector<float> frames = {0.0f};
    if (mesh->FrameCount > 1)
      frames = {0.0f, static_cast<float>(mesh->FrameCount / 2), static_cast<float>(mesh->FrameCount - 1)};
    const float angles[] = {0.0f, 160.0f};
    const eng::ScreenState& s = eng::Screen();
    const int rows = 2, cellW = s.RenderWidth / 3, cellH = s.RenderHeight / rows;
    // One camera distance for every cell: the model's largest horizontal reach and height.
    float reach = 0, top = 0;
    for (const game::TGmMeshFrame& f : mesh->Frames) {
      reach = std::max({reach, std::fabs(f.MinX), std::fabs(f.MaxX), std::fabs(f.MinZ), std::fabs(f.MaxZ)});
      top = std::max(top, f.MaxY);
    }
    const double distance = std::hypot(reach, top / 2.0) / std::sin(22.5 * kPi / 180);

    ClearToKey();
    std::vector<Rect> cells, boxes;
    for (size_t a = 0; a < 2; ++a) {
      for (size_t i = 0; i < frames.size(); ++i) {
        const int x = static_cast<int>(i) * cellW, y = (rows - 1 - static_cast<int>(a)) * cellH;
        cells.push_back({x, y, x + cellW, y + cellH});
        boxes.push_back(DrawCell(mesh, skin, cells.back(), frames[i], angles[a], distance, top / 2.0));
      }
    }
    std::vector<uint8_t> px = ReadPixels();
    std::vector<uint8_t> opaque = px;
    for (size_t i = 3; i < opaque.size(); i += 4) opaque[i] = 255;
    eng::WritePng((dir_ / (name + ".png")).string(), s.RenderWidth, s.RenderHeight, opaque.data(), true,
                  nullptr);

    for (size_t n = 0; n < cells.size(); ++n) {
      const Rect &cell = cells[n], &c = boxes[n];
      int count = 0, outside = 0, sx0 = 1 << 20, sy0 = 1 << 20, sx1 = -1, sy1 = -1;
      for (int y = cell.y0; y < cell.y1; ++y) {
        for (int x = cell.x0; x < cell.x1; ++x) {
          if (!IsModel(
                  &px[(static_cast<size_t>(y) * static_cast<size_t>(s.RenderWidth) + static_cast<size_t>(x)) *
                      4]))
            continue;
          ++count;
          if (x < c.x0 - 2 || x > c.x1 + 2 || y < c.y0 - 2 || y > c.y1 + 2) ++outside;
          sx0 = std::min(sx0, x), sx1 = std::max(sx1, x), sy0 = std::min(sy0, y), sy1 = std::max(sy1, y);
        }
      }
      SCOPED_TRACE("cell " + std::to_string(n));
      EXPECT_GT(count, 1500);
      EXPECT_EQ(outside, 0);
      // The silhouette spans a good part of its box's projection (a long body seen from above
      // fills less of it than an upright one) and sits in its middle, not in a corner.
      EXPECT_GT(sx1 - sx0, (c.x1 - c.x0) * 2 / 5);
      EXPECT_GT(sy1 - sy0, (c.y1 - c.y0) * 2 / 5);
      EXPECT_NEAR((sx0 + sx1) / 2, (c.x0 + c.x1) / 2, (c.x1 - c.x0) / 4);
      EXPECT_NEAR((sy0 + sy1) / 2, (c.y0 + c.y1) / 2, (c.y1 - c.y0) / 4);
    }
  }

  fs::path dir_;
};

TEST_F(GeneratedModelRender, Soldier) {
  for (const char* anim : {"stand", "walk", "atack", "shot", "damage"})
    RenderSheet(std::string("soldier_") + anim + ".md2", "soldier_blue.png");
}

TEST_F(GeneratedModelRender, Beast) {
  for (const char* anim : {"stand", "walk", "atack", "shot", "damage"})
    RenderSheet(std::string("beast_") + anim + ".md2", "beast.png");
}

TEST_F(GeneratedModelRender, WallsPropsAndBullet) {
  const char* const names[][2] = {{"wall_stone.md2", "wall_stone.png"},
                                  {"pillar.md2", "pillar.png"},
                                  {"door.md2", "door.png"},
                                  {"bush.md2", "bush.png"},
                                  {"crate.obj", "crate.png"},
                                  {"barrel.obj", "barrel.png"},
                                  {"bullet.md2", "bullet.png"}};
  for (const auto& n : names) RenderSheet(n[0], n[1]);
}

// The two team skins make the same soldier mostly blue or mostly red on screen, at the size the
// game's start camera shows him (about 32 pixels tall in an 800 x 600 window).
TEST_F(GeneratedModelRender, TeamSkinsShowTheirColourAtGameDistance) {
  game::TGmMesh* mesh = LoadModel("soldier_stand.md2");
  ASSERT_NE(mesh, nullptr);
  const eng::ScreenState& s = eng::Screen();
  for (const char* skinName : {"soldier_blue.png", "soldier_red.png"}) {
    SCOPED_TRACE(skinName);
    eng::TTexture* skin = LoadSkin(skinName);
    ASSERT_NE(skin, nullptr);
    ClearToKey();
    DrawCell(mesh, skin, {0, 0, s.RenderWidth, s.RenderHeight}, 0.0f, 45.0f, 41.23, 0.9);
    std::vector<uint8_t> px = ReadPixels();
    int model = 0, blue = 0, red = 0, top = -1, bottom = 1 << 20;
    for (int y = 0; y < s.RenderHeight; ++y) {
      for (int x = 0; x < s.RenderWidth; ++x) {
        const uint8_t* p =
            &px[(static_cast<size_t>(y) * static_cast<size_t>(s.RenderWidth) + static_cast<size_t>(x)) * 4];
        if (!IsModel(p)) continue;
        ++model;
        top = std::max(top, y), bottom = std::min(bottom, y);
        if (p[2] > p[0] + 40) ++blue;
        if (p[0] > p[2] + 40) ++red;
      }
    }
    EXPECT_NEAR(top - bottom, 32, 6);
    EXPECT_GT(model, 120);
    const bool isBlue = std::string(skinName) == "soldier_blue.png";
    EXPECT_GT(isBlue ? blue : red, model / 3);
    EXPECT_LT(isBlue ? red : blue, model / 10);
  }
}

}  // namespace
