#pragma once

// Shared set-up of the PDB tests: one application object per binary (the file singleton holds
// widget items), a silenced console, a fresh folder, and small queries on read molecules.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "io/PDBParser.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "support/ErrorCapture.h"
#include "support/FileFixture.h"

namespace pdbtest {

namespace fs = std::filesystem;

// An HIV protease with an inhibitor, from the installed molecular-graphics data.
const std::string kProtease = "/usr/share/pymol/data/tut/1hpv.pdb";

// A file of tests/data.
inline std::string dataPath(const std::string& name) {
  return std::string(KV_TEST_DATA_DIR) + "/" + name;
}

// The atom records of residues first to last of one chain of a PDB file, in file order; none
// (so the calling test fails) when the file is missing.
inline std::string residueRecords(const std::string& path, char chain, int first, int last) {
  std::ifstream in(path);
  EXPECT_TRUE(in.is_open()) << path << " missing: scripts/setup.sh installs it";
  std::string out;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("ATOM", 0) != 0 || line.size() < 27 || line[21] != chain) continue;
    const int number = std::atoi(line.substr(22, 4).c_str());
    if (number >= first && number <= last) out += line + "\n";
  }
  return out;
}

class PDBFixture : public kvtest::FileFixture {
 protected:
  PDBFixture() : kvtest::FileFixture("pdb_") {}

  // Reads PDB text through the stream reader; the molecules are freed in TearDown.
  std::vector<Molecule*> read(const std::string& text) {
    std::istringstream in(text);
    std::vector<Molecule*> out;
    parser.parsePDBFile(in, out);
    molecules.insert(molecules.end(), out.begin(), out.end());
    return out;
  }

  // Reads a PDB file; the molecules are freed in TearDown.
  std::vector<Molecule*> readPath(const std::string& path) {
    std::vector<Molecule*> out;
    parser.parsePDBFile(path, out);
    molecules.insert(molecules.end(), out.begin(), out.end());
    return out;
  }

  // The one molecule of a file of tests/data; null, and a failure, when it reads as none or
  // several.
  Molecule* readData(const std::string& name) {
    const std::vector<Molecule*> out = readPath(dataPath(name));
    EXPECT_EQ(1u, out.size()) << name;
    return out.size() == 1 ? out[0] : nullptr;
  }

  std::string writeFile(const std::string& name, const std::string& text) {
    const std::string path = (folder / name).string();
    std::ofstream(path) << text;
    return path;
  }

  PDBParser parser;
};

// Files written into the test's folder and read, with the error lines of the read kept.
class PDBFileFixture : public PDBFixture {
 protected:
  std::vector<Molecule*> readFile(const std::string& name, const std::string& text) {
    kvtest::ErrorCapture errorLog;
    const std::vector<Molecule*> out = readPath(writeFile(name, text));
    errors = errorLog.text();
    return out;
  }

  std::string errors;
};

inline Atom* findAtom(const Molecule* m, const std::string& name, int residueNumber,
                      const std::string& chain = "") {
  for (Atom* a : m->atoms)
    if (a->name == name && a->residueNumber == residueNumber &&
        (chain.empty() || a->chainId == chain))
      return a;
  return nullptr;
}

// The order of the bond between two named atoms; 0 when either is missing or they are not
// bonded.
inline int orderBetween(const Molecule* m, const std::string& a, int residueA,
                        const std::string& b, int residueB) {
  const Atom* x = findAtom(m, a, residueA);
  const Atom* y = findAtom(m, b, residueB);
  if (x == nullptr || y == nullptr) return 0;
  for (const Bond* bond : x->bonds)
    if (bond->atom1 == y || bond->atom2 == y) return bond->order;
  return 0;
}

inline int largestValence(const Atom* a) {
  int largest = 0;
  for (int v : a->allowedValences) largest = std::max(largest, v);
  return largest;
}

// The valences an atom's bonds use, an aromatic bond counted as one.
inline int orderSum(const Atom* a) {
  int sum = 0;
  for (const Bond* b : a->bonds) sum += valenceOfOrder(b->order);
  return sum;
}

// The sum of bond orders of every atom fits its largest valence (widened by a charge).
inline void expectNoOverValentAtom(const Molecule* m, const std::string& what) {
  for (const Atom* a : m->atoms)
    EXPECT_LE(orderSum(a), largestValence(a) + std::abs(a->charge)) << what << " " << a->name;
}

// One atom record in its columns; name is placed from column 13 as given (" CA " style names
// need their leading blank), element right-aligned in columns 77-78.
inline std::string atomLine(const char* record, int serial, const char* name, const char* residue,
                            char chain, int number, float x, float y, float z,
                            const char* element) {
  char buffer[100];
  std::snprintf(buffer, sizeof buffer, "%-6s%5d %-4s %3s %c%4d    %8.3f%8.3f%8.3f%22s%2s\n",
                record, serial, name, residue, chain, number, x, y, z, "", element);
  return buffer;
}

}  // namespace pdbtest
