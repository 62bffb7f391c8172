// The line editor at the screen's bottom-right cell, and the cursor it shows;
// the line editor fuzz target checks the text it makes of every key.

#include "console/line_editor.h"

#include <algorithm>
#include <cstdlib>

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

// The second time in a console left in virtual terminal input mode, in which
// keys would come as bytes (Backspace as DEL, Left as an escape sequence): the
// tool turns it off.
TEST_F(LineEntryTest, EndsAtEnterOrCtrlEnterAndRestoresTheCursorsVisibility) {
  for (const bool visible : {true, false}) {
    SetUp();
    screen().cursorInfo.visible = visible;
    simulatedConsole.inputMode = visible ? 0x0007 : 0x0207;
    answerControlEvent(platform::ctrlCloseEvent);  // the close key is ignored
    EXPECT_EQ(edit(5, "> ",
                   {"1", "2", "3", "<Left>", "<Del>", "<Del>", "\b", "\x1b", "4",
                    visible ? "\r" : "\n", "5"}),
              "4");
    EXPECT_EQ(screenRow(5), padded("> 4"));
    EXPECT_EQ(screen().cursorInfo.visible, visible);
    EXPECT_EQ(simulatedConsole.beeps, (std::vector{std::pair(1000u, 250u)}));
  }
}

// Before a key or between two, the user scrolls a tall buffer's window, or
// Windows Terminal resizes a buffer that is its window (between writes too): the
// rows from the first line the buffer holds to the cursor are the last written.
TEST_F(LineEntryTest, TheLinesKeepTheirOrderWhenTheWindowIsScrolledOrTheBufferResized) {
  struct Change {
    const char* what;
    int bufferRows, windowTop, lines, scroll;
    platform::Coord between, during;
    std::size_t beforeKey;
  };
  const Change cases[] = {{"scrolled down, before the first key", 300, 0, 4, 40, {}, {}, 0},
                          {"scrolled down, between keys", 300, 0, 4, 40, {}, {}, 1},
                          {"scrolled up, the prompt still shown", 300, 50, 10, -3, {}, {}, 1},
                          {"scrolled up past the prompt", 300, 50, 10, -20, {}, {}, 0},
                          {"grown, then shrunk", 25, 0, 24, 0, {80, 40}, {80, 12}, 1},
                          {"shrunk, then grown", 25, 0, 24, 0, {80, 12}, {80, 40}, 1},
                          {"narrowed, then widened", 25, 0, 10, 0, {70, 25}, {120, 30}, 1},
                          {"widened, then narrowed", 25, 0, 20, 0, {120, 12}, {60, 25}, 1}};
  for (const Change& test : cases) {
    SCOPED_TRACE(test.what);
    SetUp();
    useScreen(80, test.bufferRows, 25);
    screen().window = {0, std::int16_t(test.windowTop), 79, std::int16_t(test.windowTop + 24)};
    cursorTo(0, test.windowTop);
    std::vector<std::string> written;
    for (int i = 0; i < test.lines; ++i) {
      if (i == test.lines / 2 && test.between.x > 0) resizeScreen(test.between.x, test.between.y);
      printLine(written.emplace_back("line " + std::to_string(i)));
    }
    edit(screen().cursor.y, "Enter new value: ", {"5", "0"}, [&](std::size_t typed) {
      if (typed != test.beforeKey) return;
      if (test.during.x > 0) resizeScreen(test.during.x, test.during.y);
      screen().window.top = std::int16_t(screen().window.top + test.scroll);
      screen().window.bottom = std::int16_t(screen().window.bottom + test.scroll);
    });
    printEmptyLine();
    written.push_back("Enter new value: 50");
    printLine(written.emplace_back("Successfully patched!"));
    std::vector<std::string> shown;
    for (int row = 0; row < screen().cursor.y; ++row) {
      const std::string text = screenRow(row).substr(0, screenRow(row).find_last_not_of(' ') + 1);
      if (!shown.empty() || !text.empty()) shown.push_back(text);
    }
    const auto kept = std::min(shown.size(), written.size());
    EXPECT_GE(kept, std::min<std::size_t>(written.size(), 11)) << "12 rows at the least";
    EXPECT_EQ(shown, std::vector(written.end() - std::ptrdiff_t(kept), written.end()));
  }
}

// The input mode found, changed for the run (processed input on, virtual
// terminal input off), is put back when the process ends.
TEST_F(LineEntryTest, TheInputModeIsPutBackAtExit) {
  EXPECT_EXIT(
      {
        simulatedConsole.inputMode = 0x0206;
        std::atexit([] { std::_Exit(simulatedConsole.inputMode == 0x0206 ? 0 : 1); });
        consoleHandles();
        if (simulatedConsole.inputMode != 0x0007) std::_Exit(3);
        std::exit(2);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace quorvane::testing
