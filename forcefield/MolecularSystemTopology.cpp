// The topology lists of the force-field system: sorted bonds with neighbour runs, angles,
// dihedrals, exclusions, the non-bonded pair list, impropers, stereo centres and torsion axes.
#include "forcefield/MolecularSystem.h"

#include "math/CellGrid.h"
#include "math/Constants.h"
#include "math/UtilityEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "model/Ring.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <numeric>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace {

// Above this many atoms the pair list's candidates come from a grid of cutoff-sized cells.
const int kPairListGridAtoms = 300;
// The out-of-plane term of a trigonal centre, K (1 + cos phi): stiff enough that crowded
// substituents (tert-butyl, ortho pairs) stay in the plane of an aromatic ring or an amide.
const double kImproperBarrier = 60.0;                       // kcal/mol
// The nitrogen of an amide bond outside rings: its lone pair leaves the carbonyl as the bond
// turns, and the nitrogen goes pyramidal at the top of the turn (N-methylacetamide, as MMFF94
// scans it). The amide torsion rows keep it flat at its minima; the term is soft. A nitrogen
// without hydrogen keeps a firmer one: its two carbons against the acyl substituent would
// otherwise twist a tertiary amide (N,N-dimethylbenzamide) out of its plane.
const double kAmideNitrogenImproperBarrier = 1.0;           // kcal/mol
const double kTertiaryAmideNitrogenImproperBarrier = 9.0;   // kcal/mol
// The twofold term of a pair of substituents on the two ends of a chain of cumulated double
// bonds: the barrier of a double bond's torsion, so that allene's four pairs give a rotation
// barrier of 41.6 kcal/mol (about 40-45 measured and computed; ethene's 41.6 here).
const double kCumuleneTwistBarrier = 5.2;                   // kcal/mol

}  // namespace

void MolecularSystem::SortBonds() {
  for (int b = 0; b < bondCount; ++b)
    if (bondAtom1[b] > bondAtom2[b]) std::swap(bondAtom1[b], bondAtom2[b]);

  std::vector<int> order(bondCount);
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [this](int p, int q) {
    if (bondAtom1[p] != bondAtom1[q]) return bondAtom1[p] < bondAtom1[q];
    return bondAtom2[p] < bondAtom2[q];
  });
  auto permute = [&order](auto& values) {
    auto sorted = values;
    for (size_t i = 0; i < order.size(); ++i) sorted[i] = values[order[i]];
    values.swap(sorted);
  };
  permute(bondAtom1);
  permute(bondAtom2);
  permute(bondOrder);
  permute(bondInRing);

  // Each atom's run: lower partners first, then higher ones, each ascending. With the bonds
  // sorted, the lower partners of a come in order of bondAtom1, the higher ones in order of
  // bondAtom2, so one counting pass and one filling pass suffice.
  std::vector<int> degree(atomCount, 0);
  for (int b = 0; b < bondCount; ++b) {
    ++degree[bondAtom1[b]];
    ++degree[bondAtom2[b]];
  }
  neighbourEnd.assign(atomCount, -1);
  int end = -1;
  for (int a = 0; a < atomCount; ++a) {
    end += degree[a];
    neighbourEnd[a] = end;
  }
  neighbours.assign(2 * bondCount, -1);
  neighbourBond.assign(2 * bondCount, -1);
  std::vector<int> fill(atomCount, 0);
  for (int a = 0; a < atomCount; ++a) fill[a] = runStart(neighbourEnd, a);
  // Lower partners: bonds sorted by (bondAtom1, bondAtom2) reach atom bondAtom2 with ascending
  // bondAtom1, so the lower partners arrive in ascending order.
  for (int b = 0; b < bondCount; ++b) {
    const int high = bondAtom2[b];
    neighbours[fill[high]] = bondAtom1[b];
    neighbourBond[fill[high]++] = b;
  }
  for (int b = 0; b < bondCount; ++b) {
    const int low = bondAtom1[b];
    neighbours[fill[low]] = bondAtom2[b];
    neighbourBond[fill[low]++] = b;
  }
}

