#ifndef KV_MODEL_BONDTABLE_H
#define KV_MODEL_BONDTABLE_H

// An older bond-parameter table keyed by the functional groups on either side of a bond rather
// than by atom types. It answers one question: given the two bond axes about to be joined and
// the bond order, which entry describes the bond. The live bond parameters come from
// InputParameters; nothing in the application reaches this class.
//
// Files, below "Library/Tables" of the working directory (lines holding "//" are skipped, lines
// are trimmed, the first two words count):
//   StructureList.txt  structure code ("1.4.2"), group label
//   AtomList.txt       rank, atom name
//   BondList.txt       any word, table key ("C-O")
//   References.txt     group key, the group key that stands in for it
// A bond-table file (the caller lists them in tableFiles): the table key on its first line, then
// "#code" lines that open a section and entry lines of seven columns
//   label groupKey1 groupKey2 order value1 value3 value2
// Misses and missing structure codes are logged to "Error/bondTableError.txt".

#include <deque>
#include <fstream>
#include <map>
#include <string>
#include <vector>

class BondAxis;

struct TableEntry {
  std::string label;       // copied, never compared
  std::string groupKey1;   // the end that sorts first
  std::string groupKey2;
  int bondOrder = 0;
  float value1 = 0.0f;     // fifth column
  float value2 = 0.0f;     // seventh column
  float value3 = 0.0f;     // sixth column
};

class BondTable {
 public:
  static BondTable* Table;   // null until the first table() call; never destroyed
  static BondTable* table();

  // Opens (truncating) the log; when it cannot be opened that is reported once and the
  // lookups go on without logging.
  BondTable();

  // Both lookups: 1 with the entry copied into result, else 0 with result untouched. Either axis
  // null gives 0. The tables are loaded on the first lookup, and again while a load has failed.
  // The exact lookup keys each side by group label and variation ("label@variation"), the
  // generic one by the label alone.
  int findTableEntry(BondAxis* axis1, BondAxis* axis2, int order, TableEntry& result);
  int findGenericTableEntry(BondAxis* axis1, BondAxis* axis2, int order, TableEntry& result);

  // Runs the five readers in order and stops at the first that fails; true when all succeed.
  bool initBondTable();
  bool initTableMap();   // reads and removes the paths of tableFiles, first in first out
  bool initAtomList();
  bool initTableList();
  bool initReference();
  bool initStructureList();

  // Builds the entry of one bond-table line (label, two group keys, order, then the fifth,
  // sixth and seventh columns into value1, value3 and value2). False, with the line reported,
  // when it has fewer than seven columns or a column is not a number; entry is then untouched.
  bool makeTableEntry(const std::string& line, const std::string& path, TableEntry& entry) const;
  // Walks every table, section and entry of tableMap; it writes nothing.
  void printTableMap() const;

  // Paths of the bond-table files, opened as given; none leaves the table map empty.
  std::deque<std::string> tableFiles;
  // table key -> section (structure code) -> entries in file order
  std::map<std::string, std::map<std::string, std::vector<TableEntry>>> tableMap;
  std::map<std::string, int> atomList;                  // atom name -> rank
  std::map<std::string, std::string> references;        // group key -> stand-in group key
  std::map<std::string, std::string> tableList;         // table key -> first word of its line
  std::map<std::string, std::string> structureList;     // group label -> structure code
  bool initialised = false;
  std::map<std::string, int> missCounts;                // "keyA,keyB" -> failed exact lookups

 private:
  struct Side;
  int lookup(BondAxis* axis1, BondAxis* axis2, int order, bool generic, TableEntry& result);
  // Orients the two sides and scans their section; 1 on a hit, 0 on a miss, -1 when a structure
  // code is missing (already logged). keyA and keyB are set whenever the result is not -1.
  int scan(const Side& side1, const Side& side2, int order, std::string& tableKey,
           std::string& keyA, std::string& keyB, TableEntry& result);
  std::ofstream errorLog;
};

#endif
