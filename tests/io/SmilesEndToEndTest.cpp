// SMILES to finished molecules: the reader with the set-up chain, and SMILES files.

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "io/IOEngine.h"
#include "io/SmilesParser.h"
#include "io/SmilesWriter.h"
#include "math/UtilityEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "SmilesTestSupport.h"
#include "support/AtomGeometry.h"
#include "support/ConsoleCapture.h"
#include "support/QtApplication.h"

namespace fs = std::filesystem;

namespace {

// The console lines at the default verbosity.
class SmilesToMolecule : public ::testing::Test {
 protected:
  void SetUp() override {
    kvtest::ensureApplication();
    IOEngine::instance();
  }

  kvtest::ConsoleCapture console{UtilityEngine::instance()->printLevel};
};

}  // namespace

TEST_F(SmilesToMolecule, AceticAcidIsBuiltOptimisedAndNamed) {
  SmilesParser parser;
  std::unique_ptr<Molecule> m(parser.smilesToMol("CC(=O)O"));
  ASSERT_NE(nullptr, m);
  EXPECT_EQ(8u, m->atoms.size());
  EXPECT_EQ(8u, m->positions.size());
  EXPECT_TRUE(m->isOptimized);
  EXPECT_EQ("CC(=O)O", m->smiles);
  ASSERT_FALSE(m->names.empty());
  EXPECT_EQ("C2H4O2", m->names[0]);
  for (const Bond* b : m->bonds) {
    const double d = kvtest::distance(b->atom1, b->atom2);
    EXPECT_GT(d, 0.8) << b->getName();
    EXPECT_LT(d, 1.8) << b->getName();
  }
  for (const Atom* a : m->atoms) EXPECT_NE(nullptr, a->sphere);
  EXPECT_NE(0.0f, m->totalBondEnergy);
  ASSERT_GE(console.lines.size(), 2u);
  EXPECT_EQ("", console.lines[0]);
  EXPECT_EQ("Parsing CC(=O)O", console.lines[1]);
  EXPECT_EQ("CC(=O)O", smilestest::write(*m));
}

TEST_F(SmilesToMolecule, FileLinesBecomeMoleculesAndBadLinesAreSkipped) {
  const fs::path folder = fs::temp_directory_path() / ("kv-smiles-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  const fs::path file = folder / "input.smi";
  {
    std::ofstream out(file);
    out << "CCO ethanol\n   \n\nC1CC broken\r\nO water\n";
  }
  UtilityEngine::instance()->printLevel = 2;
  SmilesParser parser;
  std::vector<Molecule*> molecules;
  int count = -1;
  parser.parseSMILESFile(file.string().c_str(), molecules, count);
  EXPECT_EQ(2, count);
  ASSERT_EQ(2u, molecules.size());
  EXPECT_EQ("ethanol", molecules[0]->getName());
  EXPECT_EQ(9u, molecules[0]->atoms.size());
  EXPECT_EQ("water", molecules[1]->getName());
  EXPECT_EQ(2, UtilityEngine::instance()->printLevel);
  for (Molecule* m : molecules) delete m;
  molecules.clear();

  std::ifstream opened(file);
  parser.parseSMILESFile(opened, molecules, count);
  EXPECT_EQ(2, count);
  for (Molecule* m : molecules) delete m;

  int untouched = 7;
  parser.parseSMILESFile((folder / "missing.smi").string().c_str(), molecules, untouched);
  EXPECT_EQ(7, untouched);
  fs::remove_all(folder);
}
