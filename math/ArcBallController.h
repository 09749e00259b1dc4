#pragma once

#include "math/Quaternion.h"

// Turns a mouse drag in the 3-D view into an incremental rotation: the mouse point is lifted
// onto a virtual sphere that fills the window, and the drag becomes a turn about the axis at
// right angles to point and drag, expressed in the frame of the rotation being turned.
class ArcBallController {
public:
  int windowWidth = 0;    // pixels, set by the view on resize
  int windowHeight = 0;
  int lastX = 0;          // last mouse point, window-centred pixels, kept by the view
  int lastY = 0;
  Quaternion* referenceRotation = nullptr;   // the view's global rotation; read in mode 2
  int mode = 1;           // 1 rotate the view, 2 rotate one mesh or piece

  ArcBallController();

  // x, y: window-centred mouse point; dx, dy: the drag since the last event. Updates q in place
  // and returns it normalised. A window under 2 pixels either way skips the rotation; in mode 2
  // a missing reference rotation counts as the identity.
  Quaternion* rotate(int x, int y, int dx, int dy, Quaternion* q);
};
