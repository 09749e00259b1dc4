#pragma once

// The view's overlays draw in window pixels at points of the scene: these helpers apply the
// global camera and a mesh's pose to the GL model-view matrix, and project a point with the GL
// matrices of the moment. Only for the view's own files, inside a frame.

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glu.h>

#include "render/GraphicsEngine.h"
#include "render/Mesh.h"

namespace screen {

// Translation by globalTranslation, then the global rotation.
inline void applyCamera() {
  const GraphicsEngine& engine = *GraphicsEngine::instance();
  glTranslatef(engine.globalTranslation.x, engine.globalTranslation.y, engine.globalTranslation.z);
  glMultMatrixf(engine.globalRotationMatrix.m);
}

inline void applyPose(const Mesh& mesh) {
  glTranslatef(mesh.position.x, mesh.position.y, mesh.position.z);
  glMultMatrixf(mesh.rotationMatrix.m);
}

// The matrices read back as gluProject takes them, with the window as viewport.
struct Projection {
  GLdouble modelView[16];
  GLdouble projection[16];
  GLint viewport[4];

  Projection() {
    const GraphicsEngine& engine = *GraphicsEngine::instance();
    viewport[0] = viewport[1] = 0;
    viewport[2] = static_cast<GLint>(engine.windowWidth);
    viewport[3] = static_cast<GLint>(engine.windowHeight);
  }
  void readModelView() { glGetDoublev(GL_MODELVIEW_MATRIX, modelView); }
  void readProjection() { glGetDoublev(GL_PROJECTION_MATRIX, projection); }

  // Window x, y and depth (0 near, 1 far) of a point; false when it has none.
  bool project(const SSEVector4f& point, GLdouble window[3]) const {
    return gluProject(point.x, point.y, point.z, modelView, projection, viewport, &window[0],
                      &window[1], &window[2]) == GL_TRUE;
  }
  // As project, and false beyond the far plane too.
  bool projectInFront(const SSEVector4f& point, GLdouble window[3]) const {
    return project(point, window) && window[2] <= 1.0;
  }
};

}  // namespace screen
