#include "app/CustomTreeWidget.h"

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QStringList>
#include <QTreeWidgetItem>

#include "io/MoleculeEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "model/Spheroid.h"
#include "render/GraphicsEngine.h"
#include "render/Mesh.h"

namespace {


void showSpheroid(Spheroid* s, bool visible) {
  if (s != nullptr) s->isVisible = visible;
}

// An atom's sphere and the spheroids of all its bonds.
void setAtomAndBondsVisible(Atom* a, bool visible) {
  showSpheroid(a->sphere, visible);
  for (Bond* b : a->bonds) showSpheroid(b->spheroid, visible);
}

QString energyText(float value, const Molecule& m) {
  return QString::asprintf(m.hasApproximatedParameters ? "%3.4f(ev)*" : "%3.4f(ev)",
                           static_cast<double>(value));
}

Molecule* moleculeAt(int type, int index) {
  MoleculeEngine* engine = MoleculeEngine::instance();
  if (index < 0) return nullptr;
  const size_t i = static_cast<size_t>(index);
  switch (type) {
    case 0: return i < engine->molecules.size() ? engine->molecules[i] : nullptr;
    case 1: return i < engine->groups.size() ? engine->groups[i] : nullptr;
    case 2: return i < engine->history.size() ? engine->history[i] : nullptr;
    default: return nullptr;
  }
}

}  // namespace

CustomTreeWidget::CustomTreeWidget() : QTreeWidget(nullptr) {
  connect(this, &QTreeWidget::currentItemChanged, this, &CustomTreeWidget::currentItemHasChanged);
  connect(this, &QTreeWidget::itemClicked, this, &CustomTreeWidget::itemHasClicked);
}

void CustomTreeWidget::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) dragStartPosition = event->pos();
  QTreeWidget::mousePressEvent(event);
}

void CustomTreeWidget::mouseMoveEvent(QMouseEvent* event) {
  // The base view's own move handling (extending a selection) is left out on purpose.
  if (!(event->buttons() & Qt::LeftButton)) return;
  if ((event->pos() - dragStartPosition).manhattanLength() >= QApplication::startDragDistance())
    startDrag();
}

QString CustomTreeWidget::dragText(const QString& itemText) const {
  if (type == 0 || type == 1) return itemText;
  if (type == 2) return leadingField(itemText);
  return QString();
}

void CustomTreeWidget::startDrag() {
  const QTreeWidgetItem* item = currentItem();
  if (item == nullptr) return;
  auto* mime = new QMimeData;
  if (type >= 0 && type <= 2) mime->setText(dragText(treeEntryText(item)));
  auto* drag = new QDrag(this);   // freed by the drag manager once the drop is over
  drag->setMimeData(mime);
  drag->exec(Qt::MoveAction);
}

bool CustomTreeWidget::entryToShow(const QTreeWidgetItem* item, TreeEntry& entry) const {
  if (item == nullptr || static_cast<unsigned int>(type) > 2) return false;
  entry = treeEntryOf(item);
  // A part of the legacy loader carries no history index: there is nothing to show.
  if (entry.kind == TreeEntry::Kind::PdbPart) return entry.index >= 0;
  return entry.isListed();
}

void CustomTreeWidget::currentItemHasChanged(QTreeWidgetItem*, QTreeWidgetItem*) {
  TreeEntry entry;
  if (entryToShow(currentItem(), entry)) emit updateProperties(type, entry.index);
}

void CustomTreeWidget::itemHasClicked(QTreeWidgetItem* clicked, int) {
  // A press on a check box does not make its item current, so the clicked item is read, not
  // the current one: unticking a part must not act on another part that happens to be current.
  QTreeWidgetItem* item = clicked != nullptr ? clicked : currentItem();
  TreeEntry entry;
  if (!entryToShow(item, entry)) return;
  if (entry.kind == TreeEntry::Kind::PdbPart)
    setPartVisible(item, entry);
  else if (!entry.name.empty())
    showWholeMolecule(item, entry.name);
  emit updateProperties(type, entry.index);
}

