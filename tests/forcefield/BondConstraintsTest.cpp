// SHAKE and the stereo-centre routines.

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "forcefield/ForceFieldFixture.h"
#include "forcefield/MolecularSystem.h"
#include "math/UtilityEngine.h"
#include "support/ConsoleCapture.h"

namespace {

double length(const SSEVector4f& a, const SSEVector4f& b) {
  const double dx = double(a.x) - b.x, dy = double(a.y) - b.y, dz = double(a.z) - b.z;
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

class Constraints : public ::testing::Test {
 protected:

  // A centre with two hydrogens (bonds 0-1 and 0-2), or a closed triangle.
  std::unique_ptr<MolecularSystem> angle(bool closed = false) {
    molecule = fftest::buildMolecule(
        "angle", {{"CH2", "C", 0.0f, 0.0f, 0.0f}, {"H", "H", 1.3f, 0.0f, 0.0f}, {"H", "H", 0.0f, 0.9f, 0.0f}},
        closed ? std::vector<fftest::BondRow>{{0, 1, 1, true}, {0, 2, 1, true}, {1, 2, 1, true}}
               : std::vector<fftest::BondRow>{{0, 1, 1, false}, {0, 2, 1, false}});
    auto s = std::make_unique<MolecularSystem>(molecule.get());
    s->constraintLength2.assign(s->constraintCount, 1.1 * 1.1);
    return s;
  }
  void expectMet(MolecularSystem& s, double tolerance) {
    for (int c = 0; c < s.constraintCount; ++c)
      EXPECT_NEAR(std::sqrt(s.constraintLength2[c]),
                  length(s.coordinates[s.constraintAtom1[c]], s.coordinates[s.constraintAtom2[c]]),
                  tolerance);
  }

  fftest::ScopedTables tables;
  std::unique_ptr<Molecule> molecule;
  kvtest::ConsoleCapture capture;
  std::vector<std::string>& console = capture.lines;
};

}  // namespace

TEST_F(Constraints, MetConstraintsEndAfterOneUnchangedPass) {
  auto s = angle();
  for (int c = 0; c < s->constraintCount; ++c) {
    const double r = length(s->coordinates[s->constraintAtom1[c]], s->coordinates[s->constraintAtom2[c]]);
    s->constraintLength2[c] = r * r;
  }
  const std::vector<SSEVector4f> before = s->coordinates;
  s->SHAKE(s->coordinates.data(), s->coordinates.data());
  for (size_t i = 0; i < before.size(); ++i) {
    EXPECT_EQ(before[i].x, s->coordinates[i].x);
    EXPECT_EQ(before[i].y, s->coordinates[i].y);
  }
  EXPECT_TRUE(console.empty());
}

TEST_F(Constraints, ConstraintsSharingAnAtomConvergeOverSeveralPasses) {
  auto s = angle();
  const std::vector<SSEVector4f> reference = s->coordinates;
  s->SHAKE(const_cast<SSEVector4f*>(reference.data()), s->coordinates.data());
  expectMet(*s, 1e-6);
  EXPECT_TRUE(console.empty()) << console.front();
}

TEST_F(Constraints, ImpossibleGeometryReportsAfterTheLimit) {
  auto s = angle(true);
  s->constraintLength2.back() = 3.0 * 3.0;   // longer than the other two together
  s->SHAKE(s->coordinates.data(), s->coordinates.data());
  EXPECT_EQ((std::vector<std::string>{"SHAKE: Unable to achieve convergence within   100 steps."}),
            console);
}

TEST_F(Constraints, CorrectionIsSharedByInverseMassAndFixedAtomsStay) {
  const struct {
    double mass0, mass1;
    bool fixed0, fixed1;
    double share0;   // part of the stretch taken up by atom 0
  } cases[] = {{1.0, 1.0, false, false, 0.5},
               {3.0, 1.0, false, false, 0.25},
               {1.0, 1.0, true, false, 0.0},
               {1.0, 1.0, false, true, 1.0},
               {0.0, 0.0, false, false, 0.5},
               {1.0, 1.0, true, true, 0.0}};
  for (const auto& c : cases) {
    auto s = angle();
    s->constraintCount = 1;   // only the bond 0-1 along x, 1.3 long, to be 1.1
    s->mass = {c.mass0, c.mass1, 1.0};
    s->atomFixed = {c.fixed0, c.fixed1, false};
    s->SHAKE(s->coordinates.data(), s->coordinates.data());
    const double moved0 = s->coordinates[0].x, moved1 = 1.3 - s->coordinates[1].x;
    if (c.fixed0 && c.fixed1) {
      EXPECT_EQ(0.0f, s->coordinates[0].x);
      EXPECT_EQ(1.3f, s->coordinates[1].x);
      continue;
    }
    EXPECT_NEAR(0.2 * c.share0, moved0, 1e-6) << c.mass0 << " " << c.mass1;
    EXPECT_NEAR(0.2 * (1.0 - c.share0), moved1, 1e-6) << c.mass0 << " " << c.mass1;
  }
  // Reference atoms on top of each other give no direction: the pair is left alone.
  auto s = angle();
  std::vector<SSEVector4f> reference(3, SSEVector4f(0.0f, 0.0f, 0.0f, 1.0f));
  s->SHAKE(reference.data(), s->coordinates.data());
  EXPECT_EQ(1.3f, s->coordinates[1].x);
  EXPECT_TRUE(console.empty());
}

TEST_F(Constraints, StereoCentreIsCheckedPushedAndMirrored) {
  // Centre 0; neighbours 1, 2, 3, 4; atom 5 hangs on neighbour 1, so 2 is the first terminal one.
  molecule = fftest::buildMolecule(
      "centre",
      {{"CH2", "C", 0, 0, 0}, {"CH2", "C", 1, 0, 0}, {"H", "H", 0, 1, 0}, {"H", "H", -1, -1, -1},
       {"H", "H", -1, -1, 1}, {"H", "H", 2, 0, 0}},
      {{0, 1, 1, false}, {0, 2, 1, false}, {0, 3, 1, false}, {0, 4, 1, false}, {1, 5, 1, false}});
  MolecularSystem s(molecule.get());
  ChiralCenter centre;
  centre.centre = 0;
  for (int n = 0; n < 4; ++n) centre.neighbours[n] = n + 1;
  centre.label = 1;   // wants the third neighbour above the first two's plane: it is below
  s.chiralCenters = {centre};
  EXPECT_FALSE(s.checkChiralCenters());
  s.checkChirality = false;
  EXPECT_TRUE(s.checkChiralCenters());
  s.checkChirality = true;

  // The push does not depend on where the origin is; each neighbour gets 20 kcal/mol/A.
  s.forceX.assign(6, 0.0);
  s.forceY.assign(6, 0.0);
  s.forceZ.assign(6, 0.0);
  MolecularSystem moved(molecule.get());
  moved.chiralCenters = s.chiralCenters;
  for (SSEVector4f& p : moved.coordinates) p = p + SSEVector4f(5.0f, -3.0f, 2.0f, 0.0f);
  moved.forceX = s.forceX;
  moved.forceY = s.forceY;
  moved.forceZ = s.forceZ;
  s.calChiralForces();
  moved.calChiralForces();
  EXPECT_FALSE(s.chiralCenters[0].satisfied);
  for (int n = 1; n <= 4; ++n) {
    EXPECT_NEAR(20.0, std::sqrt(s.forceX[n] * s.forceX[n] + s.forceY[n] * s.forceY[n] + s.forceZ[n] * s.forceZ[n]), 1e-4);
    EXPECT_NEAR(s.forceX[n], moved.forceX[n], 1e-4);
    EXPECT_NEAR(s.forceZ[n], moved.forceZ[n], 1e-4);
  }

  s.conserveStereoChem();
  EXPECT_EQ(-1.0f, s.coordinates[2].y) << "the terminal neighbour goes through the centre";
  EXPECT_EQ(1.0f, s.coordinates[1].x);
  EXPECT_TRUE(s.checkChiralCenters());

  // Third and fourth neighbours in the plane of the first two hold under either label.
  s.coordinates[3] = SSEVector4f(-1, 0, 0, 1);
  s.coordinates[4] = SSEVector4f(0, 1, 0, 1);
  for (int label : {1, 2}) {
    s.chiralCenters[0].label = label;
    EXPECT_TRUE(s.checkChiralCenters()) << label;
  }
}

TEST(StereoConversion, ReflectsThroughThePlaneAndTurnsTheNormal) {
  SSEVector4f normal(0, 0, 2, 7), a(1, 2, 3, 1), b(0, 0, -1, 0), c(4, 5, 0, 1);
  MolecularSystem::convertStereoChem(normal, a, b, c);
  EXPECT_EQ(-3.0f, a.z);
  EXPECT_EQ(1.0f, a.x);
  EXPECT_EQ(1.0f, b.z);
  EXPECT_EQ(0.0f, c.z);
  EXPECT_EQ(-1.0f, normal.z);
  EXPECT_EQ(7.0f, normal.w);
}
