// tessera-model: the info lines scripts rely on, FAIL with the reader's reason, and headless
// renders written as PNG pictures of the window's size.
#include <gtest/gtest.h>

#include <cstdio>

#include "game/models/md2_write.h"
#include "tests/support/gl_fixture.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;
using testsupport::RunProcess;

// A two-frame tetrahedron with texture coordinates, written as MD2.
fs::path WriteTetrahedron(const fs::path& dir) {
  game::TMD2Source src;
  src.SkinWidth = src.SkinHeight = 64;
  src.TexCoords = {{0, 0}, {64, 0}, {0, 64}};
  src.Triangles = {{0, 2, 1, 0, 1, 2}, {0, 1, 3, 0, 1, 2}, {0, 3, 2, 0, 1, 2}, {1, 2, 3, 0, 1, 2}};
  src.Frames.push_back({"a", {{-0.5f, 0, -0.5f}, {0.5f, 0, -0.5f}, {0, 0, 0.5f}, {0, 1.5f, 0}}});
  src.Frames.push_back({"b", {{-0.5f, 0, -0.5f}, {0.5f, 0, -0.5f}, {0, 0, 0.5f}, {0.2f, 1.2f, 0}}});
  game::TMD2Model model;
  std::string error;
  EXPECT_TRUE(game::MD2Build(src, &model, &error)) << error;
  fs::path file = dir / "tetra.md2";
  testsupport::WriteBytes(file, game::MD2Write(model));
  return file;
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
      RunProcess({Tool(), "render", file.string(), "--skin", (dir / "none.png").string(), "--frame",
                  "0,0.5,1", "--angle", "0,90", "--out", out.string()},
                 dir);
  ASSERT_EQ(r.status, 0) << r.err;
  std::vector<uint8_t> png = testsupport::ReadBytes(out);
  ASSERT_GT(png.size(), 24u);
  EXPECT_EQ(std::string(png.begin() + 1, png.begin() + 4), "PNG");
  EXPECT_EQ((png[16] << 24) | (png[17] << 16) | (png[18] << 8) | png[19], 800);
  EXPECT_EQ((png[20] << 24) | (png[21] << 16) | (png[22] << 8) | png[23], 600);
  // A model that does not load renders nothing and says why.
  r = RunProcess({Tool(), "render", (dir / "missing.md2").string(), "--skin", "s.png", "--out", out.string()},
                 dir);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("no such file"), std::string::npos) << r.err;
}

}  // namespace
