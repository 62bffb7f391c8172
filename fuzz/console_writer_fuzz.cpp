// The console writer on arbitrary bytes and console sizes: the cursor stays
// in the buffer, the scroll region keeps its shape, and no call names a
// cell outside the buffer.

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "console/console_output.h"
#include "fuzz_check.h"
#include "simulated_console.h"

namespace {

using quorvane::fuzzing::check;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quorvane;
  if (size < 5) return 0;
  const int columns = 2 + data[0] % 120;
  const int rows = 2 + data[1] % 60;
  const int windowRows = 2 + data[2] % (rows - 1);
  testing::resetSimulatedConsole();
  resetConsoleState();
  testing::useScreen(columns, rows, windowRows);
  auto& screen = testing::simulatedConsole().screen;
  screen.cursor = {static_cast<std::int16_t>(data[3] % columns),
                   static_cast<std::int16_t>(data[4] % windowRows)};
  data += 5;
  size -= 5;

  // The rest is a series of writes; a byte 0xFE ends one, 0xFD also makes
  // the window one row shorter, as a user resizing it would.
  std::size_t start = 0;
  int firstRegionBottom = -1;
  for (std::size_t i = 0; i <= size; ++i) {
    if (i < size && data[i] != 0xFE && data[i] != 0xFD) continue;
    const unsigned flags = i - start == 0 && i < size ? writeEvenIfEmpty : 0;
    consoleWrite(data + start, i - start, flags);
    if (i < size && data[i] == 0xFD && screen.window.bottom > screen.window.top + 1) {
      --screen.window.bottom;
    }
    start = i + 1;

    const ConsoleState& state = consoleState();
    check(platform::insideScreen(screen, screen.cursor), "cursor inside the buffer");
    if (firstRegionBottom < 0) firstRegionBottom = state.regionBottom;
    check(state.regionBottom == firstRegionBottom, "the region keeps its first height");
    check(state.regionTop == (state.regionBottom < 0 ? -1 : 0), "the region starts at the top");
    check(state.regionBottom < windowRows, "the region fits the first window");
    check(testing::simulatedConsole().outsideBuffer == 0, "a call outside the buffer");
    check(screen.window.top >= 0 && screen.window.bottom < rows, "window inside the buffer");
    if (state.pendingAdvance) {
      check(screen.cursor.x == columns - 1, "an owed advance waits in the last column");
    }
  }
  return 0;
}
