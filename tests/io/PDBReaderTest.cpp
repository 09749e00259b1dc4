// Reading PDB text: records, models, chains, residues, residue bonding and bond orders.

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "io/MoleculeEngine.h"
#include "model/Builder.h"
#include "tests/io/PDBTestSupport.h"
#include "support/ErrorCapture.h"

using pdbtest::PDBFixture;
using pdbtest::findAtom;
using pdbtest::orderBetween;
using pdbtest::atomLine;

namespace {

// Residues 1-3 of chain A of an HIV protease: PRO-GLN-ILE, heavy atoms only.
const char* kTripeptide = R"(
ATOM      1  N   PRO A   1      13.120  39.003   5.159  1.00 55.41
ATOM      2  CA  PRO A   1      12.941  39.418   6.575  1.00 31.00
ATOM      3  C   PRO A   1      13.681  38.470   7.506  1.00 29.68
ATOM      4  O   PRO A   1      14.085  37.394   7.087  1.00 45.26
ATOM      5  CB  PRO A   1      11.457  39.390   6.893  1.00 33.17
ATOM      6  CG  PRO A   1      10.966  38.512   5.856  1.00 42.98
ATOM      7  CD  PRO A   1      11.746  39.019   4.650  1.00 22.41
ATOM      8  N   GLN A   2      13.878  38.878   8.756  1.00 37.97
ATOM      9  CA  GLN A   2      14.536  38.012   9.717  1.00 39.24
ATOM     10  C   GLN A   2      13.473  37.365  10.601  1.00 34.63
ATOM     11  O   GLN A   2      12.674  38.049  11.246  1.00 31.01
ATOM     12  CB  GLN A   2      15.558  38.750  10.578  1.00 33.76
ATOM     13  CG  GLN A   2      16.239  37.796  11.545  1.00 45.77
ATOM     14  CD  GLN A   2      17.202  38.462  12.487  1.00 62.05
ATOM     15  OE1 GLN A   2      16.846  38.807  13.622  1.00 43.48
ATOM     16  NE2 GLN A   2      18.450  38.591  12.054  1.00 63.81
ATOM     17  N   ILE A   3      13.464  36.040  10.613  1.00 42.92
ATOM     18  CA  ILE A   3      12.501  35.280  11.384  1.00 25.25
ATOM     19  C   ILE A   3      13.168  34.533  12.528  1.00 32.76
ATOM     20  O   ILE A   3      14.063  33.715  12.325  1.00 27.93
ATOM     21  CB  ILE A   3      11.738  34.262  10.465  1.00 26.40
ATOM     22  CG1 ILE A   3      11.077  34.998   9.297  1.00 41.68
ATOM     23  CG2 ILE A   3      10.664  33.520  11.244  1.00 21.64
ATOM     24  CD1 ILE A   3      10.153  34.136   8.442  1.00 23.42
)";
const char* kPhenylalanine = R"(
ATOM    395  N   PHE A  53       5.910   6.577   4.667  1.00 36.30
ATOM    396  CA  PHE A  53       5.877   7.047   3.305  1.00 31.30
ATOM    397  C   PHE A  53       4.493   7.429   2.818  1.00 45.05
ATOM    398  O   PHE A  53       3.524   6.707   3.059  1.00 68.93
ATOM    399  CB  PHE A  53       6.414   5.945   2.389  1.00 19.06
ATOM    400  CG  PHE A  53       7.911   5.768   2.435  1.00 46.37
ATOM    401  CD1 PHE A  53       8.517   5.118   3.508  1.00 39.06
ATOM    402  CD2 PHE A  53       8.712   6.242   1.395  1.00 58.53
ATOM    403  CE1 PHE A  53       9.896   4.946   3.545  1.00 40.86
ATOM    404  CE2 PHE A  53      10.089   6.075   1.422  1.00 40.76
ATOM    405  CZ  PHE A  53      10.682   5.427   2.498  1.00 37.96
)";
const char* kTryptophan = R"(
ATOM     40  N   TRP A   6      10.833  31.317  17.829  1.00 26.92
ATOM     41  CA  TRP A   6      10.041  31.041  19.031  1.00 18.79
ATOM     42  C   TRP A   6       8.657  30.561  18.654  1.00 18.54
ATOM     43  O   TRP A   6       7.959  29.926  19.451  1.00 29.49
ATOM     44  CB  TRP A   6       9.964  32.275  19.921  1.00 19.88
ATOM     45  CG  TRP A   6      11.305  32.758  20.259  1.00 21.27
ATOM     46  CD1 TRP A   6      12.035  33.651  19.559  1.00 19.58
ATOM     47  CD2 TRP A   6      12.131  32.315  21.333  1.00 14.79
ATOM     48  NE1 TRP A   6      13.278  33.798  20.119  1.00 29.09
ATOM     49  CE2 TRP A   6      13.367  32.984  21.213  1.00 33.36
ATOM     50  CE3 TRP A   6      11.952  31.416  22.382  1.00 17.77
ATOM     51  CZ2 TRP A   6      14.420  32.782  22.104  1.00 24.81
ATOM     52  CZ3 TRP A   6      12.993  31.212  23.269  1.00 39.59
ATOM     53  CH2 TRP A   6      14.212  31.890  23.125  1.00 34.61
)";
// An adenosine with a 5' phosphate whose two oxygens are terminal; old-style "*" names.
const char* kAdenosine = R"(
ATOM     18  C1*   A R  16      10.023 102.371  41.238  0.40 72.71
ATOM     19  N1    A R  16       7.125 105.999  43.474  0.40 70.44
ATOM     20  C2    A R  16       8.182 105.297  43.907  0.40 70.63
ATOM     21  N3    A R  16       8.896 104.366  43.271  0.40 70.83
ATOM     22  C4    A R  16       8.419 104.170  42.027  0.40 71.45
ATOM     23  C5    A R  16       7.342 104.815  41.440  0.40 71.03
ATOM     24  C6    A R  16       6.671 105.777  42.221  0.40 70.46
ATOM     25  N6    A R  16       5.618 106.474  41.789  0.40 69.84
ATOM     26  N7    A R  16       7.138 104.354  40.145  0.40 71.14
ATOM     27  C8    A R  16       8.079 103.454  39.979  0.40 71.55
ATOM     28  N9    A R  16       8.891 103.289  41.080  0.40 72.01
ATOM     29  C2*   A R  16       9.647 101.084  41.979  0.40 73.25
ATOM     30  O2*   A R  16      10.761 100.629  42.725  0.40 72.68
ATOM     31  C3*   A R  16       9.289 100.166  40.817  0.40 73.83
ATOM     32  O3*   A R  16       9.372  98.781  41.163  0.40 74.68
ATOM     33  C4*   A R  16      10.323 100.559  39.768  0.40 73.56
ATOM     34  O4*   A R  16      10.480 101.995  39.945  0.40 73.14
ATOM     35  C5*   A R  16       9.949 100.275  38.330  0.40 73.83
ATOM     36  O5*   A R  16       8.713 100.913  38.003  0.40 74.87
ATOM     37  O1P   A R  16       8.258  99.345  36.102  0.40 75.27
ATOM     38  O2P   A R  16       6.680 101.320  36.612  0.40 75.17
ATOM     39  P     A R  16       8.059 100.752  36.556  0.40 75.88
)";
const char* kUridine = R"(
ATOM     40  C1'   U R  17       7.575 101.665  45.453  0.40 74.04
ATOM     41  N1    U R  17       6.594 102.106  44.444  0.40 73.86
ATOM     42  C2    U R  17       5.684 103.099  44.806  0.40 73.75
ATOM     43  O2    U R  17       5.665 103.619  45.915  0.40 73.35
ATOM     44  N3    U R  17       4.796 103.459  43.819  0.40 73.80
ATOM     45  C4    U R  17       4.721 102.945  42.535  0.40 73.54
ATOM     46  O4    U R  17       3.872 103.384  41.754  0.40 72.72
ATOM     47  C5    U R  17       5.690 101.928  42.240  0.40 73.61
ATOM     48  C6    U R  17       6.570 101.555  43.177  0.40 73.53
ATOM     49  C2'   U R  17       6.963 100.794  46.555  0.40 74.28
ATOM     50  O2'   U R  17       7.647 101.018  47.773  0.40 73.48
ATOM     51  C3'   U R  17       7.192  99.399  45.990  0.40 74.60
ATOM     52  O3'   U R  17       7.173  98.388  46.997  0.40 75.46
ATOM     53  C4'   U R  17       8.561  99.531  45.338  0.40 74.43
ATOM     54  O4'   U R  17       8.572 100.885  44.805  0.40 74.22
ATOM     55  C5'   U R  17       8.846  98.555  44.218  0.40 74.20
ATOM     56  O5'   U R  17       7.855  98.672  43.195  0.40 74.42
ATOM     57  O1P   U R  17       8.427  96.582  41.940  0.40 74.16
ATOM     58  O2P   U R  17       6.909  98.386  40.900  0.40 74.43
ATOM     59  P     U R  17       8.075  98.019  41.755  0.40 75.01
)";

