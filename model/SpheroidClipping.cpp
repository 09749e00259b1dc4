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
    ErrorLine() << "You clipped in the wrong order. "
                   "Must use sphere->calculateClipPlane(spheroid) ... "
                << "(spheroid \"" << id << "\" asked of sphere \"" << other->id << "\")";
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

namespace {

// The nucleus two bond orbitals share, as one of this orbital's foci; false when none is shared
// (such bonds do not touch in a drawn molecule).
bool sharedNucleus(const Spheroid& self, const Spheroid& other, SSEVector4f& nucleus) {
  auto near = [](const SSEVector4f& p, const SSEVector4f& q) {
    return distanceBetween(p, q) < Spheroid::SharedNucleusTolerance;
  };
  if (near(self.focus1, other.focus1) || near(self.focus1, other.focus2)) {
    nucleus = self.focus1;
    return true;
  }
  if (near(self.focus2, other.focus1) || near(self.focus2, other.focus2)) {
    nucleus = self.focus2;
    return true;
  }
  return false;
}

// The other orbital's outline in the plane of the two long axes, in this orbital's frame: origin
// at its centre, x along its axis (u), y along q; g is the plane's normal.
struct OutlineFrame {
  SSEVector4f u, q, g;
  float cx = 0.0f, cy = 0.0f;       // the other centre
  float cosT = 1.0f, sinT = 0.0f;   // the turn of the other axis against this one
  float otherA = 0.0f, otherB = 0.0f;

  // The outline point at parameter phi.
  void outline(float phi, float& x, float& y) const {
    const float ca = otherA * std::cos(phi), sb = otherB * std::sin(phi);
    x = cx + ca * cosT - sb * sinT;
    y = cy + ca * sinT + sb * cosT;
  }
};

// False when this orbital's axis has no length.
bool makeOutlineFrame(const Spheroid& self, const Spheroid& other, const SSEVector4f& nucleus,
                      OutlineFrame& f) {
  SSEVector4f uAxis = self.centre - nucleus;
  uAxis.w = 0.0f;
  SSEVector4f v = other.centre - self.centre;
  v.w = 0.0f;
  if (uAxis.length() < kOnPlaneTolerance) return false;
  SSEVector4f g = uAxis % v;
  if (g.length() < 1e-6f * uAxis.length() * std::max(1.0f, v.length())) {
    // Collinear axes: any plane through the axis will do.
    const SSEVector4f helper = std::fabs(uAxis.x) < 0.9f * uAxis.length()
                                   ? SSEVector4f(1.0f, 0.0f, 0.0f, 0.0f)
                                   : SSEVector4f(0.0f, 1.0f, 0.0f, 0.0f);
    g = uAxis % helper;
  }
  f.q = g % uAxis;
  f.u = uAxis;
  f.u.normalize();
  g.normalize();
  f.g = g;
  f.q.normalize();
  SSEVector4f w = other.centre - nucleus;
  w.w = 0.0f;
  w.normalize();
  const float theta = std::acos(std::max(-1.0f, std::min(1.0f, f.u.dot(w))));
  f.cx = v.dot(f.u);
  f.cy = v.dot(f.q);
  f.cosT = std::cos(theta);
  f.sinT = std::sin(theta);
  f.otherA = other.a;
  f.otherB = other.b;
  return true;
}

// The outline parameters where the other outline enters or leaves this ellipse (semi-axes a and
// b), found in 10-degree steps and refined to 0.1 degree; returns how many (at most two).
int findOutlineCrossings(const OutlineFrame& f, float a, float b, float crossings[2]) {
  const float aS2 = a * a, bS2 = b * b;
  auto inside = [&](float phi) {
    float x, y;
    f.outline(phi, x, y);
    return x * x / aS2 + y * y / bS2 < 1.0f;
  };
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
  return found;
}

}  // namespace

