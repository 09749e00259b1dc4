// What the PDB reader refuses and reports: elements as the format defines them, atom records it
// cannot read, models without their end record, and files without atoms.

#include "support/ErrorCapture.h"
#include "support/AtomGeometry.h"
#include "tests/io/PDBTestSupport.h"

using pdbtest::PDBFixture;
using pdbtest::atomLine;

using PDBInput = pdbtest::PDBFileFixture;

TEST_F(PDBInput, ElementComesFromTheElementColumnOrTheAtomNameColumns) {
  // Atom name columns 13-16 as written, element columns 77-78; the element read, or the error of
  // an atom left out (here the only one, so no molecule).
  const struct {
    const char* record;
    const char* name;
    const char* column;
    const char* element;
    const char* error;
  } cases[] = {
      {"HETATM", "CL1", "", "Cl", nullptr},   // left-aligned: chlorine, once read as carbon
      {"ATOM", "CL1", "", "Cl", nullptr},     // a ligand written as atom records
      {"ATOM", " CA", "", "C", nullptr},      // right-aligned: the alpha carbon
      {"ATOM", "1HB", "", "H", nullptr},      // old-style hydrogen name
      {"ATOM", "HG21", "", "H", nullptr},     // four-letter hydrogen names start in column 13
      {"HETATM", "C1", "CL", "Cl", nullptr},  // the element column wins, in any case
      {"HETATM", "C1", "br", "Br", nullptr},
      {"HETATM", " AC5", "", nullptr, "unknown element \"A\" of atom \"AC5\" on line 1"},
      {"HETATM", "C1", "XX", nullptr, "unknown element \"XX\" of atom \"C1\" on line 1"},
      {"HETATM", "CA", "", nullptr, "element \"Ca\" of atom \"CA\" has no atom type"},
  };
  for (const auto& c : cases) {
    const std::string file = "element.pdb";
    const std::vector<Molecule*> out =
        readFile(file, atomLine(c.record, 1, c.name, "LIG", 'A', 1, 0, 0, 0, c.column));
    const std::string label = std::string(c.record) + " \"" + c.name + "\" \"" + c.column + "\"";
    if (c.element != nullptr) {
      ASSERT_EQ(1u, out.size()) << label << errors;
      EXPECT_EQ(c.element, out[0]->atoms[0]->element) << label;
    } else {
      EXPECT_TRUE(out.empty()) << label;
      EXPECT_NE(std::string::npos, errors.find(c.error)) << label << ": " << errors;
      EXPECT_NE(std::string::npos, errors.find("of \"" + (folder / file).string() + "\""))
          << errors;
    }
  }
}

TEST_F(PDBInput, AtomWithoutAnAtomTypeIsLeftOutAndTheRestRead) {
  // A calcium ion beside a ligand once failed the whole file.
  const std::string text = atomLine("HETATM", 1, "CL1", "LIG", 'A', 1, 0, 0, 0, "") +
                           atomLine("HETATM", 2, "CA", "CA", 'A', 2, 5.0f, 0, 0, "CA");
  const std::vector<Molecule*> out = readFile("ion.pdb", text);
  ASSERT_EQ(1u, out.size()) << errors;
  for (const Atom* a : out[0]->atoms) EXPECT_NE("Ca", a->element);
  EXPECT_NE(std::string::npos, errors.find("has no atom type, on line 2")) << errors;
  EXPECT_NE(std::string::npos, errors.find("atom left out")) << errors;
}

TEST_F(PDBInput, AtomWithUnreadableCoordinatesFailsTheFile) {
  // The atom was once dropped and the file read as fine, one atom short.
  std::string bad = atomLine("ATOM", 2, " CA", "GLY", 'A', 1, 1.45f, 0, 0, "C");
  bad.replace(38, 8, "  2.0x0 ");
  const std::string text = atomLine("ATOM", 1, " N", "GLY", 'A', 1, 0, 0, 0, "N") + bad +
                           atomLine("ATOM", 3, " C", "GLY", 'A', 1, 2.0f, 1.4f, 0, "C");
  EXPECT_TRUE(readFile("gly.pdb", text).empty());
  EXPECT_NE(std::string::npos, errors.find("Error: PDBParser::parsePDBFile bad coordinates"));
  EXPECT_NE(std::string::npos, errors.find("of atom \"CA\" on line 2 of \"")) << errors;
  EXPECT_TRUE(parser.molecules.empty());
}

// Each model is a molecule named after the file. Without its "ENDMDL" the first model was once
// dropped, or its chain carried into the second.
TEST_F(PDBInput, ModelsEndAtEndmdlOrWhereTheNextBegins) {
  const std::string water = atomLine("HETATM", 1, " O", "HOH", 'W', 1, 0, 0, 0, "O");
  for (const char* end : {"ENDMDL\n", ""}) {
    const std::vector<Molecule*> out = readFile(
        "1abc.pdb", "MODEL        1\n" + water + std::string(end) + "MODEL        2\n" + water + "ENDMDL\nEND\n");
    ASSERT_EQ(2u, out.size()) << errors;
    for (int i = 0; i < 2; ++i) {
      EXPECT_EQ("1abc_" + std::to_string(i), out[i]->getName());
      EXPECT_EQ(3u, out[i]->atoms.size()) << "the oxygen and its added hydrogens";
      EXPECT_EQ(1, kvtest::countElement(*out[i], "O"));
      EXPECT_EQ((std::vector<std::string>{"W", "WATER", "HETATM"}), out[i]->chainIds);
    }
  }
}

TEST_F(PDBInput, FilesWithoutAtomsAreReportedNotReadAsEmpty) {
  for (const char* text : {"", "HEADER    NOTHING\nEND\n", "MODEL        1\nENDMDL\n"}) {
    EXPECT_TRUE(readFile("none.pdb", text).empty());
    EXPECT_NE(std::string::npos, errors.find("no atom records in \"")) << text << errors;
  }
  kvtest::ErrorCapture errorLog;
  EXPECT_TRUE(readPath(folder.string()).empty());
  EXPECT_NE(std::string::npos, errorLog.text().find("cannot read folder")) << errorLog.text();
}

// Each line of a file of damaged records, kept for replay under the sanitizers, after one sound
// atom: a damaged atom record fails the read naming its line, a copy of the sound atom fails it
// as stacked atoms, anything else leaves the atom.
TEST_F(PDBInput, DamagedRecordsFailCleanly) {
  std::ifstream in(std::string(KV_TEST_DATA_DIR) + "/pdb-damaged.pdb");
  ASSERT_TRUE(in.is_open());
  const std::string sound = atomLine("ATOM", 1, " N", "GLY", 'A', 1, 0, 0, 0, "N");
  std::string line;
  int refused = 0;
  while (std::getline(in, line)) {
    kvtest::ErrorCapture errorLog;
    const std::vector<Molecule*> out = read(sound + line + "\n");
    const std::string err = errorLog.text();
    if (out.empty()) {
      ++refused;
      // Either the damaged record is named, or a second atom read onto the sound one is.
      EXPECT_TRUE(err.find("on line 2") != std::string::npos ||
                  err.find("are 0.00 Angstrom apart") != std::string::npos)
          << line << "\n" << err;
    } else {
      EXPECT_EQ(1u, out.size()) << line;
    }
  }
  EXPECT_GE(refused, 5);
}
