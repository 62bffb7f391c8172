#include "console/line_editor.h"

#include <cassert>

#include "console/console_output.h"
#include "console/key_translation.h"
#include "console/keyboard.h"
#include "platform/console.h"

namespace quorvane {

namespace {

constexpr std::uint32_t keyPollInterval = 25;

// One entry: the text, the edit position in it, and the cursor, 1-based
// within the text area, as the editor last placed or read it.
struct EditState {
  std::string text;
  std::size_t pos = 0;
  int cols = 80;
  int rows = 25;
  int curX = 1;
  int curY = 1;
  bool savedVisible = true;
};

struct Cell {
  int x;
  int y;
};

int floorDivide(int a, int b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0); }

// The cell d cells after (x, y) in reading order, rows being cols wide.
Cell cellAfter(const EditState& edit, int x, int y, long long d) {
  const long long linear = static_cast<long long>(y - 1) * edit.cols + (x - 1) + d;
  const int row = floorDivide(static_cast<int>(linear), edit.cols);
  return {static_cast<int>(linear - static_cast<long long>(row) * edit.cols) + 1, row + 1};
}

void readCursor(EditState& edit) {
  const ColumnRow at = cursorPosition();
  edit.curX = at.column;
  edit.curY = at.row;
}

/* Moves the cursor d cells along the text. The cell after the bottom-right
   one is reached by writing a line end there, which scrolls the console by
   a row; any other cell outside the text area is refused by locate and
   the cursor stays. */
void moveCursorBy(EditState& edit, long long d) {
  const Cell to = cellAfter(edit, edit.curX, edit.curY, d);
  edit.curX = to.x;
  edit.curY = to.y;
  if (to.x == 1 && to.y == edit.rows + 1) {
    locate(edit.rows, edit.cols, -1);
    consoleWrite("\r\n", 2);
  } else {
    locate(edit.curY, edit.curX, -1);
  }
}

/* Inserts bytes at the edit position and redraws the line from there on.
   The cursor ends after the inserted bytes, also when the redrawn tail
   made the console scroll. */
void insertBytes(EditState& edit, std::string_view bytes) {
  locate(0, 0, 0);
  const int oldX = edit.curX;
  const int oldY = edit.curY;
  const std::size_t oldLen = edit.text.size();
  const auto n = static_cast<long long>(bytes.size());
  edit.text.insert(edit.pos, bytes);
  const auto tail = static_cast<long long>(edit.text.size() - edit.pos);
  consoleWrite(edit.text.data() + edit.pos, static_cast<std::size_t>(tail));
  readCursor(edit);
  const Cell end = cellAfter(edit, oldX, oldY, tail);
  const bool scrolled = end.y > edit.rows + 1 || (end.y == edit.rows + 1 && end.x > 1);
  if (edit.pos != oldLen && scrolled) {
    moveCursorBy(edit, -(tail - n));
  } else {
    edit.curX = oldX;
    edit.curY = oldY;
    moveCursorBy(edit, n);
  }
  edit.pos += bytes.size();
}

/* Removes n bytes at the edit position, redraws the tail and blanks the
   cells the shorter line no longer reaches; the cursor returns to the
   edit position's cell. */
void eraseBytes(EditState& edit, std::size_t n) {
  locate(0, 0, 0);
  edit.text.erase(edit.pos, n);
  consoleWrite(edit.text.data() + edit.pos, edit.text.size() - edit.pos);
  const std::string blanks(n, ' ');
  consoleWrite(blanks.data(), blanks.size());
  locate(edit.curY, edit.curX, -1);
}

void moveTo(EditState& edit, std::size_t pos) {
  moveCursorBy(edit, static_cast<long long>(pos) - static_cast<long long>(edit.pos));
  edit.pos = pos;
}

void actOnKey(EditState& edit, std::int32_t k) {
  const std::size_t len = edit.text.size();
  const auto cols = static_cast<std::size_t>(edit.cols);
  if (k >= 32 && k <= 255) {
    insertBytes(edit, std::string(1, static_cast<char>(k)));
    return;
  }
  switch (k) {
    case keyBackspace:
      if (edit.pos > 0) {
        moveTo(edit, edit.pos - 1);
        eraseBytes(edit, 1);
      }
      break;
    case keyTab:
      insertBytes(edit, std::string(8 - edit.pos % 8, ' '));
      break;
    case keyEscape:
      moveTo(edit, 0);
      if (len > 0) eraseBytes(edit, len);
      break;
    case keyHome:
      moveTo(edit, 0);
      break;
    case keyUp:
      if (edit.pos >= cols) moveTo(edit, edit.pos - cols);
      break;
    case keyLeft:
      if (edit.pos > 0) moveTo(edit, edit.pos - 1);
      break;
    case keyRight:
      if (edit.pos < len) moveTo(edit, edit.pos + 1);
      break;
    case keyEnd:
      moveTo(edit, len);
      break;
    case keyDown:
      if (edit.pos + cols <= len) moveTo(edit, edit.pos + cols);
      break;
    case keyDelete:
      if (edit.pos < len) {
        eraseBytes(edit, 1);
      } else {
        platform::beep(beepHz, beepMs);
      }
      break;
    default:
      break;  // every other key, the close key among them, is ignored
  }
}

std::int32_t keyCodeOf(const std::string& keyText) {
  const auto first = static_cast<unsigned char>(keyText[0]);
  if (keyText.size() == 1) return first;
  return static_cast<unsigned char>(keyText[1]) * 256 + 0xFF;
}

}  // namespace

std::optional<std::string> editLine() {
  EditState edit;
  const ColumnsRows area = textAreaSize();
  edit.cols = area.cols;
  edit.rows = area.rows;
  edit.savedVisible = (locate(0, 0, -1) & locateWasVisible) != 0;
  locate(0, 0, 0);
  locate(0, 0, 1);

  const platform::ConsoleHandle input = consoleHandles().input;
  for (;;) {
    readCursor(edit);
    while (!keyWaiting()) platform::waitForConsoleInput(input, keyPollInterval);
    const std::string keyText = takeKey();
    if (keyText.empty()) continue;
    const std::int32_t k = keyCodeOf(keyText);
    actOnKey(edit, k);
    assert(edit.pos <= edit.text.size());
    locate(0, 0, 1);
    if (k == keyEnter || k == keyLineFeed) break;
  }

  readCursor(edit);
  moveTo(edit, edit.text.size());
  locate(0, 0, edit.savedVisible ? 1 : 0);
  return edit.text;
}

}  // namespace quorvane
