#pragma once
// Every text the user reads, each printed as a line of its own.

#include <string_view>

#ifndef QUORVANE_VERSION
#define QUORVANE_VERSION "0.0.0"
#endif

namespace quorvane::messages {

inline constexpr std::string_view banner = "=== RM2k(3) Quorvane ===";
inline constexpr std::string_view attribution =
    "Quorvane " QUORVANE_VERSION " - sets the item limit (1 to 99) of RPG_RT.exe";
inline constexpr std::string_view noFile =
    "Error! Please drag the RPG_RT.exe file onto quorvane.exe!";
inline constexpr std::string_view anyKey = "Press any key to exit...";
inline constexpr std::string_view wrongBuild =
    "Error! Wrong RPG_RT.exe! Use v1.07 english default.";
inline constexpr std::string_view currentPrefix = "Current value: ";
inline constexpr std::string_view prompt = "Enter new value: ";
inline constexpr std::string_view invalid = "Invalid value! Please enter value between 1 and 99.";
inline constexpr std::string_view done = "Successfully patched!";

// The target could be opened for reading only.
inline constexpr std::string_view readOnly =
    "Error! RPG_RT.exe is read-only or in use! Nothing was changed.";
// A write, the flush or the commit to disk failed.
inline constexpr std::string_view writeFailed =
    "Error! Could not write RPG_RT.exe! It may be damaged; restore it from a copy.";
// Redirected input ran out before an accepted answer.
inline constexpr std::string_view noValue = "Error! No value entered. Nothing was changed.";

}  // namespace quorvane::messages
