#pragma once
// Turning one console key-down event into a key code: a character 0..255,
// or (high byte << 8) | 0xFF for keys that deliver no character.

#include <cstdint>
#include <optional>

#include "platform/console.h"

namespace quorvane {

inline constexpr std::int32_t extendedKey(std::uint8_t highByte) { return (highByte << 8) | 0xFF; }

// Keys that deliver a control character.
inline constexpr std::int32_t keyBackspace = 8;
inline constexpr std::int32_t keyTab = 9;
inline constexpr std::int32_t keyLineFeed = 10;  // Ctrl+Enter gives a line feed
inline constexpr std::int32_t keyEnter = 13;
inline constexpr std::int32_t keyEscape = 27;

// Keys that deliver an extended code.
inline constexpr std::int32_t keyHome = extendedKey(0x47);
inline constexpr std::int32_t keyUp = extendedKey(0x48);
inline constexpr std::int32_t keyLeft = extendedKey(0x4B);
inline constexpr std::int32_t keyRight = extendedKey(0x4D);
inline constexpr std::int32_t keyEnd = extendedKey(0x4F);
inline constexpr std::int32_t keyDown = extendedKey(0x50);
inline constexpr std::int32_t keyInsert = extendedKey(0x52);
inline constexpr std::int32_t keyDelete = extendedKey(0x53);
// Stored when the console window is closed, the user logs off or the
// system shuts down: the code of Alt+F4.
inline constexpr std::int32_t keyClose = extendedKey(0x6B);

// The code of a key-down event, or none for keys that give nothing (the
// modifiers alone, keys without character or extended code). The
// unshifted character of the event's virtual key, as the keyboard layout
// gives it, decides whether a key with a character still counts as the
// extended key of its position: with AltGr or another layout the character
// is kept instead.
std::optional<std::int32_t> translateKeyDown(const platform::KeyEventRecord& event,
                                             std::uint32_t unshiftedCharacter);

}  // namespace quorvane
