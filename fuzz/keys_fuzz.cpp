// Arbitrary bytes as a key record to translate, and as terminal input to decode,
// whole and in pieces: never a code outside its two forms (a character, or a
// high byte then 0xFF); the decoder always moves on, and a key's prefix waits.

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "console/key_translation.h"
#include "fuzz_check.h"
#include "platform/terminal/keys/decoder.h"
#include "platform/terminal/keys/intake.h"
#include "platform/terminal/keys/us_layout.h"

namespace {

using namespace quorvane;
using fuzzing::check;

void checkCode(const platform::KeyEventRecord& key, std::uint32_t unshifted) {
  if (const auto code = translateKeyDown(key, unshifted)) {
    check((*code >= 0 && *code <= 0xFF) ||
              ((*code & 0xFF) == 0xFF && *code >= 0x1FF && *code <= 0xFFFF),
          "a code outside its forms");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size >= 12) {  // a key record: virtual key, scan code, character, state; the layout's
    platform::KeyEventRecord key{true, 1, 0, 0, data[4], 0};
    std::memcpy(&key.virtualKeyCode, data, 2);
    std::memcpy(&key.virtualScanCode, data + 2, 2);
    std::memcpy(&key.controlKeyState, data + 5, 4);
    checkCode(key, data[9]);
  }
  for (const bool more : {false, true}) {  // the bytes as a terminal sends them
    for (std::size_t at = 0; at < size;) {
      const platform::DecodedKey decoded = platform::decodeKey({data + at, size - at}, more);
      if (decoded.status == platform::DecodeStatus::needMore) break;
      check(decoded.consumed > 0 && decoded.consumed <= size - at, "no progress");
      for (std::size_t n = 1;
           more && decoded.status == platform::DecodeStatus::key && n < decoded.consumed; ++n) {
        check(platform::decodeKey({data + at, n}, true).status == platform::DecodeStatus::needMore,
              "a key's prefix waits for the rest");
      }
      checkCode(decoded.key, platform::unshiftedCharacter(decoded.key.virtualKeyCode));
      at += decoded.consumed;
    }
  }
  platform::KeyIntake intake;  // in pieces, with time passing between them
  std::int64_t now = 0;
  for (std::size_t at = 0; at < size; at += 3, now += data[at - 3] % 40) {
    platform::takeBytes(
        intake, {reinterpret_cast<const char*>(data) + at, std::min<std::size_t>(3, size - at)},
        now);
    platform::decodePending(intake, now, true);
  }
  platform::decodePending(intake, now + 1000, false);
  check(intake.pending.empty() && intake.keys.size() <= platform::keyCapacity,
        "nothing left undecoded once nothing more comes, and no more keys than kept");
  return 0;
}
