// Reading PDB text (records, models, chains, residues, residue bonding and bond orders) and
// writing it (record layout, atom order, failures and serials); the round trip of a whole
// protease is in PDBFilesTest.cpp.

#include <algorithm>
#include <set>

#include "io/MoleculeEngine.h"
#include "model/Builder.h"
#include "support/AtomGeometry.h"
#include "support/ErrorCapture.h"
#include "support/MoleculeBuilder.h"
#include "support/TextLines.h"
#include "tests/io/PDBTestSupport.h"

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
  for (int r = 1; r <= 3; ++r) {
    EXPECT_EQ(2, orderBetween(m, "C", r, "O", r)) << r;
    EXPECT_EQ(r < 3 ? 1 : 0, orderBetween(m, "C", r, "N", r + 1)) << r;
  }
  EXPECT_EQ(2, orderBetween(m, "CD", 2, "OE1", 2));   // the glutamine amide
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
  EXPECT_FLOAT_EQ(9.717f, ca->position.z);
  EXPECT_TRUE(m->isFromPdb);
  EXPECT_FALSE(m->smiles.empty());
  EXPECT_GT(m->dipoleMoment, 0.0f);
}

TEST_F(PDBReader, PeptideLinkNeedsCarbonAndNitrogenWithinTwoPointEightAngstrom) {
  for (const float gap : {2.9f, 2.8f}) {
    auto c = kvtest::buildMolecule({"C"}, {});
    auto n = kvtest::buildMolecule({"N"}, {});
    Residue first(c.get()), second(n.get());
    first.c = c->atoms[0];
    second.n = n->atoms[0];
    second.n->position = SSEVector4f(gap, 0.0f, 0.0f, 1.0f);
    first.c->isPlaced = second.n->isPlaced = true;
    std::vector<Bond*> links;
    IOEngine::instance()->findCommectivityAmongstResidues({&first, &second}, links);
    EXPECT_EQ(gap < 2.85f ? 1u : 0u, links.size()) << gap;
    for (Bond* b : links) {
      EXPECT_EQ("C", b->atom1->name);
      delete b;
    }
  }
}

