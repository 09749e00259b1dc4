#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <QImage>

#include "math/UtilityEngine.h"
#include "render/GLErrors.h"
#include "render/Texture.h"

TextureFactory* TextureFactory::Instance = nullptr;

TextureFactory* TextureFactory::instance() {
  if (Instance == nullptr) Instance = new TextureFactory();
  return Instance;
}

void Texture::bind() { glBindTexture(GL_TEXTURE_2D, name); }

void Texture::unbind() { glBindTexture(GL_TEXTURE_2D, 0); }

unsigned int Texture::getTextureError() { return reportGLError(GLErrorNames::WithTableTooLarge); }

TextureFP16::TextureFP16() { glGenTextures(1, &name); }

TextureFP16::~TextureFP16() {
  if (name != 0) glDeleteTextures(1, &name);
}

void TextureFP16::specify() {
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA16F_ARB, static_cast<GLsizei>(width),
               static_cast<GLsizei>(height), 0, GL_RGBA, GL_HALF_FLOAT_ARB, nullptr);
}

void TextureFP16::resize(unsigned int newWidth, unsigned int newHeight) {
  // The new name is made before the old one is freed, so GL cannot hand the old one back.
  const GLuint old = name;
  width = newWidth;
  height = newHeight;
  glGenTextures(1, &name);
  bind();
  specify();
  unbind();
  if (old != 0) glDeleteTextures(1, &old);
}

namespace {

// The picture as RGBA bytes, its top row first.
bool readImage(const char* path, QImage& rgba) {
  QImage image;
  if (path == nullptr || !image.load(QString::fromLocal8Bit(path))) {
    ErrorLine() << "Error: TextureFactory: cannot read the image \"" << (path ? path : "") << "\"";
    rgba = QImage();
    return false;
  }
  // RGBA8888 holds the bytes in GL's RGBA order; QImage keeps the top row first, and GL takes
  // the first row as t = 0, so the picture's top lands at t = 0 without mirroring.
  rgba = image.convertToFormat(QImage::Format_RGBA8888);
  return true;
}

}  // namespace

Texture* TextureFactory::createFromPNG(const char* path) {
  auto* texture = new Texture();
  QImage image;
  if (!readImage(path, image)) return texture;
  texture->width = static_cast<unsigned>(image.width());
  texture->height = static_cast<unsigned>(image.height());
  glGenTextures(1, &texture->name);
  texture->bind();
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  // Rows are packed (width * 4 bytes, a multiple of 4), which GL's default alignment expects.
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, image.width(), image.height(), 0, GL_RGBA,
               GL_UNSIGNED_BYTE, image.constBits());
  texture->unbind();
  glDisable(GL_TEXTURE_2D);
  return texture;
}

TextureFP16* TextureFactory::createFP16(unsigned int width, unsigned int height) {
  auto* texture = new TextureFP16();
  texture->width = width;
  texture->height = height;
  texture->bind();
  texture->specify();
  texture->unbind();
  return texture;
}
