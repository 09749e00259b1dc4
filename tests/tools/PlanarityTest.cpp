// Flat conjugated systems as the set-up chain finishes them: rings of trigonal atoms with their
// substituents in the ring plane, amide groups flat, and the angles of a urea carbonyl between two
// ring nitrogens.

#include <algorithm>
#include <iterator>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Ring.h"
#include "tools/ChemistryTestSupport.h"

namespace {

struct Point {
  double x, y, z;
};

Point positionOf(const Atom* a) { return {a->position.x, a->position.y, a->position.z}; }

Point minus(Point a, Point b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Point cross(Point a, Point b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double dot(Point a, Point b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

double angleDeg(const Atom* a, const Atom* centre, const Atom* c) {
  const Point u = minus(positionOf(a), positionOf(centre));
  const Point v = minus(positionOf(c), positionOf(centre));
  return std::acos(dot(u, v) / std::sqrt(dot(u, u) * dot(v, v))) * 180.0 / M_PI;
}

// Dihedral a-b-c-d folded onto 0..90 degrees: its distance from the nearer flat value.
double offFlatDeg(const Atom* a, const Atom* b, const Atom* c, const Atom* d) {
  const Point n1 = cross(minus(positionOf(a), positionOf(b)), minus(positionOf(c), positionOf(b)));
  const Point n2 = cross(minus(positionOf(b), positionOf(c)), minus(positionOf(d), positionOf(c)));
  const double cosine = dot(n1, n2) / std::sqrt(dot(n1, n1) * dot(n2, n2));
  const double phi = std::acos(std::max(-1.0, std::min(1.0, cosine))) * 180.0 / M_PI;
  return std::min(phi, 180.0 - phi);
}

std::vector<const Atom*> bonded(const Atom* a) {
  std::vector<const Atom*> out;
  for (Bond* b : a->bonds) out.push_back(a->getAdjacentAtom(b));
  return out;
}

bool hasMultipleBond(const Atom* a) {
  return std::any_of(a->bonds.begin(), a->bonds.end(),
                     [](const Bond* b) { return b->order == 2 || b->order == 9; });
}

// A conjugated ring: five to seven atoms, none of them with four neighbours, every carbon with a
// double or aromatic bond.
bool conjugatedRing(const Molecule& m, const Ring& ring) {
  if (ring.atomIds.size() < 5 || ring.atomIds.size() > 7) return false;
  for (int id : ring.atomIds) {
    const Atom* a = m.atoms[static_cast<size_t>(id)];
    if (a->bonds.size() >= 4) return false;
    if (a->element == "C" && !hasMultipleBond(a)) return false;
  }
  return true;
}

// Largest distance of a ring atom or of an atom bonded to one from the plane through the ring
// (the centroid and Newell's normal of the ring polygon).
double worstOffPlane(const Molecule& m, const Ring& ring) {
  Point centre{0, 0, 0}, normal{0, 0, 0};
  const size_t n = ring.atomIds.size();
  for (size_t k = 0; k < n; ++k) {
    const Point p = positionOf(m.atoms[static_cast<size_t>(ring.atomIds[k])]);
    const Point q = positionOf(m.atoms[static_cast<size_t>(ring.atomIds[(k + 1) % n])]);
    centre = {centre.x + p.x / n, centre.y + p.y / n, centre.z + p.z / n};
    normal = {normal.x + (p.y - q.y) * (p.z + q.z), normal.y + (p.z - q.z) * (p.x + q.x),
              normal.z + (p.x - q.x) * (p.y + q.y)};
  }
  const double length = std::sqrt(dot(normal, normal));
  double worst = 0.0;
  for (int id : ring.atomIds) {
    const Atom* a = m.atoms[static_cast<size_t>(id)];
    worst = std::max(worst, std::fabs(dot(minus(positionOf(a), centre), normal)) / length);
    for (const Atom* other : bonded(a))
      worst = std::max(worst, std::fabs(dot(minus(positionOf(other), centre), normal)) / length);
  }
  return worst;
}

// Nucleobases, xanthines, heteroaromatics, lactams, amides, anilines, biaryls and drugs.
const char* const kFlatSet[] = {
    "Cn1cnc2c1c(=O)n(C)c(=O)n2C",          // caffeine
    "Cn1c(=O)c2[nH]cnc2n(C)c1=O",          // theophylline
    "Cn1ccc(=O)[nH]c1=O",                  // 1-methyluracil
    "Cc1c[nH]c(=O)[nH]c1=O",               // thymine
    "CC(C)n1c(=O)ccn(C)c1=O",              // 1-isopropyl-3-methyluracil
    "Nc1ccn(C)c(=O)n1",                    // 1-methylcytosine
    "Nc1nc2[nH]cnc2c(=O)[nH]1",            // guanine
    "Cn1cnc2c(N)ncnc21",                   // 9-methyladenine
    "O=c1[nH]c(=O)c2[nH]c(=O)[nH]c2[nH]1", // uric acid
    "S=c1cccn[nH]1",                       // pyridazine-3-thione
    "Cc1cc(=O)[nH]c(=S)[nH]1",             // methylthiouracil
    "Cn1ccccc1=O",                         // N-methyl-2-pyridone
    "O=c1ccc2ccccc2o1",                    // coumarin
    "c1ccc2[nH]ccc2c1",                    // indole
    "c1ccc2c(c1)[nH]c1ccccc12",            // carbazole
    "Cn1ccnc1",                            // N-methylimidazole
    "c1cscn1",                             // thiazole
    "Nc1nccs1",                            // 2-aminothiazole
    "CC(=O)Nc1nccs1",                      // 2-acetamidothiazole
    "CN(C)c1ccncc1",                       // 4-dimethylaminopyridine
    "CC(=O)Nc1ccc(O)cc1",                  // paracetamol
    "NC(=O)c1cccnc1",                      // nicotinamide
    "NNC(=O)c1ccncc1",                     // isoniazid
    "O=C(Nc1ccccc1)c1ccccc1",              // benzanilide
    "CN(C)C(=O)c1ccccc1",                  // N,N-dimethylbenzamide
    "c1ccc2c(c1)CCC2",                     // indane
    "O=C1CCc2ccccc21",                     // indan-1-one
    "CC(C)Cc1ccc(cc1)C(C)C(=O)O",          // ibuprofen
    "Cc1ccc(cc1)-c1ccc(C)cc1",             // 4,4'-bitolyl
    "Cc1ncc([N+](=O)[O-])n1CCO",           // metronidazole
};

// Crowded substituents: a tert-butyl group, two rings held close by a short bridge or a shared
// neighbour, an aryl on a seven-membered ring. Contacts and torsions push these out of the plane
// by up to about a tenth of an Angstrom or more.
const char* const kCrowdedSet[] = {
    "CC(C)(C)c1ccccc1",                    // tert-butylbenzene
    "OC(=O)Cc1ccccc1Nc1c(Cl)cccc1Cl",      // diclofenac
    "Cc1ccc(-n2nc(cc2-c2ccc(C)cc2)C(F)(F)F)cc1",  // a 1,5-diarylpyrazole
    "CN1C(=O)CN=C(c2ccccc2)c2cc(Cl)ccc21",  // diazepam
    "O=C1NC(=O)C(N1)(c1ccccc1)c1ccccc1",   // phenytoin
};

struct RingFigures {
  double mean = 0.0, worst = 0.0;
  std::string worstMolecule;
  int molecules = 0, rings = 0;
};

// Ring planarity over a set: every molecule must have a conjugated ring.
RingFigures ringFigures(const char* const* set, size_t count) {
  RingFigures f;
  for (size_t i = 0; i < count; ++i) {
    std::unique_ptr<Molecule> m = kvtest::finishedMolecule(set[i]);
    EXPECT_NE(nullptr, m) << set[i];
    if (m == nullptr) continue;
    int flatRings = 0;
    for (const Ring* ring : m->rings) {
      if (!conjugatedRing(*m, *ring)) continue;
      ++flatRings;
      const double off = worstOffPlane(*m, *ring);
      f.mean += off;
      if (off > f.worst) {
        f.worst = off;
        f.worstMolecule = set[i];
      }
    }
    EXPECT_GT(flatRings, 0) << set[i];
    f.rings += flatRings;
    ++f.molecules;
  }
  if (f.rings > 0) f.mean /= f.rings;
  return f;
}

}  // namespace

TEST(Planarity, ConjugatedRingsKeepTheirSubstituentsInTheRingPlane) {
  const RingFigures flat = ringFigures(kFlatSet, std::size(kFlatSet));
  EXPECT_LT(flat.mean, 0.01);
  EXPECT_LT(flat.worst, 0.05) << flat.worstMolecule;

  const RingFigures crowded = ringFigures(kCrowdedSet, std::size(kCrowdedSet));
  EXPECT_LT(crowded.mean, 0.1);
  EXPECT_LT(crowded.worst, 0.2) << crowded.worstMolecule;
}

TEST(Planarity, AmideGroupsAreFlat) {
  double worstValue = 0.0;
  std::string worstMolecule;
  int amides = 0;
  for (const char* smiles : kFlatSet) {
    std::unique_ptr<Molecule> m = kvtest::finishedMolecule(smiles);
    ASSERT_NE(nullptr, m) << smiles;
    for (const Atom* c : m->atoms) {
      if (c->element != "C" || c->bonds.size() != 3) continue;
      const Atom* oxygen = nullptr;
      const Atom* nitrogen = nullptr;
      for (Bond* b : c->bonds) {
        const Atom* other = c->getAdjacentAtom(b);
        if (other->element == "O" && b->order == 2) oxygen = other;
        if (other->element == "N" && b->order == 1 && other->bonds.size() == 3) nitrogen = other;
      }
      if (oxygen == nullptr || nitrogen == nullptr) continue;
      ++amides;
      for (const Atom* x : bonded(nitrogen)) {
        if (x == c) continue;
        const double off = offFlatDeg(oxygen, c, nitrogen, x);
        if (off > worstValue) {
          worstValue = off;
          worstMolecule = smiles;
        }
      }
    }
  }
  EXPECT_GE(amides, 10);
  EXPECT_LT(worstValue, 10.0) << worstMolecule;
}

TEST(Planarity, CaffeineUreaCarbonylHasItsAngles) {
  // The carbonyl carbon between the two methylated ring nitrogens: the N-C-N angle is the small
  // one (about 116 degrees), the two N-C=O angles share the rest (about 121-122).
  std::unique_ptr<Molecule> m = kvtest::finishedMolecule("Cn1cnc2c1c(=O)n(C)c(=O)n2C");
  ASSERT_NE(nullptr, m);
  int found = 0;
  for (const Atom* c : m->atoms) {
    std::vector<const Atom*> nitrogens;
    const Atom* oxygen = nullptr;
    for (const Atom* other : bonded(c)) {
      if (other->element == "N") nitrogens.push_back(other);
      if (other->element == "O") oxygen = other;
    }
    if (c->element != "C" || nitrogens.size() != 2 || oxygen == nullptr) continue;
    ++found;
    EXPECT_NEAR(116.0, angleDeg(nitrogens[0], c, nitrogens[1]), 3.0);
    EXPECT_NEAR(121.5, angleDeg(nitrogens[0], c, oxygen), 3.0);
    EXPECT_NEAR(121.5, angleDeg(nitrogens[1], c, oxygen), 3.0);
  }
  EXPECT_EQ(1, found);
}
