// SMILES to finished molecules: the reader with the set-up chain, and SMILES files. Whatever road
// a molecule came by (a SMILES line, the whole set-up chain, the own molecule file, the shipped
// library), the SMILES written for it reads back as the same molecule: the same atoms and
// charges, the same bonds and orders, the same aromatic bonds. A molecule file carries aromatic
// rings as bonds of order 9 only; benzene from one came out as the hexaradical
// [CH]1[CH][CH][CH][CH][CH]1.

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "io/IOEngine.h"
#include "io/SmilesParser.h"
#include "math/UtilityEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "SmilesTestSupport.h"
#include "support/AtomGeometry.h"
#include "support/ConsoleCapture.h"
#include "support/ErrorCapture.h"
#include "support/FileFixture.h"

namespace fs = std::filesystem;

namespace {

using smilestest::formula;
using smilestest::graph;
using smilestest::sameGraph;
using smilestest::write;

bool hasAromaticBond(const Molecule& m) {
  for (const Bond* b : m.bonds)
    if (b->order == kAromaticOrder || b->isAromatic) return true;
  return false;
}

class SmilesToMolecule : public kvtest::FileFixture {
 protected:
  SmilesToMolecule() : kvtest::FileFixture("kv_smiles_") {}
};

class SmilesRoundTrip : public SmilesToMolecule {
 protected:
  void SetUp() override {
    SmilesToMolecule::SetUp();
    samples = smilestest::sampleSmiles();
    for (const smilestest::SampleLine& s : smilestest::sampleSmiles("obabel-roundtrip.smi"))
      samples.push_back(s);
    ASSERT_GE(samples.size(), 200u);
  }

  // Writes the molecule, reads the text back and compares; the text written.
  static std::string expectReadsBack(Molecule& m, const std::string& what) {
    const std::string written = write(m);
    std::unique_ptr<Molecule> back = graph(written);
    EXPECT_NE(nullptr, back) << what << ": " << written;
    if (back == nullptr) return written;
    EXPECT_EQ(formula(m), formula(*back)) << what << ": " << written;
    EXPECT_TRUE(sameGraph(m, *back)) << what << ": " << written;
    return written;
  }

  std::vector<smilestest::SampleLine> samples;
};

}  // namespace

TEST_F(SmilesRoundTrip, SampleGraphsReadBackAndWriteTheSameTextAgain) {
  for (const smilestest::SampleLine& sample : samples) {
    std::unique_ptr<Molecule> first = graph(sample.smiles);
    ASSERT_NE(nullptr, first) << sample.name;
    const std::string written = expectReadsBack(*first, sample.name);
    std::unique_ptr<Molecule> second = graph(written);
    if (second != nullptr) {
      EXPECT_EQ(written, write(*second)) << sample.name;
    }
  }
}

TEST_F(SmilesRoundTrip, FinishedMoleculesReadBackDirectlyAndFromTheOwnFile) {
  // The set-up chain stores each atom's element from its type row: "SI" there once made
  // trimethylsilanol C[SI](C)(C)O.
  const fs::path kv = folder / "m.kv";
  IOEngine* engine = IOEngine::instance();
  SmilesParser parser;
  for (const smilestest::SampleLine& sample : samples) {
    std::unique_ptr<Molecule> finished(parser.smilesToMol(sample.smiles));
    ASSERT_NE(nullptr, finished) << sample.name;
    expectReadsBack(*finished, sample.name + " finished");

    ASSERT_EQ(1, engine->writeKvtFile(finished.get(), kv.c_str())) << sample.name;
    std::unique_ptr<Molecule> fromKv(engine->parseKvtFile(kv.string()));
    ASSERT_NE(nullptr, fromKv) << sample.name;
    expectReadsBack(*fromKv, sample.name + " from .kv");
  }
}

