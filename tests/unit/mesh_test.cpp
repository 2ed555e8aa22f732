// The mesh container: the key frames and blend a fractional frame draws, what the corners carry,
// normals (zero-area faces, area weighting, flipping), bounds, the mesh list, and files loaded again.
#include "game/models/mesh.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using game::TGmMesh;
using game::TGmVector;

// A mesh of `frames` key frames with one triangle whose positions in frame f are shifted by f
// along X, so the drawn X tells which frames were blended and by how much.
TGmMesh* FrameStrip(uint32_t frames, bool looped) {
  TGmMesh* mesh = game::MeshNew();
  mesh->VertexCount = 3;
  mesh->TriangleCount = 1;
  mesh->Triangles = {{0, 1, 2, 0, 0, 0}};
  mesh->FrameCount = frames;
  for (uint32_t f = 0; f < frames; ++f) {
    game::TGmMeshFrame frame;
    float x = 10.0f * static_cast<float>(f);
    frame.Vertices = {{x, 0, 0}, {x + 1, 0, 0}, {x, 1, 0}};
    frame.Normals.resize(3);
    frame.FaceNormals.resize(1);
    mesh->Frames.push_back(frame);
  }
  game::MeshCalcNormals(mesh);
  mesh->Animated = frames > 1;
  mesh->Looped = looped && frames > 1;
  return mesh;
}

float DrawnX(const TGmMesh* mesh, float frame) {
  std::vector<game::TGmCorner> corners = game::MeshCorners(mesh, frame);
  return corners.empty() ? NAN : corners[0].Vertex.X;
}

class MeshTest : public ::testing::Test {
 protected:
  void SetUp() override { game::MeshFreeAll(); }
  void TearDown() override { game::MeshFreeAll(); }
};

TEST_F(MeshTest, LoopedFramesBlendTowardTheFirstAfterTheLast) {
  TGmMesh* mesh = FrameStrip(10, true);
  game::TGmFrameBlend at = game::MeshFrameAt(*mesh, 9.25f);
  EXPECT_EQ(at.Current, 9u);
  EXPECT_EQ(at.Next, 0u);
  EXPECT_FLOAT_EQ(at.Blend, 0.25f);
  EXPECT_FLOAT_EQ(DrawnX(mesh, 9.25f), 90.0f + (0.0f - 90.0f) * 0.25f);
  // 10.5: F clamps to 9 and T to 1, so key frame 0 is drawn exactly.
  at = game::MeshFrameAt(*mesh, 10.5f);
  EXPECT_EQ(at.Current, 9u);
  EXPECT_EQ(at.Next, 0u);
  EXPECT_EQ(at.Blend, 1.0f);
  EXPECT_EQ(DrawnX(mesh, 10.5f), 0.0f);
  // Between two inner key frames.
  EXPECT_FLOAT_EQ(DrawnX(mesh, 3.5f), 35.0f);
  EXPECT_EQ(DrawnX(mesh, 4.0f), 40.0f);
}

TEST_F(MeshTest, UnloopedFramesStopAtTheLast) {
  TGmMesh* mesh = FrameStrip(10, false);
  for (float frame : {9.25f, 12.0f, 1.0e6f}) {
    game::TGmFrameBlend at = game::MeshFrameAt(*mesh, frame);
    EXPECT_EQ(at.Current, 9u) << frame;
    EXPECT_EQ(at.Next, 9u) << frame;
    EXPECT_EQ(DrawnX(mesh, frame), 90.0f) << frame;
  }
}

TEST_F(MeshTest, OneFrameAlwaysDrawsFrameZero) {
  TGmMesh* mesh = FrameStrip(1, true);
  EXPECT_FALSE(mesh->Animated);
  for (float frame : {0.0f, 0.7f, 5.0f, 123.4f}) EXPECT_EQ(DrawnX(mesh, frame), 0.0f) << frame;
}

TEST_F(MeshTest, OddFrameNumbersStayInsideTheModel) {
  TGmMesh* mesh = FrameStrip(10, true);
  // Negative frames: truncation as an unsigned number clamps -1.5 to the last frame; a negative
  // blend would extrapolate, so it stops at 0.
  EXPECT_EQ(DrawnX(mesh, -0.5f), 0.0f);
  EXPECT_EQ(DrawnX(mesh, -1.5f), 90.0f);
  EXPECT_EQ(DrawnX(mesh, NAN), 0.0f);
  EXPECT_EQ(DrawnX(mesh, INFINITY), 0.0f);  // last frame blended fully toward the first
  EXPECT_EQ(DrawnX(mesh, -INFINITY), 90.0f);
}

