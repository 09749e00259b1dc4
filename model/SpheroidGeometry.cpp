// Tessellation, colouring and placement of a spheroid's geometry.
#include "model/Spheroid.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "math/Constants.h"
#include "math/UtilityEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "parameters/InputParameters.h"

namespace {

// Direction components below this are taken as exact zeros before a bond axis is turned, so
// an axis along a coordinate axis gives clean angles.
constexpr float kAxisComponentFloor = 0.0001f;

struct ElementColour {
  const char* symbol;
  unsigned char rgb[3];
};

// Upper-case symbols; anything else is white.
const ElementColour kElementColours[] = {
    {"H", {255, 255, 255}},  {"C", {200, 200, 200}},  {"N", {143, 143, 255}},
    {"O", {240, 0, 0}},      {"S", {255, 200, 50}},   {"CL", {0, 255, 0}},
    {"B", {0, 255, 0}},      {"AR", {0, 255, 0}},     {"BR", {165, 42, 42}},
    {"I", {160, 32, 240}},   {"SI", {218, 165, 32}},  {"F", {218, 165, 32}},
    {"AU", {218, 165, 32}},  {"HE", {255, 192, 203}}, {"LI", {178, 34, 34}},
    {"BA", {255, 165, 0}},   {"P", {255, 165, 0}},    {"NA", {0, 0, 255}},
    {"MG", {34, 139, 34}},   {"CA", {128, 128, 144}}, {"MN", {128, 128, 144}},
    {"AL", {128, 128, 144}}, {"TI", {128, 128, 144}}, {"CR", {128, 128, 144}},
    {"AG", {128, 128, 144}}, {"ZN", {165, 42, 42}},   {"CU", {165, 42, 42}},
    {"NI", {165, 42, 42}},   {"BE", {255, 32, 147}},  {"CO", {255, 32, 147}},
    {"SC", {255, 32, 147}},  {"SE", {255, 32, 147}},  {"SR", {255, 32, 147}},
    {"SN", {255, 32, 147}},  {"SB", {255, 32, 147}},  {"PD", {255, 32, 147}},
    {"HF", {255, 32, 147}},  {"OS", {255, 32, 147}},  {"PT", {255, 32, 147}},
    {"HG", {255, 32, 147}},  {"PB", {255, 32, 147}},  {"BI", {255, 32, 147}},
    {"PO", {255, 32, 147}},  {"FR", {255, 32, 147}},  {"HA", {255, 32, 147}},
    {"NE", {255, 32, 147}},  {"NB", {255, 32, 147}},  {"CD", {255, 32, 147}},
    {"IN", {255, 32, 147}},  {"IR", {255, 32, 147}},
};

SSEMatrix4x4f rotationY(float angle) {
  SSEMatrix4x4f m;
  m.createRotateYMatrix(angle);
  return m;
}

SSEMatrix4x4f rotationZ(float angle) {
  SSEMatrix4x4f m;
  m.createRotateZMatrix(angle);
  return m;
}

// For a unit direction d: yaw turns about y, pitch lifts out of the x-z plane.
float yawOf(const SSEVector4f& d) { return std::atan2(d.z, d.x); }
float pitchOf(const SSEVector4f& d) { return std::asin(std::max(-1.0f, std::min(1.0f, d.y))); }

SSEVector4f unitDirection(const SSEVector4f& from, const SSEVector4f& to) {
  SSEVector4f d = to - from;
  d.w = 0.0f;
  d.normalize();
  return d;
}

}  // namespace

void Spheroid::elementColour(const std::string& symbol, unsigned char rgb[3]) {
  std::string upper = symbol;
  UtilityEngine::instance()->toUpper(upper);
  for (const ElementColour& entry : kElementColours) {
    if (upper == entry.symbol) {
      std::memcpy(rgb, entry.rgb, 3);
      return;
    }
  }
  rgb[0] = rgb[1] = rgb[2] = 255;
}

