#pragma once
// Console output: every line the tool prints, the line editor's writer,
// its cursor queries and its cursor placement. A write goes to the screen
// buffer cell by cell when standard output is a console (screen mode) and
// through unchanged otherwise (pass-through mode).

#include <cstdint>
#include <string_view>

#include "platform/console.h"

namespace quorvane {

struct ConsoleHandles {
  platform::ConsoleHandle input = nullptr;
  platform::ConsoleHandle output = nullptr;
};

// The text area in screen-buffer cells.
using TextArea = platform::SmallRect;

struct ConsoleState {
  bool handlesReady = false;
  ConsoleHandles handles;
  std::uint32_t inputModeFound = 0;  // put back at exit when it was changed
  TextArea textArea;
  bool textAreaReady = false;
  platform::Coord bufferSize;  // the buffer's size when the text area was read
  int regionTop = -1;  // rows of the scroll region, relative to the text area; -1: not fixed
  int regionBottom = -1;
  bool pendingAdvance = false;  // a line advance owed by a write that ended in the last cell
};

// The text area's size, and a place in it, 1-based.
struct TextSize {
  int columns = 0;
  int rows = 0;
};

struct TextPosition {
  int column = 0;
  int row = 0;
};

// The flag of consoleWrite.
inline constexpr unsigned writeEvenIfEmpty = 8;
// The bit of locate's state word that says the cursor was visible.
inline constexpr int locateWasVisible = 0x10000;
// The console's beep, for BEL and for a refused key: 1000 Hz for 250 ms.
inline constexpr std::uint32_t beepHz = 1000;
inline constexpr std::uint32_t beepMs = 250;

// Clears the console state to its start values; run once at start-up.
void resetConsoleState();
const ConsoleState& consoleState();

// The standard handles, fetched on the first call, which also sets a
// console input's mode for the keyboard intake until the process ends.
ConsoleHandles consoleHandles();

// Writes count bytes at the cursor. With flags writeEvenIfEmpty an empty
// write still carries out an owed line advance and places the cursor.
// Returns 0 for an empty call, -1 when pass-through writing failed.
int consoleWrite(const void* bytes, std::size_t count, unsigned flags = 0);

void printLine(std::string_view text);
void printText(std::string_view text);
void printEmptyLine();

// Columns and rows of the text area; (80, 25) when there is none.
TextSize textAreaSize();
// The rows of the scroll region from the text area's top, as far as the
// buffer reaches: those locate accepts, the last one where writes scroll.
int scrollRegionRows();
// The cursor, 1-based within the text area; (0, 0) when unknown.
TextPosition cursorPosition();
// Places the cursor at a 1-based row and column (0 keeps the current one)
// and sets its visibility (-1 keeps it, 0 hides, 1 shows). Returns the
// state word: row << 8 | column, plus locateWasVisible.
int locate(int row, int column, int visibility);

}  // namespace quorvane
