// Changing molecules in the view: the edit modes' marks, symbols, questions and Apply, joins at
// two bond axes, ring closure, and twisted molecules from the profiler.
#include <QAbstractButton>
#include <QMessageBox>

#include <algorithm>
#include <functional>

#include "construction/MoleculeEdits.h"
#include "io/SmilesParser.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "tests/view/ViewHost.h"

namespace {

using namespace kvview;

bool white(QRgb p) { return qRed(p) > 200 && qGreen(p) > 200 && qBlue(p) > 200; }
bool red(QRgb p) { return qRed(p) > 200 && qGreen(p) < 60 && qBlue(p) < 60; }

class ViewEditing : public SettledView {
 protected:
  void TearDown() override {
    poll.stop();
    SettledView::TearDown();
  }
  // Presses the button of that text (or Escape) on the next message box, keeping the box's
  // title, text and sorted button texts in `asked`.
  void answerWith(const QString& button) {
    asked.clear();
    poll.disconnect();
    QObject::connect(&poll, &QTimer::timeout, [this, button] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr) return;
      poll.stop();
      QStringList texts;
      for (QAbstractButton* b : box->buttons()) texts << b->text();
      texts.sort();
      asked = box->windowTitle() + "|" + box->text() + "|" + texts.join("|");
      if (button == "Escape") QTest::keyClick(box, Qt::Key_Escape);
      for (QAbstractButton* b : box->buttons())
        if (b->text() == button) b->click();
    });
    poll.start(5);
  }
  // The first of the objects that the pick of that kind finds at its own pixel.
  template <typename T>
  T* reachable(const Mesh* mesh, const std::vector<T*>& objects, int kind,
               const std::function<const Spheroid*(T*)>& spheroidOf) {
    for (T* object : objects) {
      const Spheroid* s = spheroidOf(object);
      if (s == nullptr) continue;
      const QPoint at = pixelOf(mesh, s);
      engine.mouseX = at.x();
      engine.mouseY = kHeight - at.y();
      math.generateEyeRay();
      math.pickAllMeshSpheroids(kind);
      const bool found = math.pickedSpheroid == s;
      math.resetPick();
      if (found) return object;
    }
    return nullptr;
  }
  bool near(bool (*colour)(QRgb), const QPoint& at) const {
    for (int dy = -4; dy <= 4; ++dy)
      for (int dx = -4; dx <= 4; ++dx)
        if (colour(pixels().pixel(at + QPoint(dx, dy)))) return true;
    return false;
  }
  Mesh* showMolecule(Molecule* m, const SSEVector4f& at) {
    m->scenePosition = at;
    view->handOverMolecule(m);
    frame();
    return m->mesh;
  }
  // Hexane with an open bond axis at each end.
  Molecule* hexaneWithEndAxes() {
    SmilesParser parser;
    std::unique_ptr<Molecule> chain(parser.smilesToMol("CCCCCC"));
    for (size_t end : {0u, 5u})
      for (Bond* b : chain->atoms[end]->bonds)
        if (chain->atoms[end]->getAdjacentAtom(b)->element == "H") {
          chain->atoms[end]->getAdjacentAtom(b)->editMark = 2;
          break;
        }
    return rebuildWithNewBondAxes(chain.get(), nullptr).molecule;
  }
  std::vector<std::string> linesOf(const std::string& report) {
    std::vector<std::string> lines;
    for (size_t start = 0, end; (end = report.find('\n', start)) != std::string::npos;
         start = end + 1)
      lines.push_back(report.substr(start, end - start));
    return lines;
  }

  QTimer poll;
  QString asked;
};

const Spheroid* orbitalOf(Bond* b) { return b->spheroid; }

}  // namespace

