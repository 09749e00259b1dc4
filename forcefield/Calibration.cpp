// Routines for the developers who calibrate the tables: a molecule list writer, the dipole-moment
// test set run against experiment, and a numerical check of the analytical forces. File names are
// relative to the working directory.
#include "forcefield/MolecularSystem.h"

#include "math/UtilityEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Builder.h"
#include "model/Molecule.h"
#include "parameters/InputParameters.h"
#include "parameters/TableText.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <memory>
#include <sstream>

namespace {

const char* const kMoleculesFile = "Library/molecules.txt";
const char* const kDipoleExperiments = "Library/dipole_exp.txt";
const char* const kTestSet = "Library/molecules_backup.txt";
const char* const kOrderedList = "Library/molecules_order.txt";
const char* const kDipoleTable = "Library/dipolemoment.txt";
const char* const kHalideList = "Library/alkylhalidescoor.txt";
const char* const kHalideTable = "Library/alkylhalidesdip.txt";
const char* const kNumericalReport = "nmt.out";
const int kLastPlainMolecule = 121;   // every molecule of the test set after it is a halide
const float kDebyePerElectronAngstrom = 4.802813f;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File openFile(const char* path, const char* mode) {
  File file(std::fopen(path, mode));
  if (!file) ErrorLine() << "Error: MolecularSystem: cannot open \"" << path << "\"";
  return file;
}

// One block of a molecule list: atom types with positions, and bonds (first, second, order).
struct ListedMolecule {
  std::vector<std::string> types;
  std::vector<SSEVector4f> positions;
  std::vector<std::array<int, 3>> bonds;
};

// One line of the experimental dipole list: name (blanks allowed), formula, Debye.
struct DipoleExperiment {
  std::string name;
  std::string formula;
  double dipoleDebye = 0.0;
};

void writeBlock(std::FILE* out, const std::string& header, const ListedMolecule& m) {
  std::fputs(header.c_str(), out);
  for (size_t a = 0; a < m.types.size(); ++a)
    std::fprintf(out, "ATOM %-4s %12.5f %12.5f %12.5f\n", m.types[a].c_str(), m.positions[a].x,
                 m.positions[a].y, m.positions[a].z);
  for (size_t b = 0; b < m.bonds.size(); ++b)
    std::fprintf(out, "BOND %5d %5d %5d %5d\n", static_cast<int>(b), m.bonds[b][0],
                 m.bonds[b][1], m.bonds[b][2]);
  std::fputs("\n", out);
}

template <class... Values>
std::string printed(const char* format, Values... values) {
  const int length = std::snprintf(nullptr, 0, format, values...);
  if (length <= 0) return std::string();
  std::string text(static_cast<size_t>(length) + 1, '\0');
  std::snprintf(&text[0], text.size(), format, values...);
  text.pop_back();
  return text;
}

// The lines of a text file that hold something once trimmed, "//" lines left out. False when
// the file cannot be opened.
bool readContentLines(const char* path, std::vector<std::string>& lines) {
  std::ifstream in(path);
  if (!in) {
    ErrorLine() << "Error: MolecularSystem: cannot open \"" << path << "\"";
    return false;
  }
  for (std::string line; std::getline(in, line);) {
    TableText::trimBoth(line, "\r\n\t ");
    if (!line.empty() && !TableText::startsWith(line, "//")) lines.push_back(line);
  }
  return true;
}

// Cuts the last field off the end of the line: the field, and the line without it, trimmed.
bool cutLastField(std::string& line, std::string& field) {
  const size_t blank = line.find_last_of(" \t");
  if (blank == std::string::npos) return false;
  field = line.substr(blank + 1);
  line.erase(blank);
  TableText::trimEnd(line, " \t");
  return !line.empty();
}

bool readDipoleExperiments(std::vector<DipoleExperiment>& experiments) {
  std::vector<std::string> lines;
  if (!readContentLines(kDipoleExperiments, lines)) return false;
  for (std::string line : lines) {
    DipoleExperiment e;
    std::string dipole;
    const std::string whole = line;
    if (!cutLastField(line, dipole) || !cutLastField(line, e.formula) ||
        !TableText::toDouble(dipole, e.dipoleDebye)) {
      ErrorLine() << "Error: MolecularSystem::fillOrder: bad line \"" << whole << "\" in \""
                  << kDipoleExperiments << "\"";
      continue;
    }
    e.name = line;
    experiments.push_back(e);
  }
  return true;
}

// Reads the molecule list: "Mole..." starts a molecule, "ATOM" adds an atom, "BOND" a bond.
bool readTestSet(std::vector<ListedMolecule>& molecules) {
  std::vector<std::string> lines;
  if (!readContentLines(kTestSet, lines)) return false;
  for (const std::string& line : lines) {
    std::istringstream in(line);
    std::string token;
    in >> token;
    if (token.compare(0, 4, "Mole") == 0) {
      molecules.emplace_back();
      continue;
    }
    if (token != "ATOM" && token != "BOND") {
      UtilityEngine::instance()->printToConsole("Undefined State!");
      continue;
    }
    std::string type;
    float x = 0.0f, y = 0.0f, z = 0.0f;
    int index = 0, first = 0, second = 0, order = 0;
    const bool isAtom = token == "ATOM";
    const bool read = isAtom ? static_cast<bool>(in >> type >> x >> y >> z)
                             : static_cast<bool>(in >> index >> first >> second >> order);
    const int atoms = molecules.empty() ? 0 : static_cast<int>(molecules.back().types.size());
    if (molecules.empty() || !read ||
        (!isAtom && (first < 0 || second < 0 || first >= atoms || second >= atoms ||
                     first == second))) {
      ErrorLine() << "Error: MolecularSystem::fillOrder: bad line \"" << line << "\" in \""
                  << kTestSet << "\"";
      continue;
    }
    if (isAtom) {
      molecules.back().types.push_back(type);
      molecules.back().positions.emplace_back(x, y, z, 1.0f);
    } else {
      molecules.back().bonds.push_back({first, second, order});
    }
  }
  return true;
}

// The element and the super type of each atom of a listed molecule, from the atom-type table;
// a type the table lacks is reported and gets empty names.
struct ListedTypes {
  std::vector<std::string> elements;
  std::vector<std::string> superTypes;
};

ListedTypes lookUpTypes(const ListedMolecule& listed) {
  ListedTypes out;
  InputParameters* params = InputParameters::instance();
  for (const std::string& type : listed.types) {
    AtomTypeParameters record;
    if (!params->findAtomTypeParameters(type, record)) {
      printError("CANNOT FIND THE PARAMETERS FOR ATOM : " + type);
      record = AtomTypeParameters();
    }
    out.elements.push_back(record.element);
    out.superTypes.push_back(record.stype);
  }
  return out;
}

// The bond orders above single that an atom of the super type carries: a triple bond (or two
// double bonds) for "CSP", a double bond for "CSP2" and "OSP2".
int ordersAboveSingle(const std::string& superType) {
  if (superType == "CSP") return 2;
  if (superType == "CSP2" || superType == "OSP2") return 1;
  return 0;
}

// Gives a list written with single bonds only its multiple bonds: each single bond, in list
// order, takes the orders both its atoms still lack (so C=C=O of a ketene and C#C of an alkyne
// come out whole). Multiple bonds already listed count for their atoms. In list order, so a
// conjugated chain listed from its end comes out alternating.
void fillBondOrders(ListedMolecule& listed, const std::vector<std::string>& superTypes) {
  std::vector<int> lacking;
  for (const std::string& superType : superTypes) lacking.push_back(ordersAboveSingle(superType));
  auto take = [&lacking](int atom, int orders) {
    lacking[atom] = std::max(0, lacking[atom] - orders);
  };
  for (const std::array<int, 3>& bond : listed.bonds) {
    const int above =
        bond[2] == kAromaticOrder ? 1 : bond[2] == 2 || bond[2] == 3 ? bond[2] - 1 : 0;
    take(bond[0], above);
    take(bond[1], above);
  }
  for (std::array<int, 3>& bond : listed.bonds) {
    if (bond[2] != 1) continue;
    const int above = std::min(lacking[bond[0]], lacking[bond[1]]);
    if (above == 0) continue;
    bond[2] += above;
    take(bond[0], above);
    take(bond[1], above);
  }
}

// The charge (e) a bond moment (Debye) leaves at either end of a bond of the length (Angstrom).
double chargeSeparation(float moment, float distance) {
  if (!(std::fabs(distance) > 1e-6f)) return 0.0;
  return moment / (kDebyePerElectronAngstrom * distance);
}

// The dipole moment (Debye) of a listed molecule with the bond-moment charges: each bond's
// moment from the bond-moment table spread over the bond's length from the bond table (the
// moment row's own length when the bond table has no row). Angles and dihedrals with a hydrogen
// at an end only check that their ends have a moment row.
double bondDipole(const ListedMolecule& listed, const ListedTypes& types) {
  std::unique_ptr<Molecule> molecule(Builder::instance()->createMolecule());
  for (size_t a = 0; a < listed.types.size(); ++a) {
    Atom* atom = Builder::instance()->createAtom();
    atom->type = listed.types[a];
    atom->element = types.elements[a];
    atom->name = atom->element + std::to_string(a + 1);
    atom->position = listed.positions[a];
    molecule->addAtom(atom);
  }
  for (const std::array<int, 3>& bond : listed.bonds)
    molecule->addBond(static_cast<unsigned>(bond[0]), static_cast<unsigned>(bond[1]), bond[2]);
  MolecularSystem system(molecule.get());
  system.charges.assign(system.atomCount, 0.0);
  InputParameters* params = InputParameters::instance();
  const std::vector<std::string>& type = system.atomTypes;
  auto elementOf = [&types](int atom) { return types.elements[static_cast<size_t>(atom)]; };
  auto isDummy = [&type](int atom) { return type[atom] == "DUM"; };
  for (int b = 0; b < system.bondCount; ++b) {
    const int first = system.bondAtom1[b], second = system.bondAtom2[b];
    if (isDummy(first) || isDummy(second)) continue;
    BondParameters row;
    const bool tabled =
        params->findBondParameters(type[first], type[second], system.bondOrder[b], row) != 0;
    if (!tabled) printError("Cannot find this bond.");
    BondMomentParameters moment;
    if (!params->findBondMomentParameters(elementOf(first), elementOf(second), system.bondOrder[b],
                                          moment)) {
      printError("Cannot find this bond.");
      continue;
    }
    const float sign = elementOf(first) == moment.type1 ? 1.0f : -1.0f;
    const double separation =
        chargeSeparation(sign * moment.moment, tabled ? row.distance : moment.distance);
    system.charges[first] += separation;
    system.charges[second] -= separation;
  }
  auto checkEnds = [&](int a, int b, const char* missing) {
    if (isDummy(a) || isDummy(b) || (type[a] != "H" && type[b] != "H")) return;
    BondMomentParameters moment;
    if (!params->findBondMomentParameters(elementOf(a), elementOf(b), 1, moment))
      printError(missing);
  };
  for (int t = 0; t < system.angleCount; ++t)
    checkEnds(system.angleAtom1[t], system.angleAtom3[t], "Cannot find this angle.");
  for (int d = 0; d < system.dihedralCount; ++d)
    checkEnds(system.dihedralAtom1[d], system.dihedralAtom4[d], "Cannot find this dihedral.");
  system.DipoleMoment();
  return system.dipoleMagnitude;
}

}  // namespace

