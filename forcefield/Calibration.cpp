// Routines for the developers who calibrate the tables: a molecule list writer, the dipole-moment
// test set run against experiment, and a numerical check of the analytical forces. File names are
// relative to the working directory.
#include "forcefield/MolecularSystem.h"

#include "math/UtilityEngine.h"
#include "model/Atom.h"
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

// The dipole moment (Debye) of a listed molecule with the bond-moment charges.
double bondDipole(const ListedMolecule& listed) {
  std::unique_ptr<Molecule> molecule(Builder::instance()->createMolecule());
  InputParameters* params = InputParameters::instance();
  for (size_t a = 0; a < listed.types.size(); ++a) {
    Atom* atom = Builder::instance()->createAtom();
    atom->type = listed.types[a];
    AtomTypeParameters record;
    if (params->findAtomTypeParameters(atom->type, record))
      atom->element = record.element;
    else
      printError("CANNOT FIND THE PARAMETERS FOR ATOM : " + atom->type);
    atom->name = atom->element + std::to_string(a + 1);
    atom->position = listed.positions[a];
    molecule->addAtom(atom);
  }
  for (const std::array<int, 3>& bond : listed.bonds)
    molecule->addBond(static_cast<unsigned>(bond[0]), static_cast<unsigned>(bond[1]), bond[2]);
  MolecularSystem system(molecule.get());
  system.charges.assign(system.atomCount, 0.0);
  system.findCharge();
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
  for (const ListedMolecule& listed : molecules) {
    ++number;
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
    const double dipole = bondDipole(listed);
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
