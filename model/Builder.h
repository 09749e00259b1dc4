#pragma once

class Atom;
class Bond;
class GroupEdge;
class GroupGraph;
class GroupNode;
class Molecule;
class Ring;

// The factory through which the model's objects are made. Callers own what it returns.
class Builder {
 public:
  static Builder* Instance;   // null until the first instance() call; never destroyed
  static int MoleculeID;      // the id the next molecule receives; never reused

  static Builder* instance();

  Atom* createAtom();
  Bond* createBond();
  Molecule* createMolecule();
  Ring* createRing();
  GroupNode* createGroupNode();
  GroupEdge* createGroupEdge();
  GroupGraph* createGroupGraph();

 private:
  Builder() = default;
};
