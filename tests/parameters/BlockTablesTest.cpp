// Readers of the block tables: type rules, basic rings, combine rules and cyclic templates.

#include "ParameterFixture.h"

#include <cmath>

using BlockTables = ParameterFixture;

TEST_F(BlockTables, TypeRuleListsAreSortedWithStarsLastAndLevelsTracked) {
  std::string err = stderrOf([this] {
    params().parseTypeRulesTable("MAIN C\nLEVEL 1\n"
                                 "TYPE CH3\nMAIN C\nSINGLE * H C\nsingle H\nLEVEL two\n"
                                 "TYPE NTRO //nitro nitrogen\nMAIN N\nDOUBL O\n"
                                 "LEVEL 3\nLEVEL -2\nTYPE NIND\nMAIN NPYR\n");
  });
  EXPECT_NE(std::string::npos, err.find("no TYPE before \"MAIN C\""));
  EXPECT_NE(std::string::npos, err.find("bad level \"TWO\""));
  const auto& rules = params().typeRules;
  ASSERT_EQ(3u, rules.size());
  EXPECT_EQ((std::vector<std::string>{"C", "H", "H", "*"}), rules[0]->single);
  EXPECT_EQ("NTRO", rules[1]->type);
  EXPECT_EQ((std::vector<std::string>{"O"}), rules[1]->double_);
  EXPECT_EQ(1, rules[1]->level);   // a bad level changes nothing; closed before LEVEL 3
  EXPECT_EQ(-2, rules[2]->level);
  EXPECT_EQ(3, params().maxTypeRuleLevel);
  EXPECT_EQ(-2, params().minTypeRuleLevel);
}

TEST_F(BlockTables, RingPairsAreChainedIntoRingOrder) {
  params().parseBasicRingTable("RING PYRR\nISAROM FALSE\n"
                               "ATOM C1 C CPYR\nATOM C2 C CPYR\nATOM C3 C CPYR\nATOM C4 C CPYR\n"
                               "ATOM N N NPYR\n"
                               "SINGLE C2 C3  C4 N  N C1\nDOUBLE C1 C2  C3 C4\n");
  ASSERT_EQ(1u, params().basicRings.size());
  const BasicRings& ring = *params().basicRings[0];
  EXPECT_FALSE(ring.aromatic);
  EXPECT_EQ((std::vector<std::string>{"C2", "C3", "C4", "N", "C1"}), ring.bondFrom);
  EXPECT_EQ((std::vector<std::string>{"C3", "C4", "N", "C1", "C2"}), ring.bondTo);
  EXPECT_EQ((std::vector<int>{1, 2, 1, 1, 2}), ring.bondOrders);
  EXPECT_EQ(ring.bondOrders, ring.newBondOrders);
  EXPECT_EQ(ring.bondFrom, ring.atomLabels);
  EXPECT_EQ((std::vector<std::string>{"C", "C", "C", "N", "C"}), ring.atomElements);
  EXPECT_EQ((std::vector<std::string>{"CPYR", "CPYR", "CPYR", "NPYR", "CPYR"}), ring.atomTypes);

  // A pair written against the ring's direction is turned round with its order.
  params().parseBasicRingTable("RING X\nATOM C1 C A\nATOM N N B\nATOM C2 C D\n"
                               "SINGLE C1 N\nDOUBLE C2 N\nAROMAT C2 C1\n");
  const BasicRings& turned = *params().basicRings[1];
  EXPECT_EQ((std::vector<std::string>{"C1", "N", "C2"}), turned.bondFrom);
  EXPECT_EQ((std::vector<std::string>{"N", "C2", "C1"}), turned.bondTo);
  EXPECT_EQ((std::vector<int>{1, 2, 9}), turned.bondOrders);
}

TEST_F(BlockTables, RingFlagsUpdatesAndUnknownLabels) {
  std::string err = stderrOf([this] {
    params().parseBasicRingTable("SRIN BENZ\nISAROM YES\n"
                                 "ATOM CL1 CL CMAG\nATOM C3 CAH1 CAH1\n"
                                 "UPDATE DOUBLE SINGLE  CL1 C2  C2 C3  C3 CL1\n"
                                 "AROMAT CL1\n");
  });
  EXPECT_NE(std::string::npos, err.find(" Wrong entry for RING BENZ : AROMAT CL1"));
  const BasicRings& ring = *params().basicRings[0];
  EXPECT_TRUE(ring.substituted);
  EXPECT_FALSE(ring.aromatic);
  EXPECT_TRUE(ring.hasUpdate);
  EXPECT_EQ((std::vector<int>{2, 2, 2}), ring.bondOrders);
  EXPECT_EQ((std::vector<int>{1, 1, 1}), ring.newBondOrders);
  // C2 has no ATOM line: it takes the first one's element and type.
  EXPECT_EQ((std::vector<std::string>{"CL", "CL", "CAH1"}), ring.atomElements);
  EXPECT_EQ((std::vector<std::string>{"CMAG", "CMAG", "CAH1"}), ring.atomTypes);
}

