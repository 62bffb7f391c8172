// The file layer on a real file, and the run-time's end, which closes the files.

#include "files/file_table.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "files/error_number.h"
#include "process/runtime.h"

namespace quorvane {
namespace {

namespace fs = std::filesystem;

int read(int fileNumber, std::int64_t position) {  // the byte, or the error negated
  std::uint8_t value = 0xAA;
  const int error = readByteAt(fileNumber, position, value);
  return error == ErrNone ? value : -error;
}

TEST(FileTable, OpensAnExistingFileReadsAndWritesItsBytesAndClosesItAtTheEnd) {
  const fs::path folder =
      fs::temp_directory_path() / ("quorvane-files-" + std::to_string(std::random_device{}()));
  fs::create_directories(folder / "folder");
  const std::string path = (folder / "RPG_RT.exe").string();
  std::ofstream(path, std::ios::binary) << "0123456789";
  for (const std::string& refused : {path + "x", (folder / "folder").string(), std::string()}) {
    EXPECT_EQ(openBinary(1, refused), ErrOpenFailed) << refused;
  }
  runtimeInit();
  ASSERT_EQ(openBinary(1, path), ErrNone) << "failed opens leave the slot free";
  EXPECT_EQ(fileAccess(1), FileAccess::readWrite);
  EXPECT_EQ(read(1, 0), '0') << "the open leaves the stream at its start";
  EXPECT_EQ(read(1, 4), '3');
  EXPECT_EQ(read(1, 0), '4') << "position 0 reads on where the last read ended";
  EXPECT_EQ(read(1, 11), 0) << "past the end reads as zero";
  for (const std::int64_t position : {1, 5, 10}) EXPECT_EQ(writeByteAt(1, position, 'x'), ErrNone);
  EXPECT_EQ(writeByteAt(1, 12, 'y'), ErrNone);
  EXPECT_EQ(fileLength(1), 12) << "bytes still in the stream buffer count";
  ASSERT_EQ(openBinary(254, path), ErrNone);
  EXPECT_EQ(writeByteAt(254, 2, 'z'), ErrNone);
  runtimeExit();
  EXPECT_EQ(fileAccess(1), FileAccess::any);
  std::ifstream in(path, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), std::string("xz23x5678x\0y", 12));
  in.close();
  fs::remove_all(folder);
}

}  // namespace
}  // namespace quorvane
