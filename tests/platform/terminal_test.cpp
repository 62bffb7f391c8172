// The terminal backend: the bytes that show each change of the screen, and the
// control signals, in child processes. What it shows, its modes and their undo
// are tested end to end, on a real terminal's screen.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>

#include "platform/terminal/control_signals.h"
#include "platform/terminal/descriptor_io.h"
#include "platform/terminal/terminal_render.h"

namespace quorvane::platform {
namespace {

// Changes of an 8 x 4 screen whose cursor stands at 3,3, where the terminal's
// does (a scroll by a row or none, cells filled with x from a cell, the cursor
// put on a cell and shown or hidden, the bell), and the bytes that show each,
// written once: the cursor moved from where it stands, so that a terminal that
// moved the cursor's line with a resize still has the cells in their place.
TEST(TerminalRender, EachChangeInFewBytesFromWhereTheCursorStands) {
  // clang-format off
  const std::tuple<bool, int, Coord, Coord, bool, bool, std::string_view> changes[] = {
      {false, 1, {3, 3}, {4, 3}, true, false, "x"},                    // text at the cursor
      {false, 2, {2, 0}, {3, 3}, true, false, "\x1b[3A\x1b[Dxx\r\n\n\n\x1b[3C"},  // elsewhere
      {false, 2, {6, 2}, {0, 3}, true, false, "\x1b[A\x1b[3Cxx\r\n"},  // the last column
      {true, 2, {0, 3}, {2, 3}, true, false, "\r\nxx"},                 // a scroll
      {false, 0, {}, {3, 3}, false, false, "\x1b[?25l"},                // hidden
      {false, 0, {}, {3, 3}, true, true, "\a"}};                        // the bell
  // clang-format on
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  for (const auto& [scrolled, count, at, cursor, visible, bell, bytes] : changes) {
    ScreenModel screen = makeScreen({8, 4}, 4);
    screen.cursor = {3, 3};
    TerminalOutput out{"", screen.cursor};  // the terminal's cursor where the model's is
    std::uint32_t filled = 0;
    if (scrolled) renderScroll(screen, {0, 1, 7, 3}, {}, {}, out);
    if (count > 0) renderFillCharacters(screen, 'x', std::uint32_t(count), at, filled, out);
    placeCursor(screen, cursor);
    renderCursorInfo(screen, {25, visible}, out);
    if (bell) renderBeep(out);
    for (const std::string_view expected : {bytes, std::string_view()}) {
      writeQueuedOutput(out, screen.cursor, ends[1]);
      std::string written;
      readAvailable(ends[0], written, 4096);
      EXPECT_EQ(written, expected);
    }
  }
  ::close(ends[0]);
  ::close(ends[1]);
}

std::atomic<int> lastEvent{-1};

template <bool handled>
bool noteEvent(std::uint32_t event) {
  lastEvent.store(int(event));
  return handled;
}
constexpr auto handleEvent = noteEvent<true>, refuseEvent = noteEvent<false>;

// In the child: 0 when the routine saw the event (-1: none) and a grace period
// is armed exactly when expected.
[[noreturn]] void raiseAndReport(int signal, int event, bool graceExpected) {
  ::raise(signal);
  const bool graceArmed = ::alarm(0) > 0;
  ::_exit(lastEvent.load() == event && graceArmed == graceExpected ? 0 : 1);
}

enum Routine { handled, refused, removed, ignoredAtStart };

TEST(ControlSignalsDeathTest, EachSignalReachesTheRoutineOrEndsTheProcess) {
  // (the signal and the routine set for it; the event the routine sees, -1 for
  //  none; whether a grace period is armed; whether the signal ends the process)
  const std::tuple<int, Routine, int, bool, bool> cases[] = {
      {SIGHUP, handled, ctrlCloseEvent, true, false},
      {SIGTERM, handled, ctrlShutdownEvent, true, false},
      {SIGQUIT, handled, ctrlBreakEvent, false, false},
      {SIGINT, refused, ctrlCEvent, false, true},
      {SIGTERM, removed, -1, false, true},
      {SIGHUP, ignoredAtStart, -1, false, false}};  // as nohup leaves it
  for (const auto& [signal, routine, event, grace, ends] : cases) {
    const int raised = signal;
    const bool killed = ends;
    EXPECT_EXIT(
        {
          if (routine == ignoredAtStart) ::signal(signal, SIG_IGN);
          setControlRoutine(routine == refused ? refuseEvent : handleEvent, true);
          // removing a routine never set keeps the one set
          setControlRoutine(
              routine == handled || routine == ignoredAtStart ? refuseEvent : handleEvent, false);
          raiseAndReport(signal, event, grace);
        },
        [=](int status) {
          return killed ? WIFSIGNALED(status) && WTERMSIG(status) == raised : status == 0;
        },
        "")
        << signal << " " << routine;
  }
}

}  // namespace
}  // namespace quorvane::platform
