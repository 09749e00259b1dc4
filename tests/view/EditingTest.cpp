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
  // Presses the button of that text (or Escape) on the next message box and keeps its title,
  // text and sorted button texts in `asked`.
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
  // The first spheroid of the kind and test that a click on its own pixel picks.
  Spheroid* clickable(const Mesh* mesh, int kind, const std::function<bool(Spheroid*)>& test) {
    for (Spheroid* s : mesh->spheroids) {
      if (s->kind != kind || !test(s)) continue;
      aimEyeRay(pixelOf(mesh, s));
      math.pickAllMeshSpheroids(kind);
      const bool found = math.pickedSpheroid == s;
      math.resetPick();
      if (found) return s;
    }
    return nullptr;
  }
  void aimEyeRay(const QPoint& at) {
    engine.mouseX = at.x();
    engine.mouseY = kHeight - at.y();
    math.generateEyeRay();
  }
  bool near(bool (*colour)(QRgb), const QPoint& at) const {
    for (int dy = -4; dy <= 4; ++dy)
      for (int dx = -4; dx <= 4; ++dx)
        if (colour(pixels().pixel(at + QPoint(dx, dy)))) return true;
    return false;
  }
  void chooseAxes(Mesh* a, Mesh* b) {
    view->firstSelectedSpheroid = ofKind(a, 2);
    view->secondSelectedSpheroid = ofKind(b, 2);
  }

  QTimer poll;
  QString asked;
};

const Atom* atomOf(const Spheroid* s) { return static_cast<const Atom*>(s->owner); }
Atom* realEnd(const Spheroid* axis) {
  const Bond* b = static_cast<const Bond*>(axis->owner);
  return isDummy(b->atom1) ? b->atom2 : b->atom1;
}

}  // namespace

TEST_F(ViewEditing, ClicksMarkAtomsAndBondsAndTheSymbolsShowTheMarks) {
  Mesh* mesh = show(kEthanol, alongRay(20.0f));
  Molecule* m = mesh->molecule;
  Spheroid* heavy = clickable(mesh, 0, [](Spheroid* s) { return atomOf(s)->element != "H"; });
  Spheroid* hydrogen = clickable(mesh, 0, [](Spheroid* s) { return atomOf(s)->element == "H"; });
  Spheroid* orbital = clickable(mesh, 3, [](Spheroid*) { return true; });
  ASSERT_TRUE(heavy != nullptr && hydrogen != nullptr && orbital != nullptr);
  Atom* atom = static_cast<Atom*>(heavy->owner);
  Bond* bond = static_cast<Bond*>(orbital->owner);

  math.measureMode = 7;
  for (int i = 0; i < 3; ++i) click(pixelOf(mesh, heavy));
  EXPECT_EQ(1, atom->editMark) << "marked, withdrawn, marked again";
  EXPECT_EQ(std::vector<Atom*>{atom}, view->atomsToDelete[m]);
  math.measureMode = 8;
  for (Spheroid* s : {heavy, hydrogen}) click(pixelOf(mesh, s));
  EXPECT_TRUE(atom->editMark == 1 && atomOf(hydrogen)->editMark == 2) << "only hydrogens";
  math.measureMode = 9;
  click(pixelOf(mesh, orbital));
  EXPECT_TRUE(bond->deleteMark == 1 && m->isEdited);

  engine.showNuclei = engine.showAtomicOrbitals = engine.showMolecularOrbitals = false;
  frame();
  engine.showNuclei = engine.showAtomicOrbitals = engine.showMolecularOrbitals = true;
  EXPECT_TRUE(near(white, pixelOf(mesh, heavy))) << "a white X";
  EXPECT_TRUE(near(white, pixelOf(mesh, hydrogen))) << "a white axis line";
  EXPECT_TRUE(near(red, pixelOf(mesh, orbital))) << "a red X";

  // The keys set the order a click gives; Discard restores the order before the first change.
  math.measureMode = 6;
  const int first = bond->order;
  kvtest::ConsoleCapture console(1);
  for (Qt::Key key : {Qt::Key_2, Qt::Key_3}) {
    QTest::keyClick(view, key);
    click(pixelOf(mesh, orbital));
  }
  EXPECT_TRUE(console.lines.front() == "Changing bond orders to order: 2" && bond->order == 3);
  answerWith("Discard");
  EXPECT_TRUE(view->exitEditBondOrderMode());
  EXPECT_TRUE(bond->order == first && view->savedBondOrders.isEmpty() && !m->isEdited);
}

