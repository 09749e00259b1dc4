// Real PDB files from the installed molecular-graphics data: read whole, written and read back
// by the reader and by Open Babel, and loaded through the legacy folder loader. Ligands without
// residue templates: bond orders guessed from distances are repaired so that no atom exceeds its
// largest valence.

#include <QTreeWidgetItem>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

#include "io/MoleculeEngine.h"
#include "model/Bond.h"
#include "support/AtomGeometry.h"
#include "support/ErrorCapture.h"
#include "support/TextLines.h"
#include "tests/io/PDBTestSupport.h"
#include "tests/io/ToolProcess.h"

using kvtest::hydrogensOn;
using pdbtest::PDBFixture;
using pdbtest::expectNoOverValentAtom;
using pdbtest::kProtease;
using pdbtest::largestValence;
using pdbtest::orderSum;

namespace {

// Serial numbers of the atom records of a file and the "CONECT" pairs among them.
struct FileFacts {
  std::set<int> serials;
  std::set<std::pair<int, int> > conect;
};

FileFacts factsOf(const std::string& path) {
  FileFacts facts;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("ATOM", 0) == 0 || line.rfind("HETATM", 0) == 0)
      facts.serials.insert(std::stoi(line.substr(6, 5)));
    if (line.rfind("CONECT", 0) != 0) continue;
    std::istringstream fields(line.substr(6, 25));   // the atom and its bonded partners
    int from = 0, to = 0;
    fields >> from;
    while (fields >> to) facts.conect.insert({std::min(from, to), std::max(from, to)});
  }
  return facts;
}

// Ring bonds typed aromatic (order 9), or the double bonds of an alternating pattern.
int ringMultiple(const Molecule* m, const std::vector<std::string>& ring) {
  int aromatic = 0, doubles = 0;
  for (size_t k = 0; k < ring.size(); ++k) {
    const int order = pdbtest::orderBetween(m, ring[k], 1, ring[(k + 1) % ring.size()], 1);
    aromatic += order == kAromaticOrder;
    doubles += order == 2;
  }
  return aromatic == static_cast<int>(ring.size()) ? 3 : doubles;
}

}  // namespace

class PDBFiles : public PDBFixture {};

TEST_F(PDBFiles, ProteaseWithInhibitorIsReadWhole) {
  const std::vector<Molecule*> out = readPath(kProtease);
  ASSERT_EQ(1u, out.size());
  const Molecule* m = out[0];
  EXPECT_EQ("1hpv_0", m->getName());

  const FileFacts facts = factsOf(kProtease);
  std::map<int, const Atom*> bySerial;
  for (const Atom* a : m->atoms)
    if (a->serialNumber > 0) bySerial[a->serialNumber] = a;
  for (int serial : facts.serials) EXPECT_EQ(1u, bySerial.count(serial)) << serial;

  // Every standard residue is bonded: its backbone, and every heavy atom to something.
  std::map<std::string, std::map<std::string, const Atom*> > residues;
  for (const Atom* a : m->atoms) {
    if (a->isHetero || a->residueName == "HOH" || a->element == "H") continue;
    residues[a->chainId + std::to_string(a->residueNumber)][a->name] = a;
    EXPECT_FALSE(a->bonds.empty()) << a->chainId << a->residueNumber << " " << a->name;
  }
  EXPECT_EQ(198u, residues.size());
  for (auto& residue : residues) {
    auto& atoms = residue.second;
    ASSERT_TRUE(atoms.count("N") && atoms.count("CA") && atoms.count("C") && atoms.count("O"))
        << residue.first;
    EXPECT_NE(nullptr, m->getBond(atoms["N"], atoms["CA"])) << residue.first;
    EXPECT_NE(nullptr, m->getBond(atoms["CA"], atoms["C"])) << residue.first;
    const Bond* carbonyl = m->getBond(atoms["C"], atoms["O"]);
    EXPECT_TRUE(carbonyl != nullptr && carbonyl->order == 2) << residue.first;
  }
  // The inhibitor's "CONECT" bonds are all there.
  ASSERT_FALSE(facts.conect.empty());
  for (const auto& pair : facts.conect) {
    ASSERT_TRUE(bySerial.count(pair.first) && bySerial.count(pair.second));
    EXPECT_NE(nullptr, m->getBond(bySerial[pair.first], bySerial[pair.second]))
        << pair.first << "-" << pair.second;
  }
  const std::vector<std::string> parts = {"A", "B", " ", "WATER", "HETATM"};
  EXPECT_EQ(parts, m->chainIds);
  EXPECT_TRUE(m->smiles.empty());
}

