// The reader of one block of a group list file: a functional group with its atoms, charges,
// bonds, ring-end checks and REPLACE and UPDATE rules, set up into a finished group.

#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "assembly/ListLines.h"
#include "construction/SetupChain.h"
#include "io/IOEngine.h"
#include "math/UtilityEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Builder.h"
#include "model/Molecule.h"
#include "parameters/InputParameters.h"

using listfile::startsWith;
using listfile::tokensOf;

namespace {

struct BondKeyword {
  const char* keyword;
  int order;
  bool inRing;
};

// Tested in this order, each as a prefix of the upper-cased line.
const BondKeyword kBondKeywords[] = {
    {"SINGLE", 1, false}, {"CSINGL", 1, true}, {"DOUBLE", 2, false},
    {"CDOUBL", 2, true},  {"TRIPLE", 3, false}};

// The state of one block while it is read. Each keyword handler answers false when the block
// fails; the group is then freed by the destructor.
class GroupBlockReader {
 public:
  ~GroupBlockReader() { delete group; }

  // False when the block fails at this line.
  bool readLine(const std::string& asWritten, const std::string& upper);
  // The finished group, handed to the caller, or null.
  Molecule* finish();

 private:
  bool openGroup(const std::string& asWritten, const std::string& upper, bool special);
  bool addAtom(const std::vector<std::string>& tokens, const std::string& asWritten);
  bool setCharges(const std::vector<std::string>& tokens, const std::string& asWritten);
  bool addBonds(const std::vector<std::string>& tokens, const BondKeyword& kind);
  bool checkRingEnds(const std::string& upper);
  void addRules(const std::string& remainder, std::vector<std::string>& from,
                std::vector<std::string>& to, const char* message, bool updates);
  Atom* named(const std::string& name) const {
    auto it = names.find(name);
    return it == names.end() ? nullptr : it->second;
  }

