// Construction, topology lists, parameters and charges of the force-field system.
#include "forcefield/MolecularSystem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>
#include <utility>
#include <vector>

#include "forcefield/ForceFieldFixture.h"
#include "math/Constants.h"
#include "forcefield/Minimization.h"
#include "support/ErrorCapture.h"

namespace {


class MolecularSystemBuild : public ::testing::Test {
protected:
  fftest::ScopedTables tables;
};

int exclusionKindOf(const MolecularSystem& s, int a, int b) {
  const int lo = std::min(a, b), hi = std::max(a, b);
  for (int x = 0; x < s.exclusionCount; ++x)
    if (s.exclusionAtom1[x] == lo && std::abs(s.exclusionAtom2[x]) == hi) return s.exclusionKind[x];
  return 0;
}

}  // namespace

TEST_F(MolecularSystemBuild, NullMoleculeOrOneAtomEvaluatesToZero) {
  kvtest::ErrorCapture errorLog;
  MolecularSystem system(nullptr);
  EXPECT_EQ(std::vector<std::string>{"Error: Can not create MolecularSystem. \nNo molecule"},
            errorLog.lines);
  EXPECT_EQ(0, system.atomCount);
  EXPECT_EQ(0.0, system.EnergyForce());

  auto molecule = fftest::buildMolecule("methane-C", {{"CH3", "C", 1.0f, 2.0f, 3.0f}}, {});
  molecule->atoms[0]->partialCharge = 0.7;
  MolecularSystem one(molecule.get());
  EXPECT_EQ(0, one.exclusionCount + one.pairCount);
  EXPECT_EQ(0.0, molecule->atoms[0]->partialCharge);
  EXPECT_EQ(0.0, one.EnergyForce());
}

TEST_F(MolecularSystemBuild, TopologyCountsFollowTheBondGraph) {
  struct Case {
    std::function<std::unique_ptr<Molecule>()> build;
    int bonds, angles, dihedrals, impropers, axes, rotatable;
  };
  const Case cases[] = {
      {fftest::ethane, 7, 12, 9, 0, 1, 1},
      {fftest::cyclohexane, 18, 36, 54, 0, 6, 0},   // ring bonds are axes, never rotatable
      {fftest::formaldehyde, 3, 3, 0, 1, 0, 0},     // impropers on trigonal carbon...
      {fftest::ethene, 5, 6, 4, 2, 0, 0},           // ...no axis through a double bond
      {fftest::nitromethane, 6, 9, 6, 1, 1, 1},     // ...and on trigonal nitrogen
  };
  for (const Case& c : cases) {
    auto molecule = c.build();
    SCOPED_TRACE(molecule->getName());
    MolecularSystem s(molecule.get());
    EXPECT_EQ((std::vector<int>{c.bonds, c.angles, c.dihedrals, c.impropers, c.axes, c.rotatable}),
              (std::vector<int>{s.bondCount, s.angleCount, s.dihedralCount, s.improperCount,
                                s.torsionAxisCount, s.rotatableBondCount}));
    // The trigonal centre is the improper's third atom, never the oxygen.
    for (int i = 0; i < s.improperCount; ++i)
      EXPECT_NE("O", molecule->atoms[s.improperAtom3[i]]->element);
  }
}

