// A 4x4 transformation matrix of single floats, stored row-major: element
// (row i, column j) is m[4 * i + j].
//
// Points are column vectors multiplied on the right, so a translation lives in
// the last column (m[3], m[7], m[11]) and the bottom row of every matrix the
// program builds is (0, 0, 0, 1).
#pragma once

struct Matrix4 {
  // The identity.
  Matrix4();
  // Sixteen values in storage order: m0 first, m15 last.
  Matrix4(float m0, float m1, float m2, float m3, float m4, float m5, float m6, float m7,
          float m8, float m9, float m10, float m11, float m12, float m13, float m14, float m15);

  // Returns b * (*this): the argument is the LEFT factor. Transforming by the
  // result applies this matrix first and b after it. Neither operand changes.
  Matrix4 Multiply(const Matrix4& b) const;

  // Composes the translation by (x, y, z) after what the matrix already does:
  // the matrix becomes T(x, y, z) * (*this).
  void Translate(float x, float y, float z);

  float m[16];
};