  Molecule* group = nullptr;
  std::string groupName;
  std::string instanceName;
  std::map<std::string, Atom*> names;   // later ATOM lines of one name replace the entry
};

bool GroupBlockReader::readLine(const std::string& asWritten, const std::string& upper) {
  if (startsWith(upper, "FUNC")) return openGroup(asWritten, upper, false);
  if (startsWith(upper, "SFUN")) return openGroup(asWritten, upper, true);
  // Every other keyword needs an open group; before it the line is skipped.
  if (group == nullptr) return true;
  const std::vector<std::string> tokens = tokensOf(upper);
  if (startsWith(upper, "ATOM")) return addAtom(tokens, asWritten);
  if (startsWith(upper, "CHARGE")) return setCharges(tokens, asWritten);
  for (const BondKeyword& kind : kBondKeywords)
    if (startsWith(upper, kind.keyword)) return addBonds(tokens, kind);
  if (startsWith(upper, "RING")) return checkRingEnds(listfile::remainderAfter(upper, 5));
  if (startsWith(upper, "REPLACE"))
    addRules(listfile::remainderAfter(upper, 8), group->replaceFrom, group->replaceTo,
             "Error: InCorrect replace", false);
  else if (startsWith(upper, "UPDATE"))
    addRules(listfile::remainderAfter(upper, 7), group->updateFrom, group->updateTo,
             "Error: InCorrect update", true);
  return true;
}

bool GroupBlockReader::openGroup(const std::string& asWritten, const std::string& upper,
                                 bool special) {
  if (group != nullptr) {
    printError(special ? "Error: SFUNC not possible" : "Error: FUNC not possible");
    return false;
  }
  const std::vector<std::string> tokens = tokensOf(upper);
  groupName = tokens.size() > 1 ? tokens[1] : std::string();
  instanceName = groupName + "_" + std::to_string(Molecule::NumOfGroups);
  group = Builder::instance()->createMolecule();
  group->names.push_back(groupName);
  group->groups.push_back(instanceName);
  if (special) {
    group->displayName = tokens.size() > 2 ? tokens[2] : std::string();
    group->sfunc = "Special";
  } else {
    // The display name keeps the case it was written in.
    const std::vector<std::string> written = tokensOf(asWritten);
    for (size_t i = 2; i < written.size(); ++i)
      group->displayName += (i > 2 ? " " : "") + written[i];
    group->hasUpdateRules = false;
  }
  names.clear();
  return true;
}

bool GroupBlockReader::addAtom(const std::vector<std::string>& tokens,
                               const std::string& asWritten) {
  Atom* atom = Builder::instance()->createAtom();
  atom->name = tokens.size() > 1 ? tokens[1] : std::string();
  atom->type = tokens.size() > 2 ? tokens[2] : std::string();
  atom->groupName = groupName;
  atom->groupInstance = instanceName;
  if (tokens.size() > 3) {
    float xyz[3] = {0.0f, 0.0f, 0.0f};
    for (size_t k = 0; k < 3; ++k) {
      const std::string field = 3 + k < tokens.size() ? tokens[3 + k] : std::string();
      if (!listfile::parseFloat(field, xyz[k])) {
        ErrorLine() << "Error: bad coordinate \"" << field << "\" in \"" << asWritten << "\"";
        delete atom;
        return false;
      }
    }
    atom->position = SSEVector4f(xyz[0], xyz[1], xyz[2], 1.0f);
    atom->isPlaced = true;
  }
  // The element comes from the type already, so valences and hydrogens can be worked out
  // before the parameters are set; the rest of the type's record follows with them.
  AtomTypeParameters record;
  if (InputParameters::instance()->findAtomTypeParameters(atom->type, record) != 0)
    atom->element = record.element;
  if (!group->addAtom(atom)) {
    printError("Error: adding atom to molecule failed");
    delete atom;
    return false;
  }
  names[atom->name] = atom;
  return true;
}

bool GroupBlockReader::setCharges(const std::vector<std::string>& tokens,
                                  const std::string& asWritten) {
  if (tokens.size() % 2 == 0) {
    printError("Error: wrong entry in charge line");
    return false;
  }
  for (size_t i = 1; i + 1 < tokens.size(); i += 2) {
    int charge = 0;
    if (!listfile::parseInt(tokens[i + 1], charge)) {
      ErrorLine() << "Error: bad charge \"" << tokens[i + 1] << "\" in \"" << asWritten << "\"";
      return false;
    }
    if (Atom* atom = named(tokens[i])) atom->charge = charge;
  }
  return true;
}

bool GroupBlockReader::addBonds(const std::vector<std::string>& tokens, const BondKeyword& kind) {
  if (tokens.size() % 2 == 0) {
    printError("Error: wrong entry in bond line");
    return false;
  }
  for (size_t i = 1; i + 1 < tokens.size(); i += 2) {
    Bond* bond = Builder::instance()->createBond();
    bond->atom1 = named(tokens[i]);
    bond->atom2 = named(tokens[i + 1]);
    bond->order = kind.order;
    bond->groupName = groupName;
    bond->groupInstance = instanceName;
    if (kind.inRing) bond->inRing = true;
    // A refused bond (-1: the two atoms are bonded already) fails the block like a bad one.
    if (group->addBond(bond) == 1) continue;
    delete bond;
    if (kind.order == 3)
      ErrorLine() << "Error: adding bond " << tokens[i] << ":::" << tokens[i + 1] << " failed";
    else
      ErrorLine() << "Error " << group->displayName << ": adding bond " << tokens[i]
                  << (kind.order == 1 ? "--" : "==") << tokens[i + 1] << " failed";
    return false;
  }
  return true;
}

bool GroupBlockReader::checkRingEnds(const std::string& remainder) {
  const std::vector<std::string> ends = tokensOf(remainder);
  if (ends.size() % 2 != 0) {
    printError("Error: InCorrect ring");
    return false;
  }
  // Every named atom must be an open end: a dummy with exactly one bond.
  for (const std::string& name : ends) {
    const Atom* atom = named(name);
    if (atom == nullptr || atom->degree != 1) {
      printError("Error: Wrong DUM Atom");
      return false;
    }
  }
  return true;
}

void GroupBlockReader::addRules(const std::string& remainder, std::vector<std::string>& from,
                                std::vector<std::string>& to, const char* message,
                                bool updates) {
  const std::vector<std::string> tokens = tokensOf(remainder);
  if (tokens.size() % 2 != 0) {
    printError(message);
    return;
  }
  for (size_t i = 0; i + 1 < tokens.size(); i += 2) {
    from.push_back(tokens[i]);
    to.push_back(tokens[i + 1]);
  }
  if (updates) group->hasUpdateRules = true;
}

Molecule* GroupBlockReader::finish() {
  if (group == nullptr) return nullptr;
  group->findAllSmallestRings();
  group->findValenceVector();
  group->fillTotalAndUsedValence();
  group->addMissingHydrogens();
  // A group holds dummy atoms, so this is the Cartesian optimisation.
  const SetupSteps steps{SetupStep::Parameters, SetupStep::Coordinates, SetupStep::Optimisation};
  if (!runSetupChain(*group, steps).ok()) return nullptr;
  Molecule* finished = group;
  group = nullptr;
  return finished;
}

}  // namespace

Molecule* IOEngine::parseGroupFile(std::istream& in) {
  GroupBlockReader reader;
  std::string line;
  while (std::getline(in, line)) {
    if (!listfile::prepareLine(line)) continue;
    if (!reader.readLine(line, listfile::upperCased(line))) return nullptr;
  }
  return reader.finish();
}

Molecule* IOEngine::parseGroupFile(const char* path) {
  if (path == nullptr) return nullptr;
  std::ifstream in(path);
  if (!in) return nullptr;
  return parseGroupFile(in);
}

Molecule* IOEngine::parseGroupFile(const std::string& path) { return parseGroupFile(path.c_str()); }
