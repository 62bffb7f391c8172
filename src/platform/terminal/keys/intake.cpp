#include "platform/terminal/keys/intake.h"

#include <algorithm>
#include <span>

#include "platform/terminal/keys/decoder.h"

namespace quorvane::platform {

void takeBytes(KeyIntake& intake, std::string_view bytes, std::int64_t nowMs) {
  if (bytes.empty()) return;
  intake.pending.append(bytes);
  intake.lastArrivalMs = nowMs;
}

std::optional<Coord> decodePending(KeyIntake& intake, std::int64_t nowMs, bool moreMayCome) {
  std::optional<Coord> answer;
  const bool waitOver = !moreMayCome || nowMs - intake.lastArrivalMs >= escapeTimeoutMs;
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(intake.pending.data());
  std::size_t done = 0;
  while (done < intake.pending.size()) {
    const DecodedKey decoded =
        decodeKey(std::span(bytes + done, intake.pending.size() - done), !waitOver);
    if (decoded.status == DecodeStatus::needMore) break;
    done += decoded.consumed;
    if (decoded.status == DecodeStatus::cursorReport && intake.cursorAnswerOwed) {
      intake.cursorAnswerOwed = false;
      answer = decoded.cursor;
    } else if (decoded.key.keyDown && intake.keys.size() < keyCapacity) {  // also a report's key
      intake.keys.push_back(decoded.key);
    }
  }
  intake.pending.erase(0, done);
  return answer;
}

std::int64_t msUntilDecoded(const KeyIntake& intake, std::int64_t nowMs) {
  if (intake.pending.empty()) return -1;
  return std::max<std::int64_t>(intake.lastArrivalMs + escapeTimeoutMs - nowMs, 0);
}

}  // namespace quorvane::platform
