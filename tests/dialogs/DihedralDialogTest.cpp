// The dihedral energy profiler on molecules read from SMILES: launch, guards, the scan with its
// console listing and plot, saving, resets and Create Molecule.

#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "dialogs/DihedralDialog.h"
#include "forcefield/MolecularSystem.h"
#include "io/IOEngine.h"
#include "io/SmilesParser.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "render/GraphicsEngine.h"
#include "render/Mesh.h"
#include "support/ConsoleCapture.h"
#include "support/ErrorCapture.h"
#include "support/FileDialogAnswer.h"
#include "support/ModalAnswer.h"
#include "support/QtApplication.h"
#include "support/TextLines.h"
#include "support/WorkingFolder.h"

namespace {

class Profiler : public ::testing::Test {
 protected:
  void SetUp() override { IOEngine::instance(); }

  // Launches the dialog on a graph copy of the molecule with its energy correction, as the view
  // does after four picks.
  void launch(const std::string& smiles, int a, int b, int c, int d) {
    SmilesParser parser;
    std::unique_ptr<Molecule> m(parser.smilesToMol(smiles));
    ASSERT_NE(nullptr, m) << smiles;
    launchOn(*m, a, b, c, d);
  }
  void launchOn(Molecule& molecule, int a, int b, int c, int d) {
    Molecule* copy = molecule.copyGraph();
    copy->energyCorrection = molecule.energyCorrection;
    dialog.launchDihedralDialog(copy, a, b, c, d, " 60.0");
    console.lines.clear();
    errors.clear();
  }

  // The lines of the last listing, from its heading line "<name>\t<SMILES>" on.
  std::vector<std::string> listing() const {
    const std::string heading = dialog.molecule->getName() + "\t" + dialog.molecule->smiles;
    for (size_t i = 0; i < console.lines.size(); ++i)
      if (console.lines[i] == heading)
        return std::vector<std::string>(console.lines.begin() + static_cast<long>(i),
                                        console.lines.end());
    return {};
  }

  // Runs a command whose guard fails and returns the text of the message box it showed.
  std::string refusedWith(QPushButton* button) {
    std::string shown;
    kvtest::answerNextModal([&shown](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      if (box != nullptr) shown = box->text().toStdString();
      modal->close();
    });
    button->click();
    return shown;
  }

