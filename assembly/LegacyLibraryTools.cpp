// Helpers of the older library road: an MDL mol file into the molecule library, a residue
// written as a template with dummy atoms at its chain ends, and re-typing at group junctions.

#include <QString>
#include <QTreeWidgetItem>

#include <fstream>
#include <string>

#include "assembly/ListLines.h"
#include "construction/SetupChain.h"
#include "io/IOEngine.h"
#include "io/MDLMolParser.h"
#include "io/MoleculeEngine.h"
#include "io/SmilesWriter.h"
#include "io/TreeEntry.h"
#include "math/UtilityEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Builder.h"
#include "model/Molecule.h"
#include "parameters/InputParameters.h"

namespace {

Atom* lastNamed(const Molecule* m, const std::string& name) {
  for (auto it = m->atoms.rbegin(); it != m->atoms.rend(); ++it)
    if ((*it)->name == name) return *it;
  return nullptr;
}

// A "DUM" atom bonded to `real`; the residue data of both dummies come from `donor`.
void addDummy(Molecule* m, Atom* real, const Atom* donor, const std::string& name) {
  Atom* dummy = Builder::instance()->createAtom();
  dummy->name = name;
  dummy->type = "DUM";
  dummy->superType = "DUM";
  dummy->element = "R";
  dummy->mass = 1.0079f;
  dummy->radius = 0.00529f;
  dummy->takeGroupAndResidueOf(*donor);
  real->neighbours.push_back(dummy);
  dummy->neighbours.push_back(real);
  m->addAtom(dummy);
  Bond* bond = Builder::instance()->createBond();
  bond->atom1 = real;
  bond->atom2 = dummy;
  bond->order = 1;
  bond->groupName = donor->groupName;
  bond->groupInstance = donor->groupInstance;
  if (m->addBond(bond) != 1) delete bond;
}

// When the group's REPLACE rules name this atom with the element across the junction, its
// UPDATE rules re-type atoms of the same group instance.
void applyUpdateRules(Molecule* m, const Molecule* group, const Atom* atom, const Atom* other) {
  if (!group->hasUpdateRules) return;
  // Rules are stored upper-cased, elements as written ("Cl"): compared without case.
  const std::string element = listfile::upperCased(other->element);
  bool replaced = false;
  for (size_t i = 0; i < group->replaceFrom.size() && i < group->replaceTo.size(); ++i)
    if (group->replaceFrom[i] == atom->name &&
        listfile::upperCased(group->replaceTo[i]) == element)
      replaced = true;
  if (!replaced) return;
  InputParameters* tables = InputParameters::instance();
  for (size_t i = 0; i < group->updateFrom.size() && i < group->updateTo.size(); ++i) {
    Atom* target = m->findAtomIdName(atom->groupInstance, group->updateFrom[i]);
    AtomTypeParameters record;
    if (target != nullptr && tables->findAtomTypeParameters(group->updateTo[i], record) != 0)
      target->type = group->updateTo[i];
  }
}

}  // namespace

int IOEngine::loadMolFile(const char* path) {
  if (path == nullptr) return 0;
  MDLMolParser parser;
  Molecule* m = parser.parseMDLMolFile(path);
  if (m == nullptr) return 0;
  if (m->getName().empty()) {
    m->names.clear();
    m->makeName();
  }
  MoleculeEngine* library = MoleculeEngine::instance();
  moleculeCount = static_cast<int>(library->molecules.size());
  QTreeWidgetItem* item = new QTreeWidgetItem(moleculeRoot);
  item->setText(0, QString::fromStdString(m->getName()));
  setTreeEntry(item, TreeEntry::listed(TreeEntry::Kind::Molecule, moleculeCount));
  currentItem = item;
  SmilesWriter writer;
  std::string smiles;
  if (writer.createSmilesFromMolecule(m, smiles)) m->smiles = smiles;
  library->molecules.push_back(m);
  ++moleculeCount;
  return 1;
}

void IOEngine::addMoleculeToTemplates(Molecule* molecule, const char* path) {
  if (molecule == nullptr || path == nullptr) return;
  if (std::ifstream(path)) return;   // an existing template is never overwritten
  Atom* first = lastNamed(molecule, "C");
  Atom* second = lastNamed(molecule, "N");
  if (first == nullptr || second == nullptr) {
    first = lastNamed(molecule, "P");
    second = lastNamed(molecule, "O3'");
  }
  if (first != nullptr && second != nullptr) {
    addDummy(molecule, first, first, "DUM1");
    addDummy(molecule, second, first, "DUM2");
  }
  molecule->update();
  SetupSteps steps{SetupStep::Parameters, SetupStep::Coordinates, SetupStep::Optimisation};
  steps.optimiser = Optimiser::SteepestDescent;
  if (!runSetupChain(*molecule, steps).ok()) {
    ErrorLine() << "Error: addMoleculeToTemplates, \"" << molecule->label()
                << "\" has no sound geometry; \"" << path << "\" is not written";
    return;
  }
  writeKvtFile(molecule, path);
}

void IOEngine::updateSfun(Molecule* molecule) {
  if (molecule == nullptr) return;
  MoleculeEngine* library = MoleculeEngine::instance();
  for (const Bond* b : molecule->bonds) {
    const Atom* a1 = b->atom1;
    const Atom* a2 = b->atom2;
    if (a1 == nullptr || a2 == nullptr || a1->groupInstance == a2->groupInstance) continue;
    const Molecule* group1 = library->getFunctionalGroupByName(a1->groupName);
    const Molecule* group2 = library->getFunctionalGroupByName(a2->groupName);
    // A junction with an atom of no library group has no rules to follow.
    if (group1 == nullptr || group2 == nullptr) continue;
    applyUpdateRules(molecule, group1, a1, a2);
    applyUpdateRules(molecule, group2, a2, a1);
  }
}
