// Labels no geometry can hold: two bridgeheads of a small bicyclic ring system whose written
// hands turn one of them inside out. Read from the graph and the labels alone, before any atom
// is placed, since a construction and an optimisation asked for the impossible end with
// something else (the trans-bridged tropine CN1[C@@H]2CC[C@@H]1CC(C2)O came out with all its
// hands as written and a C-C bond stretched to 1.71 Angstrom; a trans epoxide on the
// five-membered ring of scopolamine came out with angles of 140 degrees).
//
// Two bridgeheads joined by three bridges each have their fourth bond outside the three, so
// seen along the line from one to the other the bridges turn one way about the first and the
// other way about the second: the volumes their first bridge atoms span about the two centres
// have opposite signs. Equal signs put one fourth bond inside the cage ("in,out"), which takes
// bridges longer than a small ring system has: bicyclo[3.2.1] to [2.2.2] cannot be built so at
// all, and up to ten-atom bicycles the strain runs to 30 to 70 kcal/mol. A fused pair of rings
// is the same with a bridge of no atoms (the bond between the two): equal signs there are a
// trans fusion, which a three-membered ring on a ring of up to five atoms, or two
// four-membered rings, cannot take.

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "construction/GeometryCheck.h"
#include "construction/GeometrySupport.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"

using namespace geometry;

namespace {

// Three bridges of at most this many atoms together are too short to hold a bridgehead in;
// with one of them the bond between the two, the other two too short for a trans fusion.
constexpr size_t kMostInOutBridgeAtoms = 8;
constexpr size_t kMostTransFusedBridgeAtoms = 4;
// One bridge has at least one atom, so none of a short system is longer than this.
constexpr size_t kLongestBridge = kMostInOutBridgeAtoms - 2;
// Steps of the walk from one centre, so that the work stays linear in the centres; a cage whose
// atoms each carry three more ring bonds takes about 3,000, and a denser one ends the walk
// there, unjudged.
constexpr size_t kMostWalkSteps = 5000;

// A bridge from a centre: its atoms in order from the centre's side (none for the bond between
// the two bridgeheads), the bridgehead it ends at, and the atoms it leaves the two by.
struct Bridge {
  std::vector<Atom*> inner;
  const Atom* end = nullptr;
  const Atom* nearStart = nullptr;   // the centre's neighbour on the bridge
  const Atom* farStart = nullptr;    // the far bridgehead's neighbour on the bridge
};

bool isLabelledBridgeheadCandidate(const Atom* atom) {
  if (atom == nullptr || !isHandedCentre(*atom)) return false;
  int ringBonds = 0;
  for (const Bond* bond : atom->bonds) ringBonds += bond != nullptr && bond->inRing ? 1 : 0;
  return ringBonds >= 3;
}

// Every path of ring bonds from the centre through up to kLongestBridge atoms to another
// labelled bridgehead that comes later in the atom list.
class BridgeWalk {
 public:
  BridgeWalk(const Atom* centre, const std::unordered_map<const Atom*, size_t>& order)
      : centre_(centre), order_(order) {}

  std::vector<Bridge> bridges() {
    for (const Bond* bond : centre_->bonds) step(bond, centre_);
    return found_;
  }

 private:
  void step(const Bond* bond, const Atom* from) {
    if (bond == nullptr || !bond->inRing || ++steps_ > kMostWalkSteps) return;
    Atom* next = farEnd(bond, from);
    if (next == nullptr || next == centre_ ||
        std::find(path_.begin(), path_.end(), next) != path_.end())
      return;
    const auto later = order_.find(next);
    if (later != order_.end() && later->second > order_.at(centre_))
      found_.push_back({path_, next, path_.empty() ? next : path_.front(),
                        path_.empty() ? centre_ : path_.back()});
    if (path_.size() == kLongestBridge) return;
    path_.push_back(next);
    for (const Bond* onward : next->bonds)
      if (onward != bond) step(onward, next);
    path_.pop_back();
  }

