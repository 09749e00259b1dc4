#include "dialogs/PeriodicTableDialog.h"

#include <QBrush>
#include <QColor>
#include <QCoreApplication>
#include <QIcon>
#include <QMetaObject>
#include <QPalette>
#include <QToolButton>

#include "dialogs/DialogSupport.h"

namespace {

constexpr int kWindowWidth = 542;
constexpr int kWindowHeight = 302;
const char* const kContext = "PeriodicTableDialogClass";

// Symbol, button number, column, row, colour; in the order the buttons are made.
const std::array<PeriodicTableCell, Ui_PeriodicTableDialogClass::CellCount> kCells = {{
    {"H", 1, 1, 1, 0},
    {"Li", 2, 1, 2, 1},
    {"Na", 4, 1, 3, 2},
    {"K", 6, 1, 4, 0},
    {"Rb", 7, 1, 5, 0},
    {"Cs", 8, 1, 6, 3},
    {"Fr", 9, 1, 7, 3},
    {"Be", 3, 2, 2, 3},
    {"Mg", 5, 2, 3, 4},
    {"Ca", 10, 2, 4, 5},
    {"Sr", 11, 2, 5, 3},
    {"Ba", 13, 2, 6, 6},
    {"Ra", 12, 2, 7, 0},
    {"Sc", 14, 3, 4, 3},
    {"Y", 15, 3, 5, 0},
    {"Ti", 16, 4, 4, 5},
    {"Zr", 17, 4, 5, 0},
    {"Hf", 18, 4, 6, 3},
    {"Rf", 19, 4, 7, 0},
    {"V", 23, 5, 4, 0},
    {"Nb", 22, 5, 5, 5},
    {"Ta", 21, 5, 6, 0},
    {"Db", 20, 5, 7, 0},
    {"Cr", 27, 6, 4, 5},
    {"Mo", 26, 6, 5, 0},
    {"W", 25, 6, 6, 0},
    {"Sg", 24, 6, 7, 0},
    {"Mn", 28, 7, 4, 5},
    {"Tc", 35, 7, 5, 0},
    {"Re", 41, 7, 6, 0},
    {"Bh", 47, 7, 7, 0},
    {"Fe", 29, 8, 4, 0},
    {"Ru", 36, 8, 5, 0},
    {"Os", 42, 8, 6, 3},
    {"Hs", 48, 8, 7, 0},
    {"Co", 30, 9, 4, 3},
    {"Ni", 31, 10, 4, 7},
    {"Cu", 32, 11, 4, 7},
    {"Zn", 33, 12, 4, 7},
    {"Rh", 37, 9, 5, 0},
    {"Pd", 38, 10, 5, 3},
    {"Ag", 39, 11, 5, 5},
    {"Cd", 40, 12, 5, 3},
    {"Ir", 43, 9, 6, 3},
    {"Pt", 44, 10, 6, 3},
    {"Au", 45, 11, 6, 8},
    {"Mt", 49, 9, 7, 0},
    {"Ds", 50, 10, 7, 0},
    {"Rg", 51, 11, 7, 0},
    {"Hg", 46, 12, 6, 3},
    {"Uub", 34, 12, 7, 0},
    {"Ga", 54, 13, 4, 0},
    {"In", 53, 13, 5, 3},
    {"B", 58, 13, 2, 9},
    {"Tl", 55, 13, 6, 0},
    {"Uut", 56, 13, 7, 0},
    {"C", 57, 14, 2, 10},
    {"Si", 59, 14, 3, 8},
    {"Al", 52, 13, 3, 5},
    {"Ge", 61, 14, 4, 0},
    {"Sn", 62, 14, 5, 3},
    {"Pb", 60, 14, 6, 3},
    {"Uuq", 63, 14, 7, 0},
    {"N", 64, 15, 2, 11},
    {"P", 69, 15, 3, 6},
    {"As", 72, 15, 4, 0},
    {"Sb", 74, 15, 5, 3},
    {"Bi", 78, 15, 6, 3},
    {"Uup", 79, 15, 7, 0},
    {"O", 65, 16, 2, 12},
    {"F", 66, 17, 2, 8},
    {"Ne", 67, 18, 2, 3},
    {"S", 70, 16, 3, 13},
    {"Cl", 71, 17, 3, 9},
    {"Ar", 88, 18, 3, 9},
    {"Se", 73, 16, 4, 3},
    {"Br", 86, 17, 4, 7},
    {"Kr", 87, 18, 4, 0},
    {"Te", 75, 16, 5, 0},
    {"I", 76, 17, 5, 14},
    {"Xe", 85, 18, 5, 0},
    {"Po", 82, 16, 6, 3},
    {"At", 83, 17, 6, 0},
    {"Rn", 84, 18, 6, 0},
    {"Uuh", 80, 16, 7, 0},
    {"Uus", 81, 17, 7, 0},
    {"He", 68, 18, 1, 15},
    {"Uuo", 77, 18, 7, 0},
    {"La", 103, 4, 9, 0},
    {"Ce", 104, 5, 9, 0},
    {"Pr", 102, 6, 9, 0},
    {"Nd", 118, 7, 9, 0},
    {"Pm", 117, 8, 9, 0},
    {"Sm", 116, 9, 9, 0},
    {"Eu", 115, 10, 9, 0},
    {"Gd", 114, 11, 9, 0},
    {"Tb", 113, 12, 9, 0},
    {"Dy", 112, 13, 9, 0},
    {"Pa", 111, 6, 10, 0},
    {"U", 110, 7, 10, 0},
    {"Np", 109, 8, 10, 0},
    {"Pu", 108, 9, 10, 0},
    {"Am", 107, 10, 10, 0},
    {"Cm", 106, 11, 10, 0},
    {"Bk", 105, 12, 10, 0},
    {"Cf", 101, 13, 10, 0},
    {"Ho", 99, 14, 9, 0},
    {"Es", 100, 14, 10, 0},
    {"Ac", 90, 4, 10, 0},
    {"Er", 89, 15, 9, 0},
    {"Th", 98, 5, 10, 0},
    {"Fm", 93, 15, 10, 0},
    {"Tm", 92, 16, 9, 0},
    {"Md", 91, 16, 10, 0},
    {"Yb", 94, 17, 9, 0},
    {"No", 97, 17, 10, 0},
    {"Lu", 95, 18, 9, 0},
    {"Lr", 96, 18, 10, 0},
}};

const QColor kColours[] = {
    QColor(255, 255, 255),
    QColor(178, 34, 34),
    QColor(0, 0, 255),
    QColor(255, 32, 147),
    QColor(34, 139, 34),
    QColor(128, 128, 144),
    QColor(255, 165, 0),
    QColor(165, 42, 42),
    QColor(218, 165, 32),
    QColor(0, 255, 0),
    QColor(200, 200, 200),
    QColor(143, 143, 255),
    QColor(240, 0, 0),
    QColor(255, 200, 50),
    QColor(160, 32, 240),
    QColor(255, 192, 203),
};

QString objectName(int number) {
  return number == 1 ? QString("toolButton") : QString("toolButton_%1").arg(number);
}

}  // namespace