// A fragment molecule from atom records (name, coordinates; element from the name), bonded
// by the residue bonding as the reader does when it closes a residue.
std::unique_ptr<Molecule> bondedResidue(const std::string& records, const std::string& name) {
  std::unique_ptr<Molecule> fragment(Builder::instance()->createMolecule());
  fragment->names.push_back(name);
  Residue residue(fragment.get());
  residue.name = name;
  std::istringstream in(records);
  std::string line;
  while (std::getline(in, line)) {
    if (line.size() < 54) continue;
    Atom* a = Builder::instance()->createAtom();
    std::string atomName = line.substr(12, 4);
    atomName.erase(std::remove(atomName.begin(), atomName.end(), ' '), atomName.end());
    a->name = atomName;
    a->element = atomName.substr(0, 1);
    a->position = SSEVector4f(std::stof(line.substr(30, 8)), std::stof(line.substr(38, 8)),
                              std::stof(line.substr(46, 8)), 1.0f);
    a->isPlaced = true;
    fragment->addAtom(a);
  }
  IOEngine::instance()->findConnectivityWithinResidue(&residue);
  return fragment;
}

int fragmentOrder(const Molecule* m, const std::string& a, const std::string& b) {
  return orderBetween(m, a, -1, b, -1);
}

std::set<std::string> doubleBonds(const Molecule* m) {
  std::set<std::string> out;
  for (const Bond* b : m->bonds)
    if (b->order == 2) {
      std::string x = b->atom1->name, y = b->atom2->name;
      if (y < x) std::swap(x, y);
      out.insert(x + "=" + y);
    }
  return out;
}

}  // namespace

