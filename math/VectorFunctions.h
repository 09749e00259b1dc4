#pragma once

#include <string>

// Small double-precision helpers. A 3-vector is an array of three doubles; a 2-D array is an
// array of row pointers whose columns are indexed from 1.

// Three doubles; project() keeps the direction of this vector.
struct Vect {
  double x, y, z;

  Vect(double x_ = 0.0, double y_ = 0.0, double z_ = 0.0) : x(x_), y(y_), z(z_) {}

  // this := ((this . u) / (this . this)) * this; a zero vector stays zero.
  void project(const Vect& u);
};

// out := a x b; returns a. Null arguments are left alone.
double* CrossProduct(double* a, double* b, double* out);

// dst[i][j] := src[i][j] for rows 0..n-1 and columns 1..m; column 0 is never touched.
void CopyVector(double** src, double** dst, int n, int m);

// The string with every character passed through toupper.
std::string UppercaseString(std::string text);
