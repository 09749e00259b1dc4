// The terms of saturated rings: torsions round five-membered rings take their axis's terms, ring
// angles at four-connected atoms are held below the open-chain angle, and heavy atoms 1-4 across
// a single ring bond touch at a reduced scale.
#include "forcefield/ForceFieldFixture.h"
#include "forcefield/MolecularSystem.h"
#include "math/Constants.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <set>
#include <utility>
#include <vector>

namespace {


// A puckered ring of n CH2 carbons with bonds of 1.54 A.
std::unique_ptr<Molecule> cycloalkane(int n) { return fftest::cycloalkane(n, 1.54f, 0.2f); }

bool isHydrogen(const MolecularSystem& system, int atom) {
  return system.atomTypes[static_cast<size_t>(atom)] == "H";
}

// The ring contacts of a system as atom pairs (smaller first).
std::set<std::pair<int, int>> ringContacts(const MolecularSystem& system) {
  std::set<std::pair<int, int>> out;
  EXPECT_EQ(system.pairList.size(), system.ringContact.size());
  for (int i = 0; i < system.atomCount; ++i) {
    const int first = i == 0 ? 0 : system.pairEnd[i - 1] + 1;
    for (int p = first; p <= system.pairEnd[i]; ++p)
      if (system.ringContact[p] != 0) out.emplace(i, std::abs(system.pairList[p]));
  }
  return out;
}

class SaturatedRings : public ::testing::Test {
 protected:
  fftest::ScopedTables tables;
};

}  // namespace

// The fixture's C-C pair row is butane's eclipsing three-fold term; the axis staggers.
TEST_F(SaturatedRings, TorsionsRoundFiveRingsTakeTheAxisTermsAndOthersThePairRows) {
  tables.tables().parseDihedralTable("AXIS CSP3 CSP3 1 3 0.0   0.174\n"
                                     "C    C         1 1 180.0 0.060\n"
                                     "C    C         1 3 180.0 0.320\n");
  const struct {
    const char* name;
    std::unique_ptr<Molecule> molecule;
    bool axis;          // what the C-C-C-C torsions take
    int carbonTorsions;
  } cases[] = {{"cyclopentane", cycloalkane(5), true, 5},
               {"cyclohexane", cycloalkane(6), false, 6},
               {"butane", fftest::alkane(4), false, 1}};
  for (const auto& c : cases) {
    MolecularSystem system(c.molecule.get());
    int carbonTorsions = 0;
    for (int d = 0; d < system.dihedralCount; ++d) {
      if (isHydrogen(system, system.dihedralAtom1[d]) || isHydrogen(system, system.dihedralAtom4[d]))
        continue;
      ++carbonTorsions;
      EXPECT_FLOAT_EQ(c.axis ? 3.0f : 1.0f, static_cast<float>(system.dihedralPeriodicity[d]))
          << c.name;
      EXPECT_FLOAT_EQ(c.axis ? 0.174f : 0.06f, static_cast<float>(system.dihedralBarrier[d]))
          << c.name;
      int further = 0;
      for (int owner : system.dihedralTermOf) further += owner == d ? 1 : 0;
      EXPECT_EQ(c.axis ? 0 : 1, further) << c.name;
    }
    EXPECT_EQ(c.carbonTorsions, carbonTorsions) << c.name;
  }
}

