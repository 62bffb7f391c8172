// The file layer on real files through the system's stdio backend.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "files/error_number.h"
#include "files/file_table.h"

namespace quorvane {
namespace {

namespace fs = std::filesystem;

std::vector<char> randomBytes(std::size_t length) {
  std::mt19937 generator(7);
  std::vector<char> bytes(length);
  for (char& byte : bytes) byte = static_cast<char>(generator());
  return bytes;
}

std::vector<char> contentsOf(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class StdioStreamsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    // Unique per run: the same test may run at once under another user.
    folder = fs::temp_directory_path() / (std::string("quorvane-") + test->name() + "-" +
                                          std::to_string(std::random_device{}()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    target = folder / "RPG_RT.exe";
    original = randomBytes(4096);
    std::ofstream(target, std::ios::binary).write(original.data(), std::ssize(original));
  }
  void TearDown() override {
    closeAllFiles();
    fs::permissions(target, fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(folder);
  }
  fs::path folder;
  fs::path target;
  std::vector<char> original;
};

TEST_F(StdioStreamsTest, PatchesExactlyTheBytesWrittenAndKeepsTheLength) {
  ASSERT_EQ(openBinary(1, target.string()), ErrNone);
  EXPECT_EQ(fileAccess(1), FileAccess::readWrite);
  EXPECT_EQ(fileLength(1), 4096);
  std::uint8_t value = 0;
  EXPECT_EQ(readByteAt(1, 1, value), ErrNone);
  EXPECT_EQ(value, static_cast<std::uint8_t>(original[0]));
  for (std::int64_t position : {1, 2, 1000, 4095, 4096}) {
    EXPECT_EQ(writeByteAt(1, position, 0x32), ErrNone);
    original[static_cast<std::size_t>(position - 1)] = 0x32;
  }
  EXPECT_EQ(readByteAt(1, 4097, value), ErrNone);
  EXPECT_EQ(value, 0);
  EXPECT_EQ(commitFile(1), ErrNone);
  EXPECT_EQ(contentsOf(target), original) << "committed bytes are in the file before the close";
  closeAllFiles();
  EXPECT_EQ(contentsOf(target), original);
}

TEST_F(StdioStreamsTest, LengthCountsBytesStillInTheBuffer) {
  ASSERT_EQ(openBinary(1, target.string()), ErrNone);
  EXPECT_EQ(writeByteAt(1, 4097, 1), ErrNone);
  EXPECT_EQ(fileLength(1), 4097);
}

TEST_F(StdioStreamsTest, NeverCreatesAFileAndRefusesFolders) {
  const fs::path missing = folder / "missing.exe";
  EXPECT_EQ(openBinary(1, missing.string()), ErrOpenFailed);
  EXPECT_FALSE(fs::exists(missing));
  EXPECT_EQ(openBinary(1, (folder / "no folder" / "RPG_RT.exe").string()), ErrOpenFailed);
  EXPECT_EQ(openBinary(1, folder.string()), ErrOpenFailed);
  EXPECT_EQ(openBinary(1, ""), ErrOpenFailed);
  EXPECT_EQ(fs::directory_iterator(folder)->path(), target) << "only the target is in the folder";
}

TEST_F(StdioStreamsTest, ForwardSlashesNameTheSameFile) {
  ASSERT_EQ(openBinary(1, target.generic_string()), ErrNone);
  EXPECT_EQ(fileLength(1), 4096);
}

TEST_F(StdioStreamsTest, AReadOnlyFileOpensForReadingAndIsNeverChanged) {
  fs::permissions(target, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  ASSERT_EQ(openBinary(1, target.string()), ErrNone);
  if (fileAccess(1) == FileAccess::readWrite) GTEST_SKIP() << "permissions do not bind this user";
  EXPECT_EQ(fileAccess(1), FileAccess::read);
  EXPECT_EQ(fileLength(1), 4096);
  for (std::int64_t position : {1, 2048, 4096}) {
    EXPECT_EQ(writeByteAt(1, position, 0x32), ErrIo);
  }
  closeAllFiles();
  EXPECT_EQ(contentsOf(target), original);
}

TEST_F(StdioStreamsTest, PositionsAndLengthsBeyondFourGiB) {
  constexpr std::uintmax_t fourGiB = std::uintmax_t{1} << 32;
  std::error_code error;
  fs::resize_file(target, fourGiB + 727552, error);
  if (error) GTEST_SKIP() << "no room for a sparse file: " << error.message();
  ASSERT_EQ(openBinary(1, target.string()), ErrNone);
  EXPECT_EQ(fileLength(1), static_cast<std::int64_t>(fourGiB + 727552));
  const auto high = static_cast<std::int64_t>(fourGiB + 10);
  EXPECT_EQ(writeByteAt(1, high, 0x63), ErrNone);
  std::uint8_t value = 0;
  EXPECT_EQ(readByteAt(1, 10, value), ErrNone);
  EXPECT_EQ(value, static_cast<std::uint8_t>(original[9])) << "the high write must not wrap";
  EXPECT_EQ(readByteAt(1, high, value), ErrNone);
  EXPECT_EQ(value, 0x63);
}

}  // namespace
}  // namespace quorvane
