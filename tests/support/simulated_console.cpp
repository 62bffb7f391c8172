#include "simulated_console.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/console.h"

namespace quorvane::testing {

namespace {
SimulatedConsole console;

// The handles are the addresses of these two objects.
int inputObject = 0;
int outputObject = 0;

bool isInput(platform::ConsoleHandle handle) { return handle == &inputObject; }
bool isOutput(platform::ConsoleHandle handle) { return handle == &outputObject; }
bool isConsoleInput(platform::ConsoleHandle handle) {
  return isInput(handle) && console.inputIsConsole;
}
bool isScreen(platform::ConsoleHandle handle) {
  return isOutput(handle) && console.outputIsConsole;
}

// Counts a call that names a cell outside the buffer: the console clips or
// refuses it, but the console layer never means to make one.
void checkInside(platform::Coord cell) {
  if (!platform::insideScreen(console.screen, cell)) ++console.outsideBuffer;
}
void checkInside(const platform::SmallRect& rect) {
  checkInside(platform::Coord{rect.left, rect.top});
  checkInside(platform::Coord{rect.right, rect.bottom});
}
}  // namespace

SimulatedConsole& simulatedConsole() { return console; }

void resetSimulatedConsole() { console = SimulatedConsole{}; }

void useScreen(int columns, int rows, int windowRows) {
  console.outputIsConsole = true;
  console.screen =
      platform::makeScreen({static_cast<std::int16_t>(columns), static_cast<std::int16_t>(rows)},
                           static_cast<std::int16_t>(windowRows));
}

std::string screenRow(int row) {
  std::string text;
  for (int x = 0; x < console.screen.size.x; ++x) {
    text += static_cast<char>(platform::cellAt(console.screen, {static_cast<std::int16_t>(x),
                                                                static_cast<std::int16_t>(row)})
                                  .byte);
  }
  return text;
}

void queueKey(std::uint16_t virtualKey, std::uint16_t scanCode, std::uint8_t character,
              std::uint32_t controlState) {
  console.inputIsConsole = true;
  platform::InputRecord record;
  record.eventType = platform::InputEventType::key;
  record.keyEvent = {true, 1, virtualKey, scanCode, character, controlState};
  console.input.push_back(record);
  record.keyEvent.keyDown = false;
  console.input.push_back(record);
}

namespace {
// Scan codes of the main keys of a US keyboard, by unshifted character.
std::uint16_t scanCodeOf(char c) {
  static constexpr std::string_view rows[] = {"1234567890-=", "qwertyuiop[]", "asdfghjkl;'`",
                                              "zxcvbnm,./"};
  static constexpr std::uint16_t rowStarts[] = {0x02, 0x10, 0x1E, 0x2C};
  const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (int row = 0; row < 4; ++row) {
    const std::size_t at = rows[row].find(lower);
    if (at != std::string_view::npos) return static_cast<std::uint16_t>(rowStarts[row] + at);
  }
  return c == ' ' ? 0x39 : 0;
}
}  // namespace

void queueText(std::string_view text) {
  for (const char c : text) {
    const bool letter = std::isalpha(static_cast<unsigned char>(c)) != 0;
    const auto virtualKey = static_cast<std::uint16_t>(
        letter ? std::toupper(static_cast<unsigned char>(c)) : static_cast<unsigned char>(c));
    const bool shifted = letter && std::isupper(static_cast<unsigned char>(c)) != 0;
    queueKey(virtualKey, scanCodeOf(c), static_cast<std::uint8_t>(c),
             shifted ? platform::shiftPressed : 0);
  }
}

void queueEnter() { queueKey(0x0D, 0x1C, 13); }
void queueEscape() { queueKey(0x1B, 0x01, 27); }
void queueBackspace() { queueKey(0x08, 0x0E, 8); }
void queueTab() { queueKey(0x09, 0x0F, 9); }

void queueCursorKey(std::uint16_t scanCode, std::uint32_t controlState) {
  // Virtual keys of the cursor block, by scan code.
  std::uint16_t virtualKey = 0;
  switch (scanCode) {
    case 0x47:
      virtualKey = 0x24;
      break;
    case 0x48:
      virtualKey = 0x26;
      break;
    case 0x49:
      virtualKey = 0x21;
      break;
    case 0x4B:
      virtualKey = 0x25;
      break;
    case 0x4D:
      virtualKey = 0x27;
      break;
    case 0x4F:
      virtualKey = 0x23;
      break;
    case 0x50:
      virtualKey = 0x28;
      break;
    case 0x51:
      virtualKey = 0x22;
      break;
    case 0x52:
      virtualKey = 0x2D;
      break;
    case 0x53:
      virtualKey = 0x2E;
      break;
    default:
      break;
  }
  queueKey(virtualKey, scanCode, 0, controlState | platform::enhancedKey);
}

bool raiseControlEvent(std::uint32_t eventType) {
  return console.controlRoutine != nullptr && console.controlRoutine(eventType);
}

}  // namespace quorvane::testing

