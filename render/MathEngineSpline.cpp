// The natural cubic spline that smooths the dihedral energy profile.
#include <cmath>
#include <vector>

#include "forcefield/Matrix.h"
#include "math/UtilityEngine.h"
#include "render/MathEngine.h"

namespace {

// Second derivatives at the knots with zero curvature at both ends, from the inverse of the
// tridiagonal system. False when the system cannot be solved.
bool secondDerivatives(const std::vector<double>& x, const std::vector<double>& y,
                       const std::vector<double>& h, std::vector<double>& M) {
  const int n = static_cast<int>(x.size());
  matrix<float> A(n);
  A.at(0, 0) = 1.0f;
  A.at(n - 1, n - 1) = 1.0f;
  for (int i = 1; i <= n - 2; ++i) {
    A.at(i, i - 1) = static_cast<float>(h[i - 1]);
    A.at(i, i) = static_cast<float>(2.0 * (h[i - 1] + h[i]));
    A.at(i, i + 1) = static_cast<float>(h[i]);
  }
  if (!A.invert()) return false;
  M.assign(n, 0.0);
  for (int i = 1; i <= n - 2; ++i) {
    double sum = 0.0;
    for (int j = 1; j <= n - 2; ++j)
      sum += A.at(i, j) * 6.0 * ((y[j + 1] - y[j]) / h[j] - (y[j] - y[j - 1]) / h[j - 1]);
    M[i] = static_cast<float>(sum);
  }
  return true;
}

}  // namespace

void MathEngine::naturalCubicSplineInterplationXY(std::map<float, float>& points, float step) {
  // A step that is not positive and finite, or too small to count, would never end the walk.
  if (points.size() < 2 || !(step > 0.0f) || !std::isfinite(step)) return;
  const float first = points.begin()->first, last = points.rbegin()->first;
  if ((static_cast<double>(last) - first) / step > MaxSplineSamples) {
    ErrorLine() << "Error: MathEngine: spline step \"" << step << "\" gives more than "
                << MaxSplineSamples << " samples";
    return;
  }
  std::vector<double> x, y, h;
  for (const auto& point : points) {
    x.push_back(point.first);
    y.push_back(point.second);
  }
  const int n = static_cast<int>(x.size());
  for (int i = 0; i + 1 < n; ++i) h.push_back(x[i + 1] - x[i]);
  std::vector<double> M;
  if (!secondDerivatives(x, y, h, M)) return;

  points.clear();
  float X = first;
  points[X] = static_cast<float>(y[0]);
  int k = 0;
  while (last > X) {
    const float next = X + step;
    if (!(next > X)) break;   // a step below the spacing of floats at X
    X = next;
    while (k < n - 2 && X > x[k + 1]) ++k;
    const double hk = h[k], right = x[k + 1] - X, left = X - x[k];
    points[X] = static_cast<float>(M[k] * right * right * right / (6.0 * hk) +
                                   M[k + 1] * left * left * left / (6.0 * hk) +
                                   (y[k + 1] / hk - M[k + 1] * hk / 6.0) * left +
                                   (y[k] / hk - M[k] * hk / 6.0) * right);
  }
  points[last] = static_cast<float>(y[n - 1]);
}
