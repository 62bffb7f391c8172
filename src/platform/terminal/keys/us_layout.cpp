#include "platform/terminal/keys/us_layout.h"

#include <array>

#include "platform/virtual_keys.h"

namespace quorvane::platform {

namespace {

struct LayoutRow {
  char plain;
  char shifted;
  std::uint16_t virtualKey;
  std::uint16_t scanCode;
};

// The keys of the main block that type a character, row by row of the
// keyboard, with the character they type alone and with Shift.
constexpr std::array<LayoutRow, 48> layout{{
    // Digit row.
    {'1', '!', '1', 0x02},
    {'2', '@', '2', 0x03},
    {'3', '#', '3', 0x04},
    {'4', '$', '4', 0x05},
    {'5', '%', '5', 0x06},
    {'6', '^', '6', 0x07},
    {'7', '&', '7', 0x08},
    {'8', '*', '8', 0x09},
    {'9', '(', '9', 0x0A},
    {'0', ')', '0', 0x0B},
    {'-', '_', vkOemMinus, 0x0C},
    {'=', '+', vkOemPlus, 0x0D},
    // Top letter row.
    {'q', 'Q', 'Q', 0x10},
    {'w', 'W', 'W', 0x11},
    {'e', 'E', 'E', 0x12},
    {'r', 'R', 'R', 0x13},
    {'t', 'T', 'T', 0x14},
    {'y', 'Y', 'Y', 0x15},
    {'u', 'U', 'U', 0x16},
    {'i', 'I', 'I', 0x17},
    {'o', 'O', 'O', 0x18},
    {'p', 'P', 'P', 0x19},
    {'[', '{', vkOem4, 0x1A},
    {']', '}', vkOem6, 0x1B},
    // Home row.
    {'a', 'A', 'A', 0x1E},
    {'s', 'S', 'S', 0x1F},
    {'d', 'D', 'D', 0x20},
    {'f', 'F', 'F', 0x21},
    {'g', 'G', 'G', 0x22},
    {'h', 'H', 'H', 0x23},
    {'j', 'J', 'J', 0x24},
    {'k', 'K', 'K', 0x25},
    {'l', 'L', 'L', 0x26},
    {';', ':', vkOem1, 0x27},
    {'\'', '"', vkOem7, 0x28},
    {'`', '~', vkOem3, 0x29},
    // Bottom row, with the backslash key that stands left of it on ISO
    // boards and above Enter on ANSI ones.
    {'\\', '|', vkOem5, 0x2B},
    {'z', 'Z', 'Z', 0x2C},
    {'x', 'X', 'X', 0x2D},
    {'c', 'C', 'C', 0x2E},
    {'v', 'V', 'V', 0x2F},
    {'b', 'B', 'B', 0x30},
    {'n', 'N', 'N', 0x31},
    {'m', 'M', 'M', 0x32},
    {',', '<', vkOemComma, 0x33},
    {'.', '>', vkOemPeriod, 0x34},
    {'/', '?', vkOem2, 0x35},
    // Space bar.
    {' ', ' ', vkSpace, scanSpace},
}};

}  // namespace

LayoutKey layoutKeyFor(std::uint8_t character) {
  for (const LayoutRow& row : layout) {
    if (static_cast<std::uint8_t>(row.plain) == character) {
      return {row.virtualKey, row.scanCode, false};
    }
  }
  for (const LayoutRow& row : layout) {
    if (static_cast<std::uint8_t>(row.shifted) == character) {
      return {row.virtualKey, row.scanCode, true};
    }
  }
  return {};
}

std::uint32_t unshiftedCharacter(std::uint32_t virtualKey) {
  for (const LayoutRow& row : layout) {
    if (row.virtualKey != virtualKey) continue;
    const bool letter = row.plain >= 'a' && row.plain <= 'z';
    return static_cast<std::uint8_t>(letter ? row.shifted : row.plain);
  }
  switch (virtualKey) {
    case vkBack:
      return 8;
    case vkTab:
      return 9;
    case vkReturn:
      return 13;
    case vkEscape:
      return 27;
    case vkMultiply:
      return '*';
    case vkAdd:
      return '+';
    case vkSubtract:
      return '-';
    case vkDecimal:
      return '.';
    case vkDivide:
      return '/';
    default:
      break;
  }
  if (virtualKey >= vkNumpad0 && virtualKey <= vkNumpad0 + 9) return '0' + (virtualKey - vkNumpad0);
  return 0;
}

}  // namespace quorvane::platform
