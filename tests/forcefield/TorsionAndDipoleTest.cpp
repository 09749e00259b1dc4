// Torsion machinery, dihedral restraints, dipole moment and the Emag sum.
#include "forcefield/MolecularSystem.h"
#include "forcefield/ForceFieldFixture.h"
#include "math/Constants.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

class TorsionMachinery : public ::testing::Test {
protected:
  fftest::ScopedTables tables;
};

// Marks the side of bond j-k that holds k, k itself excluded, as the torsion scans do.
std::vector<int> sideOf(const MolecularSystem& s, int j, int k) {
  std::vector<int> flags(s.atomCount, 0);
  flags[j] = 1;
  s.MolecularPartition(k, j, flags.data());
  flags[j] = 0;
  return flags;
}

double distance(const SSEVector4f& a, const SSEVector4f& b) { return (a - b).length(); }

}  // namespace

TEST_F(TorsionMachinery, PartitionMarksOneSideOfAChainBondAndTheWholeRingAcrossARingBond) {
  auto butane = fftest::alkane(4);
  MolecularSystem chain(butane.get());
  const std::vector<int> flags = sideOf(chain, 1, 2);
  // Carbon 3 and the hydrogens of carbons 2 and 3 lie on k's side; k (2) itself is unmarked.
  EXPECT_EQ((std::vector<int>{0, 0, 0, 1}), std::vector<int>(flags.begin(), flags.begin() + 4));
  EXPECT_EQ(6, std::count(flags.begin(), flags.end(), 1));   // C3, its 3 H and the 2 of C2

  auto ring = fftest::cyclohexane();
  MolecularSystem cyclic(ring.get());
  // Across a ring bond the walk goes around the ring: everything but the bond's two atoms and
  // the hydrogens of j (atoms 6 and 7) is marked, the other side included.
  const std::vector<int> all = sideOf(cyclic, 0, 1);
  for (int a = 0; a < cyclic.atomCount; ++a)
    EXPECT_EQ(a == 0 || a == 1 || a == 6 || a == 7 ? 0 : 1, all[a]) << a;
}

TEST_F(TorsionMachinery, TurningAGroupByAFullCircleRestoresItAndOnlyItMoves) {
  auto molecule = fftest::alkane(4);
  MolecularSystem system(molecule.get());
  const std::vector<SSEVector4f> start = system.coordinates;
  std::vector<int> flags = sideOf(system, 1, 2);

  system.RotateGroup(1, 2, flags.data(), 90.0);
  EXPECT_GT(distance(start[3], system.coordinates[3]), 0.5);
  for (int a = 0; a < system.atomCount; ++a) {
    if (flags[a] == 0) {
      EXPECT_EQ(0.0, distance(start[a], system.coordinates[a])) << a;
    }
  }
  EXPECT_NEAR(distance(start[2], start[3]), distance(system.coordinates[2], system.coordinates[3]),
              1e-5);

  system.RotateGroup(1, 2, flags.data(), 270.0);
  for (int a = 0; a < system.atomCount; ++a)
    EXPECT_NEAR(0.0, distance(start[a], system.coordinates[a]), 1e-5) << a;
}

TEST_F(TorsionMachinery, DihedralGradientIsTheTorqueOfTheForces) {
  auto molecule = fftest::alkane(4);
  MolecularSystem system(molecule.get());
  system.EnergyForce();
  system.DihedralGradient();
  ASSERT_EQ(3, system.torsionAxisCount);
  // The middle axis: turning carbon 1's side about 1 -> 2 by +-delta (the mark excludes 1).
  int axis = -1;
  for (int t = 0; t < system.torsionAxisCount; ++t)
    if (system.torsionAxisAtom1[t] == 1 && system.torsionAxisAtom2[t] == 2) axis = t;
  ASSERT_GE(axis, 0);
  // Put the chain off its symmetric minimum first, so the torque is far from zero.
  std::vector<int> side = sideOf(system, 2, 1);
  system.RotateGroup(1, 2, side.data(), 40.0);
  system.EnergyForce();
  system.DihedralGradient();
  const double torque = system.torsionAxisGradient[axis];
  EXPECT_GT(std::fabs(torque), 0.5);

  const double step = 0.5;   // degrees
  system.RotateGroup(1, 2, side.data(), step);
  const double ePlus = system.EnergyForce();
  system.RotateGroup(1, 2, side.data(), -2.0 * step);
  const double eMinus = system.EnergyForce();
  const double numeric = -(ePlus - eMinus) / (2.0 * step * kPiDouble / 180.0);
  EXPECT_NEAR(numeric, torque, 0.01 * std::fabs(torque) + 1e-3);
}

