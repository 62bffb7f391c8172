#pragma once
// Code page 437, the console's code page here: the glyph the IBM PC shows
// for each byte, control bytes included, and the way back from a glyph.

#include <cstdint>
#include <optional>
#include <string>

namespace quorvane::platform {

// The Unicode code point of the glyph shown for the byte. Byte 0 shows as
// a blank, like byte 0x20; every other byte has a glyph of its own, and
// none of them is a control character.
char32_t cp437Glyph(std::uint8_t byte);

// Appends the byte's glyph to out in UTF-8.
void appendGlyph(std::uint8_t byte, std::string& out);

// The byte from 0x80 to 0xFF whose glyph is the code point; none when no
// such byte shows it. (Typed characters below 0x80 are ASCII, and the
// glyphs of the control bytes are not typed.)
std::optional<std::uint8_t> cp437FromCodePoint(char32_t codePoint);

}  // namespace quorvane::platform
