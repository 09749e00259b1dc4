#include "parameters/ElementSymbols.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <set>

#include "parameters/InputParameters.h"

namespace {

// In order of atomic number: the place of a symbol gives its period and group.
const char* const kPeriodicTable[] = {
    "H",  "He", "Li", "Be", "B",  "C",  "N",  "O",  "F",  "Ne", "Na", "Mg", "Al", "Si", "P",
    "S",  "Cl", "Ar", "K",  "Ca", "Sc", "Ti", "V",  "Cr", "Mn", "Fe", "Co", "Ni", "Cu", "Zn",
    "Ga", "Ge", "As", "Se", "Br", "Kr", "Rb", "Sr", "Y",  "Zr", "Nb", "Mo", "Tc", "Ru", "Rh",
    "Pd", "Ag", "Cd", "In", "Sn", "Sb", "Te", "I",  "Xe", "Cs", "Ba", "La", "Ce", "Pr", "Nd",
    "Pm", "Sm", "Eu", "Gd", "Tb", "Dy", "Ho", "Er", "Tm", "Yb", "Lu", "Hf", "Ta", "W",  "Re",
    "Os", "Ir", "Pt", "Au", "Hg", "Tl", "Pb", "Bi", "Po", "At", "Rn", "Fr", "Ra", "Ac", "Th",
    "Pa", "U",  "Np", "Pu", "Am", "Cm", "Bk", "Cf", "Es", "Fm", "Md", "No", "Lr", "Rf", "Db",
    "Sg", "Bh", "Hs", "Mt", "Ds", "Rg", "Cn", "Nh", "Fl", "Mc", "Lv", "Ts", "Og"};

const std::set<std::string>& symbols() {
  static const std::set<std::string> all(std::begin(kPeriodicTable), std::end(kPeriodicTable));
  return all;
}

// The atomic number, or 0 for no element.
int atomicNumber(const std::string& symbol) {
  const auto at = std::find(std::begin(kPeriodicTable), std::end(kPeriodicTable), symbol);
  return at == std::end(kPeriodicTable) ? 0
                                        : static_cast<int>(at - std::begin(kPeriodicTable)) + 1;
}

// The valence electrons of a main-group element (groups 1, 2 and 13 to 18); 0 for the
// transition metals, lanthanides and actinides.
int mainGroupValenceElectrons(int z) {
  if (z == 1) return 1;
  if (z == 2) return 2;
  // Each period from lithium on: its first atomic number, and where its p block begins.
  const struct {
    int first, pBlock;
  } periods[] = {{3, 5}, {11, 13}, {19, 31}, {37, 49}, {55, 81}, {87, 113}};
  for (size_t k = sizeof periods / sizeof periods[0]; k-- > 0;) {
    if (z < periods[k].first) continue;
    const int s = z - periods[k].first;   // 0 and 1: the s block
    if (s < 2) return s + 1;
    if (z >= periods[k].pBlock) return z - periods[k].pBlock + 3;
    return 0;
  }
  return 0;
}

}  // namespace

bool isElementSymbol(const std::string& symbol) { return symbols().count(symbol) != 0; }

std::string standardElementSymbol(const std::string& text) {
  if (text.empty() || text.size() > 2) return "";
  std::string symbol = text;
  symbol[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(symbol[0])));
  if (symbol.size() == 2)
    symbol[1] = static_cast<char>(std::tolower(static_cast<unsigned char>(symbol[1])));
  return isElementSymbol(symbol) ? symbol : "";
}

bool elementHasAtomType(const std::string& element) {
  if (!isElementSymbol(element)) return false;
  std::string type = element;
  for (char& c : type) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  AtomTypeParameters row;
  return InputParameters::instance()->findAtomTypeParameters(type, row) == 1 &&
         row.element == element;
}

bool formalChargeRange(const std::string& element, int& lowest, int& highest) {
  const int z = atomicNumber(element);
  if (z == 0) return false;
  const int valenceElectrons = mainGroupValenceElectrons(z);
  if (valenceElectrons == 0) {
    // Osmium tetroxide's metal is +8 as an ion; no metal goes further either way.
    lowest = -8;
    highest = 8;
    return true;
  }
  // A cation gives up valence electrons, an anion fills the shell: the octet, or hydrogen's
  // and helium's pair. Within them no main-group atom carries more than four either way
  // (C+4 and C-4 are already past anything bonded).
  const int shell = z <= 2 ? 2 : 8;
  highest = std::min(valenceElectrons, 4);
  lowest = -std::min(std::max(shell - valenceElectrons, 0), 4);
  return true;
}

std::string impossibleCharge(const std::string& element, int charge) {
  int lowest = 0;
  int highest = 0;
  if (!formalChargeRange(element, lowest, highest) || (charge >= lowest && charge <= highest))
    return std::string();
  auto withSign = [](int value) { return (value > 0 ? "+" : "") + std::to_string(value); };
  return "charge " + withSign(charge) + " is beyond what " + element + " can carry (" +
         withSign(lowest) + " to " + withSign(highest) + ")";
}
