// Bond orders of a PDB residue without template, decided on the residue's own graph from the
// orders its records list, its hydrogens, its geometry and its bond lengths as a whole.
//
// Orders taken bond by bond from distance windows went wrong on whole classes of ligands:
// 2-methylthiophene's ring bonds, all between 1.37 and 1.43 A, each fell into the C=C window and
// gave the cumulene CC1=C=C=CS1; benzothiazole's S and N were left with open valences that the
// hydrogen completion then filled ([sH], [nH]); a triazole written with all its hydrogens got two
// more. Here every heavy atom first says how many multiple bonds it can take and how much it
// wants one, and the double bonds are then chosen together as the best matching.

#include "io/LigandBondOrders.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "io/ElementValence.h"
#include "math/CellGrid.h"
#include "math/Constants.h"
#include "math/SSEVector4f.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "model/Ring.h"
#include "parameters/CovalentRadii.h"

namespace {

// A three-bonded atom whose centre lies closer than this to the plane of its neighbours is flat;
// a tetrahedral centre lies about 0.5 A out of it.
const float kFlatCentreAngstrom = 0.2f;
const float kPyramidalCentreAngstrom = 0.32f;
// A ring whose atoms all lie this close to their mean plane is flat (a chair is 0.25 A out).
const float kFlatRingAngstrom = 0.15f;
// Mean length score of the bonds of a conjugated ring: about 0 for benzene, thiophene or
// pyrimidinone, -0.4 for an oxadiazole, -1.7 for tetrahydrofuran.
const float kLeastConjugatedRingScore = -1.2f;
// Above this mean the ring is aromatic as a whole: about 0 for an azole or benzene, -0.9 for a
// pyrazolidinedione (two C-C single bonds). One bond of it that noise stretches is still judged
// with the ring.
const float kLeastAromaticRingScore = -0.45f;
// A two-bonded atom opened wider than this is linear (sp).
const float kLinearDeg = 160.0f;
// Chain angles: about 112 degrees at a tetrahedral centre, 120-125 at a trigonal one.
const float kTrigonalAngleDeg = 118.0f;
const float kAngleSpanDeg = 3.0f;
// How much an atom wants a multiple bond: a flat three-bonded carbon or an atom whose hydrogens
// leave one valence open must have one; a flat ring atom should.
const float kMustWant = 3.0f;
// An atom whose hydrogens the file gives and leave a valence open is left open only where no
// sound structure fills it (a radical otherwise).
const float kKnownWant = 5.0f;
const float kFlatRingWant = 3.0f;
// A carbon only in flat five-rings may be a CH2 (indanone, succinimide, fluorene): its angle,
// about 104 degrees against 106-113 at an aromatic five-ring carbon, tells it.
const float kFiveRingSp3AngleDeg = 105.0f;
const float kFiveRingAngleSpanDeg = 2.0f;
// Mean length score of its two ring bonds above which such a carbon is aromatic: about 0 in
// pyrazole or imidazole, -1.5 at a CH2 (1.51 and 1.53 A).
const float kLeastConjugatedScore = -0.8f;
// Below this mean score its bonds are well inside the single range and its angle, however wide,
// no longer makes it aromatic: -1.6 at the CH2 of a cyclic aminal (C-N 1.47 A).
const float kLeastLeaningScore = -1.2f;
const float kLeaningLimit = 1.5f;
// Score of a bond's length: +0.75 at a typical double bond, -0.75 at a conjugated single one.
const float kLengthWeight = 1.5f;
const float kLengthScoreLimit = 2.5f;
// Leanings of atoms the geometry does not settle, from how often each form occurs in ligands:
// a terminal oxygen is mostly a carbonyl, a terminal carbon a methyl, a terminal nitrogen an
// amine, a two-bonded chain nitrogen the NH of an amide rather than an imine; a two-bonded ring
// nitrogen of a flat ring is mostly pyridine-like.
const float kTerminalOxygenWant = 1.0f;
const float kTerminalSulfurWant = 0.5f;
const float kTerminalCarbonWant = -1.5f;
const float kTerminalNitrogenWant = -1.0f;
const float kChainNitrogenWant = -1.0f;
const float kRingCationWant = -2.0f;
// A terminal oxygen on a flat ring carbon is mostly a phenol, not a quinone.
const float kRingOxygenWant = 0.0f;
// An N-O bond this short is an N-oxide; N-OH is about 1.40 A.
const float kLongestNOxideAngstrom = 1.34f;
const float kRingNitrogenWant = 0.7f;
// A four-bonded phosphorus or arsenic without a terminal oxygen or sulfur is an ylide or an
// iminophosphorane where a neighbour wants a double bond (P=C, P=N), else a phosphonium cation.
const float kYlideWant = 1.5f;
// A terminal carbon without hydrogens is a methyl whose hydrogens the file left out unless its
// bond is as short as a triple one (an isonitrile, carbon monoxide).
const float kLongestTerminalTripleAngstrom = 1.25f;
// Pieces of one residue closer than their elements' single bond plus this share a bond the
// windows missed (a far neighbour of another molecule in the residue lies 3 A or more away).
const float kPieceReachAngstrom = 0.5f;
const size_t kPiecesListed = 5;
// A double bond holds its four neighbours in one plane: a dihedral across the bond further than
// this from 0 or 180 degrees rules it out (a CH2-CH2 of a ring or chain is staggered, 60).
const float kMostTwistDeg = 30.0f;
// Triple bonds are shorter than this above their typical length.
const float kTripleSlackAngstrom = 0.1f;
// Where a bond's length lies between the conjugated single (0) and the double bond (1) of its
// elements (orderFraction). Beyond these marks it is well inside one order's range and outweighs
// what the angles at its ends and the usual forms of its atoms suggest: C-C 1.44 A and longer or
// 1.36 and shorter, N-N 1.37 or 1.28. Between them it is ambiguous (an aromatic ring's 1.39,
// an amide's C-N 1.34); crystal geometry is noisy by a few hundredths of an Angstrom.
const float kClearlySingleFraction = 0.2f;
const float kClearlyMultipleFraction = 0.8f;
// A two-bonded atom bent less than this from straight is still sp where a bond is as short as
// a triple one: the alkyne of cyclooctyne is bent to 155 degrees, its C#C 1.20 A long.
const float kBentTripleDeg = 140.0f;
const float kBentTripleFraction = 1.5f;
// The double bonds of a cumulated centre (allene 1.30 A, azide 1.24 and 1.14 A) are shorter than
// an isolated one.
const float kCumulatedFraction = 1.25f;
const float kTripleFraction = 2.0f;
// How much better, in summed squares of order fractions, the lengths of a straight centre must
// fit one form than the other: alkynes are far more common than allenes and cumulenes (ideal
// lengths fit each by about 2), azides and diazo groups than diazonium ions (a diazo group fits
// by 0.3).
const float kCarbonCumulatedMargin = 1.0f;
const float kNitrogenCumulatedMargin = -0.5f;
// Steps of the order search per connected part; a part that needs more keeps the best found.
const long kMostSearchSteps = 200000;
const size_t kLargestSearchedPart = 1000;

struct Site {
  Atom* atom = nullptr;
  std::vector<int> partners;   // heavy neighbour sites
  std::vector<Bond*> bonds;    // the bonds to them, in the same order
  std::vector<float> scores;   // the length score of each bond
  int hydrogens = 0;           // hydrogens the file bonds to the atom
  std::vector<Atom*> hydrogenAtoms;
  bool known = false;          // the file fixes the hydrogen count
  int room = 0;                // multiple-bond orders the atom may still take
  float want = 0.0f;           // gain for taking one
  bool support = false;        // its hydrogens or its geometry ask for a multiple bond
  bool settled = false;         // a group rule set its orders
  bool onium = false;           // four-bonded P or As: a cation unless it takes a double bond
  bool flatRing = false;
  bool flatSixRing = false;
};

float angleDeg(const Atom* centre, const Atom* a, const Atom* b) {
  const SSEVector4f u = a->position - centre->position, v = b->position - centre->position;
  const float lengths = u.length() * v.length();
  if (lengths <= 0.0f) return 0.0f;
  const float c = std::max(-1.0f, std::min(1.0f, u.dot(v) / lengths));
  return static_cast<float>(std::acos(c) * 180.0 / kPiDouble);
}

// Dihedral a-b-c-d, degrees in [-180, 180].
float dihedralDeg(const Atom* a, const Atom* b, const Atom* c, const Atom* d) {
  const SSEVector4f b1 = b->position - a->position, b2 = c->position - b->position,
                    b3 = d->position - c->position;
  const SSEVector4f n1 = b1 % b2, n2 = b2 % b3;
  const float middle = b2.length();
  if (middle <= 0.0f) return 0.0f;
  const float y = (n1 % b2).dot(n2) / middle;
  return static_cast<float>(std::atan2(y, n1.dot(n2)) * 180.0 / kPiDouble);
}

// Distance of the centre from the plane through its three neighbours.
float heightAbovePlane(const Atom* centre, const Atom* a, const Atom* b, const Atom* c) {
  const SSEVector4f normal = (b->position - a->position) % (c->position - a->position);
  const float n = normal.length();
  if (n <= 0.0f) return 0.0f;
  return std::fabs((centre->position - a->position).dot(normal)) / n;
}

// Largest distance of the ring's atoms from their mean plane (normal by Newell's sums).
float ringPucker(const std::vector<const Atom*>& ring) {
  SSEVector4f centre(0, 0, 0, 0), normal(0, 0, 0, 0);
  const size_t n = ring.size();
  for (size_t k = 0; k < n; ++k) {
    const SSEVector4f& p = ring[k]->position;
    const SSEVector4f& q = ring[(k + 1) % n]->position;
    centre += p;
    normal += SSEVector4f((p.y - q.y) * (p.z + q.z), (p.z - q.z) * (p.x + q.x),
                          (p.x - q.x) * (p.y + q.y), 0.0f);
  }
  const float len = normal.length();
  if (n == 0 || len <= 0.0f) return 1.0f;
  centre *= 1.0f / static_cast<float>(n);
  float worst = 0.0f;
  for (const Atom* a : ring)
    worst = std::max(worst, std::fabs((a->position - centre).dot(normal)) / len);
  return worst;
}

// Typical lengths of a bond between two elements, Angstrom: a single bond between conjugated
// atoms and a double bond. Measured for the pairs of the table, else from covalent radii.
struct TypicalLengths {
  float single = 1.0f;
  float twofold = 0.0f;
  bool measured = false;
};

TypicalLengths typicalLengths(std::string x, std::string y) {
  if (y < x) std::swap(x, y);
  const std::string pair = x + "-" + y;
  static const std::map<std::string, std::pair<float, float> > table = {
      {"C-C", {1.46f, 1.34f}}, {"C-N", {1.40f, 1.28f}}, {"C-O", {1.34f, 1.22f}},
      {"C-S", {1.75f, 1.64f}}, {"N-N", {1.40f, 1.25f}}, {"N-O", {1.38f, 1.22f}},
      {"C-Se", {1.90f, 1.78f}}, {"C-P", {1.80f, 1.66f}}};
  TypicalLengths out;
  const auto found = table.find(pair);
  if (found != table.end()) {
    out.single = found->second.first;
    out.twofold = found->second.second;
    out.measured = true;
    return out;
  }
  const float single = static_cast<float>(radiusBondLength(x, y, 1));
  const float twofold = static_cast<float>(radiusBondLength(x, y, 2));
  if (single > twofold) {   // elements without radii: any length scores the same
    out.single = single;
    out.twofold = twofold;
  }
  return out;
}

// Where the distance of two atoms lies among their bond orders: 0 at the conjugated single
// bond, 1 at the double and 2 at the triple length (a triple bond is shorter than a double one
// by about the double's step from the single).
float orderFraction(const Atom* a, const Atom* b, const TypicalLengths& t) {
  return (t.single - atomDistance(a, b)) / (t.single - t.twofold);
}

float orderFraction(const Atom* a, const Atom* b) {
  return orderFraction(a, b, typicalLengths(a->element, b->element));
}

float lengthScore(const Bond* b) {
  const float s = kLengthWeight * (orderFraction(b->atom1, b->atom2) - 0.5f);
  return std::max(-kLengthScoreLimit, std::min(kLengthScoreLimit, s));
}

// What a bond's length says of its order on its own: single or multiple where it lies well
// inside that range, nothing where it is ambiguous (an aromatic ring's bonds, an amide's C-N)
// or the elements' lengths are not measured.
enum class LengthSays { nothing, single, multiple };

LengthSays lengthSays(const Atom* a, const Atom* b) {
  const TypicalLengths t = typicalLengths(a->element, b->element);
  if (!t.measured) return LengthSays::nothing;
  const float fraction = orderFraction(a, b, t);
  if (fraction <= kClearlySingleFraction) return LengthSays::single;
  if (fraction >= kClearlyMultipleFraction) return LengthSays::multiple;
  return LengthSays::nothing;
}

// The two atoms are as close as a triple bond holds them.
bool tripleLength(const Atom* a, const Atom* b) {
  const TypicalLengths t = typicalLengths(a->element, b->element);
  return t.measured && orderFraction(a, b, t) >= kBentTripleFraction;
}

// A two-bonded centre is sp: straight, or bent by a strained ring where one of its bonds is as
// short as a triple one.
bool straightAt(const Atom* centre, const Atom* a, const Atom* b) {
  const float angle = angleDeg(centre, a, b);
  return angle > kLinearDeg ||
         (angle > kBentTripleDeg && (tripleLength(centre, a) || tripleLength(centre, b)));
}

bool isTerminalOf(const std::vector<Site>& sites, int k, const char* element) {
  const Site& s = sites[static_cast<size_t>(k)];
  return s.atom->element == element && s.partners.size() == 1 && s.hydrogens == 0;
}

std::string bondText(const Site& a, const Site& b, const char* sign) {
  char length[32];
  std::snprintf(length, sizeof length, "%.2f", static_cast<double>(atomDistance(a.atom, b.atom)));
  return a.atom->name + sign + b.atom->name + " " + length + " A";
}

// Standard valence an atom reaches with its hydrogens, the element table's first one; 0 for
// elements that take no multiple bond.
int standardValence(const std::string& element) {
  if (element != "C" && element != "N" && element != "O" && element != "S" && element != "Se")
    return 0;
  return std::max(0, firstValence(element));
}

// The largest valence a listed order may give an atom: the element table's largest, one more
// for a nitrogen, which with four bonds is a cation.
int mostListedValence(const std::string& element) {
  return std::max(1, largestValence(element)) + (element == "N" ? 1 : 0);
}

// The centre lies out of the plane of its three neighbours as a tetrahedral one does.
bool pyramidal(const Atom* centre, const std::vector<const Atom*>& around) {
  return around.size() == 3 &&
         heightAbovePlane(centre, around[0], around[1], around[2]) >= kPyramidalCentreAngstrom;
}

// Where bond b stands among the site's bonds.
size_t slotOf(const Site& s, const Bond* b) {
  return static_cast<size_t>(std::find(s.bonds.begin(), s.bonds.end(), b) - s.bonds.begin());
}

class OrderPerception {
 public:
  OrderPerception(Molecule& m, const ListedOrders& listed) : m_(m), listed_(listed) {}

