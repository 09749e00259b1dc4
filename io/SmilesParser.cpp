// The SMILES grammar: from text to the bare graph of atoms and bonds with stereo marks.

#include "io/SmilesParser.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <iostream>
#include <set>

#include "math/Constants.h"
#include "math/UtilityEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Builder.h"
#include "model/Molecule.h"
#include "parameters/ElementSymbols.h"
#include "parameters/InputParameters.h"

namespace {

const int kMaxHydrogenCount = 9;
const size_t kLongestQuote = 200;   // bytes of the input an error line quotes
const int kMaxChargeMagnitude = 8;
const size_t kMaxRingNumberDigits = 5;   // in "%(...)"
const float kTransDihedral = kPi;

// The first words of the reader's error lines; what went wrong and where follows on the line.
const char* const kOwnWords = "Error: SmilesParser";
const char* const kUnknownElement = "Eror: Parsing error unknown element";
const char* const kInvalidSmilesSpaced = "Error: invalid Smiles ";   // a misplaced "(" or "["
const char* const kInvalidSmiles = "Error: invalid Smiles";          // a bracket element refused
const char* const kUnexpectedCharacter = "Invalid Smiles";

bool isDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }
bool isLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }
bool isLower(char c) { return std::islower(static_cast<unsigned char>(c)) != 0; }

// Lower-case (aromatic) symbols allowed in brackets.
const std::set<std::string>& aromaticSymbols() {
  static const std::set<std::string> symbols = {"b", "c", "n", "o", "p", "s", "se", "as"};
  return symbols;
}

void link(Atom* a, Atom* b) {
  a->neighbours.push_back(b);
  b->neighbours.push_back(a);
}

void unlink(Atom* a, Atom* b) {
  auto drop = [](Atom* from, Atom* x) {
    auto it = std::find(from->neighbours.begin(), from->neighbours.end(), x);
    if (it != from->neighbours.end()) from->neighbours.erase(it);
  };
  drop(a, b);
  drop(b, a);
}

}  // namespace

SmilesParser::SmilesParser() { Clear(); }

SmilesParser::~SmilesParser() {
  for (auto& entry : stereoRecords) delete entry.second;
}

void SmilesParser::Clear() {
  text.clear();
  doubleBonds.clear();
  branchStack.clear();
  openRings.clear();
  openRingRecord.clear();
  openRingNumbers.clear();
  for (auto& entry : stereoRecords) delete entry.second;
  stereoRecords.clear();
  ringClosureOrderNumbers.clear();
  writtenBonds.clear();
  position = 0;
  pendingOrder = 1;
  bondSymbolWritten = false;
  aromaticAtom = false;
  noBond = false;
  pendingAtCount = 0;
  pendingSlash = -1;
  previousAtom = nullptr;
}

std::string SmilesParser::quoted(const std::string& smiles) {
  // A line of a megabyte is quoted by its start: the message stays one readable line. The cut
  // falls between two characters, so a quoted start never ends in a piece of one.
  if (smiles.size() <= kLongestQuote) return "\"" + smiles + "\"";
  size_t characters = 0;
  for (size_t at = 0; at < smiles.size(); at += utf8CharacterLength(smiles, at)) ++characters;
  const std::string shown = cutAtCharacter(smiles, kLongestQuote) + "... (" +
                            std::to_string(characters) + " characters)";
  return "\"" + shown + "\"";
}

bool SmilesParser::fail(const std::string& what) const { return failAs(kOwnWords, what); }

bool SmilesParser::failAs(const char* lead, const std::string& what) const {
  // A lead that ends in a blank runs straight on into the reason.
  const std::string leadText = lead;
  const char* separator = !leadText.empty() && leadText.back() == ' ' ? "" : ": ";
  ErrorLine() << leadText << separator << what << " in " << quoted(text);
  return false;
}

size_t SmilesParser::countWrittenAtoms(const std::string& smiles) {
  // Outside brackets every capital starts an atom ("Cl" and "Br" once) and so does each
  // aromatic letter; a bracket is one atom.
  static const std::string aromatic = "bcnops";
  size_t count = 0;
  bool inBracket = false;
  for (char c : smiles) {
    if (c == '[') {
      inBracket = true;
      ++count;
    } else if (c == ']') {
      inBracket = false;
    } else if (!inBracket && (std::isupper(static_cast<unsigned char>(c)) != 0 ||
                              aromatic.find(c) != std::string::npos)) {
      ++count;
    }
  }
  return count;
}

