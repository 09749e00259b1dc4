#pragma once

#include <vector>

#include "math/Quaternion.h"
#include "math/SSEMatrix4x4f.h"
#include "math/SSEVector4f.h"

class Molecule;
class Spheroid;

// The drawable form of one molecule: the spheroids that show its atoms and bonds, its pose in
// the scene, the selected spheroid, the picked points and the animations. The spheroids in the
// list are owned, and they are the very objects the molecule's records point to; a record that
// is destroyed hands its spheroid back through removeSpheroid (installed as the model's hook).
//
// So far only the client-array path is here: the GL buffer sets of the buffer-object paths,
// addSpheroid, clipping and the drawing operations are added by the rendering work.
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

  // Frees s and drops it from the list; 0 (and nothing freed) when s is not listed.
  int removeSpheroid(Spheroid* s);
  bool removeAllSpheroids();
};