class PDBReader : public PDBFixture {};

TEST_F(PDBReader, TripeptideBecomesOneBondedMoleculeWithHydrogensAndFileCoordinates) {
  const std::vector<Molecule*> out = read(kTripeptide);
  ASSERT_EQ(1u, out.size());
  const Molecule* m = out[0];
  // Peptide bonds and the backbone carbonyls of every residue.
  EXPECT_EQ(1, orderBetween(m, "C", 1, "N", 2));
  EXPECT_EQ(1, orderBetween(m, "C", 2, "N", 3));
  for (int r = 1; r <= 3; ++r) EXPECT_EQ(2, orderBetween(m, "C", r, "O", r)) << r;
  EXPECT_EQ(1, orderBetween(m, "CA", 2, "CB", 2));
  EXPECT_EQ(2, orderBetween(m, "CD", 2, "OE1", 2));   // the glutamine amide
  EXPECT_EQ(std::vector<std::string>{"A"}, m->chainIds);
  EXPECT_GT(pdbtest::countElement(m, "H"), 20);
  for (const Atom* a : m->atoms) {
    EXPECT_EQ("A", a->chainId) << a->name;
    if (a->element == "H") {
      EXPECT_EQ(1u, a->bonds.size()) << a->name;
    }
  }
  const Atom* ca = findAtom(m, "CA", 2);
  ASSERT_NE(nullptr, ca);
  EXPECT_FLOAT_EQ(14.536f, ca->position.x);
  EXPECT_FLOAT_EQ(38.012f, ca->position.y);
  EXPECT_FLOAT_EQ(9.717f, ca->position.z);
  EXPECT_TRUE(m->isFromPdb);
  EXPECT_FALSE(m->pdbFlag);
  EXPECT_FALSE(m->smiles.empty());
  EXPECT_GT(m->dipoleMoment, 0.0f);
}

