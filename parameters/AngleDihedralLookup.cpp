// The angle lookup (wildcard rows, base-type fallback, a "* X *" default row per centre), the
// default angle from bond counts, and the torsion lookup with its placeholder fallbacks.

#include "parameters/InputParameters.h"

#include <array>

#include "math/UtilityEngine.h"

namespace {

// Plain names compare as plain strings, exactly what the wildcard match does when neither side
// holds a "*"; it saves two string copies per test on the hot scans.
inline bool typeMatches(const std::string& pattern, const std::string& name) {
  if (pattern.find('*') == std::string::npos && name.find('*') == std::string::npos)
    return pattern == name;
  return UtilityEngine::instance()->stringMatchWithWildCards(pattern, name);
}

}  // namespace

bool InputParameters::matchAngleRow(const std::string& type1, const std::string& centre,
                                    const std::string& type3, AngleParameters& out) const {
  for (const AngleParameters* row : angleParameters) {
    if (row->centre != centre)
      continue;
    if ((typeMatches(row->atom1, type1) &&
         typeMatches(row->atom3, type3)) ||
        (typeMatches(row->atom1, type3) &&
         typeMatches(row->atom3, type1))) {
      out = *row;
      return true;
    }
  }
  return false;
}

int InputParameters::findAngle(std::string type1, std::string centre, std::string type3,
                               AngleParameters& out) {
  // A bond-axis dummy at an end matches any plain end type.
  if (type1 == "DUM" || type3 == "DUM") {
    type1 = "*";
    type3 = "*";
  }
  if (matchAngleRow(type1, centre, type3, out))
    return 1;
  AtomTypeParameters first;
  AtomTypeParameters middle;
  AtomTypeParameters third;
  if (type1 == "*" || centre == "*") {
    if (findAtomTypeParameters(centre, middle))
      centre = middle.btype;
  } else if (findAtomTypeParameters(type1, first) && findAtomTypeParameters(centre, middle) &&
             findAtomTypeParameters(type3, third)) {
    type1 = first.btype;
    centre = middle.btype;
    type3 = third.btype;
  }
  if (matchAngleRow(type1, centre, type3, out))
    return 1;
  // The centre's default row, "*" at both ends, compared exactly.
  for (const AngleParameters* row : angleParameters) {
    if (row->centre == centre && row->atom1 == "*" && row->atom3 == "*") {
      out = *row;
      return 1;
    }
  }
  return 0;
}

float InputParameters::findDefaultAngle(std::string, int a, int b) {
  if (b > a)
    return 180.0f;
  if (a == 2)
    return 104.5f;
  if (a == 3)
    return 120.0f;
  return 109.5f;
}

int InputParameters::dihedralRowIndex(const std::string& n1, const std::string& n2,
                                      const std::string& n3, const std::string& n4,
                                      unsigned int bondOrder) const {
  for (size_t r = 0; r < dihedralParameters.size(); ++r) {
    const DihedralParameters* row = dihedralParameters[r];
    if (row->bondOrder != bondOrder)
      continue;
    if ((row->atom1 == n1 && row->atom2 == n2 && row->atom3 == n3 && row->atom4 == n4) ||
        (row->atom1 == n4 && row->atom2 == n3 && row->atom3 == n2 && row->atom4 == n1))
      return static_cast<int>(r);
  }
  return -1;
}

int InputParameters::dihedralPairRowIndex(const std::array<std::string, 2>& ends1,
                                          const std::string& centre2, const std::string& centre3,
                                          const std::array<std::string, 2>& ends4,
                                          unsigned int bondOrder) const {
  // Each end is tried by its super type before its element; a super type spelt as the element
  // (H, CL) is one key, tried once.
  for (size_t first = 0; first < ends1.size(); ++first) {
    if (first > 0 && ends1[first] == ends1[0]) continue;
    for (size_t last = 0; last < ends4.size(); ++last) {
      if (last > 0 && ends4[last] == ends4[0]) continue;
      const int row = dihedralRowIndex(ends1[first], centre2, centre3, ends4[last], bondOrder);
      if (row >= 0)
        return row;
    }
  }
  return -1;
}

