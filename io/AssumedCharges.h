#pragma once

// Charges a file leaves out, read off the bonds of its neutral nitrogens. Many public SD files
// store a nitro group as N(=O)=O and a charged amine without its charge, and a PDB file has no
// charges at all: a protein with its hydrogens gives lysine's NZ four bonds. A nitrogen makes
// three bonds unless it is charged, so these are N+, and the tables type them only as such.

#include <functional>
#include <string>
#include <vector>

class Atom;
class Molecule;

struct AssumedCharges {
  // Four-bonded nitrogens made N+: ammonium, guanidinium, iminium. A terminal partner that is
  // then one bond short (the oxygen of an N-oxide written N-O, the end of an azide or a diazo
  // group written with two double bonds) is made negative with it.
  std::vector<const Atom*> cations;
  // Five-bonded nitrogens charge-separated: one double bond to a terminal O or S (or a double or
  // triple bond to a terminal N) becomes one order lower, the nitrogen N+ and that atom
  // negative, so a nitro group N(=O)=O becomes [N+](=O)[O-].
  std::vector<const Atom*> separated;

  bool empty() const { return cations.empty() && separated.empty(); }
  // "1 four-bonded nitrogen made N+ (NZ) and 1 five-bonded nitrogen made N+ beside a negative
  // terminal atom (N2)", each list cut after a few names; nameOf names an atom.
  std::string describe(const std::function<std::string(const Atom*)>& nameOf) const;
};

// Separates the charges of every neutral five-bonded nitrogen; the atoms changed are appended to
// separated when it is given.
void separateFiveBondNitrogens(Molecule& m, std::vector<const Atom*>* separated = nullptr);

// Both steps on a molecule read from a file, before its valences are completed.
AssumedCharges assumeNitrogenCharges(Molecule& m);
