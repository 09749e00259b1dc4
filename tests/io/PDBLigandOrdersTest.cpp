// Ligands written as HETATM records without a residue template, with or without CONECT records:
// their bonds come from the records and from distances, their orders from their own graph. Each
// file in tests/data was written from RDKit coordinates (ETKDG and MMFF94); the faults each case
// caught are named with it.

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "parameters/InputParameters.h"
#include "parameters/ParameterRecords.h"
#include "support/AtomGeometry.h"
#include "support/TextLines.h"
#include "tests/io/PDBTestSupport.h"

using pdbtest::PDBFileFixture;
using pdbtest::dataPath;
using pdbtest::findAtom;
using pdbtest::orderBetween;

namespace {

// The invariants every ligand read must keep: no atom past its largest valence (charge counted),
// no atom of a ring with two double bonds (a cumulene), a five-ring S or O without one.
void expectSoundOrders(const Molecule* m) {
  pdbtest::expectNoOverValentAtom(m, m->smiles);
  for (const Atom* a : m->atoms) {
    int doubles = 0;
    for (const Bond* b : a->bonds) doubles += b->order == 2;
    if (a->inRing) {
      EXPECT_LE(doubles, 1) << a->name << " " << m->smiles;
    }
    if (a->inRing && (a->element == "S" || a->element == "O") && a->bonds.size() == 2) {
      EXPECT_EQ(2, pdbtest::orderSum(a)) << a->name << " " << m->smiles;
    }
  }
}

int hydrogenCount(const Molecule* m) { return kvtest::countElement(*m, "H"); }

// Every C, N and O outside aromatic rings has the bonds its charge asks for: a carbon four (a
// carbanion three), a nitrogen three and an oxygen two, one more for a cation and one fewer for
// an anion.
void expectFilledValences(const Molecule* m, const std::string& what) {
  for (const Atom* a : m->atoms) {
    const bool aromatic = std::any_of(a->bonds.begin(), a->bonds.end(),
                                      [](const Bond* b) { return b->order == kAromaticOrder; });
    if (aromatic) continue;
    const int q = a->charge;
    if (a->element == "C") {
      EXPECT_EQ(4 - std::abs(q), pdbtest::orderSum(a)) << what << " " << a->name;
    } else if (a->element == "N" || a->element == "O") {
      EXPECT_EQ((a->element == "N" ? 3 : 2) + q, pdbtest::orderSum(a)) << what << " " << a->name;
    }
  }
}

// Heavy atoms of one model of an RDKit file: element, position, and the charge of columns 79-80.
struct FileAtom {
  std::string element;
  float x, y, z;
  int charge;
};

std::vector<std::vector<FileAtom> > modelsOf(const std::string& path) {
  std::ifstream in(path);
  EXPECT_TRUE(in.is_open()) << path;
  std::vector<std::vector<FileAtom> > models(1);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("ENDMDL", 0) == 0) models.emplace_back();
    if (line.rfind("HETATM", 0) != 0 || line.size() < 78) continue;
    FileAtom a;
    a.element = line.substr(76, 2);
    a.element.erase(0, a.element.find_first_not_of(' '));
    a.x = std::stof(line.substr(30, 8));
    a.y = std::stof(line.substr(38, 8));
    a.z = std::stof(line.substr(46, 8));
    const std::string charge = line.size() >= 80 ? line.substr(78, 2) : "  ";
    a.charge = charge[0] == ' ' ? 0 : (charge[1] == '-' ? -1 : 1) * (charge[0] - '0');
    models.back().push_back(a);
  }
  if (models.back().empty()) models.pop_back();
  return models;
}

// Per heavy atom of each model: hydrogens (each file hydrogen counted on its nearest heavy atom)
// and charge. Two reads with the same counts and charges on every atom, every valence filled,
// are the same molecule up to the Kekule form.
std::vector<std::vector<std::pair<int, int> > > expectedCounts(const std::string& path) {
  std::vector<std::vector<std::pair<int, int> > > out;
  for (const std::vector<FileAtom>& model : modelsOf(path)) {
    std::vector<std::pair<int, int> > counts;
    std::vector<size_t> heavy;
    for (size_t i = 0; i < model.size(); ++i)
      if (model[i].element != "H") {
        heavy.push_back(i);
        counts.push_back({0, model[i].charge});
      }
    for (const FileAtom& h : model) {
      if (h.element != "H") continue;
      size_t nearest = 0;
      float best = 1e9f;
      for (size_t k = 0; k < heavy.size(); ++k) {
        const FileAtom& a = model[heavy[k]];
        const float d = std::hypot(a.x - h.x, std::hypot(a.y - h.y, a.z - h.z));
        if (d < best) {
          best = d;
          nearest = k;
        }
      }
      ++counts[nearest].first;
    }
    out.push_back(counts);
  }
  return out;
}

