#pragma once

#include <QDialog>

#include <array>

class QToolButton;

// One cell of the periodic table window.
struct PeriodicTableCell {
  const char* symbol;
  int objectNumber;   // the button is "toolButton_<n>" ("toolButton" for 1)
  int column;         // 1 to 18
  int row;            // 1 to 7 the periods; 9 the lanthanides, 10 the actinides
  int colour;         // index into the form's colour list
};

// The form of the periodic table: one tool button per cell of the table in the .cpp, in its
// order (which is also the focus chain and the stacking order at the shared borders).
class Ui_PeriodicTableDialogClass {
 public:
  static constexpr int CellCount = 118;
  static constexpr int CellStep = 30;     // pixels from one cell to the next
  static constexpr int ButtonSide = 31;   // so neighbours share their border pixel
  static const std::array<PeriodicTableCell, CellCount>& cells();

  std::array<QToolButton*, CellCount> buttons{};

  void setupUi(QDialog* dialog);
  void retranslateUi(QDialog* dialog);
};

// A display-only periodic table: a fixed window of 118 coloured element buttons that nothing
// reads and that sends nothing out.
class PeriodicTableDialog : public QDialog {
  Q_OBJECT

 public:
  explicit PeriodicTableDialog(QWidget* parent = nullptr);

  Ui_PeriodicTableDialogClass ui;

 private slots:
  // Bound by name to the "Rf" button's click; it does nothing.
  void on_toolButton_19_clicked();
};
