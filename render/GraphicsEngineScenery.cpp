// Scenery the renderer can draw but no frame asks for at present: coordinate axes, a floor with
// a grid, and shadow discs with drop lines under the meshes.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <cmath>

#include "math/Constants.h"
#include "render/GraphicsEngine.h"
#include "render/Mesh.h"
#include "render/PhongUniforms.h"

namespace {

constexpr float kFloorHalfSide = 100.0f;
constexpr float kGridStep = 5.0f;
constexpr float kGridHeight = 0.15f;   // above the floor, so the lines win the depth test
constexpr float kShadowRadii[3] = {0.75f, 1.25f, 1.75f};
constexpr float kShadowHeight = 0.1f;
constexpr int kDiscSegments = 24;
constexpr float kDropLineWidth = 5.0f;
constexpr float kGlyphSize = 0.08f;   // axis letters, in axis lengths

// A letter made of line segments near the end of an axis: (x0, y0, x1, y1) pairs in the plane
// that faces the viewer, centred on the given point.
void drawGlyph(const float (*segments)[4], int count, float cx, float cy, float cz) {
  glBegin(GL_LINES);
  for (int i = 0; i < count; ++i) {
    glVertex3f(cx + kGlyphSize * segments[i][0], cy + kGlyphSize * segments[i][1], cz);
    glVertex3f(cx + kGlyphSize * segments[i][2], cy + kGlyphSize * segments[i][3], cz);
  }
  glEnd();
}

}  // namespace

void GraphicsEngine::createAxes() {
  static const float letterX[2][4] = {{-1, -1, 1, 1}, {-1, 1, 1, -1}};
  static const float letterY[3][4] = {{-1, 1, 0, 0}, {1, 1, 0, 0}, {0, 0, 0, -1}};
  static const float letterZ[3][4] = {{-1, 1, 1, 1}, {1, 1, -1, -1}, {-1, -1, 1, -1}};
  if (axesList == 0) axesList = glGenLists(1);
  glNewList(axesList, GL_COMPILE);
  glDisable(GL_LIGHTING);
  glBegin(GL_LINES);
  glColor3f(1.0f, 0.0f, 0.0f);
  glVertex3f(0.0f, 0.0f, 0.0f);
  glVertex3f(1.0f, 0.0f, 0.0f);
  glColor3f(0.0f, 1.0f, 0.0f);
  glVertex3f(0.0f, 0.0f, 0.0f);
  glVertex3f(0.0f, 1.0f, 0.0f);
  glColor3f(0.0f, 0.0f, 1.0f);
  glVertex3f(0.0f, 0.0f, 0.0f);
  glVertex3f(0.0f, 0.0f, 1.0f);
  glEnd();
  glColor3f(1.0f, 0.0f, 0.0f);
  drawGlyph(letterX, 2, 1.15f, 0.0f, 0.0f);
  glColor3f(0.0f, 1.0f, 0.0f);
  drawGlyph(letterY, 3, 0.0f, 1.15f, 0.0f);
  glColor3f(0.0f, 0.0f, 1.0f);
  drawGlyph(letterZ, 3, 0.0f, 0.0f, 1.15f);
  glEnable(GL_LIGHTING);
  glEndList();
}

void GraphicsEngine::createFloor() {
  if (floorList == 0) floorList = glGenLists(1);
  glNewList(floorList, GL_COMPILE);
  glDisable(GL_LIGHTING);
  glColor3f(0.5f, 0.5f, 0.5f);
  glBegin(GL_QUADS);
  glVertex3f(-kFloorHalfSide, 0.0f, -kFloorHalfSide);
  glVertex3f(-kFloorHalfSide, 0.0f, kFloorHalfSide);
  glVertex3f(kFloorHalfSide, 0.0f, kFloorHalfSide);
  glVertex3f(kFloorHalfSide, 0.0f, -kFloorHalfSide);
  glEnd();
  glColor3f(0.3f, 0.3f, 0.3f);
  glBegin(GL_LINES);
  const int lines = static_cast<int>(2.0f * kFloorHalfSide / kGridStep);
  for (int i = 0; i <= lines; ++i) {
    const float at = -kFloorHalfSide + kGridStep * static_cast<float>(i);
    glVertex3f(at, kGridHeight, -kFloorHalfSide);
    glVertex3f(at, kGridHeight, kFloorHalfSide);
    glVertex3f(-kFloorHalfSide, kGridHeight, at);
    glVertex3f(kFloorHalfSide, kGridHeight, at);
  }
  glEnd();
  glEnable(GL_LIGHTING);
  glEndList();
}

void GraphicsEngine::renderFloor() {
  if (floorList == 0) return;
  glPushMatrix();
  applyCamera();
  glCallList(floorList);
  glPopMatrix();
}

void GraphicsEngine::createShadows() {
  for (int k = 0; k < 3; ++k) {
    if (shadowLists[k] == 0) shadowLists[k] = glGenLists(1);
    glNewList(shadowLists[k], GL_COMPILE);
    glBegin(GL_TRIANGLE_FAN);
    glVertex3f(0.0f, 0.0f, 0.0f);
    for (int i = 0; i <= kDiscSegments; ++i) {
      const float t = 2.0f * kPi * static_cast<float>(i) / kDiscSegments;
      glVertex3f(kShadowRadii[k] * std::cos(t), 0.0f, -kShadowRadii[k] * std::sin(t));
    }
    glEnd();
    glEndList();
  }
}

void GraphicsEngine::renderMeshShadows() {
  if (shadowLists[0] == 0) return;
  glDisable(GL_LIGHTING);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glLineWidth(kDropLineWidth);
  glPushMatrix();
  applyCamera();
  for (const Mesh* mesh : meshes) {
    const SSEVector4f& p = mesh->position;
    // The larger the molecule, the wider its shadow.
    const int disc = mesh->size < 5.0f ? 0 : (mesh->size < 10.0f ? 1 : 2);
    glColor4f(0.0f, 0.0f, 0.0f, 0.5f);
    glPushMatrix();
    glTranslatef(p.x, kShadowHeight, p.z);
    glCallList(shadowLists[disc]);
    glPopMatrix();
    glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
    glBegin(GL_LINES);
    glVertex3f(p.x, p.y, p.z);
    glVertex3f(p.x, kShadowHeight, p.z);
    glEnd();
  }
  glPopMatrix();
  glLineWidth(1.0f);
  glDisable(GL_BLEND);
  glEnable(GL_LIGHTING);
}

void GraphicsEngine::renderMeshShadows_HDR() {
  glUseProgram(0);
  renderMeshShadows();
  if (lighting) glUseProgram(phongProgram());
}