  LigandOrderGuesses run() {
    collectSites();
    if (sites_.empty()) return guesses_;
    markFlatRings();
    judgeHydrogens();
    takeListedOrders();
    setGroups();
    for (Site& s : sites_) {
      // Settled atoms keep their orders; an anion the file gives takes no multiple bond.
      if (s.settled || s.atom->charge < 0) continue;
      if (s.known)
        fromHydrogens(s);
      else
        fromGeometry(s);
    }
    setTripleAndCumulatedBonds();
    chooseDoubleBonds();
    finish();
    return guesses_;
  }

 private:
  void collectSites() {
    bool anyHydrogen = false, carbonHydrogen = false;
    for (Atom* a : m_.atoms) {
      if (a->element == "H") {
        anyHydrogen = true;
        continue;
      }
      index_[a] = static_cast<int>(sites_.size());
      Site s;
      s.atom = a;
      sites_.push_back(s);
    }
    for (Site& s : sites_) {
      for (Bond* b : s.atom->bonds) {
        Atom* other = s.atom->getAdjacentAtom(b);
        if (other == nullptr) continue;
        const auto found = index_.find(other);
        if (other->element == "H") {
          ++s.hydrogens;
          s.hydrogenAtoms.push_back(other);
          if (s.atom->element == "C") carbonHydrogen = true;
          continue;
        }
        if (found == index_.end()) continue;
        b->order = 1;
        s.partners.push_back(found->second);
        s.bonds.push_back(b);
        // A partner met before has the bond's score already.
        const Site& o = at(found->second);
        const size_t back = slotOf(o, b);
        s.scores.push_back(back < o.scores.size() ? o.scores[back] : lengthScore(b));
      }
    }
    // A residue with hydrogens brings them all, or only those of its polar atoms (docking
    // programs keep no others): then its carbons are judged by their geometry. Whether an atom
    // of a residue with hydrogens on carbon still lacks some is judged atom by atom.
    for (Site& s : sites_)
      s.known = anyHydrogen && (carbonHydrogen || s.atom->element != "C");
    carbonHydrogens_ = carbonHydrogen;
  }

