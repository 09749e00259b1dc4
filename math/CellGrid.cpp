#include "math/CellGrid.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace {

// Cells per axis; farther points share the last cell, which keeps neighbouring cells
// neighbours and only makes that cell fuller.
const double kMaxCell = 1 << 20;
const int kKeyBits = 21;
const double kEdgeMargin = 1.0 + 1e-6;   // a cell index plus or minus one, shifted to be non-negative

bool finitePoint(const SSEVector4f& p) {
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

int cellIndex(float coordinate, float lowest, double edge) {
  const double cell = std::floor((static_cast<double>(coordinate) - lowest) / edge);
  return static_cast<int>(std::min(std::max(cell, 0.0), kMaxCell));
}

}  // namespace

std::uint64_t CellGrid::key(int x, int y, int z) {
  // Shifted by one so that the cells around cell 0 have keys too.
  return (static_cast<std::uint64_t>(x + 1) << (2 * kKeyBits)) |
         (static_cast<std::uint64_t>(y + 1) << kKeyBits) | static_cast<std::uint64_t>(z + 1);
}

CellGrid::CellGrid(const std::vector<SSEVector4f>& points, double cellEdge)
    : cellOf(points.size()), binned(points.size(), 0) {
  float lowest[3] = {std::numeric_limits<float>::max(), std::numeric_limits<float>::max(),
                     std::numeric_limits<float>::max()};
  for (size_t i = 0; i < points.size(); ++i) {
    if (!finitePoint(points[i])) continue;
    binned[i] = 1;
    lowest[0] = std::min(lowest[0], points[i].x);
    lowest[1] = std::min(lowest[1], points[i].y);
    lowest[2] = std::min(lowest[2], points[i].z);
  }
  // An edge no grid can use gives one cell for all. The cells are a little wider than asked,
  // so that rounding in the cell arithmetic never parts two points that are just within it.
  const double edge = cellEdge > 0.0 && std::isfinite(cellEdge)
                          ? cellEdge * kEdgeMargin
                          : std::numeric_limits<double>::infinity();
  std::vector<std::uint64_t> keys(points.size(), 0);
  for (size_t i = 0; i < points.size(); ++i) {
    if (!binned[i]) continue;
    Cell& c = cellOf[i];
    c.x = cellIndex(points[i].x, lowest[0], edge);
    c.y = cellIndex(points[i].y, lowest[1], edge);
    c.z = cellIndex(points[i].z, lowest[2], edge);
    keys[i] = key(c.x, c.y, c.z);
    order.push_back(static_cast<int>(i));
  }
  std::stable_sort(order.begin(), order.end(),
                   [&keys](int a, int b) { return keys[static_cast<size_t>(a)] < keys[static_cast<size_t>(b)]; });
  ranges.reserve(order.size());
  for (size_t k = 0; k < order.size();) {
    const std::uint64_t here = keys[static_cast<size_t>(order[k])];
    size_t end = k + 1;
    while (end < order.size() && keys[static_cast<size_t>(order[end])] == here) ++end;
    ranges.emplace(here, std::make_pair(static_cast<int>(k), static_cast<int>(end)));
    k = end;
  }
}
