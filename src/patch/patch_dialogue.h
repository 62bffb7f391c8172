#pragma once

#include <cstdint>

namespace quorvane {

// The item limit as the runtime file stores it: one signed byte.
using ItemLimit = std::int8_t;

inline constexpr int targetFileNumber = 1;

// The whole run: identify the target, show its limit, ask for a new one,
// write it at the six places of its build, wait for a key and end the
// process with exit code 0. Never returns.
[[noreturn]] void runPatchDialogue();

}  // namespace quorvane