// Round a four-membered ring the torsion's ends are bonded, so its contact gives no syn barrier
// either: the pair rows would hold cyclobutane flat. Its torsions take the axis's terms, which
// stagger, and a cyclobutane relaxed from a slight fold puckers.
TEST_F(SaturatedRings, TorsionsRoundFourRingsTakeTheAxisTermsAndTheRingPuckers) {
  tables.tables().parseDihedralTable("AXIS CSP3 CSP3 1 3 0.0   0.174\n"
                                     "C    C         1 1 180.0 0.060\n"
                                     "C    C         1 2 180.0 0.390\n"
                                     "C    C         1 3 180.0 0.320\n");
  auto molecule = fftest::cycloalkane(4, 1.54f);   // flat
  MolecularSystem system(molecule.get());
  int carbonTorsions = 0;
  for (int d = 0; d < system.dihedralCount; ++d) {
    if (isHydrogen(system, system.dihedralAtom1[d]) || isHydrogen(system, system.dihedralAtom4[d]))
      continue;
    ++carbonTorsions;
    EXPECT_FLOAT_EQ(3.0f, static_cast<float>(system.dihedralPeriodicity[d]));
    EXPECT_FLOAT_EQ(0.174f, static_cast<float>(system.dihedralBarrier[d]));
    for (int owner : system.dihedralTermOf) EXPECT_NE(d, owner);
  }
  EXPECT_EQ(4, carbonTorsions);
  // The torsion energy of the ring drops as it folds: the flat ring is no minimum.
  const double flat = system.EDihedral();
  auto folded = fftest::cycloalkane(4, 1.54f, 0.2f);
  MolecularSystem foldedSystem(folded.get());
  EXPECT_LT(foldedSystem.EDihedral(), flat);
}

// The fixture's "* CH2 *" is 109.5: six-ring angles come down to the tetrahedral angle,
// five-ring angles to 105; the hydrogens' angles and an open chain's keep the table's.
TEST_F(SaturatedRings, RingAnglesAtFourConnectedAtomsAreHeldBelowTheOpenChainAngle) {
  const struct {
    std::unique_ptr<Molecule> molecule;
    double ringAngle;
  } cases[] = {{cycloalkane(5), 105.0}, {cycloalkane(6), 109.4712}, {fftest::alkane(5), 109.5}};
  for (const auto& c : cases) {
    MolecularSystem system(c.molecule.get());
    int carbonAngles = 0;
    for (int t = 0; t < system.angleCount; ++t) {
      const bool carbons = !isHydrogen(system, system.angleAtom1[t]) &&
                           !isHydrogen(system, system.angleAtom3[t]);
      carbonAngles += carbons ? 1 : 0;
      EXPECT_NEAR(carbons ? c.ringAngle : 109.5, system.angleReference[t] * 180.0 / kPiDouble, 1e-3)
          << c.ringAngle << " angle " << t;
      // The Urey-Bradley distance follows the reference.
      if (carbons) {
        EXPECT_NEAR(2.0 * 1.54 * std::sin(system.angleReference[t] / 2.0),
                    system.ureyBradleyLength[t], 1e-5);
      }
    }
    EXPECT_GT(carbonAngles, 0);
  }
}

// In cyclohexane the cross-ring carbon pairs are the contacts; its hydrogens, an open chain and
// a five-ring (whose 1-4 carbons are also 1-3, so excluded) have none. The scale reaches both
// van der Waals sums.
TEST_F(SaturatedRings, RingContactsAreTheHeavyPairsAcrossSingleRingBonds) {
  auto hexane = cycloalkane(6);
  MolecularSystem ring(hexane.get());
  EXPECT_EQ((std::set<std::pair<int, int>>{{0, 3}, {1, 4}, {2, 5}}), ringContacts(ring));
  auto chain = fftest::alkane(6);
  auto pentane = cycloalkane(5);
  for (Molecule* molecule : {chain.get(), pentane.get()}) {
    MolecularSystem system(molecule);
    EXPECT_TRUE(ringContacts(system).empty()) << molecule->atoms.size() << " atoms";
  }

  const double reduced = ring.EVDW();
  EXPECT_NEAR(reduced, ring.EFVDW(), 1e-9);
  ring.ringContactScale = ring.scale14;
  const double usual = ring.EVDW();
  EXPECT_NEAR(usual, ring.EFVDW(), 1e-9);
  // The three contacts repel at their distance in the fixture's ring; at half their 1-4 scale
  // they carry half of that.
  ring.ringContactScale = 0.0;
  const double contacts = (usual - ring.EVDW()) / ring.scale14;
  ASSERT_GT(contacts, 0.1);
  EXPECT_NEAR(usual - 0.25 * contacts, reduced, 1e-9);
}
