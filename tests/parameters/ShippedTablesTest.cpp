// The embedded tables as the application loads them.

#include "ParameterFixture.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace {
InputParameters& shipped() {
  return *InputParameters::instance();
}
}  // namespace

// Every process loads these tables first: a rejected line would greet every start with an error
// (the four-ring template once named an atom 19 of its 12).
TEST(ShippedTables, EveryTableLoadsWithoutADiagnostic) {
  InputParameters::instance();   // registers the resources
  InputParameters fresh{InputParameters::EmptyTables{}};
  std::string err = stderrOf([&fresh] { fresh.loadTables(InputParameters::resourcePrefix); });
  EXPECT_EQ("", err);
}

TEST(ShippedTables, FullyQuotedTablesHaveAllTheirRows) {
  EXPECT_EQ(34u, shipped().emagBondParameters.size());
  EXPECT_EQ(15u, shipped().emagAngleParameters.size());
  EXPECT_EQ(32u, shipped().emagDihedralParameters.size());
  EXPECT_EQ(72u, shipped().bondOrderParameters.size());
  EXPECT_EQ(14u, shipped().dihedralParameters.size());
  EXPECT_EQ(26u, shipped().basicRings.size());
  EXPECT_EQ(1u, shipped().hybridAtomTypes.size());
  // The 197 listed types and "HP", which the type rules give but the list lacked.
  EXPECT_EQ(198u, shipped().atomTypeParameters.size());
  EXPECT_EQ(7u, shipped().cyclicTemplates.size());
  size_t defaults = std::count_if(
      shipped().angleParameters.begin(), shipped().angleParameters.end(),
      [](const AngleParameters* row) { return row->atom1 == "*" && row->atom3 == "*"; });
  // One "* X *" default per centre type: the 102 listed ones and those of the other centres.
  EXPECT_LE(102u, defaults);
  EXPECT_EQ(685u, shipped().angleParameters.size());
  EXPECT_EQ(144u, shipped().bondMomentParameters.size());
  std::set<const UpdateRules*> blocks;
  for (const auto& entry : shipped().combineRules) blocks.insert(entry.second);
  EXPECT_EQ(87u, blocks.size());
  const size_t approximated = std::count_if(
      shipped().bondParameters.begin(), shipped().bondParameters.end(),
      [](const BondParameters* row) { return row->approximated; });
  EXPECT_EQ(754u, shipped().bondParameters.size() - approximated);
  EXPECT_EQ(151u, approximated);
}

TEST(ShippedTables, TypeRuleLevelsRunFromMinusTwoToFour) {
  EXPECT_EQ(4, shipped().maxTypeRuleLevel);
  EXPECT_EQ(-2, shipped().minTypeRuleLevel);
}

TEST(ShippedTables, CarbonCarbonBondOrderByDistance) {
  EXPECT_EQ(3, shipped().findBondOrder("C", "C", 1.20f));
  EXPECT_EQ(2, shipped().findBondOrder("C", "C", 1.30f));
  EXPECT_EQ(1, shipped().findBondOrder("c", "c", 1.25f));   // on both window bounds
  EXPECT_EQ(0, shipped().findBondOrder("C", "C", 1.74f));
  EXPECT_FALSE(shipped().findConnectivity("C", "C", 1.74f));
  EXPECT_TRUE(shipped().findConnectivity("CL", "H", 1.3f));
  EXPECT_EQ(1, shipped().findBondOrder("H", "Cl", 1.3f));
}

TEST(ShippedTables, RingTemplatesAreChainedAndMatchable) {
  for (const BasicRings* ring : shipped().basicRings) {
    SCOPED_TRACE(ring->name);
    EXPECT_EQ(ring->atomElements.size(), ring->bondOrders.size());
    EXPECT_EQ(ring->bondTo.back(), ring->bondFrom.front());
  }
  BasicRings out;
  int start = -1;
  ASSERT_TRUE(shipped().findBasicRings({"C", "C", "C", "C", "N"}, {9, 9, 9, 9, 9}, false, out,
                                       start, true));
  EXPECT_EQ("PYRR", out.name);
  EXPECT_EQ("NPYR", out.atomTypes[4]);
}

// Every ring atom of a saturated template has a hydrogen above and one below it: bonded to it, the
// upper one higher (the four-ring template once named an atom 19 of its 12).
TEST(ShippedTables, SaturatedTemplatesGiveEachRingAtomAHydrogenAboveAndBelow) {
  for (int size = 3; size <= 8; ++size) {
    CyclicTemplates ring;
    ASSERT_EQ(1, shipped().findCyclicTemplates("RING", size, ring)) << size;
    auto distance = [&ring](int a, int b) {
      return std::hypot(ring.x[a - 1] - ring.x[b - 1], ring.y[a - 1] - ring.y[b - 1],
                        ring.z[a - 1] - ring.z[b - 1]);
    };
    for (int k = 0; k < ring.ringSize; ++k) {
      const int atom = ring.mainChain[k], up = ring.above[k], down = ring.below[k];
      ASSERT_TRUE(up >= 1 && up <= ring.totalAtoms && down >= 1 && down <= ring.totalAtoms)
          << size << "-ring atom " << atom;
      EXPECT_LT(distance(atom, up), 1.2f) << size << "-ring atom " << atom;
      EXPECT_LT(distance(atom, down), 1.2f) << size << "-ring atom " << atom;
      EXPECT_GT(ring.z[up - 1], ring.z[down - 1]) << size << "-ring atom " << atom;
    }
  }
  CyclicTemplates benzene;
  ASSERT_EQ(1, shipped().findCyclicTemplates("AROM", 6, benzene));
  EXPECT_EQ(nullptr, benzene.below.get());
  EXPECT_NEAR(120.0f, benzene.bondAngles[0], 0.1f);
}
