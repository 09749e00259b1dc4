// Clicks in the measure modes: distances, angles and dihedral angles of picked atoms, and the
// dihedral profiler's launch and reset.
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

// Each measurement is taken on the molecule of the picked atoms, here never the current one; an
// atom picked twice counts once.
TEST_F(ViewPicking, DistancesAnglesAndDihedralsPrintInTheirFormats) {
  math.pickMode = 0;   // the clicks select nothing
  const struct {
    int mode;
    std::vector<SSEVector4f> points;
    std::vector<int> clicks;
    const char* line;
  } cases[] = {
      {1, {{0, 0, 0}, {2.5f, 0, 0}}, {0, 0, 1}, "Calculated Distance: 2.50000"},
      {2, {{2, 0, 0}, {0, 0, 0}, {0, 2, 0}}, {0, 1, 2}, "Calculated Angle: 90.00000"},
      {2, {{-1.3f, -0.7f, 0.3f}, {0, 0, 0}, {2.6f, 1.4f, -0.6f}}, {0, 1, 2},
       "Calculated Angle: 180.00000"},
      {4, kTrans, {0, 1, 2, 3}, "Calculated Dihedral Angle: 180.0"},
      {4, {{-2, 0, 0}, {0, 0, 0}, {2, 0, 0}, {3, 1, 0}}, {0, 1, 2, 3},
       "Calculated Dihedral Angle:  90.0"},
      // Looking along 1->2, the far bond 68 degrees clockwise of the near one is +68, the
      // mirror image -68, kept in [0, 360) (RDKit's GetDihedralDeg: 68.0 and -68.0).
      {4, {{-1, 2.4f, 0}, {0, 0, 0}, {3, 0, 0}, {4, 0.899f, 2.2252f}}, {0, 1, 2, 3},
       "Calculated Dihedral Angle:  68.0"},
      {4, {{-1, 2.4f, 0}, {0, 0, 0}, {3, 0, 0}, {4, 0.899f, -2.2252f}}, {0, 1, 2, 3},
       "Calculated Dihedral Angle: 292.0"},
  };
  for (const auto& c : cases) {
    math.measureMode = c.mode;
    Mesh* mesh = showAtoms(c.points);
    const Mesh* current = showAtoms({{0, 0, 0}}, SSEVector4f(0, 8, 0, 0));
    kvtest::ConsoleCapture console(1);
    for (int i : c.clicks) clickAtoms(mesh, {i});
    EXPECT_EQ(std::vector<std::string>{c.line}, console.lines);
    EXPECT_EQ(current, engine.currentMesh);
    view->createNewWorkspace();   // out of the way of the next case
    settle();
  }
}

TEST_F(ViewPicking, TheProfileModeSendsACopyOnTheFourthAtomAndResetsOnTheFifth) {
  math.measureMode = 5;
  Mesh* mesh = showAtoms(kTrans);
  mesh->molecule->energyCorrection = 0.25f;
  QSignalSpy launched(view, &GLWidget::launchPlotter);
  std::vector<size_t> pointsAtReset;
  QObject::connect(view, &GLWidget::resetEnergyPlotter,
                   [&] { pointsAtReset.push_back(mesh->activePoints.size()); });
  clickAtoms(mesh, {3, 2, 1, 0});
  ASSERT_EQ(1, launched.count());
  const QList<QVariant> sent = launched.takeFirst();
  std::unique_ptr<Molecule> copy(sent[0].value<Molecule*>());
  EXPECT_TRUE(copy != nullptr && copy.get() != mesh->molecule && copy->atoms.size() == 4);
  EXPECT_EQ(0.25f, copy->energyCorrection) << "the twisted copies build on the correction";
  EXPECT_EQ((std::vector<int>{3, 2, 1, 0}),
            (std::vector<int>{sent[1].toInt(), sent[2].toInt(), sent[3].toInt(), sent[4].toInt()}));
  EXPECT_EQ("180.0", sent[5].toString());
  EXPECT_TRUE(pointsAtReset.empty());
  clickAtoms(mesh, {1});
  EXPECT_EQ(std::vector<size_t>{4}, pointsAtReset) << "the reset comes before the clearing";
  EXPECT_EQ(std::vector<int>{1}, mesh->activeAtomIds);
}
