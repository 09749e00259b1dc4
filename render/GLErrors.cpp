#include "render/GLErrors.h"

#include <GL/gl.h>

#include <cstdio>

namespace {
constexpr GLenum kTableTooLarge = 0x8031;
}  // namespace

unsigned int reportGLError(GLErrorNames names) {
  static const char* const coreNames[] = {"GL_INVALID_ENUM",     "GL_INVALID_VALUE",
                                          "GL_INVALID_OPERATION", "GL_STACK_OVERFLOW",
                                          "GL_STACK_UNDERFLOW",   "GL_OUT_OF_MEMORY"};
  const GLenum code = glGetError();
  if (code >= GL_INVALID_ENUM && code <= GL_OUT_OF_MEMORY)
    std::printf("%s\n", coreNames[code - GL_INVALID_ENUM]);
  else if (code == kTableTooLarge && names == GLErrorNames::WithTableTooLarge)
    std::printf("GL_TABLE_TO_LARGE\n");
  return code;
}
