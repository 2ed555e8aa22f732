// The MD2 reader and writer, and the mesh built from MD2 files: round trips, the axis and texture
// conversions on a hand-made file, the identifier, and truncated and hostile files.
#include "game/models/format_md2.h"

#include <gtest/gtest.h>

#include <cstring>

#include "game/core/fatal.h"
#include "game/models/md2_write.h"
#include "game/models/mesh.h"
#include "tests/support/test_support.h"

namespace {

using game::Md2Status;
using game::TMD2Model;

void PutLE32At(std::vector<uint8_t>* bytes, size_t offset, int32_t v) {
  for (int i = 0; i < 4; ++i)
    (*bytes)[offset + static_cast<size_t>(i)] = static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i));
}

// Header field positions, in file order.
enum Field {
  kIdent,
  kVersion,
  kSkinW,
  kSkinH,
  kFrameSize,
  kNumSkins,
  kNumVerts,
  kNumTex,
  kNumTris,
  kNumGl,
  kNumFrames,
  kOfsSkins,
  kOfsTex,
  kOfsTris,
  kOfsFrames,
  kOfsGl,
  kOfsEnd
};

void SetField(std::vector<uint8_t>* bytes, Field f, int32_t v) {
  PutLE32At(bytes, 4 * static_cast<size_t>(f), v);
}

// A hand-made model with exactly known bytes: 3 vertices, 2 frames, 3 texture coordinates on a
// 128 x 64 skin, one triangle, one skin name.
TMD2Model HandModel() {
  TMD2Model m;
  m.Header.Version = 8;
  m.Header.SkinWidth = 128;
  m.Header.SkinHeight = 64;
  m.Skins.push_back({});
  std::memcpy(m.Skins[0].data(), "skin.png", 8);
  m.TexCoords = {{64, 32}, {-64, 0}, {128, 64}};
  game::TMD2Triangle t;
  t.Vertex = {0, 1, 2};
  t.St = {0, 1, 2};
  m.Triangles.push_back(t);
  for (int f = 0; f < 2; ++f) {
    game::TMD2Frame frame;
    frame.Scale = {1.0f, 2.0f, 3.0f};
    frame.Translate = {10.0f, 20.0f, 30.0f + static_cast<float>(f)};
    std::memcpy(frame.Name.data(), f == 0 ? "stand1" : "stand2", 6);
    frame.Vertices = {{1, 2, 3, 0}, {4, 0, 0, 7}, {0, 5, 0, 0}};
    m.Frames.push_back(frame);
  }
  return m;
}

game::TGmMesh* LoadMesh(const std::vector<uint8_t>& bytes, const std::string& name = "model.md2") {
  return game::MeshLoadFromMemory(name, bytes.data(), bytes.size());
}

class Md2Test : public ::testing::Test {
 protected:
  void SetUp() override { game::MeshFreeAll(); }
  void TearDown() override { game::MeshFreeAll(); }
};

TEST_F(Md2Test, WrittenFileReadsBackFieldForField) {
  TMD2Model m = HandModel();
  std::vector<uint8_t> bytes = game::MD2Write(m);
  ASSERT_EQ(bytes.size(), 68u + 64 + 3 * 4 + 12 + 2 * (40 + 3 * 4));
  TMD2Model back;
  std::string reason;
  ASSERT_EQ(game::MD2LoadFromMemory(&back, bytes.data(), bytes.size(), &reason), Md2Status::Ok) << reason;
  EXPECT_EQ(back.Header.NumVertices, 3);
  EXPECT_EQ(back.Header.NumFrames, 2);
  EXPECT_EQ(back.Header.FrameSize, 52);
  EXPECT_EQ(back.Header.SkinWidth, 128);
  EXPECT_STREQ(back.Skins[0].data(), "skin.png");
  ASSERT_EQ(back.TexCoords.size(), 3u);
  EXPECT_EQ(back.TexCoords[1].S, -64);  // signed 16-bit
  EXPECT_EQ(back.Triangles[0].Vertex, m.Triangles[0].Vertex);
  EXPECT_EQ(back.Triangles[0].St, m.Triangles[0].St);
  ASSERT_EQ(back.Frames.size(), 2u);
  EXPECT_STREQ(back.Frames[1].Name.data(), "stand2");
  EXPECT_EQ(back.Frames[1].Translate[2], 31.0f);
  ASSERT_EQ(back.Frames[0].Vertices.size(), 3u);
  EXPECT_EQ(back.Frames[0].Vertices[1].X, 4);
  EXPECT_EQ(back.Frames[0].Vertices[1].NormalIndex, 7);
}