void SmilesParser::nameAtom(Atom* atom) const {
  atom->name = atom->element + std::to_string(atom->id + 1);
}

Molecule* SmilesParser::parseSmiles() {
  Molecule* molecule = Builder::instance()->createMolecule();
  bool ok = true;
  while (ok && position < static_cast<int>(text.size())) ok = readSymbol(molecule);
  if (ok && !branchStack.empty()) ok = fail("unclosed branch");
  if (ok && !openRingNumbers.empty())
    ok = fail("unclosed ring number " + std::to_string(openRingNumbers.front()));
  if (ok && bondSymbolWritten) ok = fail("bond symbol without a following atom");
  if (ok && noBond) ok = failAs(kUnexpectedCharacter, "\".\" without a following atom");
  if (ok && molecule->atoms.empty()) ok = fail("no atom");
  if (!ok) {
    delete molecule;
    return nullptr;
  }
  molecule->smiles = text;
  return molecule;
}

bool SmilesParser::readSymbol(Molecule* molecule) {
  const char c = text[static_cast<size_t>(position)];
  auto where = [this]() { return " at position " + std::to_string(position + 1); };
  if (isDigit(c) || c == '%') {
    if (previousAtom == nullptr || molecule->atoms.empty())
      return fail("ring number before any atom" + where());
    return processRing(molecule, c);
  }
  if (isLetter(c)) return addOrganicAtom(molecule);
  if (c == '[') return addBracketAtom(molecule);
  if (c == '(') {
    if (previousAtom == nullptr) return failAs(kInvalidSmilesSpaced, "\"(\" before any atom" + where());
    branchStack.push_back(previousAtom);
  } else if (c == ')') {
    if (branchStack.empty()) return fail("\")\" without an open branch" + where());
    previousAtom = branchStack.back();
    branchStack.pop_back();
  } else if (c == '-' || c == '=' || c == '#') {
    // One bond takes one symbol ("C==C" is no bond), and a bond needs an atom on each side.
    if (bondSymbolWritten)
      return failAs(kUnexpectedCharacter, "second bond symbol \"" + std::string(1, c) + "\"" + where());
    if (noBond) return failAs(kUnexpectedCharacter, "bond symbol after \".\"" + where());
    pendingOrder = c == '-' ? 1 : (c == '=' ? 2 : 3);
    bondSymbolWritten = true;
  } else if (c == ':') {
    // An aromatic bond is what the lower-case atoms on both sides give anyway.
  } else if (c == '@') {
    if (++pendingAtCount > 2) return fail("more than two \"@\" on one atom");
  } else if (c == '.') {
    // A "." parts two fragments: there must be one before it, and no bond waiting.
    if (previousAtom == nullptr) return failAs(kUnexpectedCharacter, "\".\" before any atom" + where());
    if (noBond) return failAs(kUnexpectedCharacter, "\".\" after \".\"" + where());
    if (bondSymbolWritten) return failAs(kUnexpectedCharacter, "\".\" after a bond symbol" + where());
    noBond = true;
  } else if (c == '/' || c == '\\') {
    pendingSlash = c == '/' ? 0 : 1;
  } else if (std::isspace(static_cast<unsigned char>(c)) == 0) {
    // Quoted whole: the first byte of "→" alone is no character.
    return failAs(kUnexpectedCharacter, "unexpected \"" +
                                            utf8CharacterAt(text, static_cast<size_t>(position)) +
                                            "\"" + where());
  }
  ++position;
  return true;
}

std::string SmilesParser::findOrganicElementName(int position, const std::string& text) {
  if (position < 0 || static_cast<size_t>(position) >= text.size()) return "";
  const std::string two = text.substr(static_cast<size_t>(position), 2);
  if (two == "Cl" || two == "Br") return two;
  static const std::string oneLetter = "CcNnOoPpSsFfIiBb";
  const char c = text[static_cast<size_t>(position)];
  if (oneLetter.find(c) != std::string::npos) return std::string(1, c);
  return "";
}

std::string SmilesParser::findElementName(int position, const std::string& desc) {
  if (position < 0 || static_cast<size_t>(position) >= desc.size()) return "";
  const std::string two = desc.substr(static_cast<size_t>(position), 2);
  if (two.size() == 2 && (isElementSymbol(two) || aromaticSymbols().count(two) != 0))
    return two;
  const std::string one = desc.substr(static_cast<size_t>(position), 1);
  if (isElementSymbol(one) || aromaticSymbols().count(one) != 0) return one;
  return "";
}

