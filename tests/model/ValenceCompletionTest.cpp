// Allowed valences from the element table and the hydrogens that complete them.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "PerceptionTables.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "model/Ring.h"
#include "support/AtomGeometry.h"
#include "support/MoleculeBuilder.h"
#include "support/ErrorCapture.h"

using kvtest::buildMolecule;
using kvtest::hydrogensOn;

namespace {

class ValenceCompletion : public PerceptionTables {
 protected:
  static void complete(Molecule& m) {
    m.findValenceVector();
    m.fillTotalAndUsedValence();
    m.addMissingHydrogens();
  }
};

}  // namespace

TEST_F(ValenceCompletion, LoneCarbonBecomesMethaneNamedOnFromTheAtomNumbering) {
  auto m = buildMolecule({"C"}, {});
  complete(*m);
  ASSERT_EQ(5u, m->atoms.size());
  ASSERT_EQ(4u, m->bonds.size());
  for (size_t i = 1; i < 5; ++i) {
    const Atom& h = *m->atoms[i];
    EXPECT_EQ("H" + std::to_string(i + 1), h.name);
    EXPECT_TRUE(h.element == "H" && h.type == "H" && h.id == static_cast<int>(i));
    EXPECT_TRUE(h.usedValence == 1 && h.totalValence == 1);
    EXPECT_NEAR(0.6f * 0.529f, h.radius, 1e-6f);
    EXPECT_EQ(std::vector<Atom*>{m->atoms[0]}, h.neighbours);
  }
  EXPECT_EQ(4, m->atoms[0]->usedValence);
  EXPECT_TRUE(m->atoms[0]->hydrogensAdded);
  EXPECT_EQ(4u, m->atoms[0]->neighbours.size());
  EXPECT_EQ(0, m->calTotalAvailableValence());

  m->fillTotalAndUsedValence();
  m->addMissingHydrogens();
  EXPECT_EQ(5u, m->atoms.size());
}

TEST_F(ValenceCompletion, BondOrdersChargesAndAromaticityCountAsUsedValence) {
  // Formic acid skeleton: the carbon has a double and a single bond.
  auto acid = buildMolecule({"C", "O", "O"}, {{0, 1, 2}, {0, 2, 1}});
  complete(*acid);
  EXPECT_EQ(1, hydrogensOn(acid->atoms[0]));
  EXPECT_EQ(0, hydrogensOn(acid->atoms[1]));
  EXPECT_EQ(1, hydrogensOn(acid->atoms[2]));
  EXPECT_EQ("H4", acid->atoms[3]->name);
  EXPECT_EQ("H5", acid->atoms[4]->name);

  auto ion = buildMolecule({"N", "C"}, {{0, 1, 1}});
  ion->atoms[0]->charge = 1;
  ion->atoms[1]->isAromatic = true;
  complete(*ion);
  EXPECT_EQ(3, hydrogensOn(ion->atoms[0]));   // N+ makes four bonds: methylammonium
  EXPECT_EQ(2, hydrogensOn(ion->atoms[1]));   // 1 bond + 1 aromatic of 4
}

TEST_F(ValenceCompletion, OverValentAtomKeepsItsLastValenceAndGetsNoHydrogens) {
  auto m = buildMolecule({"O", "C", "C", "C"}, {{0, 1, 1}, {0, 2, 1}, {0, 3, 1}});
  m->findValenceVector();
  m->fillTotalAndUsedValence();
  EXPECT_EQ(3, m->atoms[0]->usedValence);
  EXPECT_EQ(2, m->atoms[0]->totalValence);
  EXPECT_EQ(3 + 3 + 3, m->calTotalAvailableValence());   // the oxygen's excess is not subtracted
  m->addMissingHydrogens();
  EXPECT_EQ(0, hydrogensOn(m->atoms[0]));
  EXPECT_EQ(3, hydrogensOn(m->atoms[1]));

  // Sulfur with two bonds sits on its first valence exactly.
  auto sulfide = buildMolecule({"S", "C", "C"}, {{0, 1, 1}, {0, 2, 1}});
  complete(*sulfide);
  EXPECT_EQ(0, hydrogensOn(sulfide->atoms[0]));
}

TEST_F(ValenceCompletion, MetalNeighboursWidenTheAllowedValences) {
  auto m = buildMolecule({"C", "Fe", "Fe"}, {{0, 1, 1}, {0, 2, 1}});
  m->findValenceVector();
  EXPECT_EQ((std::vector<int>{4, 5, 6}), m->atoms[0]->allowedValences);
  EXPECT_EQ((std::vector<int>{2, 3}), m->atoms[1]->allowedValences);
}

TEST_F(ValenceCompletion, UnknownElementGetsNoHydrogensAndOneDiagnostic) {
  auto m = buildMolecule({"Xx", "C", "R"}, {{0, 1, 1}, {1, 2, 1}});
  kvtest::ErrorCapture errorLog;
  m->findValenceVector();
  EXPECT_EQ("Error: element table has no valences for \"Xx\"\n", errorLog.text());
  EXPECT_EQ((std::vector<int>{0}), m->atoms[0]->allowedValences);
  m->fillTotalAndUsedValence();
  m->addMissingHydrogens();
  EXPECT_EQ(0, hydrogensOn(m->atoms[0]));
  EXPECT_EQ(2, hydrogensOn(m->atoms[1]));
}

TEST_F(ValenceCompletion, EmptyMoleculeAndMissingHydrogenRow) {
  auto empty = buildMolecule({}, {});
  complete(*empty);
  EXPECT_EQ(0, empty->calTotalAvailableValence());

  // Without an "H" row the hydrogens still carry their element.
  params().releaseTables();
  params().parseElementTable("O 2\n");
  auto m = buildMolecule({"O"}, {});
  complete(*m);
  ASSERT_EQ(3u, m->atoms.size());
  EXPECT_EQ("H", m->atoms[1]->element);
}

// An aromatic ring atom counts one unit for its share of the pi system, except an atom that
// gives its lone pair to the ring: pyrrole read from a file without hydrogens keeps its NH
// (counting the unit too would leave a C4H4N radical), while pyridine's nitrogen gets none.
TEST_F(ValenceCompletion, LonePairDonorOfAnAromaticRingKeepsItsHydrogen) {
  const struct {
    const char* what;
    std::vector<std::string> elements;
    std::vector<kvtest::Edge> bonds;
    int nitrogenHydrogens;
  } cases[] = {
      {"pyrrole", {"N", "C", "C", "C", "C"},
       {{0, 1, 1}, {1, 2, 2}, {2, 3, 1}, {3, 4, 2}, {4, 0, 1}}, 1},
      {"pyridine", {"N", "C", "C", "C", "C", "C"},
       {{0, 1, 2}, {1, 2, 1}, {2, 3, 2}, {3, 4, 1}, {4, 5, 2}, {5, 0, 1}}, 0}};
  for (const auto& c : cases) {
    auto m = buildMolecule(c.elements, c.bonds);
    // The file reader's order: valences, rings (which find the ring aromatic), hydrogens.
    m->findValenceVector();
    m->fillTotalAndUsedValence();
    m->findAllSmallestRings();
    ASSERT_TRUE(m->rings.size() == 1 && m->rings[0]->aromatic) << c.what;
    m->addMissingHydrogens();
    EXPECT_EQ(c.nitrogenHydrogens, hydrogensOn(m->atoms[0])) << c.what;
    for (size_t i = 1; i < c.elements.size(); ++i)
      EXPECT_EQ(1, hydrogensOn(m->atoms[i])) << c.what;
  }
}
