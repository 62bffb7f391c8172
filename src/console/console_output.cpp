#include "console/console_output.h"

#include <algorithm>
#include <array>
#include <cstdlib>

#include "files/error_number.h"

namespace quorvane {

namespace {

using platform::CharCell;
using platform::coord;
using platform::SmallRect;

ConsoleState console;

constexpr char lineEnd[] = "\r\n";
constexpr std::size_t runCapacity = 1024;
constexpr std::uint8_t bel = 7, bs = 8, tab = 9, lf = 10, cr = 13;

// Everything one screen-mode write needs, in screen-buffer cells. The
// region's rows move down when it slides through a taller buffer.
struct WriteContext {
  int regionLeft = 0;
  int regionRight = 0;
  int regionTop = 0;
  int regionBottom = 0;
  int areaTopAtStart = 0;
  bool partialRegion = false;
  int cursorX = 0;
  int cursorY = 0;
  int bufferWidth = 80;
  int bufferHeight = 25;
  std::uint16_t attribute = 0x07;
  std::array<std::uint8_t, runCapacity> run{};
  std::size_t runLength = 0;
  int predictedColumn = 0;
  bool movedSinceRun = false;
};

SmallRect rect(int left, int top, int right, int bottom) {
  return {static_cast<std::int16_t>(left), static_cast<std::int16_t>(top),
          static_cast<std::int16_t>(right), static_cast<std::int16_t>(bottom)};
}

platform::ConsoleHandle outputHandle() { return consoleHandles().output; }

// The text area from the buffer's info; none when the console gives none.
void readTextArea(const platform::ScreenBufferInfo* info) {
  console.textAreaReady = true;
  if (info == nullptr) {
    console.textArea = {};
    return;
  }
  console.textArea = {0, info->window.top, static_cast<std::int16_t>(info->size.x - 1),
                      info->window.bottom};
  console.bufferSize = info->size;
}

void refreshTextArea() {
  platform::ScreenBufferInfo info;
  readTextArea(platform::getConsoleScreenBufferInfo(outputHandle(), info) ? &info : nullptr);
}

void ensureTextArea() {
  if (!console.textAreaReady) refreshTextArea();
}

bool textAreaUsable() {
  const TextArea& area = console.textArea;
  return area.left != area.right && area.top != area.bottom;
}

// A buffer no longer of the size it had when the text area was read has
// been resized, its lines moved perhaps and the window with them: the text
// area is read again at once. A window the user only scrolled is taken up
// at the end of the next write, so that the cells the line editor counts
// keep their place until then.
void followResizedBuffer(const platform::ScreenBufferInfo& info) {
  if (textAreaUsable() &&
      (info.size.x != console.bufferSize.x || info.size.y != console.bufferSize.y)) {
    readTextArea(&info);
  }
}

// The buffer's info, the text area followed to a resized buffer; none when
// the console gives none.
bool readBufferInfo(platform::ScreenBufferInfo& info) {
  ensureTextArea();
  if (!platform::getConsoleScreenBufferInfo(outputHandle(), info)) return false;
  followResizedBuffer(info);
  return true;
}

// The region takes the text area's height at its first use and keeps it.
void fixScrollRegion() {
  if (console.regionTop >= 0) return;
  const int rows = textAreaSize().rows;
  console.regionTop = 0;
  console.regionBottom = rows > 0 ? rows - 1 : 24;
}

// Hands the bytes to the output handle until all are written; a failing
// write drops the rest.
int writeThrough(const std::uint8_t* bytes, std::size_t count) {
  while (count > 0) {
    std::uint32_t written = 0;
    // writeFile counts in 32 bits: a larger write goes in parts of 1 GiB.
    const auto chunk = static_cast<std::uint32_t>(std::min<std::size_t>(count, 0x40000000));
    if (!platform::writeFile(outputHandle(), bytes, chunk, written) || written == 0) return -1;
    bytes += written;
    count -= written;
  }
  return 0;
}

void clearRow(const WriteContext& write, int row) {
  const auto width = static_cast<std::uint32_t>(write.regionRight + 1 - write.regionLeft);
  std::uint32_t filled = 0;
  platform::fillConsoleOutputAttribute(outputHandle(), write.attribute, width,
                                       coord(write.regionLeft, row), filled);
  platform::fillConsoleOutputCharacter(outputHandle(), ' ', width, coord(write.regionLeft, row),
                                       filled);
}

// A scroll by more than half its rows leaves the rows between the
// destination's end and the source's start neither moved nor filled: the
// callers clear from the destination's end on.
void clearRows(const WriteContext& write, int first, int last) {
  for (int row = first; row <= last; ++row) clearRow(write, row);
}

// Scrolls by n rows. A whole-area region first slides down through the
// rows of the buffer below it, moving no cell; at the buffer's end the
// buffer's contents move up. A region that no longer matches the window
// scrolls its own rows in place.
void scroll(WriteContext& write, int n) {
  const CharCell blank{' ', write.attribute};
  if (write.partialRegion) {
    const int height = write.regionBottom + 1 - write.regionTop;
    if (n >= height) {
      clearRows(write, write.regionTop, write.regionBottom);
    } else {
      platform::scrollConsoleScreenBuffer(
          outputHandle(),
          rect(write.regionLeft, write.regionTop + n, write.regionRight, write.regionBottom),
          coord(write.regionLeft, write.regionTop), blank);
      if (n > height - n) clearRows(write, write.regionTop + (height - n), write.regionBottom);
    }
    write.cursorY = write.regionBottom;
    return;
  }
  const int spare = write.bufferHeight - 1 - write.regionBottom;
  if (spare > 0) {
    const int slide = std::min(n, spare);
    write.regionTop += slide;
    write.regionBottom += slide;
    n -= slide;
  }
  if (n > 0) {
    const int height = write.bufferHeight;
    if (n >= height) {
      clearRows(write, write.regionTop, write.regionBottom);
    } else {
      platform::scrollConsoleScreenBuffer(
          outputHandle(), rect(0, n, write.bufferWidth - 1, height - 1), coord(0, 0), blank);
      if (n > height - n) clearRows(write, height - n, height - 1);
    }
  }
  write.cursorY = write.regionBottom;
}

void scrollIfBelow(WriteContext& write) {
  if (write.cursorY > write.regionBottom) scroll(write, write.cursorY - write.regionBottom);
}

// Puts the held run into the buffer at the cursor, one row segment per
// call, wrapping at the region's right edge. A segment the console refuses
// drops the rest of the run.
void writeRun(WriteContext& write) {
  std::array<CharCell, runCapacity> cells;
  std::size_t done = 0;
  while (done < write.runLength) {
    const auto room = static_cast<std::size_t>(std::max(write.regionRight + 1 - write.cursorX, 1));
    const std::size_t n = std::min(write.runLength - done, room);
    scrollIfBelow(write);
    for (std::size_t i = 0; i < n; ++i) cells[i] = {write.run[done + i], write.attribute};
    SmallRect target =
        rect(write.cursorX, write.cursorY, write.cursorX + static_cast<int>(n) - 1, write.cursorY);
    if (!platform::writeConsoleOutput(outputHandle(), cells.data(), coord(static_cast<int>(n), 1),
                                      coord(0, 0), target)) {
      break;
    }
    done += n;
    write.cursorX += static_cast<int>(n);
    if (write.cursorX > write.regionRight) {
      write.cursorX = write.regionLeft;
      ++write.cursorY;
    }
  }
  write.runLength = 0;
  write.movedSinceRun = false;
}

void holdText(WriteContext& write, std::uint8_t byte, std::size_t count) {
  if (write.runLength + count > runCapacity) writeRun(write);
  std::fill_n(write.run.begin() + static_cast<std::ptrdiff_t>(write.runLength), count, byte);
  write.runLength += count;
  const int width = write.regionRight - write.regionLeft + 1;
  write.predictedColumn += static_cast<int>(count);
  if (write.predictedColumn > write.regionRight) {
    write.predictedColumn = write.regionLeft + (write.predictedColumn - write.regionLeft) % width;
  }
}

// A control byte moves the cursor by the distance between the column it
// aims at and the predicted one, so that a run the console refused is not
// counted. The cursor stays inside the region's columns.
void moveByControl(WriteContext& write, int targetColumn, int rowStep) {
  if (write.runLength > 0) writeRun(write);
  write.cursorX = std::clamp(write.cursorX + (targetColumn - write.predictedColumn),
                             write.regionLeft, write.regionRight);
  write.cursorY += rowStep;
  write.predictedColumn = write.cursorX;
  write.movedSinceRun = true;
}

void interpret(WriteContext& write, const std::uint8_t* bytes, std::size_t count) {
  write.predictedColumn = write.cursorX;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t byte = bytes[i];
    switch (byte) {
      case bel:
        platform::beep(beepHz, beepMs);
        break;
      case bs:
        moveByControl(write,
                      write.predictedColumn == write.regionLeft ? write.regionLeft
                                                                : write.predictedColumn - 1,
                      0);
        break;
      case tab:
        holdText(write, ' ',
                 static_cast<std::size_t>(8 - (write.predictedColumn - write.regionLeft) % 8));
        break;
      case lf:
        moveByControl(write, write.regionLeft, 1);
        break;
      case cr:
        moveByControl(write, write.regionLeft, 0);
        break;
      default:
        holdText(write, byte, 1);
    }
  }
  if (write.runLength > 0) {
    writeRun(write);
  } else if (write.movedSinceRun) {
    scrollIfBelow(write);
  }
}

WriteContext beginScreenWrite() {
  platform::ScreenBufferInfo info;
  const bool known = readBufferInfo(info);
  fixScrollRegion();
  const TextArea& area = console.textArea;
  WriteContext write;
  write.regionLeft = area.left;
  write.regionRight = area.right;
  write.regionTop = area.top + console.regionTop;
  write.regionBottom = area.top + console.regionBottom;
  write.areaTopAtStart = area.top;
  if (known) {
    write.cursorX = info.cursorPosition.x;
    write.cursorY = info.cursorPosition.y;
    write.bufferWidth = info.size.x;
    write.bufferHeight = info.size.y;
    write.attribute = info.attributes;
    // A window made shorter at the buffer's end would put the region's last
    // rows below the buffer, where nothing written could be seen. Only a
    // height the console reported counts: the assumed one says nothing.
    write.regionBottom = std::min(write.regionBottom, write.bufferHeight - 1);
    write.regionTop = std::min(write.regionTop, write.regionBottom);
  } else {
    write.cursorX = write.regionLeft;
    write.cursorY = write.regionTop;
  }
  write.partialRegion = write.regionTop != area.top || write.regionBottom != area.bottom;
  return write;
}

void endScreenWrite(WriteContext& write) {
  if (write.cursorX == write.regionLeft && write.cursorY == write.regionBottom + 1) {
    // The text ended in the region's last cell: the advance waits for more.
    console.pendingAdvance = true;
    write.cursorX = write.regionRight;
    write.cursorY = write.regionBottom;
  } else {
    scrollIfBelow(write);
  }
  platform::setConsoleCursorPosition(outputHandle(), coord(write.cursorX, write.cursorY));
  if (write.regionTop != write.areaTopAtStart && !write.partialRegion) {
    platform::setConsoleWindowInfo(
        outputHandle(), true,
        rect(write.regionLeft, write.regionTop, write.regionRight, write.regionBottom));
  }
  refreshTextArea();
}

void restoreInputMode() { platform::setConsoleMode(console.handles.input, console.inputModeFound); }

// Ctrl+C comes as a control event, never as a key, and keys as key events:
// not as the bytes of escape sequences, a mode an earlier program may have
// left on, in which Backspace would type a character. The mode found is put
// back at exit.
void enterInputMode() {
  std::uint32_t mode = 0;
  const platform::ConsoleHandle input = console.handles.input;
  if (input == nullptr || !platform::getConsoleMode(input, mode)) return;
  const std::uint32_t wanted =
      (mode | platform::enableProcessedInput) & ~platform::enableVirtualTerminalInput;
  console.inputModeFound = mode;
  // Should the list of exit routines be full, the mode stays as set.
  if (platform::setConsoleMode(input, wanted) && wanted != mode) {
    static_cast<void>(std::atexit(restoreInputMode));
  }
}

}  // namespace

