#pragma once
// The terminal's answer to "where is the cursor" (CSI 6 n): a cursor
// position report, CSI row ; column R, found among the other bytes the
// terminal sends, such as keys typed meanwhile.

#include <optional>
#include <string>

#include "platform/console.h"

namespace quorvane::platform {

inline constexpr char cursorPositionRequest[] = "\x1b[6n";

// Finds the first complete report in bytes, removes it and gives its cell,
// 0-based; the other bytes stay, in their order. None when bytes hold no
// complete report.
std::optional<Coord> takeCursorReport(std::string& bytes);

}  // namespace quorvane::platform