bool sameCounts(const Molecule* m, const std::vector<std::pair<int, int> >& expected) {
  std::vector<std::pair<int, int> > got;
  for (const Atom* a : m->atoms)
    if (a->element != "H") got.push_back({kvtest::hydrogensOn(a), a->charge});
  return got == expected;
}

}  // namespace

TEST_F(PDBFileFixture, LigandRingsWithoutHydrogensGetOneKekuleFormAndNoneOnTheirSulfur) {
  // 2-methylthiophene was read CC1=C=C=CS1, benzothiazole c1ccc2[sH]c[nH]c2c1 and the
  // thiophene of ticlopidine [sH2]: each ring bond was judged alone by its distance.
  const struct {
    const char* file;
    int hydrogens;
  } cases[] = {{"pdb-ligand-methylthiophene.pdb", 6},
               {"pdb-ligand-benzothiazole.pdb", 5},
               {"pdb-ligand-ticlopidine.pdb", 14}};
  for (const auto& c : cases) {
    const Molecule* m = readData(c.file);
    ASSERT_NE(nullptr, m) << c.file;
    EXPECT_EQ(c.hydrogens, hydrogenCount(m)) << c.file << " " << m->smiles;
    for (const Atom* a : m->atoms)
      if (a->element == "S" || a->element == "N") {
        EXPECT_EQ(0, kvtest::hydrogensOn(a)) << c.file;
      }
    expectSoundOrders(m);
    EXPECT_EQ(std::string::npos, m->smiles.find("=C=")) << m->smiles;
  }
}

TEST_F(PDBFileFixture, LigandWithAllItsHydrogensGetsNoneAdded) {
  // 1-methyl-1,2,4-triazole with its five hydrogens was read Cn1[cH2]nc[nH]1: the orders left
  // valences open and the completion filled them with two more hydrogens.
  const Molecule* m = readData("pdb-ligand-methyltriazole-h.pdb");
  ASSERT_NE(nullptr, m);
  EXPECT_EQ(11u, m->atoms.size()) << m->smiles;
  EXPECT_EQ(5, hydrogenCount(m));
  for (const Atom* a : m->atoms) EXPECT_EQ(0, a->charge) << a->name;
  EXPECT_EQ(std::string::npos, m->smiles.find('[')) << m->smiles;
  expectSoundOrders(m);
  // Docking programs write the hydrogens of N and O only: those atoms keep theirs, the carbons
  // get theirs from their geometry.
  const Molecule* polar = readData("pdb-ligand-hydroxybenzamide-polar-h.pdb");
  ASSERT_NE(nullptr, polar);
  EXPECT_EQ(7, hydrogenCount(polar)) << polar->smiles;
  EXPECT_EQ(2, kvtest::hydrogensOn(findAtom(polar, "N1", 1)));
  EXPECT_EQ(2, orderBetween(polar, "C1", 1, "O1", 1));
}

TEST_F(PDBFileFixture, HydrogensGivenFixTheOrdersOfCationsAndNitriles) {
  // 1-methylpyridinium with its hydrogens left a ring carbon without partner (CN1[CH]C=CC=C1):
  // its full nitrogen must take the double bond and the charge. Benzonitrile whose C-N noise
  // has stretched to 1.32 A became [N-]=C=C1[CH]C=CC=C1: a terminal nitrogen with two valences
  // open has no partner but its carbon.
  {
    const Molecule* m = readData("pdb-ligand-methylpyridinium-h.pdb");
    ASSERT_NE(nullptr, m);
    EXPECT_EQ(8, hydrogenCount(m)) << m->smiles;
    EXPECT_EQ(1, findAtom(m, "N1", 1)->charge) << m->smiles;
    EXPECT_EQ(std::string::npos, m->smiles.find("[C")) << m->smiles;
    expectSoundOrders(m);
  }
  {
    const Molecule* m = readData("pdb-ligand-benzonitrile-h.pdb");
    ASSERT_NE(nullptr, m);
    EXPECT_EQ(3, orderBetween(m, "N1", 1, "C1", 1)) << m->smiles;
    for (const Atom* a : m->atoms) EXPECT_EQ(0, a->charge) << a->name;
    expectSoundOrders(m);
  }
}

