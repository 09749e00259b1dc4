#include "io/SmilesWriter.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "construction/MoleculeOperations.h"
#include "io/SmilesParser.h"
#include "io/SmilesStereo.h"
#include "math/UtilityEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "parameters/ElementSymbols.h"
#include "parameters/InputParameters.h"

namespace {

const int kMaxRingNumber = 99;   // "%" takes exactly two digits

bool isAromaticBond(const Bond* b) { return b->order == kAromaticOrder || b->isAromatic; }

// Written in lower case: an atom with an aromatic bond whose element the reader has a lower-case
// symbol for. The bonds decide, not the atom's flag: a molecule from a molecule file carries
// its aromatic rings as bonds of order 9 only. An aromatic ring through a halogen (a three-ring
// C-Br-C) stays in capitals, which reads back.
bool isWrittenLowerCase(const Atom* atom) {
  static const std::string aromaticSymbols = "BCNOPS";
  if (atom->element.size() != 1 || aromaticSymbols.find(atom->element[0]) == std::string::npos)
    return false;
  return std::any_of(atom->bonds.begin(), atom->bonds.end(), isAromaticBond);
}

// The symbol of a tree or closure bond. Aromatic bonds between lower-case atoms are implied; a
// single bond between two lower-case atoms is written, or the reader would take it for a ring
// bond (the bond between the rings of biphenyl).
std::string bondSymbol(const Bond* b) {
  if (b == nullptr || isAromaticBond(b)) return "";
  if (b->order == 2) return "=";
  if (b->order == 3) return "#";
  const bool lowerEnds = b->atom1 != nullptr && b->atom2 != nullptr &&
                         isWrittenLowerCase(b->atom1) && isWrittenLowerCase(b->atom2);
  return lowerEnds ? "-" : "";
}

// The hydrogens the reader gives an atom of the organic set written bare: its bonds to atoms in
// the string (aromatic ones count one), one more for the double bond its Kekule form gives a
// lower-case atom with room for one, then up to the smallest allowed valence at or above that,
// as valence completion does after reading.
int derivedHydrogenCount(const Atom* atom, bool lowerCase) {
  int used = 0;
  for (const Bond* b : atom->bonds) {
    const Atom* other = atom->getAdjacentAtom(const_cast<Bond*>(b));
    if (other != nullptr && !SmilesWriter::isCountableHydrogen(other))
      used += isAromaticBond(b) ? 1 : b->order;
  }
  if (lowerCase && SmilesParser::kekuleValence(atom) - used >= 1) ++used;
  ElementParameters row;
  if (InputParameters::instance()->findElementParameters(atom->element, row) != 1 ||
      row.valences.empty())
    return 0;
  int total = row.valences.back();
  for (int v : row.valences)
    if (v >= used) {
      total = v;
      break;
    }
  return std::max(0, total - used);
}

}  // namespace

bool isInOrganicSet(const std::string& symbol) {
  return symbol == "B" || symbol == "Br" || symbol == "N" || symbol == "O" || symbol == "P" ||
         symbol == "S" || symbol == "F" || symbol == "Cl" || symbol == "C" || symbol == "I";
}

bool SmilesWriter::isCountableHydrogen(const Atom* atom) {
  if (atom == nullptr || atom->element != "H" || !atom->statusFlag || atom->bonds.size() != 1)
    return false;
  const Atom* other = atom->getAdjacentAtom(atom->bonds.front());
  return other != nullptr && other->element != "H";
}

SmilesWriter::SmilesWriter() = default;
SmilesWriter::~SmilesWriter() { cleanUp(); }

void SmilesWriter::cleanUp() {
  visited.clear();
  inTree.clear();
  closureTaken.clear();
  atomIndex.clear();
  bondIndex.clear();
  visitOrder.clear();
  componentAtoms.clear();
  ringClosureBonds.clear();
  closuresAt.clear();
  openClosures.clear();
  for (SmilesNode* n : nodes) delete n;
  nodes.clear();
  current = nullptr;
}

void SmilesWriter::initArrays(Molecule* molecule) {
  current = molecule;
  // Flags by list position: ids may have gaps after edits, and the writer does not renumber.
  for (size_t i = 0; i < molecule->atoms.size(); ++i) atomIndex[molecule->atoms[i]] = i;
  for (size_t i = 0; i < molecule->bonds.size(); ++i) bondIndex[molecule->bonds[i]] = i;
  visited.assign(molecule->atoms.size(), false);
  inTree.assign(molecule->bonds.size(), false);
  closureTaken.assign(molecule->bonds.size(), false);
}

