// Placement geometry of the utility engine: rotations about arbitrary axes and the directions
// of the second and third bond at an atom. Angles in radians, single precision.
#include "math/Constants.h"
#include "math/UtilityEngine.h"

#include <algorithm>
#include <cmath>
#include <iostream>

namespace {

constexpr float kAngleTolerance = 0.01f;   // below this an angle counts as straight or zero

// Row-major 3x3 rotation by angle about a unit axis (right-handed).
struct Rotation3 {
  float r[3][3];
};

Rotation3 rotationAbout(float x, float y, float z, float angle) {
  const float c = std::cos(angle), s = std::sin(angle), t = 1.0f - c;
  return {{{x * x * t + c, x * y * t - z * s, x * z * t + y * s},
           {x * y * t + z * s, y * y * t + c, y * z * t - x * s},
           {x * z * t - y * s, y * z * t + x * s, z * z * t + c}}};
}

// R v on x, y, z; w is kept.
SSEVector4f apply(const Rotation3& m, const SSEVector4f& v) {
  return SSEVector4f(m.r[0][0] * v.x + m.r[0][1] * v.y + m.r[0][2] * v.z,
                     m.r[1][0] * v.x + m.r[1][1] * v.y + m.r[1][2] * v.z,
                     m.r[2][0] * v.x + m.r[2][1] * v.y + m.r[2][2] * v.z, v.w);
}

SSEVector4f rotated(const SSEVector4f& axis, float angle, const SSEVector4f& v) {
  return apply(rotationAbout(axis.x, axis.y, axis.z, angle), v);
}

float clampedAcos(float c) { return std::acos(std::max(-1.0f, std::min(1.0f, c))); }

}  // namespace

void UtilityEngine::arbitraryRotationAxis(float ax, float ay, float az, float angle, float** rows) {
  if (!rows || !rows[0] || !rows[1] || !rows[2]) return;
  const Rotation3 m = rotationAbout(ax, ay, az, angle);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) rows[i][j] = m.r[i][j];
}

void UtilityEngine::calculateSecondAtom(SSEVector4f direction, SSEVector4f& result, float angle) {
  SSEVector4f d = direction;
  d.normalize();
  SSEVector4f reference(1, 0, 0, 0);
  // Along x the cross product with x would vanish: turn towards y instead.
  if (std::fabs(1.0f - std::fabs(d.dot(reference))) < 0.01f) reference = SSEVector4f(0, 1, 0, 0);
  SSEVector4f normal = d % reference;
  normal.normalize();
  const SSEVector4f turned = rotated(normal, angle, d);
  result.x = turned.x;
  result.y = turned.y;
  result.z = turned.z;
}

void UtilityEngine::calculateThirdAtom(SSEVector4f a, SSEVector4f b, SSEVector4f& first,
                                       SSEVector4f& second, float alpha, float beta) {
  if (std::fabs(alpha) < kAngleTolerance || std::fabs(alpha) > kPi - kAngleTolerance) {
    first = -a;
    second = first;
    return;
  }
  if (std::fabs(beta) < kAngleTolerance || std::fabs(beta) > kPi - kAngleTolerance) {
    first = -b;
    second = first;
    return;
  }
  const float d = a.dot(b);
  if (std::fabs(d) > 1.0f) {
    first = second = a;
    return;
  }
  const float t = std::acos(d);
  if (t < kAngleTolerance) {
    first = second = a;
    return;
  }

  const bool tooNarrow = beta < t - alpha + kAngleTolerance;
  const bool tooWide = !tooNarrow && beta > kTwoPi - alpha - t - kAngleTolerance;
  if (tooNarrow || tooWide) {
    // No direction meets both angles: take the bisector of a and b (or its opposite).
    SSEVector4f bisector = tooNarrow ? a + b : -(a + b);
    bisector.normalize();
    if (bisector.length() == 0.0f) {
      // a and b point opposite ways and every bisector is perpendicular to them: take the
      // direction at alpha to a in the plane of a and the x (or y) axis.
      calculateSecondAtom(a, bisector, alpha);
    }
    first = second = bisector;
    return;
  }

  // Regular case: p is perpendicular to a in the a-b plane, on the side away from b, scaled by
  // sin alpha; turning it about a by +-phi gives the two mirror-image solutions.
  SSEVector4f normal = a % b;
  normal.normalize();
  SSEVector4f p = rotated(normal, -kPi / 2.0f, a);
  p.normalize();
  p *= std::fabs(std::sin(alpha));   // scales w too, as the direction it came from

  // When beta exceeds alpha + t (or alpha exceeds beta + t) the cosine leaves [-1, 1]; the
  // clamp then gives the in-plane direction that comes closest.
  const float cosPhi = -((std::cos(beta) - d * std::cos(alpha)) / std::sqrt(1.0f - d * d)) /
                       std::sin(alpha);
  const float phi = clampedAcos(cosPhi);
  const float cosAlpha = std::cos(alpha);
  first = rotated(a, phi, p) + a * cosAlpha;
  second = rotated(a, -phi, p) + a * cosAlpha;
  first.normalize();
  second.normalize();
}

