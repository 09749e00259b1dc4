#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "math/SSEMatrix4x4f.h"
#include "math/SSEVector4f.h"

class Mesh;
class Spheroid;

// Which of a spheroid's four GL buffers a staging step moves.
enum class SpheroidBuffer { Vertex, Normal, Index, Colour };
// Moves one kind of a spheroid's data between its staging array and the mesh's GL buffer:
// download (upload false) fills the staging array from the buffer range, upload writes it back
// and frees it. The renderer installs it (Mesh's constructor); the model only ever reaches the
// GL buffers through it, so kv_model links no GL. Without a hook nothing is moved, which is
// right as long as no mesh of the buffer-object paths exists.
using SpheroidStaging = void (*)(Spheroid* s, SpheroidBuffer which, bool upload);
void setSpheroidStaging(SpheroidStaging staging);

// What owns the spheroids it draws: a mesh. A spheroid a mesh took records it in meshSlot and
// belongs to it from then on; any other spheroid belongs to its record (atom, orbital, bond).
// The model reaches the mesh only through this face, so kv_model links nothing of kv_render.
class SpheroidHolder {
 public:
  virtual ~SpheroidHolder() = default;
  // Takes s off the holder's list and frees it; 0 when the holder does not list s.
  virtual int removeSpheroid(Spheroid* s) = 0;
};

// Frees s exactly once, by its owner: the mesh in its meshSlot takes it off its list and frees
// it; a spheroid no mesh took (or one whose meshSlot does not list it, such as a copy made for
// clipping) is deleted here. Null s is ignored.
void releaseSpheroid(Spheroid* s);

// The molecule owns its mesh but sits below the renderer and cannot name Mesh's destructor (a
// Molecule's mesh is a Mesh, which the model sees only declared): Mesh's constructor installs
// this hook, which frees a whole mesh; destroyMesh runs it. No mesh exists before the first
// constructor ran, so a molecule with a mesh always finds the hook in place.
using MeshDestroy = void (*)(Mesh* mesh);
void setMeshDestroy(MeshDestroy destroy);
// Frees a mesh through the installed hook; null is ignored.
void destroyMesh(Mesh* mesh);

// What a spheroid draws, the values of Spheroid::kind. The field stays a plain int: the own
// molecule file stores it as a number and the picking call takes one.
namespace SpheroidKind {
constexpr int Unset = -1;   // before its creator sets it
constexpr int AtomSphere = 0;
constexpr int AtomicOrbital = 1;
constexpr int OpenBondAxis = 2;
constexpr int BondOrbital = 3;
}  // namespace SpheroidKind

// The geometric object behind an atom sphere, an atomic orbital, an open bond axis and a bond
// orbital. Lengths in Angstrom. The local frame of the geometry has the long axis along z and
// the centre at the origin; placement moves it into the world.
//
// Bodies by topic: record (Spheroid.cpp), tessellation and colours (SpheroidGeometry.cpp),
// clipping (SpheroidClipping.cpp), transforms, copies and areas (SpheroidTransforms.cpp), and the
// GL members (render/SpheroidBuffers.cpp, built by kv_render; nothing in kv_model calls them).
class Spheroid {
 public:
  static int GlobalID;   // next id; every constructor takes one
  // Greatest rings (= segments) count: four 16-bit indices per quad must stay below 65536.
  static constexpr int MaxRings = 127;
  // Colour of a sphere with no owner or a bond axis whose order is not 1, 2 or 3.
  static constexpr unsigned char NeutralGrey = 160;
  // Distance (Angstrom) within which two foci count as the same nucleus.
  static constexpr float SharedNucleusTolerance = 0.1f;

  bool isVisible;
  int id;
  void* owner;           // Atom (an atom sphere), Ao (an atomic orbital) or Bond (the other two)
  int kind;              // a SpheroidKind value
  SpheroidHolder* meshSlot;   // the mesh that took the spheroid and owns it, null before
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

  // A sphere for drawing and clipping: equal axes and a tessellation.
  bool isTessellatedSphere() const { return b == a && rings != 0; }

