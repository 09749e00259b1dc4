#include "model/BondTable.h"

#include <filesystem>
#include <functional>
#include <sstream>

#include "math/UtilityEngine.h"
#include "model/Atom.h"
#include "model/Molecule.h"
#include "parameters/TableText.h"

BondTable* BondTable::Table = nullptr;

namespace {

const char* const kLogPath = "Error/bondTableError.txt";
const char* const kTrimSet = "\r\n\t ";

// Reads a two-word list file: lines holding "//" are skipped, the rest trimmed; store gets the
// first two words of every line that has them. False, after `failure` on the error channel, when
// the file does not exist or cannot be opened.
bool readListFile(const char* relativePath, const char* failure,
                  const std::function<void(const std::string&, const std::string&)>& store) {
  std::error_code ignored;
  const std::filesystem::path path = std::filesystem::absolute(relativePath, ignored);
  std::ifstream in;
  if (std::filesystem::exists(path, ignored)) in.open(path);
  if (!in.is_open()) {
    printError(failure);
    return false;
  }
  for (std::string line; std::getline(in, line);) {
    if (line.find("//") != std::string::npos) continue;
    TableText::trimBoth(line, kTrimSet);
    if (line.empty()) continue;
    std::istringstream words(line);
    std::string first, second;
    if (!(words >> first >> second)) {
      ErrorLine() << "Error: BondTable: line without two words in \"" << relativePath << "\": \""
                  << line << "\"";
      continue;
    }
    store(first, second);
  }
  return true;
}

// The second "."-separated field of a structure code as an integer; 0 when there is none.
int structureNumber(const std::string& code) {
  std::vector<std::string> fields;
  UtilityEngine::instance()->tokenize(code, fields, ".");
  return fields.size() < 2 ? 0 : UtilityEngine::instance()->stringToInt(fields[1]);
}

template <class Map>
typename Map::mapped_type valueOf(const Map& map, const std::string& key) {
  const auto it = map.find(key);
  return it == map.end() ? typename Map::mapped_type() : it->second;
}

}  // namespace

// One end of the bond being looked up.
struct BondTable::Side {
  std::string name;        // the atom carrying the axis
  std::string baseLabel;   // its group label
  std::string key;         // label, or label "@" variation
  const Molecule* molecule = nullptr;
};

BondTable* BondTable::table() {
  if (!Table) Table = new BondTable();
  return Table;
}

BondTable::BondTable() {
  errorLog.open(kLogPath, std::ios::out | std::ios::trunc);
  if (!errorLog.is_open())
    printError("Error: ,BondTable::findTableEntry could not open bondTableError.txt file");
}

bool BondTable::initBondTable() {
  const bool loaded = initTableMap() && initAtomList() && initTableList() && initReference() &&
                      initStructureList();
  if (loaded) initialised = true;
  return loaded;
}

bool BondTable::initTableMap() {
  while (!tableFiles.empty()) {
    const std::string path = tableFiles.front();
    tableFiles.pop_front();
    std::ifstream in(path);
    if (!in.is_open()) {
      printError("Error: BondTable::initTableMap, could not open BondTable file" + path);
      return false;
    }
    std::string tableKey;
    std::getline(in, tableKey);
    UtilityEngine::instance()->clearWhiteSpaces(tableKey);
    if (tableKey.empty()) {
      printError("Error: BondTable::initTableMap, No table name");
      return false;
    }
    std::map<std::string, std::vector<TableEntry>> sections;
    std::string section;   // entries before the first "#" line stand under the empty name
    bool anyEntry = false;
    for (std::string line; std::getline(in, line);) {
      TableText::trimBoth(line, kTrimSet);
      if (line.empty()) continue;
      if (line[0] == '#') {
        section = line.substr(1);
        continue;
      }
      TableEntry entry;
      if (!makeTableEntry(line, path, entry)) continue;   // reported
      sections[section].push_back(entry);
      anyEntry = true;
    }
    if (anyEntry) tableMap[tableKey] = std::move(sections);
  }
  return true;
}

bool BondTable::makeTableEntry(const std::string& line, const std::string& path,
                               TableEntry& entry) const {
  TableRow row(line, "BondTable::initTableMap");
  if (row.size() < 7) {
    ErrorLine() << "Error: BondTable::initTableMap, entry with fewer than seven columns in \""
                << path << "\": \"" << line << "\"";
    return false;
  }
  TableEntry made;
  row.next(made.label);
  row.next(made.groupKey1);
  row.next(made.groupKey2);
  row.next(made.bondOrder);
  row.next(made.value1);
  row.next(made.value3);   // the sixth column is the third value
  row.next(made.value2);
  if (!row.good()) return false;   // reported by the row
  entry = made;
  return true;
}

void BondTable::printTableMap() const {
  // Walks every table, section and entry; it writes nothing.
  size_t entries = 0;
  for (const auto& table : tableMap)
    for (const auto& section : table.second) entries += section.second.size();
  static_cast<void>(entries);
}

bool BondTable::initAtomList() {
  return readListFile("Library/Tables/AtomList.txt",
                      "Error: BondTable::initAtomList, could not open AtomList file",
                      [this](const std::string& rank, const std::string& name) {
                        int value = 0;
                        if (TableText::toInt(rank, value))
                          atomList[name] = value;
                        else
                          ErrorLine() << "Error: BondTable::initAtomList, bad rank \"" << rank
                                      << "\" for \"" << name << "\"";
                      });
}

