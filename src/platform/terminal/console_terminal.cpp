// The terminal backend for Linux and macOS: the console primitives on a
// terminal driven by escape sequences. Standard output is a screen buffer
// only when it is a terminal: a screen model mirrored onto it through the
// output queue (screen/). Standard input is a console input only when it is
// a terminal: its bytes are decoded into key records (keys/). Anything else
// is no console: the console calls on it fail, writeFile passes bytes
// through and the standard input stream is read as it is.

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/console.h"
#include "platform/screen_model.h"
#include "platform/terminal/keys/intake.h"
#include "platform/terminal/keys/us_layout.h"
#include "platform/terminal/screen/screen_bytes.h"
#include "platform/terminal/tty/descriptor_io.h"
#include "platform/terminal/tty/modes.h"
#include "platform/terminal/tty/signals.h"

namespace quorvane::platform {

namespace {

constexpr int cursorReportWaitMs = 200;
// The modes a console reports before anyone sets them: processed, line and
// echo input; processed output and wrap at the end of a line.
constexpr std::uint32_t startInputMode = 0x0007;
constexpr std::uint32_t startOutputMode = 0x0003;
// Larger sides than this are cut: a screen model of that size is plenty.
constexpr int largestSide = 1000;
// Bytes read from the terminal at one time at most.
constexpr std::size_t readLimit = 4096;
// The longest wait poll(2) takes, in milliseconds.
constexpr std::int64_t longestPollMs = 0x7FFFFFFF;
// readConsoleInput waits for a key this long at a time, then reads again.
constexpr std::uint32_t keyReadSliceMs = 1000;

// The backend's state; what the signal handlers reach lives in tty/.
struct TerminalSession {
  bool started = false;
  bool inputIsTerminal = false;   // standard input is a console input
  bool outputIsTerminal = false;  // standard output is a console screen buffer
  bool inputEnded = false;        // the terminal hung up or its input ended
  std::uint32_t inputMode = startInputMode;
  std::uint32_t outputMode = startOutputMode;
  int windowRows = 25;  // the window's height: the terminal's at the start
  ScreenModel screen;
  OutputQueue output;
  KeyIntake intake;
};

TerminalSession session;

// The handles stand for the descriptors 0 and 1.
int inputToken = STDIN_FILENO;
int outputToken = STDOUT_FILENO;

Coord terminalSize(int descriptor) {
  winsize size{};
  if (::ioctl(descriptor, TIOCGWINSZ, &size) != 0 || size.ws_col == 0 || size.ws_row == 0) {
    return {80, 25};
  }
  return coord(std::min<int>(size.ws_col, largestSide), std::min<int>(size.ws_row, largestSide));
}

// Reads what descriptor has sent into intake and decodes it, ended set once
// its input ends; the answer to a cursor request, if it came.
std::optional<Coord> readAndDecode(int descriptor, KeyIntake& intake, bool& ended) {
  std::string bytes;
  if (!ended && readAvailable(descriptor, bytes, readLimit) == ReadOutcome::ended) ended = true;
  const std::int64_t now = monotonicMilliseconds();
  takeBytes(intake, bytes, now);
  return decodePending(intake, now, !ended);
}

// Asks the terminal where its cursor is and waits on descriptor for at most
// cursorReportWaitMs. Keys that come meanwhile stay in intake, and so does
// an answer owed when it comes late: it is dropped then.
std::optional<Coord> askCursor(int descriptor, KeyIntake& intake) {
  static_cast<void>(writeAll(STDOUT_FILENO, "\x1b[6n", 4));
  intake.cursorAnswerOwed = true;
  bool ended = false;
  const std::int64_t deadline = monotonicMilliseconds() + cursorReportWaitMs;
  for (std::int64_t now = monotonicMilliseconds(); now < deadline && !ended;
       now = monotonicMilliseconds()) {
    static_cast<void>(waitReadable(descriptor, static_cast<int>(deadline - now)));
    if (const std::optional<Coord> answer = readAndDecode(descriptor, intake, ended)) return answer;
  }
  return std::nullopt;
}

// Where the terminal has its cursor, cut to a screen of that size; none
// without an answer. The queue, which must be empty, knows the cursor when
// the answer lies within the size.
std::optional<Coord> askTerminalCursor(Coord size) {
  const int keyboard = rawInputDescriptor();
  if (keyboard < 0) return std::nullopt;
  KeyIntake otherTerminal;  // keys typed on /dev/tty are no console input
  const std::optional<Coord> answer =
      askCursor(keyboard, session.inputIsTerminal ? session.intake : otherTerminal);
  if (!answer) return std::nullopt;
  const Coord cursor =
      coord(std::min<int>(answer->x, size.x - 1), std::min<int>(answer->y, size.y - 1));
  if (cursor.x == answer->x && cursor.y == answer->y) session.output.cursor = cursor;
  return cursor;
}

// The queue is written before every wait for input or time, at a beep, at
// the end, and once outputQueueLimit bytes have gathered.
void flushOutput() {
  if (session.outputIsTerminal) flushQueue(session.output, session.screen.cursor, STDOUT_FILENO);
}

// The terminal keys come from: standard input when it is one, else, while
// standard output is one, the process's terminal opened anew; -1: none.
int openKeyboardTerminal() {
  if (session.inputIsTerminal) return STDIN_FILENO;
  if (!session.outputIsTerminal) return -1;
  return ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
}

// Without an answer, a line feed is written and the cursor taken to be in
// the bottom left cell.
Coord startingCursor() {
  const Coord size = session.screen.size;
  if (const std::optional<Coord> cursor = askTerminalCursor(size)) return *cursor;
  session.output.bytes += "\r\n";
  return coord(0, size.y - 1);
}

// The start undone, in reverse order.
void finishSession() {
  flushOutput();
  restoreTerminal();
  const int keyboard = rawInputDescriptor();
  if (keyboard >= 0 && !session.inputIsTerminal) ::close(keyboard);
}

// With a terminal on either side: the finish armed, at exit and on the
// control signals; raw input for the keyboard's terminal when the process
// has it in the foreground, so that keys typed while output is printed are
// not echoed; a screen model of standard output's size and the cursor asked.
void startSession() {
  session.started = true;
  ignoreBrokenPipe();  // a reader that went away fails a write instead of ending the process
  session.inputIsTerminal = ::isatty(STDIN_FILENO) == 1;
  session.outputIsTerminal = ::isatty(STDOUT_FILENO) == 1;
  if (!session.inputIsTerminal && !session.outputIsTerminal) return;
  // Should the list of exit routines be full, the signal handlers still
  // restore the terminal, and the shell does at a normal exit.
  static_cast<void>(std::atexit(finishSession));
  catchControlSignals();
  const int keyboard = openKeyboardTerminal();
  const bool raw = keyboard >= 0 && inForeground(keyboard) && enterRawInput(keyboard);
  if (!raw && keyboard >= 0 && !session.inputIsTerminal) ::close(keyboard);
  if (!session.outputIsTerminal) return;
  armOutputReset(STDOUT_FILENO);
  catchResizes();
  const Coord size = terminalSize(STDOUT_FILENO);
  session.windowRows = size.y;
  session.screen = makeScreen(size, size.y);
  session.screen.cursor = startingCursor();
}

// The session, started on the first call.
TerminalSession& startedSession() {
  if (!session.started) startSession();
  return session;
}

bool isInputHandle(ConsoleHandle handle) { return handle == &inputToken; }
bool isOutputHandle(ConsoleHandle handle) { return handle == &outputToken; }

bool isConsoleInput(ConsoleHandle handle) {
  return isInputHandle(handle) && startedSession().inputIsTerminal;
}

// The screen model behind the handle; null when it is no screen buffer.
ScreenModel* screenOf(ConsoleHandle handle) {
  TerminalSession& started = startedSession();
  return isOutputHandle(handle) && started.outputIsTerminal ? &started.screen : nullptr;
}

// A queue grown to its limit is written at once.
void flushOutputWhenFull() {
  if (session.output.bytes.size() >= outputQueueLimit) flushOutput();
}

// A terminal resized since the last look (SIGWINCH): the model takes the
// new size and the cursor asked anew, its lines moved with the cursor's, as
// a terminal moves them. Without an answer the cursor keeps its cell as far
// as the size lets it, and the queue no longer knows it. Runs at each wait
// and whenever input is taken, before the key it brings is acted on.
void followResizes() {
  if (!resizeNoted()) return;
  flushOutput();
  if (!takeResize() || !session.outputIsTerminal) return;
  ScreenModel& screen = session.screen;
  const Coord size = terminalSize(STDOUT_FILENO);
  session.output.cursor.reset();
  reshapeScreen(screen, size, askTerminalCursor(size).value_or(screen.cursor), session.windowRows);
  // A cursor in the last column may still owe the terminal's deferred wrap.
  session.output.wrapPending = screen.cursor.x == size.x - 1;
}

// What each wait does first.
void catchUpWithTerminal() {
  flushOutput();
  followResizes();
}

// Reads and decodes what standard input's terminal has sent; whether a key
// is waiting. The input's end is the terminal's hang-up.
bool readKeys() {
  const bool endedBefore = session.inputEnded;
  readAndDecode(STDIN_FILENO, session.intake, session.inputEnded);
  if (session.inputEnded && !endedBefore) answerHangUp();
  return !session.intake.keys.empty();
}

// Waits at most timeoutMs for standard input's terminal to send more. A
// partial escape sequence has been read off the terminal already, so the
// poll does not see it: the wait is cut to the moment it is decoded as it
// stands. False when a signal ended the wait.
bool waitForTerminalBytes(std::uint32_t timeoutMs) {
  std::int64_t wait = std::min<std::int64_t>(timeoutMs, longestPollMs);
  const std::int64_t untilDecoded = msUntilDecoded(session.intake, monotonicMilliseconds());
  if (untilDecoded >= 0) wait = std::min(wait, untilDecoded);
  return waitReadable(STDIN_FILENO, static_cast<int>(wait)) != WaitOutcome::interrupted;
}

}  // namespace

ConsoleHandle getStdHandle(StandardHandle which) {
  startedSession();
  return which == StandardHandle::input ? static_cast<ConsoleHandle>(&inputToken)
                                        : static_cast<ConsoleHandle>(&outputToken);
}

bool getConsoleMode(ConsoleHandle handle, std::uint32_t& mode) {
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

// Each call that changes the screen changes the model, then queues the
// bytes that show the change.
bool writeConsoleOutput(ConsoleHandle output, const CharCell* cells, Coord size, Coord origin,
                        SmallRect& target) {
  ScreenModel* screen = screenOf(output);
  if (screen == nullptr || !writeCells(*screen, cells, size, origin, target)) return false;
  queueRect(session.output, *screen, target);
  flushOutputWhenFull();
  return true;
}

bool scrollConsoleScreenBuffer(ConsoleHandle output, const SmallRect& source, Coord destination,
                               CharCell fill) {
  ScreenModel* screen = screenOf(output);
  if (screen == nullptr || !scrollCells(*screen, source, destination, fill)) return false;
  queueScroll(session.output, *screen, source, destination);
  flushOutputWhenFull();
  return true;
}

// Attributes are not drawn: nothing to queue.
bool fillConsoleOutputAttribute(ConsoleHandle output, std::uint16_t attributes, std::uint32_t count,
                                Coord from, std::uint32_t& filled) {
  filled = 0;
  ScreenModel* screen = screenOf(output);
  return screen != nullptr && fillAttributes(*screen, attributes, count, from, filled);
}

bool fillConsoleOutputCharacter(ConsoleHandle output, std::uint8_t byte, std::uint32_t count,
                                Coord from, std::uint32_t& filled) {
  filled = 0;
  ScreenModel* screen = screenOf(output);
  if (screen == nullptr || !fillCharacters(*screen, byte, count, from, filled)) return false;
  queueFilledCells(session.output, *screen, from, filled);
  flushOutputWhenFull();
  return true;
}

// The terminal's cursor follows when the queue is written.
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
  ScreenModel* screen = screenOf(output);
  if (screen == nullptr) return false;
  const bool wasVisible = screen->cursorInfo.visible;
  if (!setCursorShape(*screen, info)) return false;
  queueCursorVisibility(session.output, *screen, wasVisible);
  flushOutputWhenFull();
  return true;
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
  followResizes();
  if (readKeys()) {
    record = {InputEventType::key, session.intake.keys.front()};
    count = 1;
  }
  return true;
}

// Waits for a key as the console does; false once the terminal's input
// has ended and no key is left.
bool readConsoleInput(ConsoleHandle input, InputRecord& record) {
  if (!isConsoleInput(input)) return false;
  followResizes();
  for (;;) {
    if (readKeys()) {
      record = {InputEventType::key, session.intake.keys.front()};
      session.intake.keys.pop_front();
      return true;
    }
    if (session.inputEnded) return false;
    waitForConsoleInput(input, keyReadSliceMs);
  }
}

bool waitForConsoleInput(ConsoleHandle input, std::uint32_t timeoutMs) {
  if (!isConsoleInput(input) || session.inputEnded) {
    sleepMilliseconds(timeoutMs);
    return false;
  }
  catchUpWithTerminal();
  if (readKeys()) return true;
  const bool woken = waitForTerminalBytes(timeoutMs);
  followResizes();
  return woken && readKeys();
}

std::uint32_t mapVirtualKey(std::uint32_t code, std::uint32_t mapType) {
  return mapType == mapVirtualKeyToChar ? unshiftedCharacter(code) : 0;
}

bool setConsoleCtrlHandler(ConsoleControlRoutine routine, bool add) {
  setControlRoutine(routine, add);
  return true;
}

std::size_t readStandardInput(void* bytes, std::size_t count) {
  startedSession();
  catchUpWithTerminal();
  return std::fread(bytes, 1, count, stdin);
}

// Ends early when a signal comes, so that a waiting loop sees at once what
// the control routine stored.
void sleepMilliseconds(std::uint32_t milliseconds) {
  startedSession();
  catchUpWithTerminal();
  ::poll(nullptr, 0, static_cast<int>(std::min<std::int64_t>(milliseconds, longestPollMs)));
}

// The frequency and length are the terminal's. Returns at once.
void beep(std::uint32_t, std::uint32_t) {
  if (!startedSession().outputIsTerminal) return;
  queueBeep(session.output);
  flushOutput();
}

}  // namespace quorvane::platform
