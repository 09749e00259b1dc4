// Rigid groups turning about bonds: marking one side of a bond, rotating it, the rotation matrix
// of a bond axis with its derivative, the torque about every torsion axis, and the projection
// that holds chosen dihedrals while the rest relaxes. Angles at these interfaces are degrees.
#include "forcefield/MolecularSystem.h"

#include "math/Constants.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Unit axis from atom a to atom b; false when the two atoms coincide.
bool unitAxis(const SSEVector4f& a, const SSEVector4f& b, double u[3]) {
  u[0] = static_cast<double>(b.x) - a.x;
  u[1] = static_cast<double>(b.y) - a.y;
  u[2] = static_cast<double>(b.z) - a.z;
  const double length = std::sqrt(u[0] * u[0] + u[1] * u[1] + u[2] * u[2]);
  if (length < 1e-10) return false;
  for (int c = 0; c < 3; ++c) u[c] /= length;
  return true;
}

// R = cos t I + sin t [u]x + (1 - cos t) u u^T and dR/dt = -sin t (I - u u^T) + cos t [u]x.
void axisRotation(const double u[3], double theta, double R[3][3], double dR[3][3]) {
  const double c = std::cos(theta);
  const double s = std::sin(theta);
  const double cross[3][3] = {{0.0, -u[2], u[1]}, {u[2], 0.0, -u[0]}, {-u[1], u[0], 0.0}};
  for (int r = 0; r < 3; ++r)
    for (int k = 0; k < 3; ++k) {
      const double identity = r == k ? 1.0 : 0.0;
      const double outer = u[r] * u[k];
      R[r][k] = c * identity + s * cross[r][k] + (1.0 - c) * outer;
      dR[r][k] = -s * (identity - outer) + c * cross[r][k];
    }
}

}  // namespace

void MolecularSystem::MolecularPartition(int atom, int from, int* flags) const {
  if (!flags || atom < 0 || atom >= atomCount) return;
  // The depth-first walk with an explicit stack, in the order of the recursive walk: a
  // neighbour is marked and entered before the next neighbour of the same atom is looked at.
  struct Frame {
    int atom, from, next;
  };
  std::vector<Frame> stack;
  stack.push_back({atom, from, runStart(neighbourEnd, atom)});
  while (!stack.empty()) {
    Frame& top = stack.back();
    if (top.next > neighbourEnd[top.atom]) {
      stack.pop_back();
      continue;
    }
    const int n = neighbours[top.next++];
    if (n == top.from || flags[n] == 1) continue;
    flags[n] = 1;
    const int parent = top.atom;   // top may move when the stack grows
    stack.push_back({n, parent, runStart(neighbourEnd, n)});
  }
}

void MolecularSystem::RotateGroup(int a, int b, int* flags, double angle) {
  if (!flags || a < 0 || b < 0 || a >= atomCount || b >= atomCount) return;
  double u[3];
  if (!unitAxis(coordinates[a], coordinates[b], u)) return;   // no axis to turn about
  double R[3][3], dR[3][3];
  axisRotation(u, kPiWidened * angle / 180.0, R, dR);
  const SSEVector4f origin = coordinates[a];
  for (int i = 0; i < atomCount; ++i) {
    if (flags[i] != 1) continue;
    SSEVector4f& p = coordinates[i];
    p.x -= origin.x;
    p.y -= origin.y;
    p.z -= origin.z;
    const double v[3] = {p.x, p.y, p.z};
    p.x = static_cast<float>(R[0][0] * v[0] + R[0][1] * v[1] + R[0][2] * v[2]);
    p.y = static_cast<float>(R[1][0] * v[0] + R[1][1] * v[1] + R[1][2] * v[2]);
    p.z = static_cast<float>(R[2][0] * v[0] + R[2][1] * v[1] + R[2][2] * v[2]);
    p.x += origin.x;
    p.y += origin.y;
    p.z += origin.z;
  }
}

void MolecularSystem::RotationMatrix(int a, int b, double angle, double** R, double** dR) const {
  if (!R || !dR) return;
  double u[3] = {0.0, 0.0, 0.0};
  const bool valid = a >= 0 && b >= 0 && a < atomCount && b < atomCount &&
                     unitAxis(coordinates[a], coordinates[b], u);
  double rotation[3][3], derivative[3][3];
  axisRotation(u, valid ? kPiWidened * angle / 180.0 : 0.0, rotation, derivative);
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) {
      R[r][c] = rotation[r][c];
      // Without an axis nothing turns: R stays the identity and its derivative is zero.
      dR[r][c] = valid ? derivative[r][c] : 0.0;
    }
}

