// The mesh container, its builders from MD2 and OBJ files, normals and drawing.
#include "game/models/mesh.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <new>
#include <utility>

#include "engine/data_file.h"
#include "engine/load_timing.h"
#include "engine/opengl.h"

#include "game/core/fatal.h"
#include "game/models/format_md2.h"
#include "game/models/format_obj.h"

namespace game {

namespace {

// How far outside the view (world units) a mesh's box must lie to be skipped. A blended corner
// may stray from its key frames' boxes by a rounding step; a hundredth of a unit covers that many
// times over at any distance the far plane allows.
constexpr double kViewMargin = 0.01;

// Triangles per glDrawArrays: whole triangles in their order (the test draws a mesh of several
// batches both ways and compares), so that the scratch stays small for a mesh of a million faces.
constexpr uint32_t kBatchTriangles = 8192;

// One corner as the vertex arrays take it, interleaved.
struct TArrayCorner {
  float Normal[3];
  float TexCoord[2];
  float Vertex[3];
};

// Scratch reused by every draw: corners of one batch, and the blended positions and normals of
// an animated mesh, each worked out once per vertex rather than once per corner.
struct DrawScratch {
  std::vector<TArrayCorner> Corners;
  std::vector<TGmVector> Vertices;
  std::vector<TGmVector> Normals;
};

// A mesh as built from a file's bytes, outside the list: a later load of the same bytes copies it.
struct TBuiltFile {
  std::string FileName;
  std::vector<uint8_t> Bytes;
  TGmMesh Mesh;
};

// The mesh list: every mesh from its loading to MeshFreeAll.
struct MeshState {
  TGmMesh* Head = nullptr;
  uint32_t Count = 0;
  std::string Failure;  // why the last load gave no mesh
  std::vector<TBuiltFile> Built;  // until MeshForgetFiles
};

MeshState g_meshes;
TDrawSettings g_drawSettings;
TDrawCounts g_drawCounts;
DrawScratch g_scratch;

std::string UpperExtension(const std::string& fileName) {
  std::string ext = std::filesystem::path(fileName).extension().string();
  for (char& c : ext)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return ext;
}

TGmVector Lerp(const TGmVector& a, const TGmVector& b, float t) {
  return {a.X + (b.X - a.X) * t, a.Y + (b.Y - a.Y) * t, a.Z + (b.Z - a.Z) * t};
}

bool IsEmpty(const TGmMesh& mesh) {
  return mesh.FrameCount == 0 || mesh.VertexCount == 0 || mesh.TriangleCount == 0 || mesh.Frames.empty();
}

// Sends every corner of the mesh at `frame` to `sink` (normal, optional texture coordinate,
// vertex): the one walk behind both MeshDraw and MeshCorners.
template <typename Sink>
void EmitCorners(const TGmMesh& mesh, float frame, Sink&& sink) {
  if (IsEmpty(mesh)) return;
  const TGmFrameBlend at = MeshFrameAt(mesh, frame);
  const TGmMeshFrame& a = mesh.Frames[at.Current];
  const TGmMeshFrame& b = mesh.Frames[at.Next];
  const bool textured = mesh.TexCoordCount > 0;
  for (uint32_t t = 0; t < mesh.TriangleCount; ++t) {
    const TGmTriangle& tri = mesh.Triangles[t];
    const uint32_t vertices[3] = {tri.VertexA, tri.VertexB, tri.VertexC};
    const uint32_t texes[3] = {tri.TexA, tri.TexB, tri.TexC};
    for (int k = 0; k < 3; ++k) {
      const uint32_t i = vertices[k];
      TGmCorner c;
      const TGmVector& na = mesh.FlatNormals ? a.FaceNormals[t] : a.Normals[i];
      if (mesh.Animated) {
        const TGmVector& nb = mesh.FlatNormals ? b.FaceNormals[t] : b.Normals[i];
        c.Normal = Lerp(na, nb, at.Blend);
        c.Vertex = Lerp(a.Vertices[i], b.Vertices[i], at.Blend);
      } else {
        c.Normal = na;
        c.Vertex = a.Vertices[i];
      }
      c.HasTexCoord = textured;
      if (textured) c.TexCoord = mesh.TexCoords[texes[k]];
      sink(c);
    }
  }
}

// The corners of triangles first..end at `frame` into the scratch, with the very values the
// per-corner path would send.
void FillCorners(const TGmMesh& mesh, const TGmFrameBlend& at, uint32_t first, uint32_t end) {
  const TGmMeshFrame& a = mesh.Frames[at.Current];
  const bool textured = mesh.TexCoordCount > 0;
  const TGmVector* vertices = a.Vertices.data();
  const TGmVector* normals = a.Normals.data();
  const TGmVector* faceNormals = a.FaceNormals.data();
  if (mesh.Animated) {
    vertices = g_scratch.Vertices.data();
    normals = g_scratch.Normals.data();
  }
  g_scratch.Corners.resize(static_cast<size_t>(end - first) * 3);
  TArrayCorner* out = g_scratch.Corners.data();
  for (uint32_t t = first; t < end; ++t) {
    const TGmTriangle& tri = mesh.Triangles[t];
    const uint32_t corner[3] = {tri.VertexA, tri.VertexB, tri.VertexC};
    const uint32_t texes[3] = {tri.TexA, tri.TexB, tri.TexC};
    TGmVector flat;
    if (mesh.FlatNormals)
      flat = mesh.Animated ? Lerp(faceNormals[t], mesh.Frames[at.Next].FaceNormals[t], at.Blend) : faceNormals[t];
    for (int k = 0; k < 3; ++k, ++out) {
      const TGmVector& n = mesh.FlatNormals ? flat : normals[corner[k]];
      const TGmVector& v = vertices[corner[k]];
      out->Normal[0] = n.X;
      out->Normal[1] = n.Y;
      out->Normal[2] = n.Z;
      if (textured) {
        const TGmTexCoord& c = mesh.TexCoords[texes[k]];
        out->TexCoord[0] = c.U;
        out->TexCoord[1] = c.V;
      }
      out->Vertex[0] = v.X;
      out->Vertex[1] = v.Y;
      out->Vertex[2] = v.Z;
    }
  }
}

// MeshDraw through client vertex arrays (GL 1.1): the same corners in the same order, blended
// once per vertex for an animated mesh.
void DrawArrays(const TGmMesh& mesh, float frame) {
  const TGmFrameBlend at = MeshFrameAt(mesh, frame);
  if (mesh.Animated) {
    const TGmMeshFrame& a = mesh.Frames[at.Current];
    const TGmMeshFrame& b = mesh.Frames[at.Next];
    g_scratch.Vertices.resize(mesh.VertexCount);
    for (uint32_t v = 0; v < mesh.VertexCount; ++v)
      g_scratch.Vertices[v] = Lerp(a.Vertices[v], b.Vertices[v], at.Blend);
    if (!mesh.FlatNormals) {
      g_scratch.Normals.resize(mesh.VertexCount);
      for (uint32_t v = 0; v < mesh.VertexCount; ++v)
        g_scratch.Normals[v] = Lerp(a.Normals[v], b.Normals[v], at.Blend);
    }
  }
  const bool textured = mesh.TexCoordCount > 0;
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_NORMAL_ARRAY);
  if (textured) glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  for (uint32_t first = 0; first < mesh.TriangleCount; first += kBatchTriangles) {
    const uint32_t end = mesh.TriangleCount - first > kBatchTriangles ? first + kBatchTriangles : mesh.TriangleCount;
    FillCorners(mesh, at, first, end);
    const TArrayCorner* corners = g_scratch.Corners.data();
    constexpr GLsizei stride = sizeof(TArrayCorner);
    glVertexPointer(3, GL_FLOAT, stride, corners->Vertex);
    glNormalPointer(GL_FLOAT, stride, corners->Normal);
    if (textured) glTexCoordPointer(2, GL_FLOAT, stride, corners->TexCoord);
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(g_scratch.Corners.size()));
  }
  if (textured) glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_NORMAL_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
}

