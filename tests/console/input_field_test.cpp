#include "console/input_field.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "console/console_output.h"
#include "files/error_number.h"
#include "simulated_console.h"

namespace quorvane {
namespace {

class InputFieldTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::resetSimulatedConsole();
    resetConsoleState();
    inputContext() = InputContext{};
    setLastError(ErrNone);
  }
};

struct LineCase {
  std::string typed;
  std::string field;
  bool isFractional;
  std::int32_t number;
};

// Takes the field from a line as the line editor would have returned it.
LineCase takeFromLine(const std::string& typed) {
  InputContext& input = inputContext();
  input.source = InputSource::line;
  input.line = typed;
  input.position = 0;
  const NumericField field = readNumericField();
  EXPECT_EQ(field.bytes[field.length], '\0');
  const std::int32_t number = field.isFractional ? parseFractionalField(field.bytes, field.length)
                                                 : parseIntegerField(field.bytes, field.length);
  return {typed, std::string(field.bytes, static_cast<std::size_t>(field.length)),
          field.isFractional, number};
}

TEST_F(InputFieldTest, LineModeFieldsAndNumbers) {
  const std::string zeros(65, '0');
  const LineCase cases[] = {
      {"", "", false, 0},
      {"   ", "", false, 0},
      {"  50  ", "50", false, 50},
      {"50,7", "50", false, 50},
      {"50 7", "50", false, 50},
      {"\t7\t8", "7", false, 7},
      {",5", "", false, 0},
      {"- 5", "-", false, 0},
      {"12abc", "12abc", false, 12},
      {"0x10", "0x10", false, 0},
      {"&HE", "&HE", false, 14},
      {"&H1.5", "&H1.5", false, 1},
      {"&H1d", "&H1d", false, 29},
      {"1&d", "1&d", false, 1},
      {"2147483648", "2147483648", false, -2147483647 - 1},
      {"2.5", "2.5", true, 2},
      {"-0.4", "-0.4", true, 0},
      {"99.5", "99.5", true, 100},
      {"99d0", "99e0", true, 99},
      {"1D2", "1E2", true, 100},
      {"7d", "7e", true, 7},
      {"0x1E", "0x1E", true, 30},
      {"1.5&", "1.5&", true, 2},
      {"32767.5", "32767.5", true, -32768},
      {"\"50\"", "50", false, 50},
      {"\"5\"0", "50", false, 50},
      {"5\"0", "5\"0", false, 5},
      {"\" 5,0\"", " 5,0", false, 5},
      {"\"\t7 8\"", "\t7 8", false, 7},
      {"\"5\"\"0\"", "5\"0\"", false, 5},
      {"\"12", "12", false, 12},
      {"\"\"", "", false, 0},
      {"\"\" 5", "", false, 0},
      {zeros + "99", zeros + "99", false, 99},
      {zeros + "099", zeros + "09", false, 9},
      {"1" + zeros + "0", "1" + zeros + "0", false, -1},
  };
  for (const LineCase& c : cases) {
    SCOPED_TRACE(c.typed);
    const LineCase taken = takeFromLine(c.typed);
    EXPECT_EQ(taken.field, c.field);
    EXPECT_EQ(taken.isFractional, c.isFractional);
    EXPECT_EQ(taken.number, c.number);
    EXPECT_FALSE(inputEndedBeforeField());
  }
}

TEST_F(InputFieldTest, LineModeGivesBackTheByteAfterTheBlanks) {
  EXPECT_EQ(takeFromLine("0  50").number, 0);
  EXPECT_EQ(inputContext().position, 3u);
  EXPECT_EQ(std::string(readNumericField().bytes), "50");
}

// Each statement's entered number and whether it met the end of input
// before its field.
using Outcome = std::pair<std::int32_t, bool>;

struct RedirectedCase {
  std::string input;
  std::vector<Outcome> outcomes;
};

TEST_F(InputFieldTest, RedirectedModeReadsFieldsFromTheStream) {
  const RedirectedCase cases[] = {
      {"0 50\n", {{0, false}, {50, false}, {0, true}}},
      {"abc\n42\n", {{0, false}, {42, false}, {0, true}}},
      {"abc\r\n42\r\n", {{0, false}, {42, false}, {0, true}}},
      {"5\r6\r", {{5, false}, {6, false}, {0, true}}},
      {"5 \r7\n", {{5, false}, {7, false}, {0, true}}},
      {std::string(67, '0') + "42\n", {{0, false}, {42, false}, {0, true}}},
      {"", {{0, true}, {0, true}}},
      {" \t ", {{0, true}, {0, true}}},
      {"\"\"", {{0, true}}},
      {",\n", {{0, false}, {0, false}, {0, true}}},
      {"1,,2", {{1, false}, {0, false}, {2, false}, {0, true}}},
      {"1 ,2 \t\n3", {{1, false}, {2, false}, {3, false}, {0, true}}},
      {"\"\" 9", {{0, false}, {9, false}, {0, true}}},
      {"\"7 \"8 2.5e1", {{7, false}, {25, false}, {0, true}}},
  };
  for (const RedirectedCase& c : cases) {
    SCOPED_TRACE(c.input);
    SetUp();
    testing::simulatedConsole().standardInput = c.input;
    for (const Outcome& expected : c.outcomes) {
      setLastError(ErrIo);
      EXPECT_EQ(readEnteredNumber("Enter new value: "), expected.first);
      EXPECT_EQ(inputEndedBeforeField(), expected.second);
      EXPECT_EQ(lastError(), ErrNone);
    }
    EXPECT_EQ(testing::simulatedConsole().standardOutput, "");
  }
}

TEST_F(InputFieldTest, EachStatementLooksAgainForTheEndOfInput) {
  EXPECT_EQ(readEnteredNumber("? "), 0);
  EXPECT_TRUE(inputEndedBeforeField());
  // Whole strings here: GCC 12 at -O3 warns falsely (-Wrestrict) on assigning short literals.
  testing::simulatedConsole().standardInput = std::string("5");
  EXPECT_EQ(readEnteredNumber("? "), 5);
  EXPECT_FALSE(inputEndedBeforeField());
}

TEST_F(InputFieldTest, RedirectedStatementReleasesTheLastLine) {
  inputContext().line = std::string("99");
  inputContext().position = 1;
  testing::simulatedConsole().standardInput = std::string("7");
  EXPECT_EQ(readEnteredNumber("? "), 7);
  EXPECT_EQ(inputContext().source, InputSource::redirected);
  EXPECT_EQ(inputContext().line, "");
  EXPECT_EQ(inputContext().position, 0u);
}

}  // namespace
}  // namespace quorvane
