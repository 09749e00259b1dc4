#include "render/GraphicsEngine.h"

GraphicsEngine* GraphicsEngine::Instance = nullptr;

GraphicsEngine* GraphicsEngine::instance() {
  if (Instance == nullptr) Instance = new GraphicsEngine();
  return Instance;
}
