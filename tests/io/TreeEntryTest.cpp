// The strings of the library and Work Space tree items: each kind comes back from its string as
// it was written, names holding "#" included, and a string that is no entry reads as none.

#include <gtest/gtest.h>

#include <QTreeWidgetItem>

#include <string>

#include "io/TreeEntry.h"
#include "support/BadTreeEntries.h"
#include "support/QtApplication.h"

namespace {

using Kind = TreeEntry::Kind;

std::string describe(const TreeEntry& e) {
  return std::to_string(static_cast<int>(e.kind)) + " " + std::to_string(e.index) + " " +
         (e.hasName ? "named " : "") + "[" + e.name + "] [" + e.part + "]";
}

TEST(TreeEntries, EveryKindIsWrittenAsStoredAndReadBack) {
  const struct {
    TreeEntry entry;
    const char* text;
  } cases[] = {
      {TreeEntry::folder(), "_folder"},
      {TreeEntry::listed(Kind::Molecule, 12), "M12"},
      {TreeEntry::listed(Kind::Molecule, 0).withName("1abc_0"), "M0#1abc_0"},
      {TreeEntry::listed(Kind::Group, 3), "F3"},
      {TreeEntry::listed(Kind::History, 0), "H0"},
      {TreeEntry::listed(Kind::History, 4).withName("caffeine"), "H4#caffeine"},
      {TreeEntry::listed(Kind::History, 4).withName("C#C"), "H4#C#C"},
      {TreeEntry::listed(Kind::History, 2).withName(""), "H2#"},
      {TreeEntry::pdbPart("1abc_0", "A", 7), "PDB#1abc_0#A#7"},
      {TreeEntry::pdbPart("a#1", "WATER", 0), "PDB#a#1#WATER#0"},
      {TreeEntry::pdbPart("", "HETATM", 3), "PDB##HETATM#3"},
      {TreeEntry::pdbPart("1abc_0", "1"), "PDB#1abc_0#1"},   // the legacy loader's, no index
      {TreeEntry::listed(Kind::Molecule, 2147483647), "M2147483647"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.text, writeTreeEntry(c.entry)) << describe(c.entry);
    const TreeEntry read = readTreeEntry(std::string(c.text));
    EXPECT_EQ(describe(c.entry), describe(read)) << c.text;
    EXPECT_EQ(c.text, writeTreeEntry(read));
  }
}

TEST(TreeEntries, AStringThatIsNoEntryReadsAsNoneNeverAsIndexZero) {
  for (const char* text : kvtest::kBadTreeEntries) {
    const TreeEntry entry = readTreeEntry(std::string(text));
    EXPECT_TRUE(entry.isNone()) << "\"" << text << "\" read as " << describe(entry);
    EXPECT_FALSE(entry.isListed()) << text;
    EXPECT_EQ("", writeTreeEntry(entry)) << text;
  }
  // Entries that cannot be written are none too, so no item carries "M-1".
  EXPECT_TRUE(TreeEntry::listed(Kind::History, -1).isNone());
  EXPECT_TRUE(TreeEntry::listed(Kind::Folder, 3).isNone());
  EXPECT_EQ("", writeTreeEntry(TreeEntry::listed(Kind::PdbPart, 1)));
}

TEST(TreeEntries, TheViewIsHandedTheLeadingFieldOfAnItem) {
  const char* const cases[][2] = {{"H4#caffeine", "H4"},   {"PDB#1abc#A#7", "PDB"},
                                  {"_folder", "_folder"},  {"M12", "M12"},
                                  {"#H4", ""},             {"", ""}};
  for (const auto& c : cases)
    EXPECT_EQ(c[1], leadingField(QString::fromLatin1(c[0])).toStdString()) << c[0];
  // What the view reads of the leading field is the entry the item stands for, less its name.
  const TreeEntry whole = readTreeEntry(std::string("H4#C#C"));
  const TreeEntry lead = readTreeEntry(leadingField("H4#C#C"));
  EXPECT_EQ(whole.kind, lead.kind);
  EXPECT_EQ(whole.index, lead.index);
}

TEST(TreeEntries, ItemsCarryTheStringUnderTheUserRole) {
  kvtest::ensureApplication();
  QTreeWidgetItem item;
  setTreeEntry(&item, TreeEntry::pdbPart("x", "B", 5));
  EXPECT_EQ("PDB#x#B#5", item.data(0, Qt::UserRole).toString().toStdString());
  EXPECT_EQ("PDB#x#B#5", treeEntryText(&item).toStdString());
  EXPECT_EQ(5, treeEntryOf(&item).index);
  EXPECT_TRUE(treeEntryOf(nullptr).isNone());
}

}  // namespace
