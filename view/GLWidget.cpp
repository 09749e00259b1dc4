// The view's life cycle, its GL set-up and the hand-over of molecules to the scene.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>

#include "view/GLWidget.h"

#include <QHideEvent>
#include <QTimer>

#include <algorithm>

#include "construction/MoleculeEdits.h"
#include "io/IOEngine.h"
#include "io/MoleculeEngine.h"
#include "io/SmilesWriter.h"
#include "math/ArcBallController.h"
#include "math/DataFolder.h"
#include "math/UtilityEngine.h"
#include "model/Molecule.h"
#include "model/Spheroid.h"
#include "render/GraphicsEngine.h"
#include "render/Mesh.h"

namespace {
const char* const kColorScalePath = "Resources/scale.png";
constexpr int kPreferredSide = 400;    // pixels, both hints
}  // namespace

GLWidget::GLWidget(QWidget* parent) : QGLWidget(parent) {
  qRegisterMetaType<BUTTON_TYPE>("BUTTON_TYPE");
  qRegisterMetaType<std::string>("std::string");
  qRegisterMetaType<Molecule*>("Molecule*");
  // The progress dialog would show itself after its minimum duration even if never advanced.
  ringProgress.reset();
  repaintTimer = new QTimer(this);
  connect(repaintTimer, &QTimer::timeout, this, &GLWidget::updateGL);
  repaintTimer->start(RepaintIntervalMs);
  connect(this, &GLWidget::emitConsoleString, [](const QString& line) {
    UtilityEngine::instance()->printToConsole(line.toStdString());
  });
  setMouseTracking(true);
  setFocusPolicy(Qt::WheelFocus);
  setAcceptDrops(true);
  // The renderer sits below the file singleton that holds the arc-ball, so the view links them.
  IOEngine::instance()->arcBall->referenceRotation = &GraphicsEngine::instance()->globalRotation;
  createActions();
}

GLWidget::~GLWidget() {
  makeCurrent();
  // Molecules handed over since the last frame belong to the view but have no mesh yet.
  delete pendingMolecule;
  for (Molecule* molecule : pendingMolecules) delete molecule;
  for (Molecule* molecule : displacedMolecules) delete molecule;
}

QSize GLWidget::sizeHint() const { return QSize(kPreferredSide, kPreferredSide); }

QSize GLWidget::minimumSizeHint() const { return QSize(kPreferredSide, kPreferredSide); }

void GLWidget::initializeGL() {
  qglClearColor(QColor(0, 0, 0, 0));
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_CULL_FACE);
  GraphicsEngine::instance()->initGLResources();
  const QString scale = QString::fromStdString(dataPath(kColorScalePath));
  if (colorScaleImage.isNull() && !colorScaleImage.load(scale))
    ErrorLine() << "Error: GLWidget: cannot read the colour scale \"" << scale.toStdString()
                << "\"";
}

void GLWidget::resizeGL(int width, int height) {
  GraphicsEngine::instance()->resizeWindow(width, height);
  ArcBallController* arcBall = IOEngine::instance()->arcBall;
  arcBall->windowWidth = width;
  arcBall->windowHeight = height;
}

void GLWidget::hideEvent(QHideEvent* event) {
  emit hasBeenHidden();
  QGLWidget::hideEvent(event);
}

void GLWidget::updateGL() {
  if (!frameRunning) QGLWidget::updateGL();
}

void GLWidget::paintEvent(QPaintEvent* event) {
  if (!frameRunning) QGLWidget::paintEvent(event);
}

void GLWidget::handOverMolecule(Molecule* molecule, bool inBatch) {
  if (molecule == nullptr) return;
  if (inBatch) {
    pendingMolecules.push_back(molecule);
  } else {
    if (pendingMolecule != nullptr) displacedMolecules.push_back(pendingMolecule);
    pendingMolecule = molecule;
  }
  moleculePending = true;
}

void GLWidget::takePendingMolecule() {
  while (!displacedMolecules.empty()) {
    Molecule* earlier = displacedMolecules.front();
    displacedMolecules.pop_front();
    scene.add(earlier);
  }
  Molecule* molecule = pendingMolecule;
  pendingMolecule = nullptr;
  GraphicsEngine::instance()->setCurrentMesh(scene.add(molecule));
  emit moleculeSelected(molecule);
}

void GLWidget::paintStep_threadSyncHack() {
  if (purgeDeletedMeshes) purgeFlaggedMeshes();
  if (!moleculePending) return;
  if (!pendingMolecules.empty()) {
    // Taken from a copy: a slot of moleculeSelected may hand over the next batch.
    std::vector<Molecule*> batch;
    batch.swap(pendingMolecules);
    Mesh* last = nullptr;
    for (Molecule* molecule : batch) last = scene.add(molecule);
    GraphicsEngine::instance()->setCurrentMesh(last);
    // A molecule handed over alone meanwhile waits for the next frame.
    moleculePending = pendingMolecule != nullptr;
    emit moleculeSelected(batch.back());
    return;
  }
  moleculePending = false;
  if (pendingMolecule != nullptr) takePendingMolecule();
}

void GLWidget::purgeFlaggedMeshes() {
  scene.purge([this](Mesh* mesh) {
    // A chosen bond axis or a twist must not outlive the spheroids it points into.
    for (Spheroid** chosen : {&firstSelectedSpheroid, &secondSelectedSpheroid})
      if (*chosen != nullptr &&
          std::find(mesh->spheroids.begin(), mesh->spheroids.end(), *chosen) !=
              mesh->spheroids.end())
        *chosen = nullptr;
    if (twistedMesh == mesh) twistedMesh = nullptr;
  });
}

std::string GLWidget::smilesText(Molecule* molecule) {
  SmilesWriter writer;
  std::string text;
  writer.createSmilesFromMolecule(molecule, text);
  return text;
}

void GLWidget::retireMolecule(Molecule* molecule) {
  if (molecule == nullptr) return;
  dropEditMarks(molecule);
  scene.remove(molecule);
}

void GLWidget::recordNewMolecule(Molecule* molecule) {
  std::deque<Molecule*>& history = MoleculeEngine::instance()->history;
  const size_t index = history.size();
  history.push_back(molecule->clone());
  emit moleculeCreated(molecule->getName() + "~" + std::to_string(index));
}

EditOutcome GLWidget::replaceMolecule(Molecule* old, const EditResult& result, bool inBatch) {
  if (result.outcome == EditOutcome::Rebuilt) {
    Molecule* fresh = result.molecule;
    if (old->mesh != nullptr) {
      const SSEVector4f& at = old->mesh->position;
      fresh->scenePosition = SSEVector4f(at.x, at.y, at.z, 1.0f);
    }
    handOverMolecule(fresh, inBatch);
    recordNewMolecule(fresh);
  }
  if (result.outcome == EditOutcome::Rebuilt || result.outcome == EditOutcome::Emptied)
    retireMolecule(old);
  return result.outcome;
}
