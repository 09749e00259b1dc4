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
constexpr int kCellStep = 30;     // pixels from one cell to the next
constexpr int kButtonSide = 31;   // so neighbours share their border pixel
const char* const kContext = "PeriodicTableDialogClass";

// One cell of the table: the element, its button (the member's name is the button's object
// name), its place and its colour.
struct Cell {
  const char* symbol;
  const char* objectName;
  QToolButton* Ui_PeriodicTableDialogClass::*button;
  int column;   // 1 to 18
  int row;      // 1 to 7 the periods; 9 the lanthanides, 10 the actinides
  int colour;   // index into kColours
};

#define KV_CELL(symbol, member, column, row, colour) \
  { symbol, #member, &Ui_PeriodicTableDialogClass::member, column, row, colour }

// In the order the buttons are made.
const Cell kCells[] = {
    KV_CELL("H", toolButton, 1, 1, 0),
    KV_CELL("Li", toolButton_2, 1, 2, 1),
    KV_CELL("Na", toolButton_4, 1, 3, 2),
    KV_CELL("K", toolButton_6, 1, 4, 0),
    KV_CELL("Rb", toolButton_7, 1, 5, 0),
    KV_CELL("Cs", toolButton_8, 1, 6, 3),
    KV_CELL("Fr", toolButton_9, 1, 7, 3),
    KV_CELL("Be", toolButton_3, 2, 2, 3),
    KV_CELL("Mg", toolButton_5, 2, 3, 4),
    KV_CELL("Ca", toolButton_10, 2, 4, 5),
    KV_CELL("Sr", toolButton_11, 2, 5, 3),
    KV_CELL("Ba", toolButton_13, 2, 6, 6),
    KV_CELL("Ra", toolButton_12, 2, 7, 0),
    KV_CELL("Sc", toolButton_14, 3, 4, 3),
    KV_CELL("Y", toolButton_15, 3, 5, 0),
    KV_CELL("Ti", toolButton_16, 4, 4, 5),
    KV_CELL("Zr", toolButton_17, 4, 5, 0),
    KV_CELL("Hf", toolButton_18, 4, 6, 3),
    KV_CELL("Rf", toolButton_19, 4, 7, 0),
    KV_CELL("V", toolButton_23, 5, 4, 0),
    KV_CELL("Nb", toolButton_22, 5, 5, 5),
    KV_CELL("Ta", toolButton_21, 5, 6, 0),
    KV_CELL("Db", toolButton_20, 5, 7, 0),
    KV_CELL("Cr", toolButton_27, 6, 4, 5),
    KV_CELL("Mo", toolButton_26, 6, 5, 0),
    KV_CELL("W", toolButton_25, 6, 6, 0),
    KV_CELL("Sg", toolButton_24, 6, 7, 0),
    KV_CELL("Mn", toolButton_28, 7, 4, 5),
    KV_CELL("Tc", toolButton_35, 7, 5, 0),
    KV_CELL("Re", toolButton_41, 7, 6, 0),
    KV_CELL("Bh", toolButton_47, 7, 7, 0),
    KV_CELL("Fe", toolButton_29, 8, 4, 0),
    KV_CELL("Ru", toolButton_36, 8, 5, 0),
    KV_CELL("Os", toolButton_42, 8, 6, 3),
    KV_CELL("Hs", toolButton_48, 8, 7, 0),
    KV_CELL("Co", toolButton_30, 9, 4, 3),
    KV_CELL("Ni", toolButton_31, 10, 4, 7),
    KV_CELL("Cu", toolButton_32, 11, 4, 7),
    KV_CELL("Zn", toolButton_33, 12, 4, 7),
    KV_CELL("Rh", toolButton_37, 9, 5, 0),
    KV_CELL("Pd", toolButton_38, 10, 5, 3),
    KV_CELL("Ag", toolButton_39, 11, 5, 5),
    KV_CELL("Cd", toolButton_40, 12, 5, 3),
    KV_CELL("Ir", toolButton_43, 9, 6, 3),
    KV_CELL("Pt", toolButton_44, 10, 6, 3),
    KV_CELL("Au", toolButton_45, 11, 6, 8),
    KV_CELL("Mt", toolButton_49, 9, 7, 0),
    KV_CELL("Ds", toolButton_50, 10, 7, 0),
    KV_CELL("Rg", toolButton_51, 11, 7, 0),
    KV_CELL("Hg", toolButton_46, 12, 6, 3),
    KV_CELL("Uub", toolButton_34, 12, 7, 0),
    KV_CELL("Ga", toolButton_54, 13, 4, 0),
    KV_CELL("In", toolButton_53, 13, 5, 3),
    KV_CELL("B", toolButton_58, 13, 2, 9),
    KV_CELL("Tl", toolButton_55, 13, 6, 0),
    KV_CELL("Uut", toolButton_56, 13, 7, 0),
    KV_CELL("C", toolButton_57, 14, 2, 10),
    KV_CELL("Si", toolButton_59, 14, 3, 8),
    KV_CELL("Al", toolButton_52, 13, 3, 5),
    KV_CELL("Ge", toolButton_61, 14, 4, 0),
    KV_CELL("Sn", toolButton_62, 14, 5, 3),
    KV_CELL("Pb", toolButton_60, 14, 6, 3),
    KV_CELL("Uuq", toolButton_63, 14, 7, 0),
    KV_CELL("N", toolButton_64, 15, 2, 11),
    KV_CELL("P", toolButton_69, 15, 3, 6),
    KV_CELL("As", toolButton_72, 15, 4, 0),
    KV_CELL("Sb", toolButton_74, 15, 5, 3),
    KV_CELL("Bi", toolButton_78, 15, 6, 3),
    KV_CELL("Uup", toolButton_79, 15, 7, 0),
    KV_CELL("O", toolButton_65, 16, 2, 12),
    KV_CELL("F", toolButton_66, 17, 2, 8),
    KV_CELL("Ne", toolButton_67, 18, 2, 3),
    KV_CELL("S", toolButton_70, 16, 3, 13),
    KV_CELL("Cl", toolButton_71, 17, 3, 9),
    KV_CELL("Ar", toolButton_88, 18, 3, 9),
    KV_CELL("Se", toolButton_73, 16, 4, 3),
    KV_CELL("Br", toolButton_86, 17, 4, 7),
    KV_CELL("Kr", toolButton_87, 18, 4, 0),
    KV_CELL("Te", toolButton_75, 16, 5, 0),
    KV_CELL("I", toolButton_76, 17, 5, 14),
    KV_CELL("Xe", toolButton_85, 18, 5, 0),
    KV_CELL("Po", toolButton_82, 16, 6, 3),
    KV_CELL("At", toolButton_83, 17, 6, 0),
    KV_CELL("Rn", toolButton_84, 18, 6, 0),
    KV_CELL("Uuh", toolButton_80, 16, 7, 0),
    KV_CELL("Uus", toolButton_81, 17, 7, 0),
    KV_CELL("He", toolButton_68, 18, 1, 15),
    KV_CELL("Uuo", toolButton_77, 18, 7, 0),
    KV_CELL("La", toolButton_103, 4, 9, 0),
    KV_CELL("Ce", toolButton_104, 5, 9, 0),
    KV_CELL("Pr", toolButton_102, 6, 9, 0),
    KV_CELL("Nd", toolButton_118, 7, 9, 0),
    KV_CELL("Pm", toolButton_117, 8, 9, 0),
    KV_CELL("Sm", toolButton_116, 9, 9, 0),
    KV_CELL("Eu", toolButton_115, 10, 9, 0),
    KV_CELL("Gd", toolButton_114, 11, 9, 0),
    KV_CELL("Tb", toolButton_113, 12, 9, 0),
    KV_CELL("Dy", toolButton_112, 13, 9, 0),
    KV_CELL("Pa", toolButton_111, 6, 10, 0),
    KV_CELL("U", toolButton_110, 7, 10, 0),
    KV_CELL("Np", toolButton_109, 8, 10, 0),
    KV_CELL("Pu", toolButton_108, 9, 10, 0),
    KV_CELL("Am", toolButton_107, 10, 10, 0),
    KV_CELL("Cm", toolButton_106, 11, 10, 0),
    KV_CELL("Bk", toolButton_105, 12, 10, 0),
    KV_CELL("Cf", toolButton_101, 13, 10, 0),
    KV_CELL("Ho", toolButton_99, 14, 9, 0),
    KV_CELL("Es", toolButton_100, 14, 10, 0),
    KV_CELL("Ac", toolButton_90, 4, 10, 0),
    KV_CELL("Er", toolButton_89, 15, 9, 0),
    KV_CELL("Th", toolButton_98, 5, 10, 0),
    KV_CELL("Fm", toolButton_93, 15, 10, 0),
    KV_CELL("Tm", toolButton_92, 16, 9, 0),
    KV_CELL("Md", toolButton_91, 16, 10, 0),
    KV_CELL("Yb", toolButton_94, 17, 9, 0),
    KV_CELL("No", toolButton_97, 17, 10, 0),
    KV_CELL("Lu", toolButton_95, 18, 9, 0),
    KV_CELL("Lr", toolButton_96, 18, 10, 0),
};

#undef KV_CELL

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

}  // namespace

