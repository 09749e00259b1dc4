#pragma once

#include <QDialog>
#include <QString>

#include <map>
#include <vector>

#include "dialogs/Plotter.h"
#include "math/SSEVector4f.h"
#include "ui_DihedralDialog.h"

class Molecule;
class MolecularSystem;

// The dihedral energy profiler for the four atoms just picked in the view. Plot scans the
// dihedral over a range with a relaxed force-field optimisation at every step, prints the
// profile to the console and draws it in its plot window; Save does the same and writes the
// profile as a tab-separated text file; Create Molecule twists a copy of the molecule to a new
// angle with the rest relaxed and hands the copy out through drawTwistedMolecule. Angles are
// degrees and energies kcal/mol throughout.
class DihedralDialog : public QDialog {
  Q_OBJECT

 public:
  explicit DihedralDialog(QWidget* parent = nullptr);
  ~DihedralDialog() override;

  // Takes ownership of the molecule and builds its force-field system, freeing the previous
  // pair.
  void setMol(Molecule* mol);
  // Hides the plot window only; callers run reSet first, which hides both.
  void hideDialog();
  void setValueofId1(const QString& text);
  void setValueofId2(const QString& text);
  void setValueofId3(const QString& text);
  void setValueofId4(const QString& text);

  Ui_DihedralDialogClass ui;
  float startAngle = 0.0f;
  float endAngle = 360.0f;
  unsigned int numXTicks = 20;   // divisions handed to the plot; a reset makes it 36
  unsigned int numYTicks = 10;
  PlotSettings plotSettings;
  Plotter plotter;                            // the plot window, without parent
  MolecularSystem* molecularSystem = nullptr;   // owned, built from molecule
  Molecule* molecule = nullptr;                 // owned copy of the profiled molecule
  int id1 = 0, id2 = 0, id3 = 0, id4 = 0;       // zero-based; id2-id3 is the bond turned
  std::map<float, float> energyProfile;         // angle -> energy above the lowest point
  float newDihedralAngle = 0.0f;
  QString lastDirectory;   // of the last saved profile
  double interval = 10.0;  // scan step; kept by a reset

 signals:
  // A new molecule; the receiver owns it.
  void drawTwistedMolecule(Molecule* m);

 public slots:
  // Back to idle: frees the molecule and its system, hides the dialog and the plot, clears the
  // profile and the picked markers; the interval and the edits' texts stay.
  void reSet();
  // Shows the dialog for the dihedral atom1-atom2-atom3-atom4 (zero-based) of the molecule, which
  // the dialog takes over; `dihedral` is the measured angle as the view formats it.
  void launchDihedralDialog(Molecule* mol, int atom1, int atom2, int atom3, int atom4,
                            QString dihedral);

 private slots:
  void on_intervalEdit_textChanged(const QString& text);
  void on_saveButton_clicked();
  void on_drawButton_clicked();
  void on_dihedralEdit_textChanged(const QString& text);
  void on_plotButton_clicked();
  void on_endEdit_textChanged(const QString& text);
  // The tick counts as unsigned decimal integers (0 for other text). The form has no edits of
  // these names, so only construction and a reset change the counts in the program.
  void on_xticksEdit_textChanged(const QString& text);
  void on_yticksEdit_textChanged(const QString& text);
  void on_startEdit_textChanged(const QString& text);

 private:
  // The molecule's own geometry as its system took it, and the force-field energy there
  // (kcal/mol). A scan leaves the system elsewhere; Create Molecule twists from this geometry and
  // measures the copy's energy from this one, the energy the molecule's heat of formation holds.
  std::vector<SSEVector4f> parentCoordinates;
  double parentEnergy = 0.0;

  // The checks every command runs first; false when it must stop (after a message and a reset
  // for a dihedral that cannot be turned).
  bool passesGuards();
  // The message box over the profiler; refuse resets the profiler after it.
  void tell(const QString& message);
  void refuse(const QString& message);
  // Why the range fields cannot be scanned (not numbers, an interval of 0 or below, a start
  // not below the end); empty when they can. rangeUsable says it in a box.
  QString rangeProblem() const;
  bool rangeUsable();
  // Scans, prints and draws; the profile stays empty for a range of fewer than two steps.
  void plotProfile();
  bool scanRangeUsable() const;
  void printProfile() const;
  void drawProfile();
  void writeProfile(const QString& path) const;
};
