// Console output in screen mode, checked cell by cell on the simulated
// console.

#include <gtest/gtest.h>

#include <string>

#include "console/console_output.h"
#include "files/error_number.h"
#include "screen_test.h"
#include "simulated_console.h"

namespace quorvane {
namespace {

using testing::padded;
using testing::screenRow;
using testing::simulatedConsole;

const std::string blankRow = padded("");

class ScreenOutputTest : public testing::ScreenTest {
 protected:
  // An 80-column console whose buffer is `rows` tall, its window `window` tall.
  void screen(int rows = 25, int window = 25) { testing::useScreen(80, rows, window); }
  platform::SmallRect window() { return simulatedConsole().screen.window; }
  void write(const std::string& bytes) { consoleWrite(bytes.data(), bytes.size()); }
};

TEST_F(ScreenOutputTest, ALineOnAMiddleRowMovesTheCursorToTheNextRowAndNothingScrolls) {
  screen();
  cursorTo(0, 10);
  printLine("Successfully patched!");
  EXPECT_EQ(screenRow(10), padded("Successfully patched!"));
  EXPECT_EQ(simulatedConsole().screen.cells[10 * 80].attributes, 0x07);
  EXPECT_EQ(cursor().x, 0);
  EXPECT_EQ(cursor().y, 11);
  EXPECT_EQ(simulatedConsole().scrollCalls, 0);
  EXPECT_EQ(simulatedConsole().standardOutput, "") << "screen mode writes no bytes through";
}

TEST_F(ScreenOutputTest, ALineThatFillsAMiddleRowLeavesOneEmptyRow) {
  screen();
  cursorTo(0, 5);
  const std::string full(80, '#');
  printLine(full);
  EXPECT_EQ(screenRow(5), full);
  EXPECT_EQ(screenRow(6), blankRow);
  EXPECT_EQ(cursor().y, 7);
  EXPECT_EQ(cursor().x, 0);
}

TEST_F(ScreenOutputTest, ALineThatFillsTheBottomRowOwesItsAdvanceThenScrollsTwice) {
  screen();
  cursorTo(0, 23);
  write("above");
  cursorTo(0, 24);
  const std::string full(80, '#');
  write(full);
  EXPECT_EQ(cursor().x, 79) << "the cursor waits in the bottom-right cell";
  EXPECT_EQ(cursor().y, 24);
  EXPECT_EQ(screenRow(24), full);
  EXPECT_EQ(simulatedConsole().scrollCalls, 0);

  printEmptyLine();
  EXPECT_EQ(screenRow(21), padded("above"));
  EXPECT_EQ(screenRow(22), full);
  EXPECT_EQ(screenRow(23), blankRow);
  EXPECT_EQ(screenRow(24), blankRow);
  EXPECT_EQ(cursor().x, 0);
  EXPECT_EQ(cursor().y, 24);
}

TEST_F(ScreenOutputTest, ATallBufferSlidesTheWindowDownThenScrollsItsContents) {
  screen(300, 25);
  for (int line = 0; line < 25; ++line) printLine("line " + std::to_string(line));
  EXPECT_EQ(window().top, 1) << "one line past the window slides it by one row";
  EXPECT_EQ(window().bottom, 25);
  for (int line = 25; line < 299; ++line) printLine("line " + std::to_string(line));
  EXPECT_EQ(simulatedConsole().scrollCalls, 0) << "sliding moves no cell";
  EXPECT_EQ(screenRow(0), padded("line 0"));
  EXPECT_EQ(window().bottom, 299);
  EXPECT_EQ(cursor().y, 299);

  printLine("line 299");
  EXPECT_EQ(simulatedConsole().scrollCalls, 1);
  EXPECT_EQ(screenRow(0), padded("line 1")) << "the buffer's top row is lost";
  EXPECT_EQ(screenRow(298), padded("line 299"));
  EXPECT_EQ(window().top, 275);
  EXPECT_EQ(cursor().y, 299);
}

TEST_F(ScreenOutputTest, TabsReachTheNextStopAndWrapLikeText) {
  screen();
  struct Case {
    int column;
    int blanks;
  };
  for (const Case& test : {Case{0, 8}, Case{5, 3}, Case{79, 1}}) {
    SetUp();
    screen();
    cursorTo(test.column, 3);
    write("\t");
    const int end = test.column + test.blanks;
    EXPECT_EQ(cursor().x, end % 80) << "tab at column " << test.column;
    EXPECT_EQ(cursor().y, 3 + end / 80) << "tab at column " << test.column;
  }
  cursorTo(0, 3);
  write("ab\tc");
  EXPECT_EQ(screenRow(3), padded("ab      c"));
}

TEST_F(ScreenOutputTest, BackspaceMovesLeftWithinTheRowAndErasesNothing) {
  screen();
  cursorTo(0, 2);
  write("\b");
  EXPECT_EQ(cursor().x, 0);
  EXPECT_EQ(cursor().y, 2);
  write("ab\bc");
  EXPECT_EQ(screenRow(2), padded("ac"));
  EXPECT_EQ(cursor().x, 2);
  cursorTo(0, 3);
  write("xyz\b\bQ");
  EXPECT_EQ(screenRow(3), padded("xQz"));
}

TEST_F(ScreenOutputTest, TheBellSoundsBeforeTextHeldInTheSameCall) {
  screen();
  write("x\ay");
  EXPECT_EQ(simulatedConsole().events, "\axy");
  EXPECT_EQ(screenRow(0), padded("xy"));
}

TEST_F(ScreenOutputTest, AnEmptyWriteDoesNothingUnlessAskedToPlaceTheCursor) {
  screen();
  cursorTo(0, 24);
  write(std::string(80, '#'));
  ASSERT_EQ(cursor().x, 79);
  consoleWrite("", 0);
  EXPECT_EQ(cursor().x, 79) << "an empty write leaves the owed advance owed";
  EXPECT_EQ(simulatedConsole().scrollCalls, 0);
  consoleWrite("", 0, writeEvenIfEmpty);
  EXPECT_EQ(cursor().x, 0);
  EXPECT_EQ(cursor().y, 24);
  EXPECT_EQ(screenRow(23), std::string(80, '#'));
}

TEST_F(ScreenOutputTest, LocateOutsideTheRegionKeepsTheCursorButAppliesVisibility) {
  screen(300, 25);
  cursorTo(4, 6);
  setLastError(ErrIo);
  const int state = locate(26, 1, 0);
  EXPECT_EQ(lastError(), ErrNone);
  EXPECT_EQ(cursor().x, 4);
  EXPECT_EQ(cursor().y, 6);
  EXPECT_FALSE(simulatedConsole().screen.cursorInfo.visible);
  EXPECT_EQ(state, (7 << 8) | 5 | 0x10000) << "the state of the repeated call, cursor was visible";

  EXPECT_EQ(locate(25, 80, 1), (25 << 8) | 80);
  EXPECT_EQ(cursor().x, 79);
  EXPECT_EQ(cursor().y, 24);
  EXPECT_TRUE(simulatedConsole().screen.cursorInfo.visible);
  EXPECT_EQ(simulatedConsole().screen.cursorInfo.size, 25u) << "the cursor keeps its size";
  EXPECT_EQ(cursorPosition().column, 80);
  EXPECT_EQ(cursorPosition().row, 25);
  locate(1, 81, -1);
  EXPECT_EQ(cursor().x, 79);
}

TEST_F(ScreenOutputTest, AWindowResizedAfterTheRegionWasFixedScrollsOnlyTheRegion) {
  screen(300, 25);
  printLine("first");
  simulatedConsole().screen.window.bottom = 19;  // the user made the window shorter
  write("seen");                                 // each write ends by reading the window afresh
  cursorTo(0, 24);
  write("bottom\r\n");
  EXPECT_EQ(screenRow(0), padded("seen")) << "the region's first row scrolled away";
  EXPECT_EQ(screenRow(23), padded("bottom"));
  EXPECT_EQ(cursor().y, 24);
  EXPECT_EQ(simulatedConsole().windowInfoCalls, 0) << "the window never follows a partial region";
}

TEST_F(ScreenOutputTest, AWindowShortenedAtTheBuffersEndStillShowsWhatIsWritten) {
  screen(30, 25);
  for (int line = 0; line < 40; ++line) printLine("line " + std::to_string(line));
  ASSERT_EQ(window().bottom, 29);
  simulatedConsole().screen.window.top = 10;  // the user made the window shorter
  printText("seen");                          // each write ends by reading the window afresh
  printLine(" now");
  printLine("visible");
  EXPECT_EQ(screenRow(27), padded("seen now"));
  EXPECT_EQ(screenRow(28), padded("visible"));
  EXPECT_EQ(cursor().y, 29);
  EXPECT_EQ(simulatedConsole().outsideBuffer, 0);
}

TEST_F(ScreenOutputTest, ARefusedRunIsDroppedAndLaterBytesStillCount) {
  screen();
  cursorTo(0, 1);
  simulatedConsole().failWriteConsoleOutput = true;
  write("lost");
  EXPECT_EQ(cursor().x, 0) << "the cursor does not pass over dropped cells";
  write("lost\rx");
  simulatedConsole().failWriteConsoleOutput = false;
  write("kept\r\nnext");
  EXPECT_EQ(screenRow(1), padded("kept"));
  EXPECT_EQ(screenRow(2), padded("next"));
}

TEST_F(ScreenOutputTest, AFailedBufferQueryInAWriteStartsAtTheRegionsTopLeft) {
  screen();
  cursorTo(10, 10);
  printText("a");
  simulatedConsole().screenBufferInfoFailures = 1;
  printText("b");
  EXPECT_EQ(screenRow(0), padded("b"));
  EXPECT_EQ(cursor().x, 1);
  EXPECT_EQ(cursor().y, 0);
}

TEST_F(ScreenOutputTest, AFailedBufferQueryFarDownATallBufferLeavesTheWindowAlone) {
  screen(300, 25);
  simulatedConsole().screen.window = {0, 86, 79, 110};
  cursorTo(0, 90);
  printText("a");
  simulatedConsole().screenBufferInfoFailures = 1;
  printText("b");
  EXPECT_EQ(screenRow(86), padded("b"));
  EXPECT_EQ(screenRow(24), blankRow);
  EXPECT_EQ(window().top, 86);
  EXPECT_EQ(window().bottom, 110);
}

TEST_F(ScreenOutputTest, WithoutAScreenBufferEveryWriteGoesThroughUnchanged) {
  printLine("x\ty");
  EXPECT_EQ(simulatedConsole().standardOutput, "x\ty\r\n");
  EXPECT_EQ(simulatedConsole().writeConsoleOutputCalls, 0);
}

}  // namespace
}  // namespace quorvane
