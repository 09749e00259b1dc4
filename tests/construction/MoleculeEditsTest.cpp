// New molecules from molecules on screen: each edit mode's Apply, the join at two bond axes and
// the ring closure, on molecules from SMILES and library groups. Every new molecule must have
// sound positions; a refused or empty edit leaves its input as it was.

#include <algorithm>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "construction/GeometryCheck.h"
#include "construction/MoleculeEdits.h"
#include "io/IOEngine.h"
#include "io/SmilesParser.h"
#include "io/SmilesWriter.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "model/Ring.h"
#include "support/ErrorCapture.h"
#include "support/QtApplication.h"

namespace {

using Owned = std::unique_ptr<Molecule>;

std::string smiles(Molecule* m) {
  std::string text;
  SmilesWriter().createSmilesFromMolecule(m, text);
  return text;
}

Owned fromSmiles(const char* text) {
  kvtest::ensureApplication();
  return Owned(SmilesParser().smilesToMol(text));
}
Owned group(const char* name) {
  kvtest::ensureApplication();
  const std::string path = std::string(KV_SOURCE_DIR) + "/KV_GROUPS/" + name;
  return Owned(IOEngine::instance()->parseKvtFile(path));
}
// The new molecule of a result that must be Rebuilt, with a position for every atom, all sound.
Owned rebuilt(const EditResult& r) {
  EXPECT_EQ(EditOutcome::Rebuilt, r.outcome);
  Owned m(r.molecule);
  EXPECT_TRUE(m == nullptr ||
              (m->positions.size() == m->atoms.size() && describeGeometryFault(*m).empty()));
  return m;
}
Atom* hydrogenOf(const Atom* a) {
  for (Bond* b : a->bonds)
    if (a->getAdjacentAtom(b)->element == "H") return a->getAdjacentAtom(b);
  return nullptr;
}
std::vector<Bond*> axes(const Molecule& m) {
  std::vector<Bond*> found;
  for (Bond* b : m.bonds)
    if (isDummy(b->atom1) || isDummy(b->atom2)) found.push_back(b);
  return found;
}
// Types, orders and coordinates: what an input must keep through a failed change.
std::string snapshot(const Molecule& m) {
  std::string s;
  for (const Atom* a : m.atoms) s += a->type + " ";
  for (const Bond* b : m.bonds) s += std::to_string(b->order);
  for (const SSEVector4f& p : m.positions) s += " " + std::to_string(p.x + 3 * p.y + 7 * p.z);
  return s;
}

}  // namespace

TEST(MoleculeEdits, BondOrderApplyResetsHydrogenBondsAndDerivesAromaticRingsAgain) {
  // Left at order 2, the ethyl carbon would be over-valent and shed its dummy.
  Owned ethyl = group("Alkyl/ETHYL.kv");
  const auto raised = std::find_if(ethyl->bonds.begin(), ethyl->bonds.end(), [](Bond* b) {
    return b->atom2->element == "H";
  });
  (*raised)->order = 2;
  const int index = static_cast<int>(raised - ethyl->bonds.begin());
  Owned kept = rebuilt(rebuildWithBondOrders(ethyl.get(), {{index, 1}}, smiles));
  ASSERT_NE(nullptr, kept);
  EXPECT_TRUE(kept->getName() == "C2H5" && axes(*kept).size() == 1);
  for (const Bond* b : kept->bonds) EXPECT_EQ(1, b->order);

  Owned benzene = fromSmiles("c1ccccc1");
  benzene->bonds[0]->order = 2;   // was aromatic (9)
  Owned ring = rebuilt(rebuildWithBondOrders(benzene.get(), {{0, kAromaticOrder}}, smiles));
  ASSERT_TRUE(ring != nullptr && ring->rings.size() == 1);
  EXPECT_EQ("C6H6", ring->getName()) << "no carbon lost a hydrogen to a second double bond";
  for (int id : ring->rings[0]->bondIds)
    EXPECT_EQ(kAromaticOrder, ring->bonds[static_cast<size_t>(id)]->order);
}

TEST(MoleculeEdits, DeletedAtomsTakeTheirHydrogensAndDummiesOnce) {
  Owned methyl = group("Alkyl/METHYL.kv");
  const std::string before = snapshot(*methyl);
  for (auto rebuild :
       {rebuildWithoutMarkedAtoms, rebuildWithNewBondAxes, rebuildWithoutMarkedBonds})
    EXPECT_EQ(EditOutcome::Unchanged, rebuild(methyl.get(), smiles).outcome) << "no mark";
  methyl->atoms[0]->editMark = 1;   // its hydrogens and dummy go with it: no atom is left
  const EditResult emptied = rebuildWithoutMarkedAtoms(methyl.get(), smiles);
  EXPECT_TRUE(emptied.outcome == EditOutcome::Emptied && snapshot(*methyl) == before);

  Owned ethyl = group("Alkyl/ETHYL.kv");
  ethyl->atoms[0]->editMark = 1;   // the carbon with the open axis
  Owned methane = rebuilt(rebuildWithoutMarkedAtoms(ethyl.get(), smiles));
  ASSERT_NE(nullptr, methane);
  EXPECT_TRUE(methane->getName() == "CH4" && axes(*methane).empty());

  Owned propane = fromSmiles("CCC");
  propane->atoms[0]->editMark = 1;
  hydrogenOf(propane->atoms[0])->editMark = 1;   // marked twice over: deleted once
  Owned ethane = rebuilt(rebuildWithoutMarkedAtoms(propane.get(), smiles));
  ASSERT_NE(nullptr, ethane);
  EXPECT_TRUE(ethane->getName() == "C2H6" && ethane->smiles == "CC");
}

