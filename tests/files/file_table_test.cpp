#include "files/file_table.h"

#include <gtest/gtest.h>

#include <numeric>

#include "files/error_number.h"
#include "memory_streams.h"

namespace quorvane {
namespace {

using testing::memoryDisk;

constexpr const char* gamePath = "Game/RPG_RT.exe";

std::vector<std::uint8_t> countingBytes(std::size_t length) {
  std::vector<std::uint8_t> bytes(length);
  std::iota(bytes.begin(), bytes.end(), std::uint8_t{1});
  return bytes;
}

class FileTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    closeAllFiles();
    testing::resetMemoryDisk();
    memoryDisk().files[gamePath].bytes = countingBytes(1000);
    setLastError(ErrNone);
  }
  void TearDown() override { closeAllFiles(); }
  const std::vector<std::uint8_t>& game() { return memoryDisk().files[gamePath].bytes; }
};

TEST_F(FileTableTest, OpensReadWriteWithItsBufferSetBeforeFirstUse) {
  EXPECT_EQ(openBinary(1, gamePath), ErrNone);
  EXPECT_EQ(lastError(), ErrNone);
  EXPECT_EQ(fileAccess(1), FileAccess::readWrite);
  ASSERT_GE(memoryDisk().calls.size(), 2u);
  EXPECT_EQ(memoryDisk().calls[0], "open r+b");
  EXPECT_EQ(memoryDisk().calls[1], "buffer 8192");
}

TEST_F(FileTableTest, MissingFileIsAnOpenFailureAndNothingIsCreated) {
  EXPECT_EQ(openBinary(1, "Game/Missing.exe"), ErrOpenFailed);
  EXPECT_EQ(memoryDisk().files.count("Game/Missing.exe"), 0u);
  EXPECT_EQ(memoryDisk().calls, (std::vector<std::string>{"open r+b", "open rb"}));
  EXPECT_EQ(openBinary(1, ""), ErrOpenFailed);
  // The failed opens left the slot free.
  EXPECT_EQ(openBinary(1, gamePath), ErrNone);
}

TEST_F(FileTableTest, FallsBackToReadOnlyWhereWritingIsRefused) {
  memoryDisk().files[gamePath].writable = false;
  EXPECT_EQ(openBinary(1, gamePath), ErrNone);
  EXPECT_EQ(fileAccess(1), FileAccess::read);
  std::uint8_t value = 0;
  EXPECT_EQ(readByteAt(1, 3, value), ErrNone);
  EXPECT_EQ(value, 3);
  EXPECT_EQ(writeByteAt(1, 3, 0x63), ErrIo);
  EXPECT_EQ(lastError(), ErrIo);
  closeAllFiles();
  EXPECT_EQ(game(), countingBytes(1000));
}

TEST_F(FileTableTest, EachFailingOpenAttempt) {
  memoryDisk().faults.openReadWrite = true;
  EXPECT_EQ(openBinary(1, gamePath), ErrNone);
  EXPECT_EQ(fileAccess(1), FileAccess::read);
  closeAllFiles();
  memoryDisk().faults.openReadOnly = true;
  EXPECT_EQ(openBinary(1, gamePath), ErrOpenFailed);
  EXPECT_EQ(fileAccess(1), FileAccess::any);
}

TEST_F(FileTableTest, AFileThatCannotBeMeasuredIsClosedAndRefused) {
  for (auto fault : {&testing::StreamFaults::length, &testing::StreamFaults::setPosition,
                     &testing::StreamFaults::flush}) {
    SetUp();
    memoryDisk().faults.*fault = true;
    EXPECT_EQ(openBinary(1, gamePath), ErrBadCall);
    EXPECT_EQ(memoryDisk().openStreams, 0);
    memoryDisk().faults.*fault = false;
    EXPECT_EQ(openBinary(1, gamePath), ErrNone) << "the slot was left in use";
  }
}

TEST_F(FileTableTest, RefusesBadNumbersAndASlotInUse) {
  for (int fileNumber : {0, -1, 255}) EXPECT_EQ(openBinary(fileNumber, gamePath), ErrBadCall);
  ASSERT_EQ(openBinary(1, gamePath), ErrNone);
  EXPECT_EQ(openBinary(1, gamePath), ErrBadCall);
  std::uint8_t value = 0;
  EXPECT_EQ(readByteAt(1, 10, value), ErrNone) << "the first file must stay usable";
  EXPECT_EQ(value, 10);
  EXPECT_EQ(readByteAt(2, 1, value), ErrBadCall);
  EXPECT_EQ(writeByteAt(255, 1, 0), ErrBadCall);
  EXPECT_EQ(commitFile(2), ErrBadCall);
}

