#include "render/Mesh.h"

#include <algorithm>
#include <cstdlib>

#include "model/Spheroid.h"
#include "render/BufferObjects.h"
#include "render/GraphicsEngine.h"
#include "render/SpheroidBuffers.h"

int Mesh::GlobalID = 0;

namespace {
void destroyWholeMesh(Mesh* mesh) { delete mesh; }

bool clientArrays() { return GraphicsEngine::instance()->renderMode == RenderMode::VertexArrays; }

// Bounding spheres of radius a: spheroids farther apart cannot touch.
bool mayIntersect(const Spheroid* p, const Spheroid* q) {
  SSEVector4f d = p->centre - q->centre;
  const float reach = p->a + q->a;
  return d.x * d.x + d.y * d.y + d.z * d.z < reach * reach;
}

// Atom nuclei and open bond axes are neither cut nor cut the others.
bool takesClipPlanes(const Spheroid* s) {
  return s->kind != SpheroidKind::AtomSphere && s->kind != SpheroidKind::OpenBondAxis;
}
}  // namespace

Mesh::Mesh() : id(GlobalID++) {
  setMeshDestroy(&destroyWholeMesh);
  installSpheroidStaging();
}

Mesh::~Mesh() {
  for (Spheroid* s : spheroids) delete s;
  spheroids.clear();
  currentSpheroid = nullptr;
  deleteBufferSets();
  clearActivePoints();
}

void Mesh::clearActivePoints() {
  for (SSEVector4f* p : activePoints) delete p;
  activePoints.clear();
  activeAtomIds.clear();
}

void Mesh::setPolygonState(unsigned int p) { primitiveMode = p <= 3 ? p : 7; }

void Mesh::deleteBufferSets() {
  for (VertexBufferObject* v : vertexBuffers) delete v;
  for (VertexBufferObject* n : normalBuffers) delete n;
  for (ColorBufferObject* c : colorBuffers) delete c;
  for (IndexBufferObject* i : indexBuffers) delete i;
  vertexBuffers.clear();
  normalBuffers.clear();
  colorBuffers.clear();
  indexBuffers.clear();
}

int Mesh::addSpheroid(Spheroid* s) {
  if (s == nullptr) return 0;
  if (!s->inMesh && !s->createGeometry()) return 0;
  s->meshSlot = this;
  spheroids.push_back(s);
  if (clientArrays()) {
    s->vertexRange[0] = 0;
    s->vertexRange[1] = static_cast<std::uint16_t>(s->numVertices);
    s->indexRange[0] = 0;
    s->indexRange[1] = static_cast<std::uint16_t>(s->numIndices);
    return 1;
  }
  appendToBufferSet(s);
  return 1;
}

void Mesh::appendToBufferSet(Spheroid* s) {
  if (vertexBuffers.empty()) vertexBuffers.push_back(new VertexBufferObject());
  if (normalBuffers.empty()) normalBuffers.push_back(new VertexBufferObject());
  if (indexBuffers.empty()) indexBuffers.push_back(new IndexBufferObject());
  if (colorBuffers.empty()) colorBuffers.push_back(new ColorBufferObject());
  const unsigned vertexCount = static_cast<unsigned>(s->numVertices);
  const unsigned indexCount = static_cast<unsigned>(s->numIndices);
  unsigned V = vertexBuffers.back()->count;
  unsigned I = indexBuffers.back()->count;
  const bool newSet = V + vertexCount > SetCapacity || I + indexCount > SetCapacity;
  if (newSet) {
    vertexBuffers.push_back(new VertexBufferObject());
    normalBuffers.push_back(new VertexBufferObject());
    indexBuffers.push_back(new IndexBufferObject());
    colorBuffers.push_back(new ColorBufferObject());
    V = I = 0;
  }
  // A spheroid larger than a whole set is refused by the buffers; its ranges are kept anyway.
  vertexBuffers.back()->addMeshData(vertexCount, s->vertices);
  normalBuffers.back()->addMeshData(vertexCount, s->normals);
  colorBuffers.back()->addMeshData(vertexCount, s->colours);
  if (s->indices != nullptr)
    indexBuffers.back()->addMeshData(static_cast<std::uint16_t>(V),
                                     static_cast<std::uint16_t>(indexCount), s->indices);
  s->vertexRange[0] = static_cast<std::uint16_t>(V);
  s->vertexRange[1] = static_cast<std::uint16_t>(V + vertexCount);
  s->indexRange[0] = static_cast<std::uint16_t>(I);
  s->indexRange[1] = static_cast<std::uint16_t>(I + indexCount);
  s->bufferIds[0] = vertexBuffers.back()->buffer;
  s->bufferIds[1] = normalBuffers.back()->buffer;
  s->bufferIds[2] = indexBuffers.back()->buffer;
  s->bufferIds[3] = colorBuffers.back()->buffer;
  if (newSet) sortSpheroids();
  // The buffers hold the only copy from now on.
  std::free(s->vertices);
  std::free(s->normals);
  std::free(s->colours);
  std::free(s->indices);
  s->vertices = s->normals = nullptr;
  s->colours = nullptr;
  s->indices = nullptr;
}

