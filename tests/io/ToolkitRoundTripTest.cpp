// Round trips against obabel and RDKit (both installed with the other packages; when one is
// missing these tests fail): the SMILES and mol files we write must be read by them as the
// molecules we started from, and the mol files obabel writes must be read by us as the same
// molecules. tests/data/silicon-halogen.smi goes through kvtool, whose silicon came out as [SI]
// and "SI", which neither toolkit reads. Stereo is compared away on both sides ("-xi",
// isomericSmiles=False): our SMILES carry no stereo marks, and the toolkits would take stereo
// from our 3-D coordinates, which the input line may not fix; the sets hold no isotopes either.

#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include <gtest/gtest.h>

#include "io/MDLMolParser.h"
#include "io/SmilesParser.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "SmilesTestSupport.h"
#include "ToolProcess.h"
#include "support/FileFixture.h"
#include "support/TextLines.h"

namespace {

// Debian's RDKit is a module of the system interpreter, which a python3 earlier on the path may
// not see.
const char* const kSystemPython = "/usr/bin/python3";

// Reads SMILES lines ("SMILES name") or an SD file from standard input and prints, for each
// molecule, "canonical SMILES<tab>name formula": the form of obabel's "-ocan --append formula".
const char* const kRdkitCanonical = R"(
import sys
from rdkit import Chem, RDLogger
from rdkit.Chem.rdMolDescriptors import CalcMolFormula
RDLogger.DisableLog('rdApp.*')
text = sys.stdin.read()
if sys.argv[1] == 'sdf':
    supplier = Chem.SDMolSupplier()
    supplier.SetData(text)
    molecules = [(m.GetProp('_Name') if m else '?', m) for m in supplier]
else:
    molecules = [(line.split()[1], Chem.MolFromSmiles(line.split()[0]))
                 for line in text.splitlines() if len(line.split()) == 2]
for name, m in molecules:
    if m is not None:
        print(Chem.MolToSmiles(m, isomericSmiles=False) + '\t' + name + ' ' + CalcMolFormula(m))
)";

// Runs a program with the text on its standard input; false (with a test failure) when it
// fails. Standard error (obabel's "N molecules converted") is kept apart.
bool runTool(const QString& program, const QStringList& arguments, const std::string& input,
             std::string& output) {
  const iotest::ToolRun run = iotest::runProgram(program, arguments, input);
  output = run.out;
  if (run.exitCode == 0) return true;
  ADD_FAILURE() << program.toStdString() << " failed: " << run.err;
  return false;
}

// obabel's view of a molecule: canonical SMILES without stereo, and its formula.
struct Canonical {
  std::string smiles;
  std::string formula;
};

// Reads the lines of "-ocan --append formula": "SMILES<tab>name FORMULA".
std::map<std::string, Canonical> parseCanonicalLines(const std::string& text) {
  std::map<std::string, Canonical> out;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    const size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    std::istringstream rest(line.substr(tab + 1));
    std::string name, formula;
    rest >> name >> formula;
    out[name] = Canonical{line.substr(0, tab), formula};
  }
  return out;
}

// The "SMILES name" lines of the inputs.
std::string asLines(const std::vector<smilestest::SampleLine>& inputs) {
  std::string lines;
  for (const smilestest::SampleLine& s : inputs) lines += s.smiles + " " + s.name + "\n";
  return lines;
}

// SMILES lines ("SMILES name") through obabel to canonical SMILES and formula, keyed by name.
std::map<std::string, Canonical> canonicalFromSmiles(const std::string& lines) {
  std::string output;
  runTool("obabel", {"-ismi", "-ocan", "-xi", "--append", "formula"}, lines, output);
  return parseCanonicalLines(output);
}

// The same through RDKit; format "smi" or "sdf".
std::map<std::string, Canonical> rdkitCanonical(const std::string& format, const std::string& text) {
  std::string output;
  runTool(kSystemPython, {"-c", kRdkitCanonical, QString::fromStdString(format)}, text, output);
  return parseCanonicalLines(output);
}

// Each input as the toolkit read it (reference) and as it read our output (ours): the same
// formula and canonical SMILES, keyed by the input's name.
void expectSameMolecules(const std::vector<smilestest::SampleLine>& inputs,
                         const std::map<std::string, Canonical>& reference,
                         const std::map<std::string, Canonical>& ours, const std::string& what) {
  for (const smilestest::SampleLine& s : inputs) {
    const auto ref = reference.find(s.name);
    const auto got = ours.find(s.name);
    if (ref == reference.end() || got == ours.end()) {
      ADD_FAILURE() << what << (ref == reference.end() ? ": input not read: " : ": nothing read: ")
                    << s.name << " " << s.smiles;
      continue;
    }
    EXPECT_EQ(ref->second.formula, got->second.formula) << what << ": " << s.name << " " << s.smiles;
    EXPECT_EQ(ref->second.smiles, got->second.smiles) << what << ": " << s.name << " " << s.smiles;
  }
}

class ObabelRoundTrip : public kvtest::FileFixture {
 protected:
  ObabelRoundTrip() : kvtest::FileFixture("kv_obabel_") {}
  void SetUp() override {
    kvtest::FileFixture::SetUp();
    inputs = smilestest::sampleSmiles("obabel-roundtrip.smi");
    ASSERT_GE(inputs.size(), 100u);
    reference = canonicalFromSmiles(asLines(inputs));
    ASSERT_EQ(inputs.size(), reference.size()) << "obabel did not read every input line";
  }

  std::vector<smilestest::SampleLine> inputs;
  std::map<std::string, Canonical> reference;   // obabel's reading of the input lines
};

}  // namespace

