// Bonds of PDB residues: from the library group named like the residue, then by the distance
// windows of the bond-order table; links between consecutive residues of a chain; and the
// general bond-order correction for residues without a template.

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "io/ElementValence.h"
#include "io/IOEngine.h"
#include "io/LigandBondOrders.h"
#include "io/MoleculeEngine.h"
#include "io/PDBParser.h"
#include "math/CellGrid.h"
#include "math/UtilityEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Builder.h"
#include "model/Molecule.h"
#include "model/Ring.h"
#include "parameters/CovalentRadii.h"
#include "parameters/InputParameters.h"
#include "parameters/ParameterRecords.h"

namespace {

const float kPeptideLinkAngstrom = 2.8f;   // C(k)-N(k+1) further apart: a chain break
const float kSameLengthAngstrom = 0.02f;   // bond lengths closer than this count as equal

// A pair of elements the bond-order table has no row for (a metal, boron beside silicon) is
// bonded up to this many times the sum of their single-bond covalent radii: the table's single
// windows reach about as far beyond their typical lengths (C-C 1.74 A for 1.54).
const float kRadiusReach = 1.15f;

// Which pairs of atoms a residue bonds by distance: the windows of the bond-order table, and the
// covalent radii for pairs it has no row for, so that every element with an atom type is bonded.
// Which rule holds is decided once per pair of the residue's elements.
class DistanceBonding {
 public:
  explicit DistanceBonding(const std::vector<Atom*>& atoms) : atoms_(atoms) {
    const std::vector<BondOrderParameters*>& rows =
        InputParameters::instance()->bondOrderParameters;
    for (const BondOrderParameters* row : rows) longest_ = std::max(longest_, row->maxDistance);
    for (const Atom* a : atoms) {
      const auto found = std::find(elements_.begin(), elements_.end(), a->element);
      kinds_.push_back(static_cast<size_t>(found - elements_.begin()));
      if (found == elements_.end()) elements_.push_back(a->element);
    }
    const size_t n = elements_.size();
    window_.assign(n * n, -1.0f);
    for (size_t x = 0; x < n; ++x)
      for (size_t y = 0; y < n; ++y) {
        std::string ex = elements_[x], ey = elements_[y];
        UtilityEngine::instance()->toUpper(ex);
        UtilityEngine::instance()->toUpper(ey);
        const bool row = std::any_of(rows.begin(), rows.end(), [&](const BondOrderParameters* r) {
          return (r->element1 == ex && r->element2 == ey) ||
                 (r->element1 == ey && r->element2 == ex);
        });
        if (row) continue;
        window_[x * n + y] =
            kRadiusReach * static_cast<float>(radiusBondLength(ex, ey, 1));
        longest_ = std::max(longest_, window_[x * n + y]);
      }
  }

  // Pairs further apart match nothing.
  float longest() const { return longest_; }

  // Atoms i and j of the residue, d apart.
  bool bonded(size_t i, size_t j, float d) const {
    const float window = window_[kinds_[i] * elements_.size() + kinds_[j]];
    if (window < 0.0f)
      return InputParameters::instance()->findConnectivity(atoms_[i]->element,
                                                           atoms_[j]->element, d);
    return d < window;
  }

