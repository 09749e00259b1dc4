// The energy terms of the force-field system and their analytical forces (minus the gradient).
// Every difference is formed from the float coordinates and used in double precision.
#include "forcefield/MolecularSystem.h"

#include "math/Constants.h"
#include "math/VectorFunctions.h"

#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

const double kCoulomb = static_cast<double>(332.07159f);   // kcal A / (mol e^2)
const double kDegenerate2 = 1e-10;                         // squared lengths below are zero
const double kUnit3 = 0.5773502691896258;                  // 1 / sqrt(3)
const double kImproperBarrier = 5.0;                        // kcal/mol
const double kCoincidentStep = 0.05773502691896258;         // direction used at r = 0

// Coulomb energy of a pair; coincident atoms count at r = sqrt(0.1) and repel.
inline double coulombEnergy(double qq, double r2) {
  if (r2 >= kDegenerate2) return kCoulomb * qq / std::sqrt(r2);
  return std::fabs(kCoulomb * qq / 0.31622776601683794);
}

struct Vec3 {
  double x, y, z;
};

inline Vec3 difference(const SSEVector4f& a, const SSEVector4f& b) {
  return {static_cast<double>(a.x) - b.x, static_cast<double>(a.y) - b.y,
          static_cast<double>(a.z) - b.z};
}
inline double dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
// The arithmetic of CrossProduct, inlined: it runs twice per torsion term and evaluation.
inline Vec3 cross(const Vec3& a, const Vec3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// Lennard-Jones energy of a pair at squared distance r2, and the factor f with force = f / r2
// times the separation; epsilon is 0 when the two table values have opposite signs.
inline double lennardJones(double epsilonI, double epsilonJ, double rMin, double r2, double* f) {
  const double product = epsilonI * epsilonJ;
  const double epsilon = product > 0.0 ? std::sqrt(product) : 0.0;
  const double q = rMin * rMin / r2;
  const double s6 = q * q * q;
  if (f != nullptr) *f = 12.0 * epsilon * (s6 * s6 - s6);
  return epsilon * (s6 * s6 - 2.0 * s6);
}

}  // namespace

// Calls visit(i, j, oneFour) for every pair of the non-bonded list; 1-4 pairs only when
// with14 is set.
template <class Visit>
void MolecularSystem::forEachPair(bool with14, Visit visit) const {
  for (int i = 0; i < atomCount; ++i)
    for (int p = runStart(pairEnd, i); p <= pairEnd[i]; ++p) {
      const bool oneFour = pairList[p] < 0;
      if (oneFour && !with14) continue;
      visit(i, std::abs(pairList[p]), oneFour);
    }
}

#define KV_ADD_FORCE(atom, s, v)  \
  do {                            \
    forceX[atom] += (s) * (v).x;  \
    forceY[atom] += (s) * (v).y;  \
    forceZ[atom] += (s) * (v).z;  \
  } while (0)

double MolecularSystem::EnergyForce() {
  for (int a = 0; a < atomCount; ++a) forceX[a] = forceY[a] = forceZ[a] = 0.0;
  double energy = 0.0;
  if (electrostaticsEnabled && vanDerWaalsEnabled)
    energy += EFNonBonded();
  else if (electrostaticsEnabled)
    energy += EFelec();
  else if (vanDerWaalsEnabled)
    energy += EFVDW();
  if (bondsEnabled) energy += EFBond();
  if (anglesEnabled) energy += EFAngle();
  if (dihedralsEnabled) energy += EFDihedral();
  if (impropersEnabled) energy += EFImproperDihedral();
  if (dihedralConstraintsEnabled) dihedralConstrains(constrainedDihedrals, constraintTargets);
  return energy;
}