// fmin and fmax as the C library gives them, inline: a NaN bound takes the other value, a NaN
// value leaves the bound, and of two equal values (+0 and -0) the bound is kept.
inline float Lower(float bound, float value) { return value < bound || bound != bound ? value : bound; }
inline float Higher(float bound, float value) { return value > bound || bound != bound ? value : bound; }

void GrowBounds(TGmMeshFrame* frame, const TGmVector& v, bool first) {
  if (first) {
    frame->MinX = frame->MaxX = v.X;
    frame->MinY = frame->MaxY = v.Y;
    frame->MinZ = frame->MaxZ = v.Z;
    return;
  }
  frame->MinX = Lower(frame->MinX, v.X);
  frame->MinY = Lower(frame->MinY, v.Y);
  frame->MinZ = Lower(frame->MinZ, v.Z);
  frame->MaxX = Higher(frame->MaxX, v.X);
  frame->MaxY = Higher(frame->MaxY, v.Y);
  frame->MaxZ = Higher(frame->MaxZ, v.Z);
}

void SizeFrames(TGmMesh* mesh) {
  mesh->Triangles.assign(mesh->TriangleCount, TGmTriangle{});
  mesh->TexCoords.assign(mesh->TexCoordCount, TGmTexCoord{});
  mesh->Frames.assign(mesh->FrameCount, TGmMeshFrame{});
  for (TGmMeshFrame& f : mesh->Frames) {
    f.Vertices.assign(mesh->VertexCount, TGmVector{});
    f.Normals.assign(mesh->VertexCount, TGmVector{});
    f.FaceNormals.assign(mesh->TriangleCount, TGmVector{});
  }
}