const std::array<PeriodicTableCell, Ui_PeriodicTableDialogClass::CellCount>&
Ui_PeriodicTableDialogClass::cells() {
  return kCells;
}

void Ui_PeriodicTableDialogClass::setupUi(QDialog* dialog) {
  if (dialog->objectName().isEmpty()) dialog->setObjectName(kContext);
  dialog->resize(kWindowWidth, kWindowHeight);
  dialog->setMinimumSize(kWindowWidth, kWindowHeight);
  dialog->setMaximumSize(kWindowWidth, kWindowHeight);
  dialog->setWindowIcon(QIcon(":/KestavorGUI/Resources/icon.png"));
  for (int i = 0; i < CellCount; ++i) {
    const PeriodicTableCell& cell = kCells[i];
    QToolButton* button = new QToolButton(dialog);
    button->setObjectName(objectName(cell.objectNumber));
    button->setGeometry(CellStep * (cell.column - 1), CellStep * (cell.row - 1), ButtonSide,
                        ButtonSide);
    // A palette of its own with only the button colour set, the same in every group, so the
    // colours stay while the window is inactive.
    QPalette palette;
    const QBrush brush(kColours[cell.colour], Qt::SolidPattern);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
      palette.setBrush(group, QPalette::Button, brush);
    button->setPalette(palette);
    buttons[i] = button;
  }
  retranslateUi(dialog);
  QMetaObject::connectSlotsByName(dialog);
}

void Ui_PeriodicTableDialogClass::retranslateUi(QDialog* dialog) {
  dialog->setWindowTitle(QCoreApplication::translate(kContext, "Periodic Table", nullptr));
  for (int i = 0; i < CellCount; ++i)
    buttons[i]->setText(QCoreApplication::translate(kContext, kCells[i].symbol, nullptr));
}

PeriodicTableDialog::PeriodicTableDialog(QWidget* parent)
    : QDialog(parent, titleBarOnly()) {
  initIconResources();
  ui.setupUi(this);
}

void PeriodicTableDialog::on_toolButton_19_clicked() {}
