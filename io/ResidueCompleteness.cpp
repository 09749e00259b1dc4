#include "io/ResidueCompleteness.h"

#include <algorithm>
#include <map>

namespace {

const std::vector<std::string>& standardSet(const std::string& residueName) {
  static const std::map<std::string, std::vector<std::string> > sets = {
      {"ALA", {"N", "CA", "C", "O", "CB"}},
      {"ARG", {"N", "CA", "C", "O", "CB", "CG", "CD", "NE", "CZ", "NH1", "NH2"}},
      {"ASN", {"N", "CA", "C", "O", "CB", "CG", "OD1", "ND2"}},
      {"ASP", {"N", "CA", "C", "O", "CB", "CG", "OD1", "OD2"}},
      {"CYS", {"N", "CA", "C", "O", "CB", "SG"}},
      {"GLN", {"N", "CA", "C", "O", "CB", "CG", "CD", "OE1", "NE2"}},
      {"GLU", {"N", "CA", "C", "O", "CB", "CG", "CD", "OE1", "OE2"}},
      {"GLY", {"N", "CA", "C", "O"}},
      {"HIS", {"N", "CA", "C", "O", "CB", "CG", "ND1", "CD2", "CE1", "NE2"}},
      {"ILE", {"N", "CA", "C", "O", "CB", "CG1", "CG2", "CD1"}},
      {"LEU", {"N", "CA", "C", "O", "CB", "CG", "CD1", "CD2"}},
      {"LYS", {"N", "CA", "C", "O", "CB", "CG", "CD", "CE", "NZ"}},
      {"MET", {"N", "CA", "C", "O", "CB", "CG", "SD", "CE"}},
      {"PHE", {"N", "CA", "C", "O", "CB", "CG", "CD1", "CD2", "CE1", "CE2", "CZ"}},
      {"PRO", {"N", "CA", "C", "O", "CB", "CG", "CD"}},
      {"SER", {"N", "CA", "C", "O", "CB", "OG"}},
      {"THR", {"N", "CA", "C", "O", "CB", "OG1", "CG2"}},
      {"TRP",
       {"N", "CA", "C", "O", "CB", "CG", "CD1", "CD2", "NE1", "CE2", "CE3", "CZ2", "CZ3", "CH2"}},
      {"TYR", {"N", "CA", "C", "O", "CB", "CG", "CD1", "CD2", "CE1", "CE2", "CZ", "OH"}},
      {"VAL", {"N", "CA", "C", "O", "CB", "CG1", "CG2"}},
  };
  static const std::vector<std::string> none;
  const auto found = sets.find(residueName);
  return found == sets.end() ? none : found->second;
}

}  // namespace

std::vector<std::string> missingHeavyAtoms(const std::string& residueName,
                                           const std::vector<std::string>& names) {
  auto has = [&names](const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
  };
  std::vector<std::string> missing;
  for (const std::string& name : standardSet(residueName)) {
    if (has(name)) continue;
    if (name == "CD1" && residueName == "ILE" && has("CD")) continue;
    if (name == "O" && has("OT1")) continue;
    missing.push_back(name);
  }
  return missing;
}
