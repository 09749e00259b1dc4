#pragma once

// Points binned into cubic cells: every point within one cell edge of a given point lies in the
// 27 cells around that point's own cell. Neighbour searches (distance bonding, non-bonded pair
// lists) then cost time linear in the points for matter of bounded density, where comparing
// every pair costs time quadratic in them.
//
// The grid only proposes candidates; callers measure the distances themselves, so a search
// keeps exactly the comparison (and its rounding) it always made. A point with a coordinate
// that is not finite is in no cell and has no candidates: no distance to it compares below a
// cutoff anyway.

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "math/SSEVector4f.h"

class CellGrid {
 public:
  // cellEdge in the unit of the coordinates; an edge that is not positive and finite puts
  // every point into one cell.
  CellGrid(const std::vector<SSEVector4f>& points, double cellEdge);

  // Calls visit(j) for every point j in the 27 cells around point i, i itself included, each
  // once, in no particular order. Nothing for an index outside the points.
  template <class Visit>
  void forEachCandidate(size_t i, Visit&& visit) const {
    if (i >= cellOf.size() || !binned[i]) return;
    const Cell& home = cellOf[i];
    for (int dx = -1; dx <= 1; ++dx)
      for (int dy = -1; dy <= 1; ++dy)
        for (int dz = -1; dz <= 1; ++dz) {
          const auto found = ranges.find(key(home.x + dx, home.y + dy, home.z + dz));
          if (found == ranges.end()) continue;
          for (int k = found->second.first; k < found->second.second; ++k)
            visit(static_cast<size_t>(order[static_cast<size_t>(k)]));
        }
  }

 private:
  struct Cell {
    int x = 0, y = 0, z = 0;
  };
  static std::uint64_t key(int x, int y, int z);

  std::vector<Cell> cellOf;
  std::vector<char> binned;
  std::vector<int> order;   // point indices sorted by cell
  std::unordered_map<std::uint64_t, std::pair<int, int> > ranges;   // cell -> [first, last)
};
