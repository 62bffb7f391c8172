#pragma once
// An in-memory console for the tests, standing where the real console
// backends stand. Standard input and output can each be a console or
// redirected; redirected output is collected, redirected input scripted.

#include <cstdint>
#include <string>

namespace quorvane::testing {

struct SimulatedConsole {
  bool inputIsConsole = false;
  bool outputIsConsole = false;
  std::string standardInput;  // bytes of redirected standard input
  std::size_t standardInputRead = 0;
  std::string standardOutput;  // bytes written to redirected standard output
  bool failWriteFile = false;
  std::uint32_t inputMode = 0;
  int sleepCount = 0;
  int beepCount = 0;
};

SimulatedConsole& simulatedConsole();

// Puts the console back to its start state: both handles redirected, no
// input, nothing written.
void resetSimulatedConsole();

}  // namespace quorvane::testing