double MolecularSystem::EFelec() {
  double energy = 0.0;
  forEachPair(electrostatics14Enabled, [&](int i, int j, bool oneFour) {
    if (atomFixed[i] && atomFixed[j]) return;
    Vec3 d = difference(coordinates[i], coordinates[j]);
    double r2 = dot(d, d);
    double e = coulombEnergy(charges[i] * charges[j], r2);
    if (r2 < kDegenerate2) {
      d = {kCoincidentStep, kCoincidentStep, kCoincidentStep};
      r2 = 0.1;
    }
    if (oneFour) e *= scale14;
    energy += e;
    const double s = e / r2;
    KV_ADD_FORCE(i, s, d);
    KV_ADD_FORCE(j, -s, d);
  });
  return energy;
}

double MolecularSystem::EFVDW() {
  double energy = 0.0;
  forEachPair(vanDerWaals14Enabled, [&](int i, int j, bool oneFour) {
    if (atomFixed[i] && atomFixed[j]) return;
    Vec3 d = difference(coordinates[i], coordinates[j]);
    double r2 = dot(d, d);
    if (r2 < kDegenerate2) {
      r2 = 1.0;
      d = {kUnit3, kUnit3, kUnit3};
    }
    double f = 0.0;
    double e = lennardJones(vdwEpsilon[i], vdwEpsilon[j], vdwRadius[i] + vdwRadius[j], r2, &f);
    if (oneFour) {
      e *= scale14;
      f *= scale14;
    }
    energy += e;
    const double s = f / r2;
    KV_ADD_FORCE(i, s, d);
    KV_ADD_FORCE(j, -s, d);
  });
  return energy;
}

double MolecularSystem::EFNonBonded() {
  // The same sums as EFelec and EFVDW, in one pass: the pair list is the longest list of the
  // force field, and walking it once, with one reciprocal per pair and the square roots of the
  // well depths taken per atom, is most of the speed of every optimisation.
  std::vector<double> rootEpsilon(atomCount);
  for (int a = 0; a < atomCount; ++a) rootEpsilon[a] = std::sqrt(std::fabs(vdwEpsilon[a]));
  double electrostatic = 0.0;
  double vanDerWaals = 0.0;
  for (int i = 0; i < atomCount; ++i) {
    const double qi = kCoulomb * charges[i];
    const double epsilonI = vdwEpsilon[i];
    const double rootI = rootEpsilon[i];
    const double radiusI = vdwRadius[i];
    const bool fixedI = atomFixed[i];
    for (int p = runStart(pairEnd, i); p <= pairEnd[i]; ++p) {
      const bool oneFour = pairList[p] < 0;
      const int j = oneFour ? -pairList[p] : pairList[p];
      if (fixedI && atomFixed[j]) continue;
      const bool withElec = !oneFour || electrostatics14Enabled;
      const bool withVdw = !oneFour || vanDerWaals14Enabled;
      const Vec3 d = difference(coordinates[i], coordinates[j]);
      const double r2 = dot(d, d);
      if (r2 < kDegenerate2) {
        // Coincident atoms: the terms' own guarded forms.
        if (withElec) {
          double e = coulombEnergy(charges[i] * charges[j], r2);
          if (oneFour) e *= scale14;
          electrostatic += e;
          const Vec3 u = {kCoincidentStep, kCoincidentStep, kCoincidentStep};
          KV_ADD_FORCE(i, e / 0.1, u);
          KV_ADD_FORCE(j, -e / 0.1, u);
        }
        if (withVdw) {
          double f = 0.0;
          double e = lennardJones(epsilonI, vdwEpsilon[j], radiusI + vdwRadius[j], 1.0, &f);
          if (oneFour) {
            e *= scale14;
            f *= scale14;
          }
          vanDerWaals += e;
          const Vec3 u = {kUnit3, kUnit3, kUnit3};
          KV_ADD_FORCE(i, f, u);
          KV_ADD_FORCE(j, -f, u);
        }
        continue;
      }
      const double inverse2 = 1.0 / r2;
      const double scale = oneFour ? scale14 : 1.0;
      double s = 0.0;   // force on i along d, over r2
      if (withElec) {
        const double e = scale * qi * charges[j] * std::sqrt(inverse2);
        electrostatic += e;
        s += e;
      }
      // The well depth is the geometric mean of the two, 0 when their signs differ.
      if (withVdw && epsilonI * vdwEpsilon[j] > 0.0) {
        const double epsilon = scale * rootI * rootEpsilon[j];
        const double rMin = radiusI + vdwRadius[j];
        const double q = rMin * rMin * inverse2;
        const double s6 = q * q * q;
        vanDerWaals += epsilon * (s6 * s6 - 2.0 * s6);
        s += 12.0 * epsilon * (s6 * s6 - s6);
      }
      s *= inverse2;
      KV_ADD_FORCE(i, s, d);
      KV_ADD_FORCE(j, -s, d);
    }
  }
  return electrostatic + vanDerWaals;
}