  const bool applicationMade = (kvtest::ensureApplication(), true);   // before any widget
  kvtest::ConsoleCapture console{0};
  kvtest::ErrorCapture errors;
  DihedralDialog dialog;
};

TEST_F(Profiler, ButanePlotListsThirtySevenPointsWithThreeStaggeredMinima) {
  launch("CCCC", 0, 1, 2, 3);
  EXPECT_TRUE(dialog.isVisible() && dialog.ui.currentDihedralEdit->text() == " 60.0");
  EXPECT_EQ("Dihedral Energy Profiler", dialog.windowTitle().toStdString());
  dialog.ui.plotButton->click();
  const std::vector<std::string> lines = listing();
  ASSERT_EQ(3u + 37u, lines.size());
  EXPECT_EQ("Atom IDs\t    1     2     3     4", lines[1]);
  EXPECT_EQ("Dihedral Angle(degree)\tEnergy(Kcal/mol)", lines[2]);
  std::vector<double> angle, energy;
  for (size_t i = 3; i < lines.size(); ++i) {
    ASSERT_EQ(24u, lines[i].size()) << lines[i];
    angle.push_back(std::stod(lines[i].substr(0, 12)));
    energy.push_back(std::stod(lines[i].substr(12)));
    EXPECT_NEAR(10.0 * (i - 3), angle.back(), 1e-4);
  }
  EXPECT_EQ("     0.00000", lines[3 + (std::min_element(energy.begin(), energy.end()) -
                                     energy.begin())].substr(12));
  // Interior local minima of the relaxed torsion profile: gauche, anti, gauche.
  std::vector<double> minima;
  for (size_t i = 1; i + 1 < energy.size(); ++i)
    if (energy[i] < energy[i - 1] && energy[i] < energy[i + 1]) minima.push_back(angle[i]);
  ASSERT_EQ(3u, minima.size());
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(60.0 + 120.0 * k, minima[k], 15.0);

  EXPECT_TRUE(dialog.plotter.isVisible());
  EXPECT_EQ("Energy Profile Plot", dialog.plotter.windowTitle().toStdString());
  // The axes are not rounded: exactly the range and the drawn curve's extremes.
  const PlotSettings& axes = dialog.plotter.currentSettings();
  const QVector<QPointF>& curve = dialog.plotter.curves[1];
  ASSERT_GT(curve.size(), 37);   // the spline, sampled every degree
  const auto extremes = std::minmax_element(
      curve.begin(), curve.end(), [](const QPointF& p, const QPointF& q) { return p.y() < q.y(); });
  EXPECT_TRUE(axes.minX == 0.0 && axes.maxX == 360.0) << axes.minX << ".." << axes.maxX;
  EXPECT_EQ(extremes.first->y(), axes.minY);
  EXPECT_EQ(extremes.second->y(), axes.maxY);
  EXPECT_TRUE(errors.lines.empty()) << errors.text();
}

TEST_F(Profiler, ReversedIdsPassAndAResetKeepsTheIntervalAndWidensThePlot) {
  launch("CCCC", 3, 2, 1, 0);
  dialog.ui.intervalEdit->setText("5");
  dialog.reSet();
  EXPECT_EQ("0.000", dialog.ui.dihedralEdit->text().toStdString());
  launch("CCCC", 3, 2, 1, 0);
  dialog.ui.endEdit->setText("20");
  dialog.ui.plotButton->click();
  ASSERT_EQ(5u, dialog.energyProfile.size());
  EXPECT_EQ(5.0f, std::next(dialog.energyProfile.begin())->first);
  EXPECT_EQ(QSize(1872, 520), dialog.plotter.sizeHint());
}

TEST_F(Profiler, RingMiddleBondAndIdsThatFormNoDihedralAreRefusedAndEverythingIsReset) {
  Mesh picked;
  picked.activePoints.push_back(new SSEVector4f{0.0f, 0.0f, 0.0f, 1.0f});
  picked.activeAtomIds.push_back(0);
  GraphicsEngine::instance()->currentMesh = &picked;
  launch("C1CCCCC1", 0, 1, 2, 3);
  EXPECT_EQ("Error: Unable to rotate this dihedral angle",
            refusedWith(dialog.ui.plotButton));
  GraphicsEngine::instance()->currentMesh = nullptr;
  EXPECT_TRUE(!dialog.isVisible() && !dialog.plotter.isVisible());
  EXPECT_EQ(nullptr, dialog.molecularSystem);
  EXPECT_TRUE(picked.activePoints.empty() && console.lines.empty());

  launch("CCCC", 0, 2, 1, 3);
  EXPECT_EQ("Error: Dihedral angle not defined", refusedWith(dialog.ui.drawButton));
  EXPECT_EQ(nullptr, dialog.molecule);
}

// A range the fields give that cannot be scanned scans nothing; one that is no range at all
// (not numbers, a step of 0 or below, a start not below the end) says why in a box over the
// profiler, which stays open with its molecule.
TEST_F(Profiler, RangesWithoutTwoWholeStepsScanNothingAndNonRangesSayWhy) {
  struct Range {
    const char *start, *end, *step, *message;
  };
  const Range ranges[] = {
      {"0", "19", "10", ""},
      {"0", "360", "0", "Error: Interval must be a number of degrees above 0"},
      {"0", "360", "-10", "Error: Interval must be a number of degrees above 0"},
      {"0", "360", "ten", "Error: Interval must be a number of degrees above 0"},
      {"0", "inf", "10", "Error: Start and End must be angles in degrees"},
      {"a", "360", "10", "Error: Start and End must be angles in degrees"},
      {"300", "60", "10", "Error: Start must be below End"},
      {"90", "90", "10", "Error: Start must be below End"}};
  for (const Range& r : ranges) {
    launch("CCCC", 0, 1, 2, 3);
    dialog.ui.startEdit->setText(r.start);
    dialog.ui.endEdit->setText(r.end);
    dialog.ui.intervalEdit->setText(r.step);
    const std::string shown = *r.message ? refusedWith(dialog.ui.plotButton)
                                         : (dialog.ui.plotButton->click(), std::string());
    EXPECT_EQ(r.message, shown) << r.start << " " << r.end << " " << r.step;
    EXPECT_TRUE(dialog.energyProfile.empty()) << r.start << " " << r.end << " " << r.step;
    EXPECT_TRUE(console.lines.empty()) << r.start << " " << r.end << " " << r.step;
    EXPECT_FALSE(dialog.plotter.isVisible());
    EXPECT_NE(nullptr, dialog.molecule) << "not reset: the user mends the field";
    dialog.reSet();
  }
  EXPECT_TRUE(errors.lines.empty()) << errors.text();
}

// After a reset the range fields show what the next scan covers, not the range typed before.
TEST_F(Profiler, AfterAResetTheFieldsShowTheRangeTheScanUses) {
  launch("CCCC", 0, 1, 2, 3);
  dialog.ui.startEdit->setText("30");
  dialog.ui.endEdit->setText("90");
  dialog.ui.intervalEdit->setText("30");
  dialog.reSet();
  launch("CCCC", 0, 1, 2, 3);
  EXPECT_EQ("0|360|30", (dialog.ui.startEdit->text() + "|" + dialog.ui.endEdit->text() + "|" +
                         dialog.ui.intervalEdit->text())
                            .toStdString());
  dialog.ui.plotButton->click();
  ASSERT_EQ(13u, dialog.energyProfile.size());
  EXPECT_EQ(0.0f, dialog.energyProfile.begin()->first);
  EXPECT_EQ(360.0f, dialog.energyProfile.rbegin()->first);
}

class ProfileSaving : public Profiler {
 protected:
  // Presses Save and answers the file dialog with `file` (cancels for an empty name); returns
  // the name the dialog proposed.
  std::string save(const std::string& file) {
    std::string proposed;
    kvtest::answerNextModal([&](QWidget* modal) {
      auto* files = qobject_cast<QFileDialog*>(modal);
      ASSERT_NE(nullptr, files);
      EXPECT_EQ("Save Data", files->windowTitle().toStdString());
      EXPECT_EQ(QStringList{"Text (*.txt)"}, files->nameFilters());
      proposed = files->selectedFiles().value(0).toStdString();
      if (file.empty()) {
        files->reject();
        return;
      }
      kvtest::typeFileName(files, QString::fromStdString(file));
      QMetaObject::invokeMethod(files, "accept");
    });
    dialog.ui.saveButton->click();
    return proposed;
  }

