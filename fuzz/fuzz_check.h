#pragma once
// Ends the run with a message when a property a fuzz target checks fails,
// so that libFuzzer keeps the input that broke it.

#include <cstdio>
#include <cstdlib>

namespace quorvane::fuzzing {

inline void check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "broken: %s\n", what);
    std::abort();
  }
}

}  // namespace quorvane::fuzzing
