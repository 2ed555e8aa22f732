// tessera-model: the info lines scripts rely on, FAIL with the reader's reason, and headless
// renders written as PNG pictures of the window's size.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "engine/textures.h"
#include "engine/textures_png.h"
#include "game/models/md2_write.h"
#include "tests/support/gl_fixture.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;
using testsupport::RunProcess;

// A two-frame tetrahedron with texture coordinates, written as MD2; 1.5 units high at scale 1,
// about the size of a creature of the demo.
fs::path WriteTetrahedron(const fs::path& dir, float scale = 1.0f, const std::string& name = "tetra.md2") {
  game::TMD2Source src;
  src.SkinWidth = src.SkinHeight = 64;
  src.TexCoords = {{0, 0}, {64, 0}, {0, 64}};
  src.Triangles = {{0, 2, 1, 0, 1, 2}, {0, 1, 3, 0, 1, 2}, {0, 3, 2, 0, 1, 2}, {1, 2, 3, 0, 1, 2}};
  src.Frames.push_back({"a", {{-0.5f, 0, -0.5f}, {0.5f, 0, -0.5f}, {0, 0, 0.5f}, {0, 1.5f, 0}}});
  src.Frames.push_back({"b", {{-0.5f, 0, -0.5f}, {0.5f, 0, -0.5f}, {0, 0, 0.5f}, {0.2f, 1.2f, 0}}});
  for (auto& frame : src.Frames)
    for (auto& v : frame.Vertices) v = {v.X * scale, v.Y * scale, v.Z * scale};
  game::TMD2Model model;
  std::string error;
  EXPECT_TRUE(game::MD2Build(src, &model, &error)) << error;
  fs::path file = dir / name;
  testsupport::WriteBytes(file, game::MD2Write(model));
  return file;
}

// The pixels of a PNG the tool wrote.
eng::TImage ReadPicture(const fs::path& file) {
  eng::TImage image;
  EXPECT_TRUE(eng::PngLoadFromFile(file.string(), &image)) << file;
  return image;
}

// How many pixels differ from the background, and whether all of those are grey.
struct Coverage {
  size_t model = 0;
  bool allGrey = true;
  uint8_t brightest = 0;
};

Coverage Measure(const eng::TImage& image, uint32_t background) {
  Coverage c;
  for (size_t i = 0; i + 3 < image.Pixels.size(); i += 4) {
    uint8_t r = image.Pixels[i], g = image.Pixels[i + 1], b = image.Pixels[i + 2];
    if (r == (background >> 16 & 255) && g == (background >> 8 & 255) && b == (background & 255)) continue;
    ++c.model;
    c.allGrey = c.allGrey && r == g && g == b;
    c.brightest = std::max({c.brightest, r, g, b});
  }
  return c;
}

std::string Tool() {
  return testsupport::BinPath("tessera-model").string();
}

TEST(ModelToolInfo, CountsAndFrameZeroBox) {
  fs::path dir = testsupport::ScratchDir();
  fs::path file = WriteTetrahedron(dir);
  testsupport::ProcessResult r = RunProcess({Tool(), "info", file.string()}, dir);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "frames 2 vertices 4 triangles 4 texcoords 3\nbbox -0.5 0 -0.5 0.5 1.5 0.5\n");

  testsupport::WriteFile(dir / "plain.obj", "v 0 0 0\nv 2 0 0\nv 0 3 -1\nf 1 2 3\n");
  r = RunProcess({Tool(), "info", (dir / "plain.obj").string()}, dir);
  EXPECT_EQ(r.out, "frames 1 vertices 3 triangles 1 texcoords 0\nbbox 0 0 -1 2 3 0\n");
}

TEST(ModelToolInfo, FailWithTheReason) {
  fs::path dir = testsupport::ScratchDir();
  std::vector<uint8_t> bytes = testsupport::ReadBytes(WriteTetrahedron(dir));
  bytes[3] = '3';
  testsupport::WriteBytes(dir / "idp3.md2", bytes);
  testsupport::WriteFile(dir / "bad.obj", "v 0 0 0\nv 1 O 0\n");
  bytes[3] = '2';
  testsupport::WriteBytes(dir / "tetra.3ds", bytes);
  bytes.resize(100);  // cut inside the triangles
  testsupport::WriteBytes(dir / "short.md2", bytes);
  const struct {
    const char* file;
    const char* reason;
  } cases[] = {{"idp3.md2", "Not a valid MD2 file!"},
               {"bad.obj", "bad.obj(2): 'O' is not a valid floating point value"},
               {"short.md2", "data outside the file"},
               {"missing.md2", "no such file"},
               {"tetra.3ds", "not an MD2 or OBJ file"}};
  for (const auto& c : cases) {
    testsupport::ProcessResult r = RunProcess({Tool(), "info", (dir / c.file).string()}, dir);
    EXPECT_EQ(r.status, 1) << c.file;
    EXPECT_EQ(r.out, "FAIL\n") << c.file;
    EXPECT_NE(r.err.find(c.reason), std::string::npos) << c.file << ": " << r.err;
  }
  EXPECT_EQ(RunProcess({Tool(), "info"}, dir).status, 2);
  EXPECT_EQ(
      RunProcess({Tool(), "render", "x.md2", "--frame", "1,,2", "--skin", "s", "--out", "o"}, dir).status, 2);
}