void Spheroid::rampColour(float hIn, bool swapRedGreen, unsigned char rgb[3]) {
  // A bond charge above 1 would push h below 0 and the value above 1, past a byte.
  const double h = std::max(0.0, std::min(1.0, static_cast<double>(hIn)));
  double sector = 6.0 * h;
  if (sector >= 6.0) sector = 0.0;
  const float v = static_cast<float>(1.0 - h / 2.0);
  const int i = static_cast<int>(std::floor(sector));
  const float f = static_cast<float>(sector - i);
  const float p = 0.0f, q = v * (1.0f - f), t = v * f;
  float r = v, g = t, bl = p;
  switch (i) {
    case 0: r = v; g = t; bl = p; break;
    case 1: r = q; g = v; bl = p; break;
    case 2: r = p; g = v; bl = t; break;
    case 3: r = p; g = q; bl = v; break;
    case 4: r = t; g = p; bl = v; break;
    default: r = v; g = p; bl = q; break;
  }
  const unsigned char red = static_cast<unsigned char>(r * 255.0f);
  const unsigned char green = static_cast<unsigned char>(g * 255.0f);
  rgb[0] = swapRedGreen ? green : red;
  rgb[1] = swapRedGreen ? red : green;
  rgb[2] = static_cast<unsigned char>(bl * 255.0f);
}

bool Spheroid::createGeometry() {
  if (rings != segments || rings < 2 || rings > MaxRings) {
    ErrorLine() << "Error: Spheroid::createGeometry: rings \"" << rings << "\" and segments \""
                << segments << "\" must be equal and within 2.." << MaxRings;
    return false;
  }
  const int R = rings, S = segments;
  centre = SSEVector4f(0.0f, 0.0f, 0.0f, 1.0f);
  numIndices = 4 * R * S;
  numVertices = (R - 1) * S + 2;
  std::free(vertices);
  std::free(normals);
  std::free(colours);
  std::free(indices);
  vertices = static_cast<float*>(std::malloc(sizeof(float) * 3 * numVertices));
  normals = static_cast<float*>(std::malloc(sizeof(float) * 3 * numVertices));
  colours = static_cast<unsigned char*>(std::malloc(4 * static_cast<size_t>(numVertices)));
  indices = static_cast<std::uint16_t*>(std::malloc(sizeof(std::uint16_t) * numIndices));

  const float dTheta = kPi / R, dPhi = kTwoPi / S;
  auto put = [this](int v, float x, float y, float z) {
    vertices[3 * v] = x;
    vertices[3 * v + 1] = y;
    vertices[3 * v + 2] = z;
  };
  put(0, 0.0f, 0.0f, a);
  // Rings 1 .. R-2 from the loop; counted by integers so rounding of the angles cannot add or
  // drop a ring.
  int v = 1;
  for (int r = 1; r <= R - 2; ++r) {
    const float theta = r * dTheta;
    for (int j = 0; j < S; ++j, ++v) {
      const float phi = j * dPhi;
      put(v, b * std::sin(theta) * std::cos(phi), b * std::sin(theta) * std::sin(phi),
          a * std::cos(theta));
    }
  }
  // Ring R-1 mirrors ring 1 through the equator, so the two caps are exact mirror images.
  for (int j = 0; j < S; ++j, ++v) {
    const float phi = j * dPhi;
    put(v, b * std::sin(dTheta) * std::cos(phi), b * std::sin(dTheta) * std::sin(phi),
        -a * std::cos(dTheta));
  }
  put(v, 0.0f, 0.0f, -a);

  vertexRange[0] = 0;
  vertexRange[1] = static_cast<std::uint16_t>(numVertices);
  createFoci();

  // The normal is the direction from the centre, not the true surface normal: the lighting
  // of the bond orbitals is meant to look round.
  for (int i = 0; i < numVertices; ++i) {
    SSEVector4f n(vertices[3 * i], vertices[3 * i + 1], vertices[3 * i + 2], 0.0f);
    n.normalize();
    normals[3 * i] = n.x;
    normals[3 * i + 1] = n.y;
    normals[3 * i + 2] = n.z;
  }

  colourGeometry();

  std::uint16_t* out = indices;
  auto quad = [&out](int i0, int i1, int i2, int i3) {
    *out++ = static_cast<std::uint16_t>(i0);
    *out++ = static_cast<std::uint16_t>(i1);
    *out++ = static_cast<std::uint16_t>(i2);
    *out++ = static_cast<std::uint16_t>(i3);
  };
  auto ringVertex = [S](int r, int j) { return 1 + (r - 1) * S + (j % S); };
  for (int j = 0; j < S; ++j) quad(0, ringVertex(1, j), ringVertex(1, j + 1), 0);
  for (int r = 1; r <= R - 2; ++r)
    for (int j = 0; j < S; ++j)
      quad(ringVertex(r, j), ringVertex(r + 1, j), ringVertex(r + 1, j + 1), ringVertex(r, j + 1));
  const int last = numVertices - 1;
  for (int j = 0; j < S; ++j) quad(last, ringVertex(R - 1, j + 1), ringVertex(R - 1, j), last);

  // The buffer-object paths overwrite this range when the mesh takes the spheroid.
  indexRange[0] = 0;
  indexRange[1] = static_cast<std::uint16_t>(numIndices);
  inMesh = true;
  return true;
}

