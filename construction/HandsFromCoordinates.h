#pragma once

// The hands a three-dimensional file shows, turned into the labels the set-up chain builds,
// checks and mends: a chirality label (Atom::piCount over Atom::neighbours) on every centre whose
// four substituents differ, and a cis or trans dihedral on every double bond whose ends each
// carry two different substituents. Only atoms that arrived with positions (Atom::isPlaced) are
// read; hydrogens the valence completion added stand last among a centre's neighbours.

#include <vector>

class Molecule;

struct HandCount {
  int centres = 0;       // centres labelled from the coordinates
  int doubleBonds = 0;   // double bonds given their cis or trans from the coordinates
};

// Labels the molecule's centres and double bonds from the positions of its placed atoms. Centres
// that lie flat within the reading tolerance and double bonds twisted near a right angle are left
// unlabelled. Run after the valence completion and before the coordinates are built.
HandCount labelHandsFromCoordinates(Molecule& molecule);

// A wedge of a flat drawing: the single bond from a centre to one neighbour (atom list
// positions) rises towards the viewer (+1) or falls away (-1) at the neighbour's end.
struct DrawnWedge {
  int centre = -1;
  int neighbour = -1;
  int direction = 0;
};

// Labels the centres of a flat drawing from the wedges that start at them, each centre read with
// only its own wedges raised; centres without a wedge and double bonds stay unlabelled.
HandCount labelHandsFromDrawing(Molecule& molecule, const std::vector<DrawnWedge>& wedges);
