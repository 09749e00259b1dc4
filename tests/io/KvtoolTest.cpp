// The kvtool developer tool, run as a process on small SMILES, SD and mol files: one JSON object
// a line on standard output and nothing else there, the exit codes and the mol output. What
// other toolkits make of its output is in ToolkitRoundTripTest.cpp.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <filesystem>
#include <cctype>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ToolProcess.h"
#include "io/FileTypes.h"
#include "support/ErrorCapture.h"
#include "support/FileFixture.h"
#include "support/TextLines.h"
#include "tests/io/PDBTestSupport.h"

namespace fs = std::filesystem;

namespace {

using iotest::ToolRun;

ToolRun runKvtool(const QStringList& arguments) {
  return iotest::runProgram(iotest::kKvtool, arguments);
}

// Every line of the output as a JSON object; a line that is not one fails the test.
std::vector<QJsonObject> jsonLines(const std::string& text) {
  std::vector<QJsonObject> out;
  for (const std::string& line : kvtest::linesOf(text)) {
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(line), &error);
    EXPECT_EQ(QJsonParseError::NoError, error.error) << "not JSON: " << line;
    EXPECT_TRUE(doc.isObject()) << line;
    out.push_back(doc.object());
  }
  return out;
}

// The keys of a finished molecule, bonds pointing at listed atoms, finite numbers.
void expectFinishedMolecule(const QJsonObject& m) {
  const std::string name = m["name"].toString().toStdString();
  EXPECT_TRUE(m["ok"].toBool()) << name << ": " << m["error"].toString().toStdString();
  EXPECT_FALSE(m["smiles"].toString().isEmpty()) << name;
  const QJsonArray atoms = m["atoms"].toArray();
  ASSERT_FALSE(atoms.isEmpty()) << name;
  for (const QJsonValue& a : atoms) {
    EXPECT_FALSE(a.toObject()["type"].toString().isEmpty()) << name;
    for (const char* key : {"x", "y", "z"}) EXPECT_TRUE(a.toObject()[key].isDouble()) << name;
  }
  for (const QJsonValue& b : m["bonds"].toArray()) {
    const QJsonObject bond = b.toObject();
    for (const char* end : {"a", "b"})
      EXPECT_TRUE(bond[end].toInt(-1) >= 0 && bond[end].toInt() < atoms.size()) << name << end;
    const int order = bond["order"].toInt();
    EXPECT_TRUE(order == 1 || order == 2 || order == 3 || order == 9) << name;
  }
  for (const char* key : {"totalBondEnergy", "heatOfFormation", "dipole", "seconds"})
    EXPECT_TRUE(m[key].isDouble()) << name << " " << key;
}

class Kvtool : public kvtest::FileFixture {
 protected:
  Kvtool() : kvtest::FileFixture("kvtool_") {}
  void SetUp() override {
    kvtest::FileFixture::SetUp();
    ASSERT_TRUE(fs::exists(iotest::kKvtool)) << "kvtool not built: \"" << iotest::kKvtool << "\"";
  }
  QString write(const std::string& file, const std::string& text) {
    const fs::path path = folder / file;
    std::ofstream(path, std::ios::binary) << text;
    return QString::fromStdString(path.string());
  }
  QString path(const std::string& file) const {
    return QString::fromStdString((folder / file).string());
  }
};

}  // namespace

