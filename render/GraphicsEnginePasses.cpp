// The frame passes of the renderer: what the view's paint calls each frame, with its context
// current. Each pass sets the GL state it needs and leaves the state its header names.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <cstdio>

#include "render/Font.h"
#include "render/GLErrors.h"
#include "render/GraphicsEngine.h"
#include "render/MathEngine.h"
#include "render/Mesh.h"
#include "render/PhongUniforms.h"
#include "render/Texture.h"

namespace {

// Material of the two fixed-function passes: the client arrays are soft, the buffers glossy.
const GLfloat kSpecularVA[4] = {0.2f, 0.2f, 0.2f, 0.0f};
constexpr GLfloat kShininessVA = 100.0f;
const GLfloat kSpecularVBO[4] = {1.0f, 1.0f, 1.0f, 1.0f};
constexpr GLfloat kShininessVBO = 40.0f;
constexpr GLfloat kTransparentRampCoordinate = 0.75f;   // alpha 0.75 through the ramp
constexpr GLfloat kCameraPointSize = 10.0f;
constexpr int kFpsInset = 48;   // the number starts this far from the right edge

// Bond-order indicators show while one of the bond edit modes (6 to 9) is on.
bool measuringBondOrders() {
  const int mode = MathEngine::instance()->measureMode;
  return mode >= 6 && mode <= 9;
}

void enableClientArrays() {
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_NORMAL_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
}

void disableClientArrays() {
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_NORMAL_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
}

void applyMeshPose(const Mesh* mesh) {
  glTranslatef(mesh->position.x, mesh->position.y, mesh->position.z);
  glMultMatrixf(mesh->rotationMatrix.m);
}

}  // namespace

void GraphicsEngine::applyCamera() const {
  glTranslatef(globalTranslation.x, globalTranslation.y, globalTranslation.z);
  glMultMatrixf(globalRotationMatrix.m);
}

void GraphicsEngine::openPipeline() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glEnable(GL_DEPTH_TEST);
}

void GraphicsEngine::turnOnLights() {
  glEnable(GL_LIGHTING);
  for (int i = 0; i < 4; ++i) {
    const GLenum light = GL_LIGHT0 + static_cast<GLenum>(i);
    glEnable(light);
    glLightfv(light, GL_POSITION, lights[i].position);
    glLightfv(light, GL_DIFFUSE, lights[i].diffuse);
    glLightfv(light, GL_AMBIENT, lights[i].ambient);
  }
}

void GraphicsEngine::turnOffLights() {
  glDisable(GL_LIGHT0);
  glDisable(GL_LIGHTING);
}

void GraphicsEngine::renderMeshes_LDR() {
  glInitNames();
  glPushName(0);
  if (renderMode == RenderMode::BufferObjects)
    renderMeshes_VBO();
  else if (renderMode == RenderMode::VertexArrays)
    renderMeshes_VA();
  glPopName();
}

void GraphicsEngine::renderMeshes_VA() { renderMeshesFixed(false); }
void GraphicsEngine::renderMeshes_VBO() { renderMeshesFixed(true); }

void GraphicsEngine::drawMeshWithKinds(Mesh* mesh, bool bufferObjects) {
  if (mesh->twistActive) {
    if (bufferObjects)
      mesh->renderWithTwist_VBO();
    else
      mesh->renderWithTwist_VA();
    return;
  }
  if (showNuclei) bufferObjects ? mesh->renderNuclei_VBO() : mesh->renderNuclei_VA();
  if (showAtomicOrbitals) bufferObjects ? mesh->renderAOs_VBO() : mesh->renderAOs_VA();
  if (showMolecularOrbitals) bufferObjects ? mesh->renderMOs_VBO() : mesh->renderMOs_VA();
  if (showBondAxes) bufferObjects ? mesh->renderBondAxes_VBO() : mesh->renderBondAxes_VA();
}

void GraphicsEngine::renderMeshesFixed(bool bufferObjects) {
  glEnable(GL_BLEND);
  enableClientArrays();
  glCullFace(GL_BACK);
  glEnable(GL_CULL_FACE);
  glColorMaterial(GL_FRONT, GL_DIFFUSE);
  glEnable(GL_COLOR_MATERIAL);
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, bufferObjects ? kSpecularVBO : kSpecularVA);
  glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, bufferObjects ? kShininessVBO : kShininessVA);
  if (lighting)
    turnOnLights();
  else
    turnOffLights();
  glPushMatrix();
  applyCamera();
  if (transparency) {
    glEnable(GL_TEXTURE_1D);
    glBindTexture(GL_TEXTURE_1D, alphaRampTexture);
    glTexCoord1f(kTransparentRampCoordinate);
  } else {
    glBindTexture(GL_TEXTURE_1D, 0);
    glDisable(GL_TEXTURE_1D);
  }
  for (size_t i = 0; i < meshes.size(); ++i) {
    Mesh* mesh = meshes[i];
    glPushMatrix();
    // Only the client-array pass names its meshes for the pick buffer.
    if (!bufferObjects) glPushName(static_cast<GLuint>(i));
    applyMeshPose(mesh);
    drawMeshWithKinds(mesh, bufferObjects);
    mesh->renderActivePoints();
    if (!bufferObjects && measuringBondOrders()) mesh->renderBondOrderIndicators();
    if (!bufferObjects) glPopName();
    glPopMatrix();
  }
  if (transparency) {
    glBindTexture(GL_TEXTURE_1D, 0);
    glDisable(GL_TEXTURE_1D);
  }
  disableClientArrays();
  glPopMatrix();
  glDisable(GL_BLEND);
}

