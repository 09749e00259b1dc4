// New molecules from molecules on screen: the Apply of each edit mode, the join at two bond
// axes and the ring closure. Each works on a graph copy, so the molecule on screen stays whole
// until the caller swaps the finished copy in, and a refused result leaves it as it was.

#include "construction/MoleculeEdits.h"

#include <algorithm>
#include <cmath>

#include "construction/MoleculeOperations.h"
#include "construction/SetupChain.h"
#include "math/UtilityEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"

namespace {

constexpr size_t kLargePdbAtoms = 200;
// Real atom to the dummy of a new bond axis, Angstrom: the length the library groups' axes have.
constexpr float kNewAxisLength = 2.11561f;

bool isHydrogen(const Atom* atom) { return atom != nullptr && atom->element == "H"; }

template <typename T>
void appendOnce(std::vector<T*>& list, T* item) {
  if (item != nullptr && std::find(list.begin(), list.end(), item) == list.end())
    list.push_back(item);
}

// The place of an item in a list, -1 when it is not there.
template <typename T>
int indexIn(const std::vector<T*>& list, const T* item) {
  const auto at = std::find(list.begin(), list.end(), item);
  return at == list.end() ? -1 : static_cast<int>(at - list.begin());
}

template <typename T>
T* at(const std::vector<T*>& list, int index) {
  return index >= 0 && static_cast<size_t>(index) < list.size() ? list[static_cast<size_t>(index)]
                                                                : nullptr;
}

SSEVector4f positionOf(const Molecule& m, const Atom* atom) {
  if (atom->id >= 0 && static_cast<size_t>(atom->id) < m.positions.size())
    return m.positions[static_cast<size_t>(atom->id)];
  return atom->position;
}

// The neighbour a hydrogen's new axis points away from; a graph built without neighbour lists
// falls back on the first bond.
Atom* firstNeighbour(Atom* atom) {
  if (!atom->neighbours.empty()) return atom->neighbours.front();
  return atom->bonds.empty() ? nullptr : atom->getAdjacentAtom(atom->bonds.front());
}

// The tail every new molecule shares once the set-up chain passed: the SMILES text of a new
// name, the axis count, and no edit marks (they came with the copy).
EditResult finished(Molecule* copy, const SetupSteps& steps, const SmilesText& smiles) {
  if (steps.has(SetupStep::Naming) && smiles) copy->smiles = smiles(copy);
  for (Atom* atom : copy->atoms) atom->editMark = 0;
  for (Bond* bond : copy->bonds) bond->deleteMark = 0;
  copy->calculateNumBondAxes();
  return {EditOutcome::Rebuilt, copy};
}

// The set-up chain on the copy, then the tail. A geometry the chain refused is no molecule: one
// line names the edit and the source.
EditResult finish(Molecule* copy, const SetupSteps& steps, const char* edit,
                  const Molecule& source, const SmilesText& smiles) {
  if (!runSetupChain(*copy, steps).ok()) {
    ErrorLine() << "Error: " << edit << ": no sound molecule came of \"" << source.label()
                << "\"; it is left as it was";
    delete copy;
    return {EditOutcome::Failed, nullptr};
  }
  return finished(copy, steps, smiles);
}

// The chain after an edit of the graph: parameters, coordinates for the atoms the edit added
// (placed atoms keep theirs), an optimisation, a new name and the energies, except for a large
// PDB structure, which only gets its new atoms placed and keeps its names. A smaller PDB
// structure loses its fixed positions here, so the optimisation may move every atom.
SetupSteps stepsAfterGraphEdit(Molecule* copy) {
  SetupSteps steps = SetupSteps::all().without(SetupStep::Perception);
  steps.markOptimised = true;
  steps.freshName = true;
  if (keepsNamesThroughEdits(*copy))
    return steps.without(SetupStep::Optimisation).without(SetupStep::Naming);
  if (copy->isFromPdb) copy->clearFlag_IsPosFix();
  return steps;
}

// After atoms or bonds went: hydrogens up to the valences again and new types.
void completeValences(Molecule* copy) {
  copy->update();
  copy->fillTotalAndUsedValence();
  copy->addMissingHydrogens();
  copy->findBestAtomType();
}

void clearAromaticFlags(Molecule* copy) {
  for (Atom* atom : copy->atoms) atom->isAromatic = false;
}

}  // namespace

bool keepsNamesThroughEdits(const Molecule& molecule) {
  return molecule.isFromPdb && molecule.atoms.size() >= kLargePdbAtoms;
}

