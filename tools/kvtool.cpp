// kvtool: runs the application's readers and set-up chain on SMILES strings and molecule files
// and prints, for each molecule, its atoms, bonds, bond lookup codes, energies, dipole and time.
// A developer tool; the application never starts it.
//
//   kvtool [--json] [--mol OUT] [--verbose] (--smiles STRING | FILE)...
//   kvtool --scan I,J,K,L[,STEP] [--verbose] (--smiles STRING | FILE)
//
// Exit code 0 when every molecule was read and finished, 1 otherwise, 2 for bad arguments.

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <utility>
#include <vector>
#include <fcntl.h>
#include <unistd.h>

#include "io/FileTypes.h"
#include "io/IOEngine.h"
#include "io/MDLMolParser.h"
#include "io/PDBParser.h"
#include "math/UtilityEngine.h"
#include "parameters/InputParameters.h"
#include "tools/kvtoolReaders.h"
#include "tools/kvtoolReport.h"
#include "tools/kvtoolScan.h"

namespace {

struct Input {
  bool isSmiles = false;
  std::string text;   // the SMILES line or the file path
};

struct Options {
  bool json = false;
  bool verbose = false;
  std::string molPath;
  std::string kvPath;   // the first molecule read, as an own molecule file
  std::string pdbPath;  // the first molecule read, as a PDB file
  std::vector<Input> inputs;
  bool help = false;   // --help: the usage line on standard output, nothing read
  bool scan = false;   // --scan: the profiler's scan of the one input instead of the report
  kvtool::ScanRequest scanRequest;
};

void usage(std::ostream& out = std::cerr) {
  out << "usage: kvtool [--json] [--mol OUT.mol|OUT.sdf] [--kv OUT.kv] [--pdb OUT.pdb] [--verbose] "
               "(--smiles STRING | FILE)...   files: "
            << kvtool::knownExtensions() << "\n"
            << "       kvtool --scan I,J,K,L[,STEP] [--verbose] (--smiles STRING | FILE)   "
               "relaxed torsion scan 0 to 360 by STEP (default 10); atoms numbered from 1, as "
               "the profiler shows them; prints \"angle energy\" lines, kcal/mol above the "
               "lowest, with \"not-converged\" after a point whose relaxation stopped short\n";
}

// False (after a message) for an unknown option, a missing value, an unknown file type or no
// input at all.
bool parseArguments(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      options.help = true;
      return true;
    } else if (arg == "--json") {
      options.json = true;
    } else if (arg == "--verbose") {
      options.verbose = true;
    } else if (arg == "--smiles" || arg == "--mol" || arg == "--kv" || arg == "--pdb" ||
               arg == "--scan") {
      if (i + 1 >= argc) {
        std::cerr << "Error: kvtool: missing value after \"" << arg << "\"\n";
        return false;
      }
      const std::string value = argv[++i];
      if (arg == "--mol")
        options.molPath = value;
      else if (arg == "--kv")
        options.kvPath = value;
      else if (arg == "--pdb")
        options.pdbPath = value;
      else if (arg == "--scan") {
        options.scan = true;
        if (!kvtool::parseScanRequest(value, options.scanRequest)) {
          std::cerr << "Error: kvtool: bad --scan value \"" << value << "\"\n";
          return false;
        }
      }
      else
        options.inputs.push_back({true, value});
    } else if (arg.size() > 1 && arg[0] == '-') {
      std::cerr << "Error: kvtool: unknown option \"" << arg << "\"\n";
      return false;
    } else {
      if (!kvtool::readerFor(arg)) {
        std::cerr << "Error: kvtool: unknown file type \"" << arg << "\"\n";
        return false;
      }
      options.inputs.push_back({false, arg});
    }
  }
  if (options.inputs.empty()) {
    std::cerr << "Error: kvtool: no input\n";
    return false;
  }
  if (options.scan && (options.inputs.size() != 1 || options.json || !options.molPath.empty() ||
                       !options.kvPath.empty() || !options.pdbPath.empty())) {
    std::cerr << "Error: kvtool: --scan takes one input and no other output\n";
    return false;
  }
  return true;
}

// The optimisers and readers write progress to standard output with printf and std::cout. The
// report gets its own descriptor, so that --json output is nothing but JSON lines; the progress
// goes to standard error with --verbose and is dropped otherwise, so that standard error holds
// only the error lines of the molecules.
FILE* takeStandardOutput(bool verbose) {
  std::fflush(stdout);
  std::cout.flush();
  const int reportFd = dup(STDOUT_FILENO);
  if (reportFd < 0) return stdout;
  FILE* report = fdopen(reportFd, "w");
  if (report == nullptr) {
    close(reportFd);
    return stdout;
  }
  const int progressFd = verbose ? STDERR_FILENO : open("/dev/null", O_WRONLY);
  if (progressFd < 0 || dup2(progressFd, STDOUT_FILENO) < 0) {
    std::fclose(report);
    return stdout;
  }
  if (progressFd != STDERR_FILENO) close(progressFd);
  return report;
}

// Qt's own warnings (the offscreen platform's runtime folder) belong to no molecule: shown with
// --verbose only.
void dropQtMessage(QtMsgType, const QMessageLogContext&, const QString&) {}

// Writes the whole text, zero bytes included.
void writeReport(const std::string& text, FILE* report) {
  std::fwrite(text.data(), 1, text.size(), report);
  std::fflush(report);
}

// Writes the whole text to path through a temporary file, so a failed write leaves an old file
// whole.
bool writeWhole(const std::string& path, const std::string& text) {
  std::string reason;
  if (writeWholeFile(path, text, reason)) return true;
  std::cerr << "Error: kvtool: cannot write \"" << path << "\" (" << reason << ")\n";
  return false;
}

