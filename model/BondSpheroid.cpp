#include "model/BondSpheroid.h"

#include <algorithm>
#include <cmath>

#include "math/Constants.h"
#include "math/SSEMatrix4x4f.h"
#include "model/Bond.h"
#include "model/Spheroid.h"

Spheroid* buildBondSpheroid(Bond* bond, const SSEVector4f& p1, const SSEVector4f& p2, double a,
                            double b, double c, float e) {
  SSEVector4f direction = p2 - p1;
  direction.w = 0.0f;
  direction.normalize();
  direction.clamp();
  const float yaw = -std::atan2(direction.z, direction.x);
  const float pitch = std::asin(std::max(-1.0f, std::min(1.0f, direction.y)));
  bond->orientation[0] = 0.0f;
  bond->orientation[1] = yaw;
  bond->orientation[2] = pitch;
  bond->orientation[3] = 1.0f;

  Spheroid* spheroid = new Spheroid(e, static_cast<float>(b), static_cast<float>(a));
  const float cf = static_cast<float>(c);
  spheroid->focus1 = SSEVector4f(0.0f, 0.0f, cf, 1.0f);
  spheroid->focus2 = SSEVector4f(0.0f, 0.0f, -cf, 1.0f);
  spheroid->centre = SSEVector4f(0.0f, 0.0f, 0.0f, 1.0f);
  spheroid->owner = bond;

  // Long axis from z onto the bond: a quarter turn about y puts it along x, then pitch about z
  // and yaw about y, then the move to the midpoint.
  SSEMatrix4x4f place;
  place.createRotateYMatrix(-kPi / 2.0f);
  SSEMatrix4x4f turn;
  turn.createRotateZMatrix(pitch);
  place *= turn;
  SSEMatrix4x4f swing;
  swing.createRotateYMatrix(yaw);
  place *= swing;
  place *= translationMatrix((p1 + p2) * 0.5f);
  spheroid->transformCenterAndFoci(&place);
  return spheroid;
}
