// The terminal backend: the bytes that show each change of the screen. What it
// shows, its modes and their undo, and the control signals, are tested end to
// end, on a real terminal's screen.

#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/terminal/screen/screen_bytes.h"
#include "platform/terminal/tty/descriptor_io.h"

namespace quorvane::platform {
namespace {

// Changes of an 8 x 4 screen whose cursor stands at 3,3, where the terminal's
// does, and the bytes that show each, written once: the cursor moved from where
// it stands, so that a terminal that moved its line in a resize still agrees.
TEST(TerminalRender, EachChangeInFewBytesFromWhereTheCursorStands) {
  struct Change {
    bool scrolled;  // the region's rows 1 to 3 scrolled up by one
    int filled;     // cells filled with x from `at`
    Coord at, cursor;
    bool visible, bell;
    std::string_view bytes;
  };
  // clang-format off
  const Change changes[] = {
      {false, 1, {3, 3}, {4, 3}, true, false, "x"},  // text at the cursor
      {false, 2, {2, 0}, {3, 3}, true, false, "\x1b[3A\x1b[Dxx\r\n\n\n\x1b[3C"},  // elsewhere
      {false, 2, {6, 2}, {0, 3}, true, false, "\x1b[A\x1b[3Cxx\r\n"},  // the last column
      {true, 2, {0, 3}, {2, 3}, true, false, "\r\nxx"},  // a scroll
      {false, 0, {}, {3, 3}, false, false, "\x1b[?25l"},  // hidden
      {false, 0, {}, {3, 3}, true, true, "\a"}};  // the bell
  // clang-format on
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  for (const Change& change : changes) {
    ScreenModel screen = makeScreen({8, 4}, 4);
    screen.cursor = {3, 3};
    OutputQueue out{"", screen.cursor};  // the terminal's cursor where the model's is
    std::uint32_t done = 0;
    if (change.scrolled && scrollCells(screen, {0, 1, 7, 3}, {}, {}))
      queueScroll(out, screen, {0, 1, 7, 3}, {});
    if (change.filled > 0 &&
        fillCharacters(screen, 'x', std::uint32_t(change.filled), change.at, done))
      queueFilledCells(out, screen, change.at, done);
    placeCursor(screen, change.cursor);
    if (setCursorShape(screen, {25, change.visible})) queueCursorVisibility(out, screen, true);
    if (change.bell) queueBeep(out);
    for (const std::string_view expected : {change.bytes, std::string_view()}) {
      flushQueue(out, screen.cursor, ends[1]);
      std::string written;
      readAvailable(ends[0], written, 4096);
      EXPECT_EQ(written, expected) << "row " << &change - changes;
    }
  }
  ::close(ends[0]);
  ::close(ends[1]);
}

}  // namespace
}  // namespace quorvane::platform
