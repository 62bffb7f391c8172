#include "files/file_table.h"

#include <cstring>
#include <string>

#include "files/error_number.h"

namespace quorvane {

namespace {

FileTable fileTable;

bool isFileNumber(int fileNumber) {
  return fileNumber >= firstFileNumber && fileNumber <= lastFileNumber;
}

// The slot of an open file, or null for a bad number or a free slot.
FileSlot* openSlot(int fileNumber) {
  if (!isFileNumber(fileNumber)) return nullptr;
  FileSlot& slot = fileTable.slots[fileNumber];
  return slot.operations != nullptr ? &slot : nullptr;
}

int closeDiskFile(FileSlot& slot) {
  if (slot.stream != nullptr) platform::closeStream(slot.stream);
  slot.stream = nullptr;
  return setLastError(ErrNone);
}

int seekDiskFileFromStart(FileSlot& slot, std::int64_t offset) {
  if (slot.stream == nullptr) return setLastError(ErrBadCall);
  const bool moved = offset >= 0 && platform::setStreamPosition(slot.stream, offset);
  return setLastError(moved ? ErrNone : ErrIo);
}

// Bytes still in the stream buffer are written out first, so that the
// file system's length counts them.
int seekDiskFileFromEnd(FileSlot& slot, std::int64_t offset) {
  if (slot.stream == nullptr) return setLastError(ErrBadCall);
  if (!platform::flushStream(slot.stream)) return setLastError(ErrIo);
  const std::int64_t length = platform::streamFileLength(slot.stream);
  const bool moved = length >= 0 && length + offset >= 0 &&
                     platform::setStreamPosition(slot.stream, length + offset);
  return setLastError(moved ? ErrNone : ErrIo);
}

// Stores the stream position, or -1 when it cannot be had.
int tellDiskFile(FileSlot& slot, std::int64_t& position) {
  if (slot.stream == nullptr) return setLastError(ErrBadCall);
  if (!platform::getStreamPosition(slot.stream, position)) position = -1;
  return setLastError(ErrNone);
}

// A short read is no error: the missing bytes read as zero.
int readDiskFile(FileSlot& slot, std::uint8_t* bytes, std::size_t& count) {
  if (slot.stream == nullptr) return setLastError(ErrBadCall);
  const std::size_t got = platform::readStream(slot.stream, bytes, count);
  std::memset(bytes + got, 0, count - got);
  count = got;
  return setLastError(ErrNone);
}

int writeDiskFile(FileSlot& slot, const std::uint8_t* bytes, std::size_t count) {
  if (slot.stream == nullptr) return setLastError(ErrBadCall);
  const std::size_t put = platform::writeStream(slot.stream, bytes, count);
  return setLastError(put == count ? ErrNone : ErrIo);
}

constexpr FileOperations diskFileOperations = {
    closeDiskFile, seekDiskFileFromStart, seekDiskFileFromEnd,
    tellDiskFile,  readDiskFile,          writeDiskFile,
};

bool equalsIgnoringCase(std::string_view text, std::string_view upper) {
  if (text.size() != upper.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c =
        text[i] >= 'a' && text[i] <= 'z' ? static_cast<char>(text[i] - 'a' + 'A') : text[i];
    if (c != upper[i]) return false;
  }
  return true;
}

// The length of an open stream, leaving it at its start; -1 when the
// stream cannot be positioned at its end or report its position.
std::int64_t measureAtOpen(FileSlot& slot) {
  if (slot.operations->seekFromEnd(slot, 0) != ErrNone) return -1;
  std::int64_t size = -1;
  slot.operations->tell(slot, size);
  if (size >= 0 && slot.operations->seekFromStart(slot, 0) != ErrNone) return -1;
  return size;
}

int failOpen(FileSlot& slot, int error) {
  slot = FileSlot{};
  return setLastError(error);
}

// Moves to the byte before a one-based position; position 0 stays at the
// current position (repositioning to it, so that reads and writes may
// follow each other).
int positionAt(FileSlot& slot, std::int64_t position) {
  slot.pushBackCount = 0;
  if (position != 0) return slot.operations->seekFromStart(slot, position - 1);
  std::int64_t current = -1;
  slot.operations->tell(slot, current);
  return slot.operations->seekFromStart(slot, current);
}

}  // namespace

int openBinary(int fileNumber, std::string_view path) {
  if (!isFileNumber(fileNumber)) return setLastError(ErrBadCall);
  FileSlot& slot = fileTable.slots[fileNumber];
  if (slot.operations != nullptr) return setLastError(ErrBadCall);

  fileTable.filesOpened = true;
  slot = FileSlot{};
  slot.mode = FileMode::binary;
  slot.kind = FileKind::disk;
  slot.access = FileAccess::any;
  slot.size = -1;
  slot.operations = &diskFileOperations;

  // A file is never created: a missing file is an open failure.
  slot.stream = platform::openStream(path, platform::StreamMode::readWrite);
  if (slot.stream == nullptr) {
    slot.stream = platform::openStream(path, platform::StreamMode::readOnly);
    if (slot.stream == nullptr) return failOpen(slot, ErrOpenFailed);
    slot.access = FileAccess::read;
  }
  // The buffer is set before the stream's first use.
  platform::setStreamBuffer(slot.stream, fileBufferSize);

  slot.size = measureAtOpen(slot);
  if (slot.size < 0) {
    platform::closeStream(slot.stream);
    return failOpen(slot, ErrBadCall);
  }
  if (slot.access == FileAccess::any) slot.access = FileAccess::readWrite;
  if (equalsIgnoringCase(path, "CON")) slot.kind = FileKind::console;
  return setLastError(ErrNone);
}

std::int64_t fileLength(int fileNumber) {
  FileSlot* slot = openSlot(fileNumber);
  if (slot == nullptr) return 0;
  std::int64_t position = -1;
  slot->operations->tell(*slot, position);
  if (position < 0) return 0;
  if (slot->operations->seekFromEnd(*slot, 0) != ErrNone) return 0;
  std::int64_t length = 0;
  slot->operations->tell(*slot, length);
  slot->operations->seekFromStart(*slot, position);
  return length < 0 ? 0 : length;
}

int readByteAt(int fileNumber, std::int64_t position, std::uint8_t& value) {
  FileSlot* slot = openSlot(fileNumber);
  if (slot == nullptr || position < 0) return setLastError(ErrBadCall);
  int result = positionAt(*slot, position);
  if (result == ErrNone) {
    std::uint8_t byte = 0;
    std::size_t count = 1;
    result = slot->operations->read(*slot, &byte, count);
    if (result == ErrNone) value = byte;
  }
  return setLastError(result);
}

int writeByteAt(int fileNumber, std::int64_t position, std::uint8_t value) {
  FileSlot* slot = openSlot(fileNumber);
  if (slot == nullptr || position < 0) return setLastError(ErrBadCall);
  int result = positionAt(*slot, position);
  if (result == ErrNone) result = slot->operations->write(*slot, &value, 1);
  return setLastError(result);
}

int commitFile(int fileNumber) {
  FileSlot* slot = openSlot(fileNumber);
  if (slot == nullptr || slot->stream == nullptr) return setLastError(ErrBadCall);
  return setLastError(platform::commitStream(slot->stream) ? ErrNone : ErrIo);
}

FileAccess fileAccess(int fileNumber) {
  const FileSlot* slot = openSlot(fileNumber);
  return slot != nullptr ? slot->access : FileAccess::any;
}

void closeAllFiles() {
  if (!fileTable.filesOpened) return;
  fileTable.filesOpened = false;
  for (int fileNumber = firstFileNumber; fileNumber <= lastFileNumber; ++fileNumber) {
    FileSlot& slot = fileTable.slots[fileNumber];
    if (slot.operations != nullptr) slot.operations->close(slot);
    slot = FileSlot{};
  }
}

}  // namespace quorvane
