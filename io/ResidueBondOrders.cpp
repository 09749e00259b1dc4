// Double bonds of the standard amino acids and nucleotides, set by fixed rules keyed by the
// residue name on a fragment bonded with single bonds, before hydrogens are added.

#include <algorithm>
#include <iostream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "model/Atom.h"
#include "math/UtilityEngine.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "model/Ring.h"

namespace {

bool isHeavy(const Atom* a) { return a != nullptr && a->element != "H"; }

Atom* atomAt(const std::vector<Atom*>& atoms, int id) {
  if (id < 0 || static_cast<size_t>(id) >= atoms.size()) return nullptr;
  return atoms[static_cast<size_t>(id)];
}

// Neighbours in the order of the atom's bonds.
std::vector<Atom*> neighboursOf(const Atom* atom) {
  std::vector<Atom*> out;
  for (Bond* b : atom->bonds) {
    Atom* other = atom->getAdjacentAtom(b);
    if (other != nullptr) out.push_back(other);
  }
  return out;
}

int countElement(const Atom* atom, const char* element) {
  int count = 0;
  for (const Atom* n : neighboursOf(atom))
    if (n->element == element) ++count;
  return count;
}

void makeDouble(Molecule* m, const Atom* a, const Atom* b) {
  if (a == nullptr || b == nullptr) return;
  Bond* bond = m->getBond(a, b);
  if (bond != nullptr) bond->order = 2;
}

void makeDoubleIds(Molecule* m, int a, int b) {
  makeDouble(m, atomAt(m->atoms, a), atomAt(m->atoms, b));
}

int wrap(int i, int n) { return ((i % n) + n) % n; }

void freeRings(std::vector<int*>& rings) {
  for (int* r : rings) delete[] r;
  rings.clear();
}

// The amino-acid side-chain filter: carbons other than the backbone "C" and "CA".
bool sideChainCarbon(const Atom* a) {
  return a->name != "C" && a->name != "CA" && a->element == "C";
}

}  // namespace

void Molecule::setupCovalentBonds(std::vector<int>& bondFirst, std::vector<int>& bondSecond,
                                  std::vector<int>& angleFirst, std::vector<int>& angleCentre,
                                  std::vector<int>& angleLast, std::vector<int>& torsionFirst,
                                  std::vector<int>& torsionSecond, std::vector<int>& torsionThird,
                                  std::vector<int>& torsionLast) {
  for (const Bond* b : bonds) {
    if (!isHeavy(b->atom1) || !isHeavy(b->atom2)) continue;
    bondFirst.push_back(b->atom1->id);
    bondSecond.push_back(b->atom2->id);
  }
  for (const Atom* atom : atoms) {
    const std::vector<Atom*> n = neighboursOf(atom);
    for (size_t i = 0; i < n.size(); ++i)
      for (size_t j = i + 1; j < n.size(); ++j) {
        if (!isHeavy(n[i]) || !isHeavy(n[j])) continue;
        angleFirst.push_back(n[i]->id);
        angleCentre.push_back(atom->id);
        angleLast.push_back(n[j]->id);
      }
  }
  for (const Bond* bond : bonds) {
    const Atom* b = bond->atom1;
    const Atom* c = bond->atom2;
    if (!isHeavy(b) || !isHeavy(c)) continue;
    for (const Atom* a : neighboursOf(b)) {
      if (a == c || !isHeavy(a)) continue;
      for (const Atom* d : neighboursOf(c)) {
        if (d == b || !isHeavy(d)) continue;
        torsionFirst.push_back(a->id);
        torsionSecond.push_back(b->id);
        torsionThird.push_back(c->id);
        torsionLast.push_back(d->id);
      }
    }
  }
}

void Molecule::findSixFiveMemberRing(std::vector<int*>& sixRings, std::vector<int*>& fiveRings) {
  std::vector<int> b1, b2, a1, a2, a3, t1, t2, t3, t4;
  setupCovalentBonds(b1, b2, a1, a2, a3, t1, t2, t3, t4);
  std::vector<std::set<int> > seenSix, seenFive;

  auto keep = [&](const std::vector<int>& ring, std::vector<std::set<int> >& seen,
                  std::vector<int*>& out) {
    const std::set<int> members(ring.begin(), ring.end());
    if (members.size() != ring.size()) return;
    if (std::find(seen.begin(), seen.end(), members) != seen.end()) return;
    seen.push_back(members);
    int* copy = new int[ring.size()];
    for (size_t i = 0; i < ring.size(); ++i) {
      copy[i] = ring[i];
      Atom* a = atomAt(atoms, ring[i]);
      if (a != nullptr) a->inRing = true;
    }
    out.push_back(copy);
  };

  const size_t torsions = t1.size();
  for (size_t k = 0; k < torsions; ++k)
    for (size_t l = k + 1; l < torsions; ++l) {
      if (t1[k] == t1[l] && t4[k] == t4[l])
        keep({t1[k], t2[k], t3[k], t4[k], t3[l], t2[l]}, seenSix, sixRings);
      else if (t1[k] == t4[l] && t4[k] == t1[l])
        keep({t1[k], t2[k], t3[k], t4[k], t2[l], t3[l]}, seenSix, sixRings);
    }
  for (size_t k = 0; k < torsions; ++k)
    for (size_t m = 0; m < a1.size(); ++m)
      if ((a1[m] == t1[k] && a3[m] == t4[k]) || (a1[m] == t4[k] && a3[m] == t1[k]))
        keep({t1[k], t2[k], t3[k], t4[k], a2[m]}, seenFive, fiveRings);
}

