// Geometry of molecules the readers finish, judged from the coordinates alone: no two atoms
// that share no bond on top of each other, quaternary centres not flattened, every labelled
// centre and marked double bond as written. A geometry the chain cannot make true is refused.

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "io/SmilesParser.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "support/AtomGeometry.h"
#include "support/ErrorCapture.h"
#include "support/QtApplication.h"

namespace {

// The direction from a to b, of unit length.
SSEVector4f unit(const Atom* a, const Atom* b) {
  SSEVector4f d = b->position - a->position;
  d.normalize();
  return d;
}

std::unique_ptr<Molecule> read(const std::string& smiles) {
  kvtest::ensureApplication();
  SmilesParser parser;
  return std::unique_ptr<Molecule>(parser.smilesToMol(smiles));
}

// What every finished molecule must show, checked over all atom pairs.
void expectTrueGeometry(const Molecule& m, const std::string& smiles) {
  for (size_t i = 0; i < m.atoms.size(); ++i)
    for (size_t j = i + 1; j < m.atoms.size(); ++j)
      if (m.getBond(m.atoms[i], m.atoms[j]) == nullptr) {
        EXPECT_GE(kvtest::distance(m.atoms[i], m.atoms[j]), 0.7) << smiles << ": " << i << "-" << j;
      }
  for (const Atom* a : m.atoms) {
    if (a->element == "C" && a->degree == 4) {
      // A quaternary carbon is not flat: its bond directions span a volume.
      const std::vector<Atom*> n = a->getAdjacentAtoms();
      const float volume = unit(a, n[0]).dot(unit(a, n[1]) % unit(a, n[2]));
      EXPECT_GT(std::fabs(volume), 0.4f) << smiles << ": flat carbon " << a->id;
    }
    // Seen from the first neighbour, "@@" turns the other three clockwise: the volume of the
    // four neighbours in SMILES order is then positive.
    const std::vector<Atom*>& n = a->neighbours;
    if ((a->piCount == 1 || a->piCount == 2) && n.size() == 4) {
      const float volume = unit(n[0], n[1]).dot(unit(n[0], n[2]) % unit(n[0], n[3]));
      EXPECT_EQ(a->piCount == 2, volume > 0.0f) << smiles << ": centre " << a->id << " inverted";
    }
  }
}

// The SMILES of the mirror image: every "@@" becomes "@" and every lone "@" "@@".
std::string mirrorImage(const std::string& smiles) {
  std::string mirrored;
  for (size_t i = 0; i < smiles.size(); ++i) {
    if (smiles[i] != '@') {
      mirrored += smiles[i];
    } else if (i + 1 < smiles.size() && smiles[i + 1] == '@') {
      mirrored += '@';
      ++i;
    } else {
      mirrored += "@@";
    }
  }
  return mirrored;
}

}  // namespace

TEST(ReadGeometry, QuaternaryBridgedAndCagedMoleculesComeOutTrue) {
  // Stacked atoms once: quaternary centres whose table angles could not all hold, cages whose
  // second ring took the pucker of the first, norbornane's planar five-rings laid on each other,
  // two branches of one centre grown into each other. Inverted centres once: cages and fused
  // rings whose puckers contradicted the labels.
  const char* molecules[] = {
      "OCC(C)(C)C", "CC(C)(C)c1ccc[nH]1", "CC(C)(C)C(C)(C)C", "OC(=O)C(c1ccccc1)(c1ccccc1)c1ccccc1",
      "C[N+](C)(Cc1ccccc1)Cc1ccccc1", "CCC(=O)C(CC(C)(C)C)CC(C)(C)C", "CS(=O)(=O)C(C)(C)C",
      "C1C2CC3CC1CC(C2)C3",                  // adamantane
      "C1N2CN3CN1CN(C2)C3",                  // hexamine
      "C1CC2CCC1CC2", "C1CC2CCC1C2",         // bicyclo[2.2.2]octane, norbornane
      "C12C3C4C1C5C2C3C45",                  // cubane
      "c1ccc2c(c1)C1c3ccccc3C2c2ccccc12",    // triptycene
      "CCOC(=O)C1C2CCC(CC2)C1C(=O)OCC",
      "CC1(C)[C@@H]2CC[C@@]1(C)C(=O)C2",     // camphor
      "C[C@@]12CC[C@@H](C1)C(C)(C)C2=O",     // fenchone
      "CN1[C@H]2CC[C@@H]1[C@H]([C@H](C2)OC(=O)c1ccccc1)C(=O)OC",   // cocaine
      "CN1CC[C@]23c4c5ccc(O)c4O[C@H]2[C@@H](O)C=C[C@H]3[C@H]1C5",  // morphine
      "COC1=CC2=C(C=CN=C2C=C1)[C@H]([C@@H]3C[C@@H]4CCN3C[C@@H]4C=C)O",   // quinine
      "C[C@]12CC[C@H]3[C@H]([C@@H]1CC[C@@H]2O)CCC4=CC(=O)CC[C@]34C",    // testosterone
      "C[C@@H]1CC[C@H]2[C@@H](C(=O)O[C@H]3[C@@]24[C@H]1CC[C@](O3)(OO4)C)C",   // artemisinin
      "Clc1ccc(cn1)[C@@H]1C[C@@H]2CC[C@H]1N2",                        // epibatidine
      "C1CCN2C[C@@H]3C[C@H]([C@H]2C1)CN4[C@@H]3CCCC4",                // sparteine
      // A cis cyclopropane: once the optimisation tore the ring in its torsion annealing and
      // closed it with a centre turned over, and it was refused.
      "N[C@@H]1C[C@@H]1c1ccccc1",
      "C1CN2CC3=CCO[C@H]4CC(=O)N5[C@H]6[C@H]4[C@H]3C[C@H]2[C@@]61C7=CC=CC=C75",   // strychnine
      "C1C[C@H]2CCCC[C@@H]2C1", "C[C@H]1CCCC[C@H]1C",   // trans-decalin, ring trans
      // The second quinuclidine centre once took the same configuration in every writing.
      "O[C@H]1C2CCN(CC2)[C@@H]1C", "O[C@H]1C2CCN(CC2)[C@H]1C", "O[C@@H]1C2CCN(CC2)[C@@H]1C",
      "O[C@@H]1C2CCN(CC2)[C@H]1C",
      "CC/C=C\\CCO", "F/C=C/F"};
  for (const char* smiles : molecules) {
    std::unique_ptr<Molecule> m = read(smiles);
    ASSERT_NE(nullptr, m) << smiles;
    expectTrueGeometry(*m, smiles);
  }
}