bool SmilesWriter::createSmilesFromMolecule(Molecule* molecule, std::string& out) {
  if (molecule == nullptr) {
    ErrorLine() << "Error:    SmilesWriter::createSmilesFromMolecule, no molecule";
    return false;
  }
  cleanUp();
  initArrays(molecule);
  MoleculeOperations operations;
  operations.calAttachedHydrogens(molecule);
  if (stereo) marks.reset(new SmilesStereo(*molecule));
  std::string text;
  const bool ok = createSmile(molecule, text);
  cleanUp();
  marks.reset();
  if (ok) out = text;
  return ok;
}

bool SmilesWriter::visitedAtom(const Atom* a) const {
  const auto it = atomIndex.find(a);
  return it != atomIndex.end() && visited[it->second];
}

bool SmilesWriter::createSmile(Molecule* molecule, std::string& out) {
  out.clear();
  for (Atom* a : molecule->atoms) {
    if (isCountableHydrogen(a) || visitedAtom(a)) continue;
    SmilesNode* root = new SmilesNode(a, nullptr);
    nodes.push_back(root);
    componentAtoms.clear();
    componentTreeBonds.clear();
    dfsTree(root);
    findBiConnectedBonds(molecule);
    if (marks) marks->assignDirections(componentTreeBonds);
    if (!out.empty()) out += ".";
    if (!writeString(root, out)) return false;
  }
  return true;
}

// The bonds of the component just built that are not tree bonds, in the molecule's bond order;
// bonds of earlier components were taken with them. Only the component's own bonds are looked
// at, so that a file of thousands of waters is not a walk over all bonds per water.
void SmilesWriter::findBiConnectedBonds(Molecule* molecule) {
  ringClosureBonds.clear();
  closuresAt.clear();
  std::vector<size_t> candidates;
  for (const Atom* a : componentAtoms)
    for (const Bond* b : a->bonds) {
      const auto at = bondIndex.find(b);
      if (at != bondIndex.end()) candidates.push_back(at->second);
    }
  std::sort(candidates.begin(), candidates.end());
  candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
  for (size_t i : candidates) {
    Bond* b = molecule->bonds[i];
    if (inTree[i] || closureTaken[i] || !visitedAtom(b->atom1) || !visitedAtom(b->atom2)) continue;
    closureTaken[i] = true;
    closuresAt[b->atom1].push_back(ringClosureBonds.size());
    if (b->atom2 != b->atom1) closuresAt[b->atom2].push_back(ringClosureBonds.size());
    ringClosureBonds.push_back(b);
  }
}

// Depth first in the order of each atom's bond list, with an explicit stack: a neighbour
// reached deeper down is skipped when its turn comes.
void SmilesWriter::dfsTree(SmilesNode* root) {
  struct Frame {
    SmilesNode* node;
    size_t next;
  };
  std::vector<Frame> stack;
  visitOrder.push_back(root->atom->id);
  visited[atomIndex.at(root->atom)] = true;
  componentAtoms.push_back(root->atom);
  stack.push_back({root, 0});
  while (!stack.empty()) {
    Frame& top = stack.back();
    Atom* atom = top.node->atom;
    if (top.next >= atom->bonds.size()) {
      stack.pop_back();
      continue;
    }
    Bond* b = atom->bonds[top.next++];
    Atom* other = atom->getAdjacentAtom(b);
    const auto otherAt = atomIndex.find(other);
    const auto bondAt = bondIndex.find(b);
    if (otherAt == atomIndex.end() || bondAt == bondIndex.end()) continue;
    if (visited[otherAt->second] || isCountableHydrogen(other)) continue;
    inTree[bondAt->second] = true;
    componentTreeBonds.push_back(b);
    SmilesNode* child = new SmilesNode(other, atom);
    nodes.push_back(child);
    top.node->setNeighbor(child, b);
    visitOrder.push_back(other->id);
    visited[otherAt->second] = true;
    componentAtoms.push_back(other);
    stack.push_back({child, 0});
  }
}

int SmilesWriter::getRingNumber() const {
  for (int n = 1;; ++n) {
    const bool held = std::any_of(openClosures.begin(), openClosures.end(),
                                  [n](const OpenClosure& c) { return c.number == n; });
    if (!held) return n;
  }
}

std::vector<SmilesWriter::RingMark> SmilesWriter::checkRingClosureAtAtom(Atom* atom) {
  std::vector<RingMark> numbers;
  const auto closures = closuresAt.find(atom);
  if (closures != closuresAt.end())
    for (size_t k : closures->second) {
      Bond*& b = ringClosureBonds[k];
      if (b == nullptr) continue;   // opened at its other end
      const int number = getRingNumber();
      openClosures.push_back({atom->getAdjacentAtom(b), number, bondSymbol(b), atom});
      numbers.push_back({number, "", atom->getAdjacentAtom(b)});
      b = nullptr;
    }
  for (auto it = openClosures.begin(); it != openClosures.end();) {
    if (it->partner == atom) {
      numbers.push_back({it->number, it->symbol, it->opener});
      it = openClosures.erase(it);
    } else {
      ++it;
    }
  }
  return numbers;
}

