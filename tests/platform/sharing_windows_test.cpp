// A file another program holds, denying writes, opens read-only and stays whole.

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "files/error_number.h"
#include "files/file_table.h"

TEST(SharingWindows, AFileHeldWithWritesDeniedOpensReadOnly) {
  using namespace quorvane;
  const auto target = std::filesystem::temp_directory_path() /
                      ("quorvane-sharing-" + std::to_string(std::random_device{}()) + ".exe");
  std::ofstream(target, std::ios::binary) << "0123456789";
  HANDLE holder = ::CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  EXPECT_EQ(openBinary(1, target.string()), ErrNone);
  EXPECT_EQ(fileAccess(1), FileAccess::read);
  EXPECT_EQ(fileLength(1), 10);
  EXPECT_EQ(writeByteAt(1, 1, 'x'), ErrIo);
  closeAllFiles();
  ::CloseHandle(holder);
  std::ifstream in(target, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "0123456789");
  in.close();
  std::filesystem::remove(target);
}
