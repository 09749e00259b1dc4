#include "model/Atom.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "model/Bond.h"
#include "model/Builder.h"
#include "model/Molecule.h"
#include "model/Spheroid.h"

namespace {
Mesh* meshOf(const Molecule* m) { return m != nullptr ? m->mesh : nullptr; }
}  // namespace

Ao::~Ao() {
  releaseSpheroid(spheroid);
  spheroid = nullptr;
}

BondAxis::~BondAxis() {
  releaseSpheroid(spheroid);
  spheroid = nullptr;
}

Atom::~Atom() {
  for (Ao* o : aos) delete o;   // each orbital hands its spheroid to the mesh or frees it
  aos.clear();
  for (BondAxis* x : bondAxes) delete x;
  bondAxes.clear();
  releaseSpheroid(sphere);
  sphere = nullptr;
  bonds.clear();
  neighbours.clear();
  ringIds.clear();
}

Bond* Atom::getFirstBond(std::vector<Bond*>::iterator& it) {
  it = bonds.begin();
  return it != bonds.end() ? *it : nullptr;
}

Bond* Atom::getNextBond(std::vector<Bond*>::iterator& it) {
  if (it == bonds.end()) return nullptr;
  ++it;
  return it != bonds.end() ? *it : nullptr;
}

Atom* Atom::getFirstAdjAtom(std::vector<Bond*>::iterator& it) {
  Bond* b = getFirstBond(it);
  return b != nullptr ? getAdjacentAtom(b) : nullptr;
}

Atom* Atom::getNextAdjAtom(std::vector<Bond*>::iterator& it) {
  Bond* b = getNextBond(it);
  return b != nullptr ? getAdjacentAtom(b) : nullptr;
}

Ao* Atom::getFirstAO(std::vector<Ao*>::iterator& it) {
  it = aos.begin();
  return it != aos.end() ? *it : nullptr;
}

Ao* Atom::getNextAO(std::vector<Ao*>::iterator& it) {
  if (it == aos.end()) return nullptr;
  ++it;
  return it != aos.end() ? *it : nullptr;
}

Bond* Atom::getFirstBondAxis(std::vector<Bond*>::iterator& it) {
  it = bonds.begin();
  while (it != bonds.end() && !(*it)->isBondAxis) ++it;
  return it != bonds.end() ? *it : nullptr;
}

Bond* Atom::getNextBondAxis(std::vector<Bond*>::iterator& it) {
  if (it == bonds.end()) return nullptr;
  ++it;
  while (it != bonds.end() && !(*it)->isBondAxis) ++it;
  return it != bonds.end() ? *it : nullptr;
}

Atom* Atom::getAdjacentAtom(Bond* b) const {
  if (b == nullptr) return nullptr;
  return b->atom1 != this ? b->atom1 : b->atom2;
}

std::vector<Atom*> Atom::getAdjacentAtoms() const {
  std::vector<Atom*> out;
  out.reserve(bonds.size());
  for (Bond* b : bonds) out.push_back(getAdjacentAtom(b));
  return out;
}

bool Atom::hasBond(const Atom* a, const Atom* b) const {
  for (const Bond* bond : bonds) {
    if ((bond->atom1 == a && bond->atom2 == b) || (bond->atom1 == b && bond->atom2 == a)) return true;
  }
  return false;
}

bool Atom::hasBond(const Bond* b) const { return b != nullptr && hasBond(b->atom1, b->atom2); }

Bond* bondBetween(const Atom* a, const Atom* b) {
  for (Bond* bond : a->bonds)
    if (bond != nullptr && (bond->atom1 == b || bond->atom2 == b)) return bond;
  return nullptr;
}

