#pragma once
// The way from the bytes read off the terminal to the key records handed
// out by peekConsoleInput and readConsoleInput. Pure: the caller reads the
// terminal and tells the time.
//
// An Esc, or any unfinished sequence, waits for the rest of its bytes for
// escapeTimeoutMs after the last bytes came; then it is decoded as it
// stands, so that a lone Esc becomes the Esc key.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

#include "platform/console.h"

namespace quorvane::platform {

inline constexpr std::int64_t escapeTimeoutMs = 30;
// Keys beyond this many, pending and unread, are dropped.
inline constexpr std::size_t keyCapacity = 1024;

struct KeyIntake {
  std::string pending;              // bytes not decoded yet
  std::deque<KeyEventRecord> keys;  // decoded, oldest first
  std::int64_t lastArrivalMs = 0;   // when bytes last came
  bool cursorAnswerOwed = false;    // the terminal owes the answer to a cursor request (CSI 6 n)
};

void takeBytes(KeyIntake& intake, std::string_view bytes, std::int64_t nowMs);

// Decodes every key the pending bytes hold. An unfinished sequence stays
// pending while more bytes may come (moreMayCome) and its wait is not over.
// The first cursor report while an answer is owed is that answer, given
// back; any other report counts as the key it also is, if it is one.
std::optional<Coord> decodePending(KeyIntake& intake, std::int64_t nowMs, bool moreMayCome);

// Milliseconds left before an unfinished sequence is decoded as it stands;
// -1 when none waits.
std::int64_t msUntilDecoded(const KeyIntake& intake, std::int64_t nowMs);

}  // namespace quorvane::platform
