// Hands for the open bridgeheads and fusion atoms of small bridged ring systems.
//
// The graph tells which hands of two bridgeheads a small cage holds (BridgeheadHands.cpp): the
// configurations of the open centres are tried against it, and of those it allows, each is built
// and optimised on a copy, as is the molecule without labels; the least energy wins. Desoxymorphine
// so comes out as the diastereomer RDKit's ETKDG and MMFF94 rank lowest; of etorphine's two cage
// forms, 1 to 4 kcal/mol apart in either force field, it takes the one this force field ranks
// lower. Centres with fewer than three ring bonds (a morphinan's 6-hydroxyl, cocaine's esters)
// stay with the construction.

#include "construction/OpenCageHands.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <memory>
#include <string>

#include "construction/GeometryCheck.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"

namespace {

// More open centres than this are left to the construction: 2^12 graph checks is the most the
// search spends, and a cage of that many open centres is beyond what the set-up chain builds.
constexpr size_t kMostOpenCentres = 12;
// The configurations the graph allows that are built and compared; a morphinan has four.
constexpr size_t kMostBuiltConfigurations = 8;
// Molecules above this many atoms are built once, as they come: each configuration costs a
// whole construction and optimisation.
constexpr size_t kMostAtomsForChoice = 300;

bool isOpenRingCentre(const Atom* atom) {
  if (atom == nullptr || atom->piCount == 1 || atom->piCount == 2 || atom->bonds.size() != 4)
    return false;
  int ringBonds = 0;
  for (Bond* bond : atom->bonds) {
    if (bond == nullptr || atom->getAdjacentAtom(bond) == nullptr || bond->order != 1) return false;
    ringBonds += bond->inRing ? 1 : 0;
  }
  return ringBonds >= 3;
}

bool anyLabelled(const Molecule& molecule) {
  for (const Atom* atom : molecule.atoms)
    if (atom != nullptr && isHandedCentre(*atom)) return true;
  return false;
}

// The centres' labels for configuration bits (bit k set: "@@" on centre k), over their bonded
// atoms in bond order.
void setHands(const std::vector<Atom*>& centres, const std::vector<int>& hands) {
  for (size_t k = 0; k < centres.size(); ++k) {
    Atom* centre = centres[k];
    centre->neighbours.clear();
    for (Bond* bond : centre->bonds) centre->neighbours.push_back(centre->getAdjacentAtom(bond));
    centre->piCount = hands[k];
  }
}

std::vector<int> handsOf(size_t bits, size_t count) {
  std::vector<int> hands(count);
  for (size_t k = 0; k < count; ++k) hands[k] = (bits >> k) & 1u ? 2 : 1;
  return hands;
}

// The hands the built geometry shows on the centres, 0 where one lies flat (a flat centre shows
// no hand, and its SMILES none either).
std::vector<int> handsShown(const std::vector<Atom*>& centres) {
  std::vector<int> hands;
  for (Atom* centre : centres) {
    setHands({centre}, {2});
    hands.push_back(handednessInSpace(*centre));
  }
  return hands;
}

// The hands the built geometry shows on the centres; empty when one of them lies flat.
std::vector<int> handsInSpace(const std::vector<Atom*>& centres) {
  const std::vector<int> hands = handsShown(centres);
  return std::find(hands.begin(), hands.end(), 0) == hands.end() ? hands : std::vector<int>();
}

OpenHandsKept keep(const std::vector<Atom*>& centres) {
  OpenHandsKept kept;
  kept.centres = centres;
  for (const Atom* centre : centres) {
    kept.neighbours.push_back(centre->neighbours);
    kept.labels.push_back(centre->piCount);
  }
  return kept;
}

}  // namespace

OpenCageCentres findOpenCageCentres(Molecule& molecule) {
  OpenCageCentres found;
  if (molecule.atoms.size() > kMostAtomsForChoice) return found;
  std::vector<Atom*> centres;
  for (Atom* atom : molecule.atoms)
    if (isOpenRingCentre(atom)) centres.push_back(atom);
  // One open centre is judged against the labelled ones.
  if (centres.empty() || centres.size() > kMostOpenCentres ||
      (centres.size() < 2 && !anyLabelled(molecule)))
    return found;
  const OpenHandsKept kept = keep(centres);
  // Without another labelled centre a configuration and its mirror image are one molecule: the
  // first centre stays "@".
  const size_t free = anyLabelled(molecule) ? centres.size() : centres.size() - 1;
  const size_t shift = centres.size() - free;
  bool constrained = false;
  for (size_t bits = 0; bits < (size_t{1} << free); ++bits) {
    const std::vector<int> hands = handsOf(bits << shift, centres.size());
    setHands(centres, hands);
    if (findInsideOutBridgehead(molecule) == nullptr)
      found.configurations.push_back(hands);
    else
      constrained = true;
  }
  restoreOpenHands(kept);
  if (!constrained) found.configurations.clear();
  if (!found.configurations.empty()) found.centres = centres;
  return found;
}