bool SmilesParser::bondToPrevious(Molecule* molecule, Atom* atom) {
  if (previousAtom == nullptr || noBond) return true;
  Bond* bond = Builder::instance()->createBond();
  bond->atom1 = previousAtom;
  bond->atom2 = atom;
  bond->order = pendingOrder;
  if (pendingSlash >= 0) {
    bond->smilesTag = pendingSlash;
    previousAtom->smilesTag = pendingSlash;
    atom->smilesTag = pendingSlash;
  }
  link(previousAtom, atom);
  if (molecule->addBond(bond) != 1) {
    unlink(previousAtom, atom);
    delete bond;
    return fail("bond " + previousAtom->name + "-" + atom->name + " refused");
  }
  if (bond->order == 2) doubleBonds.push_back(bond);
  if (bondSymbolWritten) writtenBonds.insert(bond);
  auto record = stereoRecords.find(previousAtom);
  if (record != stereoRecords.end()) record->second->take(atom);
  return true;
}

bool SmilesParser::addOrganicAtom(Molecule* molecule) {
  std::string symbol = findOrganicElementName(position, text);
  if (symbol.empty())
    return failAs(kUnknownElement, "\"" + utf8CharacterAt(text, static_cast<size_t>(position)) +
                                       "\" at position " + std::to_string(position + 1));
  const size_t length = symbol.size();
  if (length == 1 && isLower(symbol[0])) {
    symbol[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(symbol[0])));
    aromaticAtom = true;
  }
  Atom* atom = Builder::instance()->createAtom();
  atom->element = symbol;
  atom->isAromatic = aromaticAtom;
  atom->piElectrons = aromaticAtom ? 1 : 0;
  atom->piCount = pendingAtCount;
  molecule->addAtom(atom);
  nameAtom(atom);
  if (!bondToPrevious(molecule, atom)) return false;
  position += static_cast<int>(length);
  finishAtom(atom);
  return true;
}

void SmilesParser::finishAtom(Atom* atom) {
  previousAtom = atom;
  pendingOrder = 1;
  bondSymbolWritten = false;
  pendingAtCount = 0;
  pendingSlash = -1;
  aromaticAtom = false;
  noBond = false;
}

