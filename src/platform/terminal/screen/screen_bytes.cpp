#include "platform/terminal/screen/screen_bytes.h"

#include <algorithm>

#include "platform/terminal/cp437.h"
#include "platform/terminal/tty/descriptor_io.h"

namespace quorvane::platform {

namespace {

// CSI n and the final byte; a count of 1 is left out, as terminals take it.
void appendControl(std::string& bytes, int count, char finalByte) {
  bytes += "\x1b[";
  if (count != 1) bytes += std::to_string(count);
  bytes += finalByte;
}

// A CR first leaves the deferred wrap and makes the column known whatever
// the terminal does with a line feed.
void appendRelativeMove(std::string& bytes, Coord from, Coord to, bool wrapPending) {
  int column = from.x;
  if (wrapPending || (to.y > from.y && column != 0)) {
    bytes += '\r';
    column = 0;
  }
  if (to.y > from.y) bytes.append(static_cast<std::size_t>(to.y - from.y), '\n');
  if (to.y < from.y) appendControl(bytes, from.y - to.y, 'A');
  if (to.x == column) return;
  if (to.x == 0) {
    bytes += '\r';
  } else {
    appendControl(bytes, to.x > column ? to.x - column : column - to.x, to.x > column ? 'C' : 'D');
  }
}

// Queues a move of the terminal's cursor to position, unless it stands there
// owing no wrap; a cursor not known is put there by number.
void queueCursorMove(OutputQueue& queue, Coord position) {
  if (queue.cursor) {
    const Coord from = *queue.cursor;
    if (from.x == position.x && from.y == position.y && !queue.wrapPending) return;
    appendRelativeMove(queue.bytes, from, position, queue.wrapPending);
  } else {
    queue.bytes += "\x1b[";
    queue.bytes += std::to_string(position.y + 1);
    queue.bytes += ';';
    queue.bytes += std::to_string(position.x + 1);
    queue.bytes += 'H';
  }
  queue.cursor = position;
  queue.wrapPending = false;
}

// The cursor after count cells written in a row width cells wide: after
// them, or in the last column with the deferred wrap pending.
void noteCellsWritten(OutputQueue& queue, int count, int width) {
  if (!queue.cursor || count == 0) return;
  queue.wrapPending = queue.cursor->x + count >= width;
  queue.cursor->x =
      static_cast<std::int16_t>(queue.wrapPending ? width - 1 : queue.cursor->x + count);
}

bool isBlank(const CharCell& content) { return cp437Glyph(content.byte) == U' '; }

bool rowIsBlank(const ScreenModel& screen, int row) {
  for (int x = 0; x < screen.size.x; ++x) {
    if (!isBlank(cellAt(screen, coord(x, row)))) return false;
  }
  return true;
}

// A rectangle cut down to the buffer, as rows and columns in int.
struct Span {
  int left = 0;
  int top = 0;
  int right = -1;
  int bottom = -1;
};

Span clippedSpan(const ScreenModel& screen, int left, int top, int right, int bottom) {
  return {std::max(left, 0), std::max(top, 0), std::min(right, screen.size.x - 1),
          std::min(bottom, screen.size.y - 1)};
}

// Draws the cells left to right of one row as the model holds them; a
// blank tail is erased rather than written.
void drawRow(OutputQueue& queue, const ScreenModel& screen, int row, int left, int right) {
  int lastInk = left - 1;
  for (int x = right; x >= left; --x) {
    if (!isBlank(cellAt(screen, coord(x, row)))) {
      lastInk = x;
      break;
    }
  }
  queueCursorMove(queue, coord(left, row));
  for (int x = left; x <= lastInk; ++x)
    appendGlyph(cellAt(screen, coord(x, row)).byte, queue.bytes);
  const int blanks = right - lastInk;
  if (blanks == 1) queue.bytes += ' ';
  noteCellsWritten(queue, lastInk + 1 - left + (blanks == 1 ? 1 : 0), screen.size.x);
  if (blanks > 1) appendControl(queue.bytes, blanks, 'X');
}

void drawSpan(OutputQueue& queue, const ScreenModel& screen, const Span& span) {
  if (span.left > span.right) return;
  for (int y = span.top; y <= span.bottom; ++y) drawRow(queue, screen, y, span.left, span.right);
}

}  // namespace

void queueRect(OutputQueue& queue, const ScreenModel& screen, const SmallRect& rect) {
  drawSpan(queue, screen, {rect.left, rect.top, rect.right, rect.bottom});
}

void queueScroll(OutputQueue& queue, const ScreenModel& screen, const SmallRect& source,
                 Coord destination) {
  const int width = screen.size.x;
  const int height = screen.size.y;
  const int rows = source.top;
  const bool wholeBufferUp = source.left == 0 && source.right == width - 1 && rows > 0 &&
                             rows < height && source.bottom == height - 1 && destination.x == 0 &&
                             destination.y == 0;
  if (wholeBufferUp) {
    queueCursorMove(queue, coord(0, height - 1));
    queue.bytes.append(static_cast<std::size_t>(rows), '\n');
    // The terminal brings in blank rows; a fill that is not blank is drawn.
    for (int y = height - rows; y < height; ++y) {
      if (!rowIsBlank(screen, y)) drawRow(queue, screen, y, 0, width - 1);
    }
    return;
  }
  const Span from = clippedSpan(screen, source.left, source.top, source.right, source.bottom);
  const int shiftX = destination.x - source.left;
  const int shiftY = destination.y - source.top;
  drawSpan(queue, screen, from);
  drawSpan(queue, screen,
           clippedSpan(screen, from.left + shiftX, from.top + shiftY, from.right + shiftX,
                       from.bottom + shiftY));
}

void queueFilledCells(OutputQueue& queue, const ScreenModel& screen, Coord from,
                      std::uint32_t filled) {
  const long width = screen.size.x;
  const long first = from.y * width + from.x;
  const long end = first + static_cast<long>(filled);  // one past the last cell filled
  for (long rowStart = from.y * width; rowStart < end; rowStart += width) {
    const long left = std::max(first, rowStart) - rowStart;
    const long right = std::min(end, rowStart + width) - 1 - rowStart;
    drawRow(queue, screen, static_cast<int>(rowStart / width), static_cast<int>(left),
            static_cast<int>(right));
  }
}

void queueCursorVisibility(OutputQueue& queue, const ScreenModel& screen, bool wasVisible) {
  const bool visible = screen.cursorInfo.visible;
  if (visible == wasVisible) return;
  // Hiding acts on no cell; the cursor is shown where it is to stand.
  if (visible) queueCursorMove(queue, screen.cursor);
  queue.bytes += visible ? "\x1b[?25h" : "\x1b[?25l";
}

void queueBeep(OutputQueue& queue) { queue.bytes += '\a'; }

void flushQueue(OutputQueue& queue, Coord cursor, int descriptor) {
  queueCursorMove(queue, cursor);
  if (queue.bytes.empty()) return;
  if (!writeAll(descriptor, queue.bytes.data(), queue.bytes.size())) queue.cursor.reset();
  queue.bytes.clear();
}

}  // namespace quorvane::platform
