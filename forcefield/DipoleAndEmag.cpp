// The dipole moment from the partial charges and the Emag correction summed from its table.
#include "forcefield/MolecularSystem.h"

#include "parameters/InputParameters.h"

#include <cmath>

namespace {
const double kDebyePerElectronAngstrom = static_cast<double>(4.802813f);
}

void MolecularSystem::DipoleMoment() {
  fragmentDipoleX.assign(fragmentCount, 0.0);
  fragmentDipoleY.assign(fragmentCount, 0.0);
  fragmentDipoleZ.assign(fragmentCount, 0.0);
  fragmentDipoleMagnitude.assign(fragmentCount, 0.0);
  dipoleX = dipoleY = dipoleZ = dipoleMagnitude = 0.0;
  int first = 0;
  for (int f = 0; f < fragmentCount && f < static_cast<int>(fragmentLastAtom.size()); ++f) {
    const int last = fragmentLastAtom[f] < atomCount ? fragmentLastAtom[f] : atomCount - 1;
    double mx = 0.0, my = 0.0, mz = 0.0;
    for (int i = first; i <= last; ++i) {
      mx += charges[i] * coordinates[i].x;
      my += charges[i] * coordinates[i].y;
      mz += charges[i] * coordinates[i].z;
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
