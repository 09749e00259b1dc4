#pragma once

// Operations on whole molecules that callers make on the stack: joining two molecules at open
// bond axes, unique rings, hydrogen counts for the SMILES writer, size and volume.

#include <map>
#include <string>
#include <vector>

class Atom;
class Bond;
class GroupGraph;
class Molecule;

class MoleculeOperations {
 public:
  MoleculeOperations() = default;

  // Joins second onto first at two open bond axes (bonds to a "DUM" atom) of the same order:
  // the axes and dummies go, second is merged into first (and consumed), and a new bond joins
  // the two real atoms. The first molecule, or null (nothing changed) for a null argument, axes
  // of different orders, an axis without a dummy end, or a failed merge. second is consumed
  // only by a join that succeeds; after a null answer the caller still owns it.
  Molecule* joinMolecules(Molecule* first, Bond* axis1, Molecule* second, Bond* axis2);
  // Replaces the rings by the unique smallest cycles; false (rings untouched) when there is
  // none.
  bool findUniqueRings(Molecule* molecule);
  // numImplicitH of every non-hydrogen atom = its neighbours that are hydrogens the SMILES
  // writer leaves out (element "H", status flag set, bonded only to it).
  void calAttachedHydrogens(Molecule* molecule);
  // Diagonal of the box over the atom-sphere centres and the origin, Angstrom.
  float calculateLength(Molecule* molecule);
  // Min x, y, z, max x, y, z over bond spheroid ends, atom spheres and orbitals, widened by
  // 2.0; a block of six floats from malloc that the caller frees; null for a null molecule.
  float* calculateBoundingBox(Molecule* molecule);
  // Monte Carlo volume (cubic Angstrom) of the atom spheres, orbitals and bond spheroids inside
  // the bounding box: 10 rounds of 100000 uniform points from a time-seeded generator, the mean
  // over the rounds of the running fraction inside times the box volume. 0 for a null molecule.
  double calVolume(Molecule* molecule);
  // Total valences from the element names; false at the first atom left below its used valence.
  bool setValence(Molecule* molecule);
  // Hydrogens up to each flagged atom's total valence, then calAttachedHydrogens.
  bool addExplicitHydrogens(Molecule* molecule);
  // Largest first by atom count less bond axes.
  void sortMoleculeVector(std::vector<Molecule*>* molecules);

  // Functional-group matching: defined in assembly/MoleculeOperationsMatching.cpp (kv_assembly).
  // Sorts the candidates, then matches them in order against the molecule; the first with a
  // match counts one more under its name in `counts`, and the answer is true; false when none
  // matches.
  bool matchMolecule(Molecule* molecule, std::vector<Molecule*>* candidates,
                     std::map<std::string, int>& counts);
  // Matches every library pattern (MoleculeEngine::patterns) with no more atoms than the
  // molecule. When every atom was claimed, the molecule rebuilt as group instances (the caller
  // owns it); otherwise the matched and unmatched parts and the molecule itself are dumped
  // (Molecule::printMatchedParts and the others) and the answer is null.
  Molecule* findFunctionalGroups(Molecule* molecule);
  // The unique cycles of the graph's group-level molecule (one atom per node, one bond per
  // edge), whose bond graph is dumped first; they replace the graph's rings (bond ids = edge
  // ids, atom ids = node ids). 1, or 0 (rings untouched) when there is no cycle.
  int findUniqueRings(GroupGraph* graph);

  void* reserved = nullptr;   // read by nothing
};

// A new bond between two real atoms of a join or a ring closure: the bond table's row for the
// two types and the order, else a carbon-carbon single bond. Lengths in Angstrom, energy in eV.
struct ConnectingBond {
  float semiMajorAxis = 1.058f;
  float distance = 2.1153f;   // inter-nuclear
  float energy = 0.0f;
};
ConnectingBond connectingBond(const std::string& type1, const std::string& type2, int order);
// A new bond of the order from a to b with the connecting bond's geometry and energy for their
// types (semi-minor axis from the semi-major axis and half the distance); not yet added to a
// molecule, so the caller owns it.
Bond* createConnectingBond(Atom* a, Atom* b, int order);

// True when a has more atoms than b.
bool compareMolecule(Molecule* a, Molecule* b);
