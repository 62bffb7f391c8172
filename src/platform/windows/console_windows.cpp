// The Windows console backend: each primitive is the KERNEL32 or USER32
// call of the same name, with the platform's structures copied across.

#include <windows.h>

#include <cstdio>

#include "platform/console.h"

namespace quorvane::platform {

namespace {

COORD toCoord(Coord c) { return {c.x, c.y}; }
Coord fromCoord(COORD c) { return {c.X, c.Y}; }
SMALL_RECT toRect(const SmallRect& r) { return {r.left, r.top, r.right, r.bottom}; }
SmallRect fromRect(const SMALL_RECT& r) { return {r.Left, r.Top, r.Right, r.Bottom}; }

// The control routine the console layer gave; the console calls it
// through this trampoline on a thread of its own.
ConsoleControlRoutine controlRoutine = nullptr;

BOOL WINAPI controlTrampoline(DWORD eventType) {
  const ConsoleControlRoutine routine = controlRoutine;
  return routine != nullptr && routine(eventType) ? TRUE : FALSE;
}

}  // namespace

ConsoleHandle getStdHandle(StandardHandle which) {
  return ::GetStdHandle(which == StandardHandle::input ? STD_INPUT_HANDLE : STD_OUTPUT_HANDLE);
}

bool getConsoleMode(ConsoleHandle handle, std::uint32_t& mode) {
  DWORD value = 0;
  if (!::GetConsoleMode(handle, &value)) return false;
  mode = value;
  return true;
}

bool setConsoleMode(ConsoleHandle handle, std::uint32_t mode) {
  return ::SetConsoleMode(handle, mode) != FALSE;
}

bool getConsoleScreenBufferInfo(ConsoleHandle output, ScreenBufferInfo& info) {
  CONSOLE_SCREEN_BUFFER_INFO raw{};
  if (!::GetConsoleScreenBufferInfo(output, &raw)) return false;
  info.size = fromCoord(raw.dwSize);
  info.cursorPosition = fromCoord(raw.dwCursorPosition);
  info.attributes = raw.wAttributes;
  info.window = fromRect(raw.srWindow);
  info.maximumWindowSize = fromCoord(raw.dwMaximumWindowSize);
  return true;
}

bool writeConsoleOutput(ConsoleHandle output, const CharCell* cells, Coord size, Coord origin,
                        SmallRect& target) {
  static_assert(sizeof(CHAR_INFO) == 4);
  CHAR_INFO raw[1024];
  const int count = size.x * size.y;
  if (count <= 0 || count > 1024) return false;
  for (int i = 0; i < count; ++i) {
    raw[i].Char.AsciiChar = static_cast<CHAR>(cells[i].byte);
    raw[i].Attributes = cells[i].attributes;
  }
  SMALL_RECT region = toRect(target);
  if (!::WriteConsoleOutputA(output, raw, toCoord(size), toCoord(origin), &region)) return false;
  target = fromRect(region);
  return true;
}

bool scrollConsoleScreenBuffer(ConsoleHandle output, const SmallRect& source, Coord destination,
                               CharCell fill) {
  const SMALL_RECT from = toRect(source);
  CHAR_INFO blank{};
  blank.Char.AsciiChar = static_cast<CHAR>(fill.byte);
  blank.Attributes = fill.attributes;
  return ::ScrollConsoleScreenBufferA(output, &from, nullptr, toCoord(destination), &blank) !=
         FALSE;
}

bool fillConsoleOutputAttribute(ConsoleHandle output, std::uint16_t attributes, std::uint32_t count,
                                Coord from, std::uint32_t& filled) {
  DWORD done = 0;
  const bool ok = ::FillConsoleOutputAttribute(output, attributes, count, toCoord(from), &done);
  filled = done;
  return ok;
}

bool fillConsoleOutputCharacter(ConsoleHandle output, std::uint8_t byte, std::uint32_t count,
                                Coord from, std::uint32_t& filled) {
  DWORD done = 0;
  const bool ok =
      ::FillConsoleOutputCharacterA(output, static_cast<CHAR>(byte), count, toCoord(from), &done);
  filled = done;
  return ok;
}

bool setConsoleCursorPosition(ConsoleHandle output, Coord position) {
  return ::SetConsoleCursorPosition(output, toCoord(position)) != FALSE;
}

bool setConsoleWindowInfo(ConsoleHandle output, bool absolute, const SmallRect& window) {
  const SMALL_RECT rect = toRect(window);
  return ::SetConsoleWindowInfo(output, absolute ? TRUE : FALSE, &rect) != FALSE;
}

bool getConsoleCursorInfo(ConsoleHandle output, CursorInfo& info) {
  CONSOLE_CURSOR_INFO raw{};
  if (!::GetConsoleCursorInfo(output, &raw)) return false;
  info.size = raw.dwSize;
  info.visible = raw.bVisible != FALSE;
  return true;
}

bool setConsoleCursorInfo(ConsoleHandle output, const CursorInfo& info) {
  const CONSOLE_CURSOR_INFO raw{info.size, info.visible ? TRUE : FALSE};
  return ::SetConsoleCursorInfo(output, &raw) != FALSE;
}

bool writeFile(ConsoleHandle handle, const void* bytes, std::uint32_t count,
               std::uint32_t& written) {
  DWORD done = 0;
  const bool ok = ::WriteFile(handle, bytes, count, &done, nullptr) != FALSE;
  written = done;
  return ok;
}

namespace {
InputRecord fromInputRecord(const INPUT_RECORD& raw) {
  InputRecord record;
  record.eventType = static_cast<InputEventType>(raw.EventType);
  if (raw.EventType == KEY_EVENT) {
    const KEY_EVENT_RECORD& key = raw.Event.KeyEvent;
    record.keyEvent.keyDown = key.bKeyDown != FALSE;
    record.keyEvent.repeatCount = key.wRepeatCount;
    record.keyEvent.virtualKeyCode = key.wVirtualKeyCode;
    record.keyEvent.virtualScanCode = key.wVirtualScanCode;
    record.keyEvent.asciiChar = static_cast<std::uint8_t>(key.uChar.AsciiChar);
    record.keyEvent.controlKeyState = key.dwControlKeyState;
    // Wine's console delivers Esc without the character 27 that Windows
    // gives it; without it the key would mean nothing.
    const DWORD modifiers =
        LEFT_ALT_PRESSED | RIGHT_ALT_PRESSED | LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED;
    if (key.wVirtualKeyCode == VK_ESCAPE && key.uChar.AsciiChar == 0 &&
        (key.dwControlKeyState & modifiers) == 0) {
      record.keyEvent.asciiChar = 27;
    }
  }
  return record;
}
}  // namespace

bool peekConsoleInput(ConsoleHandle input, InputRecord& record, std::uint32_t& count) {
  INPUT_RECORD raw{};
  DWORD pending = 0;
  if (!::PeekConsoleInputA(input, &raw, 1, &pending)) return false;
  count = pending;
  if (pending > 0) record = fromInputRecord(raw);
  return true;
}

bool readConsoleInput(ConsoleHandle input, InputRecord& record) {
  INPUT_RECORD raw{};
  DWORD read = 0;
  if (!::ReadConsoleInputA(input, &raw, 1, &read) || read != 1) return false;
  record = fromInputRecord(raw);
  return true;
}

bool waitForConsoleInput(ConsoleHandle input, std::uint32_t timeoutMs) {
  DWORD mode = 0;
  if (!::GetConsoleMode(input, &mode)) {
    ::Sleep(timeoutMs);
    return false;
  }
  return ::WaitForSingleObject(input, timeoutMs) == WAIT_OBJECT_0;
}

std::uint32_t mapVirtualKey(std::uint32_t code, std::uint32_t mapType) {
  return ::MapVirtualKeyA(code, mapType);
}

bool setConsoleCtrlHandler(ConsoleControlRoutine routine, bool add) {
  if (add) controlRoutine = routine;
  const bool ok = ::SetConsoleCtrlHandler(controlTrampoline, add ? TRUE : FALSE) != FALSE;
  if (!add && ok) controlRoutine = nullptr;
  return ok;
}

std::size_t readStandardInput(void* bytes, std::size_t count) {
  return std::fread(bytes, 1, count, stdin);
}

void sleepMilliseconds(std::uint32_t milliseconds) { ::Sleep(milliseconds); }

void beep(std::uint32_t frequency, std::uint32_t milliseconds) { ::Beep(frequency, milliseconds); }

}  // namespace quorvane::platform
