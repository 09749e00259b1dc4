// Big inputs through the readers: a chain of 10,000 carbons (30,002 atoms with its hydrogens)
// from SMILES through the whole set-up chain, and a protein file of over 100,000 atoms (copies
// of an HIV protease with its inhibitor and waters, side by side) read, bonded and typed.
//
// Besides the time, each reports the memory it took: the growth of the process's peak resident
// size over its size before the read, in all and per atom of the finished molecule (hydrogens
// included). Run one benchmark per process for that figure, e.g.
//   io_large_bench --benchmark_filter=LargeProtein
// since a peak reached by an earlier benchmark hides the later ones' growth.

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "io/IOEngine.h"
#include "io/PDBParser.h"
#include "io/SmilesParser.h"
#include "math/UtilityEngine.h"
#include "model/Molecule.h"
#include "tests/support/QtApplication.h"

namespace {

const char* kProtease = "/usr/share/pymol/data/tut/1hpv.pdb";
const int kChainCarbons = 10000;
const size_t kProteinAtoms = 100000;
// Copies stand on a grid this far apart (Angstrom), further than the protease is wide.
const double kCopySpacing = 70.0;
const int kCopiesPerRow = 8;

long residentKB() {
  long pages = 0, resident = 0;
  FILE* statm = std::fopen("/proc/self/statm", "r");
  if (statm == nullptr) return 0;
  if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
  std::fclose(statm);
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

long peakResidentKB() {
  struct rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

void reportMemory(benchmark::State& state, long startKB, size_t atoms) {
  const long grownKB = peakResidentKB() - startKB;
  state.counters["atoms"] = static_cast<double>(atoms);
  state.counters["peakGrowthMB"] = grownKB / 1024.0;
  state.counters["KBPerAtom"] = atoms > 0 ? static_cast<double>(grownKB) / atoms : 0.0;
}

void quietConsole() {
  kvtest::ensureApplication();
  IOEngine::instance();
  UtilityEngine::instance()->setConsoleSink([](const std::string&) {});
}

// The protease's atom, "TER" and "CONECT" records, its atoms repeated with shifted coordinates
// until there are at least kProteinAtoms; the ligand's "CONECT" records bond every copy, as
// serial numbers repeat with the copies. Empty when the file cannot be read.
std::string proteinCopies() {
  std::ifstream in(kProtease);
  std::vector<std::string> body, conect;
  std::string line;
  size_t atomsPerCopy = 0;
  while (std::getline(in, line)) {
    if (line.compare(0, 4, "ATOM") == 0 || line.compare(0, 6, "HETATM") == 0) {
      body.push_back(line);
      ++atomsPerCopy;
    } else if (line.compare(0, 3, "TER") == 0) {
      body.push_back(line);
    } else if (line.compare(0, 6, "CONECT") == 0) {
      conect.push_back(line);
    }
  }
  if (atomsPerCopy == 0) return std::string();
  std::ostringstream out;
  const size_t copies = (kProteinAtoms + atomsPerCopy - 1) / atomsPerCopy;
  char coordinates[32];
  for (size_t c = 0; c < copies; ++c) {
    const double dx = kCopySpacing * static_cast<double>(c % kCopiesPerRow);
    const double dy = kCopySpacing * static_cast<double>((c / kCopiesPerRow) % kCopiesPerRow);
    const double dz = kCopySpacing * static_cast<double>(c / (kCopiesPerRow * kCopiesPerRow));
    for (const std::string& record : body) {
      if (record.compare(0, 3, "TER") == 0 || record.size() < 54) {
        out << record << "\n";
        continue;
      }
      std::snprintf(coordinates, sizeof coordinates, "%8.3f%8.3f%8.3f",
                    std::stod(record.substr(30, 8)) + dx, std::stod(record.substr(38, 8)) + dy,
                    std::stod(record.substr(46, 8)) + dz);
      out << record.substr(0, 30) << coordinates << record.substr(54) << "\n";
    }
  }
  for (const std::string& record : conect) out << record << "\n";
  out << "END\n";
  return out.str();
}

}  // namespace

static void BM_SmilesChainWholeSetUp(benchmark::State& state) {
  quietConsole();
  const std::string chain(kChainCarbons, 'C');
  SmilesParser parser;
  size_t atoms = 0;
  const long startKB = residentKB();
  for (auto _ : state) {
    std::unique_ptr<Molecule> m(parser.smilesToMol(chain));
    if (m == nullptr) {
      state.SkipWithError("the chain was refused");
      break;
    }
    atoms = m->atoms.size();
  }
  reportMemory(state, startKB, atoms);
  UtilityEngine::instance()->setConsoleSink(ConsoleSink());
}
BENCHMARK(BM_SmilesChainWholeSetUp)->Unit(benchmark::kMillisecond);

static void BM_LargeProteinPDB(benchmark::State& state) {
  quietConsole();
  const std::string text = proteinCopies();
  if (text.empty()) {
    state.SkipWithError("1hpv.pdb missing or unreadable");
    return;
  }
  size_t atoms = 0;
  const long startKB = residentKB();
  for (auto _ : state) {
    std::istringstream in(text);
    PDBParser parser;
    std::vector<Molecule*> out;
    parser.parsePDBFile(in, out);
    if (out.empty()) {
      state.SkipWithError("the copies were not read");
      break;
    }
    atoms = out[0]->atoms.size();
    state.PauseTiming();
    for (Molecule* m : out) delete m;
    state.ResumeTiming();
  }
  reportMemory(state, startKB, atoms);
  UtilityEngine::instance()->setConsoleSink(ConsoleSink());
}
BENCHMARK(BM_LargeProteinPDB)->Unit(benchmark::kMillisecond);
