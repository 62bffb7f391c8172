// Key translation, the key queue and the key wait, on the simulated console.

#include <gtest/gtest.h>

#include <thread>

#include "console/console_output.h"
#include "console/key_translation.h"
#include "console/keyboard.h"
#include "simulated_console.h"

namespace quorvane {
namespace {

using platform::KeyEventRecord;
using testing::simulatedConsole;

constexpr std::uint32_t leftAlt = platform::leftAltPressed;
constexpr std::uint32_t rightAlt = platform::rightAltPressed;
constexpr std::uint32_t leftCtrl = platform::leftCtrlPressed;
constexpr std::uint32_t shift = platform::shiftPressed;
constexpr std::uint32_t enhanced = platform::enhancedKey;
constexpr std::int32_t nothing = -1;

struct TranslationCase {
  const char* key;
  std::uint16_t virtualKey;
  std::uint16_t scanCode;
  std::uint8_t character;
  std::uint32_t state;
  std::uint32_t unshifted;  // what the layout gives as the key's unshifted character
  std::int32_t expected;
};

constexpr TranslationCase translationCases[] = {
    // modifier and lock keys alone give nothing
    {"Shift", 0x10, 0x2A, 0, shift, 0, nothing},
    {"Ctrl", 0x11, 0x1D, 0, leftCtrl, 0, nothing},
    {"Alt", 0x12, 0x38, 0, leftAlt, 0, nothing},
    {"Caps Lock", 0x14, 0x3A, 0, 0, 0, nothing},
    {"Num Lock", 0x90, 0x45, 0, 0, 0, nothing},
    {"Windows key", 0x5B, 0x5B, 0, enhanced, 0, nothing},
    // characters
    {"a", 'A', 0x1E, 'a', 0, 'A', 'a'},
    {"A", 'A', 0x1E, 'A', shift, 'A', 'A'},
    {"Esc", 0x1B, 0x01, 27, 0, 27, 27},
    {"Tab", 0x09, 0x0F, 9, 0, 9, 9},
    {"keypad Enter", 0x0D, 0x1C, 13, enhanced, 13, 13},
    {"a key beyond the table", 0xE2, 0x70, 'x', 0, 0, 'x'},
    {"a key beyond the table without character", 0xE2, 0x70, 0, 0, 0, nothing},
    // the cursor block, marked enhanced, and as Wine gives it, not marked
    {"Up", 0x26, 0x48, 0, enhanced, 0, 0x48FF},
    {"Up without the enhanced flag", 0x26, 0x48, 0, 0, 0, 0x48FF},
    {"an enhanced key whose scan code only ends in Up's", 0x26, 0x148, 0, enhanced, 0, nothing},
    {"Delete", 0x2E, 0x53, 0, enhanced, 0, 0x53FF},
    {"Ctrl+Delete", 0x2E, 0x53, 0, enhanced | leftCtrl, 0, 0x93FF},
    {"Alt+Home", 0x24, 0x47, 0, enhanced | leftAlt, 0, 0x97FF},
    {"Shift+Left", 0x25, 0x4B, 0, enhanced | shift, 0, 0x4BFF},
    {"Insert", 0x2D, 0x52, 0, enhanced, 0, 0x52FF},
    {"keypad slash with Ctrl", 0x6F, 0x35, 0, enhanced | leftCtrl, 0, 0x95FF},
    // extended codes of keys that have a character
    {"Shift+Tab", 0x09, 0x0F, 9, shift, 9, 0x0FFF},
    {"Ctrl+Tab", 0x09, 0x0F, 9, leftCtrl, 9, 0x94FF},
    {"Alt+a", 'A', 0x1E, 'a', leftAlt, 'A', 0x1EFF},
    {"AltGr+q giving @", 'Q', 0x10, '@', rightAlt | leftCtrl, 'Q', '@'},
    {"Alt+Backspace", 0x08, 0x0E, 8, leftAlt, 8, 0xE0FF},
    // function keys
    {"F1", 0x70, 0x3B, 0, 0, 0, 0x3BFF},
    {"Shift+F1", 0x70, 0x3B, 0, shift, 0, 0x54FF},
    {"Ctrl+F10", 0x79, 0x44, 0, leftCtrl, 0, 0x67FF},
    {"Alt+F4", 0x73, 0x3E, 0, leftAlt, 0, 0x6BFF},
    {"F12", 0x7B, 0x58, 0, 0, 0, 0x86FF},
    {"Alt+F12", 0x7B, 0x58, 0, leftAlt, 0, 0x8CFF},
    // a small table entry only lets the character through
    {"Ctrl+A", 'A', 0x1E, 1, leftCtrl, 'A', 1},
    {"Ctrl+2", '2', 0x03, 0, leftCtrl, '2', nothing},
};

TEST(KeyTranslation, GivesTheCodeOfEachKey) {
  for (const TranslationCase& test : translationCases) {
    const KeyEventRecord event{true, 1, test.virtualKey, test.scanCode, test.character, test.state};
    const std::optional<std::int32_t> code = translateKeyDown(event, test.unshifted);
    EXPECT_EQ(code.value_or(nothing), test.expected) << test.key;
  }
}

class KeyboardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::resetSimulatedConsole();
    resetConsoleState();
    resetKeyboardState();
    simulatedConsole().inputIsConsole = true;
  }
  static void keyEvent(bool down, std::uint16_t virtualKey, std::uint16_t scanCode,
                       std::uint32_t state, std::uint8_t character = 0) {
    platform::InputRecord record;
    record.keyEvent = {down, 1, virtualKey, scanCode, character, state};
    simulatedConsole().input.push_back(record);
  }
  static std::vector<std::string> takeAll() {
    std::vector<std::string> keys;
    for (std::string key = takeKey(); !key.empty(); key = takeKey()) keys.push_back(key);
    return keys;
  }
};

