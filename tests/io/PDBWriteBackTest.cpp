// What the PDB writer gives back: the names, occupancies and temperature factors read, names
// unique within each residue for the hydrogens the reader added, a residue for a molecule that
// never had one; and files that Open Babel and RDKit read as the same atoms (both are installed
// with the other packages; when one is missing these tests fail).

#include <map>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "io/SmilesParser.h"
#include "support/TextLines.h"
#include "tests/io/PDBTestSupport.h"
#include "tests/io/ToolProcess.h"

namespace {

const char* const kSystemPython = "/usr/bin/python3";

// One line per atom of a PDB file as RDKit reads it: "residue number name occupancy B element",
// then "atoms N" and "duplicates N" (atom names repeated within one residue).
const char* const kRdkitAtoms = R"(
import sys
from rdkit import Chem
m = Chem.MolFromPDBFile(sys.argv[1], removeHs=False, sanitize=True)
if m is None:
    sys.exit('not read')
seen = set()
duplicates = 0
for a in m.GetAtoms():
    info = a.GetPDBResidueInfo()
    key = (info.GetChainId(), info.GetResidueName(), info.GetResidueNumber(), info.GetName())
    duplicates += key in seen
    seen.add(key)
    print('%s %d %s %.2f %.2f %s' % (info.GetResidueName(), info.GetResidueNumber(),
          info.GetName().strip(), info.GetOccupancy(), info.GetTempFactor(), a.GetSymbol()))
print('atoms %d' % m.GetNumAtoms())
print('duplicates %d' % duplicates)
)";

struct Record {
  std::string residue;   // columns 18-26: name, chain, number
  std::string name;      // columns 13-16, blanks removed
  std::string occupancy;
  std::string bFactor;
  std::string element;
};

std::vector<Record> atomRecords(const std::string& text) {
  std::vector<Record> out;
  for (const std::string& line : kvtest::linesOf(text)) {
    if (line.rfind("ATOM", 0) != 0 && line.rfind("HETATM", 0) != 0) continue;
    EXPECT_EQ(80u, line.size()) << line;
    if (line.size() < 78) continue;
    std::string name;
    for (char c : line.substr(12, 4))
      if (c != ' ') name += c;
    out.push_back({line.substr(17, 9), name, line.substr(54, 6), line.substr(60, 6),
                   line.substr(76, 2)});
  }
  return out;
}

// Atom names repeated within one residue.
int duplicateNames(const std::vector<Record>& records) {
  std::set<std::string> seen;
  int repeated = 0;
  for (const Record& r : records) repeated += !seen.insert(r.residue + "|" + r.name).second;
  return repeated;
}

class PDBWriteBack : public pdbtest::PDBFixture {
 protected:
  std::string written(Molecule* m) {
    const std::string path = (folder / "written.pdb").string();
    EXPECT_EQ(1, parser.writePDBFile(m, path.c_str()));
    return path;
  }
};

