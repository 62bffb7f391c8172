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
// within the text area, as the editor last placed or read it, with the
// columns and the rows of the scroll region as they were then.
struct EditState {
  std::string text;
  std::size_t pos = 0;
  int cols = 80;
  int rows = 25;
  TextPosition cursor{1, 1};
  bool savedVisible = true;
};

int floorDivide(int a, int b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0); }

// The position d cells after from in reading order, rows being cols wide.
TextPosition positionAfter(const EditState& edit, TextPosition from, long long d) {
  const long long linear = static_cast<long long>(from.row - 1) * edit.cols + (from.column - 1) + d;
  const int row = floorDivide(static_cast<int>(linear), edit.cols);
  return {static_cast<int>(linear - static_cast<long long>(row) * edit.cols) + 1, row + 1};
}

// Read at each key and after each write: a console resized meanwhile may
// have other columns and rows.
void readCursor(EditState& edit) {
  edit.cursor = cursorPosition();
  edit.cols = textAreaSize().columns;
  edit.rows = scrollRegionRows();
}

// Moves the cursor d cells along the text. The cell after the bottom-right
// one is reached by writing a line end there, which scrolls the console by
// a row; any other cell outside the text area is refused by locate and
// the cursor stays.
void moveCursorBy(EditState& edit, long long d) {
  edit.cursor = positionAfter(edit, edit.cursor, d);
  if (edit.cursor.column == 1 && edit.cursor.row == edit.rows + 1) {
    locate(edit.rows, edit.cols, -1);
    consoleWrite("\r\n", 2);
  } else {
    locate(edit.cursor.row, edit.cursor.column, -1);
  }
}

// After a write from the edit position on, the cursor stands after the
// cells written (in the last one, its advance owed, when that was the
// region's last cell); it goes back over the behind cells of them that
// follow the edit position. The cursor is read, not counted from where the
// write began: the write may have scrolled the console, or taken up a
// window the user had scrolled, and the entry's cells with it.
void returnAfterWrite(EditState& edit, std::size_t behind) {
  readCursor(edit);
  const long long owed = consoleState().pendingAdvance ? 1 : 0;
  moveCursorBy(edit, owed - static_cast<long long>(behind));
}

// Inserts bytes at the edit position and redraws the line from there on;
// the cursor ends after them.
void insertBytes(EditState& edit, std::string_view bytes) {
  locate(0, 0, 0);
  edit.text.insert(edit.pos, bytes);
  const std::size_t written = edit.text.size() - edit.pos;
  consoleWrite(edit.text.data() + edit.pos, written);
  edit.pos += bytes.size();
  returnAfterWrite(edit, written - bytes.size());
}

// Removes n bytes at the edit position, redraws the tail and blanks the
// cells the shorter line no longer reaches; the cursor returns to the edit
// position's cell.
void eraseBytes(EditState& edit, std::size_t n) {
  locate(0, 0, 0);
  edit.text.erase(edit.pos, n);
  const std::size_t tail = edit.text.size() - edit.pos;
  consoleWrite(edit.text.data() + edit.pos, tail);
  const std::string blanks(n, ' ');
  consoleWrite(blanks.data(), blanks.size());
  returnAfterWrite(edit, tail + n);
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

}  // namespace

std::optional<std::string> editLine() {
  EditState edit;
  edit.savedVisible = (locate(0, 0, -1) & locateWasVisible) != 0;
  locate(0, 0, 0);
  locate(0, 0, 1);

  const platform::ConsoleHandle input = consoleHandles().input;
  for (;;) {
    while (!keyWaiting()) platform::waitForConsoleInput(input, keyPollInterval);
    const std::string text = takeKey();
    if (text.empty()) continue;
    // Read once the key is there: the console may have been resized while
    // the editor waited for it.
    readCursor(edit);
    const std::int32_t k = keyCodeOf(text);
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