TEST_F(PDBFileFixture, LongBondsToSulfurAndHalogensAreMade) {
  // The sulfonamide's S-N, stretched to 1.78 A as in amprenavir of 1hpv, lay beyond the 1.59 A
  // window and the molecule fell into two fragments; C-Br 2.15 and C-I 2.32 A, crystal-long,
  // beyond 2.10 and 2.24.
  {
    const Molecule* m = readData("pdb-ligand-sulfonamide.pdb");
    ASSERT_NE(nullptr, m);
    EXPECT_EQ(std::string::npos, m->smiles.find('.')) << m->smiles;
    EXPECT_EQ(1, orderBetween(m, "S1", 1, "N1", 1));
    EXPECT_EQ(2, orderBetween(m, "S1", 1, "O1", 1));
    EXPECT_EQ(2, orderBetween(m, "S1", 1, "O2", 1));
    EXPECT_EQ(9, hydrogenCount(m)) << m->smiles;   // CH3, NH and five on the ring
    expectSoundOrders(m);
  }
  {
    const Molecule* m = readData("pdb-ligand-bromoiodobenzene.pdb");
    ASSERT_NE(nullptr, m);
    EXPECT_EQ(std::string::npos, m->smiles.find('.')) << m->smiles;
    EXPECT_EQ(4, hydrogenCount(m)) << m->smiles;
    for (const char* halogen : {"Br", "I"})
      EXPECT_EQ(1, kvtest::countElement(*m, halogen)) << halogen << " " << m->smiles;
    for (const Atom* a : m->atoms)
      if (a->element == "Br" || a->element == "I") {
        EXPECT_EQ(1u, a->bonds.size()) << a->name;
      }
  }
}

TEST_F(PDBFileFixture, ValenceLeftOpenBesideGivenHydrogensIsAnAnionOnOxygenAndSaidOnCarbon) {
  // Benzoate with its five hydrogens: the carboxylate carbon has one double bond to give and
  // two oxygens to take it. The oxygen left over, its hydrogens given, is the anion; that is
  // the molecule of the file and nothing is said.
  {
    const std::vector<Molecule*> out =
        readFile("benzoate.pdb", kvtest::readFile(dataPath("pdb-ligand-benzoate-h.pdb")));
    ASSERT_EQ(1u, out.size());
    const Molecule* m = out[0];
    EXPECT_EQ("[O-]C(=O)c1ccccc1", m->smiles);
    EXPECT_EQ(5, hydrogenCount(m)) << m->smiles;
    const Atom* o1 = findAtom(m, "O1", 1);
    const Atom* o2 = findAtom(m, "O2", 1);
    ASSERT_TRUE(o1 != nullptr && o2 != nullptr);
    // Both C-O bonds are 1.27 A: either oxygen may carry the charge, the other the double bond.
    const Atom* anion = o1->charge == -1 ? o1 : o2;
    const Atom* carbonyl = anion == o1 ? o2 : o1;
    EXPECT_EQ(-1, anion->charge) << m->smiles;
    EXPECT_EQ(0, carbonyl->charge) << m->smiles;
    EXPECT_EQ(1, orderBetween(m, "C1", 1, anion->name, 1));
    EXPECT_EQ(2, orderBetween(m, "C1", 1, carbonyl->name, 1));
    int total = 0;
    for (const Atom* a : m->atoms) total += a->charge;
    EXPECT_EQ(-1, total) << m->smiles;
    expectSoundOrders(m);
    EXPECT_EQ("", errors);
  }
  // Cyclopentadienide with its five hydrogens: every carbon needs a double bond and two can be
  // had. The carbon left over is no anion the orders can write; it keeps its open valence
  // without a hydrogen added, and the reader names it.
  {
    const std::vector<Molecule*> out = readFile(
        "cyclopentadienide.pdb", kvtest::readFile(dataPath("pdb-ligand-cyclopentadienide-h.pdb")));
    ASSERT_EQ(1u, out.size());
    const Molecule* m = out[0];
    EXPECT_EQ(5, hydrogenCount(m)) << m->smiles;
    std::vector<const Atom*> withoutDouble;
    for (const Atom* a : m->atoms) {
      EXPECT_EQ(0, a->charge) << a->name << " " << m->smiles;
      if (a->element == "C" && std::none_of(a->bonds.begin(), a->bonds.end(),
                                            [](const Bond* b) { return b->order == 2; }))
        withoutDouble.push_back(a);
    }
    ASSERT_EQ(1u, withoutDouble.size()) << m->smiles;
    EXPECT_NE(std::string::npos,
              errors.find("bond orders guessed: no double bond found for " +
                          withoutDouble[0]->name + "\n"))
        << errors;
    expectSoundOrders(m);
  }
}

