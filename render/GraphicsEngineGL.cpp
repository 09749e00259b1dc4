// The renderer's GL side outside the frame passes: its resources, the high-dynamic-range set-up,
// the window size and projections, and screen text.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <QtGlobal>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "math/DataFolder.h"
#include "math/UtilityEngine.h"
#include "render/Font.h"
#include "render/FrameBufferObject.h"
#include "render/GLSLShader.h"
#include "render/GraphicsEngine.h"
#include "render/MathEngine.h"
#include "render/Mesh.h"
#include "render/Texture.h"

namespace {
const char* const kFontPath = "Resources/font.fnt";
const char* const kCursorPath = "Resources/cursor.png";
constexpr float kHalfFieldOfViewRad = 0.61086524f;   // 35 degrees: 70 degrees across
constexpr double kRadPerDeg = 0.01745329238474369;
constexpr float kNearPlane = 0.1f;
constexpr float kFarPlane = 10000.0f;
const char* const kPhongVertexPath = ":/KestavorGUI/Resources/phong.vs";
const char* const kPhongFragmentPath = ":/KestavorGUI/Resources/phong.fs";
constexpr float kPhongAlpha = 0.85f;
constexpr float kPhongExponent = 64.0f;
constexpr float kPhongSpecularity = 0.95f;
}  // namespace

void GraphicsEngine::initGLResources() {
  if (glResourcesMade) return;
  glResourcesMade = true;
  if (Font* loaded = FontFactory::instance()->createFont(dataPath(kFontPath).c_str())) {
    fonts.push_back(loaded);
    font = fonts[0];
    renderStrings.push_back(new RenderString("FPS:", font,
                                             static_cast<int>(windowWidth) - FpsLabelInset,
                                             static_cast<int>(windowHeight)));
  }
  delete cursor.texture;
  cursor.texture = TextureFactory::instance()->createFromPNG(dataPath(kCursorPath).c_str());
  makeAlphaRamp();
}

// Texel i of the ramp holds alpha i/255, so a texture coordinate picks the alpha of a pass.
void GraphicsEngine::makeAlphaRamp() {
  GLubyte ramp[256];
  for (int i = 0; i < 256; ++i) ramp[i] = static_cast<GLubyte>(i);
  glEnable(GL_TEXTURE_1D);
  GLuint name = 0;
  glGenTextures(1, &name);
  alphaRampTexture = name;
  glBindTexture(GL_TEXTURE_1D, name);
  glTexImage1D(GL_TEXTURE_1D, 0, GL_ALPHA, 256, 0, GL_ALPHA, GL_UNSIGNED_BYTE, ramp);
  glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_WRAP_S, GL_CLAMP);
  glBindTexture(GL_TEXTURE_1D, 0);
  glDisable(GL_TEXTURE_1D);
}

void GraphicsEngine::initHDR(int width, int height) {
  // The shaders are compiled into kv_resources, a static library: register them first.
  Q_INIT_RESOURCE(shaders);
  delete hdrFrameBuffer;
  hdrFrameBuffer = new FrameBufferObjectFP16(width, height);
  delete phongShader;
  phongShader = new GLSLShader();
  for (const char* path : {kPhongVertexPath, kPhongFragmentPath})
    if (!phongShader->loadShaderModule(path)) {
      ErrorLine() << "Error: initHDR: no shader stage in \"" << path << "\"";
      std::exit(1);
    }
  phongShader->buildShader();
  const GLuint program = phongShader->program;
  glUseProgram(program);
  useSpecLocation = glGetUniformLocation(program, "UseSpec");
  useDiffuseLocation = glGetUniformLocation(program, "UseDiffuse");
  alphaLocation = glGetUniformLocation(program, "Alpha");
  exponentLocation = glGetUniformLocation(program, "Exponent");
  specularityLocation = glGetUniformLocation(program, "Specularity");
  glUniform1f(alphaLocation, kPhongAlpha);
  glUniform1f(exponentLocation, kPhongExponent);
  glUniform1f(specularityLocation, kPhongSpecularity);
  glUseProgram(0);
}