void Clear(TGmMesh* mesh) {
  TGmMesh* prev = mesh->Prev;
  TGmMesh* next = mesh->Next;
  *mesh = TGmMesh{};
  mesh->Prev = prev;
  mesh->Next = next;
}

}  // namespace

TGmMesh* MeshLoad(const std::string& fileName) {
  eng::LoadTimer timer("models", fileName);
  g_meshes.Failure.clear();
  std::string ext = UpperExtension(fileName);
  if (ext != ".MD2" && ext != ".OBJ") {
    g_meshes.Failure = "not an MD2 or OBJ file";
    return nullptr;
  }
  std::vector<uint8_t> bytes;
  eng::DataFileResult read = eng::ReadDataFile(fileName, eng::MaxDataFileBytes, &bytes);
  if (read.Status != eng::DataFileStatus::Ok) {
    g_meshes.Failure = read.Reason;
    return nullptr;
  }
  // The same bytes build the same mesh: copying it skips the reader and the normals.
  for (const TBuiltFile& built : g_meshes.Built) {
    if (built.FileName != fileName || built.Bytes != bytes) continue;
    TGmMesh* mesh = MeshNew();
    try {
      TGmMesh* prev = mesh->Prev;
      TGmMesh* next = mesh->Next;
      *mesh = built.Mesh;
      mesh->Prev = prev;
      mesh->Next = next;
    } catch (const std::bad_alloc&) {
      MeshFree(mesh);
      g_meshes.Failure = "not enough memory to build the model";
      return nullptr;
    }
    return mesh;
  }
  TGmMesh* mesh = MeshLoadFromMemory(fileName, bytes.data(), bytes.size());
  if (mesh) {
    try {
      TBuiltFile built{fileName, std::move(bytes), *mesh};
      built.Mesh.Prev = built.Mesh.Next = nullptr;
      g_meshes.Built.push_back(std::move(built));
    } catch (const std::bad_alloc&) {
      // Only the next load of the file is slower.
    }
  }
  return mesh;
}

void MeshForgetFiles() { g_meshes.Built.clear(); }

