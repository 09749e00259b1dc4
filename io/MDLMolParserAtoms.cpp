// The counts line and the atom block of a V2000 record.

#include <string>

#include "io/MDLMolParserLines.h"
#include "model/Atom.h"
#include "model/Builder.h"
#include "model/Molecule.h"
#include "parameters/ElementSymbols.h"

namespace mdlread {

namespace {

const int kMaxValenceCode = 15;   // the valence column's largest code; 15 means zero

// The atom block's charge code: 4 (doublet radical) and unknown codes carry no charge.
int chargeFromCode(int code) {
  switch (code) {
    case 1: return 3;
    case 2: return 2;
    case 3: return 1;
    case 5: return -1;
    case 6: return -2;
    case 7: return -3;
    default: return 0;
  }
}

// A stated valence that is the element's usual one keeps the atom's status flag; any other
// (an unusual valence, or any stated valence of a halogen) clears it.
bool isUsualValence(const std::string& element, int valence) {
  if (element == "C") return valence == 4;
  if (element == "H") return valence == 1;
  if (element == "B") return valence == 3 || valence == 4;
  if (element == "N" || element == "P") return valence == 3;
  if (element == "O") return valence == 2;
  if (element == "S") return valence == 6;
  return false;
}

// A text line holds no control bytes but tabs; a binary file renamed to .mol has them at once.
bool hasControlBytes(const std::string& line) {
  return std::any_of(line.begin(), line.end(), [](char c) {
    const unsigned char byte = static_cast<unsigned char>(c);
    return (byte < 0x20 && c != '\t') || byte == 0x7F;
  });
}

}  // namespace

// Lines 1 to 3 and the counts line. False after a message.
bool readHeader(RecordLines& lines, std::string& name, std::string& counts, int& atomCount,
                int& bondCount) {
  std::string header[4];
  for (int i = 0; i < 4; ++i) {
    if (!lines.next(header[i])) {
      if (i == 0)
        ErrorLine() << "Error: MDLMolParser: nothing to read on " << lines.place();
      else
        lines.report("file ends before the counts line, after", header[i - 1]);
      return false;
    }
    // The record's name is known from its first line, so a record that fails later has one.
    if (i == 0) name = trimmed(header[0]);
    if (hasControlBytes(header[i])) {
      ErrorLine() << "Error: MDLMolParser: not a text mol file: control bytes on "
                  << lines.place();
      return false;
    }
  }
  counts = header[3];
  if (trimmed(counts).empty()) {
    lines.report("empty counts line", counts);
    return false;
  }
  if (counts.find("V3000") != std::string::npos) {
    lines.report("V3000 connection tables are not read; counts line", counts);
    return false;
  }
  if (!readInt(columns(counts, 1, 3), false, atomCount)) {
    lines.report("bad atom count in", counts);
    return false;
  }
  if (!readInt(columns(counts, 4, 6), false, bondCount) || bondCount < 0) {
    lines.report("bad bond count in", counts);
    return false;
  }
  if (atomCount < 1) {
    lines.report("no atoms in counts line", counts);
    return false;
  }
  return true;
}

// The property block, or the record's end, where a line of a block should be.
bool endsBondBlock(const std::string& line) {
  return startsWith(line, "M  ") || line.find("$$$$") != std::string::npos;
}

// As endsBondBlock, and a bond line ("  1  2  1  0"): three numbers where the first coordinate
// should be.
bool endsAtomBlock(const std::string& line) {
  if (endsBondBlock(line)) return true;
  float x = 0.0f;
  int first = 0, second = 0, type = 0;
  return !readCoordinate(columns(line, 1, 10), x) && readInt(columns(line, 1, 3), false, first) &&
         readInt(columns(line, 4, 6), false, second) && readInt(columns(line, 7, 9), false, type);
}

// One atom line, added to m as a new atom. False after a message.
bool readAtomLine(const std::string& input, const RecordLines& lines, bool graphOnly,
                  Molecule& m) {
  std::string line = input;
  padTo(line, kLineWidth);
  float x = 0.0f, y = 0.0f, z = 0.0f;
  if (!readCoordinate(columns(line, 1, 10), x) || !readCoordinate(columns(line, 11, 20), y) ||
      !readCoordinate(columns(line, 21, 30), z)) {
    lines.report("bad coordinate in atom line", input);
    return false;
  }
  std::string symbol = columns(line, 32, 34);
  UtilityEngine::instance()->clearWhiteSpaces(symbol);
  // "R" is the open end of a group's bond axis. Any other symbol must be an element the tables
  // can type, as for every reader: "Xx" is no element, and uranium has no atom type.
  const std::string element = symbol == "R" ? symbol : standardElementSymbol(symbol);
  if (element.empty()) {
    lines.report("bad element symbol in atom line", input);
    return false;
  }
  if (element != "R" && !elementHasAtomType(element)) {
    lines.report("element \"" + element + "\" has no atom type in atom line", input);
    return false;
  }
  int chargeCode = 0;
  int valence = 0;
  if (!readInt(columns(line, 37, 39), true, chargeCode)) {
    lines.report("bad charge code in atom line", input);
    return false;
  }
  if (!readInt(columns(line, 49, 51), true, valence) || valence < 0 ||
      valence > kMaxValenceCode) {
    lines.report("bad valence in atom line", input);
    return false;
  }

  const int charge = chargeFromCode(chargeCode);
  const std::string beyond = impossibleCharge(element, charge);
  if (!beyond.empty()) {
    lines.report(beyond + " for atom " + element + std::to_string(m.atoms.size() + 1) +
                     " in atom line",
                 input);
    return false;
  }

  Atom* a = Builder::instance()->createAtom();
  a->charge = charge;
  if (!graphOnly) {
    a->element = element;
    a->position = SSEVector4f(x, y, z, 1.0f);
    a->isPlaced = true;
    a->isFixed = false;
  }
  if (valence == 0) {
    a->statusFlag = true;   // no valence stated: left to the valence completion
  } else {
    a->totalValence = valence == kMaxValenceCode ? 0 : valence;
    a->statusFlag = isUsualValence(element, a->totalValence);
  }
  m.addAtom(a);
  a->name = element + std::to_string(a->id + 1);
  return true;
}

}  // namespace mdlread
