// The geometry fit: bond distances and angles moved toward reference structures, as the set-up
// chain turns them into coordinates, and its cross-validation.

#include "tools/Calibrate.h"

#include "parameters/InputParameters.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace calib {

namespace {

// The median: a few odd bonds must not pull a row that many others agree on.
double median(std::vector<double> values) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
}

// What one row's bonds (angles) show: reference values and deviations of the chain's values from
// them.
struct RowValues {
  std::vector<double> reference, deviation;
};

std::string rowName(const BondParameters& row) {
  return row.atom1 + " " + row.atom2 + " " + std::to_string(row.bondOrder);
}

// The values the geometry fit moves, to put a table back after a trial fit.
struct GeometrySnapshot {
  std::vector<float> distance, majorAxis, angle;

  GeometrySnapshot() {
    InputParameters* tables = InputParameters::instance();
    for (const BondParameters* row : tables->bondParameters) {
      distance.push_back(row->distance);
      majorAxis.push_back(row->majorAxis);
    }
    for (const AngleParameters* row : tables->angleParameters) angle.push_back(row->angle);
  }

  void restore() const {
    InputParameters* tables = InputParameters::instance();
    for (size_t r = 0; r < tables->bondParameters.size() && r < distance.size(); ++r) {
      tables->bondParameters[r]->distance = distance[r];
      tables->bondParameters[r]->majorAxis = majorAxis[r];
    }
    for (size_t r = 0; r < tables->angleParameters.size() && r < angle.size(); ++r)
      tables->angleParameters[r]->angle = angle[r];
  }
};

}  // namespace

std::vector<std::string> fitDistances(const std::vector<MoleculeRecord>& records, double damping) {
  std::vector<BondParameters*>& rows = InputParameters::instance()->bondParameters;
  std::map<int, RowValues> bonds;
  for (const MoleculeRecord& record : records)
    for (size_t b = 0; b < record.lengthRows.size(); ++b) {
      const int row = record.lengthRows[b];
      if (row < 0 || row >= static_cast<int>(rows.size()) || record.lengthInSmallRing[b]) continue;
      bonds[row].reference.push_back(record.lengthReference[b]);
      bonds[row].deviation.push_back(record.lengthReference[b] - record.lengthComputed[b]);
    }
  std::vector<std::string> refused;
  char line[160];
  for (const auto& entry : bonds) {
    if (isFixedRow(entry.first)) continue;
    BondParameters& row = *rows[entry.first];
    const auto range = std::minmax_element(entry.second.reference.begin(),
                                           entry.second.reference.end());
    const double low = *range.first, high = *range.second;
    if (high - low > kDistanceSpread) {
      std::snprintf(line, sizeof line, "row %s: reference lengths %.3f to %.3f A disagree; kept at "
                    "%.3f", rowName(row).c_str(), low, high, row.distance);
      refused.push_back(line);
      continue;
    }
    double distance = row.distance + damping * median(entry.second.deviation);
    const double held = std::max(low - kDistanceMargin, std::min(high + kDistanceMargin, distance));
    if (std::fabs(held - distance) >= 0.0005) {   // a change the message can show
      std::snprintf(line, sizeof line, "row %s: fitted %.3f A held at %.3f, within %.2f of its "
                    "reference lengths %.3f to %.3f", rowName(row).c_str(), distance, held,
                    kDistanceMargin, low, high);
      refused.push_back(line);
      distance = held;
    }
    row.majorAxis = static_cast<float>(row.majorAxis * distance / row.distance);
    row.distance = static_cast<float>(distance);
  }
  return refused;
}

void fitAngles(const std::vector<MoleculeRecord>& records, double damping,
               std::vector<std::string>& refused) {
  std::map<AngleParameters*, RowValues> angles;
  for (const MoleculeRecord& record : records)
    for (const AngleUse& use : record.angles)
      if (use.row != nullptr && use.row->angle > 0.0f && use.row->value5 == 0.0f && !use.smallRing) {
        angles[use.row].reference.push_back(use.reference);
        angles[use.row].deviation.push_back(use.reference - use.computed);
      }
  char line[160];
  for (const auto& entry : angles) {
    AngleParameters& row = *entry.first;
    const auto range = std::minmax_element(entry.second.reference.begin(),
                                           entry.second.reference.end());
    if (*range.second - *range.first > kAngleSpread) {
      std::snprintf(line, sizeof line, "angle row %s %s %s: reference angles %.1f to %.1f deg "
                    "disagree; kept at %.1f", row.atom1.c_str(), row.centre.c_str(),
                    row.atom3.c_str(), *range.first, *range.second, row.angle);
      refused.push_back(line);
      continue;
    }
    const double angle = row.angle + damping * median(entry.second.deviation);
    const double held = std::max(*range.first - kAngleMargin,
                                 std::min(*range.second + kAngleMargin, angle));
    if (std::fabs(held - angle) >= 0.05) {   // a change the message can show
      std::snprintf(line, sizeof line, "angle row %s %s %s: fitted %.1f deg held at %.1f, within "
                    "%.0f of its reference angles %.1f to %.1f", row.atom1.c_str(),
                    row.centre.c_str(), row.atom3.c_str(), angle, held, kAngleMargin,
                    *range.first, *range.second);
      refused.push_back(line);
    }
    if (held > 60.0 && held <= 180.0) row.angle = static_cast<float>(held);
  }
}

std::vector<MoleculeRecord> fitGeometry(const std::string& sdfPath,
                                        const std::map<std::string, std::string>& ids,
                                        std::vector<std::string>& refused) {
  std::vector<MoleculeRecord> records = evaluateGeometries(sdfPath, ids);
  const int rounds = 3;
  for (int round = 0; round < rounds; ++round) {
    refused = fitDistances(records, 1.0);
    fitAngles(records, 0.8, refused);
    records = evaluateGeometries(sdfPath, ids);
  }
  return records;
}

GeometryError geometryError(const std::vector<MoleculeRecord>& records) {
  GeometryError error;
  for (const MoleculeRecord& r : records) {
    if (!r.ok) continue;
    for (size_t b = 0; b < r.lengthReference.size(); ++b)
      error.lengthMae += std::fabs(r.lengthReference[b] - r.lengthComputed[b]);
    for (const AngleUse& a : r.angles) error.angleMae += std::fabs(a.reference - a.computed);
    error.lengths += static_cast<int>(r.lengthReference.size());
    error.angles += static_cast<int>(r.angles.size());
  }
  if (error.lengths) error.lengthMae /= error.lengths;
  if (error.angles) error.angleMae /= error.angles;
  return error;
}

std::vector<MoleculeRecord> crossValidateGeometry(const std::string& sdfPath,
                                                  const std::map<std::string, std::string>& ids,
                                                  int folds) {
  const GeometrySnapshot loaded;
  std::vector<MoleculeRecord> judged;
  for (int fold = 0; fold < folds; ++fold) {
    std::map<std::string, std::string> train, test;
    int position = 0;
    for (const auto& entry : ids) (position++ % folds == fold ? test : train).insert(entry);
    if (test.empty()) continue;
    std::vector<std::string> refused;
    fitGeometry(sdfPath, train, refused);
    for (MoleculeRecord& record : evaluateGeometries(sdfPath, test)) judged.push_back(record);
    loaded.restore();
  }
  return judged;
}

}  // namespace calib
