// Clip planes between intersecting neighbours and the cut of the tessellated surface.
#include "model/Spheroid.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

#include "math/UtilityEngine.h"

namespace {

// The sphere's cut is moved 0.3 % toward the spheroid's centre so that the seam stays hidden
// inside the sphere.
constexpr float kSeamShrink = 0.997f;
constexpr float kOnPlaneTolerance = 0.0001f;
constexpr float kFarNucleusTolerance = 0.01f;
constexpr float kCoarseStep = 0.17453294f;    // 10 degrees
constexpr float kFineStep = 0.0017453294f;    // 0.1 degree
constexpr int kCoarseSteps = 36;

SSEVector4f point(float x, float y, float z) { return SSEVector4f(x, y, z, 1.0f); }

float distanceBetween(const SSEVector4f& p, const SSEVector4f& q) {
  SSEVector4f d = p - q;
  return d.length();
}

}  // namespace

void Spheroid::recordClipPlane(const SSEVector4f& p, const SSEVector4f& n) {
  clipPoints.push_back(new SSEVector4f(p));
  clipNormals.push_back(new SSEVector4f(n));
  isClipped = true;
}

int Spheroid::calculateClipPlane(Spheroid* other) {
  if (other == nullptr || other == this) return 0;
  if (isTessellatedSphere()) return clipSphereAgainst(other);
  if (other->isTessellatedSphere()) {
    ErrorLine() << "Error: Spheroid::calculateClipPlane: clipped in the wrong order, spheroid \""
                << id << "\" asked of sphere \"" << other->id
                << "\"; must use sphere->calculateClipPlane(spheroid)";
    return -1;
  }
  return clipSpheroidAgainst(other);
}

int Spheroid::clipSphereAgainst(Spheroid* O) {
  if (O->isTessellatedSphere()) return 0;   // spheres do not clip spheres
  // Axial coordinate s, from O's centre along u, of the circle where this sphere meets O.
  const float r2 = b * b;
  SSEVector4f u = O->centre - centre;
  u.w = 0.0f;
  const float D = u.length();
  if (D < kOnPlaneTolerance || O->a <= 0.0f) return 0;
  u = u * (1.0f / D);
  const float bO2 = O->b * O->b;
  const float k = bO2 / (O->a * O->a);
  const float quadratic = 1.0f - k;
  if (std::fabs(quadratic) < 1e-6f) return 0;   // O is round: no axial solution
  const float disc = 4.0f * D * D - 4.0f * quadratic * (bO2 + D * D - r2);
  if (disc < 0.0f) return 0;
  const float root = std::sqrt(disc);
  const float s1 = (root - 2.0f * D) / (2.0f * quadratic);
  const float s2 = (-2.0f * D - root) / (2.0f * quadratic);
  float s;
  if (s1 > -O->a && s1 < O->a)
    s = s1;
  else if (s2 > -O->a && s2 < O->a)
    s = s2;
  else
    return 0;
  SSEVector4f P = O->centre + u * (kSeamShrink * s);
  P.w = 1.0f;
  SSEVector4f n = O->centre - P;
  n.w = 0.0f;
  n.normalize();
  O->recordClipPlane(P, n);
  return 2;
}

