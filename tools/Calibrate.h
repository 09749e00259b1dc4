#ifndef KV_TOOLS_CALIBRATE_H
#define KV_TOOLS_CALIBRATE_H

// The calibration tool's records and steps: reference molecules run through the application's
// SMILES reader or MDL reader and set-up chain, the bonds each one uses with the table row that
// the lookup found, and the layered ridge fits of bond energies, moments and distances.

#include "forcefield/RingStrain.h"

#include <array>
#include <map>
#include <string>
#include <vector>

class Molecule;
class BondParameters;
class AngleParameters;

namespace calib {

// One bond of a finished molecule: the table row its parameters came from and what the fits
// need of its geometry.
struct BondUse {
  int row = -1;            // index into InputParameters::bondParameters, -1 when none
  int code = 0;            // the lookup's result code
  int sign = 1;            // -1 when the row matched with its two types reversed
  double vx = 0.0, vy = 0.0, vz = 0.0;   // 1.08 (r1 - r2) / table distance, for the dipole
  // Debye besides the row's, positive at the first atom (a C-H bond beside two halogens).
  double fixedMoment = 0.0;
  std::string type1, type2;
  int order = 0;
};

// One bond angle of a molecule read with reference coordinates.
struct AngleUse {
  AngleParameters* row = nullptr;
  double reference = 0.0;  // degrees
  double computed = 0.0;
  bool smallRing = false;  // at an atom of a three- or four-membered ring: strained, not the row's
};

struct MoleculeRecord {
  std::string smiles, name;
  double experiment = 0.0;     // kJ/mol or Debye
  bool ok = false;
  std::string reason;          // why it was left out
  bool strained = false;       // a three- or four-membered ring
  bool extra = false;          // further reference data: fitted in every fold, never judged
  bool acyclicAlkane = false;
  double base = 0.0;           // eV: atomic sum + energy correction + ring terms (before the bonds)
  ringstrain::RingTerms rings;   // what the ring-strain table's rows multiply
  double computed = 0.0;       // what the application reports: kJ/mol or Debye
  std::vector<BondUse> bonds;
  // Geometry records only: per bond (row, reference length, computed length, inside a three- or
  // four-membered ring).
  std::vector<int> lengthRows;
  std::vector<double> lengthReference, lengthComputed;
  std::vector<bool> lengthInSmallRing;
  std::vector<AngleUse> angles;
};

typedef std::map<std::string, std::string> CsvRow;

// CSV rows as maps from column name to text; quoted fields may hold commas.
std::vector<CsvRow> readCsv(const std::string& path);
bool parseNumber(const std::string& text, double& value);

// The check part of a reference file: of the molecules it offers for fitting (every row, or the
// rows with use_for_additivity 1 where the file has that column), counted from 1 in file order,
// every kCheckEvery-th. The chemistry tests judge the tables on these; calibrate fits and judges
// only the other rows.
const int kCheckEvery = 5;
struct ReferenceRows {
  std::vector<CsvRow> fitting, check;
};
ReferenceRows splitReferenceRows(const std::string& path);

// The bonds of a record as the model sees them: sorted "TYPE TYPE ORDER" keys. Two molecules with
// the same signature are one molecule to the model (the same written another way, or cis and
// trans isomers).
std::vector<std::string> bondSignature(const MoleculeRecord& record);

// Runs a SMILES through smilesToMol and fills the record; frees the molecule.
void evaluateSmiles(MoleculeRecord& record, bool dipole);
// Reads the SD file's records whose id is in `ids` (id to SMILES), keeps their coordinates as the
// reference and runs the MDL reader's perception and set-up chain on them. A structure that reads
// as another molecule than its SMILES (bond orders the file does not carry: O=C=S written with
// single bonds gets hydrogens) is left out with the reason.
std::vector<MoleculeRecord> evaluateGeometries(const std::string& sdfPath,
                                               const std::map<std::string, std::string>& ids);
// The index of the table row a lookup copied (the first row with the copy's types and order), -1
// when none.
int rowIndexOf(const BondParameters& copy);
// The bond uses of a finished molecule (bonds to "DUM" left out).
void collectBonds(Molecule* molecule, MoleculeRecord& record);

// Fits -----------------------------------------------------------------------------------------

// One layer variable of a row: element pair, super-type pair, the row itself or one of its two
// atom types.
struct LayerTerm {
  int variable = 0;
  double factor = 1.0;   // orientation of the row against the variable's written order
};

class LayeredModel {
 public:
  // forMoments: element and super-type layers only for unlike pairs, with orientation signs.
  // withTypes: the atom-type layer, for energies only.
  explicit LayeredModel(bool forMoments, bool withTypes = false);
  const std::vector<LayerTerm>& termsOf(int row);
  // The variable of a ring-strain row (energies only): the change of its energy, held toward the
  // written value by kRingRidge whatever the layer weights.
  int ringVariable(const std::string& kind, int ringSize);
  int variableCount() const { return static_cast<int>(lambda.size()); }
  std::vector<double> lambda;        // ridge weight per variable
  void setLambdas(double element, double super, double specific, double type = 1.0);

