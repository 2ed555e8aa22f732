// Vectors, matrices and the look-at camera.
#include "engine/math3d.h"

#include <GL/gl.h>

#include <cmath>

namespace eng {

float Length(TVec3 a) { return std::sqrt(Dot(a, a)); }

TVec3 Normalise(TVec3 a) {
  float len = Length(a);
  return len > 0.0f ? a * (1.0f / len) : a;
}

TMatrix4 MatrixIdentity() {
  TMatrix4 m{};
  m[0] = m[5] = m[10] = m[15] = 1.0f;
  return m;
}

TMatrix4 MatrixMultiply(const TMatrix4& a, const TMatrix4& b) {
  TMatrix4 out{};
  for (int c = 0; c < 4; ++c)
    for (int r = 0; r < 4; ++r) {
      float sum = 0.0f;
      for (int k = 0; k < 4; ++k) sum += a[k * 4 + r] * b[c * 4 + k];
      out[c * 4 + r] = sum;
    }
  return out;
}

bool MatrixInverse(const TMatrix4& m, TMatrix4* out) {
  // Cofactor expansion in double precision; the layout of the formulas does not depend on the
  // storage order, because the inverse of the transpose is the transpose of the inverse.
  double a[16];
  for (int i = 0; i < 16; ++i) a[i] = m[i];
  double inv[16];
  inv[0] = a[5] * a[10] * a[15] - a[5] * a[11] * a[14] - a[9] * a[6] * a[15] +
           a[9] * a[7] * a[14] + a[13] * a[6] * a[11] - a[13] * a[7] * a[10];
  inv[4] = -a[4] * a[10] * a[15] + a[4] * a[11] * a[14] + a[8] * a[6] * a[15] -
           a[8] * a[7] * a[14] - a[12] * a[6] * a[11] + a[12] * a[7] * a[10];
  inv[8] = a[4] * a[9] * a[15] - a[4] * a[11] * a[13] - a[8] * a[5] * a[15] +
           a[8] * a[7] * a[13] + a[12] * a[5] * a[11] - a[12] * a[7] * a[9];
  inv[12] = -a[4] * a[9] * a[14] + a[4] * a[10] * a[13] + a[8] * a[5] * a[14] -
            a[8] * a[6] * a[13] - a[12] * a[5] * a[10] + a[12] * a[6] * a[9];
  inv[1] = -a[1] * a[10] * a[15] + a[1] * a[11] * a[14] + a[9] * a[2] * a[15] -
           a[9] * a[3] * a[14] - a[13] * a[2] * a[11] + a[13] * a[3] * a[10];
  inv[5] = a[0] * a[10] * a[15] - a[0] * a[11] * a[14] - a[8] * a[2] * a[15] +
           a[8] * a[3] * a[14] + a[12] * a[2] * a[11] - a[12] * a[3] * a[10];
  inv[9] = -a[0] * a[9] * a[15] + a[0] * a[11] * a[13] + a[8] * a[1] * a[15] -
           a[8] * a[3] * a[13] - a[12] * a[1] * a[11] + a[12] * a[3] * a[9];
  inv[13] = a[0] * a[9] * a[14] - a[0] * a[10] * a[13] - a[8] * a[1] * a[14] +
            a[8] * a[2] * a[13] + a[12] * a[1] * a[10] - a[12] * a[2] * a[9];
  inv[2] = a[1] * a[6] * a[15] - a[1] * a[7] * a[14] - a[5] * a[2] * a[15] +
           a[5] * a[3] * a[14] + a[13] * a[2] * a[7] - a[13] * a[3] * a[6];
  inv[6] = -a[0] * a[6] * a[15] + a[0] * a[7] * a[14] + a[4] * a[2] * a[15] -
           a[4] * a[3] * a[14] - a[12] * a[2] * a[7] + a[12] * a[3] * a[6];
  inv[10] = a[0] * a[5] * a[15] - a[0] * a[7] * a[13] - a[4] * a[1] * a[15] +
            a[4] * a[3] * a[13] + a[12] * a[1] * a[7] - a[12] * a[3] * a[5];
  inv[14] = -a[0] * a[5] * a[14] + a[0] * a[6] * a[13] + a[4] * a[1] * a[14] -
            a[4] * a[2] * a[13] - a[12] * a[1] * a[6] + a[12] * a[2] * a[5];
  inv[3] = -a[1] * a[6] * a[11] + a[1] * a[7] * a[10] + a[5] * a[2] * a[11] -
           a[5] * a[3] * a[10] - a[9] * a[2] * a[7] + a[9] * a[3] * a[6];
  inv[7] = a[0] * a[6] * a[11] - a[0] * a[7] * a[10] - a[4] * a[2] * a[11] +
           a[4] * a[3] * a[10] + a[8] * a[2] * a[7] - a[8] * a[3] * a[6];
  inv[11] = -a[0] * a[5] * a[11] + a[0] * a[7] * a[9] + a[4] * a[1] * a[11] -
            a[4] * a[3] * a[9] - a[8] * a[1] * a[7] + a[8] * a[3] * a[5];
  inv[15] = a[0] * a[5] * a[10] - a[0] * a[6] * a[9] - a[4] * a[1] * a[10] +
            a[4] * a[2] * a[9] + a[8] * a[1] * a[6] - a[8] * a[2] * a[5];
  double det = a[0] * inv[0] + a[1] * inv[4] + a[2] * inv[8] + a[3] * inv[12];
  if (det == 0.0 || !std::isfinite(det)) return false;
  for (int i = 0; i < 16; ++i) (*out)[i] = static_cast<float>(inv[i] / det);
  return true;
}

void CameraLookAt(TCamera3D& camera, TVec3 center, TVec3 up) {
  TVec3 z = Normalise(camera.Position - center);
  TVec3 x = Normalise(Cross(up, z));
  TVec3 y = Normalise(Cross(z, x));
  TMatrix4 cameraToWorld = {x.X, x.Y, x.Z, 0.0f, y.X, y.Y, y.Z, 0.0f,
                            z.X, z.Y, z.Z, 0.0f, camera.Position.X, camera.Position.Y,
                            camera.Position.Z, 1.0f};
  TMatrix4 view;
  if (MatrixInverse(cameraToWorld, &view)) camera.Matrix = view;
}

TFrustum FrustumFromPerspective(double fovY, double aspect, double zNear, double zFar, const TMatrix4& view) {
  TFrustum frustum;
  const double halfAngle = fovY * 3.14159265358979323846 / 360.0;
  if (!(aspect > 0.0) || !(zNear > 0.0) || !(zFar > zNear) || !(halfAngle > 0.0) || !(halfAngle < 1.5707963) ||
      !std::isfinite(aspect) || !std::isfinite(zFar))
    return frustum;
  // The projection's rows; clip = P x view x point.
  const double f = 1.0 / std::tan(halfAngle);
  const double p[4][4] = {{f / aspect, 0.0, 0.0, 0.0},
                          {0.0, f, 0.0, 0.0},
                          {0.0, 0.0, (zFar + zNear) / (zNear - zFar), 2.0 * zFar * zNear / (zNear - zFar)},
                          {0.0, 0.0, -1.0, 0.0}};
  double clip[4][4];
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) {
      double sum = 0.0;
      for (int k = 0; k < 4; ++k) sum += p[r][k] * static_cast<double>(view[static_cast<size_t>(c * 4 + k)]);
      clip[r][c] = sum;
    }
  // Inside means -w <= x, y, z <= w: each plane is the w row plus or minus another row.
  for (int axis = 0; axis < 3; ++axis)
    for (int side = 0; side < 2; ++side) {
      double* plane = frustum.Planes[axis * 2 + side];
      const double sign = side == 0 ? 1.0 : -1.0;
      for (int c = 0; c < 4; ++c) plane[c] = clip[3][c] + sign * clip[axis][c];
      const double length = std::sqrt(plane[0] * plane[0] + plane[1] * plane[1] + plane[2] * plane[2]);
      if (!(length > 0.0) || !std::isfinite(length)) return TFrustum{};
      for (int c = 0; c < 4; ++c) plane[c] /= length;
    }
  frustum.Valid = true;
  return frustum;
}

