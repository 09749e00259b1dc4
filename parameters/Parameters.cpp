#include "parameters/Parameters.h"

#include <cstdio>
#include <fstream>

#include "math/Constants.h"
#include "math/UtilityEngine.h"
#include "parameters/TableText.h"

Parameters* Parameters::Instance = nullptr;

namespace {

// The factor the files' degrees are turned into radians with: pi in single precision.

// One record per line that holds something once its "//" comment is cut and it is trimmed.
// fill reads the columns of one line into a fresh record, so nothing carries over from the line
// before; a line with fewer than `columns` columns is reported and kept.
template <class Record, class Fill>
std::vector<Record> readRecords(std::istream& in, const char* place, size_t columns, Fill fill) {
  std::vector<Record> records;
  for (std::string line; std::getline(in, line);) {
    const size_t comment = line.find("//");
    if (comment != std::string::npos) line.erase(comment);
    TableText::trimBoth(line, "\r\n\t ");
    if (line.empty()) continue;
    TableRow row(line, place);
    if (row.size() < columns)
      ErrorLine() << "Error: " << place << ": " << row.size() << " of " << columns
                  << " columns in line \"" << line << "\"";
    Record record;
    fill(row, record);
    records.push_back(record);
  }
  return records;
}

}  // namespace

void TBond::setTBond(std::string first, std::string second) {
  type1 = std::move(first);
  type2 = std::move(second);
}

int TBond::IsBond(unsigned int bondOrder, std::string first, std::string second) const {
  if (bondOrder != order) return 0;
  if (first == type1 && second == type2) return 1;
  if (first == type2 && second == type1) return -1;
  return 0;
}

void TAngle::setTangle(std::string first, std::string centre, std::string third) {
  type1 = std::move(first);
  type2 = std::move(centre);
  type3 = std::move(third);
}

Parameters* Parameters::instance() {
  if (!Instance) Instance = new Parameters();
  return Instance;
}

Parameters::Parameters() {
  struct TypeFile {
    const char* path;
    void (Parameters::*read)(std::istream&);
  };
  const TypeFile files[] = {{"Library\\supertype.txt", &Parameters::ReadAtomType},
                            {"Library\\bondparameters.txt", &Parameters::ReadBondType},
                            {"Library\\angleparameters.txt", &Parameters::ReadAngleType}};
  UtilityEngine* utility = UtilityEngine::instance();
  for (const TypeFile& file : files) {
    std::ifstream in(file.path);
    if (!in)
      utility->printToConsole(std::string("CANNOT OPEN FILE: ") + file.path + "!");
    else
      (this->*file.read)(in);
  }
  char counts[64];
  std::snprintf(counts, sizeof counts, "Parameters: %5d%5d%5d", atomTypeCount, bondTypeCount,
                angleTypeCount);
  utility->printToConsole(counts);
}

void Parameters::ReadAtomType(std::istream& in) {
  atomTypes = readRecords<TAtom>(in, "Parameters::ReadAtomType", 4, [](TableRow& row, TAtom& r) {
    row.next(r.word1);
    row.next(r.word2);
    row.next(r.word3);
    row.next(r.value1);
  });
  atomTypeCount = static_cast<int>(atomTypes.size());
}

void Parameters::ReadBondType(std::istream& in) {
  bondTypes = readRecords<TBond>(in, "Parameters::ReadBondType", 6, [](TableRow& row, TBond& r) {
    row.next(r.type1);
    row.next(r.type2);
    row.next(r.order);
    row.skip(1);
    row.next(r.distance);
  });
  bondTypeCount = static_cast<int>(bondTypes.size());
}

void Parameters::ReadAngleType(std::istream& in) {
  angleTypes =
      readRecords<TAngle>(in, "Parameters::ReadAngleType", 4, [](TableRow& row, TAngle& r) {
        row.next(r.type1);
        row.next(r.type2);
        row.next(r.type3);
        double degrees = 0.0;
        if (row.atEnd()) return;   // the constructor's angle stays
        row.next(degrees);
        if (row.good()) r.angle = degrees * kPiWidened / 180.0;
      });
  angleTypeCount = static_cast<int>(angleTypes.size());
}