  // The neighbours of a site, heavy and hydrogen.
  std::vector<const Atom*> neighbours(const Site& s) const {
    std::vector<const Atom*> out;
    for (int k : s.partners) out.push_back(sites_[static_cast<size_t>(k)].atom);
    out.insert(out.end(), s.hydrogenAtoms.begin(), s.hydrogenAtoms.end());
    return out;
  }

  // A carbon whose hydrogens and heavy neighbours leave a valence open and whose geometry has
  // room for another neighbour: a bent two-bonded or a pyramidal three-bonded carbon, a terminal
  // one with a long bond. Only linear, flat or short-bonded carbons take multiple bonds instead.
  bool lacksHydrogens(const Site& s) const {
    const std::vector<const Atom*> around = neighbours(s);
    if (s.atom->element != "C" || around.size() >= 4) return false;
    if (around.size() == 3) return pyramidal(s.atom, around);
    if (around.size() == 2) return !straightAt(s.atom, around[0], around[1]);
    if (around.size() == 1) return atomDistance(s.atom, around[0]) > kLongestTerminalTripleAngstrom;
    return true;
  }

  // A tetrahedral carbon: four neighbours given, three with a pyramidal centre, or two at a
  // tetrahedral angle outside a flat ring.
  bool saturatedCarbon(const Site& s) const {
    const std::vector<const Atom*> around = neighbours(s);
    if (s.atom->element != "C") return false;
    if (around.size() == 3) return pyramidal(s.atom, around);
    if (around.size() == 2)
      return !s.flatRing &&
             angleDeg(s.atom, around[0], around[1]) < kTrigonalAngleDeg - kAngleSpanDeg;
    return around.size() >= 4;
  }

  // Hydrogens given on some carbons only (a file that kept those of a few atoms): a carbon
  // whose geometry has room for more is judged by its geometry, and so is an O, N or S whose
  // every neighbour is a tetrahedral carbon, which would otherwise be left an alkoxide or an
  // amide anion.
  void judgeHydrogens() {
    if (!carbonHydrogens_) return;
    for (Site& s : sites_)
      if (s.known && lacksHydrogens(s)) s.known = false;
    for (Site& s : sites_) {
      const std::string& e = s.atom->element;
      if (!s.known || s.partners.empty() || (e != "O" && e != "N" && e != "S")) continue;
      const int open = standardValence(e) - static_cast<int>(s.partners.size()) - s.hydrogens;
      bool saturated = true;
      for (int k : s.partners) saturated = saturated && saturatedCarbon(at(k));
      if (open > 0 && saturated) s.known = false;
    }
  }