double MolecularSystem::EFBond() {
  double energy = 0.0;
  for (int b = 0; b < bondCount; ++b) {
    const int a1 = bondAtom1[b];
    const int a2 = bondAtom2[b];
    if (atomFixed[a1] && atomFixed[a2]) continue;
    Vec3 d = difference(coordinates[a1], coordinates[a2]);
    double r2 = dot(d, d);
    if (r2 < kDegenerate2) {
      d = {kUnit3, kUnit3, kUnit3};
      r2 = 1.0;
    }
    const double r = std::sqrt(r2);
    const double delta = r - bondLength[b];
    const double k = bondForceConstant[b];
    energy += k * delta * delta;
    const double g = 2.0 * k * delta / r;
    KV_ADD_FORCE(a1, -g, d);
    KV_ADD_FORCE(a2, g, d);
  }
  return energy;
}

double MolecularSystem::EFAngle() {
  double energy = 0.0;
  for (int t = 0; t < angleCount; ++t) {
    const int i = angleAtom1[t];
    const int j = angleCentre[t];
    const int k = angleAtom3[t];
    if (atomFixed[i] && atomFixed[j] && atomFixed[k]) continue;
    auto guarded = [](Vec3 d, double& r2) {
      r2 = dot(d, d);
      if (r2 < kDegenerate2) {
        r2 = 1.0;
        d = {kUnit3, kUnit3, kUnit3};
      }
      return d;
    };
    double rij2, rik2, rjk2;
    const Vec3 dij = guarded(difference(coordinates[i], coordinates[j]), rij2);
    const Vec3 dik = guarded(difference(coordinates[i], coordinates[k]), rik2);
    const Vec3 djk = guarded(difference(coordinates[j], coordinates[k]), rjk2);
    const double rij = std::sqrt(rij2);
    const double rjk = std::sqrt(rjk2);
    const double rik = std::sqrt(rik2);

    const double theta0 = angleReference[t];
    const double theta2 = angleReference2[t];
    const double theta3 = angleReference3[t];
    double cosTheta = (rjk2 + rij2 - rik2) / (2.0 * rij * rjk);
    double sinTheta = std::sqrt(std::fmax(0.0, 1.0 - cosTheta * cosTheta));
    bool bendForces = true;
    if (std::fabs(cosTheta) > 1.0 || sinTheta < 1e-10) {
      // Near-linear: an angle meant to be linear is satisfied; another one is pushed off the
      // line with a bounded sine instead of dividing by zero.
      if (std::fabs(theta0 - kPiWidened) < 1e-10 || std::fabs(theta2 - kPiWidened) < 1e-10 ||
          std::fabs(theta3 - kPiWidened) < 1e-10) {
        bendForces = false;
      } else {
        cosTheta = cosTheta > 0.0 ? 1.0 : -1.0;
        sinTheta = 1e-10;
      }
    }
    const double kTheta = angleForceConstant[t];
    if (bendForces) {
      const double theta = std::acos(std::fmax(-1.0, std::fmin(1.0, cosTheta)));
      double delta = theta - theta0;
      if (theta2 > 0.0 && std::fabs(theta - theta2) < std::fabs(delta)) delta = theta - theta2;
      if (theta3 > 0.0 && std::fabs(theta - theta3) < std::fabs(delta)) delta = theta - theta3;
      energy += kTheta * delta * delta;
      if (kTheta != 0.0 && delta != 0.0) {
        const double P = 2.0 * kTheta * delta / sinTheta;
        const double inv = 1.0 / (rij * rjk);
        const double ci = inv - cosTheta / rij2;
        const double ck = inv - cosTheta / rjk2;
        const Vec3 gi = {dij.x * ci - dik.x * inv, dij.y * ci - dik.y * inv,
                         dij.z * ci - dik.z * inv};
        const Vec3 gk = {dik.x * inv - djk.x * ck, dik.y * inv - djk.y * ck,
                         dik.z * inv - djk.z * ck};
        KV_ADD_FORCE(i, P, gi);
        KV_ADD_FORCE(k, P, gk);
        KV_ADD_FORCE(j, -P, gi);
        KV_ADD_FORCE(j, -P, gk);
      }
    }
    if (ureyBradleyEnabled && ureyBradleyForceConstant[t] != 0.0) {
      const double kUB = ureyBradleyForceConstant[t];
      const double deltaUB = rik - ureyBradleyLength[t];
      energy += kUB * deltaUB * deltaUB;
      const double g = 2.0 * kUB * deltaUB / rik;
      KV_ADD_FORCE(i, -g, dik);
      KV_ADD_FORCE(k, g, dik);
    }
  }
  return energy;
}

