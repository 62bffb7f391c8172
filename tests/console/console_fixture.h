#pragma once
// Each console test starts as a fresh process would, and no console call may
// name a cell outside the buffer.

#include <gtest/gtest.h>

#include <string>
#include <utility>

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
  // A table's rows each start afresh through SetUp: the row before is checked then.
  void SetUp() override {
    expectInsideBuffer();
    simulatedConsole = {};
    resetConsoleState();
    resetKeyboardState();
    inputContext() = InputContext{};
  }
  void TearDown() override { expectInsideBuffer(); }
  static void expectInsideBuffer() {
    EXPECT_EQ(std::exchange(simulatedConsole.outsideBuffer, 0), 0) << "a call outside the buffer";
  }
  static platform::ScreenModel& screen() { return simulatedConsole.screen; }
  static void cursorTo(int x, int y) {
    screen().cursor = {static_cast<std::int16_t>(x), static_cast<std::int16_t>(y)};
  }
  static void expectCursor(int x, int y) {
    EXPECT_EQ((std::pair<int, int>(screen().cursor.x, screen().cursor.y)), std::pair(x, y));
  }
};

}  // namespace quorvane::testing