TEST_F(TorsionMachinery, RestraintLeavesOnlyForcesThatKeepTheDihedral) {
  auto molecule = fftest::alkane(4);
  MolecularSystem system(molecule.get());
  int chosen = -1;
  for (int d = 0; d < system.dihedralCount; ++d)
    if (system.dihedralAtom1[d] == 0 && system.dihedralAtom4[d] == 3) chosen = d;
  ASSERT_GE(chosen, 0);
  system.constrainedDihedrals = {chosen};
  system.constraintTargets = {180.0f};
  system.dihedralConstraintsEnabled = true;
  std::vector<int> side = sideOf(system, 1, 2);
  system.RotateGroup(1, 2, side.data(), 35.0);
  system.EnergyForce();

  const SSEVector4f& ri = system.coordinates[0];
  const SSEVector4f& rj = system.coordinates[1];
  const SSEVector4f& rk = system.coordinates[2];
  SSEVector4f b2 = rk - rj;
  b2.w = 0.0f;
  b2.normalize();
  for (int atom : {1, 2}) {
    // Middle atoms: the force is parallel to the middle bond.
    SSEVector4f f(static_cast<float>(system.forceX[atom]), static_cast<float>(system.forceY[atom]),
                  static_cast<float>(system.forceZ[atom]), 0.0f);
    const SSEVector4f normal = f % b2;
    EXPECT_NEAR(0.0, normal.length(), 1e-3 * (1.0 + f.length()));
  }
  SSEVector4f n1 = (ri - rj) % (rk - rj);
  n1.w = 0.0f;
  n1.normalize();
  const double normalForce =
      system.forceX[0] * n1.x + system.forceY[0] * n1.y + system.forceZ[0] * n1.z;
  EXPECT_NEAR(0.0, normalForce, 1e-3);
}

using DipoleAndEmag = TorsionMachinery;

TEST_F(DipoleAndEmag, DipoleDoesNotChangeUnderTranslation) {
  auto molecule = fftest::nitromethane();
  MolecularSystem system(molecule.get());
  system.DipoleMoment();
  const double x = system.dipoleX, y = system.dipoleY, z = system.dipoleZ;
  const double magnitude = system.dipoleMagnitude;
  EXPECT_GT(magnitude, 0.1);
  EXPECT_NEAR(magnitude, system.fragmentDipoleMagnitude[0], 1e-12);
  for (SSEVector4f& p : system.coordinates) p = p + SSEVector4f(12.5f, -7.0f, 3.25f, 0.0f);
  system.DipoleMoment();
  EXPECT_NEAR(x, system.dipoleX, 1e-4);
  EXPECT_NEAR(y, system.dipoleY, 1e-4);
  EXPECT_NEAR(z, system.dipoleZ, 1e-4);
}

TEST_F(DipoleAndEmag, EmagSumsBondAngleAndDihedralRows) {
  auto molecule = fftest::ethane();
  MolecularSystem system(molecule.get());
  // 1 C-C (0.05) + 6 C-H (0.01) + 6 H-C-C (0.002) + 9 H-C-C-H (0.001)
  EXPECT_NEAR(0.05 + 0.06 + 0.012 + 0.009, system.calEmag(), 1e-6);
}

namespace {

struct DipoleVector {
  double x, y, z;
  double length() const { return std::sqrt(x * x + y * y + z * z); }
};

DipoleVector dipoleOf(Molecule& molecule, SSEVector4f shift = SSEVector4f(0, 0, 0, 0)) {
  MolecularSystem system(&molecule);
  for (SSEVector4f& p : system.coordinates) p = p + shift;
  system.DipoleMoment();
  return {system.dipoleX, system.dipoleY, system.dipoleZ};
}

DipoleVector difference(const DipoleVector& a, const DipoleVector& b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}

}  // namespace

