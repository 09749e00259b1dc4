#pragma once

// What a finished geometry must show before a molecule is called finished: no two atoms that
// share no bond on top of each other, every labelled centre and every double bond with a cis or
// trans mark as written. GeometryRepair.cpp mends what the construction got wrong.

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "math/SSEVector4f.h"

class Atom;
class Bond;
class Molecule;

// Two atoms that share no bond and are closer than this (Angstrom) leave a molecule unfinished.
constexpr double kMinimumNonBondedDistance = 0.7;

struct AtomPair {
  Atom* first = nullptr;
  Atom* second = nullptr;
  double distanceAngstrom = 0.0;
};

using Point3 = std::array<double, 3>;

// Calls visit(i, j, distance) once for every pair i < j of points closer than limitAngstrom,
// through a cell grid: time near linear in the points. Points that are not finite take part in
// no pair.
void forEachPairWithin(const std::vector<Point3>& points, double limitAngstrom,
                       const std::function<void(size_t, size_t, double)>& visit);

// Pairs of atoms that share no bond and lie closer than limitAngstrom, from a cell grid: time
// near linear in the atoms. Atoms without a finite position are left out.
std::vector<AtomPair> findClosePairs(const Molecule& molecule, double limitAngstrom);

// A centre labelled "@" or "@@" with three listed neighbours and a lone pair (sulfoxides,
// sulfinamides, sulfonium ions, phosphines): the lone pair counts as the implicit fourth
// neighbour, standing where an implicit hydrogen would, right after the first listed neighbour.
// The slot the lone pair takes in the four (1); -1 for any other atom, four-bonded centres
// included.
int lonePairSlot(const Atom& centre);
// True for a centre whose label is read from coordinates: "@" or "@@" with four listed
// neighbours, or with three and a lone pair.
bool isHandedCentre(const Atom& centre);
// The place (0..3) of a listed neighbour among the four of a handed centre, the lone pair
// counted; -1 when it is no listed neighbour.
int stereoSlot(const Atom& centre, const Atom* neighbour);

// How the hand of a centre with four listed neighbours (Atom::neighbours, in SMILES order) is
// read from coordinates: the volume spanned about the centre by three of them, the hydrogen left
// out when there is one (its place follows from the others, and a hydrogen pushed to the wrong
// side of a strained centre springs back in the first optimisation), else the last. The sign is
// that of the volume for "@@"; for "@" it is the other.
// A centre with a lone pair reads its three listed neighbours.
struct HandReading {
  int read[3] = {0, 1, 2};   // positions in Atom::neighbours
  double signForDoubleAt = 1.0;
};
bool readHand(const Atom& centre, HandReading& reading);
// The sign (+1 or -1) of the volume that the listed neighbours at positions a, b and c span about
// a centre standing as "@@" asks; 0 when two positions repeat or one lies outside 0..3.
double doubleAtVolumeSign(int a, int b, int c);
// The hand of a centre's listed neighbours in the coordinates: 1 when they stand as "@" asks
// (anticlockwise seen from the first), 2 as "@@" asks, 0 when the three that are read lie
// nearly flat with the centre or the centre is not handed.
int handednessInSpace(const Atom& centre);
// Handed centres whose coordinates show another hand.
std::vector<Atom*> findInvertedCentres(const Molecule& molecule);
// True for a double bond whose cis or trans comes from slash marks: the bond's dihedral
// reference atoms are joined to its ends by marked bonds, and it lies in no ring of fewer than
// eight atoms.
bool hasMarkedDihedral(const Bond& bond);
// Marked double bonds whose coordinates show the other side (or neither).
std::vector<Bond*> findFlippedDoubleBonds(const Molecule& molecule);
// One error line naming the first fault of the molecule's atom positions (a position that is not
// finite, two atoms too close, an inverted centre, a flipped double bond); empty when sound.
std::string describeGeometryFault(const Molecule& molecule);

