// Changing molecules in the view: the edit modes' marks, symbols, questions and Apply, joins at
// two bond axes.
#include <QAbstractButton>
#include <QMessageBox>

#include <algorithm>
#include <functional>

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
      const QPoint at = pixelOf(mesh, s);
      engine.mouseX = at.x();
      engine.mouseY = kHeight - at.y();
      math.generateEyeRay();
      math.pickAllMeshSpheroids(kind);
      const bool found = math.pickedSpheroid == s;
      math.resetPick();
      if (found) return s;
    }
    return nullptr;
  }
  bool near(bool (*colour)(QRgb), const QPoint& at) const {
    for (int dy = -4; dy <= 4; ++dy)
      for (int dx = -4; dx <= 4; ++dx)
        if (colour(pixels().pixel(at + QPoint(dx, dy)))) return true;
    return false;
  }

  QTimer poll;
  QString asked;
};

const Atom* atomOf(const Spheroid* s) { return static_cast<const Atom*>(s->owner); }

}  // namespace

TEST_F(ViewEditing, ClicksMarkAtomsAndBondsAndTheSymbolsShowTheMarks) {
  Mesh* mesh = show(kEthanol, alongRay(20.0f));
  Molecule* m = mesh->molecule;
  const int sphere = SpheroidKind::AtomSphere;
  Spheroid* heavy = clickable(mesh, sphere, [](Spheroid* s) { return atomOf(s)->element != "H"; });
  Spheroid* hydrogen =
      clickable(mesh, sphere, [](Spheroid* s) { return atomOf(s)->element == "H"; });
  Spheroid* orbital = clickable(mesh, SpheroidKind::BondOrbital, [](Spheroid*) { return true; });
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

  // The keys set the order a click gives. Leaving asks only once there is something to decide;
  // Resume and Escape keep the mode on, Discard restores the order before the first change.
  math.measureMode = 6;
  answerWith("Resume");
  EXPECT_TRUE(view->exitEditBondOrderMode() && asked.isEmpty());
  const int first = bond->order;
  kvtest::ConsoleCapture console(1);
  for (Qt::Key key : {Qt::Key_2, Qt::Key_3}) {
    QTest::keyClick(view, key);
    click(pixelOf(mesh, orbital));
  }
  EXPECT_TRUE(console.lines.front() == "Changing bond orders to order: 2" && bond->order == 3);
  for (const char* keepEditing : {"Resume", "Escape"}) {
    answerWith(keepEditing);
    EXPECT_FALSE(view->exitEditBondOrderMode()) << keepEditing;
  }
  EXPECT_EQ("Confirm Bond Order Changes?|Would you like to apply these changes to the bond "
            "orders?\n\nPress Resume to continue editing bond orders.|Apply|Discard|Resume",
            asked);
  answerWith("Discard");
  EXPECT_TRUE(view->exitEditBondOrderMode());
  EXPECT_TRUE(bond->order == first && view->savedBondOrders.isEmpty() && !m->isEdited);
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
  b->setRotation(Quaternion(SSEVector4f(0.6f, 0, 0.8f, 0), 1.0f));   // the axes askew
  const SSEVector4f place = a->position;
  view->firstSelectedSpheroid = ofKind(a, SpheroidKind::OpenBondAxis);
  view->secondSelectedSpheroid = ofKind(b, SpheroidKind::OpenBondAxis);
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
  EXPECT_EQ("C2H6~0", created.takeFirst().front().value<std::string>());
  EXPECT_EQ(0.0f, (engine.meshes[0]->position - place).length());
}
