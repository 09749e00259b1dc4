// The edit modes' bookkeeping in the view: the bond order the bond-order mode gives, leaving a
// mode, and the symbols drawn over atoms and bonds marked for deletion or as new bond axes.
#include "view/ScreenProjection.h"

#include <QString>

#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "model/Spheroid.h"
#include "view/GLWidget.h"

namespace {

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

// Leaving a mode. Only the edit-mode clicks mark atoms and bonds, and they are not built yet, so
// there is never anything to apply or discard: every exit ends its mode.
bool GLWidget::exitEditBondOrderMode() { return true; }
bool GLWidget::exitDeleteAtomMode() { return true; }
bool GLWidget::exitMakeAxisMode() { return true; }
bool GLWidget::exitDeleteBondMode() { return true; }

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