TEST_F(PDBFiles, WrittenProteaseIsReadByOpenBabelAndUsAsTheSameAtoms) {
  const std::vector<Molecule*> out = readPath(kProtease);
  ASSERT_EQ(1u, out.size());
  const std::string path = (folder / "written.pdb").string();
  ASSERT_EQ(1, parser.writePDBFile(out[0], path.c_str()));
  // One "TER" between chains.
  int ter = 0;
  for (const std::string& line : kvtest::linesOf(kvtest::readFile(path)))
    ter += line.rfind("TER", 0) == 0;
  std::set<std::string> chains;
  for (const Atom* a : out[0]->atoms) chains.insert(a->chainId);
  EXPECT_EQ(static_cast<int>(chains.size()) - 1, ter);

  // Open Babel reads the same atoms: the element counts of its xyz output.
  const iotest::ToolRun obabel =
      iotest::runProgram("obabel", {"-ipdb", QString::fromStdString(path), "-oxyz"});
  ASSERT_EQ(0, obabel.exitCode) << obabel.err;
  const std::vector<std::string> xyz = kvtest::linesOf(obabel.out);
  ASSERT_EQ(out[0]->atoms.size() + 2, xyz.size());
  std::map<std::string, int> elements, expected;
  for (size_t i = 2; i < xyz.size(); ++i) ++elements[xyz[i].substr(0, xyz[i].find(' '))];
  for (const Atom* a : out[0]->atoms) ++expected[a->element];
  EXPECT_EQ(expected, elements);

  // Our own reader gets every atom back, hydrogens included, each on the same heavy atom and
  // heavy atoms in their order at the file's precision; every bond with its order; the listed
  // bonds stay listed; the chains stay.
  const std::vector<Molecule*> back = readPath(path);
  ASSERT_EQ(1u, back.size());
  ASSERT_EQ(out[0]->atoms.size(), back[0]->atoms.size());
  EXPECT_EQ(out[0]->bonds.size(), back[0]->bonds.size());
  auto key = [](const Atom* a) {
    return a->chainId + ":" + std::to_string(a->residueNumber) + ":" + a->name;
  };
  auto heavyAtoms = [](const Molecule* m) {
    std::vector<const Atom*> heavy;
    for (const Atom* a : m->atoms)
      if (a->element != "H") heavy.push_back(a);
    return heavy;
  };
  const std::vector<const Atom*> heavyBefore = heavyAtoms(out[0]), heavyAfter = heavyAtoms(back[0]);
  ASSERT_EQ(heavyBefore.size(), heavyAfter.size());
  for (size_t i = 0; i < heavyBefore.size(); ++i) {
    EXPECT_EQ(key(heavyBefore[i]), key(heavyAfter[i]));
    EXPECT_LT(kvtest::distance(heavyBefore[i], heavyAfter[i]), 1e-3) << key(heavyBefore[i]);
  }
  auto graph = [&](const Molecule* m) {
    std::map<std::string, int> edges;   // heavy pair with order, or heavy atom with its H count
    for (Bond* b : m->bonds) {
      const bool h1 = b->atom1->element == "H", h2 = b->atom2->element == "H";
      if (h1 || h2) {
        ++edges[key(h1 ? b->atom2 : b->atom1) + " H"];
        continue;
      }
      std::string x = key(b->atom1), y = key(b->atom2);
      if (y < x) std::swap(x, y);
      edges[x + " " + y] = b->order;
    }
    return edges;
  };
  EXPECT_EQ(graph(out[0]), graph(back[0]));
  auto listed = [&](const Molecule* m) {
    std::set<std::string> pairs;
    for (const Bond* b : m->bonds)
      if (b->pdbFlag) pairs.insert(key(b->atom1) + " " + key(b->atom2));
    return pairs;
  };
  const std::set<std::string> listedAfter = listed(back[0]);
  for (const std::string& pair : listed(out[0])) EXPECT_EQ(1u, listedAfter.count(pair)) << pair;
  EXPECT_EQ(out[0]->chainIds, back[0]->chainIds);
}

