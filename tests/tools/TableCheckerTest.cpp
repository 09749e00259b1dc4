// The table checker: the shipped tables pass, and each fault it guards against is found in a
// small sound set of tables spoilt by one row.

#include "tools/TableChecker.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
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

class TableCheckerTest : public ::testing::Test {
protected:
  // The sound tables with extra text appended to the one named.
  std::vector<std::string> check(const std::string& atomTypes = "",
                                 const std::string& rules = "",
                                 const std::string& elements = "",
                                 const std::string& rings = "",
                                 const std::string& hybrid = "") {
    InputParameters tables{InputParameters::EmptyTables{}};
    tables.parseAtomTypeTable(kAtomTypes + atomTypes);
    tables.parseElementTable(elements.empty() ? std::string(kElements) : elements);
    tables.parseTypeRulesTable(kRules + rules);
    tables.parseBasicRingTable(kRings + rings);
    tables.parseHybridTypeTable(kHybrid + hybrid);
    tables.parseBondOrderTable(kBondOrders);
    return TableChecker(tables).check();
  }

  static std::string joined(const std::vector<std::string>& problems) {
    std::string out;
    for (const std::string& line : problems) out += line + "\n";
    return out;
  }

  // The spoilt row is reported (the sound tables alone report nothing, see below); a fault may
  // also trip an older, coarser check.
  static void expectFound(const std::vector<std::string>& problems, const std::string& part) {
    EXPECT_NE(std::string::npos, joined(problems).find(part)) << joined(problems);
  }
};

TEST_F(TableCheckerTest, ShippedTablesHaveNoFault) {
  std::vector<std::string> problems = TableChecker(*InputParameters::instance()).check();
  EXPECT_TRUE(problems.empty()) << joined(problems);
}

TEST_F(TableCheckerTest, SoundSmallTablesHaveNoFault) {
  std::vector<std::string> problems = check();
  EXPECT_TRUE(problems.empty()) << joined(problems);
}

TEST_F(TableCheckerTest, TypeGivenByRuleTemplateOrHybridNeedsItsOwnRow) {
  // CSP3 is a super type and C an element: neither is a row the set-up pipeline can find.
  expectFound(check("", "LEVEL 1\nTYPE CSP3\nMAIN C\nSINGLE * * * *\n"),
             "type \"CSP3\" given by a level 1 rule has no atom-type row");
  expectFound(check("", "", "", "RING PYRR\nATOM C1 C CPYR\nATOM C2 C CAH1\nATOM C3 C CAH1\n"
                               "SINGLE C1 C2  C2 C3  C3 C1\n"),
             "type \"CPYR\" given by PYRR has no atom-type row");
  expectFound(check("", "", "", "", "CAPH CAH1 CAPH\n"),
             "type \"CAPH\" given by CAPH + CAH1 has no atom-type row");
}

TEST_F(TableCheckerTest, BaseTypeMustBeAType) {
  expectFound(check("CH2 CQ CSP3 C 12.01115 0.86359 -0.055 2.175 2.55 2.27054 0\n"),
             "base type \"CQ\" of \"CH2\" is no type");
}

TEST_F(TableCheckerTest, RuleNeedsItsMainFromAnEarlierLevel) {
  // CE is given at level 2 only, so a level 2 rule cannot start from it (one snapshot a level).
  expectFound(check("", "LEVEL 2\nTYPE CAH1\nMAIN CE\nSINGLE * *\n"),
             "level 2 rule \"CAH1\" needs MAIN \"CE\", which no earlier level gives");
  // The negative levels run after everything else, but not before themselves.
  expectFound(check("", "LEVEL -2\nTYPE CE\nMAIN CA\nSINGLE *\nLEVEL -1\nTYPE CE\nMAIN CCPH\n"
                       "SINGLE *\n"),
             "level -1 rule \"CE\" needs MAIN \"CCPH\"");
  // Level 1 starts from the element symbols.
  expectFound(check("", "LEVEL 1\nTYPE CE\nMAIN CH3\nSINGLE *\n"),
             "level 1 rule \"CE\" needs MAIN \"CH3\"");
  expectFound(check("", "LEVEL 2\nTYPE CE\nMAIN CH3\nSINGLE CE\n"),
             "names neighbour \"CE\", which no earlier level gives");
  expectFound(check("", "LEVEL 0\nTYPE CE\nMAIN C\nSINGLE *\n"), "at level 0, never applied");
}

