// The twist routines of the ring closure and the genetic search over twist angles.

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

namespace {

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
  EXPECT_NE(nullptr, closing->spheroid);
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