TEST_F(SmilesRoundTrip, ShippedLibraryMoleculesReadBackAsStoredAndAfterPerception) {
  int aromatic = 0;
  int files = 0;
  for (const fs::directory_entry& entry :
       fs::recursive_directory_iterator(fs::path(KV_SOURCE_DIR) / "KV_MOLECULES")) {
    if (entry.path().extension() != ".kv") continue;
    ++files;
    const std::string name = entry.path().filename().string();
    std::unique_ptr<Molecule> m(IOEngine::instance()->parseKvtFile(entry.path().string()));
    ASSERT_NE(nullptr, m) << name;
    aromatic += hasAromaticBond(*m) ? 1 : 0;
    const std::string stored = expectReadsBack(*m, name);
    if (name == "Benzene.kv") {
      EXPECT_EQ("c1ccccc1", stored);
    }
    // The library loader perceives rings before it writes the text shown in the tree.
    m->findAllSmallestRings();
    EXPECT_EQ(stored, expectReadsBack(*m, name + " perceived"));
  }
  EXPECT_GE(files, 17);
  EXPECT_GE(aromatic, 8);
}

TEST_F(SmilesToMolecule, AceticAcidIsBuiltOptimisedAndNamed) {
  kvtest::ConsoleCapture console{1};
  std::unique_ptr<Molecule> m(SmilesParser().smilesToMol("CC(=O)O"));
  ASSERT_NE(nullptr, m);
  EXPECT_EQ(8u, m->atoms.size());
  EXPECT_TRUE(m->isOptimized);
  ASSERT_FALSE(m->names.empty());
  EXPECT_EQ("C2H4O2", m->names[0]);
  for (const Bond* b : m->bonds) {
    const double d = kvtest::distance(b->atom1, b->atom2);
    EXPECT_GT(d, 0.8) << b->getName();
    EXPECT_LT(d, 1.8) << b->getName();
  }
  EXPECT_NE(0.0f, m->totalBondEnergy);
  ASSERT_GE(console.lines.size(), 2u);
  EXPECT_EQ("", console.lines[0]);
  EXPECT_EQ("Parsing CC(=O)O", console.lines[1]);
  EXPECT_EQ("CC(=O)O", smilestest::write(*m));
}

TEST_F(SmilesToMolecule, FileLinesBecomeMoleculesAndBadLinesAreSkipped) {
  const std::string file = (folder / "input.smi").string();
  std::ofstream(file) << "  CCO\tethanol \n   \n\nC1CC broken\r\nO water\r\n";
  UtilityEngine::instance()->printLevel = 2;
  SmilesParser parser;
  int count = -1;
  parser.parseSMILESFile(file.c_str(), molecules, count);
  EXPECT_EQ(2, count);
  ASSERT_EQ(2u, molecules.size());
  EXPECT_EQ("ethanol", molecules[0]->getName());
  EXPECT_EQ(9u, molecules[0]->atoms.size());
  EXPECT_EQ("water", molecules[1]->getName());
  EXPECT_EQ("O", molecules[1]->smiles);
  EXPECT_EQ(2, UtilityEngine::instance()->printLevel);

  std::ifstream opened(file);
  parser.parseSMILESFile(opened, molecules, count);
  EXPECT_EQ(2, count);
  EXPECT_EQ(4u, molecules.size());

  int untouched = 7;
  parser.parseSMILESFile((folder / "missing.smi").string().c_str(), molecules, untouched);
  EXPECT_EQ(7, untouched);
}

// A byte-order mark before the first line is not part of its SMILES, and a line that gives no
// molecule is named by its number and the file; a file that cannot be opened is named too.
TEST_F(SmilesToMolecule, FileWithByteOrderMarkReadsAndBadLinesAreNamed) {
  const std::string file = (folder / "marked.smi").string();
  std::ofstream(file) << "\xEF\xBB\xBF" << "CCO ethanol\nC1CC broken\n";
  SmilesParser parser;
  int count = -1;
  kvtest::ErrorCapture capture;
  parser.parseSMILESFile(file.c_str(), molecules, count);
  EXPECT_EQ(1, count);
  ASSERT_EQ(1u, molecules.size());
  EXPECT_EQ("ethanol", molecules[0]->getName());
  EXPECT_EQ("CCO", molecules[0]->smiles);
  ASSERT_FALSE(capture.lines.empty());
  EXPECT_EQ("Error: SmilesParser: no molecule from \"C1CC broken\" on line 2 of \"" + file + "\"",
            capture.lines.back());

  capture.clear();
  int untouched = 7;
  const std::string missing = (folder / "missing.smi").string();
  parser.parseSMILESFile(missing.c_str(), molecules, untouched);
  EXPECT_EQ(7, untouched);
  ASSERT_EQ(1u, capture.lines.size());
  EXPECT_EQ("Error: SmilesParser: cannot open file \"" + missing + "\"", capture.lines[0]);
}
