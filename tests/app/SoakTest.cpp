// The running program put through its everyday cycle many times: File > Open of a mol file, a
// typed SMILES string, two methyl groups dropped from the library and joined at their bond
// axes chosen through the view's context menu, an atom deleted in the delete-atom mode and
// applied, and File > New answered Yes. After each New the scene, the history, the Work Space
// and the renderer's meshes must be empty, and over 40 cycles the resident memory may grow by
// at most 15 MB after cycle 10 (the first cycles fill caches). Cycles: KV_SOAK_CYCLES from the
// build, or from the environment. Needs an X server.

#include <QMenu>
#include <QMimeData>
#include <QTreeWidgetItemIterator>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "model/Spheroid.h"
#include "render/Mesh.h"
#include "support/ModalAnswer.h"
#include "tests/app/RunningShell.h"
#include "tests/render/WindowPoint.h"

namespace {

long residentKiB() {
  long pages = 0, resident = 0;
  std::ifstream("/proc/self/statm") >> pages >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

int cycleCount() {
  const char* text = std::getenv("KV_SOAK_CYCLES");
  const int asked = text != nullptr ? std::atoi(text) : 0;
  return asked > 0 ? asked : KV_SOAK_CYCLES;
}

class Soak : public kvshell::RunningShell {
 protected:
  // The drag text of the Methyl entry of the group tree (its shown name is in column 1).
  QString methylDragText() {
    for (QTreeWidgetItemIterator it(window->groupTree); *it != nullptr; ++it) {
      const QString data = (*it)->data(0, Qt::UserRole).toString();
      if (data.startsWith('F') && (*it)->text(1) == "Methyl") return window->groupTree->dragText(data);
    }
    return QString();
  }
  void drop(const QString& text, const QPoint& at) {
    QMimeData mime;
    mime.setText(text);
    QDragEnterEvent enter(at, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window->glWidget, &enter);
    QDropEvent dropped(at, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    if (enter.isAccepted()) QApplication::sendEvent(window->glWidget, &dropped);
  }
  // A view pixel (y from the top) where a pick of that kind hits s, tried on the way from its
  // centre towards `towards`; (-1, -1) when none does.
  QPoint pickablePixel(const Mesh* mesh, const Spheroid* s, int kind, const SSEVector4f& towards) {
    const int width = static_cast<int>(engine.windowWidth);
    const int height = static_cast<int>(engine.windowHeight);
    const SSEVector4f centre = mesh->getGlobalCenter(s);
    for (int step = 0; step <= 8; ++step) {
      const SSEVector4f w = kvscene::windowPoint(
          centre + (towards - centre) * (static_cast<float>(step) / 10.0f), width, height);
      const QPoint at(static_cast<int>(std::lround(w.x)), height - static_cast<int>(std::lround(w.y)));
      engine.mouseX = at.x();
      engine.mouseY = height - at.y();
      math.resetPick();
      math.generateEyeRay();
      math.pickAllMeshSpheroids(kind);
      const bool hit = math.pickedSpheroid == s;
      math.resetPick();
      if (hit) return at;
    }
    return QPoint(-1, -1);
  }
  // A right click at the point and the entry of that text clicked in the menu it opens.
  void chooseFromMenu(const QPoint& at, const QString& entry) {
    bool chosen = false;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (menu == nullptr) return;
      timer.stop();
      for (QAction* a : menu->actions()) {
        if (a->text() != entry) continue;
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(a).center());
        chosen = true;
      }
      if (!chosen) menu->close();
    });
    timer.start(5);
    QTest::mouseClick(window->glWidget, Qt::RightButton, {}, at);
    EXPECT_TRUE(chosen) << entry.toStdString();
  }

