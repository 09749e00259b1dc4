// The twist routines of the ring closure and the genetic search over twist angles.

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "RingClosureFixture.h"
#include "assembly/GA.h"
#include "assembly/RingClosure.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "model/Ring.h"
#include "model/Spheroid.h"

namespace {

using kvtest::centre;

class RingTwist : public kvtest::RingClosureTest {
 protected:
  // The hexane chain with its closure initialised.
  void SetUp() override {
    kvtest::RingClosureTest::SetUp();
    hexane = openChain(6);
    ASSERT_TRUE(hexane);
    closure = closureOf(*hexane, 6);
  }

  std::unique_ptr<Molecule> hexane;
  std::unique_ptr<RingClosure> closure;
};

TEST_F(RingTwist, TwistAnglesCloseTheRingOnlyWithOneAnglePerInnerBond) {
  EXPECT_FALSE(closure->twistMolecule(std::vector<float>(3, 60.0f)));
  EXPECT_EQ(std::vector<std::string>{"Error: RingClosure::twistMolecule, no twist angles"},
            errors.lines);
  EXPECT_EQ(2, dummies(*hexane));

  ASSERT_TRUE(closure->twistMolecule({60.0f, 180.0f, 300.0f, 60.0f}));
  EXPECT_EQ(0, dummies(*hexane));
  ASSERT_FALSE(hexane->rings.empty());
  const Ring* ring = hexane->rings.back();
  EXPECT_TRUE(ring->isClosure);
  const Bond* closing = hexane->bonds[static_cast<size_t>(ring->bondIds.back())];
  EXPECT_TRUE(closing->isConnection);
  // The closing orbital lies along the line of the two ends, centred between them.
  const SSEVector4f first = centre(closure->pathAtoms.front());
  const SSEVector4f last = centre(closure->pathAtoms.back());
  const Spheroid* orbital = closing->spheroid;
  ASSERT_NE(nullptr, orbital);
  EXPECT_LT(((first + last) * 0.5f - orbital->centre).length(), 1e-3);
  SSEVector4f axis = orbital->focus1 - orbital->focus2;
  SSEVector4f bond = last - first;
  axis.normalize();
  bond.normalize();
  EXPECT_NEAR(1.0f, std::fabs(axis.dot(bond)), 1e-4);
}

// Every solution the search keeps lies within the bound and reproduces its end-to-end distance
// when its twists are applied again.
TEST_F(RingTwist, EverySolutionOfARunReproducesItsDistance) {
  GA search(closure.get());
  int ticks = 0;
  QObject::connect(&search, &GA::tick, [&ticks]() { ++ticks; });
  search.runGA();
  EXPECT_EQ(20, ticks);
  EXPECT_NEAR(closure->getDistanceLF(), search.startDistance, 1e-6);
  ASSERT_FALSE(search.solutions.empty());
  for (const auto& s : search.solutions) {
    EXPECT_LE(s.first, GA::kSolutionBound);
    float distance = 0.0f;
    EXPECT_TRUE(closure->twistRingNodes(s.second, distance));
    EXPECT_NEAR(s.first, distance, 1e-5);
  }
  EXPECT_LT(search.meanObjective, search.startDistance);
}

}  // namespace