namespace {

// The first bond between atoms named "C" and "O".
void backboneCarbonyl(Molecule& m) {
  for (Bond* b : m.bonds) {
    if (b->atom1 == nullptr || b->atom2 == nullptr) continue;
    const std::string& n1 = b->atom1->name;
    const std::string& n2 = b->atom2->name;
    if ((n1 == "C" && n2 == "O") || (n1 == "O" && n2 == "C")) {
      b->order = 2;
      return;
    }
  }
}

// The guanidine carbon (three nitrogens): double to the terminal nitrogen with fewer bonds.
void arginineOrders(Molecule& m) {
  for (Atom* atom : m.atoms) {
    if (!sideChainCarbon(atom)) continue;
    int nitrogens = 0;
    std::vector<Atom*> terminal;
    for (Atom* n : neighboursOf(atom)) {
      if (n->element != "N") continue;
      ++nitrogens;
      bool otherCarbon = false;
      for (const Atom* x : neighboursOf(n))
        if (x != atom && x->element == "C") otherCarbon = true;
      if (!otherCarbon) terminal.push_back(n);
    }
    if (nitrogens != 3) continue;
    if (terminal.size() >= 2) {
      Atom* chosen =
          terminal[0]->bonds.size() < terminal[1]->bonds.size() ? terminal[0] : terminal[1];
      makeDouble(&m, atom, chosen);
    }
    return;
  }
}

// The carboxylate carbon (two oxygens): double to the oxygen with fewer bonds, the first on a tie.
void carboxylateOrders(Molecule& m) {
  for (Atom* atom : m.atoms) {
    if (!sideChainCarbon(atom)) continue;
    std::vector<Atom*> oxygens;
    for (Atom* n : neighboursOf(atom))
      if (n->element == "O") oxygens.push_back(n);
    if (oxygens.size() != 2) continue;
    Atom* chosen = oxygens[1]->bonds.size() < oxygens[0]->bonds.size() ? oxygens[1] : oxygens[0];
    makeDouble(&m, atom, chosen);
    return;
  }
}

// Every side-chain carbon double-bonded to its first oxygen.
void amideOrders(Molecule& m) {
  for (Atom* atom : m.atoms) {
    if (!sideChainCarbon(atom)) continue;
    for (Atom* n : neighboursOf(atom))
      if (n->element == "O") {
        makeDouble(&m, atom, n);
        break;
      }
  }
}

// The imidazole from the ring carbon that carries the side chain (one nitrogen, two carbons).
void histidineOrders(Molecule& m, const int* r) {
  for (int i = 0; i < 5; ++i) {
    const Atom* a = atomAt(m.atoms, r[i]);
    if (a == nullptr || a->bonds.size() <= 2 || a->element != "C") continue;
    if (countElement(a, "N") != 1 || countElement(a, "C") != 2) continue;
    const Atom* next = atomAt(m.atoms, r[wrap(i + 1, 5)]);
    if (next != nullptr && next->element != "C") {
      makeDoubleIds(&m, r[i], r[wrap(i - 1, 5)]);
      makeDoubleIds(&m, r[wrap(i + 1, 5)], r[wrap(i + 2, 5)]);
    } else {
      makeDoubleIds(&m, r[i], r[wrap(i + 1, 5)]);
      makeDoubleIds(&m, r[wrap(i + 3, 5)], r[wrap(i + 4, 5)]);
    }
    return;
  }
}

// The indole from the bond its six- and five-membered rings share.
void tryptophanOrders(Molecule& m, const int* s, const int* f) {
  auto positionInFive = [f](int atomId) {
    for (int i = 0; i < 5; ++i)
      if (f[i] == atomId) return i;
    return -1;
  };
  for (int j = 0; j < 6; ++j) {
    const int p = positionInFive(s[j]);
    const int q = positionInFive(s[wrap(j + 1, 6)]);
    if (p < 0 || q < 0) continue;
    makeDoubleIds(&m, s[j], s[wrap(j + 1, 6)]);
    for (int k = 0; k < 5; ++k) {
      const Atom* a = atomAt(m.atoms, f[k]);
      if (a == nullptr || a->element != "N") continue;
      if (k == wrap(p + 1, 5) || k == wrap(q + 1, 5))
        makeDoubleIds(&m, f[wrap(k + 1, 5)], f[wrap(k + 2, 5)]);
      else
        makeDoubleIds(&m, f[wrap(k + 3, 5)], f[wrap(k + 4, 5)]);
    }
    makeDoubleIds(&m, s[wrap(j + 2, 6)], s[wrap(j + 3, 6)]);
    makeDoubleIds(&m, s[wrap(j + 4, 6)], s[wrap(j + 5, 6)]);
    return;
  }
}

// Whether the fragment can be one of the aromatic residues: tryptophan, the largest, has 15
// heavy atoms with its terminal oxygen, and none of them more than four bonds. Repeated or
// stacked atoms of a damaged file give far more, and the ring search, which pairs every torsion
// with every other, would then not end.
bool aromaticResidueSized(const Molecule& m) {
  const size_t kMostHeavyAtoms = 20;
  const size_t kMostBonds = 4;
  size_t heavy = 0;
  for (const Atom* a : m.atoms) {
    if (!isHeavy(a)) continue;
    if (++heavy > kMostHeavyAtoms || a->bonds.size() > kMostBonds) return false;
  }
  return true;
}

// Phenylalanine, tyrosine, histidine and tryptophan: their rings, when found once each. A
// fragment too large for them keeps its single bonds.
void aromaticSideChainOrders(Molecule& m, const std::string& name) {
  if (!aromaticResidueSized(m)) return;
  std::vector<int*> six, five;
  m.findSixFiveMemberRing(six, five);
  if ((name == "PHE" || name == "TYR") && six.size() == 1) {
    const int* r = six[0];
    makeDoubleIds(&m, r[0], r[1]);
    makeDoubleIds(&m, r[2], r[3]);
    makeDoubleIds(&m, r[4], r[5]);
  } else if (name == "HIS" && five.size() == 1) {
    histidineOrders(m, five[0]);
  } else if (name == "TRP" && six.size() == 1 && five.size() == 1) {
    tryptophanOrders(m, six[0], five[0]);
  }
  freeRings(six);
  freeRings(five);
}

}  // namespace

