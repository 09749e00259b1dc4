// The table checker: the shipped tables pass, and each fault it guards against is found in a
// small sound set of tables spoilt by one row.

#include "tools/TableChecker.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

// Carbon, oxygen and hydrogen types with an aromatic ring and one hybrid row; sound as given.
const char* const kAtomTypes =
    "CH3  CH3  CSP3 C 12.01115 0.86359 -0.0800 2.06 2.55 2.27054 0\n"
    "CE   CE   CSP2 C 12.01115 0.82950 -0.0680 2.09 2.75 2.27054 1\n"
    "CAH1 CAH1 CSP2 C 12.01115 0.82950 -0.0700 1.99 2.75 2.27054 1\n"
    "CA   CAH1 CSP2 C 12.01115 0.82950 -0.0700 1.99 2.75 2.27054 1\n"
    "CCPH CAH1 CSP2 C 12.01115 0.82950 -0.0700 1.99 2.75 2.27054 1\n"
    "OH   OH   OSP3 O 15.99940 0.74996 -0.1521 1.77 3.07 2.76098 0\n"
    "CD   CD   CSP3 C 12.01115 0.86359 -0.0800 2.06 2.55 2.27054 2\n"
    "H    H    H    H  1.00790 0.35225 -0.0220 1.32 2.92 2.91991 0\n"
    "DUM  DUM  DUM  R  1.0079  0.01    -0.0001 0.2245 0.0\n";
const char* const kElements = "H 1\nC 4\nO 2\nDUM 1\n";
const char* const kRules =
    "LEVEL 1\n"
    "TYPE CH3\nMAIN C\nSINGLE C H H H\n"
    "TYPE OH\nMAIN O\nSINGLE H *\n"
    "TYPE CAH1\nMAIN C\nAROMAT C C\nSINGLE *\n"
    "LEVEL 2\n"
    "TYPE CE\nMAIN CH3\nSINGLE OH H H H\n"
    "LEVEL -1\n"
    "TYPE CA\nMAIN CAH1\nAROMAT * *\nSINGLE *\n";
const char* const kRings =
    "RING BENZ\nISAROM TRUE\n"
    "ATOM C1 C CAH1\nATOM C2 C CAH1\nATOM C3 C CAH1\n"
    "AROMAT C1 C2  C2 C3  C3 C1\n";
const char* const kHybrid = "CAH1 CAH1 CA\n";
const char* const kBondOrders = "C O 1 0.0 1.52\n";

// The sound bond and angle rows: between two sp3 centres the short end of the C-O band does not
// apply, but it does where one centre gives pi electrons (CD, as the pyridine N-oxide's ring
// nitrogen shares the amines' super type).
const char* const kBonds = "H CH3 1 1.64920 1.10974 4.16395 0.37\nCH3 OH 1 2.11 1.423 3.7 0.7\n"
                           "CE OH 1 2.0 1.36 3.7 0.7\nCE CE 2 2.0 1.337 6.3 0\n"
                           "CD OH 1 2.0 1.30 3.7 0.7\n";
const char* const kAngles = "H CH3 H 109.5\n* CH3 * 109.5\n* OH * 104.5\n";

const char* const kRingStrain = "RING 5 0.27\nRING 6 0.0\n";

enum Table { AtomTypes, Rules, Rings, Hybrid, Elements, Bonds, Angles, RingStrain };

std::string joined(const std::vector<std::string>& problems) {
  std::string out;
  for (const std::string& line : problems) out += line + "\n";
  return out;
}

// The problems found in the sound tables with the text appended to the one named; the element,
// bond, angle and ring-strain tables are replaced by it.
std::string check(Table spoilt, const std::string& text) {
  auto table = [&](Table t, const char* sound) {
    return t != spoilt ? std::string(sound) : t >= Elements ? text : sound + text;
  };
  InputParameters tables{InputParameters::EmptyTables{}};
  tables.parseAtomTypeTable(table(AtomTypes, kAtomTypes));
  tables.parseElementTable(table(Elements, kElements));
  tables.parseTypeRulesTable(table(Rules, kRules));
  tables.parseBasicRingTable(table(Rings, kRings));
  tables.parseHybridTypeTable(table(Hybrid, kHybrid));
  tables.parseBondOrderTable(kBondOrders);
  tables.parseBondTable(table(Bonds, kBonds));
  tables.parseAngleTable(table(Angles, kAngles));
  tables.parseRingStrainTable(table(RingStrain, kRingStrain));
  return joined(TableChecker(tables).check());
}

