// Energy terms and their analytical forces.
#include "forcefield/MolecularSystem.h"
#include "forcefield/OptimiserFixture.h"
#include "math/Constants.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

namespace {

using Term = double (MolecularSystem::*)();

struct NamedTerm {
  const char* name;
  Term term;
};

const NamedTerm kTerms[] = {
    {"EFelec", &MolecularSystem::EFelec},
    {"EFVDW", &MolecularSystem::EFVDW},
    {"EFBond", &MolecularSystem::EFBond},
    {"EFAngle", &MolecularSystem::EFAngle},
    {"EFDihedral", &MolecularSystem::EFDihedral},
    {"EFImproperDihedral", &MolecularSystem::EFImproperDihedral},
};

double evaluate(MolecularSystem& s, Term term) {
  for (int a = 0; a < s.atomCount; ++a) s.forceX[a] = s.forceY[a] = s.forceZ[a] = 0.0;
  return (s.*term)();
}

float& component(MolecularSystem& s, int atom, int axis) {
  return axis == 0 ? s.coordinates[atom].x : axis == 1 ? s.coordinates[atom].y
                                                       : s.coordinates[atom].z;
}

// Largest difference between the analytical force and the central difference of the energy.
// The float coordinates are read back after each move, so the step that was really taken is
// the one divided by.
// The default step is small enough that the third-derivative error of the distorted torsions
// stays below 1e-5.
double worstForceError(MolecularSystem& s, Term term, double& largestForce, double h = 2e-4) {
  evaluate(s, term);
  const std::vector<double> fx = s.forceX, fy = s.forceY, fz = s.forceZ;
  double worst = 0.0;
  largestForce = 0.0;
  for (int a = 0; a < s.atomCount; ++a)
    for (int axis = 0; axis < 3; ++axis) {
      float& c = component(s, a, axis);
      const float original = c;
      c = static_cast<float>(original + h);
      const double up = c;
      const double ePlus = evaluate(s, term);
      c = static_cast<float>(original - h);
      const double down = c;
      const double eMinus = evaluate(s, term);
      c = original;
      const double numeric = -(ePlus - eMinus) / (up - down);
      const double analytic = axis == 0 ? fx[a] : axis == 1 ? fy[a] : fz[a];
      worst = std::max(worst, std::fabs(numeric - analytic));
      largestForce = std::max(largestForce, std::fabs(analytic));
    }
  return worst;
}

class EnergyTerms : public ::testing::Test {
protected:
  fftest::ScopedTables tables;
};

}  // namespace

TEST_F(EnergyTerms, AnalyticalForcesMatchCentralDifferencesOnDistortedMolecules) {
  std::vector<std::function<std::unique_ptr<Molecule>()>> builders = {
      [] { return fftest::alkane(4); }, fftest::cyclohexane, fftest::ethene,
      fftest::nitromethane, fftest::formaldehyde};
  for (const NamedTerm& t : kTerms) {
    double largestOverMolecules = 0.0;
    for (size_t m = 0; m < builders.size(); ++m) {
      auto molecule = builders[m]();
      MolecularSystem system(molecule.get());
      fftest::distort(system.coordinates, 0.15f);
      double largest = 0.0;
      const double worst = worstForceError(system, t.term, largest);
      EXPECT_LT(worst, 1e-3) << t.name << " on " << molecule->getName();
      largestOverMolecules = std::max(largestOverMolecules, largest);
    }
    // The comparison means something only if the term pushes somewhere.
    EXPECT_GT(largestOverMolecules, 0.5) << t.name;
  }
}

