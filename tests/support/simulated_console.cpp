#include "simulated_console.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/terminal/keys/us_layout.h"

namespace quorvane::testing {
namespace {

SimulatedConsole& console = simulatedConsole;
int inputObject = 0, outputObject = 0;  // the handles are their addresses

bool isInput(platform::ConsoleHandle h) { return h == &inputObject && console.inputIsConsole; }
bool isScreen(platform::ConsoleHandle h) { return h == &outputObject && console.outputIsConsole; }
// A real console clips or refuses a cell outside the buffer; none may be
// named. Counts such a cell and lets the call go on, so it is always true.
bool countedIfOutside(platform::Coord cell) {
  console.outsideBuffer += platform::insideScreen(console.screen, cell) ? 0 : 1;
  return true;
}

}  // namespace

void resizeScreen(int columns, int rows) {
  platform::reshapeScreen(console.screen, {std::int16_t(columns), std::int16_t(rows)},
                          console.screen.cursor, rows);
}

void useScreen(int columns, int rows, int windowRows) {
  console.outputIsConsole = true;
  console.screen =
      platform::makeScreen({std::int16_t(columns), std::int16_t(rows)}, std::int16_t(windowRows));
}

std::string screenRow(int row) {
  std::string text;
  for (std::int16_t x = 0; x < console.screen.size.x; ++x) {
    text += char(platform::cellAt(console.screen, {x, std::int16_t(row)}).byte);
  }
  return text;
}

void queueKeys(std::string_view keys) {
  // The named keys by scan code from 0x47 on, and what follows their "\x1b[" as bytes.
  constexpr std::string_view names[] = {"Home", "Up",  "PgUp", "", "Left", "",   "Right",
                                        "",     "End", "Down", "", "Ins",  "Del"};
  constexpr std::string_view sequences[] = {"H", "A", "5~", "", "D",  "",  "C",
                                            "",  "F", "B",  "", "2~", "3~"};
  console.inputIsConsole = true;
  for (std::size_t length = 1; !keys.empty(); keys.remove_prefix(length)) {
    const std::size_t close = keys.find('>');
    const bool named = keys[0] == '<' && close != std::string_view::npos;
    length = named ? close + 1 : 1;
    const auto index = std::find(names, std::end(names), keys.substr(1, length - 2)) - names;
    const auto character = std::uint8_t(named ? 0 : keys[0]);
    if ((console.inputMode & platform::enableVirtualTerminalInput) != 0) {  // bytes, no key
      for (const char byte : named ? "\x1b[" + std::string(sequences[index])
                                   : std::string(1, character == '\b' ? '\x7f' : keys[0]))
        console.input.push_back(
            {platform::InputEventType::key, {true, 1, 0, 0, std::uint8_t(byte), 0}});
      continue;
    }
    for (const bool down : {true, false}) {
      console.input.push_back({platform::InputEventType::key,
                               {down, 1, 0, std::uint16_t(named ? 0x47 + index : 0), character,
                                named ? platform::enhancedKey : 0}});
    }
  }
}

}  // namespace quorvane::testing