float atomDistance(const Atom* a, const Atom* b) {
  const float dx = a->position.x - b->position.x;
  const float dy = a->position.y - b->position.y;
  const float dz = a->position.z - b->position.z;
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

bool Atom::hasTripleBond() const {
  return std::any_of(bonds.begin(), bonds.end(), [](const Bond* b) { return b->order == 3; });
}

bool Atom::hasDoubleBond() const {
  return std::any_of(bonds.begin(), bonds.end(), [](const Bond* b) { return b->order == 2; });
}

bool Atom::hasAllSingleBond() const {
  return std::none_of(bonds.begin(), bonds.end(), [](const Bond* b) { return b->order > 1; });
}

namespace {

// How a formal charge moves the number of bonds an atom makes. Atoms with lone pairs (nitrogen
// to the halogens) make one bond more per plus charge and one fewer per minus charge (N+ four,
// O+ three, O- one); boron and its group take a bond more as an anion (B- four); carbon and its
// group make three bonds as cation and as anion; other atoms (metals) keep the plain magnitude.
int chargeValence(const std::string& element, int charge) {
  static const std::set<std::string> lonePairElements = {
      "N", "P", "As", "Sb", "Bi", "O", "S", "Se", "Te", "F", "Cl", "Br", "I"};
  static const std::set<std::string> boronGroup = {"B", "Al", "Ga", "In", "Tl"};
  if (lonePairElements.count(element) != 0) return -charge;
  if (boronGroup.count(element) != 0) return charge;
  return charge < 0 ? -charge : charge;
}

}  // namespace

bool Atom::givesPiPair() const {
  return isAromatic && piElectrons >= 2 && !hasDoubleBond() && !hasTripleBond();
}

int Atom::getValence() const {
  int sum = chargeValence(element, charge);
  // An aromatic atom takes one more unit for its share of the pi system, except a lone-pair
  // donor (pyrrole nitrogen, furan oxygen, thiophene sulfur): its pi pair is not a bond.
  if (isAromatic && !givesPiPair()) sum += 1;
  return sum + bondValenceSum(this);
}

int bondValenceSum(const Atom* a) {
  int sum = 0;
  for (const Bond* b : a->bonds)
    if (b != nullptr) sum += valenceOfOrder(b->order);
  return sum;
}

void Atom::updateTotalandUsedValence() {
  usedValence = getValence();
  if (allowedValences.empty()) {
    totalValence = usedValence;
    return;
  }
  totalValence = allowedValences.back();
  for (int v : allowedValences) {
    if (v >= usedValence) {
      totalValence = v;
      break;
    }
  }
}

int Atom::getNumTerminalAtoms() const {
  int count = 0;
  for (const Bond* b : bonds) {
    const Atom* other = getAdjacentAtom(const_cast<Bond*>(b));
    if (other != nullptr && !other->isCentre) ++count;
  }
  return count;
}

int Atom::getChiralNeighbourId(const Atom* a) const {
  if (a == nullptr) return -1;
  for (size_t i = 0; i < neighbours.size(); ++i) {
    if (neighbours[i] != nullptr && neighbours[i]->id == a->id) return static_cast<int>(i);
  }
  return -1;
}

bool Atom::isPartOfRing(int ringId) const { return ringIds.count(ringId) != 0; }

int Atom::getNumBondAxis() const {
  return static_cast<int>(
      std::count_if(bonds.begin(), bonds.end(), [](const Bond* b) { return b->isBondAxis; }));
}

bool Atom::addCbond(Bond* b) {
  if (b == nullptr || hasBond(b)) return false;
  bonds.push_back(b);
  ++degree;
  usedValence += valenceOfOrder(b->order);
  return true;
}

bool Atom::withdrawBond(Bond* b) {
  auto it = std::find(bonds.begin(), bonds.end(), b);
  if (it == bonds.end()) return false;
  bonds.erase(it);
  --degree;
  usedValence -= valenceOfOrder(b->order);
  return true;
}

bool Atom::deleteBond(Bond* b) {
  auto it = std::find(bonds.begin(), bonds.end(), b);
  if (b == nullptr || it == bonds.end()) return false;
  const Atom* other = getAdjacentAtom(b);
  if (other != nullptr) {
    auto n = std::find_if(neighbours.begin(), neighbours.end(),
                          [other](const Atom* x) { return x != nullptr && x->id == other->id; });
    if (n != neighbours.end()) {
      neighbours.erase(n);
      piCount = 0;   // the chirality order no longer holds
    }
  }
  bonds.erase(it);
  --degree;
  return true;
}

void Atom::addAo(Ao* o) {
  if (o == nullptr) return;
  o->atom = this;
  o->index = numAos;
  aos.push_back(o);
  ++numAos;
}

void Atom::addBondAxis(BondAxis* x) {
  if (x == nullptr) return;
  x->atom = this;
  hasBondAxis = true;
  bondAxes.push_back(x);
  ++numBondAxes;
}

void Atom::deleteBondAxis(BondAxis* x) {
  auto it = std::find(bondAxes.begin(), bondAxes.end(), x);
  if (x == nullptr || it == bondAxes.end()) return;
  bondAxes.erase(it);
  --numBondAxes;
  if (numBondAxes <= 0) {
    numBondAxes = 0;
    hasBondAxis = false;
  }
  delete x;   // the atom owns its bond-axis records; the spheroid goes to the mesh or is freed
}

bool Atom::addImplicitHydrogen(int n) {
  if (molecule == nullptr) return false;
  for (int i = 0; i < n; ++i) {
    Atom* h = Builder::instance()->createAtom();
    h->element = "H";
    h->totalValence = 1;
    molecule->addAtom(h);
    neighbours.push_back(h);
    h->neighbours.push_back(this);
    if (molecule->addBond(this, h, 1) == 0) return false;
  }
  numImplicitH += n;
  return true;
}

void Atom::copyRecordFields(const Atom& source) {
  name = source.name;
  type = source.type;
  element = source.element;
  superType = source.superType;
  mass = source.mass;
  radius = source.radius;
  groupName = source.groupName;
  groupIndex = source.groupIndex;
  partialCharge = source.partialCharge;
  chainId = source.chainId;
  residueName = source.residueName;
  residueNumber = source.residueNumber;
  serialNumber = source.serialNumber;
  occupancy = source.occupancy;
  bFactor = source.bFactor;
  piElectrons = source.piElectrons;
  isotope = source.isotope;
  piCount = source.piCount;
  smilesTag = source.smilesTag;
  isPlaced = source.isPlaced;
  isPosFix = source.isPosFix;
  position = source.position;
  isHetero = source.isHetero;
  isWater = source.isWater;
  editMark = source.editMark;
  allowedValences = source.allowedValences;
  totalValence = source.totalValence;
  inRing = source.inRing;
  isAromatic = source.isAromatic;
  ringIds = source.ringIds;
  hydrogensAdded = source.hydrogensAdded;
}

Atom* Atom::cloneInto(Molecule* m) const {
  Atom* c = new Atom();
  c->molecule = m;
  c->copyRecordFields(*this);
  c->id = id;
  c->numImplicitH = numImplicitH;
  c->charge = charge;
  c->isCentre = isCentre;
  c->statusFlag = statusFlag;
  c->isSpecial = isSpecial;
  c->isFixed = isFixed;
  c->groupLabel = groupLabel;
  c->variation = variation;
  Mesh* mesh = meshOf(m);
  if (sphere != nullptr) {
    c->sphere = sphere->clone(mesh);
    c->sphere->owner = c;
    c->sphere->kind = SpheroidKind::AtomSphere;
  }
  for (const Ao* o : aos) {
    Ao* copy = new Ao();
    copy->firstValue = o->firstValue;
    copy->secondValue = o->secondValue;
    copy->label = o->label;
    if (o->spheroid != nullptr) {
      copy->spheroid = o->spheroid->clone(mesh);
      copy->spheroid->owner = copy;
      copy->spheroid->kind = SpheroidKind::AtomicOrbital;
    }
    c->addAo(copy);
  }
  return c;
}

Atom* Atom::clone(Molecule* m) const { return cloneInto(m); }

Atom* Atom::clone(Molecule* m, const std::string& groupInstanceName) const {
  Atom* c = cloneInto(m);
  c->groupInstance = groupInstanceName;
  return c;
}

void Atom::takeGroupAndResidueOf(const Atom& from) {
  groupName = from.groupName;
  groupInstance = from.groupInstance;
  chainId = from.chainId;
  residueName = from.residueName;
  residueNumber = from.residueNumber;
  isHetero = from.isHetero;
}