TEST_F(EnergyTerms, EachTermsForcesSumToZero) {
  auto molecule = fftest::nitromethane();
  MolecularSystem system(molecule.get());
  fftest::distort(system.coordinates, 0.15f);
  for (const NamedTerm& t : kTerms) {
    evaluate(system, t.term);
    double sx = 0.0, sy = 0.0, sz = 0.0;
    for (int a = 0; a < system.atomCount; ++a) {
      sx += system.forceX[a];
      sy += system.forceY[a];
      sz += system.forceZ[a];
    }
    EXPECT_LT(std::fabs(sx) + std::fabs(sy) + std::fabs(sz), 1e-9) << t.name;
  }
}

TEST_F(EnergyTerms, EnergyForceIsTheSumOfTheSwitchedOnTermsAndZeroWithAllOff) {
  auto molecule = fftest::alkane(5);
  MolecularSystem system(molecule.get());
  fftest::distort(system.coordinates, 0.15f);
  double sum = 0.0;
  for (const NamedTerm& t : kTerms) sum += evaluate(system, t.term);
  EXPECT_NEAR(sum, system.EnergyForce(), 1e-9 * std::fabs(sum));
  EXPECT_NEAR(system.Eelec() + system.EVDW() + system.EDihedral(),
              evaluate(system, &MolecularSystem::NonBondedEnergy), 1e-9);

  system.electrostaticsEnabled = system.vanDerWaalsEnabled = system.bondsEnabled = false;
  system.anglesEnabled = system.dihedralsEnabled = system.impropersEnabled = false;
  EXPECT_EQ(0.0, system.EnergyForce());
  for (int a = 0; a < system.atomCount; ++a) EXPECT_EQ(0.0, system.forceX[a]);
}

TEST_F(EnergyTerms, OneFourPairsAreHalvedAndCanBeSwitchedOff) {
  auto molecule = fftest::ethane();   // its only non-bonded pairs are 1-4 H-H pairs
  MolecularSystem system(molecule.get());
  const double scaled = system.Eelec();
  ASSERT_NE(0.0, scaled);
  system.scale14 = 1.0;
  EXPECT_NEAR(2.0 * scaled, system.Eelec(), 1e-12);
  system.electrostatics14Enabled = false;
  system.vanDerWaals14Enabled = false;
  EXPECT_EQ(0.0, system.Eelec());
  EXPECT_EQ(0.0, system.EVDW());
  EXPECT_EQ(0.0, system.EelecEX14());
}

TEST_F(EnergyTerms, ZeroLengthBondPushesAlongTheDiagonalAndCoincidentAtomsStayFinite) {
  auto molecule = fftest::buildMolecule(
      "pair", {{"CH3", "C", 1.0f, 1.0f, 1.0f}, {"CH3", "C", 1.0f, 1.0f, 1.0f}},
      {{0, 1, 1, false}});
  MolecularSystem system(molecule.get());
  const double energy = evaluate(system, &MolecularSystem::EFBond);
  // r is taken as 1 along (1, 1, 1)/sqrt(3): energy k (1 - 1.54)^2, first atom pushed along +.
  EXPECT_NEAR(100.0 * 0.54 * 0.54, energy, 1e-4);
  EXPECT_GT(system.forceX[0], 0.0);
  EXPECT_NEAR(system.forceX[0], system.forceY[0], 1e-12);
  EXPECT_NEAR(-system.forceX[0], system.forceX[1], 1e-12);

  auto nitro = fftest::nitromethane();
  MolecularSystem stacked(nitro.get());
  for (int a = 1; a < stacked.atomCount; ++a) stacked.coordinates[a] = stacked.coordinates[0];
  EXPECT_TRUE(std::isfinite(stacked.EnergyForce()));
  for (int a = 0; a < stacked.atomCount; ++a)
    EXPECT_TRUE(std::isfinite(stacked.forceX[a] + stacked.forceY[a] + stacked.forceZ[a])) << a;
  EXPECT_TRUE(std::isfinite(stacked.Eelec() + stacked.EVDW() + stacked.EelecEX14()));
}

