#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include "render/GLSLShader.h"
#include "render/GraphicsEngine.h"
#include "render/PhongUniforms.h"

namespace {
bool programInUse() {
  GLint program = 0;
  glGetIntegerv(GL_CURRENT_PROGRAM, &program);
  return program != 0;
}
}  // namespace

unsigned int phongProgram() {
  const GLSLShader* shader = GraphicsEngine::instance()->phongShader;
  return shader != nullptr ? shader->program : 0;
}

void setAlphaUniform(float alpha) {
  if (programInUse()) glUniform1f(GraphicsEngine::instance()->alphaLocation, alpha);
}

void drawWithUseSpec(int value, const std::function<void()>& draw) {
  const GLuint program = phongProgram();
  const GLint location = GraphicsEngine::instance()->useSpecLocation;
  if (program == 0 || location < 0 || !programInUse()) {
    draw();
    return;
  }
  GLint before = 0;
  glGetUniformiv(program, location, &before);
  glUniform1i(location, value);
  draw();
  if (before != 0) glUniform1i(location, 1);
}
