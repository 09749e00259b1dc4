// The SMILES entry and the main window's side of selection: the properties of what the view
// selects, the label rows of each library tab, the Work Space items of new history entries and
// the double-click that brings a list entry into the view.
#include <QDebug>
#include <QMessageBox>
#include <QTreeWidgetItem>

#include <deque>

#include "app/ConsoleWidget.h"
#include "app/KestavorGUI.h"
#include "io/MoleculeEngine.h"
#include "io/SmilesParser.h"
#include "io/TreeEntry.h"
#include "math/UtilityEngine.h"
#include "model/Molecule.h"
#include "render/GraphicsEngine.h"

namespace {

constexpr int kWorkSpacePage = 3;

// The label rows of each library tab, by page: Molecules, Functional Groups, Template and
// Work Space.
const std::vector<std::vector<const char*> > kTabLabels = {
    {"Name", "SMILES", "Atoms", "Bonds", "Total Bond Energy", "Heat of Formation", "Dipole Moment"},
    {"Name", "SMILES", "Atoms", "Bonds", "Total Bond Energy"},
    {"Name", "SMILES", "Atoms", "Bonds", "Bond Axes", "Total Bond Energy", "Heat of Formation",
     "Dipole Moment"},
    {"Name", "SMILES", "Atoms", "Bonds", "Bond Axes", "Total Bond Energy", "Heat of Formation",
     "Dipole Moment"}};

}  // namespace

void KestavorGUI::on_smilesBox_activated(QString) {}

void KestavorGUI::on_smileEdit_returnPressed() { on_smileButton_clicked(); }

void KestavorGUI::on_smileButton_clicked() {
  // The text stays in the edit, to be entered once the load is done.
  if (refusedDuringLoad("SMILES entry")) return;
  const QString text = ui.smileEdit->text();
  // Newest first, and none current afterwards.
  ui.smilesBox->insertItem(0, text);
  ui.smilesBox->setCurrentIndex(ui.smilesBox->count());
  if (text.isEmpty()) return;
  SmilesParser parser;
  Molecule* molecule = parser.smilesToMol(text.toStdString());
  if (molecule == nullptr) {
    // Over the main window, so it can never open behind it while holding the input.
    QMessageBox box(this);
    box.setText(tr("This smiles can not be parsed"));
    box.exec();
  } else {
    molecule->scenePosition = placementPoint();
    glWidget->handOverMolecule(molecule);
    std::deque<Molecule*>& history = MoleculeEngine::instance()->history;
    const int index = static_cast<int>(history.size());
    const std::string entry =
        molecule->getName() + "~" + UtilityEngine::instance()->intToString(index);
    history.push_back(molecule->clone());
    MoleculeCreated(entry);
    console->appendString("Created molecule from SMILES: " + text);
  }
  ui.smileEdit->clear();
}

void KestavorGUI::MoleculeSelected(Molecule* m) {
  // A molecule with open bond axes is a group: shown as the group lists show theirs.
  if (m == nullptr) return;
  propertiesTree->showMolecule(*m, m->numBondAxes == 0 ? 0 : 1);
  fitPropertyLabels();
}

void KestavorGUI::on_MoleculeTabWidget_currentChanged(int) {
  propertiesTree->removeAllTopLevelItems();
  const int page = ui.MoleculeTabWidget->currentIndex();
  if (page < 0 || static_cast<size_t>(page) >= kTabLabels.size()) return;
  for (const char* label : kTabLabels[static_cast<size_t>(page)])
    propertiesTree->addTopLevelItem(new QTreeWidgetItem(QStringList{tr(label)}));
  fitPropertyLabels();
}

void KestavorGUI::MoleculeCreated(std::string s) {
  // Split at the last "~", so a name that holds one keeps it; what follows is the history index.
  const size_t mark = s.rfind('~');
  if (mark == std::string::npos || mark == 0) return;
  const TreeEntry entry = readTreeEntry("H" + s.substr(mark + 1));
  if (entry.isNone()) return;
  QTreeWidgetItem* item = workSpaceItem(s.substr(0, mark), entry);
  workSpaceTree->addTopLevelItem(item);
  workSpaceTree->setCurrentItem(item);
  ui.MoleculeTabWidget->setCurrentIndex(kWorkSpacePage);
}

void KestavorGUI::MoleculeCreated(Molecule* m) {
  if (m == nullptr) return;
  // The caller puts m into the history: the entry is the history's length now.
  QTreeWidgetItem* item =
      historyEntryItem(*m, MoleculeEngine::instance()->history.size(), true);
  workSpaceTree->addTopLevelItem(item);
  workSpaceTree->setCurrentItem(item);
  ui.MoleculeTabWidget->setCurrentIndex(kWorkSpacePage);
}

void KestavorGUI::handleMoleculeListDoubleClick(QTreeWidgetItem* item, int) {
  if (item == nullptr) return;
  qDebug() << "Double-clicked on item: " << item;
  const QString command = leadingField(treeEntryText(item));
  qDebug() << "Sending command string to GL Widget: " << command;
  const GraphicsEngine* engine = GraphicsEngine::instance();
  glWidget->addMoleculeFromLibrary(command, QPoint(static_cast<int>(engine->windowWidth / 2),
                                                   static_cast<int>(engine->windowHeight / 2)));
}