TEST_F(PDBReader, AromaticSideChainsGetTheirDoubleBonds) {
  auto phe = bondedResidue(pdbtest::residueRecords(pdbtest::kProtease, 'A', 53, 53), "PHE");
  EXPECT_EQ(4u, doubleBonds(phe.get()).size());   // the ring's three and C=O
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
  auto group = kvtest::buildMolecule({"N", "C", "C", "O", "Q"}, {{0, 1, 1}, {2, 3, 2}, {2, 4, 1}});
  group->atoms[1]->name = "CA";
  group->names.push_back("XYZ");
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

TEST_F(PDBReader, AlternateLocationsKeepTheFirstIndicator) {
  std::string a = atomLine("ATOM", 2, "CA", "GLY", 'A', 1, 1.45f, 0, 0, "C");
  std::string b = atomLine("ATOM", 3, "CA", "GLY", 'A', 1, 1.45f, 0.3f, 0, "C");
  a[16] = 'A';
  b[16] = 'B';
  const std::vector<Molecule*> out =
      read(atomLine("ATOM", 1, "N", "GLY", 'A', 1, 0, 0, 0, "N") + a + b +
           atomLine("ATOM", 4, "C", "GLY", 'A', 1, 2.0f, 1.4f, 0, "C"));
  ASSERT_EQ(1u, out.size());
  EXPECT_EQ(2, kvtest::countElement(*out[0], "C"));
  EXPECT_EQ(2, findAtom(out[0], "CA", 1)->serialNumber);
}

TEST_F(PDBReader, ConectBondsAddUpAndJoinHeteroAtomsOfOtherResidues) {
  std::string text;
  text += atomLine("HETATM", 1, "C1", "LIG", 'A', 1, 0.0f, 0.0f, 0.0f, "C");
  text += atomLine("HETATM", 2, "C2", "LIG", 'A', 1, 3.0f, 0.0f, 0.0f, "C");
  text += atomLine("HETATM", 3, "C3", "LIG", 'A', 1, 0.0f, 3.0f, 0.0f, "C");
  text += atomLine("HETATM", 4, "C1", "OTH", 'A', 2, 0.0f, 0.0f, 3.0f, "C");
  // Fixed five-column fields; the line number at the end is not a partner.
  text += "CONECT    1    2                                                  1HPV1819\n";
  text += "CONECT    1    3    4\n";
  const std::vector<Molecule*> out = read(text);
  ASSERT_EQ(1u, out.size());
  int conect = 0;
  for (const Bond* b : out[0]->bonds) conect += b->pdbFlag;
  EXPECT_EQ(3, conect);
  EXPECT_NE(0, orderBetween(out[0], "C1", 1, "C3", 1));
  EXPECT_NE(0, orderBetween(out[0], "C1", 1, "C1", 2));
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
  // The molecule says so itself: its 0 is no computed dipole, and its copies keep saying it.
  EXPECT_FALSE(out[0]->hasDipoleMoment);
  std::unique_ptr<Molecule> copy(out[0]->clone());
  EXPECT_FALSE(copy->hasDipoleMoment);
}

class PDBWriter : public PDBFixture {};

TEST_F(PDBWriter, RecordLayoutKeepsNamesNumbersAndElements) {
  auto m = kvtest::buildMolecule({"C", "Cl", "H", "H", "H"},
                                 {{0, 1, 1}, {0, 2, 1}, {0, 3, 1}, {0, 4, 1}});
  const char* names[] = {"CA", "CL1", "HB12", "1HB", "H"};
  for (size_t i = 0; i < m->atoms.size(); ++i) {
    m->atoms[i]->name = names[i];
    m->atoms[i]->residueName = "lig";
    m->atoms[i]->residueNumber = -5;
    m->atoms[i]->chainId = "A";
    // Apart along x (a file of stacked atoms is refused), touching columns in y and z.
    m->atoms[i]->position = SSEVector4f(-1.234f + 2.5f * i, -100.567f, 1234.5f, 1.0f);
  }
  m->atoms[0]->isHetero = true;
  std::string text;
  ASSERT_TRUE(parser.formatPDB(m.get(), text));
  const std::vector<std::string> lines = kvtest::linesOf(text);
  ASSERT_EQ(6u, lines.size());
  EXPECT_EQ("HETATM    1  CA  LIG A  -5      -1.234-100.5671234.500  1.00  0.00           C  ",
            lines[0]);
  EXPECT_EQ("CL1 ", lines[4].substr(12, 4));   // hydrogens follow their carbon
  EXPECT_EQ("HB12", lines[1].substr(12, 4));
  EXPECT_EQ("1HB ", lines[2].substr(12, 4));
  EXPECT_EQ("CL", lines[4].substr(76, 2));
  EXPECT_EQ("END", lines[5]);
  for (size_t i = 0; i < 5; ++i) EXPECT_EQ(80u, lines[i].size());

  // Read back: touching coordinates and the names' elements survive.
  const std::vector<Molecule*> out = read(text);
  ASSERT_EQ(1u, out.size());
  const Atom* cl = pdbtest::findAtom(out[0], "CL1", -5);
  ASSERT_NE(nullptr, cl);
  EXPECT_EQ("Cl", cl->element);
  EXPECT_FLOAT_EQ(-100.567f, cl->position.y);
}

TEST_F(PDBWriter, EveryAtomIsWrittenOnce) {
  // A hydrogen molecule and a bridging hydrogen between two borons (diborane's core).
  auto m = kvtest::buildMolecule({"H", "H", "B", "B", "H"},
                                 {{0, 1, 1}, {2, 4, 1}, {3, 4, 1}});
  for (size_t i = 0; i < m->atoms.size(); ++i)
    m->atoms[i]->position = SSEVector4f(static_cast<float>(i), 0, 0, 1);
  std::string text;
  ASSERT_TRUE(parser.formatPDB(m.get(), text));
  int records = 0;
  for (const std::string& line : kvtest::linesOf(text))
    records += line.rfind("ATOM", 0) == 0 || line.rfind("HETATM", 0) == 0;
  EXPECT_EQ(5, records);
}

TEST_F(PDBWriter, EmptyMoleculeGivesOnlyEnd) {
  std::unique_ptr<Molecule> m(Builder::instance()->createMolecule());
  const std::string path = (folder / "empty.pdb").string();
  ASSERT_EQ(1, parser.writePDBFile(m.get(), path.c_str()));
  EXPECT_EQ("END\n", kvtest::readFile(path));
}

TEST_F(PDBWriter, FailedWriteLeavesTheOldFileWhole) {
  const std::string path = writeFile("old.pdb", "OLD CONTENT\n");
  auto m = kvtest::buildMolecule({"C"}, {});
  m->atoms[0]->position = SSEVector4f(123456.0f, 0, 0, 1);   // too wide for its 8 columns
  kvtest::ErrorCapture errorLog;
  EXPECT_EQ(0, parser.writePDBFile(m.get(), path.c_str()));
  EXPECT_EQ(0, parser.writePDBFile(nullptr, path.c_str()));
  const std::string missingFolder = (folder / "no" / "such.pdb").string();
  m->atoms[0]->position = SSEVector4f(1.0f, 0, 0, 1);
  EXPECT_EQ(0, parser.writePDBFile(m.get(), missingFolder.c_str()));
  const std::string err = errorLog.text();
  EXPECT_NE(std::string::npos, err.find("Error: PDBParser::writePDBFile NULL molecule"));
  EXPECT_NE(std::string::npos, err.find("Error: PDBParser::writePDBFile coordinate too wide"));
  ASSERT_EQ(3u, errorLog.lines.size()) << err;
  EXPECT_TRUE(kvtest::textThenReason(
      errorLog.lines[2], "Error: PDBParser::writePDBFile couldn't  open file " + missingFolder))
      << errorLog.lines[2];
  errorLog.clear();
  EXPECT_EQ(0, parser.writePDBFile(m.get(), ""));
  EXPECT_EQ(std::vector<std::string>{"Error: PDBParser::writePDBFile couldn't  open file  (no file name)"},
            errorLog.lines);
  EXPECT_EQ("OLD CONTENT\n", kvtest::readFile(path));
  EXPECT_EQ(1u, static_cast<size_t>(std::distance(pdbtest::fs::directory_iterator(folder),
                                                  pdbtest::fs::directory_iterator())));
}

TEST_F(PDBWriter, ConectRecordsFollowTheWrittenSerials) {
  std::string text =
      "HETATM   11  C1  LIG A   1       0.000   0.000   0.000                       C\n"
      "HETATM   12  O1  LIG A   1       1.400   0.000   0.000                       O\n"
      "CONECT   11   12\n";
  const std::vector<Molecule*> out = read(text);
  ASSERT_EQ(1u, out.size());
  std::string written;
  ASSERT_TRUE(parser.formatPDB(out[0], written));
  EXPECT_NE(std::string::npos, written.find("CONECT    1    5\n")) << written;
}
