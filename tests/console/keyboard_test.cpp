// Key translation, the key queue, the key wait and the control routine; the
// keys the line editor acts on are typed end to end as well, in both consoles.

#include <regex>

#include "console_fixture.h"

namespace quorvane::testing {
namespace {

constexpr std::uint32_t alt = platform::leftAltPressed, ctrl = platform::leftCtrlPressed,
                        shift = platform::shiftPressed, enh = platform::enhancedKey,
                        altGr = platform::rightAltPressed | ctrl;

class KeyboardTest : public ConsoleTest {
 protected:
  static void press(const platform::KeyEventRecord& key) {
    simulatedConsole.inputIsConsole = true;
    simulatedConsole.input.push_back({platform::InputEventType::key, key});
  }
  static std::string takeAll() {
    std::string keys;
    for (std::string key = takeKey(); !key.empty(); key = takeKey()) keys += key + '|';
    return keys;
  }
};

// A character counts unless the key is the layout's own one for it (the console's, US
// here) and has an extended code for its modifiers: then that does; AltGr and other
// layouts keep their characters. Keypad digits typed with Alt make a number, given as
// its character modulo 256 when Alt is released or another key comes; a key with a code
// of its own drops it. A key-down that does not repeat counts for nothing, one that
// repeats once.
TEST_F(KeyboardTest, TheQueueTakesTheCodesOfTheEvents) {
  constexpr platform::KeyEventRecord altUp{false, 1, 0x12, 0x38, 0, 0},
      altCtrl9{true, 1, 0x69, 0x49, 0, alt | ctrl};
  const struct {
    const char* what;
    std::string_view altDigits;  // keypad digits, each pressed and released with Alt held
    std::vector<platform::KeyEventRecord> then;
    std::string_view taken;
  } rows[] = {
      {"Alt+0064", "0064", {altUp}, "@|"},
      {"Alt+589, modulo 256", "589", {altUp}, "M|"},
      {"Alt+3217, Alt+F1", "3217", {{true, 1, 0x70, 0x3B, 0, alt}, altUp}, "\xFF\x68|"},
      {"Alt+2, *, Ctrl+Alt+9", "2", {{true, 1, 0x6A, 0x37, 0, alt}, altCtrl9, altUp}, "\x02|"},
      {"B, C repeated", "", {{true, 0, 'B', 0x30, 'b', 0}, {true, 3, 'C', 0x2E, 'c', 0}}, "c|"},
      {"the keypad's Left, Num Lock off", "", {{true, 1, 0x25, 0x4B, 0, 0}}, "\xFF\x4B|"},
      {"Shift+Tab", "", {{true, 1, 0x09, 0x0F, '\t', shift}}, "\xFF\x0F|"},
      {"Alt+5", "", {{true, 1, '5', 0x06, '5', alt}}, "\xFF\x7C|"},
      {"Shift+A", "", {{true, 1, 'A', 0x1E, 'A', shift}}, "A|"},
      {"Alt+A", "", {{true, 1, 'A', 0x1E, 'a', alt}}, "\xFF\x1E|"},
      {"AltGr+Q, a German @", "", {{true, 1, 'Q', 0x10, '@', altGr}}, "@|"},
      {"Ctrl+2", "", {{true, 1, '2', 0x03, 0, ctrl}}, ""},
      {"a key beyond the scan table", "", {{true, 1, 0, 0x70, 'x', 0}}, "x|"},
      {"the keypad's Enter", "", {{true, 1, 13, 0x1C, '\r', enh}}, "\r|"},
      {"Ctrl and the keypad's Enter", "", {{true, 1, 13, 0x1C, '\n', ctrl | enh}}, "\n|"},
      {"Alt+Enter", "", {{true, 1, 13, 0x1C, '\r', alt}}, "\xFF\x1C|"},
      {"Ctrl+Tab", "", {{true, 1, 9, 0x0F, '\t', ctrl}}, "\xFF\x94|"},
      {"the keypad's /", "", {{true, 1, 0x6F, 0x35, '/', enh}}, "/|"},
      {"Ctrl and the keypad's /", "", {{true, 1, 0x6F, 0x35, 0, ctrl | enh}}, "\xFF\x95|"},
  };
  constexpr std::uint16_t scans[] = {0x52, 0x4F, 0x50, 0x51, 0x4B, 0x4C, 0x4D, 0x47, 0x48, 0x49};
  for (const auto& row : rows) {
    for (const char digit : row.altDigits) {
      const int d = digit - '0';
      for (const bool down : {true, false})
        press({down, 1, std::uint16_t(0x60 + d), scans[d], 0, alt});
    }
    for (const platform::KeyEventRecord& key : row.then) press(key);
    EXPECT_EQ(takeAll(), row.taken) << row.what;
  }
  // Shift types the characters of the digit row (a French layout's digits) and the keypad.
  for (std::uint16_t scan = 0x02; scan <= 0x53; scan = scan == 0x0B ? 0x47 : scan + 1) {
    press({true, 1, '1', scan, '1', shift});
    EXPECT_EQ(takeAll(), "1|") << scan;
  }
  std::string kept;
  storeKey('x');
  for (int stored = 0; stored < 511; ++stored, kept += "a|") storeKey('a');
  EXPECT_EQ(takeAll(), kept) << "the oldest of 512 dropped";
}

// The wait ends at the first key stored since the last poll or removal, and
// leaves it queued; Shift, Ctrl, Alt and Caps Lock alone are none, nor are mouse,
// focus, menu and buffer events. Closing the console stores a key.
TEST_F(KeyboardTest, TheKeyWaitEndsAtTheNextKey) {
  using enum platform::InputEventType;
  simulatedConsole.inputIsConsole = true;
  simulatedConsole.input = {
      {key, {true, 1, 0x10, 0x2A, 0, shift}}, {key, {true, 1, 0x11, 0x1D, 0, ctrl}},
      {key, {true, 1, 0x12, 0x38, 0, alt}},   {key, {true, 1, 0x14, 0x3A, 0, 0x80}},
      {mouse, {true, 1, 0, 0, 'm', 0}},       {focus, {true, 1, 0, 0, 'f', 0}},
      {menu, {true, 1, 0, 0, 'n', 0}},        {bufferSize, {true, 1, 0, 0, 'b', 0}}};
  simulatedConsole.onWait = [](int wait) {
    const platform::ConsoleControlRoutine routine = simulatedConsole.controlRoutine;
    EXPECT_FALSE(routine(platform::ctrlCEvent) || routine(platform::ctrlBreakEvent));
    if (wait == 2) queueKeys("x");
    if (wait == 4) queueKeys("c");
    EXPECT_TRUE(wait != 6 || routine(platform::ctrlCloseEvent));
  };
  waitForKey();
  EXPECT_EQ(simulatedConsole.waits, (std::vector<std::uint32_t>{50, 50}));
  EXPECT_EQ(takeKey(), "x");
  queueKeys("ab");
  EXPECT_TRUE(keyWaiting());
  waitForKey();
  EXPECT_EQ(takeKey(), "a");
  EXPECT_EQ(simulatedConsole.waits.size(), 2u) << "a key queued, not yet seen, ends it at once";
  waitForKey();
  waitForKey();
  EXPECT_EQ(simulatedConsole.waits.size(), 6u) << "the queued b ends no wait";
  EXPECT_TRUE(answerControlEvent(platform::ctrlLogoffEvent) &&
              answerControlEvent(platform::ctrlShutdownEvent));
  EXPECT_EQ(takeAll(), "b|c|\xFF\x6B|\xFF\x6B|\xFF\x6B|");
}

// Close events answered on another thread (GoogleTest's: the Windows programs'
// thread model has no std::thread) reach the queue whole.
TEST_F(KeyboardTest, ControlEventsFromAnotherThreadReachTheQueue) {
  ::testing::internal::ThreadWithParam<int> platformThread(
      [](int closes) {
        while (closes-- > 0) answerControlEvent(platform::ctrlCloseEvent);
      },
      20000, nullptr);
  std::string taken;
  for (int round = 0; round < 20000; ++round, taken += takeAll()) storeKey('a');
  platformThread.Join();
  taken += takeAll();
  // Every key text whole: the typed key, or the close key's two bytes.
  EXPECT_EQ(std::regex_replace(taken, std::regex("a\\||\xFF\x6B\\|"), ""), "");
  EXPECT_NE(taken.find('\xFF'), std::string::npos);
}

}  // namespace
}  // namespace quorvane::testing
