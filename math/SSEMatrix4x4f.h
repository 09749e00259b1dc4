#pragma once

// A 4x4 float matrix in column-major order: element (row r, column c) sits at m[c*4 + r] and
// the translation at m[12], m[13], m[14]. The layout equals OpenGL's, so m goes to
// glLoadMatrixf / glMultMatrixf as it is. Matrices act on column vectors.
struct alignas(16) SSEMatrix4x4f {
  float m[16];

  // The identity.
  SSEMatrix4x4f() : m{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1} {}
  // Sixteen values in column-major order.
  explicit SSEMatrix4x4f(const float* values) {
    for (int i = 0; i < 16; ++i) m[i] = values[i];
  }

  // Pre-multiplies: T *= A leaves A x T, so a vector transformed by the result goes through the
  // old T first and then A. M may be this matrix itself.
  SSEMatrix4x4f& operator*=(const SSEMatrix4x4f& left);
  SSEMatrix4x4f& operator*=(float s) {
    for (float& e : m) e *= s;
    return *this;
  }

  // The rotation builders write their four entries and nothing else; start from an identity
  // (a default-constructed matrix) for a pure rotation. Angles in radians.
  void createRotateXMatrix(float angle);
  void createRotateYMatrix(float angle);
  void createRotateZMatrix(float angle);

  float determinant() const;
  // Replaces the matrix by its inverse. A singular matrix (determinant zero or not finite) is
  // left as it was and false is returned, so no infinities leak into a transform.
  bool inverse();
};

// A x B.
inline SSEMatrix4x4f operator*(const SSEMatrix4x4f& a, const SSEMatrix4x4f& b) {
  SSEMatrix4x4f r;
  for (int c = 0; c < 4; ++c)
    for (int row = 0; row < 4; ++row) {
      float sum = 0.0f;
      for (int k = 0; k < 4; ++k) sum += a.m[k * 4 + row] * b.m[c * 4 + k];
      r.m[c * 4 + row] = sum;
    }
  return r;
}

inline SSEMatrix4x4f& SSEMatrix4x4f::operator*=(const SSEMatrix4x4f& left) {
  const SSEMatrix4x4f old = *this;   // the argument may be this matrix
  const SSEMatrix4x4f l = left;
  *this = l * old;
  return *this;
}
