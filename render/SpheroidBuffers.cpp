// The GL members of Spheroid: staging between its arrays and the mesh's buffer objects, the
// foci display and the GL error report. Built by kv_render; kv_model reaches the staging only
// through the hook that Mesh installs (installSpheroidStaging).
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "model/Spheroid.h"
#include "render/GLErrors.h"
#include "render/GraphicsEngine.h"
#include "render/SpheroidBuffers.h"

namespace {

bool useARB() { return GraphicsEngine::instance()->renderMode == RenderMode::BufferObjectsARB; }

void bindBuffer(GLenum target, unsigned int name) {
  if (useARB())
    glBindBufferARB(target, name);
  else
    glBindBuffer(target, name);
}

void readBuffer(GLenum target, size_t offset, size_t bytes, void* out) {
  if (useARB())
    glGetBufferSubDataARB(target, static_cast<GLintptrARB>(offset),
                          static_cast<GLsizeiptrARB>(bytes), out);
  else
    glGetBufferSubData(target, static_cast<GLintptr>(offset), static_cast<GLsizeiptr>(bytes), out);
}

void writeBuffer(GLenum target, size_t offset, size_t bytes, const void* data) {
  if (useARB())
    glBufferSubDataARB(target, static_cast<GLintptrARB>(offset),
                       static_cast<GLsizeiptrARB>(bytes), data);
  else
    glBufferSubData(target, static_cast<GLintptr>(offset), static_cast<GLsizeiptr>(bytes), data);
}

// Reads elements [first, last) of elementBytes each into a fresh staging array.
template <typename T>
void download(T*& staging, unsigned int name, GLenum target, unsigned first, unsigned last,
              size_t elementBytes) {
  std::free(staging);
  staging = nullptr;
  if (last <= first) return;
  const size_t bytes = (last - first) * elementBytes;
  staging = static_cast<T*>(std::malloc(bytes));
  bindBuffer(target, name);
  readBuffer(target, first * elementBytes, bytes, staging);
  bindBuffer(target, 0);
}

// Writes the staging array into [first, last) and frees it.
template <typename T>
void upload(T*& staging, unsigned int name, GLenum target, unsigned first, unsigned last,
            size_t elementBytes) {
  if (staging != nullptr && last > first) {
    bindBuffer(target, name);
    writeBuffer(target, first * elementBytes, (last - first) * elementBytes, staging);
    bindBuffer(target, 0);
  }
  std::free(staging);
  staging = nullptr;
}

void stageThroughMembers(Spheroid* s, SpheroidBuffer which, bool up) {
  switch (which) {
    case SpheroidBuffer::Vertex: up ? s->uploadVertexBuffer() : s->downloadVertexBuffer(); break;
    case SpheroidBuffer::Normal: up ? s->uploadNormalBuffer() : s->downloadNormalBuffer(); break;
    case SpheroidBuffer::Colour: up ? s->uploadColorBuffer() : s->downloadColorBuffer(); break;
    case SpheroidBuffer::Index: up ? s->uploadIndexBuffer() : s->downloadIndexBuffer(); break;
  }
}

constexpr size_t kVertexBytes = 3 * sizeof(float);
constexpr size_t kColourBytes = 4;
constexpr size_t kIndexBytes = sizeof(std::uint16_t);

}  // namespace

void installSpheroidStaging() { setSpheroidStaging(&stageThroughMembers); }

void Spheroid::downloadVertexBuffer() {
  if (!holdsBuffer(SpheroidBuffer::Vertex)) return;
  download(vertices, bufferIds[0], GL_ARRAY_BUFFER, vertexRange[0], vertexRange[1], kVertexBytes);
}

void Spheroid::uploadVertexBuffer() {
  if (!holdsBuffer(SpheroidBuffer::Vertex)) return;
  upload(vertices, bufferIds[0], GL_ARRAY_BUFFER, vertexRange[0], vertexRange[1], kVertexBytes);
}

void Spheroid::downloadNormalBuffer() {
  if (!holdsBuffer(SpheroidBuffer::Normal)) return;
  download(normals, bufferIds[1], GL_ARRAY_BUFFER, vertexRange[0], vertexRange[1], kVertexBytes);
}

void Spheroid::uploadNormalBuffer() {
  if (!holdsBuffer(SpheroidBuffer::Normal)) return;
  upload(normals, bufferIds[1], GL_ARRAY_BUFFER, vertexRange[0], vertexRange[1], kVertexBytes);
}

void Spheroid::downloadIndexBuffer() {
  if (!holdsBuffer(SpheroidBuffer::Index)) return;
  download(indices, bufferIds[2], GL_ELEMENT_ARRAY_BUFFER, indexRange[0], indexRange[1],
           kIndexBytes);
}

void Spheroid::uploadIndexBuffer() {
  if (!holdsBuffer(SpheroidBuffer::Index)) return;
  upload(indices, bufferIds[2], GL_ELEMENT_ARRAY_BUFFER, indexRange[0], indexRange[1],
         kIndexBytes);
}

void Spheroid::downloadColorBuffer() {
  if (!holdsBuffer(SpheroidBuffer::Colour)) return;
  download(colours, bufferIds[3], GL_ARRAY_BUFFER, vertexRange[0], vertexRange[1], kColourBytes);
}

void Spheroid::uploadColorBuffer() {
  if (!holdsBuffer(SpheroidBuffer::Colour)) return;
  upload(colours, bufferIds[3], GL_ARRAY_BUFFER, vertexRange[0], vertexRange[1], kColourBytes);
}

void Spheroid::renderFoci() {
  if (!inMesh) return;
  glPointSize(10.0f);
  glDisable(GL_DEPTH_TEST);
  glBegin(GL_POINTS);
  glColor3f(1.0f, 1.0f, 1.0f);
  glVertex3f(focus1.x, focus1.y, focus1.z);
  glVertex3f(focus2.x, focus2.y, focus2.z);
  if (b != a || rings == 0) {
    glColor3f(1.0f, 1.0f, 0.0f);
    glVertex3f(centre.x, centre.y, centre.z);
  }
  glColor3f(1.0f, 0.0f, 0.0f);
  for (const SSEVector4f* p : clipPoints) glVertex3f(p->x, p->y, p->z);
  glEnd();
  glEnable(GL_DEPTH_TEST);
  glPointSize(1.0f);
}

unsigned int Spheroid::getGLError() { return reportGLError(GLErrorNames::Core); }