TEST_F(PDBReader, FirstStepGivesTheBondedAtomsOfTheFileBeforePerception) {
  std::istringstream in(kTripeptide);
  std::vector<Molecule*> graphs;
  ASSERT_TRUE(parser.readGraphs(in, graphs));
  ASSERT_EQ(1u, graphs.size());
  std::unique_ptr<Molecule> m(graphs[0]);
  EXPECT_EQ(24u, m->atoms.size());   // no hydrogens yet
  EXPECT_EQ(1, orderBetween(m.get(), "C", 1, "N", 2));
  EXPECT_EQ(2, orderBetween(m.get(), "CD", 2, "OE1", 2));
  for (const Atom* a : m->atoms) EXPECT_TRUE(a->type.empty()) << a->name;

  kvtest::ErrorCapture errors;
  std::istringstream stray("TER\n");
  EXPECT_FALSE(parser.readGraphs(stray, graphs));
  EXPECT_EQ(1u, graphs.size());
  EXPECT_EQ(1u, errors.lines.size());
}

TEST_F(PDBReader, PeptideLinkNeedsCarbonAndNitrogenWithinTwoPointEightAngstrom) {
  for (const float gap : {2.9f, 2.8f}) {
    std::vector<std::unique_ptr<Molecule> > fragments;
    std::vector<Residue*> residues;
    std::vector<std::unique_ptr<Residue> > owned;
    for (int k = 0; k < 2; ++k) {
      fragments.emplace_back(Builder::instance()->createMolecule());
      owned.emplace_back(new Residue(fragments.back().get()));
      Atom* a = Builder::instance()->createAtom();
      a->name = k == 0 ? "C" : "N";
      a->element = a->name;
      a->position = SSEVector4f(k == 0 ? 0.0f : gap, 0.0f, 0.0f, 1.0f);
      a->isPlaced = true;
      fragments.back()->addAtom(a);
      (k == 0 ? owned.back()->c : owned.back()->n) = a;
      residues.push_back(owned.back().get());
    }
    std::vector<Bond*> links;
    IOEngine::instance()->findCommectivityAmongstResidues(residues, links);
    EXPECT_EQ(gap < 2.85f ? 1u : 0u, links.size()) << gap;
    for (Bond* b : links) {
      EXPECT_EQ("C", b->atom1->name);
      delete b;
    }
    // A chain of one residue yields no links.
    links.clear();
    IOEngine::instance()->findCommectivityAmongstResidues({residues[0]}, links);
    EXPECT_TRUE(links.empty());
  }
}

TEST_F(PDBReader, AromaticSideChainsGetTheirDoubleBonds) {
  auto phe = bondedResidue(kPhenylalanine, "PHE");
  EXPECT_EQ(2, fragmentOrder(phe.get(), "C", "O"));
  const std::set<std::string> ring = doubleBonds(phe.get());
  EXPECT_EQ(4u, ring.size());
  // Alternating: every ring carbon carries exactly one double bond.
  for (const char* name : {"CG", "CD1", "CD2", "CE1", "CE2", "CZ"}) {
    int doubles = 0;
    for (const Bond* b : findAtom(phe.get(), name, -1)->bonds) doubles += b->order == 2;
    EXPECT_EQ(1, doubles) << name;
  }

  auto trp = bondedResidue(kTryptophan, "TRP");
  const std::set<std::string> expected = {"C=O", "CD1=CG", "CD2=CE2", "CE3=CZ3", "CH2=CZ2"};
  EXPECT_EQ(expected, doubleBonds(trp.get()));
}