TEST_F(MolecularSystemBuild, OutOfPlaneTermsHoldAromaticAtomsAndAmideNitrogensOnly) {
  // N-methylformamide: the carbonyl carbon (a double bond) and the amide nitrogen (three single
  // bonds, one to the carbonyl carbon) are held flat; the methyl carbon is not.
  auto amide = fftest::buildMolecule(
      "N-methylformamide",
      {{"CK", "C", 0.0f, 0.0f, 0.0f}, {"OK", "O", 0.0f, 1.22f, 0.0f},
       {"NTRO", "N", 1.17f, -0.68f, 0.0f}, {"CH3", "C", 2.45f, 0.0f, 0.0f},
       {"H", "H", -0.94f, -0.55f, 0.0f}, {"H", "H", 1.17f, -1.68f, 0.0f}},
      {{0, 1, 2, false}, {0, 2, 1, false}, {2, 3, 1, false}, {0, 4, 1, false}, {2, 5, 1, false}});
  MolecularSystem a(amide.get());
  std::vector<int> centres(a.improperAtom3.begin(), a.improperAtom3.end());
  std::sort(centres.begin(), centres.end());
  EXPECT_EQ((std::vector<int>{0, 2}), centres);   // the carbonyl carbon and the amide nitrogen

  auto amine = fftest::buildMolecule(
      "trimethylamine", {{"NTRO", "N", 0, 0, 0}, {"CH3", "C", 1.4f, 0, 0},
                         {"CH3", "C", -0.7f, 1.2f, 0}, {"CH3", "C", -0.7f, -1.2f, 0}},
      {{0, 1, 1, false}, {0, 2, 1, false}, {0, 3, 1, false}});
  EXPECT_EQ(0, MolecularSystem(amine.get()).improperCount);

  // An amine nitrogen of three single bonds stays free to be pyramidal (above); every carbon of
  // benzene, whose ring bonds are aromatic, holds its hydrogen in the ring plane.
  std::vector<fftest::AtomRow> atoms;
  std::vector<fftest::BondRow> bonds;
  for (int k = 0; k < 6; ++k) {
    const float t = static_cast<float>(k) * 1.0471976f;
    atoms.push_back({"CE", "C", 1.39f * std::cos(t), 1.39f * std::sin(t), 0.0f});
  }
  for (int k = 0; k < 6; ++k) {
    const float t = static_cast<float>(k) * 1.0471976f;
    atoms.push_back({"H", "H", 2.47f * std::cos(t), 2.47f * std::sin(t), 0.0f});
    bonds.push_back({k, (k + 1) % 6, 9, true});
    bonds.push_back({k, k + 6, 1, false});
  }
  auto benzene = fftest::buildMolecule("benzene", atoms, bonds);
  EXPECT_EQ(6, MolecularSystem(benzene.get()).improperCount);
}

TEST_F(MolecularSystemBuild, AnAmideNitrogenOutsideRingsHasTheSoftOutOfPlaneTerm) {
  // Formamide's heavy atoms with the nitrogen's two further neighbours given as hydrogens or
  // methyl carbons, and the C-N bond in a ring or not (a lactam's).
  auto amide = [](const char* second, const char* third, bool ringBond) {
    auto element = [](const char* type) { return std::string(type) == "H" ? "H" : "C"; };
    return fftest::buildMolecule(
        "amide",
        {{"CK", "C", 0.0f, 0.0f, 0.0f}, {"OK", "O", 0.0f, 1.22f, 0.0f},
         {"NTRO", "N", 1.17f, -0.68f, 0.0f}, {second, element(second), 2.45f, 0.0f, 0.0f},
         {"H", "H", -0.94f, -0.55f, 0.0f}, {third, element(third), 1.17f, -1.68f, 0.0f}},
        {{0, 1, 2, false}, {0, 2, 1, ringBond}, {2, 3, 1, false}, {0, 4, 1, false},
         {2, 5, 1, false}});
  };
  auto barrierAt = [](const MolecularSystem& s, int centre) {
    for (int m = 0; m < s.improperCount; ++m)
      if (s.improperAtom3[m] == centre) return s.improperBarrier[m];
    return -1.0;
  };
  auto secondary = amide("CH3", "H", false);
  auto tertiary = amide("CH3", "CH3", false);
  auto lactam = amide("CH3", "H", true);
  const MolecularSystem s(secondary.get()), t(tertiary.get()), l(lactam.get());
  ASSERT_EQ(static_cast<size_t>(s.improperCount), s.improperBarrier.size());
  const double stiff = barrierAt(s, 0);   // the carbonyl carbon
  EXPECT_GT(stiff, 0.0);
  // The chain amide nitrogen turns pyramidal at the top of its turn: its term is soft, firmer
  // without a hydrogen; the ring nitrogen keeps the carbonyl carbon's stiff one.
  EXPECT_GT(barrierAt(s, 2), 0.0);
  EXPECT_LT(barrierAt(s, 2), barrierAt(t, 2));
  EXPECT_LT(barrierAt(t, 2), stiff / 4.0);
  EXPECT_EQ(stiff, barrierAt(l, 2));
  EXPECT_EQ(stiff, barrierAt(t, 0));
}

