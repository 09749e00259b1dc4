#pragma once

// One frame of the scene, the passes in the order the view paints them, in either drawing path.
// The view's paintGL and paintGL_HDR draw through it after their own camera, hand-over and
// twist steps; the GL tests and the frame benchmarks draw the same frame with no view steps.

class GraphicsEngine;

namespace frame {

// The steps of a frame that belong to the code that paints it (the view): each is called at
// its place among the passes, and does nothing here.
class Steps {
 public:
  virtual ~Steps() = default;
  Steps() = default;
  Steps(const Steps&) = delete;
  Steps& operator=(const Steps&) = delete;

  // Before anything is drawn: automatic rotation and the join glide.
  virtual void animate() {}
  // After the meshes: the selected spheroid of each mesh, pulsing.
  virtual void currentSpheroid() {}
  // Labels and measurements in window pixels.
  virtual void textOverlay() {}
  // The marks of the edit modes (the vertex-array and buffer-object paths only).
  virtual void editSymbols() {}
  // The colour scale, asked for by showColorScale (the same paths only).
  virtual void colorScale() {}
};

// Alpha of a transparent scene in the high-dynamic-range path, program and ramp alike.
constexpr float TransparentAlpha = 0.85f;

// The frame in the engine's drawing path (renderMode).
void paint(GraphicsEngine& engine, Steps& steps);
// The frame of the vertex-array and buffer-object paths: the fixed pipeline, straight to the
// window.
void paintLDR(GraphicsEngine& engine, Steps& steps);
// The frame of the high-dynamic-range path: the scene into the half-float frame buffer with
// the phong program (the fixed pipeline without lighting), then the buffer onto the window. It
// makes the frame buffer at the window's size when there is none yet.
void paintHDR(GraphicsEngine& engine, Steps& steps);

}  // namespace frame