TEST_F(PDBReader, NucleotideBasesGetTheirDoubleBonds) {
  auto adenine = bondedResidue(kAdenosine, "A");
  const std::set<std::string> doubles = doubleBonds(adenine.get());
  for (const char* bond : {"C4=C5", "C8=N7", "C6=N1", "C2=N3"})
    EXPECT_EQ(1u, doubles.count(bond)) << bond;
  // The phosphate: one terminal oxygen double-bonded, the other charged.
  EXPECT_EQ(1u, doubles.count("O2P=P"));
  EXPECT_EQ(-1, findAtom(adenine.get(), "O1P", -1)->charge);
  EXPECT_EQ(5u, doubles.size()) << ::testing::PrintToString(doubles);

  auto uracil = bondedResidue(kUridine, "U");
  const std::set<std::string> u = doubleBonds(uracil.get());
  for (const char* bond : {"C2=O2", "C4=O4", "C5=C6"}) EXPECT_EQ(1u, u.count(bond)) << bond;
}

TEST_F(PDBReader, ResidueWithTemplateTakesTheTemplateBondsAndOrders) {
  // A registered template "XYZ": N-CA single, C=O double, C-Q single (Q is missing below).
  auto group = std::unique_ptr<Molecule>(Builder::instance()->createMolecule());
  group->names.push_back("XYZ");
  for (const char* name : {"N", "CA", "C", "O", "Q"}) {
    Atom* a = Builder::instance()->createAtom();
    a->name = name;
    a->element = std::string(1, name[0]);
    group->addAtom(a);
  }
  group->addBond(0u, 1u, 1);
  group->addBond(2u, 3u, 2);
  group->addBond(2u, 4u, 1);
  MoleculeEngine::instance()->groups.push_back(group.get());
  // The four atoms lie far apart: every bond comes from the template.
  std::string text;
  const char* names[] = {"N", "CA", "C", "O"};
  for (int i = 0; i < 4; ++i)
    text += atomLine("HETATM", i + 1, names[i], "XYZ", 'A', 1, 5.0f * i, 0, 0, "");
  auto fragment = bondedResidue(text, "XYZ");
  MoleculeEngine::instance()->groups.pop_back();
  EXPECT_EQ(2u, fragment->bonds.size());
  EXPECT_EQ(1, fragmentOrder(fragment.get(), "N", "CA"));
  EXPECT_EQ(2, fragmentOrder(fragment.get(), "C", "O"));
}

TEST_F(PDBReader, LigandWithoutTemplateIsBondedByDistanceAndCorrected) {
  // Acetate: the carboxyl carbon ends with one double bond, to the oxygen met last.
  std::string text;
  text += atomLine("HETATM", 1, "C1", "ACT", ' ', 1, 0.000f, 0.000f, 0.0f, "C");
  text += atomLine("HETATM", 2, "C2", "ACT", ' ', 1, 1.520f, 0.000f, 0.0f, "C");
  text += atomLine("HETATM", 3, "O1", "ACT", ' ', 1, 2.150f, 1.080f, 0.0f, "O");
  text += atomLine("HETATM", 4, "O2", "ACT", ' ', 1, 2.150f, -1.080f, 0.0f, "O");
  auto acetate = bondedResidue(text, "ACT");
  EXPECT_EQ(3u, acetate->bonds.size());
  EXPECT_EQ(1, fragmentOrder(acetate.get(), "C2", "O1"));
  EXPECT_EQ(2, fragmentOrder(acetate.get(), "C2", "O2"));
}

TEST_F(PDBReader, HydrogenIsBondedToOneHeavyAtomOnly) {
  // A hydrogen 1.05 Angstrom from two atoms: listed first or last, it gets one bond.
  for (const bool hydrogenFirst : {true, false}) {
    std::string text;
    const std::string h = atomLine("HETATM", 9, "H1", "LIG", ' ', 1, 0.0f, 0.0f, 0.0f, "H");
    if (hydrogenFirst) text += h;
    text += atomLine("HETATM", 1, "C1", "LIG", ' ', 1, -1.05f, 0.0f, 0.0f, "C");
    text += atomLine("HETATM", 2, "C2", "LIG", ' ', 1, 1.05f, 0.0f, 0.0f, "C");
    if (!hydrogenFirst) text += h;
    auto fragment = bondedResidue(text, "LIG");
    EXPECT_EQ(1u, findAtom(fragment.get(), "H1", -1)->bonds.size()) << hydrogenFirst;
  }
}

