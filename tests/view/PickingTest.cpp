// Left and right clicks and the measure modes: which release is a click, distances, angles and
// dihedral angles of picked atoms, and the dihedral profiler's launch and reset.
#include <memory>

#include "support/MoleculeBuilder.h"
#include "tests/render/SpheroidScene.h"
#include "tests/view/ViewHost.h"

namespace {

using namespace kvview;

class ViewPicking : public SettledView {
 protected:
  // Carbons at the points (no bonds), 20 units in front of the camera plus the offset.
  Mesh* showAtoms(const std::vector<SSEVector4f>& points, const SSEVector4f& offset = {}) {
    auto m = kvtest::buildMolecule(std::vector<std::string>(points.size(), "C"), {});
    kvscene::giveSpheroids(*m, points);
    m->scenePosition = alongRay(20.0f) + offset;
    m->scenePosition.w = 1.0f;
    Molecule* molecule = m.release();
    view->handOverMolecule(molecule);
    frame();
    return molecule->mesh;
  }
  void clickAtoms(const Mesh* mesh, std::initializer_list<int> atoms) {
    for (int i : atoms) click(pixelOf(mesh, mesh->molecule->atoms[static_cast<size_t>(i)]->sphere));
  }
};

const std::vector<SSEVector4f> kTrans = {{-1, 1, 0}, {0, 0, 0}, {2, 0, 0}, {3, -1, 0}};

}  // namespace

TEST_F(ViewPicking, ARightClickMayMoveFivePixelsALeftClickTwo) {
  const Mesh* mesh = showAtoms({{0, 0, 0}});
  const QPoint at = pixelOf(mesh, mesh->spheroids.front());
  QSignalSpy selected(view, &GLWidget::moleculeSelected);
  const struct {
    Qt::MouseButton button;
    QPoint slip;
    bool isClick;
  } releases[] = {{Qt::RightButton, {2, 1}, true},  {Qt::LeftButton, {2, 1}, false},
                  {Qt::RightButton, {3, 3}, false}, {Qt::LeftButton, {3, 3}, false},
                  {Qt::LeftButton, {1, 1}, true}};
  for (const auto& r : releases) {
    selected.clear();
    QTimer::singleShot(0, [] {
      if (QWidget* menu = QApplication::activePopupWidget()) menu->close();
    });
    click(at, r.button, r.slip);
    EXPECT_EQ(r.isClick ? 1 : 0, selected.count()) << r.button << " " << r.slip.x();
  }
}

// The distance is taken on the molecule of the picked atoms, even one that is not current.
TEST_F(ViewPicking, TwoDifferentAtomsGiveOneDistanceAndTheNextClickStartsAnew) {
  math.measureMode = 1;
  math.pickMode = 0;   // the clicks select nothing: the other molecule stays current
  Mesh* mesh = showAtoms({{0, 0, 0}, {2.5f, 0, 0}, {0, 2, 0}});
  Mesh* other = showAtoms({{0, 0, 0}, {3, 0, 0}}, SSEVector4f(0, 6, 0, 0));
  kvtest::ConsoleCapture console(1);
  clickAtoms(mesh, {0, 0, 1});
  EXPECT_EQ(std::vector<std::string>{"Calculated Distance: 2.50000"}, console.lines);
  clickAtoms(mesh, {2});
  EXPECT_TRUE(mesh->activeAtomIds == std::vector<int>{2} && mesh->activePoints.size() == 1);
  EXPECT_TRUE(console.lines.size() == 1 && engine.currentMesh == other);
}

TEST_F(ViewPicking, AnglesAndDihedralsPrintInTheirFormats) {
  const struct {
    int mode;
    std::vector<SSEVector4f> points;
    const char* line;
  } cases[] = {
      {2, {{2, 0, 0}, {0, 0, 0}, {0, 2, 0}}, "Calculated Angle: 90.00000"},
      {2, {{-1.3f, -0.7f, 0.3f}, {0, 0, 0}, {2.6f, 1.4f, -0.6f}}, "Calculated Angle: 180.00000"},
      {4, kTrans, "Calculated Dihedral Angle: 180.0"},
      {4, {{-1, 1, 0}, {0, 0, 0}, {2, 0, 0}, {3, 1, 0}}, "Calculated Dihedral Angle:   0.0"},
      {4, {{-2, 0, 0}, {0, 0, 0}, {2, 0, 0}, {3, 1, 0}}, "Calculated Dihedral Angle:  90.0"},
  };
  for (const auto& c : cases) {
    math.measureMode = c.mode;
    Mesh* mesh = showAtoms(c.points);
    kvtest::ConsoleCapture console(1);
    for (size_t i = 0; i < c.points.size(); ++i) clickAtoms(mesh, {static_cast<int>(i)});
    EXPECT_EQ(std::vector<std::string>{c.line}, console.lines);
    mesh->deleteMesh();   // out of the way of the next case
    view->purgeDeletedMeshes = true;
  }
}

TEST_F(ViewPicking, TheProfileModeSendsACopyOnTheFourthAtomAndResetsOnTheFifth) {
  math.measureMode = 5;
  Mesh* mesh = showAtoms(kTrans);
  QSignalSpy launched(view, &GLWidget::launchPlotter);
  std::vector<size_t> pointsAtReset;
  QObject::connect(view, &GLWidget::resetEnergyPlotter,
                   [&] { pointsAtReset.push_back(mesh->activePoints.size()); });
  clickAtoms(mesh, {3, 2, 1, 0});
  ASSERT_EQ(1, launched.count());
  const QList<QVariant> sent = launched.takeFirst();
  std::unique_ptr<Molecule> copy(sent[0].value<Molecule*>());
  EXPECT_TRUE(copy != nullptr && copy.get() != mesh->molecule && copy->atoms.size() == 4);
  EXPECT_EQ((std::vector<int>{3, 2, 1, 0}),
            (std::vector<int>{sent[1].toInt(), sent[2].toInt(), sent[3].toInt(), sent[4].toInt()}));
  EXPECT_EQ("180.0", sent[5].toString());
  EXPECT_TRUE(pointsAtReset.empty());
  clickAtoms(mesh, {1});
  EXPECT_EQ(std::vector<size_t>{4}, pointsAtReset) << "the reset comes before the clearing";
  EXPECT_EQ(std::vector<int>{1}, mesh->activeAtomIds);
}
