// Keys from arbitrary input: console key event records through the pump
// and the translation, and arbitrary bytes through the terminal's decoder
// and key intake. Never a crash, never a code outside its two forms (a
// character 0..255, or a high byte 1..255 followed by 0xFF), and the
// decoder always moves on.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>

#include "console/console_output.h"
#include "console/key_translation.h"
#include "console/keyboard.h"
#include "fuzz_check.h"
#include "platform/terminal/key_decoder.h"
#include "platform/terminal/key_intake.h"
#include "platform/terminal/us_layout.h"
#include "simulated_console.h"

namespace {

using quorvane::fuzzing::check;

using namespace quorvane;

void checkCode(std::int32_t code) {
  const bool character = code >= 0 && code <= 0xFF;
  const bool extended = (code & 0xFF) == 0xFF && code >= 0x1FF && code <= 0xFFFF;
  check(character || extended, "a code outside its forms");
}

void checkKeyText(const std::string& text) {
  check(text.size() == 1 ||
            (text.size() == 2 && static_cast<unsigned char>(text[0]) == 0xFF && text[1] != 0),
        "a key text outside its forms");
}

// Records of 9 bytes each: down, repeat, virtual key, scan code, character,
// state; through the pump of the simulated console.
void pumpRecords(std::span<const std::uint8_t> data) {
  testing::resetSimulatedConsole();
  resetConsoleState();
  resetKeyboardState();
  testing::simulatedConsole().inputIsConsole = true;
  for (std::size_t at = 0; at + 9 <= data.size(); at += 9) {
    const std::uint8_t* r = data.data() + at;
    platform::InputRecord record;
    record.eventType =
        (r[0] & 0x80) != 0 ? platform::InputEventType::mouse : platform::InputEventType::key;
    record.keyEvent.keyDown = (r[0] & 1) != 0;
    record.keyEvent.repeatCount = r[1] % 3;
    record.keyEvent.virtualKeyCode = static_cast<std::uint16_t>(r[2] | ((r[0] & 2) << 7));
    record.keyEvent.virtualScanCode = r[3];
    record.keyEvent.asciiChar = r[4];
    std::uint32_t state = 0;
    std::memcpy(&state, r + 5, sizeof state);
    record.keyEvent.controlKeyState = state;
    if (record.keyEvent.keyDown) {
      if (const auto code = translateKeyDown(record.keyEvent, static_cast<std::uint32_t>(r[6]))) {
        checkCode(*code);
      }
    }
    testing::simulatedConsole().input.push_back(record);
  }
  for (std::string text = takeKey(); !text.empty(); text = takeKey()) checkKeyText(text);
}

// The bytes as a terminal would send them, decoded with and without more
// to come, and through the intake as they arrive in pieces.
void decodeBytes(std::span<const std::uint8_t> bytes) {
  for (const bool more : {false, true}) {
    std::size_t at = 0;
    while (at < bytes.size()) {
      const platform::DecodedKey decoded = platform::decodeKey(bytes.subspan(at), more);
      if (decoded.status == platform::DecodeStatus::needMore) {
        check(more, "need more with nothing more to come");
        break;
      }
      check(decoded.consumed > 0 && decoded.consumed <= bytes.size() - at, "no progress");
      if (decoded.status == platform::DecodeStatus::key) {
        const platform::KeyEventRecord& key = decoded.key;
        check(key.keyDown && key.repeatCount == 1, "a key record that is not one key-down");
        const auto code = translateKeyDown(key, platform::unshiftedCharacter(key.virtualKeyCode));
        if (code) checkCode(*code);
      }
      at += decoded.consumed;
    }
  }
  platform::KeyIntake intake;
  std::int64_t now = 0;
  for (std::size_t at = 0; at < bytes.size(); at += 3) {
    const std::size_t n = std::min<std::size_t>(3, bytes.size() - at);
    platform::takeBytes(intake,
                        std::string_view(reinterpret_cast<const char*>(bytes.data() + at), n), now);
    now += bytes[at] % 40;
    platform::settle(intake, now, true);
  }
  platform::settle(intake, now + 1000, false);
  check(intake.pending.empty(), "bytes left undecoded with nothing more to come");
  check(intake.keys.size() <= platform::keyCapacity, "more keys than the intake keeps");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::span<const std::uint8_t> rest(data + 1, size - 1);
  if ((data[0] & 1) != 0) {
    pumpRecords(rest);
  } else {
    decodeBytes(rest);
  }
  return 0;
}
