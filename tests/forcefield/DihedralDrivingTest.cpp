// Measuring, setting and holding a dihedral, and the relaxed torsion scan.
#include "forcefield/OptimiserFixture.h"

#include "math/Constants.h"
#include "support/ErrorCapture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>

namespace {

class DihedralDriving : public fftest::OptimiserTest {
protected:
  void SetUp() override {
    OptimiserTest::SetUp();
    butane = fftest::alkane(4);
    system.reset(new MolecularSystem(butane.get()));
  }
  std::unique_ptr<Molecule> butane;
  std::unique_ptr<MolecularSystem> system;
};


double degreesOf(const MolecularSystem& s) {
  return s.calculateDihedralAngle(0, 1, 2, 3) * 180.0 / kPi;
}

int axisOf(const MolecularSystem& s, int j, int k) {
  for (int t = 0; t < s.torsionAxisCount; ++t)
    if ((s.torsionAxisAtom1[t] == j && s.torsionAxisAtom2[t] == k) ||
        (s.torsionAxisAtom1[t] == k && s.torsionAxisAtom2[t] == j))
      return t;
  return -1;
}

}  // namespace

TEST_F(DihedralDriving, AnglesOfPlanarCisTransAndASmallTurnAndWhichAreDihedrals) {
  auto& c = system->coordinates;
  c[1] = SSEVector4f(0, 0, 0);
  c[2] = SSEVector4f(1.5f, 0, 0);
  c[0] = SSEVector4f(-0.5f, 1, 0);
  c[3] = SSEVector4f(2.0f, 1, 0);
  EXPECT_NEAR(0.0f, system->calculateDihedralAngle(0, 1, 2, 3), 1e-6);
  c[3] = SSEVector4f(2.0f, -1, 0);
  EXPECT_NEAR(kPi, system->calculateDihedralAngle(0, 1, 2, 3), 1e-6);
  // Looking along 1->2 (+x), +z lies clockwise of +y: a small turn that way is a small positive
  // angle, one the other way lands just below 2 pi.
  c[3] = SSEVector4f(2.0f, 1, 0.01f);
  EXPECT_NEAR(0.01f, system->calculateDihedralAngle(0, 1, 2, 3), 1e-3);
  c[3] = SSEVector4f(2.0f, 1, -0.01f);
  const float phi = system->calculateDihedralAngle(0, 1, 2, 3);
  EXPECT_LT(phi, 2 * kPi);
  EXPECT_GT(phi, 2 * kPi - 0.05f);
  // Collinear atoms and bad indices give 0, never NaN.
  c[0] = SSEVector4f(-1.0f, 0, 0);
  EXPECT_EQ(0.0f, system->calculateDihedralAngle(0, 1, 2, 3));
  EXPECT_EQ(0.0f, system->calculateDihedralAngle(0, 1, 2, 99));
  // A dihedral of the system is taken in either direction only.
  EXPECT_TRUE(system->isDihedral(0, 1, 2, 3) && system->isDihedral(3, 2, 1, 0));
  EXPECT_FALSE(system->isDihedral(1, 0, 2, 3) || system->isDihedral(0, 2, 1, 3));
}

// The chemists' sign: looking along 1->2, the far bond 2-3 clockwise of the near bond 0-1 is
// positive. Along +z, +x turned clockwise goes to +y, so the far atom at angle a about the axis,
// measured from the near one, gives a; RDKit's GetDihedralDeg gives the same for these points.
TEST_F(DihedralDriving, AnglesHaveTheChemistsSignAndSetRotationAtTheCurrentAngleMovesNothing) {
  auto& c = system->coordinates;
  for (const double degrees : {68.0, -68.0, 120.0, -150.0}) {
    const double a = degrees * M_PI / 180.0;
    c[0] = SSEVector4f(1.0f, 0, 0);
    c[1] = SSEVector4f(0, 0, 0);
    c[2] = SSEVector4f(0, 0, 1.5f);
    c[3] = SSEVector4f(static_cast<float>(std::cos(a)), static_cast<float>(std::sin(a)), 1.5f);
    const double expected = degrees < 0 ? degrees + 360.0 : degrees;
    EXPECT_NEAR(expected, degreesOf(*system), 1e-3) << degrees;
    const std::vector<SSEVector4f> before = c;
    system->setRotation(0, 1, 2, 3, expected);
    for (size_t i = 0; i < before.size(); ++i)
      EXPECT_NEAR(0.0f, (before[i] - c[i]).length(), 1e-4) << degrees << " atom " << i;
  }
}

