#pragma once
// Turns the bytes a terminal sends for key presses into the key-down
// records a Windows console would deliver for the same keys. Pure: no
// terminal, no clock; the caller says whether more bytes may still come.

#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/console.h"

namespace quorvane::platform {

enum class DecodeStatus {
  key,           // a key was decoded from the first consumed bytes
  cursorReport,  // the first consumed bytes tell where the terminal's cursor is
  ignored,       // the first consumed bytes stand for no key and are dropped
  needMore,      // the bytes begin a sequence that is not complete yet
};

struct DecodedKey {
  DecodeStatus status = DecodeStatus::needMore;
  std::size_t consumed = 0;  // 0 with needMore
  KeyEventRecord key;  // with key, and with a report that is a key too: key down, repeat count 1
  Coord cursor;        // with cursorReport: the cell reported, 0-based
};

// Decodes the first key of bytes.
//
// moreMayFollow says whether further bytes may still arrive. While it is
// true, a proper prefix of a sequence (a lone Esc, an unfinished escape
// sequence or UTF-8 character) gives needMore. Once it is false nothing
// waits: a lone Esc is the Esc key, Esc with one byte after it is Alt and
// that byte, and a longer unfinished sequence is dropped.
//
// Recognised: the sequences of the table, with xterm's modifier parameter
// (Esc [ 1 ; m X and Esc [ n ; m ~, m = 1 + Shift + 2 Alt + 4 Ctrl); Esc
// before a key as Alt; control bytes as Ctrl with a letter, Tab, Enter
// (CR or LF) and Backspace (DEL or BS); printable ASCII as the US layout's
// keys; UTF-8 characters that code page 437 has, as their byte with no
// key. Anything else, such as unknown sequences or characters outside the
// code page, is ignored whole.
//
// The terminal's answer to CSI 6 n, Esc [ row ; column R, is a cursor
// report. Esc [ 1 ; m R is also F3 with modifiers: such a report carries
// that key as well, and the caller tells which of the two it is.
DecodedKey decodeKey(std::span<const std::uint8_t> bytes, bool moreMayFollow);

}  // namespace quorvane::platform
