#include "platform/screen_model.h"

#include <algorithm>

namespace quorvane::platform {

namespace {

std::size_t indexOf(const ScreenModel& screen, int x, int y) {
  return static_cast<std::size_t>(y) * static_cast<std::size_t>(screen.size.x) +
         static_cast<std::size_t>(x);
}

std::size_t indexOf(const ScreenModel& screen, Coord cell) {
  return indexOf(screen, cell.x, cell.y);
}

// The rectangle cut down to the buffer; right < left or bottom < top when
// nothing of it lies inside.
SmallRect clipped(const ScreenModel& screen, const SmallRect& rect) {
  return {std::max<std::int16_t>(rect.left, 0), std::max<std::int16_t>(rect.top, 0),
          std::min<std::int16_t>(rect.right, static_cast<std::int16_t>(screen.size.x - 1)),
          std::min<std::int16_t>(rect.bottom, static_cast<std::int16_t>(screen.size.y - 1))};
}

bool isEmpty(const SmallRect& rect) { return rect.right < rect.left || rect.bottom < rect.top; }

bool contains(const SmallRect& rect, int x, int y) {
  return x >= rect.left && x <= rect.right && y >= rect.top && y <= rect.bottom;
}

template <typename Apply>
bool fillCells(ScreenModel& screen, std::uint32_t count, Coord from, std::uint32_t& filled,
               Apply apply) {
  filled = 0;
  if (!insideScreen(screen, from)) return false;
  const std::size_t start = indexOf(screen, from);
  const std::size_t end = std::min(screen.cells.size(), start + count);
  for (std::size_t i = start; i < end; ++i) apply(screen.cells[i]);
  filled = static_cast<std::uint32_t>(end - start);
  return true;
}

// The window rectangle a call asks for, made absolute.
SmallRect wantedWindow(const ScreenModel& screen, bool absolute, const SmallRect& window) {
  if (absolute) return window;
  return {static_cast<std::int16_t>(screen.window.left + window.left),
          static_cast<std::int16_t>(screen.window.top + window.top),
          static_cast<std::int16_t>(screen.window.right + window.right),
          static_cast<std::int16_t>(screen.window.bottom + window.bottom)};
}

}  // namespace

ScreenModel makeScreen(Coord size, std::int16_t windowRows) {
  ScreenModel screen;
  screen.size = size;
  screen.cells.assign(static_cast<std::size_t>(size.x) * static_cast<std::size_t>(size.y),
                      CharCell{});
  screen.window = {0, 0, static_cast<std::int16_t>(size.x - 1),
                   static_cast<std::int16_t>(std::min(windowRows, size.y) - 1)};
  return screen;
}

bool insideScreen(const ScreenModel& screen, Coord cell) {
  return cell.x >= 0 && cell.y >= 0 && cell.x < screen.size.x && cell.y < screen.size.y;
}

CharCell& cellAt(ScreenModel& screen, Coord cell) { return screen.cells[indexOf(screen, cell)]; }

const CharCell& cellAt(const ScreenModel& screen, Coord cell) {
  return screen.cells[indexOf(screen, cell)];
}

ScreenBufferInfo screenInfo(const ScreenModel& screen) {
  ScreenBufferInfo info;
  info.size = screen.size;
  info.cursorPosition = screen.cursor;
  info.attributes = screen.attributes;
  info.window = screen.window;
  info.maximumWindowSize = screen.size;
  return info;
}

bool writeCells(ScreenModel& screen, const CharCell* cells, Coord size, Coord origin,
                SmallRect& target) {
  if (origin.x < 0 || origin.y < 0 || origin.x >= size.x || origin.y >= size.y) return false;
  SmallRect area = clipped(screen, target);
  // The block read from the cells is no larger than what remains of them.
  area.right = std::min<std::int16_t>(
      area.right, static_cast<std::int16_t>(target.left + size.x - origin.x - 1));
  area.bottom = std::min<std::int16_t>(
      area.bottom, static_cast<std::int16_t>(target.top + size.y - origin.y - 1));
  if (isEmpty(area)) return false;
  for (int y = area.top; y <= area.bottom; ++y) {
    for (int x = area.left; x <= area.right; ++x) {
      const int sourceX = origin.x + x - target.left;
      const int sourceY = origin.y + y - target.top;
      screen.cells[indexOf(screen, x, y)] =
          cells[static_cast<std::size_t>(sourceY) * static_cast<std::size_t>(size.x) +
                static_cast<std::size_t>(sourceX)];
    }
  }
  target = area;
  return true;
}

bool scrollCells(ScreenModel& screen, const SmallRect& source, Coord destination, CharCell fill) {
  const SmallRect from = clipped(screen, source);
  if (isEmpty(from)) return false;
  // Where the clipped source lands, before clipping to the buffer.
  const int shiftX = destination.x - source.left;
  const int shiftY = destination.y - source.top;
  const SmallRect landing = {static_cast<std::int16_t>(from.left + shiftX),
                             static_cast<std::int16_t>(from.top + shiftY),
                             static_cast<std::int16_t>(from.right + shiftX),
                             static_cast<std::int16_t>(from.bottom + shiftY)};
  if (shiftX == 0 && shiftY == 0) return true;
  // The cells move in place, each row read before it is written over: the
  // rows from the top when they move up, from the bottom when they move down.
  const SmallRect to = clipped(screen, landing);
  CharCell* const cells = screen.cells.data();
  const int rows = isEmpty(to) ? 0 : to.bottom - to.top + 1;
  for (int i = 0; i < rows; ++i) {
    const int y = shiftY > 0 ? to.bottom - i : to.top + i;
    const CharCell* const first = cells + indexOf(screen, to.left - shiftX, y - shiftY);
    const CharCell* const last = first + (to.right - to.left + 1);
    CharCell* const target = cells + indexOf(screen, to.left, y);
    if (shiftX > 0) {
      std::copy_backward(first, last, target + (last - first));
    } else {
      std::copy(first, last, target);
    }
  }
  for (int y = from.top; y <= from.bottom; ++y) {
    for (int x = from.left; x <= from.right; ++x) {
      if (!contains(landing, x, y)) cells[indexOf(screen, x, y)] = fill;
    }
  }
  return true;
}

bool fillAttributes(ScreenModel& screen, std::uint16_t attributes, std::uint32_t count, Coord from,
                    std::uint32_t& filled) {
  return fillCells(screen, count, from, filled,
                   [attributes](CharCell& cell) { cell.attributes = attributes; });
}

bool fillCharacters(ScreenModel& screen, std::uint8_t byte, std::uint32_t count, Coord from,
                    std::uint32_t& filled) {
  return fillCells(screen, count, from, filled, [byte](CharCell& cell) { cell.byte = byte; });
}

bool placeCursor(ScreenModel& screen, Coord position) {
  if (!insideScreen(screen, position)) return false;
  screen.cursor = position;
  SmallRect& window = screen.window;
  const auto follow = [](std::int16_t at, std::int16_t& low, std::int16_t& high) {
    if (at < low) {
      high = static_cast<std::int16_t>(high - (low - at));
      low = at;
    } else if (at > high) {
      low = static_cast<std::int16_t>(low + (at - high));
      high = at;
    }
  };
  follow(position.x, window.left, window.right);
  follow(position.y, window.top, window.bottom);
  return true;
}

bool placeWindow(ScreenModel& screen, bool absolute, const SmallRect& window) {
  const SmallRect wanted = wantedWindow(screen, absolute, window);
  if (isEmpty(wanted) || wanted.left < 0 || wanted.top < 0 || wanted.right >= screen.size.x ||
      wanted.bottom >= screen.size.y) {
    return false;
  }
  screen.window = wanted;
  return true;
}

void reshapeScreen(ScreenModel& screen, Coord size, Coord cursor, int windowRows) {
  cursor = coord(std::min<int>(cursor.x, size.x - 1), std::min<int>(cursor.y, size.y - 1));
  const int shift = cursor.y - screen.cursor.y;
  ScreenModel next = makeScreen(size, size.y);
  std::fill(next.cells.begin(), next.cells.end(), CharCell{' ', screen.attributes});
  const int width = std::min(size.x, screen.size.x);
  for (int y = std::max(shift, 0); y < std::min<int>(size.y, screen.size.y + shift); ++y) {
    const auto from =
        screen.cells.begin() + static_cast<std::ptrdiff_t>(indexOf(screen, 0, y - shift));
    std::copy(from, from + width,
              next.cells.begin() + static_cast<std::ptrdiff_t>(indexOf(next, 0, y)));
  }
  const int rows = std::clamp(windowRows, 1, static_cast<int>(size.y));
  const int top = std::clamp(screen.window.top + shift, 0, size.y - rows);
  next.window = {0, static_cast<std::int16_t>(top), static_cast<std::int16_t>(size.x - 1),
                 static_cast<std::int16_t>(top + rows - 1)};
  next.cursor = cursor;
  next.cursorInfo = screen.cursorInfo;
  next.attributes = screen.attributes;
  screen = std::move(next);
}

bool setCursorShape(ScreenModel& screen, const CursorInfo& info) {
  if (info.size < 1 || info.size > 100) return false;
  screen.cursorInfo = info;
  return true;
}

}  // namespace quorvane::platform
