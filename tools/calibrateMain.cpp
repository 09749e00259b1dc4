// calibrate: runs reference molecules through the application's readers and set-up chain, fits
// the bond table's energies, moments and distances (and the angle table's angles) to experiment,
// and prints per-molecule errors with the cross-validated summary figures.
//
//   calibrate [--hof hof298-train.csv] [--hof-extra g2-hof298-exp.csv] [--dipole dipole-train.csv]
//             [--dipole-extra dipole-extra.csv]
//             [--g2 g2-hof298-exp.csv --geometries g2-mp2-geometries.sdf]
//             [--fit] [--bonds-in FILE] [--bonds-out FILE] [--angles-in FILE] [--angles-out FILE]
//             [--strain-in FILE] [--strain-out FILE] [--folds N] [--quiet] [--detail] [--no-types] [--plain-cv] [--kinds FILE]
//             [--ridge-grid E,E.../S,S.../R,R.../T,T.../A,A.../U,U...]
//
// The check part of the heat-of-formation and geometry files (every fifth molecule each offers
// for fitting, tools/calibration/README.md) is neither fitted nor judged: the chemistry tests
// judge the tables on it. Without --fit the loaded tables are only checked: the application's
// own values against experiment. With --fit the starting tables (the embedded ones, or --bonds-in/--angles-in) are
// fitted in layers and the cross-validated figures are those of the fit; --bonds-out and
// --angles-out write the fitted tables, the text of the input tables with new numbers. The ring-
// strain rows (--strain-in, --strain-out) are fitted with the bond energies. --detail
// lists every reference bond with its row, table distance, reference and computed length.
// --no-types leaves out the atom-type layer of the energy fit; --plain-cv skips the nested
// cross-validation (faster, but its figure is optimistic: the weights were chosen on it).
// --ridge-grid sets the ridge weights tried per layer (element, super type, row, atom type) and
// the smoothing fractions of the written energies, for rows with data and for rows without.
// --hof-extra names further heats of formation (rows with use_for_additivity other than 1 left
// out) that every fold fits and none judges; a molecule already in --hof is dropped from them.
// --dipole-extra names further dipoles (the commonest small molecules, which the collected data
// lack): fitted in every fold, judged apart on the loaded tables, never in the cross-validation.
// --kinds names a file of further bonds in use, "TYPE1 TYPE2 ORDER" a line (the shipped library's
// and the typing regression's): the report of exact rows that no molecule uses counts them too.

#include "tools/Calibrate.h"

#include "io/IOEngine.h"
#include "math/UtilityEngine.h"
#include "parameters/InputParameters.h"

#include <QApplication>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>

using namespace calib;

