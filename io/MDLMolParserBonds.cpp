// The bond block of a V2000 record, and the checks on the distances it gives.

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "io/InputFile.h"
#include "io/MDLMolParserLines.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"

namespace mdlread {

namespace {

std::string lengthText(float d) {
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%.3f A", static_cast<double>(d));
  return buffer;
}

// What a bond line says next to the lines before it.
enum class BondNews { NewBond, Copy, Contradiction };

// A line that bonds two atoms an earlier line bonded is a copy when it gives the same type,
// dropped with a warning naming both lines, and a contradiction, which fails the record after a
// message naming both, when it gives another.
BondNews compareWithEarlierLines(const std::string& input, const RecordLines& lines, int first,
                                 int second, int type, const Molecule& m,
                                 const std::vector<BondLine>& bondLines) {
  const Atom* a = m.atoms[static_cast<size_t>(first - 1)];
  const Atom* b = m.atoms[static_cast<size_t>(second - 1)];
  const Bond* earlier = bondBetween(a, b);
  if (earlier == nullptr) return BondNews::NewBond;
  const size_t index =
      static_cast<size_t>(std::find(m.bonds.begin(), m.bonds.end(), earlier) - m.bonds.begin());
  const BondLine said = index < bondLines.size() ? bondLines[index] : BondLine{0, 0};
  if (said.type != type) {
    lines.report("atoms " + a->name + " and " + b->name + ", bonded with type " +
                     std::to_string(said.type) + " on line " + std::to_string(said.line) +
                     ", are given type " + std::to_string(type) + " in bond line",
                 input);
    return BondNews::Contradiction;
  }
  ErrorLine() << "Warning: MDLMolParser: bond line \"" << input << "\" on " << lines.place()
              << " repeats line " << said.line << " (atoms " << a->name << " and " << b->name
              << "); the copy is dropped";
  return BondNews::Copy;
}

}  // namespace

// A record whose atoms all sit at the origin gives no coordinates: they are made, not checked.
bool hasCoordinates(const Molecule& m) {
  for (const Atom* a : m.atoms)
    if (a->position.x != 0.0f || a->position.y != 0.0f || a->position.z != 0.0f) return true;
  return false;
}

// True when the atoms the record placed do not all lie in the plane z = 0.
bool showsDepth(const Molecule& m) {
  for (const Atom* a : m.atoms)
    if (a != nullptr && a->isPlaced && a->position.z != 0.0f) return true;
  return false;
}

// Two atoms closer than kShortestBond (io/InputFile.h) are one atom written twice: false (after a
// message naming both atom lines) when two atoms lie that close; with onlyUnbonded, only when
// one of them has no bond.
bool separateAtoms(const Molecule& m, const RecordLines& lines, int firstAtomLine,
                   bool onlyUnbonded) {
  std::vector<size_t> byX(m.atoms.size());
  for (size_t i = 0; i < byX.size(); ++i) byX[i] = i;
  std::sort(byX.begin(), byX.end(), [&m](size_t a, size_t b) {
    return m.atoms[a]->position.x < m.atoms[b]->position.x;
  });
  for (size_t k = 0; k < byX.size(); ++k)
    for (size_t l = k + 1; l < byX.size(); ++l) {
      const Atom* a = m.atoms[byX[k]];
      const Atom* b = m.atoms[byX[l]];
      if (b->position.x - a->position.x >= kShortestBond) break;
      const float d = atomDistance(a, b);
      if (d >= kShortestBond || (onlyUnbonded && !a->bonds.empty() && !b->bonds.empty())) continue;
      const size_t first = std::min(byX[k], byX[l]), second = std::max(byX[k], byX[l]);
      ErrorLine() << "Error: MDLMolParser: atom " << m.atoms[second]->name << " on "
                  << linePlace(firstAtomLine + static_cast<int>(second), lines.file())
                  << " lies on atom " << m.atoms[first]->name << " of line "
                  << firstAtomLine + static_cast<int>(first) << " (" << lengthText(d)
                  << " apart)";
      return false;
    }
  return true;
}

bool readBondLine(const std::string& input, const RecordLines& lines, int atomCount,
                  bool checkLength, Molecule& m, std::vector<BondLine>& bondLines,
                  std::vector<DrawnWedge>& wedges) {
  std::string line = input;
  padTo(line, kLineWidth);
  int first = 0, second = 0, type = 0;
  if (!readInt(columns(line, 1, 3), false, first) || !readInt(columns(line, 4, 6), false, second) ||
      !readInt(columns(line, 7, 9), false, type)) {
    lines.report("bad number in bond line", input);
    return false;
  }
  if (first < 1 || second < 1 || first > atomCount || second > atomCount || first == second) {
    lines.report("bad atom number in bond line", input);
    return false;
  }
  if (type < 1 || type > 4) {
    lines.report("unsupported bond type in bond line", input);
    return false;
  }
  const int order = type == 4 ? kAromaticOrder : type;   // type 4 is aromatic
  const BondNews news = compareWithEarlierLines(input, lines, first, second, type, m, bondLines);
  if (news == BondNews::Contradiction) return false;
  if (news == BondNews::Copy) return true;   // dropped, with a warning
  // A single bond's stereo field: 1 rises from the first atom towards the viewer, 6 falls away.
  int stereo = 0;
  if (order == 1 && readInt(columns(line, 10, 12), true, stereo) && (stereo == 1 || stereo == 6))
    wedges.push_back({first - 1, second - 1, stereo == 1 ? 1 : -1});
  if (checkLength) {
    const Atom* a = m.atoms[static_cast<size_t>(first - 1)];
    const Atom* b = m.atoms[static_cast<size_t>(second - 1)];
    const float d = atomDistance(a, b);
    if (d > kLongestBond || d < kShortestBond) {
      lines.report("bond of " + lengthText(d) + " between atoms " + a->name + " and " + b->name +
                       (d < kShortestBond ? " (on top of each other)" : " (too long for a bond)") +
                       " in bond line",
                   input);
      return false;
    }
  }
  if (m.addBond(static_cast<unsigned>(first - 1), static_cast<unsigned>(second - 1), order) != 1) {
    lines.report("bond refused in bond line", input);
    return false;
  }
  bondLines.push_back({lines.lineNumber(), type});
  return true;
}

}  // namespace mdlread