TEST_F(PDBWriteBack, WatersAndLigandKeepOccupancyBFactorAndGetUniqueHydrogenNames) {
  const std::vector<Molecule*> out = readPath(KV_TEST_DATA_DIR "/pdb-waters-acetate.pdb");
  ASSERT_EQ(1u, out.size());
  ASSERT_EQ(14u, out[0]->atoms.size());   // C2H4O2 and two waters
  const std::string path = written(out[0]);
  const std::vector<Record> records = atomRecords(kvtest::readFile(path));
  ASSERT_EQ(14u, records.size());
  EXPECT_EQ(0, duplicateNames(records)) << kvtest::readFile(path);
  std::map<std::string, std::vector<std::string> > hydrogens;   // residue -> names
  for (const Record& r : records) {
    if (r.element == " H") hydrogens[r.residue].push_back(r.name);
    EXPECT_LE(r.name.size(), 4u);
  }
  EXPECT_EQ((std::vector<std::string>{"H1", "H2"}), hydrogens["HOH A 501"]);
  EXPECT_EQ(4u, hydrogens["ACY A 401"].size());
  for (const std::string& line : kvtest::linesOf(kvtest::readFile(path)))
    if (line.rfind("ATOM", 0) == 0) ADD_FAILURE() << "a water or ligand atom as ATOM: " << line;
  // The values read, per atom; a hydrogen takes those of its heavy atom.
  std::map<std::string, std::string> values;
  for (const Record& r : records) values[r.residue + " " + r.name] = r.occupancy + r.bFactor;
  EXPECT_EQ("  0.75 35.20", values["HOH A 501 O"]);
  EXPECT_EQ("  0.75 35.20", values["HOH A 501 H2"]);
  EXPECT_EQ("  1.00 41.05", values["HOH A 502 O"]);
  EXPECT_EQ("  0.50 23.10", values["ACY A 401 OXT"]);
  EXPECT_EQ("  1.00 21.50", values["ACY A 401 C"]);

  // Read back by us: the same atoms and values.
  const std::vector<Molecule*> back = readPath(path);
  ASSERT_EQ(1u, back.size());
  EXPECT_EQ(14u, back[0]->atoms.size());
  const Atom* oxt = pdbtest::findAtom(back[0], "OXT", 401);
  ASSERT_NE(nullptr, oxt);
  EXPECT_FLOAT_EQ(0.5f, oxt->occupancy);
  EXPECT_FLOAT_EQ(23.1f, oxt->bFactor);

  // Open Babel: every atom, hydrogens included.
  const iotest::ToolRun obabel =
      iotest::runProgram("obabel", {"-ipdb", QString::fromStdString(path), "-oxyz"});
  ASSERT_EQ(0, obabel.exitCode) << obabel.err;
  const std::vector<std::string> xyz = kvtest::linesOf(obabel.out);
  ASSERT_FALSE(xyz.empty());
  EXPECT_EQ("14", xyz[0]);

  // RDKit: every atom with the names and values written, no name twice in a residue.
  const iotest::ToolRun rdkit =
      iotest::runProgram(kSystemPython, {"-c", kRdkitAtoms, QString::fromStdString(path)});
  ASSERT_EQ(0, rdkit.exitCode) << rdkit.err;
  const std::vector<std::string> lines = kvtest::linesOf(rdkit.out);
  std::set<std::string> seen(lines.begin(), lines.end());
  EXPECT_EQ(1u, seen.count("atoms 14")) << rdkit.out;
  EXPECT_EQ(1u, seen.count("duplicates 0")) << rdkit.out;
  EXPECT_EQ(1u, seen.count("HOH 501 O 0.75 35.20 O")) << rdkit.out;
  EXPECT_EQ(1u, seen.count("ACY 401 OXT 0.50 23.10 O")) << rdkit.out;
}

TEST_F(PDBWriteBack, MoleculeWithoutResiduesIsWrittenAsOneLigandResidue) {
  SmilesParser smiles;
  Molecule* m = smiles.smilesToMol("OC(=O)c1ccccc1N benzoic");   // 2-aminobenzoic acid
  ASSERT_NE(nullptr, m);
  molecules.push_back(m);
  const std::string path = written(m);
  const std::vector<Record> records = atomRecords(kvtest::readFile(path));
  ASSERT_EQ(m->atoms.size(), records.size());
  for (const Record& r : records) EXPECT_EQ("UNL     1", r.residue);
  EXPECT_EQ(0, duplicateNames(records));
  for (const std::string& line : kvtest::linesOf(kvtest::readFile(path)))
    if (line.rfind("ATOM", 0) == 0) ADD_FAILURE() << "a ligand atom as ATOM: " << line;

  const iotest::ToolRun rdkit =
      iotest::runProgram(kSystemPython, {"-c", kRdkitAtoms, QString::fromStdString(path)});
  ASSERT_EQ(0, rdkit.exitCode) << rdkit.err;
  const std::vector<std::string> lines = kvtest::linesOf(rdkit.out);
  std::set<std::string> seen(lines.begin(), lines.end());
  EXPECT_EQ(1u, seen.count("atoms " + std::to_string(m->atoms.size()))) << rdkit.out;
  EXPECT_EQ(1u, seen.count("duplicates 0")) << rdkit.out;
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(0u, lines[0].rfind("UNL 1 ", 0)) << lines[0];

  // Open Babel takes the bonds from the CONECT records: the same formula.
  const iotest::ToolRun obabel = iotest::runProgram(
      "obabel", {"-ipdb", QString::fromStdString(path), "-otxt", "--append", "formula"});
  ASSERT_EQ(0, obabel.exitCode) << obabel.err;
  EXPECT_NE(std::string::npos, obabel.out.find("C7H7NO2")) << obabel.out;
}

}  // namespace