int Spheroid::clipSpheroidAgainst(Spheroid* O) {
  // The nucleus the two bond orbitals share.
  auto near = [](const SSEVector4f& p, const SSEVector4f& q) {
    return distanceBetween(p, q) < SharedNucleusTolerance;
  };
  SSEVector4f J;
  if (near(focus1, O->focus1) || near(focus1, O->focus2))
    J = focus1;
  else if (near(focus2, O->focus1) || near(focus2, O->focus2))
    J = focus2;
  else
    return 0;   // no common nucleus: such bonds do not touch in a drawn molecule
  if (a <= 0.0f || b <= 0.0f) return 0;

  // Work in the plane of the two long axes, origin at this centre, x along this axis.
  SSEVector4f uAxis = centre - J;
  uAxis.w = 0.0f;
  SSEVector4f v = O->centre - centre;
  v.w = 0.0f;
  if (uAxis.length() < kOnPlaneTolerance) return 0;
  SSEVector4f g = uAxis % v;
  if (g.length() < 1e-6f * uAxis.length() * std::max(1.0f, v.length())) {
    // Collinear axes: any plane through the axis will do.
    const SSEVector4f helper = std::fabs(uAxis.x) < 0.9f * uAxis.length()
                                   ? SSEVector4f(1.0f, 0.0f, 0.0f, 0.0f)
                                   : SSEVector4f(0.0f, 1.0f, 0.0f, 0.0f);
    g = uAxis % helper;
  }
  SSEVector4f q = g % uAxis;
  SSEVector4f u = uAxis;
  u.normalize();
  g.normalize();
  q.normalize();
  SSEVector4f w = O->centre - J;
  w.w = 0.0f;
  w.normalize();
  const float theta = std::acos(std::max(-1.0f, std::min(1.0f, u.dot(w))));
  const float cx = v.dot(u), cy = v.dot(q);
  const float cosT = std::cos(theta), sinT = std::sin(theta);
  const float aS2 = a * a, bS2 = b * b;

  auto outline = [&](float phi, float& x, float& y) {
    const float ca = O->a * std::cos(phi), sb = O->b * std::sin(phi);
    x = cx + ca * cosT - sb * sinT;
    y = cy + ca * sinT + sb * cosT;
  };
  auto inside = [&](float phi) {
    float x, y;
    outline(phi, x, y);
    return x * x / aS2 + y * y / bS2 < 1.0f;
  };

  float crossings[2];
  int found = 0;
  float phi0 = 0.0f, phi1 = kCoarseStep;
  for (int step = 0; step < kCoarseSteps && found < 2; ++step) {
    const bool start = inside(phi0);
    if (start != inside(phi1)) {
      const int fineSteps = static_cast<int>(std::ceil((phi1 - phi0) / kFineStep)) + 1;
      for (int i = 1; i <= fineSteps; ++i) {
        const float phi = std::min(phi1, phi0 + i * kFineStep);
        if (inside(phi) != start) {
          crossings[found++] = phi;
          break;
        }
      }
    }
    phi0 = phi1;
    phi1 += kCoarseStep;
  }
  if (found < 2) return 3;

  SSEVector4f P[2];
  for (int i = 0; i < 2; ++i) {
    float x, y;
    outline(crossings[i], x, y);
    P[i] = centre + u * x + q * y;
    P[i].w = 1.0f;
  }
  SSEVector4f M = (P[0] + P[1]) * 0.5f;
  M.w = 1.0f;
  SSEVector4f normal = (P[0] - M) % (g * 3.0f);
  normal.normalize();
  clipPlanePoint = M;
  clipPlaneNormal = normal;
  // Each keeps the side of its own far nucleus.
  const SSEVector4f farNucleus = distanceBetween(focus1, J) < kFarNucleusTolerance ? focus2 : focus1;
  if (classifyClipPoint(&farNucleus) != 1) clipPlaneNormal = -clipPlaneNormal;
  clipPlanePoint.clamp();
  clipPlaneNormal.clamp();
  SSEVector4f keptPoint = clipPlanePoint;
  keptPoint.w = 1.0f;
  SSEVector4f keptNormal = clipPlaneNormal;
  keptNormal.w = 1.0f;
  SSEVector4f otherNormal = -clipPlaneNormal;
  otherNormal.w = 1.0f;
  O->recordClipPlane(keptPoint, otherNormal);
  recordClipPlane(keptPoint, keptNormal);
  return 3;
}

int Spheroid::classifyClipPoint(const SSEVector4f* p) const {
  const float length = clipPlaneNormal.length();
  if (p == nullptr || length == 0.0f) return 0;
  const float d = (clipPlaneNormal.dot(*p) - clipPlaneNormal.dot(clipPlanePoint)) / length;
  if (std::fabs(d) < kOnPlaneTolerance) return 0;
  return d > 0.0f ? 1 : -1;
}

SSEVector4f Spheroid::calculateClipPoint(const SSEVector4f* A, const SSEVector4f* B) const {
  const SSEVector4f AB = *B - *A;
  const float denominator = clipPlaneNormal.dot(AB);
  if (std::fabs(denominator) < 1e-12f) return *A;
  const float t = clipPlaneNormal.dot(clipPlanePoint - *A) / denominator;
  return *A + AB * t;
}

bool Spheroid::applyClipPlanes() {
  const size_t planes = std::min(clipPoints.size(), clipNormals.size());
  for (size_t i = 0; i < planes; ++i) {
    clipPlanePoint = *clipPoints[i];
    clipPlaneNormal = *clipNormals[i];
    if (!lowLevelClip()) return false;
  }
  return true;
}