TEST_F(ViewEditing, EachExitAsksItsQuestionAndOnlyResumeKeepsTheModeOn) {
  Molecule* m = show(kEthanol, alongRay(20.0f))->molecule;
  Atom* atom = m->atoms[0];
  Bond* bond = m->bonds[0];
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
    EXPECT_TRUE((view->*e.exit)() && asked.isEmpty()) << "nothing to decide, nothing asked";
    e.mark();
    m->isEdited = true;
    for (const char* keepEditing : {"Resume", "Escape"}) {
      answerWith(keepEditing);
      EXPECT_FALSE((view->*e.exit)()) << keepEditing;
      EXPECT_EQ(e.question + "|Apply|Discard|Resume", asked);
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
  view->atomsToDelete[m] = {oxygen};
  QSignalSpy created(view, qOverload<std::string>(&GLWidget::moleculeCreated));
  answerWith("Apply");
  EXPECT_TRUE(view->exitDeleteAtomMode() && view->atomsToDelete.empty());
  frame();
  ASSERT_EQ(1u, engine.meshes.size());
  Molecule* made = engine.meshes[0]->molecule;
  EXPECT_TRUE(made->getName() == "C2H6" && engine.meshes[0]->position.x == place.x);
  EXPECT_EQ(std::deque<Molecule*>{made}, library.workspace);
  ASSERT_EQ(1u, library.history.size());
  EXPECT_TRUE(library.history[0] != made && library.history[0]->getName() == "C2H6");
  ASSERT_EQ(1, created.count());
  EXPECT_EQ("C2H6~0", created.takeFirst().front().value<std::string>());
}

TEST_F(ViewEditing, TwoMethylsGlideTogetherAndBecomeEthaneAtTheFirstOnesPlace) {
  Mesh* a = show(kMethyl, alongRay(20.0f));
  Mesh* b = show(kMethyl, alongRay(20.0f) + SSEVector4f(4, 3, -2, 0));
  const SSEVector4f place = a->position;
  chooseAxes(a, b);
  static_cast<Bond*>(view->secondSelectedSpheroid->owner)->order = 2;
  kvtest::ConsoleCapture console(0);   // no optimiser headings
  call("initJoinMolecules");
  EXPECT_EQ(std::vector<std::string>{"Cannot join: bond axes are not the same order"},
            console.lines);
  EXPECT_FALSE(b->slerpActive);
  static_cast<Bond*>(view->secondSelectedSpheroid->owner)->order = 1;
  console.lines.clear();

  QSignalSpy created(view, qOverload<std::string>(&GLWidget::moleculeCreated));
  call("initJoinMolecules");
  for (int i = 0; i < 9; ++i) frame();   // 0.1 s a frame: the glide takes ten
  EXPECT_TRUE(created.isEmpty());
  for (int i = 0; i < 2 && created.isEmpty(); ++i) frame();
  EXPECT_EQ(1, created.count());
  frame();
  ASSERT_EQ(1u, engine.meshes.size());
  const Molecule* ethane = engine.meshes[0]->molecule;
  EXPECT_EQ("C2H6~0", created.takeFirst().front().value<std::string>());
  EXPECT_EQ(0.0f, (engine.meshes[0]->position - place).length());
  // The bond-energy report, one console line per line.
  const std::string report = engine.meshes[0]->molecule->getListOfBondEnegries();
  EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), console.lines.size());
  EXPECT_EQ("#####  C2H6   CC  #####", console.lines.at(2)) << ethane->smiles;
}

TEST_F(ViewEditing, AxesFacingEachOtherKeepTheMovingRotationAndLandAtTheLandingPoint) {
  Mesh* a = show(kMethyl, alongRay(20.0f));
  Mesh* b = show(kMethyl, alongRay(20.0f) + SSEVector4f(6, 0, 0, 0));
  b->setRotation(Quaternion(SSEVector4f(0, 1, 0, 0), 3.1415927f));   // its axis along -x
  chooseAxes(a, b);
  call("initJoinMolecules");
  const Quaternion& r = b->slerpTargetRotation;
  EXPECT_TRUE(r.w == b->rotation.w && r.x == b->rotation.x && r.y == b->rotation.y &&
              r.z == b->rotation.z);
  const SSEVector4f landed =
      b->slerpTargetPosition + realEnd(ofKind(b, 2))->sphere->centre * b->rotationMatrix;
  const SSEVector4f expected =
      a->getGlobalCenter(realEnd(ofKind(a, 2))->sphere) + SSEVector4f(2.915f, 0, 0, 0);
  EXPECT_NEAR(0.0f, (landed - expected).length(), 1e-4f);
}

TEST_F(ViewEditing, TwoAxesOfOneMoleculeCloseARing) {
  std::unique_ptr<Molecule> hexane(SmilesParser().smilesToMol("CCCCCC"));
  for (Atom* end : {hexane->atoms[0], hexane->atoms[5]})   // one hydrogen of each end carbon
    (*std::find_if(end->neighbours.begin(), end->neighbours.end(),
                   [](const Atom* n) { return n->element == "H"; }))->editMark = 2;
  Molecule* chain = rebuildWithNewBondAxes(hexane.get(), nullptr).molecule;
  ASSERT_TRUE(chain != nullptr && chain->calculateNumBondAxes() == 2);
  chain->scenePosition = alongRay(20.0f);
  view->handOverMolecule(chain);
  frame();
  QTest::keyClick(view, Qt::Key_1);
  QTest::keyClick(view, Qt::Key_2);
  QSignalSpy created(view, qOverload<std::string>(&GLWidget::moleculeCreated));
  call("initJoinMolecules");
  frame();
  ASSERT_TRUE(engine.meshes.size() == 1 && created.count() == 1);
  const Molecule* ring = engine.meshes[0]->molecule;
  EXPECT_TRUE(ring->rings.size() == 1 && ring->numBondAxes == 0);
}

TEST_F(ViewEditing, ATwistedMoleculeClearsThePickedPointsAndIsRecordedUnannounced) {
  Mesh* current = show(kEthanol, SSEVector4f());
  current->activePoints.push_back(new SSEVector4f());
  current->activeAtomIds.push_back(0);
  Molecule* twisted = read(kEthanol);
  twisted->scenePosition = SSEVector4f(3, 4, 5);
  QSignalSpy created(view, qOverload<std::string>(&GLWidget::moleculeCreated));
  ASSERT_TRUE(QMetaObject::invokeMethod(view, "drawTwistedMolecule", Q_ARG(Molecule*, twisted)));
  EXPECT_TRUE(current->activePoints.empty() && library.history.size() == 1);
  frame();
  EXPECT_EQ(twisted->mesh, engine.currentMesh);
  EXPECT_EQ(0.0f, (twisted->mesh->position - twisted->scenePosition).length());
  EXPECT_EQ(0, created.count());
}
