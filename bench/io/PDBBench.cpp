// A whole PDB read: an HIV protease with its inhibitor and waters (1,631 atoms in the file,
// about 3,400 with hydrogens) through residue bonding, perception, set-up and energies; and a
// file full of ligands whose bonds CONECT records list, each residue's orders perceived.

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "io/IOEngine.h"
#include "io/PDBParser.h"
#include "math/UtilityEngine.h"
#include "model/Molecule.h"
#include "tests/support/QtApplication.h"

namespace {

const char* kProtease = "/usr/share/pymol/data/tut/1hpv.pdb";

// Copies of the thirteen test ligands (every bond listed, multiple bonds named repeatedly, with
// hydrogens), each copy moved 250 A along z with its serials and residue numbers shifted: one
// model of copies x 13 ligand residues. Empty when the file is missing.
std::string ligandFile(int copies) {
  std::ifstream in(std::string(KV_TEST_DATA_DIR) + "/pdb-ligand-conect-orders-h.pdb");
  std::vector<std::string> atoms, conects;
  int atomCount = 0;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("HETATM", 0) == 0) {
      atoms.push_back(line);
      ++atomCount;
    } else if (line.rfind("CONECT", 0) == 0) {
      conects.push_back(line);
    }
  }
  std::string out;
  char field[16];
  for (int c = 0; c < copies; ++c) {
    const int shift = c * atomCount;
    for (std::string line : atoms) {
      std::snprintf(field, sizeof field, "%5d", std::stoi(line.substr(6, 5)) + shift);
      line.replace(6, 5, field);
      std::snprintf(field, sizeof field, "%4d", std::stoi(line.substr(22, 4)) + c * 13);
      line.replace(22, 4, field);
      std::snprintf(field, sizeof field, "%8.3f", std::stof(line.substr(46, 8)) + 250.0f * c);
      line.replace(46, 8, field);
      out += line + "\n";
    }
  }
  for (int c = 0; c < copies; ++c)
    for (const std::string& line : conects) {
      std::istringstream fields(line.substr(6));
      std::string text = "CONECT";
      for (int serial; fields >> serial;) {
        std::snprintf(field, sizeof field, "%5d", serial + c * atomCount);
        text += field;
      }
      out += text + "\n";
    }
  return atoms.empty() ? std::string() : out + "END\n";
}

// Times read(parser, out) per iteration, console silenced; counts the atoms of the first
// molecule read, and a read that gives none is the error missing.
template <class Read>
void timeRead(benchmark::State& state, const char* missing, Read&& read) {
  kvtest::ensureApplication();
  IOEngine::instance();
  UtilityEngine::instance()->setConsoleSink([](const std::string&) {});
  size_t atoms = 0;
  for (auto _ : state) {
    PDBParser parser;
    std::vector<Molecule*> out;
    read(parser, out);
    if (out.empty()) {
      state.SkipWithError(missing);
      break;
    }
    atoms = out[0]->atoms.size();
    for (Molecule* m : out) delete m;
  }
  state.counters["atoms"] = static_cast<double>(atoms);
  UtilityEngine::instance()->setConsoleSink(ConsoleSink());
}
}  // namespace

static void BM_ReadProteasePDB(benchmark::State& state) {
  timeRead(state, "1hpv.pdb missing or unreadable",
           [](PDBParser& parser, std::vector<Molecule*>& out) {
             parser.parsePDBFile(kProtease, out);
           });
}
BENCHMARK(BM_ReadProteasePDB)->Unit(benchmark::kMillisecond);

static void BM_ReadLigandFilePDB(benchmark::State& state) {
  const std::string text = ligandFile(30);   // 390 ligands, about 8,800 atoms with hydrogens
  timeRead(state, "ligand file missing or unreadable",
           [&text](PDBParser& parser, std::vector<Molecule*>& out) {
             std::istringstream in(text);
             parser.parsePDBFile(in, out);
           });
}
BENCHMARK(BM_ReadLigandFilePDB)->Unit(benchmark::kMillisecond);