TEST_F(KeyboardTest, AltWithKeypadDigitsGivesTheCharacterOfTheirNumberAtAltsRelease) {
  keyEvent(true, 0x12, 0x38, leftAlt);
  keyEvent(true, 0x66, 0x4D, leftAlt);
  keyEvent(false, 0x66, 0x4D, leftAlt);
  keyEvent(true, 0x64, 0x4B, leftAlt);
  keyEvent(false, 0x64, 0x4B, leftAlt);
  EXPECT_FALSE(keyWaiting()) << "the digits queue nothing while Alt is held";
  EXPECT_EQ(keyboardState().altNumber, 64u);
  keyEvent(false, 0x12, 0x38, 0);
  for (auto [virtualKey, scanCode] : {std::pair{0x63, 0x51}, {0x62, 0x50}, {0x61, 0x4F}}) {
    keyEvent(true, static_cast<std::uint16_t>(virtualKey), static_cast<std::uint16_t>(scanCode),
             leftAlt);
  }
  keyEvent(false, 0x12, 0x38, 0);
  EXPECT_EQ(takeAll(), (std::vector<std::string>{"@", "A"})) << "321 mod 256 is 65";
}

TEST_F(KeyboardTest, ExtendedKeysAreTakenAsTwoBytes) {
  testing::queueCursorKey(0x48);
  testing::queueCursorKey(0x53);
  testing::queueText("7");
  EXPECT_EQ(takeAll(), (std::vector<std::string>{"\xFF\x48", "\xFF\x53", "7"}));
}

TEST_F(KeyboardTest, OnlyKeyDownsWithARepeatCountAndKeyEventsCount) {
  testing::queueText("a");
  platform::InputRecord mouse;
  mouse.eventType = platform::InputEventType::mouse;
  simulatedConsole().input.push_back(mouse);
  platform::InputRecord noRepeat;
  noRepeat.keyEvent = {true, 0, 'B', 0x30, 'b', 0};
  simulatedConsole().input.push_back(noRepeat);
  EXPECT_EQ(takeAll(), (std::vector<std::string>{"a"}));
  EXPECT_TRUE(simulatedConsole().input.empty()) << "every record read is gone";
}