TEST_F(MolecularSystemBuild, BondsAreSortedWithAscendingNeighbourRuns) {
  // Bonds given high-to-low and out of order must come out sorted with bondAtom1 < bondAtom2.
  auto molecule = fftest::buildMolecule(
      "chain", {{"CH3", "C", 0, 0, 0}, {"CH2", "C", 1.5f, 0, 0}, {"CH3", "C", 3.0f, 0, 0}},
      {{2, 1, 1, false}, {1, 0, 1, false}});
  MolecularSystem system(molecule.get());
  ASSERT_EQ(2, system.bondCount);
  EXPECT_EQ(std::make_pair(0, 1), std::make_pair(system.bondAtom1[0], system.bondAtom2[0]));
  EXPECT_EQ(std::make_pair(1, 2), std::make_pair(system.bondAtom1[1], system.bondAtom2[1]));
  EXPECT_EQ(0, system.getBondId(1, 0));
  EXPECT_EQ(-1, system.getBondId(0, 2));
}

TEST_F(MolecularSystemBuild, RingExclusionsByShortestPath) {
  // Across a six-ring, atoms 0 and 3 are 1-4 and 0 and 2 are 1-3; in a five-ring a pair that is
  // both 1-3 and 1-4 is excluded, so no pair is left.
  auto six = fftest::cyclohexane();
  MolecularSystem hexagon(six.get());
  EXPECT_EQ(4, exclusionKindOf(hexagon, 0, 3));
  EXPECT_EQ(3, exclusionKindOf(hexagon, 0, 2));
  std::vector<fftest::AtomRow> atoms;
  std::vector<fftest::BondRow> bonds;
  for (int k = 0; k < 5; ++k) {
    const float angle = 72.0f * k * kPi / 180.0f;
    atoms.push_back({"CH2", "C", 1.3f * std::cos(angle), 1.3f * std::sin(angle), 0.0f});
    bonds.push_back({k, (k + 1) % 5, 1, true});
  }
  auto five = fftest::buildMolecule("cyclopentane-skeleton", atoms, bonds);
  MolecularSystem pentagon(five.get());
  EXPECT_EQ(3, exclusionKindOf(pentagon, 0, 2));
  EXPECT_EQ(0, pentagon.pairCount);
}

TEST_F(MolecularSystemBuild, PairListHoldsOnlyPairsInsideTheCutoff) {
  // Two methane-like carbons exactly 10 A apart and one 9.9 A away: only the latter is listed.
  auto molecule = fftest::buildMolecule(
      "far", {{"CH3", "C", 0, 0, 0}, {"CH3", "C", 10.0f, 0, 0}, {"CH3", "C", 0, 9.9f, 0}}, {});
  MolecularSystem system(molecule.get());
  ASSERT_EQ(1, system.pairCount);
  EXPECT_EQ(2, system.pairList[0]);
}