int Mesh::removeSpheroid(Spheroid* s) {
  auto it = std::find(spheroids.begin(), spheroids.end(), s);
  if (s == nullptr || it == spheroids.end()) return 0;
  if (!clientArrays() && s->holdsBuffer(SpheroidBuffer::Index)) {
    // Close the gap: the later spheroids of the same set move down by s's counts.
    const int dV = s->vertexRange[1] - s->vertexRange[0];
    const int dI = s->indexRange[1] - s->indexRange[0];
    for (auto later = it + 1; later != spheroids.end(); ++later) {
      Spheroid* t = *later;
      if (t->bufferIds[2] != s->bufferIds[2]) continue;
      t->downloadVertexBuffer();
      t->downloadNormalBuffer();
      t->downloadColorBuffer();
      t->vertexRange[0] = static_cast<std::uint16_t>(t->vertexRange[0] - dV);
      t->vertexRange[1] = static_cast<std::uint16_t>(t->vertexRange[1] - dV);
      t->uploadColorBuffer();
      t->uploadVertexBuffer();
      t->uploadNormalBuffer();
      t->downloadIndexBuffer();
      const int count = t->indexRange[1] - t->indexRange[0];
      for (int i = 0; i < count && t->indices != nullptr; ++i)
        t->indices[i] = static_cast<std::uint16_t>(t->indices[i] - dV);
      t->indexRange[0] = static_cast<std::uint16_t>(t->indexRange[0] - dI);
      t->indexRange[1] = static_cast<std::uint16_t>(t->indexRange[1] - dI);
      t->uploadIndexBuffer();
    }
    for (VertexBufferObject* v : vertexBuffers)
      if (v->buffer == s->bufferIds[0]) v->count -= std::min<unsigned>(v->count, s->numVertices);
    for (VertexBufferObject* n : normalBuffers)
      if (n->buffer == s->bufferIds[1]) n->count -= std::min<unsigned>(n->count, s->numVertices);
    for (IndexBufferObject* i : indexBuffers)
      if (i->buffer == s->bufferIds[2])
        i->count = static_cast<std::uint16_t>(i->count - std::min<unsigned>(i->count, s->numIndices));
    for (ColorBufferObject* c : colorBuffers)
      if (c->buffer == s->bufferIds[3]) c->count -= std::min<unsigned>(c->count, s->numVertices);
    it = std::find(spheroids.begin(), spheroids.end(), s);
  }
  if (currentSpheroid == s) currentSpheroid = nullptr;
  spheroids.erase(it);
  delete s;
  return 1;
}

bool Mesh::removeAllSpheroids() {
  while (!spheroids.empty()) removeSpheroid(spheroids.front());
  currentSpheroid = nullptr;
  return true;
}

int Mesh::sortSpheroids() {
  // A stable bubble sort by the index buffer's GL name keeps each set in insertion order.
  const size_t n = spheroids.size();
  for (size_t i = 1; i < n; ++i)
    for (size_t j = n - 1; j >= i; --j)
      if (spheroids[j]->bufferIds[2] < spheroids[j - 1]->bufferIds[2])
        std::swap(spheroids[j], spheroids[j - 1]);
  return 1;
}