TGmMesh* MeshLoadFromMemory(const std::string& fileName, const uint8_t* data, size_t size) {
  g_meshes.Failure.clear();
  std::string ext = UpperExtension(fileName);
  if (ext != ".MD2" && ext != ".OBJ") {
    g_meshes.Failure = "not an MD2 or OBJ file";
    return nullptr;
  }
  TGmMesh* mesh = MeshNew();
  bool ok = false;
  try {
    ok = ext == ".MD2" ? MeshFromMD2(mesh, fileName, data, size) : MeshFromOBJ(mesh, fileName, data, size);
  } catch (const std::bad_alloc&) {
    // A model too large for the memory left is that model's failure, not the program's end.
    MeshFree(mesh);
    ObjReset();
    g_meshes.Failure = "not enough memory to build the model";
    return nullptr;
  } catch (...) {
    MeshFree(mesh);
    throw;
  }
  if (!ok) {
    MeshFree(mesh);
    if (g_meshes.Failure.empty()) g_meshes.Failure = "the model cannot be read";
    return nullptr;
  }
  return mesh;
}

const std::string& MeshLoadFailure() { return g_meshes.Failure; }

uint64_t NewMeshSerial() {
  static uint64_t last = 0;
  return ++last;
}

TGmMesh* MeshNew() {
  auto* mesh = new TGmMesh;
  mesh->Next = g_meshes.Head;
  if (g_meshes.Head) g_meshes.Head->Prev = mesh;
  g_meshes.Head = mesh;
  ++g_meshes.Count;
  return mesh;
}

void MeshFree(TGmMesh* mesh) {
  if (!mesh) return;
  if (mesh->Prev)
    mesh->Prev->Next = mesh->Next;
  else if (g_meshes.Head == mesh)
    g_meshes.Head = mesh->Next;
  if (mesh->Next) mesh->Next->Prev = mesh->Prev;
  delete mesh;
  if (g_meshes.Count > 0) --g_meshes.Count;
}

void MeshFreeAll() {
  while (g_meshes.Head) MeshFree(g_meshes.Head);
  g_meshes = MeshState{};
}

uint32_t MeshCount() {
  return g_meshes.Count;
}

TGmMesh* MeshFirst() {
  return g_meshes.Head;
}

bool MeshFromMD2(TGmMesh* mesh, const std::string& fileName, const uint8_t* data, size_t size) {
  TMD2Model model;
  Md2Status status = MD2LoadFromMemory(&model, data, size, &g_meshes.Failure);
  if (status == Md2Status::NotMD2) throw FatalError(kMd2NotValid, fileName, 0);
  if (status != Md2Status::Ok) return false;

  const TMD2Header& h = model.Header;
  Clear(mesh);
  mesh->TriangleCount = static_cast<uint32_t>(h.NumTriangles);
  mesh->TexCoordCount = static_cast<uint32_t>(h.NumTexCoords);
  mesh->VertexCount = static_cast<uint32_t>(h.NumVertices);
  mesh->FrameCount = static_cast<uint32_t>(h.NumFrames);
  SizeFrames(mesh);

  // The file's Z axis is up and its X axis is mirrored.
  for (uint32_t f = 0; f < mesh->FrameCount; ++f) {
    const TMD2Frame& src = model.Frames[f];
    TGmMeshFrame& dst = mesh->Frames[f];
    for (uint32_t v = 0; v < mesh->VertexCount; ++v) {
      const TMD2Vertex& p = src.Vertices[v];
      TGmVector& out = dst.Vertices[v];
      out.X = -(src.Scale[0] * static_cast<float>(p.X) + src.Translate[0]);
      out.Y = src.Scale[2] * static_cast<float>(p.Z) + src.Translate[2];
      out.Z = src.Scale[1] * static_cast<float>(p.Y) + src.Translate[1];
      GrowBounds(&dst, out, v == 0);
    }
  }
  for (uint32_t i = 0; i < mesh->TexCoordCount; ++i) {
    const TMD2TexCoord& st = model.TexCoords[i];
    mesh->TexCoords[i].U = static_cast<float>(st.S) / static_cast<float>(h.SkinWidth);
    mesh->TexCoords[i].V = 1.0f - static_cast<float>(st.T) / static_cast<float>(h.SkinHeight);
  }
  // Mirroring X turns the winding round, so the corners are taken in reverse to keep front faces.
  // The reader has checked every index; texture indices of a mesh without coordinates are unused.
  for (uint32_t t = 0; t < mesh->TriangleCount; ++t) {
    const TMD2Triangle& src = model.Triangles[t];
    TGmTriangle& dst = mesh->Triangles[t];
    dst.VertexA = static_cast<uint32_t>(src.Vertex[2]);
    dst.VertexB = static_cast<uint32_t>(src.Vertex[1]);
    dst.VertexC = static_cast<uint32_t>(src.Vertex[0]);
    if (mesh->TexCoordCount > 0) {
      dst.TexA = static_cast<uint32_t>(src.St[2]);
      dst.TexB = static_cast<uint32_t>(src.St[1]);
      dst.TexC = static_cast<uint32_t>(src.St[0]);
    }
  }
  MeshCalcNormals(mesh);
  mesh->Animated = mesh->Looped = mesh->FrameCount > 1;
  return true;
}