TEST_F(Kvtool, SmilesFileGivesOneJsonLinePerMoleculeAndExitOneForAnUnreadLine) {
  // The second name holds a quote, a backslash and a tab, which must come back escaped.
  const QString smi = write("mix.smi",
                            "CC(=O)Oc1ccccc1C(=O)O aspirin\n"
                            "\n"
                            "c1cc[n+](C)cc1 pyr \"x\\y\tz\n"
                            "C1CC broken_ring\n"
                            "[NH3+]CC(=O)[O-] glycine\n");
  const ToolRun run = runKvtool({"--json", smi});
  EXPECT_EQ(1, run.exitCode) << run.err;
  const std::vector<QJsonObject> lines = jsonLines(run.out);
  ASSERT_EQ(4u, lines.size()) << run.out;
  EXPECT_EQ("aspirin", lines[0]["name"].toString().toStdString());
  expectFinishedMolecule(lines[0]);
  EXPECT_EQ(21, lines[0]["atoms"].toArray().size());   // C9H8O4
  EXPECT_EQ("pyr \"x\\y\tz", lines[1]["name"].toString().toStdString());
  expectFinishedMolecule(lines[1]);
  EXPECT_FALSE(lines[2]["ok"].toBool());
  EXPECT_EQ("broken_ring", lines[2]["name"].toString().toStdString());
  EXPECT_EQ(0u, lines[2]["error"].toString().toStdString().find("Error"));
  expectFinishedMolecule(lines[3]);
}

// Every extension the file-type table gives kvtool, in capitals, is read by its format's reader.
TEST_F(Kvtool, EveryFileTypeOfTheTableIsReadInCapitals) {
  auto sample = [](FileFormat format) -> std::string {
    switch (format) {
      case FileFormat::Kv: return kvtest::readFile(KV_SOURCE_DIR "/KV_MOLECULES/Small/Ethanol.kv");
      case FileFormat::Mol: return kvtest::readFile(KV_TEST_DATA_DIR "/mdl_ethanol.mol");
      case FileFormat::SD: return kvtest::readFile(KV_TEST_DATA_DIR "/mdl_three_records.sdf");
      case FileFormat::Pdb: return kvtest::readFile(KV_TEST_DATA_DIR "/pdb-acetamide.pdb");
      case FileFormat::Smiles: return "CCO ethanol\n";
    }
    return std::string();
  };
  int files = 0;
  for (const FileType& type : fileTypes()) {
    if ((type.takenBy & kKvtoolUse) == 0) continue;
    std::istringstream extensions(type.extensions);
    std::string extension;
    while (extensions >> extension) {
      std::string name = "A" + extension;
      for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      const ToolRun run = runKvtool({"--json", write(name, sample(type.format))});
      EXPECT_EQ(0, run.exitCode) << name << ": " << run.err;
      EXPECT_FALSE(jsonLines(run.out).empty()) << name;
      ++files;
    }
  }
  EXPECT_EQ(7, files) << "kv, mol, sd, sdf, pdb, smi, smiles";
}

TEST_F(Kvtool, MolFileWrittenByObabelIsReadWithTheTextReport) {
  const ToolRun run = runKvtool({KV_TEST_DATA_DIR "/obabel-caffeine.mol"});
  EXPECT_EQ(0, run.exitCode) << run.err;
  EXPECT_NE(std::string::npos, run.out.find("name: caffeine\n"));
  EXPECT_NE(std::string::npos, run.out.find("atoms: 24 "));   // C8H10N4O2
  EXPECT_EQ(std::string::npos, run.out.find("Minimization")) << "optimiser output on stdout";
}

TEST_F(Kvtool, SingleSmilesWithMolOutputWritesOneRecordWithoutSeparator) {
  const QString mol = path("one.mol");
  const ToolRun run = runKvtool({"--json", "--mol", mol, "--smiles", "CCO ethanol"});
  ASSERT_EQ(0, run.exitCode) << run.err;
  ASSERT_EQ(1u, jsonLines(run.out).size());
  const std::string text = kvtest::readFile(mol.toStdString());
  EXPECT_EQ(0u, text.find("ethanol\n"));
  EXPECT_EQ(std::string::npos, text.find("$$$$"));
}

TEST_F(Kvtool, BadArgumentsExitWithTwoAndAUsageLine) {
  const std::vector<QStringList> bad = {
      {}, {"--json"}, {"--smiles"}, {"--bogus", "--smiles", "C"}, {"molecule.xyz"}};
  for (const QStringList& arguments : bad) {
    const ToolRun run = runKvtool(arguments);
    EXPECT_EQ(2, run.exitCode) << arguments.join(' ').toStdString();
    EXPECT_NE(std::string::npos, run.err.find("usage: kvtool")) << run.err;
    EXPECT_TRUE(run.out.empty());
  }
}

