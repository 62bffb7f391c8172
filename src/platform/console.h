#pragma once
// The console primitives the console layer stands on, named after the
// Windows console calls they mirror. One backend provides them: the real
// Windows console, a terminal driven by escape sequences, or the simulated
// console of the tests. Each returns false where the Windows call fails.

#include <cstddef>
#include <cstdint>

namespace quorvane::platform {

using ConsoleHandle = void*;

// A cell of the screen buffer, 0-based: column x, row y.
struct Coord {
  std::int16_t x = 0;
  std::int16_t y = 0;
};

// The Coord of column x and row y, from the int arithmetic that found them.
constexpr Coord coord(int x, int y) {
  return {static_cast<std::int16_t>(x), static_cast<std::int16_t>(y)};
}

struct SmallRect {
  std::int16_t left = 0;
  std::int16_t top = 0;
  std::int16_t right = 0;
  std::int16_t bottom = 0;
};

// What a cell holds.
struct CharCell {
  std::uint8_t byte = 0x20;
  std::uint16_t attributes = 0x07;
};

struct ScreenBufferInfo {
  Coord size;
  Coord cursorPosition;
  std::uint16_t attributes = 0x07;
  SmallRect window;
  Coord maximumWindowSize;
};

struct CursorInfo {
  std::uint32_t size = 25;
  bool visible = true;
};

// Bits of KeyEventRecord::controlKeyState.
inline constexpr std::uint32_t rightAltPressed = 0x0001;
inline constexpr std::uint32_t leftAltPressed = 0x0002;
inline constexpr std::uint32_t rightCtrlPressed = 0x0004;
inline constexpr std::uint32_t leftCtrlPressed = 0x0008;
inline constexpr std::uint32_t shiftPressed = 0x0010;
inline constexpr std::uint32_t altPressed = rightAltPressed | leftAltPressed;
inline constexpr std::uint32_t ctrlPressed = rightCtrlPressed | leftCtrlPressed;
inline constexpr std::uint32_t enhancedKey = 0x0100;

struct KeyEventRecord {
  bool keyDown = false;
  std::uint16_t repeatCount = 0;
  std::uint16_t virtualKeyCode = 0;
  std::uint16_t virtualScanCode = 0;
  std::uint8_t asciiChar = 0;
  std::uint32_t controlKeyState = 0;
};

enum class InputEventType : std::uint16_t {
  key = 0x0001,
  mouse = 0x0002,
  bufferSize = 0x0004,
  menu = 0x0008,
  focus = 0x0010,
};

struct InputRecord {
  InputEventType eventType = InputEventType::key;
  KeyEventRecord keyEvent;
};

// Console control events delivered to the control routine.
inline constexpr std::uint32_t ctrlCEvent = 0;
inline constexpr std::uint32_t ctrlBreakEvent = 1;
inline constexpr std::uint32_t ctrlCloseEvent = 2;
inline constexpr std::uint32_t ctrlLogoffEvent = 5;
inline constexpr std::uint32_t ctrlShutdownEvent = 6;

// Returns true when the event was handled; false lets the default act. The
// routine runs on a thread of the platform's, or inside a signal handler:
// it may touch nothing but lock-free atomics.
using ConsoleControlRoutine = bool (*)(std::uint32_t eventType);

// Input modes: Ctrl+C as a control event; keys as the bytes of escape
// sequences (Windows 10 and later).
inline constexpr std::uint32_t enableProcessedInput = 0x0001;
inline constexpr std::uint32_t enableVirtualTerminalInput = 0x0200;
inline constexpr std::uint32_t mapVirtualKeyToChar = 2;

enum class StandardHandle { input, output };

ConsoleHandle getStdHandle(StandardHandle which);
bool getConsoleMode(ConsoleHandle handle, std::uint32_t& mode);
bool setConsoleMode(ConsoleHandle handle, std::uint32_t mode);

bool getConsoleScreenBufferInfo(ConsoleHandle output, ScreenBufferInfo& info);
// Puts the cells of a size.x by size.y block, read from origin, into the
// buffer rectangle target, without moving the cursor. On success target
// holds the rectangle actually written.
bool writeConsoleOutput(ConsoleHandle output, const CharCell* cells, Coord size, Coord origin,
                        SmallRect& target);
// Moves the source rectangle so that its top-left cell lands on destination;
// source cells left uncovered take the fill cell. No clipping rectangle.
bool scrollConsoleScreenBuffer(ConsoleHandle output, const SmallRect& source, Coord destination,
                               CharCell fill);
bool fillConsoleOutputAttribute(ConsoleHandle output, std::uint16_t attributes, std::uint32_t count,
                                Coord from, std::uint32_t& filled);
bool fillConsoleOutputCharacter(ConsoleHandle output, std::uint8_t byte, std::uint32_t count,
                                Coord from, std::uint32_t& filled);
bool setConsoleCursorPosition(ConsoleHandle output, Coord position);
bool setConsoleWindowInfo(ConsoleHandle output, bool absolute, const SmallRect& window);
bool getConsoleCursorInfo(ConsoleHandle output, CursorInfo& info);
bool setConsoleCursorInfo(ConsoleHandle output, const CursorInfo& info);
// Writes bytes unchanged to the handle, whatever it is.
bool writeFile(ConsoleHandle handle, const void* bytes, std::uint32_t count,
               std::uint32_t& written);

// Reports in count (1 or 0) whether an input record is pending, without
// removing it. Fails when the handle is not a console.
bool peekConsoleInput(ConsoleHandle input, InputRecord& record, std::uint32_t& count);
bool readConsoleInput(ConsoleHandle input, InputRecord& record);
// Waits at most timeoutMs for console input to become pending: true as soon
// as input is pending, false after the timeout. A handle that is not a
// console waits the whole timeout.
bool waitForConsoleInput(ConsoleHandle input, std::uint32_t timeoutMs);
std::uint32_t mapVirtualKey(std::uint32_t code, std::uint32_t mapType);
bool setConsoleCtrlHandler(ConsoleControlRoutine routine, bool add);

// Reads up to count bytes from the standard input stream, as it is when it
// is not a console; 0 at its end.
std::size_t readStandardInput(void* bytes, std::size_t count);

void sleepMilliseconds(std::uint32_t milliseconds);
void beep(std::uint32_t frequency, std::uint32_t milliseconds);

}  // namespace quorvane::platform
