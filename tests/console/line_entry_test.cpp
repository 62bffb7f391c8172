// The line editor at the screen's bottom-right cell, and the cursor it shows;
// the line editor fuzz target checks the text it makes of every key.

#include "console/line_editor.h"

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

}  // namespace
}  // namespace quorvane::testing
