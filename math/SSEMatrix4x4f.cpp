#include "math/SSEMatrix4x4f.h"

#include <cmath>

void SSEMatrix4x4f::createRotateXMatrix(float angle) {
  const float c = std::cos(angle), s = std::sin(angle);
  m[5] = c;
  m[6] = s;
  m[9] = -s;
  m[10] = c;
}

void SSEMatrix4x4f::createRotateYMatrix(float angle) {
  const float c = std::cos(angle), s = std::sin(angle);
  m[0] = c;
  m[2] = -s;
  m[8] = s;
  m[10] = c;
}

void SSEMatrix4x4f::createRotateZMatrix(float angle) {
  const float c = std::cos(angle), s = std::sin(angle);
  m[0] = c;
  m[1] = s;
  m[4] = -s;
  m[5] = c;
}

float SSEMatrix4x4f::determinant() const {
  // Full expansion: sum over all 24 permutations p of sign(p) * prod_r a(r, p(r)).
  int p[4] = {0, 1, 2, 3};
  float det = 0.0f;
  for (int a = 0; a < 4; ++a)
    for (int b = 0; b < 4; ++b) {
      if (b == a) continue;
      for (int c = 0; c < 4; ++c) {
        if (c == a || c == b) continue;
        const int d = 6 - a - b - c;
        p[0] = a; p[1] = b; p[2] = c; p[3] = d;
        int inversions = 0;
        for (int i = 0; i < 4; ++i)
          for (int j = i + 1; j < 4; ++j)
            if (p[i] > p[j]) ++inversions;
        // element (row r, column p[r]) sits at p[r]*4 + r
        const float product = m[p[0] * 4 + 0] * m[p[1] * 4 + 1] * m[p[2] * 4 + 2] * m[p[3] * 4 + 3];
        det += (inversions % 2 == 0) ? product : -product;
      }
    }
  return det;
}

bool SSEMatrix4x4f::inverse() {
  const float det = determinant();
  if (det == 0.0f || !std::isfinite(det)) return false;

  // Classic adjugate from the 2x2 sub-products of the lower and upper row pairs.
  const float* a = m;
  // a[c*4 + r]; name elements by row and column for readability.
  auto e = [a](int r, int c) { return a[c * 4 + r]; };
  const float s0 = e(0, 0) * e(1, 1) - e(1, 0) * e(0, 1);
  const float s1 = e(0, 0) * e(1, 2) - e(1, 0) * e(0, 2);
  const float s2 = e(0, 0) * e(1, 3) - e(1, 0) * e(0, 3);
  const float s3 = e(0, 1) * e(1, 2) - e(1, 1) * e(0, 2);
  const float s4 = e(0, 1) * e(1, 3) - e(1, 1) * e(0, 3);
  const float s5 = e(0, 2) * e(1, 3) - e(1, 2) * e(0, 3);
  const float c5 = e(2, 2) * e(3, 3) - e(3, 2) * e(2, 3);
  const float c4 = e(2, 1) * e(3, 3) - e(3, 1) * e(2, 3);
  const float c3 = e(2, 1) * e(3, 2) - e(3, 1) * e(2, 2);
  const float c2 = e(2, 0) * e(3, 3) - e(3, 0) * e(2, 3);
  const float c1 = e(2, 0) * e(3, 2) - e(3, 0) * e(2, 2);
  const float c0 = e(2, 0) * e(3, 1) - e(3, 0) * e(2, 1);

  float inv[4][4];   // inv[r][c]
  inv[0][0] = e(1, 1) * c5 - e(1, 2) * c4 + e(1, 3) * c3;
  inv[0][1] = -e(0, 1) * c5 + e(0, 2) * c4 - e(0, 3) * c3;
  inv[0][2] = e(3, 1) * s5 - e(3, 2) * s4 + e(3, 3) * s3;
  inv[0][3] = -e(2, 1) * s5 + e(2, 2) * s4 - e(2, 3) * s3;
  inv[1][0] = -e(1, 0) * c5 + e(1, 2) * c2 - e(1, 3) * c1;
  inv[1][1] = e(0, 0) * c5 - e(0, 2) * c2 + e(0, 3) * c1;
  inv[1][2] = -e(3, 0) * s5 + e(3, 2) * s2 - e(3, 3) * s1;
  inv[1][3] = e(2, 0) * s5 - e(2, 2) * s2 + e(2, 3) * s1;
  inv[2][0] = e(1, 0) * c4 - e(1, 1) * c2 + e(1, 3) * c0;
  inv[2][1] = -e(0, 0) * c4 + e(0, 1) * c2 - e(0, 3) * c0;
  inv[2][2] = e(3, 0) * s4 - e(3, 1) * s2 + e(3, 3) * s0;
  inv[2][3] = -e(2, 0) * s4 + e(2, 1) * s2 - e(2, 3) * s0;
  inv[3][0] = -e(1, 0) * c3 + e(1, 1) * c1 - e(1, 2) * c0;
  inv[3][1] = e(0, 0) * c3 - e(0, 1) * c1 + e(0, 2) * c0;
  inv[3][2] = -e(3, 0) * s3 + e(3, 1) * s1 - e(3, 2) * s0;
  inv[3][3] = e(2, 0) * s3 - e(2, 1) * s1 + e(2, 2) * s0;

  SSEMatrix4x4f adjugate;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) adjugate.m[c * 4 + r] = inv[r][c];
  adjugate *= 1.0f / det;
  *this = adjugate;
  return true;
}
