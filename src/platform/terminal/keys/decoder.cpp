#include "platform/terminal/keys/decoder.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>

#include "platform/terminal/cp437.h"
#include "platform/terminal/keys/us_layout.h"
#include "platform/virtual_keys.h"

namespace quorvane::platform {

namespace {

constexpr std::uint8_t esc = 0x1B;
// Longer escape sequences are not key presses: they are dropped.
constexpr std::size_t longestSequence = 32;

// How an escape sequence begins after its Esc.
enum class Introducer : std::uint8_t {
  csi,           // Esc [
  ss3,           // Esc O
  linuxConsole,  // Esc [ [, the Linux console's function keys
};

// One escape sequence as the terminal sends it without modifiers, found by
// its introducer, its number (the n of Esc [ n ~; 0 for the letter forms)
// and its final byte; and the key it stands for.
struct KeySequence {
  Introducer introducer;
  int number;
  std::uint8_t finalByte;
  std::uint16_t virtualKey;
  std::uint16_t scanCode;
  std::uint8_t character;
  std::uint32_t controlKeyState;  // enhanced for the cursor block; Shift for Shift+Tab
};

using enum Introducer;

constexpr std::array<KeySequence, 42> sequences{{
    // Arrows: Esc [ in the normal cursor mode, Esc O in the application
    // cursor mode (tmux and full-screen programs leave it on at times).
    {csi, 0, 'A', vkUp, scanUp, 0, enhancedKey},
    {csi, 0, 'B', vkDown, scanDown, 0, enhancedKey},
    {csi, 0, 'C', vkRight, scanRight, 0, enhancedKey},
    {csi, 0, 'D', vkLeft, scanLeft, 0, enhancedKey},
    {ss3, 0, 'A', vkUp, scanUp, 0, enhancedKey},
    {ss3, 0, 'B', vkDown, scanDown, 0, enhancedKey},
    {ss3, 0, 'C', vkRight, scanRight, 0, enhancedKey},
    {ss3, 0, 'D', vkLeft, scanLeft, 0, enhancedKey},
    // Home and End: xterm's letter forms in both cursor modes, the VT220
    // forms of tmux, screen and the Linux console, and rxvt's.
    {csi, 0, 'H', vkHome, scanHome, 0, enhancedKey},
    {ss3, 0, 'H', vkHome, scanHome, 0, enhancedKey},
    {csi, 1, '~', vkHome, scanHome, 0, enhancedKey},
    {csi, 7, '~', vkHome, scanHome, 0, enhancedKey},
    {csi, 0, 'F', vkEnd, scanEnd, 0, enhancedKey},
    {ss3, 0, 'F', vkEnd, scanEnd, 0, enhancedKey},
    {csi, 4, '~', vkEnd, scanEnd, 0, enhancedKey},
    {csi, 8, '~', vkEnd, scanEnd, 0, enhancedKey},
    // The rest of the editing block.
    {csi, 2, '~', vkInsert, scanInsert, 0, enhancedKey},
    {csi, 3, '~', vkDelete, scanDelete, 0, enhancedKey},
    {csi, 5, '~', vkPrior, scanPrior, 0, enhancedKey},
    {csi, 6, '~', vkNext, scanNext, 0, enhancedKey},
    // F1 to F4: Esc O (xterm, VTE, tmux) and the VT100-era 11~ to 14~
    // (rxvt, PuTTY).
    {ss3, 0, 'P', vkF1, scanF1, 0, 0},
    {ss3, 0, 'Q', vkF1 + 1, scanF1 + 1, 0, 0},
    {ss3, 0, 'R', vkF1 + 2, scanF1 + 2, 0, 0},
    {ss3, 0, 'S', vkF1 + 3, scanF1 + 3, 0, 0},
    {csi, 11, '~', vkF1, scanF1, 0, 0},
    {csi, 12, '~', vkF1 + 1, scanF1 + 1, 0, 0},
    {csi, 13, '~', vkF1 + 2, scanF1 + 2, 0, 0},
    {csi, 14, '~', vkF1 + 3, scanF1 + 3, 0, 0},
    // F5 to F12: the VT220 numbering, which skips 16 and 22.
    {csi, 15, '~', vkF1 + 4, scanF1 + 4, 0, 0},
    {csi, 17, '~', vkF1 + 5, scanF1 + 5, 0, 0},
    {csi, 18, '~', vkF1 + 6, scanF1 + 6, 0, 0},
    {csi, 19, '~', vkF1 + 7, scanF1 + 7, 0, 0},
    {csi, 20, '~', vkF1 + 8, scanF1 + 8, 0, 0},
    {csi, 21, '~', vkF1 + 9, scanF1 + 9, 0, 0},
    {csi, 23, '~', vkF1 + 10, scanF11, 0, 0},
    {csi, 24, '~', vkF1 + 11, scanF12, 0, 0},
    // F1 to F5 of the Linux console.
    {linuxConsole, 0, 'A', vkF1, scanF1, 0, 0},
    {linuxConsole, 0, 'B', vkF1 + 1, scanF1 + 1, 0, 0},
    {linuxConsole, 0, 'C', vkF1 + 2, scanF1 + 2, 0, 0},
    {linuxConsole, 0, 'D', vkF1 + 3, scanF1 + 3, 0, 0},
    {linuxConsole, 0, 'E', vkF1 + 4, scanF1 + 4, 0, 0},
    // Shift+Tab, the back tab.
    {csi, 0, 'Z', vkTab, scanTab, '\t', shiftPressed},
}};

KeyEventRecord makeKey(std::uint16_t virtualKey, std::uint16_t scanCode, std::uint8_t character,
                       std::uint32_t state) {
  KeyEventRecord key;
  key.keyDown = true;
  key.repeatCount = 1;
  key.virtualKeyCode = virtualKey;
  key.virtualScanCode = scanCode;
  key.asciiChar = character;
  key.controlKeyState = state;
  return key;
}

DecodedKey found(const KeyEventRecord& key, std::size_t consumed) {
  return {DecodeStatus::key, consumed, key, {}};
}
DecodedKey ignored(std::size_t consumed) { return {DecodeStatus::ignored, consumed, {}, {}}; }
DecodedKey needMore() { return {}; }

// The character whose key, pressed with Ctrl, sends a control byte: a
// letter for 0x01 to 0x1A; \ ] ^ _ for 0x1C to 0x1F, which are their
// codes less 0x40; and 2 for 0x00 (Ctrl+Space or Ctrl+@), as the console
// has it.
std::uint8_t ctrlCharacter(std::uint8_t byte) {
  if (byte == 0x00) return '2';
  return static_cast<std::uint8_t>(byte <= 0x1A ? 'a' + byte - 1 : byte + 0x40);
}

// The key behind one byte below 0x80 that starts no sequence.
KeyEventRecord singleByteKey(std::uint8_t byte) {
  switch (byte) {
    case '\b':
    case 0x7F:
      return makeKey(vkBack, scanBack, '\b', 0);
    case '\t':
      return makeKey(vkTab, scanTab, '\t', 0);
    case '\n':
    case '\r':
      return makeKey(vkReturn, scanReturn, '\r', 0);
    case esc:
      return makeKey(vkEscape, scanEscape, esc, 0);
    default:
      break;
  }
  const bool control = byte < 0x20;
  const LayoutKey key = layoutKeyFor(control ? ctrlCharacter(byte) : byte);
  return makeKey(key.virtualKey, key.scanCode, byte,
                 (control ? leftCtrlPressed : 0) | (key.shifted ? shiftPressed : 0));
}

const KeySequence* findSequence(Introducer introducer, int number, std::uint8_t finalByte) {
  for (const KeySequence& row : sequences) {
    if (row.introducer == introducer && row.number == number && row.finalByte == finalByte) {
      return &row;
    }
  }
  return nullptr;
}

// The shape of an escape sequence: Esc, its introducer, parameter bytes
// (0x30-0x3F), intermediate bytes (0x20-0x2F) and one final byte
// (0x40-0x7E). The Linux console's Esc [ [ has a final byte only.
struct SequenceShape {
  enum : std::uint8_t { complete, unfinished, broken } kind = unfinished;
  std::size_t length = 0;  // bytes taken, up to the offending one when broken
  Introducer introducer = csi;
  std::string_view parameters;
  bool intermediates = false;
  std::uint8_t finalByte = 0;
};

bool isFinalByte(std::uint8_t byte) { return byte >= 0x40 && byte <= 0x7E; }

// The shape of bytes that begin with Esc and '[' or 'O'.
SequenceShape shapeOf(std::span<const std::uint8_t> bytes) {
  SequenceShape shape;
  std::size_t i = 2;
  if (bytes[1] == 'O') {
    shape.introducer = ss3;
  } else if (bytes.size() > 2 && bytes[2] == '[') {
    shape.introducer = linuxConsole;
    i = 3;
  }
  const bool finalOnly = shape.introducer == linuxConsole;
  const std::size_t parametersStart = i;
  while (!finalOnly && i < bytes.size() && bytes[i] >= 0x30 && bytes[i] <= 0x3F) ++i;
  shape.parameters = std::string_view(reinterpret_cast<const char*>(bytes.data()) + parametersStart,
                                      i - parametersStart);
  const std::size_t intermediatesStart = i;
  while (!finalOnly && i < bytes.size() && bytes[i] >= 0x20 && bytes[i] <= 0x2F) ++i;
  shape.intermediates = i > intermediatesStart;
  shape.length = i;
  if (i >= longestSequence) {
    shape.kind = SequenceShape::broken;
  } else if (i < bytes.size()) {
    shape.kind = isFinalByte(bytes[i]) ? SequenceShape::complete : SequenceShape::broken;
    if (shape.kind == SequenceShape::complete) {
      shape.finalByte = bytes[i];
      shape.length = i + 1;
    }
  }
  return shape;
}

// Up to two parameters, each absent or a decimal number.
struct Parameters {
  int count = 0;
  int values[2] = {-1, -1};  // -1: absent
};

std::optional<Parameters> parametersOf(std::string_view text) {
  Parameters result;
  if (text.empty()) return result;
  result.count = 1;
  for (const char c : text) {
    if (c == ';') {
      if (result.count == 2) return std::nullopt;
      ++result.count;
    } else if (c >= '0' && c <= '9') {
      int& value = result.values[result.count - 1];
      value = value < 0 ? c - '0' : std::min(value * 10 + (c - '0'), 9999);
    } else {
      return std::nullopt;
    }
  }
  return result;
}

// Shift, Alt and Ctrl from xterm's modifier parameter: 1 + the sum of
// Shift 1, Alt 2, Ctrl 4 (and Meta 8, which has no console key).
std::optional<std::uint32_t> modifierState(int parameter) {
  if (parameter < 0) return 0;
  if (parameter < 1 || parameter > 16) return std::nullopt;
  const int bits = parameter - 1;
  return ((bits & 1) != 0 ? shiftPressed : 0) | ((bits & 2) != 0 ? leftAltPressed : 0) |
         ((bits & 4) != 0 ? leftCtrlPressed : 0);
}

// The key of a table row with modifiers added; none without either.
std::optional<KeyEventRecord> keyOfRow(const KeySequence* row,
                                       std::optional<std::uint32_t> modifiers) {
  if (row == nullptr || !modifiers) return std::nullopt;
  return makeKey(row->virtualKey, row->scanCode, row->character, row->controlKeyState | *modifiers);
}

// The key of a complete sequence: the table's row for its unmodified form,
// with the modifiers of its parameter.
std::optional<KeyEventRecord> keyOfSequence(const SequenceShape& shape) {
  if (shape.intermediates) return std::nullopt;
  const Introducer introducer = shape.introducer;
  const std::uint8_t finalByte = shape.finalByte;
  if (introducer == linuxConsole) return keyOfRow(findSequence(linuxConsole, 0, finalByte), 0);
  const std::optional<Parameters> parameters = parametersOf(shape.parameters);
  if (!parameters) return std::nullopt;
  const int first = parameters->values[0];
  const int second = parameters->values[1];
  std::optional<std::uint32_t> modifiers;
  const KeySequence* row = nullptr;
  if (finalByte == '~') {
    // Esc [ n ~ and Esc [ n ; m ~.
    if (introducer != csi || first < 0) return std::nullopt;
    modifiers = modifierState(second);
    row = findSequence(csi, first, finalByte);
  } else if (parameters->count == 0) {
    modifiers = 0;
    row = findSequence(introducer, 0, finalByte);
  } else {
    // Esc [ 1 ; m X, and Esc O m X of older xterms; either introducer
    // finds the key, so that F1 to F4 (Esc O P) have their Esc [ 1 ; m P.
    if (parameters->count == 2 && first > 1) return std::nullopt;
    if (parameters->count == 1 && introducer == csi) return std::nullopt;
    modifiers = modifierState(parameters->count == 2 ? second : first);
    row = findSequence(introducer, 0, finalByte);
    if (row == nullptr) row = findSequence(introducer == csi ? ss3 : csi, 0, finalByte);
  }
  return keyOfRow(row, modifiers);
}

// The cell of a cursor position report, Esc [ row ; column R (1-based).
std::optional<Coord> reportedCursor(const SequenceShape& shape) {
  if (shape.introducer != csi || shape.finalByte != 'R' || shape.intermediates) return std::nullopt;
  const std::optional<Parameters> parameters = parametersOf(shape.parameters);
  if (!parameters || parameters->count != 2 || parameters->values[0] < 0 ||
      parameters->values[1] < 0) {
    return std::nullopt;
  }
  return coord(std::max(parameters->values[1], 1) - 1, std::max(parameters->values[0], 1) - 1);
}

// A UTF-8 character, as its byte in code page 437 with no key of its own.
DecodedKey decodeUtf8(std::span<const std::uint8_t> bytes, bool moreMayFollow) {
  const std::uint8_t lead = bytes[0];
  std::size_t length = 0;
  char32_t codePoint = 0;
  char32_t smallest = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    codePoint = lead & 0x1Fu;
    smallest = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    codePoint = lead & 0x0Fu;
    smallest = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    codePoint = lead & 0x07u;
    smallest = 0x10000;
  } else {
    return ignored(1);
  }
  for (std::size_t i = 1; i < length; ++i) {
    if (i == bytes.size()) return moreMayFollow ? needMore() : ignored(i);
    if ((bytes[i] & 0xC0) != 0x80) return ignored(i);
    codePoint = (codePoint << 6) | (bytes[i] & 0x3Fu);
  }
  // An overlong form is no character. Surrogates and code points beyond
  // U+10FFFF have no glyph in the code page, like most others.
  const std::optional<std::uint8_t> byte =
      codePoint < smallest ? std::nullopt : cp437FromCodePoint(codePoint);
  if (!byte) return ignored(length);
  return found(makeKey(0, 0, *byte, 0), length);
}

DecodedKey decodeFrom(std::span<const std::uint8_t> bytes, bool moreMayFollow, bool altPrefix);

// Esc: alone, as the start of a sequence, or as Alt before a key. An Esc
// inside an Alt prefix starts a sequence or stands alone.
DecodedKey decodeEscape(std::span<const std::uint8_t> bytes, bool moreMayFollow, bool altPrefix) {
  if (bytes.size() == 1) return moreMayFollow ? needMore() : found(singleByteKey(esc), 1);
  const std::uint8_t introducer = bytes[1];
  if (introducer == '[' || introducer == 'O') {
    const SequenceShape shape = shapeOf(bytes);
    switch (shape.kind) {
      case SequenceShape::unfinished:
        if (moreMayFollow) return needMore();
        if (bytes.size() > 2) return ignored(bytes.size());
        {
          KeyEventRecord key = singleByteKey(introducer);
          key.controlKeyState |= leftAltPressed;
          return found(key, 2);
        }
      case SequenceShape::broken:
        return ignored(shape.length);
      case SequenceShape::complete:
        break;
    }
    const std::optional<KeyEventRecord> key = keyOfSequence(shape);
    if (const std::optional<Coord> cursor = reportedCursor(shape)) {
      return {DecodeStatus::cursorReport, shape.length, key.value_or(KeyEventRecord{}), *cursor};
    }
    return key ? found(*key, shape.length) : ignored(shape.length);
  }
  if (!altPrefix) return found(singleByteKey(esc), 1);
  DecodedKey inner = decodeFrom(bytes.subspan(1), moreMayFollow, false);
  if (inner.status == DecodeStatus::needMore) return inner;
  ++inner.consumed;
  inner.key.controlKeyState |= leftAltPressed;
  return inner;
}

DecodedKey decodeFrom(std::span<const std::uint8_t> bytes, bool moreMayFollow, bool altPrefix) {
  if (bytes.empty()) return needMore();
  const std::uint8_t first = bytes[0];
  if (first == esc) return decodeEscape(bytes, moreMayFollow, altPrefix);
  if (first >= 0x80) return decodeUtf8(bytes, moreMayFollow);
  return found(singleByteKey(first), 1);
}

}  // namespace

DecodedKey decodeKey(std::span<const std::uint8_t> bytes, bool moreMayFollow) {
  return decodeFrom(bytes, moreMayFollow, true);
}

}  // namespace quorvane::platform
