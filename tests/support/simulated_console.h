#pragma once
// An in-memory console for the tests, standing where the real console
// backends stand: a screen buffer taller than its window if wanted, a
// movable window, a cursor, standard handles that may be redirected, calls
// that can be made to fail, and a log of beeps and sleeps.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/screen_model.h"

namespace quorvane::testing {

struct SimulatedConsole {
  bool inputIsConsole = false;
  bool outputIsConsole = false;
  platform::ScreenModel screen;
  std::string standardInput;  // bytes of redirected standard input
  std::size_t standardInputRead = 0;
  std::string standardOutput;  // bytes written to redirected standard output
  std::uint32_t inputMode = 0;

  bool failWriteFile = false;
  bool failWriteConsoleOutput = false;
  bool failScreenBufferInfo = false;
  int screenBufferInfoFailures = 0;  // the next calls that fail

  std::string events;  // each beep as BEL and each written cell's byte, in order
  int beeps = 0;
  std::vector<std::uint32_t> sleeps;  // milliseconds of each sleep or wait
  int writeConsoleOutputCalls = 0;
  int scrollCalls = 0;
  int windowInfoCalls = 0;
};

SimulatedConsole& simulatedConsole();

// Back to the start state: both handles redirected, no input, nothing
// written, nothing failing.
void resetSimulatedConsole();

// Makes standard output a console screen buffer of that size whose window
// shows its first windowRows rows, cursor at the top left.
void useScreen(int columns, int rows, int windowRows);

// The bytes of one buffer row, trailing blanks included.
std::string screenRow(int row);

}  // namespace quorvane::testing
