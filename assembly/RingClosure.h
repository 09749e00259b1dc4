#pragma once

// Closing one ring of a molecule between two open ends (bonds to "DUM" dummy atoms): the
// shortest chain of atoms between the two real end atoms is bent, stretched and twisted towards
// a regular ring of its size, the dummies go and a closing bond joins the chain's two ends.
//
// Bodies by topic: the path search and the corrections on the packed positions in
// RingClosure.cpp; the twist routines that turn side groups on the spheroids (the evaluation the
// genetic twist search uses among them) in RingClosureTwist.cpp.

#include <memory>
#include <vector>

#include "math/SSEMatrix4x4f.h"
#include "math/SSEVector4f.h"

class Atom;
class Bond;
class Molecule;

class RingClosure {
 public:
  // What the closing bond is made with; the caller fills it before the ring is made. Lengths
  // in Angstrom, the energy in eV.
  struct ClosingBondParameters {
    float eccentricity = 0.0f;    // c'/a
    float semiMajorAxis = 0.0f;   // a
    float semiMinorAxis = 0.0f;   // sqrt(a*a - c'*c')
    float focalDistance = 0.0f;   // 2c', the inter-nuclear distance
    float energy = 0.0f;
  };

  // With a null argument the object stays empty and initialisation fails. Otherwise the
  // molecule is renumbered (ids become list positions). With workOnCopy the ring is closed on a
  // clone that initialisation makes and this object owns.
  RingClosure(Molecule* molecule, Bond* openEnd1, Bond* openEnd2, bool workOnCopy);
  ~RingClosure();
  RingClosure(const RingClosure&) = delete;
  RingClosure& operator=(const RingClosure&) = delete;

  // Chooses the start side, finds the shortest path between the two real end atoms and marks
  // it. False for a null molecule or open end, fewer than three atoms, or no path.
  bool initializeRingClosure();
  // Breadth of the path search: every bond weighs 1, dummies take part like other atoms.
  void initializeDijkstra();
  bool findShortestPath();   // true once the end atom is reached
  int extractMin();          // the unsettled atom nearest the start, or -1
  // Marks in visited (one flag per atom id) every atom reachable from atom through unmarked
  // atoms, atom included.
  void partitionMolecule(Atom* atom, bool* visited);

  // Corrections that turn the path into a ring: one length entry per path bond (Angstrom), one
  // angle entry per inner path atom (degrees) and one dihedral entry per path bond (degrees),
  // appended to the three lists. calTransVector aims at a regular ring, calTransMatrix at the
  // ring template of the path's size.
  bool calTransVector(std::vector<float>& lengths, std::vector<float>& angles,
                      std::vector<float>& dihedrals);
  bool calTransMatrix(std::vector<float>& lengths, std::vector<float>& angles,
                      std::vector<float>& dihedrals);
  // Applies the corrections to the packed positions, removes both open ends and their dummies,
  // adds the closing bond and registers the ring, then rebuilds the spheroids and appends the
  // formula name and the energies. False when the closing bond or the spheroids are refused.
  bool creatRingConformation(std::vector<float>& lengths, std::vector<float>& angles,
                             std::vector<float>& dihedrals);

  // The molecule; with workOnCopy a new clone of the working copy that the caller owns.
  Molecule* getMolecule();
  // Distance between the first and the last path atom (sphere centres), Angstrom.
  float getDistanceLF();

  // Twist routines (RingClosureTwist.cpp); positions there are the atoms' sphere centres.
  // Moves the node's sphere and orbitals and everything hanging off it that is not on the path.
  void rotateNode(Atom* node, SSEMatrix4x4f* matrix);
  // The end-to-end distance the path would have after turning each of its first pathLength - 2
  // bonds by its angle (degrees; 0 or below leaves the bond alone). The molecule is not
  // changed. False, with distance -10000, when angles are missing.
  bool twistRingNodes(std::vector<float> twistDeg, float& endToEnd);
  // Twists the path bonds by exactly pathLength - 2 angles (degrees), turns both ends to face
  // each other and closes the ring on the spheroids.
  bool twistMolecule(std::vector<float> twistDeg);
  // Applies corrections as made by calTransVector on the spheroids and closes the ring.
  bool twistMolecule(std::vector<float>& lengths, std::vector<float>& angles,
                     std::vector<float>& dihedrals);
  // Turns the end atom about its bond to the pivot so that the open end comes closest to the
  // target; trial angles 1 .. 359 in the matrix builder's unit.
  bool fixTwist(Atom* pivot, Atom* turned, Atom* target, Bond* openEnd, Molecule* onMolecule);

  // Where an atom is drawn: its sphere's centre, or its position without a sphere.
  static SSEVector4f centreOf(const Atom* atom);
  // The dummy end of an open end: atom 1 when its type is "DUM", else atom 2.
  static Atom* dummyOf(const Bond* openEnd);
  static Atom* realEndOf(const Bond* openEnd);

  Molecule* molecule = nullptr;
  int startAtom = -1;   // atom id where the path starts
  int endAtom = -1;     // atom id where it ends
  int numAtoms = 0;     // counts at construction; they size the marker arrays
  int numBonds = 0;
  Bond* openEnd1 = nullptr;       // the open end at startAtom after initialisation
  Bond* openEnd2 = nullptr;       // the open end at endAtom
  std::vector<Atom*> pathAtoms;   // start first
  std::vector<Bond*> pathBonds;   // bond k joins path atoms k and k + 1
  int pathLength = 0;             // path atoms: the size of the ring to be made
  int closingColourFlag = 0;      // alternative colour of the closing bond's spheroid
  std::vector<int> onPathAtom;    // by atom id
  std::vector<int> onPathBond;    // by bond id
  std::vector<int> movedAtom;     // marks of rotateNode's walk
  std::vector<int> movedBond;
  int searchSize = 0;          // atom count when the path search began
  std::vector<int> distance;   // bonds from startAtom; 10000 unreached
  std::vector<int> previous;   // predecessor on the shortest path, -1 none
  std::vector<bool> done;      // settled
  bool hasRings = false;       // the molecule had rings before the closure
  bool workOnCopy = false;
  ClosingBondParameters closingBondParameters;

 private:
  // Marks the path atoms and bonds by their current ids (ids change when the dummies go).
  void markPath();
  bool isPathAtom(const Atom* atom) const;
  bool isPathBond(const Bond* bond) const;
  // Deletes both open ends and their dummies and renumbers; returns the first open end's order.
  int removeOpenEnds();
  // The closing bond between the first and last path atom, added to the molecule; null (with a
  // message) when the molecule refuses it.
  Bond* addClosingBond(int order);
  // Registers the path with the closing bond as a new ring flagged as a closure.
  void addClosureRing(Bond* closing);

  // Twist helpers (RingClosureTwist.cpp).
  // Moves path atoms firstAtom .. pathLength-1 with their side groups, and the path bonds from
  // firstBond on, by the matrix.
  void moveTail(int firstAtom, int firstBond, SSEMatrix4x4f matrix);
  // The closing bond's spheroid, laid along the bond between the two ends' centres.
  void attachClosingSpheroid(Bond* closing);
  // Turns the far part of the new ring away from the neighbours of its first two atoms.
  void reliefTurn(Bond* closing);

  std::unique_ptr<Molecule> workingCopy;   // the clone of workOnCopy, once made
};
