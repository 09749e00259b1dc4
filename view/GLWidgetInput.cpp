// Mouse, wheel and keys: camera and molecule motion, double-click picking, clicks that select a
// molecule or open its menu, bond-axis and bond-order keys, camera stepping and display keys.
// Event points are window pixels from the top-left corner; the renderer's pick point counts y
// from the bottom edge, the arc-ball works in window-centred pixels with y upwards.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>

#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QWheelEvent>

#include <cstdio>
#include <cstdlib>

#include "io/IOEngine.h"
#include "math/ArcBallController.h"
#include "model/Spheroid.h"
#include "render/GraphicsEngine.h"
#include "render/MathEngine.h"
#include "render/Mesh.h"
#include "view/GLWidget.h"

namespace {

constexpr float kDragScale = 0.05f;        // right drag: world units per pixel and axis unit
constexpr float kPanPerDepth = 0.005f;     // right-drag pan of the camera, per unit of depth
constexpr float kMiddleDragStep = 1.0f;    // camera z per middle-drag event
constexpr float kWheelScale = 0.05f;       // per unit of wheel delta (120 a notch)
constexpr int kRightClickSlack = 5;        // pixels a right click may move
constexpr int kLeftClickSlack = 2;         // pixels a left click may move

QPoint centred(const QPoint& at) {
  const GraphicsEngine* engine = GraphicsEngine::instance();
  return QPoint(at.x() - static_cast<int>(engine->windowWidth / 2),
                static_cast<int>(engine->windowHeight / 2) - at.y());
}

void rememberArcBallPoint(const QPoint& at) {
  ArcBallController* arcBall = IOEngine::instance()->arcBall;
  const QPoint c = centred(at);
  arcBall->lastX = c.x();
  arcBall->lastY = c.y();
}

// The drag since the arc-ball's last point, which moves on to `at`.
QPoint arcBallDrag(const QPoint& at) {
  ArcBallController* arcBall = IOEngine::instance()->arcBall;
  const QPoint c = centred(at);
  const QPoint d(c.x() - arcBall->lastX, c.y() - arcBall->lastY);
  arcBall->lastX = c.x();
  arcBall->lastY = c.y();
  return d;
}

void turnByArcBall(const QPoint& at, const QPoint& d, Quaternion* rotation) {
  const QPoint c = centred(at);
  IOEngine::instance()->arcBall->rotate(c.x(), c.y(), 2 * d.x(), 2 * d.y(), rotation);
}

}  // namespace

void GLWidget::aimEyeRay(const QPoint& at) {
  GraphicsEngine* engine = GraphicsEngine::instance();
  engine->mouseX = at.x();
  engine->mouseY = static_cast<int>(engine->windowHeight) - at.y();
  MathEngine::instance()->generateEyeRay();
}

void GLWidget::mousePressEvent(QMouseEvent* event) {
  if (inputLocked || doubleClickPending) return;
  GraphicsEngine* engine = GraphicsEngine::instance();
  lastMousePosition = event->pos();
  engine->mouseX = event->x();
  engine->mouseY = static_cast<int>(engine->windowHeight) - event->y();
  rememberArcBallPoint(event->pos());
  if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton)
    pressPosition = event->pos();
  QGLWidget::mousePressEvent(event);
}

// Double-clicks pick even while a camera glide locks the other input.
void GLWidget::mouseDoubleClickEvent(QMouseEvent* event) {
  if (joinState != 0) return;
  if (event->button() == Qt::LeftButton) {
    GraphicsEngine* engine = GraphicsEngine::instance();
    MathEngine* math = MathEngine::instance();
    lastMousePosition = event->pos();
    aimEyeRay(event->pos());
    math->pickAllMeshSpheroids(MathEngine::AnyKind);
    if (math->pickedMesh != nullptr) engine->setCurrentMesh(math->pickedMesh);
    if (engine->currentMesh == nullptr) {
      engine->nullAllSelectedSpheroids();
    } else if (math->measureMode == 0) {
      engine->nullAllSelectedSpheroids();
      if (math->pickedSpheroid != nullptr) {
        engine->currentMesh->currentSpheroid = math->pickedSpheroid;
        emit pickStateSignal(PieceButton);
      }
    }
    math->resetPick();
  }
  doubleClickPending = true;
  QGLWidget::mouseDoubleClickEvent(event);
}

void GLWidget::mouseMoveEvent(QMouseEvent* event) {
  if (inputLocked || joinState != 0) return;
  const Qt::MouseButtons held = event->buttons();
  if (held & Qt::LeftButton)
    dragLeft(event->pos());
  else if (held & Qt::MiddleButton)
    dragMiddle(event->pos());
  else if (held & Qt::RightButton)
    dragRight(event->pos());
}