TEST_F(FileTableTest, FileLengthKeepsThePositionAndLeavesTheErrorAloneWhenNotOpen) {
  memoryDisk().files[gamePath].bytes.resize(727552);
  ASSERT_EQ(openBinary(1, gamePath), ErrNone);
  std::uint8_t value = 0;
  readByteAt(1, 5, value);
  EXPECT_EQ(fileLength(1), 727552);
  EXPECT_EQ(readByteAt(1, 0, value), ErrNone);
  EXPECT_EQ(value, 6) << "position 0 reads on from where the last read ended";

  setLastError(ErrIo);
  EXPECT_EQ(fileLength(2), 0);
  EXPECT_EQ(lastError(), ErrIo);
}

TEST_F(FileTableTest, FileLengthOfAStreamThatCannotBeMeasuredIsZero) {
  ASSERT_EQ(openBinary(1, gamePath), ErrNone);
  memoryDisk().faults.length = true;
  EXPECT_EQ(fileLength(1), 0);
  EXPECT_EQ(lastError(), ErrIo);
}

TEST_F(FileTableTest, ReadsAtOneBasedPositions) {
  ASSERT_EQ(openBinary(1, gamePath), ErrNone);
  std::uint8_t value = 0xAA;
  EXPECT_EQ(readByteAt(1, 1, value), ErrNone);
  EXPECT_EQ(value, 1);
  EXPECT_EQ(readByteAt(1, 1000, value), ErrNone);
  EXPECT_EQ(value, static_cast<std::uint8_t>(1000));
  value = 0xAA;
  EXPECT_EQ(readByteAt(1, 1001, value), ErrNone);
  EXPECT_EQ(value, 0) << "past the end reads as zero";
  value = 0xAA;
  EXPECT_EQ(readByteAt(1, -1, value), ErrBadCall);
  EXPECT_EQ(value, 0xAA);
  memoryDisk().faults.setPosition = true;
  EXPECT_EQ(readByteAt(1, 7, value), ErrIo);
  EXPECT_EQ(value, 0xAA) << "nothing is read after a failed repositioning";
}

TEST_F(FileTableTest, SixWritesChangeExactlySixBytes) {
  ASSERT_EQ(openBinary(1, gamePath), ErrNone);
  const std::int64_t positions[] = {2, 100, 101, 500, 999, 1000};
  for (auto position : positions) EXPECT_EQ(writeByteAt(1, position, 0xC8), ErrNone);
  EXPECT_EQ(commitFile(1), ErrNone);
  EXPECT_EQ(memoryDisk().commits, 1);
  closeAllFiles();
  auto expected = countingBytes(1000);
  for (auto position : positions) expected[static_cast<std::size_t>(position - 1)] = 0xC8;
  EXPECT_EQ(game(), expected);
  EXPECT_EQ(memoryDisk().openStreams, 0);
}

TEST_F(FileTableTest, FailedWritesAndCommitsAreReported) {
  ASSERT_EQ(openBinary(1, gamePath), ErrNone);
  EXPECT_EQ(writeByteAt(1, -1, 0), ErrBadCall);
  memoryDisk().faults.writesBeforeShortWrite = 1;
  EXPECT_EQ(writeByteAt(1, 1, 0x10), ErrNone);
  EXPECT_EQ(writeByteAt(1, 2, 0x10), ErrIo);
  memoryDisk().faults.writesBeforeShortWrite = -1;
  memoryDisk().faults.setPosition = true;
  EXPECT_EQ(writeByteAt(1, 3, 0x10), ErrIo);
  EXPECT_EQ(game()[2], 3) << "nothing is written after a failed repositioning";
  memoryDisk().faults.setPosition = false;
  memoryDisk().faults.flush = true;
  EXPECT_EQ(commitFile(1), ErrIo);
  memoryDisk().faults.flush = false;
  memoryDisk().faults.commit = true;
  EXPECT_EQ(commitFile(1), ErrIo);
}

TEST_F(FileTableTest, CloseAllWithoutAnyOpenDoesNothingAndFreesEverySlot) {
  closeAllFiles();
  EXPECT_TRUE(memoryDisk().calls.empty());
  ASSERT_EQ(openBinary(1, gamePath), ErrNone);
  ASSERT_EQ(openBinary(254, gamePath), ErrNone);
  closeAllFiles();
  EXPECT_EQ(memoryDisk().openStreams, 0);
  EXPECT_EQ(fileAccess(1), FileAccess::any);
  EXPECT_EQ(fileLength(254), 0);
  EXPECT_EQ(openBinary(1, gamePath), ErrNone);
}

}  // namespace
}  // namespace quorvane
