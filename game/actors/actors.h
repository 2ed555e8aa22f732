// What the 3D actors (walls, creatures, bullets) share: the model matrix that places a model on
// the ground, the facing from one tile toward another, the fraction of a tick that drawing
// interpolates by, and picking a model under the cursor ray.
#pragma once

#include <cstdint>

#include "engine/math3d.h"

namespace game {

struct TGmMesh;
class TDefRead;

// T(x, 0, z) x Rz(rotateZ) x Ry(-(angleDegrees x pi / 180) - rotateY) x Rx(rotateX) x S(scale),
// for column vectors; the fixed rotations are in radians, the facing in degrees.
eng::TMatrix4 ActorMatrix(float x, float z, float angleDegrees, float rotateX, float rotateY,
                          float rotateZ, float scale);

// The after-reading steps of a kind with one mesh (walls, bullets): the kind's FLATNORMALS reaches
// the mesh, and FLIPNORMALS, when its last line is true, flips it. The mesh is the kind's, so both
// hold for every object of the kind; no mesh, nothing to do.
void ApplyKindMeshSteps(TGmMesh* mesh, bool flatNormals, const TDefRead& read);

// The facing from tile (fromX, fromY) toward (toX, toY) in degrees, 0 to 360: 0 toward +X, 90
// toward +Y; straight up the Y axis (and no offset at all) gives 270. Creatures, bullets and
// scripts all turn by this one rule.
float FacingAngle(int32_t fromX, int32_t fromY, int32_t toX, int32_t toY);

// The part of one tick's motion or animation step that drawing adds to the last tick's state:
// FramesThisTick / FramesPerTick, or 0 before any tick has been timed and while the game is frozen.
float DrawFraction();

// Whether the line from `eye` through `farPoint` meets key frame `frame` (clamped to the last) of
// the mesh placed by `matrix`: only when it meets the frame's bounding box so placed are the
// triangles tested. On a hit nearer than *distance, *distance becomes the nearest hit's distance
// from the eye and the result is true. Empty meshes and singular matrices never hit. The nearest
// hits of the last few meshes tested are kept, by everything they depend on, and not tested again.
bool MeshRayHit(const TGmMesh& mesh, uint32_t frame, const eng::TMatrix4& matrix, eng::TVec3 eye,
                eng::TVec3 farPoint, float* distance);

// Picking of one actor: when the cursor ray (the camera position through CursorWorldPoint) meets
// the model at frame Trunc(frame) nearer than PickDistance, (tileX, tileY) becomes the cursor tile
// and PickDistance that distance. Returns whether it did; a null mesh never does.
bool PickActorModel(const TGmMesh* mesh, float frame, const eng::TMatrix4& matrix, int32_t tileX,
                    int32_t tileY);

}  // namespace game
