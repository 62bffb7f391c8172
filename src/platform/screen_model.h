#pragma once
// A console screen buffer kept in memory, behaving as the Windows console
// does: cells, a window over them, a cursor and the current attribute. The
// terminal backend mirrors it onto a terminal; the tests read it back.

#include <cstdint>
#include <vector>

#include "platform/console.h"

namespace quorvane::platform {

struct ScreenModel {
  Coord size;
  std::vector<CharCell> cells;  // size.x * size.y, row by row
  SmallRect window;
  Coord cursor;
  CursorInfo cursorInfo;
  std::uint16_t attributes = 0x07;
};

// A blank buffer of that size whose window shows its first windowRows rows.
ScreenModel makeScreen(Coord size, std::int16_t windowRows);

bool insideScreen(const ScreenModel& screen, Coord cell);
CharCell& cellAt(ScreenModel& screen, Coord cell);
const CharCell& cellAt(const ScreenModel& screen, Coord cell);

ScreenBufferInfo screenInfo(const ScreenModel& screen);

// Each operation below does what its console call does (writeCells:
// writeConsoleOutput, scrollCells: scrollConsoleScreenBuffer, fill*:
// fillConsoleOutput*, placeCursor: setConsoleCursorPosition, placeWindow:
// setConsoleWindowInfo, setCursorShape: setConsoleCursorInfo), clipping
// where the console clips and failing where it fails.
bool writeCells(ScreenModel& screen, const CharCell* cells, Coord size, Coord origin,
                SmallRect& target);
bool scrollCells(ScreenModel& screen, const SmallRect& source, Coord destination, CharCell fill);
// Fills count cells from a cell on, row after row, stopping at the end of
// the buffer; filled tells how many.
bool fillAttributes(ScreenModel& screen, std::uint16_t attributes, std::uint32_t count, Coord from,
                    std::uint32_t& filled);
bool fillCharacters(ScreenModel& screen, std::uint8_t byte, std::uint32_t count, Coord from,
                    std::uint32_t& filled);
// Moves the cursor, and the window by as little as it takes to show it.
bool placeCursor(ScreenModel& screen, Coord position);
// A relative window moves each side of the current one by its own amount.
bool placeWindow(ScreenModel& screen, bool absolute, const SmallRect& window);
bool setCursorShape(ScreenModel& screen, const CursorInfo& info);

// The buffer at another size, its lines moved with the cursor's to the row
// cursor names (as far as the size lets it), where the console or terminal
// now has it: cells beyond the new size are lost, new ones blank. The window
// keeps its place among the lines, at most windowRows tall.
void reshapeScreen(ScreenModel& screen, Coord size, Coord cursor, int windowRows);

}  // namespace quorvane::platform
