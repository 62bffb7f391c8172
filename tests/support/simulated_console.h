#pragma once
// An in-memory console for the tests, standing where the real console
// backends stand: a screen buffer taller than its window if wanted, a
// movable window, a cursor, standard handles that may be redirected, calls
// that can be made to fail, and a log of beeps and sleeps.

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
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
  std::deque<platform::InputRecord> input;  // pending console input records
  platform::ConsoleControlRoutine controlRoutine = nullptr;
  int idleWaits = 0;  // waits in a row with no input; a runaway wait aborts the test
  std::function<void(int wait)> onWait;  // called at each wait: input may arrive there
  int waits = 0;

  int beeps = 0;
  std::vector<std::uint32_t> sleeps;  // milliseconds of each sleep or wait
  int writeConsoleOutputCalls = 0;
  int scrollCalls = 0;
  int windowInfoCalls = 0;
  int outsideBuffer = 0;  // calls that named a cell outside the buffer
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

// Makes standard input a console and queues a key-down and a key-up record
// of the key, as the Windows console delivers them.
void queueKey(std::uint16_t virtualKey, std::uint16_t scanCode, std::uint8_t character,
              std::uint32_t controlState = 0);
// Keys of a US keyboard: printable ASCII typed as it would be.
void queueText(std::string_view text);
void queueEnter();
void queueEscape();
void queueBackspace();
void queueTab();
// A key of the cursor block (Home, arrows, End, Insert, Delete, ...), by scan code.
void queueCursorKey(std::uint16_t scanCode, std::uint32_t controlState = 0);

// Delivers a control event the way the console does: to the routine.
bool raiseControlEvent(std::uint32_t eventType);

}  // namespace quorvane::testing
