#include "dialogs/DihedralDialog.h"

#include <QIcon>
#include <QLineEdit>
#include <QMessageBox>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "dialogs/DialogSupport.h"
#include "forcefield/MolecularSystem.h"
#include "math/Constants.h"
#include "math/UtilityEngine.h"
#include "model/Molecule.h"
#include "render/GraphicsEngine.h"
#include "render/MathEngine.h"

namespace {

// Steps of the divisions after a reset: one per 10 degrees of the default range.
constexpr unsigned int kResetXTicks = 36;
constexpr unsigned int kResetYTicks = 10;
constexpr float kDefaultEndAngle = 360.0f;
// Profiles sparser than one point per degree are drawn through a spline sampled every degree.
constexpr float kSplineStep = 1.0f;

std::string format(const char* pattern, double a, double b) {
  return QString::asprintf(pattern, a, b).toStdString();
}

}  // namespace

DihedralDialog::DihedralDialog(QWidget* parent) : QDialog(parent) {
  initIconResources();
  ui.setupUi(this);
  setWindowIcon(QIcon(":/KestavorGUI/Resources/icon.png"));
  keepTitleWhole(this);
}

DihedralDialog::~DihedralDialog() {
  delete molecularSystem;
  delete molecule;
}

void DihedralDialog::setMol(Molecule* mol) {
  delete molecularSystem;
  delete molecule;
  molecule = mol;
  molecularSystem = mol != nullptr ? new MolecularSystem(mol) : nullptr;
  parentCoordinates.clear();
  parentEnergy = 0.0;
  if (molecularSystem == nullptr) return;
  parentCoordinates = molecularSystem->coordinates;
  parentEnergy = molecularSystem->EnergyForce();
}

void DihedralDialog::hideDialog() { plotter.hide(); }

void DihedralDialog::setValueofId1(const QString& text) { ui.idEdit_1->setText(text); }
void DihedralDialog::setValueofId2(const QString& text) { ui.idEdit_2->setText(text); }
void DihedralDialog::setValueofId3(const QString& text) { ui.idEdit_3->setText(text); }
void DihedralDialog::setValueofId4(const QString& text) { ui.idEdit_4->setText(text); }

void DihedralDialog::launchDihedralDialog(Molecule* mol, int atom1, int atom2, int atom3,
                                          int atom4, QString dihedral) {
  ui.idEdit_1->setText(QString::number(atom1 + 1));
  ui.idEdit_2->setText(QString::number(atom2 + 1));
  ui.idEdit_3->setText(QString::number(atom3 + 1));
  ui.idEdit_4->setText(QString::number(atom4 + 1));
  id1 = atom1;
  id2 = atom2;
  id3 = atom3;
  id4 = atom4;
  ui.currentDihedralEdit->setText(dihedral);
  setMol(mol);
  show();
  activateWindow();
  raise();
}

void DihedralDialog::reSet() {
  setMol(nullptr);
  plotter.clearCurve(1);
  startAngle = 0.0f;
  newDihedralAngle = 0.0f;
  endAngle = kDefaultEndAngle;
  numXTicks = kResetXTicks;
  numYTicks = kResetYTicks;
  hide();
  plotter.hide();
  energyProfile.clear();
  ui.dihedralEdit->setText(QString::asprintf("%3.3f", static_cast<double>(newDihedralAngle)));
  // The range fields show the range the next scan uses (their slots store the same values).
  ui.startEdit->setText(QString::number(static_cast<double>(startAngle)));
  ui.endEdit->setText(QString::number(static_cast<double>(endAngle)));
  GraphicsEngine::instance()->clearActivePointsFromCurrentMesh();
}

void DihedralDialog::on_startEdit_textChanged(const QString& text) { startAngle = text.toFloat(); }
void DihedralDialog::on_endEdit_textChanged(const QString& text) { endAngle = text.toFloat(); }
void DihedralDialog::on_xticksEdit_textChanged(const QString& text) { numXTicks = text.toUInt(); }
void DihedralDialog::on_yticksEdit_textChanged(const QString& text) { numYTicks = text.toUInt(); }
void DihedralDialog::on_intervalEdit_textChanged(const QString& text) {
  interval = text.toDouble();
}
void DihedralDialog::on_dihedralEdit_textChanged(const QString& text) {
  newDihedralAngle = text.toFloat();
}

void DihedralDialog::tell(const QString& message) {
  QMessageBox box(this);   // over the profiler, never behind another window
  box.setText(message);
  box.exec();
}