TEST_F(PDBFiles, FolderLoaderHangsFilesAndChainsIntoTheTree) {
  const pdbtest::fs::path sub = folder / "proteins";
  pdbtest::fs::create_directories(sub);
  pdbtest::fs::copy_file(kProtease, sub / "1hpv.pdb");
  std::ofstream(sub / "broken.pdb") << "TER\n";
  IOEngine* engine = IOEngine::instance();
  const int before = engine->moleculeRoot->childCount();
  std::vector<Molecule*> loaded;
  kvtest::ErrorCapture errorLog;
  const int count = engine->loadPDBFilesFromDirectory(folder.string().c_str(), &loaded);
  molecules.insert(molecules.end(), loaded.begin(), loaded.end());
  EXPECT_EQ(1, count);
  ASSERT_EQ(before + 1, engine->moleculeRoot->childCount());
  // The folder's item holds the file's, which holds the molecule's with its five parts; the
  // broken file adds no item.
  QTreeWidgetItem* folderItem = engine->moleculeRoot->child(before);
  EXPECT_EQ("proteins", folderItem->text(0).toStdString());
  ASSERT_EQ(1, folderItem->childCount());
  ASSERT_EQ(1, folderItem->child(0)->childCount());
  QTreeWidgetItem* item = folderItem->child(0)->child(0);
  ASSERT_EQ(5, item->childCount());
  EXPECT_EQ("PDB#1hpv_0#B", item->child(1)->data(0, Qt::UserRole).toString().toStdString());
  delete engine->moleculeRoot->takeChild(before);
}

TEST_F(PDBFiles, ShippedResidueTemplatesBondTheProtease) {
  // The residue templates of the library, loaded as the application does at start-up.
  MoleculeEngine* library = MoleculeEngine::instance();
  const size_t before = library->groups.size();
  library->loadGroups(std::string(KV_SOURCE_DIR));
  ASSERT_NE(nullptr, library->getFunctionalGroupByName("TRP"));
  kvtest::ErrorCapture errorLog;
  const std::vector<Molecule*> out = readPath(kProtease);
  // Arginine's guanidinium carbon once got two double bonds from the template and the
  // amino-acid rules together.
  EXPECT_EQ(std::string::npos, errorLog.text().find("atom typing")) << errorLog.text();
  // The library's molecules go again, so later tests see the library as it was.
  for (size_t i = before; i < library->groups.size(); ++i) {
    Molecule* g = library->groups[i];
    library->patterns.erase(std::remove(library->patterns.begin(), library->patterns.end(), g),
                            library->patterns.end());
    delete g;
  }
  library->groups.resize(before);
  ASSERT_EQ(1u, out.size());
  const Molecule* m = out[0];
  for (const Atom* a : m->atoms) {
    if (a->isHetero || a->residueName == "HOH") continue;
    EXPECT_FALSE(a->bonds.empty()) << a->residueNumber << a->name;
  }
  EXPECT_EQ(2, pdbtest::orderBetween(m, "C", 6, "O", 6));
  EXPECT_EQ(1, pdbtest::orderBetween(m, "CB", 6, "CG", 6));
}

class PDBLigand : public PDBFixture {};

