// Writer of the own molecule file ".kv". The file is written to a temporary file beside the
// target and renamed over it only when every line went out, so a failed write leaves the old
// file whole.

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

#include "io/IOEngine.h"
#include "math/UtilityEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "model/Spheroid.h"

namespace {

constexpr float kZeroRadiusWritten = 0.02645f;   // Angstrom; a zero radius draws no sphere

// A record field: "-" when empty, white space replaced by "_" so that it reads back as one.
std::string field(const std::string& text) {
  if (text.empty()) return "-";
  std::string out = text;
  for (char& c : out)
    if (std::isspace(static_cast<unsigned char>(c)) != 0) c = '_';
  return out;
}

// A whole-line entry (name, display name, SMILES): line breaks would start new lines.
std::string lineText(const std::string& text) {
  std::string out = text;
  for (char& c : out)
    if (c == '\n' || c == '\r') c = '_';
  return out;
}

void writePairs(std::ostream& out, const std::vector<std::string>& first,
                const std::vector<std::string>& second) {
  const size_t count = std::min(first.size(), second.size());
  for (size_t i = 0; i < count; ++i) {
    if (i > 0) out << ' ';
    out << field(first[i]) << ' ' << field(second[i]);
  }
  out << '\n';
}

void writeMolecule(std::ostream& out, Molecule* molecule) {
  out << "#NAMES\n";
  for (const std::string& name : molecule->names) out << lineText(name) << '\n';
  out << "#DISPLAY_NAME\n" << lineText(molecule->displayName) << '\n';
  out << "#SMILES\n" << lineText(molecule->smiles) << '\n';
  out << "#ENERGIES\n"
      << molecule->energyCorrection << ' ' << molecule->totalBondEnergy << ' '
      << molecule->heatOfFormation << ' ' << molecule->dipoleMoment << '\n';
  out << "#SFUNC\n"
      << ((molecule->sfunc == "SPECIAL" || molecule->sfunc == "Special") ? 1 : 0) << '\n';

  out << "#ATOMS\n";
  const size_t atomCount = std::min<size_t>(molecule->numAtoms, molecule->atoms.size());
  for (size_t i = 0; i < atomCount; ++i) {
    const Atom* a = molecule->atoms[i];
    // The molecule's own coordinates, as the other writers give them: a molecule on screen
    // has its spheres moved about the mesh's centre, the local frame the view draws.
    const SSEVector4f& p = a->position;
    out << field(a->element) << ' ' << field(a->type) << ' ' << field(a->superType) << ' '
        << field(a->name) << ' ' << std::max(a->mass, 0.0f) << ' '
        << (a->radius == 0.0f ? kZeroRadiusWritten : a->radius) << ' ' << field(a->groupName)
        << ' ' << field(a->groupIndex) << ' ' << field(a->groupInstance) << ' '
        << a->piElectrons << ' ' << static_cast<float>(a->charge) << ' ' << p.x << ' ' << p.y
        << ' ' << p.z << '\n';
  }

  out << "#BONDS\n";
  const size_t bondCount = std::min<size_t>(molecule->numBonds, molecule->bonds.size());
  for (size_t i = 0; i < bondCount; ++i) {
    const Bond* b = molecule->bonds[i];
    if (b->atom1 == nullptr || b->atom2 == nullptr) continue;
    const bool axis = b->atom1->type == "DUM" || b->atom2->type == "DUM";
    const int shapeKind = axis ? SpheroidKind::OpenBondAxis : SpheroidKind::BondOrbital;
    const int kind = b->spheroid != nullptr ? b->spheroid->kind : shapeKind;
    out << b->atom1->id << ' ' << b->atom2->id << ' ' << b->order << ' ' << b->energy << ' '
        << static_cast<float>(b->focalDistance) << ' ' << static_cast<float>(b->semiMajorAxis)
        << ' ' << b->momentTerm << ' ' << kind << ' ' << field(b->groupName) << ' '
        << field(b->groupIndex) << ' ' << field(b->groupInstance) << ' ' << (b->inRing ? 1 : 0)
        << ' ' << (b->isApproximated ? 1 : 0) << '\n';
  }

  if (!molecule->replaceFrom.empty()) {
    out << "#REPLACE\n";
    writePairs(out, molecule->replaceFrom, molecule->replaceTo);
  }
  if (!molecule->updateFrom.empty()) {
    out << "#UPDATE\n";
    writePairs(out, molecule->updateFrom, molecule->updateTo);
  }
}

}  // namespace

int IOEngine::writeKvtFile(Molecule* molecule, const char* fileName) {
  if (molecule == nullptr) {
    ErrorLine() << "Error: No molecule data";
    return 0;
  }
  const std::string target(fileName != nullptr ? fileName : "");
  if (target.empty()) {
    ErrorLine() << "Error: can not open file " << target << " (no file name)";
    return 0;
  }
  std::ostringstream out;
  molecule->update();
  writeMolecule(out, molecule);
  // A failed write leaves the old file as it was.
  std::string reason;
  if (!writeWholeFile(target, out.str(), reason)) {
    ErrorLine() << "Error: can not open file " << target << " (" << reason << ")";
    return 0;
  }
  return 1;
}