bool MeshFromOBJ(TGmMesh* mesh, const std::string& fileName, const uint8_t* data, size_t size) {
  if (!ObjLoadFromMemory(fileName, reinterpret_cast<const char*>(data), size, &g_meshes.Failure)) return false;
  const TObjMdl& obj = ObjModel();
  Clear(mesh);
  mesh->FrameCount = 1;
  mesh->VertexCount = obj.VertexCount;
  mesh->TriangleCount = obj.FaceCount;
  mesh->TexCoordCount = obj.TexCoordCount;
  SizeFrames(mesh);
  TGmMeshFrame& frame = mesh->Frames[0];
  for (uint32_t v = 0; v < mesh->VertexCount; ++v) {
    frame.Vertices[v] = {obj.Vertices[v][0], obj.Vertices[v][1], obj.Vertices[v][2]};
    GrowBounds(&frame, frame.Vertices[v], v == 0);
  }
  // The reader leaves no index outside its array.
  for (uint32_t t = 0; t < mesh->TriangleCount; ++t) {
    const auto& f = obj.Faces[t];
    mesh->Triangles[t] = {static_cast<uint32_t>(f[0]), static_cast<uint32_t>(f[1]),
                          static_cast<uint32_t>(f[2]), static_cast<uint32_t>(f[3]),
                          static_cast<uint32_t>(f[4]), static_cast<uint32_t>(f[5])};
  }
  for (uint32_t i = 0; i < mesh->TexCoordCount; ++i)
    mesh->TexCoords[i] = {obj.TexCoords[i][0], obj.TexCoords[i][1]};
  MeshCalcNormals(mesh);
  mesh->Animated = mesh->Looped = false;
  ObjReset();  // the reader's copy is not needed once the mesh holds the data
  return true;
}

void MeshCalcNormals(TGmMesh* mesh) {
  if (!mesh || mesh->Frames.empty()) return;
  std::vector<uint32_t> uses(mesh->VertexCount);
  for (TGmMeshFrame& frame : mesh->Frames) {
    for (uint32_t t = 0; t < mesh->TriangleCount; ++t) {
      const TGmTriangle& tri = mesh->Triangles[t];
      const TGmVector& p0 = frame.Vertices[tri.VertexA];
      const TGmVector& p1 = frame.Vertices[tri.VertexB];
      const TGmVector& p2 = frame.Vertices[tri.VertexC];
      TGmVector& n = frame.FaceNormals[t];
      n.X = (p1.Z - p2.Z) * p0.Y + (p2.Z - p0.Z) * p1.Y + (p0.Z - p1.Z) * p2.Y;
      n.Y = (p1.X - p2.X) * p0.Z + (p2.X - p0.X) * p1.Z + (p0.X - p1.X) * p2.Z;
      n.Z = (p1.Y - p2.Y) * p0.X + (p2.Y - p0.Y) * p1.X + (p0.Y - p1.Y) * p2.X;
    }
    // One pass over the triangles adds each face to its distinct corners in triangle order, the
    // same sums in the same order as scanning every triangle for each vertex.
    std::fill(uses.begin(), uses.end(), 0u);
    std::fill(frame.Normals.begin(), frame.Normals.end(), TGmVector{});
    for (uint32_t t = 0; t < mesh->TriangleCount; ++t) {
      const TGmTriangle& tri = mesh->Triangles[t];
      const uint32_t corners[3] = {tri.VertexA, tri.VertexB, tri.VertexC};
      for (int k = 0; k < 3; ++k) {
        const uint32_t v = corners[k];
        if ((k >= 1 && v == corners[0]) || (k == 2 && v == corners[1])) continue;
        TGmVector& sum = frame.Normals[v];
        sum.X += frame.FaceNormals[t].X;
        sum.Y += frame.FaceNormals[t].Y;
        sum.Z += frame.FaceNormals[t].Z;
        ++uses[v];
      }
    }
    for (uint32_t v = 0; v < mesh->VertexCount; ++v) {
      TGmVector& n = frame.Normals[v];
      if (uses[v] > 0) {
        const auto count = static_cast<float>(uses[v]);
        n = {n.X / count, n.Y / count, n.Z / count};
      }
      const float length = std::sqrt(n.X * n.X + n.Y * n.Y + n.Z * n.Z);
      if (length > 0.0f) n = {n.X / length, n.Y / length, n.Z / length};
    }
  }
}

