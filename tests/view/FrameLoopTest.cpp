// The view's frame: the input lock of the start-up glide, the hand-over of molecules, the
// purge of flagged meshes, automatic rotation and frames that must not nest.
#include <QDropEvent>
#include <QMimeData>

#include <algorithm>

#include "model/Atom.h"
#include "tests/view/ViewHost.h"

namespace {

using kvview::ViewHost;
const char* const kEthanol = "KV_MOLECULES/Small/Ethanol.kv";
const char* const kMethyl = "KV_GROUPS/Alkyl/METHYL.kv";

// Something drawn within a few pixels of the point.
bool litNear(const QImage& image, const QPoint& at) {
  for (int y = at.y() - 6; y <= at.y() + 6; ++y)
    for (int x = at.x() - 6; x <= at.x() + 6; ++x)
      if (QColor(image.pixel(x, y)).value() > 40) return true;
  return false;
}

bool sameRotation(const Quaternion& a, const Quaternion& b) {
  return a.w == b.w && a.x == b.x && a.y == b.y && a.z == b.z;
}

// A molecule leaves the scene the way joins and edits let it go: out of the workspace, its
// records let go of the spheroids, its mesh flagged for the purge, the molecule deleted.
void retire(GLWidget* view, Mesh* mesh) {
  Molecule* m = mesh->molecule;
  auto& workspace = MoleculeEngine::instance()->workspace;
  workspace.erase(std::find(workspace.begin(), workspace.end(), m));
  m->nullAllSpheroids();
  m->mesh = nullptr;
  delete m;
  mesh->deleteMesh();
  view->purgeDeletedMeshes = true;
}

}  // namespace

