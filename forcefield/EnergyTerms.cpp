// The energy terms of the force-field system and their analytical forces (minus the gradient).
// Every difference is formed from the float coordinates and used in double precision.
#include "forcefield/MolecularSystem.h"

#include "forcefield/SameNumbers.h"
#include "math/Constants.h"
#include "math/VectorFunctions.h"

#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

const double kCoulomb = static_cast<double>(332.07159f);   // kcal A / (mol e^2)
const double kDegenerate2 = 1e-10;                         // squared lengths below are zero
const double kUnit3 = 0.5773502691896258;                  // 1 / sqrt(3)
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
// The same arithmetic as CrossProduct (math/VectorFunctions.h), inline: the torsion terms run
// it twice per dihedral and step.
inline Vec3 cross(const Vec3& a, const Vec3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// A unit vector at right angles to d: d crossed with the axis d is least along.
inline Vec3 acrossLine(const Vec3& d) {
  const double ax = std::fabs(d.x), ay = std::fabs(d.y), az = std::fabs(d.z);
  const Vec3 axis = ax <= ay && ax <= az ? Vec3{1.0, 0.0, 0.0}
                    : ay <= az           ? Vec3{0.0, 1.0, 0.0}
                                         : Vec3{0.0, 0.0, 1.0};
  const Vec3 c = cross(d, axis);
  const double length = std::sqrt(dot(c, c));
  if (length < 1e-300) return {0.0, 0.0, 0.0};
  return {c.x / length, c.y / length, c.z / length};
}

// Lennard-Jones energy of a pair at squared distance r2, and the factor f with force = f / r2
// times the separation; rootI and rootJ are the signed square roots of the two table values,
// so epsilon is 0 when those have opposite signs.
inline double lennardJones(double rootI, double rootJ, double rMin, double r2, double* f) {
  const double product = rootI * rootJ;
  const double epsilon = product > 0.0 ? product : 0.0;
  const double q = rMin * rMin / r2;
  const double s6 = q * q * q;
  if (f != nullptr) *f = 12.0 * epsilon * (s6 * s6 - s6);
  return epsilon * (s6 * s6 - 2.0 * s6);
}

}  // namespace

