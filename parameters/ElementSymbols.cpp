#include "parameters/ElementSymbols.h"

#include <cctype>
#include <set>

#include "parameters/InputParameters.h"

namespace {

const std::set<std::string>& symbols() {
  static const std::set<std::string> all = {
      "H",  "He", "Li", "Be", "B",  "C",  "N",  "O",  "F",  "Ne", "Na", "Mg", "Al", "Si", "P",
      "S",  "Cl", "Ar", "K",  "Ca", "Sc", "Ti", "V",  "Cr", "Mn", "Fe", "Co", "Ni", "Cu", "Zn",
      "Ga", "Ge", "As", "Se", "Br", "Kr", "Rb", "Sr", "Y",  "Zr", "Nb", "Mo", "Tc", "Ru", "Rh",
      "Pd", "Ag", "Cd", "In", "Sn", "Sb", "Te", "I",  "Xe", "Cs", "Ba", "La", "Ce", "Pr", "Nd",
      "Pm", "Sm", "Eu", "Gd", "Tb", "Dy", "Ho", "Er", "Tm", "Yb", "Lu", "Hf", "Ta", "W",  "Re",
      "Os", "Ir", "Pt", "Au", "Hg", "Tl", "Pb", "Bi", "Po", "At", "Rn", "Fr", "Ra", "Ac", "Th",
      "Pa", "U",  "Np", "Pu", "Am", "Cm", "Bk", "Cf", "Es", "Fm", "Md", "No", "Lr", "Rf", "Db",
      "Sg", "Bh", "Hs", "Mt", "Ds", "Rg", "Cn", "Nh", "Fl", "Mc", "Lv", "Ts", "Og"};
  return all;
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
