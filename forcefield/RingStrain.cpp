// Ring strain for the heat of formation.

#include "forcefield/RingStrain.h"

#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "model/Ring.h"
#include "parameters/InputParameters.h"

#include <algorithm>
#include <numeric>
#include <set>
#include <vector>

namespace ringstrain {

namespace {

const int kDoubleOrder = 2;

// A perceived ring as sets of atom and bond ids.
struct RingSets {
  int size = 0;
  bool hasNonAromaticBond = false;
  std::set<int> atoms, bonds;
};

// The rings whose bond ids all lead to bonds; a ring of a half-built graph is left out.
std::vector<RingSets> ringSets(const Molecule& molecule) {
  std::vector<RingSets> out;
  for (const Ring* ring : molecule.rings) {
    if (ring == nullptr) continue;
    RingSets sets;
    bool sound = !ring->bondIds.empty();
    for (int id : ring->bondIds) {
      if (id < 0 || id >= static_cast<int>(molecule.bonds.size()) || molecule.bonds[id] == nullptr) {
        sound = false;
        break;
      }
      if (molecule.bonds[id]->order != kAromaticOrder) sets.hasNonAromaticBond = true;
      sets.bonds.insert(id);
    }
    if (!sound) continue;
    sets.atoms.insert(ring->atomIds.begin(), ring->atomIds.end());
    sets.size = static_cast<int>(ring->atomIds.size());
    out.push_back(sets);
  }
  return out;
}

bool strainedSize(int size) { return size >= kSmallestStrainedRing && size <= kLargestStrainedRing; }

size_t sharedCount(const std::set<int>& a, const std::set<int>& b) {
  size_t n = 0;
  for (int id : a) n += b.count(id);
  return n;
}

// Per ring, whether it is one of its ring system's independent rings. The smallest rings through
// every bond can be more than a system has independent rings (bonds - atoms + 1): cubane's six
// faces close five, bicyclo[2.2.2]octane's three six-rings two. Counted all, cubane came out 90
// kJ/mol above its measured heat of formation; the smallest are kept, the largest dropped.
std::vector<bool> independentRings(const std::vector<RingSets>& rings) {
  std::vector<int> system(rings.size());
  std::iota(system.begin(), system.end(), 0);
  auto root = [&system](int r) {
    while (system[r] != r) r = system[r] = system[system[r]];
    return r;
  };
  for (size_t i = 0; i < rings.size(); ++i)
    for (size_t j = i + 1; j < rings.size(); ++j)
      if (sharedCount(rings[i].atoms, rings[j].atoms) > 0)
        system[root(static_cast<int>(j))] = root(static_cast<int>(i));

  std::vector<bool> kept(rings.size(), false);
  for (size_t first = 0; first < rings.size(); ++first) {
    if (root(static_cast<int>(first)) != static_cast<int>(first)) continue;
    std::vector<int> members;
    std::set<int> atoms, bonds;
    for (size_t r = 0; r < rings.size(); ++r) {
      if (root(static_cast<int>(r)) != static_cast<int>(first)) continue;
      members.push_back(static_cast<int>(r));
      atoms.insert(rings[r].atoms.begin(), rings[r].atoms.end());
      bonds.insert(rings[r].bonds.begin(), rings[r].bonds.end());
    }
    const long independent =
        static_cast<long>(bonds.size()) - static_cast<long>(atoms.size()) + 1;
    std::stable_sort(members.begin(), members.end(),
                     [&rings](int a, int b) { return rings[a].size < rings[b].size; });
    for (size_t k = 0; k < members.size() && static_cast<long>(k) < independent; ++k)
      kept[members[k]] = true;
  }
  return kept;
}

// The smallest ring whose set (atoms or bonds) holds id, of those with a bond that is not
// aromatic when asked; null when none does.
const RingSets* smallestRingHolding(const std::vector<RingSets>& rings, int id, bool bond,
                                    bool nonAromaticOnly = false) {
  const RingSets* smallest = nullptr;
  for (const RingSets& ring : rings)
    if ((!nonAromaticOnly || ring.hasNonAromaticBond) &&
        (bond ? ring.bonds : ring.atoms).count(id) > 0 &&
        (smallest == nullptr || ring.size < smallest->size))
      smallest = &ring;
  return smallest;
}

// Size of the smallest ring whose set (atoms or bonds) holds id; 0 when none does.
int smallestRingWith(const std::vector<RingSets>& rings, int id, bool bond,
                     bool nonAromaticOnly = false) {
  const RingSets* ring = smallestRingHolding(rings, id, bond, nonAromaticOnly);
  return ring != nullptr ? ring->size : 0;
}

void count(RingTerms& terms, Kind kind, int size) {
  if (strainedSize(size)) ++terms.counts[kind][size];
}

// Double bonds in a ring (cyclopropene's) and from a ring atom out of the ring
// (methylenecyclopropane's), which strain a small ring beyond its single bonds; a double bond in
// a bridged ring (norbornene's) strains it further.
void countDoubleBonds(const Molecule& molecule, const std::vector<RingSets>& rings,
                      const std::vector<bool>& bridged, RingTerms& terms) {
  for (size_t b = 0; b < molecule.bonds.size(); ++b) {
    const Bond* bond = molecule.bonds[b];
    if (bond == nullptr || bond->order != kDoubleOrder) continue;
    const RingSets* ring = smallestRingHolding(rings, static_cast<int>(b), true);
    if (ring != nullptr) {
      count(terms, kEndo, ring->size);
      if (bridged[static_cast<size_t>(ring - rings.data())]) count(terms, kBridgedEndo, ring->size);
      continue;
    }
    for (const Atom* end : {bond->atom1, bond->atom2})
      if (end != nullptr) count(terms, kExo, smallestRingWith(rings, end->id, false));
  }
}

// Divalent sulfur in a ring that is not aromatic, counted in the smallest such ring that holds
// it: the long C-S bonds and the small C-S-C angle strain a small ring less than carbon does
// (thiirane's strain is about 20 kcal/mol, cyclopropane's and oxirane's about 27).
void countSulfur(const Molecule& molecule, const std::vector<RingSets>& rings,
                 RingTerms& terms) {
  for (const Atom* atom : molecule.atoms) {
    if (atom == nullptr || atom->element != "S" || atom->bonds.size() != 2) continue;
    count(terms, kThia, smallestRingWith(rings, atom->id, false, true));
  }
}

// Per ring, whether a bridge across it holds it in a boat or envelope.
std::vector<bool> bridgedRings(const std::vector<RingSets>& rings) {
  std::vector<bool> bridged(rings.size(), false);
  for (size_t i = 0; i < rings.size(); ++i)
    for (size_t j = i + 1; j < rings.size(); ++j) {
      const size_t bonds = sharedCount(rings[i].bonds, rings[j].bonds);
      if (bonds < 2) continue;
      for (size_t r : {i, j})
        if (2 * static_cast<int>(bonds) >= rings[r].size - 1) bridged[r] = true;
    }
  return bridged;
}

// How pairs of rings join: by one bond, by one atom, or by a bridge across a ring.
void countJoins(const std::vector<RingSets>& rings, const std::vector<bool>& bridged,
                RingTerms& terms) {
  for (size_t i = 0; i < rings.size(); ++i)
    for (size_t j = i + 1; j < rings.size(); ++j) {
      const size_t bonds = sharedCount(rings[i].bonds, rings[j].bonds);
      const int larger = std::max(rings[i].size, rings[j].size);
      if (bonds == 1)
        count(terms, kFused, larger);
      else if (bonds == 0 && sharedCount(rings[i].atoms, rings[j].atoms) == 1)
        count(terms, kSpiro, larger);
    }
  for (size_t r = 0; r < rings.size(); ++r)
    if (bridged[r]) count(terms, kBridged, rings[r].size);
}

}  // namespace

RingTerms ringTerms(const Molecule& molecule) {
  RingTerms terms;
  const std::vector<RingSets> rings = ringSets(molecule);
  const std::vector<bool> kept = independentRings(rings);
  for (size_t r = 0; r < rings.size(); ++r)
    if (kept[r] && rings[r].hasNonAromaticBond) count(terms, kRing, rings[r].size);
  const std::vector<bool> bridged = bridgedRings(rings);
  countDoubleBonds(molecule, rings, bridged, terms);
  countJoins(rings, bridged, terms);
  countSulfur(molecule, rings, terms);
  return terms;
}

double ringEnergy(const RingTerms& terms, const InputParameters& tables) {
  double energy = 0.0;
  for (int kind = 0; kind < kKindCount; ++kind)
    for (int size = kSmallestStrainedRing; size <= kLargestStrainedRing; ++size)
      if (terms.counts[kind][size] > 0)
        energy += terms.counts[kind][size] * tables.findRingStrain(kRingStrainKinds[kind], size);
  return energy;
}

}  // namespace ringstrain