TEST_F(PDBFileFixture, HydrogenDeletedFromAReadLigandComesBackWithTheValences) {
  // The hydrogens a ligand brings keep the completion off its atoms while it is read, and only
  // then: one deleted afterwards is put back when the valences are completed as after an edit.
  Molecule* m = readData("pdb-ligand-methyltriazole-h.pdb");
  ASSERT_NE(nullptr, m);
  for (const Atom* a : m->atoms) EXPECT_FALSE(a->hydrogensFixed) << a->name;
  Atom* carbon = findAtom(m, "C2", 1);
  ASSERT_NE(nullptr, carbon);
  ASSERT_EQ(1, kvtest::hydrogensOn(carbon));
  Atom* hydrogen = nullptr;
  for (Bond* b : carbon->bonds)
    if (carbon->getAdjacentAtom(b)->element == "H") hydrogen = carbon->getAdjacentAtom(b);
  ASSERT_TRUE(m->deleteAtom(hydrogen));
  ASSERT_EQ(4, hydrogenCount(m));
  m->update();
  m->fillTotalAndUsedValence();
  m->addMissingHydrogens();
  EXPECT_EQ(1, kvtest::hydrogensOn(carbon));
  EXPECT_EQ(5, hydrogenCount(m));
  EXPECT_EQ(11u, m->atoms.size());
}

TEST(PDBBondWindows, BondsToSulfurPhosphorusAndHalogensReachTheirLengthsWithNoiseToSpare) {
  // Typical single-bond lengths, Angstrom; each is bonded with 0.15 A to spare for crystal
  // geometry and never at a 1,3 distance (0.6 A beyond).
  const struct {
    const char* a;
    const char* b;
    float length;
  } bonds[] = {{"S", "N", 1.78f},   {"S", "C", 1.82f},   {"P", "O", 1.60f},  {"C", "CL", 1.77f},
               {"C", "BR", 1.94f},  {"C", "I", 2.14f},   {"S", "S", 2.05f},  {"C", "P", 1.84f},
               {"N", "P", 1.70f},   {"O", "S", 1.58f},   {"C", "O", 1.43f},  {"N", "O", 1.45f},
               {"SI", "C", 1.87f},  {"SI", "O", 1.64f},  {"SI", "CL", 2.05f}, {"SI", "H", 1.48f},
               {"SE", "C", 1.95f},  {"AS", "C", 1.96f},  {"SN", "C", 2.14f}};
  InputParameters* tables = InputParameters::instance();
  for (const auto& b : bonds) {
    EXPECT_TRUE(tables->findConnectivity(b.a, b.b, b.length + 0.15f)) << b.a << "-" << b.b;
    EXPECT_FALSE(tables->findConnectivity(b.a, b.b, b.length + 0.6f)) << b.a << "-" << b.b;
  }
}

TEST(PDBBondWindows, EveryWindowMakesABondAndThoseOfHydrogenSingleOnes) {
  // A ligand without listed bonds is bonded by the windows' connectivity alone, its orders then
  // decided on its graph; other residues take the order a window gives. The two read the same
  // bonds only while no window gives order 0, and the same hydrogens only while every window of
  // hydrogen gives 1.
  const InputParameters* tables = InputParameters::instance();
  ASSERT_FALSE(tables->bondOrderParameters.empty());
  for (const BondOrderParameters* row : tables->bondOrderParameters) {
    const std::string pair = row->element1 + "-" + row->element2;
    EXPECT_GE(row->bondOrder, 1) << pair;
    EXPECT_LE(row->bondOrder, 3) << pair;
    if (row->element1 == "H" || row->element2 == "H") {
      EXPECT_EQ(1, row->bondOrder) << pair;
    }
  }
}

TEST_F(PDBFileFixture, OrderTakenFromAShortDistanceAloneIsSaid) {
  // Ethanolamine as a disordered site leaves it (N-C2 1.34 A, a wide angle at C2) reads as an
  // imine; that rests on the one distance and is said, naming residue and atoms.
  const std::vector<Molecule*> out =
      readFile("eta.pdb", kvtest::readFile(dataPath("pdb-ligand-ethanolamine.pdb")));
  ASSERT_EQ(1u, out.size());
  EXPECT_EQ(2, orderBetween(out[0], "N", 1, "C2", 1));
  EXPECT_NE(std::string::npos,
            errors.find("Warning: PDBParser::parsePDBFile residue ETA 1 of \"" +
                        (folder / "eta.pdb").string() +
                        "\": bond orders guessed: N=C2 1.34 A taken as double from its short "
                        "distance"))
      << errors;
  // A ligand whose geometry settles every order is read without a word.
  errors.clear();
  readFile("thiophene.pdb", kvtest::readFile(dataPath("pdb-ligand-methylthiophene.pdb")));
  EXPECT_EQ("", errors);
}

