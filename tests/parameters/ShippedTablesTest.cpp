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

TEST(ShippedTables, EveryTableLoadsWithOnlyTheKnownFourRingDiagnostic) {
  InputParameters::instance();   // registers the resources
  InputParameters fresh{InputParameters::EmptyTables{}};
  std::string err = stderrOf([&fresh] { fresh.loadTables(InputParameters::resourcePrefix); });
  // The four-ring template names an atom 19 of its 12: dropped with one line, nothing else.
  EXPECT_EQ(1, std::count(err.begin(), err.end(), '\n')) << err;
  EXPECT_NE(std::string::npos, err.find("atom number \"19\""));
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

TEST(ShippedTables, FourRingTemplateKeepsOnlyAtomNumbersItHas) {
  CyclicTemplates four;
  ASSERT_EQ(1, shipped().findCyclicTemplates("RING", 4, four));
  for (int k = 0; k < four.ringSize; ++k) {
    EXPECT_LE(four.above[k], four.totalAtoms);
    EXPECT_LE(four.below[k], four.totalAtoms);
  }
  EXPECT_EQ(0, four.below[2]);
  CyclicTemplates benzene;
  ASSERT_EQ(1, shipped().findCyclicTemplates("AROM", 6, benzene));
  EXPECT_EQ(nullptr, benzene.below.get());
  EXPECT_NEAR(120.0f, benzene.bondAngles[0], 0.1f);
}