TEST_F(Md2Test, MeshConvertsAxesTextureAndCornerOrder) {
  game::TGmMesh* mesh = LoadMesh(game::MD2Write(HandModel()));
  ASSERT_NE(mesh, nullptr);
  EXPECT_EQ(mesh->VertexCount, 3u);
  EXPECT_EQ(mesh->FrameCount, 2u);
  EXPECT_TRUE(mesh->Animated);
  EXPECT_TRUE(mesh->Looped);
  // Vertex (1, 2, 3), scale (1, 2, 3), translate (10, 20, 30): X = -(1 + 10), Y = 3*3 + 30, Z = 2*2 + 20.
  const game::TGmVector& v = mesh->Frames[0].Vertices[0];
  EXPECT_FLOAT_EQ(v.X, -11.0f);
  EXPECT_FLOAT_EQ(v.Y, 39.0f);
  EXPECT_FLOAT_EQ(v.Z, 24.0f);
  EXPECT_FLOAT_EQ(mesh->Frames[1].Vertices[0].Y, 40.0f);
  // Bounding box of frame 0 over (-11, 39, 24), (-14, 30, 20), (-10, 30, 30).
  const game::TGmMeshFrame& f = mesh->Frames[0];
  EXPECT_FLOAT_EQ(f.MinX, -14.0f);
  EXPECT_FLOAT_EQ(f.MaxX, -10.0f);
  EXPECT_FLOAT_EQ(f.MinY, 30.0f);
  EXPECT_FLOAT_EQ(f.MaxY, 39.0f);
  EXPECT_FLOAT_EQ(f.MinZ, 20.0f);
  EXPECT_FLOAT_EQ(f.MaxZ, 30.0f);
  // U = s / 128, V = 1 - t / 64.
  EXPECT_FLOAT_EQ(mesh->TexCoords[0].U, 0.5f);
  EXPECT_FLOAT_EQ(mesh->TexCoords[0].V, 0.5f);
  EXPECT_FLOAT_EQ(mesh->TexCoords[1].U, -0.5f);
  EXPECT_FLOAT_EQ(mesh->TexCoords[1].V, 1.0f);
  EXPECT_FLOAT_EQ(mesh->TexCoords[2].V, 0.0f);
  // Corners reversed: file (0, 1, 2) becomes (2, 1, 0), texture indices alike.
  const game::TGmTriangle& t = mesh->Triangles[0];
  EXPECT_EQ(t.VertexA, 2u);
  EXPECT_EQ(t.VertexB, 1u);
  EXPECT_EQ(t.VertexC, 0u);
  EXPECT_EQ(t.TexA, 2u);
  EXPECT_EQ(t.TexC, 0u);
}

TEST_F(Md2Test, SingleFrameIsNotAnimated) {
  TMD2Model m = HandModel();
  m.Frames.resize(1);
  game::TGmMesh* mesh = LoadMesh(game::MD2Write(m));
  ASSERT_NE(mesh, nullptr);
  EXPECT_FALSE(mesh->Animated);
  EXPECT_FALSE(mesh->Looped);
}

TEST_F(Md2Test, GameSpaceModelSurvivesBuildWriteAndRead) {
  game::TMD2Source src;
  src.SkinWidth = 64;
  src.SkinHeight = 32;
  src.TexCoords = {{0, 0}, {64, 0}, {0, 32}, {64, 32}};
  src.Triangles = {{0, 1, 2, 0, 1, 2}, {0, 2, 3, 0, 2, 3}, {0, 3, 1, 1, 3, 2}, {1, 3, 2, 3, 2, 0}};
  for (int f = 0; f < 3; ++f) {
    float s = 1.0f + 0.5f * static_cast<float>(f);
    src.Frames.push_back({"f" + std::to_string(f), {{0, 0, 0}, {s, 0, 0}, {0, s, 0}, {0.3f, 0.2f, -s}}});
  }
  TMD2Model packed;
  std::string error;
  ASSERT_TRUE(game::MD2Build(src, &packed, &error)) << error;
  game::TGmMesh* mesh = LoadMesh(game::MD2Write(packed));
  ASSERT_NE(mesh, nullptr);
  ASSERT_EQ(mesh->FrameCount, 3u);
  for (uint32_t f = 0; f < 3; ++f) {
    float step = (1.0f + 0.5f * static_cast<float>(f)) / 255.0f;
    for (size_t v = 0; v < 4; ++v) {
      EXPECT_NEAR(mesh->Frames[f].Vertices[v].X, src.Frames[f].Vertices[v].X, step);
      EXPECT_NEAR(mesh->Frames[f].Vertices[v].Y, src.Frames[f].Vertices[v].Y, step);
      EXPECT_NEAR(mesh->Frames[f].Vertices[v].Z, src.Frames[f].Vertices[v].Z, step);
    }
  }
  for (size_t t = 0; t < src.Triangles.size(); ++t) {
    EXPECT_EQ(mesh->Triangles[t].VertexA, src.Triangles[t].VertexA);
    EXPECT_EQ(mesh->Triangles[t].VertexC, src.Triangles[t].VertexC);
    EXPECT_EQ(mesh->Triangles[t].TexB, src.Triangles[t].TexB);
  }
  EXPECT_FLOAT_EQ(mesh->TexCoords[3].U, 1.0f);
  EXPECT_FLOAT_EQ(mesh->TexCoords[3].V, 0.0f);
  // Front faces stay front faces: the first triangle is counter-clockwise seen from +Z.
  EXPECT_GT(mesh->Frames[0].FaceNormals[0].Z, 0.0f);

  game::TMD2Source bad = src;
  bad.Triangles[1].VertexB = 4;
  EXPECT_FALSE(game::MD2Build(bad, &packed, &error));
  bad = src;
  bad.Frames[2].Vertices.pop_back();
  EXPECT_FALSE(game::MD2Build(bad, &packed, &error));
}

