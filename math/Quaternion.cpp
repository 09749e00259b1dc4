#include "math/Quaternion.h"

#include <algorithm>
#include <cmath>

#include "math/Constants.h"

namespace {

void setIdentity(float* m) {
  for (int i = 0; i < 16; ++i) m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
}

// Hamilton product l * r written into out (out may be l or r).
void hamilton(float lw, float lx, float ly, float lz, float rw, float rx, float ry, float rz,
              float& ow, float& ox, float& oy, float& oz) {
  const float w = lw * rw - lx * rx - ly * ry - lz * rz;
  const float x = lw * rx + lx * rw + ly * rz - lz * ry;
  const float y = lw * ry + ly * rw + lz * rx - lx * rz;
  const float z = lw * rz + lz * rw + lx * ry - ly * rx;
  ow = w;
  ox = x;
  oy = y;
  oz = z;
}

// Half angle of a whole angle in degrees: (angle * pi in float) / 360 in double.
double halfAngleRad(float angleDeg) {
  const float scaled = angleDeg * kPi;
  return static_cast<double>(scaled) / 360.0;
}

}  // namespace

Quaternion::Quaternion() : w(1), x(0), y(0), z(0), matrix(new float[16]) {
  setIdentity(matrix);
  fromAxisAngle(1.0f, 0.0f, 0.0f, 0.0f);
}

Quaternion::Quaternion(float w_, float x_, float y_, float z_)
    : w(w_), x(x_), y(y_), z(z_), matrix(new float[16]) {
  setIdentity(matrix);
}

Quaternion::Quaternion(const Quaternion& other)
    : w(other.w), x(other.x), y(other.y), z(other.z), matrix(new float[16]) {
  std::copy(other.matrix, other.matrix + 16, matrix);
}

Quaternion::Quaternion(const SSEVector4f& axis, float angle)
    : w(1), x(0), y(0), z(0), matrix(new float[16]) {
  setIdentity(matrix);
  fromAxisAngle(axis.x, axis.y, axis.z, angle);
  SSEMatrix4x4f rotation;
  toMatrix(&rotation);
  std::copy(rotation.m, rotation.m + 16, matrix);
}

Quaternion::~Quaternion() { delete[] matrix; }

Quaternion& Quaternion::operator=(const Quaternion& other) {
  w = other.w;
  x = other.x;
  y = other.y;
  z = other.z;
  return *this;
}

void Quaternion::set(float w_, float x_, float y_, float z_) {
  w = w_;
  x = x_;
  y = y_;
  z = z_;
}

void Quaternion::set(const Quaternion& other) { set(other.w, other.x, other.y, other.z); }

bool Quaternion::operator==(Quaternion other) const {
  return w == other.w && x == other.x && y == other.y && z == other.z;
}

void Quaternion::fromAxisAngle(float ax, float ay, float az, float angle) {
  const float s = std::sin(angle * 0.5f);
  x = ax * s;
  y = ay * s;
  z = az * s;
  w = static_cast<float>(std::cos(static_cast<double>(angle) * 0.5));
}

void Quaternion::fromAxisAngle(const SSEVector4f& axis, float angle) {
  fromAxisAngle(axis.x, axis.y, axis.z, angle);
}

void Quaternion::fromAxisAngleD(float ax, float ay, float az, float angleDeg) {
  fromAxisAngle(ax, ay, az, kPi * angleDeg / 180.0f);
}

void Quaternion::fromAxisAngleD(const SSEVector4f& axis, float angleDeg) {
  fromAxisAngleD(axis.x, axis.y, axis.z, angleDeg);
}

namespace {

struct EulerParts {
  float xw, xx, yw, yy, zw, zz;   // qx = (xw, xx, 0, 0), qy = (yw, 0, yy, 0), qz = (zw, 0, 0, zz)
};

EulerParts eulerParts(float aDeg, float bDeg, float cDeg) {
  const double ha = halfAngleRad(aDeg), hb = halfAngleRad(bDeg), hc = halfAngleRad(cDeg);
  return {static_cast<float>(std::cos(ha)), static_cast<float>(std::sin(ha)),
          static_cast<float>(std::cos(hb)), static_cast<float>(std::sin(hb)),
          static_cast<float>(std::cos(hc)), static_cast<float>(std::sin(hc))};
}

}  // namespace

void Quaternion::fromEuler(float aDeg, float bDeg, float cDeg) {
  const EulerParts p = eulerParts(aDeg, bDeg, cDeg);
  Quaternion q(p.zw, 0, 0, p.zz);
  q.multBy(Quaternion(p.xw, p.xx, 0, 0));
  q.multBy(Quaternion(p.yw, 0, p.yy, 0));
  q.normalize();
  *this = q;
}

