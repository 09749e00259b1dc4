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

// A quoted start of a long input ends on a whole character: "→" is three bytes, "é" two, and a
// cut inside one falls back before it. A byte that starts no character counts as one.
TEST(Utf8Characters, CutsFallBetweenWholeCharacters) {
  const std::string arrow = "a\xe2\x86\x92" "b";   // a→b
  EXPECT_EQ("a", cutAtCharacter(arrow, 2));
  EXPECT_EQ("a", cutAtCharacter(arrow, 3));
  EXPECT_EQ("a\xe2\x86\x92", cutAtCharacter(arrow, 4));
  EXPECT_EQ(arrow, cutAtCharacter(arrow, 99));
  EXPECT_EQ("", cutAtCharacter("\xc3\xa9", 1));
  EXPECT_EQ("\xe2\x86\x92", utf8CharacterAt(arrow, 1));
  EXPECT_EQ("b", utf8CharacterAt(arrow, 4));
  EXPECT_EQ("", utf8CharacterAt(arrow, 5));
  const std::pair<std::string, size_t> lengths[] = {
      {"A", 1},          {"\xc3\xa9", 2},         {"\xf0\x9f\x98\x80", 4},
      {"\xe2\x86", 1},   {"\x92", 1},             {"\xc0\xaf", 1},
      {"\xed\xa0\x80", 1}, {"\xf4\x90\x80\x80", 1}, {"\xff", 1}};
  for (const auto& l : lengths) EXPECT_EQ(l.second, utf8CharacterLength(l.first, 0)) << l.first;
  EXPECT_EQ(0u, utf8CharacterLength("", 0));
}
