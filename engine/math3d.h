// 3D math for the camera and picking: small vectors, 4 x 4 matrices in OpenGL's column-major
// order with a general inverse, and the camera record with its look-at view matrix.
#pragma once

#include <array>

namespace eng {

struct TVec3 {
  float X = 0.0f;
  float Y = 0.0f;
  float Z = 0.0f;
};

// Inline: picking runs these for every triangle a cursor ray comes near, every tick.
inline TVec3 operator+(TVec3 a, TVec3 b) { return {a.X + b.X, a.Y + b.Y, a.Z + b.Z}; }
inline TVec3 operator-(TVec3 a, TVec3 b) { return {a.X - b.X, a.Y - b.Y, a.Z - b.Z}; }
inline TVec3 operator*(TVec3 a, float s) { return {a.X * s, a.Y * s, a.Z * s}; }
inline float Dot(TVec3 a, TVec3 b) { return a.X * b.X + a.Y * b.Y + a.Z * b.Z; }
inline TVec3 Cross(TVec3 a, TVec3 b) {
  return {a.Y * b.Z - a.Z * b.Y, a.Z * b.X - a.X * b.Z, a.X * b.Y - a.Y * b.X};
}
float Length(TVec3 a);
// The vector scaled to length 1; the zero vector stays zero.
TVec3 Normalise(TVec3 a);

// Column-major: element (row r, column c) is M[c * 4 + r], as glLoadMatrixf takes it.
using TMatrix4 = std::array<float, 16>;

TMatrix4 MatrixIdentity();
// a x b (b applied first).
TMatrix4 MatrixMultiply(const TMatrix4& a, const TMatrix4& b);
// The general inverse by cofactors; false (out untouched) when the matrix is singular.
bool MatrixInverse(const TMatrix4& m, TMatrix4* out);
// The point transformed by the matrix (w = 1, no division).
inline TVec3 MatrixTransformPoint(const TMatrix4& m, TVec3 p) {
  return {m[0] * p.X + m[4] * p.Y + m[8] * p.Z + m[12], m[1] * p.X + m[5] * p.Y + m[9] * p.Z + m[13],
          m[2] * p.X + m[6] * p.Y + m[10] * p.Z + m[14]};
}

// The six clip planes of a view (left, right, bottom, top, near, far) in world space, each scaled so
// that a point's signed distance is in world units, positive on the inside. Invalid: nothing is
// known of the view, and no box is ever outside it.
struct TFrustum {
  double Planes[6][4] = {};
  bool Valid = false;
};

// The frustum of a perspective projection as gluPerspective builds it (vertical field of view in
// degrees, width / height, clip distances) applied after the view matrix. Invalid for a
// projection that cannot be built (zero or negative sizes, near not below far, non-finite values).
TFrustum FrustumFromPerspective(double fovY, double aspect, double zNear, double zFar, const TMatrix4& view);
// True only when the box (object space, lo..hi per axis), placed by the model matrix, lies wholly
// outside one plane by more than `margin` world units, so that nothing drawn inside the box can
// reach a pixel. Conservative: false for an invalid frustum, a model matrix that is not affine
// (bottom row other than 0 0 0 1) or any non-finite value.
bool FrustumExcludesBox(const TFrustum& frustum, const TMatrix4& model, const float lo[3], const float hi[3],
                        double margin);

// The camera record: the eye and the view matrix.
struct TCamera3D {
  TVec3 Position;
  TMatrix4 Matrix = MatrixIdentity();
};

// Builds the camera-to-world matrix from the eye, the centre looked at and the up vector, and
// stores its inverse as the view matrix (the standard look-at). A degenerate view (eye on the
// centre, up along the view) leaves the matrix as it was.
void CameraLookAt(TCamera3D& camera, TVec3 center, TVec3 up);
// glLoadMatrixf of the view matrix onto the current matrix stack.
void CameraLoadMatrix(const TCamera3D& camera);

}  // namespace eng