  // Tessellation (SpheroidGeometry.cpp). createGeometry builds rings x segments quads in the
  // local frame, with normals and colours, and sets inMesh; false (nothing built, a line on
  // the error channel) when rings and segments differ or lie outside 2..MaxRings.
  bool createGeometry();
  // Geometry placed in the world by kind: spheres and orbitals at their centre, a bond axis
  // along its foci, a bond orbital with focus1 on its anchor atom. False as createGeometry.
  bool createTransformedGeometry();
  // e, focalDistance and the foci from the shape and the +z pole (vertex 0).
  void createFoci();
  // Element colour (R, G, B) for an element symbol in any case; white for unknown symbols.
  static void elementColour(const std::string& symbol, unsigned char rgb[3]);
  // Hue ramp colour for a ramp value h in [0, 1] (clamped), as RGB bytes.
  static void rampColour(float h, bool swapRedGreen, unsigned char rgb[3]);

  // Clipping (SpheroidClipping.cpp). calculateClipPlane: 0 no plane, 2 a sphere-spheroid plane
  // recorded on other, 3 a spheroid-spheroid call (planes recorded on both when the outlines
  // cross twice), -1 asked in the wrong order (a spheroid of a sphere; an error line).
  int calculateClipPlane(Spheroid* other);
  // -1 cut side, 0 on the plane (within 1e-4), +1 kept side of the current plane.
  int classifyClipPoint(const SSEVector4f* p) const;
  // Where the line from A to B meets the current plane; A when the line runs parallel to it.
  SSEVector4f calculateClipPoint(const SSEVector4f* A, const SSEVector4f* B) const;
  // Cuts the geometry with every recorded plane in turn; false when a cut would overflow the
  // 16-bit indices (the geometry is then left as it was before that plane).
  bool applyClipPlanes();
  bool lowLevelClip();

  // Transforms, copies and areas (SpheroidTransforms.cpp). M acts on column vectors.
  void transformVertices(SSEMatrix4x4f* M);
  void transformNormals();
  void transformGeometry(SSEMatrix4x4f* M);
  void transformCenterAndFoci(SSEMatrix4x4f* M);
  // Deep copy with geometry and clip planes, no GL buffers; the owner is re-pointed to it.
  Spheroid* lowLevelClone();
  // The owner's pointer to its spheroid by kind (an atom's sphere, an orbital's or a bond's
  // spheroid); null without an owner or a kind.
  Spheroid** ownerSlot() const;
  // Analytic area of the spheroid (4 pi a^2 for a sphere), square Angstrom.
  float calculateSurfaceArea() const;
  // Area of the tessellated, possibly clipped surface, square Angstrom.
  float calculateClippedSurfaceArea();
  // The first vertex's colour (R, G, B), read back through the staging hook when the colours
  // live in a mesh buffer; the neutral grey for a spheroid without colours.
  void readFirstColour(unsigned char rgb[3]);
  // True when this spheroid's data of that kind lives in a mesh GL buffer.
  bool holdsBuffer(SpheroidBuffer which) const;

  // GL side: defined in render/SpheroidBuffers.cpp. Each does nothing without its buffer.
  void downloadVertexBuffer();
  void uploadVertexBuffer();
  void downloadNormalBuffer();
  void uploadNormalBuffer();
  void downloadColorBuffer();
  void uploadColorBuffer();
  void downloadIndexBuffer();
  void uploadIndexBuffer();
  // Draws the foci, the centre and the clip points as points (only for a spheroid in a mesh).
  void renderFoci();
  // Prints the name of a pending GL error on standard output; returns the code read.
  static unsigned int getGLError();

 private:
  void initCommon();
  void colourGeometry();
  void colourBondOrbital();
  // Moves one kind of data through the installed staging hook (no-op without a buffer).
  void stage(SpheroidBuffer which, bool upload);
  // Downloads all four ranges and rebases the indices to start at 0 (buffer-held spheroids).
  void downloadAllRebased();
  // Records one plane (copies) in the clip lists.
  void recordClipPlane(const SSEVector4f& point, const SSEVector4f& normal);
  int clipSphereAgainst(Spheroid* other);
  int clipSpheroidAgainst(Spheroid* other);
};
