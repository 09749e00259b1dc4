// kvtool's output for one molecule.

#include "tools/kvtoolReport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unordered_map>

#include "io/SmilesWriter.h"
#include "math/UtilityEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "parameters/InputParameters.h"
#include "parameters/ParameterRecords.h"

namespace kvtool {

namespace {

bool finite(double v) { return std::isfinite(v); }

// Length of the valid UTF-8 sequence at text[i], 0 when the bytes there are not one.
size_t utf8Length(const std::string& text, size_t i) {
  const unsigned char c = static_cast<unsigned char>(text[i]);
  size_t length = 0;
  unsigned int code = 0;
  if (c >= 0xC2 && c <= 0xDF) {
    length = 2;
    code = c & 0x1F;
  } else if (c >= 0xE0 && c <= 0xEF) {
    length = 3;
    code = c & 0x0F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    length = 4;
    code = c & 0x07;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  for (size_t k = 1; k < length; ++k) {
    const unsigned char next = static_cast<unsigned char>(text[i + k]);
    if ((next & 0xC0) != 0x80) return 0;
    code = (code << 6) | (next & 0x3F);
  }
  // Overlong forms, surrogates and values past U+10FFFF are not valid.
  if ((length == 3 && code < 0x800) || (length == 4 && (code < 0x10000 || code > 0x10FFFF)) ||
      (code >= 0xD800 && code <= 0xDFFF))
    return 0;
  return length;
}

std::string fixed(double value, int decimals) {
  if (!finite(value)) return "nan";
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  return buffer;
}

// The parameter rows the force field will miss for this molecule, each named once.
std::vector<std::string> missingParameters(const Molecule& m) {
  InputParameters* tables = InputParameters::instance();
  std::vector<std::string> out;
  auto note = [&out](const std::string& text) {
    if (std::find(out.begin(), out.end(), text) == out.end()) out.push_back(text);
  };
  for (const Atom* a : m.atoms) {
    AtomTypeParameters typeRow;
    if (tables->findAtomTypeParameters(a->type, typeRow) == 0)
      note("no atom type parameters for " + a->type);
  }
  for (const Bond* b : m.bonds) {
    if (b->atom1 == nullptr || b->atom2 == nullptr) continue;
    BondParameters bondRow;
    if (tables->findBondParameters(b->atom1->type, b->atom2->type, b->order, bondRow) == 0)
      note("no bond parameters for " + b->atom1->type + " " + b->atom2->type + " " +
           std::to_string(b->order));
  }
  for (const Atom* centre : m.atoms) {
    std::vector<const Atom*> ends;
    for (Bond* b : centre->bonds)
      if (const Atom* other = centre->getAdjacentAtom(b)) ends.push_back(other);
    for (size_t i = 0; i < ends.size(); ++i)
      for (size_t j = i + 1; j < ends.size(); ++j) {
        AngleParameters angleRow;
        if (tables->findAngle(ends[i]->type, centre->type, ends[j]->type, angleRow) == 0)
          note("no angle parameters for " + ends[i]->type + " " + centre->type + " " +
               ends[j]->type);
      }
  }
  return out;
}

}  // namespace

std::string jsonString(const std::string& text) {
  std::string out = "\"";
  for (size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c >= 0x80) {
      const size_t length = utf8Length(text, i);
      if (length == 0) {
        out += "\\ufffd";
        ++i;
      } else {
        out.append(text, i, length);
        i += length;
      }
      continue;
    }
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      default:
        if (c < 0x20 || c == 0x7F) {
          char buffer[8];
          std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
          out += buffer;
        } else {
          out += static_cast<char>(c);
        }
    }
    ++i;
  }
  return out + "\"";
}

std::string jsonNumber(double value) {
  if (!finite(value)) return "null";
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.9g", value);
  return buffer;
}

