// Covalent radii for single, double and triple bonds (Angstrom), from fits of experimental and
// computed bond lengths over the periodic table.

#include "parameters/CovalentRadii.h"

#include <cctype>
#include <unordered_map>

#include "model/Bond.h"

namespace {

struct Radii {
  double single;
  double twofold;
  double threefold;
};

const std::unordered_map<std::string, Radii>& radiusTable() {
  static const std::unordered_map<std::string, Radii> table = {
      {"H", {0.32, 0.32, 0.32}},   {"LI", {1.33, 1.24, 1.24}}, {"BE", {1.02, 0.90, 0.85}},
      {"B", {0.85, 0.78, 0.73}},   {"C", {0.75, 0.67, 0.60}},  {"N", {0.71, 0.60, 0.54}},
      {"O", {0.63, 0.57, 0.53}},   {"F", {0.64, 0.59, 0.53}},  {"NA", {1.55, 1.60, 1.60}},
      {"MG", {1.39, 1.32, 1.27}},  {"AL", {1.26, 1.13, 1.11}}, {"SI", {1.16, 1.07, 1.02}},
      {"P", {1.11, 1.02, 0.94}},   {"S", {1.03, 0.94, 0.95}},  {"CL", {0.99, 0.95, 0.93}},
      {"K", {1.96, 1.93, 1.93}},   {"CA", {1.71, 1.47, 1.33}}, {"TI", {1.36, 1.17, 1.08}},
      {"V", {1.34, 1.12, 1.06}},   {"CR", {1.22, 1.11, 1.03}}, {"MN", {1.19, 1.05, 1.03}},
      {"FE", {1.16, 1.09, 1.02}},  {"CO", {1.11, 1.03, 0.96}}, {"NI", {1.10, 1.01, 1.01}},
      {"CU", {1.12, 1.15, 1.20}},  {"ZN", {1.18, 1.20, 1.20}}, {"GE", {1.21, 1.11, 1.14}},
      {"AS", {1.21, 1.14, 1.06}},  {"SE", {1.16, 1.07, 1.07}}, {"BR", {1.14, 1.09, 1.10}},
      {"PD", {1.20, 1.17, 1.12}},  {"AG", {1.28, 1.39, 1.37}}, {"SN", {1.40, 1.30, 1.32}},
      {"TE", {1.35, 1.23, 1.21}},  {"I", {1.33, 1.29, 1.25}},  {"PT", {1.23, 1.12, 1.10}},
      {"AU", {1.24, 1.21, 1.23}},  {"HG", {1.33, 1.42, 1.42}}, {"PB", {1.44, 1.35, 1.35}},
  };
  return table;
}

std::string upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

double covalentRadius(const std::string& element, int order) {
  const auto found = radiusTable().find(upper(element));
  if (found == radiusTable().end()) return 0.0;
  const Radii& r = found->second;
  switch (order) {
    case 2: return r.twofold;
    case 3: return r.threefold;
    case kAromaticOrder: return (r.single + r.twofold) / 2.0;   // aromatic: halfway
    default: return r.single;
  }
}

double radiusBondLength(const std::string& element1, const std::string& element2, int order) {
  const double r1 = covalentRadius(element1, order);
  const double r2 = covalentRadius(element2, order);
  return r1 > 0.0 && r2 > 0.0 ? r1 + r2 : 0.0;
}