void Quaternion::fromEuler(const SSEVector4f& anglesDeg) {
  fromEuler(anglesDeg.x, anglesDeg.y, anglesDeg.z);
}

void Quaternion::fromEulerFixed(float aDeg, float bDeg, float cDeg) {
  const EulerParts p = eulerParts(aDeg, bDeg, cDeg);
  Quaternion q(p.yw, 0, p.yy, 0);
  q.multBy(Quaternion(p.xw, p.xx, 0, 0));
  q.multBy(Quaternion(p.zw, 0, 0, p.zz));
  q.normalize();
  *this = q;
}

void Quaternion::fromEulerFixed(const SSEVector4f& anglesDeg) {
  fromEulerFixed(anglesDeg.x, anglesDeg.y, anglesDeg.z);
}

void Quaternion::fromMoment(float mx, float my, float mz) {
  const float n = std::sqrt(mx * mx + my * my + mz * mz);
  if (n == 0.0f) {
    set(1, 0, 0, 0);
    return;
  }
  const double h = static_cast<double>(n) * 0.5;
  const double scale = std::sin(h) / n;
  x = static_cast<float>(scale * mx);
  y = static_cast<float>(scale * my);
  z = static_cast<float>(scale * mz);
  w = static_cast<float>(std::cos(h));
}

Quaternion& Quaternion::fromOrthogonal(const SSEVector4f& a, const SSEVector4f& b,
                                       const SSEVector4f& c) {
  // a, b, c are the columns of the rotation matrix; every branch uses that convention.
  const float trace = a.x + b.y + c.z + 1.0f;
  if (trace > 0.0001f) {
    const float s = 0.5f / std::sqrt(trace);
    w = 0.25f / s;
    x = (b.z - c.y) * s;
    y = (c.x - a.z) * s;
    z = (a.y - b.x) * s;
  } else if (a.x > b.y && a.x > c.z) {
    const float s = 2.0f * std::sqrt(std::max(0.0f, 1.0f + a.x - b.y - c.z));
    x = 0.25f * s;
    y = (b.x + a.y) / s;
    z = (c.x + a.z) / s;
    w = (b.z - c.y) / s;
  } else if (b.y > c.z) {
    const float s = 2.0f * std::sqrt(std::max(0.0f, 1.0f + b.y - a.x - c.z));
    x = (b.x + a.y) / s;
    y = 0.25f * s;
    z = (c.y + b.z) / s;
    w = (c.x - a.z) / s;
  } else {
    const float s = 2.0f * std::sqrt(std::max(0.0f, 1.0f + c.z - a.x - b.y));
    x = (c.x + a.z) / s;
    y = (c.y + b.z) / s;
    z = 0.25f * s;
    w = (a.y - b.x) / s;
  }
  // A zero s (vectors that are no rotation) would leave non-numbers: fall back to the identity.
  if (!std::isfinite(w) || !std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z))
    set(1, 0, 0, 0);
  return normalize();
}

SSEMatrix4x4f* Quaternion::toMatrix(SSEMatrix4x4f* out) const {
  if (!out) return out;
  float* m = out->m;
  m[0] = 1 - 2 * (y * y + z * z);
  m[1] = 2 * (x * y + w * z);
  m[2] = 2 * (x * z - w * y);
  m[3] = 0;
  m[4] = 2 * (x * y - w * z);
  m[5] = 1 - 2 * (x * x + z * z);
  m[6] = 2 * (y * z + w * x);
  m[7] = 0;
  m[8] = 2 * (x * z + w * y);
  m[9] = 2 * (y * z - w * x);
  m[10] = 1 - 2 * (x * x + y * y);
  m[11] = 0;
  m[12] = m[13] = m[14] = 0;
  m[15] = 1;
  return out;
}

void Quaternion::multBy(const Quaternion& q) {
  hamilton(w, x, y, z, q.w, q.x, q.y, q.z, w, x, y, z);
}

Quaternion Quaternion::operator*(const Quaternion& q) const {
  Quaternion result(*this);
  result.multBy(q);
  return result;
}

Quaternion& Quaternion::normalize() {
  float n = std::sqrt(w * w + x * x + y * y + z * z);
  if (n == 0.0f) n = 1.0f;
  w /= n;
  x /= n;
  y /= n;
  z /= n;
  return *this;
}

