#include "platform/terminal/terminal_output.h"

#include "platform/terminal/descriptor_io.h"

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

}  // namespace

void queueCursorMove(TerminalOutput& output, Coord position) {
  if (output.cursor) {
    const Coord from = *output.cursor;
    if (from.x == position.x && from.y == position.y && !output.wrapPending) return;
    appendRelativeMove(output.bytes, from, position, output.wrapPending);
  } else {
    output.bytes += "\x1b[";
    output.bytes += std::to_string(position.y + 1);
    output.bytes += ';';
    output.bytes += std::to_string(position.x + 1);
    output.bytes += 'H';
  }
  output.cursor = position;
  output.wrapPending = false;
}

void noteCellsWritten(TerminalOutput& output, int count, int width) {
  if (!output.cursor || count == 0) return;
  output.wrapPending = output.cursor->x + count >= width;
  output.cursor->x =
      static_cast<std::int16_t>(output.wrapPending ? width - 1 : output.cursor->x + count);
}

void writeQueuedOutput(TerminalOutput& output, Coord cursor, int descriptor) {
  queueCursorMove(output, cursor);
  if (output.bytes.empty()) return;
  if (!writeAll(descriptor, output.bytes.data(), output.bytes.size())) output.cursor.reset();
  output.bytes.clear();
}

}  // namespace quorvane::platform