int MolecularSystem::getBondId(int a, int b) const {
  if (a < 0 || b < 0 || a >= atomCount || b >= atomCount) return -1;
  int found = -1;
  for (int p = runStart(neighbourEnd, a); p <= neighbourEnd[a]; ++p)
    if (neighbours[p] == b && (found < 0 || neighbourBond[p] < found)) found = neighbourBond[p];
  return found;
}

void MolecularSystem::SetupAngleList() {
  angleAtom1.clear();
  angleCentre.clear();
  angleAtom3.clear();
  for (int j = 0; j < atomCount; ++j) {
    const int start = runStart(neighbourEnd, j);
    for (int p = start; p <= neighbourEnd[j]; ++p)
      for (int q = p + 1; q <= neighbourEnd[j]; ++q) {
        angleAtom1.push_back(neighbours[p]);
        angleCentre.push_back(j);
        angleAtom3.push_back(neighbours[q]);
      }
  }
  angleCount = static_cast<int>(angleCentre.size());
}

void MolecularSystem::SetupDihedralList() {
  dihedralAtom1.clear();
  dihedralAtom2.clear();
  dihedralAtom3.clear();
  dihedralAtom4.clear();
  dihedralBondOrder.clear();
  for (int b = 0; b < bondCount; ++b) {
    const int j = bondAtom1[b];
    const int k = bondAtom2[b];
    for (int p = runStart(neighbourEnd, j); p <= neighbourEnd[j]; ++p) {
      const int i = neighbours[p];
      if (i == k) continue;
      for (int q = runStart(neighbourEnd, k); q <= neighbourEnd[k]; ++q) {
        const int l = neighbours[q];
        if (l == j || l == i) continue;
        dihedralAtom1.push_back(i);
        dihedralAtom2.push_back(j);
        dihedralAtom3.push_back(k);
        dihedralAtom4.push_back(l);
        dihedralBondOrder.push_back(bondOrder[b]);
      }
    }
  }
  dihedralCount = static_cast<int>(dihedralAtom1.size());
}

void MolecularSystem::SetupExclsionList() {
  struct Entry {
    int first, second, kind;
  };
  std::vector<Entry> entries;
  entries.reserve(bondCount + angleCount + dihedralCount);
  for (int b = 0; b < bondCount; ++b) entries.push_back({bondAtom1[b], bondAtom2[b], 2});
  for (int t = 0; t < angleCount; ++t)
    entries.push_back({std::min(angleAtom1[t], angleAtom3[t]),
                       std::max(angleAtom1[t], angleAtom3[t]), 3});
  for (int d = 0; d < dihedralCount; ++d)
    entries.push_back({std::min(dihedralAtom1[d], dihedralAtom4[d]),
                       -std::max(dihedralAtom1[d], dihedralAtom4[d]), 4});

  // Sorting by kind too puts the entry that wins a merge (smallest kind) first: a pair that is
  // both 1-3 and 1-4, as across a four- or five-membered ring, stays excluded.
  std::sort(entries.begin(), entries.end(), [](const Entry& p, const Entry& q) {
    if (p.first != q.first) return p.first < q.first;
    if (std::abs(p.second) != std::abs(q.second)) return std::abs(p.second) < std::abs(q.second);
    return p.kind < q.kind;
  });
  auto samePair = [](const Entry& p, const Entry& q) {
    return p.first == q.first && std::abs(p.second) == std::abs(q.second);
  };
  int distinctPairs = 0;
  for (size_t e = 0; e < entries.size(); ++e)
    if (e == 0 || !samePair(entries[e - 1], entries[e])) ++distinctPairs;
  exclusionAtom1.clear();
  exclusionAtom2.clear();
  exclusionKind.clear();
  for (const Entry& e : entries) {
    if (!exclusionAtom1.empty() && exclusionAtom1.back() == e.first &&
        std::abs(exclusionAtom2.back()) == std::abs(e.second))
      continue;
    exclusionAtom1.push_back(e.first);
    exclusionAtom2.push_back(e.second);
    exclusionKind.push_back(e.kind);
  }
  exclusionCount = static_cast<int>(exclusionAtom1.size());
  // The merge writes one entry per pair counted above; a difference is a fault of the merge.
  if (exclusionCount != distinctPairs) printError("ERROR: SetupExclusionList failed!");
}

