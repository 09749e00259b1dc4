// New molecules from molecules on screen: each edit mode's Apply, the join at two bond axes and
// the ring closure, on molecules from SMILES and library groups. Every result is checked for a
// sound geometry; a refused or empty edit leaves its input as it was.

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

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

std::string writeSmiles(Molecule* m) {
  SmilesWriter writer;
  std::string text;
  writer.createSmilesFromMolecule(m, text);
  return text;
}

class MoleculeEdits : public ::testing::Test {
 protected:
  void SetUp() override { kvtest::ensureApplication(); }

  static Owned fromSmiles(const char* text) {
    SmilesParser parser;
    Owned m(parser.smilesToMol(text));
    EXPECT_NE(nullptr, m) << text;
    return m;
  }
  static Owned group(const char* path) {
    Owned m(IOEngine::instance()->parseKvtFile(std::string(KV_SOURCE_DIR) + "/" + path));
    EXPECT_NE(nullptr, m) << path;
    return m;
  }
  // The new molecule of a Rebuilt result, checked whole: sound positions for every atom.
  static Owned rebuilt(const EditResult& result) {
    EXPECT_EQ(EditOutcome::Rebuilt, result.outcome);
    Owned m(result.molecule);
    if (m != nullptr) {
      EXPECT_EQ(m->atoms.size(), m->positions.size());
      EXPECT_EQ("", describeGeometryFault(*m));
    }
    return m;
  }
  static int count(const Molecule& m, bool (*test)(const Atom*)) {
    return static_cast<int>(std::count_if(m.atoms.begin(), m.atoms.end(), test));
  }
  static Atom* hydrogenOf(const Atom* atom) {
    for (Bond* b : atom->bonds)
      if (atom->getAdjacentAtom(b)->element == "H") return atom->getAdjacentAtom(b);
    return nullptr;
  }
  static Bond* bondToHydrogen(const Molecule& m) {
    for (Bond* b : m.bonds)
      if (b->atom1->element == "H" || b->atom2->element == "H") return b;
    return nullptr;
  }
  // A molecule's graph and coordinates, to show an input came through unchanged.
  static std::string snapshot(const Molecule& m) {
    std::string s;
    for (const Atom* a : m.atoms) s += a->type + " ";
    for (const Bond* b : m.bonds) s += std::to_string(b->order);
    for (const SSEVector4f& p : m.positions)
      s += " " + std::to_string(p.x) + "," + std::to_string(p.y) + "," + std::to_string(p.z);
    return s;
  }
  // Hexane whose end carbons each had one hydrogen made into an open bond axis.
  Owned hexaneWithEndAxes() {
    Owned chain = fromSmiles("CCCCCC");
    hydrogenOf(chain->atoms[0])->editMark = 2;
    hydrogenOf(chain->atoms[5])->editMark = 2;
    return rebuilt(rebuildWithNewBondAxes(chain.get(), writeSmiles));
  }
  static std::vector<Bond*> axes(const Molecule& m) {
    std::vector<Bond*> found;
    for (Bond* b : m.bonds)
      if (isDummy(b->atom1) || isDummy(b->atom2)) found.push_back(b);
    return found;
  }
};

bool isCarbon(const Atom* a) { return a->element == "C"; }

}  // namespace

TEST_F(MoleculeEdits, ABondToAHydrogenRaisedToOrderTwoGoesBackToOne) {
  // Left at order 2, the carbon would be over-valent and shed its dummy, the group its axis.
  Owned ethyl = group("KV_GROUPS/Alkyl/ETHYL.kv");
  Bond* raised = bondToHydrogen(*ethyl);
  const int index = static_cast<int>(std::find(ethyl->bonds.begin(), ethyl->bonds.end(), raised) -
                                     ethyl->bonds.begin());
  raised->order = 2;
  Owned result = rebuilt(rebuildWithBondOrders(ethyl.get(), {{index, 1}}, writeSmiles));
  ASSERT_NE(nullptr, result);
  EXPECT_EQ("C2H5", result->getName());
  EXPECT_EQ(1, count(*result, isDummy));
  for (const Bond* b : result->bonds) EXPECT_EQ(1, b->order);
}

