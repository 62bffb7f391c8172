#include "platform/terminal/terminal_render.h"

#include <algorithm>

#include "platform/terminal/cp437.h"

namespace quorvane::platform {

namespace {

constexpr char csi[] = "\x1b[";

bool isBlank(const CharCell& cell) { return cp437Glyph(cell.byte) == U' '; }

bool rowIsBlank(const ScreenModel& screen, int row) {
  for (int x = 0; x < screen.size.x; ++x) {
    if (!isBlank(cellAt(screen, cell(x, row)))) return false;
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
void drawRow(const ScreenModel& screen, int row, int left, int right, TerminalOutput& out) {
  int lastInk = left - 1;
  for (int x = right; x >= left; --x) {
    if (!isBlank(cellAt(screen, cell(x, row)))) {
      lastInk = x;
      break;
    }
  }
  queueCursorMove(out, cell(left, row));
  for (int x = left; x <= lastInk; ++x) appendGlyph(cellAt(screen, cell(x, row)).byte, out.bytes);
  const int blanks = right - lastInk;
  if (blanks == 1) out.bytes += ' ';
  noteCellsWritten(out, lastInk + 1 - left + (blanks == 1 ? 1 : 0), screen.size.x);
  if (blanks > 1) {
    out.bytes += csi;
    out.bytes += std::to_string(blanks);
    out.bytes += 'X';
  }
}

void drawSpan(const ScreenModel& screen, const Span& span, TerminalOutput& out) {
  if (span.left > span.right) return;
  for (int y = span.top; y <= span.bottom; ++y) drawRow(screen, y, span.left, span.right, out);
}

}  // namespace

bool renderWriteOutput(ScreenModel& screen, const CharCell* cells, Coord size, Coord origin,
                       SmallRect& target, TerminalOutput& out) {
  if (!writeCells(screen, cells, size, origin, target)) return false;
  drawSpan(screen, {target.left, target.top, target.right, target.bottom}, out);
  return true;
}

bool renderScroll(ScreenModel& screen, const SmallRect& source, Coord destination, CharCell fill,
                  TerminalOutput& out) {
  const int width = screen.size.x;
  const int height = screen.size.y;
  if (!scrollCells(screen, source, destination, fill)) return false;
  const int rows = source.top;
  const bool wholeBufferUp = source.left == 0 && source.right == width - 1 && rows > 0 &&
                             rows < height && source.bottom == height - 1 && destination.x == 0 &&
                             destination.y == 0;
  if (wholeBufferUp) {
    queueCursorMove(out, cell(0, height - 1));
    out.bytes.append(static_cast<std::size_t>(rows), '\n');
    // The terminal brings in blank rows; a fill that is not blank is drawn.
    for (int y = height - rows; y < height; ++y) {
      if (!rowIsBlank(screen, y)) drawRow(screen, y, 0, width - 1, out);
    }
  } else {
    const Span from = clippedSpan(screen, source.left, source.top, source.right, source.bottom);
    const int shiftX = destination.x - source.left;
    const int shiftY = destination.y - source.top;
    drawSpan(screen, from, out);
    drawSpan(screen,
             clippedSpan(screen, from.left + shiftX, from.top + shiftY, from.right + shiftX,
                         from.bottom + shiftY),
             out);
  }
  return true;
}

bool renderFillCharacters(ScreenModel& screen, std::uint8_t byte, std::uint32_t count, Coord from,
                          std::uint32_t& filled, TerminalOutput& out) {
  if (!fillCharacters(screen, byte, count, from, filled)) return false;
  const long width = screen.size.x;
  const long first = from.y * width + from.x;
  const long end = first + static_cast<long>(filled);  // one past the last cell filled
  for (long rowStart = from.y * width; rowStart < end; rowStart += width) {
    const long left = std::max(first, rowStart) - rowStart;
    const long right = std::min(end, rowStart + width) - 1 - rowStart;
    drawRow(screen, static_cast<int>(rowStart / width), static_cast<int>(left),
            static_cast<int>(right), out);
  }
  return true;
}

bool renderCursorInfo(ScreenModel& screen, const CursorInfo& info, TerminalOutput& out) {
  const bool wasVisible = screen.cursorInfo.visible;
  if (!setCursorShape(screen, info)) return false;
  if (info.visible == wasVisible) return true;
  // Hiding acts on no cell; the cursor is shown where it is to stand.
  if (info.visible) queueCursorMove(out, screen.cursor);
  out.bytes += info.visible ? "\x1b[?25h" : "\x1b[?25l";
  return true;
}

void renderBeep(TerminalOutput& out) { out.bytes += '\a'; }

}  // namespace quorvane::platform
