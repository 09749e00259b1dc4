// POV-Ray scene of a displayed molecule: its atom spheres and bond orbitals as they are drawn,
// as calls of the macros in "Resources/molecule_pov.inc", turned as the mesh is. Only the
// mesh's fields are read, so this library links no GL.
#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>

#include "io/IOEngine.h"
#include "math/UtilityEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "model/Spheroid.h"
#include "parameters/InputParameters.h"
#include "render/Mesh.h"

namespace {

constexpr float kDegPerRad = 57.295776f;
constexpr float kByteScale = 255.0f;

void writeAtomSphere(std::ostream& out, Spheroid* s) {
  unsigned char rgb[3];
  s->readFirstColour(rgb);
  out << "object { MakeAO( " << s->b << ", " << "<" << s->centre.x << ", " << s->centre.y << ", "
      << s->centre.z << ">, " << "<" << rgb[0] / kByteScale << ", " << rgb[1] / kByteScale
      << ", " << rgb[2] / kByteScale << "> " << " ) } \n";
}

float bondCharge(const Spheroid* s) {
  const Bond* bond = static_cast<const Bond*>(s->owner);
  if (bond == nullptr || bond->atom1 == nullptr || bond->atom2 == nullptr) return 0.0f;
  return InputParameters::instance()->findBondCharge(bond->atom1->type, bond->atom2->type,
                                                     bond->order);
}

void writeBondOrbital(std::ostream& out, const Spheroid* s) {
  SSEVector4f d = s->focus2 - s->focus1;
  d.normalize();
  d.clamp();
  // The include file lays the orbital's long axis along x, tilts it up by tilt about z and
  // turns it about y by turn.
  const float turn = -std::atan2(d.z, d.x) * kDegPerRad;
  const float tilt = std::asin(std::max(-1.0f, std::min(1.0f, d.y))) * kDegPerRad;
  out << "object { MakeMO( " << s->a << ", " << s->b << ", " << "<" << s->centre.x << ", "
      << s->centre.y << ", " << s->centre.z << ">, " << tilt << ", " << 0 << ", " << turn
      << ", " << bondCharge(s) << ", " << s->calculateSurfaceArea() << ", " << "0.5"
      << " ) } \n";
}

void writeScene(std::ostream& out, const Mesh& mesh) {
  out << "#include \"Resources/molecule_pov.inc\"\n\n";
  out << "camera { location <0, 0, 10> up y right <-1.33, 0, 0> look_at -z } \n";
  out << "\n#declare NUs = \nunion {\n";
  out << "}\n\n#declare AOs = \nunion {\n";
  for (Spheroid* s : mesh.spheroids)
    if (s->kind == SpheroidKind::AtomSphere || s->kind == SpheroidKind::AtomicOrbital)
      writeAtomSphere(out, s);
  out << "}\n\n#declare MOs = \nmerge {\n";
  for (const Spheroid* s : mesh.spheroids)
    if (s->kind == SpheroidKind::BondOrbital) writeBondOrbital(out, s);
  out << "}\n\n";
  out << "#declare molecule = union {\n"
      << "\tobject {NUs no_shadow}\n"
      << "\tobject {AOs no_shadow}\n"
      << "\tobject { difference {\n"
      << "\t\tobject {MOs no_shadow}\n"
      << "\t\tobject {AOs no_shadow}\n"
      << "\t\tno_shadow }\n"
      << "\t}\n";
  const SSEVector4f euler = mesh.rotation.toEuler();
  out << "\trotate z*" << euler.z * kDegPerRad << "\n";
  out << "\trotate x*" << euler.x * kDegPerRad << "\n";
  out << "\trotate y*" << euler.y * kDegPerRad << "\n";
  out << "}\n";
  out << "object { molecule \n" << "\trotate 360*clock*y\n" << "}\n\n";
}

}  // namespace

bool IOEngine::exportMoleculeToPovray(const Molecule* molecule, const std::string& fileName) {
  if (molecule == nullptr || molecule->mesh == nullptr) {
    ErrorLine() << "Error: exportMoleculeToPovray: no displayed molecule to write to \""
                << fileName << "\"";
    return false;
  }
  std::ostringstream text;
  writeScene(text, *molecule->mesh);
  // Written whole or not at all: an existing scene is replaced only by a complete one.
  std::string reason;
  if (!writeWholeFile(fileName, text.str(), reason)) {
    ErrorLine() << "Error: exportMoleculeToPovray: cannot write the scene \"" << fileName << "\" ("
                << reason << ")";
    return false;
  }
  return true;
}
