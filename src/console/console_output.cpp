#include "console/console_output.h"

#include "files/error_number.h"

namespace quorvane {

namespace {

ConsoleState consoleState;

constexpr char lineEnd[] = "\r\n";

// Hands the bytes to the output handle until all are written; a failing
// write drops the rest.
int writeThrough(const char* bytes, std::size_t count) {
  const platform::ConsoleHandle output = consoleHandles().output;
  while (count > 0) {
    std::uint32_t written = 0;
    const auto chunk = static_cast<std::uint32_t>(count > 0x40000000 ? 0x40000000 : count);
    if (!platform::writeFile(output, bytes, chunk, written) || written == 0) return -1;
    bytes += written;
    count -= written;
  }
  return 0;
}

}  // namespace

void resetConsoleState() { consoleState = ConsoleState{}; }

ConsoleHandles consoleHandles() {
  if (!consoleState.handlesReady) {
    consoleState.handlesReady = true;
    consoleState.handles.input = platform::getStdHandle(platform::StandardHandle::input);
    consoleState.handles.output = platform::getStdHandle(platform::StandardHandle::output);
    std::uint32_t mode = 0;
    if (consoleState.handles.input != nullptr &&
        platform::getConsoleMode(consoleState.handles.input, mode)) {
      platform::setConsoleMode(consoleState.handles.input, mode | platform::enableProcessedInput);
    }
  }
  return consoleState.handles;
}

bool inputIsConsole() {
  std::uint32_t mode = 0;
  const platform::ConsoleHandle input = consoleHandles().input;
  return input != nullptr && platform::getConsoleMode(input, mode);
}

int consoleWrite(const void* bytes, std::size_t count, unsigned flags) {
  if (count == 0 && (flags & writeEvenIfEmpty) == 0) return 0;
  return writeThrough(static_cast<const char*>(bytes), count);
}

void printText(std::string_view text) {
  if (!text.empty()) consoleWrite(text.data(), text.size());
  setLastError(ErrNone);
}

void printLine(std::string_view text) {
  printText(text);
  printEmptyLine();
}

void printEmptyLine() {
  consoleWrite(lineEnd, 2);
  setLastError(ErrNone);
}

ColumnsRows textAreaSize() { return {80, 25}; }

ColumnRow cursorPosition() { return {0, 0}; }

int locate(int, int, int) {
  setLastError(ErrNone);
  return 0;
}

}  // namespace quorvane
