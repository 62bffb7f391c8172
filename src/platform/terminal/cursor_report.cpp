#include "platform/terminal/cursor_report.h"

#include <algorithm>

namespace quorvane::platform {

namespace {

// Reads a decimal number at position i of bytes, moving i past it; none if
// no digit stands there.
std::optional<int> numberAt(const std::string& bytes, std::size_t& i) {
  const std::size_t start = i;
  int value = 0;
  while (i < bytes.size() && bytes[i] >= '0' && bytes[i] <= '9') {
    value = std::min(value * 10 + (bytes[i] - '0'), 32767);
    ++i;
  }
  if (i == start) return std::nullopt;
  return value;
}

std::int16_t zeroBased(int oneBased) {
  return static_cast<std::int16_t>(std::max(oneBased, 1) - 1);
}

}  // namespace

std::optional<Coord> takeCursorReport(std::string& bytes) {
  for (std::size_t start = bytes.find("\x1b["); start != std::string::npos;
       start = bytes.find("\x1b[", start + 1)) {
    std::size_t i = start + 2;
    const std::optional<int> row = numberAt(bytes, i);
    if (!row || i >= bytes.size() || bytes[i] != ';') continue;
    ++i;
    const std::optional<int> column = numberAt(bytes, i);
    if (!column || i >= bytes.size() || bytes[i] != 'R') continue;
    bytes.erase(start, i + 1 - start);
    return Coord{zeroBased(*column), zeroBased(*row)};
  }
  return std::nullopt;
}

}  // namespace quorvane::platform