TEST_F(MolecularSystemBuild, PairListIsEveryPairInsideTheCutoffInAtomOrder) {
  // Carbon chains scattered through a box twice the cutoff wide: the pairs (from a walk over the
  // atoms below 300 atoms, from a cell grid above) must be exactly those a walk over all pairs
  // finds, in the same order.
  for (int carbons : {60, 200}) {
    SCOPED_TRACE(carbons);
    auto molecule = fftest::alkane(carbons);
    MolecularSystem system(molecule.get());
    if (carbons == 60)
      ASSERT_LT(system.atomCount, 300);   // the walk over the atoms
    else
      ASSERT_GT(system.atomCount, 300);   // the cell grid
    std::srand(11);
    for (SSEVector4f& p : system.coordinates)
      p = SSEVector4f(20.0f * std::rand() / RAND_MAX, 20.0f * std::rand() / RAND_MAX,
                      20.0f * std::rand() / RAND_MAX, 1.0f);
    system.nonBondedUpdate();
    std::map<std::pair<int, int>, int> excluded;
    for (int x = 0; x < system.exclusionCount; ++x)
      excluded[{system.exclusionAtom1[x], std::abs(system.exclusionAtom2[x])}] =
          system.exclusionKind[x];
    std::vector<int> expected;
    int oneFour = 0;
    for (int i = 0; i < system.atomCount; ++i)
      for (int j = i + 1; j < system.atomCount; ++j) {
        const auto kind = excluded.find({i, j});
        if (kind != excluded.end() && kind->second != 4) continue;
        const double dx = static_cast<double>(system.coordinates[i].x) - system.coordinates[j].x;
        const double dy = static_cast<double>(system.coordinates[i].y) - system.coordinates[j].y;
        const double dz = static_cast<double>(system.coordinates[i].z) - system.coordinates[j].z;
        if (dx * dx + dy * dy + dz * dz >= system.pairListCutoff2) continue;
        expected.push_back(kind != excluded.end() ? -j : j);
        oneFour += kind != excluded.end();
      }
    ASSERT_GT(oneFour, 0);
    ASSERT_LT(expected.size(), static_cast<size_t>(system.atomCount) * (system.atomCount - 1) / 2);
    EXPECT_EQ(expected, std::vector<int>(system.pairList.begin(), system.pairList.end()));
    EXPECT_EQ(static_cast<int>(expected.size()), system.pairCount);
  }
}

TEST_F(MolecularSystemBuild, AtomsThatMeetAfterConstructionRepelEachOther) {
  // The ends of a dodecane skeleton stand 14 A apart when the system is made, beyond the pair
  // list's cutoff. A torsion search turning the chain back brings them together; they must then
  // repel as any close pair does, in the search's measure and in the optimisation after it, not
  // pass through each other unseen.
  auto molecule = fftest::alkane(12);
  MolecularSystem system(molecule.get());
  const int first = 0, last = 11;
  for (int p = 0; p <= system.pairEnd[first]; ++p) ASSERT_NE(last, std::abs(system.pairList[p]));
  system.bondsEnabled = system.anglesEnabled = system.dihedralsEnabled = false;
  system.impropersEnabled = system.electrostaticsEnabled = false;
  const double apart = system.NonBondedEnergy();
  // The last carbon 1.2 A above the first.
  system.coordinates[last] = system.coordinates[first] + SSEVector4f(0.0f, 0.0f, 1.2f, 0.0f);
  EXPECT_GT(system.NonBondedEnergy() - apart, 1000.0);
  system.EnergyForce();
  EXPECT_GT(system.forceZ[last], 1000.0);    // pushed up, away from the first carbon
  EXPECT_LT(system.forceZ[first], -1000.0);

  // An optimisation started there, with no torsion search before it, parts them.
  MolecularSystem fresh(molecule.get());
  fresh.bondsEnabled = fresh.anglesEnabled = fresh.dihedralsEnabled = false;
  fresh.impropersEnabled = fresh.electrostaticsEnabled = false;
  fresh.coordinates[last] = fresh.coordinates[first] + SSEVector4f(0.0f, 0.0f, 1.2f, 0.0f);
  Minimization minimization;
  minimization.maxSteps = 50;
  minimization.AdoptedBasisNewtonRaphson(&fresh);
  SSEVector4f gap = fresh.coordinates[last] - fresh.coordinates[first];
  gap.w = 0.0f;
  EXPECT_GT(gap.length(), 3.2f);   // near the two carbons' van der Waals distance
}