// Calls visit(i, j, oneFour, p) for every entry p of the non-bonded list; 1-4 pairs only when
// with14 is set.
template <class Visit>
void MolecularSystem::forEachPair(bool with14, Visit visit) const {
  for (int i = 0; i < atomCount; ++i)
    for (int p = runStart(pairEnd, i); p <= pairEnd[i]; ++p) {
      const bool oneFour = pairList[p] < 0;
      if (oneFour && !with14) continue;
      visit(i, std::abs(pairList[p]), oneFour, p);
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
  if (electrostaticsEnabled && vanDerWaalsEnabled) {
    // One walk over the pair list for both pair terms; the energies are summed apart and added
    // in the order of the two terms.
    double electrostatic = 0.0, vanDerWaals = 0.0;
    EFPairs(electrostatic, vanDerWaals);
    energy += electrostatic;
    energy += vanDerWaals;
  } else {
    if (electrostaticsEnabled) energy += EFelec();
    if (vanDerWaalsEnabled) energy += EFVDW();
  }
  if (bondsEnabled) energy += EFBond();
  if (anglesEnabled) energy += EFAngle();
  // The torsion list is checked once for both torsion terms.
  if (dihedralsEnabled || impropersEnabled) refreshTorsionList();
  if (dihedralsEnabled) energy += torsionForces(0, improperStart);
  if (impropersEnabled) energy += torsionForces(improperStart, torsionEntries.size());
  if (dihedralConstraintsEnabled) dihedralConstrains(constrainedDihedrals, constraintTargets);
  return energy;
}

double MolecularSystem::EFelec() {
  double energy = 0.0;
  forEachPair(electrostatics14Enabled, [&](int i, int j, bool oneFour, int) {
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

bool MolecularSystem::pairTermsCurrent() const {
  const PairTermInputs& in = pairTermInputs;
  const auto same = sameNumbers<double>;
  return in.made && in.scale14 == scale14 && in.ringContactScale == ringContactScale &&
         in.electrostatics14 == electrostatics14Enabled &&
         in.vanDerWaals14 == vanDerWaals14Enabled &&
         in.pairEnd.size() == static_cast<size_t>(atomCount) && in.pairList == pairList &&
         in.pairEnd == pairEnd && in.ringContact == ringContact && in.atomFixed == atomFixed &&
         same(in.charges, charges) && same(in.vdwEpsilon, vdwEpsilon) &&
         same(in.vdwRadius, vdwRadius);
}

void MolecularSystem::makePairTerms() {
  refreshVdwRoots();
  pairTerms.clear();
  pairTermEnd.assign(static_cast<size_t>(atomCount), 0);
  for (int i = 0; i < atomCount; ++i) {
    const double qi = kCoulomb * charges[i];
    for (int p = runStart(pairEnd, i); p <= pairEnd[i]; ++p) {
      const bool oneFour = pairList[p] < 0;
      const int j = std::abs(pairList[p]);
      if (atomFixed[i] && atomFixed[j]) continue;
      PairTerm term;
      term.j = j;
      term.p = p;
      term.electric = !oneFour || electrostatics14Enabled;
      term.dispersive = !oneFour || vanDerWaals14Enabled;
      const double scale = oneFour ? scale14 : 1.0;
      const double vdwScale = vdwScaleOf(p);
      term.charge = scale * qi * charges[j];
      const double product = vdwRoot[i] * vdwRoot[j];
      const double epsilon = product > 0.0 ? product : 0.0;
      const double rMin = vdwRadius[i] + vdwRadius[j];
      term.rMin2 = rMin * rMin;
      term.well = vdwScale * epsilon;
      term.well12 = vdwScale * 12.0 * epsilon;
      pairTerms.push_back(term);
    }
    pairTermEnd[static_cast<size_t>(i)] = static_cast<int>(pairTerms.size());
  }
  PairTermInputs& in = pairTermInputs;
  in.charges = charges;
  in.vdwEpsilon = vdwEpsilon;
  in.vdwRadius = vdwRadius;
  in.atomFixed = atomFixed;
  in.pairList = pairList;
  in.pairEnd = pairEnd;
  in.ringContact = ringContact;
  in.scale14 = scale14;
  in.ringContactScale = ringContactScale;
  in.electrostatics14 = electrostatics14Enabled;
  in.vanDerWaals14 = vanDerWaals14Enabled;
  in.made = true;
  ++pairTermBuilds;
}

void MolecularSystem::EFPairs(double& electrostatic, double& vanDerWaals) {
  // The parameters of a pair are products of its atoms' values, formed once for as long as the
  // pair list and the values stay (the same products in the same order, so the same numbers).
  if (!pairTermsCurrent()) makePairTerms();
  const PairTerm* terms = pairTerms.data();
  int first = 0;
  for (int i = 0; i < atomCount; ++i) {
    // Atom i's own force is summed here and added once.
    const SSEVector4f ri = coordinates[i];
    const int last = pairTermEnd[static_cast<size_t>(i)];
    double fx = 0.0, fy = 0.0, fz = 0.0;
    for (int t = first; t < last; ++t) {
      const PairTerm& term = terms[t];
      const int j = term.j;
      const Vec3 d = difference(ri, coordinates[j]);
      const double r2 = dot(d, d);
      if (r2 < kDegenerate2) {
        // Coincident atoms, each term with its own stand-in distance and direction.
        const double scale = pairList[term.p] < 0 ? scale14 : 1.0;
        const double vdwScale = vdwScaleOf(term.p);
        if (term.electric) {
          const double e = scale * coulombEnergy(charges[i] * charges[j], r2);
          electrostatic += e;
          const Vec3 de = {kCoincidentStep, kCoincidentStep, kCoincidentStep};
          KV_ADD_FORCE(i, e / 0.1, de);
          KV_ADD_FORCE(j, -e / 0.1, de);
        }
        if (term.dispersive) {
          double f = 0.0;
          const double e = vdwScale * lennardJones(vdwRoot[i], vdwRoot[j],
                                                   vdwRadius[i] + vdwRadius[j], 1.0, &f);
          vanDerWaals += e;
          const Vec3 dv = {kUnit3, kUnit3, kUnit3};
          KV_ADD_FORCE(i, vdwScale * f, dv);
          KV_ADD_FORCE(j, -vdwScale * f, dv);
        }
        continue;
      }
      const double inverse = 1.0 / std::sqrt(r2);
      const double inverse2 = inverse * inverse;
      double s = 0.0;
      if (term.electric) {
        const double e = term.charge * inverse;
        electrostatic += e;
        s += e * inverse2;
      }
      if (term.dispersive) {
        const double q = term.rMin2 * inverse2;
        const double s6 = q * q * q;
        vanDerWaals += term.well * (s6 * s6 - 2.0 * s6);
        s += term.well12 * (s6 * s6 - s6) * inverse2;
      }
      fx += s * d.x;
      fy += s * d.y;
      fz += s * d.z;
      KV_ADD_FORCE(j, -s, d);
    }
    first = last;
    forceX[i] += fx;
    forceY[i] += fy;
    forceZ[i] += fz;
  }
}

void MolecularSystem::refreshVdwRoots() const {
  vdwRoot.resize(static_cast<size_t>(atomCount));
  for (int a = 0; a < atomCount; ++a) {
    const double root = std::sqrt(std::fabs(vdwEpsilon[a]));
    vdwRoot[a] = vdwEpsilon[a] < 0.0 ? -root : root;
  }
}

double MolecularSystem::EFVDW() {
  double energy = 0.0;
  refreshVdwRoots();
  forEachPair(vanDerWaals14Enabled, [&](int i, int j, bool, int p) {
    if (atomFixed[i] && atomFixed[j]) return;
    Vec3 d = difference(coordinates[i], coordinates[j]);
    double r2 = dot(d, d);
    if (r2 < kDegenerate2) {
      r2 = 1.0;
      d = {kUnit3, kUnit3, kUnit3};
    }
    double f = 0.0;
    double e = lennardJones(vdwRoot[i], vdwRoot[j], vdwRadius[i] + vdwRadius[j], r2, &f);
    const double scale = vdwScaleOf(p);
    e *= scale;
    f *= scale;
    energy += e;
    const double s = f / r2;
    KV_ADD_FORCE(i, s, d);
    KV_ADD_FORCE(j, -s, d);
  });
  return energy;
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
    // The clamps are comparisons (as std::fmax and std::fmin, a NaN gives the bound): the
    // library calls cost as much as the rest of the angle's arithmetic.
    const double sin2 = 1.0 - cosTheta * cosTheta;
    double sinTheta = std::sqrt(sin2 > 0.0 ? sin2 : 0.0);
    double kTheta = angleForceConstant[t];
    bool onLine = false;
    if (std::fabs(cosTheta) > 1.0 || sinTheta < 1e-10) {
      // On the line: an angle meant to be straight is satisfied and its bend adds nothing;
      // another one is pushed off the line (below). The 1-3 distance term is smooth through
      // the line and stays: dropped there alone, it made the energy of a straight chain jump
      // as rounding put its atoms on and off the line, and butadiyne wandered for 500 steps
      // without converging.
      if (std::fabs(theta0 - kPiWidened) < 1e-10 || std::fabs(theta2 - kPiWidened) < 1e-10 ||
          std::fabs(theta3 - kPiWidened) < 1e-10)
        kTheta = 0.0;
      cosTheta = cosTheta > 0.0 ? 1.0 : -1.0;
      sinTheta = 1e-10;
      onLine = true;
    }
    const double theta =
        std::acos(cosTheta < 1.0 ? (cosTheta > -1.0 ? cosTheta : -1.0) : 1.0);
    double delta = theta - theta0;
    double oneThree = ureyBradleyLength[t];
    if (theta2 > 0.0 && std::fabs(theta - theta2) < std::fabs(delta)) {
      delta = theta - theta2;
      oneThree = ureyBradleyLength2[t];
    }
    if (theta3 > 0.0 && std::fabs(theta - theta3) < std::fabs(delta)) {
      delta = theta - theta3;
      oneThree = ureyBradleyLength3[t];
    }
    energy += kTheta * delta * delta;
    if (onLine && kTheta != 0.0 && delta != 0.0) {
      // The line is a ridge of a bent angle's energy: the angle closes whichever way the ends
      // move across it. Both ends are pushed the same way, at right angles to the line, by the
      // slope 2 k |delta| / r that every such move meets; the usual formula divided rounding
      // noise by the bounded sine and pushed along the line.
      const Vec3 side = acrossLine(dij);
      const double slope = 2.0 * kTheta * std::fabs(delta);
      KV_ADD_FORCE(i, slope / rij, side);
      KV_ADD_FORCE(k, slope / rjk, side);
      KV_ADD_FORCE(j, -slope / rij - slope / rjk, side);
    } else if (kTheta != 0.0 && delta != 0.0) {
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
    if (ureyBradleyEnabled && ureyBradleyForceConstant[t] != 0.0) {
      const double kUB = ureyBradleyForceConstant[t];
      const double deltaUB = rik - oneThree;
      energy += kUB * deltaUB * deltaUB;
      const double g = 2.0 * kUB * deltaUB / rik;
      KV_ADD_FORCE(i, -g, dik);
      KV_ADD_FORCE(k, g, dik);
    }
  }
  return energy;
}

namespace {

// cos and sin of n phi for a whole n from 1 to 6 (given as whole) by the angle-sum recurrence,
// else through the angle itself.
inline void multipleAngle(double n, int whole, double c, double s, double& cn, double& sn) {
  if (whole != 0) {
    cn = c;
    sn = s;
    for (int m = 1; m < whole; ++m) {
      const double next = cn * c - sn * s;
      sn = sn * c + cn * s;
      cn = next;
    }
    return;
  }
  const double phi = std::atan2(s, c);
  cn = std::cos(n * phi);
  sn = std::sin(n * phi);
}

// A torsion's angle phi is that between the planes i-j-k and j-k-l; as either plane's angle
// opens to 180 degrees (or closes to 0) the plane is lost, phi turns through every value as the
// end atom passes the axis, and the force grows as one over the distance from it. The torsion
// is therefore faded out smoothly over the last 10 degrees of each of its two angles: a weight
// 1 - u^2 (3 - 2u) in u = (|cos theta| - cos 10 deg) / (1 - cos 10 deg), which is 1 with
// slope 0 at 170 degrees and 0 with slope 0 at the line, so energy and force are continuous
// and vanish on the line, where the torsion is skipped. Angles of ordinary centres stay far
// below 170 degrees and keep their whole torsions.
const double kFadeStartCos = 0.98480775301220802;   // cos 10 degrees
const double kFadeStartCos2 = kFadeStartCos * kFadeStartCos;
const double kFadeStartSin2 = 1.0 - kFadeStartCos2;

struct Fade {
  double weight = 1.0;
  double slope = 0.0;   // d weight / d cos theta
};

// The fade of an angle whose vectors from its centre are u and v (squared lengths uu, vv).
inline Fade fadeOf(double uv, double uu, double vv) {
  Fade fade;
  if (uv * uv <= kFadeStartCos2 * uu * vv) return fade;
  const double c = uv / std::sqrt(uu * vv);
  const double u = std::fmin(1.0, (std::fabs(c) - kFadeStartCos) / (1.0 - kFadeStartCos));
  fade.weight = 1.0 - u * u * (3.0 - 2.0 * u);
  fade.slope = (c > 0.0 ? -6.0 : 6.0) * u * (1.0 - u) / (1.0 - kFadeStartCos);
  return fade;
}

// d cos theta / d(end u) for the angle with vectors u and v from its centre.
inline Vec3 cosineGradient(const Vec3& u, const Vec3& v) {
  const double lu = std::sqrt(dot(u, u)), lv = std::sqrt(dot(v, v));
  const double cosine = dot(u, v) / (lu * lv);
  return {(v.x / lv - cosine * u.x / lu) / lu, (v.y / lv - cosine * u.y / lu) / lu,
          (v.z / lv - cosine * u.z / lu) / lu};
}

// The forces of a torsion's fade on i, j, k and l: minus the energy of its terms times the
// gradient of the weight, the product of the two angles' fades.
void fadeForces(const Vec3& b1, const Vec3& b2, const Vec3& b3, const Fade& fadeJ,
                const Fade& fadeK, double energy, Vec3 force[4]) {
  for (int a = 0; a < 4; ++a) force[a] = {0.0, 0.0, 0.0};
  auto add = [&force](int a, double s, const Vec3& g) {
    force[a].x += s * g.x;
    force[a].y += s * g.y;
    force[a].z += s * g.z;
  };
  // The angle first-centre-last with the vectors u (to first) and v (to last), its cosine's
  // gradient scaled by s.
  auto addAngle = [&add](int first, int centre, int last, const Vec3& u, const Vec3& v,
                         double s) {
    const Vec3 toFirst = cosineGradient(u, v), toLast = cosineGradient(v, u);
    add(first, s, toFirst);
    add(last, s, toLast);
    add(centre, -s, toFirst);
    add(centre, -s, toLast);
  };
  if (fadeJ.slope != 0.0)
    addAngle(0, 1, 2, b1, {-b2.x, -b2.y, -b2.z}, -energy * fadeK.weight * fadeJ.slope);
  if (fadeK.slope != 0.0) addAngle(1, 2, 3, b2, b3, -energy * fadeJ.weight * fadeK.slope);
}

}  // namespace

double MolecularSystem::torsionSeries(int i, int j, int k, int l, const TorsionTerm* terms,
                                      int count, bool addForces) {
  const Vec3 b1 = difference(coordinates[i], coordinates[j]);
  const Vec3 b2 = difference(coordinates[j], coordinates[k]);
  const Vec3 b3 = difference(coordinates[l], coordinates[k]);
  const Vec3 A = cross(b1, b2);
  const Vec3 B = cross(b3, b2);
  const double A2 = dot(A, A);
  const double B2 = dot(B, B);
  if (A2 < kDegenerate2 || B2 < kDegenerate2) return 0.0;
  const double b22 = dot(b2, b2);
  const double G = std::sqrt(b22);
  // The angle i-j-k has the vectors b1 and -b2 from j, the angle j-k-l b2 and b3 from k. With
  // |A|^2 = |b1|^2 |b2|^2 - (b1.b2)^2, |cos| > c0 reads (b1.b2)^2 (1 - c0^2) > c0^2 |A|^2, so an
  // angle far from the fade costs two products.
  const double b1b2 = dot(b1, b2), b2b3 = dot(b2, b3);
  Fade fadeJ, fadeK;
  if (b1b2 * b1b2 * kFadeStartSin2 > kFadeStartCos2 * A2)
    fadeJ = fadeOf(-b1b2, dot(b1, b1), b22);
  if (b2b3 * b2b3 * kFadeStartSin2 > kFadeStartCos2 * B2)
    fadeK = fadeOf(b2b3, b22, dot(b3, b3));
  const double weight = fadeJ.weight * fadeK.weight;
  if (weight <= 0.0) return 0.0;
  const double cosPhi = dot(A, B) / std::sqrt(A2 * B2);
  // phi in (-pi, pi], negative when A . b3 < 0; only its cosine and sine are needed.
  double c = 1.0, s = 0.0;
  if (std::fabs(cosPhi) < 1.0) {
    c = cosPhi;
    s = std::sqrt(1.0 - cosPhi * cosPhi);
    if (dot(A, b3) < 0.0) s = -s;
  } else if (cosPhi < 0.0) {
    c = -1.0;
  }
  double energy = 0.0, P = 0.0;
  bool pushes = false;
  for (int t = 0; t < count; ++t) {
    const TorsionTerm& term = terms[t];
    double cn, sn;
    multipleAngle(term.n, term.whole, c, s, cn, sn);
    const double cd = term.cosPhase, sd = term.sinPhase;
    const double cosX = cn * cd + sn * sd;   // cos(n phi - delta)
    const double sinX = sn * cd - cn * sd;   // sin(n phi - delta)
    energy += term.K * (1.0 + cosX);
    P += term.nK * sinX;
    pushes = pushes || term.K != 0.0;
  }
  if (!addForces || !pushes) return weight * energy;

  if (weight < 1.0) {
    Vec3 fade[4];   // on i, j, k, l
    fadeForces(b1, b2, b3, fadeJ, fadeK, energy, fade);
    KV_ADD_FORCE(i, 1.0, fade[0]);
    KV_ADD_FORCE(j, 1.0, fade[1]);
    KV_ADD_FORCE(k, 1.0, fade[2]);
    KV_ADD_FORCE(l, 1.0, fade[3]);
  }
  P *= weight;
  const double sA = P * G / A2;
  const double sB = P * G / B2;
  const double qA = P * b1b2 / (A2 * G);
  const double qB = P * b2b3 / (B2 * G);
  const Vec3 Q = {qA * A.x - qB * B.x, qA * A.y - qB * B.y, qA * A.z - qB * B.z};
  KV_ADD_FORCE(i, -sA, A);
  KV_ADD_FORCE(l, sB, B);
  KV_ADD_FORCE(j, sA, A);
  KV_ADD_FORCE(j, 1.0, Q);
  KV_ADD_FORCE(k, -sB, B);
  KV_ADD_FORCE(k, -1.0, Q);
  return weight * energy;
}

int MolecularSystem::gatherTorsionTerms(int d, size_t& t, TorsionTermValue* terms,
                                        int capacity) const {
  int count = 0;
  terms[count++] = {dihedralPeriodicity[d], dihedralPhase[d], dihedralBarrier[d]};
  // The further terms are listed in dihedral order.
  while (t < dihedralTermOf.size() && dihedralTermOf[t] < d) ++t;
  for (; t < dihedralTermOf.size() && dihedralTermOf[t] == d; ++t)
    if (count < capacity)
      terms[count++] = {dihedralTermPeriodicity[t], dihedralTermPhase[t], dihedralTermBarrier[t]};
  return count;
}

double MolecularSystem::torsionForces(size_t begin, size_t end) {
  double energy = 0.0;
  for (size_t e = begin; e < end; ++e) {
    const TorsionEntry& entry = torsionEntries[e];
    if (entry.fixed) continue;
    energy += torsionSeries(entry.i, entry.j, entry.k, entry.l, &torsionTerms[entry.first],
                            entry.count, true);
  }
  return energy;
}

double MolecularSystem::EFDihedral() {
  refreshTorsionList();
  return torsionForces(0, improperStart);
}

double MolecularSystem::EFImproperDihedral() {
  refreshTorsionList();
  return torsionForces(improperStart, torsionEntries.size());
}

double MolecularSystem::Eelec() const {
  double electrostatic = 0.0, vanDerWaals = 0.0;
  pairEnergies(true, false, electrostatic, vanDerWaals);
  return electrostatic;
}

double MolecularSystem::EVDW() const {
  double electrostatic = 0.0, vanDerWaals = 0.0;
  pairEnergies(false, true, electrostatic, vanDerWaals);
  return vanDerWaals;
}

void MolecularSystem::pairEnergies(bool electric, bool dispersive, double& electrostatic,
                                   double& vanDerWaals) const {
  if (!electric && !dispersive) return;
  if (dispersive) refreshVdwRoots();
  forEachPair(true, [&](int i, int j, bool oneFour, int p) {
    const Vec3 d = difference(coordinates[i], coordinates[j]);
    const double r2 = dot(d, d);
    if (electric && (!oneFour || electrostatics14Enabled)) {
      const double e = coulombEnergy(charges[i] * charges[j], r2);
      electrostatic += oneFour ? e * scale14 : e;
    }
    if (dispersive && (!oneFour || vanDerWaals14Enabled)) {
      // As EFVDW: coincident atoms stay finite.
      const double e = lennardJones(vdwRoot[i], vdwRoot[j], vdwRadius[i] + vdwRadius[j],
                                    r2 < kDegenerate2 ? 1.0 : r2, nullptr);
      vanDerWaals += e * vdwScaleOf(p);
    }
  });
}

double MolecularSystem::NonBondedEnergy() {
  refreshPairList();
  // Both sums in one walk, each summed apart and added in their order.
  double electrostatic = 0.0, vanDerWaals = 0.0;
  pairEnergies(electrostaticsEnabled, vanDerWaalsEnabled, electrostatic, vanDerWaals);
  double energy = 0.0;
  if (electrostaticsEnabled) energy += electrostatic;
  if (vanDerWaalsEnabled) energy += vanDerWaals;
  if (dihedralsEnabled) energy += EFDihedral();
  return energy;
}

double MolecularSystem::EelecEX14() const {
  double energy = 0.0;
  forEachPair(false, [&](int i, int j, bool, int) {
    const Vec3 d = difference(coordinates[i], coordinates[j]);
    energy += coulombEnergy(charges[i] * charges[j], dot(d, d));
  });
  return energy;
}

double MolecularSystem::EDihedral() const {
  // torsionSeries only writes forces when asked to, so the const cast does not change state.
  MolecularSystem* self = const_cast<MolecularSystem*>(this);
  refreshTorsionList();
  double energy = 0.0;
  for (size_t e = 0; e < improperStart; ++e) {
    const TorsionEntry& entry = torsionEntries[e];
    energy += self->torsionSeries(entry.i, entry.j, entry.k, entry.l, &torsionTerms[entry.first],
                                  entry.count, false);
  }
  return energy;
}

#undef KV_ADD_FORCE
