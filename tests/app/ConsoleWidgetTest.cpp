// The console pane: numbering across both print operations, colours, and where a line lands
// after a click in the pane. Printing through the console sink is followed in the running window
// (MainWindowTest.cpp).

#include <QTest>
#include <QTextBlock>
#include <QTextCursor>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/ConsoleWidget.h"
#include "support/QtApplication.h"
#include "support/TextLines.h"

namespace {

class Console : public ::testing::Test {
 protected:
  void SetUp() override {
    kvtest::ensureApplication();
    pane = ConsoleWidget::instance();
    pane->clear();
    first = pane->lineCounter;
  }

  std::vector<std::string> lines() const {
    return kvtest::linesOf(pane->toPlainText().toStdString());
  }
  std::string numbered(int offset, const std::string& text) const {
    return std::to_string(first + offset) + ">   " + text;
  }

  ConsoleWidget* pane = nullptr;
  int first = 0;   // the number of the test's first line; the counter never goes back
};

TEST_F(Console, NumberIsGreyAndTextBlack) {
  pane->appendString("text");
  pane->addString("more");
  for (QTextBlock block = pane->document()->begin(); block.length() > 1; block = block.next()) {
    QTextCursor cursor(block);
    cursor.movePosition(QTextCursor::Right);   // the format of the character before the cursor
    EXPECT_EQ(QColor(127, 127, 127), cursor.charFormat().foreground().color());
    cursor.movePosition(QTextCursor::EndOfBlock);
    EXPECT_EQ(QColor(0, 0, 0), cursor.charFormat().foreground().color());
  }
}

// Numbers run on across both operations; an empty text is a numbered line, a null one nothing.
TEST_F(Console, ALineAfterAClickInThePaneLandsAtTheEnd) {
  pane->resize(400, 200);
  pane->show();
  pane->appendString("first line");
  pane->appendString("second line");
  QTest::mouseClick(pane->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(12, 6));
  ASSERT_LT(pane->textCursor().position(), 12);
  pane->appendString("");
  pane->addString(nullptr);
  pane->addString("fourth");
  EXPECT_EQ((std::vector<std::string>{numbered(0, "first line"), numbered(1, "second line"),
                                      numbered(2, ""), numbered(3, "fourth")}),
            lines());
  pane->hide();
}

}  // namespace
