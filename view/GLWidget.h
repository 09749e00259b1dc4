#pragma once

#include <QGLWidget>
#include <QImage>
#include <QMap>
#include <QPoint>
#include <QProgressDialog>
#include <QString>

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "math/Quaternion.h"
#include "math/SSEVector4f.h"
#include "view/Scene.h"

class Atom;
class Bond;
class Mesh;
class Molecule;
struct EditResult;
enum class EditOutcome;
class QAction;
class QTimer;
class Spheroid;

// What a mouse drag moves, shared by the view and the main window's pick buttons.
enum BUTTON_TYPE { ViewButton = 0, MeshButton = 1, PieceButton = 2 };

// The interactive 3-D view and the only owner of the GL context. A child timer repaints it
// every 10 ms; each paint advances the camera and molecule animations, turns the molecules other
// code handed over into meshes, deletes the meshes flagged for deletion and draws one frame
// through GraphicsEngine in the current drawing path.
//
// Other code never draws: it leaves requests in fields the next paint reads. A molecule goes on
// screen through handOverMolecule, which the next paint adds to the scene; it leaves through
// scene (Scene: remove one, clear all), and the next paint purges its mesh.
//
// Bodies by topic: construction, GL set-up and the hand-over (GLWidget.cpp); the frame and its
// steps (GLWidgetFrame.cpp); mouse, wheel and keys (GLWidgetInput.cpp); drops, the context
// menus, delete, new workspace and cloning (GLWidgetCommands.cpp); the camera commands
// (GLWidgetCamera.cpp); the bond-axis choice (GLWidgetBondAxes.cpp); labels, colour scale and
// camera axes (GLWidgetOverlay.cpp); the edit modes (GLWidgetEditModes.cpp); measuring
// (GLWidgetMeasurement.cpp); joining and ring closing (GLWidgetJoin.cpp); twisted molecules
// (GLWidgetTwist.cpp).
class GLWidget : public QGLWidget {
  Q_OBJECT

 public:
  // autoRotateAxis values, set by the main window's rotation buttons.
  static constexpr int NoAutoRotation = 19;
  static constexpr int AutoRotateX = 20;
  static constexpr int AutoRotateY = 21;
  static constexpr int AutoRotateZ = 22;
  static constexpr int RepaintIntervalMs = 10;
  // MathEngine::measureMode values, set by the main window's mode buttons.
  static constexpr int DistanceMode = 1;
  static constexpr int AngleMode = 2;
  static constexpr int DihedralMode = 4;
  static constexpr int ProfileMode = 5;   // dihedral energy profile
  static constexpr int BondOrderMode = 6;
  static constexpr int DeleteAtomMode = 7;
  static constexpr int MakeAxisMode = 8;
  static constexpr int DeleteBondMode = 9;

  float twistAngle = 0.0f;
  SSEVector4f twistAxis{0.0f, 0.0f, 0.0f, 1.0f};
  Mesh* twistedMesh = nullptr;
  QPoint lastMousePosition;      // window pixels of the last event that moved something
  QPoint pressPosition;          // where the left or right button last went down
  int cameraIndex = -1;          // stored camera shown, -1 none
  int targetCameraIndex = -1;    // stored camera being glided to, -1 none
  bool doubleClickPending = false;   // the next press is ignored, the next release clears it
  // Presses, drags, keys and drops are ignored while a camera glide runs (double-clicks and
  // the wheel still act). Set at construction, so nothing reacts before the start-up glide ends.
  bool inputLocked = true;
  Scene scene;   // the molecules on screen and their meshes
  bool& purgeDeletedMeshes = scene.purgeRequested;   // the next paint deletes flagged meshes
  bool moleculePending = false;      // the next paint takes the pending molecule(s) over
  Molecule* pendingMolecule = nullptr;
  std::vector<Molecule*> pendingMolecules;   // taken before pendingMolecule, all in one paint
  Spheroid* firstSelectedSpheroid = nullptr;    // bond axis 1 of a join; its molecule stays
  Spheroid* secondSelectedSpheroid = nullptr;   // bond axis 2; its molecule moves
  int autoRotateAxis = NoAutoRotation;
  int pickState = ViewButton;   // a BUTTON_TYPE, set by the main window's pick buttons
  int editBondOrder = 1;        // order a click gives a bond in the bond-order mode
  // The camera's screen-right, screen-up and view axes in world space; 0.5 long after
  // buildCameraAxes.
  SSEVector4f cameraRight{0.2f, 0.0f, 0.0f, 1.0f};
  SSEVector4f cameraUp{0.0f, 0.2f, 0.0f, 1.0f};
  SSEVector4f cameraView{0.0f, 0.0f, -0.2f, 1.0f};
  int joinState = 0;   // only state 0 occurs: nothing starts the click-to-pick join
  Quaternion twistRotation;
  bool twistRequested = false;   // nothing raises it, so the twist step never runs
  QMap<Bond*, int> savedBondOrders;   // bond-order mode: each changed bond's first order
  std::map<Molecule*, std::vector<Atom*> > atomsToDelete;
  std::map<Molecule*, std::vector<Atom*> > atomsToMakeAxes;
  std::map<Molecule*, std::vector<Bond*> > bondsToDelete;
  QProgressDialog ringProgress;
  QTimer* repaintTimer = nullptr;
  bool hdrEnabled = false;   // draw through the half-float frame buffer; set before the first paint

