// Joining two molecules at their chosen bond axes and closing a ring between two axes of one
// molecule. The moving molecule's glide runs in the frame; the join is built when it ends.
#include "render/GraphicsEngine.h"
#include "render/Mesh.h"
#include "render/TimeEngine.h"
#include "view/GLWidget.h"

void GLWidget::paintStep_moleculeSlerp() {
  const float dt = TimeEngine::instance()->getHighDeltaTime();
  for (Mesh* mesh : GraphicsEngine::instance()->meshes) {
    if (!mesh->slerpActive) continue;
    if (mesh->slerp(dt) == 0) {
      joinMolecules();
      return;
    }
  }
}

// The join and the ring closure are not built yet: asking for them changes nothing.
void GLWidget::initJoinMolecules() {}
void GLWidget::joinMolecules() {}
void GLWidget::closeRing() {}