namespace quorvane::platform {

using testing::console;
using testing::isScreen;

ConsoleHandle getStdHandle(StandardHandle which) {
  return which == StandardHandle::input ? static_cast<ConsoleHandle>(&testing::inputObject)
                                        : static_cast<ConsoleHandle>(&testing::outputObject);
}

bool getConsoleMode(ConsoleHandle handle, std::uint32_t& mode) {
  if (testing::isConsoleInput(handle)) {
    mode = console.inputMode;
    return true;
  }
  if (isScreen(handle)) {
    mode = 0x0003;
    return true;
  }
  return false;
}

bool setConsoleMode(ConsoleHandle handle, std::uint32_t mode) {
  if (!testing::isConsoleInput(handle)) return false;
  console.inputMode = mode;
  return true;
}

bool getConsoleScreenBufferInfo(ConsoleHandle handle, ScreenBufferInfo& info) {
  if (!isScreen(handle) || console.failScreenBufferInfo) return false;
  if (console.screenBufferInfoFailures > 0) {
    --console.screenBufferInfoFailures;
    return false;
  }
  info = screenInfo(console.screen);
  return true;
}

bool writeConsoleOutput(ConsoleHandle handle, const CharCell* cells, Coord size, Coord origin,
                        SmallRect& target) {
  ++console.writeConsoleOutputCalls;
  if (!isScreen(handle) || console.failWriteConsoleOutput) return false;
  testing::checkInside(target);
  for (int i = 0; i < size.x * size.y; ++i) console.events += static_cast<char>(cells[i].byte);
  return writeCells(console.screen, cells, size, origin, target);
}

bool scrollConsoleScreenBuffer(ConsoleHandle handle, const SmallRect& source, Coord destination,
                               CharCell fill) {
  ++console.scrollCalls;
  if (isScreen(handle)) testing::checkInside(source);
  return isScreen(handle) && scrollCells(console.screen, source, destination, fill);
}

bool fillConsoleOutputAttribute(ConsoleHandle handle, std::uint16_t attributes, std::uint32_t count,
                                Coord from, std::uint32_t& filled) {
  filled = 0;
  if (isScreen(handle)) testing::checkInside(from);
  return isScreen(handle) && fillAttributes(console.screen, attributes, count, from, filled);
}

bool fillConsoleOutputCharacter(ConsoleHandle handle, std::uint8_t byte, std::uint32_t count,
                                Coord from, std::uint32_t& filled) {
  filled = 0;
  if (isScreen(handle)) testing::checkInside(from);
  return isScreen(handle) && fillCharacters(console.screen, byte, count, from, filled);
}

bool setConsoleCursorPosition(ConsoleHandle handle, Coord position) {
  if (isScreen(handle)) testing::checkInside(position);
  return isScreen(handle) && placeCursor(console.screen, position);
}

bool setConsoleWindowInfo(ConsoleHandle handle, bool absolute, const SmallRect& window) {
  ++console.windowInfoCalls;
  return isScreen(handle) && placeWindow(console.screen, absolute, window);
}

bool getConsoleCursorInfo(ConsoleHandle handle, CursorInfo& info) {
  if (!isScreen(handle)) return false;
  info = console.screen.cursorInfo;
  return true;
}

bool setConsoleCursorInfo(ConsoleHandle handle, const CursorInfo& info) {
  return isScreen(handle) && setCursorShape(console.screen, info);
}

bool writeFile(ConsoleHandle handle, const void* bytes, std::uint32_t count,
               std::uint32_t& written) {
  written = 0;
  if (!testing::isOutput(handle) || console.failWriteFile) return false;
  console.standardOutput.append(static_cast<const char*>(bytes), count);
  written = count;
  return true;
}

bool peekConsoleInput(ConsoleHandle handle, InputRecord& record, std::uint32_t& count) {
  count = 0;
  if (!testing::isConsoleInput(handle)) return false;
  if (!console.input.empty()) {
    record = console.input.front();
    count = 1;
  }
  return true;
}

bool readConsoleInput(ConsoleHandle handle, InputRecord& record) {
  if (!testing::isConsoleInput(handle) || console.input.empty()) return false;
  record = console.input.front();
  console.input.pop_front();
  console.idleWaits = 0;
  return true;
}

bool waitForConsoleInput(ConsoleHandle handle, std::uint32_t timeoutMs) {
  console.sleeps.push_back(timeoutMs);
  ++console.waits;
  if (console.onWait) console.onWait(console.waits);
  if (testing::isConsoleInput(handle) && !console.input.empty()) return true;
  if (++console.idleWaits > 100000) {
    std::fprintf(stderr, "the simulated console waited for input that never comes\n");
    std::abort();
  }
  return false;
}

// The unshifted characters of a US keyboard's keys.
std::uint32_t mapVirtualKey(std::uint32_t code, std::uint32_t mapType) {
  if (mapType != mapVirtualKeyToChar) return 0;
  if ((code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z')) return code;
  switch (code) {
    case 0x08:
      return 8;
    case 0x09:
      return 9;
    case 0x0D:
      return 13;
    case 0x1B:
      return 27;
    case 0x20:
      return ' ';
    case 0xBA:
      return ';';
    case 0xBB:
      return '=';
    case 0xBC:
      return ',';
    case 0xBD:
      return '-';
    case 0xBE:
      return '.';
    case 0xBF:
      return '/';
    default:
      return 0;
  }
}

bool setConsoleCtrlHandler(ConsoleControlRoutine routine, bool add) {
  if (add) {
    console.controlRoutine = routine;
  } else if (console.controlRoutine == routine) {
    console.controlRoutine = nullptr;
  }
  return true;
}

std::size_t readStandardInput(void* bytes, std::size_t count) {
  const std::size_t left = console.standardInput.size() - console.standardInputRead;
  const std::size_t n = std::min(count, left);
  std::memcpy(bytes, console.standardInput.data() + console.standardInputRead, n);
  console.standardInputRead += n;
  return n;
}

void sleepMilliseconds(std::uint32_t milliseconds) { console.sleeps.push_back(milliseconds); }
void beep(std::uint32_t, std::uint32_t) {
  ++console.beeps;
  console.events += '\a';
}

}  // namespace quorvane::platform
