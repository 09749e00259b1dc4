#include "math/UtilityEngine.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/ConsoleCapture.h"
#include "support/ErrorCapture.h"

namespace {

class ConsoleOutput : public ::testing::Test {
protected:
  kvtest::ConsoleCapture console{1};
  std::vector<std::string>& lines = console.lines;
};

}  // namespace

TEST_F(ConsoleOutput, BothOverloadsReachTheSinkUpToAZeroByte) {
  UtilityEngine& utility = *UtilityEngine::instance();
  utility.printToConsole(std::string("Optimising geometry"));
  char buffer[] = "from a buffer";
  utility.printToConsole(buffer);
  utility.printToConsole(std::string("kept\0dropped", 12));
  utility.printToConsole(static_cast<const char*>(nullptr));
  EXPECT_EQ(lines, (std::vector<std::string>{"Optimising geometry", "from a buffer", "kept"}));
}

TEST_F(ConsoleOutput, PendingEventsRunAfterEachLine) {
  int argc = 1;
  char name[] = "math_tests";
  char* argv[] = {name, nullptr};
  QCoreApplication app(argc, argv);
  bool ran = false;
  QMetaObject::invokeMethod(&app, [&ran] { ran = true; }, Qt::QueuedConnection);
  UtilityEngine::instance()->printToConsole("tick");
  EXPECT_TRUE(ran);
}

TEST(ConsoleDefaultSink, WritesLinesToStandardOutput) {
  setConsoleSink(nullptr);
  testing::internal::CaptureStdout();
  UtilityEngine::instance()->printToConsole("Heat of formation");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Heat of formation\n");
}

// A reader quotes the line it cannot read; from a binary file that line holds bytes that would
// cut the line or move a terminal. The error channel escapes them, whoever built the line.
TEST(ErrorChannel, ControlBytesReachTheSinkEscaped) {
  kvtest::ErrorCapture errors;
  ErrorLine() << "Error: bad line \"" << std::string("a\0b\x01\x7f\tc\r", 8) << "\"";
  printError("\x1b[2J");
  printError("Error: first line \nsecond line");
  const std::vector<std::string> expected = {"Error: bad line \"a\\x00b\\x01\\x7f\\x09c\\x0d\"",
                                             "\\x1b[2J", "Error: first line \nsecond line"};
  EXPECT_EQ(expected, errors.lines);
}

// A name or an input line may hold any character: a whole UTF-8 character reaches the sink as it
// is, while a byte of a cut or broken sequence (the first byte of "→" quoted alone once reached
// it raw) and the controls U+0080 to U+009F are escaped like control bytes.
TEST(ErrorChannel, WholeUtf8CharactersPassAndBrokenBytesAreEscaped) {
  kvtest::ErrorCapture errors;
  ErrorLine() << "name \"\xc3\x85ngstr\xc3\xb6m \xe2\x86\x92 \xf0\x9f\x98\x80\"";
  printError("cut \"\xe2\x86\" lone \"\xc3\" continuation \"\x85\"");
  printError("overlong \"\xc0\xaf\" surrogate \"\xed\xa0\x80\" past U+10FFFF \"\xf4\x90\x80\x80\"");
  printError("C1 control \"\xc2\x9b\" no-break space \"\xc2\xa0\"");
  const std::vector<std::string> expected = {
      "name \"\xc3\x85ngstr\xc3\xb6m \xe2\x86\x92 \xf0\x9f\x98\x80\"",
      "cut \"\\xe2\\x86\" lone \"\\xc3\" continuation \"\\x85\"",
      "overlong \"\\xc0\\xaf\" surrogate \"\\xed\\xa0\\x80\" past U+10FFFF "
      "\"\\xf4\\x90\\x80\\x80\"",
      "C1 control \"\\xc2\\x9b\" no-break space \"\xc2\xa0\""};
  EXPECT_EQ(expected, errors.lines);
}