bool FrustumExcludesBox(const TFrustum& frustum, const TMatrix4& model, const float lo[3], const float hi[3],
                        double margin) {
  if (!frustum.Valid) return false;
  if (model[3] != 0.0f || model[7] != 0.0f || model[11] != 0.0f || model[15] != 1.0f) return false;
  // The box's centre and half sizes in the world (the world box around the placed object box).
  double centre[3], half[3];
  for (int r = 0; r < 3; ++r) {
    double c = static_cast<double>(model[static_cast<size_t>(12 + r)]), h = 0.0;
    for (int k = 0; k < 3; ++k) {
      const double m = static_cast<double>(model[static_cast<size_t>(k * 4 + r)]);
      const double mid = (static_cast<double>(lo[k]) + static_cast<double>(hi[k])) * 0.5;
      const double size = (static_cast<double>(hi[k]) - static_cast<double>(lo[k])) * 0.5;
      c += m * mid;
      h += std::fabs(m) * std::fabs(size);
    }
    centre[r] = c;
    half[r] = h;
  }
  for (const double* plane : frustum.Planes) {
    const double distance = plane[0] * centre[0] + plane[1] * centre[1] + plane[2] * centre[2] + plane[3];
    const double reach = std::fabs(plane[0]) * half[0] + std::fabs(plane[1]) * half[1] + std::fabs(plane[2]) * half[2];
    const double nearest = distance + reach;
    if (!std::isfinite(nearest)) return false;
    if (nearest < -margin) return true;
  }
  return false;
}

void CameraLoadMatrix(const TCamera3D& camera) { glLoadMatrixf(camera.Matrix.data()); }

}  // namespace eng
