#include "fuzz/FuzzEntries.h"

#include <QApplication>

#include <cmath>
#include <cstdlib>
#include <sstream>

#include "io/IOEngine.h"
#include "io/MoleculeEngine.h"
#include "math/UtilityEngine.h"
#include "model/Atom.h"
#include "model/Molecule.h"
#include "parameters/InputParameters.h"

namespace fuzzentries {

const std::vector<Entry>& entries() {
  // Input limits: a few records of each format (a dozen PDB atom lines, two small SD records)
  // reach every branch of its reader, and keep the runs fast enough for millions of inputs;
  // large inputs are the size benchmarks' business. The chain entries take shorter inputs
  // still: the set-up chain grows faster than the input, and a slow input there is a finding
  // only when it is a short one.
  static const std::vector<Entry> all = {
      {"smiles", "smiles", 256, smilesGraph},
      {"mol", "mol", 4096, molGraph},
      {"sdf", "mol", 2048, sdfGraph},
      {"pdb", "pdb", 1536, pdbGraph},
      {"kv", "kv", 8192, kvFile},
      {"camera", "camera", 1024, cameraFile},
      {"font", "font", 8192, fontDescriptor},
      {"orbital", "orbital", 2048, orbitalText},
      {"smiles_chain", "smiles", 80, smilesChain},
      {"smilesfile_chain", "smiles", 64, smilesFileChain},
      {"mol_chain", "mol", 2048, molChain},
      {"sdf_chain", "mol", 2048, sdfChain},
      {"pdb_chain", "pdb", 1536, pdbChain},
      {"group_chain", "list", 1536, groupBlock},
      {"grouplist_chain", "list", 1536, groupList},
      {"moleculelist_chain", "list", 2048, moleculeList},
      {"templatelist_chain", "list", 2048, templateList},
  };
  return all;
}

const Entry* findEntry(const std::string& name) {
  for (const Entry& entry : entries())
    if (name == entry.name) return &entry;
  return nullptr;
}

void setUp() {
  static bool done = false;
  if (done) return;
  done = true;
  UtilityEngine::instance()->printLevel = 0;
  setConsoleSink([](const std::string&) {});
  setErrorSink([](const std::string&) {});
  if (QCoreApplication::instance() == nullptr) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "kestavor_fuzz";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);   // never destroyed, as in the tests
  }
  InputParameters::instance();
  IOEngine::instance();
  MoleculeEngine* library = MoleculeEngine::instance();
  if (library->groups.empty()) library->loadGroups(std::string(KV_SOURCE_DIR));
}

bool finite(const SSEVector4f& v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

std::string checkFinished(const Molecule& molecule) {
  for (const Atom* atom : molecule.atoms)
    if (!finite(atom->position)) return "atom " + atom->name + " has no finite position";
  for (const SSEVector4f& position : molecule.positions)
    if (!finite(position)) return "a packed position is not finite";
  const float energies[] = {molecule.totalBondEnergy, molecule.heatOfFormation,
                            molecule.energyCorrection, molecule.dipoleMoment};
  for (float energy : energies)
    if (!std::isfinite(energy)) return "an energy or the dipole is not finite";
  return std::string();
}

std::string checkAndDelete(std::vector<Molecule*>& molecules) {
  std::string fault;
  for (Molecule* m : molecules) {
    if (fault.empty() && m != nullptr) fault = checkFinished(*m);
    delete m;
  }
  molecules.clear();
  return fault;
}

}  // namespace fuzzentries