// A chain with +1 on one end carbon and -1 on the other is a zwitterion: its dipole grows with the
// separation of the charges. The formal charges were once left out, and every chain length gave
// the bond moments' dipole alone.
TEST_F(DipoleAndEmag, SeparatedChargesOfANeutralMoleculeGrowItsDipoleWithTheirDistance) {
  std::vector<double> perAngstrom;
  for (int carbons : {4, 8}) {
    auto chain = fftest::alkane(carbons);
    const DipoleVector plain = dipoleOf(*chain);
    chain->atoms[0]->charge = 1;
    chain->atoms[carbons - 1]->charge = -1;
    const DipoleVector charged = dipoleOf(*chain);
    // No net charge, so the dipole is the same wherever it is measured from.
    const DipoleVector moved = dipoleOf(*chain, SSEVector4f(12.5f, -7.0f, 3.25f, 0.0f));
    EXPECT_NEAR(0.0, difference(charged, moved).length(), 1e-3) << carbons;
    const SSEVector4f span = chain->atoms[0]->position - chain->atoms[carbons - 1]->position;
    const DipoleVector added = difference(charged, plain);
    // Along the chain, from the negative end to the positive one.
    const double along = (added.x * span.x + added.y * span.y + added.z * span.z) / span.length();
    EXPECT_NEAR(added.length(), along, 1e-6 * added.length()) << carbons;
    perAngstrom.push_back(added.length() / span.length());
  }
  // Less than a whole electron's 4.8 D per Angstrom (the bonds between screen the charges), more
  // than the 3 that measured series of zwitterions show.
  for (double slope : perAngstrom) {
    EXPECT_GT(slope, 3.0);
    EXPECT_LT(slope, 4.81);
  }
  EXPECT_NEAR(perAngstrom[0], perAngstrom[1], 1e-6);
}

// Charges that a bond joins (a nitro group written N+ and O-) are one neutral group whose dipole
// its bond moments carry; an ion's net charge would make its dipole depend on the origin, so it
// keeps the bond moments' dipole too.
TEST_F(DipoleAndEmag, BondedOppositeChargesAndAnIonsNetChargeLeaveTheDipoleAsTheBondsGiveIt) {
  auto nitro = fftest::nitromethane();
  const DipoleVector plain = dipoleOf(*nitro);
  ASSERT_GT(plain.length(), 0.1);
  nitro->atoms[0]->charge = 1;
  nitro->atoms[2]->charge = -1;   // the singly bonded oxygen
  EXPECT_NEAR(0.0, difference(plain, dipoleOf(*nitro)).length(), 1e-9);

  auto ion = fftest::alkane(4);
  const DipoleVector neutral = dipoleOf(*ion);
  ion->atoms[0]->charge = 1;
  EXPECT_NEAR(0.0, difference(neutral, dipoleOf(*ion)).length(), 1e-9);
  EXPECT_NEAR(0.0, difference(neutral, dipoleOf(*ion, SSEVector4f(9, 9, 9, 0))).length(), 1e-3);
}

// The charge written on one oxygen of a carboxylate belongs to both: CH3(+)-C(=O)O(-) puts the
// same share on each oxygen, and the shares of the two ends cancel.
TEST_F(DipoleAndEmag, ACarboxylateChargeIsSharedByBothOxygens) {
  auto acetate = fftest::buildMolecule(
      "acetate", {{"CK", "C", 0.0f, 0.0f, 0.0f}, {"OK", "O", 0.70f, 1.05f, 0.0f},
                  {"OK", "O", 0.70f, -1.05f, 0.0f}, {"CH3", "C", -1.52f, 0.0f, 0.0f}},
      {{0, 1, 2, false}, {0, 2, 1, false}, {0, 3, 1, false}});
  acetate->atoms[2]->charge = -1;
  acetate->atoms[3]->charge = 1;
  MolecularSystem system(acetate.get());
  ASSERT_EQ(4u, system.separatedCharges.size());
  EXPECT_LT(system.separatedCharges[1], -0.1);
  EXPECT_DOUBLE_EQ(system.separatedCharges[1], system.separatedCharges[2]);
  EXPECT_EQ(0.0, system.separatedCharges[0]);
  EXPECT_NEAR(0.0, system.separatedCharges[1] + system.separatedCharges[2] +
                       system.separatedCharges[3], 1e-12);
}
