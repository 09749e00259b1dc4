// Readers of the row tables: bond, angle, dihedral, atom type, element, bond moment, bond order,
// hybrid type, Emag and ring strain. Each line is trimmed, "//" lines are skipped and the line is
// cut at its first "/" before its values are taken.

#include "parameters/InputParameters.h"

#include "math/Constants.h"
#include "math/UtilityEngine.h"
#include "parameters/TableText.h"

#include <iostream>
#include <memory>

namespace {

const float kDegreesToRadians = 0.017453292f;

void upperCase(std::string& text) {
  UtilityEngine::instance()->toUpper(text);
}

// Appends the record when its row read cleanly; a bad row was reported by TableRow.
template <class Record>
void keepIfGood(std::unique_ptr<Record>& record, const TableRow& row,
                std::vector<Record*>& table) {
  if (row.good())
    table.push_back(record.release());
}

}  // namespace

void InputParameters::parseBondTable(const std::string& text) {
  bool approximated = false;
  for (std::string line : TableText::lines(text)) {
    if (!TableText::prepareLine(line, "\t "))
      continue;
    upperCase(line);
    if (line == "#EXACT#") {
      approximated = false;
      continue;
    }
    if (line == "#APPROXIMATED#") {
      approximated = true;
      continue;
    }
    auto record = std::make_unique<BondParameters>();
    TableRow row(line, "InputParameters::readInBondTable");
    row.next(record->atom1);
    row.next(record->atom2);
    row.next(record->bondOrder);
    float axisBohr = 0.0f;
    row.next(axisBohr);
    record->majorAxis = static_cast<float>(axisBohr * kBohrToAngstrom);
    row.next(record->distance);
    row.next(record->bondEnergy);
    row.next(record->bondMoment);
    record->approximated = approximated;
    keepIfGood(record, row, bondParameters);
  }
}

void InputParameters::parseAngleTable(const std::string& text) {
  for (std::string line : TableText::lines(text)) {
    if (!TableText::prepareLine(line, "\t "))
      continue;
    upperCase(line);
    auto record = std::make_unique<AngleParameters>();
    TableRow row(line, "InputParameters::readInAngleTable");
    row.next(record->atom1);
    row.next(record->centre);
    row.next(record->atom3);
    row.next(record->angle);
    if (!row.atEnd())
      row.next(record->value5);
    if (!row.atEnd())
      row.next(record->value6);
    keepIfGood(record, row, angleParameters);
  }
}

void InputParameters::parseDihedralTable(const std::string& text) {
  // A pair row belongs to the AXIS row above it, which names the two central types.
  std::string centre1;
  std::string centre2;
  for (std::string line : TableText::lines(text)) {
    if (!TableText::prepareLine(line, "\t "))
      continue;
    upperCase(line);
    auto record = std::make_unique<DihedralParameters>();
    TableRow row(line, "InputParameters::readInDihedralTable");
    if (TableText::startsWith(line, "AXIS")) {
      std::string word;
      std::string first;
      std::string second;
      row.next(word);
      row.next(first);
      row.next(second);
      centre1 = first;
      centre2 = second;
      record->atom1 = "*";
      record->atom4 = "*";
    } else {
      row.next(record->atom1);
      row.next(record->atom4);
    }
    record->atom2 = centre1;
    record->atom3 = centre2;
    row.next(record->bondOrder);
    row.next(record->periodicity);
    float phaseDegrees = 0.0f;
    row.next(phaseDegrees);
    record->phase = phaseDegrees * kDegreesToRadians;
    row.next(record->barrier);
    keepIfGood(record, row, dihedralParameters);
  }
}

void InputParameters::parseAtomTypeTable(const std::string& text) {
  for (std::string line : TableText::lines(text)) {
    if (!TableText::prepareLine(line, "\t "))
      continue;
    auto record = std::make_unique<AtomTypeParameters>();
    TableRow row(line, "InputParameters::readInAtomTypeTable");
    row.next(record->type);
    row.next(record->btype);
    row.next(record->stype);
    row.next(record->element);
    row.next(record->mass);
    row.next(record->radius);
    row.next(record->vdwSig);
    row.next(record->vdwR);
    row.next(record->negativity);
    row.next(record->hardness);
    row.next(record->piElectrons);
    // The twelfth column, the valence, lives in the element table.
    upperCase(record->type);
    upperCase(record->stype);
    keepIfGood(record, row, atomTypeParameters);
  }
}