 private:
  int variable(const std::string& key, int layer);
  bool moments;
  bool typeLayer;
  std::map<std::string, int> index;
  std::vector<int> layerOf;
  std::map<int, std::vector<LayerTerm> > cache;
};

// Ridge weight of the ring-strain rows (eV^-2 against squared errors in eV). Weak: the five- and
// six-ring rows have a dozen molecules each and move freely; sizes that no fitted molecule has
// (three, four, seven to nine) keep their experimental start values.
const double kRingRidge = 0.03;

// Rows that keep their written values (the reference methyl C-H row).
bool isFixedRow(int row);

// Solves (A^T A + diag(lambda)) x = A^T b by Gaussian elimination with partial pivoting.
std::vector<double> solveRidge(const std::vector<std::vector<double> >& a,
                               const std::vector<double>& b, const std::vector<double>& lambda);

struct FitSummary {
  double maeAll = 0.0, maeAlkanes = 0.0, maeStrained = 0.0;
  int nAll = 0, nAlkanes = 0, nStrained = 0;
  std::vector<double> predicted;   // cross-validated prediction per record (kJ/mol or D)
};

// Weights of the energy fit: the ridge weights of the element, super-type, row and atom-type
// layers, the smoothing fraction of smoothEnergies for rows that the fitted molecules use, and
// the fraction for rows that none of them uses (their value is a prior only: a held-out molecule
// with a row of its own is predicted from it).
typedef std::array<double, 6> EnergyWeights;

// An aromatic row's energy lies between those of the single and the double row of the same two
// types; a written value outside that band is set to its middle. Returns the rows moved.
int boundAromaticEnergies();
// The bond energies of the loaded table, row by row.
std::vector<float> tableEnergies();
// Sets every row's energy to its written value moved the fraction alpha toward the mean written
// energy of the exact rows of its super-type pair (element pair when a type has no super type).
// The written values are authored, not fitted, so this prior uses no reference data.
void smoothEnergies(const std::vector<float>& written, double alpha);
// The same with a fraction per row.
void smoothEnergies(const std::vector<float>& written, const std::vector<double>& alpha);
// Sets the model's ridge weights and the table's smoothed energies; fitEnergies then smooths the
// rows that its molecules leave unused by the second fraction, until clearPrior.
void useWeights(LayeredModel& model, const EnergyWeights& weights,
                const std::vector<float>& written);
void clearPrior();

// Heats of formation: layered ridge fit of energy corrections, 10-fold cross-validated.
FitSummary crossValidateEnergies(std::vector<MoleculeRecord>& records, LayeredModel& model,
                                 int folds);
// The same, with the weights chosen per outer fold from `grid` by an inner 5-fold
// cross-validation of that fold's training part; `chosen` gets the grid index of each fold.
// The table's energies are left as written.
FitSummary nestedCrossValidateEnergies(std::vector<MoleculeRecord>& records, LayeredModel& model,
                                       int folds, const std::vector<EnergyWeights>& grid,
                                       std::vector<int>& chosen);
std::vector<double> fitEnergies(std::vector<MoleculeRecord>& records, LayeredModel& model,
                                const std::vector<int>& use);
void applyEnergies(LayeredModel& model, const std::vector<double>& delta);

// Dipoles: Gauss-Newton on |sum of bond moment vectors|, same layers; records marked extra are
// fitted in every fold and never judged.
FitSummary crossValidateMoments(std::vector<MoleculeRecord>& records, LayeredModel& model,
                                int folds);
std::vector<double> fitMoments(std::vector<MoleculeRecord>& records, LayeredModel& model,
                               const std::vector<int>& use);
void applyMoments(LayeredModel& model, const std::vector<double>& delta);
double modelDipole(const MoleculeRecord& record, LayeredModel* model,
                   const std::vector<double>* delta);

// Geometry: moves each row's distance (and angle row's angle) by the median deviation seen. A
// distance stays within kDistanceMargin of the reference lengths of the row's own bonds; a row
// whose reference lengths spread over more than kDistanceSpread is not moved (its bonds are not
// one kind: a misread molecule lends it another bond); bonds in three- and four-membered rings
// move no row (bent bonds of a strained ring say nothing of the row's open-chain length). Angles
// likewise: within kAngleMargin of the row's reference angles, not moved when they spread over
// more than kAngleSpread (a catch-all default such as "* C *" serves quaternary carbons and acyl
// fluorides alike), none at an atom of a three- or four-membered ring. Each returns one line per
// row it refused or held.
const double kDistanceMargin = 0.04;   // Angstrom
const double kDistanceSpread = 0.08;   // Angstrom
const double kAngleMargin = 4.0;       // degrees
const double kAngleSpread = 12.0;      // degrees
std::vector<std::string> fitDistances(const std::vector<MoleculeRecord>& records, double damping);
void fitAngles(const std::vector<MoleculeRecord>& records, double damping,
               std::vector<std::string>& refused);

// Geometry fit on the records' ids (three rounds of distances and angles, each followed by a new
// run of the set-up chain); returns the records after the last round and the refusal lines.
std::vector<MoleculeRecord> fitGeometry(const std::string& sdfPath,
                                        const std::map<std::string, std::string>& ids,
                                        std::vector<std::string>& refused);

struct GeometryError {
  double lengthMae = 0.0, angleMae = 0.0;   // Angstrom, degrees
  int lengths = 0, angles = 0;
};
GeometryError geometryError(const std::vector<MoleculeRecord>& records);
// k-fold cross-validation of the geometry fit: each fold's molecules, as the set-up chain builds
// them after a fit on the others from the tables as loaded; the tables are left as loaded.
std::vector<MoleculeRecord> crossValidateGeometry(const std::string& sdfPath,
                                                  const std::map<std::string, std::string>& ids,
                                                  int folds);

// Tables -----------------------------------------------------------------------------------------

// Writes the loaded bond (angle) rows over the numbers of the table text read from `in`, with
// the calibration comment after the first line. False when a file cannot be read or written.
bool writeBondTable(const std::string& in, const std::string& out, const std::string& note);
bool writeAngleTable(const std::string& in, const std::string& out, const std::string& note);
bool writeRingStrainTable(const std::string& in, const std::string& out, const std::string& note);

}  // namespace calib

#endif
