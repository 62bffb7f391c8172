#pragma once
// The fixture of the tests that look at the simulated console's screen:
// everything reset before each test, and no console call naming a cell
// outside the buffer.

#include <gtest/gtest.h>

#include <string>

#include "console/console_output.h"
#include "console/keyboard.h"
#include "simulated_console.h"

namespace quorvane::testing {

// The text as a whole row of an 80-column screen.
inline std::string padded(std::string text, std::size_t width = 80) {
  text.resize(width, ' ');
  return text;
}

class ScreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetSimulatedConsole();
    resetConsoleState();
    resetKeyboardState();
  }
  void TearDown() override {
    EXPECT_EQ(simulatedConsole().outsideBuffer, 0)
        << "a console call named a cell outside the buffer";
  }
  static platform::Coord cursor() { return simulatedConsole().screen.cursor; }
  static void cursorTo(int x, int y) {
    simulatedConsole().screen.cursor = {static_cast<std::int16_t>(x), static_cast<std::int16_t>(y)};
  }
};

}  // namespace quorvane::testing
