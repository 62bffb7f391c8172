// The stream calls that standard C stdio serves alike on every system;
// opening, positions, lengths and the commit to disk are each system's own.

#include "platform/stdio_streams.h"

namespace quorvane::platform {

bool setStreamBuffer(Stream* stream, std::size_t size) {
  return std::setvbuf(fileOf(stream), nullptr, _IOFBF, size) == 0;
}

bool flushStream(Stream* stream) { return std::fflush(fileOf(stream)) == 0; }

std::size_t readStream(Stream* stream, void* bytes, std::size_t count) {
  return std::fread(bytes, 1, count, fileOf(stream));
}

std::size_t writeStream(Stream* stream, const void* bytes, std::size_t count) {
  return std::fwrite(bytes, 1, count, fileOf(stream));
}

bool closeStream(Stream* stream) { return std::fclose(fileOf(stream)) == 0; }

}  // namespace quorvane::platform
