#include "platform/terminal/terminal_output.h"

#include "platform/terminal/descriptor_io.h"

namespace quorvane::platform {

void queueCursorMove(TerminalOutput& output, Coord position) {
  if (output.cursor && output.cursor->x == position.x && output.cursor->y == position.y) return;
  output.cursor = position;
  output.bytes += "\x1b[";
  output.bytes += std::to_string(position.y + 1);
  output.bytes += ';';
  output.bytes += std::to_string(position.x + 1);
  output.bytes += 'H';
}

void noteCellsWritten(TerminalOutput& output, int count, int width) {
  if (!output.cursor || count == 0) return;
  if (output.cursor->x + count >= width) {
    output.cursor.reset();
  } else {
    output.cursor->x = static_cast<std::int16_t>(output.cursor->x + count);
  }
}

void writeQueuedOutput(TerminalOutput& output, Coord cursor, int descriptor) {
  queueCursorMove(output, cursor);
  if (output.bytes.empty()) return;
  if (!writeAll(descriptor, output.bytes.data(), output.bytes.size())) output.cursor.reset();
  output.bytes.clear();
}

}  // namespace quorvane::platform