void MolecularSystem::SetupNonbondedList() {
  // Candidates come from a grid of cutoff-sized cells. Each atom's excluded partners are marked
  // first, so only the pairs within the cutoff are sorted, ascending: the list runs in (i, |j|)
  // order, as a walk over all pairs gives it. The list is made again whenever atoms have moved
  // far (refreshPairList), so making it stays a small part of a torsion search.
  pairEnd.assign(atomCount, -1);
  pairList.clear();
  pairListCoordinates.assign(
      coordinates.begin(),
      coordinates.begin() + std::min(coordinates.size(), static_cast<size_t>(atomCount)));
  // A molecule of a few hundred atoms spans few cells of the cutoff: every atom's candidates are
  // nearly all atoms, which a walk over them gives in order without the grid and the sort.
  std::unique_ptr<CellGrid> grid;
  if (atomCount > kPairListGridAtoms)
    grid.reset(new CellGrid(coordinates, std::sqrt(pairListCutoff2)));
  // excludedFor[j] == i: j is a 1-2 or 1-3 partner of i; oneFourFor[j] == i: a 1-4 partner.
  std::vector<int> excludedFor(static_cast<size_t>(atomCount), -1);
  std::vector<int> oneFourFor(static_cast<size_t>(atomCount), -1);
  std::vector<int> partners;
  int x = 0;
  for (int i = 0; i < atomCount; ++i) {
    while (x < exclusionCount && exclusionAtom1[x] < i) ++x;
    for (int y = x; y < exclusionCount && exclusionAtom1[y] == i; ++y) {
      const int j = std::abs(exclusionAtom2[y]);
      if (j >= atomCount) continue;
      (exclusionAtom2[y] > 0 ? excludedFor : oneFourFor)[static_cast<size_t>(j)] = i;
    }
    auto within = [&](int j) {
      const double dx = static_cast<double>(coordinates[i].x) - coordinates[j].x;
      const double dy = static_cast<double>(coordinates[i].y) - coordinates[j].y;
      const double dz = static_cast<double>(coordinates[i].z) - coordinates[j].z;
      return dx * dx + dy * dy + dz * dz < pairListCutoff2;
    };
    partners.clear();
    if (grid == nullptr) {
      // Already in order; a position that is not finite is within no cutoff, as off the grid.
      for (int j = i + 1; j < atomCount; ++j)
        if (excludedFor[static_cast<size_t>(j)] != i && within(j)) partners.push_back(j);
    } else {
      grid->forEachCandidate(static_cast<size_t>(i), [&](size_t candidate) {
        const int j = static_cast<int>(candidate);
        if (j > i && excludedFor[candidate] != i && within(j)) partners.push_back(j);
      });
      std::sort(partners.begin(), partners.end());
    }
    for (int j : partners) pairList.push_back(oneFourFor[static_cast<size_t>(j)] == i ? -j : j);
    pairEnd[i] = static_cast<int>(pairList.size()) - 1;
  }
  pairCount = static_cast<int>(pairList.size());
}

void MolecularSystem::nonBondedUpdate() {
  pairList.clear();
  pairEnd.clear();
  pairCount = 0;
  SetupNonbondedList();
  markRingContacts();
}

