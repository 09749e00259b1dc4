#include "math/VectorFunctions.h"

#include <cctype>

void Vect::project(const Vect& u) {
  const double lengthSquared = x * x + y * y + z * z;
  if (lengthSquared == 0.0) {
    x = y = z = 0.0;
    return;
  }
  const double scale = (x * u.x + y * u.y + z * u.z) / lengthSquared;
  x *= scale;
  y *= scale;
  z *= scale;
}

double* CrossProduct(double* a, double* b, double* out) {
  if (!a || !b || !out) return a;
  const double x = a[1] * b[2] - a[2] * b[1];
  const double y = a[2] * b[0] - a[0] * b[2];
  const double z = a[0] * b[1] - a[1] * b[0];
  out[0] = x;   // written last so that out may alias a or b
  out[1] = y;
  out[2] = z;
  return a;
}

void CopyVector(double** src, double** dst, int n, int m) {
  if (!src || !dst) return;
  for (int i = 0; i < n; ++i) {
    if (!src[i] || !dst[i]) continue;
    for (int j = 1; j <= m; ++j) dst[i][j] = src[i][j];
  }
}

std::string UppercaseString(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}