TEST_F(MeshTest, NormalsBlendWithThePositions) {
  TGmMesh* mesh = FrameStrip(2, true);
  // Tilt frame 1's triangle so its normal differs from frame 0's (0, 0, 1).
  mesh->Frames[1].Vertices = {{0, 0, 0}, {1, 0, 0}, {0, 0, -1}};
  game::MeshCalcNormals(mesh);
  std::vector<game::TGmCorner> c = game::MeshCorners(mesh, 0.5f);
  ASSERT_EQ(c.size(), 3u);
  EXPECT_FLOAT_EQ(c[0].Normal.Y, 0.5f);  // halfway between (0, 0, 1) and (0, 1, 0), not renormalised
  EXPECT_FLOAT_EQ(c[0].Normal.Z, 0.5f);
  EXPECT_FLOAT_EQ(c[2].Vertex.Y, 0.5f);
  EXPECT_FLOAT_EQ(c[2].Vertex.Z, -0.5f);
  // Flat normals: the unnormalised face normals, blended alike.
  mesh->FlatNormals = true;
  c = game::MeshCorners(mesh, 0.5f);
  EXPECT_FLOAT_EQ(c[1].Normal.Y, 0.5f);
  EXPECT_FLOAT_EQ(c[1].Normal.Z, 0.5f);
  mesh->Frames[1].Vertices = {{0, 0, 0}, {2, 0, 0}, {0, 0, -2}};
  game::MeshCalcNormals(mesh);
  c = game::MeshCorners(mesh, 1.0f);
  EXPECT_FLOAT_EQ(c[1].Normal.Y, 4.0f);
}

TEST_F(MeshTest, CornersFollowTheTriangleOrderWithTextureCoordinates) {
  TGmMesh* mesh = FrameStrip(1, false);
  mesh->TexCoordCount = 3;
  mesh->TexCoords = {{0.1f, 0.2f}, {0.3f, 0.4f}, {0.5f, 0.6f}};
  mesh->Triangles[0] = {1, 2, 0, 2, 0, 1};
  std::vector<game::TGmCorner> c = game::MeshCorners(mesh, 0.0f);
  ASSERT_EQ(c.size(), 3u);
  EXPECT_EQ(c[0].Vertex.X, 1.0f);  // VertexA first
  EXPECT_EQ(c[1].Vertex.Y, 1.0f);
  EXPECT_TRUE(c[0].HasTexCoord);
  EXPECT_EQ(c[0].TexCoord.U, 0.5f);
  EXPECT_EQ(c[1].TexCoord.U, 0.1f);
  EXPECT_EQ(c[2].TexCoord.U, 0.3f);
  mesh->TexCoordCount = 0;
  mesh->TexCoords.clear();
  for (const game::TGmCorner& corner : game::MeshCorners(mesh, 0.0f)) EXPECT_FALSE(corner.HasTexCoord);
}

TEST_F(MeshTest, EmptyMeshesGiveNoCorners) {
  TGmMesh* mesh = game::MeshNew();
  EXPECT_TRUE(game::MeshCorners(mesh, 0.0f).empty());
  EXPECT_TRUE(game::MeshCorners(nullptr, 0.0f).empty());
  mesh->FrameCount = 1;
  mesh->Frames.resize(1);
  game::MeshCalcNormals(mesh);
  EXPECT_TRUE(game::MeshCorners(mesh, 0.0f).empty());
}

TEST_F(MeshTest, FaceNormalsAreUnnormalisedAndZeroAreaAddsNothing) {
  TGmMesh* mesh = game::MeshNew();
  mesh->VertexCount = 6;
  mesh->TriangleCount = 3;
  mesh->FrameCount = 1;
  // Triangle 0 (area 2, facing +Z) and triangle 1 (area 0.5, facing +Y) share vertex 0; triangle 2
  // has three coinciding corners at vertex 0 and names vertex 5 alone twice with it.
  mesh->Triangles = {{0, 1, 2, 0, 0, 0}, {0, 3, 4, 0, 0, 0}, {0, 5, 5, 0, 0, 0}};
  game::TGmMeshFrame frame;
  frame.Vertices = {{0, 0, 0}, {2, 0, 0}, {0, 2, 0}, {0, 0, 1}, {1, 0, 0}, {0, 0, 0}};
  frame.Normals.resize(6);
  frame.FaceNormals.resize(3);
  mesh->Frames.push_back(frame);
  game::MeshCalcNormals(mesh);
  const game::TGmMeshFrame& f = mesh->Frames[0];
  EXPECT_EQ(f.FaceNormals[0].Z, 4.0f);  // twice the area
  EXPECT_EQ(f.FaceNormals[1].Y, 1.0f);
  EXPECT_EQ(f.FaceNormals[2].X, 0.0f);
  EXPECT_EQ(f.FaceNormals[2].Y, 0.0f);
  EXPECT_EQ(f.FaceNormals[2].Z, 0.0f);
  // Vertex 0: faces weighted by area, the zero face adding nothing: normalise (0, 1, 4).
  const float len = std::sqrt(17.0f);
  EXPECT_NEAR(f.Normals[0].X, 0.0f, 1e-6f);
  EXPECT_NEAR(f.Normals[0].Y, 1.0f / len, 1e-6f);
  EXPECT_NEAR(f.Normals[0].Z, 4.0f / len, 1e-6f);
  EXPECT_NEAR(f.Normals[1].Z, 1.0f, 1e-6f);
  // Vertex 5 is named only by the zero-area triangle: the zero normal.
  EXPECT_EQ(f.Normals[5].X, 0.0f);
  EXPECT_EQ(f.Normals[5].Y, 0.0f);
  EXPECT_EQ(f.Normals[5].Z, 0.0f);
}