  const Atom* centre_;
  const std::unordered_map<const Atom*, size_t>& order_;
  std::vector<Atom*> path_;
  std::vector<Bridge> found_;
  size_t steps_ = 0;
};

bool disjoint(const Bridge& a, const Bridge& b) {
  for (const Atom* atom : a.inner)
    if (std::find(b.inner.begin(), b.inner.end(), atom) != b.inner.end()) return false;
  return true;
}

// The sign (+1 or -1) of the volume the three neighbours span about the centre as its label
// asks; 0 when one of them is no listed neighbour.
double writtenVolumeSign(const Atom& centre, const Atom* a, const Atom* b, const Atom* c) {
  const double sign =
      doubleAtVolumeSign(stereoSlot(centre, a), stereoSlot(centre, b), stereoSlot(centre, c));
  return centre.piCount == 2 ? sign : -sign;
}

// True when the three bridges from first to second turn the same way about both.
bool insideOut(const Atom& first, const Atom& second, const Bridge& a, const Bridge& b,
               const Bridge& c) {
  const double near = writtenVolumeSign(first, a.nearStart, b.nearStart, c.nearStart);
  const double far = writtenVolumeSign(second, a.farStart, b.farStart, c.farStart);
  return near != 0.0 && near == far;
}

// Whether a triple of disjoint bridges to one far bridgehead, of the fewest atoms any such
// triple has and short enough together, turns a bridgehead inside out. Only the smallest
// bicycle of the two bridgeheads holds its fourth bonds outside: a larger one may hold one of
// them inside, on a bridge of the smaller. The oxanorbornene of a furan Diels-Alder adduct
// fused to a lactam has a bridge of five atoms round the lactam beside its two-atom bridge, and
// the [5.2.1] bicycle of that bridge holds the two-atom bridge's first atom inside.
bool anyInsideOut(const Atom& centre, const std::vector<const Bridge*>& toEnd) {
  struct Triple {
    const Bridge* bridges[3];
    size_t atoms;
    bool fused;
  };
  std::vector<Triple> smallest;   // the triples of the fewest atoms so far
  for (size_t i = 0; i < toEnd.size(); ++i)
    for (size_t j = i + 1; j < toEnd.size(); ++j) {
      if (!disjoint(*toEnd[i], *toEnd[j])) continue;
      for (size_t k = j + 1; k < toEnd.size(); ++k) {
        if (!disjoint(*toEnd[i], *toEnd[k]) || !disjoint(*toEnd[j], *toEnd[k])) continue;
        Triple triple{{toEnd[i], toEnd[j], toEnd[k]}, 0, false};
        for (const Bridge* bridge : triple.bridges) {
          triple.atoms += bridge->inner.size();
          triple.fused = triple.fused || bridge->inner.empty();
        }
        if (!smallest.empty() && triple.atoms > smallest.front().atoms) continue;
        if (!smallest.empty() && triple.atoms < smallest.front().atoms) smallest.clear();
        smallest.push_back(triple);
      }
    }
  for (const Triple& t : smallest)
    if (t.atoms <= (t.fused ? kMostTransFusedBridgeAtoms : kMostInOutBridgeAtoms) &&
        insideOut(centre, *t.bridges[0]->end, *t.bridges[0], *t.bridges[1], *t.bridges[2]))
      return true;
  return false;
}

}  // namespace

Atom* findInsideOutBridgehead(const Molecule& molecule) {
  std::unordered_map<const Atom*, size_t> order;
  std::vector<Atom*> centres;
  for (Atom* atom : molecule.atoms)
    if (isLabelledBridgeheadCandidate(atom)) {
      order.emplace(atom, centres.size());
      centres.push_back(atom);
    }
  if (centres.size() < 2) return nullptr;
  for (Atom* centre : centres) {
    const std::vector<Bridge> bridges = BridgeWalk(centre, order).bridges();
    std::unordered_map<const Atom*, std::vector<const Bridge*> > byEnd;
    for (const Bridge& bridge : bridges) byEnd[bridge.end].push_back(&bridge);
    // The far bridgeheads in atom order, so the answer does not hang on the map's order.
    for (Atom* other : centres) {
      const auto toEnd = byEnd.find(other);
      if (toEnd != byEnd.end() && toEnd->second.size() >= 3 &&
          anyInsideOut(*centre, toEnd->second))
        return other;
    }
  }
  return nullptr;
}