Summary summarize(const Record& record) {
  Summary s;
  s.name = record.name;
  s.seconds = record.seconds;
  Molecule* m = record.molecule.get();
  if (m == nullptr) {
    s.error = record.error.empty() ? "Error: kvtool: molecule not read" : record.error;
    return s;
  }
  if (s.name.empty()) s.name = m->getName();

  SmilesWriter writer;
  writer.setStereo(true);
  if (!writer.createSmilesFromMolecule(m, s.smiles)) s.smiles = m->smiles;

  std::unordered_map<const Atom*, int> index;
  bool finiteCoordinates = true;
  for (const Atom* a : m->atoms) {
    index[a] = static_cast<int>(s.atoms.size());
    AtomLine line;
    line.element = a->element;
    line.type = a->type;
    line.x = a->position.x;
    line.y = a->position.y;
    line.z = a->position.z;
    finiteCoordinates = finiteCoordinates && finite(line.x) && finite(line.y) && finite(line.z);
    s.atoms.push_back(line);
  }
  InputParameters* tables = InputParameters::instance();
  for (const Bond* b : m->bonds) {
    const auto first = index.find(b->atom1);
    const auto second = index.find(b->atom2);
    if (first == index.end() || second == index.end()) continue;   // a bond to no listed atom
    BondLine line;
    line.a = first->second;
    line.b = second->second;
    line.order = b->order;
    BondParameters row;
    line.code = tables->findBondParameters(b->atom1->type, b->atom2->type, b->order, row);
    s.bonds.push_back(line);
  }
  s.totalBondEnergy = m->totalBondEnergy;
  s.heatOfFormation = m->heatOfFormation;
  s.dipole = m->dipoleMoment;
  s.hasDipole = m->hasDipoleMoment;
  s.warnings = record.warnings;
  for (const std::string& missing : missingParameters(*m)) s.warnings.push_back(missing);

  if (!finiteCoordinates)
    s.error = "Error: kvtool: coordinates not finite";
  else if (!finite(s.totalBondEnergy) || !finite(s.heatOfFormation) ||
           (s.hasDipole && !finite(s.dipole)))
    s.error = "Error: kvtool: energies or dipole not finite";
  s.ok = s.error.empty();
  return s;
}

std::string toJson(const Summary& s) {
  std::string out = "{\"name\":" + jsonString(s.name) + ",\"ok\":" + (s.ok ? "true" : "false");
  if (!s.ok) out += ",\"error\":" + jsonString(s.error);
  out += ",\"smiles\":" + jsonString(s.smiles) + ",\"atoms\":[";
  for (size_t i = 0; i < s.atoms.size(); ++i) {
    const AtomLine& a = s.atoms[i];
    if (i > 0) out += ',';
    out += "{\"element\":" + jsonString(a.element) + ",\"type\":" + jsonString(a.type) +
           ",\"x\":" + jsonNumber(a.x) + ",\"y\":" + jsonNumber(a.y) + ",\"z\":" + jsonNumber(a.z) +
           "}";
  }
  out += "],\"bonds\":[";
  for (size_t i = 0; i < s.bonds.size(); ++i) {
    const BondLine& b = s.bonds[i];
    if (i > 0) out += ',';
    out += "{\"a\":" + std::to_string(b.a) + ",\"b\":" + std::to_string(b.b) +
           ",\"order\":" + std::to_string(b.order) + ",\"code\":" + std::to_string(b.code) + "}";
  }
  out += "],\"warnings\":[";
  for (size_t i = 0; i < s.warnings.size(); ++i)
    out += (i > 0 ? "," : "") + jsonString(s.warnings[i]);
  out += "],\"totalBondEnergy\":" + jsonNumber(s.totalBondEnergy) +
         ",\"heatOfFormation\":" + jsonNumber(s.heatOfFormation) +
         ",\"dipole\":" + (s.hasDipole ? jsonNumber(s.dipole) : std::string("null")) +
         ",\"seconds\":" + jsonNumber(s.seconds) + "}";
  return out;
}

std::string toText(const Summary& s) {
  std::string out = "name: " + printableText(s.name) + "\n";
  if (!s.error.empty()) out += "error: " + printableText(s.error) + "\n";
  if (s.atoms.empty() && !s.ok) {
    out += "seconds: " + fixed(s.seconds, 4) + "\n\n";
    return out;
  }
  for (const std::string& warning : s.warnings)
    out += "warning: " + printableText(warning) + "\n";
  out += "smiles: " + printableText(s.smiles) + "\n";
  out += "atoms: " + std::to_string(s.atoms.size()) + "  (index element type x y z, Angstrom)\n";
  for (size_t i = 0; i < s.atoms.size(); ++i) {
    const AtomLine& a = s.atoms[i];
    out += "  " + std::to_string(i) + " " + printableText(a.element) + " " +
           printableText(a.type) + " " + fixed(a.x, 4) + " " + fixed(a.y, 4) + " " +
           fixed(a.z, 4) + "\n";
  }
  out += "bonds: " + std::to_string(s.bonds.size()) + "  (atom atom order code)\n";
  for (const BondLine& b : s.bonds)
    out += "  " + std::to_string(b.a) + " " + std::to_string(b.b) + " " +
           std::to_string(b.order) + " " + std::to_string(b.code) + "\n";
  out += "total bond energy: " + fixed(s.totalBondEnergy, 4) + " eV\n";
  out += "heat of formation: " + fixed(s.heatOfFormation, 4) + " eV\n";
  out += "dipole moment: " + (s.hasDipole ? fixed(s.dipole, 4) + " Debye" : "none") + "\n";
  out += "seconds: " + fixed(s.seconds, 4) + "\n\n";
  return out;
}

}  // namespace kvtool
