#include "simulated_console.h"

#include <algorithm>
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
}  // namespace

SimulatedConsole& simulatedConsole() { return console; }

void resetSimulatedConsole() { console = SimulatedConsole{}; }

void useScreen(int columns, int rows, int windowRows) {
  console.outputIsConsole = true;
  console.screen = platform::makeScreen(
      {static_cast<std::int16_t>(columns), static_cast<std::int16_t>(rows)},
      static_cast<std::int16_t>(windowRows));
}

std::string screenRow(int row) {
  std::string text;
  for (int x = 0; x < console.screen.size.x; ++x) {
    text += static_cast<char>(
        platform::cellAt(console.screen, {static_cast<std::int16_t>(x), static_cast<std::int16_t>(row)})
            .byte);
  }
  return text;
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
  for (int i = 0; i < size.x * size.y; ++i) console.events += static_cast<char>(cells[i].byte);
  return writeCells(console.screen, cells, size, origin, target);
}

bool scrollConsoleScreenBuffer(ConsoleHandle handle, const SmallRect& source, Coord destination,
                               CharCell fill) {
  ++console.scrollCalls;
  return isScreen(handle) && scrollCells(console.screen, source, destination, fill);
}

bool fillConsoleOutputAttribute(ConsoleHandle handle, std::uint16_t attributes,
                                std::uint32_t count, Coord from, std::uint32_t& filled) {
  filled = 0;
  return isScreen(handle) && fillAttributes(console.screen, attributes, count, from, filled);
}

bool fillConsoleOutputCharacter(ConsoleHandle handle, std::uint8_t byte, std::uint32_t count,
                                Coord from, std::uint32_t& filled) {
  filled = 0;
  return isScreen(handle) && fillCharacters(console.screen, byte, count, from, filled);
}

bool setConsoleCursorPosition(ConsoleHandle handle, Coord position) {
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

bool peekConsoleInput(ConsoleHandle, InputRecord&, std::uint32_t& count) {
  count = 0;
  return false;
}
bool readConsoleInput(ConsoleHandle, InputRecord&) { return false; }
bool waitForConsoleInput(ConsoleHandle, std::uint32_t timeoutMs) {
  console.sleeps.push_back(timeoutMs);
  return false;
}
std::uint32_t mapVirtualKey(std::uint32_t, std::uint32_t) { return 0; }
bool setConsoleCtrlHandler(ConsoleControlRoutine, bool) { return true; }

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