TEST_F(DihedralDriving, SetRotationReachesTheTargetRigidly) {
  for (double target : {60.0, 180.0, 300.0, -30.0}) {
    system->setRotation(0, 1, 2, 3, target);
    const double expected = target < 0 ? target + 360.0 : target;
    EXPECT_NEAR(expected, degreesOf(*system), 1e-3) << target;
  }
  const SSEVector4f d = system->coordinates[2] - system->coordinates[3];
  EXPECT_NEAR(1.54, d.length(), 0.05);
  const std::vector<SSEVector4f> before = system->coordinates;
  system->setRotation(0, 1, 2, 3, std::numeric_limits<double>::quiet_NaN());
  system->setRotation(0, 1, 2, -1, 10.0);
  for (size_t a = 0; a < before.size(); ++a) EXPECT_EQ(before[a].x, system->coordinates[a].x);
}

TEST_F(DihedralDriving, RelaxedRotationHoldsTheDihedralAndLeavesTheAxisFrozen) {
  const int axis = axisOf(*system, 1, 2);
  ASSERT_GE(axis, 0);
  ASSERT_TRUE(system->setRelaxedRotation(0, 1, 2, 3, 120.0));
  EXPECT_NEAR(120.0, degreesOf(*system), 1.0);
  EXPECT_TRUE(system->torsionAxisFrozen[axis]);
  EXPECT_TRUE(system->constrainedDihedrals.empty() && system->constraintTargets.empty() &&
              !system->dihedralConstraintsEnabled) << "the restraint is taken off again";
  kvtest::ErrorCapture errors;
  EXPECT_FALSE(system->setRelaxedRotation(0, 1, 2, 3, std::numeric_limits<double>::infinity()));
  EXPECT_EQ(1u, errors.lines.size()) << errors.text();
}

TEST_F(DihedralDriving, FullTurnScanGivesThirtySevenPointsWithMinimumZero) {
  setVerbosity(2);
  std::map<float, float> profile;
  ASSERT_EQ(MolecularSystem::ScanResult::Done,
            system->rotationPES(0, 1, 2, 3, 0.0, 360.0, 10.0, profile));
  ASSERT_EQ(37u, profile.size());
  float lowest = 1e30f, highest = -1e30f, key = 0.0f;
  for (const auto& entry : profile) {
    EXPECT_FLOAT_EQ(key, entry.first);
    key += 10.0f;
    lowest = std::min(lowest, entry.second);
    highest = std::max(highest, entry.second);
  }
  EXPECT_EQ(0.0f, lowest);
  EXPECT_GT(highest, 1.0f);   // a real barrier: the restraint held the dihedral
  EXPECT_EQ(profile[0.0f], profile[360.0f]) << "a whole turn ends where it began";
  // Afterwards: the axis free again, the verbosity as before, the scan start geometry.
  EXPECT_FALSE(system->torsionAxisFrozen[axisOf(*system, 1, 2)]);
  EXPECT_EQ(2, UtilityEngine::instance()->printLevel);
  EXPECT_FALSE(system->dihedralConstraintsEnabled);
  EXPECT_NEAR(0.0, degreesOf(*system), 1e-3);
}

TEST_F(DihedralDriving, ShortRangesAndAnEndBetweenSteps) {
  using R = MolecularSystem::ScanResult;
  const struct {
    double from, to, step;
    R result;
    std::vector<float> keys;
  } cases[] = {{0.0, 20.0, 10.0, R::Done, {0, 10, 20}},
               {0.0, 15.0, 10.0, R::EmptyRange, {}},
               {0.0, 25.0, 10.0, R::Done, {0, 10, 20, 25}},   // the end on its own after 20
               {40.0, 0.0, -10.0, R::Done, {0, 10, 20, 30, 40}}};
  for (const auto& c : cases) {
    std::map<float, float> profile;
    EXPECT_EQ(c.result, system->rotationPES(0, 1, 2, 3, c.from, c.to, c.step, profile)) << c.to;
    std::vector<float> keys;
    for (const auto& entry : profile) keys.push_back(entry.first);
    EXPECT_EQ(c.keys, keys) << c.from << " to " << c.to;
  }
}