  // Orders the records list: kept where no atom goes past its valence with them, each such atom
  // then settled; a listed order that would overfill an atom is dropped with every listed order
  // at that atom, and those atoms are judged like the rest.
  void takeListedOrders() {
    if (listed_.empty()) return;
    std::set<const Bond*> kept;
    for (const auto& entry : listed_)
      if (entry.second >= 2 && entry.second <= 3 && index_.count(entry.first->atom1) != 0 &&
          index_.count(entry.first->atom2) != 0)
        kept.insert(entry.first);
    // Each round drops the orders of at least one atom, or ends.
    for (bool dropped = true; dropped;) {
      dropped = false;
      for (const Site& s : sites_) {
        int sum = s.hydrogens;
        for (const Bond* b : s.bonds) sum += kept.count(b) != 0 ? listed_.at(b) : 1;
        if (sum <= mostListedValence(s.atom->element)) continue;
        for (const Bond* b : s.bonds) dropped = kept.erase(b) != 0 || dropped;
      }
    }
    for (const Bond* b : kept) {
      Bond* bond = const_cast<Bond*>(b);
      bond->order = listed_.at(b);
      for (Atom* end : {bond->atom1, bond->atom2}) {
        Site& s = at(index_.at(end));
        s.settled = true;
        s.room = 0;
      }
    }
    // A listed nitrogen with four bonds is a cation, and a terminal oxygen singly bonded to it
    // the anion of its nitro group or N-oxide.
    for (Site& s : sites_) {
      if (!s.settled || s.atom->charge != 0 || s.atom->element != "N" ||
          bondValenceSum(s.atom) != 4)
        continue;
      s.atom->charge = 1;
      for (size_t k = 0; k < s.partners.size(); ++k) {
        Site& o = at(s.partners[k]);
        if (s.bonds[k]->order != 1 || !isTerminalOf(sites_, s.partners[k], "O") ||
            o.atom->charge != 0)
          continue;
        o.atom->charge = -1;
        o.settled = true;
        o.room = 0;
      }
    }
  }

  void markFlatRings() {
    m_.findAllSmallestRings();
    for (const Ring* ring : m_.rings) {
      if (ring == nullptr || ring->atomIds.size() < 5 || ring->atomIds.size() > 7) continue;
      std::vector<const Atom*> atoms;
      for (int id : ring->atomIds)
        if (id >= 0 && static_cast<size_t>(id) < m_.atoms.size()) atoms.push_back(m_.atoms[id]);
      if (atoms.size() != ring->atomIds.size() || ringPucker(atoms) > kFlatRingAngstrom) continue;
      // Flat is not enough: the tetrahydrofuran of amprenavir in 1hpv lies flat in the crystal
      // with every ring bond a long single one.
      float score = 0.0f;
      std::vector<const Bond*> bonds;
      for (size_t k = 0; k < atoms.size(); ++k) {
        const Bond* b = bondBetween(atoms[k], atoms[(k + 1) % atoms.size()]);
        score += b != nullptr ? lengthScore(b) : -kLengthScoreLimit;
        bonds.push_back(b);
      }
      score /= static_cast<float>(atoms.size());
      if (score < kLeastConjugatedRingScore) continue;
      if (score >= kLeastAromaticRingScore) aromaticRingBonds_.insert(bonds.begin(), bonds.end());
      for (const Atom* a : atoms) {
        const auto found = index_.find(a);
        if (found == index_.end()) continue;
        Site& s = at(found->second);
        s.flatRing = true;
        if (atoms.size() == 6) s.flatSixRing = true;
      }
    }
  }

  Site& at(int k) { return sites_[static_cast<size_t>(k)]; }
  const Site& at(int k) const { return sites_[static_cast<size_t>(k)]; }

  // The slots of the site's bonds, shortest first.
  void sortByLength(const Site& s, std::vector<size_t>& slots) {
    std::sort(slots.begin(), slots.end(), [&](size_t x, size_t y) {
      return atomDistance(s.atom, at(s.partners[x]).atom) <
             atomDistance(s.atom, at(s.partners[y]).atom);
    });
  }

  // Distance of a three-bonded site from the plane of its partners.
  float centreHeight(const Site& s) {
    return heightAbovePlane(s.atom, at(s.partners[0]).atom, at(s.partners[1]).atom,
                            at(s.partners[2]).atom);
  }

  // Terminal oxygens (and sulfurs) of a sulfonyl, sulfinyl or phosphoryl centre, shortest first.
  std::vector<size_t> terminalChalcogens(const Site& s) {
    std::vector<size_t> slots;
    for (size_t k = 0; k < s.partners.size(); ++k)
      if (isTerminalOf(sites_, s.partners[k], "O") ||
          ((s.atom->element == "P" || s.atom->element == "As") &&
           isTerminalOf(sites_, s.partners[k], "S")))
        slots.push_back(k);
    sortByLength(s, slots);
    return slots;
  }

  // Groups whose orders the valence rules alone settle: S(=O)(=O), S=O, P=O, P=S,
  // N(+)(=O)O(-) and N(+)O(-), and their selenium and arsenic twins. Their atoms are marked and
  // take no further multiple bond (an N-oxide's ring nitrogen keeps room for one). A phosphorus
  // with four neighbours and no terminal O or S keeps room for the P=C of an ylide or the P=N of
  // an iminophosphorane. Atoms whose listed orders were kept are settled already.
  void setGroups() {
    for (size_t i = 0; i < sites_.size(); ++i) {
      Site& s = sites_[i];
      if (s.settled) continue;
      const std::string& e = s.atom->element;
      const bool chalcogen = e == "S" || e == "Se";
      const bool pnictogen = e == "P" || e == "As";
      const size_t degree = s.partners.size() + static_cast<size_t>(s.hydrogens);
      if ((chalcogen && (degree == 4 || degree == 3)) || (pnictogen && degree == 4)) {
        const std::vector<size_t> ends = terminalChalcogens(s);
        if (pnictogen && ends.empty()) {
          s.room = 1;
          s.want = kYlideWant;
          s.support = true;
          s.onium = true;
          continue;
        }
        const size_t doubles = chalcogen ? degree - 2 : 1;
        for (size_t k = 0; k < ends.size() && k < doubles; ++k) {
          s.bonds[ends[k]]->order = 2;
          at(s.partners[ends[k]]).settled = true;
        }
        s.settled = true;
      } else if (e == "N" && s.partners.size() == 3 && s.hydrogens == 0) {
        std::vector<size_t> oxygens;
        for (size_t k = 0; k < 3; ++k)
          if (isTerminalOf(sites_, s.partners[k], "O")) oxygens.push_back(k);
        // One oxygen: an N-oxide only when the bond is short (N-OH of a hydroxamic imide is not).
        if (oxygens.empty() ||
            (oxygens.size() == 1 &&
             atomDistance(s.atom, at(s.partners[oxygens[0]]).atom) >= kLongestNOxideAngstrom))
          continue;
        sortByLength(s, oxygens);
        // An oxygen the file gives as the anion keeps the single bond.
        std::stable_partition(oxygens.begin(), oxygens.end(), [&](size_t k) {
          return at(s.partners[k]).atom->charge >= 0;
        });
        s.atom->charge = 1;
        s.settled = true;
        Site& last = at(s.partners[oxygens.back()]);
        last.atom->charge = -1;
        last.settled = true;
        if (oxygens.size() >= 2) {
          s.bonds[oxygens.front()]->order = 2;
          at(s.partners[oxygens.front()]).settled = true;
        } else if (centreHeight(s) < kFlatCentreAngstrom) {
          // A flat N-oxide (pyridine N-oxide, an azoxy group) has a double bond besides; an
          // amine oxide, pyramidal, none.
          s.settled = false;
          s.room = 1;
          s.want = kMustWant;
          s.support = true;
          s.known = true;
        }
      }
    }
  }

