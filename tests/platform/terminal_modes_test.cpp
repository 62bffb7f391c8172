// Mode changes and their undo on a pseudo-terminal of the test's own, and
// the control signals in child processes.

#include "platform/terminal/terminal_modes.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <string>

#include "platform/terminal/control_signals.h"

namespace quorvane::platform {
namespace {

struct PseudoTerminal {
  int master = -1;
  int slave = -1;
};

// Left open to the end of the process: the undo registered with atexit
// still writes to the terminal then, and must not find the descriptor
// reused by another file.
PseudoTerminal openPseudoTerminal() {
  PseudoTerminal terminal;
  terminal.master = ::posix_openpt(O_RDWR | O_NOCTTY);
  if (terminal.master < 0 || ::grantpt(terminal.master) != 0 || ::unlockpt(terminal.master) != 0) {
    return terminal;
  }
  terminal.slave = ::open(::ptsname(terminal.master), O_RDWR | O_NOCTTY);
  return terminal;
}

std::string readAll(int descriptor) {
  std::string bytes;
  char chunk[256];
  pollfd pending{descriptor, POLLIN, 0};
  while (::poll(&pending, 1, 0) > 0) {
    const ssize_t got = ::read(descriptor, chunk, sizeof chunk);
    if (got <= 0) break;
    bytes.append(chunk, static_cast<std::size_t>(got));
  }
  return bytes;
}

bool sameModes(const termios& a, const termios& b) {
  return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
         a.c_lflag == b.c_lflag && std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0;
}

// One test only: a process switches one terminal, once.
TEST(TerminalModesTest, RawInputKeepsSignalsAndEverythingIsUndone) {
  const PseudoTerminal terminal = openPseudoTerminal();
  ASSERT_GE(terminal.slave, 0);
  termios before{};
  ASSERT_EQ(::tcgetattr(terminal.slave, &before), 0);
  ASSERT_NE(before.c_lflag & ICANON, 0u);

  ASSERT_TRUE(enterRawInput(terminal.slave));
  termios raw{};
  ASSERT_EQ(::tcgetattr(terminal.slave, &raw), 0);
  EXPECT_EQ(raw.c_lflag & (ICANON | ECHO | IEXTEN), 0u);
  EXPECT_NE(raw.c_lflag & ISIG, 0u);
  EXPECT_EQ(raw.c_iflag & (ICRNL | INLCR | IGNCR | IXON), 0u);
  EXPECT_EQ(raw.c_cc[VMIN], 0);
  EXPECT_EQ(raw.c_cc[VTIME], 0);
  EXPECT_EQ(raw.c_cc[VSUSP], static_cast<cc_t>(_POSIX_VDISABLE));
  EXPECT_EQ(raw.c_cc[VINTR], before.c_cc[VINTR]);
  EXPECT_EQ(raw.c_oflag, before.c_oflag);

  // The same terminal again is fine; another one is refused.
  EXPECT_TRUE(enterRawInput(terminal.slave));
  const PseudoTerminal other = openPseudoTerminal();
  ASSERT_GE(other.slave, 0);
  EXPECT_FALSE(enterRawInput(other.slave));

  std::string bytes;
  changeCursorVisibility(terminal.slave, false, bytes);
  EXPECT_EQ(bytes, "\x1b[?25l");

  restoreTerminal();
  termios after{};
  ASSERT_EQ(::tcgetattr(terminal.slave, &after), 0);
  EXPECT_TRUE(sameModes(after, before));
  EXPECT_EQ(readAll(terminal.master), "\x1b[0m\x1b[?25h");

  // The undo may run again, at exit or from a signal.
  restoreTerminal();
  ASSERT_EQ(::tcgetattr(terminal.slave, &after), 0);
  EXPECT_TRUE(sameModes(after, before));
}

std::atomic<std::uint32_t> lastEvent{0xFFFF};

bool handleEvent(std::uint32_t eventType) {
  lastEvent.store(eventType);
  return true;
}

bool refuseEvent(std::uint32_t eventType) {
  lastEvent.store(eventType);
  return false;
}

// Exit code 0 when the routine saw the event and a grace period is armed
// (or not) as expected; alarm(0) tells the seconds left of an armed one.
[[noreturn]] void raiseAndReport(int signal, std::uint32_t event, bool graceExpected) {
  ::raise(signal);
  const bool graceArmed = ::alarm(0) > 0;
  ::_exit(lastEvent.load() == event && graceArmed == graceExpected ? 0 : 1);
}

TEST(ControlSignalsDeathTest, HandledCloseAndShutDownGiveAGracePeriod) {
  EXPECT_EXIT(
      {
        setControlRoutine(handleEvent, true);
        raiseAndReport(SIGHUP, ctrlCloseEvent, true);
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_EXIT(
      {
        setControlRoutine(handleEvent, true);
        raiseAndReport(SIGTERM, ctrlShutdownEvent, true);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(ControlSignalsDeathTest, HandledCtrlCAndCtrlBreakChangeNothingElse) {
  EXPECT_EXIT(
      {
        setControlRoutine(handleEvent, true);
        raiseAndReport(SIGINT, ctrlCEvent, false);
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_EXIT(
      {
        setControlRoutine(handleEvent, true);
        raiseAndReport(SIGQUIT, ctrlBreakEvent, false);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(ControlSignalsDeathTest, AnUnhandledEventDiesByItsSignal) {
  EXPECT_EXIT(
      {
        setControlRoutine(refuseEvent, true);
        ::raise(SIGINT);
        ::_exit(0);
      },
      ::testing::KilledBySignal(SIGINT), "");
  EXPECT_EXIT(
      {
        setControlRoutine(handleEvent, true);
        setControlRoutine(handleEvent, false);
        ::raise(SIGTERM);
        ::_exit(0);
      },
      ::testing::KilledBySignal(SIGTERM), "");
}

TEST(ControlSignalsDeathTest, RemovingAnotherRoutineKeepsTheOneInstalled) {
  EXPECT_EXIT(
      {
        setControlRoutine(handleEvent, true);
        setControlRoutine(refuseEvent, false);
        raiseAndReport(SIGHUP, ctrlCloseEvent, true);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace quorvane::platform
