#include "console/console_output.h"

#include <gtest/gtest.h>

#include "files/error_number.h"
#include "simulated_console.h"

namespace quorvane {
namespace {

using testing::simulatedConsole;

class PassThroughTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::resetSimulatedConsole();
    resetConsoleState();
  }
};

TEST_F(PassThroughTest, WritesEveryByteUnchangedWithCrLfLineEnds) {
  setLastError(ErrIo);
  printLine("=== RM2k(3) Quorvane ===");
  EXPECT_EQ(lastError(), ErrNone);
  printEmptyLine();
  printText(
      "a\x07"
      "b\x08\tc\r\n\xff");
  printLine("");
  EXPECT_EQ(simulatedConsole().standardOutput,
            "=== RM2k(3) Quorvane ===\r\n\r\na\x07"
            "b\x08\tc\r\n\xff\r\n");
  EXPECT_EQ(simulatedConsole().beeps, 0);
}

TEST_F(PassThroughTest, EmptyWritesAndFailures) {
  EXPECT_EQ(consoleWrite("x", 0), 0);
  EXPECT_EQ(consoleWrite("x", 0, writeEvenIfEmpty), 0);
  EXPECT_EQ(simulatedConsole().standardOutput, "");
  simulatedConsole().failWriteFile = true;
  EXPECT_EQ(consoleWrite("lost", 4), -1);
  simulatedConsole().failWriteFile = false;
  EXPECT_NE(consoleWrite("kept", 4), -1);
  EXPECT_EQ(simulatedConsole().standardOutput, "kept");
}

TEST_F(PassThroughTest, WithoutAScreenTheQueriesGiveTheirDefaults) {
  EXPECT_EQ(textAreaSize().cols, 80);
  EXPECT_EQ(textAreaSize().rows, 25);
  EXPECT_EQ(cursorPosition().column, 0);
  EXPECT_EQ(cursorPosition().row, 0);
  setLastError(ErrIo);
  locate(3, 3, 1);
  EXPECT_EQ(lastError(), ErrNone);
  EXPECT_EQ(simulatedConsole().standardOutput, "");
}

TEST_F(PassThroughTest, AConsoleInputGetsProcessedInputOnFirstUse) {
  simulatedConsole().inputIsConsole = true;
  simulatedConsole().inputMode = 0x01F6;
  EXPECT_TRUE(inputIsConsole());
  EXPECT_EQ(simulatedConsole().inputMode, 0x01F7u);
  resetConsoleState();
  simulatedConsole().inputIsConsole = false;
  EXPECT_FALSE(inputIsConsole());
}

}  // namespace
}  // namespace quorvane