  const kvtest::WorkingFolder working;
  const std::filesystem::path& folder = working.folder;
};

TEST_F(ProfileSaving, WritesTheScannedPointsRemembersTheFolderAndNamesAFileItCannotWrite) {
  launch("CCCC", 0, 1, 2, 3);
  const std::string name = dialog.molecule->getName();
  const std::string path = (folder / "butane.txt").string();
  EXPECT_EQ("/" + name + "_Angle_Vs_Energy", save(path));
  const std::vector<std::string> lines = kvtest::linesOf(kvtest::readFile(path));
  ASSERT_EQ(3u + 37u, lines.size());
  EXPECT_EQ(name + "\t" + dialog.molecule->smiles, lines[0]);
  EXPECT_EQ("Atom IDs\t1\t2\t3\t4", lines[1]);
  EXPECT_EQ("Angle(degrees)\tEnergy(Kcal/Mol)", lines[2]);
  auto point = dialog.energyProfile.begin();
  for (size_t i = 3; i < lines.size(); ++i, ++point) {
    char expected[64];
    std::snprintf(expected, sizeof expected, "%g\t%g", point->first, point->second);
    EXPECT_EQ(expected, lines[i]);
  }
  EXPECT_EQ(folder.string(), dialog.lastDirectory.toStdString());
  EXPECT_EQ((folder / (name + "_Angle_Vs_Energy")).string(), save(""));
  EXPECT_TRUE(dialog.lastDirectory.isEmpty());

  // A name typed without an extension gets the filter's.
  save((folder / "bare").string());
  EXPECT_EQ(3u + 37u, kvtest::linesOf(kvtest::readFile((folder / "bare.txt").string())).size());
  EXPECT_FALSE(std::filesystem::exists(folder / "bare"));

  // A file that cannot be written is named (an empty range, so no scan lines).
  dialog.ui.endEdit->setText("10");
  console.lines.clear();
  const std::string blocked = (folder / "missing" / "profile.txt").string();
  save(blocked);
  ASSERT_EQ(1u, console.lines.size());
  EXPECT_NE(std::string::npos, console.lines[0].find(blocked)) << console.lines[0];
}

TEST_F(Profiler, CreateMoleculeEmitsATwistedRelaxedCopyAndLeavesItsOwnAlone) {
  launch("CCCC", 0, 1, 2, 3);
  std::vector<std::unique_ptr<Molecule> > made;
  QObject::connect(&dialog, &DihedralDialog::drawTwistedMolecule,
                   [&made](Molecule* m) { made.emplace_back(m); });
  const std::vector<SSEVector4f> before = dialog.molecularSystem->coordinates;
  const std::vector<SSEVector4f> ownPositions = dialog.molecule->positions;
  dialog.molecule->isUnconverged = true;   // the source's mark; the twist relaxes anew
  dialog.ui.dihedralEdit->setText("120");
  dialog.ui.drawButton->click();
  ASSERT_EQ(1u, made.size());
  Molecule& first = *made[0];
  EXPECT_FALSE(first.isUnconverged);
  MolecularSystem twisted(&first);
  EXPECT_NEAR(120.0, twisted.calculateDihedralAngle(0, 1, 2, 3) * 180.0 / M_PI, 1.0);
  twisted.DipoleMoment();   // the dipole travels with the twisted geometry
  EXPECT_NEAR(twisted.dipoleMagnitude, first.dipoleMoment, 1e-4);
  for (size_t i = 0; i < before.size(); ++i) {
    EXPECT_EQ(before[i].y, dialog.molecularSystem->coordinates[i].y);
    EXPECT_EQ(ownPositions[i].y, dialog.molecule->positions[i].y);
  }
}

// Points whose relaxation stops short are named after the listing; a scan that converges
// everywhere adds no line.
TEST_F(Profiler, ScanNamesTheAnglesWhoseRelaxationDidNotConverge) {
  launch("CCCC", 0, 1, 2, 3);
  dialog.ui.endEdit->setText("360");
  dialog.ui.intervalEdit->setText("60");
  dialog.ui.plotButton->click();
  ASSERT_EQ(7u, dialog.energyProfile.size());
  for (const std::string& line : listing()) EXPECT_EQ(std::string::npos, line.find("Not conv"));
  dialog.molecularSystem->scanRelaxationSteps = 1;
  console.lines.clear();
  dialog.ui.plotButton->click();
  const std::vector<std::string> lines = listing();
  ASSERT_FALSE(lines.empty());
  // One step cannot relax a turned butane; anti, where it already lies, needs none.
  EXPECT_EQ("Not converged at 6 of 7 angles (their energies are upper bounds): 0 60 120 240 300 "
            "360",
            lines.back());
}

// The copy Create Molecule hands out for this angle; null when none came.
std::unique_ptr<Molecule> twistedCopy(DihedralDialog& dialog, const char* angle) {
  std::unique_ptr<Molecule> made;
  QObject::connect(&dialog, &DihedralDialog::drawTwistedMolecule,
                   [&made](Molecule* m) { made.reset(m); });
  dialog.ui.dihedralEdit->setText(angle);
  dialog.ui.drawButton->click();
  QObject::disconnect(&dialog, &DihedralDialog::drawTwistedMolecule, nullptr, nullptr);
  return made;
}

// The heat of formation (eV) of the copy Create Molecule makes at this angle, summed as the view
// sums it; NaN when no copy came.
double twistedHeatOfFormation(DihedralDialog& dialog, const char* angle) {
  const std::unique_ptr<Molecule> made = twistedCopy(dialog, angle);
  if (made == nullptr) return static_cast<double>(NAN);
  made->calTotalBondEnergy();
  made->calHeatOfFormation();
  return static_cast<double>(made->heatOfFormation);
}

// A gauche copy of anti butane lies higher by its conformational energy (experiment about 0.67
// kcal/mol, 2.8 kJ/mol), and a copy at the parent's own angle where the parent is.
TEST_F(Profiler, CreateMoleculeRaisesTheHeatOfFormationByTheTwistEnergy) {
  launch("CCCC", 0, 1, 2, 3);
  auto heatAt = [this](const char* angle) { return twistedHeatOfFormation(dialog, angle); };
  dialog.molecule->calTotalBondEnergy();
  dialog.molecule->calHeatOfFormation();
  const double anti = dialog.molecule->heatOfFormation;
  const double kcalPerEv = 23.060548;
  EXPECT_NEAR(0.0, (heatAt("180") - anti) * kcalPerEv, 0.05);
  const double gauche = (heatAt("65") - anti) * kcalPerEv;
  EXPECT_GE(gauche, 0.4);
  EXPECT_LE(gauche, 1.0);
  EXPECT_GT((heatAt("0") - anti) * kcalPerEv, 4.0);   // the syn barrier
}

// A scan leaves the system turned to its start angle, unrelaxed (syn butane, about 6 kcal/mol
// up). The copies made after it still measure their energy from the parent's relaxed form: anti
// butane from the scan is anti butane from SMILES, and gauche lies its conformational energy
// above, on either side. Measured against the syn start, anti came out 8.4 kcal/mol too low.
TEST_F(Profiler, CreateMoleculeAfterAScanMeasuresFromTheRelaxedParent) {
  SmilesParser parser;
  std::unique_ptr<Molecule> butane(parser.smilesToMol("CCCC"));
  ASSERT_NE(nullptr, butane);
  const double fromSmiles = butane->heatOfFormation;
  launch("CCCC", 0, 1, 2, 3);
  dialog.ui.plotButton->click();
  ASSERT_EQ(37u, dialog.energyProfile.size());
  const double anti = twistedHeatOfFormation(dialog, "180");
  EXPECT_NEAR(fromSmiles, anti, 0.01);
  const double kcalPerEv = 23.060548;
  for (const char* gauche : {"60", "300"}) {
    const double above = (twistedHeatOfFormation(dialog, gauche) - anti) * kcalPerEv;
    EXPECT_GE(above, 0.6) << gauche;
    EXPECT_LE(above, 0.9) << gauche;
  }
  // A second scan, from another start, changes nothing.
  dialog.ui.startEdit->setText("90");
  dialog.ui.endEdit->setText("270");
  dialog.ui.plotButton->click();
  ASSERT_FALSE(dialog.energyProfile.empty());
  EXPECT_NEAR(anti, twistedHeatOfFormation(dialog, "180"), 0.001);
  EXPECT_TRUE(errors.lines.empty()) << errors.text();
}

// A copy twisted to the angle its parent already has is the parent again, heat of formation and
// all, also where the parent's energy correction is not zero (the C-Cl bond of a tertiary
// chloride has a row in the correction table).
TEST_F(Profiler, CreateMoleculeAtTheParentsOwnAngleKeepsItsHeatOfFormation) {
  const struct {
    const char* smiles;
    int atoms[4];
  } cases[] = {{"CCCC", {0, 1, 2, 3}}, {"CC(C)(Cl)CC", {0, 1, 4, 5}}};
  bool corrected = false;
  for (const auto& c : cases) {
    SmilesParser parser;
    std::unique_ptr<Molecule> parent(parser.smilesToMol(c.smiles));
    ASSERT_NE(nullptr, parent) << c.smiles;
    corrected = corrected || parent->energyCorrection != 0.0f;
    const int* a = c.atoms;
    launch(c.smiles, a[0], a[1], a[2], a[3]);
    char own[16];
    std::snprintf(own, sizeof own, "%.2f",
                  dialog.molecularSystem->calculateDihedralAngle(a[0], a[1], a[2], a[3]) * 180.0 /
                      M_PI);
    EXPECT_NEAR(parent->heatOfFormation, twistedHeatOfFormation(dialog, own), 0.005)
        << c.smiles << " at " << own;
  }
  EXPECT_TRUE(corrected) << "no case has an energy correction";
}

// A twisted copy picked again is a parent whose geometry is not a minimum; its heat of formation
// already holds its own twist energy. Turned back to anti, its copy is anti butane again.
TEST_F(Profiler, ACopyOfATwistedCopyMeasuresFromItsParentsOwnGeometry) {
  SmilesParser parser;
  std::unique_ptr<Molecule> butane(parser.smilesToMol("CCCC"));
  ASSERT_NE(nullptr, butane);
  launch("CCCC", 0, 1, 2, 3);
  const std::unique_ptr<Molecule> eclipsed = twistedCopy(dialog, "120");
  ASSERT_NE(nullptr, eclipsed);
  eclipsed->calTotalBondEnergy();
  eclipsed->calHeatOfFormation();
  const double kcalPerEv = 23.060548;
  EXPECT_GT((eclipsed->heatOfFormation - butane->heatOfFormation) * kcalPerEv, 2.5);
  launchOn(*eclipsed, 0, 1, 2, 3);
  EXPECT_NEAR(butane->heatOfFormation, twistedHeatOfFormation(dialog, "180"), 0.01);
}

// The dihedral as chemists sign it (RDKit's GetDihedralDeg), in [0, 360).
double chemistsDegrees(const SSEVector4f& a, const SSEVector4f& b, const SSEVector4f& c,
                       const SSEVector4f& d) {
  auto diff = [](const SSEVector4f& p, const SSEVector4f& q) {
    return std::vector<double>{double(p.x) - q.x, double(p.y) - q.y, double(p.z) - q.z};
  };
  auto cross = [](const std::vector<double>& u, const std::vector<double>& v) {
    return std::vector<double>{u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2],
                               u[0] * v[1] - u[1] * v[0]};
  };
  auto dot = [](const std::vector<double>& u, const std::vector<double>& v) {
    return u[0] * v[0] + u[1] * v[1] + u[2] * v[2];
  };
  const std::vector<double> b1 = diff(b, a), b2 = diff(c, b), b3 = diff(d, c);
  const std::vector<double> n1 = cross(b1, b2), n2 = cross(b2, b3);
  const double degrees =
      std::atan2(dot(cross(n1, n2), b2) / std::sqrt(dot(b2, b2)), dot(n1, n2)) * 180.0 / M_PI;
  return degrees < 0 ? degrees + 360.0 : degrees;
}