void resetConsoleState() { console = ConsoleState{}; }

const ConsoleState& consoleState() { return console; }

ConsoleHandles consoleHandles() {
  if (!console.handlesReady) {
    console.handlesReady = true;
    console.handles.input = platform::getStdHandle(platform::StandardHandle::input);
    console.handles.output = platform::getStdHandle(platform::StandardHandle::output);
    enterInputMode();
  }
  return console.handles;
}

int consoleWrite(const void* bytes, std::size_t count, unsigned flags) {
  if (count == 0 && (flags & writeEvenIfEmpty) == 0) return 0;
  ensureTextArea();
  const auto* data = static_cast<const std::uint8_t*>(bytes);
  if (!textAreaUsable()) return writeThrough(data, count);

  WriteContext write = beginScreenWrite();
  if (console.pendingAdvance) {
    console.pendingAdvance = false;
    ++write.cursorY;
    write.cursorX = write.regionLeft;
    scrollIfBelow(write);
  }
  interpret(write, data, count);
  endScreenWrite(write);
  return 0;
}

void printText(std::string_view text) {
  if (!text.empty()) consoleWrite(text.data(), text.size());
  setLastError(ErrNone);
}

void printLine(std::string_view text) {
  printText(text);
  printEmptyLine();
}

void printEmptyLine() {
  consoleWrite(lineEnd, 2);
  setLastError(ErrNone);
}