TEST(MoleculeEdits, AMarkedBondToAHydrogenTakesTheHydrogenAndValencesAreCompleted) {
  Owned ethane = fromSmiles("CC");
  hydrogenOf(ethane->atoms[0])->bonds[0]->deleteMark = 1;
  // Deleting only the bond would leave a lone hydrogen beside a completed carbon: C2H7.
  Owned result = rebuilt(rebuildWithoutMarkedBonds(ethane.get(), smiles));
  ASSERT_NE(nullptr, result);
  EXPECT_TRUE(result->getName() == "C2H6" && result->bonds.size() == 7);
}

TEST(MoleculeEdits, AMadeAxisSitsAlongTheOldBondAndNothingElseMoves) {
  Owned ethane = fromSmiles("CC");
  Atom* h = ethane->atoms[7];
  ASSERT_EQ("H", h->element);
  h->editMark = 2;
  const SSEVector4f carbon = ethane->positions[static_cast<size_t>(h->neighbours.front()->id)];
  SSEVector4f before = ethane->positions[7] - carbon;
  before.normalize();
  Owned result = rebuilt(rebuildWithNewBondAxes(ethane.get(), smiles));
  ASSERT_NE(nullptr, result);
  EXPECT_TRUE(result->atoms[7]->type == "DUM" && result->atoms[7]->name == "DUM7");
  EXPECT_EQ(0, result->atoms[7]->editMark) << "a new molecule carries no marks";
  EXPECT_EQ(ethane->numBondAxes + 1, result->numBondAxes);
  SSEVector4f out = result->positions[7] - carbon;
  EXPECT_NEAR(2.11561f, out.length(), 1e-4f);
  out.normalize();
  EXPECT_NEAR(1.0f, out.dot(before), 1e-5f);
  for (size_t i = 0; i < 7; ++i)
    EXPECT_EQ(0.0f, (result->positions[i] - ethane->positions[i]).length()) << i;
}

TEST(MoleculeEdits, GroupsJoinIntoATypedMoleculeOrKeepTheirTypesWhileAxesRemain) {
  Owned first = group("Alkyl/METHYL.kv"), second = group("Alkyl/METHYL.kv");
  Owned ethane = rebuilt(joinAtBondAxes(first.get(), axes(*first)[0], second.get(),
                                        axes(*second)[0], smiles));
  ASSERT_NE(nullptr, ethane);
  EXPECT_TRUE(ethane->getName() == "C2H6" && ethane->smiles == "CC" && axes(*ethane).empty());
  EXPECT_EQ(1, std::count_if(ethane->bonds.begin(), ethane->bonds.end(),
                             [](const Bond* b) { return b->isConnection; }));
  // Typed again: the group's carbons are "CH4", a carbon of ethane is "CH3".
  EXPECT_TRUE(ethane->atoms[0]->type == "CH3" && first->atoms[0]->type == "CH4");

  Owned methylene = group("Alkyl/METHYLENE.kv");
  Owned ethyl = rebuilt(joinAtBondAxes(methylene.get(), axes(*methylene)[0], first.get(),
                                       axes(*first)[0], smiles));
  ASSERT_NE(nullptr, ethyl);
  EXPECT_EQ(1u, axes(*ethyl).size());
  EXPECT_EQ("CH4", ethyl->atoms[0]->type) << "not typed while an axis remains";
}

TEST(MoleculeEdits, AHexaneWithAxesAtBothEndsClosesIntoCyclohexane) {
  Owned chain = fromSmiles("CCCCCC");
  hydrogenOf(chain->atoms[0])->editMark = 2;
  hydrogenOf(chain->atoms[5])->editMark = 2;
  Owned open = rebuilt(rebuildWithNewBondAxes(chain.get(), smiles));
  ASSERT_TRUE(open != nullptr && axes(*open).size() == 2);
  Owned ring = rebuilt(closeRingAtBondAxes(open.get(), axes(*open)[0], axes(*open)[1], smiles));
  ASSERT_NE(nullptr, ring);
  EXPECT_TRUE(ring->getName() == "C6H12" && ring->smiles == "C1CCCCC1");
  ASSERT_TRUE(ring->rings.size() == 1 && ring->rings[0]->bondIds.size() == 6);
  // Fresh coordinates: the closing bond is as long as the others, not stretched over the chain.
  for (int id : ring->rings[0]->bondIds) {
    const Bond* b = ring->bonds[static_cast<size_t>(id)];
    EXPECT_NEAR(1.53f, (ring->positions[static_cast<size_t>(b->atom1->id)] -
                        ring->positions[static_cast<size_t>(b->atom2->id)]).length(), 0.06f);
  }
}

