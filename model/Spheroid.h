#pragma once

#include <cstdint>
#include <vector>

#include "math/SSEVector4f.h"

class Mesh;
class Spheroid;

// A record (atom, orbital, bond) hands its spheroid back through these hooks. The model sits
// below the renderer, so it cannot call Mesh itself: Mesh's constructor installs both hooks,
// which means any mesh that can hold a spheroid has them in place.
//
// SpheroidRelease takes s out of the mesh and frees it; it returns 0 when s is not listed there.
using SpheroidRelease = int (*)(Mesh* mesh, Spheroid* s);
// MeshDestroy frees a whole mesh (the molecule owns its mesh but cannot name its destructor).
using MeshDestroy = void (*)(Mesh* mesh);

void setSpheroidRelease(SpheroidRelease release);
void setMeshDestroy(MeshDestroy destroy);

// Frees s exactly once: a spheroid that is in a mesh goes to that mesh (the one it records in
// meshSlot, else the given one); when no mesh lists it, it is deleted here. Null s is ignored.
void releaseSpheroid(Mesh* mesh, Spheroid* s);
// Frees a mesh through the installed hook; null is ignored.
void destroyMesh(Mesh* mesh);

// The geometric object behind an atom sphere, an atomic orbital, an open bond axis and a bond
// orbital. Lengths in Angstrom. Tessellation, clipping and GL staging are filled in by the
// rendering work; this record holds the shape, the arrays and the mesh bookkeeping.
class Spheroid {
 public:
  static int GlobalID;   // next id; every constructor takes one

  bool isVisible;
  int id;
  void* owner;           // Atom (kind 0), Ao (kind 1) or Bond (kinds 2, 3)
  int kind;              // -1 unset, 0 atom sphere, 1 atomic orbital, 2 open bond axis, 3 bond orbital
  Mesh* meshSlot;        // the mesh that took the spheroid, null before
  unsigned int bufferIds[4];       // vertex, normal, index, colour; all ~0u (no buffer) at first
  std::uint16_t indexRange[2];     // [first, one past last) in the mesh index buffer
  std::uint16_t vertexRange[2];    // [first, one past last) in the mesh vertex buffers
  float e;
  float b;               // semi-minor axis
  float a;               // semi-major axis
  float focalDistance;   // e * a
  SSEVector4f focus1;
  SSEVector4f focus2;
  SSEVector4f centre;
  int rings;
  int segments;
  int numVertices;
  int numIndices;
  float* vertices;       // 3 floats per vertex, malloc'ed
  float* normals;        // 3 floats per vertex, malloc'ed
  std::uint16_t* indices;   // 4 per quad, malloc'ed
  unsigned char* colours;   // RGBA per vertex, malloc'ed
  SSEVector4f clipPlanePoint;
  SSEVector4f clipPlaneNormal;
  std::vector<SSEVector4f*> clipPoints;    // owned
  std::vector<SSEVector4f*> clipNormals;   // owned
  bool inMesh;
  bool isPicked;
  bool isClipped;
  bool altColour;
  bool isTwisting;

  // A sphere when e is 1 or a equals b: e stored as 1, b as a, both foci at the centre.
  Spheroid(float e, float b, float a);
  // b 1, a 2, e 0, invisible: the base of the copies, which set the rest.
  Spheroid();
  ~Spheroid();

  Spheroid(const Spheroid&) = delete;
  Spheroid& operator=(const Spheroid&) = delete;

  // Copy of id, shape, foci, centre, tessellation counts and display flags; no kind, owner,
  // geometry or clip planes. The mesh argument is not used.
  Spheroid* clone(Mesh* mesh) const;
  // e := sqrt(1 - b^2 / a^2); 0 for a sphere or a degenerate a.
  void computeE();

 private:
  void initCommon();
};