TEST_F(EnergyTerms, PairsOfFixedAtomsAddNoForceButStillCountInEnergyOnly) {
  auto molecule = fftest::ethane();
  for (Atom* atom : molecule->atoms) atom->isPosFix = true;
  MolecularSystem system(molecule.get());
  fftest::distort(system.coordinates, 0.15f);
  EXPECT_EQ(0.0, system.EnergyForce());
  EXPECT_NE(0.0, system.Eelec());
  EXPECT_NE(0.0, system.EVDW());
}

TEST_F(EnergyTerms, CollinearAnglesStayFiniteAndAnAngleTakesTheNearestReference) {
  auto molecule = fftest::buildMolecule(
      "line", {{"H", "H", -1.1f, 0, 0}, {"CH3", "C", 0, 0, 0}, {"H", "H", 1.1f, 0, 0}},
      {{0, 1, 1, false}, {1, 2, 1, false}});
  MolecularSystem system(molecule.get());
  system.ureyBradleyEnabled = false;
  const double delta = kPiDouble - 109.5 * kPiDouble / 180.0;
  EXPECT_NEAR(55.0 * delta * delta, evaluate(system, &MolecularSystem::EFAngle), 1e-4);
  for (int a = 0; a < 3; ++a) EXPECT_TRUE(std::isfinite(system.forceY[a]));
  // The line is a ridge of the bent angle's energy: both ends are pushed the same way across
  // it, with the slope 2 k delta / r that any move across meets, and nothing along it.
  const double across[3] = {std::hypot(system.forceY[0], system.forceZ[0]),
                            std::hypot(system.forceY[1], system.forceZ[1]),
                            std::hypot(system.forceY[2], system.forceZ[2])};
  EXPECT_NEAR(2.0 * 55.0 * delta / 1.1, across[0], 1e-3);
  EXPECT_NEAR(across[0], across[2], 1e-9);
  EXPECT_NEAR(2.0 * across[0], across[1], 1e-9);
  EXPECT_GT(system.forceY[0] * system.forceY[2] + system.forceZ[0] * system.forceZ[2], 0.0);
  for (int a = 0; a < 3; ++a) EXPECT_EQ(0.0, system.forceX[a]) << a;
  system.angleReference[0] = static_cast<float>(kPi);   // 180 degrees: a straight angle is free
  EXPECT_EQ(0.0, system.EFAngle());
  // Its 1-3 distance term still counts on the line, as it does a hair off it: the ends 0.4 A
  // beyond the Urey-Bradley length are pulled together.
  system.ureyBradleyEnabled = true;
  system.ureyBradleyForceConstant[0] = 55.0;
  system.ureyBradleyLength[0] = 1.8;
  const double onLine = evaluate(system, &MolecularSystem::EFAngle);
  EXPECT_NEAR(55.0 * 0.4 * 0.4, onLine, 1e-4);
  EXPECT_NEAR(2.0 * 55.0 * 0.4, system.forceX[0], 1e-4);
  EXPECT_NEAR(-system.forceX[0], system.forceX[2], 1e-9);
  system.coordinates[2].y = 1e-4f;
  EXPECT_NEAR(onLine, evaluate(system, &MolecularSystem::EFAngle), 1e-4);
  system.coordinates[2].y = 0.0f;
  system.angleReference[0] = 170.0 * kPi / 180.0;   // a bent reference keeps both terms
  EXPECT_GT(evaluate(system, &MolecularSystem::EFAngle), 55.0 * 0.4 * 0.4);
  system.ureyBradleyEnabled = false;

  system.coordinates[0] = SSEVector4f(-0.55f, 0.9526279f, 0.0f, 1.0f);   // 120 degrees
  system.angleReference[0] = 100.0 * kPi / 180.0;
  const double far = system.EFAngle();
  system.angleReference2[0] = 118.0 * kPi / 180.0;
  const double near = system.EFAngle();
  EXPECT_NEAR(55.0 * std::pow(2.0 * kPi / 180.0, 2), near, 1e-4);
  EXPECT_GT(far, near);
}

