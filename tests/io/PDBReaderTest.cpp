// Reading PDB text: records, models, chains, residues, residue bonding and bond orders.

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "io/MoleculeEngine.h"
#include "model/Builder.h"
#include "support/AtomGeometry.h"
#include "tests/io/PDBTestSupport.h"
#include "support/ErrorCapture.h"

using pdbtest::PDBFixture;
using pdbtest::findAtom;
using pdbtest::orderBetween;
using pdbtest::atomLine;

namespace {

// An adenosine with a 5' phosphate whose two oxygens are terminal (old-style "*" names) and a
// uridine, residues 16 and 17 of an RNA chain R.
const std::string kDinucleotide = std::string(KV_TEST_DATA_DIR) + "/pdb-adenosine-uridine.pdb";

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
  // PRO-GLN-ILE, heavy atoms only; a line number stands in the element columns.
  const std::vector<Molecule*> out = read(pdbtest::residueRecords(pdbtest::kProtease, 'A', 1, 3));
  ASSERT_EQ(1u, out.size());
  const Molecule* m = out[0];
  // Peptide bonds and the backbone carbonyls of every residue.
  EXPECT_EQ(1, orderBetween(m, "C", 1, "N", 2));
  EXPECT_EQ(1, orderBetween(m, "C", 2, "N", 3));
  for (int r = 1; r <= 3; ++r) EXPECT_EQ(2, orderBetween(m, "C", r, "O", r)) << r;
  EXPECT_EQ(1, orderBetween(m, "CA", 2, "CB", 2));
  EXPECT_EQ(2, orderBetween(m, "CD", 2, "OE1", 2));   // the glutamine amide
  EXPECT_EQ(std::vector<std::string>{"A"}, m->chainIds);
  EXPECT_GT(kvtest::countElement(*m, "H"), 20);
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
  std::istringstream in(pdbtest::residueRecords(pdbtest::kProtease, 'A', 1, 3));
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
  auto phe = bondedResidue(pdbtest::residueRecords(pdbtest::kProtease, 'A', 53, 53), "PHE");
  EXPECT_EQ(2, fragmentOrder(phe.get(), "C", "O"));
  const std::set<std::string> ring = doubleBonds(phe.get());
  EXPECT_EQ(4u, ring.size());
  // Alternating: every ring carbon carries exactly one double bond.
  for (const char* name : {"CG", "CD1", "CD2", "CE1", "CE2", "CZ"}) {
    int doubles = 0;
    for (const Bond* b : findAtom(phe.get(), name, -1)->bonds) doubles += b->order == 2;
    EXPECT_EQ(1, doubles) << name;
  }

  auto trp = bondedResidue(pdbtest::residueRecords(pdbtest::kProtease, 'A', 6, 6), "TRP");
  const std::set<std::string> expected = {"C=O", "CD1=CG", "CD2=CE2", "CE3=CZ3", "CH2=CZ2"};
  EXPECT_EQ(expected, doubleBonds(trp.get()));
}

TEST_F(PDBReader, NucleotideBasesGetTheirDoubleBonds) {
  auto adenine = bondedResidue(pdbtest::residueRecords(kDinucleotide, 'R', 16, 16), "A");
  const std::set<std::string> doubles = doubleBonds(adenine.get());
  for (const char* bond : {"C4=C5", "C8=N7", "C6=N1", "C2=N3"})
    EXPECT_EQ(1u, doubles.count(bond)) << bond;
  // The phosphate: one terminal oxygen double-bonded, the other charged.
  EXPECT_EQ(1u, doubles.count("O2P=P"));
  EXPECT_EQ(-1, findAtom(adenine.get(), "O1P", -1)->charge);
  EXPECT_EQ(5u, doubles.size()) << ::testing::PrintToString(doubles);

  auto uracil = bondedResidue(pdbtest::residueRecords(kDinucleotide, 'R', 17, 17), "U");
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
