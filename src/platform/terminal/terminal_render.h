#pragma once
// How the screen model reaches the terminal. Each console call that
// changes the screen is applied to the model here and queues the bytes
// that bring the terminal in line with it (terminal_output.h). Pure: no
// terminal is touched.
//
// The bytes use these escape sequences and nothing else:
//   CSI row ; column H   put the cursor on a cell (1-based)
//   CSI n X              erase n cells from the cursor on; the cursor stays
//   LF on the bottom row scroll up one row; the top row goes into the
//                        terminal's scrollback
//   CSI ? 25 l, CSI ? 25 h   hide, show the cursor
// plus BEL for the beep and CSI 0 m among the undo bytes at the end.
//
// Cells are drawn as the UTF-8 of their byte's code page 437 glyph, so no
// byte of a cell reaches the terminal as a control. Attributes are kept in
// the model but not drawn: the console layer writes the default 0x07 only,
// which the terminal shows in its own default colours.
//
// The terminal is assumed to be exactly as large as the model, with the
// usual deferred wrap: a glyph written in the last column leaves the cursor
// there and scrolls nothing.

#include <cstdint>

#include "platform/console.h"
#include "platform/screen_model.h"
#include "platform/terminal/terminal_output.h"

namespace quorvane::platform {

// The console calls of the same names: each changes the model as the
// console would, and on success queues the bytes that show the change;
// the terminal's cursor is put where the model's stands when the queue is
// written. A failing call queues nothing.
bool renderWriteOutput(ScreenModel& screen, const CharCell* cells, Coord size, Coord origin,
                       SmallRect& target, TerminalOutput& out);
// Moving the whole buffer up by n rows (source (0, n, width - 1, height - 1)
// to (0, 0)) is done by the terminal itself with line feeds on the bottom
// row; any other move redraws the source and destination cells.
bool renderScroll(ScreenModel& screen, const SmallRect& source, Coord destination, CharCell fill,
                  TerminalOutput& out);
bool renderFillCharacters(ScreenModel& screen, std::uint8_t byte, std::uint32_t count, Coord from,
                          std::uint32_t& filled, TerminalOutput& out);
// Only the cursor's visibility is shown; its size is the terminal's.
bool renderCursorInfo(ScreenModel& screen, const CursorInfo& info, TerminalOutput& out);
// BEL, which sounds (or flashes) as the terminal is set to.
void renderBeep(TerminalOutput& out);

}  // namespace quorvane::platform
