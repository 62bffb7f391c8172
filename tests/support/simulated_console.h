#pragma once
// An in-memory Windows console behind the platform's console calls: the screen
// model, redirectable handles, scripted keys, logs.

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/screen_model.h"

namespace quorvane::testing {

struct SimulatedConsole {
  bool inputIsConsole = false, outputIsConsole = false;
  platform::ScreenModel screen;
  std::string standardInput;   // redirected standard input, taken from the front
  std::string standardOutput;  // what reached redirected standard output
  std::uint32_t inputMode = 0;
  std::deque<platform::InputRecord> input;
  platform::ConsoleControlRoutine controlRoutine = nullptr;
  std::function<void(int wait)> onWait;  // at each wait for input, counted from 1
  std::vector<std::uint32_t> waits;      // the length of each wait, in ms
  std::vector<std::pair<std::uint32_t, std::uint32_t>> beeps;  // frequency, ms
  // The calls that scrolled, named a cell outside, or wrote cells while the cursor showed.
  int scrollCalls = 0, outsideBuffer = 0, writesShown = 0;
};

// The one console; a fresh one has both handles redirected and nothing queued or written.
inline SimulatedConsole simulatedConsole;
// Standard output becomes a screen buffer showing its first windowRows rows.
void useScreen(int columns, int rows, int windowRows);
// The bytes of one buffer row, trailing blanks included.
std::string screenRow(int row);
// The buffer resized as a console whose buffer is its window (Windows Terminal's)
// does it: the lines move up only as far as keeps the cursor's in the buffer.
void resizeScreen(int columns, int rows);
// Standard input becomes a console with each key pressed and released: a byte,
// or <Home>, <Up>, <PgUp>, <Left>, <Right>, <End>, <Down>, <Ins> or <Del>. In
// virtual terminal input mode a key comes as the bytes a terminal sends for it.
void queueKeys(std::string_view keys);

}  // namespace quorvane::testing
