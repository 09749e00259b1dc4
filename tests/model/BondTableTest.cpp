// The older group-keyed bond table: orientation by rank and structure number, variations,
// stand-in groups and the miss log.

#include <gtest/gtest.h>

#include "model/Atom.h"
#include "model/BondTable.h"
#include "model/Builder.h"
#include "model/Molecule.h"
#include "support/ErrorCapture.h"
#include "support/TextLines.h"
#include "support/WorkingFolder.h"

namespace {

class BondTableLookup : public ::testing::Test {
 protected:
  void SetUp() override {
    folder.write("Library/Tables/AtomList.txt", "1 C\n2 O\n// 3 C\n");
    folder.write("Library/Tables/StructureList.txt",
                 "1.2 METHYL\n1.2 ETHYL extra\n1.2 PROPYL\n1.5 CARBONYL\n");
    folder.write("Library/Tables/BondList.txt", "t1 C-C\nt2 C-O\n");
    folder.write("Library/Tables/References.txt", "PROPYL METHYL\n");
    folder.write("Library/Tables/CC.txt",
                 " C - C \n#1.2\ne1 METHYL@a ETHYL 1 1.0 2.0 3.0\ne2 METHYL ETHYL 1 1.5 2.5 3.5\n"
                 "short METHYL ETHYL 2\n#1.5\ne3 CARBONYL METHYL 1 0 0 0\n");
    // An unlisted label has the section with the empty name: the lines before the first "#".
    folder.write("Library/Tables/CO.txt", "C-O\nco1 UNLISTED CARBONYL 1 1.1 1.3 1.2\n");
    folder.write("Error/.keep", "");
    table.reset(new BondTable());
    table->tableFiles = {"Library/Tables/CC.txt", "Library/Tables/CO.txt"};
    molecule.reset(Builder::instance()->createMolecule());
    molecule->names.push_back("probe");
  }

  // A bond axis on a new atom of the given name and group.
  BondAxis* axis(const char* name, const char* group, const char* variation = "") {
    Atom* atom = Builder::instance()->createAtom();
    atom->name = name;
    atom->groupLabel = group;
    atom->variation = variation;
    molecule->addAtom(atom);
    axes.emplace_back(new BondAxis());
    axes.back()->atom = atom;
    return axes.back().get();
  }
  std::string log() const { return folder.read("Error/bondTableError.txt"); }

  kvtest::WorkingFolder folder;
  kvtest::ErrorCapture errors;
  std::unique_ptr<BondTable> table;
  std::unique_ptr<Molecule> molecule;
  std::vector<std::unique_ptr<BondAxis>> axes;
  TableEntry entry;
};

}  // namespace

TEST_F(BondTableLookup, EndsAreOrderedByRankThenStructureNumberWithStandInsAndVariations) {
  ASSERT_EQ(1, table->findTableEntry(axis("O", "CARBONYL"), axis("C", "UNLISTED"), 1, entry));
  EXPECT_EQ("co1", entry.label);
  EXPECT_EQ((std::vector<float>{1.1f, 1.2f, 1.3f}),
            (std::vector<float>{entry.value1, entry.value2, entry.value3}))
      << "the seventh column before the sixth";
  EXPECT_EQ("", log()) << "the structure list is not consulted for the order";
  ASSERT_EQ(1u, errors.lines.size()) << errors.text();
  EXPECT_NE(std::string::npos, errors.lines[0].find("short METHYL ETHYL 2"));
  // Equal structure numbers match either way round; PROPYL stands in for METHYL.
  const char* pairs[][2] = {{"METHYL", "ETHYL"}, {"ETHYL", "METHYL"}, {"PROPYL", "ETHYL"}};
  for (const auto& pair : pairs) {
    entry.label.clear();
    EXPECT_EQ(1, table->findTableEntry(axis("C", pair[0]), axis("C", pair[1]), 1, entry))
        << pair[0];
    EXPECT_EQ("e2", entry.label) << pair[0];
  }
  // A variation counts for the exact lookup only; an axis's own label and variation stand in
  // for its atom's.
  BondAxis* ethyl = axis("C", "ETHYL");
  ASSERT_EQ(1, table->findGenericTableEntry(axis("C", "METHYL", "a"), ethyl, 1, entry));
  EXPECT_EQ("e2", entry.label);
  BondAxis* own = axis("C", "LONE");
  own->hasOwnLabel = true;
  own->label = "METHYL";
  own->variation = "a";
  ASSERT_EQ(1, table->findTableEntry(own, ethyl, 1, entry));
  EXPECT_EQ("e1", entry.label);
}

TEST_F(BondTableLookup, MissesAreLoggedAndExactOnesCountedOnce) {
  entry.label = "caller's";
  EXPECT_EQ(0, table->findTableEntry(axis("C", "METHYL"), axis("C", "ETHYL"), 3, entry));
  EXPECT_EQ(0, table->findGenericTableEntry(axis("C", "METHYL"), axis("C", "ETHYL"), 3, entry));
  EXPECT_EQ(0, table->findTableEntry(axis("C", "METHYL"), axis("C", "UNLISTED"), 1, entry));
  EXPECT_EQ("caller's", entry.label);
  EXPECT_EQ((std::map<std::string, int>{{"METHYL,ETHYL", 1}}), table->missCounts);
  EXPECT_EQ((std::vector<std::string>{
                "C-C\t\tMETHYL\t\tETHYL\t\t3\t\tprobe\t\tprobe",
                "Generic Bond No Entry in table   C-C  for  METHYL   bonded to   ETHYL",
                "Error: BondTable::findTableEntry, StructureList.txt does not have entry for "
                "UNLISTED"}),
            kvtest::linesOf(log()));

  // Without a list the load fails, and without the log folder misses go unlogged.
  std::filesystem::remove(folder.folder / "Library/Tables/References.txt");
  std::filesystem::remove_all(folder.folder / "Error");
  errors.clear();
  BondTable unlogged;
  EXPECT_FALSE(unlogged.initBondTable());
  EXPECT_EQ(0, unlogged.findTableEntry(axis("C", "METHYL"), axis("C", "ETHYL"), 1, entry));
  EXPECT_EQ((std::vector<std::string>{
                "Error: ,BondTable::findTableEntry could not open bondTableError.txt file",
                "Error: BondTable::initReference, could not open References file",
                "Error: BondTable::initReference, could not open References file"}),
            errors.lines);
}