std::string SmilesParser::getAtomDescription(int bracket, const std::string& smiles) const {
  const size_t start = static_cast<size_t>(bracket) + 1;
  if (start > smiles.size()) return "";
  const size_t end = smiles.find(']', start);
  return smiles.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

bool SmilesParser::addBracketAtom(Molecule* molecule) {
  if (text.find(']', static_cast<size_t>(position)) == std::string::npos)
    return failAs(kInvalidSmilesSpaced,
                  "\"[\" without \"]\" at position " + std::to_string(position + 1));
  const std::string desc = getAtomDescription(position, text);
  if (desc.empty())
    return failAs(kInvalidSmilesSpaced, "empty brackets at position " + std::to_string(position + 1));
  if (!buildAtomFromDesc(desc, molecule)) return false;
  position += static_cast<int>(desc.size()) + 2;
  return true;
}

bool SmilesParser::getNumOfImplicitHydrogens(int& at, const std::string& desc, int& count) const {
  ++at;   // past the "H"
  std::string digits;
  while (static_cast<size_t>(at) < desc.size() && isDigit(desc[static_cast<size_t>(at)]) &&
         digits.size() < 3)
    digits += desc[static_cast<size_t>(at++)];
  count = digits.empty() ? 1 : std::stoi(digits);
  if (count > kMaxHydrogenCount) return fail("hydrogen count \"" + digits + "\" out of range");
  return true;
}

// "+", "++", "+2" and "-", "--", "-3": a run of one sign, or one sign and a number.
bool SmilesParser::getCharge(int& at, const std::string& desc, int& charge) const {
  const char sign = desc[static_cast<size_t>(at)];
  int run = 0;
  while (static_cast<size_t>(at) < desc.size() && desc[static_cast<size_t>(at)] == sign) {
    ++run;
    ++at;
  }
  std::string digits;
  while (static_cast<size_t>(at) < desc.size() && isDigit(desc[static_cast<size_t>(at)]) &&
         digits.size() < 3)
    digits += desc[static_cast<size_t>(at++)];
  if (!digits.empty() && run > 1) return fail("charge \"" + desc + "\" has a sign run and a number");
  const int magnitude = digits.empty() ? run : std::stoi(digits);
  if (magnitude > kMaxChargeMagnitude) return fail("charge \"" + desc + "\" out of range");
  charge = sign == '+' ? magnitude : -magnitude;
  return true;
}

bool SmilesParser::buildAtomFromDesc(const std::string& desc, Molecule* molecule) {
  BracketAtom parsed;
  return readBracketAtom(desc, parsed) && placeBracketAtom(parsed, desc, molecule);
}

bool SmilesParser::readBracketAtom(const std::string& desc, BracketAtom& out) const {
  int at = 0;
  std::string isotope;
  while (static_cast<size_t>(at) < desc.size() && isDigit(desc[static_cast<size_t>(at)])) {
    isotope += desc[static_cast<size_t>(at++)];
    if (isotope.size() > 3) return fail("isotope in \"[" + desc + "]\" too long");
  }
  // The mass number is kept apart: "13C" is still carbon for every table.
  out.isotope = isotope.empty() ? 0 : std::stoi(isotope);
  std::string symbol = findElementName(at, desc);
  if (symbol.empty()) return failAs(kInvalidSmiles, "no element symbol in \"[" + desc + "]\"");
  at += static_cast<int>(symbol.size());
  out.aromatic = isLower(symbol[0]);
  symbol[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(symbol[0])));
  if (symbol != "H" && !elementHasAtomType(symbol))
    return failAs(kInvalidSmiles, "element \"" + symbol + "\" has no atom type");
  out.element = symbol;

  bool hydrogensSeen = false;
  bool chargeSeen = false;
  while (static_cast<size_t>(at) < desc.size()) {
    const char c = desc[static_cast<size_t>(at)];
    if (c == 'H' && symbol != "H" && !hydrogensSeen) {
      hydrogensSeen = true;
      if (!getNumOfImplicitHydrogens(at, desc, out.hydrogens)) return false;
    } else if ((c == '+' || c == '-') && !chargeSeen) {
      chargeSeen = true;
      if (!getCharge(at, desc, out.charge)) return false;
    } else if (c == '@') {
      if (++out.atCount > 2) return fail("more than two \"@\" in \"[" + desc + "]\"");
      ++at;
    } else {
      return fail("unexpected \"" + utf8CharacterAt(desc, static_cast<size_t>(at)) + "\" in \"[" +
                  desc + "]\"");
    }
  }
  const std::string beyond = impossibleCharge(out.element, out.charge);
  if (!beyond.empty())
    return fail(beyond + " in \"[" + desc + "]\" at position " + std::to_string(position + 1));
  return true;
}

bool SmilesParser::placeBracketAtom(const BracketAtom& parsed, const std::string& desc,
                                    Molecule* molecule) {
  Atom* atom = Builder::instance()->createAtom();
  atom->element = parsed.element;
  atom->isotope = parsed.isotope;
  atom->isAromatic = parsed.aromatic;
  atom->piElectrons = parsed.aromatic ? 1 : 0;
  atom->statusFlag = false;
  atom->charge = parsed.charge;
  atom->piCount = parsed.atCount;
  molecule->addAtom(atom);
  nameAtom(atom);
  ChiralCenters* record = nullptr;
  if (parsed.atCount > 0) {
    record = new ChiralCenters();
    record->centre = atom;
    stereoRecords[atom] = record;
    if (previousAtom != nullptr && !noBond) record->take(previousAtom);
  }

  for (int h = 0; h < parsed.hydrogens; ++h) {
    Atom* hydrogen = Builder::instance()->createAtom();
    hydrogen->element = "H";
    hydrogen->totalValence = 1;
    molecule->addAtom(hydrogen);
    if (record != nullptr) record->take(hydrogen);
    link(atom, hydrogen);
    if (molecule->addBond(atom, hydrogen, 1) != 1) {
      unlink(atom, hydrogen);
      return fail("hydrogen of \"[" + desc + "]\" refused");
    }
  }
  atom->numImplicitH += parsed.hydrogens;

  // A slash before a bracket atom marks its bond like any other.
  if (!bondToPrevious(molecule, atom)) return false;
  finishAtom(atom);
  return true;
}

SmilesParser::RingOpening* SmilesParser::ringExist(int number) {
  const auto open = openRingRecord.find(number);
  return open == openRingRecord.end() ? nullptr : &openRings[open->second];
}

void SmilesParser::addAtomToRings(int atomId) {
  for (RingOpening& r : openRings)
    if (!r.closed) r.memberAtomIds.push_back(atomId);
}