TEST_F(BlockTables, BrokenRingsAreReportedAndReadWithoutHarm) {
  std::string err = stderrOf([this] {
    params().parseBasicRingTable("ATOM C1 C X\nRING EMPTY\nRING NOATOMS\nSINGLE A B  B A\n"
                                 "RING TWO\nATOM A C X\nATOM B C X\nATOM C C X\nATOM D C X\n"
                                 "ATOM E C X\nATOM F C X\n"
                                 "SINGLE A B  B C  C A  D E  E F  F D\n");
  });
  EXPECT_NE(std::string::npos, err.find("no RING before \"ATOM C1 C X\""));
  EXPECT_NE(std::string::npos, err.find("TWO: Does Not Make A Ring!"));
  ASSERT_EQ(3u, params().basicRings.size());
  EXPECT_EQ((std::vector<std::string>{"", ""}), params().basicRings[1]->atomElements);
  EXPECT_EQ((std::vector<std::string>{"A", "B", "C", "D", "E", "F"}),
            params().basicRings[2]->atomLabels);
}

TEST_F(BlockTables, CombineRulesShareOneRecordPerBlockAndLaterKeysReplace) {
  params().parseCombineRules("RULE				//-CO- -OH  -> -COOH\n"
                             "COMB KETO.DUM1 OH.DUM  KETO.DUM2 OH.DUM\n"
                             "UPDATE  KETO.C CCA\nUPDATE  KETO.O OCA\n"
                             "RENAME  KETO.O O1  OH.O O2\nGROUP ACID\n"
                             "RULE\nCOMB KETO.DUM2 OH.DUM\nREANAME X.Y Z\nGROUP OTHER\n");
  auto& rules = params().combineRules;
  ASSERT_EQ(2u, rules.size());
  UpdateRules* first = rules["KETO.DUM1 OH.DUM"];
  ASSERT_NE(nullptr, first);
  EXPECT_EQ((std::vector<std::string>{"KETO.C CCA", "KETO.O OCA"}), first->updates);
  EXPECT_EQ((std::vector<std::string>{"KETO.O O1", "OH.O O2"}), first->renames);
  EXPECT_EQ("ACID", first->group);
  UpdateRules* second = rules["KETO.DUM2 OH.DUM"];
  EXPECT_EQ("OTHER", second->group);
  EXPECT_TRUE(second->renames.empty());

  // An odd entry stops the reading; the rules before it are kept.
  InputParameters odd{InputParameters::EmptyTables{}};
  std::string err = stderrOf([&odd] {
    odd.parseCombineRules("RULE\nCOMB A.D B.D\nGROUP AB\n"
                          "RULE\nCOMB C.D E.D\nUPDATE C.X\nGROUP CE\nRULE\nCOMB F.D G.D\n");
  });
  EXPECT_EQ("Error: worng entry in combinerules.txt\n", err);
  ASSERT_EQ(1u, odd.combineRules.size());
  EXPECT_EQ("AB", odd.combineRules["A.D B.D"]->group);
}

TEST_F(BlockTables, PuckeredRingTorsionsAlternateInSign) {
  // A chair: ring atoms alternately above and below the mean plane.
  std::string text = "RING 6 6\n";
  for (int k = 0; k < 6; ++k) {
    double angle = k * M_PI / 3.0;
    text += "C " + std::to_string(1.5 * std::cos(angle)) + " " +
            std::to_string(1.5 * std::sin(angle)) + " " + (k % 2 ? "-0.25" : "0.25") + "\n";
  }
  text += "CONN 1 0 0  2 0 0  3 0 0  4 0 0  5 0 0  6 0 0\n";
  params().parseCyclicTemplateTable(text);
  ASSERT_EQ(1u, params().cyclicTemplates.size());
  const CyclicTemplates& ring = *params().cyclicTemplates[0];
  for (int k = 0; k < 5; ++k) {
    EXPECT_NEAR(1.581f, ring.bondLengths[k], 0.01f);
    EXPECT_GT(std::fabs(ring.torsions[k]), 10.0f);
    if (k > 0) {
      EXPECT_LT(ring.torsions[k] * ring.torsions[k - 1], 0.0f);
    }
  }
}

TEST_F(BlockTables, WrongTemplateLinesCostTheirTemplateOnly) {
  std::string err = stderrOf([this] {
    params().parseCyclicTemplateTable("RING 3 3 extra\nC 0 0 0\nCONN 1 2 3\n"
                                      "RING 3 3\nC 0 0 0\nC 1 0 0\nC 0 1 0\nCONN 1 2 3 4 5 6 7\n"
                                      "RING 3 3\nC 0 0\n"
                                      "RING 3 3\nC 0 0 0\nC 1.5 0 0\nC 0.75 1.3 0\nCONN 1 0 0  2 0 0\n"
                                      "RING 3 4\nC 0 0 0\nC 1.5 0 0\nC 0.75 1.299 0\nH 0 0 1\n"
                                      "CONN 1 4 0  2 0 0  3 19 0\n");
  });
  EXPECT_NE(std::string::npos, err.find("RING 3 3 EXTRA Error: wrong entry in RING lineRING 3 3 EXTRA\n"));
  EXPECT_NE(std::string::npos, err.find("Error: wrong entry in CONN line"));
  EXPECT_NE(std::string::npos, err.find("Error: wrong entry in ATOM line"));
  EXPECT_NE(std::string::npos, err.find("ring atoms missing"));
  // A substituent number beyond the atoms is dropped; the template stays.
  EXPECT_NE(std::string::npos, err.find("atom number \"19\" outside the 4 atoms"));
  ASSERT_EQ(1u, params().cyclicTemplates.size());
  const CyclicTemplates& ring = *params().cyclicTemplates[0];
  EXPECT_EQ(4, ring.above[0]);
  EXPECT_EQ(0, ring.above[2]);
  EXPECT_NEAR(60.0f, ring.bondAngles[0], 0.05f);
}
