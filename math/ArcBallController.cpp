#include "math/ArcBallController.h"

#include <algorithm>
#include <cmath>

ArcBallController::ArcBallController() : mode(1) {}

Quaternion* ArcBallController::rotate(int x, int y, int dx, int dy, Quaternion* q) {
  if (!q) return q;
  const int w = windowWidth, h = windowHeight;
  // Below 2 pixels the clamped point can fall on the sphere's rim, where the lift has no
  // tangent plane: skip the rotation.
  if (w < 2 || h < 2) {
    q->normalize();
    return q;
  }

  // Keep the point one pixel inside the window so that it lies strictly inside the sphere.
  if (x <= (-w) / 2) x = (-w) / 2 + 1;
  x = std::min(x, w / 2 - 1);
  if (y <= (-h) / 2) y = (-h) / 2 + 1;
  y = std::min(y, h / 2 - 1);

  // Sizes as doubles before squaring, so a huge window cannot overflow int.
  const float radiusSquared = static_cast<float>(static_cast<double>(w) * w +
                                                 static_cast<double>(h) * h) * 0.25f;
  const float pointSquared = static_cast<float>(x) * x + static_cast<float>(y) * y;
  const float lift = pointSquared < radiusSquared ? std::sqrt(radiusSquared - pointSquared) : 0.0f;
  if (lift <= 0.0f) {
    q->normalize();
    return q;
  }
  // The drag made tangent to the sphere at the lifted point.
  const float dz =
      -static_cast<float>(static_cast<double>(dx) * x + static_cast<double>(dy) * y) / lift;

  static SSEVector4f axis;
  const float fx = static_cast<float>(x), fy = static_cast<float>(y);
  const float fdx = static_cast<float>(dx), fdy = static_cast<float>(dy);
  axis = SSEVector4f(fy * dz - lift * fdy, lift * fdx - fx * dz, fx * fdy - fy * fdx, 1.0f);
  const float angle = std::sqrt(fdx * fdx + fdy * fdy + dz * dz) / std::sqrt(radiusSquared);

  if (mode == 2 && referenceRotation) {
    // The drag was made in the view's frame: take the axis out of it first.
    SSEMatrix4x4f toWorld;
    referenceRotation->inverse().toMatrix(&toWorld);
    axis *= toWorld;
  }

  // Express the axis in q's own frame.
  static Quaternion qInverse;
  static SSEVector4f localAxis;
  qInverse = q->inverse();
  localAxis = qInverse.rotate(axis);
  localAxis.normalize();

  static Quaternion increment;
  increment.fromAxisAngle(localAxis, angle);
  q->multBy(increment);
  q->normalize();
  return q;
}