TEST_F(PDBFileFixture, EmbeddedLigandSetIsReadAsWritten) {
  // Twenty drug-like molecules (CDK2 ligands and ZINC compounds), each one model; the same
  // coordinates with Gaussian noise of 0.04 A per coordinate as in crystal structures; each with
  // and without hydrogens. Read right: every heavy atom with the hydrogens and charge of the
  // source. The distance windows alone read 11, 2, 10 and 3 of them right (and refused two of
  // the noisy molecules with hydrogens).
  const std::vector<std::vector<std::pair<int, int> > > expected =
      expectedCounts(dataPath("pdb-ligand-set-ideal-h.pdb"));
  ASSERT_EQ(20u, expected.size());
  const struct {
    const char* file;
    size_t leastRight;
  } forms[] = {{"pdb-ligand-set-ideal-h.pdb", 20},
               {"pdb-ligand-set-noisy-h.pdb", 20},
               {"pdb-ligand-set-ideal.pdb", 19},
               {"pdb-ligand-set-noisy.pdb", 15}};
  for (const auto& form : forms) {
    kvtest::ErrorCapture quiet;
    const std::vector<Molecule*> out = readPath(dataPath(form.file));
    ASSERT_EQ(expected.size(), out.size()) << form.file;
    size_t right = 0;
    std::string wrong;
    for (size_t k = 0; k < out.size(); ++k) {
      expectSoundOrders(out[k]);
      if (sameCounts(out[k], expected[k]))
        ++right;
      else
        wrong += " " + std::to_string(k + 1) + ":" + out[k]->smiles;
    }
    EXPECT_GE(right, form.leastRight) << form.file << wrong;
  }
}

TEST_F(PDBFileFixture, LigandsReadAsWrittenHoweverTheFileListsTheirBonds) {
  // Thirteen residues in one model (tools/make_pdb_conect_set.py): a thiophene, a tetrazole, a
  // thiophosphate with a nitro group, cyanoguanidine, an aminooxazoline, an alkoxybenzimidazole,
  // an iminophosphorane, an ylide, two silanes, two selenides and pyridine N-oxide. With any
  // CONECT records they went through the distance guess and the general correction: the
  // thiophene became CC1=C=C=CS1, the tetrazole [nH][nH][nH], P=S and the ylide's P=C single, the
  // nitrile an imine, the N-oxide a hydroxylamine with [cH2]; without them Si and Se were left
  // unbonded ([Si].[CH3]...). The nitro group's anion is the oxygen whose record carries the
  // charge: its two N-O bonds are equally long.
  const std::vector<std::pair<int, int> > expected =
      expectedCounts(dataPath("pdb-ligand-conect-none-h.pdb")).at(0);
  for (const char* way : {"none", "once", "orders", "multiples"})
    for (const char* hydrogens : {"-h", ""}) {
      const std::string file = std::string("pdb-ligand-conect-") + way + hydrogens + ".pdb";
      kvtest::ErrorCapture console;
      const Molecule* m = readData(file);
      ASSERT_NE(nullptr, m) << file;
      EXPECT_TRUE(sameCounts(m, expected)) << file;
      expectSoundOrders(m);
      EXPECT_EQ(2, orderBetween(m, "N1", 7, "P1", 7)) << file;   // the iminophosphorane
      EXPECT_EQ(2, orderBetween(m, "C3", 8, "P1", 8)) << file;   // the ylide
      EXPECT_EQ(2, orderBetween(m, "P1", 3, "S1", 3)) << file;
      for (const Atom* a : m->atoms)
        if (a->element == "Si" || a->element == "Se") {
          EXPECT_EQ(a->element == "Si" ? 4u : 2u, a->bonds.size()) << file << " " << a->name;
        }
      EXPECT_EQ("", console.text()) << file;
    }
}

