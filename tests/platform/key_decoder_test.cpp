// The decoder from terminal bytes to console key records: every sequence
// of its table, their modified forms and prefixes, Esc alone and as Alt,
// single bytes, UTF-8 and garbage.

#include "platform/terminal/key_decoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/terminal/cp437.h"
#include "platform/terminal/us_layout.h"

namespace quorvane::platform {
namespace {

constexpr std::uint32_t ctrl = 0x0008;
constexpr std::uint32_t alt = 0x0002;
constexpr std::uint32_t shift = 0x0010;
constexpr std::uint32_t enhanced = 0x0100;

DecodedKey decode(std::string_view bytes, bool moreMayFollow = true) {
  return decodeKey(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()),
                   moreMayFollow);
}

struct Expected {
  std::string bytes;
  std::uint16_t virtualKey;
  std::uint16_t scanCode;
  std::uint8_t character;
  std::uint32_t state;
};

std::string describe(const std::string& bytes) {
  std::string text;
  for (const char c : bytes) {
    const auto value = static_cast<unsigned char>(c);
    if (value == 0x1B) {
      text += "ESC ";
    } else if (value < 0x20 || value >= 0x7F) {
      text += "\\x" + std::to_string(value) + ' ';
    } else {
      text += c;
      text += ' ';
    }
  }
  return text;
}

void expectKey(const DecodedKey& decoded, const Expected& expected, std::size_t consumed) {
  SCOPED_TRACE(describe(expected.bytes));
  ASSERT_EQ(decoded.status, DecodeStatus::key);
  EXPECT_EQ(decoded.consumed, consumed);
  EXPECT_TRUE(decoded.key.keyDown);
  EXPECT_EQ(decoded.key.repeatCount, 1);
  EXPECT_EQ(decoded.key.virtualKeyCode, expected.virtualKey);
  EXPECT_EQ(decoded.key.virtualScanCode, expected.scanCode);
  EXPECT_EQ(decoded.key.asciiChar, expected.character);
  EXPECT_EQ(decoded.key.controlKeyState, expected.state);
}

// The keys as the Windows console reports them, written out here apart
// from the decoder's table.
const std::vector<Expected>& sequenceKeys() {
  static const std::vector<Expected> keys = {
      {"\x1b[A", 0x26, 0x48, 0, enhanced},  {"\x1b[B", 0x28, 0x50, 0, enhanced},
      {"\x1b[C", 0x27, 0x4D, 0, enhanced},  {"\x1b[D", 0x25, 0x4B, 0, enhanced},
      {"\x1bOA", 0x26, 0x48, 0, enhanced},  {"\x1bOB", 0x28, 0x50, 0, enhanced},
      {"\x1bOC", 0x27, 0x4D, 0, enhanced},  {"\x1bOD", 0x25, 0x4B, 0, enhanced},
      {"\x1b[H", 0x24, 0x47, 0, enhanced},  {"\x1bOH", 0x24, 0x47, 0, enhanced},
      {"\x1b[1~", 0x24, 0x47, 0, enhanced}, {"\x1b[7~", 0x24, 0x47, 0, enhanced},
      {"\x1b[F", 0x23, 0x4F, 0, enhanced},  {"\x1bOF", 0x23, 0x4F, 0, enhanced},
      {"\x1b[4~", 0x23, 0x4F, 0, enhanced}, {"\x1b[8~", 0x23, 0x4F, 0, enhanced},
      {"\x1b[2~", 0x2D, 0x52, 0, enhanced}, {"\x1b[3~", 0x2E, 0x53, 0, enhanced},
      {"\x1b[5~", 0x21, 0x49, 0, enhanced}, {"\x1b[6~", 0x22, 0x51, 0, enhanced},
      {"\x1bOP", 0x70, 0x3B, 0, 0},         {"\x1bOQ", 0x71, 0x3C, 0, 0},
      {"\x1bOR", 0x72, 0x3D, 0, 0},         {"\x1bOS", 0x73, 0x3E, 0, 0},
      {"\x1b[11~", 0x70, 0x3B, 0, 0},       {"\x1b[12~", 0x71, 0x3C, 0, 0},
      {"\x1b[13~", 0x72, 0x3D, 0, 0},       {"\x1b[14~", 0x73, 0x3E, 0, 0},
      {"\x1b[15~", 0x74, 0x3F, 0, 0},       {"\x1b[17~", 0x75, 0x40, 0, 0},
      {"\x1b[18~", 0x76, 0x41, 0, 0},       {"\x1b[19~", 0x77, 0x42, 0, 0},
      {"\x1b[20~", 0x78, 0x43, 0, 0},       {"\x1b[21~", 0x79, 0x44, 0, 0},
      {"\x1b[23~", 0x7A, 0x57, 0, 0},       {"\x1b[24~", 0x7B, 0x58, 0, 0},
      {"\x1b[[A", 0x70, 0x3B, 0, 0},        {"\x1b[[B", 0x71, 0x3C, 0, 0},
      {"\x1b[[C", 0x72, 0x3D, 0, 0},        {"\x1b[[D", 0x73, 0x3E, 0, 0},
      {"\x1b[[E", 0x74, 0x3F, 0, 0},        {"\x1b[Z", 0x09, 0x0F, 9, shift},
  };
  return keys;
}

TEST(KeyDecoderTest, EverySequenceGivesItsKey) {
  for (const Expected& key : sequenceKeys()) expectKey(decode(key.bytes), key, key.bytes.size());
}

TEST(KeyDecoderTest, EveryRowOfTheTableIsExpectedHere) {
  for (const KeySequence& row : keySequences()) {
    const auto& keys = sequenceKeys();
    const bool listed = std::any_of(keys.begin(), keys.end(),
                                    [&row](const Expected& key) { return key.bytes == row.bytes; });
    EXPECT_TRUE(listed) << describe(std::string(row.bytes));
  }
  EXPECT_EQ(keySequences().size(), sequenceKeys().size());
}

TEST(KeyDecoderTest, ASequenceTakesOnlyItsOwnBytes) {
  for (const Expected& key : sequenceKeys())
    expectKey(decode(key.bytes + "x"), key, key.bytes.size());
}

TEST(KeyDecoderTest, EveryProperPrefixNeedsMore) {
  for (const Expected& key : sequenceKeys()) {
    for (std::size_t length = 1; length < key.bytes.size(); ++length) {
      const DecodedKey decoded = decode(key.bytes.substr(0, length));
      EXPECT_EQ(decoded.status, DecodeStatus::needMore) << describe(key.bytes.substr(0, length));
      EXPECT_EQ(decoded.consumed, 0u);
    }
  }
}

// xterm's modifier parameter m = 1 + Shift + 2 Alt + 4 Ctrl.
struct Modifier {
  int parameter;
  std::uint32_t state;
};
constexpr Modifier modifiers[] = {
    {2, shift},        {3, alt},        {4, alt | shift},       {5, ctrl},
    {6, ctrl | shift}, {7, ctrl | alt}, {8, ctrl | alt | shift}};

// The modified form of an unmodified sequence: Esc [ n ; m ~ for the
// numbered ones, Esc [ 1 ; m X for the lettered ones; none for the Linux
// console's.
std::string modifiedForm(const std::string& bytes, int parameter) {
  const std::string m = std::to_string(parameter);
  if (bytes.back() == '~') return bytes.substr(0, bytes.size() - 1) + ";" + m + "~";
  if (bytes.size() == 3) return "\x1b[1;" + m + bytes.back();
  return {};
}

TEST(KeyDecoderTest, ModifiedFormsAddShiftAltAndCtrl) {
  for (const Expected& key : sequenceKeys()) {
    for (const Modifier& modifier : modifiers) {
      const std::string bytes = modifiedForm(key.bytes, modifier.parameter);
      if (bytes.empty()) continue;
      Expected modified = key;
      modified.bytes = bytes;
      modified.state |= modifier.state;
      expectKey(decode(bytes), modified, bytes.size());
      for (std::size_t length = 1; length < bytes.size(); ++length) {
        EXPECT_EQ(decode(bytes.substr(0, length)).status, DecodeStatus::needMore)
            << describe(bytes.substr(0, length));
      }
    }
  }
}

TEST(KeyDecoderTest, OlderFormsOfModifiedFunctionKeys) {
  expectKey(decode("\x1bO2P"), {"\x1bO2P", 0x70, 0x3B, 0, shift}, 4);
  expectKey(decode("\x1bO1;5Q"), {"\x1bO1;5Q", 0x71, 0x3C, 0, ctrl}, 6);
  expectKey(decode("\x1b[;5A"), {"\x1b[;5A", 0x26, 0x48, 0, enhanced | ctrl}, 5);
}

const std::string esc = "\x1b";
const Expected escKey{esc, 0x1B, 0x01, 27, 0};

TEST(KeyDecoderTest, LoneEscWaitsThenIsTheEscKey) {
  EXPECT_EQ(decode("\x1b").status, DecodeStatus::needMore);
  expectKey(decode("\x1b", false), escKey, 1);
}

TEST(KeyDecoderTest, EscBeforeAKeyIsAlt) {
  const std::vector<Expected> keys = {
      {esc + "a", 'A', 0x1E, 'a', alt},         {esc + "X", 'X', 0x2D, 'X', alt | shift},
      {esc + "5", '5', 0x06, '5', alt},         {esc + "\x7f", 0x08, 0x0E, 8, alt},
      {esc + "\x01", 'A', 0x1E, 1, alt | ctrl}, {esc + "\x1b[A", 0x26, 0x48, 0, enhanced | alt},
      {esc + "\xc3\xa9", 0, 0, 0x82, alt},
  };
  for (const Expected& key : keys) expectKey(decode(key.bytes), key, key.bytes.size());
}

TEST(KeyDecoderTest, EscBeforeAnUnfinishedKeyNeedsMore) {
  EXPECT_EQ(decode("\x1b\x1b").status, DecodeStatus::needMore);
  EXPECT_EQ(decode("\x1b\x1b[").status, DecodeStatus::needMore);
  EXPECT_EQ(decode("\x1b\xc3").status, DecodeStatus::needMore);
}

TEST(KeyDecoderTest, WhenNothingMoreComesAnUnfinishedPrefixIsDecodedAsItStands) {
  expectKey(decode("\x1b[", false), {"\x1b[", 0xDB, 0x1A, '[', alt}, 2);
  expectKey(decode("\x1bO", false), {"\x1bO", 'O', 0x18, 'O', alt | shift}, 2);
  expectKey(decode("\x1b\x1b", false), {"\x1b\x1b", 0x1B, 0x01, 27, alt}, 2);
  const DecodedKey broken = decode("\x1b[1;", false);
  EXPECT_EQ(broken.status, DecodeStatus::ignored);
  EXPECT_EQ(broken.consumed, 4u);
}

TEST(KeyDecoderTest, EscInsideAnAltPrefixStandsAlone) {
  expectKey(decode("\x1b\x1bx"), {"\x1b\x1bx", 0x1B, 0x01, 27, alt}, 2);
}

TEST(KeyDecoderTest, ControlBytes) {
  const std::vector<Expected> keys = {
      {"\t", 0x09, 0x0F, 9, 0},         {"\r", 0x0D, 0x1C, 13, 0},
      {"\n", 0x0D, 0x1C, 13, 0},        {"\x7f", 0x08, 0x0E, 8, 0},
      {"\x08", 0x08, 0x0E, 8, 0},       {"\x01", 'A', 0x1E, 1, ctrl},
      {"\x03", 'C', 0x2E, 3, ctrl},     {"\x11", 'Q', 0x10, 0x11, ctrl},
      {"\x1a", 'Z', 0x2C, 0x1A, ctrl},  {std::string(1, '\0'), '2', 0x03, 0, ctrl},
      {"\x1c", 0xDC, 0x2B, 0x1C, ctrl}, {"\x1d", 0xDD, 0x1B, 0x1D, ctrl},
  };
  for (const Expected& key : keys) expectKey(decode(key.bytes), key, 1);
}

TEST(KeyDecoderTest, EveryCtrlLetterButTabEnterAndBackspace) {
  for (std::uint8_t byte = 1; byte <= 26; ++byte) {
    if (byte == 8 || byte == 9 || byte == 10 || byte == 13) continue;
    const std::string bytes(1, static_cast<char>(byte));
    const DecodedKey decoded = decode(bytes);
    ASSERT_EQ(decoded.status, DecodeStatus::key) << int{byte};
    EXPECT_EQ(decoded.key.virtualKeyCode, 'A' + byte - 1);
    EXPECT_EQ(decoded.key.asciiChar, byte);
    EXPECT_EQ(decoded.key.controlKeyState, ctrl);
    EXPECT_NE(decoded.key.virtualScanCode, 0);
  }
}

TEST(KeyDecoderTest, PrintableCharacters) {
  const std::vector<Expected> keys = {
      {"q", 'Q', 0x10, 'q', 0},     {"Q", 'Q', 0x10, 'Q', shift},  {"a", 'A', 0x1E, 'a', 0},
      {"m", 'M', 0x32, 'm', 0},     {"1", '1', 0x02, '1', 0},      {"0", '0', 0x0B, '0', 0},
      {"!", '1', 0x02, '!', shift}, {")", '0', 0x0B, ')', shift},  {" ", 0x20, 0x39, ' ', 0},
      {"-", 0xBD, 0x0C, '-', 0},    {"?", 0xBF, 0x35, '?', shift}, {"~", 0xC0, 0x29, '~', shift},
  };
  for (const Expected& key : keys) expectKey(decode(key.bytes), key, 1);
}

// Each printable character comes from a key whose unshifted character, as
// MapVirtualKey gives it, is the character itself (upper case for letters)
// when typed without Shift, and another one with Shift.
TEST(KeyDecoderTest, PrintableCharactersAgreeWithTheLayout) {
  for (int c = 0x20; c < 0x7F; ++c) {
    const DecodedKey decoded = decode(std::string(1, static_cast<char>(c)));
    ASSERT_EQ(decoded.status, DecodeStatus::key) << c;
    EXPECT_EQ(decoded.key.asciiChar, c);
    const std::uint32_t plain = unshiftedCharacter(decoded.key.virtualKeyCode);
    if ((decoded.key.controlKeyState & shift) == 0) {
      EXPECT_EQ(plain, static_cast<std::uint32_t>(c >= 'a' && c <= 'z' ? c - 32 : c)) << c;
    } else if (c >= 'A' && c <= 'Z') {
      EXPECT_EQ(plain, static_cast<std::uint32_t>(c)) << c;  // letters map to upper case
    } else {
      EXPECT_NE(plain, 0u) << c;
      EXPECT_NE(plain, static_cast<std::uint32_t>(c)) << c;
    }
  }
}

TEST(KeyDecoderTest, Utf8CharactersBecomeTheirCodePageByte) {
  expectKey(decode("\xc3\xa9"), {"\xc3\xa9", 0, 0, 0x82, 0}, 2);          // e acute
  expectKey(decode("\xc3\x9c"), {"\xc3\x9c", 0, 0, 0x9A, 0}, 2);          // U umlaut
  expectKey(decode("\xe2\x96\x91"), {"\xe2\x96\x91", 0, 0, 0xB0, 0}, 3);  // light shade
  expectKey(decode("\xc2\xa0"), {"\xc2\xa0", 0, 0, 0xFF, 0}, 2);          // no-break space
}

TEST(KeyDecoderTest, EveryUpperGlyphTypedComesBackAsItsByte) {
  for (unsigned byte = 0x80; byte < 0x100; ++byte) {
    std::string bytes;
    appendGlyph(static_cast<std::uint8_t>(byte), bytes);
    const DecodedKey decoded = decode(bytes);
    ASSERT_EQ(decoded.status, DecodeStatus::key) << byte;
    EXPECT_EQ(decoded.consumed, bytes.size());
    EXPECT_EQ(decoded.key.asciiChar, byte);
  }
}

TEST(KeyDecoderTest, UnfinishedUtf8NeedsMoreThenIsDropped) {
  EXPECT_EQ(decode("\xe2").status, DecodeStatus::needMore);
  EXPECT_EQ(decode("\xe2\x96").status, DecodeStatus::needMore);
  const DecodedKey dropped = decode("\xe2\x96", false);
  EXPECT_EQ(dropped.status, DecodeStatus::ignored);
  EXPECT_EQ(dropped.consumed, 2u);
}

struct Garbage {
  std::string bytes;
  std::size_t consumed;
};

class KeyDecoderGarbageTest : public ::testing::TestWithParam<Garbage> {};

TEST_P(KeyDecoderGarbageTest, IsIgnoredWhole) {
  const Garbage& garbage = GetParam();
  const DecodedKey decoded = decode(garbage.bytes);
  EXPECT_EQ(decoded.status, DecodeStatus::ignored) << describe(garbage.bytes);
  EXPECT_EQ(decoded.consumed, garbage.consumed) << describe(garbage.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Samples, KeyDecoderGarbageTest,
    ::testing::Values(Garbage{"\x1b[200~", 6},    // bracketed paste start
                      Garbage{"\x1b[?1;2c", 7},   // device attributes answer
                      Garbage{"\x1b[1;2;3A", 8},  // three parameters
                      Garbage{"\x1b[5A", 4},      // a parameter that is no modifier
                      Garbage{"\x1b[3;99~", 7},   // modifier out of range
                      Garbage{"\x1b[9~", 4},      // unknown number
                      Garbage{"\x1b[1 q", 5},     // intermediate byte
                      Garbage{"\x1bOx", 3},       // unknown final byte
                      Garbage{"\x1b[[Z", 4},      // unknown Linux console key
                      Garbage{"\x1b[[\x01", 3},   // broken Linux console key
                      Garbage{"\x1b[1\x01", 3},   // control byte inside
                      Garbage{std::string("\x1b[") + std::string(40, '1'), 42},  // too long
                      Garbage{"\x80", 1},                // stray continuation byte
                      Garbage{"\xff", 1},                // never in UTF-8
                      Garbage{"\xc0\x80", 1},            // overlong lead byte
                      Garbage{"\xe0\x80\x80", 3},        // overlong
                      Garbage{"\xed\xa0\x80", 3},        // surrogate
                      Garbage{"\xc3\x41", 1},            // continuation missing
                      Garbage{"\xe2\x82\xac", 3},        // euro sign: not in the code page
                      Garbage{"\xe2\x98\xba", 3},        // glyph of a control byte
                      Garbage{"\xf0\x9f\x98\x80", 4}));  // emoji

TEST(KeyDecoderTest, AfterGarbageTheNextKeyIsIntact) {
  const std::string bytes = "\x1b[1\x01";
  const DecodedKey garbage = decode(bytes);
  ASSERT_EQ(garbage.status, DecodeStatus::ignored);
  expectKey(decode(bytes.substr(garbage.consumed)), {"\x01", 'A', 0x1E, 1, ctrl}, 1);
}

TEST(KeyDecoderTest, NothingNeedsMore) { EXPECT_EQ(decode("").status, DecodeStatus::needMore); }

TEST(UsLayoutTest, UnshiftedCharacters) {
  const auto plain = [](std::uint32_t virtualKey) {
    return static_cast<char>(unshiftedCharacter(virtualKey));
  };
  EXPECT_EQ(plain('A'), 'A');
  EXPECT_EQ(plain('Z'), 'Z');
  EXPECT_EQ(plain('7'), '7');
  EXPECT_EQ(plain(0x09), '\t');
  EXPECT_EQ(plain(0x0D), '\r');
  EXPECT_EQ(plain(0x08), '\b');
  EXPECT_EQ(plain(0x1B), '\x1b');
  EXPECT_EQ(plain(0x20), ' ');
  EXPECT_EQ(plain(0xBD), '-');
  EXPECT_EQ(plain(0xBF), '/');
  EXPECT_EQ(plain(0xDE), '\'');
  EXPECT_EQ(plain(0x65), '5');              // keypad 5
  EXPECT_EQ(plain(0x6B), '+');              // keypad +
  EXPECT_EQ(unshiftedCharacter(0x26), 0u);  // Up
  EXPECT_EQ(unshiftedCharacter(0x70), 0u);  // F1
  EXPECT_EQ(unshiftedCharacter(0x10), 0u);  // Shift
}

}  // namespace
}  // namespace quorvane::platform
