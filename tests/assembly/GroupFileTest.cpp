// One block of a group list file read into a finished group.

#include <cmath>
#include <memory>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "AssemblyFixture.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"

namespace {

class GroupFile : public kvtest::AssemblyTest {
 protected:
  std::unique_ptr<Molecule> read(const std::string& block) {
    std::istringstream in(block);
    return std::unique_ptr<Molecule>(engine->parseGroupFile(in));
  }
};

const Atom* atomNamed(const Molecule& m, const std::string& name) {
  for (const Atom* a : m.atoms)
    if (a->name == name) return a;
  return nullptr;
}

TEST_F(GroupFile, FinishedGroupHasHydrogensRulesAndABondGeometry) {
  auto group = read("// an amide with one open end\nfunc amide Amide group\n"
                    "ATOM C1 C\nATOM O1 O\nATOM N1 N\nATOM DUM1 DUM\nCHARGE N1 0 X9 1\n"
                    "DOUBLE C1 O1\nSINGLE C1 N1 C1 DUM1\nREPLACE C1 C\nUPDATE N1 NH2\n");
  ASSERT_TRUE(group) << errors.text();
  EXPECT_EQ("AMIDE", group->getName());
  EXPECT_EQ("Amide group", group->displayName);
  EXPECT_EQ("AMIDE_" + std::to_string(Molecule::NumOfGroups), group->groups.at(0));
  EXPECT_EQ((std::vector<std::string>{"C1"}), group->replaceFrom);
  EXPECT_EQ((std::vector<std::string>{"NH2"}), group->updateTo);
  EXPECT_TRUE(group->hasUpdateRules);
  // N takes two hydrogens; every bond ends at its table length, give or take the optimiser.
  int hydrogens = 0;
  for (const Atom* a : group->atoms) hydrogens += a->element == "H" ? 1 : 0;
  EXPECT_EQ(2, hydrogens);
  for (const Bond* b : group->bonds) {
    const SSEVector4f d = group->positions.at(b->atom1->id) - group->positions.at(b->atom2->id);
    EXPECT_NEAR(b->focalDistance, d.length(), 0.05) << b->atom1->name << "-" << b->atom2->name;
    EXPECT_GT(d.length(), 0.8f);
  }
  EXPECT_TRUE(errors.lines.empty()) << errors.text();

  // The counter is read, not advanced: a second group carries the same number.
  auto again = read("FUNC METHYL Methyl\nATOM C1 CH4\nATOM DUM1 DUM\nSINGLE C1 DUM1\n");
  ASSERT_TRUE(again);
  EXPECT_EQ("METHYL_" + std::to_string(Molecule::NumOfGroups), again->groups.at(0));
}

TEST_F(GroupFile, LinesAreCutAtASlashAndSfunTakesOneUpperCasedWord) {
  auto special = read("sfun amide x y\nATOM C1 CH4\nATOM D DUM\nSINGLE C1 D\n");
  ASSERT_TRUE(special);
  EXPECT_EQ("AMIDE", special->getName());
  EXPECT_EQ("X", special->displayName);
  EXPECT_EQ("Special", special->sfunc);

  auto cut = read("FUNC METHYL Methyl/group\nATOM C1 CH4 1.0 2.0 3.0 // note\nATOM C2 CH4\n"
                  "ATOM D DUM\nSINGLE C1 D\n");
  ASSERT_TRUE(cut);
  EXPECT_EQ("Methyl", cut->displayName);
  // C1 starts where it was given, C2 (unplaced, not bonded to it) at the origin; the optimiser
  // then moves both a little.
  EXPECT_NEAR(0.0f, (cut->positions.at(0) - SSEVector4f(1.0f, 2.0f, 3.0f)).length(), 0.3f);
  EXPECT_NEAR(0.0f, cut->positions.at(1).length(), 0.3f);
}

TEST_F(GroupFile, BrokenBlocksGiveNullWithTheirMessage) {
  const std::string head = "FUNC AMIDE Amide group\nATOM C1 CH4\nATOM C2 CH4\nATOM D1 DUM\n";
  const struct {
    std::string lines;
    std::string message;
  } cases[] = {
      {"SINGLE C1 C2 D1\n", "Error: wrong entry in bond line"},
      {"SINGLE C1 C1\n", "Error Amide group: adding bond C1--C1 failed"},
      {"DOUBLE C1 X9\n", "Error Amide group: adding bond C1==X9 failed"},   // no atom X9
      {"TRIPLE C1 C2 C2 C1\n", "Error: adding bond C2:::C1 failed"},   // refused: bonded already
      {"FUNC OTHER Other\n", "Error: FUNC not possible"},
      {"CHARGE C1\n", "Error: wrong entry in charge line"},
      {"CHARGE C1 one\n", "Error: bad charge \"ONE\" in \"CHARGE C1 one\""},
      {"ATOM C3 CH4 1.0 y 3.0\n", "Error: bad coordinate \"Y\" in \"ATOM C3 CH4 1.0 y 3.0\""},
      {"SINGLE C1 D1 C1 C2\nRING D1 C1\n", "Error: Wrong DUM Atom"},   // C1 has two bonds
      {"SINGLE C1 D1\nRING D1 X9\n", "Error: Wrong DUM Atom"},        // no such atom
      {"SINGLE C1 D1\nRING D1\n", "Error: InCorrect ring"},
  };
  for (const auto& c : cases) {
    errors.clear();
    EXPECT_EQ(nullptr, read(head + c.lines)) << c.lines;
    EXPECT_EQ(std::vector<std::string>{c.message}, errors.lines) << c.lines;
  }
}

TEST_F(GroupFile, OddRulesAreReportedAndSkippedAndKeywordsBeforeTheGroupIgnored) {
  auto group = read("ATOM X1 CH4\nRING A B C\nREPLACE A\nFUNC METHYL Methyl\nATOM C1 CH4\n"
                    "ATOM D1 DUM\nSINGLE C1 D1\nUPDATE C1\nREPLACE C1\nUPDATE\nRING\n");
  ASSERT_TRUE(group) << errors.text();
  EXPECT_EQ((std::vector<std::string>{"Error: InCorrect update", "Error: InCorrect replace"}),
            errors.lines);
  EXPECT_EQ(nullptr, atomNamed(*group, "X1"));
  EXPECT_TRUE(group->updateFrom.empty());
  EXPECT_TRUE(group->replaceFrom.empty());

  errors.clear();
  EXPECT_EQ(nullptr, read("// nothing but notes\n\n   \n// more\n"));
  EXPECT_TRUE(errors.lines.empty());
}

}  // namespace
