// The bond block of a V2000 record, and the checks on the distances it gives.

#include <cstdio>
#include <string>
#include <vector>

#include "io/MDLMolParserLines.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"

namespace mdlread {

namespace {

// A listed bond is no longer than this and no shorter than the second; two atoms closer than the
// second are one atom written twice.
const float kLongestBond = 4.0f;
const float kShortestBond = 0.3f;

std::string lengthText(float d) {
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%.3f A", static_cast<double>(d));
  return buffer;
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

// False (after a message naming both atom lines) when two atoms lie within kShortestBond; with
// onlyUnbonded, when one of them has no bond.
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

// One bond line, added to m. False after a message.
bool readBondLine(const std::string& input, const RecordLines& lines, int atomCount,
                  bool checkLength, Molecule& m, std::vector<DrawnWedge>& wedges) {
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
  const int order = type == 4 ? 9 : type;   // type 4 is aromatic, our order 9
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
  if (m.addBond(static_cast<unsigned>(first - 1), static_cast<unsigned>(second - 1), order) == 0) {
    lines.report("bond refused in bond line", input);
    return false;
  }
  // -1: the two atoms are bonded already; the repeated line is passed over.
  return true;
}

}  // namespace mdlread
