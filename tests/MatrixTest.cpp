#include <gtest/gtest.h>

#include "math/Matrix4.h"
#include "math/Vec3.h"

namespace {

void ExpectRows(const Matrix4& m, const float (&rows)[16]) {
  for (int k = 0; k < 16; ++k) EXPECT_EQ(m.m[k], rows[k]) << "element m" << k;
}

void ExpectPoint(const Vec3& p, float x, float y, float z) {
  EXPECT_EQ(p.x, x);
  EXPECT_EQ(p.y, y);
  EXPECT_EQ(p.z, z);
}

Vec3 Transformed(Vec3 p, const Matrix4& m) {
  p.Transform(m);
  return p;
}

const float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// The scaling by 2 and the translation by (1, 0, 0).
const Matrix4 kScale(2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1);
const Matrix4 kMoveX(1, 0, 0, 1, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);

}  // namespace

TEST(Matrix4, DefaultIsTheIdentityAndLeavesPointsAlone) {
  const Matrix4 identity;
  ExpectRows(identity, kIdentity);
  ExpectRows(identity.Multiply(identity), kIdentity);
  ExpectPoint(Transformed({-3.25f, 7.5f, 1e-3f}, identity), -3.25f, 7.5f, 1e-3f);
  ExpectPoint(Vec3{}, 0.0f, 0.0f, 0.0f);
}

TEST(Matrix4, MultiplyPutsItsArgumentOnTheLeft) {
  // Scale first, then move: (1, 0, 0) goes to (3, 0, 0), not to (4, 0, 0).
  const Matrix4 scaleThenMove = kScale.Multiply(kMoveX);
  ExpectRows(scaleThenMove, {2, 0, 0, 1, 0, 2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1});
  ExpectPoint(Transformed({1, 0, 0}, scaleThenMove), 3, 0, 0);

  const Matrix4 moveThenScale = kMoveX.Multiply(kScale);
  ExpectPoint(Transformed({1, 0, 0}, moveThenScale), 4, 0, 0);
}

TEST(Matrix4, MultiplyIsTheMatrixProductOfArgumentTimesSelf) {
  Matrix4 a, b;
  for (int k = 0; k < 16; ++k) {
    a.m[k] = static_cast<float>(k + 1);
    b.m[k] = static_cast<float>((k * 7) % 11) - 5.0f;
  }
  const Matrix4 r = a.Multiply(b);
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      float expected = 0.0f;  // small integers: every sum is exact
      for (int k = 0; k < 4; ++k) expected += b.m[4 * i + k] * a.m[4 * k + j];
      EXPECT_EQ(r.m[4 * i + j], expected) << "row " << i << " column " << j;
    }
  }
  EXPECT_EQ(a.m[5], 6.0f);  // operands untouched
  EXPECT_EQ(b.m[5], -3.0f);
}

TEST(Matrix4, TranslateComposesAfterWhatTheMatrixDid) {
  Matrix4 m = kScale;
  m.Translate(1, 0, 0);
  ExpectRows(m, {2, 0, 0, 1, 0, 2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1});
  ExpectPoint(Transformed({1, 0, 0}, m), 3, 0, 0);
}

TEST(Matrix4, TranslationsAddUp) {
  Matrix4 m;
  m.Translate(1, 2, 3);
  m.Translate(10, 20, 30);
  ExpectRows(m, {1, 0, 0, 11, 0, 1, 0, 22, 0, 0, 1, 33, 0, 0, 0, 1});
}

TEST(Matrix4, TranslateByMinusATenthOnTheIdentitySetsOnlyM11) {
  Matrix4 m;
  m.Translate(0.0f, 0.0f, -0.1f);
  ExpectRows(m, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, -0.1f, 0, 0, 0, 1});
  ExpectPoint(Transformed({4.5f, -2.0f, 6.334f}, m), 4.5f, -2.0f, 6.334f - 0.1f);
}

TEST(Vec3, TransformInPlaceReadsEveryCoordinateBeforeWriting) {
  const Matrix4 swapXY(0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
  ExpectPoint(Transformed({1, 2, 3}, swapXY), 2, 1, 3);
}

TEST(Vec3, TransformIgnoresTheBottomRow) {
  const Matrix4 usual(1, 2, 0, 5, 0, 1, 3, -1, 4, 0, 1, 2, 0, 0, 0, 1);
  Matrix4 odd = usual;
  odd.m[12] = odd.m[13] = odd.m[14] = 1.0f;
  odd.m[15] = 5.0f;
  const Vec3 expected = Transformed({1, 2, 3}, usual);
  ExpectPoint(expected, 1 + 4 + 5, 2 + 9 - 1, 4 + 3 + 2);
  ExpectPoint(Transformed({1, 2, 3}, odd), expected.x, expected.y, expected.z);
}
