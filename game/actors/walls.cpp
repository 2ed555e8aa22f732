// Wall kinds, walls, their animation, picking and drawing.
#include "game/actors/walls.h"

#include <GL/gl.h>

#include <numbers>

#include "game/actors/actors.h"
#include "game/core/camera.h"
#include "game/models/mesh.h"
#include "game/world/assets.h"
#include "game/world/defs.h"
#include "game/world/registry.h"

namespace game {

namespace {

constexpr int kIdCount = 65536;

TWallLists g_walls;

const TDefFormat<TWall>& WallFormat() {
  static const TDefFormat<TWall> format = [] {
    // Walls turn their degrees into radians with pi to full precision.
    constexpr double pi = std::numbers::pi;
    TDefFormat<TWall> f;
    f.Defaults = [](TWall& w) {
      w.Scale = 1.0f;
      w.AnimSpeed = 0.3f;
      w.DiagonalTouch = true;
    };
    f.Tags.push_back({"[TOUCHSCRIPT]", "[/TOUCHSCRIPT]",
                      [](TWall& w, std::string_view text) { w.TouchScript += text; },
                      [](TWall& w, const std::string& file, int32_t line) {
                        MarkScriptLine(w.TouchScriptLines, w.TouchScript, file, line);
                      }});
    f.Keys = {
        DefField("NAME", &TWall::Name),
        {"TEXTURE",
         [](TWall& w, const TDefLine& line) {
           w.Texture = LoadKindTexture(line, "Data/Textures/", eng::WorldTextureFlags, w.Texture);
         }},
        {"MODEL", [](TWall& w, const TDefLine& line) { w.Model = LoadKindModel(line, w.Model); }},
        DefField("SCALEMODEL", &TWall::Scale),
        DefDegrees("ROTATEX", &TWall::RotateX, pi),
        DefDegrees("ROTATEY", &TWall::RotateY, pi),
        DefDegrees("ROTATEZ", &TWall::RotateZ, pi),
        DefField("FLATNORMALS", &TWall::FlatNormals),
        // Read after the file, where its last line counts; listed so that it is a known key.
        {"FLIPNORMALS", [](TWall&, const TDefLine&) {}},
        DefField("ANIMATED", &TWall::Animated),
        DefField("ANIMSPEED", &TWall::AnimSpeed),
        DefField("ANIMTYPE", &TWall::AnimType),
        DefField("TOUCHTILEX", &TWall::TouchTileX),
        DefField("TOUCHTILEY", &TWall::TouchTileY),
        DefField("DIAGONALTOUCH", &TWall::DiagonalTouch),
        DefField("GHOST", &TWall::Ghost),
    };
    f.AfterKeys = {"FLIPNORMALS"};
    f.AfterReading = [](TWall& w, const TDefRead& read) {
      ApplyKindMeshSteps(w.Model, w.FlatNormals, read);
      w.RotateY = static_cast<float>(static_cast<double>(w.RotateY) + std::numbers::pi / 2.0);
      // A play-once animation must not blend its last frame toward the first.
      if (w.AnimType == 1 && w.Model != nullptr) w.Model->Looped = false;
    };
    return f;
  }();
  return format;
}

bool InsideMap(int32_t x, int32_t y) {
  return x >= 0 && y >= 0 && x <= Registry().MapWidth && y <= Registry().MapHeight;
}

// The smallest ID from 1 up that no wall carries; 0 when every one is taken.
uint16_t FreeWallId() {
  std::vector<bool> used(kIdCount, false);
  for (const TWall& w : g_walls.Walls) used[w.ID] = true;
  for (int id = 1; id < kIdCount; ++id)
    if (!used[static_cast<size_t>(id)]) return static_cast<uint16_t>(id);
  return 0;
}

}  // namespace

TWallLists& WallLists() { return g_walls; }

void LoadWallKind(const std::string& fileName) {
  LoadDefinitionKind(fileName, WallFormat(), g_walls.WallKinds);
}

void TurnTouchOffset(float angle, int32_t* touchX, int32_t* touchY) {
  int32_t tx = *touchX, ty = *touchY;
  if (angle > 45.0f && angle <= 135.0f) {
    *touchX = -ty;
    *touchY = tx;
  } else if (angle > 135.0f && angle <= 225.0f) {
    *touchX = -tx;
    *touchY = -ty;
  } else if (angle > 225.0f) {
    *touchX = ty;
    *touchY = -tx;
  }
}

uint16_t CreateWall(const std::string& kindName, int32_t x, int32_t y, float angle, uint16_t id) {
  if (!InsideMap(x, y)) return 0;
  for (const TWall& w : g_walls.Walls)
    if (w.X == x && w.Y == y) return 0;
  int32_t kind = FindKind(g_walls.WallKinds, kindName);
  if (kind < 0) return 0;
  if (id == 0) id = FreeWallId();
  if (id == 0) return 0;

  TWall wall = g_walls.WallKinds[static_cast<size_t>(kind)];
  wall.ID = id;
  wall.X = x;
  wall.Y = y;
  wall.Angle = angle;
  if (wall.TouchTileX != 0 || wall.TouchTileY != 0) TurnTouchOffset(angle, &wall.TouchTileX, &wall.TouchTileY);
  wall.Matrix = ActorMatrix(2.0f * static_cast<float>(x), 2.0f * static_cast<float>(y), angle, wall.RotateX,
                            wall.RotateY, wall.RotateZ, wall.Scale);
  g_walls.Walls.push_back(std::move(wall));
  return id;
}

int32_t FindWall(uint16_t id) {
  for (size_t i = 0; i < g_walls.Walls.size(); ++i)
    if (g_walls.Walls[i].ID == id) return static_cast<int32_t>(i);
  return -1;
}

void UpdateWalls() {
  for (TWall& w : g_walls.Walls) {
    if (w.Model == nullptr) continue;
    float frames = static_cast<float>(w.Model->FrameCount);
    if (w.Animated) {
      if (w.Model->FrameCount > 1) w.Frame += w.AnimSpeed;
      if (w.AnimType == 1 && w.Frame >= frames - 1.0f) {
        w.Frame = frames - 1.0f;
        w.Animated = false;
      }
    }
    // Looping walls wrap only past the frame count, so the last key frame blends toward the first.
    if (w.Frame > frames) w.Frame = 0.0f;
    if (!w.Ghost) PickActorModel(w.Model, w.Frame, w.Matrix, w.X, w.Y);
  }
}

void DrawWalls() {
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_CULL_FACE);
  float f = DrawFraction();
  const eng::TCamera3D& camera = GmCamera().Camera;
  const eng::TFrustum view = DrawFrustum(camera.Matrix);
  const TWall* skippedLast = nullptr;
  float skippedFrame = 0.0f;
  for (const TWall& w : g_walls.Walls) {
    if (w.Model == nullptr) continue;
    float frame = w.Animated ? w.Frame + f * w.AnimSpeed : w.Frame;
    if (MeshOutsideView(view, w.Model, frame, w.Matrix)) {
      ++DrawCounts().Culled;
      skippedLast = &w;
      skippedFrame = frame;
      continue;
    }
    skippedLast = nullptr;
    ++DrawCounts().Drawn;
    eng::CameraLoadMatrix(camera);
    glMultMatrixf(w.Matrix.data());
    glBindTexture(GL_TEXTURE_2D, w.Texture != nullptr ? w.Texture->ID : 0);
    MeshDraw(w.Model, frame);
  }
  // What comes after sees the matrix, texture and current normal of the last wall, drawn or not.
  if (skippedLast != nullptr)
    MeshLeavePlaced(camera, skippedLast->Matrix, skippedLast->Texture != nullptr ? skippedLast->Texture->ID : 0,
                    skippedLast->Model, skippedFrame);
  glDisable(GL_CULL_FACE);
}

void WallsReset() { g_walls = TWallLists{}; }

}  // namespace game