TEST_F(MeshTest, UnusedVertexGetsTheZeroNormal) {
  TGmMesh* mesh = FrameStrip(2, true);
  mesh->VertexCount = 4;
  for (auto& frame : mesh->Frames) {
    frame.Vertices.push_back({5, 5, 5});
    frame.Normals.resize(4);
  }
  game::MeshCalcNormals(mesh);
  EXPECT_EQ(mesh->Frames[1].Normals[3].X, 0.0f);
  EXPECT_EQ(mesh->Frames[1].Normals[3].Y, 0.0f);
  EXPECT_EQ(mesh->Frames[1].Normals[3].Z, 0.0f);
  EXPECT_NEAR(mesh->Frames[1].Normals[0].Z, 1.0f, 1e-6f);
}

TEST_F(MeshTest, FlippingReversesEveryTriangleAndNormal) {
  TGmMesh* mesh = FrameStrip(3, true);
  mesh->VertexCount = 4;
  mesh->TriangleCount = 2;
  mesh->Triangles = {{0, 1, 2, 0, 1, 2}, {1, 3, 2, 1, 2, 0}};
  for (auto& frame : mesh->Frames) {
    frame.Vertices.push_back({frame.Vertices[0].X + 1, 1, 0.5f});
    frame.Normals.resize(4);
    frame.FaceNormals.resize(2);
  }
  game::MeshCalcNormals(mesh);
  TGmMesh before = *mesh;
  game::MeshFlipNormals(mesh);
  for (size_t t = 0; t < 2; ++t) {
    EXPECT_EQ(mesh->Triangles[t].VertexA, before.Triangles[t].VertexC);
    EXPECT_EQ(mesh->Triangles[t].VertexB, before.Triangles[t].VertexB);
    EXPECT_EQ(mesh->Triangles[t].VertexC, before.Triangles[t].VertexA);
    EXPECT_EQ(mesh->Triangles[t].TexA, before.Triangles[t].TexC);
    EXPECT_EQ(mesh->Triangles[t].TexC, before.Triangles[t].TexA);
  }
  for (size_t f = 0; f < 3; ++f) {
    for (size_t t = 0; t < 2; ++t) {
      EXPECT_NEAR(mesh->Frames[f].FaceNormals[t].X, -before.Frames[f].FaceNormals[t].X, 1e-6f);
      EXPECT_NEAR(mesh->Frames[f].FaceNormals[t].Y, -before.Frames[f].FaceNormals[t].Y, 1e-6f);
      EXPECT_NEAR(mesh->Frames[f].FaceNormals[t].Z, -before.Frames[f].FaceNormals[t].Z, 1e-6f);
    }
    for (size_t v = 0; v < 4; ++v) {
      EXPECT_NEAR(mesh->Frames[f].Normals[v].X, -before.Frames[f].Normals[v].X, 1e-6f);
      EXPECT_NEAR(mesh->Frames[f].Normals[v].Y, -before.Frames[f].Normals[v].Y, 1e-6f);
    }
  }
}

TEST_F(MeshTest, ListLinksAndCounts) {
  TGmMesh* a = game::MeshNew();
  TGmMesh* b = game::MeshNew();
  TGmMesh* c = game::MeshNew();
  EXPECT_EQ(game::MeshCount(), 3u);
  EXPECT_EQ(game::MeshFirst(), c);
  EXPECT_EQ(c->Next, b);
  EXPECT_EQ(b->Prev, c);
  game::MeshFree(b);  // middle
  EXPECT_EQ(c->Next, a);
  EXPECT_EQ(a->Prev, c);
  game::MeshFree(c);  // head
  EXPECT_EQ(game::MeshFirst(), a);
  EXPECT_EQ(a->Prev, nullptr);
  game::MeshFree(nullptr);
  EXPECT_EQ(game::MeshCount(), 1u);
  game::MeshNew();
  game::MeshFreeAll();
  EXPECT_EQ(game::MeshCount(), 0u);
  EXPECT_EQ(game::MeshFirst(), nullptr);
}

