// The older group-keyed bond table: orientation by rank and structure number, stand-in groups,
// variations and the miss log.

#include <gtest/gtest.h>

#include "model/Atom.h"
#include "model/BondTable.h"
#include "model/Builder.h"
#include "model/Molecule.h"
#include "support/ErrorCapture.h"
#include "support/TextLines.h"
#include "support/WorkingFolder.h"

TEST(BondTableLookup, EndsAreOrientedWithStandInsAndVariationsAndMissesAreLogged) {
  kvtest::WorkingFolder folder;
  kvtest::ErrorCapture errors;
  folder.write("Library/Tables/AtomList.txt", "1 C\n2 O\n");
  folder.write("Library/Tables/StructureList.txt",
               "1.2 METHYL\n1.2 ETHYL extra\n1.2 PROPYL\n1.5 CARBONYL\n");
  folder.write("Library/Tables/BondList.txt", "t1 C-C\nt2 C-O\n");
  folder.write("Library/Tables/References.txt", "PROPYL METHYL\n");
  folder.write("Library/Tables/CC.txt",
               " C - C \n#1.2\ne1 METHYL@a ETHYL 1 1.0 2.0 3.0\ne2 METHYL ETHYL 1 1.5 2.5 3.5\n");
  // An unlisted label has the section with the empty name: the lines before the first "#".
  folder.write("Library/Tables/CO.txt", "C-O\nco1 UNLISTED CARBONYL 1 1.1 1.3 1.2\n");
  folder.write("Error/.keep", "");
  BondTable table;
  table.tableFiles = {"Library/Tables/CC.txt", "Library/Tables/CO.txt"};
  std::unique_ptr<Molecule> molecule(Builder::instance()->createMolecule());
  molecule->names.push_back("probe");
  std::vector<std::unique_ptr<BondAxis>> axes;
  auto axis = [&](const char* name, const char* group) {
    Atom* atom = Builder::instance()->createAtom();
    atom->name = name;
    atom->groupLabel = group;
    molecule->addAtom(atom);
    axes.emplace_back(new BondAxis());
    axes.back()->atom = atom;
    return axes.back().get();
  };

  TableEntry entry;
  ASSERT_EQ(1, table.findTableEntry(axis("O", "CARBONYL"), axis("C", "UNLISTED"), 1, entry));
  EXPECT_EQ("co1", entry.label);
  EXPECT_EQ((std::vector<float>{1.1f, 1.2f, 1.3f}),
            (std::vector<float>{entry.value1, entry.value2, entry.value3}))
      << "the seventh column before the sixth";
  // Equal structure numbers match either way round; PROPYL stands in for METHYL.
  const char* pairs[][2] = {{"ETHYL", "METHYL"}, {"PROPYL", "ETHYL"}};
  for (const auto& pair : pairs) {
    entry.label.clear();
    EXPECT_EQ(1, table.findTableEntry(axis("C", pair[0]), axis("C", pair[1]), 1, entry)) << pair[0];
    EXPECT_EQ("e2", entry.label) << pair[0];
  }
  // An axis's own label and variation stand in for its atom's.
  BondAxis* own = axis("C", "LONE");
  own->hasOwnLabel = true;
  own->label = "METHYL";
  own->variation = "a";
  ASSERT_EQ(1, table.findTableEntry(own, axis("C", "ETHYL"), 1, entry));
  EXPECT_EQ("e1", entry.label);

  // A miss leaves the entry alone, is counted and logged.
  EXPECT_EQ(0, table.findTableEntry(axis("C", "METHYL"), axis("C", "ETHYL"), 3, entry));
  EXPECT_EQ("e1", entry.label);
  EXPECT_EQ((std::map<std::string, int>{{"METHYL,ETHYL", 1}}), table.missCounts);
  EXPECT_EQ(std::vector<std::string>{"C-C\t\tMETHYL\t\tETHYL\t\t3\t\tprobe\t\tprobe"},
            kvtest::linesOf(folder.read("Error/bondTableError.txt")));
}

TEST(BondTableLoading, ShortOrBadEntryLinesAreRefusedAndAMissingLogStopsNothing) {
  kvtest::WorkingFolder folder;   // no "Error" folder: the log cannot be opened
  kvtest::ErrorCapture errors;
  BondTable table;
  EXPECT_NE(std::string::npos, errors.text().find("could not open bondTableError.txt"));

  TableEntry entry;
  entry.label = "kept";
  EXPECT_FALSE(table.makeTableEntry("e1 A B 1 1.0 2.0", "t.txt", entry));
  EXPECT_FALSE(table.makeTableEntry("e1 A B one 1.0 2.0 3.0", "t.txt", entry));
  EXPECT_EQ("kept", entry.label);
  ASSERT_TRUE(table.makeTableEntry("e2 A@x B 2 1.0 2.0 3.0 extra", "t.txt", entry));
  EXPECT_EQ("A@x", entry.groupKey1);
  EXPECT_EQ(2, entry.bondOrder);
  EXPECT_EQ(3.0f, entry.value2);
  EXPECT_EQ(2.0f, entry.value3);

  // Lookups go on without a log and still count their misses.
  folder.write("Library/Tables/AtomList.txt", "1 C\n");
  folder.write("Library/Tables/StructureList.txt", "1.2 METHYL\n");
  folder.write("Library/Tables/BondList.txt", "t1 C-C\n");
  folder.write("Library/Tables/References.txt", "\n");
  std::unique_ptr<Molecule> molecule(Builder::instance()->createMolecule());
  BondAxis axes[2];
  for (BondAxis& axis : axes) {
    Atom* atom = Builder::instance()->createAtom();
    atom->name = "C";
    atom->groupLabel = "METHYL";
    molecule->addAtom(atom);
    axis.atom = atom;
  }
  EXPECT_EQ(0, table.findTableEntry(&axes[0], &axes[1], 1, entry));
  EXPECT_EQ(1, table.missCounts["METHYL,METHYL"]);
  table.printTableMap();
}