void UtilityEngine::rotateAboutAxis(SSEVector4f* points, int pivot, int count, float ax, float ay,
                                    float az, float angle, const bool* flags) {
  if (!points || !flags || count <= 0) return;
  if (pivot < 0 || pivot >= count) {
    ErrorLine() << "Error: UtilityEngine::rotateAboutAxis: pivot index \"" << pivot
                << "\" outside 0.." << count - 1;
    return;
  }
  const SSEVector4f centre = points[pivot];
  const Rotation3 m = rotationAbout(ax, ay, az, angle);
  for (int i = 0; i < count; ++i) {
    if (!flags[i] || i == pivot) continue;
    const SSEVector4f offset(points[i].x - centre.x, points[i].y - centre.y,
                             points[i].z - centre.z, 0.0f);
    const SSEVector4f moved = apply(m, offset);
    points[i].x = moved.x + centre.x;
    points[i].y = moved.y + centre.y;
    points[i].z = moved.z + centre.z;
  }
}

SSEVector4f UtilityEngine::findPointInDirection(const SSEVector4f* direction, float distance,
                                                const SSEVector4f* start) {
  if (!start) {
    ErrorLine() << "Error: UtilityEngine::findPointInDirection: no start point";
    return SSEVector4f(0, 0, 0, 0);
  }
  if (!direction) {
    ErrorLine() << "Error: UtilityEngine::findPointInDirection: no direction";
    return SSEVector4f(start->x, start->y, start->z, 0.0f);
  }
  float length = direction->length();
  if (length == 0.0f) {
    ErrorLine() << "Error: direction vector is zero";
    length = 1.0f;
  }
  const float scale = distance / length;
  return SSEVector4f(start->x + direction->x * scale, start->y + direction->y * scale,
                     start->z + direction->z * scale, 0.0f);
}

void UtilityEngine::generateCorrectDihedral(SSEVector4f p1, SSEVector4f p2, SSEVector4f p3,
                                            SSEVector4f& p4, float targetAngle) {
  const SSEVector4f b1 = p1 - p2;
  const SSEVector4f b2 = p3 - p2;
  const SSEVector4f b3 = p4 - p3;
  SSEVector4f u = b1 % b2;
  SSEVector4f v = b2 % b3;
  u.normalize();
  v.normalize();
  SSEVector4f axis = p2 - p3;
  axis.normalize();
  // Three collinear points (or p2 on p3) leave no plane to measure from: the dihedral is not
  // defined, and p4 stays where it is.
  if (u.length() == 0.0f || v.length() == 0.0f || axis.length() == 0.0f) return;

  const float cosine = u.dot(v);
  float current;
  if (cosine > 1.0f)
    current = kPi;
  else if (cosine < -1.0f)
    current = 0.0f;
  else
    current = kPi - std::acos(cosine);
  if (u.dot(b3) < 0.0f) current = -current;

  axis.clamp();
  const float turn = static_cast<float>(static_cast<double>(targetAngle) - current);
  const SSEVector4f moved = rotated(axis, turn, b3);
  p4.x = moved.x + p3.x;
  p4.y = moved.y + p3.y;
  p4.z = moved.z + p3.z;
}
