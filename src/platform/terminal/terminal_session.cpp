#include "platform/terminal/terminal_session.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "platform/terminal/control_signals.h"
#include "platform/terminal/descriptor_io.h"
#include "platform/terminal/terminal_modes.h"

namespace quorvane::platform {

namespace {

// Larger sides than this are cut: a screen model of that size is plenty.
constexpr int largestSide = 1000;
// Bytes read from the terminal at one time at most.
constexpr std::size_t readLimit = 4096;
// Where is the cursor? The device status report 6.
constexpr char cursorRequest[] = "\x1b[6n";

TerminalSession session;

Coord terminalSize(int descriptor) {
  winsize size{};
  if (::ioctl(descriptor, TIOCGWINSZ, &size) != 0 || size.ws_col == 0 || size.ws_row == 0) {
    return {80, 25};
  }
  return cell(std::min<int>(size.ws_col, largestSide), std::min<int>(size.ws_row, largestSide));
}

// The terminal keys come from: standard input when it is one, else, while
// standard output is one, the process's terminal opened anew; -1: none.
int keyboardTerminal() {
  if (session.inputIsTerminal) return STDIN_FILENO;
  if (!session.outputIsTerminal) return -1;
  return ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
}

// Asks the terminal where its cursor is, and waits for the answer on
// descriptor for at most cursorReportWaitMs; intake decodes what comes.
// Keys that come meanwhile stay in it, and so does the answer owed when
// it does not come in time: it is dropped when it comes.
std::optional<Coord> askCursor(int descriptor, KeyIntake& intake) {
  static_cast<void>(writeAll(STDOUT_FILENO, cursorRequest, sizeof cursorRequest - 1));
  intake.cursorAnswerOwed = true;
  const std::int64_t deadline = monotonicMilliseconds() + cursorReportWaitMs;
  for (std::int64_t now = monotonicMilliseconds(); now < deadline; now = monotonicMilliseconds()) {
    std::string bytes;
    const bool ended =
        waitReadable(descriptor, static_cast<int>(deadline - now)) == WaitOutcome::ready &&
        readAvailable(descriptor, bytes, readLimit) == ReadOutcome::ended;
    const std::int64_t arrival = monotonicMilliseconds();
    takeBytes(intake, bytes, arrival);
    if (const std::optional<Coord> answer = decodePending(intake, arrival, true)) return answer;
    if (ended) break;
  }
  return std::nullopt;
}

// Where the terminal has its cursor, cut to a screen of that size; none
// without an answer. The queue, which must be empty, knows the cursor when
// the answer lies within the size.
std::optional<Coord> askTerminalCursor(TerminalSession& current, Coord size) {
  if (current.rawInput < 0) return std::nullopt;
  KeyIntake otherTerminal;  // keys typed on /dev/tty are no console input
  const std::optional<Coord> answer =
      askCursor(current.rawInput, current.inputIsTerminal ? current.intake : otherTerminal);
  if (!answer) return std::nullopt;
  const Coord cursor =
      cell(std::min<int>(answer->x, size.x - 1), std::min<int>(answer->y, size.y - 1));
  if (cursor.x == answer->x && cursor.y == answer->y) current.output.cursor = cursor;
  return cursor;
}

Coord startingCursor() {
  const Coord size = session.screen.size;
  if (const std::optional<Coord> cursor = askTerminalCursor(session, size)) return *cursor;
  session.output.bytes += "\r\n";
  return cell(0, size.y - 1);
}

// Undoes the start, in reverse order.
void finish() {
  writeTerminalOutput(session);
  restoreTerminal();
  if (session.rawInput >= 0 && !session.inputIsTerminal) ::close(session.rawInput);
}

void start() {
  session.started = true;
  // Output never ends the process: a reader that went away fails a write.
  ignoreBrokenPipe();
  session.inputIsTerminal = ::isatty(STDIN_FILENO) == 1;
  session.outputIsTerminal = ::isatty(STDOUT_FILENO) == 1;
  if (!session.inputIsTerminal && !session.outputIsTerminal) return;
  // Should the list of exit routines be full, the signal handlers still
  // restore the terminal, and the shell does at a normal exit.
  static_cast<void>(std::atexit(finish));
  catchControlSignals();
  const int keyboard = keyboardTerminal();
  if (keyboard >= 0 && inForeground(keyboard) && enterRawInput(keyboard)) {
    session.rawInput = keyboard;
  } else if (keyboard >= 0 && !session.inputIsTerminal) {
    ::close(keyboard);
  }
  if (!session.outputIsTerminal) return;
  noteScreenOutput(STDOUT_FILENO);
  catchResizes();
  const Coord size = terminalSize(STDOUT_FILENO);
  session.windowRows = size.y;
  session.screen = makeScreen(size, size.y);
  session.screen.cursor = startingCursor();
}

}  // namespace

TerminalSession& terminalSession() {
  if (!session.started) start();
  return session;
}

void readTerminalKeys(TerminalSession& current) {
  std::string bytes;
  if (!current.inputEnded && readAvailable(STDIN_FILENO, bytes, readLimit) == ReadOutcome::ended) {
    current.inputEnded = true;
  }
  const std::int64_t now = monotonicMilliseconds();
  takeBytes(current.intake, bytes, now);
  decodePending(current.intake, now, !current.inputEnded);
}

// Without an answer the cursor is taken to keep its cell, as far as the new
// size lets it, and the queue no longer knows it.
void followTerminalResize(TerminalSession& current) {
  if (!takeResize() || !current.outputIsTerminal) return;
  ScreenModel& screen = current.screen;
  const Coord size = terminalSize(STDOUT_FILENO);
  current.output.cursor.reset();
  reshapeScreen(screen, size, askTerminalCursor(current, size).value_or(screen.cursor),
                current.windowRows);
  // A cursor in the last column may still owe the terminal's deferred wrap.
  current.output.wrapPending = screen.cursor.x == size.x - 1;
}

void writeTerminalOutput(TerminalSession& current) {
  if (current.outputIsTerminal) {
    writeQueuedOutput(current.output, current.screen.cursor, STDOUT_FILENO);
  }
}

}  // namespace quorvane::platform