void Molecule::updateBondOrderForAminoAcid() {
  backboneCarbonyl(*this);
  const std::string name = getName();
  if (name == "ARG")
    arginineOrders(*this);
  else if (name == "GLU" || name == "ASP")
    carboxylateOrders(*this);
  else if (name == "ASN" || name == "GLN")
    amideOrders(*this);
  else if (name == "PHE" || name == "TYR" || name == "HIS" || name == "TRP")
    aromaticSideChainOrders(*this, name);
}

namespace {

// How many of the molecule's rings hold the atom.
int ringCount(const Molecule& m, int atomId) {
  int count = 0;
  for (const Ring* r : m.rings)
    if (std::find(r->atomIds.begin(), r->atomIds.end(), atomId) != r->atomIds.end()) ++count;
  return count;
}

// The six-membered ring of a base; the last one when there are several.
bool sixRing(const Molecule& m, std::vector<int>& out) {
  bool found = false;
  for (const Ring* r : m.rings)
    if (r->atomIds.size() == 6) {
      out = r->atomIds;
      found = true;
    }
  return found;
}

// Every bond from the atom to an oxygen made double; the number of oxygens.
int doubleToOxygens(Molecule& m, Atom* a) {
  int oxygens = 0;
  for (Atom* n : neighboursOf(a))
    if (n->element == "O") {
      makeDouble(&m, a, n);
      ++oxygens;
    }
  return oxygens;
}

// A phosphorus with two terminal oxygens: the first charged, the second double-bonded.
void phosphateOrders(Molecule& m) {
  for (Atom* atom : m.atoms) {
    if (atom->element != "P") continue;
    std::vector<Atom*> terminal;
    for (Atom* n : neighboursOf(atom))
      if (n->element == "O" && n->bonds.size() == 1) terminal.push_back(n);
    if (terminal.size() == 2) {
      terminal[0]->charge = -1;
      makeDouble(&m, atom, terminal[1]);
    }
    return;
  }
}

// Adenine and guanine: the fused bond X=Y, X the fused atom with two nitrogen neighbours, and
// around each ring from X, Y on.
void purineOrders(Molecule& m, bool adenine) {
  std::vector<Atom*> fused;
  for (Atom* a : m.atoms)
    if (ringCount(m, a->id) == 2) fused.push_back(a);
  if (fused.size() != 2) return;
  Atom* x = nullptr;
  Atom* y = nullptr;
  if (countElement(fused[0], "N") == 2) {
    x = fused[0];
    y = fused[1];
  } else if (countElement(fused[1], "N") == 2) {
    x = fused[1];
    y = fused[0];
  } else {
    return;
  }
  makeDouble(&m, x, y);
  for (const Ring* r : m.rings) {
    std::vector<int> ring = r->atomIds;
    if (!m.rearrangeRing({x->id, y->id}, ring)) continue;
    if (ring.size() == 5) {
      makeDoubleIds(&m, ring[2], ring[3]);
    } else if (ring.size() == 6) {
      if (adenine) {
        makeDoubleIds(&m, ring[2], ring[3]);
      } else if (Atom* r2 = atomAt(m.atoms, ring[2])) {
        for (Atom* n : neighboursOf(r2))
          if (n->element == "O") {
            makeDouble(&m, r2, n);
            break;
          }
      }
      makeDoubleIds(&m, ring[4], ring[5]);
    }
  }
}

// Thymine (ring carbon with three carbon neighbours) and uracil (two): the carbonyls, and the
// ring bond from that carbon away from its carbonyl neighbour.
void thymineUracilOrders(Molecule& m, int wantedCarbons) {
  std::vector<int> ring;
  if (!sixRing(m, ring)) return;
  std::vector<int> withCarbons, carbonyls;
  for (int atomId : ring) {
    Atom* a = atomAt(m.atoms, atomId);
    if (a == nullptr || a->element != "C") continue;
    const int oxygens = doubleToOxygens(m, a);
    if (countElement(a, "C") == wantedCarbons) withCarbons.push_back(atomId);
    if (oxygens == 1) carbonyls.push_back(atomId);
  }
  if (withCarbons.size() == 1 && carbonyls.size() == 2) {
    if (m.rearrangeRing({withCarbons[0], carbonyls[0]}, ring) ||
        m.rearrangeRing({withCarbons[0], carbonyls[1]}, ring))
      makeDoubleIds(&m, ring[0], ring[5]);
  }
}

// Cytosine: the carbonyl, and two ring bonds from the amino carbon A (two nitrogens, no oxygen)
// and its carbon neighbour.
void cytosineOrders(Molecule& m) {
  std::vector<int> ring;
  if (!sixRing(m, ring)) return;
  std::vector<int> aList, bList;
  for (int atomId : ring) {
    Atom* a = atomAt(m.atoms, atomId);
    if (a == nullptr) continue;
    const int oxygens = doubleToOxygens(m, a);
    if (oxygens == 0 && countElement(a, "N") == 2) aList.push_back(atomId);
    if (oxygens == 1) bList.push_back(atomId);
  }
  if (aList.size() != 1 || bList.size() != 1) return;
  Atom* a = atomAt(m.atoms, aList[0]);
  Atom* carbon = nullptr;
  for (Atom* n : neighboursOf(a))
    if (n->element == "C") {
      carbon = n;
      break;
    }
  if (carbon == nullptr) return;
  if (m.rearrangeRing({a->id, carbon->id}, ring)) {
    makeDoubleIds(&m, ring[1], ring[2]);
    makeDoubleIds(&m, ring[0], ring[5]);
  }
}

}  // namespace

void Molecule::updateBondOrderForBasePairs() {
  phosphateOrders(*this);
  if (rings.empty()) findAllSmallestRings();
  const std::string name = getName();
  if (name == "DA" || name == "DG" || name == "A" || name == "G")
    purineOrders(*this, name == "DA" || name == "A");
  else if (name == "DT" || name == "U")
    thymineUracilOrders(*this, name == "DT" ? 3 : 2);
  else if (name == "DC" || name == "C")
    cytosineOrders(*this);
}

void Molecule::checkConnectForAminoAcid() {
  if (!checkAminoAcidResidue()) return;
  std::map<const Bond*, int> before;
  for (const Bond* b : bonds) before[b] = b->order;
  updateBondOrderForAminoAcid();
  for (const Bond* b : bonds) {
    if (b->order == before[b] || b->atom1 == nullptr || b->atom2 == nullptr) continue;
    ErrorLine() << getName() << " Wrong Bond Order : " << b->atom1->name << " -- "
                << b->atom2->name << " : " << b->order << " " << before[b];
  }
}