TEST_F(PDBReader, SulfurWithTwoOxygensAndFourBondsGetsTwoDoubleBonds) {
  auto sulfone = std::unique_ptr<Molecule>(Builder::instance()->createMolecule());
  for (const char* e : {"S", "O", "O", "C", "C"}) {
    Atom* a = Builder::instance()->createAtom();
    a->element = e;
    a->name = e;
    sulfone->addAtom(a);
  }
  for (unsigned j = 1; j < 5; ++j) sulfone->addBond(0u, j, 1);
  sulfone->findValenceVector();
  sulfone->autoBondOrderCorrection();
  int doubles = 0;
  for (const Bond* b : sulfone->bonds)
    if (b->order == 2) {
      ++doubles;
      EXPECT_EQ("O", b->atom2->element);
    }
  EXPECT_EQ(2, doubles);
}

TEST_F(PDBReader, TwoModelsGiveTwoMoleculesNamedAfterTheFile) {
  std::string water;
  water += atomLine("HETATM", 1, "O", "HOH", 'W', 1, 0.0f, 0.0f, 0.0f, "O");
  const std::string text = "MODEL        1\n" + water + "ENDMDL\nMODEL        2\n" + water +
                           "ENDMDL\nEND\n";
  std::vector<Molecule*> out;
  parser.parsePDBFile(writeFile("1abc.pdb", text), out);
  molecules.insert(molecules.end(), out.begin(), out.end());
  ASSERT_EQ(2u, out.size());
  EXPECT_EQ("1abc_0", out[0]->getName());
  EXPECT_EQ("1abc_1", out[1]->getName());
  EXPECT_EQ(3u, out[1]->atoms.size());   // the oxygen and its added hydrogens
  const std::vector<std::string> parts = {"W", "WATER", "HETATM"};
  EXPECT_EQ(parts, out[0]->chainIds);
}

TEST_F(PDBReader, AlternateLocationsKeepTheFirstIndicator) {
  std::string text = atomLine("ATOM", 1, "N", "GLY", 'A', 1, 0, 0, 0, "N");
  std::string a = atomLine("ATOM", 2, "CA", "GLY", 'A', 1, 1.45f, 0, 0, "C");
  std::string b = atomLine("ATOM", 3, "CA", "GLY", 'A', 1, 1.45f, 0.3f, 0, "C");
  a[16] = 'A';
  b[16] = 'B';
  text += a + b;
  std::string c = atomLine("ATOM", 4, "C", "GLY", 'A', 1, 2.0f, 1.4f, 0, "C");
  text += c;
  const std::vector<Molecule*> out = read(text);
  ASSERT_EQ(1u, out.size());
  int carbons = 0;
  for (const Atom* atom : out[0]->atoms) carbons += atom->element == "C";
  EXPECT_EQ(2, carbons);
  EXPECT_EQ(2, findAtom(out[0], "CA", 1)->serialNumber);
}

TEST_F(PDBReader, ConectBondsAddUpAndSkipHeteroAtomsOfOtherResidues) {
  std::string text;
  text += atomLine("HETATM", 1, "C1", "LIG", 'A', 1, 0.0f, 0.0f, 0.0f, "C");
  text += atomLine("HETATM", 2, "C2", "LIG", 'A', 1, 4.0f, 0.0f, 0.0f, "C");
  text += atomLine("HETATM", 3, "C3", "LIG", 'A', 1, 8.0f, 0.0f, 0.0f, "C");
  text += atomLine("HETATM", 4, "C1", "OTH", 'A', 2, 0.0f, 6.0f, 0.0f, "C");
  // Fixed five-column fields; the line number at the end is not a partner.
  text += "CONECT    1    2                                                  1HPV1819\n";
  text += "CONECT    1    3    4\n";
  const std::vector<Molecule*> out = read(text);
  ASSERT_EQ(1u, out.size());
  int conect = 0;
  for (const Bond* b : out[0]->bonds) conect += b->pdbFlag;
  EXPECT_EQ(2, conect);
  EXPECT_NE(0, orderBetween(out[0], "C1", 1, "C3", 1));
  EXPECT_EQ(0, orderBetween(out[0], "C1", 1, "C1", 2));
  EXPECT_TRUE(out[0]->pdbFlag);
}