void MolecularSystem::DihedralGradient() {
  if (torsionAxisCount < 1) return;
  std::vector<int> flags(atomCount, 0);
  double rows[2][3][3];
  double* R[3] = {rows[0][0], rows[0][1], rows[0][2]};
  double* dR[3] = {rows[1][0], rows[1][1], rows[1][2]};
  for (int t = 0; t < torsionAxisCount; ++t) {
    const int j = torsionAxisAtom1[t];
    const int k = torsionAxisAtom2[t];
    std::fill(flags.begin(), flags.end(), 0);
    MolecularPartition(j, k, flags.data());
    RotationMatrix(j, k, 0.0, R, dR);
    double torque = 0.0;
    for (int i = 0; i < atomCount; ++i) {
      if (flags[i] != 1) continue;
      const double v[3] = {static_cast<double>(coordinates[i].x) - coordinates[k].x,
                           static_cast<double>(coordinates[i].y) - coordinates[k].y,
                           static_cast<double>(coordinates[i].z) - coordinates[k].z};
      const double f[3] = {forceX[i], forceY[i], forceZ[i]};
      for (int r = 0; r < 3; ++r)
        torque += f[r] * (dR[r][0] * v[0] + dR[r][1] * v[1] + dR[r][2] * v[2]);
    }
    torsionAxisGradient[t] = torque;
  }
}

void MolecularSystem::dihedralConstrains(std::vector<int>& dihedrals, std::vector<float>& targets) {
  // The targets are not read: each dihedral is held where it stands when the relaxation starts.
  (void)targets;
  auto position = [this](int a) {
    return SSEVector4f(coordinates[a].x, coordinates[a].y, coordinates[a].z, 0.0f);
  };
  auto force = [this](int a) {
    return SSEVector4f(static_cast<float>(forceX[a]), static_cast<float>(forceY[a]),
                       static_cast<float>(forceZ[a]), 0.0f);
  };
  auto store = [this](int a, const SSEVector4f& f) {
    forceX[a] = f.x;
    forceY[a] = f.y;
    forceZ[a] = f.z;
  };
  auto unit = [](SSEVector4f v) {
    v.w = 0.0f;
    v.normalize();
    return v;
  };
  for (int d : dihedrals) {
    if (d < 0 || d >= dihedralCount) continue;
    const int i = dihedralAtom1[d], j = dihedralAtom2[d], k = dihedralAtom3[d],
              l = dihedralAtom4[d];
    SSEVector4f b1 = position(i) - position(j);
    SSEVector4f b2 = position(k) - position(j);
    SSEVector4f b3 = position(l) - position(k);
    const SSEVector4f n1 = unit(b1 % b2);
    const SSEVector4f n2 = unit(b2 % b3);
    b1 = unit(b1);
    b2 = unit(b2);
    b3 = unit(b3);
    const SSEVector4f m1 = unit(b1 % n1);
    const SSEVector4f m2 = unit(b3 % n2);

    const SSEVector4f fi = force(i), fj = force(j), fk = force(k), fl = force(l);
    store(i, m1 * m1.dot(fi) + b1 * b1.dot(fi));
    store(j, b2 * b2.dot(fj));
    store(k, b2 * b2.dot(fk));
    store(l, m2 * m2.dot(fl) + b3 * b3.dot(fl));
  }
}

int MolecularSystem::FindConnect(int atom) const {
  if (atom < 0 || atom >= atomCount) return atomCount + 1;
  int lower = 0, higher = 0, lowerAtom = -1, higherAtom = -1;
  for (int p = runStart(neighbourEnd, atom); p <= neighbourEnd[atom]; ++p) {
    if (neighbours[p] < atom) {
      ++lower;
      lowerAtom = neighbours[p];
    } else {
      ++higher;
      higherAtom = neighbours[p];
    }
  }
  if (lower == 1) return lowerAtom;
  if (higher == 1) return higherAtom;
  return atomCount + 1;
}
