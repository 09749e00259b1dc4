// The file commands that write what is on screen: Save of the selected molecule, its POV-Ray
// scene, the stored cameras out and in, the screenshot, and the two mesh commands, which only
// ask for a name.
#include <QFileDialog>
#include <QImage>
#include <QMessageBox>

#include <algorithm>
#include <deque>

#include "app/KestavorGUI.h"
#include "dialogs/DialogSupport.h"
#include "io/FileTypes.h"
#include "io/IOEngine.h"
#include "io/MoleculeEngine.h"
#include "math/UtilityEngine.h"
#include "model/Molecule.h"
#include "render/CameraLoader.h"
#include "render/GraphicsEngine.h"
#include "render/Mesh.h"

namespace {

// The Save dialog's own starting folder, kept for the whole process.
QString saveFolder;

const char* const kSaveFilters = "KV Files (*.kv);;MOL V2000 Files (*.mol);;PDB Files (*.pdb)";

void print(const std::string& line) { UtilityEngine::instance()->printToConsole(line); }

void reportNothingWritten(const QString& path, const std::string& reason) {
  print("Nothing written to " + path.toStdString() + ": " + reason);
}

bool inScene(const Molecule* molecule) {
  const std::deque<Molecule*>& scene = MoleculeEngine::instance()->workspace;
  return molecule != nullptr && std::find(scene.begin(), scene.end(), molecule) != scene.end();
}

// The molecule of the current mesh, null when there is none.
Molecule* selectedMolecule() {
  const Mesh* mesh = GraphicsEngine::instance()->currentMesh;
  return mesh != nullptr && inScene(mesh->molecule) ? mesh->molecule : nullptr;
}

}  // namespace

QString KestavorGUI::savedFileName(const QString& chosen, const QString& selectedFilter) {
  if (chosen.isEmpty() || !fileExtension(chosen.toStdString()).empty()) return chosen;
  return chosen +
         QString::fromStdString(saveExtensionFor(filterExtension(selectedFilter).toStdString()));
}

void KestavorGUI::Menu_Save() {
  Molecule* molecule = selectedMolecule();
  // After the Delete key, say, no molecule is current: no dialog, but a word why.
  if (molecule == nullptr) return print("Nothing to save: no molecule is selected");
  const QString suggested = saveFolder + "/" + QString::fromStdString(molecule->getName());
  QString filter;
  const QString chosen = savedFileName(
      QFileDialog::getSaveFileName(this, tr("Save Molecule"), suggested, tr(kSaveFilters),
                                   &filter),
      filter);
  saveFolder = chosen.left(chosen.lastIndexOf('/'));   // a cancel leaves it empty
  if (chosen.isEmpty()) return;
  // The molecule selected before the dialog is written, as long as it is still on screen.
  if (selectedMolecule() == nullptr || !inScene(molecule))
    return refuseSave(chosen, "no molecule is selected");
  const FileType* type = fileTypeOf(chosen.toStdString(), kSaveUse);
  if (type == nullptr) return refuseSave(chosen, "not a KV, MOL or PDB file name");
  const QByteArray path = chosen.toLocal8Bit();
  if (!type->write(molecule, path.constData()))
    refuseSave(chosen, "the molecule could not be written");
}

// A save that wrote nothing is said on the console and in a box: the user believes it is kept.
void KestavorGUI::refuseSave(const QString& path, const std::string& reason) {
  reportNothingWritten(path, reason);
  QMessageBox::warning(this, tr("Save Molecule"),
                       tr("Nothing written to %1: %2").arg(path, QString::fromStdString(reason)));
}

void KestavorGUI::Menu_ExportPovray() {
  QString chosen = QFileDialog::getSaveFileName(this, tr("Export to PovRay"), QString(),
                                                tr("POV Files (*.pov)"));
  if (chosen.isEmpty()) return;
  if (!chosen.endsWith(QLatin1String(".pov"), Qt::CaseInsensitive)) chosen += ".pov";
  const Molecule* molecule = selectedMolecule();
  if (molecule == nullptr) return reportNothingWritten(chosen, "no molecule is selected");
  if (!IOEngine::instance()->exportMoleculeToPovray(molecule, chosen.toStdString()))
    reportNothingWritten(chosen, "the scene could not be written");
}

void KestavorGUI::Menu_ExportSavedCameras() {
  const QString chosen = QFileDialog::getSaveFileName(this, tr("Export Saved Cameras"), QString(),
                                                      tr("CAM Files (*.cam)"));
  CameraLoader loader;
  loader.fileName = chosen.toStdString();
  loader.writeFile(loader.fileName);   // nothing for a cancelled dialog
}

void KestavorGUI::Menu_ImportSavedCameras() {
  const QString chosen = QFileDialog::getOpenFileName(this, tr("Import Saved Cameras"), QString(),
                                                      tr("CAM Files (*.cam)"));
  CameraLoader loader(chosen.toStdString());
  GraphicsEngine* engine = GraphicsEngine::instance();
  if (engine->cameraTranslations.empty() || engine->cameraRotations.empty()) return;
  // A jump, no glide, to the first stored camera: one stored before the import if there was.
  glWidget->cameraIndex = glWidget->targetCameraIndex = 0;
  const SSEVector4f& first = *engine->cameraTranslations.front();
  engine->globalTranslation.x = first.x;
  engine->globalTranslation.y = first.y;
  engine->globalTranslation.z = first.z;
  engine->setRotation(*engine->cameraRotations.front());
}

void KestavorGUI::Menu_ExportScreenshot() {
  const QString chosen = askSaveFileName(this, tr("Save Screenshot"), QString(),
                                         tr("PNG Files (*.png);; BMP Files (*.bmp)"));
  if (chosen.isEmpty()) return;
  const char* format = chosen.contains(QLatin1String(".png"))   ? "PNG"
                       : chosen.contains(QLatin1String(".bmp")) ? "BMP"
                                                                : nullptr;
  if (format == nullptr) return reportNothingWritten(chosen, "not a .png or .bmp file name");
  const QImage image = glWidget->grabFrame();
  if (image.isNull() || !image.save(chosen, format))
    reportNothingWritten(chosen, "the picture could not be saved");
}

void KestavorGUI::Menu_ImportOBJ() {
  QFileDialog::getOpenFileName(this, tr("Import Mesh"), QString(), tr("OBJ Files (*.obj)"));
}

void KestavorGUI::Menu_ExportOBJ() {
  QFileDialog::getSaveFileName(this, tr("Export Mesh"), QString(), tr("OBJ Files (*.obj)"));
}
