// Streams on Linux and macOS: stdio over a descriptor opened with open(2),
// so that folders, devices and pipes are refused before stdio sees them
// and a FIFO cannot block the open.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/stdio_streams.h"

namespace quorvane::platform {

Stream* openStream(std::string_view path, StreamMode mode) {
  const std::string terminated(path);
  const bool readWrite = mode == StreamMode::readWrite;
  const int descriptor = ::open(
      terminated.c_str(), (readWrite ? O_RDWR : O_RDONLY) | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (descriptor < 0) return nullptr;
  struct stat status = {};
  const int flags = ::fcntl(descriptor, F_GETFL);
  if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) || flags < 0 ||
      ::fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    ::close(descriptor);
    return nullptr;
  }
  std::FILE* file = ::fdopen(descriptor, readWrite ? "r+b" : "rb");
  if (file == nullptr) ::close(descriptor);
  return streamOf(file);
}

bool getStreamPosition(Stream* stream, std::int64_t& position) {
  const off_t offset = ::ftello(fileOf(stream));
  if (offset < 0) return false;
  position = offset;
  return true;
}

bool setStreamPosition(Stream* stream, std::int64_t position) {
  return ::fseeko(fileOf(stream), static_cast<off_t>(position), SEEK_SET) == 0;
}

bool commitStream(Stream* stream) {
  return std::fflush(fileOf(stream)) == 0 && ::fsync(::fileno(fileOf(stream))) == 0;
}

std::int64_t streamFileLength(Stream* stream) {
  struct stat status = {};
  if (::fstat(::fileno(fileOf(stream)), &status) != 0) return -1;
  return status.st_size;
}

}  // namespace quorvane::platform
