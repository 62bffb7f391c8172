// The console writer on arbitrary bytes and sizes: the cursor and window stay in
// the buffer, the region keeps its first shape, an owed advance waits in the
// last column, and no call names a cell outside the buffer.

#include <cstdint>

#include "console/console_output.h"
#include "fuzz_check.h"
#include "simulated_console.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quorvane;
  using fuzzing::check;
  if (size < 5) return 0;
  const int columns = 2 + data[0] % 120, rows = 2 + data[1] % 60,
            windowRows = 2 + data[2] % (rows - 1);
  testing::simulatedConsole = {};
  resetConsoleState();
  testing::useScreen(columns, rows, windowRows);
  platform::ScreenModel& screen = testing::simulatedConsole.screen;
  screen.cursor = {std::int16_t(data[3] % columns), std::int16_t(data[4] % windowRows)};
  // A series of writes, each ended by 0xFE, or by 0xFD, which also makes the
  // window a row shorter at its top, as a user resizing it would.
  int firstRegionBottom = -1;
  for (std::size_t start = 5, i = 5; i <= size; ++i) {
    if (i < size && data[i] != 0xFE && data[i] != 0xFD) continue;
    consoleWrite(data + start, i - start, i == start && i < size ? writeEvenIfEmpty : 0);
    if (i < size && data[i] == 0xFD && screen.window.bottom > screen.window.top + 1) {
      ++screen.window.top;
    }
    start = i + 1;
    const ConsoleState& state = consoleState();
    if (firstRegionBottom < 0) firstRegionBottom = state.regionBottom;
    check(state.regionBottom == firstRegionBottom, "the region keeps its first height");
    check(platform::insideScreen(screen, screen.cursor), "the cursor inside the buffer");
    check(screen.window.top >= 0 && screen.window.bottom < rows, "the window inside the buffer");
    check(!state.pendingAdvance || screen.cursor.x == columns - 1,
          "an owed advance in the last column");
    check(testing::simulatedConsole.outsideBuffer == 0, "a call outside the buffer");
  }
  return 0;
}
