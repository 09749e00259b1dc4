#pragma once

#include <vector>

#include "math/Quaternion.h"
#include "math/SSEMatrix4x4f.h"
#include "math/SSEVector4f.h"

#include "model/Spheroid.h"

class ColorBufferObject;
class IndexBufferObject;
class Molecule;
class VertexBufferObject;

// The drawable form of one molecule: the spheroids that show its atoms and bonds, its pose in
// the scene, the selected spheroid, the picked points and the animations. The spheroids in the
// list are owned, and they are the very objects the molecule's records point to; a record that
// is destroyed hands its spheroid back through removeSpheroid (the SpheroidHolder face the
// model sees in the spheroid's meshSlot).
//
// In the client-array path (RenderMode::VertexArrays) every spheroid keeps its own arrays and
// no GL call is made. In the buffer-object paths the spheroids share buffer sets of at most SetCapacity
// vertices and indices (one position, normal, index and colour buffer each); their indices are
// stored offset by the start of their vertex range.
//
// The data half (Mesh.cpp, MeshAnimation.cpp) makes no GL call in path 2; the drawing members
// (MeshDrawing.cpp) need the view's context and are called from the frame passes only.
class Mesh : public SpheroidHolder {
 public:
  // The mesh that took s (its meshSlot), or null.
  static Mesh* holding(const Spheroid* s) { return static_cast<Mesh*>(s->meshSlot); }

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

  // Installs the model's mesh-destroy hook.
  Mesh();
  // Frees every spheroid still listed and the active points. A molecule's records must have
  // let go of their spheroids first (their destructors or Molecule::nullAllSpheroids).
  ~Mesh() override;
  Mesh(const Mesh&) = delete;
  Mesh& operator=(const Mesh&) = delete;

  static constexpr unsigned SetCapacity = 8000;   // vertices and indices per buffer set

  // Takes s into the mesh: creates its geometry unless it has some, and in the buffer-object
  // paths appends it to the last buffer set (a new one when it would not fit). Null is ignored;
  // a spheroid whose geometry cannot be made is not taken (0 returned), else 1.
  int addSpheroid(Spheroid* s);
  // Frees s and drops it from the list; 0 (and nothing freed) when s is not listed. In the
  // buffer-object paths the later spheroids of its set move down to close the gap.
  int removeSpheroid(Spheroid* s) override;
  bool removeAllSpheroids();
  // Keeps the spheroids of one buffer set together, in the order they were added.
  int sortSpheroids();

  // Records clip planes for every pair of intersecting spheroids, spheres asked first; atom
  // nuclei and open bond axes take no part. Returns the planes recorded.
  int calculateAllClipPlanes();
  // Replaces every spheroid by a copy cut at its planes and rebuilds the buffer sets. The
  // copies take the owners' pointers, so the records stay valid.
  void applyClipPlanes();
  // Moves every spheroid (geometry, foci and centre together) by minus the mean centre, so the
  // mesh origin is the middle of the molecule; a second call finds the mean at the origin.
  void centerLocalCoords();

  // The world point of a spheroid's centre: position + rotationMatrix x centre.
  SSEVector4f getGlobalCenter(const Spheroid* s) const;
  void setRotation(const Quaternion& q);
  // primitiveMode := p for GL_POINTS, GL_LINES, GL_LINE_LOOP or GL_LINE_STRIP (0 to 3), else
  // GL_QUADS (7).
  void setPolygonState(unsigned int p);
  // The view deletes a flagged mesh on its next paint.
  void deleteMesh() { deleteFlag = true; }
  // Frees the picked points.
  void clearActivePoints();

  // The join animation (MeshAnimation.cpp): from the present pose to the target over one
  // second of frame time. slerp returns 1 while it runs and 0 on the step that ends it, which
  // lands the position exactly on the target.
  void initSlerp(const Quaternion* targetRotation, const SSEVector4f* targetPosition);
  int slerp(float dt);
  // One step of the current spheroid's alpha pulse: pulseAlpha moves by 2 x direction x dt and
  // turns just below 1 and at turnUpAlpha, just above 0.25. The direction belongs to the
  // drawing function, shared by every mesh it draws.
  void advancePulse(float& direction, float dt, float turnUpAlpha);

  // Copies with the same pose. clone takes a deep copy of every spheroid (the records then point
  // to the copies); highLevelClone builds fresh geometry from each spheroid's shape and leaves
  // the records alone. Neither sets molecule.
  Mesh* clone();
  Mesh* highLevelClone();
  void print() {}

  // One line of a bond-order indicator, in mesh coordinates.
  struct IndicatorLine {
    SSEVector4f from;
    SSEVector4f to;
    bool aromatic;   // drawn blue; other bonds white
  };
  // The indicator lines of every visible bond orbital: as many lines as the bond's order (one
  // for an aromatic bond) along the focal segment shortened by 5 % at each end, spaced by 5 % of
  // its length across the bond as seen from cameraTranslation.
  std::vector<IndicatorLine> bondOrderIndicatorLines(const SSEVector4f& cameraTranslation) const;

  // Drawing (MeshDrawing.cpp), with the mesh pose applied by the pass. The _VA members draw the
  // spheroids' own arrays (path 2), the _VBO members their buffer sets (paths 0, 1 and 3).
  void renderSpheroid_VA(unsigned i);
  void renderSpheroid_VBO(unsigned i);
  // Every visible spheroid of one kind except the current one.
  void renderNuclei_VA();
  void renderNuclei_VBO();
  void renderAOs_VA();
  void renderAOs_VBO();
  void renderMOs_VA();
  void renderMOs_VBO();
  void renderBondAxes_VA();
  void renderBondAxes_VBO();
  // The current spheroid, pulsing through the alpha ramp (the phong program's "Alpha" in HDR).
  void renderCurrentSpheroid_VA();
  void renderCurrentSpheroid_VBO();
  void renderCurrentSpheroid_HDR();
  // Every visible spheroid, those flagged isTwisting turned by twistRotation about twistPivot.
  void renderWithTwist_VA();
  void renderWithTwist_VBO();
  void renderWithTwist_HDR();
  void renderActivePoints();
  void renderBondOrderIndicators();
  // Prints the name of a pending GL error on standard output; returns the code read.
  static unsigned int getGLError();

 private:
  void deleteBufferSets();
  void appendToBufferSet(Spheroid* s);
  // Adds a copy whose owner already points to it, listing it even when it has no geometry.
  void takeCopy(Spheroid* copy);
  // Copies position, rotation, rotationMatrix, twistRotation and primitiveMode.
  void copyPoseInto(Mesh* copy) const;
  void renderKind(int kind, bool bufferObjects);
  void renderWithTwist(bool bufferObjects, bool hdr);
  void renderCurrentSpheroid(bool bufferObjects);
};
