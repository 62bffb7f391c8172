#pragma once
// The bytes on their way to standard output's terminal. They are queued
// and reach it in one write when the queue is written: before every wait
// for input or time, at a beep, at the process end, and once
// outputQueueLimit bytes have gathered.
//
// The cursor's place is queued apart from the bytes: a pending position,
// sent as one cursor move (CSI row ; column H) before bytes that act where
// the cursor stands, and at the end of a write. Bytes that begin with a
// move of their own, such as a row drawn, make it moot, so that a cursor
// placed after every console call costs nothing while more drawing
// follows.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/console.h"

namespace quorvane::platform {

inline constexpr std::size_t outputQueueLimit = 16384;

struct TerminalOutput {
  std::string bytes;            // queued, not written yet
  std::optional<Coord> cursor;  // where the cursor is to stand after them
};

// Queues a cursor move to position for the bytes that follow it; a
// pending position is dropped.
void queueCursorMove(TerminalOutput& output, Coord position);

// Makes position the pending one, in place of any other.
void leaveCursorAt(TerminalOutput& output, Coord position);

// Queues bytes that act where the cursor stands (a line end, the cursor
// query, the cursor shown); the pending move goes before them.
void queueAtCursor(TerminalOutput& output, std::string_view bytes);

// Queues the move to the pending position, which is then none.
void queuePendingCursor(TerminalOutput& output);

// Writes what is queued to descriptor in one write, the pending move
// last, and empties the queue. A terminal that is gone takes nothing.
void writeQueuedOutput(TerminalOutput& output, int descriptor);

}  // namespace quorvane::platform