// Labels no geometry holds (BridgeheadHands.cpp): two labelled bridgeheads joined by three
// bridges of at most eight atoms together whose labels put the fourth bond of one of them
// inside the cage, as in the trans-bridged tropine CN1[C@@H]2CC[C@@H]1CC(C2)O. Read from the
// graph and labels alone. The later of the two in the atom list; null when there is none.
Atom* findInsideOutBridgehead(const Molecule& molecule);
// One error line naming that centre, in the words describeGeometryFault uses for a centre of the
// wrong hand; empty when there is none.
std::string describeInsideOutBridgehead(const Molecule& molecule);

// A finished bond may differ from its table length by at most this much (Angstrom) once the
// optimiser converged: the strain of a small ring or a cage holds a bond off its row.
constexpr double kBondLengthTolerance = 0.25;
// A relaxation its bound of work stopped before it converged is held to this much: no strain of
// a minimum holds its bonds off, only steps not taken (a chain of 1,666 cyclohexanes had C-C
// bonds of 1.41 to 1.60 Angstrom and poly(p-xylylene) aromatic ones of 1.27).
constexpr double kBoundedBondLengthTolerance = 0.1;

// The length a bond should have: its bond-table row for the two atom types and its order, else
// the sum of the two elements' covalent radii; 0 when neither is known (a bond axis's dummy
// end, an element without a radius).
double expectedBondLength(const Bond& bond);
// One error line naming the bond farthest from its expected length when that is more than the
// tolerance; empty when every bond is within it. One table lookup per pair of types and order.
std::string describeBondLengthFault(const Molecule& molecule,
                                    double toleranceAngstrom = kBondLengthTolerance);
// Two atoms that share no bond closer than this (Angstrom) leave a molecule the set-up chain
// optimised unfinished: no real contact comes so near.
constexpr double kFinishedNonBondedDistance = 1.0;
// Two atoms three or more bonds apart (or in different fragments) closer than this (Angstrom)
// leave such a molecule unfinished too: they have passed through each other. Real contacts of
// atoms that far apart in the graph stay near 2 Angstrom or more.
constexpr double kFinishedFarPairDistance = 1.5;
// Pairs of atoms that share no bond and lie closer than kFinishedNonBondedDistance, or share
// neither a bond nor a neighbour and lie closer than kFinishedFarPairDistance; closest first.
std::vector<AtomPair> findTangledPairs(const Molecule& molecule);
// The faults only the set-up chain's own result is judged by: a bond far from its length
// (describeBondLengthFault), then the closest of findTangledPairs; empty when there is none.
std::string describeChainFault(const Molecule& molecule,
                               double bondToleranceAngstrom = kBondLengthTolerance);
// The checks of a molecule the set-up chain calls finished: describeGeometryFault, then
// describeChainFault.
std::string describeFinishedFault(const Molecule& molecule,
                                  double bondToleranceAngstrom = kBondLengthTolerance);

// Mends atom positions in place when they have an inverted centre, a flipped double bond,
// overlapping heavy atoms or any two atoms closer than closeLimitAngstrom: turns the centres and
// bonds over where a branch can move, then relaxes the whole under restraints (bond lengths,
// ideal angles, labelled hands, flat trigonal centres, marked double bonds, no overlap). Atoms
// flagged in fixed never move. A repair that leaves more faults than it found is undone.
void repairGeometry(Molecule& molecule, const std::vector<bool>& fixed, double closeLimitAngstrom);

// Layouts of the whole molecule relaxed under the restraints of the repair to convergence, one
// per start: start 0 from the atoms' positions, any other from the atoms spread at random with
// the start as the seed. Only those that pass every check above, least strained first, each as
// one position per atom in list order. The atoms keep their positions.
std::vector<std::vector<SSEVector4f> > soundLayouts(Molecule& molecule,
                                                    const std::vector<unsigned>& starts);