void DihedralDialog::refuse(const QString& message) {
  tell(message);
  reSet();
}

QString DihedralDialog::rangeProblem() const {
  auto isNumber = [](const QLineEdit* field) {
    bool ok = false;
    const double value = field->text().toDouble(&ok);
    return ok && std::isfinite(value);
  };
  if (!isNumber(ui.startEdit) || !isNumber(ui.endEdit) || !std::isfinite(startAngle) ||
      !std::isfinite(endAngle))
    return tr("Error: Start and End must be angles in degrees");
  if (!isNumber(ui.intervalEdit) || !(interval > 0.0))
    return tr("Error: Interval must be a number of degrees above 0");
  if (!(startAngle < endAngle)) return tr("Error: Start must be below End");
  return QString();
}

bool DihedralDialog::rangeUsable() {
  const QString problem = rangeProblem();
  if (!problem.isEmpty()) tell(problem);
  return problem.isEmpty();
}

bool DihedralDialog::passesGuards() {
  if (molecule == nullptr || molecularSystem == nullptr) return false;
  if (!molecularSystem->isDihedral(id1, id2, id3, id4)) {
    refuse("Error: Dihedral angle not defined");
    return false;
  }
  // Ring bonds and multiple bonds are dihedral middles too, but they cannot be turned.
  if (!molecularSystem->isRotatableBond(id2, id3)) {
    refuse("Error: Unable to rotate this dihedral angle");
    return false;
  }
  return true;
}

void DihedralDialog::on_drawButton_clicked() {
  if (!passesGuards()) return;
  MolecularSystem& system = *molecularSystem;
  const std::vector<SSEVector4f> saved = system.coordinates;
  // A scan leaves the system at its start angle, turned rigidly; every copy is twisted from the
  // molecule's own geometry, whatever ran before.
  if (parentCoordinates.size() == saved.size()) system.coordinates = parentCoordinates;
  if (!system.setRelaxedRotation(id1, id2, id3, id4, newDihedralAngle)) {
    system.coordinates = saved;
    return;
  }
  const double twistedEnergy = system.EnergyForce();
  // The copy made next carries the dipole of the twisted geometry.
  system.DipoleMoment();
  molecule->dipoleMoment = static_cast<float>(system.dipoleMagnitude);
  molecule->hasDipoleMoment = true;
  Molecule* copy = molecule->copyGraph();
  // A twisted form holds its force-field energy above the molecule's own geometry as less bond
  // energy, so its heat of formation lies that much higher (gauche butane about 2.7 kJ/mol above
  // anti) instead of repeating the parent's. The parent's heat of formation belongs to its own
  // geometry (a relaxed molecule, or a twisted copy carrying its own offset), so that geometry's
  // energy is the zero, never that of whatever the system held last.
  // A graph copy drops the correction, so the parent's is carried over first.
  copy->energyCorrection = molecule->energyCorrection;
  if (std::isfinite(twistedEnergy - parentEnergy))
    copy->energyCorrection +=
        static_cast<float>((twistedEnergy - parentEnergy) / kKcalPerMolPerElectronVolt);
  // The copy's energies come from the relaxed geometry: it says whether that converged.
  copy->isUnconverged = system.lastStop != MolecularSystem::OptimiserStop::Converged;
  if (copy->isUnconverged)
    UtilityEngine::instance()->printToConsole(
        "The twisted geometry of " + copy->label() + " did not converge (" +
        MolecularSystem::describeStop(system.lastStop) + ").");
  const bool sameAtoms = copy->numAtoms == static_cast<unsigned int>(system.atomCount) &&
                         system.coordinates.size() == copy->numAtoms;
  if (sameAtoms) {
    copy->positions.assign(copy->numAtoms, SSEVector4f{0.0f, 0.0f, 0.0f, 1.0f});
    for (size_t i = 0; i < copy->positions.size(); ++i) {
      const SSEVector4f& p = system.coordinates[i];
      copy->positions[i] = SSEVector4f{p.x, p.y, p.z, 1.0f};
    }
    copy->setAllAtomPositions();
  }
  // Every press twists from the same coordinates; the dialog's molecule never moves.
  system.coordinates = saved;
  if (!sameAtoms) {
    ErrorLine() << "Error: DihedralDialog: the force-field system of \"" << molecule->label()
                << "\" has " << system.atomCount << " atoms, its copy " << copy->numAtoms;
    delete copy;
    return;
  }
  emit drawTwistedMolecule(copy);
}

