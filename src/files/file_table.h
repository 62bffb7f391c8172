#pragma once
// Numbered file slots with byte access at one-based positions. Every
// operation but fileLength leaves its outcome in the run-time error number.

#include <cstdint>
#include <string_view>

#include "platform/streams.h"

namespace quorvane {

inline constexpr int firstFileNumber = 1;
inline constexpr int lastFileNumber = 254;
inline constexpr std::size_t fileBufferSize = 8192;

enum class FileMode { binary = 0, random = 1, input = 2, output = 3, append = 4 };
enum class FileAccess { any = 0, read = 1, write = 2, readWrite = 3 };
enum class FileKind { none = 0, console = 1, disk = 4 };

struct FileSlot;

// What a slot can do with its stream; the same table for every disk file.
// Each returns the error number it leaves.
struct FileOperations {
  int (*close)(FileSlot& slot);
  int (*seekFromStart)(FileSlot& slot, std::int64_t offset);
  int (*seekFromEnd)(FileSlot& slot, std::int64_t offset);
  int (*tell)(FileSlot& slot, std::int64_t& position);
  int (*read)(FileSlot& slot, std::uint8_t* bytes, std::size_t& count);
  int (*write)(FileSlot& slot, const std::uint8_t* bytes, std::size_t count);
};

struct FileSlot {
  FileMode mode = FileMode::binary;
  int recordLength = 0;
  int encoding = 0;
  std::int64_t size = 0;  // measured at open; -1 until then
  FileKind kind = FileKind::none;
  FileAccess access = FileAccess::any;
  int lockMode = 0;
  unsigned pushBackCount = 0;
  const FileOperations* operations = nullptr;  // null: the slot is free
  platform::Stream* stream = nullptr;
};

struct FileTable {
  FileSlot slots[lastFileNumber + 1];  // slot 0 unused: file numbers start at 1
  bool filesOpened = false;
};

// Opens an existing file for binary byte access: read and write when the
// system allows it, else read only. Never creates a file. Returns the error
// number: 0, 1 for a bad number or a slot in use or an unmeasurable file,
// 2 when the file cannot be opened at all.
int openBinary(int fileNumber, std::string_view path);

// The file's length in bytes, bytes still buffered included; 0 when it
// cannot be measured. The stream position is kept.
std::int64_t fileLength(int fileNumber);

// One byte at a one-based position; position 0 reads at the current
// position. A read past the end gives 0 and succeeds.
int readByteAt(int fileNumber, std::int64_t position, std::uint8_t& value);
int writeByteAt(int fileNumber, std::int64_t position, std::uint8_t value);

// Flushes the file's buffered bytes and asks the system to put them on the
// disk: 0 once they are there, 3 otherwise.
int commitFile(int fileNumber);

// The access an open slot obtained (readWrite or read); any when not open.
FileAccess fileAccess(int fileNumber);

// Closes every open slot in ascending order, writing out pending bytes,
// and frees the table.
void closeAllFiles();

}  // namespace quorvane
