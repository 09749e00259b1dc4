// The running program put through its everyday cycle many times: File > Open of a mol file, a
// typed SMILES string, two methyl groups dropped from the library and joined at their bond
// axes chosen through the view's context menu, an atom deleted in the delete-atom mode and
// applied, and File > New answered Yes. After each New the scene, the history, the Work Space
// and the renderer's meshes must be empty, and over the later cycles the process must not
// grow. Needs an X server.

#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
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
#include "render/GraphicsEngine.h"
#include "render/MathEngine.h"
#include "render/Mesh.h"
#include "support/ModalAnswer.h"
#include "tests/app/RunningShell.h"
#include "tests/render/WindowPoint.h"

namespace {

// The resident set of this process in bytes.
long residentBytes() {
  long pages = 0, resident = 0;
  std::ifstream("/proc/self/statm") >> pages >> resident;
  return resident * sysconf(_SC_PAGESIZE);
}

int cycleCount() {
  const char* text = std::getenv("KV_SOAK_CYCLES");
  const int asked = text != nullptr ? std::atoi(text) : 0;
  return asked > 0 ? asked : KV_SOAK_CYCLES;
}

class Soak : public kvshell::RunningShell {
 protected:
  // Triggers the action and answers its file dialog with the path.
  void openFile(const QString& path) {
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (dialog == nullptr) return;
      timer.stop();
      dialog->selectFile(path);
      static_cast<QDialog*>(dialog)->accept();
    });
    timer.start(5);
    window->ui.actionLoadFile->trigger();
  }
  void enter(const char* smiles) {
    QTest::keyClicks(window->ui.smilesBox, smiles);
    QTest::keyClick(window->ui.smilesBox, Qt::Key_Return);
  }
  // The drag text of the Methyl entry of the group tree.
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
  bool settled(size_t meshes) {
    return QTest::qWaitFor([this, meshes] {
      return !window->glWidget->moleculePending && engine.meshes.size() == meshes;
    });
  }
  // A view pixel (y from the top) where a pick of that kind hits s, tried along the way from
  // its centre to `towards`; (-1, -1) when none does.
  QPoint pickablePixel(const Mesh* mesh, const Spheroid* s, int kind, const SSEVector4f& towards) {
    const int width = static_cast<int>(engine.windowWidth);
    const int height = static_cast<int>(engine.windowHeight);
    const SSEVector4f centre = mesh->getGlobalCenter(s);
    for (int step = 0; step <= 8; ++step) {
      const SSEVector4f p = centre + (towards - centre) * (static_cast<float>(step) / 10.0f);
      const SSEVector4f w = kvscene::windowPoint(p, width, height);
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
  // A right click at the point and the menu entry of that text chosen with a click.
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
  static Spheroid* axisOf(const Mesh* mesh) {
    for (Spheroid* s : mesh->spheroids)
      if (s->kind == 2) return s;
    return nullptr;
  }
  static Atom* dummyOf(const Bond* axis) {
    return isDummy(axis->atom1) ? axis->atom1 : axis->atom2;
  }

  void joinTwoMethyls(const QString& methyl) {
    const int width = window->glWidget->width(), height = window->glWidget->height();
    drop(methyl, QPoint(width / 3, height / 2));
    ASSERT_TRUE(settled(3));
    drop(methyl, QPoint(2 * width / 3, height / 2));
    ASSERT_TRUE(settled(4));
    Mesh* meshes[] = {engine.meshes[2], engine.meshes[3]};
    QPoint at[2];
    Spheroid* axes[2];
    for (int i = 0; i < 2; ++i) {
      axes[i] = axisOf(meshes[i]);
      ASSERT_NE(nullptr, axes[i]);
      const Bond* bond = static_cast<const Bond*>(axes[i]->owner);
      at[i] = pickablePixel(meshes[i], axes[i], -1, meshes[i]->getGlobalCenter(dummyOf(bond)->sphere));
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
    ASSERT_TRUE(settled(3));
  }

  void deleteAnAtom() {
    window->ui.DeleteAButton->click();
    // The first heavy atom of the mol file's ethanol that a click reaches.
    Mesh* mesh = engine.meshes[0];
    QPoint at(-1, -1);
    for (const Atom* a : mesh->molecule->atoms) {
      if (a->element == "H" || a->sphere == nullptr) continue;
      at = pickablePixel(mesh, a->sphere, 0, mesh->getGlobalCenter(a->sphere));
      if (at.x() >= 0) break;
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
    EXPECT_TRUE(settled(3));
  }

  void newWorkspace() {
    kvtest::answerNextModal([](QWidget* modal) {
      static_cast<QMessageBox*>(modal)->button(QMessageBox::Yes)->click();
    });
    window->ui.actionNew->trigger();
    window->glWidget->updateGL();
    EXPECT_TRUE(library.workspace.empty());
    EXPECT_TRUE(library.history.empty());
    EXPECT_EQ(0, window->workSpaceTree->topLevelItemCount());
    EXPECT_TRUE(engine.meshes.empty());
  }

  GraphicsEngine& engine = *GraphicsEngine::instance();
  MathEngine& math = *MathEngine::instance();
  MoleculeEngine& library = *MoleculeEngine::instance();
};

TEST_F(Soak, TheEverydayCycleLeavesNothingBehind) {
  start();
  GraphicsEngine::instance()->showFPS = false;
  const QString methyl = methylDragText();
  ASSERT_FALSE(methyl.isEmpty());
  const int cycles = cycleCount();
  long afterTenth = 0;
  using Clock = std::chrono::steady_clock;
  const Clock::time_point begin = Clock::now();
  for (int cycle = 1; cycle <= cycles; ++cycle) {
    SCOPED_TRACE(cycle);
    const Clock::time_point t0 = Clock::now();
    openFile(KV_TEST_DATA_DIR "/mdl_ethanol.mol");
    enter("c1ccccc1O");
    ASSERT_TRUE(settled(2));
    const Clock::time_point t1 = Clock::now();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !window->glWidget->inputLocked; }, 20000));
    const Clock::time_point t2 = Clock::now();
    joinTwoMethyls(methyl);
    if (HasFatalFailure()) return;
    const Clock::time_point t3 = Clock::now();
    deleteAnAtom();
    if (HasFatalFailure()) return;
    const Clock::time_point t4 = Clock::now();
    newWorkspace();
    if (HasFailure()) return;
    auto ms = [](Clock::duration d) {
      return std::chrono::duration_cast<std::chrono::milliseconds>(d).count();
    };
    std::printf("cycle %d: load %lld glide %lld join %lld delete %lld new %lld rss %ld\n", cycle,
                (long long)ms(t1 - t0), (long long)ms(t2 - t1), (long long)ms(t3 - t2),
                (long long)ms(t4 - t3), (long long)ms(Clock::now() - t4), residentBytes() >> 10);
    if (cycle == 10) afterTenth = residentBytes();
  }
  std::printf("total %lld ms\n", (long long)std::chrono::duration_cast<std::chrono::milliseconds>(
                                     Clock::now() - begin).count());
  if (cycles >= 40) {
    EXPECT_LE(residentBytes() - afterTenth, 15L << 20);
  }
}

}  // namespace