  void joinTwoMethyls(const QString& methyl) {
    const int width = window->glWidget->width(), height = window->glWidget->height();
    drop(methyl, QPoint(width / 3, height / 2));
    ASSERT_TRUE(framesShow(3));
    drop(methyl, QPoint(2 * width / 3, height / 2));
    ASSERT_TRUE(framesShow(4));
    QPoint at[2];
    Spheroid* axes[2] = {nullptr, nullptr};
    for (int i = 0; i < 2; ++i) {
      const Mesh* mesh = engine.meshes[2 + i];
      for (Spheroid* s : mesh->spheroids)
        if (s->kind == SpheroidKind::OpenBondAxis) axes[i] = s;
      ASSERT_NE(nullptr, axes[i]);
      // Clicked between the carbon and the axis's dummy end, where no atom sphere covers it.
      const Bond* axis = static_cast<const Bond*>(axes[i]->owner);
      const Atom* end = isDummy(axis->atom1) ? axis->atom1 : axis->atom2;
      at[i] = pickablePixel(mesh, axes[i], MathEngine::AnyKind,
                            mesh->getGlobalCenter(end->sphere));
      ASSERT_NE(QPoint(-1, -1), at[i]);
    }
    chooseFromMenu(at[0], "&    Set Bond Axis 1");
    chooseFromMenu(at[1], "&    Set Bond Axis 2");
    ASSERT_TRUE(window->glWidget->firstSelectedSpheroid == axes[0] &&
                window->glWidget->secondSelectedSpheroid == axes[1]);
    const size_t recorded = library.history.size();
    chooseFromMenu(at[1], "&    Join Bond Axis 2 to Bond Axis 1");
    ASSERT_TRUE(QTest::qWaitFor([&] { return library.history.size() == recorded + 1; }, 20000));
    EXPECT_EQ("C2H6", library.history.back()->getName());
    ASSERT_TRUE(framesShow(3));
  }

  // Deletes the first heavy atom of the opened ethanol that a click reaches.
  void deleteAnAtom() {
    window->ui.DeleteAButton->click();
    const Mesh* mesh = engine.meshes[0];
    QPoint at(-1, -1);
    for (const Atom* a : mesh->molecule->atoms) {
      if (a->element != "H" && a->sphere != nullptr && at.x() < 0)
        at = pickablePixel(mesh, a->sphere, SpheroidKind::AtomSphere,
                           mesh->getGlobalCenter(a->sphere));
    }
    ASSERT_NE(QPoint(-1, -1), at);
    QTest::mouseClick(window->glWidget, Qt::LeftButton, {}, at);
    ASSERT_EQ(1u, window->glWidget->atomsToDelete.size());
    const size_t recorded = library.history.size();
    kvtest::answerNextModal([](QWidget* modal) {
      for (QAbstractButton* b : qobject_cast<QMessageBox*>(modal)->buttons())
        if (b->text() == "Apply") b->click();
    });
    window->ui.DeleteAButton->click();
    EXPECT_EQ(recorded + 1, library.history.size());
    EXPECT_TRUE(framesShow(3));
  }

  void newWorkspace() {
    kvtest::answerNextModal([](QWidget* modal) {
      static_cast<QMessageBox*>(modal)->button(QMessageBox::Yes)->click();
    });
    window->ui.actionNew->trigger();
    window->glWidget->updateGL();
    EXPECT_TRUE(library.workspace.empty() && library.history.empty() && engine.meshes.empty());
    EXPECT_EQ(0, window->workSpaceTree->topLevelItemCount());
  }

  GraphicsEngine& engine = *GraphicsEngine::instance();
  MathEngine& math = *MathEngine::instance();
  MoleculeEngine& library = *MoleculeEngine::instance();
};

TEST_F(Soak, TheEverydayCycleLeavesNothingBehind) {
  startSettled();
  const QString methyl = methylDragText();
  ASSERT_FALSE(methyl.isEmpty());
  const int cycles = cycleCount();
  long afterTenth = 0;
  for (int cycle = 1; cycle <= cycles; ++cycle) {
    SCOPED_TRACE(cycle);
    const auto begin = std::chrono::steady_clock::now();
    run(window->ui.actionLoadFile, KV_TEST_DATA_DIR "/mdl_ethanol.mol");
    enter("c1ccccc1O");
    ASSERT_TRUE(framesShow(2));
    joinTwoMethyls(methyl);
    if (HasFatalFailure()) return;
    deleteAnAtom();
    if (HasFatalFailure()) return;
    newWorkspace();
    if (HasFailure()) return;
    // Figures for the reader; no time is asserted.
    std::printf("cycle %d: %lld ms, %ld KiB resident\n", cycle,
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                           std::chrono::steady_clock::now() - begin).count()),
                residentKiB());
    if (cycle == 10) afterTenth = residentKiB();
  }
  if (cycles >= 40) {
    EXPECT_LE(residentKiB() - afterTenth, 15 * 1024);
  }
}

}  // namespace
