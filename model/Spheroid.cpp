#include "model/Spheroid.h"

#include <cmath>
#include <cstdlib>

int Spheroid::GlobalID = 0;

namespace {
MeshDestroy gDestroy = nullptr;
SpheroidStaging gStaging = nullptr;
}  // namespace

void setSpheroidStaging(SpheroidStaging staging) { gStaging = staging; }

bool Spheroid::holdsBuffer(SpheroidBuffer which) const {
  return bufferIds[static_cast<int>(which)] != ~0u;
}

void Spheroid::stage(SpheroidBuffer which, bool upload) {
  if (holdsBuffer(which) && gStaging != nullptr) gStaging(this, which, upload);
}

void Spheroid::readFirstColour(unsigned char rgb[3]) {
  // In the buffer-object paths the mesh's buffer holds the only copy of the colours.
  const bool buffered = colours == nullptr && holdsBuffer(SpheroidBuffer::Colour);
  if (buffered) stage(SpheroidBuffer::Colour, false);
  for (int i = 0; i < 3; ++i) rgb[i] = colours != nullptr ? colours[i] : NeutralGrey;
  if (buffered) {
    std::free(colours);
    colours = nullptr;
  }
}

void setMeshDestroy(MeshDestroy destroy) { gDestroy = destroy; }

void releaseSpheroid(Spheroid* s) {
  if (s == nullptr) return;
  if (s->meshSlot != nullptr && s->meshSlot->removeSpheroid(s) != 0) return;
  delete s;
}

void destroyMesh(Mesh* mesh) {
  if (mesh != nullptr && gDestroy != nullptr) gDestroy(mesh);
}

void Spheroid::initCommon() {
  id = GlobalID++;
  owner = nullptr;
  kind = SpheroidKind::Unset;
  meshSlot = nullptr;
  for (unsigned int& name : bufferIds) name = ~0u;
  indexRange[0] = indexRange[1] = 0;
  vertexRange[0] = vertexRange[1] = 0;
  focalDistance = 0.0f;
  rings = 0;
  segments = 0;
  numVertices = 0;
  numIndices = 0;
  vertices = nullptr;
  normals = nullptr;
  indices = nullptr;
  colours = nullptr;
  inMesh = false;
  isPicked = false;
  isClipped = false;
  altColour = false;
  isTwisting = false;
}

Spheroid::Spheroid(float eIn, float bIn, float aIn) {
  initCommon();
  isVisible = true;
  e = eIn;
  b = bIn;
  a = aIn;
  centre = SSEVector4f(0.0f, 0.0f, 0.0f, 1.0f);
  if (eIn == 1.0f || aIn == bIn) {
    e = 1.0f;
    b = a;
    focus1 = centre;
    focus2 = centre;
  } else {
    focalDistance = e * a;
    focus1 = SSEVector4f(0.0f, 0.0f, e * a, 1.0f);
    focus2 = SSEVector4f(0.0f, 0.0f, -e * a, 1.0f);
  }
}

Spheroid::Spheroid() {
  initCommon();
  isVisible = false;
  e = 0.0f;
  b = 1.0f;
  a = 2.0f;
  centre = SSEVector4f(0.0f, 0.0f, 0.0f, 1.0f);
  focus1 = centre;
  focus2 = centre;
}

Spheroid::~Spheroid() {
  std::free(vertices);
  std::free(normals);
  std::free(indices);
  std::free(colours);
  for (SSEVector4f* p : clipPoints) delete p;
  for (SSEVector4f* n : clipNormals) delete n;
  clipPoints.clear();
  clipNormals.clear();
}

Spheroid* Spheroid::clone(Mesh* /*mesh*/) const {
  Spheroid* copy = new Spheroid();
  copy->id = id;
  copy->b = b;
  copy->a = a;
  copy->e = e;
  copy->focalDistance = focalDistance;
  copy->focus1 = focus1;
  copy->focus2 = focus2;
  copy->centre = centre;
  copy->rings = rings;
  copy->segments = segments;
  copy->altColour = altColour;
  copy->isTwisting = isTwisting;
  copy->isVisible = isVisible;
  return copy;
}

void Spheroid::computeE() {
  if (a == 0.0f || a == b) {
    e = 0.0f;
    return;
  }
  const float ratio = 1.0f - (b * b) / (a * a);
  e = ratio > 0.0f ? std::sqrt(ratio) : 0.0f;
}
