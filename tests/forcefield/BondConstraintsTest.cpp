// SHAKE and the stereo-centre routines.

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "forcefield/ForceFieldFixture.h"
#include "forcefield/MolecularSystem.h"
#include "support/ConsoleCapture.h"

namespace {

class Constraints : public ::testing::Test {
 protected:
  // A carbon with two hydrogens (bonds 0-1 along x, 0-2 along y), or a closed triangle; every
  // constraint asks for 1.1 A.
  std::unique_ptr<MolecularSystem> angle(bool closed = false) {
    std::vector<fftest::BondRow> bonds = {{0, 1, 1, closed}, {0, 2, 1, closed}};
    if (closed) bonds.push_back({1, 2, 1, true});
    molecule = fftest::buildMolecule(
        "angle", {{"CH2", "C", 0, 0, 0}, {"H", "H", 1.3f, 0, 0}, {"H", "H", 0, 0.9f, 0}}, bonds);
    auto s = std::make_unique<MolecularSystem>(molecule.get());
    s->constraintLength2.assign(s->constraintCount, 1.1 * 1.1);
    return s;
  }

  fftest::ScopedTables tables;
  std::unique_ptr<Molecule> molecule;
  kvtest::ConsoleCapture console{1};
};

}  // namespace

TEST_F(Constraints, ShakeSaysWhenItCannotMeetItsConstraints) {
  auto impossible = angle(true);
  impossible->constraintLength2.back() = 3.0 * 3.0;   // longer than the other two together
  impossible->SHAKE(impossible->coordinates.data(), impossible->coordinates.data());
  EXPECT_EQ((std::vector<std::string>{"SHAKE: Unable to achieve convergence within   100 steps."}),
            console.lines);
}

TEST_F(Constraints, CorrectionIsSharedByInverseMassAndFixedAtomsStay) {
  const struct {
    double mass0, mass1;
    bool fixed0, fixed1;
    float x0, x1;   // where the two ends of the 1.3 A bond along x end up
  } cases[] = {{1, 1, false, false, 0.1f, 1.2f}, {3, 1, false, false, 0.05f, 1.15f},
               {1, 1, true, false, 0.0f, 1.1f},  {1, 1, false, true, 0.2f, 1.3f},
               {0, 0, false, false, 0.1f, 1.2f}, {1, 1, true, true, 0.0f, 1.3f}};
  for (const auto& c : cases) {
    auto s = angle();
    s->constraintCount = 1;
    s->mass = {c.mass0, c.mass1, 1.0};
    s->atomFixed = {c.fixed0, c.fixed1, false};
    s->SHAKE(s->coordinates.data(), s->coordinates.data());
    EXPECT_NEAR(c.x0, s->coordinates[0].x, 1e-6) << c.mass0 << " " << c.fixed0 << c.fixed1;
    EXPECT_NEAR(c.x1, s->coordinates[1].x, 1e-6) << c.mass0 << " " << c.fixed0 << c.fixed1;
  }
  // Reference atoms on top of each other give no direction: the pair is left alone.
  auto s = angle();
  std::vector<SSEVector4f> reference(3, SSEVector4f(0, 0, 0, 1));
  s->SHAKE(reference.data(), s->coordinates.data());
  EXPECT_EQ(1.3f, s->coordinates[1].x);
}

TEST_F(Constraints, FailingStereoCentreIsPushedAndMirrored) {
  // Centre 0 with neighbours 1 to 4; atom 5 hangs on 1, so 2 is the first terminal neighbour.
  molecule = fftest::buildMolecule(
      "centre", {{"CH2", "C", 0, 0, 0}, {"CH2", "C", 1, 0, 0}, {"H", "H", 0, 1, 0}, {"H", "H", -1, -1, -1},
                 {"H", "H", -1, -1, 1}, {"H", "H", 2, 0, 0}},
      {{0, 1, 1, false}, {0, 2, 1, false}, {0, 3, 1, false}, {0, 4, 1, false}, {1, 5, 1, false}});
  MolecularSystem s(molecule.get());
  ChiralCenter centre;
  centre.centre = 0;
  for (int n = 0; n < 4; ++n) centre.neighbours[n] = n + 1;
  centre.label = 1;   // wants neighbour 3 above the plane of 1 and 2: it is below
  s.chiralCenters = {centre};
  EXPECT_FALSE(s.checkChiralCenters());

  s.conserveStereoChem();
  EXPECT_EQ(-1.0f, s.coordinates[2].y) << "the terminal neighbour goes through the centre";
  EXPECT_TRUE(s.checkChiralCenters());
  // Neighbours 3 and 4 in the plane of 1 and 2 hold under either label.
  s.coordinates[3] = SSEVector4f(-1, 0, 0, 1);
  s.coordinates[4] = SSEVector4f(0, 1, 0, 1);
  s.chiralCenters[0].label = 2;
  EXPECT_TRUE(s.checkChiralCenters());
}