  void fromHydrogens(Site& s) {
    if (s.settled) return;
    const int valence = standardValence(s.atom->element);
    const int open = valence - static_cast<int>(s.partners.size()) - s.hydrogens;
    // A full nitrogen or oxygen takes a double bond only where a neighbour has no other partner
    // for its own (pyridinium, pyrylium, an iminium) and is then a cation.
    if (open == 0 && s.partners.size() >= 2 && s.atom->charge == 0 &&
        (s.atom->element == "N" || s.atom->element == "O")) {
      s.room = 1;
      s.want = kRingCationWant;
      return;
    }
    if (valence == 0 || open <= 0) return;
    s.room = std::min(open, 2);
    s.want = kKnownWant;
    s.support = true;
  }

  void fromGeometry(Site& s) {
    const std::string& e = s.atom->element;
    const size_t degree = s.partners.size();
    if (standardValence(e) == 0) return;
    if (degree == 1) {
      const Site& other = at(s.partners[0]);
      s.room = e == "O" || e == "S" || e == "Se" ? 1 : (linear(other) ? 2 : 1);
      s.want = e == "O" ? (phenolic(other) ? kRingOxygenWant : kTerminalOxygenWant)
               : e == "C" ? kTerminalCarbonWant
               : e == "N" ? kTerminalNitrogenWant
                          : kTerminalSulfurWant;
      return;
    }
    if (degree == 2) {
      if (e != "C" && e != "N") return;   // ether oxygen, thiophene sulfur: no multiple bond
      const float angle = partnerAngle(s);
      if (linear(s)) {
        s.room = 2;
        s.support = true;
        return;
      }
      s.room = 1;
      if (s.flatRing) {
        // A carbon only in flat five-rings: short bonds or a wide angle make it aromatic.
        const float lean = (angle - kFiveRingSp3AngleDeg) / kFiveRingAngleSpanDeg;
        const float lengths = (s.scores[0] + s.scores[1]) / 2.0f;
        const bool aromatic = s.flatSixRing || lengths >= kLeastConjugatedScore ||
                              (lean >= 1.0f && lengths >= kLeastLeaningScore);
        s.want = e != "C" ? kRingNitrogenWant
                 : aromatic ? kFlatRingWant
                            : std::max(-kLeaningLimit, std::min(kLeaningLimit, lean));
        s.support = true;
      } else {
        const float lean = (angle - kTrigonalAngleDeg) / kAngleSpanDeg;
        s.want = e == "C" ? std::max(-kLeaningLimit, std::min(kLeaningLimit, lean))
                          : kChainNitrogenWant;
      }
      return;
    }
    // A flat three-bonded nitrogen takes a double bond only where a neighbour has no other
    // partner for its own (N-methylpyridinium, the iminium of a dye) and is then a cation; a
    // pyrrole, amide or aniline nitrogen takes none.
    if (degree == 3 && e == "N" && s.hydrogens == 0 &&
        (s.flatRing || centreHeight(s) < kFlatCentreAngstrom)) {
      s.room = 1;
      s.want = kRingCationWant;
      return;
    }
    if (degree == 3 && e == "C") {
      const float h = centreHeight(s);
      if (h < kFlatCentreAngstrom) {
        s.room = 1;
        s.want = kMustWant;
        s.support = true;
      } else if (h < kPyramidalCentreAngstrom) {
        s.room = 1;   // between flat and pyramidal: the bond lengths decide
      }
    }
  }

  // Some dihedral across the bond a-b, between heavy neighbours, is far from planar. An end with
  // four neighbours holds them tetrahedrally about the bond whatever its order (the P of an
  // ylide's P=C or an iminophosphorane's P=N): no dihedral there says anything.
  bool twisted(const Site& a, const Site& b) const {
    if (a.partners.size() + static_cast<size_t>(a.hydrogens) >= 4 ||
        b.partners.size() + static_cast<size_t>(b.hydrogens) >= 4)
      return false;
    for (int x : a.partners) {
      const Atom* ax = sites_[static_cast<size_t>(x)].atom;
      // Beside a linear atom the dihedral has no meaning (a nitrile on a ring).
      if (ax == b.atom || angleDeg(a.atom, ax, b.atom) > kLinearDeg) continue;
      for (int y : b.partners) {
        const Atom* by = sites_[static_cast<size_t>(y)].atom;
        if (by == a.atom || by == ax || angleDeg(b.atom, a.atom, by) > kLinearDeg) continue;
        const float phi = std::fabs(dihedralDeg(ax, a.atom, b.atom, by));
        if (std::min(phi, 180.0f - phi) > kMostTwistDeg) return true;
      }
    }
    return false;
  }

  // A carbon of a flat carbocycle: an oxygen on it is rather a phenol than a quinone (a ring
  // nitrogen beside it makes a lactam more likely).
  bool phenolic(const Site& c) const {
    if (!c.flatSixRing || c.partners.size() != 3) return false;
    for (int k : c.partners) {
      const Site& n = sites_[static_cast<size_t>(k)];
      if (n.flatRing && n.atom->element != "C") return false;
    }
    return true;
  }

  // The angle at a two-bonded site.
  float partnerAngle(const Site& s) const {
    return angleDeg(s.atom, sites_[static_cast<size_t>(s.partners[0])].atom,
                    sites_[static_cast<size_t>(s.partners[1])].atom);
  }

  bool linear(const Site& s) const {
    return s.partners.size() == 2 &&
           straightAt(s.atom, at(s.partners[0]).atom, at(s.partners[1]).atom);
  }