namespace {

struct Options {
  std::string show, hof, hofExtra, dipole, dipoleExtra, g2, geometries, bondsIn, bondsOut, anglesIn, anglesOut,
      strainIn, strainOut, kinds;
  bool fit = false, quiet = false, detail = false, noTypes = false, plainCv = false;
  int folds = 10;
  // Weights tried: ridge weights of the element, super-type, row and atom-type layers, and the
  // fraction by which the written energies are smoothed toward their super-type pair's mean.
  std::vector<double> grid[6] = {{0.01, 0.03}, {0.03, 0.3}, {0.1, 0.3, 1.0}, {0.3, 1.0},
                                 {0.0, 0.25, 0.5}, {0.0, 0.25}};
};

// "E1,E2/S1/R1,R2/T1/A1,A2/U1,U2": one comma list per layer, then the smoothing fractions of
// rows with data and of rows without (the last list may be left out: then it is the one before).
bool readGrid(const std::string& text, std::vector<double> (&grid)[6]) {
  std::vector<double> layers[6];
  size_t layer = 0, start = 0;
  while (start <= text.size()) {
    size_t end = text.find_first_of(",/", start);
    if (end == std::string::npos) end = text.size();
    double value = 0.0;
    if (layer >= 6 || !parseNumber(text.substr(start, end - start), value) || value < 0.0 ||
        (layer < 4 && value == 0.0) || (layer >= 4 && value > 1.0))
      return false;
    layers[layer].push_back(value);
    if (end < text.size() && text[end] == '/') ++layer;
    start = end + 1;
  }
  if (layer < 4) return false;
  if (layer == 4) layers[5] = layers[4];
  for (int i = 0; i < 6; ++i) grid[i] = layers[i];
  return true;
}

bool readOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](std::string& into) {
      if (i + 1 >= argc) return false;
      into = argv[++i];
      return true;
    };
    bool ok = true;
    if (arg == "--fit") options.fit = true;
    else if (arg == "--quiet") options.quiet = true;
    else if (arg == "--detail") options.detail = true;
    else if (arg == "--no-types") options.noTypes = true;
    else if (arg == "--plain-cv") options.plainCv = true;
    else if (arg == "--hof") ok = value(options.hof);
    else if (arg == "--hof-extra") ok = value(options.hofExtra);
    else if (arg == "--show") ok = value(options.show);
    else if (arg == "--dipole") ok = value(options.dipole);
    else if (arg == "--dipole-extra") ok = value(options.dipoleExtra);
    else if (arg == "--kinds") ok = value(options.kinds);
    else if (arg == "--g2") ok = value(options.g2);
    else if (arg == "--geometries") ok = value(options.geometries);
    else if (arg == "--bonds-in") ok = value(options.bondsIn);
    else if (arg == "--bonds-out") ok = value(options.bondsOut);
    else if (arg == "--angles-in") ok = value(options.anglesIn);
    else if (arg == "--angles-out") ok = value(options.anglesOut);
    else if (arg == "--strain-in") ok = value(options.strainIn);
    else if (arg == "--strain-out") ok = value(options.strainOut);
    else if (arg == "--ridge-grid") {
      std::string text;
      ok = value(text) && readGrid(text, options.grid);
    } else if (arg == "--folds") {
      std::string text;
      double folds = 0.0;
      ok = value(text) && parseNumber(text, folds) && folds >= 2 && folds <= 100;
      options.folds = static_cast<int>(folds);
    } else {
      ok = false;
    }
    if (!ok) {
      std::cerr << "Error: calibrate: bad argument \"" << arg << "\"\n";
      return false;
    }
  }
  return true;
}

std::vector<MoleculeRecord> readRecords(const std::vector<CsvRow>& rows, const char* column,
                                        bool dipole) {
  std::vector<MoleculeRecord> records;
  for (const CsvRow& row : rows) {
    MoleculeRecord record;
    auto smiles = row.find("smiles");
    auto name = row.find("name");
    auto value = row.find(column);
    if (smiles == row.end() || value == row.end()) continue;
    record.smiles = smiles->second;
    record.name = name == row.end() ? record.smiles : name->second;
    if (!parseNumber(value->second, record.experiment)) {
      std::cerr << "Error: calibrate: value of \"" << record.smiles << "\"\n";
      continue;
    }
    evaluateSmiles(record, dipole);
    records.push_back(record);
  }
  return records;
}

typedef std::set<std::vector<std::string> > Signatures;

// Drops the records that are check molecules to the model (see bondSignature); returns how many.
int dropCheckTwins(std::vector<MoleculeRecord>& records, const Signatures& check) {
  const size_t before = records.size();
  records.erase(std::remove_if(records.begin(), records.end(),
                               [&](const MoleculeRecord& r) {
                                 return r.ok && check.count(bondSignature(r)) > 0;
                               }),
                records.end());
  return static_cast<int>(before - records.size());
}

// Further reference molecules for the energy fit: fitted in every fold, never judged. One that
// the model cannot tell from a judged molecule (the same bonds: the same molecule written another
// way) is dropped, so that no held-out molecule is fitted under another name.
void addExtraRecords(std::vector<MoleculeRecord>& hof, std::vector<MoleculeRecord> extra,
                     const Signatures& check) {
  Signatures known;
  for (const MoleculeRecord& r : hof)
    if (r.ok) known.insert(bondSignature(r));
  const int checkTwins = dropCheckTwins(extra, check);
  int added = 0, twins = 0;
  for (MoleculeRecord& r : extra) {
    if (!r.ok || r.strained) continue;
    if (!known.insert(bondSignature(r)).second) {
      ++twins;
      continue;
    }
    r.extra = true;
    hof.push_back(r);
    ++added;
  }
  std::printf("HOF further reference molecules fitted in every fold: %d (%d left out as molecules "
              "of the judged set, %d as molecules of the check part)\n", added, twins, checkTwins);
}