// Two heavy atoms 1-4 across a ring bond sit inside the steep wall of their full van der Waals
// radii for good: an open chain turns away from such a contact and its torsion rows were fitted
// with it, but a ring bond cannot turn. At half the usual 1-4 scale cyclohexane's three
// cross-ring carbon pairs (2.95 A apart) no longer prise its chair flat, and an axial methyl
// lies 1.7 kcal/mol above an equatorial one and the twist-boat 5.7 above the chair (measured
// 1.74 and 5.5; at the usual scale 2.3 and 7.3). Hydrogens keep the usual scale. Aromatic
// rings, and the single bonds of rings with six pi electrons, are held flat by their torsions
// and keep it too.
void MolecularSystem::markRingContacts() {
  std::vector<std::pair<int, int>> contacts;
  for (int d = 0; d < dihedralCount; ++d) {
    const int i = dihedralAtom1[d], l = dihedralAtom4[d];
    if (atomElements[i] == "H" || atomElements[l] == "H" || dihedralBondOrder[d] != 1) continue;
    const int bond = getBondId(dihedralAtom2[d], dihedralAtom3[d]);
    if (bond < 0 || !bondInRing[bond]) continue;
    if (static_cast<size_t>(bond) < piRingSingleBond.size() && piRingSingleBond[bond] != 0)
      continue;
    contacts.emplace_back(std::min(i, l), std::max(i, l));
  }
  std::sort(contacts.begin(), contacts.end());
  ringContact.assign(pairList.size(), 0);
  for (int i = 0; i < atomCount; ++i)
    for (int p = runStart(pairEnd, i); p <= pairEnd[i]; ++p)
      if (pairList[p] < 0 &&
          std::binary_search(contacts.begin(), contacts.end(), std::make_pair(i, -pairList[p])))
        ringContact[p] = 1;
}

bool MolecularSystem::refreshPairList() {
  const double drift2 = pairListDrift * pairListDrift;
  const size_t count = std::min(coordinates.size(), static_cast<size_t>(atomCount));
  bool moved = pairListCoordinates.size() < count;
  for (size_t a = 0; a < count && !moved; ++a) {
    const double dx = static_cast<double>(coordinates[a].x) - pairListCoordinates[a].x;
    const double dy = static_cast<double>(coordinates[a].y) - pairListCoordinates[a].y;
    const double dz = static_cast<double>(coordinates[a].z) - pairListCoordinates[a].z;
    moved = dx * dx + dy * dy + dz * dz > drift2;
  }
  if (moved) nonBondedUpdate();
  return moved;
}