TEST_F(MoleculeEdits, AChangedAromaticBondHasItsRingOrdersDerivedAgain) {
  Owned benzene = fromSmiles("c1ccccc1");
  Bond* ringBond = benzene->bonds[0];
  ASSERT_EQ(9, ringBond->order);
  ringBond->order = 2;
  Owned result = rebuilt(rebuildWithBondOrders(benzene.get(), {{0, 9}}, writeSmiles));
  ASSERT_NE(nullptr, result);
  EXPECT_EQ("C6H6", result->getName()) << "no carbon lost a hydrogen to an extra double bond";
  ASSERT_EQ(1u, result->rings.size());
  for (int id : result->rings[0]->bondIds) EXPECT_EQ(9, result->bonds[static_cast<size_t>(id)]->order);
}

TEST_F(MoleculeEdits, DeletingACarbonTakesItsHydrogensAndDummiesOnce) {
  // Ethyl: the carbon that carries the open axis goes with its hydrogens and its dummy.
  Owned ethyl = group("KV_GROUPS/Alkyl/ETHYL.kv");
  ethyl->atoms[0]->editMark = 1;
  Owned methane = rebuilt(rebuildWithoutMarkedAtoms(ethyl.get(), writeSmiles));
  ASSERT_NE(nullptr, methane);
  EXPECT_EQ("CH4", methane->getName());
  EXPECT_EQ(0, count(*methane, isDummy));

  // A carbon marked with one of its own hydrogens: the hydrogen is deleted once.
  Owned propane = fromSmiles("CCC");
  propane->atoms[0]->editMark = 1;
  hydrogenOf(propane->atoms[0])->editMark = 1;
  Owned ethane = rebuilt(rebuildWithoutMarkedAtoms(propane.get(), writeSmiles));
  ASSERT_NE(nullptr, ethane);
  EXPECT_EQ("C2H6", ethane->getName());
  EXPECT_EQ("CC", ethane->smiles);
}

TEST_F(MoleculeEdits, AnEditThatLeavesNoAtomOrNoMarkMakesNoMolecule) {
  Owned methyl = group("KV_GROUPS/Alkyl/METHYL.kv");
  const std::string before = snapshot(*methyl);
  EditResult none = rebuildWithoutMarkedAtoms(methyl.get(), writeSmiles);
  EXPECT_TRUE(none.outcome == EditOutcome::Unchanged && none.molecule == nullptr);
  methyl->atoms[0]->editMark = 1;   // its hydrogens and dummy go with it: nothing is left
  EditResult emptied = rebuildWithoutMarkedAtoms(methyl.get(), writeSmiles);
  EXPECT_TRUE(emptied.outcome == EditOutcome::Emptied && emptied.molecule == nullptr);
  EXPECT_EQ(before, snapshot(*methyl));
  for (auto rebuild : {rebuildWithNewBondAxes, rebuildWithoutMarkedBonds})
    EXPECT_EQ(EditOutcome::Unchanged, rebuild(methyl.get(), writeSmiles).outcome);
}

TEST_F(MoleculeEdits, AMarkedBondToAHydrogenTakesTheHydrogenAndValencesAreCompleted) {
  Owned ethane = fromSmiles("CC");
  bondToHydrogen(*ethane)->deleteMark = 1;
  // Deleting only the bond would leave a lone hydrogen beside a completed carbon: C2H7.
  Owned result = rebuilt(rebuildWithoutMarkedBonds(ethane.get(), writeSmiles));
  ASSERT_NE(nullptr, result);
  EXPECT_EQ("C2H6", result->getName());
  EXPECT_EQ(7u, result->bonds.size());

  ethane->bonds[0]->deleteMark = 0;
  for (Bond* b : ethane->bonds) b->deleteMark = b->atom1->element == "C" && b->atom2->element == "C";
  Owned split = rebuilt(rebuildWithoutMarkedBonds(ethane.get(), writeSmiles));
  ASSERT_NE(nullptr, split);
  EXPECT_EQ("C2H8", split->getName()) << "two methanes";
}

