#pragma once

// The heavy atoms of the twenty standard amino acids, by their names in PDB files, so that a
// reader can say which residues of a file lack some: a side chain cut off where the density
// ended loads as a different amino acid capped with hydrogens, and nothing else would tell.

#include <string>
#include <vector>

// The heavy atoms of the standard set that names lacks, in the set's order; empty for a
// residue name that is no standard amino acid. The terminal oxygen OXT belongs to no set (most
// files leave it out), and the old names "CD" (isoleucine's CD1) and "OT1" (O) stand for theirs.
std::vector<std::string> missingHeavyAtoms(const std::string& residueName,
                                           const std::vector<std::string>& names);