void InputParameters::parseElementTable(const std::string& text) {
  for (std::string line : TableText::lines(text)) {
    if (!TableText::prepareLine(line, "\t "))
      continue;
    auto record = std::make_unique<ElementParameters>();
    TableRow row(line, "InputParameters::readInElementTable");
    row.next(record->symbol);
    while (!row.atEnd() && row.good()) {
      int valence = 0;
      row.next(valence);
      record->valences.push_back(valence);
    }
    if (record->valences.empty())
      record->valences.push_back(0);
    record->valence = record->valences.front();
    upperCase(record->symbol);
    keepIfGood(record, row, elementParameters);
  }
}

void InputParameters::parseBondMomentTable(const std::string& text) {
  // Names stay as written ("Cl"): the moment lookup compares them case-sensitively.
  for (std::string line : TableText::lines(text)) {
    if (!TableText::prepareLine(line, "\t "))
      continue;
    auto record = std::make_unique<BondMomentParameters>();
    TableRow row(line, "InputParameters::readInBondMomentTable");
    row.next(record->type1);
    row.next(record->type2);
    row.next(record->bondOrder);
    row.next(record->distance);
    row.next(record->moment);
    keepIfGood(record, row, bondMomentParameters);
  }
}

void InputParameters::parseBondOrderTable(const std::string& text) {
  for (std::string line : TableText::lines(text)) {
    if (!TableText::prepareLine(line, " "))
      continue;
    std::vector<std::string> tokens;
    UtilityEngine::instance()->tokenize(line, tokens, " \t");
    if (tokens.size() != 5)   // reported, then read as far as its values go
      ErrorLine() << "readInBondOrderTable : Error in line : " << line;
    upperCase(line);
    auto record = std::make_unique<BondOrderParameters>();
    TableRow row(line, "InputParameters::readInBondOrderTable");
    row.next(record->element1);
    row.next(record->element2);
    row.next(record->bondOrder);
    row.next(record->minDistance);
    row.next(record->maxDistance);
    keepIfGood(record, row, bondOrderParameters);
  }
}

void InputParameters::parseHybridTypeTable(const std::string& text) {
  for (std::string line : TableText::lines(text)) {
    if (!TableText::prepareLine(line, "\t "))
      continue;
    auto record = std::make_unique<HybridAtomTypes>();
    TableRow row(line, "InputParameters::readInHybridTypeTable");
    row.next(record->type1);
    row.next(record->type2);
    row.next(record->resultType);
    keepIfGood(record, row, hybridAtomTypes);
  }
}

void InputParameters::parseRingStrainTable(const std::string& text) {
  for (std::string line : TableText::lines(text)) {
    if (!TableText::prepareLine(line, "\t "))
      continue;
    upperCase(line);
    auto record = std::make_unique<RingStrainParameters>();
    TableRow row(line, "InputParameters::readInRingStrainTable");
    row.next(record->kind);
    row.next(record->ringSize);
    row.next(record->energy);
    keepIfGood(record, row, ringStrainParameters);
  }
}

void InputParameters::parseEmagTable(const std::string& text) {
  enum Section { Bond, Angle, Dihedral };
  Section section = Bond;   // rows before the first header are bond rows
  for (std::string line : TableText::lines(text)) {
    if (!TableText::prepareLine(line, " "))
      continue;
    size_t lastNonBlank = line.find_last_not_of(' ');
    if (lastNonBlank == std::string::npos || lastNonBlank <= 2)
      continue;
    upperCase(line);
    if (TableText::startsWith(line, "BOND")) {
      section = Bond;
      continue;
    }
    if (TableText::startsWith(line, "ANGL")) {
      section = Angle;
      continue;
    }
    if (TableText::startsWith(line, "DIHE")) {
      section = Dihedral;
      continue;
    }
    TableRow row(line, "InputParameters::readInEmagTable");
    if (section == Bond) {
      auto record = std::make_unique<EmagBondParameters>();
      row.next(record->type1);
      row.next(record->type2);
      row.next(record->bondOrder);
      row.next(record->value);
      keepIfGood(record, row, emagBondParameters);
    } else if (section == Angle) {
      auto record = std::make_unique<EmagAngleParameters>();
      row.next(record->type1);
      row.next(record->centre);
      row.next(record->type3);
      row.next(record->value);
      keepIfGood(record, row, emagAngleParameters);
    } else {
      auto record = std::make_unique<EmagDihedralParameters>();
      row.next(record->type1);
      row.next(record->type2);
      row.next(record->type3);
      row.next(record->type4);
      row.next(record->bondOrder);
      row.next(record->value);
      keepIfGood(record, row, emagDihedralParameters);
    }
  }
}
