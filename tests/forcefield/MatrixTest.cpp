#include "forcefield/Matrix.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

TEST(Matrix, InverseTimesTheOriginalIsTheIdentity) {
  const std::vector<std::vector<double>> cases = {
      {1, 0, 0, 0, 2, 0, 0, 0, 4},
      {2, -1, 0, -1, 2, -1, 0, -1, 2},
      {0, 1, 0, 1, 0, 0, 0, 0, 1},   // a zero corner is pivoted around
  };
  for (const std::vector<double>& a : cases) {
    matrix<double> m(3);
    for (int k = 0; k < 9; ++k) m.at(k / 3, k % 3) = a[k];
    ASSERT_TRUE(m.invert());
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c) {
        double sum = 0.0;
        for (int k = 0; k < 3; ++k) sum += a[r * 3 + k] * m.at(k, c);
        EXPECT_NEAR(r == c ? 1.0 : 0.0, sum, 1e-12) << "case " << a[0] << a[1] << a[2];
      }
  }
}

TEST(Matrix, OnlyTheLeadingBlockIsInvertedAndSingularBlocksSaySo) {
  matrix<double> m(3);
  const double values[9] = {2, 0, 9, 0, 4, 9, 9, 9, 9};
  for (int k = 0; k < 9; ++k) m.at(k / 3, k % 3) = values[k];
  m.size = 2;
  ASSERT_TRUE(m.invert());
  EXPECT_DOUBLE_EQ(0.5, m.at(0, 0));
  EXPECT_DOUBLE_EQ(0.25, m.at(1, 1));
  EXPECT_EQ(9.0, m.at(0, 2));
  EXPECT_EQ(9.0, m.at(2, 2));

  matrix<double> singular(2);
  for (int r = 0; r < 2; ++r)
    for (int c = 0; c < 2; ++c) singular.at(r, c) = 1.0;
  EXPECT_FALSE(singular.invert());
  EXPECT_TRUE(std::isnan(singular.at(0, 0)));
}
