#pragma once

// The renderer singleton. Its state is public fields that the view, the main window, the
// settings dialog and the picking math read and write. Only the fields the model and the mesh
// need are here so far; the frame passes, cameras and display flags join them.
class GraphicsEngine {
 public:
  static GraphicsEngine* Instance;   // null until the first instance() call; never destroyed
  static GraphicsEngine* instance();

  // Drawing path: 0 buffer objects (ARB entry points), 1 buffer objects (core), 2 client
  // vertex arrays (the start-up path), 3 high dynamic range.
  int renderMode = 2;
  int glMajorVersion = 0;   // written by the graphics-driver report
  int glMinorVersion = 0;

 private:
  GraphicsEngine() = default;
};
