#include "math/UtilityEngine.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

UtilityEngine& utility() { return *UtilityEngine::instance(); }

using Strings = std::vector<std::string>;

}  // namespace

TEST(UtilityInstance, IsOneObject) {
  EXPECT_EQ(UtilityEngine::instance(), UtilityEngine::instance());
}

TEST(Tokenize, SkipsRunsOfDelimitersAndAppends) {
  Strings tokens{"kept"};
  utility().tokenize("  A  B ", tokens, " ");
  EXPECT_EQ(tokens, (Strings{"kept", "A", "B"}));
  utility().tokenize("C-H,\tO", tokens, ",\t");
  EXPECT_EQ(tokens, (Strings{"kept", "A", "B", "C-H", "O"}));
}

TEST(Tokenize, NothingFromEmptyOrDelimiterOnlyText) {
  Strings tokens;
  utility().tokenize("", tokens, " ");
  utility().tokenize("   ", tokens, " ");
  utility().tokenize("***", tokens, "*");
  EXPECT_TRUE(tokens.empty());
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
  };
  for (const Case& c : cases)
    EXPECT_EQ(utility().stringMatchWithWildCards(c.table, c.query), c.match)
        << c.table << " vs " << c.query;
}

TEST(WildCards, LongTablePieceHitAtTheEndFails) {
  // "ABC" found at the last character would cut past the end of the text.
  EXPECT_FALSE(utility().stringMatchWithWildCards("ABC*", "xxC"));
  EXPECT_FALSE(utility().stringMatchWithWildCards("*ABC*D", "C"));
  // Found one character earlier the cut lands exactly on the end: still a match.
  EXPECT_TRUE(utility().stringMatchWithWildCards("ABC*", "xCx"));
}

TEST(SortStringVector, StarsGoLastOthersAscending) {
  Strings list{"*", "N", "C", "*", "O"};
  utility().sortStringVector(list);
  EXPECT_EQ(list, (Strings{"C", "N", "O", "*", "*"}));

  Strings mixed{"CA", "*", "C*", "C", "H", "*"};
  utility().sortStringVector(mixed);
  EXPECT_EQ(mixed, (Strings{"C", "C*", "CA", "H", "*", "*"}));

  Strings onlyStars{"*", "*"};
  utility().sortStringVector(onlyStars);
  EXPECT_EQ(onlyStars, (Strings{"*", "*"}));

  Strings empty;
  utility().sortStringVector(empty);
  EXPECT_TRUE(empty.empty());
}

TEST(StringEdits, UpperCaseAndWhiteSpace) {
  std::string text = "csp3-h";
  utility().toUpper(text);
  EXPECT_EQ(text, "CSP3-H");

  std::string spaced = " 1 2\t3\r\n";
  utility().clearWhiteSpaces(spaced);
  EXPECT_EQ(spaced, "123");

  std::string blanks = "a b\tc ";
  utility().replaceWhiteSpaces(blanks);
  EXPECT_EQ(blanks, "a_b\tc_");
}

TEST(Conversions, IntToString) {
  EXPECT_EQ(utility().intToString(-15), "-15");
  EXPECT_EQ(utility().intToString(0), "0");
  EXPECT_EQ(utility().intToString(INT_MIN), "-2147483648");
}

TEST(Conversions, StringToIntReadsLeadingNumber) {
  EXPECT_EQ(utility().stringToInt(" 42 "), 42);
  EXPECT_EQ(utility().stringToInt("-7"), -7);
  EXPECT_EQ(utility().stringToInt("1 2"), 12);     // white space goes first
  EXPECT_EQ(utility().stringToInt("12abc"), 12);
}

TEST(Conversions, StringToIntWithoutNumberIsZero) {
  EXPECT_EQ(utility().stringToInt(""), 0);
  EXPECT_EQ(utility().stringToInt("abc"), 0);
  EXPECT_EQ(utility().stringToInt(" \t"), 0);
  EXPECT_EQ(utility().stringToInt("99999999999"), 0);   // out of range
}