void CustomTreeWidget::setPartVisible(const QTreeWidgetItem* item, const TreeEntry& entry) {
  // The check box has already toggled when the click arrives; partly ticked counts as on.
  const bool on = item->checkState(0) != Qt::Unchecked;
  Mesh* mesh = GraphicsEngine::instance()->currentMesh;
  Molecule* m = mesh != nullptr ? mesh->molecule : nullptr;
  if (m == nullptr || m->getName() != entry.name) return;
  const std::string& part = entry.part;
  m->isTreeClicked = true;
  for (Atom* a : m->atoms) {
    if (part == "WATER" && a->isWater) setAtomAndBondsVisible(a, on);
    if (part != "HETATM") {
      if (a->chainId == part && !a->isWater && !a->isHetero) setAtomAndBondsVisible(a, on);
    } else if (a->isHetero) {
      // A bond from a chain atom to a hetero atom belongs to the chain and stays.
      showSpheroid(a->sphere, on);
      for (Bond* b : a->bonds)
        if (b->atom1 != nullptr && b->atom1->isHetero) showSpheroid(b->spheroid, on);
    }
  }
  if (mesh->currentSpheroid != nullptr && !mesh->currentSpheroid->isVisible)
    mesh->currentSpheroid = nullptr;
}

void CustomTreeWidget::showWholeMolecule(QTreeWidgetItem* item, const std::string& name) {
  for (Molecule* m : MoleculeEngine::instance()->workspace) {
    if (m == nullptr || m->getName() != name) continue;
    for (Atom* a : m->atoms) setAtomAndBondsVisible(a, true);
    for (int c = 0; c < item->childCount(); ++c) item->child(c)->setCheckState(0, Qt::Checked);
  }
}

int CustomTreeWidget::removeAllTopLevelItems() {
  while (topLevelItemCount() > 0) delete takeTopLevelItem(0);
  return topLevelItemCount();
}

void CustomTreeWidget::addRow(const QString& label, const QString& value) {
  addTopLevelItem(new QTreeWidgetItem(QStringList{label, value}));
}

void CustomTreeWidget::updatePropertiesSlot(int kind, int index) {
  removeAllTopLevelItems();
  const Molecule* m = moleculeAt(kind, index);
  if (m != nullptr) showMolecule(*m, kind);
}

void CustomTreeWidget::showMolecule(const Molecule& m, int kind) {
  removeAllTopLevelItems();
  const QString name = QString::fromStdString(m.getName());
  // Library molecules are shown whole; groups, templates and history entries without the dummy
  // atoms of their open bond axes and those atoms' bonds.
  const int hidden = kind == 0 ? 0 : static_cast<int>(m.numBondAxes);
  if (kind == 0) {
    addRow("Name", name);
    for (size_t n = 1; n < m.names.size(); ++n)
      addRow("Alternate Name", QString::fromStdString(m.names[n]));
  } else {
    addRow("Name", m.displayName.empty() ? name : QString::fromStdString(m.displayName));
  }
  addRow("SMILES", QString::fromStdString(m.smiles));
  addRow("Atoms", QString::number(static_cast<int>(m.numAtoms) - hidden));
  addRow("Bonds", QString::number(static_cast<int>(m.numBonds) - hidden));
  addRow("Total Bond Energy", energyText(m.totalBondEnergy, m));
  // A molecule with open valences has no meaningful heat of formation or dipole.
  if (kind == 0 || m.numBondAxes == 0) {
    addRow("Heat of Formation", energyText(m.heatOfFormation, m));
    // A molecule the chain computed no dipole for (a large PDB structure) shows no dipole row.
    if (!m.hasDipoleMoment)
      addRow(QString(), QString());
    else
      addRow("Dipole Moment", QString::asprintf("%3.4f(D)", static_cast<double>(m.dipoleMoment)));
  }
  // Values of a geometry whose optimisation stopped short say so in a row of their own, which
  // shows whole in a narrow dock, unlike a mark behind a value.
  if (m.isUnconverged) addRow("Geometry", "not converged");
}