class ModelToolRender : public testsupport::GlTest {};

TEST_F(ModelToolRender, WritesAPictureOfTheWindow) {
  fs::path dir = testsupport::ScratchDir();
  fs::path file = WriteTetrahedron(dir);
  fs::path out = dir / "tetra.png";
  testsupport::ProcessResult r =
      RunProcess({Tool(), "render", file.string(), "--frame", "0,0.5,1", "--angle", "0,90", "--out", out.string()},
                 dir);
  ASSERT_EQ(r.status, 0) << r.err;
  std::vector<uint8_t> png = testsupport::ReadBytes(out);
  ASSERT_GT(png.size(), 24u);
  EXPECT_EQ(std::string(png.begin() + 1, png.begin() + 4), "PNG");
  EXPECT_EQ((png[16] << 24) | (png[17] << 16) | (png[18] << 8) | png[19], 800);
  EXPECT_EQ((png[20] << 24) | (png[21] << 16) | (png[22] << 8) | png[23], 600);
  // A model that does not load renders nothing and says why.
  r = RunProcess({Tool(), "render", (dir / "missing.md2").string(), "--out", out.string()}, dir);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("no such file"), std::string::npos) << r.err;
}

// The camera fits the model's box whatever its size: a speck, a creature a hundred times the
// demo's, a 3,000-unit giant all fill a good part of the picture. Without a skin the model is
// shaded grey, never white.
TEST_F(ModelToolRender, FitsModelsOfAnySizeInGrey) {
  fs::path dir = testsupport::ScratchDir();
  for (float scale : {0.002f, 1.0f, 100.0f, 2000.0f}) {
    SCOPED_TRACE("scale " + std::to_string(scale));
    fs::path file = WriteTetrahedron(dir, scale, "tetra" + std::to_string(static_cast<int>(scale * 1000)) + ".md2");
    fs::path out = dir / "fit.png";
    testsupport::ProcessResult r =
        RunProcess({Tool(), "render", file.string(), "--background", "000000", "--out", out.string()}, dir);
    ASSERT_EQ(r.status, 0) << r.err;
    Coverage c = Measure(ReadPicture(out), 0x000000);
    EXPECT_GT(c.model, 800u * 600u / 20) << "the model covers at least a twentieth of the picture";
    EXPECT_TRUE(c.allGrey);
    EXPECT_LT(c.brightest, 230) << "shaded grey, not the white of a missing texture";
    EXPECT_GT(c.brightest, 60);
  }
  // At the game camera's distance a giant is still drawn (it fills the picture), not clipped away.
  fs::path giant = WriteTetrahedron(dir, 2000.0f, "giant.md2");
  testsupport::ProcessResult r = RunProcess(
      {Tool(), "render", giant.string(), "--distance", "41", "--background", "000000", "--out", (dir / "near.png").string()},
      dir);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_GT(Measure(ReadPicture(dir / "near.png"), 0x000000).model, 800u * 600u / 20);
}

// A skin asked for and not readable is an error, not a white model.
TEST_F(ModelToolRender, ASkinThatCannotBeReadFails) {
  fs::path dir = testsupport::ScratchDir();
  fs::path file = WriteTetrahedron(dir);
  testsupport::WriteFile(dir / "broken.png", "not a picture");
  for (const char* skin : {"missing.png", "broken.png"}) {
    testsupport::ProcessResult r =
        RunProcess({Tool(), "render", file.string(), "--skin", skin, "--out", (dir / "x.png").string()}, dir);
    EXPECT_EQ(r.status, 1) << skin;
    EXPECT_NE(r.err.find(std::string("cannot read the skin ") + skin), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir / "x.png")) << skin;
  }
}

}  // namespace