TEST_F(EnergyTerms, TorsionWithCollinearAtomsOrNoBarrierContributesNothing) {
  auto molecule = fftest::ethane();
  MolecularSystem system(molecule.get());
  // Put the first hydrogen on the C-C axis: every dihedral through it loses its plane.
  system.coordinates[2] = SSEVector4f(-1.1f, 0.0f, 0.0f, 1.0f);
  for (int d = 0; d < system.dihedralCount; ++d)
    if (system.dihedralAtom1[d] != 2 && system.dihedralAtom4[d] != 2)
      system.dihedralBarrier[d] = 0.0;
  EXPECT_EQ(0.0, evaluate(system, &MolecularSystem::EFDihedral));
  for (int a = 0; a < system.atomCount; ++a) EXPECT_EQ(0.0, system.forceX[a]);
}

TEST_F(EnergyTerms, ATorsionSumsItsFurtherTermsAtTheSameAngle) {
  // Every single-bond torsion as a three-term series.
  std::vector<DihedralParameters*>& rows = tables.tables().dihedralParameters;
  for (DihedralParameters* row : rows) delete row;
  rows.clear();
  tables.tables().parseDihedralTable("AXIS * * 1 3 0.0 1.40\nAXIS * * 1 1 0.0 0.30\n"
                                     "AXIS * * 1 2 180.0 0.50\n");
  auto molecule = fftest::alkane(4);
  MolecularSystem system(molecule.get());
  fftest::distort(system.coordinates, 0.15f);
  ASSERT_EQ(2u * system.dihedralCount, system.dihedralTermOf.size());
  auto term = [&](int d, double n, double phase, double barrier) {
    const double phi = system.calculateDihedralAngle(system.dihedralAtom1[d],
                                                     system.dihedralAtom2[d],
                                                     system.dihedralAtom3[d],
                                                     system.dihedralAtom4[d]);
    return barrier * (1.0 + std::cos(n * phi - phase));
  };
  double expected = 0.0;
  for (int d = 0; d < system.dihedralCount; ++d)
    expected += term(d, system.dihedralPeriodicity[d], system.dihedralPhase[d],
                     system.dihedralBarrier[d]);
  for (size_t t = 0; t < system.dihedralTermOf.size(); ++t)
    expected += term(system.dihedralTermOf[t], system.dihedralTermPeriodicity[t],
                     system.dihedralTermPhase[t], system.dihedralTermBarrier[t]);
  EXPECT_NEAR(expected, system.EDihedral(), 1e-4);
  EXPECT_NEAR(expected, evaluate(system, &MolecularSystem::EFDihedral), 1e-4);
  double largest = 0.0;
  EXPECT_LT(worstForceError(system, &MolecularSystem::EFDihedral, largest), 1e-3);
}

TEST_F(EnergyTerms, OneWalkOfThePairsGivesBothNonBondedTermsWithTheirSwitchesFixedAndStackedAtoms) {
  auto molecule = fftest::alkane(5);
  molecule->atoms[3]->isPosFix = true;
  molecule->atoms[4]->isPosFix = true;
  MolecularSystem system(molecule.get());
  fftest::distort(system.coordinates, 0.15f);
  system.coordinates[7] = system.coordinates[12];   // two hydrogens of different carbons stacked
  system.bondsEnabled = system.anglesEnabled = false;
  system.dihedralsEnabled = system.impropersEnabled = false;
  for (int switches = 0; switches < 4; ++switches) {
    system.electrostatics14Enabled = (switches & 1) == 0;
    system.vanDerWaals14Enabled = (switches & 2) == 0;
    double separate = evaluate(system, &MolecularSystem::EFelec);
    separate += system.EFVDW();   // adds its forces to those of EFelec
    const std::vector<double> fx = system.forceX, fy = system.forceY, fz = system.forceZ;
    const double together = system.EnergyForce();
    EXPECT_NEAR(separate, together, 1e-9 * std::fabs(separate)) << switches;
    for (int a = 0; a < system.atomCount; ++a) {
      const double scale = 1e-9 * (1.0 + std::fabs(fx[a]) + std::fabs(fy[a]) + std::fabs(fz[a]));
      EXPECT_NEAR(fx[a], system.forceX[a], scale) << switches << " atom " << a;
      EXPECT_NEAR(fy[a], system.forceY[a], scale) << switches << " atom " << a;
      EXPECT_NEAR(fz[a], system.forceZ[a], scale) << switches << " atom " << a;
    }
  }
}

