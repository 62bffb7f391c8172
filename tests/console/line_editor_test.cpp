// The line editor on the simulated console: the text it returns, the cells
// it leaves and where the cursor stands.

#include <gtest/gtest.h>

#include "console/console_output.h"
#include "console/input_field.h"
#include "console/keyboard.h"
#include "console/line_editor.h"
#include "files/error_number.h"
#include "screen_test.h"
#include "simulated_console.h"

namespace quorvane {
namespace {

using testing::padded;
using testing::queueCursorKey;
using testing::queueText;
using testing::screenRow;
using testing::simulatedConsole;

constexpr std::uint16_t home = 0x47, up = 0x48, pageUp = 0x49, left = 0x4B, right = 0x4D,
                        end = 0x4F, down = 0x50, insert = 0x52, del = 0x53;

class LineEditorTest : public testing::ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    testing::useScreen(80, 25, 25);
    simulatedConsole().inputIsConsole = true;
  }
  // Prints the prompt at the start of a row, as the input statement does.
  void promptAt(int row, const std::string& prompt = "> ") {
    simulatedConsole().screen.cursor = {0, static_cast<std::int16_t>(row)};
    printText(prompt);
  }
  std::string edit() {
    testing::queueEnter();
    return editLine().value_or("<no line>");
  }
  int cursorX() { return simulatedConsole().screen.cursor.x; }
  int cursorY() { return simulatedConsole().screen.cursor.y; }
};

TEST_F(LineEditorTest, TypedTextIsEchoedAfterThePromptAndReturned) {
  promptAt(3);
  queueText("50");
  EXPECT_EQ(edit(), "50");
  EXPECT_EQ(screenRow(3), padded("> 50"));
  EXPECT_EQ(cursorX(), 4);
  EXPECT_EQ(cursorY(), 3);
  EXPECT_TRUE(simulatedConsole().screen.cursorInfo.visible);
}

TEST_F(LineEditorTest, EditingKeys) {
  struct Case {
    const char* name;
    void (*keys)();
    const char* text;
    const char* row;
  };
  const Case cases[] = {
      {"Enter alone", [] {}, "", "> "},
      {"insert before", [] { queueText("5"), queueCursorKey(left), queueText("1"); }, "15", "> 15"},
      {"Home, Delete", [] { queueText("123"), queueCursorKey(home), queueCursorKey(del); }, "23",
       "> 23"},
      {"Backspace", [] { queueText("123"), testing::queueBackspace(); }, "12", "> 12"},
      {"Backspace at the start", [] { queueCursorKey(home), testing::queueBackspace(); }, "", "> "},
      {"Esc then more", [] { queueText("123"), testing::queueEscape(), queueText("7"); }, "7",
       "> 7"},
      {"Tab on an empty line", [] { testing::queueTab(), queueText("x"); }, "        x",
       ">         x"},
      {"Tab after three bytes", [] { queueText("123"), testing::queueTab(), queueText("x"); },
       "123     x", "> 123     x"},
      {"Left, Right and End",
       [] {
         queueText("ab"), queueCursorKey(left), queueCursorKey(left), queueCursorKey(left),
             queueCursorKey(right), queueText("X"), queueCursorKey(end), queueCursorKey(right),
             queueText("Y");
       },
       "aXbY", "> aXbY"},
      {"ignored keys",
       [] {
         queueText("1"), queueCursorKey(insert), queueCursorKey(pageUp),
             testing::queueKey(0x70, 0x3B, 0), testing::queueKey('A', 0x1E, 'a', 0x0002),
             testing::queueKey('A', 0x1E, 1, 0x0008), queueCursorKey(up), queueCursorKey(down),
             queueText("2");
       },
       "12", "> 12"},
      {"code 127 is a character", [] { testing::queueKey(0x08, 0x0E, 127), queueText("x"); },
       "\x7Fx", "> \x7Fx"},
  };
  for (const Case& test : cases) {
    SetUp();
    promptAt(5);
    test.keys();
    EXPECT_EQ(edit(), test.text) << test.name;
    EXPECT_EQ(screenRow(5), padded(test.row)) << test.name;
    EXPECT_EQ(cursorX(), 2 + static_cast<int>(std::string(test.text).size())) << test.name;
    EXPECT_EQ(simulatedConsole().beeps, 0) << test.name;
  }
}

TEST_F(LineEditorTest, EscBlanksTheLineAndReturnsToItsStart) {
  promptAt(2);
  queueText("123");
  testing::queueEscape();
  simulatedConsole().onWait = [this](int) {
    EXPECT_EQ(screenRow(2), padded("> "));
    EXPECT_EQ(cursorX(), 2);
    testing::queueEnter();
  };
  EXPECT_EQ(editLine(), "");
}

TEST_F(LineEditorTest, DeleteAtTheEndBeepsOnceAndChangesNothing) {
  promptAt(1);
  queueText("12");
  queueCursorKey(del);
  EXPECT_EQ(edit(), "12");
  EXPECT_EQ(simulatedConsole().beeps, 1);
}

