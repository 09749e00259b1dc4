// The layered ridge fits: every table row's value is its written value plus a correction per
// element pair, per super-type pair and per row, each held toward zero (the layer below) by its
// own ridge weight, so that a row without data moves only with its element and super type.

#include "tools/Calibrate.h"

#include "math/UtilityEngine.h"
#include "model/Bond.h"
#include "parameters/InputParameters.h"

#include <algorithm>
#include <cmath>

namespace calib {

namespace {

const double kKjPerEv = 96.485;

// Element and super type of a row's type name: an atom type, a super type or an element symbol.
void classify(const std::string& name, std::string& element, std::string& super) {
  element.clear();
  super.clear();
  if (name.find('*') != std::string::npos) return;
  InputParameters* tables = InputParameters::instance();
  for (const AtomTypeParameters* row : tables->atomTypeParameters) {
    std::string e = row->element;
    UtilityEngine::instance()->toUpper(e);
    if (row->type == name) {
      element = e;
      super = row->stype;
      return;
    }
  }
  for (const AtomTypeParameters* row : tables->atomTypeParameters) {
    std::string e = row->element;
    UtilityEngine::instance()->toUpper(e);
    if (row->stype == name) {
      element = e;
      super = name;
      return;
    }
    if (e == name) element = e;
  }
}

// Key of an unordered pair with the factor that turns the row's orientation into the key's.
std::string pairKey(const std::string& a, const std::string& b, int order, double& factor) {
  factor = 1.0;
  if (b < a) {
    factor = -1.0;
    return b + " " + a + " " + std::to_string(order);
  }
  return a + " " + b + " " + std::to_string(order);
}

}  // namespace

bool isFixedRow(int row) {
  const std::vector<BondParameters*>& rows = InputParameters::instance()->bondParameters;
  if (row < 0 || row >= static_cast<int>(rows.size())) return true;
  const BondParameters& r = *rows[row];
  return r.bondOrder == 0 || (r.bondOrder == 1 && ((r.atom1 == "H" && r.atom2 == "CH3") ||
                                                   (r.atom1 == "CH3" && r.atom2 == "H")));
}

LayeredModel::LayeredModel(bool forMoments, bool withTypes)
    : moments(forMoments), typeLayer(withTypes) {}

int LayeredModel::variable(const std::string& key, int layer) {
  auto it = index.find(key);
  if (it != index.end()) return it->second;
  const int id = static_cast<int>(lambda.size());
  index[key] = id;
  layerOf.push_back(layer);
  lambda.push_back(1.0);
  return id;
}

namespace {

const int kRingLayer = 4;

}  // namespace

void LayeredModel::setLambdas(double element, double super, double specific, double type) {
  for (size_t i = 0; i < lambda.size(); ++i)
    lambda[i] = layerOf[i] == 0 ? element : layerOf[i] == 1 ? super : layerOf[i] == 2 ? specific
                                        : layerOf[i] == kRingLayer ? kRingRidge : type;
}

int LayeredModel::ringVariable(const std::string& kind, int ringSize) {
  const int id = variable("RING-STRAIN " + kind + " " + std::to_string(ringSize), kRingLayer);
  lambda[id] = kRingRidge;
  return id;
}

const std::vector<LayerTerm>& LayeredModel::termsOf(int row) {
  auto cached = cache.find(row);
  if (cached != cache.end()) return cached->second;
  std::vector<LayerTerm>& terms = cache[row];
  if (isFixedRow(row)) return terms;
  const BondParameters& r = *InputParameters::instance()->bondParameters[row];
  if (moments && r.atom1 == r.atom2) return terms;   // a symmetric row carries no moment
  std::string e1, s1, e2, s2;
  classify(r.atom1, e1, s1);
  classify(r.atom2, e2, s2);
  double factor = 1.0;
  if (!e1.empty() && !e2.empty() && (!moments || e1 != e2)) {
    const std::string key = "E " + pairKey(e1, e2, r.bondOrder, factor);
    terms.push_back({variable(key, 0), moments ? factor : 1.0});
  }
  if (!s1.empty() && !s2.empty() && (!moments || s1 != s2)) {
    const std::string key = "S " + pairKey(s1, s2, r.bondOrder, factor);
    terms.push_back({variable(key, 1), moments ? factor : 1.0});
  }
  terms.push_back({variable("R " + std::to_string(row), 2), 1.0});
  // Atom-type layer (energies only), two shifts per specific type: one per bond order and partner
  // element, added to every row that names the type with such a partner, so a row seen in one
  // molecule still learns from the rows of its types in like bonds; and one for the type alone,
  // added to all its rows, for what its bonds share whatever the partner (a quaternary carbon's
  // bonds to carbon tell its first bond to sulphur something).
  if (!moments && typeLayer) {
    const std::string* types[2] = {&r.atom1, &r.atom2};
    const std::string* partners[2] = {&e2, &e1};
    for (int k = 0; k < 2; ++k) {
      const std::string& type = *types[k];
      if (type.find('*') != std::string::npos || type == e1 || type == e2 || type == s1 ||
          type == s2)
        continue;
      terms.push_back({variable("T " + type + " " + *partners[k] + " " +
                                    std::to_string(r.bondOrder), 3), 1.0});
      terms.push_back({variable("V " + type, 3), 1.0});
    }
  }
  return terms;
}

std::vector<double> solveRidge(const std::vector<std::vector<double> >& a,
                               const std::vector<double>& b, const std::vector<double>& lambda) {
  const size_t n = lambda.size();
  std::vector<std::vector<double> > m(n, std::vector<double>(n + 1, 0.0));
  for (size_t row = 0; row < a.size(); ++row) {
    std::vector<size_t> nonzero;
    for (size_t i = 0; i < n && i < a[row].size(); ++i)
      if (a[row][i] != 0.0) nonzero.push_back(i);
    for (size_t i : nonzero) {
      for (size_t j : nonzero) m[i][j] += a[row][i] * a[row][j];
      m[i][n] += a[row][i] * b[row];
    }
  }
  for (size_t i = 0; i < n; ++i) m[i][i] += lambda[i];
  for (size_t col = 0; col < n; ++col) {
    size_t pivot = col;
    for (size_t r = col + 1; r < n; ++r)
      if (std::fabs(m[r][col]) > std::fabs(m[pivot][col])) pivot = r;
    std::swap(m[col], m[pivot]);
    if (std::fabs(m[col][col]) < 1e-15) continue;
    for (size_t r = col + 1; r < n; ++r) {
      const double f = m[r][col] / m[col][col];
      if (f == 0.0) continue;
      for (size_t c = col; c <= n; ++c) m[r][c] -= f * m[col][c];
    }
  }
  std::vector<double> x(n, 0.0);
  for (size_t i = n; i-- > 0;) {
    if (std::fabs(m[i][i]) < 1e-15) continue;
    double sum = m[i][n];
    for (size_t j = i + 1; j < n; ++j) sum -= m[i][j] * x[j];
    x[i] = sum / m[i][i];
  }
  return x;
}

// Energies ---------------------------------------------------------------------------------------

namespace {

// The heat of formation the current table gives, in eV.
double currentHeat(const MoleculeRecord& record) {
  const std::vector<BondParameters*>& rows = InputParameters::instance()->bondParameters;
  double energy = 0.0;
  for (const BondUse& use : record.bonds)
    if (use.row >= 0) energy += rows[use.row]->bondEnergy;
  return record.base - energy;
}

// A row of the design matrix: what each variable takes off the record's heat of formation per
// unit. Bond corrections add to the bond energies; a ring row's energy adds to the heat of
// formation once per ring. The rows of double bonds in or at a ring and of joined rings are set
// from strained molecules, which no fit reads, so only the RING rows are variables.
std::vector<double> energyRow(const MoleculeRecord& record, LayeredModel& model) {
  std::vector<double> row(model.variableCount() + 64, 0.0);
  auto add = [&row](int variable, double factor) {
    if (variable >= static_cast<int>(row.size())) row.resize(variable + 64, 0.0);
    row[variable] += factor;
  };
  for (const BondUse& use : record.bonds) {
    if (use.row < 0) continue;
    for (const LayerTerm& term : model.termsOf(use.row)) add(term.variable, term.factor);
  }
  for (int size = ringstrain::kSmallestStrainedRing; size <= ringstrain::kLargestStrainedRing;
       ++size)
    if (record.rings.rings(size) > 0)
      add(model.ringVariable("RING", size), -record.rings.rings(size));
  return row;
}

// Whether record i is fitted when fold `fold` is held out: every unstrained record outside the
// fold, and the further reference molecules always.
bool trainsIn(const MoleculeRecord& record, size_t i, int folds, int fold) {
  return record.ok && !record.strained && (record.extra || static_cast<int>(i) % folds != fold);
}

// Whether record i is predicted by the fit without fold `fold`: the fold's own records, and the
// strained rings (never fitted) by the first fold.
bool judgedIn(const MoleculeRecord& record, size_t i, int folds, int fold) {
  if (!record.ok || record.extra) return false;
  return record.strained ? fold == 0 : static_cast<int>(i) % folds == fold;
}

void summarise(std::vector<MoleculeRecord>& records, FitSummary& summary) {
  double all = 0.0, alkanes = 0.0, strained = 0.0;
  for (size_t i = 0; i < records.size(); ++i) {
    if (!records[i].ok || records[i].extra) continue;
    const double error = std::fabs(summary.predicted[i] - records[i].experiment);
    if (records[i].strained) {
      strained += error;
      ++summary.nStrained;
      continue;
    }
    all += error;
    ++summary.nAll;
    if (records[i].acyclicAlkane) {
      alkanes += error;
      ++summary.nAlkanes;
    }
  }
  summary.maeAll = summary.nAll ? all / summary.nAll : 0.0;
  summary.maeAlkanes = summary.nAlkanes ? alkanes / summary.nAlkanes : 0.0;
  summary.maeStrained = summary.nStrained ? strained / summary.nStrained : 0.0;
}

}  // namespace

int boundAromaticEnergies() {
  std::vector<BondParameters*>& rows = InputParameters::instance()->bondParameters;
  std::map<std::string, float> single, twofold;
  auto key = [](const BondParameters& r) {
    return r.atom1 < r.atom2 ? r.atom1 + " " + r.atom2 : r.atom2 + " " + r.atom1;
  };
  for (const BondParameters* row : rows) {
    if (row->bondOrder == 1 && !single.count(key(*row))) single[key(*row)] = row->bondEnergy;
    if (row->bondOrder == 2 && !twofold.count(key(*row))) twofold[key(*row)] = row->bondEnergy;
  }
  int moved = 0;
  for (size_t r = 0; r < rows.size(); ++r) {
    BondParameters& row = *rows[r];
    if (row.bondOrder != kAromaticOrder || isFixedRow(static_cast<int>(r))) continue;
    auto one = single.find(key(row)), two = twofold.find(key(row));
    if (one == single.end() || two == twofold.end()) continue;
    const float low = std::min(one->second, two->second), high = std::max(one->second, two->second);
    if (row.bondEnergy >= low && row.bondEnergy <= high) continue;
    row.bondEnergy = 0.5f * (low + high);
    ++moved;
  }
  return moved;
}

std::vector<float> tableEnergies() {
  std::vector<float> energies;
  for (const BondParameters* row : InputParameters::instance()->bondParameters)
    energies.push_back(row->bondEnergy);
  return energies;
}

void smoothEnergies(const std::vector<float>& written, double alpha) {
  smoothEnergies(written, std::vector<double>(written.size(), alpha));
}

void smoothEnergies(const std::vector<float>& written, const std::vector<double>& alpha) {
  std::vector<BondParameters*>& rows = InputParameters::instance()->bondParameters;
  if (written.size() != rows.size() || alpha.size() != rows.size()) return;
  std::map<std::string, std::pair<double, int> > groups;
  std::vector<std::string> keys(rows.size());
  for (size_t r = 0; r < rows.size(); ++r) {
    rows[r]->bondEnergy = written[r];
    const BondParameters& row = *rows[r];
    if (isFixedRow(static_cast<int>(r)) || row.approximated) continue;
    std::string e1, s1, e2, s2;
    classify(row.atom1, e1, s1);
    classify(row.atom2, e2, s2);
    double factor = 1.0;
    if (!s1.empty() && !s2.empty()) keys[r] = "S " + pairKey(s1, s2, row.bondOrder, factor);
    else if (!e1.empty() && !e2.empty()) keys[r] = "E " + pairKey(e1, e2, row.bondOrder, factor);
    if (keys[r].empty()) continue;
    groups[keys[r]].first += written[r];
    ++groups[keys[r]].second;
  }
  for (size_t r = 0; r < rows.size(); ++r) {
    if (keys[r].empty() || alpha[r] == 0.0) continue;
    const std::pair<double, int>& group = groups[keys[r]];
    const double mean = group.first / group.second;
    rows[r]->bondEnergy = static_cast<float>(written[r] + alpha[r] * (mean - written[r]));
  }
}

namespace {

// The prior that fitEnergies sets up: the written energies and the two smoothing fractions.
struct Prior {
  std::vector<float> written;
  double seen = 0.0, unseen = 0.0;
  bool active = false;
};

Prior& prior() {
  static Prior value;
  return value;
}

// Smooths the table for a fit of the records `use`: rows that they use by the first fraction,
// the others by the second.
void applyPrior(const std::vector<MoleculeRecord>& records, const std::vector<int>& use) {
  const Prior& p = prior();
  if (!p.active) return;
  std::vector<double> alpha(p.written.size(), p.unseen);
  for (int i : use)
    for (const BondUse& bond : records[i].bonds)
      if (bond.row >= 0 && bond.row < static_cast<int>(alpha.size())) alpha[bond.row] = p.seen;
  smoothEnergies(p.written, alpha);
}

}  // namespace

void useWeights(LayeredModel& model, const EnergyWeights& weights,
                const std::vector<float>& written) {
  model.setLambdas(weights[0], weights[1], weights[2], weights[3]);
  smoothEnergies(written, weights[4]);
  prior().written = written;
  prior().seen = weights[4];
  prior().unseen = weights[5];
  prior().active = true;
}

void clearPrior() { prior().active = false; }

std::vector<double> fitEnergies(std::vector<MoleculeRecord>& records, LayeredModel& model,
                                const std::vector<int>& use) {
  applyPrior(records, use);
  for (int i : use) energyRow(records[i], model);   // registers every variable first
  std::vector<std::vector<double> > a;
  std::vector<double> b;
  for (int i : use) {
    std::vector<double> row = energyRow(records[i], model);
    row.resize(model.variableCount(), 0.0);
    a.push_back(row);
    // The corrections add to the bond energies, which lower the heat of formation.
    b.push_back(currentHeat(records[i]) - records[i].experiment / kKjPerEv);
  }
  // The figure of merit is the mean absolute error, so the squares are reweighted toward it
  // (iteratively reweighted least squares; residuals below 5 kJ/mol count as 5).
  std::vector<double> delta = solveRidge(a, b, model.lambda);
  for (int round = 0; round < 4; ++round) {
    std::vector<std::vector<double> > wa = a;
    std::vector<double> wb = b;
    for (size_t m = 0; m < a.size(); ++m) {
      double fitted = 0.0;
      for (size_t v = 0; v < delta.size(); ++v) fitted += a[m][v] * delta[v];
      const double weight = std::sqrt(0.05 / std::max(0.05, std::fabs(b[m] - fitted)));
      for (double& x : wa[m]) x *= weight;
      wb[m] *= weight;
    }
    delta = solveRidge(wa, wb, model.lambda);
  }
  return delta;
}

namespace {

// The heat of formation in kJ/mol that the table plus the fitted corrections give a record.
double predictedHeat(const MoleculeRecord& record, LayeredModel& model,
                     const std::vector<double>& delta) {
  const std::vector<double> row = energyRow(record, model);
  double shift = 0.0;
  for (size_t v = 0; v < delta.size() && v < row.size(); ++v) shift += row[v] * delta[v];
  return (currentHeat(record) - shift) * kKjPerEv;
}

// Mean absolute error of a plain cross-validation inside `subset` (folds by position there).
double subsetCvError(std::vector<MoleculeRecord>& records, LayeredModel& model,
                     const std::vector<int>& subset, int folds) {
  double sum = 0.0;
  int n = 0;
  for (int fold = 0; fold < folds; ++fold) {
    std::vector<int> train, test;
    int position = 0;   // the further reference molecules are never held out
    for (int i : subset)
      (!records[i].extra && position++ % folds == fold ? test : train).push_back(i);
    if (test.empty() || train.empty()) continue;
    const std::vector<double> delta = fitEnergies(records, model, train);
    for (int i : test) {
      sum += std::fabs(predictedHeat(records[i], model, delta) - records[i].experiment);
      ++n;
    }
  }
  return n ? sum / n : 0.0;
}

}  // namespace

FitSummary nestedCrossValidateEnergies(std::vector<MoleculeRecord>& records, LayeredModel& model,
                                       int folds, const std::vector<EnergyWeights>& grid,
                                       std::vector<int>& chosen) {
  FitSummary summary;
  summary.predicted.assign(records.size(), 0.0);
  chosen.assign(folds, 0);
  for (size_t i = 0; i < records.size(); ++i)
    if (records[i].ok) energyRow(records[i], model);
  const std::vector<double> saved = model.lambda;
  const std::vector<float> written = tableEnergies();
  const int innerFolds = 5;
  for (int fold = 0; fold < folds; ++fold) {
    std::vector<int> train;
    for (size_t i = 0; i < records.size(); ++i)
      if (trainsIn(records[i], i, folds, fold)) train.push_back(static_cast<int>(i));
    // The ridge weights are chosen inside the training part only, so the held-out fold judges
    // the choice too.
    double best = 0.0;
    for (size_t g = 0; g < grid.size(); ++g) {
      useWeights(model, grid[g], written);
      const double error = subsetCvError(records, model, train, innerFolds);
      if (g == 0 || error < best) {
        best = error;
        chosen[fold] = static_cast<int>(g);
      }
    }
    useWeights(model, grid[chosen[fold]], written);
    const std::vector<double> delta = fitEnergies(records, model, train);
    for (size_t i = 0; i < records.size(); ++i) {
      if (!judgedIn(records[i], i, folds, fold)) continue;
      summary.predicted[i] = predictedHeat(records[i], model, delta);
    }
  }
  model.lambda = saved;
  clearPrior();
  smoothEnergies(written, 0.0);
  summarise(records, summary);
  return summary;
}

FitSummary crossValidateEnergies(std::vector<MoleculeRecord>& records, LayeredModel& model,
                                 int folds) {
  FitSummary summary;
  summary.predicted.assign(records.size(), 0.0);
  for (size_t i = 0; i < records.size(); ++i)
    if (records[i].ok) energyRow(records[i], model);
  const std::vector<double> saved = model.lambda;
  for (int fold = 0; fold < folds; ++fold) {
    std::vector<int> train;
    for (size_t i = 0; i < records.size(); ++i)
      if (trainsIn(records[i], i, folds, fold)) train.push_back(static_cast<int>(i));
    const std::vector<double> delta = fitEnergies(records, model, train);
    for (size_t i = 0; i < records.size(); ++i) {
      if (!judgedIn(records[i], i, folds, fold)) continue;
      std::vector<double> row = energyRow(records[i], model);
      double shift = 0.0;
      for (size_t v = 0; v < delta.size() && v < row.size(); ++v) shift += row[v] * delta[v];
      summary.predicted[i] = (currentHeat(records[i]) - shift) * kKjPerEv;
    }
  }
  model.lambda = saved;
  summarise(records, summary);
  return summary;
}

void applyEnergies(LayeredModel& model, const std::vector<double>& delta) {
  std::vector<BondParameters*>& rows = InputParameters::instance()->bondParameters;
  for (size_t r = 0; r < rows.size(); ++r) {
    double shift = 0.0;
    for (const LayerTerm& term : model.termsOf(static_cast<int>(r)))
      if (term.variable < static_cast<int>(delta.size())) shift += term.factor * delta[term.variable];
    rows[r]->bondEnergy = static_cast<float>(std::max(0.05, rows[r]->bondEnergy + shift));
  }
  for (RingStrainParameters* row : InputParameters::instance()->ringStrainParameters) {
    const int variable = model.ringVariable(row->kind, row->ringSize);
    if (variable < static_cast<int>(delta.size()))
      row->energy = static_cast<float>(row->energy + delta[variable]);
  }
}

// Moments ----------------------------------------------------------------------------------------

double modelDipole(const MoleculeRecord& record, LayeredModel* model,
                   const std::vector<double>* delta) {
  const std::vector<BondParameters*>& rows = InputParameters::instance()->bondParameters;
  double x = 0.0, y = 0.0, z = 0.0;
  for (const BondUse& use : record.bonds) {
    if (use.row < 0) continue;
    double moment = rows[use.row]->bondMoment;
    if (model != nullptr && delta != nullptr)
      for (const LayerTerm& term : model->termsOf(use.row))
        if (term.variable < static_cast<int>(delta->size())) moment += term.factor * (*delta)[term.variable];
    moment = moment * use.sign + use.fixedMoment;
    x += moment * use.vx;
    y += moment * use.vy;
    z += moment * use.vz;
  }
  return std::sqrt(x * x + y * y + z * z);
}

std::vector<double> fitMoments(std::vector<MoleculeRecord>& records, LayeredModel& model,
                               const std::vector<int>& use) {
  for (int i : use)
    for (const BondUse& bond : records[i].bonds)
      if (bond.row >= 0) model.termsOf(bond.row);
  const std::vector<BondParameters*>& rows = InputParameters::instance()->bondParameters;
  std::vector<double> delta(model.variableCount(), 0.0);
  for (int iteration = 0; iteration < 12; ++iteration) {
    std::vector<std::vector<double> > jacobian;
    std::vector<double> residual;
    for (int i : use) {
      double x = 0.0, y = 0.0, z = 0.0;
      std::vector<double> gx(delta.size(), 0.0), gy(delta.size(), 0.0), gz(delta.size(), 0.0);
      for (const BondUse& bond : records[i].bonds) {
        if (bond.row < 0) continue;
        double moment = rows[bond.row]->bondMoment;
        for (const LayerTerm& term : model.termsOf(bond.row)) {
          moment += term.factor * delta[term.variable];
          gx[term.variable] += term.factor * bond.sign * bond.vx;
          gy[term.variable] += term.factor * bond.sign * bond.vy;
          gz[term.variable] += term.factor * bond.sign * bond.vz;
        }
        x += (moment * bond.sign + bond.fixedMoment) * bond.vx;
        y += (moment * bond.sign + bond.fixedMoment) * bond.vy;
        z += (moment * bond.sign + bond.fixedMoment) * bond.vz;
      }
      const double magnitude = std::sqrt(x * x + y * y + z * z);
      std::vector<double> row(delta.size(), 0.0);
      if (magnitude > 1e-6)
        for (size_t v = 0; v < delta.size(); ++v)
          row[v] = (x * gx[v] + y * gy[v] + z * gz[v]) / magnitude;
      jacobian.push_back(row);
      residual.push_back(records[i].experiment - magnitude);
    }
    // Ridge on the total correction: the step is solved for the new values, held toward zero.
    std::vector<double> rhs = residual;
    for (size_t r = 0; r < jacobian.size(); ++r)
      for (size_t v = 0; v < delta.size(); ++v) rhs[r] += jacobian[r][v] * delta[v];
    delta = solveRidge(jacobian, rhs, model.lambda);
  }
  return delta;
}

FitSummary crossValidateMoments(std::vector<MoleculeRecord>& records, LayeredModel& model,
                                int folds) {
  FitSummary summary;
  summary.predicted.assign(records.size(), 0.0);
  for (const MoleculeRecord& record : records)
    if (record.ok)
      for (const BondUse& bond : record.bonds)
        if (bond.row >= 0) model.termsOf(bond.row);
  for (int fold = 0; fold < folds; ++fold) {
    std::vector<int> train;
    for (size_t i = 0; i < records.size(); ++i)
      if (records[i].ok && (records[i].extra || static_cast<int>(i) % folds != fold))
        train.push_back(static_cast<int>(i));
    const std::vector<double> delta = fitMoments(records, model, train);
    for (size_t i = 0; i < records.size(); ++i)
      if (records[i].ok && !records[i].extra && static_cast<int>(i) % folds == fold)
        summary.predicted[i] = modelDipole(records[i], &model, &delta);
  }
  summarise(records, summary);
  return summary;
}

void applyMoments(LayeredModel& model, const std::vector<double>& delta) {
  std::vector<BondParameters*>& rows = InputParameters::instance()->bondParameters;
  for (size_t r = 0; r < rows.size(); ++r)
    for (const LayerTerm& term : model.termsOf(static_cast<int>(r)))
      if (term.variable < static_cast<int>(delta.size()))
        rows[r]->bondMoment = static_cast<float>(rows[r]->bondMoment + term.factor * delta[term.variable]);
}

}  // namespace calib
