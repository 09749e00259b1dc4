// The render settings, the about box and the periodic table on the offscreen platform.

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <set>
#include <utility>

#include <gtest/gtest.h>

#include "dialogs/AboutDialog.h"
#include "dialogs/PeriodicTableDialog.h"
#include "dialogs/SettingsDialog.h"
#include "render/GraphicsEngine.h"
#include "support/ModalAnswer.h"
#include "support/QtApplication.h"

namespace {

// The renderer's display flags, to restore and to compare whole.
std::vector<bool> displayFlags() {
  const GraphicsEngine& e = *GraphicsEngine::instance();
  return {e.showFPS, e.lighting, e.transparency, e.showAtomicOrbitals, e.showMolecularOrbitals,
          e.showBondAxes, e.showAtomIDs, e.showColorScale, e.showAxes, e.showNuclei,
          e.reservedFlags[1], e.reservedFlags[2]};
}

class RenderSettings : public ::testing::Test {
 protected:
  void SetUp() override { kvtest::ensureApplication(); }
  void TearDown() override {
    GraphicsEngine::instance()->showAtomicOrbitals = true;
    GraphicsEngine::instance()->showAtomIDs = false;
  }
};

TEST_F(RenderSettings, BoxesShowTheFlagsAndWriteThemAtOnce) {
  GraphicsEngine::instance()->showAtomIDs = true;
  const std::vector<bool> before = displayFlags();
  {
    SettingsDialog opened;
    EXPECT_EQ("Graphics Settings", opened.ui.groupBox->title().toStdString());
    EXPECT_EQ(8, opened.ui.groupBox->findChildren<QCheckBox*>().size());
    EXPECT_EQ("Ok", opened.ui.OkButton->text().toStdString());
    EXPECT_TRUE(opened.ui.RenderAtomIDsCheckBox->isChecked());
    EXPECT_FALSE(opened.ui.ColorScaleCheckBox->isChecked());
    kvtest::answerNextModal([&opened](QWidget*) { opened.ui.OkButton->click(); });
    EXPECT_EQ(0, opened.exec());
  }
  EXPECT_EQ(before, displayFlags());   // opening and closing changes nothing

  SettingsDialog dialog;
  dialog.ui.RenderAtomicOrbitalsCheckBox->click();
  EXPECT_FALSE(GraphicsEngine::instance()->showAtomicOrbitals);
  EXPECT_TRUE(GraphicsEngine::instance()->showNuclei);
  SettingsDialog reopened;
  EXPECT_FALSE(reopened.ui.RenderAtomicOrbitalsCheckBox->isChecked());
}

TEST(AboutBox, SplashPictureNoButtonsAndEscapeCloses) {
  kvtest::ensureApplication();
  AboutDialog about;
  EXPECT_EQ("About Kestavor Software", about.windowTitle().toStdString());
  EXPECT_EQ(QSize(578, 458), about.size());
  EXPECT_TRUE(about.findChildren<QAbstractButton*>().isEmpty());
  EXPECT_EQ(QSize(336, 115), about.ui.label->pixmap(Qt::ReturnByValue).size());
  EXPECT_TRUE(about.ui.label->text().isEmpty());
  EXPECT_FALSE(about.windowIcon().isNull());
  kvtest::answerNextModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
  EXPECT_EQ(0, about.exec());
}

TEST(PeriodicTable, CellsFollowTheGridWithTheirColours) {
  kvtest::ensureApplication();
  PeriodicTableDialog table;
  EXPECT_EQ(QSize(542, 302), table.minimumSize());
  EXPECT_EQ(QSize(542, 302), table.maximumSize());
  EXPECT_EQ("Periodic Table", table.windowTitle().toStdString());
  const QList<QToolButton*> buttons = table.findChildren<QToolButton*>();
  ASSERT_EQ(118, buttons.size());

  std::map<std::pair<int, int>, QToolButton*> at;   // (x, y) -> button
  std::set<QString> names;
  for (QToolButton* b : buttons) {
    EXPECT_EQ(QSize(31, 31), b->size());
    EXPECT_EQ(0, b->x() % 30);
    EXPECT_EQ(0, b->y() % 30);
    const int column = b->x() / 30 + 1, row = b->y() / 30 + 1;
    EXPECT_NE(8, row);
    // Empty places of the long form: the gap of periods 1 to 3, group 3 below yttrium, and
    // the first three columns of the two f rows.
    EXPECT_FALSE(row == 1 && column > 1 && column < 18) << b->text().toStdString();
    EXPECT_FALSE((row == 2 || row == 3) && column > 2 && column < 13) << b->text().toStdString();
    EXPECT_FALSE((row == 6 || row == 7 || row >= 9) && column == 3) << b->text().toStdString();
    EXPECT_FALSE(row >= 9 && column < 4) << b->text().toStdString();
    EXPECT_TRUE(at.emplace(std::make_pair(b->x(), b->y()), b).second) << "two buttons in a cell";
    names.insert(b->objectName());
    const QPalette& p = b->palette();
    const QColor active = p.color(QPalette::Active, QPalette::Button);
    EXPECT_EQ(active, p.color(QPalette::Inactive, QPalette::Button));
    EXPECT_EQ(active, p.color(QPalette::Disabled, QPalette::Button));
  }
  EXPECT_EQ(118u, names.size());
  EXPECT_EQ(1u, names.count("toolButton"));
  EXPECT_EQ(1u, names.count("toolButton_118"));

  const struct {
    int x, y;
    const char* symbol;
    QColor colour;
  } probes[] = {{510, 0, "He", QColor(255, 192, 203)},     {90, 240, "La", QColor(255, 255, 255)},
                {90, 270, "Ac", QColor(255, 255, 255)},    {510, 180, "Uuo", QColor(255, 255, 255)},
                {390, 30, "C", QColor(200, 200, 200)},     {450, 30, "O", QColor(240, 0, 0)},
                {0, 150, "Cs", QColor(255, 32, 147)}};
  for (const auto& probe : probes) {
    QToolButton* b = at[{probe.x, probe.y}];
    ASSERT_NE(nullptr, b) << probe.symbol;
    EXPECT_EQ(probe.symbol, b->text().toStdString());
    EXPECT_EQ(probe.colour, b->palette().color(QPalette::Button)) << probe.symbol;
  }
  EXPECT_EQ("Rf", table.findChild<QToolButton*>("toolButton_19")->text().toStdString());
}

}  // namespace
