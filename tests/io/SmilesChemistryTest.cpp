// Chemistry the SMILES and mol readers must get right: hydrogens on charged atoms, aromatic
// five-membered heterocycles, cumulated double bonds and saturated atoms in fused rings.

#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "io/MDLMolParser.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "model/Ring.h"
#include "SmilesTestSupport.h"
#include "support/AtomGeometry.h"

namespace {

using kvtest::hydrogensOn;
using smilestest::graph;

// A mol record of heavy atoms only: symbols with their charge codes, bonds as (from, to, order),
// one-based.
std::string molRecord(const std::vector<std::pair<const char*, int> >& atoms,
                      const std::vector<std::vector<int> >& bonds) {
  std::ostringstream out;
  char line[96];
  out << "test\n\n\n";
  std::snprintf(line, sizeof line, "%3zu%3zu  0  0  0  0  0  0  0  0999 V2000\n", atoms.size(),
                bonds.size());
  out << line;
  float x = 0.0f;
  for (const auto& a : atoms) {
    std::snprintf(line, sizeof line,
                  "%10.4f    0.0000    0.0000 %-3s 0%3d  0  0  0  0  0  0  0  0  0  0\n", x,
                  a.first, a.second);
    out << line;
    x += 1.4f;
  }
  for (const auto& b : bonds) {
    std::snprintf(line, sizeof line, "%3d%3d%3d  0  0  0  0\n", b[0], b[1], b[2]);
    out << line;
  }
  out << "M  END\n";
  return out.str();
}

std::unique_ptr<Molecule> readMol(const std::string& text) {
  MDLMolParser parser;
  std::string name;
  std::istringstream in(text);
  std::unique_ptr<Molecule> m(parser.readConnectionTable(in, name, 1, false));
  if (m != nullptr) parser.perceive(m.get());
  return m;
}

}  // namespace

// Charge code 3 is +1, 5 is -1 in the atom block.
TEST(ChargedAtoms, MolRecordWithoutHydrogensGetsTheRightCount) {
  auto ammonium = readMol(molRecord({{"N", 3}}, {}));
  ASSERT_NE(nullptr, ammonium);
  EXPECT_EQ(4, hydrogensOn(ammonium->atoms[0]));

  // Glycine zwitterion: H3N+-CH2-C(=O)O-.
  auto glycine = readMol(molRecord({{"N", 3}, {"C", 0}, {"C", 0}, {"O", 0}, {"O", 5}},
                                   {{1, 2, 1}, {2, 3, 1}, {3, 4, 2}, {3, 5, 1}}));
  ASSERT_NE(nullptr, glycine);
  EXPECT_EQ(3, hydrogensOn(glycine->atoms[0]));
  EXPECT_EQ(2, hydrogensOn(glycine->atoms[1]));
  EXPECT_EQ(0, hydrogensOn(glycine->atoms[4]));

  // Hydronium (O+ three bonds), methoxide (O- one), tetramethylammonium (no room left).
  auto hydronium = readMol(molRecord({{"O", 3}}, {}));
  ASSERT_NE(nullptr, hydronium);
  EXPECT_EQ(3, hydrogensOn(hydronium->atoms[0]));
  auto methoxide = readMol(molRecord({{"C", 0}, {"O", 5}}, {{1, 2, 1}}));
  ASSERT_NE(nullptr, methoxide);
  EXPECT_EQ(3, hydrogensOn(methoxide->atoms[0]));
  EXPECT_EQ(0, hydrogensOn(methoxide->atoms[1]));
  auto quaternary = readMol(
      molRecord({{"N", 3}, {"C", 0}, {"C", 0}, {"C", 0}, {"C", 0}},
                {{1, 2, 1}, {1, 3, 1}, {1, 4, 1}, {1, 5, 1}}));
  ASSERT_NE(nullptr, quaternary);
  EXPECT_EQ(0, hydrogensOn(quaternary->atoms[0]));
}

TEST(ChargedAtoms, SmilesChargesCountLikeMolCharges) {
  auto glycine = graph("[NH3+]CC(=O)[O-]");
  ASSERT_NE(nullptr, glycine);
  EXPECT_EQ(3, hydrogensOn(glycine->atoms[0]));
  for (const Atom* a : glycine->atoms)
    if (a->charge < 0) {
      EXPECT_EQ(0, hydrogensOn(a));
    }
  EXPECT_EQ(10u, glycine->atoms.size());
  // Pyridinium keeps exactly the hydrogen written.
  auto pyridinium = graph("c1cc[nH+]cc1");
  ASSERT_NE(nullptr, pyridinium);
  EXPECT_EQ(12u, pyridinium->atoms.size());
}

