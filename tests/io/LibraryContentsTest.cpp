// The shipped library: the residue templates carry PDB names, and every functional group joins
// with a methyl group at each of its axes into a finished molecule. The molecules are read in
// SmilesRoundTripTest.cpp.

#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "construction/MoleculeOperations.h"
#include "io/IOEngine.h"
#include "math/UtilityEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "support/QtApplication.h"

namespace fs = std::filesystem;

namespace {

const fs::path kRoot(KV_SOURCE_DIR);

std::vector<fs::path> kvFilesBelow(const fs::path& folder) {
  std::vector<fs::path> out;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (entry.is_regular_file() && entry.path().extension() == ".kv") out.push_back(entry.path());
  return out;
}

Bond* firstAxis(Molecule* m) {
  for (Bond* b : m->bonds)
    if (isDummy(b->atom1) || isDummy(b->atom2)) return b;
  return nullptr;
}

class LibraryContents : public ::testing::Test {
 protected:
  void SetUp() override {
    kvtest::ensureApplication();
    engine = IOEngine::instance();
    UtilityEngine::instance()->setConsoleSink([](const std::string&) {});
  }
  void TearDown() override { UtilityEngine::instance()->setConsoleSink(nullptr); }
  std::unique_ptr<Molecule> load(const fs::path& p) {
    return std::unique_ptr<Molecule>(engine->parseKvtFile(p.string()));
  }
  IOEngine* engine = nullptr;
};

TEST_F(LibraryContents, ResidueTemplatesAreNamedAsPdbResidues) {
  const std::vector<std::string> residues = {
      "ALA", "ARG", "ASN", "ASP", "CYS", "GLU", "GLN", "GLY", "HIS", "ILE", "LEU", "LYS",
      "MET", "PHE", "PRO", "SER", "THR", "TRP", "TYR", "VAL", "DA",  "DT",  "DG",  "DC",
      "A",   "U",   "G",   "C"};
  std::set<std::string> found;
  for (const fs::path& p : kvFilesBelow(kRoot / "KV_TEMPLATES")) {
    std::unique_ptr<Molecule> m = load(p);
    ASSERT_TRUE(m) << p;
    EXPECT_EQ(p.stem().string(), m->getName()) << p;
    found.insert(m->getName());
    std::set<std::string> names;
    for (const Atom* a : m->atoms)
      EXPECT_TRUE(names.insert(a->name).second) << m->getName() << " repeats " << a->name;
    const bool nucleotide = m->getName().size() <= 2;
    for (const char* backbone : nucleotide ? std::vector<const char*>{"P", "O5'", "C1'", "O3'"}
                                           : std::vector<const char*>{"N", "CA", "C", "O", "OXT"})
      EXPECT_EQ(1u, names.count(backbone)) << m->getName() << " lacks " << backbone;
  }
  for (const std::string& r : residues) EXPECT_EQ(1u, found.count(r)) << r;
}

TEST_F(LibraryContents, EveryGroupJoinsWithMethylAtEachAxis) {
  const fs::path methylFile = kRoot / "KV_GROUPS" / "Alkyl" / "METHYL.kv";
  const std::vector<fs::path> groups = kvFilesBelow(kRoot / "KV_GROUPS");
  ASSERT_GE(groups.size(), 25u);
  MoleculeOperations operations;
  for (const fs::path& p : groups) {
    std::unique_ptr<Molecule> group = load(p);
    ASSERT_TRUE(group) << p;
    EXPECT_EQ(p.stem().string(), group->getName()) << p;
    const unsigned int axes = group->calculateNumBondAxes();
    ASSERT_GE(axes, 1u) << p;
    const size_t realAtoms = group->atoms.size() - axes;
    for (unsigned int i = 0; i < axes; ++i) {
      Molecule* methyl = engine->parseKvtFile(methylFile.string());
      ASSERT_NE(nullptr, methyl);
      Bond* axis1 = firstAxis(group.get());
      Bond* axis2 = firstAxis(methyl);
      ASSERT_NE(nullptr, axis1) << p;
      Molecule* joined = operations.joinMolecules(group.get(), axis1, methyl, axis2);
      if (joined == nullptr) delete methyl;   // a refused join leaves the methyl with us
      ASSERT_EQ(group.get(), joined) << p;
    }
    // Finished: no axis left, every atom typed, four atoms more for each methyl.
    EXPECT_EQ(realAtoms + 4u * axes, group->atoms.size()) << p;
    for (const Atom* a : group->atoms) {
      EXPECT_NE("DUM", a->type) << p;
      EXPECT_FALSE(a->type.empty()) << p;
    }
    EXPECT_TRUE(engine->setCoordinates(group.get())) << p;
  }
}

}  // namespace