TEST_F(TableCheckerTest, WellDepthMustBeNegative) {
  expectFound(check("CH2 CH3 CSP3 C 12.01115 0.86359 0.055 2.175 2.55 2.27054 0\n"),
             "well depth 0.055 of \"CH2\" is not negative");
}

TEST_F(TableCheckerTest, MassMustTellCarbonAndNitrogenApart) {
  expectFound(check("CH2 CH3 CSP3 C 13.01 0.86359 -0.055 2.175 2.55 2.27054 0\n"),
             "mass 13.01 of \"CH2\"");
  // An oxygen type weighing 14 would be taken for a nitrogen by the improper terms.
  expectFound(check("OE OE OSP3 O 14.0 0.74996 -0.1521 1.77 3.07 2.76098 0\n"),
             "mass 14 of \"OE\"");
}

TEST_F(TableCheckerTest, ElementColumnIsAStandardSymbol) {
  expectFound(check("SIA SIA SISP3 SI 28.0855 1.2613 -0.402 2.1475 1.94 1.53489 0\n"),
              "element \"SI\" of \"SIA\" is no element symbol");
}

TEST_F(TableCheckerTest, EveryElementUsedNeedsAnElementRow) {
  expectFound(check("", "", "H 1\nC 4\nDUM 1\n"),
             "element \"O\" of type \"OH\" has no element row");
  expectFound(check("", "", "H 1\nC 4\nO 2\n"), "element \"DUM\" of type \"DUM\"");
  expectFound(check("", "LEVEL 1\nTYPE OH\nMAIN N\nSINGLE H H\n"),
              "element \"N\" of level 1 rule \"OH\" has no element row");
  expectFound(check("", "", "H 1\nC 4\nO 2\nDUM 1\n", "RING X\nATOM A SI CAH1\n"),
              "element \"SI\" of ring X has no element row");
}

// Bond and angle tables on the sound atom types: only the spoilt rows may be reported.
std::vector<std::string> checkBondsAndAngles(const std::string& bonds, const std::string& angles) {
  InputParameters tables{InputParameters::EmptyTables{}};
  tables.parseAtomTypeTable(kAtomTypes);
  tables.parseElementTable(kElements);
  tables.parseBondTable(bonds);
  tables.parseAngleTable(angles);
  return TableChecker(tables).check();
}

const char* const kSoundAngles = "H CH3 H 109.5\n* CH3 * 109.5\n* OH * 104.5\n";

TEST_F(TableCheckerTest, DistanceMustLieInItsElementPairsBand) {
  // An alcohol's C-O and a thiol's C-S once left the table at 1.30 and 1.56 A; a nitrile's C-N
  // stood at 1.04 A. Between two sp3 centres the short end of the pair's band does not apply.
  const std::string sound = "H CH3 1 1.64920 1.10974 4.16395 0.37\nCH3 OH 1 2.11 1.423 3.7 0.7\n"
                            "CE OH 1 2.0 1.36 3.7 0.7\nCE CE 2 2.0 1.337 6.3 0\n";
  EXPECT_TRUE(checkBondsAndAngles(sound, kSoundAngles).empty());
  expectFound(checkBondsAndAngles(sound + "CE CH3 2 1.9 1.20 6.0 0\n", kSoundAngles),
              "distance 1.200 A of \"CE CH3 2\" outside 1.24-1.38 A");
  expectFound(checkBondsAndAngles(sound + "CH3 OH 1 1.9 1.30 3.7 0.7\n", kSoundAngles),
              "distance 1.300 A of \"CH3 OH 1\" outside 1.34-1.48 A");
}