TEST(FiveRings, HeteroaromaticRingsAreAromaticAndKeepTheirHydrogens) {
  struct Expect {
    const char* smiles;
    size_t atoms;   // hydrogens included
    const char* firstTypes;
  };
  const Expect cases[] = {
      {"c1cc[nH]c1", 10, "CPYR CPYR CPYR NPYR CPYR"},
      {"c1ccoc1", 9, "CPYR CPYR CPYR OE CPYR"},
      {"c1ccsc1", 9, "CPYR CPYR CPYR STWO CPYR"},
      {"c1cnc[nH]1", 9, "CPYR CPYR NIMD CPYR NPYR"},
      {"C1=CNC=C1", 10, "CPYR CPYR NPYR CPYR CPYR"},   // Kekule input, hydrogen implied
      {"c1ccc2[nH]ccc2c1", 16, "CAH1 CAH1 CAH1 CA NIND CPYR CPYR CA CAH1"},
  };
  for (const Expect& c : cases) {
    auto m = graph(c.smiles);
    ASSERT_NE(nullptr, m) << c.smiles;
    EXPECT_EQ(c.atoms, m->atoms.size()) << c.smiles;
    bool fiveAromatic = false;
    for (const Ring* r : m->rings)
      if (r->atomIds.size() == 5) fiveAromatic = r->aromatic;
    EXPECT_TRUE(fiveAromatic) << c.smiles;
    std::string types;
    for (const Atom* a : m->atoms)
      if (a->element != "H") types += (types.empty() ? "" : " ") + a->type;
    EXPECT_EQ(c.firstTypes, types) << c.smiles;
  }
  // Thiophene's sulfur and furan's oxygen take no hydrogen; oxazole and thiazole read aromatic.
  for (const char* s : {"c1cocn1", "c1cscn1", "c1ncc2[nH]cnc2n1"}) {
    auto m = graph(s);
    ASSERT_NE(nullptr, m) << s;
    for (const Ring* r : m->rings) EXPECT_TRUE(r->aromatic) << s;
  }
}

TEST(FiveRings, SaturatedRingAtomsKeepRingsNonAromatic) {
  // Fluorene: the CH2 ring keeps its single bonds; both benzene rings stay aromatic.
  auto fluorene = graph("C1c2ccccc2-c2ccccc21");
  ASSERT_NE(nullptr, fluorene);
  ASSERT_EQ(3u, fluorene->rings.size());
  for (const Ring* r : fluorene->rings) {
    EXPECT_EQ(r->atomIds.size() == 6, r->aromatic);
    if (r->atomIds.size() != 5) continue;
    // The five-ring's own bonds (not shared with a benzene ring) stay single.
    for (int id : r->bondIds) {
      const Bond* b = fluorene->bonds[static_cast<size_t>(id)];
      if (b->ringIds.size() == 1) {
        EXPECT_EQ(1, b->order);
      }
    }
  }
  EXPECT_EQ(2, hydrogensOn(fluorene->atoms[0]));
  EXPECT_NE("CEH1", fluorene->atoms[0]->type);
  // Cyclopentadiene, 4H-pyran, 1,4-dioxin (eight electrons), pyrrolidine: not aromatic.
  for (const char* s : {"C1=CC=CC1", "C1C=COC=C1", "C1=COC=CO1", "C1CCNC1"}) {
    auto m = graph(s);
    ASSERT_NE(nullptr, m) << s;
    for (const Ring* r : m->rings) EXPECT_FALSE(r->aromatic) << s;
  }
}

TEST(Cumulenes, CentralCarbonIsSp) {
  for (const char* s : {"C=C=C", "C=C=O", "S=C=S", "O=C=S", "O=C=O"}) {
    auto m = graph(s);
    ASSERT_NE(nullptr, m) << s;
    EXPECT_EQ("CO2", m->atoms[1]->type) << s;
    EXPECT_EQ(0, hydrogensOn(m->atoms[1])) << s;
  }
  // A plain alkene and a ketone keep their sp2 types.
  auto propene = graph("C=CC");
  ASSERT_NE(nullptr, propene);
  EXPECT_NE("CO2", propene->atoms[1]->type);
}