int InputParameters::findDihedralRow(const std::string& type1, const std::string& type2,
                                     const std::string& type3, const std::string& type4,
                                     unsigned int bondOrder) {
  int row = dihedralRowIndex(type1, type2, type3, type4, bondOrder);
  if (row >= 0)
    return row;
  AtomTypeParameters a1, a2, a3, a4;
  if (findAtomTypeParameters(type1, a1) && findAtomTypeParameters(type2, a2) &&
      findAtomTypeParameters(type3, a3) && findAtomTypeParameters(type4, a4)) {
    // The torsion table keys its axes by the super types of the central atoms (CSP3, NSP3) and
    // its pair rows by the ends. An axis named by the central atoms' own types (an aromatic
    // carbon and an amine nitrogen) comes first, where one shared super type would join bonds of
    // different chemistry (the aryl amine's and the amide's C-N). An axis keyed by base types
    // (CH3, CCA: every sp3 carbon, every carbonyl carbon) narrows a super-type axis: its pair rows
    // come before the super-type pair rows, its axis row after.
    // A pair row names an end by its element symbol, or by its super type where one element
    // holds ends of unlike chemistry: the amide's rows fitted to the turn of its carbonyl oxygen
    // (OSP2) took a carbamate's alkoxy oxygen (OSP3) too, and with no two-fold term of their own
    // they left the carbamate's C-N free to turn.
    std::string end1 = a1.element;
    std::string end4 = a4.element;
    UtilityEngine::instance()->toUpper(end1);
    UtilityEngine::instance()->toUpper(end4);
    const std::array<std::string, 2> ends1{a1.stype, end1};
    const std::array<std::string, 2> ends4{a4.stype, end4};
    const std::string& centre2 = a2.stype;
    const std::string& centre3 = a3.stype;
    for (const auto& names : {std::array<std::string, 4>{"", type2, type3, ""},
                              std::array<std::string, 4>{"*", type2, type3, "*"},
                              std::array<std::string, 4>{"", a2.btype, a3.btype, ""},
                              std::array<std::string, 4>{"", centre2, centre3, ""},
                              std::array<std::string, 4>{"*", a2.btype, a3.btype, "*"},
                              std::array<std::string, 4>{"*", centre2, centre3, "*"},
                              std::array<std::string, 4>{a1.element, "*", "*", a4.element},
                              std::array<std::string, 4>{a1.element, "*", "*", "*"},
                              std::array<std::string, 4>{"*", "*", "*", a4.element}}) {
      // An empty end marks a pass of pair rows.
      row = names[0].empty()
                ? dihedralPairRowIndex(ends1, names[1], names[2], ends4, bondOrder)
                : dihedralRowIndex(names[0], names[1], names[2], names[3], bondOrder);
      if (row >= 0)
        return row;
    }
  }
  return dihedralRowIndex("*", "*", "*", "*", bondOrder);
}

int InputParameters::findDihedralParameters(std::string type1, std::string type2,
                                            std::string type3, std::string type4,
                                            unsigned int bondOrder, DihedralParameters& out) {
  const int row = findDihedralRow(type1, type2, type3, type4, bondOrder);
  if (row < 0)
    return 0;
  out = *dihedralParameters[row];
  return 1;
}

void InputParameters::collectDihedralSeries(int first,
                                            std::vector<DihedralParameters>& out) const {
  // A torsion is a short Fourier series: the rows right after the matched one with the same four
  // types and order add its further periodicities.
  const DihedralParameters& head = *dihedralParameters[first];
  for (size_t r = first; r < dihedralParameters.size(); ++r) {
    const DihedralParameters& row = *dihedralParameters[r];
    if (r > static_cast<size_t>(first) &&
        (row.atom1 != head.atom1 || row.atom2 != head.atom2 || row.atom3 != head.atom3 ||
         row.atom4 != head.atom4 || row.bondOrder != head.bondOrder))
      break;
    out.push_back(row);
  }
}

int InputParameters::findDihedralTerms(const std::string& type1, const std::string& type2,
                                       const std::string& type3, const std::string& type4,
                                       unsigned int bondOrder,
                                       std::vector<DihedralParameters>& out) {
  out.clear();
  const int first = findDihedralRow(type1, type2, type3, type4, bondOrder);
  if (first < 0)
    return 0;
  collectDihedralSeries(first, out);
  return 1;
}

int InputParameters::findDihedralAxisRow(const std::string& type2, const std::string& type3,
                                         unsigned int bondOrder) {
  int row = dihedralRowIndex("*", type2, type3, "*", bondOrder);
  if (row >= 0)
    return row;
  AtomTypeParameters a2, a3;
  if (findAtomTypeParameters(type2, a2) && findAtomTypeParameters(type3, a3)) {
    row = dihedralRowIndex("*", a2.btype, a3.btype, "*", bondOrder);
    if (row < 0)
      row = dihedralRowIndex("*", a2.stype, a3.stype, "*", bondOrder);
    if (row >= 0)
      return row;
  }
  return dihedralRowIndex("*", "*", "*", "*", bondOrder);
}

int InputParameters::findDihedralAxisTerms(const std::string& type2, const std::string& type3,
                                           unsigned int bondOrder,
                                           std::vector<DihedralParameters>& out) {
  out.clear();
  const int first = findDihedralAxisRow(type2, type3, bondOrder);
  if (first < 0)
    return 0;
  collectDihedralSeries(first, out);
  return 1;
}
