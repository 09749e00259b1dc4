// Typing by rule levels and ring templates, against small tables written here.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "PerceptionTables.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "model/Ring.h"
#include "support/MoleculeBuilder.h"
#include "support/ErrorCapture.h"

using kvtest::buildMolecule;

namespace {

const char* const kBenzeneTemplate =
    "RING BENZENE\nISAROM TRUE\n"
    "ATOM C1 C CAPH\nATOM C2 C CAPH\nATOM C3 C CAPH\nATOM C4 C CAPH\nATOM C5 C CAPH\n"
    "ATOM C6 C CAPH\nAROMAT C1 C2  C2 C3  C3 C4  C4 C5  C5 C6  C6 C1\n";

class AtomTyping : public PerceptionTables {
 protected:
  static std::vector<std::string> types(const Molecule& m) {
    std::vector<std::string> out;
    for (const Atom* a : m.atoms) out.push_back(a->type);
    return out;
  }
};

}  // namespace

TEST_F(AtomTyping, LevelsRefineOnTheTypesTheLevelBeforeLeft) {
  params().parseTypeRulesTable("LEVEL 1\nTYPE CH3\nMAIN C\nSINGLE C H H H\n"
                               "TYPE HX\nMAIN H\nSINGLE C\n"
                               "LEVEL 2\nTYPE HC\nMAIN HX\nSINGLE CH3\n");
  auto ethane = buildMolecule({"C", "C", "H", "H", "H", "H", "H", "H"},
                              {{0, 1, 1}, {0, 2, 1}, {0, 3, 1}, {0, 4, 1}, {1, 5, 1}, {1, 6, 1},
                               {1, 7, 1}});
  ethane->findBestAtomType();
  EXPECT_EQ((std::vector<std::string>{"CH3", "CH3", "HC", "HC", "HC", "HC", "HC", "HC"}),
            types(*ethane));
  // Types start again from the elements on every call.
  ethane->atoms[0]->type = "JUNK";
  ethane->findBestAtomType();
  EXPECT_EQ("CH3", ethane->atoms[0]->type);
}

// No match at one level stops the levels above it; a dummy is typed before the rules and seen
// by its neighbour.
TEST_F(AtomTyping, EmptyLevelsStopAndDummiesAreTypedFirst) {
  params().parseTypeRulesTable("LEVEL 1\nTYPE NX\nMAIN N\nSINGLE C\n"
                               "LEVEL 2\nTYPE OX\nMAIN O\nSINGLE C\n");
  auto m = buildMolecule({"C", "O"}, {{0, 1, 1}});
  m->findBestAtomType();
  EXPECT_EQ((std::vector<std::string>{"C", "O"}), types(*m));

  params().parseTypeRulesTable("LEVEL 1\nTYPE CAX\nMAIN C\nSINGLE DUM H H H\n");
  auto methyl =
      buildMolecule({"R", "C", "H", "H", "H"}, {{1, 0, 1}, {1, 2, 1}, {1, 3, 1}, {1, 4, 1}});
  methyl->atoms[0]->type = "anything";
  methyl->findBestAtomType();
  EXPECT_EQ((std::vector<std::string>{"DUM", "CAX", "H", "H", "H"}), types(*methyl));
}

TEST_F(AtomTyping, BenzeneIsTypedByTheRingTemplateAndThenByTheNegativeLevels) {
  params().parseBasicRingTable(kBenzeneTemplate);
  params().parseTypeRulesTable("LEVEL 1\nTYPE CA\nMAIN C\nAROMAT C C\nSINGLE H\n"
                               "LEVEL -1\nTYPE HA\nMAIN H\nSINGLE CAPH\n");
  auto m = kvtest::buildBenzene();
  m->findAllSmallestRings();
  m->findBestAtomType();
  for (size_t i = 0; i < 6; ++i) EXPECT_EQ("CAPH", m->atoms[i]->type) << i;
  for (size_t i = 6; i < 12; ++i) EXPECT_EQ("HA", m->atoms[i]->type) << i;

  // Without a ring match the negative levels never run.
  auto chain = buildMolecule({"C", "H"}, {{0, 1, 1}});
  params().parseTypeRulesTable("LEVEL -1\nTYPE HB\nMAIN H\nSINGLE C\n");
  chain->findBestAtomType();
  EXPECT_EQ("H", chain->atoms[1]->type);
}

