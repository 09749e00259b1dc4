// The property block of a V2000 record: charges and mass numbers.

#include <cstdlib>
#include <string>

#include "io/MDLMolParserLines.h"
#include "model/Atom.h"
#include "model/Molecule.h"
#include "parameters/ElementSymbols.h"

namespace mdlread {

namespace {

const int kMaxLineEntries = 8;     // (atom, value) entries on one "M  CHG" or "M  ISO" line
const int kMaxFormalCharge = 15;   // the format's bound; each element has its own below it

// The element of an atom; a graph read without perception keeps its symbol in the name only
// ("Cl3").
std::string elementOf(const Atom& a) {
  if (!a.element.empty()) return a.element;
  const size_t digits = a.name.find_first_of("0123456789");
  return a.name.substr(0, digits);
}

// The entries of "M  XXXnn8 aaa vvv ...": a count, then that many pairs of atom number and value.
// A value outside inRange fails its entry as a damaged one would; take gets each atom and value
// in turn and says false after a message of its own. False after a message; what names the line
// in the messages ("bad charge entry in").
template <class InRange, class Take>
bool readAtomEntries(const std::string& input, const RecordLines& lines, const std::string& what,
                     Molecule& m, InRange inRange, Take take) {
  std::string line = input;
  int count = 0;
  if (!readInt(columns(line, 7, 9), false, count) || count < 1 || count > kMaxLineEntries) {
    lines.report("bad " + what + " entry count in", input);
    return false;
  }
  padTo(line, 9 + 8 * static_cast<size_t>(count));
  for (size_t k = 0; k < static_cast<size_t>(count); ++k) {
    int atomNumber = 0;
    int value = 0;
    if (!readInt(columns(line, 10 + 8 * k, 13 + 8 * k), false, atomNumber) ||
        !readInt(columns(line, 14 + 8 * k, 17 + 8 * k), false, value) || atomNumber < 1 ||
        static_cast<size_t>(atomNumber) > m.atoms.size() || !inRange(value)) {
      lines.report("bad " + what + " entry in", input);
      return false;
    }
    if (!take(*m.atoms[static_cast<size_t>(atomNumber) - 1], value)) return false;
  }
  return true;
}

// "M  ISOnn8 aaa vvv ...": mass numbers of the atoms named.
bool readIsotopeLine(const std::string& input, const RecordLines& lines, Molecule& m) {
  return readAtomEntries(
      input, lines, "isotope", m,
      [](int massNumber) { return massNumber >= 1 && massNumber <= 999; },
      [](Atom& a, int massNumber) {
        a.isotope = massNumber;
        return true;
      });
}

// "M  CHGnn8 aaa vvv ...": the entries replace every charge of the atom block, so the first
// such line of a record clears them all.
bool readChargeLine(const std::string& input, const RecordLines& lines, bool& firstChargeLine,
                    Molecule& m) {
  if (firstChargeLine) {
    for (Atom* a : m.atoms) a->charge = 0;
    firstChargeLine = false;
  }
  return readAtomEntries(
      input, lines, "charge", m, [](int charge) { return std::abs(charge) <= kMaxFormalCharge; },
      [&](Atom& a, int charge) {
        const std::string beyond = impossibleCharge(elementOf(a), charge);
        if (!beyond.empty()) {
          lines.report(beyond + " for atom " + a.name + " in charge line", input);
          return false;
        }
        a.charge = charge;
        return true;
      });
}

}  // namespace

// Property lines up to "M  END"; charges and mass numbers are taken. False after a message.
bool readPropertyLines(RecordLines& lines, Molecule& m) {
  bool firstChargeLine = true;
  std::string line;
  while (lines.next(line)) {
    if (startsWith(line, "M  END") || line.find("$$$$") != std::string::npos) break;
    if (startsWith(line, "M  CHG") && !readChargeLine(line, lines, firstChargeLine, m))
      return false;
    if (startsWith(line, "M  ISO") && !readIsotopeLine(line, lines, m)) return false;
  }
  return true;
}

}  // namespace mdlread
