// The line editor at the screen's bottom-right cell, and the cursor it shows;
// the line editor fuzz target checks the text it makes of every key.

#include "console/line_editor.h"

#include <cstdlib>
#include <set>

#include "console_fixture.h"

namespace quorvane::testing {
namespace {

class LineEntryTest : public ConsoleTest {
 protected:
  void SetUp() override {
    ConsoleTest::SetUp();
    useScreen(80, 25, 25);
    simulatedConsole.inputIsConsole = true;
  }
  // Types each key at a wait, after a look; the cursor must show at each wait.
  static std::string edit(
      int row, const std::string& prompt, std::vector<std::string> keys,
      std::function<void(std::size_t typed)> look = [](std::size_t) {}) {
    cursorTo(0, row);
    printText(prompt);
    simulatedConsole.onWait = [keys, look](int wait) {
      EXPECT_TRUE(screen().cursorInfo.visible) << wait;
      look(std::size_t(wait - 1));
      queueKeys(std::size_t(wait) <= keys.size() ? keys[std::size_t(wait - 1)] : "\r");
    };
    return editLine().value_or("<no line>");
  }
};

TEST_F(LineEntryTest, EndsAtEnterOrCtrlEnterAndRestoresTheCursorsVisibility) {
  for (const bool visible : {true, false}) {
    SetUp();
    screen().cursorInfo.visible = visible;
    answerControlEvent(platform::ctrlCloseEvent);  // the close key is ignored
    EXPECT_EQ(
        edit(5, "> ",
             {"1", "2", "3", "<Left>", "<Del>", "<Del>", "\x1b", "4", visible ? "\r" : "\n", "5"}),
        "4");
    EXPECT_EQ(screenRow(5), padded("> 4"));
    EXPECT_EQ(screen().cursorInfo.visible, visible);
    EXPECT_EQ(simulatedConsole.beeps, (std::vector{std::pair(1000u, 250u)}));
    const std::set<std::uint32_t> waits(simulatedConsole.waits.begin(),
                                        simulatedConsole.waits.end());
    EXPECT_EQ(waits, std::set<std::uint32_t>{25}) << "a poll each 25 ms";
  }
}

// A byte typed in the bottom-right cell scrolls one row at once; an insert
// scrolls only when its redrawn tail runs past that cell. The cursor stands
// after the inserted byte.
TEST_F(LineEntryTest, AtTheBottomRightCell) {
  EXPECT_EQ(edit(24, std::string(78, '>'), {"a", "b"},
                 [](std::size_t typed) {
                   expectCursor(typed == 2 ? 0 : 78 + int(typed), 24);
                   EXPECT_EQ(simulatedConsole.scrollCalls, typed == 2 ? 1 : 0);
                 }),
            "ab");
  printEmptyLine();
  EXPECT_EQ(screenRow(22) + screenRow(23), std::string(78, '>') + "ab" + padded(""));
  for (const std::string tail : {"123456789", "1234567890"}) {
    SetUp();
    const int row = tail.size() == 10 ? 23 : 24;
    queueKeys(tail + "<Home>x");
    EXPECT_EQ(edit(24, std::string(70, '>'), {},
                   [row](std::size_t) {
                     EXPECT_EQ(screenRow(row), std::string(70, '>') + "x123456789");
                     EXPECT_EQ(simulatedConsole.scrollCalls, 24 - row);
                     expectCursor(71, row);
                   }),
              "x" + tail);
  }
}

// The user scrolls the window of a tall buffer while the prompt waits, before a
// key or between two: the entry stays on the prompt's row, the lines after it below.
TEST_F(LineEntryTest, TheEntryStaysOnItsRowWhereverTheWindowIsScrolled) {
  struct Scroll {
    const char* what;
    int windowTop, promptRow, rows, beforeKey;
  };
  const Scroll cases[] = {{"down, before the first key", 0, 4, 40, 1},
                          {"down, between keys", 0, 4, 40, 2},
                          {"up, the prompt still shown", 50, 60, -3, 1},
                          {"up, between keys", 50, 60, -3, 2},
                          {"up past the prompt", 50, 60, -20, 1}};
  for (const Scroll& test : cases) {
    SCOPED_TRACE(test.what);
    SetUp();
    useScreen(80, 300, 25);
    screen().window = {0, std::int16_t(test.windowTop), 79, std::int16_t(test.windowTop + 24)};
    EXPECT_EQ(edit(test.promptRow, "Enter new value: ", {"5", "0"},
                   [&](std::size_t typed) {
                     if (int(typed) + 1 == test.beforeKey) {
                       screen().window.top = std::int16_t(screen().window.top + test.rows);
                       screen().window.bottom = std::int16_t(screen().window.bottom + test.rows);
                     }
                     expectCursor(17 + int(typed), test.promptRow);
                   }),
              "50");
    printEmptyLine();
    printLine("Successfully patched!");
    EXPECT_EQ(screenRow(test.promptRow), padded("Enter new value: 50"));
    EXPECT_EQ(screenRow(test.promptRow + 1), padded("Successfully patched!"));
    expectCursor(0, test.promptRow + 2);
  }
}

// A console whose buffer is its window (Windows Terminal's) is resized between
// writes and during the entry: the lines it still holds are the last ones
// written, in order, each once, and nothing is written outside it.
TEST_F(LineEntryTest, ABufferResizedWithItsWindowKeepsTheLinesInOrder) {
  struct Resize {
    int lines;
    platform::Coord between, during;
  };
  const Resize cases[] = {{24, {80, 40}, {80, 12}},
                          {24, {80, 12}, {80, 40}},
                          {10, {70, 25}, {120, 30}},
                          {20, {120, 12}, {60, 25}}};
  for (const Resize& test : cases) {
    SetUp();
    std::vector<std::string> written;
    for (int i = 0; i < test.lines; ++i) {
      if (i == test.lines / 2) resizeScreen(test.between.x, test.between.y);
      written.push_back("line " + std::to_string(i));
      printLine(written.back());
    }
    written.insert(written.end(),
                   {"Enter new value: 50", "Successfully patched!", "Press any key"});
    EXPECT_EQ(edit(screen().cursor.y, "Enter new value: ", {"5", "0"},
                   [&](std::size_t typed) {
                     if (typed == 1) resizeScreen(test.during.x, test.during.y);
                   }),
              "50");
    printEmptyLine();
    printLine(written[written.size() - 2]);
    printLine(written.back());
    std::vector<std::string> shown;
    for (int row = 0; row <= screen().cursor.y; ++row) {
      shown.push_back(screenRow(row).substr(0, screenRow(row).find_last_not_of(' ') + 1));
    }
    expectCursor(0, int(shown.size()) - 1);
    shown.pop_back();  // the cursor's row
    ASSERT_GE(shown.size(), 11u) << test.between.y << " then " << test.during.y;
    EXPECT_EQ(shown, std::vector(written.end() - std::ptrdiff_t(shown.size()), written.end()));
  }
}

// In virtual terminal input mode, which a program may leave on, keys would come
// as bytes (Backspace as DEL, Left as an escape sequence): the tool turns it off
// and puts the mode back as it found it when it ends.
TEST_F(LineEntryTest, KeysComeAsKeysInAConsoleLeftInTerminalInputMode) {
  simulatedConsole.inputMode = 0x0207;
  EXPECT_EQ(edit(3, "> ", {"9", "\b", "5", "<Left>", "1"},
                 [](std::size_t) { EXPECT_EQ(simulatedConsole.inputMode, 0x0007u); }),
            "15");
  EXPECT_EXIT(
      {
        SetUp();
        simulatedConsole.inputIsConsole = true;
        simulatedConsole.inputMode = 0x0207;
        std::atexit([] { std::_Exit(simulatedConsole.inputMode == 0x0207 ? 0 : 1); });
        consoleHandles();
        std::exit(2);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace quorvane::testing