TEST_F(ViewEditing, ClicksMarkAtomsAndBondsAndTheSymbolsShowTheMarks) {
  Mesh* mesh = show(kEthanol, alongRay(20.0f));
  Molecule* m = mesh->molecule;
  Atom* heavy = reachable<Atom>(mesh, m->atoms, 0, [](Atom* a) {
    return a->element != "H" ? a->sphere : nullptr;
  });
  Atom* hydrogen = reachable<Atom>(mesh, m->atoms, 0, [](Atom* a) {
    return a->element == "H" ? a->sphere : nullptr;
  });
  Bond* bond = reachable<Bond>(mesh, m->bonds, 3, orbitalOf);
  ASSERT_TRUE(heavy != nullptr && hydrogen != nullptr && bond != nullptr);

  math.measureMode = 7;
  for (int i = 0; i < 3; ++i) click(pixelOf(mesh, heavy->sphere));
  EXPECT_EQ(1, heavy->editMark) << "marked, withdrawn, marked again";
  EXPECT_EQ(std::vector<Atom*>{heavy}, view->atomsToDelete[m]);
  math.measureMode = 8;
  click(pixelOf(mesh, heavy->sphere));
  EXPECT_EQ(1, heavy->editMark) << "only hydrogens become axes";
  click(pixelOf(mesh, hydrogen->sphere));
  EXPECT_EQ(2, hydrogen->editMark);
  math.measureMode = 9;
  click(pixelOf(mesh, bond->spheroid));
  EXPECT_EQ(1, bond->deleteMark);
  EXPECT_TRUE(m->isEdited);

  engine.showNuclei = engine.showAtomicOrbitals = engine.showMolecularOrbitals = false;
  frame();
  engine.showNuclei = engine.showAtomicOrbitals = engine.showMolecularOrbitals = true;
  EXPECT_TRUE(near(white, pixelOf(mesh, heavy->sphere))) << "a white X";
  EXPECT_TRUE(near(white, pixelOf(mesh, hydrogen->sphere))) << "a white axis line";
  EXPECT_TRUE(near(red, pixelOf(mesh, bond->spheroid))) << "a red X";

  // Bond orders: the key sets the order a click gives; Discard restores the first order.
  math.measureMode = 6;
  const int first = bond->order;
  kvtest::ConsoleCapture console(1);
  for (Qt::Key key : {Qt::Key_2, Qt::Key_3}) {
    QTest::keyClick(view, key);
    click(pixelOf(mesh, bond->spheroid));
  }
  EXPECT_EQ("Changing bond orders to order: 2", console.lines.front());
  EXPECT_EQ(3, bond->order);
  answerWith("Discard");
  EXPECT_TRUE(view->exitEditBondOrderMode());
  EXPECT_EQ(first, bond->order);
  EXPECT_TRUE(view->savedBondOrders.isEmpty() && !m->isEdited);
}

TEST_F(ViewEditing, EachExitAsksItsQuestionAndOnlyResumeKeepsTheModeOn) {
  Molecule* m = show(kEthanol, alongRay(20.0f))->molecule;
  Atom* atom = m->atoms[0];
  Bond* bond = m->bonds[0];
  const QString buttons = "|Apply|Discard|Resume";
  const struct {
    bool (GLWidget::*exit)();
    std::function<void()> mark;
    std::function<bool()> marked;
    QString question;
  } exits[] = {
      {&GLWidget::exitEditBondOrderMode, [&] { view->savedBondOrders[bond] = bond->order++; },
       [&] { return !view->savedBondOrders.isEmpty(); },
       "Confirm Bond Order Changes?|Would you like to apply these changes to the bond "
       "orders?\n\nPress Resume to continue editing bond orders."},
      {&GLWidget::exitDeleteAtomMode, [&] { view->atomsToDelete[m] = {atom}, atom->editMark = 1; },
       [&] { return atom->editMark == 1; },
       "Confirm Delete Atoms?|Would you like to delete these atoms?\n\nPress Resume to continue."},
      {&GLWidget::exitMakeAxisMode, [&] { view->atomsToMakeAxes[m] = {atom}, atom->editMark = 2; },
       [&] { return atom->editMark == 2; },
       "Confirm Make Axis?|Would you like to make these axis?\n\nPress Resume to continue."},
      {&GLWidget::exitDeleteBondMode, [&] { view->bondsToDelete[m] = {bond}, bond->deleteMark = 1; },
       [&] { return bond->deleteMark == 1; },
       "Confirm Delete Bonds?|Would you like to delete these bonds?\n\nPress Resume to continue."},
  };
  for (const auto& e : exits) {
    answerWith("Resume");
    EXPECT_TRUE((view->*e.exit)()) << "nothing to decide";
    EXPECT_TRUE(asked.isEmpty()) << "and nothing asked";
    e.mark();
    m->isEdited = true;
    for (const char* keepEditing : {"Resume", "Escape"}) {
      answerWith(keepEditing);
      EXPECT_FALSE((view->*e.exit)()) << keepEditing;
      EXPECT_EQ(e.question + buttons, asked);
      EXPECT_TRUE(e.marked());
    }
    answerWith("Discard");
    EXPECT_TRUE((view->*e.exit)());
    EXPECT_FALSE(e.marked() || m->isEdited) << e.question.toStdString();
  }
}