Quaternion& Quaternion::inverse() const {
  static Quaternion result;
  float n = w * w + x * x + y * y + z * z;
  if (n == 0.0f) n = 1.0f;
  result.set(w / n, -x / n, -y / n, -z / n);
  return result;
}

Quaternion Quaternion::conjugate() const { return Quaternion(-w, -x, -y, -z); }

SSEVector4f& Quaternion::rotate(const SSEVector4f& v) const {
  static SSEVector4f result;
  // q p q^-1 with p = (0, v); the inverse is formed here rather than through inverse(), so
  // rotating never overwrites a result that inverse() handed out.
  float n = w * w + x * x + y * y + z * z;
  if (n == 0.0f) n = 1.0f;
  float rw, rx, ry, rz;
  hamilton(w, x, y, z, 0.0f, v.x, v.y, v.z, rw, rx, ry, rz);
  hamilton(rw, rx, ry, rz, w / n, -x / n, -y / n, -z / n, rw, rx, ry, rz);
  auto snap = [](float c) { return std::fabs(static_cast<double>(c)) < 0.0001 ? 0.0f : c; };
  result = SSEVector4f(snap(rx), snap(ry), snap(rz), 0.0f);
  return result;
}

SSEVector4f Quaternion::getVect() {
  normalize();
  return SSEVector4f(x, y, z, 0.0f);
}

void Quaternion::clamp() {
  if (std::fabs(w) < 0.001f) w = 0.0f;
  if (std::fabs(x) < 0.001f) x = 0.0f;
  if (std::fabs(y) < 0.001f) y = 0.0f;
  if (std::fabs(z) < 0.001f) z = 0.0f;
}

SSEVector4f Quaternion::toEuler() const {
  const double halfPi = 1.5707963267948966;
  const double s = 2.0 * (w * x - y * z);
  double ex, ey, ez;
  if (s >= 1.0 || std::isnan(s)) {
    ex = halfPi;
    ey = std::atan2(2.0 * (w * z - x * y), 1.0 - 2.0 * (y * y + z * z));
    ez = 0.0;
  } else if (s > -1.0) {
    ex = std::asin(s);
    ey = std::atan2(2.0 * (x * z + w * y), 1.0 - 2.0 * (x * x + y * y));
    ez = std::atan2(2.0 * (x * y + w * z), 1.0 - 2.0 * (x * x + z * z));
  } else {
    ex = -halfPi;
    ey = -std::atan2(2.0 * (w * z - x * y), 1.0 - 2.0 * (y * y + z * z));
    ez = 0.0;
  }
  auto snap = [](double v) { return static_cast<float>(std::fabs(v) < 1e-5 ? 0.0 : v); };
  return SSEVector4f(snap(ex), snap(ey), snap(ez), 0.0f);
}

float Quaternion::calcHeading() const {
  SSEVector4f r = rotate(SSEVector4f(1, 0, 0, 1));
  r.y -= r.dot(SSEVector4f(0, 1, 0, 0));
  r.normalize();
  const SSEVector4f c = SSEVector4f(1, 0, 0, 0) % r;
  const float sine = std::max(-1.0f, std::min(1.0f, c.y));
  const float heading = std::asin(sine);
  return r.dot(SSEVector4f(1, 0, 0, 0)) >= 0.0f ? heading : kPi - heading;
}

void Quaternion::slerp(const Quaternion& from, const Quaternion& to, float t) {
  float cosom = from.w * to.w + from.x * to.x + from.y * to.y + from.z * to.z;
  float tw = to.w, tx = to.x, ty = to.y, tz = to.z;
  if (cosom < 0.0f) {   // shortest arc; a NaN keeps the target as given
    cosom = -cosom;
    tw = -tw;
    tx = -tx;
    ty = -ty;
    tz = -tz;
  }
  float scale0, scale1;
  if (1.0 - static_cast<double>(cosom) > 0.1) {
    const float omega = std::acos(cosom);
    const float sinom = std::sin(omega);
    scale0 = std::sin((1.0f - t) * omega) / sinom;
    scale1 = std::sin(t * omega) / sinom;
  } else {
    // Close rotations (cos at least 0.9) interpolate linearly; the camera animations rely on it.
    scale0 = 1.0f - t;
    scale1 = t;
  }
  const float fw = from.w, fx = from.x, fy = from.y, fz = from.z;   // from may be this
  w = scale0 * fw + scale1 * tw;
  x = scale0 * fx + scale1 * tx;
  y = scale0 * fy + scale1 * ty;
  z = scale0 * fz + scale1 * tz;
}