void Ui_PeriodicTableDialogClass::setupUi(QDialog* dialog) {
  if (dialog->objectName().isEmpty()) dialog->setObjectName(kContext);
  dialog->resize(kWindowWidth, kWindowHeight);
  dialog->setMinimumSize(kWindowWidth, kWindowHeight);
  dialog->setMaximumSize(kWindowWidth, kWindowHeight);
  dialog->setWindowIcon(QIcon(":/KestavorGUI/Resources/icon.png"));
  for (const Cell& cell : kCells) {
    QToolButton* button = new QToolButton(dialog);
    button->setObjectName(cell.objectName);
    button->setGeometry(kCellStep * (cell.column - 1), kCellStep * (cell.row - 1), kButtonSide,
                        kButtonSide);
    // A palette of its own with only the button colour set, the same in every group, so the
    // colours stay while the window is inactive.
    QPalette palette;
    const QBrush brush(kColours[cell.colour], Qt::SolidPattern);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
      palette.setBrush(group, QPalette::Button, brush);
    button->setPalette(palette);
    this->*cell.button = button;
  }
  retranslateUi(dialog);
  QMetaObject::connectSlotsByName(dialog);
}

void Ui_PeriodicTableDialogClass::retranslateUi(QDialog* dialog) {
  dialog->setWindowTitle(QCoreApplication::translate(kContext, "Periodic Table", nullptr));
  for (const Cell& cell : kCells)
    (this->*cell.button)->setText(QCoreApplication::translate(kContext, cell.symbol, nullptr));
}

PeriodicTableDialog::PeriodicTableDialog(QWidget* parent)
    : QDialog(parent, titleBarOnly()) {
  initIconResources();
  ui.setupUi(this);
}

void PeriodicTableDialog::on_toolButton_19_clicked() {}