int Mesh::calculateAllClipPlanes() {
  int recorded = 0;
  const size_t n = spheroids.size();
  for (size_t i = 0; i < n; ++i) {
    Spheroid* first = spheroids[i];
    if (!takesClipPlanes(first)) continue;
    for (size_t j = i + 1; j < n; ++j) {
      Spheroid* second = spheroids[j];
      if (!takesClipPlanes(second) || first == second) continue;
      const bool firstRound = first->isTessellatedSphere();
      const bool secondRound = second->isTessellatedSphere();
      if ((firstRound && secondRound) || !mayIntersect(first, second)) continue;
      const size_t before = second->clipPoints.size() + first->clipPoints.size();
      if (secondRound)
        second->calculateClipPlane(first);
      else
        first->calculateClipPlane(second);
      recorded += static_cast<int>(second->clipPoints.size() + first->clipPoints.size() - before);
    }
  }
  return recorded;
}

void Mesh::takeCopy(Spheroid* copy) {
  if (addSpheroid(copy) != 0) return;
  // No geometry could be made (bad tessellation counts): keep it listed all the same, since
  // its owner already points to it and frees it through this mesh.
  copy->inMesh = true;
  copy->meshSlot = this;
  spheroids.push_back(copy);
}

void Mesh::applyClipPlanes() {
  std::vector<Spheroid*> copies;
  copies.reserve(spheroids.size());
  Spheroid* current = nullptr;
  for (Spheroid* s : spheroids) {
    Spheroid* copy = s->lowLevelClone();
    if (!copy->isTessellatedSphere()) copy->applyClipPlanes();
    if (s == currentSpheroid) current = copy;
    copies.push_back(copy);
  }
  for (Spheroid* s : spheroids) delete s;
  spheroids.clear();
  deleteBufferSets();
  for (Spheroid* copy : copies) takeCopy(copy);
  currentSpheroid = current;
}

void Mesh::centerLocalCoords() {
  if (spheroids.empty()) return;
  float sx = 0.0f, sy = 0.0f, sz = 0.0f;
  for (const Spheroid* s : spheroids) {
    sx += s->centre.x;
    sy += s->centre.y;
    sz += s->centre.z;
  }
  const float count = static_cast<float>(spheroids.size());
  SSEMatrix4x4f shift;
  shift.m[12] = -sx / count;
  shift.m[13] = -sy / count;
  shift.m[14] = -sz / count;
  // Geometry, foci and centre move together: picking, labels, measuring, joins and the scene
  // export read the centres and foci, and they must stay on the atoms as drawn.
  for (Spheroid* s : spheroids) s->transformGeometry(&shift);
}

SSEVector4f Mesh::getGlobalCenter(const Spheroid* s) const {
  if (s == nullptr) return position;
  SSEVector4f world(s->centre.x, s->centre.y, s->centre.z, 1.0f);
  world *= rotationMatrix;
  world.x += position.x;
  world.y += position.y;
  world.z += position.z;
  return world;
}

void Mesh::setRotation(const Quaternion& q) {
  rotation = q;
  rotation.toMatrix(&rotationMatrix);
}

void Mesh::copyPoseInto(Mesh* copy) const {
  copy->position = position;
  copy->primitiveMode = primitiveMode;
  copy->rotation = rotation;
  copy->rotationMatrix = rotationMatrix;
  copy->twistRotation = twistRotation;
}

Mesh* Mesh::clone() {
  Mesh* copy = new Mesh();
  copyPoseInto(copy);
  for (Spheroid* s : spheroids) copy->takeCopy(s->lowLevelClone());
  return copy;
}

Mesh* Mesh::highLevelClone() {
  Mesh* copy = new Mesh();
  copyPoseInto(copy);
  for (const Spheroid* s : spheroids) {
    Spheroid* fresh = s->clone(nullptr);
    fresh->kind = s->kind;
    fresh->owner = s->owner;
    if (fresh->createTransformedGeometry() && copy->addSpheroid(fresh) != 0) continue;
    delete fresh;   // no geometry: nothing would draw it and no record points to it
  }
  return copy;
}
