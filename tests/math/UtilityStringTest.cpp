#include "math/UtilityEngine.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

UtilityEngine& utility() { return *UtilityEngine::instance(); }

using Strings = std::vector<std::string>;

}  // namespace

TEST(Tokenize, SkipsRunsOfDelimitersAndAppends) {
  Strings tokens{"kept"};
  utility().tokenize("  A  B ", tokens, " ");
  utility().tokenize("C-H,\tO", tokens, ",\t");
  utility().tokenize("", tokens, " ");
  utility().tokenize("***", tokens, "*");
  EXPECT_EQ(tokens, (Strings{"kept", "A", "B", "C-H", "O"}));
}

TEST(WildCards, TableNameFirstQuerySecond) {
  struct Case {
    const char* table;
    const char* query;
    bool match;
  };
  const Case cases[] = {
      {"C*", "OC", true},      // unanchored: a C anywhere
      {"C*", "H", false},
      {"*", "CSP3", true},
      {"*", "*", false},       // both sides wild never match
      {"C*", "C*", false},
      {"CSP3", "*", true},
      {"", "", true},
      {"ab", "AB", false},     // case-sensitive
      {"CSP3", "CSP3", true},
      {"CSP3", "CSP2", false},
      {"CS*", "SP3", true},    // a table piece matches any one of its characters
      {"CCH", "C*H", true},    // a query piece must occur whole, in order
      {"HC", "C*H", false},
      {"OSP3", "CS*", false},
      // A long table piece found at the last character would cut past the end of the text;
      // found one character earlier the cut lands exactly on the end.
      {"ABC*", "xxC", false},
      {"*ABC*D", "C", false},
      {"ABC*", "xCx", true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(utility().stringMatchWithWildCards(c.table, c.query), c.match)
        << c.table << " vs " << c.query;
}

TEST(SortStringVector, StarsGoLastOthersAscending) {
  const std::pair<Strings, Strings> cases[] = {
      {{"*", "N", "C", "*", "O"}, {"C", "N", "O", "*", "*"}},
      {{"CA", "*", "C*", "C", "H", "*"}, {"C", "C*", "CA", "H", "*", "*"}},
      {{"*", "*"}, {"*", "*"}},
      {{}, {}},
  };
  for (const auto& c : cases) {
    Strings list = c.first;
    utility().sortStringVector(list);
    EXPECT_EQ(list, c.second);
  }
}

TEST(StringEdits, UpperCaseAndWhiteSpace) {
  std::string text = "csp3-h";
  utility().toUpper(text);
  EXPECT_EQ(text, "CSP3-H");

  std::string spaced = " 1 2\t3\r\n";
  utility().clearWhiteSpaces(spaced);
  EXPECT_EQ(spaced, "123");
}

TEST(Conversions, StringToIntReadsTheLeadingNumberAfterDroppingWhiteSpace) {
  const std::pair<const char*, int> cases[] = {
      {" 42 ", 42}, {"-7", -7}, {"1 2", 12}, {"12abc", 12},
      {"", 0}, {"abc", 0}, {" \t", 0}, {"99999999999", 0},   // no number, or out of range
  };
  for (const auto& c : cases) EXPECT_EQ(utility().stringToInt(c.first), c.second) << c.first;
}