TEST(ReadGeometry, MarkedDoubleBondsKeepTheirSide) {
  // A mark inside a branch before the double bond reads the other way round.
  const std::pair<const char*, bool> cases[] = {
      {"F/C=C/F", false},     {"F/C=C\\F", true},        {"F\\C=C\\F", false},
      {"C(/F)=C/F", true},    {"C(\\F)=C/F", false},     {"C/C=C/C(=O)O", false},
      {"CCCCCCCC/C=C\\CCCCCCCC(=O)O", true}};
  for (const auto& c : cases) {
    std::unique_ptr<Molecule> m = read(c.first);
    ASSERT_NE(nullptr, m) << c.first;
    int marked = 0;
    for (const Bond* b : m->bonds) {
      if (b->order != 2 || !b->hasDihedral || b->atom1->element != "C") continue;
      const double torsion =
          kvtest::torsionDeg(b->dihedralAtom1, b->atom1, b->atom2, b->dihedralAtom2);
      EXPECT_EQ(c.second, std::fabs(torsion) < 90.0) << c.first << ": torsion " << torsion;
      ++marked;
    }
    EXPECT_EQ(1, marked) << c.first;
  }
}

TEST(ReadGeometry, AnImpossibleLabelIsRefusedNamingTheCentre) {
  // Bicyclo[2.1.1]hexane with one bridgehead turned inside out: no geometry has it.
  kvtest::ErrorCapture errors;
  EXPECT_EQ(nullptr, read("C1C[C@@H]2C[C@@H]1C2"));
  const std::string text = errors.text();
  EXPECT_NE(std::string::npos, text.find("Error: coordinates: centre C")) << text;
  EXPECT_NE(std::string::npos, text.find("of \"C1C[C@@H]2C[C@@H]1C2\" is not \"@@\" as written"))
      << text;
  // The possible one is finished.
  EXPECT_NE(nullptr, read("C1C[C@H]2C[C@@H]1C2"));
}

