// The drawing members of Mesh. Called by the frame passes with the view's context current and
// the mesh pose applied; the passes enable the client arrays the kind passes use.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdint>

#include "model/Spheroid.h"
#include "render/GLErrors.h"
#include "render/GraphicsEngine.h"
#include "render/Mesh.h"
#include "render/PhongUniforms.h"
#include "render/TimeEngine.h"

namespace {

constexpr float kPulseTurnUp = 0.251f;
constexpr float kPulseTurnUpHDR = 0.25000009f;   // the half-float frame keeps it above 0.25
constexpr float kTransparentAlpha = 0.85f;
constexpr float kMarkerPointSize = 5.0f;
constexpr float kHDRMarkerLineWidth = 2.0f;

bool inHDR() { return GraphicsEngine::instance()->renderMode == RenderMode::HighDynamicRange; }

void drawSpheroidArrays(const Spheroid* s, GLenum mode) {
  if (s->vertices == nullptr || s->normals == nullptr || s->colours == nullptr ||
      s->indices == nullptr)
    return;
  glColorPointer(4, GL_UNSIGNED_BYTE, 0, s->colours);
  glVertexPointer(3, GL_FLOAT, 0, s->vertices);
  glNormalPointer(GL_FLOAT, 0, s->normals);
  glDrawElements(mode, s->indexRange[1] - s->indexRange[0], GL_UNSIGNED_SHORT, s->indices);
}

// Core entry points in every mode: the ARB names alias the same objects.
void drawSpheroidBuffers(const Spheroid* s, GLenum mode) {
  if (!s->holdsBuffer(SpheroidBuffer::Index) || !s->holdsBuffer(SpheroidBuffer::Vertex)) return;
  glBindBuffer(GL_ARRAY_BUFFER, s->bufferIds[3]);
  glColorPointer(4, GL_UNSIGNED_BYTE, 0, nullptr);
  glBindBuffer(GL_ARRAY_BUFFER, s->bufferIds[0]);
  glVertexPointer(3, GL_FLOAT, 0, nullptr);
  glBindBuffer(GL_ARRAY_BUFFER, s->bufferIds[1]);
  glNormalPointer(GL_FLOAT, 0, nullptr);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, s->bufferIds[2]);
  const std::uintptr_t firstByte = 2u * s->indexRange[0];
  glDrawElements(mode, s->indexRange[1] - s->indexRange[0], GL_UNSIGNED_SHORT,
                 reinterpret_cast<const void*>(firstByte));
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void drawSpheroid(const Spheroid* s, GLenum mode, bool bufferObjects) {
  if (bufferObjects)
    drawSpheroidBuffers(s, mode);
  else
    drawSpheroidArrays(s, mode);
}

// Markers (active points, indicators) are drawn unlit over everything; in the HDR frame without
// the phong program and with wider lines. Afterwards the lighting and the program in use are
// put back as they were, so a pass drawn unlit (or without the program) stays so.
struct MarkerState {
  GLboolean lighting;
  GLint program;
};

MarkerState beginMarkers() {
  MarkerState saved{glIsEnabled(GL_LIGHTING), 0};
  glGetIntegerv(GL_CURRENT_PROGRAM, &saved.program);
  if (inHDR()) {
    glUseProgram(0);
    glLineWidth(kHDRMarkerLineWidth);
  }
  glPointSize(kMarkerPointSize);
  glColor3f(1.0f, 1.0f, 1.0f);
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  return saved;
}

void endMarkers(const MarkerState& saved) {
  glPointSize(1.0f);
  if (saved.lighting) glEnable(GL_LIGHTING);
  glEnable(GL_DEPTH_TEST);
  if (inHDR()) {
    glUseProgram(static_cast<GLuint>(saved.program));
    glLineWidth(1.0f);
  }
}

}  // namespace

void Mesh::renderSpheroid_VA(unsigned i) {
  if (i < spheroids.size()) drawSpheroidArrays(spheroids[i], primitiveMode);
}

void Mesh::renderSpheroid_VBO(unsigned i) {
  if (i < spheroids.size()) drawSpheroidBuffers(spheroids[i], primitiveMode);
}

void Mesh::renderKind(int kind, bool bufferObjects) {
  for (const Spheroid* s : spheroids)
    if (s->isVisible && s->kind == kind && s != currentSpheroid)
      drawSpheroid(s, primitiveMode, bufferObjects);
}