namespace quorvane::platform {

using namespace testing;

ConsoleHandle getStdHandle(StandardHandle which) {
  return which == StandardHandle::input ? &testing::inputObject : &testing::outputObject;
}

// A call that fails leaves its outputs as they were.
bool getConsoleMode(ConsoleHandle handle, std::uint32_t& mode) {
  if (isInput(handle) || isScreen(handle)) mode = console.inputMode;
  return isInput(handle) || isScreen(handle);
}

bool setConsoleMode(ConsoleHandle handle, std::uint32_t mode) {
  if (isInput(handle)) console.inputMode = mode;
  return isInput(handle);
}

bool getConsoleScreenBufferInfo(ConsoleHandle handle, ScreenBufferInfo& info) {
  if (isScreen(handle)) info = screenInfo(console.screen);
  return isScreen(handle);
}

bool writeConsoleOutput(ConsoleHandle handle, const CharCell* cells, Coord size, Coord origin,
                        SmallRect& target) {
  if (!isScreen(handle)) return false;
  console.writesShown += console.screen.cursorInfo.visible ? 1 : 0;
  return countedIfOutside({target.left, target.top}) &&
         countedIfOutside({target.right, target.bottom}) &&
         writeCells(console.screen, cells, size, origin, target);
}

bool scrollConsoleScreenBuffer(ConsoleHandle handle, const SmallRect& source, Coord destination,
                               CharCell fill) {
  ++console.scrollCalls;
  return isScreen(handle) && countedIfOutside({source.left, source.top}) &&
         countedIfOutside({source.right, source.bottom}) &&
         scrollCells(console.screen, source, destination, fill);
}

bool fillConsoleOutputAttribute(ConsoleHandle handle, std::uint16_t attributes, std::uint32_t count,
                                Coord from, std::uint32_t& filled) {
  return isScreen(handle) && countedIfOutside(from) &&
         fillAttributes(console.screen, attributes, count, from, filled);
}

bool fillConsoleOutputCharacter(ConsoleHandle handle, std::uint8_t byte, std::uint32_t count,
                                Coord from, std::uint32_t& filled) {
  return isScreen(handle) && countedIfOutside(from) &&
         fillCharacters(console.screen, byte, count, from, filled);
}

bool setConsoleCursorPosition(ConsoleHandle handle, Coord position) {
  return isScreen(handle) && countedIfOutside(position) && placeCursor(console.screen, position);
}

bool setConsoleWindowInfo(ConsoleHandle handle, bool absolute, const SmallRect& window) {
  return isScreen(handle) && placeWindow(console.screen, absolute, window);
}

bool getConsoleCursorInfo(ConsoleHandle handle, CursorInfo& info) {
  if (isScreen(handle)) info = console.screen.cursorInfo;
  return isScreen(handle);
}

bool setConsoleCursorInfo(ConsoleHandle handle, const CursorInfo& info) {
  return isScreen(handle) && setCursorShape(console.screen, info);
}

bool writeFile(ConsoleHandle handle, const void* bytes, std::uint32_t count,
               std::uint32_t& written) {
  written = handle == &testing::outputObject ? count : 0;
  console.standardOutput.append(static_cast<const char*>(bytes), written);
  return written == count;
}

bool peekConsoleInput(ConsoleHandle handle, InputRecord& record, std::uint32_t& count) {
  if (isInput(handle) && !console.input.empty()) record = console.input.front();
  if (isInput(handle)) count = console.input.empty() ? 0 : 1;
  return isInput(handle);
}

bool readConsoleInput(ConsoleHandle handle, InputRecord& record) {
  if (!isInput(handle) || console.input.empty()) return false;
  record = console.input.front();
  console.input.pop_front();
  return true;
}

// A wait that would never end aborts the test.
bool waitForConsoleInput(ConsoleHandle handle, std::uint32_t timeoutMs) {
  console.waits.push_back(timeoutMs);
  if (console.onWait) console.onWait(int(console.waits.size()));
  if (console.waits.size() > 100000)
    std::fputs("a wait for input that never comes\n", stderr), std::abort();
  return isInput(handle) && !console.input.empty();
}

std::uint32_t mapVirtualKey(std::uint32_t code, std::uint32_t mapType) {
  return mapType == mapVirtualKeyToChar ? unshiftedCharacter(code) : 0;
}

bool setConsoleCtrlHandler(ConsoleControlRoutine routine, bool add) {
  if (add || console.controlRoutine == routine) console.controlRoutine = add ? routine : nullptr;
  return true;
}

std::size_t readStandardInput(void* bytes, std::size_t count) {
  const std::size_t n = std::min(count, console.standardInput.size());
  std::memcpy(bytes, console.standardInput.data(), n);
  console.standardInput.erase(0, n);
  return n;
}

void sleepMilliseconds(std::uint32_t) {}

void beep(std::uint32_t frequency, std::uint32_t milliseconds) {
  console.beeps.emplace_back(frequency, milliseconds);
}

}  // namespace quorvane::platform