QApplication* application = nullptr;   // never deleted: the offscreen platform keeps its screens

// Qt on the offscreen platform, the tables and engines, and the console quiet unless --verbose.
void startUp(const Options& options) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  if (!options.verbose) qInstallMessageHandler(dropQtMessage);
  static int appArgc = 1;
  static char appName[] = "kvtool";
  static char* appArgv[] = {appName, nullptr};
  application = new QApplication(appArgc, appArgv);

  InputParameters::instance();
  IOEngine::instance();
  UtilityEngine* utility = UtilityEngine::instance();
  utility->printLevel = 0;
  if (options.verbose)
    utility->setConsoleSink([](const std::string& line) { std::cerr << line << "\n"; });
  else
    utility->setConsoleSink([](const std::string&) {});
}

// True for a path the file-type table names an SD file (".sd" or ".sdf", in any case).
bool isSDPath(const std::string& path) {
  const FileType* type = fileTypeOf(path);
  return type != nullptr && type->format == FileFormat::SD;
}

// The report line of every record and the output files: the first finished molecule goes to the
// --pdb and --kv files, every finished one to the --mol file.
class Outputs {
 public:
  Outputs(const Options& options, FILE* report) : options_(options), report_(report) {}

  void take(kvtool::Record& record) {
    const kvtool::Summary summary = kvtool::summarize(record);
    writeReport(options_.json ? kvtool::toJson(summary) + "\n" : kvtool::toText(summary), report_);
    if (!summary.ok) {
      allOk = false;
      return;
    }
    // Written once: a write that fails has said why, and the next molecule does not try again.
    if (!options_.pdbPath.empty() && !pdbTried_) {
      pdbTried_ = true;
      PDBParser pdbWriter;
      if (pdbWriter.writePDBFile(record.molecule.get(), options_.pdbPath.c_str()) != 1)
        allOk = false;
    }
    if (!options_.kvPath.empty() && !kvTried_) {
      kvTried_ = true;
      if (IOEngine::instance()->writeKvtFile(record.molecule.get(), options_.kvPath.c_str()) != 1)
        allOk = false;
    }
    if (options_.molPath.empty()) return;
    std::string text;
    if (!molWriter_.formatMDLMol(record.molecule.get(), text)) {
      allOk = false;
      return;
    }
    if (molRecords_ > 0) molText_ += "$$$$\n";
    molText_ += text;
    ++molRecords_;
  }

  // Writes the mol or SD file and reports an output file that no molecule reached.
  void finish() {
    // Several molecules, or a path named .sd or .sdf, make an SD file: each record closed by
    // "$$$$".
    if (!options_.molPath.empty()) {
      if (molRecords_ > 1 || (molRecords_ == 1 && isSDPath(options_.molPath))) molText_ += "$$$$\n";
      if (molRecords_ == 0)
        noMolecule(options_.molPath);
      else if (!writeWhole(options_.molPath, molText_))
        allOk = false;
    }
    if (!options_.pdbPath.empty() && !pdbTried_) noMolecule(options_.pdbPath);
    if (!options_.kvPath.empty() && !kvTried_) noMolecule(options_.kvPath);
    std::fflush(report_);
  }

  bool allOk = true;

 private:
  void noMolecule(const std::string& path) {
    std::cerr << "Error: kvtool: no molecule to write to \"" << path << "\"\n";
    allOk = false;
  }

  const Options& options_;
  FILE* report_;
  MDLMolParser molWriter_;
  std::string molText_;
  int molRecords_ = 0;
  bool kvTried_ = false;    // a finished molecule reached the --kv file
  bool pdbTried_ = false;
};

// Reads one input, a SMILES text or a file, handing each record to the outputs.
void readInput(const Input& input, Outputs& outputs) {
  if (input.isSmiles) {
    kvtool::Record record = kvtool::readSmilesLine(input.text);
    outputs.take(record);
    return;
  }
  int records = 0;
  const kvtool::RecordSink counted = [&](kvtool::Record& record) {
    ++records;
    outputs.take(record);
  };
  if (!kvtool::readerFor(input.text)(input.text, counted)) {
    outputs.allOk = false;
  } else if (records == 0) {
    // An empty file, or an SD file of separators only: reported, never a quiet success.
    kvtool::Record record;
    record.name = input.text;
    record.error = "Error: kvtool: no molecule in \"" + input.text + "\"";
    std::cerr << record.error << "\n";
    outputs.take(record);
  }
}

// The scan of the one input: its first molecule only.
bool scanInput(const Options& options, FILE* report) {
  const Input& input = options.inputs.front();
  kvtool::Record first;
  bool taken = false;
  if (input.isSmiles) {
    first = kvtool::readSmilesLine(input.text);
    taken = true;
  } else {
    const kvtool::RecordSink keepFirst = [&](kvtool::Record& record) {
      if (taken) return;
      first = std::move(record);
      taken = true;
    };
    if (!kvtool::readerFor(input.text)(input.text, keepFirst)) return false;
  }
  if (!taken) {
    std::cerr << "Error: kvtool: no molecule in \"" << input.text << "\"\n";
    return false;
  }
  if (first.name.empty()) first.name = input.text;
  return kvtool::runScan(options.scanRequest, first, report);
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!parseArguments(argc, argv, options)) {
    usage();
    return 2;
  }
  if (options.help) {
    usage(std::cout);
    return 0;
  }
  FILE* report = takeStandardOutput(options.verbose);
  startUp(options);
  if (options.scan) return scanInput(options, report) ? 0 : 1;
  Outputs outputs(options, report);
  for (const Input& input : options.inputs) readInput(input, outputs);
  outputs.finish();
  return outputs.allOk ? 0 : 1;
}