OpenHandsKept chooseOpenCageHands(Molecule& molecule,
                                  const std::function<double(Molecule&)>& buildEnergy) {
  const OpenCageCentres open = findOpenCageCentres(molecule);
  if (open.centres.empty()) return OpenHandsKept();
  // A cage whose graph allows one configuration alone (cubane, adamantane's bridgeheads) is built
  // in it straight away: there is nothing to compare.
  if (open.configurations.size() == 1) {
    OpenHandsKept kept = keep(open.centres);
    kept.onlyPossibleForm = true;
    setHands(open.centres, open.configurations.front());
    return kept;
  }
  std::vector<size_t> slots;
  for (const Atom* centre : open.centres)
    slots.push_back(static_cast<size_t>(
        std::find(molecule.atoms.begin(), molecule.atoms.end(), centre) - molecule.atoms.begin()));
  // Each trial builds a copy, so the molecule itself is built once, from the state it came in.
  auto trial = [&](const std::vector<int>* hands, std::vector<int>* shown) {
    std::unique_ptr<Molecule> copy(molecule.clone());
    if (copy == nullptr || copy->atoms.size() != molecule.atoms.size())
      return std::numeric_limits<double>::infinity();
    std::vector<Atom*> centres;
    for (size_t slot : slots) centres.push_back(copy->atoms[slot]);
    if (hands != nullptr) setHands(centres, *hands);
    const double energy = buildEnergy(*copy);
    if (shown != nullptr) *shown = handsInSpace(centres);
    return energy;
  };
  // The molecule as it comes: its hands count only when the graph allows them, since a geometry
  // that holds labels no geometry holds is torn somewhere the checks do not see.
  std::vector<int> built;
  double least = trial(nullptr, &built);
  const OpenHandsKept kept = keep(open.centres);
  bool builtHolds = false;
  if (!built.empty() && std::isfinite(least)) {
    setHands(open.centres, built);
    builtHolds = findInsideOutBridgehead(molecule) == nullptr;
    restoreOpenHands(kept);
  }
  if (!builtHolds) least = std::numeric_limits<double>::infinity();

  // The configuration built without labels, and its mirror image where that is the same
  // molecule, need no second build.
  std::vector<int> mirror = built;
  for (int& hand : mirror) hand = 3 - hand;
  const bool mirrorSame = !anyLabelled(molecule);
  const std::vector<int>* best = nullptr;
  size_t tried = 0;
  for (const std::vector<int>& hands : open.configurations) {
    if (tried == kMostBuiltConfigurations) break;
    if (builtHolds && (hands == built || (mirrorSame && hands == mirror))) continue;
    ++tried;
    const double energy = trial(&hands, nullptr);
    if (std::isfinite(energy) && energy < least) {
      least = energy;
      best = &hands;
    }
  }
  if (best != nullptr) setHands(open.centres, *best);
  return kept;
}

std::string describeOpenHandsFault(Molecule& molecule, const OpenHandsKept& kept) {
  if (kept.centres.empty()) return std::string();
  setHands(kept.centres, handsShown(kept.centres));
  const Atom* inside = findInsideOutBridgehead(molecule);
  restoreOpenHands(kept);
  if (inside == nullptr) return std::string();
  const std::string name = molecule.getName().empty() ? molecule.smiles : molecule.getName();
  return "Error: coordinates: centre " + inside->element + std::to_string(inside->id) + " of \"" +
         name + "\" came out with a hand its rings cannot hold";
}

bool OpenHandsKept::changed() const {
  for (size_t k = 0; k < centres.size(); ++k)
    if (centres[k]->piCount != labels[k]) return true;
  return false;
}

void restoreOpenHands(const OpenHandsKept& kept) {
  for (size_t k = 0; k < kept.centres.size(); ++k) {
    kept.centres[k]->neighbours = kept.neighbours[k];
    kept.centres[k]->piCount = kept.labels[k];
  }
}