 private:
  const std::vector<Atom*>& atoms_;
  std::vector<std::string> elements_;   // the residue's elements, as its atoms give them
  std::vector<size_t> kinds_;           // each atom's entry in elements_
  std::vector<float> window_;           // per pair of elements: radius window, -1 for a row
  float longest_ = 0.0f;
};

void setAllSingle(Atom* atom) {
  for (Bond* b : atom->bonds) b->order = 1;
}

// Typical length of a multiple bond between two elements, Angstrom: how far a guessed
// double or triple bond stretches beyond it tells which one to give up first.
float typicalLength(const Atom* a, const Atom* b, int order) {
  std::string x = a->element, y = b->element;
  if (y < x) std::swap(x, y);
  const std::string pair = x + "-" + y;
  if (order >= 3) return pair == "C-N" ? 1.16f : 1.20f;
  if (pair == "C-C") return 1.34f;
  if (pair == "C-N") return 1.28f;
  if (pair == "C-O") return 1.21f;
  if (pair == "C-S") return 1.61f;
  if (pair == "N-N") return 1.25f;
  if (pair == "N-O") return 1.22f;
  if (pair == "O-S") return 1.43f;
  if (pair == "O-P") return 1.48f;
  return 1.30f;
}

int bondValence(const Bond* b) { return b->order >= 1 && b->order <= 3 ? b->order : 1; }

int orderSum(const Atom* a) {
  int sum = 0;
  for (const Bond* b : a->bonds) sum += bondValence(b);
  return sum;
}

// The largest valence the atom may reach: its largest allowed valence, widened by a charge.
int valenceCap(const Atom* a) {
  int cap = -1;
  for (int v : a->allowedValences) cap = std::max(cap, v);
  if (cap <= 0) return 1000;   // no limit known
  return cap + (a->charge < 0 ? -a->charge : a->charge);
}

bool overValent(const Atom* a) { return orderSum(a) > valenceCap(a); }

// Six-rings of carbons and nitrogens with no bond as long as a single C-C bond and at least
// half of them guessed multiple: aromatic rings (crystal geometry stretches some ring bonds past
// the double-bond window), to be given one alternating pattern.
const float kLongestAromaticBond = 1.48f;
const int kMinMultipleInRing = 3;

std::vector<std::vector<Bond*> > aromaticSixRings(Molecule* m) {
  std::vector<std::vector<Bond*> > found;
  for (const Ring* ring : m->rings) {
    if (ring == nullptr || ring->atomIds.size() != 6) continue;
    std::vector<Atom*> ringAtoms;
    for (int id : ring->atomIds)
      if (id >= 0 && static_cast<size_t>(id) < m->atoms.size()) ringAtoms.push_back(m->atoms[id]);
    if (ringAtoms.size() != 6) continue;
    std::vector<Bond*> ringBonds;
    int multiple = 0;
    for (size_t k = 0; k < 6; ++k) {
      Atom* a = ringAtoms[k];
      Atom* b = ringAtoms[(k + 1) % 6];
      if (a->element != "C" && a->element != "N") break;
      Bond* joint = nullptr;
      for (Bond* bond : a->bonds)
        if (a->getAdjacentAtom(bond) == b) joint = bond;
      if (joint == nullptr || atomDistance(a, b) > kLongestAromaticBond) break;
      if (joint->order >= 2) ++multiple;
      ringBonds.push_back(joint);
    }
    if (ringBonds.size() == 6 && multiple >= kMinMultipleInRing) found.push_back(ringBonds);
  }
  return found;
}

// Gives every atom of the ring bonds at most one double bond among them, all atoms that have
// room for it one: the alternating pattern of an aromatic system (fused rings too). Bonds are
// tried shortest first; the search is bounded and leaves all single when it finds none.
class KekuleSearch {
 public:
  explicit KekuleSearch(const std::vector<Bond*>& bonds) : bonds_(bonds) {
    std::sort(bonds_.begin(), bonds_.end(), [](const Bond* x, const Bond* y) {
      return atomDistance(x->atom1, x->atom2) < atomDistance(y->atom1, y->atom2);
    });
    for (Bond* b : bonds_) {
      b->order = 1;
      atoms_.insert(b->atom1);
      atoms_.insert(b->atom2);
    }
  }
  bool run() {
    for (Atom* a : atoms_)
      if (orderSum(a) < valenceCap(a)) open_.insert(a);
    return match();
  }

 private:
  bool match() {
    if (++steps_ > kMaxSteps) return false;
    // The open atom with the fewest choices goes first.
    Atom* next = nullptr;
    std::vector<Bond*> choices;
    for (Atom* a : open_) {
      std::vector<Bond*> mine;
      for (Bond* b : bonds_)
        if ((b->atom1 == a || b->atom2 == a) && open_.count(a->getAdjacentAtom(b)) != 0)
          mine.push_back(b);
      if (next == nullptr || mine.size() < choices.size()) {
        next = a;
        choices = mine;
      }
    }
    if (next == nullptr) return true;
    for (Bond* b : choices) {
      Atom* other = next->getAdjacentAtom(b);
      b->order = 2;
      open_.erase(next);
      open_.erase(other);
      if (match()) return true;
      b->order = 1;
      open_.insert(next);
      open_.insert(other);
    }
    return false;
  }

  static const int kMaxSteps = 20000;
  std::vector<Bond*> bonds_;
  std::set<Atom*> atoms_;
  std::set<Atom*> open_;
  int steps_ = 0;
};

// A nitrogen with three neighbours, two of them terminal oxygens guessed double, is a nitro
// group: the longer N=O becomes single, its oxygen carries -1 and the nitrogen +1.
void chargeNitroGroups(Molecule* m) {
  for (Atom* n : m->atoms) {
    if (n->element != "N" || n->charge != 0 || n->bonds.size() != 3) continue;
    std::vector<Bond*> toOxygen;
    for (Bond* b : n->bonds) {
      Atom* o = n->getAdjacentAtom(b);
      if (o != nullptr && o->element == "O" && o->bonds.size() == 1 && o->charge == 0 &&
          b->order == 2)
        toOxygen.push_back(b);
    }
    if (toOxygen.size() != 2) continue;
    Bond* longer = atomDistance(toOxygen[0]->atom1, toOxygen[0]->atom2) >
                           atomDistance(toOxygen[1]->atom1, toOxygen[1]->atom2)
                       ? toOxygen[0]
                       : toOxygen[1];
    longer->order = 1;
    n->charge = 1;
    n->getAdjacentAtom(longer)->charge = -1;
  }
}

}  // namespace

