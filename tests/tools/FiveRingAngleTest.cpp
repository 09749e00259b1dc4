// Interior angles of aromatic five-membered rings as the set-up chain finishes them. Furan,
// pyrrole and thiophene are judged on their MP2(full)/6-31G* structures of the G2 reference set;
// the azoles, caffeine and indole on their MMFF94 structures (RDKit), which lie within about two
// degrees of the microwave and crystal structures. Atoms are numbered as in the SMILES.

#include "ChemistryTestSupport.h"

#include "model/Atom.h"
#include "tests/support/AtomGeometry.h"

#include <cmath>
#include <vector>

#include <gtest/gtest.h>

namespace {

struct RingAngle {
  int end1, centre, end2;
  double degrees;
};

struct FiveRing {
  const char* name;
  const char* smiles;
  std::vector<RingAngle> angles;
};

const std::vector<FiveRing> kFiveRings = {
    {"furan", "c1ccoc1",
     {{4, 0, 1, 106.2}, {0, 1, 2, 106.2}, {1, 2, 3, 110.4}, {2, 3, 4, 106.6}, {3, 4, 0, 110.4}}},
    {"pyrrole", "c1ccc[nH]1",
     {{4, 0, 1, 107.4}, {0, 1, 2, 107.5}, {1, 2, 3, 107.5}, {2, 3, 4, 107.4}, {3, 4, 0, 110.2}}},
    {"thiophene", "c1ccsc1",
     {{4, 0, 1, 112.4}, {0, 1, 2, 112.4}, {1, 2, 3, 111.6}, {2, 3, 4, 92.0}, {3, 4, 0, 111.6}}},
    {"imidazole", "c1ncc[nH]1",
     {{4, 0, 1, 111.5}, {0, 1, 2, 105.3}, {1, 2, 3, 110.7}, {2, 3, 4, 105.0}, {3, 4, 0, 107.5}}},
    {"N-methylimidazole", "Cn1ccnc1",
     {{5, 1, 2, 107.8}, {1, 2, 3, 104.8}, {2, 3, 4, 110.8}, {3, 4, 5, 105.2}, {4, 5, 1, 111.3}}},
    {"oxazole", "c1cocn1",
     {{4, 0, 1, 109.9}, {0, 1, 2, 107.9}, {1, 2, 3, 103.7}, {2, 3, 4, 115.1}, {3, 4, 0, 103.4}}},
    {"caffeine", "Cn1cnc2c1c(=O)n(C)c(=O)n2C",
     {{5, 1, 2, 107.0}, {1, 2, 3, 111.6}, {2, 3, 4, 104.4}, {3, 4, 5, 112.0}, {4, 5, 1, 105.0}}},
    {"indole", "c1ccc2c(c1)cc[nH]2",
     {{7, 6, 4, 107.8}, {6, 4, 3, 107.1}, {4, 3, 8, 107.1}, {3, 8, 7, 110.2}, {8, 7, 6, 107.8}}},
};

}  // namespace

// Every interior angle within 3 degrees of its reference, and the ring closed flat: the five
// angles add to 540 within a degree. Before the rings had angles of their own, the C-N-C angle at
// the two-connected nitrogen of caffeine and N-methylimidazole came out near 99.5 degrees.
TEST(FiveRingAngles, AromaticFiveRingsHaveTheirInteriorAngles) {
  for (const FiveRing& ring : kFiveRings) {
    std::unique_ptr<Molecule> m = kvtest::finishedMolecule(ring.smiles);
    ASSERT_NE(nullptr, m) << ring.name;
    double sum = 0.0;
    for (const RingAngle& expected : ring.angles) {
      const int top = std::max({expected.end1, expected.centre, expected.end2});
      ASSERT_LT(top, static_cast<int>(m->atoms.size())) << ring.name;
      const double degrees =
          kvtest::angleDeg(m->atoms[static_cast<size_t>(expected.end1)],
                   m->atoms[static_cast<size_t>(expected.centre)],
                   m->atoms[static_cast<size_t>(expected.end2)]);
      sum += degrees;
      EXPECT_NEAR(expected.degrees, degrees, 3.0)
          << ring.name << " angle " << expected.end1 << "-" << expected.centre << "-"
          << expected.end2 << " ("
          << m->atoms[static_cast<size_t>(expected.centre)]->element << ")";
    }
    EXPECT_NEAR(540.0, sum, 1.0) << ring.name;
  }
}

// A five-membered ring with a saturated carbon keeps the table's angles: cyclopentadiene's CH2
// folds to about 102 degrees, where a flat ring's share would hold it near 106.
TEST(FiveRingAngles, ARingWithASaturatedCarbonKeepsTheTableAngles) {
  std::unique_ptr<Molecule> diene = kvtest::finishedMolecule("C1C=CC=C1");
  ASSERT_NE(nullptr, diene);
  EXPECT_NEAR(101.8, kvtest::angleDeg(diene->atoms[4], diene->atoms[0], diene->atoms[1]), 2.0);
}
