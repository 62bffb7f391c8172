#include "platform/terminal/terminal_session.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "platform/terminal/control_signals.h"
#include "platform/terminal/cursor_report.h"
#include "platform/terminal/descriptor_io.h"
#include "platform/terminal/terminal_modes.h"
#include "platform/terminal/terminal_render.h"

namespace quorvane::platform {

namespace {

// Larger sides than this are cut: a screen model of that size is plenty.
constexpr int largestSide = 1000;
// Bytes read from the terminal in one pump at most.
constexpr std::size_t pumpLimit = 4096;

TerminalSession session;
bool started = false;

// Screen bytes not yet written: they go out in one write when the process
// is about to wait, or at its end.
std::string pending;
std::size_t pendingMoveStart = std::string::npos;  // where a final cursor move begins
bool flushAtExitRegistered = false;
constexpr std::size_t flushThreshold = 16384;

// The length of the cursor move (CSI row ; column H) that starts at, or 0.
std::size_t cursorMoveLength(const std::string& bytes, std::size_t at) {
  if (bytes.compare(at, 2, "\x1b[") != 0) return 0;
  std::size_t i = at + 2;
  while (i < bytes.size() && ((bytes[i] >= '0' && bytes[i] <= '9') || bytes[i] == ';')) ++i;
  return i < bytes.size() && bytes[i] == 'H' ? i + 1 - at : 0;
}

// Whether the process may set the terminal's modes: it is in the
// terminal's foreground, or the terminal is not its controlling terminal
// at all (a terminal handed to it by another program), where no job
// control can stop it for doing so.
bool inForeground(int descriptor) {
  const pid_t group = ::tcgetpgrp(descriptor);
  return group == -1 || group == ::getpgrp();
}

Coord terminalSize(int descriptor) {
  winsize size{};
  if (::ioctl(descriptor, TIOCGWINSZ, &size) != 0 || size.ws_col == 0 || size.ws_row == 0) {
    return {80, 25};
  }
  return {static_cast<std::int16_t>(std::min<int>(size.ws_col, largestSide)),
          static_cast<std::int16_t>(std::min<int>(size.ws_row, largestSide))};
}

// The descriptor the terminal answers on, switched to raw input; -1 when
// there is none to be had.
int answerDescriptor() {
  if (session.inputIsTerminal) {
    return inForeground(STDIN_FILENO) && enterRawInput(STDIN_FILENO) ? STDIN_FILENO : -1;
  }
  const int terminal = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (terminal < 0) return -1;
  if (inForeground(terminal) && enterRawInput(terminal)) return terminal;
  ::close(terminal);
  return -1;
}

// Asks the terminal where its cursor is. Keys that come with the answer
// on standard input are kept for the key intake.
std::optional<Coord> askCursor(int descriptor) {
  writeScreen(cursorPositionRequest);
  flushScreen();
  std::string bytes;
  std::optional<Coord> answer;
  const std::int64_t deadline = monotonicMilliseconds() + cursorReportWaitMs;
  for (std::int64_t now = monotonicMilliseconds(); now < deadline && !answer;
       now = monotonicMilliseconds()) {
    if (waitReadable(descriptor, static_cast<int>(deadline - now)) == WaitOutcome::ready &&
        readAvailable(descriptor, bytes, pumpLimit) == ReadOutcome::ended) {
      break;
    }
    answer = takeCursorReport(bytes);
  }
  if (descriptor == STDIN_FILENO) {
    takeBytes(session.intake, bytes, monotonicMilliseconds());
    session.intake.cursorReportOutstanding = !answer;
  }
  return answer;
}

Coord startingCursor() {
  const Coord size = session.screen.size;
  const int descriptor = answerDescriptor();
  if (descriptor >= 0) {
    if (const std::optional<Coord> answer = askCursor(descriptor)) {
      return {std::min<std::int16_t>(answer->x, static_cast<std::int16_t>(size.x - 1)),
              std::min<std::int16_t>(answer->y, static_cast<std::int16_t>(size.y - 1))};
    }
  }
  const Coord bottomLeft{0, static_cast<std::int16_t>(size.y - 1)};
  std::string bytes = "\r\n";
  appendCursorPosition(bottomLeft, bytes);
  writeScreen(bytes);
  return bottomLeft;
}

// The terminal's undo runs at exit, and when a control signal ends the
// process. Should the list of exit routines be full, the signal handlers
// still restore the terminal, and the shell does at a normal exit.
void armUndo() {
  static_cast<void>(std::atexit(restoreTerminal));
  catchControlSignals();
}

void start() {
  started = true;
  // Output never ends the process: a reader that went away fails a write.
  ignoreBrokenPipe();
  session.inputIsTerminal = ::isatty(STDIN_FILENO) == 1;
  session.outputIsTerminal = ::isatty(STDOUT_FILENO) == 1;
  if (session.inputIsTerminal || session.outputIsTerminal) armUndo();
  if (session.inputIsTerminal && inForeground(STDIN_FILENO)) enterRawInput(STDIN_FILENO);
  if (!session.outputIsTerminal) return;
  const Coord size = terminalSize(STDOUT_FILENO);
  session.screen = makeScreen(size, size.y);
  session.screen.cursor = startingCursor();
}

}  // namespace

TerminalSession& terminalSession() {
  if (!started) start();
  return session;
}

void readTerminalKeys(TerminalSession& current) {
  std::string bytes;
  if (!current.inputEnded && readAvailable(STDIN_FILENO, bytes, pumpLimit) == ReadOutcome::ended) {
    current.inputEnded = true;
  }
  const std::int64_t now = monotonicMilliseconds();
  takeBytes(current.intake, bytes, now);
  settle(current.intake, now, !current.inputEnded);
}

void writeScreen(const std::string& bytes) {
  if (bytes.empty()) return;
  noteScreenOutput(STDOUT_FILENO);
  if (!flushAtExitRegistered) {
    // Registered after the terminal's undo, so that it runs before it.
    flushAtExitRegistered = true;
    static_cast<void>(std::atexit(flushScreen));
  }
  // A cursor move that another one follows at once is dropped.
  const std::size_t leading = cursorMoveLength(bytes, 0);
  if (leading > 0 && pendingMoveStart != std::string::npos) pending.resize(pendingMoveStart);
  const std::size_t start = pending.size();
  pending += bytes;
  pendingMoveStart = std::string::npos;
  const std::size_t last = pending.rfind('\x1b');
  if (last != std::string::npos && last >= start &&
      cursorMoveLength(pending, last) == pending.size() - last) {
    pendingMoveStart = last;
  }
  if (pending.size() >= flushThreshold) flushScreen();
}

void flushScreen() {
  if (pending.empty()) return;
  // A terminal that is gone takes nothing; the model stays as it is.
  static_cast<void>(writeAll(STDOUT_FILENO, pending.data(), pending.size()));
  pending.clear();
  pendingMoveStart = std::string::npos;
}

}  // namespace quorvane::platform
