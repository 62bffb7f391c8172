#pragma once
// Keyboard intake: console key events become key codes in a queue, taken
// by the line editor and by the key wait that ends every run.

#include <cstdint>
#include <string>
#include <string_view>

namespace quorvane {

inline constexpr int keyQueueSize = 512;

// Touched by the main thread only; the control routine hands its codes
// over through controlCodesOwed, which the next pump stores. That counter
// is reached only through the compiler's atomic built-ins: <atomic> drags
// in the thread model's condition variable, which GCC's win32 thread model
// has only for Windows Vista and later.
struct KeyboardState {
  std::int32_t keyQueue[keyQueueSize] = {};
  int keyHead = 0;  // equal indices: empty; at most keyQueueSize - 1 codes
  int keyTail = 0;
  bool keyHit = false;          // a code was stored since the last poll or removal
  std::uint32_t altNumber = 0;  // the number typed on the keypad with Alt held
  bool ctrlRoutineInstalled = false;
  int controlCodesOwed = 0;
};

// Returns once a key has been stored since the last poll, or at once when
// standard input is not a console and no key can come.
void waitForKey();

// Whether a key is queued; removes nothing.
bool keyWaiting();

// Removes the oldest key and gives its text: one byte for a character, the
// bytes 255 and the extended code's high byte for other keys; empty when
// no key is queued.
std::string takeKey();

// A key code's text, as takeKey gives it, and the code of such a text.
std::string keyText(std::int32_t code);
std::int32_t keyCodeOf(std::string_view text);

// Whether standard input is a console (and not a file or pipe).
bool inputIsConsole();

// Drains the console's pending input events into the key queue.
void pumpInputEvents();

// Stores a code; a full queue drops its oldest.
void storeKey(std::int32_t code);

// The console control routine: the close, log-off and shut-down events
// become the close key; every other event is left to the platform.
bool answerControlEvent(std::uint32_t eventType);

KeyboardState& keyboardState();
void resetKeyboardState();

}  // namespace quorvane