void Spheroid::createFoci() {
  computeE();
  focalDistance = e * a;
  SSEVector4f u(0.0f, 0.0f, 1.0f, 0.0f);
  if (vertices != nullptr && numVertices > 0) {
    u = SSEVector4f(vertices[0], vertices[1], vertices[2], 1.0f) - centre;
    u.w = 0.0f;
    u.normalize();
  }
  focus1 = centre + u * focalDistance;
  focus2 = centre - u * focalDistance;
  focus1.w = focus2.w = 1.0f;
}

void Spheroid::colourGeometry() {
  unsigned char rgb[3] = {NeutralGrey, NeutralGrey, NeutralGrey};
  const bool sphere = (b == a) || e == 0.0f;
  bool ramp = false;
  if (sphere) {
    const Atom* atom = nullptr;
    if (kind == SpheroidKind::AtomSphere) atom = static_cast<const Atom*>(owner);
    if (kind == SpheroidKind::AtomicOrbital && owner != nullptr)
      atom = static_cast<const Ao*>(owner)->atom;
    if (atom != nullptr) elementColour(atom->element, rgb);
  } else if (kind == SpheroidKind::OpenBondAxis) {
    const Bond* bond = static_cast<const Bond*>(owner);
    const int order = bond != nullptr ? bond->order : 0;
    if (order == 1) rgb[0] = 0, rgb[1] = 255, rgb[2] = 0;
    if (order == 2) rgb[0] = 255, rgb[1] = 255, rgb[2] = 0;
    if (order == 3) rgb[0] = 255, rgb[1] = 0, rgb[2] = 0;
  } else if (kind == SpheroidKind::BondOrbital) {
    ramp = true;
  }
  for (int i = 0; i < numVertices; ++i) {
    std::memcpy(colours + 4 * i, rgb, 3);
    colours[4 * i + 3] = 255;
  }
  if (ramp) colourBondOrbital();
}