TEST_F(Kvtool, EmptyInputsAreReportedNotPassedOver) {
  fs::create_directories(folder / "folder.smi");
  const std::vector<QString> inputs = {write("empty.smi", ""), write("separators.sdf", "$$$$\n$$$$\n"),
                                       write("empty.pdb", ""), write("empty.kv", "")};
  for (const QString& input : inputs) {
    const ToolRun run = runKvtool({"--json", input});
    EXPECT_EQ(1, run.exitCode) << input.toStdString();
    const std::vector<QJsonObject> lines = jsonLines(run.out);
    ASSERT_EQ(1u, lines.size()) << run.out;
    EXPECT_FALSE(lines[0]["ok"].toBool());
    EXPECT_NE(std::string::npos, run.err.find(input.toStdString())) << run.err;
  }
  // A folder or a missing file gives no record at all.
  const std::pair<const char*, const char*> unread[] = {
      {"folder.smi", "Error: kvtool: cannot read folder"}, {"absent.sdf", "Error: kvtool: cannot open"}};
  for (const auto& u : unread) {
    const ToolRun run = runKvtool({"--json", path(u.first)});
    EXPECT_EQ(1, run.exitCode) << u.first;
    EXPECT_NE(std::string::npos, run.err.find(u.second)) << run.err;
    EXPECT_TRUE(run.out.empty()) << u.first;
  }
}

// A PDB file the reader refuses whole was a record saying only "no molecule in", and its reason
// stood on a second error line.
TEST_F(Kvtool, AFileRefusedWholeIsOneRecordWithTheReadersReason) {
  const std::string atom = "ATOM      1  C   ALA A   1       0.000   0.000   0.000  1.00  0.00           C\n";
  const std::pair<QString, const char*> refused[] = {
      {write("stacked.pdb", atom + atom + "END\n"), "stacked atoms, file refused"},
      {write("noatoms.pdb", "HEADER x\nEND\n"), "no atom records"}};
  for (const auto& file : refused) {
    const ToolRun run = runKvtool({"--json", file.first});
    EXPECT_EQ(1, run.exitCode) << file.second;
    const std::vector<QJsonObject> lines = jsonLines(run.out);
    ASSERT_EQ(1u, lines.size()) << run.out;
    EXPECT_FALSE(lines[0]["ok"].toBool());
    EXPECT_EQ(file.first, lines[0]["name"].toString());
    EXPECT_NE(-1, lines[0]["error"].toString().indexOf(file.second)) << run.out;
    for (const char* key : {"totalBondEnergy", "heatOfFormation", "dipole"})
      EXPECT_TRUE(lines[0][key].isNull()) << key << ": a molecule not read has none";
    const std::vector<std::string> errors = kvtest::linesOf(run.err);
    ASSERT_EQ(1u, errors.size()) << run.err;
    EXPECT_EQ(lines[0]["error"].toString().toStdString(), errors[0]);
  }
}

TEST_F(Kvtool, TextReportShowsControlBytesEscapedNotCut) {
  const ToolRun run = runKvtool({write("control.smi", std::string("CCO a\x01" "b\0c\n", 10))});
  EXPECT_EQ(0, run.exitCode) << run.err;
  EXPECT_NE(std::string::npos, run.out.find("name: a\\x01b\\x00c\n")) << run.out;
}