std::string SmilesWriter::getSmilesSymbol(Atom* atom, const std::string& chirality) const {
  // Element symbols in their standard case whatever case a reader stored ("SI" -> "Si").
  std::string symbol = standardElementSymbol(atom->element);
  if (symbol.empty()) symbol = atom->element;
  const bool lowerCase = isWrittenLowerCase(atom);
  const int hydrogens = atom->element == "H" ? 0 : atom->numImplicitH;
  bool brackets = !isInOrganicSet(symbol) || atom->charge != 0 || atom->isotope > 0 ||
                  hydrogens != derivedHydrogenCount(atom, lowerCase);
  // An atom the reader met in brackets goes back in them, unless it is an aromatic atom that
  // reads back the same bare ([cH] -> c).
  if (!atom->statusFlag && !lowerCase) brackets = true;
  if (!chirality.empty()) brackets = true;
  if (lowerCase) symbol[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(symbol[0])));
  if (!brackets) return symbol;
  std::string text =
      "[" + (atom->isotope > 0 ? std::to_string(atom->isotope) : "") + symbol + chirality;
  if (hydrogens > 0) {
    text += "H";
    if (hydrogens > 1) text += std::to_string(hydrogens);
  }
  if (atom->charge != 0) {
    text += atom->charge > 0 ? "+" : "-";
    const int magnitude = std::abs(atom->charge);
    if (magnitude > 1) text += std::to_string(magnitude);
  }
  return text + "]";
}

// The neighbours of a centre in the order the string lists them: the atom before it, its
// hydrogen in the bracket, the ring-closure partners in the order of their digits, then the
// branches and the chain. A lone pair stands right after the first of them, where the reader
// puts it: after the atom before the centre, or after the first ring partner or branch of a
// centre that opens the string ([S@](=O)(C)CC is C[S@@](=O)CC, not its mirror image).
std::string SmilesWriter::chiralityAt(const SmilesNode* node,
                                      const std::vector<RingMark>& rings) const {
  if (!marks || !marks->isStereoCentre(node->atom)) return "";
  std::vector<const Atom*> order;
  if (node->parent != nullptr) order.push_back(node->parent);
  for (Bond* b : node->atom->bonds) {
    const Atom* other = node->atom->getAdjacentAtom(b);
    if (isCountableHydrogen(other)) order.push_back(other);
  }
  for (const RingMark& ring : rings) order.push_back(ring.partner);
  for (const SmilesNode* child : node->children) order.push_back(child->atom);
  if (marks->hasLonePair(node->atom) && !order.empty()) order.insert(order.begin() + 1, nullptr);
  return marks->chirality(node->atom, order);
}

bool SmilesWriter::writeString(SmilesNode* root, std::string& s) {
  struct Task {
    SmilesNode* node;   // null: close a branch
    Bond* bond;
    bool branch;
  };
  std::vector<Task> tasks{{root, nullptr, false}};
  while (!tasks.empty()) {
    const Task task = tasks.back();
    tasks.pop_back();
    if (task.node == nullptr) {
      s += ")";
      continue;
    }
    if (task.branch) s += "(";
    Atom* atom = task.node->atom;
    const char direction = marks ? marks->direction(task.bond, task.node->parent) : 0;
    if (direction != 0)
      s += direction;
    else
      s += bondSymbol(task.bond);
    const std::vector<RingMark> rings = checkRingClosureAtAtom(atom);
    s += getSmilesSymbol(atom, chiralityAt(task.node, rings));
    for (const RingMark& ring : rings) {
      if (ring.number > kMaxRingNumber) {
        ErrorLine() << "Error: SmilesWriter: more than " << kMaxRingNumber
                    << " rings open at once in \"" << current->getName() << "\"";
        return false;
      }
      s += ring.symbol;
      if (ring.number > 9) s += "%";
      s += std::to_string(ring.number);
    }
    const std::vector<SmilesNode*>& children = task.node->children;
    if (children.empty()) continue;
    const size_t last = children.size() - 1;
    tasks.push_back({children[last], task.node->bonds[last], false});
    for (size_t i = last; i-- > 0;) {
      tasks.push_back({nullptr, nullptr, false});
      tasks.push_back({children[i], task.node->bonds[i], true});
    }
  }
  return true;
}
