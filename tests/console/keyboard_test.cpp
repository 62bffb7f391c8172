// Key translation, the key queue, the key wait and the control routine; the
// keys the line editor acts on are typed end to end as well, in both consoles.

#include <array>

#include "console/key_translation.h"
#include "console_fixture.h"

namespace quorvane::testing {
namespace {

constexpr std::uint32_t alt = platform::leftAltPressed, ctrl = platform::leftCtrlPressed,
                        shift = platform::shiftPressed, enhanced = platform::enhancedKey;

std::optional<std::int32_t> translate(int scan, std::uint8_t character, std::uint32_t state,
                                      std::uint32_t unshifted) {
  return translateKeyDown({true, 1, 0, std::uint16_t(scan), character, state}, unshifted);
}

// A character counts unless the key is the layout's own one for it and has
// an extended code for its modifiers: then that does (AltGr and other
// layouts keep their characters).
TEST(KeyTranslation, ACharacterCountsUnlessItsOwnKeyHasACode) {
  EXPECT_EQ(translate(0x1E, 'a', 0, 'A'), 'a');
  EXPECT_EQ(translate(0x1E, 'A', shift, 'A'), 'A');
  EXPECT_EQ(translate(0x1E, 'a', alt, 'A'), 0x1EFF);
  EXPECT_EQ(translate(0x1E, 'A', alt | shift, 'A'), 0x1EFF);
  EXPECT_EQ(translate(0x10, '@', platform::rightAltPressed | ctrl, 'Q'), '@');
  EXPECT_EQ(translate(0x1E, 1, ctrl, 'A'), 1);
  EXPECT_EQ(translate(0x03, 0, ctrl, '2'), std::nullopt);
  EXPECT_EQ(translate(0x0F, 9, shift, 9), 0x0FFF);
  EXPECT_EQ(translate(0x70, 'x', 0, 0), 'x');
  EXPECT_EQ(translate(0x2A, 0, shift, 0), std::nullopt) << "Shift alone";
  // The line editor's keys from the cursor block (enhanced, Shift or not) and the keypad.
  for (const int scan : {0x47, 0x48, 0x4B, 0x4D, 0x4F, 0x50, 0x53}) {
    EXPECT_EQ(translate(scan, 0, 0, 0), extendedKey(std::uint8_t(scan))) << scan;
    EXPECT_EQ(translate(scan, 0, enhanced, 0), extendedKey(std::uint8_t(scan)));
    EXPECT_EQ(translate(scan, 0, enhanced | shift, 0), extendedKey(std::uint8_t(scan)));
  }
  // Shift types the characters of the digit row (a French layout's digits) and the keypad.
  for (int scan = 0x02; scan <= 0x53; scan = scan == 0x0B ? 0x47 : scan + 1) {
    EXPECT_EQ(translate(scan, '1', shift, '1'), '1') << scan;
  }
}

class KeyboardTest : public ConsoleTest {
 protected:
  static void keyEvent(bool down, int virtualKey, int scanCode, std::uint32_t state,
                       std::uint16_t repeats = 1) {
    simulatedConsole.inputIsConsole = true;
    platform::InputRecord record;
    record.keyEvent = {down, repeats, std::uint16_t(virtualKey), std::uint16_t(scanCode), 0, state};
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
// it. Key-downs that do not repeat, and other events, count for nothing.
TEST_F(KeyboardTest, TheQueueTakesTheCodesOfTheEvents) {
  const auto digits = [](std::initializer_list<int> typed, std::uint32_t state) {
    for (const int digit : typed) {
      const int scan =
          std::array{0x52, 0x4F, 0x50, 0x51, 0x4B, 0x4C, 0x4D, 0x47, 0x48, 0x49}[digit];
      keyEvent(true, 0x60 + digit, scan, state);
      keyEvent(false, 0x60 + digit, scan, state);
    }
  };
  digits({6, 4}, alt);
  EXPECT_FALSE(keyWaiting()) << "nothing while Alt is held";
  keyEvent(false, 0x12, 0x38, 0);
  digits({3, 2, 1}, alt);
  keyEvent(false, 0x12, 0x38, 0);
  digits({7}, alt);
  keyEvent(true, 0x70, 0x3B, alt);  // Alt+F1
  keyEvent(false, 0x12, 0x38, 0);
  digits({2}, alt);
  digits({9}, alt | ctrl);
  keyEvent(true, 'B', 0x30, 0, 0);
  simulatedConsole.input.push_back({platform::InputEventType::mouse, {true, 1, 0, 0, 'm', 0}});
  queueKeys("a<Del>");
  EXPECT_EQ(takeAll(), "@|A|\xFF\x68|\x02|a|\xFF\x53|") << "321 mod 256 is 65";
}

// The wait ends at the first key stored since the last poll or removal, and
// leaves it queued. Closing the console stores a key.
TEST_F(KeyboardTest, TheKeyWaitEndsAtTheNextKey) {
  keyEvent(true, 0x10, 0x2A, shift);
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
  EXPECT_EQ(takeKey() + std::to_string(simulatedConsole.waits.size()), "a2");
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
