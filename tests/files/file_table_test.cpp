// The file layer over a file in memory, and the run-time's end, which closes
// the files. The real files' streams are tested end to end.

#include "files/file_table.h"

#include <gtest/gtest.h>

#include "files/error_number.h"
#include "memory_streams.h"
#include "process/runtime.h"

namespace quorvane {
namespace {

int read(int fileNumber, std::int64_t position) {  // the byte, or the error negated
  std::uint8_t value = 0xAA;
  const int error = readByteAt(fileNumber, position, value);
  return error == ErrNone ? value : -error;
}

TEST(FileTable, ReadsAndWritesBytesAtOneBasedPositions) {
  platform::memoryFile.bytes = "0123456789";
  runtimeInit();
  ASSERT_EQ(openBinary(1, "RPG_RT.exe"), ErrNone);
  EXPECT_EQ(fileAccess(1), FileAccess::readWrite);
  EXPECT_EQ(read(1, 4), '3');
  EXPECT_EQ(fileLength(1), 10);
  for (const int position : {1, 5, 10, 11}) EXPECT_EQ(writeByteAt(1, position, 'x'), ErrNone);
  EXPECT_EQ(fileLength(1), 11) << "the byte still in the stream's buffer counts";
  EXPECT_EQ(read(1, 11), 'x');
  EXPECT_EQ(writeByteAt(1, 2, 'y'), ErrNone);
  runtimeExit();
  EXPECT_EQ(fileAccess(1), FileAccess::any) << "the end closes every file";
  EXPECT_EQ(platform::memoryFile.bytes, "xy23x5678xx") << "the close writes out the last byte";
}

}  // namespace
}  // namespace quorvane
