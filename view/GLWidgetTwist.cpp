// Molecules twisted by the dihedral profiler enter the scene as new molecules. The view's own
// twist drag never runs: nothing raises twistRequested.
#include "construction/SetupChain.h"
#include "io/MoleculeEngine.h"
#include "math/UtilityEngine.h"
#include "model/Molecule.h"
#include "render/GraphicsEngine.h"
#include "view/GLWidget.h"

void GLWidget::paintStep_twist() {
  if (!twistRequested || twistedMesh == nullptr) return;
  twistRequested = false;
}

// Takes the molecule over: its spheroids from the twisted positions, its energies, a clone in
// the history announced for the Work Space, and the hand-over at its scenePosition.
// Positions the set-up chain refuses are not shown: the molecule is deleted.
void GLWidget::drawTwistedMolecule(Molecule* molecule) {
  if (molecule == nullptr) return;
  GraphicsEngine::instance()->clearActivePointsFromCurrentMesh();
  if (!runSetupChain(*molecule, {SetupStep::Spheroids, SetupStep::Energies}).ok()) {
    ErrorLine() << "Error: GLWidget: the twisted molecule \"" << molecule->label()
                << "\" has no sound geometry and is not shown";
    delete molecule;
    return;
  }
  recordNewMolecule(molecule);
  handOverMolecule(molecule);
}