// The heats of formation calibrate fits and judges: the fitting parts of the reference files. The
// check part is read for its SMILES only, to leave out every molecule the model cannot tell from
// a check molecule; its values are never read.
std::vector<MoleculeRecord> readHeats(const Options& options) {
  const char* const column = "dHf298_kJ_mol";
  const ReferenceRows rows = splitReferenceRows(options.hof);
  Signatures check;
  for (const CsvRow& row : rows.check) {
    auto smiles = row.find("smiles");
    if (smiles == row.end()) continue;
    MoleculeRecord record;
    record.smiles = smiles->second;
    evaluateSmiles(record, false);
    if (record.ok) check.insert(bondSignature(record));
  }
  std::vector<MoleculeRecord> hof = readRecords(rows.fitting, column, false);
  const int twins = dropCheckTwins(hof, check);
  std::printf("HOF check part: %zu molecules held out for the tests; %d of the fitting part left "
              "out as the same molecules\n", rows.check.size(), twins);
  if (!options.hofExtra.empty())
    addExtraRecords(hof, readRecords(splitReferenceRows(options.hofExtra).fitting, column, false),
                    check);
  return hof;
}

void printRecords(const std::vector<MoleculeRecord>& records, const FitSummary& cv,
                  const char* unit) {
  // Rows that only one fitted molecule uses: cross-validation cannot learn them for that molecule.
  std::map<int, std::set<size_t> > users;
  for (size_t i = 0; i < records.size(); ++i)
    if (records[i].ok && !records[i].strained)
      for (const BondUse& b : records[i].bonds) users[b.row].insert(i);
  std::printf("%-40s %-28s %10s %10s %10s %10s\n", "name", "smiles", "exp", "app", "cv", "cv-err");
  for (size_t i = 0; i < records.size(); ++i) {
    const MoleculeRecord& r = records[i];
    if (r.extra) continue;
    if (!r.ok) {
      std::printf("%-40.40s %-28.28s left out: %s\n", r.name.c_str(), r.smiles.c_str(), r.reason.c_str());
      continue;
    }
    std::set<int> own;
    for (const BondUse& b : r.bonds)
      if (b.row >= 0 && !isFixedRow(b.row) && users[b.row].size() == 1) own.insert(b.row);
    std::printf("%-40.40s %-28.28s %10.2f %10.2f %10.2f %10.2f %s%s", r.name.c_str(), r.smiles.c_str(),
                r.experiment, r.computed, cv.predicted[i], cv.predicted[i] - r.experiment, unit,
                r.strained ? " strained" : "");
    if (!own.empty()) std::printf(" (%zu rows of its own)", own.size());
    std::printf("\n");
  }
}

// The further dipoles on the loaded tables, one line each and their mean error.
void printExtraDipoles(const std::vector<MoleculeRecord>& records) {
  double sum = 0.0;
  int n = 0;
  for (const MoleculeRecord& r : records) {
    if (!r.extra) continue;
    if (!r.ok) {
      std::printf("DIPOLE further %-24.24s left out: %s\n", r.name.c_str(), r.reason.c_str());
      continue;
    }
    std::printf("DIPOLE further %-24.24s %-16.16s exp %6.2f app %6.2f D\n", r.name.c_str(),
                r.smiles.c_str(), r.experiment, r.computed);
    sum += std::fabs(r.computed - r.experiment);
    ++n;
  }
  std::printf("DIPOLE further molecules, fitted in every fold, loaded tables: MAE %.3f D over %d\n",
              n ? sum / n : 0.0, n);
}

double appMae(const std::vector<MoleculeRecord>& records, bool strained, bool alkanesOnly, int& n) {
  double sum = 0.0;
  n = 0;
  for (const MoleculeRecord& r : records) {
    if (!r.ok || r.extra || r.strained != strained || (alkanesOnly && !r.acyclicAlkane)) continue;
    sum += std::fabs(r.computed - r.experiment);
    ++n;
  }
  return n ? sum / n : 0.0;
}