TEST_F(DihedralDriving, BadScanArgumentsAreRejectedWithTheProfileUntouched) {
  const double inf = std::numeric_limits<double>::infinity();
  std::map<float, float> profile = {{1.0f, 2.0f}};
  const std::vector<SSEVector4f> before = system->coordinates;
  using R = MolecularSystem::ScanResult;
  kvtest::ErrorCapture errors;
  EXPECT_EQ(R::Rejected, system->rotationPES(0, 1, 2, 3, 0.0, 360.0, 0.0, profile));
  EXPECT_EQ(R::Rejected, system->rotationPES(0, 1, 2, 3, 0.0, 360.0, -10.0, profile));
  EXPECT_EQ(R::Rejected, system->rotationPES(0, 1, 2, 3, 0.0, inf, 10.0, profile));
  EXPECT_EQ(R::Rejected, system->rotationPES(0, 1, 2, 3, 0.0, 360.0, 1e-300, profile));
  EXPECT_EQ(R::Rejected, system->rotationPES(0, 1, 2, 40, 0.0, 360.0, 10.0, profile));
  EXPECT_EQ(5u, errors.lines.size()) << errors.text();   // one line per refusal
  EXPECT_EQ(1u, profile.size());
  for (size_t a = 0; a < before.size(); ++a) EXPECT_EQ(before[a].x, system->coordinates[a].x);
}

TEST_F(DihedralDriving, CumulatedEndsTurnRigidlyToTheNearestMinimumOfTheirTwist) {
  // Allene laid flat (a drawing) sits on the top of its twist, where no force turns it: the far
  // end turns to 90 degrees; one at -60 turns to -90, keeping its hand; butatriene at 30 lies
  // flat. The near end stays, and every bond keeps its length.
  const struct {
    int centres;
    double twist, expected;
  } cases[] = {{1, 0.0, 90.0}, {1, -60.0, 270.0}, {1, 100.0, 90.0}, {2, 30.0, 0.0},
               {2, 160.0, 180.0}, {3, 10.0, 90.0}};
  for (const auto& c : cases) {
    auto molecule = fftest::cumulene(c.centres, c.twist);
    MolecularSystem s(molecule.get());
    const std::vector<SSEVector4f> before = s.coordinates;
    const int last = c.centres + 1, nearH = last + 1, farH = last + 2;
    s.turnCumulatedEnds();
    const double turned = s.calculateDihedralAngle(nearH, 0, last, farH) * 180.0 / kPi;
    EXPECT_NEAR(c.expected, turned, 0.01) << c.centres << " centres at " << c.twist;
    EXPECT_NEAR(0.0, s.EDihedral(), 1e-6);
    for (int a = 0; a <= last; ++a) EXPECT_EQ(before[a].x, s.coordinates[a].x);
    EXPECT_EQ(before[nearH].y, s.coordinates[nearH].y);
    EXPECT_NEAR(0.94, std::hypot(s.coordinates[farH].y, s.coordinates[farH].z), 1e-5);
  }
  // A chain in a ring would turn the whole ring: it is left as it is. Here an atom bonded to
  // the two hydrogens on the +y side closes one of six.
  auto molecule = fftest::cumulene(1, 0.0);
  Atom* bridge = Builder::instance()->createAtom();
  bridge->type = "CH2";
  bridge->element = "C";
  bridge->position = SSEVector4f(1.31f, 1.8f, 0.0f, 1.0f);
  molecule->addAtom(bridge);
  molecule->addBond(3u, 7u, 1);
  molecule->addBond(4u, 7u, 1);
  MolecularSystem ring(molecule.get());
  ASSERT_FALSE(ring.cumuleneTwistBarrier.empty());
  const std::vector<SSEVector4f> before = ring.coordinates;
  ring.turnCumulatedEnds();
  for (int a = 0; a < ring.atomCount; ++a) {
    EXPECT_EQ(before[a].y, ring.coordinates[a].y) << a;
    EXPECT_EQ(before[a].z, ring.coordinates[a].z) << a;
  }
}