TEST(ReadGeometry, BridgeheadsTurnedInsideOutAndSmallTransFusionsAreRefusedNamingTheCentre) {
  // Labels no geometry holds, read from the graph before any work: one bridgehead of a small
  // bridged system turned into its cage, or a three-membered ring fused trans onto a small ring.
  // Each was once finished with bonds stretched to 1.6 or 1.7 Angstrom and angles of 140
  // degrees, or refused only after every layout had been tried. The in/out sparteine and the
  // morphine with its piperidine bridge turned inside out were taken for strained stereoisomers
  // then; both are bicyclo[3.3.1] systems with one bridgehead in, 80 to 90 kcal/mol above their
  // real forms.
  const struct {
    const char* smiles;
    const char* centre;   // the later of the two centres, as the error line names it
  } impossible[] = {
      {"CN1[C@@H]2CC[C@@H]1CC(C2)O", "C6"},                                  // trans tropine
      {"COC(=O)[C@H]1[C@@H](OC(=O)c2ccccc2)C[C@@H]2CC[C@@H]1N2C", "C22"},     // cocaine
      {"CC1(C)[C@H]2CC[C@@]1(C)[C@H](O)C2", "C7"},                           // borneol
      {"CC1=CC[C@H]2C[C@H]1C2(C)C", "C7"},                                   // pinene
      {"Clc1ccc([C@@H]2C[C@H]3CC[C@H]2N3)cn1", "C12"},                       // epibatidine
      {"C1CCN2C[C@@H]3C[C@@H]([C@H]2C1)CN1CCCC[C@H]31", "C8"},                // sparteine
      {"CN1CC[C@]23c4c5ccc(O)c4O[C@H]2[C@H](O)C=C[C@H]3[C@@H]1C5", "C22"},   // morphine
      {"Cc1cccc(/C=C2/C(=O)/C(=C\\c3ccccc3C)[C@H]3CC[C@H]2N3C)c1", "C23"},  // a dibenzylidene tropinone
      {"CN1[C@@H]2C[C@H](OC(=O)[C@H](CO)c3ccccc3)C[C@H]1[C@H]1O[C@@H]12", "C26"},   // epoxide
      {"[C@H]12CC[C@@H]1C2", "C4"},                                          // bicyclopentane
  };
  for (const auto& c : impossible) {
    // The mirror image, every "@" and "@@" exchanged, is as impossible.
    for (const std::string& smiles : {std::string(c.smiles), mirrorImage(c.smiles)}) {
      kvtest::ErrorCapture errors;
      EXPECT_EQ(nullptr, read(smiles)) << smiles;
      ASSERT_EQ(1u, errors.lines.size()) << errors.text();
      const std::string& line = errors.lines[0];
      EXPECT_EQ(0u, line.find(std::string("Error: coordinates: centre ") + c.centre + " of \"" +
                              smiles + "\" is not \"@"))
          << line;
      EXPECT_NE(std::string::npos, line.find("\" as written")) << line;
    }
  }
  // Their real forms, and other bridged and fused ring systems, keep every hand as written. The
  // three furan Diels-Alder adducts, an oxanorbornene fused to a lactam, were refused: the bridge
  // round the lactam and the oxanorbornene's one-atom and two-atom bridges make a [5.2.1]
  // bicycle that holds a bridgehead's fourth bond inside, on the two-atom bridge.
  const char* real[] = {
      "CC(C)CCNC(=O)[C@@H]1[C@@H]2C=C[C@@]3(CN(Cc4cccnc4)C(=O)[C@H]13)O2",
      "C=C(C)C[C@@H]1N(c2ccccc2F)C(=O)[C@H]2[C@H](C(=O)O)[C@@H]3C=C[C@]12O3",
      "CCOC(=O)[C@@H]1[C@H]2C(=O)N(c3ccccc3Cl)C[C@]23C=C[C@H]1O3",
      "CN1[C@@H]2CC[C@H]1C[C@@H](C2)O", "CN1[C@@H]2CCC[C@H]1CC2",
      "CN1[C@H]2CC[C@@H]1[C@H]([C@H](C2)OC(=O)c1ccccc1)C(=O)OC",
      "CN1[C@@H]2CC[C@H]1CC(C2)OC(=O)C(CO)c1ccccc1",                       // atropine
      "CN1[C@@H]2C[C@@H](C[C@H]1[C@H]1[C@@H]2O1)OC(=O)[C@H](CO)c1ccccc1",   // scopolamine
      "CC1(C)[C@@H]2CC[C@@]1(C)[C@H](O)C2", "CC1=CC[C@@H]2C[C@H]1C2(C)C",
      "O=c1cccc2n1C[C@@H]1CNC[C@H]2C1",                                   // cytisine
      "[C@H]12CC[C@H]1C2"};                                                // bicyclopentane
  for (const char* smiles : real) {
    std::unique_ptr<Molecule> m = read(smiles);
    ASSERT_NE(nullptr, m) << smiles;
    expectTrueGeometry(*m, smiles);
  }
}

TEST(ReadGeometry, ALargeMoleculeWhoseLabelsNoLayoutKeepsIsRefusedAsASmallOneIs) {
  // A cage with centres no geometry gives, beside chains that make the molecule larger: the
  // layouts tried are fewer the larger it is, and the answer stays a refusal naming a centre.
  const std::string cage = "C1[C@H]2[C@@H]3C[C@@H]4[C@H]1[C@H]1[C@@H]2C[C@H]3[C@@H]41";
  for (int carbons : {0, 22, 60}) {
    const std::string smiles = cage + (carbons > 0 ? "." + std::string(carbons, 'C') : "");
    kvtest::ErrorCapture errors;
    EXPECT_EQ(nullptr, read(smiles)) << carbons;
    EXPECT_NE(std::string::npos, errors.text().find("Error: coordinates: centre C")) << carbons;
    EXPECT_NE(std::string::npos, errors.text().find("as written")) << carbons;
  }
}