TEST_F(PDBReader, FieldsAreReadFromTheirColumns) {
  // Touching coordinates, an old-style hydrogen name and line numbers in the element columns.
  std::string text =
      "ATOM      1  CA  GLY A   1      -1.234-100.567  10.125  1.00 55.41      1HPV 186\n"
      "ATOM      2 1HA  GLY A   1      -1.234-101.567  10.125  1.00 55.41      1HPV 187\n";
  const std::vector<Molecule*> out = read(text);
  ASSERT_EQ(1u, out.size());
  const Atom* ca = findAtom(out[0], "CA", 1);
  ASSERT_NE(nullptr, ca);
  EXPECT_EQ("C", ca->element);
  EXPECT_FLOAT_EQ(-100.567f, ca->position.y);
  EXPECT_FLOAT_EQ(10.125f, ca->position.z);
  const Atom* h = findAtom(out[0], "1HA", 1);
  ASSERT_NE(nullptr, h);
  EXPECT_EQ("H", h->element);
}

TEST_F(PDBReader, StrayTerStopsTheReadWithoutMolecules) {
  std::string text = atomLine("ATOM", 1, "N", "GLY", 'A', 1, 0, 0, 0, "N") + "TER\nTER\n";
  kvtest::ErrorCapture errorLog;
  const std::vector<Molecule*> out = read(text);
  const std::string err = errorLog.text();
  EXPECT_TRUE(out.empty());
  EXPECT_NE(std::string::npos, err.find("Error: PDBParser::parsePDBFile ENDMDL"));
  // A file ending with "TER" and no "END" still yields its molecule.
  EXPECT_EQ(1u, read(atomLine("ATOM", 1, "N", "GLY", 'A', 1, 0, 0, 0, "N") + "TER\n").size());
}

TEST_F(PDBReader, ChainsWithoutTerAreKeptApartAndNotLinked) {
  std::string text;
  text += atomLine("ATOM", 1, "N", "GLY", 'A', 1, 0.0f, 0, 0, "N");
  text += atomLine("ATOM", 2, "C", "GLY", 'A', 1, 5.0f, 0, 0, "C");
  text += atomLine("ATOM", 3, "N", "GLY", 'B', 2, 6.3f, 0, 0, "N");
  text += atomLine("ATOM", 4, "C", "GLY", 'B', 2, 11.0f, 0, 0, "C");
  const std::vector<Molecule*> out = read(text);
  ASSERT_EQ(1u, out.size());
  EXPECT_EQ(0, orderBetween(out[0], "C", 1, "N", 2));
  EXPECT_EQ("B", findAtom(out[0], "N", 2)->chainId);
  ASSERT_EQ(1u, parser.models.size());
  EXPECT_EQ(2u, parser.models[0]->chains.size());
}

TEST_F(PDBReader, LargeMoleculeGetsNoSmilesAndNoDipole) {
  // 40 methane residues of five atoms each: exactly 200 atoms.
  std::string text;
  int serial = 1;
  for (int r = 0; r < 40; ++r) {
    const float x = 6.0f * (r % 8), y = 6.0f * (r / 8);
    text += atomLine("HETATM", serial++, "C", "CH4", 'A', r + 1, x, y, 0, "C");
    text += atomLine("HETATM", serial++, "H1", "CH4", 'A', r + 1, x + 0.63f, y + 0.63f, 0.63f, "H");
    text += atomLine("HETATM", serial++, "H2", "CH4", 'A', r + 1, x - 0.63f, y - 0.63f, 0.63f, "H");
    text += atomLine("HETATM", serial++, "H3", "CH4", 'A', r + 1, x + 0.63f, y - 0.63f, -0.63f, "H");
    text += atomLine("HETATM", serial++, "H4", "CH4", 'A', r + 1, x - 0.63f, y + 0.63f, -0.63f, "H");
  }
  const std::vector<Molecule*> out = read(text);
  ASSERT_EQ(1u, out.size());
  EXPECT_EQ(200u, out[0]->atoms.size());
  EXPECT_TRUE(out[0]->smiles.empty());
  EXPECT_EQ(0.0f, out[0]->dipoleMoment);
}