  // Orders a partner of a straight centre may still take. A terminal partner of a straight
  // nitrogen fills its valence beyond that bond, up to a triple bond; as the anion the file may
  // give (otherwise left with single bonds) one fewer, but for the carbon of an isonitrile,
  // whose three bonds are a carbanion's.
  int roomBeside(const Site& centre, const Site& o) const {
    if (centre.atom->element != "N" || o.partners.size() != 1 || o.hydrogens != 0 || o.settled)
      return o.room;
    const int most = std::min(2, standardValence(o.atom->element) - 1);
    const int charge = std::min(0, o.atom->charge);
    return std::max(0, o.atom->element == "C" ? most : most + charge);
  }

  // A straight two-bonded carbon with room for two orders, or a straight nitrogen without
  // hydrogens (with four bonds a cation): the centre of a triple and a single bond or of two
  // cumulated double bonds.
  bool straightCentre(const Site& s) const {
    if (s.partners.size() != 2 || s.settled) return false;
    if (s.atom->element == "C") return s.room == 2;
    return s.atom->element == "N" && s.hydrogens == 0 && s.room >= 1 && s.atom->charge >= 0 &&
           linear(s);
  }

  // The triple bond a centre may take: to a partner with room for two more orders, where the
  // bond is short enough, or terminal and so without another way to fill them (a nitrile N
  // whose noisy bond reads as long as a double one is still a nitrile). The shortest such bond,
  // or none (the centre's partner count).
  size_t tripleSlot(const Site& s) const {
    size_t best = s.partners.size();
    for (size_t k = 0; k < s.partners.size(); ++k) {
      const Site& o = at(s.partners[k]);
      if (roomBeside(s, o) != 2 || (o.atom->element != "C" && o.atom->element != "N")) continue;
      const TypicalLengths t = typicalLengths(s.atom->element, o.atom->element);
      const float triple = t.twofold - (t.single - t.twofold);
      const bool onlyWay = o.partners.size() == 1;
      if (!onlyWay &&
          atomDistance(s.atom, o.atom) > triple + kTripleSlackAngstrom + (t.twofold - triple) / 2)
        continue;
      if (best == s.partners.size() ||
          atomDistance(s.atom, o.atom) < atomDistance(s.atom, at(s.partners[best]).atom))
        best = k;
    }
    return best;
  }

  // A straight centre's two bonds read as triple and single or as cumulated double bonds: the
  // form whose lengths lie closer to the bonds' own (1,2-butadiene's 1.30 and 1.30 A against
  // 1-butyne's 1.20 and 1.46), the commoner one by a margin. A nitrile's terminal N and an
  // isonitrile's terminal C have no other form.
  bool cumulatedFitsBetter(const Site& s, size_t triple) const {
    const Site& o = at(s.partners[triple]);
    if (o.partners.size() == 1 && o.atom->element != s.atom->element) return false;
    const float f = orderFraction(s.atom, o.atom);
    const float other = orderFraction(s.atom, at(s.partners[1 - triple]).atom);
    const float asTriple = (f - kTripleFraction) * (f - kTripleFraction) + other * other;
    const float asCumulated = (f - kCumulatedFraction) * (f - kCumulatedFraction) +
                              (other - kCumulatedFraction) * (other - kCumulatedFraction);
    const float margin =
        s.atom->element == "C" ? kCarbonCumulatedMargin : kNitrogenCumulatedMargin;
    return asCumulated + margin < asTriple;
  }

  // Orders at a straight centre, and the charges of a straight nitrogen: a cation with four
  // bonds, and a terminal partner it leaves short of its valence the anion ([N-]=[N+]=N,
  // [C-]#[N+]). A centre that finds neither form keeps room for one double bond.
  void setStraightCentre(Site& s) {
    const size_t triple = tripleSlot(s);
    const bool cumulated = roomBeside(s, at(s.partners[0])) >= 1 &&
                           roomBeside(s, at(s.partners[1])) >= 1 &&
                           (triple == s.partners.size() || cumulatedFitsBetter(s, triple));
    if (!cumulated && triple == s.partners.size()) {
      s.room = 1;
      return;
    }
    for (size_t k = 0; k < 2; ++k) {
      const int order = cumulated ? 2 : k == triple ? 3 : 1;
      s.bonds[k]->order = order;
      Site& o = at(s.partners[k]);
      o.room = std::max(0, o.room - (order - 1));
    }
    s.room = 0;
    if (s.atom->element != "N") return;
    s.settled = true;
    if (s.atom->charge == 0) s.atom->charge = 1;
    for (size_t k = 0; k < 2; ++k) {
      Site& o = at(s.partners[k]);
      if (o.partners.size() != 1 || o.hydrogens != 0 || s.bonds[k]->order == 1) continue;
      o.room = 0;
      o.settled = true;
      if (o.atom->charge == 0 && bondValenceSum(o.atom) < standardValence(o.atom->element))
        o.atom->charge = -1;
    }
  }

  // Straight centres first, as their two lengths fit (an alkyne, a nitrile, an isonitrile or a
  // diazonium; an allene, a ketene, N=C=S, an azide or a diazo group); then a terminal carbon
  // with room for two orders takes the triple bond to its partner where it can.
  void setTripleAndCumulatedBonds() {
    for (Site& s : sites_)
      if (straightCentre(s)) setStraightCentre(s);
    for (Site& s : sites_) {
      if (s.room != 2 || s.atom->element != "C") continue;
      const size_t best = tripleSlot(s);
      if (best < s.partners.size()) {
        s.bonds[best]->order = 3;
        at(s.partners[best]).room = 0;
        s.room = 0;
      } else {
        s.room = 1;
      }
    }
    for (Site& s : sites_) s.room = std::min(s.room, 1);
  }

  // What the length of a bond decides of its order, whatever the angles at its ends and the
  // usual forms of its atoms (norbornene's C=C at 107 degrees, an azo N=N, the N-N of a cyclic
  // hydrazide beside two carbonyls): single or multiple where it is well inside that range.
  // Where the file gives the hydrogens of either atom, these decide; where an atom firmly wants
  // a double bond (a flat three-bonded carbon, an aromatic ring atom) or an aromatic ring holds
  // the bond, the length is weighed with the rest.
  LengthSays lengthDecides(const Site& a, const Site& b, const Bond* bond) const {
    if (a.known || b.known || a.want >= kMustWant || b.want >= kMustWant ||
        aromaticRingBonds_.count(bond) != 0)
      return LengthSays::nothing;
    return lengthSays(a.atom, b.atom);
  }

  static float withLength(float gain, float score, LengthSays says) {
    if (says == LengthSays::multiple) return std::max(gain, score);
    if (says == LengthSays::single) return std::min(gain, 0.0f);
    return gain;
  }

