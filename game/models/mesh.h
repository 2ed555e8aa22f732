// The mesh of every 3D object: a triangle list with texture coordinates shared by all key frames,
// per key frame the positions, face normals, vertex normals and a bounding box, drawn at a
// fractional frame by blending two key frames. Meshes are built from MD2 and OBJ files and live
// in one list from kind loading until MeshFreeAll at exit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/math3d.h"

namespace game {

struct TGmVector {
  float X = 0.0f;
  float Y = 0.0f;
  float Z = 0.0f;
};

struct TGmTexCoord {
  float U = 0.0f;
  float V = 0.0f;
};

// Corner indices: three into the frames' vertex arrays, three into TexCoords.
struct TGmTriangle {
  uint32_t VertexA = 0;
  uint32_t VertexB = 0;
  uint32_t VertexC = 0;
  uint32_t TexA = 0;
  uint32_t TexB = 0;
  uint32_t TexC = 0;
};

struct TGmMeshFrame {
  std::vector<TGmVector> Vertices;     // VertexCount positions
  std::vector<TGmVector> Normals;      // VertexCount unit vertex normals (zero for unused vertices)
  std::vector<TGmVector> FaceNormals;  // TriangleCount face normals, length twice the area
  float MinX = 0.0f;
  float MinY = 0.0f;
  float MinZ = 0.0f;
  float MaxX = 0.0f;
  float MaxY = 0.0f;
  float MaxZ = 0.0f;
};

// A number no mesh made before has had, for telling meshes apart by more than their address.
uint64_t NewMeshSerial();

// Invariants: every vertex index is below VertexCount, every texture index below TexCoordCount
// when TexCoordCount > 0, and every frame holds VertexCount vertices and normals and
// TriangleCount face normals. Frames and triangles do not change once the mesh is loaded:
// picking keeps its results by the mesh's address and serial.
struct TGmMesh {
  uint64_t Serial = NewMeshSerial();  // a mesh cleared for loading gets a new one
  uint32_t VertexCount = 0;
  uint32_t TriangleCount = 0;
  uint32_t TexCoordCount = 0;  // 0: the mesh is drawn without texture coordinates
  std::vector<TGmTriangle> Triangles;
  std::vector<TGmTexCoord> TexCoords;
  uint32_t FrameCount = 0;
  std::vector<TGmMeshFrame> Frames;
  bool Animated = false;     // draw by blending two key frames
  bool Looped = false;       // after the last key frame, blend toward frame 0
  bool FlatNormals = false;  // light with face normals instead of vertex normals
  TGmMesh* Prev = nullptr;
  TGmMesh* Next = nullptr;
};

// The key frames a fractional frame number draws: Current blended toward Next by Blend (0..1).
struct TGmFrameBlend {
  uint32_t Current = 0;
  uint32_t Next = 0;
  float Blend = 0.0f;
};

// One triangle corner as MeshDraw passes it to OpenGL.
struct TGmCorner {
  TGmVector Normal;
  bool HasTexCoord = false;
  TGmTexCoord TexCoord;
  TGmVector Vertex;
};

// A regular file with the extension ".MD2" or ".OBJ" (compared upper-cased) becomes a new mesh
// in the list; a missing file, a directory, FIFO or device, another extension or a file whose
// structure cannot be trusted gives null (MeshLoadFailure says why). Throws FatalError for an MD2 file with a wrong identifier and for an OBJ number that
// does not convert. A file read again with the same bytes (several kinds naming one model) gives a
// copy of the mesh built the first time, without building it again; each copy is the caller's own.
TGmMesh* MeshLoad(const std::string& fileName);
// Lets go of the meshes MeshLoad keeps to copy (the kinds call it once they are loaded).
void MeshForgetFiles();
// MeshLoad on a file image already in memory; `fileName` gives the extension and names the file in
// errors. The fuzz targets enter here. Running out of memory gives null, not an exception.
TGmMesh* MeshLoadFromMemory(const std::string& fileName, const uint8_t* data, size_t size);
// Why the last MeshLoad or MeshLoadFromMemory gave null ("no such file", "is a directory", the MD2
// reader's reason, ...); empty after a load that gave a mesh.
const std::string& MeshLoadFailure();
// A zeroed mesh put at the head of the list.
TGmMesh* MeshNew();
// Unlinks the mesh, frees it and its arrays; null does nothing.
void MeshFree(TGmMesh* mesh);
// Frees every mesh of the list (exit).
void MeshFreeAll();
// Number of meshes in the list.
uint32_t MeshCount();
// The head of the list (the newest mesh), null when empty.
TGmMesh* MeshFirst();

// Fills an empty mesh from an MD2 file image: axes and texture coordinates converted, corner order
// reversed, normals computed, Animated = Looped = more than one frame. False (mesh left empty)
// when the structure cannot be trusted; throws FatalError for a wrong identifier.
bool MeshFromMD2(TGmMesh* mesh, const std::string& fileName, const uint8_t* data, size_t size);
// Fills an empty mesh from an OBJ file image: one frame, positions, faces and texture coordinates
// copied, normals computed, not animated. Throws FatalError for a number that does not convert.
bool MeshFromOBJ(TGmMesh* mesh, const std::string& fileName, const uint8_t* data, size_t size);

// Computes the face normals (unnormalised) and the vertex normals (the unit mean of the faces that
// name the vertex, each face counted once) of every frame.
void MeshCalcNormals(TGmMesh* mesh);
// Reverses the corner order of every triangle and recomputes the normals.
void MeshFlipNormals(TGmMesh* mesh);
// Recomputes a frame's bounding box from its vertices (zero box for no vertices).
void MeshCalcBounds(TGmMeshFrame* frame);

// The key frames and blend factor for a fractional frame: the frame truncated as an unsigned
// number and clamped to the last key frame, the next one wrapping to 0 when Looped, the blend
// clamped to 0..1.
TGmFrameBlend MeshFrameAt(const TGmMesh& mesh, float frame);
// Every corner MeshDraw would send for `frame`, in draw order (empty for an empty mesh).
std::vector<TGmCorner> MeshCorners(const TGmMesh* mesh, float frame);
// Draws the mesh at a fractional frame as GL triangles with the current model-view matrix and
// texture; changes no other GL state. Null or empty meshes draw nothing. The current normal and
// texture coordinate are left as the last corner set them, whichever way the corners are sent.
void MeshDraw(const TGmMesh* mesh, float frame);
// Sets the current normal (and texture coordinate, for a textured mesh) to what MeshDraw of the
// same frame leaves behind, without drawing: the GL state of a draw that was skipped.
void MeshLeaveCurrent(const TGmMesh* mesh, float frame);
// The GL state that drawing the mesh at `frame` under the camera and `model`, with `texture`
// bound, leaves behind (model-view matrix, bound texture, current normal and texture coordinate),
// set without drawing: what comes after an actor skipped as outside the view sees the same.
void MeshLeavePlaced(const eng::TCamera3D& camera, const eng::TMatrix4& model, uint32_t texture, const TGmMesh* mesh,
                     float frame);
// The box (lo..hi per axis, model space) that holds every corner MeshDraw sends for `frame`: the
// bounding boxes of the two key frames blended. False for a null or empty mesh.
bool MeshBoundsAt(const TGmMesh* mesh, float frame, float lo[3], float hi[3]);
// The box (model space) that holds every key frame of the mesh. False for a null or empty mesh.
bool MeshBoundsAll(const TGmMesh* mesh, float lo[3], float hi[3]);
// True when the mesh drawn at `frame` under the model matrix lies wholly outside the view, so that
// not drawing it leaves every pixel as it was. Null and empty meshes are never outside.
bool MeshOutsideView(const eng::TFrustum& view, const TGmMesh* mesh, float frame, const eng::TMatrix4& model);

// How the world reaches GL. Neither switch changes the picture, only the work: tests draw with
// them off and on and compare pixels.
struct TDrawSettings {
  bool VertexArrays = true;     // MeshDraw sends vertex arrays instead of a call per attribute
  // Walls, creatures and floor cells wholly outside the view are skipped. NOTE: particles are all
  // sent: skipping those outside the view changed a blended pixel here and there by its last bit
  // under the software rasteriser (the quads share one matrix, and the driver batches them by
  // what lies between), so the picture would not stay the same.
  bool CullOutsideView = true;
};
TDrawSettings& DrawSettings();
// The view to cull against while drawing under the current 3D projection and `view`; invalid
// (nothing is culled) when culling is switched off or the projection is not 3D.
eng::TFrustum DrawFrustum(const eng::TMatrix4& view);
// What the last draws sent: objects (walls, creatures, floor cells) drawn and skipped as outside
// the view. Reset by DrawWorld; the drawing routines add to it.
struct TDrawCounts {
  int32_t Drawn = 0;
  int32_t Culled = 0;
};
TDrawCounts& DrawCounts();

}  // namespace game