TEST_F(AtomTyping, FusedAtomsTakeTheHybridTypeAndMetalBoundCarbonsBecomeCCPH) {
  params().parseBasicRingTable(kBenzeneTemplate);
  params().parseHybridTypeTable("CAPH CAPH CFUS\n");
  auto m = buildNaphthalene();
  m->findAllSmallestRings();
  m->findBestAtomType();
  for (size_t i = 0; i < 10; ++i)
    EXPECT_EQ(i == 4 || i == 5 ? "CFUS" : "CAPH", m->atoms[i]->type) << i;

  auto ferrocenyl = kvtest::buildBenzene();
  Atom* iron = Builder::instance()->createAtom();
  iron->element = iron->name = "Fe";
  ferrocenyl->addAtom(iron);
  ASSERT_EQ(1, ferrocenyl->addBond(ferrocenyl->atoms[0], iron, 1));
  ferrocenyl->findAllSmallestRings();
  ferrocenyl->findBestAtomType();
  EXPECT_EQ("CCPH", ferrocenyl->atoms[0]->type);
  EXPECT_EQ("CAPH", ferrocenyl->atoms[1]->type);
}

TEST_F(AtomTyping, ReverseTemplateMatchPutsUpdatesOnTheMatchingRingBonds) {
  // Template order C, N, O is the ring N, C, O read backwards; its update N-O lands on the
  // ring's closing bond.
  params().parseBasicRingTable("RING T\nATOM X C CT\nATOM Y N NT\nATOM Z O OT\n"
                               "SINGLE X Y  Z X\nUPDATE SINGLE DOUBLE Y Z\n");
  auto m = buildMolecule({"N", "C", "O"}, {{0, 1, 1}, {1, 2, 1}, {2, 0, 1}});
  Ring* ring = new Ring();
  ring->atomIds = {0, 1, 2};
  ring->bondIds = {0, 1, 2};
  m->setRings({ring});
  m->findBestAtomType();
  EXPECT_EQ((std::vector<std::string>{"NT", "CT", "OT"}), types(*m));
  EXPECT_EQ(1, m->bonds[0]->order);
  EXPECT_EQ(1, m->bonds[1]->order);
  EXPECT_EQ(2, m->bonds[2]->order);
}

TEST_F(AtomTyping, SubstitutedTemplateNamesRingAtomsByTheirFirstHeavySubstituent) {
  params().parseBasicRingTable("SRIN S\nATOM A O CS1\nATOM B C CS2\nATOM C C CS3\n"
                               "SINGLE A B  B C  C A\n");
  // Cyclopropane with a hydroxyl on atom 0 and hydrogens elsewhere.
  auto m = buildMolecule({"C", "C", "C", "O", "H", "H"},
                         {{0, 1, 1}, {1, 2, 1}, {2, 0, 1}, {0, 4, 1}, {0, 3, 1}, {1, 5, 1}});
  m->findAllSmallestRings();
  m->findBestAtomType();
  EXPECT_EQ("CS1", m->atoms[0]->type);
  EXPECT_EQ("O", m->atoms[3]->type);
  EXPECT_NE("C", m->atoms[1]->type);
  EXPECT_NE("C", m->atoms[2]->type);
}

TEST_F(AtomTyping, UndescribableAtomsAreReportedAndKeepTheirElement) {
  params().parseTypeRulesTable("LEVEL 1\nTYPE CANY\nMAIN C\nSINGLE * * * * *\n"
                               "TYPE XANY\nMAIN XX\nSINGLE *\n");
  auto m = buildMolecule({"C", "H", "H", "H", "C", "C", "Xx", "C"},
                         {{0, 1, 1}, {0, 2, 1}, {0, 3, 1}, {0, 4, 1}, {0, 5, 1}, {6, 7, 1}});
  kvtest::ErrorCapture errorLog;
  m->findBestAtomType();
  EXPECT_EQ("C", m->atoms[0]->type);
  EXPECT_EQ("XX", m->atoms[6]->type);
  EXPECT_EQ((std::vector<std::string>{
                "Error: atom typing: bond orders sum to 5 on atom \"C\" of element \"C\" in "
                "molecule \"unnamed\"",
                "Error: atom typing: no element row for \"Xx\" in molecule \"unnamed\""}),
            errorLog.lines);

  // A charge gives room for the bond it explains: ammonium is typed.
  params().parseTypeRulesTable("LEVEL 1\nTYPE NH4\nMAIN N\nSINGLE H H H H\n");
  auto ammonium = buildMolecule({"N", "H", "H", "H", "H"},
                                {{0, 1, 1}, {0, 2, 1}, {0, 3, 1}, {0, 4, 1}});
  ammonium->atoms[0]->charge = 1;
  ammonium->findBestAtomType();
  EXPECT_EQ("NH4", ammonium->atoms[0]->type);
}

TEST_F(AtomTyping, RingWithUnequalListsIsReportedAndSkipped) {
  params().parseBasicRingTable(kBenzeneTemplate);
  auto m = kvtest::buildBenzene();
  m->findAllSmallestRings();
  m->rings[0]->bondIds.pop_back();
  kvtest::ErrorCapture errorLog;
  m->findBestAtomType();
  EXPECT_EQ("This is NOT a ring!\n", errorLog.text());
  EXPECT_EQ("C", m->atoms[0]->type);
}
