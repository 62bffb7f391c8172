// The terminal backend for Linux and macOS: the console primitives on top
// of a terminal driven by escape sequences.
//
// Standard output is a console screen buffer only when it is a terminal:
// the screen model of terminal_session.h, mirrored onto the terminal as
// terminal_render.h describes, through the queue of terminal_output.h.
// Standard input is a
// console input only when it is a terminal: its bytes are decoded into key
// records (key_decoder.h). Anything else is no console: the console calls
// on it fail, writeFile passes bytes through unchanged and the standard
// input stream is read as it is.

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "platform/console.h"
#include "platform/terminal/control_signals.h"
#include "platform/terminal/descriptor_io.h"
#include "platform/terminal/terminal_render.h"
#include "platform/terminal/terminal_session.h"
#include "platform/terminal/us_layout.h"

namespace quorvane::platform {

namespace {

// The handles stand for the descriptors 0 and 1.
int inputToken = STDIN_FILENO;
int outputToken = STDOUT_FILENO;

// The longest wait poll(2) takes, in milliseconds.
constexpr std::int64_t longestPollMs = 0x7FFFFFFF;
// readConsoleInput waits for a key this long at a time, then reads again.
constexpr std::uint32_t keyReadSliceMs = 1000;

bool isInputHandle(ConsoleHandle handle) { return handle == &inputToken; }
bool isOutputHandle(ConsoleHandle handle) { return handle == &outputToken; }

bool isConsoleInput(ConsoleHandle handle) {
  return isInputHandle(handle) && terminalSession().inputIsTerminal;
}

// The screen model behind the handle; null when it is no screen buffer.
ScreenModel* screenOf(ConsoleHandle handle) {
  TerminalSession& session = terminalSession();
  return isOutputHandle(handle) && session.outputIsTerminal ? &session.screen : nullptr;
}

// Carries out a console call that changes the screen buffer behind handle:
// step, a render step, changes the model and queues the bytes that show
// it; a queue grown to outputQueueLimit is written at once.
template <typename Step>
bool changeScreen(ConsoleHandle handle, Step step) {
  ScreenModel* screen = screenOf(handle);
  if (screen == nullptr) return false;
  TerminalSession& session = terminalSession();
  if (!step(*screen, session.output)) return false;
  if (session.output.bytes.size() >= outputQueueLimit) writeTerminalOutput(session);
  return true;
}

// Waits at most timeoutMs for standard input's terminal to send more. A
// partial escape sequence has been read off the terminal already, so the
// poll does not see it: the wait is cut to the moment it is decoded as it
// stands. False when a signal ended the wait.
bool waitForTerminalBytes(const TerminalSession& session, std::uint32_t timeoutMs) {
  std::int64_t wait = std::min<std::int64_t>(timeoutMs, longestPollMs);
  const std::int64_t untilDecoded = msUntilDecoded(session.intake, monotonicMilliseconds());
  if (untilDecoded >= 0) wait = std::min(wait, untilDecoded);
  return waitReadable(STDIN_FILENO, static_cast<int>(wait)) != WaitOutcome::interrupted;
}

// Reads and decodes what the terminal has sent; whether a key is waiting.
bool keyPending(TerminalSession& session) {
  readTerminalKeys(session);
  return !session.intake.keys.empty();
}

// A resize since the last look is followed, once what is queued is written,
// wherever the console layer may meet the new size next: at each wait and
// whenever input is taken, before the key it brings is acted on.
void followResizes(TerminalSession& session) {
  if (!resizeNoted()) return;
  writeTerminalOutput(session);
  followTerminalResize(session);
}

// What each wait does first.
void catchUpWithTerminal(TerminalSession& session) {
  writeTerminalOutput(session);
  followResizes(session);
}

}  // namespace

ConsoleHandle getStdHandle(StandardHandle which) {
  terminalSession();
  return which == StandardHandle::input ? static_cast<ConsoleHandle>(&inputToken)
                                        : static_cast<ConsoleHandle>(&outputToken);
}

bool getConsoleMode(ConsoleHandle handle, std::uint32_t& mode) {
  TerminalSession& session = terminalSession();
  if (isConsoleInput(handle)) {
    mode = session.inputMode;
    return true;
  }
  if (screenOf(handle) == nullptr) return false;
  mode = session.outputMode;
  return true;
}

// The mode is kept and reported back; the terminal's own modes stay as
// set up (Ctrl+C stays a signal whatever the processed-input bit says).
bool setConsoleMode(ConsoleHandle handle, std::uint32_t mode) {
  TerminalSession& session = terminalSession();
  if (isConsoleInput(handle)) {
    session.inputMode = mode;
    return true;
  }
  if (screenOf(handle) == nullptr) return false;
  session.outputMode = mode;
  return true;
}

bool getConsoleScreenBufferInfo(ConsoleHandle output, ScreenBufferInfo& info) {
  const ScreenModel* screen = screenOf(output);
  if (screen == nullptr) return false;
  info = screenInfo(*screen);
  return true;
}

bool writeConsoleOutput(ConsoleHandle output, const CharCell* cells, Coord size, Coord origin,
                        SmallRect& target) {
  return changeScreen(output, [&](ScreenModel& screen, TerminalOutput& out) {
    return renderWriteOutput(screen, cells, size, origin, target, out);
  });
}

bool scrollConsoleScreenBuffer(ConsoleHandle output, const SmallRect& source, Coord destination,
                               CharCell fill) {
  return changeScreen(output, [&](ScreenModel& screen, TerminalOutput& out) {
    return renderScroll(screen, source, destination, fill, out);
  });
}

// Attributes are not drawn: the model changes, the terminal does not.
bool fillConsoleOutputAttribute(ConsoleHandle output, std::uint16_t attributes, std::uint32_t count,
                                Coord from, std::uint32_t& filled) {
  filled = 0;
  ScreenModel* screen = screenOf(output);
  return screen != nullptr && fillAttributes(*screen, attributes, count, from, filled);
}

bool fillConsoleOutputCharacter(ConsoleHandle output, std::uint8_t byte, std::uint32_t count,
                                Coord from, std::uint32_t& filled) {
  filled = 0;
  return changeScreen(output, [&](ScreenModel& screen, TerminalOutput& out) {
    return renderFillCharacters(screen, byte, count, from, filled, out);
  });
}

// The terminal's cursor follows when the output queue is written.
bool setConsoleCursorPosition(ConsoleHandle output, Coord position) {
  ScreenModel* screen = screenOf(output);
  return screen != nullptr && placeCursor(*screen, position);
}

// The window is the model's alone: the rows the console layer scrolls,
// which the terminal shows all along with the rest.
bool setConsoleWindowInfo(ConsoleHandle output, bool absolute, const SmallRect& window) {
  ScreenModel* screen = screenOf(output);
  return screen != nullptr && placeWindow(*screen, absolute, window);
}

bool getConsoleCursorInfo(ConsoleHandle output, CursorInfo& info) {
  const ScreenModel* screen = screenOf(output);
  if (screen == nullptr) return false;
  info = screen->cursorInfo;
  return true;
}

bool setConsoleCursorInfo(ConsoleHandle output, const CursorInfo& info) {
  return changeScreen(output, [&](ScreenModel& screen, TerminalOutput& out) {
    return renderCursorInfo(screen, info, out);
  });
}

bool writeFile(ConsoleHandle handle, const void* bytes, std::uint32_t count,
               std::uint32_t& written) {
  written = 0;
  if (!isInputHandle(handle) && !isOutputHandle(handle)) return false;
  if (!writeAll(*static_cast<const int*>(handle), bytes, count)) return false;
  written = count;
  return true;
}

bool peekConsoleInput(ConsoleHandle input, InputRecord& record, std::uint32_t& count) {
  count = 0;
  if (!isConsoleInput(input)) return false;
  TerminalSession& session = terminalSession();
  followResizes(session);
  if (keyPending(session)) {
    record = {InputEventType::key, session.intake.keys.front()};
    count = 1;
  }
  return true;
}

// Waits for a key as the console does; false once the terminal's input
// has ended and no key is left.
bool readConsoleInput(ConsoleHandle input, InputRecord& record) {
  if (!isConsoleInput(input)) return false;
  TerminalSession& session = terminalSession();
  followResizes(session);
  for (;;) {
    if (keyPending(session)) {
      record = {InputEventType::key, session.intake.keys.front()};
      session.intake.keys.pop_front();
      return true;
    }
    if (session.inputEnded) return false;
    waitForConsoleInput(input, keyReadSliceMs);
  }
}

// What is queued is written first. A signal ends the wait early.
bool waitForConsoleInput(ConsoleHandle input, std::uint32_t timeoutMs) {
  TerminalSession& session = terminalSession();
  if (!isConsoleInput(input) || session.inputEnded) {
    sleepMilliseconds(timeoutMs);
    return false;
  }
  catchUpWithTerminal(session);
  if (keyPending(session)) return true;
  const bool woken = waitForTerminalBytes(session, timeoutMs);
  followResizes(session);
  return woken && keyPending(session);
}

std::uint32_t mapVirtualKey(std::uint32_t code, std::uint32_t mapType) {
  return mapType == mapVirtualKeyToChar ? unshiftedCharacter(code) : 0;
}

bool setConsoleCtrlHandler(ConsoleControlRoutine routine, bool add) {
  setControlRoutine(routine, add);
  return true;
}

std::size_t readStandardInput(void* bytes, std::size_t count) {
  catchUpWithTerminal(terminalSession());
  return std::fread(bytes, 1, count, stdin);
}

// Ends early when a signal comes, so that a waiting loop sees at once what
// the control routine stored.
void sleepMilliseconds(std::uint32_t milliseconds) {
  catchUpWithTerminal(terminalSession());
  ::poll(nullptr, 0, static_cast<int>(std::min<std::int64_t>(milliseconds, longestPollMs)));
}

// The frequency and length are the terminal's. Returns at once.
void beep(std::uint32_t, std::uint32_t) {
  TerminalSession& session = terminalSession();
  if (session.outputIsTerminal) {
    renderBeep(session.output);
    writeTerminalOutput(session);
  }
}

}  // namespace quorvane::platform