void SmilesParser::addBondToRings(int bondId) {
  for (RingOpening& r : openRings)
    if (!r.closed) r.memberBondIds.push_back(bondId);
}

void SmilesParser::removeFromCurrentRings(int number) {
  openRingNumbers.erase(std::remove(openRingNumbers.begin(), openRingNumbers.end(), number),
                        openRingNumbers.end());
}

bool SmilesParser::readRingNumber(char c, int& number) {
  if (c != '%') {
    number = c - '0';
    position += 1;
    return true;
  }
  const size_t at = static_cast<size_t>(position) + 1;
  if (at < text.size() && text[at] == '(') {
    // "%(123)": ring numbers past 99, as large sets of fused rings need them.
    size_t end = at + 1;
    while (end < text.size() && isDigit(text[end]) && end - at <= kMaxRingNumberDigits) ++end;
    if (end == at + 1 || end >= text.size() || text[end] != ')')
      return fail("\"%(\" needs one to " + std::to_string(kMaxRingNumberDigits) +
                  " digits and \")\" at position " + std::to_string(position + 1));
    number = std::stoi(text.substr(at + 1, end - at - 1));
    position = static_cast<int>(end) + 1;
    return true;
  }
  if (at + 1 >= text.size() || !isDigit(text[at]) || !isDigit(text[at + 1]))
    return fail("\"%\" needs two digits at position " + std::to_string(position + 1));
  number = (text[at] - '0') * 10 + (text[at + 1] - '0');
  position += 3;
  return true;
}

bool SmilesParser::processRing(Molecule* molecule, char c) {
  int number = 0;
  if (!readRingNumber(c, number)) return false;
  // The bond symbol before a ring digit belongs to the ring bond, not to the next atom; so does
  // a "/" or "\": in Cl/C=C/1CCCCN1 it marks the bond to N, and the chain bond to the next C
  // carries none.
  const int writtenOrder = bondSymbolWritten ? pendingOrder : 0;
  const int writtenSlash = pendingSlash;
  pendingOrder = 1;
  bondSymbolWritten = false;
  pendingSlash = -1;

  RingOpening* open = ringExist(number);
  if (open != nullptr) return closeRing(molecule, *open, writtenOrder, writtenSlash);
  RingOpening record;
  record.number = number;
  record.atomId = previousAtom->id;
  record.order = writtenOrder;
  record.slash = writtenSlash;
  openRingRecord[number] = openRings.size();
  openRings.push_back(record);
  openRingNumbers.push_back(number);
  auto centre = stereoRecords.find(previousAtom);
  if (centre != stereoRecords.end()) ringClosureOrderNumbers[number] = centre->second->nextOrder++;
  return true;
}

bool SmilesParser::closeRing(Molecule* molecule, RingOpening& open, int writtenOrder,
                             int writtenSlash) {
  const std::string ringName = "ring " + std::to_string(open.number);
  if (open.atomId < 0 || static_cast<size_t>(open.atomId) >= molecule->atoms.size())
    return fail(ringName + " lost its opening atom");
  Atom* opening = molecule->atoms[static_cast<size_t>(open.atomId)];
  if (opening == previousAtom) return fail(ringName + " closes on its own atom");
  if (open.order != 0 && writtenOrder != 0 && open.order != writtenOrder)
    return fail(ringName + " has two different bond orders");
  Bond* bond = Builder::instance()->createBond();
  bond->atom1 = opening;
  bond->atom2 = previousAtom;
  bond->order = writtenOrder != 0 ? writtenOrder : (open.order != 0 ? open.order : 1);
  link(opening, previousAtom);
  if (molecule->addBond(bond) != 1) {
    unlink(opening, previousAtom);
    delete bond;
    return fail(ringName + " repeats a bond");
  }
  if (bond->order == 2) doubleBonds.push_back(bond);
  if (writtenOrder != 0 || open.order != 0) writtenBonds.insert(bond);
  // The bond runs from the opening atom to this one. A mark at the opening digit reads that way;
  // one at the closing digit reads back, from this atom to the opening one, and holds when the
  // two disagree, as other readers take it.
  const int tag = writtenSlash >= 0 ? 1 - writtenSlash : open.slash;
  if (tag >= 0) {
    bond->smilesTag = tag;
    opening->smilesTag = tag;
    previousAtom->smilesTag = tag;
  }
  open.bondId = bond->id;
  open.closed = true;
  openRingRecord.erase(open.number);
  removeFromCurrentRings(open.number);

  // The closure takes, at each stereo centre, the place its digit had in the writing.
  auto openingRecord = stereoRecords.find(opening);
  auto reserved = ringClosureOrderNumbers.find(open.number);
  if (openingRecord != stereoRecords.end() && reserved != ringClosureOrderNumbers.end())
    openingRecord->second->neighbourOrder[previousAtom] = reserved->second;
  if (reserved != ringClosureOrderNumbers.end()) ringClosureOrderNumbers.erase(reserved);
  auto closingRecord = stereoRecords.find(previousAtom);
  if (closingRecord != stereoRecords.end()) closingRecord->second->take(opening);
  return true;
}