TEST_F(PDBFileFixture, ListedOrderThatOverfillsAnAtomGivesWayToTheGeometry) {
  // Acetone with its hydrogens whose records name C1-C2 twice as well as C2=O1: the carbonyl
  // carbon would have five bonds. Neither listed order at C2 is kept; the geometry gives C2=O1.
  // The charge column's "9+" on C1 is no charge a carbon carries and is passed over.
  std::string c1 = pdbtest::atomLine("HETATM", 1, "C1", "ACN", 'A', 1, -1.281f, 0.169f, -0.016f,
                                     "C");
  c1.insert(c1.size() - 1, "9+");
  const std::string atoms =
      c1 +
      pdbtest::atomLine("HETATM", 2, "C2", "ACN", 'A', 1, 0.024f, -0.475f, -0.399f, "C") +
      pdbtest::atomLine("HETATM", 3, "C3", "ACN", 'A', 1, 1.268f, 0.088f, 0.232f, "C") +
      pdbtest::atomLine("HETATM", 4, "O1", "ACN", 'A', 1, 0.071f, -1.416f, -1.190f, "O") +
      pdbtest::atomLine("HETATM", 5, "H1", "ACN", 'A', 1, -1.266f, 1.224f, -0.301f, "H") +
      pdbtest::atomLine("HETATM", 6, "H2", "ACN", 'A', 1, -1.435f, 0.071f, 1.061f, "H") +
      pdbtest::atomLine("HETATM", 7, "H3", "ACN", 'A', 1, -2.104f, -0.326f, -0.538f, "H") +
      pdbtest::atomLine("HETATM", 8, "H4", "ACN", 'A', 1, 1.375f, 1.140f, -0.044f, "H") +
      pdbtest::atomLine("HETATM", 9, "H5", "ACN", 'A', 1, 2.144f, -0.462f, -0.124f, "H") +
      pdbtest::atomLine("HETATM", 10, "H6", "ACN", 'A', 1, 1.205f, -0.013f, 1.318f, "H");
  const std::vector<Molecule*> out =
      readFile("acetone.pdb", atoms + "CONECT    1    2    2    5    6\nCONECT    1    7\n"
                                      "CONECT    2    3    4    4\nCONECT    3    8    9   10\n");
  ASSERT_EQ(1u, out.size());
  EXPECT_EQ(2, orderBetween(out[0], "C2", 1, "O1", 1)) << out[0]->smiles;
  EXPECT_EQ(1, orderBetween(out[0], "C1", 1, "C2", 1));
  EXPECT_EQ(6, hydrogenCount(out[0]));
  for (const Atom* a : out[0]->atoms) EXPECT_EQ(0, a->charge) << a->name;
}

TEST_F(PDBFileFixture, HydrogensOfSomeCarbonsOnlyLeaveTheOthersToTheirGeometry) {
  // 7-hydroxyundecanoic acid whose file gives the hydrogens of C1 and C2 alone: the residue
  // counted as complete, and every other chain carbon, two-bonded, took double bonds
  // ([C]=C=C=C=C). A bent or pyramidal carbon has room for the hydrogens the file left out, and
  // so has the hydroxyl oxygen on its tetrahedral carbon.
  const Molecule* m = readData("pdb-ligand-hydroxyacid-partial-h.pdb");
  ASSERT_NE(nullptr, m);
  for (const Atom* a : m->atoms) {
    if (a->element != "C" || a->name == "C11") continue;
    EXPECT_EQ(4u, a->bonds.size()) << a->name << " " << m->smiles;
    EXPECT_EQ(4, pdbtest::orderSum(a)) << a->name << " " << m->smiles;
  }
  EXPECT_EQ(1, kvtest::hydrogensOn(findAtom(m, "O1", 1))) << m->smiles;
  EXPECT_EQ(2, orderBetween(m, "C11", 1, "O2", 1)) << m->smiles;
  expectSoundOrders(m);
}

