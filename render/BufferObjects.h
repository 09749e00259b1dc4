#pragma once

#include <cstdint>

// Three fixed-capacity GL buffer objects, filled from the front by appending. A mesh groups one
// of each (two vertex buffers: positions and normals) into a buffer set. The drawing path picks
// the entry points: core in paths 1 and 3, ARB in path 0, none at all in path 2 (client arrays),
// where the objects only count what they are given.

// 3-float vectors (positions or normals) in a GL_ARRAY_BUFFER.
class VertexBufferObject {
 public:
  static constexpr unsigned Capacity = 8000;
  static bool UseARB;   // false, never set: the drawing path decides

  unsigned int buffer = 0;   // GL name
  unsigned int count = 0;    // vertices stored

  VertexBufferObject();
  VertexBufferObject(unsigned n, const float* data);
  ~VertexBufferObject();
  VertexBufferObject(const VertexBufferObject&) = delete;
  VertexBufferObject& operator=(const VertexBufferObject&) = delete;

  // False, with nothing changed, when count + n would pass the capacity.
  bool addMeshData(unsigned n, const float* data);
  void bindVBO() const;
  void unbindVBO() const;
};

// Unsigned 16-bit indices in a GL_ELEMENT_ARRAY_BUFFER.
class IndexBufferObject {
 public:
  static constexpr unsigned Capacity = 8000;
  static bool UseARB;

  unsigned int buffer = 0;
  std::uint16_t count = 0;   // indices stored

  IndexBufferObject();
  IndexBufferObject(std::uint16_t n, const std::uint32_t* data);
  ~IndexBufferObject();
  IndexBufferObject(const IndexBufferObject&) = delete;
  IndexBufferObject& operator=(const IndexBufferObject&) = delete;

  // Adds offset to each of the n indices in the caller's array (wrapping at 16 bits), then
  // appends them; false, with nothing changed, past the capacity.
  bool addMeshData(std::uint16_t offset, std::uint16_t n, std::uint16_t* indices);
  void bindIBO() const;
  void unbindIBO() const;
};

// RGBA colours of 4 unsigned bytes in a GL_ARRAY_BUFFER.
class ColorBufferObject {
 public:
  static constexpr unsigned Capacity = 8000;
  static bool UseARB;

  unsigned int buffer = 0;
  unsigned int count = 0;   // colours stored

  ColorBufferObject();
  ColorBufferObject(unsigned n, const unsigned char* data);
  ~ColorBufferObject();
  ColorBufferObject(const ColorBufferObject&) = delete;
  ColorBufferObject& operator=(const ColorBufferObject&) = delete;

  bool addMeshData(unsigned n, const unsigned char* data);
  void bindCBO() const;
  void unbindCBO() const;
};