TEST_F(MoleculeEdits, AMadeAxisSitsAlongTheOldBondAndNothingElseMoves) {
  Owned ethane = fromSmiles("CC");
  Atom* h = ethane->atoms[7];
  ASSERT_EQ("H", h->element);
  h->editMark = 2;
  const SSEVector4f carbon = ethane->positions[static_cast<size_t>(h->neighbours.front()->id)];
  SSEVector4f direction = ethane->positions[7] - carbon;
  direction.normalize();
  Owned result = rebuilt(rebuildWithNewBondAxes(ethane.get(), writeSmiles));
  ASSERT_NE(nullptr, result);
  const Atom* axis = result->atoms[7];
  EXPECT_EQ("DUM", axis->type);
  EXPECT_EQ("DUM7", axis->name);
  EXPECT_EQ(ethane->numBondAxes + 1, result->numBondAxes);
  SSEVector4f out = result->positions[7] - carbon;
  EXPECT_NEAR(2.11561f, out.length(), 1e-4f);
  out.normalize();
  EXPECT_NEAR(1.0f, out.dot(direction), 1e-5f);
  for (size_t i = 0; i < 7; ++i)
    EXPECT_EQ(0.0f, (result->positions[i] - ethane->positions[i]).length()) << i;
  EXPECT_EQ("C2H5", result->getName()) << "a dummy is no atom of the formula";
}

TEST_F(MoleculeEdits, ALargePdbStructureKeepsItsNamesThroughEveryApply) {
  Owned chain = fromSmiles(std::string(66, 'C').c_str());
  ASSERT_GE(chain->atoms.size(), 200u);
  chain->isFromPdb = true;
  chain->names = {"1ABC"};
  chain->smiles = "kept";
  hydrogenOf(chain->atoms[0])->editMark = 2;
  Owned withAxis = rebuilt(rebuildWithNewBondAxes(chain.get(), writeSmiles));
  hydrogenOf(chain->atoms[0])->editMark = 1;
  Owned withoutAtom = rebuilt(rebuildWithoutMarkedAtoms(chain.get(), writeSmiles));
  for (const Molecule* m : {withAxis.get(), withoutAtom.get()}) {
    ASSERT_NE(nullptr, m);
    EXPECT_EQ("1ABC", m->getName());
    EXPECT_EQ("kept", m->smiles);
  }
}

TEST_F(MoleculeEdits, TwoMethylGroupsJoinIntoATypedEthane) {
  Owned first = group("KV_GROUPS/Alkyl/METHYL.kv");
  Owned second = group("KV_GROUPS/Alkyl/METHYL.kv");
  const std::string kept1 = snapshot(*first), kept2 = snapshot(*second);
  Owned ethane = rebuilt(
      joinAtBondAxes(first.get(), axes(*first)[0], second.get(), axes(*second)[0], writeSmiles));
  ASSERT_NE(nullptr, ethane);
  EXPECT_EQ("C2H6", ethane->getName());
  EXPECT_EQ("CC", ethane->smiles);
  EXPECT_EQ(0, count(*ethane, isDummy));
  EXPECT_EQ(1, std::count_if(ethane->bonds.begin(), ethane->bonds.end(),
                             [](const Bond* b) { return b->isConnection; }));
  // Typed again: the group's carbons were "CH4", a methyl carbon of ethane is "CH3".
  for (const Atom* a : ethane->atoms) {
    if (isCarbon(a)) {
      EXPECT_EQ("CH3", a->type);
    }
  }
  EXPECT_TRUE(snapshot(*first) == kept1 && snapshot(*second) == kept2);
}

TEST_F(MoleculeEdits, JoiningAGroupWithFurtherAxesKeepsItsTypesAndAxes) {
  Owned methylene = group("KV_GROUPS/Alkyl/METHYLENE.kv");
  Owned methyl = group("KV_GROUPS/Alkyl/METHYL.kv");
  Owned ethyl = rebuilt(joinAtBondAxes(methylene.get(), axes(*methylene)[0], methyl.get(),
                                       axes(*methyl)[0], writeSmiles));
  ASSERT_NE(nullptr, ethyl);
  EXPECT_EQ(1, count(*ethyl, isDummy));
  EXPECT_EQ(1u, axes(*ethyl).size());
  EXPECT_EQ(methylene->atoms[0]->type, ethyl->atoms[0]->type) << "not typed again";
}

