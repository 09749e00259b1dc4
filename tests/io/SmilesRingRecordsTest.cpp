// The reader's ring-opening records: ids handed to them land only in rings still open.

#include <gtest/gtest.h>

#include "io/SmilesParser.h"
#include "model/Molecule.h"
#include "support/ErrorCapture.h"

class SmilesParserTestAccess {
 public:
  static void run(SmilesParser& parser, const std::string& smiles) {
    parser.Clear();
    parser.text = smiles;
    delete parser.parseSmiles();
    parser.addAtomToRings(7);
    parser.addBondToRings(9);
    parser.addAtomToRings(8);
  }
  static const std::vector<SmilesParser::RingOpening>& records(const SmilesParser& parser) {
    return parser.openRings;
  }
};

TEST(SmilesRingRecords, IdsGoToEveryOpenRingAndNoClosedOne) {
  SmilesParser parser;
  kvtest::ErrorCapture errors;   // the unclosed rings fail the parse but keep their records
  SmilesParserTestAccess::run(parser, "C1CC1C2CC3CC");
  const auto& records = SmilesParserTestAccess::records(parser);
  ASSERT_EQ(3u, records.size());
  EXPECT_TRUE(records[0].closed);
  EXPECT_TRUE(records[0].memberAtomIds.empty() && records[0].memberBondIds.empty());
  for (size_t r = 1; r < 3; ++r) {
    EXPECT_EQ((std::vector<int>{7, 8}), records[r].memberAtomIds) << "ring " << records[r].number;
    EXPECT_EQ((std::vector<int>{9}), records[r].memberBondIds);
  }
}
