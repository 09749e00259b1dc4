#pragma once

// New molecules made from molecules on screen: after an edit of the 3-D view (bond orders,
// deleted atoms, new bond axes, deleted bonds), by a join at two bond axes and by closing a
// ring between two axes of one molecule. The molecules given are never changed: each function
// works on graph copies, runs the result through the set-up chain and hands back the finished
// molecule, which the caller owns. A result the set-up chain refuses (stacked atoms, an
// inverted centre, a bond shorter than its orbital allows) is reported as one error line and
// no molecule.

#include <functional>
#include <string>
#include <vector>

class Bond;
class Molecule;

// The SMILES text of a finished molecule. The writer lives above this library, so the caller
// hands it in.
using SmilesText = std::function<std::string(Molecule*)>;

enum class EditOutcome {
  Rebuilt,     // `molecule` is the new finished molecule
  Emptied,     // the edit removed every atom: nothing takes the old molecule's place
  Unchanged,   // nothing to do (every mark withdrawn, ends already bonded, no such axes)
  Failed       // refused on the way; the error lines say why
};

struct EditResult {
  EditOutcome outcome = EditOutcome::Unchanged;
  Molecule* molecule = nullptr;   // owned by the caller; set only when Rebuilt
};

// A PDB structure this large keeps its names and SMILES text through an edit and is not
// optimised again: a protein would take minutes.
bool keepsNamesThroughEdits(const Molecule& molecule);

// A bond changed in the bond-order mode: its place in the molecule's bond list and the order
// it had before the first change.
struct SavedBondOrder {
  int bondIndex = -1;
  int order = 1;
};

// The bond-order mode's Apply on a molecule whose bond orders were changed in place. A bond to
// a hydrogen goes back to order 1; a bond that was aromatic has its ring's orders derived anew.
EditResult rebuildWithBondOrders(Molecule* edited, const std::vector<SavedBondOrder>& saved,
                                 const SmilesText& smiles);
// The marked modes' Apply, on the marks the molecule's atoms and bonds carry (Atom::editMark 1
// delete, 2 new bond axis; Bond::deleteMark 1). Unchanged when no mark is left.
// Deleting an atom also deletes its hydrogens and dummies; the valences are completed again.
EditResult rebuildWithoutMarkedAtoms(Molecule* marked, const SmilesText& smiles);
// Each marked hydrogen with a neighbour becomes the dummy end ("DUM", named "DUM" and its id)
// of an open bond axis along its old direction; no other atom moves.
EditResult rebuildWithNewBondAxes(Molecule* marked, const SmilesText& smiles);
// A marked bond to a hydrogen takes the hydrogen with it; the valences are completed again.
EditResult rebuildWithoutMarkedBonds(Molecule* marked, const SmilesText& smiles);

// Joins `second` onto `first` at one open bond axis each (bonds to a "DUM" atom of the same
// order, lying in the molecule named with them); the real atoms are bonded with the table's
// geometry for their types, the new bond flagged as a connection. The joined molecule lies in
// the frame of `first`'s real atom. Failed for axes of different orders or of no length.
EditResult joinAtBondAxes(Molecule* first, Bond* axis1, Molecule* second, Bond* axis2,
                          const SmilesText& smiles);
// Bonds the real atoms of two open bond axes of one molecule and builds its coordinates afresh.
// Unchanged when the real atoms are already bonded or an axis lies elsewhere.
EditResult closeRingAtBondAxes(Molecule* molecule, Bond* axis1, Bond* axis2,
                               const SmilesText& smiles);
