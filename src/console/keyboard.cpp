#include "console/keyboard.h"

#include <cstdlib>

#include "console/console_output.h"
#include "console/key_translation.h"
#include "platform/console.h"
#include "platform/virtual_keys.h"

namespace quorvane {

namespace {

static_assert(__atomic_always_lock_free(sizeof(int), nullptr),
              "the control routine may only touch lock-free atomics");

KeyboardState keyboard;

constexpr std::uint32_t keyWaitInterval = 50;

// Alt held with neither Ctrl nor Shift: the state in which keypad digits
// make up a character's number.
bool altOnly(std::uint32_t state) {
  return (state & platform::altPressed) != 0 &&
         (state & (platform::ctrlPressed | platform::shiftPressed)) == 0;
}

void storeAltNumber() {
  storeKey(static_cast<std::int32_t>(keyboard.altNumber % 256));
  keyboard.altNumber = 0;
}

void handleKeyDown(const platform::KeyEventRecord& key) {
  if (key.repeatCount == 0) return;
  const std::optional<std::int32_t> code = translateKeyDown(
      key, platform::mapVirtualKey(key.virtualKeyCode, platform::mapVirtualKeyToChar));
  const bool alt = altOnly(key.controlKeyState);
  const int digit = key.virtualKeyCode - platform::vkNumpad0;
  if (digit >= 0 && digit <= 9 && alt) {
    keyboard.altNumber = keyboard.altNumber * 10 + static_cast<std::uint32_t>(digit);
    if (code) storeKey(*code);
  } else if (code) {
    keyboard.altNumber = 0;
    storeKey(*code);
  } else if (!alt && keyboard.altNumber != 0) {
    storeAltNumber();
  }
}

// Releasing Alt after keypad digits gives the character of their number.
void handleKeyUp(const platform::KeyEventRecord& key) {
  if (altOnly(key.controlKeyState)) return;
  if (keyboard.altNumber != 0) storeAltNumber();
}

void removeControlRoutine() {
  if (keyboard.ctrlRoutineInstalled) platform::setConsoleCtrlHandler(answerControlEvent, false);
}

void installControlRoutine() {
  keyboard.ctrlRoutineInstalled = true;
  // Should the list of exit routines be full, the routine simply stays
  // installed until the process is gone.
  static_cast<void>(std::atexit(removeControlRoutine));
  platform::setConsoleCtrlHandler(answerControlEvent, true);
}

}  // namespace

std::string keyText(std::int32_t code) {
  if (code <= 0xFF) return std::string(1, static_cast<char>(code));
  return {static_cast<char>(0xFF), static_cast<char>((code >> 8) & 0xFF)};
}

std::int32_t keyCodeOf(std::string_view text) {
  const auto first = static_cast<unsigned char>(text[0]);
  if (text.size() == 1) return first;
  return static_cast<unsigned char>(text[1]) * 256 + 0xFF;
}

bool inputIsConsole() {
  std::uint32_t mode = 0;
  const platform::ConsoleHandle input = consoleHandles().input;
  return input != nullptr && platform::getConsoleMode(input, mode);
}

KeyboardState& keyboardState() { return keyboard; }

void resetKeyboardState() {
  keyboard.keyHead = keyboard.keyTail = 0;
  keyboard.keyHit = false;
  keyboard.altNumber = 0;
  keyboard.ctrlRoutineInstalled = false;
  __atomic_store_n(&keyboard.controlCodesOwed, 0, __ATOMIC_SEQ_CST);
}

void storeKey(std::int32_t code) {
  keyboard.keyQueue[keyboard.keyTail] = code;
  keyboard.keyTail = (keyboard.keyTail + 1) % keyQueueSize;
  if (keyboard.keyTail == keyboard.keyHead)
    keyboard.keyHead = (keyboard.keyHead + 1) % keyQueueSize;
  keyboard.keyHit = true;
}

bool answerControlEvent(std::uint32_t eventType) {
  switch (eventType) {
    case platform::ctrlCloseEvent:
    case platform::ctrlLogoffEvent:
    case platform::ctrlShutdownEvent:
      __atomic_fetch_add(&keyboard.controlCodesOwed, 1, __ATOMIC_SEQ_CST);
      return true;
    default:
      return false;
  }
}

// Takes every pending console input event, in order, and stores the codes
// they give; then the close keys the control routine owes. The first pump
// installs the control routine.
void pumpInputEvents() {
  if (!keyboard.ctrlRoutineInstalled) installControlRoutine();
  const platform::ConsoleHandle input = consoleHandles().input;
  for (;;) {
    platform::InputRecord record;
    std::uint32_t pending = 0;
    if (!platform::peekConsoleInput(input, record, pending) || pending == 0) break;
    if (!platform::readConsoleInput(input, record)) break;
    if (record.eventType != platform::InputEventType::key) continue;
    if (record.keyEvent.keyDown) {
      handleKeyDown(record.keyEvent);
    } else {
      handleKeyUp(record.keyEvent);
    }
  }
  for (int owed = __atomic_exchange_n(&keyboard.controlCodesOwed, 0, __ATOMIC_SEQ_CST); owed > 0;
       --owed) {
    storeKey(keyClose);
  }
}

void waitForKey() {
  if (!inputIsConsole()) return;
  for (;;) {
    pumpInputEvents();
    if (keyboard.keyHit) {
      keyboard.keyHit = false;
      return;
    }
    platform::waitForConsoleInput(consoleHandles().input, keyWaitInterval);
  }
}

bool keyWaiting() {
  pumpInputEvents();
  return keyboard.keyHead != keyboard.keyTail;
}

std::string takeKey() {
  pumpInputEvents();
  if (keyboard.keyHead == keyboard.keyTail) return {};
  const std::int32_t code = keyboard.keyQueue[keyboard.keyHead];
  keyboard.keyHead = (keyboard.keyHead + 1) % keyQueueSize;
  pumpInputEvents();
  keyboard.keyHit = false;
  return keyText(code);
}

}  // namespace quorvane