void geometrySummary(const std::vector<MoleculeRecord>& records, const char* label, bool quiet,
                     bool detail = false) {
  const std::vector<BondParameters*>& rows = InputParameters::instance()->bondParameters;
  for (const MoleculeRecord& r : records) {
    if (!r.ok) {
      if (!quiet) std::printf("geometry %-12s left out: %s\n", r.name.c_str(), r.reason.c_str());
      continue;
    }
    if (!quiet) {
      const GeometryError error = geometryError({r});
      std::printf("geometry %-12s %-24s bonds %7.4f A  angles %6.2f deg\n", r.name.c_str(),
                  r.smiles.c_str(), error.lengthMae, error.angleMae);
    }
    if (!detail) continue;
    for (size_t b = 0; b < r.lengthReference.size(); ++b) {
      const int row = r.lengthRows[b];
      if (row < 0 || row >= static_cast<int>(rows.size())) continue;
      std::printf("    bond %-5s %-5s %d table %.4f reference %.4f computed %.4f\n",
                  rows[row]->atom1.c_str(), rows[row]->atom2.c_str(), rows[row]->bondOrder,
                  rows[row]->distance, r.lengthReference[b], r.lengthComputed[b]);
    }
    for (const AngleUse& a : r.angles)
      std::printf("    angle %-5s %-5s %-5s table %.2f reference %.2f computed %.2f\n",
                  a.row ? a.row->atom1.c_str() : "-", a.row ? a.row->centre.c_str() : "-",
                  a.row ? a.row->atom3.c_str() : "-", a.row ? a.row->angle : 0.0f, a.reference,
                  a.computed);
  }
  const GeometryError error = geometryError(records);
  std::printf("GEOMETRY %s: %d bonds, mean abs length error %.4f A; %d angles, mean abs angle "
              "error %.2f deg\n", label, error.lengths, error.lengthMae, error.angles,
              error.angleMae);
}

// Geometries: the fitting part of the reference structures, cross-validated, then (with --fit)
// fitted whole.
std::vector<MoleculeRecord> geometries(const Options& options) {
  std::map<std::string, std::string> ids;
  const ReferenceRows rows = splitReferenceRows(options.g2);
  for (const CsvRow& row : rows.fitting) {
    auto id = row.find("id"), smiles = row.find("smiles");
    if (id != row.end() && smiles != row.end()) ids[id->second] = smiles->second;
  }
  std::printf("GEOMETRY check part: %zu structures held out for the tests\n", rows.check.size());
  std::vector<MoleculeRecord> records = evaluateGeometries(options.geometries, ids);
  if (!options.fit) {
    geometrySummary(records, "loaded tables", options.quiet, options.detail);
    return records;
  }
  geometrySummary(records, "starting tables", true);
  const std::string cv = std::to_string(options.folds) + "-fold CV";
  geometrySummary(crossValidateGeometry(options.geometries, ids, options.folds), cv.c_str(),
                  options.quiet);
  std::vector<std::string> refused;
  records = fitGeometry(options.geometries, ids, refused);
  for (const std::string& line : refused) std::printf("GEOMETRY %s\n", line.c_str());
  geometrySummary(records, "fitted tables", options.quiet, options.detail);
  return records;
}

// Bonds that found no exact row (lookup code other than 1), with how they were found.
void coverage(const std::vector<std::vector<MoleculeRecord>*>& sets) {
  std::map<std::string, int> missing;
  for (const auto* set : sets)
    for (const MoleculeRecord& r : *set)
      for (const BondUse& b : r.bonds)
        if (b.code != 1) {
          const std::string reason = b.code == -1 ? "super-type row" : b.code == -2 ? "element row"
                                                                                    : "no row";
          std::string a = b.type1, c = b.type2;
          if (c < a) std::swap(a, c);
          ++missing[a + "-" + c + " order " + std::to_string(b.order) + ": " + reason];
        }
  std::printf("COVERAGE: %zu bond kinds without an exact row\n", missing.size());
  for (const auto& entry : missing)
    std::printf("  %s (%d bonds)\n", entry.first.c_str(), entry.second);
}

