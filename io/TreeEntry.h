#pragma once

// What an item of the library and Work Space trees stands for. The item carries it as one string
// under Qt::UserRole of column 0, a drag carries the same string as text and stored layouts may
// hold it, so the strings never change:
//
//   "_folder"                     a folder
//   "M<index>"                    a library molecule (MoleculeEngine::molecules); the legacy PDB
//   "M<index>#<name>"             folder loader names it
//   "F<index>"                    a group or template (MoleculeEngine::groups)
//   "H<index>"                    a history entry (MoleculeEngine::history); named when it hangs
//   "H<index>#<name>"             in the folder of a file
//   "PDB#<name>#<part>#<index>"   a part of a PDB molecule (a chain identifier, "HETATM" or
//                                 "WATER") and the molecule's history index
//   "PDB#<name>#<part>"           a part made by the legacy PDB folder loader, without an index
//
// Every place that makes an item's string writes it with writeTreeEntry, and every place that
// reads one reads it with readTreeEntry: a string that is none of these (a bad index "Hx" or
// "M-1", a part without its part "PDB#a", "") is None, never an entry at index 0.

#include <QString>

#include <string>

class QTreeWidgetItem;

struct TreeEntry {
  enum class Kind { None, Folder, Molecule, Group, History, PdbPart };

  Kind kind = Kind::None;
  int index = -1;          // into the list the kind names (a part: the history); -1 for none
  bool hasName = false;    // a molecule or history entry with "#" and the name after its index
  std::string name;        // the molecule's name (named entries and parts); may hold "#"
  std::string part;        // a part: a chain identifier, "HETATM" or "WATER"

  static TreeEntry folder();
  // A molecule, group or history entry at index.
  static TreeEntry listed(Kind kind, int index);
  // A part of the PDB molecule name; index -1 leaves the index out (the legacy loader).
  static TreeEntry pdbPart(const std::string& name, const std::string& part, int index = -1);
  // The same entry with "#" and the name after its index.
  TreeEntry withName(const std::string& moleculeName) const;

  bool isNone() const { return kind == Kind::None; }
  // A molecule, group or history entry: what the view can bring into the scene.
  bool isListed() const;
};

// The item string of an entry; "" for None.
std::string writeTreeEntry(const TreeEntry& entry);
// The entry an item string stands for; None for anything writeTreeEntry does not write.
TreeEntry readTreeEntry(const std::string& text);
TreeEntry readTreeEntry(const QString& text);

// What a drag from the Work Space and a double-click hand to the view: the text before the
// first "#" ("H4" of "H4#caffeine", "PDB" of a part, the whole text when it has none).
QString leadingField(const QString& text);

// The string an item carries, and the entry it stands for (None for a null item).
QString treeEntryText(const QTreeWidgetItem* item);
TreeEntry treeEntryOf(const QTreeWidgetItem* item);
void setTreeEntry(QTreeWidgetItem* item, const TreeEntry& entry);
