#include "model/Builder.h"

#include "model/Atom.h"
#include "model/Bond.h"
#include "model/GroupGraphRecords.h"
#include "model/Molecule.h"
#include "model/Ring.h"

Builder* Builder::Instance = nullptr;
int Builder::MoleculeID = 0;

Builder* Builder::instance() {
  if (Instance == nullptr) Instance = new Builder();
  return Instance;
}

Atom* Builder::createAtom() { return new Atom(); }

Bond* Builder::createBond() { return new Bond(); }

Molecule* Builder::createMolecule() {
  Molecule* m = new Molecule();
  m->id = MoleculeID++;
  return m;
}

Ring* Builder::createRing() { return new Ring(); }

GroupNode* Builder::createGroupNode() { return new GroupNode(); }

GroupEdge* Builder::createGroupEdge() { return new GroupEdge(); }

GroupGraph* Builder::createGroupGraph() { return new GroupGraph(); }