double MolecularSystem::torsionTerm(int i, int j, int k, int l, double n, double delta,
                                    double K, bool addForces) {
  const Vec3 b1 = difference(coordinates[i], coordinates[j]);
  const Vec3 b2 = difference(coordinates[j], coordinates[k]);
  const Vec3 b3 = difference(coordinates[l], coordinates[k]);
  const Vec3 A = cross(b1, b2);
  const Vec3 B = cross(b3, b2);
  const double A2 = dot(A, A);
  const double B2 = dot(B, B);
  if (A2 < kDegenerate2 || B2 < kDegenerate2) return 0.0;
  const double G = std::sqrt(dot(b2, b2));
  const double cosPhi = dot(A, B) / std::sqrt(A2 * B2);
  const bool negative = dot(A, b3) < 0.0;

  // cos(n phi - delta) and sin(n phi - delta). For the whole periodicities of the tables they
  // follow from cos phi and sin phi by repeated rotation, without the inverse cosine; phi is
  // the signed angle whose cosine is cosPhi.
  double cosX;
  double sinX;
  const int whole = static_cast<int>(n);
  if (static_cast<double>(whole) == n && whole >= 0 && whole <= 6) {
    const double c = std::fmax(-1.0, std::fmin(1.0, cosPhi));
    double sPhi = std::sqrt(std::fmax(0.0, 1.0 - c * c));
    if (negative) sPhi = -sPhi;
    double cosN = 1.0;
    double sinN = 0.0;
    for (int m = 0; m < whole; ++m) {
      const double nextCos = cosN * c - sinN * sPhi;
      sinN = sinN * c + cosN * sPhi;
      cosN = nextCos;
    }
    if (delta == 0.0) {
      cosX = cosN;
      sinX = sinN;
    } else {
      // The tables hold few phases (0 and 180 degrees), so the last one's cosine and sine are
      // kept: every evaluation would otherwise take them again for every torsion.
      static thread_local double lastDelta = 0.0, cosLast = 1.0, sinLast = 0.0;
      if (delta != lastDelta) {
        lastDelta = delta;
        cosLast = std::cos(delta);
        sinLast = std::sin(delta);
      }
      const double cosDelta = cosLast;
      const double sinDelta = sinLast;
      cosX = cosN * cosDelta + sinN * sinDelta;
      sinX = sinN * cosDelta - cosN * sinDelta;
    }
  } else {
    double phi = std::fabs(cosPhi) < 1.0 ? std::acos(cosPhi) : (cosPhi > 0.0 ? 0.0 : kPiWidened);
    if (negative) phi = -phi;
    const double x = n * phi - delta;
    cosX = std::cos(x);
    sinX = std::sin(x);
  }
  const double energy = K * (1.0 + cosX);
  if (!addForces || K == 0.0) return energy;

  const double P = n * K * sinX;
  const double sA = P * G / A2;
  const double sB = P * G / B2;
  const double qA = P * dot(b2, b1) / (A2 * G);
  const double qB = P * dot(b2, b3) / (B2 * G);
  const Vec3 Q = {qA * A.x - qB * B.x, qA * A.y - qB * B.y, qA * A.z - qB * B.z};
  KV_ADD_FORCE(i, -sA, A);
  KV_ADD_FORCE(l, sB, B);
  KV_ADD_FORCE(j, sA, A);
  KV_ADD_FORCE(j, 1.0, Q);
  KV_ADD_FORCE(k, -sB, B);
  KV_ADD_FORCE(k, -1.0, Q);
  return energy;
}

