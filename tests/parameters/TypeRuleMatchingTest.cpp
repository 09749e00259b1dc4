// Choosing the most specific type rule, and finding a ring template by rotation.

#include "ParameterFixture.h"

class TypeRuleMatching : public ParameterFixture {
protected:
  static TypeRules query(const std::string& main, std::vector<std::string> single,
                         std::vector<std::string> doubles = {}) {
    TypeRules rule;
    rule.main = main;
    rule.single = single;
    rule.double_ = doubles;
    return rule;
  }
};

TEST_F(TypeRuleMatching, HigherScoreWinsWhateverTheFileOrderAndTiesGoToTheEarlierRule) {
  params().parseTypeRulesTable("LEVEL 1\n"
                               "TYPE CM\nMAIN C\nSINGLE C * * *\n"
                               "TYPE CH3\nMAIN C\nSINGLE H H H C\n"
                               "TYPE COH\nMAIN C\nSINGLE H H H O\n"
                               "TYPE FIRST\nMAIN N\nSINGLE H *\n"
                               "TYPE SECOND\nMAIN N\nSINGLE H *\n");
  const struct {
    TypeRules query;
    const char* type;
  } cases[] = {{query("C", {"C", "H", "H", "H"}), "CH3"},
               {query("C", {"C", "C", "H", "O"}), "CM"},
               {query("N", {"C", "H"}), "FIRST"},
               {query("C", {"H", "H", "H", "N"}), nullptr}};   // an explicit neighbour missing
  for (const auto& c : cases) {
    std::string type = "unset";
    EXPECT_EQ(c.type != nullptr, params().findTypeRules(c.query, 1, type));
    EXPECT_EQ(c.type != nullptr ? c.type : "unset", type);
  }
}

TEST_F(TypeRuleMatching, ListSizesMustAgreeAndStarsTakeOneNeighbourEach) {
  params().parseTypeRulesTable("LEVEL 2\nTYPE CE\nMAIN C\nDOUBLE *\nSINGLE * *\n");
  std::string type = "unset";
  EXPECT_TRUE(params().findTypeRules(query("C", {"H", "H"}, {"O"}), 2, type));
  EXPECT_EQ("CE", type);
  type = "unset";
  EXPECT_FALSE(params().findTypeRules(query("C", {"H", "H"}), 2, type));
  EXPECT_FALSE(params().findTypeRules(query("C", {"H", "H"}, {"O"}), 1, type));   // wrong level
  EXPECT_FALSE(params().findTypeRules(query("N", {"H", "H"}, {"O"}), 2, type));
  EXPECT_EQ("unset", type);
}

TEST_F(TypeRuleMatching, RingMatchesOnlyByForwardRotationWithDoubleEqualToAromatic) {
  params().parseBasicRingTable("RING T\nATOM N N NX\nATOM C1 C CX\nATOM C2 C CY\n"
                               "AROMAT N C1\nSINGLE C1 C2  C2 N\n");
  BasicRings out;
  int start = -1;
  ASSERT_TRUE(params().findBasicRings({"C", "C", "N"}, {1, 1, 2}, false, out, start, false));
  EXPECT_EQ(2, start);
  EXPECT_EQ("T", out.name);
  EXPECT_EQ((std::vector<std::string>{"NX", "CX", "CY"}), out.atomTypes);
  // Single and aromatic do not count as equal; nor does the aromatic flag differ.
  EXPECT_FALSE(params().findBasicRings({"C", "C", "N"}, {1, 1, 1}, false, out, start, false));
  EXPECT_FALSE(params().findBasicRings({"C", "C", "N"}, {1, 1, 2}, false, out, start, true));
  EXPECT_FALSE(params().findBasicRings({"C", "C", "N"}, {1, 1, 2}, true, out, start, false));
  // Read backwards, empty, or with too few orders: no match.
  EXPECT_FALSE(params().findBasicRings({"N", "C", "C"}, {1, 1, 2}, false, out, start, false));
  EXPECT_FALSE(params().findBasicRings({}, {}, false, out, start, false));
  EXPECT_FALSE(params().findBasicRings({"C", "C", "N"}, {1, 1}, false, out, start, false));
}
