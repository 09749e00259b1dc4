// The symmetric eigen-solver of the optimiser: Householder reduction of the packed lower
// triangle to tridiagonal form, implicit QL iteration with accumulated plane rotations, and the
// back-transformation of the eigenvectors. All arrays here are one-based (element 0 unused).
#include "forcefield/Minimization.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

const double kMachineEpsilon = 2.22045e-16;

// Index of element (i, j), i >= j, of the packed lower triangle (one-based).
inline int packedIndex(int i, int j) { return i * (i - 1) / 2 + j; }

// A one-based n x n matrix as row pointers into one block.
struct RowMatrix {
  std::vector<double> block;
  std::vector<double*> rows;
  explicit RowMatrix(int n) : block(static_cast<size_t>(n + 1) * (n + 1), 0.0), rows(n + 1) {
    for (int i = 0; i <= n; ++i) rows[i] = block.data() + static_cast<size_t>(i) * (n + 1);
  }
};

}  // namespace

void Minimization::Diagonalization(double** a, int& n, int& jobn, double* eigenvalues,
                                   double** eigenvectors, int& iz, double* wk, int& ier) {
  ier = 0;
  if (n < 1 || a == nullptr || eigenvalues == nullptr) return;
  // Full storage, column j of row i at (j - 1) * n + i, one-based.
  std::vector<double> full(static_cast<size_t>(n) * n + 1, 0.0);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) full[static_cast<size_t>(j) * n + i + 1] = a[i][j];
  std::vector<double> values(n + 1, 0.0);
  std::vector<double> work(std::max(n + 1, n * (n + 1) / 2 + 1), 0.0);
  RowMatrix vectors(n);
  const bool wantVectors = eigenvectors != nullptr;
  int rows = wantVectors ? iz : 0;
  EIGRS(full.data(), n, jobn, values.data(), vectors.rows.data(), rows, work.data(), ier);
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      a[i][j] = full[static_cast<size_t>(j) * n + i + 1];
      if (wantVectors) eigenvectors[i][j] = vectors.rows[i + 1][j + 1];
    }
    eigenvalues[i] = values[i + 1];
    if (wk) wk[i] = work[i + 1];
  }
}

void Minimization::EIGRS(double* a, int& n, int& jobn, double* d, double** z, int& iz,
                         double* wk, int& ier) {
  ier = 0;
  if (n < 1 || a == nullptr || d == nullptr) return;
  const int packedSize = n * (n + 1) / 2;
  int job = jobn % 10;
  if (job > 3) {
    ier = 66;
    job = 1;
  }
  bool vectors = job != 0;
  if (vectors && (z == nullptr || iz < n)) {
    ier = 67;
    vectors = false;
  }
  const bool fullStorage = jobn >= 10;
  if (fullStorage) {
    // Pack the lower triangle by rows: (i, j) of column-major storage moves to its row slot.
    const std::vector<double> full(a, a + n * n + 1);
    for (int i = 1; i <= n; ++i)
      for (int j = 1; j <= i; ++j) a[packedIndex(i, j)] = full[(j - 1) * n + i];
  }
  const bool index = (job == 2 || job == 3) && wk != nullptr;
  std::vector<double> original;
  if (index) {
    original.assign(a, a + packedSize + 1);
    for (int k = 1; k <= packedSize; ++k) wk[k] = a[k];
  }

  std::vector<double> e(n + 1, 0.0);
  EHOUSS(a, n, d, e.data());
  if (vectors) {
    for (int i = 1; i <= n; ++i)
      for (int j = 1; j <= n; ++j) z[i][j] = i == j ? 1.0 : 0.0;
  }
  int rows = vectors ? iz : 0;
  int qlError = 0;
  EQRT2S(d, e.data(), n, vectors ? z : nullptr, rows, qlError);
  if (qlError != 0) ier = qlError;
  if (qlError == 0 && vectors) {
    int first = 1;
    EHOBKS(a, n, first, n, z, iz);
  }

  if (index) {
    wk[1] = 1000.0;
    if (qlError == 0 && vectors) {
      // Largest residual |A z - lambda z|_1 relative to 10 n eps |A|_1 |z|_1; below 1 is good.
      double norm = 0.0;
      for (int i = 1; i <= n; ++i) {
        double rowSum = 0.0;
        for (int j = 1; j <= n; ++j)
          rowSum += std::fabs(original[i >= j ? packedIndex(i, j) : packedIndex(j, i)]);
        norm = std::max(norm, rowSum);
      }
      double worst = 0.0;
      for (int j = 1; j <= n; ++j) {
        double residual = 0.0, length = 0.0;
        for (int i = 1; i <= n; ++i) {
          double sum = -d[j] * z[i][j];
          for (int k = 1; k <= n; ++k)
            sum += original[i >= k ? packedIndex(i, k) : packedIndex(k, i)] * z[k][j];
          residual += std::fabs(sum);
          length += std::fabs(z[i][j]);
        }
        const double scale = 10.0 * n * kMachineEpsilon * std::max(norm, 1e-300) *
                             std::max(length, 1e-300);
        worst = std::max(worst, residual / scale);
      }
      wk[1] = worst;
    }
  }

  if (fullStorage) {
    // Unpack into full symmetric storage.
    std::vector<double> packed(a, a + packedSize + 1);
    for (int i = 1; i <= n; ++i)
      for (int j = 1; j <= i; ++j) {
        a[(j - 1) * n + i] = packed[packedIndex(i, j)];
        a[(i - 1) * n + j] = packed[packedIndex(i, j)];
      }
  }
}