TEST_F(EnergyTerms, TorsionOfEveryPeriodicityAndPhaseFollowsItsCosineAndItsForces) {
  auto molecule = fftest::alkane(4);
  MolecularSystem system(molecule.get());
  fftest::distort(system.coordinates, 0.2f);
  // One dihedral well away from 0 and 180 degrees keeps a barrier; its angle from the
  // coordinates.
  auto at = [&](int atom) {
    const SSEVector4f& p = system.coordinates[atom];
    return std::vector<double>{p.x, p.y, p.z};
  };
  auto minus = [](const std::vector<double>& a, const std::vector<double>& b) {
    return std::vector<double>{a[0] - b[0], a[1] - b[1], a[2] - b[2]};
  };
  auto cross = [](const std::vector<double>& a, const std::vector<double>& b) {
    return std::vector<double>{a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2],
                               a[0] * b[1] - a[1] * b[0]};
  };
  auto dot = [](const std::vector<double>& a, const std::vector<double>& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
  };
  auto signedAngle = [&](int d) {
    const std::vector<double> b1 = minus(at(system.dihedralAtom1[d]), at(system.dihedralAtom2[d]));
    const std::vector<double> b2 = minus(at(system.dihedralAtom2[d]), at(system.dihedralAtom3[d]));
    const std::vector<double> b3 = minus(at(system.dihedralAtom4[d]), at(system.dihedralAtom3[d]));
    const std::vector<double> A = cross(b1, b2), B = cross(b3, b2);
    const double phi = std::acos(dot(A, B) / std::sqrt(dot(A, A) * dot(B, B)));
    return dot(A, b3) < 0.0 ? -phi : phi;
  };
  int kept = -1;
  for (int d = 0; d < system.dihedralCount && kept < 0; ++d)
    if (std::fabs(std::sin(signedAngle(d))) > 0.5) kept = d;
  ASSERT_GE(kept, 0);
  for (int d = 0; d < system.dihedralCount; ++d) system.dihedralBarrier[d] = 0.0;
  for (double& barrier : system.dihedralTermBarrier) barrier = 0.0;

  // Both signs of the angle: the mirror image turns it the other way.
  const double halfTurn = kPiWidened;   // 180 degrees as the tables hold it
  for (bool mirrored : {false, true}) {
    if (mirrored)
      for (SSEVector4f& p : system.coordinates) p.x = -p.x;
    const double phi = signedAngle(kept);
    for (double n : {0.0, 1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 1.5, 7.0})
      for (double delta : {0.0, halfTurn, 0.3}) {
        system.dihedralPeriodicity[kept] = n;
        system.dihedralPhase[kept] = delta;
        system.dihedralBarrier[kept] = 2.5;
        EXPECT_NEAR(2.5 * (1.0 + std::cos(n * phi - delta)),
                    evaluate(system, &MolecularSystem::EFDihedral), 1e-9)
            << "n " << n << " phase " << delta << " mirrored " << mirrored;
        double largest = 0.0;
        EXPECT_LT(worstForceError(system, &MolecularSystem::EFDihedral, largest), 1e-4)
            << "n " << n << " phase " << delta << " mirrored " << mirrored;
      }
  }
}

