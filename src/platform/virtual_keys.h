#pragma once
// Virtual-key codes and PC scan codes of the keys the terminal backend
// reports, with the values the Windows console gives them.

#include <cstdint>

namespace quorvane::platform {

// Virtual-key codes of keys that type no letter or digit. Letters and
// digits use their upper-case ASCII code ('A' = 0x41, '0' = 0x30).
inline constexpr std::uint16_t vkBack = 0x08;
inline constexpr std::uint16_t vkTab = 0x09;
inline constexpr std::uint16_t vkReturn = 0x0D;
inline constexpr std::uint16_t vkEscape = 0x1B;
inline constexpr std::uint16_t vkSpace = 0x20;
inline constexpr std::uint16_t vkPrior = 0x21;  // Page Up
inline constexpr std::uint16_t vkNext = 0x22;   // Page Down
inline constexpr std::uint16_t vkEnd = 0x23;
inline constexpr std::uint16_t vkHome = 0x24;
inline constexpr std::uint16_t vkLeft = 0x25;
inline constexpr std::uint16_t vkUp = 0x26;
inline constexpr std::uint16_t vkRight = 0x27;
inline constexpr std::uint16_t vkDown = 0x28;
inline constexpr std::uint16_t vkInsert = 0x2D;
inline constexpr std::uint16_t vkDelete = 0x2E;
inline constexpr std::uint16_t vkNumpad0 = 0x60;  // to vkNumpad0 + 9
inline constexpr std::uint16_t vkMultiply = 0x6A;
inline constexpr std::uint16_t vkAdd = 0x6B;
inline constexpr std::uint16_t vkSubtract = 0x6D;
inline constexpr std::uint16_t vkDecimal = 0x6E;
inline constexpr std::uint16_t vkDivide = 0x6F;
inline constexpr std::uint16_t vkF1 = 0x70;         // to vkF1 + 11 for F12
inline constexpr std::uint16_t vkOem1 = 0xBA;       // ; :
inline constexpr std::uint16_t vkOemPlus = 0xBB;    // = +
inline constexpr std::uint16_t vkOemComma = 0xBC;   // , <
inline constexpr std::uint16_t vkOemMinus = 0xBD;   // - _
inline constexpr std::uint16_t vkOemPeriod = 0xBE;  // . >
inline constexpr std::uint16_t vkOem2 = 0xBF;       // / ?
inline constexpr std::uint16_t vkOem3 = 0xC0;       // ` ~
inline constexpr std::uint16_t vkOem4 = 0xDB;       // [ {
inline constexpr std::uint16_t vkOem5 = 0xDC;       // \ |
inline constexpr std::uint16_t vkOem6 = 0xDD;       // ] }
inline constexpr std::uint16_t vkOem7 = 0xDE;       // ' "

// Scan codes (set 1) of the same keys.
inline constexpr std::uint16_t scanEscape = 0x01;
inline constexpr std::uint16_t scanBack = 0x0E;
inline constexpr std::uint16_t scanTab = 0x0F;
inline constexpr std::uint16_t scanReturn = 0x1C;
inline constexpr std::uint16_t scanSpace = 0x39;
inline constexpr std::uint16_t scanF1 = 0x3B;  // to scanF1 + 9 for F10
inline constexpr std::uint16_t scanF11 = 0x57;
inline constexpr std::uint16_t scanF12 = 0x58;
inline constexpr std::uint16_t scanHome = 0x47;
inline constexpr std::uint16_t scanUp = 0x48;
inline constexpr std::uint16_t scanPrior = 0x49;
inline constexpr std::uint16_t scanLeft = 0x4B;
inline constexpr std::uint16_t scanRight = 0x4D;
inline constexpr std::uint16_t scanEnd = 0x4F;
inline constexpr std::uint16_t scanDown = 0x50;
inline constexpr std::uint16_t scanNext = 0x51;
inline constexpr std::uint16_t scanInsert = 0x52;
inline constexpr std::uint16_t scanDelete = 0x53;

}  // namespace quorvane::platform