void MolecularSystem::SetupImproperList() {
  improperAtom1.clear();
  improperAtom2.clear();
  improperAtom3.clear();
  improperAtom4.clear();
  improperBarrier.clear();
  auto near = [this](int atom, double weight) { return std::fabs(mass[atom] - weight) < 0.1; };
  auto degree = [this](int atom) { return neighbourEnd[atom] - runStart(neighbourEnd, atom) + 1; };
  // Per atom: does it carry a double or aromatic bond, and is it a carbon doubly bonded to an
  // oxygen or a sulfur (the carbon of an amide, urea, carbamate or thioamide)?
  std::vector<char> multiple(static_cast<size_t>(atomCount), 0);
  std::vector<char> acyl(static_cast<size_t>(atomCount), 0);
  for (int b = 0; b < bondCount; ++b) {
    if (bondOrder[b] != 2 && bondOrder[b] != kAromaticOrder) continue;
    const int a1 = bondAtom1[b], a2 = bondAtom2[b];
    multiple[static_cast<size_t>(a1)] = multiple[static_cast<size_t>(a2)] = 1;
    if (bondOrder[b] != 2) continue;
    for (const auto& [c, x] : {std::pair<int, int>{a1, a2}, std::pair<int, int>{a2, a1}})
      if (near(c, 12.0) && (near(x, 16.0) || near(x, 32.06))) acyl[static_cast<size_t>(c)] = 1;
  }
  // A trigonal carbon or nitrogen is held flat: one that carries a double or aromatic bond
  // (alkene, carbonyl, imine, nitro, every atom of an aromatic ring, so that its substituents
  // stay in the ring plane), a nitrogen of three single bonds next to such a carbonyl or
  // thiocarbonyl carbon, whose lone pair is shared with it (amides, imides, the ring nitrogens
  // of uracils and xanthines), and a nitrogen of three single bonds whose lone pair completes a
  // ring of six pi electrons (the NH next to the hydrazide nitrogen of an indazolone or a
  // pyrazolone). Each centre has one term, its neighbours in run order.
  for (int atom = 0; atom < atomCount; ++atom) {
    if (degree(atom) != 3) continue;
    const bool carbon = near(atom, 12.0), nitrogen = near(atom, 14.0);
    if (!carbon && !nitrogen) continue;
    bool planar = multiple[static_cast<size_t>(atom)] != 0;
    const int start = runStart(neighbourEnd, atom);
    // An amide nitrogen (flat through its acyl neighbour alone) whose bonds to acyl carbons all
    // lie outside rings gets the soft term; the ring nitrogens of lactams, cyclic ureas, uracils
    // and xanthines, and a nitrogen inside a ring of six pi electrons, keep the stiff one.
    bool chainAmide = false, ringAmide = false, piRing = false;
    int hydrogens = 0;
    for (int p = start; nitrogen && !planar && p <= neighbourEnd[atom]; ++p) {
      hydrogens += near(neighbours[p], 1.008) ? 1 : 0;
      const size_t bond = static_cast<size_t>(neighbourBond[p]);
      piRing = piRing || (bond < piRingSingleBond.size() && piRingSingleBond[bond] != 0);
      if (acyl[static_cast<size_t>(neighbours[p])] == 0) continue;
      const bool inRing = bondInRing[bond];
      ringAmide = ringAmide || inRing;
      chainAmide = chainAmide || !inRing;
    }
    planar = planar || chainAmide || ringAmide || piRing;
    if (!planar) continue;
    double barrier = kImproperBarrier;
    if (chainAmide && !ringAmide && !piRing)
      barrier = hydrogens > 0 ? kAmideNitrogenImproperBarrier
                              : kTertiaryAmideNitrogenImproperBarrier;
    improperBarrier.push_back(barrier);
    improperAtom1.push_back(neighbours[start]);
    improperAtom2.push_back(neighbours[start + 1]);
    improperAtom3.push_back(atom);
    improperAtom4.push_back(neighbours[start + 2]);
  }
  improperCount = static_cast<int>(improperAtom3.size());
}

