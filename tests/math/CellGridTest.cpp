// The cell grid proposes, for every point, every other point within one cell edge: checked
// against all pairs on scattered, clustered and far-flung points.

#include <cmath>
#include <limits>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "math/CellGrid.h"

namespace {

double distance(const SSEVector4f& a, const SSEVector4f& b) {
  const double dx = static_cast<double>(a.x) - b.x;
  const double dy = static_cast<double>(a.y) - b.y;
  const double dz = static_cast<double>(a.z) - b.z;
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

// Every pair closer than edge must be proposed from both ends; no point twice for one query.
void expectEveryNearPairProposed(const std::vector<SSEVector4f>& points, double edge) {
  const CellGrid grid(points, edge);
  for (size_t i = 0; i < points.size(); ++i) {
    std::multiset<size_t> proposed;
    grid.forEachCandidate(i, [&](size_t j) { proposed.insert(j); });
    for (size_t j : proposed) {
      EXPECT_EQ(1u, proposed.count(j)) << i << " proposes " << j << " twice";
    }
    for (size_t j = 0; j < points.size(); ++j) {
      if (!(distance(points[i], points[j]) < edge)) continue;
      EXPECT_EQ(1u, proposed.count(j)) << "pair " << i << " " << j << " at "
                                       << distance(points[i], points[j]);
    }
  }
}

}  // namespace

TEST(CellGrid, ProposesEveryPairWithinTheEdge) {
  std::mt19937 random(7);
  std::uniform_real_distribution<float> wide(-40.0f, 40.0f), tight(-1.0f, 1.0f);
  std::vector<SSEVector4f> scattered, clustered;
  for (int i = 0; i < 400; ++i) {
    scattered.emplace_back(wide(random), wide(random), wide(random));
    clustered.emplace_back(tight(random), tight(random), tight(random));
  }
  expectEveryNearPairProposed(scattered, 10.0);
  expectEveryNearPairProposed(clustered, 0.3);
  // Points exactly on cell walls, and pairs straddling one at just under the edge.
  std::vector<SSEVector4f> walls;
  for (int i = -3; i <= 3; ++i) {
    walls.emplace_back(2.0f * i, 0.0f, 0.0f);
    walls.emplace_back(2.0f * i + 1.9999f, 0.0f, 0.0f);
  }
  expectEveryNearPairProposed(walls, 2.0);
}

TEST(CellGrid, FarPointsNonFiniteCoordinatesAndBadEdges) {
  const float huge = 1.0e9f;
  const float nan = std::numeric_limits<float>::quiet_NaN();
  std::vector<SSEVector4f> points = {{0, 0, 0},        {0.5f, 0, 0},     {huge, 0, 0},
                                     {huge + 64, 0, 0}, {-huge, huge, 0}, {nan, 0, 0},
                                     {1, std::numeric_limits<float>::infinity(), 0}};
  expectEveryNearPairProposed(points, 1.0);
  const CellGrid grid(points, 1.0);
  int proposed = 0;
  grid.forEachCandidate(5, [&](size_t) { ++proposed; });
  grid.forEachCandidate(99, [&](size_t) { ++proposed; });
  EXPECT_EQ(0, proposed) << "a point without coordinates, or beyond the list, has no candidates";
  // An edge no grid can use puts all finite points into one cell.
  for (double edge : {0.0, -1.0, std::numeric_limits<double>::quiet_NaN()}) {
    const CellGrid single(points, edge);
    std::set<size_t> all;
    single.forEachCandidate(0, [&](size_t j) { all.insert(j); });
    EXPECT_EQ((std::set<size_t>{0, 1, 2, 3, 4}), all) << edge;
  }
}