  // The context menus' actions, children of the widget, in the order createActions makes them.
  QAction* moleculeOperationsAction = nullptr;   // headings carry no slot
  QAction* showMoleculeInfoAction = nullptr;
  QAction* moveToMoleculeAction = nullptr;
  QAction* resetGlobalPositionAction = nullptr;
  QAction* resetMoleculePositionAction = nullptr;
  QAction* resetRotationAction = nullptr;
  QAction* cloneMoleculeAction = nullptr;
  QAction* deleteMoleculeAction = nullptr;
  QAction* joinOperationsAction = nullptr;
  QAction* setBondAxis1Action = nullptr;
  QAction* setBondAxis2Action = nullptr;
  QAction* joinBondAxesAction = nullptr;
  QAction* clearBondAxesAction = nullptr;
  QAction* spheroidOperationsAction = nullptr;
  QAction* showBondEnergyAction = nullptr;
  QAction* resetCameraAction = nullptr;
  QAction* storeCameraAction = nullptr;
  QAction* deleteAllCamerasAction = nullptr;
  QAction* hideCameraTrackAction = nullptr;
  QAction* showCameraTrackAction = nullptr;
  QAction* hideCursorAction = nullptr;
  QAction* showCursorAction = nullptr;

  explicit GLWidget(QWidget* parent = nullptr);
  // Makes the context current first; deletes no molecule and no mesh.
  ~GLWidget() override;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

  // The one way to put a molecule on screen: the caller has set its scenePosition and gives up
  // ownership. The next paint adds it to the scene (Scene::add), which owns it from then on: its
  // mesh is built and the two are listed in GraphicsEngine::meshes and MoleculeEngine::workspace.
  // Alone, it becomes current and is announced through moleculeSelected; a second molecule
  // handed over alone before that paint queues behind the first, so both appear and the later
  // one is current. In a batch (inBatch), every molecule of the batch appears in the same paint
  // and the last becomes current; a batch is taken before the molecules handed over alone.
  void handOverMolecule(Molecule* molecule, bool inBatch = false);

  // The frame's steps (GLWidgetFrame.cpp).
  // Draws the next frame now and reads its pixels before the buffers swap, since the back
  // buffer is undefined after a swap: the whole view, top row first. A frame asked for while
  // one is drawn is not drawn, and gives a null image.
  QImage grabFrame();
  void paintGL_HDR();
  void paintStep_cameraSlerp();
  void paintStep_threadSyncHack();
  void paintStep_twist();
  void paintStep_autoRotate();
  void paintStep_moleculeSlerp();
  void paintStep_currentSpheroid();

  // Overlay (GLWidgetOverlay.cpp): bond-axis and atom labels, the colour scale at the top right
  // and the camera's screen axes rebuilt from the global camera (no GL call).
  void paintStep_textOverlay();
  void renderColorScale();
  void buildCameraAxes();

  // Commands (GLWidgetCommands.cpp).
  void createActions();
  void createMoleculeContextMenu(const QPoint& globalPos);
  void createDefaultContextMenu(const QPoint& globalPos);
  // command: "M", "F" or "H" followed by a decimal index into MoleculeEngine::molecules,
  // groups or history; anything else adds nothing. pos: window pixels, the point the new
  // molecule is placed behind.
  void addMoleculeFromLibrary(const QString& command, const QPoint& pos);
  // Empties the scene, the workspace, the history and the stored cameras and glides home.
  void createNewWorkspace();
  void clearPlotData() {}

  // Edit modes (GLWidgetEditModes.cpp). The exits return false only when the user chose to go
  // on editing.
  void enterEditBondOrderMode();
  void setEditBondOrderMode(char order);
  bool exitEditBondOrderMode();
  bool exitDeleteAtomMode();
  bool exitMakeAxisMode();
  bool exitDeleteBondMode();
  void clearAllEditModeData();
  void paintAtomDeleteSymbol();
  void paintBondDeleteSymbol();
  void paintAxisSymbol();

 public slots:
  // A repaint asked for while a frame is drawn (a console line runs pending events, and so
  // may the slots of the frame's signals) is skipped, as is a paint event then: frames never
  // nest, so no mesh list changes under a running frame.
  void updateGL() override;

