#pragma once

// Where a scene point appears in the view, computed as the frame passes place it: the global
// rotation, then the global translation, then the perspective projection. No GL call.

#include "math/SSEMatrix4x4f.h"
#include "math/SSEVector4f.h"
#include "render/GraphicsEngine.h"

namespace kvscene {

// Window pixels with y from the bottom edge, as GL counts, and the depth (0 near, 1 far), in a
// view of the given size.
inline SSEVector4f windowPoint(const SSEVector4f& scenePoint, int width, int height) {
  const GraphicsEngine& engine = *GraphicsEngine::instance();
  SSEMatrix4x4f camera;
  engine.globalRotation.toMatrix(&camera);
  SSEMatrix4x4f move;
  for (int i = 0; i < 3; ++i) move.m[12 + i] = (&engine.globalTranslation.x)[i];
  camera *= move;
  const SSEVector4f clip = (scenePoint * camera) * engine.projectionMatrix;
  return SSEVector4f((clip.x / clip.w + 1.0f) * 0.5f * static_cast<float>(width),
                     (clip.y / clip.w + 1.0f) * 0.5f * static_cast<float>(height),
                     (clip.z / clip.w + 1.0f) * 0.5f);
}

}  // namespace kvscene