// Exact rows that no reference molecule and no bond of the --kinds file uses (rows of order 0 and
// the reference methyl C-H row left out): these may be given to bond kinds without an exact row.
void unusedRows(const std::vector<std::vector<MoleculeRecord>*>& sets, const std::string& kinds) {
  InputParameters* tables = InputParameters::instance();
  const std::vector<BondParameters*>& rows = tables->bondParameters;
  std::vector<int> users(rows.size(), 0);
  for (const auto* set : sets)
    for (const MoleculeRecord& r : *set)
      for (const BondUse& b : r.bonds)
        if (b.row >= 0 && b.row < static_cast<int>(rows.size())) ++users[b.row];
  if (!kinds.empty()) {
    std::ifstream in(kinds);
    if (!in) std::cerr << "Error: calibrate: cannot read \"" << kinds << "\"\n";
    std::string line;
    while (std::getline(in, line)) {
      std::istringstream fields(line);
      std::string type1, type2, orderText;
      double order = 0.0;
      if (!(fields >> type1 >> type2 >> orderText) || !parseNumber(orderText, order)) continue;
      BondParameters found;
      if (tables->findBondParameters(type1, type2, static_cast<int>(order), found) == 0) continue;
      const int row = rowIndexOf(found);
      if (row >= 0) ++users[row];
    }
  }
  // Pattern rows ("C*") stand for whole families and stay.
  auto unusable = [](const BondParameters& row, int r) {
    return !row.approximated && !isFixedRow(r) && row.atom1.find('*') == std::string::npos &&
           row.atom2.find('*') == std::string::npos;
  };
  int count = 0;
  for (size_t r = 0; r < rows.size(); ++r)
    if (users[r] == 0 && unusable(*rows[r], static_cast<int>(r))) ++count;
  std::printf("UNUSED: %d exact rows used by no molecule\n", count);
  for (size_t r = 0; r < rows.size(); ++r)
    if (users[r] == 0 && unusable(*rows[r], static_cast<int>(r)))
      std::printf("  row %zu: %s %s %d\n", r, rows[r]->atom1.c_str(), rows[r]->atom2.c_str(),
                  rows[r]->bondOrder);
}

// Heats of formation: the weights (ridge per layer, smoothing of the written energies) are
// chosen on a grid by 10-fold cross-validation; the figure reported is that of a nested
// cross-validation (weights chosen inside each training part), so it judges the choice of
// weights too. With --fit the weights chosen on all data fit all data.
void heatsOfFormation(std::vector<MoleculeRecord>& hof, const Options& options) {
  if (options.fit)
    std::printf("HOF aromatic rows moved into their single-double band: %d\n",
                boundAromaticEnergies());
  LayeredModel model(false, !options.noTypes);
  const std::vector<float> written = tableEnergies();
  std::vector<EnergyWeights> grid;
  const std::vector<double> types = options.noTypes ? std::vector<double>{1.0} : options.grid[3];
  for (double le : options.grid[0])
    for (double ls : options.grid[1])
      for (double lr : options.grid[2])
        for (double lt : types)
          for (double alpha : options.grid[4])
            for (double unseen : options.grid[5])
              grid.push_back({le, ls, lr, lt, alpha, unseen});
  crossValidateEnergies(hof, model, options.folds);   // registers the variables
  FitSummary best;
  size_t pick = 0;
  for (size_t g = 0; g < grid.size(); ++g) {
    useWeights(model, grid[g], written);
    FitSummary cv = crossValidateEnergies(hof, model, options.folds);
    if (g == 0 || cv.maeAll < best.maeAll) {
      best = cv;
      pick = g;
    }
  }
  clearPrior();
  smoothEnergies(written, 0.0);
  auto text = [](const EnergyWeights& w) {
    char buffer[112];
    std::snprintf(buffer, sizeof buffer, "%.3g/%.3g/%.3g/%.3g/%.3g/%.3g", w[0], w[1], w[2], w[3],
                  w[4], w[5]);
    return std::string(buffer);
  };
  std::printf("HOF %d-fold CV with the weights chosen on it (%s): MAE %.2f kJ/mol over %d "
              "molecules without 3/4-rings, %.2f over %d acyclic alkanes\n", options.folds,
              text(grid[pick]).c_str(), best.maeAll, best.nAll, best.maeAlkanes, best.nAlkanes);
  FitSummary reported = best;
  if (!options.plainCv) {
    std::vector<int> chosen;
    reported = nestedCrossValidateEnergies(hof, model, options.folds, grid, chosen);
    std::printf("HOF nested CV weights per fold:");
    for (int g : chosen) std::printf(" %s", text(grid[g]).c_str());
    std::printf("\n");
  }
  if (!options.quiet) printRecords(hof, reported, "kJ/mol");
  int n = 0, na = 0, ns = 0;
  const double app = appMae(hof, false, false, n), appAlkanes = appMae(hof, false, true, na),
               appStrained = appMae(hof, true, false, ns);
  std::printf("HOF loaded tables: MAE %.2f kJ/mol over %d molecules without 3/4-rings, %.2f over "
              "%d acyclic alkanes, %.2f over %d strained\n", app, n, appAlkanes, na, appStrained, ns);
  std::printf("HOF %d-fold %sCV: MAE %.2f kJ/mol over %d molecules without 3/4-rings, %.2f over %d "
              "acyclic alkanes; strained rings %.2f over %d\n", options.folds,
              options.plainCv ? "" : "nested ", reported.maeAll, reported.nAll,
              reported.maeAlkanes, reported.nAlkanes, reported.maeStrained, reported.nStrained);
  if (options.fit) {
    useWeights(model, grid[pick], written);
    std::vector<int> use;
    for (size_t i = 0; i < hof.size(); ++i)
      if (hof[i].ok && !hof[i].strained) use.push_back(static_cast<int>(i));
    applyEnergies(model, fitEnergies(hof, model, use));
  }
}

