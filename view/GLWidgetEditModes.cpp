// The edit modes in the view: marking atoms and bonds by clicks (the bond-order mode changes
// the bond at once and keeps its first order), leaving a mode with Apply, Discard or Resume,
// and the symbols drawn over atoms and bonds marked for deletion or as new bond axes. The model
// work of each Apply is construction's (construction/MoleculeEdits.h); the view swaps the
// finished molecules in and keeps the books.
#include "view/ScreenProjection.h"

#include <QDebug>
#include <QMessageBox>
#include <QPushButton>
#include <QString>

#include <algorithm>
#include <functional>

#include "construction/MoleculeEdits.h"
#include "io/MoleculeEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "model/Spheroid.h"
#include "render/MathEngine.h"
#include "view/GLWidget.h"

namespace {

// The question each mode asks when it is left, and the developer traces of the answers.
struct ModeExit {
  const char* title;
  const char* text;
  const char* applying;
  const char* discarding;
  const char* resuming;
};

const ModeExit kModeExits[] = {
    {"Confirm Bond Order Changes?",
     "Would you like to apply these changes to the bond orders?\n\nPress Resume to continue "
     "editing bond orders.",
     "Confirming bond order edits", "Undoing bond order edits", "Resuming bond order edit mode"},
    {"Confirm Delete Atoms?", "Would you like to delete these atoms?\n\nPress Resume to continue.",
     "Confirming delete atoms", "Undoing delete atoms edits", "Resuming delete atom edit mode"},
    {"Confirm Make Axis?", "Would you like to make these axis?\n\nPress Resume to continue.",
     "Confirming make axis", "Undoing make axis edits", "Resuming make axis edit mode"},
    {"Confirm Delete Bonds?", "Would you like to delete these bonds?\n\nPress Resume to continue.",
     "Confirming Delete Bonds", "Undoing delete bonds edits", "Resuming delete bond edit mode"},
};

enum class ExitChoice { Apply, Discard, Resume };

// Apply, "Discard" or "Resume"; Escape and closing the box mean Resume.
ExitChoice askHowToLeave(QWidget* parent, int mode) {
  const ModeExit& exit = kModeExits[mode - GLWidget::BondOrderMode];
  QMessageBox box(parent);
  box.setIcon(QMessageBox::Question);
  box.setWindowTitle(GLWidget::tr(exit.title));
  box.setText(GLWidget::tr(exit.text));
  const QAbstractButton* apply = box.addButton(QMessageBox::Apply);
  const QAbstractButton* discard =
      box.addButton(GLWidget::tr("Discard"), QMessageBox::DestructiveRole);
  QPushButton* resume = box.addButton(GLWidget::tr("Resume"), QMessageBox::RejectRole);
  box.setEscapeButton(resume);
  box.exec();
  const ExitChoice choice = box.clickedButton() == apply     ? ExitChoice::Apply
                            : box.clickedButton() == discard ? ExitChoice::Discard
                                                             : ExitChoice::Resume;
  qDebug() << (choice == ExitChoice::Apply     ? exit.applying
               : choice == ExitChoice::Discard ? exit.discarding
                                               : exit.resuming);
  return choice;
}

void withdrawMarks(const std::vector<Atom*>& atoms) {
  for (Atom* atom : atoms) atom->editMark = 0;
}
void withdrawMarks(const std::vector<Bond*>& bonds) {
  for (Bond* bond : bonds) bond->deleteMark = 0;
}

// Leaving a marked mode. Apply rebuilds each marked molecule in the map's order; a molecule
// that comes out unchanged or refused stays as it was, its marks withdrawn as by Discard. The
// map is emptied whatever the answer but Resume.
template <typename Object>
bool leaveMarkedMode(QWidget* parent, int mode, std::map<Molecule*, std::vector<Object*> >& marks,
                     const std::function<EditOutcome(Molecule*)>& apply) {
  if (marks.empty()) return true;
  const ExitChoice choice = askHowToLeave(parent, mode);
  if (choice == ExitChoice::Resume) return false;
  // Taken out first: a molecule that leaves the scene also leaves the lists.
  std::map<Molecule*, std::vector<Object*> > taken;
  taken.swap(marks);
  for (auto& entry : taken) {
    if (choice == ExitChoice::Apply) {
      const EditOutcome outcome = apply(entry.first);
      if (outcome == EditOutcome::Rebuilt || outcome == EditOutcome::Emptied) continue;
    }
    entry.first->isEdited = false;
    withdrawMarks(entry.second);
  }
  return true;
}

// A first click marks an object and lists it, a second withdraws the mark and leaves it listed.
template <typename Object>
void toggleMark(int& mark, int value, Object* object, std::vector<Object*>& listed) {
  if (mark == value) {
    mark = 0;
    return;
  }
  mark = value;
  if (std::find(listed.begin(), listed.end(), object) == listed.end()) listed.push_back(object);
}

constexpr float kCrossHalfSize = 0.1f;   // scene units
constexpr float kAxisMarkLength = 0.6f;
constexpr float kMarkLineWidth = 4.0f;

// The mark an atom or a bond carries and the spheroid whose centre the symbol marks.
int markOf(const Atom* atom) { return atom->editMark; }
int markOf(const Bond* bond) { return bond->deleteMark; }
const Spheroid* spheroidOf(const Atom* atom) { return atom->sphere; }
const Spheroid* spheroidOf(const Bond* bond) { return bond->spheroid; }

// Draws a symbol for every listed object that still carries the mark and lies in front of the
// far plane, at its spheroid's centre in the frame of its molecule's mesh.
template <typename Object, typename Draw>
void drawMarks(const std::map<Molecule*, std::vector<Object*> >& marks, int mark, Draw draw) {
  screen::Projection p;
  p.readProjection();
  for (const auto& entry : marks) {
    const Mesh* mesh = entry.first->mesh;
    if (mesh == nullptr) continue;
    glPushMatrix();
    screen::applyCamera();
    screen::applyPose(*mesh);
    p.readModelView();
    for (const Object* object : entry.second) {
      GLdouble window[3];
      if (markOf(object) == mark && spheroidOf(object) != nullptr &&
          p.projectInFront(spheroidOf(object)->centre, window))
        draw(object, spheroidOf(object)->centre);
    }
    glPopMatrix();
  }
}

void drawCross(const SSEVector4f& c, float r, float g, float b) {
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  glLineWidth(kMarkLineWidth);
  glColor3f(r, g, b);
  const float h = kCrossHalfSize;
  glBegin(GL_LINES);
  glVertex3f(c.x - h, c.y + h, c.z - h);
  glVertex3f(c.x + h, c.y - h, c.z + h);
  glVertex3f(c.x - h, c.y - h, c.z - h);
  glVertex3f(c.x + h, c.y + h, c.z + h);
  glEnd();
  glEnable(GL_LIGHTING);
  glEnable(GL_DEPTH_TEST);
  glLineWidth(1.0f);
}

}  // namespace

