#pragma once
// The screen model turned into the bytes that bring the terminal in line
// with it, gathered in one queue and written at once. Pure but for
// flushQueue, the one write.
//
// The bytes use these escape sequences and nothing else:
//   CR, LF, CSI n A, CSI n C, CSI n D   move the cursor from where it stands
//   CSI row ; column H   put a cursor not known on a cell (1-based)
//   CSI n X              erase n cells from the cursor on; the cursor stays
//   LF on the bottom row scroll up one row; the top row goes into the
//                        terminal's scrollback
//   CSI ? 25 l, CSI ? 25 h   hide, show the cursor
// plus BEL for the beep.
//
// Moves are relative so that bytes queued before a resize still land where
// they belong: a terminal keeps the line its cursor is on with its text.
// Cells are drawn as the UTF-8 of their byte's code page 437 glyph, so no
// byte of a cell reaches the terminal as a control. Attributes are not
// drawn: the console layer writes the default 0x07 only, which the terminal
// shows in its own colours. The terminal is taken to be as large as the
// model, with the usual deferred wrap after the last column.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/console.h"
#include "platform/screen_model.h"

namespace quorvane::platform {

inline constexpr std::size_t outputQueueLimit = 16384;

struct OutputQueue {
  std::string bytes;            // queued, not written yet
  std::optional<Coord> cursor;  // where the terminal's cursor stands after them; none: not known
  bool wrapPending = false;     // a glyph went into the last column: the next one would wrap
};

// Each queues the bytes that show a change already made to the model.
void queueRect(OutputQueue& queue, const ScreenModel& screen, const SmallRect& rect);
// Moving the whole buffer up by n rows (source (0, n, width - 1, height - 1)
// to (0, 0)) is left to the terminal: line feeds on the bottom row. Any
// other move redraws the source and destination cells.
void queueScroll(OutputQueue& queue, const ScreenModel& screen, const SmallRect& source,
                 Coord destination);
void queueFilledCells(OutputQueue& queue, const ScreenModel& screen, Coord from,
                      std::uint32_t filled);
// Only the cursor's visibility is shown; its size is the terminal's.
void queueCursorVisibility(OutputQueue& queue, const ScreenModel& screen, bool wasVisible);
// BEL, which sounds (or flashes) as the terminal is set to.
void queueBeep(OutputQueue& queue);

// Writes the queue to descriptor in one write, after a move of the
// terminal's cursor to cursor, and empties it. A terminal that is gone
// takes nothing, and its cursor is no longer known.
void flushQueue(OutputQueue& queue, Coord cursor, int descriptor);

}  // namespace quorvane::platform
