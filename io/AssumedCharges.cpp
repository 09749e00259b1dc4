#include "io/AssumedCharges.h"

#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"

namespace {

// Names listed in a description before the rest is only counted.
const size_t kNamesShown = 6;

bool neutralNitrogen(const Atom* a) { return a->element == "N" && a->charge == 0; }

// A neutral atom with this one bond that a negative charge completes: a single-bonded O or S, a
// double-bonded N, a triple-bonded C.
bool completedByMinus(const Atom* end, const Bond* b) {
  if (end == nullptr || end->bonds.size() != 1 || end->charge != 0) return false;
  if (end->element == "O" || end->element == "S") return b->order == 1;
  if (end->element == "N") return b->order == 2;
  return end->element == "C" && b->order == 3;
}

std::string namesOf(const std::vector<const Atom*>& atoms,
                    const std::function<std::string(const Atom*)>& nameOf) {
  std::string out;
  for (size_t i = 0; i < atoms.size() && i < kNamesShown; ++i)
    out += (i == 0 ? "" : ", ") + nameOf(atoms[i]);
  if (atoms.size() > kNamesShown) out += ", ...";
  return out;
}

std::string counted(size_t count, const char* what) {
  return std::to_string(count) + " " + what + (count == 1 ? "" : "s");
}

}  // namespace

std::string AssumedCharges::describe(
    const std::function<std::string(const Atom*)>& nameOf) const {
  std::string out;
  if (!cations.empty())
    out += counted(cations.size(), "four-bonded nitrogen") + " made N+ (" +
           namesOf(cations, nameOf) + ")";
  if (!separated.empty())
    out += (out.empty() ? "" : " and ") + counted(separated.size(), "five-bonded nitrogen") +
           " made N+ beside a negative terminal atom (" + namesOf(separated, nameOf) + ")";
  return out;
}

void separateFiveBondNitrogens(Molecule& m, std::vector<const Atom*>* separated) {
  for (Atom* a : m.atoms) {
    if (!neutralNitrogen(a) || bondValenceSum(a) != 5) continue;
    for (Bond* b : a->bonds) {
      Atom* end = a->getAdjacentAtom(b);
      if (end == nullptr || end->bonds.size() != 1 || end->charge != 0) continue;
      const bool oxygenLike = (end->element == "O" || end->element == "S") && b->order == 2;
      const bool nitrogenLike = end->element == "N" && (b->order == 2 || b->order == 3);
      if (!oxygenLike && !nitrogenLike) continue;
      b->order -= 1;
      a->charge = 1;
      end->charge = -1;
      if (separated != nullptr) separated->push_back(a);
      break;
    }
  }
}

AssumedCharges assumeNitrogenCharges(Molecule& m) {
  AssumedCharges assumed;
  separateFiveBondNitrogens(m, &assumed.separated);
  for (Atom* a : m.atoms) {
    if (!neutralNitrogen(a) || bondValenceSum(a) != 4) continue;
    a->charge = 1;
    assumed.cations.push_back(a);
    for (Bond* b : a->bonds) {
      Atom* end = a->getAdjacentAtom(b);
      if (!completedByMinus(end, b)) continue;
      end->charge = -1;
      break;
    }
  }
  return assumed;
}