namespace {

// Turns every position by a fixed rotation, so that a straight chain built along x lies along no
// axis and rounding puts its atoms a hair off the line.
void turn(std::vector<SSEVector4f>& points) {
  const double a = 0.5, b = 0.3;   // about z, then about y (radians)
  for (SSEVector4f& p : points) {
    const double x = std::cos(a) * p.x - std::sin(a) * p.y;
    const double y = std::sin(a) * p.x + std::cos(a) * p.y;
    const double z = p.z;
    p = SSEVector4f(static_cast<float>(std::cos(b) * x + std::sin(b) * z), static_cast<float>(y),
                    static_cast<float>(-std::sin(b) * x + std::cos(b) * z), 1.0f);
  }
}

}  // namespace

TEST_F(EnergyTerms, ForcesMatchCentralDifferencesAtAndNearStraightAngles) {
  // Two inner angles at and near 180 degrees: held straight by the table (2-butyne) and
  // tetrahedral in the table (butane's carbons forced into a line), along an axis and turned.
  // The step is kept below the distance of the bent ends from the line.
  const double h = 2e-5;
  for (bool alkyne : {true, false})
    for (double bend : {180.0, 179.9, 179.0, 175.0})
      for (bool turned : {false, true}) {
        auto molecule = fftest::straightenedChain(bend, alkyne);
        MolecularSystem system(molecule.get());
        if (turned) turn(system.coordinates);
        double largestOverTerms = 0.0;
        for (const NamedTerm& t : kTerms) {
          // A bent angle's own energy has a ridge on the line (tested above); its torsions fade
          // out smoothly there.
          if (!alkyne && bend == 180.0 && t.term == &MolecularSystem::EFAngle) continue;
          double largest = 0.0;
          const double worst = worstForceError(system, t.term, largest, h);
          EXPECT_LT(worst, 1e-3 + 1e-4 * largest)
              << t.name << (alkyne ? " 2-butyne" : " butane") << " at " << bend
              << (turned ? " turned" : " along x") << ", largest force " << largest;
          largestOverTerms = std::max(largestOverTerms, largest);
        }
        // The comparison means something only if the chain is pushed somewhere.
        EXPECT_GT(largestOverTerms, 5.0) << bend;
        // A torsion about an angle held straight adds nothing, even with the chain bent.
        if (alkyne) {
          EXPECT_EQ(0.0, evaluate(system, &MolecularSystem::EFDihedral)) << bend;
        }
      }
}

TEST_F(EnergyTerms, CumulatedDoubleBondsHoldTheirEndPlanesCrossedOrFlat) {
  // Allene (one straight centre) crosses its end planes, butatriene (two) lays them flat, a
  // pentatetraene (three) crosses them again. Each pair of end hydrogens has a twofold term of
  // 5.2 kcal/mol about the line through the chain, so the four pairs give a barrier of 41.6.
  for (int centres : {1, 2, 3}) {
    const bool crossed = centres % 2 == 1;
    for (double twist : {0.0, 30.0, 45.0, 90.0, 135.0}) {
      auto molecule = fftest::cumulene(centres, twist);
      MolecularSystem system(molecule.get());
      ASSERT_EQ(4u, system.cumuleneTwistBarrier.size()) << centres;
      for (size_t c = 0; c < 4; ++c) {
        EXPECT_EQ(0, system.cumuleneTwistAtom2[c]);
        EXPECT_EQ(centres + 1, system.cumuleneTwistAtom3[c]);
      }
      // The torsions through a straight centre take no terms: the twist terms stand alone.
      ASSERT_GT(system.dihedralCount, 0);
      for (int d = 0; d < system.dihedralCount; ++d) EXPECT_EQ(0.0, system.dihedralBarrier[d]);
      const double c2 = std::cos(2.0 * twist * kPi / 180.0);
      const double expected = 4.0 * 5.2 * (crossed ? 1.0 + c2 : 1.0 - c2);
      EXPECT_NEAR(expected, evaluate(system, &MolecularSystem::EFDihedral), 1e-4)
          << centres << " centres at " << twist;
      EXPECT_NEAR(expected, system.EDihedral(), 1e-4);
    }
  }
  // Forces against central differences on distorted chains, crossed, flat and in between.
  for (int centres : {1, 2})
    for (double twist : {0.0, 30.0, 90.0}) {
      auto molecule = fftest::cumulene(centres, twist);
      MolecularSystem system(molecule.get());
      fftest::distort(system.coordinates, 0.15f);
      double largest = 0.0;
      const double worst = worstForceError(system, &MolecularSystem::EFDihedral, largest);
      EXPECT_GT(largest, 1.0) << centres << " centres at " << twist;
      EXPECT_LT(worst, 1e-3) << centres << " centres at " << twist;
    }
  // Double and triple bonds without a straight centre have no twist terms.
  auto ethene = fftest::ethene();
  EXPECT_TRUE(MolecularSystem(ethene.get()).cumuleneTwistBarrier.empty());
  auto butyne = fftest::straightenedChain(180.0, true);
  EXPECT_TRUE(MolecularSystem(butyne.get()).cumuleneTwistBarrier.empty());
}