void MeshFlipNormals(TGmMesh* mesh) {
  if (!mesh) return;
  for (TGmTriangle& tri : mesh->Triangles) {
    std::swap(tri.VertexA, tri.VertexC);
    std::swap(tri.TexA, tri.TexC);
  }
  MeshCalcNormals(mesh);
}

void MeshCalcBounds(TGmMeshFrame* frame) {
  frame->MinX = frame->MinY = frame->MinZ = frame->MaxX = frame->MaxY = frame->MaxZ = 0.0f;
  for (size_t v = 0; v < frame->Vertices.size(); ++v) GrowBounds(frame, frame->Vertices[v], v == 0);
}

TGmFrameBlend MeshFrameAt(const TGmMesh& mesh, float frame) {
  TGmFrameBlend at;
  if (mesh.FrameCount == 0) return at;
  const uint32_t last = mesh.FrameCount - 1;
  // The frame is truncated and taken as an unsigned 32-bit number, so any frame of -1 or below
  // lands beyond the last key frame and clamps to it, as do frames past 2^32; NaN draws frame 0.
  uint32_t current = 0;
  if (!std::isnan(frame)) {
    const double whole = std::trunc(static_cast<double>(frame));
    if (whole <= -1.0 || whole >= 4294967296.0)
      current = last;
    else if (whole > 0.0)
      current = std::min(static_cast<uint32_t>(whole), last);
  }
  uint32_t next = current + 1;
  if (next > last) next = mesh.Looped ? 0 : last;
  float blend = std::isnan(frame) ? 0.0f : frame - static_cast<float>(current);
  // Past the last key frame the blend stops at 1; a negative frame would extrapolate far outside
  // the model, so it stops at 0.
  if (blend > 1.0f) blend = 1.0f;
  if (blend < 0.0f) blend = 0.0f;
  at.Current = current;
  at.Next = next;
  at.Blend = blend;
  return at;
}

std::vector<TGmCorner> MeshCorners(const TGmMesh* mesh, float frame) {
  std::vector<TGmCorner> corners;
  if (!mesh) return corners;
  corners.reserve(static_cast<size_t>(mesh->TriangleCount) * 3);
  EmitCorners(*mesh, frame, [&](const TGmCorner& c) { corners.push_back(c); });
  return corners;
}

void MeshDraw(const TGmMesh* mesh, float frame) {
  if (!mesh || IsEmpty(*mesh)) return;
  if (!g_drawSettings.VertexArrays) {
    glBegin(GL_TRIANGLES);
    EmitCorners(*mesh, frame, [](const TGmCorner& c) {
      glNormal3f(c.Normal.X, c.Normal.Y, c.Normal.Z);
      if (c.HasTexCoord) glTexCoord2f(c.TexCoord.U, c.TexCoord.V);
      glVertex3f(c.Vertex.X, c.Vertex.Y, c.Vertex.Z);
    });
    glEnd();
    return;
  }
  DrawArrays(*mesh, frame);
  // NOTE: drawing from arrays leaves the current attributes undefined, and the next thing drawn
  // without its own normal (the tile cursor, a mesh without texture coordinates) relies on them.
  MeshLeaveCurrent(mesh, frame);
}