// Bounds follow the C library's fmin and fmax: a NaN bound gives way, a NaN value is passed over,
// and of +0 and -0 the bound met first stays.
TEST_F(MeshTest, BoundsPassOverNaNAndKeepTheFirstOfTwoZeros) {
  game::TGmMeshFrame frame;
  frame.Vertices = {{0.0f, NAN, 5.0f}, {-0.0f, 2.0f, NAN}, {0.0f, -1.0f, 3.0f}};
  game::MeshCalcBounds(&frame);
  EXPECT_FALSE(std::signbit(frame.MinX));
  EXPECT_FALSE(std::signbit(frame.MaxX));
  EXPECT_EQ(frame.MinY, -1.0f);
  EXPECT_EQ(frame.MaxY, 2.0f);
  EXPECT_EQ(frame.MinZ, 3.0f);
  EXPECT_EQ(frame.MaxZ, 5.0f);
  frame.Vertices = {{-0.0f, 0, 0}, {0.0f, 0, 0}};
  game::MeshCalcBounds(&frame);
  EXPECT_TRUE(std::signbit(frame.MinX));
  EXPECT_TRUE(std::signbit(frame.MaxX));
}

// A file loaded again with the same bytes gives a copy of its own, equal to a fresh build; once
// the file's bytes change, the new bytes are read.
TEST_F(MeshTest, AFileLoadedAgainGivesAnEqualMeshOfItsOwn) {
  namespace fs = std::filesystem;
  fs::path dir = fs::path(::testing::TempDir()) / "tessera_mesh_reload";
  fs::create_directories(dir);
  std::string path = (dir / "prop.obj").string();
  auto write = [&](const std::string& text) { std::ofstream(path, std::ios::binary) << text; };
  const std::string first = "v 0 0 0\nv 2 0 0\nv 0 3 0\nv 0 0 4\nf 1 2 3\nf 1 3 4\n";
  write(first);

  TGmMesh* a = game::MeshLoad(path);
  TGmMesh* b = game::MeshLoad(path);
  TGmMesh* fresh = game::MeshLoadFromMemory(path, reinterpret_cast<const uint8_t*>(first.data()), first.size());
  ASSERT_TRUE(a && b && fresh);
  EXPECT_NE(a, b);
  EXPECT_EQ(game::MeshCount(), 3u);
  EXPECT_EQ(game::MeshFirst(), fresh);
  EXPECT_EQ(b->Next, a);
  EXPECT_EQ(a->Prev, b);
  EXPECT_EQ(game::MeshCorners(b, 0.0f).size(), game::MeshCorners(fresh, 0.0f).size());
  for (const TGmMesh* m : {a, b}) {
    ASSERT_EQ(m->VertexCount, fresh->VertexCount);
    ASSERT_EQ(m->TriangleCount, fresh->TriangleCount);
    for (uint32_t v = 0; v < m->VertexCount; ++v) {
      EXPECT_EQ(m->Frames[0].Vertices[v].X, fresh->Frames[0].Vertices[v].X);
      EXPECT_EQ(m->Frames[0].Normals[v].Y, fresh->Frames[0].Normals[v].Y);
    }
    EXPECT_EQ(m->Frames[0].MaxZ, 4.0f);
  }
  // Each is its own: changing one leaves the other and later loads alone.
  a->Frames[0].Vertices[1].X = 100.0f;
  a->Triangles.clear();
  TGmMesh* c = game::MeshLoad(path);
  ASSERT_TRUE(c);
  EXPECT_EQ(b->Frames[0].Vertices[1].X, 2.0f);
  EXPECT_EQ(c->Frames[0].Vertices[1].X, 2.0f);
  EXPECT_EQ(c->Triangles.size(), 2u);

  // Same name, other bytes: the file is read anew, not taken from the first load.
  write("v 0 0 0\nv 7 0 0\nv 0 1 0\nf 1 2 3\n");
  TGmMesh* d = game::MeshLoad(path);
  ASSERT_TRUE(d);
  EXPECT_EQ(d->TriangleCount, 1u);
  EXPECT_EQ(d->Frames[0].MaxX, 7.0f);
  // A file that is gone is gone, whatever was built from it before.
  fs::remove(path);
  EXPECT_EQ(game::MeshLoad(path), nullptr);
  EXPECT_EQ(game::MeshLoadFailure(), "no such file");
  game::MeshForgetFiles();
  EXPECT_EQ(game::MeshCount(), 5u);
  fs::remove_all(dir);
}

}  // namespace
