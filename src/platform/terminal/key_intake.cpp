#include "platform/terminal/key_intake.h"

#include <algorithm>
#include <span>

#include "platform/terminal/cursor_report.h"
#include "platform/terminal/key_decoder.h"

namespace quorvane::platform {

void takeBytes(KeyIntake& intake, std::string_view bytes, std::int64_t nowMs) {
  if (bytes.empty()) return;
  intake.pending.append(bytes);
  intake.lastArrivalMs = nowMs;
}

void decodePending(KeyIntake& intake, std::int64_t nowMs, bool moreMayCome) {
  if (intake.cursorReportOutstanding && takeCursorReport(intake.pending)) {
    intake.cursorReportOutstanding = false;
  }
  const bool waitOver = !moreMayCome || nowMs - intake.lastArrivalMs >= escapeTimeoutMs;
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(intake.pending.data());
  std::size_t done = 0;
  while (done < intake.pending.size()) {
    const DecodedKey decoded =
        decodeKey(std::span(bytes + done, intake.pending.size() - done), !waitOver);
    if (decoded.status == DecodeStatus::needMore) break;
    done += decoded.consumed;
    if (decoded.status == DecodeStatus::key && intake.keys.size() < keyCapacity) {
      intake.keys.push_back(decoded.key);
    }
  }
  intake.pending.erase(0, done);
}

std::int64_t msUntilDecoded(const KeyIntake& intake, std::int64_t nowMs) {
  if (intake.pending.empty()) return -1;
  return std::max<std::int64_t>(intake.lastArrivalMs + escapeTimeoutMs - nowMs, 0);
}

}  // namespace quorvane::platform