void GraphicsEngine::resizeWindow(int width, int height) {
  // A zero side would make the aspect ratio 0 or infinite and the projection NaN.
  windowWidth = static_cast<unsigned>(width > 0 ? width : 1);
  windowHeight = static_cast<unsigned>(height > 0 ? height : 1);
  if (glResourcesMade)
    glViewport(0, 0, static_cast<GLsizei>(windowWidth), static_cast<GLsizei>(windowHeight));
  if (renderMode == RenderMode::HighDynamicRange && hdrFrameBuffer != nullptr)
    hdrFrameBuffer->resize(windowWidth, windowHeight);
  setPerspectiveProjection();
  rebuildRenderStrings();
}

void GraphicsEngine::setPerspectiveProjection() {
  const float aspect = static_cast<float>(windowWidth) / static_cast<float>(windowHeight);
  const float fovY = static_cast<float>(
      2.0 * std::atan2(1.0, aspect / std::tan(kHalfFieldOfViewRad)) / kRadPerDeg);
  MathEngine* math = MathEngine::instance();
  math->createPerspectiveProjection(fovY, aspect, kNearPlane, kFarPlane);
  math->createOrthographicProjection(0.0f, static_cast<float>(windowWidth), 0.0f,
                                     static_cast<float>(windowHeight));
  if (!glResourcesMade) return;
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMultMatrixf(projectionMatrix.m);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

void GraphicsEngine::setOrthoProjection() {
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glMultMatrixf(orthoMatrix.m);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
}

void GraphicsEngine::restorePerspectiveProjection() {
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
}

void GraphicsEngine::rebuildGUI() { rebuildRenderStrings(); }

void GraphicsEngine::addRenderString(RenderString* s) {
  if (s != nullptr) renderStrings.push_back(s);
}

void GraphicsEngine::removeRenderString(RenderString* s) {
  const auto it = std::find(renderStrings.begin(), renderStrings.end(), s);
  if (s == nullptr || it == renderStrings.end()) return;
  renderStrings.erase(it);
  delete s;
}

void GraphicsEngine::addFont(Font* f) {
  if (f == nullptr) return;
  fonts.push_back(f);
  if (font == nullptr) font = fonts.front();
}

void GraphicsEngine::removeFont(Font* f) {
  const auto it = std::find(fonts.begin(), fonts.end(), f);
  if (f == nullptr || it == fonts.end()) return;
  fonts.erase(it);
  Font* const standIn = fonts.empty() ? nullptr : fonts.front();
  if (font == f) font = standIn;
  // A string compiled for the font must not replay it or bind its page once it is gone.
  for (RenderString* s : renderStrings)
    if (s->font == f) {
      s->font = standIn;
      s->buildList();
    }
  delete f;
}

void GraphicsEngine::deleteInstance() {
  delete Instance;
  Instance = nullptr;
}

GraphicsEngine::~GraphicsEngine() {
  for (Mesh* m : std::vector<Mesh*>(meshes)) removeMesh(m);
  for (RenderString* s : renderStrings) delete s;
  renderStrings.clear();
  for (Font* f : fonts) delete f;
  fonts.clear();
  font = nullptr;
  eraseAllCameras();
  delete cursor.texture;
  delete hdrFrameBuffer;
  delete phongShader;
  if (alphaRampTexture != 0) glDeleteTextures(1, &alphaRampTexture);
  // The math singleton must not go on reading the fields of a deleted renderer.
  MathEngine* math = MathEngine::Instance;
  if (math != nullptr && math->projection == &projectionMatrix) {
    math->projection = nullptr;
    math->auxMatrix = nullptr;
    math->orthoProjection = nullptr;
    math->translation = nullptr;
    math->rotationMatrix = nullptr;
    math->viewportWidth = nullptr;
    math->viewportHeight = nullptr;
    math->pickX = nullptr;
    math->pickY = nullptr;
    math->eyeRayOrigin = nullptr;
    math->eyeRayDirection = nullptr;
  }
}

void GraphicsEngine::rebuildRenderStrings() {
  if (renderStrings.empty()) return;
  RenderString* label = renderStrings.front();
  label->x = static_cast<int>(windowWidth) - FpsLabelInset;
  label->y = static_cast<int>(windowHeight);
  label->buildList();
}

void GraphicsEngine::renderText(const char* text, int x, int y) {
  if (font == nullptr || text == nullptr) return;
  std::vector<TextQuad2D> quads;
  font->layoutText(text, x, y, quads);
  if (font->page != nullptr) font->page->bind();
  Font::drawQuads(quads);
  if (font->page != nullptr) font->page->unbind();
}