TEST_F(KeyboardTest, AFullQueueKeepsTheNewest511) {
  for (int i = 0; i < 512; ++i) storeKey(i % 200);
  std::vector<std::string> keys = takeAll();
  ASSERT_EQ(keys.size(), 511u);
  EXPECT_EQ(keys.front(), std::string(1, static_cast<char>(1)));
  EXPECT_EQ(keys.back(), std::string(1, static_cast<char>(511 % 200)));
}

TEST_F(KeyboardTest, TheKeyWaitIgnoresModifiersAndEndsOnTheNextKey) {
  keyEvent(true, 0x10, 0x2A, shift);
  keyEvent(false, 0x10, 0x2A, 0);
  keyEvent(true, 0x14, 0x3A, 0);
  simulatedConsole().onWait = [](int wait) {
    if (wait == 3) testing::queueText("x");
  };
  waitForKey();
  EXPECT_EQ(simulatedConsole().waits, 3);
  EXPECT_EQ(simulatedConsole().sleeps.back(), 50u);
  EXPECT_EQ(takeKey(), "x") << "the key that ends the wait stays queued";
}

TEST_F(KeyboardTest, AKeyStoredBeforeTheWaitEndsItAtOnceButNotOnceTaken) {
  testing::queueText("ab");
  EXPECT_TRUE(keyWaiting());
  waitForKey();
  EXPECT_EQ(simulatedConsole().waits, 0);
  EXPECT_EQ(takeKey(), "a");
  simulatedConsole().onWait = [](int wait) {
    if (wait == 2) testing::queueText("c");
  };
  waitForKey();
  EXPECT_EQ(simulatedConsole().waits, 2) << "the queued b does not end the wait";
}

TEST_F(KeyboardTest, ClosingTheConsoleEndsTheWaitWithTheCloseKey) {
  simulatedConsole().onWait = [](int wait) {
    if (wait == 2) {
      EXPECT_FALSE(testing::raiseControlEvent(platform::ctrlCEvent));
      EXPECT_FALSE(testing::raiseControlEvent(platform::ctrlBreakEvent));
    }
    if (wait == 4) {
      EXPECT_TRUE(testing::raiseControlEvent(platform::ctrlCloseEvent));
    }
  };
  waitForKey();
  EXPECT_EQ(simulatedConsole().waits, 4);
  EXPECT_EQ(takeKey(), "\xFF\x6B");
  EXPECT_TRUE(testing::raiseControlEvent(platform::ctrlLogoffEvent));
  EXPECT_TRUE(testing::raiseControlEvent(platform::ctrlShutdownEvent));
  EXPECT_EQ(takeAll(), (std::vector<std::string>{"\xFF\x6B", "\xFF\x6B"}));
}

TEST_F(KeyboardTest, WithoutAConsoleTheKeyWaitReturnsAtOnce) {
  simulatedConsole().inputIsConsole = false;
  waitForKey();
  EXPECT_EQ(simulatedConsole().waits, 0);
  EXPECT_FALSE(keyWaiting());
  EXPECT_EQ(takeKey(), "");
}

TEST_F(KeyboardTest, ControlEventsFromAnotherThreadReachTheQueue) {
  constexpr int events = 20000;
  std::thread console([] {
    for (int i = 0; i < events; ++i) answerControlEvent(platform::ctrlCloseEvent);
  });
  int taken = 0;
  for (int round = 0; round < events; ++round) {
    storeKey('k');
    for (std::string key = takeKey(); !key.empty(); key = takeKey()) {
      EXPECT_TRUE(key == "k" || key == "\xFF\x6B") << key;
      taken += key == "\xFF\x6B" ? 1 : 0;
    }
  }
  console.join();
  pumpKeys();
  EXPECT_EQ(keyboardState().controlCodesOwed.load(), 0);
  EXPECT_GT(taken + (keyWaiting() ? 1 : 0), 0);
}

}  // namespace
}  // namespace quorvane