TEST_F(LineEditorTest, EnterInTheMiddleReturnsTheWholeLineWithTheCursorAfterIt) {
  promptAt(1);
  queueText("1234");
  queueCursorKey(left);
  queueCursorKey(left);
  testing::queueKey(0x4A, 0x24, 10, 0x0008);  // Ctrl+J: a line feed ends the entry too
  EXPECT_EQ(editLine(), "1234");
  EXPECT_EQ(cursorX(), 6);
}

TEST_F(LineEditorTest, UpAndDownMoveByARowOnALongLine) {
  promptAt(0, "");
  const std::string hundred(100, '.');
  queueText(hundred);
  for (int i = 0; i < 10; ++i) queueCursorKey(left);
  queueCursorKey(up);
  simulatedConsole().onWait = [this](int) {
    EXPECT_EQ(cursorX(), 10) << "the cell directly above";
    EXPECT_EQ(cursorY(), 0);
    queueText("U");
    queueCursorKey(down);
    queueCursorKey(down);
    queueText("D");
    testing::queueEnter();
    simulatedConsole().onWait = nullptr;
  };
  std::string expected = hundred;
  expected.insert(10, "U");
  expected.insert(91, "D");
  EXPECT_EQ(editLine(), expected);
}

TEST_F(LineEditorTest, TypingInTheLastColumnOfTheBottomRowScrollsOneRow) {
  promptAt(24, std::string(78, '>'));
  queueText("a");
  EXPECT_EQ(simulatedConsole().scrollCalls, 0);
  simulatedConsole().onWait = [this](int) {
    EXPECT_EQ(cursorX(), 79);
    queueText("b");
    simulatedConsole().onWait = [this](int) {
      EXPECT_EQ(cursorX(), 0) << "the cursor goes on to the next row at once";
      EXPECT_EQ(cursorY(), 24);
      EXPECT_EQ(simulatedConsole().scrollCalls, 1);
      EXPECT_EQ(screenRow(23), std::string(78, '>') + "ab");
      testing::queueEnter();
      simulatedConsole().onWait = nullptr;
    };
  };
  EXPECT_EQ(editLine(), "ab");
  printEmptyLine();
  EXPECT_EQ(screenRow(22), std::string(78, '>') + "ab");
  EXPECT_EQ(screenRow(23), padded("")) << "the row the cursor went on to stays empty";
  EXPECT_EQ(cursorY(), 24);
}

TEST_F(LineEditorTest, AnInsertWhoseTailEndsInTheLastCellDoesNotScroll) {
  promptAt(24, std::string(70, '>'));
  queueText("123456789");
  queueCursorKey(home);
  queueText("x");
  simulatedConsole().onWait = [this](int) {
    EXPECT_EQ(simulatedConsole().scrollCalls, 0);
    EXPECT_EQ(screenRow(24), std::string(70, '>') + "x123456789");
    EXPECT_EQ(cursorX(), 71) << "directly after the inserted byte";
    EXPECT_EQ(cursorY(), 24);
    testing::queueEnter();
    simulatedConsole().onWait = nullptr;
  };
  EXPECT_EQ(editLine(), "x123456789");
}

TEST_F(LineEditorTest, AnInsertWhoseTailRunsPastTheLastCellScrollsOnce) {
  promptAt(24, std::string(70, '>'));
  queueText("1234567890");
  queueCursorKey(home);
  queueText("x");
  simulatedConsole().onWait = [this](int) {
    EXPECT_EQ(simulatedConsole().scrollCalls, 1);
    EXPECT_EQ(screenRow(23), std::string(70, '>') + "x123456789");
    EXPECT_EQ(screenRow(24), padded("0"));
    EXPECT_EQ(cursorX(), 71) << "directly after the inserted byte";
    EXPECT_EQ(cursorY(), 23);
    testing::queueEnter();
    simulatedConsole().onWait = nullptr;
  };
  EXPECT_EQ(editLine(), "x1234567890");
}

TEST_F(LineEditorTest, TheCloseKeyIsIgnoredAndTheVisibilityRestored) {
  simulatedConsole().screen.cursorInfo.visible = false;
  promptAt(1);
  queueText("4");
  simulatedConsole().onWait = [](int wait) {
    if (wait == 1) testing::raiseControlEvent(platform::ctrlCloseEvent);
    if (wait == 3) testing::queueEnter();
  };
  EXPECT_EQ(editLine(), "4");
  EXPECT_FALSE(simulatedConsole().screen.cursorInfo.visible);
}

TEST_F(LineEditorTest, TheInputStatementPromptsAndEndsTheLine) {
  promptAt(3, "");
  queueText(" 50 7");
  testing::queueEnter();
  setLastError(ErrIo);
  EXPECT_EQ(readEnteredNumber("Enter new value: "), 50);
  EXPECT_EQ(lastError(), ErrNone);
  EXPECT_EQ(screenRow(3), padded("Enter new value:  50 7"));
  EXPECT_EQ(cursorX(), 0);
  EXPECT_EQ(cursorY(), 4);
  EXPECT_FALSE(inputEndedBeforeField());
}

}  // namespace
}  // namespace quorvane