EditResult rebuildWithBondOrders(Molecule* edited, const std::vector<SavedBondOrder>& saved,
                                 const SmilesText& smiles) {
  if (edited == nullptr) return {};
  Molecule* copy = edited->copyGraph();
  std::vector<Atom*> leftAromatic;
  for (const SavedBondOrder& entry : saved) {
    Bond* bond = at(copy->bonds, entry.bondIndex);
    if (bond == nullptr || bond->order == entry.order) continue;
    if (entry.order == kAromaticOrder) {
      for (Atom* end : {bond->atom1, bond->atom2}) {
        if (end == nullptr || indexIn(leftAromatic, end) >= 0) continue;
        leftAromatic.push_back(end);
        end->hydrogensAdded = true;
      }
    } else if (isHydrogen(bond->atom1) || isHydrogen(bond->atom2)) {
      bond->order = 1;   // a hydrogen has one valence whatever the click asked
    }
  }
  copy->resetBondOrders(leftAromatic);
  copy->findAllSmallestRings();
  copy->fillTotalAndUsedValence();
  copy->deleteExtraHydrogenAndDummyAtoms();
  clearAromaticFlags(copy);
  copy->update();
  copy->addMissingHydrogens();
  copy->findBestAtomType();
  return finish(copy, stepsAfterGraphEdit(copy), "bond orders", *edited, smiles);
}

EditResult rebuildWithoutMarkedAtoms(Molecule* marked, const SmilesText& smiles) {
  if (marked == nullptr) return {};
  Molecule* copy = marked->copyGraph();
  std::vector<Atom*> doomed;
  for (Atom* atom : copy->atoms) {
    if (atom->editMark != 1) continue;
    appendOnce(doomed, atom);
    for (Bond* bond : atom->bonds) {
      Atom* other = atom->getAdjacentAtom(bond);
      if (other != nullptr && (other->element == "H" || other->element == "R"))
        appendOnce(doomed, other);
    }
  }
  if (doomed.empty()) {
    delete copy;
    return {};
  }
  copy->resetBondOrders(doomed);
  clearAromaticFlags(copy);
  for (Atom* atom : doomed) copy->deleteAtom(atom);
  if (copy->atoms.empty()) {
    delete copy;
    return {EditOutcome::Emptied, nullptr};
  }
  completeValences(copy);
  return finish(copy, stepsAfterGraphEdit(copy), "delete atoms", *marked, smiles);
}

EditResult rebuildWithNewBondAxes(Molecule* marked, const SmilesText& smiles) {
  if (marked == nullptr) return {};
  Molecule* copy = marked->copyGraph();
  clearAromaticFlags(copy);
  int made = 0;
  for (Atom* h : copy->atoms) {
    const Atom* neighbour = h->editMark == 2 ? firstNeighbour(h) : nullptr;
    if (neighbour == nullptr) continue;
    const SSEVector4f from = positionOf(*copy, neighbour);
    SSEVector4f out = positionOf(*copy, h) - from;
    out.w = 0.0f;
    out.normalize();
    out.clamp();
    const SSEVector4f end(from.x + kNewAxisLength * out.x, from.y + kNewAxisLength * out.y,
                          from.z + kNewAxisLength * out.z, 1.0f);
    h->type = "DUM";
    h->name = "DUM" + std::to_string(h->id);
    for (Bond* bond : h->bonds) bond->isBondAxis = true;
    h->position = end;
    if (h->id >= 0 && static_cast<size_t>(h->id) < copy->positions.size())
      copy->positions[static_cast<size_t>(h->id)] = end;
    ++made;
  }
  if (made == 0) {
    delete copy;
    return {};
  }
  // The rest keeps its types and its coordinates: only the parameters of the new axes change.
  copy->update();
  SetupSteps steps{SetupStep::Parameters, SetupStep::Spheroids, SetupStep::Naming,
                   SetupStep::Energies};
  steps.freshName = true;
  if (keepsNamesThroughEdits(*copy)) steps = steps.without(SetupStep::Naming);
  return finish(copy, steps, "make axis", *marked, smiles);
}

EditResult rebuildWithoutMarkedBonds(Molecule* marked, const SmilesText& smiles) {
  if (marked == nullptr) return {};
  Molecule* copy = marked->copyGraph();
  std::vector<Bond*> bonds;
  std::vector<Atom*> ends;
  for (Bond* bond : copy->bonds) {
    if (bond->deleteMark != 1) continue;
    bonds.push_back(bond);
    appendOnce(ends, bond->atom1);
    appendOnce(ends, bond->atom2);
  }
  if (bonds.empty()) {
    delete copy;
    return {};
  }
  // What goes is decided before anything is deleted: a bond to a hydrogen goes with the
  // hydrogen, and a later mark on a bond that went with an earlier hydrogen is passed over.
  std::vector<Atom*> atomsGone;
  std::vector<Bond*> bondsGone;
  for (Bond* bond : bonds) {
    if (indexIn(atomsGone, bond->atom1) >= 0 || indexIn(atomsGone, bond->atom2) >= 0) continue;
    if (isHydrogen(bond->atom1))
      atomsGone.push_back(bond->atom1);
    else if (isHydrogen(bond->atom2))
      atomsGone.push_back(bond->atom2);
    else
      bondsGone.push_back(bond);
  }
  copy->resetBondOrders(ends);
  for (Bond* bond : bondsGone) copy->deleteBond(bond);
  for (Atom* atom : atomsGone) copy->deleteAtom(atom);
  if (copy->atoms.empty()) {
    delete copy;
    return {EditOutcome::Emptied, nullptr};
  }
  completeValences(copy);
  return finish(copy, stepsAfterGraphEdit(copy), "delete bonds", *marked, smiles);
}

