// The two open bond axes a join uses: chosen from the selected spheroid (context menu) or
// stepped through the current molecule's axes (keys 1 and 2). The two never name one spheroid.
#include <algorithm>

#include "model/Spheroid.h"
#include "render/GraphicsEngine.h"
#include "render/Mesh.h"
#include "view/GLWidget.h"

namespace {

bool isOpenBondAxis(const Spheroid* s) {
  return s != nullptr && s->kind == SpheroidKind::OpenBondAxis;
}

// chosen := the selected spheroid when it is an open bond axis, or nothing when nothing is
// selected; any other selection changes nothing. The other choice gives way.
void chooseFromSelected(Spheroid* selected, Spheroid*& chosen, Spheroid*& other) {
  if (selected != nullptr && !isOpenBondAxis(selected)) return;
  chosen = selected;
  if (chosen == other) other = nullptr;
}

}  // namespace

Spheroid* GLWidget::getSelectedSpheroid() {
  const Mesh* mesh = GraphicsEngine::instance()->currentMesh;
  return mesh == nullptr ? nullptr : mesh->currentSpheroid;
}

void GLWidget::setFirstSelectedSpheroidFromSelected() {
  chooseFromSelected(getSelectedSpheroid(), firstSelectedSpheroid, secondSelectedSpheroid);
}

void GLWidget::setSecondSelectedSpheroidFromSelected() {
  chooseFromSelected(getSelectedSpheroid(), secondSelectedSpheroid, firstSelectedSpheroid);
}

void GLWidget::clearSelectedSpheroids() {
  firstSelectedSpheroid = secondSelectedSpheroid = nullptr;
}

// The open bond axis after curSelection in the current mesh, wrapping round to the first;
// the first axis when curSelection is not in the mesh.
Spheroid* GLWidget::getNextSelectableBondAxis(Spheroid* curSelection) {
  const Mesh* mesh = GraphicsEngine::instance()->currentMesh;
  if (mesh == nullptr) return nullptr;
  const std::vector<Spheroid*>& list = mesh->spheroids;
  const auto at = std::find(list.begin(), list.end(), curSelection);
  if (curSelection != nullptr && at != list.end()) {
    const auto after = std::find_if(at + 1, list.end(), isOpenBondAxis);
    if (after != list.end()) return *after;
  }
  const auto first = std::find_if(list.begin(), list.end(), isOpenBondAxis);
  return first == list.end() ? nullptr : *first;
}

void GLWidget::setFirstSelectedSpheroid() {
  firstSelectedSpheroid = getNextSelectableBondAxis(firstSelectedSpheroid);
  if (firstSelectedSpheroid == secondSelectedSpheroid)
    firstSelectedSpheroid = getNextSelectableBondAxis(firstSelectedSpheroid);
  if (firstSelectedSpheroid == secondSelectedSpheroid) firstSelectedSpheroid = nullptr;
}

void GLWidget::setSecondSelectedSpheroid() {
  secondSelectedSpheroid = getNextSelectableBondAxis(secondSelectedSpheroid);
  if (secondSelectedSpheroid == firstSelectedSpheroid)
    secondSelectedSpheroid = getNextSelectableBondAxis(secondSelectedSpheroid);
  if (secondSelectedSpheroid == firstSelectedSpheroid) secondSelectedSpheroid = nullptr;
}
