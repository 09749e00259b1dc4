#pragma once

#include "math/SSEMatrix4x4f.h"

#include <cmath>

// Four floats x, y, z, w. Points carry w = 1, directions and cross products w = 0.
struct alignas(16) SSEVector4f {
  float x, y, z, w;

  SSEVector4f() : x(0), y(0), z(0), w(1) {}
  SSEVector4f(float x_, float y_, float z_, float w_ = 1.0f) : x(x_), y(y_), z(z_), w(w_) {}

  // v := M v (column vector); all four components are written, so a point (w = 1) is translated.
  SSEVector4f& operator*=(const SSEMatrix4x4f& mat);

  // Scales x, y, z to unit length; w untouched. A vector shorter than 1e-10 becomes (0, 0, 0, w).
  void normalize() {
    const float length = std::sqrt(x * x + y * y + z * z);
    if (static_cast<double>(length) < 1e-10) {
      x = y = z = 0.0f;
      return;
    }
    x /= length;
    y /= length;
    z /= length;
  }

  // Every component (w too) whose magnitude is below 0.001 becomes exactly 0.
  void clamp() {
    if (std::fabs(x) < 0.001f) x = 0.0f;
    if (std::fabs(y) < 0.001f) y = 0.0f;
    if (std::fabs(z) < 0.001f) z = 0.0f;
    if (std::fabs(w) < 0.001f) w = 0.0f;
  }

  // Dot product and length of the x, y, z parts.
  float dot(const SSEVector4f& o) const { return x * o.x + y * o.y + z * o.z; }
  float length() const { return std::sqrt(x * x + y * y + z * z); }

  // Component-wise arithmetic on all four components (point - point gives w = 0).
  SSEVector4f& operator+=(const SSEVector4f& o) {
    x += o.x; y += o.y; z += o.z; w += o.w;
    return *this;
  }
  SSEVector4f& operator-=(const SSEVector4f& o) {
    x -= o.x; y -= o.y; z -= o.z; w -= o.w;
    return *this;
  }
  SSEVector4f& operator*=(float s) {
    x *= s; y *= s; z *= s; w *= s;
    return *this;
  }
};

inline SSEVector4f operator+(SSEVector4f a, const SSEVector4f& b) { return a += b; }
inline SSEVector4f operator-(SSEVector4f a, const SSEVector4f& b) { return a -= b; }
inline SSEVector4f operator-(const SSEVector4f& a) { return SSEVector4f(-a.x, -a.y, -a.z, -a.w); }
inline SSEVector4f operator*(SSEVector4f a, float s) { return a *= s; }
inline SSEVector4f operator*(float s, SSEVector4f a) { return a *= s; }

// Cross product of the x, y, z parts; w = 0.
inline SSEVector4f operator%(const SSEVector4f& a, const SSEVector4f& b) {
  return SSEVector4f(a.y * b.z - b.y * a.z, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x, 0.0f);
}

// M v, v a column vector.
inline SSEVector4f operator*(const SSEVector4f& v, const SSEMatrix4x4f& mat) {
  const float* m = mat.m;
  return SSEVector4f(m[0] * v.x + m[4] * v.y + m[8] * v.z + m[12] * v.w,
                     m[1] * v.x + m[5] * v.y + m[9] * v.z + m[13] * v.w,
                     m[2] * v.x + m[6] * v.y + m[10] * v.z + m[14] * v.w,
                     m[3] * v.x + m[7] * v.y + m[11] * v.z + m[15] * v.w);
}

inline SSEVector4f& SSEVector4f::operator*=(const SSEMatrix4x4f& mat) {
  *this = *this * mat;
  return *this;
}

// A pure translation by the vector's x, y and z.
inline SSEMatrix4x4f translationMatrix(const SSEVector4f& by) {
  SSEMatrix4x4f t;
  t.m[12] = by.x;
  t.m[13] = by.y;
  t.m[14] = by.z;
  return t;
}