// A molecule that finished with bonds the tables lack says so in its record; the error lines
// name it, and the optimisers' progress stays out of standard error.
TEST_F(Kvtool, MissingParametersAreWarningsOfANamedMolecule) {
  const ToolRun run = runKvtool({"--json", "--smiles", "O[Cu]O copper"});
  EXPECT_EQ(0, run.exitCode) << run.err;
  const std::vector<QJsonObject> lines = jsonLines(run.out);
  ASSERT_EQ(1u, lines.size());
  expectFinishedMolecule(lines[0]);
  const QJsonArray warnings = lines[0]["warnings"].toArray();
  ASSERT_FALSE(warnings.isEmpty());
  for (const QJsonValue& w : warnings)
    EXPECT_EQ(0, w.toString().indexOf("no bond parameters for ")) << w.toString().toStdString();
  EXPECT_NE(std::string::npos, run.err.find("Cannot find parameters for ")) << run.err;
  EXPECT_EQ(std::string::npos, run.err.find("Minimization")) << run.err;
  size_t at = 0;
  while ((at = run.err.find("Cannot find parameters", at)) != std::string::npos) {
    const std::string line = run.err.substr(at, run.err.find('\n', at) - at);
    EXPECT_NE(std::string::npos, line.find("in molecule \"copper\"")) << line;
    ++at;
  }
}

TEST_F(Kvtool, HelpPrintsTheUsageAndSucceeds) {
  const ToolRun run = runKvtool({"--help"});
  EXPECT_EQ(0, run.exitCode) << run.err;
  EXPECT_EQ(0u, run.out.find("usage: kvtool")) << run.out;
  EXPECT_EQ(std::string::npos, run.err.find("unknown option")) << run.err;
}

TEST_F(Kvtool, LeftOutPdbAtomIsAWarningOfTheRecord) {
  // A calcium ion (no atom type) beside a chloromethane ligand.
  const QString pdb = write(
      "ion.pdb",
      "HETATM    1  C1  LIG A   1       0.000   0.000   0.000  1.00  0.00           C\n"
      "HETATM    2 CL1  LIG A   1       1.780   0.000   0.000  1.00  0.00          CL\n"
      "HETATM    3 CA    CA A   2       6.000   0.000   0.000  1.00  0.00          CA\n");
  const ToolRun json = runKvtool({"--json", pdb});
  ASSERT_EQ(0, json.exitCode) << json.err;
  const std::vector<QJsonObject> records = jsonLines(json.out);
  ASSERT_EQ(1u, records.size());
  const QJsonArray warnings = records[0]["warnings"].toArray();
  ASSERT_FALSE(warnings.isEmpty()) << json.out;
  EXPECT_NE(std::string::npos, warnings[0].toString().toStdString().find("atom left out"))
      << json.out;
  const ToolRun text = runKvtool({pdb});
  EXPECT_NE(std::string::npos, text.out.find("warning: Error: PDBParser::parsePDBFile element \"Ca\""))
      << text.out;
}

// A PDB structure of 200 atoms or more gets no dipole from the set-up chain: kvtool reports none,
// where it once wrote a dipole of 0. One atom fewer and the dipole is there.
TEST_F(Kvtool, LargePdbStructureReportsNoDipoleRatherThanZero) {
  auto methanes = [](int residues) {
    std::string text;
    int serial = 1;
    for (int r = 0; r < residues; ++r) {
      const float x = 6.0f * (r % 8), y = 6.0f * (r / 8);
      text += pdbtest::atomLine("HETATM", serial++, "C", "CH4", 'A', r + 1, x, y, 0, "C");
      text += pdbtest::atomLine("HETATM", serial++, "H1", "CH4", 'A', r + 1, x + 0.63f,
                                y + 0.63f, 0.63f, "H");
      text += pdbtest::atomLine("HETATM", serial++, "H2", "CH4", 'A', r + 1, x - 0.63f,
                                y - 0.63f, 0.63f, "H");
      text += pdbtest::atomLine("HETATM", serial++, "H3", "CH4", 'A', r + 1, x + 0.63f,
                                y - 0.63f, -0.63f, "H");
      text += pdbtest::atomLine("HETATM", serial++, "H4", "CH4", 'A', r + 1, x - 0.63f,
                                y + 0.63f, -0.63f, "H");
    }
    return text;
  };
  const QString large = write("large.pdb", methanes(40));
  const ToolRun json = runKvtool({"--json", large});
  ASSERT_EQ(0, json.exitCode) << json.err;
  std::vector<QJsonObject> records = jsonLines(json.out);
  ASSERT_EQ(1u, records.size());
  EXPECT_TRUE(records[0]["ok"].toBool()) << json.out;
  EXPECT_EQ(200, records[0]["atoms"].toArray().size());
  ASSERT_TRUE(records[0].contains("dipole")) << json.out;
  EXPECT_TRUE(records[0]["dipole"].isNull()) << json.out;
  const ToolRun text = runKvtool({large});
  EXPECT_NE(std::string::npos, text.out.find("dipole moment: none\n")) << text.out;

  const QString small = write("small.pdb", methanes(39));
  records = jsonLines(runKvtool({"--json", small}).out);
  ASSERT_EQ(1u, records.size());
  EXPECT_TRUE(records[0]["dipole"].isDouble());
  EXPECT_NE(std::string::npos, runKvtool({small}).out.find(" Debye\n"));
}