void GLWidget::keepArrowOutside(const QPoint& at) {
  const GraphicsEngine* engine = GraphicsEngine::instance();
  if (at.x() > static_cast<int>(engine->windowWidth)) setCursor(Qt::ArrowCursor);
  if (at.y() > static_cast<int>(engine->windowHeight)) setCursor(Qt::ArrowCursor);
}

// Turns the scene (pick state 0) or the current molecule with the arc-ball; a molecule that
// turns automatically is left to that rotation.
void GLWidget::dragLeft(const QPoint& at) {
  GraphicsEngine* engine = GraphicsEngine::instance();
  setCursor(Qt::BlankCursor);
  keepArrowOutside(at);
  Mesh* mesh = engine->currentMesh;
  if (mesh == nullptr) {
    if (pickState != ViewButton) return;
    buildCameraAxes();
    lastMousePosition = at;
    const QPoint d = arcBallDrag(at);
    if (d.isNull()) return;
    turnByArcBall(at, d, &engine->globalRotation);
    engine->globalRotation.toMatrix(&engine->globalRotationMatrix);
    return;
  }
  if (autoRotateAxis != NoAutoRotation) return;
  const QPoint d = arcBallDrag(at);
  if (d.isNull()) return;
  turnByArcBall(at, d, &mesh->rotation);
  mesh->rotation.toMatrix(&mesh->rotationMatrix);
}

// One step towards or away from the viewer per event, however far the pointer moved.
void GLWidget::dragMiddle(const QPoint& at) {
  GraphicsEngine* engine = GraphicsEngine::instance();
  keepArrowOutside(at);
  const bool down = at.y() > lastMousePosition.y(), up = at.y() < lastMousePosition.y();
  if (Mesh* mesh = engine->currentMesh) {
    const float sign = down ? -1.0f : up ? 1.0f : 0.0f;
    mesh->position.x += sign * cameraView.x;
    mesh->position.y += sign * cameraView.y;
    mesh->position.z += sign * cameraView.z;
  } else {
    if (pickState != ViewButton) return;
    if (down) engine->globalTranslation.z -= kMiddleDragStep;
    if (up) engine->globalTranslation.z += kMiddleDragStep;
  }
  lastMousePosition = at;
}

// The molecule follows the pointer in the screen plane; without one the camera pans by a step
// that grows with its distance.
void GLWidget::dragRight(const QPoint& at) {
  GraphicsEngine* engine = GraphicsEngine::instance();
  keepArrowOutside(at);
  const float dx = static_cast<float>(at.x() - lastMousePosition.x()) * kDragScale;
  const float dy = static_cast<float>(lastMousePosition.y() - at.y()) * kDragScale;
  if (Mesh* mesh = engine->currentMesh) {
    mesh->position.x += dx * cameraRight.x + dy * cameraUp.x;
    mesh->position.y += dx * cameraRight.y + dy * cameraUp.y;
    mesh->position.z += dx * cameraRight.z + dy * cameraUp.z;
  } else if (pickState == ViewButton) {
    SSEVector4f& t = engine->globalTranslation;
    const float step = kPanPerDepth * t.z;
    if (at.y() > lastMousePosition.y()) t.y += step;
    if (at.y() < lastMousePosition.y()) t.y -= step;
    if (at.x() > lastMousePosition.x()) t.x -= step;
    if (at.x() < lastMousePosition.x()) t.x += step;
  }
  lastMousePosition = at;
}

// Moves the current molecule along the view axis even while a camera glide runs.
void GLWidget::wheelEvent(QWheelEvent* event) {
  Mesh* mesh = GraphicsEngine::instance()->currentMesh;
  if (mesh == nullptr) {
    event->ignore();
    return;
  }
  const float step = static_cast<float>(event->angleDelta().y()) * kWheelScale;
  mesh->position.x -= step * cameraView.x;
  mesh->position.y -= step * cameraView.y;
  mesh->position.z -= step * cameraView.z;
  event->accept();
}

void GLWidget::stepStoredCamera(int step) {
  const int count = static_cast<int>(GraphicsEngine::instance()->cameraTranslations.size());
  if (cameraIndex < 0 || count == 0) return;
  targetCameraIndex = cameraIndex + step;
  if (targetCameraIndex < 0) targetCameraIndex = count - 1;
  if (targetCameraIndex >= count) targetCameraIndex = 0;
  if (targetCameraIndex != cameraIndex) GraphicsEngine::instance()->cameraSlerpActive = true;
}

