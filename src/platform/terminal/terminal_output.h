#pragma once
// The bytes on their way to standard output's terminal. They are queued
// and reach it in one write when the queue is written: before every wait
// for input or time, at a beep, at the process end, and once
// outputQueueLimit bytes have gathered.
//
// The queue keeps where the terminal's cursor stands once its bytes are
// written, as far as they tell, and sends a move only where the cursor is
// wanted elsewhere. A move is made from where the cursor stands (down by
// line feeds, up by CSI n A, along the row by CR, CSI n C or CSI n D), so
// that bytes queued before the terminal was resized still land where they
// belong: a terminal keeps the line its cursor is on with its text. Only a
// cursor not known is put on its cell by number (CSI row ; column H).

#include <cstddef>
#include <optional>
#include <string>

#include "platform/console.h"

namespace quorvane::platform {

inline constexpr std::size_t outputQueueLimit = 16384;

struct TerminalOutput {
  std::string bytes;            // queued, not written yet
  std::optional<Coord> cursor;  // where the terminal's cursor stands after them; none: not known
  bool wrapPending = false;     // a glyph went into the last column: the next one would wrap
};

// Queues a move of the terminal's cursor to position, unless it stands
// there already.
void queueCursorMove(TerminalOutput& output, Coord position);

// Notes that count cells were written from the cursor on, in a row width
// cells wide: the cursor stands after them, or in the last column with the
// terminal's deferred wrap pending.
void noteCellsWritten(TerminalOutput& output, int count, int width);

// Writes what is queued to descriptor in one write, after a move of the
// cursor to where it is to stand, and empties the queue. A terminal that is
// gone takes nothing, and its cursor is no longer known.
void writeQueuedOutput(TerminalOutput& output, Coord cursor, int descriptor);

}  // namespace quorvane::platform