TEST_F(Md2Test, WrongIdentifierEndsTheStartUp) {
  std::vector<uint8_t> bytes = game::MD2Write(HandModel());
  bytes[3] = '3';  // "IDP3"
  TMD2Model m;
  std::string reason;
  EXPECT_EQ(game::MD2LoadFromMemory(&m, bytes.data(), bytes.size(), &reason), Md2Status::NotMD2);
  EXPECT_EQ(reason, "Not a valid MD2 file!");
  try {
    LoadMesh(bytes, "Data/Models/soldier.md2");
    FAIL() << "no error";
  } catch (const game::FatalError& e) {
    EXPECT_STREQ(e.what(), "Not a valid MD2 file!");
    EXPECT_EQ(e.file(), "Data/Models/soldier.md2");
  }
  EXPECT_EQ(game::MeshCount(), 0u);
  // Files too short to hold an identifier are not MD2 files either.
  for (size_t n : {0u, 1u, 3u})
    EXPECT_EQ(game::MD2LoadFromMemory(&m, bytes.data(), n, nullptr), Md2Status::NotMD2);
}

TEST_F(Md2Test, VersionIgnoredAndGlCommandsNeverRead) {
  std::vector<uint8_t> bytes = game::MD2Write(HandModel());
  SetField(&bytes, kVersion, 7);
  // GL commands announced at an offset far outside the file: never read, count reported as 0.
  SetField(&bytes, kNumGl, 40);
  SetField(&bytes, kOfsGl, 1 << 30);
  SetField(&bytes, kOfsEnd, -5);
  TMD2Model m;
  ASSERT_EQ(game::MD2LoadFromMemory(&m, bytes.data(), bytes.size(), nullptr), Md2Status::Ok);
  EXPECT_EQ(m.Header.Version, 7);
  EXPECT_EQ(m.Header.NumGLCommands, 0);
  EXPECT_NE(LoadMesh(bytes), nullptr);
}

TEST_F(Md2Test, TextureIndicesUnusedWithoutTextureCoordinates) {
  TMD2Model hand = HandModel();
  hand.TexCoords.clear();
  hand.Triangles[0].St = {-7, 300, 9};
  game::TGmMesh* mesh = LoadMesh(game::MD2Write(hand));
  ASSERT_NE(mesh, nullptr);
  EXPECT_EQ(mesh->TexCoordCount, 0u);
  EXPECT_EQ(mesh->Triangles[0].TexA, 0u);
  for (const game::TGmCorner& c : game::MeshCorners(mesh, 0.0f)) EXPECT_FALSE(c.HasTexCoord);
}

TEST_F(Md2Test, EveryTruncationIsRefusedWithoutOutOfBoundsAccess) {
  const std::vector<uint8_t> whole = game::MD2Write(HandModel());
  for (size_t n = 0; n < whole.size(); ++n) {
    // A copy of exactly n bytes, so that ASan sees any read past the end.
    std::vector<uint8_t> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
    TMD2Model m;
    Md2Status s = game::MD2LoadFromMemory(&m, cut.data(), cut.size(), nullptr);
    EXPECT_EQ(s, n < 4 ? Md2Status::NotMD2 : Md2Status::Malformed) << n << " bytes";
    EXPECT_TRUE(m.Frames.empty());
    if (n >= 4) {
      EXPECT_EQ(LoadMesh(cut), nullptr) << n << " bytes";
    }
  }
  EXPECT_EQ(game::MeshCount(), 0u);
}