TEST_F(Kvtool, ByteOrderMarksAreSkippedAndSmilesFileErrorsNameTheLine) {
  const QString smi = write("marked.smi", "\xEF\xBB\xBF" "CCO ethanol\nC1CC bad\n");
  const ToolRun run = runKvtool({"--json", smi});
  EXPECT_EQ(1, run.exitCode);
  const std::vector<QJsonObject> records = jsonLines(run.out);
  ASSERT_EQ(2u, records.size());
  EXPECT_TRUE(records[0]["ok"].toBool()) << run.out;
  EXPECT_EQ("ethanol", records[0]["name"].toString().toStdString());
  EXPECT_NE(std::string::npos,
            records[1]["error"].toString().toStdString().find(
                "on line 2 of \"" + smi.toStdString() + "\""))
      << run.out;
  EXPECT_NE(std::string::npos, run.err.find("line 2 of \"" + smi.toStdString())) << run.err;

  const QString mol = write("marked.mol", "\xEF\xBB\xBF" "ethane\n\n\n"
                                          "  2  1  0  0  0  0  0  0  0  0999 V2000\n"
                                          "    0.0000    0.0000    0.0000 C   0  0\n"
                                          "    1.5400    0.0000    0.0000 C   0  0\n"
                                          "  1  2  1  0\nM  END\n");
  const ToolRun molRun = runKvtool({"--json", mol});
  ASSERT_EQ(0, molRun.exitCode) << molRun.err;
  EXPECT_EQ("ethane", jsonLines(molRun.out)[0]["name"].toString().toStdString());
}

// The SD reader File > Open calls hands kvtool each record as it reads it: a record that gives no
// molecule is reported by its name, with the reader's error line for it, between the others.
TEST_F(Kvtool, EachSdRecordIsReportedWithTheErrorsOfItsOwnReading) {
  const std::string ethane = "ethane\n\n\n"
                             "  2  1  0  0  0  0  0  0  0  0999 V2000\n"
                             "    0.0000    0.0000    0.0000 C   0  0\n"
                             "    1.5400    0.0000    0.0000 C   0  0\n"
                             "  1  2  1  0\nM  END\n$$$$\n";
  const QString sdf =
      write("three.sdf", ethane + "broken\n\n\n  x  0  0  0  0  0  0  0  0  0999 V2000\n$$$$\n" +
                             ethane);
  const ToolRun run = runKvtool({"--json", sdf});
  EXPECT_EQ(1, run.exitCode);
  const std::vector<QJsonObject> records = jsonLines(run.out);
  ASSERT_EQ(3u, records.size()) << run.out;
  expectFinishedMolecule(records[0]);
  expectFinishedMolecule(records[2]);
  EXPECT_FALSE(records[1]["ok"].toBool());
  EXPECT_EQ("broken", records[1]["name"].toString().toStdString());
  const std::string error = records[1]["error"].toString().toStdString();
  EXPECT_EQ(0u, error.find("Error: MDLMolParser: bad atom count")) << error;
  EXPECT_NE(std::string::npos, error.find("line 13 of \"" + sdf.toStdString() + "\"")) << error;
  EXPECT_EQ(1u, kvtest::linesOf(run.err).size()) << run.err;
}