TEST_F(ViewHost, UntilAGlideEndsOnlyDoubleClickAndWheelAct) {
  library.groups.push_back(read(kMethyl));
  for (const char* when : {"start-up", "new workspace"}) {
    SCOPED_TRACE(when);
    Mesh* mesh = show(kEthanol, SSEVector4f());
    ASSERT_TRUE(view->inputLocked);
    mesh->position = alongCentreRay(30.0f);
    const QPoint centre(kWidth / 2, kHeight / 2);
    drag(Qt::LeftButton, {centre, centre + QPoint(40, 30)});
    EXPECT_TRUE(sameRotation(Quaternion(), mesh->rotation)) << "a drag turned the molecule";
    QTest::keyClick(view, Qt::Key_Delete);
    EXPECT_EQ(1u, engine.meshes.size()) << "a key deleted the molecule";
    QMimeData text;
    text.setText("F0");
    QDragEnterEvent enter(centre, Qt::MoveAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view, &enter);
    QDropEvent drop(centre, Qt::MoveAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view, &drop);
    EXPECT_FALSE(enter.isAccepted() || view->moleculePending) << "a drop was taken";

    engine.setCurrentMesh(nullptr);
    mouse(QEvent::MouseButtonDblClick, centre, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(mesh, engine.currentMesh) << "the double-click picks";
    const float z = mesh->position.z;
    QWheelEvent notch(QPointF(centre), QPointF(view->mapToGlobal(centre)), QPoint(),
                      QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view, &notch);
    EXPECT_NE(z, mesh->position.z) << "the wheel moves the current molecule";

    settle();
    ASSERT_FALSE(view->inputLocked);
    mouse(QEvent::MouseButtonRelease, centre, Qt::LeftButton, Qt::NoButton);   // ends the click
    drag(Qt::LeftButton, {centre, centre + QPoint(40, 30)});
    EXPECT_FALSE(sameRotation(Quaternion(), mesh->rotation)) << "the drag acts after the glide";
    engine.globalTranslation = SSEVector4f(0.0f, 0.0f, -238.099f, 1.0f);   // far from home
    view->createNewWorkspace();
    frame();
  }
}

TEST_F(ViewHost, AMoleculeHandedOverIsDrawnCurrentAndAnnouncedOnce) {
  settle();
  QSignalSpy selected(view, &GLWidget::moleculeSelected);
  Molecule* m = read(kEthanol);
  m->scenePosition = alongCentreRay(20.0f);
  view->handOverMolecule(m);
  EXPECT_TRUE(engine.meshes.empty() && m->mesh == nullptr) << "nothing before the next frame";
  frame();
  ASSERT_EQ(1u, engine.meshes.size());
  EXPECT_EQ(m->mesh, engine.currentMesh);
  EXPECT_TRUE(m->mesh->position.x == m->scenePosition.x && m->mesh->position.z == m->scenePosition.z);
  EXPECT_TRUE(litNear(pixels(), QPoint(kWidth / 2, kHeight / 2))) << "drawn at the window centre";
  EXPECT_EQ(nullptr, view->pendingMolecule);
  EXPECT_EQ(m, library.workspace.back());
  frame();
  ASSERT_EQ(1, selected.count());
  EXPECT_EQ(m, selected.front().front().value<Molecule*>());
}

TEST_F(ViewHost, TwoMoleculesHandedOverAloneBothAppearTheLaterCurrent) {
  QSignalSpy selected(view, &GLWidget::moleculeSelected);
  Molecule* first = read(kEthanol);
  Molecule* second = read(kMethyl);
  view->handOverMolecule(first);
  view->handOverMolecule(second);
  frame();
  ASSERT_EQ(2u, engine.meshes.size());
  EXPECT_TRUE(first->mesh != nullptr && engine.currentMesh == second->mesh);
  ASSERT_EQ(1, selected.count());
  EXPECT_EQ(second, selected.front().front().value<Molecule*>());
}

// A batch comes first, all of it in one frame; the molecule handed over alone follows a frame
// later. The flag alone only clears itself.
TEST_F(ViewHost, ABatchAppearsTogetherBeforeAMoleculeHandedOverAlone) {
  QSignalSpy selected(view, &GLWidget::moleculeSelected);
  Molecule* alone = read(kEthanol);
  view->handOverMolecule(alone);
  Molecule* batch[3] = {read(kMethyl), read(kMethyl), read(kEthanol)};
  for (Molecule* m : batch) view->handOverMolecule(m, true);
  frame();
  ASSERT_EQ(3u, engine.meshes.size());
  EXPECT_EQ(batch[2]->mesh, engine.currentMesh);
  ASSERT_EQ(1, selected.count());
  EXPECT_EQ(batch[2], selected.takeFirst().front().value<Molecule*>());
  EXPECT_EQ(alone, view->pendingMolecule);
  frame();
  EXPECT_EQ(4u, engine.meshes.size());
  EXPECT_EQ(alone->mesh, engine.currentMesh);
  EXPECT_EQ(1, selected.count());

  view->moleculePending = true;
  frame();
  EXPECT_FALSE(view->moleculePending);
  EXPECT_EQ(4u, engine.meshes.size());
  EXPECT_EQ(1, selected.count());
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
  EXPECT_FALSE(view->purgeDeletedMeshes);
}

TEST_F(ViewHost, AutomaticRotationTurnsTheSceneInViewStateAndAMoleculeInAnyState) {
  settle();
  view->autoRotateAxis = GLWidget::AutoRotateX;
  for (int state : {ViewButton, MeshButton, PieceButton}) {
    view->pickState = state;
    engine.setRotation(Quaternion());
    frame();
    EXPECT_EQ(state == ViewButton, !sameRotation(Quaternion(), engine.globalRotation)) << state;
  }
  Mesh* mesh = show(kEthanol, SSEVector4f());
  engine.setRotation(Quaternion());
  for (int state : {ViewButton, MeshButton, PieceButton}) {
    view->pickState = state;
    const Quaternion before = mesh->rotation;
    const QPoint centre(kWidth / 2, kHeight / 2);
    drag(Qt::LeftButton, {centre, centre + QPoint(50, 0)});
    EXPECT_TRUE(sameRotation(before, mesh->rotation)) << "the drag is left to the rotation";
    frame();
    EXPECT_FALSE(sameRotation(before, mesh->rotation)) << state;
    EXPECT_TRUE(sameRotation(Quaternion(), engine.globalRotation)) << state;
  }
}

// The console runs pending events after each line, so a slot of a frame's signal may ask for
// a repaint: the frame under way must finish before another starts.
TEST_F(ViewHost, ARepaintAskedForDuringAFrameIsSkipped) {
  Molecule* next = read(kMethyl);
  size_t meshesSeen = 0;
  QObject::connect(view, &GLWidget::moleculeSelected, [&](Molecule*) {
    if (next == nullptr) return;
    view->handOverMolecule(next);
    next = nullptr;
    view->updateGL();
    view->repaint();
    meshesSeen = engine.meshes.size();
  });
  show(kEthanol, SSEVector4f());
  EXPECT_EQ(1u, meshesSeen);
  EXPECT_TRUE(view->moleculePending);
  frame();
  EXPECT_EQ(2u, engine.meshes.size());
}