TEST_F(ViewEditing, ApplyPutsTheNewMoleculeInTheOldOnesPlaceAndInTheHistory) {
  Mesh* mesh = show(kEthanol, alongRay(20.0f));
  const SSEVector4f place = mesh->position;
  Molecule* m = mesh->molecule;
  Atom* oxygen = *std::find_if(m->atoms.begin(), m->atoms.end(),
                               [](const Atom* a) { return a->element == "O"; });
  oxygen->editMark = 1;
  m->isEdited = true;
  view->atomsToDelete[m] = {oxygen};
  QSignalSpy created(view, qOverload<std::string>(&GLWidget::moleculeCreated));
  answerWith("Apply");
  EXPECT_TRUE(view->exitDeleteAtomMode());
  EXPECT_TRUE(view->atomsToDelete.empty());
  frame();
  ASSERT_EQ(1u, engine.meshes.size());
  const Molecule* made = engine.meshes[0]->molecule;
  EXPECT_EQ("C2H6", made->getName());
  EXPECT_EQ(0.0f, (engine.meshes[0]->position - place).length());
  EXPECT_EQ(std::deque<Molecule*>{engine.meshes[0]->molecule}, library.workspace);
  ASSERT_EQ(1u, library.history.size());
  EXPECT_TRUE(library.history[0] != made && library.history[0]->getName() == "C2H6");
  ASSERT_EQ(1, created.count());
  EXPECT_EQ("C2H6~0", created.takeFirst().front().value<std::string>());
}

TEST_F(ViewEditing, AxesOfOneMoleculeCloseARingAndAxesOfDifferentOrdersNeverJoin) {
  Mesh* a = show(kMethyl, alongRay(20.0f));
  Mesh* b = show(kMethyl, alongRay(20.0f) + SSEVector4f(5, 0, 0, 0));
  view->firstSelectedSpheroid = ofKind(a, 2);
  view->secondSelectedSpheroid = ofKind(b, 2);
  static_cast<Bond*>(view->secondSelectedSpheroid->owner)->order = 2;
  kvtest::ConsoleCapture console(1);
  call("initJoinMolecules");
  EXPECT_EQ(std::vector<std::string>{"Cannot join: bond axes are not the same order"},
            console.lines);
  EXPECT_FALSE(b->slerpActive);

  showMolecule(hexaneWithEndAxes(), alongRay(20.0f) + SSEVector4f(0, 5, 0, 0));
  QTest::keyClick(view, Qt::Key_1);
  QTest::keyClick(view, Qt::Key_2);
  QSignalSpy created(view, qOverload<std::string>(&GLWidget::moleculeCreated));
  call("initJoinMolecules");
  frame();
  ASSERT_EQ(3u, engine.meshes.size()) << "the chain gave way to the ring";
  const Molecule* ring = engine.meshes.back()->molecule;
  EXPECT_TRUE(ring->rings.size() == 1 && ring->numBondAxes == 0);
  EXPECT_EQ(1, created.count());
}