 signals:
  // A line for the console pane. The view connects it to UtilityEngine::printToConsole itself,
  // so the line reaches the installed console sink once.
  void emitConsoleString(QString s);
  void hasBeenHidden();
  // name + "~" + index of the molecule's new history entry.
  void moleculeCreated(std::string s);
  void moleculeCreated(Molecule* m);   // never emitted
  void pickStateSignal(BUTTON_TYPE b);
  void moleculeSelected(Molecule* m);
  void launchPlotter(Molecule* mol, int id1, int id2, int id3, int id4, QString dihedral);
  void resetEnergyPlotter();

 private slots:
  void deleteSpheroid();
  void calculateMeshSurfaceArea();
  void calculateMeshVolume() {}
  void centerLocalCoords();
  void resetGlobalCoords();
  void resetRotation();
  void cloneMesh();
  void deleteMolecule();
  void initJoinMolecules();
  void joinMolecules();
  void resetCamera();
  void storeCamera();
  void eraseAllCameras();
  void toggleCameraTrackVisibility();
  void toggleRenderCursor();
  void showBondInfo();
  void showSingleBondInfo();
  void closeRing();
  void createActivePoint();
  void createActivePointAtCenter();
  void deleteAllActivePoints();
  void calculateDistance();
  void calculateAngle();
  void calculateDihed();
  void setFirstSelectedSpheroid();
  void setSecondSelectedSpheroid();
  void setFirstSelectedSpheroidFromSelected();
  void setSecondSelectedSpheroidFromSelected();
  void clearSelectedSpheroids();
  Spheroid* getSelectedSpheroid();
  Spheroid* getNextSelectableBondAxis(Spheroid* curSelection);
  void calculateSpheroidSurfaceArea();
  void calculateSpheroidVolume() {}
  void moveToMolecule();
  void moveCameraToAllMolecules();
  void updateRingProgress();
  void drawTwistedMolecule(Molecule* molecule);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void initializeGL() override;
  void resizeGL(int width, int height) override;
  void paintGL() override;
  void paintEvent(QPaintEvent* event) override;

 private:
  // Takes the molecule handed over alone; earlier ones displaced from the slot come first.
  void takePendingMolecule();
  // The scene's purge; chosen bond axes and the twist in a purged mesh are forgotten.
  void purgeFlaggedMeshes();
  // The view's own steps among the renderer's frame passes (GLWidgetFrame.cpp).
  class ViewSteps;
  void stepStoredCamera(int step);
  void dragLeft(const QPoint& at);
  void dragMiddle(const QPoint& at);
  void dragRight(const QPoint& at);
  // Arrow cursor when the pointer left the window to the right or below.
  void keepArrowOutside(const QPoint& at);
  // The pick point at a window point (y from the top edge) and the eye ray through it.
  void aimEyeRay(const QPoint& at);
  void selectPickedOnRightClick(const QPoint& globalPos);
  void selectPickedOnLeftClick();
  // Forgets the edit marks of a molecule that is about to be deleted.
  void dropEditMarks(Molecule* molecule);
  // Outside a frame a mesh need not wait for the purge: its molecule (the caller has dropped its
  // edit marks) leaves the scene and is deleted, and the mesh goes at once.
  void removeAtOnce(Mesh* mesh);

  // New molecules made by the view (GLWidget.cpp). The SMILES text the writer gives a molecule.
  static std::string smilesText(Molecule* molecule);
  // Takes a molecule off the scene and deletes it; the next paint deletes its mesh.
  void retireMolecule(Molecule* molecule);
  // A clone of a new molecule in the history, announced through moleculeCreated.
  void recordNewMolecule(Molecule* molecule);
  // A rebuilt molecule takes the old one's place (handed over at its mesh's position, recorded
  // in the history); an emptied one only leaves. Returns the outcome.
  EditOutcome replaceMolecule(Molecule* old, const EditResult& result, bool inBatch);

  // Measuring (GLWidgetMeasurement.cpp): the pick of modes 1, 2, 4 and 5, and the results on
  // the picked points of a mesh, printed on the console.
  void pickForMeasurement();
  void reportDistance(const Mesh* mesh);
  void reportAngle(const Mesh* mesh);
  void reportDihedral(const Mesh* mesh);
  // Edit modes (GLWidgetEditModes.cpp): the pick of modes 6 to 9 and the bond-order Apply and
  // Discard.
  void markForEdit();
  void markAtom(Atom* atom, int mode);
  void markBond(Bond* bond, int mode);
  void applyBondOrderEdits();
  void discardBondOrderEdits();
  // The label text at the window point, the way every overlay label is drawn.
  void drawLabel(const char* text, double winX, double winY);

  std::deque<Molecule*> displacedMolecules;   // handed over alone before pendingMolecule
  bool frameRunning = false;
  QImage colorScaleImage;   // "Resources/scale.png", read once
};

// The types the view's signals carry, for queued connections and signal spies.
Q_DECLARE_METATYPE(BUTTON_TYPE)
Q_DECLARE_METATYPE(std::string)
Q_DECLARE_OPAQUE_POINTER(Molecule*)
Q_DECLARE_METATYPE(Molecule*)