TEST_F(TableCheckerTest, ElementSymbolMustHaveItsStandardCase) {
  // Writers take the symbol from the type row: "SI" came out in SMILES as [SI].
  expectFound(check("SIA SIA SISP3 SI 28.0855 1.2613 -0.402 2.1475 1.94 1.53 0\n"),
              "element \"SI\" of \"SIA\" is no element symbol in its standard case");
}

TEST_F(TableCheckerTest, BondOrbitalMustEncloseBothNuclei) {
  // 0.529 x 1.04 = 0.550 A is short of half of 1.11 A: a nucleus would stand outside.
  const std::string sound = "H CH3 1 1.64920 1.10974 4.16395 0.37\n";
  EXPECT_TRUE(checkBondsAndAngles(sound, kSoundAngles).empty());
  expectFound(checkBondsAndAngles(sound + "H OH 1 1.04 1.11 4.5 1.5\n", kSoundAngles),
              "major axis not beyond the foci in \"H OH 1\"");
}

TEST_F(TableCheckerTest, ExactRowShadowedByAnEarlierRowIsFound) {
  expectFound(checkBondsAndAngles("H CH3 1 1.6 1.1 4.1 0.3\nCH3 H 1 1.6 1.1 4.2 0.3\n", kSoundAngles),
              "duplicate row \"CH3 H 1\"");
  expectFound(checkBondsAndAngles("H C* 1 1.6 1.1 4.1 0.3\nH CH3 1 1.6 1.1 4.2 0.3\n", kSoundAngles),
              "pattern row \"C* H 1\" hides \"CH3 H 1\"");
}

TEST_F(TableCheckerTest, PatternRowsStandAfterThePlainRowsOfTheirSection) {
  expectFound(checkBondsAndAngles("OH C* 1 2.1 1.4 3.6 0.7\nH OH 1 1.4 0.96 4.5 1.5\n", kSoundAngles),
              "plain row \"H OH 1\" after the pattern row");
  // A pattern row closing the exact section does not constrain the approximated rows below.
  EXPECT_TRUE(checkBondsAndAngles("H OH 1 1.4 0.96 4.5 1.5\nOH C* 1 2.1 1.4 3.6 0.7\n"
                                  "#APPROXIMATED#\nH O 1 1.4 0.96 4.5 1.5\n", kSoundAngles)
                  .empty());
}

TEST_F(TableCheckerTest, EveryAngleCentreNeedsItsDefaultRowAtTheEnd) {
  expectFound(checkBondsAndAngles("", "H CH3 H 109.5\nH OH CH3 108.0\n* CH3 * 109.5\n"),
              "centre \"OH\" has no \"* OH *\" row");
  expectFound(checkBondsAndAngles("", "* CH3 * 109.5\nH CH3 H 109.5\n* OH * 104.5\n"),
              "specific row \"H CH3 H\" after the \"* X *\" defaults");
}

}  // namespace

// The tool on a folder of the thirteen tables: the shipped ones pass, and one line that a reader
// rejects fails the run, though every row that was read is sound.
TEST(TableCheckerTool, ExitsNonZeroOnALineAReaderRejects) {
  InputParameters::instance();   // registers the embedded tables
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  for (const char* name : {"bondparameters.txt", "angleparameters.txt", "dihedralparameters.txt",
                           "supertype.txt", "bondmoments.txt", "cyclictemplates.txt",
                           "combinerules.txt", "emag.txt", "element.txt", "basicrings.txt",
                           "basicatomtypes.txt", "bondordertable.txt", "hybridatomtypes.txt"})
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
  QFile::setPermissions(templates, QFile::ReadOwner | QFile::WriteOwner);
  QFile spoilt(templates);
  ASSERT_TRUE(spoilt.open(QIODevice::WriteOnly | QIODevice::Truncate));
  spoilt.write("RING 3 4\nC 0 0 0\nC 1.5 0 0\nC 0.75 1.3 0\nH 0 0 1\nCONN 1 4 0  2 0 0  3 19 0\n");
  spoilt.close();
  EXPECT_EQ(1, run(errors));
  EXPECT_TRUE(errors.contains("a reader rejected")) << errors.toStdString();
  EXPECT_TRUE(errors.contains("atom number \"19\" outside the 4 atoms")) << errors.toStdString();
}
