// What the 3D actors (walls, creatures, bullets) share: the model matrix that places a model on
// the ground, the fraction of a tick that drawing interpolates by, and picking a model under the
// cursor ray.
#pragma once

#include <cstdint>

#include "engine/math3d.h"

namespace game {

struct TGmMesh;

// T(x, 0, z) x Rz(rotateZ) x Ry(-(angleDegrees x pi / 180) - rotateY) x Rx(rotateX) x S(scale),
// for column vectors; the fixed rotations are in radians, the facing in degrees.
eng::TMatrix4 ActorMatrix(float x, float z, float angleDegrees, float rotateX, float rotateY,
                          float rotateZ, float scale);

// The facing in degrees of the step (dx, dy) between two tiles: 0 toward +X, 90 toward +Y, in
// 0..360; dx = dy = 0 gives 270.
float FacingAngle(int32_t dx, int32_t dy);

// The part of one tick's motion or animation step that drawing adds to the last tick's state:
// FramesThisTick / FramesPerTick, or 0 before any tick has been timed.
float DrawFraction();

// Whether the line from `eye` through `farPoint` meets key frame `frame` (clamped to the last) of
// the mesh placed by `matrix`: only when it meets the frame's bounding box so placed are the
// triangles tested. On a hit nearer than *distance, *distance becomes the nearest hit's distance
// from the eye and the result is true. Empty meshes and singular matrices never hit.
bool MeshRayHit(const TGmMesh& mesh, uint32_t frame, const eng::TMatrix4& matrix, eng::TVec3 eye,
                eng::TVec3 farPoint, float* distance);

// Picking of one actor: when the cursor ray (the camera position through CursorWorldPoint) meets
// the model at frame Trunc(frame) nearer than PickDistance, (tileX, tileY) becomes the cursor tile
// and PickDistance that distance. Returns whether it did; a null mesh never does.
bool PickActorModel(const TGmMesh* mesh, float frame, const eng::TMatrix4& matrix, int32_t tileX,
                    int32_t tileY);

}  // namespace game