void GLWidget::keyPressEvent(QKeyEvent* event) {
  if (inputLocked) return;
  GraphicsEngine* engine = GraphicsEngine::instance();
  const bool editingBondOrders = MathEngine::instance()->measureMode == BondOrderMode;
  switch (event->key()) {
    case Qt::Key_Escape:
      if (QMessageBox::warning(this, tr("Confirm Quit?"),
                               tr("Are you sure you want to quit? Any unsaved work will be lost."),
                               QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes) {
        // Quitting from the view saves nothing: no settings, no files.
        std::fflush(nullptr);
        std::_Exit(1);
      }
      break;
    case Qt::Key_Delete: deleteMolecule(); break;
    case Qt::Key_QuoteLeft: clearSelectedSpheroids(); break;
    case Qt::Key_1:
      if (editingBondOrders) setEditBondOrderMode('1'); else setFirstSelectedSpheroid();
      break;
    case Qt::Key_2:
      if (editingBondOrders) setEditBondOrderMode('2'); else setSecondSelectedSpheroid();
      break;
    case Qt::Key_3:
      if (editingBondOrders) setEditBondOrderMode('3');
      break;
    case Qt::Key_Left: stepStoredCamera(-1); break;
    case Qt::Key_Right: stepStoredCamera(1); break;
    case Qt::Key_F1: engine->showFPS = !engine->showFPS; break;
    case Qt::Key_F5: engine->setPolygonState(GL_FILL); break;   // every mesh draws quads
    case Qt::Key_F6: engine->setPolygonState(GL_LINES); break;
    case Qt::Key_F7: engine->setPolygonState(GL_POINTS); break;
    case Qt::Key_F8: break;
    default: QGLWidget::keyPressEvent(event); break;
  }
}

// A click is a press and release close together: a right click selects the molecule under the
// pointer and opens its menu, a left click picks for the measure and edit modes and selects.
void GLWidget::mouseReleaseEvent(QMouseEvent* event) {
  if (inputLocked) return;
  setCursor(Qt::ArrowCursor);
  if (doubleClickPending) {   // the release that ends a double-click
    doubleClickPending = false;
    return;
  }
  MathEngine* math = MathEngine::instance();
  const QPoint moved = event->pos() - pressPosition;
  const int distance = std::abs(moved.x()) + std::abs(moved.y());
  if (event->button() == Qt::RightButton) {
    if (distance > kRightClickSlack || math->measureMode != 0 ||
        (math->pickMode != 1 && math->pickMode != 2))
      return;
    aimEyeRay(event->pos());
    math->pickAllMeshSpheroids(MathEngine::AnyKind);
    selectPickedOnRightClick(event->globalPos());
  } else if (event->button() == Qt::LeftButton) {
    if (distance > kLeftClickSlack) return;
    lastMousePosition = event->pos();
    aimEyeRay(event->pos());
    // The measure and edit-mode picks come before the selection, which keeps their hit unless
    // it hits something nearer.
    pickForMeasurement();
    markForEdit();
    if (math->pickMode != 0) {
      math->pickAllMeshSpheroids(MathEngine::AnyKind);
      selectPickedOnLeftClick();
    }
  } else {
    return;
  }
  math->resetPick();
}

void GLWidget::selectPickedOnRightClick(const QPoint& globalPos) {
  MathEngine* math = MathEngine::instance();
  Mesh* hit = math->pickedMesh;
  if (hit == nullptr) return;
  GraphicsEngine* engine = GraphicsEngine::instance();
  emit pickStateSignal(PieceButton);
  emit moleculeSelected(hit->molecule);
  engine->setCurrentMesh(hit);
  engine->nullAllSelectedSpheroids();
  hit->currentSpheroid = math->pickedSpheroid;
  createMoleculeContextMenu(globalPos);
}

void GLWidget::selectPickedOnLeftClick() {
  MathEngine* math = MathEngine::instance();
  GraphicsEngine* engine = GraphicsEngine::instance();
  Mesh* hit = math->pickedMesh;
  if (hit == nullptr) return;
  if (math->pickMode == 1) {
    if (engine->currentMesh != nullptr && engine->currentMesh != hit)
      engine->currentMesh->clearActivePoints();
    engine->setCurrentMesh(hit);
    engine->nullAllSelectedSpheroids();
    emit moleculeSelected(hit->molecule);
    emit pickStateSignal(MeshButton);
  } else if (math->pickMode == 2) {
    engine->setCurrentMesh(hit);
    engine->nullAllSelectedSpheroids();
    emit moleculeSelected(hit->molecule);
    emit pickStateSignal(PieceButton);
    if (math->pickedSpheroid != nullptr && math->pickedSpheroid->isVisible)
      hit->currentSpheroid = math->pickedSpheroid;
  }
}
