#include "parameters/InputParameters.h"

#include <QFile>

#include <cstdio>
#include <cstdlib>

#include "math/UtilityEngine.h"

// The tables are compiled into kv_resources, a static library: its resources register only when
// this is called from code that is linked in. Outside any namespace, as the macro requires.
static void registerTableResources() {
  Q_INIT_RESOURCE(tables);
}

InputParameters* InputParameters::Instance = nullptr;
const char* const InputParameters::resourcePrefix = ":/KestavorGUI/Resources/";

InputParameters* InputParameters::instance() {
  if (!Instance)
    Instance = new InputParameters();
  return Instance;
}

InputParameters* InputParameters::swapInstance(InputParameters* replacement) {
  InputParameters* previous = Instance;
  Instance = replacement;
  return previous;
}

InputParameters::InputParameters() {
  registerTableResources();
  loadTables(resourcePrefix);
}

InputParameters::InputParameters(EmptyTables) {}

InputParameters::~InputParameters() {
  releaseTables();
}

void InputParameters::loadTables(const std::string& folder) {
  maxTypeRuleLevel = 0;
  minTypeRuleLevel = 0;
  readInBondTable((folder + "bondparameters.txt").c_str());
  readInAngleTable((folder + "angleparameters.txt").c_str());
  readInDihedralTable((folder + "dihedralparameters.txt").c_str());
  readInAtomTypeTable((folder + "supertype.txt").c_str());
  readInBondMomentTable((folder + "bondmoments.txt").c_str());
  readInCyclicTemplateTable((folder + "cyclictemplates.txt").c_str());
  readInCombineRules((folder + "combinerules.txt").c_str());
  readInEmagTable((folder + "emag.txt").c_str());
  readInElementTable((folder + "element.txt").c_str());
  readInBasicRingTable((folder + "basicrings.txt").c_str());
  readInTypeRulesTable((folder + "basicatomtypes.txt").c_str());
  readInBondOrderTable((folder + "bondordertable.txt").c_str());
  readInHybridTypeTable((folder + "hybridatomtypes.txt").c_str());
  readInRingStrainTable((folder + "ringstrain.txt").c_str());
}

template <class Record>
static void deleteAll(std::vector<Record*>& table) {
  for (Record* record : table)
    delete record;
  table.clear();
}

void InputParameters::releaseTables() {
  deleteAll(bondParameters);
  deleteAll(angleParameters);
  deleteAll(dihedralParameters);
  deleteAll(atomTypeParameters);
  deleteAll(elementParameters);
  deleteAll(basicRings);
  deleteAll(bondMomentParameters);
  deleteAll(emagBondParameters);
  deleteAll(emagAngleParameters);
  deleteAll(emagDihedralParameters);
  deleteAll(cyclicTemplates);
  deleteAll(typeRules);
  deleteAll(hybridAtomTypes);
  deleteAll(bondOrderParameters);
  deleteAll(ringStrainParameters);
  combineRules.clear();
  deleteAll(ownedUpdateRules);
  maxTypeRuleLevel = 0;
  minTypeRuleLevel = 0;
}

// Reads a whole table, or ends the process: without its tables the program cannot type a
// single atom, so there is nothing sensible to go on with.
static std::string readTableOrExit(const char* path, const char* message) {
  QFile file(QString::fromUtf8(path));
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
    printError(message);
    std::exit(1);
  }
  QByteArray bytes = file.readAll();
  return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

void InputParameters::readInBondTable(const char* path) {
  parseBondTable(readTableOrExit(path, "Error: failed to read bond parameters file"));
}

void InputParameters::readInAngleTable(const char* path) {
  parseAngleTable(readTableOrExit(path, "Error: failed to read angle parameters file"));
}

void InputParameters::readInDihedralTable(const char* path) {
  parseDihedralTable(readTableOrExit(path, "Error: failed to read dihedral parameters file"));
}

void InputParameters::readInAtomTypeTable(const char* path) {
  parseAtomTypeTable(readTableOrExit(path, "Error: failed to read atom type parameters file"));
}

void InputParameters::readInBondMomentTable(const char* path) {
  parseBondMomentTable(readTableOrExit(path, "Error: failed to read bond moment file"));
}

void InputParameters::readInCyclicTemplateTable(const char* path) {
  parseCyclicTemplateTable(readTableOrExit(path, "Error: failed to read cyclic tamplate file"));
}

void InputParameters::readInCombineRules(const char* path) {
  parseCombineRules(readTableOrExit(path, "Error: failed to read combine rules file"));
}

void InputParameters::readInEmagTable(const char* path) {
  parseEmagTable(readTableOrExit(path, "Error: failed to emag parameters file"));
}

void InputParameters::readInElementTable(const char* path) {
  parseElementTable(readTableOrExit(path, "Error: failed to read element parameters file"));
}

void InputParameters::readInBasicRingTable(const char* path) {
  parseBasicRingTable(readTableOrExit(path, "Error: failed to read basic ring table file"));
}

void InputParameters::readInTypeRulesTable(const char* path) {
  parseTypeRulesTable(readTableOrExit(path, "Error: failed to read atom type rules file"));
}

void InputParameters::readInBondOrderTable(const char* path) {
  parseBondOrderTable(readTableOrExit(path, "Error: failed to read bond order table file"));
}

void InputParameters::readInHybridTypeTable(const char* path) {
  parseHybridTypeTable(readTableOrExit(path, "Error: failed to read hybrid type table file"));
}

void InputParameters::readInRingStrainTable(const char* path) {
  parseRingStrainTable(readTableOrExit(path, "Error: failed to read ring strain table file"));
}