void GLWidget::enterEditBondOrderMode() { setEditBondOrderMode('1'); }

void GLWidget::setEditBondOrderMode(char order) {
  editBondOrder = order - '0';
  emit emitConsoleString(QStringLiteral("Changing bond orders to order: ") +
                         QString::number(editBondOrder));
}

void GLWidget::markForEdit() {
  MathEngine* math = MathEngine::instance();
  const int mode = math->measureMode;
  if (mode < BondOrderMode || mode > DeleteBondMode) return;
  const bool onBonds = mode == BondOrderMode || mode == DeleteBondMode;
  const int kind = onBonds ? SpheroidKind::BondOrbital : SpheroidKind::AtomSphere;
  math->pickAllMeshSpheroids(kind);
  Spheroid* hit = math->pickedSpheroid;
  if (hit == nullptr || hit->kind != kind || hit->owner == nullptr) return;
  qDebug() << (onBonds ? "Picked Molecular orbital: " : "Picked Atomic orbital: ") << hit;
  if (onBonds)
    markBond(static_cast<Bond*>(hit->owner), mode);
  else
    markAtom(static_cast<Atom*>(hit->owner), mode);
}

void GLWidget::markAtom(Atom* atom, int mode) {
  Molecule* molecule = atom->molecule;
  if (molecule == nullptr || (mode == MakeAxisMode && atom->element != "H")) return;
  molecule->isEdited = true;
  if (mode == DeleteAtomMode) toggleMark(atom->editMark, 1, atom, atomsToDelete[molecule]);
  if (mode == MakeAxisMode) toggleMark(atom->editMark, 2, atom, atomsToMakeAxes[molecule]);
}

void GLWidget::markBond(Bond* bond, int mode) {
  Molecule* molecule = bond->molecule;
  if (molecule == nullptr) return;
  molecule->isEdited = true;
  if (mode == DeleteBondMode) {
    toggleMark(bond->deleteMark, 1, bond, bondsToDelete[molecule]);
    return;
  }
  if (!savedBondOrders.contains(bond)) savedBondOrders.insert(bond, bond->order);
  bond->order = editBondOrder;
}

