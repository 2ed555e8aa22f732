// The game's camera: an eye orbiting a point on the ground, moved by mouse drags and the wheel
// through velocities that decay per drawn frame; and picking, the tile under the cursor from the
// cursor ray and the floor.
#pragma once

#include "engine/math3d.h"

namespace game {

struct TGmCamera {
  eng::TCamera3D Camera;        // the eye and the view matrix
  float GroundTargetX = 0.0f;   // the point (X, 0, Z) looked at and orbited
  float GroundTargetZ = 0.0f;
  float PanVelX = 0.0f;         // from middle-button drags
  float PanVelY = 0.0f;
  float TurnVelX = 0.0f;        // from right-button drags
  float TurnVelY = 0.0f;
  float ZoomVel = 0.0f;         // world units per step
  bool ZoomIn = false;          // true: toward the target
};

TGmCamera& GmCamera();

// Distance, yaw (radians, from +X toward +Z) and pitch (from the vertical) of the eye around the
// ground target.
struct TOrbit {
  float Dist = 0.0f;
  float Yaw = 0.0f;
  float Pitch = 0.0f;
};
TOrbit CameraOrbit();

// The load-time placement: eye (40, 30, 40), ground target (20, 20), looking at (20, 0, 20).
void CameraStart();
// Moves the ground target across the screen plane, kept within 0..2W and 0..2H.
void CameraPan(float x, float y);
// Turns around the target; pitch stays within 0.4..1.0 rad, yaw is free.
void CameraTurn(float x, float y);
// Moves toward (zoomIn) or away from the target; distance stays within 18..50, and reaching a
// limit kills the zoom speed.
void CameraZoom(bool zoomIn, float speed);
// Once per tick: turns the mouse motion of one held button, or the wheel, into velocity.
void CameraMouseControl();
// Once per drawn frame: decays the velocities and applies them (five steps when ShownFPS < 100).
void CameraInertiaStep();

// The far-plane world point under the cursor (window pixels, y from the top), from the current
// GL matrices and viewport; also stored as Core().CursorWorldPoint.
eng::TVec3 UnprojectCursor(int x, int y);
// The far-plane world point under window pixel (x, y) (y from the top) of a width x height window,
// with the game's 3D projection and the camera's view: UnprojectCursor without GL, for the tools.
eng::TVec3 UnprojectWindowPixel(int x, int y, int width, int height);
// The tile under the cursor ray from `eye` through Core().CursorWorldPoint: sets PickPoint,
// PickDistance, CursorTileX and CursorTileY (10000 and 10000.0 when the floor is missed).
void PickFloorTile(eng::TVec3 eye);
// The line through s and t (the whole line) against the triangle; true with the hit point only
// strictly inside it.
bool RayTriangleHit(eng::TVec3 s, eng::TVec3 t, eng::TVec3 p1, eng::TVec3 p2, eng::TVec3 p3,
                    eng::TVec3* hit);

// Back to the state at process start (tests).
void CameraReset();

}  // namespace game
