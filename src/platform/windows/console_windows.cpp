// The Windows console backend. Until screen output and typing arrive, every
// console call answers "not a console": output passes through WriteFile
// unchanged and answers are read from the standard input stream.

#include <windows.h>

#include <cstdio>

#include "platform/console.h"

namespace quorvane::platform {

ConsoleHandle getStdHandle(StandardHandle which) {
  return ::GetStdHandle(which == StandardHandle::input ? STD_INPUT_HANDLE : STD_OUTPUT_HANDLE);
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
  DWORD done = 0;
  const bool ok = ::WriteFile(handle, bytes, count, &done, nullptr) != FALSE;
  written = done;
  return ok;
}

bool peekConsoleInput(ConsoleHandle, InputRecord&, std::uint32_t& count) {
  count = 0;
  return false;
}
bool readConsoleInput(ConsoleHandle, InputRecord&) { return false; }
bool waitForConsoleInput(ConsoleHandle, std::uint32_t timeoutMs) {
  ::Sleep(timeoutMs);
  return false;
}
std::uint32_t mapVirtualKey(std::uint32_t, std::uint32_t) { return 0; }
bool setConsoleCtrlHandler(ConsoleControlRoutine, bool) { return false; }

std::size_t readStandardInput(void* bytes, std::size_t count) {
  return std::fread(bytes, 1, count, stdin);
}

void sleepMilliseconds(std::uint32_t milliseconds) { ::Sleep(milliseconds); }
void beep(std::uint32_t, std::uint32_t) {}

}  // namespace quorvane::platform