bool Spheroid::lowLevelClip() {
  int vertexCount = numVertices, indexCount = numIndices;
  if (holdsBuffer(SpheroidBuffer::Vertex)) {
    downloadAllRebased();
    vertexCount = vertexRange[1] - vertexRange[0];
    indexCount = indexRange[1] - indexRange[0];
  }
  if (vertices == nullptr || normals == nullptr || colours == nullptr || indices == nullptr)
    return true;   // nothing to cut

  std::vector<float> newVertices, newNormals;
  std::vector<unsigned char> newColours;
  std::vector<std::uint16_t> newIndices;
  newVertices.reserve(6 * static_cast<size_t>(vertexCount));
  newNormals.reserve(6 * static_cast<size_t>(vertexCount));
  newColours.reserve(8 * static_cast<size_t>(vertexCount));
  newIndices.reserve(2 * static_cast<size_t>(indexCount));
  std::vector<int> remap(static_cast<size_t>(vertexCount), -1);
  bool overflow = false;

  auto vertexAt = [this](int i) {
    return point(vertices[3 * i], vertices[3 * i + 1], vertices[3 * i + 2]);
  };
  auto addVertex = [&](const SSEVector4f& p, const float* n, const unsigned char* c) {
    const int index = static_cast<int>(newVertices.size() / 3);
    if (index > 65535) overflow = true;
    newVertices.insert(newVertices.end(), {p.x, p.y, p.z});
    newNormals.insert(newNormals.end(), {n[0], n[1], n[2]});
    newColours.insert(newColours.end(), {c[0], c[1], c[2], 255});
    return index;
  };
  auto keepVertex = [&](int old) {
    if (remap[old] < 0) remap[old] = addVertex(vertexAt(old), normals + 3 * old, colours + 4 * old);
    return remap[old];
  };
  auto addCut = [&](int from, int to, const float* normal, int colourOf) {
    const SSEVector4f A = vertexAt(from), B = vertexAt(to);
    const SSEVector4f p = calculateClipPoint(&A, &B);
    float n[3];
    if (normal != nullptr) {
      std::memcpy(n, normal, sizeof n);
    } else {
      SSEVector4f d = p - centre;
      d.w = 0.0f;
      d.normalize();
      n[0] = d.x, n[1] = d.y, n[2] = d.z;
    }
    return addVertex(p, n, colours + 4 * colourOf);
  };

  std::vector<int> polygon;
  for (int q = 0; q + 3 < indexCount; q += 4) {
    const std::uint16_t* corner = indices + q;
    if (corner[0] >= vertexCount || corner[1] >= vertexCount || corner[2] >= vertexCount ||
        corner[3] >= vertexCount)
      continue;
    polygon.clear();
    bool kept[4];
    for (int c = 0; c < 4; ++c) {
      const SSEVector4f p = vertexAt(corner[c]);
      kept[c] = classifyClipPoint(&p) >= 0;
      if (c > 0 && kept[c] != kept[c - 1])
        polygon.push_back(addCut(corner[c - 1], corner[c], nullptr, corner[c]));
      if (kept[c]) polygon.push_back(keepVertex(corner[c]));
    }
    if (kept[3] != kept[0])
      polygon.push_back(addCut(corner[0], corner[3], normals + 3 * corner[3], corner[3]));
    // A fan of quads; a triangle repeats its first corner.
    const size_t n = polygon.size();
    if (n < 3) continue;
    for (size_t start = 1; start + 1 < n; start += 2) {
      const size_t fourth = start + 2 < n ? start + 2 : 0;
      for (size_t k : {size_t{0}, start, start + 1, fourth})
        newIndices.push_back(static_cast<std::uint16_t>(polygon[k]));
    }
  }
  if (overflow || newIndices.size() > 65535) {
    ErrorLine() << "Error: Spheroid::lowLevelClip: spheroid \"" << id
                << "\" would need more than 65535 vertices or indices";
    return false;
  }

  std::free(vertices);
  std::free(normals);
  std::free(colours);
  std::free(indices);
  numVertices = static_cast<int>(newVertices.size() / 3);
  numIndices = static_cast<int>(newIndices.size());
  auto exact = [](const auto& source) {
    using T = typename std::decay_t<decltype(source)>::value_type;
    if (source.empty()) return static_cast<T*>(nullptr);
    T* out = static_cast<T*>(std::malloc(sizeof(T) * source.size()));
    std::memcpy(out, source.data(), sizeof(T) * source.size());
    return out;
  };
  vertices = exact(newVertices);
  normals = exact(newNormals);
  colours = exact(newColours);
  indices = exact(newIndices);
  vertexRange[0] = 0;
  vertexRange[1] = static_cast<std::uint16_t>(numVertices);
  indexRange[0] = 0;
  indexRange[1] = static_cast<std::uint16_t>(numIndices);
  return true;
}
