// The developer text service that splits connection strings.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "math/UtilityEngine.h"

TEST(ConnectionString, SplitsAtTopLevelAmpersandsAndKeepsBracedGroups) {
  const struct {
    const char* text;
    std::vector<std::string> pieces;
  } cases[] = {{"A&B", {"A", "B"}}, {"{A&B}&C", {"A&B", "C"}}, {"", {}},
               {"A&&B", {"A", "B"}},                // the empty piece is dropped ...
               {"A&&BC", {"A", "BC"}},              // ... and does not cut the next one short
               {" A & {B & C} ", {"A", "B&C"}},
               {"{{A&B}&C}&D", {"A&B&C", "D"}},     // only the outermost brace ends a piece
               {"A}&B{", {"A", "B"}}};              // unbalanced braces never lose text
  for (const auto& c : cases) {
    std::vector<std::string> pieces = {"left over"};
    UtilityEngine::instance()->getConnFromString(c.text, pieces);
    EXPECT_EQ(c.pieces, pieces) << c.text;
  }
}