TEST(TableChecker, SoundTablesHaveNoFault) {
  EXPECT_EQ("", check(AtomTypes, ""));
  // A pattern row closing the exact section does not constrain the approximated rows below.
  EXPECT_EQ("", check(Bonds, "H OH 1 1.4 0.96 4.5 1.5\nOH C* 1 2.1 1.4 3.6 0.7\n"
                             "#APPROXIMATED#\nH O 1 1.4 0.96 4.5 1.5\n"));
}

// Each spoilt row is reported; a fault may also trip an older, coarser check.
TEST(TableChecker, EachSpoiltRowIsFound) {
  const struct {
    Table table;
    const char* text;
    const char* found;
  } cases[] = {
      // CSP3 is a super type and C an element: neither is a row the set-up pipeline can find.
      {Rules, "LEVEL 1\nTYPE CSP3\nMAIN C\nSINGLE * * * *\n",
       "type \"CSP3\" given by a level 1 rule has no atom-type row"},
      {Rings,
       "RING PYRR\nATOM C1 C CPYR\nATOM C2 C CAH1\nATOM C3 C CAH1\nSINGLE C1 C2  C2 C3  C3 C1\n",
       "type \"CPYR\" given by PYRR has no atom-type row"},
      {Hybrid, "CAPH CAH1 CAPH\n", "type \"CAPH\" given by CAPH + CAH1 has no atom-type row"},
      {AtomTypes, "CH2 CQ CSP3 C 12.01115 0.86359 -0.055 2.175 2.55 2.27054 0\n",
       "base type \"CQ\" of \"CH2\" is no type"},
      // CE is given at level 2 only, so a level 2 rule cannot start from it (one snapshot a level).
      {Rules, "LEVEL 2\nTYPE CAH1\nMAIN CE\nSINGLE * *\n",
       "level 2 rule \"CAH1\" needs MAIN \"CE\", which no earlier level gives"},
      // The negative levels run after everything else, but not before themselves.
      {Rules, "LEVEL -2\nTYPE CE\nMAIN CA\nSINGLE *\nLEVEL -1\nTYPE CE\nMAIN CCPH\nSINGLE *\n",
       "level -1 rule \"CE\" needs MAIN \"CCPH\""},
      // Level 1 starts from the element symbols.
      {Rules, "LEVEL 1\nTYPE CE\nMAIN CH3\nSINGLE *\n",
       "level 1 rule \"CE\" needs MAIN \"CH3\""},
      {Rules, "LEVEL 2\nTYPE CE\nMAIN CH3\nSINGLE CE\n",
       "names neighbour \"CE\", which no earlier level gives"},
      {Rules, "LEVEL 0\nTYPE CE\nMAIN C\nSINGLE *\n", "at level 0, never applied"},
      {AtomTypes, "CH2 CH3 CSP3 C 12.01115 0.86359 0.055 2.175 2.55 2.27054 0\n",
       "well depth 0.055 of \"CH2\" is not negative"},
      // An oxygen type weighing 14 would be taken for a nitrogen by the improper terms.
      {AtomTypes, "OE OE OSP3 O 14.0 0.74996 -0.1521 1.77 3.07 2.76098 0\n", "mass 14 of \"OE\""},
      // Writers take the symbol from the type row: "SI" came out in SMILES as [SI].
      {AtomTypes, "SIA SIA SISP3 SI 28.0855 1.2613 -0.402 2.1475 1.94 1.53 0\n",
       "element \"SI\" of \"SIA\" is no element symbol in its standard case"},
      {Elements, "H 1\nC 4\nDUM 1\n", "element \"O\" of type \"OH\" has no element row"},
      {Rules, "LEVEL 1\nTYPE OH\nMAIN N\nSINGLE H H\n",
       "element \"N\" of level 1 rule \"OH\" has no element row"},
      {Rings, "RING X\nATOM A SI CAH1\n", "element \"SI\" of ring X has no element row"},
      // An alcohol's C-O and a thiol's C-S once left the table at 1.30 and 1.56 A.
      {Bonds, "CH3 OH 1 1.9 1.30 3.7 0.7\n",
       "distance 1.300 A of \"CH3 OH 1\" outside 1.34-1.48 A"},
      // 0.529 x 1.04 = 0.550 A is short of half of 1.11 A: a nucleus would stand outside.
      {Bonds, "H OH 1 1.04 1.11 4.5 1.5\n", "major axis not beyond the foci in \"H OH 1\""},
      {Bonds, "H CH3 1 1.6 1.1 4.1 0.3\nCH3 H 1 1.6 1.1 4.2 0.3\n", "duplicate row \"CH3 H 1\""},
      {Bonds, "H C* 1 1.6 1.1 4.1 0.3\nH CH3 1 1.6 1.1 4.2 0.3\n",
       "pattern row \"C* H 1\" hides \"CH3 H 1\""},
      {Bonds, "OH C* 1 2.1 1.4 3.6 0.7\nH OH 1 1.4 0.96 4.5 1.5\n",
       "plain row \"H OH 1\" after the pattern row"},
      {Angles, "H CH3 H 109.5\nH OH CH3 108.0\n* CH3 * 109.5\n",
       "centre \"OH\" has no \"* OH *\" row"},
      {Angles, "* CH3 * 109.5\nH CH3 H 109.5\n* OH * 104.5\n",
       "specific row \"H CH3 H\" after the \"* X *\" defaults"},
      {RingStrain, "RING 5 0.27\nRING 5 0.3\n", "duplicate row \"RING 5\""},
      // Strain in kJ/mol written where eV belong.
      {RingStrain, "RING 7 26.0\n", "energy 26.000000 eV of \"RING 7\" outside its range"},
      {RingStrain, "RING 12 0.1\n", "row \"RING 12\" is no RING of 3 to 9 atoms"},
      {RingStrain, "STRAIN 5 0.27\n", "row \"STRAIN 5\" is no RING"},
      {RingStrain, "ENDO 3 1.1\nENDO 10 0.1\n", "row \"ENDO 10\" is no ENDO of 3 to 9 atoms"},
  };
  for (const auto& c : cases) {
    const std::string problems = check(c.table, c.text);
    EXPECT_NE(std::string::npos, problems.find(c.found)) << c.found << "\n" << problems;
  }
}

}  // namespace