void replaceTables(const Options& options) {
  InputParameters* tables = InputParameters::instance();
  // The table owns its rows: the embedded ones are freed before the replacements are read.
  if (!options.bondsIn.empty()) {
    for (BondParameters* row : tables->bondParameters) delete row;
    tables->bondParameters.clear();
    tables->readInBondTable(options.bondsIn.c_str());
  }
  if (!options.anglesIn.empty()) {
    for (AngleParameters* row : tables->angleParameters) delete row;
    tables->angleParameters.clear();
    tables->readInAngleTable(options.anglesIn.c_str());
  }
  if (!options.strainIn.empty()) {
    for (RingStrainParameters* row : tables->ringStrainParameters) delete row;
    tables->ringStrainParameters.clear();
    tables->readInRingStrainTable(options.strainIn.c_str());
  }
}

// --show: how one SMILES reads and which rows its bonds take.
void showMolecule(const std::string& smiles) {
  MoleculeRecord record;
  record.smiles = smiles;
  evaluateSmiles(record, false);
  std::printf("%s: %s, heat of formation %.2f kJ/mol\n", record.smiles.c_str(),
              record.ok ? "read" : record.reason.c_str(), record.computed);
  for (int kind = 0; kind < ringstrain::kKindCount; ++kind)
    for (int size = ringstrain::kSmallestStrainedRing; size <= ringstrain::kLargestStrainedRing;
         ++size)
      if (record.rings.counts[kind][size] > 0)
        std::printf("  ring-strain row %s %d: %d times\n", kRingStrainKinds[kind], size,
                    record.rings.counts[kind][size]);

  for (const BondUse& b : record.bonds)
    std::printf("  %s-%s order %d: code %d, row %d\n", b.type1.c_str(), b.type2.c_str(), b.order,
                b.code, b.row);
}

// Bond moments: the cross-validated ridge weights, the figures, and with --fit the fitted moments.
std::vector<MoleculeRecord> dipoles(const Options& options) {
  std::vector<MoleculeRecord> dipole = readRecords(readCsv(options.dipole), "dipole_D", true);
  if (!options.dipoleExtra.empty())
    for (MoleculeRecord& record : readRecords(readCsv(options.dipoleExtra), "dipole_D", true)) {
      record.extra = true;
      dipole.push_back(record);
    }
  LayeredModel model(true);
  FitSummary best;
  double bestLambda[3] = {0.0, 0.0, 0.0};
  bool first = true;
  const double grid[] = {0.3, 1.0, 3.0};
  auto overall = [](const FitSummary& s) {
    const int total = s.nAll + s.nStrained;
    return total ? (s.maeAll * s.nAll + s.maeStrained * s.nStrained) / total : 0.0;
  };
  for (const MoleculeRecord& record : dipole)   // registers the variables
    for (const BondUse& bond : record.bonds)
      if (record.ok && bond.row >= 0) model.termsOf(bond.row);
  for (double ls : grid)
    for (double lr : grid) {
      model.setLambdas(ls * 0.3, ls, lr);
      FitSummary cv = crossValidateMoments(dipole, model, options.folds);
      if (first || overall(cv) < overall(best)) {
        best = cv;
        bestLambda[0] = ls * 0.3;
        bestLambda[1] = ls;
        bestLambda[2] = lr;
        first = false;
      }
    }
  if (!options.quiet) printRecords(dipole, best, "D");
  int n = 0, ns = 0;
  const double app = appMae(dipole, false, false, n), appStrained = appMae(dipole, true, false, ns);
  std::printf("DIPOLE loaded tables: MAE %.3f D over %d molecules (+ %.3f over %d strained)\n", app,
              n, appStrained, ns);
  if (!options.dipoleExtra.empty()) printExtraDipoles(dipole);
  const int total = best.nAll + best.nStrained;
  std::printf("DIPOLE %d-fold CV (ridge %.3g/%.3g/%.3g): MAE %.3f D over all %d molecules (%.3f "
              "without 3/4-rings, %.3f strained)\n", options.folds, bestLambda[0], bestLambda[1],
              bestLambda[2],
              overall(best), total, best.maeAll, best.maeStrained);
  if (options.fit) {
    model.setLambdas(bestLambda[0], bestLambda[1], bestLambda[2]);
    std::vector<int> use;
    for (size_t i = 0; i < dipole.size(); ++i)
      if (dipole[i].ok) use.push_back(static_cast<int>(i));
    applyMoments(model, fitMoments(dipole, model, use));
  }
  return dipole;
}

