// The reader's ring-opening records: ids handed to them land only in rings still open.

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "io/SmilesParser.h"
#include "model/Molecule.h"
#include "support/ErrorCapture.h"

class SmilesParserTestAccess {
 public:
  // Parses the grammar only, so the ring records stay for the test to read (an unclosed ring
  // fails the parse but keeps them).
  static std::unique_ptr<Molecule> parse(SmilesParser& parser, const std::string& smiles) {
    parser.Clear();
    parser.text = smiles;
    return std::unique_ptr<Molecule>(parser.parseSmiles());
  }
  static void addAtom(SmilesParser& parser, int id) { parser.addAtomToRings(id); }
  static void addBond(SmilesParser& parser, int id) { parser.addBondToRings(id); }
  static const std::vector<SmilesParser::RingOpening>& records(const SmilesParser& parser) {
    return parser.openRings;
  }
};

TEST(SmilesRingRecords, IdsGoToEveryOpenRingAndNoClosedOne) {
  SmilesParser parser;
  kvtest::ErrorCapture errors;
  SmilesParserTestAccess::parse(parser, "C1CC1C2CC3CC");
  SmilesParserTestAccess::addAtom(parser, 7);
  SmilesParserTestAccess::addBond(parser, 9);
  SmilesParserTestAccess::addAtom(parser, 8);
  const auto& records = SmilesParserTestAccess::records(parser);
  ASSERT_EQ(3u, records.size());
  EXPECT_TRUE(records[0].closed);
  EXPECT_TRUE(records[0].memberAtomIds.empty());
  EXPECT_TRUE(records[0].memberBondIds.empty());
  for (size_t r = 1; r < 3; ++r) {
    EXPECT_EQ((std::vector<int>{7, 8}), records[r].memberAtomIds) << "ring " << records[r].number;
    EXPECT_EQ((std::vector<int>{9}), records[r].memberBondIds);
  }
}