TEST(MoleculeEdits, AFailedJoinOrRingClosureLeavesItsInputsAsTheyWere) {
  Owned first = group("Alkyl/METHYL.kv"), second = group("Alkyl/METHYL.kv");
  Owned methylene = group("Alkyl/METHYLENE.kv");   // both axes on one carbon
  axes(*second)[0]->order = 2;
  const std::string kept1 = snapshot(*first), kept2 = snapshot(*second),
                    kept3 = snapshot(*methylene);
  kvtest::ErrorCapture errors;
  const EditResult join = joinAtBondAxes(first.get(), axes(*first)[0], second.get(),
                                         axes(*second)[0], smiles);
  EXPECT_TRUE(join.outcome == EditOutcome::Failed && join.molecule == nullptr);
  EXPECT_EQ(1u, errors.lines.size());
  errors.clear();
  const EditResult ring = closeRingAtBondAxes(methylene.get(), axes(*methylene)[0],
                                              axes(*methylene)[1], smiles);
  EXPECT_TRUE(ring.outcome == EditOutcome::Failed && ring.molecule == nullptr);
  EXPECT_EQ(std::vector<std::string>{"Failed to add bond C1-C1 closing a ring in \"METHYLENE\""},
            errors.lines);
  EXPECT_TRUE(snapshot(*first) == kept1 && snapshot(*second) == kept2 &&
              snapshot(*methylene) == kept3);
}

// An edit that keeps its coordinates once handed on positions the set-up chain refused (two
// hydrogens 0.3 A apart) as a finished molecule.
TEST(MoleculeEdits, AnEditTheChainRefusesGivesNoMoleculeAndSaysSo) {
  Owned ethane = fromSmiles("CC");
  const Atom* h1 = hydrogenOf(ethane->atoms[0]);
  const Atom* h2 = hydrogenOf(ethane->atoms[1]);
  Atom* axis = ethane->atoms[7];
  ASSERT_TRUE(h1 && h2 && axis->element == "H" && axis != h1 && axis != h2);
  SSEVector4f& moved = ethane->positions[static_cast<size_t>(h2->id)];
  moved = ethane->positions[static_cast<size_t>(h1->id)];
  moved.x += 0.3f;
  axis->editMark = 2;
  const std::string before = snapshot(*ethane);
  kvtest::ErrorCapture errors;
  const EditResult result = rebuildWithNewBondAxes(ethane.get(), smiles);
  EXPECT_TRUE(result.outcome == EditOutcome::Failed && result.molecule == nullptr);
  ASSERT_EQ(2u, errors.lines.size()) << errors.text();
  EXPECT_NE(std::string::npos, errors.lines[0].find("Angstrom apart")) << errors.text();
  EXPECT_EQ("Error: make axis: no sound molecule came of \"C2H6\"; it is left as it was",
            errors.lines[1]);
  EXPECT_EQ(before, snapshot(*ethane));
}

// A join the set-up chain refuses after the groups are joined: a tropine whose second
// bridgehead is turned over (its hydrogen inside the cage, which no geometry holds) joined to a
// methyl. The join gives no molecule, says so after the chain's own line, and both inputs stay.
TEST(MoleculeEdits, AJoinTheChainRefusesGivesNoMoleculeAndSaysSo) {
  Owned tropine = fromSmiles("CN1[C@@H]2CC[C@H]1CC(C2)O");
  ASSERT_TRUE(tropine);
  hydrogenOf(tropine->atoms[0])->editMark = 2;
  Owned open = rebuilt(rebuildWithNewBondAxes(tropine.get(), smiles));
  ASSERT_TRUE(open != nullptr && axes(*open).size() == 1);
  Atom* bridgehead = nullptr;   // the second labelled centre
  for (Atom* a : open->atoms)
    if (a->piCount != 0) bridgehead = a;
  ASSERT_TRUE(bridgehead != nullptr && bridgehead->piCount == 1);
  bridgehead->piCount = 2;   // CN1[C@@H]2CC[C@@H]1CC(C2)O
  Owned methyl = group("Alkyl/METHYL.kv");
  const std::string kept1 = snapshot(*open), kept2 = snapshot(*methyl);
  kvtest::ErrorCapture errors;
  const EditResult join =
      joinAtBondAxes(open.get(), axes(*open)[0], methyl.get(), axes(*methyl)[0], smiles);
  EXPECT_TRUE(join.outcome == EditOutcome::Failed && join.molecule == nullptr);
  ASSERT_EQ(2u, errors.lines.size()) << errors.text();
  EXPECT_NE(std::string::npos, errors.lines[0].find("as written")) << errors.text();
  EXPECT_EQ("Error: could not create  molecule joining \"" + open->label() +
                "\" and \"METHYL\"; both are left as they were",
            errors.lines[1]);
  EXPECT_TRUE(snapshot(*open) == kept1 && snapshot(*methyl) == kept2);
}
