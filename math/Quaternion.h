#pragma once

#include "math/SSEMatrix4x4f.h"
#include "math/SSEVector4f.h"

// A rotation (w, x, y, z), scalar part first: angle t about the unit axis a is
// (cos t/2, a sin t/2). Angles are radians except in fromAxisAngleD, fromEuler and
// fromEulerFixed, which take degrees.
//
// inverse() and rotate() return references to one function-static result each, which the next
// call overwrites: copy the result at once. One thread only.
class Quaternion {
public:
  float w, x, y, z;
  // Owned block of sixteen floats, the identity unless made by the axis-and-angle constructor.
  // Assignment leaves it alone; toMatrix never writes it.
  float* matrix;

  Quaternion();                                   // (1, 0, 0, 0)
  Quaternion(float w, float x, float y, float z);
  Quaternion(const Quaternion& other);
  Quaternion(const SSEVector4f& axis, float angle);
  ~Quaternion();

  // Copies w, x, y, z only.
  Quaternion& operator=(const Quaternion& other);
  void set(float w, float x, float y, float z);
  void set(const Quaternion& other);
  bool operator==(Quaternion other) const;

  // The axis is not normalised here: pass a unit axis.
  void fromAxisAngle(float ax, float ay, float az, float angle);
  void fromAxisAngle(const SSEVector4f& axis, float angle);
  void fromAxisAngleD(float ax, float ay, float az, float angleDeg);
  void fromAxisAngleD(const SSEVector4f& axis, float angleDeg);
  // Degrees about X, Y, Z: the result is qz * qx * qy, normalised.
  void fromEuler(float aDeg, float bDeg, float cDeg);
  void fromEuler(const SSEVector4f& anglesDeg);
  // Degrees about X, Y, Z: the result is qy * qx * qz, normalised; toEuler undoes it.
  void fromEulerFixed(float aDeg, float bDeg, float cDeg);
  void fromEulerFixed(const SSEVector4f& anglesDeg);
  // Rotation vector (axis times angle) to quaternion.
  void fromMoment(float mx, float my, float mz);
  // The rotation whose matrix has the columns a, b, c; normalised.
  Quaternion& fromOrthogonal(const SSEVector4f& a, const SSEVector4f& b, const SSEVector4f& c);

  // Writes R(q) into out and returns out (null gives null).
  SSEMatrix4x4f* toMatrix(SSEMatrix4x4f* out) const;
  // this := this * q (Hamilton product, this on the left).
  void multBy(const Quaternion& q);
  Quaternion operator*(const Quaternion& q) const;
  // A zero quaternion stays zero.
  Quaternion& normalize();
  // (w, -x, -y, -z) / |q|^2 in a function-static result.
  Quaternion& inverse() const;
  // (-w, -x, -y, -z): the same rotation, not the inverse.
  Quaternion conjugate() const;
  // q v q^-1 in a function-static result, w = 0; components below 0.0001 snapped to 0.
  SSEVector4f& rotate(const SSEVector4f& v) const;
  // Normalises this quaternion, then returns (x, y, z, 0).
  SSEVector4f getVect();
  void clamp();
  // (X, Y, Z, 0) in radians.
  SSEVector4f toEuler() const;
  float calcHeading() const;
  // Interpolation from (t = 0) to (t = 1) along the shorter arc, written into this; not
  // normalised. Pairs closer than cos = 0.9 are interpolated linearly.
  void slerp(const Quaternion& from, const Quaternion& to, float t);
};