TEST_F(Kvtool, OneMoleculeWrittenToAnSdFileIsClosed) {
  const QString sdf = path("one.sdf");
  const ToolRun run = runKvtool({"--json", "--mol", sdf, "--smiles", "CCO ethanol"});
  ASSERT_EQ(0, run.exitCode) << run.err;
  const std::vector<std::string> lines = kvtest::linesOf(kvtest::readFile(sdf.toStdString()));
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ("$$$$", lines.back());
}

// Output files in a folder that is not there: each writer says once which file and why, and
// no second line claims that no molecule reached it, however many molecules the input holds.
TEST_F(Kvtool, AnOutputThatCannotBeMadeIsOneErrorLine) {
  const std::string missing = (folder / "no" / "such").string();
  const QString q = QString::fromStdString(missing);
  const ToolRun run = runKvtool({"--json", "--kv", q + ".kv", "--pdb", q + ".pdb", "--mol",
                                 q + ".sdf", write("two.smi", "CCO\nCCN\n")});
  EXPECT_EQ(1, run.exitCode);
  EXPECT_EQ(2u, jsonLines(run.out).size());
  const std::vector<std::string> lines = kvtest::linesOf(run.err);
  ASSERT_EQ(3u, lines.size()) << run.err;
  EXPECT_TRUE(kvtest::textThenReason(
      lines[0], "Error: PDBParser::writePDBFile couldn't  open file " + missing + ".pdb"))
      << lines[0];
  EXPECT_TRUE(kvtest::textThenReason(lines[1], "Error: can not open file " + missing + ".kv"))
      << lines[1];
  EXPECT_TRUE(kvtest::textThenReason(lines[2], "Error: kvtool: cannot write \"" + missing + ".sdf\""))
      << lines[2];
}

TEST_F(Kvtool, ScanPrintsTheProfilersRelaxedProfileOrRefusesWithItsMessages) {
  // Butane's C-C-C-C from 0 to 360 by 30: thirteen "angle energy" lines, anti the lowest.
  ToolRun run = runKvtool({"--scan", "1,2,3,4,30", "--smiles", "CCCC"});
  ASSERT_EQ(0, run.exitCode) << run.err;
  const std::vector<std::string> lines = kvtest::linesOf(run.out);
  ASSERT_EQ(13u, lines.size()) << run.out;
  EXPECT_EQ("0 ", lines.front().substr(0, 2));
  EXPECT_EQ("180 0.0000", lines[6]);
  EXPECT_EQ("360 ", lines.back().substr(0, 4));

  // A ring bond passes as a dihedral but cannot be turned; four atoms in no dihedral do not.
  run = runKvtool({"--scan", "1,2,3,4", "--smiles", "C1CCCCC1"});
  EXPECT_EQ(1, run.exitCode);
  EXPECT_NE(std::string::npos, run.err.find("Error: Unable to rotate this dihedral angle"));
  run = runKvtool({"--scan", "1,3,2,4", "--smiles", "CCCC"});
  EXPECT_EQ(1, run.exitCode);
  EXPECT_NE(std::string::npos, run.err.find("Error: Dihedral angle not defined"));
  run = runKvtool({"--scan", "1,2,3,99", "--smiles", "CCCC"});
  EXPECT_EQ(1, run.exitCode);
  EXPECT_TRUE(run.out.empty());

  // Bad values and a second input are argument errors.
  for (const QStringList& arguments :
       {QStringList{"--scan", "1,2,3", "--smiles", "CCCC"},
        QStringList{"--scan", "1,2,3,4,0", "--smiles", "CCCC"},
        QStringList{"--scan", "0,1,2,3", "--smiles", "CCCC"},
        QStringList{"--scan", "1,2,3,4", "--smiles", "CCCC", "--smiles", "CC"}}) {
    run = runKvtool(arguments);
    EXPECT_EQ(2, run.exitCode) << arguments.join(' ').toStdString();
  }
}