TEST_F(PDBLigand, ProteaseInhibitorHasAromaticRingsSulfonylAndCarbamate) {
  const std::vector<Molecule*> out = readPath(kProtease);
  ASSERT_EQ(1u, out.size());
  int hydrogens = 0;
  for (const Atom* a : out[0]->atoms) {
    if (a->residueName != "478") continue;
    if (a->element == "H") { ++hydrogens; continue; }
    EXPECT_LE(orderSum(a), largestValence(a) + std::abs(a->charge)) << a->name;
  }
  EXPECT_EQ(35, hydrogens);   // C25H35N3O6S
  // Both benzene rings aromatic (no hydrogen on C8, C17, C20), S(=O)2, C3=O2, NH2 on C20.
  for (const char* name : {"C8", "C17", "C20"})
    EXPECT_EQ(0, hydrogensOn(pdbtest::findAtom(out[0], name, 200))) << name;
  for (const char* name : {"C9", "C10", "C11", "C12", "C13", "C18", "C19", "C21", "C22"}) {
    const Atom* a = pdbtest::findAtom(out[0], name, 200);
    EXPECT_EQ(1, hydrogensOn(a)) << name;
    EXPECT_TRUE(a->isAromatic) << name;
  }
  EXPECT_EQ(2, pdbtest::orderBetween(out[0], "S1", 200, "O4", 200));
  EXPECT_EQ(2, pdbtest::orderBetween(out[0], "S1", 200, "O5", 200));
  EXPECT_EQ(2, pdbtest::orderBetween(out[0], "C3", 200, "O2", 200));
  EXPECT_EQ(1, pdbtest::orderBetween(out[0], "C20", 200, "N3", 200));
  EXPECT_EQ(2, hydrogensOn(pdbtest::findAtom(out[0], "N3", 200)));
}

TEST_F(PDBLigand, BenzoateKeepsItsRingAndTheShortCarbonylWithOrWithoutConect) {
  for (const char* file : {"pdb-benzoate.pdb", "pdb-benzoate-conect.pdb"}) {
    const Molecule* m = readData(file);
    ASSERT_NE(nullptr, m) << file;
    expectNoOverValentAtom(m, file);
    EXPECT_EQ(3, ringMultiple(m, {"C1", "C2", "C3", "C4", "C5", "C6"})) << file;
    // O1 is the shorter C-O although it comes first.
    EXPECT_EQ(2, pdbtest::orderBetween(m, "C7", 1, "O1", 1)) << file;
    EXPECT_EQ(1, pdbtest::orderBetween(m, "C7", 1, "O2", 1)) << file;
    EXPECT_EQ(6, kvtest::countElement(*m, "H")) << file;
  }
}

TEST_F(PDBLigand, SmallLigandsGetSoundOrdersAndHydrogenCounts) {
  // The amide C-N stays single; pyridine's ring was perceived once before the orders were
  // repaired, and its nitrogen must still come out bare; nitro has one N=O, the other oxygen
  // carries -1 and the nitrogen +1.
  const struct {
    const char* file;
    int hydrogens;
    std::vector<std::tuple<const char*, const char*, int> > orders;
    std::vector<std::pair<const char*, int> > hydrogensOnAtom;
  } cases[] = {
      {"pdb-acetamide.pdb", 5, {{"C2", "O1", 2}, {"C2", "N1", 1}}, {{"N1", 2}}},
      {"pdb-ketone.pdb", 6, {{"C2", "O2", 2}}, {}},
      {"pdb-nitro.pdb", 3, {{"N1", "C1", 1}}, {{"O1", 0}, {"O2", 0}}},
      {"pdb-pyridine.pdb", 5, {},
       {{"N1", 0}, {"C2", 1}, {"C3", 1}, {"C4", 1}, {"C5", 1}, {"C6", 1}}},
  };
  for (const auto& c : cases) {
    const Molecule* m = readData(c.file);
    ASSERT_NE(nullptr, m) << c.file;
    expectNoOverValentAtom(m, c.file);
    EXPECT_EQ(c.hydrogens, kvtest::countElement(*m, "H")) << c.file;
    for (const auto& o : c.orders)
      EXPECT_EQ(std::get<2>(o), pdbtest::orderBetween(m, std::get<0>(o), 1, std::get<1>(o), 1))
          << c.file << " " << std::get<0>(o) << "-" << std::get<1>(o);
    for (const auto& h : c.hydrogensOnAtom)
      EXPECT_EQ(h.second, hydrogensOn(pdbtest::findAtom(m, h.first, 1))) << c.file << h.first;
  }
  EXPECT_EQ(3, ringMultiple(readData("pdb-pyridine.pdb"), {"N1", "C2", "C3", "C4", "C5", "C6"}));
  const Molecule* nitro = readData("pdb-nitro.pdb");
  EXPECT_EQ(1, pdbtest::findAtom(nitro, "N1", 1)->charge);
  EXPECT_EQ(3, pdbtest::orderBetween(nitro, "N1", 1, "O1", 1) +
                   pdbtest::orderBetween(nitro, "N1", 1, "O2", 1));
}