bool BondTable::initTableList() {
  return readListFile("Library/Tables/BondList.txt",
                      "Error: BondTable::initTableList, could not open BondList file",
                      [this](const std::string& word, const std::string& key) {
                        tableList[key] = word;
                      });
}

bool BondTable::initReference() {
  return readListFile("Library/Tables/References.txt",
                      "Error: BondTable::initReference, could not open References file",
                      [this](const std::string& key, const std::string& standIn) {
                        references[key] = standIn;
                      });
}

bool BondTable::initStructureList() {
  return readListFile("Library/Tables/StructureList.txt",
                      "Error: BondTable::initStructureList, could not open StructureList file",
                      [this](const std::string& code, const std::string& label) {
                        structureList[label] = code;
                      });
}

int BondTable::findTableEntry(BondAxis* axis1, BondAxis* axis2, int order, TableEntry& result) {
  return lookup(axis1, axis2, order, false, result);
}

int BondTable::findGenericTableEntry(BondAxis* axis1, BondAxis* axis2, int order,
                                     TableEntry& result) {
  return lookup(axis1, axis2, order, true, result);
}

int BondTable::scan(const Side& side1, const Side& side2, int order, std::string& tableKey,
                    std::string& keyA, std::string& keyB, TableEntry& result) {
  const int rank1 = valueOf(atomList, side1.name);
  const int rank2 = valueOf(atomList, side2.name);
  bool firstIsA = rank1 < rank2;
  bool symmetric = false;
  if (rank1 == rank2) {
    // Equal ranks: the structure numbers of the two groups decide.
    for (const Side* side : {&side1, &side2})
      if (valueOf(structureList, side->baseLabel).empty()) {
        if (errorLog.is_open())
          errorLog << "Error: BondTable::findTableEntry, StructureList.txt does not have entry for "
                   << side->baseLabel << "\n" << std::flush;
        return -1;
      }
    const int number1 = structureNumber(structureList[side1.baseLabel]);
    const int number2 = structureNumber(structureList[side2.baseLabel]);
    firstIsA = number1 <= number2;
    symmetric = number1 == number2;
  }
  const Side& a = firstIsA ? side1 : side2;
  const Side& b = firstIsA ? side2 : side1;
  tableKey = a.name + "-" + b.name;
  keyA = a.key;
  keyB = b.key;

  const auto table = tableMap.find(tableKey);
  if (table == tableMap.end()) return 0;
  const auto section = table->second.find(valueOf(structureList, a.baseLabel));
  if (section == table->second.end()) return 0;
  for (const TableEntry& entry : section->second) {
    if (entry.bondOrder != order) continue;
    if ((entry.groupKey1 == keyA && entry.groupKey2 == keyB) ||
        (symmetric && entry.groupKey1 == keyB && entry.groupKey2 == keyA)) {
      result = entry;
      return 1;
    }
  }
  return 0;
}

int BondTable::lookup(BondAxis* axis1, BondAxis* axis2, int order, bool generic,
                      TableEntry& result) {
  if (!axis1 || !axis2 || !axis1->atom || !axis2->atom) return 0;
  if (!initialised) initBondTable();

  Side sides[2];
  BondAxis* axes[2] = {axis1, axis2};
  for (int i = 0; i < 2; ++i) {
    const Atom* atom = axes[i]->atom;
    const bool own = axes[i]->hasOwnLabel;
    const std::string& variation = own ? axes[i]->variation : atom->variation;
    sides[i].name = atom->name;
    sides[i].baseLabel = own ? axes[i]->label : atom->groupLabel;
    sides[i].key = generic || variation.empty() ? sides[i].baseLabel
                                                : sides[i].baseLabel + "@" + variation;
    sides[i].molecule = atom->molecule;
  }

  std::string tableKey, keyA, keyB;
  int found = scan(sides[0], sides[1], order, tableKey, keyA, keyB, result);
  if (found != 0) return found > 0 ? 1 : 0;

  // Reference pass: a side whose key has a stand-in takes it, and the label before its "@".
  bool referenced = false;
  Side standIns[2] = {sides[0], sides[1]};
  for (Side& side : standIns) {
    const std::string standIn = valueOf(references, side.key);
    if (standIn.empty()) continue;
    side.key = standIn;
    side.baseLabel = standIn.substr(0, standIn.find('@'));
    referenced = true;
  }
  if (referenced) {
    found = scan(standIns[0], standIns[1], order, tableKey, keyA, keyB, result);
    if (found != 0) return found > 0 ? 1 : 0;
  }

  if (errorLog.is_open()) {
    if (generic) {
      errorLog << "Generic Bond No Entry in table   " << tableKey << "  for  " << keyA
               << "   bonded to   " << keyB << "\n";
    } else {
      errorLog << tableKey << "\t\t" << keyA << "\t\t" << keyB << "\t\t" << order << "\t\t"
               << (sides[0].molecule ? sides[0].molecule->getName() : std::string()) << "\t\t"
               << (sides[1].molecule ? sides[1].molecule->getName() : std::string()) << "\n";
    }
    errorLog.flush();
  }
  if (!generic) ++missCounts[keyA + "," + keyB];
  return 0;
}