bool GLWidget::exitEditBondOrderMode() {
  if (savedBondOrders.isEmpty()) return true;
  const ExitChoice choice = askHowToLeave(this, BondOrderMode);
  if (choice == ExitChoice::Resume) return false;
  if (choice == ExitChoice::Apply)
    applyBondOrderEdits();
  else
    discardBondOrderEdits();
  savedBondOrders.clear();
  return true;
}

bool GLWidget::exitDeleteAtomMode() {
  return leaveMarkedMode(this, DeleteAtomMode, atomsToDelete, [this](Molecule* m) {
    return replaceMolecule(m, rebuildWithoutMarkedAtoms(m, smilesText), true);
  });
}

bool GLWidget::exitMakeAxisMode() {
  return leaveMarkedMode(this, MakeAxisMode, atomsToMakeAxes, [this](Molecule* m) {
    return replaceMolecule(m, rebuildWithNewBondAxes(m, smilesText), true);
  });
}

bool GLWidget::exitDeleteBondMode() {
  return leaveMarkedMode(this, DeleteBondMode, bondsToDelete, [this](Molecule* m) {
    return replaceMolecule(m, rebuildWithoutMarkedBonds(m, smilesText), true);
  });
}

// Every edited molecule of the scene is rebuilt with its new orders; one the set-up chain
// refuses gets its first orders back.
void GLWidget::applyBondOrderEdits() {
  std::vector<Molecule*> edited;
  for (Molecule* m : MoleculeEngine::instance()->workspace)
    if (m->isEdited) edited.push_back(m);
  for (Molecule* molecule : edited) {
    std::vector<SavedBondOrder> saved;
    for (auto it = savedBondOrders.cbegin(); it != savedBondOrders.cend(); ++it) {
      const auto at = std::find(molecule->bonds.begin(), molecule->bonds.end(), it.key());
      if (at != molecule->bonds.end())
        saved.push_back({static_cast<int>(at - molecule->bonds.begin()), it.value()});
    }
    const EditResult result = rebuildWithBondOrders(molecule, saved, smilesText);
    if (replaceMolecule(molecule, result, true) != EditOutcome::Failed) continue;
    for (const SavedBondOrder& entry : saved)
      molecule->bonds[static_cast<size_t>(entry.bondIndex)]->order = entry.order;
    molecule->isEdited = false;
  }
}

void GLWidget::discardBondOrderEdits() {
  for (auto it = savedBondOrders.cbegin(); it != savedBondOrders.cend(); ++it) {
    qDebug() << "  Returning bond " << it.key() << " to order: " << it.value();
    it.key()->order = it.value();
  }
  for (Molecule* m : MoleculeEngine::instance()->workspace) m->isEdited = false;
}

void GLWidget::clearAllEditModeData() {
  savedBondOrders.clear();
  atomsToDelete.clear();
  atomsToMakeAxes.clear();
  bondsToDelete.clear();
}

void GLWidget::paintAtomDeleteSymbol() {
  if (moleculePending || purgeDeletedMeshes) return;
  drawMarks(atomsToDelete, 1,
            [](const Atom*, const SSEVector4f& centre) { drawCross(centre, 1.0f, 1.0f, 1.0f); });
}

void GLWidget::paintBondDeleteSymbol() {
  if (moleculePending || purgeDeletedMeshes) return;
  drawMarks(bondsToDelete, 1,
            [](const Bond*, const SSEVector4f& centre) { drawCross(centre, 1.0f, 0.0f, 0.0f); });
}

// A short white line from the atom outwards, away from its first neighbour, where the new bond
// axis will point.
void GLWidget::paintAxisSymbol() {
  if (moleculePending || purgeDeletedMeshes) return;
  drawMarks(atomsToMakeAxes, 2, [](const Atom* atom, const SSEVector4f& centre) {
    if (atom->neighbours.empty() || atom->neighbours.front()->sphere == nullptr) return;
    SSEVector4f out = centre - atom->neighbours.front()->sphere->centre;
    out.normalize();
    out.clamp();
    glLineWidth(kMarkLineWidth);
    glColor3f(1.0f, 1.0f, 1.0f);
    glBegin(GL_LINES);
    glVertex3f(centre.x, centre.y, centre.z);
    glVertex3f(centre.x + kAxisMarkLength * out.x, centre.y + kAxisMarkLength * out.y,
               centre.z + kAxisMarkLength * out.z);
    glEnd();
    glLineWidth(1.0f);
  });
}
