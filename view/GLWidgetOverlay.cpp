// Drawn over the scene: the labels "1" and "2" of the chosen bond axes, the atom labels, the
// colour scale in the top right corner; and the camera's screen axes in world space, which the
// drags use to move molecules in the screen plane.
#include <cmath>
#include <string>

#include "model/Atom.h"
#include "model/Spheroid.h"
#include "render/Font.h"
#include "render/GraphicsEngine.h"
#include "render/Mesh.h"
#include "render/Texture.h"
#include "view/GLWidget.h"
#include "view/ScreenProjection.h"

namespace {

constexpr int kScaleWidth = 43;    // pixels of the colour scale picture
constexpr int kScaleHeight = 410;
constexpr int kScaleInset = 25;    // from the window's top and right edges
constexpr float kCameraAxisLength = 0.5f;

}  // namespace

// Yellow text with its pen at the window point, over everything.
void GLWidget::drawLabel(const char* text, double winX, double winY) {
  GraphicsEngine* engine = GraphicsEngine::instance();
  engine->setOrthoProjection();
  glColor3f(1.0f, 1.0f, 0.0f);
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  Texture* page = engine->font == nullptr ? nullptr : engine->font->page;
  if (page != nullptr) page->bind();
  engine->renderText(text, static_cast<int>(winX), static_cast<int>(winY));
  if (page != nullptr) page->unbind();
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_BLEND);
  engine->restorePerspectiveProjection();
}

void GLWidget::paintStep_textOverlay() {
  GraphicsEngine* engine = GraphicsEngine::instance();
  screen::Projection p;
  const Spheroid* const axes[2] = {firstSelectedSpheroid, secondSelectedSpheroid};
  const char* const axisLabels[2] = {"1", "2"};
  for (int i = 0; i < 2; ++i) {
    const Spheroid* axis = axes[i];
    if (axis == nullptr || axis->kind != SpheroidKind::OpenBondAxis || axis->meshSlot == nullptr)
      continue;
    glPushMatrix();
    screen::applyCamera();
    screen::applyPose(*Mesh::holding(axis));
    p.readModelView();
    p.readProjection();
    GLdouble window[3];
    if (p.project(axis->centre, window)) drawLabel(axisLabels[i], window[0], window[1]);
    glPopMatrix();
  }
  // A mesh built or deleted in this frame gets no labels until the next.
  if (!engine->showAtomIDs || moleculePending || purgeDeletedMeshes) return;
  glPushMatrix();
  p.readProjection();
  screen::applyCamera();
  for (const Mesh* mesh : engine->meshes) {
    glPushMatrix();
    screen::applyPose(*mesh);
    p.readModelView();
    for (const Spheroid* s : mesh->spheroids) {
      const Atom* atom =
          s->kind == SpheroidKind::AtomSphere ? static_cast<const Atom*>(s->owner) : nullptr;
      GLdouble window[3];
      // Atoms beyond the far plane stay unlabelled.
      if (atom == nullptr || atom->sphere == nullptr ||
          !p.projectInFront(atom->sphere->centre, window))
        continue;
      drawLabel((atom->element + std::to_string(atom->id + 1)).c_str(), window[0], window[1]);
    }
    glPopMatrix();
  }
  glPopMatrix();
}

void GLWidget::renderColorScale() {
  if (colorScaleImage.isNull()) return;
  GraphicsEngine* engine = GraphicsEngine::instance();
  // Uploaded on the first call; later calls find the texture in the widget's cache.
  const GLuint texture = bindTexture(colorScaleImage, GL_TEXTURE_2D, GL_RGBA);
  const float right = static_cast<float>(engine->windowWidth) - kScaleInset;
  const float top = static_cast<float>(engine->windowHeight) - kScaleInset;
  engine->setOrthoProjection();
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glBindTexture(GL_TEXTURE_2D, texture);
  glBegin(GL_QUADS);
  glTexCoord2f(0.0f, 0.0f);
  glVertex2f(right - kScaleWidth, top - kScaleHeight);
  glTexCoord2f(1.0f, 0.0f);
  glVertex2f(right, top - kScaleHeight);
  glTexCoord2f(1.0f, 1.0f);
  glVertex2f(right, top);
  glTexCoord2f(0.0f, 1.0f);
  glVertex2f(right - kScaleWidth, top);
  glEnd();
  glBindTexture(GL_TEXTURE_2D, 0);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_BLEND);
  engine->restorePerspectiveProjection();
}

namespace {

// The window point (x, y, depth) in the scene, by GLU's arithmetic alone (no GL call).
bool unproject(double x, double y, double depth, const GLdouble modelView[16],
               const GLdouble projection[16], const GLint viewport[4], double out[3]) {
  return gluUnProject(x, y, depth, modelView, projection, viewport, &out[0], &out[1], &out[2]) ==
         GL_TRUE;
}

// x, y, z of a double vector into a float one, scaled to the given length; w untouched.
void setAxis(SSEVector4f& axis, const double v[3], float length) {
  const double norm = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  if (norm < 1e-30) return;
  axis.x = static_cast<float>(v[0] / norm * length);
  axis.y = static_cast<float>(v[1] / norm * length);
  axis.z = static_cast<float>(v[2] / norm * length);
}

}  // namespace

// Unprojects the window centre, one pixel to its right, and the centre on the far plane under
// the global camera. Without GL, so the drag handlers and the main window's buttons may call it
// outside a frame; in double precision, as the pixel step on the near plane is a tiny
// difference of large coordinates.
void GLWidget::buildCameraAxes() {
  GraphicsEngine* engine = GraphicsEngine::instance();
  SSEMatrix4x4f camera;
  engine->globalRotation.toMatrix(&camera);
  SSEMatrix4x4f move;
  move.m[12] = engine->globalTranslation.x;
  move.m[13] = engine->globalTranslation.y;
  move.m[14] = engine->globalTranslation.z;
  camera *= move;   // the rotation first, then the translation, as the passes apply them
  screen::Projection p;
  for (int i = 0; i < 16; ++i) {
    p.modelView[i] = camera.m[i];
    p.projection[i] = engine->projectionMatrix.m[i];
  }
  const double cx = engine->windowWidth / 2, cy = engine->windowHeight / 2;
  double origin[3], right[3], far[3];
  if (!unproject(cx, cy, 0.0, p.modelView, p.projection, p.viewport, origin) ||
      !unproject(cx + 1.0, cy, 0.0, p.modelView, p.projection, p.viewport, right) ||
      !unproject(cx, cy, 1.0, p.modelView, p.projection, p.viewport, far))
    return;
  const double toRight[3] = {right[0] - origin[0], right[1] - origin[1], right[2] - origin[2]};
  const double toFar[3] = {far[0] - origin[0], far[1] - origin[1], far[2] - origin[2]};
  const double up[3] = {toRight[1] * toFar[2] - toFar[1] * toRight[2],
                        toRight[2] * toFar[0] - toRight[0] * toFar[2],
                        toRight[0] * toFar[1] - toRight[1] * toFar[0]};
  setAxis(cameraRight, toRight, kCameraAxisLength);
  setAxis(cameraView, toFar, kCameraAxisLength);
  setAxis(cameraUp, up, kCameraAxisLength);
}
