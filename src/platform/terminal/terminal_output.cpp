#include "platform/terminal/terminal_output.h"

#include "platform/terminal/descriptor_io.h"

namespace quorvane::platform {

void queueCursorMove(TerminalOutput& output, Coord position) {
  output.cursor.reset();
  output.bytes += "\x1b[";
  output.bytes += std::to_string(position.y + 1);
  output.bytes += ';';
  output.bytes += std::to_string(position.x + 1);
  output.bytes += 'H';
}

void leaveCursorAt(TerminalOutput& output, Coord position) { output.cursor = position; }

void queueAtCursor(TerminalOutput& output, std::string_view bytes) {
  queuePendingCursor(output);
  output.bytes += bytes;
}

void queuePendingCursor(TerminalOutput& output) {
  if (output.cursor) queueCursorMove(output, *output.cursor);
}

void writeQueuedOutput(TerminalOutput& output, int descriptor) {
  queuePendingCursor(output);
  if (output.bytes.empty()) return;
  static_cast<void>(writeAll(descriptor, output.bytes.data(), output.bytes.size()));
  output.bytes.clear();
}

}  // namespace quorvane::platform
