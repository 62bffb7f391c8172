// The terminal backend: its screen model and the bytes that mirror it onto a
// terminal, the control signals (in child processes), a write that cannot go on. The terminal's
// modes and their undo are tested end to end.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <functional>

#include "platform/screen_model.h"
#include "platform/terminal/control_signals.h"
#include "platform/terminal/descriptor_io.h"
#include "platform/terminal/terminal_render.h"

namespace quorvane::platform {
namespace {

bool write(ScreenModel& screen, std::string_view text, int x, int y, TerminalOutput& out) {
  std::vector<CharCell> cells;
  for (const char c : text) cells.push_back({std::uint8_t(c), 7});
  SmallRect target{std::int16_t(x), std::int16_t(y), std::int16_t(x + int(text.size()) - 1),
                   std::int16_t(y)};
  return renderWriteOutput(screen, cells.data(), {std::int16_t(text.size()), 1}, {0, 0}, target,
                           out);
}

TEST(TerminalRender, EachChangeAsTheFewestBytes) {
  using Screen = ScreenModel;
  std::uint32_t filled = 0;
  // (a change to an 8 x 4 screen that shows "abcdefgh" and "ABCDEFGH" on its
  //  rows 1 and 2, the cursor at 3,3; the bytes that show it)
  // clang-format off
  const std::pair<std::function<bool(Screen&, TerminalOutput&)>, std::string> changes[] = {
      {[](auto& s, auto& out) { return write(s, "Hi", 2, 0, out); }, "\x1b[1;3HHi\x1b[4;4H"},
      // the code page's glyphs, a blank tail erased, a single blank written
      {[](auto& s, auto& out) { return write(s, "\a\r\x1b\x82  ", 1, 0, out); },
       "\x1b[1;2H\u2022\u266a\u2190\u00e9\x1b[2X\x1b[4;4H"},
      {[](auto& s, auto& out) { return write(s, "a ", 0, 3, out); }, "\x1b[4;1Ha \x1b[4;4H"},
      // fills, row by row; attributes are not drawn
      {[&](auto& s, auto& out) { return renderFillCharacters(s, ' ', 8, {0, 1}, filled, out); },
       "\x1b[2;1H\x1b[8X\x1b[4;4H"},
      {[&](auto& s, auto& out) { return renderFillCharacters(s, 'x', 10, {7, 0}, filled, out); },
       "\x1b[1;8Hx\x1b[2;1Hxxxxxxxx\x1b[3;1Hx\x1b[4;4H"},
      {[&](auto& s, auto& out) { return renderFillAttributes(s, 0x1F, 4, {0, 1}, filled, out); }, ""},
      // the whole buffer up: line feeds into the terminal's scrollback, and a
      // fill that shows drawn; any other move: the rows drawn again
      {[](auto& s, auto& out) { return renderScroll(s, {0, 2, 7, 3}, {0, 0}, {' ', 7}, out); },
       "\x1b[4;1H\n\n\x1b[4;4H"},
      {[](auto& s, auto& out) { return renderScroll(s, {0, 1, 7, 3}, {0, 0}, {'*', 7}, out); },
       "\x1b[4;1H\n\x1b[4;1H********\x1b[4;4H"},
      {[](auto& s, auto& out) { return renderScroll(s, {2, 1, 9, 2}, {2, 0}, {' ', 7}, out); },
       "\x1b[2;3HCDEFGH\x1b[3;3H\x1b[6X\x1b[1;3Hcdefgh\x1b[2;3HCDEFGH\x1b[4;4H"},
      {[](auto& s, auto& out) { return renderCursorPosition(s, {7, 0}, out); }, "\x1b[1;8H"},
  };
  // clang-format on
  for (const auto& [change, bytes] : changes) {
    ScreenModel screen = makeScreen({8, 4}, 4);
    TerminalOutput ignored, out;
    write(screen, "abcdefgh", 0, 1, ignored);
    write(screen, "ABCDEFGH", 0, 2, ignored);
    screen.cursor = {3, 3};
    EXPECT_TRUE(change(screen, out));
    queuePendingCursor(out);  // as the queue is written
    EXPECT_EQ(out.bytes, bytes);
  }
}

// The model refuses what a console refuses, changing and drawing nothing.
TEST(ScreenModel, RefusesCallsOutsideTheBuffer) {
  ScreenModel screen = makeScreen({8, 4}, 4);
  std::uint32_t filled = 0;
  TerminalOutput out;
  EXPECT_FALSE(write(screen, "ab", 8, 0, out) ||
               renderFillCharacters(screen, 'x', 3, {0, 4}, filled, out) ||
               renderScroll(screen, {9, 9, 12, 12}, {0, 0}, {'x', 7}, out) ||
               renderCursorPosition(screen, {8, 0}, out) ||
               placeWindow(screen, true, {0, 1, 7, 4}) || placeWindow(screen, false, {0, 0, 1, 0}));
  EXPECT_TRUE(placeWindow(screen, true, {0, 1, 7, 3}));
  EXPECT_FALSE(setCursorShape(screen, {0, true}) || setCursorShape(screen, {101, false}));
  EXPECT_TRUE(setCursorShape(screen, {100, false}));
  EXPECT_EQ(screen.window.top * 10 + screen.window.bottom, 13);
  EXPECT_EQ(screen.cursorInfo.size, 100u);
  queuePendingCursor(out);
  EXPECT_EQ(out.bytes, "");
  for (const CharCell& cell : screen.cells) EXPECT_EQ(cell.byte, ' ');
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

// A write stuck for a second fails.
TEST(DescriptorIo, AWriteThatCannotGoOnFails) {
  int ends[2] = {};
  ASSERT_EQ(::pipe(ends), 0);
  ASSERT_EQ(::fcntl(ends[1], F_SETFL, O_NONBLOCK), 0);
  const std::string block(1 << 20, 'x');
  EXPECT_FALSE(writeAll(ends[1], block.data(), block.size()));
  ::close(ends[0]);
  ::close(ends[1]);
}

}  // namespace
}  // namespace quorvane::platform
