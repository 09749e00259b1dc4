// The view's frame: the input lock of the glide home (and a new workspace's), the hand-over of
// molecules, the purge of flagged meshes, automatic rotation and frames that must not nest.
#include <algorithm>

#include "tests/view/ViewHost.h"

namespace {

using namespace kvview;
const QPoint kCentre(ViewHost::kWidth / 2, ViewHost::kHeight / 2);

bool turned(const Quaternion& q) { return q.w < 0.99999f; }

Molecule* announced(QSignalSpy& spy) { return spy.takeFirst().front().value<Molecule*>(); }

// A molecule leaves the scene as joins and edits let it go: deleted at once, its mesh left to
// the purge.
void retire(GLWidget* view, Mesh* mesh) { view->scene.remove(mesh->molecule); }

}  // namespace

TEST_F(ViewHost, UntilAGlideEndsOnlyDoubleClickAndWheelAct) {
  library.groups.push_back(read(kMethyl));
  for (const char* when : {"start-up", "new workspace"}) {
    SCOPED_TRACE(when);
    Mesh* mesh = show(kEthanol, SSEVector4f());
    ASSERT_TRUE(view->inputLocked);
    drag(Qt::LeftButton, {kCentre, kCentre + QPoint(40, 30)});
    QTest::keyClick(view, Qt::Key_Delete);
    EXPECT_FALSE(drop("F0", kCentre));
    view->addMoleculeFromLibrary("F0", kCentre);   // as a double-click in a library tree
    frame();
    EXPECT_FALSE(turned(mesh->rotation) || engine.meshes.size() != 1u);

    engine.setCurrentMesh(nullptr);
    mesh->position = alongRay(30.0f);
    mouse(QEvent::MouseButtonDblClick, kCentre, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(mesh, engine.currentMesh) << "the double-click picks";
    const float z = mesh->position.z;
    wheel(120);
    EXPECT_NE(z, mesh->position.z) << "the wheel moves the current molecule";

    settle();
    // The release that ends the double-click.
    mouse(QEvent::MouseButtonRelease, kCentre, Qt::LeftButton, Qt::NoButton);
    drag(Qt::LeftButton, {kCentre, kCentre + QPoint(40, 30)});
    EXPECT_TRUE(turned(mesh->rotation)) << "the drag acts once the glide has ended";
    // A new workspace empties the scene and the history, forgets the cameras and glides home.
    library.history.push_back(read(kEthanol));
    call("storeCamera");
    engine.globalTranslation.z = -238.099f;   // far from home, so the next glide takes frames
    view->createNewWorkspace();
    frame();
    EXPECT_TRUE(engine.meshes.empty() && library.workspace.empty() && library.history.empty());
    EXPECT_TRUE(engine.cameraTranslations.empty() && engine.cameraEyePositions.empty());
    EXPECT_EQ(-1, view->cameraIndex);
  }
}

// Nothing appears before the next frame. Two handed over alone both appear; a batch comes
// before them, all of it in one frame, and the molecule handed over alone follows a frame later,
// where it was placed.
TEST_F(SettledView, HandedOverMoleculesAreNeverDroppedAndTheLastIsCurrent) {
  QSignalSpy selected(view, &GLWidget::moleculeSelected);
  Molecule* alone[2] = {read(kMethyl), read(kEthanol)};
  Molecule* batch[3] = {read(kMethyl), read(kMethyl), read(kEthanol)};
  alone[1]->scenePosition = alongRay(20.0f);
  for (Molecule* m : alone) view->handOverMolecule(m);
  EXPECT_TRUE(engine.meshes.empty() && alone[1]->mesh == nullptr);
  for (Molecule* m : batch) view->handOverMolecule(m, true);
  frame();
  ASSERT_EQ(3u, engine.meshes.size());
  EXPECT_EQ(batch[2]->mesh, engine.currentMesh);
  ASSERT_EQ(1, selected.count());
  EXPECT_EQ(batch[2], announced(selected));
  frame();
  ASSERT_EQ(5u, engine.meshes.size());
  EXPECT_TRUE(alone[0]->mesh != nullptr && engine.currentMesh == alone[1]->mesh);
  EXPECT_EQ(0.0f, (alone[1]->mesh->position - alone[1]->scenePosition).length());
  EXPECT_TRUE(view->pendingMolecule == nullptr && library.workspace.back() == alone[1]);
  ASSERT_EQ(1, selected.count());
  EXPECT_EQ(alone[1], announced(selected));
}

TEST_F(ViewHost, OnePurgeDeletesEveryFlaggedMeshAndLeavesNoneCurrent) {
  Mesh* kept = show(kEthanol, SSEVector4f());
  Mesh* other = show(kMethyl, SSEVector4f());
  Mesh* current = show(kEthanol, SSEVector4f());
  view->firstSelectedSpheroid = other->spheroids.front();
  retire(view, other);
  retire(view, current);
  frame();
  EXPECT_EQ(std::vector<Mesh*>{kept}, engine.meshes);
  EXPECT_EQ(nullptr, engine.currentMesh);
  EXPECT_EQ(nullptr, view->firstSelectedSpheroid) << "a choice into a purged mesh";
}

TEST_F(SettledView, AutomaticRotationTurnsTheSceneInViewStateAndAMoleculeInAnyState) {
  view->autoRotateAxis = GLWidget::AutoRotateX;
  for (int state : {ViewButton, MeshButton, PieceButton}) {
    view->pickState = state;
    engine.setRotation(Quaternion());
    frame();
    EXPECT_EQ(state == ViewButton, turned(engine.globalRotation)) << state;
  }
  Mesh* mesh = show(kEthanol, SSEVector4f());
  engine.setRotation(Quaternion());
  for (int state : {ViewButton, MeshButton, PieceButton}) {
    view->pickState = state;
    mesh->setRotation(Quaternion());
    drag(Qt::LeftButton, {kCentre, kCentre + QPoint(50, 0)});
    EXPECT_FALSE(turned(mesh->rotation)) << "a drag is left to the rotation";
    frame();
    EXPECT_TRUE(turned(mesh->rotation) && !turned(engine.globalRotation)) << state;
  }
}

// The console runs pending events after each line, so a slot of a frame's signal may ask for
// a repaint: the frame under way must end before another starts.
TEST_F(ViewHost, ARepaintAskedForDuringAFrameIsSkipped) {
  Molecule* next = read(kMethyl);
  size_t meshesSeen = 0;
  QObject scope;   // the connection ends with the test
  QObject::connect(view, &GLWidget::moleculeSelected, &scope, [&](Molecule*) {
    if (next == nullptr) return;
    view->handOverMolecule(next);
    next = nullptr;
    view->updateGL();
    view->repaint();
    meshesSeen = engine.meshes.size();
  });
  show(kEthanol, SSEVector4f());
  EXPECT_EQ(1u, meshesSeen);
  frame();
  EXPECT_EQ(2u, engine.meshes.size());
}
