// Ligands without residue templates: bond orders guessed from distances are repaired so that no
// atom exceeds its largest valence. The protease round trip (PDBFilesTest.cpp) writes and reads
// back a ligand with its hydrogens.

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>

#include "support/AtomGeometry.h"
#include "tests/io/PDBTestSupport.h"

using kvtest::hydrogensOn;
using pdbtest::PDBFixture;
using pdbtest::kProtease;

namespace {

int largestValence(const Atom* a) {
  int largest = 0;
  for (int v : a->allowedValences) largest = std::max(largest, v);
  return largest;
}

int orderSum(const Atom* a) {
  int sum = 0;
  for (const Bond* b : a->bonds) sum += b->order == 9 ? 1 : b->order;
  return sum;
}

// The sum of bond orders of every atom fits its largest valence (widened by a charge).
void expectNoOverValentAtom(const Molecule* m, const std::string& what) {
  for (const Atom* a : m->atoms)
    EXPECT_LE(orderSum(a), largestValence(a) + std::abs(a->charge)) << what << " " << a->name;
}

// Ring bonds typed aromatic (order 9), or the double bonds of an alternating pattern.
int ringMultiple(const Molecule* m, const std::vector<std::string>& ring) {
  int aromatic = 0, doubles = 0;
  for (size_t k = 0; k < ring.size(); ++k) {
    const int order = pdbtest::orderBetween(m, ring[k], 1, ring[(k + 1) % ring.size()], 1);
    aromatic += order == 9;
    doubles += order == 2;
  }
  return aromatic == static_cast<int>(ring.size()) ? 3 : doubles;
}

}  // namespace

class PDBLigand : public PDBFixture {
 protected:
  const Molecule* readData(const std::string& name) {
    std::vector<Molecule*> out;
    parser.parsePDBFile(std::string(KV_TEST_DATA_DIR) + "/" + name, out);
    molecules.insert(molecules.end(), out.begin(), out.end());
    return out.size() == 1 ? out[0] : nullptr;
  }
};

TEST_F(PDBLigand, ProteaseInhibitorHasAromaticRingsSulfonylAndCarbamate) {
  std::vector<Molecule*> out;
  parser.parsePDBFile(kProtease, out);
  molecules.insert(molecules.end(), out.begin(), out.end());
  ASSERT_EQ(1u, out.size());
  int hydrogens = 0;
  for (const Atom* a : out[0]->atoms) {
    if (a->residueName != "478") continue;
    if (a->element == "H") { ++hydrogens; continue; }
    EXPECT_LE(orderSum(a), largestValence(a) + std::abs(a->charge)) << a->name;
  }
  EXPECT_EQ(35, hydrogens);   // C25H35N3O6S
  // Both benzene rings aromatic (no hydrogen on C8, C17, C20), S(=O)2, C3=O2, NH2 on C20.
  for (const char* name : {"C8", "C17", "C20"})
    EXPECT_EQ(0, hydrogensOn(pdbtest::findAtom(out[0], name, 200))) << name;
  for (const char* name : {"C9", "C10", "C11", "C12", "C13", "C18", "C19", "C21", "C22"}) {
    const Atom* a = pdbtest::findAtom(out[0], name, 200);
    EXPECT_EQ(1, hydrogensOn(a)) << name;
    EXPECT_TRUE(a->isAromatic) << name;
  }
  EXPECT_EQ(2, pdbtest::orderBetween(out[0], "S1", 200, "O4", 200));
  EXPECT_EQ(2, pdbtest::orderBetween(out[0], "S1", 200, "O5", 200));
  EXPECT_EQ(2, pdbtest::orderBetween(out[0], "C3", 200, "O2", 200));
  EXPECT_EQ(1, pdbtest::orderBetween(out[0], "C20", 200, "N3", 200));
  EXPECT_EQ(2, hydrogensOn(pdbtest::findAtom(out[0], "N3", 200)));
}

TEST_F(PDBLigand, BenzoateKeepsItsRingAndTheShortCarbonylWithOrWithoutConect) {
  for (const char* file : {"pdb-benzoate.pdb", "pdb-benzoate-conect.pdb"}) {
    const Molecule* m = readData(file);
    ASSERT_NE(nullptr, m) << file;
    expectNoOverValentAtom(m, file);
    EXPECT_EQ(3, ringMultiple(m, {"C1", "C2", "C3", "C4", "C5", "C6"})) << file;
    // O1 is the shorter C-O although it comes first.
    EXPECT_EQ(2, pdbtest::orderBetween(m, "C7", 1, "O1", 1)) << file;
    EXPECT_EQ(1, pdbtest::orderBetween(m, "C7", 1, "O2", 1)) << file;
    EXPECT_EQ(6, kvtest::countElement(*m, "H")) << file;
  }
}

TEST_F(PDBLigand, SmallLigandsGetSoundOrdersAndHydrogenCounts) {
  struct Case {
    const char* file;
    const char* a;
    const char* b;
    int order;
    int hydrogens;
  };
  const Case cases[] = {
      {"pdb-acetamide.pdb", "C2", "O1", 2, 5},   // the amide C-N stays single: NH2
      {"pdb-ketone.pdb", "C2", "O2", 2, 6},
      {"pdb-nitro.pdb", "N1", "C1", 1, 3},
  };
  for (const Case& c : cases) {
    const Molecule* m = readData(c.file);
    ASSERT_NE(nullptr, m) << c.file;
    expectNoOverValentAtom(m, c.file);
    if (c.order > 0) {
      EXPECT_EQ(c.order, pdbtest::orderBetween(m, c.a, 1, c.b, 1)) << c.file;
    }
    EXPECT_EQ(c.hydrogens, kvtest::countElement(*m, "H")) << c.file;
  }
  const Molecule* acetamide = readData("pdb-acetamide.pdb");
  EXPECT_EQ(1, pdbtest::orderBetween(acetamide, "C2", 1, "N1", 1));
  EXPECT_EQ(2, hydrogensOn(pdbtest::findAtom(acetamide, "N1", 1)));
  const Molecule* pyridine = readData("pdb-pyridine.pdb");
  EXPECT_EQ(3, ringMultiple(pyridine, {"N1", "C2", "C3", "C4", "C5", "C6"}));
  expectNoOverValentAtom(pyridine, "pyridine");
  // Its ring was perceived once before the orders were repaired; the nitrogen must still come
  // out pyridine-like, with no hydrogen, and every carbon with one.
  EXPECT_EQ(0, hydrogensOn(pdbtest::findAtom(pyridine, "N1", 1)));
  for (const char* carbon : {"C2", "C3", "C4", "C5", "C6"})
    EXPECT_EQ(1, hydrogensOn(pdbtest::findAtom(pyridine, carbon, 1))) << carbon;
  // Nitro: one N=O, the other oxygen carries -1 and the nitrogen +1; no hydrogen on oxygen.
  const Molecule* nitro = readData("pdb-nitro.pdb");
  const Atom* n = pdbtest::findAtom(nitro, "N1", 1);
  EXPECT_EQ(1, n->charge);
  EXPECT_EQ(3, pdbtest::orderBetween(nitro, "N1", 1, "O1", 1) +
                   pdbtest::orderBetween(nitro, "N1", 1, "O2", 1));
  EXPECT_EQ(0, hydrogensOn(pdbtest::findAtom(nitro, "O1", 1)) +
                   hydrogensOn(pdbtest::findAtom(nitro, "O2", 1)));
}