void MeshLeaveCurrent(const TGmMesh* mesh, float frame) {
  if (!mesh || IsEmpty(*mesh)) return;
  const TGmFrameBlend at = MeshFrameAt(*mesh, frame);
  const uint32_t t = mesh->TriangleCount - 1;
  const uint32_t i = mesh->Triangles[t].VertexC;
  const TGmMeshFrame& a = mesh->Frames[at.Current];
  const TGmMeshFrame& b = mesh->Frames[at.Next];
  const TGmVector& na = mesh->FlatNormals ? a.FaceNormals[t] : a.Normals[i];
  const TGmVector n = mesh->Animated ? Lerp(na, mesh->FlatNormals ? b.FaceNormals[t] : b.Normals[i], at.Blend) : na;
  glNormal3f(n.X, n.Y, n.Z);
  if (mesh->TexCoordCount > 0) {
    const TGmTexCoord& c = mesh->TexCoords[mesh->Triangles[t].TexC];
    glTexCoord2f(c.U, c.V);
  }
}

void MeshLeavePlaced(const eng::TCamera3D& camera, const eng::TMatrix4& model, uint32_t texture, const TGmMesh* mesh,
                     float frame) {
  eng::CameraLoadMatrix(camera);
  glMultMatrixf(model.data());
  glBindTexture(GL_TEXTURE_2D, texture);
  MeshLeaveCurrent(mesh, frame);
}

bool MeshBoundsAt(const TGmMesh* mesh, float frame, float lo[3], float hi[3]) {
  if (!mesh || IsEmpty(*mesh)) return false;
  const TGmFrameBlend at = MeshFrameAt(*mesh, frame);
  const TGmMeshFrame& a = mesh->Frames[at.Current];
  const TGmMeshFrame& b = mesh->Frames[mesh->Animated ? at.Next : at.Current];
  lo[0] = std::fmin(a.MinX, b.MinX);
  lo[1] = std::fmin(a.MinY, b.MinY);
  lo[2] = std::fmin(a.MinZ, b.MinZ);
  hi[0] = std::fmax(a.MaxX, b.MaxX);
  hi[1] = std::fmax(a.MaxY, b.MaxY);
  hi[2] = std::fmax(a.MaxZ, b.MaxZ);
  return true;
}

bool MeshBoundsAll(const TGmMesh* mesh, float lo[3], float hi[3]) {
  if (!mesh || IsEmpty(*mesh)) return false;
  lo[0] = lo[1] = lo[2] = std::numeric_limits<float>::infinity();
  hi[0] = hi[1] = hi[2] = -std::numeric_limits<float>::infinity();
  for (const TGmMeshFrame& f : mesh->Frames) {
    lo[0] = std::fmin(lo[0], f.MinX);
    lo[1] = std::fmin(lo[1], f.MinY);
    lo[2] = std::fmin(lo[2], f.MinZ);
    hi[0] = std::fmax(hi[0], f.MaxX);
    hi[1] = std::fmax(hi[1], f.MaxY);
    hi[2] = std::fmax(hi[2], f.MaxZ);
  }
  return true;
}

bool MeshOutsideView(const eng::TFrustum& view, const TGmMesh* mesh, float frame, const eng::TMatrix4& model) {
  float lo[3], hi[3];
  if (!MeshBoundsAt(mesh, frame, lo, hi)) return false;
  return eng::FrustumExcludesBox(view, model, lo, hi, kViewMargin);
}

TDrawSettings& DrawSettings() { return g_drawSettings; }

eng::TFrustum DrawFrustum(const eng::TMatrix4& view) {
  return g_drawSettings.CullOutsideView ? eng::ViewFrustum(view) : eng::TFrustum{};
}

TDrawCounts& DrawCounts() { return g_drawCounts; }

}  // namespace game