TEST_F(PDBFileFixture, LigandInPiecesItsDistancesDoNotExplainIsSaid) {
  // Ethane with its hydrogens and a C-C bond stretched to 1.95 A, past the window: two methyl
  // radicals, read without a word. Now the residue and the atoms are named.
  const std::string text =
      pdbtest::atomLine("HETATM", 1, "C1", "ETH", 'A', 7, 0.0f, 0.0f, 0.0f, "C") +
      pdbtest::atomLine("HETATM", 2, "C2", "ETH", 'A', 7, 1.95f, 0.0f, 0.0f, "C") +
      pdbtest::atomLine("HETATM", 3, "H1", "ETH", 'A', 7, -0.36f, 1.03f, 0.0f, "H") +
      pdbtest::atomLine("HETATM", 4, "H2", "ETH", 'A', 7, -0.36f, -0.51f, 0.89f, "H") +
      pdbtest::atomLine("HETATM", 5, "H3", "ETH", 'A', 7, -0.36f, -0.51f, -0.89f, "H") +
      pdbtest::atomLine("HETATM", 6, "H4", "ETH", 'A', 7, 2.31f, 1.03f, 0.0f, "H") +
      pdbtest::atomLine("HETATM", 7, "H5", "ETH", 'A', 7, 2.31f, -0.51f, 0.89f, "H") +
      pdbtest::atomLine("HETATM", 8, "H6", "ETH", 'A', 7, 2.31f, -0.51f, -0.89f, "H");
  readFile("ethane.pdb", text);
  EXPECT_NE(std::string::npos,
            errors.find("Warning: PDBParser::parsePDBFile residue ETH A 7 of \"" +
                        (folder / "ethane.pdb").string() + "\": "))
      << errors;
  EXPECT_NE(std::string::npos, errors.find("in pieces no bond joins: C1 and C2 1.95 A apart"))
      << errors;
  // Chloromethane with the C-Cl bond stretched to 2.20 A: the chlorine, its hydrogens given (none),
  // is left without a bond, and said so.
  errors.clear();
  readFile("chloromethane.pdb",
           pdbtest::atomLine("HETATM", 1, "C1", "CMX", 'A', 2, 0.0f, 0.0f, 0.0f, "C") +
               pdbtest::atomLine("HETATM", 2, "CL1", "CMX", 'A', 2, 2.20f, 0.0f, 0.0f, "CL") +
               pdbtest::atomLine("HETATM", 3, "H1", "CMX", 'A', 2, -0.36f, 1.03f, 0.0f, "H") +
               pdbtest::atomLine("HETATM", 4, "H2", "CMX", 'A', 2, -0.36f, -0.51f, 0.89f, "H") +
               pdbtest::atomLine("HETATM", 5, "H3", "CMX", 'A', 2, -0.36f, -0.51f, -0.89f, "H"));
  EXPECT_NE(std::string::npos, errors.find("hydrogens given, valence left open at CL1")) << errors;
  EXPECT_NE(std::string::npos, errors.find("in pieces no bond joins: C1 and CL1 2.20 A apart"))
      << errors;
  // Trimethylaluminium has an atom type but no window: its elements' covalent radii bond it.
  errors.clear();
  const std::vector<Molecule*> out =
      readFile("alme3.pdb",
               pdbtest::atomLine("HETATM", 1, "AL1", "ALM", 'A', 1, 0.0f, 0.0f, 0.0f, "AL") +
                   pdbtest::atomLine("HETATM", 2, "C1", "ALM", 'A', 1, 1.96f, 0.0f, 0.0f, "C") +
                   pdbtest::atomLine("HETATM", 3, "C2", "ALM", 'A', 1, -0.98f, 1.70f, 0.0f, "C") +
                   pdbtest::atomLine("HETATM", 4, "C3", "ALM", 'A', 1, -0.98f, -1.70f, 0.0f, "C"));
  ASSERT_EQ(1u, out.size());
  EXPECT_EQ(3u, findAtom(out[0], "AL1", 1)->bonds.size()) << out[0]->smiles;
  EXPECT_EQ(9, hydrogenCount(out[0])) << out[0]->smiles;
  EXPECT_EQ("", errors);
}

TEST_F(PDBFileFixture, FourBondedPhosphorusWithoutAPartnerForADoubleBondIsACation) {
  // Tetramethylphosphonium without hydrogens: the phosphorus has room for an ylide's P=C, but no
  // methyl takes one; it is a cation, and each methyl gets its three hydrogens.
  const float d = 1.80f / std::sqrt(3.0f);
  const std::vector<Molecule*> out =
      readFile("pme4.pdb",
               pdbtest::atomLine("HETATM", 1, "P1", "PME", 'A', 1, 0.0f, 0.0f, 0.0f, "P") +
                   pdbtest::atomLine("HETATM", 2, "C1", "PME", 'A', 1, d, d, d, "C") +
                   pdbtest::atomLine("HETATM", 3, "C2", "PME", 'A', 1, -d, -d, d, "C") +
                   pdbtest::atomLine("HETATM", 4, "C3", "PME", 'A', 1, -d, d, -d, "C") +
                   pdbtest::atomLine("HETATM", 5, "C4", "PME", 'A', 1, d, -d, -d, "C"));
  ASSERT_EQ(1u, out.size());
  EXPECT_EQ(1, findAtom(out[0], "P1", 1)->charge) << out[0]->smiles;
  EXPECT_EQ(12, hydrogenCount(out[0])) << out[0]->smiles;
  for (const Atom* a : out[0]->atoms) {
    for (const Bond* b : a->bonds) EXPECT_EQ(1, b->order) << a->name;
  }
  EXPECT_EQ("", errors);
}

