#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <iostream>

#include "render/FrameBufferObject.h"
#include "render/Texture.h"

namespace {
// A side of 0 would make an incomplete frame buffer.
unsigned int atLeastOne(int side) { return side > 0 ? static_cast<unsigned>(side) : 1u; }
}  // namespace

FrameBufferObjectFP16::FrameBufferObjectFP16(int width, int height)
    : colorTexture(TextureFactory::instance()->createFP16(atLeastOne(width), atLeastOne(height))) {
  build();
}

FrameBufferObjectFP16::~FrameBufferObjectFP16() {
  glDeleteFramebuffersEXT(1, &framebuffer);
  glDeleteRenderbuffersEXT(1, &depthRenderbuffer);
  delete colorTexture;
}

void FrameBufferObjectFP16::build() {
  glGenFramebuffersEXT(1, &framebuffer);
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffer);
  glEnable(GL_TEXTURE_2D);
  colorTexture->bind();
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
  glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D,
                            colorTexture->name, 0);
  glGenRenderbuffersEXT(1, &depthRenderbuffer);
  glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, depthRenderbuffer);
  glRenderbufferStorageEXT(GL_RENDERBUFFER_EXT, GL_DEPTH_COMPONENT,
                           static_cast<GLsizei>(colorTexture->width),
                           static_cast<GLsizei>(colorTexture->height));
  glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT,
                               depthRenderbuffer);
  // Checked while still bound: the window's own frame buffer is always complete.
  checkStatus();
  colorTexture->unbind();
  glDisable(GL_TEXTURE_2D);
  glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, 0);
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
}

void FrameBufferObjectFP16::resize(unsigned int width, unsigned int height) {
  const GLuint oldFramebuffer = framebuffer;
  const GLuint oldRenderbuffer = depthRenderbuffer;
  colorTexture->resize(width > 0 ? width : 1, height > 0 ? height : 1);
  build();
  glDeleteFramebuffersEXT(1, &oldFramebuffer);
  glDeleteRenderbuffersEXT(1, &oldRenderbuffer);
}

bool FrameBufferObjectFP16::attach() {
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffer);
  glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, depthRenderbuffer);
  return checkStatus();
}

bool FrameBufferObjectFP16::detach() {
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
  glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, 0);
  return checkStatus();
}

bool FrameBufferObjectFP16::checkStatus() {
  const char* line = nullptr;
  switch (glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT)) {
    case GL_FRAMEBUFFER_COMPLETE_EXT: return true;
    case GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT_EXT:
      line = "Framebuffer incomplete, incomplete attachment";
      break;
    case GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT_EXT:
      line = "Framebuffer incomplete, missing attachment";
      break;
    case GL_FRAMEBUFFER_INCOMPLETE_DIMENSIONS_EXT:
      line = "Framebuffer incomplete, attached images must have same dimensions";
      break;
    case GL_FRAMEBUFFER_INCOMPLETE_FORMATS_EXT:
      line = "Framebuffer incomplete, attached images must have same format";
      break;
    case GL_FRAMEBUFFER_INCOMPLETE_DRAW_BUFFER_EXT:
      line = "Framebuffer incomplete, missing draw buffer";
      break;
    case GL_FRAMEBUFFER_INCOMPLETE_READ_BUFFER_EXT:
      line = "Framebuffer incomplete, missing read buffer";
      break;
    case GL_FRAMEBUFFER_UNSUPPORTED_EXT: line = "Unsupported framebuffer format"; break;
    default: break;
  }
  if (line != nullptr) std::cout << line << std::endl;
  return false;
}
