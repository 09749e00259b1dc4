#pragma once

// Hands for the centres a molecule leaves open where its rings cannot take every hand: the
// bridgeheads and fusion atoms of a small bridged ring system. Built without labels, such a
// system comes out as whatever the construction and the optimisation happen to reach, which in
// a morphinan was a diastereomer no geometry holds (its written SMILES then refused on reading)
// and in others one 20 to 90 kcal/mol above the one nature makes.

#include <functional>
#include <string>
#include <vector>

class Atom;
class Molecule;

// The open centres of the molecule's ring systems that the graph constrains: atoms without a
// label, with four bonds and three or more of them in rings, when some hands of them make
// labels no geometry holds (findInsideOutBridgehead). Empty when every hand of them is
// possible (fused rings only), when there are more than the search takes, or when none is open.
struct OpenCageCentres {
  std::vector<Atom*> centres;
  // The hands (1 "@", 2 "@@" over each centre's neighbour list) that the graph allows, one list
  // per configuration, each configuration once (a mirror image left out when no other centre of
  // the molecule is labelled).
  std::vector<std::vector<int> > configurations;
};
OpenCageCentres findOpenCageCentres(Molecule& molecule);

// Builds the molecule once without the open hands and once with each configuration the graph
// allows (buildEnergy builds and optimises a copy of the molecule and returns its energy, or a
// non-finite value when the result holds a fault) and leaves on the centres the labels of the
// configuration of least energy, or none when the unlabelled build was the least; the molecule
// itself is left unbuilt. Returns the labels to take back once the chain has finished
// (restoreOpenHands); nothing when the molecule has no such centre.
struct OpenHandsKept {
  std::vector<Atom*> centres;
  std::vector<std::vector<Atom*> > neighbours;
  std::vector<int> labels;
  // True when the graph allows no other configuration: a build as the molecule came can end
  // nowhere else, so a refusal of this one is final.
  bool onlyPossibleForm = false;
  // True when the choice put labels on the centres.
  bool changed() const;
};
OpenHandsKept chooseOpenCageHands(Molecule& molecule,
                                  const std::function<double(Molecule&)>& buildEnergy);
// One error line when the finished molecule shows its open centres in hands no geometry holds,
// which its SMILES with the built stereo would carry to a reader that refuses them;
// empty when they are sound or there are none.
std::string describeOpenHandsFault(Molecule& molecule, const OpenHandsKept& kept);
// Puts the centres' labels and neighbour lists back as they were before the choice: the built
// geometry shows the chosen hands, and an input that left them open stays open.
void restoreOpenHands(const OpenHandsKept& kept);
