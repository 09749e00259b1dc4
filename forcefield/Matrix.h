#ifndef KV_FORCEFIELD_MATRIX_H
#define KV_FORCEFIELD_MATRIX_H

// A small square matrix of T stored row-major in one owned block, with an in-place inversion of
// its leading size x size block. Used with double by the charge solvers and with float by the
// renderer's spline.

#include <cmath>
#include <cstddef>
#include <limits>
#include <utility>

template <typename T>
class matrix {
public:
  int dimension;   // allocated order n; also the row stride
  int size;        // order of the leading block that invert() works on (at most dimension)
  T* data;         // dimension x dimension elements; element (r, c) is data[r * dimension + c]

  // An order below 1 gives 5. The elements start at zero.
  explicit matrix(int order = 5)
      : dimension(order < 1 ? 5 : order), size(dimension), data(nullptr) {
    allocate();
  }
  ~matrix() { delete[] data; }
  matrix(const matrix&) = delete;
  matrix& operator=(const matrix&) = delete;

  // Frees the old block and allocates dimension x dimension zeroed elements.
  void allocate() {
    delete[] data;
    data = new T[static_cast<std::size_t>(dimension) * dimension]();
  }

  T& at(int row, int column) { return data[row * dimension + column]; }
  const T& at(int row, int column) const { return data[row * dimension + column]; }

  // Replaces the leading size x size block by its inverse, in place (Gauss-Jordan with partial
  // pivoting, so a zero in the corner of an invertible matrix such as [[0, 1], [1, 0]] does not
  // break it). Elements outside the block are neither read nor written. Returns false for a
  // singular block, which is then filled with NaN so that a caller cannot mistake it for a
  // result.
  bool invert() {
    const int s = size < dimension ? (size < 0 ? 0 : size) : dimension;
    if (s < 1) return true;
    // Row swaps are recorded as column swaps to undo at the end; a small fixed buffer covers the
    // orders in use, larger blocks fall back to the heap.
    int localSwaps[32];
    int* swaps = s <= 32 ? localSwaps : new int[s];
    bool regular = true;
    for (int col = 0; col < s && regular; ++col) {
      int pivot = col;
      for (int r = col + 1; r < s; ++r)
        if (std::fabs(at(r, col)) > std::fabs(at(pivot, col))) pivot = r;
      swaps[col] = pivot;
      if (at(pivot, col) == T(0)) {
        regular = false;
        break;
      }
      if (pivot != col)
        for (int c = 0; c < s; ++c) std::swap(at(pivot, c), at(col, c));
      const T inverse = T(1) / at(col, col);
      at(col, col) = T(1);
      for (int c = 0; c < s; ++c) at(col, c) *= inverse;
      for (int r = 0; r < s; ++r) {
        if (r == col) continue;
        const T factor = at(r, col);
        if (factor == T(0)) continue;
        at(r, col) = T(0);
        for (int c = 0; c < s; ++c) at(r, c) -= factor * at(col, c);
      }
    }
    if (regular) {
      for (int col = s - 1; col >= 0; --col)
        if (swaps[col] != col)
          for (int r = 0; r < s; ++r) std::swap(at(r, swaps[col]), at(r, col));
    } else {
      for (int r = 0; r < s; ++r)
        for (int c = 0; c < s; ++c) at(r, c) = std::numeric_limits<T>::quiet_NaN();
    }
    if (swaps != localSwaps) delete[] swaps;
    return regular;
  }
};

#endif