TEST_F(Md2Test, HostileHeadersAreRefused) {
  const std::vector<uint8_t> good = game::MD2Write(HandModel());
  struct Case {
    const char* what;
    Field field;
    int32_t value;
  };
  const Case cases[] = {
      {"negative skin count", kNumSkins, -1},
      {"negative vertex count", kNumVerts, -3},
      {"negative texture coordinate count", kNumTex, -1},
      {"negative triangle count", kNumTris, -1},
      {"negative frame count", kNumFrames, -2},
      {"frame size below 40", kFrameSize, 36},
      {"frame size too small for the vertices", kFrameSize, 48},
      {"negative frame size", kFrameSize, -52},
      {"more vertices than the frames hold", kNumVerts, 4},
      {"huge vertex count", kNumVerts, 0x7FFFFFFF},
      {"huge frame count", kNumFrames, 0x7FFFFFFF},
      {"huge triangle count", kNumTris, 0x10000000},
      {"skins past the end", kOfsSkins, 0x7FFFFFF0},
      {"negative skin offset", kOfsSkins, -64},
      {"texture coordinates past the end", kOfsTex, static_cast<int32_t>(good.size()) - 8},
      {"triangles past the end", kOfsTris, static_cast<int32_t>(good.size()) - 4},
      {"frames past the end", kOfsFrames, static_cast<int32_t>(good.size()) - 60},
      {"negative frame offset", kOfsFrames, -1},
      {"zero skin width with texture coordinates", kSkinW, 0},
      {"negative skin height", kSkinH, -64},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes = good;
    SetField(&bytes, c.field, c.value);
    TMD2Model m;
    std::string reason;
    EXPECT_EQ(game::MD2LoadFromMemory(&m, bytes.data(), bytes.size(), &reason), Md2Status::Malformed)
        << c.what;
    EXPECT_FALSE(reason.empty()) << c.what;
    EXPECT_EQ(LoadMesh(bytes), nullptr) << c.what;
  }
  EXPECT_EQ(game::MeshCount(), 0u);
}

TEST_F(Md2Test, FramelessModelDrawsNothingAndCannotAskForMemory) {
  std::vector<uint8_t> bytes = game::MD2Write(HandModel());
  SetField(&bytes, kNumFrames, 0);
  game::TGmMesh* mesh = LoadMesh(bytes);
  ASSERT_NE(mesh, nullptr);
  EXPECT_EQ(mesh->FrameCount, 0u);
  EXPECT_TRUE(game::MeshCorners(mesh, 0.0f).empty());
  // No frame record backs the vertex count, so a huge one is refused rather than allocated.
  SetField(&bytes, kNumVerts, 600000000);
  EXPECT_EQ(LoadMesh(bytes), nullptr);
}

TEST_F(Md2Test, IndicesOutsideTheirArraysAreRefused) {
  const int16_t badVertex[] = {-1, 3, 32767};
  for (int16_t v : badVertex) {
    TMD2Model m = HandModel();
    m.Triangles[0].Vertex[1] = v;
    TMD2Model back;
    std::vector<uint8_t> bytes = game::MD2Write(m);
    EXPECT_EQ(game::MD2LoadFromMemory(&back, bytes.data(), bytes.size(), nullptr), Md2Status::Malformed) << v;
  }
  for (int16_t st : badVertex) {
    TMD2Model m = HandModel();
    m.Triangles[0].St[2] = st;
    TMD2Model back;
    std::vector<uint8_t> bytes = game::MD2Write(m);
    EXPECT_EQ(game::MD2LoadFromMemory(&back, bytes.data(), bytes.size(), nullptr), Md2Status::Malformed)
        << st;
  }
}

TEST_F(Md2Test, MeshLoadTakesOnlyExistingMd2AndObjFiles) {
  std::filesystem::path dir = testsupport::ScratchDir();
  std::vector<uint8_t> bytes = game::MD2Write(HandModel());
  testsupport::WriteBytes(dir / "a.md2", bytes);
  testsupport::WriteBytes(dir / "b.Md2", bytes);
  testsupport::WriteBytes(dir / "c.mdl", bytes);
  testsupport::WriteFile(dir / "d.OBJ", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
  std::filesystem::create_directories(dir / "e.md2");

  game::TGmMesh* a = game::MeshLoad((dir / "a.md2").string());
  game::TGmMesh* b = game::MeshLoad((dir / "b.Md2").string());
  game::TGmMesh* d = game::MeshLoad((dir / "d.OBJ").string());
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  ASSERT_NE(d, nullptr);
  EXPECT_NE(a, b);  // the same file twice gives two meshes
  EXPECT_EQ(d->TriangleCount, 1u);
  EXPECT_EQ(game::MeshLoad((dir / "c.mdl").string()), nullptr);
  EXPECT_EQ(game::MeshLoad((dir / "missing.md2").string()), nullptr);
  EXPECT_EQ(game::MeshLoad((dir / "e.md2").string()), nullptr);
  EXPECT_EQ(game::MeshLoad((dir / "a").string()), nullptr);
  EXPECT_EQ(game::MeshCount(), 3u);
  EXPECT_EQ(game::MeshFirst(), d);  // newest first
}

}  // namespace