int MolecularSystem::writeMolecule() {
  File out = openFile(kMoleculesFile, "a");
  if (!out) return EOF;
  ListedMolecule listed{atomTypes, coordinates, {}};
  for (int b = 0; b < bondCount; ++b) listed.bonds.push_back({bondAtom1[b], bondAtom2[b], bondOrder[b]});
  writeBlock(out.get(), printed("Molecule %5d %5d\n", atomCount, bondCount), listed);
  return std::fclose(out.release());
}

bool MolecularSystem::isAlkylHalides(int number) {
  static const int halides[] = {6, 7, 8, 10, 12, 13, 14, 25, 26, 29, 35, 36, 37, 74, 76, 77, 82, 85};
  return number > kLastPlainMolecule ||
         std::find(std::begin(halides), std::end(halides), number) != std::end(halides);
}

void MolecularSystem::fillOrder() {
  std::vector<DipoleExperiment> experiments;
  std::vector<ListedMolecule> molecules;
  if (!readDipoleExperiments(experiments) || !readTestSet(molecules)) return;
  if (experiments.size() != molecules.size())
    ErrorLine() << "Error: MolecularSystem::fillOrder: " << molecules.size() << " molecules in \""
                << kTestSet << "\" but " << experiments.size() << " in \"" << kDipoleExperiments
                << "\"";
  File ordered = openFile(kOrderedList, "w");
  File table = ordered ? openFile(kDipoleTable, "w") : nullptr;
  File halides = table ? openFile(kHalideList, "w") : nullptr;
  File halideTable = halides ? openFile(kHalideTable, "w") : nullptr;
  if (!halideTable) return;

  std::fputs("   Id Molecule                               Formular      Exp. Dip.    Bond Dip."
             "        error\n",
             table.get());
  double squaredErrors = 0.0;
  int number = 0;
  for (ListedMolecule& listed : molecules) {
    ++number;
    const ListedTypes types = lookUpTypes(listed);
    fillBondOrders(listed, types.superTypes);
    // A molecule without its line (a count mismatch) has no experimental value.
    const DipoleExperiment experiment =
        static_cast<size_t>(number) <= experiments.size() ? experiments[number - 1]
                                                          : DipoleExperiment();
    const char* name = experiment.name.c_str();
    const char* formula = experiment.formula.c_str();
    const int atoms = static_cast<int>(listed.types.size());
    const int bonds = static_cast<int>(listed.bonds.size());
    writeBlock(ordered.get(),
               printed("Molecule %5d [%s] %s %12.5f %5d %5d\n", number, name, formula,
                       experiment.dipoleDebye, atoms, bonds),
               listed);
    const double dipole = bondDipole(listed, types);
    // Percent error; a molecule measured without a dipole has none.
    const double error = experiment.dipoleDebye != 0.0
                             ? 100.0 * (dipole - experiment.dipoleDebye) / experiment.dipoleDebye
                             : 0.0;
    squaredErrors += error * error;
    const std::string row = printed("%5d [%-36s] %-10s %12.5f %12.5f %12.5f\n", number, name,
                                    formula, experiment.dipoleDebye, dipole, error);
    std::fputs(row.c_str(), table.get());
    if (isAlkylHalides(number)) {
      writeBlock(halides.get(),
                 printed("%5d [%s] %s %12.5f %5d %5d\n", number, name, formula,
                         experiment.dipoleDebye, atoms, bonds),
                 listed);
      std::fputs(row.c_str(), halideTable.get());
    }
  }
  const double deviation = number > 0 ? std::sqrt(squaredErrors / number) : 0.0;
  std::fprintf(table.get(), "Standard Deviation: %12.5f percent.\n", deviation);
}