// Repairs the distance-guessed orders of a ligand so that no atom exceeds its largest valence.
// Aromatic six-rings found in the guess get one alternating pattern (their exocyclic C=C and
// C=N give way); then, while an atom is over-filled, its multiple bond that is longest beyond
// the typical length for its elements loses one order, preferring bonds between two over-filled
// atoms and bonds outside the aromatic rings.
static void repairOverValentAtoms(Molecule* m, const std::vector<std::vector<Bond*> >& aromatic) {
  chargeNitroGroups(m);
  std::set<Bond*> ringBonds;
  for (const auto& ring : aromatic) ringBonds.insert(ring.begin(), ring.end());
  if (!ringBonds.empty()) {
    for (Bond* b : ringBonds)
      for (Atom* end : {b->atom1, b->atom2})
        for (Bond* exo : end->bonds) {
          if (ringBonds.count(exo) != 0 || exo->order < 2) continue;
          const std::string& other = end->getAdjacentAtom(exo)->element;
          if (other == "C" || other == "N") exo->order = 1;
        }
    KekuleSearch search(std::vector<Bond*>(ringBonds.begin(), ringBonds.end()));
    if (!search.run()) ringBonds.clear();   // no pattern: the rings are treated like chains
  }
  // Each round lowers one order, so the loop ends within the sum of all orders.
  for (size_t round = 0; round < 4 * m->bonds.size() + 1; ++round) {
    Bond* worst = nullptr;
    float worstScore = 0.0f;
    for (Atom* a : m->atoms) {
      if (!overValent(a)) continue;
      for (Bond* b : a->bonds) {
        if (b->order < 2 || b->order > 3) continue;
        Atom* other = a->getAdjacentAtom(b);
        if (other == nullptr) continue;
        float score = atomDistance(a, other) - typicalLength(a, other, b->order);
        if (overValent(other)) score += 1.0f;
        if (ringBonds.count(b) == 0) score += 10.0f;
        if (worst == nullptr || score > worstScore) {
          worst = b;
          worstScore = score;
        }
      }
    }
    if (worst == nullptr) break;
    --worst->order;
  }
}