void Minimization::EHOUSS(double* a, int& n, double* d, double* e) {
  // Rows from the last upwards; row i's part left of the diagonal becomes a Householder vector.
  for (int i = n; i >= 1; --i) {
    const int l = i - 1;
    int iz = i * l / 2;
    double h = 0.0, scale = 0.0;
    bool reflect = false;
    if (l >= 1) {
      for (int k = 1; k <= l; ++k) {
        ++iz;
        d[k] = a[iz];
        scale += std::fabs(d[k]);
      }
      reflect = scale != 0.0;
    }
    if (!reflect) {
      e[i] = 0.0;
    } else {
      for (int k = 1; k <= l; ++k) {
        d[k] /= scale;
        h += d[k] * d[k];
      }
      double f = d[l];
      const double g = -SIGN(std::sqrt(h), f);
      e[i] = scale * g;
      h -= f * g;
      d[l] = f - g;
      a[iz] = scale * d[l];
      if (l > 1) {
        int jk = 1;
        for (int j = 1; j <= l; ++j) {
          f = d[j];
          double gj = 0.0;
          for (int k = 1; k < j; ++k) {
            gj += a[jk] * d[k];
            e[k] += a[jk] * f;
            ++jk;
          }
          e[j] = gj + a[jk] * f;
          ++jk;
        }
        f = 0.0;
        for (int j = 1; j <= l; ++j) {
          e[j] /= h;
          f += e[j] * d[j];
        }
        const double hh = f / (h + h);
        for (int j = 1; j <= l; ++j) e[j] -= hh * d[j];
        jk = 1;
        for (int j = 1; j <= l; ++j) {
          f = d[j];
          const double gj = e[j];
          for (int k = 1; k <= j; ++k) {
            a[jk] = a[jk] - f * e[k] - gj * d[k];
            ++jk;
          }
        }
      }
    }
    d[i] = a[iz + 1];
    a[iz + 1] = scale * std::sqrt(h);
  }
}

void Minimization::EQRT2S(double* d, double* e, int& n, double** z, int& iz, int& ier) {
  ier = 0;
  if (n <= 1) return;
  const bool vectors = z != nullptr && iz >= n;
  for (int i = 2; i <= n; ++i) e[i - 1] = e[i];
  e[n] = 0.0;
  double shift = 0.0, tolerance = 0.0;
  for (int l = 1; l <= n; ++l) {
    int iterations = 0;
    tolerance = std::max(tolerance, kMachineEpsilon * (std::fabs(d[l]) + std::fabs(e[l])));
    for (;;) {
      int m = l;
      while (m < n && std::fabs(e[m]) > tolerance) ++m;
      if (m == l) break;
      if (iterations == 30) {
        ier = 128 + l;
        return;
      }
      ++iterations;
      // Shift from the leading 2 x 2 block.
      const double g = d[l];
      double p = (d[l + 1] - g) / (2.0 * e[l]);
      double r = std::hypot(p, 1.0);
      d[l] = e[l] / (p + SIGN(r, p));
      const double h = g - d[l];
      for (int i = l + 1; i <= n; ++i) d[i] -= h;
      shift += h;
      // QL sweep from the bottom of the block upwards.
      p = d[m];
      double c = 1.0, s = 0.0;
      for (int i = m - 1; i >= l; --i) {
        const double gi = c * e[i];
        const double hi = c * p;
        r = std::hypot(p, e[i]);
        e[i + 1] = s * r;
        s = e[i] / r;
        c = p / r;
        p = c * d[i] - s * gi;
        d[i + 1] = hi + s * (c * gi + s * d[i]);
        if (vectors) {
          for (int k = 1; k <= n; ++k) {
            const double t = z[k][i + 1];
            z[k][i + 1] = s * z[k][i] + c * t;
            z[k][i] = c * z[k][i] - s * t;
          }
        }
      }
      e[l] = s * p;
      d[l] = c * p;
      if (std::fabs(e[l]) <= tolerance) break;
    }
    d[l] += shift;
    e[l] = 0.0;
  }
  // Ascending order by selection of the smallest remaining value.
  for (int i = 1; i < n; ++i) {
    int k = i;
    double p = d[i];
    for (int j = i + 1; j <= n; ++j)
      if (d[j] < p) {
        k = j;
        p = d[j];
      }
    if (k == i) continue;
    d[k] = d[i];
    d[i] = p;
    if (vectors)
      for (int j = 1; j <= n; ++j) std::swap(z[j][i], z[j][k]);
  }
}

void Minimization::EHOBKS(double* a, int& n, int& m1, int& m2, double** z, int& iz) {
  if (n <= 1 || z == nullptr || iz < n) return;
  for (int i = 2; i <= n; ++i) {
    const int l = i - 1;
    const int rowStart = i * l / 2;
    const double h = a[rowStart + i];
    if (h == 0.0) continue;
    for (int j = m1; j <= m2; ++j) {
      double s = 0.0;
      for (int k = 1; k <= l; ++k) s += a[rowStart + k] * z[k][j];
      s = (s / h) / h;   // two divisions keep it from underflowing
      for (int k = 1; k <= l; ++k) z[k][j] -= s * a[rowStart + k];
    }
  }
}
