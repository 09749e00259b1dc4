// The twist routines of the ring closure and the genetic search over twist angles.

#include <algorithm>
#include <cmath>
#include <limits>
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
#include "support/MoleculeBuilder.h"

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
  std::vector<SSEVector4f> pathCentres() const {
    std::vector<SSEVector4f> p;
    for (const Atom* a : closure->pathAtoms) p.push_back(centre(a));
    return p;
  }
  float twisted(const std::vector<float>& twistDeg) {
    float d = 0.0f;
    EXPECT_TRUE(closure->twistRingNodes(twistDeg, d));
    return d;
  }

  std::unique_ptr<Molecule> hexane;
  std::unique_ptr<RingClosure> closure;
};

// Dummy, three carbons and a dummy in a row at the given points, drawn as small spheres.
std::unique_ptr<Molecule> placedPath(const std::vector<SSEVector4f>& points) {
  auto m = kvtest::buildMolecule({"R", "C", "C", "C", "R"},
                                 {{0, 1, 1}, {1, 2, 1}, {2, 3, 1}, {3, 4, 1}});
  for (size_t i = 0; i < points.size(); ++i) {
    m->atoms[i]->position = points[i];
    m->atoms[i]->sphere = new Spheroid(1.0f, 0.3f, 0.3f);
    m->atoms[i]->sphere->centre = points[i];
  }
  return m;
}

TEST_F(RingTwist, EvaluatingTwistsMovesNothingAndTheFirstTwistKeepsTheDistance) {
  float d = 0.0f;
  EXPECT_FALSE(closure->twistRingNodes({10.0f, 20.0f, 30.0f}, d));
  EXPECT_EQ(-10000.0f, d);

  const std::vector<SSEVector4f> before = pathCentres();
  const float start = closure->getDistanceLF();
  EXPECT_NEAR(start, twisted({0.0f, 0.0f, 0.0f, 0.0f}), 1e-4);
  EXPECT_NEAR(start, twisted({-50.0f, 0.0f, -1.0f, 0.0f}), 1e-4);   // none is turned
  for (float first : {37.0f, 200.0f, 359.0f})
    EXPECT_NEAR(start, twisted({first, 0.0f, 0.0f, 0.0f}), 1e-4) << first;
  EXPECT_GT(std::fabs(start - twisted({0.0f, 90.0f, 0.0f, 0.0f})), 0.1f);
  const std::vector<SSEVector4f> after = pathCentres();
  for (size_t i = 0; i < before.size(); ++i) EXPECT_EQ(0.0f, (after[i] - before[i]).length());
}

TEST_F(RingTwist, TwistAnglesCloseTheRingOnlyWithOneAnglePerInnerBond) {
  for (size_t count : {3u, 5u}) {
    errors.clear();
    EXPECT_FALSE(closure->twistMolecule(std::vector<float>(count, 60.0f)));
    EXPECT_EQ(std::vector<std::string>{"Error: RingClosure::twistMolecule, no twist angles"},
              errors.lines);
  }
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
  EXPECT_EQ(3, orbital->kind);
  EXPECT_LT(((first + last) * 0.5f - orbital->centre).length(), 1e-3);
  SSEVector4f axis = orbital->focus1 - orbital->focus2;
  SSEVector4f bond = last - first;
  axis.normalize();
  bond.normalize();
  EXPECT_NEAR(1.0f, std::fabs(axis.dot(bond)), 1e-4);
}

TEST_F(RingTwist, CorrectionsOnTheSpheroidsCloseARegularRing) {
  std::vector<float> lengths, angles, dihedrals;
  ASSERT_TRUE(closure->calTransVector(lengths, angles, dihedrals));
  const std::vector<SSEVector4f> p = pathCentres();
  ASSERT_TRUE(closure->twistMolecule(lengths, angles, dihedrals));
  EXPECT_EQ(0, dummies(*hexane));
  EXPECT_NEAR((p[1] - p[0]).length(), closure->getDistanceLF(), 0.01);
}

TEST_F(RingTwist, AnEndIsTurnedOnlyWhenATrialBringsItsOpenEndCloser) {
  EXPECT_FALSE(closure->fixTwist(nullptr, closure->pathAtoms[0], closure->pathAtoms[5],
                                 closure->openEnd1, hexane.get()));
  EXPECT_EQ(std::vector<std::string>{"Error: CRing::fixTwist, NULL value passed "}, errors.lines);

  // The open end at A lies on the side of C (cis) or away from it (trans).
  for (float side : {1.0f, -1.0f}) {
    auto m = placedPath({{-0.5f, side, 0.0f}, {0, 0, 0}, {1.5f, 0, 0}, {2.0f, 1.4f, 0}, {3, 1, 1}});
    RingClosure turn(m.get(), m->bonds[0], m->bonds[3], false);
    ASSERT_TRUE(turn.initializeRingClosure());
    auto gap = [&]() { return (centre(m->atoms[0]) - centre(m->atoms[3])).length(); };
    const float before = gap();
    ASSERT_TRUE(turn.fixTwist(m->atoms[2], m->atoms[1], m->atoms[3], m->bonds[0], m.get()));
    if (side > 0.0f)
      EXPECT_NEAR(before, gap(), 1e-4);
    else
      EXPECT_LT(gap(), before - 0.5f);
  }
}

// A straight path, whose twists never change its length, scores every chromosome alike.
TEST_F(RingTwist, ADistanceOfExactlyTheBoundIsASolution) {
  for (float length : {1.9f, std::nextafter(1.9f, 2.0f)}) {
    auto m = placedPath({{length + 1, 0.5f, 0}, {length, 0, 0}, {1, 0, 0}, {0, 0, 0}, {-1, 1, 0}});
    RingClosure straight(m.get(), m->bonds[0], m->bonds[3], false);
    ASSERT_TRUE(straight.initializeRingClosure());
    GA search(&straight);
    search.initPopulation();
    search.calculateObjValues();
    EXPECT_EQ(length == 1.9f ? 1u : 0u, search.solutions.size()) << length;
    EXPECT_EQ(1u, search.generation.size());
  }
}

TEST_F(RingTwist, NewSearchesDrawTheSameGenesAndOneSearchContinuesItsStream) {
  GA first(closure.get());
  GA second(closure.get());
  first.initPopulation();
  second.initPopulation();
  EXPECT_EQ(first.population, second.population);
  first.initPopulation();   // the stream goes on
  ASSERT_EQ(2000u, first.population.size());
  EXPECT_NE(first.population[0], first.population[1000]);
  for (const GA::Chromosome& c : first.population)
    ASSERT_TRUE(c.size() == 4 && *std::min_element(c.begin(), c.end()) >= 0.0f &&
                *std::max_element(c.begin(), c.end()) < 360.0f);
}

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
    EXPECT_NEAR(s.first, twisted(s.second), 1e-5);
  }
  EXPECT_LT(search.meanObjective, search.startDistance);
}

TEST_F(RingTwist, ACancelledOrUnboundSearchEndsEmpty) {
  GA cancelled(closure.get());
  cancelled.solutions[0.5f] = {1.0f, 2.0f, 3.0f, 4.0f};
  cancelled.canceled();
  cancelled.runGA();
  EXPECT_TRUE(cancelled.population.empty());
  EXPECT_TRUE(cancelled.solutions.empty());
  EXPECT_EQ(nullptr, cancelled.ringClosure);

  GA unbound(nullptr);
  unbound.runGA();
  EXPECT_FALSE(unbound.initialised);
  unbound.initPopulation();
  unbound.calculateObjValues();
  EXPECT_TRUE(std::isnan(unbound.meanObjective));
}

}  // namespace