// The pair walk keeps its pairs' parameter products between evaluations: every change of what
// they are made from must be seen, and no evaluation without one may make them again.
TEST_F(EnergyTerms, KeptPairParametersFollowEveryChangeOfWhatTheyAreMadeFrom) {
  auto molecule = fftest::cyclohexane();   // has ring contacts besides 1-4 and farther pairs
  MolecularSystem system(molecule.get());
  fftest::distort(system.coordinates, 0.15f);
  system.bondsEnabled = system.anglesEnabled = false;
  system.dihedralsEnabled = system.impropersEnabled = false;
  auto separate = [&system] {
    return evaluate(system, &MolecularSystem::EFelec) + system.EFVDW();
  };
  ASSERT_GT(std::fabs(system.EnergyForce()), 0.0);
  const int builds = system.pairTermBuilds;
  system.EnergyForce();
  system.EnergyForce();
  EXPECT_EQ(builds, system.pairTermBuilds);

  const std::vector<std::pair<const char*, std::function<void()>>> changes = {
      {"charge", [&] { system.charges[0] += 0.3; }},
      {"well depth", [&] { system.vdwEpsilon[1] *= 3.0; }},
      {"radius", [&] { system.vdwRadius[2] += 0.4; }},
      {"fixed atoms", [&] { system.atomFixed[0] = system.atomFixed[3] = true; }},
      {"1-4 scale", [&] { system.scale14 = 0.8; }},
      {"ring contact scale", [&] { system.ringContactScale = 0.9; }},
      {"1-4 electrostatics", [&] { system.electrostatics14Enabled = false; }},
      {"1-4 van der Waals", [&] { system.vanDerWaals14Enabled = false; }},
      {"pair list", [&] {
         system.coordinates[3].x += 5.0f;
         ASSERT_TRUE(system.refreshPairList());
       }},
  };
  for (const auto& change : changes) {
    const double before = system.EnergyForce();
    change.second();
    const double expected = separate();
    const std::vector<double> fx = system.forceX, fy = system.forceY, fz = system.forceZ;
    const double kept = system.EnergyForce();
    EXPECT_NE(before, kept) << change.first;   // the change matters
    EXPECT_NEAR(expected, kept, 1e-9 * std::fabs(expected)) << change.first;
    for (int a = 0; a < system.atomCount; ++a) {
      EXPECT_NEAR(fx[a], system.forceX[a], 1e-9 * (1.0 + std::fabs(fx[a]))) << change.first;
      EXPECT_NEAR(fy[a], system.forceY[a], 1e-9 * (1.0 + std::fabs(fy[a]))) << change.first;
      EXPECT_NEAR(fz[a], system.forceZ[a], 1e-9 * (1.0 + std::fabs(fz[a]))) << change.first;
    }
  }
}