// The tool on a folder of the fourteen tables: the shipped ones pass, and one line that a reader
// rejects fails the run, though every row that was read is sound.
TEST(TableChecker, TorsionTermsFollowEachOtherWithDistinctPeriodicities) {
  auto problems = [](const std::string& dihedrals) {
    InputParameters tables{InputParameters::EmptyTables{}};
    tables.parseAtomTypeTable(kAtomTypes);
    tables.parseElementTable(kElements);
    tables.parseDihedralTable(dihedrals);
    return joined(TableChecker(tables).check());
  };
  const std::string series = "AXIS CSP3 CSP3 1 3 0.0 0.17\nC C 1 1 0.0 0.1\nC C 1 2 180.0 0.4\n";
  EXPECT_EQ("", problems(series));
  EXPECT_NE(std::string::npos, problems(series + "C C 1 2 0.0 0.3\n").find("repeated periodicity"));
  // The same key after another row is never reached by the lookup.
  EXPECT_NE(std::string::npos,
            problems(series + "H H 1 3 0.0 0.1\nC C 1 3 0.0 0.2\n").find("duplicate row"));
}

TEST(TableCheckerTool, ExitsNonZeroOnALineAReaderRejects) {
  InputParameters::instance();   // registers the embedded tables
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  for (const char* name : {"bondparameters.txt", "angleparameters.txt", "dihedralparameters.txt",
                           "supertype.txt", "bondmoments.txt", "cyclictemplates.txt",
                           "combinerules.txt", "emag.txt", "element.txt", "basicrings.txt",
                           "basicatomtypes.txt", "bondordertable.txt", "hybridatomtypes.txt",
                           "ringstrain.txt"})
    ASSERT_TRUE(QFile::copy(QString(InputParameters::resourcePrefix) + name, folder.filePath(name)));
  auto run = [&folder](QString& errors) {
    QProcess tool;
    tool.start(KV_TABLE_CHECKER_PATH, {folder.path() + "/"});
    EXPECT_TRUE(tool.waitForFinished(60000));
    errors = QString::fromLocal8Bit(tool.readAllStandardError());
    return tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1;
  };
  QString errors;
  EXPECT_EQ(0, run(errors)) << errors.toStdString();

  const QString templates = folder.filePath("cyclictemplates.txt");
  ASSERT_TRUE(QFile::remove(templates));   // the copy is read-only
  std::ofstream(templates.toStdString())
      << "RING 3 4\nC 0 0 0\nC 1.5 0 0\nC 0.75 1.3 0\nH 0 0 1\nCONN 1 4 0  2 0 0  3 19 0\n";
  EXPECT_EQ(1, run(errors));
  EXPECT_TRUE(errors.contains("a reader rejected")) << errors.toStdString();
  EXPECT_TRUE(errors.contains("atom number \"19\" outside the 4 atoms")) << errors.toStdString();
}