int MolecularSystem::NumericalTest() {
  File report = openFile(kNumericalReport, "wt");
  if (!report) return 0;
  // The coordinates are floats: the step actually taken is what the rounded coordinates
  // differ by, at least one unit in the last place, so the quotient is a true difference
  // quotient even far from the origin.
  std::vector<double> numerical(static_cast<size_t>(atomCount) * 3, 0.0);
  for (int a = 0; a < atomCount; ++a)
    for (int axis = 0; axis < 3; ++axis) {
      float* coordinate = axis == 0 ? &coordinates[a].x : axis == 1 ? &coordinates[a].y
                                                                     : &coordinates[a].z;
      const float original = *coordinate;
      float lower = static_cast<float>(original - numericalStep);
      float upper = static_cast<float>(original + numericalStep);
      if (lower == original) lower = std::nextafter(original, -std::numeric_limits<float>::max());
      if (upper == original) upper = std::nextafter(original, std::numeric_limits<float>::max());
      *coordinate = lower;
      const double lowerEnergy = EnergyForce();
      *coordinate = upper;
      const double upperEnergy = EnergyForce();
      *coordinate = original;
      numerical[a * 3 + axis] =
          -(upperEnergy - lowerEnergy) / (static_cast<double>(upper) - lower);
    }
  EnergyForce();

  UtilityEngine* utility = UtilityEngine::instance();
  const char* header = " ATOM XYZ     NUMERICAL    ANALYTICAL    DIFFERENCE";
  utility->printToConsole(header);
  std::fprintf(report.get(), "%s\n", header);
  const char* axisNames[3] = {"X", "Y", "Z"};
  for (int a = 0; a < atomCount; ++a)
    for (int axis = 0; axis < 3; ++axis) {
      const double analytical = axis == 0 ? forceX[a] : axis == 1 ? forceY[a] : forceZ[a];
      const double numeric = numerical[a * 3 + axis];
      const std::string row = printed("%5d   %s  %12.5f  %12.5f  %12.5f", a, axisNames[axis],
                                      numeric, analytical, analytical - numeric);
      utility->printToConsole(row);
      std::fprintf(report.get(), "%s\n", row.c_str());
    }
  return std::fclose(report.release()) == 0 ? 1 : 0;
}
