#pragma once

// Frames the group-graph assembly and the ring closure move molecules into: a point to the
// origin and a direction onto +x, so that a turn about the direction is a turn about x.

#include <algorithm>
#include <cmath>

#include "math/SSEMatrix4x4f.h"
#include "math/SSEVector4f.h"

namespace assembly {

// The frame in which origin is at (0, 0, 0) and direction points along +x: the translation
// first, then the turn about y that takes the direction into the x-y plane, then the turn about
// z that lays it on x.
inline SSEMatrix4x4f frameAlong(const SSEVector4f& origin, SSEVector4f direction) {
  direction.w = 0.0f;
  direction.normalize();
  direction.clamp();
  const float yaw = std::atan2(direction.z, direction.x);
  const float pitch = std::asin(std::max(-1.0f, std::min(1.0f, direction.y)));
  SSEMatrix4x4f frame;
  frame.m[12] = -origin.x;
  frame.m[13] = -origin.y;
  frame.m[14] = -origin.z;
  SSEMatrix4x4f turnY;
  turnY.createRotateYMatrix(yaw);
  frame *= turnY;
  SSEMatrix4x4f turnZ;
  turnZ.createRotateZMatrix(-pitch);
  frame *= turnZ;
  return frame;
}

// The frame in which p is the origin and the direction from p to q lies along +x.
inline SSEMatrix4x4f bondFrame(const SSEVector4f& p, const SSEVector4f& q) {
  return frameAlong(p, q - p);
}

inline SSEMatrix4x4f turnAboutX(float radians) {
  SSEMatrix4x4f turn;
  turn.createRotateXMatrix(radians);
  return turn;
}

}  // namespace assembly
