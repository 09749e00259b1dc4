// The bond spheroid: its foci land on the bond's ends, and a direction component below 0.001
// counts as 0 in the orientation.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "model/Bond.h"
#include "model/BondSpheroid.h"
#include "model/Spheroid.h"

namespace {

TEST(BondSpheroid, FociOnTheEndsAndTinyComponentsRoundedAway) {
  Bond bond;
  const SSEVector4f p1(1.0f, 2.0f, 3.0f, 1.0f);
  const SSEVector4f p2(1.0f + 1.5f, 2.0f + 0.0009f, 3.0f, 1.0f);   // y below the rounding
  const double c = 0.75;
  const double a = 1.0;
  std::unique_ptr<Spheroid> s(
      buildBondSpheroid(&bond, p1, p2, a, std::sqrt(a * a - c * c), c, static_cast<float>(c / a)));
  EXPECT_EQ(&bond, s->owner);
  EXPECT_EQ(0.0f, bond.orientation[2]);   // no pitch
  EXPECT_EQ(0.0f, bond.orientation[1]);   // no yaw: along x
  // The foci sit half the focal distance either side of the midpoint, along x.
  const SSEVector4f mid = (p1 + p2) * 0.5f;
  EXPECT_NEAR(0.0, (s->centre - mid).length(), 1e-5);
  const float along1 = s->focus1.x - mid.x;
  const float along2 = s->focus2.x - mid.x;
  EXPECT_NEAR(0.75, std::fabs(along1), 1e-5);
  EXPECT_NEAR(-along1, along2, 1e-5);

  // Along y and z: pitch a quarter turn, then a yaw that puts the axis in the x-z plane.
  const SSEVector4f up(1.0f, 3.0f, 3.0f, 1.0f);
  std::unique_ptr<Spheroid> t(buildBondSpheroid(&bond, p1, up, a, 0.5, 0.5, 0.5f));
  EXPECT_NEAR(M_PI / 2.0, bond.orientation[2], 1e-6);
  const SSEVector4f back(1.0f, 2.0f, 1.0f, 1.0f);
  std::unique_ptr<Spheroid> u(buildBondSpheroid(&bond, p1, back, a, 0.5, 0.5, 0.5f));
  EXPECT_NEAR(M_PI / 2.0, bond.orientation[1], 1e-6);
  EXPECT_NEAR(1.0, std::fabs(u->focus1.z - u->focus2.z), 1e-5);
}

}   // namespace