TEST_F(MoleculeEdits, AFailedJoinLeavesBothMoleculesAsTheyWere) {
  Owned first = group("KV_GROUPS/Alkyl/METHYL.kv");
  Owned second = group("KV_GROUPS/Alkyl/METHYL.kv");
  Bond* axis1 = axes(*first)[0];
  Bond* axis2 = axes(*second)[0];
  kvtest::ErrorCapture errors;
  const auto attempt = [&] {
    const std::string kept1 = snapshot(*first), kept2 = snapshot(*second);
    const EditResult r = joinAtBondAxes(first.get(), axis1, second.get(), axis2, writeSmiles);
    EXPECT_TRUE(r.outcome == EditOutcome::Failed && r.molecule == nullptr);
    EXPECT_TRUE(snapshot(*first) == kept1 && snapshot(*second) == kept2);
  };
  axis2->order = 2;
  attempt();
  axis2->order = 1;
  first->positions[static_cast<size_t>(axis1->atom2->id)] =
      first->positions[static_cast<size_t>(axis1->atom1->id)];   // an axis of no length
  attempt();
  EXPECT_EQ(2u, errors.lines.size());
}

TEST_F(MoleculeEdits, AHexaneWithAxesAtBothEndsClosesIntoCyclohexane) {
  Owned chain = hexaneWithEndAxes();
  ASSERT_NE(nullptr, chain);
  const std::vector<Bond*> ends = axes(*chain);
  ASSERT_EQ(2u, ends.size());
  Owned ring = rebuilt(closeRingAtBondAxes(chain.get(), ends[0], ends[1], writeSmiles));
  ASSERT_NE(nullptr, ring);
  EXPECT_EQ("C6H12", ring->getName());
  EXPECT_EQ("C1CCCCC1", ring->smiles);
  ASSERT_EQ(1u, ring->rings.size());
  ASSERT_EQ(6u, ring->rings[0]->bondIds.size());
  // Fresh coordinates: the closing bond is as long as the others, not stretched across the chain.
  for (int id : ring->rings[0]->bondIds) {
    const Bond* b = ring->bonds[static_cast<size_t>(id)];
    const float length = (ring->positions[static_cast<size_t>(b->atom1->id)] -
                          ring->positions[static_cast<size_t>(b->atom2->id)]).length();
    EXPECT_NEAR(1.53f, length, 0.06f);
  }
}

TEST_F(MoleculeEdits, AClosureBetweenBondedOrIdenticalEndsChangesNothing) {
  // Ethane with an axis on each carbon: the carbons are bonded already.
  Owned ethane = fromSmiles("CC");
  hydrogenOf(ethane->atoms[0])->editMark = 2;
  hydrogenOf(ethane->atoms[1])->editMark = 2;
  Owned bonded = rebuilt(rebuildWithNewBondAxes(ethane.get(), writeSmiles));
  ASSERT_NE(nullptr, bonded);
  std::vector<Bond*> ends = axes(*bonded);
  EXPECT_EQ(EditOutcome::Unchanged,
            closeRingAtBondAxes(bonded.get(), ends[0], ends[1], writeSmiles).outcome);

  // Methylene: both axes on one carbon, which cannot bond to itself.
  Owned methylene = group("KV_GROUPS/Alkyl/METHYLENE.kv");
  const std::string kept = snapshot(*methylene);
  ends = axes(*methylene);
  kvtest::ErrorCapture errors;
  const EditResult refused = closeRingAtBondAxes(methylene.get(), ends[0], ends[1], writeSmiles);
  EXPECT_TRUE(refused.outcome == EditOutcome::Failed && refused.molecule == nullptr);
  EXPECT_EQ(std::vector<std::string>{"Failed to add bond"}, errors.lines);
  EXPECT_EQ(kept, snapshot(*methylene));
}