// Both hydrogens of butane's C2 whose H-C2-C3-C4 dihedral is gauche, one +60 and one -60 (300):
// the angle measured, typed back as the new angle, gives the molecule back as it was. A twist
// of the other sense would turn the C3 end by 120 degrees.
TEST_F(Profiler, CreateMoleculeAtTheMeasuredAngleLeavesTheMoleculeAsItIs) {
  SmilesParser parser;
  std::unique_ptr<Molecule> butane(parser.smilesToMol("CCCC"));
  ASSERT_NE(nullptr, butane);
  const std::vector<SSEVector4f>& p = butane->positions;
  std::vector<int> gauche;
  for (const Bond* bond : butane->bonds) {
    const Atom* h = bond->atom1->id == 1 ? bond->atom2 : bond->atom2->id == 1 ? bond->atom1
                                                                                : nullptr;
    if (h == nullptr || h->element != "H") continue;
    const double angle = chemistsDegrees(p[h->id], p[1], p[2], p[3]);
    if (std::fabs(angle - 180.0) > 30.0) gauche.push_back(h->id);
  }
  ASSERT_EQ(2u, gauche.size());
  std::vector<double> angles;
  for (const int h : gauche) {
    const double angle = chemistsDegrees(p[h], p[1], p[2], p[3]);
    angles.push_back(angle);
    char text[16];
    std::snprintf(text, sizeof text, "%5.1f", angle);   // as the view writes it
    dialog.launchDihedralDialog(butane->copyGraph(), h, 1, 2, 3, text);
    EXPECT_NEAR(angle, dialog.molecularSystem->calculateDihedralAngle(h, 1, 2, 3) * 180.0 / M_PI,
                1e-3);
    const std::unique_ptr<Molecule> made = twistedCopy(dialog, text);
    ASSERT_NE(nullptr, made) << text;
    double farthest = 0.0;
    for (size_t a = 0; a < p.size(); ++a)
      farthest = std::max<double>(farthest, (made->positions[a] - p[a]).length());
    EXPECT_LT(farthest, 0.05) << text;
  }
  EXPECT_NEAR(360.0, angles[0] + angles[1], 10.0) << "one of each sign";
  EXPECT_TRUE(errors.lines.empty()) << errors.text();
}

TEST_F(Profiler, CreateMoleculeRefusesACopyOfAnotherSize) {
  launch("CCCC", 0, 1, 2, 3);
  // The molecule lost an atom after its force-field system was built.
  dialog.molecule->numAtoms -= 1;
  int made = 0;
  QObject::connect(&dialog, &DihedralDialog::drawTwistedMolecule, [&made](Molecule* m) {
    delete m;
    ++made;
  });
  dialog.ui.drawButton->click();
  EXPECT_EQ(0, made);
  ASSERT_EQ(1u, errors.lines.size());
  EXPECT_NE(std::string::npos, errors.lines[0].find("Error: DihedralDialog"));
}

}  // namespace
