#pragma once
// The bytes on their way to standard output's terminal. They are queued
// and reach it in one write when the queue is written: before every wait
// for input or time, at a beep, at the process end, and once
// outputQueueLimit bytes have gathered.
//
// The queue keeps where the terminal's cursor stands once its bytes are
// written, as far as they tell, and sends a cursor move (CSI row ; column
// H) only where the cursor is wanted elsewhere: drawing that goes on where
// the last ended, or a cursor left where it stands, costs no move.

#include <cstddef>
#include <optional>
#include <string>

#include "platform/console.h"

namespace quorvane::platform {

inline constexpr std::size_t outputQueueLimit = 16384;

struct TerminalOutput {
  std::string bytes;            // queued, not written yet
  std::optional<Coord> cursor;  // where the terminal's cursor stands after them; none: not known
};

// Queues a move of the terminal's cursor to position, unless it stands
// there already.
void queueCursorMove(TerminalOutput& output, Coord position);

// Notes that count cells were written from the cursor on, in a row width
// cells wide: the cursor stands after them. Once the last column is
// written, the terminal's deferred wrap leaves it in a state no move can
// be saved on, taken as not known.
void noteCellsWritten(TerminalOutput& output, int count, int width);

// Writes what is queued to descriptor in one write, after a move of the
// cursor to where it is to stand, and empties the queue. A terminal that is
// gone takes nothing, and its cursor is no longer known.
void writeQueuedOutput(TerminalOutput& output, Coord cursor, int descriptor);

}  // namespace quorvane::platform