// --bonds-out and --angles-out: the tables with their fitted numbers; false after a message.
bool writeTables(const Options& options) {
  const std::string note =
      "numbers fitted by tools/calibrate against experiment: bond energies by layered ridge\n"
      "least squares (element pair, super-type pair, row, atom type) to gas-phase heats of\n"
      "formation at 298 K (ATcT, G2/97, API-TDB, Yaws) with the Emag corrections as the system\n"
      "computes them, starting from the written energies smoothed toward their super-type pair's\n"
      "mean, weights chosen by cross-validation; bond moments by the same layers to gas-phase\n"
      "dipoles (NIST CCCBDB, Poling, Mueller) on the set-up chain's geometries; distances moved to\n"
      "the MP2(full)/6-31G* G2/97 structures after the set-up chain. Rows without data keep their\n"
      "written values, smoothed toward their super-type pair's mean by their own cross-validated\n"
      "fraction, plus their layers' shifts.";
  if (!options.bondsOut.empty()) {
    const std::string in = options.bondsIn.empty() ? options.bondsOut : options.bondsIn;
    if (!writeBondTable(in, options.bondsOut, note)) {
      std::cerr << "Error: calibrate: cannot write \"" << options.bondsOut << "\"\n";
      return false;
    }
  }
  if (!options.strainOut.empty()) {
    const std::string in = options.strainIn.empty() ? options.strainOut : options.strainIn;
    if (!writeRingStrainTable(in, options.strainOut,
                              "energies fitted by tools/calibrate with the bond energies to the "
                              "same heats of formation;\nsizes without fitted molecules keep "
                              "their start values")) {
      std::cerr << "Error: calibrate: cannot write \"" << options.strainOut << "\"\n";
      return false;
    }
  }
  if (!options.anglesOut.empty()) {
    const std::string in = options.anglesIn.empty() ? options.anglesOut : options.anglesIn;
    if (!writeAngleTable(in, options.anglesOut,
                         "angles moved to the MP2(full)/6-31G* G2/97 structures after the set-up "
                         "chain by tools/calibrate")) {
      std::cerr << "Error: calibrate: cannot write \"" << options.anglesOut << "\"\n";
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!readOptions(argc, argv, options)) return 2;
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) qputenv("QT_QPA_PLATFORM", "offscreen");
  new QApplication(argc, argv);   // the file singleton's tree roots need one; never deleted
  UtilityEngine::instance()->setConsoleSink([](const std::string&) {});
  IOEngine::instance();
  replaceTables(options);

  if (!options.show.empty()) showMolecule(options.show);

  std::vector<MoleculeRecord> geometry, hof, dipole;
  if (!options.g2.empty() && !options.geometries.empty()) geometry = geometries(options);

  if (!options.hof.empty()) {
    hof = readHeats(options);
    heatsOfFormation(hof, options);
  }

  if (!options.dipole.empty()) dipole = dipoles(options);

  coverage({&geometry, &hof, &dipole});
  unusedRows({&geometry, &hof, &dipole}, options.kinds);

  return writeTables(options) ? 0 : 1;
}
