// Console output put into a screen buffer; what passes through to a file or pipe
// is checked end to end.

#include "console/console_output.h"

#include <algorithm>
#include <map>
#include <vector>

#include "console_fixture.h"

namespace quorvane::testing {
namespace {

const std::string full(80, '#');
// 25 numbered lines, then 20 line feeds at once
const std::string manyLines = [] {
  std::string lines = "0";
  for (int i = 1; i < 25; ++i) lines += "\n" + std::to_string(i);
  return lines + std::string(20, '\n');
}();

using ConsoleOutputTest = ConsoleTest;

// Writes in a 25-row window over a buffer of 25 rows or more, which the user may make shorter
// after the first: the rows then shown (every other row blank), the cursor, the scroll calls,
// the window; and every cell the writes touched in the console's colours, the others as they were.
struct WriteCase {
  const char* name;
  platform::Coord start;
  std::vector<std::string> writes;
  std::vector<std::pair<int, std::string>> rows;
  platform::Coord end;
  int scrolls, bufferRows = 25, windowTop = 0, shorterWindow = 0;
};

TEST_F(ConsoleOutputTest, WritesLandWrapAndScroll) {
  // clang-format off
  const WriteCase cases[] = {
      // line ends, and the advance owed by a full bottom row
      {"a full bottom row", {0, 23}, {"above\r\n", full}, {{23, "above"}, {24, full}}, {79, 24}, 0},
      {"then an empty write", {0, 23}, {"above\r\n", full, ""}, {{22, "above"}, {23, full}, {24, ""}}, {0, 24}, 1},
      {"then a line end", {0, 23}, {"above\r\n", full, "\r\n"}, {{21, "above"}, {22, full}, {23, ""}, {24, ""}}, {0, 24}, 2},
      {"then writes", {0, 24}, {full, "x", "y"}, {{23, full}, {24, "xy"}}, {2, 24}, 1},
      {"past the bottom right", {78, 24}, {"abc"}, {{23, std::string(78, ' ') + "ab"}, {24, "c"}}, {1, 24}, 1},
      {"control bytes", {0, 0}, {"ab\bc\tx\ay"}, {{0, "ac      xy"}}, {10, 0}, 0},
      {"a tab after a wrap", {78, 0}, {"abc\tx"}, {{0, std::string(78, ' ') + "ab"}, {1, "c       x"}}, {9, 1}, 0},
      {"many at once", {0, 0}, {manyLines}, {{0, "20"}, {1, "21"}, {2, "22"}, {3, "23"}, {4, "24"}}, {0, 24}, 1},
      {"more than the buffer at once", {0, 0}, {manyLines + std::string(25, '\n')}, {}, {0, 24}, 0},
      // a taller buffer: the region and the window slide down it, no cell moving, to its end;
      // only then does its content move up
      {"down a tall buffer", {0, 24}, {"a\r\n", "b\r\n"}, {{24, "a"}, {25, "b"}}, {0, 26}, 0, 300, 2},
      {"past its end", {0, 24}, {"1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n"},
       {{22, "1"}, {23, "2"}, {24, "3"}, {25, "4"}, {26, "5"}, {27, "6"}, {28, "7"}}, {0, 29}, 2, 30, 5},
      {"many rows at once past it", {0, 24}, {manyLines}, {{0, "15"}, {1, "16"}, {2, "17"}, {3, "18"},
       {4, "19"}, {5, "20"}, {6, "21"}, {7, "22"}, {8, "23"}, {9, "24"}}, {0, 29}, 20, 30, 5},
      // a window made shorter keeps the region's first height: it scrolls its own rows in
      // place, one or many (those the moved rows leave are cleared), the window moved only
      // to show the cursor
      {"a shorter window", {0, 0}, {"first\r\n", "seen", std::string(23, '\n') + "bottom\r\n"},
       {{0, "seen"}, {23, "bottom"}}, {0, 24}, 1, 300, 5, 20},
      {"many at once in it", {0, 0}, {"first\r\n", "seen\r", manyLines},
       {{0, "20"}, {1, "21"}, {2, "22"}, {3, "23"}, {4, "24"}}, {0, 24}, 2, 300, 5, 20},
      {"more than it at once", {0, 0}, {"first\r\n", "seen\r", manyLines + std::string(25, '\n')},
       {}, {0, 24}, 1, 300, 5, 20},
  };
  // clang-format on
  for (const WriteCase& test : cases) {
    SCOPED_TRACE(test.name);
    SetUp();
    useScreen(80, test.bufferRows, 25);
    screen().attributes = 0x1E;
    std::fill(screen().cells.begin(), screen().cells.end(), platform::CharCell{' ', 0x55});
    cursorTo(test.start.x, test.start.y);
    std::size_t bells = 0;
    for (const std::string& bytes : test.writes) {
      consoleWrite(bytes.data(), bytes.size(), writeEvenIfEmpty);  // an empty one: an owed advance
      bells += std::size_t(std::count(bytes.begin(), bytes.end(), '\a'));
      if (&bytes == &test.writes[0] && test.shorterWindow > 0) {
        screen().window.bottom = std::int16_t(test.shorterWindow - 1);
      }
    }
    EXPECT_TRUE(std::ranges::all_of(screen().cells, [](auto cell) {
      return cell.attributes == 0x1E || cell.attributes == 0x55;
    }));
    const std::map<int, std::string> shown(test.rows.begin(), test.rows.end());
    for (int row = 0; row < test.bufferRows; ++row) {
      EXPECT_EQ(screenRow(row), padded(shown.contains(row) ? shown.at(row) : "")) << row;
    }
    expectCursor(test.end.x, test.end.y);
    EXPECT_EQ(simulatedConsole.scrollCalls, test.scrolls);
    EXPECT_EQ(simulatedConsole.beeps.size(), bells);
    EXPECT_EQ(screen().window.top, test.windowTop);
    EXPECT_EQ(simulatedConsole.standardOutput, "") << "screen mode writes no bytes through";
  }
}

}  // namespace
}  // namespace quorvane::testing
