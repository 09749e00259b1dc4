#include "assembly/BondOrbitalConverter.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

#include "assembly/ListLines.h"
#include "math/Constants.h"
#include "math/UtilityEngine.h"

namespace orbitalconverter {

std::vector<NU*> atoms;
std::vector<MO*> bonds;
std::vector<ANGLE*> angles;
int natoms = 0, nbonds = 0, nangles = 0;
int ybond = -1, xybond = -1;

namespace {

const double kDegree = kPiWidened / 180.0;
const double kMirrorToleranceDeg = 0.1;
const double kSmallX = 1e-6;   // an xy orbital closer than this to the y axis has no x to solve by

enum class Section {
  Names, Smiles, Atoms, Ao, Bonds, Angles, Data, Values, Targets, Context, Emag
};

// The texts carried from input to output.
struct Texts {
  std::string names, smiles, ao, data, targets, context;
  float emag = 0.0f;
};

void clearTables() {
  for (NU* a : atoms) delete a;
  for (MO* b : bonds) delete b;
  for (ANGLE* g : angles) delete g;
  atoms.clear();
  bonds.clear();
  angles.clear();
  natoms = nbonds = nangles = 0;
  ybond = xybond = -1;
}

bool sectionHeader(const std::string& line, Section& section) {
  static const std::pair<const char*, Section> kHeaders[] = {
      {"#SMILES", Section::Smiles}, {"#ATOMS", Section::Atoms},   {"#AO", Section::Ao},
      {"#BONDS", Section::Bonds},   {"#ANGLES", Section::Angles}, {"#DATA", Section::Data},
      {"#VALUES", Section::Values}, {"#TARGETS", Section::Targets},
      {"#CONTEXT", Section::Context}, {"#EMAG", Section::Emag}};
  if (line.find("#NAMES") != std::string::npos) {
    section = Section::Names;
    return true;
  }
  for (const auto& header : kHeaders)
    if (line == header.first) {
      section = header.second;
      return true;
    }
  return false;
}

bool readDataLine(Section section, const std::string& line, Texts& texts) {
  std::istringstream fields(line);
  switch (section) {
    case Section::Names: texts.names += line + "\n"; return true;
    case Section::Smiles: texts.smiles = line; return true;
    case Section::Atoms: return makeAtom(fields);
    case Section::Bonds: return makeBond(fields);
    case Section::Angles: return makeAngle(fields);
    case Section::Ao: texts.ao += line + "\n"; return true;
    case Section::Data: texts.data += line + "\n"; return true;
    case Section::Targets: texts.targets += line + "\n"; return true;
    case Section::Context: texts.context += line + "\n"; return true;
    case Section::Emag: return listfile::parseFloat(line, texts.emag);
    case Section::Values: return true;
  }
  return true;
}

// Direction angles of a bond axis: 0, yaw and pitch in degrees.
void setDirectionAngles(MO* mo, const Vect& d) {
  double yaw = -std::atan2(d.z, d.x) / kDegree;
  double pitch = std::asin(std::max(-1.0, std::min(1.0, d.y))) / kDegree;
  if (std::fabs(yaw) < 0.0001 && d.x < 0.0) {
    yaw = 0.0;
    pitch = 180.0 - pitch;
  }
  mo->directionAngles[0] = 0.0;
  mo->directionAngles[1] = yaw;
  mo->directionAngles[2] = pitch;
}

// Places the outer atom of a two-atom orbital (atom1 unless it is placed already) along the
// direction at the orbital's length, or records the angles of a bond axis.
void placeAlong(MO* mo, const Vect& direction) {
  if (mo->kind == 0) {
    NU* outer = mo->atom1 != nullptr && !mo->atom1->placed ? mo->atom1 : mo->atom2;
    const Vect point = findPoint(direction, mo->length, Vect());
    if (outer != nullptr) {
      outer->position = point;
      outer->placed = true;
    }
    mo->direction = point;
  } else {
    setDirectionAngles(mo, direction);
    mo->direction = direction;
  }
  mo->solved = true;
}

NU* atomOf(const MO* mo) { return mo->atom1 != nullptr ? mo->atom1 : mo->atom2; }

// The first bond axis, else the first orbital, along +y.
bool setUpFrame() {
  if (bonds.empty()) return false;
  auto axis = std::find_if(bonds.begin(), bonds.end(), [](const MO* b) { return b->kind == 1; });
  MO* y = axis != bonds.end() ? *axis : bonds.front();
  y->direction = Vect{0.0, 1.0, 0.0};
  y->directionAngles[0] = 0.0;
  y->directionAngles[1] = 0.0;
  y->directionAngles[2] = 90.0;
  ybond = y->id;
  if (y->kind == 1) {
    atomOf(y)->placed = true;
  } else {
    y->atom1->placed = true;
    y->atom2->position = Vect{0.0, y->length, 0.0};
    y->atom2->placed = true;
  }
  y->solved = true;
  return true;
}

bool solveAll() {
  if (!setUpFrame()) return false;
  double xyAngle = 0.0;
  MO* xy = findXyMo(ybond, xyAngle);
  if (xy == nullptr) return false;
  xybond = xy->id;
  solveXyMo(xy, xyAngle);
  // Each pass solves one orbital, so this ends.
  while (MO* mo = findUnsolvedMo()) {
    Vect yDirection, xyDirection, otherDirection;
    double yAngle = 0.0, xyPartnerAngle = 0.0, otherAngle = 0.0;
    const int third = findRelativeAngles(mo, yDirection, yAngle, xyDirection, xyPartnerAngle,
                                         otherDirection, otherAngle);
    if (third < 0 || !solveMo(mo, yDirection, yAngle, xyDirection, xyPartnerAngle,
                              otherDirection, otherAngle, third))
      return false;
  }
  return true;
}

void write(std::ostream& out, const Texts& texts) {
  out << "#NAMES\n" << texts.names << "#SMILES\n" << texts.smiles << "\n";
  if (!texts.context.empty()) out << "#VARIATION\n" << texts.context << "\n";
  out << "#ATOMS\n";
  for (const NU* a : atoms)
    out << a->id << " " << a->name << " " << a->position.x << " " << a->position.y << " "
        << a->position.z << " \n";
  out << "#AO\n" << texts.ao << "\n#BONDS\n";
  int line = 0;
  for (const MO* b : bonds)
    if (b->kind == 0)
      out << ++line << " " << b->atom1->id << " " << b->atom2->id << " " << b->column4 << " "
          << b->column5 << " " << b->column7 << "\n";
  out << "#BONDAXES\n";
  for (const MO* b : bonds)
    if (b->kind == 1)
      out << b->id << " " << atomOf(b)->id << " " << b->column4 << " " << b->directionAngles[2]
          << " " << b->directionAngles[0] << " " << b->directionAngles[1] << "\n";
  if (!texts.targets.empty()) out << "#TARGETS\n" << texts.targets << "\n";
  if (texts.emag != 0.0f) out << "#EMAG\n" << texts.emag << "\n";
  out << "#DATA\n" << texts.data << "\n" << std::endl;
}

}  // namespace

double Vect::normalize() {
  const double length = std::sqrt(x * x + y * y + z * z);
  if (length != 0.0) {
    x /= length;
    y /= length;
    z /= length;
  }
  return length;
}

NU* getAtom(int id) {
  return id >= 1 && static_cast<size_t>(id) <= atoms.size() ? atoms[id - 1] : nullptr;
}

MO* getBond(int id) {
  return id >= 1 && static_cast<size_t>(id) <= bonds.size() ? bonds[id - 1] : nullptr;
}

ANGLE* getAngle(int id) {
  return id >= 1 && static_cast<size_t>(id) <= angles.size() ? angles[id - 1] : nullptr;
}

MO* findUnsolvedMo() {
  for (MO* b : bonds)
    if (!b->solved) return b;
  return nullptr;
}

bool moSolved() { return findUnsolvedMo() == nullptr; }

MO* findXyMo(int yId, double& angle) {
  for (const ANGLE* g : angles) {
    MO* partner = g->mo1->id == yId ? g->mo2 : (g->mo2->id == yId ? g->mo1 : nullptr);
    if (partner != nullptr && !partner->solved) {
      angle = g->angle;
      return partner;
    }
  }
  return nullptr;
}

int findRelativeAngles(MO* mo, Vect& yDirection, double& yAngle, Vect& xyDirection,
                       double& xyAngle, Vect& otherDirection, double& otherAngle) {
  bool haveY = false, haveXy = false, haveOther = false;
  for (const ANGLE* g : angles) {
    const MO* partner = g->mo1 == mo ? g->mo2 : (g->mo2 == mo ? g->mo1 : nullptr);
    if (partner == nullptr || !partner->solved) continue;
    if (partner->id == ybond) {
      yDirection = partner->direction;
      yAngle = g->angle;
      haveY = true;
    } else if (partner->id == xybond) {
      xyDirection = partner->direction;
      xyAngle = g->angle;
      haveXy = true;
    } else if (!haveOther) {
      otherDirection = partner->direction;
      otherAngle = g->angle;
      haveOther = true;
    }
  }
  if (!haveY || !haveXy) {
    printError(haveY ? "Angle with xybond not found" : "Angle with +y axis not found");
    return -1;
  }
  return haveOther ? 1 : 0;
}

Vect findPoint(Vect direction, double distance, Vect start) {
  double length = std::sqrt(direction.x * direction.x + direction.y * direction.y +
                            direction.z * direction.z);
  if (length == 0.0) {
    printError("Error: direction vector is zero");
    length = 1.0;
  }
  const double scale = distance / length;
  return Vect{start.x + direction.x * scale, start.y + direction.y * scale,
              start.z + direction.z * scale};
}

bool solveMo(MO* mo, Vect yDirection, double yAngle, Vect xyDirection, double xyAngle,
             Vect otherDirection, double otherAngle, int useOther) {
  yDirection.normalize();
  xyDirection.normalize();
  otherDirection.normalize();
  if (std::fabs(xyDirection.x) < kSmallX) return false;
  const double cy = std::cos(yAngle * kDegree);
  const double cxy = std::cos(xyAngle * kDegree);
  const double x = (cxy - cy * xyDirection.y) / xyDirection.x;
  const double zSquared = 1.0 - x * x - cy * cy;
  Vect d{x, cy, zSquared > 0.0 ? std::sqrt(zSquared) : 0.0};
  if (useOther != 0) {
    // Two mirror solutions meet the first two angles; the third picks one.
    const double length = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
    const double dot = d.x * otherDirection.x + d.y * otherDirection.y + d.z * otherDirection.z;
    const double cosine = length > 0.0 ? std::max(-1.0, std::min(1.0, dot / length)) : 1.0;
    if (std::fabs(std::acos(cosine) / kDegree - otherAngle) > kMirrorToleranceDeg) d.z = -d.z;
  }
  placeAlong(mo, d);
  return true;
}

void solveXyMo(MO* mo, double angle) {
  const double c = std::cos(angle * kDegree);
  double s = std::sqrt(std::max(0.0, 1.0 - c * c));
  if (angle > 180.0) s = -s;
  placeAlong(mo, Vect{s, c, 0.0});
}

bool makeAtom(std::istream& line) {
  int ignored = 0;
  NU* atom = new NU();
  if (!(line >> ignored >> atom->name)) {
    delete atom;
    return false;
  }
  atom->id = ++natoms;
  atoms.push_back(atom);
  return true;
}

bool makeBond(std::istream& line) {
  int ignored = 0, id1 = 0, id2 = 0, column4 = 0;
  double column5 = 0.0, length = 0.0;
  float column7 = 0.0f;
  if (!(line >> ignored >> id1 >> id2 >> column4 >> column5 >> length >> column7)) return false;
  MO* mo = new MO();
  mo->kind = id1 != 0 && id2 != 0 ? 0 : 1;
  mo->atom1 = getAtom(id1);
  if (mo->kind == 0) mo->atom2 = getAtom(id2);
  // Every orbital needs the atoms it names; a bond axis needs its one atom.
  if (mo->atom1 == nullptr || (mo->kind == 0 && mo->atom2 == nullptr)) {
    delete mo;
    return false;
  }
  mo->column4 = column4;
  mo->column5 = column5;
  mo->length = length;
  mo->column7 = column7;
  mo->id = ++nbonds;
  bonds.push_back(mo);
  return true;
}

bool makeAngle(std::istream& line) {
  int id1 = 0, id2 = 0;
  double degrees = 0.0;
  if (!(line >> id1 >> id2 >> degrees)) return false;
  MO* first = getBond(id1);
  MO* second = getBond(id2);
  if (first == nullptr || second == nullptr) return false;
  ANGLE* g = new ANGLE();
  g->mo1 = first;
  g->mo2 = second;
  g->angle = degrees;
  g->id = ++nangles;
  angles.push_back(g);
  return true;
}

bool convert(const char* fileName, std::ostream& out) {
  clearTables();
  if (fileName == nullptr) return false;
  std::ifstream in(fileName);
  if (!in.is_open()) {
    ErrorLine() << "can not open file " << fileName;
    return false;
  }
  return convert(in, out);
}

bool convert(std::istream& in, std::ostream& out) {
  clearTables();
  if (!in.good()) return false;
  Texts texts;
  Section section = Section::Names;
  std::string line;
  bool read = true;
  while (read && std::getline(in, line)) {
    line = listfile::trimmed(line);
    if (line.empty() || sectionHeader(line, section)) continue;
    if (!readDataLine(section, line, texts)) {
      ErrorLine() << "Error: bad line \"" << line << "\"";
      read = false;
    }
  }
  const bool solved = read && solveAll();
  if (solved)
    write(out, texts);
  else
    printError("Error: convert failed");
  clearTables();
  return solved;
}

}  // namespace orbitalconverter