// The torsion walk keeps its torsions and terms between evaluations: a system changed after an
// evaluation must give what a system changed before any gives, and an evaluation without a
// change must not make the list again.
TEST_F(EnergyTerms, KeptTorsionListFollowsEveryChangeOfItsTermsAtomsAndFixedAtoms) {
  using Change = std::function<void(MolecularSystem&)>;
  struct Case {
    const char* name;
    std::function<std::unique_ptr<Molecule>()> molecule;
    Change change;
  };
  const Case cases[] = {
      {"barrier", [] { return fftest::alkane(4); },
       [](MolecularSystem& s) { s.dihedralBarrier[0] += 1.5; }},
      {"phase", [] { return fftest::alkane(4); },
       [](MolecularSystem& s) { s.dihedralPhase[1] = 1.0; }},
      {"periodicity", [] { return fftest::alkane(4); },
       [](MolecularSystem& s) { s.dihedralPeriodicity[2] = 2.5; }},
      {"further term", [] { return fftest::alkane(4); },
       [](MolecularSystem& s) {
         s.dihedralTermOf.insert(s.dihedralTermOf.begin(), 0);
         s.dihedralTermPhase.insert(s.dihedralTermPhase.begin(), 0.0);
         s.dihedralTermPeriodicity.insert(s.dihedralTermPeriodicity.begin(), 1.0);
         s.dihedralTermBarrier.insert(s.dihedralTermBarrier.begin(), 2.0);
       }},
      {"torsion atom", [] { return fftest::alkane(4); },
       [](MolecularSystem& s) { s.dihedralAtom4[0] = s.dihedralAtom4[s.dihedralCount - 1]; }},
      {"fixed atoms", [] { return fftest::alkane(4); },
       [](MolecularSystem& s) { s.atomFixed.assign(s.atomCount, true); }},
      {"improper", fftest::ethene, [](MolecularSystem& s) { s.improperBarrier[0] *= 3.0; }},
      {"twist", [] { return fftest::cumulene(1, 30.0); },
       [](MolecularSystem& s) {
         s.cumuleneTwistBarrier[0] *= 2.0;
         s.cumuleneTwistPhase[1] = 0.5;
       }},
  };
  const Term terms[] = {&MolecularSystem::EFDihedral, &MolecularSystem::EFImproperDihedral};
  for (const Case& c : cases) {
    auto molecule = c.molecule();
    MolecularSystem kept(molecule.get());
    fftest::distort(kept.coordinates, 0.15f);
    MolecularSystem fresh(molecule.get());
    fresh.coordinates = kept.coordinates;
    double before = 0.0;
    for (auto term : terms) before += evaluate(kept, term);
    const int builds = kept.torsionListBuilds;
    before += kept.EDihedral();
    EXPECT_EQ(builds, kept.torsionListBuilds) << c.name;
    c.change(kept);
    c.change(fresh);
    double after = 0.0;
    for (auto term : terms) {
      const double value = evaluate(kept, term);
      EXPECT_EQ(evaluate(fresh, term), value) << c.name;
      after += value;
      for (int a = 0; a < kept.atomCount; ++a) {
        EXPECT_EQ(fresh.forceX[a], kept.forceX[a]) << c.name;
        EXPECT_EQ(fresh.forceY[a], kept.forceY[a]) << c.name;
        EXPECT_EQ(fresh.forceZ[a], kept.forceZ[a]) << c.name;
      }
    }
    EXPECT_EQ(fresh.EDihedral(), kept.EDihedral()) << c.name;
    after += kept.EDihedral();
    EXPECT_NE(before, after) << c.name;   // the change matters
    EXPECT_EQ(builds + 1, kept.torsionListBuilds) << c.name;
  }
}