void Mesh::renderNuclei_VA() { renderKind(SpheroidKind::AtomSphere, false); }
void Mesh::renderNuclei_VBO() { renderKind(SpheroidKind::AtomSphere, true); }
void Mesh::renderAOs_VA() { renderKind(SpheroidKind::AtomicOrbital, false); }
void Mesh::renderAOs_VBO() { renderKind(SpheroidKind::AtomicOrbital, true); }
void Mesh::renderBondAxes_VA() { renderKind(SpheroidKind::OpenBondAxis, false); }
void Mesh::renderBondAxes_VBO() { renderKind(SpheroidKind::OpenBondAxis, true); }
void Mesh::renderMOs_VA() { renderKind(SpheroidKind::BondOrbital, false); }
void Mesh::renderMOs_VBO() { renderKind(SpheroidKind::BondOrbital, true); }

void Mesh::renderCurrentSpheroid(bool bufferObjects) {
  if (currentSpheroid == nullptr) return;
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_NORMAL_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  drawSpheroid(currentSpheroid, primitiveMode, bufferObjects);
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_NORMAL_ARRAY);
}

// Each variant keeps in AlphaDirection which way its pulse runs, shared by every mesh drawn
// through that variant.
void Mesh::renderCurrentSpheroid_VA() {
  static float AlphaDirection = 1.0f;
  advancePulse(AlphaDirection, TimeEngine::instance()->getHighDeltaTime(), kPulseTurnUp);
  glTexCoord1f(pulseAlpha);   // into the alpha ramp the pass has bound
  renderCurrentSpheroid(false);
}

void Mesh::renderCurrentSpheroid_VBO() {
  static float AlphaDirection = 1.0f;
  advancePulse(AlphaDirection, TimeEngine::instance()->getHighDeltaTime(), kPulseTurnUp);
  glTexCoord1f(pulseAlpha);
  renderCurrentSpheroid(true);
}

void Mesh::renderCurrentSpheroid_HDR() {
  static float AlphaDirection = 1.0f;
  GraphicsEngine* engine = GraphicsEngine::instance();
  advancePulse(AlphaDirection, TimeEngine::instance()->getHighDeltaTime(), kPulseTurnUpHDR);
  if (engine->lighting) {
    setAlphaUniform(pulseAlpha);
  } else {
    glBindTexture(GL_TEXTURE_1D, engine->alphaRampTexture);
    glTexCoord1f(pulseAlpha);
  }
  renderCurrentSpheroid(true);
  setAlphaUniform(engine->transparency ? kTransparentAlpha : 1.0f);
  if (!engine->lighting) glBindTexture(GL_TEXTURE_1D, 0);
}

void Mesh::renderWithTwist(bool bufferObjects, bool hdr) {
  SSEMatrix4x4f twist;
  twistRotation.toMatrix(&twist);
  for (const Spheroid* s : spheroids) {
    if (!s->isVisible) continue;
    auto draw = [&]() { drawSpheroid(s, primitiveMode, bufferObjects); };
    if (s->isTwisting) {
      glPushMatrix();
      glTranslatef(twistPivot.x, twistPivot.y, twistPivot.z);
      glMultMatrixf(twist.m);
      glTranslatef(-twistPivot.x, -twistPivot.y, -twistPivot.z);
    }
    // In the HDR frame only bond orbitals keep their highlight.
    if (hdr)
      drawWithUseSpec(s->kind == SpheroidKind::BondOrbital ? 1 : 0, draw);
    else
      draw();
    if (s->isTwisting) glPopMatrix();
  }
}

void Mesh::renderWithTwist_VA() { renderWithTwist(false, false); }
void Mesh::renderWithTwist_VBO() { renderWithTwist(true, false); }
void Mesh::renderWithTwist_HDR() { renderWithTwist(true, true); }

void Mesh::renderActivePoints() {
  if (!showActivePoints) return;
  const MarkerState saved = beginMarkers();
  glBegin(GL_POINTS);
  for (const SSEVector4f* p : activePoints) glVertex3f(p->x, p->y, p->z);
  glEnd();
  if (activePoints.size() > 1) {
    glColor3f(1.0f, 1.0f, 0.0f);
    glBegin(GL_LINE_STRIP);
    for (const SSEVector4f* p : activePoints) glVertex3f(p->x, p->y, p->z);
    glEnd();
  }
  endMarkers(saved);
}

void Mesh::renderBondOrderIndicators() {
  const std::vector<IndicatorLine> lines =
      bondOrderIndicatorLines(GraphicsEngine::instance()->globalTranslation);
  const MarkerState saved = beginMarkers();
  glBegin(GL_LINES);
  for (const IndicatorLine& line : lines) {
    if (line.aromatic)
      glColor3f(0.0f, 0.0f, 1.0f);
    else
      glColor3f(1.0f, 1.0f, 1.0f);
    glVertex3f(line.from.x, line.from.y, line.from.z);
    glVertex3f(line.to.x, line.to.y, line.to.z);
  }
  glEnd();
  endMarkers(saved);
}

unsigned int Mesh::getGLError() { return reportGLError(GLErrorNames::WithTableTooLarge); }
