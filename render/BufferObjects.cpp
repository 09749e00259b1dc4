#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstddef>
#include <vector>

#include "render/BufferObjects.h"
#include "render/GraphicsEngine.h"

bool VertexBufferObject::UseARB = false;
bool IndexBufferObject::UseARB = false;
bool ColorBufferObject::UseARB = false;

namespace {

enum class Entry { None, Core, ARB };

Entry entryPoints() {
  const RenderMode mode = GraphicsEngine::instance()->renderMode;
  if (mode == RenderMode::VertexArrays) return Entry::None;
  return mode == RenderMode::BufferObjectsARB ? Entry::ARB : Entry::Core;
}

unsigned int createBuffer(GLenum target, size_t bytes) {
  GLuint name = 0;
  switch (entryPoints()) {
    case Entry::None: break;
    case Entry::Core:
      glGenBuffers(1, &name);
      glBindBuffer(target, name);
      glBufferData(target, static_cast<GLsizeiptr>(bytes), nullptr, GL_STATIC_DRAW);
      glBindBuffer(target, 0);
      break;
    case Entry::ARB:
      glGenBuffersARB(1, &name);
      glBindBufferARB(target, name);
      glBufferDataARB(target, static_cast<GLsizeiptrARB>(bytes), nullptr, GL_STATIC_DRAW_ARB);
      glBindBufferARB(target, 0);
      break;
  }
  return name;
}

void deleteBuffer(GLenum target, unsigned int name) {
  GLuint n = name;
  switch (entryPoints()) {
    case Entry::None: return;
    case Entry::Core: glDeleteBuffers(1, &n); glBindBuffer(target, 0); break;
    case Entry::ARB: glDeleteBuffersARB(1, &n); glBindBufferARB(target, 0); break;
  }
}

void bind(GLenum target, unsigned int name) {
  switch (entryPoints()) {
    case Entry::None: break;
    case Entry::Core: glBindBuffer(target, name); break;
    case Entry::ARB: glBindBufferARB(target, name); break;
  }
}

void write(GLenum target, unsigned int name, size_t offset, size_t bytes, const void* data) {
  if (bytes == 0) return;
  switch (entryPoints()) {
    case Entry::None: return;
    case Entry::Core:
      glBindBuffer(target, name);
      glBufferSubData(target, static_cast<GLintptr>(offset), static_cast<GLsizeiptr>(bytes), data);
      glBindBuffer(target, 0);
      break;
    case Entry::ARB:
      glBindBufferARB(target, name);
      glBufferSubDataARB(target, static_cast<GLintptrARB>(offset),
                         static_cast<GLsizeiptrARB>(bytes), data);
      glBindBufferARB(target, 0);
      break;
  }
}

constexpr size_t kVertexBytes = 3 * sizeof(float);
constexpr size_t kIndexBytes = sizeof(std::uint16_t);
constexpr size_t kColourBytes = 4;

}  // namespace

VertexBufferObject::VertexBufferObject()
    : buffer(createBuffer(GL_ARRAY_BUFFER, Capacity * kVertexBytes)) {}

VertexBufferObject::VertexBufferObject(unsigned n, const float* data) : VertexBufferObject() {
  // More than the capacity would write past the data store: store what fits.
  count = n > Capacity ? Capacity : n;
  write(GL_ARRAY_BUFFER, buffer, 0, count * kVertexBytes, data);
}

VertexBufferObject::~VertexBufferObject() { deleteBuffer(GL_ARRAY_BUFFER, buffer); }

bool VertexBufferObject::addMeshData(unsigned n, const float* data) {
  if (count + n > Capacity) return false;
  write(GL_ARRAY_BUFFER, buffer, count * kVertexBytes, n * kVertexBytes, data);
  count += n;
  return true;
}

void VertexBufferObject::bindVBO() const { bind(GL_ARRAY_BUFFER, buffer); }
void VertexBufferObject::unbindVBO() const { bind(GL_ARRAY_BUFFER, 0); }

IndexBufferObject::IndexBufferObject()
    : buffer(createBuffer(GL_ELEMENT_ARRAY_BUFFER, Capacity * kIndexBytes)) {}

IndexBufferObject::IndexBufferObject(std::uint16_t n, const std::uint32_t* data)
    : IndexBufferObject() {
  count = n > Capacity ? static_cast<std::uint16_t>(Capacity) : n;
  // The source holds 32-bit values; the buffer takes 16-bit indices.
  std::vector<std::uint16_t> narrow(count);
  for (unsigned i = 0; i < count; ++i) narrow[i] = static_cast<std::uint16_t>(data[i]);
  write(GL_ELEMENT_ARRAY_BUFFER, buffer, 0, count * kIndexBytes, narrow.data());
}

IndexBufferObject::~IndexBufferObject() { deleteBuffer(GL_ELEMENT_ARRAY_BUFFER, buffer); }

bool IndexBufferObject::addMeshData(std::uint16_t offset, std::uint16_t n,
                                    std::uint16_t* indices) {
  if (static_cast<unsigned>(count) + n > Capacity) return false;
  for (unsigned i = 0; i < n; ++i) indices[i] = static_cast<std::uint16_t>(indices[i] + offset);
  write(GL_ELEMENT_ARRAY_BUFFER, buffer, count * kIndexBytes, n * kIndexBytes, indices);
  count = static_cast<std::uint16_t>(count + n);
  return true;
}

void IndexBufferObject::bindIBO() const { bind(GL_ELEMENT_ARRAY_BUFFER, buffer); }
void IndexBufferObject::unbindIBO() const { bind(GL_ELEMENT_ARRAY_BUFFER, 0); }

ColorBufferObject::ColorBufferObject()
    : buffer(createBuffer(GL_ARRAY_BUFFER, Capacity * kColourBytes)) {}

ColorBufferObject::ColorBufferObject(unsigned n, const unsigned char* data)
    : ColorBufferObject() {
  count = n > Capacity ? Capacity : n;
  write(GL_ARRAY_BUFFER, buffer, 0, count * kColourBytes, data);
}

ColorBufferObject::~ColorBufferObject() { deleteBuffer(GL_ARRAY_BUFFER, buffer); }

bool ColorBufferObject::addMeshData(unsigned n, const unsigned char* data) {
  if (count + n > Capacity) return false;
  write(GL_ARRAY_BUFFER, buffer, count * kColourBytes, n * kColourBytes, data);
  count += n;
  return true;
}

void ColorBufferObject::bindCBO() const { bind(GL_ARRAY_BUFFER, buffer); }
void ColorBufferObject::unbindCBO() const { bind(GL_ARRAY_BUFFER, 0); }