TextSize textAreaSize() {
  ensureTextArea();
  if (!textAreaUsable()) return {80, 25};
  platform::ScreenBufferInfo info;
  readBufferInfo(info);
  const TextArea& area = console.textArea;
  return {area.right - area.left + 1, area.bottom - area.top + 1};
}

int scrollRegionRows() {
  static_cast<void>(textAreaSize());  // follows a resized buffer
  fixScrollRegion();
  const int rows = console.regionBottom + 1 - console.regionTop;
  if (!textAreaUsable()) return rows;
  return std::clamp(console.bufferSize.y - console.textArea.top, 1, rows);
}

TextPosition cursorPosition() {
  platform::ScreenBufferInfo info;
  if (!readBufferInfo(info)) return {0, 0};
  const TextArea area = textAreaUsable() ? console.textArea : TextArea{};
  return {info.cursorPosition.x + 1 - area.left, info.cursorPosition.y + 1 - area.top};
}

int locate(int row, int column, int visibility) {
  const int cols = textAreaSize().columns;
  const bool rowRefused = row != 0 && (row < console.regionTop + 1 || row > scrollRegionRows());
  const bool columnRefused = column != 0 && (column < 1 || column > cols);
  if (rowRefused || columnRefused) {
    setLastError(ErrBadCall);
    return locate(0, 0, visibility);
  }
  const TextPosition current = cursorPosition();
  if (row == 0) row = current.row;
  if (column == 0) column = current.column;

  platform::CursorInfo shape;
  const bool wasVisible = platform::getConsoleCursorInfo(outputHandle(), shape) && shape.visible;
  const TextArea area = textAreaUsable() ? console.textArea : TextArea{};
  if (visibility >= 0 && platform::getConsoleCursorInfo(outputHandle(), shape)) {
    shape.visible = visibility != 0;
    platform::setConsoleCursorInfo(outputHandle(), shape);
  }
  console.pendingAdvance = false;
  platform::setConsoleCursorPosition(outputHandle(),
                                     coord(column - 1 + area.left, row - 1 + area.top));
  setLastError(ErrNone);
  return ((row & 0xFF) << 8) | (column & 0xFF) | (wasVisible ? locateWasVisible : 0);
}

}  // namespace quorvane
