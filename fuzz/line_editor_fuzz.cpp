// The line editor on arbitrary key sequences: the text holds only bytes 32
// to 255, and when the line fits on the screen the cells after the prompt
// show exactly the text, with the cursor after it.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "console/console_output.h"
#include "console/keyboard.h"
#include "console/line_editor.h"
#include "fuzz_check.h"
#include "simulated_console.h"

namespace {

using quorvane::fuzzing::check;

// One fuzz byte as one key: the editing keys, a few ignored ones, and text.
void queueKeyFor(std::uint8_t byte) {
  using namespace quorvane::testing;
  switch (byte) {
    case 0:
      queueCursorKey(0x47);
      break;  // Home
    case 1:
      queueCursorKey(0x48);
      break;  // Up
    case 2:
      queueCursorKey(0x4B);
      break;  // Left
    case 3:
      queueCursorKey(0x4D);
      break;  // Right
    case 4:
      queueCursorKey(0x4F);
      break;  // End
    case 5:
      queueCursorKey(0x50);
      break;  // Down
    case 6:
      queueCursorKey(0x53);
      break;  // Delete
    case 7:
      queueCursorKey(0x52);
      break;  // Insert, ignored
    case 8:
      queueBackspace();
      break;
    case 9:
      queueTab();
      break;
    case 27:
      queueEscape();
      break;
    case 10:
    case 13:
      break;  // Enter comes last
    default:
      queueKey(0, 0, byte);
      break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quorvane;
  if (size < 3) return 0;
  const int columns = 8 + data[0] % 80;
  const int rows = 3 + data[1] % 20;
  const int promptLength = data[2] % columns;
  testing::resetSimulatedConsole();
  resetConsoleState();
  resetKeyboardState();
  testing::useScreen(columns, rows, rows);
  testing::simulatedConsole().inputIsConsole = true;
  printText(std::string(static_cast<std::size_t>(promptLength), '>'));
  for (std::size_t i = 3; i < size; ++i) queueKeyFor(data[i]);
  testing::queueEnter();

  const std::string text = editLine().value_or("");
  for (const char c : text) check(static_cast<unsigned char>(c) >= 32, "a byte below 32");
  check(testing::simulatedConsole().outsideBuffer == 0, "a call outside the buffer");

  const std::size_t cells = static_cast<std::size_t>(promptLength) + text.size();
  if (testing::simulatedConsole().scrollCalls == 0 &&
      cells < static_cast<std::size_t>(columns * rows)) {
    const auto& screen = testing::simulatedConsole().screen;
    for (std::size_t i = 0; i < text.size(); ++i) {
      const std::size_t cell = static_cast<std::size_t>(promptLength) + i;
      check(screen.cells[cell].byte == static_cast<unsigned char>(text[i]), "cells show the text");
    }
    check(static_cast<std::size_t>(screen.cursor.y * columns + screen.cursor.x) == cells,
          "the cursor after the text");
  }
  return 0;
}
