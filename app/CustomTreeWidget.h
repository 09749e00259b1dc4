#pragma once

#include <QPoint>
#include <QString>
#include <QTreeWidget>

#include <string>
#include <vector>

#include "io/TreeEntry.h"

class Molecule;
class QMouseEvent;
class QTreeWidgetItem;

// The one tree class of the main window: the four list trees (the molecule library, the
// functional groups, the templates and the Work Space) and the properties tree.
//
// A list tree is the drag source of entries for the 3-D view; it turns clicks and changes of the
// current item into updateProperties(type, index), and the check boxes of a PDB molecule's part
// items show and hide those parts. Items carry the string of their entry (io/TreeEntry.h) under
// Qt::UserRole of column 0.
class CustomTreeWidget : public QTreeWidget {
  Q_OBJECT

 public:
  CustomTreeWidget();

  // 0 molecule library, 1 functional groups or templates, 2 Work Space; any other value (the
  // properties tree keeps -1) makes the click and change handlers do nothing.
  int type = -1;
  QPoint dragStartPosition;   // where the left button last went down

  // Drags the current item with the move action; nothing without a current item.
  void startDrag();
  // The text a drag of an item with this data carries: the whole string from kinds 0 and 1,
  // its first "#" field from kind 2, nothing from any other kind.
  QString dragText(const QString& itemText) const;
  // Replaces the rows by the molecule's, shown as an entry of the list of that kind: library
  // molecules (0) whole with their alternate names; groups, templates and history entries
  // under their display name, without the dummy atoms of their bond axes. A molecule whose
  // optimisation stopped short ends with the row "Geometry", "not converged".
  void showMolecule(const Molecule& m, int type);

 signals:
  void updateProperties(int type, int index);

 public slots:
  void currentItemHasChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous);
  void itemHasClicked(QTreeWidgetItem* item, int column);
  // Deletes every top-level item with its children; returns the number left, 0.
  int removeAllTopLevelItems();
  // The properties tree: the rows of molecule `index` of the list `type` names (0 the library,
  // 1 groups and templates, 2 the history); empty for anything else.
  void updatePropertiesSlot(int type, int index);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  // Starts a drag once the left button moved far enough; never passed to the base view.
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  // The entry an item stands for when the click and change handlers act on it: a molecule,
  // group or history entry, or a PDB part with its history index; false for anything else.
  bool entryToShow(const QTreeWidgetItem* item, TreeEntry& entry) const;
  // Shows or hides a PDB part of the current mesh's molecule after its check box changed.
  void setPartVisible(const QTreeWidgetItem* item, const TreeEntry& entry);
  // Shows the whole of every scene molecule of that name and ticks the item's part items.
  void showWholeMolecule(QTreeWidgetItem* item, const std::string& name);
  void addRow(const QString& label, const QString& value);
};
