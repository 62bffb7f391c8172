// Key translation, the key queue, the key wait and the control routine; the
// keys the line editor acts on are typed end to end as well, in both consoles.

#include "console/key_translation.h"
#include "console_fixture.h"

namespace quorvane::testing {
namespace {

constexpr std::uint32_t alt = platform::leftAltPressed, ctrl = platform::leftCtrlPressed,
                        shift = platform::shiftPressed;

std::optional<std::int32_t> translate(int scan, std::uint8_t character, std::uint32_t state,
                                      std::uint32_t unshifted) {
  return translateKeyDown({true, 1, 0, std::uint16_t(scan), character, state}, unshifted);
}

// A character counts unless the key is the layout's own one for it and has
// an extended code for its modifiers: then that does (AltGr and other
// layouts keep their characters).
TEST(KeyTranslation, ACharacterCountsUnlessItsOwnKeyHasACode) {
  EXPECT_EQ(translate(0x1E, 'A', shift, 'A'), 'A');
  EXPECT_EQ(translate(0x1E, 'a', alt, 'A'), 0x1EFF);
  EXPECT_EQ(translate(0x10, '@', platform::rightAltPressed | ctrl, 'Q'), '@');
  EXPECT_EQ(translate(0x03, 0, ctrl, '2'), std::nullopt);
  EXPECT_EQ(translate(0x70, 'x', 0, 0), 'x');
  // Shift types the characters of the digit row (a French layout's digits) and the keypad.
  for (int scan = 0x02; scan <= 0x53; scan = scan == 0x0B ? 0x47 : scan + 1) {
    EXPECT_EQ(translate(scan, '1', shift, '1'), '1') << scan;
  }
}

class KeyboardTest : public ConsoleTest {
 protected:
  static void keyEvent(bool down, int virtualKey, int scanCode, std::uint32_t state,
                       std::uint16_t repeats = 1, std::uint8_t character = 0) {
    simulatedConsole.inputIsConsole = true;
    platform::InputRecord record;
    record.keyEvent = {down,      repeats, std::uint16_t(virtualKey), std::uint16_t(scanCode),
                       character, state};
    simulatedConsole.input.push_back(record);
  }
  static std::string takeAll() {
    std::string keys;
    for (std::string key = takeKey(); !key.empty(); key = takeKey()) keys += key + '|';
    return keys;
  }
};

// Keypad digits typed with Alt make a number, given as its character modulo 256
// when Alt is released or another key comes; a key with a code of its own drops
// it. A key-down that does not repeat counts for nothing, one that repeats once;
// Shift+Tab and Alt+5 give codes found through the console's (US) layout. The
// queue keeps the 511 newest keys.
TEST_F(KeyboardTest, TheQueueTakesTheCodesOfTheEvents) {
  const auto digits = [](std::initializer_list<int> typed, std::uint32_t state) {
    constexpr int scans[] = {0x52, 0x4F, 0x50, 0x51, 0x4B, 0x4C, 0x4D, 0x47, 0x48, 0x49};
    for (const int digit : typed) {
      for (const bool down : {true, false}) keyEvent(down, 0x60 + digit, scans[digit], state);
    }
  };
  digits({0, 0, 6, 4}, alt);
  keyEvent(false, 0x12, 0x38, 0);
  digits({5, 8, 9}, alt);  // 589 mod 256: M
  keyEvent(false, 0x12, 0x38, 0);
  digits({3, 2, 1, 7}, alt);
  keyEvent(true, 0x70, 0x3B, alt);  // Alt+F1
  keyEvent(false, 0x12, 0x38, 0);
  digits({2}, alt);
  keyEvent(true, 0x6A, 0x37, alt);  // the keypad's *, no digit
  digits({9}, alt | ctrl);
  keyEvent(true, 'B', 0x30, 0, 0, 'b');
  keyEvent(true, 'C', 0x2E, 0, 3, 'c');
  keyEvent(true, 0x25, 0x4B, 0);  // the keypad's Left, Num Lock off
  keyEvent(true, 0x09, 0x0F, shift, 1, '\t');
  keyEvent(true, '5', 0x06, alt, 1, '5');
  queueKeys("a<Del>");
  EXPECT_EQ(takeAll(), "@|M|\xFF\x68|\x02|c|\xFF\x4B|\xFF\x0F|\xFF\x7C|a|\xFF\x53|");
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
    if (wait == 6) {
      EXPECT_TRUE(routine(platform::ctrlCloseEvent));
    }
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
  std::size_t at = 0;
  while (taken.compare(at, 2, "a|") == 0 || taken.compare(at, 3, "\xFF\x6B|") == 0) {
    at += taken[at] == 'a' ? 2 : 3;
  }
  EXPECT_EQ(at, taken.size()) << taken.substr(at, 8);
  EXPECT_NE(taken.find('\xFF'), std::string::npos);
}

}  // namespace
}  // namespace quorvane::testing
