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
// does (rows scrolled up, text written at a cell, the cursor put on a cell and
// shown or hidden, the bell), and the bytes written for each, once.
TEST(TerminalRender, EachChangeAsTheBytesWritten) {
  // clang-format off
  const std::tuple<int, std::string_view, Coord, Coord, bool, bool, std::string_view> changes[] = {
      {0, "d", {3, 3}, {4, 3}, true, false, "d"},                                 // at the cursor
      {0, "Hi   ", {2, 0}, {3, 3}, true, false, "\x1b[1;3HHi\x1b[3X\x1b[4;4H"},    // elsewhere
      {0, "yz", {6, 2}, {0, 3}, true, false, "\x1b[3;7Hyz\x1b[4;1H"},              // a wrap
      {1, "ok", {0, 3}, {2, 3}, true, false, "\x1b[4;1H\nok"},                    // a scroll
      {0, "", {}, {3, 3}, false, false, "\x1b[?25l"},                              // hidden
      {0, "", {}, {3, 3}, true, true, "\a"}};                                      // the bell
  // clang-format on
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  const auto written = [&ends](TerminalOutput& out, const ScreenModel& screen) {
    writeQueuedOutput(out, screen.cursor, ends[1]);
    std::string bytes;
    readAvailable(ends[0], bytes, 4096);
    return bytes;
  };
  for (const auto& [scrolled, text, at, cursor, visible, bell, bytes] : changes) {
    ScreenModel screen = makeScreen({8, 4}, 4);
    TerminalOutput out;
    placeCursor(screen, {3, 3});
    written(out, screen);
    std::vector<CharCell> cells(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) cells[i].byte = std::uint8_t(text[i]);
    SmallRect area{at.x, at.y, std::int16_t(at.x + int(text.size()) - 1), at.y};
    if (scrolled > 0) renderScroll(screen, {0, std::int16_t(scrolled), 7, 3}, {}, {}, out);
    if (!text.empty())
      renderWriteOutput(screen, cells.data(), cell(int(text.size()), 1), {}, area, out);
    placeCursor(screen, cursor);
    renderCursorInfo(screen, {25, visible}, out);
    if (bell) renderBeep(out);
    EXPECT_EQ(written(out, screen), bytes);
    EXPECT_EQ(written(out, screen), "") << bytes;
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
      {SIGINT, handled, ctrlCEvent, false, false},
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