void GraphicsEngine::renderMeshes_HDR() {
  glEnable(GL_BLEND);
  enableClientArrays();
  glCullFace(GL_BACK);
  glEnable(GL_CULL_FACE);
  glPushMatrix();
  applyCamera();
  for (Mesh* mesh : meshes) {
    glPushMatrix();
    applyMeshPose(mesh);
    if (mesh->twistActive) {
      mesh->renderWithTwist_HDR();
    } else {
      // Atoms, orbitals and bond axes are drawn without the highlight, bond orbitals with it.
      if (showNuclei) {
        if (lighting)
          drawWithUseSpec(0, [mesh]() { mesh->renderNuclei_VBO(); });
        else
          mesh->renderNuclei_VBO();
      }
      if (showAtomicOrbitals) {
        if (lighting)
          drawWithUseSpec(0, [mesh]() { mesh->renderAOs_VBO(); });
        else
          mesh->renderAOs_VBO();
      }
      if (showMolecularOrbitals) mesh->renderMOs_VBO();
      if (showBondAxes) drawWithUseSpec(0, [mesh]() { mesh->renderBondAxes_VBO(); });
    }
    mesh->renderActivePoints();
    glPopMatrix();
  }
  disableClientArrays();
  glPopMatrix();
  glDisable(GL_BLEND);
}

void GraphicsEngine::renderCursor() {
  turnOffLights();
  glDisable(GL_COLOR_MATERIAL);
  glDisable(GL_CULL_FACE);
  glDisable(GL_DEPTH_TEST);
  glColor3f(1.0f, 1.0f, 1.0f);
  glEnable(GL_BLEND);
  glPushMatrix();
  applyCamera();
  if (currentMesh != nullptr && showCursor) {
    cursor.position.x = currentMesh->position.x;
    cursor.position.y = currentMesh->position.y;
    cursor.position.z = currentMesh->position.z;
    glEnable(GL_TEXTURE_2D);
    if (cursor.texture != nullptr) cursor.texture->bind();
    glTranslatef(cursor.position.x, cursor.position.y, cursor.position.z);
    glPushMatrix();
    // No rotation or scale left: the square faces the viewer at its size in world units.
    GLfloat modelView[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelView);
    for (int column = 0; column < 3; ++column)
      for (int row = 0; row < 3; ++row) modelView[column * 4 + row] = column == row ? 1.0f : 0.0f;
    glLoadMatrixf(modelView);
    static const GLfloat texCoords[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    glBegin(GL_QUADS);
    for (int i = 0; i < 4; ++i) {
      glTexCoord2fv(texCoords[i]);
      glVertex3f(cursor.corners[i].x, cursor.corners[i].y, cursor.corners[i].z);
    }
    glEnd();
    if (cursor.texture != nullptr) cursor.texture->unbind();
    glDisable(GL_TEXTURE_2D);
    glPopMatrix();
  }
  glCullFace(GL_BACK);
  glEnable(GL_CULL_FACE);
  glEnable(GL_DEPTH_TEST);
  glDisable(GL_BLEND);
  glPopMatrix();
}

void GraphicsEngine::renderCameraPositions() {
  glPushMatrix();
  applyCamera();
  glColor3f(1.0f, 1.0f, 1.0f);
  glPointSize(kCameraPointSize);
  for (GLenum primitive : {GLenum(GL_POINTS), GLenum(GL_LINE_LOOP)}) {
    glBegin(primitive);
    for (const SSEVector4f* eye : cameraEyePositions) glVertex3f(eye->x, eye->y, eye->z);
    glEnd();
  }
  glPopMatrix();
}

void GraphicsEngine::renderHUD() {
  if (font == nullptr) return;
  setOrthoProjection();
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glColor3f(1.0f, 1.0f, 1.0f);
  for (const RenderString* label : renderStrings) {
    if (label->font != nullptr && label->font->page != nullptr) label->font->page->bind();
    glCallList(label->displayList);
  }
  // About once a second, when the ticker wraps.
  if (ticker == 0.0f && deltaTime != 0.0f)
    std::snprintf(fpsText, sizeof fpsText, "%4.2f", 1.0 / deltaTime);
  renderText(fpsText, static_cast<int>(windowWidth) - kFpsInset, static_cast<int>(windowHeight));
  restorePerspectiveProjection();
  glDisable(GL_BLEND);
  glDisable(GL_TEXTURE_2D);
}

void GraphicsEngine::renderFullscreenQuad() {
  const GLfloat w = static_cast<GLfloat>(windowWidth), h = static_cast<GLfloat>(windowHeight);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  gluOrtho2D(0.0, w, 0.0, h);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glBegin(GL_QUADS);
  glTexCoord2f(0.0f, 0.0f);
  glVertex2f(0.0f, 0.0f);
  glTexCoord2f(1.0f, 0.0f);
  glVertex2f(w, 0.0f);
  glTexCoord2f(1.0f, 1.0f);
  glVertex2f(w, h);
  glTexCoord2f(0.0f, 1.0f);
  glVertex2f(0.0f, h);
  glEnd();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
}

void GraphicsEngine::renderAxes() {
  glPushMatrix();
  applyCamera();
  glDisable(GL_DEPTH_TEST);
  glScalef(1.2f, 1.2f, 1.2f);
  if (axesList != 0) glCallList(axesList);
  glEnable(GL_DEPTH_TEST);
  glPopMatrix();
}

unsigned int GraphicsEngine::getGLError() {
  return reportGLError(GLErrorNames::WithTableTooLarge);
}

void GraphicsEngine::flushPipeline() { glFlush(); }