const Atom* IOEngine::findConnectivityWithinResidue(Residue* residue,
                                                    LigandOrderGuesses* guesses) {
  if (residue == nullptr || residue->fragment == nullptr) return nullptr;
  Molecule* fragment = residue->fragment;
  std::vector<Atom*>& atoms = fragment->atoms;

  const bool aminoAcid = fragment->checkAminoAcidResidue();
  const bool nucleotide = !aminoAcid && fragment->checkBasePairs();
  // A standard residue takes only the template's connections: its own rules below decide the
  // orders from single bonds, and a template double bond beside them gave arginine's CZ two.
  const bool ordersFromRules = aminoAcid || nucleotide;
  const Molecule* group = MoleculeEngine::instance()->getFunctionalGroupByName(residue->name);
  if (group != nullptr) {
    for (const Bond* bond : group->bonds) {
      if (bond->atom1 == nullptr || bond->atom2 == nullptr) continue;
      Atom* first = nullptr;
      Atom* second = nullptr;
      for (Atom* atom : atoms) {
        if (atom->name == bond->atom1->name) first = atom;
        else if (atom->name == bond->atom2->name) second = atom;
        if (first != nullptr && second != nullptr) break;
      }
      if (first != nullptr && second != nullptr)
        fragment->addBond(first, second, ordersFromRules ? 1 : bond->order);
    }
  }

  // A ligand takes its orders from its own graph, hydrogens and geometry, starting from single
  // bonds: like a standard residue, it needs only the connections from the distances. Its listed
  // bonds are in the fragment already, carrying the orders their records name; the scan below
  // adds the bonds the records leave out.
  const bool ligand = group == nullptr && !aminoAcid && !nucleotide;
  ListedOrders listedOrders;
  for (const Bond* b : fragment->bonds)
    if (ligand && b->pdbFlag && b->order >= 2) listedOrders[b] = b->order;

  InputParameters* parameters = InputParameters::instance();
  const DistanceBonding bonding(atoms);
  const float longest = bonding.longest();
  std::vector<int> valences(atoms.size());
  for (size_t i = 0; i < atoms.size(); ++i)
    valences[i] = atoms[i]->element == "H" ? firstValence("H") : 0;
  // A hydrogen is full once its first valence is used.
  auto hydrogenFull = [&](size_t k) {
    return atoms[k]->element == "H" && valences[k] - atoms[k]->getValence() < 1;
  };
  auto crowded = [&](size_t k) { return atoms[k]->bonds.size() >= kMostDistanceBonds; };
  // Pairs further apart than the widest window match no row: only the atoms in the cells
  // around an atom are measured, in list order as a scan of all pairs would meet them.
  std::vector<SSEVector4f> places;
  places.reserve(atoms.size());
  for (const Atom* atom : atoms) places.push_back(atom->position);
  const CellGrid grid(places, longest);
  std::vector<size_t> partners;
  const Atom* firstCrowded = nullptr;
  for (size_t i = 0; i < atoms.size(); ++i) {
    if (hydrogenFull(i)) continue;
    partners.clear();
    grid.forEachCandidate(i, [&](size_t j) {
      if (j > i) partners.push_back(j);
    });
    std::sort(partners.begin(), partners.end());
    for (size_t j : partners) {
      if (hydrogenFull(j) || bondBetween(atoms[i], atoms[j]) != nullptr) continue;
      // A hydrogen filled by an earlier partner of this scan takes no further one.
      if (hydrogenFull(i)) break;
      const float d = atomDistance(atoms[i], atoms[j]);
      if (!(d < longest)) continue;
      if (crowded(i) || crowded(j)) {
        if (firstCrowded == nullptr) firstCrowded = crowded(i) ? atoms[i] : atoms[j];
        if (crowded(i)) break;
        continue;
      }
      int order = 0;
      if (ordersFromRules || ligand)
        order = bonding.bonded(i, j, d) ? 1 : 0;
      else
        order = parameters->findBondOrder(atoms[i]->element, atoms[j]->element, d);
      if (order > 0) fragment->addBond(atoms[i], atoms[j], order);
    }
  }

  // The standard residues get their orders from their own rules below, which start from
  // single bonds; the general correction would leave extra double bonds (C1'=O4', a second
  // C2=N1 in adenine, a second C=N at arginine's CZ) that those rules never take back.
  if (ligand) {
    const LigandOrderGuesses found = perceiveLigandBondOrders(*fragment, listedOrders);
    // A residue cut short by crowding is no molecule: its orders are not worth a word more.
    if (guesses != nullptr && firstCrowded == nullptr) {
      *guesses = found;
      guesses->pieces = unexplainedPieces(*fragment);
    }
    for (Atom* atom : atoms) atom->usedValence = atom->getValence();
  }
  if (aminoAcid)
    fragment->updateBondOrderForAminoAcid();
  else if (nucleotide)
    fragment->updateBondOrderForBasePairs();
  return firstCrowded;
}

void IOEngine::findCommectivityAmongstResidues(const std::vector<Residue*>& residues,
                                               std::vector<Bond*>& links) {
  for (size_t k = 0; k + 1 < residues.size(); ++k) {
    const Residue* here = residues[k];
    const Residue* next = residues[k + 1];
    if (here == nullptr || next == nullptr) continue;
    Atom* first = nullptr;
    Atom* second = nullptr;
    if (here->c != nullptr && next->n != nullptr) {
      // Atoms without coordinates cannot be checked; they are linked as the sequence says.
      if (here->c->isPlaced && next->n->isPlaced &&
          atomDistance(here->c, next->n) > kPeptideLinkAngstrom)
        continue;
      first = here->c;
      second = next->n;
    } else if (here->o3 != nullptr && next->p != nullptr) {
      first = here->o3;
      second = next->p;
    } else {
      continue;
    }
    Bond* link = Builder::instance()->createBond();
    link->atom1 = first;
    link->atom2 = second;
    link->order = 1;
    links.push_back(link);
  }
}

bool Molecule::checkAminoAcidResidue() {
  static const std::set<std::string> aminoAcids = {
      "ALA", "ARG", "ASN", "ASP", "CYS", "GLU", "GLN", "GLY", "HIS", "ILE",
      "LEU", "LYS", "MET", "PHE", "PRO", "SER", "THR", "TRP", "TYR", "VAL"};
  const std::string name = getName();
  return name.size() == 3 && aminoAcids.count(name) == 1;
}

bool Molecule::checkBasePairs() {
  static const std::set<std::string> nucleotides = {"DA", "DT", "DG", "DC", "A", "U", "G", "C"};
  const std::string name = getName();
  return name.size() < 3 && nucleotides.count(name) == 1;
}