void DihedralDialog::on_plotButton_clicked() {
  if (passesGuards() && rangeUsable()) plotProfile();
}

bool DihedralDialog::scanRangeUsable() const {
  // The scan needs at least two whole steps; a step that is not a positive number or an end
  // that is not finite gives no scan at all.
  return std::isfinite(startAngle) && std::isfinite(endAngle) && std::isfinite(interval) &&
         interval > 0.0 && (static_cast<double>(endAngle) - startAngle) / interval >= 2.0;
}

void DihedralDialog::plotProfile() {
  energyProfile.clear();
  if (scanRangeUsable())
    molecularSystem->dihedralProfile(id1, id2, id3, id4, startAngle, endAngle, interval,
                                     energyProfile);
  else
    molecularSystem->setRotation(id1, id2, id3, id4, startAngle);
  if (energyProfile.empty()) return;
  printProfile();
  drawProfile();
}

void DihedralDialog::printProfile() const {
  UtilityEngine* utility = UtilityEngine::instance();
  utility->printToConsole(molecule->getName() + "\t" + molecule->smiles);
  utility->printToConsole(QString::asprintf("Atom IDs\t%5d %5d %5d %5d", id1 + 1, id2 + 1,
                                            id3 + 1, id4 + 1).toStdString());
  utility->printToConsole("Dihedral Angle(degree)\tEnergy(Kcal/mol)");
  for (const auto& point : energyProfile)
    utility->printToConsole(format("%12.5f%12.5f", point.first, point.second));
  const std::vector<float>& open = molecularSystem->unconvergedScanAngles;
  if (open.empty()) return;
  std::ostringstream line;
  line << "Not converged at " << open.size() << " of " << energyProfile.size()
       << " angles (their energies are upper bounds):";
  for (const float angle : open) line << " " << angle;
  utility->printToConsole(line.str());
}

void DihedralDialog::drawProfile() {
  std::map<float, float> curve = energyProfile;
  const float first = curve.begin()->first, last = curve.rbegin()->first;
  if (std::fabs(last - first) / static_cast<float>(curve.size()) > 1.0f)
    MathEngine::instance()->naturalCubicSplineInterplationXY(curve, kSplineStep);
  float lowest = curve.begin()->second, highest = lowest;
  for (const auto& point : curve) {
    lowest = std::min(lowest, point.second);
    highest = std::max(highest, point.second);
  }
  plotSettings.minX = startAngle;
  plotSettings.maxX = endAngle;
  plotSettings.minY = lowest;
  plotSettings.maxY = highest;
  plotSettings.numXTicks = static_cast<int>(numXTicks);
  plotSettings.numYTicks = static_cast<int>(numYTicks);
  plotter.setPlotSettings(plotSettings);
  plotter.clearCurve(1);
  plotter.updateCurve(curve, lowest, highest);
  plotter.show();
  plotter.activateWindow();
  plotter.raise();
}

void DihedralDialog::on_saveButton_clicked() {
  if (!passesGuards() || !rangeUsable()) return;
  plotProfile();
  if (molecule == nullptr) return;   // reset while the scan printed
  const QString proposed =
      lastDirectory + "/" + QString::fromStdString(molecule->getName()) + "_Angle_Vs_Energy";
  const QString path = askSaveFileName(this, tr("Save Data"), proposed, tr("Text (*.txt)"));
  const int slash = path.lastIndexOf('/');
  lastDirectory = slash < 0 ? path : path.left(slash);
  if (!path.isEmpty()) writeProfile(path);
}

void DihedralDialog::writeProfile(const QString& path) const {
  std::ostringstream out;
  out << molecule->getName() << "\t" << molecule->smiles << "\n";
  out << "Atom IDs\t" << id1 + 1 << "\t" << id2 + 1 << "\t" << id3 + 1 << "\t" << id4 + 1 << "\n";
  out << "Angle(degrees)\tEnergy(Kcal/Mol)\n";
  // The scanned points, never the spline; six significant digits as "%g" writes them.
  for (const auto& point : energyProfile) out << point.first << "\t" << point.second << "\n";
  if (writeWholeFile(path.toLocal8Bit().toStdString(), out.str())) return;
  UtilityEngine::instance()->printToConsole("Error: Unable to save the energy profile to \"" +
                                            path.toStdString() + "\"");
}