  // The best set of double bonds, no atom in two: each double bond gains its length score and
  // the wants of both its atoms. Exact by branch and bound over each connected part.
  void chooseDoubleBonds() {
    const size_t n = sites_.size();
    gain_.assign(n, std::vector<float>());
    for (size_t i = 0; i < n; ++i) gain_[i].assign(sites_[i].partners.size(), 0.0f);
    // A bond is judged from its first site and its gain given to both ends, each adding its own
    // want first.
    for (size_t i = 0; i < n; ++i) {
      const Site& s = sites_[i];
      for (size_t k = 0; k < s.partners.size(); ++k) {
        const size_t j = static_cast<size_t>(s.partners[k]);
        const Site& o = sites_[j];
        if (j < i || s.room < 1 || o.room < 1 || s.bonds[k]->order != 1 || twisted(s, o)) continue;
        const LengthSays says = lengthDecides(s, o, s.bonds[k]);
        gain_[i][k] = withLength(s.scores[k] + s.want + o.want, s.scores[k], says);
        const size_t back = slotOf(o, s.bonds[k]);
        if (back < o.bonds.size())
          gain_[j][back] = withLength(o.scores[back] + o.want + s.want, o.scores[back], says);
      }
    }
    // The bonds each site tries in the search, best gain first; equal gains keep their order.
    choices_.assign(n, std::vector<size_t>());
    for (size_t i = 0; i < n; ++i) {
      for (size_t k = 0; k < gain_[i].size(); ++k)
        if (gain_[i][k] > 0.0f) choices_[i].push_back(k);
      std::stable_sort(choices_[i].begin(), choices_[i].end(),
                       [&](size_t x, size_t y) { return gain_[i][x] > gain_[i][y]; });
    }
    mate_.assign(n, -1);
    best_.assign(n, -1);
    top_.assign(n, 0.0f);
    trial_.assign(n, -1);   // the search leaves it so
    std::vector<bool> seen(n, false);
    for (size_t start = 0; start < n; ++start) {
      if (seen[start] || sites_[start].room < 1) continue;
      // The connected part, in breadth-first order: neighbours are decided close together.
      std::vector<int> part{static_cast<int>(start)};
      seen[start] = true;
      for (size_t q = 0; q < part.size(); ++q) {
        const Site& s = at(part[q]);
        for (size_t k = 0; k < s.partners.size(); ++k)
          if (gain_[static_cast<size_t>(part[q])][k] > 0.0f &&
              !seen[static_cast<size_t>(s.partners[k])]) {
            seen[static_cast<size_t>(s.partners[k])] = true;
            part.push_back(s.partners[k]);
          }
      }
      part_ = part;
      // A part reads the entries of its atoms and of their partners (outside it only where
      // rounding gives a bond a gain at one end alone): those start afresh.
      for (int k : part_) {
        clearEntry(static_cast<size_t>(k));
        for (int j : at(k).partners) clearEntry(static_cast<size_t>(j));
      }
      greedyStart();
      float remaining = 0.0f;
      for (int k : part_) {
        const size_t i = static_cast<size_t>(k);
        for (float g : gain_[i]) top_[i] = std::max(top_[i], g / 2.0f);
        remaining += top_[i];
      }
      steps_ = 0;
      // The search goes one level deeper per atom: a part past any ligand's size (a residue of
      // thousands of packed atoms) keeps the first answer.
      if (part_.size() <= kLargestSearchedPart) search(0, 0.0f, remaining);
      if (steps_ > kMostSearchSteps || part_.size() > kLargestSearchedPart)
        guesses_.searchCut = true;
      for (int k : part_) mate_[static_cast<size_t>(k)] = best_[static_cast<size_t>(k)];
    }
    for (size_t i = 0; i < n; ++i)
      for (size_t k = 0; k < sites_[i].partners.size(); ++k)
        if (mate_[i] == sites_[i].partners[k]) sites_[i].bonds[k]->order = 2;
  }

  void clearEntry(size_t i) {
    best_[i] = -1;
    top_[i] = 0.0f;
  }

  // A first answer: the best bonds first, each where both atoms are still free.
  void greedyStart() {
    bestScore_ = 0.0f;
    std::vector<std::pair<float, std::pair<int, int> > > edges;
    for (int k : part_) {
      const Site& s = at(k);
      for (size_t e = 0; e < s.partners.size(); ++e)
        if (gain_[static_cast<size_t>(k)][e] > 0.0f && k < s.partners[e])
          edges.push_back({gain_[static_cast<size_t>(k)][e], {k, s.partners[e]}});
    }
    std::sort(edges.begin(), edges.end(),
              [](const std::pair<float, std::pair<int, int> >& x,
                 const std::pair<float, std::pair<int, int> >& y) { return x.first > y.first; });
    for (const auto& e : edges) {
      const size_t i = static_cast<size_t>(e.second.first), j = static_cast<size_t>(e.second.second);
      if (best_[i] != -1 || best_[j] != -1) continue;
      best_[i] = static_cast<int>(j);
      best_[j] = static_cast<int>(i);
      bestScore_ += e.first;
    }
  }

  // Branch and bound: remaining is half the best gain of every atom not yet decided, an upper
  // bound on what they can still add.
  void search(size_t from, float score, float remaining) {
    if (++steps_ > kMostSearchSteps) return;
    while (from < part_.size() && trial_[static_cast<size_t>(part_[from])] != -1) ++from;
    if (from == part_.size()) {
      if (score > bestScore_) {
        bestScore_ = score;
        for (int k : part_) best_[static_cast<size_t>(k)] = trial_[static_cast<size_t>(k)];
      }
      return;
    }
    if (score + remaining <= bestScore_) return;
    const size_t i = static_cast<size_t>(part_[from]);
    for (size_t k : choices_[i]) {
      const size_t j = static_cast<size_t>(sites_[i].partners[k]);
      if (trial_[j] != -1) continue;
      trial_[i] = static_cast<int>(j);
      trial_[j] = static_cast<int>(i);
      search(from + 1, score + gain_[i][k], remaining - top_[i] - top_[j]);
      trial_[i] = -1;
      trial_[j] = -1;
    }
    trial_[i] = -2;   // left without a double bond
    search(from + 1, score, remaining - top_[i]);
    trial_[i] = -1;
  }

  // Bonds whose length decided their order and that ended with another: what overruled the
  // length (an atom held pyramidal, a neighbour's double bond) may be wrong.
  void sayLengthsOverruled() {
    for (size_t i = 0; i < sites_.size(); ++i) {
      const Site& s = sites_[i];
      for (size_t k = 0; k < s.partners.size(); ++k) {
        const Site& o = at(s.partners[k]);
        if (s.partners[k] < static_cast<int>(i) || s.settled || o.settled) continue;
        const LengthSays says = lengthDecides(s, o, s.bonds[k]);
        const int order = s.bonds[k]->order;
        if (says == LengthSays::multiple && order == 1)
          guesses_.againstLength.push_back(bondText(s, o, "-") +
                                           " read as single though as short as a double bond");
        else if (says == LengthSays::single && order >= 2)
          guesses_.againstLength.push_back(bondText(s, o, order == 2 ? "=" : "#") +
                                           " read as multiple though as long as a single bond");
      }
    }
  }