void Molecule::autoBondOrderCorrection() {
  // Read before the per-atom rules below change the guessed orders.
  const std::vector<std::vector<Bond*> > aromatic = aromaticSixRings(this);
  for (Atom* atom : atoms) {
    if (atom->isAromatic)
      for (Bond* b : atom->bonds)
        if (!b->isAromatic && b->order >= 2) b->order = 1;

    const std::string& element = atom->element;
    if (element == "C") {
      int oxygens = 0, sulfurs = 0, nitrogens = 0;
      Bond* lastOxygen = nullptr;
      Bond* lastSulfur = nullptr;
      Bond* firstNitrogen = nullptr;
      for (Bond* b : atom->bonds) {
        const Atom* other = atom->getAdjacentAtom(b);
        if (other == nullptr) continue;
        if (other->element == "O") {
          ++oxygens;
          // The shortest C-O bond is the carbonyl; about equal lengths: the one met last.
          if (lastOxygen == nullptr ||
              atomDistance(atom, other) < atomDistance(atom, atom->getAdjacentAtom(lastOxygen)) +
                                          kSameLengthAngstrom)
            lastOxygen = b;
        } else if (other->element == "S") {
          ++sulfurs;
          lastSulfur = b;
        } else if (other->element == "N") {
          ++nitrogens;
          if (firstNitrogen == nullptr) firstNitrogen = b;
        }
      }
      Bond* candidate = lastOxygen != nullptr ? lastOxygen
                        : lastSulfur != nullptr ? lastSulfur
                                                : firstNitrogen;
      if (candidate != nullptr && oxygens + sulfurs + nitrogens >= 2) {
        setAllSingle(atom);
        candidate->order = 2;
      }
    } else if (element == "S") {
      std::vector<Bond*> toOxygen;
      for (Bond* b : atom->bonds) {
        const Atom* other = atom->getAdjacentAtom(b);
        if (other != nullptr && other->element == "O" && toOxygen.size() < 2)
          toOxygen.push_back(b);
      }
      if (atom->bonds.size() == 4 && toOxygen.size() == 2) {
        setAllSingle(atom);
        toOxygen[0]->order = 2;
        toOxygen[1]->order = 2;
      } else if (atom->bonds.size() == 3 && !toOxygen.empty()) {
        setAllSingle(atom);
        toOxygen[0]->order = 2;
      }
    } else if (element == "P") {
      Bond* toOxygen = nullptr;
      for (Bond* b : atom->bonds) {
        const Atom* other = atom->getAdjacentAtom(b);
        if (other != nullptr && other->element == "O") {
          toOxygen = b;
          break;
        }
      }
      if (atom->bonds.size() == 4 && toOxygen != nullptr) {
        setAllSingle(atom);
        toOxygen->order = 2;
      }
    } else if (element == "N") {
      std::vector<Bond*> toNitrogen;
      for (Bond* b : atom->bonds) {
        const Atom* other = atom->getAdjacentAtom(b);
        if (other != nullptr && other->element == "N") toNitrogen.push_back(b);
      }
      if (atom->bonds.size() == 3 && toNitrogen.size() >= 2) {
        setAllSingle(atom);
        toNitrogen[0]->order = 2;
        toNitrogen[1]->order = 2;
      }
    }
  }

  // Demoting every multiple bond between two over-filled atoms would turn a benzene ring into
  // cyclohexane and leave an aniline carbon at 6: the repair weighs the distances instead.
  repairOverValentAtoms(this, aromatic);
}

void Molecule::setValenceForAtoms() {
  for (Atom* atom : atoms) {
    if (atom->element.empty()) continue;
    int total = firstValence(atom->element);
    const int used = atom->getValence();
    if (total < used) {
      if (atom->element == "S") total += 4;
      else if (atom->element == "N") total += 1;
      else if (atom->element == "P") total += 2;
    }
    atom->totalValence = total;
    atom->usedValence = used;
  }
}

void Molecule::updateBondOrderNonAminoAcid(int /*unused*/) {
  calTotalAvailableValence();
  for (Bond* b : bonds) {
    if (b->atom1 == nullptr || b->atom2 == nullptr) continue;
    const std::string& e1 = b->atom1->element;
    const std::string& e2 = b->atom2->element;
    if (!((e1 == "S" && e2 == "O") || (e1 == "O" && e2 == "S"))) continue;
    if (b->atom1->totalValence > b->atom1->usedValence &&
        b->atom2->totalValence > b->atom2->usedValence)
      ++b->order;
  }
}