int Spheroid::clipSpheroidAgainst(Spheroid* O) {
  SSEVector4f J;
  if (!sharedNucleus(*this, *O, J)) return 0;
  if (a <= 0.0f || b <= 0.0f) return 0;
  OutlineFrame frame;
  if (!makeOutlineFrame(*this, *O, J, frame)) return 0;
  float crossings[2];
  if (findOutlineCrossings(frame, a, b, crossings) < 2) return 3;

  // The plane through the two crossings, normal to the plane of the axes.
  SSEVector4f P[2];
  for (int i = 0; i < 2; ++i) {
    float x, y;
    frame.outline(crossings[i], x, y);
    P[i] = centre + frame.u * x + frame.q * y;
    P[i].w = 1.0f;
  }
  SSEVector4f M = (P[0] + P[1]) * 0.5f;
  M.w = 1.0f;
  SSEVector4f normal = (P[0] - M) % (frame.g * 3.0f);
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

namespace {

// The cut surface of one spheroid while one plane cuts it: the kept corners of every quad and the
// points where its edges cross the plane, with their normals and colours, in new arrays.
class SurfaceCut {
public:
  SurfaceCut(const Spheroid& cut, int vertexCount, int indexCount)
      : spheroid(cut), oldVertexCount(vertexCount), remap(static_cast<size_t>(vertexCount), -1) {
    vertices.reserve(6 * static_cast<size_t>(vertexCount));
    normals.reserve(6 * static_cast<size_t>(vertexCount));
    colours.reserve(8 * static_cast<size_t>(vertexCount));
    indices.reserve(2 * static_cast<size_t>(indexCount));
  }

  // Cuts one quad: its kept corners and crossing points in order, added as a fan of quads.
  void cutQuad(const std::uint16_t* corner) {
    for (int c = 0; c < 4; ++c)
      if (corner[c] >= oldVertexCount) return;
    polygon.clear();
    bool kept[4];
    for (int c = 0; c < 4; ++c) {
      const SSEVector4f p = vertexAt(corner[c]);
      kept[c] = spheroid.classifyClipPoint(&p) >= 0;
      if (c > 0 && kept[c] != kept[c - 1])
        polygon.push_back(addCrossing(corner[c - 1], corner[c], nullptr, corner[c]));
      if (kept[c]) polygon.push_back(keepVertex(corner[c]));
    }
    if (kept[3] != kept[0])
      polygon.push_back(
          addCrossing(corner[0], corner[3], spheroid.normals + 3 * corner[3], corner[3]));
    addFan();
  }

  // True when the cut surface no longer fits 16-bit indices.
  bool overflows() const { return overflow || indices.size() > 65535; }

  std::vector<float> vertices, normals;
  std::vector<unsigned char> colours;
  std::vector<std::uint16_t> indices;

private:
  SSEVector4f vertexAt(int i) const {
    const float* v = spheroid.vertices + 3 * i;
    return point(v[0], v[1], v[2]);
  }

  int addVertex(const SSEVector4f& p, const float* n, const unsigned char* c) {
    const int index = static_cast<int>(vertices.size() / 3);
    if (index > 65535) overflow = true;
    vertices.insert(vertices.end(), {p.x, p.y, p.z});
    normals.insert(normals.end(), {n[0], n[1], n[2]});
    colours.insert(colours.end(), {c[0], c[1], c[2], 255});
    return index;
  }

  // A kept corner enters the new arrays once, however many quads share it.
  int keepVertex(int old) {
    if (remap[old] < 0)
      remap[old] = addVertex(vertexAt(old), spheroid.normals + 3 * old, spheroid.colours + 4 * old);
    return remap[old];
  }

  // The point where the edge crosses the plane, with the given normal or else the direction
  // from the centre, and the colour of the corner colourOf.
  int addCrossing(int from, int to, const float* normal, int colourOf) {
    const SSEVector4f A = vertexAt(from), B = vertexAt(to);
    const SSEVector4f p = spheroid.calculateClipPoint(&A, &B);
    float n[3];
    if (normal != nullptr) {
      std::memcpy(n, normal, sizeof n);
    } else {
      SSEVector4f d = p - spheroid.centre;
      d.w = 0.0f;
      d.normalize();
      n[0] = d.x, n[1] = d.y, n[2] = d.z;
    }
    return addVertex(p, n, spheroid.colours + 4 * colourOf);
  }

  // A fan of quads over the polygon; a triangle repeats its first corner.
  void addFan() {
    const size_t n = polygon.size();
    if (n < 3) return;
    for (size_t start = 1; start + 1 < n; start += 2) {
      const size_t fourth = start + 2 < n ? start + 2 : 0;
      for (size_t k : {size_t{0}, start, start + 1, fourth})
        indices.push_back(static_cast<std::uint16_t>(polygon[k]));
    }
  }

  const Spheroid& spheroid;
  const int oldVertexCount;
  std::vector<int> remap;      // old vertex -> new vertex, -1 until kept
  std::vector<int> polygon;    // the current quad's cut outline
  bool overflow = false;
};

// A malloc'ed copy of the vector, as the spheroid's arrays are; null for an empty one.
template <typename T>
T* mallocCopy(const std::vector<T>& source) {
  if (source.empty()) return nullptr;
  T* out = static_cast<T*>(std::malloc(sizeof(T) * source.size()));
  std::memcpy(out, source.data(), sizeof(T) * source.size());
  return out;
}

}  // namespace

bool Spheroid::lowLevelClip() {
  int vertexCount = numVertices, indexCount = numIndices;
  if (holdsBuffer(SpheroidBuffer::Vertex)) {
    downloadAllRebased();
    vertexCount = vertexRange[1] - vertexRange[0];
    indexCount = indexRange[1] - indexRange[0];
  }
  if (vertices == nullptr || normals == nullptr || colours == nullptr || indices == nullptr)
    return true;   // nothing to cut

  SurfaceCut cut(*this, vertexCount, indexCount);
  for (int q = 0; q + 3 < indexCount; q += 4) cut.cutQuad(indices + q);
  if (cut.overflows()) {
    ErrorLine() << "Error: Spheroid::lowLevelClip: spheroid \"" << id
                << "\" would need more than 65535 vertices or indices";
    return false;
  }

  std::free(vertices);
  std::free(normals);
  std::free(colours);
  std::free(indices);
  numVertices = static_cast<int>(cut.vertices.size() / 3);
  numIndices = static_cast<int>(cut.indices.size());
  vertices = mallocCopy(cut.vertices);
  normals = mallocCopy(cut.normals);
  colours = mallocCopy(cut.colours);
  indices = mallocCopy(cut.indices);
  vertexRange[0] = 0;
  vertexRange[1] = static_cast<std::uint16_t>(numVertices);
  indexRange[0] = 0;
  indexRange[1] = static_cast<std::uint16_t>(numIndices);
  return true;
}