double MolecularSystem::EFDihedral() {
  double energy = 0.0;
  for (int d = 0; d < dihedralCount; ++d) {
    const int i = dihedralAtom1[d], j = dihedralAtom2[d], k = dihedralAtom3[d],
              l = dihedralAtom4[d];
    if (atomFixed[i] && atomFixed[j] && atomFixed[k] && atomFixed[l]) continue;
    energy += torsionTerm(i, j, k, l, dihedralPeriodicity[d], dihedralPhase[d],
                          dihedralBarrier[d], true);
  }
  return energy;
}

double MolecularSystem::EFImproperDihedral() {
  double energy = 0.0;
  for (int m = 0; m < improperCount; ++m) {
    const int i = improperAtom1[m], j = improperAtom2[m], k = improperAtom3[m],
              l = improperAtom4[m];
    if (atomFixed[i] && atomFixed[j] && atomFixed[k] && atomFixed[l]) continue;
    energy += torsionTerm(i, j, k, l, 1.0, 0.0, kImproperBarrier, true);
  }
  return energy;
}

double MolecularSystem::Eelec() const {
  double energy = 0.0;
  forEachPair(electrostatics14Enabled, [&](int i, int j, bool oneFour) {
    const Vec3 d = difference(coordinates[i], coordinates[j]);
    const double e = coulombEnergy(charges[i] * charges[j], dot(d, d));
    energy += oneFour ? e * scale14 : e;
  });
  return energy;
}

double MolecularSystem::EVDW() const {
  double energy = 0.0;
  forEachPair(vanDerWaals14Enabled, [&](int i, int j, bool oneFour) {
    const Vec3 d = difference(coordinates[i], coordinates[j]);
    double r2 = dot(d, d);
    if (r2 < kDegenerate2) r2 = 1.0;   // as EFVDW: coincident atoms stay finite
    const double e =
        lennardJones(vdwEpsilon[i], vdwEpsilon[j], vdwRadius[i] + vdwRadius[j], r2, nullptr);
    energy += oneFour ? e * scale14 : e;
  });
  return energy;
}

double MolecularSystem::NonBondedEnergy() {
  double energy = 0.0;
  if (electrostaticsEnabled) energy += Eelec();
  if (vanDerWaalsEnabled) energy += EVDW();
  if (dihedralsEnabled) energy += EFDihedral();
  return energy;
}

double MolecularSystem::EelecEX14() const {
  double energy = 0.0;
  forEachPair(false, [&](int i, int j, bool) {
    const Vec3 d = difference(coordinates[i], coordinates[j]);
    energy += coulombEnergy(charges[i] * charges[j], dot(d, d));
  });
  return energy;
}

double MolecularSystem::EDihedral() const {
  // torsionTerm only writes forces when asked to, so the const cast does not change state.
  MolecularSystem* self = const_cast<MolecularSystem*>(this);
  double energy = 0.0;
  for (int d = 0; d < dihedralCount; ++d)
    energy += self->torsionTerm(dihedralAtom1[d], dihedralAtom2[d], dihedralAtom3[d],
                                dihedralAtom4[d], dihedralPeriodicity[d], dihedralPhase[d],
                                dihedralBarrier[d], false);
  return energy;
}

#undef KV_ADD_FORCE