TEST_F(ObabelRoundTrip, OurSmilesAndMolRecordsAreReadByObabelAsTheSameMolecules) {
  // Every input through our reader and the whole set-up chain.
  SmilesParser reader;
  MDLMolParser parser;
  std::string lines, sd;
  for (const smilestest::SampleLine& s : inputs) {
    std::unique_ptr<Molecule> m(reader.smilesToMol(s.smiles));
    if (m == nullptr) {
      ADD_FAILURE() << "not finished: " << s.name << " " << s.smiles;
      continue;
    }
    lines += smilestest::write(*m) + " " + s.name + "\n";
    m->names.insert(m->names.begin(), s.name);   // the header line obabel hands back
    std::string record;
    ASSERT_TRUE(parser.formatMDLMol(m.get(), record)) << s.name;
    ASSERT_EQ(s.name, record.substr(0, record.find('\n'))) << "header line";
    // Bond type 4 is a query type to other programs, which misread charged rings with it:
    // aromatic rings are written in Kekule form.
    for (const int type : MDLMolParser::fileBondTypes(m.get()))
      EXPECT_TRUE(type >= 1 && type <= 3) << s.name << " type " << type;
    sd += record + "$$$$\n";
  }
  expectSameMolecules(inputs, reference, canonicalFromSmiles(lines), "our SMILES");
  std::string output;
  ASSERT_TRUE(runTool("obabel", {"-isdf", "-ocan", "-xi", "--append", "formula"}, sd, output));
  expectSameMolecules(inputs, reference, parseCanonicalLines(output), "our mol record");
}

TEST_F(ObabelRoundTrip, ObabelMolRecordsAreReadByUsAsTheSameMolecules) {
  // With explicit hydrogens (-h) and without, so that our reader's hydrogen completion is
  // checked against the count obabel writes out.
  for (const bool explicitHydrogens : {true, false}) {
    QStringList arguments{"-ismi", "-osdf", "--gen2D"};
    if (explicitHydrogens) arguments << "-h";
    std::string sd;
    ASSERT_TRUE(runTool("obabel", arguments, asLines(inputs), sd));
    std::istringstream in(sd);
    const std::vector<std::pair<std::string, int> > records = MDLMolParser::splitSDRecords(in);
    ASSERT_EQ(inputs.size(), records.size());
    MDLMolParser parser;
    for (size_t i = 0; i < inputs.size(); ++i) {
      const smilestest::SampleLine& s = inputs[i];
      std::istringstream record(records[i].first);
      std::unique_ptr<Molecule> theirs(parser.parseMDLMolFile(record));
      std::unique_ptr<Molecule> ours(smilestest::graph(s.smiles));
      ASSERT_NE(nullptr, ours) << s.name;
      if (theirs == nullptr) {
        ADD_FAILURE() << "not read: " << s.name << " " << s.smiles << " -h " << explicitHydrogens;
        continue;
      }
      EXPECT_EQ(smilestest::formula(*ours), smilestest::formula(*theirs))
          << s.name << " " << s.smiles << " -h " << explicitHydrogens;
      EXPECT_EQ(smilestest::bondList(*ours), smilestest::bondList(*theirs))
          << s.name << " " << s.smiles << " -h " << explicitHydrogens;
    }
  }
}

TEST(KvtoolToolkitRoundTrip, SiliconAndHalogenCompoundsAreReadByObabelAndRdkitAsWritten) {
  const std::vector<smilestest::SampleLine> inputs = smilestest::sampleSmiles("silicon-halogen.smi");
  ASSERT_GE(inputs.size(), 15u);
  const std::string sdPath = ::testing::TempDir() + "kvtool-silicon-halogen-" +
                             std::to_string(::getpid()) + ".sdf";
  std::string json;
  ASSERT_TRUE(runTool(iotest::kKvtool,
                      {"--json", "--mol", QString::fromStdString(sdPath),
                       KV_TEST_DATA_DIR "/silicon-halogen.smi"},
                      "", json));
  const std::string sd = kvtest::readFile(sdPath);
  ::unlink(sdPath.c_str());
  ASSERT_FALSE(sd.empty()) << sdPath;

  // kvtool's SMILES, one "SMILES name" line per molecule it reports.
  std::string ourLines;
  std::istringstream records(json);
  for (std::string line; std::getline(records, line);) {
    const QJsonObject record = QJsonDocument::fromJson(QByteArray::fromStdString(line)).object();
    EXPECT_TRUE(record["ok"].toBool()) << line;
    ourLines += record["smiles"].toString().toStdString() + " " +
                record["name"].toString().toStdString() + "\n";
  }
  const std::string inputLines = asLines(inputs);

  const std::map<std::string, Canonical> obabelInput = canonicalFromSmiles(inputLines);
  expectSameMolecules(inputs, obabelInput, canonicalFromSmiles(ourLines), "obabel, kvtool SMILES");
  std::string obabelSd;
  ASSERT_TRUE(runTool("obabel", {"-isdf", "-ocan", "-xi", "--append", "formula"}, sd, obabelSd));
  expectSameMolecules(inputs, obabelInput, parseCanonicalLines(obabelSd), "obabel, kvtool mol");

  const std::map<std::string, Canonical> rdkitInput = rdkitCanonical("smi", inputLines);
  expectSameMolecules(inputs, rdkitInput, rdkitCanonical("smi", ourLines), "RDKit, kvtool SMILES");
  expectSameMolecules(inputs, rdkitInput, rdkitCanonical("sdf", sd), "RDKit, kvtool mol");
}
