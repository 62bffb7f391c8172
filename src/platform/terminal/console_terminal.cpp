// The terminal backend for Linux and macOS. Until screen output and typing
// arrive, every console call answers "not a console": output passes
// through unchanged and answers are read from the standard input stream.

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/console.h"

namespace quorvane::platform {

namespace {
// The handles stand for the descriptors 0 and 1.
int inputToken = STDIN_FILENO;
int outputToken = STDOUT_FILENO;

int descriptorOf(ConsoleHandle handle) { return *static_cast<const int*>(handle); }
}  // namespace

ConsoleHandle getStdHandle(StandardHandle which) {
  return which == StandardHandle::input ? static_cast<ConsoleHandle>(&inputToken)
                                        : static_cast<ConsoleHandle>(&outputToken);
}

bool getConsoleMode(ConsoleHandle, std::uint32_t&) { return false; }
bool setConsoleMode(ConsoleHandle, std::uint32_t) { return false; }
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
  ssize_t done = 0;
  do {
    done = ::write(descriptorOf(handle), bytes, count);
  } while (done < 0 && errno == EINTR);
  if (done < 0) return false;
  written = static_cast<std::uint32_t>(done);
  return true;
}

bool peekConsoleInput(ConsoleHandle, InputRecord&, std::uint32_t& count) {
  count = 0;
  return false;
}
bool readConsoleInput(ConsoleHandle, InputRecord&) { return false; }
bool waitForConsoleInput(ConsoleHandle, std::uint32_t timeoutMs) {
  sleepMilliseconds(timeoutMs);
  return false;
}
std::uint32_t mapVirtualKey(std::uint32_t, std::uint32_t) { return 0; }
bool setConsoleCtrlHandler(ConsoleControlRoutine, bool) { return false; }

std::size_t readStandardInput(void* bytes, std::size_t count) {
  return std::fread(bytes, 1, count, stdin);
}

void sleepMilliseconds(std::uint32_t milliseconds) {
  ::poll(nullptr, 0, static_cast<int>(milliseconds));
}
void beep(std::uint32_t, std::uint32_t) {}

}  // namespace quorvane::platform
