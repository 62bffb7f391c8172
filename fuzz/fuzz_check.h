#pragma once
// Ends the run with a message when a property a fuzz target checks fails,
// so that libFuzzer keeps the input that broke it.

#include <cstdio>
#include <cstdlib>

namespace quorvane::fuzzing {
inline void check(bool holds, const char* property) {
  if (!holds) std::fprintf(stderr, "broken: %s\n", property), std::abort();
}
}  // namespace quorvane::fuzzing