TEST_F(PDBFileFixture, BondLengthsWellInsideOneOrderOutweighTheAnglesAtTheirEnds) {
  // Ligands without hydrogens, charges or CONECT records (tools/make_pdb_lengths_set.py). Their
  // angles or the usual forms of their atoms misled the orders although the lengths were plain:
  // azomethane and azobenzene (N=N 1.25 A) were hydrazines; norbornene, bicyclooctene,
  // cyclobutene, dicyclopentadiene and a fused cyclopentene (C=C 1.34 A, 94-111 degrees) were
  // saturated; 1,2-butadiene (C=C 1.30 A twice) was 1-butyne; cyclooctyne (C#C 1.20 A bent to
  // 155 degrees) cyclooctene; methyl azide and diazoacetone CNN=N and CC(=O)CN=N;
  // pyrazolidinedione (N-N 1.38 A) an azo compound; the aminal CH2 of a benzimidazoline between
  // two nitrogens (C-N 1.47 A) an aromatic imidazole. The rest read right before. The file with
  // hydrogens and charges gives what each must read as; read itself, its azide
  // (C\N=[N+]/[N-]), diazo group, isocyanide (C[N+][C-]) and cyclooctyne were wrong too. Noise
  // of 0.04 A on norbornene and azobenzene leaves them right.
  const std::vector<std::vector<std::pair<int, int> > > expected =
      expectedCounts(dataPath("pdb-ligand-lengths-h.pdb"));
  ASSERT_EQ(22u, expected.size());
  std::map<std::string, size_t> byResidue;
  for (const char* file :
       {"pdb-ligand-lengths.pdb", "pdb-ligand-lengths-h.pdb", "pdb-ligand-lengths-noisy.pdb"}) {
    kvtest::ErrorCapture console;
    const std::vector<Molecule*> out = readPath(dataPath(file));
    ASSERT_EQ(std::string(file) == "pdb-ligand-lengths-noisy.pdb" ? 2u : expected.size(),
              out.size())
        << file;
    for (size_t k = 0; k < out.size(); ++k) {
      const std::string residue = out[k]->atoms.front()->residueName;
      if (out.size() == expected.size()) byResidue[residue] = k;
      ASSERT_EQ(1u, byResidue.count(residue)) << residue;
      EXPECT_TRUE(sameCounts(out[k], expected[byResidue[residue]]))
          << file << " " << residue << " " << out[k]->smiles;
      expectSoundOrders(out[k]);
      expectFilledValences(out[k], file + (" " + residue) + " " + out[k]->smiles);
    }
    // Every length agrees with the orders read.
    EXPECT_EQ(std::string::npos, console.text().find("though as")) << console.text();
  }
}

TEST_F(PDBFileFixture, LengthOverruledByTheRestOfThePerceptionIsSaid) {
  // A tetrahedral carbon with three methyls, one of them 1.33 A away: the pyramidal centre takes
  // no double bond, so the short bond stays single, and that is said.
  const float t = 1.0f / std::sqrt(3.0f);
  const std::vector<Molecule*> out = readFile(
      "short.pdb",
      pdbtest::atomLine("HETATM", 1, "C1", "SHB", 'A', 4, 0.0f, 0.0f, 0.0f, "C") +
          pdbtest::atomLine("HETATM", 2, "C2", "SHB", 'A', 4, 1.33f * t, 1.33f * t, 1.33f * t,
                            "C") +
          pdbtest::atomLine("HETATM", 3, "C3", "SHB", 'A', 4, -1.53f * t, -1.53f * t, 1.53f * t,
                            "C") +
          pdbtest::atomLine("HETATM", 4, "C4", "SHB", 'A', 4, -1.53f * t, 1.53f * t, -1.53f * t,
                            "C"));
  ASSERT_EQ(1u, out.size());
  EXPECT_EQ(1, orderBetween(out[0], "C1", 4, "C2", 4));
  EXPECT_NE(std::string::npos,
            errors.find("Warning: PDBParser::parsePDBFile residue SHB A 4 of \"" +
                        (folder / "short.pdb").string() +
                        "\": bond orders guessed: C1-C2 1.33 A read as single though as short "
                        "as a double bond"))
      << errors;
  // Acetonitrile whose C-N is 1.39 A: a straight carbon's terminal nitrogen has no form but the
  // nitrile, and its length says otherwise.
  const std::vector<Molecule*> nitrile = readFile(
      "nitrile.pdb",
      pdbtest::atomLine("HETATM", 1, "C1", "ACN", 'A', 5, 0.0f, 0.0f, 0.0f, "C") +
          pdbtest::atomLine("HETATM", 2, "C2", "ACN", 'A', 5, 1.46f, 0.0f, 0.0f, "C") +
          pdbtest::atomLine("HETATM", 3, "N1", "ACN", 'A', 5, 2.85f, 0.0f, 0.0f, "N"));
  ASSERT_EQ(1u, nitrile.size());
  EXPECT_EQ(3, orderBetween(nitrile[0], "C2", 5, "N1", 5));
  EXPECT_NE(std::string::npos,
            errors.find("C2#N1 1.39 A read as multiple though as long as a single bond"))
      << errors;
}