TEST_F(MolecularSystemBuild, ParametersComeFromTheTablesWithTheirFallbacks) {
  // A negative angle carries no force constant; the row goes first so that it shadows the
  // centre's default row.
  auto& angles = tables.tables().angleParameters;
  tables.tables().parseAngleTable("H CH2 H -101.0 37.0\n");
  std::rotate(angles.begin(), angles.end() - 1, angles.end());
  auto molecule = fftest::buildMolecule(
      "odd", {{"CH2", "C", 0, 0, 0}, {"H", "H", 1.1f, 0, 0}, {"H", "H", -0.4f, 1.0f, 0},
              {"XX", "X", 0, -1.5f, 0}},
      {{0, 1, 1, false}, {0, 2, 1, false}, {0, 3, 1, false}});
  kvtest::ErrorCapture errorLog;
  MolecularSystem system(molecule.get());
  EXPECT_NE(std::string::npos,
            errorLog.text().find("CANNOT FIND THE PARAMETERS FOR ATOM : 3"));
  // The unknown type gets the CH3-CH3 length and the neutral atom values.
  const int unknownBond = system.getBondId(0, 3);
  ASSERT_GE(unknownBond, 0);
  EXPECT_FLOAT_EQ(1.54f, static_cast<float>(system.bondLength[unknownBond]));
  EXPECT_EQ(1.0, system.mass[3]);
  EXPECT_EQ(0.0, system.vdwEpsilon[3]);
  for (int t = 0; t < system.angleCount; ++t) {
    if (system.angleAtom1[t] != 1 || system.angleAtom3[t] != 2) continue;
    EXPECT_EQ(0.0, system.angleForceConstant[t]);
    EXPECT_EQ(0.0, system.ureyBradleyForceConstant[t]);
    EXPECT_NEAR(101.0 * kPiDouble / 180.0, system.angleReference[t], 1e-6);
    EXPECT_NEAR(37.0 * kPiDouble / 180.0, system.angleReference2[t], 1e-6);
  }
}

TEST_F(MolecularSystemBuild, ChargesSumToZeroAndReachTheAtoms) {
  auto molecule = fftest::nitromethane();
  MolecularSystem system(molecule.get());
  double sum = 0.0, largest = 0.0;
  for (int a = 0; a < system.atomCount; ++a) {
    sum += system.charges[a];
    largest = std::max(largest, std::fabs(system.charges[a]));
    EXPECT_EQ(system.charges[a], molecule->atoms[a]->partialCharge);
  }
  EXPECT_GT(largest, 0.05);
  EXPECT_NEAR(0.0, sum, 1e-12);
  // H-CH3 row: moment 0.37 D over 1.10974 A, times 1.08, moves charge onto the first type.
  auto ethane = fftest::ethane();
  MolecularSystem e(ethane.get());
  EXPECT_NEAR(1.08 * 0.37 / (4.802813 * 1.10974), e.charges[2], 1e-6);
}

TEST_F(MolecularSystemBuild, ZeroDistanceRowsAndDummyBondsCarryNoCharge) {
  tables.tables().parseBondTable("H OK 1 1.0 0.0 1.0 2.0\n");   // distance 0
  auto molecule = fftest::buildMolecule(
      "zero", {{"H", "H", 0, 0, 0}, {"OK", "O", 1.0f, 0, 0}, {"DUM", "R", 2.0f, 0, 0}},
      {{0, 1, 1, false}, {1, 2, 1, false}});
  kvtest::ErrorCapture errorLog;
  MolecularSystem system(molecule.get());
  EXPECT_EQ((std::vector<double>{0.0, 0.0, 0.0}), system.charges);
  EXPECT_TRUE(std::isfinite(system.EnergyForce()));
}
