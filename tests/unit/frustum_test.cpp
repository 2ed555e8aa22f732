// Which boxes a view excludes: only those wholly outside one of its six planes by more than the
// margin, under the model matrix's placement, scale and turn; never under a matrix or a projection
// that cannot be trusted.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/math3d.h"

namespace {

constexpr float kLo[3] = {-0.5f, -0.5f, -0.5f};
constexpr float kHi[3] = {0.5f, 0.5f, 0.5f};

eng::TMatrix4 At(float x, float y, float z, float scale = 1.0f) {
  eng::TMatrix4 m = eng::MatrixIdentity();
  m[0] = m[5] = m[10] = scale;
  m[12] = x;
  m[13] = y;
  m[14] = z;
  return m;
}

// The eye at the origin looking down -Z, 90 degrees, square: the side planes are x = +-z, y = +-z.
eng::TFrustum Straight() { return eng::FrustumFromPerspective(90.0, 1.0, 1.0, 100.0, eng::MatrixIdentity()); }

TEST(Frustum, BoxesInsideStraddlingAndOutsideEachPlane) {
  const eng::TFrustum view = Straight();
  ASSERT_TRUE(view.Valid);
  EXPECT_FALSE(eng::FrustumExcludesBox(view, At(0, 0, -10), kLo, kHi, 0.0)) << "in the middle";
  EXPECT_TRUE(eng::FrustumExcludesBox(view, At(0, 0, 10), kLo, kHi, 0.0)) << "behind the eye";
  EXPECT_TRUE(eng::FrustumExcludesBox(view, At(0, 0, -0.2f), kLo, kHi, 0.0)) << "before the near plane";
  EXPECT_FALSE(eng::FrustumExcludesBox(view, At(0, 0, -1.2f), kLo, kHi, 0.0)) << "across the near plane";
  EXPECT_TRUE(eng::FrustumExcludesBox(view, At(0, 0, -101), kLo, kHi, 0.0)) << "beyond the far plane";
  EXPECT_FALSE(eng::FrustumExcludesBox(view, At(0, 0, -100.4f), kLo, kHi, 0.0)) << "across the far plane";
  // At 10 units the view is 10 units wide each way.
  for (float sx : {-1.0f, 1.0f}) {
    EXPECT_TRUE(eng::FrustumExcludesBox(view, At(12 * sx, 0, -10), kLo, kHi, 0.0)) << sx;
    EXPECT_TRUE(eng::FrustumExcludesBox(view, At(0, 12 * sx, -10), kLo, kHi, 0.0)) << sx;
    EXPECT_FALSE(eng::FrustumExcludesBox(view, At(10.4f * sx, 0, -10), kLo, kHi, 0.0)) << sx;
    EXPECT_FALSE(eng::FrustumExcludesBox(view, At(0, 10.4f * sx, -10), kLo, kHi, 0.0)) << sx;
  }
  // Beside the view but across two planes' corner: outside the right plane alone is enough.
  EXPECT_TRUE(eng::FrustumExcludesBox(view, At(30, 30, -10), kLo, kHi, 0.0));
}

TEST(Frustum, MarginIsWorldDistanceFromThePlane) {
  const eng::TFrustum view = Straight();
  // The box's corner nearest the view, (x - 0.5, z - 0.5), lies 0.005 units outside the right
  // plane (x = -z).
  const float x = 11.0f + 0.005f * std::sqrt(2.0f);
  EXPECT_TRUE(eng::FrustumExcludesBox(view, At(x, 0, -10), kLo, kHi, 0.001));
  EXPECT_FALSE(eng::FrustumExcludesBox(view, At(x, 0, -10), kLo, kHi, 0.01));
}

TEST(Frustum, ModelScaleTurnAndViewAreHonoured) {
  const eng::TFrustum view = Straight();
  EXPECT_TRUE(eng::FrustumExcludesBox(view, At(12, 0, -10), kLo, kHi, 0.0));
  EXPECT_FALSE(eng::FrustumExcludesBox(view, At(12, 0, -10, 5.0f), kLo, kHi, 0.0)) << "scaled into the view";
  // A rod 20 units long along its own X, its middle right of the view: along X it reaches into
  // the view; turned a quarter about Z it stands upright and stays outside.
  const float rodLo[3] = {-10.0f, -0.1f, -0.1f}, rodHi[3] = {10.0f, 0.1f, 0.1f};
  eng::TMatrix4 along = At(12, 0, -10);
  EXPECT_FALSE(eng::FrustumExcludesBox(view, along, rodLo, rodHi, 0.0));
  eng::TMatrix4 upright = along;
  upright[0] = 0.0f;
  upright[1] = 1.0f;
  upright[4] = -1.0f;
  upright[5] = 0.0f;
  EXPECT_TRUE(eng::FrustumExcludesBox(view, upright, rodLo, rodHi, 0.0));
  // The same test through a view matrix: the eye at (0, 0, 10) looking at the origin.
  eng::TCamera3D camera;
  camera.Position = {0.0f, 0.0f, 10.0f};
  eng::CameraLookAt(camera, {0.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f});
  const eng::TFrustum moved = eng::FrustumFromPerspective(90.0, 1.0, 1.0, 100.0, camera.Matrix);
  EXPECT_FALSE(eng::FrustumExcludesBox(moved, At(0, 0, 0), kLo, kHi, 0.0));
  EXPECT_TRUE(eng::FrustumExcludesBox(moved, At(0, 0, 20), kLo, kHi, 0.0));
  EXPECT_TRUE(eng::FrustumExcludesBox(moved, At(22, 0, 0), kLo, kHi, 0.0));
}

TEST(Frustum, NothingIsExcludedWhenAnythingCannotBeTrusted) {
  const eng::TFrustum view = Straight();
  eng::TMatrix4 projective = At(0, 0, 10);
  projective[3] = 0.5f;
  EXPECT_FALSE(eng::FrustumExcludesBox(view, projective, kLo, kHi, 0.0));
  eng::TMatrix4 zero{};  // an empty floor cell
  EXPECT_FALSE(eng::FrustumExcludesBox(view, zero, kLo, kHi, 0.0));
  const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
  EXPECT_FALSE(eng::FrustumExcludesBox(view, At(nan, 0, 10), kLo, kHi, 0.0));
  EXPECT_FALSE(eng::FrustumExcludesBox(view, At(0, 0, 10, inf), kLo, kHi, 0.0));
  const float nanLo[3] = {nan, 0.0f, 0.0f};
  EXPECT_FALSE(eng::FrustumExcludesBox(view, At(0, 0, 10), nanLo, kHi, 0.0));
  // Projections that cannot be built give a frustum that excludes nothing.
  for (const eng::TFrustum& bad : {eng::FrustumFromPerspective(0.0, 1.0, 1.0, 100.0, eng::MatrixIdentity()),
                                   eng::FrustumFromPerspective(180.0, 1.0, 1.0, 100.0, eng::MatrixIdentity()),
                                   eng::FrustumFromPerspective(90.0, 0.0, 1.0, 100.0, eng::MatrixIdentity()),
                                   eng::FrustumFromPerspective(90.0, 1.0, 0.0, 100.0, eng::MatrixIdentity()),
                                   eng::FrustumFromPerspective(90.0, 1.0, 5.0, 5.0, eng::MatrixIdentity()),
                                   eng::TFrustum{}}) {
    EXPECT_FALSE(bad.Valid);
    EXPECT_FALSE(eng::FrustumExcludesBox(bad, At(0, 0, 10), kLo, kHi, 0.0));
  }
}

}  // namespace
