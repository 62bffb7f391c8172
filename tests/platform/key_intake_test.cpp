// From bytes read off the terminal to queued key records, with the time
// given by the test: the wait for the rest of a sequence, the late answer
// to a cursor position request, and the queue's limit.

#include "platform/terminal/key_intake.h"

#include <gtest/gtest.h>

#include "platform/terminal/cursor_report.h"

namespace quorvane::platform {
namespace {

std::string characters(const KeyIntake& intake) {
  std::string text;
  for (const KeyEventRecord& key : intake.keys) text += static_cast<char>(key.asciiChar);
  return text;
}

TEST(KeyIntakeTest, LoneEscWaitsForTheTimeoutSinceTheLastBytes) {
  KeyIntake intake;
  takeBytes(intake, "\x1b", 1000);
  settle(intake, 1000, true);
  EXPECT_TRUE(intake.keys.empty());
  EXPECT_EQ(msUntilSettled(intake, 1010), escapeTimeoutMs - 10);
  settle(intake, 1000 + escapeTimeoutMs - 1, true);
  EXPECT_TRUE(intake.keys.empty());
  settle(intake, 1000 + escapeTimeoutMs, true);
  ASSERT_EQ(intake.keys.size(), 1u);
  EXPECT_EQ(intake.keys.front().virtualKeyCode, 0x1B);
  EXPECT_EQ(msUntilSettled(intake, 2000), -1);
}

TEST(KeyIntakeTest, ASequenceSplitAcrossReadsIsOneKey) {
  KeyIntake intake;
  takeBytes(intake, "\x1b[", 0);
  settle(intake, 0, true);
  takeBytes(intake, "A", 20);
  settle(intake, 20, true);
  ASSERT_EQ(intake.keys.size(), 1u);
  EXPECT_EQ(intake.keys.front().virtualKeyCode, 0x26);
  EXPECT_TRUE(intake.pending.empty());
}

TEST(KeyIntakeTest, EndedInputSettlesAtOnce) {
  KeyIntake intake;
  takeBytes(intake, "a\x1b", 0);
  settle(intake, 0, false);
  ASSERT_EQ(intake.keys.size(), 2u);
  EXPECT_EQ(intake.keys.back().virtualKeyCode, 0x1B);
}

TEST(KeyIntakeTest, KeysBeforeAnUnfinishedSequenceAreNotHeldBack) {
  KeyIntake intake;
  takeBytes(intake, "ab\x1b[1;", 0);
  settle(intake, 0, true);
  EXPECT_EQ(characters(intake), "ab");
  EXPECT_EQ(intake.pending, "\x1b[1;");
}

TEST(KeyIntakeTest, ALateCursorReportIsDroppedOnce) {
  KeyIntake intake;
  intake.cursorReportOutstanding = true;
  takeBytes(intake, "a\x1b[12;40Rb", 0);
  settle(intake, 0, true);
  EXPECT_EQ(characters(intake), "ab");
  EXPECT_FALSE(intake.cursorReportOutstanding);
  // Another one is a key again: Shift+F3 of xterm looks the same.
  takeBytes(intake, "\x1b[1;2R", 0);
  settle(intake, 0, true);
  ASSERT_EQ(intake.keys.size(), 3u);
  EXPECT_EQ(intake.keys.back().virtualKeyCode, 0x72);
}

TEST(KeyIntakeTest, TheQueueKeepsItsFirstKeys) {
  KeyIntake intake;
  takeBytes(intake, std::string(keyCapacity, 'a') + "bbb", 0);
  settle(intake, 0, true);
  EXPECT_EQ(intake.keys.size(), keyCapacity);
  EXPECT_EQ(intake.keys.back().asciiChar, 'a');
  EXPECT_TRUE(intake.pending.empty());
}

TEST(CursorReportTest, FoundRemovedAndZeroBased) {
  std::string bytes = "\x1b[5;1R";
  const std::optional<Coord> cell = takeCursorReport(bytes);
  ASSERT_TRUE(cell);
  EXPECT_EQ(cell->x, 0);
  EXPECT_EQ(cell->y, 4);
  EXPECT_TRUE(bytes.empty());
}

TEST(CursorReportTest, OtherBytesStayInOrder) {
  std::string bytes = "x\x1b[A\x1b[12;80Ry";
  const std::optional<Coord> cell = takeCursorReport(bytes);
  ASSERT_TRUE(cell);
  EXPECT_EQ(cell->x, 79);
  EXPECT_EQ(cell->y, 11);
  EXPECT_EQ(bytes, "x\x1b[Ay");
}

TEST(CursorReportTest, NoneUntilComplete) {
  for (const std::string incomplete : {"\x1b[5;1", "\x1b[5;", "\x1b[;1R", "\x1b[5R", "5;1R"}) {
    std::string bytes = incomplete;
    EXPECT_FALSE(takeCursorReport(bytes));
    EXPECT_EQ(bytes, incomplete);
  }
}

}  // namespace
}  // namespace quorvane::platform
