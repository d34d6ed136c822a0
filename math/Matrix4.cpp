#include "math/Matrix4.h"

Matrix4::Matrix4() : m{} { m[0] = m[5] = m[10] = m[15] = 1.0f; }

Matrix4::Matrix4(float m0, float m1, float m2, float m3, float m4, float m5, float m6, float m7,
                 float m8, float m9, float m10, float m11, float m12, float m13, float m14,
                 float m15)
    : m{m0, m1, m2, m3, m4, m5, m6, m7, m8, m9, m10, m11, m12, m13, m14, m15} {}

Matrix4 Matrix4::Multiply(const Matrix4& b) const {
  // R(i, j) = sum over k of B(i, k) * A(k, j), the four products added in k
  // order in double and rounded to single once, when stored.
  Matrix4 r;
  for (int j = 0; j < 4; ++j) {
    for (int i = 0; i < 4; ++i) {
      const double sum = static_cast<double>(b.m[4 * i + 0]) * m[0 + j] +
                         static_cast<double>(b.m[4 * i + 1]) * m[4 + j] +
                         static_cast<double>(b.m[4 * i + 2]) * m[8 + j] +
                         static_cast<double>(b.m[4 * i + 3]) * m[12 + j];
      r.m[4 * i + j] = static_cast<float>(sum);
    }
  }
  return r;
}

void Matrix4::Translate(float x, float y, float z) {
  const Matrix4 t(1.0f, 0.0f, 0.0f, x,
                  0.0f, 1.0f, 0.0f, y,
                  0.0f, 0.0f, 1.0f, z,
                  0.0f, 0.0f, 0.0f, 1.0f);
  *this = Multiply(t);
}