void Spheroid::colourBondOrbital() {
  const Bond* bond = static_cast<const Bond*>(owner);
  float charge = 0.0f;
  if (bond != nullptr && bond->atom1 != nullptr && bond->atom2 != nullptr)
    charge = InputParameters::instance()->findBondCharge(bond->atom1->type, bond->atom2->type,
                                                         bond->order);
  const float Q = std::fabs(charge);
  const float area = calculateSurfaceArea();
  // The ramp starts at the focus2 pole and runs along the axis to the far pole.
  SSEVector4f d = focus2 - centre;
  d.w = 0.0f;
  d.normalize();
  d.clamp();
  if (d.length() == 0.0f) d = SSEVector4f(0.0f, 0.0f, -1.0f, 0.0f);
  const SSEVector4f pole = centre + d * a;
  const float a2 = a * a;
  for (int i = 0; i < numVertices; ++i) {
    const SSEVector4f V(vertices[3 * i], vertices[3 * i + 1], vertices[3 * i + 2], 1.0f);
    const float s = (V - pole).dot(-d);
    const float t = std::fabs(a - s);
    const float radicand = a2 * a2 + t * t * (b * b - a2);
    const float K = radicand > 0.0f ? a2 * b / std::sqrt(radicand) : 0.0f;
    const float along = a != 0.0f ? std::min(1.0f, Q * s / a) : 0.0f;
    const float h = std::min(1.0f, along + (area > 0.0f ? (1.0f - Q) * K / area : 0.0f));
    rampColour(h, altColour, colours + 4 * i);
  }
}

bool Spheroid::createTransformedGeometry() {
  const SSEVector4f previousCentre = centre;
  const SSEVector4f previousFocus1 = focus1;
  const SSEVector4f previousFocus2 = focus2;
  if (!createGeometry()) return false;

  if (kind == SpheroidKind::OpenBondAxis) {
    SSEVector4f d = unitDirection(previousFocus1, previousFocus2);
    if (std::fabs(d.x) < kAxisComponentFloor) d.x = 0.0f;
    if (std::fabs(d.y) < kAxisComponentFloor) d.y = 0.0f;
    if (std::fabs(d.z) < kAxisComponentFloor) d.z = 0.0f;
    // Local +z goes to -d, so local focus1 lands on the side of the previous focus1.
    SSEMatrix4x4f M;
    M *= rotationY(-kPi / 2.0f);
    M *= rotationZ(pitchOf(d));
    M *= rotationY(-yawOf(d));
    M *= translationMatrix(previousCentre);
    transformGeometry(&M);
  } else if (kind == SpheroidKind::BondOrbital) {
    // First lay the local axis along +x with focus1 at the origin ...
    SSEVector4f d = unitDirection(focus1, focus2);
    d.clamp();
    SSEMatrix4x4f toAxis;
    toAxis *= translationMatrix(-SSEVector4f(focus1.x, focus1.y, focus1.z, 0.0f));
    toAxis *= rotationY(yawOf(d));
    toAxis *= rotationZ(-pitchOf(d));
    transformGeometry(&toAxis);
    // ... then turn +x onto the bond and put focus1 on the anchor atom. A bond whose atoms or
    // spheres are missing keeps the axis its foci had.
    SSEVector4f anchor = previousFocus1;
    SSEVector4f toward = previousFocus2;
    const Bond* bond = static_cast<const Bond*>(owner);
    if (bond != nullptr && bond->atom1 != nullptr && bond->atom2 != nullptr &&
        bond->atom1->sphere != nullptr && bond->atom2->sphere != nullptr) {
      const SSEVector4f c1 = bond->atom1->sphere->centre;
      const SSEVector4f c2 = bond->atom2->sphere->centre;
      anchor = bond->momentTerm > 0.0f ? c2 : c1;
      toward = bond->momentTerm > 0.0f ? c1 : c2;
    }
    SSEVector4f dBond = unitDirection(anchor, toward);
    dBond.clamp();
    SSEMatrix4x4f toBond;
    toBond *= rotationZ(pitchOf(dBond));
    toBond *= rotationY(-yawOf(dBond));
    toBond *= translationMatrix(SSEVector4f(anchor.x, anchor.y, anchor.z, 1.0f));
    transformGeometry(&toBond);
  } else {
    SSEMatrix4x4f M = translationMatrix(previousCentre);
    transformGeometry(&M);
  }
  inMesh = true;
  return true;
}
