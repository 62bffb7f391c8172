#pragma once
// The US keyboard layout, the one the terminal backend assumes: which key
// types each printable ASCII character, and what each key types alone.

#include <cstdint>

namespace quorvane::platform {

struct LayoutKey {
  std::uint16_t virtualKey = 0;  // 0: no key of the layout types the character
  std::uint16_t scanCode = 0;
  bool shifted = false;  // the character needs Shift
};

// The key that types a character from 0x20 to 0x7E.
LayoutKey layoutKeyFor(std::uint8_t character);

// The character a key types with no modifier, as MapVirtualKey type 2
// gives it: letters in upper case, Tab 9, Enter 13, the keypad's digits
// and operators; 0 for a key that types none.
std::uint32_t unshiftedCharacter(std::uint32_t virtualKey);

}  // namespace quorvane::platform
