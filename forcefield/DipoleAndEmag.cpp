// The dipole moment from the partial charges (with the separated charges of a zwitterion) and the
// Emag correction summed from its table.
#include "forcefield/MolecularSystem.h"

#include "model/Atom.h"
#include "model/Molecule.h"
#include "parameters/InputParameters.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

const double kDebyePerElectronAngstrom = static_cast<double>(4.802813f);
// The separated charges of a zwitterion polarise the bonds between them, which takes about a
// quarter of their moment: with the whole charges glycine's extended zwitterion came out at
// 17 D against the 10 to 13 computed for it, and a long chain grew by the full 4.8 D per
// Angstrom of separation where measured amino-acid series grow by 3 to 4.
const double kSeparatedChargeScreening = 0.75;

}  // namespace

// The atoms besides `from` that a charge on `from` is delocalised over: the other neighbours of a
// neighbour of `from` that have from's element and whose bond to that neighbour has the other
// order, single or double (the second oxygen of a carboxylate, the other nitrogens of a
// guanidinium); aromatic rings keep their charge where it is written.
std::vector<int> MolecularSystem::delocalisedPartners(int from) const {
  std::vector<int> partners;
  auto orderOf = [this](int a, int b) {
    const int bond = getBondId(a, b);
    return bond < 0 ? 0 : bondOrder[bond];
  };
  for (int p = runStart(neighbourEnd, from); p <= neighbourEnd[from]; ++p) {
    const int centre = neighbours[p];
    const int own = orderOf(from, centre);
    if (own != 1 && own != 2) continue;
    for (int q = runStart(neighbourEnd, centre); q <= neighbourEnd[centre]; ++q) {
      const int other = neighbours[q];
      const int order = orderOf(centre, other);
      if (other == from || atomElements[other] != atomElements[from]) continue;
      if ((order == 1 || order == 2) && order != own &&
          std::find(partners.begin(), partners.end(), other) == partners.end())
        partners.push_back(other);
    }
  }
  return partners;
}

void MolecularSystem::fillSeparatedCharges(const Molecule& molecule) {
  separatedCharges.assign(atomCount, 0.0);
  if (static_cast<int>(molecule.atoms.size()) != atomCount) return;
  std::vector<int> formal(atomCount, 0);
  bool any = false;
  for (int a = 0; a < atomCount; ++a) {
    if (molecule.atoms[a] == nullptr || atomTypes[a] == "DUM") continue;
    formal[a] = molecule.atoms[a]->charge;
    any = any || formal[a] != 0;
  }
  if (!any) return;
  // Opposite charges on bonded atoms are one neutral group written with separated charges (a
  // nitro group, an N-oxide, an azide, an isocyanide): its bond moments already carry its
  // dipole, so the two cancel.
  for (int b = 0; b < bondCount; ++b) {
    int& first = formal[bondAtom1[b]];
    int& second = formal[bondAtom2[b]];
    if ((first > 0 && second < 0) || (first < 0 && second > 0)) {
      const int common = std::min(std::abs(first), std::abs(second));
      first += first > 0 ? -common : common;
      second += second > 0 ? -common : common;
    }
  }
  int net = 0;
  for (int q : formal) net += q;
  // An ion's dipole depends on where it is measured from; it keeps the bond moments' dipole.
  if (net != 0) return;
  for (int a = 0; a < atomCount; ++a) {
    if (formal[a] == 0) continue;
    std::vector<int> over = delocalisedPartners(a);
    over.push_back(a);
    for (int atom : over)
      separatedCharges[atom] +=
          kSeparatedChargeScreening * formal[a] / static_cast<double>(over.size());
  }
}

void MolecularSystem::DipoleMoment() {
  fragmentDipoleX.assign(fragmentCount, 0.0);
  fragmentDipoleY.assign(fragmentCount, 0.0);
  fragmentDipoleZ.assign(fragmentCount, 0.0);
  fragmentDipoleMagnitude.assign(fragmentCount, 0.0);
  dipoleX = dipoleY = dipoleZ = dipoleMagnitude = 0.0;
  const bool separated = static_cast<int>(separatedCharges.size()) == atomCount;
  int first = 0;
  for (int f = 0; f < fragmentCount && f < static_cast<int>(fragmentLastAtom.size()); ++f) {
    const int last = fragmentLastAtom[f] < atomCount ? fragmentLastAtom[f] : atomCount - 1;
    double mx = 0.0, my = 0.0, mz = 0.0;
    for (int i = first; i <= last; ++i) {
      const double charge = charges[i] + (separated ? separatedCharges[i] : 0.0);
      mx += charge * coordinates[i].x;
      my += charge * coordinates[i].y;
      mz += charge * coordinates[i].z;
    }
    mx *= kDebyePerElectronAngstrom;
    my *= kDebyePerElectronAngstrom;
    mz *= kDebyePerElectronAngstrom;
    fragmentDipoleX[f] = mx;
    fragmentDipoleY[f] = my;
    fragmentDipoleZ[f] = mz;
    fragmentDipoleMagnitude[f] = std::sqrt(mx * mx + my * my + mz * mz);
    dipoleX += mx;
    dipoleY += my;
    dipoleZ += mz;
    first = last + 1;
  }
  dipoleMagnitude = std::sqrt(dipoleX * dipoleX + dipoleY * dipoleY + dipoleZ * dipoleZ);
}

float MolecularSystem::calEmag() const {
  InputParameters* params = InputParameters::instance();
  float sum = 0.0f;
  for (int b = 0; b < bondCount; ++b)
    sum += params->findEmagParameters(atomTypes[bondAtom1[b]], atomTypes[bondAtom2[b]],
                                      static_cast<unsigned int>(bondOrder[b]));
  for (int t = 0; t < angleCount; ++t)
    sum += params->findEmagParameters(atomTypes[angleAtom1[t]], atomTypes[angleCentre[t]],
                                      atomTypes[angleAtom3[t]]);
  for (int d = 0; d < dihedralCount; ++d)
    sum += params->findEmagParameters(atomTypes[dihedralAtom1[d]], atomTypes[dihedralAtom2[d]],
                                      atomTypes[dihedralAtom3[d]], atomTypes[dihedralAtom4[d]],
                                      static_cast<unsigned int>(dihedralBondOrder[d]));
  return sum;
}
