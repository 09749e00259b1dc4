// The one writer and the one reader of the strings the library and Work Space tree items carry.

#include "io/TreeEntry.h"

#include <QTreeWidgetItem>

#include <climits>

namespace {

const char* const kFolderText = "_folder";
const char* const kPartTag = "PDB#";

char letterOf(TreeEntry::Kind kind) {
  switch (kind) {
    case TreeEntry::Kind::Molecule: return 'M';
    case TreeEntry::Kind::Group: return 'F';
    case TreeEntry::Kind::History: return 'H';
    default: return '\0';
  }
}

TreeEntry::Kind kindOfLetter(char letter) {
  switch (letter) {
    case 'M': return TreeEntry::Kind::Molecule;
    case 'F': return TreeEntry::Kind::Group;
    case 'H': return TreeEntry::Kind::History;
    default: return TreeEntry::Kind::None;
  }
}

// The whole text as a decimal index: digits only, at least one, within an int; else -1.
int readIndex(const std::string& text) {
  if (text.empty() || text.size() > 10) return -1;
  long long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value <= INT_MAX ? static_cast<int>(value) : -1;
}

// "<name>#<part>#<index>", read from the right, so a name holding "#" cannot shift the part or
// the index; "<name>#<part>" (no index) when the name holds none.
TreeEntry readPart(const std::string& body) {
  const size_t last = body.rfind('#');
  if (last == std::string::npos) return TreeEntry();
  const std::string head = body.substr(0, last);
  const std::string tail = body.substr(last + 1);
  const size_t before = head.rfind('#');
  const int index = readIndex(tail);
  if (before != std::string::npos && index >= 0) {
    const std::string part = head.substr(before + 1);
    if (part.empty()) return TreeEntry();
    return TreeEntry::pdbPart(head.substr(0, before), part, index);
  }
  if (before == std::string::npos && !tail.empty()) return TreeEntry::pdbPart(head, tail);
  return TreeEntry();
}

}  // namespace

TreeEntry TreeEntry::folder() {
  TreeEntry entry;
  entry.kind = Kind::Folder;
  return entry;
}

TreeEntry TreeEntry::listed(Kind kind, int index) {
  TreeEntry entry;
  if (letterOf(kind) == '\0' || index < 0) return entry;
  entry.kind = kind;
  entry.index = index;
  return entry;
}

TreeEntry TreeEntry::pdbPart(const std::string& name, const std::string& part, int index) {
  TreeEntry entry;
  entry.kind = Kind::PdbPart;
  entry.name = name;
  entry.part = part;
  entry.index = index < 0 ? -1 : index;
  return entry;
}

TreeEntry TreeEntry::withName(const std::string& moleculeName) const {
  TreeEntry entry = *this;
  if (!isListed()) return entry;
  entry.hasName = true;
  entry.name = moleculeName;
  return entry;
}

bool TreeEntry::isListed() const { return letterOf(kind) != '\0' && index >= 0; }

std::string writeTreeEntry(const TreeEntry& entry) {
  switch (entry.kind) {
    case TreeEntry::Kind::None: return std::string();
    case TreeEntry::Kind::Folder: return kFolderText;
    case TreeEntry::Kind::PdbPart:
      return kPartTag + entry.name + "#" + entry.part +
             (entry.index >= 0 ? "#" + std::to_string(entry.index) : std::string());
    default:
      if (!entry.isListed()) return std::string();
      return letterOf(entry.kind) + std::to_string(entry.index) +
             (entry.hasName ? "#" + entry.name : std::string());
  }
}

TreeEntry readTreeEntry(const std::string& text) {
  if (text == kFolderText) return TreeEntry::folder();
  if (text.compare(0, 4, kPartTag) == 0) return readPart(text.substr(4));
  if (text.empty()) return TreeEntry();
  const TreeEntry::Kind kind = kindOfLetter(text[0]);
  if (kind == TreeEntry::Kind::None) return TreeEntry();
  const size_t mark = text.find('#');
  const TreeEntry entry = TreeEntry::listed(kind, readIndex(text.substr(1, mark - 1)));
  if (entry.isNone() || mark == std::string::npos) return entry;
  return entry.withName(text.substr(mark + 1));
}

TreeEntry readTreeEntry(const QString& text) { return readTreeEntry(text.toStdString()); }

QString leadingField(const QString& text) { return text.section(QLatin1Char('#'), 0, 0); }

QString treeEntryText(const QTreeWidgetItem* item) {
  return item != nullptr ? item->data(0, Qt::UserRole).toString() : QString();
}

TreeEntry treeEntryOf(const QTreeWidgetItem* item) { return readTreeEntry(treeEntryText(item)); }

void setTreeEntry(QTreeWidgetItem* item, const TreeEntry& entry) {
  if (item == nullptr) return;
  item->setData(0, Qt::UserRole, QString::fromStdString(writeTreeEntry(entry)));
}