std::vector<char> MolecularSystem::findPiRingSingleBonds(const Molecule* molecule) const {
  std::vector<char> flags(static_cast<size_t>(bondCount), 0);
  if (!molecule || static_cast<int>(molecule->atoms.size()) != atomCount) return flags;
  std::unordered_map<const Atom*, int> position;
  for (int a = 0; a < atomCount; ++a) position.emplace(molecule->atoms[a], a);
  // Pi electrons an atom gives its ring: one from a double or aromatic bond inside the ring,
  // none from a carbon whose double bond leaves the ring (a ring C=O), two from the lone pair
  // of a nitrogen of three single bonds or of a ring oxygen or sulfur; -1 for an atom that
  // breaks the pi system (a saturated carbon, a fourth neighbour, the sulfur of a sulfoxide).
  auto piElectrons = [](const Atom* a, const std::vector<const Atom*>& ring) {
    if (a->bonds.size() > 3) return -1;
    bool exocyclicDouble = false;
    for (Bond* b : a->bonds) {
      if (b->order != 2 && b->order != kAromaticOrder) continue;
      const Atom* other = a->getAdjacentAtom(b);
      if (std::find(ring.begin(), ring.end(), other) != ring.end()) return 1;
      exocyclicDouble = true;
    }
    if (exocyclicDouble) return a->element == "C" ? 0 : -1;
    if (a->element == "N" && a->bonds.size() == 3) return 2;
    if ((a->element == "O" || a->element == "S") && a->bonds.size() == 2) return 2;
    return -1;
  };
  for (const Ring* ring : molecule->rings) {
    if (ring == nullptr || ring->aromatic) continue;
    const size_t size = ring->atomIds.size();
    if (size < 5 || size > 7 || ring->bondIds.size() != size) continue;
    std::vector<const Atom*> atoms;
    for (int id : ring->atomIds)
      if (id >= 0 && static_cast<size_t>(id) < molecule->atoms.size())
        atoms.push_back(molecule->atoms[static_cast<size_t>(id)]);
    if (atoms.size() != size) continue;
    int pi = 0;
    for (const Atom* a : atoms) {
      const int own = piElectrons(a, atoms);
      if (own < 0) {
        pi = -1;
        break;
      }
      pi += own;
    }
    if (pi != 6) continue;
    for (int id : ring->bondIds) {
      if (id < 0 || static_cast<size_t>(id) >= molecule->bonds.size()) continue;
      const Bond* bond = molecule->bonds[static_cast<size_t>(id)];
      if (bond->order != 1) continue;
      const auto first = position.find(bond->atom1);
      const auto second = position.find(bond->atom2);
      if (first == position.end() || second == position.end()) continue;
      const int b = getBondId(first->second, second->second);
      if (b >= 0) flags[static_cast<size_t>(b)] = 1;
    }
  }
  return flags;
}

void MolecularSystem::setupChiralCenters(Molecule* molecule) {
  chiralCenters.clear();
  if (!molecule || static_cast<int>(molecule->atoms.size()) != atomCount) return;
  std::unordered_map<const Atom*, int> position;
  for (int a = 0; a < atomCount; ++a) position.emplace(molecule->atoms[a], a);
  for (int a = 0; a < atomCount; ++a) {
    const Atom* atom = molecule->atoms[a];
    if (atom->piCount <= 0 || atom->neighbours.size() != 4) continue;
    ChiralCenter centre;
    centre.centre = a;
    centre.label = atom->piCount;
    bool valid = true;
    for (int n = 0; n < 4; ++n) {
      // Neighbours are found by list position, as everywhere in the system.
      const auto found = position.find(atom->neighbours[n]);
      const int index = found == position.end() ? -1 : found->second;
      if (index < 0) valid = false;
      centre.neighbours[n] = index;
    }
    if (valid) chiralCenters.push_back(centre);
  }
}

void MolecularSystem::SetupRotationAxis() {
  // An axis is a pair of atoms, lower index first, as one key.
  auto axisKey = [this](int j, int k) {
    return static_cast<long long>(std::min(j, k)) * atomCount + std::max(j, k);
  };
  std::unordered_set<long long> ringBonds;
  for (int b = 0; b < bondCount; ++b)
    if (bondInRing[b]) ringBonds.insert(axisKey(bondAtom1[b], bondAtom2[b]));

  torsionAxisAtom1.clear();
  torsionAxisAtom2.clear();
  rotatableBondAtom1.clear();
  rotatableBondAtom2.clear();
  // A bond with several dihedrals, or bonded twice over, gives one axis.
  std::unordered_set<long long> seen;
  for (int d = 0; d < dihedralCount; ++d) {
    if (dihedralBondOrder[d] >= 2) continue;
    const int j = std::min(dihedralAtom2[d], dihedralAtom3[d]);
    const int k = std::max(dihedralAtom2[d], dihedralAtom3[d]);
    if (!seen.insert(axisKey(j, k)).second) continue;
    torsionAxisAtom1.push_back(j);
    torsionAxisAtom2.push_back(k);
    if (ringBonds.count(axisKey(j, k)) == 0) {
      rotatableBondAtom1.push_back(j);
      rotatableBondAtom2.push_back(k);
    }
  }
  torsionAxisCount = static_cast<int>(torsionAxisAtom1.size());
  rotatableBondCount = static_cast<int>(rotatableBondAtom1.size());
  torsionAxisFrozen.assign(torsionAxisCount, false);
  torsionAxisGradient.assign(torsionAxisCount, 0.0);
}

