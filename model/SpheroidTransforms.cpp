// World transforms, deep copies and surface areas of a spheroid.
#include "model/Spheroid.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "math/Constants.h"
#include "model/Atom.h"
#include "model/Bond.h"

namespace {

// Copies count elements of type T into a fresh malloc'ed array; null for no source.
template <typename T>
T* copyArray(const T* source, size_t count) {
  if (source == nullptr || count == 0) return nullptr;
  T* copy = static_cast<T*>(std::malloc(sizeof(T) * count));
  std::memcpy(copy, source, sizeof(T) * count);
  return copy;
}

float distance(const float* p, const float* q) {
  const float dx = p[0] - q[0], dy = p[1] - q[1], dz = p[2] - q[2];
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

float triangleArea(const float* p, const float* q, const float* r) {
  // Heron's formula on the three sides.
  const double a = distance(p, q), b = distance(q, r), c = distance(r, p);
  const double s = 0.5 * (a + b + c);
  const double radicand = s * (s - a) * (s - b) * (s - c);
  return radicand > 0.0 ? static_cast<float>(std::sqrt(radicand)) : 0.0f;
}

float quadrilateralArea(const float* p0, const float* p1, const float* p2, const float* p3) {
  // Bretschneider's formula from the four sides and the two diagonals.
  const double a = distance(p0, p1), b = distance(p1, p2), c = distance(p2, p3),
               d = distance(p3, p0);
  const double p = distance(p0, p2), q = distance(p1, p3);
  const double k = b * b + d * d - a * a - c * c;
  const double radicand = 4.0 * p * p * q * q - k * k;
  return radicand > 0.0 ? static_cast<float>(0.25 * std::sqrt(radicand)) : 0.0f;
}

}  // namespace

void Spheroid::downloadAllRebased() {
  stage(SpheroidBuffer::Vertex, false);
  stage(SpheroidBuffer::Colour, false);
  stage(SpheroidBuffer::Normal, false);
  if (holdsBuffer(SpheroidBuffer::Index)) {
    stage(SpheroidBuffer::Index, false);
    // Indices in a shared buffer address the whole set; a copy's start at its own vertex 0.
    const int count = indexRange[1] - indexRange[0];
    for (int i = 0; i < count && indices != nullptr; ++i)
      indices[i] = static_cast<std::uint16_t>(indices[i] - vertexRange[0]);
  }
}

void Spheroid::transformVertices(SSEMatrix4x4f* M) {
  if (M == nullptr) return;
  const bool buffered = holdsBuffer(SpheroidBuffer::Vertex);
  const std::uint16_t savedRange[2] = {vertexRange[0], vertexRange[1]};
  int count = numVertices;
  if (buffered) {
    stage(SpheroidBuffer::Vertex, false);
    count = savedRange[1] - savedRange[0];
  }
  if (inMesh) {
    for (int i = 0; i < count && vertices != nullptr; ++i) {
      SSEVector4f v(vertices[3 * i], vertices[3 * i + 1], vertices[3 * i + 2], 1.0f);
      v *= *M;
      vertices[3 * i] = v.x;
      vertices[3 * i + 1] = v.y;
      vertices[3 * i + 2] = v.z;
    }
    focus1 *= *M;
    focus2 *= *M;
    centre.x = 0.5f * (focus1.x + focus2.x);
    centre.y = 0.5f * (focus1.y + focus2.y);
    centre.z = 0.5f * (focus1.z + focus2.z);
  }
  if (buffered) stage(SpheroidBuffer::Vertex, true);
}

void Spheroid::transformNormals() {
  if (!inMesh) return;
  const bool buffered = holdsBuffer(SpheroidBuffer::Vertex) && holdsBuffer(SpheroidBuffer::Normal);
  int count = numVertices;
  if (buffered) {
    stage(SpheroidBuffer::Vertex, false);
    stage(SpheroidBuffer::Normal, false);
    count = vertexRange[1] - vertexRange[0];
  }
  for (int i = 0; i < count && vertices != nullptr && normals != nullptr; ++i) {
    SSEVector4f n(vertices[3 * i] - centre.x, vertices[3 * i + 1] - centre.y,
                  vertices[3 * i + 2] - centre.z, 0.0f);
    n.normalize();
    if (!buffered) n.clamp();
    normals[3 * i] = n.x;
    normals[3 * i + 1] = n.y;
    normals[3 * i + 2] = n.z;
  }
  if (buffered) {
    stage(SpheroidBuffer::Normal, true);
    std::free(vertices);   // the buffer holds the only copy
    vertices = nullptr;
  }
}

void Spheroid::transformGeometry(SSEMatrix4x4f* M) {
  transformVertices(M);
  transformNormals();
}

void Spheroid::transformCenterAndFoci(SSEMatrix4x4f* M) {
  if (M == nullptr) return;
  centre *= *M;
  focus1 *= *M;
  focus2 *= *M;
  centre.clamp();
  focus1.clamp();
  focus2.clamp();
}

Spheroid** Spheroid::ownerSlot() const {
  if (owner == nullptr) return nullptr;
  switch (kind) {
    case SpheroidKind::AtomSphere: return &static_cast<Atom*>(owner)->sphere;
    case SpheroidKind::AtomicOrbital: return &static_cast<Ao*>(owner)->spheroid;
    case SpheroidKind::OpenBondAxis:
    case SpheroidKind::BondOrbital: return &static_cast<Bond*>(owner)->spheroid;
    default: return nullptr;
  }
}

Spheroid* Spheroid::lowLevelClone() {
  Spheroid* copy = new Spheroid();
  copy->id = id;
  copy->b = b;
  copy->a = a;
  copy->e = e;
  copy->rings = rings;
  copy->segments = segments;
  copy->isPicked = isPicked;
  copy->isClipped = isClipped;
  copy->altColour = altColour;
  copy->isTwisting = isTwisting;
  copy->isVisible = isVisible;
  copy->meshSlot = meshSlot;
  copy->owner = owner;
  copy->kind = kind;
  copy->centre = centre;
  copy->focus1 = focus1;
  copy->focus2 = focus2;
  copy->focalDistance = focalDistance;
  copy->clipPlanePoint = clipPlanePoint;
  copy->clipPlaneNormal = clipPlaneNormal;
  for (const SSEVector4f* p : clipPoints) copy->clipPoints.push_back(new SSEVector4f(*p));
  for (const SSEVector4f* n : clipNormals) copy->clipNormals.push_back(new SSEVector4f(*n));

  if (Spheroid** slot = ownerSlot()) *slot = copy;

  if (inMesh) {
    int vertexCount = numVertices, indexCount = numIndices;
    if (holdsBuffer(SpheroidBuffer::Vertex)) {
      downloadAllRebased();
      vertexCount = vertexRange[1] - vertexRange[0];
      indexCount = indexRange[1] - indexRange[0];
    }
    copy->vertices = copyArray(vertices, 3 * static_cast<size_t>(vertexCount));
    copy->normals = copyArray(normals, 3 * static_cast<size_t>(vertexCount));
    copy->colours = copyArray(colours, 4 * static_cast<size_t>(vertexCount));
    copy->indices = copyArray(indices, static_cast<size_t>(indexCount));
    copy->numVertices = vertexCount;
    copy->numIndices = indexCount;
    copy->inMesh = true;
  } else {
    copy->createGeometry();
  }
  copy->vertexRange[0] = 0;
  copy->vertexRange[1] = static_cast<std::uint16_t>(copy->numVertices);
  copy->indexRange[0] = 0;
  copy->indexRange[1] = static_cast<std::uint16_t>(copy->numIndices);
  return copy;
}

float Spheroid::calculateSurfaceArea() const {
  if (a <= 0.0f) return 0.0f;
  const float ratio = std::fmax(-1.0f, std::fmin(1.0f, b / a));
  const float t = std::acos(ratio);
  // t / sin t tends to 1 as the spheroid becomes a sphere, giving 4 pi a^2.
  if (t < 1e-4f) return kTwoPi * (b * b + a * b);
  return kTwoPi * (b * b + a * b * t / std::sin(t));
}

float Spheroid::calculateClippedSurfaceArea() {
  int vertexCount = numVertices, indexCount = numIndices;
  if (holdsBuffer(SpheroidBuffer::Vertex)) {
    downloadAllRebased();
    vertexCount = vertexRange[1] - vertexRange[0];
    indexCount = indexRange[1] - indexRange[0];
  }
  if (vertices == nullptr || indices == nullptr) return 0.0f;
  double total = 0.0;
  for (int q = 0; q + 3 < indexCount; q += 4) {
    const std::uint16_t* c = indices + q;
    if (c[0] >= vertexCount || c[1] >= vertexCount || c[2] >= vertexCount ||
        c[3] >= vertexCount)
      continue;
    const bool collapsed = c[0] == c[1] || c[0] == c[2] || c[0] == c[3] || c[1] == c[2] ||
                           c[1] == c[3] || c[2] == c[3];
    if (collapsed)
      total += triangleArea(vertices + 3 * c[0], vertices + 3 * c[1], vertices + 3 * c[2]);
    else
      total += quadrilateralArea(vertices + 3 * c[0], vertices + 3 * c[1], vertices + 3 * c[2],
                                 vertices + 3 * c[3]);
  }
  return static_cast<float>(total);
}
