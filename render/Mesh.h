#pragma once

#include <vector>

#include "math/Quaternion.h"
#include "math/SSEMatrix4x4f.h"
#include "math/SSEVector4f.h"

class ColorBufferObject;
class IndexBufferObject;
class Molecule;
class Spheroid;
class VertexBufferObject;

// The drawable form of one molecule: the spheroids that show its atoms and bonds, its pose in
// the scene, the selected spheroid, the picked points and the animations. The spheroids in the
// list are owned, and they are the very objects the molecule's records point to; a record that
// is destroyed hands its spheroid back through removeSpheroid (installed as the model's hook).
//
// In the client-array path (renderMode 2) every spheroid keeps its own arrays and no GL call is
// made. In the buffer-object paths the spheroids share buffer sets of at most SetCapacity
// vertices and indices (one position, normal, index and colour buffer each); their indices are
// stored offset by the start of their vertex range. The drawing operations come later.
class Mesh {
 public:
  static int GlobalID;   // next mesh id

  Quaternion slerpStartRotation;
  Quaternion slerpTargetRotation;
  SSEVector4f slerpStartPosition{0.0f, 0.0f, 0.0f, 1.0f};
  SSEVector4f slerpTargetPosition{0.0f, 0.0f, 0.0f, 1.0f};
  float slerpProgress = 0.0f;   // 0..1
  int id;
  SSEVector4f position{0.0f, 0.0f, 0.0f, 1.0f};
  Quaternion rotation;
  SSEMatrix4x4f rotationMatrix;
  Quaternion twistRotation;
  SSEVector4f twistPivot{0.0f, 0.0f, 0.0f, 1.0f};
  std::vector<Spheroid*> spheroids;        // drawing order; owned
  Spheroid* currentSpheroid = nullptr;     // the selected one
  unsigned int primitiveMode = 7;          // GL_QUADS
  Molecule* molecule = nullptr;            // not owned: the molecule owns the mesh
  std::vector<SSEVector4f*> activePoints;  // picked points; owned
  std::vector<int> activeAtomIds;          // parallel to activePoints
  std::vector<VertexBufferObject*> vertexBuffers;   // positions of each buffer set; owned
  std::vector<VertexBufferObject*> normalBuffers;   // normals of each buffer set; owned
  std::vector<IndexBufferObject*> indexBuffers;     // indices of each buffer set; owned
  std::vector<ColorBufferObject*> colorBuffers;     // colours of each buffer set; owned
  float pulseAlpha = 0.75f;
  bool showActivePoints = false;
  bool slerpActive = false;
  bool deleteFlag = false;
  bool twistActive = false;
  float size = 10.0f;

  // Installs the model's spheroid-release and mesh-destroy hooks.
  Mesh();
  // Frees every spheroid still listed and the active points. A molecule's records must have
  // let go of their spheroids first (their destructors or Molecule::nullAllSpheroids).
  ~Mesh();
  Mesh(const Mesh&) = delete;
  Mesh& operator=(const Mesh&) = delete;

  static constexpr unsigned SetCapacity = 8000;   // vertices and indices per buffer set

  // Takes s into the mesh: creates its geometry unless it has some, and in the buffer-object
  // paths appends it to the last buffer set (a new one when it would not fit). Null is ignored;
  // a spheroid whose geometry cannot be made is not taken (0 returned), else 1.
  int addSpheroid(Spheroid* s);
  // Frees s and drops it from the list; 0 (and nothing freed) when s is not listed. In the
  // buffer-object paths the later spheroids of its set move down to close the gap.
  int removeSpheroid(Spheroid* s);
  bool removeAllSpheroids();
  // Keeps the spheroids of one buffer set together, in the order they were added.
  int sortSpheroids();

  // Records clip planes for every pair of intersecting spheroids, spheres asked first; atom
  // nuclei (kind 0) and open bond axes (kind 2) take no part. Returns the planes recorded.
  int calculateAllClipPlanes();
  // Replaces every spheroid by a copy cut at its planes and rebuilds the buffer sets. The
  // copies take the owners' pointers, so the records stay valid.
  void applyClipPlanes();
  // Moves all geometry by minus the mean centre; centres and foci stay.
  void centerLocalCoords();

  // primitiveMode := p for GL_POINTS, GL_LINES, GL_LINE_LOOP or GL_LINE_STRIP (0 to 3), else
  // GL_QUADS (7).
  void setPolygonState(unsigned int p);
  // Frees the picked points.
  void clearActivePoints();

 private:
  void deleteBufferSets();
  void appendToBufferSet(Spheroid* s);
};
