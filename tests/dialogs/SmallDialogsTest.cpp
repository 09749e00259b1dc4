// The render settings and the periodic table on the offscreen platform.

#include <QCheckBox>
#include <QToolButton>

#include <array>
#include <cstring>
#include <map>
#include <utility>

#include <gtest/gtest.h>

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
}

TEST_F(RenderSettings, EachBoxDrivesItsOwnFlagAndCancelPutsAllBack) {
  GraphicsEngine* engine = GraphicsEngine::instance();
  const std::vector<bool> before = displayFlags();
  SettingsDialog dialog;
  const struct {
    QCheckBox* box;
    bool* flag;
  } rows[] = {{dialog.ui.ShowFPSCheckBox, &engine->showFPS},
              {dialog.ui.LightingCheckBox, &engine->lighting},
              {dialog.ui.RenderAtomicOrbitalsCheckBox, &engine->showAtomicOrbitals},
              {dialog.ui.RenderMolecularOrbitalsCheckBox, &engine->showMolecularOrbitals},
              {dialog.ui.RenderBondAxesCheckBox, &engine->showBondAxes},
              {dialog.ui.RenderAtomIDsCheckBox, &engine->showAtomIDs},
              {dialog.ui.TransparencyCheckBox, &engine->transparency},
              {dialog.ui.ColorScaleCheckBox, &engine->showColorScale}};
  for (const auto& row : rows) {
    const std::vector<bool> was = displayFlags();
    row.box->click();
    const std::vector<bool> now = displayFlags();
    size_t changed = 0;
    for (size_t i = 0; i < now.size(); ++i) changed += was[i] != now[i];
    EXPECT_EQ(1u, changed) << row.box->objectName().toStdString();
    EXPECT_EQ(row.box->isChecked(), *row.flag) << row.box->objectName().toStdString();
  }
  engine->showNuclei = !engine->showNuclei;   // no box shows it, the snapshot still holds it
  ASSERT_TRUE(QMetaObject::invokeMethod(&dialog, "on_CancelButton_clicked"));
  EXPECT_EQ(before, displayFlags());
}

// Empty places of the long form: the gap of periods 1 to 3, group 3 below yttrium, row 8 and the
// first three columns of the two f rows.
bool emptyPlace(int row, int column) {
  return row == 8 || (row == 1 && column > 1 && column < 18) ||
         (row <= 3 && column > 2 && column < 13) ||
         ((row == 6 || row == 7 || row >= 9) && column == 3) || (row >= 9 && column < 4);
}

TEST(PeriodicTable, CellsFollowTheGridWithTheirColours) {
  kvtest::ensureApplication();
  PeriodicTableDialog table;
  EXPECT_EQ(QSize(542, 302), table.maximumSize());
  const QList<QToolButton*> buttons = table.findChildren<QToolButton*>();
  ASSERT_EQ(118, buttons.size());
  std::map<std::pair<int, int>, QToolButton*> at;   // (x, y) -> button
  for (QToolButton* b : buttons) {
    const std::string symbol = b->text().toStdString();
    EXPECT_TRUE(b->size() == QSize(31, 31) && b->x() % 30 == 0 && b->y() % 30 == 0) << symbol;
    EXPECT_FALSE(emptyPlace(b->y() / 30 + 1, b->x() / 30 + 1)) << symbol;
    EXPECT_TRUE(at.emplace(std::make_pair(b->x(), b->y()), b).second) << "two buttons in a cell";
    const QPalette& p = b->palette();   // inactive and disabled windows keep the colours
    const QColor active = p.color(QPalette::Active, QPalette::Button);
    EXPECT_TRUE(active == p.color(QPalette::Inactive, QPalette::Button) &&
                active == p.color(QPalette::Disabled, QPalette::Button)) << symbol;
  }
  const struct {
    int x, y;
    const char* symbol;
    QColor colour;
  } probes[] = {{510, 0, "He", QColor(255, 192, 203)}, {90, 270, "Ac", QColor(255, 255, 255)},
                {390, 30, "C", QColor(200, 200, 200)},  {450, 30, "O", QColor(240, 0, 0)},
                {0, 150, "Cs", QColor(255, 32, 147)}};
  for (const auto& probe : probes) {
    QToolButton* b = at[{probe.x, probe.y}];
    ASSERT_NE(nullptr, b) << probe.symbol;
    EXPECT_EQ(probe.symbol, b->text().toStdString());
    EXPECT_EQ(probe.colour, b->palette().color(QPalette::Button)) << probe.symbol;
  }
}

// The form is the 118 named button pointers and nothing else, in the order the buttons are made.
TEST(PeriodicTable, FormMembersAreTheNamedButtonsInTheirMakingOrder) {
  kvtest::ensureApplication();
  PeriodicTableDialog table;
  const Ui_PeriodicTableDialogClass& form = table.ui;
  const struct {
    QToolButton* button;
    const char* name;
    const char* symbol;
  } named[] = {{form.toolButton, "toolButton", "H"},         {form.toolButton_19, "toolButton_19", "Rf"},
               {form.toolButton_68, "toolButton_68", "He"},  {form.toolButton_77, "toolButton_77", "Uuo"},
               {form.toolButton_118, "toolButton_118", "Nd"}, {form.toolButton_96, "toolButton_96", "Lr"}};
  for (const auto& n : named) {
    ASSERT_NE(nullptr, n.button) << n.name;
    EXPECT_EQ(n.name, n.button->objectName().toStdString());
    EXPECT_EQ(n.symbol, n.button->text().toStdString());
  }
  static_assert(sizeof(Ui_PeriodicTableDialogClass) == 118 * sizeof(QToolButton*),
                "the form holds the button pointers only");
  std::array<QToolButton*, 118> members{};
  std::memcpy(members.data(), &form, sizeof form);
  const QList<QToolButton*> made = table.findChildren<QToolButton*>(QString(), Qt::FindDirectChildrenOnly);
  ASSERT_EQ(118, made.size());
  for (int i = 0; i < 118; ++i) EXPECT_EQ(made[i], members[static_cast<size_t>(i)]) << i;
}

}  // namespace
