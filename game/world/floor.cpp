// The floor grid and its drawing.
#include "game/world/floor.h"

#include <GL/gl.h>

#include <algorithm>

#include "game/core/camera.h"
#include "game/core/game_core.h"
#include "game/models/mesh.h"
#include "game/world/assets.h"
#include "game/world/defs.h"
#include "game/world/diagnostics.h"
#include "game/world/registry.h"

namespace game {

namespace {

// The quad of a cell without a mesh (DrawPlane (1, 1)) as a box, and how far outside the view it
// must lie to be skipped (world units; far beyond any rounding of the transform).
constexpr float kPlaneLo[3] = {-1.0f, 0.0f, -1.0f};
constexpr float kPlaneHi[3] = {1.0f, 0.0f, 1.0f};
constexpr double kPlaneMargin = 0.01;

TFloorState g_floor;

bool InsideMap(int32_t x, int32_t y) {
  return x >= 0 && x <= Registry().MapWidth && y >= 0 && y <= Registry().MapHeight &&
         x < FloorGridSize && y < FloorGridSize;
}

void PlaceCell(const TFloor& kind, int32_t x, int32_t y) {
  TFloor& cell = FloorCell(x, y);
  cell = kind;
  cell.Matrix[12] = 2.0f * static_cast<float>(x);
  cell.Matrix[13] = 0.0f;
  cell.Matrix[14] = 2.0f * static_cast<float>(y);
  cell.Matrix[15] = 1.0f;
}

// The text after the last "/", "\" or ":".
std::string BareFileName(const std::string& path) {
  size_t cut = path.find_last_of("/\\:");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

}  // namespace

TFloorState& Floor() { return g_floor; }

TFloor& FloorCell(int32_t x, int32_t y) {
  g_floor.ReachedX = std::max(g_floor.ReachedX, x + 1);
  g_floor.ReachedY = std::max(g_floor.ReachedY, y + 1);
  return g_floor.FloorGrid[static_cast<size_t>(x) * FloorGridSize + static_cast<size_t>(y)];
}

void FloorInit() {
  std::string grass = Core().AppDir + "Data/Textures/grass.jpg";
  FloorAddTexture(grass);
  if (!eng::TextureFailureReason().empty())
    ReportProblem({"", 0, 0, UnreadableTextureMessage(grass)});
  TFloor plane;
  plane.Name = "Plane";
  plane.Texture = 0;
  plane.Matrix = eng::MatrixIdentity();
  g_floor.FloorKinds.push_back(plane);
  for (int32_t y = 0; y <= Registry().MapHeight; ++y)
    for (int32_t x = 0; x <= Registry().MapWidth; ++x)
      if (InsideMap(x, y)) PlaceCell(plane, x, y);
}

int32_t FloorAddTexture(const std::string& fileName) {
  // The name is kept as asked, so that the map's exact-name lookup finds the texture again even
  // when the file was found under another case.
  std::string path = fileName;
  for (char& c : path)
    if (c == '\\') c = '/';
  g_floor.FloorTextures.push_back(
      eng::TextureLoadFromFile(ResolvePathCase(path), eng::NoColourKey, eng::WorldTextureFlags));
  g_floor.FloorTextureNames.push_back(BareFileName(fileName));
  return static_cast<int32_t>(g_floor.FloorTextures.size()) - 1;
}

void FloorSet(const std::string& kindName, int32_t x, int32_t y) {
  if (!InsideMap(x, y)) return;
  for (const TFloor& kind : g_floor.FloorKinds) {
    if (SameName(kind.Name, kindName)) {
      PlaceCell(kind, x, y);
      return;
    }
  }
}

void FloorDraw() {
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_CULL_FACE);
  int32_t bound = -1;
  g_floor.LastDrawBinds = 0;
  const eng::TCamera3D& camera = GmCamera().Camera;
  const eng::TFrustum view = DrawFrustum(camera.Matrix);
  const TFloor* skippedLast = nullptr;
  for (int32_t y = 0; y <= Registry().MapHeight && y < FloorGridSize; ++y) {
    for (int32_t x = 0; x <= Registry().MapWidth && x < FloorGridSize; ++x) {
      const TFloor& cell = FloorCell(x, y);
      // The binds stay as they were, culled cell or not: they are few, and counted.
      const bool outside = cell.Mesh != nullptr
                               ? MeshOutsideView(view, cell.Mesh, 0.0f, cell.Matrix)
                               : eng::FrustumExcludesBox(view, cell.Matrix, kPlaneLo, kPlaneHi, kPlaneMargin);
      if (!outside) {
        eng::CameraLoadMatrix(camera);
        glMultMatrixf(cell.Matrix.data());
      }
      if (cell.Texture != bound) {
        // A stray index (a texture the map never loaded) binds nothing rather than reading past
        // the list.
        if (cell.Texture >= 0 && static_cast<size_t>(cell.Texture) < g_floor.FloorTextures.size() &&
            g_floor.FloorTextures[static_cast<size_t>(cell.Texture)] != nullptr)
          glBindTexture(GL_TEXTURE_2D, g_floor.FloorTextures[static_cast<size_t>(cell.Texture)]->ID);
        bound = cell.Texture;
        ++g_floor.LastDrawBinds;
      }
      if (outside) {
        ++DrawCounts().Culled;
        skippedLast = &cell;
        continue;
      }
      skippedLast = nullptr;
      ++DrawCounts().Drawn;
      if (cell.Mesh != nullptr)
        MeshDraw(cell.Mesh, 0.0f);
      else
        DrawPlane(1.0f, 1.0f);
    }
  }
  // What comes after sees the matrix and current attributes of the last cell, drawn or not.
  if (skippedLast != nullptr) {
    eng::CameraLoadMatrix(camera);
    glMultMatrixf(skippedLast->Matrix.data());
    if (skippedLast->Mesh != nullptr) {
      MeshLeaveCurrent(skippedLast->Mesh, 0.0f);
    } else {
      glNormal3f(0.0f, 0.0f, 1.0f);
      glTexCoord2f(0.0f, 1.0f);
    }
  }
  glDisable(GL_CULL_FACE);
}

void DrawPlane(float halfX, float halfZ) {
  glBegin(GL_QUADS);
  glNormal3f(0.0f, 0.0f, 1.0f);
  glTexCoord2f(0.0f, 0.0f);
  glVertex3f(-halfX, 0.0f, -halfZ);
  glTexCoord2f(1.0f, 0.0f);
  glVertex3f(-halfX, 0.0f, halfZ);
  glTexCoord2f(1.0f, 1.0f);
  glVertex3f(halfX, 0.0f, halfZ);
  glTexCoord2f(0.0f, 1.0f);
  glVertex3f(halfX, 0.0f, -halfZ);
  glEnd();
}

void DrawLine3D(float x1, float y1, float z1, float x2, float y2, float z2) {
  glBegin(GL_LINES);
  glVertex3f(x1, y1, z1);
  glVertex3f(x2, y2, z2);
  glEnd();
}

void FloorReset() {
  // NOTE: field by field, so that the grid keeps its allocation and only the cells ever handed
  // out are cleared: a fresh 100 x 100 grid costs more than most maps loaded after the reset. A
  // new field of TFloorState is reset here too.
  for (int32_t x = 0; x < g_floor.ReachedX; ++x)
    for (int32_t y = 0; y < g_floor.ReachedY; ++y)
      g_floor.FloorGrid[static_cast<size_t>(x) * FloorGridSize + static_cast<size_t>(y)] = TFloor{};
  g_floor.FloorKinds.clear();
  g_floor.FloorTextures.clear();
  g_floor.FloorTextureNames.clear();
  g_floor.LastDrawBinds = 0;
  g_floor.ReachedX = 0;
  g_floor.ReachedY = 0;
}

}  // namespace game