void SmilesParser::orderStereoNeighbours() {
  for (auto& entry : stereoRecords) {
    Atom* centre = entry.first;
    std::vector<std::pair<int, Atom*> > ranked;
    for (const auto& n : entry.second->neighbourOrder) ranked.emplace_back(n.second, n.first);
    std::sort(ranked.begin(), ranked.end(),
              [](const std::pair<int, Atom*>& a, const std::pair<int, Atom*>& b) {
                return a.first < b.first;
              });
    std::vector<Atom*> ordered;
    for (const auto& r : ranked)
      if (std::find(centre->neighbours.begin(), centre->neighbours.end(), r.second) !=
          centre->neighbours.end())
        ordered.push_back(r.second);
    // A neighbour without an order number keeps its place after the ordered ones.
    for (Atom* n : centre->neighbours)
      if (std::find(ordered.begin(), ordered.end(), n) == ordered.end()) ordered.push_back(n);
    centre->neighbours = ordered;
  }
}

// A slash is read from the atom written first to the one written second: "F/C" and "C\F" say
// the same. Each side's mark is turned to read towards the double bond before the two are
// compared, so C(/F)=C/F comes out cis like F\C=C/F. Two marks on one end that read the same
// way (F/C(\Cl)=C/F, or C/1CCCN/C1=C/Cl, where the marks of the ring bond and of the chain bond
// to C6 agree) place both neighbours on one side: the double bond is left without a side, with a
// warning, as other toolkits read it.
void SmilesParser::setCisOrTrans() {
  // The first marked neighbour and its mark, -1 when there is none; clash is set when a later
  // neighbour's mark reads the same way.
  auto sideMark = [](const Bond* doubleBond, Atom* end, Atom*& neighbour, Atom*& clash) {
    int mark = -1;
    for (Bond* b : end->bonds) {
      if (b == doubleBond || b->order == 2 || b->smilesTag < 0) continue;
      Atom* other = end->getAdjacentAtom(b);
      if (other == nullptr || other->smilesTag < 0) continue;
      // Towards the double bond on the first side means other written before end.
      const int towards = b->atom2 == end ? b->smilesTag : 1 - b->smilesTag;
      if (mark < 0) {
        neighbour = other;
        mark = towards;
      } else if (towards == mark && clash == nullptr) {
        clash = other;
      }
    }
    return mark;
  };
  for (Bond* d : doubleBonds) {
    if (d->atom1 == nullptr || d->atom2 == nullptr) continue;
    if (d->atom1->smilesTag < 0 || d->atom2->smilesTag < 0) continue;
    Atom* n1 = nullptr;
    Atom* n2 = nullptr;
    Atom* clash1 = nullptr;
    Atom* clash2 = nullptr;
    const int first = sideMark(d, d->atom1, n1, clash1);
    int second = sideMark(d, d->atom2, n2, clash2);
    if (clash1 != nullptr || clash2 != nullptr) {
      const Atom* end = clash1 != nullptr ? d->atom1 : d->atom2;
      ErrorLine() << "Warning: SmilesParser: the marks on " << end->name << "'s bonds to "
                  << (clash1 != nullptr ? n1 : n2)->name << " and "
                  << (clash1 != nullptr ? clash1 : clash2)->name
                  << " put both on one side: the double bond " << d->atom1->name << "="
                  << d->atom2->name << " is left without a side in " << quoted(text);
      continue;
    }
    if (first < 0 || second < 0) continue;
    // On the far side the mark reads away from the double bond: atom2 then its neighbour.
    second = 1 - second;
    d->dihedralAtom1 = n1;
    d->dihedralAtom2 = n2;
    d->hasDihedral = true;
    d->dihedral = first == second ? kTransDihedral : 0.0f;
  }
}
