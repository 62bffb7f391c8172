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
bool isConsoleOutput(platform::ConsoleHandle handle) {
  return isOutput(handle) && console.outputIsConsole;
}
}  // namespace

SimulatedConsole& simulatedConsole() { return console; }

void resetSimulatedConsole() { console = SimulatedConsole{}; }

}  // namespace quorvane::testing

namespace quorvane::platform {

using testing::console;

ConsoleHandle getStdHandle(StandardHandle which) {
  return which == StandardHandle::input ? static_cast<ConsoleHandle>(&testing::inputObject)
                                        : static_cast<ConsoleHandle>(&testing::outputObject);
}

bool getConsoleMode(ConsoleHandle handle, std::uint32_t& mode) {
  if (!testing::isConsoleInput(handle) && !testing::isConsoleOutput(handle)) return false;
  mode = testing::isInput(handle) ? console.inputMode : 0;
  return true;
}

bool setConsoleMode(ConsoleHandle handle, std::uint32_t mode) {
  if (!testing::isConsoleInput(handle)) return false;
  console.inputMode = mode;
  return true;
}

bool getConsoleScreenBufferInfo(ConsoleHandle, ScreenBufferInfo&) { return false; }
bool writeConsoleOutput(ConsoleHandle, const CharCell*, Coord, Coord, SmallRect&) { return false; }
bool scrollConsoleScreenBuffer(ConsoleHandle, const SmallRect&, Coord, CharCell) { return false; }
bool fillConsoleOutputAttribute(ConsoleHandle, std::uint16_t, std::uint32_t, Coord,
                                std::uint32_t&) {
  return false;
}
bool fillConsoleOutputCharacter(ConsoleHandle, std::uint8_t, std::uint32_t, Coord,
                                std::uint32_t&) {
  return false;
}
bool setConsoleCursorPosition(ConsoleHandle, Coord) { return false; }
bool setConsoleWindowInfo(ConsoleHandle, bool, const SmallRect&) { return false; }
bool getConsoleCursorInfo(ConsoleHandle, CursorInfo&) { return false; }
bool setConsoleCursorInfo(ConsoleHandle, const CursorInfo&) { return false; }

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
bool waitForConsoleInput(ConsoleHandle, std::uint32_t) {
  ++console.sleepCount;
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

void sleepMilliseconds(std::uint32_t) { ++console.sleepCount; }
void beep(std::uint32_t, std::uint32_t) { ++console.beepCount; }

}  // namespace quorvane::platform
