// The line editor on arbitrary keys against a model of its line: the text, the
// beeps of refused deletes, the cursor hidden while it draws, and, while the line
// fits the screen below the prompt's row, its cells, the cursor after it and blanks.

#include <algorithm>
#include <cstdint>
#include <string>

#include "console/console_output.h"
#include "console/keyboard.h"
#include "console/line_editor.h"
#include "fuzz_check.h"
#include "simulated_console.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quorvane;
  using fuzzing::check;
  if (size < 3) return 0;
  const int columns = 8 + data[0] % 80, rows = 3 + data[1] % 20, promptLength = data[2] % columns,
            promptRow = data[1] / 20 % rows;
  testing::simulatedConsole = {};
  resetConsoleState();
  resetKeyboardState();
  testing::useScreen(columns, rows, rows);
  testing::simulatedConsole.screen.cursor = {0, std::int16_t(promptRow)};
  printText(std::string(std::size_t(promptLength), '>'));
  // Each byte one key: 0 to 7 the named keys, then Backspace, Tab and Esc
  // as typed, other control bytes ignored, the rest typed; Enter last.
  constexpr const char* named[] = {"<Home>", "<Up>",   "<Left>", "<Right>",
                                   "<End>",  "<Down>", "<Del>",  "<Ins>"};
  std::string text;
  std::size_t pos = 0, beeps = 0, longest = 0;
  const auto cols = std::size_t(columns);
  for (std::size_t i = 3; i < size; ++i) {
    const std::uint8_t key = data[i];
    if (key == '\r' || key == '\n') continue;
    testing::queueKeys(key < 8 ? named[key] : std::string(1, char(key)));
    if (key == 0 || key == 27) pos = 0;
    if (key == 27) text.clear();
    if (key == 1 && pos >= cols) pos -= cols;
    if (key == 2 && pos > 0) --pos;
    if ((key == 3 && pos < text.size()) || (key == 5 && pos + cols <= text.size())) {
      pos += key == 3 ? 1 : cols;
    }
    if (key == 4) pos = text.size();
    if (key == 6) pos < text.size() ? void(text.erase(pos, 1)) : void(++beeps);
    if (key == 8 && pos > 0) text.erase(--pos, 1);
    const std::string inserted = key == 9    ? std::string(8 - pos % 8, ' ')
                                 : key >= 32 ? std::string(1, char(key))
                                             : "";
    text.insert(pos, inserted);
    pos += inserted.size();
    longest = std::max(longest, text.size());
  }
  testing::queueKeys("\r");

  testing::simulatedConsole.writesShown = 0;
  check(editLine() == text, "the text returned");
  check(testing::simulatedConsole.writesShown == 0, "the cursor hidden while the line is drawn");
  check(testing::simulatedConsole.beeps.size() == beeps, "a beep for each refused delete");
  check(testing::simulatedConsole.outsideBuffer == 0, "a call outside the buffer");
  // While the line never reached the bottom-right cell, nothing scrolls, the
  // text shows in its cells, the cursor stands after it and blanks follow.
  const platform::ScreenModel& screen = testing::simulatedConsole.screen;
  const std::size_t lineStart = std::size_t(promptRow * columns + promptLength);
  if (lineStart + longest < screen.cells.size()) {
    check(testing::simulatedConsole.scrollCalls == 0, "no scroll");
    for (std::size_t i = 0; i < screen.cells.size() - lineStart; ++i) {
      check(screen.cells[lineStart + i].byte == std::uint8_t(i < text.size() ? text[i] : ' '),
            "cells show the text");
    }
    check(std::size_t(screen.cursor.y * columns + screen.cursor.x) == lineStart + text.size(),
          "the cursor after it");
  }
  return 0;
}