// A chain of cumulated double bonds through straight centres, C=C=C or C=C=C=C, holds the pi
// bonds of its ends at right angles to each other when it has an odd number of straight centres
// (an even number of double bonds: allene, its end planes crossed) and in one plane when it has
// an even number (butatriene). The torsions through a straight centre take no terms, so the
// twist is held by torsions about the line through the whole chain: a substituent of one end
// atom, the two end atoms and a substituent of the other end atom. Their angles are the bent
// angles at the end atoms (near 120 degrees), whose planes are well defined.
void MolecularSystem::setupCumuleneTwists() {
  cumuleneTwistAtom1.clear();
  cumuleneTwistAtom2.clear();
  cumuleneTwistAtom3.clear();
  cumuleneTwistAtom4.clear();
  cumuleneTwistPhase.clear();
  cumuleneTwistBarrier.clear();
  cumulatedChains.clear();
  const std::vector<std::vector<int>> anglesAt = anglesByCentre();
  auto doubleBond = [this](int p) { return bondOrder[neighbourBond[p]] == 2; };
  // A straight centre of a chain: two neighbours, both doubly bonded, the angle held straight.
  std::vector<char> straight(static_cast<size_t>(atomCount), 0);
  for (int atom = 0; atom < atomCount; ++atom) {
    const int start = runStart(neighbourEnd, atom);
    if (neighbourEnd[atom] - start != 1 || !doubleBond(start) || !doubleBond(start + 1)) continue;
    straight[static_cast<size_t>(atom)] =
        heldStraight(neighbours[start], atom, neighbours[start + 1], anglesAt) ? 1 : 0;
  }
  auto isStraight = [&straight](int atom) { return straight[static_cast<size_t>(atom)] != 0; };
  for (int end = 0; end < atomCount; ++end) {
    if (isStraight(end)) continue;
    for (int p = runStart(neighbourEnd, end); p <= neighbourEnd[end]; ++p) {
      if (!doubleBond(p) || !isStraight(neighbours[p])) continue;
      // Walk through the straight centres to the chain's other end.
      int previous = end, other = neighbours[p], centres = 0;
      while (isStraight(other) && centres <= atomCount) {
        const int start = runStart(neighbourEnd, other);
        const int next = neighbours[start] == previous ? neighbours[start + 1] : neighbours[start];
        previous = other;
        other = next;
        ++centres;
      }
      // Each chain once, from its lower end; a ring of straight centres has no end.
      if (isStraight(other) || other <= end) continue;
      const int first = neighbours[p], last = previous;
      const CumulatedChain chain = {end, other, last, centres % 2 == 1,
                                    cumuleneTwistBarrier.size()};
      for (int q = runStart(neighbourEnd, end); q <= neighbourEnd[end]; ++q) {
        const int i = neighbours[q];
        if (i == first || heldStraight(i, end, first, anglesAt)) continue;
        for (int r = runStart(neighbourEnd, other); r <= neighbourEnd[other]; ++r) {
          const int l = neighbours[r];
          if (l == last || l == i || heldStraight(last, other, l, anglesAt)) continue;
          cumuleneTwistAtom1.push_back(i);
          cumuleneTwistAtom2.push_back(end);
          cumuleneTwistAtom3.push_back(other);
          cumuleneTwistAtom4.push_back(l);
          cumuleneTwistPhase.push_back(chain.crossed ? 0.0 : kPiDouble);
          cumuleneTwistBarrier.push_back(kCumuleneTwistBarrier);
        }
      }
      if (cumuleneTwistBarrier.size() > chain.firstTwist) cumulatedChains.push_back(chain);
    }
  }
}
