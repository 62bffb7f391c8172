#pragma once
// Each console test starts as a fresh process would, and no console call may
// name a cell outside the buffer.

#include <gtest/gtest.h>

#include <string>

#include "console/console_output.h"
#include "console/input_field.h"
#include "console/keyboard.h"
#include "simulated_console.h"

namespace quorvane::testing {

// The text as a whole row of an 80-column screen.
inline std::string padded(std::string text) {
  text.resize(80, ' ');
  return text;
}

class ConsoleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    simulatedConsole = {};
    resetConsoleState();
    resetKeyboardState();
    inputContext() = InputContext{};
  }
  void TearDown() override { EXPECT_EQ(simulatedConsole.outsideBuffer, 0); }
  static platform::ScreenModel& screen() { return simulatedConsole.screen; }
  static void cursorTo(int x, int y) {
    screen().cursor = {static_cast<std::int16_t>(x), static_cast<std::int16_t>(y)};
  }
  static void expectCursor(int x, int y) {
    EXPECT_EQ((std::pair<int, int>(screen().cursor.x, screen().cursor.y)), std::pair(x, y));
  }
};

}  // namespace quorvane::testing
