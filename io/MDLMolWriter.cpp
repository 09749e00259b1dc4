// Writing MDL V2000 mol files: one record in fixed columns, with the aromatic rings in Kekule
// form and charges and mass numbers as property lines. A value that does not fit its columns
// fails the write with a message instead of shifting the fields after it.

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "io/FileTypes.h"
#include "io/MDLMolParser.h"
#include "math/UtilityEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "parameters/ElementSymbols.h"

namespace {

void reportProblem(const std::string& what, const std::string& input) {
  ErrorLine() << "Error: MDLMolParser: " << what << " \"" << input << "\"";
}

// Line 1: the molecule's name, else its SMILES text, on one line without blanks at its ends.
std::string nameLine(const Molecule& m) {
  std::string name = m.getName().empty() ? m.smiles : m.getName();
  std::replace(name.begin(), name.end(), '\n', ' ');
  std::replace(name.begin(), name.end(), '\r', ' ');
  const size_t first = name.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  return name.substr(first, name.find_last_not_of(" \t") - first + 1);
}

// The atom block's charge code of a formal charge; charges beyond +-3 only go to "M  CHG".
int codeFromCharge(int charge) {
  switch (charge) {
    case 3: return 1;
    case 2: return 2;
    case 1: return 3;
    case -1: return 5;
    case -2: return 6;
    case -3: return 7;
    default: return 0;
  }
}

// One fixed-width field; false when the value does not fit its columns.
bool appendField(std::string& out, const char* format, double value, int width) {
  char text[64];
  const int written = std::snprintf(text, sizeof text, format, value);
  if (written != width) return false;
  out += text;
  return true;
}

bool appendInt(std::string& out, int value, int width) {
  char text[32];
  const int written = std::snprintf(text, sizeof text, "%*d", width, value);
  if (written != width) return false;
  out += text;
  return true;
}

const int kMaxCount = 999;   // the counts line gives each count three columns

// One property line of one entry ("M  CHG  1 aaa vvv") for each atom whose value is set: other
// than 0, and above 0 when onlyPositive (mass numbers). False (with a message naming what) when a
// value does not fit its column.
bool appendPropertyLines(std::string& out, const Molecule& m, const char* head, int Atom::*field,
                         bool onlyPositive, const char* what) {
  for (const Atom* a : m.atoms) {
    const int value = a->*field;
    if (value == 0 || (onlyPositive && value < 0)) continue;
    out += head;
    appendInt(out, a->id + 1, 4);
    if (!appendInt(out, value, 4)) {
      reportProblem(std::string(what) + " too wide for its column at atom", a->name);
      return false;
    }
    out += "\n";
  }
  return true;
}

}  // namespace

bool MDLMolParser::formatMDLMol(Molecule* m, std::string& out) {
  out.clear();
  if (m == nullptr || !m->update()) return false;
  if (m->atoms.size() > static_cast<size_t>(kMaxCount) ||
      m->bonds.size() > static_cast<size_t>(kMaxCount)) {
    reportProblem("too many atoms or bonds for a V2000 file in",
                     std::to_string(m->atoms.size()) + " atoms, " +
                         std::to_string(m->bonds.size()) + " bonds");
    return false;
  }

  out += nameLine(*m) + "\n";
  // Header line: program name in columns 3-10, date columns 11-20 left blank, the dimension
  // code in columns 21-22: the coordinates are three-dimensional.
  out += "  Kestavor" + std::string(10, ' ') + "3D" + std::string(30, ' ') + "\n";
  out += "\n";
  appendInt(out, static_cast<int>(m->atoms.size()), 3);
  appendInt(out, static_cast<int>(m->bonds.size()), 3);
  out += "  0  0  0  0  0  0  0  0999 V2000\n";

  for (const Atom* a : m->atoms) {
    // The molecule's own coordinates, as the other writers give them: a molecule on screen
    // has its spheres moved about the mesh's centre, the local frame the view draws.
    SSEVector4f p = a->position;
    p.clamp();
    if (!appendField(out, "%10.4f", p.x, 10) || !appendField(out, "%10.4f", p.y, 10) ||
        !appendField(out, "%10.4f", p.z, 10)) {
      reportProblem("coordinate too wide for its column at atom", a->name);
      return false;
    }
    if (a->element.empty() || a->element.size() > 3) {
      reportProblem("no element symbol of at most 3 letters for atom", a->name);
      return false;
    }
    // Standard case whatever case a reader stored ("SI" is written "Si"); a symbol that is no
    // element (the dummy "R") stays as it is.
    std::string symbol = standardElementSymbol(a->element);
    if (symbol.empty()) symbol = a->element;
    symbol.resize(3, ' ');
    out += " " + symbol + " 0";
    appendInt(out, codeFromCharge(a->charge), 3);
    out += "  0  0  0  0  0  0  0  0  0  0\n";
  }

  const std::vector<int> types = fileBondTypes(m);
  for (size_t k = 0; k < m->bonds.size(); ++k) {
    const Bond* b = m->bonds[k];
    if (b->atom1 == nullptr || b->atom2 == nullptr) {
      reportProblem("bond without both ends", b->name);
      return false;
    }
    if (b->order != 1 && b->order != 2 && b->order != 3 && b->order != kAromaticOrder) {
      reportProblem("bond order not in the format at bond",
                       b->getName() + " order " + std::to_string(b->order));
      return false;
    }
    appendInt(out, b->atom1->id + 1, 3);
    appendInt(out, b->atom2->id + 1, 3);
    appendInt(out, types[k], 3);   // aromatic rings in Kekule form
    out += "  0  0  0  0\n";
  }

  if (!appendPropertyLines(out, *m, "M  CHG  1", &Atom::charge, false, "formal charge") ||
      !appendPropertyLines(out, *m, "M  ISO  1", &Atom::isotope, true, "mass number"))
    return false;
  out += "M  END\n";
  return true;
}

bool MDLMolParser::writeMDLMolFile(Molecule* m, const char* path) {
  if (m == nullptr || path == nullptr) return false;
  std::string text;
  if (!formatMDLMol(m, text)) return false;
  // A path named as an SD file gets the record's closing line.
  const FileType* type = fileTypeOf(path);
  if (type != nullptr && type->format == FileFormat::SD) text += "$$$$\n";
  // A failed write leaves the old file as it was.
  std::string reason;
  if (!writeWholeFile(path, text, reason)) {
    ErrorLine() << "Error: MDLMolParser: cannot write \"" << path << "\" (" << reason << ")";
    return false;
  }
  return true;
}