TEST_F(ViewEditing, TwoMethylsGlideTogetherAndBecomeEthaneAtTheFirstOnesPlace) {
  Mesh* a = show(kMethyl, alongRay(20.0f));
  Mesh* b = show(kMethyl, alongRay(20.0f) + SSEVector4f(4, 3, -2, 0));
  const SSEVector4f place = a->position;
  view->firstSelectedSpheroid = ofKind(a, 2);
  view->secondSelectedSpheroid = ofKind(b, 2);
  QSignalSpy created(view, qOverload<std::string>(&GLWidget::moleculeCreated));
  kvtest::ConsoleCapture console(0);   // no optimiser headings
  call("initJoinMolecules");
  ASSERT_TRUE(b->slerpActive);
  for (int i = 0; i < 11 && engine.meshes.size() == 2 && !a->deleteFlag; ++i) frame();
  EXPECT_EQ(1, created.count()) << "one second of frames at 0.1 s";
  frame();
  ASSERT_EQ(1u, engine.meshes.size());
  Molecule* ethane = engine.meshes[0]->molecule;
  EXPECT_EQ("C2H6~0", created.takeFirst().front().value<std::string>());
  EXPECT_EQ(0.0f, (engine.meshes[0]->position - place).length());
  // The report line by line (its angles read the taken-over spheroids, so only the shape).
  EXPECT_EQ(linesOf(ethane->getListOfBondEnegries()).size(), console.lines.size());
  EXPECT_EQ("#####  C2H6   CC  #####", console.lines.at(2));
  EXPECT_TRUE(view->firstSelectedSpheroid == nullptr && view->secondSelectedSpheroid == nullptr);
}

TEST_F(ViewEditing, AxesFacingEachOtherOnlyGlideTheMovingAtomToItsLandingPoint) {
  Mesh* a = show(kMethyl, alongRay(20.0f));
  Mesh* b = show(kMethyl, alongRay(20.0f) + SSEVector4f(6, 0, 0, 0));
  b->setRotation(Quaternion(SSEVector4f(0, 1, 0, 0), 3.1415927f));   // its axis along -x
  view->firstSelectedSpheroid = ofKind(a, 2);
  view->secondSelectedSpheroid = ofKind(b, 2);
  const Bond* axis1 = static_cast<Bond*>(view->firstSelectedSpheroid->owner);
  const Bond* axis2 = static_cast<Bond*>(view->secondSelectedSpheroid->owner);
  const Atom* real1 = isDummy(axis1->atom1) ? axis1->atom2 : axis1->atom1;
  const Atom* real2 = isDummy(axis2->atom1) ? axis2->atom2 : axis2->atom1;
  call("initJoinMolecules");
  const Quaternion& r = b->slerpTargetRotation;
  EXPECT_TRUE(r.w == b->rotation.w && r.x == b->rotation.x && r.y == b->rotation.y &&
              r.z == b->rotation.z);
  const SSEVector4f landed = b->slerpTargetPosition + real2->sphere->centre * b->rotationMatrix;
  const SSEVector4f expected = a->getGlobalCenter(real1->sphere) + SSEVector4f(2.915f, 0, 0, 0);
  EXPECT_NEAR(0.0f, (landed - expected).length(), 1e-4f);
}

TEST_F(ViewEditing, ATwistedMoleculeClearsThePickedPointsAndIsRecordedUnannounced) {
  Mesh* current = show(kEthanol, SSEVector4f());
  current->activePoints.push_back(new SSEVector4f());
  current->activeAtomIds.push_back(0);
  Molecule* twisted = read(kEthanol);
  twisted->scenePosition = SSEVector4f(3, 4, 5);
  QSignalSpy created(view, qOverload<std::string>(&GLWidget::moleculeCreated));
  ASSERT_TRUE(QMetaObject::invokeMethod(view, "drawTwistedMolecule", Q_ARG(Molecule*, twisted)));
  EXPECT_TRUE(current->activePoints.empty() && current->activeAtomIds.empty());
  EXPECT_EQ(1u, library.history.size());
  frame();
  EXPECT_EQ(twisted->mesh, engine.currentMesh);
  EXPECT_EQ(0.0f, (twisted->mesh->position - twisted->scenePosition).length());
  EXPECT_EQ(0, created.count());
}
