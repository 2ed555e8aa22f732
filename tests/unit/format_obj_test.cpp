// The OBJ reader: the line and face forms it understands, what it skips, the index rules that keep
// faces inside the arrays, the fatal conversion error, and the mesh built from it.
#include "game/models/format_obj.h"

#include <gtest/gtest.h>

#include "game/core/fatal.h"
#include "game/models/mesh.h"

namespace {

using Face = std::array<int32_t, 6>;

const game::TObjMdl& Load(const std::string& text) {
  game::ObjLoadFromMemory("prop.obj", text.data(), text.size());
  return game::ObjModel();
}

// Six texture coordinates and four vertices, then the line under test.
const game::TObjMdl& LoadWithArrays(const std::string& line) {
  return Load(
      "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 1\n"
      "vt 0 0\nvt 1 0\nvt 0 1\nvt 1 1\nvt 0.5 0\nvt 0 0.5\n" +
      line + "\n");
}

TEST(ObjReader, VertexLinesInAnyCase) {
  const game::TObjMdl& m = Load("v 1.5 2 -3\nV 1.5 2 -3\nvn 0 1 0\nVT 0.25 0.75 9\nv 1 2 3 4\n");
  ASSERT_EQ(m.VertexCount, 3u);
  EXPECT_EQ(m.Vertices[0], (std::array<float, 3>{1.5f, 2.0f, -3.0f}));
  EXPECT_EQ(m.Vertices[1], m.Vertices[0]);
  EXPECT_EQ(m.Vertices[2], (std::array<float, 3>{1.0f, 2.0f, 3.0f}));  // a fourth coordinate is ignored
  EXPECT_EQ(m.NormalCount, 1u);
  ASSERT_EQ(m.TexCoordCount, 1u);
  EXPECT_EQ(m.TexCoords[0], (std::array<float, 2>{0.25f, 0.75f}));
}

TEST(ObjReader, FaceForms) {
  EXPECT_EQ(LoadWithArrays("f 1 2 3").Faces.at(0), (Face{0, 1, 2, 0, 0, 0}));
  EXPECT_EQ(LoadWithArrays("f 1/4 2/5 3/6").Faces.at(0), (Face{0, 1, 2, 3, 4, 5}));
  EXPECT_EQ(LoadWithArrays("f 1/4/9 2/5/9 3/6/9").Faces.at(0), (Face{0, 1, 2, 3, 4, 5}));
  // Only the first triangle of a longer face remains.
  const game::TObjMdl& quad = LoadWithArrays("f 1 2 3 4");
  EXPECT_EQ(quad.FaceCount, 1u);
  EXPECT_EQ(quad.Faces.at(0), (Face{0, 1, 2, 0, 0, 0}));
  // v//vn: the normal indices never become texture indices.
  EXPECT_EQ(LoadWithArrays("f 1//4 2//5 3//6").Faces.at(0), (Face{0, 1, 2, 0, 0, 0}));
  EXPECT_EQ(Load("v 0 0 0\nv 1 0 0\nv 0 1 0\nf 3//1 2//2 1//3\n").Faces.at(0), (Face{2, 1, 0, 0, 0, 0}));
  // A first corner of four parts leaves the face all zero.
  EXPECT_EQ(LoadWithArrays("f 2/2/2/2 3/3/3/3 4/4/4/4").Faces.at(0), (Face{0, 0, 0, 0, 0, 0}));
}

TEST(ObjReader, BlanksCommentsAndOtherKeywords) {
  const game::TObjMdl& m = Load(
      "# a comment\n"
      "   v 1 2 3\n"  // leading blanks do not hide a line
      " # v 9 9 9\n"  // keyword "#": skipped
      "o crate\ng lid\ns 1\nusemtl wood\nmtllib crate.mtl\n"
      "v\t4 5 6\n"      // a tab does not separate: keyword "V\t4"
      "v  7   8 9\r\n"  // runs of blanks, CR LF
      "\n"
      "v 1 1 1");  // no line end at the end of the file
  ASSERT_EQ(m.VertexCount, 3u);
  EXPECT_EQ(m.Vertices[0], (std::array<float, 3>{1, 2, 3}));
  EXPECT_EQ(m.Vertices[1], (std::array<float, 3>{7, 8, 9}));
  EXPECT_EQ(m.Vertices[2], (std::array<float, 3>{1, 1, 1}));
}

TEST(ObjReader, LinesWithTooFewFieldsAreSkipped) {
  const game::TObjMdl& m = Load("v 1 2\nvt 0.5\nvn 0 1\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2\nf\nf 1/1 2/2 3\n");
  EXPECT_EQ(m.VertexCount, 3u);
  EXPECT_EQ(m.TexCoordCount, 0u);
  EXPECT_EQ(m.NormalCount, 0u);
  EXPECT_EQ(m.FaceCount, 0u);
}

TEST(ObjReader, IndicesOutsideTheArraysNameTheFirstEntry) {
  // Zero, negative (relative) and too large vertex indices become vertex 0.
  EXPECT_EQ(LoadWithArrays("f 0 2 3").Faces.at(0), (Face{0, 1, 2, 0, 0, 0}));
  EXPECT_EQ(LoadWithArrays("f -1 -2 3").Faces.at(0), (Face{0, 0, 2, 0, 0, 0}));
  EXPECT_EQ(LoadWithArrays("f 2 3 5").Faces.at(0), (Face{1, 2, 0, 0, 0, 0}));
  EXPECT_EQ(LoadWithArrays("f 2 3 -2147483648").Faces.at(0), (Face{1, 2, 0, 0, 0, 0}));
  // Texture indices likewise.
  EXPECT_EQ(LoadWithArrays("f 1/7 2/0 3/-1").Faces.at(0), (Face{0, 1, 2, 0, 0, 0}));
  // Without texture coordinates the texture indices are 0 whatever the file says.
  EXPECT_EQ(Load("v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1/4 2/5 3/6\n").Faces.at(0), (Face{0, 1, 2, 0, 0, 0}));
  // Indices may name vertices given further down the file.
  EXPECT_EQ(Load("f 1 2 3\nv 0 0 0\nv 1 0 0\nv 0 1 0\n").Faces.at(0), (Face{0, 1, 2, 0, 0, 0}));
  // Without any vertex the face has nothing to name and is dropped.
  const game::TObjMdl& none = Load("vt 0 0\nf 1/1 2/1 3/1\n");
  EXPECT_EQ(none.FaceCount, 0u);
  EXPECT_TRUE(none.Faces.empty());
}

TEST(ObjReader, NumberThatDoesNotConvertNamesFileAndLine) {
  struct Case {
    const char* text;
    const char* message;
    int line;
  };
  const Case cases[] = {
      {"v 0 0 0\n\nv 1 x 3\n", "'x' is not a valid floating point value", 3},
      {"v 1,5 0 0\n", "'1,5' is not a valid floating point value", 1},
      {"# c\nvt 0.5 .\n", "'.' is not a valid floating point value", 2},
      {"v 0 0 0\nf 1 a 1\n", "'a' is not a valid integer value", 2},
      {"v 0 0 0\nf 1 2/3 1\n", "'2/3' is not a valid integer value", 2},
      {"v 0 0 0\r\nf 1/1 1/b 1/1\r\n", "'b' is not a valid integer value", 2},
      {"v 0 0 0\nf 1 1 99999999999\n", "'99999999999' is not a valid integer value", 2},
  };
  for (const Case& c : cases) {
    try {
      Load(c.text);
      ADD_FAILURE() << "no error for " << c.text;
    } catch (const game::FatalError& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
      EXPECT_EQ(e.file(), "prop.obj");
      EXPECT_EQ(e.line(), c.line) << c.text;
    }
  }
}

TEST(ObjReader, FieldSplitter) {
  EXPECT_EQ(game::ObjField("  f  1/2//3  x", 1, ' '), "f");
  EXPECT_EQ(game::ObjField("  f  1/2//3  x", 2, ' '), "1/2//3");
  EXPECT_EQ(game::ObjField("  f  1/2//3  x", 3, ' '), "x");
  EXPECT_EQ(game::ObjField("  f  1/2//3  x", 4, ' '), "");
  EXPECT_EQ(game::ObjField("1/2//3", 3, '/'), "3");
  EXPECT_EQ(game::ObjFieldCount("  f  1/2//3  x ", ' '), 3);
  EXPECT_EQ(game::ObjFieldCount("//1//", '/'), 1);
  EXPECT_EQ(game::ObjFieldCount("", ' '), 0);
}

TEST(ObjMesh, OneStillFrameCopiedFromTheFile) {
  game::MeshFreeAll();
  const std::string text =
      "v 0 0 0\nv 2 0 0\nv 0 3 0\nv 0 0 -1\nvt 0 0\nvt 1 0\nvt 0 1\nf 1/1 2/2 3/3\nf 1/3 4/2 2/1\n";
  game::TGmMesh* mesh =
      game::MeshLoadFromMemory("crate.obj", reinterpret_cast<const uint8_t*>(text.data()), text.size());
  ASSERT_NE(mesh, nullptr);
  EXPECT_EQ(mesh->FrameCount, 1u);
  EXPECT_FALSE(mesh->Animated);
  EXPECT_FALSE(mesh->Looped);
  EXPECT_EQ(mesh->VertexCount, 4u);
  EXPECT_EQ(mesh->TriangleCount, 2u);
  EXPECT_EQ(mesh->TexCoordCount, 3u);
  EXPECT_EQ(mesh->Triangles[1].VertexB, 3u);
  EXPECT_EQ(mesh->Triangles[1].TexA, 2u);
  EXPECT_EQ(mesh->TexCoords[2].V, 1.0f);  // copied unchanged
  EXPECT_EQ(mesh->Frames[0].MaxY, 3.0f);
  EXPECT_EQ(mesh->Frames[0].MinZ, -1.0f);
  // Face normal of (0,0,0), (2,0,0), (0,3,0): twice the area along +Z.
  EXPECT_EQ(mesh->Frames[0].FaceNormals[0].Z, 6.0f);
  // Frame numbers make no difference to a one-frame mesh.
  std::vector<game::TGmCorner> a = game::MeshCorners(mesh, 0.0f), b = game::MeshCorners(mesh, 7.6f);
  ASSERT_EQ(a.size(), 6u);
  for (size_t i = 0; i < a.size(); ++i) EXPECT_EQ(a[i].Vertex.X, b[i].Vertex.X);
  EXPECT_TRUE(a[0].HasTexCoord);
  game::MeshFreeAll();
}

TEST(ObjMesh, OnlyVerticesAndFacesGiveNoTextureCoordinates) {
  game::MeshFreeAll();
  const std::string text = "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";
  game::TGmMesh* mesh =
      game::MeshLoadFromMemory("plain.obj", reinterpret_cast<const uint8_t*>(text.data()), text.size());
  ASSERT_NE(mesh, nullptr);
  EXPECT_EQ(mesh->TexCoordCount, 0u);
  for (const game::TGmCorner& c : game::MeshCorners(mesh, 0.0f)) EXPECT_FALSE(c.HasTexCoord);
  // A conversion error leaves no half-built mesh behind.
  const std::string bad = "v 0 0 zero\n";
  EXPECT_THROW(game::MeshLoadFromMemory("bad.obj", reinterpret_cast<const uint8_t*>(bad.data()), bad.size()),
               game::FatalError);
  EXPECT_EQ(game::MeshCount(), 1u);
  game::MeshFreeAll();
}

}  // namespace