namespace {

// The ends of an open bond axis: the first atom is the dummy end exactly when its type is
// "DUM". False unless the other end is a real atom.
bool axisEnds(const Bond* axis, Atom*& real, Atom*& dummy) {
  if (axis == nullptr || axis->atom1 == nullptr || axis->atom2 == nullptr) return false;
  const bool firstIsDummy = isDummy(axis->atom1);
  dummy = firstIsDummy ? axis->atom1 : axis->atom2;
  real = firstIsDummy ? axis->atom2 : axis->atom1;
  return isDummy(dummy) && !isDummy(real);
}

// An axis whose two ends coincide has no direction to join along.
bool hasLength(const Molecule& m, const Bond* axis) {
  SSEVector4f d = positionOf(m, axis->atom2) - positionOf(m, axis->atom1);
  d.w = 0.0f;
  return d.length() > 0.0f && std::isfinite(d.length());
}

}  // namespace

EditResult joinAtBondAxes(Molecule* first, Bond* axis1, Molecule* second, Bond* axis2,
                          const SmilesText& smiles) {
  const int index1 = first != nullptr ? indexIn(first->bonds, axis1) : -1;
  const int index2 = second != nullptr ? indexIn(second->bonds, axis2) : -1;
  Atom *real = nullptr, *dummy = nullptr;
  if (index1 < 0 || index2 < 0 || first == second || !axisEnds(axis1, real, dummy) ||
      !axisEnds(axis2, real, dummy))
    return {};
  if (axis1->order != axis2->order || !hasLength(*first, axis1) || !hasLength(*second, axis2)) {
    ErrorLine() << "Error: Cannot join \"" << first->label() << "\" and \"" << second->label()
                << "\": the bond axes differ in order or one has no length";
    return {EditOutcome::Failed, nullptr};
  }
  Molecule* joined = first->copyGraph();
  Molecule* other = second->copyGraph();
  MoleculeOperations operations;
  // The merge and the new bond report their own refusals.
  if (operations.joinMolecules(joined, at(joined->bonds, index1), other,
                               at(other->bonds, index2)) == nullptr) {
    delete joined;
    delete other;
    return {EditOutcome::Failed, nullptr};
  }
  // `other` went into `joined`, which keeps the connection flag of its new bond.
  SetupSteps steps{SetupStep::Optimisation, SetupStep::Naming, SetupStep::Energies};
  steps.freshName = true;
  if (!runSetupChain(*joined, steps).ok()) {
    ErrorLine() << "Error: could not create  molecule joining \"" << first->label() << "\" and \""
                << second->label() << "\"; both are left as they were";
    delete joined;
    return {EditOutcome::Failed, nullptr};
  }
  return finished(joined, steps, smiles);
}

EditResult closeRingAtBondAxes(Molecule* molecule, Bond* axis1, Bond* axis2,
                               const SmilesText& smiles) {
  Atom *real1 = nullptr, *dummy1 = nullptr, *real2 = nullptr, *dummy2 = nullptr;
  if (molecule == nullptr || axis1 == axis2 || !axisEnds(axis1, real1, dummy1) ||
      !axisEnds(axis2, real2, dummy2) || dummy1 == dummy2)
    return {};
  if (real1->hasBond(real1, real2)) return {};
  const std::vector<Atom*>& atoms = molecule->atoms;
  const int ids[4] = {indexIn(atoms, real1), indexIn(atoms, dummy1), indexIn(atoms, real2),
                      indexIn(atoms, dummy2)};
  if (std::any_of(ids, ids + 4, [](int id) { return id < 0; })) return {};

  Molecule* ring = molecule->copyGraph();
  Atom* ends[4];
  for (int i = 0; i < 4; ++i) ends[i] = at(ring->atoms, ids[i]);
  ring->deleteAtom(ends[1]);
  ring->deleteAtom(ends[3]);
  Bond* closing = createConnectingBond(ends[0], ends[2], axis1->order);
  if (ring->addBond(closing) != 1) {
    ErrorLine() << "Failed to add bond " << ends[0]->name << "-" << ends[2]->name
                << " closing a ring in \"" << molecule->label() << "\"";
    delete closing;
    delete ring;
    return {EditOutcome::Failed, nullptr};
  }
  ring->update();
  // The open chain's geometry does not fit the ring: every atom is placed anew.
  for (Atom* atom : ring->atoms) {
    atom->isPlaced = false;
    atom->position = SSEVector4f(0.0f, 0.0f, 0.0f, 1.0f);
  }
  ring->positions.clear();
  SetupSteps steps = SetupSteps::all();
  steps.typesOnlyWhenClosed = true;
  steps.optimiser = Optimiser::InternalCoordinates;
  steps.freshName = true;
  return finish(ring, steps, "close ring", *molecule, smiles);
}
