// From a terminal's bytes to the console layer's codes: the decoder, the US
// layout it assumes, and the intake that awaits a sequence's rest.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "console/key_translation.h"
#include "platform/terminal/keys/decoder.h"
#include "platform/terminal/keys/intake.h"
#include "platform/terminal/keys/us_layout.h"

namespace quorvane::platform {
namespace {

DecodedKey decode(std::string_view bytes, bool moreMayFollow = true) {
  return decodeKey({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()},
                   moreMayFollow);
}

// The code the console layer makes of bytes that hold exactly one key.
std::optional<std::int32_t> codeOf(std::string_view bytes, bool moreMayFollow = true) {
  const DecodedKey decoded = decode(bytes, moreMayFollow);
  if (decoded.status != DecodeStatus::key || decoded.consumed != bytes.size()) return std::nullopt;
  return translateKeyDown(decoded.key, unshiftedCharacter(decoded.key.virtualKeyCode));
}

using Key = std::pair<int, int>;  // an extended code's high byte, and a virtual key
constexpr Key up{0x48, 0x26}, down{0x50, 0x28}, right{0x4D, 0x27}, left{0x4B, 0x25},
    home{0x47, 0x24}, end{0x4F, 0x23}, insert{0x52, 0x2D}, del{0x53, 0x2E}, pageUp{0x49, 0x21},
    pageDown{0x51, 0x22};
constexpr Key function(int n) { return {n <= 10 ? 0x3A + n : 0x7A + n, 0x6F + n}; }

// What terminals send for keys, and the code each key has.
TEST(KeyDecoder, EachSequenceGivesItsKey) {
  // clang-format off
  const std::pair<const char*, Key> sequences[] = {
      // the cursor keys in xterm's two cursor modes, and their VT220 and rxvt forms
      {"\x1b[A", up}, {"\x1b[B", down}, {"\x1b[C", right}, {"\x1b[D", left}, {"\x1b[H", home},
      {"\x1b[F", end}, {"\x1bOA", up}, {"\x1bOB", down}, {"\x1bOC", right}, {"\x1bOD", left},
      {"\x1bOH", home}, {"\x1bOF", end}, {"\x1b[1~", home}, {"\x1b[7~", home}, {"\x1b[4~", end},
      {"\x1b[8~", end}, {"\x1b[2~", insert}, {"\x1b[3~", del}, {"\x1b[5~", pageUp}, {"\x1b[6~", pageDown},
      // the function keys in each form: xterm's, the VT220's, the Linux console's
      {"\x1bOS", function(4)}, {"\x1b[12~", function(2)}, {"\x1b[17~", function(6)},
      {"\x1b[21~", function(10)}, {"\x1b[24~", function(12)}, {"\x1b[[E", function(5)},
  };
  for (const auto& [bytes, key] : sequences) {
    EXPECT_EQ(codeOf(bytes), extendedKey(std::uint8_t(key.first))) << bytes;
    EXPECT_EQ(decode(bytes).key.virtualKeyCode, key.second) << bytes;
  }
  // modifiers, keys after Esc as Alt, control bytes (UTF-8 is typed end to end)
  const std::pair<const char*, int> others[] = {
      {"\x1b[Z", 0x0FFF}, {"\x1b[1;5A", 0x8DFF}, {"\x1b[1;6A", 0x8DFF}, {"\x1b[1;3H", 0x97FF},
      {"\x1b[1;2D", 0x4BFF}, {"\x1b[3;5~", 0x93FF}, {"\x1b[1;2P", 0x54FF}, {"\x1b[15;5~", 0x62FF},
      {"\x1b[24;3~", 0x8CFF}, {"\x1b[1;1A", 0x48FF}, {"\x1bO2P", 0x54FF}, {"\x1bO1;5Q", 0x5FFF},
      {"\x1b[;5A", 0x8DFF}, {"\033a", 0x1EFF}, {"\x1b\x1b[A", 0x98FF}, {"\x1b\xc3\xa9", 0x82},
      {"\r", 13}, {"\n", 13}, {"\t", 9}, {"\x7f", 8}, {"\b", 8}, {"\x01", 1}, {"\x1a", 0x1A}};
  // clang-format on
  for (const auto& [bytes, code] : others) EXPECT_EQ(codeOf(bytes), code) << bytes;
  // an unfinished key stands as it is once nothing more can come (a prefix of
  // a key waits for more while more may come: the keys fuzz target checks it)
  for (const auto& [bytes, code] :
       {std::pair("\x1b", 27), {"\x1b[", 0x1AFF}, {"\x1b\x1b", 0x01FF}}) {
    EXPECT_EQ(codeOf(bytes, false), code) << bytes;
  }
}

TEST(KeyDecoder, AnythingElseIsIgnoredWhole) {
  // unknown sequences (rxvt's Ctrl+Shift keys end in @), broken ones up to the key that broke
  // them (Backspace, Ctrl+A), bytes that are no UTF-8, overlong forms, surrogates, characters
  // of each length the code page lacks
  // clang-format off
  const std::pair<std::string, std::size_t> garbage[] = {
      {"\x1b[200~", 6}, {"\x1b[?1;2c", 7}, {"\x1b[1;2;3A", 8}, {"\x1b[3;99~", 7}, {"\x1b[1 q", 5},
      {"\x1bOx", 3}, {"\x1b[\x7f", 2}, {"\x1b[[\x01", 3}, {"\x1b[" + std::string(40, '1'), 42},
      {"\xff", 1}, {"\xc0\x80", 1}, {"\xed\xa0\x80", 3}, {"\xc3\x41", 1}, {"\xe2\x82\xac", 3},
      {"\x1b[23@", 5}, {"\x80", 1}, {"\xf0\x9f\x8e\xae", 4}};
  // clang-format on
  for (const auto& [bytes, consumed] : garbage) {
    EXPECT_EQ(std::pair(decode(bytes).status, decode(bytes).consumed),
              std::pair(DecodeStatus::ignored, consumed))
        << bytes;
  }
}

// An unfinished sequence waits escapeTimeoutMs for the rest, or until the input ends, holding
// back no key before it. The answer a cursor request is owed is taken, once.
TEST(KeyIntake, AnUnfinishedSequenceWaitsForTheRest) {
  KeyIntake intake;
  Coord answer;
  const auto arrive = [&](std::string_view bytes, std::int64_t now, bool moreMayCome = true) {
    takeBytes(intake, bytes, now);
    answer = decodePending(intake, now, moreMayCome).value_or(Coord{-1, -1});
    return intake.keys.size();
  };
  using Keys = std::vector<std::size_t>;
  const std::int64_t rest = 1020, lastWait = rest + escapeTimeoutMs - 1;  // from its last byte
  EXPECT_EQ((Keys{arrive("ab\x1b", 1000), arrive("[", rest), arrive("", lastWait),
                  arrive("A", lastWait)}),
            (Keys{2, 2, 2, 3}));
  EXPECT_EQ(intake.keys.back().virtualScanCode, 0x48);
  EXPECT_EQ(arrive("\x1b", 4000, false), 4u);
  intake.cursorAnswerOwed = true;
  EXPECT_EQ(arrive("a\x1b[12;40Rb\x1b[1;2R", 5000), 7u);
  EXPECT_EQ(std::tuple(answer.x, answer.y, intake.keys.back().virtualScanCode),
            std::tuple(39, 11, 0x3D))
      << "another report is Shift+F3";
}

}  // namespace
}  // namespace quorvane::platform