  void finish() {
    for (size_t i = 0; i < sites_.size(); ++i) {
      Site& s = sites_[i];
      const size_t bonded = s.partners.size() + static_cast<size_t>(s.hydrogens);
      if (mate_[i] >= 0 && s.atom->charge == 0 &&
          ((s.atom->element == "N" && bonded == 3) || (s.atom->element == "O" && bonded == 2)))
        s.atom->charge = 1;
      // Four bonds and no double one: a phosphonium or arsonium cation.
      if (mate_[i] < 0 && s.onium && s.atom->charge == 0) s.atom->charge = 1;
      const int j = mate_[i];
      if (j > static_cast<int>(i) && !s.support && !at(j).support)
        guesses_.fromDistance.push_back(bondText(s, at(j), "="));
      if (s.room < 1 || mate_[i] >= 0 || s.want < kMustWant) continue;
      // Hydrogens given, a valence still open: an O, S or N is an anion (a carboxylate, a
      // tetrazolate); anything else is left as it is, and said.
      const std::string& e = s.atom->element;
      if (s.known && s.atom->charge == 0 && (e == "O" || e == "S" || e == "N")) {
        s.atom->charge = -1;
        continue;
      }
      guesses_.unfilled.push_back(s.atom->name);
    }
    sayLengthsOverruled();
    for (Site& s : sites_) {
      if (!s.known) continue;
      s.atom->hydrogensFixed = true;
      // Hydrogens given and fixed, yet a valence open that no order filled: said.
      const bool said = std::find(guesses_.unfilled.begin(), guesses_.unfilled.end(),
                                  s.atom->name) != guesses_.unfilled.end();
      if (!said && s.atom->charge == 0 && bondValenceSum(s.atom) < firstValence(s.atom->element))
        guesses_.shortAtoms.push_back(s.atom->name);
    }
  }

  Molecule& m_;
  const ListedOrders& listed_;
  bool carbonHydrogens_ = false;   // the file gives hydrogens on carbon
  std::vector<Site> sites_;
  std::map<const Atom*, int> index_;   // site of each heavy atom
  std::set<const Bond*> aromaticRingBonds_;   // bonds of flat rings aromatic as a whole
  std::vector<std::vector<float> > gain_;
  std::vector<std::vector<size_t> > choices_;   // slots with a gain, best first
  std::vector<float> top_;
  std::vector<int> mate_, best_, trial_, part_;
  float bestScore_ = 0.0f;
  long steps_ = 0;
  LigandOrderGuesses guesses_;
};

}  // namespace

namespace {

// The entries joined by the separator: "C1 C2".
std::string joined(const std::vector<std::string>& entries, const char* separator) {
  std::string text;
  for (const std::string& e : entries) text += (text.empty() ? "" : separator) + e;
  return text;
}

}  // namespace

std::string LigandOrderGuesses::describe() const {
  std::vector<std::string> orders;
  for (const std::string& b : fromDistance)
    orders.push_back(b + " taken as double from its short distance");
  if (!unfilled.empty()) orders.push_back("no double bond found for " + joined(unfilled, " "));
  orders.insert(orders.end(), againstLength.begin(), againstLength.end());
  if (searchCut) orders.push_back("order search cut short in a large conjugated part");
  std::vector<std::string> parts;
  if (!orders.empty()) parts.push_back("bond orders guessed: " + joined(orders, "; "));
  if (!shortAtoms.empty())
    parts.push_back("hydrogens given, valence left open at " + joined(shortAtoms, " "));
  if (!pieces.empty()) parts.push_back("in pieces no bond joins: " + joined(pieces, ", "));
  return joined(parts, "; ");
}

LigandOrderGuesses perceiveLigandBondOrders(Molecule& residue, const ListedOrders& listed) {
  return OrderPerception(residue, listed).run();
}

std::vector<std::string> unexplainedPieces(const Molecule& residue) {
  const std::vector<Atom*>& atoms = residue.atoms;
  std::map<const Atom*, size_t> index;
  for (size_t i = 0; i < atoms.size(); ++i) index[atoms[i]] = i;
  // Pieces by walking the bonds.
  std::vector<int> piece(atoms.size(), -1);
  int count = 0;
  for (size_t start = 0; start < atoms.size(); ++start) {
    if (piece[start] != -1) continue;
    std::vector<size_t> stack{start};
    piece[start] = count;
    while (!stack.empty()) {
      const Atom* a = atoms[stack.back()];
      stack.pop_back();
      for (Bond* b : a->bonds) {
        const auto found = index.find(a->getAdjacentAtom(b));
        if (found == index.end() || piece[found->second] != -1) continue;
        piece[found->second] = count;
        stack.push_back(found->second);
      }
    }
    ++count;
  }
  std::vector<std::string> out;
  if (count < 2) return out;
  // For each two pieces, their closest two atoms within reach of a bond.
  std::vector<SSEVector4f> places;
  for (const Atom* a : atoms) places.push_back(a->position);
  float widest = 0.0f;
  for (const Atom* a : atoms)
    widest = std::max(widest, static_cast<float>(covalentRadius(a->element, 1)));
  const CellGrid grid(places, 2.0 * widest + kPieceReachAngstrom);
  std::map<std::pair<int, int>, std::pair<float, std::pair<size_t, size_t> > > closest;
  for (size_t i = 0; i < atoms.size(); ++i)
    grid.forEachCandidate(i, [&](size_t j) {
      if (j <= i || piece[i] == piece[j]) return;
      const double bond = radiusBondLength(atoms[i]->element, atoms[j]->element, 1);
      const float d = atomDistance(atoms[i], atoms[j]);
      if (bond <= 0.0 || d >= static_cast<float>(bond) + kPieceReachAngstrom) return;
      const std::pair<int, int> key(std::min(piece[i], piece[j]), std::max(piece[i], piece[j]));
      const auto found = closest.find(key);
      if (found == closest.end() || d < found->second.first) closest[key] = {d, {i, j}};
    });
  for (const auto& entry : closest) {
    if (out.size() == kPiecesListed) break;
    char length[32];
    std::snprintf(length, sizeof length, "%.2f", static_cast<double>(entry.second.first));
    out.push_back(atoms[entry.second.second.first]->name + " and " +
                  atoms[entry.second.second.second]->name + " " + length + " A apart");
  }
  return out;
}
